// ItemComparisonEndToEndTest -- the shipped game joined through "start both" offscreen, a menu of item slots pushed from the console: the cursor rested on a carried item gives, beside its tooltip, what the player wears in its place or what stands on the chosen house pedestal, and the comparison keys pressed through SDL choose the pedestal.
#include "app/OffscreenShots.h"

#include "client/ClientApp.h"
#include "client/PlayerClient.h"
#include "core/Database.h"
#include "core/LocSystem.h"
#include "entities/Inventory.h"
#include "entities/Item.h"
#include "entities/Player.h"
#include "ui/UISystem.h"
#include "ui/widgets/UIHelp.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

// Two cells of the first carried bag and the worn chest, 40 pixels apart from (20, 20), and a third
// cell in the middle of the screen, at (304, 300).
const char kComparisonMenu[] = "MenuType Menu\nname ComparisonProbe\nposition 20 20\n"
                               "ItemSlot { internalName Cell4 inventorySlot Bag1 4 position 0 0 size 32 32 }\n"
                               "ItemSlot { internalName Cell5 inventorySlot Bag1 5 position 40 0 size 32 32 }\n"
                               "ItemSlot { internalName Chest inventorySlot Equipment Chest itemSlotType Chest "
                               "position 80 0 size 32 32 }\n"
                               "ItemSlot { internalName Cell6 inventorySlot Bag1 6 position 284 280 size 32 32 }\n";

class ItemComparisonEndToEnd : public OffscreenShotGame {
protected:
    void SetUp() override
    {
        if (!std::getenv("EMBERLODE_GAME_DIR"))
            GTEST_SKIP() << "EMBERLODE_GAME_DIR not set";
        folder.Write("Assets/UI/comparisonprobe.mnu", kComparisonMenu);
        StartShippedGame();
        ASSERT_NO_FATAL_FAILURE(StartBoth());
        TypeOnConsole("pushMenu ComparisonProbe");
        Frames(4);
    }
    void TearDown() override { KeepFailedFrame("ItemComparisonEndToEnd"); }

    // The host puts the item in the first bag's cell; the mirror has it a few frames later.
    void GiveHost(const char* record, int32_t slot)
    {
        std::unique_ptr<ItemBase> item = std::make_unique<Item>();
        item->SetEntry(gDatabase->FindEntryByName(record));
        ASSERT_TRUE(HostPlayer()->inventory->PlaceItem(item, InventoryGroupIndex::Bag1, slot, 0)) << record;
        Frames(4);
    }

    // The two texts of the tooltip with the cursor resting on the menu's (x, y).
    std::pair<std::string, std::string> TooltipAt(int32_t x, int32_t y)
    {
        PushMotion(20 + x, 20 + y);
        Frames(3);
        ShownTooltip tip = ReadTooltip();
        return {tip.text, tip.title};
    }
};

} // namespace

// A jerkin carried: the box beside its tooltip shows the tunic worn; the worn tunic itself has no
// comparison.
TEST_F(ItemComparisonEndToEnd, ACarriedItemIsComparedWithWhatIsWornInItsPlace)
{
    const ItemBase* tunic = HostPlayer()->inventory->GetItem(InventoryGroupIndex::Equipment, EquipedLocation::Chest);
    ASSERT_NE(tunic, nullptr) << "the new character wears its starting tunic";
    ASSERT_NO_FATAL_FAILURE(GiveHost("StuddedJerkin", 4));

    auto [text, beside] = TooltipAt(16, 16);
    EXPECT_NE(text.find("$$ItemStuddedJerkin$$"), std::string::npos) << text;
    EXPECT_EQ(beside.rfind("$$CurrentlyEquipped$$", 0), 0u) << beside;
    EXPECT_NE(beside.find(tunic->GetDisplayName()), std::string::npos) << "the worn tunic: " << beside;
    EXPECT_EQ(gLocSystem->Translate(beside).find("$$"), std::string::npos) << beside;

    auto [wornText, wornBeside] = TooltipAt(96, 16);
    EXPECT_NE(wornText.find(tunic->GetDisplayName()), std::string::npos) << wornText;
    EXPECT_TRUE(wornBeside.empty()) << "a worn item is its own comparison: " << wornBeside;
}

// A relic carried is set beside a pedestal of the house; the comparison keys walk the four
// pedestals round, each step shown in the tooltip as it rests.
TEST_F(ItemComparisonEndToEnd, TheComparisonKeysChooseThePedestalARelicIsComparedWith)
{
    ASSERT_NO_FATAL_FAILURE(GiveHost("RelicEmberHeart", 5));
    struct Step {
        SDL_Scancode key;
        int32_t pedestal;
    };
    const Step steps[] = {{SDL_SCANCODE_UNKNOWN, 1}, {SDL_SCANCODE_PERIOD, 2}, {SDL_SCANCODE_COMMA, 1},
                          {SDL_SCANCODE_COMMA, 4}, {SDL_SCANCODE_PERIOD, 1}};
    for (const Step& step : steps) {
        if (step.key != SDL_SCANCODE_UNKNOWN)
            Tap(step.key);
        std::string beside = TooltipAt(56, 16).second;
        EXPECT_EQ(beside.rfind(MakeLocToken("InRelicSlotX", "%d", step.pedestal), 0), 0u)
            << "pedestal " << step.pedestal << ": " << beside;
        EXPECT_NE(beside.find("$$GuardRelicCompareNone$$"), std::string::npos) << "a new house's pedestals are bare";
    }
}

// In the middle of the screen, where neither side of the item's tooltip has room for the box of
// what is worn, the two stand side by side, both whole on the screen, each with its words.
TEST_F(ItemComparisonEndToEnd, TheTooltipAndTheWornItemsBoxStandSideBySideOnTheScreen)
{
    ASSERT_NO_FATAL_FAILURE(GiveHost("StuddedJerkin", 6));
    auto [text, beside] = TooltipAt(300, 296);
    ASSERT_FALSE(beside.empty()) << "the worn tunic is shown beside";
    TargaImage shot = Screenshot(320, 316);
    auto* help = dynamic_cast<UIHelp*>(gUISystem->helpTopBox);
    ASSERT_NE(help, nullptr);
    ASSERT_EQ(help->GetPlacedBoxes().size(), 2u) << "two frames drawn";
    const UIHelp::PlacedBox& first = help->GetPlacedBoxes()[0];
    const UIHelp::PlacedBox& second = help->GetPlacedBoxes()[1];
    for (const UIHelp::PlacedBox& box : help->GetPlacedBoxes()) {
        EXPECT_GE(box.left, 0.0f);
        EXPECT_GE(box.top, 0.0f);
        EXPECT_LE(box.right, 640.0f);
        EXPECT_LE(box.bottom, 480.0f);
        EXPECT_GT(BrightPixels(shot, static_cast<int>(box.left) + 6, static_cast<int>(box.top) + 6,
                               static_cast<int>(box.right) - 6, static_cast<int>(box.bottom) - 6),
                  100)
            << "a box without its words";
    }
    bool apart = first.right <= second.left + 0.5f || second.right <= first.left + 0.5f;
    EXPECT_TRUE(apart) << "the boxes overlap: (" << first.left << "-" << first.right << ") and (" << second.left << "-"
                       << second.right << ")";
}
