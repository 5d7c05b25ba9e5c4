// ShippedPlayTest -- the shipped game with its rivals, played by a client that joined through the datagram queue: a death's debt and soul stone by who killed, the stones kept by the world save, the tutorial's bargain done by a deal the player's covenant makes, the tutorial restarted and skipped, and a rival's leader rising back on its adventure level.
#include "server/WorldSaveWorld.h"

#include "core/FileSystem.h"
#include "covenants/ActorCovenant.h"
#include "covenants/Recruit.h"
#include "entities/CombatSystem.h"
#include "entities/SoulStone.h"
#include "rules/RulesEnums.h"
#include "server/ServerCommands.h"
#include "server/quests/GameQuests.h"
#include "server/quests/Quest.h"
#include "support/LogLines.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr int32_t kShippedPlayRivals = 3;
// Two recruits besides the leader for each rival.
constexpr int32_t kShippedPlayStartingLevel = 4;
// The shipped "XpDebtPerDeath" and "SoulStoneXpReduction".
constexpr double kShippedPlayDebtShare = 0.1;
constexpr double kShippedPlayStoneShare = 0.5;
constexpr int32_t kShippedPlayStepsPerMinute = 20 * 60;

// The "ObjectType" line of a shipped model file, as the model loader reads it.
std::string ShippedPlayObjectType(std::string_view model)
{
    FileBuffer file = gFileSystem->LoadWholeFile(model);
    std::istringstream lines{std::string(file.Text())};
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        std::string key;
        std::string value;
        if (words >> key >> value && key == "ObjectType")
            return value;
    }
    return {};
}

class ShippedPlay : public WorldSaveWorld {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(LoadShippedRecords());
        RemakeGameWithRivals();
        StartSpawnSystem();
        spawn.GetLevelFiller().SetModelObjectTypeLookup(&ShippedPlayObjectType);
        ServerCommands::Register(host->GetClientCommands());
        host->SetUpServer(false, kShippedPlayStartingLevel, 1, 1, kShippedPlayRivals, "Ada");
        player = JoinWithCovenant(client, "Ember Hall", "Ada");
        ASSERT_NE(player, nullptr);
        ASSERT_NE(CovenantOf(player), nullptr);
        ASSERT_NE(Rival(0), nullptr);
    }

    ActorCovenant* Rival(int32_t i) const { return dynamic_cast<ActorCovenant*>(game->GetCovenant(i)); }

    // The player's client stands where the player stands and sends the line.
    void Say(const std::string& line)
    {
        SendUpdate(client, UpdateAt(player->position, {line}));
        Frame(0);
    }

    std::vector<SoulStone*> Stones() const
    {
        std::vector<SoulStone*> stones;
        for (int32_t number = 0; number < Game::kMaxEntities; ++number)
            if (auto* stone = dynamic_cast<SoulStone*>(game->GetEntity(number)))
                stones.push_back(stone);
        return stones;
    }

    int32_t CountTeleports() const
    {
        int32_t count = 0;
        for (int32_t number = 0; number < Game::kMaxEntities; ++number)
            if (const Entity* entity = game->GetEntity(number);
                entity && entity->modelName.find("teleport.mdl") != std::string::npos)
                ++count;
        return count;
    }

    // The world number of the first quest of the type in the game's list; -1 when none.
    int32_t FindQuestOfType(int32_t type) const
    {
        const auto& list = game->GetQuests().GetList();
        for (size_t i = 0; i < list.size(); ++i)
            if (list[i] && list[i]->type == type)
                return static_cast<int32_t>(i);
        return -1;
    }

    // Steps until the actor stands again, at most the minutes given: the teleport effects shown in
    // the step it rose, or -1 when it never rose.
    int32_t StepUntilRisen(const Actor& actor, int32_t minutes)
    {
        for (int32_t step = 0; step < minutes * kShippedPlayStepsPerMinute; ++step) {
            int32_t teleports = CountTeleports();
            game->Update(0.05f);
            if (!actor.IsDead())
                return CountTeleports() - teleports;
        }
        return -1;
    }
};

} // namespace

