// QuaternionTest -- product order, the matrix form under v x M, and slerp ends, midpoint and sign flip.
#include "core/Quaternion.h"

#include <cmath>
#include <gtest/gtest.h>

namespace {

const float kHalfRoot2 = std::sqrt(0.5f);
// A quarter turn about +z (counter-clockwise seen from above).
const Quaternion kQuarterTurnZ{0.0f, 0.0f, kHalfRoot2, kHalfRoot2};

void QuaternionExpectNear(const Quaternion& actual, const Quaternion& expected)
{
    EXPECT_NEAR(actual.x, expected.x, 1e-5f);
    EXPECT_NEAR(actual.y, expected.y, 1e-5f);
    EXPECT_NEAR(actual.z, expected.z, 1e-5f);
    EXPECT_NEAR(actual.w, expected.w, 1e-5f);
}

void QuaternionExpectNear(const Vector3& actual, const Vector3& expected)
{
    EXPECT_NEAR(actual.x, expected.x, 1e-5f);
    EXPECT_NEAR(actual.y, expected.y, 1e-5f);
    EXPECT_NEAR(actual.z, expected.z, 1e-5f);
}

} // namespace

TEST(QuaternionProduct, HamiltonOrderGivesIJEqualsK)
{
    Quaternion i{1, 0, 0, 0}, j{0, 1, 0, 0};
    QuaternionExpectNear(QuaternionMultiply(i, j), {0, 0, 1, 0});
    QuaternionExpectNear(QuaternionMultiply(j, i), {0, 0, -1, 0});
    QuaternionExpectNear(QuaternionMultiply(kQuarterTurnZ, kQuarterTurnZ), {0, 0, 1, 0});
}

TEST(QuaternionMatrix, RowVectorTimesMatrixTurnsTheOtherWay)
{
    Matrix3 m = QuaternionToMatrix3(kQuarterTurnZ);
    // The stored rows are the column-vector rotation, so v x M turns x to -y, not +y.
    QuaternionExpectNear(Vector3MultiplyMatrix3({1, 0, 0}, m), {0, -1, 0});
    QuaternionExpectNear(Vector3MultiplyMatrix3({0, 1, 0}, m), {1, 0, 0});
    QuaternionExpectNear(Vector3MultiplyMatrix3({0, 0, 3}, m), {0, 0, 3});
}

TEST(QuaternionSlerpCases, EndsMidpointAndSignFlip)
{
    Quaternion identity;
    QuaternionExpectNear(QuaternionSlerp(identity, kQuarterTurnZ, 0.0f), identity);
    QuaternionExpectNear(QuaternionSlerp(identity, kQuarterTurnZ, 1.0f), kQuarterTurnZ);
    const Quaternion eighthTurn{0.0f, 0.0f, std::sin(0.39269908f), std::cos(0.39269908f)};
    QuaternionExpectNear(QuaternionSlerp(identity, kQuarterTurnZ, 0.5f), eighthTurn);

    Quaternion negated{-kQuarterTurnZ.x, -kQuarterTurnZ.y, -kQuarterTurnZ.z, -kQuarterTurnZ.w};
    QuaternionExpectNear(QuaternionSlerp(identity, negated, 1.0f), kQuarterTurnZ);
    QuaternionExpectNear(QuaternionSlerp(identity, negated, 0.5f), eighthTurn);
}

TEST(QuaternionSlerpCases, NearlyEqualEndsBlendLinearlyWithoutRenormalising)
{
    Quaternion a{0.0f, 0.0f, 0.0f, 2.0f};
    Quaternion b{0.0f, 0.0f, 0.0f, 1.0f};
    // d = 2 is past the linear threshold: weights 0.75 and 0.25, no acos of a value above 1.
    QuaternionExpectNear(QuaternionSlerp(a, b, 0.25f), {0.0f, 0.0f, 0.0f, 1.75f});
}
