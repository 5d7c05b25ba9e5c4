// ClientInputTest -- the input commands as the input system runs them: the order in which keys and clicks are offered and where each stops, the desktop keys dropped, repeats kept from the bindings, the console's band, the forwarded server command and the wheel's zoom within its bounds.
#include "client/ClientApp.h"
#include "client/ClientInput.h"
#include "client/ClientUi.h"
#include "client/ScreenConversion.h"
#include "core/CommandSystem.h"
#include "core/DebugSystem.h"
#include "core/TextParser.h"
#include "core/UserVarSystem.h"
#include "core/VirtualKeys.h"
#include "core/system/InputSystem.h"
#include "resources/textures/TextureTools.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

class ClientInputKeys : public InputSystem {
public:
    bool GetCursorPos(int32_t& x, int32_t& y) override
    {
        x = 0;
        y = 0;
        return true;
    }
    void SetCursorPos(int32_t, int32_t) override {}
    bool Init() override { return true; }
    void Shutdown() override {}
    void ReadKeyboard() override {}
};

// Every taker notes what it was offered and takes it when told to.
class ClientInputUi : public ClientUi {
public:
    void RunMenuLine(const std::string&) override {}
    std::string GetStartTopic() const override { return {}; }
    std::vector<std::string> GetGameStartLines() const override { return {}; }
    void OnNewWorld() override {}
    bool HandleKey(int32_t, bool, bool) override { return Note("ui"); }
    bool HandleMouseButton(int32_t, bool, int32_t, int32_t) override { return Note("ui"); }
    bool HandleWheel(bool) override { return Note("ui"); }
    bool IsBlockingMenuShown() const override { return blocking; }

    bool Note(const std::string& taker)
    {
        offered->push_back(taker);
        return taker == takes;
    }

    std::vector<std::string>* offered = nullptr;
    std::string takes;
    bool blocking = false;
};

class ClientInputTest : public ::testing::Test {
protected:
    ClientInputTest()
    {
        gDebugSystem = &debug;
        gCommandSystem = &commands;
        gUserVarSystem = &vars;
        gVirtualKeys = &keys;
        gInputSystem = &input;
        commands.RegisterCommands();
        vars.RegisterCommands();
        keys.RegisterCommands();
        TextureTools::RegisterCommands();
        app.RegisterCommands();
        gClientApp = &app;
        ui.offered = &offered;
        app.SetUi(&ui);
        app.SetKeyHook([this](int32_t, bool, bool) { return ui.Note("hook"); });
        app.GetHooks().editorKey = [this](int32_t, bool) { return ui.Note("editor"); };
        app.GetHooks().editorClick = [this](int32_t, bool, int32_t, int32_t) { return ui.Note("editor"); };
        app.GetHooks().worldMapClick = [this](int32_t, bool, int32_t, int32_t) { return ui.Note("map"); };
        // The key 30 runs "bound" through the bindings.
        commands.RegisterCommand(
            "bound", [this](const std::vector<std::string>&) { ui.Note("bindings"); }, "", "", "");
        keys.SetKeyNames([](std::string_view name) { return name == "K" ? 30 : -1; },
                         [](int key) { return key == 30 ? std::string("K") : std::string(); });
        std::string binding = "Taker K bound\n";
        TextParser parser(binding.data(), binding.size());
        keys.ReadBinding(parser, "test.cfg");
    }
    ~ClientInputTest() override
    {
        gClientApp = nullptr;
        gInputSystem = nullptr;
        gVirtualKeys = nullptr;
        gUserVarSystem = nullptr;
        gCommandSystem = nullptr;
        gDebugSystem = nullptr;
    }

    std::vector<std::string> Offered(const std::string& line)
    {
        offered.clear();
        EXPECT_TRUE(commands.Execute(line)) << line;
        return offered;
    }

    DebugSystem debug;
    CommandSystem commands;
    UserVarSystem vars;
    VirtualKeys keys;
    ClientInputKeys input;
    ClientApp app;
    ClientInputUi ui;
    std::vector<std::string> offered;
};

using Takers = std::vector<std::string>;

TEST_F(ClientInputTest, AKeyGoesToTheHookTheInterfaceTheEditorThenTheBindingsAndTheFirstTakerEndsIt)
{
    EXPECT_EQ(Offered("keyPress 30 1 0"), (Takers{"hook", "ui", "editor", "bindings"}));
    ui.takes = "ui";
    EXPECT_EQ(Offered("keyPress 30 1 0"), (Takers{"hook", "ui"}));
    ui.takes = "hook";
    EXPECT_EQ(Offered("keyPress 30 1 0"), (Takers{"hook"}));
    // A repeat reaches all but the bindings.
    ui.takes.clear();
    EXPECT_EQ(Offered("keyPress 30 1 1"), (Takers{"hook", "ui", "editor"}));
}

