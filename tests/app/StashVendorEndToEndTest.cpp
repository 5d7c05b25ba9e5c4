// StashVendorEndToEndTest -- the shipped game offscreen after "start both": the player's stash and a town trader stand beside the player; SDL clicks on them open the stash and the vendor windows, an item is stored in a stashed bag and taken back, bought and sold, with the host's inventories, the money and the drawn windows checked; the Guard Captain's guards for hire are drawn without a count.
#include "app/OffscreenShots.h"
#include "client/ClientApp.h"
#include "client/GameClient.h"
#include "client/ItemClient.h"
#include "client/PlayerClient.h"
#include "client/ScreenConversion.h"
#include "core/Database.h"
#include "core/system/GraphicsSystem.h"
#include "entities/Inventory.h"
#include "entities/Item.h"
#include "entities/ItemGround.h"
#include "entities/Player.h"
#include "entities/Stash.h"
#include "entities/Vendor.h"
#include "server/Game.h"
#include "server/WorldHost.h"
#include "ui/UISystem.h"
#include "ui/UIMenu.h"
#include "ui/widgets/UIHelp.h"
#include "ui/widgets/UIItemSlot.h"

#include <gtest/gtest.h>

namespace {

// Where the shipped windows put their cells on the 640 x 480 screen: the stash's first bag
// place, the first cell of the bag stored there (its window stacked from "SideStackStart"),
// the inventory's first carried cell, the vendor's first goods and its last buy-back cell.
constexpr int32_t kStashPlace[] = {16 + 10 + 16, 24 + 44 + 16};
constexpr int32_t kStoredCell[] = {16 + 8 + 17, 400 - 112 + 30 + 17};
constexpr int32_t kCarriedCell[] = {348 + 24 + 17, 4 + 296 + 17};
constexpr int32_t kGoodsCell[] = {16 + 18 + 19, 4 + 58 + 19};
constexpr int32_t kBuyBackCell[] = {16 + 18 + 46 + 19, 4 + 268 + 19};
constexpr int32_t kInventoryClose[] = {348 + 256 + 12, 4 + 6 + 10};
// The inventory's first bag place, and the first cell of that bag's own window.
constexpr int32_t kBagPlace[] = {348 + 24 + 17, 4 + 250 + 17};

class StashVendorEndToEnd : public OffscreenShotGame {
protected:
    void SetUp() override
    {
        if (!std::getenv("EMBERLODE_GAME_DIR"))
            GTEST_SKIP() << "EMBERLODE_GAME_DIR not set";
        StartShippedGame();
        ASSERT_NO_FATAL_FAILURE(StartBoth());
    }
    void TearDown() override { KeepFailedFrame("StashVendorEndToEnd"); }

    static ItemBase* HostAt(int32_t bag, int32_t slot) { return HostPlayer()->inventory->GetItem(bag, slot); }

    // The first entity of the class the test wants, with the player set down a few steps from it.
    template <class T>
    T* GoBeside(bool (*wanted)(const T&))
    {
        for (int32_t number = 0; number < GameServices::kMaxEntities; ++number) {
            auto* found = dynamic_cast<T*>(gGame->GetEntity(number));
            if (!found || !wanted(*found))
                continue;
            Local()->Teleport(found->position.Offset(Vector2{60.0f, 60.0f}));
            Frames(6);
            return found;
        }
        return nullptr;
    }

    // A left press on the entity's screen place, repeated until the player has walked up and
    // entered the mode, or the tries are spent.
    bool ClickUntilMode(int32_t number, int32_t mode)
    {
        for (int i = 0; i < 10 && !gGameClient->GetEntity(number); ++i)
            Frame();
        for (int click = 0; click < 6 && Local()->interactionMode != mode; ++click) {
            int32_t x = 0;
            int32_t y = 0;
            const EntityClient* entity = gGameClient->GetEntity(number);
            if (!entity || !FindPickPoint(*entity, x, y))
                return false;
            ClickAt(x * gGraphicsSystem->GetViewWidth() / 640, y * gGraphicsSystem->GetViewHeight() / 480);
            for (int i = 0; i < 40 && Local()->interactionMode != mode; ++i)
                Frame();
        }
        return Local()->interactionMode == mode;
    }

    // A drag of the item in one cell onto another, as two presses.
    void Drag(const int32_t (&from)[2], const int32_t (&to)[2])
    {
        ClickAt(from[0], from[1]);
        ClickAt(to[0], to[1]);
        Frames(4);
    }

