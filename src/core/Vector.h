// Vector -- 2-D and 3-D float vectors, the eight direction steps and the conversions between directions and degrees.
#pragma once

#include <cstdint>
#include <string_view>

struct Vector2 {
    float x = 0.0f;
    float y = 0.0f;
};

// Vectors are rows: a matrix transforms one as v x M (core/Matrix.h).
struct Vector3 {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
};

inline Vector2 operator+(const Vector2& a, const Vector2& b) { return {a.x + b.x, a.y + b.y}; }
inline Vector2 operator-(const Vector2& a, const Vector2& b) { return {a.x - b.x, a.y - b.y}; }
inline Vector2 operator*(const Vector2& v, float s) { return {v.x * s, v.y * s}; }
inline Vector3 operator+(const Vector3& a, const Vector3& b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vector3 operator-(const Vector3& a, const Vector3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vector3 operator*(const Vector3& v, float s) { return {v.x * s, v.y * s, v.z * s}; }

float Vector2Length(const Vector2& v);
// Normalises in place and returns the former length; the zero vector stays zero.
float Vector2Normalize(Vector2& v);
// atan2(y, x) in degrees, in (-180, 180]; 0 for the zero vector.
float Vector2Angle(const Vector2& v);
// True when the two differ by at most the tolerance in x and in y.
bool PointsWithinTolerance(const Vector2& a, const Vector2& b, float tolerance);
// The text's first two numbers, blank-separated; a missing or non-finite one is 0.
Vector2 ParseVector2(std::string_view text);

// The raw grid step of a direction index: 0 (0, 1), 1 (1, 1), 2 (1, 0), 3 (1, -1), 4 (0, -1),
// 5 (-1, -1), 6 (-1, 0), 7 (-1, 1); any other index (0, 0). Diagonals are not normalised.
Vector2 AxisVector2FromIndex(int32_t index);
// The same step scaled by one cell: (0, +h), (+w, +h), (+w, 0) ...
Vector2 GridOffsetFromIndex(int32_t index, float cellWidth, float cellHeight);
// The unit vector of a direction index in the ground plane (z 0); any other index the zero vector.
Vector3 AxisVector3FromIndex(int32_t index);

// The world grid that points snap to: the nearest cell corner counted from the origin.
struct GridFrame {
    Vector2 origin;
    Vector2 cellSize;
};
// floor((p - origin) / cell + 0.5) * cell + origin on each axis.
Vector2 SnapToGrid(const Vector2& point, const GridFrame& grid);

float Vector3Length(const Vector3& v);
// Normalises in place and returns the former length; the zero vector stays zero.
float Vector3Normalize(Vector3& v);
// a * t + b * (1 - t): t = 1 gives a, t = 0 gives b.
Vector3 Vector3Lerp(const Vector3& a, const Vector3& b, float t);
bool Vec3Equal(const Vector3& a, const Vector3& b);

// Degrees. The heading is counter-clockwise from +x in [0, 360); the pitch is the negated
// elevation, an elevation below 0 first raised by 360, so pitch lies in (-360, 0].
struct HeadingPitch {
    float heading = 0.0f;
    float pitch = 0.0f;
};
// Straight up (x and y both 0, z > 0) gives heading 0, pitch -90; straight down or zero gives -270.
HeadingPitch DirectionToAngles(const Vector3& direction);
// (cos heading cos pitch, sin heading cos pitch, -sin pitch): the inverse of DirectionToAngles.
Vector3 AnglesToDirection(float heading, float pitch);
