// StatusEffectBase -- the part of a status effect that host and client share: its definition scaled to its level, its stacking, strength and worth, and its description text.
#include "rules/statuseffects/StatusEffectBase.h"

#include "core/Database.h"
#include "core/DatabaseEntry.h"
#include "core/EngineEnums.h"
#include "core/LocSystem.h"
#include "core/ScratchList.h"
#include "core/StringUtil.h"
#include "core/TimeStamp.h"
#include "rules/CharacterClass.h"
#include "rules/Formulas.h"
#include "rules/GameData.h"

#include <cmath>
#include <type_traits>

namespace {

// Durations in tooltips count as whole within five hundredths.
constexpr float kStatusEffectDurationPrecision = 0.05f;

const DatabaseEntry* FindStatusEffectEntry(std::string_view name)
{
    return gDatabase && !name.empty() ? gDatabase->FindEntryByName(name) : nullptr;
}

std::string DurationText(float seconds)
{
    return FormatSeconds(seconds, DurationStyle::Words, kStatusEffectDurationPrecision);
}

std::string StatKey(const char* prefix, int32_t stat)
{
    return prefix + GetCharacterStatName(stat, false);
}

std::string DynamicKey(const char* prefix, int32_t stat)
{
    return prefix + GetDynamicStatName(stat, false);
}

// The keys of the per-stat, per-dynamic-stat and per-damage-type tables, spelt once: an effect
// is loaded every time one is applied, and spelling some 350 keys anew each time costs more
// than the rest of the load.
struct StatusEffectKeyTables {
    std::vector<std::string> statChange, statMult;
    std::vector<std::string> dynamicChange, dynamicMult, defendingChange, defendingMult;
    std::vector<std::string> extraMin, extraMax, damageMult;
};

const StatusEffectKeyTables& StatusEffectKeys()
{
    static const StatusEffectKeyTables keys = [] {
        StatusEffectKeyTables made;
        for (int32_t i = 0; i < kStatKeyCount; ++i) {
            made.statChange.push_back(StatKey("StatChange", i));
            made.statMult.push_back(StatKey("StatMult", i));
        }
        for (int32_t j = 0; j < DynamicStat::kCount; ++j) {
            made.dynamicChange.push_back(DynamicKey("DynamicStatChange", j));
            made.dynamicMult.push_back(DynamicKey("DynamicStatMult", j));
            made.defendingChange.push_back(DynamicKey("DefendingDynamicStatChange", j));
            made.defendingMult.push_back(DynamicKey("DefendingDynamicStatMult", j));
        }
        for (int32_t t = 0; t < DamageType::kCount; ++t) {
            made.extraMin.push_back("ExtraMinDamagePercent" + GetDamageTypeName(t));
            made.extraMax.push_back("ExtraMaxDamagePercent" + GetDamageTypeName(t));
            made.damageMult.push_back("DamageMult" + GetDamageTypeName(t));
        }
        return made;
    }();
    return keys;
}

// A field's text as the database holds it, empty without the entry or the field.
std::string_view StatusEffectBaseText(const DatabaseEntry* entry, const char* key)
{
    const DatabaseField* field = entry ? entry->FindField(key) : nullptr;
    return field ? field->value : std::string_view();
}

} // namespace

int32_t StatMultToThousandths(float value)
{
    return static_cast<int32_t>(std::lround(static_cast<double>(value) * kStatMultScale));
}

float MultiplierPercent(float multiplier)
{
    if (multiplier >= 0.0f)
        return multiplier * 100.0f;
    return (1.0f / (1.0f - multiplier) - 1.0f) * 100.0f;
}

StatusEffectBase::StatusEffectBase() : statChange(kStatKeyCount), statMult(kStatKeyCount)
{
    durationTimer.listed = 1;
    tickTimer.listed = 1;
    timers = {&durationTimer, &tickTimer};
}

