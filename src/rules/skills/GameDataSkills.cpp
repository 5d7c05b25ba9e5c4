// GameData -- the skill, skill tree, status effect and character class lists: loading and the look-ups over them.
#include "rules/GameData.h"

#include "core/Database.h"
#include "core/DatabaseEntry.h"
#include "rules/CharacterClass.h"
#include "rules/skills/SkillDefinition.h"
#include "rules/skills/SkillTree.h"
#include "rules/statuseffects/StatusEffectBase.h"

namespace {

constexpr const char* kGenericMonsterClass = "ClassMonsterGeneric";

} // namespace

// Loaders look earlier records up through gGameData, so it must point here while this runs.
void GameData::LoadSkillRecords(const Database& database)
{
    characterClasses.Clear();
    skillTrees.Clear();
    skillDefinitions.Load(database, DatabaseEntryType::Skill);
    skillTrees.Load(database, DatabaseEntryType::SkillTree);
    statusEffects.Load(database, DatabaseEntryType::StatusEffect);
    characterClasses.Load(database, DatabaseEntryType::Class);
}

const SkillDefinition* GameData::FindSkillDefinition(std::string_view name) const
{
    return skillDefinitions.FindByName(name);
}

int32_t GameData::FindSkillDefinitionIndex(std::string_view name) const
{
    return skillDefinitions.FindIndex(name);
}

const SkillTree* GameData::FindSkillTree(std::string_view name) const
{
    return skillTrees.FindByName(name);
}

const StatusEffectBase* GameData::FindStatusEffect(std::string_view name) const
{
    return statusEffects.FindByName(name);
}

const CharacterClass* GameData::GetCharacterClass(int32_t index) const
{
    return characterClasses.Get(index);
}

const CharacterClass* GameData::FindCharacterClass(std::string_view name) const
{
    return characterClasses.FindByName(name);
}

int32_t GameData::FindCharacterClassIndex(std::string_view name) const
{
    return characterClasses.FindIndex(name);
}

std::string GameData::GetCharacterClassName(int32_t index) const
{
    const CharacterClass* characterClass = characterClasses.Get(index);
    const DatabaseEntry* entry = characterClass ? characterClass->GetEntry() : nullptr;
    return entry ? std::string(entry->GetName()) : std::string();
}

std::string GameData::GetCharacterClassDisplayName(int32_t index) const
{
    const CharacterClass* characterClass = characterClasses.Get(index);
    return characterClass ? characterClass->name : std::string();
}

const CharacterClass* GameData::GetGenericMonsterClass() const
{
    return characterClasses.FindByName(kGenericMonsterClass);
}
