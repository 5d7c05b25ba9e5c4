// SurfaceQueue -- the frame's queue of render surfaces: per-kind pools, the pass start, the tile adder and the sorted drawing.
#include "resources/effects/SurfaceQueue.h"

#include "resources/ResourceManager.h"
#include "resources/effects/RenderSurface.h"
#include "resources/shaders/Shader.h"
#include "resources/shaders/ShaderBatch.h"

#include <algorithm>

void SurfaceQueue::BeginSurfaceFrame()
{
    tileSurfacePool.ResetUsed();
    for (RenderSurfacePoolBase* pool : otherPools)
        pool->ResetUsed();
    frameSurfaces.clear();
    bonePaletteStarts.clear();
    bonePalette.clear();
}

void SurfaceQueue::AddSurface(RenderSurface* surface)
{
    frameSurfaces.push_back(surface);
}

void SurfaceQueue::AddPool(RenderSurfacePoolBase* pool)
{
    otherPools.push_back(pool);
}

void SurfaceQueue::RemovePool(RenderSurfacePoolBase* pool)
{
    otherPools.erase(std::remove(otherPools.begin(), otherPools.end(), pool), otherPools.end());
}

namespace {

// A lit and a full-bright surface never share a batch: the batch's normals are for all of its
// vertices or none.
bool SurfaceQueueContinuesBatch(const RenderSurface* previous, const RenderSurface* surface)
{
    return previous && surface->sortKey == previous->sortKey && surface->shader == previous->shader &&
           surface->shader && !surface->shader->useShaderTime && surface->fullBright == previous->fullBright &&
           surface->opacity == previous->opacity && surface->writeMask == previous->writeMask;
}

} // namespace

void SurfaceQueue::AddTileSurface(int32_t shaderHandle, const std::array<float, 3>& cornerA,
                                  const std::array<float, 3>& cornerB, bool fullBright, bool useColor,
                                  const Color& color, float alpha)
{
    if (shaderHandle == -1)
        return;
    // Waits for the loader when the shader is not built yet.
    auto* shader = dynamic_cast<Shader*>(gResourceManager->Get(shaderHandle));
    if (!shader)
        return;
    TileRenderSurface* tile = tileSurfacePool.Take();
    tile->cornerA = cornerA;
    tile->cornerB = cornerB;
    tile->useColor = useColor;
    tile->color = color;
    tile->alpha = alpha;
    tile->fullBright = fullBright;
    tile->shader = shader;
    // Tiles are always keyed opaque, so a tile is only ever translucent through its shader.
    tile->SetSortKey(0, -1, shader->sort, shader->index, 1.0f);
    frameSurfaces.push_back(tile);
}

void SurfaceQueue::DrawQueuedSurfaces(ShaderBatch& batch)
{
    // Stable: surfaces of one key are drawn in the order they were queued, the same every frame.
    std::stable_sort(frameSurfaces.begin(), frameSurfaces.end(),
              [](const RenderSurface* a, const RenderSurface* b) { return a->sortKey < b->sortKey; });
    RenderSurface* previous = nullptr;
    for (RenderSurface* surface : frameSurfaces) {
        if (!SurfaceQueueContinuesBatch(previous, surface)) {
            if (previous) {
                batch.FlushBatch();
                previous->EndDraw();
            }
            batch.BeginBatch(surface->shader.Get());
            batch.SetSurfaceState(surface->opacity, surface->writeMask);
            surface->BeginDraw();
        }
        if (!surface->IsHidden())
            surface->AddGeometry(batch, !surface->fullBright);
        previous = surface;
    }
    if (previous) {
        batch.FlushBatch();
        previous->EndDraw();
    }
}
