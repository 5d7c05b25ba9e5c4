// TradeWindowTest -- the trade and diplomacy window against the real world host's covenants: the exact request line of every command, one amount a side, the refusals that send nothing, the covenants' own offers kept, answered and expired, and every list's rows for a scripted standing between the covenants.
#include "client/ClientServicesWorld.h"
#include "client/PlayerCovenantClient.h"
#include "client/TradeWindow.h"
#include "core/Database.h"
#include "core/LocSystem.h"
#include "core/StringUtil.h"
#include "core/UserVarSystem.h"
#include "covenants/PlayerCovenant.h"
#include "covenants/PlayerHouseRecords.h"
#include "entities/Inventory.h"
#include "entities/Item.h"
#include "entities/Player.h"
#include "rules/Formulas.h"
#include "rules/RulesEnums.h"
#include "rules/covenants/DiplomacyText.h"

namespace {

using Lines = std::vector<std::string>;

// Three rival covenants made before the player joins, so that the player's own is the last.
class TradeWindowWorld : public ClientServices<PlayerClientWorld> {
protected:
    static constexpr int32_t kRivals = 3;

    void SetUp() override
    {
        StartWorld("UsingCovenants 1\nMaxRecruits 4\nStartPosition 0.5 0.5\n",
                   std::string(kPlayerHouseRecords) + "TestJerkin\n{\nType Item\nName \"Jerkin\"\nItemType Chest\n}\n");
        for (int32_t i = 0; i < kRivals; ++i) {
            auto covenant = std::make_unique<PlayerCovenant>();
            covenant->SetDefinitionByName("Human");
            covenant->name = "Rival " + std::to_string(i);
            covenant->statistics.Set(CovenantStat::InfluenceWorld, 300);
            covenant->statistics.Set(CovenantStat::Money, 30);
            game->AddCovenant(std::move(covenant));
        }
        MakePlayer();
        mirror = std::make_unique<PlayerCovenantClient>();
        mirror->name = "House Ember";
        player->SetCovenant(mirror.get());
        Join();
        Covenant* mine = game->GetCovenant(kRivals);
        ASSERT_NE(mine, nullptr);
        mine->statistics.Set(CovenantStat::InfluenceWorld, 600);
        mine->statistics.Set(CovenantStat::Money, 1);
        hostPlayer->stats.Set(CharacterStat::Money, 50000);
        for (int32_t i = 0; i < 3; ++i)
            ClientFrame(50);
        ASSERT_EQ(gameClient->GetCovenantCount(), kRivals + 1);
        ASSERT_EQ(player->GetStat(CharacterStat::Money), 50000);
        gameClient->GetTrade().RegisterCommands();
        gameClient->selectedCovenant = 0;
        seen = app->GetQueuedLines().size();
    }

    TradeWindow& Trade() { return gameClient->GetTrade(); }
    CovenantClient* Mirror(int32_t index) { return gameClient->GetCovenant(index, false); }

    // Runs the lines (no frame passes, so the scripted covenants stay as set) and gives the
    // request lines they queued.
    Lines Run(std::initializer_list<std::string> lines)
    {
        for (const std::string& line : lines)
            ExecuteCommandLine(line);
        const auto& queued = app->GetQueuedLines();
        Lines out(queued.begin() + static_cast<std::ptrdiff_t>(seen), queued.end());
        seen = queued.size();
        return out;
    }

    Lines HostLines(std::initializer_list<std::string> lines)
    {
        for (const std::string& line : lines)
            app->GetServerLineCommands().Execute(line);
        return Run({});
    }

    void Set(const char* var, const std::string& value) { vars.SetStringByName(var, value); }

    std::vector<ListEntry> Rows(const char* provider)
    {
        std::vector<ListEntry> rows;
        commands.CallInfoProc(provider, rows);
        return rows;
    }

    static Lines Values(const std::vector<ListEntry>& rows)
    {
        Lines out;
        for (const ListEntry& row : rows)
            out.push_back(row.value);
        return out;
    }

    std::string LastRefusal() const
    {
        const auto& records = textEvents.GetRecords();
        return records.empty() ? std::string() : records.back().text;
    }

