// ParticleRenderSurface -- a queued particle sprite: a square facing the camera, turned by the particle's rotation.
#pragma once

#include "core/ColorSystem.h"
#include "core/Vector.h"
#include "resources/effects/RenderSurface.h"

class ParticleRenderSurface : public RenderSurface {
public:
    // A particle of size 0 (one spawned this frame) adds nothing.
    bool IsHidden() const override;
    void AddGeometry(ShaderBatch& batch, bool wantNormals) override;

    Vector3 center;
    float size = 0.0f;
    // Half the square's sides, already turned and scaled: corners are center -u -v, +u -v, +u +v, -u +v.
    Vector3 halfU;
    Vector3 halfV;
    Color color;
    float alpha = 1.0f;
    // Seconds the particle has lived: a shader running on its own clock shows this time, and
    // such a shader gives every particle a batch of its own.
    float shaderTime = 0.0f;
};
