// TextInputEndToEndTest -- the shipped game in an offscreen window with test menus in its "UI": a long text scrolled by the wheel and its scroll bar's arrow, a numbers-only field typed into, and the key prompt binding F5, all through SDL's events, the text read back in screenshots.
#include "app/OffscreenShots.h"

#include "core/Console.h"
#include "core/DebugSystem.h"
#include "core/UserVarSystem.h"
#include "core/VirtualKeys.h"
#include "ui/UISystem.h"
#include "ui/widgets/UIScrollBar.h"
#include "ui/widgets/UIText.h"

#include <array>
#include <filesystem>
#include <string>
#include <vector>

namespace {

// Even lines are long and odd lines short, so the width of the first shown row tells which line it is.
std::string TextInputProbeLines()
{
    std::string text;
    for (int i = 0; i < 40; ++i)
        text += (i % 2 == 0 ? std::string(16, 'M') : std::string("MM")) + "\\n";
    return text;
}

// The text's top-left corner is at (40, 40) of the 640 x 480 space; its scroll bar runs down its right edge.
std::string TextInputProbeMenu()
{
    return "MenuType Menu\nname TextProbe\nposition 0 0\nsize 640 480\n"
           "Text { internalName Story position 40 40 size 300 200 text \"" +
           TextInputProbeLines() +
           "\" }\n"
           "TextInput { internalName Count position 40 300 size 100 20 userVar probeCount \"\" onlyAllowNumbers 1 }\n"
           "TextInput { internalName Name position 40 340 size 200 20 userVar probeName \"\" }\n";
}

const char kTextInputKeyMenu[] = "MenuType Menu\nname KeyProbe\nposition 0 0\nsize 640 480\n"
                                 "VirtualKeyInput { internalName Capture ShowUserVar probePrompt "
                                 "VirtualKeyUserVar probeAction }\n";

class TextInputEndToEnd : public OffscreenShotGame {
protected:
    void SetUp() override
    {
        if (!std::getenv("EMBERLODE_GAME_DIR"))
            GTEST_SKIP() << "EMBERLODE_GAME_DIR not set";
        folder.Write("Assets/UI/textprobe.mnu", TextInputProbeMenu());
        folder.Write("Assets/UI/keyprobe.mnu", kTextInputKeyMenu);
        folder.Write("User/user.cfg", "r_width 640\nr_height 480\n");
        ASSERT_TRUE(app.StartUp());
        ASSERT_NE(gUISystem, nullptr);
        app.RunFrame();
        // The shipped title screen covers the whole window; these menus are tried without it.
        TypeOnConsole("hideMenu Main");
    }
    // Any failed check keeps the last frame taken, the typed field's included.
    void TearDown() override { KeepFailedFrame("TextInputEndToEnd"); }

    // The rightmost lit pixel of the text's first row, in the 640 x 480 space; -1 when none.
    static int FirstRowExtent(const TargaImage& image, int rowTop, int rowBottom)
    {
        int extent = -1;
        for (int y = rowTop; y < rowBottom; ++y) {
            for (int x = 40; x < 320; ++x) {
                std::array<int, 3> pixel = PixelAt(image, x, y);
                if (pixel[0] + pixel[1] + pixel[2] > 300)
                    extent = std::max(extent, x);
            }
        }
        return extent;
    }
};

TEST_F(TextInputEndToEnd, TheWheelAndTheArrowScrollTheTextAndTypedKeysFillTheFields)
{
    TypeOnConsole("showMenu TextProbe");
    auto* story = dynamic_cast<UIText*>(gUISystem->FindWidgetByPath("TextProbe::Story"));
    ASSERT_NE(story, nullptr);
    ASSERT_NE(story->GetScrollBar(), nullptr);
    ASSERT_GT(story->visibleLines, 1) << "the shipped font measures its lines";
    ASSERT_LT(story->visibleLines, 40);
    gUserVarSystem->SetStringByName("r_screenshotType", "2");
    // A row is as tall as the widget's height shared by the lines shown.
    int rowBottom = 40 + 200 / story->visibleLines - 2;

    int longRow = FirstRowExtent(Screenshot(), 41, rowBottom);
    EXPECT_GT(longRow, 40 + 100) << "the first line is the long one";
    WheelAt(100, 100, false);
    EXPECT_EQ(story->GetScrollBar()->position, 1);
    int shortRow = FirstRowExtent(Screenshot(), 41, rowBottom);
    EXPECT_GT(shortRow, 40);
    EXPECT_LT(shortRow, 40 + 60) << "one wheel step shows the short second line first";
    // The down arrow is the last 16 units of the bar along the text's right edge.
    ClickAt(40 + 300 - 8, 40 + 200 - 8);
    EXPECT_EQ(story->GetScrollBar()->position, 2);
    EXPECT_GT(FirstRowExtent(Screenshot(), 41, rowBottom), 40 + 100) << "the arrow shows the third line first";
    KeepFailedFrame("TextInputEndToEnd");

    ClickAt(60, 310);
    Tap(SDL_SCANCODE_1);
    Tap(SDL_SCANCODE_2);
    Push(SDL_SCANCODE_LSHIFT, true);
    Tap(SDL_SCANCODE_A);
    Push(SDL_SCANCODE_LSHIFT, false);
    app.RunFrame();
    EXPECT_EQ(gUserVarSystem->GetStringByName("probeCount"), "12");
}

TEST_F(TextInputEndToEnd, TheConsoleKeyOpensTheConsoleOverAFieldThatHoldsTheFocus)
{
    TypeOnConsole("showMenu TextProbe");
    ClickAt(60, 350);
    TypeKeys("ash");
    ASSERT_EQ(gUserVarSystem->GetStringByName("probeName"), "ash");
    // The form filled in, the console opened over it: its line runs, the field keeps its text.
    Tap(SDL_SCANCODE_GRAVE);
    EXPECT_TRUE(gDebugSystem->GetConsole().IsShown()) << "the console's key opened the console";
    TypeLine("setUserVar probeLine typed");
    EXPECT_EQ(gUserVarSystem->GetStringByName("probeLine"), "typed") << "the console took the line";
    Tap(SDL_SCANCODE_GRAVE);
    EXPECT_FALSE(gDebugSystem->GetConsole().IsShown());
    EXPECT_EQ(gUserVarSystem->GetStringByName("probeName"), "ash") << "neither the key nor the line went into the field";
    // The field still has the focus for what is typed next.
    TypeKeys("en");
    EXPECT_EQ(gUserVarSystem->GetStringByName("probeName"), "ashen");
}

TEST_F(TextInputEndToEnd, ThePromptBindsF5AndTheUserFileSaysSo)
{
    gUserVarSystem->SetStringByName("probeAction", "VirtualToggleConsole");
    gUserVarSystem->SetStringByName("probePrompt", "1");
    TypeOnConsole("showMenu KeyProbe");
    Tap(SDL_SCANCODE_F5);
    EXPECT_EQ(gUserVarSystem->GetStringByName("probePrompt"), "0");
    std::string settings = folder.Read("User/user.cfg");
    EXPECT_NE(settings.find("VirtualKey VirtualToggleConsole F5"), std::string::npos) << settings;
}

} // namespace