    // How many of the item the first carried bag holds, stacks counted.
    static int32_t CountCarried(const std::string& name)
    {
        int32_t count = 0;
        for (int32_t slot = 0; slot < HostPlayer()->inventory->GetSlotCount(InventoryGroupIndex::Bag1); ++slot) {
            const ItemBase* item = HostAt(InventoryGroupIndex::Bag1, slot);
            count += item && item->GetEntry()->GetName() == name ? item->GetStackCount() : 0;
        }
        return count;
    }

    // Pixels of the 24 x 24 middle of a cell that are not near black.
    static int LitPixels(const TargaImage& image, const int32_t (&cell)[2])
    {
        return CountPixels(image, cell[0] - 12, cell[1] - 12, cell[0] + 12, cell[1] + 12,
                           [](const auto& p) { return p[0] + p[1] + p[2] > 60; });
    }
};

} // namespace

TEST_F(StashVendorEndToEnd, AClickedStashKeepsAnItemInAStoredBagAndGivesItBack)
{
    Stash* stash = GoBeside<Stash>([](const Stash& s) { return s.IsPlayerStash(); });
    ASSERT_NE(stash, nullptr) << "the player's house has its own stash";
    // The new character's own stash holds a bag in its first place.
    const ItemBase* bag = HostAt(InventoryGroupIndex::Stash, 0);
    ASSERT_NE(bag, nullptr) << "a new character's stash starts with a bag";
    EXPECT_EQ(bag->GetEntry(), gDatabase->FindEntryByName("Bag1"));
    ItemBase* draught = HostAt(InventoryGroupIndex::Bag1, 0);
    ASSERT_NE(draught, nullptr) << "the new character carries its starting items in its first bag";

    ASSERT_TRUE(ClickUntilMode(stash->entityNumber, 10)) << "the click walks the player up and opens the stash";
    EXPECT_TRUE(Shown("Stash"));
    EXPECT_TRUE(Shown("Inventory")) << "the inventory opens beside it";
    TargaImage opened = Screenshot();
    EXPECT_GT(LitPixels(opened, kStashPlace), 100) << "the stored bag shows in its place";

    ClickAt(kStashPlace[0], kStashPlace[1], SDL_BUTTON_RIGHT);
    Frames(2);
    ASSERT_TRUE(Shown("stashBag0")) << "a right click opens the stored bag";
    EXPECT_EQ(LitPixels(Screenshot(), kStoredCell), 0) << "an empty cell of the stored bag";

    Drag(kCarriedCell, kStoredCell);
    EXPECT_EQ(HostAt(InventoryGroupIndex::StashBag1, 0), draught);
    EXPECT_EQ(HostAt(InventoryGroupIndex::Bag1, 0), nullptr);
    TargaImage stored = Screenshot();
    EXPECT_GT(LitPixels(stored, kStoredCell), 100) << "the item's icon shows in the stored bag";
    EXPECT_EQ(LitPixels(stored, kCarriedCell), 0);

    Drag(kStoredCell, kCarriedCell);
    EXPECT_EQ(HostAt(InventoryGroupIndex::Bag1, 0), draught);
    EXPECT_EQ(HostAt(InventoryGroupIndex::StashBag1, 0), nullptr);
    EXPECT_GT(LitPixels(Screenshot(), kCarriedCell), 100);
}

