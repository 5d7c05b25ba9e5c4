// ItemFormulas -- the item arithmetic: equipment slots of item types, the equipping rule of a cell, identify costs, and ItemBase's numbers.
#pragma once

#include <cstdint>

class InventoryBase;
class ItemBase;

// The equipment slot (an EquipedLocation) of an item type: 0..10 the same number, Jewelry the
// first jewelry slot, HandPrimary and HandBoth the primary hand, HandSecondary the secondary,
// Ranged the ranged slot; HandEither and every other type None (17).
int32_t BagForSlotType(int32_t itemType);
// Whether an item may lie in a cell of that ItemSlotType: any item in a None cell, else its own
// slot type, and an either-hand item in a secondary-hand cell too.
bool ItemMatchesSlotType(const ItemBase& item, int32_t slotType);
// The rule for putting an item into a cell (group, index) of an inventory shown with a slot type:
// the slot-type match and the inventory's placement rules (the equipment's requirements and
// off-hand case among them), whatever lies there now. No item always fits.
bool CanEquipItemInSlot(const InventoryBase& inventory, const ItemBase* item, int32_t group, int32_t index,
                        int32_t slotType);
// The identify cost of every item in the bags that are not shared, but the group left out (-1:
// none).
int32_t GetIdentifyAllCost(const InventoryBase& inventory, int32_t leftOut = -1);
