// QuickUseEndToEndTest -- the shipped game joined through "start both" in a 640 x 480 offscreen window with a skill page and a quick-use bar pushed from the console: SDL presses raise a skill in the "IncreaseSkill" mode and put it on the bar, its key makes the world host use it and the bar shows the cool-down; and the shipped skills window and bar reached by their keys.
#include "app/OffscreenShots.h"
#include "entities/Item.h"
#include "client/ClientMessages.h"
#include "render/TextEvents.h"
#include "client/ClientApp.h"
#include "client/PlayerClient.h"
#include "core/UserVarSystem.h"
#include "entities/Inventory.h"
#include "entities/Player.h"
#include "entities/SkillList.h"
#include "rules/items/ItemBase.h"
#include "rules/skills/SkillBase.h"
#include "server/WorldHost.h"
#include "ui/UIMenu.h"
#include "ui/UISystem.h"
#include "ui/widgets/UIUseSlot.h"

#include <gtest/gtest.h>

namespace {

using Words = std::array<int32_t, 4>;

// The rites tree's stone skin (tree 2, index 1: its own, a minute's reuse) on a page at (20, 20),
// and a bar of one quick-use slot at (20, 100) with the first quick-use key.
const char kQuickUseMenus[] =
    "MenuType Menu\nname SkillProbe\nposition 20 20\nsize 100 60\n"
    "SkillSlot { internalName StoneSkin skillIndex 2 1 fullDisplay 0 position 0 0 size 32 32 }\n";
const char kQuickUseBar[] = "MenuType Menu\nname BarProbe\nposition 20 100\nsize 100 60\n"
                            "UseSlot { internalName Slot0 index 0 position 0 0 size 32 32 hotKey VirtualQuickUse1 }\n";

constexpr int32_t kStoneSkinTree = 2;
constexpr int32_t kStoneSkinIndex = 1;
constexpr int32_t kStoneSkinStat = kFirstSkillStat + kStoneSkinTree * kSkillsPerTree + kStoneSkinIndex;

class QuickUseEndToEnd : public OffscreenShotGame {
protected:
    void SetUp() override
    {
        if (!std::getenv("EMBERLODE_GAME_DIR"))
            GTEST_SKIP() << "EMBERLODE_GAME_DIR not set";
        folder.Write("Assets/UI/skillprobe.mnu", kQuickUseMenus);
        folder.Write("Assets/UI/barprobe.mnu", kQuickUseBar);
        StartShippedGame();
        ASSERT_NO_FATAL_FAILURE(StartBoth());
    }
    void TearDown() override { KeepFailedFrame("QuickUseEndToEnd"); }

    static const SkillBase* HostSkill(int32_t tree, int32_t index)
    {
        return HostPlayer()->skillList ? HostPlayer()->skillList->FindSkill(tree, index) : nullptr;
    }
    // The mean of red, green and blue over the 24 x 24 middle of a 32 x 32 box at (x, y).
    static double Brightness(const TargaImage& image, int x, int y)
    {
        double sum = 0.0;
        for (int py = y + 4; py < y + 28; ++py)
            for (int px = x + 4; px < x + 28; ++px) {
                std::array<int, 3> p = PixelAt(image, px, py);
                sum += (p[0] + p[1] + p[2]) / 3.0;
            }
        return sum / (24.0 * 24.0);
    }
    // Pixels of the box that are strongly green or strongly red, as the price's two colours are.
    static std::array<int, 2> GreenAndRed(const TargaImage& image, int x0, int y0, int x1, int y1)
    {
        std::array<int, 2> counts{0, 0};
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) {
                std::array<int, 3> p = PixelAt(image, x, y);
                counts[0] += p[1] > 150 && p[1] > 2 * p[0] && p[1] > 2 * p[2];
                counts[1] += p[0] > 150 && p[0] > 2 * p[1] && p[0] > 2 * p[2];
            }
        return counts;
    }
};

} // namespace

