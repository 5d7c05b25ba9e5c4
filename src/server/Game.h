// Game -- the world host's one game: the entity table and players, per-level records, timed actions, covenants and the fixed-step update.
#pragma once

#include "core/EngineEnums.h"
#include "core/RandomTimer.h"
#include "core/SafePointer.h"
#include "core/TimeStamp.h"
#include "core/UserVarRef.h"
#include "covenants/Covenant.h"
#include "covenants/CovenantHost.h"
#include "covenants/TradeOffer.h"
#include "entities/Entity.h"
#include "entities/GameServices.h"
#include "rules/items/ItemPtrList.h"
#include "server/GameLevelRecord.h"
#include "server/TimedActionList.h"
#include "world/NetMessages.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class Actor;
class Player;
class CovenantDefinition;
struct PlayerCovenantKept;
class GameQuests;
class FactionSystem;
class GameSystem;
class MessageBuffer;
class NpcChat;
class Quest;
class QuestBase;
class Sentient;
class Weather;

// A queued sound or effect for the clients near it.
struct GameSoundRecord {
    int32_t sound = -1;  // resource handle (an index of the world host's name table)
    int32_t entityNumber = -1;
    WorldPos position;
    float value = 0.0f;
    float radius = 0.0f;
};

// Entity numbers are slots 0..1499 of a table walked in slot order. Main thread only; the world
// host calls Update once per fixed step of 0.05 seconds.
class Game : public GameServices, public CovenantHost {
public:
    static constexpr int32_t kTimerCount = 6;
    static constexpr int32_t kUpkeepTimer = 0;
    static constexpr int32_t kPurgeTimer = 1;
    static constexpr float kSlotReuseSeconds = 1.0f;
    // Every query of a circle grows by this with the wide flag.
    static constexpr float kWideSearchMargin = 64.0f;
    // A trace never takes more steps than this, whatever its length.
    static constexpr int32_t kMaxTraceSteps = 4096;
    // A handle past this names no resource the table keeps.
    static constexpr int32_t kMaxResourceNames = NetMessages::kMaxResourceNames;

    // Start-up: the game (behind gGame and gGameServices) and the server's entity classes.
    static void Create();
    // Shut-down: the game goes, with every entity left in it.
    static void Shutdown();

    Game();
    ~Game() override;
    Game(const Game&) = delete;
    Game& operator=(const Game&) = delete;

    // Back to no world: every entity deleted once, every list emptied, the clock at 0.
    void Reset();
    // Does nothing while a world runs. Reads the adventure afresh, lays out its levels, makes the
    // level records and the computer-run covenants.
    void NewWorld(int32_t startingLevel, int32_t difficulty, int32_t worldDifficulty, int32_t numAiCovenants);
    // One record per level of the world.
    void ResetLevels();
    bool IsLevelLoaded(int32_t level) const;
    // The world's difficulty setting as the datagrams carry it.
    int32_t GetCurrentDifficultyValue() const;

    // ---- The world host's worlds ------------------------------------------------------------
    // "newWorld": the first player (and its covenant) leaves the table, the game is reset and
    // a new world made, and the same player comes back into it.
    void StartNewWorld(int32_t startingLevel, int32_t difficulty, int32_t worldDifficulty, int32_t numAiCovenants);
    // The start position of the level's area (the world definition's own, kept by the game data,
    // for its level); the level's origin without one.
    WorldPos GetStartPosition(int32_t level) const;
    int32_t GetCurrentLevel() const { return currentLevel; }
    void SetCurrentLevel(int32_t level) { currentLevel = level; }
    // A world runs from here on, whether or not one could be made or loaded.
    void SetWorldRunning() { worldRunning = true; }

    // ---- Level records --------------------------------------------------------------------
    int32_t GetLevelRecordCount() const { return static_cast<int32_t>(levels.size()); }
    // False for a level or cell outside the records.
    bool IsCellExplored(int32_t level, int32_t cell);
    void SetCellExplored(int32_t level, int32_t cell);
    int32_t GetExploredCount(int32_t level) const;
    // Explores one cell of a level: an unexplored cell of a level that is or can now be
    // populated is marked explored (GameSurroundings.cpp).
    void SpawnLevelBlock(int32_t level, int32_t cell);
    // The step's exploration: SpawnLevelBlock for every probe around each player, then the
    // tutor; nothing while no world runs.
    void UpdatePlayerSurroundings(float seconds);
    // How many probe steps each side of a player the surroundings step looks ("SpawnSteps").
    static constexpr int32_t kMaxSpawnSteps = 32;
    int32_t GetSpawnSteps() const { return spawnSteps; }
    // The tutor is made for a player still in the tutorial; null while there is none.
    Entity* GetTutor() const { return tutor.GetAs<Entity>(); }
    // The tutor fades away and is let go; skipped, every recruit quest goes too
    // (GameSurroundings.cpp).
    void EndTutorial(bool skipped) override;
    // The tutorial anew: its running steps go and its first step ("TutorialQuest") starts.
    void StartTutorial() override;
    static constexpr float kTutorFadeSeconds = 5.0f;
    // The entry's timer is the delay varied by up to 5 percent either way (stream 0).
    void QueueRespawn(int32_t level, float delay, const WorldPos& position);
    // A slain wild creature comes back at its home after "MonsterRespawnTime".
    void QueueMonsterRespawn(const Entity& victim);
    const std::vector<RespawnEntry>* GetRespawnQueue(int32_t level) const;
    // The explored bits, then the explored count, as the world save holds them; false (the
    // record cleared) when the bytes run out or the bits are not one per cell of the grid. A
    // count that differs from the bits is logged and recounted.
    bool ReadLevelExplored(int32_t level, MessageBuffer& buffer);
    const TimeStamp* GetLastVisit(int32_t level) const;
    // Forgets what was explored and the respawns waiting, and lets the free entities of the
    // level go (players and covenant members stay): each gets "delete" in the next step.
    void ClearLevel(int32_t level);

