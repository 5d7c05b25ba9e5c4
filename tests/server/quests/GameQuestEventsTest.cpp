// GameQuestEventsTest -- the world's news passed to the game's quests: named triggers, cleared town traps, opened treasure chests, the NPCs quests are for and the quests' rarity factors.
#include "server/quests/QuestTestWorld.h"

#include "entities/Actor.h"
#include "entities/Player.h"
#include "covenants/FactionSystem.h"
#include "rules/RulesEnums.h"
#include "server/quests/GameQuests.h"
#include "server/quests/Quest.h"

#include <string>
#include <vector>

namespace {

constexpr const char* kQuestEventsRecords = R"(
ArchetypeWild
{
    Type MonsterArchetype
    FactionName "Wilds"
    InitChance 1
    SpawnChance 1
}
ActorBeast
{
    Type Actor
}
ActorSteward
{
    Type Actor
    NpcType Steward
}
MonsterWolf
{
    Type MonsterType
    Archetype ArchetypeWild
    Definition ActorBeast
    MinLevel 1
    MaxLevel 60
}
MonsterSteward
{
    Type MonsterType
    Archetype ArchetypeWild
    Definition ActorSteward
    MinLevel 1
    MaxLevel 1
    Excluded 1
}
ArchetypeHill
{
    Type MonsterArchetype
    FactionName "Hill"
    InitChance 1
    SpawnChance 1
}
MonsterHillChief
{
    Type MonsterType
    Archetype ArchetypeHill
    Definition ActorBeast
    MinLevel 1
    MaxLevel 60
}
FactionSystem
{
    MaxDislikeReputation 20
}
FactionWilds
{
    Type Faction
    Name "Wilds"
    CanGoToWar 1
    DefaultReputation 50
}
FactionHill
{
    Type Faction
    Name "Hill"
    CanGoToWar 1
    DefaultReputation 50
}
Feud
{
    Type Quest
    QuestType War
    MinLevelChange -1
    MaxLevelChange 1
    DuplicatesAllowed 1
}
Lever
{
    Type Quest
    QuestType Trigger
    TriggerName "OldLever"
    DuplicatesAllowed 1
}
Traps
{
    Type Quest
    QuestType TownTraps
    MinCount 2
    MaxCount 2
    DuplicatesAllowed 1
}
Buried
{
    Type Quest
    QuestType TreasureMap
    HasWorldLevel 1
    DuplicatesAllowed 1
}
ChestBuried
{
    Type Object
    ObjectType Chest
    Radius 20
}
Errand
{
    Type Quest
    QuestType KillMonsters
    DefaultMonster MonsterWolf
    ReturnNpcType Steward
    DuplicatesAllowed 1
}
Swarm
{
    Type Quest
    QuestType KillMonsters
    DefaultMonster MonsterWolf
    MonsterRarityMultiplier 3
    DuplicatesAllowed 1
}
)";

class GameQuestEvents : public QuestTestWorld {
protected:
    GameQuestEvents()
    {
        Player::RegisterEventClass(events, types);
        Actor::RegisterEventClass(events, types);
        LoadRecords(kQuestEventsRecords);
        player = Spawn<Player>(300.0f, 100.0f);
        player->stats.Set(CharacterStat::Level, 4);
    }

    GameQuests& quests() { return game->GetQuests(); }

    Quest* Start(const char* name)
    {
        Quest* quest = quests().StartQuest(gameData.GetQuestDefinitions().FindIndex(name), nullptr, -1);
        EXPECT_NE(quest, nullptr) << name;
        return quest;
    }

    Actor* Creature(const char* type, float x)
    {
        auto* actor = new Actor();
        actor->SetUpFromMonsterType(gameData.FindMonsterType(type), 3, false);
        actor->SetPosition(At(x, 100.0f));
        EXPECT_NE(game->AddEntity(actor), -1);
        return actor;
    }

    int32_t Completed() const { return player->statistics.Get(PlayerStatistic::QuestsCompleted); }