int32_t StatusEffectBase::GetInt(std::string_view key) const
{
    int32_t own = SimpleData::GetInt(key);
    if (!perLevel || level <= 1)
        return own;
    return AddPerLevel(own, perLevel->GetInt(key), level - 1);
}

float StatusEffectBase::GetFloat(std::string_view key) const
{
    float own = SimpleData::GetFloat(key);
    if (!perLevel || level <= 1)
        return own;
    return static_cast<float>(static_cast<double>(own) +
                              static_cast<double>(perLevel->GetFloat(key, 0.0f)) * static_cast<double>(level - 1));
}

void StatusEffectBase::SetDefinition(const DatabaseEntry* definition, int32_t newLevel, SkillUser*)
{
    level = ClampLevel(newLevel);
    SetEntry(definition);
}

void StatusEffectBase::Forget()
{
    entry = nullptr;
    level = 0;
    finished = false;
    durationTimer = RandomTimer{};
    tickTimer = RandomTimer{};
    durationTimer.listed = 1;
    tickTimer.listed = 1;
}

// Every field is written, so loading another definition leaves nothing of the earlier one:
// the stat tables are cleared first rather than added to.
void StatusEffectBase::Load(const DatabaseEntry* newEntry)
{
    entry = newEntry;
    statChange.Clear();
    statMult.Clear();
    auraStatusEffect = nullptr;
    successEndEffect = nullptr;
    perLevel = entry ? FindStatusEffectEntry(StatusEffectBaseText(entry, "PerLevel")) : nullptr;
    ReadTimingAndFlags();
    ReadStatTables();
    ReadCombatValues();
    ReadLinksAndSkills();
}

void StatusEffectBase::ReadTimingAndFlags()
{
    auto text = [this](const char* key) { return StatusEffectBaseText(entry, key); };
    name = text("Name");
    desc = text("Desc");
    textureName = text("TextureName");
    healthChange = GetFloat("HealthChange");
    healthChangePercent = GetFloat("HealthChangePercent") / 100.0f;
    damageType = GetDamageTypeByName(text("DamageType"));
    powerChange = GetFloat("PowerChange");
    powerChangePercent = GetFloat("PowerChangePercent") / 100.0f;
    tickTime = GetFloat("TickTime");
    randomizeTickTime = GetFloat("RandomizeTickTime");
    totalTime = GetFloat("TotalTime");
    basicRegen = GetBool("BasicRegen");
    isPublic = GetBool("Public");
    forever = GetBool("Forever");
    mustFocus = GetBool("MustFocus");
    mustPartiallyFocus = GetBool("MustPartiallyFocus");
    mustRemainUnknown = GetBool("MustRemainUnknown");
    mustHaveNoEnemy = GetBool("MustHaveNoEnemy");
    printFailure = GetBool("PrintFailure");
    effectType = GetStatusEffectTypeByName(text("EffectType"));
    combinedStatusEffect = text("CombinedStatusEffect");
    groupName = text("GroupName");
    statusType = GetStatusTypeByName(text("StatusType"));
    removeOnEvent = GetSimpleEventByName(text("RemoveOnEvent"));
    damageOnHit = GetInt("DamageOnHit");
    damageOnHitPercent = GetFloat("DamageOnHitPercent");
    removeOnDeath = GetBool("RemoveOnDeath");
    effectModelName = text("EffectModelName");
    onHitEffectModelName = text("OnHitEffectModelName");
    whenHitEffectModelName = text("WhenHitEffectModelName");
    effectTime = entry ? entry->GetFloat("EffectTime", 0.0f) : 0.0f;
    effectTagName = text("EffectTagName");
    itemSetEffect = GetBool("ItemSetEffect");
}

