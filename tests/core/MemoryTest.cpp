// MemoryTest -- per-category counts, the threshold flag, counts under two threads, "printmem" lines.
#include "core/Memory.h"

#include "core/DebugSystem.h"
#include "core/StringUtil.h"

#include <gtest/gtest.h>

#include <cstring>
#include <thread>
#include <vector>

namespace {

struct Snapshot {
    int64_t bytes[kMemCategoryCount];
    int64_t blocks[kMemCategoryCount];
};

Snapshot Take()
{
    Snapshot s;
    for (int c = 0; c < kMemCategoryCount; ++c) {
        s.bytes[c] = MemBytesInUse(static_cast<MemoryCategory>(c));
        s.blocks[c] = MemBlocksInUse(static_cast<MemoryCategory>(c));
    }
    return s;
}

} // namespace

TEST(MemoryCounts, EachCategoryAndTheTotalFollowAllocAndFree)
{
    Snapshot before = Take();
    void* sound = MemAlloc(100, kMemSound);
    void* graphics = MemAllocArray(50, kMemGraphics);
    void* music = MemAlloc(30, kMemMusic);
    void* general = MemAlloc(0, kMemGeneral);
    // A block charged to the total alone would vanish from every category: it is General.
    void* total = MemAlloc(7, kMemTotal);
    Snapshot during = Take();
    EXPECT_EQ(during.bytes[kMemSound] - before.bytes[kMemSound], 100);
    EXPECT_EQ(during.bytes[kMemGraphics] - before.bytes[kMemGraphics], 50);
    EXPECT_EQ(during.bytes[kMemMusic] - before.bytes[kMemMusic], 30);
    EXPECT_EQ(during.bytes[kMemGeneral] - before.bytes[kMemGeneral], 7);
    EXPECT_EQ(during.blocks[kMemGeneral] - before.blocks[kMemGeneral], 2);
    EXPECT_EQ(during.bytes[kMemTotal] - before.bytes[kMemTotal], 187);
    EXPECT_EQ(during.blocks[kMemTotal] - before.blocks[kMemTotal], 5);
    for (void* block : {sound, graphics, music, total})
        EXPECT_EQ(reinterpret_cast<uintptr_t>(block) % alignof(std::max_align_t), 0u);
    std::memset(sound, 0xAA, 100);
    MemFree(sound);
    MemFreeArray(graphics);
    MemFree(music);
    MemFree(general);
    MemFree(total);
    MemFree(nullptr);
    Snapshot after = Take();
    for (int c = 0; c < kMemCategoryCount; ++c) {
        EXPECT_EQ(after.bytes[c], before.bytes[c]) << c;
        EXPECT_EQ(after.blocks[c], before.blocks[c]) << c;
    }
}

TEST(MemoryCounts, CountsStayExactUnderTwoThreads)
{
    Snapshot before = Take();
    auto churn = [](MemoryCategory category) {
        std::vector<void*> blocks;
        for (int i = 0; i < 5000; ++i) {
            blocks.push_back(MemAlloc(static_cast<size_t>(i % 97), category));
            if (i % 3 == 0) {
                MemFree(blocks.back());
                blocks.pop_back();
            }
        }
        for (void* block : blocks)
            MemFree(block);
    };
    std::thread loader(churn, kMemGraphics);
    churn(kMemSound);
    loader.join();
    Snapshot after = Take();
    for (int c = 0; c < kMemCategoryCount; ++c)
        EXPECT_EQ(after.bytes[c], before.bytes[c]) << c;
}

TEST(MemoryThreshold, FlagIsSetOnlyWhileTheTotalExceedsALimitOfOneOrMore)
{
    int64_t total = MemBytesInUse(kMemTotal);
    SetMemoryThreshold(total + 100);
    EXPECT_FALSE(MemoryOverThreshold());
    void* exact = MemAlloc(100, kMemGeneral);
    EXPECT_FALSE(MemoryOverThreshold());
    void* over = MemAlloc(1, kMemGeneral);
    EXPECT_TRUE(MemoryOverThreshold());
    SetMemoryThreshold(0);
    EXPECT_FALSE(MemoryOverThreshold());
    SetMemoryThreshold(-5);
    EXPECT_FALSE(MemoryOverThreshold());
    SetMemoryThreshold(total + 100);
    EXPECT_TRUE(MemoryOverThreshold());
    MemFree(over);
    EXPECT_FALSE(MemoryOverThreshold());
    MemFree(exact);
    SetMemoryThreshold(0);
}

TEST(MemoryStatistics, PrintmemListsEveryCategoryWithBytesAndBlocks)
{
    DebugSystem debug;
    gDebugSystem = &debug;
    void* block = MemAlloc(12345, kMemMusic);
    PrintMemoryStatistics();
    std::string expected = StringFormat("  %-8s %12lld bytes %8lld blocks\n", "Music",
                                        static_cast<long long>(MemBytesInUse(kMemMusic)),
                                        static_cast<long long>(MemBlocksInUse(kMemMusic)));
    MemFree(block);
    gDebugSystem = nullptr;
    std::vector<std::string> lines = debug.GetConsoleLines();
    ASSERT_GE(lines.size(), 6u);
    std::vector<std::string> last(lines.end() - 6, lines.end());
    EXPECT_EQ(last[0], "Memory statistics:\n");
    EXPECT_EQ(last[1].substr(0, 10), "  Total   ");
    EXPECT_EQ(last[5], expected);
}
