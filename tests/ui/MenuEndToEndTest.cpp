// MenuEndToEndTest -- the shipped game in an offscreen window with a menu file placed in its "UI": shown by a line typed on the console, clicked through SDL's mouse events, and drawn where its layout puts it at two window sizes.
#include "app/OffscreenShots.h"

#include "core/UserVarSystem.h"
#include "platform/SdlGraphicsSystem.h"
#include "render/Renderer.h"
#include "resources/GraphicsDevice.h"
#include "resources/ResourceManager.h"
#include "resources/textures/TargaImage.h"
#include "core/CommandSystem.h"
#include "ui/UIMenu.h"
#include "ui/UIWidget.h"
#include "ui/UISystem.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace {

// The menu sits at (20, 10); its widgets' rectangles are relative to it.
const char kProbeMenu[] = "MenuType Menu\n"
                          "name Probe\n"
                          "position 20 10\n"
                          "size 600 400\n"
                          "Widget {\n"
                          "  internalName Red\n"
                          "  texture \"Textures/white.tga\"\n"
                          "  color \"1 0 0\"\n"
                          "  position 40 40\n"
                          "  size 100 60\n"
                          "  canClick 1\n"
                          "  addCommand \"setUserVar probeClicked yes\"\n"
                          "}\n"
                          "Widget {\n"
                          "  internalName Green\n"
                          "  texture \"Textures/white.tga\"\n"
                          "  color \"0 1 0\"\n"
                          "  position 300 200\n"
                          "  size 80 80\n"
                          "}\n"
                          "Widget {\n"
                          "  internalName Hidden\n"
                          "  texture \"Textures/white.tga\"\n"
                          "  color \"0 0 1\"\n"
                          "  position 450 300\n"
                          "  size 50 50\n"
                          "  hideCondition AlwaysTrue\n"
                          "}\n";

// Two black boxes with hot keys, only the first naming its key, and a black box that turns white
// under the cursor.
const char kLookProbeMenu[] = "MenuType Menu\n"
                              "name LookProbe\n"
                              "position 20 10\n"
                              "size 600 400\n"
                              "Widget {\n"
                              "  internalName Lit\n"
                              "  texture \"Textures/black.tga\"\n"
                              "  hoverTexture \"Textures/white.tga\"\n"
                              "  position 40 40\n"
                              "  size 100 60\n"
                              "  canClick 1\n"
                              "}\n"
                              "Widget {\n"
                              "  internalName Named\n"
                              "  texture \"Textures/black.tga\"\n"
                              "  position 300 200\n"
                              "  size 80 40\n"
                              "  hotKey Q\n"
                              "  showHotKey 1\n"
                              "}\n"
                              "Widget {\n"
                              "  internalName Unnamed\n"
                              "  texture \"Textures/black.tga\"\n"
                              "  position 300 300\n"
                              "  size 80 40\n"
                              "  hotKey W\n"
                              "}\n";

struct ProbeRect {
    float x0;
    float y0;
    float x1;
    float y1;
};

class MenuEndToEnd : public OffscreenShotGame {
protected:
    void StartAt(int width, int height)
    {
        if (!std::getenv("EMBERLODE_GAME_DIR"))
            GTEST_SKIP() << "EMBERLODE_GAME_DIR not set";
        folder.Write("Assets/UI/probe.mnu", kProbeMenu);
        folder.Write("User/user.cfg", "r_width " + std::to_string(width) + "\nr_height " + std::to_string(height) +
                                          "\n");
        this->width = width;
        this->height = height;
        ASSERT_TRUE(app.StartUp());
        ASSERT_NE(gUISystem, nullptr);
        app.RunFrame();
        // The shipped title screen covers the whole window; these menus are tried without it.
        TypeOnConsole("hideMenu Main");
    }

