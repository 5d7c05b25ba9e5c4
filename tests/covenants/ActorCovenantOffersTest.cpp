// ActorCovenantOffersTest -- a rival's offers: resends and withdrawal, every balancing and answer code, the weighted draw, answers only to the offer it holds, what a deal carried out does to its relations, the item-buy walk and its goods handed over.
#include "covenants/ActorCovenantWorld.h"
#include "covenants/OfferValuation.h"
#include "rules/RulesEnums.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

int32_t PackPlace(int32_t bag, int32_t slot)
{
    return bag | (slot << 16);
}

} // namespace

// The other party, its goods its leader's as a player's covenant's are: it keeps what it is told.
class OfferSpy : public PlainCovenant {
public:
    ItemBase* GetStoredItem(int32_t bag, int32_t slot) const override
    {
        const auto* carrier = dynamic_cast<const Sentient*>(leader);
        return carrier && carrier->inventory ? carrier->inventory->GetItem(bag, slot) : nullptr;
    }
    struct Result {
        Offer offer;
        bool accepted = false;
        int32_t response = 0;
    };
    void ReceiveOffer(Covenant&, const Offer& offer) override { received.push_back(offer); }
    void OnOfferAnswered(Covenant&, const Offer& offer, bool accepted, int32_t response) override
    {
        results.push_back({offer, accepted, response});
    }
    void OnOfferResult(Covenant&, int32_t response) override { told.push_back(response); }
    void OnOfferExpired(Covenant&) override { ++expired; }
    void DescribeRelationChange(const Covenant*, float change) override { described.push_back(change); }
    bool IsPlayerCovenant() const override { return playerCovenant; }

    std::vector<Offer> received;
    std::vector<Result> results;
    std::vector<int32_t> told;
    std::vector<float> described;
    int32_t expired = 0;
    bool playerCovenant = false;
};

class CovenantOffers : public ActorCovenantWorld {
protected:
    static constexpr const char* kTraderRecords = R"(
CovenantTrader
{
    Type Covenant
    Name "$$CovenantTrader$$"
    LifestoneHealthMult 2
    MinDifficultyModifier 1
    MaxDifficultyModifier 1
    StartNumRecruitsPerLevel 1
    StartRecruitMinLevelPercent 1
    StartRecruitMaxLevelPercent 1
    AdventureTypeTime 100
    PositiveRelationMultAverage 1
    NegativeRelationMultAverage 1
    RelationChangeMinTradeIgnored -3
    RelationChangeMaxTradeIgnored -3
    RelationChangeMinDemandRejected -2
    RelationChangeMaxDemandRejected -2
    RelationChangeMinDemand -1
    RelationChangeMaxDemand -1
    RelationChangeMinDemandOfFriend -4
    RelationChangeMaxDemandOfFriend -4
    RelationChangeMinTradeWithEnemy -6
    RelationChangeMaxTradeWithEnemy -6
    RelationChangeEqualTrade 0.5
    RelationChangeDemandAcceptedMult 2
    MinComparisionGold 1000
    RelationChangePersistentTradeExtraMult 10
    RelationChangePersistentTradeMult 5
    RelationChangeCrapItemsMult 0.5
    MaxRelationChangePersistentTrade 10
    GiftChanceCrystals 0
    GiftChanceInfluence 1
    DemandChanceCrystals 1
    TradeChanceItem 1
    TradeAdvantage 1.25
    TradeAdditionPercent 0.5
    GenericValueChunkPercent 0.1
    RelationChangeMultMyCrystals 1
    RelationChangeMultTheirCrystals 1
    RelationChangeCrystalsMaxPerTrade 100
    MinComparisionCrystals 100
    TotalTradeChance 1
    GiftChanceStartX 0
    GiftChanceStartY 1
    GiftChanceEndX 100
    GiftChanceEndY 1
    GiftChanceWithPlayer 1
}
CovenantSpy
{
    Type Covenant
    Name "$$CovenantSpy$$"
    PositiveRelationMultAverage 1
    NegativeRelationMultAverage 1
}
)";

    CovenantOffers()
    {
        LoadRivalRecords(kTraderRecords);
        host.homePosition = At(1000.0f, 1000.0f);
        rival = &AddRival("CovenantTrader");
        rival->Start(2, 1);
        spy = &AddCovenantOf<OfferSpy>("CovenantSpy");
        spyLeader = SpawnActor("MonsterTester", 5, 3000.0f, 3000.0f);
        spy->leader = spyLeader;
        for (Covenant* covenant : {static_cast<Covenant*>(rival), static_cast<Covenant*>(spy)})
            covenant->EnsureRelationSlots(2);
        rival->SetRelation(spy->index, 50.0f);
        SetLeaderMoney(*rival, 1000);
    }

    static void SetLeaderMoney(Covenant& covenant, int32_t money)
    {
        dynamic_cast<Sentient*>(covenant.GetLeader())->stats.Set(CharacterStat::Money, money);
    }

    static Offer Deal(std::vector<OfferEntry> entries, int32_t type = ActorCovenant::kTradeOffer)
    {
        Offer offer;
        offer.entries = std::move(entries);
        offer.type = type;
        offer.itemsOnly = offer.HoldsOnlyGoods();
        return offer;
    }

    // A goods item in the rival's goods bag, at the slot.
    ItemBase* Stock(int32_t slot, const char* record = "Trinket")
    {
        std::unique_ptr<ItemBase> item = FakeCovenantHost::MakeItem(record);
        ItemBase* raw = item.get();
        EXPECT_TRUE(rival->inventory->PlaceItem(item, ActorCovenant::kGoodsBag, slot, kPlaceAnyGroup));
        return raw;
    }

    float Relation() const { return rival->GetRelation(spy->index); }

    const OfferSpy::Result& LastResult() const { return spy->results.back(); }

    ActorCovenant* rival = nullptr;
    OfferSpy* spy = nullptr;
    Actor* spyLeader = nullptr;
};

