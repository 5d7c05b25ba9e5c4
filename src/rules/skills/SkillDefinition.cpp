// SkillDefinition -- the rules record of one skill: cost, targeting, values per skill level, requirements, use checks.
#include "rules/skills/SkillDefinition.h"

#include "core/Database.h"
#include "core/DatabaseEntry.h"
#include "core/EngineEnums.h"
#include "core/MathUtil.h"
#include "core/Vector.h"
#include "rules/GameData.h"
#include "rules/SkillUser.h"
#include "rules/StatPairList.h"
#include "rules/statuseffects/StatusEffectBase.h"

#include <algorithm>
#include <cmath>

namespace {

// The client asks only when the target is this far inside the host's limits.
constexpr float kClientMinRangeMargin = 1.25f;
constexpr float kClientMaxRangeMargin = 0.75f;

const DatabaseEntry* FindSkillEntry(const std::string& name)
{
    return gDatabase && !name.empty() ? gDatabase->FindEntryByName(name) : nullptr;
}

template <class T, size_t N> T Element(const std::array<T, N>& values, int32_t index)
{
    return index >= 0 && static_cast<size_t>(index) < N ? values[static_cast<size_t>(index)] : T{};
}

uint32_t ReadStateMask(const DatabaseEntry& entry, const char* key)
{
    std::vector<std::string> names;
    entry.GetStringList(key, names, true, false);
    uint32_t mask = 0;
    for (const std::string& state : names)
        mask |= 1u << GetEntityStateByName(state);
    return mask;
}

} // namespace

SkillDefinition::SkillDefinition() : statChange(kStatKeyCount), statMult(kStatKeyCount) {}

SkillDefinition::~SkillDefinition() = default;

void SkillDefinition::Load(const DatabaseEntry* newEntry)
{
    entry = newEntry;
    if (!entry)
        return;
    name = entry->GetString("Name");
    desc = entry->GetString("Desc");
    baseName = entry->GetString("BaseName");
    textureName = entry->GetString("TextureName");
    soundName = entry->GetString("SoundName");
    std::string perLevelName = entry->GetString("PerLevel");
    perLevel = gGameData && !perLevelName.empty() ? gGameData->FindSkillDefinition(perLevelName) : nullptr;
    ReadUseAndTargeting();
    ReadDamageAndEffects();
    ReadCostsAndRequirements();
    ReadStatTables();
    ReadLinksAndFlags();
}

void SkillDefinition::ReadUseAndTargeting()
{
    const DatabaseEntry& e = *entry;
    power = e.GetInt("Power");
    powerAdded = e.GetInt("PowerAdded");
    powerAddedOnKill = GetBool("PowerAddedOnKill");
    needsEnemy = GetBool("NeedsEnemy");
    needsFriend = GetBool("NeedsFriend");
    animation = e.GetString("Animation");
    castingAnimation = e.GetString("CastingAnimation");
    attack = GetBool("Attack");
    magicAttack = GetBool("MagicAttack");
    requiredEnemyStatus = GetStatusTypeByName(e.GetString("RequiredEnemyStatus"));
    enemyEvent = GetSimpleEventByName(e.GetString("EnemyEvent"));
    castTime = e.GetFloat("CastTime", 0.0f);
    self = GetBool("Self");
    skillType = GetSkillTypeByName(e.GetString("SkillType"));
    basePriority = e.GetFloat("BasePriority", 0.0f);
    saveForToughEnemies = GetBool("SaveForToughEnemies");
    combatOnly = GetBool("CombatOnly");
    minRange = e.GetFloat("MinRange", 0.0f);
    maxRange = e.GetFloat("MaxRange", 0.0f);
    lineOfSightDegrees = e.GetFloat("LineOfSightDegrees", 0.0f);
    extraEnemies = e.GetInt("ExtraEnemies");
    allEnemies = GetBool("AllEnemies");
    victimMustMove = GetBool("VictimMustMove");
    allAllies = GetBool("AllAllies");
    hateChange = e.GetFloat("HateChange", 0.0f);
    silentHateChange = e.GetFloat("SilentHateChange", 0.0f);
    reduceAllHate = e.GetFloat("ReduceAllHate", 0.0f);
    randomHateVictim = GetBool("RandomHateVictim");
    useAllRage = GetBool("UseAllRage");
    interrupt = GetBool("Interrupt");
    alwaysWorks = GetBool("AlwaysWorks");
    dontLookAtTarget = GetBool("DontLookAtTarget");
    requiredStatesOne = ReadStateMask(e, "RequiredEntityState-One");
    requiredStatesAll = ReadStateMask(e, "RequiredEntityState-All");
    reuseTime = e.GetFloat("ReuseTime", 0.0f);
    useCheckTime = e.GetFloat("UseCheckTime", 0.0f);
    useCheckChance = e.GetFloat("UseCheckChance", 0.0f);
}

