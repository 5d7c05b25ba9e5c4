// GameQuests -- the game's list of world quests: where a new quest goes, the level it gets, quests started from definitions, the story chain, the scheduler and the look-ups the rest of the server asks.
#pragma once

#include "core/RandomTimer.h"
#include "server/quests/QuestHost.h"
#include "world/GameQuestWorld.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class DatabaseEntry;
class Entity;
class Game;
class Item;
class MonsterType;
class Player;
class Quest;
class QuestDefinition;
class Sentient;

// The "GameSystem" keys of the quest pacing; each missing key reads 0 (an empty list).
struct QuestPacing {
    int32_t minInitialQuests = 0;
    int32_t maxInitialQuests = 0;
    std::vector<std::string> beginningQuests;
    // Parallel lists: the first threshold above the count of counted quests picks the chance.
    // Unequal lengths are cut to the shorter, with a warning.
    std::vector<int32_t> questThresholds;
    std::vector<float> questChances;
    float eventChance = 0.0f;
    float newQuestMinTime = 0.0f;
    float newQuestMaxTime = 0.0f;
    float newEventMinTime = 0.0f;
    float newEventMaxTime = 0.0f;
    int32_t deleteOldQuestsThreshold = 0;
    float deleteOldQuestsTime = 0.0f;
    int32_t deleteOldQuestsLevelDiff = 0;
    int32_t easyQuestLevelDiff = 0;
    int32_t hardQuestLevelDiff = 0;
    int32_t minLevelForHardQuests = 0;
    // A quest whose generation fails on its draws is tried again with a new seed, this many times
    // in all: at least once, and at most kMaxCreateQuestTries so that a definition that can never
    // be generated does not hold up the step (a value outside is held to the range, logged).
    static constexpr int32_t kMaxCreateQuestTries = 64;
    int32_t createQuestTries = 1;

    // The record's keys; the defaults without a record.
    void Load(const DatabaseEntry* gameSystem);
    // The chance of a new quest while count quests are counted; 0 past the last threshold.
    float ChanceFor(int32_t count) const;
};

// Owned by the game, which hands it every player and town question. A quest's number is its
// index here; an entry may be empty and is reused first. Players' slots hold linked copies
// that name a world quest by number, so a world quest is deleted only after every slot that
// holds it has ended its copy.
class GameQuests : public QuestHost {
public:
    static constexpr int32_t kNewQuestTimer = 0;
    static constexpr int32_t kNewEventTimer = 1;
    static constexpr int32_t kDeleteTimer = 2;
    static constexpr int32_t kTimerCount = 3;

    explicit GameQuests(Game& game);
    ~GameQuests() override;
    GameQuests(const GameQuests&) = delete;
    GameQuests& operator=(const GameQuests&) = delete;

    // Every quest gone and the timers stopped; a new world's initial quests wait.
    void Reset();
    // Reads the pacing keys of the "GameSystem" record.
    void LoadTuning();
    const QuestPacing& GetPacing() const { return pacing; }
    QuestPacing& GetPacing() { return pacing; }
    std::vector<std::unique_ptr<Quest>>& GetList() { return list; }
    const std::vector<std::unique_ptr<Quest>>& GetList() const { return list; }
    const RandomTimer& GetTimer(int32_t index) const { return timers[static_cast<size_t>(index)]; }

    // ---- Switches ------------------------------------------------------------------------------
    // Whether the scheduler may start quests and events of its own.
    bool questsEnabled = true;
    // A new world starts its initial quests with the first step that has a player.
    bool initialQuestsPending = false;
    // Whether the initial quests include a random count of quests of the scheduler's kind.
    bool initialQuestSwitch = true;
    // Developer switches: a quest and an event every step; random monsters at the player.
    bool forceQuests = false;
    bool randomMonsters = false;

