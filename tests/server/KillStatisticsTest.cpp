// KillStatisticsTest -- the statistics system counts a player's kills and deaths through the game's real kill handling, and nothing else.
#include "server/GameWorld.h"
#include "server/StatSystem.h"

#include "entities/CombatSystem.h"
#include "entities/Player.h"

namespace {

class KillStatistics : public GameWorld {
protected:
    KillStatistics()
    {
        Player::RegisterEventClass(events, types);
        StatSystem::Create();
    }
    ~KillStatistics() override { StatSystem::Destroy(); }

    Player* MakePlayer(float x)
    {
        auto* player = Spawn<Player>(x, 100);
        player->maxHealth = player->health = 10;
        return player;
    }

    Sentient* MakeMonster(float x)
    {
        auto* monster = Spawn<Sentient>(x, 100);
        monster->maxHealth = monster->health = 10;
        return monster;
    }

    static void Kill(Entity& victim, Entity* killer)
    {
        victim.health = 0;
        HandleKill(&victim, killer);
    }

    static int32_t Kills(const Player& player) { return player.statistics.Get(PlayerStatistic::Kills); }
    static int32_t Deaths(const Player& player) { return player.statistics.Get(PlayerStatistic::Deaths); }
};

TEST_F(KillStatistics, APlayerKillingAMonsterCountsOneKill)
{
    Player* player = MakePlayer(100);
    Kill(*MakeMonster(120), player);
    Kill(*MakeMonster(140), player);
    EXPECT_EQ(Kills(*player), 2);
    EXPECT_EQ(Deaths(*player), 0);
}

TEST_F(KillStatistics, APlayerKilledCountsOneDeathAndItsKillerOneKill)
{
    Player* killer = MakePlayer(100);
    Player* victim = MakePlayer(150);
    Kill(*victim, killer);
    EXPECT_EQ(Kills(*killer), 1);
    EXPECT_EQ(Deaths(*victim), 1);
    EXPECT_EQ(Kills(*victim), 0);
    EXPECT_EQ(Deaths(*killer), 0);
}

TEST_F(KillStatistics, ADeathWithoutKillerOrByAMonsterStillCounts)
{
    Player* player = MakePlayer(100);
    Kill(*player, MakeMonster(120));
    EXPECT_EQ(Deaths(*player), 1);
    player->health = 10;
    Kill(*player, nullptr);
    EXPECT_EQ(Deaths(*player), 2);
}

TEST_F(KillStatistics, AFlaggedKillAndANonSentientVictimCountNothing)
{
    Player* player = MakePlayer(100);
    Sentient* monster = MakeMonster(120);
    gStatSystem->OnKill(player, monster, 1);
    gStatSystem->OnKill(monster, player, 1);
    Entity* crate = Spawn<Entity>(130, 100);
    crate->maxHealth = 5;
    Kill(*crate, player);
    gStatSystem->OnKill(player, nullptr, 0);
    EXPECT_EQ(Kills(*player), 0);
    EXPECT_EQ(Deaths(*player), 0);
}

TEST_F(KillStatistics, TheSystemIsListedOnceAndHearsNothingOnceDestroyed)
{
    StatSystem::Create();  // a second creation neither makes nor lists another
    Player* player = MakePlayer(100);
    Kill(*MakeMonster(120), player);
    EXPECT_EQ(Kills(*player), 1);
    StatSystem::Destroy();
    EXPECT_EQ(gStatSystem, nullptr);
    Kill(*MakeMonster(140), player);
    EXPECT_EQ(Kills(*player), 1);
}

} // namespace
