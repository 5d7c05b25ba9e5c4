// CovenantBase -- what the server's and the client's covenants share: definition, statistics, home and relations.
#include "rules/covenants/CovenantBase.h"

#include "core/DebugSystem.h"
#include "core/EngineEnums.h"
#include "rules/Formulas.h"
#include "rules/GameData.h"
#include "rules/RulesEnums.h"
#include "rules/covenants/CovenantDefinition.h"
#include "rules/items/InventoryBase.h"

#include <algorithm>
#include <cmath>

namespace {

const RelationRecord kNoRelation;

bool IsCovenantIndex(int32_t other)
{
    return other >= 0 && other < kMaxCovenants;
}

int32_t ClampToInt32(int64_t value)
{
    return static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

// Tuning from the data may push a product out of range, or to no number at all (0).
int32_t FloatToInt32(float value)
{
    return std::isnan(value) ? 0 : static_cast<int32_t>(std::clamp(value, -2.0e9f, 2.0e9f));
}

} // namespace

CovenantBase::CovenantBase() : statistics(CovenantStat::kCount), traitIds(kMaxCovenantTraits)
{
    statistics.Set(CovenantStat::MaxNPCs, 4);
    statistics.Set(CovenantStat::MaxLifeStone, 100);
    for (int32_t position = 0; position < kMaxCovenantTraits; ++position)
        traitIds.Set(position, -1);
}

CovenantBase::~CovenantBase() = default;

void CovenantBase::SetDefinitionIndex(int32_t newIndex)
{
    definition = gGameData ? gGameData->GetCovenantDefinition(newIndex) : nullptr;
    definitionIndex = definition ? newIndex : -1;
    if (!definition)
        DebugSystem::Print(kPrintError, "Covenant %d: no covenant definition %d\n", index, newIndex);
}

void CovenantBase::SetDefinitionByName(std::string_view definitionName)
{
    SetDefinitionIndex(gGameData ? gGameData->FindCovenantDefinitionIndex(definitionName) : -1);
}

void CovenantBase::OnWarStarted(int32_t) {}

void CovenantBase::OnCovenantHook(int32_t) {}

void CovenantBase::SetHomeHealth(int32_t health)
{
    homeHealth = health;
}

int32_t CovenantBase::GetHomeHealth() const
{
    return homeHealth;
}

void CovenantBase::SetHomeMaxHealth(int32_t maxHealth)
{
    homeMaxHealth = maxHealth;
    homeHealth = std::min(homeHealth, maxHealth);
}

int32_t CovenantBase::GetHomeMaxHealth() const
{
    return homeMaxHealth;
}

int32_t CovenantBase::GetTotalInfluence() const
{
    int64_t total = 0;
    for (int32_t stat = CovenantStat::InfluenceAdventure; stat <= CovenantStat::InfluenceTransferred; ++stat)
        total += statistics.Get(stat);
    return ClampToInt32(total);
}

int32_t CovenantBase::GetTotalTaxes() const
{
    int32_t base = GetBaseIncome();
    int64_t income = base;
    for (int32_t other = 0; other < static_cast<int32_t>(relations.size()); ++other) {
        const RelationRecord& record = relations[static_cast<size_t>(other)];
        if (record.tradeRoute != TradeRouteType::None)
            income += GetTradeRouteIncome(base, other, record.tradeRoute, record.routeStamp);
    }
    return ClampToInt32(income);
}

int32_t CovenantBase::GetCrystalIncome() const
{
    return ClampToInt32(int64_t{GetTotalTaxes()} - statistics.Get(CovenantStat::GuardCosts));
}

int32_t CovenantBase::GetTraitCount() const
{
    int32_t count = 0;
    for (int32_t position = 0; position < kMaxCovenantTraits; ++position)
        count += GetTraitId(position) >= 0 ? 1 : 0;
    return count;
}

int32_t CovenantBase::GetTraitId(int32_t position) const
{
    if (position < 0 || position >= kMaxCovenantTraits)
        return -1;
    int32_t id = traitIds.Get(position);
    return id >= 0 && id < (gGameData ? gGameData->GetCovenantTraitCount() : 0) ? id : -1;
}

int32_t CovenantBase::GetTradeRouteIncome(int32_t base, int32_t partner, int32_t kind, const TimeStamp& start) const
{
    const CovenantBase* other = GetPartner(partner);
    if (!other || !gGameData)
        return 0;
    TimeStamp elapsed = TimeStamp::Difference(start, GetGameTime());
    return ::GetTradeRouteIncome(gGameData->GetTuning(), kind, elapsed, std::min(base, other->GetBaseIncome()));
}

bool CovenantBase::IsPlayerCovenant() const
{
    return false;
}

// By reference: the name goes into every client's update at every step.
const std::string& CovenantBase::GetDefinitionName() const
{
    static const std::string kNone;
    return definition ? definition->name : kNone;
}

const std::string& CovenantBase::GetName() const
{
    return name.empty() ? GetDefinitionName() : name;
}

std::string CovenantBase::GetDisplayName() const
{
    return definition && !definition->secondName.empty() ? definition->secondName : GetShownName();
}

const std::string& CovenantBase::GetShownName() const
{
    bool unnamed = name.empty() || name == GetDefinitionName();
    bool ownName = !unnamed || !definition || definition->displayName.empty();
    return ownName ? GetName() : definition->displayName;
}

int32_t CovenantBase::GetColor() const
{
    return definition ? definition->color : 0;
}

int32_t CovenantBase::GetBaseIncome() const
{
    if (!gGameData)
        return 0;
    const GameSystemTuning& tuning = gGameData->GetTuning();
    float level = static_cast<float>(GetLevelForAmount(tuning, GetTotalInfluence()) - 1);
    return std::max(0, FloatToInt32(std::floor(level * tuning.taxMult)));
}

int32_t CovenantBase::ComputeStrength() const
{
    if (!gGameData)
        return 0;
    const GameSystemTuning& tuning = gGameData->GetTuning();
    float sum = 0.0f;
    for (int32_t i = 0; i < kPowerWeightCount; ++i)
        sum += static_cast<float>(statistics.Get(kPowerWeightStats[i])) * tuning.powerWeight[static_cast<size_t>(i)];
    return FloatToInt32(std::floor(sum + 0.5f));
}

bool CovenantBase::EnsureRelationSlots(int32_t other)
{
    if (!IsCovenantIndex(other))
        return false;
    if (relations.size() <= static_cast<size_t>(other))
        relations.resize(static_cast<size_t>(other) + 1);
    return true;
}

bool CovenantBase::HasRelation(int32_t other) const
{
    return IsCovenantIndex(other) && static_cast<size_t>(other) < relations.size();
}

float CovenantBase::GetRelation(int32_t other) const
{
    return FindRelation(other)->relation;
}

void CovenantBase::SetRelation(int32_t other, float value)
{
    RelationRecord* record = std::isnan(value) ? nullptr : RelationForWrite(other);
    if (record)
        record->relation = std::clamp(value, 0.0f, 100.0f);
}

void CovenantBase::SetRelationWord(int32_t other, uint32_t word)
{
    if (word > static_cast<uint32_t>(CovenantTreaty::Alliance)) {
        DebugSystem::Print(kPrintError, "Covenant %d: treaty word %u toward %d refused\n", index, word, other);
        return;
    }
    if (RelationRecord* record = RelationForWrite(other))
        record->treaty = static_cast<int32_t>(word);
}

void CovenantBase::AddRelation(int32_t other, float amount)
{
    SetRelation(other, GetRelation(other) + amount);
}

int32_t CovenantBase::GetTreatyState(int32_t other) const
{
    return FindRelation(other)->treaty;
}

const TimeStamp& CovenantBase::GetTreatyTimeStamp(int32_t other) const
{
    return FindRelation(other)->treatyStamp;
}

void CovenantBase::SetTreaty(int32_t other, int32_t state, const TimeStamp& stamp)
{
    if (state < CovenantTreaty::None || state > CovenantTreaty::Alliance) {
        DebugSystem::Print(kPrintError, "Covenant %d: treaty state %d toward %d refused\n", index, state, other);
        return;
    }
    if (RelationRecord* record = RelationForWrite(other)) {
        record->treaty = state;
        record->treatyStamp = stamp;
    }
}

void CovenantBase::SetTreatyState(int32_t other, int32_t state)
{
    if (GetTreatyState(other) == state)
        return;
    SetTreaty(other, state, TimeStamp());
    if (HasRelation(other) && GetTreatyState(other) == state)
        OnWarStarted(other);
}

int32_t CovenantBase::GetTradeRouteKind(int32_t other) const
{
    return FindRelation(other)->tradeRoute;
}

const TimeStamp& CovenantBase::GetRelationTimeStamp(int32_t other) const
{
    return FindRelation(other)->routeStamp;
}

void CovenantBase::SetTradeRoute(int32_t other, int32_t kind, const TimeStamp& stamp)
{
    if (kind < 0 || kind >= TradeRouteType::kCount) {
        DebugSystem::Print(kPrintError, "Covenant %d: trade route kind %d toward %d refused\n", index, kind, other);
        return;
    }
    if (RelationRecord* record = RelationForWrite(other)) {
        record->tradeRoute = kind;
        record->routeStamp = stamp;
    }
}

void CovenantBase::SetTradeRouteKind(int32_t other, int32_t kind)
{
    if (GetTradeRouteKind(other) == kind)
        return;
    SetTradeRoute(other, kind, TimeStamp());
    if (HasRelation(other) && GetTradeRouteKind(other) == kind)
        OnCovenantHook(other);
}

bool CovenantBase::IsAtWarWith(int32_t other) const
{
    int32_t treaty = GetTreatyState(other);
    return !eliminated && other != index && (treaty == CovenantTreaty::War || treaty == CovenantTreaty::Raid);
}

bool CovenantBase::HasPactWith(int32_t other) const
{
    int32_t treaty = GetTreatyState(other);
    return treaty == CovenantTreaty::NonAggressionPact || treaty == CovenantTreaty::MutualProtectionPact ||
           treaty == CovenantTreaty::Alliance;
}

const CovenantBase* CovenantBase::GetPartner(int32_t) const
{
    return nullptr;
}

TimeStamp CovenantBase::GetGameTime() const
{
    return TimeStamp();
}

const RelationRecord* CovenantBase::FindRelation(int32_t other) const
{
    return HasRelation(other) ? &relations[static_cast<size_t>(other)] : &kNoRelation;
}

RelationRecord* CovenantBase::RelationForWrite(int32_t other)
{
    if (!EnsureRelationSlots(other)) {
        DebugSystem::Print(kPrintError, "Covenant %d: no relation slot %d\n", index, other);
        return nullptr;
    }
    return &relations[static_cast<size_t>(other)];
}

bool CovenantBase::GetRumorCost(int32_t kind, int32_t& cost) const
{
    if (!gGameData || kind < 0 || kind >= RumorLevel::kCount)
        return false;
    double price = static_cast<double>(gGameData->GetTuning().rumorCostPerLevel[static_cast<size_t>(kind)]) *
                   leaderLevel;
    // A bad tuning value or a huge level prices the rumour at the ends of the range, never past them.
    price = std::isnan(price) ? 0.0 : std::clamp(std::ceil(price), 0.0, static_cast<double>(INT32_MAX));
    cost = static_cast<int32_t>(price);
    return true;
}
