// GameEndingTest -- the end of a world: the win test by its flags, the victory with every covenant ended and the reward chest placed, a refused chest let go, and the confirmation lines.
#include "server/GameWorld.h"

#include "core/CommandSystem.h"
#include "entities/Chest.h"
#include "entities/Player.h"
#include "server/ServerCommands.h"
#include "server/SpyCovenant.h"

#include <algorithm>
#include <cctype>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace {

constexpr const char* kGameEndingRecords = R"(
ClassWanderer
{
    Type Class
}
ChestRewardLarge
{
    Type Object
    ObjectType Chest
    Radius 20
    MinItems 4
    MaxItems 6
}
ChestRewardMedium
{
    Type Object
    ObjectType Chest
    Radius 20
    MinItems 2
    MaxItems 4
}
)";

// The victory check of the step, set by the test.
class EndingGame : public ScriptedGame {
public:
    using Game::SetVictoryPending;
};

// Writes when the game ends it.
class EndingCovenant : public SpyCovenant {
public:
    explicit EndingCovenant(std::vector<std::string>* ended) : ended(ended) {}
    void EndWorld(int32_t, int32_t, int32_t) override { ended->push_back("end " + std::to_string(index)); }

private:
    std::vector<std::string>* ended;
};

class GameEnding : public EntityRulesWorld {
protected:
    GameEnding() : row(3) { Player::RegisterEventClass(events, types); }

    ~GameEnding() override
    {
        if (game)
            game->Reset();
        gGame = nullptr;
        gGameServices = nullptr;
    }

    // The player's covenant (the first) in alliance with both rivals.
    void AllyEveryRival()
    {
        for (size_t rival : {1u, 2u})
            list[0]->SetTreaty(list[rival]->index, CovenantTreaty::Alliance, TimeStamp());
    }
    void MakeGame(const std::string& gameSystemLines)
    {
        LoadRecords("GameSystem\n{\n" + gameSystemLines + "\n}\n" + kGameEndingRecords);
        game = std::make_unique<EndingGame>();
        game->ResetLevels();
        gGame = game.get();
        gGameServices = game.get();
        player = new Player();
        player->SetPosition(At(100.0f, 100.0f));
        EXPECT_EQ(game->AddEntity(player), 0);
        player->SetUpNew(0);
        for (int32_t leader : {1, 7, 4}) {
            auto covenant = std::make_unique<EndingCovenant>(&ended);
            covenant->leaderLevel = leader;
            list.push_back(covenant.get());
            game->AddCovenant(std::move(covenant));
        }
        player->covenantIndex = 0;
        game->GetClientLines().clear();
    }

    std::vector<Chest*> Chests() const
    {
        std::vector<Chest*> out;
        for (int32_t i = 0; i < GameServices::kMaxEntities; ++i)
            if (auto* chest = dynamic_cast<Chest*>(game->GetEntity(i)))
                out.push_back(chest);
        return out;
    }

    RowWorld row;
    std::unique_ptr<EndingGame> game;
    Player* player = nullptr;
    std::vector<EndingCovenant*> list;
    std::vector<std::string> ended;
};

using EndingLines = std::vector<std::string>;

} // namespace

// ---- The win test -----------------------------------------------------------------------------------

TEST_F(GameEnding, WithoutAFlagAWorldIsNeverWon)
{
    MakeGame("");
    EXPECT_FALSE(game->IsWorldWon());
    game->SetWorldRunning();
    EXPECT_FALSE(game->IsWorldWon());
    list[1]->eliminated = list[2]->eliminated = true;
    EXPECT_FALSE(game->IsWorldWon()) << "not even with every rival gone";
}

TEST_F(GameEnding, EliminationWaitsForEveryRival)
{
    MakeGame("WinConditionCovenantsEliminated 1");
    game->SetWorldRunning();
    list[1]->eliminated = true;
    EXPECT_FALSE(game->IsWorldWon());
    list[2]->eliminated = true;
    EXPECT_TRUE(game->IsWorldWon());
}

