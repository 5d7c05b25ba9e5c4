// BeamRenderSurface -- a queued beam: a strip of segments between two ends, its joints jittered from a seed.
#pragma once

#include "core/ColorSystem.h"
#include "core/Vector.h"
#include "resources/effects/RenderSurface.h"

#include <cstdint>

class RandomSystem;

class BeamRenderSurface : public RenderSurface {
public:
    // The most segments a beam is drawn with, whatever its file asks.
    static constexpr int32_t kMaxSegments = 256;

    void AddGeometry(ShaderBatch& batch, bool wantNormals) override;
    // Where the joint between segment i and i + 1 lies: on the straight line, pushed by
    // minOffset + r (maxOffset - minOffset) along a random direction, both drawn from the jitter's
    // stream, which the beam's seed starts: one seed gives one pattern.
    Vector3 JointAt(int32_t joint, RandomSystem& jitter) const;
    // Across the beam and across the view; the camera's right axis when the beam runs along the view.
    Vector3 SideAxis() const;

    Vector3 start;
    Vector3 end;
    // 1 to kMaxSegments.
    int32_t segments = 1;
    float minOffset = 0.0f;
    float maxOffset = 0.0f;
    // Full widths at the two ends.
    float startSize = 1.0f;
    float endSize = 1.0f;
    Color color;
    float alpha = 1.0f;
    uint32_t seed = 0;
    // The camera's view direction and right axis when the beam was queued.
    Vector3 view{0.0f, 1.0f, 0.0f};
    Vector3 right{1.0f, 0.0f, 0.0f};
};
