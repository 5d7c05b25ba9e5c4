// BehaviorStack -- one archetype's prototype behaviours in priority order, built from the database once and cloned into each of its actors.
#include "entities/ai/BehaviorStack.h"

#include "core/Database.h"
#include "entities/Actor.h"
#include "entities/ai/BehaviorFactory.h"
#include "rules/GameData.h"
#include "rules/monsters/MonsterArchetype.h"

#include <string>

void BehaviorStack::Build(const MonsterArchetype* archetype, std::string_view entryName)
{
    owner = archetype;
    const DatabaseEntry* entry = gDatabase ? gDatabase->FindEntryByName(entryName) : nullptr;
    if (!entry)
        return;
    std::vector<std::string> names;
    entry->GetStringList("Behavior", names, true, false);
    const DatabaseEntry* archetypeEntry = archetype ? archetype->GetEntry() : nullptr;
    for (const std::string& name : names) {
        std::unique_ptr<BehaviorBase> behavior = CreateBehavior(LookupBehaviorType(name));
        if (!behavior)
            continue;
        InitBehaviorFromArchetype(*behavior, archetypeEntry);
        behaviors.push_back(std::move(behavior));
    }
}

void BuildBehaviorStacks(BehaviorStackList& out)
{
    out.clear();
    if (!gGameData)
        return;
    const auto& archetypes = gGameData->GetArchetypes();
    for (int32_t i = 0; i < archetypes.GetCount(); ++i) {
        const MonsterArchetype* archetype = archetypes.Get(i);
        if (!archetype || !archetype->GetEntry())
            continue;
        std::string stackName = archetype->GetEntry()->GetString("BehaviorStack");
        if (stackName.empty())
            continue;
        auto stack = std::make_unique<BehaviorStack>();
        stack->Build(archetype, stackName);
        out.push_back(std::move(stack));
    }
}

void AssignBehaviors(const BehaviorStackList& stacks, const MonsterArchetype* archetype, Actor& actor)
{
    for (const auto& stack : stacks) {
        if (!stack || stack->owner != archetype)
            continue;
        for (const auto& prototype : stack->behaviors) {
            if (!prototype)
                continue;
            std::unique_ptr<BehaviorBase> clone = CreateBehavior(prototype->GetType());
            if (!clone)
                continue;
            clone->InitFromData(*prototype);
            clone->actor = &actor;
            actor.AddBehavior(std::move(clone));
        }
        return;
    }
}