void StatusEffectBase::ReadStatTables()
{
    const StatusEffectKeyTables& keys = StatusEffectKeys();
    for (int32_t i = 0; i < kStatKeyCount; ++i) {
        statChange.Set(i, GetInt(keys.statChange[static_cast<size_t>(i)]));
        statMult.Set(i, StatMultToThousandths(GetFloat(keys.statMult[static_cast<size_t>(i)])));
    }
    for (int32_t j = 0; j < DynamicStat::kCount; ++j) {
        auto k = static_cast<size_t>(j);
        dynamicStatChange[k] = GetFloat(keys.dynamicChange[k]);
        dynamicStatMult[k] = GetFloat(keys.dynamicMult[k]);
        defendingDynamicStatChange[k] = GetFloat(keys.defendingChange[k]);
        defendingDynamicStatMult[k] = GetFloat(keys.defendingMult[k]);
    }
    cantAttack = GetBool("CantAttack");
    cantUseSkills = GetBool("CantUseSkills");
    cantUseSpells = GetBool("CantUseSpells");
    cantMove = GetBool("CantMove");
    entityStates = 0;
    ScratchList<std::string_view> states;
    if (entry)
        entry->GetStringViews("EntityState", *states, true, false);
    for (std::string_view state : *states)
        entityStates |= 1u << GetEntityStateByName(state);
}

void StatusEffectBase::ReadCombatValues()
{
    damageBreaks = GetBool("DamageBreaks");
    skillUseBreaks = GetBool("SkillUseBreaks");
    attackedBreaks = GetBool("AttackedBreaks");
    powerLeechPerHit = GetInt("PowerLeechPerHit");
    powerBurnPerHitPercent = GetFloat("PowerBurnPerHitPercent");
    strength = GetInt("Strength");
    currentStrength = strength;
    absorbDamage = GetInt("AbsorbDamage");
    absorbAllDamage = GetBool("AbsorbAllDamage");
    absorbDamageAwayFromPlayer = GetFloat("AbsorbDamageAwayFromPlayer");
    absorbDamagePercent = GetFloat("AbsorbDamagePercent");
    absorbTrapDamageOnly = GetBool("AbsorbTrapDamageOnly");
    for (int32_t t = 0; t < DamageType::kCount; ++t) {
        extraMinDamagePercent[t] = GetInt(StatusEffectKeys().extraMin[static_cast<size_t>(t)]);
        extraMaxDamagePercent[t] = GetInt(StatusEffectKeys().extraMax[static_cast<size_t>(t)]);
    }
    extraMinDamagePercentElemental = GetInt("ExtraMinDamagePercentElemental");
    extraMaxDamagePercentElemental = GetInt("ExtraMaxDamagePercentElemental");
    lifeSteal = GetFloat("LifeSteal") / 100.0f;
    // Without the key the carrier stays opaque; only a record asking for it hides its carrier.
    alpha = entry ? entry->GetFloat("Alpha", 1.0f) : 1.0f;
    aura = GetBool("Aura");
    auraOffensive = GetBool("AuraOffensive");
    auraDistance = 0.0f;
    if (aura) {
        auraDistance = GetFloat("AuraDistance");
        auraStatusEffect = FindStatusEffectEntry(StatusEffectBaseText(entry, "AuraStatusEffect"));
    }
    for (int32_t t = 0; t < DamageType::kCount; ++t)
        damageMult[t] = GetFloat(StatusEffectKeys().damageMult[static_cast<size_t>(t)]);
}

void StatusEffectBase::ReadLinksAndSkills()
{
    auto text = [this](const char* key) { return StatusEffectBaseText(entry, key); };
    auto plainFloat = [this](const char* key) { return entry ? entry->GetFloat(key, 0.0f) : 0.0f; };
    onlyWhenRaiding = GetBool("OnlyWhenRaiding");
    onlyWhenBeingRaided = GetBool("OnlyWhenBeingRaided");
    isPowerRegen = GetBool("isPowerRegen");
    informOthers = GetBool("InformOthers");
    onHitSkill = text("OnHitSkill");
    whenHitSkill = text("WhenHitSkill");
    whenMissedSkill = text("WhenMissedSkill");
    whenKilledSkill = text("WhenKilledSkill");
    skillChance = GetFloat("SkillChance");
    strengthTime = GetFloat("StrengthTime");
    strengthEffectEasy = plainFloat("StrengthEffectEasy");
    strengthEffectHard = plainFloat("StrengthEffectHard");
    checkSuccess = GetBool("CheckSuccess");
    if (checkSuccess)
        successEndEffect = FindStatusEffectEntry(StatusEffectBaseText(entry, "SuccessEndEffect"));
}

