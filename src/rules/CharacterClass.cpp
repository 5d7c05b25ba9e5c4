// CharacterClass -- a character class record: its power, its stat rules and its skill trees.
#include "rules/CharacterClass.h"

#include "core/DatabaseEntry.h"
#include "core/DebugSystem.h"
#include "core/EnumTable.h"
#include "rules/Formulas.h"
#include "rules/GameData.h"
#include "rules/skills/SkillDefinition.h"
#include "rules/skills/SkillTree.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr const char* kPowerGainKeys[PowerGain::kCount] = {
    "PowerGainOnHit",          "PowerGainOnDamage",      "PowerGainOnBlockOrParry", "PowerGainOnCriticalHit",
    "PowerGainOnCrushingBlow", "PowerGainOnDeepWounds", "PowerGainOnKill",
};
constexpr const char* kAttributePerLevelKeys[] = {"StrengthPerLevel", "DexterityPerLevel", "VitalityPerLevel",
                                                  "IntelligencePerLevel", "SpiritPerLevel"};
constexpr const char* kStartAttributeKeys[] = {"StartStrength", "StartDexterity", "StartVitality",
                                               "StartIntelligence", "StartSpirit"};

ClassLevelValue ReadClassLevelValue(const DatabaseEntry& entry, const std::string& key)
{
    return {entry.GetFloat(key, 0.0f), entry.GetFloat(key + "PerLevel", 0.0f)};
}

// Three finite numbers, blank-separated; anything else is logged and gives black.
Color ReadClassColor(const DatabaseEntry& entry, const char* key)
{
    std::string text = entry.GetString(key);
    if (text.empty())
        return {};
    float parts[3] = {};
    const char* at = text.c_str();
    for (float& part : parts) {
        char* end = nullptr;
        part = std::strtof(at, &end);
        if (end == at || !std::isfinite(part)) {
            DebugSystem::Print(kPrintWarning, "Class %s: %s needs three numbers\n",
                               std::string(entry.GetName()).c_str(), key);
            return {};
        }
        at = end;
    }
    return {std::clamp(parts[0], 0.0f, 1.0f), std::clamp(parts[1], 0.0f, 1.0f), std::clamp(parts[2], 0.0f, 1.0f)};
}

} // namespace

int32_t ClassLevelValue::At(int32_t level) const
{
    double value = static_cast<double>(base) + static_cast<double>(perLevel) * ClampLevel(level);
    return static_cast<int32_t>(std::clamp(std::trunc(value), double{INT32_MIN}, double{INT32_MAX}));
}

void CharacterClass::Load(const DatabaseEntry* newEntry)
{
    *this = CharacterClass();
    entry = newEntry;
    if (!entry)
        return;
    auto real = [this](const char* key) { return entry->GetFloat(key, 0.0f); };
    name = entry->GetString("Name");
    desc = entry->GetString("Desc");
    title = entry->GetString("Title", name);
    powerName = entry->GetString("PowerName");
    male = GetBool("Male");
    modelName = entry->GetString("ModelName");
    const EnumTable* locations = EnumTable::Find("EquipedLocation");
    for (size_t i = 0; i < skinSurfaces.size(); ++i)
        skinSurfaces[i] = locations ? entry->GetInt("SkinSurface" + locations->GetName(static_cast<int32_t>(i)), -1) : -1;
    baseSpeed = real("BaseSpeed");
    for (int32_t i = 0; i < PowerGain::kCount; ++i)
        powerGainOn[i] = real(kPowerGainKeys[i]);
    damageMultPerStr = real("DamageMultPerStr");
    defensePerDex = real("DefensePerDex");
    attackPerDex = real("AttackPerDex");
    healthPerVit = real("HealthPerVit");
    healthPerLevel = real("HealthPerLevel");
    powerPerInt = entry->GetInt("PowerPerInt");
    powerPerSpr = entry->GetInt("PowerPerSpr");
    powerRegenPerInt = real("PowerRegenPerInt");
    powerRegenPerSpr = real("PowerRegenPerSpr");
    healthRegenPerSpr = real("HealthRegenPerSpr");
    resistancePerSpr = real("ResistancePerSpr");
    criticalPerInt = real("CriticalPerInt");
    maxPower = entry->GetInt("MaxPower", -1);
    powerStart = entry->GetInt("PowerStart", -1);
    powerRegen = entry->GetInt("PowerRegen");
    basePowerRegen = real("BasePowerRegen");
    canRegenPower = GetBool("CanRegenPower");
    canDrainPower = GetBool("CanDrainPower");
    combatPowerRegenMultiplier = real("CombatPowerRegenMultiplier");
    combatHealthRegenMultiplier = real("CombatHealthRegenMultiplier");
    powerRegenOutsideCombat = real("PowerRegenOutsideCombat");
    powerDirection = GetBool("PowerDirection");
    powerDecay = real("PowerDecay");
    powerTimer = real("PowerTimer");
    specificMissTypePercent = real("SpecificMissTypePercent");
    maxPowerOnLevelUp = GetBool("MaxPowerOnLevelUp");
    for (size_t i = 0; i < attributePerLevel.size(); ++i) {
        attributePerLevel[i] = real(kAttributePerLevelKeys[i]);
        startAttributes[i] = entry->GetInt(kStartAttributeKeys[i]);
    }
    minDamage = ReadClassLevelValue(*entry, "MinDamage");
    maxDamage = ReadClassLevelValue(*entry, "MaxDamage");
    armor = ReadClassLevelValue(*entry, "Armor");
    resistance = ReadClassLevelValue(*entry, "Resistance");
    primaryColor = ReadClassColor(*entry, "PrimaryColor");
    secondaryColor = ReadClassColor(*entry, "SecondaryColor");

    std::vector<std::string> treeNames;
    entry->GetStringList("SkillTree", treeNames, true, true);
    if (treeNames.size() > kMaxSkillTrees)
        DebugSystem::Print(kPrintWarning, "Class %.*s has more than %d skill trees\n",
                           static_cast<int>(entry->GetName().size()), entry->GetName().data(), kMaxSkillTrees);
    for (const std::string& treeName : treeNames) {
        if (treeCount == kMaxSkillTrees)
            break;
        skillTrees[treeCount++] = gGameData ? gGameData->FindSkillTree(treeName) : nullptr;
    }
}

int32_t CharacterClass::GetAttributeAtLevel(int32_t attribute, int32_t level) const
{
    if (attribute < 0 || attribute >= static_cast<int32_t>(startAttributes.size()))
        return 0;
    size_t i = static_cast<size_t>(attribute);
    return ClassLevelValue{static_cast<float>(startAttributes[i]), attributePerLevel[i]}.At(level);
}

const SkillTree* CharacterClass::GetSkillTree(int32_t treeIndex) const
{
    return treeIndex >= 0 && treeIndex < treeCount ? skillTrees[treeIndex] : nullptr;
}

bool CharacterClass::AllowsSkill(int32_t skillEntryId) const
{
    if (skillEntryId == 0)
        return true;
    for (int32_t t = 0; t < treeCount; ++t) {
        if (!skillTrees[t])
            continue;
        for (const SkillDefinition* skill : skillTrees[t]->skills) {
            if (skill && skill->GetEntry() && skill->GetEntry()->GetId() == skillEntryId)
                return true;
        }
    }
    return false;
}
