// ClientEntityDrawGLTest -- the shipped game offscreen after "start both", drawn by real GL and read back: a monster the world host makes stands where the client's conversion puts it, a click far up the screen picks the monster drawn there or walks to the ground drawn there, and once the host hurts it its overhead bar is filled to its health and its damage text rises above it.
#include "app/OffscreenShots.h"
#include "client/ClientApp.h"
#include "client/EntityOverlays.h"
#include "client/GameClient.h"
#include "client/PlayerClient.h"
#include "client/ScreenConversion.h"
#include "core/ColorSystem.h"
#include "core/Database.h"
#include "core/UserVarSystem.h"
#include "entities/Actor.h"
#include "entities/CombatSystem.h"
#include "entities/GameServices.h"
#include "entities/Player.h"
#include "render/Renderer.h"
#include "resources/ResourceManager.h"
#include "resources/shaders/Shader.h"
#include "resources/textures/TextureResource.h"
#include "server/Game.h"
#include "server/WorldHost.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <map>
#include <vector>

namespace {

class ClientEntityDrawGL : public OffscreenShotGame {
protected:
    void SetUp() override
    {
        if (!std::getenv("EMBERLODE_GAME_DIR"))
            GTEST_SKIP() << "EMBERLODE_GAME_DIR not set";
        StartShippedGame();
        ASSERT_NO_FATAL_FAILURE(StartBoth());
        ASSERT_EQ(gWorldHost->GetClients().size(), 1u);
        hostPlayer = HostPlayer();
        ClearTheStage();
        Frames(6);
    }
    void TearDown() override { KeepFailedFrame("ClientEntityDrawGL"); }

    // A goblin of the host's making a few steps east of the player, once the client mirrors it.
    EntityClient* PlaceMonster()
    {
        monster = AddGoblin(Vector2{110.0f, 0.0f});
        if (!monster)
            return nullptr;
        EntityClient* shown = MirrorOf(*monster);
        Frames(4);
        return shown;
    }

    // A point of the 640 x 480 interface in the picture's pixels (the picture starts two rows down).
    static std::array<int, 2> Pixel(const TargaImage& image, float uiX, float uiY)
    {
        return {static_cast<int>(std::lround(uiX * static_cast<float>(image.GetWidth() + 2) / 640.0f)),
                static_cast<int>(std::lround(uiY * static_cast<float>(image.GetHeight() + 2) / 480.0f)) - 2};
    }

    static int ChangedPixels(const TargaImage& a, const TargaImage& b, int x0, int y0, int x1, int y1)
    {
        return OffscreenShotGame::ChangedPixels(a, b, x0, y0, x1, y1, 60);
    }

    // Within a tolerance of the colour table's entry.
    static bool IsColour(const std::array<int, 3>& pixel, int32_t index)
    {
        float rgb[3] = {};
        ColorSystem::GetColorByIndex(rgb[0], rgb[1], rgb[2], index);
        for (int i = 0; i < 3; ++i)
            if (std::abs(pixel[static_cast<size_t>(i)] - static_cast<int>(std::lround(rgb[i] * 255.0f))) > 40)
                return false;
        return true;
    }

