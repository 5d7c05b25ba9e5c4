// FakeGameServices -- the game as the entity tests see it: a real 1500-slot table, a manual clock, brute-force searches, recorded lines and scripted answers.
#pragma once

#include "core/SafePointer.h"
#include "entities/Entity.h"
#include "entities/EntityQuest.h"
#include "entities/GameServices.h"
#include "entities/Item.h"
#include "rules/items/ItemPtrList.h"

#include <array>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

class FakeGameServices : public GameServices {
public:
    FakeGameServices();
    ~FakeGameServices() override;
    // Destroys every entity still in the table and drops the pending actions, as the game
    // does when it ends; call it while the event system still exists.
    void DestroyAll();

    // Advances the clock one step and delivers the timed actions that fall due; actions
    // scheduled during the step are first counted down in the next one.
    void Step();
    void StepFor(float seconds);

    Entity* GetEntity(int32_t number) const override;
    int32_t AddEntity(Entity* entity) override;
    void RemoveEntity(Entity* entity) override;
    const std::vector<Sentient*>& GetPlayers() const override { return players; }
    void ScheduleTimedAction(Listener* target, Event* event, float delay) override;
    bool CancelTimedActions(int eventId, const Listener* target) override;
    Event* FindTimedAction(int eventId, const Listener* target) const override;
    void CollectEntitiesNear(const WorldPos& position, float radius, bool useRadii,
                             std::vector<int32_t>& out) const override;
    void MoveInGrid(Entity*, const WorldPos&, const WorldPos&) override { ++gridMoves; }
    bool TraceLine(const WorldPos& from, const WorldPos& to, const Entity*, const Entity*, float& fraction) const override;
    bool IsKnownLevel(int32_t level) const override { return level >= 0 && level < levelCount; }
    bool IsCellBlocked(const WorldPos& position) const override { return cellBlocked && cellBlocked(position); }
    bool IsBodyBlocked(const WorldPos& position, float) const override { return bodyBlocked && bodyBlocked(position); }
    void QueueClientCommand(std::string_view line) override { lines.emplace_back(line); }
    // Kept in lines too, and with its player's number in playerLines.
    void QueueClientCommandFor(int32_t playerNumber, std::string_view line) override
    {
        playerLines.emplace_back(playerNumber, line);
        lines.emplace_back(line);
    }
    void QueueWorldEvent(const WorldEventRequest& request) override;
    void RegisterResourceName(int32_t handle, std::string_view name) override { resourceNames[handle] = name; }
    double GetGameTime() const override { return now; }
    float GetStepLength() const override { return kStep; }
    float GetExperienceLossFraction() const override { return experienceLoss; }
    float GetCombatEventTime() const override { return combatEventTime; }
    // An item of the record when makesItems is set (levels asked for in itemLevels); else none.
    std::unique_ptr<Item> GenerateItem(const DatabaseEntry* record, int32_t level) override;
    // Hands out the records of randomItems in turn (with their stats), the levels kept in itemLevels.
    std::unique_ptr<Item> DrawRandomItem(int32_t level) override;
    EntityCovenant* GetCovenant(int32_t index) const override;
    int32_t GetRelationship(const Entity* a, const Entity* b) const override;
    void OnKillCredit(Sentient& credited, Entity& victim) override;
    void OnEntityDied(Entity& victim, Entity* killer) override;
    void GetTradeValues(float& first, float& second) const override
    {
        first = tradeValues[0];
        second = tradeValues[1];
    }
    float GetIdentifyTime(int32_t, int32_t) const override { return identifyTime; }
    bool UseMapItem(Item&, Sentient& user) override;

    bool FindPath(const Entity& mover, const WorldPos& from, const WorldPos& target, const Entity* targetEntity, PathRecord* path) override;
    bool IsLevelGenerated(int32_t level) const override { return IsKnownLevel(level) && levelGenerated; }
    int32_t GetOrAddFaction(std::string_view name) override;
    bool GetLastActorHid() const override { return lastActorHid; }
    void SetLastActorHid(bool hid) override { lastActorHid = hid; }
    void GetQuestsOfferedBy(const Entity&, std::vector<int32_t>& out) const override { out = offeredQuests; }
    void OnQuestFigureAttacked(Entity& actor, Entity*) override { Hook("figureAttacked", actor); }
    void OnQuestNpcDied(Entity& actor) override { Hook("npcDied", actor); }
    void OnQuestFigureDied(Entity& actor) override { Hook("figureDied", actor); }
    void OnActorDeath(Entity& actor) override { Hook("actorDeath", actor); }
    void RescanSpecialKills() override { hooks.emplace_back("rescan"); }
    void CallForHelp(Entity& actor, Entity*, float range) override;
    void DropMonsterLoot(Sentient& victim, float moneyFactor, float itemsChance, float magicChance) override;
    void NotifyObjectsOfKind33() override { hooks.emplace_back("kind33"); }
    const BehaviorStackList& GetBehaviorStacks() const override { return behaviorStacks; }
    // The scripted point on a known level, counted.
    bool PickPointInLevel(int32_t level, WorldPos& out) override
    {
        ++levelPointPicks;
        if (!IsKnownLevel(level))
            return false;
        out = levelPoint;
        out.level = level;
        return true;
    }
    Entity* MakeMonster(const DatabaseEntry* archetype, const DatabaseEntry* monsterType, int32_t level,
                        int32_t minRarity) override
    {
        return monsterMaker ? monsterMaker(archetype, monsterType, level, minRarity) : nullptr;
    }

