// PosixTimerSystemTest -- 32-bit truncation of the clock and frame lengths across its wrap.
#include "platform/PosixTimerSystem.h"

#include <gtest/gtest.h>

TEST(PosixTimerClock, ReadingsTruncateToThirtyTwoBitsAndElapsedBridgesTheWrap)
{
    uint64_t now = 0xFFFFFFF0ull;
    PosixTimerSystem timer([&now] { return now; });
    uint32_t previous = timer.GetTime();
    EXPECT_EQ(previous, 0xFFFFFFF0u);

    now += 5;
    EXPECT_EQ(timer.Elapsed(previous, timer.GetTime()), 5u);
    EXPECT_EQ(timer.Elapsed(previous, previous), 0u);

    now = 0x100000010ull;
    uint32_t wrapped = timer.GetTime();
    EXPECT_EQ(wrapped, 0x10u);
    // The frame loop's rule: wrap value minus previous plus now, one short of the modular distance.
    EXPECT_EQ(timer.GetWrapValue(), 0xFFFFFFFFu);
    EXPECT_EQ(timer.Elapsed(previous, wrapped), 0xFFFFFFFFu - 0xFFFFFFF0u + 0x10u);
    EXPECT_EQ(timer.Elapsed(0xFFFFFFFFu, 0u), 0u);
}