    // ---- GameServices ---------------------------------------------------------------------
    Entity* GetEntity(int32_t number) const override;
    int32_t AddEntity(Entity* entity) override;
    void RemoveEntity(Entity* entity) override;
    const std::vector<Sentient*>& GetPlayers() const override { return players; }
    void ScheduleTimedAction(Listener* target, Event* event, float delay) override;
    bool CancelTimedActions(int eventId, const Listener* target) override;
    Event* FindTimedAction(int eventId, const Listener* target) const override;
    void CollectEntitiesNear(const WorldPos& position, float radius, bool useRadii,
                             std::vector<int32_t>& out) const override;
    void MoveInGrid(Entity* entity, const WorldPos& from, const WorldPos& to) override;
    bool TraceLine(const WorldPos& from, const WorldPos& to, const Entity* shooter, const Entity* ignored,
                   float& fraction) const override;
    bool IsKnownLevel(int32_t level) const override;
    bool IsCellBlocked(const WorldPos& position) const override;
    // The world's sight test of the cell under the position; blocked outside every level.
    virtual bool IsCellSightBlocked(const WorldPos& position) const;
    bool IsBodyBlocked(const WorldPos& position, float bodyRadius) const override;
    void QueueClientCommand(std::string_view line) override;
    void QueueWorldEvent(const WorldEventRequest& request) override;
    void RegisterResourceName(int32_t handle, std::string_view name) override;
    double GetGameTime() const override;
    float GetStepLength() const override { return stepLength; }
    float GetExperienceLossFraction() const override;
    float GetCombatEventTime() const override;
    std::unique_ptr<Item> GenerateItem(const DatabaseEntry* record, int32_t level) override;
    std::unique_ptr<Item> DrawRandomItem(int32_t level) override;
    int32_t GetRelationship(const Entity* a, const Entity* b) const override;
    void OnKillCredit(Sentient& credited, Entity& victim) override;
    void OnEntityDied(Entity& victim, Entity* killer) override;
    // The game's two factors, sent with every game update.
    void GetTradeValues(float& first, float& second) const override;
    // The trade value food items (true) or drinks report, which supply quests move.
    float& SupplyTradeValue(bool food) { return food ? factorA : factorB; }
    bool UseMapItem(Item& item, Sentient& user) override;
    // A player's slot holds a linked copy of a world quest (GameQuestLinks.cpp).
    std::unique_ptr<EntityQuest> CreatePlayerQuest() override;
    // Every rival house copies the recruit quest into its own quest record (made on first use,
    // a linked copy like a player's slot holds).
    void CreateActorCovenantQuests(const QuestBase& recruitQuest);
    // Every rival house empties its quest record.
    void ResetActorCovenantQuests();
    // Every player's slot copies take up the progress their world quests made.
    void RefreshPlayerQuests();
    const QuestBase* GetGameQuest(int32_t number) const override;
    void OnQuestAccepted(int32_t number, Sentient& player) override;
    // The world quest is solved by the player (its news, what its kind takes back, the story
    // bit) and then deleted.
    void OnQuestTurnedIn(int32_t number, Sentient& player) override;
    // The first open escort quest whose NPC that is.
    int32_t FindTalkQuestFor(const Entity& npc) const override;
    // A player's rescue unlocks the class of an NPC whose quest asks for it.
    void OfferRescueToQuests(Entity& npc) override;
    // The escorts the player holds keep up with it: each standing within 400 units of where
    // the player stood is moved beside it (GameQuestLinks.cpp).
    void KeepEscortsNear(Sentient& player, const WorldPos& from);
    // The program's path finder; false without one (GameActors.cpp).
    bool FindPath(const Entity& mover, const WorldPos& from, const WorldPos& target, const Entity* targetEntity,
                  PathRecord* path) override;
    bool IsLevelGenerated(int32_t level) const override;
    int32_t GetOrAddFaction(std::string_view name) override;
    bool GetLastActorHid() const override { return lastActorHid; }
    void SetLastActorHid(bool hid) override { lastActorHid = hid; }
    // The quests, the spawn system and the world objects answer these when they exist; until
    // then an actor's quest notices, calls for help and loot change nothing.
    void GetQuestsOfferedBy(const Entity& actor, std::vector<int32_t>& out) const override;
    void OnQuestFigureAttacked(Entity&, Entity*) override {}
    void OnQuestNpcDied(Entity&) override {}
    void OnQuestFigureDied(Entity&) override {}
    void OnActorDeath(Entity&) override {}
    void RescanSpecialKills() override {}
    // Every actor allied to the attacked one (relationship 3 or more) within the range takes up
    // the attacker (GameActors.cpp).
    void CallForHelp(Entity& actor, Entity* attacker, float range) override;
    void NotifyObjectsOfKind33() override {}
    const BehaviorStackList& GetBehaviorStacks() const override { return behaviorStacks; }
    // The world's random point of the level (GameActors.cpp).
    bool PickPointInLevel(int32_t level, WorldPos& out) override;

    // ---- The actors the game names (GameActors.cpp) -------------------------------------------
    // True when no living actor of the table is awake.
    bool AreAllActorsPassive() const;
    // The town's named actors, which the quests choose among by index: the town NPCs slot for
    // slot. An entry whose actor has gone stays in the list, empty; null outside the list.
    Actor* GetNamedActor(int32_t index) const;
    // The named actor's display name; empty outside the list or for an actor that has gone.
    void GetNamedEntry(int32_t index, std::string& out) const;
    int32_t CountNamedActors() const { return static_cast<int32_t>(namedActors.size()); }

    // ---- Spawning: the spawn system's hand-offs (GameSpawn.cpp) ---------------------------------
    void DropMonsterLoot(Sentient& victim, float moneyFactor, float itemsChance, float magicChance) override;
    Entity* MakeMonster(const DatabaseEntry* archetype, const DatabaseEntry* monsterType, int32_t level,
                        int32_t minRarity) override;
    std::unique_ptr<Item> GenerateShopItem(const ShopItemRequest& request) override;
    const MonsterType* PickGuardType(int32_t level) const override;
    const DatabaseEntry* PickTrapRecord(int32_t level) override;
    // The chest's loot on the ground around it: the opener's item find adds to the count, its
    // magic find to the chest's own magic bonus.
    void GenerateChestLoot(Chest& chest, float itemsChance, float magicChance) override;
    // Whether the level filler has filled the level in this world; false outside the records.
    bool IsLevelPopulated(int32_t level) const;
    void MarkLevelPopulated(int32_t level);
    // The product of the running quests' rarity factors for the type on the level.
    float GetMonsterRarityMultiplier(const MonsterType& monsterType, int32_t level) const;

