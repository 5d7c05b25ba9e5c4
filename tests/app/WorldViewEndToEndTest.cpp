// WorldViewEndToEndTest -- the shipped game joined through "start both" in a 640 x 480 offscreen window: the screenshot key's picture, read before the swap, shows the level's ground; the scene's visibility is the player's sight; an entity with a sprite model stands upright at its place; the host's effects are seen whichever way they face.
#include "app/OffscreenShots.h"
#include "client/ClientApp.h"
#include "client/ClientSight.h"
#include "client/GameClient.h"
#include "client/EntityClient.h"
#include "client/PlayerClient.h"
#include "client/ScreenConversion.h"
#include "core/Database.h"
#include "core/EngineEnums.h"
#include "core/UserVarSystem.h"
#include "core/system/GraphicsSystem.h"
#include "entities/Entity.h"
#include "entities/GameServices.h"
#include "entities/Inventory.h"
#include "entities/Player.h"
#include "platform/SdlGraphicsSystem.h"
#include "render/LightingSystem.h"
#include "render/ModelRenderer.h"
#include "render/OpenGLDevice.h"
#include "render/Renderer.h"
#include "resources/ResourceManager.h"
#include "resources/models/AnimationResource.h"
#include "resources/models/ModelResource.h"
#include "render/TextEvents.h"
#include "resources/fonts/ScreenText.h"
#include "rules/GameData.h"
#include "rules/GameSystemTuning.h"
#include "server/WorldHost.h"
#include "world/LevelData.h"
#include "world/World.h"

#include <GL/gl.h>
#include <algorithm>
#include <gtest/gtest.h>

namespace {

// After each swap the back buffer is filled with magenta, as a driver may leave it undefined: a
// screenshot read after the swap shows the fill instead of the frame.
class WorldViewScrubbedDisplay : public SdlGraphicsSystem {
public:
    bool SwapBuffers() override
    {
        bool swapped = SdlGraphicsSystem::SwapBuffers();
        GLboolean mask[4] = {};
        glGetBooleanv(GL_COLOR_WRITEMASK, mask);
        GLfloat clear[4] = {};
        glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
        GLboolean scissor = glIsEnabled(GL_SCISSOR_TEST);
        glDisable(GL_SCISSOR_TEST);
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        glClearColor(1.0f, 0.0f, 1.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        glClearColor(clear[0], clear[1], clear[2], clear[3]);
        glColorMask(mask[0], mask[1], mask[2], mask[3]);
        if (scissor)
            glEnable(GL_SCISSOR_TEST);
        return swapped;
    }
};

class WorldViewEndToEnd : public OffscreenShotGame {
protected:
    WorldViewEndToEnd()
    {
        // The program's window and device, the window scrubbed after each swap.
        app.GetSystem(SystemSlot::Graphics).create = [] {
            auto* window = new WorldViewScrubbedDisplay();
            auto* device = new OpenGLDevice(*window);
            gGraphicsSystem = window;
            gGraphicsDevice = device;
            gRenderer = new Renderer(*window, *device);
            gLightingSystem = new LightingSystem();
            if (auto* platform = dynamic_cast<PosixPlatformSystem*>(gPlatformSystem))
                platform->SetMessagePump([window] { return window->PumpEvents(); });
            gScreenText = new ScreenText();
            gTextEvents = new TextEvents();
        };
    }

    void SetUp() override
    {
        if (!std::getenv("EMBERLODE_GAME_DIR"))
            GTEST_SKIP() << "EMBERLODE_GAME_DIR not set";
        StartShippedGame();
        ASSERT_NO_FATAL_FAILURE(StartBoth());
        // The new character settles and the camera comes to rest on it.
        Frames(6);
    }
    void TearDown() override { KeepFailedFrame("WorldViewEndToEnd"); }

    static EntityClient* Body()
    {
        PlayerClient* player = gClientApp->GetLocalPlayer();
        return player ? player->GetBody() : nullptr;
    }

    // Pixels of the box that are not near black.
    static int LitPixels(const TargaImage& image, int x0, int y0, int x1, int y1)
    {
        return CountPixels(image, x0, y0, x1, y1, [](const auto& p) { return p[0] + p[1] + p[2] > kTolerance; });
    }

