// OfferValuation -- how a covenant judges a deal: each entry's worth from its own side on the relation scale, the capped curve of diminishing returns, and the amount searches that balance an offer.
#pragma once

#include "covenants/PendingOffer.h"

#include <cstdint>

class Covenant;

// Every function judges for a judge J toward another covenant O. The judge's side s is the side
// number its own contributions stand under (1 when it received the offer, 0 when it made it); an
// entry is its own when the entry's side is s. The mode m is 0 while an offer is judged or
// balanced, 1 once it has been carried out, 2 for giving something up.
//
// Values are single-precision floats computed in the order the rules give them, so the same
// inputs always give the same bits; money counts its copper coins.
namespace OfferValuation {

constexpr int32_t kModeJudge = 0;
constexpr int32_t kModeCarriedOut = 1;
constexpr int32_t kModeGiveUp = 2;
// What the judge gives of its own influence or crystals is capped here whatever its definition says.
constexpr float kOwnGoodsCap = 10000.0f;

struct Worth {
    float gain = 0.0f;  // what the judge gets
    float give = 0.0f;  // what it gives, as a positive amount
};

// Each entry's value added to gain when not negative, its size to give otherwise.
Worth ValueOffer(const Covenant& judge, const Covenant& other, int32_t side, int32_t mode, const Offer& offer);
// 0 for a kind outside 1..11.
float ValueOfferEntry(const Covenant& judge, const Covenant& other, int32_t side, int32_t mode,
                      const OfferEntry& entry);

// An amount counted against the judge's stock (raised to the minimum): each chunk of the stock's
// "GenericValueChunkPercent" is worth mult times that percent and grows the stock; the sum is held
// at cap. A stock of 0 or less is worth 0; a chunk that would be empty (a percent of 0 or less,
// or too small for the stock) values the rest as one last fraction, so the walk always ends.
float DiminishingValue(const Covenant& judge, int32_t amount, int64_t stock, int32_t minimum, float mult, float cap);
// Against the judge's total influence; negative when own (the judge gives it).
float InfluenceValue(const Covenant& judge, int32_t amount, bool own);
// Against the judge's crystals and its guards' worth; negative when own.
float CrystalsValue(const Covenant& judge, int32_t amount, bool own);
// In mode 0 how far the judge's relation falls short of adventuring with the other; else 0.
float SharedAdventureValue(const Covenant& judge, const Covenant& other, int32_t mode);
// The trade value of the goods the entry names, from the giver's stored goods; 0 when gone.
float ItemEntryValue(const Covenant& judge, const Covenant& other, int32_t side, const OfferEntry& entry);
// An agreement about a third covenant (action in the low 16 bits of the value, the covenant in
// the high 16): a cost when it binds the judge, a gain when it binds the other and suits the judge.
float AgreementValue(const Covenant& judge, const OfferEntry& entry, const Covenant& other, int32_t side);
// How much the judge's liking of the other softens an agreement; 0 without the other.
float AgreementBonus(const Covenant& judge, const Covenant* other);
// Whether the judge can afford a new route of the kind with the other: its income stays above 0,
// or its crystals outlast the route's loss until the route pays.
bool TradeRouteWorthHaving(const Covenant& judge, const Covenant& other, int32_t kind);

// The least crystals (influence) the giver can add to the offer for the judge to value them at
// target or more, from what the giver holds beyond the offer's entries of that kind on the side;
// -1 when even all of it is not enough or the giver holds less than nothing.
int32_t FindCrystalAmount(const Covenant& giver, const Offer& offer, const Covenant& judge, bool own, int32_t target,
                          int32_t side);
int32_t FindInfluenceAmount(const Covenant& giver, const Offer& offer, const Covenant& judge, bool own,
                            int32_t target, int32_t side);
// The leader's money in copper coins; 0 without a leader.
int32_t GetLeaderMoney(const Covenant& covenant);

} // namespace OfferValuation
