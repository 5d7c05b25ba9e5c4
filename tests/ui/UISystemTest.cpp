// UISystemTest -- the UI system's commands and user vars, clicks with drags and UI modes, the held-button repeat, tooltips, blinking, double clicks and bag windows.
#include "ui/UiWorld.h"

#include <iterator>

namespace {

class UISystem : public UiWorld {};
using Names = std::vector<std::string>;

// A widget that says what reached it.
class RecordingWidget : public UIWidget {
public:
    explicit RecordingWidget(std::vector<std::string>& log) : log(log) {}
    void HandleWidgetCommand(const std::string& line) override { log.push_back("command " + line); }
    void OnDropOutside() override { log.push_back("dropped outside"); }
    void Notify(int32_t value) override { log.push_back(internalName + " " + std::to_string(value)); }
    bool AcceptDrop(UIWidget* target) override
    {
        log.push_back("offered " + (target ? target->internalName : std::string("nothing")));
        return acceptsDrops;
    }
    std::vector<std::string>& log;
    bool acceptsDrops = false;
};

RecordingWidget* AddRecorder(UIMenu& menu, const std::string& name, std::vector<std::string>& log)
{
    auto* widget = new RecordingWidget(log);
    widget->internalName = name;
    menu.AddWidget(widget);
    widget->menu = &menu;
    return widget;
}

TEST_F(UISystem, StartUpShowsMainAndRegistersTheCommandsAndUserVars)
{
    folder.Write("default.cfg", "drawUI 0\n");
    vars.LoadConfigFiles();
    WriteMenu("main.mnu", "name Main\n");
    ui->RegisterCommands();
    EXPECT_TRUE(ui->IsSetUp());
    EXPECT_TRUE(Menu("Main").visible);
    for (const char* name : {"showMenu", "hideMenu", "pushMenu", "popMenu", "toggleMenu", "pushPopMenu",
                             "refreshWidget", "selectWidget", "setCovenantDir", "widgetCommand", "sendCommandToMenu",
                             "reloadMenus", "setUIMode", "showHistory", "toggleWorldHistory", "showCharHistory",
                             "showRescueText", "sellHighlightedItem", "clearUseSlot", "setFocus", "moveWidgetY",
                             "calculateUserVar", "addHelpTopic", "readHelpTopic", "hideHelpTopicButton",
                             "readAllHelpTopics", "resetAllHelpTopics", "repositionHelpTopics", "uiBusy"})
        EXPECT_TRUE(commands.IsCommand(name)) << name;
    EXPECT_EQ(vars.GetStringByName("ui_maxTextEventsShown"), "10");
    EXPECT_EQ(vars.GetStringByName("ui_hideNumbersDuringRaids"), "0");
    // A configured value wins over the default.
    EXPECT_EQ(vars.GetStringByName("drawUI"), "0");
    EXPECT_TRUE(ui->ShowDamageNumbers());
    view.playerCovenant = 0;
    view.covenants.resize(1);
    view.covenants[0].beingRaided = true;
    vars.SetStringByName("ui_hideNumbersDuringRaids", "1");
    EXPECT_FALSE(ui->ShowDamageNumbers());
    EXPECT_FALSE(ui->ShowXpNumbers());
}

TEST_F(UISystem, APressInASpecialModeGoesToTheMenusAndThenEndsTheMode)
{
    WriteMenu("m.mnu", "name M\nvisible 1\nWidget { internalName B size 10 10 canClick 1 addCommand \"record hit\" }\n");
    ui->RegisterCommands();
    ASSERT_TRUE(commands.Execute("setUIMode increaseskill"));
    EXPECT_EQ(ui->uiMode, 1);
    EXPECT_TRUE(Click(5, 5));
    EXPECT_EQ(TakeRan(), Names{"hit"});
    EXPECT_EQ(ui->uiMode, 0);
    ASSERT_TRUE(commands.Execute("setUIMode IncreaseSkill"));
    EXPECT_FALSE(Click(300, 300));
    EXPECT_EQ(ui->uiMode, 0);
    ASSERT_TRUE(commands.Execute("setUIMode Sideways"));
    EXPECT_EQ(ui->uiMode, 0);
    EXPECT_EQ(Logged("Unknown UIMode name Sideways"), 1);
}

TEST_F(UISystem, ADragDropsOutsideOnAPressThatNoMenuTakesUnlessAFullScreenMenuIsActive)
{
    WriteMenu("m.mnu", "name M\nvisible 1\nWidget { internalName Target position 0 0 size 10 10 canClick 1 }\n");
    WriteMenu("s.mnu", "name Screen\nfullScreen 1\n");
    ui->RegisterCommands();
    std::vector<std::string> log;
    RecordingWidget* slot = AddRecorder(Menu("M"), "Slot", log);
    ui->dragWidget = slot;
    // Releasing never drops.
    MoveCursor(200, 200);
    EXPECT_FALSE(ui->HandleMouseButton(0, false, 200, 200));
    EXPECT_TRUE(log.empty());
    EXPECT_TRUE(ui->HandleMouseButton(0, true, 200, 200));
    EXPECT_EQ(log, (Names{"offered nothing", "dropped outside"}));
    log.clear();
    // The widget under the cursor is offered first; taking it ends the press.
    slot->acceptsDrops = true;
    MoveCursor(5, 5);
    EXPECT_TRUE(ui->HandleMouseButton(0, true, 5, 5));
    EXPECT_EQ(log, Names{"offered Target"});
    log.clear();
    slot->acceptsDrops = false;
    ASSERT_TRUE(commands.Execute("showMenu Screen"));
    MoveCursor(200, 200);
    EXPECT_FALSE(ui->HandleMouseButton(0, true, 200, 200));
    EXPECT_EQ(log, Names{"offered nothing"});
}

TEST_F(UISystem, AHeldRepeatingButtonFiresAfterTheFirstDelayThenAtMostOnceAFrame)
{
    WriteMenu("m.mnu", "name M\nvisible 1\n"
                       "Widget { internalName Up size 10 10 canClick 1 mouseCanRepeat 1 addCommand \"record up\" }\n");
    ui->RegisterCommands();
    ui->settings.firstRepeatTime = 0.5f;
    ui->settings.otherRepeatTime = 0.1f;
    MoveCursor(5, 5);
    ASSERT_TRUE(ui->HandleMouseButton(0, true, 5, 5));
    EXPECT_EQ(TakeRan().size(), 1u);
    ui->Update(0.5f);
    EXPECT_TRUE(TakeRan().empty());
    ui->Update(0.01f);
    EXPECT_EQ(TakeRan().size(), 1u);
    // A long frame still repeats once.
    ui->Update(1.0f);
    EXPECT_EQ(TakeRan().size(), 1u);
    ui->Update(0.05f);
    EXPECT_EQ(TakeRan().size(), 1u);
    ui->HandleMouseButton(0, false, 5, 5);
    EXPECT_EQ(ui->pressedWidget, nullptr);
    ui->Update(1.0f);
    EXPECT_TRUE(TakeRan().empty());
}

TEST_F(UISystem, ANotificationReachesEveryWidgetMenuByMenuInListOrder)
{
    WriteMenu("one.mnu", "name One\nWidget { internalName Plain }\n");
    WriteMenu("two.mnu", "name Two\n");
    ui->RegisterCommands();
    std::vector<std::string> log;
    AddRecorder(Menu("Two"), "TwoA", log);
    AddRecorder(Menu("One"), "OneLate", log)->drawOrder = 5.0f;
    Menu("One").ResortWidget(Menu("One").FindWidget("OneLate"));
    AddRecorder(Menu("One"), "OneFirst", log);
    AddRecorder(Menu("Two"), "TwoB", log);
    // Hidden menus and hidden widgets are told as well: the walk asks no one whether it is shown.
    Menu("Two").FindWidget("TwoB")->visible = false;
    ui->NotifyAllWidgets(-7);
    std::vector<std::string> expected;
    for (const UIMenu* menu : ui->GetMenus()) {
        if (menu->name == "One")
            expected.insert(expected.end(), {"OneFirst -7", "OneLate -7"});
        if (menu->name == "Two")
            expected.insert(expected.end(), {"TwoB -7", "TwoA -7"});
    }
    EXPECT_EQ(log, expected);
    log.clear();
    Menu("One").NotifyWidgets(3);
    EXPECT_EQ(log, (Names{"OneFirst 3", "OneLate 3"}));
}

TEST_F(UISystem, CommandsToWidgetsAndMenusCarryTheirArgumentsJoined)
{
    WriteMenu("main.mnu", "name Main\n");
    ui->RegisterCommands();
    std::vector<std::string> log;
    AddRecorder(Menu("Main"), "Start", log);
    ASSERT_TRUE(commands.Execute("widgetCommand Main::Start reset"));
    ASSERT_TRUE(commands.Execute("widgetCommand Main::Start \"two words\" 3"));
    EXPECT_EQ(log, (Names{"command widgetCommand reset", "command widgetCommand two words 3"}));
    ASSERT_TRUE(commands.Execute("widgetCommand Main::Stop reset"));
    EXPECT_EQ(Logged("Could not find widget Stop"), 1);
    ASSERT_TRUE(commands.Execute("widgetCommand Nowhere::Start reset"));
    EXPECT_EQ(Logged("Could not find menu Nowhere"), 1);
    ASSERT_TRUE(commands.Execute("sendCommandToMenu Main record to the menu"));
    ASSERT_TRUE(commands.Execute("sendCommandToMenu Gone record never"));
    EXPECT_EQ(TakeRan(), Names{"to the menu"});
    ASSERT_TRUE(commands.Execute("selectWidget Main::Start 1"));
    EXPECT_TRUE(Menu("Main").FindWidget("Start")->selected);
    ASSERT_TRUE(commands.Execute("setFocus Main::Start"));
    ASSERT_TRUE(commands.Execute("setFocus Main::Nobody"));
    EXPECT_EQ(ui->focusWidget, Menu("Main").FindWidget("Start"));
}

TEST_F(UISystem, SetCovenantDirNamesAFolderUnderCharsAndRefusesNamesThatLeaveIt)
{
    ui->RegisterCommands();
    vars.SetStringByName("CovenantName", "Ash");
    ASSERT_TRUE(commands.Execute("setCovenantDir"));
    EXPECT_EQ(vars.GetStringByName("CovenantDir"), "chars/Ash");
    for (const char* hostile : {"../up", "a/b", "a\\b", "..", "tab\there"}) {
        vars.SetStringByName("CovenantName", hostile);
        ASSERT_TRUE(commands.Execute("setCovenantDir"));
        EXPECT_EQ(vars.GetStringByName("CovenantDir"), "chars/Ash") << hostile;
    }
    EXPECT_EQ(Logged("cannot name a folder"), 5);
}

TEST_F(UISystem, TheClientsMenuLinesRunAndANewWorldLeavesOnlyTheGameMenus)
{
    WriteMenu("1.mnu", "name Hud\n");
    WriteMenu("2.mnu", "name Shop\n");
    WriteMenu("3.mnu", "name Bag\n");
    ui->RegisterCommands();
    ui->settings.gameMenus = {"Hud"};
    ClientUi& client = *ui;
    client.RunMenuLine("showMenu Shop");
    EXPECT_TRUE(Menu("Shop").visible);
    ui->PushMenuByName("Bag");
    client.OnNewWorld();
    EXPECT_FALSE(Menu("Shop").IsShown());
    EXPECT_FALSE(Menu("Bag").IsShown());
    EXPECT_TRUE(ui->GetMenuStack().empty());
    EXPECT_TRUE(Menu("Hud").visible);
    EXPECT_EQ(client.GetStartTopic(), "");
    EXPECT_TRUE(client.GetGameStartLines().empty());
}

TEST_F(UISystem, BlinkDoubleClickAndBagWindows)
{
    EXPECT_TRUE(::UISystem::IsBlinkOn(0.5f));
    Advance(499);
    EXPECT_TRUE(::UISystem::IsBlinkOn(0.5f));
    EXPECT_EQ(::UISystem::GetBlinkCursor(), "_");
    Advance(2);
    EXPECT_FALSE(::UISystem::IsBlinkOn(0.5f));
    EXPECT_EQ(::UISystem::GetBlinkCursor(), "");
    Advance(500);
    EXPECT_TRUE(::UISystem::IsBlinkOn(0.5f));
    EXPECT_FALSE(::UISystem::IsBlinkOn(0.0f));
    EXPECT_FALSE(::UISystem::IsBlinkOn(-1.0f));

    TimeStamp first{0, 0, 59, 59.75f};
    TimeStamp exactly{0, 1, 0, 0.25f};
    TimeStamp sooner{0, 1, 0, 0.2f};
    EXPECT_FALSE(ui->IsDoubleClick(first, exactly));
    EXPECT_TRUE(ui->IsDoubleClick(first, sooner));

    WriteMenu("b.mnu", "name B1\nsize 150 200\n");
    ui->RegisterCommands();
    ui->settings.sideStackStart[0] = 780.0f;
    ui->settings.sideStackStart[1] = 580.0f;
    ui->settings.sideStackSpace[0] = 4.0f;
    ui->settings.sideStackSpace[1] = 4.0f;
    std::vector<std::unique_ptr<UIMenu>> bags;
    for (int i = 0; i < 4; ++i) {
        bags.push_back(std::make_unique<UIMenu>());
        bags.back()->size[0] = 150.0f;
        bags.back()->size[1] = 200.0f;
        ui->openBagMenus.push_back(bags.back().get());
    }
    auto flat = std::make_unique<UIMenu>();
    ui->openBagMenus.insert(ui->openBagMenus.begin() + 1, flat.get());
    ui->ArrangeOpenBagMenus();
    const float expected[4][2] = {{780, 380}, {780, 176}, {626, 380}, {626, 176}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(bags[static_cast<size_t>(i)]->position[0], expected[i][0]) << i;
        EXPECT_EQ(bags[static_cast<size_t>(i)]->position[1], expected[i][1]) << i;
    }
    EXPECT_EQ(flat->position[0], 0.0f);
    ui->openBagMenus.clear();
}

TEST_F(UISystem, TheTooltipComesFromTheFrontMenusWidgetThenStopsAtAnyWidget)
{
    WriteMenu("1.mnu", "name Info\nvisible 1\nposition 100 100\n"
                       "Widget { internalName Tip position 0 0 size 40 20 highlightText \"line one\\nline two\" "
                       "highlightBackgroundAlpha 0.5 }\n"
                       "Widget { internalName Zone position 50 0 size 10 10 blocksMouse 1 "
                       "highlightProtectedZone 1 2 30 40 }\n"
                       "Widget { internalName Silent position 0 30 size 10 10 canClick 1 blocksMouse 0 }\n");
    ui->RegisterCommands();
    std::string text;
    std::string title;
    float position[2] = {};
    float extent[2] = {};
    float alpha = 0.0f;
    MoveCursor(110, 110);
    ui->GetTooltip(text, title, position, extent, alpha);
    EXPECT_EQ(text, "line one\nline two");
    EXPECT_EQ(position[0], 100.0f);
    EXPECT_EQ(extent[1], 20.0f);
    EXPECT_EQ(alpha, 0.5f);
    MoveCursor(155, 105);
    ui->GetTooltip(text, title, position, extent, alpha);
    EXPECT_EQ(text, "");
    EXPECT_EQ(position[0], 101.0f);
    EXPECT_EQ(position[1], 102.0f);
    EXPECT_EQ(extent[0], 30.0f);
    // A clickable widget that gives no help still hides the entity behind it.
    view.hoveredEntity = 3;
    MoveCursor(105, 135);
    text = "stale";
    ui->GetTooltip(text, title, position, extent, alpha);
    EXPECT_EQ(text, "");
}

} // namespace
