// CovenantBaseTest -- Covenant base: relation clamps and slots, treaty and route stamps with their notices, war and pact queries, income and strength.
#include "core/ColorCode.h"
#include "core/ColorSystem.h"
#include "core/MessageBuffer.h"
#include "rules/RulesEnums.h"
#include "rules/covenants/CovenantBase.h"
#include "rules/covenants/CovenantDefinition.h"
#include "rules/covenants/DiplomacyText.h"
#include "rules/monsters/RecordWorld.h"

#include <cmath>

namespace {

// Influence levels every 100 points; each level above 1 pays 10 crystals. A small route starts
// 5 in debt and gains 10 an hour, up to half the smaller base income.
const char* kCovenantBaseTuning = R"(BaseXpNeededEachLevel 100
TaxMult 10
TradeRouteSmallStart -5
TradeRouteSmallIncreasePerHour 10
TradeRouteSmallMaxPercent 0.5
PowerWeightHouse 2
PowerWeightAbsoluteInfluence 0.5
PowerWeightPeople 1)";

const std::string kCovenantBaseRecords = RecordWorld::Records({
    "Rival: Type Covenant; Name \"$$Rival$$\"; Color Orange",
    "Masked: Type Covenant; SecondName \"The Masked\"",
    "Bold: Type CovenantTrait",
    "Sly: Type CovenantTrait",
});

class TestCovenant : public CovenantBase {
public:
    void OnWarStarted(int32_t other) override { warNotices.push_back(other); }
    void OnCovenantHook(int32_t other) override { routeNotices.push_back(other); }

    std::vector<int32_t> warNotices;
    std::vector<int32_t> routeNotices;
    const CovenantBase* partner = nullptr;
    int32_t partnerIndex = -1;
    TimeStamp now;

protected:
    const CovenantBase* GetPartner(int32_t other) const override { return other == partnerIndex ? partner : nullptr; }
    TimeStamp GetGameTime() const override { return now; }
};

class Covenants : public RecordWorld {
protected:
    Covenants() { LoadRecords(kCovenantBaseTuning, kCovenantBaseRecords); }

    TestCovenant covenant;
};

TimeStamp Stamp(int32_t days, int32_t hours)
{
    TimeStamp stamp;
    stamp.days = days;
    stamp.hours = hours;
    return stamp;
}

} // namespace

TEST_F(Covenants, RelationsStayWithinTheirBoundsAndSlots)
{
    covenant.SetRelation(3, 150.0f);
    EXPECT_EQ(covenant.GetRelation(3), 100.0f);
    covenant.AddRelation(3, -40.5f);
    EXPECT_EQ(covenant.GetRelation(3), 59.5f);
    covenant.AddRelation(3, -100.0f);
    EXPECT_EQ(covenant.GetRelation(3), 0.0f);
    covenant.SetRelation(3, 20.0f);
    covenant.SetRelation(3, std::nanf(""));
    EXPECT_EQ(covenant.GetRelation(3), 20.0f);
    // The treaty word as a mirror receives it: stored as it stands, the stamp kept, a word
    // naming no treaty refused.
    covenant.SetTreaty(3, CovenantTreaty::Peace, Stamp(2, 3));
    for (auto [word, expected] : {std::pair{uint32_t{CovenantTreaty::War}, CovenantTreaty::War},
                                  {7u, CovenantTreaty::War}, {0xFFFFFFFFu, CovenantTreaty::War},
                                  {uint32_t{CovenantTreaty::Alliance}, CovenantTreaty::Alliance}}) {
        covenant.SetRelationWord(3, word);
        EXPECT_EQ(covenant.GetTreatyState(3), expected) << word;
    }
    EXPECT_EQ(covenant.GetTreatyTimeStamp(3).hours, 3);
    EXPECT_EQ(covenant.GetRelation(3), 20.0f);  // the relation value is another word
    covenant.SetRelation(3, 20.0f);
    EXPECT_TRUE(covenant.HasRelation(0));  // slots below a made one exist too

    EXPECT_TRUE(covenant.EnsureRelationSlots(kMaxCovenants - 1));
    EXPECT_FALSE(covenant.EnsureRelationSlots(kMaxCovenants));
    for (int32_t outside : {-1, kMaxCovenants, INT32_MIN}) {
        covenant.SetRelation(outside, 70.0f);
        covenant.SetTreaty(outside, CovenantTreaty::War, Stamp(1, 1));
        covenant.SetTradeRouteKind(outside, TradeRouteType::Huge);
        EXPECT_FALSE(covenant.HasRelation(outside));
        EXPECT_EQ(covenant.GetRelation(outside), 0.0f);
        EXPECT_EQ(covenant.GetTreatyState(outside), CovenantTreaty::Peace);
        EXPECT_EQ(covenant.GetTradeRouteKind(outside), 0);
    }
    EXPECT_TRUE(covenant.warNotices.empty());
    EXPECT_TRUE(covenant.routeNotices.empty());
}

