// Skill -- a skill known by a host entity: its use check with the refusals, its use in stages, its cooldown, its use-check gate and its passive share.
#pragma once

#include "core/RandomTimer.h"
#include "rules/skills/SkillBase.h"

#include <cstdint>
#include <string>
#include <vector>

class Entity;
class ItemBase;
class Sentient;
struct WorldPos;

// The answers of the use check; every code but Ok, Refused and Busy tells a player user why.
namespace SkillUseResult {
enum : int32_t {
    Ok,
    Refused,
    Busy,
    Dead,
    NotKnown,
    NotReady,
    NoPower,
    NeedEnemy,
    NotInCombat,
    OutOfRange,
    MissingState,
    Blocked,
    Requirements,
    CantSee,
    Watched,
};
constexpr int32_t kCount = 15;
} // namespace SkillUseResult

// What an execution did.
namespace SkillExecution {
enum : int32_t { Failed = 0, Executed = 1, Deferred = 2, Nothing = 3 };
} // namespace SkillExecution

// The stages of a use: a new request, a cast that has run out, the animation's "skillMarker".
namespace SkillStage {
enum : int32_t { Request = 0, CastDone = 1, Marker = 2 };
} // namespace SkillStage

class Skill : public SkillBase {
public:
    static constexpr float kSoundRadius = 200.0f;

    // The cooldown, the use-check gate, and a passive skill's effect kept on its owner.
    void Update(float seconds) override;
    void SetOwner(SkillUser* newOwner) override;
    // Run for each level 1 .. the skill's level when the owner applies its skill levels: from
    // level 2 on the owner's item of "UpgradeItemType" is upgraded and an item of the
    // "AddItemInList" record's "Item" list is given.
    virtual void ApplyLevel(int32_t level);

    // "Power" at the level, through the user's PowerNeeded; 0 for a user flagged SkillMarked.
    int32_t GetPowerCost(const Sentient* user) const;
    // "CastTime" at the level, through the user's CastTime.
    float GetCastTime(const Sentient* user) const;
    // "HateChange" at the level, through the user's HateChange: what a victim of the user's
    // skill, or an enemy of the one the user buffs, comes to hate the user by.
    float GetHateChange(const Sentient& user) const;
    // A skill with a cast time at its level.
    bool IsSpell() const;
    // The definition's record id; -1 without one.
    int32_t GetRecordId() const;

    int32_t CheckUse(Sentient* user, Entity* target, int32_t stage, bool force) const;
    // A player user is told the refusal; nobody else is.
    void SendRefusal(Sentient* user, int32_t code) const;
    // The refusal of a blocked use, naming the effect that blocks it.
    std::string BlockedMessage(const Sentient& user) const;
    void Use(Sentient* user, Entity* target, int32_t stage, bool force);
    // A SkillExecution value.
    int32_t Execute(Sentient* user, Entity* target, int32_t stage, bool force);
    bool IsValidTarget(const Entity* candidate) const;
    // The skill's own range and sight cone, for its attacks.
    bool IsTargetInReach(const Entity* user, const Entity* target) const;
    // The owner has the skill and its equipment: its passive values count.
    bool IsActiveFor(const Sentient& user) const;
    bool HasSkill(const Sentient& user) const;
    // Holds the skill back for UseCheckTime +-10% when that is above 0.
    void RestartUseCheck();

    // The effects of an execution. Enemy and friendly effects report whether they found anyone.
    virtual bool ApplyToEnemies(Sentient& user, Entity* target);
    virtual bool ApplyToAllies(Sentient& user, Entity* target);
    virtual void ApplyFurtherEffects(Sentient& user, Entity* resolvedTarget);
    // The skill's required status and relation to the user allow it to work on the victim
    // (SkillEffects.cpp).
    bool IsValidVictim(const Sentient& user, const Entity* victim) const;
    // "Heal" at the level plus the share of the beneficiary's maximum, doubled on a critical heal.
    int32_t GetHealAmount(const Sentient* user, const Entity* beneficiary) const;
    void FireProjectile(Sentient& user, Entity* target, const WorldPos& point) const;

    // ---- Use by a world object: a trapped chest, door or plate (SkillObjectUse.cpp) -----------
    // The skill's monsters around the source, at the source's level (stat 10), hating the target.
    void SpawnMonstersFrom(const Entity& source, Entity* target) const;
    // Every entity within "ShutDoorDistance" of the position is told to shut (doors do).
    void ShutDoorsNear(const WorldPos& position) const;
    // The skill's missile from the start at the target, returned; without a missile, its status
    // effect on the target at the skill's level. Null when nothing was made.
    Entity* UseFromObject(Entity& source, Entity* target, const WorldPos& start) const;

    // ---- An actor's choice of skill (SkillChoice.cpp) ----------------------------------------
    // 0 for a skill that cannot or should not be used now; else its rating with a small random share.
    float RatePriority(Sentient& owner);
    // The ally a heal or buff is for, the owner for a self skill, else the owner's target.
    Entity* ChooseTarget(Sentient& owner) const;

    float priority = 0.0f;
    RandomTimer useCheckTimer;
    bool armed = true;
    Sentient* ownerSentient = nullptr;

private:
    bool IsPlayerUser(const Sentient* user) const;
    bool CanSeeTarget(const Sentient& user, const Entity* target) const;
    bool IsAnchorBlocked(const Sentient& user) const;
    int32_t CheckReadiness(const Sentient& user, const Entity* target, int32_t stage) const;
    int32_t CheckRequirements(const Sentient& user, const Entity* target) const;
    void FinishUse(Sentient* user, int32_t result, int32_t stage);
    int32_t Defer(Sentient& user, Entity* target, int32_t phase);
    int32_t Perform(Sentient& user, Entity* target, Entity* resolved);
    void UpdateUseCheckGate(float seconds);
    void KeepPassiveEffect();
    void HitVictim(Sentient& user, Entity& victim, int32_t& total);
    void ChangeVictimHate(Sentient& user, Entity& victim) const;
    void FireAtVictim(Sentient& user, Entity& victim, bool killed) const;
    void HelpBeneficiary(Sentient& user, Entity& beneficiary);
    void CollectVictims(Sentient& user, Entity* target, std::vector<Entity*>& out) const;
    void Relocate(Sentient& user) const;
    // The projectiles flying at the user within the skill's range: sent back at their sources,
    // and made stronger.
    void ReverseProjectilesAt(Sentient& user) const;
    void Summon(Sentient& user) const;
    // Each filled powerup slot of the user takes the cheapest powerup of the tries drawn.
    void ChangePowerups(Sentient& user) const;
    static bool IsPowerup(const ItemBase* item);
    // The owner's worn item of "UpgradeItemType" is made anew, one item level higher.
    void UpgradeOwnersItem(Sentient& owner) const;
    // One record of the "AddItemInList" record's "Item" lines, drawn on stream 0, made at the
    // owner's level and given into its carried bags; with no room there it is dropped at the
    // owner's feet, and the owner told.
    void AddItemFromList(Sentient& owner) const;
    // The skill's monsters of the level around the centre, each hating the entity when given.
    void SummonAround(const WorldPos& centre, int32_t level, Entity* hated) const;
    // False when the monster found no place (it is then deleted).
    bool PlaceSummoned(const WorldPos& centre, Entity* hated, Entity& monster) const;
    void AlertFactionOf(Sentient& user) const;
    float RateByType(Sentient& owner, Entity* target) const;

    // Kept between choices so that an actor's step allocates nothing once settled.
    mutable std::vector<Sentient*> partyScratch;
};
