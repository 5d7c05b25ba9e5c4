// InventoryBag -- one bag of an inventory: its slots, each empty or holding an owned item, and its shared flag.
#include "rules/items/InventoryBag.h"

#include <algorithm>

int32_t InventoryBag::CountItems() const
{
    return static_cast<int32_t>(std::count_if(slots.begin(), slots.end(), [](const auto& item) { return item != nullptr; }));
}

int32_t InventoryBag::FindEmptySlot() const
{
    auto found = std::find(slots.begin(), slots.end(), nullptr);
    return found == slots.end() ? -1 : static_cast<int32_t>(found - slots.begin());
}

bool InventoryBag::AreSlotsFree(int32_t start, int32_t count) const
{
    if (start < 0 || start > GetSlotCount())
        return false;
    int64_t end = count <= 0 ? GetSlotCount() : int64_t{start} + count;
    if (end > GetSlotCount())
        return false;
    return std::all_of(slots.begin() + start, slots.begin() + end, [](const auto& item) { return item == nullptr; });
}

bool InventoryBag::HasFreeSlot(const ItemBase& item) const
{
    if (HasEmptySlot())
        return true;
    int64_t room = 0;
    for (const auto& held : slots)
        if (held && held.get() != &item && held->CanStackWith(item))
            room += held->GetMaxStack() - held->GetStackCount();
    return room >= item.GetStackCount();
}
