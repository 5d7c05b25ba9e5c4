// BehaviorStack -- one archetype's prototype behaviours in priority order, built from the database once and cloned into each of its actors.
#pragma once

#include "entities/BehaviorBase.h"

#include <memory>
#include <string_view>
#include <vector>

class Actor;
class MonsterArchetype;

class BehaviorStack {
public:
    // Owner = the archetype; the named entry's "Behavior" values (its own first, then up its
    // base chain) made and loaded in order. A missing entry leaves the stack empty, silently.
    void Build(const MonsterArchetype* archetype, std::string_view entryName);

    const MonsterArchetype* owner = nullptr;
    std::vector<std::unique_ptr<BehaviorBase>> behaviors;
};

using BehaviorStackList = std::vector<std::unique_ptr<BehaviorStack>>;

// One stack for every archetype of the game data whose "BehaviorStack" is set, in the
// archetype list's order; out is cleared first.
void BuildBehaviorStacks(BehaviorStackList& out);
// Clones of the first stack owned by the archetype, in order, each with the actor, appended
// to the actor's behaviours. None without such a stack.
void AssignBehaviors(const BehaviorStackList& stacks, const MonsterArchetype* archetype, Actor& actor);
