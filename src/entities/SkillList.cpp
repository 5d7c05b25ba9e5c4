// SkillList -- the skills of a host entity, made as host Skills.
#include "entities/SkillList.h"

#include "entities/Skill.h"

std::unique_ptr<SkillBase> SkillList::CreateSkill()
{
    return std::make_unique<Skill>();
}
