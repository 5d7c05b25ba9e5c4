// ServerQuestRecordTest -- the server's quest record in the real game with a scripted quest list: reset values, teardown, rewards and their messages, solved story quests, targets, abandoning, removal, follow-ups and expiry.
#include "server/GameWorld.h"

#include "core/DatabaseEntry.h"
#include "core/LocSystem.h"
#include "entities/Actor.h"
#include "entities/Player.h"
#include "rules/RulesEnums.h"
#include "server/quests/Quest.h"
#include "server/quests/QuestHost.h"

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {

constexpr const char* kQuestRecordRecords = R"(
GameSystem
{
    MaxMoney 1000
}
ArchetypeWild
{
    Type MonsterArchetype
    FactionName "Wilds"
}
ActorBeast
{
    Type Actor
    NpcType OneShot
}
MonsterBeast
{
    Type MonsterType
    Archetype ArchetypeWild
    Definition ActorBeast
    Name "Grey Beast"
    MinLevel 1
    MaxLevel 30
}
Plain
{
    Type Quest
    QuestType KillMonsters
}
Scored
{
    Type Quest
    QuestType KillMonsters
    ScoreBase 40
    ScorePerCount 5
    ItemReward Plain
    QuestSolvedBit -1
}
StoryStep
{
    Type Quest
    QuestType StoryBemmelGraves
    ItemReward Plain
    QuestSolvedBit 7
    NextQuest Plain
}
FarBit
{
    Type Quest
    QuestType KillMonsters
    ItemReward Plain
    QuestSolvedBit 5000
}
Armoury
{
    Type Quest
    QuestType KillMonsters
    ArmorReward 1
    WeaponReward 1
}
Tame
{
    Type Quest
    QuestType MonsterQuest
    ReputationChange 30
}
Oneshot
{
    Type Quest
    QuestType Delivery
    ReturnNpcType OneShot
}
Steward
{
    Type Quest
    QuestType Delivery
    ReturnNpcType Steward
}
Rescue
{
    Type Quest
    QuestType RescueNpc
    DefaultMonster MonsterBeast
}
Escort
{
    Type Quest
    QuestType Escort
}
Hire
{
    Type Quest
    QuestType Recruit
    MaxTime 60
}
Timed
{
    Type Quest
    QuestType KillMonsters
    MaxTime 60
}
Fetch
{
    Type Quest
    QuestType LevelQuestItem
}
Map
{
    Type Quest
    QuestType TreasureMap
}
Ghost
{
    Type Quest
    QuestType GhostRevenge
    MonsterSpawnChanceMult 2.5
    NextQuest Plain
}
Spotted
{
    Type Quest
    QuestType UniqueMonsterSpotted
    HasUniqueMonster 1
}
LoopA
{
    Type Quest
    QuestType KillMonsters
    NextQuest LoopB
}
LoopB
{
    Type Quest
    QuestType KillMonsters
    NextQuest LoopA
}
)";

