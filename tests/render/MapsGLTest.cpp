// MapsGLTest -- the maps drawn into a real offscreen window and read back: an explored corridor on the mini-map where it lies, black round it, nothing outside its frame; the same corridor on the world map; both after "vidRestart"; the legend's swatches; nothing uploaded while the camera stands still.
#include "render/MapWorld.h"

#include "core/ColorSystem.h"
#include "core/MessageBuffer.h"
#include "platform/SdlGraphicsSystem.h"
#include "render/ImmediateDraw.h"
#include "render/OpenGLDevice.h"
#include "render/WorldView.h"

#include <GL/gl.h>

#include <cstdlib>

namespace {

using Pixel = std::array<int, 3>;

// A 640 x 480 window, so that interface units are pixels. The corridor runs along tile rows
// 45 to 47 from x 35 to 55 of level 0; the player stands in it at tile (45, 46), far enough into
// the level for the world map to centre on him.
class MapsGL : public MapWorld {
protected:
    MapsGL()
    {
        setenv("SDL_VIDEODRIVER", "offscreen", 1);
        gColorSystem = &colors;
        Build(64.0f, 64, 2, 2);
        display = std::make_unique<SdlGraphicsSystem>();
        device = std::make_unique<OpenGLDevice>(*display);
        display->RegisterDisplayVars();
        device->RegisterVars();
        vars.SetStringByName("r_width", "640");
        vars.SetStringByName("r_height", "480");
        display->ChooseStartMode();
        display->SetupDisplay();
        device->StartDisplay();
        immediate = std::make_unique<ImmediateDraw>(device->GetApi(), device->GetStateCache());
        view = std::make_unique<WorldView>(*device);
        view->RegisterVars();
        view->SetViewSize(640, 480);
        MapGraphics graphics{device.get(), &device->GetApi(), &device->GetStateCache(), immediate.get(), view.get(),
                             {}, {}, {}};
        worldMap->SetGraphics(graphics);
        miniMap->SetGraphics(graphics);
        ground.assign(4 * 4 * 4, 0);
        for (size_t i = 0; i < ground.size(); i += 4)
            ground[i] = ground[i + 3] = 255;
        miniMap->SetCellImageLookup([this](int32_t, int32_t, int32_t, int32_t) { return ground.data(); });
        miniMap->Setup();
        vars.SetStringByName("miniMapAlpha", "1");
        panel.rect = {100.0f, 100.0f, 128.0f, 128.0f};
        StandAt(0, 45.5f * 64.0f, 46.5f * 64.0f);
        worldMap->UpdateExploration();
        ExploreCorridorInRed();
    }
    ~MapsGL() override
    {
        miniMap.reset();
        worldMap.reset();
        view.reset();
        immediate.reset();
        device.reset();
        display.reset();
        gColorSystem = nullptr;
    }

    // Through the file: the corridor's tiles fully seen in red, everything else unseen.
    void ExploreCorridorInRed()
    {
        worldMap->ClearCurrentLevel();
        MessageBuffer buffer;
        worldMap->WriteExplored(buffer);
        std::vector<uint8_t> bytes(buffer.Data(), buffer.Data() + buffer.Size());
        size_t image = 12 + 8;
        for (int32_t y = 45; y <= 47; ++y) {
            for (int32_t x = 35; x <= 55; ++x) {
                uint8_t* pixel = &bytes[image + static_cast<size_t>((y * 64 + x) * 4)];
                pixel[0] = 255;
                pixel[3] = 255;
            }
        }
        MessageBuffer edited;
        edited.WriteBytes(bytes.data(), bytes.size());
        worldMap->ReadExplored(edited, "corridor");
        miniMap->Invalidate();
    }

    void DrawFrame(bool worldMapOpen)
    {
        device->AcquireContext();
        device->Clear(kClearColorBuffer | kClearDepthBuffer | kClearStencilBuffer, Color{0.25f, 0.25f, 0.25f}, 1.0f);
        if (worldMapOpen)
            worldMap->Draw();
        else
            miniMap->Draw();
        glFinish();
        device->ReleaseContext();
    }

