// Matrix -- row-major 3 x 3 and 4 x 4 float matrices for row vectors (v x M), and the rotations built from angles.
#include "core/Matrix.h"

#include "core/MathUtil.h"

#include <cmath>
#include <utility>

Vector3 Vector3MultiplyMatrix3(const Vector3& v, const Matrix3& m)
{
    return {v.x * m.m[0][0] + v.y * m.m[1][0] + v.z * m.m[2][0],
            v.x * m.m[0][1] + v.y * m.m[1][1] + v.z * m.m[2][1],
            v.x * m.m[0][2] + v.y * m.m[1][2] + v.z * m.m[2][2]};
}

void Matrix3Transpose(Matrix3& m)
{
    for (int i = 0; i < 3; ++i)
        for (int j = i + 1; j < 3; ++j)
            std::swap(m.m[i][j], m.m[j][i]);
}

void Matrix3Copy(Matrix3& out, const Matrix3& in)
{
    if (&out != &in)
        out = in;
}

Matrix3 Matrix3Multiply(const Matrix3& a, const Matrix3& b)
{
    Matrix3 out;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            for (int k = 0; k < 3; ++k)
                out.m[i][j] += b.m[i][k] * a.m[k][j];
    return out;
}

Matrix4 Matrix4Multiply(const Matrix4& a, const Matrix4& b)
{
    Matrix4 out;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            for (int k = 0; k < 4; ++k)
                out.m[i][j] += a.m[i][k] * b.m[k][j];
    return out;
}

void Matrix4Transpose(Matrix4& m)
{
    for (int i = 0; i < 4; ++i)
        for (int j = i + 1; j < 4; ++j)
            std::swap(m.m[i][j], m.m[j][i]);
}

Matrix3 MatrixFromEulerDegrees(float heading, float pitch, float roll)
{
    float ch = std::cos(heading * kDegreesToRadians), sh = std::sin(heading * kDegreesToRadians);
    float cp = std::cos(pitch * kDegreesToRadians), sp = std::sin(pitch * kDegreesToRadians);
    float cr = std::cos(roll * kDegreesToRadians), sr = std::sin(roll * kDegreesToRadians);
    Matrix3 out;
    out.m[0][0] = cp * ch;
    out.m[0][1] = cp * sh;
    out.m[0][2] = -sp;
    out.m[1][0] = sr * sp * ch - cr * sh;
    out.m[1][1] = sr * sp * sh + cr * ch;
    out.m[1][2] = sr * cp;
    out.m[2][0] = cr * sp * ch + sr * sh;
    out.m[2][1] = cr * sp * sh - sr * ch;
    out.m[2][2] = cr * cp;
    return out;
}

Matrix3 MatrixFromAxisIndex(int32_t index)
{
    HeadingPitch angles = DirectionToAngles(AxisVector3FromIndex(index));
    return MatrixFromEulerDegrees(angles.heading, angles.pitch, 0.0f);
}
