// Sentient -- the host's living, fighting entity: stats and their recomputation, status effects, party, experience, regeneration.
#pragma once

#include "core/Color.h"
#include "core/RandomTimer.h"
#include "entities/Entity.h"
#include "rules/CharacterRecordLimits.h"
#include "rules/IntArray.h"
#include "rules/SkillUser.h"
#include "rules/StatPairList.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

class CharacterClass;
class Inventory;
class InventoryBag;
class ItemBase;
class SkillList;
class StatusEffect;

// Experience kinds with their own game-data factor; every other kind uses the caller's alone.
namespace ExperienceKind {
constexpr int32_t kSecret = 1;
constexpr int32_t kLevel = 3;
} // namespace ExperienceKind

// Notification codes handed to the status effects and the subclasses.
namespace SentientNotice {
constexpr int32_t kSkillStarting = 2;
constexpr int32_t kActionCancelled = 3;
constexpr int32_t kDamaged = 7;
constexpr int32_t kDamagedOverTime = 8;
constexpr int32_t kAttacked = 9;
} // namespace SentientNotice

// The sentient events, in their registration order.
namespace SentientEvent {
enum : int32_t {
    SuccessfulHit,
    WhenHit,
    WhenMissed,
    WhenKilled,
    EnemyKilled,
    SuccessfulKill,
    IdentifyItem,
    UseSkill,
    UseEntity,
    Attack,
    CreateGate,
    Resurrect,
};
constexpr int32_t kCount = 12;
} // namespace SentientEvent

// The kinds of the "timer %d %f %d" line: 0 clears the client's bar.
namespace ActionTimerKind {
constexpr int32_t kCleared = 0;
constexpr int32_t kSkill = 1;
constexpr int32_t kIdentify = 2;
} // namespace ActionTimerKind

// A short-lived note that another entity blocked, parried, hit ... this one; it becomes an
// entity-state bit while it lasts.
struct CombatRecord {
    int32_t entityNumber = -1;  // -1: a free record
    float remaining = 0.0f;     // seconds
    int32_t stateBit = 0;
};

class Sentient : public Entity, public SkillUser {
public:
    static constexpr int32_t kStatCount = CharacterStat::Num;
    static constexpr int32_t kMaxLevel = CharacterRecordLimits::kMaxLevel;
    static constexpr int32_t kStatPasses = 4;
    static constexpr int32_t kPercentPass = 2;
    static constexpr float kHomeRange = 750.0f;
    static constexpr float kEngagedRange = 300.0f;
    static constexpr float kTargetCombatRange = 400.0f;

    Sentient();
    ~Sentient() override;

    // ---- Entity operations -------------------------------------------------------------------
    void Update(float seconds) override;
    bool KnowsSkill(int32_t skillId) const override;
    const IntArray* GetOwnedPart() const override { return &stats; }
    int32_t GetStat(int32_t stat) const override;
    Item* GetItem(int32_t bag, int32_t index) const override;
    // The bag exists and has an empty slot.
    bool BagHasRoom(int32_t bag) const override;
    float GetMovementSpeed() const override;
    // The skill's ApplyLevel for each level from 1 up to its level; the skill's level.
    int32_t ApplySkillLevels(Skill& skill) override;
    void CollectNetObjects(std::vector<NetObject>& out) const override;
    // The record ids of the ten visible equipment slots.
    void WriteNetState(MessageBuffer& buffer) const override;
    void TakeDamage(int32_t amount, Entity* attacker, bool overTime, bool quiet) override;
    int32_t Heal(int32_t amount, Entity* source, bool show) override;
    void OnAttackedBy(Entity* attacker) override;
    bool CanAddStatusEffect(const DatabaseEntry* record, const Entity* source) const override;
    bool HasStatusType(int32_t type) const override;
    // An effect of the record id that has not ended.
    bool HasStatusEffect(int32_t id) const override;
    void AddStatusEffectByName(std::string_view name, Entity* source, int32_t level) override;
    void AddStatusEffect(const DatabaseEntry* record, Entity* source, int32_t level) override;
    void RemoveStatusEffect(const DatabaseEntry* record) override { ExpireEffectsOfDefinition(record); }
    void Notify(int32_t code, Entity* other) override;
    void RecordCombatEvent(int32_t stateBit, int32_t entityNumber) override;
    // Every actor that hates this sentient drops it from its hate list: the sentient is leaving
    // the world.
    void LeaveEngagedHateLists();
    // Frees the record of the state towards the entity, as a skill that consumes the state does.
    void ClearCombatEvent(int32_t stateBit, int32_t entityNumber);
    // The blow's amount after every carried effect's absorption.
    int32_t ModifyIncomingDamage(Entity* attacker, int32_t amount, int32_t damageType) override;
    bool IsDamageable() const override;
    void AddEngaged(Entity* entity) override;
    void RemoveEngaged(Entity* entity) override;
    // The nearest living engaged entity that is neither hidden nor stealthed, passing over
    // sentients whose damage would break one of their effects; null when none.
    Entity* GetNearestEngaged() const;
    // The entities on the engaged list, each once, those destroyed since the last entry
    // included.
    size_t CountEngagedEntities() const { return engaged.size(); }
    bool IsFriendly(const Entity* other) const override;
    bool IsHostile(const Entity* other) const override;
    void BuildDamageList(const Skill* skill, StatPairList& table) override;
    void Warp(const WorldPos& target) override;
    bool IsCreature() const override { return true; }
    bool TakesCriticalHits() const override { return true; }
    bool TakesDeepWounds() const override { return true; }

