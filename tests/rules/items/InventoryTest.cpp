// InventoryTest -- the placement and stacking matrix, moves and swaps, bag rows, equipping and copies.
#include "rules/items/ItemFormulas.h"
#include "ItemWorld.h"

namespace {

using G = InventoryGroupIndex::Value;
using L = EquipedLocation::Value;

class Inventory : public ItemWorld {
protected:
    TestInventory inventory;
};

TEST_F(Inventory, PlacementMatrixByGroupAndKind)
{
    struct Case {
        const char* item;
        int32_t bag;
        int32_t slot;
        bool accepted;
    };
    const Case cases[] = {
        {"Pack", G::Main, 0, true},           {"Helm", G::Main, 0, false},
        {"Pack", G::Stash, 7, true},          {"Helm", G::Stash, 0, false},
        {"Helm", G::Equipment, L::Head, true}, {"Helm", G::Equipment, L::Chest, false},
        {"Band", G::Equipment, L::Ring2, true}, {"Pack", G::Equipment, L::Head, false},
        {"Helm", G::Bag3, 5, true},           {"Pack", G::Bag1, 0, true},
        {"Tonic", G::StashBag8, 0, true},     {"Helm", G::Loot, 0, true},
        {"Ward", G::House, 3, true},          {"Idol", G::House, 3, false},
        {"Idol", G::House, 4, true},          {"Ward", G::House, 4, false},
        {"Primer", G::Bookshelf, 2, true},    {"Primer", G::Bookshelf, 1, false},
        {"Helm", G::Bookshelf, 2, false},     {"Heirloom", G::Bag4, 0, true},
        {"Heirloom", G::Stash, 0, false},     {"Heirloom", G::StashBag1, 0, false},
        {"Heirloom", G::Loot, 0, false},      {"Helm", G::Bag1, 8, false},
        {"Helm", G::Bag1, -1, false},         {"Helm", 27, 0, false},
    };
    for (const Case& c : cases) {
        auto item = Make(c.item);
        int32_t expected = c.accepted ? kPlaceEmpty : kPlaceRefused;
        EXPECT_EQ(inventory.CanPlace(*item, c.bag, c.slot, 0), expected) << c.item << " in " << c.bag << "/" << c.slot;
    }
}

TEST_F(Inventory, StacksMergeOnlyTheirOwnKindUpToTheLimit)
{
    Plant(inventory, "Tonic", G::Bag1, 0, 4);
    Plant(inventory, "Helm", G::Bag1, 1);
    EXPECT_EQ(inventory.CanPlace(*Make("Tonic"), G::Bag1, 0, 0), kPlaceMerge);
    EXPECT_EQ(inventory.CanPlace(*Make("Helm"), G::Bag1, 1, 0), kPlaceRefused);  // helms do not stack
    EXPECT_EQ(inventory.CanPlace(*Make("Band"), G::Bag1, 0, 0), kPlaceRefused);
    auto magic = Make("Tonic");
    magic->SetQuality(ItemRarity::Common);
    magic->AddAffix(Affix("Fox"), 0.5f);
    EXPECT_EQ(inventory.CanPlace(*magic, G::Bag1, 0, 0), kPlaceRefused);

    auto three = Make("Tonic", 3);
    EXPECT_FALSE(inventory.PlaceItem(three, G::Bag1, 0, 0));  // 4 + 3 is past 5: nothing moves
    EXPECT_NE(three, nullptr);
    EXPECT_EQ(inventory.GetItem(G::Bag1, 0)->GetStackCount(), 4);
    auto one = Make("Tonic");
    EXPECT_TRUE(inventory.PlaceItem(one, G::Bag1, 0, 0));
    EXPECT_EQ(one, nullptr);
    EXPECT_EQ(inventory.GetItem(G::Bag1, 0)->GetStackCount(), 5);
    EXPECT_EQ(inventory.CanPlace(*Make("Tonic"), G::Bag1, 0, 0), kPlaceRefused);  // full
}

TEST_F(Inventory, AddItemFillsStacksThenTheFirstFreeCell)
{
    inventory.ResizeBag(G::Bag2, 3);
    Plant(inventory, "Tonic", G::Bag2, 0, 4);
    Plant(inventory, "Helm", G::Bag2, 1);
    Plant(inventory, "Tonic", G::Bag2, 2, 3);
    auto tonics = Make("Tonic", 4);
    const InventoryBag* bag = inventory.GetBag(G::Bag2);
    EXPECT_FALSE(bag->HasFreeSlot(*tonics));
    EXPECT_TRUE(bag->HasFreeSlot(*Make("Tonic", 3)));
    EXPECT_FALSE(bag->HasFreeSlot(*Make("Helm")));
    ASSERT_FALSE(inventory.AddItem(tonics, G::Bag2));  // room for 3 only, no free cell
    EXPECT_EQ(inventory.GetItem(G::Bag2, 0)->GetStackCount(), 4);
    tonics->SetStackCount(3);
    ASSERT_TRUE(inventory.AddItem(tonics, G::Bag2));
    EXPECT_EQ(inventory.GetItem(G::Bag2, 0)->GetStackCount(), 5);
    EXPECT_EQ(inventory.GetItem(G::Bag2, 2)->GetStackCount(), 5);

    inventory.DeleteAt(G::Bag2, 1);
    auto more = Make("Tonic", 2);
    ItemBase* raw = more.get();
    ASSERT_TRUE(inventory.AddItem(more, G::Bag2));
    EXPECT_EQ(raw->GetSlot(), 1);
    EXPECT_TRUE(inventory.HasRoom(*Make("Helm"), G::Bag3));
    EXPECT_FALSE(inventory.HasRoom(*Make("Helm"), G::Bag2));
    inventory.DeleteAt(G::Bag2, 1);
    EXPECT_TRUE(bag->HasFreeSlot(*Make("Helm"))) << "an empty slot takes anything";
}

TEST_F(Inventory, MovesMergeSwapOrRefuse)
{
    Plant(inventory, "Tonic", G::Bag1, 0, 4);
    Plant(inventory, "Tonic", G::Bag1, 1, 3);
    ASSERT_TRUE(inventory.MoveItem(G::Bag1, 1, G::Bag1, 0));
    EXPECT_EQ(inventory.GetItem(G::Bag1, 0)->GetStackCount(), 5);
    EXPECT_EQ(inventory.GetItem(G::Bag1, 1)->GetStackCount(), 2);  // the rest stays behind

    ItemBase* helm = Plant(inventory, "Helm", G::Bag1, 2);
    ASSERT_TRUE(inventory.MoveItem(G::Bag1, 2, G::Bag1, 1));  // swapped with the tonics
    EXPECT_EQ(inventory.GetItem(G::Bag1, 1), helm);
    EXPECT_EQ(inventory.GetItem(G::Bag1, 2)->GetStackCount(), 2);

    ItemBase* head = Plant(inventory, "Band", G::Bag1, 3);
    EXPECT_FALSE(inventory.MoveItem(G::Bag1, 3, G::Equipment, L::Head));
    ASSERT_TRUE(inventory.MoveItem(G::Bag1, 1, G::Equipment, L::Head));
    // A ring cannot take the helm's place, so neither moves.
    EXPECT_FALSE(inventory.MoveItem(G::Bag1, 3, G::Equipment, L::Head));
    EXPECT_EQ(inventory.GetItem(G::Bag1, 3), head);
    EXPECT_FALSE(inventory.MoveItem(G::Bag1, 5, G::Bag1, 6));  // nothing there
    EXPECT_FALSE(inventory.MoveItem(G::Bag1, 3, G::Bag1, 3));
}

TEST_F(Inventory, BagsHoldingItemsStayAndNeverEnterThemselves)
{
    Plant(inventory, "Pack", G::Main, 0);
    EXPECT_FALSE(inventory.MoveItem(G::Main, 0, G::Bag1, 0));  // into its own contents
    EXPECT_TRUE(inventory.MoveItem(G::Main, 0, G::Main, 1));
    Plant(inventory, "Helm", G::Bag2, 0);
    EXPECT_FALSE(inventory.MoveItem(G::Main, 1, G::Main, 2));
    EXPECT_FALSE(inventory.MoveItem(G::Main, 1, G::Bag3, 0));
    EXPECT_EQ(InventoryBase::GetContentGroup(G::Stash, 7), G::StashBag8);
    EXPECT_EQ(InventoryBase::GetContentGroup(G::Stash, 8), -1);
}

TEST_F(Inventory, ABagSetIntoAPlaceOpensItsCellsThereAndTakesThemAlongWhenItLeaves)
{
    inventory.ResizeBag(G::StashBag1, 0);
    Plant(inventory, "Pack", G::Bag1, 0);
    EXPECT_EQ(inventory.GetSlotCount(G::StashBag1), 0);
    EXPECT_EQ(inventory.GetSlotCount(G::Bag1), 8) << "a bag lying in a bag opens nothing";
    ASSERT_TRUE(inventory.MoveItem(G::Bag1, 0, G::Stash, 0));
    EXPECT_EQ(inventory.GetSlotCount(G::StashBag1), 6);
    ItemBase* helm = Plant(inventory, "Helm", G::StashBag1, 5);
    ASSERT_NE(helm, nullptr);
    EXPECT_FALSE(inventory.MoveItem(G::Stash, 0, G::Bag1, 0)) << "a bag holding items stays";
    EXPECT_EQ(inventory.GetItem(G::StashBag1, 5), helm);
    inventory.DeleteAt(G::StashBag1, 5);
    ASSERT_TRUE(inventory.MoveItem(G::Stash, 0, G::Bag1, 0));
    EXPECT_EQ(inventory.GetSlotCount(G::StashBag1), 0) << "no cells where no bag stands";

    // Two empty bags trading places: each place takes the size of the bag that comes.
    inventory.ResizeBag(G::Bag2, 0);
    ASSERT_TRUE(inventory.MoveItem(G::Bag1, 0, G::Main, 1));
    Plant(inventory, "Pouch", G::Stash, 0);
    EXPECT_EQ(inventory.GetSlotCount(G::Bag2), 6);
    EXPECT_EQ(inventory.GetSlotCount(G::StashBag1), 3);
    ASSERT_TRUE(inventory.MoveItem(G::Main, 1, G::Stash, 0));
    EXPECT_EQ(inventory.GetSlotCount(G::Bag2), 3);
    EXPECT_EQ(inventory.GetSlotCount(G::StashBag1), 6);
    // A place roomier than the bag set into it keeps its cells.
    Plant(inventory, "Pouch", G::Main, 2);
    EXPECT_EQ(inventory.GetSlotCount(G::Bag3), 8);
}

TEST_F(Inventory, EquipPicksTheFreeOfTwoSlotsAndHonoursRequirements)
{
    ItemBase* first = Plant(inventory, "Band", G::Bag1, 0);
    ItemBase* second = Plant(inventory, "Band", G::Bag1, 1);
    ASSERT_TRUE(inventory.Equip(first, false));
    ASSERT_TRUE(inventory.Equip(second, false));
    EXPECT_EQ(inventory.GetItem(G::Equipment, L::Ring1), first);
    EXPECT_EQ(inventory.GetItem(G::Equipment, L::Ring2), second);
    ItemBase* third = Plant(inventory, "Band", G::Bag1, 2);
    ASSERT_TRUE(inventory.Equip(third, true));
    EXPECT_EQ(inventory.GetItem(G::Equipment, L::Ring2), third);
    EXPECT_EQ(inventory.GetItem(G::Bag1, 2), second);

    IntArray weak = Stats(1, 1);
    inventory.ownerStats = &weak;
    ItemBase* sword = Plant(inventory, "Sword", G::Bag1, 3);
    EXPECT_FALSE(inventory.Equip(sword, false));
    EXPECT_FALSE(CanEquipItemInSlot(inventory, sword, G::Equipment, L::HandPrimary, ItemSlotType::HandPrimary));
    IntArray strong = Stats(2, 10);
    inventory.ownerStats = &strong;
    EXPECT_TRUE(CanEquipItemInSlot(inventory, sword, G::Equipment, L::HandPrimary, ItemSlotType::HandPrimary));
    EXPECT_TRUE(inventory.Equip(sword, false));
    EXPECT_FALSE(inventory.Equip(Make("Helm").get(), false));  // not in this inventory
}

TEST_F(Inventory, TwoHandedWeaponsClearTheOffHand)
{
    ItemBase* buckler = Plant(inventory, "Buckler", G::Equipment, L::HandSecondary);
    ItemBase* axe = Plant(inventory, "GreatAxe", G::Bag1, 0);
    EXPECT_FALSE(inventory.MoveItem(G::Bag1, 0, G::Equipment, L::HandPrimary));
    ASSERT_TRUE(inventory.Equip(axe, false));
    EXPECT_EQ(inventory.GetItem(G::Equipment, L::HandPrimary), axe);
    EXPECT_EQ(inventory.GetItem(G::Equipment, L::HandSecondary), nullptr);
    EXPECT_EQ(buckler->GetGroup(), G::Bag1);
    EXPECT_FALSE(inventory.MoveItem(buckler->GetGroup(), buckler->GetSlot(), G::Equipment, L::HandSecondary));

    // With no free carried cell the off-hand item stays and nothing moves.
    TestInventory full;
    for (int32_t bag = G::Bag1; bag <= G::Bag4; ++bag)
        full.ResizeBag(bag, 0);
    full.ResizeBag(G::Bag1, 1);
    ItemBase* axe2 = Plant(full, "GreatAxe", G::Bag1, 0);
    Plant(full, "Buckler", G::Equipment, L::HandSecondary);
    EXPECT_FALSE(full.Equip(axe2, false));
    EXPECT_EQ(full.GetItem(G::Bag1, 0), axe2);
    EXPECT_NE(full.GetItem(G::Equipment, L::HandSecondary), nullptr);
}

TEST_F(Inventory, SlotQueriesAndResizing)
{
    Plant(inventory, "Helm", G::Bag1, 5);
    const InventoryBag* bag = inventory.GetBag(G::Bag1);
    EXPECT_TRUE(bag->AreSlotsFree(0, 5));
    EXPECT_FALSE(bag->AreSlotsFree(0, 6));
    EXPECT_TRUE(bag->AreSlotsFree(6, 0));
    EXPECT_FALSE(bag->AreSlotsFree(7, 2));
    EXPECT_FALSE(bag->AreSlotsFree(-1, 1));
    EXPECT_FALSE(inventory.ResizeBag(G::Bag1, 5));  // would cut the helm off
    EXPECT_TRUE(inventory.ResizeBag(G::Bag1, 6));
    EXPECT_FALSE(inventory.ResizeBag(G::Bag1, InventoryBase::kMaxBagSlots + 1));
}

TEST_F(Inventory, CopiesCloneEveryItemAndIdentifyAllSkipsSharedBags)
{
    ItemBase* sword = Plant(inventory, "Sword", G::Bag1, 0);
    sword->SetQuality(ItemRarity::Common);
    sword->AddAffix(Affix("Keen"), 0.25f);
    Plant(inventory, "Helm", G::Stash, 0)->SetQuality(ItemRarity::Rare);
    ItemBase* shared = Plant(inventory, "Sword", G::Bag2, 0);
    shared->SetQuality(ItemRarity::Common);
    shared->AddAffix(Affix("Keen"), 0.25f);
    inventory.GetBag(G::Bag2)->SetShared(true);
    EXPECT_EQ(GetIdentifyAllCost(inventory), 50);

    TestInventory copy;
    copy.CopyFrom(inventory);
    ItemBase* clone = copy.GetItem(G::Bag1, 0);
    ASSERT_NE(clone, nullptr);
    EXPECT_NE(clone, sword);
    EXPECT_EQ(clone->GetIntAt(CharacterStat::Strength), 3);
    EXPECT_TRUE(copy.GetBag(G::Bag2)->IsShared());
    inventory.DeleteAll();
    EXPECT_EQ(copy.CountItems(G::Bag1), 1);
    EXPECT_EQ(inventory.CountItems(G::Bag1), 0);
}

} // namespace
