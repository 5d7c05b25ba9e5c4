// CovenantQueriesTest -- the home's bookkeeping (deaths, resurrection, a guard's fall) and the relation queries over a table of four covenants.
#include "covenants/CovenantWorld.h"
#include "rules/RulesEnums.h"

#include <gtest/gtest.h>

class CovenantAttacks : public CovenantWorld {};

TEST_F(CovenantAttacks, AMembersDeathWeakensTheLifestoneDownToAQuarter)
{
    PlainCovenant& covenant = AddCovenant();
    Entity* lifestone = GiveHome(covenant, 300, 1000);
    Actor* member = SpawnActor();
    member->maxHealth = 120;
    const std::pair<int32_t, int32_t> cases[] = {{300, 250}, {260, 250}, {240, 240}, {400, 280}};
    for (auto [before, after] : cases) {
        lifestone->health = before;
        covenant.OnMemberDied(*member);
        EXPECT_EQ(lifestone->health, after) << "from " << before;
    }
    // A guard's death costs the lifestone nothing.
    member->guard = true;
    lifestone->health = 400;
    covenant.OnMemberDied(*member);
    EXPECT_EQ(lifestone->health, 400);
}

TEST_F(CovenantAttacks, ResurrectionWaitsLongerTheWeakerTheLifestone)
{
    LoadRecords(std::string(kActorRecords) + kCovenantRecords +
                "CovenantRising\n{\n Type Covenant\n MinRezTime 30\n MaxRezTime 90\n HeroRezTimeMult 1.5\n}\n");
    PlainCovenant& covenant = AddCovenant("CovenantRising");
    GiveHome(covenant, 50, 100);
    Actor* member = SpawnActor();
    Actor* leader = SpawnActor();
    covenant.leader = leader;
    EXPECT_FLOAT_EQ(covenant.GetResurrectionTime(member), 60.0f);
    EXPECT_FLOAT_EQ(covenant.GetResurrectionTime(leader), 45.0f);
    EXPECT_FLOAT_EQ(covenant.GetResurrectDelay(*member), 60.0f);
    EXPECT_FLOAT_EQ(covenant.GetResurrectionTime(nullptr), 0.0f);
    member->guard = true;
    EXPECT_FLOAT_EQ(covenant.GetResurrectionTime(member), 0.0f);
    covenant.eliminated = true;
    EXPECT_FLOAT_EQ(covenant.GetResurrectionTime(leader), -1.0f);
}

TEST_F(CovenantAttacks, SettingTheHomeMovesTheHouseAndAFallenGuardRecomputes)
{
    PlainCovenant& covenant = AddCovenant();
    AddCovenant("CovenantOther");
    Entity* stone = Spawn<Entity>(320.0f, 640.0f);
    stone->relocatable = true;
    host.covenants[1]->SetHome(stone);
    EXPECT_EQ(stone->covenantIndex, 1);
    EXPECT_FLOAT_EQ(host.covenants[1]->GetHomePosition().y, 640.0f);
    EXPECT_FALSE(stone->relocatable);
    EXPECT_FLOAT_EQ(covenant.GetHomeHealthRatio(), 0.0f);

    Item* writ = PutInHouse(covenant, "GuardWrit", 1);
    covenant.SpawnGuard(writ, 1);
    Entity* guard = covenant.GetGuard(1);
    ASSERT_NE(guard, nullptr);
    covenant.statistics.Set(CovenantStat::GuardCosts, -3);
    covenant.OnMemberKilled(*SpawnActor(), nullptr);
    EXPECT_EQ(covenant.statistics.Get(CovenantStat::GuardCosts), -3);
    covenant.OnMemberKilled(*guard, nullptr);
    EXPECT_EQ(covenant.statistics.Get(CovenantStat::GuardCosts), 0);
    covenant.RemoveAllGuards();
    EXPECT_EQ(covenant.GetGuard(1), nullptr);
    EXPECT_EQ(covenant.inventory->GetItem(InventoryGroupIndex::House, 1), nullptr);
}

class CovenantQueries : public CovenantWorld {
protected:
    void SetUp() override
    {
        for (int32_t i = 0; i < 4; ++i)
            AddCovenant();
    }

