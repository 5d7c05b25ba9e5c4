// ParticleRenderSurface -- a queued particle sprite: a square facing the camera, turned by the particle's rotation.
#include "resources/effects/ParticleRenderSurface.h"

#include "resources/shaders/ScreenPrimitives.h"
#include "resources/shaders/ShaderBatch.h"

bool ParticleRenderSurface::IsHidden() const
{
    return !(size > 0.0f);
}

void ParticleRenderSurface::AddGeometry(ShaderBatch& batch, bool)
{
    // From the +v side: the writer gives its corners v 1, 1, 0, 0, so v runs up the quad with halfV.
    const Vector3 corners[4] = {center - halfU + halfV, center + halfU + halfV, center + halfU - halfV,
                                center - halfU - halfV};
    ScreenPrimitives::AppendQuad(batch, corners, color, alpha);
    batch.SetShaderTime(shaderTime);
}
