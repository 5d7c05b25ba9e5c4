// PlayerBonusesTest -- score bonuses: their text and line, near death step by step, big pain, first blood, the spree trackers and kills through the combat path.
#include "entities/ActorWorld.h"
#include "entities/CombatSystem.h"
#include "entities/Player.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class PlayerBonusWorld : public ActorWorld {
protected:
    PlayerBonusWorld() { Player::RegisterEventClass(events, types); }

    // The actor records with the bonus keys added to the game system.
    void LoadBonuses(const std::string& keys)
    {
        std::string records = kActorRecords;
        records.insert(records.find("LeaderXpShare"), keys + "\n    ");
        LoadRecords(records);
    }

    Player* MakePlayer()
    {
        auto* player = Spawn<Player>(0.0f, 0.0f);
        player->maxHealth = player->health = 100;
        game.players.push_back(player);
        game.lines.clear();
        return player;
    }

    bool HasLine(const std::string& line) const
    {
        for (const std::string& queued : game.lines)
            if (queued == line)
                return true;
        return false;
    }

    int32_t CountLines(const std::string& part) const
    {
        int32_t count = 0;
        for (const std::string& queued : game.lines)
            count += queued.find(part) != std::string::npos ? 1 : 0;
        return count;
    }

    void KillAt(Player& player, double seconds, const char* typeName = "MonsterTester")
    {
        game.now = seconds;
        Actor* victim = SpawnActor(typeName, 5, 20.0f, 0.0f);
        victim->health = 0;
        HandleKill(victim, &player);
    }
};

} // namespace

// ---- Awards -------------------------------------------------------------------------------------

TEST_F(PlayerBonusWorld, ABonusShowsItsGroupedScoreAndNameAndCountsOnce)
{
    Player* player = MakePlayer();
    player->AwardBonus("BonusOverkill", 1234567);
    EXPECT_TRUE(HasLine("dmg " + std::to_string(player->entityNumber) + " $$~<1,234,567@@BonusOverkill@@>~$$"));
    EXPECT_EQ(player->stats.Get(CharacterStat::Score), 1234567);
    EXPECT_EQ(player->statistics.Get(PlayerStatistic::BonusesEarned), 1);
    ASSERT_EQ(game.worldEvents.size(), 1u);
    EXPECT_EQ(game.worldEvents[0].name, "Sounds/Items/uniqueSpawn.ogg");
    player->AwardBonus("BonusOverkill", 999);
    EXPECT_TRUE(HasLine("dmg " + std::to_string(player->entityNumber) + " $$~<999@@BonusOverkill@@>~$$"));
}

TEST_F(PlayerBonusWorld, ABonusOfNoScoreIsNoBonus)
{
    Player* player = MakePlayer();
    player->AwardBonus("BonusOverkill", 0);
    player->AwardBonus("BonusOverkill", -5);
    EXPECT_TRUE(game.lines.empty());
    EXPECT_EQ(player->stats.Get(CharacterStat::Score), 0);
    EXPECT_EQ(player->statistics.Get(PlayerStatistic::BonusesEarned), 0);
}

// ---- Near death and close call ----------------------------------------------------------------

TEST_F(PlayerBonusWorld, NearDeathComesOnTheFirstStepAboveTheMaximumNotBefore)
{
    LoadBonuses("BonusNearDeathScore 300\n    BonusNearDeathMinHealth 10\n    BonusNearDeathMaxHealth 50");
    Player* player = MakePlayer();
    player->health = 5;
    player->Update(0.05f);
    for (int32_t health : {30, 50}) {
        player->health = health;
        player->Update(0.05f);
        EXPECT_EQ(player->stats.Get(CharacterStat::Score), 0) << "at health " << health;
    }
    player->health = 51;
    player->Update(0.05f);
    EXPECT_EQ(player->stats.Get(CharacterStat::Score), 300);
    EXPECT_EQ(player->lowestHealth, 0);
    player->Update(0.05f);
    EXPECT_EQ(player->stats.Get(CharacterStat::Score), 300) << "one award per brush with death";
}

TEST_F(PlayerBonusWorld, ANearDeathAwardEndsTheCloseCallWatch)
{
    LoadBonuses("BonusNearDeathScore 300\n    BonusNearDeathMinHealth 10\n    BonusNearDeathMaxHealth 50\n"
                "    BonusCloseCallScore 100\n    BonusCloseCallMinHealth 20\n    BonusCloseCallMaxHealth 40");
    Player* player = MakePlayer();
    player->health = 8;
    player->Update(0.05f);
    player->health = 60;
    player->Update(0.05f);
    EXPECT_EQ(player->stats.Get(CharacterStat::Score), 300) << "the close call watched from health 60 again";
}

