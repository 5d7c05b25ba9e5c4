// ClientEndToEndTest -- the shipped game in an offscreen window on a test clock: "start both" typed in the console makes a world that the client joins, a left click pushed through SDL walks the world host's player, and "exitWithoutSave" ends the client.
#include "app/OffscreenShots.h"
#include "client/ClientApp.h"
#include "client/PlayerClient.h"
#include "client/ScreenConversion.h"
#include "core/DebugSystem.h"
#include "core/system/GraphicsSystem.h"
#include "entities/Player.h"
#include "server/Game.h"
#include "server/WorldHost.h"
#include "world/World.h"

#include <gtest/gtest.h>

namespace {

class ClientEndToEnd : public OffscreenShotGame {
protected:
    // A screen point off the centre whose ground is open, nothing standing on it to pick.
    bool FindOpenGround(int32_t& uiX, int32_t& uiY) const
    {
        for (int32_t dx : {90, -90, 60, -60, 120, -120})
            for (int32_t dy : {40, -40, 0, 70, -70}) {
                WorldPos ground = Client::ScreenToWorld(320 + dx, 240 + dy, true);
                if (!gWorld->IsBlockedNear(ground, 40.0f) &&
                    !Client::PickEntityAt(320 + dx, 240 + dy, gClientApp->GetLocalPlayer())) {
                    uiX = 320 + dx;
                    uiY = 240 + dy;
                    return true;
                }
            }
        return false;
    }
};

TEST_F(ClientEndToEnd, StartBothJoinsAClientWhoseClickWalksTheHostsPlayerAndExitEndsIt)
{
    if (!std::getenv("EMBERLODE_GAME_DIR"))
        GTEST_SKIP() << "EMBERLODE_GAME_DIR not set";
    ASSERT_TRUE(app.StartUp());
    Frame();
    Tap(SDL_SCANCODE_GRAVE);
    ASSERT_TRUE(gDebugSystem->GetConsole().IsShown());
    TypeLine("start both");
    ASSERT_NE(gClientApp->GetLocalPlayer(), nullptr) << "start made no player";
    for (int i = 0; i < 40 && !(gClientApp->IsActive() && gClientApp->GetLocalPlayer()->GetBody()); ++i)
        Frame();

    // The world host holds one client, whose player stands in its game's table; the client's body
    // mirrors it.
    ASSERT_TRUE(gWorldHost->IsActive());
    Player* hostPlayer = HostPlayer();
    ASSERT_NE(hostPlayer, nullptr);
    EXPECT_EQ(gGame->GetEntity(hostPlayer->entityNumber), hostPlayer);
    ASSERT_TRUE(gClientApp->IsActive());
    PlayerClient* player = gClientApp->GetLocalPlayer();
    ASSERT_NE(player->GetBody(), nullptr);
    EXPECT_EQ(player->GetEntityNumber(), hostPlayer->entityNumber);
    EXPECT_EQ(player->characterName, hostPlayer->playerName);
    EXPECT_FALSE(gClientApp->IsPaused());
    // The client stands where the host placed the new character, and the host keeps it there.
    WorldPos placed = player->GetBody()->position;
    for (int i = 0; i < 4; ++i)
        Frame();
    EXPECT_LT(player->GetPosition().Distance2D(placed), 1.0f);
    EXPECT_LT(hostPlayer->position.Distance2D(placed), 1.0f);

    // The console closed, a left click off the centre walks the host's player toward the point.
    Tap(SDL_SCANCODE_GRAVE);
    ASSERT_FALSE(gDebugSystem->GetConsole().IsShown());
    int32_t uiX = 0;
    int32_t uiY = 0;
    ASSERT_TRUE(FindOpenGround(uiX, uiY));
    WorldPos goal = Client::ScreenToWorld(uiX, uiY, true);
    WorldPos start = hostPlayer->position;
    float before = start.Distance2D(goal);
    PushMouse(SDL_MOUSEMOTION, uiX, uiY);
    Frame();
    PushMouse(SDL_MOUSEBUTTONDOWN, uiX, uiY);
    Frame();
    PushMouse(SDL_MOUSEBUTTONUP, uiX, uiY);
    bool walked = false;
    for (int i = 0; i < 40 && !walked; ++i) {
        Frame();
        walked = hostPlayer->position.Distance2D(goal) < before - 10.0f;
    }
    EXPECT_TRUE(walked) << "from " << start.level << ":" << start.x << "," << start.y << " toward " << goal.level
                        << ":" << goal.x << "," << goal.y << " now at " << hostPlayer->position.x << ","
                        << hostPlayer->position.y;

    // A second "start" during the game says so and changes nothing.
    Tap(SDL_SCANCODE_GRAVE);
    TypeLine("start both");
    EXPECT_EQ(gClientApp->GetLocalPlayer(), player);
    EXPECT_EQ(HostPlayer(), hostPlayer);
    gDebugSystem->Flush();
    EXPECT_NE(folder.Read("User/log.txt").find("A game is already in progress"), std::string::npos);

    // "exitWithoutSave" ends the client's game.
    TypeLine("exitWithoutSave");
    EXPECT_FALSE(gClientApp->IsActive());
    EXPECT_FALSE(gClientApp->IsConnected());
    EXPECT_EQ(gClientApp->GetLink(), nullptr);
}

} // namespace