    std::unique_ptr<PlayerCovenantClient> mirror;
    size_t seen = 0;
};

} // namespace

TEST_F(TradeWindowWorld, EveryAddSendsThePreviewAndASideOffersOneAmountOfEachKind)
{
    EXPECT_TRUE(Run({"chooseInfluenceAmount 0"}).empty());
    EXPECT_EQ(ui.lines.back(), "showMenu ChooseInfluenceAmount");
    Set("InfluenceAmount", "500");
    EXPECT_EQ(Run({"addInfluenceToOffer"}), Lines{"offer 4 0 0 1 500"});
    Set("InfluenceAmount", "200");
    EXPECT_EQ(Run({"addInfluenceToOffer"}), Lines{"offer 4 0 0 1 200"});
    Set("GoldAmount", "1");
    Set("SilverAmount", "2");
    Set("CopperAmount", "3");
    EXPECT_EQ(Run({"chooseGoldAmount 0", "addGoldToOffer"}), Lines{"offer 4 0 0 1 200 0 6 10203"});
    EXPECT_EQ(ui.lines.back(), "showMenu ChooseGoldAmount");
    Set("CrystalsAmount", "7");
    EXPECT_EQ(Run({"chooseCrystalsAmount 1", "addCrystalsToOffer"}), Lines{"offer 4 0 0 1 200 0 6 10203 1 8 7"});
    EXPECT_EQ(ui.lines.back(), "showMenu ChooseCrystalsAmount");
    EXPECT_EQ(Run({"addItemToOffer 1 65551", "addTradeRouteToOffer 2", "addAdventureToOffer", "addToOffer 2 3"}),
              (Lines{"offer 4 0 0 1 200 0 6 10203 1 8 7 1 7 65551",
                     "offer 4 0 0 1 200 0 6 10203 1 8 7 1 7 65551 2 9 2",
                     "offer 4 0 0 1 200 0 6 10203 1 8 7 1 7 65551 2 9 2 2 10 0",
                     "offer 4 0 0 1 200 0 6 10203 1 8 7 1 7 65551 2 9 2 2 10 0 2 3 0"}));
    // An agreement about covenant 1 that binds both: action in the low half, covenant in the high.
    EXPECT_TRUE(Run({"chooseOtherCovenant 2 2"}).empty());
    EXPECT_EQ(ui.lines.back(), "showMenu ChooseOtherCovenant");
    Set("OtherCovenant", "1");
    EXPECT_EQ(Run({"addAgreementToOffer"}).back(),
              "offer 4 0 0 1 200 0 6 10203 1 8 7 1 7 65551 2 9 2 2 10 0 2 3 0 2 11 65538");
    ASSERT_EQ(Trade().GetOffer().size(), 8u);

    EXPECT_EQ(Run({"removeFromOffer 0", "removeFromOffer 8", "removeFromOffer -1"}),
              Lines{"offer 4 0 0 6 10203 1 8 7 1 7 65551 2 9 2 2 10 0 2 3 0 2 11 65538"});
    EXPECT_EQ(Run({"offerTrade 0", "offerTrade 1"}),
              (Lines{"offer 0 0 0 6 10203 1 8 7 1 7 65551 2 9 2 2 10 0 2 3 0 2 11 65538",
                     "offer 1 0 0 6 10203 1 8 7 1 7 65551 2 9 2 2 10 0 2 3 0 2 11 65538"}));
    EXPECT_TRUE(Run({"clearOffer"}).empty());
    EXPECT_TRUE(Trade().GetOffer().empty());

    Set("TreatyToCancel", "MainTreaty");
    EXPECT_EQ(Run({"cancelCurrentTreaty"}), Lines{"cancelTreaty 0"});
    Set("TreatyToCancel", "TradeRoute");
    EXPECT_EQ(Run({"cancelCurrentTreaty"}), Lines{"cancelTradeRoute 0"});
    Set("TreatyToCancel", "Alliance");
    EXPECT_TRUE(Run({"cancelCurrentTreaty"}).empty());
}