    // ---- The town's NPCs and monsters sent to unused blocks (GameTown.cpp) ----------------------
    // One slot per name of the tuning's "NpcType" list, each with the NPC made for it; the
    // named actors are the town NPCs, slot for slot. A new world makes them.
    void CreateTownNpcs();
    void CreateTownNpc(int32_t slot);
    // Draws the slot's NPC a new name seed while another townsperson bears its name.
    void GiveTownNpcAnOwnName(int32_t slot);
    bool IsTownNameTaken(int32_t slot, const std::string& name) const;
    // The tutor is not kept with the town but made again for each game; its name follows from
    // the world's seed, so a resumed world names it as before, and no townsperson shares it.
    void GiveTutorTheWorldsName(Actor& npc) const;
    // The NPC of the type (a Vendor for a vendor record) at the first free spot around its town
    // spot, with "EnhancementTownNpc", in the table; null without a monster type of that NPC
    // type or a town spot.
    Entity* SpawnTownNpc(int32_t npcType);
    int32_t GetTownNpcSlotCount() const { return static_cast<int32_t>(townNpcs.size()); }
    // The NpcType of the slot's name; None outside the slots.
    int32_t GetTownNpcType(int32_t slot) const;
    // The first slot of the type; -1 when none.
    int32_t FindTownNpcSlot(int32_t npcType) const;
    Entity* GetTownNpc(int32_t npcType) const;
    // A joined player's welcome: the town NPCs below its level rise to it.
    void OnPlayerJoined(Player& player);
    // Each town NPC below the level rises one level at a time, keeping its share of health.
    void LevelTownNpcs(int32_t level);
    static void LevelTownNpc(Sentient& npc, int32_t level);
    // Whether the entity stands in one of the town's NPC slots.
    bool IsTownNpc(const Entity& entity) const;
    int32_t CountLivingTownNpcs() const;
    // One of the living NPCs drawn uniformly (stream 0); null when none lives.
    Entity* PickLivingTownNpc() const override;
    // The same among the living NPCs whose record has "GivesQuests"; no draw when none is.
    Entity* PickLivingQuestGiver() const;
    // A giver is an NPC whose record has "GivesQuests" (the data's word for it, not its NPC
    // type); a busy one is offered again after this long, once at a time.
    static constexpr float kNpcQuestOfferSeconds = 30.0f;
    void OfferNpcQuest(Entity& npc, Entity* other) override;
    // The "GameSystem" keys "TownSpot" + the type's name ("level x y") and "TownFacing" + name;
    // false without a spot.
    static bool GetTownSpot(int32_t npcType, WorldPos& spot, int32_t& facing);
    // A monster of the type at a random point of a block of the level: the given block, else an
    // unused one drawn (any block once all are used), written back for the caller's next call.
    Actor* SpawnMonsterInRandomFreeBlock(int32_t level, int32_t& block, const MonsterType* type,
                                         int32_t levelOverride);
    // The level's bonus chest, once a world, run as the level loads: a chest of the tuning's
    // record for the level's depth at a free spot near a random point of an unused block the
    // player can reach, the block then used. None in the town (level 0), in an area whose
    // record says "NoBonusChest", without the record, a reachable unused block or a free spot.
    Entity* SpawnBlockChest(int32_t level);
    // ----

    // ---- World objects: torches, traps, triggers ----------------------------------------------
    void ExtinguishTorchesNear(const WorldPos& position, float radius, float windStrength) override;
    void ScanEntitySlots(std::string_view name, Entity* activator) override;
    // A player's message, the secret's sound and the score (GameMessages.cpp).
    void OnSuperSecretFound(Entity& user) override;
    // The server's quests that place town traps answer this when they exist.
    void OnTownTrapCleared(Entity& trap) override;

    // ---- Weather (GameWeather.cpp) -----------------------------------------------------------
    // The weather's answer at the position.
    void GetWeatherAt(const WorldPos& position, float& intensity, Vector2& wind) const override;
    // Made with the game from the "Weather" record; its fronts go with every reset.
    Weather& GetWeather() { return *weather; }
    const Weather& GetWeather() const { return *weather; }

    // ---- Level objects: gates, secrets, chests (GameLevelObjects.cpp) -----------------------
    LinkedGates CreateLinkedGates(const DatabaseEntry* record, const WorldPos& a, const WorldPos& b,
                                  int32_t kind) override;
    // The next level of the world's secret range the cursor has not handed out; -1 past the
    // end. A secret is handed the same way.
    int32_t NextLevelInRange();
    int32_t NextSecretLevel() override { return NextLevelInRange(); }
    int32_t PeekSecretLevel() const override;
    void OnSecretFound(Sentient& player, int32_t level) override;
    // The server's quests hear of chests and gate trips once they exist; until then nobody does.
    void OfferChestToQuests(Chest& chest, Sentient* opener) override;
    // An escort within reach of where the player set out comes through the gate with it.
    void OfferGateTripToQuests(Sentient& player, const WorldPos& from, const WorldPos& to) override;
    // The spawn system's answers; until it exists a chest without stored items holds nothing and
    // no trap is armed.
    void CollectQuests(std::vector<const QuestBase*>& out) const override;
    float GetClock() const override { return static_cast<float>(timeOfDay); }
    float ChestOpenTime(int32_t chestLevel, int32_t userLevel) const override
    {
        return GetChestOpenTime(chestLevel, userLevel);
    }
    // The entities of the level flagged relocatable whose body does not fit where they stand move
    // to the first free spot of rings 0.."RelocateRings" around them.
    void RelocateBlockedEntities(int32_t level);
    // A new world's gates: the town's world gate ("ObjectTownGate" at "TownGatePosition" on
    // level 0) and a linked "ObjectGate" pair for every gate pair of the levels.
    void CreateWorldGates();
    // One record per world gate's level and world difficulty, made with the world's gates.
    const ItemPtrList& GetGateRecords() const override { return gateRecords; }

    // ---- What players ask of the game ------------------------------------------------------------
    // The unlock list the clients get when the adventure is won; a name already listed is not
    // listed twice, and a new world starts with none.
    void AddUnlock(std::string_view name) override;
    const std::vector<std::string>& GetUnlocks() const override { return unlocks; }
    // A stone of "ObjectSoulStone" where the player fell, holding floor("SoulStoneXpReduction" x
    // the debt); nothing without the record or room in the table.
    void SpawnSoulStone(Sentient& player, int32_t debt) override;