// ---- Pending offers -----------------------------------------------------------------------------------

TEST_F(CovenantOffers, AnUnansweredOfferIsResentFourTimesAMinuteApartThenWithdrawnAsIgnored)
{
    rival->SendOffer(*spy, Deal({{0, TradeOfferKind::LeaderMoney, 5}}));
    ASSERT_EQ(spy->received.size(), 1u);
    ASSERT_NE(rival->GetPendingOffer(spy->index), nullptr);
    rival->UpdatePendingOffers(59.0f);
    EXPECT_EQ(spy->received.size(), 1u);
    for (int32_t resend = 1; resend <= 4; ++resend) {
        rival->UpdatePendingOffers(resend == 1 ? 1.0f : 60.0f);
        EXPECT_EQ(spy->received.size(), static_cast<size_t>(1 + resend));
    }
    EXPECT_EQ(spy->expired, 0);
    rival->UpdatePendingOffers(60.0f);
    EXPECT_EQ(spy->received.size(), 5u);
    EXPECT_EQ(spy->expired, 1);
    EXPECT_EQ(rival->GetPendingOffer(spy->index), nullptr);
    // A trade ignored costs the ignored roll alone.
    EXPECT_FLOAT_EQ(Relation(), 47.0f);
    // Nothing more is sent once the offer is gone.
    rival->UpdatePendingOffers(600.0f);
    EXPECT_EQ(spy->received.size(), 5u);
}

TEST_F(CovenantOffers, AWithdrawnDemandCostsItsOwnRollAndAnEmptyOfferIsNeverSent)
{
    rival->SendOffer(*spy, Deal({}));
    EXPECT_TRUE(spy->received.empty());
    rival->SendOffer(*spy, Deal({{1, TradeOfferKind::LeaderMoney, 5}}, ActorCovenant::kDemandOffer));
    rival->WithdrawOffer(spy->index, false);
    EXPECT_FLOAT_EQ(Relation(), 48.0f);
    EXPECT_EQ(spy->expired, 1);
    // Withdrawing nothing does nothing.
    rival->WithdrawOffer(spy->index, true);
    EXPECT_EQ(spy->expired, 1);
    EXPECT_FLOAT_EQ(Relation(), 48.0f);
}

