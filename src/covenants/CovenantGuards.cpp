// Covenant -- the house's four guards beside the home, the four pedestals around it and the relics shown on them.
#include "covenants/Covenant.h"

#include "core/Database.h"
#include "covenants/CovenantHost.h"
#include "entities/Actor.h"
#include "entities/GameServices.h"
#include "entities/Item.h"
#include "entities/ItemGround.h"
#include "rules/GameData.h"
#include "rules/monsters/MonsterType.h"

namespace {

// A refused entity is deleted: the covenant keeps no pointer to it.
bool CovenantGuardsAdd(Entity* entity)
{
    if (gGameServices && gGameServices->AddEntity(entity) != -1)
        return true;
    delete entity;
    return false;
}

bool IsGuardSlot(int32_t slot)
{
    return slot >= 0 && slot < Covenant::kGuardSlots;
}

bool IsRelicSlot(int32_t slot)
{
    return slot >= Covenant::kFirstRelicSlot && slot < Covenant::kHouseSlots;
}

} // namespace

// ---- Guards ------------------------------------------------------------------------------------

void Covenant::SpawnGuard(Item* item, int32_t slot)
{
    if (!item || !item->GetGuardRecord() || eliminated || !IsGuardSlot(slot) || !gGameData || !gCovenantHost)
        return;
    const MonsterType* type = gGameData->FindMonsterTypeBy(item->GetGuardRecord());
    Actor* guard = type ? gCovenantHost->MakeGuard(*type, type->GetMinLevel()) : nullptr;
    if (!guard)
        return;
    guard->flags &= ~static_cast<uint32_t>(EntityFlag::Hidden);
    guard->covenantIndex = index;
    guard->guard = true;
    ApplyRelicEffects(*guard);
    // A guard keeps to its post.
    guard->adventurer = false;
    WorldPos post = GetGuardPosition(slot);
    guard->SetPosition(post);
    guard->SetHome(post);
    // A guard that was hurt comes back hurt; a mirror of 0 is a guard never hurt, not a dead one.
    if (item->GetGuardHealth() > 0 && item->GetGuardHealth() < guard->maxHealth)
        guard->health = item->GetGuardHealth();
    if (CovenantGuardsAdd(guard))
        guards[static_cast<size_t>(slot)].Set(guard);
}

WorldPos Covenant::GetGuardPosition(int32_t slot) const
{
    WorldPos post = GetHomePosition();
    if (!IsGuardSlot(slot))
        return post;
    FloatPair cell = gGameData ? gGameData->GetTuning().gridSize : FloatPair{};
    // Slots 0 and 2 stand west, 1 and 3 east; 0 and 1 north, 2 and 3 south.
    post.x += (slot % 2 == 0 ? -kGuardNearCells : kGuardFarCells) * cell.x;
    post.y += (slot < 2 ? kGuardFarCells : -kGuardFarCells) * cell.y;
    post.Normalize();
    return post;
}

Entity* Covenant::GetGuard(int32_t slot) const
{
    return IsGuardSlot(slot) ? guards[static_cast<size_t>(slot)].GetAs<Entity>() : nullptr;
}

void Covenant::RemoveGuard(int32_t slot)
{
    if (Entity* guard = GetGuard(slot))
        guard->ScheduleDelete(0.0f);
    if (IsGuardSlot(slot))
        guards[static_cast<size_t>(slot)].Clear();
}

void Covenant::DismissGuard(int32_t slot)
{
    if (Entity* guard = GetGuard(slot))
        guard->FadeOutAndDelete(kGuardFadeSeconds);
    if (IsGuardSlot(slot))
        guards[static_cast<size_t>(slot)].Clear();
}

void Covenant::ReleaseGuard(int32_t slot)
{
    if (!IsGuardSlot(slot))
        return;
    if (Entity* guard = GetGuard(slot)) {
        guard->covenantIndex = -1;
        if (auto* actor = dynamic_cast<Actor*>(guard))
            actor->guard = false;
    }
    if (ItemBase* item = GetHouseItem(slot)) {
        item->SetGuardFallen(true);
        ResetGuardPrices(*item);
    }
    guards[static_cast<size_t>(slot)].Clear();
}