// The game's quest list as a script: it records what the quests ask and answers as told.
class ScriptedQuestHost : public QuestHost {
public:
    void DeleteQuest(Quest& quest) override { deleted.push_back(&quest); }
    void StartQuest(const DatabaseEntry* definition, Quest*, int32_t level) override
    {
        started.push_back(std::string(definition->GetName()));
        startLevels.push_back(level);
        if (onStart)
            onStart(definition);
    }
    bool HasDuplicateQuest(const Quest&) const override { return duplicate; }
    bool IsQuestCompleteForAnyPlayer(int32_t questId) const override { return completeFor.count(questId) > 0; }
    Quest* GetWorldQuest(int32_t questId) const override { return questId == 0 ? worldQuest : nullptr; }
    void ResetRecruitQuests() override { ++recruitResets; }
    void EndQuestForPlayers(int32_t questId) override { endedForPlayers.push_back(questId); }
    void RemoveQuestIfUnheld(int32_t questId) override { removedIfUnheld.push_back(questId); }
    void CompletePlayerQuests(int32_t questId) override { completedForPlayers.push_back(questId); }
    Quest* StartQuestOfType(int32_t questType, Quest*) override
    {
        startedTypes.push_back(questType);
        return nullptr;
    }
    bool HasOpenQuestOfType(int32_t) const override { return false; }
    Quest* FindFirstRecruitQuest() const override { return nullptr; }
    int32_t PickQuestLevel(int32_t requested) override { return requested; }
    bool CanStartQuest(const Quest&) const override { return canStart; }
    bool PlaceQuestAtLevel(Quest& quest, int32_t level) override
    {
        quest.targetLevel = level;
        return placeable;
    }
    void CollectFreeMonsterTypes(int32_t, int32_t, int32_t, std::vector<MonsterType*>& out) const override
    {
        out = freeTypes;
    }
    Quest* FindQuestForTarget(int32_t, const Entity*) const override { return nullptr; }
    const MonsterType* GetStrongestBossType() const override { return nullptr; }
    float GetFactionRelation(const MonsterType&, const MonsterType&) const override { return 50.0f; }
    float GetWarThreshold() const override { return 20.0f; }
    bool AreFactionsAtWar(const MonsterType&, const MonsterType&) const override { return false; }
    void SetFactionsAtWar(const MonsterType&, const MonsterType&) override {}
    bool CanFactionsGoToWar(const MonsterType&, const MonsterType&) const override { return false; }
    bool CanMonsterAppear(int32_t, const MonsterType&) const override { return true; }
    void RaiseSpawnChance(int32_t, const MonsterType*, float) override {}
    WorldPos GetTownCenter() const override { return {}; }
    bool PickCovenantHome(WorldPos&, std::string&) override { return false; }
    Covenant* PickRandomCovenant() override { return nullptr; }
    TimeStamp GetNow() const override { return now; }
    int32_t GetDifficulty() const override { return 1; }
    const QuestWorld* GetQuestWorld() const override { return nullptr; }
    bool AreUniqueMonstersAllowed(int32_t) const override { return uniqueAllowed; }
    void UndoSpawnChanceChange(int32_t level, const MonsterType*, float multiplier) override
    {
        undone.emplace_back(level, multiplier);
    }
    int32_t CountTownNpcs() const override { return static_cast<int32_t>(townNpcs.size()); }
    Actor* GetTownNpc(int32_t index) const override
    {
        return index >= 0 && index < CountTownNpcs() ? townNpcs[static_cast<size_t>(index)] : nullptr;
    }
    Entity* GetTownNpcOfType(int32_t) const override { return nullptr; }
    std::string RandomNpcName() override { return "Nobody"; }
    std::string GetEntityDisplayName(Entity&) override { return "Someone"; }
    float& SupplyTradeValue(bool food) override { return food ? foodValue : goodsValue; }
    int32_t GetCovenantCount() const override { return 0; }
    Covenant* GetCovenant(int32_t) const override { return nullptr; }
    std::string GetCovenantText(int32_t index) const override
    {
        auto found = covenantTexts.find(index);
        return found == covenantTexts.end() ? std::string() : found->second;
    }
    void CreateTownNpc(int32_t) override {}
    bool GetTownSpot(int32_t, WorldPos&, int32_t&) const override { return false; }
    void AddDynamicNpcChat(int32_t, std::string_view, int32_t) override {}
    void QueueSoundAtFirstPlayer(std::string_view, float, float) override {}
    void SpawnLevelBlock(int32_t, int32_t) override {}
    Actor* SpawnMonsterInRandomFreeBlock(int32_t, int32_t&, const MonsterType*, int32_t) override { return nullptr; }
    void AnnounceDeath(Entity&) override {}
    bool HasMatchingRevenge(const Quest&) const override { return false; }
    Player* GetFirstPlayer() const override { return firstPlayer; }
    float GetGameSeconds() const override { return gameSeconds; }
    int32_t GetSolvedBitBase() const override { return solvedBase; }
    bool IsSolvedBitSet(const Player&, int32_t bit) const override { return solvedBits.count(bit) > 0; }
    void DropRewardItem(const Quest&, Player&, bool armor, bool weapon) override
    {
        rewardItems.emplace_back(armor, weapon);
    }
    void DropItem(const DatabaseEntry* item, Player&) override { droppedItems.push_back(item); }
    int32_t GetRelationship(const Entity&, const Entity&) const override
    {
        return relationships[std::min<size_t>(relationshipReads++, relationships.size() - 1)];
    }
    void ChangeFactionRelation(Entity&, const Player&, float amount) override { relationChanges.push_back(amount); }

