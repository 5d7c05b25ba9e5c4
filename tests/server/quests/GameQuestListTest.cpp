// GameQuestListTest -- the game's list of world quests in the real game: numbers by entry, levels, starting and deleting, the pacing, old quests, treasure maps, the story chain and a joining player.
#include "server/quests/QuestTestWorld.h"
#include "server/TownSpawn.h"

#include "entities/Actor.h"
#include "entities/Item.h"
#include "entities/Player.h"
#include "rules/RulesEnums.h"
#include "rules/quests/QuestDefinition.h"
#include "server/quests/GameQuests.h"
#include "server/Game.h"
#include "server/quests/Quest.h"
#include "core/EventSystem.h"
#include "support/LogLines.h"

#include <climits>
#include <memory>
#include <string>
#include <vector>

namespace {

const std::string kQuestListRecords = R"(
GameSystem
{
    EasyQuestLevelDiff 2
    HardQuestLevelDiff 3
    MinLevelForHardQuests 5
    QuestThreshold 2
    QuestThreshold 4
    QuestThreshold 6
    QuestChance 0.75
    QuestChance 0.5
    QuestChance 0.25
    NewQuestMinTime 10
    NewQuestMaxTime 10
    DeleteOldQuestsTime 5
    DeleteOldQuestsThreshold 2
    DeleteOldQuestsLevelDiff 3
    BeginningQuest StoryOne
    NpcType Steward
    NpcType Gambler
    TownSpotSteward "0 100 100"
    TownSpotGambler "0 200 100"
}
SpawnSystem
{
}
)" + std::string(kTownArchetypeRecord) + TownNpcRecords("Steward", "Steward", "Hild", "    GivesQuests 1\n") +
                                      TownNpcRecords("Dicer", "Gambler", "Odo") + R"(
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
    CanBeSpawned 1
}
MonsterWolf
{
    Type MonsterType
    Archetype ArchetypeWild
    Definition ActorBeast
    Name "Wolf"
    MinLevel 1
    MaxLevel 60
}
Hunt
{
    Type Quest
    QuestType KillMonsters
    DefaultMonster MonsterWolf
    ActiveQuest 1
    CanRemoveFromAge 1
    DuplicatesAllowed 1
    RandomQuestChance 1
}
Keepsake
{
    Type Quest
    QuestType KillMonsters
    DefaultMonster MonsterWolf
    DuplicatesAllowed 1
}
Flash
{
    Type Quest
    QuestType CrystalGain
    EventOnly 1
}
Given
{
    Type Quest
    QuestType KillMonsters
    DefaultMonster MonsterWolf
    AutoGiveToPlayer 1
    DuplicatesAllowed 1
}
StoryOne
{
    Type Quest
    QuestType StoryKillBemmelScout
    DefaultMonster MonsterWolf
    QuestSolvedBit 1
    NextQuest StoryTwo
}
StoryTwo
{
    Type Quest
    QuestType StoryKillBemmelScout
    DefaultMonster MonsterWolf
    NextQuest StoryThree
}
StoryThree
{
    Type Quest
    QuestType StoryKillBemmelScout
    DefaultMonster MonsterWolf
    QuestSolvedBit 5
}
StoryFar
{
    Type Quest
    QuestType StoryKillBemmelScout
    QuestSolvedBit 5000
    NextQuest StoryThree
}
LoopA
{
    Type Quest
    QuestType StoryKillBemmelScout
    QuestSolvedBit 2
    NextQuest LoopB
}
LoopB
{
    Type Quest
    QuestType StoryKillBemmelScout
    QuestSolvedBit 3
    NextQuest LoopA
}
Buried
{
    Type Quest
    QuestType TreasureMap
    HasWorldLevel 1
    DuplicatesAllowed 1
}
Bounty
{
    Type Quest
    QuestType KillMonsters
    DefaultMonster MonsterWolf
}
UnevenPacing
{
    QuestThreshold 3
    QuestThreshold 9
    QuestChance 0.5
}
ChestBuried
{
    Type Object
    ObjectType Chest
    Radius 20
}
MapBuried
{
    Type Item
    ItemType TreasureMap
    Name "Map"
    QuestName Buried
}
)";

