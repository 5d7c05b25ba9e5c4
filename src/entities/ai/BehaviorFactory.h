// BehaviorFactory -- the "ActorBehavior" kind table, the factory of behaviours by kind id and the loading of a prototype's tuning.
#pragma once

#include "entities/BehaviorBase.h"

#include <memory>
#include <string>
#include <string_view>

class DatabaseEntry;

// The kind name of the id; "<id>" for an id outside the table, which is never read outside
// its 22 entries.
std::string GetBehaviorName(int32_t type);
// The kind id of the name, case-blind; 0 (Sleep) with "Unknown ActorBehavior name %s" logged
// for an unknown name.
int32_t LookupBehaviorType(std::string_view name);
// A fresh behaviour of the kind, tuning at its defaults and actor null. An id the factory
// cannot make logs "Could not create behavior %s" and gives a BehaviorSleep.
std::unique_ptr<BehaviorBase> CreateBehavior(int32_t type);
// The shared tuning from the entry named by the archetype's "<Kind>Data" (else
// "BehaviorDataDefault<Kind>"), then the per-monster keys of the archetype's own entry.
void InitBehaviorFromArchetype(BehaviorBase& behavior, const DatabaseEntry* archetypeEntry);
