// BlendedTileRenderSurface -- a queued ground tile whose shader's stages fade into each other corner by corner.
#include "render/BlendedTileRenderSurface.h"

#include "resources/shaders/ShaderBatch.h"
#include "world/LevelData.h"

#include <algorithm>

void BlendedTileRenderSurface::AddGeometry(ShaderBatch& batch, bool wantNormals)
{
    static constexpr float kUp[3] = {0.0f, 0.0f, 1.0f};
    const std::array<float, 3>& a = cornerA;
    const std::array<float, 3>& b = cornerB;
    const float positions[4][3] = {{a[0], b[1], b[2]}, {b[0], b[1], b[2]}, {b[0], a[1], a[2]}, {a[0], a[1], a[2]}};
    const float texCoords[4][2] = {{0.0f, 1.0f}, {1.0f, 1.0f}, {1.0f, 0.0f}, {0.0f, 0.0f}};
    batch.Reserve(4);
    DeviceVertex vertex;
    uint16_t indexes[4] = {};
    for (int corner = 0; corner < 4; ++corner) {
        std::copy(positions[corner], positions[corner] + 3, vertex.position);
        std::copy(texCoords[corner], texCoords[corner] + 2, vertex.texCoord);
        indexes[corner] = batch.AddVertex(vertex, wantNormals ? kUp : nullptr, false);
    }
    // The winding of the plain tile, so both kinds face the camera alike.
    batch.AddTriangle(indexes[0], indexes[1], indexes[2]);
    batch.AddTriangle(indexes[0], indexes[2], indexes[3]);
    const Shader* drawn = batch.GetShader();
    if (!blend || !drawn)
        return;
    int32_t stages = std::min(static_cast<int32_t>(drawn->stages.size()), ShaderBatch::kMaxStages);
    for (int corner = 0; corner < 4; ++corner) {
        const std::vector<uint8_t>& alphas = blend->corners[static_cast<size_t>(corner)];
        // A stage past the record's weights is left out of this corner.
        for (int32_t stage = 0; stage < stages; ++stage) {
            uint8_t alpha = static_cast<size_t>(stage) < alphas.size() ? alphas[static_cast<size_t>(stage)] : 0;
            const uint8_t rgba[4] = {255, 255, 255, alpha};
            batch.SetStageColor(indexes[corner], stage, rgba);
        }
    }
}
