// PlayerProgressTest -- level-up points and notices, bonus skills, the tutorial's end, winning with its score factors, kill records, soul stones and the automatic target.
#include "entities/Actor.h"
#include "entities/EntityWorld.h"
#include "entities/Player.h"
#include "entities/ScriptedQuest.h"
#include "rules/GameData.h"
#include "rules/monsters/MonsterType.h"
#include "world/World.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr const char* kProgressRecords = R"(
GameSystem
{
    BaseXpNeededEachLevel 1000
    AttributePointsPerLevel 5
    BaseSkillPointsPerLevel 2
    SkillPointRaise 1
    AutoTarget 1
    GridSize 32
)";

constexpr const char* kProgressMoreRecords = R"(
}
Lunge
{
    Type Skill
    StatReq Level
    PointsReq 3
}
Drill
{
    Type SkillTree
    Skill Lunge
}
ClassWanderer
{
    Type Class
    HealthPerVit 5
    StartVitality 10
    SkillTree Drill
}
ObjectSoulStone
{
    Type Object
}
Hire
{
    Type Quest
    QuestType Recruit
    Count 1
}
)";

// Three adventures of one meadow whose par times put a win at game time 0 inside the first
// limit, inside only the second, and past both.
constexpr const char* kProgressAdventures = R"(
SizeOne
{
    Name One
    Width 1
    Height 1
    SectionLevelDepth 1
}
AreaMeadow
{
    Type Area
    Name Meadow
    MinWidth 1
    MaxWidth 1
}
SectionOne
{
    StartArea AreaMeadow
}
FastWorld
{
    Type Adventure
    WorldSize SizeOne
    Section SectionOne
    GreatTimeInSeconds 600
    GreatTimeScoreMult 2
    GoodTimeInSeconds 1200
    GoodTimeScoreMult 1.5
}
GoodWorld
{
    Type Adventure
    Base FastWorld
    GreatTimeInSeconds 0
}
SlowWorld
{
    Type Adventure
    Base GoodWorld
    GoodTimeInSeconds 0
}
)";

class PlayerProgressWorld : public EntityWorld {
protected:
    PlayerProgressWorld() { Player::RegisterEventClass(events, types); }
    ~PlayerProgressWorld() override { gWorld = nullptr; }

    Player* MakePlayer(const std::string& system = "")
    {
        LoadRecords(std::string(kProgressRecords) + system + kProgressMoreRecords + kProgressAdventures);
        auto* player = Spawn<Player>(100.0f, 100.0f);
        player->SetUpNew(0);
        game.lines.clear();
        return player;
    }

    bool Sent(const std::string& text) const
    {
        return std::any_of(game.lines.begin(), game.lines.end(),
                           [&](const std::string& line) { return line.find(text) != std::string::npos; });
    }
};

} // namespace

// ---- Levels -----------------------------------------------------------------------------------------

TEST_F(PlayerProgressWorld, ALevelBringsPointsTheSoundTheNoticeAndTheGamesNotice)
{
    Player* player = MakePlayer("LevelsBetweenSkillPointRaises 5");
    player->stats.Set(CharacterStat::Level, 9);
    player->LevelUp();
    EXPECT_EQ(player->stats.Get(CharacterStat::Level), 10);
    EXPECT_EQ(player->stats.Get(CharacterStat::AttributePointsLeft), 5);
    // 10 / 5 raises of 1, plus the base 2.
    EXPECT_EQ(player->stats.Get(CharacterStat::SkillPointsLeft), 4);
    EXPECT_EQ(game.worldEvents.back().name, "sounds/levelUp.ogg");
    EXPECT_TRUE(Sent("NowLevelX"));
    EXPECT_EQ(game.playerHooks.back(), "levelUp");
}

TEST_F(PlayerProgressWorld, WithoutRaisesEveryLevelGivesTheBasePoints)
{
    Player* player = MakePlayer("LevelsBetweenSkillPointRaises 0");
    player->stats.Set(CharacterStat::Level, 9);
    player->LevelUp();
    EXPECT_EQ(player->stats.Get(CharacterStat::SkillPointsLeft), 2);
}

