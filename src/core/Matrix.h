// Matrix -- row-major 3 x 3 and 4 x 4 float matrices for row vectors (v x M), and the rotations built from angles.
#pragma once

#include "core/Vector.h"

#include <cstdint>

// Stored row after row; row i is the image of axis i under v x M.
struct Matrix3 {
    float m[3][3] = {};
};

struct Matrix4 {
    float m[4][4] = {};
};

// v x M: out.j = sum over i of v.i * M[i][j].
Vector3 Vector3MultiplyMatrix3(const Vector3& v, const Matrix3& m);
void Matrix3Transpose(Matrix3& m);
// out becomes in, element for element; in may be out itself.
void Matrix3Copy(Matrix3& out, const Matrix3& in);
// Reads backwards on purpose: the product b x a (element [i][j] = sum over k of b[i][k] * a[k][j]),
// so v x Matrix3Multiply(a, b) applies b first, then a.
Matrix3 Matrix3Multiply(const Matrix3& a, const Matrix3& b);
// The plain product a x b (element [i][j] = sum over k of a[i][k] * b[k][j]).
Matrix4 Matrix4Multiply(const Matrix4& a, const Matrix4& b);
void Matrix4Transpose(Matrix4& m);

// Degrees: roll about x, then pitch about y, then heading about z. Row 0 is the facing
// AnglesToDirection(heading, pitch); rows 1 and 2 the left and up axes, a proper rotation.
Matrix3 MatrixFromEulerDegrees(float heading, float pitch, float roll);
// The rotation that faces the unit vector of a direction index (AxisVector3FromIndex): its
// DirectionToAngles heading and pitch with no roll.
Matrix3 MatrixFromAxisIndex(int32_t index);