    // ---- World objects: torches, traps, triggers ---------------------------------------------
    // Puts out the torches as the game does, and writes "wind x y radius strength" to hooks.
    void ExtinguishTorchesNear(const WorldPos& position, float radius, float windStrength) override;
    // Walks the table as the game does, and writes "signal <name> <activator>" to hooks.
    void ScanEntitySlots(std::string_view name, Entity* activator) override;
    void OnSuperSecretFound(Entity& user) override { Hook("superSecret", user); }
    void OnTownTrapCleared(Entity& trap) override { Hook("townTrap", trap); }

    // ---- Weather: scripted rain and wind ---------------------------------------------------
    void GetWeatherAt(const WorldPos& position, float& intensity, Vector2& wind) const override;

    // ---- Level objects: real gate pairs, scripted secret levels, traps, quests and clock -----
    LinkedGates CreateLinkedGates(const DatabaseEntry* record, const WorldPos& a, const WorldPos& b,
                                  int32_t kind) override;
    // The front of secretLevels, taken out; -1 when it is empty.
    int32_t NextSecretLevel() override;
    int32_t PeekSecretLevel() const override { return secretLevels.empty() ? -1 : secretLevels.front(); }
    void OnSecretFound(Sentient& player, int32_t level) override;
    void OfferChestToQuests(Chest& chest, Sentient* opener) override;
    void OfferGateTripToQuests(Sentient& player, const WorldPos& from, const WorldPos& to) override;
    void GenerateChestLoot(Chest& chest, float itemsChance, float magicChance) override;
    const DatabaseEntry* PickTrapRecord(int32_t level) override
    {
        trapLevels.push_back(level);
        return trapRecord;
    }
    void CollectQuests(std::vector<const QuestBase*>& out) const override { out = quests; }
    float GetClock() const override { return clock; }
    // chestOpenTime plus a second per level the chest is above its opener.
    float ChestOpenTime(int32_t chestLevel, int32_t userLevel) const override
    {
        return chestOpenTime + static_cast<float>(chestLevel - userLevel);
    }

    // ---- What a player asks (quest slots, gate records) ------------------------------------
    std::unique_ptr<EntityQuest> CreatePlayerQuest() override { return questMaker ? questMaker() : nullptr; }
    const ItemPtrList& GetGateRecords() const override { return gateRecords; }
    // Makes the players' quest objects; none when unset.
    std::function<std::unique_ptr<EntityQuest>()> questMaker;
    ItemPtrList gateRecords;
    const QuestBase* GetGameQuest(int32_t number) const override
    {
        return number >= 0 && number < static_cast<int32_t>(gameQuests.size()) ? gameQuests[static_cast<size_t>(number)]
                                                                              : nullptr;
    }
    void OnQuestAccepted(int32_t number, Sentient&) override { playerHooks.push_back("accepted " + std::to_string(number)); }
    void OnQuestTurnedIn(int32_t number, Sentient&) override { playerHooks.push_back("turnedIn " + std::to_string(number)); }
    void RefreshQuestsOf(Sentient&) override { playerHooks.emplace_back("refresh"); }
    int32_t FindTalkQuestFor(const Entity& npc) const override
    {
        auto found = talkQuests.find(npc.entityNumber);
        return found == talkQuests.end() ? -1 : found->second;
    }
    void OnPlayerLevelUp(Sentient&) override { playerHooks.emplace_back("levelUp"); }
    void EndTutorial(bool skipped) override { playerHooks.emplace_back(skipped ? "endTutorial skipped" : "endTutorial"); }
    void StartTutorial() override { playerHooks.emplace_back("startTutorial"); }
    void AddUnlock(std::string_view name) override { unlocks.emplace_back(name); }
    const std::vector<std::string>& GetUnlocks() const override { return unlocks; }
    bool AreAllMonstersDead() const override { return allMonstersDead; }
    void SpawnSoulStone(Sentient&, int32_t debt) override { playerHooks.push_back("soulStone " + std::to_string(debt)); }
    void AddDynamicNpcChat(int32_t kind, std::string_view text, int32_t) override
    {
        playerHooks.push_back("chat " + std::to_string(kind) + " " + std::string(text));
    }
    // The game's quest list, the talk-to quest of each NPC number, the unlock list.
    std::vector<const QuestBase*> gameQuests;
    std::map<int32_t, int32_t> talkQuests;
    std::vector<std::string> unlocks;
    bool allMonstersDead = false;
    // What the player told the game, in order.
    std::vector<std::string> playerHooks;

