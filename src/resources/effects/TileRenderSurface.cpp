// TileRenderSurface -- a queued ground tile: one textured quad between two opposite corners.
#include "resources/effects/TileRenderSurface.h"

#include "resources/shaders/ShaderBatch.h"

#include <algorithm>

uint16_t TileRenderSurface::AddQuad(ShaderBatch& batch, const std::array<float, 3>& a, const std::array<float, 3>& b,
                                    bool wantNormals, const uint8_t* rgba)
{
    static constexpr float kUp[3] = {0.0f, 0.0f, 1.0f};
    const float positions[4][3] = {{a[0], b[1], b[2]}, {b[0], b[1], b[2]}, {b[0], a[1], a[2]}, {a[0], a[1], a[2]}};
    const float texCoords[4][2] = {{0.0f, 1.0f}, {1.0f, 1.0f}, {1.0f, 0.0f}, {0.0f, 0.0f}};
    batch.Reserve(4);
    DeviceVertex vertex;
    if (rgba)
        std::copy(rgba, rgba + 4, vertex.color);
    uint16_t first = 0;
    for (int corner = 0; corner < 4; ++corner) {
        std::copy(positions[corner], positions[corner] + 3, vertex.position);
        std::copy(texCoords[corner], texCoords[corner] + 2, vertex.texCoord);
        uint16_t index = batch.AddVertex(vertex, wantNormals ? kUp : nullptr, rgba != nullptr);
        if (corner == 0)
            first = index;
    }
    // Wound so that the face seen from above is the front one: ground shaders that cull back
    // faces keep the floor, as they keep the near side of a model.
    batch.AddTriangle(first, first + 2, first + 1);
    batch.AddTriangle(first, first + 3, first + 2);
    return first;
}

void TileRenderSurface::AddGeometry(ShaderBatch& batch, bool wantNormals)
{
    // Set for every tile: a full-bright model queued before would otherwise leave its batch unlit.
    batch.SetUnlit(fullBright);
    uint32_t packed = Color::ToRGBA32(color, alpha);
    uint8_t rgba[4];
    for (int channel = 0; channel < 4; ++channel)
        rgba[channel] = static_cast<uint8_t>(packed >> (8 * channel));
    AddQuad(batch, cornerA, cornerB, wantNormals, useColor ? rgba : nullptr);
}
