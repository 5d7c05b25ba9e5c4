// CovenantEconomyTest -- the pay step (paying, the warning, selling guards and leader items, cancelling routes, ending whatever the game does), influence under its cap and an item's trade value.
#include "covenants/CovenantWorld.h"

#include <gtest/gtest.h>

class CovenantEconomy : public CovenantWorld {
protected:
    CovenantEconomy()
    {
        std::string records = kActorRecords;
        const std::string head = "GameSystem\n{\n";
        records.insert(records.find(head) + head.size(),
                       "    MaxInfluence 100\n    GuardCostPerLevel 25\n    MinSellPercent 0.2\n"
                       "    MaxSellPercent 0.5\n    MinSellPercentPrice 200\n    InfluenceMultDestroyedCovenant 0.5\n"
                       "    InfluenceMultCombatXp 0.25\n    InfluenceMultQuestXp 0.1\n    ItemPriceFactor 1\n");
        LoadRecords(records + kCovenantRecords);
    }

    // The covenant of the first player.
    PlainCovenant& FirstPlayers()
    {
        PlainCovenant& covenant = AddCovenant();
        auto* player = Spawn<Sentient>(0.0f, 0.0f);
        covenant.player = player;
        host.firstPlayer = player;
        return covenant;
    }

    int32_t Money(const Covenant& covenant) const { return covenant.statistics.Get(CovenantStat::Money); }

    std::vector<std::string> Messages() const
    {
        std::vector<std::string> messages;
        for (const std::string& line : game.lines)
            if (line.rfind("msg 3 ", 0) == 0)
                messages.push_back(line.substr(6));
        return messages;
    }
};

TEST_F(CovenantEconomy, ALossIsPaidAndWarnedOfOnlyWhenItEatsAThird)
{
    PlainCovenant& mine = FirstPlayers();
    PlainCovenant& rival = AddCovenant("CovenantOther");
    for (Covenant* covenant : {static_cast<Covenant*>(&mine), static_cast<Covenant*>(&rival)})
        covenant->statistics.Set(CovenantStat::GuardCosts, 30);
    mine.statistics.Set(CovenantStat::Money, 100);
    mine.PayUpkeep();
    EXPECT_EQ(Money(mine), 70);
    EXPECT_TRUE(Messages().empty());
    mine.statistics.Set(CovenantStat::Money, 80);
    mine.PayUpkeep();
    EXPECT_EQ(Money(mine), 50);
    EXPECT_EQ(Messages(), (std::vector<std::string>{"\"$$RunningLowOnCrystals$$\""}));
    // A covenant of no first player pays in silence.
    rival.statistics.Set(CovenantStat::Money, 80);
    rival.PayUpkeep();
    EXPECT_EQ(Money(rival), 50);
    EXPECT_EQ(Messages().size(), 1u);
    // Income is added as it comes.
    rival.statistics.Set(CovenantStat::GuardCosts, -12);
    rival.PayUpkeep();
    EXPECT_EQ(Money(rival), 62);
}

TEST_F(CovenantEconomy, TheDearerGuardIsSoldFirstUntilTheLossIsCovered)
{
    PlainCovenant& mine = FirstPlayers();
    Item* cheap = PutInHouse(mine, "GuardWrit", 0);
    Item* dear = PutInHouse(mine, "GuardWritDear", 2);
    mine.SpawnGuard(cheap, 0);
    mine.SpawnGuard(dear, 2);
    mine.RecomputeBonuses();
    ASSERT_EQ(mine.GetCrystalIncome(), -50);
    EXPECT_EQ(mine.PickGuardToSell(), 2);
    mine.statistics.Set(CovenantStat::Money, 20);
    mine.PayUpkeep();
    // 20 + 300 x 0.5, then the one guard left costs 25.
    EXPECT_EQ(Money(mine), 145);
    EXPECT_EQ(mine.GetGuard(2), nullptr);
    EXPECT_EQ(mine.inventory->GetItem(InventoryGroupIndex::House, 2), nullptr);
    EXPECT_NE(mine.GetGuard(0), nullptr);
    EXPECT_EQ(mine.statistics.Get(CovenantStat::GuardCosts), 25);
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_NE(Messages()[0].find("RanOutOfCrystalsHadToSellXGuard"), std::string::npos);
}

