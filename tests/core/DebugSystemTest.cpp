// DebugSystemTest -- print levels and their colour prefixes, the developer gate, lines kept before the log exists, threads.
#include "core/CommandSystem.h"
#include "core/DebugSystem.h"
#include "core/UserVarRef.h"
#include "core/UserVarSystem.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <vector>

TEST(DebugPrintLevels, PrefixesByLevelAndDeveloperLinesOnlyWhileTheVarIsSet)
{
    DebugSystem debug;
    CommandSystem commands;
    UserVarSystem vars;
    gDebugSystem = &debug;
    gCommandSystem = &commands;
    gUserVarSystem = &vars;
    vars.RegisterCommands();
    vars.RegisterDebugVars();

    DebugSystem::Print(kPrintPlain, "plain %d\n", 1);
    DebugSystem::Print(kPrintDeveloper, "hidden\n");
    DebugSystem::Print(kPrintWarning, "careful\n");
    DebugSystem::Print(kPrintError, "broken\n");
    DebugSystem::Print(7, "other\n");
    // Data passed as an argument is never read as a format.
    DebugSystem::Print(kPrintPlain, "%s\n", "100%d^c");
    ASSERT_TRUE(commands.Execute("setUserVar developer 1"));
    vars.ApplyDebugVars();
    DebugSystem::Print(kPrintDeveloper, "shown\n");

    std::vector<std::string> expected = {"plain 1\n", "^c005careful\n", "^c001broken\n", "other\n", "100%d^c\n",
                                         "shown\n"};
    EXPECT_EQ(debug.GetConsoleLines(), expected);
    gUserVarSystem = nullptr;
    gCommandSystem = nullptr;
    gDebugSystem = nullptr;
}

TEST(DebugEarlyLines, LinesBeforeTheSystemExistsAreReplayedInOrderWithoutRecursion)
{
    ASSERT_EQ(gDebugSystem, nullptr);
    ASSERT_EQ(gUserVarSystem, nullptr);
    // Lines another test left before its debug system existed are taken out of the way.
    { DebugSystem drain; }
    DebugSystem::Print(kPrintWarning, "first %s\n", "early");
    // A handle read before the user vars exist logs through the debug system, which must not
    // need a user var itself to take the line.
    EXPECT_EQ(UserVarRef(0).GetInt(), 0);
    DebugSystem::PrintText(kPrintPlain, "third\n");

    DebugSystem debug;
    gDebugSystem = &debug;
    DebugSystem::Print(kPrintPlain, "after\n");
    std::vector<std::string> expected = {"^c005first early\n",
                                         "^c001Trying to reference a userVar before it has been set up!\n",
                                         "third\n", "after\n"};
    EXPECT_EQ(debug.GetConsoleLines(), expected);
    gDebugSystem = nullptr;

    // The early lines went to the first system only.
    DebugSystem second;
    EXPECT_TRUE(second.GetConsoleLines().empty());
}

TEST(DebugEarlyLines, HeldLinesWaitForTheDeveloperSettingAndKeepTheirOrder)
{
    ASSERT_EQ(gDebugSystem, nullptr);
    { DebugSystem drain; }
    DebugSystem::Print(kPrintDeveloper, "before it exists\n");
    DebugSystem debug(DebugSystem::kHoldUntilDeveloperSet);
    gDebugSystem = &debug;
    DebugSystem::Print(kPrintPlain, "plain\n");
    DebugSystem::Print(kPrintDeveloper, "held\n");
    EXPECT_TRUE(debug.GetConsoleLines().empty());
    debug.SetDeveloper(true);
    DebugSystem::Print(kPrintDeveloper, "after\n");
    EXPECT_EQ(debug.GetConsoleLines(), (std::vector<std::string>{"before it exists\n", "plain\n", "held\n", "after\n"}));
    gDebugSystem = nullptr;
}

TEST(DebugEarlyLines, HeldLinesAreFilteredWhenTheSettingIsOffOrAFlushComesFirst)
{
    ASSERT_EQ(gDebugSystem, nullptr);
    DebugSystem off(DebugSystem::kHoldUntilDeveloperSet);
    gDebugSystem = &off;
    DebugSystem::Print(kPrintDeveloper, "dropped\n");
    DebugSystem::Print(kPrintWarning, "kept\n");
    off.SetDeveloper(false);
    EXPECT_EQ(off.GetConsoleLines(), (std::vector<std::string>{"^c005kept\n"}));

    // A fatal exit flushes before the settings are known: nothing held is lost.
    DebugSystem fatal(DebugSystem::kHoldUntilDeveloperSet);
    gDebugSystem = &fatal;
    DebugSystem::Print(kPrintError, "why\n");
    fatal.Flush();
    EXPECT_EQ(fatal.GetConsoleLines(), (std::vector<std::string>{"^c001why\n"}));
    gDebugSystem = nullptr;
}

TEST(DebugTranslator, ALineLoggedByTheTranslatorItselfIsStoredUntranslated)
{
    DebugSystem debug;
    gDebugSystem = &debug;
    debug.SetTranslator([](const std::string& line) {
        DebugSystem::Print(kPrintWarning, "translating %s", line.c_str());
        return std::string("<") + line;
    });
    DebugSystem::Print(kPrintPlain, "$$Key$$\n");
    std::vector<std::string> expected = {"^c005translating $$Key$$\n", "<$$Key$$\n"};
    EXPECT_EQ(debug.GetConsoleLines(), expected);
    gDebugSystem = nullptr;
}

TEST(DebugThreads, LinesFromSeveralThreadsAreNeitherLostNorTorn)
{
    DebugSystem debug;
    gDebugSystem = &debug;
    debug.SetMaxConsoleLines(4000);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([t] {
            for (int i = 0; i < 500; ++i)
                DebugSystem::Print(kPrintPlain, "thread %d line %d\n", t, i);
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    std::vector<std::string> lines = debug.GetConsoleLines();
    ASSERT_EQ(lines.size(), 2000u);
    std::vector<int> next(4, 0);
    for (const std::string& line : lines) {
        int t = -1;
        int i = -1;
        ASSERT_EQ(sscanf(line.c_str(), "thread %d line %d\n", &t, &i), 2) << line;
        ASSERT_TRUE(t >= 0 && t < 4);
        // Each thread's own lines keep their order.
        EXPECT_EQ(i, next[t]++);
    }
    gDebugSystem = nullptr;
}
