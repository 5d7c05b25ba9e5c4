// HotKeyAuditTest -- the shipped game's keys checked as a player meets them: every action a menu's hot key names is bound by the shipped settings, every bound action is on the help screen with the key it has now, and every button that opens a window says its key in its tooltip.
#include "app/OffscreenShots.h"

#include "core/VirtualKeys.h"
#include "ui/UIMenu.h"
#include "ui/UISystem.h"
#include "ui/UIWidget.h"

#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

class HotKeyAudit : public OffscreenShotGame {
protected:
    void SetUp() override
    {
        if (!std::getenv("EMBERLODE_GAME_DIR"))
            GTEST_SKIP() << "EMBERLODE_GAME_DIR not set";
        StartShippedGame();
    }

    // Every action the settings define, in their order.
    static std::vector<std::string> ActionNames()
    {
        std::string lines;
        gVirtualKeys->WriteBindings(lines);
        std::istringstream in(lines);
        std::vector<std::string> names;
        std::string word;
        std::string name;
        while (in >> word >> name) {
            names.push_back(name);
            in.ignore(1 << 16, '\n');
        }
        return names;
    }

    // The help screen's widget that shows the action's key; null when it has none.
    static UIWidget* HelpRowOf(const std::string& action)
    {
        UIMenu* help = gUISystem->FindMenu("HelpScreen");
        if (!help)
            return nullptr;
        for (UIWidget* widget : help->GetWidgets())
            if (widget->GetTextSourceText() == action)
                return widget;
        return nullptr;
    }

    static bool OpensAWindow(const UIWidget& widget)
    {
        for (const std::string& line : widget.commands)
            for (const char* verb : {"toggleMenu ", "pushMenu ", "pushPopMenu ", "showMenu "})
                if (line.rfind(verb, 0) == 0)
                    return true;
        return false;
    }

    static int LitPixels(const TargaImage& image, int x0, int y0, int x1, int y1)
    {
        return CountPixels(image, x0, y0, x1, y1, [](const auto& p) { return p[1] > 160 && p[0] < p[1]; });
    }
};

TEST_F(HotKeyAudit, EveryHotKeyIsBoundEveryBindingIsOnTheHelpScreenAndEveryWindowButtonSaysItsKey)
{
    std::vector<std::string> actions = ActionNames();
    ASSERT_GE(actions.size(), 20u) << "the windows, the quick-use bar and the console";
    for (const std::string& action : actions) {
        int code = gVirtualKeys->FindByName(action, true);
        std::string key = gVirtualKeys->GetBoundKeyName(code);
        EXPECT_FALSE(key.empty()) << action << " has no key in the shipped settings";
        UIWidget* row = HelpRowOf(action);
        ASSERT_NE(row, nullptr) << action << " is not on the help screen";
        EXPECT_EQ(row->BuildText(row->textSource), key) << action;
    }

    std::set<std::string> windows;
    for (UIMenu* menu : gUISystem->GetMenus())
        for (UIWidget* widget : menu->GetWidgets()) {
            std::string where = menu->name + "::" + widget->internalName;
            for (int code : {widget->hotKey, widget->altHotKey}) {
                bool named = code >= VirtualKeys::kFirstCode;
                EXPECT_TRUE(!named || !gVirtualKeys->GetBoundKeyName(code).empty()) << where << " names an unbound action";
            }
            if (widget->hotKey < VirtualKeys::kFirstCode || !OpensAWindow(*widget))
                continue;
            windows.insert(where);
            std::string help = widget->GetHotKeyHelp("$$open$$");
            EXPECT_FALSE(widget->name.empty()) << where << " has no tooltip to carry its key";
            EXPECT_NE(help.find(gVirtualKeys->GetBoundKeyName(widget->hotKey)), std::string::npos) << where << ": " << help;
        }
    for (const char* button : {"InGame::InventoryButton", "InGame::CharacterButton", "InGame::SkillsButton",
                               "InGame::QuestsButton", "InGame::MapButton", "InGame::RelationsButton",
                               "InGame::MenuButton", "InGame::TradeKey"})
        EXPECT_EQ(windows.count(button), 1u) << button << " opens its window by a bound key";
}

