// PlayerCovenantClient -- the offers rival covenants made to the player and wait on, and the covenants whose offers the player ignores.
#include "client/PlayerCovenantClient.h"

void PlayerCovenantClient::ReceiveOffer(int32_t covenantIndex, int32_t type,
                                        const std::vector<TradeOfferEntry>& entries)
{
    if (covenantIndex < 0 || covenantIndex >= kMaxCovenants)
        return;
    // An offer of nothing is the host withdrawing one (a covenant that leaves the game clears its
    // offers so): nothing waits, and the notice no longer asks for the player's word.
    if (entries.empty()) {
        ExpireOffer(covenantIndex);
        return;
    }
    if (pendingOffers.size() <= static_cast<size_t>(covenantIndex))
        pendingOffers.resize(static_cast<size_t>(covenantIndex) + 1);
    auto offer = std::make_unique<PendingOffer>();
    offer->type = type;
    offer->entries = entries;
    pendingOffers[static_cast<size_t>(covenantIndex)] = std::move(offer);
    // The relations screen opens on the first covenant whose record holds an entry; an ignored
    // covenant's offers wait without asking for the player's word.
    auto* record = IsIgnored(covenantIndex) ? nullptr : GetCovenantRecord(covenantIndex);
    if (record) {
        record->clear();
        record->push_back({kOfferRecordKind, type, static_cast<int32_t>(entries.size())});
    }
}

void PlayerCovenantClient::ExpireOffer(int32_t covenantIndex)
{
    if (covenantIndex >= 0 && static_cast<size_t>(covenantIndex) < pendingOffers.size())
        pendingOffers[static_cast<size_t>(covenantIndex)].reset();
    ClearCovenantRecord(covenantIndex);
}

const PlayerCovenantClient::PendingOffer* PlayerCovenantClient::GetPendingOffer(int32_t covenantIndex) const
{
    if (covenantIndex < 0 || static_cast<size_t>(covenantIndex) >= pendingOffers.size())
        return nullptr;
    return pendingOffers[static_cast<size_t>(covenantIndex)].get();
}

void PlayerCovenantClient::SetIgnored(int32_t covenantIndex)
{
    // The flags are indexed by covenant: an index past the game's covenants names none.
    if (covenantIndex < 0 || covenantIndex >= kMaxCovenants)
        return;
    if (ignoredCovenants.size() <= static_cast<size_t>(covenantIndex))
        ignoredCovenants.resize(static_cast<size_t>(covenantIndex) + 1, false);
    ignoredCovenants[static_cast<size_t>(covenantIndex)] = true;
    ClearCovenantRecord(covenantIndex);
}

bool PlayerCovenantClient::IsIgnored(int32_t covenantIndex) const
{
    return covenantIndex >= 0 && static_cast<size_t>(covenantIndex) < ignoredCovenants.size() &&
           ignoredCovenants[static_cast<size_t>(covenantIndex)];
}
