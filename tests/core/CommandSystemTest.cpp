// CommandSystemTest -- line parsing, the type letters, forwarding of handler-less commands, and what gets reported.
#include "ConfigWorld.h"

#include <vector>

namespace {

using Args = std::vector<std::string>;

class CommandSystemTest : public ConfigWorld {
protected:
    // Registers "probe" with the type letters; returns the arguments of every run.
    std::vector<Args>& Probe(const std::string& types, uint32_t flags = 0)
    {
        commands.RegisterCommand(
            "probe", [this](const Args& args) { runs.push_back(args); }, "Test probe", "", types, flags);
        return runs;
    }

    std::vector<Args> runs;
};

TEST(CommandSystemParse, QuotesGroupBlanksAndKeepEscapedQuotes)
{
    Args words = CommandSystem::ParseLine("  say \"hello  world\"\t\"\" a\tb \"x \\\"q\\\"\" back\\slash \"open end");
    EXPECT_EQ(words, (Args{"say", "hello  world", "", "a", "b", "x \"q\"", "back\\slash", "open end"}));
    EXPECT_TRUE(CommandSystem::ParseLine(" \t ").empty());
}

TEST_F(CommandSystemTest, EveryTypeLetterChecksItsArgument)
{
    Probe("sifdb");
    struct Case {
        const char* line;
        bool fits;
    } cases[] = {
        {"probe a -3 2.5 x 1", true},   {"probe a +7 1e3 x 0", true},    {"probe a 1 -.5 anything 12", true},
        {"probe a 1.5 2 x 1", false},   {"probe a x 2 x 1", false},      {"probe a 1 nan x 1", false},
        {"probe a 1 inf x 1", false},   {"probe a 1 0x10 x 1", false},   {"probe a 1 1e999 x 1", false},
        {"probe a 1 2 x yes", false},   {"probe a 1 2 x", false},        {"probe a 1 2 x 1 extra", false},
        {"probe \"\" 1 2 \"\" 1", true}, {"probe", false},
    };
    for (const Case& c : cases) {
        size_t before = runs.size();
        int formatLines = CountLogged("Incorrect format\n");
        EXPECT_EQ(commands.Execute(c.line), c.fits) << c.line;
        EXPECT_EQ(runs.size(), before + (c.fits ? 1 : 0)) << c.line;
        EXPECT_EQ(CountLogged("Incorrect format\n"), formatLines + (c.fits ? 0 : 1)) << c.line;
    }
}

TEST_F(CommandSystemTest, UpperCaseLettersMayBeLeftOffTheEnd)
{
    Probe("sIFBS");
    EXPECT_TRUE(commands.Execute("probe a"));
    EXPECT_TRUE(commands.Execute("probe a 1 2.5"));
    EXPECT_TRUE(commands.Execute("probe a 1 2.5 0 tail"));
    EXPECT_FALSE(commands.Execute("probe a 1 x"));
    EXPECT_FALSE(commands.Execute("probe a 1 2 3 tail more"));
    EXPECT_FALSE(commands.Execute("probe"));
    ASSERT_EQ(runs.size(), 3u);
    EXPECT_EQ(runs[1], (Args{"a", "1", "2.5"}));
}

TEST_F(CommandSystemTest, FlagBitZeroTakesAnyArguments)
{
    Probe("", kCommandNoArgumentCheck);
    EXPECT_TRUE(commands.Execute("PROBE 1 two 3.0"));
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0], (Args{"1", "two", "3.0"}));
    EXPECT_EQ(CountLogged("Incorrect format\n"), 0);
}

TEST_F(CommandSystemTest, UnknownNamesAreReportedOnlyByExecuteCommandLine)
{
    EXPECT_FALSE(commands.Execute("nosuch 1 2"));
    EXPECT_EQ(CountLogged("nosuch command not found\n"), 0);
    EXPECT_FALSE(ExecuteCommandLine("nosuch 1 2"));
    EXPECT_EQ(CountLogged("nosuch command not found\n"), 1);
    EXPECT_FALSE(ExecuteCommandLine("   "));
    Probe("i");
    EXPECT_FALSE(ExecuteCommandLine("probe x"));
    EXPECT_EQ(CountLogged("probe command not found\n"), 0);
}

TEST_F(CommandSystemTest, HandlerLessCommandsForwardTheirLine)
{
    commands.RegisterCommand("useSkill", nullptr, "Uses a skill", "tree skill", "dd");
    EXPECT_FALSE(commands.Execute("useSkill 1 2"));
    std::vector<std::string> forwarded;
    commands.SetForwardHook([&](const std::string& line) { forwarded.push_back(line); });
    EXPECT_TRUE(commands.Execute("useSkill  1 \"2\""));
    EXPECT_FALSE(commands.Execute("useSkill 1"));
    vars->SetStringByName("chosen", "two words");
    EXPECT_TRUE(commands.Execute("USESKILL 1 ##chosen##"));
    EXPECT_EQ(forwarded, (std::vector<std::string>{"useSkill  1 \"2\"", "useSkill 1 \"two words\""}));
}

TEST_F(CommandSystemTest, ContextAndUserVarArgumentsReachTheHandler)
{
    BaseClass player;
    BaseClass* seen = nullptr;
    Args seenArgs;
    commands.RegisterContextCommand(
        "kill", [&](const Args& args, BaseClass* context) { seen = context, seenArgs = args; }, "", "entity", "dS");
    vars->SetStringByName("target", "17");
    EXPECT_TRUE(commands.Execute("kill ##target## ##missing##", &player));
    EXPECT_EQ(seen, &player);
    EXPECT_EQ(seenArgs, (Args{"17", ""}));
}

TEST_F(CommandSystemTest, InfoAndVerifyProcsByName)
{
    commands.RegisterInfoProc("getThings", [](std::vector<ListEntry>& rows) { rows.push_back({"A", "", "", "1", 1}); });
    std::vector<ListEntry> rows(3);
    commands.CallInfoProc("GETTHINGS", rows);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].value, "1");
    commands.CallInfoProc("nothing", rows);
    EXPECT_TRUE(rows.empty());
    commands.RegisterVerifyProc("verifyCharName", [] { return true; });
    EXPECT_TRUE(commands.CallVerifyProc("verifycharname"));
    EXPECT_FALSE(commands.CallVerifyProc("verifyUserName"));
}

TEST_F(CommandSystemTest, HelpListsOneCommandOrReportsItMissing)
{
    commands.RegisterCommand("say", [](const Args&) {}, "Says a text", "text", "s");
    EXPECT_TRUE(ExecuteCommandLine("help SAY"));
    EXPECT_EQ(CountLogged("say text - Says a text\n"), 1);
    EXPECT_TRUE(ExecuteCommandLine("help nothing"));
    EXPECT_EQ(CountLogged("nothing command not found\n"), 1);
}

} // namespace
