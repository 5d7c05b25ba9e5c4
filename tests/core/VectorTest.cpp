// VectorTest -- the backwards lerp weight, direction/angle conversions with their vertical cases, grid snapping.
#include "core/Vector.h"

#include <cmath>
#include <gtest/gtest.h>

namespace {

void VectorExpectNear(const Vector3& actual, const Vector3& expected)
{
    EXPECT_NEAR(actual.x, expected.x, 1e-5f);
    EXPECT_NEAR(actual.y, expected.y, 1e-5f);
    EXPECT_NEAR(actual.z, expected.z, 1e-5f);
}

void ExpectAngles(const Vector3& direction, float heading, float pitch)
{
    HeadingPitch angles = DirectionToAngles(direction);
    EXPECT_NEAR(angles.heading, heading, 1e-4f);
    EXPECT_NEAR(angles.pitch, pitch, 1e-4f);
}

} // namespace

TEST(VectorLerp, WeightTGoesWithTheFirstVector)
{
    Vector3 a{1.0f, 2.0f, 3.0f};
    Vector3 b{5.0f, 6.0f, 7.0f};
    VectorExpectNear(Vector3Lerp(a, b, 0.25f), {4.0f, 5.0f, 6.0f});
    EXPECT_TRUE(Vec3Equal(Vector3Lerp(a, b, 1.0f), a));
    EXPECT_TRUE(Vec3Equal(Vector3Lerp(a, b, 0.0f), b));
}

TEST(VectorNormalize, ReturnsFormerLengthAndLeavesZeroAlone)
{
    Vector2 v{3.0f, 4.0f};
    EXPECT_EQ(Vector2Normalize(v), 5.0f);
    EXPECT_FLOAT_EQ(v.x, 0.6f);
    Vector3 zero;
    EXPECT_EQ(Vector3Normalize(zero), 0.0f);
    EXPECT_TRUE(Vec3Equal(zero, Vector3{}));
    EXPECT_EQ(Vector2Angle({0.0f, 0.0f}), 0.0f);
    EXPECT_FLOAT_EQ(Vector2Angle({-1.0f, 0.0f}), 180.0f);
    EXPECT_FLOAT_EQ(Vector2Angle({0.0f, -2.0f}), -90.0f);
}

TEST(VectorAngles, HeadingWrapsPitchIsNegatedElevationAndVerticalsAreFixed)
{
    ExpectAngles({1.0f, 0.0f, 0.0f}, 0.0f, 0.0f);
    ExpectAngles({0.0f, -1.0f, 0.0f}, 270.0f, 0.0f);
    ExpectAngles({-1.0f, -1.0f, 0.0f}, 225.0f, 0.0f);
    ExpectAngles({1.0f, 0.0f, 1.0f}, 0.0f, -45.0f);
    // A downward elevation is raised by 360 before negating.
    ExpectAngles({1.0f, 0.0f, -1.0f}, 0.0f, -315.0f);
    ExpectAngles({0.0f, 0.0f, 2.0f}, 0.0f, -90.0f);
    ExpectAngles({0.0f, 0.0f, -2.0f}, 0.0f, -270.0f);
    ExpectAngles({0.0f, 0.0f, 0.0f}, 0.0f, -270.0f);
}

TEST(VectorAngles, AnglesToDirectionInvertsDirectionToAngles)
{
    const Vector3 directions[] = {{1.0f, 2.0f, 3.0f}, {-4.0f, 1.0f, -2.0f}, {0.0f, 0.0f, -1.0f}, {0.5f, -3.0f, 0.0f}};
    for (Vector3 direction : directions) {
        HeadingPitch angles = DirectionToAngles(direction);
        Vector3Normalize(direction);
        VectorExpectNear(AnglesToDirection(angles.heading, angles.pitch), direction);
    }
}

TEST(VectorSteps, ThreeDimensionalAxesAreUnitButGridStepsAreRaw)
{
    VectorExpectNear(AxisVector3FromIndex(7), {-std::sqrt(0.5f), std::sqrt(0.5f), 0.0f});
    Vector2 offset = GridOffsetFromIndex(3, 2.0f, 5.0f);
    EXPECT_EQ(offset.x, 2.0f);
    EXPECT_EQ(offset.y, -5.0f);
    EXPECT_TRUE(Vec3Equal(AxisVector3FromIndex(8), Vector3{}));
}

TEST(VectorSnap, NearestCellCornerFromTheOrigin)
{
    GridFrame grid{{0.5f, 0.0f}, {2.0f, 3.0f}};
    Vector2 snapped = SnapToGrid({1.4f, 4.4f}, grid);
    EXPECT_FLOAT_EQ(snapped.x, 0.5f);
    EXPECT_FLOAT_EQ(snapped.y, 3.0f);
    snapped = SnapToGrid({1.6f, -1.6f}, grid);
    EXPECT_FLOAT_EQ(snapped.x, 2.5f);
    EXPECT_FLOAT_EQ(snapped.y, -3.0f);
    snapped = SnapToGrid({1.4f, 4.4f}, GridFrame{});
    EXPECT_FLOAT_EQ(snapped.x, 1.4f);
}

TEST(VectorParse, FirstTwoNumbersWithMissingAndNonFiniteOnesZero)
{
    auto expect = [](std::string_view text, float x, float y) {
        Vector2 v = ParseVector2(text);
        EXPECT_FLOAT_EQ(v.x, x) << text;
        EXPECT_FLOAT_EQ(v.y, y) << text;
    };
    expect("1.5 -2 7", 1.5f, -2.0f);
    expect("  3\t4", 3.0f, 4.0f);
    expect("3", 3.0f, 0.0f);
    expect("", 0.0f, 0.0f);
    expect("x 4", 0.0f, 0.0f);
    expect("nan 2", 0.0f, 2.0f);
}
