// MatrixTest -- row vectors times matrices, the reversed 3 x 3 product, and rotations built from angles.
#include "core/Matrix.h"

#include <cmath>
#include <gtest/gtest.h>

namespace {

Matrix3 Rows(Vector3 r0, Vector3 r1, Vector3 r2)
{
    Matrix3 m;
    const Vector3 rows[3] = {r0, r1, r2};
    for (int i = 0; i < 3; ++i) {
        m.m[i][0] = rows[i].x;
        m.m[i][1] = rows[i].y;
        m.m[i][2] = rows[i].z;
    }
    return m;
}

Vector3 Row(const Matrix3& m, int i)
{
    return {m.m[i][0], m.m[i][1], m.m[i][2]};
}

void MatrixExpectNear(const Vector3& actual, const Vector3& expected)
{
    EXPECT_NEAR(actual.x, expected.x, 1e-5f);
    EXPECT_NEAR(actual.y, expected.y, 1e-5f);
    EXPECT_NEAR(actual.z, expected.z, 1e-5f);
}

} // namespace

TEST(MatrixProducts, RowVectorTimesMatrixSumsTheRows)
{
    Matrix3 m = Rows({1, 2, 3}, {4, 5, 6}, {7, 8, 9});
    MatrixExpectNear(Vector3MultiplyMatrix3({0, 1, 0}, m), {4, 5, 6});
    MatrixExpectNear(Vector3MultiplyMatrix3({1, 1, 1}, m), {12, 15, 18});
    Matrix3Transpose(m);
    MatrixExpectNear(Vector3MultiplyMatrix3({0, 1, 0}, m), {2, 5, 8});
}

TEST(MatrixProducts, Matrix3MultiplyIsBTimesA)
{
    Matrix3 shear = Rows({1, 2, 0}, {0, 1, 0}, {0, 0, 1});
    Matrix3 swapXY = Rows({0, 1, 0}, {1, 0, 0}, {0, 0, 1});
    Matrix3 product = Matrix3Multiply(shear, swapXY);
    MatrixExpectNear(Row(product, 0), {0, 1, 0});
    MatrixExpectNear(Row(product, 1), {1, 2, 0});
    // v x (b x a): b applies first.
    Vector3 v{3, 5, 7};
    MatrixExpectNear(Vector3MultiplyMatrix3(v, product), Vector3MultiplyMatrix3(Vector3MultiplyMatrix3(v, swapXY), shear));
}

TEST(MatrixProducts, Matrix3CopyIsElementForElementAndSafeOnItself)
{
    Matrix3 source = Rows({1, 2, 3}, {4, 5, 6}, {7, 8, 9});
    Matrix3 out = Rows({-1, -1, -1}, {-1, -1, -1}, {-1, -1, -1});
    Matrix3Copy(out, source);
    source.m[1][1] = 50.0f;
    for (int i = 0; i < 3; ++i)
        MatrixExpectNear(Row(out, i), {3.0f * i + 1, 3.0f * i + 2, 3.0f * i + 3});
    Matrix3Copy(out, out);
    MatrixExpectNear(Row(out, 2), {7, 8, 9});
}

TEST(MatrixProducts, Matrix4MultiplyIsATimesB)
{
    Matrix4 a, b;
    for (int i = 0; i < 4; ++i)
        a.m[i][i] = b.m[i][i] = 1.0f;
    a.m[0][1] = 2.0f;
    b.m[1][2] = 3.0f;
    Matrix4 product = Matrix4Multiply(a, b);
    EXPECT_EQ(product.m[0][2], 6.0f);
    EXPECT_EQ(Matrix4Multiply(b, a).m[0][2], 0.0f);
    Matrix4Transpose(product);
    EXPECT_EQ(product.m[2][0], 6.0f);
}

TEST(MatrixRotations, EulerRowZeroIsTheFacingAndTheMatrixIsARotation)
{
    Matrix3 m = MatrixFromEulerDegrees(30.0f, -20.0f, 50.0f);
    MatrixExpectNear(Row(m, 0), AnglesToDirection(30.0f, -20.0f));
    Matrix3 transposed = m;
    Matrix3Transpose(transposed);
    Matrix3 identity = Matrix3Multiply(m, transposed);
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            EXPECT_NEAR(identity.m[i][j], i == j ? 1.0f : 0.0f, 1e-5f);
    // Row 2 (up) is row 0 cross row 1 for a proper rotation.
    Vector3 f = Row(m, 0), l = Row(m, 1);
    MatrixExpectNear(Row(m, 2), {f.y * l.z - f.z * l.y, f.z * l.x - f.x * l.z, f.x * l.y - f.y * l.x});
}

TEST(MatrixRotations, AxisIndexFacesItsUnitDirection)
{
    MatrixExpectNear(Row(MatrixFromAxisIndex(6), 0), {-1, 0, 0});
    MatrixExpectNear(Row(MatrixFromAxisIndex(1), 0), {std::sqrt(0.5f), std::sqrt(0.5f), 0});
    MatrixExpectNear(Row(MatrixFromAxisIndex(6), 2), {0, 0, 1});
}