TEST_F(CovenantOffers, OnlyTheTermsItHoldsAreCarriedOutAndTheAnswerEndsTheOffer)
{
    Offer offer = Deal({{0, TradeOfferKind::LeaderMoney, 5}, {1, TradeOfferKind::LeaderMoney, 3}});
    rival->SendOffer(*spy, offer);
    Offer changed = offer;
    changed.entries[1].value = 0;
    rival->OnOfferAnswered(*spy, changed, true, 8);
    EXPECT_TRUE(std::none_of(host.calls.begin(), host.calls.end(), [](const std::string& call) { return call.rfind("execute", 0) == 0; }));
    EXPECT_NE(rival->GetPendingOffer(spy->index), nullptr);
    EXPECT_TRUE(spy->told.empty());

    rival->OnOfferAnswered(*spy, offer, true, 8);
    EXPECT_EQ(host.calls.back(), "execute 0 1 2");
    EXPECT_EQ(rival->GetPendingOffer(spy->index), nullptr);
    EXPECT_EQ(spy->told, std::vector<int32_t>{8});
    // A second answer finds nothing pending.
    rival->OnOfferAnswered(*spy, offer, true, 8);
    EXPECT_EQ(spy->told.size(), 1u);
}

TEST_F(CovenantOffers, ARefusedDemandCostsTheRelationAndTheOtherHearsIt)
{
    rival->SendOffer(*spy, Deal({{1, TradeOfferKind::LeaderMoney, 5}}, ActorCovenant::kDemandOffer));
    rival->OnOfferAnswered(*spy, spy->received.back(), false, 11);
    EXPECT_FLOAT_EQ(Relation(), 48.0f);
    EXPECT_EQ(spy->described, std::vector<float>{-2.0f});
    EXPECT_EQ(spy->told, std::vector<int32_t>{11});
}

// ---- Answers to offers received -------------------------------------------------------------------------

TEST_F(CovenantOffers, PlainOffersAreAnsweredByWhatEachSideGives)
{
    using Entries = std::vector<OfferEntry>;
    struct Case {
        Entries entries;
        int32_t type;
        bool accepted;
        int32_t answer;
    };
    const Case cases[] = {
        {{{0, 6, 100}}, ActorCovenant::kTradeOffer, true, kAnswerTradeAccepted},
        {{{1, 6, 100}}, ActorCovenant::kTradeOffer, false, kAnswerTradeRefused},
        {{{1, 6, 0}}, ActorCovenant::kDemandOffer, true, kAnswerDemandMet},
        {{{0, 6, 5}}, ActorCovenant::kGiftOffer, true, kAnswerGiftAccepted},
        {{{1, 6, 5}}, ActorCovenant::kGiftOffer, false, kAnswerTradeRefused},
        // Any other type is never accepted: 2 when even, 3 within a fifth, else 4.
        {{{0, 6, 100}, {1, 6, 100}}, 7, false, kAnswerBalanced},
        {{{0, 6, 100}, {1, 6, 119}}, 7, false, kAnswerClose},
        {{{0, 6, 100}, {1, 6, 121}}, 7, false, kAnswerRefused},
    };
    for (const Case& c : cases) {
        rival->ReceiveOffer(*spy, Deal(c.entries, c.type));
        ASSERT_FALSE(spy->results.empty());
        EXPECT_EQ(LastResult().accepted, c.accepted) << c.type << " " << c.entries.back().value;
        EXPECT_EQ(LastResult().response, c.answer) << c.type << " " << c.entries.back().value;
    }
    EXPECT_FLOAT_EQ(Relation(), 50.0f);
}

TEST_F(CovenantOffers, ARefusedDemandLowersTheRelationOnce)
{
    rival->ReceiveOffer(*spy, Deal({{1, 6, 100}}, ActorCovenant::kDemandOffer));
    EXPECT_EQ(LastResult().response, kAnswerDemandRefused);
    EXPECT_FALSE(LastResult().accepted);
    EXPECT_FLOAT_EQ(Relation(), 49.0f);
    EXPECT_EQ(spy->described, std::vector<float>{-1.0f});
}

