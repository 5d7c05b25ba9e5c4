// StatusEffectBase -- the part of a status effect that host and client share: its definition scaled to its level, its stacking, strength and worth, and its description text.
#pragma once

#include "core/EngineEnums.h"
#include "core/RandomTimer.h"
#include "core/SimpleData.h"
#include "rules/IntArray.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class CharacterClass;
class SkillUser;

// Stat tables cover CharacterStat 0..113: every stat but "Num" and "None".
constexpr int32_t kStatKeyCount = CharacterStat::Num;
// Stat multipliers are kept as integer thousandths.
constexpr float kStatMultScale = 1000.0f;

// A multiplier read as a float, kept in thousandths rounded to the nearest (0.7 stays 700).
int32_t StatMultToThousandths(float value);
// The percentage a multiplier shows: m x 100 for m >= 0, (1 / (1 - m) - 1) x 100 below 0,
// since a negative multiplier stands for division by 1 - m.
float MultiplierPercent(float multiplier);

// Constructed empty; SetDefinition gives it a definition and a level. The fields are
// read-only definition data afterwards, except level, currentStrength, finished and the two
// timers, which belong to the run-time effect. The texts are views into the database's own
// store, which outlives every entry an effect points at: an effect taking a definition copies
// no text, so the effects an aura renews every tick allocate nothing.
class StatusEffectBase : public SimpleData {
public:
    StatusEffectBase();
    StatusEffectBase(const StatusEffectBase&) = delete;
    StatusEffectBase& operator=(const StatusEffectBase&) = delete;

    // own(key) + inc(key) x (level - 1), inc from the "PerLevel" entry, above level 1 only.
    int32_t GetInt(std::string_view key) const override;
    float GetFloat(std::string_view key) const override;
    // Every field anew from the entry at the level in force; a null entry leaves the empty effect.
    void Load(const DatabaseEntry* entry) override;
    // Stores the level, then loads only when the entry differs from the current one. The
    // owner is the entity that applied the effect; the run-time effects use it.
    virtual void SetDefinition(const DatabaseEntry* definition, int32_t newLevel, SkillUser* owner);
    // Back to an effect just constructed with no definition, keeping the storage of its texts
    // and tables: the next SetDefinition loads every field anew.
    void Forget();

    // The stacking test, called on an effect already on an entity with the one in question.
    bool IsInSameGroup(const StatusEffectBase* other) const;
    // Healing that weakens a damaging effect; the level follows the damage left.
    void ReduceHealthChange(float amount);
    float ScaleByStrength(float value) const;
    // The worth of the effect for item values.
    float GetValue() const;
    // The duration factor of an effect of strength s against a target of level n.
    float GetStrengthFactor(float s, int32_t n) const;
    bool HasCriticalMult() const;
    bool HasCrushingBlowMult() const;
    bool HasDeepWoundsMult() const;

    // The tooltip body: duration, description and, when the game shows details, one line per
    // value. perLevelEffect holds the per-level increments (a skill's), or is null.
    std::string& BuildDescription(std::string& out, const StatusEffectBase* perLevelEffect, int32_t showLevel,
                                  int32_t enemyLevel, const CharacterClass* characterClass) const;

    std::string_view name;
    std::string_view desc;
    // The icon the status-effect row shows.
    std::string_view textureName;
    // The duration and tick timers, in that order, for advancing them together.
    std::vector<RandomTimer*> timers;
    RandomTimer durationTimer;
    RandomTimer tickTimer;
    float tickTime = 0.0f;
    float randomizeTickTime = 0.0f;
    float totalTime = 0.0f;
    float healthChange = 0.0f;
    float healthChangePercent = 0.0f;  // a fraction; the key is in percent
    int32_t damageType = DamageType::Physical;
    float powerChange = 0.0f;
    float powerChangePercent = 0.0f;   // a fraction; the key is in percent
    bool isPowerRegen = false;
    bool basicRegen = false;
    bool isPublic = true;
    bool forever = false;
    IntArray statChange;
    IntArray statMult;  // thousandths
    std::array<float, DynamicStat::kCount> dynamicStatChange{};
    std::array<float, DynamicStat::kCount> dynamicStatMult{};
    std::array<float, DynamicStat::kCount> defendingDynamicStatChange{};
    std::array<float, DynamicStat::kCount> defendingDynamicStatMult{};
    int32_t effectType = StatusEffectType::Normal;
    std::string_view combinedStatusEffect;
    std::string_view groupName;
    int32_t statusType = StatusType::Normal;
    int32_t removeOnEvent = SimpleEvent::None;
    bool finished = false;
    bool mustFocus = false;
    bool mustPartiallyFocus = false;
    bool mustRemainUnknown = false;
    bool mustHaveNoEnemy = false;
    bool printFailure = false;
    int32_t damageOnHit = 0;
    float damageOnHitPercent = 0.0f;   // a fraction, as the key writes it
    bool cantAttack = false;
    bool cantUseSkills = false;
    bool cantUseSpells = false;
    bool cantMove = false;
    const DatabaseEntry* perLevel = nullptr;
    int32_t level = 0;
    uint32_t entityStates = 0;  // bit n: EntityState n
    bool damageBreaks = false;
    bool skillUseBreaks = false;
    bool attackedBreaks = false;
    int32_t powerLeechPerHit = 0;
    float powerBurnPerHitPercent = 0.0f;
    int32_t strength = 0;
    int32_t currentStrength = 0;
    int32_t absorbDamage = 0;
    bool absorbAllDamage = false;
    float absorbDamageAwayFromPlayer = 0.0f;
    float absorbDamagePercent = 0.0f;
    bool absorbTrapDamageOnly = false;
    std::array<int32_t, DamageType::kCount> extraMinDamagePercent{};
    std::array<int32_t, DamageType::kCount> extraMaxDamagePercent{};
    int32_t extraMinDamagePercentElemental = 0;
    int32_t extraMaxDamagePercentElemental = 0;
    float lifeSteal = 0.0f;  // a fraction; the key is in percent
    bool removeOnDeath = false;
    std::array<float, DamageType::kCount> damageMult{};
    bool aura = false;
    bool auraOffensive = false;
    float auraDistance = 0.0f;
    const DatabaseEntry* auraStatusEffect = nullptr;
    std::string_view effectModelName;
    std::string_view onHitEffectModelName;
    std::string_view whenHitEffectModelName;
    float effectTime = 0.0f;
    std::string_view effectTagName;
    float alpha = 1.0f;  // 1 or more: the carrier is not faded
    bool itemSetEffect = false;
    bool onlyWhenRaiding = false;
    bool onlyWhenBeingRaided = false;
    bool informOthers = false;
    std::string_view onHitSkill;
    std::string_view whenHitSkill;
    std::string_view whenMissedSkill;
    std::string_view whenKilledSkill;
    float skillChance = 0.0f;
    float strengthTime = 0.0f;
    float strengthEffectEasy = 0.0f;
    float strengthEffectHard = 0.0f;
    bool checkSuccess = false;
    const DatabaseEntry* successEndEffect = nullptr;

private:
    void ReadTimingAndFlags();
    void ReadStatTables();
    void ReadCombatValues();
    void ReadLinksAndSkills();
};
