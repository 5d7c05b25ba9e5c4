// ActorHateTest -- the hate list: the first hate's sound, ties by distance, unreachable entities, dead ones, scaling, guards, searches per entry and dropped entries.
#include "entities/ActorWorld.h"

#include <gtest/gtest.h>

namespace {

class ActorHate : public ActorWorld {
protected:
    int CountSounds(const char* name) const
    {
        int count = 0;
        for (const WorldEventRequest& request : game.worldEvents)
            count += request.name == name ? 1 : 0;
        return count;
    }
};

class GuardProbe : public Sentient {
public:
    bool IsGuard() const override { return true; }
};

} // namespace

TEST_F(ActorHate, OnlyTheFirstPositiveHatePlaysTheHateSound)
{
    Actor* actor = SpawnActor();
    Sentient* target = SpawnTarget(50, 0);
    actor->AddToHateList(target);
    EXPECT_EQ(actor->FindHateEntry(target)->hate, 0.0f);
    actor->AddHate(target, 5.0f, 0);
    actor->AddHate(target, 5.0f, 0);
    EXPECT_EQ(CountSounds("Sounds/growl.ogg"), 1);
    actor->AddHate(target, -10.0f, 0);
    actor->AddHate(target, 1.0f, 0);
    EXPECT_EQ(CountSounds("Sounds/growl.ogg"), 2);
    EXPECT_FLOAT_EQ(game.worldEvents.back().radius, Actor::kActorSoundRadius);
}

TEST_F(ActorHate, TiesGoToTheNearerAndThenStayWithTheCurrentTarget)
{
    Actor* actor = SpawnActor();
    Sentient* far = SpawnTarget(100, 0);
    Sentient* nearer = SpawnTarget(40, 0);
    actor->AddHate(far, 3.0f, 0);
    actor->AddHate(nearer, 3.0f, 0);
    actor->UpdateHateTarget(0.05f);
    EXPECT_EQ(actor->GetCurrentTarget(), nearer);
    EXPECT_EQ(CountSounds("Sounds/spot.ogg"), 1);
    // The same distance on the other side: the current target stays.
    Sentient* twin = SpawnTarget(-40, 0);
    actor->AddHate(twin, 3.0f, 0);
    actor->UpdateHateTarget(0.05f);
    EXPECT_EQ(actor->GetCurrentTarget(), nearer);
    actor->AddHate(twin, 0.5f, 0);
    actor->UpdateHateTarget(0.05f);
    EXPECT_EQ(actor->GetCurrentTarget(), twin);
}

TEST_F(ActorHate, AnUnreachableEntityWaitsForItsReachTimer)
{
    Actor* actor = SpawnActor();
    Sentient* walled = SpawnTarget(60, 0);
    Sentient* open = SpawnTarget(80, 0);
    game.pathAnswer = [walled](const Entity&, const WorldPos&, const WorldPos&, const Entity* to) { return to != walled; };
    actor->AddHate(walled, 100.0f, 0);
    actor->AddHate(open, 1.0f, 0);
    // New entries count as reachable until their timer runs out (0.9 to 1.1 s).
    for (int i = 0; i < 17; ++i)
        actor->UpdateHateTarget(0.05f);
    EXPECT_EQ(actor->GetCurrentTarget(), walled);
    for (int i = 0; i < 10; ++i)
        actor->UpdateHateTarget(0.05f);
    EXPECT_EQ(actor->GetCurrentTarget(), open);
    game.pathAnswer = nullptr;
    for (int i = 0; i < 25; ++i)
        actor->UpdateHateTarget(0.05f);
    EXPECT_EQ(actor->GetCurrentTarget(), walled);
}

TEST_F(ActorHate, PathSearchesRunAboutOnceASecondPerEntry)
{
    Actor* actor = SpawnActor();
    actor->AddHate(SpawnTarget(60, 0), 1.0f, 0);
    actor->AddHate(SpawnTarget(-60, 0), 1.0f, 0);
    for (int i = 0; i < 200; ++i)  // ten seconds
        actor->UpdateHateTarget(0.05f);
    EXPECT_GE(game.pathSearches, 16);
    EXPECT_LE(game.pathSearches, 24);
}

