// MathUtil -- scalar helpers: rounding to integers, integer powers, degree angles and the eight directions, packed words.
#pragma once

#include <cstdint>

constexpr float kDegreesToRadians = 0.017453293f;
constexpr float kRadiansToDegrees = 180.0f / 3.1415927f;

// Each result saturates at the 32-bit limits; NaN gives 0.
int32_t RoundToInt(float x);  // floor(x + 0.5)
int32_t FloorToInt(float x);
// Toward zero, held to the 32-bit range; NaN gives 0. For sums and products of stats, so that no
// value read from a record can overflow them.
int32_t SaturatingInt(double x);
int32_t CeilToInt(float x);

// Repeated squaring; a negative exponent gives the reciprocal.
float PowInt(float base, int32_t exponent);

// The angle brought into [0, 360).
float WrapDegrees(float angle);
// Where v lies from a to b: 0 at or below a (and for an empty or reversed range), 1 at or
// above b, the fraction between.
float InterpolationFactor(float a, float b, float v);
// Moves angle toward target by at most maxStep degrees, the shorter way round, stopping exactly
// on the target; the result lies in [0, 360).
float ApproachAngle(float angle, float target, float maxStep);

// The eight directions, 0 North (0, 1) clockwise to 7 NorthWest, stand for angles counted
// counter-clockwise from East: North 90, East 0, South -90, West 180 (results in (-180, 180]).
// Any other index gives 0.
float DirectionToAngle(int32_t direction);
// The direction whose 45-degree sector holds the angle (East for [-22.5, 22.5)); any angle is
// wrapped first. A non-finite angle gives North.
int32_t AngleToDirection(float angle);

// Two 16-bit fields in one word: the low 16 bits of value OR-ed in at the shift, and read back.
// A shift outside 0 to 31 leaves the word unchanged and reads 0.
uint32_t PackBits16(uint32_t word, uint32_t value, int32_t shift);
uint32_t UnpackBits16(uint32_t word, int32_t shift);

// x0 <= x1 and y0 <= y1.
struct Rect {
    float x0 = 0.0f;
    float y0 = 0.0f;
    float x1 = 0.0f;
    float y1 = 0.0f;
};

// Rectangles that only touch along an edge count as overlapping.
bool RectsOverlap(const Rect& a, const Rect& b);
