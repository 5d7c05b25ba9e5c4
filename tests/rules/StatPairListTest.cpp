// StatPairListTest -- keyed ranges: find-or-create, adding and appending, scaling, ordered integer ranges and draws.
#include "core/DebugSystem.h"
#include "core/RandomSystem.h"
#include "rules/StatPairList.h"

#include <gtest/gtest.h>

namespace {

TEST(StatPairList, AddCreatesFromZeroAndAppendMergesByKey)
{
    StatPairList list;
    EXPECT_EQ(list.Find(3, false), nullptr);
    list.Add(3, 2.0f, 5.0f);
    list.Add(1, 1.0f, 1.0f);
    list.Add(3, 1.5f, 0.5f);
    ASSERT_EQ(list.GetCount(), 2);
    EXPECT_FLOAT_EQ(list.Find(3, false)->a, 3.5f);
    EXPECT_FLOAT_EQ(list.Find(3, false)->b, 5.5f);

    list.Append(list);  // appending a list to itself doubles it
    EXPECT_FLOAT_EQ(list.Find(1, false)->b, 2.0f);
    EXPECT_FLOAT_EQ(list.Find(3, false)->a, 7.0f);
    list.Multiply(0.5f);
    EXPECT_FLOAT_EQ(list.Find(3, false)->a, 3.5f);
    EXPECT_EQ(list.GetCount(), 2);
}

TEST(StatPairList, RangesAreTruncatedAndOrdered)
{
    DebugSystem debug;
    gDebugSystem = &debug;
    StatPairList list;
    list.Add(0, 9.9f, 2.7f);
    list.Add(1, -1.5f, 3.2f);
    int32_t low = 0, high = 0;
    list.GetIntRange(0, low, high);
    EXPECT_EQ(low, 2);
    EXPECT_EQ(high, 9);
    list.SumRange(low, high);
    EXPECT_EQ(low, 1);  // 2 + trunc(-1.5)
    EXPECT_EQ(high, 12);
    list.GetIntRange(2, low, high);
    EXPECT_EQ(low, 0);
    EXPECT_EQ(high, 0);
    EXPECT_EQ(debug.GetConsoleLines().back(), "^c001StatPairList index 2 outside 0..1\n");
}

TEST(StatPairList, RollDrawsWithinTheRangeFromStreamZero)
{
    RandomSystem random(77);
    gRandomSystem = &random;
    StatPairList list;
    list.Add(5, 6.0f, 3.0f);
    bool seen[10] = {};
    for (int i = 0; i < 200; ++i) {
        int32_t key = -1;
        int32_t value = list.RollAt(0, key);
        ASSERT_GE(value, 3);
        ASSERT_LE(value, 6);
        EXPECT_EQ(key, 5);
        seen[value] = true;
    }
    EXPECT_TRUE(seen[3] && seen[4] && seen[5] && seen[6]);
    // The same draw as stream 0 over the ordered bounds, and no other stream moves.
    RandomSystem replay(random);
    int32_t key = 0;
    EXPECT_EQ(list.RollAt(0, key), replay.RandomIndex(RandomStream::GameData, 3, 6));
    EXPECT_EQ(random.GetState(RandomStream::Quest), replay.GetState(RandomStream::Quest));
    gRandomSystem = nullptr;
    EXPECT_EQ(list.RollAt(0, key), 3);  // without a random system: the lower bound
}

} // namespace
