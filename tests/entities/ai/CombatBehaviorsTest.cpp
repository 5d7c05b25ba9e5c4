// CombatBehaviorsTest -- melee's reach, facing, chase and give-up, suicide's strict range, and the chosen skill's use and lock.
#include "entities/ai/BehaviorMelee.h"
#include "entities/ai/BehaviorRanged.h"
#include "entities/ai/BehaviorSuicide.h"
#include "entities/ai/BehaviorUseSkill.h"
#include "entities/SkillList.h"
#include "entities/ai/BehaviorWorld.h"

#include <gtest/gtest.h>

namespace {

class CombatBehaviors : public BehaviorWorld {
protected:
    // The actor at the origin facing east (direction 2) with the target as its enemy.
    Sentient* EnemyAt(float x, float y)
    {
        Sentient* target = SpawnTarget(x, y);
        actor->AddHate(target, 5.0f, 0);
        actor->UpdateHateTarget(0.05f);
        actor->facing = 2;
        EXPECT_EQ(actor->GetCurrentEnemy(), target);
        return target;
    }

    BehaviorMelee* Melee()
    {
        auto behavior = std::make_unique<BehaviorMelee>();
        behavior->actor = actor;
        BehaviorMelee* raw = behavior.get();
        actor->AddBehavior(std::move(behavior));
        return raw;
    }

    int32_t SwingsScheduled() const { return game.CountScheduledActions(); }

    Actor* actor = SpawnActor("MonsterFighter");
};

} // namespace

TEST_F(CombatBehaviors, MeleeSwingsNearerThan96AndNeverAtIt)
{
    Sentient* target = EnemyAt(95.9f, 0.0f);
    BehaviorMelee* melee = Melee();
    melee->Start();
    melee->Think(0.05f);
    EXPECT_EQ(SwingsScheduled(), 1);
    int32_t before = SwingsScheduled();
    BehaviorMelee* second = Melee();
    target->SetPosition(At(96.0f, 0.0f));
    second->Start();
    second->Think(0.05f);
    EXPECT_EQ(SwingsScheduled(), before);
}

TEST_F(CombatBehaviors, MeleeDoesNotSwingAtTheDeadNorBeforeItsTimerRanOut)
{
    Sentient* target = EnemyAt(40.0f, 0.0f);
    actor->stats.Set(CharacterStat::AttackSpeed, 1500);  // one second times the attack interval
    BehaviorMelee* melee = Melee();
    melee->Start();
    melee->Think(0.05f);
    ASSERT_EQ(SwingsScheduled(), 1);
    melee->waitingOnAnimation = false;
    melee->Think(0.05f);
    EXPECT_EQ(SwingsScheduled(), 1) << "the swing timer still runs";
    target->health = 0;
    BehaviorMelee* fresh = Melee();
    fresh->Start();
    fresh->Think(0.05f);
    EXPECT_EQ(SwingsScheduled(), 1) << "no swing at the dead";
}

TEST_F(CombatBehaviors, AnEnemyExactly90DegreesOffIsAheadAndOneBehindIsNot)
{
    EnemyAt(0.0f, 50.0f);  // north of an east-facing actor: +90 off its facing
    BehaviorMelee* melee = Melee();
    melee->Start();
    melee->Think(0.05f);
    EXPECT_FALSE(melee->chasing) << "90 degrees lies outside [-90, 90)";
    actor->facing = 2;
    Sentient* south = SpawnTarget(0.0f, -50.0f);
    actor->ClearHateList();
    actor->AddHate(south, 5.0f, 0);
    actor->UpdateHateTarget(0.05f);
    actor->facing = 2;
    melee->Think(0.05f);
    EXPECT_TRUE(melee->chasing) << "-90 degrees is ahead";
}

TEST_F(CombatBehaviors, AChaseEndsTwoSecondsAfterTheEnemyWasLastAhead)
{
    Sentient* target = EnemyAt(200.0f, 0.0f);
    BehaviorMelee* melee = Melee();
    melee->Start();
    melee->Think(0.05f);
    ASSERT_TRUE(melee->chasing);
    target->SetPosition(At(-200.0f, 0.0f));
    actor->facing = 2;
    game.now = 2.0;
    melee->Think(0.05f);
    EXPECT_TRUE(melee->chasing);
    game.now = 2.01;
    actor->facing = 2;
    melee->Think(0.05f);
    EXPECT_FALSE(melee->chasing);
    EXPECT_FALSE(melee->gaveUp) << "ChaseTime 0 never gives up";
}

