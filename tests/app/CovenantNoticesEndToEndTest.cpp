// CovenantNoticesEndToEndTest -- the shipped game in an offscreen window: the covenant cards' rank and tax lines drawn, the in-game alarm when the world host has a rival raid the player's covenant, the notice of a rival's offer that a click turns into the relations screen's answer page, and the story screens of the new-character screen and of the game, all driven by SDL input.
#include "app/OffscreenShots.h"

#include "client/ClientApp.h"
#include "client/GameClient.h"
#include "client/PlayerCovenantClient.h"
#include "covenants/PlayerCovenant.h"
#include "covenants/TradeOffer.h"
#include "rules/RulesEnums.h"
#include "server/Game.h"
#include "server/WorldHost.h"
#include "ui/UISystem.h"
#include "ui/widgets/UIRelationsMenu.h"
#include "ui/widgets/UIText.h"

#include <array>
#include <cmath>
#include <cstdlib>

namespace {

class CovenantShots : public OffscreenShotGame {
protected:
    void SetUp() override
    {
        if (!std::getenv("EMBERLODE_GAME_DIR"))
            GTEST_SKIP() << "EMBERLODE_GAME_DIR not set";
        StartShippedGame();
    }

    static bool Light(const std::array<int, 3>& p) { return std::min({p[0], p[1], p[2]}) > 170; }
    static bool Reddish(const std::array<int, 3>& p) { return p[0] > 150 && p[0] > p[1] + 70 && p[0] > p[2] + 70; }
    static bool Yellowish(const std::array<int, 3>& p) { return p[0] > 150 && p[1] > 120 && p[2] < p[1] - 60; }
};

class RelationsMenuCardsEndToEnd : public CovenantShots {
protected:
    void TearDown() override { KeepFailedFrame("RelationsMenuCardsEndToEnd"); }

    static UIRelationsMenu* Relations()
    {
        return dynamic_cast<UIRelationsMenu*>(gUISystem->FindMenu("CovenantRelations"));
    }

    // Light pixels of the three lines right of covenant i's card.
    static int CardLinePixels(const TargaImage& image, int32_t i)
    {
        const UIMenu& card = *Relations()->covenantCards[static_cast<size_t>(i)].card;
        int x = static_cast<int>(std::lround(card.position[0])) + 66;
        int y = static_cast<int>(std::lround(card.position[1]));
        return CountPixels(image, x, y, x + 50, y + 45, Light);
    }

    // The covenant alarm and the offer notice over the covenants' button.
    static int AlarmPixels(const TargaImage& image) { return CountPixels(image, 420, 356, 632, 376, Reddish); }
    static int OfferPixels(const TargaImage& image) { return CountPixels(image, 420, 378, 632, 398, Yellowish); }
};

class StoryScreensEndToEnd : public CovenantShots {
protected:
    void TearDown() override { KeepFailedFrame("StoryScreensEndToEnd"); }

    // Light pixels of a story window's text, which stands at (124, 100) to (516, 370).
    static int StoryTextPixels(const TargaImage& image) { return CountPixels(image, 124, 100, 516, 370, Light); }
};

} // namespace