TEST_F(PlayerProgressWorld, AtTheHighestLevelNothingChangesOrIsSent)
{
    Player* player = MakePlayer();
    player->stats.Set(CharacterStat::Level, 100);
    player->LevelUp();
    EXPECT_EQ(player->stats.Get(CharacterStat::Level), 100);
    EXPECT_EQ(player->stats.Get(CharacterStat::AttributePointsLeft), 0);
    EXPECT_TRUE(game.lines.empty());
    EXPECT_TRUE(game.playerHooks.empty());
}

TEST_F(PlayerProgressWorld, TheLevelThatCompletesASkillsRequirementNamesTheSkill)
{
    Player* player = MakePlayer();
    player->Update(0.0f);  // the step builds the class's skill list
    player->stats.Set(CharacterStat::Level, 1);
    player->CheckBonusSkill(CharacterStat::Level);
    EXPECT_FALSE(Sent("HaveReceivedBonusSkill"));  // two levels still missing
    player->stats.Set(CharacterStat::Level, 2);
    player->LevelUp();
    EXPECT_TRUE(Sent("HaveReceivedBonusSkill"));
}

// ---- The tutorial -------------------------------------------------------------------------------------

TEST_F(PlayerProgressWorld, SkippingTheTutorialDropsRecruitQuestsAndSetsFlagZero)
{
    game.questMaker = [] { return std::make_unique<ScriptedQuest>(); };
    Player* player = MakePlayer();
    auto* slot = static_cast<ScriptedQuest*>(player->GetQuestSlot(2));
    ASSERT_TRUE(slot->Setup(database.FindEntryByName("Hire"), 3, 5u, 0, {}));
    player->EndTutorial(true);
    EXPECT_TRUE(Sent("$$TutorialSkipped$$"));
    EXPECT_TRUE(slot->IsEmpty());
    EXPECT_TRUE(player->GetCharacterFlag(CharacterFlag::kTutorialOver));
    EXPECT_EQ(game.playerHooks, std::vector<std::string>{"endTutorial skipped"});
    player->StartTutorial();
    EXPECT_FALSE(player->GetCharacterFlag(CharacterFlag::kTutorialOver));
    EXPECT_EQ(game.playerHooks, (std::vector<std::string>{"endTutorial skipped", "endTutorial", "startTutorial"}));
}

TEST_F(PlayerProgressWorld, FinishingTheTutorialKeepsTheQuests)
{
    game.questMaker = [] { return std::make_unique<ScriptedQuest>(); };
    Player* player = MakePlayer();
    auto* slot = static_cast<ScriptedQuest*>(player->GetQuestSlot(0));
    ASSERT_TRUE(slot->Setup(database.FindEntryByName("Hire"), 3, 5u, 0, {}));
    player->EndTutorial(false);
    EXPECT_TRUE(Sent("$$TutorialFinished$$"));
    EXPECT_FALSE(slot->IsEmpty());
}

// ---- Winning ----------------------------------------------------------------------------------------

TEST_F(PlayerProgressWorld, WinningAnnouncesTheUnlocksAndEndsWithAdventureWon)
{
    Player* player = MakePlayer();
    player->AddUnlock("ClassSeer");
    player->Unlock("AreaDeep");
    player->WinAdventure();
    ASSERT_GE(game.lines.size(), 3u);
    EXPECT_EQ(game.lines[game.lines.size() - 3], "unlock ClassSeer");
    EXPECT_EQ(game.lines[game.lines.size() - 2], "unlock AreaDeep");
    EXPECT_EQ(game.lines.back(), "adventureWon");
}

TEST_F(PlayerProgressWorld, TheDeathAndKillAllFactorsScaleTheScore)
{
    Player* player = MakePlayer("DeathScoreMult 2.0\n    DeathScoreMult 0.5\n    KillAllMonstersScoreMult 1.5");
    player->stats.Set(CharacterStat::Score, 1001);
    player->statistics.Set(PlayerStatistic::Deaths, 1);
    game.allMonstersDead = true;
    player->WinAdventure();
    // floor(floor(1001 x 0.5) x 1.5)
    EXPECT_EQ(player->stats.Get(CharacterStat::Score), 750);
    EXPECT_EQ(player->statistics.Get(PlayerStatistic::AllMonstersKilled), 1);
}

