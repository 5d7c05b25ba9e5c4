// ParticleRenderSurface -- a queued particle sprite: a square facing the camera, turned by the particle's rotation.
#include "resources/effects/ParticleRenderSurface.h"

#include "resources/effects/EffectGeometry.h"
#include "resources/shaders/ShaderBatch.h"

bool ParticleRenderSurface::IsHidden() const
{
    return !(size > 0.0f);
}

void ParticleRenderSurface::AddGeometry(ShaderBatch& batch, bool)
{
    const Vector3 corners[4] = {center - halfU - halfV, center + halfU - halfV, center + halfU + halfV,
                                center - halfU + halfV};
    QuadColor tint(color, alpha);
    AddEffectQuad(batch, corners, {tint, tint, tint, tint});
    batch.SetShaderTime(shaderTime);
}
