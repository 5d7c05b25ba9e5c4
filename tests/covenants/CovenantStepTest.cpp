// CovenantStepTest -- a covenant's step: the lifestone's regeneration, warnings and glow, the guard watch and mirror, and the bonuses of relics and members.
#include "covenants/CovenantWorld.h"

#include <gtest/gtest.h>

class CovenantStep : public CovenantWorld {
protected:
    // A player member of the maximum health; the covenant's bonuses recomputed.
    Sentient* GiveMember(PlainCovenant& covenant, int32_t maxHealth)
    {
        auto* member = Spawn<Sentient>(0.0f, 0.0f);
        member->maxHealth = member->health = maxHealth;
        covenant.player = member;
        covenant.RecomputeBonuses();
        return member;
    }

    // The lifestone at health of 100, then one step.
    void StepAt(PlainCovenant& covenant, Entity& lifestone, int32_t health)
    {
        lifestone.health = health;
        lifestone.maxHealth = 100;
        covenant.Update(0.05f);
    }
};

TEST_F(CovenantStep, AWeakLifestoneRegeneratesAtHalfRateOnAverage)
{
    PlainCovenant& covenant = AddCovenant();
    Entity* lifestone = GiveHome(covenant, 49, 100);
    // 0.5 x 120 = 60 per minute; 0.05 s steps give 0.05 a step, halved below half health.
    GiveMember(covenant, 120);
    ASSERT_EQ(covenant.GetBestMemberValue(Covenant::kBestRegeneration), 60);
    int64_t gained = 0;
    constexpr int kSteps = 10000;
    for (int step = 0; step < kSteps; ++step) {
        StepAt(covenant, *lifestone, 49);
        ASSERT_TRUE(lifestone->health == 49 || lifestone->health == 50);
        gained += lifestone->health - 49;
    }
    EXPECT_NEAR(static_cast<double>(gained) / kSteps, 0.025, 0.005);
    // At full health nothing is added, whatever the draw.
    for (int step = 0; step < 100; ++step)
        StepAt(covenant, *lifestone, 100);
    EXPECT_EQ(lifestone->health, 100);
}

TEST_F(CovenantStep, WarningsFollowAFallAndReArmOnlyWellAboveTheLine)
{
    PlainCovenant& covenant = AddCovenant();
    Entity* lifestone = GiveHome(covenant, 60, 100);
    StepAt(covenant, *lifestone, 60);
    EXPECT_TRUE(host.calls.empty());
    // 0.6 to 0.2 in one step: the danger alone.
    StepAt(covenant, *lifestone, 20);
    EXPECT_EQ(host.calls, (std::vector<std::string>{"lifestone 0 0.20"}));
    EXPECT_FLOAT_EQ(covenant.lastHealthRatio, 0.2f);
    // 0.28 is not far enough above the line: the ratio stays and 0.24 is no new warning.
    StepAt(covenant, *lifestone, 28);
    EXPECT_FLOAT_EQ(covenant.lastHealthRatio, 0.2f);
    StepAt(covenant, *lifestone, 24);
    EXPECT_EQ(host.calls.size(), 1u);
    // 0.31 re-arms it; the next fall warns again.
    StepAt(covenant, *lifestone, 31);
    EXPECT_FLOAT_EQ(covenant.lastHealthRatio, 0.31f);
    StepAt(covenant, *lifestone, 24);
    ASSERT_EQ(host.calls.size(), 2u);
    EXPECT_EQ(host.calls[1], "lifestone 0 0.24");
    // Up to 0.56 re-arms the threat as well, and 0.45 is a threat, not a danger.
    StepAt(covenant, *lifestone, 56);
    StepAt(covenant, *lifestone, 45);
    ASSERT_EQ(host.calls.size(), 3u);
    EXPECT_EQ(host.calls[2], "lifestone 0 0.45");
}

TEST_F(CovenantStep, TheGlowAndTheStatisticsFollowTheLifestone)
{
    PlainCovenant& covenant = AddCovenant();
    Entity* lifestone = GiveHome(covenant, 50, 100);
    Sentient* leader = Spawn<Sentient>(0.0f, 0.0f);
    leader->stats.Set(CharacterStat::Level, 17);
    covenant.leader = leader;
    covenant.statistics.Set(CovenantStat::InfluenceWorld, 40);
    covenant.statistics.Set(CovenantStat::InfluenceCompetition, 2);
    PutInHouse(covenant, "RelicHalf", 4);
    StepAt(covenant, *lifestone, 50);
    EXPECT_FLOAT_EQ(lifestone->lightColor.r, 0.5f);
    EXPECT_FLOAT_EQ(lifestone->lightColor.b, 0.5f);
    EXPECT_FLOAT_EQ(lifestone->lightFalloff, 30.0f);
    EXPECT_EQ(covenant.statistics.Get(CovenantStat::LifeStone), 150);
    EXPECT_EQ(covenant.statistics.Get(CovenantStat::House), covenant.HouseValue(false));
    EXPECT_GT(covenant.statistics.Get(CovenantStat::House), 0);
    EXPECT_EQ(covenant.HouseValue(true), 0);
    EXPECT_EQ(covenant.statistics.Get(CovenantStat::AbsoluteInfluence), 42);
    EXPECT_EQ(covenant.leaderLevel, 17);
    StepAt(covenant, *lifestone, 0);
    EXPECT_FLOAT_EQ(lifestone->lightColor.g, 0.0f);
    EXPECT_FLOAT_EQ(lifestone->lightFalloff, 0.0f);
    covenant.ClearStatistics();
    EXPECT_EQ(covenant.statistics.Get(CovenantStat::House), 0);
    EXPECT_EQ(covenant.statistics.Get(CovenantStat::AbsoluteInfluence), 0);
}

