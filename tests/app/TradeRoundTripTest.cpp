// TradeRoundTripTest -- the shipped game joined with its rival covenants in an offscreen window: the trade window opened by its key and an amount chosen by clicks reach the world host's offer; each kind of entry built by the window's commands, an item among them, arrives there as the same offer; a rival's own offer comes back as the same record when accepted, and moves the money; a gift of influence accepted moves the influence for good and leaves the list.
#include "app/OffscreenShots.h"

#include "client/ClientApp.h"
#include "client/ClientMessages.h"
#include "client/CovenantClient.h"
#include "client/GameClient.h"
#include "client/PlayerClient.h"
#include "client/TradeWindow.h"
#include "core/CommandSystem.h"
#include "core/UserVarSystem.h"
#include "covenants/ActorCovenant.h"
#include "covenants/Covenant.h"
#include "entities/Inventory.h"
#include "entities/Item.h"
#include "entities/Player.h"
#include "server/Game.h"
#include "server/WorldHost.h"
#include "ui/UIMenu.h"
#include "ui/UISystem.h"
#include "ui/widgets/UIList.h"

#include <gtest/gtest.h>

namespace {

class TradeRoundTrip : public OffscreenShotGame {
protected:
    void SetUp() override
    {
        if (!std::getenv("EMBERLODE_GAME_DIR"))
            GTEST_SKIP() << "EMBERLODE_GAME_DIR not set";
        folder.Write("User/user.cfg", "r_width 640\nr_height 480\n");
        ASSERT_TRUE(app.StartUp());
        Frames(1);
        Tap(SDL_SCANCODE_GRAVE);
        TypeLine("start both");
        Tap(SDL_SCANCODE_GRAVE);
        for (int i = 0; i < 60 && !(HostPlayer() && gClientApp->IsActive()); ++i)
            Frames(1);
        Frames(10);
        host = HostPlayer();
        ASSERT_NE(host, nullptr);
        own = gGame->GetCovenant(host->covenantIndex);
        ASSERT_NE(own, nullptr);
        ASSERT_GE(gGame->GetCovenantCount(), 3) << "the shipped world sets up two rivals";
        ASSERT_EQ(host->covenantIndex, gGame->GetCovenantCount() - 1) << "the player's covenant joins last";
        host->stats.Set(CharacterStat::Money, 100000);
        own->statistics.Set(CovenantStat::InfluenceWorld, 500);
        own->statistics.Set(CovenantStat::Money, 40);
        gGame->GetCovenant(0)->statistics.Set(CovenantStat::Money, 50);
        Frames(3);
    }

    // The lines run as the console runs them; the next frames carry the requests to the host.
    void Console(std::initializer_list<std::string> lines)
    {
        for (const std::string& line : lines)
            ASSERT_TRUE(ExecuteCommandLine(line)) << line;
        Frames(3);
    }

    // A click on the first row of the window's list whose text holds the words; false when no
    // shown row does.
    bool ClickRow(const char* list, const std::string& words)
    {
        auto* widget = dynamic_cast<UIList*>(gUISystem->FindWidgetByPath(list));
        if (!widget)
            return false;
        int32_t first = widget->GetFirstVisibleRow();
        for (int32_t row = first; row < first + widget->GetVisibleRows() && row < int32_t(widget->rows.size()); ++row) {
            if (widget->rows[size_t(row)]->name.find(words) == std::string::npos)
                continue;
            ClickAt(int32_t(widget->GetScreenPosition().x) + 30, int32_t(widget->GetScreenPosition().y) +
                                                                     (row - first) * widget->itemHeight +
                                                                     widget->itemHeight / 2);
            Frames(2);
            return true;
        }
        return false;
    }

    // An amount typed into the chooser the row opened, and its OK.
    void ChooseAmount(const char* chooser, const std::string& digits)
    {
        ASSERT_TRUE(Shown(chooser));
        ClickAt(320, 201);
        for (char digit : digits)
            Tap(ScancodeOf(digit));
        ClickAt(268, 265);
        Frames(3);
        ASSERT_FALSE(Shown(chooser));
    }

