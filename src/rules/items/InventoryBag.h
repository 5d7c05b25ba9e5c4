// InventoryBag -- one bag of an inventory: its slots, each empty or holding an owned item, and its shared flag.
#pragma once

#include "rules/items/ItemBase.h"

#include <cstdint>
#include <memory>
#include <vector>

class InventoryBag {
public:
    int32_t GetSlotCount() const { return static_cast<int32_t>(slots.size()); }
    bool IsValidSlot(int32_t slot) const { return slot >= 0 && slot < GetSlotCount(); }
    // Null for an empty slot or one outside the bag.
    ItemBase* GetItem(int32_t slot) const { return IsValidSlot(slot) ? slots[static_cast<size_t>(slot)].get() : nullptr; }
    int32_t CountItems() const;

    bool HasEmptySlot() const { return FindEmptySlot() >= 0; }
    // The first empty slot; -1 when there is none.
    int32_t FindEmptySlot() const;
    // count slots from start are all inside the bag and empty; a count of 0 or less means up to
    // the end of the bag.
    bool AreSlotsFree(int32_t start, int32_t count) const;
    // The item fits whole: into the stacks of its kind in the bag, or into an empty slot.
    bool HasFreeSlot(const ItemBase& item) const;

    // A shared bag belongs to the owner of the inventory (a server inventory asks its owner).
    bool IsShared() const { return shared; }
    void SetShared(bool value) { shared = value; }

private:
    friend class InventoryBase;

    std::vector<std::unique_ptr<ItemBase>> slots;
    bool shared = false;
};
