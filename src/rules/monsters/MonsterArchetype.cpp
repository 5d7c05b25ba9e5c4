// MonsterArchetype -- a family of monster types: spawn weights, faction, behaviour stack and the types that belong to it.
#include "rules/monsters/MonsterArchetype.h"

#include "core/Database.h"
#include "core/DebugSystem.h"
#include "core/RandomSystem.h"
#include "rules/GameData.h"
#include "rules/monsters/MonsterType.h"

#include <algorithm>
#include <cmath>

void MonsterArchetype::Load(const DatabaseEntry* newEntry)
{
    *this = MonsterArchetype();
    entry = newEntry;
    if (!entry)
        return;
    name = entry->GetName();
    initChance = entry->GetFloat("InitChance", 0.0f);
    spawnChance = entry->GetFloat("SpawnChance", 0.0f);
    factionName = entry->GetString("FactionName");
    questItemName = entry->GetString("QuestItemName");
    std::string questItemRecord = entry->GetString("QuestItem");
    questItem = gDatabase && !questItemRecord.empty() ? gDatabase->FindEntryByName(questItemRecord) : nullptr;
    questItemDropChance = entry->GetFloat("QuestItemDropChance", 0.0f);
    behaviorStackName = entry->GetString("BehaviorStack");
    adventurer = entry->GetInt("Adventurer") != 0;
    raisable = entry->GetInt("Raisable") != 0;
    edible = entry->GetInt("Edible") != 0;
    std::string soundGroupName = entry->GetString("SoundGroup");
    soundGroup = gDatabase ? gDatabase->FindEntryByName(soundGroupName) : nullptr;
    attackInterval = entry->GetFloat("AttackInterval", 0.0f);
    attackIntervalVariation = entry->GetFloat("AttackIntervalVariation", 0.0f);
    skillDelay = entry->GetFloat("SkillDelay", 0.0f);
    skillDelayLowHealth = entry->GetFloat("SkillDelayLowHealth", skillDelay);
    LoadClientFields();
    LoadLevelValues();
}

void MonsterArchetype::LoadClientFields()
{
    namePlate = entry->GetInt("NamePlate") != 0;
    std::string className = entry->GetString("Class");
    classIndex = className.empty() || !gGameData ? -1 : gGameData->FindCharacterClassIndex(className);
    if (!className.empty() && classIndex < 0)
        DebugSystem::Print(kPrintWarning, "Archetype %s names the missing class %s\n", name.c_str(), className.c_str());
    nameListName = entry->GetString("NameList");
    canAttack = entry->GetInt("CanAttack") != 0;
    radius = entry->GetFloat("Radius", 0.0f);
    selectRadius = entry->GetFloat("SelectRadius", 0.0f);
    hideFromMiniMap = entry->GetInt("HideFromMiniMap") != 0;
    std::vector<std::string> skillNames;
    entry->GetStringList("Skill", skillNames, true, true);
    for (const std::string& skillName : skillNames) {
        const SkillDefinition* skill = gGameData ? gGameData->FindSkillDefinition(skillName) : nullptr;
        if (skill)
            skills.push_back(skill);
        else
            DebugSystem::Print(kPrintWarning, "Archetype %s names the missing skill %s\n", name.c_str(),
                               skillName.c_str());
    }
    skinSurface = entry->GetInt("SkinSurface", -1);
    entry->GetStringList("SkinTexture", skinTextures, true, true);
    randomSize = entry->GetInt("RandomSize") != 0;
    minSize = entry->GetFloat("MinSize", 1.0f);
    maxSize = std::max(minSize, entry->GetFloat("MaxSize", minSize));
}

void MonsterArchetype::LoadLevelValues()
{
    constexpr const char* kAttributeNames[] = {"Strength", "Dexterity", "Vitality", "Intelligence", "Spirit"};
    for (size_t i = 0; i < attributes.size(); ++i) {
        std::string attribute = kAttributeNames[i];
        attributes[i] = {entry->GetFloat("Start" + attribute, 0.0f), entry->GetFloat(attribute + "PerLevel", 0.0f)};
    }
    minDamage = {entry->GetFloat("MinDamage", 0.0f), entry->GetFloat("MinDamagePerLevel", 0.0f)};
    maxDamage = {entry->GetFloat("MaxDamage", 0.0f), entry->GetFloat("MaxDamagePerLevel", 0.0f)};
}

void MonsterArchetype::GetTypesForLevel(int32_t level, std::vector<MonsterType*>& out) const
{
    out.clear();
    for (MonsterType* type : types)
        if (type->GetMinLevel() <= level && level <= type->GetMaxLevel())
            out.push_back(type);
}

MonsterType* MonsterArchetype::PickRandomFromList(RandomStream stream) const
{
    if (types.empty())
        return nullptr;
    if (!gRandomSystem)
        return types.front();
    int32_t count = static_cast<int32_t>(types.size());
    return types[static_cast<size_t>(gRandomSystem->RandomInt(stream, count))];
}

float MonsterArchetype::GetRandomAttackInterval() const
{
    if (!gRandomSystem)
        return attackInterval;
    return attackInterval * gRandomSystem->RandomRange(RandomStream::GameData, 1.0f - attackIntervalVariation,
                                                       1.0f + attackIntervalVariation);
}

float MonsterArchetype::GetSkillDelay(float healthFraction) const
{
    float fraction = std::isnan(healthFraction) ? 1.0f : std::clamp(healthFraction, 0.0f, 1.0f);
    return skillDelayLowHealth + (skillDelay - skillDelayLowHealth) * fraction;
}
