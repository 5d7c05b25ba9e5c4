// ConsoleTest -- the console's input line and history, keys and clicks, shown lines and their clamp, and the log file's first lines.
#include "core/CommandSystem.h"
#include "core/Console.h"
#include "core/DebugSystem.h"
#include "core/UserVarSystem.h"
#include "support/OpenDescriptors.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

class ConsoleWorld : public ::testing::Test {
protected:
    ConsoleWorld()
    {
        gDebugSystem = &debug;
        gCommandSystem = &commands;
        gUserVarSystem = &vars;
        commands.RegisterCommands();
        vars.RegisterCommands();
        vars.RegisterDebugVars();
        debug.RegisterCommands();
        commands.RegisterCommand(
            "say", [this](const std::vector<std::string>& args) { said.push_back(args[0]); }, "", "text", "s");
    }
    ~ConsoleWorld() override
    {
        gUserVarSystem = nullptr;
        gCommandSystem = nullptr;
        gDebugSystem = nullptr;
    }

    void Type(const std::string& text)
    {
        console.OnText(text);
        console.OnKey(Console::kKeyEnter, true, false);
    }
    void Press(int key) { console.OnKey(key, true, false); }

    DebugSystem debug;
    CommandSystem commands;
    UserVarSystem vars;
    Console& console = debug.GetConsole();
    std::vector<std::string> said;
};

} // namespace

TEST_F(ConsoleWorld, EnterRunsTheLineEchoesItAndKeepsItInTheHistory)
{
    ExecuteCommandLine("toggleConsole");
    ASSERT_TRUE(console.IsShown());
    Type("say hello");
    Type("say hello");
    Type("");
    Type("say \"two words\"");
    EXPECT_EQ(said, (std::vector<std::string>{"hello", "hello", "two words"}));
    EXPECT_EQ(console.GetHistory(), (std::vector<std::string>{"say hello", "say \"two words\""}));
    EXPECT_EQ(console.GetInputLine(), "");
    EXPECT_EQ(console.VisibleLines(1), (std::vector<std::string>{"]say \"two words\"\n"}));
}

TEST_F(ConsoleWorld, UpAndDownWalkTheHistoryAndEndOnAFreshLine)
{
    console.SetShown(true);
    Type("say a");
    Type("say b");
    Press(Console::kKeyUp);
    EXPECT_EQ(console.GetInputLine(), "say b");
    Press(Console::kKeyUp);
    Press(Console::kKeyUp);
    EXPECT_EQ(console.GetInputLine(), "say a");
    Press(Console::kKeyDown);
    EXPECT_EQ(console.GetInputLine(), "say b");
    Press(Console::kKeyDown);
    EXPECT_EQ(console.GetInputLine(), "");
    Press(Console::kKeyDown);
    EXPECT_EQ(console.GetInputLine(), "");
    // A line taken from the history and run again goes to its end.
    Press(Console::kKeyUp);
    Press(Console::kKeyUp);
    Press(Console::kKeyEnter);
    EXPECT_EQ(console.GetHistory().back(), "say a");
    EXPECT_EQ(said.back(), "a");
}

TEST_F(ConsoleWorld, HistoryKeepsOnlyTheNewestLines)
{
    console.SetShown(true);
    for (size_t i = 0; i < Console::kHistoryLines + 3; ++i)
        Type("say " + std::to_string(i));
    ASSERT_EQ(console.GetHistory().size(), Console::kHistoryLines);
    EXPECT_EQ(console.GetHistory().front(), "say 3");
}

TEST_F(ConsoleWorld, KeysAndTextReachTheConsoleOnlyWhileShown)
{
    EXPECT_FALSE(console.OnKey(Console::kKeyEnter, true, false));
    console.OnText("ignored");
    EXPECT_EQ(console.GetInputLine(), "");

    console.SetShown(true);
    EXPECT_TRUE(console.OnKey(30, true, false));
    EXPECT_TRUE(console.OnKey(30, false, false));
    console.OnText("sa\x01y\x7f x\n");
    EXPECT_EQ(console.GetInputLine(), "say x");
    Press(Console::kKeyBackspace);
    EXPECT_EQ(console.GetInputLine(), "say ");
    Press(Console::kKeyEscape);
    EXPECT_FALSE(console.IsShown());
    console.SetShown(true);
    console.OnKey(Console::kKeyConsole, true, true);
    EXPECT_TRUE(console.IsShown());
    Press(Console::kKeyConsole);
    EXPECT_FALSE(console.IsShown());
}

TEST_F(ConsoleWorld, ClicksInTheBandAreTakenOnlyWhileShown)
{
    EXPECT_FALSE(debug.ConsoleTakesClick(0, true, 10, 10));
    console.SetShown(true);
    EXPECT_TRUE(debug.ConsoleTakesClick(0, true, 600, 239));
    EXPECT_FALSE(debug.ConsoleTakesClick(0, true, 600, 240));
}

TEST_F(ConsoleWorld, ShownLinesFollowMaxConsoleLinesClampedToOne)
{
    for (int i = 0; i < 5; ++i)
        DebugSystem::Print(kPrintPlain, "line %d\n", i);
    ExecuteCommandLine("setUserVar d_maxConsoleLines 3");
    vars.ApplyDebugVars();
    EXPECT_EQ(console.VisibleLines(10), (std::vector<std::string>{"line 2\n", "line 3\n", "line 4\n"}));

    ExecuteCommandLine("setUserVar d_maxConsoleLines -4");
    vars.ApplyDebugVars();
    EXPECT_EQ(debug.GetMaxConsoleLines(), 1);
    DebugSystem::Print(kPrintPlain, "last\n");
    EXPECT_EQ(console.VisibleLines(10), (std::vector<std::string>{"last\n"}));
}

