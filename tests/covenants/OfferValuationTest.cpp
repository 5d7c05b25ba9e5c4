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

// A kind whose goods are its inventory's items: the group in the low half of an entry, the slot in the high.
class GoodsCovenant : public PlainCovenant {
public:
    ItemBase* GetStoredItem(int32_t bag, int32_t slot) const override { return inventory->GetItem(bag, slot); }
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
    const int32_t mineAtSlot1 = InventoryGroupIndex::House + (1 << 16);
    const int32_t theirsAtSlot2 = InventoryGroupIndex::House + (2 << 16);
    EXPECT_EQ(::OfferValuation::ItemEntryValue(judge, other, 1, {1, TradeOfferKind::Item, mineAtSlot1}), -50.0f);
    EXPECT_EQ(::OfferValuation::ItemEntryValue(judge, other, 1, {0, TradeOfferKind::Item, theirsAtSlot2}), 150.0f);
    // The goods are looked for with the giver only: gone goods are worth nothing.
    EXPECT_EQ(::OfferValuation::ItemEntryValue(judge, other, 1, {0, TradeOfferKind::Item, mineAtSlot1}), 0.0f);
    EXPECT_EQ(::OfferValuation::ItemEntryValue(judge, other, 1, {1, TradeOfferKind::Item, -1}), 0.0f);
}

TEST_F(OfferValuation, AgreementsBindingTheJudgeCostAndThoseBindingTheOtherMayPay)
{
    GoodsCovenant& judge = AddJudge();
    GoodsCovenant& other = AddJudge();
    GoodsCovenant& third = AddJudge();
    auto agreement = [&](int32_t side, int32_t action, int32_t covenant = 2) {
        return ::OfferValuation::AgreementValue(judge, {side, TradeOfferKind::JointAction, action + (covenant << 16)},
                                                other, 1);
    };
    constexpr int32_t kOwn = 1;
    constexpr int32_t kTheirs = 0;
    // The judge likes the other 80: a bonus of (80 - 60) x 0.5 = 10 softens its own costs.
    judge.SetRelation(other.index, 80.0f);
    EXPECT_FLOAT_EQ(::OfferValuation::AgreementBonus(judge, &other), 10.0f);
    EXPECT_FLOAT_EQ(::OfferValuation::AgreementBonus(judge, nullptr), 0.0f);

    // War on the third while at war with it: (20 - r) x 1.5 below 20, by either side.
    judge.SetTreatyState(third.index, CovenantTreaty::War);
    judge.SetRelation(third.index, 10.0f);
    EXPECT_FLOAT_EQ(agreement(kOwn, TradeOfferAction::JointWar), 15.0f);
    EXPECT_FLOAT_EQ(agreement(kTheirs, TradeOfferAction::JointWar), 15.0f);
    judge.SetRelation(third.index, 25.0f);
    EXPECT_FLOAT_EQ(agreement(kOwn, TradeOfferAction::JointWar), 0.0f);
    // At peace, war costs giving the peace up: 30 - 50 + 10 = -10, never a gain.
    judge.SetTreatyState(third.index, CovenantTreaty::Peace);
    judge.SetRelation(third.index, 50.0f);
    EXPECT_FLOAT_EQ(agreement(kOwn, TradeOfferAction::JointWar), -10.0f);
    judge.SetRelation(third.index, 10.0f);
    EXPECT_FLOAT_EQ(agreement(kTheirs, TradeOfferAction::JointWar), 0.0f);

    // A raid: the raid threshold less the relation, unclamped; nothing from the shared-raid partner.
    judge.SetRelation(third.index, 50.0f);
    EXPECT_FLOAT_EQ(agreement(kOwn, TradeOfferAction::JointRaid), -40.0f);
    judge.raidPartner = other.index;
    EXPECT_FLOAT_EQ(agreement(kTheirs, TradeOfferAction::JointRaid), 0.0f);

    // Peace: the judge's own by the shortfall (10 - 30 + 10); the other's pays above 40.
    judge.SetRelation(third.index, 10.0f);
    EXPECT_FLOAT_EQ(agreement(kOwn, TradeOfferAction::ProposePeace), -10.0f);
    EXPECT_FLOAT_EQ(agreement(kTheirs, TradeOfferAction::ProposePeace), 0.0f);
    judge.SetRelation(third.index, 50.0f);
    EXPECT_FLOAT_EQ(agreement(kTheirs, TradeOfferAction::ProposePeace), 20.0f);

    // Breaking the treaty: the judge's non-aggression pact given up (60 - 70 - 10 + 10); the
    // other's pact broken pays 10 x (30 - 10) / 70 x 2 below 30 only.
    judge.SetTreatyState(third.index, CovenantTreaty::NonAggressionPact);
    judge.SetRelation(third.index, 70.0f);
    EXPECT_FLOAT_EQ(agreement(kOwn, TradeOfferAction::MakePeace), -10.0f);
    other.SetTreatyState(third.index, CovenantTreaty::NonAggressionPact);
    judge.SetRelation(third.index, 10.0f);
    EXPECT_FLOAT_EQ(agreement(kTheirs, TradeOfferAction::MakePeace), 10.0f * (20.0f / 70.0f) * 2.0f);
    judge.SetRelation(third.index, 30.0f);
    EXPECT_FLOAT_EQ(agreement(kTheirs, TradeOfferAction::MakePeace), 0.0f);

    // Breaking a medium route: the judge's own (60 - 70 - 6 + 10); the other's 6 x 30 / 50 x 3 below 50.
    judge.SetTradeRouteKind(third.index, 3);
    judge.SetRelation(third.index, 70.0f);
    EXPECT_FLOAT_EQ(agreement(kOwn, TradeOfferAction::CancelRoute), -6.0f);
    other.SetTradeRouteKind(third.index, 3);
    judge.SetRelation(third.index, 20.0f);
    EXPECT_FLOAT_EQ(agreement(kTheirs, TradeOfferAction::CancelRoute), 6.0f * (30.0f / 50.0f) * 3.0f);

    // Unknown actions and covenants outside the game are worth nothing.
    EXPECT_FLOAT_EQ(agreement(kTheirs, 4), 0.0f);
    EXPECT_FLOAT_EQ(agreement(kTheirs, TradeOfferAction::CancelRoute, 3), 0.0f);
    EXPECT_FLOAT_EQ(agreement(kTheirs, TradeOfferAction::CancelRoute, 0xFFFF), 0.0f);
}

