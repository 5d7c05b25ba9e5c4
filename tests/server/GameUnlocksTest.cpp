// GameUnlocksTest -- the game's unlock list: a player's unlocks once each, in order, announced by the win, gone with a reset.
#include "entities/Player.h"
#include "server/GameWorld.h"

#include <string>
#include <vector>

namespace {

class GameUnlocks : public GameWorld {};

} // namespace

TEST_F(GameUnlocks, EachNameIsListedOnceInOrderUntilTheReset)
{
    game->AddUnlock("ClassSeer");
    game->AddUnlock("AreaDeep");
    game->AddUnlock("ClassSeer");
    game->AddUnlock("");
    EXPECT_EQ(game->GetUnlocks(), (std::vector<std::string>{"ClassSeer", "AreaDeep"}));
    game->Reset();
    EXPECT_TRUE(game->GetUnlocks().empty());
}

TEST_F(GameUnlocks, APlayersUnlockReachesTheGamesList)
{
    auto* player = new Player();
    ASSERT_NE(game->AddEntity(player), -1);
    player->Unlock("ClassSeer");
    EXPECT_EQ(game->GetUnlocks(), std::vector<std::string>{"ClassSeer"});
}
