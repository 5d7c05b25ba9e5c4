// GameOffersTest -- deals between covenants on the game: what each kind of entry costs its giver, what carrying an accepted deal out moves, and the identify and chest timing.
#include "server/CommandWorld.h"

#include "entities/Item.h"
#include "rules/items/InventoryBase.h"
#include "rules/items/ItemBase.h"

#include <climits>

namespace {

class GameOffers : public CommandWorld {
protected:
    GameOffers()
    {
        other = AddCovenant();
        third = AddCovenant();
        log.clear();
    }

    static TradeOffer Deal(std::vector<TradeOfferEntry> entries)
    {
        TradeOffer offer;
        offer.entries = std::move(entries);
        return offer;
    }

    static int32_t PackItem(int32_t bag, int32_t slot) { return bag | (slot << 16); }

    static void GiveInventory(Covenant& covenant)
    {
        covenant.inventory = std::make_unique<InventoryBase>();
        covenant.inventory->ResizeBag(InventoryGroupIndex::Bag1, 4);
    }

    static ItemBase* PlaceItem(Covenant& covenant, int32_t slot)
    {
        std::unique_ptr<ItemBase> item = std::make_unique<ItemBase>();
        ItemBase* raw = item.get();
        EXPECT_TRUE(covenant.inventory->PlaceItem(item, InventoryGroupIndex::Bag1, slot, 0));
        return raw;
    }

    Sentient* MakeLeader(DealCovenant& covenant, int32_t money)
    {
        auto* leader = Spawn<Sentient>(300.0f, 300.0f);
        leader->stats.Set(CharacterStat::Money, money);
        covenant.leader = leader;
        return leader;
    }

    DealCovenant* other = nullptr;
    DealCovenant* third = nullptr;
};

} // namespace

// ---- Affording -------------------------------------------------------------------------------------

TEST_F(GameOffers, AnEmptyOfferAndFreeKindsPassEvenWithoutCovenants)
{
    EXPECT_TRUE(game->CanAffordOffer(nullptr, nullptr, TradeOffer{}));
    TradeOffer free = Deal({{0, 2, 0}, {1, 3, 9}, {2, 4, 0}, {0, 5, 0}, {0, 9, 3}, {1, 10, 0}, {0, 11, 65538}});
    EXPECT_TRUE(game->CanAffordOffer(nullptr, nullptr, free));
}

// The four counters are the influence ones a covenant's total sums (adventure, competition,
// world, transferred); the others, the total among them, count for nothing.
TEST_F(GameOffers, InfluenceCountsTheGiversFourResourceCounters)
{
    for (int32_t i = 0; i < 4; ++i)
        other->statistics.Set(CovenantStat::InfluenceAdventure + i, 5 * (i + 1));
    for (int32_t stat : {0, 1, 2, 3})
        other->statistics.Set(stat, 1000);
    other->statistics.Set(CovenantStat::Money, 1000);
    EXPECT_TRUE(game->CanAffordOffer(mine, other, Deal({{1, TradeOfferKind::Influence, 50}})));
    EXPECT_FALSE(game->CanAffordOffer(mine, other, Deal({{1, TradeOfferKind::Influence, 51}})));
    EXPECT_TRUE(game->CanAffordOffer(mine, other, Deal({{2, TradeOfferKind::Influence, 50}})));
    EXPECT_FALSE(game->CanAffordOffer(mine, other, Deal({{0, TradeOfferKind::Influence, 1}})));
    EXPECT_FALSE(game->CanAffordOffer(mine, nullptr, Deal({{1, TradeOfferKind::Influence, 0}})));
}

TEST_F(GameOffers, InfluenceSumsDoNotOverflow)
{
    for (int32_t i = 0; i < 4; ++i)
        mine->statistics.Set(CovenantStat::InfluenceAdventure + i, INT_MAX);
    EXPECT_TRUE(game->CanAffordOffer(mine, other, Deal({{0, TradeOfferKind::Influence, INT_MAX}})));
}

TEST_F(GameOffers, LeaderMoneyWithoutALeaderAffordsOnlyNothing)
{
    EXPECT_TRUE(game->CanAffordOffer(mine, other, Deal({{0, TradeOfferKind::LeaderMoney, 0}})));
    EXPECT_FALSE(game->CanAffordOffer(mine, other, Deal({{0, TradeOfferKind::LeaderMoney, 1}})));
    MakeLeader(*mine, 40);
    EXPECT_TRUE(game->CanAffordOffer(mine, other, Deal({{0, TradeOfferKind::LeaderMoney, 40}})));
    EXPECT_FALSE(game->CanAffordOffer(mine, other, Deal({{0, TradeOfferKind::LeaderMoney, 41}})));
}