TEST_F(Covenants, TreatyAndRouteStampsAndNotices)
{
    covenant.SetTreaty(2, CovenantTreaty::Alliance, Stamp(4, 5));
    EXPECT_EQ(covenant.GetTreatyState(2), CovenantTreaty::Alliance);
    EXPECT_EQ(covenant.GetTreatyTimeStamp(2).hours, 5);
    EXPECT_TRUE(covenant.warNotices.empty());

    covenant.SetTreatyState(2, CovenantTreaty::Alliance);  // no change: stamp kept, no notice
    EXPECT_EQ(covenant.GetTreatyTimeStamp(2).days, 4);
    covenant.SetTreatyState(2, CovenantTreaty::War);
    EXPECT_EQ(covenant.GetTreatyTimeStamp(2).days, 0);
    EXPECT_EQ(covenant.warNotices, std::vector<int32_t>{2});
    covenant.SetTreatyState(2, CovenantTreaty::GiveBribe);  // no treaty state: refused
    covenant.SetTreatyState(2, -1);
    EXPECT_EQ(covenant.GetTreatyState(2), CovenantTreaty::War);
    EXPECT_EQ(covenant.warNotices.size(), 1u);

    covenant.SetTradeRoute(5, TradeRouteType::Small, Stamp(2, 3));
    EXPECT_EQ(covenant.GetTradeRouteKind(5), TradeRouteType::Small);
    EXPECT_EQ(covenant.GetRelationTimeStamp(5).hours, 3);
    covenant.SetTradeRouteKind(5, TradeRouteType::Small);
    EXPECT_EQ(covenant.GetRelationTimeStamp(5).days, 2);
    covenant.SetTradeRouteKind(5, TradeRouteType::None);
    EXPECT_EQ(covenant.GetRelationTimeStamp(5).days, 0);
    EXPECT_EQ(covenant.routeNotices, std::vector<int32_t>{5});
    covenant.SetTradeRouteKind(5, TradeRouteType::kCount);
    EXPECT_EQ(covenant.routeNotices.size(), 1u);
}

TEST_F(Covenants, WarAndPactQueries)
{
    covenant.index = 1;
    int32_t expectWar[] = {0, 0, 1, 1, 0, 0, 0};
    int32_t expectPact[] = {0, 0, 0, 0, 1, 1, 1};
    for (int32_t treaty = CovenantTreaty::None; treaty <= CovenantTreaty::Alliance; ++treaty) {
        covenant.SetTreaty(4, treaty, TimeStamp());
        covenant.SetTreaty(1, treaty, TimeStamp());
        EXPECT_EQ(covenant.IsAtWarWith(4), expectWar[treaty] == 1) << treaty;
        EXPECT_EQ(covenant.HasPactWith(4), expectPact[treaty] == 1) << treaty;
        EXPECT_FALSE(covenant.IsAtWarWith(1));  // never with itself
    }
    covenant.SetTreaty(4, CovenantTreaty::Raid, TimeStamp());
    covenant.eliminated = true;
    EXPECT_FALSE(covenant.IsAtWarWith(4));
    EXPECT_FALSE(covenant.HasPactWith(9));  // no record: Peace
}

TEST_F(Covenants, IncomeFromInfluenceRoutesAndGuards)
{
    EXPECT_EQ(covenant.GetBaseIncome(), 0);  // no influence: level 1
    covenant.statistics.Set(CovenantStat::InfluenceAdventure, 150);
    covenant.statistics.Set(CovenantStat::InfluenceWorld, 100);
    EXPECT_EQ(covenant.GetTotalInfluence(), 250);
    EXPECT_EQ(covenant.GetBaseIncome(), 20);  // level 3

    TestCovenant partner;
    partner.statistics.Set(CovenantStat::InfluenceCompetition, 450);  // level 5: 40
    covenant.partner = &partner;
    covenant.partnerIndex = 6;
    covenant.now = Stamp(1, 1);
    covenant.SetTradeRoute(6, TradeRouteType::Small, Stamp(1, 0));   // an hour old: -5 + 10
    covenant.SetTradeRoute(8, TradeRouteType::Small, Stamp(0, 0));   // no partner there: nothing
    EXPECT_EQ(covenant.GetTradeRouteIncome(20, 6, TradeRouteType::Small, Stamp(1, 0)), 5);
    EXPECT_EQ(covenant.GetTradeRouteIncome(20, 6, TradeRouteType::Small, Stamp(0, 0)), 10);  // capped: half of 20
    EXPECT_EQ(covenant.GetTradeRouteIncome(20, 8, TradeRouteType::Small, Stamp(0, 0)), 0);
    EXPECT_EQ(covenant.GetTradeRouteIncome(20, 6, 99, Stamp(0, 0)), 0);
    covenant.statistics.Set(CovenantStat::GuardCosts, 30);
    EXPECT_EQ(covenant.GetTotalTaxes(), 20 + 5);
    EXPECT_EQ(covenant.GetCrystalIncome(), 20 + 5 - 30);

    // A fresh route, younger than its debt, costs; a partner without income caps it at 0.
    covenant.now = Stamp(1, 0);
    EXPECT_EQ(covenant.GetCrystalIncome(), 20 - 5 - 30);
    partner.statistics.Set(CovenantStat::InfluenceCompetition, 0);
    covenant.now = Stamp(2, 0);
    EXPECT_EQ(covenant.GetCrystalIncome(), 20 + 0 - 30);
}