TEST_F(RelationsMenuCardsEndToEnd, CardsTellTheirRanksAndTheHostsRaidAndOfferRaiseTheNotices)
{
    EnterTheWorld();
    ASSERT_TRUE(gClientApp->IsActive());
    int32_t count = gGameClient->GetCovenantCount();
    ASSERT_GE(count, 3) << "a new game has rival covenants";
    int32_t own = gClientApp->GetLocalPlayer()->GetCovenant()->index;
    int32_t rival = own == 1 ? 2 : 1;

    // Every card's influence, power and tax lines are written beside it.
    Tap(SDL_SCANCODE_R);
    ASSERT_TRUE(Relations() && Relations()->IsShown());
    Frames(2);
    TargaImage cards = Screenshot();
    for (int32_t i = 0; i < count; ++i)
        EXPECT_GT(CardLinePixels(cards, i), 30) << i;
    ClickAt(574, 451);
    ASSERT_FALSE(Relations()->IsShown());

    TargaImage calm = Screenshot();
    EXPECT_LT(AlarmPixels(calm), 5);
    EXPECT_LT(OfferPixels(calm), 5);

    // The host: a rival raids the player's covenant, then puts an offer to it.
    auto* covenant = dynamic_cast<PlayerCovenant*>(gGame->GetCovenant(own));
    Covenant* raider = gGame->GetCovenant(rival);
    ASSERT_TRUE(covenant && raider);
    raider->targetCovenant = own;
    covenant->SetTreatyState(rival, CovenantTreaty::Raid);
    Frames(4);
    TargaImage raided = Screenshot();
    EXPECT_GT(AlarmPixels(raided), 40);

    TradeOffer offer;
    offer.type = TradeOfferType::Gift;
    offer.entries.push_back(TradeOfferEntry{0, TradeOfferKind::CovenantMoney, 5});
    covenant->ReceiveOffer(*raider, offer);
    Frames(4);
    TargaImage offered = Screenshot();
    EXPECT_GT(OfferPixels(offered), 40);

    // A click on the notice opens the relations screen on the rival's offer.
    ClickAt(560, 388);
    Frames(2);
    ASSERT_TRUE(Relations()->IsShown());
    EXPECT_EQ(Relations()->GetCurrentPage(), gUISystem->FindMenu("RelationsTradeRequest"));
    EXPECT_EQ(Relations()->selectedCovenant, rival);
}

TEST_F(StoryScreensEndToEnd, TheNewCharacterScreenAndTheGameShowTheirStories)
{
    // Before a game: the chosen class's story, then the world's.
    ClickAt(320, 196);
    ASSERT_TRUE(Shown("NewCharacter"));
    TargaImage before = Screenshot();
    ClickAt(530, 300);
    ASSERT_TRUE(Shown("StoryCharacter"));
    Frames(1);
    TargaImage classStory = Screenshot();
    EXPECT_GT(StoryTextPixels(classStory), StoryTextPixels(before) + 200);
    ClickAt(320, 398);
    EXPECT_FALSE(Shown("StoryCharacter"));
    ClickAt(470, 133);
    ASSERT_TRUE(Shown("Story"));
    Frames(1);
    EXPECT_GT(StoryTextPixels(Screenshot()), StoryTextPixels(before) + 200);
    ClickAt(320, 398);
    EXPECT_FALSE(Shown("Story"));

    // In the game: H shows the world's story and hides it again.
    ClickAt(330, 133);
    Tap(SDL_SCANCODE_A);
    ClickAt(440, 408);
    for (int i = 0; i < 60 && !(HostPlayer() && gClientApp->IsActive()); ++i)
        Frames(1);
    Frames(10);
    ASSERT_TRUE(gClientApp->IsActive());
    ASSERT_FALSE(Shown("Story"));
    Tap(SDL_SCANCODE_H);
    ASSERT_TRUE(Shown("Story"));
    Frames(1);
    auto* body = dynamic_cast<UIText*>(gUISystem->FindWidgetByPath("Story::Body"));
    ASSERT_NE(body, nullptr);
    EXPECT_GT(body->lines.size(), 5u) << "the world's story is loaded and wrapped";
    EXPECT_GT(StoryTextPixels(Screenshot()), 1500);
    Tap(SDL_SCANCODE_H);
    EXPECT_FALSE(Shown("Story")) << "the key hides it again";

    // The character sheet's Story button: the player's own story.
    Tap(SDL_SCANCODE_C);
    ASSERT_TRUE(Shown("Character"));
    ClickAt(16 + 94 + 42, 4 + 428 + 12);
    ASSERT_TRUE(Shown("StoryCharacter"));
    Frames(1);
    auto* own = dynamic_cast<UIText*>(gUISystem->FindWidgetByPath("StoryCharacter::Body"));
    ASSERT_NE(own, nullptr);
    EXPECT_TRUE(own->IsVisible());
    EXPECT_GT(own->lines.size(), 5u);
    EXPECT_GT(StoryTextPixels(Screenshot()), 1500);
}
