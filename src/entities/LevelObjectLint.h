// LevelObjectLint -- the content lint's checks of chests and doors: a lock must name a key some item opens, and have its text.
#pragma once

#include "rules/ContentLint.h"

#include <vector>

// For ContentLint::CheckGameContent: every "Object" record's "RequiresKey", when given, must be
// among the "KeyName" values of the item records (compared case-blind; a lock no key opens stays
// shut for good, unless a trigger of that name works it) and a localisation key of the language.
std::vector<ContentLint::ExtraKindCheck> LevelObjectLintChecks();