    std::vector<Quest*> deleted;
    std::vector<std::string> started;
    std::vector<int32_t> startLevels;
    std::function<void(const DatabaseEntry*)> onStart;
    bool duplicate = false;
    std::set<int32_t> completeFor;
    Quest* worldQuest = nullptr;
    int32_t recruitResets = 0;
    std::vector<int32_t> endedForPlayers;
    std::vector<int32_t> removedIfUnheld;
    std::vector<int32_t> completedForPlayers;
    std::vector<int32_t> startedTypes;
    bool canStart = true;
    bool placeable = true;
    std::map<int32_t, std::string> covenantTexts;
    std::vector<MonsterType*> freeTypes;
    TimeStamp now;
    bool uniqueAllowed = true;
    std::vector<std::pair<int32_t, float>> undone;
    std::vector<Actor*> townNpcs;
    Player* firstPlayer = nullptr;
    float gameSeconds = 0.0f;
    int32_t solvedBase = 0;
    std::set<int32_t> solvedBits;
    std::vector<std::pair<bool, bool>> rewardItems;
    std::vector<const DatabaseEntry*> droppedItems;
    std::vector<int32_t> relationships{2};
    mutable size_t relationshipReads = 0;
    std::vector<float> relationChanges;
    float foodValue = 1.0f;
    float goodsValue = 1.0f;
};

// The record on its own: what a carrier's step, events and talk do belongs to the kinds.
class RecordQuest : public Quest {
public:
    using Quest::Quest;
    void Advance(Player&, float) override {}
    void SeeEvent(Player&, Event&) override {}
    void TalkStep(Player&, Entity&) override {}
    void OnAccepted(Player&) override {}
};

class ServerQuestRecord : public GameWorld {
protected:
    ServerQuestRecord()
    {
        Actor::RegisterEventClass(events, types);
        Player::RegisterEventClass(events, types);
        LoadRecords(kQuestRecordRecords);
    }

    std::unique_ptr<RecordQuest> Make(const char* definition, int32_t questLevel = 4)
    {
        auto quest = std::make_unique<RecordQuest>(&host);
        EXPECT_TRUE(quest->Setup(database.FindEntryByName(definition), questLevel, 17u, 0, {})) << definition;
        quest->count = 1;
        return quest;
    }

    Actor* Beast(float x)
    {
        auto* beast = new Actor();
        beast->SetUpFromMonsterType(gameData.FindMonsterType("MonsterBeast"), 3, false);
        beast->SetPosition(At(x, 100.0f));
        EXPECT_NE(game->AddEntity(beast), -1);
        return beast;
    }

    Player* Hero()
    {
        auto* player = Spawn<Player>(300.0f, 100.0f);
        player->maxHealth = player->health = 10;
        return player;
    }

    int32_t CountLines(const std::string& line) const
    {
        const std::vector<std::string>& lines = game->GetClientLines();
        return static_cast<int32_t>(std::count(lines.begin(), lines.end(), line));
    }

    bool IsAlive(int32_t number) const { return game->GetEntity(number) != nullptr; }

    ScriptedQuestHost host;
};

} // namespace

// ---- Construction, reset and teardown ----------------------------------------------------------