bool StatusEffectBase::IsInSameGroup(const StatusEffectBase* other) const
{
    if (!other || finished || other->finished)
        return false;
    if (effectType == StatusEffectType::OnlyOneExact)
        return other->entry == entry;
    return other->groupName == groupName;
}

void StatusEffectBase::ReduceHealthChange(float amount)
{
    if (healthChange >= 0.0f)
        return;
    float perLevelAmount = level != 0 ? healthChange / static_cast<float>(level) : 0.0f;
    healthChange += amount;
    if (perLevelAmount != 0.0f)
        level = static_cast<int32_t>(std::ceil(healthChange / perLevelAmount));
    if (healthChange >= 0.0f)
        finished = true;
}

float StatusEffectBase::ScaleByStrength(float value) const
{
    if (currentStrength == strength)
        return value;
    if (strength < 1)
        return 0.0f;
    return value * static_cast<float>(currentStrength) / static_cast<float>(strength);
}

float StatusEffectBase::GetValue() const
{
    auto worth = [](int32_t kind) { return gGameData ? gGameData->GetValueEachPoint(kind) : 0.0f; };
    float ticks = tickTime > 0.0f ? std::floor(totalTime / tickTime) : 0.0f;
    float minutes = totalTime / 60.0f;
    float value = ticks * worth(ValueEachPoint::HealthChangeOverTime) * healthChange +
                  ticks * worth(ValueEachPoint::PowerChangeOverTime) * powerChange;
    for (int32_t stat = CharacterStat::Strength; stat <= CharacterStat::Spirit; ++stat)
        value += static_cast<float>(statChange.Get(stat)) * worth(ValueEachPoint::TemporaryAttribute) * minutes;
    for (int32_t stat = CharacterStat::ResistancePhysical; stat <= CharacterStat::ResistanceMagic; ++stat)
        value += static_cast<float>(statChange.Get(stat)) * worth(ValueEachPoint::TemporaryResistance) * minutes;
    value += static_cast<float>(statChange.Get(CharacterStat::MagicChance)) *
             worth(ValueEachPoint::TemporaryMagicChance) * minutes;
    return value;
}

float StatusEffectBase::GetStrengthFactor(float s, int32_t n) const
{
    float target = static_cast<float>(n);
    if (s > target)
        return 1.0f + (s - target) * (strengthEffectEasy - 1.0f);
    if (s == target)
        return 1.0f;
    float fraction = s - std::trunc(s);
    float levelsShort = target - std::ceil(s);
    return std::pow(strengthEffectHard, levelsShort) * (1.0f - (1.0f - fraction) * (1.0f - strengthEffectEasy));
}

bool StatusEffectBase::HasCriticalMult() const
{
    return dynamicStatMult[DynamicStat::CriticalHit] > 0.0f || dynamicStatMult[DynamicStat::CriticalHeal] > 0.0f ||
           dynamicStatMult[DynamicStat::MagicCriticalHit] > 0.0f;
}

bool StatusEffectBase::HasCrushingBlowMult() const
{
    return dynamicStatMult[DynamicStat::CrushingBlow] > 0.0f ||
           dynamicStatMult[DynamicStat::MagicCrushingBlow] > 0.0f;
}

bool StatusEffectBase::HasDeepWoundsMult() const
{
    return dynamicStatMult[DynamicStat::DeepWounds] > 0.0f;
}