    // ---- SkillUser ---------------------------------------------------------------------------
    int32_t GetItemRequirementAt(int32_t bag, int32_t slot) const override;
    bool IsEnemy(const SkillUser& other) const override;
    float GetDistance2D(const SkillUser& other, bool lessRadii) const override;
    Vector2 GetDeltaTo(const SkillUser& other) const override;
    int32_t GetDirectionIndex() const override { return facing; }

    // ---- Operations the subclasses replace ---------------------------------------------------
    virtual void ClassStatBonus(int32_t, int32_t&, int32_t) const {}
    virtual void OnDamageTaken(int32_t amount, Entity* attacker, bool overTime, bool quiet);
    virtual void LevelUp();
    virtual void RegenerateTick();
    virtual bool IsEngaged(bool targetingMe, bool targetingMyParty, bool visibleOnly, float range) const;
    virtual void Alert(Entity*) {}
    virtual void AlertCompanion(Entity*) {}
    virtual bool IsNeverHostileTo(const Entity*) const { return false; }
    virtual bool IsFactionAlly(const Sentient& other) const;
    virtual void GetUnarmedDamage(StatPairList& table) const;
    // A subclass's own share of the damage table, after the unarmed or weapon damage.
    virtual void AddExtraDamage(StatPairList&) const {}
    virtual float GetStrengthDamageMultiplier() const;
    virtual float GetExperienceShare() const { return 1.0f; }
    virtual float GetExperienceValue() const { return 1.0f; }
    virtual int32_t GetScoreForKill() const { return 0; }
    virtual void CollectPartyInRange(std::vector<Sentient*>& out, float range) const;
    virtual bool ReloadsOnClassChange() const { return false; }
    // The entity a player has selected; none for others.
    virtual const Entity* GetSelectedEntity() const { return nullptr; }
    virtual bool IsGuard() const { return false; }
    virtual int32_t ComputeArmor() const { return 0; }
    virtual int32_t ComputeDefense() const;
    virtual int32_t ComputeAttack() const;
    virtual int32_t ComputeMaxHealth() const;
    virtual int32_t ComputeMinDamage() const { return 1; }
    virtual int32_t ComputeMaxDamage() const { return 4; }
    virtual int32_t ComputeResistance(int32_t stat) const;
    virtual bool CanGainExperience() const { return true; }
    virtual float GetSizeScale() const { return 1.0f; }
    virtual void SendMessage(std::string_view, int32_t) {}
    virtual bool HasNoMissChances() const { return false; }
    virtual bool CanLifeBeStolen() const { return true; }
    // The bag of that index of the inventory; null outside the bags.
    virtual InventoryBag* GetBag(int32_t index) const;
    virtual float GetSecondScale() const { return 1.0f; }
    // Item timers (potions, scrolls) are a player's; any other sentient may always use an item.
    virtual bool IsItemTimerReady(int32_t) const { return true; }
    virtual void SetItemTimer(int32_t, float) {}
    // The entity a "UseEntity" action uses; none for a plain sentient.
    virtual Entity* GetUseTarget() const { return nullptr; }
    virtual void ReportHealingDone(int32_t) {}
    // Whoever gets the credit for killing this sentient; an actor names it.
    virtual Entity* GetKillerCredit() const { return nullptr; }
    virtual void QueueWarpDirection() {}
    virtual void OnItemIdentified(Item*) {}
    // A line for the clients of this sentient's player; nothing for others.
    virtual void QueueLine(std::string_view) {}
    virtual void AddUnlock(std::string_view) {}
    // A player's current enemy, an actor's; none for a plain sentient.
    virtual Entity* GetCurrentEnemy() const { return nullptr; }
    // A player busy with an action; never for a plain sentient.
    virtual bool TraitP() const { return false; }
    // A neutral yes/no query: true, unless a monster type says otherwise.
    virtual bool TraitS() const { return true; }