    // ---- Rule systems told of every kill (GameRuleSystems.cpp) ------------------------------------
    // Not owned; a system already listed is not listed twice.
    void AddRuleSystem(GameSystem* system);
    void RemoveRuleSystem(GameSystem* system);
    // Each listed system in order of listing.
    void NotifyRuleSystemsOfKill(Entity* killer, Entity* victim, int32_t flag);

    // ---- The world save (GameSave.cpp) -----------------------------------------------------------
    // PartlyRead: the world runs, but something saved in it was passed over or made anew (logged).
    enum class WorldLoadResult { Loaded, PartlyRead, Missing, Refused };
    // "chars/<name>.wld", the name as every file named after a character has it; false (logged,
    // out empty) for a name over 63 bytes or one that leaves nothing.
    static bool MakeWorldSavePath(std::string_view characterName, std::string& out);
    // Only while a world runs and the first player is in it. Written to a temporary file that
    // replaces the old one; false (logged) when nothing was written, the old file kept whole.
    bool SaveWorld(std::string_view characterName);
    // Only into a game with no running world. Refused leaves the game and the world as they were
    // constructed, with a warning naming the file, the field and its byte offset; so does damage
    // among the entity records that leaves the rest unfindable. A save older than the rivals has
    // them made anew from the start arguments, as a new world makes them; a rival block, or a
    // measured entity record, that does not read makes the load PartlyRead.
    WorldLoadResult LoadWorld(std::string_view characterName, int32_t startingLevel = 0, int32_t numAiCovenants = 0);
    // An unreadable save is kept beside, as "chars/<name>.wld.bad" (".bad2" and on beside earlier
    // ones), for whoever wants to look at it; false (logged) when it could not be. A damaged save
    // that stays in place because every name beside it is taken is never written over after.
    bool SetAsideWorldSave(std::string_view characterName);

    // ---- The step -------------------------------------------------------------------------
    void Update(float seconds);
    // "Active actors = %d" while "ai_numActive" is set.
    void ReportActiveActors() const;
    // The game's part of a game update for the player's client.
    void WriteNetPart(MessageBuffer& buffer, const Sentient* player) const;

    // ---- Spatial grid and traces ------------------------------------------------------------
    // An entity with a number on a level with a record enters that level's grid.
    void AddToGrid(Entity* entity);
    // Numbers from the position's level and its eight neighbours; out is cleared first.
    void FindEntitiesNear(const WorldPos& position, float radius, bool wide, std::vector<int32_t>& out) const;
    // Every number in the level's grid; out is cleared first.
    void CollectLevelEntities(int32_t level, std::vector<int32_t>& out) const;
    // True when a cell (mask 1: sight; else movement) or a counted entity blocks the way; the
    // entity goes to hit. Steps of the tile size; a non-finite point is blocked.
    bool TraceLine(const WorldPos& start, const WorldPos& end, uint32_t mask, const Entity* shooter,
                   const Entity* ignored, Entity*& hit) const;
    int32_t CountEntities() const;

    // ---- Timed actions and broadcasts -------------------------------------------------------
    void CancelTimedActionsFor(const Listener* target) { timedActions.CancelFor(target); }
    void ClearTimedActions() { timedActions.Clear(); }
    void UpdateTimedActions(float seconds) { timedActions.Update(seconds); }
    int32_t CountPendingTimedActions() const { return timedActions.CountPending(); }

    // A sound at the first player, with its entity number; nothing without one.
    void QueueSoundAtFirstPlayer(std::string_view name, float radius, float value);
    // Empties the player's entry; the list keeps its length.
    void RemovePlayer(const Sentient* player);
    // The player moves to the first empty entry when one comes before its own: one that took over
    // from a player who left only after it was added takes the place that player held.
    void MoveToFirstFreePlace(Sentient* player);

    // ---- Covenants ----------------------------------------------------------------------------
    int32_t GetCovenantCount() const override { return static_cast<int32_t>(covenants.size()); }
    // Null outside the list; the entities and the covenants both ask for it.
    Covenant* GetCovenant(int32_t index) const override;

    // ---- The covenants' host (GameCovenants.cpp) ------------------------------------------------
    TimeStamp GetGameClock() const override { return elapsed; }
    // Awake once a player has stepped out of the town or the player's covenant has dealt in a
    // treaty: until then the rivals keep still, so a new player meets a world that waited.
    bool IsWorldAwake() const override { return worldRunning && leftStartLevel; }
    bool IsFirstPlayer(const Entity& entity) const override;
    Vector2 GetPedestalOffset(int32_t i) const override;
    Actor* MakeGuard(const MonsterType& type, int32_t level) override;
    WorldPos TakeHomePosition() override { return TakeCovenantPosition(); }
    bool HasOpenQuest(int32_t type, const Entity* target) const override;
    void QuestSolvedByOtherCovenant(int32_t quest, int32_t covenant) override;
    bool IsLevelActive(int32_t level) const override { return IsLevelLoaded(level); }
    Actor* RollMonster(int32_t level, float factor) override;
    Actor* MakeRecruitActor(int32_t level) override;
    std::unique_ptr<Item> PickGuardItem(int32_t level) override;
    std::unique_ptr<Item> MakeRandomItem(int32_t level, int32_t minSpread, int32_t maxSpread) override;
    int32_t GetLevelChestCount(int32_t level) const override;
    std::unique_ptr<Chest> MakeLevelChest(int32_t level) override;
    void GenerateChestItems(const Chest& chest, const Entity& opener, std::vector<std::unique_ptr<Item>>& out) override;
    // Makes a computer-run covenant for a new world; until one is set, a new world has none.
    using CovenantMaker = std::function<std::unique_ptr<Covenant>()>;
    void SetCovenantMaker(CovenantMaker maker) { covenantMaker = std::move(maker); }
    // Appends the covenant, giving it its index; a player's covenant at the index the world save
    // kept one for takes that side back.
    void AddCovenant(std::unique_ptr<Covenant> covenant);
    // The covenant takes the place of the one at the index, which leaves the world first: the
    // others forget it (raids, offers, a shared adventure, treaties and routes) and its house,
    // guards and recruits' creatures go. With no covenant there, it is appended.
    void ReplaceCovenant(int32_t index, std::unique_ptr<Covenant> covenant);
    // The covenant of the players list's first entry; null when it is empty or has none.
    const EntityCovenant* GetFirstPlayerCovenant() const;
    // The first player deals with a member of the covenant: its interaction target belongs to it.
    bool IsFirstPlayerTargetCovenant(const Covenant& covenant) const;
    // The first player exists and is set to no interaction (mode 0).
    bool IsFirstPlayerUnassigned() const;
    // The index of the first empty entry of a list of pointers, owning or not; -1 when every
    // entry is taken.
    template <typename PointerList>
    static int32_t FindFreeSlot(const PointerList& list)
    {
        for (size_t i = 0; i < list.size(); ++i)
            if (!list[i])
                return static_cast<int32_t>(i);
        return -1;
    }
    // Destroys every quest of the list, in list order, and empties it.
    static void DeleteAllQuests(std::vector<std::unique_ptr<Quest>>& list);