    // Pixels of the box changed by more than the tolerance between two pictures.
    static int ChangedPixels(const TargaImage& a, const TargaImage& b, int x0, int y0, int x1, int y1)
    {
        return OffscreenShotGame::ChangedPixels(a, b, x0, y0, x1, y1, kChangeTolerance);
    }

    // On open grass, clear of the stones, the trees and the gates' running portals.
    static WorldPos OpenGrass()
    {
        WorldPos at = HostPlayer()->position;
        at.x -= gGameData->GetTuning().tileSize;
        at.y -= 3.0f * gGameData->GetTuning().tileSize;
        return at;
    }

    // The place's pixel in a picture of the window (it starts two rows down).
    static std::array<int, 2> PixelOf(const WorldPos& at, const TargaImage& image)
    {
        Vector2 point = Client::WorldToScreen(at, true);
        return {static_cast<int>(point.x * static_cast<float>(image.GetWidth() + 2) / 640.0f),
                static_cast<int>(point.y * static_cast<float>(image.GetHeight() + 2) / 480.0f) - 2};
    }

    // Over six frames (a loop of an effect's frames, which grow and fade), the most pixels changed
    // from the bare picture in a box standing on the pixel, and in the same box beside it.
    int MostChanged(const TargaImage& bare, const std::array<int, 2>& at, int& beside)
    {
        int most = 0;
        for (int i = 0; i < 6; ++i) {
            Frame();
            TargaImage shown = Screenshot();
            most = std::max(most, ChangedPixels(bare, shown, at[0] - 30, at[1] - 80, at[0] + 30, at[1] + 5));
            beside = std::max(beside, ChangedPixels(bare, shown, at[0] + 60, at[1] - 80, at[0] + 120, at[1] + 5));
        }
        return most;
    }