TEST_F(GameOffers, AnItemMustLieWhereTheValueSays)
{
    GiveInventory(*mine);
    PlaceItem(*mine, 3);
    int32_t held = PackItem(InventoryGroupIndex::Bag1, 3);
    EXPECT_TRUE(game->CanAffordOffer(mine, other, Deal({{0, TradeOfferKind::Item, held}})));
    for (int32_t value : {PackItem(InventoryGroupIndex::Bag1, 2), PackItem(InventoryGroupIndex::Bag1, 4),
                          PackItem(InventoryGroupIndex::Bag2, 3), PackItem(0xFFFF, 0xFFFF), -1, INT_MAX})
        EXPECT_FALSE(game->CanAffordOffer(mine, other, Deal({{0, TradeOfferKind::Item, value}}))) << value;
    EXPECT_FALSE(game->CanAffordOffer(mine, other, Deal({{1, TradeOfferKind::Item, held}})));
}

TEST_F(GameOffers, CovenantMoneyNeedsTheEleventhCounter)
{
    mine->statistics.Set(CovenantStat::Money, 70);
    EXPECT_TRUE(game->CanAffordOffer(mine, other, Deal({{0, TradeOfferKind::CovenantMoney, 70}})));
    EXPECT_FALSE(game->CanAffordOffer(mine, other, Deal({{0, TradeOfferKind::CovenantMoney, 71}})));
    mine->statistics.SetCount(CovenantStat::Money);
    EXPECT_FALSE(game->CanAffordOffer(mine, other, Deal({{0, TradeOfferKind::CovenantMoney, 0}})));
}

TEST_F(GameOffers, OneUnaffordableEntryFailsTheOffer)
{
    mine->statistics.Set(CovenantStat::Money, 10);
    EXPECT_FALSE(game->CanAffordOffer(
        mine, other, Deal({{0, TradeOfferKind::CovenantMoney, 10}, {0, TradeOfferKind::CovenantMoney, 11}})));
}

TEST_F(GameOffers, ItemsOnlyMeansMoneyAndItemsAlone)
{
    EXPECT_TRUE(Game::IsItemsOnlyOffer(TradeOffer{}));
    EXPECT_TRUE(Game::IsItemsOnlyOffer(Deal({{0, 6, 1}, {1, 7, 2}})));
    EXPECT_FALSE(Game::IsItemsOnlyOffer(Deal({{0, 6, 1}, {1, 8, 2}})));
    EXPECT_FALSE(Game::IsItemsOnlyOffer(Deal({{0, 1, 1}})));
}

// ---- Carrying a deal out -----------------------------------------------------------------------------

TEST_F(GameOffers, BothCovenantsAreToldOfTheDealFirst)
{
    game->ExecuteOffer(Deal({{0, TradeOfferKind::SharedAdventure, 0}}), mine, other);
    std::vector<std::string> expected = {"executed 0 as 0 with 1", "executed 1 as 1 with 0", "adventure 0 1"};
    EXPECT_EQ(log, expected);
    log.clear();
    game->ExecuteOffer(Deal({{0, TradeOfferKind::SharedAdventure, 0}}), mine, nullptr);
    EXPECT_TRUE(log.empty());
}

TEST_F(GameOffers, OnlyTheLivingOnlookersHearOfADealAfterwards)
{
    game->ExecuteOffer(Deal({{0, TradeOfferKind::LeaderMoney, 0}}), mine, other);
    using Reports = std::vector<std::pair<int32_t, int32_t>>;
    EXPECT_EQ(third->reportsHeard, (Reports{{mine->index, other->index}}));
    EXPECT_TRUE(other->reportsHeard.empty());
    third->eliminated = true;
    game->ExecuteOffer(Deal({{0, TradeOfferKind::LeaderMoney, 0}}), other, mine);
    EXPECT_EQ(third->reportsHeard.size(), 1u);
}

