// InventoryBase -- the 27 bags of items of a character, covenant or container: placement, stacks, equipping, copies, the saved form.
#include "rules/items/InventoryBase.h"

#include "core/MessageBuffer.h"
#include "rules/IntArray.h"
#include "rules/items/ItemFormulas.h"

#include <algorithm>
#include <utility>

namespace {

constexpr int32_t kHouseGuardSlots = 4;
constexpr int32_t kCarriedBags = 4;
constexpr int32_t kStashBags = 8;

bool MustStay(const ItemBase& item)
{
    const ItemDefinition* definition = item.GetDefinition();
    return definition && (definition->noDrop || definition->mustStayInInventory);
}

} // namespace

InventoryBag* InventoryBase::GetBag(int32_t index)
{
    return index >= 0 && index < kBagCount ? &bags[static_cast<size_t>(index)] : nullptr;
}

ItemBase* InventoryBase::GetItem(int32_t bag, int32_t slot) const
{
    const InventoryBag* contents = GetBag(bag);
    return contents ? contents->GetItem(slot) : nullptr;
}

bool InventoryBase::FindItem(const ItemBase* item, int32_t& bag, int32_t& slot) const
{
    for (bag = 0; item && bag < kBagCount; ++bag) {
        const InventoryBag* contents = GetBag(bag);
        for (slot = 0; contents && slot < contents->GetSlotCount(); ++slot) {
            if (contents->GetItem(slot) == item)
                return true;
        }
    }
    bag = slot = -1;
    return false;
}

int32_t InventoryBase::CountItems(int32_t bag) const
{
    const InventoryBag* contents = GetBag(bag);
    return contents ? contents->CountItems() : 0;
}

int32_t InventoryBase::GetSlotCount(int32_t bag) const
{
    const InventoryBag* contents = GetBag(bag);
    return contents ? contents->GetSlotCount() : 0;
}

bool InventoryBase::ResizeBag(int32_t bag, int32_t count)
{
    InventoryBag* contents = GetBag(bag);
    if (!contents || count < 0 || count > kMaxBagSlots || !contents->AreSlotsFree(std::min(count, contents->GetSlotCount()), 0))
        return false;
    contents->slots.resize(static_cast<size_t>(count));
    return true;
}

int32_t InventoryBase::GetContentGroup(int32_t bag, int32_t slot)
{
    if (bag == InventoryGroupIndex::Main && slot >= 0 && slot < kCarriedBags)
        return InventoryGroupIndex::Bag1 + slot;
    if (bag == InventoryGroupIndex::Stash && slot >= 0 && slot < kStashBags)
        return InventoryGroupIndex::StashBag1 + slot;
    return -1;
}

int32_t InventoryBase::CanPlace(const ItemBase& item, int32_t bag, int32_t slot, int32_t flags) const
{
    const InventoryBag* target = GetBag(bag);
    if (!target || !target->IsValidSlot(slot))
        return kPlaceRefused;
    if (!(flags & kPlaceAnyGroup) && !GroupAccepts(item, bag, slot, flags))
        return kPlaceRefused;
    const ItemBase* occupant = target->GetItem(slot);
    if (!occupant || occupant == &item || (flags & kPlaceIgnoreOccupant))
        return kPlaceEmpty;
    bool room = occupant->CanStackWith(item) && occupant->GetStackCount() < occupant->GetMaxStack();
    return room ? kPlaceMerge : kPlaceRefused;
}

bool InventoryBase::GroupAccepts(const ItemBase& item, int32_t bag, int32_t slot, int32_t flags) const
{
    if (MustStay(item) && bag > InventoryGroupIndex::Bag4)
        return false;
    int32_t type = item.GetItemType();
    switch (bag) {
    case InventoryGroupIndex::Main:
    case InventoryGroupIndex::Stash: return type == ItemType::Bag;
    case InventoryGroupIndex::Equipment: return EquipmentAccepts(item, slot, flags);
    case InventoryGroupIndex::House: return type == (slot < kHouseGuardSlots ? ItemType::Guard : ItemType::Relic);
    case InventoryGroupIndex::Bookshelf:
        return type == ItemType::Tome &&
               (item.GetDefinition()->forcedItemSlot < 0 || item.GetDefinition()->forcedItemSlot == slot);
    default: return true;
    }
}

