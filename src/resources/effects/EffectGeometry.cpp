// EffectGeometry -- the coloured, textured quad that particle, beam and trail surfaces are built from.
#include "resources/effects/EffectGeometry.h"

#include "resources/shaders/ShaderBatch.h"

#include <algorithm>
#include <cmath>

namespace {

uint8_t EffectGeometryToByte(float value)
{
    // NaN fails both comparisons of the clamp: it is sent as 0.
    float scaled = std::round(value * 255.0f);
    return scaled > 0.0f ? static_cast<uint8_t>(std::min(scaled, 255.0f)) : 0;
}

constexpr float kUnitSquare[4][2] = {{0.0f, 0.0f}, {1.0f, 0.0f}, {1.0f, 1.0f}, {0.0f, 1.0f}};

} // namespace

QuadColor::QuadColor(const Color& color, float alpha)
    : bytes{EffectGeometryToByte(color.r), EffectGeometryToByte(color.g), EffectGeometryToByte(color.b), EffectGeometryToByte(alpha)}
{
}

void AddEffectQuad(ShaderBatch& batch, const Vector3 (&corners)[4], const QuadColor (&colors)[4])
{
    AddEffectQuad(batch, corners, colors, kUnitSquare);
}

void AddEffectQuad(ShaderBatch& batch, const Vector3 (&corners)[4], const QuadColor (&colors)[4],
                   const float (&texCoords)[4][2])
{
    batch.Reserve(4);
    DeviceVertex vertex;
    uint16_t first = 0;
    for (int corner = 0; corner < 4; ++corner) {
        vertex.position[0] = corners[corner].x;
        vertex.position[1] = corners[corner].y;
        vertex.position[2] = corners[corner].z;
        vertex.texCoord[0] = texCoords[corner][0];
        vertex.texCoord[1] = texCoords[corner][1];
        std::copy(colors[corner].bytes, colors[corner].bytes + 4, vertex.color);
        uint16_t index = batch.AddVertex(vertex, nullptr, true);
        if (corner == 0)
            first = index;
    }
    batch.AddTriangle(first, first + 1, first + 2);
    batch.AddTriangle(first, first + 2, first + 3);
}