int32_t Covenant::FindHouseSlotForNew(int32_t first, int32_t end, bool guards) const
{
    int32_t cheapest = -1;
    int32_t cheapestValue = 0;
    for (int32_t slot = first; slot < end; ++slot) {
        const ItemBase* item = GetHouseItem(slot);
        bool standing = item && (!guards || (item->GetItemType() == ItemType::Guard && !item->IsGuardFallen()));
        if (!standing)
            return slot;
        int32_t value = item->GetValue(true);
        if (cheapest == -1 || value < cheapestValue) {
            cheapest = slot;
            cheapestValue = value;
        }
    }
    return cheapest;
}

int32_t Covenant::FindGuardSlotForNew() const
{
    return FindHouseSlotForNew(0, kGuardSlots, true);
}

int32_t Covenant::FindRelicSlotForNew() const
{
    return FindHouseSlotForNew(kFirstRelicSlot, kHouseSlots, false);
}

// ---- Pedestals and relics ----------------------------------------------------------------------

void Covenant::CreatePedestals()
{
    const DatabaseEntry* record = gDatabase ? gDatabase->FindEntryByName(kPedestalRecord) : nullptr;
    for (int32_t i = 0; i < kRelicSlots; ++i) {
        auto* pedestal = new Entity();
        if (record)
            pedestal->SetEntry(record);
        WorldPos where = GetHomePosition();
        Vector2 offset = gCovenantHost ? gCovenantHost->GetPedestalOffset(i) : Vector2{};
        where.x += offset.x;
        where.y += offset.y;
        where.Normalize();
        pedestal->SetPosition(where);
        pedestal->covenantIndex = index;
        if (CovenantGuardsAdd(pedestal))
            pedestals[static_cast<size_t>(i)].Set(pedestal);
    }
}

Entity* Covenant::GetPedestal(int32_t i) const
{
    return i >= 0 && i < kRelicSlots ? pedestals[static_cast<size_t>(i)].GetAs<Entity>() : nullptr;
}

void Covenant::PlaceRelic(Item* relic, int32_t slot)
{
    Entity* pedestal = IsRelicSlot(slot) ? GetPedestal(slot - kFirstRelicSlot) : nullptr;
    if (!relic || eliminated || !pedestal)
        return;
    // The display shows a copy: the relic itself stays in the house.
    auto shown = std::make_unique<Item>();
    shown->CopyFrom(*relic);
    ItemGround* display = ItemGround::MakeDisplay(std::move(shown));
    display->SetPosition(pedestal->position);
    if (!CovenantGuardsAdd(display))
        return;
    display->AttachTo(pedestal, kRelicTag);
    RemoveRelicDisplay(slot);
    relicDisplays[static_cast<size_t>(slot - kFirstRelicSlot)].Set(display);
}

Entity* Covenant::GetRelicDisplay(int32_t slot) const
{
    return IsRelicSlot(slot) ? relicDisplays[static_cast<size_t>(slot - kFirstRelicSlot)].GetAs<Entity>() : nullptr;
}

void Covenant::RemoveRelicDisplay(int32_t slot)
{
    if (Entity* display = GetRelicDisplay(slot))
        display->ScheduleDelete(0.0f);
    if (IsRelicSlot(slot))
        relicDisplays[static_cast<size_t>(slot - kFirstRelicSlot)].Clear();
}

void Covenant::ApplyRelicEffects(Entity& entity) const
{
    for (int32_t slot = kFirstRelicSlot; slot < kHouseSlots; ++slot) {
        const Item* relic = GetInventoryItem(InventoryGroupIndex::House, slot);
        const ItemDefinition* definition = relic ? relic->GetDefinition() : nullptr;
        if (!definition || !definition->statusEffectRecord)
            continue;
        int32_t level = definition->statusEffectUseLevel ? relic->GetLevel() : 1;
        entity.AddStatusEffect(definition->statusEffectRecord, &entity, level);
    }
}
