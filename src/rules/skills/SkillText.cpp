// SkillText -- the skill tooltip and the texts of the cost of raising and lowering a skill, as localisation tokens and colour codes.
#include "rules/skills/SkillText.h"

#include "core/ColorCode.h"
#include "core/EngineEnums.h"
#include "core/LocSystem.h"
#include "core/StringUtil.h"
#include "core/TimeStamp.h"
#include "rules/CharacterClass.h"
#include "rules/Formulas.h"
#include "rules/GameData.h"
#include "rules/IntArray.h"
#include "rules/skills/SkillDefinition.h"
#include "rules/statuseffects/StatusEffectBase.h"

#include <vector>

namespace {

constexpr int32_t kHeadingFont = 7;
constexpr int32_t kLackingColor = 1;
constexpr int32_t kAffordableColor = 2;
constexpr int32_t kMaxedColor = 61;
constexpr int32_t kPassiveColor = 121;
// 16 world units to the foot.
constexpr float kFeetPerUnit = 0.0625f;
constexpr float kSkillDurationPrecision = 0.05f;
// Lowering a skill costs this many times the money value of the points regained.
constexpr int32_t kDecreaseMoneyFactor = 3;
// A state list breaks its line after this many names.
constexpr int32_t kStatesPerLine = 2;

std::string PowerWord(const CharacterClass* characterClass)
{
    return characterClass ? characterClass->powerName : "$$Power$$";
}

std::string ColorText(int32_t index)
{
    return MakeColorCode(index);
}

bool PowerChangesWithLevel(const SkillDefinition& definition)
{
    return definition.GetPerLevel() && definition.GetPerLevel()->power != 0;
}

int32_t SkillPointMoney(int32_t points)
{
    return gGameData ? GetSkillPointMoney(gGameData->GetTuning(), points) : 0;
}

void AppendTargeting(const SkillDefinition& definition, const IntArray& stats, std::string& text)
{
    if (definition.allEnemies)
        text += "$$TargetAllEnemiesInRange$$\n";
    else if (definition.needsEnemy)
        text += "$$TargetCurrentEnemy$$\n";
    else if (definition.allAllies)
        text += "$$TargetAllAllies$$\n";
    else if (definition.self && definition.needsFriend)
        text += "$$TargetSelfOrFriend$$\n";
    else if (definition.self)
        text += "$$TargetSelf$$\n";
    if (definition.minRange > 0.0f || definition.maxRange > 0.0f)
        text += MakeLocToken("RangeInFeet", "%.0f %.0f", definition.minRange * kFeetPerUnit,
                             definition.maxRange * kFeetPerUnit) + "\n";
    text += "\n";
    if (definition.extraEnemies == 1)
        text += "$$HitsOneExtraNearbyEnemy$$\n";
    else if (definition.extraEnemies > 1)
        text += MakeLocToken("HitsXExtraNearbyEnemies", "%d", definition.extraEnemies) + "\n";
    if (definition.interrupt)
        text += "$$InterruptsSpells$$\n";
    if (definition.showAttackTime)
        StringAppendFormat(text, "$$AttackTime$$: %0.2f\n", stats.Get(CharacterStat::AttackSpeed) * 0.001);
}

// The lower "at least" distraction stands for the stronger ones.
void AppendAnyOfStates(uint32_t mask, std::string& text)
{
    auto has = [mask](int32_t state) { return (mask & (1u << state)) != 0; };
    std::vector<int32_t> listed;
    for (int32_t state = 0; state < EntityState::kCount; ++state) {
        if (!has(state))
            continue;
        if (state == EntityState::EnemyDecentDistraction && has(EntityState::EnemyMinorDistraction))
            continue;
        if (state == EntityState::EnemyMajorDistraction &&
            (has(EntityState::EnemyMinorDistraction) || has(EntityState::EnemyDecentDistraction)))
            continue;
        listed.push_back(state);
    }
    int32_t count = static_cast<int32_t>(listed.size());
    text += count > 1 ? "$$RequiresOne$$:" : "$$Requires$$:";
    int32_t onLine = 0;
    for (int32_t n = 0; n < count; ++n, ++onLine) {
        text += n == 0 ? " " : ",";
        if (onLine == kStatesPerLine) {
            text += "\n  ";
            onLine = 0;
        } else if (n > 0) {
            text += " ";
        }
        if (n > 0 && n == count - 1)
            text += "$$or$$ ";
        if (listed[n] == EntityState::EnemyMinorDistraction || listed[n] == EntityState::EnemyDecentDistraction)
            text += "$$AtLeast$$ ";
        StringAppendFormat(text, "$$%s$$", GetEntityStateName(listed[n]).c_str());
    }
    text += "\n";
}

void AppendRequiredStates(const SkillDefinition& definition, std::string& text)
{
    if (definition.requiredStatesOne != 0)
        AppendAnyOfStates(definition.requiredStatesOne, text);
    if (definition.requiredStatesAll != 0) {
        text += "$$RequiresAll$$:";
        for (int32_t state = 0; state < EntityState::kCount; ++state) {
            if (definition.requiredStatesAll & (1u << state))
                StringAppendFormat(text, " $$%s$$", GetEntityStateName(state).c_str());
        }
        text += "\n";
    }
}

void AppendStatEffects(const SkillDefinition& definition, int32_t level, const IntArray& stats, std::string& text)
{
    for (int32_t stat = 0; stat < kStatKeyCount; ++stat) {
        std::string statName = GetCharacterStatName(stat, true);
        int32_t change = definition.GetStatChangeAtLevel(stat, level);
        if (change > 0) {
            StringAppendFormat(text, "+%d %s\n", change, statName.c_str());
            if (stat == CharacterStat::DisarmTrap) {
                int32_t ownLevel = stats.Get(CharacterStat::Level);
                text += "  " + MakeLocToken("ChanceToDisarmTrap", "%.1f%% %d",
                                            GameData::GetDisarmTrapChance(change, ownLevel) * 100.0f, ownLevel) + "\n";
            }
        }
        if (float mult = definition.GetStatMultAtLevel(stat, level); mult != 0.0f)
            StringAppendFormat(text, "%+.0f%% %s\n", MultiplierPercent(mult), statName.c_str());
    }
}

void AppendDynamicEffects(const SkillDefinition& definition, int32_t level, const CharacterClass* characterClass,
                          std::string& text)
{
    for (int32_t stat = 0; stat < DynamicStat::kCount; ++stat) {
        std::string statName = GetDynamicStatName(stat, true);
        if (float change = definition.GetDynamicStatChangeAtLevel(stat, level); change > 0.0f) {
            std::string shown = stat == DynamicStat::ExtraPowerGainChance && characterClass
                                    ? MakeLocToken("ExtraPowerGainChanceFormat", "%s", characterClass->powerName.c_str())
                                    : statName;
            StringAppendFormat(text, stat == DynamicStat::ExtraDamage ? "+%.0f %s\n" : "+%.1f%% %s\n", change,
                               shown.c_str());
        }
        if (float mult = definition.GetDynamicStatMultAtLevel(stat, level); mult != 0.0f)
            StringAppendFormat(text, "%+.0f%% %s\n", MultiplierPercent(mult), statName.c_str());
        if (float change = definition.GetDefendingDynamicStatChangeAtLevel(stat, level); change > 0.0f)
            text += MakeLocToken("XPercentLessChanceOfEnemyStat", "%.1f %s", change, statName.c_str()) + "\n";
        if (float mult = definition.GetDefendingDynamicStatMultAtLevel(stat, level); mult != 0.0f)
            text += MakeLocToken("XChanceOfEnemyStat", "%+.0f%% %s", MultiplierPercent(mult), statName.c_str()) + "\n";
    }
}

void AppendDamageRange(const char* key, int32_t low, int32_t high, int32_t damageType, std::string& text)
{
    text += MakeLocToken(key, "%d %d $$%s$$", low, high, GetDamageTypeName(damageType).c_str()) + "\n";
}

void AppendDamageEffects(const SkillDefinition& d, int32_t level, const CharacterClass* characterClass,
                         std::string& text)
{
    if (float all = d.GetDamageMultAllAtLevel(level); all != 0.0f) {
        StringAppendFormat(text, "%+.0f%% $$damage$$\n", MultiplierPercent(all));
    } else {
        for (int32_t type = 0; type < DamageType::kCount; ++type) {
            if (float mult = d.GetDamageMultAtLevel(type, level); mult != 0.0f)
                text += MakeLocToken("PercentDamageType", "%+.0f%% $$%s$$", MultiplierPercent(mult),
                                     GetDamageTypeName(type).c_str()) + "\n";
        }
    }
    if (float rage = d.GetDamagePerExtraRageAtLevel(level); rage > 0.0f)
        StringAppendFormat(text, "%+.1f $$ExtraDamagePerRage$$\n", rage);
    if (float cure = d.GetCureEffectStrengthAtLevel(level); !d.cureEffectName.empty() && cure > 0.0f)
        text += MakeLocToken("CuresXDamageTypePerSec", "%.1f $$%s$$", cure, d.cureEffectName.c_str()) + "\n";
    if (float hate = d.GetHateChangeAtLevel(level); hate != 0.0f)
        StringAppendFormat(text, "%+.0f $$EnemyHate$$\n", hate);
    if (d.powerAdded != 0)
        text += MakeLocToken(d.powerAddedOnKill ? "AddsPowerIfKillingBlow" : "AddsPower", "%d %s",
                             d.AtLevel(&SkillDefinition::powerAdded, level), PowerWord(characterClass).c_str()) + "\n";
    if (d.haltsPowerDrop)
        text += "$$HaltsMomentumDrop$$\n";
    if (d.projMinDamage > 0 || d.projMaxDamage > 0)
        AppendDamageRange("SkillXToYDamageType", d.AtLevel(&SkillDefinition::projMinDamage, level),
                          d.AtLevel(&SkillDefinition::projMaxDamage, level), d.projDamageType, text);
    if (d.projRadiusMinDamage > 0 || d.projRadiusMaxDamage > 0)
        AppendDamageRange("SkillXToYDamageTypeWithinRadius", d.AtLevel(&SkillDefinition::projRadiusMinDamage, level),
                          d.AtLevel(&SkillDefinition::projRadiusMaxDamage, level), d.projDamageType, text);
    if (d.minDamage > 0 || d.maxDamage > 0)
        AppendDamageRange("SkillXToYDamageType", d.AtLevel(&SkillDefinition::minDamage, level),
                          d.AtLevel(&SkillDefinition::maxDamage, level), d.damageType, text);
}

// The conditions test the base value; the line shows the value at the level.
void AppendTimingEffects(const SkillDefinition& d, int32_t level, std::string& text)
{
    if (d.heal > 0)
        StringAppendFormat(text, "$$Healing$$: %d\n", d.AtLevel(&SkillDefinition::heal, level));
    if (d.reduceAllHate > 0.0f)
        StringAppendFormat(text, "$$ReducesHate$$ %.0f%%\n", d.GetReduceAllHateAtLevel(level) * 100.0f);
    if (d.castTime > 0.0f)
        text += "$$CastTime$$: " + FormatSeconds(d.GetCastTimeAtLevel(level), DurationStyle::Words, kSkillDurationPrecision) +
                "\n";
    if (d.reuseTime > 0.0f)
        text += "$$ReuseTime$$: " +
                FormatSeconds(d.GetReuseTimeAtLevel(level), DurationStyle::Words, kSkillDurationPrecision) + "\n";
}

} // namespace