void SkillDefinition::ReadDamageAndEffects()
{
    const DatabaseEntry& e = *entry;
    projectile = e.GetString("Projectile");
    projMinDamage = e.GetInt("ProjMinDamage");
    projMaxDamage = e.GetInt("ProjMaxDamage");
    projRadiusMinDamage = e.GetInt("ProjRadiusMinDamage");
    projRadiusMaxDamage = e.GetInt("ProjRadiusMaxDamage");
    projDamageType = GetDamageTypeByName(e.GetString("ProjDamageType"));
    projRadius = e.GetFloat("ProjRadius", 0.0f);
    projNormalAttack = GetBool("ProjNormalAttack");
    projMagicAttack = GetBool("ProjMagicAttack");
    projStatusEffect = GetBool("ProjStatusEffect");
    e.GetIntList("ProjAdditionalDir", projAdditionalDir, true, false);
    projectileOnKill = GetBool("ProjectileOnKill");
    heal = e.GetInt("Heal");
    healPercent = e.GetFloat("HealPercent", 0.0f);
    explosion = GetBool("Explosion");
    explosionDamage = explosion ? e.GetInt("ExplosionDamage") : 0;
    explosionRange = explosion ? e.GetFloat("ExplosionRange", 0.0f) : 0.0f;
    explosionDamageType = explosion ? GetDamageTypeByName(e.GetString("ExplosionDamageType")) : DamageType::Physical;
    damagePerExtraRage = e.GetFloat("DamagePerExtraRage", 0.0f);
    minDamage = e.GetInt("MinDamage");
    maxDamage = e.GetInt("MaxDamage");
    damageType = GetDamageTypeByName(e.GetString("DamageType"));
    dispelEffectName = e.GetString("DispelEffectName");
    dispelEffectStrength = e.GetInt("DispelEffectStrength");
    cureEffectName = e.GetString("CureEffectName");
    cureEffectStrength = e.GetFloat("CureEffectStrength", 0.0f);
    alertFaction = e.GetString("AlertFaction");
    alertHateMult = e.GetFloat("AlertHateMult", 0.0f);
    targetEffect = e.GetString("TargetEffect");
    areaEffect = e.GetString("AreaEffect");
    effectTime = e.GetFloat("EffectTime", 0.0f);
    for (int32_t t = 0; t < DamageType::kCount; ++t)
        damageMult[t] = e.GetFloat("DamageMult" + GetDamageTypeName(t), 0.0f);
    damageMultAll = e.GetFloat("DamageMultAll", 0.0f);

    statusEffect.reset();
    statusEffectPerLevel.reset();
    std::string effectName = e.GetString("StatusEffect");
    if (effectName.empty())
        return;
    statusEffect = std::make_unique<StatusEffectBase>();
    statusEffect->SetDefinition(FindSkillEntry(effectName), 1, nullptr);
    if (statusEffect->perLevel) {
        statusEffectPerLevel = std::make_unique<StatusEffectBase>();
        statusEffectPerLevel->SetDefinition(statusEffect->perLevel, 1, nullptr);
    }
}

void SkillDefinition::ReadCostsAndRequirements()
{
    const DatabaseEntry& e = *entry;
    baseCost = e.GetInt("BaseCost");
    costIncreasePerLevel = e.GetInt("CostIncreasePerLevel");
    monstersToSpawn = e.GetInt("MonstersToSpawn");
    minMonstersToSpawn = e.GetInt("MinMonstersToSpawn");
    maxMonstersToSpawn = e.GetInt("MaxMonstersToSpawn");
    monsterArchetype = nullptr;
    monsterType = nullptr;
    minMonsterRarity = MonsterRarity::Normal;
    if (monstersToSpawn > 0 || maxMonstersToSpawn > 0) {
        monsterArchetype = FindSkillEntry(e.GetString("MonsterArchetype"));
        monsterType = FindSkillEntry(e.GetString("MonsterType"));
        minMonsterRarity = GetMonsterRarityByName(e.GetString("MinMonsterRarity"));
    }
    itemRequirement = GetItemRequirementByName(e.GetString("ItemRequirement"));
    weaponType = GetItemRequirementByName(e.GetString("WeaponType"));
    requiresShield = GetBool("RequiresShield");
    statReq = GetCharacterStatByName(e.GetString("StatReq"));
    pointsReq = e.GetInt("PointsReq");
    maxSkillLevel = e.GetInt("MaxSkillLevel");
    startingSkillLevel = e.GetInt("StartingSkillLevel");
}