    Covenant& At(int32_t i) { return *host.covenants[static_cast<size_t>(i)]; }
};

TEST_F(CovenantQueries, TargetsWarsAndRaidsAreCountedOverTheList)
{
    At(1).targetCovenant = 0;
    At(2).targetCovenant = 0;
    At(0).SetTreatyState(1, CovenantTreaty::Raid);
    At(0).SetTreatyState(2, CovenantTreaty::War);
    At(0).SetTreatyState(3, CovenantTreaty::War);
    EXPECT_EQ(At(0).CountCovenantsTargeting(nullptr), 2);
    EXPECT_EQ(At(0).CountCovenantsTargeting(&At(2)), 1);
    EXPECT_TRUE(At(0).IsBeingRaided());
    EXPECT_FALSE(At(0).IsBeingRaidedExcept(&At(1)));
    EXPECT_EQ(At(0).CountWars(nullptr), 2);
    At(3).eliminated = true;
    EXPECT_EQ(At(0).CountWars(&At(2)), 0);
    At(0).targetCovenant = 1;
    EXPECT_TRUE(At(0).IsRaiding());
    At(0).targetCovenant = 2;
    EXPECT_FALSE(At(0).IsRaiding());
    EXPECT_FALSE(At(1).IsRaiding());
}

TEST_F(CovenantQueries, PartnersAndTheirWarsAreSeenThroughBothRecords)
{
    // 1 protects 2 and is allied with 3; 0 is allied with 3 itself.
    At(1).SetTreatyState(2, CovenantTreaty::MutualProtectionPact);
    At(1).SetTreatyState(3, CovenantTreaty::Alliance);
    At(0).SetTreatyState(3, CovenantTreaty::Alliance);
    EXPECT_EQ(At(0).CountProtectionPartnersOf(At(1)), 1);
    EXPECT_EQ(At(0).CountAlliesOf(At(1)), 0);
    EXPECT_EQ(At(2).CountAlliesOf(At(1)), 1);
    At(2).eliminated = true;
    EXPECT_EQ(At(0).CountProtectionPartnersOf(At(1)), 0);

    // 0's pact partner 3 is at war with 1.
    EXPECT_FALSE(At(0).IsAtWarWithPartnerOf(At(1)));
    At(1).SetTreatyState(3, CovenantTreaty::War);
    EXPECT_TRUE(At(0).IsAtWarWithPartnerOf(At(1)));
    At(1).eliminated = true;
    EXPECT_FALSE(At(0).IsAtWarWithPartnerOf(At(1)));
}

TEST_F(CovenantQueries, RelationshipCodesAndTheThinkDelay)
{
    At(0).SetTreatyState(1, CovenantTreaty::War);
    At(0).SetTreatyState(2, CovenantTreaty::Raid);
    Entity* own = Spawn<Entity>(0.0f, 0.0f);
    own->covenantIndex = 0;
    Entity* enemy = Spawn<Entity>(0.0f, 0.0f);
    enemy->covenantIndex = 1;
    Entity* raider = Spawn<Entity>(0.0f, 0.0f);
    raider->covenantIndex = 2;
    Entity* neutral = Spawn<Entity>(0.0f, 0.0f);
    neutral->covenantIndex = 3;
    Entity* wild = Spawn<Entity>(0.0f, 0.0f);
    EXPECT_EQ(At(0).GetRelationshipCode(own), 4);
    EXPECT_EQ(At(0).GetRelationshipCode(enemy), 0);
    EXPECT_EQ(At(0).GetRelationshipCode(raider), 0);
    EXPECT_EQ(At(0).GetRelationshipCode(neutral), 2);
    EXPECT_EQ(At(0).GetRelationshipCode(wild), 2);
    EXPECT_EQ(At(0).GetRelationshipCode(nullptr), 2);

    host.clock = TimeStamp{1, 2, 3, 4.0f};
    At(0).ResetThinkTimer();
    EXPECT_TRUE(At(0).IsThinkDelayed());
    host.clock = TimeStamp{1, 2, 3, 14.0f};
    EXPECT_FALSE(At(0).IsThinkDelayed());
}
