// BlendedTileRenderSurface -- a queued ground tile whose shader's stages fade into each other corner by corner.
#pragma once

#include "resources/effects/RenderSurface.h"

#include <array>

struct LevelTileCell;

// The tile record's corners go up-left, up-right, down-right, down-left, which are the quad's
// vertices in the tile surface's order; each holds one alpha byte per stage.
class BlendedTileRenderSurface : public RenderSurface {
public:
    void AddGeometry(ShaderBatch& batch, bool wantNormals) override;

    std::array<float, 3> cornerA = {0.0f, 0.0f, 0.0f};
    std::array<float, 3> cornerB = {0.0f, 0.0f, 0.0f};
    // The level's record; it outlives the frame's drawing.
    const LevelTileCell* blend = nullptr;
};
