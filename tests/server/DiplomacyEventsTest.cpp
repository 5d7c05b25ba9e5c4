// DiplomacyEventsTest -- treaty changes, trade routes and raids on the real game: both sides written, the follow-ups, the broadcasts and the exact announcement lines.
#include "server/GameWorld.h"
#include "server/SpyCovenant.h"

#include "entities/Sentient.h"

#include "core/LocSystem.h"
#include "rules/covenants/DiplomacyText.h"
#include "support/LogLines.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace {

// Writes what the game told it into the shared log.
class ToldCovenant : public SpyCovenant {
public:
    explicit ToldCovenant(std::vector<std::string>* told) : told(told) {}

    void OnTreatyCancelled(Covenant& first, Covenant& second) override { Tell("pact off", first, second); }
    void OnTradeRouteCancelled(Covenant& first, Covenant& second, int32_t) override { Tell("route off", first, second); }
    void MakePeace(Covenant& other) override { Tell("peace", *this, other); }
    void OnWarDeclaredOn(Covenant& declarer) override { Tell("war from", declarer, *this); }
    void OnRaidStarted(Covenant& raider) override { Tell("raided by", raider, *this); }
    void StopRaid() override { told->push_back(std::to_string(index) + " stop raid"); }

private:
    void Tell(const std::string& what, const Covenant& first, const Covenant& second)
    {
        told->push_back(std::to_string(index) + " " + what + " " + std::to_string(first.index) + " " +
                        std::to_string(second.index));
    }

    std::vector<std::string>* told;
};

class DiplomacyEvents : public GameWorld {
protected:
    DiplomacyEvents()
    {
        player = Spawn<Sentient>(100.0f, 100.0f);
        game->SetPlayers({player});
        for (int32_t i = 0; i < 4; ++i)
            Add("C" + std::to_string(i));
        player->covenantIndex = 0;
    }

    ToldCovenant* Add(const std::string& name)
    {
        auto covenant = std::make_unique<ToldCovenant>(&told);
        covenant->name = name;
        ToldCovenant* raw = covenant.get();
        game->AddCovenant(std::move(covenant));
        list.push_back(raw);
        return raw;
    }

    ToldCovenant& C(int32_t index) { return *list[static_cast<size_t>(index)]; }
    static std::string Line(const Covenant& covenant) { return DiplomacyText::CovenantLine(covenant); }
    int32_t State(int32_t a, int32_t b) { return C(a).GetTreatyState(b); }
    // The state both ways, or -1 when the two sides differ.
    int32_t Both(int32_t a, int32_t b) { return State(a, b) == State(b, a) ? State(a, b) : -1; }
    void Set(int32_t a, int32_t b, int32_t treaty)
    {
        C(a).SetTreaty(b, treaty, TimeStamp());
        C(b).SetTreaty(a, treaty, TimeStamp());
    }
    std::vector<std::string> Messages() const
    {
        std::vector<std::string> out;
        for (const std::string& line : game->GetClientLines())
            if (line.rfind("msg ", 0) == 0)
                out.push_back(line);
        return out;
    }
    void Forget()
    {
        told.clear();
        game->GetClientLines().clear();
    }

    Sentient* player = nullptr;
    std::vector<ToldCovenant*> list;
    std::vector<std::string> told;
};

using DiplomacyLines = std::vector<std::string>;

} // namespace

// ---- Treaty changes -------------------------------------------------------------------------------