TEST_F(GameEnding, AllQuestsSolvedNeedsHeldQuests)
{
    MakeGame("WinConditionAllQuestsSolved 1");
    game->SetWorldRunning();
    EXPECT_FALSE(game->IsWorldWon());
}

// ---- Winning ----------------------------------------------------------------------------------------

TEST_F(GameEnding, AVictoryEndsEveryCovenantCountsAndPlacesTheLargeChest)
{
    MakeGame("UsingCovenants 1\nRewardChestLevelBonus 2\nWarpRings 3");
    game->WinWorld(true);
    EXPECT_TRUE(game->IsGameOver());
    EXPECT_EQ(ended, (EndingLines{"end 0", "end 1", "end 2"}));
    for (const EndingCovenant* covenant : list)
        EXPECT_TRUE(covenant->eliminated);
    EXPECT_EQ(list[0]->worldResults.Get(Covenant::kWorldsWon), 1);
    EXPECT_EQ(list[0]->worldResults.Get(Covenant::kWorldsWonAllied), 0);
    std::vector<Chest*> chests = Chests();
    ASSERT_EQ(chests.size(), 1u);
    EXPECT_EQ(chests[0]->level, 9);  // the highest rival leader 7, and 2
    EXPECT_EQ(chests[0]->facing, 5);
    EXPECT_EQ(chests[0]->position.level, 0);
    EXPECT_NEAR(chests[0]->position.x, 1944.0f, 3 * 32.0f + 1.0f);
    EXPECT_NEAR(chests[0]->position.y, 2016.0f, 3 * 32.0f + 1.0f);
    EXPECT_EQ(chests[0]->maxItems, 6);
    std::vector<std::string> messages;
    for (const std::string& line : game->GetClientLines())
        if (line.rfind("msg ", 0) == 0)
            messages.push_back(line);
    EXPECT_EQ(messages, (EndingLines{"msg 2 \"$$YouHaveConqueredThisWorld$$\"", "msg 3 \"$$RewardChestAvailable$$\""}));
}

TEST_F(GameEnding, AnAlliedVictoryGivesTheMediumChest)
{
    MakeGame("UsingCovenants 1");
    game->WinWorld(false);
    EXPECT_EQ(list[0]->worldResults.Get(Covenant::kWorldsWonAllied), 1);
    ASSERT_EQ(Chests().size(), 1u);
    EXPECT_EQ(Chests()[0]->maxItems, 4);
}

TEST_F(GameEnding, WithoutThePlayersCovenantNothingIsRewarded)
{
    MakeGame("UsingCovenants 1");
    player->covenantIndex = -1;
    game->WinWorld(true);
    EXPECT_TRUE(game->IsGameOver());
    EXPECT_TRUE(ended.empty());
    EXPECT_TRUE(Chests().empty());
}

TEST_F(GameEnding, AChestTheFullTableRefusesIsLetGo)
{
    MakeGame("UsingCovenants 1");
    while (game->CountEntities() < GameServices::kMaxEntities)
        ASSERT_NE(game->AddEntity(new Entity()), -1);
    game->WinWorld(true);
    EXPECT_TRUE(Chests().empty());
    EXPECT_EQ(game->CountEntities(), GameServices::kMaxEntities);
}

TEST_F(GameEnding, DestroyingPastTheListStopsAtItsEnd)
{
    MakeGame("");
    game->DestroyAllCovenants(99);
    EXPECT_EQ(ended, (EndingLines{"end 0", "end 1", "end 2"}));
    ended.clear();
    game->DestroyAllCovenants(-3);
    EXPECT_TRUE(ended.empty());
}

// ---- The win in the game's step ------------------------------------------------------------------

