// VideoSettingsEndToEndTest -- the shipped game's display settings typed on its console in an offscreen window: the anisotropy set on the textures already loaded, the ground laid again at a new detail, the antialiasing samples told to wait for the next start, shadows simple and complex, Alt+Enter's full restart, and the title's resolution box after a switch of size.
#include "app/OffscreenShots.h"

#include "core/CommandSystem.h"
#include "core/DebugSystem.h"
#include "core/UserVarSystem.h"
#include "core/system/GraphicsSystem.h"
#include "ui/UISystem.h"
#include "ui/widgets/UIDropDownBox.h"
#include "render/LightingSystem.h"
#include "render/MiniMap.h"
#include "render/RenderVarLimits.h"
#include "render/WorldMap.h"
#include "render/Renderer.h"
#include "rules/GameData.h"
#include "world/World.h"
#include "resources/GraphicsDevice.h"
#include "resources/ResourceManager.h"
#include "resources/textures/TextureResource.h"

#include <SDL.h>
#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <string>

namespace {

class VideoSettingsEndToEnd : public OffscreenShotGame {
protected:
    void SetUp() override
    {
        if (!std::getenv("EMBERLODE_GAME_DIR"))
            GTEST_SKIP() << "EMBERLODE_GAME_DIR not set";
        StartShippedGame();
    }
    void TearDown() override { KeepFailedFrame("VideoSettingsEndToEnd"); }

    // The largest anisotropy the loaded textures carry, and how many "tga" ones there are.
    static std::array<float, 2> TextureAnisotropy()
    {
        float largest = 0.0f;
        float count = 0.0f;
        gGraphicsDevice->AcquireContext();
        for (int32_t row = 0; row < gResourceManager->GetResourceCount(); ++row) {
            if (!gResourceManager->IsLoaded(row) || !gResourceManager->IsOfExtension(row, "tga"))
                continue;
            auto* texture = dynamic_cast<TextureResource*>(gResourceManager->Get(row));
            if (!texture || texture->GetTextureId() < 0)
                continue;
            glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(texture->GetTextureId()));
            float value = 0.0f;
            glGetTexParameterfv(GL_TEXTURE_2D, GL_TEXTURE_MAX_ANISOTROPY_EXT, &value);
            largest = std::max(largest, value);
            count += 1.0f;
        }
        glBindTexture(GL_TEXTURE_2D, 0);
        gGraphicsDevice->ReleaseContext();
        return {largest, count};
    }

    // Tiles within 12 of the player's that show the meadow's second or third grass.
    static int32_t GrassVariantsRoundThePlayer()
    {
        WorldPos player = Local()->GetPosition();
        float tile = gGameData->GetTuning().tileSize;
        int32_t px = static_cast<int32_t>(player.x / tile);
        int32_t py = static_cast<int32_t>(player.y / tile);
        int32_t count = 0;
        for (int32_t y = py - 12; y <= py + 12; ++y) {
            for (int32_t x = px - 12; x <= px + 12; ++x) {
                std::string name = gResourceManager->GetName(gWorld->GetTile(player.level, x, y).GetValue());
                count += name.find("floor_grass_02") != std::string::npos || name.find("floor_grass_03") != std::string::npos;
            }
        }
        return count;
    }

    // Pixels of the box that differ by more than the tolerance between two pictures.
    static int Differing(const TargaImage& a, const TargaImage& b, int x0, int y0, int x1, int y1)
    {
        return ChangedPixels(a, b, x0, y0, x1, y1, 24);
    }
};

} // namespace

TEST_F(VideoSettingsEndToEnd, TheAnisotropyTypedOnTheConsoleReachesEveryLoadedTexture)
{
    ASSERT_TRUE(gGraphicsDevice->SupportsAnisotropy()) << "the offscreen driver offers the extension";
    float maximum = gGraphicsDevice->GetMaxAnisotropy();
    ASSERT_GT(maximum, 2.0f);
    std::array<float, 2> before = TextureAnisotropy();
    ASSERT_GT(before[1], 5.0f) << "the title screen's pictures are loaded";
    EXPECT_EQ(before[0], 1.0f);

    TypeOnConsole("setUserVar r_anisotropic 1");
    TypeOnConsole("setUserVar r_anisotropicValue 0.5");
    Frame();
    std::array<float, 2> half = TextureAnisotropy();
    EXPECT_FLOAT_EQ(half[0], 1.0f + 0.5f * (maximum - 1.0f));
    TypeOnConsole("setUserVar r_anisotropicValue 2");
    Frame();
    EXPECT_FLOAT_EQ(TextureAnisotropy()[0], maximum);

    // Off puts every texture back to 1.
    TypeOnConsole("setUserVar r_anisotropic 0");
    Frame();
    EXPECT_EQ(TextureAnisotropy()[0], 1.0f);
}

