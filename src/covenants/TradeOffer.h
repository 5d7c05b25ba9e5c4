// TradeOffer -- a deal between two covenants as the trade window and the covenants pass it around: its type and its entries.
#pragma once

#include "world/TradeOfferEntry.h"

#include <cstdint>
#include <vector>

class Covenant;

struct TradeOffer {
    static constexpr int32_t kMaxEntries = TradeOfferEntry::kMaxEntries;
    static constexpr int32_t kMaxSide = TradeOfferEntry::kMaxSide;

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
