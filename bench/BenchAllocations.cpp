// BenchAllocations -- counts the heap allocations a measured section makes, through the program's replaced operator new.
#include "BenchAllocations.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <execinfo.h>
#include <new>
#include <unistd.h>

namespace {

thread_local bool gBenchAllocationsCounting = false;
std::atomic<int64_t> gBenchAllocationsCount{0};

// With EMBERLODE_BENCH_ALLOCATION_TRACE set, each counted allocation writes its call stack to
// the error stream, to find what still allocates in a step meant to allocate nothing.
void BenchAllocationsTrace(std::size_t size)
{
    static const bool tracing = std::getenv("EMBERLODE_BENCH_ALLOCATION_TRACE") != nullptr;
    thread_local bool inside = false;
    if (!tracing || inside)
        return;
    inside = true;
    void* frames[24];
    int depth = backtrace(frames, 24);
    char line[64];
    int length = snprintf(line, sizeof line, "allocation of %zu bytes\n", size);
    (void)!write(2, line, static_cast<size_t>(length));
    backtrace_symbols_fd(frames, depth, 2);
    inside = false;
}

void* BenchAllocationsAllocate(std::size_t size)
{
    if (gBenchAllocationsCounting) {
        gBenchAllocationsCount.fetch_add(1, std::memory_order_relaxed);
        BenchAllocationsTrace(size);
    }
    if (void* block = std::malloc(size ? size : 1))
        return block;
    throw std::bad_alloc();
}

} // namespace

namespace BenchAllocations {

void SetCounting(bool counting)
{
    gBenchAllocationsCounting = counting;
}

void Reset()
{
    gBenchAllocationsCount = 0;
}

int64_t Count()
{
    return gBenchAllocationsCount.load();
}

} // namespace BenchAllocations

void* operator new(std::size_t size)
{
    return BenchAllocationsAllocate(size);
}

void* operator new[](std::size_t size)
{
    return BenchAllocationsAllocate(size);
}

// The nothrow forms too, so that every block the replaced deletes free came from malloc.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    try {
        return BenchAllocationsAllocate(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    try {
        return BenchAllocationsAllocate(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

void operator delete(void* block) noexcept
{
    std::free(block);
}

void operator delete[](void* block) noexcept
{
    std::free(block);
}

void operator delete(void* block, std::size_t) noexcept
{
    std::free(block);
}

void operator delete[](void* block, std::size_t) noexcept
{
    std::free(block);
}