TEST_F(PlayerProgressWorld, MissingFactorKeysAndDeathsPastTheListKeepTheScore)
{
    Player* player = MakePlayer("DeathScoreMult 2.0");
    player->stats.Set(CharacterStat::Score, 1001);
    player->statistics.Set(PlayerStatistic::Deaths, 4);
    game.allMonstersDead = true;
    player->stats.Set(CharacterStat::SecretsFound, 3);
    player->WinAdventure();
    EXPECT_EQ(player->stats.Get(CharacterStat::Score), 1001);
}

TEST_F(PlayerProgressWorld, TheParTimeFactorComesFirstAndOnlyTheFirstLimitReachedCounts)
{
    World world;
    world.Create();
    gWorld = &world;
    const std::pair<const char*, int32_t> cases[] = {
        {"FastWorld", 101},  // floor(floor(101 x 2) x 0.5), not floor(floor(101 x 0.5) x 2) = 100
        {"GoodWorld", 75},   // floor(floor(101 x 1.5) x 0.5)
        {"SlowWorld", 50},
    };
    Player* player = MakePlayer("DeathScoreMult 1.0\n    DeathScoreMult 0.5");
    for (const auto& [adventure, score] : cases) {
        ASSERT_TRUE(world.ReadFromDatabase(adventure, 1)) << adventure;
        player->stats.Set(CharacterStat::Score, 101);
        player->statistics.Set(PlayerStatistic::Deaths, 1);
        player->WinAdventure();
        EXPECT_EQ(player->stats.Get(CharacterStat::Score), score) << adventure;
    }
}

TEST_F(PlayerProgressWorld, AScoreFactorSaturatesInsteadOfWrapping)
{
    Player* player = MakePlayer("DeathScoreMult 1000.0");
    player->stats.Set(CharacterStat::Score, 2000000000);
    player->WinAdventure();
    EXPECT_EQ(player->stats.Get(CharacterStat::Score), std::numeric_limits<int32_t>::max());
}

// ---- Death -------------------------------------------------------------------------------------------

TEST_F(PlayerProgressWorld, ADeathOutsideTheCovenantsLeavesASoulStoneAndTellsTheTown)
{
    Player* player = MakePlayer();
    player->playerName = "Ayla";
    player->health = 0;
    player->OnDeath(nullptr);
    ASSERT_EQ(game.playerHooks.size(), 2u);
    EXPECT_EQ(game.playerHooks[0].rfind("soulStone ", 0), 0u);
    EXPECT_EQ(game.playerHooks[1], "chat 24 Ayla");
}

// ---- The automatic target ----------------------------------------------------------------------

TEST_F(PlayerProgressWorld, EachStepWithoutALivingAutoTargetTakesTheNearestEngagedEnemy)
{
    Player* player = MakePlayer();
    auto* far = Spawn<Sentient>(300.0f, 100.0f);
    auto* near = Spawn<Sentient>(140.0f, 100.0f);
    for (Sentient* enemy : {far, near})
        enemy->maxHealth = enemy->health = 10;
    player->AddEngaged(far);
    player->AddEngaged(near);
    player->Update(0.05f);
    EXPECT_EQ(player->GetAutoTarget(), near);
    near->health = 0;
    player->Update(0.05f);
    EXPECT_EQ(player->GetAutoTarget(), far);
    far->flags |= EntityBase::kFlagHidden;
    far->health = 0;
    player->Update(0.05f);
    EXPECT_EQ(player->GetAutoTarget(), nullptr);
}

TEST_F(PlayerProgressWorld, AHiddenPlayerChoosesNoAutoTarget)
{
    Player* player = MakePlayer();
    auto* enemy = Spawn<Sentient>(140.0f, 100.0f);
    enemy->maxHealth = enemy->health = 10;
    player->AddEngaged(enemy);
    player->flags |= EntityBase::kFlagHidden;
    player->Update(0.05f);
    EXPECT_EQ(player->GetAutoTarget(), nullptr);
}