bool InventoryBase::EquipmentAccepts(const ItemBase& item, int32_t slot, int32_t flags) const
{
    if (!item.FitsEquipSlot(slot))
        return false;
    if (const IntArray* stats = GetOwnerStats(); stats && !item.MeetsRequirements(*stats))
        return false;
    if (flags & kPlaceIgnoreOffHand)
        return true;
    const ItemBase* primary = GetItem(InventoryGroupIndex::Equipment, EquipedLocation::HandPrimary);
    const ItemBase* secondary = GetItem(InventoryGroupIndex::Equipment, EquipedLocation::HandSecondary);
    // A two-handed weapon leaves the off hand empty.
    if (slot == EquipedLocation::HandSecondary && primary && primary != &item && primary->GetItemType() == ItemType::HandBoth)
        return false;
    return !(slot == EquipedLocation::HandPrimary && item.GetItemType() == ItemType::HandBoth && secondary &&
             secondary != &item);
}

bool InventoryBase::MayLeave(int32_t bag, int32_t slot, int32_t toBag) const
{
    int32_t content = GetContentGroup(bag, slot);
    return content < 0 || (CountItems(content) == 0 && toBag != content);
}

void InventoryBase::Put(std::unique_ptr<ItemBase> item, int32_t bag, int32_t slot)
{
    item->SetLocation(bag, slot);
    const ItemDefinition* definition = item->GetDefinition();
    GetBag(bag)->slots[static_cast<size_t>(slot)] = std::move(item);
    // A bag set into a bag place opens its cells there, so a bag bought or stored has room at
    // once; a place already roomier keeps its cells.
    int32_t content = GetContentGroup(bag, slot);
    if (content >= 0 && definition && GetSlotCount(content) < definition->bagSize)
        ResizeBag(content, definition->bagSize);
}

void InventoryBase::Merge(int32_t fromBag, int32_t fromSlot, int32_t toBag, int32_t toSlot)
{
    ItemBase* source = GetItem(fromBag, fromSlot);
    ItemBase* target = GetItem(toBag, toSlot);
    int32_t moved = std::min(source->GetStackCount(), target->GetMaxStack() - target->GetStackCount());
    target->SetStackCount(target->GetStackCount() + moved);
    if (moved == source->GetStackCount())
        DeleteAt(fromBag, fromSlot);
    else
        source->SetStackCount(source->GetStackCount() - moved);
}

bool InventoryBase::PlaceItem(std::unique_ptr<ItemBase>& item, int32_t bag, int32_t slot, int32_t flags)
{
    if (!item)
        return false;
    int32_t result = CanPlace(*item, bag, slot, flags & ~kPlaceIgnoreOccupant);
    if (result == kPlaceEmpty) {
        Put(std::move(item), bag, slot);
        return true;
    }
    ItemBase* target = GetItem(bag, slot);
    if (result != kPlaceMerge || target->GetMaxStack() - target->GetStackCount() < item->GetStackCount())
        return false;
    target->SetStackCount(target->GetStackCount() + item->GetStackCount());
    item.reset();
    return true;
}

bool InventoryBase::HasRoom(const ItemBase& item, int32_t bag) const
{
    int64_t room = 0;
    for (int32_t slot = 0; slot < GetSlotCount(bag); ++slot) {
        int32_t result = CanPlace(item, bag, slot, 0);
        if (result == kPlaceEmpty)
            return true;
        if (result == kPlaceMerge)
            room += GetItem(bag, slot)->GetMaxStack() - GetItem(bag, slot)->GetStackCount();
    }
    return room >= item.GetStackCount();
}

