// OfferValuationTest -- a covenant's worth of a deal: the capped curve and its end on bad data, influence and crystals by whose they are, money, goods, treaties, routes, adventures, agreements about a third covenant and the amount searches.
#include "covenants/CovenantWorld.h"
#include "covenants/OfferValuation.h"

#include "rules/covenants/CovenantDefinition.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <map>
#include <random>

namespace OfferValuationTests {

// Round values, so that each case's figure can be worked by hand.
constexpr const char* kValuationRecords = R"(
CovenantJudge
{
    Type Covenant
    Name "$$CovenantJudge$$"
    GenericValueChunkPercent 0.1
    RelationChangeMultMyInfluence 5
    RelationChangeMultTheirInfluence 5
    RelationChangeInfluenceMaxPerTrade 3
    MinComparisionInfluenceNumKills 10
    RelationChangeMultMyCrystals 4
    RelationChangeMultTheirCrystals 2
    RelationChangeCrystalsMaxPerTrade 10
    MinComparisionCrystals 100
    RelationForPeaceTreatyAverage 30
    RelationForNonAggresionPact 60
    RelationForMutualProtectionPact 75
    RelationForAlliance 90
    RelationChangeMinSignedPeaceTreaty 4
    RelationChangeMaxSignedPeaceTreaty 4
    RelationChangeMinSignedNonAggressionPact 6
    RelationChangeMaxSignedNonAggressionPact 8
    RelationChangeMinSignedMutualProtectionPact 10
    RelationChangeMaxSignedMutualProtectionPact 10
    RelationChangeMinSignedAlliance 12
    RelationChangeMaxSignedAlliance 12
    RelationChangeCancelledTreaty 0
    RelationChangeCancelledTreaty -5
    RelationChangeCancelledTreaty 0
    RelationChangeCancelledTreaty 0
    RelationChangeCancelledTreaty -10
    RelationChangeCancelledTreaty -15
    RelationChangeCancelledTreaty -25
    RelationChangeCancelledTradeRoute 0
    RelationChangeCancelledTradeRoute -2
    RelationChangeCancelledTradeRoute -4
    RelationChangeCancelledTradeRoute -6
    RelationChangeCancelledTradeRoute -8
    RelationChangeCancelledTradeRoute -10
    RelationForTradeRoute 100
    RelationForTradeRoute 50
    RelationForTradeRoute 55
    RelationForTradeRoute 60
    RelationForTradeRoute 65
    RelationForTradeRoute 70
    RelationChangeTradeRouteStart 0
    RelationChangeTradeRouteStart 1
    RelationChangeTradeRouteStart 2
    RelationChangeTradeRouteStart 3
    RelationChangeTradeRouteStart 4
    RelationChangeTradeRouteStart 5
    RelationChangeTradeRouteVariance 0.5
    RelationForAdventure 70
    RelationForAdventureMin 55
    RelationForAdventureChangeHigherLevel 2
    RelationForAdventureChangeLowerLevel 3
    RelationForAgreementWar 20
    AgreementWarMult 1.5
    RelationForAgreementPeace 40
    AgreementPeaceMult 2
    RelationForAgreementBreakTreaty 30
    RelationForAgreementBreakTrade 50
    AgreementBreakTreatyMultNonAggressionPact 2
    AgreementBreakTradeMultMedium 3
    AgreementBonusMinRelation 60
    AgreementBonusMult 0.5
    RelationStartRaidAverage 10
    CrystalsPercentNeededForTradeRoute 0.5
}
)";

// Tax 10 a covenant level (a level each 1000 influence past the first), and three route kinds:
// Tiny starts at a loss of 20 and gains 10 an hour, Small pays 5 at once, Medium 50 capped at
// half the base.
constexpr const char* kValuationTuning = "    MaxInfluence 1000000\n    HardGoalEachLevel 2\n    EasyGoalEachLevel 0.5\n"
                                         "    TaxPeriod 360\n    TaxMult 10\n    LevelFactor 1\n    MaxLevel 50\n"
                                         "    TradeRouteTinyStart -20\n    TradeRouteTinyMaxPercent 1\n"
                                         "    TradeRouteTinyIncreasePerHour 10\n    TradeRouteSmallStart 5\n"
                                         "    TradeRouteSmallMaxPercent 1\n    TradeRouteMediumStart 50\n"
                                         "    TradeRouteMediumMaxPercent 0.5\n    MinSellPercent 0.5\n"
                                         "    MaxSellPercent 0.5\n    MinSellPercentPrice 1\n";

// A kind whose goods are the house group's items, addressed by slot and group.
class GoodsCovenant : public PlainCovenant {
public:
    ItemBase* GetStoredItem(int32_t slot, int32_t bag) const override { return inventory->GetItem(bag, slot); }
    bool IsSharedRaidPartner(int32_t other) const override { return other == raidPartner; }