TEST_F(ServerQuestRecord, ANewRecordHoldsTheResetValuesAndResetReleasesTheTarget)
{
    RecordQuest quest(&host);
    EXPECT_EQ(quest.level, -1);
    EXPECT_EQ(quest.eventTimer.running, 0);
    EXPECT_EQ(quest.eventTimer.listed, 1);
    EXPECT_EQ(quest.spawnPosition.level, -1);
    EXPECT_TRUE(quest.spawnPosition.wrap);
    EXPECT_EQ(quest.pendingBlock, -1);
    EXPECT_EQ(quest.multiplier, 1.0f);
    EXPECT_EQ(quest.targetHealthFraction, 1.0f);

    auto quest2 = Make("Plain");
    Actor* beast = Beast(100.0f);
    quest2->target.Set(beast);
    quest2->secondEntity.Set(beast);
    quest2->success = 9;
    quest2->multiplier = 3.0f;
    quest2->pendingBlock = 4;
    quest2->met = true;
    quest2->Reset();
    EXPECT_EQ(quest2->target.Get(), nullptr);
    EXPECT_EQ(quest2->secondEntity.Get(), beast);  // only the target is released by reset
    EXPECT_EQ(quest2->success, 0);
    EXPECT_EQ(quest2->multiplier, 1.0f);
    EXPECT_EQ(quest2->pendingBlock, -1);
    EXPECT_FALSE(quest2->met);
}

// Every pointer leaves its entity's list when the record goes, and an entity that goes first
// leaves the record's pointers empty; the address sanitizer build checks both orders.
TEST_F(ServerQuestRecord, TeardownIsCleanWhicheverGoesFirst)
{
    Actor* beast = Beast(100.0f);
    Actor* other = Beast(140.0f);
    {
        auto quest = Make("Ghost");
        quest->target.Set(beast);
        quest->secondEntity.Set(other);
        quest->treasureChest.Set(beast);
        quest->spawned.emplace_back(other);
        quest->members.push_back({SafePointer(beast), 1, 2});
    }
    auto quest = Make("Ghost");
    quest->target.Set(beast);
    quest->spawned.emplace_back(beast);
    quest->members.push_back({SafePointer(beast), 1, 2});
    int32_t number = beast->entityNumber;
    game->RemoveEntity(beast);
    delete beast;
    EXPECT_FALSE(IsAlive(number));
    EXPECT_EQ(quest->target.Get(), nullptr);
    EXPECT_EQ(quest->spawned[0].Get(), nullptr);
    EXPECT_EQ(quest->members[0].victim.Get(), nullptr);
}

TEST_F(ServerQuestRecord, CopyingAVictimRepointsAtTheSourcesEntity)
{
    Actor* first = Beast(100.0f);
    Actor* second = Beast(140.0f);
    QuestVictim source{SafePointer(second), 3, 4};
    QuestVictim copy{SafePointer(first), 0, 0};
    copy = source;
    EXPECT_EQ(copy.victim.Get(), second);
    EXPECT_EQ(copy.covenantIndex, 3);
    EXPECT_EQ(copy.memberIndex, 4);
    game->RemoveEntity(second);
    delete second;
    EXPECT_EQ(copy.victim.Get(), nullptr);
    EXPECT_EQ(source.victim.Get(), nullptr);
}

// ---- Rewards ------------------------------------------------------------------------------------

TEST_F(ServerQuestRecord, NoScoreAndNoExperienceLeaveTheirStatsAndLinesAlone)
{
    Player* player = Hero();
    auto quest = Make("Plain");
    int32_t score = player->stats.Get(CharacterStat::Score);
    int32_t xp = player->stats.Get(CharacterStat::Xp);
    game->GetClientLines().clear();
    quest->GiveReward(player);
    EXPECT_EQ(player->stats.Get(CharacterStat::Score), score);
    EXPECT_EQ(player->stats.Get(CharacterStat::Xp), xp);
    EXPECT_TRUE(game->GetClientLines().empty());
    quest->GiveReward(nullptr);  // nothing without a player
}

