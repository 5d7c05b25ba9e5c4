// BenchAllocations -- counts the heap allocations a measured section makes, through the program's replaced operator new.
#include "BenchAllocations.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <execinfo.h>
#include <new>
#include <unistd.h>

namespace {

thread_local bool gBenchAllocationsCounting = false;
std::atomic<int64_t> gBenchAllocationsCount{0};
std::atomic<int64_t> gBenchAllocationsDriverCount{0};

// Whether the code that asked for the block lies in the graphics driver's libraries (Mesa's
// drivers and the LLVM they compile shaders with) rather than in the program or the C++ library.
bool BenchAllocationsFromDriver(void* caller)
{
    Dl_info info{};
    if (dladdr(caller, &info) == 0 || !info.dli_fname)
        return false;
    const char* name = std::strrchr(info.dli_fname, '/');
    name = name ? name + 1 : info.dli_fname;
    for (const char* driver : {"libLLVM", "libgallium", "_dri.so", "libGLX_mesa", "libglapi", "libEGL_mesa", "swrast"})
        if (std::strstr(name, driver))
            return true;
    return false;
}

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

void* BenchAllocationsAllocate(std::size_t size, void* caller)
{
    if (gBenchAllocationsCounting) {
        if (BenchAllocationsFromDriver(caller)) {
            gBenchAllocationsDriverCount.fetch_add(1, std::memory_order_relaxed);
        } else {
            gBenchAllocationsCount.fetch_add(1, std::memory_order_relaxed);
            BenchAllocationsTrace(size);
        }
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
    gBenchAllocationsDriverCount = 0;
}

int64_t Count()
{
    return gBenchAllocationsCount.load();
}

int64_t DriverCount()
{
    return gBenchAllocationsDriverCount.load();
}

} // namespace BenchAllocations

void* operator new(std::size_t size)
{
    return BenchAllocationsAllocate(size, __builtin_return_address(0));
}

void* operator new[](std::size_t size)
{
    return BenchAllocationsAllocate(size, __builtin_return_address(0));
}

// The nothrow forms too, so that every block the replaced deletes free came from malloc.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    try {
        return BenchAllocationsAllocate(size, __builtin_return_address(0));
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    try {
        return BenchAllocationsAllocate(size, __builtin_return_address(0));
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
