// WorldPos -- a place on the ground of the world: a level index and coordinates inside that level, carried across level edges.
#include "world/WorldPos.h"

#include "core/MessageBuffer.h"
#include "world/World.h"
#include "world/WorldPosFrame.h"

void WorldPos::Normalize()
{
    if (!wrap)
        return;
    WorldPosFrame frame;
    level = frame.CarryAcrossEdge(level, x, y, false);
}

void WorldPos::ToLevelFrame(int32_t target)
{
    WorldPosFrame frame;
    if (frame.ShiftToNeighbourFrame(level, target, x, y))
        return;
    LevelGridInfo own = frame.GridInfo(level);
    LevelGridInfo other = frame.GridInfo(target);
    bool bothOnGrid = own.column >= 0 && own.row >= 0 && other.column >= 0 && other.row >= 0;
    if (bothOnGrid && own.depth == other.depth) {
        x -= static_cast<float>(other.column - own.column) * frame.width;
        y -= static_cast<float>(other.row - own.row) * frame.height;
        return;
    }
    frame.ShiftFarAway(x, y, kWorldPosFarLevels);
}

Vector2 WorldPos::DeltaTo(const WorldPos& other) const
{
    WorldPos from{level, x, y, true};
    if (from.level != other.level)
        from.ToLevelFrame(other.level);
    return {other.x - from.x, other.y - from.y};
}

bool WorldPos::IsWithinRange(const WorldPos& other, float range) const
{
    return IsWithinExtents(other, range, range);
}

bool WorldPos::IsWithinExtents(const WorldPos& other, float extentX, float extentY) const
{
    Vector2 delta = DeltaTo(other);
    return -extentX <= delta.x && delta.x <= extentX && -extentY <= delta.y && delta.y <= extentY;
}

void WorldPos::ClampToLevel()
{
    WorldPosFrame frame;
    if (x < 0.0f)
        x = 0.0f;
    else if (x >= frame.width)
        x = frame.width - 1.0f;
    if (y < 0.0f)
        y = 0.0f;
    else if (y >= frame.height)
        y = frame.height - 1.0f;
}

WorldPos WorldPos::Offset(const Vector2& step) const
{
    WorldPos moved{level, x + step.x, y + step.y, wrap};
    moved.Normalize();
    return moved;
}

float WorldPos::Distance2D(const WorldPos& other) const
{
    return Vector2Length(DeltaTo(other));
}

void WriteWorldPos(MessageBuffer& buffer, const WorldPos& position)
{
    buffer.WriteInt(position.level);
    buffer.WriteFloat(position.x);
    buffer.WriteFloat(position.y);
}

bool ReadWorldPos(MessageBuffer& buffer, WorldPos& out)
{
    WorldPos read;
    if (!ReadWorldPosFields(buffer, read.level, read.x, read.y))
        return false;
    out = read;
    return true;
}
