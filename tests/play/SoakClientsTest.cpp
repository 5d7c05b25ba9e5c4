// SoakClientsTest -- the soak's own tools where a failure depends on them: the stack a crashed soak process prints, the clock of the other clients' frames, and the watchdog on frames that stopped.
#include "play/SoakClients.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdint>
#include <cstdlib>

namespace {

// A heap glibc finds corrupted ends the process through abort, a wild pointer through a
// segmentation fault: either way the soak's output must say where.
TEST(SoakCrashStack, ACrashPrintsItsSignalAndStackBeforeTheProcessDies)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(
        {
            SoakCrashStack::Install();
            std::abort();
        },
        "The soak process crashed: Aborted\n.*play_tests");
    EXPECT_EXIT(
        {
            SoakCrashStack::Install();
            std::raise(SIGSEGV);
        },
        ::testing::KilledBySignal(SIGSEGV), "The soak process crashed: Segmentation fault\n.*play_tests");
}

// The world host's process stalled (a long frame, a new level) while a client ran on: the
// client's minute of silence must not pass in seconds of the wall clock, nor its play change
// while the host speaks.
TEST(SoakClientClock, AHostsSilenceCountsNoFasterThanTheWallClockWhileItsSpeechKeepsTheFramesSteps)
{
    uint64_t wall = 1000;
    SoakClientClock clock([&wall] { return wall; });
    uint64_t played = 5000;
    uint64_t heard = 0;
    EXPECT_EQ(clock.Read(played, heard), 5000u);

    // Quarter-second waits run 10 ms apart, the host silent: 240 of them are 2.4 s, not a minute;
    // a frame reads the time more than once and gets one answer.
    bool oneTimeAFrame = true;
    for (int frame = 0; frame < 240; ++frame) {
        played += 250;
        wall += 10;
        uint64_t first = clock.Read(played, heard);
        oneTimeAFrame = oneTimeAFrame && clock.Read(played, heard) == first;
    }
    uint64_t silentEnd = clock.Read(played, heard);
    EXPECT_EQ(silentEnd, 5000u + 2400u);
    EXPECT_TRUE(oneTimeAFrame);

    // The host speaks: the frames keep their steps however fast they run.
    ++heard;
    played += 150;
    wall += 10;
    EXPECT_EQ(clock.Read(played, heard), silentEnd + 150);
    ++heard;
    played += 50;
    wall += 1;
    EXPECT_EQ(clock.Read(played, heard), silentEnd + 200);

    // Silent again: a frame slower than its step counts only its step, one that took no time a
    // millisecond.
    played += 150;
    wall += 400;
    EXPECT_EQ(clock.Read(played, heard), silentEnd + 350);
    played += 150;
    EXPECT_EQ(clock.Read(played, heard), silentEnd + 351);
}

// Slow work is still work: only a count that stands still for the whole allowance ends the run,
// once, however long the machine then takes.
TEST(SoakWatchdog, OnlyACountStandingStillForTheWholeAllowanceEndsTheRunAndOnlyOnce)
{
    uint64_t wall = 0;
    int stopped = 0;
    SoakWatchdog watchdog(1000, [&wall] { return wall; }, [&stopped] { ++stopped; });
    struct Case {
        uint64_t count;
        uint64_t wallAt;
        bool running;
    };
    // Moving a little every 900 ms for long; then standing still: 999 ms is within the allowance,
    // 1000 ms is not; nothing after that runs it again.
    for (const Case& c : {Case{1, 0, true}, Case{2, 900, true}, Case{3, 1800, true}, Case{4, 2700, true},
                          Case{4, 3699, true}, Case{4, 3700, false}, Case{4, 9000, false}, Case{5, 9100, false}}) {
        wall = c.wallAt;
        watchdog.Progress(c.count);
        EXPECT_EQ(watchdog.Check(), c.running) << c.count << " at " << c.wallAt;
    }
    EXPECT_EQ(stopped, 1);
}

} // namespace
