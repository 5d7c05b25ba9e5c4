// MonsterEnhancement -- a "MonsterEnhancement" record: an enchantment the spawn system lays on monsters, as a status effect.
#pragma once

#include "core/SimpleData.h"

#include <cstdint>

// The effect itself is the record read as a status effect; this is what spawning asks of it.
class MonsterEnhancement : public SimpleData {
public:
    // The spawn tables, in the order they are decided: "NpcOnly" first, then the
    // "EnhancementType" compared with "Minor" and "Major" without regard to case.
    enum class Table { Npc, Minor, Major, Other };

    void Load(const DatabaseEntry* entry) override;

    // Both bounds inclusive.
    bool HoldsLevel(int32_t level) const { return minLevel <= level && level <= maxLevel; }

    float spawnChance = 0.0f;
    int32_t minLevel = 0;
    int32_t maxLevel = 0;
    Table table = Table::Other;
};
