// Actor -- the computer-run creature built from a monster type: it senses, hates, walks its paths, drives its behaviours, dies as a corpse and is saved.
#pragma once

#include "core/RandomTimer.h"
#include "core/SafePointer.h"
#include "entities/GameServices.h"
#include "entities/Sentient.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class BehaviorBase;
struct DatabaseField;
struct ClassLevelValue;
class EventSystem;
class MonsterDefinition;
class MonsterType;
class Skill;
class SkillBase;
class SkillDefinition;
class TypeRegistry;

// The notices an actor gives itself for its behaviours.
namespace ActorNotice {
constexpr int32_t kMoved = 1;
constexpr int32_t kPathFailed = 4;
constexpr int32_t kArrived = 5;
} // namespace ActorNotice

// The way from living to gone.
namespace ActorDeathState {
constexpr int32_t kAlive = 0;  // also dead but not yet seen to
constexpr int32_t kDying = 1;
constexpr int32_t kDead = 2;
constexpr int32_t kFading = 3;
constexpr int32_t kRemove = 4;
} // namespace ActorDeathState

class Actor;

// An entity the actor hates, how much, and whether it could reach it when last asked.
struct HateEntry {
    SafePointer entity;
    float hate = 0.0f;  // -1: not a valid target at the last choice
    RandomTimer reachTimer;
    bool reachable = true;

    // The cached answer while the reach timer runs; else the actor's reach test.
    bool IsReachable(Actor& actor);
};

class Actor : public Sentient {
public:
    static constexpr float kReachMinSeconds = 0.9f;
    static constexpr float kReachMaxSeconds = 1.1f;
    static constexpr float kActivityMinSeconds = 0.5f;
    static constexpr float kActivityMaxSeconds = 0.6f;
    static constexpr float kFadeOutSeconds = 5.5f;
    static constexpr float kFadeAlphaSeconds = 5.0f;
    static constexpr float kFarFadeSeconds = 1.0f;
    static constexpr float kKillerLeaderRange = 250.0f;
    static constexpr float kActorSoundRadius = 500.0f;
    // Spending raises no skill past this level, so a free skill without a cap still ends.
    static constexpr int32_t kMaxSpentSkillLevel = 100;
    static constexpr int32_t kMainBagSlots = 18;
    static constexpr int32_t kTradeBagSlots = 8;
    static constexpr int32_t kResurrectRings = 5;

    // The event a behaviour sends others' current behaviours.
    static constexpr const char* kPassToBehaviorEvent = "PassToBehavior";
    // The event a busy quest giver gets when its offer of a quest is due again.
    static constexpr const char* kOfferQuestEvent = "OfferQuest";

    Actor();
    ~Actor() override;

    // Registers "EnemyHealed", "EnemyBuffed", "PassToBehavior", "HeardSound", "OfferQuest" and the
    // "Actor" handler table (those five and "EnemyKilled") over the sentients' table.
    static void RegisterEventClass(EventSystem& events, TypeRegistry& types);

    // ---- Set-up (Actor.cpp) -----------------------------------------------------------------
    void SetUpFromMonsterType(const MonsterType* type, int32_t level, bool loading);
    // Learns the required and random skills and spends the skill points; only with "UseSkillPoints".
    void UseSkillPoints();
    void SpendSkillPoints();
    // The skill list's skill of the definition, else a new one at the list's end; null for none.
    SkillBase* LearnSkill(const SkillDefinition* definition);
    void SetHome(const WorldPos& where);
    bool IsPlainSkillTarget() const;
    const MonsterType* GetMonsterType() const { return monsterType; }
    const MonsterDefinition* GetDefinition() const { return definition; }
    // The definition's key through its base chain; 0, "" or the default without a definition.
    int32_t DefInt(std::string_view key) const;
    float DefFloat(std::string_view key, float fallback = 0.0f) const;
    bool DefBool(std::string_view key) const { return DefInt(key) != 0; }
    std::string DefString(std::string_view key) const;
    // The field itself: its text without a copy. Null when absent.
    const DatabaseField* DefField(std::string_view key) const;

    // ---- Hate list (ActorHate.cpp) ------------------------------------------------------------
    void AddToHateList(Entity* entity);
    HateEntry* FindHateEntry(const Entity* entity);
    void AddHate(Entity* entity, float amount, int32_t kind);
    void ScaleDownHate(float fraction);
    void UpdateHateTarget(float seconds);
    void ClearHateList();
    void RemoveFromHateList(const Entity* entity);
    void RemoveCovenantFromHateList(const EntityCovenant* covenant);
    Entity* FindNearestHated() const;
    const std::vector<HateEntry>& GetHateList() const { return hateList; }

