// Sentient -- items given to a creature and the items it wears made, upgraded and put back to their defaults.
#include "entities/Sentient.h"

#include "core/Database.h"
#include "core/DatabaseEntry.h"
#include "entities/GameServices.h"
#include "entities/Inventory.h"
#include "entities/Item.h"
#include "entities/Skill.h"
#include "rules/items/ItemFormulas.h"

namespace {

// The item a worn item gives way to, named by its record's "DefaultItem"; none without one.
const DatabaseEntry* SentientDefaultItemOf(const ItemBase* item)
{
    const DatabaseEntry* entry = item ? item->GetEntry() : nullptr;
    std::string name = entry ? entry->GetString("DefaultItem") : std::string();
    return name.empty() || !gDatabase ? nullptr : gDatabase->FindEntryByName(name);
}

// A plain item of the record, or one the spawn system makes of it, at the level.
std::unique_ptr<Item> SentientMakeItem(const DatabaseEntry* definition, int32_t level, bool generate)
{
    if (!definition)
        return nullptr;
    std::unique_ptr<Item> item;
    if (generate) {
        item = gGameServices ? gGameServices->GenerateItem(definition, level) : nullptr;
    } else {
        item = std::make_unique<Item>();
        item->SetEntry(definition);
    }
    if (!item || !item->GetDefinition())
        return nullptr;
    item->SetLevel(level);
    return item;
}

} // namespace

int32_t Sentient::GetEquipSlot(int32_t itemType)
{
    return itemType == ItemType::HandEither ? EquipedLocation::HandPrimary : BagForSlotType(itemType);
}

int32_t Sentient::ApplySkillLevels(Skill& skill)
{
    int32_t level = skill.GetLevel();
    for (int32_t each = 1; each <= level; ++each)
        skill.ApplyLevel(each);
    return level;
}

int32_t Sentient::GiveItem(std::unique_ptr<ItemBase>& item, int32_t bag)
{
    if (!item)
        return kGiveRefused;
    int32_t cells = inventory->CountItems(bag);
    if (!inventory->AddItem(item, bag))
        return kGiveRefused;
    return inventory->CountItems(bag) == cells ? kGiveMerged : kGiveAdded;
}

bool Sentient::EquipNewItems(const DatabaseEntry* definition, const Item* from, bool generate, int32_t level)
{
    std::unique_ptr<Item> made = SentientMakeItem(definition, level, generate);
    if (!made)
        return false;
    int32_t bag = -1;
    int32_t slot = -1;
    if (!from || !inventory->FindItem(from, bag, slot) || bag != InventoryGroupIndex::Equipment)
        slot = GetEquipSlot(made->GetItemType());
    if (!inventory->GetBag(InventoryGroupIndex::Equipment) ||
        !inventory->GetBag(InventoryGroupIndex::Equipment)->IsValidSlot(slot))
        return false;
    inventory->DeleteAt(InventoryGroupIndex::Equipment, slot);
    if (made->GetItemType() == ItemType::HandBoth) {
        // The off hand's stand-in has no hand left to stand in for it either.
        const DatabaseEntry* standIn =
            SentientDefaultItemOf(inventory->GetItem(InventoryGroupIndex::Equipment, EquipedLocation::HandSecondary));
        inventory->DeleteAt(InventoryGroupIndex::Equipment, EquipedLocation::HandSecondary);
        for (int32_t other = 0; standIn && other < inventory->GetSlotCount(InventoryGroupIndex::Equipment); ++other)
            if (const ItemBase* item = inventory->GetItem(InventoryGroupIndex::Equipment, other);
                item && item->GetEntry() == standIn)
                inventory->DeleteAt(InventoryGroupIndex::Equipment, other);
    }
    // The slot was chosen by the type, and what the owner's stats would refuse is the maker's gift.
    constexpr int32_t kWornFlags = kPlaceAnyGroup | kPlaceIgnoreOffHand;
    std::unique_ptr<ItemBase> worn(made.release());
    inventory->PlaceItem(worn, InventoryGroupIndex::Equipment, slot, kWornFlags);
    // A generated stack is filled: more of it is made onto the worn one while its count has room.
    // Each item added raises the count, and one that does not stack ends it. A record's stack limit
    // is not bounded, so the filling is: one made a time, a limit of a billion would hold the host.
    constexpr int32_t kMostFilled = 1000;
    const ItemBase* stack = generate ? inventory->GetItem(InventoryGroupIndex::Equipment, slot) : nullptr;
    for (int32_t filled = 0; stack && filled < kMostFilled && stack->GetStackCount() < stack->GetMaxStack();
         ++filled) {
        std::unique_ptr<ItemBase> more(SentientMakeItem(definition, level, true).release());
        if (!more || !inventory->PlaceItem(more, InventoryGroupIndex::Equipment, slot, kWornFlags))
            break;
    }
    RecalculateStats(false);
    return true;
}

void Sentient::EquipDefaultItem(const DatabaseEntry* definition)
{
    std::unique_ptr<Item> made = SentientMakeItem(definition, 1, false);
    if (!made)
        return;
    int32_t slot = GetEquipSlot(made->GetItemType());
    const ItemBase* worn = inventory->GetItem(InventoryGroupIndex::Equipment, slot);
    if (worn) {
        if (const DatabaseEntry* fallback = SentientDefaultItemOf(made.get()))
            EquipNewItems(fallback, static_cast<const Item*>(worn), false, worn->GetLevel());
        std::unique_ptr<ItemBase> carried(made.release());
        GiveItem(carried, InventoryGroupIndex::Bag1);
        return;
    }
    EquipNewItems(definition, nullptr, false, 1);
}

void Sentient::RestoreDefaultItem(int32_t itemType)
{
    if (itemType < 0 || itemType > ItemType::Ranged)
        return;
    if (itemType == ItemType::HandBoth) {
        RestoreDefaultItem(ItemType::HandPrimary);
        RestoreDefaultItem(ItemType::HandSecondary);
        return;
    }
    const auto* worn = dynamic_cast<const Item*>(inventory->GetItem(InventoryGroupIndex::Equipment, GetEquipSlot(itemType)));
    if (const DatabaseEntry* fallback = SentientDefaultItemOf(worn))
        EquipNewItems(fallback, worn, false, worn->GetLevel());
}