class GameQuestList : public QuestTestWorld {
protected:
    GameQuestList()
    {
        Player::RegisterEventClass(events, types);
        LoadRecords(kQuestListRecords);
        quests().LoadTuning();
    }

    GameQuests& quests() { return game->GetQuests(); }

    const QuestDefinition& Definition(const char* name)
    {
        const QuestDefinition* definition = gameData.FindQuestDefinition(database.FindEntryByName(name));
        EXPECT_NE(definition, nullptr) << name;
        return *definition;
    }

    Quest* Start(const char* name, int32_t level = -1)
    {
        return quests().StartQuest(gameData.GetQuestDefinitions().FindIndex(name), nullptr, level);
    }

    Player* Hero(int32_t level)
    {
        auto* player = Spawn<Player>(300.0f, 100.0f);
        player->stats.Set(CharacterStat::Level, level);
        return player;
    }

    // Lines for every client and those for one player alone.
    int32_t CountLinesWith(const std::string& text) const
    {
        int32_t count = 0;
        for (const std::string& line : game->GetClientLines())
            count += line.find(text) != std::string::npos ? 1 : 0;
        for (const auto& [number, line] : game->GetPlayerLines())
            count += line.find(text) != std::string::npos ? 1 : 0;
        return count;
    }

    int32_t CountQuests() const
    {
        int32_t count = 0;
        for (const auto& quest : game->GetQuests().GetList())
            count += quest ? 1 : 0;
        return count;
    }
};

} // namespace

// ---- Numbers and look-ups ------------------------------------------------------------------------

TEST_F(GameQuestList, ANewQuestTakesTheFirstEmptyEntryAndItsNumberIsThatIndex)
{
    ASSERT_NE(Start("Hunt"), nullptr);
    ASSERT_NE(Start("Hunt"), nullptr);
    ASSERT_NE(Start("Hunt"), nullptr);
    quests().DeleteQuest(1);
    EXPECT_EQ(quests().FindFreeQuestSlot(), 1);
    Quest* again = Start("Keepsake");
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->questId, 1);
    EXPECT_EQ(quests().GetQuest(1), again);
    EXPECT_EQ(quests().GetList().size(), 3u);
    EXPECT_EQ(quests().FindFreeQuestSlot(), -1);
}

// Any list of pointers, owning or not: the first empty entry, -1 with none.
TEST(GameFreeSlot, TheFirstEmptyEntryOfAList)
{
    int a = 0;
    int b = 0;
    struct Case {
        std::vector<int*> list;
        int32_t slot;
    };
    const Case cases[] = {{{}, -1}, {{&a}, -1}, {{nullptr}, 0}, {{&a, nullptr, &b, nullptr}, 1}, {{&a, &b, nullptr}, 2}};
    for (const Case& c : cases)
        EXPECT_EQ(Game::FindFreeSlot(c.list), c.slot) << c.list.size();
    std::vector<std::unique_ptr<int>> owned;
    owned.push_back(std::make_unique<int>(1));
    owned.push_back(nullptr);
    EXPECT_EQ(Game::FindFreeSlot(owned), 1);
}

TEST_F(GameQuestList, DeletingAllQuestsEmptiesTheListAndNumbersStartAgain)
{
    ASSERT_NE(Start("Hunt"), nullptr);
    ASSERT_NE(Start("Hunt"), nullptr);
    Game::DeleteAllQuests(quests().GetList());
    EXPECT_TRUE(quests().GetList().empty());
    Quest* first = Start("Keepsake");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->questId, 0);
}

TEST_F(GameQuestList, LookUpsOutsideTheListFindNothing)
{
    Player* player = Hero(4);
    ASSERT_NE(Start("Hunt"), nullptr);
    int32_t count = static_cast<int32_t>(quests().GetList().size());
    for (int32_t index : {-1, count, INT_MAX, INT_MIN}) {
        EXPECT_EQ(quests().GetQuest(index), nullptr) << index;
        EXPECT_FALSE(quests().IsQuestHeldByPlayer(index)) << index;
        EXPECT_FALSE(quests().IsQuestCompleteForAnyPlayer(index)) << index;
        EXPECT_EQ(player->AcceptQuest(index), nullptr) << index;
        quests().DeleteQuest(index);
        quests().SkipQuestByIndex(index);
    }
    EXPECT_EQ(CountQuests(), 1);
}