TEST_F(GameEnding, TheStepWinsOnceTheLastRivalFallsAndOnlyOnce)
{
    MakeGame("UsingCovenants 1\nWinConditionCovenantsEliminated 1");
    game->SetWorldRunning();
    list[1]->eliminated = true;
    game->Update(0.1f);
    EXPECT_FALSE(game->IsGameOver());
    EXPECT_TRUE(Chests().empty());
    list[2]->eliminated = true;
    game->Update(0.1f);
    EXPECT_TRUE(game->IsGameOver());
    EXPECT_FALSE(game->IsWinAwaitingConfirm());
    game->Update(0.1f);
    EXPECT_EQ(list[0]->worldResults.Get(Covenant::kWorldsWon), 1);
    EXPECT_EQ(Chests().size(), 1u);
    std::vector<std::string>& lines = game->GetClientLines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "msg 2 \"$$YouHaveConqueredThisWorld$$\""), 1);
}

TEST_F(GameEnding, WithConfirmWinTheStepWaitsForTheConfirmation)
{
    MakeGame("UsingCovenants 1\nWinConditionCovenantsEliminated 1\nConfirmWin 1");
    CommandSystem commands;
    ServerCommands::Register(commands);
    game->SetWorldRunning();
    list[1]->eliminated = list[2]->eliminated = true;
    game->Update(0.1f);
    game->Update(0.1f);
    EXPECT_TRUE(game->IsWinAwaitingConfirm());
    EXPECT_FALSE(game->IsGameOver());
    EXPECT_TRUE(Chests().empty());
    commands.Execute("confirmWin", player);
    EXPECT_TRUE(game->IsGameOver());
    EXPECT_FALSE(game->IsWinAwaitingConfirm());
    game->Update(0.1f);
    EXPECT_EQ(list[0]->worldResults.Get(Covenant::kWorldsWon), 1);
    EXPECT_EQ(Chests().size(), 1u);
}

TEST_F(GameEnding, WithoutAWinConditionTheStepNeverEndsTheWorld)
{
    MakeGame("UsingCovenants 1\nConfirmWin 1");
    game->SetWorldRunning();
    list[1]->eliminated = list[2]->eliminated = true;
    for (int step = 0; step < 3; ++step)
        game->Update(0.1f);
    EXPECT_FALSE(game->IsGameOver());
    EXPECT_FALSE(game->IsWinAwaitingConfirm());
    EXPECT_TRUE(ended.empty());
    EXPECT_TRUE(Chests().empty());
}

// ---- The confirmation lines ---------------------------------------------------------------------------

TEST_F(GameEnding, ConfirmWinEndsAPendingWinOnceAndNothingElse)
{
    MakeGame("UsingCovenants 1\nConfirmWin 1");
    CommandSystem commands;
    ServerCommands::Register(commands);
    commands.Execute("confirmWin", player);
    EXPECT_FALSE(game->IsGameOver());
    game->SetVictoryPending(false, true);
    commands.Execute("confirmWin", player);
    commands.Execute("confirmWin", player);
    EXPECT_TRUE(game->IsGameOver());
    EXPECT_TRUE(game->IsWorldWonConfirmed());
    EXPECT_EQ(list[0]->worldResults.Get(Covenant::kWorldsWon), 1);
    EXPECT_EQ(Chests().size(), 1u);
}

TEST_F(GameEnding, AnAcceptedAlliedVictoryEndsOnceWithTheMediumReward)
{
    MakeGame("UsingCovenants 1");
    CommandSystem commands;
    ServerCommands::Register(commands);
    commands.Execute("alliedVictoryAccept", player);
    EXPECT_FALSE(game->IsGameOver());
    game->SetVictoryPending(true, false);
    commands.Execute("alliedVictoryAccept", player);
    commands.Execute("alliedVictoryAccept", player);
    EXPECT_TRUE(game->IsGameOver());
    EXPECT_EQ(list[0]->worldResults.Get(Covenant::kWorldsWonAllied), 1);
    ASSERT_EQ(Chests().size(), 1u);
    EXPECT_EQ(Chests()[0]->maxItems, 4);
}