void GetDescription(const SkillDefinition& definition, const IntArray& stats, const CharacterClass* characterClass,
                    int32_t skillStat, bool noMoney, std::string& text)
{
    int32_t level = definition.GetLevelFromStats(stats, skillStat);
    text += MakeInlineCode('f', kHeadingFont) + definition.baseName;
    if (definition.GetPerLevel() && level > 0)
        text += " - " + MakeLocToken("SkillLevel", "%d", level);
    text += "\n";
    if (!definition.desc.empty())
        text += "\n" + definition.desc + "\n";
    text += "\n";
    if (definition.passive)
        text += ColorText(kPassiveColor) + "$$PassiveSkill$$\n" + ColorText(kNormalTextColor);
    if (!gGameData || !gGameData->GetTuning().showSkillDetails) {
        AppendCostForNextPoint(definition, stats, skillStat, noMoney, text);
        return;
    }
    if (!PowerChangesWithLevel(definition))
        text += MakeLocToken("PowerNeededX", "%s %d", PowerWord(characterClass).c_str(),
                             definition.GetPowerAtLevel(level)) + "\n";
    AppendTargeting(definition, stats, text);
    AppendRequiredStates(definition, text);
    if (level > 0) {
        StringAppendFormat(text, "$$AtCurrentSkillLevel$$ (%d)\n", level);
        AppendEffectText(definition, level, stats, characterClass, text);
    } else {
        text += ColorText(kLackingColor) + "$$DontHaveThisSkill$$\n" + ColorText(kNormalTextColor);
    }
    if (definition.HasMaxLevel() && level >= definition.GetMaxLevel()) {
        text += ColorText(kMaxedColor) + "\n$$SkillMaxed$$" + ColorText(kNormalTextColor);
    } else {
        StringAppendFormat(text, "\n$$AtNextSkillLevel$$ (%d)\n", level + 1);
        AppendEffectText(definition, level + 1, stats, characterClass, text);
        if (definition.HasMaxLevel())
            StringAppendFormat(text, "$$MaxSkillLevel$$: %d\n", definition.GetMaxLevel());
    }
    AppendCostForNextPoint(definition, stats, skillStat, noMoney, text);
}

