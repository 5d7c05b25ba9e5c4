// ScreenshotEndToEndTest -- the shipped game in an offscreen window: the console drawn over the frame, and the screenshot key writes it under "Screenshots/" in the user folder.
#include "app/OffscreenGame.h"
#include "core/DebugSystem.h"
#include "core/UserVarSystem.h"
#include "core/system/InputSystem.h"
#include "render/LightingSystem.h"
#include "render/Renderer.h"
#include "render/TextMeasure.h"
#include "resources/GraphicsDevice.h"
#include "resources/fonts/ScreenText.h"
#include "resources/textures/TargaImage.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

class ScreenshotGame : public OffscreenGame {};

// Counts the pixels of rows [firstRow, lastRow) (top-down) whose three channels are all above 200.
int ScreenshotBrightPixels(const TargaImage& image, int firstRow, int lastRow)
{
    int bright = 0;
    int width = image.GetWidth();
    int height = image.GetHeight();
    int bytes = image.GetBytesPerPixel();
    for (int row = firstRow; row < lastRow; ++row) {
        // The file's rows run from the bottom of the screen.
        const uint8_t* line = image.GetPixels() + static_cast<size_t>(height - 1 - row) * width * bytes;
        for (int x = 0; x < width; ++x) {
            const uint8_t* pixel = line + static_cast<size_t>(x) * bytes;
            if (pixel[0] > 200 && pixel[1] > 200 && pixel[2] > 200)
                ++bright;
        }
    }
    return bright;
}

} // namespace

TEST_F(ScreenshotGame, TheScreenshotKeyWritesTheShownConsoleIntoTheUserFolder)
{
    if (!std::getenv("EMBERLODE_GAME_DIR"))
        GTEST_SKIP() << "EMBERLODE_GAME_DIR not set";
    ASSERT_TRUE(app.StartUp());
    gUserVarSystem->SetStringByName("r_screenshotType", "2");
    app.RunFrame();
    Tap(SDL_SCANCODE_GRAVE);
    ASSERT_TRUE(gDebugSystem->GetConsole().IsShown());
    // The shipped title screen would fill the window below the console's band.
    TypeLine("hideMenu Main");
    TypeLine("setUserVar zoom 1.2");
    Tap(SDL_SCANCODE_F12);
    gDebugSystem->Flush();

    std::string path = (folder.Path() / "User/Screenshots/ss0000.tga").string();
    ASSERT_TRUE(std::filesystem::exists(path)) << folder.Read("User/log.txt");
    std::string bytes = folder.Read("User/Screenshots/ss0000.tga");
    std::vector<uint8_t> file(bytes.begin(), bytes.end());
    TargaImage image;
    ASSERT_TRUE(image.Parse(file.data(), file.size(), path));
    // The 800 x 600 window less its 2-pixel border.
    EXPECT_EQ(image.GetWidth(), 798);
    EXPECT_EQ(image.GetHeight(), 598);
    // Text in the console's band over the top half of the screen (240 of 480 units), nothing
    // drawn below it.
    EXPECT_GT(ScreenshotBrightPixels(image, 0, 300), 200);
    EXPECT_EQ(ScreenshotBrightPixels(image, 302, 598), 0);

    // The next press takes the next number; the first is kept.
    Tap(SDL_SCANCODE_F12);
    EXPECT_TRUE(std::filesystem::exists(folder.Path() / "User/Screenshots/ss0001.tga"));
    EXPECT_EQ(folder.Read("User/Screenshots/ss0000.tga"), bytes);
}

TEST_F(ScreenshotGame, TextDrawnWithAShippedFontCoversWhatItsMeasurementSays)
{
    if (!std::getenv("EMBERLODE_GAME_DIR"))
        GTEST_SKIP() << "EMBERLODE_GAME_DIR not set";
    ASSERT_TRUE(app.StartUp());
    // The lighting system read the shipped record before the display came up.
    ASSERT_NE(gLightingSystem, nullptr);
    EXPECT_EQ(gLightingSystem->GetFalloffMultiplier(), 2.0f);
    gUserVarSystem->SetStringByName("r_higherResFonts", "0");
    const std::string text = "Emberlode ^c004quest^c145 log";
    int32_t font = gScreenText->GetLadderFont(0);
    TextSize size = MeasureTextA(text, font);
    ASSERT_GT(size.width, 0.0f);

    gGraphicsDevice->AcquireContext();
    gGraphicsDevice->Clear(kClearColorBuffer | kClearDepthBuffer, Color{0.0f, 0.0f, 0.0f}, 1.0f);
    gRenderer->Begin2D();
    gScreenText->DrawTextNarrow(font, text, 100, 100, Color{1.0f, 1.0f, 1.0f}, false, 1.0f);
    std::vector<uint8_t> rgba;
    ASSERT_TRUE(gGraphicsDevice->ReadPixels({0, 0, 800, 600}, rgba));
    gGraphicsDevice->ReleaseContext();

    // The lit pixels' box, in user-interface units (800 x 600 pixels for 640 x 480 units).
    int left = 800, right = -1, top = 600, bottom = -1;
    for (int y = 0; y < 600; ++y) {
        for (int x = 0; x < 800; ++x) {
            const uint8_t* pixel = rgba.data() + (static_cast<size_t>(y) * 800 + x) * 4;
            if (pixel[0] + pixel[1] + pixel[2] < 96)
                continue;
            int row = 599 - y;
            left = std::min(left, x);
            right = std::max(right, x);
            top = std::min(top, row);
            bottom = std::max(bottom, row);
        }
    }
    ASSERT_GE(right, 0);
    const float scale = 800.0f / 640.0f;
    EXPECT_GE(left, static_cast<int>(100 * scale));
    EXPECT_GE(top, static_cast<int>(100 * scale));
    EXPECT_LE(right, static_cast<int>((100 + size.width) * scale));
    EXPECT_LE(bottom, static_cast<int>((100 + size.height) * scale));
    // The last glyph lies in the measurement's last cell: one glyph width and its pixel.
    EXPECT_GE(right, static_cast<int>((100 + size.width - 8) * scale));
}