TEST_F(StashVendorEndToEnd, AClickedTraderSellsAStapleAndKeepsWhatItBuysForBuyingBack)
{
    Vendor* vendor = GoBeside<Vendor>([](const Vendor& v) { return !v.IsGambler() && !v.IsGuardVendor(); });
    ASSERT_NE(vendor, nullptr) << "the town has a trader";
    HostPlayer()->stats.Set(CharacterStat::Money, 1000);

    ASSERT_TRUE(ClickUntilMode(vendor->entityNumber, 22)) << "the click walks the player up and opens trade";
    ASSERT_TRUE(Shown("VendorMenu"));
    Frames(2);
    Item* staple = vendor->GetStockItem(0);
    ASSERT_NE(staple, nullptr) << "a staple is for sale";
    std::string stapleName(staple->GetEntry()->GetName());
    EXPECT_GT(LitPixels(Screenshot(), kGoodsCell), 100) << "the goods show in the vendor's window";

    // Bought by a right click: one more of it is carried.
    int32_t price = static_cast<int32_t>(staple->GetValue(false));
    int32_t carried = CountCarried(stapleName);
    ClickAt(kGoodsCell[0], kGoodsCell[1], SDL_BUTTON_RIGHT);
    Frames(4);
    EXPECT_EQ(CountCarried(stapleName), carried + 1);
    EXPECT_EQ(HostPlayer()->stats.Get(CharacterStat::Money), 1000 - price);
    EXPECT_EQ(Local()->GetStat(CharacterStat::Money), 1000 - price) << "the money shown follows";
    EXPECT_NE(vendor->GetStockItem(0), nullptr) << "a staple never runs out";

    // Sold by dragging the first carried item onto the goods: it waits to be bought back.
    ItemBase* sold = HostAt(InventoryGroupIndex::Bag1, 0);
    ASSERT_NE(sold, nullptr);
    std::string soldName(sold->GetEntry()->GetName());
    int32_t before = HostPlayer()->stats.Get(CharacterStat::Money);
    Drag(kCarriedCell, kGoodsCell);
    EXPECT_EQ(HostAt(InventoryGroupIndex::Bag1, 0), nullptr);
    EXPECT_GE(HostPlayer()->stats.Get(CharacterStat::Money), before);
    ASSERT_NE(vendor->GetStockItem(23), nullptr);
    EXPECT_EQ(vendor->GetStockItem(23)->GetEntry()->GetName(), soldName);
    EXPECT_GT(LitPixels(Screenshot(), kBuyBackCell), 100) << "the sold item shows among the buy-back cells";

    ClickAt(kInventoryClose[0], kInventoryClose[1]);
    EXPECT_FALSE(Shown("Inventory"));
    EXPECT_TRUE(Shown("VendorMenu"));
}

// An item picked up and let go over the trader's window stays with the window: on its face it
// stays picked up (never dropped on the ground behind it), and on the words that say so it is sold.
TEST_F(StashVendorEndToEnd, AnItemLetGoOnTheTradersWindowIsSoldOnItsSellWordsAndNeverDroppedBehindIt)
{
    Vendor* vendor = GoBeside<Vendor>([](const Vendor& v) { return !v.IsGambler() && !v.IsGuardVendor(); });
    ASSERT_NE(vendor, nullptr);
    ASSERT_TRUE(ClickUntilMode(vendor->entityNumber, 22));
    ASSERT_TRUE(Shown("VendorMenu"));
    Frames(2);
    auto groundItems = [] {
        int count = 0;
        for (int32_t number = 0; number < GameServices::kMaxEntities; ++number)
            count += dynamic_cast<ItemGround*>(gGame->GetEntity(number)) ? 1 : 0;
        return count;
    };
    int ground = groundItems();
    ItemBase* carried = HostAt(InventoryGroupIndex::Bag1, 0);
    ASSERT_NE(carried, nullptr);
    std::string name(carried->GetEntry()->GetName());
    ClickAt(kCarriedCell[0], kCarriedCell[1]);
    ASSERT_NE(gUISystem->dragWidget, nullptr) << "picked up";
    // The window's face: its bare panel, the words on buying, the money line.
    const int32_t faces[][2] = {{16 + 150, 4 + 410}, {16 + 40, 4 + 318 + 9}, {16 + 60, 4 + 370 + 9}};
    for (const auto& face : faces) {
        ClickAt(face[0], face[1]);
        Frames(4);
        EXPECT_EQ(HostAt(InventoryGroupIndex::Bag1, 0), carried) << face[0] << "," << face[1];
        EXPECT_EQ(groundItems(), ground) << "nothing dropped behind the window at " << face[0] << "," << face[1];
        EXPECT_NE(gUISystem->dragWidget, nullptr) << "still picked up after " << face[0] << "," << face[1];
    }
    int32_t before = HostPlayer()->stats.Get(CharacterStat::Money);
    ClickAt(16 + 18 + 60, 4 + 338 + 9);
    Frames(4);
    EXPECT_EQ(gUISystem->dragWidget, nullptr);
    EXPECT_EQ(HostAt(InventoryGroupIndex::Bag1, 0), nullptr) << "sold on the words \"Drop here to sell.\"";
    EXPECT_GE(HostPlayer()->stats.Get(CharacterStat::Money), before);
    ASSERT_NE(vendor->GetStockItem(23), nullptr);
    EXPECT_EQ(vendor->GetStockItem(23)->GetEntry()->GetName(), name) << "it waits to be bought back";
    EXPECT_EQ(groundItems(), ground);
}

