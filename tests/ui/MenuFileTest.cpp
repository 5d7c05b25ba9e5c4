// MenuFileTest -- layout files read from the game folder's "UI": headers, keys, broken blocks and hostile bytes, and "reloadMenus".
#include "core/TextParser.h"
#include "ui/UiWorld.h"

#include <cmath>
#include <fstream>
#include <sstream>

namespace {

std::string MenuFileReadWhole(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class MenuFile : public UiWorld {};

const char kButtonMenu[] = "MenuType Menu\n"
                           "name Options\n"
                           "position 100 50\n"
                           "size 200 100\n"
                           "Widget {\n"
                           "  internalName Ok\n"
                           "  position 10 20\n"
                           "  size 50 30\n"
                           "  canClick 1\n"
                           "  addCommand \"record ok pressed\"\n"
                           "}\n";

TEST_F(MenuFile, HeadersAreCaseBlindAndAFileWithoutOneReadsItsFirstTokenAsAnItem)
{
    WriteMenu("a.mnu", "menutype menu\nname Lower\n");
    WriteMenu("b.mnu", "name NoHeader\nsize 3 4\n");
    WriteMenu("c.mnu", "MenuType Catalogue\nname Never\n");
    WriteMenu("d.mnu", "MenuType BagMenu\nname Bag\nsparkle 1\nfullScreen 1\n");
    ui->LoadMenus(false);

    EXPECT_NE(ui->FindMenu("Lower"), nullptr);
    ASSERT_NE(ui->FindMenu("NoHeader"), nullptr);
    EXPECT_EQ(Menu("NoHeader").size[0], 3.0f);
    EXPECT_EQ(Menu("NoHeader").filePath, "UI/b.mnu");
    EXPECT_EQ(ui->FindMenu("Never"), nullptr);
    EXPECT_EQ(Logged("Unknown menu type Catalogue"), 1);
    // A kind not built yet stands in as a plain menu that still reads every key it knows.
    ASSERT_NE(ui->FindMenu("Bag"), nullptr);
    EXPECT_TRUE(Menu("Bag").fullScreen);
    EXPECT_EQ(Logged("Unknown menu parm sparkle"), 1);
    // The listing order is the load order.
    ASSERT_EQ(ui->GetMenus().size(), 3u);
    EXPECT_EQ(ui->GetMenus()[0]->name, "Lower");
    EXPECT_EQ(ui->GetMenus()[2]->name, "Bag");
}

TEST_F(MenuFile, BrokenWidgetBlocksAreLeftOutWithTheirFileAndLineAndTheRestLoads)
{
    WriteMenu("broken.mnu", "MenuType Menu\n"
                            "name Broken\n"
                            "Widget\n"
                            "  internalName NoBrace\n"
                            "Widget {\n"
                            "  internalName Good\n"
                            "  position nan 7\n"
                            "  size inf 9\n"
                            "}\n"
                            "ItemSlot { internalName Slot }\n"
                            "Widget {\n"
                            "  internalName Unclosed\n");
    ui->LoadMenus(false);
    UIMenu& menu = Menu("Broken");
    EXPECT_EQ(menu.FindWidget("NoBrace"), nullptr);
    EXPECT_EQ(menu.FindWidget("Unclosed"), nullptr);
    ASSERT_NE(menu.FindWidget("Good"), nullptr);
    EXPECT_NE(menu.FindWidget("Slot"), nullptr);
    EXPECT_EQ(menu.GetWidgets().size(), 2u);
    EXPECT_EQ(Logged("UI/broken.mnu line 3: Widget without \"{\""), 1);
    EXPECT_EQ(Logged("UI/broken.mnu line 11: Widget block not closed"), 1);
    // Numbers that are not finite read as 0, each logged with its line.
    const UIWidget& good = *menu.FindWidget("Good");
    EXPECT_EQ(good.position[0], 0.0f);
    EXPECT_EQ(good.position[1], 7.0f);
    EXPECT_EQ(good.size[0], 0.0f);
    EXPECT_EQ(Logged("UI/broken.mnu line 7: a layout number that is not finite"), 1);
    EXPECT_EQ(Logged("UI/broken.mnu line 8: a layout number that is not finite"), 1);
    // The token taken for the missing brace is read again: it was a key of the menu.
    EXPECT_EQ(Logged("Unknown menu parm internalName"), 1);
}

TEST_F(MenuFile, AByteFFWhereATokenWouldBeginEndsTheText)
{
    WriteMenu("ff.mnu", std::string("MenuType Menu\nname Short\nsize 5 5\n\xFF\nfullScreen 1\n"));
    ui->LoadMenus(false);
    EXPECT_EQ(Menu("Short").size[0], 5.0f);
    EXPECT_FALSE(Menu("Short").fullScreen);
}

TEST_F(MenuFile, AFileCutAtEveryByteOrWithFlippedBitsLoadsWithoutHarm)
{
    std::string text = std::string(kButtonMenu) + "Widget { parentWidget Options::Ok parentLinked 1 2 "
                                                  "highlightRedirect Options::Ok showCondition LowHealth }\n";
    for (size_t cut = 0; cut <= text.size(); ++cut) {
        UIMenu menu;
        TextParser parser(text.data(), cut);
        menu.ParseLayout(parser);
        EXPECT_LE(menu.GetWidgets().size(), 2u);
    }
    for (size_t at = 0; at < text.size(); ++at) {
        std::string flipped = text;
        flipped[at] = static_cast<char>(flipped[at] ^ (1 << (at % 8)));
        UIMenu menu;
        TextParser parser(flipped.data(), flipped.size());
        menu.ParseLayout(parser);
        for (const UIWidget* widget : menu.GetWidgets()) {
            EXPECT_TRUE(std::isfinite(widget->position[0]) && std::isfinite(widget->size[1]));
        }
    }
}

TEST_F(MenuFile, ReloadKeepsTheStackAndShownStateAndHonoursAllowedToReload)
{
    WriteMenu("1.mnu", "name First\nsize 10 10\n");
    WriteMenu("2.mnu", "name Second\n");
    WriteMenu("3.mnu", "name Third\nvisible 1\n");
    WriteMenu("4.mnu", "name Fixed\nallowedToReload 0\nsize 1 1\n");
    WriteMenu("5.mnu", kButtonMenu);
    ui->RegisterCommands();
    ui->PushMenuByName("Second");
    ui->PushMenuByName("First");
    ui->PushMenuByName("Options");
    UIMenu* fixed = ui->FindMenu("Fixed");
    UIMenu* oldFirst = ui->FindMenu("First");

    WriteMenu("1.mnu", "name First\nsize 20 20\n");
    WriteMenu("4.mnu", "name Fixed\nallowedToReload 0\nsize 2 2\n");
    ASSERT_TRUE(commands.Execute("reloadMenus"));

    ASSERT_EQ(ui->GetMenuStack().size(), 3u);
    EXPECT_EQ(ui->GetMenuStack()[0]->name, "Second");
    EXPECT_EQ(ui->GetMenuStack()[1]->name, "First");
    EXPECT_EQ(ui->GetMenuStack()[2]->name, "Options");
    EXPECT_NE(ui->FindMenu("First"), oldFirst);
    EXPECT_EQ(Menu("First").size[0], 20.0f);
    EXPECT_TRUE(Menu("First").pushed);
    EXPECT_TRUE(Menu("Third").visible);
    EXPECT_EQ(ui->FindMenu("Fixed"), fixed);
    EXPECT_EQ(fixed->size[0], 1.0f);
    EXPECT_EQ(ui->GetMenus().size(), 5u);
}

// A replaced menu takes the shown state of the one it replaces, unless its own file says
// "visible": the file has the last word either way. A menu shown again runs its show list once.
TEST_F(MenuFile, AReloadedMenuKeepsItsShownStateUnlessItsFileSaysVisible)
{
    struct Case {
        const char* name;
        bool shownBefore;
        const char* key;
        bool shownAfter;
    };
    const Case cases[] = {
        {"KeptShown", true, "", true},
        {"HiddenByItsFile", true, "visible 0\n", false},
        {"ShownByItsFile", false, "visible 1\n", true},
        {"KeptHidden", false, "", false},
    };
    for (const Case& c : cases)
        WriteMenu(std::string(c.name) + ".mnu", std::string("name ") + c.name + "\n");
    ui->RegisterCommands();
    for (const Case& c : cases) {
        if (c.shownBefore) {
            ASSERT_TRUE(commands.Execute(std::string("showMenu ") + c.name));
        }
    }
    for (const Case& c : cases)
        WriteMenu(std::string(c.name) + ".mnu",
                  std::string("name ") + c.name + "\naddShowCommand \"record shown " + c.name + "\"\n" + c.key);
    TakeRan();
    ASSERT_TRUE(commands.Execute("reloadMenus"));

    std::vector<std::string> expectedShows;
    for (const Case& c : cases) {
        EXPECT_EQ(Menu(c.name).visible, c.shownAfter) << c.name;
        EXPECT_EQ(Menu(c.name).IsShown(), c.shownAfter) << c.name;
        if (c.shownAfter)
            expectedShows.push_back(std::string("shown ") + c.name);
    }
    std::vector<std::string> shows = TakeRan();
    std::sort(shows.begin(), shows.end());
    std::sort(expectedShows.begin(), expectedShows.end());
    EXPECT_EQ(shows, expectedShows) << "each menu shown again ran its show list once";
}

TEST_F(MenuFile, ReloadLeavesNoPointerIntoAReplacedMenu)
{
    WriteMenu("5.mnu", std::string(kButtonMenu) + "visible 1\n");
    WriteMenu("6.mnu", "name Child\nvisible 1\nWidget { internalName Tag parentWidget Options::Ok parentLinked 5 5 }\n");
    ui->RegisterCommands();
    UIWidget* ok = ui->FindWidgetByPath("Options::Ok");
    ASSERT_NE(ok, nullptr);
    MoveCursor(130, 90);
    ui->Update(0.0f);
    ASSERT_EQ(ui->hoverWidget, ok);
    ASSERT_TRUE(commands.Execute("setFocus Options::Ok"));
    ui->dragWidget = ok;
    ui->RecordWidgetPress(ok, 0);
    ASSERT_EQ(ui->FindWidgetByPath("Child::Tag")->parentWidget, ok);

    ASSERT_TRUE(commands.Execute("reloadMenus"));
    UIWidget* fresh = ui->FindWidgetByPath("Options::Ok");
    EXPECT_NE(fresh, nullptr);
    EXPECT_EQ(ui->focusWidget, nullptr);
    EXPECT_EQ(ui->dragWidget, nullptr);
    EXPECT_EQ(ui->pressedWidget, nullptr);
    // The child's parent is found again by the name it was written with.
    EXPECT_EQ(ui->FindWidgetByPath("Child::Tag")->parentWidget, fresh);
    ui->Update(0.1f);
    EXPECT_EQ(ui->hoverWidget, fresh);
}

TEST_F(MenuFile, AReloadClickedFromAButtonWaitsUntilTheClickIsDone)
{
    WriteMenu("r.mnu", "name Reloader\nvisible 1\n"
                       "Widget { internalName Again position 0 0 size 40 40 canClick 1 selectable 1\n"
                       "  addCommand reloadMenus addCommand \"record after reload\" }\n");
    ui->RegisterCommands();
    WriteMenu("r.mnu", "name Reloader\nvisible 1\nWidget { internalName Again size 41 41 }\n");
    // The click's own list still runs to its end over the widget that was clicked.
    EXPECT_TRUE(Click(10, 10));
    EXPECT_EQ(TakeRan(), std::vector<std::string>{"after reload"});
    EXPECT_EQ(ui->FindWidgetByPath("Reloader::Again")->size[0], 41.0f);
    EXPECT_TRUE(Menu("Reloader").visible);
}

TEST_F(MenuFile, AMenuWhoseShowListShowsItselfDoesNotRecurse)
{
    WriteMenu("loop.mnu", "name Loop\naddShowCommand \"pushPopMenu Loop\"\naddShowCommand \"record shown\"\n"
                          "addHideCommand \"hideMenu Loop\"\n");
    ui->RegisterCommands();
    ASSERT_TRUE(commands.Execute("showMenu Loop"));
    EXPECT_TRUE(Menu("Loop").visible);
    EXPECT_EQ(TakeRan(), std::vector<std::string>{"shown"});
    // The show list pushed it as well: the first hide takes it off the stack, the second hides it.
    ASSERT_TRUE(commands.Execute("hideMenu Loop"));
    EXPECT_TRUE(ui->GetMenuStack().empty());
    ASSERT_TRUE(commands.Execute("hideMenu Loop"));
    EXPECT_FALSE(Menu("Loop").IsShown());
    EXPECT_GE(Logged("Menu Loop: its show or hide commands show or hide it again"), 2);
}

TEST_F(MenuFile, EveryMenuTheGameShipsLoadsWithoutAWarning)
{
    std::string shipped = ShippedGameFolder();
    if (shipped.empty())
        GTEST_SKIP() << "EMBERLODE_GAME_DIR not set";
    // The menus' hot keys name keys of the shipped key names and actions of the shipped bindings.
    ASSERT_TRUE(UseShippedKeyNames());
    std::string bindings = MenuFileReadWhole(shipped + "/default.cfg");
    TextParser config(bindings.data(), bindings.size());
    std::string word;
    while (config.NextToken(word)) {
        if (word == "VirtualKey")
            keys.ReadBinding(config, "default.cfg");
        else
            config.SkipLine();
    }
    PosixFileSystem shippedFiles(shipped);
    shippedFiles.SetRootFolders("Assets");
    gFileSystem = &shippedFiles;
    std::vector<std::string> listed;
    shippedFiles.ListFiles("UI", "mnu", listed, kLocationAssets, false, false, true);
    ui->LoadMenus(false);
    gFileSystem = &files;
    EXPECT_EQ(ui->GetMenus().size(), listed.size());
    EXPECT_EQ(Logged("line"), 0);
    EXPECT_EQ(Logged("Unknown"), 0);
    EXPECT_EQ(Logged("Could not find"), 0);
    EXPECT_EQ(Logged("Couldn't load menu"), 0);
}

} // namespace