bool InventoryBase::AddItem(std::unique_ptr<ItemBase>& item, int32_t bag)
{
    if (!item || !HasRoom(*item, bag))
        return false;
    int32_t left = item->GetStackCount();
    for (int32_t slot = 0; slot < GetSlotCount(bag); ++slot) {
        if (CanPlace(*item, bag, slot, 0) != kPlaceMerge)
            continue;
        ItemBase* target = GetItem(bag, slot);
        int32_t moved = std::min(left, target->GetMaxStack() - target->GetStackCount());
        target->SetStackCount(target->GetStackCount() + moved);
        left -= moved;
        if (left == 0) {
            item.reset();
            return true;
        }
    }
    item->SetStackCount(left);
    for (int32_t slot = 0; slot < GetSlotCount(bag); ++slot) {
        if (CanPlace(*item, bag, slot, 0) == kPlaceEmpty) {
            Put(std::move(item), bag, slot);
            return true;
        }
    }
    return false;
}

bool InventoryBase::MoveItem(int32_t fromBag, int32_t fromSlot, int32_t toBag, int32_t toSlot)
{
    ItemBase* item = GetItem(fromBag, fromSlot);
    if (!item || (fromBag == toBag && fromSlot == toSlot) || !MayLeave(fromBag, fromSlot, toBag))
        return false;
    int32_t result = CanPlace(*item, toBag, toSlot, 0);
    if (result == kPlaceEmpty) {
        Put(RemoveAt(fromBag, fromSlot), toBag, toSlot);
        return true;
    }
    if (result == kPlaceMerge) {
        Merge(fromBag, fromSlot, toBag, toSlot);
        return true;
    }
    ItemBase* occupant = GetItem(toBag, toSlot);
    if (!occupant || !MayLeave(toBag, toSlot, fromBag) ||
        CanPlace(*item, toBag, toSlot, kPlaceIgnoreOccupant) != kPlaceEmpty ||
        CanPlace(*occupant, fromBag, fromSlot, kPlaceIgnoreOccupant) != kPlaceEmpty)
        return false;
    std::unique_ptr<ItemBase> moving = RemoveAt(fromBag, fromSlot);
    Put(RemoveAt(toBag, toSlot), fromBag, fromSlot);
    Put(std::move(moving), toBag, toSlot);
    return true;
}

std::unique_ptr<ItemBase> InventoryBase::RemoveAt(int32_t bag, int32_t slot)
{
    InventoryBag* contents = GetBag(bag);
    if (!contents || !contents->IsValidSlot(slot))
        return nullptr;
    std::unique_ptr<ItemBase> item = std::move(contents->slots[static_cast<size_t>(slot)]);
    if (!item)
        return item;
    item->SetLocation(-1, -1);
    // A bag taken out of its place takes its cells with it: no items go into a place with no bag.
    int32_t content = GetContentGroup(bag, slot);
    if (content >= 0 && CountItems(content) == 0)
        ResizeBag(content, 0);
    return item;
}

int32_t InventoryBase::ChooseEquipSlot(const ItemBase& item, bool second) const
{
    // Kinds with two slots: the second slot is always the one after the first.
    int32_t first = BagForSlotType(item.GetItemType());
    if (item.GetItemType() == ItemType::HandEither)
        first = EquipedLocation::HandPrimary;
    else if (item.GetItemType() != ItemType::Ring && item.GetItemType() != ItemType::Jewelry)
        return first;
    int32_t other = first + 1;
    if (second)
        return other;
    bool firstTaken = GetItem(InventoryGroupIndex::Equipment, first) != nullptr;
    return firstTaken && !GetItem(InventoryGroupIndex::Equipment, other) ? other : first;
}

bool InventoryBase::Equip(ItemBase* item, bool second)
{
    int32_t bag = -1, slot = -1;
    if (!FindItem(item, bag, slot))
        return false;
    int32_t target = ChooseEquipSlot(*item, second);
    if (target == EquipedLocation::None)
        return false;
    if (bag == InventoryGroupIndex::Equipment && slot == target)
        return true;
    const int32_t equipment = InventoryGroupIndex::Equipment;
    ItemBase* offHand = GetItem(equipment, EquipedLocation::HandSecondary);
    if (item->GetItemType() != ItemType::HandBoth || !offHand || offHand == item)
        return MoveItem(bag, slot, equipment, target);
    for (int32_t freeBag = InventoryGroupIndex::Bag1; freeBag <= InventoryGroupIndex::Bag4; ++freeBag) {
        int32_t freeSlot = GetBag(freeBag)->FindEmptySlot();
        if (freeSlot < 0 || !MoveItem(equipment, EquipedLocation::HandSecondary, freeBag, freeSlot))
            continue;
        if (MoveItem(bag, slot, equipment, target))
            return true;
        // The weapon itself was refused: the off-hand item goes back as it was.
        Put(RemoveAt(freeBag, freeSlot), equipment, EquipedLocation::HandSecondary);
        return false;
    }
    return false;
}

