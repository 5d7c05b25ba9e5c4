// GameUpdateTest -- one fixed step: the order of its work, the covenant upkeep, the clock and time of day, respawns, the end of a game and the game's part of the update.
#include "server/GameWorld.h"
#include "server/SpyCovenant.h"

#include "core/Event.h"
#include "core/MessageBuffer.h"
#include "entities/Sentient.h"
#include "server/quests/Quest.h"
#include "server/Weather.h"

#include <cmath>

namespace {

// Writes its update into the shared log; may sit out the updates.
class SpyEntity : public Entity {
public:
    SpyEntity(std::vector<std::string>& log, bool wantsUpdates) : log(log), wantsUpdates(wantsUpdates) {}
    bool NeedsUpdate() const override { return wantsUpdates; }
    void Update(float) override { log.push_back("entity " + std::to_string(entityNumber)); }
    EventClass* GetEventClass() const override { return table; }
    void OnPing(Event&) { log.push_back("action " + std::to_string(entityNumber)); }
    static inline EventClass* table = nullptr;
    std::vector<std::string>& log;
    bool wantsUpdates;
};

// A world quest whose target is a level, for the respawn rule.
class TargetQuest : public Quest {
public:
    explicit TargetQuest(int32_t target) : Quest(nullptr)
    {
        level = 1;
        count = 1;
        targetLevel = target;
    }
};

class UpdatePlayer : public Sentient {
public:
    bool IsPlayer() const override { return true; }
};

class GameUpdate : public GameWorld {
protected:
    GameUpdate()
    {
        SpyEntity::table = types.RegisterType("SpyEntity", "Entity", nullptr, nullptr);
        pingId = events.RegisterEvent("ping");
        Listener::Subscribe(SpyEntity::table, pingId, &SpyEntity::OnPing);
    }

    SpyEntity* AddSpy(bool wantsUpdates)
    {
        auto* spy = new SpyEntity(log, wantsUpdates);
        spy->SetPosition(At(100, 100));
        EXPECT_NE(game->AddEntity(spy), -1);
        return spy;
    }

    SpyCovenant* AddCovenant()
    {
        auto covenant = std::make_unique<SpyCovenant>(&log);
        SpyCovenant* raw = covenant.get();
        game->AddCovenant(std::move(covenant));
        return raw;
    }

    int32_t CountLog(const std::string& line) const
    {
        return static_cast<int32_t>(std::count(log.begin(), log.end(), line));
    }