// ---- Hits -------------------------------------------------------------------------------------------

TEST_F(PlayerBonusWorld, BigPainNeedsMoreThanItsDamageAndEveryHitCounts)
{
    LoadBonuses("BonusBigPainScore 50\n    BonusBigPainDamage 20");
    Player* player = MakePlayer();
    player->TakeDamage(20, nullptr, false, false);
    EXPECT_EQ(player->stats.Get(CharacterStat::Score), 0);
    player->TakeDamage(21, nullptr, false, false);
    EXPECT_EQ(player->stats.Get(CharacterStat::Score), 50);
    EXPECT_EQ(player->statistics.Get(PlayerStatistic::LargestHitTaken), 21);
    EXPECT_EQ(player->statistics.Get(PlayerStatistic::DamageTaken), 41);
}

TEST_F(PlayerBonusWorld, FirstBloodOnlyBeforeAnyHitDealtOrTaken)
{
    LoadBonuses("BonusFirstBloodScore 75");
    Player* player = MakePlayer();
    Actor* victim = SpawnActor("MonsterTester", 5, 10.0f, 0.0f);
    player->OnSuccessfulHit(0, victim, true, false, false, false, false);
    EXPECT_EQ(player->stats.Get(CharacterStat::Score), 0) << "no damage, no blood";
    player->OnSuccessfulHit(6, victim, true, false, false, false, false);
    EXPECT_EQ(player->stats.Get(CharacterStat::Score), 75);
    player->OnSuccessfulHit(9, victim, true, false, false, false, false);
    EXPECT_EQ(player->stats.Get(CharacterStat::Score), 75);
    EXPECT_EQ(player->statistics.Get(PlayerStatistic::LargestHitDealt), 9);
}

// ---- Spree trackers ----------------------------------------------------------------------------------

TEST(PlayerSpreeCheck, KindZeroRecordsNothing)
{
    PlayerSpree spree;
    EXPECT_FALSE(spree.CheckSpree(0, 1.0, 10.0f, 1, false));
    EXPECT_TRUE(spree.kinds.empty());
    EXPECT_TRUE(spree.times.empty());
}

TEST(PlayerSpreeCheck, KillsOutsideTheWindowFallAway)
{
    PlayerSpree spree;
    EXPECT_FALSE(spree.CheckSpree(7, 0.0, 10.0f, 3, false));
    EXPECT_FALSE(spree.CheckSpree(7, 10.0, 10.0f, 3, false)) << "exactly the window still counts";
    EXPECT_EQ(spree.kinds.size(), 2u);
    EXPECT_FALSE(spree.CheckSpree(7, 10.5, 10.0f, 3, false)) << "the kill at 0 fell out of the window";
    EXPECT_EQ(spree.times.front(), 10.0);
}

TEST(PlayerSpreeCheck, ASpecificSpreeDropsTheOlderKillsOfOtherKinds)
{
    PlayerSpree spree;
    EXPECT_FALSE(spree.CheckSpree(2, 0.0, 10.0f, 2, true));
    EXPECT_FALSE(spree.CheckSpree(1, 1.0, 10.0f, 2, true)) << "kind 1's run starts at this kill";
    EXPECT_EQ(spree.kinds, std::vector<int32_t>{1});
    EXPECT_TRUE(spree.CheckSpree(1, 2.0, 10.0f, 2, true));
    EXPECT_TRUE(spree.kinds.empty());
    EXPECT_TRUE(spree.times.empty());
}

TEST(PlayerSpreeCheck, AnUnspecificSpreeCountsEveryKind)
{
    PlayerSpree spree;
    EXPECT_FALSE(spree.CheckSpree(2, 0.0, 10.0f, 3, false));
    EXPECT_FALSE(spree.CheckSpree(1, 1.0, 10.0f, 3, false));
    EXPECT_TRUE(spree.CheckSpree(3, 2.0, 10.0f, 3, false));
}

// ---- Kills through the combat path ----------------------------------------------------------------