// ---- Levels ---------------------------------------------------------------------------------------

TEST_F(GameQuestList, AQuestLevelFollowsTheFirstPlayersWindow)
{
    EXPECT_EQ(quests().PickQuestLevel(-1), 0) << "no player, no request";
    EXPECT_EQ(quests().PickQuestLevel(7), 7) << "no player keeps the request";
    Hero(4);
    // Level 4: 2..4 (below the hard quests' level).
    EXPECT_EQ(quests().PickQuestLevel(30), 4);
    EXPECT_EQ(quests().PickQuestLevel(1), 2);
    game->GetPlayers().front()->stats.Set(CharacterStat::Level, 10);
    EXPECT_EQ(quests().PickQuestLevel(30), 13) << "level 10 reaches the hard window";
    int32_t seen[20] = {};
    for (int32_t i = 0; i < 2000; ++i) {
        int32_t level = quests().PickQuestLevel(-1);
        ASSERT_GE(level, 8);
        ASSERT_LE(level, 13);
        ++seen[level];
    }
    for (int32_t level = 8; level <= 13; ++level)
        EXPECT_GT(seen[level], 200) << level;
}

TEST_F(GameQuestList, AWindowWhoseTopFallsBelowItsBottomIsTheBottom)
{
    quests().GetPacing().easyQuestLevelDiff = -3;  // the bottom above the player's level
    quests().GetPacing().hardQuestLevelDiff = 0;
    Hero(4);
    EXPECT_EQ(quests().PickQuestLevel(-1), 7);
    EXPECT_EQ(quests().PickQuestLevel(1), 7);
    EXPECT_EQ(quests().PickQuestLevel(50), 7);
}

// ---- Starting and deleting ----------------------------------------------------------------------------

TEST_F(GameQuestList, AnEventThatActsOnlyAsItStartsIsFreedAtOnce)
{
    EXPECT_EQ(Start("Flash"), nullptr);
    EXPECT_TRUE(quests().GetList().empty());
    EXPECT_EQ(quests().StartQuestOfType(QuestType::CrystalGain, nullptr), nullptr);
    EXPECT_EQ(quests().StartQuestOfType(QuestType::Siege, nullptr), nullptr) << "no definition of the type";
    EXPECT_TRUE(quests().GetList().empty());
}

TEST_F(GameQuestList, AnAutoGivenQuestGoesToTheFirstPlayersSlots)
{
    Player* player = Hero(4);
    Quest* quest = Start("Given");
    ASSERT_NE(quest, nullptr);
    EXPECT_TRUE(player->HasQuest(quest->questId));
    EXPECT_TRUE(quests().IsQuestHeldByPlayer(quest->questId));
    Quest* other = Start("Hunt");
    ASSERT_NE(other, nullptr);
    EXPECT_FALSE(player->HasQuest(other->questId));
}

// The slots end their copies first, so a number the list hands out again is nobody's.
TEST_F(GameQuestList, DeletingAHeldQuestEmptiesTheSlotsSoAReusedNumberIsNobodys)
{
    Player* player = Hero(4);
    Quest* quest = Start("Given");
    ASSERT_NE(quest, nullptr);
    int32_t number = quest->questId;
    quests().DeleteQuest(number);
    EXPECT_FALSE(player->HasQuest(number));
    Quest* reused = Start("Hunt");
    ASSERT_NE(reused, nullptr);
    EXPECT_EQ(reused->questId, number);
    EXPECT_FALSE(player->HasQuest(number));
    EXPECT_EQ(player->CountActiveQuests(), 0);
}

TEST_F(GameQuestList, AnUnheldQuestIsRemovedAndAHeldOneStays)
{
    Hero(4);
    Quest* held = Start("Given");
    Quest* free = Start("Hunt");
    ASSERT_NE(held, nullptr);
    ASSERT_NE(free, nullptr);
    int32_t heldId = held->questId;
    int32_t freeId = free->questId;
    quests().RemoveQuestIfUnheld(heldId);
    quests().RemoveQuestIfUnheld(freeId);
    EXPECT_NE(quests().GetQuest(heldId), nullptr);
    EXPECT_EQ(quests().GetQuest(freeId), nullptr);
}