TEST_F(CovenantOffers, AnOfferItsGiverCannotHonourIsRefusedAndChangesNothing)
{
    // Goods that are not there, a negative sum, a refused acceptance test.
    rival->ReceiveOffer(*spy, Deal({{0, 7, PackPlace(InventoryGroupIndex::Bag1, 0)}}));
    EXPECT_EQ(LastResult().response, kAnswerTradeRefused);
    rival->ReceiveOffer(*spy, Deal({{0, 6, -5}}, 7));
    EXPECT_EQ(LastResult().response, kAnswerRefused);
    host.refuseOffers = true;
    rival->ReceiveOffer(*spy, Deal({{1, 6, 100}}, ActorCovenant::kDemandOffer));
    EXPECT_EQ(LastResult().response, kAnswerTradeRefused);
    EXPECT_FALSE(LastResult().accepted);
    // Not even a refused demand moves the relation.
    EXPECT_FLOAT_EQ(Relation(), 50.0f);
    // An empty offer is no offer: nothing is answered.
    size_t answered = spy->results.size();
    rival->ReceiveOffer(*spy, Deal({}));
    EXPECT_EQ(spy->results.size(), answered);
}

TEST_F(CovenantOffers, ACounterOfferComesBackBalancedFromTheOthersSideAndIsNeverAccepted)
{
    // The spy gives 10; the rival pays back what 10 is worth to it over 1.2.
    rival->ReceiveOffer(*spy, Deal({{0, 6, 10}}, ActorCovenant::kCounterOffer));
    EXPECT_FALSE(LastResult().accepted);
    EXPECT_EQ(LastResult().response, kAnswerBalanced);
    std::vector<OfferEntry> expected = {{0, 6, 10}, {1, 6, 8}};
    EXPECT_EQ(LastResult().offer.entries, expected);
}

// ---- Balancing ----------------------------------------------------------------------------------------

TEST_F(CovenantOffers, GoodsOnlyBalancingPaysInMoneyOrGoods)
{
    Offer empty;
    EXPECT_EQ(rival->BalanceOffer(*spy, empty, 1.0f), kAnswerEmpty);

    // The rival gives 100: the other's leader pays, when it can.
    SetLeaderMoney(*spy, 50);
    Offer give = Deal({{0, 6, 100}});
    EXPECT_EQ(rival->BalanceOffer(*spy, give, 1.0f), kAnswerOtherCannotPay);
    EXPECT_EQ(give.entries.size(), 1u);
    SetLeaderMoney(*spy, 200);
    EXPECT_EQ(rival->BalanceOffer(*spy, give, 1.0f), kAnswerBalanced);
    EXPECT_EQ(give.entries.back(), (OfferEntry{1, 6, 100}));
    EXPECT_TRUE(give.itemsOnly);

    // Even already.
    Offer even = Deal({{0, 6, 10}, {1, 6, 10}});
    EXPECT_EQ(rival->BalanceOffer(*spy, even, 1.0f), kAnswerEven);

    // The rival gets 100: it pays from its money; the factor weighs what it gets down.
    Offer get = Deal({{1, 6, 100}});
    EXPECT_EQ(rival->BalanceOffer(*spy, get, 1.25f), kAnswerBalanced);
    EXPECT_EQ(get.entries.back(), (OfferEntry{0, 6, 80}));
}

TEST_F(CovenantOffers, AShortPurseAddsTheDearestAffordableGoodsAndTheRestInMoney)
{
    ItemBase* cheap = Stock(0);
    Stock(3, "Relic3");
    auto value = static_cast<int32_t>(std::ceil(rival->GetItemTradeValue(*cheap, true)));
    ASSERT_GT(value, 0);
    ASSERT_LT(value, 100);
    SetLeaderMoney(*rival, 100 - value);
    Offer get = Deal({{1, 6, 100}});
    EXPECT_EQ(rival->BalanceOffer(*spy, get, 1.0f), kAnswerBalanced);
    std::vector<OfferEntry> expected = {{1, 6, 100}, {0, 7, PackPlace(ActorCovenant::kGoodsBag, 0)}, {0, 6, 100 - value}};
    EXPECT_EQ(get.entries, expected);

    // Too little money for the rest, or no goods worth paying with: 18.
    SetLeaderMoney(*rival, 100 - value - 1);
    Offer poorer = Deal({{1, 6, 100}});
    EXPECT_EQ(rival->BalanceOffer(*spy, poorer, 1.0f), kAnswerCannotPay);
    rival->inventory->DeleteAt(ActorCovenant::kGoodsBag, 0);
    Offer bare = Deal({{1, 6, 100}});
    EXPECT_EQ(rival->BalanceOffer(*spy, bare, 1.0f), kAnswerCannotPay);
}