    // ---- Update, senses and movement (ActorUpdate.cpp) ---------------------------------------
    void UpdateActivity();
    void SenseEnemies();
    float GetAggressionRange(const Entity* entity) const;
    // Timers, choice, then the current behaviour's step; after senses and hate, before the
    // walk, so a move ordered in a step is walked in that step.
    void UpdateBehaviors(float seconds);
    // Locked: no choice. Else the current one stops when it may not go on, and the first
    // behaviour that is current or wants to run has control.
    void SelectBehavior();
    void Walk();
    void MoveTo(const WorldPos& where);
    void MoveToEntity(Entity* entity);
    void StopMoving();
    // Whether a path leads into reach of the target: a move search towards it in the last
    // kReachMaxSeconds that found one answers, else a new search.
    bool CanReach(const Entity* target);
    bool IsNearestPlayerWithin(float range) const;
    // A quest giver turns to the player talking to it, and so stays where it stands.
    bool FacesPlayer() const { return npc && DefBool("GivesQuests"); }
    // Snapped to the world grid, then normalised onto its level.
    static void SnapToWorldGrid(WorldPos& where);
    virtual void Idle(bool flag);
    void SetActive(bool value) { active = value; }
    bool IsActive() const { return active; }
    // Owned from here on, in priority order.
    void AddBehavior(std::unique_ptr<BehaviorBase> behavior);
    BehaviorBase* GetCurrentBehavior() const { return currentBehavior; }
    const std::vector<std::unique_ptr<BehaviorBase>>& GetBehaviors() const { return behaviors; }

    // ---- Death (ActorDeath.cpp) ---------------------------------------------------------------
    void AddDamageCredit(Entity* attacker, int32_t amount);
    Entity* PickKiller(Entity* attacker) const;
    void OnDeathStart();
    void DropLoot(bool useKillerMoneyFactor);
    void OnDyingDone();
    // False when the actor may not rise now.
    bool Resurrect();
    float GetResurrectDelay() const;
    // Sends a corpse on its way out, its own "delete" following at its next step, unless its
    // covenant will raise it.
    void ConsumeCorpse();
    int32_t GetDeathState() const { return deathState; }

    // ---- Saved state and names (ActorState.cpp) -----------------------------------------------
    virtual void WriteExtraState(MessageBuffer& buffer) const;
    // False, the actor unchanged, when the bytes run out; an unusable health ratio is clamped.
    virtual bool ReadExtraState(MessageBuffer& buffer, int32_t version);
    static void WriteRecord(const Actor& actor, MessageBuffer& buffer);
    // False, with a warning, when the bytes are short or the monster type is unknown; the
    // caller then deletes the actor.
    static bool ReadRecord(Actor& actor, MessageBuffer& buffer, int32_t version);
    void SetNameSeed(uint32_t seed);
    uint32_t GetNameSeed() const { return nameSeed; }
    const std::string& GetName();

