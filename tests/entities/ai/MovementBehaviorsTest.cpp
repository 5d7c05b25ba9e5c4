// MovementBehaviorsTest -- approach's two ranges, following the leader, the way home with its blocked spot, the jump's tries and flight, and the adventurer's legs and goals.
#include "core/Event.h"
#include "core/EventSystem.h"
#include "entities/NeutralCovenant.h"
#include "entities/ai/BehaviorAdventure.h"
#include "entities/ai/BehaviorApproach.h"
#include "entities/ai/BehaviorAvoidLeader.h"
#include "entities/ai/BehaviorFollowLeader.h"
#include "entities/ai/BehaviorJump.h"
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

// ---- Jumping ---------------------------------------------------------------------------------------

TEST_F(MovementBehaviors, JumpTriesOncePerAttemptTimeInsideItsBand)
{
    Sentient* target = SpawnTarget(300.0f, 100.0f);
    actor->AddHate(target, 5.0f, 0);
    actor->UpdateHateTarget(0.05f);
    auto jump = Bound<BehaviorJump>();
    jump->tuning.attemptChance = 1.0f;
    EXPECT_TRUE(jump->WantsToRun()) << "200 away, inside 100..300";
    EXPECT_FLOAT_EQ(jump->attemptTimer.remaining, 5.0f) << "exactly the attempt time";
    EXPECT_FALSE(jump->WantsToRun()) << "the attempt timer runs";
    jump->attemptTimer.Update(5.0f);
    target->SetPosition(At(401.0f, 100.0f));
    EXPECT_FALSE(jump->WantsToRun()) << "beyond the band";
    EXPECT_FALSE(jump->attemptTimer.running && jump->attemptTimer.remaining > 0.0f) << "no try spent";
    target->SetPosition(At(400.0f, 100.0f));
    jump->tuning.attemptChance = 0.0f;
    EXPECT_FALSE(jump->WantsToRun()) << "the try fails its chance";
    EXPECT_GT(jump->attemptTimer.remaining, 0.0f) << "but it is spent";
}

TEST_F(MovementBehaviors, JumpDefaultsStandOnlyWithoutADataEntry)
{
    BehaviorJump untouched;
    EXPECT_FLOAT_EQ(untouched.tuning.minRange, 100.0f);
    EXPECT_FLOAT_EQ(untouched.tuning.attemptChance, 0.5f);
    BehaviorJump loaded;
    loaded.LoadData(*database.FindEntryByName("ApproachClose"));  // MaxRange 20 and no other jump key
    EXPECT_FLOAT_EQ(loaded.tuning.maxRange, 20.0f);
    EXPECT_FLOAT_EQ(loaded.tuning.minRange, 0.0f);
    EXPECT_FLOAT_EQ(loaded.tuning.attemptTime, 0.0f);
}

TEST_F(MovementBehaviors, AFlightNeedsARateAndTheEndMarkerAfterTheStart)
{
    WorldPos from = At(100.0f, 100.0f);
    WorldPos to = At(200.0f, 100.0f);
    Vector2 velocity{};
    EXPECT_FALSE(BehaviorJump::FlightVelocity(from, to, 2, 6, 0.0f, velocity)) << "rate 0";
    EXPECT_FALSE(BehaviorJump::FlightVelocity(from, to, 2, 6, -10.0f, velocity));
    EXPECT_FALSE(BehaviorJump::FlightVelocity(from, to, 4, 4, 20.0f, velocity)) << "equal markers";
    EXPECT_FALSE(BehaviorJump::FlightVelocity(from, to, 6, 2, 20.0f, velocity));
    ASSERT_TRUE(BehaviorJump::FlightVelocity(from, to, 2, 6, 20.0f, velocity));
    EXPECT_FLOAT_EQ(velocity.x, 500.0f) << "100 units over 4 frames at 20 a second";
    EXPECT_FLOAT_EQ(velocity.y, 0.0f);
}

TEST_F(MovementBehaviors, AJumpThatCannotStartEndsTheRunAndLeavesTheActorStanding)
{
    Sentient* target = SpawnTarget(300.0f, 100.0f);
    actor->AddHate(target, 5.0f, 0);
    actor->UpdateHateTarget(0.05f);
    auto jump = Bound<BehaviorJump>();
    WorldPos before = actor->position;
    jump->Start();  // the test actor has no "jump" animation
    EXPECT_TRUE(jump->done);
    EXPECT_FALSE(jump->jumping);
    EXPECT_FALSE(jump->IsLocked());
    jump->Stop();
    EXPECT_FLOAT_EQ(actor->position.x, before.x);
}

// ---- Adventuring ------------------------------------------------------------------------------------

namespace {

class TravellingCovenant : public NeutralCovenant {
public:
    Entity* GetLeader() const override { return leader; }
    bool HasActiveAdventure() const override { return active; }
    bool GetTravelDestination(WorldPos& out) const override
    {
        if (hasDestination)
            out = destination;
        return hasDestination;
    }

    Entity* leader = nullptr;
    bool active = true;
    bool hasDestination = false;
    WorldPos destination;
};

class Adventuring : public BehaviorWorld {
protected:
    Adventuring()
    {
        traveller->adventurer = true;
        adventure->tuning.stepDistance = 100.0f;
        adventure->tuning.maxFailuresToChangeFinalGoal = 2;
        game.levelPoint = At(900.0f, 100.0f);
    }

