// MathUtilTest -- saturating rounding, integer powers, angle stepping, the direction sectors and packed words.
#include "core/MathUtil.h"

#include <climits>
#include <cmath>
#include <gtest/gtest.h>

TEST(MathUtilRounding, HalfRoundsUpAndExtremesSaturate)
{
    EXPECT_EQ(RoundToInt(2.5f), 3);
    EXPECT_EQ(RoundToInt(-2.5f), -2);
    EXPECT_EQ(RoundToInt(-0.5f), 0);
    EXPECT_EQ(FloorToInt(-0.25f), -1);
    EXPECT_EQ(CeilToInt(-0.75f), 0);
    EXPECT_EQ(RoundToInt(3e9f), INT_MAX);
    EXPECT_EQ(FloorToInt(-3e9f), INT_MIN);
    EXPECT_EQ(CeilToInt(NAN), 0);
}

TEST(MathUtilPower, RepeatedSquaringWithNegativeExponents)
{
    EXPECT_EQ(PowInt(2.0f, 10), 1024.0f);
    EXPECT_EQ(PowInt(-2.0f, 3), -8.0f);
    EXPECT_EQ(PowInt(2.0f, -2), 0.25f);
    EXPECT_EQ(PowInt(5.0f, 0), 1.0f);
    EXPECT_EQ(PowInt(1.0f, INT_MIN), 1.0f);
}

TEST(MathUtilAngles, ApproachTakesTheShorterWayAndStopsOnTarget)
{
    EXPECT_FLOAT_EQ(ApproachAngle(350.0f, 10.0f, 5.0f), 355.0f);
    EXPECT_FLOAT_EQ(ApproachAngle(355.0f, 10.0f, 30.0f), 10.0f);
    EXPECT_FLOAT_EQ(ApproachAngle(10.0f, 350.0f, 15.0f), 355.0f);
    EXPECT_FLOAT_EQ(ApproachAngle(-10.0f, 10.0f, 5.0f), 355.0f);
    EXPECT_FLOAT_EQ(ApproachAngle(90.0f, -270.0f, 1.0f), 90.0f);
    EXPECT_FLOAT_EQ(WrapDegrees(-720.5f), 359.5f);
}

TEST(MathUtilDirections, AnglesAndSectorsOfTheEightDirections)
{
    const float expected[8] = {90.0f, 45.0f, 0.0f, -45.0f, -90.0f, -135.0f, 180.0f, 135.0f};
    for (int32_t direction = 0; direction < 8; ++direction) {
        EXPECT_EQ(DirectionToAngle(direction), expected[direction]);
        EXPECT_EQ(AngleToDirection(expected[direction]), direction);
    }
    EXPECT_EQ(AngleToDirection(22.4f), 2);
    EXPECT_EQ(AngleToDirection(22.5f), 1);
    EXPECT_EQ(AngleToDirection(-22.5f), 2);
    EXPECT_EQ(AngleToDirection(-180.0f), 6);
    EXPECT_EQ(AngleToDirection(810.0f), 0);
    EXPECT_EQ(AngleToDirection(NAN), 0);
    EXPECT_EQ(DirectionToAngle(8), 0.0f);
}

TEST(MathUtilPacking, TwoSixteenBitFieldsShareAWord)
{
    uint32_t word = PackBits16(PackBits16(0, 3, 0), 0x12345, 16);
    EXPECT_EQ(word, 0x23450003u);
    EXPECT_EQ(UnpackBits16(word, 0), 3u);
    EXPECT_EQ(UnpackBits16(word, 16), 0x2345u);
    EXPECT_EQ(PackBits16(word, 1, 32), word);
    EXPECT_EQ(UnpackBits16(word, -1), 0u);
}

TEST(MathUtilRects, TouchingEdgesOverlap)
{
    Rect a{0.0f, 0.0f, 10.0f, 10.0f};
    EXPECT_TRUE(RectsOverlap(a, {10.0f, 5.0f, 20.0f, 6.0f}));
    EXPECT_FALSE(RectsOverlap(a, {10.5f, 5.0f, 20.0f, 6.0f}));
    EXPECT_FALSE(RectsOverlap(a, {2.0f, -5.0f, 3.0f, -0.1f}));
}

TEST(MathUtilInterpolation, TheFactorIsHeldToZeroAndOneAndAnEmptyRangeGivesZero)
{
    EXPECT_FLOAT_EQ(InterpolationFactor(2.0f, 6.0f, 3.0f), 0.25f);
    EXPECT_FLOAT_EQ(InterpolationFactor(2.0f, 6.0f, 2.0f), 0.0f);
    EXPECT_FLOAT_EQ(InterpolationFactor(2.0f, 6.0f, -100.0f), 0.0f);
    EXPECT_FLOAT_EQ(InterpolationFactor(2.0f, 6.0f, 6.0f), 1.0f);
    EXPECT_FLOAT_EQ(InterpolationFactor(2.0f, 6.0f, 1e30f), 1.0f);
    // A range of no length or a reversed one never divides by it.
    EXPECT_FLOAT_EQ(InterpolationFactor(4.0f, 4.0f, 5.0f), 0.0f);
    EXPECT_FLOAT_EQ(InterpolationFactor(6.0f, 2.0f, 5.0f), 0.0f);
}
