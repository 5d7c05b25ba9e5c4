// MenuStackTest -- the menu stack, the active-menu order rebuilt from the menus and the stack, and the cursor's shape.
#include "ui/UiWorld.h"

namespace {

class MenuStack : public UiWorld {
protected:
    std::vector<std::string> ActiveNames(bool includeInputMenus)
    {
        std::vector<UIMenu*> active;
        ui->BuildActiveMenuList(includeInputMenus, active);
        std::vector<std::string> names;
        for (const UIMenu* menu : active)
            names.push_back(menu->name);
        return names;
    }

    std::vector<std::string> StackNames() const
    {
        std::vector<std::string> names;
        for (const UIMenu* menu : ui->GetMenuStack())
            names.push_back(menu->name);
        return names;
    }
};

using Names = std::vector<std::string>;

TEST_F(MenuStack, AStackedFullScreenMenuHidesWhatLiesBelowItButNotTheTopMenus)
{
    WriteMenu("1.mnu", "name Top\nalwaysOnTop 1\nvisible 1\n");
    WriteMenu("2.mnu", "name Plain\nvisible 1\n");
    WriteMenu("3.mnu", "name Bottom\nalwaysOnBottom 1\nvisible 1\n");
    WriteMenu("4.mnu", "name Under\n");
    WriteMenu("5.mnu", "name Screen\nfullScreen 1\n");
    WriteMenu("6.mnu", "name Above\n");
    ui->RegisterCommands();
    EXPECT_EQ(ActiveNames(false), (Names{"Top", "Plain", "Bottom"}));
    ui->PushMenuByName("Under");
    ui->PushMenuByName("Screen");
    ui->PushMenuByName("Above");
    EXPECT_EQ(ActiveNames(false), (Names{"Top", "Above", "Screen"}));
    EXPECT_EQ(StackNames(), (Names{"Under", "Screen", "Above"}));
    EXPECT_TRUE(ui->IsFullScreenMenuActive());
    EXPECT_TRUE(ui->IsBlockingMenuShown());
}

TEST_F(MenuStack, AVisibleFullScreenMenuEndsTheOrdinaryPassButNotTheBottomOne)
{
    WriteMenu("1.mnu", "name First\nvisible 1\n");
    WriteMenu("2.mnu", "name Screen\nfullScreen 1\nvisible 1\n");
    WriteMenu("3.mnu", "name Later\nvisible 1\n");
    WriteMenu("4.mnu", "name Bottom\nalwaysOnBottom 1\nvisible 1\n");
    ui->RegisterCommands();
    EXPECT_EQ(ActiveNames(false), (Names{"First", "Screen", "Bottom"}));
    EXPECT_TRUE(ui->IsFullScreenMenuShown());
    // No menu stands on the stack, but a full-screen one is active.
    EXPECT_TRUE(ui->IsBlockingMenuShown());
}

TEST_F(MenuStack, InGameOnlyAndInputMenusAreListedByTheirRules)
{
    WriteMenu("1.mnu", "name Hud\ninGameOnly\nvisible 1\n");
    WriteMenu("2.mnu", "name Keys\nalwaysHandleInput 1\n");
    WriteMenu("3.mnu", "name Paused\nhideWhenPaused 1\nvisible 1\n");
    ui->RegisterCommands();
    EXPECT_EQ(ActiveNames(false), (Names{"Paused"}));
    EXPECT_EQ(ActiveNames(true), (Names{"Keys", "Paused"}));
    view.running = true;
    view.paused = true;
    EXPECT_EQ(ActiveNames(false), (Names{"Hud"}));
    // Pushed while no game runs, it stands in the list through the stack, though it answers nothing.
    view.running = false;
    ui->PushMenuByName("Hud");
    EXPECT_EQ(ActiveNames(false), (Names{"Hud"}));
    EXPECT_FALSE(ui->IsBlockingMenuShown());
}

TEST_F(MenuStack, PushPopAndRemoveShowAndHideOnceAndKeepTheOrder)
{
    WriteMenu("1.mnu", "name A\naddShowCommand \"record show A\"\naddHideCommand \"record hide A\"\n");
    WriteMenu("2.mnu", "name B\n");
    WriteMenu("3.mnu", "name C\n");
    ui->RegisterCommands();
    ASSERT_TRUE(commands.Execute("pushMenu A"));
    ASSERT_TRUE(commands.Execute("pushMenu A"));
    EXPECT_EQ(TakeRan(), Names{"show A"});
    ASSERT_TRUE(commands.Execute("popMenu"));
    // One entry left, and the menu hidden although it still stands there.
    EXPECT_EQ(StackNames(), Names{"A"});
    EXPECT_FALSE(Menu("A").pushed);
    EXPECT_EQ(TakeRan(), Names{"hide A"});

    ASSERT_TRUE(commands.Execute("popMenu"));
    ASSERT_TRUE(commands.Execute("pushMenu A"));
    ASSERT_TRUE(commands.Execute("pushMenu B"));
    ASSERT_TRUE(commands.Execute("pushMenu C"));
    ASSERT_TRUE(commands.Execute("popMenu A"));
    EXPECT_EQ(StackNames(), (Names{"B", "C"}));
    EXPECT_FALSE(Menu("A").IsShown());
    // "hideMenu" on a pushed menu takes it off wherever it stands.
    ASSERT_TRUE(commands.Execute("hideMenu B"));
    EXPECT_EQ(StackNames(), Names{"C"});
    ASSERT_TRUE(commands.Execute("popMenu Nowhere"));
    ASSERT_TRUE(commands.Execute("popMenu"));
    ASSERT_TRUE(commands.Execute("popMenu"));
    EXPECT_TRUE(StackNames().empty());
    EXPECT_EQ(Logged("Could not find"), 0);
}

TEST_F(MenuStack, ToggleLeavesAMenuShownOnlyByTheStackAndPushPopFlips)
{
    WriteMenu("1.mnu", "name A\n");
    ui->RegisterCommands();
    ASSERT_TRUE(commands.Execute("pushMenu A"));
    ASSERT_TRUE(commands.Execute("toggleMenu A"));
    EXPECT_FALSE(Menu("A").visible);
    EXPECT_TRUE(Menu("A").IsShown());
    ASSERT_TRUE(commands.Execute("pushPopMenu A"));
    EXPECT_FALSE(Menu("A").IsShown());
    ASSERT_TRUE(commands.Execute("toggleMenu A"));
    EXPECT_TRUE(Menu("A").visible);
    ASSERT_TRUE(commands.Execute("toggleMenu A"));
    EXPECT_FALSE(Menu("A").visible);
    ASSERT_TRUE(commands.Execute("pushPopMenu A"));
    EXPECT_EQ(StackNames(), Names{"A"});
}

TEST_F(MenuStack, GameMenusCloseAllAndTheActiveMusic)
{
    WriteMenu("1.mnu", "name Hud\nMusic \"Music/hud.ogg\"\n");
    WriteMenu("2.mnu", "name Page\nsubMenu 1\nvisible 1\n");
    WriteMenu("3.mnu", "name Log\nMusic \"Music/log.ogg\"\n");
    ui->RegisterCommands();
    ui->settings.gameMenus = {"Log", "Missing", "Hud"};
    ui->ShowGameMenus();
    EXPECT_TRUE(Menu("Hud").visible && Menu("Log").visible);
    EXPECT_EQ(ui->GetActiveMenuMusic(), "Music/hud.ogg");
    ui->PushMenuByName("Hud");
    ui->CloseAllMenus();
    EXPECT_TRUE(Menu("Hud").visible);
    EXPECT_FALSE(Menu("Log").visible);
    EXPECT_TRUE(ui->GetMenuStack().empty());
    EXPECT_TRUE(Menu("Page").visible);
    ui->CloseAllMenus();
    EXPECT_FALSE(Menu("Hud").visible);
    EXPECT_EQ(ui->GetActiveMenuMusic(), "");
}

TEST_F(MenuStack, TheCursorShapeFollowsWidgetsDragsAndTheHoveredEntity)
{
    WriteMenu("1.mnu", "name Bar\nvisible 1\nWidget { internalName Button position 0 0 size 20 20 canClick 1 }\n");
    ui->RegisterCommands();
    view.hoveredEntity = 7;
    MoveCursor(300, 300);
    const std::pair<int32_t, int32_t> expected[] = {{2, 2}, {11, 3}, {23, 3}, {18, 4}, {22, 6}, {28, 6}, {1, 1},
                                                   {29, 1}, {0, 1}};
    for (const auto& [action, shape] : expected) {
        view.hoverAction = action;
        EXPECT_EQ(ui->ChooseCursorShape(), shape) << "action " << action;
    }
    view.hoverAction = 2;
    MoveCursor(10, 10);
    EXPECT_EQ(ui->ChooseCursorShape(), 1);
    ui->dragWidget = ui->FindWidgetByPath("Bar::Button");
    EXPECT_EQ(ui->ChooseCursorShape(), UISystem::kCursorDragging);
    ui->dragWidget = nullptr;
    // The busy cursor stays for the set number of frames after "uiBusy".
    ui->settings.minBusyFrames = 2;
    ASSERT_TRUE(commands.Execute("uiBusy"));
    EXPECT_EQ(ui->GetCurrentCursor(), UISystem::kCursorBusy);
    ui->DrawCursor();
    ui->DrawCursor();
    EXPECT_EQ(ui->GetCurrentCursor(), UISystem::kCursorBusy);
    ui->DrawCursor();
    EXPECT_EQ(ui->GetCurrentCursor(), 1);
}

TEST_F(MenuStack, WidgetUnderTheCursorIsTheLastDrawnClickableOneOfTheFrontMenu)
{
    WriteMenu("1.mnu", "name Back\nvisible 1\nWidget { internalName Wide position 0 0 size 100 100 canClick 1 }\n");
    WriteMenu("2.mnu", "name Front\nalwaysOnTop 1\nvisible 1\nposition 50 50\n"
                       "Widget { internalName Low position 0 0 size 20 20 canClick 1 drawOrder 1 }\n"
                       "Widget { internalName High position 0 0 size 20 20 canClick 1 drawOrder 2 }\n"
                       "Widget { internalName Deco position 0 0 size 30 30 drawOrder 3 }\n");
    ui->RegisterCommands();
    MoveCursor(60, 60);
    EXPECT_EQ(ui->GetWidgetUnderCursor(false), ui->FindWidgetByPath("Front::High"));
    MoveCursor(75, 75);
    EXPECT_EQ(ui->GetWidgetUnderCursor(false), ui->FindWidgetByPath("Back::Wide"));
    MoveCursor(101, 101);
    EXPECT_EQ(ui->GetWidgetUnderCursor(false), nullptr);
}

} // namespace