    // ---- Deals between covenants (GameOffers.cpp) ----------------------------------------------
    // Every entry affordable by its giver; kinds that cost nothing and an empty offer pass. A
    // missing covenant affords nothing that costs.
    bool CanAffordOffer(const Covenant* first, const Covenant* second, const TradeOffer& offer) const override;
    // Every entry moves money or an item (true for an empty offer).
    static bool IsItemsOnlyOffer(const TradeOffer& offer);
    // Carries out an accepted offer, entry by entry in list order; nothing without both covenants.
    void ExecuteOffer(const TradeOffer& offer, Covenant* first, Covenant* second) override;
    // The offer under negotiation, rebuilt by each of the trade window's lines.
    TradeOffer& GetTradeOffer() { return tradeOffer; }
    // Seconds an identification (item level, player level) or a chest opening (chest level,
    // player level) takes.
    float GetIdentifyTime(int32_t itemLevel, int32_t playerLevel) const override;
    // The money identifying the item costs its user: the item's own price ("IdentifyCost" times
    // its level requirement, 0 once identified), whoever identifies it.
    int32_t GetIdentifyCost(const Item& item, const Sentient& user) const;
    float GetChestOpenTime(int32_t chestLevel, int32_t playerLevel) const;

    // ---- The end of a world as the players confirm it (GameOffers.cpp) --------------------------
    bool IsAlliedVictoryPending() const { return alliedVictoryPending; }
    bool IsWorldWonConfirmed() const { return winConfirmed; }
    // Ends the world: with covenants in use, every covenant ends, the player's counts the
    // victory (its own or an ally's) and the reward chest (large or medium) waits in the town;
    // then the player hears it won (GameEnding.cpp).
    void WinWorld(bool largeReward);
    // Each does something only while its flag is set and wins only a world not yet over, so a
    // repeated or late line, or the other answer in the same update, cannot end the world twice.
    void ConfirmWin();
    void AcceptAlliedVictory();
    // Every living covenant goes to war with the player's covenant instead; the step makes no
    // new offer until the alliance this one stood on has broken.
    void RejectAlliedVictory(Covenant& playerCovenant);

    // ---- Messages, defeat and the covenants' homes (GameMessages.cpp) -------------------------
    // The kinds of a message line: what concerns the player's own covenant, news of others.
    static constexpr int32_t kMessageOwnKind = 2;
    static constexpr int32_t kMessageNewsKind = 3;
    // A message whose kind follows the covenant's tie to the first player: mode 0 gives the own
    // kind for the player's covenant, mode 1 also for its protected allies (mutual protection
    // or alliance), else the news kind; any other mode is the kind itself. Nothing without a
    // first player with a covenant.
    void AnnounceForCovenant(const Covenant* covenant, int32_t mode, std::string_view text);
    // The first player's covenant is beaten for good.
    bool IsPlayerCovenantDefeated() const;
    // The game is over and the player's covenant counts one more world lost.
    void LoseWorld();
    // The keys of "GameSystem" only the game reads: "CovenantPosition" (each entry's two
    // fractions of the level's size, a missing number 0; every position free again),
    // "PedestalOffset" (x and y in world units, in pedestal order) and
    // "DynamicChatChance", "TownCenter" (in tiles of level 0), "SpawnSteps" (held to
    // 0..kMaxSpawnSteps, logged), "SpawnStepDistance" (world units), and "XpDebtPerDeath" and
    // "SoulStoneXpReduction" (shares: negative or not a number is 0, logged).
    void LoadTuning();
    // Where the town's weather is felt and a homeless covenant stands.
    const WorldPos& GetTownCenter() const { return townCenter; }
    // A free home position drawn on stream 0, never the same twice until all are used; with
    // none free, the town centre and a warning.
    WorldPos TakeCovenantPosition();
    int32_t CountFreeCovenantPositions() const { return freeCovenantPositions; }

    // ---- Diplomacy events (GameDiplomacy.cpp) --------------------------------------------------
    // Every operation here ignores an index outside the list, an empty slot and a destroyed
    // covenant. Follow-ups nest at most this deep; a deeper one is logged and dropped.
    static constexpr int32_t kMaxDiplomacyDepth = 64;
    // A treaty change between the covenants of the two indices, written both ways, announced
    // unless silent, and followed up (wars, peace, the pacts' obligations) either way.
    void AnnounceDiplomacy(int32_t first, int32_t second, int32_t treaty, bool silent) override;
    // Kind above 0 opens (or changes) the route between two living covenants, 0 cancels it.
    void SetTradeRoute(Covenant* first, Covenant* second, int32_t kind, bool silent) override;
    // What follows a war: the route goes, the target hears of it and its protectors honour their
    // treaties against the declarer.
    void DeclareWar(Covenant& declarer, Covenant& target);
    void StartRaid(int32_t raider, int32_t raided) override;
    void StopRaid(int32_t raider, int32_t raided) override;
    // A warning line below half of the lifestone's health, a louder one below a quarter.
    void AnnounceLifestone(int32_t covenant, float healthFraction) override;
    // Told to every living covenant in list order.
    void BroadcastPactCancelled(Covenant& first, Covenant& second);
    void BroadcastTradeRouteChanged(Covenant& first, Covenant& second, int32_t kind);
    // Whatever both sides of the offer give of influence (1), leader money (6) and crystals (8)
    // cancels out, first entries first; other kinds stay.
    static void NetTradeOffer(TradeOffer& offer);
    // Peace (or no route) toward every other covenant both ways, with no word and no follow-up.
    void SetPeaceWithAll(int32_t covenant) override;
    void ClearTradeRoutesOfAll(int32_t covenant) override;

