// World -- the adventure's map: the level list on its grid, the level geometry and the directions between levels.
#pragma once

#include "core/BaseClass.h"
#include "world/Level.h"

#include <cstdint>
#include <memory>
#include <vector>

// The eight neighbour directions of a level, by the offset of the neighbour's origin in levels:
// 0 (-1, +1), 1 (0, +1), 2 (+1, +1), 3 (+1, 0), 4 (+1, -1), 5 (0, -1), 6 (-1, -1), 7 (-1, 0).
constexpr int32_t kWorldDirectionCount = 8;
// "No single step": opposite directions, two steps on one axis, levels not adjacent.
constexpr int32_t kNoWorldDirection = 9;

struct LevelStep {
    int32_t dx = 0;
    int32_t dy = 0;
};
// The step of a direction; (0, 0) outside 0..7.
LevelStep LevelStepOfDirection(int32_t direction);
// The direction of a one-level step; kNoWorldDirection for any other step.
int32_t DirectionOfLevelStep(LevelStep step);

// Where a level lies on the layout grid; -1, -1 for a detached level or an index outside the list.
struct LevelGridInfo {
    int32_t column = -1;
    int32_t row = -1;
    int32_t depth = 0;
};

class World : public BaseClass {
public:
    World();
    ~World() override;
    World(const World&) = delete;
    World& operator=(const World&) = delete;

    // Every level has the same size in world units: the tile counts times the tile size.
    void SetLevelSize(float width, float height);
    float GetLevelWidth() const { return levelWidth; }
    float GetLevelHeight() const { return levelHeight; }

    int32_t GetLevelCount() const { return static_cast<int32_t>(levels.size()); }
    // Null outside the list.
    Level* GetLevel(int32_t index) const;
    // Appends a level; its index is its place in the list.
    Level* AddLevel(std::unique_ptr<Level> level);

    // The neighbour's index, -1 when there is none, the level is outside the list or the
    // direction outside 0..7.
    int32_t GetNeighbourLevel(int32_t level, int32_t direction) const;
    LevelGridInfo GetLevelInfo(int32_t level) const;

    // The direction whose step is the sum of the two steps, when that is one step.
    static int32_t CombineDirections(int32_t first, int32_t second);
    // The direction in which B's grid cell lies next to A's; kNoWorldDirection when they are
    // not adjacent, either lies off the grid or either index is outside the list.
    int32_t DirectionBetween(int32_t levelA, int32_t levelB) const;

private:
    std::vector<std::unique_ptr<Level>> levels;
    float levelWidth = 0.0f;
    float levelHeight = 0.0f;
};

extern World* gWorld;