// Killed by nothing, by its own hand or by a creature of no covenant, the player owes a tenth of
// its level's experience and a stone holding half of that lies where it fell; killed by a
// rival's leader it owes nothing and leaves nothing. The stones are kept by the world save.
TEST_F(ShippedPlay, ADeathOutsideTheCovenantsFightsOwesDebtAndLeavesAStoneHoldingItsShare)
{
    Actor* goblin = spawn.SpawnMonster(gameData.FindMonsterType("MonsterGoblinScout"), 0, 1, 0, true);
    ASSERT_NE(goblin, nullptr);
    ASSERT_NE(game->AddEntity(goblin), -1);
    Entity* rivalLeader = Rival(0)->GetLeader();
    ASSERT_NE(rivalLeader, nullptr);
    struct Row {
        const char* killer;
        Entity* entity;
        bool owes;
    };
    std::vector<int32_t> amounts;
    for (const Row& row : {Row{"nothing", nullptr, true}, Row{"the player", player, true},
                           Row{"a goblin", goblin, true}, Row{"a rival's leader", rivalLeader, false}}) {
        player->Resurrect(false);
        ASSERT_FALSE(player->IsDead()) << row.killer;
        player->stats.Set(CharacterStat::XpDebt, 0);
        WorldPos fell = player->position;
        int32_t needed = player->stats.Get(CharacterStat::XpNeeded);
        ASSERT_GT(needed, 0);
        std::vector<SoulStone*> before = Stones();
        ApplyHit(player, row.entity, player->health + 1000, Direction::North, false, false, false, false, false, false);
        ASSERT_TRUE(player->IsDead()) << row.killer;
        int32_t debt = row.owes ? static_cast<int32_t>(std::ceil(needed * kShippedPlayDebtShare)) : 0;
        EXPECT_EQ(player->stats.Get(CharacterStat::XpDebt), debt) << row.killer;
        std::vector<SoulStone*> after = Stones();
        ASSERT_EQ(after.size(), before.size() + (row.owes ? 1u : 0u)) << row.killer;
        for (SoulStone* stone : after) {
            if (std::find(before.begin(), before.end(), stone) != before.end())
                continue;
            EXPECT_EQ(stone->GetAmount(), static_cast<int32_t>(std::floor(debt * kShippedPlayStoneShare))) << row.killer;
            EXPECT_EQ(stone->position.level, fell.level) << row.killer;
            EXPECT_FLOAT_EQ(stone->position.x, fell.x) << row.killer;
            EXPECT_FLOAT_EQ(stone->position.y, fell.y) << row.killer;
            EXPECT_EQ(stone->GetEntry()->GetName(), SoulStone::kRecordName);
            amounts.push_back(stone->GetAmount());
        }
    }
    ASSERT_EQ(amounts.size(), 3u);
    EXPECT_GT(amounts.front(), 0);

    ASSERT_TRUE(game->SaveWorld("Ada"));
    RemakeGameWithRivals();
    ASSERT_EQ(game->LoadWorld("Ada", kShippedPlayStartingLevel, kShippedPlayRivals), Game::WorldLoadResult::Loaded);
    std::vector<int32_t> kept;
    for (SoulStone* stone : Stones())
        kept.push_back(stone->GetAmount());
    EXPECT_EQ(kept, amounts) << "each stone comes back as a stone with what it holds";
    EXPECT_EQ(CountLinesHolding(debug, "World save"), 0);
}

