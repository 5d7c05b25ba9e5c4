// WidgetHotKeyTest -- hot keys named in layout files: key names and their codes, keys and bound mouse buttons firing widgets, repeats, hidden widgets, focus and the hot key's help.
#include "ui/UiWorld.h"

#include "core/InputCommands.h"

namespace {

class WidgetHotKey : public UiWorld {
protected:
    void SetUp() override
    {
        if (!UseShippedKeyNames())
            GTEST_SKIP() << "EMBERLODE_GAME_DIR not set";
        folder.Write("default.cfg", "VirtualKey VirtualInventory I\nVirtualKey VirtualSpell RightMouseButton\n");
        vars.LoadConfigFiles();
        WriteMenu("k.mnu", "name K\nvisible 1\n"
                           "Widget { internalName Bag hotKey VirtualInventory addCommand \"record bag\" name Pack }\n"
                           "Widget { internalName Quit hotKey escape altHotKey Q addCommand \"record quit\" }\n"
                           "Widget { internalName Odd hotKey NoSuchKey addCommand \"record odd\" }\n"
                           "Widget { internalName Spell hotKey VirtualSpell addCommand \"record spell\" "
                           "ignoreRepeatedKeys 0 }\n");
        ui->RegisterCommands();
    }

    // The key goes through the input's own "keyPress" path: the console, then the menus, then the bindings.
    bool Key(int key, bool down = true, bool repeat = false) { return InputCommands::OnKeyPress(key, down, repeat); }
};

constexpr int kKeyEscape = 1;
constexpr int kKeyQ = 16;
constexpr int kKeyI = 23;

TEST_F(WidgetHotKey, KeyNamesGiveVirtualCodesThenKeyCodesThenTwoWithALine)
{
    int inventory = keys.FindByName("VirtualInventory", true);
    ASSERT_GE(inventory, 256);
    EXPECT_EQ(ui->FindWidgetByPath("K::Bag")->hotKey, inventory);
    EXPECT_EQ(ui->FindWidgetByPath("K::Quit")->hotKey, kKeyEscape);
    EXPECT_EQ(ui->FindWidgetByPath("K::Quit")->altHotKey, kKeyQ);
    EXPECT_EQ(ui->FindWidgetByPath("K::Odd")->hotKey, 2);
    EXPECT_EQ(Logged("UI/k.mnu line 5: unknown hot key name \"NoSuchKey\" stands for key 2"), 1);
    EXPECT_EQ(UIWidget::FindKeyCode(""), 2);
}

TEST_F(WidgetHotKey, KeysFireWidgetsThroughTheirCodesAndBindingsOnceAPress)
{
    InputCommands::SetUiHooks([this](int key, bool down, bool repeat) { return ui->HandleKey(key, down, repeat); },
                              {});
    EXPECT_TRUE(Key(kKeyI));
    EXPECT_FALSE(Key(kKeyI, true, true));
    EXPECT_FALSE(Key(kKeyI, false));
    EXPECT_TRUE(Key(kKeyQ));
    EXPECT_TRUE(Key(kKeyEscape));
    EXPECT_TRUE(Key(2));
    EXPECT_EQ(TakeRan(), (std::vector<std::string>{"bag", "quit", "quit", "odd"}));
    // A hidden widget's hot key does nothing, and its focus receives no keys.
    UIWidget* bag = ui->FindWidgetByPath("K::Bag");
    bag->SetVisible(false);
    ui->focusWidget = bag;
    EXPECT_FALSE(Key(kKeyI));
    EXPECT_FALSE(Key(30));
    EXPECT_TRUE(TakeRan().empty());
    InputCommands::SetUiHooks({}, {});
}

TEST_F(WidgetHotKey, AMouseButtonFiresOnlyThroughItsBindingAndEveryRepeatWhenAsked)
{
    // The right button is bound to the spell's virtual key; the left button's number is never a key code.
    EXPECT_TRUE(Click(600, 400, 1));
    EXPECT_EQ(TakeRan(), std::vector<std::string>{"spell"});
    ui->FindWidgetByPath("K::Odd")->hotKey = 0;
    EXPECT_FALSE(Click(600, 400, 0));
    EXPECT_TRUE(TakeRan().empty());
    UIWidget* spell = ui->FindWidgetByPath("K::Spell");
    spell->hotKey = kKeyI;
    EXPECT_TRUE(spell->HandleHotKey(kKeyI, true, true));
    EXPECT_TRUE(spell->HandleHotKey(kKeyI, true, true));
    EXPECT_EQ(TakeRan(), (std::vector<std::string>{"spell", "spell"}));
}

TEST_F(WidgetHotKey, TheTooltipNamesTheHotKeyInTheLanguage)
{
    UIWidget* bag = ui->FindWidgetByPath("K::Bag");
    std::string text;
    std::string title;
    ASSERT_TRUE(bag->GetHelpText(0, 0, text, title));
    EXPECT_EQ(loc->Translate(text), "Pack\n^c008Press I to open^c145");
    EXPECT_EQ(loc->Translate(bag->GetHotKeyHelp("")), "^c008Press I^c145");
    EXPECT_EQ(UIWidget::GetKeyDisplayName(kKeyEscape), "Escape");
    bag->hotKey = -1;
    EXPECT_EQ(bag->GetHotKeyHelp(""), "");
}

} // namespace
