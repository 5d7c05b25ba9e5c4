// MathUtil -- scalar helpers: rounding to integers, integer powers, degree angles and the eight directions, packed words.
#include "core/MathUtil.h"

#include <cmath>
#include <limits>

namespace {

constexpr int32_t kDirectionCount = 8;

int32_t SaturateToInt32(double value)
{
    if (std::isnan(value))
        return 0;
    if (value <= static_cast<double>(std::numeric_limits<int32_t>::min()))
        return std::numeric_limits<int32_t>::min();
    if (value >= static_cast<double>(std::numeric_limits<int32_t>::max()))
        return std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(value);
}

} // namespace

int32_t SaturatingInt(double x)
{
    return SaturateToInt32(x);
}

int32_t RoundToInt(float x)
{
    return SaturateToInt32(std::floor(x + 0.5f));
}

int32_t FloorToInt(float x)
{
    return SaturateToInt32(std::floor(x));
}

int32_t CeilToInt(float x)
{
    return SaturateToInt32(std::ceil(x));
}

float PowInt(float base, int32_t exponent)
{
    // The magnitude is taken in 64 bits so that the lowest exponent has a positive form too.
    uint64_t remaining = exponent < 0 ? static_cast<uint64_t>(-static_cast<int64_t>(exponent))
                                      : static_cast<uint64_t>(exponent);
    float result = 1.0f;
    float factor = base;
    while (remaining != 0) {
        if (remaining & 1)
            result *= factor;
        factor *= factor;
        remaining >>= 1;
    }
    return exponent < 0 ? 1.0f / result : result;
}

float WrapDegrees(float angle)
{
    float wrapped = std::fmod(angle, 360.0f);
    if (wrapped < 0.0f)
        wrapped += 360.0f;
    // A tiny negative remainder rounds up to exactly 360 when 360 is added.
    return wrapped >= 360.0f ? 0.0f : wrapped;
}

float ApproachAngle(float angle, float target, float maxStep)
{
    float from = WrapDegrees(angle);
    float to = WrapDegrees(target);
    float difference = to - from;
    if (difference > 180.0f)
        difference -= 360.0f;
    else if (difference < -180.0f)
        difference += 360.0f;
    float step = std::fabs(maxStep);
    if (std::fabs(difference) <= step)
        return to;
    return WrapDegrees(from + std::copysign(step, difference));
}

float DirectionToAngle(int32_t direction)
{
    if (direction < 0 || direction >= kDirectionCount)
        return 0.0f;
    float angle = 90.0f - 45.0f * static_cast<float>(direction);
    return angle <= -180.0f ? angle + 360.0f : angle;
}

int32_t AngleToDirection(float angle)
{
    if (!std::isfinite(angle))
        return 0;
    // Sector 0 is East and the sectors run counter-clockwise; the directions run clockwise from North.
    int32_t sector = static_cast<int32_t>(std::floor((WrapDegrees(angle) + 22.5f) / 45.0f)) % kDirectionCount;
    return (2 - sector + kDirectionCount) % kDirectionCount;
}

uint32_t PackBits16(uint32_t word, uint32_t value, int32_t shift)
{
    if (shift < 0 || shift > 31)
        return word;
    return word | ((value & 0xFFFFu) << shift);
}

uint32_t UnpackBits16(uint32_t word, int32_t shift)
{
    if (shift < 0 || shift > 31)
        return 0;
    return (word >> shift) & 0xFFFFu;
}

bool RectsOverlap(const Rect& a, const Rect& b)
{
    return a.x0 <= b.x1 && b.x0 <= a.x1 && a.y0 <= b.y1 && b.y0 <= a.y1;
}

float InterpolationFactor(float a, float b, float v)
{
    if (v <= a || b <= a)
        return 0.0f;
    return v >= b ? 1.0f : (v - a) / (b - a);
}
