// Vector -- 2-D and 3-D float vectors, the eight direction steps and the conversions between directions and degrees.
#include "core/Vector.h"

#include "core/MathUtil.h"

#include <cmath>
#include <cstdlib>
#include <string>

namespace {

constexpr Vector2 kDirectionSteps[8] = {
    {0.0f, 1.0f}, {1.0f, 1.0f}, {1.0f, 0.0f}, {1.0f, -1.0f},
    {0.0f, -1.0f}, {-1.0f, -1.0f}, {-1.0f, 0.0f}, {-1.0f, 1.0f},
};

bool IsDirectionIndex(int32_t index)
{
    return index >= 0 && index < 8;
}

// A cell size of 0 or less (an unset grid) leaves the coordinate where it is.
float SnapAxis(float value, float origin, float cell)
{
    if (!(cell > 0.0f))
        return value;
    return std::floor((value - origin) / cell + 0.5f) * cell + origin;
}

} // namespace

float Vector2Length(const Vector2& v)
{
    return std::sqrt(v.x * v.x + v.y * v.y);
}

float Vector2Normalize(Vector2& v)
{
    float length = Vector2Length(v);
    if (length > 0.0f) {
        v.x /= length;
        v.y /= length;
    }
    return length;
}

float Vector2Angle(const Vector2& v)
{
    if (v.x == 0.0f && v.y == 0.0f)
        return 0.0f;
    return std::atan2(v.y, v.x) * kRadiansToDegrees;
}

bool PointsWithinTolerance(const Vector2& a, const Vector2& b, float tolerance)
{
    return std::fabs(a.x - b.x) <= tolerance && std::fabs(a.y - b.y) <= tolerance;
}

Vector2 ParseVector2(std::string_view text)
{
    std::string copy(text);
    float values[2] = {0.0f, 0.0f};
    const char* at = copy.c_str();
    for (float& value : values) {
        char* end = nullptr;
        float read = std::strtof(at, &end);
        if (end == at)
            break;
        value = std::isfinite(read) ? read : 0.0f;
        at = end;
    }
    return {values[0], values[1]};
}

Vector2 AxisVector2FromIndex(int32_t index)
{
    return IsDirectionIndex(index) ? kDirectionSteps[index] : Vector2{};
}

Vector2 GridOffsetFromIndex(int32_t index, float cellWidth, float cellHeight)
{
    Vector2 step = AxisVector2FromIndex(index);
    return {step.x * cellWidth, step.y * cellHeight};
}

Vector3 AxisVector3FromIndex(int32_t index)
{
    Vector2 step = AxisVector2FromIndex(index);
    Vector3 axis{step.x, step.y, 0.0f};
    Vector3Normalize(axis);
    return axis;
}

Vector2 SnapToGrid(const Vector2& point, const GridFrame& grid)
{
    return {SnapAxis(point.x, grid.origin.x, grid.cellSize.x), SnapAxis(point.y, grid.origin.y, grid.cellSize.y)};
}

float Vector3Length(const Vector3& v)
{
    return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
}

float Vector3Normalize(Vector3& v)
{
    float length = Vector3Length(v);
    if (length > 0.0f) {
        v.x /= length;
        v.y /= length;
        v.z /= length;
    }
    return length;
}

Vector3 Vector3Lerp(const Vector3& a, const Vector3& b, float t)
{
    // Kept on purpose: the weight t goes with a, so t = 1 gives a and t = 0 gives b.
    return a * t + b * (1.0f - t);
}

bool Vec3Equal(const Vector3& a, const Vector3& b)
{
    return a.x == b.x && a.y == b.y && a.z == b.z;
}

HeadingPitch DirectionToAngles(const Vector3& direction)
{
    if (direction.x == 0.0f && direction.y == 0.0f)
        return {0.0f, direction.z > 0.0f ? -90.0f : -270.0f};
    float heading = WrapDegrees(std::atan2(direction.y, direction.x) * kRadiansToDegrees);
    float horizontal = std::sqrt(direction.x * direction.x + direction.y * direction.y);
    float elevation = std::atan2(direction.z, horizontal) * kRadiansToDegrees;
    if (elevation < 0.0f)
        elevation += 360.0f;
    return {heading, -elevation};
}

Vector3 AnglesToDirection(float heading, float pitch)
{
    float h = heading * kDegreesToRadians;
    float p = pitch * kDegreesToRadians;
    return {std::cos(h) * std::cos(p), std::sin(h) * std::cos(p), -std::sin(p)};
}
