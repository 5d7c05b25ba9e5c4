// GraphicsContextLock -- the re-entrant lock that decides which thread holds the graphics context.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>

class CriticalSection;

// Every graphics-library call, on the main thread or the loader thread, happens between
// AcquireContext and ReleaseContext. The context is made current only when the depth leaves
// 0 and given up only when it returns to 0, so nested acquisitions cost no context switch.
class GraphicsContextLock {
public:
    using ContextHook = std::function<void()>;

    // The critical section comes from the platform.
    GraphicsContextLock();
    ~GraphicsContextLock();
    GraphicsContextLock(const GraphicsContextLock&) = delete;
    GraphicsContextLock& operator=(const GraphicsContextLock&) = delete;

    // The graphics system's make-current and release operations; empty hooks do nothing.
    void SetContextHooks(ContextHook makeCurrent, ContextHook releaseCurrent);

    void AcquireContext();
    void ReleaseContext();

    // The owner's thread id, -1 when no thread holds the context.
    int64_t GetOwner() const { return owner.load(); }
    // How many times the calling thread holds the context (0 for any other thread).
    int32_t GetDepth() const;
    bool IsHeldByCurrentThread() const;

    // Gives up every level the calling thread holds and returns how many there were, so that
    // a wait for another thread that needs the context cannot deadlock; RestoreContext takes
    // the same number back.
    int32_t ReleaseContextFully();
    void RestoreContext(int32_t levels);

private:
    CriticalSection* section;
    std::atomic<int64_t> owner{-1};
    // Written only by the owner, under the section.
    std::atomic<int32_t> depth{0};
    ContextHook makeCurrent;
    ContextHook releaseCurrent;
};

// Gives the context up for one scope (a wait for the loader) and takes it back at the end.
class ContextHandOver {
public:
    explicit ContextHandOver(GraphicsContextLock* lock);
    ~ContextHandOver();
    ContextHandOver(const ContextHandOver&) = delete;
    ContextHandOver& operator=(const ContextHandOver&) = delete;

private:
    GraphicsContextLock* lock;
    int32_t levels = 0;
};