TEST_F(CombatBehaviors, AChaseLongerThanChaseTimeGivesUpAndClearsTheHate)
{
    EnemyAt(300.0f, 0.0f);
    BehaviorMelee* melee = Melee();
    melee->tuning.chaseTime = 0.12f;
    melee->tuning.chaseGiveUpSound = "Sounds/giveup.ogg";
    melee->Start();
    for (int step = 0; step < 2; ++step) {
        actor->facing = 2;
        melee->Think(0.05f);
    }
    EXPECT_FALSE(melee->gaveUp);
    actor->facing = 2;
    melee->Think(0.05f);
    ASSERT_TRUE(melee->gaveUp);
    EXPECT_FALSE(melee->ContinueRunning());
    melee->Stop();
    EXPECT_TRUE(actor->GetHateList().empty());
    EXPECT_TRUE(actor->gaveUp);
    ASSERT_FALSE(game.worldEvents.empty());
    EXPECT_EQ(game.worldEvents.back().name, "Sounds/giveup.ogg");
    EXPECT_FLOAT_EQ(game.worldEvents.back().radius, 400.0f);
}

TEST_F(CombatBehaviors, SuicideRunsOnlyStrictlyInsideItsRange)
{
    Sentient* target = EnemyAt(30.0f, 0.0f);
    BehaviorSuicide suicide;
    suicide.actor = actor;
    suicide.tuning.maxSuicideRange = 30.0f;
    EXPECT_FALSE(suicide.WantsToRun());
    target->SetPosition(At(29.9f, 0.0f));
    EXPECT_TRUE(suicide.WantsToRun());
    suicide.Start();
    EXPECT_EQ(actor->health, 0);
    EXPECT_FALSE(suicide.ContinueRunning());
}

TEST_F(CombatBehaviors, RangedRunsInsideItsBandBoundsIncluded)
{
    Sentient* target = EnemyAt(5.0f, 0.0f);
    BehaviorRanged ranged;
    ranged.actor = actor;
    ranged.tuning.minFireRange = 5.0f;
    ranged.tuning.maxFireRange = 20.0f;
    EXPECT_TRUE(ranged.WantsToRun());
    target->SetPosition(At(20.0f, 0.0f));
    EXPECT_TRUE(ranged.ContinueRunning());
    target->SetPosition(At(20.1f, 0.0f));
    EXPECT_FALSE(ranged.WantsToRun());
    target->SetPosition(At(4.9f, 0.0f));
    EXPECT_FALSE(ranged.ContinueRunning());
}

TEST_F(CombatBehaviors, AnUnknownProjectileFiresNothingAndTheRhythmGoesOn)
{
    EnemyAt(0.0f, 12.0f);
    BehaviorRanged ranged;
    ranged.actor = actor;
    ranged.tuning.maxFireRange = 20.0f;
    ranged.tuning.projAttackSpeed = 1.5f;
    for (const char* name : {"", "NoSuchBolt"}) {
        ranged.fireTimer.running = 0;
        ranged.tuning.projName = name;
        int32_t before = game.CountScheduledActions();
        ranged.Think(0.05f);
        EXPECT_EQ(game.CountScheduledActions(), before);
        EXPECT_TRUE(ranged.fireTimer.running);
        EXPECT_FLOAT_EQ(ranged.fireTimer.remaining, 1.5f);
    }
    EXPECT_EQ(actor->facing, 0) << "turned north to the target";
}

TEST_F(CombatBehaviors, RangedWithNoAttackSpeedMayFireEveryStep)
{
    EnemyAt(10.0f, 0.0f);
    BehaviorRanged ranged;
    ranged.actor = actor;
    ranged.tuning.maxFireRange = 20.0f;
    ranged.tuning.projName = "RangedTestArrow";
    for (int32_t step = 1; step <= 3; ++step) {
        ranged.Think(0.05f);
        EXPECT_TRUE(ranged.fireTimer.IsExpired());
        int32_t arrows = 0;
        for (int32_t i = 0; i < GameServices::kMaxEntities; ++i)
            arrows += game.GetEntity(i) && game.GetEntity(i)->IsProjectile() ? 1 : 0;
        EXPECT_EQ(arrows, step) << "one shot a step";
    }
}