    int32_t raidPartner = -1;
};

// The fixture takes the suite's name; the functions under test are reached as ::OfferValuation.
class OfferValuation : public CovenantWorld {
protected:
    OfferValuation()
    {
        std::string records = kActorRecords;
        const std::string head = "GameSystem\n{\n";
        records.insert(records.find(head) + head.size(), kValuationTuning);
        LoadRecords(records + kCovenantRecords + kValuationRecords);
    }

    GoodsCovenant& AddJudge() { return AddCovenantOf<GoodsCovenant>("CovenantJudge"); }

    // The judge's chunk percent, as a definition could give it.
    static void SetChunkPercent(const Covenant& covenant, float percent)
    {
        const_cast<CovenantDefinition*>(covenant.GetDefinition())->genericValueChunkPercent = percent;
    }
};

TEST_F(OfferValuation, ChunksOfTheGrowingStockAreWorthLessAndLess)
{
    GoodsCovenant& judge = AddJudge();
    // Chunks of 100 and 110 worth 0.5 each, then 40 of 1210 worth 5 x 40 / 1210.
    EXPECT_EQ(::OfferValuation::DiminishingValue(judge, 250, 1000, 0, 5.0f, 100.0f), 1.1652893f);
    EXPECT_EQ(::OfferValuation::DiminishingValue(judge, 100, 1000, 0, 5.0f, 100.0f), 0.5f);
    EXPECT_EQ(::OfferValuation::DiminishingValue(judge, 250, 1000, 0, 5.0f, 1.0f), 1.0f);
    // The minimum stands in for a smaller stock.
    EXPECT_EQ(::OfferValuation::DiminishingValue(judge, 250, 10, 1000, 5.0f, 100.0f), 1.1652893f);
    // The same amount is worth less against a greater stock.
    EXPECT_LT(::OfferValuation::DiminishingValue(judge, 200, 50000, 0, 5.0f, 100.0f),
              ::OfferValuation::DiminishingValue(judge, 200, 2000, 0, 5.0f, 100.0f));
    // Nothing is worth nothing, or the cap when the cap is below it.
    EXPECT_EQ(::OfferValuation::DiminishingValue(judge, 0, 1000, 0, 5.0f, 100.0f), 0.0f);
    EXPECT_EQ(::OfferValuation::DiminishingValue(judge, -40, 1000, 0, 5.0f, -2.0f), -2.0f);
}

TEST_F(OfferValuation, TheWalkEndsWhateverThePercentOrTheStock)
{
    GoodsCovenant& judge = AddJudge();
    // A stock of nothing or less has no share to count against.
    EXPECT_EQ(::OfferValuation::DiminishingValue(judge, 500, 0, 0, 5.0f, 100.0f), 0.0f);
    EXPECT_EQ(::OfferValuation::DiminishingValue(judge, 500, -300, -10, 5.0f, 100.0f), 0.0f);
    // Percents that make empty chunks value the whole amount as one fraction of the stock.
    for (float percent : {0.0f, 1e-9f, -0.1f, std::numeric_limits<float>::quiet_NaN()}) {
        SetChunkPercent(judge, percent);
        EXPECT_EQ(::OfferValuation::DiminishingValue(judge, 500, 1000, 0, 4.0f, 100.0f), 2.0f) << percent;
        EXPECT_EQ(::OfferValuation::DiminishingValue(judge, 500, 1000, 0, 4.0f, 1.5f), 1.5f) << percent;
    }
    // Single-unit chunks over a huge amount end too, within the cap.
    SetChunkPercent(judge, 1e-6f);
    float value = ::OfferValuation::DiminishingValue(judge, std::numeric_limits<int32_t>::max(), 1000000, 0, 1.0f, 50.0f);
    EXPECT_TRUE(std::isfinite(value));
    EXPECT_LE(value, 50.0f);
    EXPECT_GT(value, 0.0f);
}

