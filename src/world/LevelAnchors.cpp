// LevelAnchors -- the holds on blocks of nine levels, one per key, that keep the levels near each player generated.
#include "world/LevelAnchors.h"

#include "world/Level.h"
#include "world/LevelGenerator.h"
#include "world/LevelQueries.h"
#include "world/World.h"

#include <cmath>

LevelAnchor& LevelAnchors::Create(int32_t key, int32_t level)
{
    auto [it, added] = anchors.try_emplace(key, LevelAnchor{level, -1, key});
    it->second.requestedLevel = level;
    Move(it->second, level);
    return it->second;
}

void LevelAnchors::CreateStart()
{
    if (!world.IsActive())
        return;
    for (int32_t key = -1;; --key) {
        LevelAnchor* anchor = Find(key);
        if (anchor && anchor->requestedLevel == 0)
            return;
        if (!anchor) {
            Create(key, 0);
            return;
        }
    }
}

void LevelAnchors::Move(LevelAnchor& anchor, int32_t level)
{
    if (level == anchor.anchoredLevel)
        return;
    if (level != -1)
        RefBlock(level, anchor.key, true);
    if (anchor.anchoredLevel != -1)
        RefBlock(anchor.anchoredLevel, anchor.key, false);
    anchor.anchoredLevel = level;
}

void LevelAnchors::RefBlock(int32_t level, int32_t key, bool take)
{
    // Taken centre first, released neighbours first.
    if (take)
        RefLevel(level, key, true);
    for (int32_t direction = 0; direction < kWorldDirectionCount; ++direction) {
        int32_t neighbour = world.GetNeighbourLevel(level, direction);
        if (neighbour == -1)
            continue;
        if (take)
            RefLevel(neighbour, key, true);
        else
            UnrefLevel(neighbour, key, true);
    }
    if (!take)
        UnrefLevel(level, key, true);
}

void LevelAnchors::Update(int32_t key, const WorldPos& position, int32_t* outLevel)
{
    if (position.level == -1)
        return;
    if (outLevel)
        *outLevel = -1;
    LevelAnchor* anchor = Find(key);
    if (!anchor)
        return;
    anchor->requestedLevel = position.level;
    float width = world.GetLevelWidth();
    float height = world.GetLevelHeight();
    WorldPos centre{anchor->anchoredLevel, 0.5f * width, 0.5f * height, true};
    Vector2 delta = position.DeltaTo(centre);
    // One level of hysteresis: walking over an edge keeps the old block of nine.
    if (!(std::fabs(delta.x) < width && std::fabs(delta.y) < height))
        Move(*anchor, position.level);
    if (outLevel)
        *outLevel = anchor->anchoredLevel;
}

LevelAnchor* LevelAnchors::Find(int32_t key)
{
    auto it = anchors.find(key);
    return it == anchors.end() ? nullptr : &it->second;
}

void LevelAnchors::RefLevel(int32_t index, int32_t key, bool followGates)
{
    Level* level = world.GetLevel(index);
    if (!level)
        return;
    LevelGenerator::AddReference(*level, key);
    if (!followGates)
        return;
    for (int32_t i = 0; i < LevelQueries::GetGateCount(*level); ++i) {
        if (Level* target = world.GetLevel(LevelQueries::GetGate(*level, i).targetLevel))
            LevelGenerator::AddReference(*target, key);
    }
}

void LevelAnchors::UnrefLevel(int32_t index, int32_t key, bool followGates)
{
    Level* level = world.GetLevel(index);
    if (!level)
        return;
    if (followGates) {
        for (int32_t i = 0; i < LevelQueries::GetGateCount(*level); ++i) {
            if (Level* target = world.GetLevel(LevelQueries::GetGate(*level, i).targetLevel))
                LevelGenerator::ReleaseReference(*target, key);
        }
    }
    LevelGenerator::ReleaseReference(*level, key);
}
