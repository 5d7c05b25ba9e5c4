// WorldViewOverlaysTest -- the bloom's texture sizes, passes and blur taps and the explored overlay's texels, texture matrix and blending, on a recording library; then the bloom's glow read back from a real offscreen frame.
#include "render/ModelDrawWorld.h"

#include "core/ColorSystem.h"
#include "core/Database.h"
#include "render/FakeFrameScene.h"
#include "render/GLStateCache.h"
#include "render/GLWorld.h"
#include "render/ImmediateDraw.h"
#include "render/OpenGLDevice.h"
#include "render/RecordingGL.h"
#include "render/WorldViewOverlays.h"
#include "rules/GameData.h"

#include <cmath>

namespace {

// The player sees 3 tiles round (64, 64)-unit tiles; tiles with x below 0 are explored.
class SightScene : public FakeFrameScene {
public:
    float GetVisibility(const WorldPos& at) const override
    {
        float dx = (at.x - target.x) / 64.0f;
        float dy = (at.y - target.y) / 64.0f;
        return dx * dx + dy * dy <= 9.0f ? 1.0f : seen;
    }
    bool IsRevealed() const override { return revealed; }
    float seen = 0.0f;
    bool revealed = false;
};

class WorldViewOverlays : public ModelDrawWorld {
protected:
    WorldViewOverlays()
    {
        gDatabase = &database;
        gGameData = &gameData;
        WriteAsset("Database/database.dbl", "rules.dbr\n");
        WriteAsset("Database/rules.dbr", "GameSystem\n{\n Type Info\n TileSize 64\n ShowLineOfSight 1\n}\n");
        database.Load();
        gameData.Load(database);
        for (auto [name, value] : {std::pair{"r_bloom", "1"}, {"r_bloomDarkenPasses", "1"}, {"r_bloomBlur", "2"},
                                   {"r_bloomBlurDistance", "1.0"}, {"r_bloomIntensity", "1.4"},
                                   {"r_bloomTextureSize", "256"}})
            vars.RegisterVar(name, value);
        overlays.FindVars();
        view->SetViewSize(800, 600);
        scene.target = WorldPos{0, 2048.0f, 2048.0f};
        overlays.SetScene(&scene);
    }
    ~WorldViewOverlays() override
    {
        gGameData = nullptr;
        gDatabase = nullptr;
    }

    // The overlay's texel at (column, row): its grey level.
    int Texel(int column, int row) const
    {
        return overlays.GetExploredTexels()[static_cast<size_t>((row * 64 + column) * 4)];
    }

