// ScreenPrimitives -- flat shapes in the 640 x 480 user-interface space appended to the batch, the quad writers of surfaces, the space's projection and the shader wave.
#include "resources/shaders/ScreenPrimitives.h"

#include "resources/shaders/ShaderBatch.h"

#include <cmath>

namespace {

constexpr float kScreenPrimitivesTwoPi = 6.28318530718f;

DeviceVertex ScreenPrimitivesVertex(const ScreenVertex& corner)
{
    DeviceVertex vertex;
    vertex.position[0] = corner.x;
    vertex.position[1] = corner.y;
    vertex.position[2] = corner.z;
    vertex.texCoord[0] = corner.u;
    vertex.texCoord[1] = corner.v;
    // Red in the low byte, alpha in the high one; NaN packs as 0.
    uint32_t packed = Color::ToRGBA32(corner.color, corner.alpha);
    for (int channel = 0; channel < 4; ++channel)
        vertex.color[channel] = static_cast<uint8_t>(packed >> (8 * channel));
    return vertex;
}

// Four vertices and the two triangles 0 2 1 and 0 3 2.
void ScreenPrimitivesFour(ShaderBatch& batch, const ScreenVertex (&corners)[4])
{
    if (!batch.IsActive())
        return;
    batch.Reserve(4);
    uint16_t first = batch.AddVertex(ScreenPrimitivesVertex(corners[0]), nullptr, true);
    for (int i = 1; i < 4; ++i)
        batch.AddVertex(ScreenPrimitivesVertex(corners[i]), nullptr, true);
    batch.AddTriangle(first, static_cast<uint16_t>(first + 2), static_cast<uint16_t>(first + 1));
    batch.AddTriangle(first, static_cast<uint16_t>(first + 3), static_cast<uint16_t>(first + 2));
}

} // namespace

Vector3 ScreenPrimitives::UiToDevice(float x, float y)
{
    return Vector3{(x - 320.0f) / 320.0f, (240.0f - y) / 240.0f, 0.0f};
}

Matrix4 ScreenPrimitives::UiProjection()
{
    // Row vectors: (x, y, z, 1) x M.
    Matrix4 projection;
    projection.m[0][0] = 1.0f / 320.0f;
    projection.m[1][1] = -1.0f / 240.0f;
    projection.m[2][2] = 1.0f;
    projection.m[3][0] = -1.0f;
    projection.m[3][1] = 1.0f;
    projection.m[3][3] = 1.0f;
    return projection;
}

Matrix4 ScreenPrimitives::Identity()
{
    Matrix4 identity;
    for (int i = 0; i < 4; ++i)
        identity.m[i][i] = 1.0f;
    return identity;
}

void ScreenPrimitives::AppendScreenRect(ShaderBatch& batch, float ax, float ay, float bx, float by,
                                        const Color& color, float alpha)
{
    AppendScreenQuad(batch, ax, ay, bx, by, color, alpha, 0.0f, 0.0f, 1.0f, 1.0f);
}

void ScreenPrimitives::AppendScreenQuad(ShaderBatch& batch, float ax, float ay, float bx, float by,
                                        const Color& color, float alpha, float uA, float vA, float uB, float vB)
{
    const ScreenVertex corners[4] = {
        {ax, ay, 0.0f, uA, vB, color, alpha},
        {bx, ay, 0.0f, uB, vB, color, alpha},
        {bx, by, 0.0f, uB, vA, color, alpha},
        {ax, by, 0.0f, uA, vA, color, alpha},
    };
    ScreenPrimitivesFour(batch, corners);
}

void ScreenPrimitives::AppendScreenTriangle(ShaderBatch& batch, const ScreenVertex (&corners)[3])
{
    if (!batch.IsActive())
        return;
    batch.Reserve(3);
    uint16_t first = batch.AddVertex(ScreenPrimitivesVertex(corners[0]), nullptr, true);
    batch.AddVertex(ScreenPrimitivesVertex(corners[1]), nullptr, true);
    batch.AddVertex(ScreenPrimitivesVertex(corners[2]), nullptr, true);
    batch.AddTriangle(first, static_cast<uint16_t>(first + 2), static_cast<uint16_t>(first + 1));
}

void ScreenPrimitives::AppendQuad(ShaderBatch& batch, const Vector3 (&positions)[4], const Color& color, float alpha)
{
    constexpr float kCornerUv[4][2] = {{0.0f, 1.0f}, {1.0f, 1.0f}, {1.0f, 0.0f}, {0.0f, 0.0f}};
    ScreenVertex corners[4];
    for (int i = 0; i < 4; ++i)
        corners[i] = {positions[i].x, positions[i].y, positions[i].z, kCornerUv[i][0], kCornerUv[i][1], color, alpha};
    ScreenPrimitivesFour(batch, corners);
}

void ScreenPrimitives::AppendVertexQuad(ShaderBatch& batch, const ScreenVertex (&corners)[4])
{
    ScreenPrimitivesFour(batch, corners);
}

float ScreenPrimitives::WaveValue(const WaveParameters& wave, float x, float time)
{
    float base = wave[0];
    float amplitude = wave[1];
    float frequency = wave[2];
    float phase = wave[3];
    return base + amplitude * std::sin(kScreenPrimitivesTwoPi * (x + phase + frequency * time / 60.0f));
}
