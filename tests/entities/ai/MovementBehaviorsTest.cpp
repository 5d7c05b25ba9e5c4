// MovementBehaviorsTest -- approach's two ranges, following the leader, and the way home with its blocked spot.
#include "core/Event.h"
#include "core/EventSystem.h"
#include "entities/ai/BehaviorApproach.h"
#include "entities/ai/BehaviorAvoidLeader.h"
#include "entities/ai/BehaviorFollowLeader.h"
#include "entities/ai/BehaviorRetreat.h"
#include "entities/ai/BehaviorReturnHome.h"
#include "entities/ai/BehaviorWorld.h"

#include <gtest/gtest.h>

namespace {

class MovementBehaviors : public BehaviorWorld {
protected:
    template <class T>
    std::unique_ptr<T> Bound()
    {
        auto behavior = std::make_unique<T>();
        behavior->actor = actor;
        return behavior;
    }

    Actor* actor = SpawnActor("MonsterTester", 5, 100.0f, 100.0f);
};

} // namespace

TEST_F(MovementBehaviors, ApproachStartsBeyondItsRangeAndRunsUntilNearerThanOptimal)
{
    Sentient* target = SpawnTarget(110.0f, 100.0f);
    actor->AddHate(target, 5.0f, 0);
    actor->UpdateHateTarget(0.05f);
    auto approach = Bound<BehaviorApproach>();
    approach->tuning.maxRange = 10.0f;
    approach->tuning.maxOptimalRange = 4.0f;
    EXPECT_FALSE(approach->WantsToRun()) << "exactly 10 away";
    target->SetPosition(At(110.5f, 100.0f));
    EXPECT_TRUE(approach->WantsToRun());
    target->SetPosition(At(104.0f, 100.0f));
    EXPECT_TRUE(approach->ContinueRunning()) << "4 away is not yet nearer than 4";
    target->SetPosition(At(103.9f, 100.0f));
    EXPECT_FALSE(approach->ContinueRunning());
}

TEST_F(MovementBehaviors, FollowingSprintsAfterTheLeaderAndStopsSprintingAfter)
{
    Sentient* leader = SpawnTarget(400.0f, 100.0f);
    actor->SetLeader(leader);
    auto follow = Bound<BehaviorFollowLeader>();
    follow->tuning.maxRange = 200.0f;
    follow->tuning.maxOptimalRange = 50.0f;
    ASSERT_TRUE(follow->WantsToRun());
    follow->Start();
    EXPECT_TRUE(actor->sprinting);
    EXPECT_TRUE(actor->moving || actor->repathNeeded || game.pathSearches > 0);
    follow->Stop();
    EXPECT_FALSE(actor->sprinting);
    leader->SetPosition(At(149.0f, 100.0f));
    EXPECT_FALSE(follow->ContinueRunning());
}

TEST_F(MovementBehaviors, AFreshReturnHomeWantsToRunAndStopsWithin100OfHome)
{
    auto home = Bound<BehaviorReturnHome>();
    EXPECT_TRUE(home->WantsToRun());
    home->Start();
    EXPECT_EQ(home->goal.x, actor->homePosition.x);
    actor->SetPosition(At(190.0f, 100.0f));
    EXPECT_FALSE(home->WantsToRun());
    actor->SetPosition(At(100.4f, 100.0f));
    EXPECT_FALSE(home->ContinueRunning());
}

TEST_F(MovementBehaviors, AFailedWayHomeInSightIsNotTriedAgainUntilTheActorLeavesTheSpot)
{
    SpawnTarget(700.0f, 100.0f, true);  // a player within the idle distance of 500
    auto home = Bound<BehaviorReturnHome>();
    home->Start();
    actor->SetPosition(At(400.0f, 100.0f));
    home->OnNotifyCurrent(ActorNotice::kPathFailed, nullptr);
    EXPECT_TRUE(home->done);
    EXPECT_FALSE(home->teleportWanted);
    EXPECT_FALSE(home->WantsToRun());
    actor->SetPosition(At(400.5f, 100.0f));
    EXPECT_FALSE(home->WantsToRun()) << "0.5 away is still the spot";
    actor->SetPosition(At(400.6f, 100.0f));
    EXPECT_TRUE(home->WantsToRun());
}

