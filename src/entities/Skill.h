// Skill -- a skill known by a host entity.
#pragma once

#include "rules/skills/SkillBase.h"

// The host's use of skills (targets, effects, projectiles) comes with combat and skills.
class Skill : public SkillBase {};