// Every holder hands the quest in through the game: the first turn-in pays and turns in every
// other holder, then solves the quest once and deletes it, so nobody solves it twice.
TEST_F(GameQuestList, AQuestHandedInIsSolvedOnceAndLeavesTheListAndEverySlot)
{
    Player* first = Hero(4);
    Player* second = Hero(4);
    Quest* quest = Start("Given");
    ASSERT_NE(quest, nullptr);
    int32_t number = quest->questId;
    ASSERT_NE(second->AcceptQuest(number), nullptr);
    game->ClearClientLines();
    quests().CompletePlayerQuests(number);
    EXPECT_EQ(CountLinesWith("QuestSolved"), 1);
    EXPECT_EQ(quests().GetQuest(number), nullptr);
    EXPECT_FALSE(first->HasQuest(number));
    EXPECT_FALSE(second->HasQuest(number));
    EXPECT_EQ(first->statistics.Get(PlayerStatistic::QuestsCompleted), 1);
    EXPECT_EQ(second->statistics.Get(PlayerStatistic::QuestsCompleted), 1) << "the second holder is paid too";
    // Solving a number that holds nothing changes nothing.
    quests().SolveQuest(number, *first);
    quests().SolveQuest(-1, *first);
    EXPECT_EQ(CountLinesWith("QuestSolved"), 1);
}

TEST_F(GameQuestList, EndingAQuestForPlayersFailsTheirCopiesOnly)
{
    Player* player = Hero(4);
    Quest* quest = Start("Given");
    ASSERT_NE(quest, nullptr);
    quests().EndQuestForPlayers(quest->questId);
    EntityQuest* copy = nullptr;
    for (int32_t slot = 0; slot < Player::kQuestSlotCount; ++slot)
        if (EntityQuest* held = player->GetQuestSlot(slot); held && held->questId == quest->questId && !held->IsEmpty())
            copy = held;
    ASSERT_NE(copy, nullptr);
    EXPECT_TRUE(copy->failed);
    EXPECT_FALSE(quest->failed);
}

// ---- The scheduler -----------------------------------------------------------------------------------

TEST_F(GameQuestList, TheFirstThresholdAboveTheCountPicksTheChance)
{
    const QuestPacing& pacing = quests().GetPacing();
    EXPECT_FLOAT_EQ(pacing.ChanceFor(0), 0.75f);
    EXPECT_FLOAT_EQ(pacing.ChanceFor(1), 0.75f);
    EXPECT_FLOAT_EQ(pacing.ChanceFor(2), 0.5f);
    EXPECT_FLOAT_EQ(pacing.ChanceFor(3), 0.5f);
    EXPECT_FLOAT_EQ(pacing.ChanceFor(5), 0.25f);
    EXPECT_FLOAT_EQ(pacing.ChanceFor(6), 0.0f);
    EXPECT_FLOAT_EQ(pacing.ChanceFor(INT_MAX), 0.0f);
}

TEST_F(GameQuestList, ThresholdsAndChancesOfUnequalLengthsAreCutToTheShorter)
{
    QuestPacing pacing;
    pacing.Load(database.FindEntryByName("UnevenPacing"));
    EXPECT_EQ(pacing.questThresholds.size(), 1u);
    EXPECT_EQ(pacing.questChances.size(), 1u);
    EXPECT_FLOAT_EQ(pacing.ChanceFor(5), 0.0f);
    EXPECT_EQ(CountLinesHolding(debug, "UnevenPacing: 2 QuestThreshold but 1 QuestChance"), 1);
}