TEST_F(QuickUseEndToEnd, ARaisedSkillPutOnTheBarIsUsedByItsKeyAndShowsItsCoolDown)
{
    Player& host = *HostPlayer();
    ASSERT_NE(HostSkill(kStoneSkinTree, kStoneSkinIndex), nullptr) << "the warden's rites tree";
    host.stats.Set(CharacterStat::SkillPointsLeft, 3);
    host.stats.Set(CharacterStat::Money, 500);
    host.stats.Set(CharacterStat::Power, 100);
    TypeOnConsole("pushMenu SkillProbe");
    TypeOnConsole("pushMenu BarProbe");
    Frames(4);

    // The new character's bar holds its first skill: Delete over the slot empties it.
    EXPECT_EQ(Local()->GetQuickUseRecord(0), (Words{1, 0, 0, -1}));
    PushMotion(36, 116);
    Frame();
    Tap(SDL_SCANCODE_DELETE);
    EXPECT_EQ(Local()->GetQuickUseRecord(0), (Words{2, -1, -1, -1}));

    int32_t level = host.stats.Get(kStoneSkinStat);
    int32_t price = HostSkill(kStoneSkinTree, kStoneSkinIndex)->GetCostForLevel(level);
    ASSERT_LE(price, 3);
    TypeOnConsole("setUIMode IncreaseSkill");
    ClickAt(36, 36);
    Frames(4);
    EXPECT_EQ(host.stats.Get(kStoneSkinStat), level + 1) << "raised once on the world host";
    EXPECT_EQ(host.stats.Get(CharacterStat::SkillPointsLeft), 3 - price);
    EXPECT_EQ(gUISystem->dragWidget, nullptr);

    ClickAt(36, 36);
    EXPECT_EQ(gUISystem->dragWidget, gUISystem->FindWidgetByPath("SkillProbe::StoneSkin"));
    ClickAt(36, 116);
    EXPECT_EQ(gUISystem->dragWidget, nullptr);
    EXPECT_EQ(Local()->GetQuickUseRecord(0), (Words{1, kStoneSkinTree, kStoneSkinIndex, -1}));
    Frames(2);
    double ready = Brightness(Screenshot(), 20, 100);
    EXPECT_GT(ready, 40.0) << "the skill's icon in the slot";

    ASSERT_FALSE(HostSkill(kStoneSkinTree, kStoneSkinIndex)->reuseTimer.running);
    Tap(SDL_SCANCODE_1);
    Frames(4);
    EXPECT_TRUE(HostSkill(kStoneSkinTree, kStoneSkinIndex)->reuseTimer.running) << "the world host used it";
    double cooling = Brightness(Screenshot(), 20, 100);
    EXPECT_LT(cooling, ready * 0.35) << "the sweep darkens the slot: " << ready << " -> " << cooling;

    TypeOnConsole("reloadMenus");
    Frames(2);
    auto* slot = dynamic_cast<UIUseSlot*>(gUISystem->FindWidgetByPath("BarProbe::Slot0"));
    ASSERT_NE(slot, nullptr);
    ASSERT_NE(slot->GetContent(), nullptr) << "the bar survives the reload";
    EXPECT_EQ(Local()->GetQuickUseRecord(0), (Words{1, kStoneSkinTree, kStoneSkinIndex, -1}));
}

