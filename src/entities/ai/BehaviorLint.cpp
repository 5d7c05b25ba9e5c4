// BehaviorLint -- the content lint's checks of behaviour stacks: their kind names, and the stacks and data entries archetypes name.
#include "entities/ai/BehaviorLint.h"

#include "core/DatabaseEntry.h"
#include "core/EnumTable.h"
#include "core/StringUtil.h"
#include "entities/ai/BehaviorFactory.h"

#include <string>

namespace {

void BehaviorLintStack(ContentLint& lint, const DatabaseEntry& entry)
{
    std::vector<std::string> names;
    entry.GetStringList("Behavior", names, true, false);
    for (const std::string& name : names) {
        const EnumTable* table = EnumTable::Find("ActorBehavior");
        if (!table || table->IndexOf(name) < 0)
            lint.Report(entry, StringFormat("Behavior names no behaviour kind %s", name.c_str()));
    }
}

void BehaviorLintArchetype(ContentLint& lint, const DatabaseEntry& entry)
{
    lint.CheckRecordOfType(entry, "BehaviorStack", DatabaseEntryType::BehaviorStack, "behaviour stack");
    for (int32_t type = 0; type < BehaviorType::kCount; ++type)
        lint.CheckRecordOfType(entry, GetBehaviorName(type) + "Data", DatabaseEntryType::BehaviorData,
                               "behaviour data");
}

} // namespace

std::vector<ContentLint::ExtraKindCheck> BehaviorLintChecks()
{
    // The kind table exists once a name has been looked up.
    LookupBehaviorType("Sleep");
    return {
        {DatabaseEntryType::BehaviorStack, BehaviorLintStack},
        {DatabaseEntryType::MonsterArchetype, BehaviorLintArchetype},
    };
}
