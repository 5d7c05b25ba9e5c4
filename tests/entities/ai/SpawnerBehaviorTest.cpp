// SpawnerBehaviorTest -- the spawner's record check, its place in the first open direction, its timer cycle, and a full table.
#include "entities/ai/BehaviorSpawner.h"
#include "entities/ai/BehaviorWorld.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

class SpawnerBehavior : public BehaviorWorld {
protected:
    SpawnerBehavior()
    {
        LoadBehaviorRecords("SpawnerData\n{\n Type BehaviorData\n MaxRange 200\n SpawnTime 0\n"
                            " SpawnEntity ActorTestBase\n}\n"
                            "SpawnerOfNothing\n{\n Type BehaviorData\n MaxRange 200\n SpawnTime 3\n"
                            " SpawnEntity SkillClaw\n}\n");
        actor = SpawnActor("MonsterTester", 5, 320.0f, 320.0f);
        spawner->actor = actor;
        spawner->LoadData(*database.FindEntryByName("SpawnerData"));
        Sentient* enemy = SpawnTarget(400.0f, 320.0f);
        actor->AddHate(enemy, 5.0f, 0);
        actor->UpdateHateTarget(0.05f);
    }

    int32_t CountEntities() const
    {
        int32_t count = 0;
        for (int32_t i = 0; i < GameServices::kMaxEntities; ++i)
            count += game.GetEntity(i) ? 1 : 0;
        return count;
    }

    Actor* actor = nullptr;
    std::unique_ptr<BehaviorSpawner> spawner = std::make_unique<BehaviorSpawner>();
};

} // namespace

TEST_F(SpawnerBehavior, OnlyACreatureRecordIsKept)
{
    ASSERT_NE(spawner->tuning.spawnEntry, nullptr);
    BehaviorSpawner other;
    other.LoadData(*database.FindEntryByName("SpawnerOfNothing"));
    EXPECT_EQ(other.tuning.spawnEntry, nullptr);
    EXPECT_FLOAT_EQ(other.tuning.spawnTime, 3.0f);
}

TEST_F(SpawnerBehavior, TheNewCreatureStandsOneCellNorthWhenThatIsOpen)
{
    ASSERT_TRUE(spawner->WantsToRun());
    int32_t before = CountEntities();
    spawner->Start();
    ASSERT_EQ(CountEntities(), before + 1);
    Entity* newest = nullptr;
    for (int32_t i = 0; i < GameServices::kMaxEntities; ++i)
        if (Entity* entity = game.GetEntity(i); entity && dynamic_cast<Actor*>(entity) && entity != actor)
            newest = entity;
    ASSERT_NE(newest, nullptr);
    EXPECT_FLOAT_EQ(newest->position.x, 320.0f);
    EXPECT_FLOAT_EQ(newest->position.y, 352.0f);
    EXPECT_FALSE(spawner->ContinueRunning());
}

TEST_F(SpawnerBehavior, WithSpawnTimeZeroItSpawnsEveryStepWhileTheEnemyIsNear)
{
    int32_t before = CountEntities();
    for (int step = 0; step < 3; ++step) {
        ASSERT_TRUE(spawner->WantsToRun());
        spawner->Start();
    }
    EXPECT_EQ(CountEntities(), before + 3);
}

TEST_F(SpawnerBehavior, BoxedInItSpawnsNothingAndKeepsItsTimerCycle)
{
    spawner->tuning.spawnTime = 2.0f;
    game.bodyBlocked = [](const WorldPos&) { return true; };
    int32_t before = CountEntities();
    spawner->Start();
    EXPECT_EQ(CountEntities(), before);
    EXPECT_TRUE(spawner->spawnTimer.running);
    EXPECT_GE(spawner->spawnTimer.remaining, 2.0f);
    EXPECT_LT(spawner->spawnTimer.remaining, 2.2f);
    EXPECT_FALSE(spawner->WantsToRun());
}

TEST_F(SpawnerBehavior, OnAFullTableTheNewCreatureIsDeletedAndTheTableUnchanged)
{
    while (CountEntities() < GameServices::kMaxEntities)
        Spawn<Entity>(0.0f, 0.0f);
    spawner->Start();
    EXPECT_EQ(CountEntities(), GameServices::kMaxEntities);
    auto lines = Logged();
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](const std::string& line) {
        return line.find("too many entities") != std::string::npos;
    }));
    EXPECT_TRUE(spawner->spawnTimer.running);
}
