// HelpTopicTest -- the tutorial topics read from a game database: the chain of read topics, the blinking buttons and their row, the read and reset commands, reloads, a missing record and the widget utility commands; and the UI settings read from the "UISystem" record.
#include "ui/UiWorld.h"

#include "core/Database.h"

#include <algorithm>

namespace {

class HelpTopicWorld : public UiWorld {
protected:
    HelpTopicWorld() { gDatabase = &database; }
    ~HelpTopicWorld() override { gDatabase = nullptr; }

    void LoadDatabase(const std::string& records)
    {
        folder.Write("Assets/Database/database.dbl", "ui.dbr\n");
        folder.Write("Assets/Database/ui.dbr", records);
        database.Load();
    }
    void Start()
    {
        WriteMenu("h.mnu", "name helpTopic\nsize 200 100\n");
        WriteMenu("w.mnu", "name W\nvisible 1\nsize 640 480\nWidget { internalName Mark position 10 10 }\n");
        ui->RegisterCommands();
        view.player = true;
        view.playerEntity = 1;
    }
    void Run(const std::string& line) { commands.Execute(line); }
    UIMenu* Button(const std::string& topic) const { return ui->FindMenu(topic + "Button"); }
    bool Shown(const std::string& topic) const
    {
        UIMenu* button = Button(topic);
        return button && button->IsShown();
    }

