// ServerCommandsRivalDealsTest -- the trade window's lines with a computer-run covenant on the other side: a player's offer judged and answered by the rival, and the rival's own offer accepted on its held terms only.
#include "server/CommandWorld.h"

#include "core/LocSystem.h"
#include "covenants/ActorCovenant.h"
#include "entities/Item.h"
#include "rules/items/InventoryBase.h"

#include <algorithm>

namespace {

class ServerCommandsRivalDeals : public CommandWorld {
protected:
    ServerCommandsRivalDeals()
    {
        auto made = std::make_unique<ActorCovenant>();
        rival = made.get();
        game->AddCovenant(std::move(made));
        for (Covenant* covenant : {static_cast<Covenant*>(mine), static_cast<Covenant*>(rival)})
            covenant->EnsureRelationSlots(2);
        mine->leader = player;
        player->stats.Set(CharacterStat::Money, 100);
        log.clear();
    }

    ActorCovenant* rival = nullptr;
};

} // namespace

TEST_F(ServerCommandsRivalDeals, APlayersOfferIsJudgedAndAnsweredByTheRival)
{
    // The player gives 5 of its money for nothing: a gift the rival takes.
    Run("offer 0 1 0 6 5");
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0], "result from 1 type 2 items 1 [ 0/6/5 ] accepted 1 20");
    // The player asks for 5 it is not given: refused.
    Run("offer 0 1 1 6 5");
    EXPECT_EQ(log.back(), "result from 1 type 0 items 1 [ 1/6/5 ] accepted 0 9");
    // More than the player holds: refused before it is weighed.
    Run("offer 0 1 0 6 500");
    EXPECT_EQ(log.back(), "result from 1 type 2 items 1 [ 0/6/500 ] accepted 0 9");
}

// The rival wants a relation of 60 before it makes peace: below, it refuses, and everyone hears of
// the refusal; above, the treaty's own news is the only word. The trade window's preview of the
// same terms is no offer and is never news.
TEST_F(ServerCommandsRivalDeals, APeaceTheRivalRefusesIsAnnounced)
{
    rival->SetDefinitionByName("CovenantStern");
    const std::string refused = "msg 3 \"" +
                                MakeLocToken("XRejectsPeaceTreatyFromY", "%s %s",
                                             game->GetCovenantText(rival->index).c_str(),
                                             game->GetCovenantText(mine->index).c_str()) +
                                "\"";
    struct Case {
        float relation;
        const char* line;
        const char* answer;  // the rival's answer as the log ends it; empty: any
        bool announced;
    };
    const Case cases[] = {
        {10.0f, "offer 0 1 2 2 0", "accepted 0 9", true},
        {10.0f, "offer 0 1 2 2 0 0 6 5", "accepted 0 9", true},
        {90.0f, "offer 0 1 2 2 0", "accepted 1 8", false},
        {10.0f, "offer 5 1 2 2 0", "accepted 0 4", false},
        {10.0f, "offer 0 1 2 3 0", "", false},
    };
    for (const Case& c : cases) {
        rival->SetRelation(mine->index, c.relation);
        log.clear();
        game->GetClientLines().clear();
        Run(c.line);
        ASSERT_EQ(log.size(), 1u) << c.line;
        EXPECT_TRUE(log[0].ends_with(c.answer)) << c.line << ": " << log[0];
        const std::vector<std::string>& lines = game->GetClientLines();
        EXPECT_EQ(std::count(lines.begin(), lines.end(), refused), c.announced ? 1 : 0) << c.line;
    }
}

TEST_F(ServerCommandsRivalDeals, TheRivalsOwnOfferIsAcceptedOnlyOnTheTermsItHolds)
{
    TradeOffer offer;
    offer.entries = {{1, TradeOfferKind::LeaderMoney, 5}};
    offer.itemsOnly = true;
    rival->SendOffer(*mine, offer);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0], "offer from 1 type 0 items 1 [ 1/6/5 ]");
    log.clear();
    Run("acceptOffer 0 1 1 6 4");
    EXPECT_TRUE(log.empty());
    EXPECT_NE(rival->GetPendingOffer(mine->index), nullptr);

    Run("acceptOffer 0 1 1 6 5");
    // The player's covenant hears it carried out as the deal's second party.
    EXPECT_EQ(log, std::vector<std::string>{"executed 0 as 1 with 1"});
    EXPECT_EQ(player->stats.Get(CharacterStat::Money), 95);
    EXPECT_EQ(rival->GetPendingOffer(mine->index), nullptr);
    // Accepted once: a second acceptance finds nothing.
    log.clear();
    Run("acceptOffer 0 1 1 6 5");
    EXPECT_TRUE(log.empty());
}