    // ---- Entity and Sentient operations -------------------------------------------------------
    EventClass* GetEventClass() const override;
    void SetPosition(const WorldPos& newPosition) override;
    void Update(float seconds) override;
    // The other solid entities of the mask inside the box of the half-sizes around the actor.
    void RegisterPathBlockers(PathFinder& finder, const Vector2& halfSizes, int32_t solidTypeMask) const override;
    // Kinds 4, 12, 13, 14 and 19; every kind for a summoned actor.
    bool AcceptsAction(int32_t kind) const override;
    bool IsRelatedTo(const Entity* other) const override;
    bool CanTurn() const override;
    int32_t GetNpcType() const override;
    bool HasClearLineFrom(const WorldPos& from) const override;
    void WriteNetState(MessageBuffer& buffer) const override;
    // The world quests the actor offers a player who talks to it, as its state shows them: a
    // quest giver's and a quest figure's; none for any other.
    void GetOfferedQuests(std::vector<int32_t>& out) const;
    // Its monster type's record: kinds that share one actor record (a scout and a raider) differ
    // in name and rank only there.
    const DatabaseEntry* GetNetRecord() const override;
    void OnAttackedBy(Entity* attacker) override;
    void Notify(int32_t code, Entity* other) override;
    // Every behaviour hears every event the actor receives, each from the parameters' start.
    void ObserveEvent(Event& event) override;
    // An event of the actor's own (a hit it made, a kill, a blow taken) reaches its behaviours
    // as a delivered one does, then the carried effects and the queue.
    void ReceiveEvent(Event& event, bool queue) override;
    void PrintInfo() const override;
    Entity* GetCurrentTarget() const override { return currentTarget.GetAs<Entity>(); }
    Entity* GetCurrentEnemy() const override { return GetCurrentTarget(); }
    bool IsHostile(const Entity* other) const override;
    void GetAttackSound(int32_t kind, std::string& out) const override;
    void GetCombatEffect(int32_t kind, std::string& out) const override;
    float GetHamstringChance() const override { return 0.0f; }
    void GetAnchorPosition(WorldPos& out) const override;
    void Warp(const WorldPos& target) override;
    const DatabaseEntry* GetMusic() const override;
    float GetLootMoneyFactor() const override;
    void OnVictimLooted(Entity* victim) override;
    bool CanMove() const override { return DefBool("CanMove"); }
    bool IsInanimate() const override { return false; }
    bool IsTrap() const override { return DefBool("Trap"); }
    // Neither a town NPC nor a quest's figure.
    bool TraitL() const override { return !npc && !questFigure; }
    void OnNamedSignal(Entity* entity, std::string_view name) override;
    bool IsCreature() const override { return !IsTrap(); }
    bool TakesCriticalHits() const override { return DefBool("CanBeCriticallyHit"); }
    bool TakesDeepWounds() const override { return DefBool("CanGetDeepWounds"); }
    bool TraitS() const override;
    void WriteSaved(MessageBuffer& buffer) const override;
    bool ReadSaved(MessageBuffer& buffer, int32_t version) override;
    void ClassStatBonus(int32_t stat, int32_t& value, int32_t pass) const override;
    void OnDamageTaken(int32_t amount, Entity* attacker, bool overTime, bool quiet) override;
    void LevelUp() override;
    bool IsEngaged(bool targetingMe, bool targetingMyParty, bool visibleOnly, float range) const override;
    void Alert(Entity* attacker) override { AddToHateList(attacker); }
    void AlertCompanion(Entity* attacker) override { AddToHateList(attacker); }
    void GetUnarmedDamage(StatPairList& table) const override;
    float GetStrengthDamageMultiplier() const override { return 0.0f; }
    void AddExtraDamage(StatPairList& table) const override;
    float GetExperienceShare() const override;
    float GetExperienceValue() const override;
    int32_t GetScoreForKill() const override;
    void CollectPartyInRange(std::vector<Sentient*>& out, float range) const override;
    bool IsGuard() const override { return guard; }
    int32_t ComputeArmor() const override;
    int32_t ComputeDefense() const override;
    int32_t ComputeAttack() const override;
    int32_t ComputeMaxHealth() const override;
    int32_t ComputeMinDamage() const override { return MinDamageRule(); }
    int32_t ComputeMaxDamage() const override { return MaxDamageRule(); }
    int32_t ComputeResistance(int32_t stat) const override;
    bool CanGainExperience() const override;
    float GetSizeScale() const override;
    bool HasNoMissChances() const override { return DefBool("SimpleDefenseOnly"); }
    Entity* GetKillerCredit() const override { return killerCredit.GetAs<Entity>(); }
    bool CanLifeBeStolen() const override { return DefBool("CanLifeBeStolen"); }

    // ---- State the game, covenants, quests and spawns set ---------------------------------------
    // ---- Spawn system: the monster rarity it was made with (MonsterRarity) and the flag its
    // spawner gave it (0 for none).
    int32_t monsterRarity = 0;
    int32_t spawnFlag = 0;
    // ----
    bool summoned = false;
    int32_t spawnCategory = 0;
    bool guard = false;
    bool questFigure = false;
    // The further marks a quest sets on a figure it tracks (what they do is the behaviours'
    // business); the first is on until a quest clears it.
    bool questFlag2 = true;
    bool questFlag3 = false;
    bool questFlag4 = false;
    bool questFlag5 = false;
    bool kidnapped = false;
    bool translucent = false;
    // An escorted NPC walking with the player who leads it.
    bool following = false;
    bool monsterFoe = false;
    bool mayGoInactive = true;
    bool visibleToWorld = true;
    bool gameFlag = false;
    bool sprinting = false;
    // Set by a melee chase given up; cleared once the actor has walked home.
    bool gaveUp = false;
    bool npc = false;
    // Set and cleared by covenant code while the actor is about its covenant's business: it
    // neither wanders nor turns to its enemy when idle, and calls less.
    bool onTask = false;
    // A creature that travels the world on its own (its archetype may say so too).
    bool adventurer = false;
    int32_t factionIndex = -1;
    int32_t sprintSpeed = 0;
    float idleDistance = 0.0f;
    std::array<int32_t, 6> resistanceBonus{};
    Skill* deathSkill = nullptr;
    WorldPos homePosition;
    bool homeSet = false;
    // What the players' requests set: a recruit sent back to its house, and an NPC that has
    // given its introduction (cleared to hear it again).
    bool sentHome = false;
    bool introShown = false;
    // A covenant's hero recruit (its record's choice), raised by the covenant's own rules.
    bool hero = false;
    RandomTimer deathTimer;
    RandomTimer activityTimer;
    RandomTimer sensingTimer;
    RandomTimer hearingTimer;