// The cursor resting on an item shows what it is: at a trader its price, on an opaque box set
// beside the cell.
TEST_F(StashVendorEndToEnd, AnItemsTooltipShowsOnHoverOpaqueBesideItsCellWithThePriceAtTheTrader)
{
    Vendor* vendor = GoBeside<Vendor>([](const Vendor& v) { return !v.IsGambler() && !v.IsGuardVendor(); });
    ASSERT_NE(vendor, nullptr);
    ASSERT_TRUE(ClickUntilMode(vendor->entityNumber, 22));
    Frames(2);
    auto* help = dynamic_cast<UIHelp*>(gUISystem->FindWidgetByPath("HelpTop::Help"));
    ASSERT_NE(help, nullptr);
    struct Case {
        const int32_t* cell;
        const char* expected;
    };
    const Case cases[] = {{kGoodsCell, "$$TooltipPrice$$"}, {kCarriedCell, ""}};
    for (const Case& c : cases) {
        TargaImage image = Screenshot(c.cell[0], c.cell[1]);
        ShownTooltip tip = ReadTooltip();
        ASSERT_FALSE(tip.text.empty()) << "a tooltip on the cell at " << c.cell[0];
        EXPECT_NE(tip.text.find(c.expected), std::string::npos) << tip.text;
        EXPECT_EQ(tip.flag, 1.0f) << "an item's tooltip hides what is under it";
        // The box drawn beside the cell: the right end of its last line (the short line of the
        // value or price) is one flat colour, nothing of the world or the window showing through.
        float left = help->GetScreenPosition().x;
        float top = help->GetScreenPosition().y;
        float bottom = top + help->size[1];
        EXPECT_TRUE(top > float(c.cell[1]) || bottom < float(c.cell[1])) << "the box stands beside the cell";
        EXPECT_LT(std::min(std::abs(top - float(c.cell[1])), std::abs(bottom - float(c.cell[1]))), 60.0f)
            << "the box stands beside the cell";
        std::array<int, 3> first = PixelAt(image, int(left + help->size[0]) - 3, int(bottom) - 2);
        int differing = 0;
        for (int y = int(bottom) - 10; y < int(bottom) - 1; y += 2)
            for (int x = int(left + help->size[0] * 0.8f); x < int(left + help->size[0]) - 2; x += 2) {
                std::array<int, 3> p = PixelAt(image, x, y);
                differing += std::abs(p[0] - first[0]) + std::abs(p[1] - first[1]) + std::abs(p[2] - first[2]) > 6;
            }
        EXPECT_EQ(differing, 0) << "an opaque box at " << left << "," << top;
    }
}

TEST_F(StashVendorEndToEnd, ARightClickOnACarriedBagOpensItsWindowWithTheItemsItHolds)
{
    ItemBase* draught = HostAt(InventoryGroupIndex::Bag1, 0);
    ASSERT_NE(draught, nullptr) << "the new character carries its starting items in its first bag";
    Tap(SDL_SCANCODE_I);
    Frames(2);
    ASSERT_TRUE(Shown("Inventory"));
    ClickAt(kBagPlace[0], kBagPlace[1], SDL_BUTTON_RIGHT);
    Frames(2);
    ASSERT_TRUE(Shown("bag0")) << "a right click opens the bag in that place";
    TargaImage opened = Screenshot();
    EXPECT_GT(LitPixels(opened, kStoredCell), 100) << "the bag's first item shows in its window";

    // Its cells move items like any other: the first one dragged to the window's last cell.
    constexpr int32_t kLastCell[] = {16 + 8 + 4 * 40 + 17, 400 - 112 + 30 + 40 + 17};
    Drag(kStoredCell, kLastCell);
    EXPECT_EQ(HostAt(InventoryGroupIndex::Bag1, 9), draught);
    EXPECT_EQ(HostAt(InventoryGroupIndex::Bag1, 0), nullptr);
}

