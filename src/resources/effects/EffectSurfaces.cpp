// EffectSurfaces -- the particle, beam and trail surface pools of one frame surface queue, and their adders.
#include "resources/effects/EffectSurfaces.h"

#include "core/MathUtil.h"
#include "resources/effects/SurfaceQueue.h"
#include "resources/shaders/Shader.h"

#include <cmath>

EffectSurfaces::EffectSurfaces(SurfaceQueue& queue) : queue(queue)
{
    queue.AddPool(&particlePool);
    queue.AddPool(&beamPool);
    queue.AddPool(&swipePool);
}

EffectSurfaces::~EffectSurfaces()
{
    queue.RemovePool(&particlePool);
    queue.RemovePool(&beamPool);
    queue.RemovePool(&swipePool);
}

void EffectSurfaces::SetBillboardAxes(const Vector3& newRight, const Vector3& newUp)
{
    right = newRight;
    up = newUp;
    view = {right.y * up.z - right.z * up.y, right.z * up.x - right.x * up.z, right.x * up.y - right.y * up.x};
}

void EffectSurfaces::Queue(RenderSurface& surface, const Shader& shader)
{
    surface.shader = &shader;
    surface.fullBright = true;
    surface.SetSortKey(0, -1, shader.sort, shader.index, 1.0f);
    queue.AddSurface(&surface);
}

void EffectSurfaces::AddParticleSurface(const Shader& shader, const Vector3& position, float rotation, float size,
                                        const Color& color, float alpha, float shaderTime)
{
    ParticleRenderSurface& surface = *particlePool.Take();
    float turn = rotation * kDegreesToRadians;
    float c = std::cos(turn) * size;
    float s = std::sin(turn) * size;
    surface.center = position;
    surface.size = size;
    surface.halfU = right * c + up * s;
    surface.halfV = up * c - right * s;
    surface.color = color;
    surface.alpha = alpha;
    surface.shaderTime = shaderTime;
    Queue(surface, shader);
}

BeamRenderSurface& EffectSurfaces::AddBeamSurface(const Shader& shader)
{
    BeamRenderSurface& surface = *beamPool.Take();
    surface.view = view;
    surface.right = right;
    Queue(surface, shader);
    return surface;
}

SwipeRenderSurface& EffectSurfaces::AddSwipeSurface(const Shader& shader)
{
    SwipeRenderSurface& surface = *swipePool.Take();
    surface.samples.clear();
    Queue(surface, shader);
    return surface;
}