// ---- The allied victory the step offers -------------------------------------------------------------

// The step offers an allied victory once every living rival is the player covenant's ally, and
// only in a running world where no full win came first.
TEST_F(GameEnding, TheStepOffersAnAlliedVictoryOnlyWhenEveryLivingRivalIsAnAlly)
{
    struct Case {
        const char* name;
        bool running;
        std::vector<size_t> allies;
        std::vector<size_t> fallen;
        bool offered;
    };
    const Case cases[] = {
        {"a world not running yet", false, {1, 2}, {}, false},
        {"no ally", true, {}, {}, false},
        {"one ally, one rival at peace", true, {1}, {}, false},
        {"both allied", true, {1, 2}, {}, true},
        {"the one who is no ally fell", true, {1}, {2}, true},
        {"every rival fell: the full win comes first", true, {}, {1, 2}, false},
    };
    MakeGame("UsingCovenants 1\nWinConditionCovenantsEliminated 1");
    for (const Case& c : cases) {
        if (c.running)
            game->SetWorldRunning();
        for (size_t rival : {1u, 2u}) {
            bool allied = std::find(c.allies.begin(), c.allies.end(), rival) != c.allies.end();
            list[0]->SetTreaty(list[rival]->index, allied ? CovenantTreaty::Alliance : CovenantTreaty::Peace,
                               TimeStamp());
            list[rival]->eliminated = std::find(c.fallen.begin(), c.fallen.end(), rival) != c.fallen.end();
        }
        game->SetVictoryPending(false, false);
        game->Update(0.1f);
        EXPECT_EQ(game->IsAlliedVictoryPending(), c.offered) << c.name;
    }
    EXPECT_TRUE(game->IsGameOver()) << "the last case was won outright";
}

// A refused offer makes every living rival an enemy, so the next step offers nothing.
TEST_F(GameEnding, ARefusedAlliedVictoryIsNotOfferedAgain)
{
    MakeGame("UsingCovenants 1");
    CommandSystem commands;
    ServerCommands::Register(commands);
    game->SetWorldRunning();
    AllyEveryRival();
    game->Update(0.1f);
    ASSERT_TRUE(game->IsAlliedVictoryPending());
    commands.Execute("alliedVictoryReject", player);
    EXPECT_FALSE(game->IsAlliedVictoryPending());
    game->Update(0.1f);
    EXPECT_FALSE(game->IsAlliedVictoryPending());
    EXPECT_FALSE(game->IsGameOver());
}

// A refusal stands while nothing changed: only once the alliance it was made on breaks is the
// offer made again, and with no rival left alive it never breaks.
TEST_F(GameEnding, ARefusedAlliedVictoryComesBackOnlyAfterItsAllianceBroke)
{
    MakeGame("UsingCovenants 1");
    CommandSystem commands;
    ServerCommands::Register(commands);
    game->SetWorldRunning();
    auto allyBoth = [this] { AllyEveryRival(); };
    struct Turn {
        const char* name;
        std::function<void()> act;
        int steps;
        bool offered;
    };
    const Turn turns[] = {
        {"both rivals allied", allyBoth, 1, true},
        {"refused: war with both", [&] { commands.Execute("alliedVictoryReject", player); }, 1, false},
        {"the war goes on", [] {}, 5, false},
        {"allied again", allyBoth, 1, true},
        {"refused again", [&] { commands.Execute("alliedVictoryReject", player); }, 1, false},
        {"both rivals fell", [this] { list[1]->eliminated = list[2]->eliminated = true; }, 1, true},
        {"refused with no rival left", [&] { commands.Execute("alliedVictoryReject", player); }, 1, false},
        {"nothing changes after it", [] {}, 20, false},
    };
    for (const Turn& turn : turns) {
        turn.act();
        for (int step = 0; step < turn.steps; ++step)
            game->Update(0.1f);
        EXPECT_EQ(game->IsAlliedVictoryPending(), turn.offered) << turn.name;
    }
    EXPECT_FALSE(game->IsGameOver());
    EXPECT_TRUE(Chests().empty());
}