TEST_F(TradeWindowWorld, RemovingTheLastEntrySendsNoPreviewAndTheCovenantListensAgain)
{
    Mirror(0)->SetRelation(kRivals, 90.0f);
    Run({"addAdventureToOffer"});
    EXPECT_TRUE(Run({"removeFromOffer 0"}).empty());
    EXPECT_EQ(gameClient->GetMessages().GetDiplomacyResponse(),
              DiplomacyText::MoodDescription(90.0f) + " $$DiplomacyResponse1$$");
}

TEST_F(TradeWindowWorld, WhatTheWorldHostWouldDropUnseenIsRefusedOnScreenAndNothingIsSent)
{
    // 2^31 copper coins: 214748 gold, 36 silver and 48 copper.
    hostPlayer->stats.Set(CharacterStat::Money, INT32_MAX);
    ClientFrame(50);
    ClientFrame(50);
    seen = app->GetQueuedLines().size();
    Set("GoldAmount", "214748");
    Set("SilverAmount", "36");
    Set("CopperAmount", "48");
    EXPECT_TRUE(Run({"addGoldToOffer"}).empty());
    EXPECT_EQ(LastRefusal(), "$$NotEnoughMoney$$");
    Set("GoldAmount", "0");
    Set("SilverAmount", "0");
    Set("CopperAmount", "0");
    EXPECT_TRUE(Run({"addGoldToOffer"}).empty());
    EXPECT_EQ(LastRefusal(), "$$TradeNoAmount$$");
    Set("InfluenceAmount", "-5");
    EXPECT_TRUE(Run({"addInfluenceToOffer"}).empty());
    EXPECT_EQ(LastRefusal(), "$$TradeNoAmount$$");
    // The player's covenant holds 600 influence and 1 crystal, covenant 0 holds 30 crystals.
    Set("InfluenceAmount", "601");
    EXPECT_TRUE(Run({"chooseInfluenceAmount 0", "addInfluenceToOffer"}).empty());
    EXPECT_EQ(LastRefusal(), "$$NotEnoughInfluence$$");
    Set("CrystalsAmount", "31");
    EXPECT_TRUE(Run({"chooseCrystalsAmount 1", "addCrystalsToOffer"}).empty());
    EXPECT_EQ(LastRefusal(), "$$NotEnoughCrystals$$");
    for (const char* third : {"-1", "4", "", "x"}) {
        Set("OtherCovenant", third);
        EXPECT_TRUE(Run({"chooseOtherCovenant 2 0", "addAgreementToOffer"}).empty()) << third;
        EXPECT_EQ(LastRefusal(), "$$TradeChooseCovenant$$");
    }
    EXPECT_TRUE(Trade().GetOffer().empty());

    for (int32_t i = 0; i < TradeOfferEntry::kMaxEntries; ++i)
        ASSERT_EQ(Run({"addItemToOffer 0 " + std::to_string(i + 2)}).size(), 1u);
    EXPECT_TRUE(Run({"addItemToOffer 0 99"}).empty());
    EXPECT_EQ(LastRefusal(), "$$TradeOfferFull$$");
    EXPECT_EQ(Trade().GetOffer().size(), 32u);
    // Replacing an amount of a full offer is still one entry too many.
    EXPECT_TRUE(Run({"addAdventureToOffer"}).empty());

    // Without a covenant to deal with, the deal is built but nothing leaves.
    gameClient->selectedCovenant = 7;
    EXPECT_TRUE(Run({"clearOffer", "addAdventureToOffer", "offerTrade 0", "cancelCurrentTreaty"}).empty());
}