TEST_F(CovenantStep, WithoutAHomeTheStepStillRuns)
{
    PlainCovenant& covenant = AddCovenant();
    covenant.statistics.Set(CovenantStat::InfluenceAdventure, 5);
    for (int step = 0; step < 3; ++step)
        covenant.Update(0.05f);
    EXPECT_EQ(covenant.statistics.Get(CovenantStat::LifeStone), 0);
    EXPECT_EQ(covenant.statistics.Get(CovenantStat::AbsoluteInfluence), 5);
    EXPECT_TRUE(host.calls.empty());
    covenant.SetLifestoneGlow(0.5f);
    // An eliminated covenant's step does nothing at all.
    covenant.eliminated = true;
    covenant.statistics.Set(CovenantStat::InfluenceAdventure, 9);
    covenant.Update(0.05f);
    EXPECT_EQ(covenant.statistics.Get(CovenantStat::AbsoluteInfluence), 5);
}

TEST_F(CovenantStep, AGuardFallsOnceAndAnUnhurtableOneNever)
{
    PlainCovenant& covenant = AddCovenant();
    GiveHome(covenant, 100, 100);
    Item* mortal = PutInHouse(covenant, "GuardWrit", 0);
    Item* stone = PutInHouse(covenant, "GuardWrit", 1);
    ASSERT_TRUE(mortal && stone);
    covenant.SpawnGuard(mortal, 0);
    covenant.SpawnGuard(stone, 1);
    Entity* first = covenant.GetGuard(0);
    Entity* second = covenant.GetGuard(1);
    ASSERT_TRUE(first && second);
    second->maxHealth = second->health = 0;
    covenant.Update(0.05f);
    EXPECT_FALSE(mortal->IsGuardFallen());
    EXPECT_FALSE(stone->IsGuardFallen());

    first->health = 0;
    covenant.statistics.Set(CovenantStat::GuardCosts, -7);
    covenant.Update(0.05f);
    EXPECT_TRUE(mortal->IsGuardFallen());
    EXPECT_FALSE(stone->IsGuardFallen());
    // The fall recomputed the bonuses, the guard upkeep with them.
    EXPECT_EQ(covenant.statistics.Get(CovenantStat::GuardCosts), 0);
    // It fell once: the next step recomputes nothing.
    covenant.statistics.Set(CovenantStat::GuardCosts, -7);
    covenant.Update(0.05f);
    EXPECT_EQ(covenant.statistics.Get(CovenantStat::GuardCosts), -7);
    // A guard item whose guard is missing altogether has fallen too.
    Item* third = PutInHouse(covenant, "GuardWrit", 2);
    covenant.Update(0.05f);
    EXPECT_TRUE(third->IsGuardFallen());
}

TEST_F(CovenantStep, TheGuardsHealthIsMirroredIntoItsItem)
{
    PlainCovenant& covenant = AddCovenant();
    Item* writ = PutInHouse(covenant, "GuardWrit", 3);
    covenant.SpawnGuard(writ, 3);
    Entity* guard = covenant.GetGuard(3);
    ASSERT_NE(guard, nullptr);
    guard->health = 7;
    covenant.Update(0.05f);
    EXPECT_EQ(writ->GetGuardHealth(), 7);
    EXPECT_FALSE(writ->IsGuardFallen());
}

TEST_F(CovenantStep, RelicsMultiplyAndMembersSetTheLifestone)
{
    PlainCovenant& covenant = AddCovenant();
    Entity* lifestone = GiveHome(covenant, 40, -1);
    covenant.RecomputeBonuses();
    for (int32_t m = 0; m < Covenant::kMultiplierCount; ++m)
        EXPECT_FLOAT_EQ(covenant.GetFloatStat(m), 1.0f);
    // No members: no regeneration and a lifestone of 0; a maximum below 0 took the new one whole.
    EXPECT_EQ(covenant.GetBestMemberValue(Covenant::kBestRegeneration), 0);
    EXPECT_EQ(lifestone->maxHealth, 0);
    EXPECT_EQ(lifestone->health, 0);

    PutInHouse(covenant, "RelicHalf", 5);
    PutInHouse(covenant, "RelicWhole", 7);
    Sentient* member = GiveMember(covenant, 100);
    member->stats.Set(CharacterStat::Armor, 12);
    member->stats.Set(CharacterStat::Defense, 21);
    member->stats.Set(CharacterStat::ResistanceCold, 9);
    covenant.RecomputeBonuses();
    EXPECT_FLOAT_EQ(covenant.GetFloatStat(2), 3.0f);
    EXPECT_FLOAT_EQ(covenant.GetFloatStat(1), 1.0f);
    EXPECT_EQ(covenant.GetHomeStat(CharacterStat::Armor), 12);
    EXPECT_EQ(covenant.GetHomeStat(CharacterStat::Defense), 15);
    EXPECT_EQ(covenant.GetHomeStat(CharacterStat::ResistanceCold), 9);
    EXPECT_EQ(covenant.GetHomeStat(CharacterStat::Level), 0);
    // 2 x 1.0 x 100 (multiplier 4 untouched by these relics).
    EXPECT_EQ(lifestone->maxHealth, 200);
    EXPECT_EQ(lifestone->health, 0);
    EXPECT_EQ(covenant.GetBestMemberValue(Covenant::kBestRegeneration), 50);
}
