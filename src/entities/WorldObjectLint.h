// WorldObjectLint -- the content lint's checks of traps: the skills they fire and the effect models they show.
#pragma once

#include "rules/ContentLint.h"

#include <vector>

// For ContentLint::CheckGameContent: every "Trap" record's "Skill" must be a skill record (a
// trap with an unknown skill fires nothing) and its "TrapEffect" a model that exists.
std::vector<ContentLint::ExtraKindCheck> WorldObjectLintChecks();
