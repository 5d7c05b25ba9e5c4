// CorpseBehaviorsTest -- raising, destroying and eating the dead: the search-timer pattern, which corpses qualify, and what each does with them.
#include "entities/NeutralCovenant.h"
#include "entities/StatusEffect.h"
#include "entities/ai/BehaviorDestroyCorpse.h"
#include "entities/ai/BehaviorEatCorpse.h"
#include "entities/ai/BehaviorRaiseDead.h"
#include "entities/ai/BehaviorWorld.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// A surface is drawn unless the entity's list switches it off.
bool SurfaceShown(const EntityBase& entity, int32_t surface)
{
    const std::vector<bool>* shown = entity.GetShownSurfaces();
    return !shown || surface < 0 || static_cast<size_t>(surface) >= shown->size() || (*shown)[static_cast<size_t>(surface)];
}

class CorpseBehaviors : public BehaviorWorld {
protected:
    CorpseBehaviors()
    {
        raiser->actor = actor;
        raiser->tuning.maxRange = 200.0f;
        raiser->tuning.raiseTime = 1.0f;
    }

    // The first call starts the timer; the search waits until it has run out.
    bool AskAfterTheTimer()
    {
        EXPECT_FALSE(raiser->WantsToRun());
        raiser->searchTimer.Update(1.1f);
        return raiser->WantsToRun();
    }

    Actor* actor = SpawnActor();
    std::unique_ptr<BehaviorRaiseDead> raiser = std::make_unique<BehaviorRaiseDead>();
};

} // namespace

TEST_F(CorpseBehaviors, WithNeitherFriendsNorARecordNothingIsEverRaised)
{
    Corpse("MonsterRisen", 50.0f);
    EXPECT_FALSE(AskAfterTheTimer());
    EXPECT_TRUE(raiser->searchTimer.running) << "a miss restarts the search";
    EXPECT_GT(raiser->searchTimer.remaining, 0.0f);
}

TEST_F(CorpseBehaviors, ACorpseOfTheRecordOnARaisableArchetypeRisesWhenTheAnimationEnds)
{
    Actor* corpse = Corpse("MonsterRisen", 50.0f);
    Corpse("MonsterTester", 40.0f);  // not raisable, though nearer
    raiser->tuning.raiseEntity = corpse->GetEntry();
    ASSERT_TRUE(AskAfterTheTimer());
    raiser->Start();
    EXPECT_FALSE(raiser->done);
    EXPECT_TRUE(raiser->ContinueRunning());
    raiser->Think(0.05f);
    EXPECT_TRUE(corpse->IsAlive());
    EXPECT_EQ(corpse->GetDeathState(), ActorDeathState::kAlive);
    EXPECT_FALSE(raiser->ContinueRunning());
}

TEST_F(CorpseBehaviors, AFriendlyCorpseRisesWithRaiseAnyFriendly)
{
    Actor* corpse = Corpse("MonsterRisen", 50.0f);
    raiser->tuning.raiseAnyFriendly = true;
    game.relationship = 1;
    EXPECT_FALSE(AskAfterTheTimer()) << "relationship 1 is not friendly enough";
    game.relationship = 2;
    raiser->searchTimer.Update(1.1f);
    EXPECT_TRUE(raiser->WantsToRun());
    raiser->Start();
    raiser->Think(0.05f);
    EXPECT_TRUE(corpse->IsAlive());
}

// ---- Destroying corpses ------------------------------------------------------------------------

namespace {

// A covenant whose members could still strike whatever they look at.
class StrikingCovenant : public NeutralCovenant {
public:
    float GetHitChanceAgainst(const Sentient&, const Entity&) const override { return chance; }
    float chance = 0.5f;
};

class CorpseDestroyer : public BehaviorWorld {
protected:
    CorpseDestroyer()
    {
        destroyer->tuning.maxRange = 200.0f;
        destroyer->tuning.destroyTime = 1.0f;
    }

    bool AskAfterTheTimer()
    {
        EXPECT_FALSE(destroyer->WantsToRun()) << "the first call only starts the search timer";
        destroyer->searchTimer.Update(1.1f);
        return destroyer->WantsToRun();
    }

    // The next search, once its timer has run out, runs the destroyer again.
    void RunTheNextSearch()
    {
        destroyer->searchTimer.Update(1.1f);
        ASSERT_TRUE(destroyer->WantsToRun());
        destroyer->Start();
    }

    // The corpse's own steps after it was sent away: its "delete" is delivered.
    void LetCorpsesLeave()
    {
        for (int32_t step = 0; step < 3; ++step) {
            for (int32_t number = 0; number < GameServices::kMaxEntities; ++number)
                if (auto* other = dynamic_cast<Actor*>(game.GetEntity(number)); other && other->IsDead())
                    other->Update(FakeGameServices::kStep);
            game.Step();
        }
    }

    Actor* actor = SpawnActor();
    std::unique_ptr<BehaviorDestroyCorpse> destroyer = BoundTo<BehaviorDestroyCorpse>(actor);
};

} // namespace

