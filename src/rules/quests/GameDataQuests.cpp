// GameData -- the quest definition list: loading, the look-ups by entry and by type, and the weighted random picks.
#include "rules/GameData.h"

#include "core/Database.h"
#include "core/RandomSystem.h"
#include "rules/quests/QuestDefinition.h"

namespace {

// Weights of 0 or less are left out of the sum and the walk, so they are never drawn.
const DatabaseEntry* PickWeighted(const RecordList<QuestDefinition>& definitions, float total,
                                  float QuestDefinition::*weight)
{
    float target = (gRandomSystem ? gRandomSystem->RandomFloat(RandomStream::GameData) : 0.0f) * total;
    float running = 0.0f;
    for (const auto& definition : definitions) {
        if (definition.get()->*weight <= 0.0f)
            continue;
        running += definition.get()->*weight;
        if (target < running)
            return definition->GetEntry();
    }
    return nullptr;
}

float SumWeights(const RecordList<QuestDefinition>& definitions, float QuestDefinition::*weight)
{
    float total = 0.0f;
    for (const auto& definition : definitions)
        total += definition.get()->*weight > 0.0f ? definition.get()->*weight : 0.0f;
    return total;
}

} // namespace

void GameData::LoadQuestRecords(const Database& database)
{
    questDefinitions.Load(database, DatabaseEntryType::Quest);
    randomQuestChanceTotal = SumWeights(questDefinitions, &QuestDefinition::randomQuestChance);
    randomEventChanceTotal = SumWeights(questDefinitions, &QuestDefinition::randomEventChance);
}

const QuestDefinition* GameData::FindQuestDefinition(const DatabaseEntry* entry) const
{
    return entry ? questDefinitions.FindByEntry(entry) : nullptr;
}

const QuestDefinition* GameData::FindQuestDefinitionByType(int32_t questType) const
{
    for (const auto& definition : questDefinitions)
        if (definition->questType == questType)
            return definition.get();
    return nullptr;
}

const DatabaseEntry* GameData::PickRandomQuest() const
{
    return PickWeighted(questDefinitions, randomQuestChanceTotal, &QuestDefinition::randomQuestChance);
}

const DatabaseEntry* GameData::PickRandomEvent() const
{
    return PickWeighted(questDefinitions, randomEventChanceTotal, &QuestDefinition::randomEventChance);
}
