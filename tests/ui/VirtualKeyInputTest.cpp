// VirtualKeyInputTest -- the key-binding prompt loaded from a menu file: keys and clicks given through the input path bind the action its user var names, "user.cfg" is rewritten, Escape and the console key bind nothing, and a clash or an unknown action pushes the warning menu.
#include "ui/UiWorld.h"

#include "core/InputCommands.h"

#include <algorithm>
#include <filesystem>

namespace {

class VirtualKeyInput : public UiWorld {
protected:
    void SetUp() override
    {
        if (!UseShippedKeyNames())
            GTEST_SKIP() << "EMBERLODE_GAME_DIR not set";
        folder.Write("default.cfg", "VirtualKey VirtualInventory I\nVirtualKey VirtualMap M\n");
        vars.LoadConfigFiles();
        WriteMenu("k.mnu", "name Keys\nvisible 1\nsize 640 480\n"
                           "VirtualKeyInput { internalName Capture ShowUserVar keyPrompt "
                           "VirtualKeyUserVar keyAction DuplicateMenuName KeyClash }\n");
        WriteMenu("w.mnu", "name KeyClash\nsize 100 100\n");
        InputCommands::RegisterCommands();
        InputCommands::SetUiHooks([this](int key, bool down, bool repeat) { return ui->HandleKey(key, down, repeat); },
                                  {});
        ui->RegisterCommands();
        vars.SetStringByName("keyAction", "VirtualInventory");
        vars.SetStringByName("keyPrompt", "1");
        inventory = keys.FindByName("VirtualInventory", true);
        ASSERT_GE(inventory, 256);
    }
    void TearDown() override { InputCommands::SetUiHooks({}, {}); }

    void Press(int key)
    {
        input.OnKeyDown(key);
        input.OnKeyUp(key);
    }
    bool WarningShown() const
    {
        const auto& stack = ui->GetMenuStack();
        return std::find(stack.begin(), stack.end(), ui->FindMenu("KeyClash")) != stack.end();
    }
    std::string UserConfig() const
    {
        for (const char* path : {"User/user.cfg", "user.cfg"})
            if (std::filesystem::exists(folder.Path() / path))
                return folder.Read(path);
        return {};
    }

    int inventory = -1;
};

constexpr int kBindKeyEscape = 1;
constexpr int kBindKeyM = 50;
constexpr int kBindKeyConsole = 41;
constexpr int kBindKeyF5 = 63;

TEST_F(VirtualKeyInput, AKeyBindsTheNamedActionAndHidesThePrompt)
{
    Press(kBindKeyF5);
    EXPECT_TRUE(keys.IsBoundTo(inventory, kBindKeyF5, VirtualKeys::kKeyboard));
    EXPECT_EQ(vars.GetStringByName("keyPrompt"), "0");
    EXPECT_NE(UserConfig().find("VirtualInventory"), std::string::npos) << UserConfig();
    EXPECT_NE(UserConfig().find("F5"), std::string::npos) << UserConfig();
    EXPECT_FALSE(WarningShown());
}

TEST_F(VirtualKeyInput, EscapeClosesThePromptAndTheConsoleKeyPassesBy)
{
    Press(kBindKeyEscape);
    EXPECT_EQ(vars.GetStringByName("keyPrompt"), "0");
    EXPECT_TRUE(keys.IsBoundTo(inventory, 23, VirtualKeys::kKeyboard)) << "the old binding stays";
    vars.SetStringByName("keyPrompt", "1");
    EXPECT_FALSE(ui->HandleKey(kBindKeyConsole, true, false));
    EXPECT_FALSE(ui->HandleKey(kBindKeyF5, false, false)) << "a release is not used";
    EXPECT_EQ(vars.GetStringByName("keyPrompt"), "1");
    EXPECT_FALSE(keys.IsBoundTo(inventory, kBindKeyConsole, VirtualKeys::kKeyboard));
}

// The two actions trade keys rather than share one, and the warning says so.
TEST_F(VirtualKeyInput, AKeyAnotherActionHoldsIsSwappedForTheOldKeyAndWarns)
{
    int oldKey = keys.GetEntryValue(inventory);
    ASSERT_GE(oldKey, 0);
    Press(kBindKeyM);
    EXPECT_TRUE(keys.IsBoundTo(inventory, kBindKeyM, VirtualKeys::kKeyboard));
    EXPECT_TRUE(keys.IsBoundTo(keys.FindByName("VirtualMap", true), oldKey, VirtualKeys::kKeyboard));
    EXPECT_TRUE(WarningShown());
    EXPECT_EQ(vars.GetStringByName("keyPrompt"), "0");
}

// A plain binding made while the warning still stands leaves it naming the action that lost its key.
TEST_F(VirtualKeyInput, AWarningStillShownKeepsItsActionThroughALaterPlainBinding)
{
    Press(kBindKeyM);
    ASSERT_TRUE(WarningShown());
    EXPECT_EQ(vars.GetStringByName("KeySwappedAction"), "VirtualMap");
    vars.SetStringByName("keyPrompt", "1");
    Press(kBindKeyF5);
    EXPECT_TRUE(keys.IsBoundTo(inventory, kBindKeyF5, VirtualKeys::kKeyboard));
    EXPECT_TRUE(WarningShown());
    EXPECT_EQ(vars.GetStringByName("KeySwappedAction"), "VirtualMap");
}

TEST_F(VirtualKeyInput, AnUnknownActionBindsNothingAndWarns)
{
    vars.SetStringByName("keyAction", "NoSuchAction");
    Press(kBindKeyF5);
    EXPECT_FALSE(keys.IsBoundTo(inventory, kBindKeyF5, VirtualKeys::kKeyboard));
    EXPECT_TRUE(WarningShown());
}

TEST_F(VirtualKeyInput, AClickAnywhereBindsItsButtonWhileShown)
{
    EXPECT_TRUE(Click(600, 470, 1));
    EXPECT_TRUE(keys.IsBoundTo(inventory, 1, VirtualKeys::kMouse));
    EXPECT_EQ(vars.GetStringByName("keyPrompt"), "0");
    ui->FindWidgetByPath("Keys::Capture")->SetVisible(false);
    EXPECT_FALSE(Click(10, 10, 0));
    EXPECT_TRUE(keys.IsBoundTo(inventory, 1, VirtualKeys::kMouse));
}

} // namespace
