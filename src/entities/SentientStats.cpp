// Sentient -- the stat passes, the class rules, regeneration, dynamic stats and the damage table of a sentient.
#include "entities/Sentient.h"

#include "core/DatabaseEntry.h"
#include "core/DebugSystem.h"
#include "core/MathUtil.h"
#include "core/RandomSystem.h"
#include "entities/EntityCovenant.h"
#include "entities/Inventory.h"
#include "entities/Item.h"
#include "entities/Skill.h"
#include "entities/SkillList.h"
#include "entities/StatusEffect.h"
#include "rules/CharacterClass.h"
#include "rules/GameData.h"
#include "rules/skills/SkillBase.h"
#include "rules/skills/SkillDefinition.h"
#include "rules/skills/SkillTree.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int32_t kSentientFirstModifiedStat = CharacterStat::Strength;
constexpr int32_t kSentientNoWeaponAttackSpeed = 1500;  // milliseconds per attack
constexpr int32_t kSentientMaxLightIntensity = 100;
constexpr float kSentientHugeDamage = 100000.0f;

// sum >= 0 multiplies by 1 + sum; a negative sum divides by 1 - sum.
float SentientPercentFactor(float sum)
{
    return sum >= 0.0f ? 1.0f + sum : 1.0f / (1.0f - sum);
}

bool SentientIsAttribute(int32_t stat)
{
    return stat >= CharacterStat::Strength && stat <= CharacterStat::Spirit;
}

int32_t SentientAddSaturated(int64_t a, int64_t b)
{
    return static_cast<int32_t>(std::clamp<int64_t>(a + b, INT32_MIN, INT32_MAX));
}

} // namespace

// ---- The four passes ---------------------------------------------------------------------------

void Sentient::RecalculateStats(bool refill)
{
    GatherModifierShares();
    for (int32_t pass = 0; pass < kStatPasses; ++pass) {
        ComputeStats(pass, refill);
        // Which skills count may hang on the attributes just computed.
        if (pass == 0)
            GatherSkillShares();
    }
    maxHealth = stats.Get(CharacterStat::MaxHealth);
    health = std::min(health, maxHealth);
    if (stats.Get(CharacterStat::Power) > stats.Get(CharacterStat::MaxPower))
        stats.Set(CharacterStat::Power, stats.Get(CharacterStat::MaxPower));
    if (refill)
        health = maxHealth;
    damageList.Clear();
    BuildDamageList(nullptr, damageList);
    int32_t low = 0;
    int32_t high = 0;
    damageList.SumRange(low, high);
    stats.Set(CharacterStat::MinDamage, low);
    stats.Set(CharacterStat::MaxDamage, high);
    lightFalloff = static_cast<float>(std::min(stats.Get(CharacterStat::LightIntensity), kSentientMaxLightIntensity));
    lightColor = sentientLightColor;
    int32_t size = stats.Get(CharacterStat::Size);
    scale = size == 100 ? 1.0f : static_cast<float>(size) / 100.0f;
    if (EntityCovenant* covenant = GetCovenant())
        covenant->RecomputeTotals();
}

void Sentient::GatherModifierShares()
{
    for (int32_t kind = 0; kind < 2; ++kind) {
        auto& shares = itemShares[static_cast<size_t>(kind)];
        shares.fill(0);
        for (int32_t stat = 0; stat < kStatCount; ++stat)
            Item::AddEquipmentStat(*inventory, kind, stat, shares[static_cast<size_t>(stat)]);
    }
    GatherSkillShares();
}

void Sentient::GatherSkillShares()
{
    skillShares.fill(0);
    skillMults.fill(0.0f);
    skillDamageMults.fill(0.0f);
    skillList->AddStatTotals(*this, skillShares, skillMults, skillDamageMults);
}

void Sentient::ComputeStats(int32_t pass, bool refill)
{
    if (pass == 0) {
        for (int32_t i = 0; i < 5; ++i)
            stats.Set(CharacterStat::Strength + i, stats.Get(CharacterStat::BaseStrength + i));
    } else if (pass == 1) {
        ComputeDerivedStats(refill);
    } else if (pass == kPercentPass) {
        float perStrength = characterClass ? characterClass->damageMultPerStr : 0.0f;
        float strength = static_cast<float>(stats.Get(CharacterStat::Strength));
        for (int32_t stat : {int32_t(CharacterStat::MinDamage), int32_t(CharacterStat::MaxDamage)}) {
            float value = static_cast<float>(stats.Get(stat));
            stats.Add(stat, static_cast<int32_t>(value * strength * perStrength));
        }
    }
    for (int32_t stat = kSentientFirstModifiedStat; stat < kStatCount; ++stat)
        ApplyStatModifiers(stat, pass);
}

