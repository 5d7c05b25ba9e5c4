// GameData -- the covenant definition and trait lists and their look-ups.
#include "rules/GameData.h"

#include "core/Database.h"
#include "core/DebugSystem.h"
#include "rules/covenants/CovenantDefinition.h"
#include "rules/covenants/CovenantTrait.h"

void GameData::LoadCovenantRecords(const Database& database)
{
    covenantDefinitions.Load(database, DatabaseEntryType::Covenant);
    covenantTraits.Load(database, DatabaseEntryType::CovenantTrait);
    // A definition's own links are checked once both lists exist, so the content lint sees a
    // name that leads nowhere.
    for (const auto& definition : covenantDefinitions) {
        for (const std::string& trait : definition->traitNames)
            if (covenantTraits.FindIndex(trait) < 0)
                DebugSystem::Print(kPrintWarning, "Covenant %s: no CovenantTrait record %s\n",
                                   definition->name.c_str(), trait.c_str());
        for (const auto& [otherName, value] : definition->startingRelations)
            if (otherName != "Human" && covenantDefinitions.FindIndex(otherName) < 0)
                DebugSystem::Print(kPrintWarning, "Covenant %s: StartingRelation names no definition %s\n",
                                   definition->name.c_str(), otherName.c_str());
    }
}

int32_t GameData::GetCovenantDefinitionCount() const
{
    return covenantDefinitions.GetCount();
}

CovenantDefinition* GameData::GetCovenantDefinition(int32_t index) const
{
    return covenantDefinitions.Get(index);
}

int32_t GameData::FindCovenantDefinitionIndex(std::string_view name) const
{
    return covenantDefinitions.FindIndex(name);
}

int32_t GameData::GetCovenantTraitCount() const
{
    return covenantTraits.GetCount();
}

CovenantTrait* GameData::GetCovenantTrait(int32_t index) const
{
    return covenantTraits.Get(index);
}

int32_t GameData::FindCovenantTraitIndex(std::string_view name) const
{
    return covenantTraits.FindIndex(name);
}
