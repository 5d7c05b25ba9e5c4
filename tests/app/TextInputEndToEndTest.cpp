// TextInputEndToEndTest -- the shipped game in an offscreen window with test menus in its "UI": a long text scrolled by the wheel and its scroll bar's arrow, a numbers-only field typed into, and the key prompt binding F5, all through SDL's events, the text read back in screenshots.
#include "app/OffscreenGame.h"

#include "core/UserVarSystem.h"
#include "core/VirtualKeys.h"
#include "resources/textures/TargaImage.h"
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
           "TextInput { internalName Count position 40 300 size 100 20 userVar probeCount \"\" onlyAllowNumbers 1 }\n";
}

const char kTextInputKeyMenu[] = "MenuType Menu\nname KeyProbe\nposition 0 0\nsize 640 480\n"
                                 "VirtualKeyInput { internalName Capture ShowUserVar probePrompt "
                                 "VirtualKeyUserVar probeAction }\n";

class TextInputEndToEnd : public OffscreenGame {
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
    }

    void TypeOnConsole(const std::string& line)
    {
        Tap(SDL_SCANCODE_GRAVE);
        TypeLine(line);
        Tap(SDL_SCANCODE_GRAVE);
    }

    static void PushMotion(int32_t x, int32_t y)
    {
        SDL_Event motion{};
        motion.type = SDL_MOUSEMOTION;
        motion.motion.x = x;
        motion.motion.y = y;
        ASSERT_EQ(SDL_PushEvent(&motion), 1);
    }

    void ClickAt(int32_t x, int32_t y)
    {
        PushMotion(x, y);
        app.RunFrame();
        for (bool down : {true, false}) {
            SDL_Event button{};
            button.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
            button.button.button = SDL_BUTTON_LEFT;
            button.button.x = x;
            button.button.y = y;
            ASSERT_EQ(SDL_PushEvent(&button), 1);
            app.RunFrame();
        }
    }

    void WheelDownAt(int32_t x, int32_t y)
    {
        PushMotion(x, y);
        app.RunFrame();
        SDL_Event wheel{};
        wheel.type = SDL_MOUSEWHEEL;
        wheel.wheel.y = -1;
        wheel.wheel.direction = SDL_MOUSEWHEEL_NORMAL;
        ASSERT_EQ(SDL_PushEvent(&wheel), 1);
        app.RunFrame();
    }

    // The frame as the screenshot key writes it, the cursor moved out of the way first.
    TargaImage Screenshot()
    {
        PushMotion(639, 479);
        app.RunFrame();
        std::string name = "User/Screenshots/ss000" + std::to_string(shots++) + ".tga";
        Tap(SDL_SCANCODE_F12);
        TargaImage image;
        if (!std::filesystem::exists(folder.Path() / name)) {
            ADD_FAILURE() << "no screenshot " << name;
            return image;
        }
        std::string bytes = folder.Read(name);
        shotBytes.assign(bytes.begin(), bytes.end());
        lastShot = folder.Path() / name;
        EXPECT_TRUE(image.Parse(shotBytes.data(), shotBytes.size(), name));
        return image;
    }

    // The rightmost lit pixel of the text's first row, in the 640 x 480 space; -1 when none.
    static int FirstRowExtent(const TargaImage& image, int rowTop, int rowBottom)
    {
        int extent = -1;
        for (int y = rowTop; y < rowBottom; ++y) {
            int fileRow = image.GetHeight() - 1 - y;
            if (fileRow < 0 || fileRow >= image.GetHeight())
                continue;
            for (int x = 40; x < 320 && x < image.GetWidth(); ++x) {
                const uint8_t* pixel =
                    image.GetPixels() + (static_cast<size_t>(fileRow) * image.GetWidth() + x) * image.GetBytesPerPixel();
                if (pixel[0] + pixel[1] + pixel[2] > 300)
                    extent = std::max(extent, x);
            }
        }
        return extent;
    }

    void KeepFailedFrame()
    {
        if (!HasFailure() || lastShot.empty())
            return;
        std::filesystem::path kept =
            std::filesystem::path(std::getenv("EMBERLODE_GAME_DIR")).parent_path() / ("TextInputEndToEnd-" + lastShot.filename().string());
        std::filesystem::copy_file(lastShot, kept, std::filesystem::copy_options::overwrite_existing);
        ADD_FAILURE() << "the screenshot is kept in " << kept.string();
    }

    int shots = 0;
    std::vector<uint8_t> shotBytes;
    std::filesystem::path lastShot;
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
    WheelDownAt(100, 100);
    EXPECT_EQ(story->GetScrollBar()->position, 1);
    int shortRow = FirstRowExtent(Screenshot(), 41, rowBottom);
    EXPECT_GT(shortRow, 40);
    EXPECT_LT(shortRow, 40 + 60) << "one wheel step shows the short second line first";
    // The down arrow is the last 16 units of the bar along the text's right edge.
    ClickAt(40 + 300 - 8, 40 + 200 - 8);
    EXPECT_EQ(story->GetScrollBar()->position, 2);
    EXPECT_GT(FirstRowExtent(Screenshot(), 41, rowBottom), 40 + 100) << "the arrow shows the third line first";
    KeepFailedFrame();

    ClickAt(60, 310);
    Tap(SDL_SCANCODE_1);
    Tap(SDL_SCANCODE_2);
    Push(SDL_SCANCODE_LSHIFT, true);
    Tap(SDL_SCANCODE_A);
    Push(SDL_SCANCODE_LSHIFT, false);
    app.RunFrame();
    EXPECT_EQ(gUserVarSystem->GetStringByName("probeCount"), "12");
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
