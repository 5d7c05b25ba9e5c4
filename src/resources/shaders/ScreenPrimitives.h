// ScreenPrimitives -- flat shapes in the 640 x 480 user-interface space appended to the batch, the quad writers of surfaces, the space's projection and the shader wave.
#pragma once

#include "core/Color.h"
#include "core/Matrix.h"
#include "core/Vector.h"
#include "resources/shaders/StageRenderState.h"

#include <cstdint>

class ShaderBatch;

// One corner of a shape: a position (user-interface units for the screen writers), texture
// coordinates and a colour with its alpha.
struct ScreenVertex {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
    float u = 0.0f;
    float v = 0.0f;
    Color color;
    float alpha = 1.0f;
};

// Screen shapes are written in user-interface units (x right from 0 to 640, y down from 0 to
// 480); the two-dimensional projection maps them to the device as x' = (x - 320) / 320,
// y' = (240 - y) / 240. Every writer appends after the vertices already in the batch.
class ScreenPrimitives {
public:
    static Vector3 UiToDevice(float x, float y);
    // The projection that does UiToDevice, for the device's SetProjectionMatrix.
    static Matrix4 UiProjection();
    static Matrix4 Identity();

    // A rectangle between two corners, texture 0..1 across it, one colour.
    static void AppendScreenRect(ShaderBatch& batch, float ax, float ay, float bx, float by, const Color& color,
                                 float alpha);
    // (A.x, A.y) takes (uA, vB), (B.x, A.y) (uB, vB), (B.x, B.y) (uB, vA), (A.x, B.y) (uA, vA).
    static void AppendScreenQuad(ShaderBatch& batch, float ax, float ay, float bx, float by, const Color& color,
                                 float alpha, float uA, float vA, float uB, float vB);
    // Indices base + 0, base + 2, base + 1.
    static void AppendScreenTriangle(ShaderBatch& batch, const ScreenVertex (&corners)[3]);
    // Four positions with texture coordinates (0,1), (1,1), (1,0), (0,0) and one colour;
    // indices base + 0, 2, 1, 0, 3, 2.
    static void AppendQuad(ShaderBatch& batch, const Vector3 (&corners)[4], const Color& color, float alpha);
    // Four records as they stand, with AppendQuad's indices.
    static void AppendVertexQuad(ShaderBatch& batch, const ScreenVertex (&corners)[4]);

    // base + amplitude x sin(2 pi (x + phase + frequency x time / 60)); time is the running
    // time in seconds (the clock's seconds field).
    static float WaveValue(const WaveParameters& wave, float x, float time);
};