// A rival without a name of its own carries its record's name; the messages that name it must
// still show the record's words, never that name.
TEST_F(Covenants, AnUnnamedCovenantIsNamedInMessagesByItsDefinitionsWords)
{
    covenant.SetDefinitionByName("rival");
    EXPECT_EQ(covenant.GetDisplayName(), "$$Rival$$");
    covenant.name = covenant.GetDefinitionName();  // as the host sends it
    EXPECT_EQ(covenant.GetDisplayName(), "$$Rival$$");
    EXPECT_EQ(DiplomacyText::CovenantLine(covenant),
              MakeColorCode(ColorType::Orange) + "$$Rival$$" + MakeColorCode(kNormalTextColor));
    covenant.name = "Redhand";
    EXPECT_EQ(covenant.GetDisplayName(), "Redhand");
}

TEST_F(Covenants, StrengthRoundsHalvesUp)
{
    covenant.statistics.Set(CovenantStat::House, 1);
    covenant.statistics.Set(CovenantStat::AbsoluteInfluence, 1);
    EXPECT_EQ(covenant.ComputeStrength(), 3);  // 2.5
    covenant.statistics.Set(CovenantStat::People, 4);
    covenant.statistics.Set(CovenantStat::Items, 1000);  // no weight
    EXPECT_EQ(covenant.ComputeStrength(), 7);
}

TEST_F(Covenants, NamesAndColourComeFromTheDefinition)
{
    covenant.SetDefinitionByName("rival");
    EXPECT_EQ(covenant.GetDefinitionIndex(), 0);
    EXPECT_EQ(covenant.GetName(), "Rival");
    EXPECT_EQ(covenant.GetColor(), ColorType::Orange);
    covenant.name = "Redhand";
    EXPECT_EQ(covenant.GetDisplayName(), "Redhand");
    covenant.SetDefinitionIndex(1);
    EXPECT_EQ(covenant.GetDisplayName(), "The Masked");

    covenant.SetDefinitionIndex(2);  // past the list
    EXPECT_EQ(covenant.GetDefinitionIndex(), -1);
    EXPECT_EQ(covenant.GetColor(), 0);
    EXPECT_EQ(covenant.GetDefinitionName(), "");
    EXPECT_EQ(CountErrors(), 1);
}

TEST_F(Covenants, DiplomacyTextsNameCovenantsTreatiesRoutesAndRelationBands)
{
    covenant.SetDefinitionByName("Rival");
    covenant.name = "Redhand";
    EXPECT_EQ(DiplomacyText::CovenantLine(covenant), MakeColorCode(ColorType::Orange) + "Redhand" + MakeColorCode(145));
    EXPECT_EQ(DiplomacyText::Treaty(CovenantTreaty::MutualProtectionPact), "$$TreatyMutualProtectionPact$$");
    EXPECT_EQ(DiplomacyText::Treaty(CovenantTreaty::kCount), "");
    EXPECT_EQ(DiplomacyText::TradeRoute(TradeRouteType::Huge), "$$TradeRouteHuge$$");
    EXPECT_EQ(DiplomacyText::TradeRoute(-1), "");
    const std::pair<float, const char*> bands[] = {
        {-5.0f, "Hostile"}, {19.99f, "Hostile"}, {20.0f, "Wary"},      {59.9f, "Neutral"},
        {60.0f, "Cordial"}, {80.0f, "Devoted"},  {100.0f, "Devoted"}, {std::nanf(""), "Hostile"},
    };
    for (auto [value, word] : bands)
        EXPECT_EQ(DiplomacyText::MoodDescription(value), std::string("$$Mood") + word + "$$") << value;
    covenant.SetRelation(7, 65.0f);
    EXPECT_EQ(DiplomacyText::MoodDescription(covenant, 7), "$$MoodCordial$$");
    EXPECT_EQ(DiplomacyText::MoodDescription(covenant, kMaxCovenants), "$$MoodHostile$$");
}

// The trait list travels without its count; positions naming no trait of the game read as empty.
TEST_F(Covenants, TraitIdsTravelAsAWordListAndCountOnlyKnownTraits)
{
    EXPECT_EQ(covenant.GetTraitCount(), 0);
    covenant.traitIds.Set(0, 1);
    covenant.traitIds.Set(2, 0);
    covenant.traitIds.Set(3, 9);  // no such trait
    MessageBuffer buffer;
    covenant.traitIds.WriteValues(buffer);
    EXPECT_EQ(buffer.Size(), 4u * kMaxCovenantTraits);
    TestCovenant mirror;
    ASSERT_TRUE(mirror.traitIds.ReadValues(buffer));
    EXPECT_EQ(mirror.GetTraitCount(), 2);
    const int32_t expected[] = {1, -1, 0, -1};
    for (int32_t position = -1; position <= kMaxCovenantTraits; ++position) {
        bool inside = position >= 0 && position < kMaxCovenantTraits;
        EXPECT_EQ(mirror.GetTraitId(position), inside ? expected[position] : -1) << position;
    }
}