// The new-quest timer starts with the first step that has a player, runs its ten seconds, and
// each time it runs out a quest may start by the chance of the count; at six counted quests
// and more none does.
TEST_F(GameQuestList, TheNewQuestTimerStartsQuestsUntilTheLastThreshold)
{
    Step(10);
    EXPECT_FALSE(quests().GetTimer(GameQuests::kNewQuestTimer).running) << "nothing runs without a player";
    Hero(4);
    Step(1);
    EXPECT_TRUE(quests().GetTimer(GameQuests::kNewQuestTimer).running);
    EXPECT_FLOAT_EQ(quests().GetTimer(GameQuests::kNewQuestTimer).total, 10.0f);
    quests().GetPacing().deleteOldQuestsThreshold = 1000;
    // Ten minutes of game time: sixty chances.
    Step(12000);
    EXPECT_EQ(quests().CountCountedQuests(), 6);
    Step(4000);
    EXPECT_EQ(quests().CountCountedQuests(), 6);
}

TEST_F(GameQuestList, AWorldsInitialQuestsStartWithTheFirstPlayerThenTheStoryWaitsForNone)
{
    quests().GetPacing().minInitialQuests = 2;
    quests().GetPacing().maxInitialQuests = 2;
    quests().initialQuestsPending = true;
    quests().StartStoryQuest();
    EXPECT_TRUE(quests().GetList().empty()) << "the story waits for the initial quests";
    Step(1);
    EXPECT_TRUE(quests().initialQuestsPending) << "and they for a player";
    Hero(4);
    Step(1);
    EXPECT_FALSE(quests().initialQuestsPending);
    // Two random quests, then the story's first.
    ASSERT_EQ(CountQuests(), 3);
    EXPECT_EQ(quests().GetQuest(2)->definition, &Definition("StoryOne"));
}

// A beginning quest is started like any other: when a town quest drawn before it already runs
// its definition, it is refused as that quest's duplicate, so the world holds one of it.
TEST_F(GameQuestList, ABeginningQuestAlreadyRunningAsATownQuestIsNotStartedTwice)
{
    Hero(4);
    ASSERT_NE(Start("Bounty"), nullptr) << "the town's draw";
    quests().GetPacing().beginningQuests = {"Bounty", "Hunt", "Hunt"};
    quests().initialQuestsPending = true;
    Step(1);
    EXPECT_FALSE(quests().initialQuestsPending);
    int32_t bounties = 0;
    int32_t hunts = 0;
    for (const auto& quest : quests().GetList()) {
        bounties += quest && quest->definition == &Definition("Bounty") ? 1 : 0;
        hunts += quest && quest->definition == &Definition("Hunt") ? 1 : 0;
    }
    EXPECT_EQ(bounties, 1) << "the running one stands for the beginning one";
    EXPECT_EQ(hunts, 2) << "a definition that allows duplicates runs as often as it is named";
}

TEST_F(GameQuestList, TheOldestLowQuestGoesFirstAndOnlyWhenThereAreEnough)
{
    Player* player = Hero(12);
    quests().questsEnabled = false;
    Quest* first = Start("Hunt");
    Quest* second = Start("Hunt");
    Quest* high = Start("Hunt");
    ASSERT_TRUE(first && second && high);
    first->level = second->level = 9;
    high->level = 12;
    int32_t firstId = first->questId;
    int32_t secondId = second->questId;
    player->AcceptQuest(firstId);
    // Held by the player: the second of the two lowest goes instead of the first, once the
    // five seconds of the delete timer have run.
    Step(1);
    Step(90);
    EXPECT_NE(quests().GetQuest(secondId), nullptr);
    Step(30);
    EXPECT_NE(quests().GetQuest(firstId), nullptr);
    EXPECT_EQ(quests().GetQuest(secondId), nullptr);
    EXPECT_NE(quests().GetQuest(high->questId), nullptr) << "not old: above 12 - 3";

    player->AbandonQuest(firstId);
    quests().GetPacing().deleteOldQuestsThreshold = 3;  // two counted quests are not enough
    Step(200);
    EXPECT_NE(quests().GetQuest(firstId), nullptr);
}

TEST_F(GameQuestList, OfTwoOldQuestsOfOneLevelTheEarlierGoes)
{
    Hero(12);
    quests().questsEnabled = false;
    Quest* first = Start("Hunt");
    Quest* second = Start("Hunt");
    ASSERT_TRUE(first && second);
    first->level = second->level = 8;
    int32_t firstId = first->questId;
    int32_t secondId = second->questId;
    Step(1);
    Step(120);
    EXPECT_EQ(quests().GetQuest(firstId), nullptr);
    EXPECT_NE(quests().GetQuest(secondId), nullptr);
}