    // ---- The list ------------------------------------------------------------------------------
    // -1 when every entry holds a quest.
    int32_t FindFreeQuestSlot() const;
    // Takes the first empty entry or appends; the quest's number becomes its index. An
    // "AutoGiveToPlayer" quest goes to the first player's slots.
    int32_t AddQuest(std::unique_ptr<Quest> quest);
    // Null for a negative index, one past the list and an empty entry.
    Quest* GetQuest(int32_t index) const;
    // Every slot holding the number ends its copy first; then the quest's removal runs and the
    // entry empties. The quest itself is freed at the start of the next step.
    void DeleteQuest(int32_t index);
    void RemoveQuestIfUnheld(int32_t index) override;
    // The quest's solving runs with the solver, then the quest is deleted; nothing for an index
    // that holds no quest.
    void SolveQuest(int32_t index, Player& solver);
    // The solver handed the quest in: every other holder is paid and turned in too, then the
    // quest is solved and deleted once. A recruit joins one covenant only, so the other holders
    // of a recruit quest lose their copies with it.
    void OnQuestTurnedIn(int32_t index, Player& solver);
    void EndQuestForPlayers(int32_t questId) override;
    void CompletePlayerQuests(int32_t questId) override;
    bool IsQuestHeldByPlayer(int32_t questId) const;
    bool HasOpenQuestOfType(int32_t questType) const override;
    Quest* FindQuestForTarget(int32_t questType, const Entity* entity) const override;
    Quest* FindFirstRecruitQuest() const override;
    // Quests whose definition is counted in the pacing ("ActiveQuest").
    int32_t CountCountedQuests() const;
    // The world quest's skip, for the first player, when it exists and that player solved it.
    void SkipQuestByIndex(int32_t questId);
    // The quest's solved-by-a-covenant news; then every player's copy fails and the quest goes
    // unless a player still holds it.
    void QuestSolvedByOtherCovenant(int32_t index, int32_t covenantIndex);
    // A covenant took on the recruit by another road than the quest that offers it. A holder
    // of the quest in that covenant solved it (and hands it in when its copy is complete);
    // otherwise the covenant solved it in the holders' stead.
    void OnRecruitTaken(const Entity& recruit, int32_t covenantIndex);
    // True for no NPC, and for an NPC a numbered quest already has as its figure.
    bool IsNpcBusyWithQuest(const Entity* npc) const;
    // The monster types of the kind (5 unique, 6 legend, 7 boss) within the level window that
    // no running quest targets; out is cleared first.
    void CollectFreeMonsterTypes(int32_t kind, int32_t minLevel, int32_t maxLevel,
                                 std::vector<MonsterType*>& out) const override;

    // ---- Starting quests -----------------------------------------------------------------------
    // The level a new quest gets: the request held to the first player's window, or a draw in
    // it for -1; without a first player the request (at least 0).
    int32_t PickQuestLevel(int32_t requested) override;
    // A quest of the definition (an index into the game data's list), generated from the origin
    // (or none) at the level the request gives. Null when it failed, ended at once or was an
    // event that acts only as it starts.
    Quest* StartQuest(int32_t definitionIndex, Quest* origin, int32_t level);
    Quest* StartQuestOfType(int32_t questType, Quest* origin) override;
    // Null for no definition.
    Quest* StartQuestFromDefinition(const QuestDefinition* definition);
    // The quest of the database entry of that name; a name no quest has only logs.
    void StartQuestByName(const std::string& name);
    // A quest of a definition drawn from the quest weights.
    Quest* StartRandomQuest();
    // A world event drawn from the event weights.
    Quest* StartWorldEvent();
    // The user must be a player with a free slot ("$$FullQuestSlots$$"); the map's "QuestName"
    // starts at the map's level and the player takes it, else "QuestTreasureMapOutOfRange".
    bool UseTreasureMap(const Item& map, Sentient& user);
    void StartInitialQuests();
    // The next unsolved quest of the story chain, unless one runs already.
    void StartStoryQuest();
    // Skipped: every recruit quest goes.
    void EndTutorial(bool skipped);
    // A joined player's quests: level items of the quests it holds are placed, then the story
    // goes on.
    void OnPlayerJoined(Player& player);

    // ---- What happens in the world, told to every quest in number order ------------------------
    void OnEntityKilled(Entity& victim, Entity* killer);
    // The numbers of the quests that are for the entity; out is cleared first.
    void FindQuestsFor(const Entity& entity, std::vector<int32_t>& out) const;
    // A meeting's figure killed by a player counts as met (before the kill rules run).
    void NotifyMeetingKill(Entity& victim, Entity* killer);
    void OnChestOpened(const Entity& chest, Sentient* opener);
    // Each escort the player holds keeps up with it, measured from where the player stood.
    void KeepEscortsNear(Player& player, const WorldPos& from);
    // The product of "MonsterRarityMultiplier" over the quests about the type on the level;
    // 1 when none is.
    float GetQuestMultiplier(const MonsterType& monsterType, int32_t level) const;
    // Every trigger quest of that trigger name (case-blind) is done and handed to its players.
    void OnTriggerFired(std::string_view name);
    // A town trap a quest laid was cleared: the quest counts it (up to its count), its players'
    // copies follow, and a complete quest nobody holds goes.
    void OnTownTrapCleared(const Entity& trap);

    // ---- The step ------------------------------------------------------------------------------
    // Only while there is a first player: initial quests, new quests and events by their timers,
    // the old quest clean-up, then every quest's own step.
    void Update(float seconds);
    void DeleteOldQuest();