    // ---- Combat events and actions (SentientCombat.cpp, SentientActions.cpp) -----------------
    // Registers the twelve sentient events in their order and the "Sentient" handler table
    // (IdentifyItem, UseSkill, UseEntity, Attack); a later call enters the same again.
    static void RegisterEventClass(EventSystem& events, TypeRegistry& types);
    static int GetEventId(int32_t sentientEvent);
    EventClass* GetEventClass() const override;
    // The weapon's sound of the result, else the game's default one.
    void GetAttackSound(int32_t kind, std::string& out) const override;
    // "AttackSound" or "CombatEffect" + the result kind's name; the bare stem outside the table.
    static const std::string& AttackSoundKey(bool effect, int32_t kind);
    void RaiseWhenHit(Entity* attacker, bool flag) override;
    void OnMissedBy(Entity* attacker, int32_t missKind) override;
    virtual void OnSuccessfulHit(int32_t damage, Entity* target, bool hit, bool critical, bool crushing, bool deep,
                                 bool last);
    virtual void OnSuccessfulKill(Entity* victim);
    virtual void OnDeath(Entity* killer);
    // The carried effects see the event (each from its first parameter); queued, it then goes
    // to the event system's queue unless kept.
    virtual void ReceiveEvent(Event& event, bool queue);
    // A player with a home starts its way home; none for a plain sentient.
    virtual bool StartTeleportHome() { return false; }
    // The disappearing effect of an item used with "Disappear"; none for a plain sentient.
    virtual void Disappear() {}
    // The entity must be a Sentient's: raises "EnemyBuffed" unless the other is itself.
    void RaiseBuffed(Entity* other, uint32_t value);
    void Attack();
    bool StartSkillUse(int32_t skillId, float castTime, Entity* target, bool showTimer, int32_t extra);
    void StartIdentifyItem(Item* item, float seconds);
    bool StartTimedEvent(int eventId, int32_t kind, float seconds);
    void CancelAction();
    void CancelUseEntity();
    void CancelAllActions();
    // The entity of that table number, when there is one, is used by this sentient.
    void UseEntityByNumber(int32_t number);
    Skill* GetSkill(int32_t skillId) const;
    void UseSkillOn(int32_t skillId, Entity* target);
    // An item of the group onto the ground at the sentient; the vendor's group (15) toward the
    // vendor dealt with is refused with "$$CantDropItem$$".
    void DropItem(int32_t group, int32_t slot, Entity* other);
    // The worn items onto the ground at the sentient, slot by slot; undroppable items stay, and
    // nothing drops for kind 15 toward a vendor.
    void DropEquipment(int32_t kind, Entity* other);
    void DropEquipped(int32_t slot, int32_t kind, Entity* other);

