// RestBehaviorsTest -- prayer, idling (wander legs, the patrol lock, calls answered by the sound group) and regenerating at the covenant's lifestone.
#include "core/Event.h"
#include "core/EventSystem.h"
#include "core/MessageBuffer.h"
#include "entities/NeutralCovenant.h"
#include "entities/StatusEffect.h"
#include "entities/ai/BehaviorIdle.h"
#include "entities/ai/BehaviorLifestoneRegen.h"
#include "entities/ai/BehaviorPray.h"
#include "entities/ai/BehaviorSleep.h"
#include "entities/ai/BehaviorWorld.h"
#include "rules/monsters/MonsterType.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

class RestBehaviors : public BehaviorWorld {
protected:
    RestBehaviors()
    {
        LoadBehaviorRecords("SkillPrayer\n{\n Type Skill\n}\n"
                            "PrayData\n{\n Type BehaviorData\n MinPrayTime 4\n MaxPrayTime 6\n}\n");
        actor = SpawnActor();
        pray->actor = actor;
        actor->stats.Set(CharacterStat::MaxPower, 10);
        actor->stats.Set(CharacterStat::Power, 4);
    }

    Actor* actor = nullptr;
    std::unique_ptr<BehaviorPray> pray = std::make_unique<BehaviorPray>();
};

} // namespace

TEST_F(RestBehaviors, LoadingStartsThePrayTimerInsideItsBounds)
{
    pray->LoadData(*database.FindEntryByName("PrayData"));
    EXPECT_TRUE(pray->prayTimer.running);
    EXPECT_GE(pray->prayTimer.remaining, 4.0f);
    EXPECT_LT(pray->prayTimer.remaining, 6.0f);
    BehaviorPray clone;
    clone.InitFromData(*pray);
    EXPECT_TRUE(clone.prayTimer.running);
    EXPECT_GE(clone.prayTimer.remaining, 4.0f);
}

TEST_F(RestBehaviors, PrayingNeedsTheSkillTheTimerAndAPowerShortfall)
{
    pray->LoadData(*database.FindEntryByName("PrayData"));
    pray->prayTimer.Update(6.0f);
    EXPECT_FALSE(pray->WantsToRun()) << "no SkillPrayer known";
    ASSERT_NE(actor->LearnSkill(gameData.FindSkillDefinition("SkillPrayer")), nullptr);
    EXPECT_TRUE(pray->WantsToRun());
    actor->stats.Set(CharacterStat::Power, 10);
    EXPECT_FALSE(pray->WantsToRun()) << "power full";
    actor->stats.Set(CharacterStat::Power, 4);
    pray->Stop();
    EXPECT_FALSE(pray->WantsToRun()) << "the timer runs again";
}

// ---- Idling: standing, wandering, calling ---------------------------------------------------------

namespace {

class IdleBehavior : public BehaviorWorld {
protected:
    // An actor whose only behaviours are Idle, then Sleep; its timers all run out at once.
    BehaviorIdle* IdleFor(Actor* owner)
    {
        BehaviorIdle* idle = AddedTo<BehaviorIdle>(owner);
        idle->tuning.idleDistance = 300.0f;
        AddedTo<BehaviorSleep>(owner);
        return idle;
    }

    int32_t SoundsNamed(const std::string& name) const
    {
        return static_cast<int32_t>(std::count_if(game.worldEvents.begin(), game.worldEvents.end(),
                                                  [&](const WorldEventRequest& event) { return event.name == name; }));
    }
};

} // namespace

TEST_F(IdleBehavior, WithoutAPlayerNearItSleepsInstead)
{
    Actor* actor = SpawnActor();
    BehaviorIdle* idle = IdleFor(actor);
    SpawnTarget(400.0f, 0.0f, true);
    actor->UpdateBehaviors(FakeGameServices::kStep);
    ASSERT_NE(actor->GetCurrentBehavior(), nullptr);
    EXPECT_EQ(actor->GetCurrentBehavior()->GetType(), BehaviorType::kSleep);
    SpawnTarget(300.0f, 0.0f, true);
    actor->UpdateBehaviors(FakeGameServices::kStep);
    EXPECT_EQ(actor->GetCurrentBehavior(), idle);
    actor->flags |= EntityFlag::Hidden;
    EXPECT_FALSE(idle->WantsToRun()) << "a hidden actor does not idle";
}

