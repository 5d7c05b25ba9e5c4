// WorldPosTest -- positions on a 3x3 level grid: edge carrying, frames across levels, range tests and the 12-byte form.
#include "world/WorldPos.h"

#include "core/MessageBuffer.h"
#include "world/World.h"
#include "world/WorldPos3.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

namespace {

constexpr float kW = 100.0f;
constexpr float kH = 200.0f;

// Levels 0-8 fill a 3x3 grid (index = row x 3 + column) with every neighbour inside the grid
// recorded; level 9 is detached, level 10 hangs below level 4 (same cell, depth 1).
class WorldPosGrid : public ::testing::Test {
protected:
    WorldPosGrid()
    {
        world.SetLevelSize(kW, kH);
        for (int32_t row = 0; row < 3; ++row) {
            for (int32_t column = 0; column < 3; ++column) {
                auto level = std::make_unique<Level>();
                level->column = column;
                level->row = row;
                world.AddLevel(std::move(level));
            }
        }
        for (int32_t index = 0; index < 9; ++index) {
            Level* level = world.GetLevel(index);
            for (int32_t direction = 0; direction < kWorldDirectionCount; ++direction) {
                LevelStep step = LevelStepOfDirection(direction);
                int32_t column = level->column + step.dx;
                int32_t row = level->row + step.dy;
                if (column >= 0 && column < 3 && row >= 0 && row < 3)
                    level->neighbours[static_cast<size_t>(direction)] = row * 3 + column;
            }
        }
        world.AddLevel(std::make_unique<Level>());
        auto below = std::make_unique<Level>();
        below->column = 1;
        below->row = 1;
        below->depth = 1;
        world.AddLevel(std::move(below));
        gWorld = &world;
    }
    ~WorldPosGrid() override { gWorld = nullptr; }