TEST_F(VideoSettingsEndToEnd, ALowerGroundDetailLaysTheMeadowAgainAndHighBringsItBack)
{
    EnterTheWorld();
    ASSERT_TRUE(Shown("InGame"));
    TargaImage high = Screenshot();
    int32_t variants = GrassVariantsRoundThePlayer();
    ASSERT_GT(variants, 0) << "the meadow round the start shows its grass variants";

    TypeOnConsole("setUserVar r_groundDetail 0");
    Frames(2);
    TargaImage low = Screenshot();
    EXPECT_EQ(GrassVariantsRoundThePlayer(), 0);
    // The ground left of the player (the town's people walk there too, but cover far less).
    EXPECT_GT(Differing(high, low, 40, 200, 200, 380), 300) << "the grass variants show as the first grass";

    TypeOnConsole("setUserVar r_groundDetail 2");
    Frames(2);
    TargaImage again = Screenshot();
    EXPECT_EQ(GrassVariantsRoundThePlayer(), variants);
    EXPECT_GT(Differing(low, again, 40, 200, 200, 380), 300) << "the variants are back";
}

TEST_F(VideoSettingsEndToEnd, ChangedAntialiasingSamplesAreToldToWaitForTheNextStartOnce)
{
    int before = 0;
    for (const std::string& line : gDebugSystem->GetConsoleLines())
        before += line.find("takes effect at the next start") != std::string::npos;
    TypeOnConsole("setUserVar r_antiAliasingSamples 4");
    Frames(3);
    int after = 0;
    for (const std::string& line : gDebugSystem->GetConsoleLines())
        after += line.find("Antialiasing with 4 samples takes effect at the next start") != std::string::npos;
    EXPECT_EQ(before, 0);
    EXPECT_EQ(after, 1);
}

// The two settings that used to end the game, typed as a player would: the bloom's texture side
// and the light count far past what the driver or the memory give. The game goes on drawing,
// with each held to its range and a warning naming it and the value used.
TEST_F(VideoSettingsEndToEnd, HostileBloomAndLightSettingsTypedOnTheConsoleAreHeldAndTheWorldGoesOn)
{
    EnterTheWorld();
    ASSERT_TRUE(Shown("InGame"));
    TypeOnConsole("setUserVar r_bloom 1");
    TypeOnConsole("setUserVar r_bloomTextureSize 2147483647");
    TypeOnConsole("setUserVar r_maxLights 2000000000");
    Frames(3);
    int32_t side = gRenderer->GetOverlays().GetBloomTextureSide();
    EXPECT_LE(side, RenderVarLimits::kMaxBloomSide);
    EXPECT_GT(side, 1);
    EXPECT_EQ(gUserVarSystem->GetStringByName("r_bloomTextureSize"), std::to_string(side));
    EXPECT_EQ(gLightingSystem->GetMaxLights(), LightingSystem::kMaxLightsCap);
    int warnings = 0;
    for (const std::string& line : gDebugSystem->GetConsoleLines())
        warnings += line.find("r_bloomTextureSize is held to 1 .. ") != std::string::npos ||
                    line.find("r_maxLights is held to 0 .. 64: using 64") != std::string::npos;
    EXPECT_EQ(warnings, 2);
    // Every other kind of hostile value, through the command line the console runs.
    for (const char* value : {"-2147483648", "-1", "1e30"}) {
        ASSERT_TRUE(gCommandSystem->Execute(std::string("setUserVar r_bloomTextureSize ") + value));
        ASSERT_TRUE(gCommandSystem->Execute(std::string("setUserVar r_maxLights ") + value));
        Frames(2);
        EXPECT_GE(gRenderer->GetOverlays().GetBloomTextureSide(), 1) << value;
        EXPECT_LE(gLightingSystem->GetMaxLights(), LightingSystem::kMaxLightsCap) << value;
    }
    EXPECT_TRUE(Shown("InGame"));
}