TEST_F(IdleBehavior, AWanderLegGoesToAReachablePatrolPointInsideTheBoxAndBackHome)
{
    Actor* actor = SpawnActor("MonsterTester", 5, 400.0f, 400.0f);
    BehaviorIdle* idle = IdleFor(actor);
    SpawnTarget(450.0f, 400.0f, true);
    actor->UpdateBehaviors(FakeGameServices::kStep);
    ASSERT_EQ(actor->GetCurrentBehavior(), idle);
    ASSERT_TRUE(idle->walking);
    EXPECT_TRUE(idle->hasPatrolPoint);
    EXPECT_LE(std::abs(idle->patrolPoint.x - 400.0f), 250.0f + 32.0f);
    EXPECT_LE(std::abs(idle->patrolPoint.y - 400.0f), 200.0f + 32.0f);
    EXPECT_TRUE(actor->moving);
    actor->Notify(ActorNotice::kArrived, nullptr);
    EXPECT_FALSE(idle->walking);
    EXPECT_TRUE(idle->goingHome) << "the next leg heads home";
}

TEST_F(IdleBehavior, APatrolPointWithoutAPathIsNotWalkedTo)
{
    Actor* actor = SpawnActor("MonsterTester", 5, 400.0f, 400.0f);
    BehaviorIdle* idle = IdleFor(actor);
    SpawnTarget(450.0f, 400.0f, true);
    game.pathAnswer = [](const Entity&, const WorldPos&, const WorldPos&, const Entity*) { return false; };
    actor->UpdateBehaviors(FakeGameServices::kStep);
    EXPECT_FALSE(idle->walking);
    EXPECT_FALSE(idle->hasPatrolPoint);
    EXPECT_FALSE(actor->moving);
}

TEST_F(IdleBehavior, AnUninterruptiblePatrolLegHoldsOffAHigherBehaviourUntilItEnds)
{
    Actor* actor = SpawnActor("MonsterTester", 5, 400.0f, 400.0f);
    auto* above = new ScriptedBehavior(BehaviorType::kMelee);
    actor->AddBehavior(std::unique_ptr<BehaviorBase>(above));
    BehaviorIdle* idle = IdleFor(actor);
    idle->tuning.dontInterruptPatrol = true;
    SpawnTarget(450.0f, 400.0f, true);
    actor->UpdateBehaviors(FakeGameServices::kStep);
    ASSERT_TRUE(idle->walking);
    above->wants = true;
    actor->UpdateBehaviors(FakeGameServices::kStep);
    EXPECT_EQ(actor->GetCurrentBehavior(), idle);
    actor->Notify(ActorNotice::kArrived, nullptr);
    actor->UpdateBehaviors(FakeGameServices::kStep);
    EXPECT_EQ(actor->GetCurrentBehavior(), above);
}

TEST_F(IdleBehavior, ACallIsAnsweredByItsOwnSoundGroupOnly)
{
    SpawnTarget(50.0f, 0.0f, true);
    Actor* caller = SpawnActor("MonsterHowler", 5, 0.0f, 0.0f);
    Actor* kin = SpawnActor("MonsterHowler", 5, 100.0f, 0.0f);
    Actor* stranger = SpawnActor("MonsterGrunt", 5, 120.0f, 0.0f);
    BehaviorIdle* calling = IdleFor(caller);
    BehaviorIdle* answering = IdleFor(kin);
    BehaviorIdle* deaf = IdleFor(stranger);
    for (BehaviorIdle* idle : {calling, answering, deaf})
        idle->tuning.dontMove = true;
    calling->tuning.idleSoundChance = 1.0f;
    calling->tuning.idleSound = "Sounds/howl.ogg";
    answering->tuning.idleSound = "Sounds/answer.ogg";
    answering->tuning.idleSoundAnswerChance = 1.0f;
    kin->UpdateBehaviors(FakeGameServices::kStep);
    stranger->UpdateBehaviors(FakeGameServices::kStep);
    EXPECT_EQ(SoundsNamed("Sounds/answer.ogg"), 0) << "no call heard yet: chance 0";
    caller->UpdateBehaviors(FakeGameServices::kStep);
    EXPECT_EQ(SoundsNamed("Sounds/howl.ogg"), 1);
    EXPECT_TRUE(answering->answerPending);
    EXPECT_FALSE(deaf->answerPending);
    kin->UpdateBehaviors(FakeGameServices::kStep);
    EXPECT_EQ(SoundsNamed("Sounds/answer.ogg"), 1) << "the answer chance at the next roll";
    EXPECT_FALSE(answering->answerPending);
}

