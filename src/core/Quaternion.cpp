// Quaternion -- rotations stored x, y, z, w: Hamilton product, 3 x 3 matrix form and spherical interpolation.
#include "core/Quaternion.h"

#include <cmath>

namespace {

// Closer than this the weights go linear: sin(theta) would be too small to divide by.
constexpr float kSlerpLinearThreshold = 0.001f;

} // namespace

Quaternion QuaternionMultiply(const Quaternion& a, const Quaternion& b)
{
    return {a.w * b.x + a.x * b.w + a.y * b.z - a.z * b.y,
            a.w * b.y - a.x * b.z + a.y * b.w + a.z * b.x,
            a.w * b.z + a.x * b.y - a.y * b.x + a.z * b.w,
            a.w * b.w - a.x * b.x - a.y * b.y - a.z * b.z};
}

Matrix3 QuaternionToMatrix3(const Quaternion& q)
{
    Matrix3 out;
    out.m[0][0] = 1.0f - 2.0f * (q.y * q.y + q.z * q.z);
    out.m[0][1] = 2.0f * (q.x * q.y - q.z * q.w);
    out.m[0][2] = 2.0f * (q.x * q.z + q.y * q.w);
    out.m[1][0] = 2.0f * (q.x * q.y + q.z * q.w);
    out.m[1][1] = 1.0f - 2.0f * (q.x * q.x + q.z * q.z);
    out.m[1][2] = 2.0f * (q.y * q.z - q.x * q.w);
    out.m[2][0] = 2.0f * (q.x * q.z - q.y * q.w);
    out.m[2][1] = 2.0f * (q.y * q.z + q.x * q.w);
    out.m[2][2] = 1.0f - 2.0f * (q.x * q.x + q.y * q.y);
    return out;
}

Quaternion QuaternionSlerp(const Quaternion& from, const Quaternion& to, float fraction)
{
    Quaternion target = to;
    float d = from.x * to.x + from.y * to.y + from.z * to.z + from.w * to.w;
    if (d < 0.0f) {
        target = {-to.x, -to.y, -to.z, -to.w};
        d = -d;
    }
    float fromWeight = 1.0f - fraction;
    float toWeight = fraction;
    if (1.0f - d > kSlerpLinearThreshold) {
        float theta = std::acos(d);
        float sinTheta = std::sin(theta);
        fromWeight = std::sin((1.0f - fraction) * theta) / sinTheta;
        toWeight = std::sin(fraction * theta) / sinTheta;
    }
    return {from.x * fromWeight + target.x * toWeight, from.y * fromWeight + target.y * toWeight,
            from.z * fromWeight + target.z * toWeight, from.w * fromWeight + target.w * toWeight};
}
