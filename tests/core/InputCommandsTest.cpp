// InputCommandsTest -- key and button lines reaching the console and the key bindings: the console key opens it, typed keys fill its line, Enter runs it.
#include "InputWorld.h"

#include "core/InputCommands.h"
#include "core/TextParser.h"
#include "core/VirtualKeys.h"

#include <string>
#include <vector>

namespace {

constexpr int kKeyGrave = 41;
constexpr int kKeyF12 = 88;

class InputCommandsWorld : public InputWorld {
protected:
    void SetUp() override
    {
        InputWorld::SetUp();
        gVirtualKeys = &keys;
        game.debug.RegisterCommands();
        InputCommands::RegisterCommands();
        keys.SetKeyNames([this](std::string_view name) { return loc.FindKeyName(name, false); },
                         [this](int key) { return loc.GetKeyName(key); });
        const std::string bindings = "VirtualToggleConsole Grave toggleConsole\nVirtualProbe F12 \"probe bound\"\n";
        for (size_t line = 0, at = 0; line < 2; ++line) {
            size_t end = bindings.find('\n', at);
            TextParser parser(bindings.data() + at, end - at);
            keys.ReadBinding(parser, "test.cfg");
            at = end + 1;
        }
        commands.RegisterCommand(
            "probe", [this](const std::vector<std::string>& args) { probed.push_back(args[0]); }, "", "word", "s");
    }
    void TearDown() override { gVirtualKeys = nullptr; }

    // Presses and releases each key in one frame.
    void Type(const std::vector<int>& keysToType)
    {
        for (int key : keysToType) {
            input.Press(key);
            input.Release(key);
        }
        Frame(10);
    }

    Console& GetConsole() { return game.debug.GetConsole(); }

    VirtualKeys keys;
    std::vector<std::string> probed;
};

TEST_F(InputCommandsWorld, TheConsoleKeyOpensTheConsoleAndATypedLineRunsOnEnter)
{
    Type({kKeyGrave});
    ASSERT_TRUE(GetConsole().IsShown());
    EXPECT_EQ(GetConsole().GetInputLine(), "") << "the console key types nothing";
    // "probe Ok" and Enter, all read in one frame: each key's character is taken with it.
    input.Press(25);
    input.Press(19);
    input.Press(24);
    input.Press(48);
    input.Press(18);
    input.Press(57);
    input.Press(InputSystem::kKeyLeftShift);
    input.Press(24);
    input.Release(InputSystem::kKeyLeftShift);
    input.Press(37);
    input.Press(InputSystem::kKeyEnter);
    Frame(10);
    EXPECT_EQ(probed, std::vector<std::string>{"Ok"});
    EXPECT_EQ(GetConsole().GetHistory(), std::vector<std::string>{"probe Ok"});
    EXPECT_EQ(GetConsole().GetInputLine(), "");
    // A bound key goes to the shown console, not to its binding.
    Type({kKeyF12});
    EXPECT_EQ(probed.size(), 1u);
    Type({kKeyGrave});
    EXPECT_FALSE(GetConsole().IsShown());
}

TEST_F(InputCommandsWorld, AHeldKeyRepeatsIntoTheConsoleButHoldingTheConsoleKeyDoesNotCloseIt)
{
    info.keyRepeatDelay = SystemInfo::KeyRepeatDelay(0);
    input.Press(kKeyGrave);
    Frame(10);
    Frame(300);
    EXPECT_TRUE(GetConsole().IsShown());
    input.Release(kKeyGrave);
    input.Press(30);
    Frame(10);
    Frame(300);
    EXPECT_EQ(GetConsole().GetInputLine(), "aa");
    input.Release(30);
    input.Press(InputSystem::kKeyBackspace);
    Frame(10);
    EXPECT_EQ(GetConsole().GetInputLine(), "a");
}

TEST_F(InputCommandsWorld, BoundKeysRunTheirCommandOncePerPressWhileTheConsoleIsClosed)
{
    info.keyRepeatDelay = SystemInfo::KeyRepeatDelay(0);
    input.Press(kKeyF12);
    Frame(10);
    Frame(300);
    Frame(300);
    input.Release(kKeyF12);
    Frame(10);
    EXPECT_EQ(probed, std::vector<std::string>{"bound"});
    EXPECT_TRUE(InputCommands::OnKeyPress(kKeyF12, true, false));
    EXPECT_FALSE(InputCommands::OnKeyPress(kKeyF12, false, false));
    EXPECT_FALSE(InputCommands::OnKeyPress(kKeyF12, true, true));
    EXPECT_FALSE(InputCommands::OnKeyPress(30, true, false));
    EXPECT_FALSE(commands.Execute("keyPress x 1 0")) << "a malformed line runs nothing";
    EXPECT_EQ(probed.size(), 2u);
}

TEST_F(InputCommandsWorld, TheShownConsoleTakesTheClicksInItsBand)
{
    EXPECT_FALSE(InputCommands::OnButtonPress(0, true, 10, 10));
    GetConsole().SetShown(true);
    EXPECT_TRUE(InputCommands::OnButtonPress(0, true, 10, Console::kBandHeight - 1));
    EXPECT_FALSE(InputCommands::OnButtonPress(0, true, 10, Console::kBandHeight));
}

} // namespace
