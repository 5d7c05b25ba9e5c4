// InventoryBase -- the 27 bags of items of a character, covenant or container: placement, stacks, equipping, copies, the saved form.
#pragma once

#include "core/BaseClass.h"
#include "core/EngineEnums.h"
#include "rules/items/InventoryBag.h"

#include <array>
#include <cstdint>
#include <memory>

class IntArray;
class MessageBuffer;
class SafeClass;

// CanPlace's answers.
enum PlaceResult : int32_t { kPlaceEmpty = 0, kPlaceRefused = 1, kPlaceMerge = 2 };
// CanPlace's flags: judge the cell as if it were empty; skip the group's rules (what may lie
// in the equipment, the bag rows, the house and the bookshelf); skip the off-hand case.
enum PlaceFlags : int32_t { kPlaceIgnoreOccupant = 1, kPlaceAnyGroup = 2, kPlaceIgnoreOffHand = 4 };

// Bags are the InventoryGroupIndex groups. The bag rows hold bag items: slot k of Main holds
// the bag whose contents are group Bag1 + k, slot k of Stash that of StashBag1 + k; a bag that
// holds items stays where it is. The equipment is indexed by EquipedLocation; the house holds
// guards in slots 0-3 and relics after them; the bookshelf holds tomes. An item that must stay
// in the inventory ("NoDrop", "MustStayInInventory") lies only in groups Main to Bag4.
//
// Virtual operations in slot order: the destructor, GetBag, SetOwner, GetOwner, CreateItem,
// GetOwnerStats. The server's and the client's inventories supply the owner and the item class.
class InventoryBase : public BaseClass {
public:
    static constexpr int32_t kBagCount = InventoryGroupIndex::kCount;
    // Far more than any bag the game makes; a saved bag claiming more is refused.
    static constexpr int32_t kMaxBagSlots = 512;
    // The powerup cells: the front cells of the first carried bag, where picked-up powerups wait
    // their turn (the bag row holds bags only). The skill that changes them, the shift commands
    // and the client's use key all mean these.
    static constexpr int32_t kPowerupBag = InventoryGroupIndex::Bag1;
    static constexpr int32_t kPowerupCells = 3;

    InventoryBase() = default;
    InventoryBase(const InventoryBase&) = delete;
    InventoryBase& operator=(const InventoryBase&) = delete;

    // Null outside 0..26.
    virtual InventoryBag* GetBag(int32_t index);
    virtual void SetOwner(SafeClass*) {}
    virtual SafeClass* GetOwner() const { return nullptr; }
    // A new empty item of the class this inventory holds; reading makes every item through it.
    virtual std::unique_ptr<ItemBase> CreateItem() const { return std::make_unique<ItemBase>(); }
    // The stats the equipment's requirements are tested against; none (no test) in the base.
    virtual const IntArray* GetOwnerStats() const { return nullptr; }

    const InventoryBag* GetBag(int32_t index) const { return const_cast<InventoryBase*>(this)->GetBag(index); }
    // None when the bag or the slot is out of range.
    ItemBase* GetItem(int32_t bag, int32_t slot) const;
    // False, -1 and -1 when the item lies in none of the bags.
    bool FindItem(const ItemBase* item, int32_t& bag, int32_t& slot) const;
    int32_t CountItems(int32_t bag) const;
    int32_t GetSlotCount(int32_t bag) const;
    // Refused (false) for a count outside 0..kMaxBagSlots and for a shrink that would cut off an item.
    bool ResizeBag(int32_t bag, int32_t count);
    // The group whose items the bag item in that cell holds; -1 for a cell of no bag row.
    static int32_t GetContentGroup(int32_t bag, int32_t slot);

    // Whether the item may go into the cell: a PlaceResult. An occupied cell takes it only as a
    // merge into a stack with room, unless kPlaceIgnoreOccupant.
    int32_t CanPlace(const ItemBase& item, int32_t bag, int32_t slot, int32_t flags) const;
    // Puts the item into an empty cell or merges it whole into the stack there; on success the
    // pointer is taken (and null). Refused: false, nothing changed.
    bool PlaceItem(std::unique_ptr<ItemBase>& item, int32_t bag, int32_t slot, int32_t flags);
    // The bag can take the whole item: into its stacks, or into a cell that accepts it.
    bool HasRoom(const ItemBase& item, int32_t bag) const;
    // Fills the bag's stacks first, then the first cell that accepts the rest; taken as PlaceItem.
    bool AddItem(std::unique_ptr<ItemBase>& item, int32_t bag);
    // Moves an item to a cell: into an empty cell, onto a stack of its kind (as much as fits;
    // the rest stays), or swapped with the occupant when each may lie in the other's cell.
    // False when refused; nothing changed then.
    bool MoveItem(int32_t fromBag, int32_t fromSlot, int32_t toBag, int32_t toSlot);
    // Takes the item out of its cell; null for an empty or invalid cell.
    std::unique_ptr<ItemBase> RemoveAt(int32_t bag, int32_t slot);
    // Destroys the item in the cell.
    void DeleteAt(int32_t bag, int32_t slot) { RemoveAt(bag, slot); }
    // Wears an item of this inventory in its equipment slot, swapping out what is there. Rings,
    // jewelry and either-hand items take the second of their two slots when asked, else the
    // first free one (the first when both are taken); a two-handed item sends the off-hand item
    // to a free cell of the carried bags (Bag1..Bag4) first. False, nothing changed, when refused.
    bool Equip(ItemBase* item, bool second);
    void DeleteAll();
    // Every bag of the other inventory: slot counts, shared flags and a clone of every item.
    void CopyFrom(const InventoryBase& other);

    // The bag count (27), then per bag its slot count and per slot a raw word 1 and the item's
    // record, or a raw 0. These are the inventory's own bags, shared or not.
    void Write(MessageBuffer& buffer, bool byName) const;
    // As Write, with another bag's cells (none: an empty bag) written in the place of shownBag:
    // a player is sent the container it looks into as its own opened-container bag.
    void Write(MessageBuffer& buffer, bool byName, int32_t shownBag, const InventoryBag* shown) const;
    // Reads what Write wrote. The version is the file's; every version so far has this layout.
    // A cut or malformed block (a bag count above 27, a slot count beyond the bytes left or
    // kMaxBagSlots, a slot word other than 0 and 1, a bad item record) is refused: false, the
    // inventory unchanged. An item naming a definition the database lacks is dropped.
    bool Read(MessageBuffer& buffer, bool byName, int32_t version);

private:
    bool GroupAccepts(const ItemBase& item, int32_t bag, int32_t slot, int32_t flags) const;
    bool EquipmentAccepts(const ItemBase& item, int32_t slot, int32_t flags) const;
    // The bag item in (bag, slot) may leave for the other bag: it is no bag row's bag, or its
    // contents are empty and it is not going into them.
    bool MayLeave(int32_t bag, int32_t slot, int32_t toBag) const;
    void Put(std::unique_ptr<ItemBase> item, int32_t bag, int32_t slot);
    // Moves as much of the item in the first cell as fits onto the stack in the second.
    void Merge(int32_t fromBag, int32_t fromSlot, int32_t toBag, int32_t toSlot);
    int32_t ChooseEquipSlot(const ItemBase& item, bool second) const;

    std::array<InventoryBag, kBagCount> bags;
    // What Read reads into before it becomes the bags: the bags the last read replaced.
    std::array<InventoryBag, kBagCount> readBags;
};
