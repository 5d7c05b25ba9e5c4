// The world host's "moveItem" over the connection: hand-made lines that break the move rules or name no cell move nothing, and a sound one moves the item.
#include "ui/ItemSlotWorld.h"

#include <sstream>

namespace {

class ItemMoveHost : public ItemSlotWorld {
protected:
    // Every cell of the host player's inventory and what lies there.
    std::string Cells() const
    {
        std::ostringstream out;
        for (int32_t bag = 0; bag < InventoryGroupIndex::kCount; ++bag)
            for (int32_t slot = 0; slot < hostPlayer->inventory->GetSlotCount(bag); ++slot)
                if (const ItemBase* item = HostAt(bag, slot))
                    out << bag << ':' << slot << '=' << item->GetEntry()->GetName() << ' ';
        return out.str();
    }
};

} // namespace

TEST_F(ItemMoveHost, HostileMoveLinesMoveNothing)
{
    StartWithMenu();
    hostPlayer->inventory->ResizeBag(InventoryGroupIndex::Bag2, 2);
    Give("Satchel", InventoryGroupIndex::Main, 1);
    Give("Pebble", InventoryGroupIndex::Bag1, 0);
    Give("Charm", InventoryGroupIndex::Bag1, 1);
    Sync();
    std::string before = Cells();
    ASSERT_EQ(before, "0:1=Satchel 2:0=Pebble 2:1=Charm ");
    for (const char* line : {"moveItem two 0 2 3", "moveItem 2 0 2", "moveItem -1 0 2 3", "moveItem 27 0 2 3",
                             "moveItem 2 0 -1 3", "moveItem 2 0 27 0", "moveItem 2 0 2 99", "moveItem 2 0 2 -1",
                             "moveItem 2 2147483647 2 3", "moveItem 0 1 3 0", "moveItem 2 1 6 0", "moveItem 2 1 15 0",
                             "moveItem 2 1 26 0"})
        Client::QueueServerCommand(line);
    Sync();
    EXPECT_EQ(Cells(), before);
    Client::QueueServerCommand("moveItem 2 0 2 3");
    Sync();
    EXPECT_EQ(Cells(), "0:1=Satchel 2:1=Charm 2:3=Pebble ");
    EXPECT_EQ(player->GetInventory().GetItem(InventoryGroupIndex::Bag1, 3) != nullptr, true);
}
