// DrawOrderEndToEndTest -- the shipped game offscreen after "start both", read back: what an open window hides and what is drawn over it, and the model tags "showTags" draws over the world.
#include "app/OffscreenShots.h"
#include "client/ClientApp.h"
#include "client/GameClient.h"
#include "client/ScreenConversion.h"
#include "core/Database.h"
#include "entities/Actor.h"
#include "entities/CombatSystem.h"
#include "entities/GameServices.h"
#include "entities/Player.h"
#include "render/TextEvents.h"
#include "resources/models/ModelResource.h"
#include "server/Game.h"
#include "server/WorldHost.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

class DrawOrderEndToEnd : public OffscreenShotGame {
protected:
    void SetUp() override
    {
        if (!std::getenv("EMBERLODE_GAME_DIR"))
            GTEST_SKIP() << "EMBERLODE_GAME_DIR not set";
        StartShippedGame();
        ASSERT_NO_FATAL_FAILURE(StartBoth());
        hostPlayer = HostPlayer();
        ClearTheStage();
        Frames(6);
    }
    void TearDown() override { KeepFailedFrame("DrawOrderEndToEnd"); }

    // The inventory window's left edge.
    static constexpr float kWindowLeft = 348.0f;

    Player* hostPlayer = nullptr;
};

// The inventory window, opened by its key, hides the rising damage text of a monster standing
// under it, as it hides the monster; a refusal the host sends while it is open is drawn over it,
// or the player would not learn why the window's action failed.
TEST_F(DrawOrderEndToEnd, AnOpenWindowHidesTheDamageTextUnderItAndARefusalIsDrawnOverIt)
{
    Actor* monster = AddGoblin(Vector2{150.0f, 0.0f});
    ASSERT_NE(monster, nullptr);
    EntityClient* shown = MirrorOf(*monster);
    ASSERT_NE(shown, nullptr);
    Frames(4);
    // The text rises from above the monster's box; the box lies inside the window's frame.
    ScreenBox box = Client::GetEntityScreenBox(*shown);
    ASSERT_GT(box.x1, kWindowLeft + 10.0f) << "the monster stands where the window opens";
    const int textLeft = static_cast<int>(box.x1) - 10;
    const int textRight = static_cast<int>(box.x2) + 10;
    const int textBottom = static_cast<int>(box.y2);
    const int textTop = textBottom - 60;

    // Window shut: the hit's text shows above the monster.
    TargaImage before = Screenshot();
    ApplyHit(monster, nullptr, 2, 0, false, false, false, false, false, false);
    for (int i = 0; i < 6 && shown->damageTexts.empty(); ++i)
        Frame();
    ASSERT_FALSE(shown->damageTexts.empty());
    TargaImage hit = Screenshot();
    ASSERT_GT(ChangedPixels(before, hit, textLeft, textTop, textRight, textBottom, 60), 15)
        << "no damage text over the monster";
    Frames(60);

    // Window open: a second hit changes nothing the window covers.
    Tap(SDL_SCANCODE_I);
    ASSERT_TRUE(Shown("Inventory"));
    TargaImage open = Screenshot();
    size_t texts = shown->damageTexts.size();
    ApplyHit(monster, nullptr, 2, 0, false, false, false, false, false, false);
    for (int i = 0; i < 6 && shown->damageTexts.size() == texts; ++i)
        Frame();
    ASSERT_GT(shown->damageTexts.size(), texts);
    TargaImage hidden = Screenshot();
    EXPECT_EQ(ChangedPixels(open, hidden, textLeft, textTop, textRight, textBottom, 60), 0)
        << "the damage text shows through the window";

    // A refusal from the host is drawn over the open window, where it was placed clear of its words.
    gGameServices->SendMessage("There is no room left in the bag for that", 5);
    for (int i = 0; i < 6 && !gTextEvents->FindTextEvent(8); ++i)
        Frame();
    const TextEvents::Record* notice = gTextEvents->FindTextEvent(8);
    ASSERT_NE(notice, nullptr);
    Frames(2);
    TargaImage refused = Screenshot();
    int left = static_cast<int>(notice->centred ? notice->x - notice->width / 2.0f : notice->x);
    int top = static_cast<int>(notice->y);
    EXPECT_GT(ChangedPixels(hidden, refused, left, top, left + static_cast<int>(notice->width),
                            top + static_cast<int>(notice->height), 60),
              40)
        << "the refusal is hidden under the window";
}

