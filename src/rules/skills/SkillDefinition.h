// SkillDefinition -- the rules record of one skill: cost, targeting, values per skill level, requirements, use checks.
#pragma once

#include "core/EngineEnums.h"
#include "core/SimpleData.h"
#include "rules/Formulas.h"
#include "rules/IntArray.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

class SkillUser;
class StatPairList;
class StatusEffectBase;

// The answers of the use checks.
namespace SkillUse {
enum Code : int32_t {
    Usable = 0,
    NotEnoughPower = 6,
    NoEnemyTarget = 7,
    NoCombatTarget = 8,
    OutOfRangeOrSight = 9,
    StatesNotMet = 10,
    MissingEquipment = 12,
};
} // namespace SkillUse

// Read once from its entry and shared read-only afterwards. A value that grows with the skill
// level is this record's base plus (level - 1) times the same field of the "PerLevel" record,
// a skill definition loaded earlier. "PerLevel" and the "Skill" list see only the definitions
// that come before this one in the database.
class SkillDefinition : public SimpleData {
public:
    SkillDefinition();
    ~SkillDefinition() override;
    SkillDefinition(const SkillDefinition&) = delete;
    SkillDefinition& operator=(const SkillDefinition&) = delete;

    void Load(const DatabaseEntry* entry) override;

    // The per-level rule for one field: the base at level 0 or without a PerLevel record;
    // floats are summed in double precision.
    template <class T> T AtLevel(T SkillDefinition::*field, int32_t level) const
    {
        level = ClampLevel(level);
        if (!perLevel || level == 0)
            return this->*field;
        if constexpr (std::is_integral_v<T>)
            return AddPerLevel(this->*field, perLevel->*field, level - 1);
        else
            return static_cast<T>(static_cast<double>(this->*field) +
                                  static_cast<double>(level - 1) * static_cast<double>(perLevel->*field));
    }

    int32_t GetPowerAtLevel(int32_t level) const { return AtLevel(&SkillDefinition::power, level); }
    float GetCastTimeAtLevel(int32_t level) const { return AtLevel(&SkillDefinition::castTime, level); }
    float GetReuseTimeAtLevel(int32_t level) const { return AtLevel(&SkillDefinition::reuseTime, level); }
    float GetUseCheckTimeAtLevel(int32_t level) const { return AtLevel(&SkillDefinition::useCheckTime, level); }
    float GetUseCheckChanceAtLevel(int32_t level) const { return AtLevel(&SkillDefinition::useCheckChance, level); }
    float GetHateChangeAtLevel(int32_t level) const { return AtLevel(&SkillDefinition::hateChange, level); }
    float GetSilentHateChangeAtLevel(int32_t level) const { return AtLevel(&SkillDefinition::silentHateChange, level); }
    float GetReduceAllHateAtLevel(int32_t level) const { return AtLevel(&SkillDefinition::reduceAllHate, level); }
    float GetExplosionRangeAtLevel(int32_t level) const { return AtLevel(&SkillDefinition::explosionRange, level); }
    float GetProjRadiusAtLevel(int32_t level) const { return AtLevel(&SkillDefinition::projRadius, level); }
    float GetDamagePerExtraRageAtLevel(int32_t level) const
    {
        return AtLevel(&SkillDefinition::damagePerExtraRage, level);
    }
    float GetCureEffectStrengthAtLevel(int32_t level) const
    {
        return AtLevel(&SkillDefinition::cureEffectStrength, level);
    }
    float GetDamageMultAllAtLevel(int32_t level) const { return AtLevel(&SkillDefinition::damageMultAll, level); }
    // A non-zero DamageMultAll stands for every type.
    float GetDamageMultAtLevel(int32_t damageType, int32_t level) const;
    int32_t GetStatChangeAtLevel(int32_t stat, int32_t level) const;
    // 1.0 at level 0; 0.0 (no multiplier) for a stat the skill does not multiply.
    float GetStatMultAtLevel(int32_t stat, int32_t level) const;
    float GetDynamicStatChangeAtLevel(int32_t stat, int32_t level) const;
    float GetDynamicStatMultAtLevel(int32_t stat, int32_t level) const;
    float GetDefendingDynamicStatChangeAtLevel(int32_t stat, int32_t level) const;
    float GetDefendingDynamicStatMultAtLevel(int32_t stat, int32_t level) const;
    // Heal at the level, plus the amount times HealPercent (truncated) when both are given.
    int32_t GetHealAtLevel(int32_t level, std::optional<int32_t> targetAmount) const;
    // Add the (minimum, maximum) damage at the level to the list under its damage type.
    void AddDamageAtLevel(StatPairList& damage, int32_t level) const;
    void AddProjectileDamageAtLevel(StatPairList& damage, int32_t level) const;
    void AddProjectileRadiusDamageAtLevel(StatPairList& damage, int32_t level) const;

