// SkillListClient -- the local player's skills on the client: four trees of fifteen client skills, rebuilt when the class changes.
#pragma once

#include "rules/skills/SkillBase.h"
#include "rules/skills/SkillListBase.h"

// A client skill: the shared skill with the switched-on byte of a toggle skill, and whether a
// use of it waits for the world host's answer.
class SkillClient : public SkillBase {
public:
    bool switchedOn = false;
    bool pending = false;
};

class SkillListClient : public SkillListBase {
protected:
    std::unique_ptr<SkillBase> CreateSkill() override { return std::make_unique<SkillClient>(); }
};
