// SpawnTable -- a weighted table of database records by level: entries in database order and the weight total of every level.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

class DatabaseEntry;

struct SpawnEntry {
    const DatabaseEntry* definition = nullptr;
    float weight = 0.0f;
    int32_t minLevel = 0;
    int32_t maxLevel = 0;

    bool Covers(int32_t level) const { return minLevel <= level && level <= maxLevel; }
};

class SpawnTable {
public:
    static constexpr int32_t kMaxLevel = 105;

    // The maximum level is taken into 1..105 and the minimum into 1..maximum; a negative or
    // non-finite weight counts as 0 (it would spoil every total it touched). The entry is kept
    // even when its weight is 0.
    void Add(const DatabaseEntry* definition, float weight, int32_t minLevel, int32_t maxLevel);
    void Clear();

    // The level is taken into 1..105; r (0..1) times that level's total, then the first covering
    // entry whose running sum reaches it. Null for an empty table or a level no entry covers.
    const SpawnEntry* Pick(int32_t level, float r) const;

    float GetTotal(int32_t level) const;
    const std::vector<SpawnEntry>& GetEntries() const { return entries; }
    bool IsEmpty() const { return entries.empty(); }

    static int32_t ClampLevel(int32_t level);

private:
    std::vector<SpawnEntry> entries;
    // Index 0 is never filled.
    std::array<float, kMaxLevel + 1> totals{};
};