TEST_F(MovementBehaviors, AFailedWayHomeUnseenPutsTheActorHome)
{
    auto home = Bound<BehaviorReturnHome>();
    home->Start();
    actor->gaveUp = true;
    actor->SetPosition(At(400.0f, 100.0f));
    home->OnNotifyCurrent(ActorNotice::kPathFailed, nullptr);
    EXPECT_TRUE(home->teleportWanted);
    home->Stop();
    EXPECT_NEAR(actor->position.x, 100.0f, 64.0f);
    EXPECT_NEAR(actor->position.y, 100.0f, 64.0f);
    EXPECT_FALSE(actor->gaveUp);
}

TEST_F(MovementBehaviors, RetreatRunsBelowItsLowHealthFractionAndRestsAfter)
{
    Sentient* target = SpawnTarget(300.0f, 100.0f);
    actor->AddHate(target, 5.0f, 0);
    actor->UpdateHateTarget(0.05f);
    auto retreat = Bound<BehaviorRetreat>();
    retreat->tuning.lowHealth = 0.25f;
    retreat->tuning.retreatTime = 2.0f;
    actor->maxHealth = 100;
    actor->health = 25;
    EXPECT_FALSE(retreat->WantsToRun()) << "exactly a quarter";
    actor->health = 24;
    ASSERT_TRUE(retreat->WantsToRun());
    retreat->Stop();
    EXPECT_GE(retreat->restTimer.remaining, 2.0f);
    EXPECT_LT(retreat->restTimer.remaining, 2.2f);
    EXPECT_FALSE(retreat->WantsToRun()) << "resting";
    retreat->restTimer.Update(2.2f);
    EXPECT_TRUE(retreat->WantsToRun());
}

TEST_F(MovementBehaviors, RetreatHearsASuccessfulHitOnlyWithOnHit)
{
    Sentient* target = SpawnTarget(300.0f, 100.0f);
    actor->AddHate(target, 5.0f, 0);
    actor->UpdateHateTarget(0.05f);
    auto retreat = Bound<BehaviorRetreat>();
    Event hit;
    hit.name = "SuccessfulHit";
    retreat->HandleEvent(hit);
    EXPECT_FALSE(retreat->WantsToRun());
    retreat->tuning.onHit = true;
    retreat->HandleEvent(hit);
    EXPECT_TRUE(retreat->WantsToRun());
    retreat->Stop();
    EXPECT_FALSE(retreat->wasHit);
}

TEST_F(MovementBehaviors, ARetreatPointOffEveryLevelGivesNoMove)
{
    Sentient* target = SpawnTarget(150.0f, 100.0f);
    actor->AddHate(target, 5.0f, 0);
    actor->UpdateHateTarget(0.05f);
    auto retreat = Bound<BehaviorRetreat>();
    retreat->tuning.retreatDistance = 1.0e7f;
    int32_t searches = game.pathSearches;
    retreat->Start();
    EXPECT_FALSE(actor->moving);
    EXPECT_EQ(game.pathSearches, searches);
}

TEST_F(MovementBehaviors, AvoidLeaderStepsAwayFromTheLeaderIntoAFreeCell)
{
    Sentient* leader = SpawnTarget(100.0f, 90.0f);  // south of the actor
    actor->SetLeader(leader);
    auto avoid = Bound<BehaviorAvoidLeader>();
    avoid->tuning.minRange = 10.0f;
    ASSERT_TRUE(avoid->WantsToRun());
    leader->SetPosition(At(100.0f, 89.9f));
    EXPECT_FALSE(avoid->WantsToRun());
    leader->SetPosition(At(100.0f, 90.0f));
    avoid->Start();
    EXPECT_FALSE(avoid->done);
    EXPECT_GT(actor->moveDestination.y, 100.0f) << "north, away from the leader";
    game.bodyBlocked = [](const WorldPos&) { return true; };
    auto boxed = Bound<BehaviorAvoidLeader>();
    boxed->Start();
    EXPECT_TRUE(boxed->done);
}