TEST_F(PlayerBonusWorld, ThreeKillsInTheWindowMakeOneSpreeAndAFourthStartsAgain)
{
    LoadBonuses("BonusKillingSpreeScore 40\n    BonusKillingSpreeTime 10\n    BonusKillingSpreeCount 3");
    Player* player = MakePlayer();
    KillAt(*player, 0.0);
    KillAt(*player, 4.0);
    EXPECT_EQ(player->statistics.Get(PlayerStatistic::BonusesEarned), 0);
    KillAt(*player, 8.0);
    EXPECT_EQ(player->statistics.Get(PlayerStatistic::BonusesEarned), 1);
    EXPECT_TRUE(player->killingSpree.kinds.empty());
    KillAt(*player, 12.0);
    EXPECT_EQ(player->statistics.Get(PlayerStatistic::BonusesEarned), 1);
    EXPECT_EQ(player->killingSpree.kinds.size(), 1u);
    EXPECT_EQ(CountLines("BonusKillingSpree"), 1);
    EXPECT_EQ(CountLines("kill " + std::to_string(database.FindEntryByName("MonsterTester")->GetId())), 4)
        << "each kill names the victim's monster type, the record the clients know it by";
}

TEST_F(PlayerBonusWorld, TheCourageSpreeIsNamedAtLowHealthAndPaysTheKillingSpreeAmount)
{
    LoadBonuses("BonusKillingSpreeScore 40\n    BonusKillingSpreeTime 10\n    BonusKillingSpreeCount 2\n"
                "    BonusCourageSpreeScore 999\n    BonusCourageSpreeHealth 30");
    Player* player = MakePlayer();
    player->health = 20;
    KillAt(*player, 0.0);
    KillAt(*player, 1.0);
    EXPECT_EQ(CountLines(" $$~<40@@BonusCourageSpree@@>~$$"), 1);
    EXPECT_EQ(CountLines("BonusKillingSpree"), 0);
}

TEST_F(PlayerBonusWorld, TheLastLifeLostIsABonus)
{
    LoadBonuses("LimitedLives 1\n    BonusNoLivesLeftScore 500\n    ResurrectHealthPercent 1");
    Player* player = MakePlayer();
    player->stats.Set(CharacterStat::Lives, 1);
    player->health = 0;
    player->Resurrect(false);
    EXPECT_EQ(player->stats.Get(CharacterStat::Lives), 0);
    EXPECT_EQ(player->stats.Get(CharacterStat::Score), 500);
}

// ---- Kill records -------------------------------------------------------------------------------

TEST_F(PlayerBonusWorld, TheStrongestKillIsKeptAndAWeakerOneLeavesItAlone)
{
    LoadBonuses("");
    Player* player = MakePlayer();
    player->stats.Set(CharacterStat::Level, 1);
    Actor* strong = SpawnActor("MonsterTester", 9, 20.0f, 0.0f);
    strong->health = 0;
    HandleKill(strong, player);
    int32_t type = strong->GetMonsterType()->index;
    EXPECT_EQ(player->statistics.Get(PlayerStatistic::StrongestKilledType), type);
    EXPECT_EQ(player->statistics.Get(PlayerStatistic::StrongestKilledLevel) & 0xFF, 9);
    EXPECT_EQ(player->statistics.Get(PlayerStatistic::ToughestBattleType), type);
    Actor* weak = SpawnActor("MonsterTester", 3, 20.0f, 0.0f);
    weak->health = 0;
    HandleKill(weak, player);
    EXPECT_EQ(player->statistics.Get(PlayerStatistic::StrongestKilledLevel) & 0xFF, 9);
}

TEST_F(PlayerBonusWorld, KillersAreRecordedAsTheStrongestAndTheWeakest)
{
    LoadBonuses("");
    Player* player = MakePlayer();
    Actor* first = SpawnActor("MonsterTester", 5, 20.0f, 0.0f);
    player->health = 0;
    player->OnDeath(first);
    EXPECT_EQ(player->statistics.Get(PlayerStatistic::StrongestKillerLevel) & 0xFF, 5);
    EXPECT_EQ(player->statistics.Get(PlayerStatistic::WeakestKillerLevel) & 0xFF, 5);
    Actor* stronger = SpawnActor("MonsterTester", 8, 20.0f, 0.0f);
    player->OnDeath(stronger);
    Actor* weaker = SpawnActor("MonsterTester", 2, 20.0f, 0.0f);
    player->OnDeath(weaker);
    EXPECT_EQ(player->statistics.Get(PlayerStatistic::StrongestKillerLevel) & 0xFF, 8);
    EXPECT_EQ(player->statistics.Get(PlayerStatistic::WeakestKillerLevel) & 0xFF, 2);
    // No actor, no record.
    player->OnDeath(nullptr);
    EXPECT_EQ(player->statistics.Get(PlayerStatistic::WeakestKillerLevel) & 0xFF, 2);
}
