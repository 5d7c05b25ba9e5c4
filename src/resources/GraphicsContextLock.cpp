// GraphicsContextLock -- the re-entrant lock that decides which thread holds the graphics context.
#include "resources/GraphicsContextLock.h"

#include "core/system/CriticalSection.h"
#include "core/system/PlatformSystem.h"

#include <utility>

namespace {

int64_t CurrentThreadId()
{
    return static_cast<int64_t>(gPlatformSystem->GetCurrentThreadId());
}

} // namespace

GraphicsContextLock::GraphicsContextLock() : section(gPlatformSystem->CreateCriticalSection()) {}

GraphicsContextLock::~GraphicsContextLock()
{
    delete section;
}

void GraphicsContextLock::SetContextHooks(ContextHook makeCurrentHook, ContextHook releaseCurrentHook)
{
    makeCurrent = std::move(makeCurrentHook);
    releaseCurrent = std::move(releaseCurrentHook);
}

void GraphicsContextLock::AcquireContext()
{
    section->Enter();
    if (depth.load() == 0 && makeCurrent)
        makeCurrent();
    owner.store(CurrentThreadId());
    depth.fetch_add(1);
}

void GraphicsContextLock::ReleaseContext()
{
    if (depth.fetch_sub(1) == 1) {
        owner.store(-1);
        if (releaseCurrent)
            releaseCurrent();
    }
    section->Leave();
}

int32_t GraphicsContextLock::GetDepth() const
{
    return IsHeldByCurrentThread() ? depth.load() : 0;
}

bool GraphicsContextLock::IsHeldByCurrentThread() const
{
    return owner.load() == CurrentThreadId();
}

int32_t GraphicsContextLock::ReleaseContextFully()
{
    int32_t levels = GetDepth();
    for (int32_t i = 0; i < levels; ++i)
        ReleaseContext();
    return levels;
}

void GraphicsContextLock::RestoreContext(int32_t levels)
{
    for (int32_t i = 0; i < levels; ++i)
        AcquireContext();
}

ContextHandOver::ContextHandOver(GraphicsContextLock* lock) : lock(lock)
{
    if (lock)
        levels = lock->ReleaseContextFully();
}

ContextHandOver::~ContextHandOver()
{
    if (lock)
        lock->RestoreContext(levels);
}