TEST_F(CombatBehaviors, ASuicideIsADeathWithTheActorAsItsOwnKiller)
{
    EnemyAt(10.0f, 0.0f);
    BehaviorSuicide suicide;
    suicide.actor = actor;
    suicide.tuning.maxSuicideRange = 30.0f;
    int32_t xp = actor->stats.Get(CharacterStat::Xp);
    suicide.Start();
    std::string number = std::to_string(actor->entityNumber);
    EXPECT_EQ(game.notices, (std::vector<std::string>{"died " + number})) << "the game hears of a death, not a kill";
    EXPECT_FALSE(actor->netFlag) << "its own death ran";
    EXPECT_EQ(actor->stats.Get(CharacterStat::Xp), xp);
}

// ---- Using the chosen skill ----------------------------------------------------------------------

namespace {

class SkillBehavior : public BehaviorWorld {
protected:
    // The actor with the target as its enemy and its skill choice made.
    Sentient* EnemyFor(Actor* owner, float x)
    {
        Sentient* target = SpawnTarget(x, 0.0f);
        owner->AddHate(target, 5.0f, 0);
        owner->UpdateHateTarget(FakeGameServices::kStep);
        owner->skillList->ChooseSkill(*owner);
        return target;
    }
};

} // namespace

TEST_F(SkillBehavior, NothingChosenNothingUsed)
{
    Actor* biter = SpawnActor("MonsterBiter");
    auto use = BoundTo<BehaviorUseSkill>(biter);
    EXPECT_FALSE(use->WantsToRun()) << "no enemy: the skill needing one is not chosen";
    EnemyFor(biter, 500.0f);
    EXPECT_FALSE(use->WantsToRun()) << "out of the skill's range";
}

TEST_F(SkillBehavior, AnInstantSkillHitsThenWaitsTheArchetypesDelay)
{
    Actor* biter = SpawnActor("MonsterBiter");
    Sentient* target = EnemyFor(biter, 50.0f);
    BehaviorUseSkill* use = AddedTo<BehaviorUseSkill>(biter);
    ASSERT_TRUE(use->WantsToRun());
    biter->UpdateBehaviors(FakeGameServices::kStep);
    EXPECT_LT(target->health, 100) << "the skill was used on the enemy";
    EXPECT_TRUE(use->done) << "the skill's own notice ends the run";
    EXPECT_FLOAT_EQ(use->skillTimer.remaining, 2.0f) << "SkillDelay at full health";
    biter->UpdateBehaviors(FakeGameServices::kStep);
    EXPECT_EQ(biter->GetCurrentBehavior(), nullptr);
    biter->skillList->ChooseSkill(*biter);
    EXPECT_FALSE(use->WantsToRun()) << "the delay has not run out";
}

TEST_F(SkillBehavior, ACastCannotBeInterruptedUntilItsActionIsDone)
{
    Actor* hexer = SpawnActor("MonsterHexer");
    EnemyFor(hexer, 50.0f);
    auto* above = new ScriptedBehavior();
    hexer->AddBehavior(std::unique_ptr<BehaviorBase>(above));
    BehaviorUseSkill* use = AddedTo<BehaviorUseSkill>(hexer);
    hexer->UpdateBehaviors(FakeGameServices::kStep);
    ASSERT_EQ(hexer->GetCurrentBehavior(), use);
    EXPECT_FALSE(use->done);
    EXPECT_TRUE(use->IsLocked()) << "the cast's timed action is pending";
    above->wants = true;
    hexer->UpdateBehaviors(FakeGameServices::kStep);
    EXPECT_EQ(hexer->GetCurrentBehavior(), use) << "locked: the higher behaviour waits";
    game.StepFor(1.1f);
    EXPECT_TRUE(use->done);
    hexer->UpdateBehaviors(FakeGameServices::kStep);
    EXPECT_EQ(hexer->GetCurrentBehavior(), above);
}
