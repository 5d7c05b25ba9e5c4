// BehaviorLint -- the content lint's checks of behaviour stacks: their kind names, and the stacks and data entries archetypes name.
#pragma once

#include "rules/ContentLint.h"

#include <vector>

// For ContentLint::CheckGameContent: every "Behavior" value of a "BehaviorStack" record must be
// an "ActorBehavior" kind; an archetype's "BehaviorStack" must name a behaviour stack record
// and each of its "<Kind>Data" keys a behaviour data record.
std::vector<ContentLint::ExtraKindCheck> BehaviorLintChecks();
