// Player -- how a character starts, what a new level brings, the tutorial's end and winning the adventure.
#include "entities/Player.h"

#include "core/Database.h"
#include "core/DatabaseEntry.h"
#include "core/DebugSystem.h"
#include "entities/Inventory.h"
#include "entities/Item.h"
#include "rules/CharacterClass.h"
#include "rules/items/ItemDefinition.h"

#include <memory>
#include <string>
#include <vector>

void Player::GiveStartingEquipment()
{
    const DatabaseEntry* record = GetClass() ? GetClass()->GetEntry() : nullptr;
    if (!record)
        return;
    AddMoney(record->GetInt("StartingMoney"));
    GiveStartingItems("StartingItem", InventoryGroupIndex::Bag1);
    GiveStartingItems("AutoStartItem", InventoryGroupIndex::Equipment);
}

// A starting bag goes to the bag row, where its contents group takes the bag's size: that is how
// a new character comes by the backpack (the first bag) its other starting items go into.
bool Player::PlaceStartingItem(std::unique_ptr<ItemBase>& item, int32_t bag)
{
    if (bag != InventoryGroupIndex::Bag1 || item->GetItemType() != ItemType::Bag)
        return inventory->AddItem(item, bag);
    ItemBase* placed = item.get();
    int32_t bagSize = item->GetDefinition()->bagSize;
    if (!inventory->AddItem(item, InventoryGroupIndex::Main))
        return false;
    int32_t row = -1;
    int32_t slot = -1;
    inventory->FindItem(placed, row, slot);
    inventory->ResizeBag(InventoryBase::GetContentGroup(row, slot), bagSize);
    return true;
}

void Player::GiveStartingItems(std::string_view key, int32_t bag)
{
    std::vector<std::string> names;
    GetClass()->GetEntry()->GetStringList(key, names, true, false);
    for (const std::string& name : names) {
        const DatabaseEntry* itemRecord = gDatabase ? gDatabase->FindEntryByName(name) : nullptr;
        if (!itemRecord)
            continue;
        std::unique_ptr<ItemBase> item = std::make_unique<Item>();
        item->SetEntry(itemRecord);
        item->ComputeStats();
        if (!PlaceStartingItem(item, bag))
            DebugSystem::Print(2, "No room for the starting item %s\n", name.c_str());
    }
}
