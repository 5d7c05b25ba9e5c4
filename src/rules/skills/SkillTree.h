// SkillTree -- a named, ordered list of skill definitions; a skill's position is its index in the tree.
#pragma once

#include "core/SimpleData.h"

#include <cstdint>
#include <string>
#include <vector>

class SkillDefinition;

// The definitions are GameData's, found by the names of the "Skill" list among the skills
// loaded so far. A name that is no skill still takes its position, as a null, so that every
// later skill keeps its index.
class SkillTree : public SimpleData {
public:
    void Load(const DatabaseEntry* entry) override;

    // Null outside the tree and at an empty position.
    const SkillDefinition* GetSkill(int32_t index) const;
    // The level a new character of a class with this tree has the skill at the index: the
    // skill's "StartingSkillLevel", and at least 1 for the tree's first "StartingSkills"
    // skills. A character never goes below it, as those levels were never paid for.
    int32_t GetStartingLevel(int32_t index) const;

    std::string name;
    int32_t startingSkills = 0;
    std::vector<const SkillDefinition*> skills;
};