TEST_F(TradeWindowWorld, ACovenantsOfferIsKeptAnsweredIgnoredAndExpires)
{
    // A counter-offer replaces the deal being built and is nobody's pending offer.
    EXPECT_TRUE(HostLines({"offerToPlayer 3 2 0 1 100 1 8 20"}).empty());
    EXPECT_EQ(Trade().GetOffer(), (std::vector<TradeOfferEntry>{{0, 1, 100}, {1, 8, 20}}));
    EXPECT_EQ(mirror->GetPendingOffer(2), nullptr);

    HostLines({"offerToPlayer 1 0 1 6 5 0 1 7"});
    EXPECT_EQ(Trade().GetIncomingType(), 1);
    EXPECT_EQ(Trade().GetIncoming(), (std::vector<TradeOfferEntry>{{1, 6, 5}, {0, 1, 7}}));
    EXPECT_EQ(Values(Rows("getIncomingTradePlayerOffer")), Lines{"removeFromOffer 1"});
    EXPECT_EQ(Rows("getIncomingTradeOtherOffer").at(0).name, FormatMoney(5));
    EXPECT_EQ(Run({"acceptTrade", "rejectTrade"}),
              (Lines{"acceptOffer 1 0 1 6 5 0 1 7", "rejectOffer 1 0 1 6 5 0 1 7"}));
    // Another covenant's window has no offer to answer.
    gameClient->selectedCovenant = 1;
    EXPECT_TRUE(Run({"acceptTrade", "rejectTrade"}).empty());
    Run({"ignoreTrade"});
    EXPECT_TRUE(mirror->IsIgnored(1));
    EXPECT_FALSE(mirror->IsIgnored(0));

    gameClient->selectedCovenant = 0;
    HostLines({"offerExpired 0"});
    EXPECT_TRUE(Run({"acceptTrade"}).empty());

    // Lines the host never writes are refused whole: a cut triple, a negative value, 33 entries.
    std::string endless = "offerToPlayer 0 0";
    for (int32_t i = 0; i <= TradeOfferEntry::kMaxEntries; ++i)
        endless += " 1 6 1";
    for (const std::string& line : {std::string("offerToPlayer 0 0 1 6"), std::string("offerToPlayer 0 0 1 6 -5"),
                                     std::string("offerToPlayer 0 0 5 6 5"), endless}) {
        HostLines({line});
        EXPECT_TRUE(Trade().GetIncoming().empty()) << line;
        EXPECT_EQ(mirror->GetPendingOffer(0), nullptr) << line;
    }
}

// A covenant put out of the game withdraws its offers with an offer of nothing: the offer and the
// notice that one awaits go with it, while another covenant's offer still waits.
TEST_F(TradeWindowWorld, AnOfferOfNothingWithdrawsTheOfferAndItsNotice)
{
    HostLines({"offerToPlayer 1 0 1 6 5", "offerToPlayer 0 2 0 1 7"});
    ASSERT_NE(mirror->GetPendingOffer(0), nullptr);
    ASSERT_EQ(mirror->FindCovenantRecord(), 0) << "an offer awaits";

    HostLines({"offerToPlayer 0 0"});
    EXPECT_EQ(mirror->GetPendingOffer(0), nullptr);
    EXPECT_EQ(mirror->FindCovenantRecord(), 2) << "the withdrawn offer no longer awaits, the other does";
    gameClient->selectedCovenant = 0;
    EXPECT_TRUE(Run({"acceptTrade"}).empty()) << "nothing is left to accept";

    HostLines({"offerToPlayer 0 2"});
    EXPECT_EQ(mirror->FindCovenantRecord(), -1) << "no offer awaits";
}