TEST_F(CorpseDestroyer, TheNearestCorpseLeavesTheTableAndALivingActorNearerDoesNotHideIt)
{
    Actor* far = Corpse("MonsterTester", 150.0f);
    Actor* near = Corpse("MonsterTester", 100.0f);
    SpawnActor("MonsterTester", 5, 20.0f, 0.0f);  // alive and nearer than both
    int32_t farNumber = far->entityNumber;
    int32_t nearNumber = near->entityNumber;
    ASSERT_TRUE(AskAfterTheTimer());
    destroyer->Start();
    EXPECT_FALSE(destroyer->ContinueRunning()) << "one step per run";
    EXPECT_EQ(near->GetDeathState(), ActorDeathState::kRemove);
    EXPECT_EQ(far->GetDeathState(), ActorDeathState::kDead);
    LetCorpsesLeave();
    EXPECT_EQ(game.GetEntity(nearNumber), nullptr);
    EXPECT_EQ(game.GetEntity(farNumber), far);
}

TEST_F(CorpseDestroyer, NoCorpseInRangeRestartsTheSearch)
{
    Corpse("MonsterTester", 250.0f);
    EXPECT_FALSE(AskAfterTheTimer());
    EXPECT_TRUE(destroyer->searchTimer.running);
    EXPECT_GE(destroyer->searchTimer.remaining, 1.0f);
    EXPECT_LT(destroyer->searchTimer.remaining, 1.1f);
}

TEST_F(CorpseDestroyer, ACovenantThatCouldStillStrikeTheCorpseKeepsIt)
{
    StrikingCovenant covenant;
    game.covenants.push_back(&covenant);
    actor->covenantIndex = 0;
    Actor* corpse = Corpse("MonsterTester", 100.0f);
    ASSERT_TRUE(AskAfterTheTimer());
    destroyer->Start();
    EXPECT_EQ(corpse->GetDeathState(), ActorDeathState::kDead);
    covenant.chance = 0.0f;
    destroyer->searchTimer.Update(1.1f);
    ASSERT_TRUE(destroyer->WantsToRun());
    destroyer->Start();
    EXPECT_EQ(corpse->GetDeathState(), ActorDeathState::kRemove);
    actor->covenantIndex = -1;
}

TEST_F(CorpseDestroyer, ACorpseItsCovenantWillRaiseStays)
{
    struct RisingCovenant : NeutralCovenant {
        float GetResurrectionTime(const Entity*) const override { return delay; }
        float delay = 3.0f;
    } covenant;
    game.covenants.push_back(&covenant);
    Actor* corpse = Corpse("MonsterTester", 100.0f);
    corpse->covenantIndex = 0;
    ASSERT_TRUE(AskAfterTheTimer());
    destroyer->Start();
    EXPECT_EQ(corpse->GetDeathState(), ActorDeathState::kDead);
    covenant.delay = 0.0f;
    RunTheNextSearch();
    EXPECT_EQ(corpse->GetDeathState(), ActorDeathState::kRemove);
    corpse->covenantIndex = -1;
}

// ---- Eating corpses ------------------------------------------------------------------------------

namespace {

class CorpseEater : public BehaviorWorld {
protected:
    CorpseEater()
    {
        eater->tuning.maxRange = 200.0f;
        eater->tuning.senseTime = 1.0f;
        eater->tuning.maxCorpsesToEat = 2;
        eater->tuning.healthRegen = 0.5f;
        eater->tuning.victimEffect = "bones.mdl";
        eater->tuning.eatEffect = "crumbs.mdl";
        eater->tuning.doneSoundName = "Sounds/crunch.ogg";
        eater->tuning.statusEffect = database.FindEntryByName("StatusEffectBasicRegen");
    }

    bool AskAfterTheTimer()
    {
        eater->WantsToRun();
        eater->searchTimer.Update(1.2f);
        return eater->WantsToRun();
    }

    // One whole meal on the spot: chosen, started and finished in one step.
    void EatOnce()
    {
        ASSERT_TRUE(AskAfterTheTimer());
        actor->SelectBehavior();
        ASSERT_EQ(actor->GetCurrentBehavior(), eater);
        eater->Think(FakeGameServices::kStep);
        actor->SelectBehavior();
    }

    int32_t CountModels(const char* name) const
    {
        int32_t count = 0;
        for (int32_t number = 0; number < GameServices::kMaxEntities; ++number)
            if (const Entity* entity = game.GetEntity(number); entity && entity->modelName == name)
                ++count;
        return count;
    }

    Actor* actor = SpawnActor();
    BehaviorEatCorpse* eater = AddedTo<BehaviorEatCorpse>(actor);
};

} // namespace

