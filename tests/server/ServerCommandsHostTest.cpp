// ServerCommandsHostTest -- the server commands as the world host runs them: a client's lines reach them through the datagram queue with that client's own player.
#include "server/WorldHostWorld.h"

#include "server/ServerCommands.h"

#include <string>

namespace {

class ServerCommandsHost : public WorldHostWorld {
protected:
    ServerCommandsHost() { ServerCommands::Register(host->GetClientCommands()); }

    static std::string ConfirmLine(const WorldPos& where, float dx)
    {
        return "WarpConfirm " + std::to_string(where.level) + " " + std::to_string(where.x + dx) + " " +
               std::to_string(where.y);
    }
};

TEST_F(ServerCommandsHost, AClientsLinesRunWithItsOwnPlayer)
{
    StartWorld();
    TestClient first(6201);
    TestClient second(6202);
    Player* one = Join(first, "Ada");
    Player* two = Join(second, "Bo");
    ASSERT_NE(one, nullptr);
    ASSERT_NE(two, nullptr);
    // Both warped where they stand; the client's own place lies elsewhere until it confirms.
    one->moveTarget = one->position;
    two->moveTarget = two->position;
    one->moveTargetValid = true;
    two->moveTargetValid = true;
    WorldPos elsewhere = two->position;
    elsewhere.x += 100.0f;
    SendUpdate(second, UpdateAt(elsewhere, {ConfirmLine(two->position, 0.6f)}));
    Frame(0);
    EXPECT_TRUE(two->moveTargetValid);
    SendUpdate(second, UpdateAt(elsewhere, {ConfirmLine(two->position, 0.4f)}));
    Frame(0);
    EXPECT_FALSE(two->moveTargetValid);
    EXPECT_TRUE(one->moveTargetValid);
}

TEST_F(ServerCommandsHost, RefusedLinesOfAClientChangeNothing)
{
    StartWorld();
    TestClient client(6203);
    Player* player = Join(client);
    ASSERT_NE(player, nullptr);
    player->moveTargetValid = true;
    SendUpdate(client, UpdateAt(player->position,
                                {"WarpConfirm 0 nan 0", "WarpConfirm -1 0 0", "WarpConfirm 0 1", "useSkill 0 0 -1 0 inf 0",
                                 "offer 0 0 0 1 -5", "declineQuest 6", "confirmWin now"}));
    Frame(0);
    EXPECT_TRUE(player->moveTargetValid);
    EXPECT_FALSE(game->IsGameOver());
    EXPECT_EQ(game->GetTradeOffer().entries.size(), 0u);
}

} // namespace