    // The console opened, the line typed and run, the console closed again.
    void TypeOnConsole(const std::string& line)
    {
        Tap(SDL_SCANCODE_GRAVE);
        ASSERT_TRUE(gDebugSystem->GetConsole().IsShown());
        TypeLine(line);
        Tap(SDL_SCANCODE_GRAVE);
        ASSERT_FALSE(gDebugSystem->GetConsole().IsShown());
    }

    // A left click at a point of the 640 x 480 space, as the window's mouse events bring it.
    void ClickAt(float x, float y)
    {
        OffscreenShotGame::ClickAt(static_cast<int32_t>(x * width / 640.0f), static_cast<int32_t>(y * height / 480.0f));
    }

    // The red, green and blue of the pixel under a point of the 640 x 480 space; the file's rows
    // run from the bottom of the window, blue first.
    std::array<int, 3> PixelAt(const TargaImage& image, float x, float y) const
    {
        int px = static_cast<int>(x * width / 640.0f);
        int fileRow = height - 1 - static_cast<int>(y * height / 480.0f);
        if (!image.GetPixels() || px >= image.GetWidth() || fileRow < 0 || fileRow >= image.GetHeight())
            return {-1, -1, -1};
        const uint8_t* pixel = image.GetPixels() +
                               (static_cast<size_t>(fileRow) * image.GetWidth() + px) * image.GetBytesPerPixel();
        return {pixel[2], pixel[1], pixel[0]};
    }

    // Inside the rectangle (two units in from its edges) the colour; just outside it, black.
    void ExpectRectangle(const TargaImage& image, const ProbeRect& rect, int channel, const char* what)
    {
        const float inset = 2.0f;
        const float inside[][2] = {{rect.x0 + inset, rect.y0 + inset}, {rect.x1 - inset, rect.y0 + inset},
                                   {rect.x0 + inset, rect.y1 - inset}, {rect.x1 - inset, rect.y1 - inset},
                                   {(rect.x0 + rect.x1) / 2, (rect.y0 + rect.y1) / 2}};
        for (const auto& point : inside) {
            std::array<int, 3> pixel = PixelAt(image, point[0], point[1]);
            for (int c = 0; c < 3; ++c) {
                if (c == channel)
                    EXPECT_GT(pixel[c], 200) << what << " at " << point[0] << "," << point[1];
                else
                    EXPECT_LT(pixel[c], 40) << what << " at " << point[0] << "," << point[1];
            }
        }
        const float outside[][2] = {{rect.x0 - inset, rect.y0 + 10}, {rect.x1 + inset, rect.y0 + 10},
                                    {rect.x0 + 10, rect.y0 - inset}, {rect.x0 + 10, rect.y1 + inset}};
        for (const auto& point : outside) {
            std::array<int, 3> pixel = PixelAt(image, point[0], point[1]);
            EXPECT_LT(pixel[0] + pixel[1] + pixel[2], 60) << what << " outside at " << point[0] << "," << point[1];
        }
    }

    void RunTheProbe()
    {
        TypeOnConsole("showMenu Probe");
        UIMenu* probe = gUISystem->FindMenu("Probe");
        ASSERT_NE(probe, nullptr);
        EXPECT_TRUE(probe->visible);

        ClickAt(20 + 40 + 50, 10 + 40 + 30);
        EXPECT_EQ(gUserVarSystem->GetStringByName("probeClicked"), "yes");
        // A click beside the button runs nothing.
        gUserVarSystem->SetStringByName("probeClicked", "no");
        ClickAt(20 + 40 + 102, 10 + 40 + 30);
        EXPECT_EQ(gUserVarSystem->GetStringByName("probeClicked"), "no");

        gUserVarSystem->SetStringByName("r_screenshotType", "2");
        TargaImage shown = Screenshot();
        ASSERT_EQ(shown.GetWidth(), width - 2);
        ExpectRectangle(shown, {60, 50, 160, 110}, 0, "the red button");
        ExpectRectangle(shown, {320, 210, 400, 290}, 1, "the green square");
        EXPECT_LT(PixelAt(shown, 495, 335)[2], 40) << "a widget hidden by its condition is drawn";
        KeepFailedFrame();

        TypeOnConsole("hideMenu Probe");
        EXPECT_FALSE(probe->visible);
        TargaImage empty = Screenshot();
        EXPECT_LT(PixelAt(empty, 110, 80)[0], 40) << "a hidden menu is drawn";
        KeepFailedFrame();
    }

