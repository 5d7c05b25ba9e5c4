// Bag menus over the client's mirror of a joined player: the template that fits the bag in the bag's place, the slots past its size hidden, the menu closed when the bag goes, and templates swapped while a slot is dragged.
#include "ui/ItemSlotWorld.h"

#include "support/LogLines.h"
#include "ui/widgets/UIBagMenu.h"

namespace {

// A bag menu of the first carried bag with templates for bags of 2 and 4 cells (the second
// line for 2 is never used), and the two templates: cells 40 pixels apart from (0, 400).
std::string BagMenuSlots(int32_t cells)
{
    std::string text;
    for (int32_t cell = 0; cell < cells; ++cell)
        text += StringFormat("ItemSlot { internalName C%d inventorySlot Main %d position %d 0 size 32 32 }\n", cell,
                             cell, cell * 40);
    return text;
}

class BagMenu : public ItemSlotWorld {
protected:
    void StartWithBag(const std::string& templates = "bagTemplate 2 BagSmall\nbagTemplate 4 BagLarge\n"
                                                     "bagTemplate 2 BagLarge\n")
    {
        folder.Write("Assets/UI/bagsmall.mnu", "name BagSmall\nsize 80 40\n" + BagMenuSlots(4));
        folder.Write("Assets/UI/baglarge.mnu", "name BagLarge\nsize 160 40\n" + BagMenuSlots(4));
        folder.Write("Assets/UI/bag0.mnu", "MenuType BagMenu\nname bag0\nposition 0 400\ngroup Bag1\n" + templates);
        StartWithMenu();
        // Open bag menus stack upwards from here: a 40-pixel bag menu stands at (0, 400).
        ui->settings.sideStackStart[1] = 440.0f;
    }

    UIBagMenu& Bag() const { return dynamic_cast<UIBagMenu&>(*ui->FindMenu("bag0")); }

    std::vector<bool> Visible() const
    {
        std::vector<bool> shown;
        for (UIWidget* widget : Bag().GetWidgets())
            shown.push_back(widget->visible);
        return shown;
    }
};

} // namespace

TEST_F(BagMenu, TheFirstTemplateOfTheBagsSizeFillsTheMenuAndCellsPastTheSizeHide)
{
    StartWithBag();
    Give("Satchel", InventoryGroupIndex::Main, 0);
    Sync();
    ui->PushMenuByName("bag0");
    ui->Update(0.0f);
    EXPECT_EQ(Bag().currentTemplate, "BagSmall");
    EXPECT_EQ(Bag().size[0], 80.0f);
    ASSERT_EQ(Bag().GetWidgets().size(), 4u);
    EXPECT_EQ(Visible(), std::vector<bool>({true, true, false, false}));
    auto* first = dynamic_cast<UIItemSlot*>(Bag().GetWidgets().front());
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->group, InventoryGroupIndex::Bag1);
    EXPECT_EQ(first->itemSlotType, ItemSlotType::General);
    EXPECT_EQ(ui->openBagMenus, std::vector<UIMenu*>({&Bag()}));
    EXPECT_EQ(Bag().position[1], 400.0f);
    Give("Pebble", InventoryGroupIndex::Bag1, 1);
    Sync();
    EXPECT_EQ(first->menu, &Bag());
    EXPECT_EQ(dynamic_cast<UIItemSlot*>(Bag().GetWidgets()[1])->GetItem()->GetEntry()->GetName(), "Pebble");
}

TEST_F(BagMenu, ABiggerBagSwitchesTemplatesAndTheBagGoneClosesTheMenu)
{
    StartWithBag();
    Give("Satchel", InventoryGroupIndex::Main, 0);
    Sync();
    ui->PushMenuByName("bag0");
    ui->Update(0.0f);
    hostPlayer->inventory->DeleteAt(InventoryGroupIndex::Main, 0);
    Give("Pack", InventoryGroupIndex::Main, 0);
    Sync();
    EXPECT_EQ(Bag().currentTemplate, "BagLarge");
    EXPECT_EQ(Bag().size[0], 160.0f);
    EXPECT_EQ(Visible(), std::vector<bool>({true, true, true, true}));
    hostPlayer->inventory->DeleteAt(InventoryGroupIndex::Main, 0);
    Sync();
    EXPECT_FALSE(Bag().IsShown());
    EXPECT_TRUE(ui->openBagMenus.empty());
}

TEST_F(BagMenu, ATemplateSwitchWhileACellIsDraggedLeavesNoPointerIntoTheOldCells)
{
    StartWithBag();
    Give("Satchel", InventoryGroupIndex::Main, 0);
    Give("Pebble", InventoryGroupIndex::Bag1, 0);
    Sync();
    ui->PushMenuByName("bag0");
    ui->Update(0.0f);
    Press(10, 410);
    ASSERT_EQ(ui->dragWidget, Bag().GetWidgets().front());
    hostPlayer->inventory->DeleteAt(InventoryGroupIndex::Main, 0);
    Give("Pack", InventoryGroupIndex::Main, 0);
    Sync();
    EXPECT_EQ(Bag().currentTemplate, "BagLarge");
    EXPECT_EQ(ui->dragWidget, nullptr);
    Give("Pebble", InventoryGroupIndex::Bag1, 1);
    Sync();
    Press(50, 410);  // picks up from the new cells
    EXPECT_EQ(ui->dragWidget, Bag().GetWidgets()[1]);
}

TEST_F(BagMenu, ATemplateNamingTheMenuItselfIsRefusedAndASizeWithoutOneKeepsTheCells)
{
    StartWithBag("bagTemplate 2 bag0\nbagTemplate 4 BagLarge\n");
    Give("Pack", InventoryGroupIndex::Main, 0);
    Sync();
    ui->PushMenuByName("bag0");
    ui->Update(0.0f);
    ASSERT_EQ(Bag().GetWidgets().size(), 4u);
    hostPlayer->inventory->DeleteAt(InventoryGroupIndex::Main, 0);
    Give("Satchel", InventoryGroupIndex::Main, 0);
    Sync();
    EXPECT_EQ(CountLinesHolding(debug, "Bag menu bag0 names itself as a bag template"), 1);
    EXPECT_EQ(Bag().GetWidgets().size(), 4u);
    EXPECT_EQ(Visible(), std::vector<bool>({true, true, false, false}));
}