TEST_F(ClientInputTest, TheDesktopsKeysReachNoTaker)
{
    struct Chord {
        int held;
        int key;
    };
    for (Chord chord : {Chord{Client::kKeyLeftAlt, Client::kKeyEnter}, Chord{Client::kKeyRightAlt, Client::kKeyTab},
                        Chord{Client::kKeyLeftCtrl, Client::kKeyEscape}, Chord{Client::kKeyRightCtrl, Client::kKeyEscape}}) {
        input.OnKeyDown(chord.held);
        EXPECT_TRUE(Offered("keyPress " + std::to_string(chord.key) + " 1 0").empty()) << chord.key;
        input.OnKeyUp(chord.held);
    }
    // Escape alone, or with Alt, still goes round.
    input.OnKeyDown(Client::kKeyLeftAlt);
    EXPECT_EQ(Offered("keyPress 1 1 0").size(), 3u);
}

TEST_F(ClientInputTest, WhileShownTheConsoleIsTheKeyHookAndKeepsTheClicksOfItsBand)
{
    app.SetKeyHook(nullptr);
    debug.GetConsole().SetShown(true);
    EXPECT_TRUE(Offered("keyPress 30 1 0").empty()) << "the console takes every key while shown";
    EXPECT_TRUE(Offered("buttonPress 0 1 100 239").empty());
    EXPECT_EQ(Offered("buttonPress 0 1 100 240"), (Takers{"ui", "map", "editor"}));
    debug.GetConsole().SetShown(false);
    EXPECT_EQ(Offered("buttonPress 0 1 100 100"), (Takers{"ui", "map", "editor"}));
}

TEST_F(ClientInputTest, TheClickHookThenTheOpenDropDownTakeEveryClickFirst)
{
    class Drop : public ClientDropDown {
    public:
        bool OnDropDownPress(int32_t, bool) override { return owner->Note("drop"); }
        ClientInputUi* owner = nullptr;
    } drop;
    drop.owner = &ui;
    app.SetOpenDropDown(&drop);
    EXPECT_EQ(Offered("buttonPress 0 1 10 10"), (Takers{"drop"}));
    app.SetClickHook([this](int32_t, bool, int32_t, int32_t) { return ui.Note("click"); });
    EXPECT_EQ(Offered("buttonPress 1 0 10 10"), (Takers{"click"}));
    app.SetClickHook(nullptr);
    app.SetOpenDropDown(nullptr);
    // A blocking menu ends the click before the world.
    ui.blocking = true;
    offered.clear();
    EXPECT_FALSE(Client::OnButtonPress(0, true, 10, 10));
    EXPECT_EQ(offered, (Takers{"ui", "map", "editor"}));
}

TEST_F(ClientInputTest, AServerCommandIsQueuedAsItsWordsWithSingleBlanks)
{
    ASSERT_TRUE(commands.Execute("serverCommand kill 12"));
    ASSERT_TRUE(commands.Execute("serverCommand useItem 1 2 3 4 5 6 7 8"));
    EXPECT_EQ(app.GetQueuedLines(), (std::deque<std::string>{"kill 12", "useItem 1 2 3 4 5 6 7 8"}));
}

TEST_F(ClientInputTest, TheWheelZoomsWithinTheClampedBoundsUnlessTheInterfaceTakesIt)
{
    vars.SetStringByName("zoom", "1.4");
    vars.SetStringByName("zoomMax", "1.4");
    ASSERT_TRUE(commands.Execute("mouseScrollDown"));
    EXPECT_FLOAT_EQ(ParseFloat(vars.GetStringByName("zoom")), 1.4f);
    ASSERT_TRUE(commands.Execute("mouseScrollUp"));
    EXPECT_FLOAT_EQ(ParseFloat(vars.GetStringByName("zoom")), 1.3f);
    vars.SetStringByName("zoomMax", "5");
    vars.SetStringByName("zoomMin", "0.01");
    ASSERT_TRUE(commands.Execute("mouseScrollDown"));
    EXPECT_FLOAT_EQ(ParseFloat(vars.GetStringByName("zoomMax")), 3.0f);
    EXPECT_FLOAT_EQ(ParseFloat(vars.GetStringByName("zoomMin")), 0.1f);
    EXPECT_FLOAT_EQ(ParseFloat(vars.GetStringByName("zoom")), 1.4f);
    ui.takes = "ui";
    ASSERT_TRUE(commands.Execute("mouseScrollDown"));
    EXPECT_FLOAT_EQ(ParseFloat(vars.GetStringByName("zoom")), 1.4f);
    // A zoom that is no number counts as 1 for the screen.
    vars.SetStringByName("zoom", "nan");
    EXPECT_FLOAT_EQ(ScreenConversion::CurrentView().zoom, 1.0f);
}

} // namespace