// "r_shadows" takes effect at the next frame: the blob under the player goes and comes back
// without a restart.
TEST_F(VideoSettingsEndToEnd, ShadowsTurnOffAndOnAgainWithoutARestart)
{
    EnterTheWorld();
    ClearTheStage();
    Frames(2);
    TargaImage shadowed = Screenshot();
    Vector2 feet = Client::WorldToScreen(Local()->GetPosition(), true);
    int fx = static_cast<int>(feet.x);
    int fy = static_cast<int>(feet.y);
    TypeOnConsole("setUserVar r_shadows 0");
    Frames(1);
    TargaImage bare = Screenshot();
    EXPECT_GT(Differing(shadowed, bare, fx - 24, fy - 8, fx + 24, fy + 14), 20) << "the shadow round the feet went";
    TypeOnConsole("setUserVar r_shadows 1");
    Frames(1);
    EXPECT_EQ(Differing(shadowed, Screenshot(), fx - 24, fy - 8, fx + 24, fy + 14), 0) << "and came back";
}

// "r_shadows" 2 flattens the player's model onto the ground, cast from above its back left: a
// shade reaching out to the right of the feet, where the stock shadow of 1 never reaches, none
// towards the light, and one shade where the model's faces overlap.
TEST_F(VideoSettingsEndToEnd, ComplexShadowsLayTheModelOnTheGroundAwayFromItsLight)
{
    EnterTheWorld();
    ClearTheStage();
    // On open grass, clear of the stones, the trees and the gates and of their shadows.
    WorldPos open = HostPlayer()->position;
    open.x -= gGameData->GetTuning().tileSize;
    open.y -= 3.0f * gGameData->GetTuning().tileSize;
    HostPlayer()->Warp(open);
    Frames(40);
    Vector2 feet = Client::WorldToScreen(Local()->GetPosition(), true);
    int fx = static_cast<int>(feet.x);
    int fy = static_cast<int>(feet.y);
    std::array<TargaImage, 3> shot;
    for (int mode = 0; mode < 3; ++mode) {
        TypeOnConsole("setUserVar r_shadows " + std::to_string(mode));
        Frames(2);
        shot[static_cast<size_t>(mode)] = Screenshot();
    }
    // Pixels of the box darker than in the picture without shadows, by more than the tolerance.
    auto darkened = [&](const TargaImage& image, int x0, int y0, int x1, int y1) {
        int count = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) {
                std::array<int, 3> p = PixelAt(image, x, y);
                std::array<int, 3> q = PixelAt(shot[0], x, y);
                count += (q[0] + q[1] + q[2]) - (p[0] + p[1] + p[2]) > 30 ? 1 : 0;
            }
        return count;
    };
    struct Box {
        const char* where;
        int x0, y0, x1, y1;
        int simple;   // at most, "r_shadows" 1
        int complex;  // at least, "r_shadows" 2
    };
    const Box boxes[] = {
        {"right of the feet", fx + 30, fy - 12, fx + 80, fy + 12, 5, 150},
        {"left of the feet, towards the light", fx - 80, fy - 12, fx - 30, fy + 12, 5, -1},
    };
    for (const Box& box : boxes) {
        EXPECT_LE(darkened(shot[1], box.x0, box.y0, box.x1, box.y1), box.simple) << box.where;
        int complex = darkened(shot[2], box.x0, box.y0, box.x1, box.y1);
        if (box.complex >= 0)
            EXPECT_GE(complex, box.complex) << box.where;
        else
            EXPECT_LE(complex, 5) << box.where;
    }
    // One shade: the front and the back of the model both fall on the ground, and a pixel
    // darkened by both would keep 0.55 x 0.55 of its light, not 0.55.
    int darkest = 100;
    for (int y = fy - 12; y < fy + 12; ++y)
        for (int x = fx + 30; x < fx + 80; ++x) {
            std::array<int, 3> p = PixelAt(shot[2], x, y);
            std::array<int, 3> q = PixelAt(shot[0], x, y);
            int before = q[0] + q[1] + q[2];
            int after = p[0] + p[1] + p[2];
            if (before - after > 30)
                darkest = std::min(darkest, after * 100 / before);
        }
    EXPECT_GE(darkest, 45) << "the darkest shaded pixel keeps " << darkest << "% of the ground's light";
}