    // ---- Names, NPC chat, the dynamic chat store and rumours (GameChat.cpp) --------------------
    // The total a rumour's share is measured against, the counter it moves, and the purse it is
    // paid from. It moves the transferred counter because the total is summed afresh from the
    // four counters every covenant step: a rumour that moved the total was undone at once.
    static constexpr int32_t kRumorResourceStat = CovenantStat::AbsoluteInfluence;
    static constexpr int32_t kRumorCounterStat = CovenantStat::InfluenceTransferred;
    static constexpr int32_t kRumorPurseStat = CovenantStat::Money;
    // The covenant's line as every message names it; empty for no covenant.
    std::string GetCovenantText(int32_t index) const override;
    // The name announcements give the entity: with its covenant's line, or a town NPC with its
    // kind (not a one-shot).
    virtual std::string GetEntityDisplayName(Entity& entity);
    // A made-up name from the male or the female list, evenly.
    std::string RandomNpcName();
    // The line the NPC says to the player on talk.
    virtual std::string GetNpcChat(Sentient& player, Actor& npc);
    // The line (empty when nothing is said) and the chat set chosen for the dialog type, null for
    // an introduction, a dynamic line or nothing. Talk (1) gives the introduction first, then
    // with "DynamicChatChance" a waiting dynamic line, else draws from the general sets.
    const NpcChat* GetNpcChat(Sentient& player, Actor& npc, int32_t dialogType, std::string& line);
    // Each town NPC of the type (0: all) may pick the event up as a dynamic line.
    void AddDynamicNpcChat(int32_t dialogType, std::string_view subject, int32_t npcTypeFilter) override;
    // The first spent record is reused; a line with no time left is spent.
    void AddDynamicChatLine(int32_t npcType, std::string_view text, float seconds);
    void UpdateDynamicChat(float seconds);
    bool HasDynamicChat(int32_t npcType) const;
    // The waiting line with the most time left (the first on ties), spent as it is said.
    bool TakeDynamicChat(int32_t npcType, std::string& out);
    // Above this intensity at the town centre, a new or ended front is talked about.
    static constexpr float kWeatherChatIntensity = 0.2f;
    int32_t CountDynamicChatRecords() const { return static_cast<int32_t>(dynamicChat.size()); }
    // The source pays the level's cost (times the target's level) and spreads the rumour: a
    // success or one of four failures drawn by weight, announced by the source's tie.
    void StartRumor(int32_t level, Covenant* source, Covenant* target) override;
    // A share of the living covenants' average resources, at most the target's, taken from
    // (no floor) or added to its resource counter; the amount.
    int32_t RumorDamage(Covenant& target, float minShare, float maxShare);
    int32_t RumorBackfire(Covenant& target, float minShare, float maxShare);
    // The living covenants' average total resources (kind 3) or statistic; 0 without any.
    int32_t AverageCovenantValue(int32_t kind) const;

    // ---- A won world (GameEnding.cpp) ---------------------------------------------------------
    // False until the world runs and false without either win condition (a world with nothing
    // to win is never won by itself); with "WinConditionCovenantsEliminated" every rival must be
    // destroyed; with "WinConditionAllQuestsSolved" the first player must hold a world quest
    // and every one it holds be complete or optional.
    bool IsWorldWon() const;
    // The covenants below the count (at most the list) end and are destroyed.
    void DestroyAllCovenants(int32_t count);
    // The reward chest of the record and level at the first free spot of the rings around the
    // town's square, facing south-west; null (nothing placed) for a missing record or a full table.
    Entity* PlaceRewardChest(std::string_view recordName, int32_t level);
    // The same at the first free spot of rings 0..rings around the centre, else the centre.
    Entity* PlaceRewardChestAt(std::string_view recordName, int32_t level, const WorldPos& centre, int32_t rings);

    // ---- Covenants fallen and peace refused (GameCovenantEvents.cpp) ----------------------------
    // The living covenant of the greatest strength, the earlier on a tie; null when none lives.
    Covenant* GetStrongestCovenant() const;
    // The player's living covenant is allied with every other living one, or the strongest
    // (not the player's) is.
    bool IsAlliedVictoryPossible() const;
    // Only a refusal is announced; an accepted peace is the treaty change's news.
    void AnnouncePeaceResponse(Covenant& first, Covenant& second, bool accepted) override;
    // Monsters' victim: one line and the town's talk. Another covenant's: its gain announced,
    // and the player's covenant finds the reward chest at the fallen house, where a computer-run
    // victor takes its reward itself.
    void OnCovenantDestroyed(Covenant& destroyed, Covenant* destroyer) override;
    // A death as news of the news kind (none when silent) and, when a creature killed, the
    // town's talk. A victim that is neither an NPC nor in a covenant is a wandering recruit; a
    // killer whose record says "HideKills" goes unnamed; a unique, legendary or boss killer is
    // named with its rarity's title.
    void AnnounceDeath(Entity* victim, Entity* killer, bool silent);
    // The world's kill event: the computer-run covenants hear of it.
    void OnEntityKilled(Entity& victim, Entity* killer);
    // When either entity belongs to a covenant, every covenant's hook hears the value.
    void OnCovenantEvent(const Entity* first, const Entity* second, int32_t value);

    // ---- Diplomacy, rumours, NPC chat and deliveries -----------------------------------------------
    // The diplomacy events, rumours, NPC chat and the world's quests answer these once they
    // exist; until then a treaty, route or rumour changes nothing, NPCs have nothing to say and
    // no quest takes a package.
    // The world's quests in order are offered the player's package for the actor; true when one
    // took it.
    virtual bool OfferQuestDelivery(Actor& npc, Player& player);

