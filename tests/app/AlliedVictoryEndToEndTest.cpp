// AlliedVictoryEndToEndTest -- the shipped game offscreen, host and client in one process: the allied victory the host offers reaches the client's menu and is taken with a click, and a fallen covenant sees the loss screen, never the offer.
#include "app/OffscreenShots.h"

#include "client/GameClient.h"
#include "covenants/Covenant.h"
#include "entities/Chest.h"
#include "rules/RulesEnums.h"
#include "server/Game.h"

#include <filesystem>
#include <string>
#include <vector>

namespace {

// The Accept button of the shipped "AlliedVictory" menu, in the middle.
constexpr int32_t kAcceptX = 240;
constexpr int32_t kAcceptY = 282;

class AlliedVictoryEndToEnd : public OffscreenShotGame {
protected:
    void SetUp() override
    {
        if (!std::getenv("EMBERLODE_GAME_DIR"))
            GTEST_SKIP() << "EMBERLODE_GAME_DIR not set";
        ASSERT_NO_FATAL_FAILURE(StartInANewWorld());
        own = HostCovenant();
        ASSERT_NE(own, nullptr);
        for (int32_t i = 0; i < gGame->GetCovenantCount(); ++i) {
            Covenant* covenant = gGame->GetCovenant(i);
            if (covenant && covenant != own && !covenant->eliminated)
                rivals.push_back(covenant);
        }
        ASSERT_FALSE(rivals.empty()) << "the shipped world has rivals";
    }

    void TearDown() override { KeepFailedFrame("AlliedVictoryEndToEnd"); }

    // Worlds saved in the user's folder so far.
    int32_t CountSavedWorlds() const
    {
        int32_t count = 0;
        std::filesystem::path chars = folder.Path() / "User" / "chars";
        if (std::filesystem::exists(chars))
            for (const auto& file : std::filesystem::directory_iterator(chars))
                count += file.path().extension() == ".wld" ? 1 : 0;
        return count;
    }

    // The host's chests made from the record.
    static int32_t CountChests(const char* record)
    {
        int32_t count = 0;
        for (int32_t number = 0; number < 1500; ++number) {
            auto* chest = dynamic_cast<Chest*>(gGame->GetEntity(number));
            count += chest && chest->GetNetRecord() && chest->GetNetRecord()->GetName() == record ? 1 : 0;
        }
        return count;
    }

    PlayerCovenant* own = nullptr;
    std::vector<Covenant*> rivals;
};

// Every rival allied with the player's covenant: the host offers the allied victory, the client
// saves the running game and shows the offer, and a click on Accept wins the world with the
// medium reward, once.
TEST_F(AlliedVictoryEndToEnd, EveryRivalAlliedOffersTheVictoryAndAcceptWinsTheMediumReward)
{
    EXPECT_FALSE(Shown("AlliedVictory"));
    int32_t savedBefore = CountSavedWorlds();
    for (Covenant* rival : rivals)
        gGame->AnnounceDiplomacy(rival->index, own->index, CovenantTreaty::Alliance, true);
    FramesUntil([] { return Shown("AlliedVictory"); }, 20);
    ASSERT_TRUE(Shown("AlliedVictory")) << "the client shows the host's offer";
    EXPECT_TRUE(gGame->IsAlliedVictoryPending());
    EXPECT_GT(CountSavedWorlds(), savedBefore) << "the running game is saved before the offer";

    ClickAt(kAcceptX, kAcceptY);
    FramesUntil([] { return gGame->IsGameOver() && gGameClient->gameOverShown; }, 40);
    EXPECT_TRUE(gGame->IsGameOver());
    EXPECT_TRUE(gGameClient->gameOverShown) << "the client took the win";
    EXPECT_FALSE(Shown("AlliedVictory"));
    EXPECT_FALSE(Shown("LoseGame"));
    Frames(20);
    EXPECT_EQ(own->worldResults.Get(Covenant::kWorldsWonAllied), 1);
    EXPECT_EQ(own->worldResults.Get(Covenant::kWorldsWon), 0);
    EXPECT_EQ(CountChests("ChestRewardMedium"), 1);
    EXPECT_EQ(CountChests("ChestRewardLarge"), 0);
    EXPECT_FALSE(gGameClient->alliedVictoryShown) << "the host took its offer back";
}

// The player's covenant falls: the client shows the loss, and at no frame the allied-victory
// offer (nor saves the lost game as the offer would).
TEST_F(AlliedVictoryEndToEnd, AFallenCovenantSeesTheLossAndNeverTheOffer)
{
    bool offered = false;
    auto watch = [this, &offered](int32_t frames) {
        for (int32_t i = 0; i < frames; ++i) {
            Frame();
            offered = offered || Shown("AlliedVictory") || gGameClient->alliedVictoryShown;
        }
    };
    watch(10);
    ASSERT_FALSE(gGame->IsAlliedVictoryPending()) << "no rival is an ally yet";
    int32_t savedBefore = CountSavedWorlds();
    own->Eliminate(nullptr, true, true);
    for (int32_t i = 0; i < 40 && !Shown("LoseGame"); ++i)
        watch(1);
    EXPECT_TRUE(Shown("LoseGame"));
    watch(20);
    EXPECT_TRUE(gGame->IsGameOver());
    EXPECT_FALSE(gGame->IsAlliedVictoryPending());
    EXPECT_FALSE(offered) << "a loss is no allied victory";
    EXPECT_EQ(CountSavedWorlds(), savedBefore);
    EXPECT_EQ(own->worldResults.Get(Covenant::kWorldsLost), 1);
    EXPECT_EQ(own->worldResults.Get(Covenant::kWorldsWonAllied), 0);
}

} // namespace
