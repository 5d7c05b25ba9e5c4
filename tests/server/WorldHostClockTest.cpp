// WorldHostClockTest -- the fixed step: when steps fall due, the five-step cap and what it drops, and pauses that stop only the time while datagrams still flow.
#include "server/WorldHostWorld.h"

#include <cstdint>

namespace {

class WorldHostClock : public WorldHostWorld {};

TEST_F(WorldHostClock, NothingRunsBeforeAWorldIsSetUp)
{
    LoadRecords(std::string("GameSystem\n{\n}\n") + kAdventure);
    TestClient client(6001);
    MessageBuffer join;
    NetMessages::WriteJoinRequest(join);
    client.Send(join);
    Frame(400);
    EXPECT_FALSE(host->IsActive());
    EXPECT_EQ(host->GetStepCount(), 0u);
    EXPECT_EQ(host->GetAccumulatorMs(), 0u);
    EXPECT_TRUE(client.ReceiveTypes().empty()) << "an inactive host answers nobody";
    vars.SetIntByName("paused", 1);
    EXPECT_FALSE(host->IsPaused()) << "an inactive host is never paused";
}

TEST_F(WorldHostClock, FiftyMillisecondsWaitForTheNextFrame)
{
    StartWorld();
    Frame(50);
    EXPECT_EQ(host->GetStepCount(), 0u);
    EXPECT_EQ(host->GetAccumulatorMs(), 50u);
    Frame(1);
    EXPECT_EQ(host->GetStepCount(), 1u);
    EXPECT_EQ(host->GetAccumulatorMs(), 1u);
    EXPECT_EQ(host->GetServerTimeMs(), 50u);
}

TEST_F(WorldHostClock, FourHundredRunsFiveStepsKeepsFiftyAndDropsAHundred)
{
    StartWorld();
    Frame(400);
    EXPECT_EQ(host->GetStepCount(), 5u);
    EXPECT_EQ(host->GetAccumulatorMs(), 50u);
    EXPECT_EQ(host->GetServerTimeMs(), 250u);
    EXPECT_FLOAT_EQ(host->GetServerTime(), 0.25f);
    EXPECT_FLOAT_EQ(game->GetStepLength(), 0.05f);
    EXPECT_NEAR(game->GetGameTime(), 0.25, 1e-6);
    EXPECT_EQ(host->GetDueMs(), 0u) << "every due step ran";
    Frame(0);
    EXPECT_EQ(host->GetStepCount(), 5u) << "the dropped hundred never comes back";
}

TEST_F(WorldHostClock, StepsFallDueInTickAndRunInServerFrame)
{
    StartWorld();
    host->Tick(120, false);
    EXPECT_EQ(host->GetDueMs(), 100u);
    EXPECT_EQ(host->GetStepCount(), 0u);
    host->ServerFrame();
    EXPECT_EQ(host->GetStepCount(), 2u);
    EXPECT_EQ(host->GetAccumulatorMs(), 20u);
}

TEST_F(WorldHostClock, AHugeFrameIsCappedWithoutALongLoop)
{
    StartWorld();
    Frame(UINT32_MAX);
    EXPECT_EQ(host->GetStepCount(), 5u);
    EXPECT_LE(host->GetAccumulatorMs(), WorldHost::kStepMs);
    Frame(UINT32_MAX);
    EXPECT_EQ(host->GetStepCount(), 10u);
}

TEST_F(WorldHostClock, PausedAndHeldStopOnlyTheTimeNotTheDatagrams)
{
    StartWorld();
    TestClient client(6002);
    MessageBuffer join;
    NetMessages::WriteJoinRequest(join);
    for (const char* var : {"paused", "pausedAuto", ""}) {
        if (*var)
            vars.SetIntByName(var, 1);
        client.Send(join);
        Frame(400, *var == '\0');
        EXPECT_TRUE(*var == '\0' || host->IsPaused()) << var;
        EXPECT_EQ(host->GetStepCount(), 0u) << var;
        EXPECT_EQ(host->GetAccumulatorMs(), 0u) << var;
        EXPECT_EQ(client.ReceiveTypes(), std::vector<int32_t>{NetMessageType::kHello}) << var;
        if (*var)
            vars.SetIntByName(var, 0);
    }
    Frame(100);
    EXPECT_EQ(host->GetStepCount(), 1u) << "time flows again once nothing holds it";
}

} // namespace
