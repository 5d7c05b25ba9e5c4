// ActorCovenant -- the rival buys a better guard now and then, when it beats the one it replaces and the house can afford it.
#include "covenants/ActorCovenant.h"

#include "core/MathUtil.h"
#include "covenants/CovenantHost.h"
#include "entities/Entity.h"
#include "entities/Item.h"
#include "rules/Formulas.h"
#include "rules/GameData.h"
#include "rules/RulesEnums.h"
#include "rules/items/InventoryBase.h"

#include <cmath>

void ActorCovenant::ChangeGuard()
{
    // The first step the covenant is awake starts the timer.
    if (!Timer(GuardTimer).running) {
        StartTimer(GuardTimer);
        return;
    }
    if (!Timer(GuardTimer).IsExpired())
        return;
    StartTimer(GuardTimer);
    const Entity* lifestone = GetHomeEntity();
    Entity* leader = GetLeader();
    int32_t income = GetCrystalIncome();
    if (income < 0 || !lifestone || !lifestone->IsAlive() || IsThinkDelayed() || !leader || !gCovenantHost || !gGameData)
        return;
    std::unique_ptr<Item> offered = gCovenantHost->PickGuardItem(leader->GetStat(CharacterStat::Level));
    if (!offered)
        return;
    int32_t slot = FindGuardSlotForNew();
    if (slot < 0)
        return;
    const ItemBase* old = inventory->GetItem(InventoryGroupIndex::House, slot);
    int32_t o = old ? old->GetValue(true) : 0;
    int32_t n = offered->GetValue(true);
    int32_t s = SaturatingInt(std::floor(static_cast<double>(GetSellPercent(gGameData->GetTuning(), o)) * o *
                                         DefinitionFloat("SellPercent")));
    int64_t crystals = statistics.Get(CovenantStat::Money);
    int64_t oldCost = old ? old->GetGuardCost() : 0;
    bool worse = o > n;
    bool dear = n > crystals + s;
    bool upkeep = offered->GetGuardCost() > oldCost + income;
    bool small = static_cast<float>(s) * DefinitionFloat("MinGuardBoost") > static_cast<float>(n) &&
                 static_cast<float>(n) * DefinitionFloat("IgnoreMinGuardBoostMult") > static_cast<float>(crystals);
    if (worse || dear || upkeep || small)
        return;
    if (old) {
        crystals += s;
        RemoveGuard(slot);
        inventory->DeleteAt(InventoryGroupIndex::House, slot);
    }
    statistics.Set(CovenantStat::Money, SaturatingInt(static_cast<double>(std::max<int64_t>(0, crystals - n))));
    Item* placed = offered.get();
    std::unique_ptr<ItemBase> item = std::move(offered);
    if (!inventory->PlaceItem(item, InventoryGroupIndex::House, slot, 0))
        return;
    SpawnGuard(placed, slot);
    RecomputeBonuses();
}