TEST_F(OfferValuation, AnAdventureNeedsMoreLikingForAStrongerOrWeakerLeader)
{
    GoodsCovenant& judge = AddJudge();
    GoodsCovenant& other = AddJudge();
    judge.leaderLevel = 5;
    other.leaderLevel = 7;
    judge.SetRelation(other.index, 60.0f);
    // Two levels higher: 70 + 2 x 2 = 74.
    EXPECT_FLOAT_EQ(::OfferValuation::SharedAdventureValue(judge, other, 0), -14.0f);
    other.leaderLevel = 3;
    // Two lower: 70 + 2 x 3 = 76.
    EXPECT_FLOAT_EQ(::OfferValuation::SharedAdventureValue(judge, other, 0), -16.0f);
    judge.SetRelation(other.index, 80.0f);
    EXPECT_FLOAT_EQ(::OfferValuation::SharedAdventureValue(judge, other, 0), 0.0f);
    judge.SetRelation(other.index, 10.0f);
    EXPECT_FLOAT_EQ(::OfferValuation::SharedAdventureValue(judge, other, 1), 0.0f);
    EXPECT_FLOAT_EQ(::OfferValuation::SharedAdventureValue(judge, other, 2), 0.0f);
}

TEST_F(OfferValuation, ARouteIsWorthHavingWhileTheIncomeOrTheCrystalsBearIt)
{
    GoodsCovenant& judge = AddJudge();
    GoodsCovenant& other = AddJudge();
    for (Covenant* covenant : {static_cast<Covenant*>(&judge), static_cast<Covenant*>(&other)})
        covenant->statistics.Set(CovenantStat::InfluenceWorld, 5000);
    const int32_t base = judge.GetBaseIncome();
    ASSERT_GE(base, 10);
    const int32_t tiny = 1;
    const int32_t small = 2;
    // Income to spare: a small route is welcome.
    EXPECT_TRUE(::OfferValuation::TradeRouteWorthHaving(judge, other, small));
    // Short by 5, which the small route's 5 only makes even: the crystals must bear the route's
    // loss, and a route that never loses costs nothing to bear.
    judge.statistics.Set(CovenantStat::GuardCosts, base + 5);
    EXPECT_FALSE(::OfferValuation::TradeRouteWorthHaving(judge, other, small));
    judge.statistics.Set(CovenantStat::Money, 1);
    EXPECT_TRUE(::OfferValuation::TradeRouteWorthHaving(judge, other, small));
    // A tiny route loses 20 at first, 10 less an hour: 200 crystals over ten pay steps an hour,
    // half of which must be in hand.
    judge.statistics.Set(CovenantStat::Money, 100);
    EXPECT_FALSE(::OfferValuation::TradeRouteWorthHaving(judge, other, tiny));
    judge.statistics.Set(CovenantStat::Money, 101);
    EXPECT_TRUE(::OfferValuation::TradeRouteWorthHaving(judge, other, tiny));
    // The route in force (paying 5) is replaced, not added to: its income leaves the sum.
    judge.statistics.Set(CovenantStat::Money, 0);
    judge.SetTradeRouteKind(other.index, small);
    judge.statistics.Set(CovenantStat::GuardCosts, base + 7);
    EXPECT_EQ(judge.GetCrystalIncome(), -2);
    EXPECT_FALSE(::OfferValuation::TradeRouteWorthHaving(judge, other, small));
    judge.statistics.Set(CovenantStat::GuardCosts, base + 4);
    EXPECT_TRUE(::OfferValuation::TradeRouteWorthHaving(judge, other, small));
}