// ---- Description ----

namespace {

// The values of an effect at the level shown: own + (level - 1) x the per-level effect's.
struct LevelRule {
    const StatusEffectBase& own;
    const StatusEffectBase* per;
    int32_t level;

    bool Scales() const { return per && level > 1; }
    float F(float StatusEffectBase::*field) const
    {
        return Scales() ? own.*field + static_cast<float>(level - 1) * per->*field : own.*field;
    }
    int32_t I(int32_t StatusEffectBase::*field) const
    {
        return Scales() ? AddPerLevel(own.*field, per->*field, level - 1) : own.*field;
    }
    template <size_t N, class T> T A(std::array<T, N> StatusEffectBase::*field, int32_t i) const
    {
        T value = (own.*field)[static_cast<size_t>(i)];
        if (!Scales())
            return value;
        T increment = (per->*field)[static_cast<size_t>(i)];
        if constexpr (std::is_integral_v<T>)
            return AddPerLevel(value, increment, level - 1);
        else
            return value + static_cast<T>(level - 1) * increment;
    }
    int32_t Stat(IntArray StatusEffectBase::*field, int32_t i) const
    {
        int32_t value = (own.*field).Get(i);
        return Scales() ? AddPerLevel(value, (per->*field).Get(i), level - 1) : value;
    }
};

void AppendStatLines(std::string& text, const LevelRule& rule)
{
    const StatusEffectBase& own = rule.own;
    for (int32_t i = 0; i < kStatKeyCount; ++i) {
        std::string statName = GetCharacterStatName(i, true);
        int32_t change = rule.Stat(&StatusEffectBase::statChange, i);
        if (change != 0) {
            if (i == CharacterStat::ExtraMoney || i == CharacterStat::ItemsChance || i == CharacterStat::MagicChance)
                StringAppendFormat(text, "%+d%% %s\n", change, statName.c_str());
            else if (i == CharacterStat::HealthRegen)
                StringAppendFormat(text, "%+.1f %s\n", change / 100.0, statName.c_str());
            else
                StringAppendFormat(text, "%+d %s\n", change, statName.c_str());
        }
        int32_t mult = own.statMult.Get(i);
        if (mult == 0)
            continue;
        float m = static_cast<float>(mult) / kStatMultScale;
        if (rule.Scales() && rule.per->statMult.Get(i) != 0)
            m += static_cast<float>(rule.level - 1) * static_cast<float>(rule.per->statMult.Get(i)) / kStatMultScale;
        StringAppendFormat(text, "%+.0f%% %s\n", MultiplierPercent(m), statName.c_str());
    }
}

void AppendDynamicLines(std::string& text, const LevelRule& rule, const std::string& powerWord, bool hasClass)
{
    const StatusEffectBase& own = rule.own;
    for (int32_t j = 0; j < DynamicStat::kCount; ++j) {
        std::string statName = GetDynamicStatName(j, true);
        if (own.dynamicStatChange[j] > 0.0f)
            text += MakeLocToken("XChanceOfDynamicStat", "%.1f%% %s",
                                 rule.A(&StatusEffectBase::dynamicStatChange, j), statName.c_str()) + "\n";
        if (own.dynamicStatMult[j] != 0.0f) {
            std::string shown = j == DynamicStat::PowerGainMult && hasClass ? powerWord + " $$Gain$$" : statName;
            StringAppendFormat(text, "%+.0f%% %s\n",
                               MultiplierPercent(rule.A(&StatusEffectBase::dynamicStatMult, j)), shown.c_str());
        }
        if (own.defendingDynamicStatChange[j] > 0.0f)
            text += MakeLocToken("XChanceOfDynamicStat", "%.1f%% %s",
                                 rule.A(&StatusEffectBase::defendingDynamicStatChange, j), statName.c_str()) + "\n";
        if (own.defendingDynamicStatMult[j] != 0.0f)
            StringAppendFormat(text, "%+.0f%% %s\n",
                               MultiplierPercent(rule.A(&StatusEffectBase::defendingDynamicStatMult, j)),
                               statName.c_str());
    }
}

void AppendHealthAndPowerLines(std::string& text, const LevelRule& rule, float duration, const std::string& powerWord)
{
    const StatusEffectBase& own = rule.own;
    float tick = rule.F(&StatusEffectBase::tickTime);
    float ticks = tick > 0.0f ? std::floor(duration / tick) : 0.0f;
    float health = rule.F(&StatusEffectBase::healthChange);
    if (health < 0.0f)
        text += MakeLocToken("XDamageEveryY", "%.1f %s", -health, DurationText(tick).c_str()) + "\n";
    else if (health > 0.0f && own.forever)
        text += MakeLocToken("XHealthEachSecond", "+%.1f", health) + "\n";
    else if (health > 0.0f)
        text += MakeLocToken("XHealthOverY", "+%.1f %s", ticks * health, DurationText(duration).c_str()) + "\n";
    if (own.healthChangePercent != 0.0f && tick > 0.0f) {
        float percentPerSecond = own.healthChangePercent * 100.0f / tick;
        if (percentPerSecond > 0.0f)
            text += MakeLocToken("RegeneratesXHealthPerSecond", "%.1f%%", percentPerSecond) + "\n";
        else
            StringAppendFormat(text, "%.1f%% $$DamagePerSecond$$\n", percentPerSecond);
    }
    float lifeSteal = rule.F(&StatusEffectBase::lifeSteal);
    if (lifeSteal > 0.0f)
        StringAppendFormat(text, "%.0f%% $$LifeStolenPerHit$$\n", lifeSteal * 100.0f);
    float power = rule.F(&StatusEffectBase::powerChange);
    if (power != 0.0f && own.forever)
        text += MakeLocToken("XPowerEveryY", "%.1f %s %s", power, powerWord.c_str(),
                             DurationText(own.tickTime).c_str()) + "\n";
    else if (power != 0.0f)
        text += MakeLocToken("XPowerOverY", "%.1f %s %s", ticks * power, powerWord.c_str(),
                             DurationText(duration).c_str()) + "\n";
    if (own.powerChangePercent > 0.0f && tick > 0.0f)
        text += MakeLocToken("RegeneratesPowerPerSecond", "%.1f%%", own.powerChangePercent * 100.0f / tick) + "\n";
}

void AppendHitLines(std::string& text, const LevelRule& rule, const std::string& powerWord)
{
    const StatusEffectBase& own = rule.own;
    if (int32_t leech = rule.I(&StatusEffectBase::powerLeechPerHit); leech != 0)
        text += MakeLocToken("LeachesXPowerPerHit", "%d %s", leech, powerWord.c_str()) + "\n";
    if (int32_t damage = rule.I(&StatusEffectBase::damageOnHit); damage != 0)
        text += MakeLocToken("CausesXDamageEachTimeHit", "%d", damage) + "\n";
    if (float percent = rule.F(&StatusEffectBase::damageOnHitPercent); percent > 0.0f)
        text += MakeLocToken("CausesXPercentDamageEachTimeHit", "%.0f%%", percent * 100.0f) + "\n";
    if (own.powerBurnPerHitPercent > 0.0f)
        text += MakeLocToken("BurnsXPowerEachSuccessfulHit", "%.0f%%", own.powerBurnPerHitPercent * 100.0f) + "\n";
    for (int32_t t = 0; t < DamageType::kCount; ++t) {
        if (own.extraMinDamagePercent[t] > 0 || own.extraMaxDamagePercent[t] > 0)
            text += MakeLocToken("SkillXToYDamageType", "+%d %d%% $$%s$$",
                                 rule.A(&StatusEffectBase::extraMinDamagePercent, t),
                                 rule.A(&StatusEffectBase::extraMaxDamagePercent, t), GetDamageTypeName(t).c_str()) + "\n";
    }
    if (own.extraMinDamagePercentElemental > 0 || own.extraMaxDamagePercentElemental > 0)
        text += MakeLocToken("XToYRandomElementalDamage", "+%d %d%%",
                             rule.I(&StatusEffectBase::extraMinDamagePercentElemental),
                             rule.I(&StatusEffectBase::extraMaxDamagePercentElemental)) + "\n";
    for (int32_t t = 0; t < DamageType::kCount; ++t) {
        if (own.damageMult[t] == 0.0f)
            continue;
        // Unlike every other value, the increment counts whenever a per-level effect is given.
        float m = own.damageMult[t];
        if (rule.per)
            m += static_cast<float>(rule.level - 1) * rule.per->damageMult[t];
        StringAppendFormat(text, "%+.0f%% $$%s$$ $$damage$$\n", MultiplierPercent(m), GetDamageTypeName(t).c_str());
    }
    if (int32_t absorb = rule.I(&StatusEffectBase::absorbDamage); absorb != 0)
        text += MakeLocToken("AbsorbsUpToXDamage", "%d", absorb) + "\n";
    if (own.absorbAllDamage)
        text += "$$AbsorbsAllDamage$$\n";
}

void AppendConditionLines(std::string& text, const StatusEffectBase& own)
{
    if (own.cantAttack && own.cantUseSkills && own.cantMove) {
        text += "$$FreezesTarget$$\n";
    } else {
        if (own.cantUseSpells)
            text += "$$PreventsUsingSpells$$\n";
        if (own.cantUseSkills)
            text += "$$PreventsUsingSkills$$\n";
        if (own.cantMove)
            text += "$$PreventsMovement$$\n";
    }
    if (own.damageBreaks)
        text += "$$AnyDamageBreaksEffect$$\n";
    if (own.mustFocus)
        text += "$$MustFocusToKeepEffect$$\n";
    if (own.mustPartiallyFocus)
        text += "$$AttackingOrSkillDisruptsEeffect$$\n";
    if (own.entityStates != 0) {
        text += "$$Causes$$:";
        for (int32_t n = 0; n < EntityState::kCount; ++n) {
            if (own.entityStates & (1u << n))
                StringAppendFormat(text, " $$%s$$", GetEntityStateName(n).c_str());
        }
        text += "\n";
    }
    if (own.onlyWhenRaiding)
        text += "$$OnlyActiveWhenRaiding$$\n";
}

} // namespace

