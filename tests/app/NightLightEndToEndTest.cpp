// NightLightEndToEndTest -- the shipped world's night seen through the real window: the ground beside the town at midnight keeps enough of its noon light to be read.
#include "OffscreenShots.h"

#include "render/LightingSystem.h"
#include "world/World.h"

#include <cmath>

namespace {

class NightLight : public OffscreenShotGame {
protected:
    // The mean of red, green and blue over the world's view, clear of the bars above and below.
    static double MeanBrightness(const TargaImage& image)
    {
        double sum = 0.0;
        int count = 0;
        for (int y = 40; y < 380; y += 2)
            for (int x = 0; x < 640; x += 2) {
                std::array<int, 3> p = PixelAt(image, x, y);
                sum += (p[0] + p[1] + p[2]) / 3.0;
                ++count;
            }
        return sum / count;
    }

    // Frames of game time until the client's light has come round to the hour the host keeps.
    void WaitForTheLight() { Frames(30 * 20); }

    // The host's player on the level beside the town, the client following it there.
    void GoBesideTheTown()
    {
        Player* host = HostPlayer();
        int32_t beside = -1;
        for (int32_t direction = 0; direction < 8 && beside == -1; ++direction)
            beside = gWorld->GetNeighbourLevel(host->position.level, direction);
        ASSERT_NE(beside, -1) << "a level beside the town";
        host->Warp(gGame->GetStartPosition(beside));
        for (int i = 0; i < 400 && Local()->GetPosition().level != beside; ++i)
            Frame();
        ASSERT_EQ(Local()->GetPosition().level, beside);
    }

    // The frame's point lights standing at the place, within a hundredth of a unit.
    static int LightsAt(int32_t level, float x, float y)
    {
        int count = 0;
        for (int32_t i = 0; i < gLightingSystem->GetLightCount(); ++i) {
            const LightingSystem::Light& light = gLightingSystem->GetLight(i);
            count += light.type == LightingSystem::kPointLight && light.level == level &&
                     std::fabs(light.x - x) < 0.01f && std::fabs(light.y - y) < 0.01f;
        }
        return count;
    }

    // The mean of each of red, green and blue over the box.
    static std::array<double, 3> MeanColour(const TargaImage& image, int x0, int y0, int x1, int y1)
    {
        std::array<double, 3> sum{};
        int count = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) {
                std::array<int, 3> p = PixelAt(image, x, y);
                for (int c = 0; c < 3; ++c)
                    sum[static_cast<size_t>(c)] += p[static_cast<size_t>(c)];
                ++count;
            }
        for (double& channel : sum)
            channel /= count;
        return sum;
    }
};

} // namespace

// The moon lights the level beside the town at not much less than half the sun's light: a
// darker night left a new player unable to tell the ground from its creatures.
TEST_F(NightLight, TheLevelBesideTheTownAtMidnightKeepsNearlyHalfItsNoonLight)
{
    StartShippedGame();
    StartBoth();
    ASSERT_NO_FATAL_FAILURE(GoBesideTheTown());

    gGame->SetTimeOfDay(12.0);
    WaitForTheLight();
    double noon = MeanBrightness(Screenshot());
    const std::string noonShot = lastShot.string();
    gGame->SetTimeOfDay(0.5);
    WaitForTheLight();
    double midnight = MeanBrightness(Screenshot());
    ASSERT_GT(noon, 20.0) << "the noon picture shows the ground: " << noonShot;
    EXPECT_LT(midnight, noon) << "the night is darker than the day";
    EXPECT_GT(midnight, 0.4 * noon) << "midnight " << midnight << " against noon " << noon << " (" << lastShot.string()
                                    << ", " << noonShot << ")";
}

// In the dark beside the town every lit thing shines once: each lit entity's light stands once in
// the frame's lights, the player's own too; and the ground in the player's light is lit by the
// night's light plus the player's light taken once, read as the picture against the same picture
// with lighting off.
TEST_F(NightLight, EveryLightShinesOnceAndThePlayersLightAddsItsColourOnce)
{
    StartShippedGame("r_bloom 0\nr_shadows 0\n");
    StartBoth();
    ASSERT_NO_FATAL_FAILURE(GoBesideTheTown());
    ClearTheStage();
    // A dim light of the player's that reaches far: the ground round the player lies wholly in its
    // full strength, and its colour added twice would not be clipped at white.
    Player* host = HostPlayer();
    host->lightColor = Color{0.2f, 0.2f, 0.2f};
    host->lightFalloff = 400.0f;
    gGame->SetTimeOfDay(0.5);
    WaitForTheLight();
    ASSERT_FLOAT_EQ(Local()->lightColor.r, 0.2f) << "the client shows the player's light";
    ASSERT_FLOAT_EQ(Local()->lightFalloff, 400.0f);

    Frame();
    for (int32_t number = 0; number < GameClient::kMaxEntities; ++number) {
        const EntityClient* entity = gGameClient->GetEntity(number);
        if (!entity || entity->isPlayerBody || entity->IsHidden() || !(entity->lightFalloff > 0.0f) ||
            (entity->lightColor.r == 0.0f && entity->lightColor.g == 0.0f && entity->lightColor.b == 0.0f))
            continue;
        int shining = LightsAt(entity->position.level, entity->position.x + entity->lightOffset[0],
                               entity->position.y + entity->lightOffset[1]);
        EXPECT_LE(shining, 1) << "entity " << number << " shines " << shining << " times";
    }
    const WorldPos& feet = Local()->GetPosition();
    EXPECT_EQ(LightsAt(feet.level, feet.x + Local()->lightOffset[0], feet.y + Local()->lightOffset[1]), 1)
        << "the player's own light";

    // The night's light, the one global light of the frame.
    Color night;
    for (int32_t i = 0; i < gLightingSystem->GetLightCount(); ++i)
        if (gLightingSystem->GetLight(i).type == LightingSystem::kGlobalLight)
            night = gLightingSystem->GetLight(i).color;
    ASSERT_GT(night.r + night.g + night.b, 0.0f) << "the night has a light";

    Vector2 at = Client::WorldToScreen(feet, true);
    int x0 = static_cast<int>(at.x) + 50;
    int y0 = static_cast<int>(at.y) - 10;
    TargaImage lighted = Screenshot();
    const std::string lightedShot = lastShot.string();
    gUserVarSystem->SetStringByName("r_fullbright", "1");
    TargaImage unlit = Screenshot();
    gUserVarSystem->SetStringByName("r_fullbright", "0");
    std::array<double, 3> seen = MeanColour(lighted, x0, y0, x0 + 40, y0 + 30);
    std::array<double, 3> plain = MeanColour(unlit, x0, y0, x0 + 40, y0 + 30);
    // The sum of the two lights, scaled down when its brightest channel passes white.
    std::array<float, 3> sum = {night.r + 0.2f, night.g + 0.2f, night.b + 0.2f};
    float brightest = std::max({sum[0], sum[1], sum[2]});
    for (size_t c = 0; c < 3; ++c) {
        ASSERT_GT(plain[c], 20.0) << "the ground shows, channel " << c << " (" << lastShot.string() << ")";
        float expected = brightest >= 1.0f ? sum[c] / brightest : sum[c];
        EXPECT_NEAR(seen[c] / plain[c], expected, 0.06)
            << "channel " << c << ": the lit ground at " << seen[c] << " of " << plain[c] << " (" << lightedShot << ", "
            << lastShot.string() << ")";
    }
}
