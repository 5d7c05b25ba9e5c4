// GameData -- the quest definition list: loading, the look-ups by entry and by type, and the weighted random picks.
#include "rules/GameData.h"

#include "core/Database.h"
#include "core/RandomSystem.h"
#include "rules/quests/QuestDefinition.h"

#include <vector>

namespace {

// Weights of 0 or less are left out of the sum and the walk, so they are never drawn.
const DatabaseEntry* PickWeighted(const RecordList<QuestDefinition>& definitions, float total,
                                  float QuestDefinition::*weight)
{
    float target = (DrawRandomFloat()) * total;
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

namespace {

// A weight of 0 or less adds nothing, as in the picks above.
float GameDataQuestsTypeWeight(const QuestDefinition& definition)
{
    float weight = 0.0f;
    weight += definition.randomQuestChance > 0.0f ? definition.randomQuestChance : 0.0f;
    weight += definition.randomEventChance > 0.0f ? definition.randomEventChance : 0.0f;
    return weight;
}

} // namespace

int32_t GameData::FindWeightedEntry(int32_t questType) const
{
    std::vector<int32_t> ofType;
    float total = 0.0f;
    for (int32_t i = 0; i < questDefinitions.GetCount(); ++i) {
        const QuestDefinition* definition = questDefinitions.Get(i);
        if (definition->questType != questType)
            continue;
        ofType.push_back(i);
        total += GameDataQuestsTypeWeight(*definition);
    }
    // One candidate needs no draw, so the stream stays where it is.
    if (ofType.size() <= 1)
        return ofType.empty() ? -1 : ofType.front();
    if (total <= 0.0f)
        return ofType.front();
    float target = (DrawRandomFloat()) * total;
    float running = 0.0f;
    int32_t last = ofType.front();
    for (int32_t index : ofType) {
        float weight = GameDataQuestsTypeWeight(*questDefinitions.Get(index));
        if (weight <= 0.0f)
            continue;
        running += weight;
        last = index;
        if (target < running)
            return index;
    }
    // Rounding can leave the draw at the very top of the sum: the last weighted one takes it.
    return last;
}