TEST_F(ServerQuestRecord, ExperienceShowsItsGainWithGroupedDigitsAndScoreCountsTheGoal)
{
    Player* player = Hero();
    auto quest = Make("Scored");
    quest->xpReward = 123456;
    quest->count = 3;
    game->GetClientLines().clear();
    quest->GiveReward(player);
    int32_t gain = player->stats.Get(CharacterStat::Xp);
    ASSERT_EQ(gain, 123456);
    EXPECT_EQ(CountLines(StringFormat("dmg %d +123,456xp", player->entityNumber)), 1);
    EXPECT_EQ(player->stats.Get(CharacterStat::Score), 40 + 5 * 3);
}

TEST_F(ServerQuestRecord, MoneyStopsAtTheGamesMaximum)
{
    Player* player = Hero();
    player->stats.Set(CharacterStat::Money, 900);
    auto quest = Make("Plain");
    quest->moneyReward = 500;
    quest->GiveReward(player);
    EXPECT_EQ(player->stats.Get(CharacterStat::Money), 1000);
}

TEST_F(ServerQuestRecord, ItemRewardsFollowTheSolvedBitAndArmourNamesItsMessage)
{
    Player* player = Hero();
    Make("Scored")->GiveReward(player);  // "QuestSolvedBit" -1: always given
    ASSERT_EQ(host.droppedItems.size(), 1u);
    EXPECT_EQ(host.droppedItems[0], database.FindEntryByName("Plain"));
    EXPECT_EQ(CountLines("msg 2 \"$$QuestItemReward$$\""), 1);

    host.solvedBase = 100;
    host.solvedBits = {107};
    Make("StoryStep")->GiveReward(player);  // bit 100 + 7 is set: no item
    EXPECT_EQ(host.droppedItems.size(), 1u);

    Make("FarBit")->GiveReward(player);  // 5100 lies outside the list: no bit, the item is given
    EXPECT_EQ(host.droppedItems.size(), 2u);
    EXPECT_EQ(CountLogged("^c005Quest FarBit: solved bit 5100 lies outside 0..4095\n"), 1);

    Make("Armoury")->GiveReward(player);
    ASSERT_EQ(host.rewardItems.size(), 1u);
    EXPECT_EQ(host.rewardItems[0], std::make_pair(true, true));
    EXPECT_EQ(CountLines("msg 2 \"$$QuestArmorReward$$\""), 1);
    EXPECT_EQ(CountLines("msg 2 \"$$QuestWeaponReward$$\""), 0);
}

// A truce is told only when the standing leaves the hostile codes 0 and 1.
TEST_F(ServerQuestRecord, AMonsterQuestTellsATruceOnlyWhenHostilityEnds)
{
    Player* player = Hero();
    Actor* beast = Beast(100.0f);
    struct Case {
        int32_t before, after;
        int32_t lines;
    };
    for (Case c : {Case{0, 2, 1}, Case{1, 3, 1}, Case{0, 1, 0}, Case{2, 3, 0}, Case{2, 0, 0}}) {
        game->GetClientLines().clear();
        host.relationships = {c.before, c.after};
        host.relationshipReads = 0;
        auto quest = Make("Tame");
        quest->target.Set(beast);
        quest->GiveReward(player);
        EXPECT_EQ(CountLines("msg 2 \"$$QuestMonsterQuestTruce~<Grey Beast@@>~$$\""), c.lines)
            << c.before << " -> " << c.after;
    }
    EXPECT_EQ(host.relationChanges, std::vector<float>(5, 30.0f));
    game->GetClientLines().clear();
    host.relationshipReads = 0;
    host.relationships = {0, 2};
    Make("Tame")->GiveReward(player);  // no target: no standing read, no change
    EXPECT_EQ(host.relationshipReads, 0u);
}

// ---- Solved story quests ------------------------------------------------------------------------