TEST_F(DiplomacyEvents, AWarOnThePlayerIsTheirOwnNewsAndTheRouteGoes)
{
    game->SetTradeRoute(&C(1), &C(0), 2, true);
    Forget();
    game->AnnounceDiplomacy(1, 0, CovenantTreaty::War, false);
    EXPECT_EQ(Both(1, 0), CovenantTreaty::War);
    EXPECT_EQ(C(1).GetTradeRouteKind(0), 0);
    EXPECT_EQ(C(0).GetTradeRouteKind(1), 0);
    std::string war = MakeLocToken("XDeclaresWarOnY", "%s %s %s", Line(C(1)).c_str(), "$$TreatyWar$$",
                                   Line(C(0)).c_str());
    std::string route = MakeLocToken("XCancelledYTradeRouteWithZ", "%s %s %s", Line(C(1)).c_str(),
                                     DiplomacyText::TradeRoute(2).c_str(), Line(C(0)).c_str());
    EXPECT_EQ(Messages(), (DiplomacyLines{"msg 2 \"" + war + "\"", "msg 3 \"" + route + "\""}));
    EXPECT_EQ(told, (DiplomacyLines{"0 route off 1 0", "1 route off 1 0", "2 route off 1 0", "3 route off 1 0",
                           "0 war from 1 0"}));
    EXPECT_FALSE(game->HasLeftStartLevel());
}

TEST_F(DiplomacyEvents, TheExactLineOfAWarBetweenOthers)
{
    game->AnnounceDiplomacy(2, 3, CovenantTreaty::War, false);
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0], "msg 3 \"$$XDeclaresWarOnY~<" + Line(C(2)) + "@@$$TreatyWar$$@@" + Line(C(3)) +
                                 "@@>~$$\"");
}

TEST_F(DiplomacyEvents, ThePlayerActingStartsTheGame)
{
    game->AnnounceDiplomacy(0, 1, CovenantTreaty::NonAggressionPact, true);
    EXPECT_TRUE(game->HasLeftStartLevel());
}

TEST_F(DiplomacyEvents, AWarOnARaiderStaysAQuietRaid)
{
    C(2).targetCovenant = 1;
    game->AnnounceDiplomacy(1, 2, CovenantTreaty::War, false);
    EXPECT_EQ(Both(1, 2), CovenantTreaty::Raid);
    EXPECT_TRUE(Messages().empty());
    // The war's follow-up still runs.
    EXPECT_EQ(told, (DiplomacyLines{"2 war from 1 2"}));
}

TEST_F(DiplomacyEvents, AStateBothSidesHoldChangesAndSaysNothing)
{
    Set(1, 2, CovenantTreaty::Alliance);
    game->AnnounceDiplomacy(1, 2, CovenantTreaty::Alliance, false);
    EXPECT_TRUE(Messages().empty());
    EXPECT_TRUE(told.empty());
    // One side differing is a change.
    C(2).SetTreaty(1, CovenantTreaty::Peace, TimeStamp());
    game->AnnounceDiplomacy(1, 2, CovenantTreaty::Alliance, false);
    EXPECT_EQ(Both(1, 2), CovenantTreaty::Alliance);
    EXPECT_EQ(Messages().size(), 1u);
}

TEST_F(DiplomacyEvents, PeaceEndingAnAllianceCancelsTheTreaty)
{
    Set(1, 2, CovenantTreaty::Alliance);
    game->AnnounceDiplomacy(1, 2, CovenantTreaty::Peace, false);
    std::string line = MakeLocToken("XCancelledTreatyWithY", "%s %s %s", Line(C(1)).c_str(), "$$TreatyAlliance$$",
                                    Line(C(2)).c_str());
    EXPECT_EQ(Messages(), (DiplomacyLines{"msg 3 \"" + line + "\""}));
    EXPECT_EQ(told, (DiplomacyLines{"0 pact off 1 2", "1 pact off 1 2", "2 pact off 1 2", "3 pact off 1 2", "1 peace 1 2",
                           "2 peace 2 1"}));
}

TEST_F(DiplomacyEvents, PlainPeaceIsDeclared)
{
    Set(1, 2, CovenantTreaty::War);
    game->AnnounceDiplomacy(1, 2, CovenantTreaty::Peace, false);
    std::string line = MakeLocToken("XAndYDeclarePeace", "%s %s", Line(C(1)).c_str(), Line(C(2)).c_str());
    EXPECT_EQ(Messages(), (DiplomacyLines{"msg 3 \"" + line + "\""}));
    EXPECT_EQ(told, (DiplomacyLines{"1 peace 1 2", "2 peace 2 1"}));
}

