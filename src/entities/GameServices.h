// GameServices -- what the entities ask of the game that runs them: the entity table, searches, timed actions, lines for the clients, covenants.
#pragma once

#include "entities/ai/BehaviorStack.h"
#include "world/PathFinder.h"
#include "world/WorldPos.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class Chest;
class DatabaseEntry;
class Entity;
class EntityCovenant;
class EntityQuest;
class ItemPtrList;
class Event;
class Gate;
class Item;
class Listener;
class MonsterType;
class QuestBase;
class Sentient;
class StatusEffect;

// The bits of FindEntitiesInRadius. An entity is kept when it passes every exclusion bit set
// and at least one inclusion bit set.
namespace RadiusFilter {
enum : uint32_t {
    Every = 0x1,            // inclusion
    Friendly = 0x2,         // inclusion: the source is friendly to it
    Hostile = 0x4,          // inclusion: the source is hostile to it
    FactionAlly = 0x8,      // inclusion: both sentients, relationship 3 or more
    NotSource = 0x10,       // exclusion
    Dead = 0x20,            // inclusion: maximum health 1 or more, health below 1
    Living = 0x40,          // exclusion: keeps maximum health and health both above 0
    Projectiles = 0x80,     // inclusion
    NotFriendly = 0x100,    // exclusion: drops those the source is friendly to
    FactionNeutral = 0x200, // inclusion: both sentients, relationship 2 or more
    NoCovenant = 0x400,     // exclusion: drops covenant members
    Chests = 0x800,         // inclusion
    Related = 0x1000,       // exclusion: keeps those the source's IsRelatedTo accepts
    Creatures = 0x2000,     // exclusion: keeps creatures
};
} // namespace RadiusFilter

// How a ring search judges a cell.
struct SpawnSearch {
    // The body that must fit; the body test refuses every spot without one.
    const Entity* entity = nullptr;
    // Set: an open world cell with no ground item within 0.05 (IsSpotFree). Clear: the body test.
    bool freeSpot = false;
    bool otherLevels = false;
    // Bit (1 << solidType) of the blockers that count; 0 means 5 (Normal and Transparent).
    uint32_t solidMask = 0;
};

// A shop's random item: GenerateShopItem's request.
struct ShopItemRequest {
    int32_t level = 1;
    int32_t minSpread = 0;
    int32_t maxSpread = 0;
    float aboveChance = 0.0f;
    int32_t aboveSpread = 0;
    int32_t magicBonus = 0;
};

// The game's world events for the clients: a named sound or effect at a place.
struct WorldEventRequest {
    std::string name;
    int32_t entityNumber = -1;
    WorldPos position;
    float radius = 0.0f;
    float value = 0.0f;
};

// The two gates of a linked pair; both null when the pair could not be made.
struct LinkedGates {
    Gate* first = nullptr;
    Gate* second = nullptr;
};

// Filled by the server's game, and in the tests by a fake with the same contract. Entity
// numbers are table slots 0..kMaxEntities-1; anything else names no entity.
class GameServices {
public:
    static constexpr int32_t kMaxEntities = 1500;
    static constexpr float kSpotClearance = 0.05f;

    GameServices();
    // Out of line: the spare effects are deleted where their class is known.
    virtual ~GameServices();

    // ---- The entity table and the players ------------------------------------------------
    virtual Entity* GetEntity(int32_t number) const = 0;
    // The slot free longest (at least one second when one is that old) gets the entity, sets
    // its number and calls OnAddedToGame. -1 with "Couldn't add entity, too many entities"
    // logged when the table is full, or when OnAddedToGame gave the number up (the slot is
    // then cleared): the caller deletes the entity.
    virtual int32_t AddEntity(Entity* entity) = 0;
    // Clears the slot, flags the entity's timed actions done; the caller destroys it.
    virtual void RemoveEntity(Entity* entity) = 0;
    virtual const std::vector<Sentient*>& GetPlayers() const = 0;
    Sentient* FindNearestPlayer(const WorldPos& position) const;

    // ---- Timed actions: events delivered to a listener's handler after a delay ----------------
    // The game owns the record from here on; delay in seconds of game time. The target is an
    // entity or another listener that is also a SafeClass (a trap schedules on itself); the
    // action is dropped when its target is gone by then.
    virtual void ScheduleTimedAction(Listener* target, Event* event, float delay) = 0;
    // Flags done every pending action of the event id for the target; true when any was.
    virtual bool CancelTimedActions(int eventId, const Listener* target) = 0;
    // The first pending action of the event id for the target; null when none.
    virtual Event* FindTimedAction(int eventId, const Listener* target) const = 0;

