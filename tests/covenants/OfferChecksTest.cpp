// OfferChecksTest -- an offer from outside the covenants is judged only when every entry can be carried out, and an answer counts only for the terms the covenant offered.
#include "covenants/CovenantWorld.h"

#include <gtest/gtest.h>

namespace {

// Goods are the covenant inventory's items: the group in the low half of an entry, the slot in the high.
class StoreCovenant : public PlainCovenant {
public:
    ItemBase* GetStoredItem(int32_t bag, int32_t slot) const override { return inventory->GetItem(bag, slot); }
};

constexpr int32_t kHouseSlot(int32_t slot)
{
    return InventoryGroupIndex::House + (slot << 16);
}

constexpr int32_t kAbout(int32_t action, int32_t covenant)
{
    return action + (covenant << 16);
}

} // namespace

class OfferChecks : public CovenantWorld {
protected:
    void SetUp() override
    {
        offering = &AddCovenantOf<StoreCovenant>();
        receiving = &AddCovenantOf<StoreCovenant>();
        AddCovenantOf<StoreCovenant>();
        PutInHouse(*offering, "GuardWrit", 1);
        PutInHouse(*receiving, "GuardWritDear", 2);
    }

    bool WellFormed(std::vector<OfferEntry> entries) const
    {
        Offer offer;
        offer.entries = std::move(entries);
        return offer.IsWellFormed(*offering, *receiving);
    }

    StoreCovenant* offering = nullptr;
    StoreCovenant* receiving = nullptr;
};

TEST_F(OfferChecks, AnOfferOfEveryKindThatCanBeCarriedOutIsWellFormed)
{
    EXPECT_TRUE(WellFormed({}));
    EXPECT_TRUE(WellFormed({{0, TradeOfferKind::Influence, 0},
                            {1, TradeOfferKind::Peace, -7},
                            {2, TradeOfferKind::NonAggressionPact, 0},
                            {2, TradeOfferKind::MutualProtectionPact, 0},
                            {2, TradeOfferKind::Alliance, 0},
                            {0, TradeOfferKind::LeaderMoney, 500},
                            {0, TradeOfferKind::Item, kHouseSlot(1)},
                            {1, TradeOfferKind::Item, kHouseSlot(2)},
                            {1, TradeOfferKind::CovenantMoney, 2147483647},
                            {2, TradeOfferKind::TradeRoute, 1},
                            {2, TradeOfferKind::TradeRoute, 5},
                            {2, TradeOfferKind::SharedAdventure, 0}}));
    for (int32_t action : {1, 2, 3, 9, 10})
        EXPECT_TRUE(WellFormed({{0, TradeOfferKind::JointAction, kAbout(action, 2)}})) << action;
}

TEST_F(OfferChecks, AnyEntryThatCannotBeCarriedOutRefusesTheOffer)
{
    const std::vector<OfferEntry> bad[] = {
        {{0, TradeOfferKind::Influence, -1}},
        {{1, TradeOfferKind::LeaderMoney, -500}},
        {{0, TradeOfferKind::CovenantMoney, -2147483647 - 1}},
        {{0, 0, 5}},
        {{0, 12, 5}},
        {{3, TradeOfferKind::Peace, 0}},
        {{-1, TradeOfferKind::Peace, 0}},
        {{2, TradeOfferKind::TradeRoute, 0}},
        {{2, TradeOfferKind::TradeRoute, 6}},
        {{2, TradeOfferKind::TradeRoute, -3}},
        // Goods the giver does not hold: the other's goods, an empty slot, a slot outside.
        {{0, TradeOfferKind::Item, kHouseSlot(2)}},
        {{1, TradeOfferKind::Item, kHouseSlot(1)}},
        {{0, TradeOfferKind::Item, kHouseSlot(3)}},
        {{0, TradeOfferKind::Item, -1}},
        // Agreements of no known action or about no covenant of the game.
        {{0, TradeOfferKind::JointAction, kAbout(4, 2)}},
        {{0, TradeOfferKind::JointAction, kAbout(0, 2)}},
        {{0, TradeOfferKind::JointAction, kAbout(2, 3)}},
        {{0, TradeOfferKind::JointAction, kAbout(2, 32)}},
        {{0, TradeOfferKind::JointAction, -65536}},
    };
    for (const std::vector<OfferEntry>& entries : bad) {
        EXPECT_FALSE(WellFormed(entries)) << entries[0].side << " " << entries[0].kind << " " << entries[0].value;
        // One bad entry among good ones is enough.
        std::vector<OfferEntry> mixed = {{0, TradeOfferKind::LeaderMoney, 5}};
        mixed.insert(mixed.end(), entries.begin(), entries.end());
        EXPECT_FALSE(WellFormed(mixed));
    }
}

TEST_F(OfferChecks, ThirtyTwoEntriesAreTheMost)
{
    std::vector<OfferEntry> entries(32, {0, TradeOfferKind::Influence, 1});
    EXPECT_TRUE(WellFormed(entries));
    entries.push_back({0, TradeOfferKind::Influence, 1});
    EXPECT_FALSE(WellFormed(entries));
}

TEST_F(OfferChecks, APendingOfferMatchesOnlyItsOwnTerms)
{
    Offer offer;
    offer.type = 3;
    offer.entries = {{0, TradeOfferKind::CovenantMoney, 40}, {1, TradeOfferKind::Peace, 0}};
    offering->StorePendingOffer(offer, receiving->index, 60.0f);
    const PendingOffer& pending = *offering->GetPendingOfferRecord(receiving->index);
    EXPECT_TRUE(pending.Matches(offer));
    Offer flagged = offer;
    flagged.itemsOnly = true;
    EXPECT_TRUE(pending.Matches(flagged));

    Offer changed = offer;
    changed.entries[0].value = 41;
    EXPECT_FALSE(pending.Matches(changed));
    changed = offer;
    changed.entries[1].side = 2;
    EXPECT_FALSE(pending.Matches(changed));
    changed = offer;
    changed.type = 0;
    EXPECT_FALSE(pending.Matches(changed));
    changed = offer;
    std::swap(changed.entries[0], changed.entries[1]);
    EXPECT_FALSE(pending.Matches(changed));
    changed = offer;
    changed.entries.pop_back();
    EXPECT_FALSE(pending.Matches(changed));
    changed = offer;
    changed.entries.push_back({1, TradeOfferKind::Peace, 0});
    EXPECT_FALSE(pending.Matches(changed));
    // An emptied record matches no offer of terms.
    offering->ClearOfferTo(receiving->index, false);
    EXPECT_FALSE(offering->GetPendingOfferRecord(receiving->index)->Matches(offer));
}