    // A failed probe leaves the screenshot beside the staged game folder, named in the failure.
    void KeepFailedFrame()
    {
        OffscreenShotGame::KeepFailedFrame("MenuEndToEnd-" + std::to_string(width) + "x" + std::to_string(height));
    }

    int width = 800;
    int height = 600;
};

TEST_F(MenuEndToEnd, WithoutAHardwareCursorTheShapesPictureIsDrawnAtTheCursor)
{
    StartAt(800, 600);
    gUserVarSystem->SetStringByName("ui_hardwareCursor", "0");
    SDL_Event motion{};
    motion.type = SDL_MOUSEMOTION;
    motion.motion.x = 400;
    motion.motion.y = 300;
    ASSERT_EQ(SDL_PushEvent(&motion), 1);
    app.RunFrame();
    std::vector<uint8_t> rgba;
    gGraphicsDevice->AcquireContext();
    gGraphicsDevice->Clear(kClearColorBuffer | kClearDepthBuffer, Color{0.0f, 0.0f, 0.0f}, 1.0f);
    gRenderer->Begin2D();
    gUISystem->DrawCursor();
    ASSERT_TRUE(gGraphicsDevice->ReadPixels({0, 0, 800, 600}, rgba));
    gGraphicsDevice->ReleaseContext();
    EXPECT_EQ(gUISystem->GetCurrentCursor(), 1);
    // The arrow's pixels lie in the 32-unit square below and right of the cursor at (320, 240).
    int inside = 0;
    int outside = 0;
    for (int row = 0; row < 600; ++row) {
        for (int x = 0; x < 800; ++x) {
            const uint8_t* pixel = rgba.data() + (static_cast<size_t>(599 - row) * 800 + x) * 4;
            if (pixel[0] + pixel[1] + pixel[2] < 150)
                continue;
            bool square = x >= 400 && x < 400 + 40 && row >= 300 && row < 300 + 40;
            ++(square ? inside : outside);
        }
    }
    EXPECT_GT(inside, 50);
    EXPECT_EQ(outside, 0);
}

TEST_F(MenuEndToEnd, TheMouseMovingOverTheWindowSetsTheCursorForTheInterfacesState)
{
    StartAt(800, 600);
    auto* window = dynamic_cast<SdlGraphicsSystem*>(gGraphicsSystem);
    ASSERT_NE(window, nullptr);
    UIWidget* red = gUISystem->FindWidgetByPath("Probe::Red");
    ASSERT_NE(red, nullptr);
    // Only the window's events run between the cases: no frame draws the cursor.
    auto moveTo = [window](int x) {
        SDL_Event motion{};
        motion.type = SDL_MOUSEMOTION;
        motion.motion.x = x;
        motion.motion.y = 300;
        ASSERT_EQ(SDL_PushEvent(&motion), 1);
        window->PumpEvents();
    };
    gUISystem->dragWidget = red;
    moveTo(400);
    EXPECT_EQ(gUISystem->GetCurrentCursor(), UISystem::kCursorDragging);
    gUISystem->dragWidget = nullptr;
    moveTo(410);
    EXPECT_EQ(gUISystem->GetCurrentCursor(), 1);
    // A busy cursor stays through moves until enough frames have drawn it.
    gUISystem->settings.minBusyFrames = 1000;
    ASSERT_TRUE(gCommandSystem->Execute("uiBusy"));
    gUISystem->dragWidget = red;
    moveTo(420);
    EXPECT_EQ(gUISystem->GetCurrentCursor(), UISystem::kCursorBusy);
    gUISystem->dragWidget = nullptr;
}

