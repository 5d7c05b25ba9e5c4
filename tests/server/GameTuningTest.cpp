// GameTuningTest -- the game's tuning from "GameSystem": the covenants' home positions and how they are handed out, and what a death owes and leaves in its soul stone.
#include "server/GameWorld.h"

#include "entities/CombatSystem.h"
#include "entities/Player.h"
#include "entities/SoulStone.h"
#include "rules/RulesEnums.h"
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

    void MakeGame(const std::string& gameSystemLines, const std::string& moreRecords = "")
    {
        Load({{"rules.dbr", "GameSystem\n{\n" + gameSystemLines + "\n}\n" + moreRecords}});
        gameData.Load(database);
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

// A death at no one's hands owes "XpDebtPerDeath" of the level's 200 points and leaves a stone
// holding "SoulStoneXpReduction" of that debt; a share below 0 counts as none, with a word.
TEST_F(GameTuning, ADeathsDebtAndItsStoneFollowTheirShares)
{
    struct Row {
        const char* lines;
        int32_t debt;
        int32_t stone;
        int32_t warnings;
    };
    Player::RegisterEventClass(events, types);
    for (const Row& row : {Row{"XpDebtPerDeath 0.1\nSoulStoneXpReduction 0.5", 20, 10, 0},
                           Row{"XpDebtPerDeath 0.25\nSoulStoneXpReduction 0.5", 50, 25, 0},
                           Row{"XpDebtPerDeath 0.25\nSoulStoneXpReduction 0.3", 50, 15, 0},
                           Row{"XpDebtPerDeath -0.5\nSoulStoneXpReduction -1", 0, 0, 2}, Row{"", 0, 0, 0}}) {
        int32_t warned = CountLinesHolding(debug, "is no share");
        MakeGame(row.lines, "ObjectSoulStone\n{\n    Type Object\n}\n");
        EXPECT_EQ(CountLinesHolding(debug, "is no share") - warned, row.warnings) << row.lines;
        auto* player = new Player();
        ASSERT_NE(game->AddEntity(player), -1);
        player->SetPosition(At(300.0f, 200.0f));
        player->maxHealth = player->health = 10;
        player->stats.Set(CharacterStat::XpNeeded, 200);
        ApplyHit(player, nullptr, 50, Direction::North, false, false, false, false, false, false);
        ASSERT_TRUE(player->IsDead()) << row.lines;
        EXPECT_EQ(player->stats.Get(CharacterStat::XpDebt), row.debt) << row.lines;
        std::vector<const SoulStone*> stones;
        for (int32_t number = 0; number < Game::kMaxEntities; ++number)
            if (const auto* stone = dynamic_cast<const SoulStone*>(game->GetEntity(number)))
                stones.push_back(stone);
        ASSERT_EQ(stones.size(), 1u) << row.lines;
        EXPECT_EQ(stones[0]->GetAmount(), row.stone) << row.lines;
        game->Reset();
    }
}

TEST_F(GameTuning, WithoutTheRecordNoPositionIsFree)
{
    Load({{"rules.dbr", "Other\n{\n}\n"}});
    gameData.Load(database);
    game = std::make_unique<ScriptedGame>();
    EXPECT_EQ(game->CountFreeCovenantPositions(), 0);
}