// Alt+Enter as the keyboard sends it: full screen at the display's mode through the full restart,
// so the bloom's copy of the screen is made again at the new size and the mini-map is redrawn
// whole; the loaded textures stay, the world and the world map go on drawing; Alt+Enter again
// gives the window back.
TEST_F(VideoSettingsEndToEnd, AltEnterGoesFullScreenThroughTheFullRestartKeepingTexturesAndMaps)
{
    EnterTheWorld();
    TypeOnConsole("setUserVar r_bloom 1");
    Frames(4);
    std::array<float, 2> before = TextureAnisotropy();
    ASSERT_EQ(gRenderer->GetOverlays().GetScreenTextureSize(), (std::array<int32_t, 2>{1024, 512}));
    int64_t redrawn = gMiniMap->GetCellsRedrawn();
    Frames(2);
    ASSERT_EQ(gMiniMap->GetCellsRedrawn(), redrawn) << "a still player's mini-map redraws nothing";

    auto altEnter = [] {
        SDL_Event event{};
        event.type = SDL_KEYDOWN;
        event.key.state = SDL_PRESSED;
        event.key.keysym.scancode = SDL_SCANCODE_RETURN;
        event.key.keysym.sym = SDLK_RETURN;
        event.key.keysym.mod = KMOD_LALT;
        ASSERT_EQ(SDL_PushEvent(&event), 1);
    };
    altEnter();
    Frames(2);
    EXPECT_EQ(gUserVarSystem->GetStringByName("r_fullscreen"), "1");
    ASSERT_TRUE(gGraphicsSystem->IsFullScreen());
    int32_t width = gGraphicsSystem->GetViewWidth();
    int32_t height = gGraphicsSystem->GetViewHeight();
    ASSERT_GT(width, 640);
    auto power = [](int32_t side) {
        int32_t p = 1;
        while (p < side)
            p *= 2;
        return p;
    };
    EXPECT_EQ(gRenderer->GetOverlays().GetScreenTextureSize(), (std::array<int32_t, 2>{power(width), power(height)}));
    int32_t across = gMiniMap->GetCellsAcross();
    EXPECT_GE(gMiniMap->GetCellsRedrawn() - redrawn, int64_t{across} * across) << "the mini-map redrawn whole";
    EXPECT_GE(TextureAnisotropy()[1], before[1]) << "the textures outlived the restart";
    // The offscreen driver keeps the drawing surface it opened (640 x 480, the bottom left of
    // the new screen), so the pictures are read only in a box under the middle, where the
    // player stands in the world and on the world map.
    auto lit = [&](const TargaImage& image) {
        return CountPixels(image, width / 2 - 100, height / 2, width / 2 + 100, height / 2 + 100,
                           [](const auto& p) { return p[0] + p[1] + p[2] > 24; });
    };
    EXPECT_GT(lit(Screenshot()), 200 * 100 * 3 / 4) << "the ground under the player";
    // The world map's explored picture was made again: the ground round the player shows on it.
    TypeOnConsole("setUserVar drawWorldMap 1");
    Frames(2);
    EXPECT_GT(lit(Screenshot()), 200 * 100 / 2) << "the world map's ground round the player";
    TypeOnConsole("setUserVar drawWorldMap 0");

    altEnter();
    Frames(2);
    EXPECT_EQ(gUserVarSystem->GetStringByName("r_fullscreen"), "0");
    EXPECT_FALSE(gGraphicsSystem->IsFullScreen());
    EXPECT_TRUE(Shown("InGame"));
}

