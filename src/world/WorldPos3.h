// WorldPos3 -- a world position with a height: projectiles, effects and anything off the ground.
#pragma once

#include "core/Vector.h"
#include "world/WorldPos.h"

#include <cstdint>

class MessageBuffer;

// Like WorldPos, except at the far edges: a position leaves its level only beyond W or H
// (x == W stays), and levels that are not neighbours are 5 levels apart, not 50. z is a
// height and never wraps.
struct WorldPos3 {
    int32_t level = -1;
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
    bool wrap = true;

    void Normalize();
    void ToLevelFrame(int32_t target);
    Vector3 DeltaTo(const WorldPos3& other) const;
    // A copy moved by the vector, then normalised.
    WorldPos3 Add(const Vector3& step) const;
    // The level and the point on its ground: z 0 and the wrap flag set, as a new position has it.
    void Set(int32_t newLevel, const Vector2& point);
};

// The same 12 bytes as WorldPos: z and the wrap flag are not written.
void WriteWorldPos(MessageBuffer& buffer, const WorldPos3& position);
// Sets level, x and y only (z and the wrap flag are kept); refused like the WorldPos read.
bool ReadWorldPos(MessageBuffer& buffer, WorldPos3& out);
