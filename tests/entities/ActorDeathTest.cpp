// ActorDeathTest -- kill credit by covenant, the death states from dying to the delete, loot, corpses eaten and actors raised.
#include "entities/ActorWorld.h"
#include "entities/NeutralCovenant.h"

#include <gtest/gtest.h>

namespace {

// A covenant with a leader whose answers the test sets.
class CreditCovenant : public NeutralCovenant {
public:
    Entity* GetLeader() const override { return leader; }
    bool CreditsAtAnyDistance() const override { return anyDistance; }
    float GetResurrectionTime(const Entity*) const override { return delay; }

    Entity* leader = nullptr;
    bool anyDistance = false;
    float delay = 0.0f;
};

class ActorDeath : public ActorWorld {
protected:
    // Steps the actor while it is still in the table.
    void Tick(Actor* actor, int steps = 1)
    {
        int32_t number = actor->entityNumber;
        for (int i = 0; i < steps && game.GetEntity(number) == actor; ++i) {
            actor->Update(FakeGameServices::kStep);
            game.Step();
        }
    }

    // The steps until the actor's death state is the one given; -1 past the limit.
    int StepsUntilState(Actor* actor, int32_t state, int limit)
    {
        for (int steps = 1; steps <= limit; ++steps) {
            Tick(actor);
            if (actor->GetDeathState() == state)
                return steps;
        }
        return -1;
    }

    Sentient* Member(CreditCovenant& covenant, int32_t index, float x)
    {
        Sentient* member = SpawnTarget(x, 0);
        member->covenantIndex = index;
        if (game.covenants.size() <= static_cast<size_t>(index))
            game.covenants.resize(static_cast<size_t>(index) + 1);
        game.covenants[static_cast<size_t>(index)] = &covenant;
        return member;
    }

    CreditCovenant first;
    CreditCovenant second;
};

} // namespace

TEST_F(ActorDeath, TheCovenantWithMostDamageGetsTheKillThroughItsLeader)
{
    Actor* actor = SpawnActor();
    Sentient* a = Member(first, 0, 10);
    Sentient* b = Member(second, 1, 20);
    first.leader = a;
    second.leader = b;
    actor->AddDamageCredit(a, 30);
    actor->AddDamageCredit(b, 50);
    EXPECT_EQ(actor->PickKiller(a), b);
    actor->AddDamageCredit(a, 20);  // a tie keeps the first covenant
    EXPECT_EQ(actor->PickKiller(b), a);
}

TEST_F(ActorDeath, AFarLeaderLosesTheCreditUnlessItCountsAtAnyDistance)
{
    Actor* actor = SpawnActor();
    Sentient* a = Member(first, 0, 10);
    Sentient* farLeader = SpawnTarget(251, 0);
    first.leader = farLeader;
    actor->AddDamageCredit(a, 30);
    EXPECT_EQ(actor->PickKiller(a), a);
    first.anyDistance = true;
    EXPECT_EQ(actor->PickKiller(a), a);  // the attacker belongs to the credited covenant
    Sentient* stranger = SpawnTarget(5, 0);
    EXPECT_EQ(actor->PickKiller(stranger), farLeader);
}

TEST_F(ActorDeath, TheCorpseStaysInItsSlotUntilTheDeleteOfStateFour)
{
    Actor* actor = SpawnActor();
    int32_t number = actor->entityNumber;
    Sentient* killer = SpawnTarget(20, 0);
    actor->TakeDamage(actor->maxHealth, killer, false, false);
    EXPECT_EQ(actor->GetKillerCredit(), killer);
    Tick(actor);
    // No dying animation without a model: straight to the corpse, its timer "DeathFadeTime".
    EXPECT_EQ(actor->GetDeathState(), ActorDeathState::kDead);
    EXPECT_TRUE(actor->GetHateList().empty());
    EXPECT_FLOAT_EQ(actor->deathTimer.total, 4.0f);
    int corpseSteps = StepsUntilState(actor, ActorDeathState::kFading, 200);
    EXPECT_GE(corpseSteps, 80);
    EXPECT_LE(corpseSteps, 81);
    int fadeSteps = StepsUntilState(actor, ActorDeathState::kRemove, 200);
    EXPECT_GE(fadeSteps, 110);
    EXPECT_LE(fadeSteps, 111);
    ASSERT_EQ(game.GetEntity(number), actor);
    Tick(actor);
    EXPECT_EQ(game.GetEntity(number), nullptr);
}

TEST_F(ActorDeath, DeathIsReportedOnceWithItsLoot)
{
    Actor* actor = SpawnActor();
    Sentient* killer = SpawnTarget(20, 0);
    killer->stats.Set(CharacterStat::ItemsChance, 10);
    actor->TakeDamage(actor->maxHealth, killer, false, false);
    Tick(actor, 3);
    std::vector<std::string> expected = {"loot " + std::to_string(actor->entityNumber) + " 1.00 10 0",
                                         "actorDeath " + std::to_string(actor->entityNumber)};
    EXPECT_EQ(game.hooks, expected);
    EXPECT_FLOAT_EQ(actor->GetExperienceValue(), 0.0f);
}

TEST_F(ActorDeath, GuardsAndNpcsDropNoLoot)
{
    Actor* guard = SpawnActor();
    guard->guard = true;
    guard->TakeDamage(guard->maxHealth, nullptr, false, false);
    Tick(guard);
    Actor* townsman = SpawnActor("MonsterNamed");
    townsman->TakeDamage(townsman->maxHealth, nullptr, false, false);
    Tick(townsman);
    for (const std::string& hook : game.hooks)
        EXPECT_EQ(hook.rfind("loot", 0), std::string::npos) << hook;
}

TEST_F(ActorDeath, AConsumedCorpseIsDeletedUnlessARisingIsPending)
{
    Actor* actor = SpawnActor();
    int32_t number = actor->entityNumber;
    actor->TakeDamage(actor->maxHealth, nullptr, false, false);
    Tick(actor);
    actor->covenantIndex = 0;
    game.covenants.push_back(&first);
    first.delay = 3.0f;
    actor->ConsumeCorpse();
    EXPECT_EQ(actor->GetDeathState(), ActorDeathState::kDead);
    first.delay = 0.0f;
    actor->ConsumeCorpse();
    Tick(actor, 2);
    EXPECT_EQ(game.GetEntity(number), nullptr);
}

TEST_F(ActorDeath, OnlyARaisableActorOutsideTheLastCategoriesRises)
{
    Actor* actor = SpawnActor();
    actor->TakeDamage(actor->maxHealth, nullptr, false, false);
    Tick(actor);
    EXPECT_FALSE(actor->Resurrect());  // no "CanBeRaised"
    EXPECT_TRUE(actor->IsDead());
}
