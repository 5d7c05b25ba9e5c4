// ItemDragEndToEndTest -- the shipped game joined through "start both" in a 640 x 480 offscreen window, a menu of item slots pushed from the console: items dragged by SDL mouse presses move, are worn and are dropped by the world host, and the moved item's icon shows in its new slot.
#include "app/OffscreenShots.h"
#include "client/ClientApp.h"
#include "client/PlayerClient.h"
#include "core/UserVarSystem.h"
#include "entities/Inventory.h"
#include "entities/Player.h"
#include "server/WorldHost.h"
#include "ui/UISystem.h"
#include "ui/widgets/UIItemSlot.h"
#include "ui/widgets/UIScrollBar.h"
#include "ui/widgets/UIText.h"

#include <gtest/gtest.h>

namespace {

// The first carried bag's cells in a row of 40-pixel steps from (20, 20), the chest's place below.
const char kItemDragMenu[] = "MenuType Menu\nname SlotProbe\nposition 20 20\n"
                             "ItemSlot { internalName Cell0 inventorySlot Bag1 0 position 0 0 size 32 32 }\n"
                             "ItemSlot { internalName Cell4 inventorySlot Bag1 4 position 160 0 size 32 32 }\n"
                             "ItemSlot { internalName Cell5 inventorySlot Bag1 5 position 200 0 size 32 32 }\n"
                             "ItemSlot { internalName Chest inventorySlot Equipment Chest itemSlotType Chest "
                             "position 0 60 size 32 32 }\n";

// Twenty lines in a box of 80 units: its scroll bar stands at its right edge, 16 wide.
const char kScrollProbeMenu[] = "MenuType Menu\nname ScrollProbe\nposition 300 20\n"
                                "Text { internalName Lines position 0 0 size 120 80 text \"1\\n2\\n3\\n4\\n5\\n6\\n7\\n"
                                "8\\n9\\n10\\n11\\n12\\n13\\n14\\n15\\n16\\n17\\n18\\n19\\n20\" }\n";

class ItemDragEndToEnd : public OffscreenShotGame {
protected:
    void SetUp() override
    {
        if (!std::getenv("EMBERLODE_GAME_DIR"))
            GTEST_SKIP() << "EMBERLODE_GAME_DIR not set";
        folder.Write("Assets/UI/slotprobe.mnu", kItemDragMenu);
        folder.Write("Assets/UI/scrollprobe.mnu", kScrollProbeMenu);
        StartShippedGame();
        ASSERT_NO_FATAL_FAILURE(StartBoth());
        TypeOnConsole("pushMenu SlotProbe");
        Frames(4);
    }
    void TearDown() override { KeepFailedFrame("ItemDragEndToEnd"); }

    static ItemBase* HostAt(int32_t bag, int32_t slot) { return HostPlayer()->inventory->GetItem(bag, slot); }

    // Pixels of the 32 x 32 cell at the menu's (x, y) that are not near black.
    static int LitPixels(const TargaImage& image, int x, int y)
    {
        return CountPixels(image, 24 + x, 24 + y, 48 + x, 48 + y, [](const auto& p) { return p[0] + p[1] + p[2] > 60; });
    }
};

} // namespace

TEST_F(ItemDragEndToEnd, TwoPressesMoveAStartingItemAndItsIconFollowsIt)
{
    ItemBase* draught = HostAt(InventoryGroupIndex::Bag1, 0);
    ASSERT_NE(draught, nullptr) << "the new character carries its starting items in its first bag";
    ASSERT_EQ(HostAt(InventoryGroupIndex::Bag1, 5), nullptr);
    int before = LitPixels(Screenshot(), 0, 0);
    EXPECT_GT(before, 100) << "the starting item's icon shows in its cell";
    EXPECT_EQ(LitPixels(Screenshot(), 200, 0), 0);

    ClickAt(20 + 16, 20 + 16);
    EXPECT_EQ(gUISystem->dragWidget, gUISystem->FindWidgetByPath("SlotProbe::Cell0"));
    ClickAt(20 + 216, 20 + 16);
    EXPECT_EQ(gUISystem->dragWidget, nullptr);
    Frames(4);
    EXPECT_EQ(HostAt(InventoryGroupIndex::Bag1, 5), draught);
    EXPECT_EQ(HostAt(InventoryGroupIndex::Bag1, 0), nullptr);
    TargaImage moved = Screenshot();
    EXPECT_GT(LitPixels(moved, 200, 0), 100) << "the icon shows in the target cell";
    EXPECT_EQ(LitPixels(moved, 0, 0), 0) << "the source cell is black";

    // The in-game band along the bottom is a window's face: a press on it keeps the item; a press
    // on open ground, outside every menu, drops it.
    ClickAt(20 + 216, 20 + 16);
    ClickAt(600, 440);
    Frames(4);
    EXPECT_EQ(HostAt(InventoryGroupIndex::Bag1, 5), draught) << "a press on the band keeps the item";
    ClickAt(560, 300);
    Frames(4);
    EXPECT_EQ(HostAt(InventoryGroupIndex::Bag1, 5), nullptr) << "a press outside every menu drops the item";
}