TEST_F(IdleBehavior, AnActorOnItsCovenantsTaskIgnoresCallsAndStaysPut)
{
    Actor* actor = SpawnActor("MonsterHowler", 5, 400.0f, 400.0f);
    BehaviorIdle* idle = IdleFor(actor);
    SpawnTarget(450.0f, 400.0f, true);
    actor->onTask = true;
    actor->UpdateBehaviors(FakeGameServices::kStep);
    EXPECT_FALSE(idle->walking);
    Event* call = events.MakeEvent(events.FindEvent(Actor::kPassToBehaviorEvent));
    call->params.WriteInt(BehaviorIdle::kCallKind);
    call->params.WriteInt(actor->GetMonsterType()->archetype->soundGroup->GetId());
    idle->HandleEvent(*call);
    EXPECT_FALSE(idle->answerPending);
    actor->onTask = false;
    call->params.SetReadPos(0);
    idle->HandleEvent(*call);
    EXPECT_TRUE(idle->answerPending);
    events.FreeEvent(call);
}

// ---- Regenerating at the lifestone ------------------------------------------------------------------

namespace {

class LifestoneCovenant : public NeutralCovenant {
public:
    Entity* GetHomeEntity() const override { return lifestone; }
    Entity* lifestone = nullptr;
};

class LifestoneBehavior : public BehaviorWorld {
protected:
    LifestoneBehavior()
    {
        game.covenants.push_back(&covenant);
        actor->covenantIndex = 0;
        covenant.lifestone = stone;
        stone->useStatusEffect = database.FindEntryByName("StatusEffectBasicRegen");
        regen->tuning.maxDistance = 300.0f;
        actor->health = actor->maxHealth / 2;
    }

    ~LifestoneBehavior() override { actor->covenantIndex = -1; }

    bool Regenerating() const
    {
        for (const auto& effect : actor->GetStatusEffects())
            if (effect->GetEntry() == stone->useStatusEffect && !effect->IsExpired())
                return true;
        return false;
    }

    LifestoneCovenant covenant;
    Actor* actor = SpawnActor("MonsterTester", 5, 400.0f, 400.0f);
    Entity* stone = Spawn<Entity>(600.0f, 400.0f);
    std::unique_ptr<BehaviorLifestoneRegen> regen = BoundTo<BehaviorLifestoneRegen>(actor);
};

} // namespace

TEST_F(LifestoneBehavior, AHurtMemberWithinReachWalksToTheStoneAndUsesItFromNearerThan96)
{
    ASSERT_TRUE(regen->WantsToRun());
    regen->Think(FakeGameServices::kStep);
    EXPECT_TRUE(actor->moving);
    EXPECT_FALSE(regen->regenerating) << "200 away";
    actor->SetPosition(At(505.0f, 400.0f));
    regen->Think(FakeGameServices::kStep);
    EXPECT_TRUE(regen->regenerating);
    EXPECT_TRUE(Regenerating());
    regen->Stop();
    EXPECT_FALSE(Regenerating()) << "released";
    EXPECT_FALSE(regen->regenerating);
}

TEST_F(LifestoneBehavior, ItEndsAtFullHealthUnlessThePowerBarIsShort)
{
    actor->health = actor->maxHealth;
    actor->stats.Set(CharacterStat::MaxPower, 10);
    actor->stats.Set(CharacterStat::Power, 4);
    EXPECT_TRUE(regen->ContinueRunning());
    actor->stats.Set(CharacterStat::Power, 10);
    EXPECT_FALSE(regen->ContinueRunning());
}

TEST_F(LifestoneBehavior, AFarStoneOrNoCovenantIsNotSought)
{
    regen->tuning.maxDistance = 199.0f;
    EXPECT_FALSE(regen->WantsToRun());
    regen->tuning.maxDistance = 300.0f;
    actor->covenantIndex = -1;
    EXPECT_FALSE(regen->WantsToRun());
    regen->Stop();
    EXPECT_FALSE(regen->regenerating);
}

TEST_F(IdleBehavior, ACallCutShortOrOfAnotherKindIsNotHeard)
{
    Actor* actor = SpawnActor("MonsterHowler", 5, 400.0f, 400.0f);
    BehaviorIdle* idle = IdleFor(actor);
    int id = events.FindEvent(Actor::kPassToBehaviorEvent);
    int32_t group = actor->GetMonsterType()->archetype->soundGroup->GetId();
    MessageBuffer whole;
    whole.WriteInt(BehaviorIdle::kCallKind);
    whole.WriteInt(group);
    for (size_t cut = 0; cut < whole.Size(); ++cut) {
        Event* call = events.MakeEvent(id);
        call->params.WriteBytes(whole.Data(), cut);
        idle->HandleEvent(*call);
        events.FreeEvent(call);
        EXPECT_FALSE(idle->answerPending) << "cut at " << cut;
    }
    Event* other = events.MakeEvent(id);
    other->params.WriteInt(BehaviorIdle::kCallKind + 1);
    other->params.WriteInt(group);
    idle->HandleEvent(*other);
    events.FreeEvent(other);
    EXPECT_FALSE(idle->answerPending) << "not a call";
}
