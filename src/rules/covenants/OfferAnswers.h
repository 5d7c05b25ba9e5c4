// OfferAnswers -- the answers one covenant gives another's offer, as the world host sends them to the client ("dipRes") and the client words them.
#pragma once

#include <cstdint>

// Balancing's results first, then the answers to a received offer.
constexpr int32_t kAnswerEmpty = 1;
constexpr int32_t kAnswerBalanced = 2;
constexpr int32_t kAnswerClose = 3;
constexpr int32_t kAnswerRefused = 4;
constexpr int32_t kAnswerTradeAccepted = 8;
constexpr int32_t kAnswerTradeRefused = 9;
constexpr int32_t kAnswerDemandMet = 10;
constexpr int32_t kAnswerDemandRefused = 11;
constexpr int32_t kAnswerOtherCannotPay = 17;
constexpr int32_t kAnswerCannotPay = 18;
constexpr int32_t kAnswerEven = 19;
constexpr int32_t kAnswerGiftAccepted = 20;
// The player's own answer to a covenant's offer, as its trade window tells it.
constexpr int32_t kAnswerTheirOfferAccepted = 21;
constexpr int32_t kAnswerTheirOfferRefused = 22;
// The world host's word to the maker of an offer another player never heard.
constexpr int32_t kAnswerOfferNotHeard = 23;