TEST_F(TradeWindowWorld, TreatyRowsFollowTheStandingAndTheDeal)
{
    CovenantClient* mine = Mirror(kRivals);
    auto texts = [&](const char* provider) {
        Lines out;
        for (const ListEntry& row : Rows(provider))
            out.push_back(row.name);
        return out;
    };
    const std::string route = " $$TradeRoute$$";
    Lines routes;
    for (int32_t kind = 1; kind <= 5; ++kind)
        routes.push_back("addTradeRouteToOffer " + std::to_string(kind));
    // Peace: all three pacts, the adventure, raids and wars on the others, every route.
    Lines peace = {"addToOffer 2 3",      "addToOffer 2 4",          "addToOffer 2 5",
                   "addAdventureToOffer", "chooseOtherCovenant 2 2", "chooseOtherCovenant 3 2"};
    peace.insert(peace.end(), routes.begin(), routes.end());
    EXPECT_EQ(Values(Rows("getTradePlayerTreaties")), peace);
    EXPECT_EQ(texts("getTradePlayerTreaties").front(), "$$TreatyNonAggressionPact$$");
    EXPECT_EQ(texts("getTradePlayerTreaties").back(), "$$TradeRouteHuge$$" + route);

    mine->SetTreatyState(0, CovenantTreaty::NonAggressionPact);
    mine->SetTradeRouteKind(0, 2);
    EXPECT_EQ(Values(Rows("getTradeOtherTreaties")),
              (Lines{"addToOffer 2 4", "addToOffer 2 5", "addAdventureToOffer", "chooseOtherCovenant 2 2",
                     "chooseOtherCovenant 3 2", "addTradeRouteToOffer 3", "addTradeRouteToOffer 4",
                     "addTradeRouteToOffer 5"}));
    Run({"addToOffer 2 4", "addTradeRouteToOffer 4", "addAdventureToOffer"});
    EXPECT_EQ(Values(Rows("getTradeOtherTreaties")), (Lines{"chooseOtherCovenant 2 2", "chooseOtherCovenant 3 2"}));
    Run({"clearOffer"});

    // War: the peace row alone of the treaties, no adventure; peace with covenant 1 to agree on.
    mine->SetTreatyState(0, CovenantTreaty::War);
    mine->SetTreatyState(1, CovenantTreaty::Raid);
    Mirror(0)->SetTreatyState(1, CovenantTreaty::War);
    mine->SetTradeRouteKind(2, 1);
    mine->SetTreatyState(2, CovenantTreaty::Alliance);
    EXPECT_EQ(Values(Rows("getTradePlayerTreaties")),
              (Lines{"addToOffer 2 2", "chooseOtherCovenant 2 2", "chooseOtherCovenant 3 2", "chooseOtherCovenant 1 0",
                     "chooseOtherCovenant 9 0", "chooseOtherCovenant 10 0", "addTradeRouteToOffer 3",
                     "addTradeRouteToOffer 4", "addTradeRouteToOffer 5"}));
    EXPECT_EQ(texts("getTradePlayerTreaties").front(), "$$TreatyPeace$$");

    // The candidates by agreement, for the player's side: 1 at war, 2 allied with a route.
    auto candidates = [&](int32_t action, int32_t side) {
        Set("AgreementType", std::to_string(action));
        Set("TradeSide", std::to_string(side));
        return Values(Rows("getCovenantsForAgreement"));
    };
    EXPECT_EQ(candidates(1, 0), Lines{"1"});
    EXPECT_EQ(candidates(9, 0), Lines{"2"});
    EXPECT_EQ(candidates(10, 0), Lines{"2"});
    EXPECT_EQ(candidates(3, 2), (Lines{"1", "2"}));
    // Both parties already fight covenant 1.
    EXPECT_EQ(candidates(2, 2), Lines{"2"});
    EXPECT_EQ(Rows("getCovenantsForAgreement").at(0).name, "Rival 2");
    // Covenant 0's side: it stands at war with 1 only.
    EXPECT_EQ(candidates(1, 1), Lines{"1"});
    EXPECT_TRUE(candidates(10, 1).empty());
    // One already agreed is not offered twice; an eliminated covenant never.
    Set("OtherCovenant", "1");
    Run({"chooseOtherCovenant 3 2", "addAgreementToOffer"});
    EXPECT_EQ(candidates(3, 2), Lines{"2"});
    Mirror(2)->eliminated = true;
    EXPECT_TRUE(candidates(3, 2).empty());

    // In force, as covenant 0 holds them toward the player's.
    EXPECT_TRUE(Rows("getCurrentTreaties").empty());
    Mirror(0)->SetTreatyState(kRivals, CovenantTreaty::Alliance);
    Mirror(0)->SetTradeRouteKind(kRivals, 3);
    EXPECT_EQ(Values(Rows("getCurrentTreaties")), (Lines{"MainTreaty", "TradeRoute"}));
    EXPECT_EQ(Rows("getCurrentTreaties").at(1).name, "$$TradeRouteMedium$$");
}

