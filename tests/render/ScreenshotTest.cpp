// ScreenshotTest -- the rectangle read, the extensions by type, the Targa header and pixel order of a frame read from a real context, numbering per extension, a PNG read back with libpng, and every number taken.
#include "render/GLWorld.h"

#include "render/Screenshot.h"
#include "resources/textures/ImageWriter.h"

#include <png.h>

#include <cstdio>
#include <filesystem>

namespace {

TEST(ScreenshotRect, AWindowLosesTwoPixelsAndFullScreenKeepsToTheMode)
{
    PixelRect window = Screenshot::ChooseRect({0.0f, 0.0f, 800.0f, 600.0f}, false, 1024, 768);
    EXPECT_EQ(window.width, 798);
    EXPECT_EQ(window.height, 598);
    PixelRect full = Screenshot::ChooseRect({0.4f, 0.6f, 1280.0f, 1024.0f}, true, 1024, 768);
    EXPECT_EQ(full.x, 0);
    EXPECT_EQ(full.y, 1);
    EXPECT_EQ(full.width, 1024);
    EXPECT_EQ(full.height, 768);
}

TEST(ScreenshotRect, TheTypeChoosesTheExtension)
{
    EXPECT_STREQ(Screenshot::Extension(0), "jpg");
    EXPECT_STREQ(Screenshot::Extension(1), "png");
    EXPECT_STREQ(Screenshot::Extension(5), "tga");
    EXPECT_STREQ(Screenshot::Extension(-1), "tga");
}

TEST(ScreenshotRect, TheTargaHeaderOfAWindowedScreenshot)
{
    std::vector<uint8_t> pixels(798u * 598u * 3u, 0);
    std::vector<uint8_t> file = EncodeTga(798, 598, 3, pixels.data());
    const std::vector<uint8_t> header = {0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                                         0x00, 0x00, 0x00, 0x1E, 0x03, 0x56, 0x02, 0x18, 0x00};
    EXPECT_EQ(std::vector<uint8_t>(file.begin(), file.begin() + 18), header);
    EXPECT_EQ(file.size(), 18u + pixels.size());
}

class ScreenshotTest : public GLWorld {
protected:
    ScreenshotTest()
    {
        Open(64, 48);
        // Blue everywhere, red in the bottom-left 4 x 4 pixels.
        device->AcquireContext();
        device->Clear(kClearColorBuffer, Color{0.0f, 0.0f, 1.0f}, 1.0f);
        glEnable(GL_SCISSOR_TEST);
        glScissor(0, 0, 4, 4);
        device->Clear(kClearColorBuffer, Color{1.0f, 0.0f, 0.0f}, 1.0f);
        glDisable(GL_SCISSOR_TEST);
        device->ReleaseContext();
    }

    std::string Take(int32_t type)
    {
        return Screenshot::Take(*device, Screenshot::ChooseRect({0, 0, 64, 48}, false, 64, 48), type);
    }
};

TEST_F(ScreenshotTest, ATargaHoldsTheFrameBottomRowFirstInBlueGreenRed)
{
    EXPECT_EQ(Take(2), "Screenshots/ss0000.tga");
    std::string file = folder.Read("User/Screenshots/ss0000.tga");
    ASSERT_EQ(file.size(), 18u + 62u * 46u * 3u);
    EXPECT_EQ(file.substr(12, 6), std::string("\x3E\x00\x2E\x00\x18\x00", 6));
    // The first pixel is the bottom-left one: red, written blue, green, red.
    EXPECT_EQ(file.substr(18, 3), std::string("\x00\x00\xFF", 3));
    EXPECT_EQ(file.substr(18 + 4 * 3, 3), std::string("\xFF\x00\x00", 3));
    // The last row is the top one: blue.
    EXPECT_EQ(file.substr(file.size() - 3), std::string("\xFF\x00\x00", 3));
}

TEST_F(ScreenshotTest, NumbersAreCountedPerExtensionAndNothingIsOverwritten)
{
    folder.Write("User/Screenshots/ss0000.tga", "old");
    folder.Write("User/Screenshots/ss0001.tga", "old");
    EXPECT_EQ(Take(0), "Screenshots/ss0000.jpg");
    EXPECT_EQ(Take(0), "Screenshots/ss0001.jpg");
    EXPECT_EQ(Take(7), "Screenshots/ss0002.tga");
    EXPECT_EQ(folder.Read("User/Screenshots/ss0000.tga"), "old");
    // A JPEG begins with its start-of-image marker.
    EXPECT_EQ(folder.Read("User/Screenshots/ss0000.jpg").substr(0, 2), std::string("\xFF\xD8", 2));
}

TEST_F(ScreenshotTest, APngReadsBackWithTheFramesPixelsTopRowFirst)
{
    ASSERT_EQ(Take(1), "Screenshots/ss0000.png");
    std::string path = (folder.Path() / "User/Screenshots/ss0000.png").string();
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    ASSERT_NE(png_image_begin_read_from_file(&image, path.c_str()), 0);
    image.format = PNG_FORMAT_RGB;
    std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(image));
    ASSERT_NE(png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr), 0);
    EXPECT_EQ(image.width, 62u);
    EXPECT_EQ(image.height, 46u);
    // Top-left blue; the bottom-left corner red.
    EXPECT_EQ((std::vector<uint8_t>(pixels.begin(), pixels.begin() + 3)), (std::vector<uint8_t>{0, 0, 255}));
    size_t bottomLeft = 45u * 62u * 3u;
    EXPECT_EQ((std::vector<uint8_t>(pixels.begin() + bottomLeft, pixels.begin() + bottomLeft + 3)),
              (std::vector<uint8_t>{255, 0, 0}));
}

TEST_F(ScreenshotTest, WhenEveryNumberIsTakenNothingIsWrittenAndTheLogSaysSo)
{
    std::filesystem::create_directories(folder.Path() / "User/Screenshots");
    for (int i = 0; i < 10000; ++i) {
        char name[32];
        std::snprintf(name, sizeof(name), "ss%04d.png", i);
        std::FILE* file = std::fopen((folder.Path() / "User/Screenshots" / name).c_str(), "wb");
        ASSERT_NE(file, nullptr);
        std::fclose(file);
    }
    EXPECT_EQ(Take(1), "");
    EXPECT_EQ(std::filesystem::file_size(folder.Path() / "User/Screenshots/ss9999.png"), 0u);
    bool logged = false;
    for (const std::string& line : debug.GetConsoleLines())
        logged = logged || line.find("No free screenshot number") != std::string::npos;
    EXPECT_TRUE(logged);
}

} // namespace