TEST_F(CovenantOffers, OtherDealsArePaidInCrystalsOrRefusedWhenNoneCanPay)
{
    // A peace entry the spy gives is worth its shortfall to the rival: nothing here, so even.
    Offer peace = Deal({{1, TradeOfferKind::CovenantMoney, 0}, {2, TradeOfferKind::SharedAdventure, 0}});
    EXPECT_EQ(rival->BalanceOffer(*spy, peace, 1.0f), kAnswerBalanced);
    EXPECT_EQ(peace.entries.size(), 2u);
    EXPECT_FALSE(peace.itemsOnly);

    // The rival gives crystals; the spy has nothing to pay with.
    rival->statistics.Set(CovenantStat::Money, 20000);
    Offer crystals = Deal({{0, TradeOfferKind::CovenantMoney, 20000}});
    OfferValuation::Worth worth = OfferValuation::ValueOffer(*rival, *spy, 0, 0, crystals);
    ASSERT_GT(worth.give, 0.0f);
    EXPECT_EQ(rival->BalanceOffer(*spy, crystals, 1.0f), kAnswerOtherCannotPay);
    // With crystals of its own the spy pays enough of them to close the gap.
    spy->statistics.Set(CovenantStat::Money, 100000);
    EXPECT_EQ(rival->BalanceOffer(*spy, crystals, 1.0f), kAnswerBalanced);
    ASSERT_EQ(crystals.entries.size(), 2u);
    EXPECT_EQ(crystals.entries[1].side, 1);
    EXPECT_EQ(crystals.entries[1].kind, TradeOfferKind::CovenantMoney);
    worth = OfferValuation::ValueOffer(*rival, *spy, 0, 0, crystals);
    EXPECT_GE(worth.gain, worth.give - 1.0f);
}

// ---- Composing -----------------------------------------------------------------------------------------

TEST_F(CovenantOffers, ACandidateOfNoWeightIsNeverDrawn)
{
    rival->statistics.Set(CovenantStat::Money, 5000);
    rival->statistics.Set(CovenantStat::InfluenceAdventure, 5000);
    for (int32_t draw = 0; draw < 10000; ++draw) {
        OfferEntry entry;
        ASSERT_TRUE(rival->ComposeOffer(*spy, false, true, entry));
        // Crystals weigh 0 as a gift; influence, 4 to 6 per cent of it, is all a gift can be.
        ASSERT_EQ(entry.kind, TradeOfferKind::Influence);
        ASSERT_EQ(entry.side, 0);
        ASSERT_GE(entry.value, 200);
        ASSERT_LE(entry.value, 300);
    }
}

TEST_F(CovenantOffers, TheFirstPlayersCovenantIsOfferedGiftsByItsOwnChance)
{
    spy->playerCovenant = true;
    spy->player = SpawnActor("MonsterTester", 5, 3100.0f, 3000.0f);
    host.firstPlayer = spy->player;
    ASSERT_TRUE(spy->IsFirstPlayersCovenant());
    rival->statistics.Set(CovenantStat::InfluenceAdventure, 5000);

    rival->MakeOffer(spy->index);
    ASSERT_EQ(spy->received.size(), 1u);
    EXPECT_EQ(spy->received[0].type, ActorCovenant::kGiftOffer);
    ASSERT_EQ(spy->received[0].entries.size(), 1u);
    EXPECT_EQ(spy->received[0].entries[0].kind, TradeOfferKind::Influence);
    EXPECT_NE(rival->GetPendingOffer(spy->index), nullptr);
}