    // ---- Items given and worn (SentientEquipment.cpp) ------------------------------------------
    enum GiveResult : int32_t { kGiveRefused = 0, kGiveAdded = 1, kGiveMerged = 2 };
    // The item into the bag: merged whole into the stacks held there (kGiveMerged, the item
    // gone), else into a free cell (kGiveAdded). Refused: the item stays with the caller.
    int32_t GiveItem(std::unique_ptr<ItemBase>& item, int32_t bag);
    // A new item of the definition at the level (through the spawn system when generating) worn
    // in the slot of from, or else of its own type; what wore that slot is taken out, and a
    // two-handed item empties the off hand and takes away the off-hand item's "DefaultItem" worn
    // anywhere. A generated stack is filled up to its limit. False when no item could be made.
    bool EquipNewItems(const DatabaseEntry* definition, const Item* from, bool generate, int32_t level);
    // A new item of the definition: worn in its slot when that is free; else the slot takes the
    // definition's "DefaultItem" and the new item goes into the carried bags.
    void EquipDefaultItem(const DatabaseEntry* definition);
    // The worn item of the type (up to Ranged; two-handed means both hands) gives way to the
    // "DefaultItem" its definition names.
    void RestoreDefaultItem(int32_t itemType);
    // The equipment slot an item of the type is worn in; an either-hand item takes the primary
    // hand. EquipedLocation::None for types that are not worn.
    static int32_t GetEquipSlot(int32_t itemType);
    virtual bool IsVendor() const { return false; }
    // The set of a bonus record is complete while the worn items that name it as their partial or
    // full bonus reach the set's count, two.
    bool IsItemSetComplete(const DatabaseEntry* bonus) const;

    // ---- Stats and class ----------------------------------------------------------------------
    void RecalculateStats(bool refill);
    void SetClass(int32_t classIndex, bool quiet);
    const CharacterClass* GetClass() const { return characterClass; }
    void AddPower(int32_t amount);
    void AddMoney(int32_t amount);
    void GainPower(float amount);
    const StatPairList& GetDamageList() const { return damageList; }

    // ---- Dynamic stats -------------------------------------------------------------------------
    float GetDynamicStat(int32_t index, const Skill* skill) const;
    void ApplyDynamicStat(int32_t index, const Skill* skill, float& value) const;
    void ApplyDynamicStatToInt(int32_t index, int32_t& value) const;
    void GetDefendingDynamicStat(int32_t index, float& value) const;

    // ---- Status effects -----------------------------------------------------------------------
    void AttachStatusEffect(std::unique_ptr<StatusEffect> effect, Entity* source);
    StatusEffect* FindSameGroup(const StatusEffect& effect, const Entity* source) const;
    void UpdateStatusEffects(float seconds);
    bool CanAttack() const;
    bool CanUseSkills(bool spell) const;
    // The first effect that keeps the sentient from using skills (or, for a spell, from casting); null for none.
    const StatusEffect* FindSkillBlocker(bool spell) const;
    bool HasDamageBreakEffect() const;
    void WeakenEffectsByGroup(std::string_view group, int32_t amount);
    // A cure: each effect of the group loses that much of its damage over time (healing per tick).
    void CureDamageOverTimeByGroup(std::string_view group, float amount);
    void ExpireEffectsOfDefinition(const DatabaseEntry* record);
    void ExpireAllEffects();
    const std::vector<std::unique_ptr<StatusEffect>>& GetStatusEffects() const { return statusEffects; }

    // ---- Combat state -------------------------------------------------------------------------
    bool IsInCombat() const;
    // Anything engaged with the sentient, alive and not a trap, within the engaged range.
    bool HasEnemyNear() const;
    bool CanSee(const Entity* other) const;
    // A member of a covenant within the home range of its home.
    bool IsNearCovenantHome() const;
    // Nothing of the world stands on the straight way to the point, on a level that exists.
    bool CanWalkStraightTo(const WorldPos& target) const;
    const char* GetAttackAnimationName() const;
    // An item in any bag whose record lists the name among its "KeyName" lines (case ignored):
    // the key that opens a lock of that name.
    bool HasItemMatching(std::string_view name) const;

    // ---- Party ------------------------------------------------------------------------------
    // Refuses a leader that would close a loop of leaders.
    void SetLeader(Sentient* newLeader);
    Sentient* GetLeader() const { return leader.GetAs<Sentient>(); }
    void AddCompanion(Sentient* companion, int32_t maxPartySize);
    void RemoveCompanion();
    // Every companion goes its own way; the sentient leads nobody.
    void ReleaseCompanions();
    void UpdateCompanionAverage();
    Sentient* GetPartyTop() const;
    void CollectParty(std::vector<Sentient*>& out) const;
    bool IsInParty(const Sentient* other) const;
    Sentient* FirstCompanion() const;
    void CollectCompanionNumbers(std::vector<int32_t>& out) const;
    void AlertParty(Entity* attacker);
    void AlertCompanions(Entity* attacker);
    float GetPartyShare() const { return partyShare; }