void InventoryBase::DeleteAll()
{
    for (InventoryBag& contents : bags) {
        for (auto& item : contents.slots)
            item.reset();
    }
}

void InventoryBase::CopyFrom(const InventoryBase& other)
{
    for (int32_t bag = 0; bag < kBagCount; ++bag) {
        const InventoryBag& source = other.bags[static_cast<size_t>(bag)];
        InventoryBag& target = bags[static_cast<size_t>(bag)];
        target.slots.clear();
        target.slots.resize(source.slots.size());
        target.shared = source.shared;
        for (int32_t slot = 0; slot < source.GetSlotCount(); ++slot) {
            if (const ItemBase* item = source.GetItem(slot)) {
                std::unique_ptr<ItemBase> clone = CreateItem();
                clone->CopyFrom(*item);
                clone->SetLocation(bag, slot);
                target.slots[static_cast<size_t>(slot)] = std::move(clone);
            }
        }
    }
}

void InventoryBase::Write(MessageBuffer& buffer, bool byName) const
{
    Write(buffer, byName, -1, nullptr);
}

void InventoryBase::Write(MessageBuffer& buffer, bool byName, int32_t shownBag, const InventoryBag* shown) const
{
    static const InventoryBag kEmpty;
    buffer.WriteInt(kBagCount);
    for (int32_t bag = 0; bag < kBagCount; ++bag) {
        const InventoryBag& contents = bag != shownBag ? bags[static_cast<size_t>(bag)] : shown ? *shown : kEmpty;
        buffer.WriteInt(contents.GetSlotCount());
        for (const auto& item : contents.slots) {
            buffer.WriteRaw32(item ? 1 : 0);
            if (item)
                item->Write(buffer, byName);
        }
    }
}

bool InventoryBase::Read(MessageBuffer& buffer, bool byName, [[maybe_unused]] int32_t version)
{
    int32_t bagCount = 0;
    if (!buffer.ReadCount(bagCount, sizeof(int32_t)) || bagCount > kBagCount)
        return false;
    // Read into the kept bags, whose items are those the last read replaced: an update that
    // sends the same inventory again reads each item into the one that held it before, and the
    // heap is not touched. Until the swap below the inventory itself is not touched either.
    for (int32_t bag = 0; bag < kBagCount; ++bag) {
        InventoryBag& contents = readBags[static_cast<size_t>(bag)];
        if (bag >= bagCount) {
            contents.slots.clear();
            continue;
        }
        int32_t slotCount = 0;
        if (!buffer.ReadCount(slotCount, sizeof(uint32_t)) || slotCount > kMaxBagSlots)
            return false;
        contents.slots.resize(static_cast<size_t>(slotCount));
        for (int32_t slot = 0; slot < slotCount; ++slot) {
            std::unique_ptr<ItemBase>& item = contents.slots[static_cast<size_t>(slot)];
            uint32_t word = buffer.ReadRaw32();
            if (word > 1)
                return false;
            if (word == 0) {
                item.reset();
                continue;
            }
            if (!item)
                item = CreateItem();
            if (!item->Read(buffer, byName))
                return false;
            if (!item->GetDefinition()) {
                item.reset();
                continue;
            }
            item->SetLocation(bag, slot);
        }
    }
    if (buffer.Overrun())
        return false;
    for (int32_t bag = 0; bag < kBagCount; ++bag) {
        InventoryBag& read = readBags[static_cast<size_t>(bag)];
        read.shared = bags[static_cast<size_t>(bag)].shared;
        std::swap(bags[static_cast<size_t>(bag)], read);
    }
    return true;
}