std::string& StatusEffectBase::BuildDescription(std::string& out, const StatusEffectBase* perLevelEffect,
                                                int32_t showLevel, int32_t enemyLevel,
                                                const CharacterClass* characterClass) const
{
    LevelRule rule{*this, perLevelEffect, ClampLevel(showLevel)};
    std::string powerWord = characterClass ? characterClass->powerName : "$$Power$$";
    std::string text;
    float duration = rule.F(&StatusEffectBase::totalTime);
    if (duration > 0.0f && !forever) {
        if (strengthTime > 0.0f)
            duration *= GetStrengthFactor(rule.F(&StatusEffectBase::strengthTime), enemyLevel);
        text += "$$Duration$$: " + DurationText(duration);
        if (strengthTime > 0.0f)
            text += " (" + MakeLocToken("LevelXEnemy", "%d", enemyLevel) + ")";
        text += "\n";
    }
    if (!desc.empty())
        text.append("\n").append(desc).append("\n");
    if (gGameData && gGameData->GetTuning().showStatusEffectDetails) {
        AppendStatLines(text, rule);
        AppendDynamicLines(text, rule, powerWord, characterClass != nullptr);
        AppendHealthAndPowerLines(text, rule, duration, powerWord);
        AppendHitLines(text, rule, powerWord);
        AppendConditionLines(text, *this);
    }
    out = std::move(text);
    return out;
}