TEST_F(QuickUseEndToEnd, TheShippedSkillsWindowOpensByItsKeyAndButtonAndItsPlusRaisesASkill)
{
    Player& host = *HostPlayer();
    const SkillBase& stoneSkin = *HostSkill(kStoneSkinTree, kStoneSkinIndex);
    int32_t level = host.stats.Get(kStoneSkinStat);
    host.stats.Set(CharacterStat::Money, 500);
    host.stats.Set(CharacterStat::SkillPointsLeft, stoneSkin.GetCostForLevel(level));
    Frames(4);
    ASSERT_TRUE(Shown("InGame"));
    Tap(SDL_SCANCODE_S);
    ASSERT_TRUE(Shown("Skills"));
    for (const char* page : {"SkillPage1", "SkillPage2", "SkillPage3", "SkillPage4"})
        EXPECT_TRUE(Shown(page)) << page;
    Frames(2);

    // The next level's price shows green while the points pay for it, red once they do not.
    UIWidget* stone = gUISystem->FindWidgetByPath("SkillPage3::Skill1");
    ASSERT_NE(stone, nullptr);
    int x = static_cast<int>(stone->GetScreenPosition().x);
    int y = static_cast<int>(stone->GetScreenPosition().y);
    std::array<int, 2> affordable = GreenAndRed(Screenshot(), x + 34, y + 12, x + 52, y + 30);
    EXPECT_GT(affordable[0], affordable[1]) << "green " << affordable[0] << ", red " << affordable[1];
    UIWidget* plus = gUISystem->FindWidgetByPath("SkillPage3::Raise1");
    ASSERT_NE(plus, nullptr);
    ClickAt(static_cast<int>(plus->GetScreenPosition().x + plus->size[0] / 2),
            static_cast<int>(plus->GetScreenPosition().y + 6));
    Frames(4);
    EXPECT_EQ(host.stats.Get(kStoneSkinStat), level + 1);
    host.stats.Set(CharacterStat::SkillPointsLeft, stoneSkin.GetCostForLevel(level + 1) - 1);
    Frames(4);
    std::array<int, 2> short_ = GreenAndRed(Screenshot(), x + 34, y + 12, x + 52, y + 30);
    EXPECT_GT(short_[1], short_[0]) << "green " << short_[0] << ", red " << short_[1];

    Tap(SDL_SCANCODE_ESCAPE);
    EXPECT_FALSE(Shown("Skills"));
    EXPECT_FALSE(Shown("SkillPage3")) << "the pages go with the window";
    UIWidget* button = gUISystem->FindWidgetByPath("InGame::SkillsButton");
    ASSERT_NE(button, nullptr);
    ClickOn(*button);
    EXPECT_TRUE(Shown("Skills")) << "the in-game screen's button opens it too";

    // The shipped bar: the first skill sits in slot 0 and its key asks the host to use it.
    auto* first = dynamic_cast<UIUseSlot*>(gUISystem->FindWidgetByPath("InGame::UseSlot0"));
    ASSERT_NE(first, nullptr);
    EXPECT_NE(first->GetContent(), nullptr);
}

// A draught dragged from the inventory onto the shipped bar shows its icon and its count inside
// its slot: the slot's copy takes the default font, and its count ran down out of the slot over
// the bar's frame and the health bar.
TEST_F(QuickUseEndToEnd, ADraughtOnTheShippedBarShowsItsCountInsideItsSlot)
{
    const ItemBase* draught = HostPlayer()->inventory->GetItem(InventoryGroupIndex::Bag1, 0);
    ASSERT_TRUE(draught && draught->GetMaxStack() > 1) << "the new character's first cell holds a draught";
    UIWidget* slot = gUISystem->FindWidgetByPath("InGame::UseSlot1");
    ASSERT_NE(slot, nullptr);
    Frames(4);
    TargaImage bare = Screenshot();

    Tap(SDL_SCANCODE_I);
    ASSERT_TRUE(Shown("Inventory"));
    for (UIWidget* cell : {gUISystem->FindWidgetByPath("Inventory::Bag1Cell0"), slot}) {
        ASSERT_NE(cell, nullptr);
        ClickOn(*cell);
    }
    EXPECT_EQ(Local()->GetQuickUseRecord(1)[0], 0) << "the slot holds an item";
    Tap(SDL_SCANCODE_ESCAPE);
    ASSERT_FALSE(Shown("Inventory"));
    Frames(2);
    TargaImage filled = Screenshot();

    // The picture lacks the window's top two rows, so its row y shows the window's row y + 2.
    int x0 = static_cast<int>(slot->GetScreenPosition().x);
    int x1 = x0 + static_cast<int>(slot->size[0]);
    int top = static_cast<int>(slot->GetScreenPosition().y) - 2;
    int bottom = top + static_cast<int>(slot->size[1]);
    EXPECT_GT(ChangedPixels(bare, filled, x0, top, x1, bottom, 60), 100) << "the draught in the slot";
    EXPECT_EQ(ChangedPixels(bare, filled, x0 - 4, bottom, x1 + 4, bottom + 12, 60), 0)
        << "the slot's words run out below it";
}

