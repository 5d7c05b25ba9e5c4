// TradeOffer -- a deal between two covenants as the trade window and the covenants pass it around: its type and its entries.
#include "covenants/TradeOffer.h"

#include "covenants/Covenant.h"
#include "covenants/CovenantHost.h"
#include "rules/RulesEnums.h"

#include <algorithm>

namespace {

bool TradeOfferIsKnownAction(int32_t action)
{
    return action == TradeOfferAction::ProposePeace || action == TradeOfferAction::JointWar ||
           action == TradeOfferAction::JointRaid || action == TradeOfferAction::MakePeace ||
           action == TradeOfferAction::CancelRoute;
}

bool TradeOfferIsGoodEntry(const TradeOfferEntry& entry, const Covenant& giver)
{
    if (entry.side < 0 || entry.side > TradeOffer::kMaxSide)
        return false;
    auto low = static_cast<int32_t>(static_cast<uint32_t>(entry.value) & 0xFFFFu);
    auto high = static_cast<int32_t>(static_cast<uint32_t>(entry.value) >> 16);
    switch (entry.kind) {
    case TradeOfferKind::Influence:
    case TradeOfferKind::LeaderMoney:
    case TradeOfferKind::CovenantMoney: return entry.value >= 0;
    case TradeOfferKind::Peace:
    case TradeOfferKind::NonAggressionPact:
    case TradeOfferKind::MutualProtectionPact:
    case TradeOfferKind::Alliance:
    case TradeOfferKind::SharedAdventure: return true;
    case TradeOfferKind::Item: return giver.GetStoredItem(low, high) != nullptr;
    // A route names one of the route kinds: another would be refused only after it was announced.
    case TradeOfferKind::TradeRoute: return entry.value > TradeRouteType::None && entry.value < TradeRouteType::kCount;
    case TradeOfferKind::JointAction:
        return TradeOfferIsKnownAction(low) && gCovenantHost && gCovenantHost->GetCovenant(high);
    default: return false;
    }
}

} // namespace

bool TradeOffer::IsWellFormed(const Covenant& offering, const Covenant& receiving) const
{
    if (entries.size() > static_cast<size_t>(kMaxEntries))
        return false;
    for (const TradeOfferEntry& entry : entries)
        if (!TradeOfferIsGoodEntry(entry, entry.side == 0 ? offering : receiving))
            return false;
    return true;
}

bool TradeOffer::HoldsOnlyGoods() const
{
    return std::all_of(entries.begin(), entries.end(), [](const TradeOfferEntry& entry) {
        return entry.kind == TradeOfferKind::LeaderMoney || entry.kind == TradeOfferKind::Item;
    });
}

void TradeOffer::SwapSides()
{
    for (TradeOfferEntry& entry : entries)
        if (entry.side == 0 || entry.side == 1)
            entry.side = 1 - entry.side;
}