TEST_F(ConsoleWorld, PageKeysScrollBackWithinTheRing)
{
    console.SetShown(true);
    for (int i = 0; i < 30; ++i)
        DebugSystem::Print(kPrintPlain, "%d\n", i);
    Press(Console::kKeyPageUp);
    EXPECT_EQ(console.VisibleLines(2), (std::vector<std::string>{"18\n", "19\n"}));
    Press(Console::kKeyHome);
    EXPECT_EQ(console.VisibleLines(2), (std::vector<std::string>{"0\n"}));
    Press(Console::kKeyPageDown);
    EXPECT_EQ(console.VisibleLines(1), (std::vector<std::string>{"10\n"}));
    Press(Console::kKeyEnd);
    EXPECT_EQ(console.VisibleLines(1), (std::vector<std::string>{"29\n"}));
    EXPECT_TRUE(console.VisibleLines(0).empty());
    EXPECT_TRUE(console.VisibleLines(-3).empty());
}

TEST_F(ConsoleWorld, DrawingGoesThroughTheHookTheRendererSets)
{
    debug.DrawConsole();
    int drawn = 0;
    console.SetDrawHook([&drawn](const Console& shownConsole) { drawn += shownConsole.IsShown() ? 10 : 1; });
    debug.DrawConsole();
    console.SetShown(true);
    debug.DrawConsole();
    EXPECT_EQ(drawn, 11);
}

TEST(DebugLogFile, StartsWithTheFirstLineEvenWhenTheRingHasDroppedIt)
{
    TempFolder folder;
    DebugSystem debug;
    gDebugSystem = &debug;
    for (int i = 0; i < 150; ++i)
        DebugSystem::Print(kPrintPlain, "early %d\n", i);
    std::string path = (folder.Path() / "log.txt").string();
    ASSERT_TRUE(debug.OpenLogFile(path));
    DebugSystem::Print(kPrintError, "late\n");
    debug.Flush();
    std::string log = folder.Read("log.txt");
    EXPECT_EQ(log.rfind("early 0\nearly 1\n", 0), 0u);
    EXPECT_NE(log.find("early 149\n^c001late\n"), std::string::npos);

    // A second open writes only what came after the first.
    debug.CloseLogFile();
    ASSERT_TRUE(debug.OpenLogFile(path));
    debug.PrintStatistics();
    debug.Flush();
    EXPECT_EQ(folder.Read("log.txt"), "Debug: 151 lines logged, 0 warnings, 1 errors\n");
    gDebugSystem = nullptr;
}

// The log stays open for the whole run: a program the game starts must not keep it open too.
TEST(DebugLogFile, TheLogClosesWhenAProgramIsStarted)
{
    TempFolder folder;
    DebugSystem debug;
    gDebugSystem = &debug;
    std::string path = (folder.Path() / "closing-log.txt").string();
    ASSERT_TRUE(debug.OpenLogFile(path));
    EXPECT_EQ(DescriptorsClosingOnExec("closing-log.txt"), std::vector<bool>{true});
    debug.CloseLogFile();
    EXPECT_TRUE(DescriptorsClosingOnExec("closing-log.txt").empty());
    gDebugSystem = nullptr;
}

TEST(DebugLogFile, DroppedPendingLinesNeverReachALaterFile)
{
    TempFolder folder;
    DebugSystem debug;
    gDebugSystem = &debug;
    DebugSystem::Print(kPrintPlain, "before\n");
    debug.DropPendingLogLines();
    DebugSystem::Print(kPrintPlain, "between\n");
    ASSERT_TRUE(debug.OpenLogFile((folder.Path() / "log.txt").string()));
    DebugSystem::Print(kPrintPlain, "after\n");
    debug.Flush();
    EXPECT_EQ(folder.Read("log.txt"), "after\n");
    gDebugSystem = nullptr;
}

TEST(DebugLogFile, TheHeaderComesFirstInEveryFileAndInTheConsoleWhereItWasPrinted)
{
    TempFolder folder;
    DebugSystem debug;
    gDebugSystem = &debug;
    DebugSystem::Print(kPrintPlain, "mounted\n");
    debug.PrintLogHeader("Game 1.0\n");
    DebugSystem::Print(kPrintPlain, "loaded\n");
    std::string path = (folder.Path() / "log.txt").string();
    ASSERT_TRUE(debug.OpenLogFile(path));
    debug.Flush();
    EXPECT_EQ(folder.Read("log.txt"), "Game 1.0\nmounted\nloaded\n");
    EXPECT_EQ(debug.GetConsoleLines(), (std::vector<std::string>{"mounted\n", "Game 1.0\n", "loaded\n"}));

    // A log opened again later, or first opened when the setting turns it on, begins with it too.
    debug.CloseLogFile();
    ASSERT_TRUE(debug.OpenLogFile(path));
    DebugSystem::Print(kPrintPlain, "later\n");
    debug.Flush();
    EXPECT_EQ(folder.Read("log.txt"), "Game 1.0\nlater\n");
    gDebugSystem = nullptr;
}

TEST(DebugLogFile, AHeaderPrintedWhileTheFileIsOpenIsWrittenWhereItFalls)
{
    TempFolder folder;
    DebugSystem debug;
    gDebugSystem = &debug;
    ASSERT_TRUE(debug.OpenLogFile((folder.Path() / "log.txt").string()));
    DebugSystem::Print(kPrintPlain, "before\n");
    debug.PrintLogHeader("Game 1.0\n");
    debug.Flush();
    EXPECT_EQ(folder.Read("log.txt"), "before\nGame 1.0\n");
    gDebugSystem = nullptr;
}