    // ---- Searches -----------------------------------------------------------------------
    // The entity numbers whose distance to the position (less their radius with useRadii) is
    // at most the radius.
    virtual void CollectEntitiesNear(const WorldPos& position, float radius, bool useRadii,
                                     std::vector<int32_t>& out) const = 0;
    // out is cleared first; see RadiusFilter.
    void FindEntitiesInRadius(const WorldPos& centre, const Entity* source, float radius, uint32_t filter,
                              std::vector<Entity*>& out, bool addSourceRadius) const;
    // Of the entities FindEntitiesInRadius keeps, and accept takes when given, the one nearest
    // the centre on the ground, the earlier in the search's order on equal distances; null when
    // none is kept.
    Entity* FindNearestEntity(const WorldPos& centre, const Entity* source, float radius, uint32_t filter,
                              bool addSourceRadius, bool (*accept)(const Entity&) = nullptr) const;
    virtual void MoveInGrid(Entity* entity, const WorldPos& from, const WorldPos& to) = 0;
    // True when the straight way is blocked; fraction is how far it got (0..1).
    virtual bool TraceLine(const WorldPos& from, const WorldPos& to, const Entity* shooter, const Entity* ignored,
                           float& fraction) const = 0;
    // Whether the world has a level of the index.
    virtual bool IsKnownLevel(int32_t level) const = 0;
    // The world's own test of a level cell.
    virtual bool IsCellBlocked(const WorldPos& position) const = 0;
    // The world's test of a body of the radius standing at the position.
    virtual bool IsBodyBlocked(const WorldPos& position, float bodyRadius) const = 0;
    // The straight way from the position to the entity, then the blockers along it.
    bool HasClearLine(const WorldPos& from, const Entity* entity, uint32_t solidMask) const;
    // An open cell with no ground item or chest within kSpotClearance.
    bool IsSpotFree(const WorldPos& position) const;
    // The entity's body fits at the position: no obstacle under it and no solid entity of a
    // kind in the mask within its radius (the entity itself and the one ignored aside). Always
    // for an entity that ignores obstacles.
    bool IsSpotFreeForBody(const WorldPos& position, const Entity* entity, uint32_t solidMask,
                           const Entity* ignored = nullptr) const;
    // No solid entity of a kind in the mask within the entity's radius of the position (the
    // entity itself and the one ignored aside); the level's cells are not looked at.
    bool IsSpotClearOfBlockers(const WorldPos& position, const Entity* entity, uint32_t solidMask,
                               const Entity* ignored = nullptr) const;
    // The border cells of the square ring of radius r cells around the centre, rows from north
    // (+y) to south, each from west to east; the first accepted cell goes to out.
    bool FindSpawnPositionInRing(const WorldPos& centre, int32_t r, const SpawnSearch& search, WorldPos& out) const;
    // Rings 0..rings in turn; when none yields, the centre with useCentre, else false.
    bool FindSpawnPosition(const WorldPos& centre, int32_t rings, const SpawnSearch& search, bool useCentre,
                           WorldPos& out) const;
    // A plain entity showing the model, deleted after the seconds. Its HideModel bit stays
    // clear: a client draws nothing of an entity with it, and the effect is there to be seen.
    Entity* SpawnModelEntity(std::string_view modelName, const WorldPos& position, float seconds);

    // ---- Lines for the clients ------------------------------------------------------------
    virtual void QueueClientCommand(std::string_view line) = 0;
    // A line for the one client whose player has the number (a warp concerns no other client).
    virtual void QueueClientCommandFor(int32_t playerNumber, std::string_view line)
    {
        (void)playerNumber;
        QueueClientCommand(line);
    }
    // Lines for that one client that are heard whole or not at all (an offer's terms and the
    // names of its goods). False, none queued, when the game held them back.
    virtual bool QueueClientCommandsFor(int32_t playerNumber, const std::vector<std::string>& lines)
    {
        for (const std::string& line : lines)
            QueueClientCommandFor(playerNumber, line);
        return true;
    }
    // The number of the player whose client's requests are running; -1 between them.
    virtual int32_t GetRequestPlayer() const { return -1; }
    // "msg %d \"%s\"" with the kind and the text. A '"' of the text would end the client's
    // quoted argument and a line break its line: they go as an apostrophe and a blank.
    void SendMessage(std::string_view text, int32_t kind);
    // The same message for the one client whose player has the number: what a player is told
    // of its own doings (a refusal, its level, its lives) is no other client's.
    void SendMessageTo(int32_t playerNumber, std::string_view text, int32_t kind);
    // Nothing for an empty name.
    virtual void QueueWorldEvent(const WorldEventRequest& request) = 0;
    // Remembers the name of a resource handle and announces a new pair to the clients.
    virtual void RegisterResourceName(int32_t handle, std::string_view name) = 0;