TEST_F(DiplomacyEvents, PactsAndAlliancesAreSignedInTheirOwnWords)
{
    game->AnnounceDiplomacy(2, 3, CovenantTreaty::MutualProtectionPact, false);
    game->AnnounceDiplomacy(1, 3, CovenantTreaty::Alliance, false);
    game->AnnounceDiplomacy(1, 2, CovenantTreaty::None, false);
    std::string pact = MakeLocToken("XAndYHaveSignedZTreaty", "%s %s %s", Line(C(2)).c_str(), Line(C(3)).c_str(),
                                    "$$TreatyMutualProtectionPact$$");
    std::string alliance = MakeLocToken("XAndYHaveForgedAnAlliance", "%s %s %s", Line(C(1)).c_str(),
                                        Line(C(3)).c_str(), "$$TreatyAlliance$$");
    EXPECT_EQ(Messages(), (DiplomacyLines{"msg 3 \"" + pact + "\"", "msg 3 \"" + alliance + "\""}));
    EXPECT_EQ(Both(1, 2), CovenantTreaty::None);
}

TEST_F(DiplomacyEvents, ASilentChangeStillFollowsUp)
{
    Set(1, 2, CovenantTreaty::Alliance);
    game->AnnounceDiplomacy(3, 1, CovenantTreaty::War, true);
    EXPECT_EQ(Both(3, 1), CovenantTreaty::War);
    // The ally honours its treaty against the declarer, quietly declared but announced as honoured.
    EXPECT_EQ(Both(2, 3), CovenantTreaty::War);
    std::string honour = MakeLocToken("DeclareWarHonorTreaty", "%s %s %s %s %s", Line(C(2)).c_str(),
                                      "$$TreatyAlliance$$", Line(C(1)).c_str(), "$$TreatyWar$$", Line(C(3)).c_str());
    EXPECT_EQ(Messages(), (DiplomacyLines{"msg 3 \"" + honour + "\""}));
}

TEST_F(DiplomacyEvents, AMutualProtectionPactTurnsOnThePartnersRaider)
{
    C(3).targetCovenant = 2;
    game->AnnounceDiplomacy(1, 2, CovenantTreaty::MutualProtectionPact, true);
    // 1 goes to war with the raider of its partner, and the partner, protected by 1, answers the
    // raider's war on 1 with one of its own, which stays the raid it already is.
    EXPECT_EQ(Both(3, 1), CovenantTreaty::War);
    EXPECT_EQ(Both(3, 2), CovenantTreaty::Raid);
}

TEST_F(DiplomacyEvents, AProtectorOfTheRaiderIsSpared)
{
    C(3).targetCovenant = 2;
    Set(1, 3, CovenantTreaty::Alliance);
    game->AnnounceDiplomacy(1, 2, CovenantTreaty::MutualProtectionPact, true);
    EXPECT_EQ(Both(3, 1), CovenantTreaty::Alliance);
}

TEST_F(DiplomacyEvents, AnAllianceTakesUpItsPartnersWars)
{
    Set(3, 2, CovenantTreaty::War);
    game->AnnounceDiplomacy(1, 2, CovenantTreaty::Alliance, true);
    EXPECT_EQ(Both(3, 1), CovenantTreaty::War);
    EXPECT_EQ(Both(1, 2), CovenantTreaty::Alliance);
}

TEST_F(DiplomacyEvents, AnAllianceWebOfThirtyTwoEnds)
{
    for (int32_t i = 4; i < kMaxCovenants; ++i)
        Add("C" + std::to_string(i));
    for (int32_t a = 1; a < kMaxCovenants; ++a)
        for (int32_t b = a + 1; b < kMaxCovenants; ++b)
            Set(a, b, (a + b) % 3 == 0 ? CovenantTreaty::Alliance : CovenantTreaty::MutualProtectionPact);
    game->AnnounceDiplomacy(1, 2, CovenantTreaty::War, false);
    EXPECT_EQ(Both(1, 2), CovenantTreaty::War);
    EXPECT_EQ(CountLinesHolding(debug, "nest deeper"), 0);
    for (int32_t a = 1; a < kMaxCovenants; ++a)
        for (int32_t b = a + 1; b < kMaxCovenants; ++b)
            EXPECT_NE(Both(a, b), -1) << a << " " << b;
}

