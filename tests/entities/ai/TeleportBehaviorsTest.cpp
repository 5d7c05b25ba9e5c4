// TeleportBehaviorsTest -- the blink away from a near enemy: its strict range, its distance, one step per run and its wait.
#include "entities/ai/BehaviorTeleport.h"
#include "entities/ai/BehaviorWorld.h"

#include <gtest/gtest.h>

namespace {

class TeleportBehaviors : public BehaviorWorld {
protected:
    TeleportBehaviors()
    {
        teleport->actor = actor;
        teleport->tuning.minRange = 50.0f;
        teleport->tuning.teleportTime = 10.0f;
        actor->AddHate(enemy, 5.0f, 0);
        actor->UpdateHateTarget(0.05f);
    }

    Actor* actor = SpawnActor("MonsterTester", 5, 400.0f, 400.0f);
    Sentient* enemy = SpawnTarget(350.0f, 400.0f);
    std::unique_ptr<BehaviorTeleport> teleport = std::make_unique<BehaviorTeleport>();
};

} // namespace

TEST_F(TeleportBehaviors, ItBlinksOnlyWhileTheEnemyIsStrictlyNearer)
{
    EXPECT_FALSE(teleport->WantsToRun()) << "exactly MinRange";
    enemy->SetPosition(At(350.1f, 400.0f));
    EXPECT_TRUE(teleport->WantsToRun());
    EXPECT_FALSE(teleport->ContinueRunning());
}

TEST_F(TeleportBehaviors, TheBlinkLands200AwayFromTheEnemyThenWaitsTenToElevenSeconds)
{
    enemy->SetPosition(At(370.0f, 400.0f));
    ASSERT_TRUE(teleport->WantsToRun());
    teleport->Start();
    EXPECT_GT(actor->position.x, 560.0f);
    EXPECT_LT(actor->position.x, 680.0f);
    teleport->Stop();
    EXPECT_GE(teleport->teleportTimer.remaining, 10.0f);
    EXPECT_LT(teleport->teleportTimer.remaining, 11.0f);
    enemy->SetPosition(At(actor->position.x - 10.0f, actor->position.y));
    EXPECT_FALSE(teleport->WantsToRun());
    teleport->teleportTimer.Update(11.0f);
    EXPECT_TRUE(teleport->WantsToRun());
}

TEST_F(TeleportBehaviors, ADestinationOffEveryLevelLeavesTheActorWhereItIs)
{
    game.levelCount = 1;
    actor->SetPosition(At(400.0f, 10.0f));
    enemy->SetPosition(At(400.0f, 150.0f));  // the blink would end 190 south of the level's edge
    teleport->Start();
    EXPECT_EQ(actor->position.level, 0);
    EXPECT_FLOAT_EQ(actor->position.y, 10.0f);
}