TEST_F(ServerQuestRecord, ASolvedStoryQuestIsSkippedTidiedAndFollowedUp)
{
    Player* player = Hero();
    Actor* beast = Beast(100.0f);
    Actor* item = Beast(140.0f);
    auto quest = Make("StoryStep");
    quest->target.Set(beast);
    quest->spawned.emplace_back(item);
    quest->spawnedCount = 1;
    EXPECT_FALSE(quest->SkipIfSolved(player));
    EXPECT_FALSE(quest->SkipIfSolved(nullptr));
    EXPECT_TRUE(host.deleted.empty());

    host.solvedBits = {7};
    std::string title = quest->BuildTitle(quest->level, true);
    ASSERT_FALSE(title.empty());
    int32_t itemNumber = item->entityNumber;
    EXPECT_TRUE(quest->SkipIfSolved(player));
    EXPECT_EQ(CountLines("msg 3 \"$$QuestSkipped~<" + title + "@@>~$$\""), 1);
    EXPECT_EQ(host.started, std::vector<std::string>{"Plain"});
    EXPECT_EQ(host.startLevels, std::vector<int32_t>{-1});
    EXPECT_EQ(host.deleted, std::vector<Quest*>{quest.get()});
    EXPECT_EQ(quest->target.Get(), nullptr);
    EXPECT_EQ(quest->spawnedCount, 0);
    Step();
    EXPECT_FALSE(IsAlive(itemNumber));
}

// ---- A recruit another covenant took -------------------------------------------------------------

TEST_F(ServerQuestRecord, ARecruitTakenByAnotherCovenantIsNewsAndLetGo)
{
    host.covenantTexts[2] = "Ash Hall";
    Actor* recruit = Beast(100.0f);
    auto hire = Make("Hire");
    hire->target.Set(recruit);
    auto plain = Make("Plain");
    plain->target.Set(recruit);
    plain->OnSolvedByOtherCovenant(2);
    EXPECT_TRUE(game->GetClientLines().empty()) << "only a recruit quest";
    EXPECT_EQ(plain->target.Get(), recruit);

    hire->OnSolvedByOtherCovenant(2);
    EXPECT_EQ(CountLines("msg 3 \"" +
                         MakeLocToken("QuestSolvedRecruitOtherCovenant", "%s %s", "Ash Hall", recruit->GetName().c_str()) +
                         "\""),
              1);
    EXPECT_EQ(host.recruitResets, 1);
    EXPECT_EQ(hire->target.Get(), nullptr);
    EXPECT_TRUE(IsAlive(recruit->entityNumber)) << "the recruit stays in the world";
}

// ---- Questions about an NPC --------------------------------------------------------------------

TEST_F(ServerQuestRecord, IsForAsksTheReturnTypeAndForOneShotTheWorldQuestsTarget)
{
    Actor* beast = Beast(100.0f);
    Actor* stranger = Beast(140.0f);
    auto delivery = Make("Steward");
    delivery->target.Set(beast);
    EXPECT_FALSE(delivery->IsFor(NpcType::None, beast));  // type 0, even for its own target
    EXPECT_TRUE(delivery->IsFor(NpcType::Steward, stranger));
    EXPECT_FALSE(delivery->IsFor(NpcType::Apothecary, beast));

    auto monster = Make("Tame");
    monster->target.Set(beast);
    EXPECT_TRUE(monster->IsFor(NpcType::None, beast));
    EXPECT_FALSE(monster->IsFor(NpcType::None, stranger));

    auto world = Make("Oneshot");
    world->target.Set(beast);
    host.worldQuest = world.get();
    auto copy = Make("Oneshot");
    copy->CopyFrom(world.get());
    copy->linkedCopy = true;
    copy->questId = 0;
    EXPECT_TRUE(copy->IsFor(NpcType::OneShot, beast));
    EXPECT_FALSE(copy->IsFor(NpcType::OneShot, stranger));
    EXPECT_TRUE(copy->IsFor(*beast));  // the slot's form asks the NPC's own type
    copy->questId = 5;                 // a world quest that is gone
    EXPECT_FALSE(copy->IsFor(NpcType::OneShot, beast));
}