TEST_F(DiplomacyEvents, BadIndicesAndTheDestroyedAreSilentlyIgnored)
{
    C(2).eliminated = true;
    const std::vector<std::pair<int32_t, int32_t>> pairs = {{-1, 1}, {1, -1}, {1, 1}, {1, 2}, {2, 1}, {1, 99},
                                                            {INT32_MIN, INT32_MAX}};
    for (auto [a, b] : pairs)
        game->AnnounceDiplomacy(a, b, CovenantTreaty::War, false);
    game->AnnounceDiplomacy(1, 3, 99, false);
    game->AnnounceDiplomacy(1, 3, -1, false);
    game->StartRaid(1, 1);
    game->StartRaid(-1, 3);
    game->StopRaid(7, 3);
    game->AnnounceLifestone(2, 0.1f);
    game->AnnounceLifestone(40, 0.1f);
    game->SetTradeRoute(&C(1), &C(2), 3, false);
    game->SetTradeRoute(nullptr, &C(1), 3, false);
    EXPECT_TRUE(Messages().empty());
    EXPECT_TRUE(told.empty());
    EXPECT_EQ(State(1, 3), CovenantTreaty::Peace);
    EXPECT_EQ(C(1).GetTradeRouteKind(2), 0);
}

// ---- Trade routes ---------------------------------------------------------------------------------

TEST_F(DiplomacyEvents, ARouteOpensOnceAndKeepsItsStart)
{
    game->SetTradeRoute(&C(0), &C(1), 3, false);
    std::string line = MakeLocToken("XAndYStartZTradeRoute", "%s %s %s", Line(C(0)).c_str(), Line(C(1)).c_str(),
                                    DiplomacyText::TradeRoute(3).c_str());
    EXPECT_EQ(Messages(), (DiplomacyLines{"msg 2 \"" + line + "\""}));
    EXPECT_EQ(C(1).GetTradeRouteKind(0), 3);
    TimeStamp start = C(0).GetRelationTimeStamp(1);
    Step(40);
    ASSERT_NE(game->GetElapsed().seconds, start.seconds);
    game->SetTradeRoute(&C(1), &C(0), 3, false);
    EXPECT_EQ(Messages().size(), 1u);
    EXPECT_EQ(C(0).GetRelationTimeStamp(1).seconds, start.seconds);
    EXPECT_TRUE(told.empty());
}

TEST_F(DiplomacyEvents, CancellingNoRouteDoesNothingVisible)
{
    game->SetTradeRoute(&C(1), &C(2), 0, false);
    EXPECT_TRUE(Messages().empty());
    EXPECT_TRUE(told.empty());
}

// ---- Raids ----------------------------------------------------------------------------------------

TEST_F(DiplomacyEvents, ARaidIsAnnouncedAndFollowedByWar)
{
    game->StartRaid(2, 0);
    EXPECT_EQ(Both(2, 0), CovenantTreaty::Raid);
    std::string line = MakeLocToken("XIsRaidingY", "%s %s", Line(C(2)).c_str(), Line(C(0)).c_str());
    EXPECT_EQ(Messages(), (DiplomacyLines{"msg 2 \"" + line + "\""}));
    EXPECT_EQ(told, (DiplomacyLines{"0 raided by 2 0", "0 war from 2 0"}));
}

