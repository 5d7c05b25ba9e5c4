// EffectSurfaces -- the particle, beam and trail surface pools of one frame surface queue, and their adders.
#pragma once

#include "core/ColorSystem.h"
#include "core/Vector.h"
#include "resources/effects/BeamRenderSurface.h"
#include "resources/effects/ParticleRenderSurface.h"
#include "resources/effects/RenderSurfacePool.h"
#include "resources/effects/SwipeRenderSurface.h"

class Shader;
class SurfaceQueue;

// Made beside the queue it joins, which must outlive it: the queue starts these pools with its
// own at every pass until the destructor takes them out. Effect surfaces are full-bright and keyed by their shader alone, so
// every sprite of one shader goes out in one batch; their fading travels in the vertex colours.
class EffectSurfaces {
public:
    explicit EffectSurfaces(SurfaceQueue& queue);
    ~EffectSurfaces();
    EffectSurfaces(const EffectSurfaces&) = delete;
    EffectSurfaces& operator=(const EffectSurfaces&) = delete;

    // The camera's right and up axes in world space: sprites lie in their plane and beams turn
    // their width across the view. Until set, right is +x and up is +z.
    void SetBillboardAxes(const Vector3& right, const Vector3& up);

    // size is half the sprite's side; rotation in degrees turns it within the sprite plane.
    // shaderTime: the particle's own clock, which the animated stages of its shader show.
    void AddParticleSurface(const Shader& shader, const Vector3& position, float rotation, float size,
                            const Color& color, float alpha, float shaderTime);
    // Queued and keyed; the caller fills in the beam's ends, segments, widths, colour and seed.
    BeamRenderSurface& AddBeamSurface(const Shader& shader);
    // Queued and keyed with its samples emptied; the caller adds them and the colour.
    SwipeRenderSurface& AddSwipeSurface(const Shader& shader);


private:
    void Queue(RenderSurface& surface, const Shader& shader);

    SurfaceQueue& queue;
    RenderSurfacePool<ParticleRenderSurface> particlePool;
    RenderSurfacePool<BeamRenderSurface> beamPool;
    RenderSurfacePool<SwipeRenderSurface> swipePool;
    Vector3 right{1.0f, 0.0f, 0.0f};
    Vector3 up{0.0f, 0.0f, 1.0f};
    // Into the screen: right x up.
    Vector3 view{0.0f, -1.0f, 0.0f};
};
