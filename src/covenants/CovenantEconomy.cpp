// Covenant -- the crystal economy: income, the pay step that sells guards and cancels routes when the crystals run out, influence and the trade value of an item.
#include "covenants/Covenant.h"

#include "core/DebugSystem.h"
#include "core/LocSystem.h"
#include "core/MathUtil.h"
#include "core/StringUtil.h"
#include "covenants/CovenantHost.h"
#include "entities/Actor.h"
#include "entities/GameServices.h"
#include "entities/Inventory.h"
#include "entities/Item.h"
#include "entities/Sentient.h"
#include "rules/Formulas.h"
#include "rules/GameData.h"
#include "rules/RulesEnums.h"

#include <cmath>

namespace {

const GameSystemTuning& CovenantEconomyTuning()
{
    static const GameSystemTuning kDefaults;
    return gGameData ? gGameData->GetTuning() : kDefaults;
}

// What a seller gets for an item in the pay step: its value at the share for a price of 0.
int32_t CovenantEconomySalePrice(const ItemBase& item)
{
    return SaturatingInt(std::floor(item.GetValue(true) * GetSellPercent(CovenantEconomyTuning(), 0)));
}

constexpr int32_t kCovenantEconomyMessageKind = 3;
// Beyond the sales and cancellations a covenant can make, a round changes nothing.
constexpr int32_t kCovenantEconomyExtraRounds = 33;

} // namespace

int32_t Covenant::GetCrystalIncome() const
{
    return SaturatingInt(std::floor(static_cast<double>(CovenantBase::GetCrystalIncome()) *
                                           GetFloatStat(kCrystalIncomeMultiplier)));
}

bool Covenant::IsFirstPlayersCovenant() const
{
    const Entity* player = GetPlayer();
    return player && gCovenantHost && gCovenantHost->IsFirstPlayer(*player);
}

void Covenant::SendCovenantMessage(const std::string& text) const
{
    if (IsFirstPlayersCovenant() && gGameServices)
        gGameServices->SendMessage(text, kCovenantEconomyMessageKind);
}

int32_t Covenant::PickGuardToSell() const
{
    int32_t best = -1;
    int32_t bestValue = 0;
    for (int32_t slot = 0; slot < kGuardSlots; ++slot) {
        const ItemBase* item = GetHouseItem(slot);
        if (!item || !item->GetGuardRecord() || item->IsGuardFallen())
            continue;
        int32_t value = item->GetValue(true);
        if (best == -1 || value > bestValue) {
            best = slot;
            bestValue = value;
        }
    }
    return best;
}

bool Covenant::FindLeaderItemToSell(int32_t& bag, int32_t& slot) const
{
    const auto* leader = dynamic_cast<const Sentient*>(GetLeader());
    if (!leader || !leader->inventory)
        return false;
    for (bag = InventoryGroupIndex::Bag1; bag <= InventoryGroupIndex::Bag4; ++bag)
        for (slot = 0; slot < leader->inventory->GetSlotCount(bag); ++slot)
            if (const ItemBase* item = leader->inventory->GetItem(bag, slot); item && item->GetGuardRecord())
                return true;
    return false;
}

int32_t Covenant::PickTradeRouteToCancel() const
{
    int32_t base = GetBaseIncome();
    int32_t best = -1;
    int32_t bestIncome = 0;
    for (int32_t other = 0; other < kMaxCovenants; ++other) {
        int32_t kind = GetTradeRouteKind(other);
        if (kind == TradeRouteType::None)
            continue;
        int32_t income = GetTradeRouteIncome(base, other, kind, GetRelationTimeStamp(other));
        if (best == -1 || income > bestIncome) {
            best = other;
            bestIncome = income;
        }
    }
    return best;
}

bool Covenant::SellGuard(int32_t& crystals)
{
    int32_t slot = PickGuardToSell();
    Entity* guard = GetGuard(slot);
    if (!guard)
        return false;
    std::string name = guard->GetEntry() ? std::string(guard->GetEntry()->GetName()) : std::string();
    SendCovenantMessage(MakeLocToken("RanOutOfCrystalsHadToSellXGuard", "%s", name.c_str()));
    crystals = SaturatingInt(static_cast<double>(crystals) + CovenantEconomySalePrice(*GetHouseItem(slot)));
    RemoveGuard(slot);
    inventory->DeleteAt(InventoryGroupIndex::House, slot);
    RecomputeBonuses();
    return true;
}

bool Covenant::SellLeaderItem(int32_t& crystals)
{
    int32_t bag = -1;
    int32_t slot = -1;
    if (!FindLeaderItemToSell(bag, slot))
        return false;
    auto* leader = dynamic_cast<Sentient*>(GetLeader());
    SendCovenantMessage("$$RanOutOfCrystalsHadToSellGuardFromIinv$$");
    crystals = SaturatingInt(static_cast<double>(crystals) +
                                    CovenantEconomySalePrice(*leader->inventory->GetItem(bag, slot)));
    leader->inventory->DeleteAt(bag, slot);
    RecomputeBonuses();
    return true;
}

