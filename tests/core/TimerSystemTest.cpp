// TimerSystemTest -- the engine clock advanced frame by frame from a fake millisecond counter.
#include "core/system/TimerSystem.h"

#include <gtest/gtest.h>

namespace {

class FakeTimer : public TimerSystem {
public:
    uint32_t GetTime() override { return now; }
    uint32_t now = 0;
};

} // namespace

TEST(TimerSystemClock, StartsAtZeroAndCarriesSecondsAcrossTheCounterWrap)
{
    FakeTimer timer;
    timer.now = 0xFFFFF000u;
    timer.UpdateClock();
    EXPECT_EQ(timer.GetRunningTime(), 0.0f);

    timer.now += 1500;
    timer.UpdateClock();
    EXPECT_FLOAT_EQ(timer.GetRunningTime(), 1.5f);

    // 0xFFFFF5DC to 59905 crosses the wrap: 0xFFFFFFFF - 0xFFFFF5DC + 59905 = 62500 ms.
    timer.now = 59905u;
    timer.UpdateClock();
    EXPECT_EQ(timer.GetClock().minutes, 1);
    EXPECT_FLOAT_EQ(timer.GetRunningTime(), 4.0f);
    EXPECT_EQ(timer.GetClock().hours, 0);
}