TEST_F(ServerQuestRecord, TargetPredicatesHoldOnlyWhileTheQuestIsOpen)
{
    Actor* beast = Beast(100.0f);
    Actor* other = Beast(140.0f);
    auto rescue = Make("Rescue");
    rescue->progress = 0;
    EXPECT_TRUE(rescue->IsRescueTarget(other));  // any NPC of the default monster type
    EXPECT_FALSE(rescue->IsRescueTarget(nullptr));
    auto escort = Make("Escort");
    escort->target.Set(beast);
    EXPECT_TRUE(escort->IsEscortTarget(beast));
    EXPECT_FALSE(escort->IsEscortTarget(other));
    EXPECT_FALSE(escort->IsDeliveryTarget(beast));
    auto delivery = Make("Steward");
    delivery->target.Set(beast);
    EXPECT_TRUE(delivery->IsDeliveryTarget(beast));

    escort->progress = 1;  // complete
    delivery->failed = true;
    rescue->SetComplete();
    EXPECT_FALSE(escort->IsEscortTarget(beast));
    EXPECT_FALSE(delivery->IsDeliveryTarget(beast));
    EXPECT_FALSE(rescue->IsRescueTarget(other));
}

// ---- Failing, abandoning and removing -----------------------------------------------------------

TEST_F(ServerQuestRecord, FailingTwiceStartsTheFollowUpOnce)
{
    auto quest = Make("StoryStep");
    quest->SetFailed();
    quest->SetFailed();
    EXPECT_TRUE(quest->failed);
    EXPECT_EQ(host.started, std::vector<std::string>{"Plain"});
}

// Each quest of a "NextQuest" cycle that ends at once starts the next: the chain is followed
// round once, then logged and stopped.
TEST_F(ServerQuestRecord, ANextQuestCycleIsLoggedOnceAndStops)
{
    std::vector<std::unique_ptr<RecordQuest>> made;
    host.onStart = [&](const DatabaseEntry* definition) {
        made.push_back(Make(std::string(definition->GetName()).c_str()));
        made.back()->ended = true;
        made.back()->OnRemove();
    };
    auto first = Make("LoopA");
    first->ended = true;
    first->OnRemove();
    EXPECT_EQ(host.started, (std::vector<std::string>{"LoopB", "LoopA"}));
    EXPECT_EQ(CountLogged("^c005Quest LoopB: its NextQuest chain comes back to it; not started again\n"), 1);
}

TEST_F(ServerQuestRecord, AbandoningALinkedCopyNeverDeletesTheWorldQuest)
{
    Actor* item = Beast(140.0f);
    auto copy = Make("Fetch");
    copy->linkedCopy = true;
    copy->failed = true;
    copy->spawned.emplace_back(item);
    int32_t itemNumber = item->entityNumber;
    copy->Abandon();
    EXPECT_TRUE(host.deleted.empty());
    EXPECT_EQ(copy->level, -1);
    Step();
    EXPECT_FALSE(IsAlive(itemNumber));
}

TEST_F(ServerQuestRecord, AbandoningAWorldQuestDeletesOnlyTheFinishedOnes)
{
    auto running = Make("Escort");
    running->progress = 0;
    running->Abandon();
    auto completeKill = Make("Plain");
    completeKill->progress = 1;
    completeKill->Abandon();
    EXPECT_TRUE(host.deleted.empty());

    auto inactive = Make("Map");
    inactive->resetFlag = false;
    inactive->Abandon();
    EXPECT_TRUE(host.deleted.empty());

    auto map = Make("Map");
    auto failed = Make("Plain");
    failed->failed = true;
    auto completeEscort = Make("Escort");
    completeEscort->progress = 1;
    map->Abandon();
    failed->Abandon();
    completeEscort->Abandon();
    EXPECT_EQ(host.deleted, (std::vector<Quest*>{map.get(), failed.get(), completeEscort.get()}));
}

