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
    EXPECT_FLOAT_EQ(static_cast<const EntityCovenant&>(covenant).GetResurrectionTime(member), 60.0f);
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

TEST_F(CovenantQueries, TreatyAndRouteMeasuresInEachMode)
{
    LoadRecords(std::string(kActorRecords) + kCovenantRecords +
                "CovenantMeasured\n{\n Type Covenant\n RelationForPeaceTreatyAverage 30\n"
                " RelationForNonAggresionPact 60\n RelationForMutualProtectionPact 75\n RelationForAlliance 90\n"
                " RelationChangeMinSignedPeaceTreaty 4\n RelationChangeMaxSignedPeaceTreaty 4\n"
                " RelationChangeMinSignedNonAggressionPact 6\n RelationChangeMaxSignedNonAggressionPact 6\n"
                " RelationChangeMinSignedMutualProtectionPact 10\n RelationChangeMaxSignedMutualProtectionPact 10\n"
                " RelationChangeMinSignedAlliance 12\n RelationChangeMaxSignedAlliance 12\n"
                " RelationChangeCancelledTreaty 0\n RelationChangeCancelledTreaty -5\n RelationChangeCancelledTreaty 0\n"
                " RelationChangeCancelledTreaty 0\n RelationChangeCancelledTreaty -10\n RelationChangeCancelledTreaty -15\n"
                " RelationChangeCancelledTreaty -25\n"
                " RelationChangeCancelledTradeRoute 0\n RelationChangeCancelledTradeRoute -2\n"
                " RelationChangeCancelledTradeRoute -4\n"
                " RelationForTradeRoute 100\n RelationForTradeRoute 50\n RelationForTradeRoute 55\n"
                " RelationChangeTradeRouteStart 0\n RelationChangeTradeRouteStart 1\n RelationChangeTradeRouteStart 2\n"
                " RelationChangeTradeRouteVariance 0.5\n}\n");
    for (int32_t i = 0; i < 4; ++i)
        At(i).SetDefinitionByName("CovenantMeasured");
    Covenant& judge = At(0);
    Covenant& other = At(1);
    judge.SetRelation(other.index, 40.0f);

    // Mode 0: the shortfall; 1: the signing roll; 2: the treaty given up; any other mode.
    EXPECT_FLOAT_EQ(judge.PeaceMeasure(other, 0), 0.0f);
    EXPECT_FLOAT_EQ(judge.PeaceMeasure(other, 1), 4.0f);
    EXPECT_FLOAT_EQ(judge.PeaceMeasure(other, 2), -10.0f);
    EXPECT_FLOAT_EQ(judge.PeaceMeasure(other, 7), 10.0f);
    EXPECT_FLOAT_EQ(judge.NonAggressionMeasure(other, 0), -20.0f);
    EXPECT_FLOAT_EQ(judge.NonAggressionMeasure(other, 1), 6.0f);
    EXPECT_FLOAT_EQ(judge.NonAggressionMeasure(other, 2), 10.0f);
    EXPECT_FLOAT_EQ(judge.NonAggressionMeasure(other, 7), 0.0f);
    EXPECT_FLOAT_EQ(judge.MutualProtectionMeasure(other, 0), -35.0f);
    EXPECT_FLOAT_EQ(judge.MutualProtectionMeasure(other, 1), 10.0f);
    EXPECT_FLOAT_EQ(judge.MutualProtectionMeasure(other, 2), 20.0f);
    EXPECT_FLOAT_EQ(judge.MutualProtectionMeasure(other, -1), 0.0f);
    EXPECT_FLOAT_EQ(judge.AllianceMeasure(other, 0), -50.0f);
    EXPECT_FLOAT_EQ(judge.AllianceMeasure(other, 1), 12.0f);
    EXPECT_FLOAT_EQ(judge.AllianceMeasure(other, 2), 25.0f);
    EXPECT_FLOAT_EQ(judge.AllianceMeasure(other, 3), 0.0f);
    // Enough relation leaves no shortfall.
    judge.SetRelation(other.index, 95.0f);
    EXPECT_FLOAT_EQ(judge.PeaceMeasure(other, 0), 0.0f);
    EXPECT_FLOAT_EQ(judge.AllianceMeasure(other, 0), 0.0f);
    judge.SetRelation(other.index, 20.0f);
    EXPECT_FLOAT_EQ(judge.PeaceMeasure(other, 0), -10.0f);

    // Giving up the treaty in force; nothing for war, raids or none.
    judge.SetRelation(other.index, 40.0f);
    EXPECT_FLOAT_EQ(judge.TreatyGiveUpValue(CovenantTreaty::Peace, other), -10.0f);
    EXPECT_FLOAT_EQ(judge.TreatyGiveUpValue(CovenantTreaty::NonAggressionPact, other), 10.0f);
    EXPECT_FLOAT_EQ(judge.TreatyGiveUpValue(CovenantTreaty::MutualProtectionPact, other), 20.0f);
    EXPECT_FLOAT_EQ(judge.TreatyGiveUpValue(CovenantTreaty::Alliance, other), 25.0f);
    for (int32_t treaty : {0, 2, 3, 7, 99})
        EXPECT_FLOAT_EQ(judge.TreatyGiveUpValue(treaty, other), 0.0f) << treaty;

    // A small route: 55 needed; -100 while the covenant cannot bear it (no income, no crystals).
    EXPECT_FLOAT_EQ(judge.TradeRouteMeasure(other, 0, 2), -100.0f);
    judge.statistics.Set(CovenantStat::Money, 10);
    EXPECT_FLOAT_EQ(judge.TradeRouteMeasure(other, 0, 2), -15.0f);
    float signedChange = judge.TradeRouteMeasure(other, 1, 2);
    EXPECT_GE(signedChange, 1.5f);
    EXPECT_LE(signedChange, 2.5f);
    EXPECT_FLOAT_EQ(judge.TradeRouteMeasure(other, 2, 2), 11.0f);
    EXPECT_FLOAT_EQ(judge.TradeRouteMeasure(other, 5, 2), 0.0f);
    // A kind outside the route kinds is worth nothing, and reads no list.
    EXPECT_FLOAT_EQ(judge.TradeRouteMeasure(other, 2, 6), 0.0f);
    EXPECT_FLOAT_EQ(judge.TradeRouteMeasure(other, 2, -1), 0.0f);
    // Toward a covenant that can have no record the relation is 0.
    PlainCovenant outside;
    outside.index = 40;
    EXPECT_FLOAT_EQ(judge.NonAggressionMeasure(outside, 0), -60.0f);
}