TEST_F(ActorHate, ADeadEntityIsMarkedAndRestartsFromZero)
{
    Actor* actor = SpawnActor();
    Sentient* target = SpawnTarget(60, 0);
    actor->AddHate(target, 9.0f, 0);
    target->health = 0;
    actor->UpdateHateTarget(0.05f);
    EXPECT_EQ(actor->FindHateEntry(target)->hate, -1.0f);
    EXPECT_EQ(actor->GetCurrentTarget(), nullptr);
    target->health = 50;
    actor->UpdateHateTarget(0.05f);
    EXPECT_EQ(actor->FindHateEntry(target)->hate, 0.0f);
    EXPECT_EQ(actor->GetCurrentTarget(), target);
}

TEST_F(ActorHate, HealingHateIsScaledButStillMakesTheEntry)
{
    Actor* actor = SpawnActor();
    Sentient* healer = SpawnTarget(60, 0);
    actor->AddHate(healer, 10.0f, 2);
    EXPECT_FLOAT_EQ(actor->FindHateEntry(healer)->hate, 5.0f);
}

TEST_F(ActorHate, AFoeThatStruckManyTimesHatesAHealerOnceForEachHeal)
{
    Actor* actor = SpawnActor();
    Sentient* target = SpawnTarget(50, 0);
    Sentient* healer = SpawnTarget(80, 0);
    actor->AddToHateList(target);
    // Every hit enters each side on the other's engaged list again, as a skill's hit does.
    for (int i = 0; i < 300; ++i) {
        actor->AddEngaged(target);
        target->AddEngaged(actor);
    }
    EXPECT_EQ(target->CountEngagedEntities(), 1u);
    EXPECT_EQ(actor->CountEngagedEntities(), 1u);
    target->health = 50;
    EXPECT_EQ(target->Heal(20, healer, true), 20);
    ASSERT_NE(actor->FindHateEntry(healer), nullptr);
    EXPECT_FLOAT_EQ(actor->FindHateEntry(healer)->hate, 10.0f) << "a heal of 20 at half weight, heard once";
}

TEST_F(ActorHate, AFoeEnteredTwiceStaysEngagedUntilBothEntriesAreTakenBack)
{
    Actor* actor = SpawnActor();
    Sentient* target = SpawnTarget(50, 0);
    actor->AddToHateList(target);
    target->AddEngaged(actor);
    actor->RemoveFromHateList(target);
    EXPECT_TRUE(target->IsEngaged(false, false, false, 300.0f)) << "the hit's entry is still there";
    target->RemoveEngaged(actor);
    EXPECT_FALSE(target->IsEngaged(false, false, false, 300.0f));
    EXPECT_EQ(target->CountEngagedEntities(), 0u);
}

TEST_F(ActorHate, DestroyedFoesLeaveTheEngagedListAtTheNextEntry)
{
    Sentient* target = SpawnTarget(50, 0);
    std::vector<Entity*> foes;
    for (int i = 0; i < 3; ++i) {
        foes.push_back(Spawn<Entity>(30.0f + 10.0f * static_cast<float>(i), 0));
        target->AddEngaged(foes.back());
    }
    for (int i = 0; i < 2; ++i) {
        game.RemoveEntity(foes[static_cast<size_t>(i)]);
        delete foes[static_cast<size_t>(i)];
    }
    Actor* actor = SpawnActor();
    target->AddEngaged(actor);
    EXPECT_EQ(target->CountEngagedEntities(), 2u) << "the survivor and the newcomer";
}

TEST_F(ActorHate, ScalingDownHalvesOrClears)
{
    Actor* actor = SpawnActor();
    Sentient* target = SpawnTarget(60, 0);
    actor->AddHate(target, 8.0f, 0);
    actor->ScaleDownHate(0.5f);
    EXPECT_FLOAT_EQ(actor->FindHateEntry(target)->hate, 4.0f);
    actor->ScaleDownHate(1.0f);
    EXPECT_FLOAT_EQ(actor->FindHateEntry(target)->hate, 0.0f);
}