    int32_t CountPendingActions() const;
    // Every action ever scheduled, cancelled ones too.
    int32_t CountScheduledActions() const { return static_cast<int32_t>(actions.size()); }

    // The stacks actors set up here are given clones of.
    BehaviorStackList behaviorStacks;
    // What PickPointInLevel answers on a known level, and how often it was asked.
    WorldPos levelPoint;
    int32_t levelPointPicks = 0;

    static constexpr float kStep = 0.05f;

    std::vector<Sentient*> players;
    std::vector<EntityCovenant*> covenants;
    std::vector<std::string> lines;
    std::vector<std::pair<int32_t, std::string>> playerLines;
    std::vector<WorldEventRequest> worldEvents;
    std::map<int32_t, std::string> resourceNames;
    // Scripted answers of the world.
    std::function<bool(const WorldPos&)> cellBlocked;
    std::function<bool(const WorldPos&)> bodyBlocked;
    std::function<bool(const WorldPos&, const WorldPos&)> lineBlocked;
    int32_t relationship = 2;
    int32_t levelCount = 1;
    float experienceLoss = 0.0f;
    float combatEventTime = 2.0f;
    int32_t gridMoves = 0;
    // What the game was told, in order: "credit <number>", "died <number>", "map <number>".
    std::vector<std::string> notices;
    // Called with each notice as it arrives, for tests that look at the world at that moment.
    std::function<void(const std::string&)> onNotice;
    std::array<float, 2> tradeValues{1.0f, 1.0f};
    float identifyTime = 0.0f;
    bool mapUsedUp = false;
    // The scripted path finder: answers each search and counts them; a found path is the
    // steps given.
    std::function<bool(const Entity&, const WorldPos&, const WorldPos&, const Entity*)> pathAnswer;
    std::vector<int32_t> pathSteps;
    int32_t pathSearches = 0;
    // When set, searches run on it (after pathAnswer, when that is set, agrees).
    PathFinder* pathFinder = nullptr;
    bool levelGenerated = true;
    bool lastActorHid = false;
    std::vector<std::string> factions;
    std::vector<int32_t> offeredQuests;
    // The actor hooks in order: "<hook> <entity number>", "help <number> <range>", "loot ...".
    std::vector<std::string> hooks;
    // With a record, each loot drop puts one item of it, of the quality, into the victim's loot bag.
    const DatabaseEntry* lootRecord = nullptr;
    int32_t lootQuality = 0;
    // The spawn system's monsters, as the test makes them.
    std::function<Entity*(const DatabaseEntry*, const DatabaseEntry*, int32_t, int32_t)> monsterMaker;
    double now = 0.0;
    // The weather everywhere, unless weatherAt answers; each question is counted.
    float weatherIntensity = 0.0f;
    Vector2 weatherWind;
    std::function<void(const WorldPos&, float&, Vector2&)> weatherAt;
    mutable int32_t weatherQuestions = 0;

    // Level objects: what NextSecretLevel hands out, the trap table's answer and the levels it
    // was asked for, the quest list and the hour of the day.
    std::vector<int32_t> secretLevels;
    const DatabaseEntry* trapRecord = nullptr;
    std::vector<int32_t> trapLevels;
    std::vector<const QuestBase*> quests;
    float clock = 0.0f;
    float chestOpenTime = 2.0f;
    bool makesItems = false;
    std::vector<int32_t> itemLevels;
    std::vector<const DatabaseEntry*> randomItems;
    size_t nextRandomItem = 0;

private:
    struct TimedAction {
        // Set while the target lives; listener is only read then.
        SafePointer target;
        Listener* listener = nullptr;
        Event* event = nullptr;
        float remaining = 0.0f;
        bool done = false;
    };

    void Hook(const char* name, const Entity& entity);
    void Deliver(TimedAction& action);
    static bool IsFor(const TimedAction& action, const Listener* target);
    void Notice(const std::string& text);
    void FreeAction(TimedAction& action);

    std::array<Entity*, kMaxEntities> slots{};
    std::array<double, kMaxEntities> freedAt{};
    std::vector<std::unique_ptr<TimedAction>> actions;
};
