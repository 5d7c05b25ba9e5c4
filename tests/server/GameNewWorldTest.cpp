// GameNewWorldTest -- a new world's computer-run covenants: how many, which definitions, in what order they are set up, and a second call on a running world.
#include "server/GameWorld.h"
#include "server/SpyCovenant.h"

#include <set>

namespace {

class GameNewWorld : public GameWorld {
protected:
    // Definitions "Rival0".."Rival<n-1>", the last one being the player's; the hard ones need
    // an Elite world.
    void LoadDefinitions(int32_t count, int32_t minAi, int32_t maxAi, std::set<int32_t> hard = {})
    {
        std::string text = "GameSystem\n{\nMinAiCovenants " + std::to_string(minAi) + "\nMaxAiCovenants " +
                           std::to_string(maxAi) + "\n}\n";
        for (int32_t i = 0; i < count; ++i) {
            text += "Rival" + std::to_string(i) + "\n{\nType Covenant\n";
            if (hard.count(i))
                text += "MinWorldDifficulty Elite\n";
            text += "}\n";
        }
        LoadRecords(text);
        game->SetCovenantMaker([this] { return std::make_unique<SpyCovenant>(&log); });
    }

    std::set<int32_t> Definitions() const
    {
        std::set<int32_t> chosen;
        for (int32_t i = 0; i < game->GetCovenantCount(); ++i)
            chosen.insert(game->GetCovenant(i)->GetDefinitionIndex());
        return chosen;
    }

    void Again()
    {
        game->Reset();
        log.clear();
    }

    std::vector<std::string> log;
};

TEST_F(GameNewWorld, ACountInsideTheRangeIsTakenAsItStands)
{
    LoadDefinitions(6, 1, 4);
    game->NewWorld(3, 1, 1, 3);
    EXPECT_EQ(game->GetCovenantCount(), 3);
    EXPECT_TRUE(game->IsWorldRunning());
    EXPECT_EQ(game->GetDifficulty(), 1);
}

TEST_F(GameNewWorld, ACountOutsideTheRangeIsDrawnInsideItBothEndsIncluded)
{
    LoadDefinitions(8, 1, 4);
    std::set<int32_t> counts;
    for (int32_t trial = 0; trial < 200; ++trial) {
        Again();
        game->NewWorld(1, 1, 1, trial % 2 ? -1 : 9);
        counts.insert(game->GetCovenantCount());
    }
    EXPECT_EQ(counts, (std::set<int32_t>{1, 2, 3, 4}));
}

TEST_F(GameNewWorld, TheLastDefinitionAndTooHardOnesAreNeverChosen)
{
    LoadDefinitions(6, 0, 5, {1});
    std::set<int32_t> seen;
    for (int32_t trial = 0; trial < 100; ++trial) {
        Again();
        game->NewWorld(1, 1, 1, 3);
        std::set<int32_t> chosen = Definitions();
        ASSERT_EQ(chosen.size(), 3u) << "distinct definitions";
        seen.insert(chosen.begin(), chosen.end());
    }
    EXPECT_EQ(seen, (std::set<int32_t>{0, 2, 3, 4}));
    Again();
    game->NewWorld(1, 1, 3, 5);
    EXPECT_EQ(Definitions(), (std::set<int32_t>{0, 1, 2, 3, 4})) << "an Elite world admits the hard one";
}

TEST_F(GameNewWorld, FewerCandidatesThanTheCountMakeAsManyAsThereAre)
{
    LoadDefinitions(3, 0, 5);
    game->NewWorld(1, 1, 1, 5);
    EXPECT_EQ(game->GetCovenantCount(), 2);
    MessageBuffer buffer;
    game->WriteNetPart(buffer, nullptr);
    buffer.SetReadPos(20);
    EXPECT_EQ(buffer.ReadInt(), 2) << "the game part counts the covenants made";
}

TEST_F(GameNewWorld, EachCovenantStartsInTurnThenAllMeetTheirFirstWorld)
{
    LoadDefinitions(3, 0, 5);
    game->NewWorld(4, 2, 1, 2);
    ASSERT_EQ(log.size(), 6u);
    EXPECT_EQ(log[0], "start 4 2");
    EXPECT_EQ(log[1], "members");
    EXPECT_EQ(log[2], "start 4 2");
    EXPECT_EQ(log[3], "members");
    EXPECT_EQ(log[4], "first world " + std::to_string(game->GetCovenant(0)->GetDefinitionIndex()));
    EXPECT_EQ(log[5], "first world " + std::to_string(game->GetCovenant(1)->GetDefinitionIndex()));
    EXPECT_EQ(game->GetCovenant(1)->index, 1);
    EXPECT_EQ(game->GetCovenant(2), nullptr);
    EXPECT_EQ(game->GetCovenant(-1), nullptr);
}

TEST_F(GameNewWorld, ASecondCallOnARunningWorldChangesNothing)
{
    LoadDefinitions(5, 0, 4);
    game->NewWorld(1, 1, 1, 2);
    Entity* gate = Spawn(100, 100);
    log.clear();
    game->NewWorld(1, 3, 1, 4);
    EXPECT_EQ(game->GetCovenantCount(), 2);
    EXPECT_EQ(game->GetDifficulty(), 1);
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(game->GetEntity(gate->entityNumber), gate);
}

TEST_F(GameNewWorld, WithoutAMakerOrWithZeroNoCovenantIsMade)
{
    LoadDefinitions(5, 0, 4);
    game->NewWorld(1, 1, 1, 0);
    EXPECT_EQ(game->GetCovenantCount(), 0);
    Again();
    game->SetCovenantMaker(nullptr);
    game->NewWorld(1, 1, 1, 3);
    EXPECT_EQ(game->GetCovenantCount(), 0);
    EXPECT_TRUE(game->IsWorldRunning());
}

} // namespace