// The bargain waits through a deal the rival turns down and through one the rival made and the
// player took; the gift the player's covenant offers and the rival takes completes it, turns it
// in and brings the tutorial's next step.
TEST_F(ShippedPlay, TheTutorialsBargainIsDoneByADealThePlayersCovenantMakes)
{
    game->GetQuests().StartQuest(database.FindEntryByName("QuestTutorialBargain"), nullptr, -1);
    int32_t bargain = FindQuestOfType(QuestType::TutorialCovenantTrade);
    ASSERT_NE(bargain, -1);
    ASSERT_TRUE(player->HasQuest(bargain)) << "the tutorial hands its steps to the player";
    player->stats.Set(CharacterStat::Money, 100);
    ActorCovenant* rival = Rival(0);
    PlayerCovenant* mine = CovenantOf(player);
    std::string r = std::to_string(rival->index);

    Say("offer 0 " + r + " 1 6 1000000");
    EXPECT_EQ(player->stats.Get(CharacterStat::Money), 100) << "a fortune asked of the rival is refused";
    EXPECT_TRUE(player->HasQuest(bargain));

    TradeOffer asked;
    asked.entries = {{1, TradeOfferKind::LeaderMoney, 5}};
    asked.itemsOnly = true;
    rival->SendOffer(*mine, asked);
    Say("acceptOffer 0 " + r + " 1 6 5");
    EXPECT_EQ(player->stats.Get(CharacterStat::Money), 95) << "the rival's own deal is carried out";
    EXPECT_TRUE(player->HasQuest(bargain)) << "but it is no bargain the player's covenant made";
    ASSERT_NE(game->GetQuests().GetQuest(bargain), nullptr);
    EXPECT_FALSE(game->GetQuests().GetQuest(bargain)->IsComplete());

    int32_t rivalMoney = rival->GetMoney();
    Say("offer 0 " + r + " 0 6 10");
    EXPECT_EQ(rival->GetMoney(), rivalMoney + 10) << "the rival takes the gift";
    EXPECT_FALSE(player->HasQuest(bargain)) << "the bargain is turned in";
    EXPECT_EQ(FindQuestOfType(QuestType::TutorialCovenantTrade), -1);
    int32_t next = FindQuestOfType(QuestType::TutorialInvestigateHouse);
    ASSERT_NE(next, -1) << "the tutorial's next step follows";
    EXPECT_TRUE(player->HasQuest(next));
}

// A rival's leader that falls while its covenant adventures rises at home and is taken back to
// a random point of its adventure level (picking one first when it has none), between two
// teleports; at home, or a companion rather than the leader, it stays where it rose.
TEST_F(ShippedPlay, ARivalsLeaderRisingWhileItsCovenantAdventuresGoesBackToItsAdventureLevel)
{
    ActorCovenant* rival = Rival(0);
    Actor* goblin = spawn.SpawnMonster(gameData.FindMonsterType("MonsterGoblinScout"), 0, 1, 0, true);
    ASSERT_NE(goblin, nullptr);
    ASSERT_NE(game->AddEntity(goblin), -1);
    Recruit* leader = nullptr;
    Recruit* companion = nullptr;
    for (int32_t slot = 0; slot < rival->GetRecruitSlots(); ++slot)
        if (Recruit* recruit = rival->GetRecruitRecord(slot); recruit && recruit->GetActor())
            (recruit->isHero ? leader : companion) = recruit;
    ASSERT_NE(leader, nullptr);
    ASSERT_NE(companion, nullptr);
    int32_t adventureLevel = gWorld->GetLevelCount() - 1;
    ASSERT_GT(adventureLevel, 0);
    struct Row {
        const char* what;
        int32_t activity;
        Recruit* recruit;
        int32_t level;
        bool goesBack;
    };
    for (const Row& row : {Row{"the leader adventuring", ActorCovenant::Adventuring, leader, adventureLevel, true},
                           Row{"the leader with no level yet", ActorCovenant::Adventuring, leader, -1, true},
                           Row{"the leader at home", ActorCovenant::Home, leader, adventureLevel, false},
                           Row{"a companion adventuring", ActorCovenant::Adventuring, companion, adventureLevel, false}}) {
        rival->activity = row.activity;
        row.recruit->assignedLevel = row.level;
        Actor* actor = row.recruit->GetActor();
        ASSERT_NE(actor, nullptr) << row.what;
        ApplyHit(actor, goblin, actor->health + 100000, Direction::North, false, false, false, false, false, false);
        ASSERT_TRUE(actor->IsDead()) << row.what;
        int32_t teleports = StepUntilRisen(*actor, 5);
        ASSERT_NE(teleports, -1) << row.what << " never rose";
        if (row.goesBack) {
            ASSERT_NE(row.recruit->assignedLevel, -1) << row.what;
            EXPECT_EQ(actor->position.level, row.recruit->assignedLevel) << row.what;
            EXPECT_EQ(teleports, 2) << row.what;
        } else {
            EXPECT_EQ(actor->position.level, rival->GetHomePosition().level) << row.what;
            EXPECT_EQ(teleports, 0) << row.what;
        }
    }
}

