// LifestoneEndToEndTest -- the shipped game offscreen, driven by SDL clicks: a rival covenant's lifestone is struck until it falls and its covenant is out of the game, and the player's own stone is used, not struck.
#include "app/OffscreenShots.h"

#include "client/ClientApp.h"
#include "client/EntityClient.h"
#include "client/GameClient.h"
#include "client/PlayerClient.h"
#include "covenants/Covenant.h"
#include "entities/Player.h"
#include "server/Game.h"

#include <algorithm>
#include <cstdlib>

namespace {

// The player's interaction modes a click on a stone enters: a strike, and the use of an object.
constexpr int32_t kAttackMode = 2;
constexpr int32_t kUseMode = 19;

class LifestoneEndToEnd : public OffscreenShotGame {
protected:
    void SetUp() override
    {
        if (!std::getenv("EMBERLODE_GAME_DIR"))
            GTEST_SKIP() << "EMBERLODE_GAME_DIR not set";
        StartShippedGame();
    }

    void TearDown() override { KeepFailedFrame("LifestoneEndToEnd"); }

    // The host's player warped a step from the stone, until the client stands there too; the
    // stone's mirror, once the client shows it.
    EntityClient* StandBeside(const Entity& stone)
    {
        WorldPos spot = stone.position.Offset(Vector2{-60.0f, 0.0f});
        HostPlayer()->Warp(spot);
        FramesUntil([&spot] { return Local() && Local()->GetPosition().Distance2D(spot) < 40.0f; }, 60);
        Frames(4);
        return MirrorOf(stone);
    }

    // Clicks on the stone, a short fight's worth of frames apart, until the test holds.
    template <typename Done>
    bool StrikeUntil(const Entity& stone, Done done)
    {
        for (int32_t round = 0; round < 400 && !done(); ++round) {
            const EntityClient* shown = gGameClient->GetEntity(stone.entityNumber);
            if (!shown)
                return false;
            ClickOn(*shown);
            Frames(8);
            HostPlayer()->health = HostPlayer()->maxHealth;
        }
        return done();
    }
};

// The covenants are won by felling their stones: a click on a rival's stone is a blow, its
// health falls blow by blow, and when it is gone its covenant is eliminated. The player's own
// stone, clicked, is used (it heals its covenant's people), never struck.
TEST_F(LifestoneEndToEnd, ARivalsStoneIsStruckUntilItsCovenantFallsAndTheOwnStoneIsUsed)
{
    EnterTheWorld();
    ASSERT_NE(HostPlayer(), nullptr);
    Covenant* rival = gGame->GetCovenant(0);
    ASSERT_TRUE(rival && !rival->IsPlayerCovenant()) << "a rival covenant comes first";
    auto* stone = const_cast<Entity*>(rival->GetHomeEntity());
    ASSERT_NE(stone, nullptr) << "the rival has its stone in town";
    EntityClient* shown = StandBeside(*stone);
    ASSERT_NE(shown, nullptr) << "the client shows the rival's stone";

    int32_t full = stone->health;
    ClickOn(*shown);
    Frames(2);
    EXPECT_EQ(Local()->interactionMode, kAttackMode) << "a click on a rival's stone strikes it";
    EXPECT_TRUE(StrikeUntil(*stone, [stone, full] { return stone->health < full; })) << "the blows wear it down";

    // The last blows: the stone is near its end, as a long siege leaves it.
    stone->health = std::min(stone->health, 3);
    EXPECT_TRUE(StrikeUntil(*stone, [rival] { return rival->eliminated; })) << "its fall ends the covenant";

    PlayerCovenant* own = HostCovenant();
    ASSERT_NE(own, nullptr);
    auto* home = const_cast<Entity*>(own->GetHomeEntity());
    ASSERT_NE(home, nullptr);
    EntityClient* mine = StandBeside(*home);
    ASSERT_NE(mine, nullptr);
    int32_t before = home->health;
    ClickOn(*mine);
    Frames(2);
    EXPECT_EQ(Local()->interactionMode, kUseMode) << "the own stone is used";
    Frames(10);
    EXPECT_GE(home->health, before) << "and never struck";
}

} // namespace
