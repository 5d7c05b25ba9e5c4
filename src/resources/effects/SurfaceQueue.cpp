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
    // The pass would otherwise draw them after their pool has freed them.
    std::vector<const RenderSurface*> gone;
    pool->CollectUsed(gone);
    std::sort(gone.begin(), gone.end());
    std::erase_if(frameSurfaces,
                  [&gone](const RenderSurface* surface) { return std::binary_search(gone.begin(), gone.end(), surface); });
}

namespace {

// A lit and a full-bright surface never share a batch: the batch's normals are for all of its
// vertices or none.
bool SurfaceQueueContinuesBatch(const RenderSurface* previous, const RenderSurface* surface)
{
    return previous && surface->sortKey == previous->sortKey && surface->shader == previous->shader &&
           surface->shader && !surface->shader->useShaderTime && surface->fullBright == previous->fullBright &&
           surface->opacity == previous->opacity && surface->writeMask == previous->writeMask &&
           surface->JoinsBatchOf(*previous);
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

// Surfaces of one key are drawn in the order they were queued, the same every frame. A stable
// sort would take a buffer from the heap every frame; the queue position breaks ties instead.
void SurfaceQueue::SortFrameSurfaces()
{
    sortEntries.clear();
    for (size_t position = 0; position < frameSurfaces.size(); ++position)
        sortEntries.push_back({frameSurfaces[position]->sortKey, static_cast<uint32_t>(position)});
    std::sort(sortEntries.begin(), sortEntries.end(), [](const SortEntry& a, const SortEntry& b) {
        return a.key != b.key ? a.key < b.key : a.position < b.position;
    });
    sortedSurfaces.clear();
    for (const SortEntry& entry : sortEntries)
        sortedSurfaces.push_back(frameSurfaces[entry.position]);
    frameSurfaces.swap(sortedSurfaces);
}

void SurfaceQueue::DrawQueuedSurfaces(ShaderBatch& batch)
{
    SortFrameSurfaces();
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