    // ---- Time and tuning --------------------------------------------------------------------
    // Seconds of game time since the game began.
    virtual double GetGameTime() const = 0;
    virtual float GetStepLength() const = 0;
    virtual float GetExperienceLossFraction() const = 0;
    // Seconds a combat outcome stays in a sentient's entity state.
    virtual float GetCombatEventTime() const = 0;

    // ---- What actors ask of the world, the quests, the factions and the spawn system ----------
    // A walk for the mover from the point to the target point (towards the entity when
    // given); the path is filled when asked. False when the finder finds none.
    virtual bool FindPath(const Entity& mover, const WorldPos& from, const WorldPos& target, const Entity* targetEntity,
                          PathRecord* path) = 0;
    // Whether the level's grid exists now.
    virtual bool IsLevelGenerated(int32_t level) const = 0;
    // The faction's index, the faction made when the name is new; -1 for an empty name.
    virtual int32_t GetOrAddFaction(std::string_view name) = 0;
    // Whether the last actor set up hid; groups hide together.
    virtual bool GetLastActorHid() const = 0;
    virtual void SetLastActorHid(bool hid) = 0;
    // The numbers of the quests the actor offers.
    virtual void GetQuestsOfferedBy(const Entity& actor, std::vector<int32_t>& out) const = 0;
    virtual void OnQuestFigureAttacked(Entity& actor, Entity* attacker) = 0;
    virtual void OnQuestNpcDied(Entity& actor) = 0;
    virtual void OnQuestFigureDied(Entity& actor) = 0;
    // Every dead actor's bookkeeping; the rescan of special kills after a monster type with it.
    virtual void OnActorDeath(Entity& actor) = 0;
    virtual void RescanSpecialKills() = 0;
    // The attacked actor's call for help to those within the range.
    virtual void CallForHelp(Entity& actor, Entity* attacker, float range) = 0;
    // The spawn system's monster loot for the dead sentient.
    virtual void DropMonsterLoot(Sentient& victim, float moneyFactor, float itemsChance, float magicChance) = 0;
    // A new monster set up by the spawn system but not yet in the table: of the archetype when
    // given, else of the monster type when given, else a random one of at least the rarity.
    // Null when it can make none; the caller owns it.
    virtual Entity* MakeMonster(const DatabaseEntry* archetype, const DatabaseEntry* monsterType, int32_t level,
                                int32_t minRarity) = 0;
    // The world objects of kind 33 hear that an actor came back.
    virtual void NotifyObjectsOfKind33() = 0;
    // The prototype behaviour stacks the game built once its data was loaded; none here.
    virtual const BehaviorStackList& GetBehaviorStacks() const;

    // ---- What monster behaviours ask of the world -----------------------------------------------
    // A random reachable point of the level; false when the level does not exist.
    virtual bool PickPointInLevel(int32_t level, WorldPos& out) = 0;
    static constexpr const char* kHeardSoundEvent = "HeardSound";
    // A noise around the source that the living within the radius hear as the entity's
    // ("HeardSound"): actors that may hate it come for it.
    void BroadcastNewEvent(Entity* entity, Entity* source, float radius);
    // The noise a skill makes: that broadcast, under the name the skill rules give it.
    void MakeNoise(Entity* entity, Entity* source, float radius);

    // ---- Weather: rain and wind for torches, traps and the clients ---------------------------
    // The rain intensity and the wind vector at the position: the nearby fronts summed, each
    // capped by the weather's tuning. 0 and no wind where no front reaches.
    virtual void GetWeatherAt(const WorldPos& position, float& intensity, Vector2& wind) const = 0;

    // ---- Spawning: what vendors ask of the spawn system (the game's spawn system answers) -----
    // A random item for a shop at the level: the spreads, the chance and spread above the level
    // and the magic bonus as the spawn system takes them. Null when none; none here.
    virtual std::unique_ptr<Item> GenerateShopItem(const ShopItemRequest& request);
    // A guard type for hire at the level; null without one (and here).
    virtual const MonsterType* PickGuardType(int32_t level) const;
    // ----