TEST_F(TradeWindowWorld, AmountRowsShowWhatEachSideHolds)
{
    auto rows = Rows("getTradePlayerAllMoney");
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].name, FormatMoney(50000));
    EXPECT_EQ(Values(rows), (Lines{"ChooseGoldAmount 0", "ChooseInfluenceAmount 0", "ChooseCrystalsAmount 0"}));
    EXPECT_EQ(rows[1].name, "600 $$Influence$$");
    EXPECT_EQ(rows[2].name, "1 $$Crystal$$");
    // Plural endings only where the language adds them.
    EXPECT_EQ(Rows("getTradeOtherCrystals").at(0).name, "30 $$Crystal$$");
    LocSystem loc;
    gLocSystem = &loc;
    rows = Rows("getTradeOtherMoneyInfluence");
    EXPECT_EQ(Rows("getTradePlayerCrystals").at(0).name, "1 $$Crystal$$");
    gLocSystem = nullptr;
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].name, "300 $$Influence$$");
    EXPECT_EQ(rows[1].name, "30 $$Crystal$$s");
    EXPECT_EQ(Values(rows), (Lines{"ChooseInfluenceAmount 1", "ChooseCrystalsAmount 1"}));
    // The chooser menus come from the rows' commands.
    ExecuteCommandLine(rows[0].value);
    EXPECT_EQ(ui.lines.back(), "showMenu ChooseInfluenceAmount");
    EXPECT_EQ(vars.GetStringByName("TradeSide"), "1");

    // The deal's own lists, each of its side; a clause binding both stands in both.
    Set("InfluenceAmount", "1500");
    Run({"chooseInfluenceAmount 0", "addAdventureToOffer"});
    Mirror(kRivals)->statistics.Set(CovenantStat::AbsoluteInfluence, 2000);
    Run({"addInfluenceToOffer"});
    EXPECT_EQ(Values(Rows("getTradePlayerOffer")), (Lines{"removeFromOffer 0", "removeFromOffer 1"}));
    EXPECT_EQ(Rows("getTradePlayerOffer").at(1).name, "1,500 $$Influence$$");
    EXPECT_EQ(Values(Rows("getTradeOtherOffer")), Lines{"removeFromOffer 0"});
    EXPECT_EQ(Rows("getTradeOtherOffer").at(0).name, "$$SharedAdventureTitle$$");
}

// An item on offer, in the goods list and in the deal, carries beside its tooltip what the player
// wears in its place, as the item slots show it.
TEST_F(TradeWindowWorld, AnItemRowIsComparedWithWhatThePlayerWears)
{
    std::unique_ptr<ItemBase> jerkin = std::make_unique<Item>();
    jerkin->SetEntry(gDatabase->FindEntryByName("TestJerkin"));
    hostPlayer->inventory->ResizeBag(InventoryGroupIndex::Bag1, 4);
    ASSERT_TRUE(hostPlayer->inventory->PlaceItem(jerkin, InventoryGroupIndex::Bag1, 0, kPlaceAnyGroup));
    ClientFrame(50);
    ClientFrame(50);
    ASSERT_NE(player->GetInventory().GetItem(InventoryGroupIndex::Bag1, 0), nullptr) << "the mirror has the jerkin";
    auto rows = Rows("getTradePlayerItems");
    ASSERT_EQ(rows.size(), 1u);
    int32_t place = TradeOfferEntry::PackItemPlace(InventoryGroupIndex::Bag1, 0);
    EXPECT_EQ(rows[0].value, StringFormat("addItemToOffer 0 %d", place));
    EXPECT_NE(rows[0].helpText.find("Jerkin"), std::string::npos) << rows[0].helpText;
    EXPECT_EQ(rows[0].extra.rfind("$$CurrentlyEquipped$$", 0), 0u) << rows[0].extra;
    EXPECT_NE(rows[0].extra.find("  $$NoComparisonItem$$"), std::string::npos) << "nothing worn: " << rows[0].extra;

    Run({rows[0].value});
    auto offered = Rows("getTradePlayerOffer");
    ASSERT_EQ(offered.size(), 1u);
    EXPECT_EQ(offered[0].extra, rows[0].extra);
}
