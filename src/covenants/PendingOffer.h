// PendingOffer -- the offer a covenant made to another and has not yet seen answered, with its resend timer.
#pragma once

#include "core/SafePointer.h"
#include "covenants/TradeOffer.h"

#include <cstdint>
#include <vector>

// The covenants' names for the game's offer record.
using Offer = TradeOffer;
using OfferEntry = TradeOfferEntry;

// The resend timer has the random-interval timer's shape; interval, remaining and resendsLeft
// are set when the offer is stored, before running is ever set.
struct PendingOffer {
    Offer offer;
    float interval = 0.0f;  // seconds between resends
    bool running = false;
    bool open = true;
    float minimum = 0.0f;
    float maximum = 0.0f;
    float total = 0.0f;
    float remaining = 0.0f;
    int32_t resendsLeft = 0;
    // The very item each entry named as the offer was stored (null for an entry of another
    // kind): the item priced, whatever is moved into its cell later.
    std::vector<SafePointer> goods;

    // An answer names this offer when it has the same type and the same entries in the same
    // order: a client cannot accept terms the covenant never offered.
    bool Matches(const Offer& answer) const { return offer.HasSameTerms(answer); }
};
