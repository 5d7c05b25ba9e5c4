// NightLightEndToEndTest -- the shipped world's night seen through the real window: the ground beside the town at midnight keeps enough of its noon light to be read.
#include "OffscreenShots.h"

#include "world/World.h"

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
};

} // namespace

// The moon lights the level beside the town at not much less than half the sun's light: a
// darker night left a new player unable to tell the ground from its creatures.
TEST_F(NightLight, TheLevelBesideTheTownAtMidnightKeepsNearlyHalfItsNoonLight)
{
    StartShippedGame();
    StartBoth();
    Player* host = HostPlayer();
    int32_t beside = -1;
    for (int32_t direction = 0; direction < 8 && beside == -1; ++direction)
        beside = gWorld->GetNeighbourLevel(host->position.level, direction);
    ASSERT_NE(beside, -1) << "a level beside the town";
    host->Warp(gGame->GetStartPosition(beside));
    for (int i = 0; i < 400 && Local()->GetPosition().level != beside; ++i)
        Frame();
    ASSERT_EQ(Local()->GetPosition().level, beside);

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