    // ---- Experience -------------------------------------------------------------------------
    int32_t GainExperience(int32_t sourceLevel, int32_t kind, float factor);
    int32_t PayXpDebt(int32_t xp);
    int32_t AddXpDebtOnDeath();
    // Never below 0.
    void ReduceXpDebt(int32_t amount);

    RandomTimer retargetTimer;
    IntArray stats;
    std::unique_ptr<Inventory> inventory;
    std::unique_ptr<SkillList> skillList;
    int32_t stanceWord = -1;
    std::vector<int32_t> extraSkills;
    int32_t baseSpeed = 0;
    RandomTimer powerDecayTimer;
    float lightIntensity = 0.0f;
    Color sentientLightColor;
    // Friendly auras this sentient carries reach its allies; offensive auras need no leave.
    bool sharesAuras = false;

protected:
    // Cancels the pending UseEntity, IdentifyItem, CreateGate and Resurrect actions.
    void CancelPendingKinds();

private:
    void DropFromBag(int32_t bag, int32_t slot, int32_t kind, Entity* other);
    void OnIdentifyItemEvent(Event& event);
    void OnUseSkillEvent(Event& event);
    void OnUseEntityEvent(Event& event);
    void OnAttackEvent(Event& event);
    void RaiseHealed(Entity* healer, int32_t amount);
    // The entities of the engaged list not yet destroyed, each once, for an event they all hear.
    void CollectEngagedListeners(std::vector<Listener*>& out) const;
    void QueueTimerLine(float seconds, int32_t kind) const;
    void ComputeStats(int32_t pass, bool refill);
    void ComputeDerivedStats(bool refill);
    void ApplyStatModifiers(int32_t stat, int32_t pass);
    bool IsStatModifiable(int32_t stat, int32_t pass) const;
    int32_t ComputeAttackSpeed() const;
    void ApplyFlatDamageModifiers(int32_t kind, StatPairList& table) const;
    void ApplyPercentDamageModifiers(const Skill* skill, StatPairList& table) const;
    // The equipment's and the skills' shares of every stat, once per recomputation.
    void GatherModifierShares();
    void GatherSkillShares();
    void RegenerateHealth();
    void RegeneratePower();
    void UpdateCombatRecords(float seconds);
    void UpdatePowerDecay();
    // Each worn item gives the set bonuses its set now earns; true when any was given.
    bool ApplyEquippedSetBonuses();
    void ApplyLevelGains();
    // An effect taken from the game's spares, or a new one.
    static std::unique_ptr<StatusEffect> TakeSpareEffect();
    // An effect done with: kept among the game's spares (an aura renews its effect on everyone it
    // reaches at every tick, which would otherwise make and free an effect each time).
    static void DiscardEffect(std::unique_ptr<StatusEffect> effect);
    bool WouldLeadInLoop(const Sentient* candidate) const;

    const CharacterClass* characterClass = nullptr;
    std::vector<std::unique_ptr<StatusEffect>> statusEffects;
    SafePointer leader;
    std::vector<SafePointer> companions;
    // An entity engaged with this one and the times it was entered: an actor's hate list
    // enters it once and every hit enters both sides again; a removal takes one back.
    struct EngagedEntry {
        SafePointer entity;
        int32_t times = 0;
    };
    std::vector<EngagedEntry> engaged;
    // The foes that can close on one body at once, one in each cell around it.
    static constexpr size_t kReservedEngaged = 8;
    float partyShare = 1.0f;
    std::vector<CombatRecord> combatRecords;
    static constexpr size_t kReservedCombatRecords = 8;
    StatPairList damageList;
    int32_t nextEffectInstance = 1;
    // By pass 0 and 1 (the item stat kinds), and the skills' flat and percentage shares.
    std::array<std::array<int32_t, kStatCount>, 2> itemShares{};
    std::array<int32_t, kStatCount> skillShares{};
    std::array<float, kStatCount> skillMults{};
    std::array<float, DamageType::kCount> skillDamageMults{};
};
