// OfferValuation -- how a covenant judges a deal: each entry's worth from its own side on the relation scale, the capped curve of diminishing returns, and the amount searches that balance an offer.
#include "covenants/OfferValuation.h"

#include "core/EngineEnums.h"
#include "core/MathUtil.h"
#include "covenants/Covenant.h"
#include "covenants/CovenantHost.h"
#include "entities/Sentient.h"
#include "rules/Formulas.h"
#include "rules/GameData.h"
#include "rules/RulesEnums.h"
#include "rules/covenants/CovenantDefinition.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// A stock so large against its percent that every chunk is a single unit would walk for ever;
// past this many chunks the rest is valued as one last fraction.
constexpr int32_t kValuationMaxChunks = 1 << 20;
// A chunk is a 32-bit amount (the largest float below 2^31).
constexpr float kValuationMaxChunk = 2147483520.0f;

const GameSystemTuning& ValuationTuning()
{
    static const GameSystemTuning kDefaults;
    return gGameData ? gGameData->GetTuning() : kDefaults;
}

int32_t ValuationLow(int32_t value)
{
    return static_cast<int32_t>(UnpackBits16(static_cast<uint32_t>(value), 0));
}

int32_t ValuationHigh(int32_t value)
{
    return static_cast<int32_t>(UnpackBits16(static_cast<uint32_t>(value), 16));
}

// The amount the giver holds beyond what entries of the kind on the side already promise.
int64_t ValuationAvailable(int64_t held, const Offer& offer, int32_t kind, int32_t side)
{
    for (const OfferEntry& entry : offer.entries)
        if (entry.kind == kind && entry.side == side)
            held -= entry.value;
    return held;
}

// The least amount in 0..available whose value has a size of at least the target; the size
// grows with the amount, so halving the interval finds it.
template <class Value>
int32_t ValuationSearch(int64_t available, int32_t target, Value value)
{
    if (available < 0)
        return -1;
    auto high = static_cast<int32_t>(std::min<int64_t>(available, std::numeric_limits<int32_t>::max()));
    auto reaches = [&](int32_t amount) { return std::fabs(value(amount)) >= static_cast<float>(target); };
    if (!reaches(high))
        return -1;
    int32_t low = 0;
    while (low < high) {
        int32_t middle = low + (high - low) / 2;
        if (reaches(middle))
            high = middle;
        else
            low = middle + 1;
    }
    return low;
}

// The cost of an agreement that binds the judge: never a gain, softened by its liking of the other.
float ValuationOwnCost(float measure, const Covenant& judge, const Covenant& other)
{
    return std::min(measure + OfferValuation::AgreementBonus(judge, &other), 0.0f);
}

// What the judge makes of the other breaking a treaty or a route of kind with the third covenant:
// the more the judge dislikes the third below the threshold, the more of the break's cost it counts.
float ValuationBreakGain(float relation, float threshold, float change, float mult)
{
    if (relation >= threshold || threshold >= 100.0f)
        return 0.0f;
    return -change * ((threshold - relation) / (100.0f - threshold)) * mult;
}

float ValuationAgreementCost(int32_t action, const Covenant& judge, const Covenant& third, const Covenant& other)
{
    switch (action) {
    case TradeOfferAction::ProposePeace:
        return ValuationOwnCost(judge.PeaceMeasure(third, OfferValuation::kModeJudge), judge, other);
    case TradeOfferAction::MakePeace:
        return ValuationOwnCost(judge.TreatyGiveUpValue(judge.GetTreatyState(third.index), third), judge, other);
    case TradeOfferAction::CancelRoute:
        return ValuationOwnCost(
            judge.TradeRouteMeasure(third, OfferValuation::kModeGiveUp, judge.GetTradeRouteKind(third.index)), judge,
            other);
    default: return 0.0f;
    }
}

float ValuationAgreementGain(int32_t action, const Covenant& judge, const Covenant& third, const Covenant& other)
{
    const CovenantDefinition& own = *judge.GetDefinition();
    float relation = judge.GetRelation(third.index);
    switch (action) {
    case TradeOfferAction::ProposePeace:
        return relation > own.relationForAgreementPeace
                   ? (relation - own.relationForAgreementPeace) * own.agreementPeaceMult
                   : 0.0f;
    case TradeOfferAction::MakePeace: {
        int32_t treaty = other.GetTreatyState(third.index);
        return ValuationBreakGain(relation, own.relationForAgreementBreakTreaty,
                                  own.GetRelationChangeCancelledTreaty(treaty), own.GetAgreementBreakTreatyMult(treaty));
    }
    case TradeOfferAction::CancelRoute: {
        int32_t kind = other.GetTradeRouteKind(third.index);
        return ValuationBreakGain(relation, own.relationForAgreementBreakTrade,
                                  own.GetRelationChangeCancelledTradeRoute(kind), own.GetAgreementBreakTradeMult(kind));
    }
    default: return 0.0f;
    }
}

} // namespace