TEST_F(CovenantEconomy, LeaderItemsThenRoutesGoAndARefusedCancellationStillEnds)
{
    PlainCovenant& mine = AddCovenant();
    PlainCovenant& partner = AddCovenant("CovenantOther");
    auto* leader = Spawn<Sentient>(0.0f, 0.0f);
    leader->inventory->ResizeBag(InventoryGroupIndex::Bag2, 4);
    std::unique_ptr<ItemBase> writ = std::make_unique<Item>();
    writ->SetEntryByName("GuardWrit");
    ASSERT_TRUE(leader->inventory->PlaceItem(writ, InventoryGroupIndex::Bag2, 3, 0));
    mine.leader = leader;
    mine.SetTradeRoute(partner.index, 2, TimeStamp{});
    host.refuseRoutes = true;
    mine.RecomputeBonuses();
    // The leader's writ costs 25; an outside cost makes the rest of the loss.
    mine.statistics.Set(CovenantStat::GuardCosts, 1000);
    mine.statistics.Set(CovenantStat::Money, 10);
    int32_t bag = -1;
    int32_t slot = -1;
    ASSERT_TRUE(mine.FindLeaderItemToSell(bag, slot));
    EXPECT_EQ(bag, InventoryGroupIndex::Bag2);
    EXPECT_EQ(slot, 3);
    EXPECT_EQ(mine.PickTradeRouteToCancel(), partner.index);
    mine.PayUpkeep();
    // The writ sold for 50, and with it went the upkeep beyond it: the route stays.
    EXPECT_EQ(leader->inventory->GetItem(InventoryGroupIndex::Bag2, 3), nullptr);
    EXPECT_EQ(Money(mine), 60);
    EXPECT_TRUE(host.calls.empty());
    // Now the route is asked off; the game refuses, yet the route ends and so does the step.
    mine.statistics.Set(CovenantStat::GuardCosts, 1000);
    mine.PayUpkeep();
    EXPECT_EQ(host.calls, (std::vector<std::string>{"route off 0 1"}));
    EXPECT_EQ(mine.GetTradeRouteKind(partner.index), 0);
    EXPECT_EQ(Money(mine), -940);
}

TEST_F(CovenantEconomy, ARouteToAPartnerTheGameNoLongerHoldsIsEndedWithoutIt)
{
    PlainCovenant& mine = AddCovenant();
    // Routes toward an index past the game's list and toward a fallen partner that the game
    // leaves standing: the game can end neither, so the step ends them itself.
    PlainCovenant& fallen = AddCovenant("CovenantOther");
    fallen.eliminated = true;
    host.refuseRoutes = true;
    mine.SetTradeRoute(7, 1, TimeStamp{});
    mine.SetTradeRoute(fallen.index, 1, TimeStamp{});
    mine.statistics.Set(CovenantStat::GuardCosts, 50);
    mine.statistics.Set(CovenantStat::Money, 20);
    mine.PayUpkeep();
    EXPECT_EQ(mine.GetTradeRouteKind(7), 0);
    EXPECT_EQ(mine.GetTradeRouteKind(fallen.index), 0);
    EXPECT_EQ(host.calls, (std::vector<std::string>{"route off 0 1"}));
    EXPECT_EQ(Money(mine), -30);
}

TEST_F(CovenantEconomy, NothingToSellLeavesANegativeStock)
{
    PlainCovenant& mine = AddCovenant();
    mine.statistics.Set(CovenantStat::GuardCosts, 40);
    mine.statistics.Set(CovenantStat::Money, 15);
    mine.PayUpkeep();
    EXPECT_EQ(Money(mine), -25);
    EXPECT_EQ(mine.PickGuardToSell(), -1);
    EXPECT_EQ(mine.PickTradeRouteToCancel(), -1);
}

TEST_F(CovenantEconomy, InfluenceStopsAtTheCap)
{
    PlainCovenant& covenant = AddCovenant();
    covenant.statistics.Set(CovenantStat::InfluenceAdventure, 60);
    covenant.statistics.Set(CovenantStat::InfluenceWorld, 30);
    covenant.AddInfluence(2, 50);
    EXPECT_EQ(covenant.statistics.Get(CovenantStat::InfluenceWorld), 40);
    covenant.AddInfluence(1, 5);
    EXPECT_EQ(covenant.statistics.Get(CovenantStat::InfluenceCompetition), 0);
    covenant.AddInfluence(0, -20);
    EXPECT_EQ(covenant.statistics.Get(CovenantStat::InfluenceAdventure), 40);
    covenant.AddInfluence(4, 5);
    covenant.AddInfluence(3, INT32_MAX);
    EXPECT_EQ(covenant.GetTotalInfluence(), 100);

    PlainCovenant& fallen = AddCovenant("CovenantOther");
    fallen.statistics.Set(CovenantStat::InfluenceAdventure, 3);
    fallen.statistics.Set(CovenantStat::InfluenceWorld, 4);
    fallen.statistics.Set(CovenantStat::InfluenceTransferred, 50);
    PlainCovenant& victor = AddCovenant();
    // ceil(7 x 1.5 x 0.5) = 6.
    EXPECT_EQ(victor.GainInfluenceForDestroying(fallen, 1.5f), 6);
    EXPECT_EQ(victor.statistics.Get(CovenantStat::InfluenceCompetition), 6);
    // 100 x 1 x 1 x 0.25 = 25 for combat; quests go to the world counter.
    victor.GainInfluenceFromXp(4, 0, 1);
    EXPECT_EQ(victor.statistics.Get(CovenantStat::InfluenceAdventure), 25);
    victor.GainInfluenceFromXp(1, 2, 3);
    EXPECT_EQ(victor.statistics.Get(CovenantStat::InfluenceWorld), 30);
    victor.GainInfluenceFromXp(1, 9, 3);
    EXPECT_EQ(victor.GetTotalInfluence(), 61);
}

TEST_F(CovenantEconomy, AnItemsTradeValueFollowsTheSellShare)
{
    PlainCovenant& covenant = AddCovenant();
    Item* writ = PutInHouse(covenant, "GuardWrit", 0);
    EXPECT_FLOAT_EQ(covenant.GetItemTradeValue(*writ, false), 35.0f);
    Item* relic = PutInHouse(covenant, "RelicHalf", 4);
    EXPECT_FLOAT_EQ(covenant.GetItemTradeValue(*relic, true), 100.0f);
}