TEST_F(CovenantOffers, NothingIsComposedFromNothing)
{
    OfferEntry entry;
    // A demand on a covenant without crystals or influence, a gift from one without them, a
    // trade without goods: no candidate.
    EXPECT_FALSE(rival->ComposeOffer(*spy, true, false, entry));
    EXPECT_FALSE(rival->ComposeOffer(*spy, false, true, entry));
    EXPECT_FALSE(rival->ComposeOffer(*spy, false, false, entry));
    // Goods are named where they lie.
    Stock(4);
    ASSERT_TRUE(rival->ComposeOffer(*spy, false, false, entry));
    EXPECT_EQ(entry, (OfferEntry{0, 7, PackPlace(ActorCovenant::kGoodsBag, 4)}));
    spy->statistics.Set(CovenantStat::Money, 100);
    ASSERT_TRUE(rival->ComposeOffer(*spy, true, false, entry));
    EXPECT_EQ(entry.side, 1);
    EXPECT_EQ(entry.kind, TradeOfferKind::CovenantMoney);
    EXPECT_GE(entry.value, 4);
    EXPECT_LE(entry.value, 6);
}

// ---- Deals carried out -------------------------------------------------------------------------------------

TEST_F(CovenantOffers, AGoodsDealMovesTheRelationByItsShareOfTheOthersWorth)
{
    // The rival (second) gets 100 and gives 60, against a worth of 1000: 40 / 1000 x 10 + 60 /
    // 1000 x 5 = 0.7, halved for getting no goods, so 0.35.
    rival->OnOfferExecuted(Deal({{0, 6, 100}, {1, 6, 60}}), 1, spy);
    EXPECT_NEAR(Relation(), 50.35f, 1e-4f);
    ASSERT_EQ(spy->described.size(), 1u);
    EXPECT_NEAR(spy->described[0], 0.35f, 1e-4f);
}

TEST_F(CovenantOffers, OtherDealsMoveTheRelationByTheSurplusWishesAndDemands)
{
    rival->tradeWish[static_cast<size_t>(spy->index)] = 0.1f;
    // Gets 100, gives 60, with the wish's share of the equal-trade bonus: 40.05 + 0.5.
    rival->OnOfferExecuted(Deal({{0, 6, 100}, {1, 6, 60}, {2, TradeOfferKind::SharedAdventure, 0}}), 1, spy);
    EXPECT_NEAR(Relation(), 90.55f, 1e-3f);

    // A demand met by the rival: the equal-trade bonus less the demand's roll, a loss.
    rival->SetRelation(spy->index, 50.0f);
    rival->tradeWish[static_cast<size_t>(spy->index)] = 0.0f;
    rival->OnOfferExecuted(Deal({{1, 6, 10}, {2, TradeOfferKind::SharedAdventure, 0}}, ActorCovenant::kDemandOffer), 1, spy);
    EXPECT_NEAR(Relation(), 49.5f, 1e-4f);

    // Its own demand met: (10 + 0.5) x 2.
    rival->SetRelation(spy->index, 50.0f);
    rival->OnOfferExecuted(Deal({{1, 6, 10}, {2, TradeOfferKind::SharedAdventure, 0}}, ActorCovenant::kDemandOffer), 0, spy);
    EXPECT_NEAR(Relation(), 71.0f, 1e-4f);

    // Its own gift changes nothing.
    rival->SetRelation(spy->index, 50.0f);
    rival->OnOfferExecuted(Deal({{0, 6, 10}}, ActorCovenant::kGiftOffer), 0, spy);
    EXPECT_FLOAT_EQ(Relation(), 50.0f);
}