TEST_F(StashVendorEndToEnd, TheStashClosesWhenThePlayerWalksOffIsCarriedOffOrFallsAndOnlyThen)
{
    Stash* stash = GoBeside<Stash>([](const Stash& s) { return s.IsPlayerStash(); });
    ASSERT_NE(stash, nullptr);
    ASSERT_TRUE(ClickUntilMode(stash->entityNumber, 10));
    // A nudge of a step, as the host's corrections give, keeps it.
    Local()->Teleport(Local()->position.Offset(Vector2{20.0f, 0.0f}));
    Frames(10);
    EXPECT_TRUE(Shown("Stash")) << "a step aside keeps the stash open";

    // Walked off by a click on the ground between the two windows.
    ClickAt(320, 380);
    Frames(10);
    EXPECT_FALSE(Shown("Stash")) << "walking off closes the stash";

    // Carried off, as a warp or a blow's push would, with no click of the player's.
    ASSERT_TRUE(ClickUntilMode(stash->entityNumber, 10));
    ClickAt(kStashPlace[0], kStashPlace[1], SDL_BUTTON_RIGHT);
    Frames(2);
    ASSERT_TRUE(Shown("stashBag0"));
    Local()->Teleport(stash->position.Offset(Vector2{400.0f, 0.0f}));
    Frames(10);
    EXPECT_FALSE(Shown("Stash")) << "carried out of its reach, the stash closes";
    EXPECT_FALSE(Shown("stashBag0")) << "and the stored bag's window with it";
    EXPECT_EQ(Local()->interactionMode, 0);

    // Struck down beside it: the death screen comes alone.
    Local()->Teleport(stash->position.Offset(Vector2{60.0f, 60.0f}));
    Frames(6);
    ASSERT_TRUE(ClickUntilMode(stash->entityNumber, 10));
    HostPlayer()->TakeDamage(HostPlayer()->health + 100, nullptr, false, true);
    FramesUntil([] { return Shown("PlayerDead"); }, 40);
    Frames(3);
    EXPECT_TRUE(Shown("PlayerDead"));
    EXPECT_FALSE(Shown("Stash")) << "the fallen player's stash window closes";
}

TEST_F(StashVendorEndToEnd, TheTradersWindowClosesWhenThePlayerFallsOrIsCarriedOff)
{
    Vendor* vendor = GoBeside<Vendor>([](const Vendor& v) { return !v.IsGambler() && !v.IsGuardVendor(); });
    ASSERT_NE(vendor, nullptr);
    ASSERT_TRUE(ClickUntilMode(vendor->entityNumber, 22));
    ASSERT_TRUE(Shown("VendorMenu"));
    Local()->Teleport(Local()->position.Offset(Vector2{0.0f, 500.0f}));
    Frames(10);
    EXPECT_FALSE(Shown("VendorMenu")) << "carried off, the trader's window closes";

    Local()->Teleport(vendor->position.Offset(Vector2{60.0f, 60.0f}));
    Frames(6);
    ASSERT_TRUE(ClickUntilMode(vendor->entityNumber, 22));
    ASSERT_TRUE(Shown("VendorMenu"));
    HostPlayer()->TakeDamage(HostPlayer()->health + 100, nullptr, false, true);
    FramesUntil([] { return Shown("PlayerDead"); }, 40);
    Frames(3);
    EXPECT_TRUE(Shown("PlayerDead"));
    EXPECT_FALSE(Shown("VendorMenu")) << "the fallen player's trade window closes";
}

// The Guard Captain's guards for hire never run out: their cells show no count, where a count of
// the same goods is drawn in the cell's corner (and a count of ten figures ran over the cells
// beside it).
TEST_F(StashVendorEndToEnd, AGuardCaptainsEndlessStackShowsNoCountWhereAFiniteOneShowsItsNumber)
{
    Vendor* captain = GoBeside<Vendor>([](const Vendor& v) { return v.IsGuardVendor(); });
    ASSERT_NE(captain, nullptr) << "the town has a guard captain";
    ASSERT_TRUE(ClickUntilMode(captain->entityNumber, 22));
    Frames(4);
    UIItemSlot* cell = nullptr;
    Item* guard = nullptr;
    for (const UIMenu* menu : gUISystem->GetMenus())
        for (UIWidget* widget : menu->GetWidgets())
            if (auto* slot = dynamic_cast<UIItemSlot*>(widget); slot && !cell && menu->IsShown() &&
                                                                 slot->group == InventoryGroupIndex::Loot &&
                                                                 slot->GetItem() && slot->index > 0) {
                Item* stocked = captain->GetStockItem(slot->index);
                if (stocked && stocked->GetStackCount() == ItemBase::kEndlessStack) {
                    cell = slot;
                    guard = stocked;
                }
            }
    ASSERT_NE(cell, nullptr) << "a guard for hire stands in a goods cell past the first";
    auto x = static_cast<int>(cell->GetScreenPosition().x);
    auto y = static_cast<int>(cell->GetScreenPosition().y);
    auto w = static_cast<int>(cell->size[0]);
    auto h = static_cast<int>(cell->size[1]);
    TargaImage endless = Screenshot();
    guard->SetStackCount(7);
    FramesUntil([&] { return cell->GetItem() && cell->GetItem()->GetStackCount() == 7; }, 40);
    ASSERT_EQ(cell->GetItem()->GetStackCount(), 7) << "the client mirrors the changed stack";
    TargaImage counted = Screenshot();
    EXPECT_GT(ChangedPixels(endless, counted, x + w / 2, y + h / 2, x + w, y + h, 48), 4)
        << "a finite stack's count is drawn in its corner, an endless one's is not";
    EXPECT_EQ(ChangedPixels(endless, counted, x - w, y + h / 2, x, y + h, 48), 0)
        << "the endless count ran over the cell beside";
}