    World world;
};

constexpr int32_t kCentre = 4;
constexpr int32_t kDetached = 9;
constexpr int32_t kBelow = 10;

TEST_F(WorldPosGrid, NormalizeCarriesIntoEachOfTheEightNeighbours)
{
    struct Case {
        float x, y;
        int32_t level;
        float newX, newY;
    };
    const Case cases[] = {
        {-10, -20, 0, 90, 180},  {-10, 50, 3, 90, 50},    {-10, 250, 6, 90, 50},
        {30, -20, 1, 30, 180},   {30, 50, 4, 30, 50},     {30, 250, 7, 30, 50},
        {110, -20, 2, 10, 180},  {110, 50, 5, 10, 50},    {110, 250, 8, 10, 50},
    };
    for (const Case& c : cases) {
        WorldPos pos{kCentre, c.x, c.y, true};
        pos.Normalize();
        EXPECT_EQ(pos.level, c.level) << c.x << "," << c.y;
        EXPECT_FLOAT_EQ(pos.x, c.newX);
        EXPECT_FLOAT_EQ(pos.y, c.newY);
    }
}

TEST_F(WorldPosGrid, NormalizeJustOffTheNearEdge)
{
    WorldPos pos{kCentre, -0.5f, 10.0f, true};
    pos.Normalize();
    EXPECT_EQ(pos.level, 3);
    EXPECT_FLOAT_EQ(pos.x, kW - 0.5f);
}

TEST_F(WorldPosGrid, FarEdgeLeavesFor2DButNotFor3D)
{
    WorldPos flat{kCentre, kW, 10.0f, true};
    flat.Normalize();
    EXPECT_EQ(flat.level, 5);
    EXPECT_FLOAT_EQ(flat.x, 0.0f);

    WorldPos3 raised{kCentre, kW, kH, 7.0f, true};
    raised.Normalize();
    EXPECT_EQ(raised.level, kCentre);
    EXPECT_FLOAT_EQ(raised.x, kW);

    raised.x = kW + 1.0f;
    raised.Normalize();
    EXPECT_EQ(raised.level, 5);
    EXPECT_FLOAT_EQ(raised.x, 1.0f);
    EXPECT_FLOAT_EQ(raised.z, 7.0f);
}

TEST_F(WorldPosGrid, NormalizeMovesOneLevelAtMost)
{
    WorldPos pos{kCentre, 2.5f * kW, 10.0f, true};
    pos.Normalize();
    EXPECT_EQ(pos.level, 5);
    EXPECT_FLOAT_EQ(pos.x, 1.5f * kW);
}

TEST_F(WorldPosGrid, ClearWrapFlagNeverMoves)
{
    WorldPos pos{kCentre, -5000.0f, 9000.0f, false};
    pos.Normalize();
    EXPECT_EQ(pos.level, kCentre);
    EXPECT_FLOAT_EQ(pos.x, -5000.0f);
    WorldPos3 raised{kCentre, -1.0f, -1.0f, 0.0f, false};
    raised.Normalize();
    EXPECT_EQ(raised.level, kCentre);
}

TEST_F(WorldPosGrid, LeavingTheGridEndsOnNoLevelWithShiftedCoordinates)
{
    WorldPos pos{0, -1.0f, 5.0f, true};
    pos.Normalize();
    EXPECT_EQ(pos.level, -1);
    EXPECT_FLOAT_EQ(pos.x, kW - 1.0f);
    WorldPos3 raised{kDetached, 5.0f, -1.0f, 0.0f, true};
    raised.Normalize();
    EXPECT_EQ(raised.level, -1);
    EXPECT_FLOAT_EQ(raised.y, kH - 1.0f);
}

TEST_F(WorldPosGrid, NormalizeWithoutWorldLeavesForNoLevel)
{
    gWorld = nullptr;
    WorldPos pos{kCentre, -1.0f, 5.0f, true};
    pos.Normalize();
    EXPECT_EQ(pos.level, -1);
}

TEST_F(WorldPosGrid, ToLevelFrameShiftsByTheNeighbourOffset)
{
    WorldPos pos{kCentre, 10.0f, 20.0f, true};
    pos.ToLevelFrame(7);  // direction 1: the neighbour's origin is H above
    EXPECT_EQ(pos.level, kCentre);
    EXPECT_FLOAT_EQ(pos.x, 10.0f);
    EXPECT_FLOAT_EQ(pos.y, 20.0f - kH);

    WorldPos corner{kCentre, 10.0f, 20.0f, true};
    corner.ToLevelFrame(6);  // direction 0: x + W, y - H
    EXPECT_FLOAT_EQ(corner.x, 10.0f + kW);
    EXPECT_FLOAT_EQ(corner.y, 20.0f - kH);
}

TEST_F(WorldPosGrid, ToLevelFrameAsksNeighboursInFixedOrder)
{
    // A level recorded as the neighbour both above and below: direction 1 is asked first.
    world.GetLevel(kCentre)->neighbours[5] = 7;
    WorldPos pos{kCentre, 0.0f, 0.0f, true};
    pos.ToLevelFrame(7);
    EXPECT_FLOAT_EQ(pos.y, -kH);
    WorldPos3 raised{kCentre, 0.0f, 0.0f, 0.0f, true};
    raised.ToLevelFrame(7);
    EXPECT_FLOAT_EQ(raised.y, -kH);
}

TEST_F(WorldPosGrid, ToLevelFrameUsesGridCellsForLevelsFurtherAway)
{
    WorldPos pos{0, 10.0f, 20.0f, true};
    pos.ToLevelFrame(8);
    EXPECT_FLOAT_EQ(pos.x, 10.0f - 2.0f * kW);
    EXPECT_FLOAT_EQ(pos.y, 20.0f - 2.0f * kH);

    // The 3-D form has no grid step: two levels apart is already far away.
    WorldPos3 raised{0, 10.0f, 20.0f, 0.0f, true};
    raised.ToLevelFrame(8);
    EXPECT_FLOAT_EQ(raised.x, 10.0f + 5.0f * kW);
    EXPECT_FLOAT_EQ(raised.y, 20.0f - 5.0f * kH);
}

TEST_F(WorldPosGrid, OtherDepthDetachedAndMissingLevelsAreFarAway)
{
    for (int32_t target : {kBelow, kDetached, -1, 11, 1000}) {
        WorldPos pos{kCentre, 10.0f, 20.0f, true};
        pos.ToLevelFrame(target);
        EXPECT_FLOAT_EQ(pos.x, 10.0f + 50.0f * kW) << target;
        EXPECT_FLOAT_EQ(pos.y, 20.0f - 50.0f * kH) << target;
        WorldPos3 raised{kCentre, 10.0f, 20.0f, 3.0f, true};
        raised.ToLevelFrame(target);
        EXPECT_FLOAT_EQ(raised.x, 10.0f + 5.0f * kW) << target;
        EXPECT_FLOAT_EQ(raised.z, 3.0f);
    }
    // A missing neighbour (-1) of level 0 is not taken for a target of -1.
    WorldPos edge{0, 10.0f, 20.0f, true};
    edge.ToLevelFrame(-1);
    EXPECT_FLOAT_EQ(edge.x, 10.0f + 50.0f * kW);
}

TEST_F(WorldPosGrid, DeltaToAcrossLevelsLeavesBothPositionsAlone)
{
    const WorldPos left{3, kW - 3.0f, 50.0f, false};
    const WorldPos right{kCentre, 1.0f, 54.0f, false};
    Vector2 delta = left.DeltaTo(right);
    EXPECT_FLOAT_EQ(delta.x, 4.0f);
    EXPECT_FLOAT_EQ(delta.y, 4.0f);
    EXPECT_EQ(left.level, 3);
    EXPECT_FLOAT_EQ(left.x, kW - 3.0f);
    EXPECT_FLOAT_EQ(left.Distance2D(WorldPos{kCentre, 1.0f, 53.0f, true}), 5.0f);

    const WorldPos3 low{kCentre, 5.0f, kH - 1.0f, 1.0f, true};
    const WorldPos3 high{7, 5.0f, 2.0f, 4.0f, true};
    Vector3 delta3 = low.DeltaTo(high);
    EXPECT_FLOAT_EQ(delta3.y, 3.0f);
    EXPECT_FLOAT_EQ(delta3.z, 3.0f);
}

TEST_F(WorldPosGrid, RangeBoundsAreInclusiveAndSquare)
{
    const WorldPos centre{kCentre, 50.0f, 50.0f, true};
    EXPECT_TRUE(centre.IsWithinRange(centre, 0.0f));
    EXPECT_FALSE(centre.IsWithinRange(WorldPos{kCentre, 50.0f, 50.5f, true}, 0.0f));
    EXPECT_TRUE(centre.IsWithinRange(WorldPos{kCentre, 60.0f, 40.0f, true}, 10.0f));
    EXPECT_FALSE(centre.IsWithinRange(WorldPos{kCentre, 60.0f, 39.5f, true}, 10.0f));
    EXPECT_TRUE(centre.IsWithinExtents(WorldPos{kCentre, 40.0f, 70.0f, true}, 10.0f, 20.0f));
    EXPECT_FALSE(centre.IsWithinExtents(WorldPos{kCentre, 39.0f, 70.0f, true}, 10.0f, 20.0f));
    // Across a level edge, measured in the other level's frame.
    EXPECT_TRUE((WorldPos{3, kW - 1.0f, 50.0f, true}.IsWithinRange(WorldPos{kCentre, 1.0f, 50.0f, true}, 2.0f)));
    // A level at another depth is never in range.
    EXPECT_FALSE(centre.IsWithinRange(WorldPos{kBelow, 50.0f, 50.0f, true}, 10.0f * kW));
}

TEST_F(WorldPosGrid, ClampToLevelKeepsTheFarEdgeInside)
{
    WorldPos pos{kCentre, kW, -3.0f, true};
    pos.ClampToLevel();
    EXPECT_FLOAT_EQ(pos.x, kW - 1.0f);
    EXPECT_FLOAT_EQ(pos.y, 0.0f);
    WorldPos other{kCentre, -1.0f, kH + 5.0f, true};
    other.ClampToLevel();
    EXPECT_FLOAT_EQ(other.x, 0.0f);
    EXPECT_FLOAT_EQ(other.y, kH - 1.0f);
    EXPECT_EQ(other.level, kCentre);
}

TEST_F(WorldPosGrid, AddAndOffsetMoveThenNormalize)
{
    const WorldPos3 start{kCentre, kW - 1.0f, 5.0f, 2.0f, true};
    WorldPos3 moved = start.Add({2.0f, 0.0f, -1.0f});
    EXPECT_EQ(moved.level, 5);
    EXPECT_FLOAT_EQ(moved.x, 1.0f);
    EXPECT_FLOAT_EQ(moved.z, 1.0f);
    WorldPos3 unwrapped{kCentre, kW - 1.0f, 5.0f, 2.0f, false};
    EXPECT_EQ(unwrapped.Add({2.0f, 0.0f, 0.0f}).level, kCentre);
    // Filled anew from a level and a point, it stands on the ground and is carried again.
    WorldPos3 refilled{0, 1.0f, 1.0f, 2.0f, false};
    refilled.Set(kCentre, Vector2{kW - 1.0f, 5.0f});
    EXPECT_EQ(refilled.level, kCentre);
    EXPECT_FLOAT_EQ(refilled.x, kW - 1.0f);
    EXPECT_FLOAT_EQ(refilled.y, 5.0f);
    EXPECT_FLOAT_EQ(refilled.z, 0.0f);
    EXPECT_EQ(refilled.Add({2.0f, 0.0f, 0.0f}).level, 5);

    WorldPos flat = WorldPos{kCentre, 1.0f, 1.0f, true}.Offset({-2.0f, -2.0f});
    EXPECT_EQ(flat.level, 0);
    EXPECT_FLOAT_EQ(flat.x, kW - 1.0f);
    EXPECT_FLOAT_EQ(flat.y, kH - 1.0f);
}

TEST(WorldDirections, CombineSumsOneLevelSteps)
{
    EXPECT_EQ(World::CombineDirections(1, 3), 2);
    EXPECT_EQ(World::CombineDirections(7, 1), 0);
    EXPECT_EQ(World::CombineDirections(3, 5), 4);
    EXPECT_EQ(World::CombineDirections(0, 3), 1);
    EXPECT_EQ(World::CombineDirections(6, 3), 5);
    EXPECT_EQ(World::CombineDirections(1, 5), kNoWorldDirection);
    EXPECT_EQ(World::CombineDirections(1, 1), kNoWorldDirection);
    EXPECT_EQ(World::CombineDirections(0, 2), kNoWorldDirection);
    EXPECT_EQ(World::CombineDirections(-1, 3), kNoWorldDirection);
    EXPECT_EQ(World::CombineDirections(3, 8), kNoWorldDirection);
}

TEST_F(WorldPosGrid, DirectionBetweenReadsGridCells)
{
    EXPECT_EQ(world.DirectionBetween(kCentre, 0), 6);
    EXPECT_EQ(world.DirectionBetween(kCentre, 1), 5);
    EXPECT_EQ(world.DirectionBetween(kCentre, 7), 1);
    EXPECT_EQ(world.DirectionBetween(kCentre, 5), 3);
    EXPECT_EQ(world.DirectionBetween(0, 8), kNoWorldDirection);
    EXPECT_EQ(world.DirectionBetween(kCentre, kBelow), kNoWorldDirection);
    EXPECT_EQ(world.DirectionBetween(kCentre, kDetached), kNoWorldDirection);
    EXPECT_EQ(world.DirectionBetween(kCentre, 99), kNoWorldDirection);
}

std::vector<uint8_t> WorldPosBytes(const MessageBuffer& buffer)
{
    return std::vector<uint8_t>(buffer.Data(), buffer.Data() + buffer.Size());
}

TEST(WorldPosMessage, TwelveLittleEndianBytes)
{
    MessageBuffer buffer;
    WriteWorldPos(buffer, WorldPos{0x01020304, 1.0f, -2.0f, false});
    const std::vector<uint8_t> expected = {0x04, 0x03, 0x02, 0x01, 0x00, 0x00, 0x80, 0x3F, 0x00, 0x00, 0x00, 0xC0};
    EXPECT_EQ(WorldPosBytes(buffer), expected);

    MessageBuffer raised;
    WriteWorldPos(raised, WorldPos3{0x01020304, 1.0f, -2.0f, 99.0f, true});
    EXPECT_EQ(WorldPosBytes(raised), expected);
}

TEST(WorldPosMessage, RoundTripSetsTheWrapFlagAndKeepsHeight)
{
    MessageBuffer buffer;
    WriteWorldPos(buffer, WorldPos{-1, 12.5f, 4096.0f, false});
    WriteWorldPos(buffer, WorldPos3{7, -3.25f, 0.5f, 40.0f, false});
    WorldPos flat{3, 0.0f, 0.0f, false};
    ASSERT_TRUE(ReadWorldPos(buffer, flat));
    EXPECT_EQ(flat.level, -1);
    EXPECT_FLOAT_EQ(flat.x, 12.5f);
    EXPECT_FLOAT_EQ(flat.y, 4096.0f);
    EXPECT_TRUE(flat.wrap);
    WorldPos3 raised{0, 0.0f, 0.0f, 8.0f, false};
    ASSERT_TRUE(ReadWorldPos(buffer, raised));
    EXPECT_EQ(raised.level, 7);
    EXPECT_FLOAT_EQ(raised.x, -3.25f);
    EXPECT_FLOAT_EQ(raised.z, 8.0f);
    EXPECT_FALSE(raised.wrap);
    EXPECT_EQ(buffer.BytesLeft(), 0u);
}

TEST(WorldPosMessage, TruncatedOrNonFiniteReadsChangeNothing)
{
    MessageBuffer whole;
    WriteWorldPos(whole, WorldPos{5, 1.0f, 2.0f, true});
    for (size_t cut = 0; cut < whole.Size(); ++cut) {
        MessageBuffer buffer;
        buffer.WriteBytes(whole.Data(), cut);
        WorldPos flat{9, 7.0f, 8.0f, false};
        EXPECT_FALSE(ReadWorldPos(buffer, flat)) << cut;
        EXPECT_EQ(flat.level, 9);
        EXPECT_FLOAT_EQ(flat.x, 7.0f);
        EXPECT_FALSE(flat.wrap);
        buffer.SetReadPos(0);
        WorldPos3 raised{9, 7.0f, 8.0f, 1.0f, true};
        EXPECT_FALSE(ReadWorldPos(buffer, raised)) << cut;
        EXPECT_EQ(raised.level, 9);
    }
    for (float bad : {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity()}) {
        MessageBuffer buffer;
        WriteWorldPos(buffer, WorldPos{5, 1.0f, bad, true});
        WorldPos flat{9, 7.0f, 8.0f, true};
        EXPECT_FALSE(ReadWorldPos(buffer, flat));
        EXPECT_EQ(flat.level, 9);
        EXPECT_FLOAT_EQ(flat.y, 8.0f);
    }
}

} // namespace