void AppendEffectText(const SkillDefinition& definition, int32_t level, const IntArray& stats,
                      const CharacterClass* characterClass, std::string& text)
{
    if (!definition.passive && PowerChangesWithLevel(definition))
        text += MakeLocToken("PowerNeededX", "%s %d", PowerWord(characterClass).c_str(),
                             definition.GetPowerAtLevel(level)) + "\n";
    AppendStatEffects(definition, level, stats, text);
    AppendDynamicEffects(definition, level, characterClass, text);
    AppendDamageEffects(definition, level, characterClass, text);
    AppendTimingEffects(definition, level, text);
    if (const StatusEffectBase* effect = definition.GetStatusEffect()) {
        std::string effectText;
        text += effect->BuildDescription(effectText, definition.GetStatusEffectPerLevel(), level,
                                         stats.Get(CharacterStat::Level), characterClass);
    }
}

void AppendCostForNextPoint(const SkillDefinition& definition, const IntArray& stats, int32_t skillStat, bool noMoney,
                            std::string& text)
{
    int32_t level = definition.GetLevelFromStats(stats, skillStat);
    if (definition.HasMaxLevel() && level >= definition.GetMaxLevel())
        return;
    std::string cost;
    if (definition.statReq == CharacterStat::None) {
        int32_t points = definition.GetCostForLevel(level);
        cost += ColorText(points > stats.Get(CharacterStat::SkillPointsLeft) ? kLackingColor : kAffordableColor);
        StringAppendFormat(cost, "\n  $$SkillPoints$$: %d", points);
        cost += ColorText(kNormalTextColor);
        int32_t money = noMoney ? 0 : SkillPointMoney(points);
        if (money > 0) {
            cost += ColorText(money > stats.Get(CharacterStat::Money) ? kLackingColor : kAffordableColor);
            cost += "\n  $$Money$$: " + FormatMoney(money) + ColorText(kNormalTextColor);
        }
    } else {
        int32_t missing = definition.GetMissingRequirementPoints(level, stats);
        cost += ColorText(kLackingColor) +
                MakeLocToken("XMoreStatRequired", "%d %s", missing,
                             GetCharacterStatName(definition.statReq, true).c_str());
        if (definition.statReq == CharacterStat::Level && gLocSystem)
            cost += gLocSystem->GetPluralEnding(missing);
        cost += ColorText(kNormalTextColor);
    }
    text += "$$CostForNextPoint$$: " + cost;
}

void AppendCostToDecrease(const SkillDefinition& definition, const IntArray& stats, int32_t skillStat,
                          std::string& text)
{
    int32_t level = definition.GetLevelFromStats(stats, skillStat);
    int32_t points = definition.statReq == CharacterStat::None ? definition.GetCostForLevel(level - 1) : 0;
    int32_t money = AddPerLevel(0, SkillPointMoney(points), kDecreaseMoneyFactor);
    text += "$$CostToDecrease$$:";
    text += ColorText(money > stats.Get(CharacterStat::Money) ? kLackingColor : kAffordableColor);
    text += "\n  $$Money$$: " + FormatMoney(money) + ColorText(kNormalTextColor);
    StringAppendFormat(text, "\n  $$SkillPointsRegained$$: %d", points);
}