    Database database;
};

const char kHelpTopicRecords[] =
    "HelpTopics\n{\n    Type Info\n    HelpTopic One\n    HelpTopic Two\n    HelpTopic Three\n"
    "    HelpTopic Loop\n    StartHelpTopic One\n    NextHelpTopicOne Two\n    NextHelpTopicTwo Three\n"
    "    NextHelpTopicLoop Loop\n}\n"
    "UISystem\n{\n    Type Info\n    HelpTopicBasePosition \"320 40\"\n    HelpTopicButtonOffset 40\n"
    "    HelpTopicButtonSize 32\n    SpaceBetweenTextLines 3\n    WorldMapKeyFontName Small\n"
    "    ScrollbarUp \"Textures/up.tga\"\n    DefaultHoverColor \"0.5 0.25 1\"\n    GameMenu Hud\n    GameMenu Log\n"
    "    MouseFirstRepeatTime 0.4\n    SideStackStart \"600\"\n}\n";

class HelpTopics : public HelpTopicWorld {
protected:
    void SetUp() override
    {
        LoadDatabase(kHelpTopicRecords);
        Start();
    }
};

TEST_F(HelpTopics, TheTableFollowsTheRecordsChain)
{
    EXPECT_EQ(ui->IndexOfHelpTopic("two"), 1);
    EXPECT_EQ(ui->IndexOfHelpTopic("Four"), -1);
    EXPECT_EQ(ui->GetNextHelpTopic(0), "Two");
    EXPECT_EQ(ui->GetNextHelpTopic(2), "");
    EXPECT_EQ(ui->GetNextHelpTopic(9), "");
}

TEST_F(HelpTopics, AddingAReadTopicShowsTheFirstUnreadOneDownItsChain)
{
    Run("addHelpTopic One");
    ASSERT_TRUE(Shown("One"));
    UIWidget* button = Button("One")->GetWidgets().front();
    EXPECT_EQ(button->commands, (std::vector<std::string>{"setUserVar helpTopic One", "pushMenu helpTopic"}));
    EXPECT_EQ(button->highlightText, "$$HelpTopic$$ - $$HelpTitleOne$$\n^c008$$LeftClickToRead$$");
    EXPECT_EQ(button->blinkCondition, 59);
    EXPECT_FLOAT_EQ(button->size[0], 32.0f);
    Run("setUserVar helpTopic One");
    Run("readHelpTopic");
    EXPECT_TRUE(Shown("Two")) << "reading a topic offers the next";
    EXPECT_TRUE(Shown("One")) << "reading does not hide the button";
    Run("setUserVar helpTopic Two");
    Run("readHelpTopic");
    Run("hideHelpTopicButton");
    EXPECT_FALSE(Shown("Two"));
    Run("addHelpTopic One");
    EXPECT_TRUE(Shown("Three")) << "One and Two read: Three is the first unread";
    EXPECT_FALSE(Shown("Two"));
}

TEST_F(HelpTopics, AChainThatLoopsThroughReadTopicsEnds)
{
    Run("addHelpTopic Loop");
    Run("setUserVar helpTopic Loop");
    Run("readHelpTopic");
    Run("hideHelpTopicButton");
    Run("addHelpTopic Loop");
    EXPECT_FALSE(Shown("Loop"));
}

TEST_F(HelpTopics, ButtonsRowUpCentredInTheOrderTheyCame)
{
    Run("addHelpTopic One");
    Run("addHelpTopic Two");
    Run("addHelpTopic Three");
    EXPECT_FLOAT_EQ(Button("One")->position[0], 260.0f);
    EXPECT_FLOAT_EQ(Button("Two")->position[0], 300.0f);
    EXPECT_FLOAT_EQ(Button("Three")->position[0], 340.0f);
    EXPECT_FLOAT_EQ(Button("Three")->position[1], 40.0f);
    Run("setUserVar helpTopic Two");
    Run("hideHelpTopicButton");
    EXPECT_FLOAT_EQ(Button("Three")->position[0], 340.0f) << "the others keep their places";
    Run("repositionHelpTopics");
    EXPECT_FLOAT_EQ(Button("One")->position[0], 280.0f);
    EXPECT_FLOAT_EQ(Button("Three")->position[0], 320.0f);
}

TEST_F(HelpTopics, AClickOnAButtonOpensItsTopic)
{
    Run("addHelpTopic One");
    float x = Button("One")->position[0] + 16.0f;
    float y = Button("One")->position[1] + 16.0f;
    EXPECT_TRUE(Click(static_cast<int32_t>(x), static_cast<int32_t>(y)));
    EXPECT_EQ(vars.GetStringByName("helpTopic"), "One");
    const auto& stack = ui->GetMenuStack();
    EXPECT_NE(std::find(stack.begin(), stack.end(), ui->FindMenu("helpTopic")), stack.end());
}

TEST_F(HelpTopics, ReadAllHidesEveryButtonAndResetStartsAgain)
{
    Run("addHelpTopic One");
    Run("addHelpTopic Three");
    Run("readAllHelpTopics");
    EXPECT_FALSE(Shown("One"));
    EXPECT_FALSE(Shown("Three"));
    Run("addHelpTopic One");
    EXPECT_FALSE(Shown("One"));
    Run("resetAllHelpTopics");
    EXPECT_TRUE(Shown("One"));
    EXPECT_EQ(std::count(ui->GetMenus().begin(), ui->GetMenus().end(), Button("One")), 1)
        << "a button is made once and shown again";
}

TEST_F(HelpTopics, WithoutAPlayerTheTopicCommandsDoNothing)
{
    view.player = false;
    Run("addHelpTopic One");
    EXPECT_EQ(Button("One"), nullptr);
}

TEST_F(HelpTopics, ButtonsOutliveAReloadOfTheMenus)
{
    Run("addHelpTopic One");
    UIMenu* before = Button("One");
    Run("reloadMenus");
    EXPECT_EQ(Button("One"), before);
    EXPECT_TRUE(Shown("One"));
    EXPECT_EQ(ui->IndexOfHelpTopic("Three"), 2);
}

TEST_F(HelpTopics, WidgetAndUserVarCommandsFollowTheLevel)
{
    view.stats[84] = 50;
    Run("moveWidgetY W::Mark 100 300 ParsedCharacterLevel");
    EXPECT_FLOAT_EQ(ui->FindWidgetByPath("W::Mark")->position[1], 200.0f);
    EXPECT_FLOAT_EQ(ui->FindWidgetByPath("W::Mark")->position[0], 10.0f);
    Run("moveWidgetY W::Mark 100 300 Other");
    EXPECT_FLOAT_EQ(ui->FindWidgetByPath("W::Mark")->position[1], 100.0f);
    const std::pair<int32_t, int32_t> rounding[] = {{12, 10}, {13, 15}, {17, 15}, {18, 20}};
    for (const auto& [level, expected] : rounding) {
        view.stats[84] = level;
        Run("calculateUserVar shownLevel ParsedCharacterLevel");
        EXPECT_EQ(vars.GetIntByName("shownLevel"), expected) << level;
    }
    vars.SetIntByName("minLevel", 15);
    view.stats[84] = 12;
    Run("calculateUserVar minLevel ParsedCharacterLevelNewMin");
    EXPECT_EQ(vars.GetIntByName("minLevel"), 15);
    view.stats[84] = 18;
    Run("calculateUserVar minLevel ParsedCharacterLevelNewMin");
    EXPECT_EQ(vars.GetIntByName("minLevel"), 20);
}

TEST_F(HelpTopics, TheClientsHintsAreTheTopics)
{
    ClientUi& client = *ui;
    EXPECT_EQ(client.GetHintCount(), 4);
    EXPECT_EQ(client.FindHint("Three"), 2);
    EXPECT_EQ(client.GetNextHintName(1), "Three");
    EXPECT_EQ(client.GetStartTopic(), "One");
    client.ShowHint(1);
    EXPECT_TRUE(Shown("Two"));
}

class HelpTopicsMissing : public HelpTopicWorld {};

TEST_F(HelpTopicsMissing, AMissingRecordIsLoggedOnceALoadAndAddsNothing)
{
    LoadDatabase("Other\n{\n    Type Info\n}\n");
    Start();
    EXPECT_EQ(Logged("HelpTopics database entry not found!"), 1);
    Run("addHelpTopic One");
    EXPECT_EQ(Button("One"), nullptr);
}

class UISettings : public HelpTopicWorld {};

TEST_F(UISettings, EachFormReadsItsValueAndMissingKeysTheirDefault)
{
    LoadDatabase(kHelpTopicRecords);
    Start();
    const UiSettings& s = ui->settings;
    EXPECT_FLOAT_EQ(s.helpTopicBasePosition[0], 320.0f);
    EXPECT_FLOAT_EQ(s.helpTopicBasePosition[1], 40.0f);
    EXPECT_FLOAT_EQ(s.spaceBetweenTextLines, 3.0f);
    EXPECT_EQ(s.worldMapKeyFontName, "fonts/small.fnt");
    EXPECT_EQ(s.scrollbarUp, "Textures/up.tga");
    EXPECT_EQ(s.scrollbarDown, "");
    EXPECT_FLOAT_EQ(s.defaultHoverColor.g, 0.25f);
    EXPECT_EQ(s.gameMenus, (std::vector<std::string>{"Hud", "Log"}));
    EXPECT_FLOAT_EQ(s.firstRepeatTime, 0.4f);
    EXPECT_FLOAT_EQ(s.sideStackStart[0], 600.0f);
    EXPECT_FLOAT_EQ(s.sideStackStart[1], 0.0f) << "a pair missing its second number";
    EXPECT_FLOAT_EQ(s.relationsRadius, 0.0f);
    EXPECT_FALSE(s.showItemRarityOutlines);
}

TEST_F(UISettings, AMissingRecordKeepsTheSettingsSilently)
{
    LoadDatabase("HelpTopics\n{\n    Type Info\n}\n");
    ui->settings.firstRepeatTime = 0.7f;
    Start();
    EXPECT_FLOAT_EQ(ui->settings.firstRepeatTime, 0.7f);
    EXPECT_EQ(Logged("UISystem"), 0);
}

} // namespace