// "vidRestart" typed after a window size no display has: the size is held to the display's (with
// the warning naming it), the window keeps its context (the loaded textures stay), and the world
// goes on drawing.
TEST_F(VideoSettingsEndToEnd, VidRestartAtASizeNoDisplayHasKeepsTheWindowAndItsTextures)
{
    EnterTheWorld();
    std::array<float, 2> before = TextureAnisotropy();
    TypeOnConsole("setUserVar r_width 2147483647");
    TypeOnConsole("vidRestart");
    Frames(2);
    EXPECT_EQ(gUserVarSystem->GetStringByName("r_width"), "800");
    int warnings = 0;
    for (const std::string& line : gDebugSystem->GetConsoleLines())
        warnings += line.find("Can't open a window of 2147483647x") != std::string::npos;
    EXPECT_EQ(warnings, 1);
    // The loader may finish one more picture during the frames after the restart: none is lost.
    EXPECT_GE(TextureAnisotropy()[1], before[1]) << "the textures outlived the restart";
    EXPECT_TRUE(Shown("InGame"));
    TargaImage after = Screenshot();
    EXPECT_GT(after.GetWidth(), 0);
}

// Five display restarts, the world map shown after each, leave as many live textures as there
// were: each explored level's map texture is made again in place of the old, not beside it.
TEST_F(VideoSettingsEndToEnd, FiveDisplayRestartsLeaveNoMapTextureBehind)
{
    EnterTheWorld();
    auto showTheMap = [this] {
        TypeOnConsole("setUserVar drawWorldMap 1");
        Frames(2);
        TypeOnConsole("setUserVar drawWorldMap 0");
        Frames(2);
        SettleLoads();
    };
    showTheMap();
    int32_t explored = 0;
    for (int32_t level = 0; level < gWorldMap->GetLevelRecordCount(); ++level)
        explored += gWorldMap->FindLevel(level) && gWorldMap->FindLevel(level)->texture >= 0 ? 1 : 0;
    ASSERT_GE(explored, 1) << "the map has a texture for the level walked";
    int32_t live = gGraphicsDevice->GetLiveTextureCount();
    for (int restart = 1; restart <= 5; ++restart) {
        TypeOnConsole("vidRestart");
        showTheMap();
        EXPECT_EQ(gGraphicsDevice->GetLiveTextureCount(), live) << "after restart " << restart;
    }
    EXPECT_TRUE(Shown("InGame"));
}

namespace {

// The game in a window of 1024 x 768, as a switch of size leaves it.
class VideoSettingsAfterASwitch : public OffscreenShotGame {
protected:
    void SetUp() override
    {
        if (!std::getenv("EMBERLODE_GAME_DIR"))
            GTEST_SKIP() << "EMBERLODE_GAME_DIR not set";
        StartShippedGameAt(1024, 768);
    }
    void TearDown() override { KeepFailedFrame("VideoSettingsAfterASwitch"); }
};

} // namespace

// The title's Options, opened by its key: the resolution box names the size the window has, and
// its list offers that size once, first, then the other sizes a window can take.
TEST_F(VideoSettingsAfterASwitch, TheResolutionBoxNamesTheWindowsSizeAndListsItOnce)
{
    // What the restart that took the chosen mode leaves in "r_mode".
    gUserVarSystem->SetStringByName("r_mode", "-1");
    Tap(SDL_SCANCODE_O);
    Frames(2);
    ASSERT_TRUE(Shown("Options"));
    auto* box = dynamic_cast<UIDropDownBox*>(gUISystem->FindWidgetByPath("Options::Resolution"));
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->GetShownText(), "1024x768");
    ASSERT_FALSE(box->choices.empty());
    EXPECT_EQ(box->choices.front().name, "1024x768");
    for (size_t i = 1; i < box->choices.size(); ++i)
        EXPECT_NE(box->choices[i].name, "1024x768") << "the window's size offered again as choice " << i;
    // The offscreen display, like a virtual X server, lists no size of its own but its desktop.
    EXPECT_TRUE(std::any_of(box->choices.begin(), box->choices.end(),
                            [](const ListEntry& row) { return row.name == "800x600"; }))
        << "a window can go back to 800x600";
    TargaImage shot = Screenshot();
    int sx = shot.GetWidth();
    int sy = shot.GetHeight();
    auto scaled = [&](float v, int side, float unit) { return static_cast<int>(v * static_cast<float>(side) / unit); };
    EXPECT_GT(BrightPixels(shot, scaled(box->GetScreenPosition().x, sx, 640.0f), scaled(box->GetScreenPosition().y, sy, 480.0f),
                           scaled(box->GetScreenPosition().x + box->size[0], sx, 640.0f),
                           scaled(box->GetScreenPosition().y + box->size[1], sy, 480.0f), 150),
              20)
        << "the box is blank";
}