    // ---- State the other parts of the server read ---------------------------------------------
    const TimeStamp& GetElapsed() const { return elapsed; }
    double GetTimeOfDay() const { return timeOfDay; }
    void SetTimeOfDay(double hours) { timeOfDay = hours; }
    int32_t GetDifficulty() const { return difficulty; }
    bool IsWorldRunning() const { return worldRunning; }
    bool HasLeftStartLevel() const { return leftStartLevel; }
    bool IsGameOver() const { return gameOver; }
    bool IsWinAwaitingConfirm() const { return winAwaitsConfirm; }
    const RandomTimer& GetTimer(int32_t index) const { return timers[static_cast<size_t>(index)]; }
    const std::vector<GameSoundRecord>& GetSounds() const { return sounds; }
    // A sound whose name the table already holds, for the clients near it this frame.
    void QueueSound(const GameSoundRecord& record) { sounds.push_back(record); }
    void ClearSounds() { sounds.clear(); }
    // The lines for every client queued during the frame; the world host empties it.
    std::vector<std::string>& GetClientLines() { return clientLines; }
    // Empties the frame's lines and keeps their strings: the next frame's lines take their room,
    // so a steady stream of lines makes no new strings.
    void ClearClientLines();
    void QueueClientCommandFor(int32_t playerNumber, std::string_view line) override;
    // While a client's requests run, lines for another player go whole within the room, or
    // past it when they are the first such lines the requests make in the frame and their
    // player has heard no others past a room this frame (charged all the same); else none go.
    bool QueueClientCommandsFor(int32_t playerNumber, const std::vector<std::string>& lines) override;
    int32_t GetRequestPlayer() const override { return requestPlayer; }
    // While a client's requests run, what they add to the other clients' updates is held to the
    // room given (bytes: a line its length and one, a sound its record): a line for every client
    // past it goes to the requesting player alone; a line for another player, or a sound, past
    // it is dropped.
    void BeginRequestLines(int32_t playerNumber, size_t room);
    // What the requests since Begin used: the bytes, the lines sent to the requesting player
    // alone, and the lines and sounds dropped.
    struct RequestLinesUse {
        size_t used = 0;
        int32_t heldBack = 0;
        int32_t dropped = 0;
    };
    RequestLinesUse EndRequestLines();
    // The lines and sounds of the running requests dropped so far.
    int32_t CountDroppedRequestOutput() const { return requestDropped; }
    // The frame's lines for single players, by player number, in order of queuing.
    std::vector<std::pair<int32_t, std::string>>& GetPlayerLines() { return playerLines; }
    // Empties them once sent: the next frame's requests may send lines past their room again.
    void ClearPlayerLines();
    // The resource name table: server handles to names, and the handles whose name changed
    // since the world host last sent them (in order of change; it empties the list).
    const std::vector<std::string>& GetResourceNames() const { return resourceNames; }
    std::vector<int32_t>& GetChangedResourceNames() { return changedResourceNames; }
    // The world quests (server/quests/GameQuests), made with the game.
    GameQuests& GetQuests() { return *quests; }
    const GameQuests& GetQuests() const { return *quests; }
    std::vector<std::unique_ptr<Quest>>& GetWorldQuests();

protected:
    std::vector<Sentient*>& MutablePlayers() { return players; }
    // What the victory check of the step sets.
    void SetVictoryPending(bool alliedVictory, bool winAwaitingConfirm)
    {
        alliedVictoryPending = alliedVictory;
        winAwaitsConfirm = winAwaitingConfirm;
    }
    // Whether the level's area lets the purge clear it.
    virtual bool IsLevelPurgeable(int32_t level) const;
    // The level callbacks of the world; public to the world through the two static functions.
    void OnLevelLoaded(int32_t level);
    void OnLevelUnloaded(int32_t level);

private:
    // The world save's blocks are the game's own state, written and read in one place each.
    friend class WorldSaveWriter;
    friend class WorldSaveReader;

    // One per archetype with a stack, built from the loaded game data with the game; the
    // prototypes outlive every actor, which the destructor's reset deletes first.
    BehaviorStackList behaviorStacks;
    struct Slot {
        Entity* entity = nullptr;
        TimeStamp freedAt;
    };
    // Where an entity was entered into a grid: removal looks there, wherever it stands now.
    struct GridPlace {
        int32_t level = -1;
        float x = 0.0f;
        float y = 0.0f;
    };

    static void LevelLoadedCallback(int32_t level);
    static void LevelUnloadedCallback(int32_t level);

    int32_t ChooseSlot() const;
    void AddPlayer(Sentient* player);
    // Cells of a level's grid: one explored flag each.
    static size_t ExploredCellCount();
    GameLevelRecord* FindLevel(int32_t level);
    const GameLevelRecord* FindLevel(int32_t level) const;
    // A block of the level drawn among the record's unused ones that pass the test, uniformly;
    // -1 when none does. The record's used bits are sized to the grid first.
    int32_t DrawUnusedBlock(GameLevelRecord& record, const std::function<bool(int32_t)>& usable) const;
    // Enters the number at the position; only GridMove calls it, so no number stands twice.
    void GridAdd(int32_t number, const WorldPos& position);
    // The entity leaves the grid place it was entered at and enters the position's level grid
    // (none when the level has no record or the place is no number).
    void GridMove(Entity* entity, const WorldPos& position);
    void GridRemove(int32_t number);
    void GridQuery(int32_t level, float x, float y, float radius, std::vector<int32_t>& out) const;
    bool IsWorldCellBlocked(const WorldPos& position, bool sight) const;
    bool TraceCells(const WorldPos& start, const Vector2& delta, float stepLength, bool sight) const;
    void DeleteAllEntities();
    int32_t ChooseCovenantCount(int32_t requested) const;
    // One step of stream 0 is the world's secret seed; a new one rebuilds the secret levels.
    void DrawSecretSeed();
    void MakeCovenants(int32_t count, int32_t startingLevel, int32_t difficulty, int32_t worldDifficulty);
    // The world's rivals, their number chosen from the one asked for, every home position free.
    void MakeRivals(int32_t startingLevel, int32_t difficulty, int32_t worldDifficulty, int32_t numAiCovenants);