    static std::string TextOf(const char* path)
    {
        UIWidget* widget = gUISystem->FindWidgetByPath(path);
        return widget ? widget->BuildText(widget->textSource) : std::string();
    }

    Player* host = nullptr;
    Covenant* own = nullptr;
};

// The window opened by its key with no creature chosen deals with a rival, names it, and each
// control does what it says: a clause clicked reaches the deal, a click on it takes it out, the
// deal is cleared, and the window closes.
TEST_F(TradeRoundTrip, EachControlOfTheWindowOpenedByItsKeyDoesWhatItSays)
{
    Tap(SDL_SCANCODE_T);
    ASSERT_TRUE(Shown("Trade"));
    int32_t partner = gGameClient->selectedCovenant;
    ASSERT_GE(partner, 0) << "a window with no creature chosen deals with a rival";
    ASSERT_NE(partner, host->covenantIndex);
    std::string name = gGameClient->GetCovenantName(partner);
    ASSERT_FALSE(name.empty());
    EXPECT_NE(TextOf("Trade::OtherLabel").find(name), std::string::npos) << "the window names the covenant";

    struct Case {
        const char* list;
        std::string row;
        TradeOfferEntry entry;
    };
    const Case clauses[] = {
        {"Trade::PlayerTreaties", "$$SharedAdventureTitle$$", {2, TradeOfferKind::SharedAdventure, 0}},
        {"Trade::PlayerTreaties", "$$TradeRoute$$", {2, TradeOfferKind::TradeRoute, 1}},
        {"Trade::OtherTreaties", "$$TreatyNonAggressionPact$$", {2, TradeOfferKind::NonAggressionPact, 0}},
    };
    for (const Case& c : clauses) {
        ASSERT_TRUE(ClickRow(c.list, c.row)) << c.row;
        Frames(2);
        const std::vector<TradeOfferEntry>& built = gGameClient->GetTrade().GetOffer();
        ASSERT_FALSE(built.empty()) << c.row;
        EXPECT_EQ(built.back(), c.entry) << c.row;
        EXPECT_EQ(gGame->GetTradeOffer().entries, built) << "the preview reached the host: " << c.row;
        std::vector<ListEntry> given;
        gCommandSystem->CallInfoProc("getTradePlayerOffer", given);
        EXPECT_EQ(given.size(), gGameClient->GetTrade().GetOffer().size()) << "under You give: " << c.row;
    }
    // A click on an entry of the deal takes it back out.
    size_t before = gGameClient->GetTrade().GetOffer().size();
    ASSERT_TRUE(ClickRow("Trade::PlayerOffer", "$$SharedAdventureTitle$$"));
    EXPECT_EQ(gGameClient->GetTrade().GetOffer().size(), before - 1);
    // "Clear deal", then the close button.
    UIWidget* clear = gUISystem->FindWidgetByPath("Trade::ClearDeal");
    ASSERT_NE(clear, nullptr);
    ClickAt(int32_t(clear->GetScreenPosition().x + 20), int32_t(clear->GetScreenPosition().y + 10));
    Frames(2);
    EXPECT_TRUE(gGameClient->GetTrade().GetOffer().empty());
    UIWidget* done = gUISystem->FindWidgetByPath("Trade::Done");
    ASSERT_NE(done, nullptr);
    ClickAt(int32_t(done->GetScreenPosition().x + 10), int32_t(done->GetScreenPosition().y + 10));
    Frames(2);
    EXPECT_FALSE(Shown("Trade"));
}

// A deal made both ways with a running rival by clicks alone: the player's fair offer is judged
// and carried out, and the rival's own offer is taken with "Yes".
TEST_F(TradeRoundTrip, ADealIsMadeAndAcceptedBothWaysByClicks)
{
    Covenant* rival = gGame->GetCovenant(0);
    ASSERT_NE(rival, nullptr);
    Console({"TalkToCovenant 0"});
    Tap(SDL_SCANCODE_T);
    ASSERT_TRUE(Shown("Trade"));
    ASSERT_EQ(gGameClient->selectedCovenant, 0);

    // The player gives influence for a crystal of the rival's.
    ASSERT_TRUE(ClickRow("Trade::PlayerMoney", "$$Influence$$"));
    ChooseAmount("ChooseInfluenceAmount", "400");
    ASSERT_TRUE(ClickRow("Trade::OtherMoney", "$$Crystal$$"));
    ChooseAmount("ChooseCrystalsAmount", "1");
    const std::vector<TradeOfferEntry> deal = {{0, TradeOfferKind::Influence, 400},
                                               {1, TradeOfferKind::CovenantMoney, 1}};
    ASSERT_EQ(gGameClient->GetTrade().GetOffer(), deal);
    int32_t ownCrystals = own->statistics.Get(CovenantStat::Money);
    UIWidget* propose = gUISystem->FindWidgetByPath("Trade::Propose");
    ASSERT_NE(propose, nullptr);
    ClickAt(int32_t(propose->GetScreenPosition().x + 20), int32_t(propose->GetScreenPosition().y + 10));
    Frames(4);
    EXPECT_EQ(gGame->GetTradeOffer().type, 0) << "a trade, the rival's crystal asked";
    EXPECT_EQ(own->statistics.Get(CovenantStat::Money), ownCrystals + 1) << "the rival took the fair trade";
    EXPECT_NE(gGameClient->GetMessages().GetDiplomacyResponse().find("$$DiplomacyResponse"), std::string::npos);

    // The rival's own offer, answered with "Yes" in the window the key opens toward it.
    Tap(SDL_SCANCODE_T);
    ASSERT_FALSE(Shown("Trade"));
    Covenant* other = gGame->GetCovenant(1);
    ASSERT_NE(other, nullptr);
    TradeOffer trade;
    trade.entries = {{0, TradeOfferKind::CovenantMoney, 5}, {1, TradeOfferKind::LeaderMoney, 300}};
    other->statistics.Set(CovenantStat::Money, 50);
    other->SendOffer(*own, trade);
    Frames(3);
    ASSERT_EQ(gGameClient->GetTrade().GetIncoming(), trade.entries);
    Tap(SDL_SCANCODE_T);
    ASSERT_TRUE(Shown("Trade"));
    EXPECT_EQ(gGameClient->selectedCovenant, 1) << "the window deals with the covenant whose offer waits";
    int32_t money = host->stats.Get(CharacterStat::Money);
    ownCrystals = own->statistics.Get(CovenantStat::Money);
    UIWidget* yes = gUISystem->FindWidgetByPath("Trade::Accept");
    ASSERT_NE(yes, nullptr);
    ClickAt(int32_t(yes->GetScreenPosition().x + 20), int32_t(yes->GetScreenPosition().y + 10));
    Frames(4);
    EXPECT_EQ(host->stats.Get(CharacterStat::Money), money - 300);
    EXPECT_EQ(own->statistics.Get(CovenantStat::Money), ownCrystals + 5);
    EXPECT_EQ(other->GetPendingOffer(own->index), nullptr);
}

TEST_F(TradeRoundTrip, TheWindowOpensByItsKeyAndAnAmountChosenByClicksReachesTheHost)
{
    // The rival the window deals with, chosen at the console as a script would.
    Tap(SDL_SCANCODE_GRAVE);
    TypeLine("TalkToCovenant 0");
    Tap(SDL_SCANCODE_GRAVE);
    ASSERT_EQ(gGameClient->selectedCovenant, 0);
    Tap(SDL_SCANCODE_T);
    ASSERT_TRUE(Shown("Trade"));
    // The player's amounts list at (32, 86): its second row is the influence.
    ClickAt(80, 110);
    ASSERT_TRUE(Shown("ChooseInfluenceAmount"));
    ClickAt(320, 201);
    Tap(SDL_SCANCODE_2);
    Tap(SDL_SCANCODE_5);
    ClickAt(268, 265);
    EXPECT_FALSE(Shown("ChooseInfluenceAmount"));
    Frames(3);
    const std::vector<TradeOfferEntry> expected = {{0, TradeOfferKind::Influence, 25}};
    EXPECT_EQ(gGameClient->GetTrade().GetOffer(), expected);
    EXPECT_EQ(gGame->GetTradeOffer().entries, expected) << "the preview reached the world host";
    EXPECT_EQ(gGame->GetTradeOffer().type, TradeOfferType::Preview);
    // Propose, at (232, 312) in the window.
    ClickAt(16 + 259, 12 + 314);
    Frames(3);
    EXPECT_EQ(gGame->GetTradeOffer().type, TradeOfferType::Gift) << "a trade asking nothing is a gift";
    EXPECT_NE(gGameClient->GetMessages().GetDiplomacyResponse().find("$$DiplomacyResponse"), std::string::npos)
        << "the rival's answer shows";
}

TEST_F(TradeRoundTrip, EachKindBuiltInTheWindowArrivesAsTheSameOffer)
{
    int32_t third = 1;
    Console({"TalkToCovenant 0"});
    // An item the player carries, named by its place: the group low, the slot high.
    std::unique_ptr<ItemBase> knife = std::make_unique<Item>();
    knife->SetEntryByName("EmberKnife");
    ASSERT_TRUE(host->inventory->AddItem(knife, InventoryGroupIndex::Bag1));
    Frames(3);
    int32_t itemPlace = -1;
    for (int32_t group = InventoryGroupIndex::Bag1; group <= InventoryGroupIndex::Bag4 && itemPlace == -1; ++group)
        for (int32_t slot = 0; slot < host->inventory->GetSlotCount(group) && itemPlace == -1; ++slot)
            if (host->inventory->GetItem(group, slot))
                itemPlace = group | (slot << 16);
    ASSERT_NE(itemPlace, -1) << "the knife given";
    struct Case {
        std::vector<std::string> lines;
        int32_t sent;
        int32_t arrived;
    };
    // The chooser menu first, as the player opens it; then the amount typed into it.
    const Case cases[] = {
        // What the player gives alone: a trade of it is a gift at the host.
        {{"chooseInfluenceAmount 0", "setUserVar InfluenceAmount 20", "addInfluenceToOffer"}, 0, 2},
        {{"chooseGoldAmount 0", "setUserVar GoldAmount 1", "setUserVar SilverAmount 2", "setUserVar CopperAmount 3",
          "addGoldToOffer"},
         0, 2},
        {{"chooseCrystalsAmount 0", "setUserVar CrystalsAmount 4", "addCrystalsToOffer"}, 0, 2},
        // What binds both asks something of the rival: the type stays.
        {{"addToOffer 2 2"}, 0, 0},
        {{"addToOffer 2 3"}, 0, 0},
        {{"addToOffer 2 4"}, 0, 0},
        {{"addToOffer 2 5"}, 0, 0},
        {{"addTradeRouteToOffer 1"}, 0, 0},
        {{"addItemToOffer 0 " + std::to_string(itemPlace)}, 0, 2},
        {{"addAdventureToOffer"}, 0, 0},
        {{"chooseOtherCovenant 3 2", "setUserVar OtherCovenant " + std::to_string(third), "addAgreementToOffer"}, 1, 1},
        {{"chooseCrystalsAmount 1", "setUserVar CrystalsAmount 3", "addCrystalsToOffer"}, 1, 1},
        // A demand asking nothing is a gift as well.
        {{"chooseGoldAmount 0", "setUserVar GoldAmount 0", "setUserVar SilverAmount 0", "setUserVar CopperAmount 7",
          "addGoldToOffer", "chooseInfluenceAmount 0", "setUserVar InfluenceAmount 20", "addInfluenceToOffer"},
         1, 2},
    };
    for (const Case& c : cases) {
        std::vector<std::string> lines = {"clearOffer"};
        lines.insert(lines.end(), c.lines.begin(), c.lines.end());
        lines.push_back("offerTrade " + std::to_string(c.sent));
        for (const std::string& line : lines)
            ASSERT_TRUE(ExecuteCommandLine(line)) << line;
        Frames(3);
        const std::vector<TradeOfferEntry>& built = gGameClient->GetTrade().GetOffer();
        ASSERT_FALSE(built.empty()) << c.lines.back();
        EXPECT_EQ(gGame->GetTradeOffer().entries, built) << c.lines.back();
        EXPECT_EQ(gGame->GetTradeOffer().type, c.arrived) << c.lines.back();
    }
}

TEST_F(TradeRoundTrip, ARivalsOfferIsAcceptedAsTheSameRecordAndMovesTheMoney)
{
    Covenant* rival = gGame->GetCovenant(0);
    ASSERT_NE(rival, nullptr);
    TradeOffer demand;
    demand.entries = {{1, TradeOfferKind::LeaderMoney, 500}};
    rival->SendOffer(*own, demand);
    Frames(3);
    const std::vector<TradeOfferEntry>& incoming = gGameClient->GetTrade().GetIncoming();
    EXPECT_EQ(incoming, demand.entries) << "the offer arrived through offerToPlayer";
    std::vector<ListEntry> rows;
    // The rival's own terms: side 1 is what the player's covenant gives.
    gCommandSystem->CallInfoProc("getIncomingTradeOtherOffer", rows);
    ASSERT_EQ(rows.size(), 1u);

    int32_t before = host->stats.Get(CharacterStat::Money);
    Console({"TalkToCovenant 0", "acceptTrade"});
    EXPECT_EQ(gGame->GetTradeOffer().entries, demand.entries);
    EXPECT_EQ(gGame->GetTradeOffer().type, demand.type);
    EXPECT_EQ(host->stats.Get(CharacterStat::Money), before - 500) << "the player paid what the rival asked";
    EXPECT_EQ(rival->GetPendingOffer(own->index), nullptr);
}

// A rival's gift of influence, accepted by the window's Yes: the influence moves for good (the
// covenants' steps that follow sum their totals again), on the host and in the player's mirror,
// and the offer leaves both the host's waiting list and the window.
TEST_F(TradeRoundTrip, ARivalsInfluenceOfferAcceptedMovesTheInfluenceAndLeavesTheList)
{
    Covenant* rival = gGame->GetCovenant(0);
    ASSERT_NE(rival, nullptr);
    rival->statistics.Set(CovenantStat::InfluenceWorld, 200);
    Frames(3);
    int32_t mine = own->GetTotalInfluence();
    int32_t theirs = rival->GetTotalInfluence();
    TradeOffer gift;
    gift.type = ActorCovenant::kGiftOffer;
    gift.entries = {{0, TradeOfferKind::Influence, 13}};
    rival->SendOffer(*own, gift);
    Frames(3);
    ASSERT_EQ(gGameClient->GetTrade().GetIncoming(), gift.entries);
    auto listed = [] {
        size_t count = 0;
        for (const char* list : {"getIncomingTradePlayerOffer", "getIncomingTradeOtherOffer"}) {
            std::vector<ListEntry> rows;
            gCommandSystem->CallInfoProc(list, rows);
            count += rows.size();
        }
        return count;
    };
    ASSERT_EQ(listed(), 1u) << "their offer is listed";

    Console({"TalkToCovenant 0", "acceptTrade"});
    Frames(10);
    EXPECT_EQ(own->GetTotalInfluence(), mine + 13);
    EXPECT_EQ(own->statistics.Get(CovenantStat::AbsoluteInfluence), mine + 13) << "the total as the steps sum it";
    EXPECT_EQ(rival->GetTotalInfluence(), theirs - 13);
    CovenantClient* mirror = gGameClient->GetCovenant(own->index, false);
    ASSERT_NE(mirror, nullptr);
    EXPECT_EQ(mirror->statistics.Get(CovenantStat::AbsoluteInfluence), mine + 13) << "the player sees it";
    EXPECT_EQ(rival->GetPendingOffer(own->index), nullptr);
    EXPECT_TRUE(gGameClient->GetTrade().GetIncoming().empty()) << "the answered offer left the window";
    EXPECT_EQ(listed(), 0u);
    EXPECT_NE(gGameClient->GetMessages().GetDiplomacyResponse().find("DiplomacyResponse"), std::string::npos);
}

} // namespace