// ---- Treasure maps ---------------------------------------------------------------------------------

TEST_F(GameQuestList, ATreasureMapBecomesTheUsersQuestUnlessItsSlotsAreFull)
{
    Player* player = Hero(4);
    GiveQuestAreas("ChestBuried");
    Item map;
    map.SetEntryByName("MapBuried");
    game->GetClientLines().clear();
    game->GetPlayerLines().clear();
    EXPECT_TRUE(game->UseMapItem(map, *player));
    ASSERT_EQ(CountQuests(), 1);
    EXPECT_TRUE(player->HasQuest(0));
    EXPECT_EQ(quests().GetQuest(0)->type, QuestType::TreasureMap);

    for (int32_t i = 1; i < Player::kQuestSlotCount; ++i)
        ASSERT_NE(player->AcceptQuest(Start("Hunt")->questId), nullptr);
    int32_t before = CountQuests();
    game->GetClientLines().clear();
    game->GetPlayerLines().clear();
    EXPECT_FALSE(game->UseMapItem(map, *player));
    EXPECT_EQ(CountQuests(), before) << "no quest started";
    EXPECT_EQ(CountLinesWith("msg 4 \"$$FullQuestSlots$$\""), 1);

    auto* stranger = Spawn<Actor>(500.0f, 100.0f);
    EXPECT_FALSE(quests().UseTreasureMap(map, *stranger));
    EXPECT_EQ(CountQuests(), before);
}

// ---- The story --------------------------------------------------------------------------------------

TEST_F(GameQuestList, TheStoryStartsItsFirstUnsolvedQuestAndPassesOverUnnumberedOnes)
{
    Player* player = Hero(4);
    quests().StartStoryQuest();
    ASSERT_EQ(CountQuests(), 1);
    EXPECT_EQ(quests().GetQuest(0)->definition, &Definition("StoryOne"));
    quests().StartStoryQuest();
    EXPECT_EQ(CountQuests(), 1) << "one story quest runs already";

    quests().DeleteQuest(0);
    player->SetCharacterFlag(1, true);
    quests().StartStoryQuest();
    ASSERT_EQ(CountQuests(), 1);
    // StoryTwo has no bit of its own: the walk goes on to StoryThree.
    EXPECT_EQ(quests().GetQuest(0)->definition, &Definition("StoryThree"));

    quests().DeleteQuest(0);
    player->SetCharacterFlag(5, true);
    quests().StartStoryQuest();
    EXPECT_EQ(CountQuests(), 0) << "every story quest solved";
}

TEST_F(GameQuestList, AStoryBitOutsideTheListIsNoBitAndACycleEnds)
{
    Hero(4);
    quests().GetPacing().beginningQuests = {"StoryFar"};
    quests().StartStoryQuest();
    ASSERT_EQ(CountQuests(), 1);
    EXPECT_EQ(quests().GetQuest(0)->definition, &Definition("StoryThree"));
    EXPECT_EQ(CountLinesHolding(debug, "solved bit 5000 lies outside"), 1);

    quests().DeleteQuest(0);
    auto* player = static_cast<Player*>(game->GetPlayers().front());
    player->SetCharacterFlag(2, true);
    player->SetCharacterFlag(3, true);
    quests().GetPacing().beginningQuests = {"LoopA"};
    quests().StartStoryQuest();
    EXPECT_EQ(CountQuests(), 0);
    EXPECT_EQ(CountLinesHolding(debug, "comes back to it"), 1);
}

TEST_F(GameQuestList, AJoiningPlayerGetsTheStoryGoingOnceTheInitialQuestsStarted)
{
    Player* player = Hero(4);
    quests().initialQuestsPending = true;
    game->OnPlayerJoined(*player);
    EXPECT_EQ(CountQuests(), 0);
    quests().initialQuestsPending = false;
    game->OnPlayerJoined(*player);
    ASSERT_EQ(CountQuests(), 1);
    EXPECT_EQ(quests().GetQuest(0)->definition, &Definition("StoryOne"));
}

// ---- Quests offered through the town's quest givers ------------------------------------------------