// The gambler's window is titled for the gambler, and a wager's goods say they are unknown until
// bought, magic or not; what the player carries reads as it always does, in the window and after.
TEST_F(StashVendorEndToEnd, TheGamblersWindowIsTitledForTheGamblerAndItsGoodsAreUnknown)
{
    Vendor* gambler = GoBeside<Vendor>([](const Vendor& v) { return v.IsGambler(); });
    ASSERT_NE(gambler, nullptr) << "the town has a gambler";
    Tap(SDL_SCANCODE_I);
    ASSERT_TRUE(Shown("Inventory"));
    PushMotion(kCarriedCell[0], kCarriedCell[1]);
    Frames(2);
    const std::string carried = ReadTooltip().text;
    ASSERT_NE(carried.find("$$TooltipValue$$"), std::string::npos) << carried;
    Tap(SDL_SCANCODE_I);
    ASSERT_TRUE(ClickUntilMode(gambler->entityNumber, 22));
    const char* menu = Shown("VendorMenu") ? "VendorMenu" : "VendorMenuWithQuests";
    ASSERT_TRUE(Shown(menu));
    Frames(2);
    UIWidget* title = gUISystem->FindWidgetByPath(std::string(menu) + "::GamblerHeading");
    UIWidget* traders = gUISystem->FindWidgetByPath(std::string(menu) + "::Heading");
    ASSERT_NE(title, nullptr);
    ASSERT_NE(traders, nullptr);
    EXPECT_TRUE(title->IsVisible());
    EXPECT_FALSE(traders->IsVisible()) << "the trader's title over the gambler's window";
    ASSERT_NE(gambler->GetStockItem(0), nullptr);
    struct Case {
        const int32_t* cell;
        bool closed;
        bool wager;
    };
    const Case cases[] = {{kGoodsCell, false, true}, {kCarriedCell, false, false}, {kCarriedCell, true, false}};
    for (const Case& c : cases) {
        if (c.closed && Shown(menu)) {
            ClickOn(*gUISystem->FindWidgetByPath(std::string(menu) + "::Close"));
            ASSERT_FALSE(Shown(menu));
            ASSERT_TRUE(Shown("Inventory"));
            ASSERT_EQ(UIItemSlot::GetCounterpart(), gGameClient->GetEntity(gambler->entityNumber))
                << "the gambler is still the one dealt with";
        }
        PushMotion(c.cell[0], c.cell[1]);
        Frames(2);
        std::string text = ReadTooltip().text;
        if (c.wager) {
            EXPECT_NE(text.find("$$TooltipGambleUnknown$$"), std::string::npos) << text;
            // Beside a wager the player's own worn item reads as its own, not as a wager.
            std::string compared;
            auto besideWorn = [&] {
                return compared.find("$$CurrentlyEquipped$$") != std::string::npos &&
                       compared.find("$$NoComparisonItem$$") == std::string::npos;
            };
            for (int32_t k = 0; k < 22 && !besideWorn(); ++k) {
                PushMotion(kGoodsCell[0] + 46 * (k % 6), kGoodsCell[1] + 46 * (k / 6));
                Frames(2);
                compared = ReadTooltip().title;
            }
            ASSERT_TRUE(besideWorn()) << "no wager beside a worn item: " << compared;
            EXPECT_EQ(compared.find("$$TooltipGambleUnknown$$"), std::string::npos) << compared;
        } else
            EXPECT_EQ(text, carried) << (c.closed ? "after the gambler's window" : "beside the gambler's window");
    }
}