TEST_F(MenuEndToEnd, TextureReferencesAreBalancedAcrossReloadsCopiesAndShutDown)
{
    StartAt(800, 600);
    UIWidget* red = gUISystem->FindWidgetByPath("Probe::Red");
    ASSERT_NE(red, nullptr);
    int32_t row = red->texture;
    ASSERT_NE(row, -1);
    // The three widgets of the probe menu hold one reference each on the shared picture.
    int32_t held = gResourceManager->GetReferenceCount(row);
    EXPECT_GE(held, 3);
    {
        std::unique_ptr<UIWidget> copy(UISystem::CloneWidget(red));
        EXPECT_EQ(gResourceManager->GetReferenceCount(row), held + 1);
        copy->SetTexture("");
        EXPECT_EQ(gResourceManager->GetReferenceCount(row), held);
        copy->CopyFrom(*red);
        EXPECT_EQ(gResourceManager->GetReferenceCount(row), held + 1);
    }
    EXPECT_EQ(gResourceManager->GetReferenceCount(row), held);
    ASSERT_TRUE(gCommandSystem->Execute("reloadMenus"));
    EXPECT_EQ(gResourceManager->GetReferenceCount(row), held);
    // The menus go before the resources are flushed: nothing of theirs is left counted.
    app.ShutDown();
    EXPECT_EQ(gUISystem, nullptr);
}

// A widget with a hover picture shows it while the mouse rests on it and its own picture
// otherwise; a widget told to show its hot key writes the key's name in white at its corner.
TEST_F(MenuEndToEnd, TheHoverPictureFollowsTheMouseAndAShownHotKeyIsNamedOnItsWidget)
{
    folder.Write("Assets/UI/lookprobe.mnu", kLookProbeMenu);
    StartAt(800, 600);
    TypeOnConsole("showMenu LookProbe");
    ASSERT_TRUE(gUISystem->FindMenu("LookProbe")->visible);
    gUserVarSystem->SetStringByName("r_screenshotType", "2");
    // The mouse at the box's upper left; its lower right is what is read.
    TargaImage resting = Screenshot(static_cast<int32_t>(70.0f * width / 640.0f),
                                    static_cast<int32_t>(60.0f * height / 480.0f));
    TargaImage away = Screenshot();
    for (int c = 0; c < 3; ++c) {
        EXPECT_GT(PixelAt(resting, 150, 100)[c], 200) << "the hover picture under the mouse, channel " << c;
        EXPECT_LT(PixelAt(away, 150, 100)[c], 40) << "its own picture once the mouse left, channel " << c;
    }
    // Bright pixels along the top of each keyed box, where the name is written.
    auto written = [this](const TargaImage& image, float top) {
        int count = 0;
        for (float y = top; y < top + 14.0f; y += 0.5f)
            for (float x = 320.0f; x < 360.0f; x += 0.5f) {
                std::array<int, 3> pixel = PixelAt(image, x, y);
                count += std::min({pixel[0], pixel[1], pixel[2]}) > 160 ? 1 : 0;
            }
        return count;
    };
    EXPECT_GT(written(away, 210.0f), 10) << "the hot key's name on the box that shows it";
    EXPECT_EQ(written(away, 310.0f), 0) << "no name on the box that does not";
    KeepFailedFrame();
}

TEST_F(MenuEndToEnd, AMenuFileInTheGameFolderIsShownClickedAndDrawnAt800x600)
{
    StartAt(800, 600);
    RunTheProbe();
}

TEST_F(MenuEndToEnd, AMenuFileInTheGameFolderIsShownClickedAndDrawnAt1024x768)
{
    StartAt(1024, 768);
    RunTheProbe();
}

} // namespace