TEST_F(CovenantOffers, OnlookersJudgeDemandsOnFriendsAndTradeWithEnemies)
{
    host.homePosition = At(2000.0f, 1000.0f);
    ActorCovenant& third = AddRival("CovenantTrader");
    third.Start(2, 1);
    for (Covenant* covenant : {static_cast<Covenant*>(rival), static_cast<Covenant*>(spy), static_cast<Covenant*>(&third)})
        covenant->EnsureRelationSlots(3);
    third.SetRelation(rival->index, 50.0f);
    third.SetRelation(spy->index, 50.0f);
    // The spy demanded of the rival, a partner of the third.
    third.SetTreatyState(rival->index, CovenantTreaty::NonAggressionPact);
    third.OnKillReport(Deal({{1, 6, 5}}, ActorCovenant::kDemandOffer), *spy, *rival);
    EXPECT_FLOAT_EQ(third.GetRelation(spy->index), 46.0f);
    EXPECT_FLOAT_EQ(third.GetRelation(rival->index), 50.0f);
    // A trade between the spy and the rival while the third fights the spy.
    third.SetTreatyState(rival->index, CovenantTreaty::Peace);
    third.SetTreatyState(spy->index, CovenantTreaty::War);
    third.OnKillReport(Deal({{1, 6, 5}}), *spy, *rival);
    EXPECT_FLOAT_EQ(third.GetRelation(rival->index), 44.0f);
    EXPECT_FLOAT_EQ(third.GetRelation(spy->index), 46.0f);
}

// ---- Goods and the item-buy walk ------------------------------------------------------------------------

TEST_F(CovenantOffers, TakenGoodsLeaveTheirSlotEmptyAndWithdrawTheOffersNamingThem)
{
    Stock(2);
    ItemBase* later = Stock(5);
    rival->SendOffer(*spy, Deal({{0, 7, PackPlace(ActorCovenant::kGoodsBag, 2)}, {1, 6, 10}}));
    std::unique_ptr<ItemBase> taken = rival->RemoveStoredItem(ActorCovenant::kGoodsBag, 2);
    ASSERT_NE(taken, nullptr);
    EXPECT_EQ(spy->expired, 1);
    EXPECT_EQ(rival->GetPendingOffer(spy->index), nullptr);
    // The goods behind keep their names for any offer still naming them.
    EXPECT_EQ(rival->GetStoredItem(ActorCovenant::kGoodsBag, 5), later);
    EXPECT_EQ(rival->RemoveStoredItem(ActorCovenant::kGoodsBag, 2), nullptr);
    EXPECT_EQ(rival->RemoveStoredItem(InventoryGroupIndex::House, 4), nullptr);
    // Goods given are stored.
    EXPECT_TRUE(rival->GiveStoredItem(taken, ActorCovenant::kGoodsBag));
    EXPECT_EQ(taken, nullptr);
    EXPECT_NE(rival->GetStoredItem(ActorCovenant::kGoodsBag, 0), nullptr);
}

TEST_F(CovenantOffers, TheItemBuyWalkOffersMoneyForNotableItemsOnlyAndStartsOver)
{
    spyLeader->inventory->ResizeBag(InventoryGroupIndex::Bag1, 4);
    std::unique_ptr<ItemBase> plain = FakeCovenantHost::MakeItem("Trinket");
    std::unique_ptr<ItemBase> relic = FakeCovenantHost::MakeItem("Relic2");
    ASSERT_TRUE(spyLeader->inventory->PlaceItem(plain, InventoryGroupIndex::Bag1, 0, 0));
    ASSERT_TRUE(spyLeader->inventory->PlaceItem(relic, InventoryGroupIndex::Bag1, 2, 0));

    rival->SuggestTrade(*spy);
    ASSERT_EQ(spy->received.size(), 1u);
    const Offer& offer = spy->received[0];
    ASSERT_EQ(offer.entries.size(), 2u);
    EXPECT_EQ(offer.entries[0], (OfferEntry{1, 7, PackPlace(InventoryGroupIndex::Bag1, 2)}));
    EXPECT_EQ(offer.entries[1].side, 0);
    EXPECT_EQ(offer.entries[1].kind, TradeOfferKind::LeaderMoney);
    EXPECT_GT(offer.entries[1].value, 0);
    EXPECT_NE(rival->GetPendingOffer(spy->index), nullptr);

    // Nothing else is notable: the walk passes the last bag, then starts over at the relic.
    rival->SuggestTrade(*spy);
    EXPECT_EQ(spy->received.size(), 1u);
    rival->SuggestTrade(*spy);
    EXPECT_EQ(spy->received.size(), 2u);
}