TEST_F(ServerQuestRecord, RemovalFadesTheTargetsOfTheNpcKindsAndUndoesTheSpawnChance)
{
    Actor* beast = Beast(100.0f);
    Actor* other = Beast(140.0f);
    auto ghost = Make("Ghost");
    ghost->targetLevel = 2;
    ghost->target.Set(beast);
    ghost->secondEntity.Set(other);
    ghost->OnRemove();
    EXPECT_EQ(ghost->target.Get(), nullptr);
    EXPECT_EQ(ghost->secondEntity.Get(), nullptr);
    ASSERT_EQ(host.undone.size(), 1u);
    EXPECT_EQ(host.undone[0], std::make_pair(2, 2.5f));
    EXPECT_TRUE(host.started.empty());  // not ended: no follow-up
    int32_t beastNumber = beast->entityNumber;
    Step(static_cast<int32_t>(Quest::kTargetFadeSeconds / 0.05f) + 2);
    EXPECT_FALSE(IsAlive(beastNumber));

    Actor* kept = Beast(180.0f);
    auto kill = Make("Plain");
    kill->target.Set(kept);
    kill->OnRemove();
    EXPECT_EQ(kill->target.Get(), kept);

    auto hire = Make("Hire");
    hire->ended = true;
    hire->OnRemove();
    EXPECT_EQ(host.recruitResets, 1);
    auto ended = Make("Ghost");
    ended->ended = true;
    ended->OnRemove();
    EXPECT_EQ(host.started, std::vector<std::string>{"Plain"});
}

TEST_F(ServerQuestRecord, AQuestIsLateOnlyPastItsDeadlineWhileOpen)
{
    auto timed = Make("Timed");
    timed->progress = 0;
    timed->deadline = {0, 1, 0, 0.0f};
    host.now = {0, 1, 0, 0.0f};
    EXPECT_FALSE(timed->IsLate());  // at the deadline
    host.now = {0, 1, 0, 0.5f};
    EXPECT_TRUE(timed->IsLate());
    timed->failed = true;
    EXPECT_FALSE(timed->IsLate());

    auto untimed = Make("Plain");
    untimed->progress = 0;
    EXPECT_FALSE(untimed->IsLate());

    auto hire = Make("Hire");
    hire->progress = 0;
    hire->questId = 3;
    EXPECT_TRUE(hire->IsLate());
    host.completeFor = {3};
    EXPECT_FALSE(hire->IsLate());
}

// ---- Set-up around an entity --------------------------------------------------------------------

TEST_F(ServerQuestRecord, ASpottedMonsterBecomesTheTargetUnlessAnyCheckFails)
{
    Actor* beast = Beast(100.0f);
    auto quest = Make("Spotted");
    quest->InitFromEntity(beast);
    EXPECT_FALSE(quest->ended);
    EXPECT_EQ(quest->target.Get(), beast);
    EXPECT_TRUE(beast->questFigure);
    EXPECT_EQ(quest->QuestBase::target, gameData.FindMonsterType("MonsterBeast"));
    EXPECT_EQ(quest->targetLevel, beast->position.level);

    // Each check that fails ends the quest; an empty record does nothing at all.
    struct Case {
        const char* failure;
        std::function<void()> arrange;
        bool usesEntity;
    };
    Player* player = Hero();
    const Case cases[] = {
        {"no entity", [] {}, false},
        {"no monster type", [] {}, true},
        {"no uniques on the level", [this] { host.uniqueAllowed = false; }, true},
        {"a duplicate runs", [this] { host.duplicate = true; }, true},
        {"cannot start", [this] { host.canStart = false; }, true},
        {"cannot be placed on the level", [this] { host.placeable = false; }, true},
    };
    for (const Case& c : cases) {
        host.uniqueAllowed = true;
        host.duplicate = false;
        host.canStart = true;
        host.placeable = true;
        c.arrange();
        auto failed = Make("Spotted");
        bool typeless = std::string(c.failure) == "no monster type";
        failed->InitFromEntity(!c.usesEntity ? nullptr : typeless ? static_cast<Entity*>(player) : beast);
        EXPECT_TRUE(failed->ended) << c.failure;
    }
    auto empty = std::make_unique<RecordQuest>(&host);
    empty->InitFromEntity(beast);
    EXPECT_FALSE(empty->ended);
}