// Counter three is the transferred one: the totals the covenants' steps sum again keep the deal.
TEST_F(GameOffers, InfluenceLeavesCounterThreeWithoutAFloor)
{
    mine->statistics.Set(CovenantStat::InfluenceAdventure, 100);
    mine->statistics.Set(CovenantStat::InfluenceTransferred, 10);
    other->statistics.Set(CovenantStat::InfluenceTransferred, 5);
    game->ExecuteOffer(Deal({{0, TradeOfferKind::Influence, 30}}), mine, other);
    EXPECT_EQ(mine->statistics.Get(CovenantStat::InfluenceTransferred), -20);
    EXPECT_EQ(mine->statistics.Get(CovenantStat::InfluenceAdventure), 100);
    EXPECT_EQ(mine->GetTotalInfluence(), 80);
    EXPECT_EQ(other->statistics.Get(CovenantStat::InfluenceTransferred), 35);
    EXPECT_EQ(other->GetTotalInfluence(), 35);
}

TEST_F(GameOffers, TreatiesNameTheSecondCovenantFirst)
{
    game->ExecuteOffer(Deal({{0, 2, 0}, {1, 3, 0}, {0, 4, 0}, {2, 5, 0}}), mine, other);
    std::vector<std::string> expected = {"executed 0 as 0 with 1", "executed 1 as 1 with 0",
                                         "treaty 1 0 1 0",          "treaty 1 0 4 0",
                                         "treaty 1 0 5 0",          "treaty 1 0 6 0"};
    EXPECT_EQ(log, expected);
}

TEST_F(GameOffers, LeaderMoneyIsFlooredForTheGiverAndCappedForTheTaker)
{
    Sentient* giver = MakeLeader(*other, 30);
    Sentient* taker = MakeLeader(*mine, 980);
    game->ExecuteOffer(Deal({{1, TradeOfferKind::LeaderMoney, 50}}), mine, other);
    EXPECT_EQ(giver->stats.Get(CharacterStat::Money), 0);
    EXPECT_EQ(taker->stats.Get(CharacterStat::Money), 1000);
}

TEST_F(GameOffers, AnItemChangesCovenantsAndNeverGetsLost)
{
    GiveInventory(*mine);
    GiveInventory(*other);
    ItemBase* item = PlaceItem(*mine, 1);
    game->ExecuteOffer(Deal({{0, TradeOfferKind::Item, PackItem(InventoryGroupIndex::Bag1, 1)}}), mine, other);
    EXPECT_EQ(mine->inventory->GetItem(InventoryGroupIndex::Bag1, 1), nullptr);
    EXPECT_EQ(other->inventory->GetItem(InventoryGroupIndex::Bag1, 0), item);

    for (int32_t slot = 1; slot < 4; ++slot)
        PlaceItem(*other, slot);
    ItemBase* kept = PlaceItem(*mine, 2);
    game->ExecuteOffer(Deal({{0, TradeOfferKind::Item, PackItem(InventoryGroupIndex::Bag1, 2)}}), mine, other);
    EXPECT_EQ(mine->inventory->GetItem(InventoryGroupIndex::Bag1, 2), kept);

    game->ExecuteOffer(Deal({{0, TradeOfferKind::Item, PackItem(InventoryGroupIndex::Bag1, 3)}}), mine, other);
    EXPECT_EQ(other->inventory->CountItems(InventoryGroupIndex::Bag1), 4);
}

TEST_F(GameOffers, CovenantMoneyIsFlooredForTheGiver)
{
    other->statistics.Set(CovenantStat::Money, 15);
    mine->statistics.Set(CovenantStat::Money, 1);
    game->ExecuteOffer(Deal({{2, TradeOfferKind::CovenantMoney, 20}}), mine, other);
    EXPECT_EQ(other->statistics.Get(CovenantStat::Money), 0);
    EXPECT_EQ(mine->statistics.Get(CovenantStat::Money), 21);
}

TEST_F(GameOffers, RoutesAndAdventuresGoFirstToSecond)
{
    game->ExecuteOffer(Deal({{1, TradeOfferKind::TradeRoute, 3}, {1, TradeOfferKind::SharedAdventure, 0}}), mine,
                       other);
    std::vector<std::string> expected = {"executed 0 as 0 with 1", "executed 1 as 1 with 0", "route 0 1 3 0",
                                         "adventure 0 1"};
    EXPECT_EQ(log, expected);
}