    // The steps of Update, in order.
    void StampPlayerLevels();
    void ExploreAround(const Sentient& player);
    void PlaceTutorFor(const Sentient& player);
    // The level's respawn queue counts down; a due respawn comes back or waits again.
    void UpdateLevel(GameLevelRecord& record, float seconds);
    bool IsRespawnKeptWaiting(const RespawnEntry& entry, int32_t level) const;
    void SpawnRespawn(int32_t level, const WorldPos& position);
    void UpdateEntityPurge();
    int32_t ChoosePurgeLevel() const;
    bool HasPlayerOn(int32_t level) const;
    void UpdateEntities(float seconds);
    void UpdateQuests(float seconds);
    void UpdateWeatherChat(float seconds);
    void UpdateUpkeep();
    // The next pay step a whole tax period away.
    void RestartUpkeepPeriod();
    void UpdateEndOfGame();
    void UpdateAlliedVictoryOffer();
    void AdvanceTimeOfDay(float seconds);
    bool AnyQuestSolvable(int32_t level) const;
    // An entry of kind 11 of an accepted offer (GameOffers.cpp).
    void ExecuteJointAction(int32_t value, Covenant& giver, Covenant& first, Covenant& second);
    // Every tutorial trade quest of the list is complete and turned in by the players holding it.
    void CompleteTutorialTrades();
    // The covenant of the index unless it is missing or destroyed (GameDiplomacy.cpp).
    Covenant* FindLivingCovenant(int32_t index) const;
    void AnnounceTreaty(Covenant& first, Covenant& second, int32_t treaty, int32_t oldTreaty);
    void FollowUpTreaty(Covenant& first, Covenant& second, int32_t treaty);
    // What a covenant that leaves the world leaves behind, cleared (GameCovenants.cpp).
    void ClearCovenantFromWorld(Covenant& leaving);
    // Every living third covenant raiding the partner goes to war with the other side unless
    // that side is its protector.
    void HonourProtectionPact(Covenant& side, Covenant& partner);
    void HonourAlliance(Covenant& ally, Covenant& partner);
    bool AreHeldQuestsSolved() const;
    bool IsAlliedWithAllLiving(const Covenant& centre) const;
    int32_t RumorAmount(const Covenant& target, float minShare, float maxShare) const;
    // 0 partial, 1 complete, 2 unknown backfire, 3 complete backfire (GameChat.cpp).
    int32_t PickRumorFailure() const;

    float factorA = 1.0f;
    float factorB = 1.0f;
    int32_t difficulty = 0;
    std::vector<Slot> slots;
    std::vector<GridPlace> gridPlaces;
    std::vector<Sentient*> players;
    std::vector<std::unique_ptr<Covenant>> covenants;
    int32_t covenantCount = 0;
    int32_t currentLevel = -1;
    float stepLength = 0.0f;
    TimeStamp elapsed;
    double timeOfDay = 12.0;
    std::vector<int32_t> loadedLevels;
    bool worldRunning = false;
    // A damaged save left in place (no name beside it was free): no save writes over it.
    std::string damagedSaveKept;
    UserVarRef aiNumActive;
    std::vector<GameLevelRecord> levels;
    bool leftStartLevel = false;
    bool gameOver = false;
    bool winAwaitsConfirm = false;
    bool winConfirmed = false;
    // The allied victory offered to the first player: the byte the game part carries for the
    // client's "AlliedVictory" menu.
    bool alliedVictoryPending = false;
    // The player refused the offer, and the alliance it was made on has not broken since.
    bool alliedVictoryRefused = false;
    TradeOffer tradeOffer;
    std::array<RandomTimer, kTimerCount> timers{};
    std::unique_ptr<GameQuests> quests;
    std::vector<SafePointer> namedActors;
    std::vector<GameSoundRecord> sounds;
    std::vector<std::string> clientLines;
    std::vector<std::string> spareLines;
    // Spare lines made when the game is made, and with each peak a step reaches beyond them.
    static constexpr size_t kPreparedClientLines = 256;
    static constexpr size_t kClientLineBatch = 16;
    void PrepareClientLines(size_t count);
    std::vector<std::pair<int32_t, std::string>> playerLines;
    // The requesting player while a client's requests run (-1 otherwise), with its room.
    int32_t requestPlayer = -1;
    size_t requestRoom = 0;
    size_t requestUsed = 0;
    int32_t requestHeldBack = 0;
    int32_t requestDropped = 0;
    // This frame: the requesting players that queued lines to be heard whole, and the players
    // that heard such lines past their maker's room.
    std::vector<int32_t> wholeLinesMakers;
    std::vector<int32_t> wholeLinesPastRoom;
    // False, counted as dropped, when requests run and the bytes would pass their room.
    bool TakeRequestRoom(size_t bytes);
    std::vector<std::string> resourceNames;
    std::vector<int32_t> changedResourceNames;
    TimedActionList timedActions;
    CovenantMaker covenantMaker;
    bool newWorld = false;
    bool lastActorHid = false;
    // The secret level NextSecretLevel handed out last; -1 before the first.
    int32_t lastSecretLevel = -1;
    // The player covenant's own side read from a world save, until its covenant joins.
    std::unique_ptr<PlayerCovenantKept> keptPlayerCovenant;
    ItemPtrList gateRecords;
    std::vector<std::string> unlocks;
    // Made with the game and behind gFactionSystem while it lives; a rule system of the game.
    std::unique_ptr<FactionSystem> factionSystem;
    // Scratch for the queries, kept to spare an allocation per call.
    mutable std::vector<int32_t> queryNumbers;
    mutable std::vector<Entity*> traceEntities;
    std::vector<RespawnEntry> dueRespawns;
    // ---- Town NPC slots: the "NpcType" names and, index for index, their NPCs.
    std::vector<std::string> townNpcTypeNames;
    std::vector<SafePointer> townNpcs;
    std::unique_ptr<Weather> weather;
    std::vector<GameSystem*> ruleSystems;
    // The covenants' home positions; the first freeCovenantPositions are still to hand out.
    std::vector<WorldPos> covenantPositions;
    std::vector<Vector2> pedestalOffsets;
    int32_t freeCovenantPositions = 0;
    // The town's waiting dynamic lines; a record with no time left is free.
    struct DynamicChatLine {
        int32_t npcType = 0;
        std::string text;
        float remaining = 0.0f;
    };
    std::vector<DynamicChatLine> dynamicChat;
    float dynamicChatChance = 0.0f;
    WorldPos townCenter;
    int32_t spawnSteps = 0;
    float spawnStepDistance = 0.0f;
    // The share of the level's experience a death outside the covenants' fights adds to the debt,
    // and the share of that debt its soul stone holds.
    float xpDebtPerDeath = 0.0f;
    float soulStoneXpReduction = 0.0f;
    SafePointer tutor;
    // The record names where the tutor stands; read once, the step asks every time.
    bool tutorSpotGiven = false;
    // How deep the diplomacy follow-ups now nest.
    int32_t diplomacyDepth = 0;
};

extern Game* gGame;
