// TradeOfferEntry -- one term of a deal between two covenants as it travels in request and notice lines: its kinds, its agreement actions, its limits and the " %d %d %d" triples both halves write and read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// What an entry moves or agrees. The giver is the covenant its side names, the taker the other.
namespace TradeOfferKind {
enum : int32_t {
    Influence = 1,            // from the giver's absolute influence
    Peace = 2,
    NonAggressionPact = 3,
    MutualProtectionPact = 4,
    Alliance = 5,
    LeaderMoney = 6,          // money of the giver's leading creature, in copper coins
    Item = 7,                 // value: bag in the low 16 bits, slot in the high 16 bits
    CovenantMoney = 8,        // the covenant's crystals
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

// The trade types of an offer line.
namespace TradeOfferType {
enum : int32_t { Trade = 0, Demand = 1, Gift = 2, CounterOffer = 3, Preview = 4 };
} // namespace TradeOfferType

struct TradeOfferEntry {
    // More entries than this refuse the line that carries them.
    static constexpr int32_t kMaxEntries = 32;
    // Side 0: the offering covenant gives; 1: the other gives; 2: it binds both.
    static constexpr int32_t kMaxSide = 2;

    int32_t side = 0;
    int32_t kind = 0;
    int32_t value = 0;

    bool operator==(const TradeOfferEntry&) const = default;

    // The value of a joint entry about a third covenant.
    static int32_t PackAgreement(int32_t action, int32_t thirdCovenant)
    {
        return static_cast<int32_t>((static_cast<uint32_t>(action) & 0xFFFFu) |
                                    (static_cast<uint32_t>(thirdCovenant) << 16));
    }
    // The value of an item entry: where the giver holds it.
    static int32_t PackItemPlace(int32_t bag, int32_t slot) { return PackAgreement(bag, slot); }
};

// Appends " side kind value" for each entry in order.
void AppendTradeOfferEntries(std::string& line, const std::vector<TradeOfferEntry>& entries);
// The triples of a line's words from the first on. False, out untouched, for a word that is no
// whole number, a cut triple, more than kMaxEntries entries, a side outside 0..kMaxSide or a
// negative value: a peer never writes one, so the line is not to be guessed at.
bool ReadTradeOfferEntries(const std::vector<std::string>& words, size_t first, std::vector<TradeOfferEntry>& out);
