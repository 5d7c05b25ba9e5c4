// RenderSurfacePool -- the reused surfaces of one kind: handed out in order each pass, grown only past the largest pass.
#pragma once

#include "core/Memory.h"

#include <cstddef>
#include <cstdint>
#include <new>
#include <vector>

class RenderSurface;

// What the queue needs of every pool, whatever its kind: the start of a pass, and the surfaces
// it handed out in it.
class RenderSurfacePoolBase {
public:
    virtual ~RenderSurfacePoolBase() = default;
    // Appends the surfaces handed out in the current pass.
    virtual void CollectUsed(std::vector<const RenderSurface*>& out) const = 0;
    // Every surface is free for the next pass again; none is freed.
    void ResetUsed() { used = 0; }
    // Surfaces handed out in the current pass: entries 0 to used - 1.
    uint32_t GetUsed() const { return used; }

protected:
    uint32_t used = 0;
};

template <class Surface>
class RenderSurfacePool : public RenderSurfacePoolBase {
public:
    RenderSurfacePool() = default;
    ~RenderSurfacePool() override
    {
        for (Surface* surface : surfaces) {
            surface->~Surface();
            MemFree(surface);
        }
    }
    RenderSurfacePool(const RenderSurfacePool&) = delete;
    RenderSurfacePool& operator=(const RenderSurfacePool&) = delete;

    // The next surface of the pass: the one this position held in earlier passes, as they
    // left it, or a new one when no pass has needed this many.
    Surface* Take()
    {
        if (used < surfaces.size())
            return surfaces[used++];
        void* block = MemAlloc(sizeof(Surface), kMemGeneral);
        Surface* surface = new (block) Surface();
        surfaces.push_back(surface);
        ++used;
        return surface;
    }

    void CollectUsed(std::vector<const RenderSurface*>& out) const override
    {
        out.insert(out.end(), surfaces.begin(), surfaces.begin() + used);
    }

    size_t GetCount() const { return surfaces.size(); }
    Surface* At(size_t position) const { return surfaces[position]; }

private:
    // Owned; they never move while a pass uses them.
    std::vector<Surface*> surfaces;
};