// Restarting the tutorial begins its chain of steps anew from the first, never beside a step
// already running; skipping it sends the tutor away (faded out, then gone, and none comes back)
// and drops every recruit quest.
TEST_F(ShippedPlay, TheTutorialRestartsFromItsFirstStepAndASkipSendsTheTutorAwayWithTheRecruitQuests)
{
    auto countSteps = [this] {
        const auto& list = game->GetQuests().GetList();
        return std::count_if(list.begin(), list.end(), [](const std::unique_ptr<Quest>& quest) {
            return quest && ((quest->type >= QuestType::TutorialEquipWeapon && quest->type <= QuestType::TutorialCovenantTrade) ||
                             quest->type == QuestType::TutorialGetQuest);
        });
    };
    auto countTutors = [this] {
        int32_t count = 0;
        for (int32_t number = 0; number < Game::kMaxEntities; ++number)
            if (const Entity* entity = game->GetEntity(number); entity && entity->GetNpcType() == NpcType::Tutor)
                ++count;
        return count;
    };
    game->GetQuests().StartQuest(database.FindEntryByName("QuestTutorialBargain"), nullptr, -1);
    ASSERT_NE(FindQuestOfType(QuestType::TutorialCovenantTrade), -1);
    for (int32_t round = 0; round < 2; ++round) {
        Say("RestartTutorial");
        int32_t first = FindQuestOfType(QuestType::TutorialEquipWeapon);
        ASSERT_NE(first, -1) << round;
        EXPECT_TRUE(player->HasQuest(first)) << round;
        EXPECT_EQ(countSteps(), 1) << "one chain, at its first step, after restart " << round;
    }
    EXPECT_FALSE(player->GetCharacterFlag(CharacterFlag::kTutorialOver));
    for (int32_t frame = 0; frame < 5 && !game->GetTutor(); ++frame)
        Frame(50);
    ASSERT_NE(game->GetTutor(), nullptr) << "a player in the tutorial has a tutor";
    auto hire = std::make_unique<Quest>(&game->GetQuests());
    hire->Setup(database.FindEntryByName("QuestRecruit"), 2, 91, 0, TimeStamp{});
    int32_t recruitQuest = game->GetQuests().AddQuest(std::move(hire));
    ASSERT_NE(game->GetQuests().GetQuest(recruitQuest), nullptr);

    Say("SkipTutorial");
    EXPECT_TRUE(player->GetCharacterFlag(CharacterFlag::kTutorialOver));
    EXPECT_EQ(game->GetTutor(), nullptr);
    EXPECT_EQ(game->GetQuests().GetQuest(recruitQuest), nullptr) << "a skipped tutorial takes the recruit quests";
    EXPECT_GE(countTutors(), 1) << "the tutor fades out first";
    for (int32_t step = 0; step < 6 * 20; ++step)
        game->Update(0.05f);
    EXPECT_EQ(countTutors(), 0) << "then it is gone, and none comes back for a player past the tutorial";
    EXPECT_EQ(game->GetTutor(), nullptr);
}