void Sentient::ComputeDerivedStats(bool refill)
{
    const CharacterClass* c = characterClass;
    auto stat = [this](int32_t index) { return stats.Get(index); };
    stats.Set(CharacterStat::MaxHealth, ComputeMaxHealth());
    auto product = [&stat](int32_t index, int32_t factor) {
        return static_cast<double>(stat(index)) * static_cast<double>(factor);
    };
    int32_t maxPower = c && c->maxPower >= 0 ? c->maxPower
                       : c ? SaturatingInt(product(CharacterStat::Intelligence, c->powerPerInt) +
                                           product(CharacterStat::Spirit, c->powerPerSpr))
                           : 0;
    stats.Set(CharacterStat::MaxPower, maxPower);
    if (refill)
        stats.Set(CharacterStat::Power, c && c->powerStart >= 0 ? c->powerStart : maxPower);
    stats.Set(CharacterStat::Size, FloorToInt(GetSizeScale() * 100.0f + 0.5f));
    int32_t defense = ComputeDefense();
    stats.Set(CharacterStat::Defense, defense);
    float missPercent = c ? c->specificMissTypePercent : 0.0f;
    int32_t missChance = HasNoMissChances() ? 0 : CeilToInt(missPercent * static_cast<float>(defense));
    for (int32_t miss : {CharacterStat::Block, CharacterStat::Parry, CharacterStat::Deflection, CharacterStat::Evade,
                         CharacterStat::Dodge})
        stats.Set(miss, missChance);
    stats.Set(CharacterStat::Attack, ComputeAttack());
    stats.Set(CharacterStat::Armor, ComputeArmor());
    stats.Set(CharacterStat::XpNeeded, gGameData ? gGameData->XpNeededForLevel(stat(CharacterStat::Level)) : 0);
    stats.Set(CharacterStat::MinDamage, ComputeMinDamage());
    stats.Set(CharacterStat::MaxDamage, ComputeMaxDamage());
    float regenPerSpirit = c ? c->healthRegenPerSpr : 0.0f;
    stats.Set(CharacterStat::HealthRegen, SaturatingInt(static_cast<float>(stat(CharacterStat::Spirit)) * regenPerSpirit));
    stats.Set(CharacterStat::Movement, baseSpeed);
    for (int32_t resistance = CharacterStat::ResistancePhysical; resistance <= CharacterStat::ResistanceMagic; ++resistance)
        stats.Set(resistance, ComputeResistance(resistance));
    stats.Set(CharacterStat::AttackSpeed, ComputeAttackSpeed());
    stats.Set(CharacterStat::LightIntensity, static_cast<int32_t>(lightIntensity));
    for (int32_t cleared : {CharacterStat::ArmorPiercing, CharacterStat::ExtraMoney, CharacterStat::ItemsChance,
                            CharacterStat::MagicChance, CharacterStat::DisarmTrap})
        stats.Set(cleared, 0);
}

int32_t Sentient::ComputeAttackSpeed() const
{
    const InventoryBag* equipment = inventory->GetBag(InventoryGroupIndex::Equipment);
    const Item* weapon = equipment && equipment->GetSlotCount() > EquipedLocation::HandPrimary
                             ? GetItem(InventoryGroupIndex::Equipment, EquipedLocation::HandPrimary)
                             : nullptr;
    if (!weapon || !weapon->GetEntry())
        return kSentientNoWeaponAttackSpeed;
    // Seconds per attack, shortened by the affixes' share: the same quickness the power gain of a hit uses.
    float seconds = weapon->GetEntry()->GetFloat("Speed", 0.0f);
    return SaturatingInt(std::floor((seconds - weapon->GetWeaponSpeedBonus() * seconds) * 1000.0f));
}

bool Sentient::IsStatModifiable(int32_t stat, int32_t pass) const
{
    if (stat < kSentientFirstModifiedStat || (stat >= CharacterStat::Skill1 && stat <= CharacterStat::Skill60))
        return false;
    switch (stat) {
    case CharacterStat::Power:
    case CharacterStat::Level:
    case CharacterStat::Xp:
    case CharacterStat::XpNeeded:
    case CharacterStat::Class:
    case CharacterStat::AttributePointsLeft:
    case CharacterStat::SkillPointsLeft:
        return false;
    case CharacterStat::MaxPower:
        if (characterClass && characterClass->maxPower > 0)
            return false;
        break;
    default:
        break;
    }
    if (pass == 0)
        return SentientIsAttribute(stat);
    if (pass == 1)
        return !SentientIsAttribute(stat);
    return true;
}

