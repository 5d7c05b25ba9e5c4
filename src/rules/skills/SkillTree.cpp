// SkillTree -- a named, ordered list of skill definitions; a skill's position is its index in the tree.
#include "rules/skills/SkillTree.h"

#include "core/DatabaseEntry.h"
#include "rules/GameData.h"
#include "rules/skills/SkillDefinition.h"

#include <algorithm>

void SkillTree::Load(const DatabaseEntry* newEntry)
{
    entry = newEntry;
    name.clear();
    startingSkills = 0;
    skills.clear();
    if (!entry)
        return;
    name = entry->GetString("Name");
    startingSkills = entry->GetInt("StartingSkills");
    std::vector<std::string> names;
    entry->GetStringList("Skill", names, true, false);
    for (const std::string& skillName : names)
        skills.push_back(gGameData ? gGameData->FindSkillDefinition(skillName) : nullptr);
}

const SkillDefinition* SkillTree::GetSkill(int32_t index) const
{
    return index >= 0 && static_cast<size_t>(index) < skills.size() ? skills[static_cast<size_t>(index)] : nullptr;
}

int32_t SkillTree::GetStartingLevel(int32_t index) const
{
    const SkillDefinition* skill = GetSkill(index);
    if (!skill)
        return 0;
    return std::max(skill->startingSkillLevel, index < startingSkills ? 1 : 0);
}