TEST_F(DiplomacyEvents, StoppingARaidLeavesWar)
{
    C(2).targetCovenant = 3;
    game->StartRaid(2, 3);
    Forget();
    game->StopRaid(2, 3);
    EXPECT_EQ(C(2).targetCovenant, -1);
    EXPECT_EQ(Both(2, 3), CovenantTreaty::War);
    std::string stop = MakeLocToken("XHasStoppedRaidingY", "%s %s", Line(C(2)).c_str(), Line(C(3)).c_str());
    std::string war = MakeLocToken("XDeclaresWarOnY", "%s %s %s", Line(C(2)).c_str(), "$$TreatyWar$$",
                                   Line(C(3)).c_str());
    EXPECT_EQ(Messages(), (DiplomacyLines{"msg 3 \"" + stop + "\"", "msg 3 \"" + war + "\""}));
    EXPECT_EQ(told, (DiplomacyLines{"3 war from 2 3", "2 stop raid", "3 stop raid"}));
    // Stopping again: no raid, no word.
    Forget();
    game->StopRaid(2, 3);
    EXPECT_TRUE(Messages().empty());
}

// ---- Lifestones, broadcasts, netting and resets -----------------------------------------------------

TEST_F(DiplomacyEvents, LifestoneWarningsByBand)
{
    for (float fraction : {0.5f, 1.0f, 0.25f, 0.4999f, 0.2499f, 0.0f})
        game->AnnounceLifestone(1, fraction);
    std::string threat = "msg 3 \"" + Line(C(1)) + " $$CovenantsLifestoneIsThreatened$$\"";
    std::string danger = "msg 3 \"" + Line(C(1)) + " $$CovenantsLifestoneInDanger$$\"";
    EXPECT_EQ(Messages(), (DiplomacyLines{threat, threat, danger, danger}));
}

TEST_F(DiplomacyEvents, NettingCancelsWhatBothSidesGiveFirstEntriesFirst)
{
    TradeOffer offer;
    offer.entries = {{0, 1, 30}, {1, 1, 50}, {0, 1, 40}, {2, 6, 5}, {0, 6, 9}, {1, 8, 4}, {0, 3, 10}, {1, 3, 10},
                     {0, 8, -5}, {1, 1, 0}};
    Game::NetTradeOffer(offer);
    // Influence: 70 against 50 leaves 20 on the giver's second entry; money: 9 against 5 (side 2
    // counts with the second party); crystals: nothing against 4; pacts untouched.
    std::vector<TradeOfferEntry> expected = {{0, 1, 0},  {1, 1, 0},  {0, 1, 20}, {2, 6, 0}, {0, 6, 4},
                                             {1, 8, 4},  {0, 3, 10}, {1, 3, 10}, {0, 8, -5}, {1, 1, 0}};
    EXPECT_EQ(offer.entries, expected);
}

TEST_F(DiplomacyEvents, AResetCovenantMakesPeaceAndDropsRoutesQuietly)
{
    Set(1, 0, CovenantTreaty::War);
    Set(1, 3, CovenantTreaty::Alliance);
    game->SetTradeRoute(&C(1), &C(2), 2, true);
    Forget();
    game->SetPeaceWithAll(1);
    game->ClearTradeRoutesOfAll(1);
    for (int32_t other : {0, 2, 3}) {
        EXPECT_EQ(Both(1, other), CovenantTreaty::Peace);
        EXPECT_EQ(C(1).GetTradeRouteKind(other), 0);
        EXPECT_EQ(C(other).GetTradeRouteKind(1), 0);
    }
    EXPECT_TRUE(Messages().empty());
    EXPECT_TRUE(told.empty());
}

TEST_F(DiplomacyEvents, AFallenCovenantIsLeftAtPeaceWithAllAndItsRoutesEnd)
{
    Set(1, 0, CovenantTreaty::War);
    Set(1, 3, CovenantTreaty::Alliance);
    game->SetTradeRoute(&C(1), &C(2), 2, true);
    C(1).Eliminate(nullptr, false, false);
    EXPECT_TRUE(C(1).eliminated);
    for (int32_t other : {0, 2, 3}) {
        EXPECT_EQ(Both(1, other), CovenantTreaty::Peace) << other;
        EXPECT_EQ(C(1).GetTradeRouteKind(other), 0) << other;
        EXPECT_EQ(C(other).GetTradeRouteKind(1), 0) << other;
    }
}
