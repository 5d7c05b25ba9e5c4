// SurfaceQueue -- the frame's queue of render surfaces: per-kind pools, the pass start, the tile adder and the sorted drawing.
#pragma once

#include "core/ColorSystem.h"
#include "core/Matrix.h"
#include "resources/effects/RenderSurfacePool.h"
#include "resources/effects/TileRenderSurface.h"

#include <array>
#include <cstdint>
#include <vector>

class RenderSurface;
class ShaderBatch;

// One pass at a time, on the main thread: BeginSurfaceFrame, the adds, DrawQueuedSurfaces.
// A queued surface stays as it is until the next BeginSurfaceFrame, after which the next add
// of its kind refills the same object. The graphics system owns the queue. Pooled surfaces
// hold a use of the shader they last drew: their pools go before the resources are flushed.
class SurfaceQueue {
public:
    // As the graphics device's bone palette takes them.
    using BoneTransform = Matrix4;

    SurfaceQueue() = default;
    SurfaceQueue(const SurfaceQueue&) = delete;
    SurfaceQueue& operator=(const SurfaceQueue&) = delete;

    // Every pool hands out its surfaces from the first again; the lists are emptied, keeping
    // their storage, so a steady scene allocates nothing.
    void BeginSurfaceFrame();
    // Appends a surface that its caller has filled and keyed; the queue does not own it.
    void AddSurface(RenderSurface* surface);
    // Queues one tile drawn with the shader of the handle (which must name a shader resource);
    // nothing for -1 or a handle whose resource has no object. The key depends on the shader
    // alone, so all tiles of one shader sort together and go out in one batch.
    void AddTileSurface(int32_t shader, const std::array<float, 3>& cornerA, const std::array<float, 3>& cornerB,
                        bool fullBright, bool useColor, const Color& color, float alpha);
    // The pools of the other surface kinds (blended tiles, particles, beams, swipes, models)
    // belong to their adders; registered here, they start each pass with the tile pool. An
    // adder that goes before the queue takes its pools out again first, which also takes its
    // surfaces out of the pass.
    void AddPool(RenderSurfacePoolBase* pool);
    void RemovePool(RenderSurfacePoolBase* pool);

    // Sorts the queue by key, unsigned ascending, and draws it: a surface continues the batch
    // of the one before when both have the same key, shader, lighting (full-bright or lit),
    // opacity and write mask, and that shader runs on the clock; otherwise the batch is drawn
    // and a new one begun with the surface's opacity and write mask. Surfaces of one key keep
    // the order they were queued in. A steady scene allocates nothing here.
    void DrawQueuedSurfaces(ShaderBatch& batch);

    const std::vector<RenderSurface*>& GetFrameSurfaces() const { return frameSurfaces; }
    std::vector<BoneTransform>& GetBonePalette() { return bonePalette; }
    std::vector<int32_t>& GetBonePaletteStarts() { return bonePaletteStarts; }
    const RenderSurfacePool<TileRenderSurface>& GetTileSurfacePool() const { return tileSurfacePool; }

private:
    // A queued surface's key and place in the queue: what the sort orders by.
    struct SortEntry {
        uint32_t key;
        uint32_t position;
    };

    void SortFrameSurfaces();

    std::vector<RenderSurface*> frameSurfaces;
    // Kept between passes, so the sort reuses their storage.
    std::vector<SortEntry> sortEntries;
    std::vector<RenderSurface*> sortedSurfaces;
    // Bone transforms of the skinned models of the pass, filled as their surfaces are drawn.
    std::vector<BoneTransform> bonePalette;
    // Per queued model, its first bone in bonePalette; -1 until its first surface is drawn.
    std::vector<int32_t> bonePaletteStarts;
    RenderSurfacePool<TileRenderSurface> tileSurfacePool;
    std::vector<RenderSurfacePoolBase*> otherPools;
};