void Sentient::ApplyStatModifiers(int32_t stat, int32_t pass)
{
    if (!IsStatModifiable(stat, pass))
        return;
    int32_t value = stats.Get(stat);
    if (pass == kPercentPass) {
        float sum = skillMults[static_cast<size_t>(stat)];
        for (const std::unique_ptr<StatusEffect>& effect : statusEffects)
            sum += effect->GetStatMult(stat);
        float scaled = std::ceil(static_cast<float>(value) * SentientPercentFactor(sum));
        stats.Set(stat, static_cast<int32_t>(std::clamp(scaled, -2147483648.0f, 2147483520.0f)));
        return;
    }
    ClassStatBonus(stat, value, pass);
    // Items and skills give flat shares in the first two passes only, as the effects do.
    bool flatPass = pass == 0 || pass == 1;
    if (flatPass)
        value = SentientAddSaturated(value, itemShares[static_cast<size_t>(pass)][static_cast<size_t>(stat)]);
    for (const std::unique_ptr<StatusEffect>& effect : statusEffects)
        effect->GetStatChange(stat, value, pass);
    if (flatPass)
        value = SentientAddSaturated(value, skillShares[static_cast<size_t>(stat)]);
    if (const EntityCovenant* covenant = GetCovenant())
        covenant->ModifyMemberStat(stat, value, pass);
    stats.Set(stat, value);
}

// ---- Class rules -------------------------------------------------------------------------------

int32_t Sentient::ComputeDefense() const
{
    float perDexterity = characterClass ? characterClass->defensePerDex : 0.0f;
    return FloorToInt(static_cast<float>(stats.Get(CharacterStat::Dexterity)) * perDexterity);
}

int32_t Sentient::ComputeAttack() const
{
    float perDexterity = characterClass ? characterClass->attackPerDex : 0.0f;
    return FloorToInt(static_cast<float>(stats.Get(CharacterStat::Dexterity)) * perDexterity);
}

int32_t Sentient::ComputeMaxHealth() const
{
    if (!characterClass)
        return 0;
    float vitality = static_cast<float>(stats.Get(CharacterStat::Vitality));
    float level = static_cast<float>(stats.Get(CharacterStat::Level));
    return SaturatingInt(static_cast<double>(FloorToInt(vitality * characterClass->healthPerVit)) +
                         static_cast<double>(SaturatingInt(level * characterClass->healthPerLevel)));
}

int32_t Sentient::ComputeResistance(int32_t stat) const
{
    if (!characterClass || stat == CharacterStat::ResistancePhysical)
        return 0;
    return FloorToInt(static_cast<float>(stats.Get(CharacterStat::Spirit)) * characterClass->resistancePerSpr);
}

float Sentient::GetStrengthDamageMultiplier() const
{
    float perStrength = characterClass ? characterClass->damageMultPerStr : 0.0f;
    return static_cast<float>(stats.Get(CharacterStat::Strength)) * perStrength;
}

void Sentient::SetClass(int32_t classIndex, bool quiet)
{
    const CharacterClass* chosen = gGameData ? gGameData->GetCharacterClass(classIndex) : nullptr;
    if (!chosen || !chosen->GetEntry()) {
        DebugSystem::Print(3, "Unknown class index %d\n", classIndex);
        return;
    }
    const CharacterClass* previous = characterClass;
    baseSpeed = chosen->GetEntry()->GetInt("BaseSpeed");
    for (int32_t tree = 0; tree < kMaxSkillTrees; ++tree) {
        const SkillTree* skills = chosen->GetSkillTree(tree);
        if (!skills)
            continue;
        // The class's starting skills only: the rest are bought with skill points.
        for (int32_t k = 0; k < kSkillsPerTree; ++k)
            stats.Set(kFirstSkillStat + kSkillsPerTree * tree + k, skills->GetStartingLevel(k));
    }
    stats.Set(CharacterStat::Class, classIndex);
    characterClass = chosen;
    if (ReloadsOnClassChange() && chosen->GetEntry() != entry)
        SetEntry(chosen->GetEntry());
    LoadModels(chosen->modelName);
    if (quiet)
        return;
    if (previous)
        RemoveAttachmentsFromRecord(previous->GetEntry());
    AddAttachmentsFromRecord(chosen->GetEntry());
}

void Sentient::AddPower(int32_t amount)
{
    stats.AddCapped(CharacterStat::Power, amount, stats.Get(CharacterStat::MaxPower));
}