    // ---- QuestHost -----------------------------------------------------------------------------
    void DeleteQuest(Quest& quest) override;
    void StartQuest(const DatabaseEntry* definition, Quest* origin, int32_t level) override;
    bool HasDuplicateQuest(const Quest& quest) const override;
    bool IsQuestCompleteForAnyPlayer(int32_t questId) const override;
    Quest* GetWorldQuest(int32_t questId) const override { return GetQuest(questId); }
    void ResetRecruitQuests() override;
    void CreateActorCovenantQuests(const Quest& recruitQuest) override;
    // A copy never gives back progress it counted itself: it takes the world quest's only when
    // that is further on.
    void RefreshPlayerQuests() override;
    bool CanStartQuest(const Quest& quest) const override;
    bool PlaceQuestAtLevel(Quest& quest, int32_t level) override;
    const MonsterType* GetStrongestBossType() const override;
    float GetFactionRelation(const MonsterType& from, const MonsterType& toward) const override;
    float GetWarThreshold() const override;
    bool AreFactionsAtWar(const MonsterType& first, const MonsterType& second) const override;
    void SetFactionsAtWar(const MonsterType& first, const MonsterType& second) override;
    bool CanFactionsGoToWar(const MonsterType& first, const MonsterType& second) const override;
    bool CanMonsterAppear(int32_t level, const MonsterType& monsterType) const override;
    void RaiseSpawnChance(int32_t level, const MonsterType* monsterType, float multiplier) override;
    WorldPos GetTownCenter() const override;
    bool PickCovenantHome(WorldPos& home, std::string& covenantText) override;
    Covenant* PickRandomCovenant() override;
    TimeStamp GetNow() const override;
    int32_t GetDifficulty() const override;
    const QuestWorld* GetQuestWorld() const override;
    bool AreUniqueMonstersAllowed(int32_t level) const override;
    void UndoSpawnChanceChange(int32_t level, const MonsterType* monsterType, float multiplier) override;
    int32_t CountTownNpcs() const override;
    Actor* GetTownNpc(int32_t index) const override;
    Entity* GetTownNpcOfType(int32_t npcType) const override;
    std::string RandomNpcName() override;
    std::string GetEntityDisplayName(Entity& entity) override;
    float& SupplyTradeValue(bool food) override;
    int32_t GetCovenantCount() const override;
    Covenant* GetCovenant(int32_t index) const override;
    std::string GetCovenantText(int32_t index) const override;
    void CreateTownNpc(int32_t slot) override;
    bool GetTownSpot(int32_t npcType, WorldPos& spot, int32_t& facing) const override;
    void AddDynamicNpcChat(int32_t dialogType, std::string_view subject, int32_t npcTypeFilter) override;
    void QueueSoundAtFirstPlayer(std::string_view name, float radius, float value) override;
    void SpawnLevelBlock(int32_t level, int32_t block) override;
    Actor* SpawnMonsterInRandomFreeBlock(int32_t level, int32_t& block, const MonsterType* monsterType,
                                         int32_t levelOverride) override;
    void AnnounceDeath(Entity& victim) override;
    bool HasMatchingRevenge(const Quest& quest) const override;
    int32_t GetSolvedBitBase() const override;
    bool IsSolvedBitSet(const Player& player, int32_t bit) const override;
    void DropRewardItem(const Quest& quest, Player& player, bool armor, bool weapon) override;
    void DropItem(const DatabaseEntry* item, Player& player) override;
    int32_t GetRelationship(const Entity& first, const Entity& second) const override;
    void ChangeFactionRelation(Entity& target, const Player& player, float amount) override;
    Player* GetFirstPlayer() const override;
    float GetGameSeconds() const override;

private:
    // A quest of the definition, set up and generated; null when it failed or ended at once.
    Quest* Begin(const QuestDefinition& definition, Quest* origin, int32_t requestedLevel);
    // The scheduler's new quest, offered through a living townsperson who gives quests; a town
    // without one starts it by itself.
    void OfferTownQuest();
    void RestartTimers();
    bool IsDeletableOld(const Quest& quest, const Player& player) const;

    Game& game;
    QuestPacing pacing;
    GameQuestWorld questWorld;
    std::vector<std::unique_ptr<Quest>> list;
    // Deleted quests, out of the list but not yet freed: a quest is often deleted from within
    // its own step or handler, which still runs on it. Freed at the start of the next step.
    std::vector<std::unique_ptr<Quest>> finished;
    RandomTimer timers[kTimerCount];
    // The quest whose holders are being turned in; -1 when none.
    int32_t turningIn = -1;
};
