// World -- the adventure's map: the level list on its grid, the level geometry and the directions between levels.
#include "world/World.h"

#include "rules/GameSystemTuning.h"

World* gWorld = nullptr;

namespace {

constexpr LevelStep kWorldDirectionSteps[kWorldDirectionCount] = {
    {-1, 1}, {0, 1}, {1, 1}, {1, 0}, {1, -1}, {0, -1}, {-1, -1}, {-1, 0},
};

} // namespace

LevelStep LevelStepOfDirection(int32_t direction)
{
    if (direction < 0 || direction >= kWorldDirectionCount)
        return {};
    return kWorldDirectionSteps[direction];
}

int32_t DirectionOfLevelStep(LevelStep step)
{
    for (int32_t direction = 0; direction < kWorldDirectionCount; ++direction) {
        if (kWorldDirectionSteps[direction].dx == step.dx && kWorldDirectionSteps[direction].dy == step.dy)
            return direction;
    }
    return kNoWorldDirection;
}

World::World()
{
    // The tuning's defaults until the game data gives the real geometry.
    GameSystemTuning defaults;
    SetLevelSize(static_cast<float>(defaults.levelTileWidth) * defaults.tileSize,
                 static_cast<float>(defaults.levelTileHeight) * defaults.tileSize);
}

World::~World() = default;

void World::SetLevelSize(float width, float height)
{
    levelWidth = width;
    levelHeight = height;
}

Level* World::GetLevel(int32_t index) const
{
    if (index < 0 || index >= GetLevelCount())
        return nullptr;
    return levels[static_cast<size_t>(index)].get();
}

Level* World::AddLevel(std::unique_ptr<Level> level)
{
    level->index = GetLevelCount();
    levels.push_back(std::move(level));
    return levels.back().get();
}

int32_t World::GetNeighbourLevel(int32_t level, int32_t direction) const
{
    const Level* found = GetLevel(level);
    if (!found || direction < 0 || direction >= kWorldDirectionCount)
        return -1;
    return found->neighbours[static_cast<size_t>(direction)];
}

LevelGridInfo World::GetLevelInfo(int32_t level) const
{
    const Level* found = GetLevel(level);
    if (!found)
        return {};
    return {found->column, found->row, found->depth};
}

int32_t World::CombineDirections(int32_t first, int32_t second)
{
    if (first < 0 || first >= kWorldDirectionCount || second < 0 || second >= kWorldDirectionCount)
        return kNoWorldDirection;
    LevelStep a = kWorldDirectionSteps[first];
    LevelStep b = kWorldDirectionSteps[second];
    return DirectionOfLevelStep({a.dx + b.dx, a.dy + b.dy});
}

int32_t World::DirectionBetween(int32_t levelA, int32_t levelB) const
{
    const Level* a = GetLevel(levelA);
    const Level* b = GetLevel(levelB);
    if (!a || !b || a->column < 0 || a->row < 0 || b->column < 0 || b->row < 0)
        return kNoWorldDirection;
    return DirectionOfLevelStep({b->column - a->column, b->row - a->row});
}