    // (x, y) from the window's top left.
    Pixel At(int x, int y)
    {
        device->AcquireContext();
        uint8_t rgba[4] = {};
        glReadPixels(x, 479 - y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
        device->ReleaseContext();
        return {rgba[0], rgba[1], rgba[2]};
    }

    static bool IsRed(const Pixel& p) { return p[0] > 200 && p[1] < 40 && p[2] < 40; }

    // The red pixels of the frame: how many, and the middle of their bounding box.
    std::array<int, 3> RedArea()
    {
        device->AcquireContext();
        std::vector<uint8_t> rgba(640 * 480 * 4);
        glReadPixels(0, 0, 640, 480, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
        device->ReleaseContext();
        int count = 0;
        int left = 640;
        int right = -1;
        int top = 480;
        int bottom = -1;
        for (int y = 0; y < 480; ++y) {
            for (int x = 0; x < 640; ++x) {
                const uint8_t* p = &rgba[static_cast<size_t>(((479 - y) * 640 + x) * 4)];
                if (!IsRed({p[0], p[1], p[2]}))
                    continue;
                ++count;
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
        return {count, (left + right) / 2, (top + bottom) / 2};
    }

    // The mini-map's cells are 4 pixels; the window starts 17 cells left of and above the player.
    static int CellX(int tile) { return 100 + (tile - 28) * 4 + 2; }
    static int CellY(int tile) { return 100 + (tile - 29) * 4 + 2; }

    ColorSystem colors;
    std::unique_ptr<SdlGraphicsSystem> display;
    std::unique_ptr<OpenGLDevice> device;
    std::unique_ptr<ImmediateDraw> immediate;
    std::unique_ptr<WorldView> view;
    std::vector<uint8_t> ground;
};

} // namespace

TEST_F(MapsGL, TheMiniMapShowsTheCorridorWhereItLiesBlackRoundItAndNothingOutsideItsFrame)
{
    for (int pass = 0; pass < 2; ++pass) {
        DrawFrame(false);
        EXPECT_TRUE(IsRed(At(CellX(45), CellY(46)))) << pass;
        EXPECT_TRUE(IsRed(At(CellX(37), CellY(45)))) << pass;
        EXPECT_EQ(At(CellX(45), CellY(51)), (Pixel{0, 0, 0})) << pass;
        EXPECT_EQ(At(CellX(57), CellY(46)), (Pixel{0, 0, 0})) << pass;
        EXPECT_EQ(At(95, 170), (Pixel{64, 64, 64})) << pass;
        EXPECT_EQ(At(170, 232), (Pixel{64, 64, 64})) << pass;
        // The display restarts on the same context: the map's texture is still there.
        display->RestartDisplay();
    }
}

TEST_F(MapsGL, TheWorldMapShowsTheSameCorridorRoundThePlayerAndKeepsItAfterARestart)
{
    vars.SetStringByName("drawWorldMap", "1");
    DrawFrame(true);
    std::array<int, 3> area = RedArea();
    EXPECT_GT(area[0], 40);
    // The player stands in the corridor, and the camera looks at the player.
    EXPECT_NEAR(area[1], 320, 40);
    EXPECT_NEAR(area[2], 240, 40);

    display->RestartDisplay();
    DrawFrame(true);
    EXPECT_EQ(RedArea(), area);
}

// Three covenants, the middle one fallen: the legend's rows stand 14 units apart above its bottom
// at 320, one 10-unit swatch each in the covenant's colour; the fallen one's row stays empty.
TEST_F(MapsGL, TheLegendShowsASwatchInEachStandingCovenantsColourOnItsOwnRow)
{
    source.covenants = {{0, "Ash", {0.0f, 0.0f, 1.0f}, false},
                        {1, "Brine", {0.0f, 1.0f, 0.0f}, true},
                        {2, "Cinder", {1.0f, 1.0f, 0.0f}, false}};
    vars.SetStringByName("drawWorldMap", "1");
    DrawFrame(true);
    EXPECT_EQ(At(29, 320 - 3 * 14 + 5), (Pixel{0, 0, 255}));
    EXPECT_EQ(At(29, 320 - 1 * 14 + 5), (Pixel{255, 255, 0}));
    EXPECT_EQ(At(29, 320 - 2 * 14 + 5), (Pixel{0, 0, 0}));
    // Beside the swatch (no text drawer here) and past its lower edge, nothing.
    EXPECT_EQ(At(36, 320 - 3 * 14 + 5), (Pixel{0, 0, 0}));
    EXPECT_EQ(At(29, 320 - 3 * 14 + 11), (Pixel{0, 0, 0}));

    // No covenants, no rows.
    source.covenants.clear();
    DrawFrame(true);
    EXPECT_EQ(At(29, 320 - 3 * 14 + 5), (Pixel{0, 0, 0}));
}

TEST_F(MapsGL, AStillCameraUploadsNothingAndAStepUploadsOnlyWhatChanged)
{
    vars.SetStringByName("drawWorldMap", "1");
    DrawFrame(true);
    DrawFrame(false);
    int64_t worldBytes = worldMap->GetUploadedBytes();
    int64_t miniBytes = miniMap->GetUploadedBytes();
    DrawFrame(true);
    DrawFrame(false);
    EXPECT_EQ(worldMap->GetUploadedBytes(), worldBytes);
    EXPECT_EQ(miniMap->GetUploadedBytes(), miniBytes);

    // A step out of the corridor explores new ground: both go up once.
    StandAt(0, 45.5f * 64.0f, 50.5f * 64.0f);
    worldMap->UpdateExploration();
    DrawFrame(true);
    DrawFrame(false);
    EXPECT_EQ(worldMap->GetUploadedBytes(), worldBytes + 64 * 64 * 4);
    EXPECT_EQ(miniMap->GetUploadedBytes(), miniBytes + 128 * 128 * 4);
}