    Database database;
    GameData gameData;
    RecordingGL gl;
    GLStateCache cache{gl};
    ImmediateDraw immediate{gl, cache};
    ::WorldViewOverlays overlays{device, gl, cache, immediate, *view};
    SightScene scene;
};

TEST_F(WorldViewOverlays, TheScreenTextureIsTheViewRoundedUpToPowersOfTwo)
{
    overlays.ApplyBloom(PixelRect{0, 0, 1024, 768});
    EXPECT_EQ(overlays.GetScreenTextureSize(), (std::array<int32_t, 2>{1024, 1024}));

    ::WorldViewOverlays other{device, gl, cache, immediate, *view};
    other.FindVars();
    other.ApplyBloom(PixelRect{0, 0, 800, 600});
    EXPECT_EQ(other.GetScreenTextureSize(), (std::array<int32_t, 2>{1024, 1024}));
    EXPECT_EQ(other.GetBloomTextureSide(), 256);
}

TEST_F(WorldViewOverlays, ABloomSizeOffPowersOfTwoIsRoundedUpAndWrittenBack)
{
    vars.SetStringByName("r_bloomTextureSize", "200");
    overlays.ApplyBloom(PixelRect{0, 0, 800, 600});
    EXPECT_EQ(overlays.GetBloomTextureSide(), 256);
    EXPECT_EQ(vars.GetStringByName("r_bloomTextureSize"), "256");
    EXPECT_EQ(gl.Count("Viewport 0 0 256 256"), 1u);

    // A changed size makes the bloom texture again, the old one given back.
    size_t deletions = device.GetDeletions().size();
    vars.SetStringByName("r_bloomTextureSize", "64");
    overlays.ApplyBloom(PixelRect{0, 0, 800, 600});
    EXPECT_EQ(overlays.GetBloomTextureSide(), 64);
    EXPECT_EQ(device.GetDeletions().size(), deletions + 1);
}

TEST_F(WorldViewOverlays, BlurTapsOfNoWeightAreSkipped)
{
    EXPECT_FLOAT_EQ(::WorldViewOverlays::BloomTapWeight(2, 2, 1.4f), 0.0f);
    EXPECT_FLOAT_EQ(::WorldViewOverlays::BloomTapWeight(0, 2, 1.4f), 1.4f / 5.0f);
    EXPECT_FLOAT_EQ(::WorldViewOverlays::BloomTapWeight(-1, 2, 1.4f), 0.75f * 1.4f / 5.0f);

    overlays.ApplyBloom(PixelRect{0, 0, 800, 600});
    // The shrunk frame, one darkening, three taps a pass, then the frame and the glow.
    EXPECT_EQ(gl.Named("DrawTriangles").size(), 1u + 1u + 3u + 3u + 2u);
    std::vector<std::string> copies = gl.Named("CopyTexSubImage2D");
    EXPECT_EQ(copies, (std::vector<std::string>{"CopyTexSubImage2D 0 0 800 600", "CopyTexSubImage2D 0 0 256 256",
                                                "CopyTexSubImage2D 0 0 256 256", "CopyTexSubImage2D 0 0 256 256"}));
    // The view comes back after the bloom square.
    EXPECT_EQ(gl.Named("Viewport").back(), "Viewport 0 0 800 600");
    // The glow is added over the frame.
    EXPECT_EQ(gl.Named("BlendFunc").back(), RecordingGL::Line("BlendFunc", GL_ONE, GL_ONE));
}

TEST_F(WorldViewOverlays, OffOrNoBlurOrHugeSettingsStayBounded)
{
    vars.SetStringByName("r_bloom", "0");
    overlays.ApplyBloom(PixelRect{0, 0, 800, 600});
    EXPECT_TRUE(gl.calls.empty());

    vars.SetStringByName("r_bloom", "1");
    vars.SetStringByName("r_bloomBlur", "0");
    overlays.ApplyBloom(PixelRect{0, 0, 800, 600});
    EXPECT_EQ(gl.Named("CopyTexSubImage2D").size(), 2u);

    gl.Clear();
    vars.SetStringByName("r_bloomBlur", "2000000000");
    vars.SetStringByName("r_bloomDarkenPasses", "2000000000");
    overlays.ApplyBloom(PixelRect{0, 0, 800, 600});
    EXPECT_LE(gl.Named("DrawTriangles").size(), 200u);
}

TEST_F(WorldViewOverlays, TheMiddleTexelIsThePlayersOwnTileAndExploredGroundShowsAtHalf)
{
    overlays.SetExploredAmountHook([](int32_t level, int32_t tileX, int32_t) {
        return level == 0 && tileX < 10 ? 0.75f : 0.74f;
    });
    overlays.DrawExploredOverlay(1.0f);
    ASSERT_EQ(overlays.GetExploredTexels().size(), 64u * 64u * 4u);
    EXPECT_EQ(Texel(32, 32), 255);
    EXPECT_EQ(Texel(35, 32), 255);
    EXPECT_EQ(Texel(36, 32), 0);
    // Column 5 samples x = 2048 - 27 x 64 = 320: tile 5, explored; column 60 tile 60, not.
    EXPECT_EQ(Texel(5, 60), 127);
    EXPECT_EQ(Texel(60, 5), 0);
    // The texels reach the library.
    std::vector<RecordedUpdate> updates = device.GetUpdates();
    ASSERT_FALSE(updates.empty());
    EXPECT_EQ(updates.back().pixels[(32 * 64 + 32) * 4], 255);
    // Multiplied over the world.
    EXPECT_EQ(gl.Count(RecordingGL::Line("BlendFunc", GL_DST_COLOR, GL_ZERO)), 1u);
}

TEST_F(WorldViewOverlays, TheTextureMatrixCentresTexel32OnThePlayerAndIsIdentityAfter)
{
    overlays.DrawExploredOverlay(1.0f);
    std::vector<std::string> loads = gl.Named("LoadTextureMatrix");
    ASSERT_EQ(loads.size(), 2u);
    // The quad starts on tile 0 (the player's tile 32 less 32); texel 0 is centred on
    // x = 2048 - 32 x 64 = 0, so its edge lies half a tile before the quad: a slide of 32 / 4096.
    EXPECT_EQ(loads[0], RecordingGL::Line("LoadTextureMatrix", 1.0f, 1.0f, 1.0f, 1.0f, 32.0f / 4096.0f,
                                          32.0f / 4096.0f));
    EXPECT_EQ(loads[1], RecordingGL::Line("LoadTextureMatrix", 1.0f, 1.0f, 1.0f, 1.0f, 0.0f, 0.0f));
}

TEST_F(WorldViewOverlays, NothingIsDrawnOverARevealedMap)
{
    scene.revealed = true;
    overlays.DrawExploredOverlay(1.0f);
    EXPECT_TRUE(gl.calls.empty());
    EXPECT_TRUE(overlays.GetExploredTexels().empty());
}

// ---- On a real library -------------------------------------------------------------------------

class WorldViewBloomPixels : public GLWorld {};

TEST_F(WorldViewBloomPixels, ABrightSquareGlowsIntoTheDarkAroundIt)
{
    Open(64, 64);
    vars.RegisterVar("r_bloom", "1");
    vars.RegisterVar("r_bloomDarkenPasses", "1");
    vars.RegisterVar("r_bloomBlur", "4");
    vars.RegisterVar("r_bloomBlurDistance", "2.0");
    vars.RegisterVar("r_bloomIntensity", "1.4");
    vars.RegisterVar("r_bloomTextureSize", "64");
    WorldView view(*device);
    ImmediateDraw immediate(device->GetApi(), device->GetStateCache());
    ::WorldViewOverlays overlays(*device, device->GetApi(), device->GetStateCache(), immediate, view);
    overlays.FindVars();
    device->AcquireContext();

    auto drawSquare = [&] {
        device->GetStateCache().Reset();
        glViewport(0, 0, 64, 64);
        glDisable(GL_SCISSOR_TEST);
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        glScissor(28, 28, 8, 8);
        glEnable(GL_SCISSOR_TEST);
        glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        glDisable(GL_SCISSOR_TEST);
    };
    auto pixel = [](int x, int y) {
        uint8_t rgba[4] = {};
        glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
        return static_cast<int>(rgba[0]);
    };

    drawSquare();
    EXPECT_EQ(pixel(25, 32), 0);
    overlays.ApplyBloom(PixelRect{0, 0, 64, 64});
    // Three pixels beside the square the glow shows; the square stays white; far off stays dark.
    EXPECT_GT(pixel(25, 32), 20);
    EXPECT_GE(pixel(32, 32), 250);
    EXPECT_LT(pixel(4, 4), 8);
    device->ReleaseContext();
}

TEST_F(WorldViewBloomPixels, TheExploredOverlayDarkensWhatThePlayerCannotSee)
{
    folder.Write("Assets/Database/database.dbl", "rules.dbr\n");
    folder.Write("Assets/Database/rules.dbr", "GameSystem\n{\n Type Info\n TileSize 64\n ShowLineOfSight 1\n}\n");
    Database database;
    GameData gameData;
    ColorSystem colors;
    gColorSystem = &colors;
    gDatabase = &database;
    gGameData = &gameData;
    database.Load();
    gameData.Load(database);
    Open(64, 64);
    WorldView view(*device);
    view.RegisterVars();
    view.SetViewSize(64, 64);
    ImmediateDraw immediate(device->GetApi(), device->GetStateCache());
    ::WorldViewOverlays overlays(*device, device->GetApi(), device->GetStateCache(), immediate, view);
    overlays.FindVars();
    SightScene scene;
    scene.target = WorldPos{0, 2048.0f, 2048.0f};
    overlays.SetScene(&scene);
    device->AcquireContext();
    device->GetStateCache().Reset();
    glViewport(0, 0, 64, 64);
    glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    overlays.DrawExploredOverlay(1.0f);
    auto pixel = [](int x, int y) {
        uint8_t rgba[4] = {};
        glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
        return static_cast<int>(rgba[0]);
    };
    // The player's place in the middle stays lit; the corners, tiles away, go dark.
    EXPECT_GE(pixel(32, 32), 240);
    EXPECT_LT(pixel(1, 1), 16);
    EXPECT_LT(pixel(62, 62), 16);
    device->ReleaseContext();
    gGameData = nullptr;
    gDatabase = nullptr;
    gColorSystem = nullptr;
}

} // namespace