void Sentient::AddMoney(int32_t amount)
{
    int32_t cap = gGameData ? gGameData->GetTuning().maxMoney : 0;
    stats.AddCapped(CharacterStat::Money, amount, cap);
}

void Sentient::GainPower(float amount)
{
    float multiplier = 1.0f;
    ApplyDynamicStat(DynamicStat::PowerGainMult, nullptr, multiplier);
    float gain = multiplier * amount;
    float roll = DrawRandomScaled(RandomStream::GameData, 100.0f, 1.0f);
    float extraChance = 0.0f;
    ApplyDynamicStat(DynamicStat::ExtraPowerGainChance, nullptr, extraChance);
    if (extraChance > roll)
        gain += amount;
    AddPower(DrawRandomRound(gain));
}

// ---- Regeneration ----------------------------------------------------------------------------

void Sentient::RegenerateTick()
{
    if (maxHealth > 0 && health <= 0)
        return;
    RegenerateHealth();
    RegeneratePower();
}

void Sentient::RegenerateHealth()
{
    float amount = GetDynamicStat(DynamicStat::HealthRegen, nullptr) +
                   static_cast<float>(stats.Get(CharacterStat::HealthRegen)) / 100.0f;
    if (amount > 0.0f && characterClass && IsInCombat())
        amount *= characterClass->combatHealthRegenMultiplier;
    Heal(DrawRandomRound(amount), this, false);
}

void Sentient::RegeneratePower()
{
    const CharacterClass* c = characterClass;
    if (!c)
        return;
    bool inCombat = IsInCombat();
    if (c->canRegenPower || c->canDrainPower) {
        float rate = c->basePowerRegen + static_cast<float>(stats.Get(CharacterStat::Spirit)) * c->powerRegenPerSpr +
                     static_cast<float>(stats.Get(CharacterStat::Intelligence)) * c->powerRegenPerInt;
        ApplyDynamicStat(DynamicStat::PowerRegen, nullptr, rate);
        float change = rate > 0.0f && inCombat ? rate * c->combatPowerRegenMultiplier : rate;
        if ((change > 0.0f && c->canRegenPower) || (change < 0.0f && c->canDrainPower)) {
            AddPower(DrawRandomRound(change));
            if (c->powerRegen > 0)
                AddPower(c->powerRegen);
        }
    }
    float outside = c->powerRegenOutsideCombat;
    if (!inCombat && outside > 0.0f)
        AddPower(DrawRandomRound(outside));
    else if (!inCombat && outside < 0.0f)
        stats.SubtractFloored(CharacterStat::Power, DrawRandomRound(-outside));
    if (c->powerDirection && stats.Get(CharacterStat::PowerRising) == 0)
        stats.SubtractFloored(CharacterStat::Power, DrawRandomRound(c->powerDecay));
}

// ---- Dynamic stats ---------------------------------------------------------------------------

float Sentient::GetDynamicStat(int32_t index, const Skill* skill) const
{
    const CharacterClass* c = characterClass;
    float intelligence = static_cast<float>(stats.Get(CharacterStat::Intelligence));
    float spirit = static_cast<float>(stats.Get(CharacterStat::Spirit));
    float base = 0.0f;
    switch (index) {
    case DynamicStat::CriticalHit:
    case DynamicStat::CriticalHeal:
    case DynamicStat::MagicCriticalHit:
        base = intelligence * (c ? c->criticalPerInt : 0.0f) + 5.0f;
        break;
    case DynamicStat::CrushingBlow:
    case DynamicStat::StunningBlow:
    case DynamicStat::DeepWounds:
    case DynamicStat::MagicCrushingBlow:
        base = 2.0f;
        break;
    case DynamicStat::PowerGainMult:
    case DynamicStat::GeneralPower:
    case DynamicStat::ScoreKillMult:
    case DynamicStat::ScoreItemMult:
    case DynamicStat::EscapeNotice:
    case DynamicStat::ItemHealMult:
    case DynamicStat::ItemPowerGainMult:
        base = 1.0f;
        break;
    case DynamicStat::PowerRegen:
        base = c ? c->basePowerRegen + spirit * c->powerRegenPerSpr + intelligence * c->powerRegenPerInt : 0.0f;
        break;
    default:
        break;
    }
    ApplyDynamicStat(index, skill, base);
    return base;
}