    static constexpr int kTolerance = 24;
    static constexpr int kChangeTolerance = 60;
};

TEST_F(WorldViewEndToEnd, TheScreenshotIsReadBeforeTheSwapAndShowsTheLevelsGround)
{
    TargaImage shown = Screenshot();
    ASSERT_EQ(shown.GetWidth(), 638);
    ASSERT_EQ(shown.GetHeight(), 478);

    // The frame was read before its swap: none of the scrubbing fill shows.
    int fill = 0;
    for (int y = 0; y < shown.GetHeight(); ++y)
        for (int x = 0; x < shown.GetWidth(); ++x)
            fill += PixelAt(shown, x, y) == std::array<int, 3>{255, 0, 255};
    EXPECT_EQ(fill, 0);

    // The ground covers the lower half of the screen around the player.
    EXPECT_GT(LitPixels(shown, 100, 260, 540, 470), 440 * 210 * 3 / 4);
}

// The plain ground, without blending, is seen from above as the blended ground is.
TEST_F(WorldViewEndToEnd, ThePlainGroundIsDrawnWhenBlendingIsOff)
{
    gUserVarSystem->SetStringByName("blendedTiles", "0");
    for (int i = 0; i < 2; ++i)
        Frame();
    TargaImage shown = Screenshot();
    EXPECT_GT(LitPixels(shown, 100, 260, 540, 470), 440 * 210 * 3 / 4);
}

TEST_F(WorldViewEndToEnd, ThePlayersOwnModelStandsAtItsScreenPlaceAndGoesWhenTheHostHidesIt)
{
    // Where the client puts the player on the 640 x 480 screen, in the picture's pixels (it
    // starts two rows down).
    TargaImage shown = Screenshot();
    Vector2 at = Client::WorldToScreen(Body()->position, true);
    int px = static_cast<int>(at.x * static_cast<float>(shown.GetWidth() + 2) / 640.0f);
    int py = static_cast<int>(at.y * static_cast<float>(shown.GetHeight() + 2) / 480.0f) - 2;
    int x0 = px - 30;
    int x1 = px + 30;
    int y0 = py - 80;
    int y1 = py + 15;

    HostPlayer()->flags |= EntityFlag::HideModel;
    for (int i = 0; i < 4 && !(Body()->flags & EntityBase::kFlagHideModel); ++i)
        Frame();
    ASSERT_TRUE(Body()->flags & EntityBase::kFlagHideModel);
    TargaImage hidden = Screenshot();
    EXPECT_GT(ChangedPixels(shown, hidden, x0, y0, x1, y1), 150) << "no pixels of the player's model at its place";
    // A box of ground and stones beside it stays as it was.
    EXPECT_LT(ChangedPixels(shown, hidden, x0 - 80, y0, x1 - 80, y1), 20);

    HostPlayer()->flags &= ~EntityFlag::HideModel;
    for (int i = 0; i < 4 && (Body()->flags & EntityBase::kFlagHideModel); ++i)
        Frame();
    TargaImage back = Screenshot();
    EXPECT_GT(ChangedPixels(hidden, back, x0, y0, x1, y1), 150) << "the player's model did not come back";
}

TEST_F(WorldViewEndToEnd, AHelmetTheHostPutsOnHangsOnThePlayersModel)
{
    TargaImage bare = Screenshot();
    Vector2 at = Client::WorldToScreen(Body()->position, true);
    int px = static_cast<int>(at.x * static_cast<float>(bare.GetWidth() + 2) / 640.0f);
    int py = static_cast<int>(at.y * static_cast<float>(bare.GetHeight() + 2) / 480.0f) - 2;
    // The player's place, from above the helmet's crest down to the feet.
    int x0 = px - 40;
    int x1 = px + 40;
    int y0 = py - 110;
    int y1 = py + 15;

    std::unique_ptr<ItemBase> cap = HostPlayer()->inventory->CreateItem();
    cap->Load(gDatabase->FindEntryByName("PaddedCap"));
    ASSERT_TRUE(HostPlayer()->inventory->PlaceItem(cap, InventoryGroupIndex::Equipment, EquipedLocation::Head, 0));
    for (int i = 0; i < 6 && !Body()->GetEquipment(EntityClient::kLocationHead)->model.IsValid(); ++i)
        Frame();
    ASSERT_TRUE(Body()->GetEquipment(EntityClient::kLocationHead)->model.IsValid());
    TargaImage dressed = Screenshot();
    EXPECT_GT(ChangedPixels(bare, dressed, x0, y0, x1, y1), 40) << "no pixels of the helmet";
    EXPECT_LT(ChangedPixels(bare, dressed, x0 - 100, y0, x1 - 100, y1), 20) << "the ground beside changed";
}

// Bright pixels of the back buffer in a box of the 640 x 480 window, y down.
int WorldViewBrightPixels(int x0, int y0, int x1, int y1)
{
    std::vector<uint8_t> rgba(static_cast<size_t>((x1 - x0) * (y1 - y0) * 4));
    glReadPixels(x0, 480 - y1, x1 - x0, y1 - y0, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    int count = 0;
    for (size_t i = 0; i < rgba.size(); i += 4)
        count += rgba[i] + rgba[i + 1] + rgba[i + 2] > 24;
    return count;
}

TEST_F(WorldViewEndToEnd, AModelAndASpriteDrawnAtOnceStandAtTheirProjectedPoint)
{
    ResourceHandle pillar;
    ResourceHandle star;
    gResourceManager->Load("Models/Props/pillar.mdl", pillar);
    gResourceManager->Load("Models/Effects/criticalhit.mdl", star);
    gResourceManager->WaitForLoadQueue();
    // Three tiles east of the player, on the black of a cleared frame.
    WorldPos at = Body()->position;
    at.x += 3.0f * gGameData->GetTuning().tileSize;
    Vector2 point = Client::WorldToScreen(at, true);
    int px = static_cast<int>(point.x);
    int py = static_cast<int>(point.y);
    WorldPos3 place{at.level, at.x, at.y, 0.0f};
    const Matrix3 still{{{1.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f}, {0.0f, 0.0f, 1.0f}}};

    gGraphicsDevice->AcquireContext();
    WorldView& view = gRenderer->GetWorldView();
    view.BeginWorldView(Body()->position, 1.0f, true);
    ASSERT_TRUE(gRenderer->DrawModelImmediate(pillar.GetValue(), place, still, 1.0f));
    EXPECT_GT(WorldViewBrightPixels(px - 20, py - 60, px + 20, py + 5), 100);
    EXPECT_EQ(WorldViewBrightPixels(px - 160, py - 60, px - 120, py + 5), 0);

    view.BeginWorldView(Body()->position, 1.0f, true);
    EXPECT_FALSE(gRenderer->DrawSprite(place, 6, 0, star.GetValue(), 0)) << "frame past the sprite's six";
    EXPECT_EQ(WorldViewBrightPixels(px - 30, py - 80, px + 30, py + 5), 0);
    ASSERT_TRUE(gRenderer->DrawSprite(place, 2, 0, star.GetValue(), 0));
    EXPECT_GT(WorldViewBrightPixels(px - 30, py - 80, px + 30, py + 5), 40);
    EXPECT_EQ(WorldViewBrightPixels(px - 160, py - 80, px - 100, py + 5), 0);
    gGraphicsDevice->ReleaseContext();
}

// A host entity whose model is a sprite model (as the shipped effects and arrows are) is drawn
// upright at its place, over the ground drawn before it.
TEST_F(WorldViewEndToEnd, AnEntityWithASpriteModelIsDrawnUprightAtItsPlace)
{
    // Without the words and menus over the world, only the world changes.
    gUserVarSystem->SetStringByName("drawUI", "0");
    Frame();
    WorldPos at = OpenGrass();
    TargaImage bare = Screenshot();
    auto* star = new Entity();
    star->LoadModels("Models/Effects/criticalhit.mdl");
    star->SetPosition(at);
    ASSERT_NE(gGameServices->AddEntity(star), -1);
    for (int i = 0; i < 6 && !gGameClient->GetEntity(star->entityNumber); ++i)
        Frame();
    ASSERT_NE(gGameClient->GetEntity(star->entityNumber), nullptr);
    int beside = 0;
    EXPECT_GT(MostChanged(bare, PixelOf(at, bare), beside), 100) << "no pixels of the sprite";
    EXPECT_LT(beside, 10) << "the ground beside changed";
}

// The effects the host shows are drawn: a bolt's burst where it struck, whichever way the burst
// faces (its frames are drawn as the camera sees them), and a potion's heal hung on the drinker.
TEST_F(WorldViewEndToEnd, AnEffectTheHostShowsIsSeenAtItsPlaceWhicheverWayItFaces)
{
    gUserVarSystem->SetStringByName("drawUI", "0");
    Frame();
    WorldPos at = OpenGrass();
    TargaImage bare = Screenshot();
    std::array<int, 2> pixel = PixelOf(at, bare);
    for (int32_t facing = 0; facing < 8; ++facing) {
        Entity* burst = gGameServices->SpawnModelEntity("effects/emberburst.mdl", at, 1.0f);
        ASSERT_NE(burst, nullptr);
        burst->facing = facing;
        int32_t number = burst->entityNumber;
        for (int i = 0; i < 6 && !gGameClient->GetEntity(number); ++i)
            Frame();
        ASSERT_NE(gGameClient->GetEntity(number), nullptr) << facing;
        EXPECT_EQ(gGameClient->GetEntity(number)->facing, facing);
        int beside = 0;
        EXPECT_GT(MostChanged(bare, pixel, beside), 50) << "no pixels of the burst facing " << facing;
        EXPECT_LT(beside, 10) << "the ground beside changed, facing " << facing;
        // Gone after its second, and the ground is as it was.
        for (int i = 0; i < 30 && gGameClient->GetEntity(number); ++i)
            Frame();
        ASSERT_EQ(gGameClient->GetEntity(number), nullptr) << facing;
        Frame();
        EXPECT_LT(ChangedPixels(bare, Screenshot(), pixel[0] - 30, pixel[1] - 80, pixel[0] + 30, pixel[1] + 5), 10)
            << facing;
    }

    // A potion's heal hangs on its drinker for its seconds: here a bare post on the same grass.
    auto* post = new Entity();
    post->SetPosition(at);
    ASSERT_NE(gGameServices->AddEntity(post), -1);
    Frames(2);
    bare = Screenshot();
    Entity::AttachTemporary(post, "effects/heal.mdl", "", 1.0f);
    int beside = 0;
    EXPECT_GT(MostChanged(bare, pixel, beside), 50) << "no pixels of the heal";
    EXPECT_LT(beside, 10) << "the ground beside the heal changed";
}

TEST_F(WorldViewEndToEnd, TheCollisionGridLaysWhiteAndRedSquaresOverTheWorld)
{
    // Pure white or pure red pixels: the grid's colours, rare on lit ground.
    auto gridPixels = [](const TargaImage& image) {
        int count = 0;
        for (int y = 0; y < image.GetHeight(); ++y)
            for (int x = 0; x < image.GetWidth(); ++x) {
                std::array<int, 3> p = PixelAt(image, x, y);
                count += p[0] >= 250 && ((p[1] >= 250 && p[2] >= 250) || (p[1] <= 5 && p[2] <= 5));
            }
        return count;
    };
    int before = gridPixels(Screenshot());
    gUserVarSystem->SetStringByName("showCollisionGrid", "1");
    int after = gridPixels(Screenshot());
    // 31 x 31 squares of 4 x 4 units, at least three whole pixels each.
    EXPECT_GT(after - before, 31 * 31 * 3);
}

TEST_F(WorldViewEndToEnd, TheScenesVisibilityIsThePlayersSightUntilTheFogIsLifted)
{
    FrameScene& scene = *gClientApp;
    WorldPos at = Body()->position;
    WorldPos far = at;
    far.x += 40.0f * gGameData->GetTuning().tileSize;
    bool fog = gGameData->GetTuning().showLineOfSight;
    EXPECT_FALSE(scene.IsRevealed());
    EXPECT_FLOAT_EQ(scene.GetVisibility(at), 1.0f);
    EXPECT_FLOAT_EQ(scene.GetVisibility(far), fog ? 0.0f : 1.0f);

    // The reveal shows every place.
    gGameClient->GetSight().SetFogOff(true);
    EXPECT_TRUE(scene.IsRevealed());
    EXPECT_FLOAT_EQ(scene.GetVisibility(far), 1.0f);
}

} // namespace

// The hero wears its own colours: a purple tabard no ground, stone or townsperson round it shows.
TEST_F(WorldViewEndToEnd, TheHeroWearsAPurpleTabardSeenNowhereBesideIt)
{
    ClearTheStage();
    Frames(2);
    TargaImage shown = Screenshot();
    Vector2 at = Client::WorldToScreen(Body()->position, true);
    int px = static_cast<int>(at.x * static_cast<float>(shown.GetWidth() + 2) / 640.0f);
    int py = static_cast<int>(at.y * static_cast<float>(shown.GetHeight() + 2) / 480.0f) - 2;
    auto tabard = [](const std::array<int, 3>& p) { return p[0] > p[1] + 30 && p[2] > p[1] + 50; };
    EXPECT_GT(CountPixels(shown, px - 30, py - 80, px + 30, py + 15, tabard), 40) << "the tabard at the player";
    EXPECT_LT(CountPixels(shown, px - 130, py - 80, px - 70, py + 15, tabard), 5) << "beside the player";
}

// A tree between the camera and the player (the camera stands off to +x, -y) fades while the
// player stands behind it, and comes back when the player steps in front of it; zoomed in too,
// where its crown alone covers a player farther back.
TEST_F(WorldViewEndToEnd, ATreeInFrontOfThePlayerFadesAndOneBehindThePlayerDoesNot)
{
    float tile = gGameData->GetTuning().tileSize;
    WorldPos player = HostPlayer()->position;
    int32_t cx = static_cast<int32_t>(std::floor(player.x / tile));
    int32_t cy = static_cast<int32_t>(std::floor(player.y / tile));
    int32_t treeX = 0;
    int32_t treeY = 0;
    bool found = false;
    for (int32_t r = 0; r <= 30 && !found; ++r) {
        for (int32_t y = cy - r; y <= cy + r && !found; ++y) {
            for (int32_t x = cx - r; x <= cx + r && !found; ++x) {
                ResourceHandle model;
                TileObjectInstance instance;
                gWorld->GetTileDrawData(player.level, x, y, model, instance);
                if (model.IsValid() && gResourceManager->GetName(model.GetValue()).find("tree") != std::string::npos) {
                    treeX = x;
                    treeY = y;
                    found = true;
                }
            }
        }
    }
    ASSERT_TRUE(found) << "a tree near the town's start";
    auto opacity = [&] {
        ResourceHandle model;
        TileObjectInstance instance;
        gWorld->GetTileDrawData(player.level, treeX, treeY, model, instance);
        return instance.opacity;
    };
    WorldPos cell{player.level, (static_cast<float>(treeX) + 0.5f) * tile, (static_cast<float>(treeY) + 0.5f) * tile};
    // Zoomed in, the player so far behind that only the tree's crown covers it: the line of sight
    // through four fifths of the tree's height, from the back of its bounds, meets the ground there.
    ResourceHandle model;
    TileObjectInstance instance;
    gWorld->GetTileDrawData(player.level, treeX, treeY, model, instance);
    auto* tree = dynamic_cast<ModelResource*>(gResourceManager->Get(model.GetValue()));
    ASSERT_NE(tree, nullptr);
    const AnimationResource* bounds = ModelAnimationFile(*tree, 0);
    ASSERT_NE(bounds, nullptr);
    Vector3 low = bounds->GetFrameBoundsMin(0);
    Vector3 high = bounds->GetFrameBoundsMax(0);
    float crown = (high.y - low.x) * 0.5f + 0.8f * high.z * ScreenConversion::CurrentView().ratio / std::sqrt(2.0f);
    for (auto [zoom, behind] : {std::pair{1.0f, 24.0f}, {0.6f, crown}}) {
        SCOPED_TRACE(zoom);
        for (int step = 0; step < 8 && ScreenConversion::CurrentView().zoom > zoom + 0.05f; ++step)
            ASSERT_NO_FATAL_FAILURE(WheelAt(320, 200, true));
        ASSERT_NEAR(ScreenConversion::CurrentView().zoom, zoom, 0.01f) << "the wheel zooms in";
        HostPlayer()->Warp(cell.Offset(Vector2{-behind, behind}));
        Frames(12);
        EXPECT_LT(opacity(), 0.6f) << "behind the tree, the tree fades";
        HostPlayer()->Warp(cell.Offset(Vector2{24.0f, -24.0f}));
        Frames(12);
        EXPECT_FLOAT_EQ(opacity(), 1.0f) << "in front of the tree, it is whole again";
    }
}

// A use hint's icon rises at its place beside the player, as wide as the tuning says, over
// whatever lies there, and fades away again; the other place stays as it was.
TEST_F(WorldViewEndToEnd, AUseHintsIconRisesAtItsPlaceBesideThePlayerAndFadesAway)
{
    ClearTheStage();
    Frames(2);
    const GameSystemTuning& tuning = gGameData->GetTuning();
    ASSERT_GE(tuning.useHintOffsets.size(), 2u);
    TargaImage bare = Screenshot();
    Vector2 origin = Client::GetTargetScreenInfo(Body()->position);
    // The inside of the square at each place, two pixels in from its edges (the picture starts
    // two rows down), where the white icon has lightened every colour of the picture beneath.
    const int side = static_cast<int>(tuning.useHintSize);
    const int inside = (side - 4) * (side - 4);
    auto lightened = [&](const TargaImage& image, const FloatPair& offset) {
        int x0 = static_cast<int>(origin.x + offset.x) + 2;
        int y0 = static_cast<int>(origin.y + offset.y);
        int count = 0;
        for (int y = y0; y < y0 + side - 4; ++y)
            for (int x = x0; x < x0 + side - 4; ++x) {
                std::array<int, 3> was = PixelAt(bare, x, y);
                std::array<int, 3> now = PixelAt(image, x, y);
                count += now[0] > was[0] + 40 && now[1] > was[1] + 40 && now[2] > was[2] + 40 ? 1 : 0;
            }
        return count;
    };
    int marker = 0;
    Local()->QueueUseHint(&marker, gRenderer->GetStandardHandle(Renderer::kHandleWhite).GetValue());
    Frames(2);
    TargaImage risen = Screenshot();
    EXPECT_GT(lightened(risen, tuning.useHintOffsets[0]), inside * 3 / 4) << "the icon at the first place";
    EXPECT_LT(lightened(risen, tuning.useHintOffsets[1]), inside / 10) << "nothing at the second place";
    Frames(30);
    TargaImage gone = Screenshot();
    EXPECT_LT(lightened(gone, tuning.useHintOffsets[0]), inside / 10) << "faded away";
}