    // ---- Items, covenants and relations ------------------------------------------------------
    // A new item of the record at the level, or null.
    virtual std::unique_ptr<Item> GenerateItem(const DatabaseEntry* record, int32_t level) = 0;
    // An item drawn by the spawn tables' weights around the level, any record, or null (and here).
    virtual std::unique_ptr<Item> DrawRandomItem(int32_t level);
    // Null for a negative index or one past the list.
    virtual EntityCovenant* GetCovenant(int32_t index) const = 0;
    // 0 (hostile) to 4 (friendliest); 2 when either is missing.
    virtual int32_t GetRelationship(const Entity* a, const Entity* b) const = 0;

    // ---- Kills, trade and item kinds the game decides -----------------------------------------
    // The game's credit for a kill to the credited sentient: quests, statistics.
    virtual void OnKillCredit(Sentient& credited, Entity& victim) = 0;
    // The game's handling of a death: announcements, quest and covenant notices, the respawn
    // queue. The victim stays in the table: it leaves by its own "delete".
    virtual void OnEntityDied(Entity& victim, Entity* killer) = 0;
    // The game's two trade values, the price factors of item types 22 and 23.
    virtual void GetTradeValues(float& first, float& second) const = 0;
    // Seconds an identification takes: longer for an item above the identifier's level,
    // shorter (down to a floor) for one below it.
    virtual float GetIdentifyTime(int32_t itemLevel, int32_t playerLevel) const = 0;
    // The game's use of an item of type 21 (a treasure map); true when it is used up.
    virtual bool UseMapItem(Item& item, Sentient& user) = 0;

    // ---- World objects: torches, traps, triggers ---------------------------------------------
    // Delivers the event to every entity the radius search (RadiusFilter bits) finds around the
    // source; the record then goes back to the pool unless kept. Without a source nobody hears it.
    void BroadcastEventInRadius(Event* event, Entity* source, float radius, uint32_t filter);
    // Every torch collected within the radius whose "MaxWind" is above 0 and at most the wind's
    // strength goes out (a gust from a trap or a skill).
    virtual void ExtinguishTorchesNear(const WorldPos& position, float radius, float windStrength) = 0;
    // Every entity of the table, in slot order, hears the named signal of a fired trigger.
    virtual void ScanEntitySlots(std::string_view name, Entity* activator) = 0;
    // A trigger revealed a super secret to the user: the game's announcement, sound and score.
    virtual void OnSuperSecretFound(Entity& user) = 0;
    // A trap plate placed for a quest is gone: the town-trap quests it belongs to count it.
    virtual void OnTownTrapCleared(Entity& trap) = 0;

    // ---- Level objects: chests, doors, gates and secrets ---------------------------------------
    // Two gates of the record ("ObjectGate" without one) at free spots near a and b, linked to
    // each other, of the kind, in the table (Gate::CreateLinkedPair); none when either would
    // stand on no level of the world or the table refuses either.
    virtual LinkedGates CreateLinkedGates(const DatabaseEntry* record, const WorldPos& a, const WorldPos& b,
                                          int32_t kind) = 0;
    // The index of the next secret level of the world not yet handed out (the first call gives
    // the first one); -1 once every one has been.
    virtual int32_t NextSecretLevel() = 0;
    // What NextSecretLevel would hand out, without handing it out.
    virtual int32_t PeekSecretLevel() const = 0;
    // The player found a secret on the level: message, sound, count, experience and score.
    virtual void OnSecretFound(Sentient& player, int32_t level) = 0;
    // A chest flagged for the quests was opened: a tutorial chest sets its tutorial bit, any
    // other is offered to the running quests.
    virtual void OfferChestToQuests(Chest& chest, Sentient* opener) = 0;
    // The player went through a kind-2 gate from one place to the other.
    virtual void OfferGateTripToQuests(Sentient& player, const WorldPos& from, const WorldPos& to) = 0;
    // The spawn system generates the chest's loot and drops it around the chest.
    virtual void GenerateChestLoot(Chest& chest, float itemsChance, float magicChance) = 0;
    // The spawn system's trap table: a record picked by weight for the level; null when none.
    virtual const DatabaseEntry* PickTrapRecord(int32_t level) = 0;
    // The quests of the game's quest list in order, empty entries left out.
    virtual void CollectQuests(std::vector<const QuestBase*>& out) const = 0;
    // The game clock: the hour of the day, 0 to 24 (what "SunriseStart" and "SunsetEnd" mean).
    virtual float GetClock() const = 0;
    // Seconds a user of the level takes to open a chest of the level (the "GameSystem" chest
    // timings): longer above the user's level, shorter below it, never under the minimum.
    virtual float ChestOpenTime(int32_t chestLevel, int32_t userLevel) const = 0;

