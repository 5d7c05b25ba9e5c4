// WorldPosFrame -- the level geometry and neighbour steps that both kinds of world position share.
#pragma once

#include "world/World.h"

#include <cstdint>

class MessageBuffer;

// Levels that are neither neighbours nor on one grid at one depth are put this many levels
// apart, a place no range test reaches.
constexpr int32_t kWorldPosFarLevels = 50;
constexpr int32_t kWorldPos3FarLevels = 5;

// A snapshot of the world's level size and grid for one operation; without a world, no level
// has a neighbour and the size is the tuning's default.
struct WorldPosFrame {
    WorldPosFrame();

    // Returns the level the coordinates now belong to and shifts them into its frame. With
    // farEdgeInclusive, x == W and y == H still count as inside (the 3-D rule).
    int32_t CarryAcrossEdge(int32_t level, float& x, float& y, bool farEdgeInclusive) const;
    // Steps 1-2 of the re-expression: the same level, or a neighbour asked in the order
    // 1, 5, 7, 3, 0, 2, 6, 4. True when one of them applied. A target outside the level list
    // never matches (it would match a missing neighbour's -1).
    bool ShiftToNeighbourFrame(int32_t level, int32_t target, float& x, float& y) const;
    LevelGridInfo GridInfo(int32_t level) const;
    void ShiftFarAway(float& x, float& y, int32_t levels) const;

    const World* world = nullptr;
    float width = 0.0f;
    float height = 0.0f;
};

// Level, x and y; false (nothing usable) when the buffer ran short or a coordinate is not finite.
bool ReadWorldPosFields(MessageBuffer& buffer, int32_t& level, float& x, float& y);