void SkillDefinition::ReadStatTables()
{
    const DatabaseEntry& e = *entry;
    statChange.Clear();
    statMult.Clear();
    for (int32_t i = 0; i < kStatKeyCount; ++i) {
        std::string stat = GetCharacterStatName(i, false);
        statChange.Set(i, e.GetInt("StatChange" + stat));
        statMult.Set(i, StatMultToThousandths(e.GetFloat("StatMult" + stat, 0.0f)));
    }
    for (int32_t j = 0; j < DynamicStat::kCount; ++j) {
        std::string stat = GetDynamicStatName(j, false);
        dynamicStatChange[j] = e.GetFloat("DynamicStatChange" + stat, 0.0f);
        dynamicStatMult[j] = e.GetFloat("DynamicStatMult" + stat, 0.0f);
        defendingDynamicStatChange[j] = e.GetFloat("DefendingDynamicStatChange" + stat, 0.0f);
        defendingDynamicStatMult[j] = e.GetFloat("DefendingDynamicStatMult" + stat, 0.0f);
    }
}

void SkillDefinition::ReadLinksAndFlags()
{
    const DatabaseEntry& e = *entry;
    passive = GetBool("Passive");
    std::vector<std::string> names;
    e.GetStringList("Skill", names, true, false);
    enhancedSkills.clear();
    for (const std::string& skillName : names) {
        if (const SkillDefinition* skill = gGameData ? gGameData->FindSkillDefinition(skillName) : nullptr)
            enhancedSkills.push_back(skill);
    }
    e.GetStringList("EnhanceStatusEffect", names, true, false);
    enhancedStatusEffects.clear();
    for (const std::string& effectName : names) {
        if (const DatabaseEntry* effect = FindSkillEntry(effectName))
            enhancedStatusEffects.push_back(effect);
    }
    reverseProjectile = GetBool("ReverseProjectile");
    linked = e.GetString("Linked");
    linkedEnd = GetBool("LinkedEnd");
    haltsPowerDrop = GetBool("HaltsPowerDrop");
    projectileDamage = GetBool("ProjectileDamage");
    radiusDamage = GetBool("RadiusDamage");
    basicSkill = GetBool("BasicSkill");
    stopAttacking = GetBool("StopAttacking");
    hardCodedLocation = GetBool("HardCodedLocation");
    canAutoAttack = GetBool("CanAutoAttack");
    windDistance = e.GetFloat("WindDistance", 0.0f);
    windPower = e.GetFloat("WindPower", 0.0f);
    shutDoorDistance = e.GetFloat("ShutDoorDistance", 0.0f);
    unhide = GetBool("Unhide");
    hide = GetBool("Hide");
    suicide = GetBool("Suicide");
    blink = GetBool("Blink");
    teleport = GetBool("Teleport");
    showAttackTime = GetBool("ShowAttackTime");
    showSkillHint = GetBool("ShowSkillHint");
    noAttackers = GetBool("NoAttackers");
    noiseRange = e.GetFloat("NoiseRange", 0.0f);
    comparePointsMult = e.GetFloat("ComparePointsMult", 0.0f);
    turnLeft = GetBool("TurnLeft");
    turnRight = GetBool("TurnRight");
    statusEffectOnSelf = GetBool("StatusEffectOnSelf");
    changePowerupTries = e.GetInt("ChangePowerupTries");
    upgradeItemType = GetItemTypeByName(e.GetString("UpgradeItemType"));
    addItemInList = FindSkillEntry(e.GetString("AddItemInList"));
    applyStatsOnIncrease = GetBool("ApplyStatsOnIncrease");
    waitForAnim = GetBool("WaitForAnim");
    tryToDisappear = GetBool("TryToDisappear");
}

// ---- Values at a level ----