    ~Adventuring() override { traveller->covenantIndex = -1; }

    Actor* traveller = SpawnActor("MonsterTester", 5, 100.0f, 100.0f);
    std::unique_ptr<BehaviorAdventure> adventure = BoundTo<BehaviorAdventure>(traveller);
};

} // namespace

TEST_F(Adventuring, OnlyAdventurersOrACovenantsLeaderOnAnActiveAdventureTravel)
{
    EXPECT_TRUE(adventure->WantsToRun());
    traveller->adventurer = false;
    EXPECT_FALSE(adventure->WantsToRun()) << "no covenant";
    TravellingCovenant covenant;
    game.covenants.push_back(&covenant);
    traveller->covenantIndex = 0;
    EXPECT_FALSE(adventure->WantsToRun()) << "not the covenant's leader";
    covenant.leader = traveller;
    EXPECT_TRUE(adventure->WantsToRun());
    covenant.active = false;
    EXPECT_FALSE(adventure->WantsToRun()) << "no adventure under way";
}

TEST_F(Adventuring, ItWalksLegsOfTheStepDistanceTowardsAPointOfItsLevel)
{
    adventure->Think(FakeGameServices::kStep);
    EXPECT_EQ(game.levelPointPicks, 1);
    ASSERT_TRUE(adventure->hasFinalGoal);
    ASSERT_TRUE(adventure->hasStepGoal);
    EXPECT_NEAR(adventure->stepGoal.x, 200.0f, 16.0f) << "one leg of 100 towards x 900";
    EXPECT_NEAR(adventure->stepGoal.y, 100.0f, 16.0f);
    EXPECT_TRUE(traveller->moving);
    traveller->SetPosition(adventure->stepGoal);
    adventure->OnNotifyCurrent(ActorNotice::kArrived, nullptr);
    EXPECT_FALSE(adventure->hasStepGoal);
    EXPECT_TRUE(adventure->hasFinalGoal);
    adventure->Think(FakeGameServices::kStep);
    EXPECT_NEAR(adventure->stepGoal.x, 300.0f, 16.0f);
    EXPECT_EQ(game.levelPointPicks, 1) << "the same final goal";
}

TEST_F(Adventuring, TheLastStretchGoesStraightToTheGoalAndArrivingThereChoosesAnother)
{
    game.levelPoint = At(150.0f, 100.0f);
    adventure->Think(FakeGameServices::kStep);
    EXPECT_FALSE(adventure->hasStepGoal) << "nearer than a leg";
    EXPECT_NEAR(traveller->moveDestination.x, 150.0f, 16.0f);
    adventure->OnNotifyCurrent(ActorNotice::kArrived, nullptr);
    EXPECT_FALSE(adventure->hasFinalGoal);
    adventure->Think(FakeGameServices::kStep);
    EXPECT_EQ(game.levelPointPicks, 2);
}

TEST_F(Adventuring, RepeatedFailuresGiveUpTheFinalGoal)
{
    adventure->Think(FakeGameServices::kStep);
    adventure->OnNotifyCurrent(ActorNotice::kPathFailed, nullptr);
    adventure->OnNotifyCurrent(ActorNotice::kPathFailed, nullptr);
    EXPECT_TRUE(adventure->hasFinalGoal) << "two failures are allowed";
    EXPECT_FALSE(adventure->hasStepGoal);
    adventure->OnNotifyCurrent(ActorNotice::kPathFailed, nullptr);
    EXPECT_FALSE(adventure->hasFinalGoal);
    EXPECT_EQ(adventure->failures, 0);
}

TEST_F(Adventuring, StandingStillMoreThan20StepsDropsBothGoals)
{
    adventure->Think(FakeGameServices::kStep);
    for (int32_t step = 0; step < 20; ++step) {
        traveller->StopMoving();
        adventure->Think(FakeGameServices::kStep);
    }
    EXPECT_TRUE(adventure->hasFinalGoal);
    adventure->Think(FakeGameServices::kStep);
    EXPECT_EQ(adventure->stuckCount, 0);
    EXPECT_EQ(game.levelPointPicks, 2) << "both goals dropped and chosen afresh in the same step";
}

TEST_F(Adventuring, ACovenantsDestinationIsTheGoalAndStoppingForgetsIt)
{
    TravellingCovenant covenant;
    covenant.hasDestination = true;
    covenant.destination = At(100.0f, 700.0f);
    game.covenants.push_back(&covenant);
    traveller->covenantIndex = 0;
    adventure->Think(FakeGameServices::kStep);
    EXPECT_EQ(game.levelPointPicks, 0);
    EXPECT_NEAR(adventure->stepGoal.y, 200.0f, 16.0f);
    adventure->Stop();
    EXPECT_FALSE(adventure->hasFinalGoal);
    EXPECT_FALSE(traveller->moving);
}

TEST_F(Adventuring, NoLevelNoGoal)
{
    traveller->SetPosition(At(100.0f, 100.0f, 3));
    adventure->Think(FakeGameServices::kStep);
    EXPECT_FALSE(adventure->hasFinalGoal);
    EXPECT_FALSE(traveller->moving);
}
