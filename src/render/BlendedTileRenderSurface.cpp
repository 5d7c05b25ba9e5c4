// BlendedTileRenderSurface -- a queued ground tile whose shader's stages fade into each other corner by corner.
#include "render/BlendedTileRenderSurface.h"

#include "resources/effects/TileRenderSurface.h"
#include "resources/shaders/ShaderBatch.h"
#include "world/LevelData.h"

#include <algorithm>

void BlendedTileRenderSurface::AddGeometry(ShaderBatch& batch, bool wantNormals)
{
    uint16_t first = TileRenderSurface::AddQuad(batch, cornerA, cornerB, wantNormals, nullptr);
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
            batch.SetStageColor(static_cast<uint16_t>(first + corner), stage, rgba);
        }
    }
}
