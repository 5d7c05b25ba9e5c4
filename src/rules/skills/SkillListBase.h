// SkillListBase -- a character's skills, one per skill of its class's trees, rebuilt when the class changes.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

class CharacterClass;
class IntArray;
class SkillBase;
class SkillDefinition;
class SkillUser;

// The host's and the client's lists derive from it and make their own kind of skill.
class SkillListBase {
public:
    SkillListBase();
    virtual ~SkillListBase();
    SkillListBase(const SkillListBase&) = delete;
    SkillListBase& operator=(const SkillListBase&) = delete;

    // Rebuilds when not fixed and the class differs from the one built from, then steps every
    // skill. True only when it rebuilt; false, doing nothing, for a null class.
    bool Update(const CharacterClass* characterClass, float seconds, SkillUser* owner);
    void Rebuild(SkillUser* owner, const CharacterClass* characterClass);
    // The list's skill of that definition, else a new one; either way placed at (tree, index)
    // and given the owner. Null for a null definition.
    SkillBase* AddSkill(const SkillDefinition* definition, SkillUser* owner, int32_t treeIndex, int32_t index);

    SkillBase* FindSkillByDefinition(const SkillDefinition* definition) const;
    SkillBase* FindSkill(int32_t treeIndex, int32_t index) const;
    // By the definition's database entry id; -1 finds a skill whose definition has no entry.
    SkillBase* FindSkillByEntryIndex(int32_t entryId) const;
    // By the definition's entry name, case-sensitive.
    SkillBase* FindSkillByName(std::string_view name) const;
    // The first skill that takes its level from the stat and could use more of it.
    SkillBase* FindSkillWantingStat(const IntArray& stats, int32_t stat) const;
    void Clear();

    const std::vector<std::unique_ptr<SkillBase>>& GetSkills() const { return skills; }
    // A fixed list keeps its skills whatever class it is updated with.
    bool fixed = false;

protected:
    virtual std::unique_ptr<SkillBase> CreateSkill() = 0;
    virtual void AfterRebuild() {}

private:
    std::vector<std::unique_ptr<SkillBase>> skills;
    const CharacterClass* builtFrom = nullptr;
};
