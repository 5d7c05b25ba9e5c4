// LevelQueries -- what the world and spawn code ask of a generated level: blocks under tiles and points, random places, rolls and small queries.
#include "world/LevelQueries.h"

#include "core/RandomSystem.h"
#include "core/Vector.h"
#include "rules/GameData.h"
#include "world/AreaDefinition.h"
#include "world/AreaResource.h"
#include "world/Level.h"
#include "world/LevelCells.h"
#include "world/LevelData.h"
#include "world/LevelGenerator.h"
#include "world/World.h"

#include <cmath>
#include <unordered_set>

namespace {

LevelData* QueryData(Level& level)
{
    LevelGenerator::EnsureGenerated(level);
    return level.data.get();
}

int32_t QueryBlockAt(const Level& level, int32_t blockX, int32_t blockY)
{
    const LevelData* data = level.data.get();
    if (!data || !data->generated || blockX < 0 || blockY < 0 || blockX >= data->geometry.blocksPerRow ||
        blockY >= data->geometry.blocksPerColumn)
        return -1;
    return data->blockGrid[static_cast<size_t>(blockY * data->geometry.blocksPerRow + blockX)];
}

WorldPos QuerySnapped(int32_t index, float x, float y)
{
    static const GameSystemTuning kDefaults;
    const GameSystemTuning& tuning = gGameData ? gGameData->GetTuning() : kDefaults;
    GridFrame grid{{tuning.gridOffset.x, tuning.gridOffset.y}, {tuning.gridSize.x, tuning.gridSize.y}};
    Vector2 snapped = SnapToGrid({x, y}, grid);
    WorldPos point{index, snapped.x, snapped.y, true};
    point.Normalize();
    return point;
}

} // namespace

