// StatusEffect -- a timed effect carried by a sentient on the host: its timers, its ticks, its stat shares, its absorption, bonus damage and reactions to its carrier's combat.
#pragma once

#include "core/SafePointer.h"
#include "rules/StatPairList.h"
#include "rules/statuseffects/StatusEffectBase.h"

#include <cstdint>
#include <memory>

class Entity;
class Event;
class Sentient;
class Skill;

// Created and owned by its carrier's effect list; owns its four skills.
class StatusEffect : public StatusEffectBase {
public:
    // Seconds the carrier takes to fade to the effect's alpha and back.
    static constexpr float kFadeSeconds = 2.0f;
    // How near an enemy that sees the carrier breaks a "MustRemainUnknown" effect.
    static constexpr float kUnknownRange = 300.0f;
    static constexpr float kHitSoundRadius = 100.0f;
    // The filters of an offensive and of a friendly aura's search.
    static constexpr uint32_t kOffensiveAuraFilter = 0x44;
    static constexpr uint32_t kFriendlyAuraFilter = 0x210;
    static constexpr const char* kPowerBurnSound = "Sounds/Magic/powerburn.wav";
    static constexpr const char* kLifeStealSound = "Sounds/Magic/lifesteal.wav";

    StatusEffect();
    ~StatusEffect() override;

    // What the destructor lets go of (the carrier's model, the skills, the source), then the
    // definition and the run-time state: the effect is as one just made, its storage kept.
    void Recycle();
    // Stores the level and loads the record when it differs from the current one; a sentient
    // source then adapts the values to its power and the effect makes its own skills.
    void SetDefinition(const DatabaseEntry* record, int32_t newLevel, SkillUser* source) override;
    // Moves the effect's model and its skills from the old carrier to the new one.
    void SetOwner(Sentient* carrier);
    Sentient* GetOwner() const { return owner; }
    // The fade to the effect's alpha, the tick timer with a randomised interval and, unless
    // forever, the duration scaled by the carrier's level.
    void Start();
    // The fade back and, for a succeeded effect, its success end effect on the carrier.
    void End();
    // True when the carrier is to end and delete the effect.
    bool Update(Sentient& carrier, float seconds);
    // Merges a newer effect of the same group into this one.
    void CombineWith(const StatusEffect& newer);
    // Flagged: counts for nothing and goes at the carrier's next effect update.
    void Expire() { finished = true; }
    bool IsExpired() const { return finished; }

    // The flat share of a stat in a pass: attributes in pass 0, every stat in pass 1.
    void GetStatChange(int32_t stat, int32_t& total, int32_t pass) const;
    // The percentage share, 0 when the effect does not count now.
    float GetStatMult(int32_t stat) const;
    // The raid conditions of the carrier's covenant.
    bool IsActiveNow() const;
    // Counts in the carrier's numbers: not expired, active now and, for a set's effect, the set
    // still worn.
    bool Counts() const;

    // ---- Combat (StatusEffectCombat.cpp) ------------------------------------------------------
    // Shrinks damage about to be taken by the carrier.
    void AbsorbDamage(int32_t& damage, Entity* attacker);
    // The effect's bonus damage: kind 1 its flat physical range, kind 3 its elemental shares.
    void AddDamage(int32_t kind, StatPairList& damage);
    // A carrier event (SimpleEvent); other is the entity it concerns.
    void OnSimpleEvent(int32_t event, Entity* other);
    // The carrier's "SuccessfulHit", "WhenHit", "WhenMissed" and "WhenKilled", read from the start.
    void OnOwnerEvent(Event& event);
    // The type of the last elemental bonus drawn: 0 before any, then 1 Fire .. 4 Lightning.
    int32_t GetElementalType() const { return elementalType; }
    const Skill* GetOwnSkill(int32_t index) const { return ownSkills[static_cast<size_t>(index)].get(); }

    SafePointer source;
    // Given by the carrier when it takes the effect; the clients tell effects apart by it.
    int32_t instanceId = 0;
    bool succeeded = false;

    // The own skills, in the order of their record keys.
    enum OwnSkill : int32_t { kOnHitSkill, kWhenHitSkill, kWhenMissedSkill, kWhenKilledSkill, kOwnSkillCount };

private:
    void RestartTickTimer();
    void AdaptToSource(Sentient& sourceSentient);
    void MakeOwnSkills();
    bool IsBroken(Sentient& carrier);
    bool IsSeenByEnemy(const Sentient& carrier);
    void Tick(Sentient& carrier);
    void TickHealth(Sentient& carrier);
    void TickPower(Sentient& carrier);
    void TickAura(Sentient& carrier);
    bool HasModel() const { return !effectModelName.empty() && !effectTagName.empty(); }
    // The effect's model off its carrier, when both are there.
    void RemoveModelFromCarrier();
    // A draw of stream 0 below the skill chance; then the skill is used at the target.
    void FireSkillAt(int32_t which, Entity* target);
    void OnSuccessfulHit(Event& event);
    void SpawnExplosion(const Entity& victim) const;

    Sentient* owner = nullptr;
    std::unique_ptr<Skill> ownSkills[kOwnSkillCount];
    int32_t elementalType = 0;
    // Kept between ticks, with room for its one key from the start, so that a health tick of
    // an effect taken from the spares allocates nothing.
    StatPairList tickDamage;
};