// A use the host would refuse without a word says why, in the words of the item's tooltip: a
// draught's key while it cools down, a staff its wearer falls short of worn by a right click. A
// draught at full health is drunk all the same: the rules heal nothing and use it up.
TEST_F(QuickUseEndToEnd, ARefusedUseSaysWhyAndADraughtAtFullHealthIsDrunkAsTheRulesSay)
{
    Player* host = HostPlayer();
    ItemBase* draught = host->inventory->GetItem(InventoryGroupIndex::Bag1, 0);
    ASSERT_TRUE(draught && draught->GetMaxStack() > 1) << "the new character's first cell holds a draught";
    UIWidget* slot = gUISystem->FindWidgetByPath("InGame::UseSlot1");
    ASSERT_NE(slot, nullptr);
    Tap(SDL_SCANCODE_I);
    ASSERT_TRUE(Shown("Inventory"));
    for (UIWidget* cell : {gUISystem->FindWidgetByPath("Inventory::Bag1Cell0"), slot}) {
        ASSERT_NE(cell, nullptr);
        ClickOn(*cell);
    }
    auto refusal = [] {
        const TextEvents::Record* shown = gTextEvents->FindTextEvent(ClientMessages::kRefusalEventId);
        return shown ? shown->text : std::string();
    };
    ASSERT_EQ(host->health, host->maxHealth);
    int32_t count = draught->GetStackCount();
    Tap(SDL_SCANCODE_2);
    Frames(4);
    EXPECT_EQ(draught->GetStackCount(), count - 1) << "drunk at full health, as the rules say";
    Tap(SDL_SCANCODE_2);
    Frames(4);
    EXPECT_EQ(draught->GetStackCount(), count - 1) << "not again while it cools down";
    EXPECT_NE(refusal().find("CantUseForAnother"), std::string::npos) << refusal();

    std::unique_ptr<ItemBase> staff = std::make_unique<Item>();
    staff->SetEntryByName("AshwoodStaff");
    ASSERT_TRUE(host->inventory->AddItem(staff, InventoryGroupIndex::Bag1));
    Frames(4);
    int32_t cellIndex = -1;
    for (int32_t cell = 0; cell < host->inventory->GetSlotCount(InventoryGroupIndex::Bag1) && cellIndex < 0; ++cell) {
        const ItemBase* item = host->inventory->GetItem(InventoryGroupIndex::Bag1, cell);
        cellIndex = item && item->GetEntry()->GetName() == std::string_view("AshwoodStaff") ? cell : -1;
    }
    ASSERT_GE(cellIndex, 0);
    UIWidget* staffCell = gUISystem->FindWidgetByPath("Inventory::Bag1Cell" + std::to_string(cellIndex));
    ASSERT_NE(staffCell, nullptr);
    const ItemBase* held = host->inventory->GetItem(InventoryGroupIndex::Equipment, EquipedLocation::HandPrimary);
    ClickOn(*staffCell, SDL_BUTTON_RIGHT);
    Frames(4);
    EXPECT_NE(refusal().find("TooltipRequiredLevel"), std::string::npos) << refusal();
    EXPECT_EQ(host->inventory->GetItem(InventoryGroupIndex::Equipment, EquipedLocation::HandPrimary), held);
}