namespace LevelQueries {

int32_t TileToBlock(const Level& level, int32_t tileX, int32_t tileY, int32_t& localX, int32_t& localY)
{
    LevelGeometry g = level.data ? level.data->geometry : LevelGeometry::Current();
    if (tileX < 0 || tileY < 0 || tileX >= g.blocksPerRow * g.blockTileWidth || tileY >= g.blocksPerColumn * g.blockTileHeight)
        return -1;
    int32_t bx = tileX / g.blockTileWidth;
    int32_t by = tileY / g.blockTileHeight;
    localX = tileX - bx * g.blockTileWidth;
    localY = tileY - by * g.blockTileHeight;
    return by * g.blocksPerRow + bx;
}

int32_t WorldToBlock(const Level& level, float x, float y)
{
    LevelGeometry g = level.data ? level.data->geometry : LevelGeometry::Current();
    if (!std::isfinite(x) || !std::isfinite(y) || x < 0.0f || y < 0.0f)
        return -1;
    float bx = std::floor(x / g.blockWidth);
    float by = std::floor(y / g.blockHeight);
    if (bx >= static_cast<float>(g.blocksPerRow) || by >= static_cast<float>(g.blocksPerColumn))
        return -1;
    return static_cast<int32_t>(by) * g.blocksPerRow + static_cast<int32_t>(bx);
}

ResourceHandle GetTileTexture(Level& level, int32_t tileX, int32_t tileY)
{
    LevelData* data = QueryData(level);
    int32_t lx = 0;
    int32_t ly = 0;
    int32_t index = TileToBlock(level, tileX, tileY, lx, ly);
    AreaResource* area = LevelGenerator::GetArea(level);
    if (!data || !data->generated || index < 0 || !area)
        return {};
    ResourceHandle own = area->GetTileTexture(data->blockGrid[static_cast<size_t>(index)], lx, ly);
    ResourceHandle wall = LevelCells::GetBorderWallTexture(level, *area, tileX, tileY, own);
    return wall.IsValid() ? wall : own;
}

int32_t GetTileObject(Level& level, int32_t tileX, int32_t tileY, ResourceHandle& model, int32_t& value)
{
    LevelData* data = QueryData(level);
    int32_t lx = 0;
    int32_t ly = 0;
    int32_t index = TileToBlock(level, tileX, tileY, lx, ly);
    AreaResource* area = LevelGenerator::GetArea(level);
    if (!data || !data->generated || index < 0 || !area) {
        model.Reset();
        return -1;
    }
    return area->GetTileObject(data->blockGrid[static_cast<size_t>(index)], lx, ly, model, value);
}

bool IsBlockInBounds(const Level& level, int32_t blockX, int32_t blockY)
{
    const LevelData* data = level.data.get();
    if (!data || blockX < 0 || blockY < 0 || blockX >= data->geometry.blocksPerRow || blockY >= data->geometry.blocksPerColumn)
        return false;
    if (data->boundArea || !level.area)
        return true;
    return !(level.area->maxBlockWidth >= 1 && blockX >= level.area->maxBlockWidth) &&
           !(level.area->maxBlockHeight >= 1 && blockY >= level.area->maxBlockHeight);
}

bool IsBlockEmpty(Level& level, int32_t blockX, int32_t blockY)
{
    LevelData* data = QueryData(level);
    return data && data->generated && QueryBlockAt(level, blockX, blockY) < 0;
}

bool IsBlockReachable(Level& level, int32_t blockX, int32_t blockY)
{
    LevelData* data = QueryData(level);
    if (!data || !data->generated || QueryBlockAt(level, blockX, blockY) < 0)
        return false;
    return data->visited[static_cast<size_t>(blockY * data->geometry.blocksPerRow + blockX)];
}

int32_t GetGridEntry(const Level& level, int32_t index)
{
    const LevelData* data = level.data.get();
    if (!data || !data->generated || index < 0 || index >= static_cast<int32_t>(data->blockGrid.size()))
        return -1;
    return data->blockGrid[static_cast<size_t>(index)];
}

int32_t RollBlockMonsters(Level& level, int32_t index, bool always)
{
    if (!QueryData(level) || !level.area)
        return 0;
    AreaResource* area = LevelGenerator::GetArea(level);
    const AreaBlock* block = area ? area->GetBlock(GetGridEntry(level, index)) : nullptr;
    return level.area->RollMonstersPerBlock(always || (block && block->forceMonsters));
}

int32_t RollBlockChests(Level& level, int32_t index, bool always)
{
    if (!QueryData(level) || !level.area)
        return 0;
    AreaResource* area = LevelGenerator::GetArea(level);
    const AreaBlock* block = area ? area->GetBlock(GetGridEntry(level, index)) : nullptr;
    return level.area->RollChestsPerBlock(always || (block && block->forceChests));
}

WorldPos RandomPointInLevel(Level& level)
{
    LevelData* data = level.data.get();
    if (data)
        LevelGenerator::EnsureGenerated(level);
    LevelGeometry g = data ? data->geometry : LevelGeometry::Current();
    const AreaDefinition* area = level.area;
    float width = area && area->maxBlockWidth >= 1 ? static_cast<float>(area->maxBlockWidth) * g.blockWidth
                                                   : static_cast<float>(g.levelTileWidth) * g.tileSize;
    float height = area && area->maxBlockHeight >= 1 ? static_cast<float>(area->maxBlockHeight) * g.blockHeight
                                                     : static_cast<float>(g.levelTileHeight) * g.tileSize;
    bool generated = data && data->generated;
    for (int32_t draw = 0; draw < kMaxPointDraws; ++draw) {
        float x = DrawRandomScaled(RandomStream::BlockPoints, width);
        float y = DrawRandomScaled(RandomStream::BlockPoints, height);
        WorldPos point = QuerySnapped(level.index, x, y);
        if (point.level != level.index)
            continue;
        int32_t index = WorldToBlock(level, point.x, point.y);
        if (!generated || (index >= 0 && data->visited[static_cast<size_t>(index)]))
            return point;
    }
    // Nothing reachable was drawn: the middle of the first reachable block, if any.
    for (int32_t index = 0; generated && index < g.BlockCount(); ++index) {
        if (data->visited[static_cast<size_t>(index)]) {
            float x = (static_cast<float>(index % g.blocksPerRow) + 0.5f) * g.blockWidth;
            float y = (static_cast<float>(index / g.blocksPerRow) + 0.5f) * g.blockHeight;
            return WorldPos{level.index, x, y, true};
        }
    }
    return WorldPos{-1, 0.0f, 0.0f, true};
}

WorldPos RandomPointInBlock(Level& level, int32_t blockX, int32_t blockY)
{
    LevelGeometry g = level.data ? level.data->geometry : LevelGeometry::Current();
    WorldPos point{level.index, 0.0f, 0.0f, true};
    for (int32_t draw = 0; draw < kMaxPointDraws; ++draw) {
        float x = static_cast<float>(blockX) * g.blockWidth + DrawRandomScaled(RandomStream::GameData, g.blockWidth);
        float y = static_cast<float>(blockY) * g.blockHeight + DrawRandomScaled(RandomStream::GameData, g.blockHeight);
        point = WorldPos{level.index, x, y, true};
        point.Normalize();
        if (point.level == level.index)
            return point;
    }
    return WorldPos{-1, 0.0f, 0.0f, true};
}

void ClearTileCellsAround(Level& level, int32_t tileX, int32_t tileY)
{
    LevelData* data = level.data.get();
    if (!data || data->tileCells.empty())
        return;
    const LevelGeometry& g = data->geometry;
    for (int32_t y = tileY - 1; y <= tileY + 1; ++y) {
        for (int32_t x = tileX - 1; x <= tileX + 1; ++x) {
            if (x < 0 || y < 0 || x >= g.levelTileWidth || y >= g.levelTileHeight)
                continue;
            data->tileCells[static_cast<size_t>(y * g.levelTileWidth + x)] = {};
        }
    }
}

void InvalidateCachedBlocks(Level& level)
{
    LevelData* data = level.data.get();
    if (!data)
        return;
    std::fill(data->movementBits.begin(), data->movementBits.end(), false);
    std::fill(data->sightBits.begin(), data->sightBits.end(), false);
    std::fill(data->blockBuilt.begin(), data->blockBuilt.end(), false);
}

const DatabaseEntry* PickChestType(const Level& level)
{
    int32_t kind = level.area ? level.area->PickChestKind() : -1;
    return kind < 0 ? nullptr : level.area->chestKinds[static_cast<size_t>(kind)].entry;
}

const DatabaseEntry* PickTrapType(const Level& level)
{
    int32_t kind = level.area ? level.area->PickTrapKind() : -1;
    return kind < 0 ? nullptr : level.area->trapKinds[static_cast<size_t>(kind)].entry;
}

const Level& TopLevel(const Level& level)
{
    // Parent links are made by the layout, but a loop in them must not hang the caller.
    std::unordered_set<const Level*> visited{&level};
    const Level* top = &level;
    while (top->parent && visited.insert(top->parent).second)
        top = top->parent;
    return *top;
}

int32_t GetGateCount(const Level& level)
{
    return static_cast<int32_t>(level.gates.size());
}

LevelGate GetGate(const Level& level, int32_t i)
{
    if (i < 0 || i >= GetGateCount(level))
        return LevelGate{WorldPos{-1, 0.0f, 0.0f, true}};
    return level.gates[static_cast<size_t>(i)];
}

int32_t GetDownwardGateTarget(const Level& level)
{
    for (int32_t i = 0; i < GetGateCount(level); ++i) {
        LevelGate gate = GetGate(level, i);
        if (gate.leadsDown)
            return gate.targetLevel;
    }
    return -1;
}

} // namespace LevelQueries
