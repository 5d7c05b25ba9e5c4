// MagicModifier -- an affix record: a prefix or suffix that adds rolled stat values to an item and renames it.
#pragma once

#include "core/EngineEnums.h"
#include "core/SimpleData.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The item kinds an affix may join. The game names the table ("MagicRequirement") but gives no
// names for it; these are ours.
#define EMBERLODE_MAGIC_REQUIREMENT(X) X(None) X(Weapon) X(Armor) X(Shield) X(Jewelry) X(Wearable)

EMBERLODE_DECLARE_ENUM(MagicRequirement, EMBERLODE_MAGIC_REQUIREMENT, 6, None)

// The table's default for an unknown name, which is logged.
int32_t GetMagicRequirementByName(std::string_view name);

// One stat a record changes: "StatChange" + a CharacterStat name, then one number (a fixed
// value) or two (the range an affix's strength picks from).
struct StatRange {
    int32_t stat = CharacterStat::None;
    int32_t min = 0;
    int32_t max = 0;
};

// Appends a StatRange for every stat 0..Num-1 the entry changes, in stat order.
void ReadStatRanges(const DatabaseEntry& entry, std::vector<StatRange>& out);

// Record keys: "Name" (the display name: text with localisation tokens), "Prefix" (flag; a suffix without it), "MinLevel"
// and "ItemLevel" (the level requirement it gives an item), "MagicRequirement", "ValueBonus"
// (float, added to an item's value factor), "StatChange" + stat. The spawn tables read
// "SpawnChance" and "AvailableAtMaxLevel" through the entry.
class MagicModifier : public SimpleData {
public:
    void Load(const DatabaseEntry* entry) override;

    // A strength for a new affix, uniform in [0, 1) from random stream 0 (0 without the system).
    static float RollStrength();
    // range.min + strength x (max - min), to the nearest integer; strength is taken into 0..1.
    static int32_t ValueAt(const StatRange& range, float strength);

    const std::string& GetDisplayName() const { return displayName; }
    bool IsPrefix() const { return prefix; }
    int32_t GetMinLevel() const { return minLevel; }
    int32_t GetItemLevel() const { return itemLevel; }
    int32_t GetMagicRequirement() const { return magicRequirement; }
    float GetValueBonus() const { return valueBonus; }
    const std::vector<StatRange>& GetStatRanges() const { return statRanges; }

private:
    std::string displayName;
    bool prefix = false;
    int32_t minLevel = 0;
    int32_t itemLevel = 0;
    int32_t magicRequirement = MagicRequirement::None;
    float valueBonus = 0.0f;
    std::vector<StatRange> statRanges;
};
