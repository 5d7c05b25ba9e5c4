// ClientEntityDrawGLTest -- the shipped game offscreen after "start both", drawn by real GL and read back: a monster the world host makes stands where the client's conversion puts it, and once the host hurts it its overhead bar is filled to its health and its damage text rises above it.
#include "app/OffscreenShots.h"
#include "client/ClientApp.h"
#include "client/EntityOverlays.h"
#include "client/GameClient.h"
#include "client/PlayerClient.h"
#include "client/ScreenConversion.h"
#include "core/ColorSystem.h"
#include "core/Database.h"
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

#include <array>
#include <cmath>
#include <cstdlib>

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
