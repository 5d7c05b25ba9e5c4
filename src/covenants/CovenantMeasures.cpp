// Covenant -- the treaty and trade-route measures: how far the relation toward another covenant falls short of a treaty, what signing moves it, and what giving the treaty up is worth.
#include "covenants/Covenant.h"

#include "core/RandomSystem.h"
#include "covenants/OfferValuation.h"
#include "rules/RulesEnums.h"
#include "rules/covenants/CovenantDefinition.h"

#include <algorithm>
#include <string>

namespace {

constexpr int32_t kMeasureShortfall = 0;
constexpr int32_t kMeasureSigned = 1;
constexpr int32_t kMeasureGiveUp = 2;
// What a route the covenant could not afford is worth while an offer is judged.
constexpr float kMeasureUnwantedRoute = -100.0f;

float MeasureSignedRoll(const CovenantDefinition* definition, const char* treaty)
{
    if (!definition)
        return 0.0f;
    return definition->Roll(std::string("RelationChangeMinSigned") + treaty,
                            std::string("RelationChangeMaxSigned") + treaty);
}

float MeasureDefinitionFloat(const CovenantDefinition* definition, const char* key)
{
    return definition ? definition->GetFloat(key) : 0.0f;
}

} // namespace

float Covenant::PeaceMeasure(const Covenant& other, int32_t mode) const
{
    float relation = GetRelation(other.index);
    float threshold = GetRelationForPeaceTreaty(other);
    switch (mode) {
    case kMeasureShortfall: return std::min(relation - threshold, 0.0f);
    case kMeasureSigned: return MeasureSignedRoll(GetDefinition(), "PeaceTreaty");
    case kMeasureGiveUp: return threshold - relation;
    default: return relation - threshold;
    }
}

float Covenant::PactMeasure(const Covenant& other, int32_t mode, const char* signedKey, const char* threshold,
                            int32_t treaty) const
{
    float relation = GetRelation(other.index);
    float needed = MeasureDefinitionFloat(GetDefinition(), threshold);
    switch (mode) {
    case kMeasureShortfall: return relation < needed ? relation - needed : 0.0f;
    case kMeasureSigned: return MeasureSignedRoll(GetDefinition(), signedKey);
    case kMeasureGiveUp: return needed - relation + GetTreatyCancelChange(treaty);
    default: return 0.0f;
    }
}

float Covenant::NonAggressionMeasure(const Covenant& other, int32_t mode) const
{
    // The key is spelled as the definitions spell it.
    return PactMeasure(other, mode, "NonAggressionPact", "RelationForNonAggresionPact",
                       CovenantTreaty::NonAggressionPact);
}

float Covenant::MutualProtectionMeasure(const Covenant& other, int32_t mode) const
{
    return PactMeasure(other, mode, "MutualProtectionPact", "RelationForMutualProtectionPact",
                       CovenantTreaty::MutualProtectionPact);
}

float Covenant::AllianceMeasure(const Covenant& other, int32_t mode) const
{
    return PactMeasure(other, mode, "Alliance", "RelationForAlliance", CovenantTreaty::Alliance);
}

float Covenant::TreatyGiveUpValue(int32_t treaty, const Covenant& other) const
{
    switch (treaty) {
    case CovenantTreaty::Peace: return PeaceMeasure(other, kMeasureGiveUp);
    case CovenantTreaty::NonAggressionPact: return NonAggressionMeasure(other, kMeasureGiveUp);
    case CovenantTreaty::MutualProtectionPact: return MutualProtectionMeasure(other, kMeasureGiveUp);
    case CovenantTreaty::Alliance: return AllianceMeasure(other, kMeasureGiveUp);
    default: return 0.0f;
    }
}

float Covenant::TradeRouteMeasure(const Covenant& other, int32_t mode, int32_t kind) const
{
    const CovenantDefinition* own = GetDefinition();
    if (!own || kind < TradeRouteType::None || kind >= TradeRouteType::kCount)
        return 0.0f;
    float relation = GetRelation(other.index);
    float needed = own->GetRelationForTradeRoute(kind);
    switch (mode) {
    case kMeasureShortfall:
        if (!OfferValuation::TradeRouteWorthHaving(*this, other, kind))
            return kMeasureUnwantedRoute;
        return relation < needed ? relation - needed : 0.0f;
    case kMeasureSigned: {
        // The start's change, spread evenly by the variance either way.
        float start = own->GetRelationChangeTradeRouteStart(kind);
        float variance = own->GetFloat("RelationChangeTradeRouteVariance");
        return gRandomSystem ? gRandomSystem->RandomRange(RandomStream::GameData, start - variance, start + variance)
                             : start;
    }
    case kMeasureGiveUp: return needed - relation + own->GetRelationChangeCancelledTradeRoute(kind);
    default: return 0.0f;
    }
}