    std::vector<std::string> log;
    int pingId = -1;
};

TEST_F(GameUpdate, TheStepRunsActionsThenEntitiesInSlotOrderThenCovenantsThenUpkeep)
{
    SpyEntity* first = AddSpy(true);
    AddSpy(false);
    SpyEntity* third = AddSpy(true);
    AddCovenant();
    AddCovenant();
    game->ScheduleTimedAction(third, events.MakeEvent(pingId), 0.0f);
    Step();
    EXPECT_EQ(log, (std::vector<std::string>{"action 2", "entity 0", "entity 2", "covenant 0", "covenant 1",
                                             "upkeep 0", "upkeep 1"}));
    (void)first;
    EXPECT_FLOAT_EQ(game->GetStepLength(), 0.05f);
}

TEST_F(GameUpdate, UpkeepRunsInTheFirstStepAndThenEveryTaxPeriod)
{
    LoadGameSystem("TaxPeriod 0.2");
    AddCovenant();
    std::vector<int32_t> upkeepSteps;
    for (int32_t step = 1; step <= 10; ++step) {
        log.clear();
        Step();
        if (CountLog("upkeep 0") == 1)
            upkeepSteps.push_back(step);
    }
    EXPECT_EQ(upkeepSteps, (std::vector<int32_t>{1, 5, 9}));
    game->Reset();
    game->ResetLevels();
    AddCovenant();
    log.clear();
    Step();
    EXPECT_EQ(CountLog("upkeep 0"), 1) << "a reset stops the timer: the next step pays again";
}

TEST_F(GameUpdate, TheClockCarriesSecondsIntoMinutesHoursAndDays)
{
    Step(1210);
    EXPECT_EQ(game->GetElapsed().minutes, 1);
    EXPECT_NEAR(game->GetElapsed().seconds, 0.5f, 0.01f);
    EXPECT_NEAR(game->GetGameTime(), 60.5, 0.01);
}

TEST_F(GameUpdate, TimeOfDayWrapsPastTwentyFourButNotAtIt)
{
    // 1440 world seconds a real one: a step of 0.05 s adds 0.02 hours.
    LoadGameSystem("RealToWorldTimeFactor 1440");
    game->SetTimeOfDay(23.99);
    Step();
    EXPECT_NEAR(game->GetTimeOfDay(), 0.01, 1e-9);
    LoadGameSystem("RealToWorldTimeFactor 0");
    game->SetTimeOfDay(24.0);
    Step();
    EXPECT_EQ(game->GetTimeOfDay(), 24.0) << "exactly 24 is not past the day";
    LoadGameSystem("RealToWorldTimeFactor 1440");
    Step();
    EXPECT_NEAR(game->GetTimeOfDay(), 0.02, 1e-9);
}

TEST_F(GameUpdate, AHugeTimeFactorTakesOffWholeDays)
{
    // 0.05 s at this factor is 50 hours.
    LoadGameSystem("RealToWorldTimeFactor 3600000");
    game->SetTimeOfDay(1.0);
    Step();
    EXPECT_NEAR(game->GetTimeOfDay(), 3.0, 1e-6);
}

TEST_F(GameUpdate, RespawnTimersVaryByUpToFivePercentEitherWay)
{
    float lowest = 1e9f, highest = 0.0f;
    for (int32_t i = 0; i < 400; ++i)
        game->QueueRespawn(1, 100.0f, At(50, 50, 1));
    for (const RespawnEntry& entry : *game->GetRespawnQueue(1)) {
        lowest = std::min(lowest, entry.remaining);
        highest = std::max(highest, entry.remaining);
    }
    EXPECT_GE(lowest, 95.0f);
    EXPECT_LE(highest, 105.0f);
    EXPECT_LT(lowest, 96.0f) << "the draws spread over the range";
    EXPECT_GT(highest, 104.0f);
    game->QueueRespawn(9, 1.0f, At(0, 0, 9));
    EXPECT_EQ(game->GetRespawnQueue(9), nullptr) << "no record, nothing queued";
}

TEST_F(GameUpdate, ADueRespawnNearAPlayerIsQueuedAgainNotSpawned)
{
    LoadGameSystem("MonsterRespawnTime 30\nRespawnMinPlayerDistance 500");
    game->GetWorldQuests().push_back(std::make_unique<TargetQuest>(1));
    Spawn<UpdatePlayer>(300, 100, 1);
    game->QueueRespawn(1, 0.05f, At(100, 100, 1));
    Step(2);
    const std::vector<RespawnEntry>& queue = *game->GetRespawnQueue(1);
    ASSERT_EQ(queue.size(), 1u);
    EXPECT_GE(queue[0].remaining, 28.5f - 0.1f);
    EXPECT_LE(queue[0].remaining, 31.5f);
    EXPECT_FLOAT_EQ(queue[0].position.x, 100.0f);
}

TEST_F(GameUpdate, ADueRespawnOnALevelNoQuestConcernsWaitsAgain)
{
    LoadGameSystem("MonsterRespawnTime 30\nRespawnMinPlayerDistance 10");
    Spawn<UpdatePlayer>(3000, 3000, 2);
    game->QueueRespawn(2, 0.05f, At(100, 100, 2));
    Step(2);
    ASSERT_EQ(game->GetRespawnQueue(2)->size(), 1u);
    EXPECT_GT(game->GetRespawnQueue(2)->front().remaining, 20.0f);
}

TEST_F(GameUpdate, ADueRespawnFarFromEveryPlayerLeavesTheQueue)
{
    LoadGameSystem("MonsterRespawnTime 30\nRespawnMinPlayerDistance 500");
    game->GetWorldQuests().push_back(std::make_unique<TargetQuest>(1));
    Spawn<UpdatePlayer>(3000, 3000, 1);
    game->QueueRespawn(1, 0.05f, At(100, 100, 1));
    Step(2);
    EXPECT_TRUE(game->GetRespawnQueue(1)->empty());
}

TEST_F(GameUpdate, PlayersStampTheirLevelAndLeavingTheStartLevelIsRemembered)
{
    auto* player = Spawn<UpdatePlayer>(100, 100, 0);
    Step(3);
    EXPECT_FALSE(game->HasLeftStartLevel());
    EXPECT_NEAR(game->GetLastVisit(0)->seconds, 0.10f, 1e-5f) << "stamped before the clock moves";
    player->SetPosition(At(100, 100, 2));
    Step();
    EXPECT_TRUE(game->HasLeftStartLevel());
    player->SetPosition(At(100, 100, 0));
    Step();
    EXPECT_TRUE(game->HasLeftStartLevel()) << "it stays set";
    player->SetPosition(At(100, 100, 40));
    Step();
    EXPECT_NEAR(game->GetLastVisit(0)->seconds, 0.20f, 1e-5f) << "a level past the records is not stamped";
}

// A defeat ends the game and counts once; the game part's offer byte, which the client shows as
// the allied-victory menu, stays clear before and after it.
TEST_F(GameUpdate, TheGameIsLostWhenTheFirstPlayersCovenantIsDefeated)
{
    game->NewWorld(1, 0, 0, 0);
    SpyCovenant* mine = AddCovenant();
    AddCovenant();
    auto* player = Spawn<UpdatePlayer>(100, 100, 0);
    player->covenantIndex = mine->index;
    auto offerByte = [this, player] {
        MessageBuffer buffer;
        game->WriteNetPart(buffer, player);
        return buffer.Size() < 8 ? -1 : buffer.Data()[buffer.Size() - 8];
    };
    Step();
    EXPECT_FALSE(game->IsGameOver());
    EXPECT_EQ(offerByte(), 0);
    mine->eliminated = true;
    Step();
    EXPECT_TRUE(game->IsGameOver());
    EXPECT_EQ(offerByte(), 0) << "a defeat is no allied victory";
    // The covenant counts the lost world once, however many steps follow.
    Step(3);
    EXPECT_EQ(mine->worldResults.Get(Covenant::kWorldsLost), 1);
    EXPECT_EQ(mine->worldResults.Get(Covenant::kWorldsWonAllied), 0);
}

TEST_F(GameUpdate, TheGamePartHoldsItsFieldsInWireOrder)
{
    game->NewWorld(1, 2, 0, 0);
    SpyCovenant* covenant = AddCovenant();
    game->GetWorldQuests().push_back(nullptr);
    auto* player = Spawn<UpdatePlayer>(100, 100, 0);
    player->covenantIndex = covenant->index;
    // With no rival alive the step offers the lone covenant its allied victory.
    Step(20);
    game->SetTimeOfDay(6.5);
    // One front over the player at full strength: no fade-in and its life still running.
    LoadRecords("Weather\n{\n    MaxFronts 1\n    MaxFrontIntensity 1\n    MaxTotalIntensity 1\n"
                "    MaxFrontWindSpeed 4\n    MaxTotalWindSpeed 4\n}\n");
    game->GetWeather().LoadTuning(database.FindEntryByName("Weather"));
    WeatherFront front(game->GetWeather().GetTuning());
    front.intensity = 0.25f;
    front.wind = {1.0f, -1.0f};
    front.position = At(100, 100);
    front.innerRadius = 50.0f;
    front.outerRadius = 60.0f;
    MessageBuffer block;
    block.WriteInt(1);
    front.Write(block);
    ASSERT_TRUE(game->GetWeather().Read(block));
    MessageBuffer buffer;
    game->WriteNetPart(buffer, player);
    MessageBuffer record;
    game->GetCovenant(0)->Write(record);
    const uint8_t head[] = {
        0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // days, hours, minutes
        0x01, 0x00, 0x80, 0x3F,                                                  // twenty float steps of 0.05
        0x02, 0x00, 0x00, 0x00,                                                  // difficulty
        0x01, 0x00, 0x00, 0x00,                                                  // one covenant, its record next
    };
    const uint8_t tail[] = {
        0x00, 0x00, 0xD0, 0x40,                                                  // time of day 6.5
        0x00, 0x00, 0x00, 0x00,                                                  // no named actors
        0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,                          // one empty quest entry
        0x00, 0x00, 0x80, 0x3F, 0x00, 0x00, 0x80, 0x3F,                          // the two factors
        0x00, 0x00, 0x80, 0x3E, 0x00, 0x00, 0x80, 0x3F, 0x00, 0x00, 0x80, 0xBF,  // weather and wind
        0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,                          // offer, win awaits
    };
    std::vector<uint8_t> expected(head, head + sizeof(head));
    expected.insert(expected.end(), record.Data(), record.Data() + record.Size());
    expected.insert(expected.end(), tail, tail + sizeof(tail));
    ASSERT_EQ(buffer.Size(), expected.size());
    EXPECT_EQ(std::vector<uint8_t>(buffer.Data(), buffer.Data() + buffer.Size()), expected);
}

TEST_F(GameUpdate, TheActiveActorReportPrintsOnlyWhileSwitchedOn)
{
    // Without the var the report is silent and logs no complaint about a missing var.
    Step();
    EXPECT_EQ(CountLogged("Active actors = 0\n"), 0);
}

} // namespace
