// WorldPosFrame -- the level geometry and neighbour steps that both kinds of world position share.
#include "world/WorldPosFrame.h"

#include "core/MessageBuffer.h"

#include <cmath>

namespace {

// The neighbour whose frame a position is re-expressed in is looked for in this order.
constexpr int32_t kWorldPosFrameSearchOrder[kWorldDirectionCount] = {1, 5, 7, 3, 0, 2, 6, 4};

// -1 below the level, 1 beyond it, 0 inside.
int32_t WorldPosFrameSide(float value, float size, bool farEdgeInclusive)
{
    if (value < 0.0f)
        return -1;
    if (farEdgeInclusive ? value > size : value >= size)
        return 1;
    return 0;
}

} // namespace

WorldPosFrame::WorldPosFrame() : world(gWorld)
{
    if (world) {
        width = world->GetLevelWidth();
        height = world->GetLevelHeight();
        return;
    }
    World defaults;
    width = defaults.GetLevelWidth();
    height = defaults.GetLevelHeight();
}

int32_t WorldPosFrame::CarryAcrossEdge(int32_t level, float& x, float& y, bool farEdgeInclusive) const
{
    LevelStep step{WorldPosFrameSide(x, width, farEdgeInclusive), WorldPosFrameSide(y, height, farEdgeInclusive)};
    if (step.dx == 0 && step.dy == 0)
        return level;
    int32_t direction = DirectionOfLevelStep(step);
    x -= static_cast<float>(step.dx) * width;
    y -= static_cast<float>(step.dy) * height;
    return world ? world->GetNeighbourLevel(level, direction) : -1;
}

bool WorldPosFrame::ShiftToNeighbourFrame(int32_t level, int32_t target, float& x, float& y) const
{
    if (target == level)
        return true;
    if (!world || target < 0 || target >= world->GetLevelCount())
        return false;
    for (int32_t direction : kWorldPosFrameSearchOrder) {
        if (world->GetNeighbourLevel(level, direction) != target)
            continue;
        LevelStep step = LevelStepOfDirection(direction);
        x -= static_cast<float>(step.dx) * width;
        y -= static_cast<float>(step.dy) * height;
        return true;
    }
    return false;
}

LevelGridInfo WorldPosFrame::GridInfo(int32_t level) const
{
    return world ? world->GetLevelInfo(level) : LevelGridInfo{};
}

void WorldPosFrame::ShiftFarAway(float& x, float& y, int32_t levels) const
{
    x += static_cast<float>(levels) * width;
    y -= static_cast<float>(levels) * height;
}

bool ReadWorldPosFields(MessageBuffer& buffer, int32_t& level, float& x, float& y)
{
    int32_t readLevel = buffer.ReadInt();
    float readX = 0;
    float readY = 0;
    buffer.ReadVector2(readX, readY);
    if (buffer.Overrun() || !std::isfinite(readX) || !std::isfinite(readY))
        return false;
    level = readLevel;
    x = readX;
    y = readY;
    return true;
}
