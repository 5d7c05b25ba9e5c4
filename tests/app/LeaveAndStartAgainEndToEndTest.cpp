// LeaveAndStartAgainEndToEndTest -- the shipped game left from its game menu and a new game started from the title at once: the new game starts from nothing of the one left (its first-update steps run again, no message, mirror or queued request of the old crosses over), and the new character's covenant field starts empty so that the name typed is the whole name.
#include "app/OffscreenShots.h"
#include "client/ClientApp.h"
#include "client/GameClient.h"
#include "core/DebugSystem.h"
#include "core/UserVarSystem.h"
#include "covenants/PlayerCovenant.h"
#include "entities/GameServices.h"
#include "render/TextEvents.h"
#include "support/LogLines.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

class LeaveAndStartAgain : public OffscreenShotGame {
protected:
    void SetUp() override
    {
        if (!std::getenv("EMBERLODE_GAME_DIR"))
            GTEST_SKIP() << "EMBERLODE_GAME_DIR not set";
        StartShippedGame();
    }
    void TearDown() override { KeepFailedFrame("LeaveAndStartAgain"); }

    // A press and release of the left button at a point, the line queued for the host between
    // the pointer's arrival and the press: the press that leaves the game comes in the same
    // frame as the request, before the frame's update could carry it off.
    void ClickWithRequestQueued(int32_t x, int32_t y, const std::string& line)
    {
        PushMotion(x, y);
        app.RunFrame();
        Client::QueueServerCommand(line);
        for (bool down : {true, false}) {
            SDL_Event button{};
            button.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
            button.button.button = SDL_BUTTON_LEFT;
            button.button.x = x;
            button.button.y = y;
            ASSERT_EQ(SDL_PushEvent(&button), 1);
            app.RunFrame();
        }
    }

    static bool HoldsText(const std::string& text)
    {
        for (const TextEvents::Record& record : gTextEvents->GetRecords())
            if (record.text.find(text) != std::string::npos)
                return true;
        return false;
    }

    static std::string Var(const char* name) { return gUserVarSystem->GetStringByName(name); }
};

TEST_F(LeaveAndStartAgain, ANewGameStartedAtOnceAfterSaveAndExitSeesNothingOfTheOneLeft)
{
    EnterTheWorld("Ashguard");
    ASSERT_NE(HostPlayer(), nullptr);
    ASSERT_TRUE(gGameClient->IsStarted());
    ASSERT_TRUE(Shown("WelcomeButton")) << "the game's first update offered the first help topic";
    ASSERT_GT(gGameClient->GetCovenantCount(), 0);
    // The host has words for the player: a line for the message log and a notice.
    gGameServices->SendMessage("Ashguard hears its last news", 0);
    gGameServices->SendMessage("Ashguard's last notice", 6);
    Frames(3);
    ASSERT_TRUE(HoldsText("Ashguard hears its last news"));

    // Save and exit from the game menu, a request for the host still waiting in its frame.
    Tap(SDL_SCANCODE_ESCAPE);
    ASSERT_TRUE(Shown("GameMenu"));
    ClickAt(320, 238);
    ASSERT_TRUE(Shown("ConfirmSaveExit"));
    ClickWithRequestQueued(250, 275, "lastGamesRequest");
    ASSERT_TRUE(Shown("Main"));
    ASSERT_FALSE(gClientApp->IsActive());
    EXPECT_TRUE(gClientApp->GetQueuedLines().empty()) << "the ended game's request waits for the next host";
    EXPECT_FALSE(gGameClient->IsStarted());
    EXPECT_EQ(gGameClient->GetCovenantCount(), 0);
    EXPECT_EQ(gGameClient->GetCovenant(0, false), nullptr) << "the ended game's covenants are still mirrored";
    EXPECT_FALSE(HoldsText("Ashguard")) << "the ended game's messages wait for the next game";
    EXPECT_EQ(gTextEvents->GetLogTotal(), 0);

    // At once a new game: the covenant's field starts empty, so the name typed is the name.
    ClickAt(320, 196);
    ASSERT_TRUE(Shown("NewCharacter"));
    EXPECT_EQ(Var("CovenantName"), "");
    ClickAt(330, 133);
    TypeKeys("Emberhold");
    EXPECT_EQ(Var("CovenantName"), "Emberhold");
    ClickAt(440, 408);
    ASSERT_TRUE(WaitForTheGame()) << "the new game was joined";
    ASSERT_TRUE(Shown("InGame"));
    EXPECT_EQ(HostCovenant() ? HostCovenant()->name : std::string(), "Emberhold");
    EXPECT_TRUE(gGameClient->IsStarted());
    EXPECT_TRUE(Shown("WelcomeButton")) << "the new game's first update ran the start steps again";
    EXPECT_FALSE(HoldsText("Ashguard"));
    EXPECT_EQ(CountLinesHolding(*gDebugSystem, "lastGamesRequest"), 0) << "the new host ran the old game's request";
}

} // namespace
