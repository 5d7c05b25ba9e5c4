// ItemRecords -- the game data's item and affix records and the item tuning values, with their look-ups.
#pragma once

#include "core/EngineEnums.h"
#include "rules/RecordList.h"
#include "rules/items/ItemDefinition.h"
#include "rules/items/MagicModifier.h"

#include <array>
#include <string_view>

class Database;
class DatabaseEntry;

// "GameSystem" keys of the item arithmetic (rules/items/ItemFormulas.cpp), each with its default:
// "ItemQualityValueMult" + an "ItemRarity" name (1.0): the value factor of a quality;
// "ItemQualityStatMult" + an "ItemRarity" name (1.0): the factor on a quality's base armour,
// defense and damage; "ItemPriceFactor" (1.0): price = value x this; "GuardCostPerLevel" (0.0):
// a guard's upkeep per level of its guard record.
struct ItemTuning {
    ItemTuning();
    // A null entry keeps the defaults.
    void Load(const DatabaseEntry* gameSystem);

    std::array<float, ItemRarity::kCount> qualityValueMult{};
    std::array<float, ItemRarity::kCount> qualityStatMult{};
    float priceFactor = 1.0f;
    float guardCostPerLevel = 0.0f;
};

class ItemRecords {
public:
    // Item definitions are the "Item" records, then the "QuestItem" records, each in database
    // order; affixes are the "MagicModifier" records.
    void Load(const Database& database, const DatabaseEntry* gameSystem);

    const ItemDefinition* FindItemDefinition(const DatabaseEntry* entry) const { return items.FindByEntry(entry); }
    const ItemDefinition* FindItemDefinition(std::string_view name) const { return items.FindByName(name); }
    const MagicModifier* FindMagicModifier(const DatabaseEntry* entry) const { return affixes.FindByEntry(entry); }
    const MagicModifier* FindMagicModifier(std::string_view name) const { return affixes.FindByName(name); }
    const RecordList<ItemDefinition>& GetItemDefinitions() const { return items; }
    const RecordList<MagicModifier>& GetMagicModifiers() const { return affixes; }
    const ItemTuning& GetTuning() const { return tuning; }

private:
    RecordList<ItemDefinition> items;
    RecordList<MagicModifier> affixes;
    ItemTuning tuning;
};
