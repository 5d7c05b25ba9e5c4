// TileRenderSurface -- a queued ground tile: one textured quad between two opposite corners.
#pragma once

#include "core/ColorSystem.h"
#include "resources/effects/RenderSurface.h"

#include <array>

// The quad is axis-aligned in x and y; its height may change along y.
class TileRenderSurface : public RenderSurface {
public:
    // Vertices (A.x, B.y, B.z), (B.x, B.y, B.z), (B.x, A.y, A.z), (A.x, A.y, A.z) with texture
    // coordinates (0, 1), (1, 1), (1, 0), (0, 0): the texture covers the tile once.
    void AddGeometry(ShaderBatch& batch, bool wantNormals) override;
    // That quad between two corners, with the colour on every vertex when given (null sends
    // none); the index of its first vertex, the other three following it.
    static uint16_t AddQuad(ShaderBatch& batch, const std::array<float, 3>& a, const std::array<float, 3>& b,
                            bool wantNormals, const uint8_t* rgba);

    std::array<float, 3> cornerA = {0.0f, 0.0f, 0.0f};
    std::array<float, 3> cornerB = {0.0f, 0.0f, 0.0f};
    // Sends color and alpha with every vertex; without it no vertex colour is sent.
    bool useColor = false;
    // 0 to 1.
    Color color;
    float alpha = 0.0f;
};