    // Skill points raising the skill from level n costs: "BaseCost" + "CostIncreasePerLevel" x n.
    int32_t GetCostForLevel(int32_t n) const;
    // 1 for a basic skill, else MaxSkillLevel (0: no cap).
    int32_t GetMaxLevel() const;
    bool HasMaxLevel() const { return GetMaxLevel() > 0; }
    // The level that many points of the StatReq stat give.
    int32_t GetLevelForPoints(int32_t points) const;
    // skillStat holds the level of a skill without StatReq.
    int32_t GetLevelFromStats(const IntArray& stats, int32_t skillStat) const;
    // Points of the StatReq stat still missing for level + 1; 0 when none are.
    int32_t GetMissingRequirementPoints(int32_t level, const IntArray& stats) const;
    // DamageType with a direct damage, else ProjDamageType with a projectile damage, else Physical.
    int32_t GetMainDamageType() const;
    bool MatchesEntityStates(uint32_t stateBits) const;
    // True when the skill enhances everything, or the skill or the status effect entry is in its lists.
    bool IsEnhancedBy(const SkillDefinition* skill, const DatabaseEntry* statusEffectEntry) const;
    // A SkillUse code; the first failing check answers.
    int32_t CheckUse(const IntArray& stats, int32_t level, const SkillUser* user, const SkillUser* target,
                     uint32_t stateBits) const;
    // The world host's test: range limits and the sight cone.
    bool IsTargetInRangeAndSight(const SkillUser* user, const SkillUser* target) const;
    // The client's stricter range test, so that a request it sends is not refused for a step.
    bool IsTargetWellInRange(const SkillUser* user, const SkillUser* target) const;

    const SkillDefinition* GetPerLevel() const { return perLevel; }
    const StatusEffectBase* GetStatusEffect() const { return statusEffect.get(); }
    const StatusEffectBase* GetStatusEffectPerLevel() const { return statusEffectPerLevel.get(); }

