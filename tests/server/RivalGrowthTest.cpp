// RivalGrowthTest -- the shipped game's computer-run rivals grow from their recruits' fights: a recruit of the kind the rivals hire learns from a kill, its covenant gains influence by it, the rivals keep still until the player first leaves the town, and in the running world the simulated battles raise both.
#include "server/WorldSaveWorld.h"

#include "covenants/ActorCovenant.h"
#include "covenants/Recruit.h"
#include "rules/RulesEnums.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr int32_t kRivals = 3;
constexpr int32_t kStartingLevel = 1;
constexpr int32_t kStepsPerMinute = 20 * 60;

class RivalGrowth : public WorldSaveWorld {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(LoadShippedRecords());
        RemakeGameWithRivals();
        StartSpawnSystem();
        host->SetUpServer(false, kStartingLevel, 1, 1, kRivals, "Ada");
        player = new Player();
        ASSERT_NE(game->AddEntity(player), -1);
    }

    ActorCovenant* Rival(int32_t i) const { return dynamic_cast<ActorCovenant*>(game->GetCovenant(i)); }

    static int32_t Influence(const Covenant& covenant)
    {
        int32_t total = 0;
        for (int32_t stat = CovenantStat::InfluenceAdventure; stat <= CovenantStat::InfluenceTransferred; ++stat)
            total += covenant.statistics.Get(stat);
        return total;
    }
};

// The rivals hire the kinds of creature that stand guard, which are no townsfolk: their kills
// still teach them, and what they learn is their covenant's influence.
TEST_F(RivalGrowth, ARivalsLeaderLearnsFromAKillAndItsCovenantGainsInfluence)
{
    for (int32_t i = 0; i < kRivals; ++i) {
        ActorCovenant* rival = Rival(i);
        ASSERT_NE(rival, nullptr);
        auto* leader = dynamic_cast<Actor*>(rival->GetLeader());
        ASSERT_NE(leader, nullptr) << "rival " << i << " has its leader in the world";
        int32_t influence = Influence(*rival);
        int32_t xp = leader->stats.Get(CharacterStat::Xp);
        int32_t level = leader->stats.Get(CharacterStat::Level);
        EXPECT_GT(leader->GainExperience(level, 0, 1.0f), 0) << "rival " << i << "'s leader learns nothing from a kill";
        EXPECT_TRUE(leader->stats.Get(CharacterStat::Xp) > xp || leader->stats.Get(CharacterStat::Level) > level);
        EXPECT_GT(Influence(*rival), influence) << "rival " << i << " gains no influence by its leader";
    }
    // A creature of no covenant that is no townsperson still learns nothing.
    Actor* wild = spawn.SpawnMonster(gameData.FindMonsterType("MonsterGoblinScout"), 0, 1, 0, true);
    ASSERT_NE(wild, nullptr);
    EXPECT_EQ(wild->GainExperience(1, 0, 1.0f), 0);
    delete wild;
}

// The world waits for the player: while it stays in the town the rivals' clocks stand still, and
// its first step onto another level sets them going, for good.
TEST_F(RivalGrowth, TheRivalsKeepStillUntilThePlayerFirstStandsOutsideTheTown)
{
    auto remaining = [this] {
        std::vector<float> all;
        for (int32_t i = 0; i < kRivals; ++i)
            for (const RandomTimer& timer : Rival(i)->timerSet)
                all.push_back(timer.remaining);
        return all;
    };
    player->SetPosition(WorldPos{0, 200.0f, 200.0f, true});
    std::vector<float> atStart = remaining();
    for (int32_t step = 0; step < kStepsPerMinute; ++step)
        game->Update(0.05f);
    EXPECT_FALSE(game->IsWorldAwake());
    EXPECT_EQ(remaining(), atStart) << "a rival acted while the player kept to the town";

    player->SetPosition(WorldPos{1, 200.0f, 200.0f, true});
    game->Update(0.05f);
    player->SetPosition(WorldPos{0, 200.0f, 200.0f, true});
    for (int32_t step = 0; step < 20; ++step)
        game->Update(0.05f);
    EXPECT_TRUE(game->IsWorldAwake()) << "back in the town, the world stays awake";
    std::vector<float> later = remaining();
    int32_t moved = 0;
    for (size_t t = 0; t < later.size(); ++t)
        moved += later[t] != atStart[t] ? 1 : 0;
    EXPECT_GT(moved, 0) << "the rivals' timers run once the player has left the town";
}

// Left to themselves for half an hour of the game's time once the player has stepped out of the
// town, the rivals fight their simulated battles and come home richer in influence than they set out.
TEST_F(RivalGrowth, HalfAnHourOfSimulatedBattlesGivesTheRivalsInfluence)
{
    player->SetPosition(WorldPos{1, 200.0f, 200.0f, true});
    int32_t grown = 0;
    for (int32_t minute = 0; minute < 30 && grown == 0; ++minute) {
        for (int32_t step = 0; step < kStepsPerMinute; ++step)
            game->Update(0.05f);
        for (int32_t i = 0; i < kRivals; ++i)
            grown += Rival(i) && Influence(*Rival(i)) > 0 ? 1 : 0;
    }
    EXPECT_GT(grown, 0) << "no rival gained influence in half an hour";
}

} // namespace