    // ---- What a player asks of the game (quest slots, saved gate records) --------------------
    // A new quest object for one of a player's six slots; none while the game has no quests of
    // its own, and the slot then travels as the record of an empty quest.
    virtual std::unique_ptr<EntityQuest> CreatePlayerQuest();
    // The world gates a character's two saved lists are made ready from; one flag each travels
    // in the game update and the character record. Empty while the game keeps none.
    virtual const ItemPtrList& GetGateRecords() const;
    // The game's quest of that number in its list; null outside the list or for an empty entry.
    virtual const QuestBase* GetGameQuest(int32_t number) const;
    // The game's quest of that number announces that the player took it on ("QuestAccepted").
    virtual void OnQuestAccepted(int32_t number, Sentient& player);
    // The game's quest of that number was handed in by the player: the game records it done.
    virtual void OnQuestTurnedIn(int32_t number, Sentient& player);
    // A quest left the player's slots: the game sends the player's quests afresh.
    virtual void RefreshQuestsOf(Sentient& player);
    // The number of a game quest of the talk-to kind whose target is the NPC; -1 when none.
    virtual int32_t FindTalkQuestFor(const Entity& npc) const;
    // The player tries to rescue the NPC: every game quest waiting on that rescue is told.
    virtual void OfferRescueToQuests(Entity& npc);
    // A townsperson who gives quests offers one, unless the other gives quests too: a new quest
    // now, or, while a quest is about the townsperson, the offer again later.
    virtual void OfferNpcQuest(Entity& npc, Entity* other);
    // The player reached a new level.
    virtual void OnPlayerLevelUp(Sentient& player);
    // The tutorial entity fades out over 5 seconds and goes (skipped, the recruit quests go
    // too); starting makes the game data's tutorial entry anew.
    virtual void EndTutorial(bool skipped);
    virtual void StartTutorial();
    // The unlock list the clients get as "unlock %s" lines when the adventure is won.
    virtual void AddUnlock(std::string_view name);
    virtual const std::vector<std::string>& GetUnlocks() const;
    // Whether every monster of the world is dead.
    virtual bool AreAllMonstersDead() const;
    // A soul stone at the player holding the game's share of the experience debt.
    virtual void SpawnSoulStone(Sentient& player, int32_t debt);
    // Each town NPC of the type (0: all) may pick up a dynamic line of the dialog type about the
    // subject.
    virtual void AddDynamicNpcChat(int32_t dialogType, std::string_view subject, int32_t npcTypeFilter);

    // Ended status effects wait here for the next one any sentient makes: a sentient at a new
    // peak of renewals takes what others let go. An effect given is recycled first; beyond the
    // cap it is deleted.
    static constexpr size_t kMaxSpareEffects = 1024;
    std::unique_ptr<StatusEffect> TakeSpareEffect();
    void KeepSpareEffect(std::unique_ptr<StatusEffect> effect);

    // A shown effect's entity done with, renewed and kept for the next effect; deleted beyond the
    // cap or when it is not a plain Entity.
    static constexpr size_t kMaxSpareModelEntities = kMaxEntities;
    // Made before play, each with room for a model's name: 400 monsters fighting four players
    // keep fewer than this many hits shown at once.
    static constexpr size_t kPreparedModelEntities = 128;
    void KeepSpareModelEntity(Entity* entity);

    // An entity's world event is written here, kept for its name's room: a hit's sound makes no
    // new string.
    WorldEventRequest worldEventScratch;
    // Every actor's scan of its surroundings lands here: one list that grows only to the most
    // any actor ever saw, so sensing allocates nothing in steady state.
    std::vector<Entity*> senseScratch;

private:
    bool PassesFilter(const Entity& entity, const Entity* source, uint32_t filter) const;

    std::vector<std::unique_ptr<StatusEffect>> spareEffects;
    std::vector<std::unique_ptr<Entity>> spareModelEntities;

    // Kept between calls: the clear-line test at every waypoint of every actor allocates
    // nothing once warm.
    mutable std::vector<Entity*> clearLineScratch;
    // Likewise for the free-spot test of every body placed or sent home.
    mutable std::vector<int32_t> spotScratch;
};

extern GameServices* gGameServices;