namespace OfferValuation {

Worth ValueOffer(const Covenant& judge, const Covenant& other, int32_t side, int32_t mode, const Offer& offer)
{
    Worth worth;
    for (const OfferEntry& entry : offer.entries) {
        float value = ValueOfferEntry(judge, other, side, mode, entry);
        if (value >= 0.0f)
            worth.gain += value;
        else
            worth.give += -value;
    }
    return worth;
}

float ValueOfferEntry(const Covenant& judge, const Covenant& other, int32_t side, int32_t mode,
                      const OfferEntry& entry)
{
    bool own = entry.side == side;
    switch (entry.kind) {
    case TradeOfferKind::Influence: return InfluenceValue(judge, entry.value, own);
    case TradeOfferKind::Peace: return judge.PeaceMeasure(other, mode);
    case TradeOfferKind::NonAggressionPact: return judge.NonAggressionMeasure(other, mode);
    case TradeOfferKind::MutualProtectionPact: return judge.MutualProtectionMeasure(other, mode);
    case TradeOfferKind::Alliance: return judge.AllianceMeasure(other, mode);
    case TradeOfferKind::LeaderMoney: return own ? -static_cast<float>(entry.value) : static_cast<float>(entry.value);
    case TradeOfferKind::Item: return ItemEntryValue(judge, other, side, entry);
    case TradeOfferKind::CovenantMoney: return CrystalsValue(judge, entry.value, own);
    case TradeOfferKind::TradeRoute: return judge.TradeRouteMeasure(other, mode, entry.value);
    case TradeOfferKind::SharedAdventure: return SharedAdventureValue(judge, other, mode);
    case TradeOfferKind::JointAction: return AgreementValue(judge, entry, other, side);
    default: return 0.0f;
    }
}

float DiminishingValue(const Covenant& judge, int32_t amount, int64_t stock, int32_t minimum, float mult, float cap)
{
    int64_t held = std::max<int64_t>(stock, minimum);
    // A stock below nothing (crystals may be) has no share to count against.
    if (held <= 0)
        return 0.0f;
    const CovenantDefinition* own = judge.GetDefinition();
    float percent = own ? own->genericValueChunkPercent : 0.0f;
    float sum = 0.0f;
    int64_t rest = amount;
    for (int32_t chunks = 0; rest > 0; ++chunks) {
        float size = static_cast<float>(held) * percent;
        // An empty chunk (no percent, a percent that is no number, or a stock too small for it)
        // would never end the walk: the rest counts as one last fraction of the stock.
        if (!(size >= 1.0f) || chunks >= kValuationMaxChunks) {
            sum += mult * (static_cast<float>(rest) / static_cast<float>(held));
            break;
        }
        auto chunk = static_cast<int64_t>(std::min(size, kValuationMaxChunk));
        float share = percent;
        if (chunk > rest) {
            share = static_cast<float>(rest) / static_cast<float>(held);
            chunk = rest;
        }
        rest -= chunk;
        held += chunk;
        sum += mult * share;
    }
    return sum > cap ? cap : sum;
}

float InfluenceValue(const Covenant& judge, int32_t amount, bool own)
{
    const CovenantDefinition* definition = judge.GetDefinition();
    if (!definition)
        return 0.0f;
    float mult = own ? definition->relationChangeMultMyInfluence : definition->relationChangeMultTheirInfluence;
    float cap = own ? kOwnGoodsCap : definition->relationChangeInfluenceMaxPerTrade;
    int32_t minimum = definition->GetMinComparisonInfluence(ValuationTuning(), judge.leaderLevel);
    float value = DiminishingValue(judge, amount, judge.GetTotalInfluence(), minimum, mult, cap);
    return own ? -value : value;
}

float CrystalsValue(const Covenant& judge, int32_t amount, bool own)
{
    const CovenantDefinition* definition = judge.GetDefinition();
    if (!definition)
        return 0.0f;
    float mult = own ? definition->relationChangeMultMyCrystals : definition->relationChangeMultTheirCrystals;
    float cap = own ? kOwnGoodsCap : definition->relationChangeCrystalsMaxPerTrade;
    int64_t stock = int64_t{judge.statistics.Get(CovenantStat::Money)} + judge.HouseValue(true);
    float value = DiminishingValue(judge, amount, stock, definition->minComparisionCrystals, mult, cap);
    return own ? -value : value;
}

float SharedAdventureValue(const Covenant& judge, const Covenant& other, int32_t mode)
{
    const CovenantDefinition* definition = judge.GetDefinition();
    if (mode != kModeJudge || !definition)
        return 0.0f;
    float relation = judge.GetRelation(other.index);
    float threshold = definition->GetAdventureThreshold(other.leaderLevel, judge.leaderLevel);
    return relation < threshold ? relation - threshold : 0.0f;
}

float ItemEntryValue(const Covenant& judge, const Covenant& other, int32_t side, const OfferEntry& entry)
{
    bool own = entry.side == side;
    const ItemBase* item = (own ? judge : other).GetStoredItem(ValuationLow(entry.value), ValuationHigh(entry.value));
    if (!item)
        return 0.0f;
    float value = judge.GetItemTradeValue(*item, own);
    return own ? -value : value;
}

float AgreementValue(const Covenant& judge, const OfferEntry& entry, const Covenant& other, int32_t side)
{
    int32_t action = ValuationLow(entry.value);
    const Covenant* third = gCovenantHost ? gCovenantHost->GetCovenant(ValuationHigh(entry.value)) : nullptr;
    const CovenantDefinition* own = judge.GetDefinition();
    if (!third || !own)
        return 0.0f;
    float relation = judge.GetRelation(third->index);
    switch (action) {
    case TradeOfferAction::JointWar:
        if (!judge.IsAtWarWith(third->index))
            return ValuationOwnCost(judge.PeaceMeasure(*third, kModeGiveUp), judge, other);
        return relation < own->relationForAgreementWar
                   ? (own->relationForAgreementWar - relation) * own->agreementWarMult
                   : 0.0f;
    case TradeOfferAction::JointRaid:
        if (judge.IsSharedRaidPartner(other.index))
            return 0.0f;
        return own->GetRelationStartRaid(judge.GetDifficultyLevel()) - relation;
    default:
        return entry.side == side ? ValuationAgreementCost(action, judge, *third, other)
                                  : ValuationAgreementGain(action, judge, *third, other);
    }
}

float AgreementBonus(const Covenant& judge, const Covenant* other)
{
    const CovenantDefinition* own = judge.GetDefinition();
    if (!other || !own)
        return 0.0f;
    float relation = judge.GetRelation(other->index);
    return relation >= own->agreementBonusMinRelation
               ? (relation - own->agreementBonusMinRelation) * own->agreementBonusMult
               : 0.0f;
}

bool TradeRouteWorthHaving(const Covenant& judge, const Covenant& other, int32_t kind)
{
    const GameSystemTuning& tuning = ValuationTuning();
    int32_t base = judge.GetBaseIncome();
    int64_t income = judge.GetCrystalIncome();
    int32_t current = judge.GetTradeRouteKind(other.index);
    if (judge.HasRelation(other.index) && current != TradeRouteType::None)
        income -= judge.GetTradeRouteIncome(base, other.index, current, judge.GetRelationTimeStamp(other.index));
    income += GetTradeRouteIncome(tuning, kind, TimeStamp{}, base);
    if (income > 0)
        return true;
    const CovenantDefinition* own = judge.GetDefinition();
    float share = own ? own->crystalsPercentNeededForTradeRoute : 0.0f;
    return static_cast<float>(GetTradeRouteStartingLoss(tuning, kind)) * share <
           static_cast<float>(judge.statistics.Get(CovenantStat::Money));
}

int32_t FindCrystalAmount(const Covenant& giver, const Offer& offer, const Covenant& judge, bool own, int32_t target,
                          int32_t side)
{
    int64_t available =
        ValuationAvailable(giver.statistics.Get(CovenantStat::Money), offer, TradeOfferKind::CovenantMoney, side);
    return ValuationSearch(available, target, [&](int32_t amount) { return CrystalsValue(judge, amount, own); });
}

int32_t FindInfluenceAmount(const Covenant& giver, const Offer& offer, const Covenant& judge, bool own,
                            int32_t target, int32_t side)
{
    int64_t available = ValuationAvailable(giver.GetTotalInfluence(), offer, TradeOfferKind::Influence, side);
    return ValuationSearch(available, target, [&](int32_t amount) { return InfluenceValue(judge, amount, own); });
}

int32_t GetLeaderMoney(const Covenant& covenant)
{
    const auto* leader = dynamic_cast<const Sentient*>(covenant.GetLeader());
    return leader ? leader->stats.Get(CharacterStat::Money) : 0;
}

} // namespace OfferValuation