TEST_F(HotKeyAudit, TheHelpScreenShowsAKeyReboundOnTheKeysScreen)
{
    Tap(SDL_SCANCODE_H);
    ASSERT_TRUE(Shown("HelpScreen"));
    TargaImage before = Screenshot();
    EXPECT_GT(LitPixels(before, 258, 214, 328, 366), 40) << "the left column's keys";
    EXPECT_GT(LitPixels(before, 500, 214, 570, 324), 30) << "the right column's keys";
    EXPECT_GT(LitPixels(before, 340, 346, 484, 388), 30) << "the quick-use keys";
    KeepFailedFrame("helpkeys");
    UIWidget* character = gUISystem->FindWidgetByPath("HelpScreen::CharacterWindowKey");
    ASSERT_NE(character, nullptr);
    EXPECT_EQ(character->BuildText(character->textSource), "C");

    // Back to the title, Options, Keys: the character sheet's key becomes J.
    Tap(SDL_SCANCODE_ESCAPE);
    ASSERT_TRUE(Shown("Main"));
    Tap(SDL_SCANCODE_O);
    ASSERT_TRUE(Shown("Options"));
    ClickAt(400, 366);
    ASSERT_TRUE(Shown("KeyBindings"));
    ClickAt(260, 199);
    Tap(SDL_SCANCODE_J);
    Tap(SDL_SCANCODE_ESCAPE);
    Tap(SDL_SCANCODE_ESCAPE);
    ASSERT_TRUE(Shown("Main"));
    Tap(SDL_SCANCODE_H);
    ASSERT_TRUE(Shown("HelpScreen"));
    EXPECT_EQ(character->BuildText(character->textSource), "J");
}

// Every action the settings define has its button on the keys screen, drawn inside the window,
// and a click on it and a key pressed bind that action, as the saved settings and the button say.
TEST_F(HotKeyAudit, TheKeysScreenListsEveryActionAndRebindsEachByItsOwnButton)
{
    Tap(SDL_SCANCODE_O);
    ASSERT_TRUE(Shown("Options"));
    ClickAt(400, 366);
    ASSERT_TRUE(Shown("KeyBindings"));
    UIMenu* keys = gUISystem->FindMenu("KeyBindings");
    // Keys no shipped action holds, one for each action.
    const std::vector<std::pair<SDL_Scancode, std::string>> freeKeys = {
        {SDL_SCANCODE_F1, "F1"}, {SDL_SCANCODE_F2, "F2"}, {SDL_SCANCODE_F3, "F3"}, {SDL_SCANCODE_F4, "F4"},
        {SDL_SCANCODE_F5, "F5"}, {SDL_SCANCODE_F6, "F6"}, {SDL_SCANCODE_F7, "F7"}, {SDL_SCANCODE_F8, "F8"},
        {SDL_SCANCODE_F9, "F9"}, {SDL_SCANCODE_F10, "F10"}, {SDL_SCANCODE_J, "J"}, {SDL_SCANCODE_K, "K"},
        {SDL_SCANCODE_L, "L"}, {SDL_SCANCODE_N, "N"}, {SDL_SCANCODE_U, "U"}, {SDL_SCANCODE_V, "V"},
        {SDL_SCANCODE_W, "W"}, {SDL_SCANCODE_X, "X"}, {SDL_SCANCODE_Y, "Y"}, {SDL_SCANCODE_Z, "Z"},
        {SDL_SCANCODE_B, "B"}, {SDL_SCANCODE_G, "G"}, {SDL_SCANCODE_E, "E"}, {SDL_SCANCODE_D, "D"}};
    std::vector<std::string> actions = ActionNames();
    ASSERT_LE(actions.size(), freeKeys.size());
    for (size_t n = 0; n < actions.size(); ++n) {
        const std::string& action = actions[n];
        UIWidget* button = nullptr;
        for (UIWidget* widget : keys->GetWidgets())
            for (const std::string& line : widget->commands)
                if (line == "setUserVar KeyAction " + action)
                    button = widget;
        ASSERT_NE(button, nullptr) << action << " has no button on the keys screen";
        EXPECT_GE(button->position[0], 40.0f) << action;
        EXPECT_GE(button->position[1], 40.0f) << action;
        EXPECT_LE(button->position[0] + button->size[0], 600.0f) << action;
        EXPECT_LE(button->position[1] + button->size[1], 440.0f) << action;

        ClickAt(static_cast<int32_t>(button->position[0] + button->size[0] / 2),
                static_cast<int32_t>(button->position[1] + button->size[1] / 2));
        ASSERT_EQ(gUserVarSystem->GetStringByName("KeyAction"), action);
        Tap(freeKeys[n].first);
        EXPECT_EQ(gVirtualKeys->GetBoundKeyName(gVirtualKeys->FindByName(action, true)), freeKeys[n].second) << action;
        std::string settings = folder.Read("User/user.cfg");
        EXPECT_NE(settings.find("VirtualKey " + action + " " + freeKeys[n].second), std::string::npos) << action;
        EXPECT_FALSE(Shown("DuplicateKey")) << action;
    }
    KeepFailedFrame("keys-all");
}

} // namespace
