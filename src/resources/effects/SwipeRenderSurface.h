// SwipeRenderSurface -- a queued trail: a strip through its samples' point pairs, each pair with its own alpha.
#pragma once

#include "core/ColorSystem.h"
#include "core/Vector.h"
#include "resources/effects/RenderSurface.h"

#include <vector>

class SwipeRenderSurface : public RenderSurface {
public:
    struct Sample {
        Vector3 point1;
        Vector3 point2;
        float alpha = 1.0f;
    };

    // A trail of fewer than two samples has no area.
    bool IsHidden() const override { return samples.size() < 2; }
    // The texture runs along the trail from the newest sample (u 0) to the oldest (u 1), and
    // across it from point1 (v 0) to point2 (v 1).
    void AddGeometry(ShaderBatch& batch, bool wantNormals) override;

    // Newest first. Refilled each pass; its storage is kept.
    std::vector<Sample> samples;
    Color color;
};