bool Covenant::CancelRouteForUpkeep()
{
    int32_t other = PickTradeRouteToCancel();
    if (other == -1)
        return false;
    SendCovenantMessage(MakeLocToken("RanOutOfCrystalsHadToCancelTradeRoute", "%s",
                                     gCovenantHost ? gCovenantHost->GetCovenantText(other).c_str() : ""));
    Covenant* partner = gCovenantHost ? gCovenantHost->GetCovenant(other) : nullptr;
    if (partner)
        gCovenantHost->SetTradeRoute(this, partner, TradeRouteType::None, false);
    // The game ends routes only between two living covenants; one it left stands no more.
    if (GetTradeRouteKind(other) != TradeRouteType::None)
        SetTradeRouteKind(other, TradeRouteType::None);
    return true;
}

void Covenant::PayUpkeep()
{
    int32_t crystals = statistics.Get(CovenantStat::Money);
    int32_t rounds = kGuardSlots + kCovenantEconomyExtraRounds;
    if (const auto* leader = dynamic_cast<const Sentient*>(GetLeader()); leader && leader->inventory)
        for (int32_t bag = InventoryGroupIndex::Bag1; bag <= InventoryGroupIndex::Bag4; ++bag)
            rounds += leader->inventory->GetSlotCount(bag);
    for (int32_t round = 0;; ++round) {
        int32_t income = GetCrystalIncome();
        if (income >= 0 || -static_cast<int64_t>(income) <= crystals) {
            if (income < 0 && 3 * -static_cast<int64_t>(income) >= crystals)
                SendCovenantMessage("$$RunningLowOnCrystals$$");
            crystals = SaturatingInt(static_cast<double>(crystals) + income);
            break;
        }
        if (round >= rounds) {
            DebugSystem::Print(kPrintWarning, "Covenant %d: the pay step stopped after %d rounds\n", index, rounds);
            crystals = SaturatingInt(static_cast<double>(crystals) + income);
            break;
        }
        if (SellGuard(crystals) || SellLeaderItem(crystals) || CancelRouteForUpkeep())
            continue;
        crystals = SaturatingInt(static_cast<double>(crystals) + income);
        break;
    }
    statistics.Set(CovenantStat::Money, crystals);
}

// ---- Influence ----------------------------------------------------------------------------------

void Covenant::AddInfluence(int32_t counter, int32_t amount)
{
    if (counter < 0 || counter > 3)
        return;
    int32_t stat = CovenantStat::InfluenceAdventure + counter;
    int64_t cap = CovenantEconomyTuning().maxInfluence;
    int64_t total = 0;
    for (int32_t i = CovenantStat::InfluenceAdventure; i <= CovenantStat::InfluenceTransferred; ++i)
        total += statistics.Get(i);
    int64_t add = amount;
    if (total + add > cap)
        add -= total + add - cap;
    int64_t value = std::min<int64_t>(static_cast<int64_t>(statistics.Get(stat)) + add, cap);
    statistics.Set(stat, static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX)));
}

void Covenant::GainInfluenceFromXp(int32_t level, int32_t kind, int32_t xp)
{
    const GameSystemTuning& tuning = CovenantEconomyTuning();
    double a = 100.0 * std::pow(static_cast<double>(tuning.hardGoalEachLevel), level - 1) * xp;
    float multiplier = 0.0f;
    switch (kind) {
    case 0: multiplier = tuning.influenceMultCombatXp; break;
    case 1: multiplier = tuning.influenceMultSecretXp; break;
    case 2: multiplier = tuning.influenceMultQuestXp; break;
    case 3: multiplier = tuning.influenceMultExplorationXp; break;
    default: break;
    }
    int32_t value = SaturatingInt(std::floor(a * multiplier));
    int32_t amount = SaturatingInt(std::floor(value * static_cast<double>(GetFloatStat(kInfluenceExperienceMultiplier))));
    AddInfluence(kind == 0 ? 0 : 2, amount);
}

int32_t Covenant::GainInfluenceForDestroying(const Covenant& victim, float factor)
{
    double sum = static_cast<double>(victim.statistics.Get(CovenantStat::InfluenceAdventure)) +
                 victim.statistics.Get(CovenantStat::InfluenceCompetition) +
                 victim.statistics.Get(CovenantStat::InfluenceWorld);
    int32_t amount = SaturatingInt(
        std::ceil(sum * factor * CovenantEconomyTuning().influenceMultDestroyedCovenant));
    AddInfluence(1, amount);
    return amount;
}

float Covenant::GetItemTradeValue(const ItemBase& item, bool) const
{
    int32_t value = item.GetValue(true);
    return static_cast<float>(value) * GetSellPercent(CovenantEconomyTuning(), value);
}