    std::string name;
    std::string desc;
    std::string baseName;
    std::string textureName;
    std::string soundName;
    int32_t power = 0;
    int32_t powerAdded = 0;
    bool powerAddedOnKill = false;
    bool needsEnemy = false;
    bool needsFriend = false;
    std::string animation;
    std::string castingAnimation;
    bool attack = false;
    bool magicAttack = false;
    int32_t requiredEnemyStatus = StatusType::Normal;
    int32_t enemyEvent = SimpleEvent::None;
    std::string projectile;
    int32_t projMinDamage = 0;
    int32_t projMaxDamage = 0;
    int32_t projRadiusMinDamage = 0;
    int32_t projRadiusMaxDamage = 0;
    int32_t projDamageType = DamageType::Physical;
    float projRadius = 0.0f;
    bool projNormalAttack = false;
    bool projMagicAttack = false;
    bool projStatusEffect = false;
    std::vector<int32_t> projAdditionalDir;
    bool projectileOnKill = false;
    float castTime = 0.0f;
    bool self = false;
    int32_t heal = 0;
    float healPercent = 0.0f;
    bool explosion = false;
    int32_t explosionDamage = 0;
    float explosionRange = 0.0f;
    int32_t explosionDamageType = DamageType::Physical;
    int32_t skillType = SkillType::DirectDamage;
    float basePriority = 0.0f;
    bool saveForToughEnemies = false;
    bool combatOnly = false;
    float minRange = 0.0f;  // world units; 0 is no limit
    float maxRange = 0.0f;
    float lineOfSightDegrees = 0.0f;  // full width of the cone; 0 is no cone
    float damagePerExtraRage = 0.0f;
    int32_t minDamage = 0;
    int32_t maxDamage = 0;
    int32_t damageType = DamageType::Physical;
    int32_t extraEnemies = 0;
    bool allEnemies = false;
    bool victimMustMove = false;
    bool allAllies = false;
    float hateChange = 0.0f;
    float silentHateChange = 0.0f;
    float reduceAllHate = 0.0f;
    bool randomHateVictim = false;
    bool useAllRage = false;
    bool interrupt = false;
    bool alwaysWorks = false;
    bool dontLookAtTarget = false;
    uint32_t requiredStatesOne = 0;  // bit n: EntityState n
    uint32_t requiredStatesAll = 0;
    float reuseTime = 0.0f;
    float useCheckTime = 0.0f;
    float useCheckChance = 0.0f;
    std::string dispelEffectName;
    int32_t dispelEffectStrength = 0;
    std::string cureEffectName;
    float cureEffectStrength = 0.0f;
    std::string alertFaction;
    float alertHateMult = 0.0f;
    bool blink = false;
    bool teleport = false;
    std::string targetEffect;
    std::string areaEffect;
    float effectTime = 0.0f;
    int32_t baseCost = 0;
    int32_t costIncreasePerLevel = 0;
    bool stopAttacking = false;
    int32_t monstersToSpawn = 0;
    int32_t minMonstersToSpawn = 0;
    int32_t maxMonstersToSpawn = 0;
    const DatabaseEntry* monsterArchetype = nullptr;
    const DatabaseEntry* monsterType = nullptr;
    int32_t minMonsterRarity = MonsterRarity::Normal;
    std::array<float, DamageType::kCount> damageMult{};
    float damageMultAll = 0.0f;
    int32_t itemRequirement = ItemRequirement::None;
    int32_t weaponType = ItemRequirement::None;
    bool requiresShield = false;
    int32_t statReq = CharacterStat::None;
    int32_t pointsReq = 0;
    int32_t maxSkillLevel = 0;
    int32_t startingSkillLevel = 0;
    IntArray statChange;
    IntArray statMult;  // thousandths
    std::array<float, DynamicStat::kCount> dynamicStatChange{};
    std::array<float, DynamicStat::kCount> dynamicStatMult{};
    std::array<float, DynamicStat::kCount> defendingDynamicStatChange{};
    std::array<float, DynamicStat::kCount> defendingDynamicStatMult{};
    bool passive = false;
    std::vector<const SkillDefinition*> enhancedSkills;
    std::vector<const DatabaseEntry*> enhancedStatusEffects;
    bool reverseProjectile = false;
    std::string linked;
    bool linkedEnd = false;
    bool haltsPowerDrop = false;
    bool projectileDamage = false;
    bool radiusDamage = false;
    bool basicSkill = false;
    bool hardCodedLocation = false;
    bool canAutoAttack = false;
    float windDistance = 0.0f;
    float windPower = 0.0f;
    float shutDoorDistance = 0.0f;
    bool unhide = false;
    bool hide = false;
    bool suicide = false;
    bool showAttackTime = false;
    bool showSkillHint = false;
    bool noAttackers = false;
    float noiseRange = 0.0f;
    float comparePointsMult = 0.0f;
    bool turnLeft = false;
    bool turnRight = false;
    bool statusEffectOnSelf = false;
    int32_t changePowerupTries = 0;
    int32_t upgradeItemType = ItemType::Other;
    const DatabaseEntry* addItemInList = nullptr;
    bool applyStatsOnIncrease = false;
    bool waitForAnim = false;
    bool tryToDisappear = false;

private:
    void ReadUseAndTargeting();
    void ReadDamageAndEffects();
    void ReadCostsAndRequirements();
    void ReadStatTables();
    void ReadLinksAndFlags();

    const SkillDefinition* perLevel = nullptr;
    std::unique_ptr<StatusEffectBase> statusEffect;
    std::unique_ptr<StatusEffectBase> statusEffectPerLevel;
};
