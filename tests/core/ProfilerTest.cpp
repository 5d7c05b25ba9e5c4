// ProfilerTest -- section sums and frame lengths on a hand-stepped clock, the "profile" switch, spikes and the report.
#include "core/DebugSystem.h"
#include "core/Profiler.h"
#include "core/UserVarSystem.h"
#include "core/system/TimerSystem.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

class StepClock : public TimerSystem {
public:
    uint32_t GetTime() override { return now; }
    uint32_t now = 0;
};

class ProfilerWorld : public ::testing::Test {
protected:
    ProfilerWorld() : profiler(&clock)
    {
        gDebugSystem = &debug;
        gUserVarSystem = &vars;
        profiler.RegisterCommands();
        vars.SetStringByName("profile", "1");
    }
    ~ProfilerWorld() override
    {
        gUserVarSystem = nullptr;
        gDebugSystem = nullptr;
    }

    // One frame of frameMs with the named sections taking their ms in turn.
    void Frame(uint32_t frameMs, std::vector<std::pair<int, uint32_t>> timed = {})
    {
        profiler.FrameStart();
        uint32_t used = 0;
        for (auto [section, ms] : timed) {
            profiler.Begin(section);
            clock.now += ms;
            used += ms;
            profiler.Mark(section);
        }
        clock.now += frameMs - used;
        profiler.FrameEnd();
    }

    bool Logged(const std::string& line) const
    {
        std::vector<std::string> lines = debug.GetConsoleLines();
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }

    DebugSystem debug;
    UserVarSystem vars;
    StepClock clock;
    Profiler profiler;
};

} // namespace

TEST_F(ProfilerWorld, SectionsAndFramesAddUpInTheReport)
{
    Frame(20, {{kProfileClientReceive, 3}, {kProfileRenderer, 9}});
    Frame(30, {{kProfileClientReceive, 5}, {kProfileRenderer, 11}, {kProfileRenderer, 4}});
    profiler.PrintStatistics();

    EXPECT_TRUE(Logged("Profiler: 2 frames, 25.00 ms average, 30 ms longest, 0 spikes\n"));
    EXPECT_TRUE(Logged("  ClientReceive           2 calls      4.000 ms average      5 ms longest\n"));
    EXPECT_TRUE(Logged("  Renderer                3 calls      8.000 ms average     11 ms longest\n"));
}

TEST_F(ProfilerWorld, SwitchIsReadOnceAFrameSoAFrameIsMeasuredWhole)
{
    vars.SetStringByName("profile", "0");
    profiler.FrameStart();
    vars.SetStringByName("profile", "1");
    profiler.Begin(kProfileGameUpdate);
    clock.now += 7;
    profiler.Mark(kProfileGameUpdate);
    profiler.FrameEnd();
    Frame(10);
    profiler.PrintStatistics();
    EXPECT_TRUE(Logged("Profiler: 1 frames, 10.00 ms average, 10 ms longest, 0 spikes\n"));
}

TEST_F(ProfilerWorld, MarkWithoutBeginAndOutOfRangeSectionsAreIgnored)
{
    profiler.FrameStart();
    clock.now += 5;
    profiler.Mark(kProfileServerTick);
    profiler.Begin(-1);
    profiler.Begin(kProfileSectionCount);
    profiler.Mark(kProfileSectionCount);
    profiler.FrameEnd();
    profiler.PrintStatistics();
    std::vector<std::string> lines = debug.GetConsoleLines();
    EXPECT_EQ(lines.back(), "Profiler: 1 frames, 5.00 ms average, 5 ms longest, 0 spikes\n");
}

TEST_F(ProfilerWorld, SectionAcrossTheClockWrapCountsItsTrueLength)
{
    clock.now = 0xFFFFFFF0u;
    profiler.FrameStart();
    profiler.Begin(kProfileServerFrame);
    clock.now = 0x00000010u;
    profiler.Mark(kProfileServerFrame);
    profiler.FrameEnd();
    profiler.PrintStatistics();
    // The timer's wrap rule: 0xFFFFFFFF - 0xFFFFFFF0 + 0x10 = 31.
    EXPECT_TRUE(Logged("  ServerFrame             1 calls     31.000 ms average     31 ms longest\n"));
}

TEST_F(ProfilerWorld, SpikeIsReportedWithTheSectionsOfThatFrame)
{
    for (int i = 0; i < 30; ++i)
        Frame(10);
    // Three times the average and more than the minimum: a spike.
    Frame(80, {{kProfileClientDraw, 60}});
    EXPECT_TRUE(Logged("^c005Frame spike: 80 ms (average 10.0 ms)\n"));
    EXPECT_TRUE(Logged("  ClientDraw: 60 ms\n"));
    // Over three times the average, but below the floor that short frames' jitter needs.
    Frame(45);
    profiler.PrintStatistics();
    std::vector<std::string> lines = debug.GetConsoleLines();
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::string& line) { return line.find("Frame spike") != std::string::npos; }),
              1);
    EXPECT_TRUE(Logged("Profiler: 32 frames, 13.28 ms average, 80 ms longest, 1 spikes\n"));
}

TEST_F(ProfilerWorld, NoSpikeDuringTheWarmUpFrames)
{
    Frame(10);
    Frame(500);
    std::vector<std::string> lines = debug.GetConsoleLines();
    EXPECT_TRUE(std::none_of(lines.begin(), lines.end(),
                             [](const std::string& line) { return line.find("Frame spike") != std::string::npos; }));
}
