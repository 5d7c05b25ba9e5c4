// SkillListBase -- a character's skills, one per skill of its class's trees, rebuilt when the class changes.
#include "rules/skills/SkillListBase.h"

#include "core/DatabaseEntry.h"
#include "rules/CharacterClass.h"
#include "rules/skills/SkillBase.h"
#include "rules/skills/SkillDefinition.h"
#include "rules/skills/SkillTree.h"

SkillListBase::SkillListBase() = default;

SkillListBase::~SkillListBase() = default;

bool SkillListBase::Update(const CharacterClass* characterClass, float seconds, SkillUser* owner)
{
    if (!characterClass)
        return false;
    bool rebuilt = !fixed && characterClass != builtFrom;
    if (rebuilt)
        Rebuild(owner, characterClass);
    for (const auto& skill : skills)
        skill->Update(seconds);
    return rebuilt;
}

void SkillListBase::Rebuild(SkillUser* owner, const CharacterClass* characterClass)
{
    if (characterClass != builtFrom)
        Clear();
    if (characterClass) {
        for (int32_t t = 0; t < characterClass->GetSkillTreeCount(); ++t) {
            const SkillTree* tree = characterClass->GetSkillTree(t);
            if (!tree)
                continue;
            for (size_t i = 0; i < tree->skills.size(); ++i)
                AddSkill(tree->skills[i], owner, t, static_cast<int32_t>(i));
        }
    }
    for (const auto& skill : skills) {
        if (!skill->definition->linked.empty())
            skill->parent = FindSkillByName(skill->definition->linked);
    }
    builtFrom = characterClass;
    AfterRebuild();
}

SkillBase* SkillListBase::AddSkill(const SkillDefinition* definition, SkillUser* owner, int32_t treeIndex,
                                   int32_t index)
{
    if (!definition)
        return nullptr;
    SkillBase* skill = FindSkillByDefinition(definition);
    if (!skill) {
        skills.push_back(CreateSkill());
        skill = skills.back().get();
    }
    skill->definition = definition;
    skill->treeIndex = treeIndex;
    skill->indexInTree = index;
    skill->OnPlaced();
    skill->SetOwner(owner);
    return skill;
}

SkillBase* SkillListBase::FindSkillByDefinition(const SkillDefinition* definition) const
{
    for (const auto& skill : skills) {
        if (skill->definition == definition)
            return skill.get();
    }
    return nullptr;
}

SkillBase* SkillListBase::FindSkill(int32_t treeIndex, int32_t index) const
{
    for (const auto& skill : skills) {
        if (skill->treeIndex == treeIndex && skill->indexInTree == index)
            return skill.get();
    }
    return nullptr;
}

SkillBase* SkillListBase::FindSkillByEntryIndex(int32_t entryId) const
{
    for (const auto& skill : skills) {
        const DatabaseEntry* entry = skill->definition->GetEntry();
        if ((entry ? entry->GetId() : -1) == entryId)
            return skill.get();
    }
    return nullptr;
}

SkillBase* SkillListBase::FindSkillByName(std::string_view name) const
{
    for (const auto& skill : skills) {
        const DatabaseEntry* entry = skill->definition->GetEntry();
        if (entry && entry->GetName() == name)
            return skill.get();
    }
    return nullptr;
}

SkillBase* SkillListBase::FindSkillWantingStat(const IntArray& stats, int32_t stat) const
{
    for (const auto& skill : skills) {
        const SkillDefinition* definition = skill->definition;
        if (definition && definition->statReq == stat &&
            definition->GetMissingRequirementPoints(skill->GetLevel(), stats) > 0)
            return skill.get();
    }
    return nullptr;
}

void SkillListBase::Clear()
{
    skills.clear();
}
