// SpawnTable -- a weighted table of database records by level: entries in database order and the weight total of every level.
#include "server/spawn/SpawnTable.h"

#include <algorithm>
#include <cmath>

int32_t SpawnTable::ClampLevel(int32_t level)
{
    return std::clamp(level, 1, kMaxLevel);
}

void SpawnTable::Add(const DatabaseEntry* definition, float weight, int32_t minLevel, int32_t maxLevel)
{
    SpawnEntry entry;
    entry.definition = definition;
    entry.weight = std::isfinite(weight) && weight > 0.0f ? weight : 0.0f;
    entry.maxLevel = ClampLevel(maxLevel);
    entry.minLevel = std::clamp(minLevel, 1, entry.maxLevel);
    for (int32_t level = entry.minLevel; level <= entry.maxLevel; ++level)
        totals[static_cast<size_t>(level)] += entry.weight;
    entries.push_back(entry);
}

void SpawnTable::Clear()
{
    entries.clear();
    entries.shrink_to_fit();
    totals.fill(0.0f);
}

float SpawnTable::GetTotal(int32_t level) const
{
    return totals[static_cast<size_t>(ClampLevel(level))];
}

const SpawnEntry* SpawnTable::Pick(int32_t level, float r) const
{
    level = ClampLevel(level);
    float target = r * GetTotal(level);
    float sum = 0.0f;
    for (const SpawnEntry& entry : entries) {
        if (!entry.Covers(level))
            continue;
        sum += entry.weight;
        if (target <= sum)
            return &entry;
    }
    return nullptr;
}