    Player* player = nullptr;
};

} // namespace

TEST_F(GameQuestEvents, ANamedTriggerCompletesItsQuestsForThePlayersWhoHoldThem)
{
    Quest* held = Start("Lever");
    Quest* free = Start("Lever");
    ASSERT_TRUE(held && free);
    ASSERT_NE(player->AcceptQuest(held->questId), nullptr);
    game->ScanEntitySlots("SomeOtherLever", nullptr);
    EXPECT_FALSE(held->IsComplete());
    EXPECT_EQ(Completed(), 0);

    game->ScanEntitySlots("OLDLEVER", player);
    EXPECT_TRUE(held->IsComplete());
    EXPECT_TRUE(free->IsComplete());
    EXPECT_EQ(Completed(), 1) << "handed in by the one player who held it";
    EXPECT_FALSE(player->HasQuest(held->questId));
    game->ScanEntitySlots("OldLever", player);
    EXPECT_EQ(Completed(), 1) << "a done quest is not done again";
}

TEST_F(GameQuestEvents, ATownTrapCountsOnlyForTheQuestThatLaidIt)
{
    Quest* quest = Start("Traps");
    ASSERT_NE(quest, nullptr);
    ASSERT_EQ(quest->count, 2);
    Actor* laidOne = Creature("MonsterWolf", 100.0f);
    Actor* laidTwo = Creature("MonsterWolf", 140.0f);
    Actor* stranger = Creature("MonsterWolf", 180.0f);
    quest->spawned.emplace_back(laidOne);
    quest->spawned.emplace_back(laidTwo);
    int32_t number = quest->questId;
    EntityQuest* copy = player->AcceptQuest(number);
    ASSERT_NE(copy, nullptr);

    game->OnTownTrapCleared(*stranger);
    EXPECT_EQ(quest->progress, 0);
    game->OnTownTrapCleared(*laidOne);
    EXPECT_EQ(quest->progress, 1);
    EXPECT_EQ(copy->progress, 1) << "the holder's copy follows";
    game->OnTownTrapCleared(*laidTwo);
    game->OnTownTrapCleared(*laidTwo);
    EXPECT_EQ(quest->progress, 2) << "never past the count";
    ASSERT_EQ(quests().GetQuest(number), quest) << "held, so it stays";

    player->AbandonQuest(number);
    quest->progress = 1;
    game->OnTownTrapCleared(*laidTwo);
    EXPECT_EQ(quests().GetQuest(number), nullptr) << "complete and held by nobody";
}

TEST_F(GameQuestEvents, ATreasureChestIsHandedInOnlyByAPlayerWhoOpensIt)
{
    GiveQuestAreas("ChestBuried");
    Quest* quest = Start("Buried");
    ASSERT_NE(quest, nullptr);
    Actor* chest = Creature("MonsterWolf", 100.0f);
    Actor* otherChest = Creature("MonsterWolf", 140.0f);
    quest->treasureChest.Set(chest);
    ASSERT_NE(player->AcceptQuest(quest->questId), nullptr);
    Actor* monster = Creature("MonsterWolf", 180.0f);

    quest->OnTreasureOpened(*chest, monster);
    quest->OnTreasureOpened(*otherChest, player);
    EXPECT_EQ(Completed(), 0);
    game->GetClientLines().clear();
    quests().OnChestOpened(*chest, player);
    EXPECT_EQ(Completed(), 1);
    ASSERT_FALSE(game->GetClientLines().empty());
    EXPECT_NE(game->GetClientLines().back().find("$$QuestSolvedTreasureMap$$"), std::string::npos);
}

TEST_F(GameQuestEvents, AnNpcIsOfferedTheQuestsHandedBackToItsKind)
{
    Quest* errand = Start("Errand");
    Start("Lever");
    ASSERT_NE(errand, nullptr);
    Actor* steward = Creature("MonsterSteward", 100.0f);
    Actor* wolf = Creature("MonsterWolf", 140.0f);
    std::vector<int32_t> numbers{99};
    game->GetQuestsOfferedBy(*steward, numbers);
    EXPECT_EQ(numbers, std::vector<int32_t>{errand->questId});
    game->GetQuestsOfferedBy(*wolf, numbers);
    EXPECT_TRUE(numbers.empty());
}

