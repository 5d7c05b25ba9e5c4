// Attachment -- an "Attachment" record: alternative models to hang on a tag of an entity's model, one picked at random.
#include "rules/monsters/Attachment.h"

#include "core/Database.h"
#include "core/DebugSystem.h"
#include "core/RandomSystem.h"
#include "core/StringUtil.h"

#include <cmath>
#include <sstream>

void Attachment::Load(const DatabaseEntry* newEntry)
{
    entry = newEntry;
    alternatives.clear();
    if (!entry)
        return;
    std::vector<std::string> lines;
    entry->GetStringList("Alternative", lines, true, true);
    for (const std::string& line : lines) {
        std::istringstream words(line);
        Alternative alternative;
        std::string scale;
        std::string record;
        words >> alternative.modelName >> alternative.tagName >> scale >> record;
        if (alternative.tagName.empty()) {
            DebugSystem::Print(kPrintError, "Attachment %s: alternative \"%s\" needs a model and a tag\n",
                               std::string(entry->GetName()).c_str(), line.c_str());
            continue;
        }
        if (!scale.empty()) {
            float value = ParseFloat(scale);
            alternative.scale = std::isfinite(value) && value > 0.0f ? value : 1.0f;
        }
        if (!record.empty()) {
            alternative.record = gDatabase ? gDatabase->FindEntryByName(record) : nullptr;
            if (!alternative.record)
                DebugSystem::Print(kPrintWarning, "Attachment %s: no record %s\n",
                                   std::string(entry->GetName()).c_str(), record.c_str());
        }
        alternatives.push_back(std::move(alternative));
    }
}

const Attachment::Alternative* Attachment::PickRandom() const
{
    if (alternatives.empty())
        return nullptr;
    if (!gRandomSystem)
        return &alternatives.front();
    int32_t count = static_cast<int32_t>(alternatives.size());
    return &alternatives[static_cast<size_t>(gRandomSystem->RandomInt(RandomStream::GameData, count))];
}