TEST_F(ActorHate, AGuardGetsTheFixedGuardHate)
{
    Actor* actor = SpawnActor();
    auto* guard = Spawn<GuardProbe>(30, 0);
    guard->maxHealth = guard->health = 10;
    actor->AddHate(guard, 1000.0f, 1);
    EXPECT_FLOAT_EQ(actor->FindHateEntry(guard)->hate, 7.0f);
}

TEST_F(ActorHate, UntargetableAndUnrelatedEntitiesNeverEnter)
{
    Actor* actor = SpawnActor();
    Sentient* marked = SpawnTarget(30, 0);
    marked->flags |= EntityFlag::NeverHated;
    actor->AddHate(marked, 5.0f, 0);
    Sentient* fellow = SpawnTarget(30, 0);
    actor->covenantIndex = fellow->covenantIndex = 2;
    actor->AddHate(fellow, 5.0f, 0);
    actor->AddHate(actor, 5.0f, 0);
    EXPECT_TRUE(actor->GetHateList().empty());
}

TEST_F(ActorHate, DestroyedEntitiesAreDroppedAtTheNextChoice)
{
    Actor* actor = SpawnActor();
    // A plain entity keeps no list of its haters, so its entry goes null in place.
    Entity* doomed = Spawn<Entity>(30, 0);
    doomed->maxHealth = doomed->health = 10;
    actor->AddHate(doomed, 5.0f, 0);
    game.RemoveEntity(doomed);
    delete doomed;
    ASSERT_EQ(actor->GetHateList().size(), 1u);
    EXPECT_EQ(actor->FindNearestHated(), nullptr);
    actor->UpdateHateTarget(0.05f);
    EXPECT_TRUE(actor->GetHateList().empty());
}

TEST_F(ActorHate, HostilityFollowsTheListAndADeadActorsRelations)
{
    Actor* actor = SpawnActor();
    Sentient* target = SpawnTarget(30, 0);
    EXPECT_FALSE(actor->IsHostile(target));
    actor->AddToHateList(target);
    EXPECT_TRUE(actor->IsHostile(target));
    actor->RemoveFromHateList(target);
    EXPECT_FALSE(actor->IsHostile(target));
    actor->health = 0;
    EXPECT_TRUE(actor->IsHostile(target));
}

TEST_F(ActorHate, AMonsterFoeNeverHatesPlayersOrNpcs)
{
    Actor* actor = SpawnActor();
    actor->monsterFoe = true;
    Sentient* player = SpawnTarget(30, 0, true);
    Actor* townsman = SpawnActor("MonsterNamed", 3, 40, 0);
    Sentient* beast = SpawnTarget(50, 0);
    EXPECT_FALSE(actor->IsRelatedTo(player));
    EXPECT_FALSE(actor->IsRelatedTo(townsman));
    EXPECT_FALSE(townsman->IsRelatedTo(actor));
    EXPECT_TRUE(actor->IsRelatedTo(beast));
}

TEST_F(ActorHate, EngagedWhenAHatedEntityTargetsIt)
{
    Actor* actor = SpawnActor();
    Actor* other = SpawnActor("MonsterTester", 5, 30, 0);
    actor->AddHate(other, 1.0f, 0);
    EXPECT_FALSE(actor->IsEngaged(false, false, false, 0.0f));
    other->AddHate(actor, 1.0f, 0);
    other->UpdateHateTarget(0.05f);
    EXPECT_TRUE(actor->IsEngaged(false, false, false, 0.0f));
}

TEST_F(ActorHate, ASentientLeavingTheWorldLeavesEveryHateList)
{
    Actor* first = SpawnActor();
    Actor* second = SpawnActor("MonsterTester", 5, 20, 0);
    Sentient* target = SpawnTarget(30, 0);
    first->AddHate(target, 2.0f, 0);
    second->AddHate(target, 3.0f, 0);
    first->UpdateHateTarget(0.05f);
    ASSERT_EQ(first->GetCurrentTarget(), target);
    target->LeaveEngagedHateLists();
    EXPECT_TRUE(first->GetHateList().empty());
    EXPECT_TRUE(second->GetHateList().empty());
    EXPECT_EQ(first->GetCurrentTarget(), nullptr);
}
