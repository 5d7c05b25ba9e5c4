// RandomTimerTest -- restart draws from stream 0, countdown clamps at zero, saved form and truncated reads.
#include "core/RandomTimer.h"

#include "core/MessageBuffer.h"
#include "core/RandomSystem.h"

#include <cmath>
#include <cstring>
#include <gtest/gtest.h>

namespace {

RandomTimer MakeTimer(float minimum, float maximum)
{
    RandomTimer timer;
    timer.minimum = minimum;
    timer.maximum = maximum;
    return timer;
}

bool SameTimer(const RandomTimer& a, const RandomTimer& b)
{
    return a.running == b.running && a.minimum == b.minimum && a.maximum == b.maximum && a.total == b.total &&
           a.remaining == b.remaining;
}

} // namespace

TEST(RandomTimerCountdown, RestartDrawsFromStreamZeroAndExpiresAtZero)
{
    RandomSystem random;
    random.SetState(RandomStream::Quest, 77u);
    RandomTimer timer = MakeTimer(2.0f, 4.0f);
    timer.Update(1.0f);
    EXPECT_EQ(timer.remaining, 0.0f);
    EXPECT_FALSE(timer.IsExpired());

    timer.Restart(random);
    // First draw of stream 0 from state 0 is 0.004241943359375.
    EXPECT_FLOAT_EQ(timer.total, 2.00848388671875f);
    EXPECT_EQ(timer.remaining, timer.total);
    EXPECT_EQ(random.GetState(RandomStream::Quest), 77u);

    timer.Update(1.5f);
    EXPECT_FLOAT_EQ(timer.remaining, 0.50848388671875f);
    EXPECT_FALSE(timer.IsExpired());
    timer.Update(1.0f);
    EXPECT_EQ(timer.remaining, 0.0f);
    EXPECT_TRUE(timer.IsExpired());
}

TEST(RandomTimerCountdown, UpdateListSkipsNullAndStoppedTimers)
{
    RandomSystem random;
    RandomTimer runningTimer = MakeTimer(3.0f, 3.0f);
    runningTimer.Restart(random);
    RandomTimer stopped = MakeTimer(3.0f, 3.0f);
    stopped.remaining = 3.0f;
    RandomTimer::UpdateList({&runningTimer, nullptr, &stopped}, 1.25f);
    EXPECT_FLOAT_EQ(runningTimer.remaining, 1.75f);
    EXPECT_EQ(stopped.remaining, 3.0f);
}

TEST(RandomTimerSaved, RoundTripsAndRefusesEveryTruncation)
{
    RandomSystem random;
    RandomTimer saved = MakeTimer(1.0f, 5.0f);
    saved.Restart(random);
    saved.Update(0.5f);
    MessageBuffer buffer;
    saved.Write(buffer);
    ASSERT_EQ(buffer.Size(), 20u);
    EXPECT_EQ(buffer.Data()[0], 1);

    RandomTimer loaded;
    ASSERT_TRUE(loaded.Read(buffer));
    EXPECT_TRUE(SameTimer(loaded, saved));

    for (size_t cut = 0; cut < buffer.Size(); ++cut) {
        MessageBuffer partial;
        partial.WriteBytes(buffer.Data(), cut);
        RandomTimer untouched = MakeTimer(7.0f, 8.0f);
        EXPECT_FALSE(untouched.Read(partial)) << cut;
        EXPECT_TRUE(SameTimer(untouched, MakeTimer(7.0f, 8.0f))) << cut;
    }
}

TEST(RandomTimerSaved, NonFiniteValueIsRefused)
{
    MessageBuffer buffer;
    buffer.WriteBool(true);
    buffer.WriteFloat(1.0f);
    buffer.WriteFloat(NAN);
    buffer.WriteFloat(1.0f);
    buffer.WriteFloat(INFINITY);
    RandomTimer timer = MakeTimer(2.0f, 3.0f);
    EXPECT_FALSE(timer.Read(buffer));
    EXPECT_TRUE(SameTimer(timer, MakeTimer(2.0f, 3.0f)));
}