float SkillDefinition::GetDamageMultAtLevel(int32_t type, int32_t level) const
{
    if (damageMultAll != 0.0f)
        return GetDamageMultAllAtLevel(level);
    float base = Element(damageMult, type);
    level = ClampLevel(level);
    if (!perLevel || level == 0)
        return base;
    return static_cast<float>(static_cast<double>(base) +
                              static_cast<double>(level - 1) * static_cast<double>(Element(perLevel->damageMult, type)));
}

int32_t SkillDefinition::GetStatChangeAtLevel(int32_t stat, int32_t level) const
{
    int32_t base = statChange.Get(stat);
    level = ClampLevel(level);
    if (!perLevel || level == 0)
        return base;
    return AddPerLevel(base, perLevel->statChange.Get(stat), level - 1);
}

float SkillDefinition::GetStatMultAtLevel(int32_t stat, int32_t level) const
{
    level = ClampLevel(level);
    if (level == 0)
        return 1.0f;
    int32_t base = statMult.Get(stat);
    int32_t increment = perLevel && level > 1 ? perLevel->statMult.Get(stat) : 0;
    if (base == 0 && increment == 0)
        return 0.0f;
    return static_cast<float>((base + static_cast<double>(level - 1) * increment) / kStatMultScale);
}

namespace {

float DynamicAtLevel(const std::array<float, DynamicStat::kCount>& own,
                     const std::array<float, DynamicStat::kCount>* increments, int32_t stat, int32_t level)
{
    float base = Element(own, stat);
    level = ClampLevel(level);
    if (!increments || level == 0)
        return base;
    return static_cast<float>(static_cast<double>(base) +
                              static_cast<double>(level - 1) * static_cast<double>(Element(*increments, stat)));
}

} // namespace

float SkillDefinition::GetDynamicStatChangeAtLevel(int32_t stat, int32_t level) const
{
    return DynamicAtLevel(dynamicStatChange, perLevel ? &perLevel->dynamicStatChange : nullptr, stat, level);
}

float SkillDefinition::GetDynamicStatMultAtLevel(int32_t stat, int32_t level) const
{
    return DynamicAtLevel(dynamicStatMult, perLevel ? &perLevel->dynamicStatMult : nullptr, stat, level);
}

float SkillDefinition::GetDefendingDynamicStatChangeAtLevel(int32_t stat, int32_t level) const
{
    return DynamicAtLevel(defendingDynamicStatChange, perLevel ? &perLevel->defendingDynamicStatChange : nullptr,
                          stat, level);
}

float SkillDefinition::GetDefendingDynamicStatMultAtLevel(int32_t stat, int32_t level) const
{
    return DynamicAtLevel(defendingDynamicStatMult, perLevel ? &perLevel->defendingDynamicStatMult : nullptr, stat,
                          level);
}

int32_t SkillDefinition::GetHealAtLevel(int32_t level, std::optional<int32_t> targetAmount) const
{
    int32_t amount = AtLevel(&SkillDefinition::heal, level);
    if (healPercent > 0.0f && targetAmount)
        amount += static_cast<int32_t>(static_cast<float>(*targetAmount) * healPercent);
    return amount;
}

void SkillDefinition::AddDamageAtLevel(StatPairList& damage, int32_t level) const
{
    damage.Add(damageType, static_cast<float>(AtLevel(&SkillDefinition::minDamage, level)),
               static_cast<float>(AtLevel(&SkillDefinition::maxDamage, level)));
}

void SkillDefinition::AddProjectileDamageAtLevel(StatPairList& damage, int32_t level) const
{
    damage.Add(projDamageType, static_cast<float>(AtLevel(&SkillDefinition::projMinDamage, level)),
               static_cast<float>(AtLevel(&SkillDefinition::projMaxDamage, level)));
}

void SkillDefinition::AddProjectileRadiusDamageAtLevel(StatPairList& damage, int32_t level) const
{
    damage.Add(projDamageType, static_cast<float>(AtLevel(&SkillDefinition::projRadiusMinDamage, level)),
               static_cast<float>(AtLevel(&SkillDefinition::projRadiusMaxDamage, level)));
}

// ---- Levels and requirements ----

int32_t SkillDefinition::GetCostForLevel(int32_t n) const
{
    return AddPerLevel(baseCost, costIncreasePerLevel, ClampLevel(n));
}

int32_t SkillDefinition::GetMaxLevel() const
{
    return basicSkill ? 1 : maxSkillLevel;
}