namespace {

class StoryScreens : public UiWorld {
protected:
    void SetUp() override
    {
        WriteMenu("s.mnu", "name Story\nsize 400 300\n");
        WriteMenu("w.mnu", "name W\nvisible 1\nsize 640 480\nWidget { internalName Plain position 10 10 size 50 50 "
                           "canClick 1 }\n"
                           "ItemSlot { internalName Bag position 100 100 size 32 32 inventorySlot Loot 0 "
                           "itemSlotType Bag vendorSlot 1 }\n"
                           "ItemSlot { internalName Goods position 200 100 size 32 32 inventorySlot Loot 1 vendorSlot 1 }\n"
                           "ItemSlot { internalName Own position 300 100 size 32 32 inventorySlot Bag1 0 "
                           "itemSlotType Bag }\n");
        ui->RegisterCommands();
    }
    bool Pushed(const char* name) const
    {
        const auto& stack = ui->GetMenuStack();
        return std::find(stack.begin(), stack.end(), ui->FindMenu(name)) != stack.end();
    }
};

TEST_F(StoryScreens, TheWorldHistoryTogglesTheStoryAndKeepsItsFile)
{
    view.worldTextFile = "Texts/world.txt";
    commands.Execute("toggleWorldHistory");
    EXPECT_EQ(ui->currentTextFile, "Texts/world.txt");
    EXPECT_TRUE(ui->FindMenu("Story")->IsShown());
    commands.Execute("toggleWorldHistory");
    EXPECT_FALSE(ui->FindMenu("Story")->IsShown());
    EXPECT_EQ(ui->currentTextFile, "Texts/world.txt");
    view.worldTextFile.clear();
    commands.Execute("toggleWorldHistory");
    EXPECT_FALSE(ui->FindMenu("Story")->IsShown()) << "nothing to show opens nothing";
}

TEST_F(StoryScreens, AHistoryWithNothingUnderTheCursorSetsNothing)
{
    view.player = true;
    view.playerEntity = 1;
    MoveCursor(20, 20);
    commands.Execute("showHistory");
    EXPECT_EQ(ui->currentTextFile, "");
    EXPECT_FALSE(Pushed("Story"));
}

TEST_F(StoryScreens, ABagOnAVendorsCounterTellsNoHistoryWhereAnyOtherCellLetsTheTargetsShow)
{
    view.player = true;
    view.targetEntity = 12;
    view.targetHistoryFile = "Texts/trader.txt";
    MoveCursor(110, 110);
    commands.Execute("showHistory");
    EXPECT_EQ(ui->currentTextFile, "");
    EXPECT_FALSE(Pushed("Story"));
    for (int32_t x : {210, 310}) {
        ui->currentTextFile.clear();
        MoveCursor(x, 110);
        commands.Execute("showHistory");
        EXPECT_EQ(ui->currentTextFile, "Texts/trader.txt") << x;
    }
    EXPECT_TRUE(Pushed("Story"));
}

TEST_F(StoryScreens, ARescueTextSetsTheFileAndPushesNoMenu)
{
    view.player = true;
    view.playerEntity = 1;
    view.targetEntity = 12;
    view.rescueTextFile = "Texts/rescued.txt";
    commands.Execute("showRescueText");
    EXPECT_EQ(ui->currentTextFile, "Texts/rescued.txt");
    EXPECT_FALSE(Pushed("Story"));
    view.targetEntity = -1;
    ui->currentTextFile.clear();
    commands.Execute("showRescueText");
    EXPECT_EQ(ui->currentTextFile, "");
}

TEST_F(StoryScreens, ShowTextFilePushesTheNamedMenu)
{
    ui->ShowTextFile("", "Story");
    EXPECT_FALSE(Pushed("Story"));
    ui->ShowTextFile("Texts/a.txt", "Story");
    EXPECT_TRUE(Pushed("Story"));
    EXPECT_EQ(ui->currentTextFile, "Texts/a.txt");
}

} // namespace
