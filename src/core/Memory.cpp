// Memory -- the engine allocator's byte and block counts per category, and the threshold flag.
#include "core/Memory.h"

#include "core/DebugSystem.h"

#include <cstdint>
#include <cstdlib>
#include <new>

namespace {

// Every block starts with this header, so a free knows its size and category without a
// table. Its size keeps the caller's part aligned as malloc's own blocks are.
struct alignas(alignof(std::max_align_t)) BlockHeader {
    uint64_t bytes;
    int32_t category;
    uint32_t magic;
};

constexpr uint32_t kLiveMagic = 0x4D454D31;  // "MEM1"
constexpr uint32_t kFreedMagic = 0x46524545; // "FREE"

const char* const kCategoryNames[kMemCategoryCount] = {"Total", "General", "Sound", "Graphics", "Music"};

// The loader thread allocates too, so every counter is atomic.
std::atomic<int64_t> gBytes[kMemCategoryCount];
std::atomic<int64_t> gBlocks[kMemCategoryCount];
std::atomic<int64_t> gThreshold{0};

void Count(int category, int64_t bytes, int64_t blocks)
{
    gBytes[kMemTotal].fetch_add(bytes, std::memory_order_relaxed);
    gBlocks[kMemTotal].fetch_add(blocks, std::memory_order_relaxed);
    gBytes[category].fetch_add(bytes, std::memory_order_relaxed);
    gBlocks[category].fetch_add(blocks, std::memory_order_relaxed);
}

} // namespace

void* MemAlloc(size_t bytes, MemoryCategory category)
{
    // The total is a statistic, not a place to charge blocks to.
    int charged = category > kMemTotal && category < kMemCategoryCount ? category : kMemGeneral;
    if (bytes > SIZE_MAX - sizeof(BlockHeader)) {
        DebugSystem::Print(kPrintError, "Couldn't allocate %zu bytes\n", bytes);
        return nullptr;
    }
    void* raw = std::malloc(sizeof(BlockHeader) + bytes);
    if (!raw) {
        DebugSystem::Print(kPrintError, "Couldn't allocate %zu bytes\n", bytes);
        return nullptr;
    }
    BlockHeader* header = new (raw) BlockHeader{bytes, charged, kLiveMagic};
    Count(charged, static_cast<int64_t>(bytes), 1);
    return header + 1;
}

void MemFree(void* block)
{
    if (!block)
        return;
    BlockHeader* header = static_cast<BlockHeader*>(block) - 1;
    // Best effort: a block freed twice or not ours is refused rather than handed to free().
    if (header->magic != kLiveMagic) {
        DebugSystem::Print(kPrintError, "Freeing a block that is not a live allocation\n");
        return;
    }
    header->magic = kFreedMagic;
    Count(header->category, -static_cast<int64_t>(header->bytes), -1);
    std::free(header);
}

void* MemAllocArray(size_t bytes, MemoryCategory category)
{
    return MemAlloc(bytes, category);
}

void MemFreeArray(void* block)
{
    MemFree(block);
}

int64_t MemBytesInUse(MemoryCategory category)
{
    return category >= 0 && category < kMemCategoryCount ? gBytes[category].load() : 0;
}

int64_t MemBlocksInUse(MemoryCategory category)
{
    return category >= 0 && category < kMemCategoryCount ? gBlocks[category].load() : 0;
}

void SetMemoryThreshold(int64_t bytes)
{
    gThreshold.store(bytes, std::memory_order_relaxed);
}

int64_t GetMemoryThreshold()
{
    return gThreshold.load(std::memory_order_relaxed);
}

// Worked out from the counters on each call: a flag stored by racing allocations on two
// threads could be left stale.
bool MemoryOverThreshold()
{
    int64_t threshold = gThreshold.load(std::memory_order_relaxed);
    return threshold >= 1 && gBytes[kMemTotal].load(std::memory_order_relaxed) > threshold;
}

void PrintMemoryStatistics()
{
    DebugSystem::Print(kPrintPlain, "Memory statistics:\n");
    for (int category = 0; category < kMemCategoryCount; ++category) {
        DebugSystem::Print(kPrintPlain, "  %-8s %12lld bytes %8lld blocks\n", kCategoryNames[category],
                           static_cast<long long>(gBytes[category].load()),
                           static_cast<long long>(gBlocks[category].load()));
    }
}