TEST_F(OfferValuation, InfluenceAndCrystalsAreCountedAgainstTheJudgesOwnStock)
{
    GoodsCovenant& judge = AddJudge();
    GoodsCovenant& other = AddJudge();
    // Level 1: the influence minimum is 100 x 10 kills = 1000; the judge holds less.
    judge.statistics.Set(CovenantStat::InfluenceWorld, 400);
    EXPECT_EQ(::OfferValuation::InfluenceValue(judge, 100, false), 0.5f);
    // Received influence is capped by the definition, given influence only at 10000.
    EXPECT_EQ(::OfferValuation::InfluenceValue(judge, 100000, false), 3.0f);
    float given = ::OfferValuation::InfluenceValue(judge, 100000, true);
    EXPECT_LT(given, -3.0f);
    EXPECT_GE(given, -::OfferValuation::kOwnGoodsCap);
    // A higher leader raises the minimum: level 2 doubles it to 2000, so 100 is a smaller share.
    judge.leaderLevel = 2;
    EXPECT_LT(::OfferValuation::InfluenceValue(judge, 100, false), 0.5f);
    judge.leaderLevel = 1;

    // Crystals count the stock of crystals and the guards' worth, never the other's.
    judge.statistics.Set(CovenantStat::Money, 900);
    PutInHouse(judge, "GuardWrit", 0);
    PutInHouse(judge, "RelicWhole", 4);
    other.statistics.Set(CovenantStat::Money, 5);
    // 1000 held: a chunk of 100 is 0.1 x 2 (received) or 0.1 x 4 (given).
    EXPECT_FLOAT_EQ(::OfferValuation::CrystalsValue(judge, 100, false), 0.2f);
    EXPECT_FLOAT_EQ(::OfferValuation::CrystalsValue(judge, 100, true), -0.4f);
    EXPECT_EQ(::OfferValuation::CrystalsValue(judge, 1000000, false), 10.0f);
}

TEST_F(OfferValuation, AnOfferSumsWhatTheJudgeGetsAndWhatItGives)
{
    GoodsCovenant& judge = AddJudge();
    GoodsCovenant& other = AddJudge();
    judge.SetRelation(other.index, 30.0f);
    Offer offer;
    offer.entries = {{0, TradeOfferKind::LeaderMoney, 500},
                     {1, TradeOfferKind::LeaderMoney, 200},
                     {2, TradeOfferKind::Peace, 0},
                     {1, 0, 99},
                     {1, 12, 99}};
    // Judged by the receiver (side 1): it gets 500, gives 200; peace at relation 30 is enough.
    ::OfferValuation::Worth receiver = ::OfferValuation::ValueOffer(judge, other, 1, ::OfferValuation::kModeJudge, offer);
    EXPECT_EQ(receiver.gain, 500.0f);
    EXPECT_EQ(receiver.give, 200.0f);
    // Judged by the sender (side 0) the money runs the other way.
    ::OfferValuation::Worth sender = ::OfferValuation::ValueOffer(judge, other, 0, ::OfferValuation::kModeJudge, offer);
    EXPECT_EQ(sender.gain, 200.0f);
    EXPECT_EQ(sender.give, 500.0f);
    // Peace short of its threshold is a cost.
    judge.SetRelation(other.index, 25.0f);
    EXPECT_EQ(::OfferValuation::ValueOffer(judge, other, 1, ::OfferValuation::kModeJudge, offer).give, 205.0f);
    EXPECT_EQ(::OfferValuation::ValueOffer(judge, other, 1, ::OfferValuation::kModeJudge, Offer{}).gain, 0.0f);
    // A side-2 shared adventure carried out is worth nothing either way.
    Offer adventure;
    adventure.entries = {{2, TradeOfferKind::SharedAdventure, 0}};
    ::OfferValuation::Worth done = ::OfferValuation::ValueOffer(judge, other, 1, ::OfferValuation::kModeCarriedOut, adventure);
    EXPECT_EQ(done.gain, 0.0f);
    EXPECT_EQ(done.give, 0.0f);
}

TEST_F(OfferValuation, GoodsAreValuedFromTheirGiversStore)
{
    GoodsCovenant& judge = AddJudge();
    GoodsCovenant& other = AddJudge();
    PutInHouse(judge, "GuardWrit", 1);        // worth 100, traded at 0.5
    PutInHouse(other, "GuardWritDear", 2);    // worth 300
    const int32_t mineAtSlot1 = 1 + (InventoryGroupIndex::House << 16);
    const int32_t theirsAtSlot2 = 2 + (InventoryGroupIndex::House << 16);
    EXPECT_EQ(::OfferValuation::ItemEntryValue(judge, other, 1, {1, TradeOfferKind::Item, mineAtSlot1}), -50.0f);
    EXPECT_EQ(::OfferValuation::ItemEntryValue(judge, other, 1, {0, TradeOfferKind::Item, theirsAtSlot2}), 150.0f);
    // The goods are looked for with the giver only: gone goods are worth nothing.
    EXPECT_EQ(::OfferValuation::ItemEntryValue(judge, other, 1, {0, TradeOfferKind::Item, mineAtSlot1}), 0.0f);
    EXPECT_EQ(::OfferValuation::ItemEntryValue(judge, other, 1, {1, TradeOfferKind::Item, -1}), 0.0f);
}

} // namespace OfferValuationTests