// The host's message lines gather in the message area at the foot of the screen's left side,
// above the quick-use bar, where they stay clear of the minimap and the middle of the world; an
// open window covers them there, as it covers the world under it.
TEST_F(DrawOrderEndToEnd, TheHostsMessageLinesShowInTheMessageAreaAndAWindowCoversThem)
{
    auto holds = [](const std::string& text) {
        for (const TextEvents::Record& record : gTextEvents->GetRecords())
            if (record.text == text)
                return true;
        return false;
    };
    // The host's line, frames until the client holds it; whether it came.
    auto tell = [&](const std::string& text) {
        gGameServices->SendMessage(text, 0);
        for (int i = 0; i < 6 && !holds(text); ++i)
            Frame();
        return holds(text);
    };
    TargaImage before = Screenshot();
    ASSERT_TRUE(tell("The host has words for the player"));
    TargaImage told = Screenshot();
    EXPECT_GT(ChangedPixels(before, told, 0, 300, 320, 396, 60), 40) << "no message line in the message area";

    // The character sheet covers the message area: a further line changes nothing on the sheet.
    Tap(SDL_SCANCODE_C);
    ASSERT_TRUE(Shown("Character"));
    TargaImage sheet = Screenshot();
    ASSERT_TRUE(tell("More words for the player"));
    TargaImage covered = Screenshot();
    // The lower part of the sheet, where the message area lies under it; the notices in the
    // middle of the screen are drawn over every window and may come and go meanwhile.
    EXPECT_EQ(ChangedPixels(sheet, covered, 20, 290, 285, 400, 60), 0) << "a message line is drawn over the sheet";
}

// "showTags" draws each tag of a model as three short lines, red, green and blue: they are drawn
// over the world's surfaces, the player's own model round its tags included, and go when it is off.
TEST_F(DrawOrderEndToEnd, ShowTagsDrawsTheAxesOfThePlayersTagsOverItsModel)
{
    EntityClient* body = Local()->GetBody();
    const ModelResource* model = EntityClient::GetModelResource(body->model);
    ASSERT_NE(model, nullptr);
    ASSERT_GT(model->GetTagCount(), 0) << "the player's model has tags to show";
    ScreenBox box = Client::GetEntityScreenBox(*body);
    // Pure red, green or blue pixels about the player: the axes' colours, few of the scene's.
    auto axisPixels = [&box](const TargaImage& image) {
        return CountPixels(image, static_cast<int>(box.x1) - 20, static_cast<int>(box.y2) - 20,
                           static_cast<int>(box.x2) + 20, static_cast<int>(box.y1) + 20, [](const auto& p) {
                               for (int c = 0; c < 3; ++c)
                                   if (p[c] > 150 && p[(c + 1) % 3] < 80 && p[(c + 2) % 3] < 80)
                                       return true;
                               return false;
                           });
    };
    TargaImage plain = Screenshot();
    TypeOnConsole("setUserVar showTags 1");
    TargaImage tagged = Screenshot();
    TypeOnConsole("setUserVar showTags 0");
    TargaImage off = Screenshot();
    EXPECT_GT(axisPixels(tagged), axisPixels(plain) + 10) << "no tag axes over the model";
    EXPECT_LT(axisPixels(off), axisPixels(plain) + 4) << "the axes stay after showTags is off";
}

} // namespace