namespace {

class GameQuestOffers : public GameQuestList {
protected:
    GameQuestOffers()
    {
        Actor::RegisterEventClass(events, types);
        spawn.Load();
        game->CreateTownNpcs();
        steward = dynamic_cast<Actor*>(game->GetTownNpc(NpcType::Steward));
        dicer = dynamic_cast<Actor*>(game->GetTownNpc(NpcType::Gambler));
        // The records give no health: the town's living are those with some.
        for (Actor* npc : {steward, dicer})
            if (npc)
                npc->maxHealth = npc->health = 50;
        hero = Hero(4);
        // Every run-out of the new-quest timer starts a quest.
        quests().GetPacing().questThresholds = {1000};
        quests().GetPacing().questChances = {1.0f};
        quests().GetPacing().deleteOldQuestsThreshold = 1000;
        offerEvent = gEventSystem->FindEvent(Actor::kOfferQuestEvent);
    }

    // Steps to the next run-out of the new-quest timer (ten seconds), the first one starting it.
    void ToNextOffer()
    {
        if (!quests().GetTimer(GameQuests::kNewQuestTimer).running)
            Step(1);
        Step(static_cast<int32_t>(quests().GetTimer(GameQuests::kNewQuestTimer).remaining / 0.05f) + 1);
    }

    bool OfferWaits(const Actor* npc) const { return game->FindTimedAction(offerEvent, npc) != nullptr; }

    Actor* steward = nullptr;
    Actor* dicer = nullptr;
    Player* hero = nullptr;
    int offerEvent = -1;
};

} // namespace

// Who offers: a townsperson whose record gives quests, to one whose record does not.
TEST_F(GameQuestOffers, OnlyAGiverOffersAndNeverToAnotherGiver)
{
    ASSERT_NE(steward, nullptr);
    ASSERT_NE(dicer, nullptr);
    struct Case {
        const char* name;
        Actor* npc;
        Entity* other;
        int32_t started;
    };
    const Case cases[] = {
        {"a giver to a player", steward, hero, 1},
        {"a giver to no one", steward, nullptr, 1},
        {"a giver to another giver", steward, steward, 0},
        {"a gambler, who gives no quests", dicer, hero, 0},
    };
    for (const Case& c : cases) {
        int32_t before = CountQuests();
        game->OfferNpcQuest(*c.npc, c.other);
        EXPECT_EQ(CountQuests() - before, c.started) << c.name;
        EXPECT_EQ(game->CountPendingTimedActions(), 0) << c.name;
    }
}

// The scheduler's new quest comes through a living giver of the town. A giver a quest is about
// is busy: its offer waits, once, and comes when the quest about it has gone. A town whose
// givers are all dead starts the quest by itself.
TEST_F(GameQuestOffers, TheSchedulersQuestIsOfferedByAGiverAndABusyOneOffersLater)
{
    ASSERT_NE(steward, nullptr);
    ToNextOffer();
    EXPECT_EQ(CountQuests(), 1) << "a free giver";
    EXPECT_FALSE(OfferWaits(steward));

    Quest* errand = Start("Keepsake");
    ASSERT_NE(errand, nullptr);
    errand->target.Set(steward);
    ASSERT_TRUE(quests().IsNpcBusyWithQuest(steward));
    int32_t before = CountQuests();
    ToNextOffer();
    ToNextOffer();
    EXPECT_EQ(CountQuests(), before) << "a busy giver starts nothing";
    EXPECT_TRUE(OfferWaits(steward));
    EXPECT_EQ(game->CountPendingTimedActions(), 1) << "one offer waits, however often the timer runs out";
    // Only the waiting offer may start a quest now.
    quests().questsEnabled = false;
    quests().DeleteQuest(errand->questId);
    Step(static_cast<int32_t>(Game::kNpcQuestOfferSeconds / 0.05f) + 2);
    EXPECT_EQ(CountQuests(), before) << "the waiting offer, once the giver is free";
    EXPECT_FALSE(OfferWaits(steward));
    quests().questsEnabled = true;

    steward->health = 0;
    before = CountQuests();
    ToNextOffer();
    EXPECT_EQ(CountQuests(), before + 1) << "no living giver";
    EXPECT_FALSE(OfferWaits(steward));
}
