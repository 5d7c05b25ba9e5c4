// BenchAllocations -- counts the heap allocations a measured section makes, through the program's replaced operator new.
#include "BenchAllocations.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

thread_local bool gBenchAllocationsCounting = false;
std::atomic<int64_t> gBenchAllocationsCount{0};

void* BenchAllocationsAllocate(std::size_t size)
{
    if (gBenchAllocationsCounting)
        gBenchAllocationsCount.fetch_add(1, std::memory_order_relaxed);
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
