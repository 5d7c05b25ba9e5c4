// TradeOffer -- a deal between two covenants as the trade window and the covenants pass it around: its type and its entries.
#pragma once

#include <cstdint>
#include <vector>

class Covenant;

// What an entry moves or agrees. The giver is the covenant its side names, the taker the other.
namespace TradeOfferKind {
enum : int32_t {
    Influence = 1,            // from the giver's absolute influence
    Peace = 2,
    NonAggressionPact = 3,
    MutualProtectionPact = 4,
    Alliance = 5,
    LeaderMoney = 6,          // money of the giver's leading creature
    Item = 7,                 // value: bag in the low 16 bits, slot in the high 16 bits
    CovenantMoney = 8,
    TradeRoute = 9,           // value: the route kind
    SharedAdventure = 10,
    JointAction = 11,         // value: action in the low 16 bits, third covenant in the high 16 bits
};
constexpr int32_t kFirst = Influence;
constexpr int32_t kLast = JointAction;
} // namespace TradeOfferKind

// The actions of a joint entry.
namespace TradeOfferAction {
enum : int32_t { ProposePeace = 1, JointWar = 2, JointRaid = 3, MakePeace = 9, CancelRoute = 10 };
} // namespace TradeOfferAction

struct TradeOfferEntry {
    int32_t side = 0; // 0: the first covenant gives; any other: the second gives
    int32_t kind = 0;
    int32_t value = 0;

    bool operator==(const TradeOfferEntry&) const = default;
};

struct TradeOffer {
    // More entries than this refuse the line that carries them.
    static constexpr int32_t kMaxEntries = 32;
    // Side 0: the offering covenant; 1 and 2: the other.
    static constexpr int32_t kMaxSide = 2;

    std::vector<TradeOfferEntry> entries;
    int32_t type = 0;
    bool itemsOnly = false;

    bool operator==(const TradeOffer&) const = default;
    // The same type and the same entries in the same order, whatever the flags.
    bool HasSameTerms(const TradeOffer& other) const { return type == other.type && entries == other.entries; }

    // Whether an offer from outside the covenants (a client's line) can be judged and carried
    // out: at most kMaxEntries entries, each on a side 0..kMaxSide and of a kind 1..11; influence,
    // money and crystals not negative; a route of a kind 1..5; goods the giver (the offering
    // covenant for side 0, the receiving one otherwise) holds; an agreement of a known action
    // about a covenant of the game.
    bool IsWellFormed(const Covenant& offering, const Covenant& receiving) const;
    // Every entry is leader money or goods (true for no entries): such a deal is judged by price.
    bool HoldsOnlyGoods() const;
    // The two parties trade places: what one gave the other gives; agreements of both stay.
    void SwapSides();
};