int32_t SkillDefinition::GetLevelForPoints(int32_t points) const
{
    if (statReq == CharacterStat::None || pointsReq == 0 || points < pointsReq)
        return 0;
    if (!perLevel)
        return 1;
    int32_t step = perLevel->pointsReq > 0 ? perLevel->pointsReq : pointsReq;
    int32_t level = static_cast<int32_t>((int64_t{points} - pointsReq) / step + 1);
    return HasMaxLevel() ? std::min(level, GetMaxLevel()) : level;
}

int32_t SkillDefinition::GetLevelFromStats(const IntArray& stats, int32_t skillStat) const
{
    if (basicSkill)
        return 1;
    if (statReq != CharacterStat::None)
        return GetLevelForPoints(stats.Get(statReq));
    return stats.Get(skillStat);
}

int32_t SkillDefinition::GetMissingRequirementPoints(int32_t level, const IntArray& stats) const
{
    if (statReq == CharacterStat::None)
        return 0;
    int64_t need = pointsReq;
    if (perLevel && level > 0)
        need += int64_t{perLevel->pointsReq} * level;
    int64_t missing = need - stats.Get(statReq);
    return static_cast<int32_t>(std::clamp<int64_t>(missing, 0, INT32_MAX));
}

int32_t SkillDefinition::GetMainDamageType() const
{
    if (maxDamage > 0)
        return damageType;
    if (projMaxDamage > 0)
        return projDamageType;
    return DamageType::Physical;
}

bool SkillDefinition::MatchesEntityStates(uint32_t stateBits) const
{
    if (requiredStatesOne != 0 && (requiredStatesOne & stateBits) == 0)
        return false;
    return (requiredStatesAll & stateBits) == requiredStatesAll;
}

bool SkillDefinition::IsEnhancedBy(const SkillDefinition* skill, const DatabaseEntry* statusEffectEntry) const
{
    if (enhancedSkills.empty() && enhancedStatusEffects.empty())
        return true;
    if (skill && std::find(enhancedSkills.begin(), enhancedSkills.end(), skill) != enhancedSkills.end())
        return true;
    return statusEffectEntry && std::find(enhancedStatusEffects.begin(), enhancedStatusEffects.end(),
                                          statusEffectEntry) != enhancedStatusEffects.end();
}

// ---- Use checks ----

int32_t SkillDefinition::CheckUse(const IntArray& stats, int32_t level, const SkillUser* user,
                                  const SkillUser* target, uint32_t stateBits) const
{
    if (GetPowerAtLevel(level) > stats.Get(CharacterStat::Power))
        return SkillUse::NotEnoughPower;
    if (needsEnemy && (!target || !user || !user->IsEnemy(*target)))
        return SkillUse::NoEnemyTarget;
    if (combatOnly && !target)
        return SkillUse::NoCombatTarget;
    if (!MatchesEntityStates(stateBits))
        return SkillUse::StatesNotMet;
    if (needsEnemy && !IsTargetInRangeAndSight(user, target))
        return SkillUse::OutOfRangeOrSight;
    return SkillUse::Usable;
}

bool SkillDefinition::IsTargetInRangeAndSight(const SkillUser* user, const SkillUser* target) const
{
    if (!user || !target)
        return false;
    if (minRange > 0.0f || maxRange > 0.0f) {
        float distance = user->GetDistance2D(*target, true);
        if (minRange > 0.0f && distance < minRange)
            return false;
        if (maxRange > 0.0f && distance > maxRange)
            return false;
    }
    if (lineOfSightDegrees > 0.0f) {
        Vector2 facing = AxisVector2FromIndex(user->GetDirectionIndex());
        Vector2Normalize(facing);
        Vector2 toTarget = user->GetDeltaTo(*target);
        Vector2Normalize(toTarget);
        float dot = facing.x * toTarget.x + facing.y * toTarget.y;
        if (dot < std::cos(lineOfSightDegrees * 0.5f * kDegreesToRadians))
            return false;
    }
    return true;
}

bool SkillDefinition::IsTargetWellInRange(const SkillUser* user, const SkillUser* target) const
{
    if (!user || !target)
        return false;
    if (minRange <= 0.0f && maxRange <= 0.0f)
        return true;
    float distance = user->GetDistance2D(*target, true);
    float nearest = minRange * kClientMinRangeMargin;
    float farthest = maxRange * kClientMaxRangeMargin;
    if (nearest > 0.0f && distance < nearest)
        return false;
    return !(farthest > 0.0f && distance > farthest);
}
