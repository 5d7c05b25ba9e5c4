// Quaternion -- rotations stored x, y, z, w: Hamilton product, 3 x 3 matrix form and spherical interpolation.
#pragma once

#include "core/Matrix.h"

struct Quaternion {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
    float w = 1.0f;
};

// The Hamilton product a x b; callers name which of their two rotations is a.
Quaternion QuaternionMultiply(const Quaternion& a, const Quaternion& b);
// The matrix of a unit quaternion with rows (1 - 2(y² + z²), 2(xy - zw), 2(xz + yw)), ...
// Callers multiply row vectors by it (v x M), which turns v by the inverse of q.
Matrix3 QuaternionToMatrix3(const Quaternion& q);
// from * w0 + to * w1, not renormalised; `to` is negated first when the two lie more than a
// half turn apart. Fraction 0 gives from, fraction 1 gives to (or its negation).
Quaternion QuaternionSlerp(const Quaternion& from, const Quaternion& to, float fraction);