void Sentient::ApplyDynamicStat(int32_t index, const Skill* skill, float& value) const
{
    if (index < 0 || index >= DynamicStat::kCount) {
        DebugSystem::Print(3, "Dynamic stat index %d out of range\n", index);
        return;
    }
    const SkillDefinition* own = skill ? skill->definition : nullptr;
    if (own)
        value += own->GetDynamicStatChangeAtLevel(index, skill->GetLevel());
    skillList->AddDynamicStatChange(*this, index, skill, value);
    float sum = skillList->GetDynamicStatMult(*this, index, skill);
    if (own)
        sum += own->GetDynamicStatMultAtLevel(index, skill->GetLevel());
    for (const std::unique_ptr<StatusEffect>& effect : statusEffects) {
        if (effect->IsExpired())
            continue;
        value += effect->dynamicStatChange[static_cast<size_t>(index)];
        sum += effect->dynamicStatMult[static_cast<size_t>(index)];
    }
    value = sum >= 0.0f ? value * (1.0f + sum) : value / (1.0f - sum);
}

void Sentient::ApplyDynamicStatToInt(int32_t index, int32_t& value) const
{
    float scaled = static_cast<float>(value);
    ApplyDynamicStat(index, nullptr, scaled);
    value = static_cast<int32_t>(std::clamp(scaled, -2147483648.0f, 2147483520.0f));
}

void Sentient::GetDefendingDynamicStat(int32_t index, float& value) const
{
    if (index < 0 || index >= DynamicStat::kCount) {
        DebugSystem::Print(3, "Dynamic stat index %d out of range\n", index);
        return;
    }
    skillList->AddDefendingDynamicStatChange(*this, index, value);
    float sum = skillList->GetDefendingDynamicStatMult(*this, index);
    for (const std::unique_ptr<StatusEffect>& effect : statusEffects) {
        if (effect->IsExpired())
            continue;
        value += effect->defendingDynamicStatChange[static_cast<size_t>(index)];
        sum += effect->defendingDynamicStatMult[static_cast<size_t>(index)];
    }
    value = sum >= 0.0f ? value * (1.0f + sum) : value / (1.0f - sum);
}

// ---- The damage table ------------------------------------------------------------------------

void Sentient::GetUnarmedDamage(StatPairList& table) const
{
    StatPair* physical = table.Find(DamageType::Physical, true);
    physical->a += 1.0f;
    physical->b += 4.0f;
    if (physical->b < physical->a)
        physical->b = physical->a;
    ApplyFlatDamageModifiers(1, table);
}

void Sentient::BuildDamageList(const Skill* skill, StatPairList& table)
{
    GetUnarmedDamage(table);
    AddExtraDamage(table);
    ApplyPercentDamageModifiers(skill, table);
    ApplyFlatDamageModifiers(3, table);
    if (skill) {
        float extra = 0.0f;
        ApplyDynamicStat(DynamicStat::ExtraDamage, skill, extra);
        StatPair* physical = table.Find(DamageType::Physical, true);
        physical->a += extra;
        physical->b += extra;
    }
    if (flags & EntityFlag::HugeDamage) {
        StatPair* physical = table.Find(DamageType::Physical, true);
        physical->a += kSentientHugeDamage;
        physical->b += kSentientHugeDamage;
    }
}

void Sentient::ApplyFlatDamageModifiers(int32_t kind, StatPairList& table) const
{
    Item::BuildWeaponDamage(*inventory, table, kind);
    for (const std::unique_ptr<StatusEffect>& effect : statusEffects)
        if (effect->Counts())
            effect->AddDamage(kind, table);
}

void Sentient::ApplyPercentDamageModifiers(const Skill* skill, StatPairList& table) const
{
    for (int32_t type = 0; type < DamageType::kCount; ++type) {
        float sum = type == DamageType::Physical ? GetStrengthDamageMultiplier() : 0.0f;
        // The skills' share as the last recomputation found it: which skills count changes
        // only with the stats and the equipment.
        sum += skillDamageMults[static_cast<size_t>(type)];
        if (skill && skill->definition)
            sum += skill->definition->GetDamageMultAtLevel(type, skill->GetLevel());
        for (const std::unique_ptr<StatusEffect>& effect : statusEffects) {
            if (effect->IsExpired())
                continue;
            sum += effect->damageMult[static_cast<size_t>(type)];
            if (type == DamageType::Physical)
                sum += static_cast<float>(effect->statMult.Get(CharacterStat::MaxDamage)) / kStatMultScale;
        }
        float factor = SentientPercentFactor(sum);
        StatPair* entry = table.Find(type, false);
        if (factor != 1.0f && entry) {
            entry->a *= factor;
            entry->b *= factor;
        }
    }
}
