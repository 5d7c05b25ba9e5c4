// WorldPos3 -- a world position with a height: projectiles, effects and anything off the ground.
#include "world/WorldPos3.h"

#include "core/MessageBuffer.h"
#include "world/WorldPosFrame.h"

void WorldPos3::Normalize()
{
    if (!wrap)
        return;
    WorldPosFrame frame;
    level = frame.CarryAcrossEdge(level, x, y, true);
}

void WorldPos3::ToLevelFrame(int32_t target)
{
    WorldPosFrame frame;
    if (!frame.ShiftToNeighbourFrame(level, target, x, y))
        frame.ShiftFarAway(x, y, kWorldPos3FarLevels);
}

Vector3 WorldPos3::DeltaTo(const WorldPos3& other) const
{
    WorldPos3 from{level, x, y, z, true};
    if (from.level != other.level)
        from.ToLevelFrame(other.level);
    return {other.x - from.x, other.y - from.y, other.z - from.z};
}

WorldPos3 WorldPos3::Add(const Vector3& step) const
{
    WorldPos3 moved{level, x + step.x, y + step.y, z + step.z, wrap};
    moved.Normalize();
    return moved;
}

void WorldPos3::Set(int32_t newLevel, const Vector2& point)
{
    level = newLevel;
    x = point.x;
    y = point.y;
    z = 0.0f;
    wrap = true;
}

void WriteWorldPos(MessageBuffer& buffer, const WorldPos3& position)
{
    WriteWorldPos(buffer, WorldPos{position.level, position.x, position.y, position.wrap});
}

bool ReadWorldPos(MessageBuffer& buffer, WorldPos3& out)
{
    return ReadWorldPosFields(buffer, out.level, out.x, out.y);
}