TEST_F(GameQuestEvents, EachQuestAboutATypeOnALevelMultipliesItsRarity)
{
    const MonsterType& wolf = *gameData.FindMonsterType("MonsterWolf");
    EXPECT_FLOAT_EQ(game->GetMonsterRarityMultiplier(wolf, 1), 1.0f);
    Quest* first = Start("Swarm");
    Quest* second = Start("Swarm");
    Quest* plain = Start("Errand");
    ASSERT_TRUE(first && second && plain);
    first->targetLevel = 1;
    second->targetLevel = 1;
    plain->targetLevel = 1;
    EXPECT_FLOAT_EQ(game->GetMonsterRarityMultiplier(wolf, 1), 9.0f);
    second->targetLevel = 2;
    EXPECT_FLOAT_EQ(game->GetMonsterRarityMultiplier(wolf, 1), 3.0f);
    EXPECT_FLOAT_EQ(game->GetMonsterRarityMultiplier(*gameData.FindMonsterType("MonsterSteward"), 1), 1.0f);
}

// The game's own factions decide a war: neutral ones may start one, which then stands both
// ways; enemies already do not.
TEST_F(GameQuestEvents, AWarQuestDeclaresWarBetweenTheGamesFactions)
{
    ASSERT_NE(gFactionSystem, nullptr);
    gFactionSystem->ReadSettings();
    gFactionSystem->ResetFactions();
    int32_t wilds = gFactionSystem->GetFactionIndex("Wilds");
    int32_t hill = gFactionSystem->GetFactionIndex("Hill");
    ASSERT_NE(wilds, -1);
    ASSERT_NE(hill, -1);
    const int32_t feud = gameData.GetQuestDefinitions().FindIndex("Feud");
    Quest* war = nullptr;
    for (int32_t attempt = 0; attempt < 200 && !war; ++attempt)
        war = quests().StartQuest(feud, nullptr, -1);
    ASSERT_NE(war, nullptr);
    EXPECT_TRUE(gFactionSystem->IsAtWar(wilds, hill));
    EXPECT_TRUE(gFactionSystem->IsAtWar(hill, wilds));
    for (int32_t attempt = 0; attempt < 200; ++attempt)
        EXPECT_EQ(quests().StartQuest(feud, nullptr, -1), nullptr) << "at war already";

    gFactionSystem->ResetFactions();
    gFactionSystem->SetReputation(wilds, hill, 10.0f);
    gFactionSystem->SetReputation(hill, wilds, 10.0f);
    for (int32_t attempt = 0; attempt < 200; ++attempt)
        EXPECT_EQ(quests().StartQuest(feud, nullptr, -1), nullptr) << "enemies already";
    EXPECT_FALSE(gFactionSystem->IsAtWar(wilds, hill));
}

TEST_F(GameQuestEvents, TakingAQuestIsNewsWithItsTitle)
{
    Quest* quest = Start("Errand");
    ASSERT_NE(quest, nullptr);
    game->GetClientLines().clear();
    ASSERT_NE(player->AcceptQuest(quest->questId), nullptr);
    ASSERT_EQ(game->GetClientLines().size(), 1u);
    const std::string& line = game->GetClientLines().front();
    EXPECT_EQ(line.rfind("msg 3 ", 0), 0u) << line;
    EXPECT_NE(line.find("QuestAccepted"), std::string::npos) << line;
    EXPECT_NE(line.find(quest->BuildTitle(quest->level, true).substr(0, 8)), std::string::npos) << line;
    game->GetClientLines().clear();
    EXPECT_EQ(player->AcceptQuest(quest->questId), nullptr) << "held already";
    EXPECT_TRUE(game->GetClientLines().empty());
}