TEST_F(ItemDragEndToEnd, ATunicTakenOffIntoTheBagIsWornAgainFromIt)
{
    ItemBase* tunic = HostAt(InventoryGroupIndex::Equipment, EquipedLocation::Chest);
    ASSERT_NE(tunic, nullptr) << "the new character wears its starting tunic";
    ASSERT_EQ(HostAt(InventoryGroupIndex::Bag1, 4), nullptr);
    ClickAt(20 + 16, 20 + 76);
    ClickAt(20 + 176, 20 + 16);
    Frames(4);
    EXPECT_EQ(HostAt(InventoryGroupIndex::Bag1, 4), tunic);
    EXPECT_EQ(HostAt(InventoryGroupIndex::Equipment, EquipedLocation::Chest), nullptr);
    ClickAt(20 + 176, 20 + 16);
    ClickAt(20 + 16, 20 + 76);
    Frames(4);
    EXPECT_EQ(HostAt(InventoryGroupIndex::Equipment, EquipedLocation::Chest), tunic);
    EXPECT_EQ(Local()->GetInventory().GetItem(InventoryGroupIndex::Equipment, EquipedLocation::Chest) != nullptr, true)
        << "the client's mirror shows it worn";
}

// An item carried off by a press and let go over a scroll bar's arrow is not dropped there: the bar
// takes no item, so it neither scrolls (two seconds on, with no button held) nor keeps the item;
// the item stays on the cursor for the next press to place.
TEST_F(ItemDragEndToEnd, AnItemLetGoOverAScrollBarStaysOnTheCursorAndTheBarStandsStill)
{
    TypeOnConsole("pushMenu ScrollProbe");
    Frames(2);
    auto* lines = dynamic_cast<UIText*>(gUISystem->FindWidgetByPath("ScrollProbe::Lines"));
    ASSERT_NE(lines, nullptr);
    UIScrollBar* bar = lines->GetScrollBar();
    ASSERT_NE(bar, nullptr);
    ASSERT_TRUE(bar->IsVisible()) << "twenty lines do not fit";
    ASSERT_EQ(bar->position, 0);
    ItemBase* draught = HostAt(InventoryGroupIndex::Bag1, 0);
    ASSERT_NE(draught, nullptr);
    // The bar's lower arrow, a few units above its bottom end.
    auto arrowX = static_cast<int32_t>(bar->GetScreenPosition().x + bar->size[0] / 2.0f);
    auto arrowY = static_cast<int32_t>(bar->GetScreenPosition().y + bar->size[1] - 4.0f);

    PushMotion(20 + 16, 20 + 16);
    app.RunFrame();
    PushMouse(SDL_MOUSEBUTTONDOWN, 20 + 16, 20 + 16);
    app.RunFrame();
    ASSERT_EQ(gUISystem->dragWidget, gUISystem->FindWidgetByPath("SlotProbe::Cell0")) << "picked up by the press";
    PushMotion(arrowX, arrowY);
    app.RunFrame();
    PushMouse(SDL_MOUSEBUTTONUP, arrowX, arrowY);
    Frames(40);
    EXPECT_EQ(bar->position, 0) << "the bar scrolled with no button held";
    EXPECT_EQ(gUISystem->dragWidget, gUISystem->FindWidgetByPath("SlotProbe::Cell0")) << "the item stays carried";

    ClickAt(20 + 216, 20 + 16);
    Frames(4);
    EXPECT_EQ(HostAt(InventoryGroupIndex::Bag1, 5), draught) << "the next press places it";
    EXPECT_EQ(bar->position, 0);
}
