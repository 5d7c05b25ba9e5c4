// WorldPos -- a place on the ground of the world: a level index and coordinates inside that level, carried across level edges.
#pragma once

#include "core/Vector.h"

#include <cstdint>

class MessageBuffer;

// Levels lie side by side, so a point that walks off one level's edge is a point of the
// neighbouring level: Normalize carries it there, ToLevelFrame re-expresses it in another
// level's frame. The level grid is the world's (gWorld); without a world no level has a
// neighbour or a grid cell.
struct WorldPos {
    int32_t level = -1;
    float x = 0.0f;
    float y = 0.0f;
    // Set: the position follows its coordinates into the neighbouring level.
    bool wrap = true;

    // One step only: a position more than a level away from its own is carried one level.
    void Normalize();
    // The same place in the frame of the target level; the level field is kept.
    void ToLevelFrame(int32_t target);
    Vector2 DeltaTo(const WorldPos& other) const;
    // Bounds included: a delta exactly r on an axis is in range.
    bool IsWithinRange(const WorldPos& other, float range) const;
    bool IsWithinExtents(const WorldPos& other, float extentX, float extentY) const;
    // Into [0, W - 1] x [0, H - 1]; the level is kept.
    void ClampToLevel();

    // Helpers the movement and range code need beyond the operations above: a copy moved by a
    // vector and normalised, and the ground distance to another position across levels.
    WorldPos Offset(const Vector2& step) const;
    float Distance2D(const WorldPos& other) const;
};

// The serialised form in datagrams and saves: level (32-bit), x, y; 12 bytes, no wrap flag.
void WriteWorldPos(MessageBuffer& buffer, const WorldPos& position);
// Refuses (false, out unchanged) a truncated position or a coordinate that is not finite;
// a read position has its wrap flag set.
bool ReadWorldPos(MessageBuffer& buffer, WorldPos& out);