TEST_F(CorpseEater, AMealShowsItsEffectsSoundAndHealthAndGivesTheEffectAtTheMealsCount)
{
    Actor* corpse = Corpse("MonsterCarrion", 60.0f);
    EatOnce();
    EXPECT_EQ(eater->corpsesEaten, 1);
    EXPECT_EQ(actor->GetCurrentBehavior(), nullptr) << "the run ends at the next choice";
    EXPECT_EQ(CountModels("Models/bones.mdl"), 1);
    EXPECT_EQ(CountModels("Models/crumbs.mdl"), 1);
    ASSERT_EQ(game.worldEvents.size(), 1u);
    EXPECT_EQ(game.worldEvents[0].name, "Sounds/crunch.ogg");
    EXPECT_EQ(game.worldEvents[0].radius, 400.0f);
    std::string shown = "dmg " + std::to_string(actor->entityNumber) + " +" + std::to_string(actor->maxHealth / 2);
    EXPECT_NE(std::find(game.lines.begin(), game.lines.end(), shown), game.lines.end());
    ASSERT_FALSE(actor->GetStatusEffects().empty());
    EXPECT_EQ(actor->GetStatusEffects().back()->level, 1);
    EXPECT_TRUE(corpse->IsDead()) << "eating leaves the corpse lying";
}

TEST_F(CorpseEater, TwoMealsInALifeAndNeverAThird)
{
    Corpse("MonsterCarrion", 60.0f);
    EatOnce();
    EatOnce();
    EXPECT_EQ(eater->corpsesEaten, 2);
    EXPECT_FALSE(AskAfterTheTimer());
    EXPECT_FALSE(AskAfterTheTimer());
}

TEST_F(CorpseEater, TheFirstMealShowsItsListedSurfaceAndLaterMealsShowNothing)
{
    eater->tuning.showSurface = {3};
    ASSERT_TRUE(actor->SetSurfaceShown(2, false));
    ASSERT_TRUE(actor->SetSurfaceShown(3, false));
    Corpse("MonsterCarrion", 60.0f);
    EatOnce();
    EXPECT_TRUE(SurfaceShown(*actor, 3));
    EXPECT_FALSE(SurfaceShown(*actor, 2)) << "only the listed surface";
    actor->SetSurfaceShown(3, false);
    EatOnce();
    EXPECT_EQ(eater->corpsesEaten, 2);
    EXPECT_FALSE(SurfaceShown(*actor, 3)) << "the list has no entry for a second meal";
}

TEST_F(CorpseEater, OnlyEdibleCorpsesOfNoCovenantAreFood)
{
    Corpse("MonsterTester", 30.0f);
    EXPECT_FALSE(AskAfterTheTimer()) << "not of an edible archetype";
    NeutralCovenant covenant;
    game.covenants.push_back(&covenant);
    Actor* member = Corpse("MonsterCarrion", 40.0f);
    member->covenantIndex = 0;
    EXPECT_FALSE(AskAfterTheTimer()) << "a covenant member";
    member->covenantIndex = -1;
    EXPECT_TRUE(AskAfterTheTimer());
}

TEST_F(CorpseEater, AnEaterUnderAttackDoesNotStart)
{
    Corpse("MonsterCarrion", 60.0f);
    Actor* attacker = SpawnActor("MonsterTester", 5, -50.0f, 0.0f);
    game.relationship = 0;
    actor->AddHate(attacker, 5.0f, 0);
    actor->UpdateHateTarget(FakeGameServices::kStep);
    attacker->AddHate(actor, 5.0f, 0);
    attacker->UpdateHateTarget(FakeGameServices::kStep);
    ASSERT_EQ(attacker->GetCurrentEnemy(), actor);
    EXPECT_FALSE(AskAfterTheTimer());
    attacker->ClearHateList();
    EXPECT_TRUE(AskAfterTheTimer());
}

TEST_F(CorpseEater, AnEffectNamingNoRecordGivesNothingButTheMealCounts)
{
    eater->tuning.statusEffect = nullptr;
    Corpse("MonsterCarrion", 60.0f);
    size_t effects = actor->GetStatusEffects().size();
    EatOnce();
    EXPECT_EQ(eater->corpsesEaten, 1);
    EXPECT_EQ(actor->GetStatusEffects().size(), effects);
}

TEST_F(CorpseEater, AWalkerEatsOnlyOnArrivalAndGivesUpWhenTheWayFails)
{
    eater->tuning.canMove = true;
    Corpse("MonsterCarrion", 60.0f);
    ASSERT_TRUE(AskAfterTheTimer());
    actor->SelectBehavior();
    eater->Think(FakeGameServices::kStep);
    EXPECT_EQ(eater->phase, BehaviorEatCorpse::Walking);
    EXPECT_TRUE(actor->moving);
    actor->Notify(ActorNotice::kArrived, nullptr);
    EXPECT_EQ(eater->phase, BehaviorEatCorpse::Eating);
    eater->Think(FakeGameServices::kStep);  // no eating animation: straight on to the end
    eater->Think(FakeGameServices::kStep);
    EXPECT_EQ(eater->corpsesEaten, 1);

    actor->SelectBehavior();
    ASSERT_TRUE(AskAfterTheTimer());
    actor->SelectBehavior();
    actor->Notify(ActorNotice::kPathFailed, nullptr);
    EXPECT_TRUE(eater->done);
    EXPECT_EQ(eater->corpsesEaten, 1);
}
