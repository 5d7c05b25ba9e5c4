// GameTuningTest -- the game's tuning from "GameSystem": the covenants' home positions and how they are handed out.
#include "server/GameWorld.h"

#include "support/LogLines.h"

#include <set>
#include <utility>

namespace {

class GameTuning : public EntityRulesWorld {
protected:
    GameTuning() : row(3) {}

    ~GameTuning() override
    {
        gGame = nullptr;
        gGameServices = nullptr;
    }

    void MakeGame(const std::string& gameSystemLines)
    {
        LoadGameSystem(gameSystemLines);
        game = std::make_unique<ScriptedGame>();
        gGame = game.get();
        gGameServices = game.get();
    }

    RowWorld row;
    std::unique_ptr<ScriptedGame> game;
};

std::pair<float, float> Coordinates(const WorldPos& position)
{
    EXPECT_EQ(position.level, 0);
    return {position.x, position.y};
}

} // namespace

TEST_F(GameTuning, EveryPositionIsHandedOutOnceAndAMissingNumberIsZero)
{
    MakeGame("LevelTileWidth 10\nLevelTileHeight 20\nTileSize 8\n"
             "CovenantPosition \"0.25 0.5\"\nCovenantPosition \"0.3\"\nCovenantPosition \"0.75 0.125 9\"\n"
             "CovenantPosition \"\"");
    ASSERT_EQ(game->CountFreeCovenantPositions(), 4);
    std::set<std::pair<float, float>> taken;
    for (int32_t i = 0; i < 4; ++i)
        taken.insert(Coordinates(game->TakeCovenantPosition()));
    std::set<std::pair<float, float>> expected = {{20.0f, 80.0f}, {24.0f, 0.0f}, {60.0f, 20.0f}, {0.0f, 0.0f}};
    EXPECT_EQ(taken, expected);
    EXPECT_EQ(game->CountFreeCovenantPositions(), 0);
}

TEST_F(GameTuning, DrawsFollowTheSeededStreamAndDifferBetweenSeeds)
{
    std::string lines;
    for (int32_t i = 0; i < 8; ++i)
        lines += "CovenantPosition \"0." + std::to_string(i + 1) + " 0\"\n";
    MakeGame(lines);
    std::vector<float> first;
    for (int32_t i = 0; i < 8; ++i)
        first.push_back(game->TakeCovenantPosition().x);
    game.reset();
    random.Seed(0x5eed);
    MakeGame(lines);
    std::vector<float> again;
    for (int32_t i = 0; i < 8; ++i)
        again.push_back(game->TakeCovenantPosition().x);
    EXPECT_EQ(first, again);
    std::set<float> distinct(first.begin(), first.end());
    EXPECT_EQ(distinct.size(), 8u);
}

TEST_F(GameTuning, WithNoneFreeTheTownCentreIsGivenAndLogged)
{
    MakeGame("LevelTileWidth 10\nLevelTileHeight 20\nTileSize 8\nCovenantPosition \"0.5 0.5\"\nTownCenter \"5 10\"");
    game->TakeCovenantPosition();
    EXPECT_EQ(CountLinesHolding(debug, "No covenant position is free"), 0);
    WorldPos middle = game->TakeCovenantPosition();
    EXPECT_EQ(Coordinates(middle), std::make_pair(40.0f, 80.0f));
    EXPECT_EQ(CountLinesHolding(debug, "No covenant position is free"), 1);
    EXPECT_EQ(game->CountFreeCovenantPositions(), 0);
}

TEST_F(GameTuning, WithoutTheRecordNoPositionIsFree)
{
    Load({{"rules.dbr", "Other\n{\n}\n"}});
    gameData.Load(database);
    game = std::make_unique<ScriptedGame>();
    EXPECT_EQ(game->CountFreeCovenantPositions(), 0);
}