TEST_F(OfferValuation, TheAmountSearchesFindTheLeastAmountALinearSearchFinds)
{
    GoodsCovenant& judge = AddJudge();
    GoodsCovenant& giver = AddJudge();
    std::mt19937 random(33);
    int32_t answered = 0;
    auto draw = [&](int32_t low, int32_t high) { return std::uniform_int_distribution<int32_t>(low, high)(random); };
    for (int32_t round = 0; round < 1000; ++round) {
        bool crystals = round % 2 == 0;
        bool own = draw(0, 1) == 1;
        int32_t side = draw(0, 1);
        int32_t target = draw(0, 3);
        judge.statistics.Set(CovenantStat::Money, draw(0, 1500));
        judge.statistics.Set(CovenantStat::InfluenceWorld, draw(0, 1500));
        giver.statistics.Set(CovenantStat::Money, draw(-50, 4000));
        giver.statistics.Set(CovenantStat::InfluenceWorld, draw(0, 4000));
        Offer offer;
        for (int32_t i = draw(0, 3); i > 0; --i)
            offer.entries.push_back({draw(0, 1), crystals ? TradeOfferKind::CovenantMoney : TradeOfferKind::Influence,
                                     draw(0, 400)});
        int64_t available = crystals ? giver.statistics.Get(CovenantStat::Money) : giver.GetTotalInfluence();
        for (const OfferEntry& entry : offer.entries)
            available -= entry.side == side ? entry.value : 0;
        int32_t expected = -1;
        for (int32_t amount = 0; amount <= available && expected == -1; ++amount) {
            float value = crystals ? ::OfferValuation::CrystalsValue(judge, amount, own)
                                   : ::OfferValuation::InfluenceValue(judge, amount, own);
            if (std::fabs(value) >= static_cast<float>(target))
                expected = amount;
        }
        int32_t found = crystals ? ::OfferValuation::FindCrystalAmount(giver, offer, judge, own, target, side)
                                 : ::OfferValuation::FindInfluenceAmount(giver, offer, judge, own, target, side);
        ASSERT_EQ(found, expected) << "round " << round;
        answered += found > 0 ? 1 : 0;
    }
    // The cases are no walk-over: most ask for a real amount.
    EXPECT_GT(answered, 500);
}

TEST_F(OfferValuation, TheSearchesAnswerNoneForTooLittleOrLessThanNothing)
{
    GoodsCovenant& judge = AddJudge();
    GoodsCovenant& giver = AddJudge();
    // 1000 crystals held by the judge: 100 received are worth 0.2, 200 worth 0.2 + 0.1 x 2 ...
    judge.statistics.Set(CovenantStat::Money, 1000);
    giver.statistics.Set(CovenantStat::Money, 100);
    EXPECT_EQ(::OfferValuation::FindCrystalAmount(giver, Offer{}, judge, false, 1, 0), -1);
    giver.statistics.Set(CovenantStat::Money, 100000);
    int32_t enough = ::OfferValuation::FindCrystalAmount(giver, Offer{}, judge, false, 1, 0);
    ASSERT_GT(enough, 0);
    // Only the whole stock reaches the target: the whole stock is the answer.
    giver.statistics.Set(CovenantStat::Money, enough);
    EXPECT_EQ(::OfferValuation::FindCrystalAmount(giver, Offer{}, judge, false, 1, 0), enough);
    // What the offer already promises on the side is not there to give.
    Offer promised;
    promised.entries = {{0, TradeOfferKind::CovenantMoney, 1}};
    EXPECT_EQ(::OfferValuation::FindCrystalAmount(giver, promised, judge, false, 1, 0), -1);
    EXPECT_EQ(::OfferValuation::FindCrystalAmount(giver, promised, judge, false, 1, 1), enough);
    // A stock below nothing answers none, even for a target of nothing.
    giver.statistics.Set(CovenantStat::Money, -5);
    EXPECT_EQ(::OfferValuation::FindCrystalAmount(giver, Offer{}, judge, false, 0, 0), -1);
    giver.statistics.Set(CovenantStat::InfluenceWorld, 3);
    promised.entries = {{0, TradeOfferKind::Influence, 4}};
    EXPECT_EQ(::OfferValuation::FindInfluenceAmount(giver, promised, judge, false, 0, 0), -1);

    EXPECT_EQ(::OfferValuation::GetLeaderMoney(giver), 0);
    auto* leader = Spawn<Sentient>(0.0f, 0.0f);
    leader->stats.Set(CharacterStat::Money, 321);
    giver.leader = leader;
    EXPECT_EQ(::OfferValuation::GetLeaderMoney(giver), 321);
}

} // namespace OfferValuationTests