// ---- An offer outlived by the world's end ---------------------------------------------------------------

namespace {

struct OutlivedOffer {
    const char* name;
    std::string tuning;
    // What ends the world, or leaves both answers standing, once the step made the offer.
    std::function<void(EndingGame&, std::vector<EndingCovenant*>&)> then;
    bool standing;
    std::vector<const char*> answers;
    int32_t won;
    int32_t wonAllied;
    int32_t lost;
};

void PrintTo(const OutlivedOffer& offer, std::ostream* out)
{
    *out << offer.name;
}

class GameEndingOutlivedOffer : public GameEnding, public testing::WithParamInterface<OutlivedOffer> {};

} // namespace

// No answer wins a world twice: a world that ended takes back the offer standing, and of two
// answers standing in one update only the first is carried out.
TEST_P(GameEndingOutlivedOffer, NoAnswerWinsAnEndedWorld)
{
    const OutlivedOffer& c = GetParam();
    MakeGame(c.tuning);
    CommandSystem commands;
    ServerCommands::Register(commands);
    game->SetWorldRunning();
    AllyEveryRival();
    game->Update(0.1f);
    ASSERT_TRUE(game->IsAlliedVictoryPending());
    c.then(*game, list);
    EXPECT_EQ(game->IsAlliedVictoryPending(), c.standing);
    for (const char* answer : c.answers)
        commands.Execute(answer, player);
    game->Update(0.1f);
    EXPECT_TRUE(game->IsGameOver());
    EXPECT_FALSE(game->IsAlliedVictoryPending());
    EXPECT_EQ(list[0]->worldResults.Get(Covenant::kWorldsWon), c.won);
    EXPECT_EQ(list[0]->worldResults.Get(Covenant::kWorldsWonAllied), c.wonAllied);
    EXPECT_EQ(list[0]->worldResults.Get(Covenant::kWorldsLost), c.lost);
    EXPECT_EQ(Chests().size(), static_cast<size_t>(c.won + c.wonAllied));
}

INSTANTIATE_TEST_SUITE_P(
    Answers, GameEndingOutlivedOffer,
    testing::Values(
        OutlivedOffer{"the player's covenant fell", "UsingCovenants 1",
                      [](EndingGame& game, std::vector<EndingCovenant*>& list) {
                          list[0]->eliminated = true;
                          game.Update(0.1f);
                      },
                      false, {"alliedVictoryAccept", "confirmWin"}, 0, 0, 1},
        OutlivedOffer{"a full win awaits its confirmation",
                      "UsingCovenants 1\nWinConditionCovenantsEliminated 1\nConfirmWin 1",
                      [](EndingGame& game, std::vector<EndingCovenant*>& list) {
                          list[1]->eliminated = list[2]->eliminated = true;
                          game.Update(0.1f);
                      },
                      false, {"alliedVictoryAccept", "confirmWin", "alliedVictoryAccept"}, 1, 0, 0},
        OutlivedOffer{"confirmed first", "UsingCovenants 1",
                      [](EndingGame& game, std::vector<EndingCovenant*>&) { game.SetVictoryPending(true, true); },
                      true, {"confirmWin", "alliedVictoryAccept"}, 1, 0, 0},
        OutlivedOffer{"accepted first", "UsingCovenants 1",
                      [](EndingGame& game, std::vector<EndingCovenant*>&) { game.SetVictoryPending(true, true); },
                      true, {"alliedVictoryAccept", "confirmWin"}, 0, 1, 0}),
    [](const testing::TestParamInfo<OutlivedOffer>& info) {
        std::string name;
        for (char ch : std::string(info.param.name))
            if (std::isalnum(static_cast<unsigned char>(ch)))
                name += ch;
        return name;
    });