    Player* hostPlayer = nullptr;
    Actor* monster = nullptr;
};

TEST_F(ClientEntityDrawGL, AMonsterHurtByTheHostShowsItsModelItsBarAtItsHealthAndItsDamageText)
{
    TargaImage bare = Screenshot();
    EntityClient* shown = PlaceMonster();
    ASSERT_NE(shown, nullptr);
    TargaImage placed = Screenshot();
    // The model colours the pixels where the client's conversion puts it; a far corner stays clear.
    Vector2 feet = Client::WorldToScreen(shown->position, true);
    std::array<int, 2> at = Pixel(placed, feet.x, feet.y);
    EXPECT_GT(ChangedPixels(bare, placed, at[0] - 25, at[1] - 70, at[0] + 25, at[1] + 10), 150)
        << "no pixels of the monster's model at its place";
    EXPECT_LT(ChangedPixels(bare, placed, 20, 60, 90, 130), 20) << "a far corner changed";

    // The host takes it down to three tenths of its health, and says so to the client.
    int32_t full = monster->maxHealth;
    ASSERT_GE(full, 10);
    int32_t left = full * 3 / 10;
    ApplyHit(monster, nullptr, full - left, 0, false, false, false, false, false, false);
    ASSERT_EQ(monster->health, left);
    for (int i = 0; i < 6 && (shown->health != left || shown->damageTexts.empty()); ++i)
        Frame();
    ASSERT_EQ(shown->health, left);
    ASSERT_FALSE(shown->damageTexts.empty());
    TargaImage hit = Screenshot();

    // The bar: its row's run of background and fill, the fill's share of it the health's.
    ScreenBox box = Client::GetEntityScreenBox(*shown);
    float zoom = ScreenConversion::CurrentView().zoom;
    float barWidth = EntityOverlays::kBarWidth / zoom;
    float centreX = (box.x1 + box.x2) * 0.5f;
    float barY = box.y2 - EntityOverlays::kBarLift / zoom + EntityOverlays::kBarHeight / zoom * 0.5f;
    std::array<int, 2> barLeft = Pixel(hit, centreX - barWidth * 0.5f, barY);
    int32_t fillColour = EntityOverlays::GetHealthBarColour(*shown, OverlayFrame{});
    int best = 0;
    int bestFill = 0;
    for (int y = barLeft[1] - 3; y <= barLeft[1] + 3; ++y) {
        int fill = 0;
        int background = 0;
        for (int x = barLeft[0] - 4; x < barLeft[0] + static_cast<int>(barWidth) + 4; ++x) {
            std::array<int, 3> p = PixelAt(hit, x, y);
            fill += IsColour(p, fillColour);
            background += IsColour(p, EntityOverlays::kBarBackgroundColour);
        }
        if (fill + background > best) {
            best = fill + background;
            bestFill = fill;
        }
    }
    ASSERT_GT(best, static_cast<int>(barWidth) - 3) << "no bar over the monster";
    float ratio = static_cast<float>(left) / static_cast<float>(full);
    EXPECT_NEAR(static_cast<float>(bestFill), ratio * static_cast<float>(best), 1.5f)
        << bestFill << " of " << best << " pixels filled";

    // The damage text rises above the bar: pixels there change from the picture before the hit.
    int textBottom = barLeft[1] - 2;
    EXPECT_GT(ChangedPixels(placed, hit, at[0] - 30, textBottom - 40, at[0] + 30, textBottom), 15)
        << "no damage text over the monster";
}

// Far up the screen, where a wrong foreshortening of the ground is largest: a click low on a
// monster's drawn body picks it, and a click where its feet were drawn walks the player to its
// place. Each row is a place far from the player; the body is found by the pixels it changed.
TEST_F(ClientEntityDrawGL, AClickFarUpTheScreenReachesWhatIsDrawnUnderIt)
{
    // The world alone, and no shadow widening the feet: only the monster changes the picture.
    gUserVarSystem->SetStringByName("drawUI", "0");
    gUserVarSystem->SetStringByName("r_shadows", "0");
    Frames(2);
    const WorldPos start = hostPlayer->position;
    for (Vector2 offset : {Vector2{-180.0f, 180.0f}, Vector2{-240.0f, 70.0f}}) {
        SCOPED_TRACE(offset.x);
        hostPlayer->Warp(start);
        Frames(6);
        TargaImage bare = Screenshot();
        monster = AddGoblin(offset);
        ASSERT_NE(monster, nullptr);
        monster->SetGridPosition(monster->position);
        monster->SetMoveTarget(monster->position);
        EntityClient* shown = MirrorOf(*monster);
        ASSERT_NE(shown, nullptr);
        Frames(2);
        TargaImage placed = Screenshot();
        // The changed pixels above the player's head: those round their middle column, in rows
        // of more than one (a flicker of the ground elsewhere is not the monster), in interface
        // units.
        std::vector<std::array<int, 2>> changed;
        for (int y = 30; y < 170; ++y)
            for (int x = 40; x < 600; ++x)
                if (ChangedPixels(bare, placed, x, y, x + 1, y + 1) == 1)
                    changed.push_back({x, y});
        ASSERT_GT(changed.size(), 150u) << "no pixels of the monster far up the screen";
        std::vector<int> columns;
        for (const auto& p : changed)
            columns.push_back(p[0]);
        std::nth_element(columns.begin(), columns.begin() + columns.size() / 2, columns.end());
        int middle = columns[columns.size() / 2];
        std::map<int, int> rows;
        for (const auto& p : changed)
            rows[p[1]] += std::abs(p[0] - middle) < 35 ? 1 : 0;
        float top = 480.0f;
        float bottom = 0.0f;
        for (auto [row, inRow] : rows)
            if (inRow > 1) {
                float uiY = static_cast<float>(row + 2) * 480.0f / static_cast<float>(placed.GetHeight() + 2);
                top = std::min(top, uiY);
                bottom = std::max(bottom, uiY);
            }
        auto x = static_cast<int32_t>(std::lround(static_cast<float>(middle) * 640.0f /
                                                  static_cast<float>(placed.GetWidth() + 2)));
        ASSERT_GT(bottom - top, 30.0f);
        ASSERT_LT(bottom - top, 80.0f) << "more than the monster changed";

        // Low on its drawn body, clear of the feet, the click picks it.
        ClickAtUi(x, static_cast<int32_t>(std::lround(top + (bottom - top) * 0.7f)));
        EXPECT_EQ(Local()->GetInteractionTarget(), shown) << "the click missed the drawn monster";

        // Taken away, and the player back where the picture was taken, the ground under its
        // feet is walked to.
        int32_t number = monster->entityNumber;
        gGame->RemoveEntity(monster);
        delete monster;
        monster = nullptr;
        hostPlayer->Warp(start);
        Frames(6);
        ASSERT_EQ(gGameClient->GetEntity(number), nullptr);
        ASSERT_LT(Local()->GetPosition().Distance2D(start), 1.0f);
        WorldPos spot = start.Offset(offset);
        ClickAtUi(x, static_cast<int32_t>(std::lround(bottom)));
        EXPECT_LT(Local()->GetMoveTarget().Distance2D(spot), 12.0f)
            << "the click walks to " << Local()->GetMoveTarget().x - start.x << ", " << Local()->GetMoveTarget().y - start.y;
        float before = hostPlayer->position.Distance2D(spot);
        FramesUntil([&] { return hostPlayer->position.Distance2D(spot) < before - 60.0f; }, 60);
        EXPECT_LT(hostPlayer->position.Distance2D(spot), before - 60.0f) << "the host's player does not walk there";
    }
}

// The shadow under entities, the hover tints and the equipment glows are laid on the ground and
// on models as shaders: a picture loaded as a plain texture would draw nothing.
TEST_F(ClientEntityDrawGL, TheStockShadowTintsAndGlowsAreShadersOverShippedPictures)
{
    constexpr int32_t kShadowHandle = 4;
    std::vector<const ResourceHandle*> stock = {&gRenderer->GetStandardHandle(kShadowHandle)};
    for (int32_t colour : {1, 2, 3, 6, 8, 0})
        stock.push_back(&gRenderer->GetOutlineTexture(colour));
    for (int32_t glow : {5, 6, 7})
        stock.push_back(&gRenderer->GetGlowTexture(glow));
    for (const ResourceHandle* handle : stock) {
        SCOPED_TRACE(handle->GetName());
        const auto* shader = dynamic_cast<const Shader*>(gResourceManager->Get(handle->GetValue()));
        ASSERT_NE(shader, nullptr);
        ASSERT_FALSE(shader->stages.empty());
        const auto* picture = dynamic_cast<const TextureResource*>(gResourceManager->Get(shader->stages[0]->texture));
        ASSERT_NE(picture, nullptr);
        EXPECT_FALSE(picture->IsPlaceholder()) << "the generator writes it";
    }
}

} // namespace