    // Movement (ActorUpdate.cpp).
    WorldPos moveDestination;
    bool moving = false;
    bool repathNeeded = false;
    bool waypointReached = true;
    bool headingToWaypoint = false;
    WorldPos currentWaypoint;
    int32_t currentPathCell = 0;
    PathRecord path;
    // Path searches this actor has run, for its moves and its reach checks.
    int32_t pathSearches = 0;
    // A moving target is searched for again at most this often while a path is walked, and
    // only once it has moved this share of its distance from the actor.
    static constexpr double kRepathSeconds = 0.5;
    static constexpr float kRepathShare = 0.25f;

private:
    // The difficulty factor of a table for this actor: 1 for a town NPC of a type other than 0.
    float DifficultyFactor(int32_t which) const;
    int32_t MinDamageRule() const;
    int32_t MaxDamageRule() const;
    int32_t ClassValueAtLevel(const ClassLevelValue& value) const;
    // The type's and its record's hidden surfaces switched off on the model.
    void ApplyEnhancements(const std::vector<std::string>& names);
    void LearnSkills(const std::vector<std::string>& names);
    void ApplyLight();
    void RollHiding();
    void GiveStartingItems();
    void PlayActorSound(const std::string& name) const;
    void Order(const WorldPos& where, Entity* entity);
    bool KeepsPathFor(const WorldPos& destination, const Entity* entity) const;
    bool ResumesPathFor(const Entity* entity);
    bool SearchPath(const WorldPos& from);
    bool ReplaySearch(const WorldPos& from, const WorldPos& goal, const Entity* toward);
    bool TakeNextWaypoint(const WorldPos& from);
    void UpdateDeath();
    void StartDeathTimer();
    void StartFading();
    void Greet();
    void FaceHome();
    void FarFade();
    bool IsSkippedBySight(Entity* entity) const;

    void OnEnemyHealed(Event& event);
    void OnEnemyBuffed(Event& event);
    void OnPassToBehavior(Event& event);
    void OnHeardSound(Event& event);
    void OnEnemyKilled(Event& event);
    void OnOfferQuest(Event& event);

    const MonsterType* monsterType = nullptr;
    const MonsterDefinition* definition = nullptr;
    static constexpr size_t kReservedHateEntries = 8;
    std::vector<HateEntry> hateList;
    SafePointer currentTarget;
    SafePointer moveTargetEntity;
    // The last movement search: where from and to (both grid cells), towards which entity,
    // when, how it ended and whether its path has been walked to the end. Within
    // kRepathSeconds it answers a repeat: of the same search when it had no steps, of any
    // search towards the same entity unless its path is still being walked.
    struct PathMemo {
        WorldPos from;
        WorldPos goal;
        SafePointer entity;
        double time = 0.0;
        bool valid = false;
        bool found = false;
        bool hadSteps = false;
        bool arrived = false;
    };
    PathMemo pathMemo;
    // The path as it stood when the move was last stopped.
    PathRecord stoppedPath;
    // Set by a search in this walk: a path just made is not searched again when blocked.
    bool pathFresh = false;
    SafePointer killerCredit;
    BehaviorBase* currentBehavior = nullptr;
    std::vector<std::unique_ptr<BehaviorBase>> behaviors;
    bool active = false;
    bool positioned = false;
    int32_t deathState = ActorDeathState::kAlive;
    bool deathHandled = false;
    bool deleteScheduled = false;
    uint32_t nameSeed = 0;
    std::string generatedName;
    std::string displayName;
    std::vector<const EntityCovenant*> creditCovenants;
    std::vector<int32_t> creditAmounts;
    mutable std::vector<Entity*> partyScratch;
    // The quests the net state lists, kept with its room: the state is written every update.
    mutable std::vector<int32_t> offeredQuestsScratch;

    static EventClass* eventClass;
};