TEST_F(ServerCommandsRivalDeals, AnAdventureTogetherTheRivalOfferedIsToldToThePlayersCovenant)
{
    TradeOffer offer;
    offer.entries = {{2, TradeOfferKind::SharedAdventure, 0}};
    rival->SendOffer(*mine, offer);
    log.clear();
    Run("acceptOffer 0 1 2 10 0");
    EXPECT_EQ(log, (std::vector<std::string>{"executed 0 as 1 with 1", "adventure 0 1"}));
}

TEST_F(ServerCommandsRivalDeals, AnOfferThePlayerCanNoLongerPayIsNotCarriedOut)
{
    TradeOffer offer;
    offer.entries = {{1, TradeOfferKind::LeaderMoney, 50}};
    offer.itemsOnly = true;
    rival->SendOffer(*mine, offer);
    // Spent elsewhere after the offer came: the deal would take money the player lacks.
    player->stats.Set(CharacterStat::Money, 10);
    log.clear();
    Run("acceptOffer 0 1 1 6 50");
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(player->stats.Get(CharacterStat::Money), 10);
    EXPECT_NE(rival->GetPendingOffer(mine->index), nullptr);
    // With the money back the held offer can still be taken.
    player->stats.Set(CharacterStat::Money, 60);
    Run("acceptOffer 0 1 1 6 50");
    EXPECT_EQ(log, std::vector<std::string>{"executed 0 as 1 with 1"});
    EXPECT_EQ(player->stats.Get(CharacterStat::Money), 10);
}

// The rival priced the very item it asked for: another moved into that cell is not what it
// bought, and the deal waits until the item it named is back.
TEST_F(ServerCommandsRivalDeals, AnItemTheRivalAskedForIsTakenOnlyWhileItIsTheVeryItem)
{
    mine->inventory->ResizeBag(InventoryGroupIndex::Bag1, 2);
    auto make = [](const char* name) {
        auto item = std::make_unique<Item>();
        item->SetEntryByName(name);
        return std::unique_ptr<ItemBase>(std::move(item));
    };
    std::unique_ptr<ItemBase> asked = make("Blade");
    ItemBase* askedRaw = asked.get();
    ASSERT_TRUE(mine->inventory->PlaceItem(asked, InventoryGroupIndex::Bag1, 0, kPlaceAnyGroup));
    TradeOffer offer;
    offer.entries = {{1, TradeOfferKind::Item, InventoryGroupIndex::Bag1}};
    offer.itemsOnly = true;
    rival->SendOffer(*mine, offer);

    // The player moves the blade to the next cell and puts another blade where it was.
    std::unique_ptr<ItemBase> moved = mine->inventory->RemoveAt(InventoryGroupIndex::Bag1, 0);
    ASSERT_TRUE(mine->inventory->PlaceItem(moved, InventoryGroupIndex::Bag1, 1, kPlaceAnyGroup));
    std::unique_ptr<ItemBase> other = make("Blade");
    ItemBase* otherRaw = other.get();
    ASSERT_TRUE(mine->inventory->PlaceItem(other, InventoryGroupIndex::Bag1, 0, kPlaceAnyGroup));
    log.clear();
    Run("acceptOffer 0 1 1 7 2");
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(mine->inventory->GetItem(InventoryGroupIndex::Bag1, 0), otherRaw);
    EXPECT_NE(rival->GetPendingOffer(mine->index), nullptr);

    // Put back, the blade asked for goes.
    std::unique_ptr<ItemBase> swapped = mine->inventory->RemoveAt(InventoryGroupIndex::Bag1, 0);
    std::unique_ptr<ItemBase> back = mine->inventory->RemoveAt(InventoryGroupIndex::Bag1, 1);
    ASSERT_EQ(back.get(), askedRaw);
    ASSERT_TRUE(mine->inventory->PlaceItem(back, InventoryGroupIndex::Bag1, 0, kPlaceAnyGroup));
    Run("acceptOffer 0 1 1 7 2");
    EXPECT_EQ(log, std::vector<std::string>{"executed 0 as 1 with 1"});
    EXPECT_EQ(mine->inventory->GetItem(InventoryGroupIndex::Bag1, 0), nullptr);
}