TEST_F(GameOffers, JointActionsAgainstAThirdCovenant)
{
    auto joint = [](int32_t action, int32_t covenant) { return action | (covenant << 16); };
    game->ExecuteOffer(Deal({{0, 11, joint(2, 2)}, {0, 11, joint(3, 2)}, {1, 11, joint(9, 2)},
                             {0, 11, joint(10, 2)}, {0, 11, joint(1, 2)}, {0, 11, joint(4, 2)},
                             {0, 11, joint(2, 3)}, {0, 11, joint(2, 0xFFFF)}}),
                       mine, other);
    std::vector<std::string> expected = {"executed 0 as 0 with 1",
                                         "executed 1 as 1 with 0",
                                         "treaty 0 2 2 0",
                                         "treaty 1 2 2 0",
                                         "joint raid 0 1 2",
                                         "joint raid 1 0 2",
                                         "treaty 1 2 1 0",
                                         "route 0 2 0 0",
                                         "offer from 2 type 0 items 0 [ 2/2/0 ]"};
    EXPECT_EQ(log, expected);
}

// ---- Timing ------------------------------------------------------------------------------------------

class GameTiming : public CommandWorld {
protected:
    void Tune(const std::string& prefix)
    {
        LoadRecords("GameSystem\n{\n    Min" + prefix + " 2\n    Base" + prefix + " 10\n    " + prefix +
                    "IncreasePerLevel 1.5\n    " + prefix + "DecreasePerLevel 3\n}\n");
    }
};

TEST_F(GameTiming, IdentifyTimeGrowsForAWeakerPlayerAndShrinksToTheFloor)
{
    Tune("IdentifyTime");
    EXPECT_FLOAT_EQ(game->GetIdentifyTime(7, 7), 10.0f);
    EXPECT_FLOAT_EQ(game->GetIdentifyTime(9, 7), 13.0f);
    EXPECT_FLOAT_EQ(game->GetIdentifyTime(7, 9), 4.0f);
    EXPECT_FLOAT_EQ(game->GetIdentifyTime(7, 10), 2.0f);
    EXPECT_FLOAT_EQ(game->GetIdentifyTime(1, 100), 2.0f);
    EXPECT_FLOAT_EQ(game->GetChestOpenTime(9, 7), 0.0f);
}

// "IdentifyCost 10": the item's level requirement (at least 1) times ten, nothing once identified,
// and the same for every identifier.
TEST_F(GameTiming, IdentifyingCostsTheItemsOwnPrice)
{
    Player* weak = player;
    auto* strong = Spawn<Player>(200.0f, 100.0f);
    strong->stats.Set(CharacterStat::Level, 40);
    const MagicModifier* glinting = gameData.GetItemRecords().FindMagicModifier("Glinting");
    ASSERT_NE(glinting, nullptr);
    struct Case {
        const char* record;
        bool magic;
        bool identified;
        int32_t cost;
    };
    const Case cases[] = {{"Amulet", true, false, 30}, {"Blade", true, false, 10}, {"Amulet", true, true, 0},
                          {"Amulet", false, false, 0}};
    for (const Case& c : cases) {
        Item item;
        item.SetEntryByName(c.record);
        if (c.magic) {
            ASSERT_TRUE(item.AddAffix(glinting, 0.5f)) << c.record;
        }
        item.SetIdentified(c.identified);
        EXPECT_EQ(game->GetIdentifyCost(item, *weak), c.cost) << c.record << c.magic << c.identified;
        EXPECT_EQ(game->GetIdentifyCost(item, *strong), c.cost) << c.record << c.magic << c.identified;
    }
}

TEST_F(GameTiming, ChestOpenTimeHasItsOwnKeys)
{
    Tune("ChestOpenTime");
    EXPECT_FLOAT_EQ(game->GetChestOpenTime(3, 3), 10.0f);
    EXPECT_FLOAT_EQ(game->GetChestOpenTime(4, 2), 13.0f);
    EXPECT_FLOAT_EQ(game->GetChestOpenTime(2, 4), 4.0f);
    EXPECT_FLOAT_EQ(game->GetIdentifyTime(4, 2), 0.0f);
}

TEST_F(GameTiming, ExtremeLevelsDoNotOverflow)
{
    Tune("IdentifyTime");
    EXPECT_FLOAT_EQ(game->GetIdentifyTime(INT_MIN, INT_MAX), 2.0f);
    EXPECT_GT(game->GetIdentifyTime(INT_MAX, INT_MIN), 1e9f);
}
