// SkillList -- the skills of a host entity, made as host Skills.
#pragma once

#include "rules/skills/SkillListBase.h"

class SkillList : public SkillListBase {
protected:
    std::unique_ptr<SkillBase> CreateSkill() override;
};
