// ItemRecords -- the game data's item and affix records and the item tuning values, with their look-ups.
#include "rules/items/ItemRecords.h"

#include "core/Database.h"
#include "core/DatabaseEntry.h"

#include <memory>

namespace {

void ReadByQuality(const DatabaseEntry& entry, std::string_view key, std::array<float, ItemRarity::kCount>& out)
{
    const EnumTable* names = EnumTable::Find("ItemRarity");
    for (int32_t quality = 0; quality < ItemRarity::kCount; ++quality)
        out[quality] = entry.GetFloat(std::string(key) + names->GetName(quality), out[quality]);
}

} // namespace

ItemTuning::ItemTuning()
{
    qualityValueMult.fill(1.0f);
    qualityStatMult.fill(1.0f);
}

void ItemTuning::Load(const DatabaseEntry* gameSystem)
{
    *this = ItemTuning();
    if (!gameSystem)
        return;
    ReadByQuality(*gameSystem, "ItemQualityValueMult", qualityValueMult);
    ReadByQuality(*gameSystem, "ItemQualityStatMult", qualityStatMult);
    priceFactor = gameSystem->GetFloat("ItemPriceFactor", priceFactor);
    guardCostPerLevel = gameSystem->GetFloat("GuardCostPerLevel", guardCostPerLevel);
}

void ItemRecords::Load(const Database& database, const DatabaseEntry* gameSystem)
{
    items.Load(database, DatabaseEntryType::Item);
    for (const DatabaseEntry* entry = database.GetNextEntryOfType(DatabaseEntryType::QuestItem); entry;
         entry = database.GetNextEntryOfType(DatabaseEntryType::QuestItem, entry)) {
        auto definition = std::make_unique<ItemDefinition>();
        definition->SetEntry(entry);
        items.Add(std::move(definition));
    }
    affixes.Load(database, DatabaseEntryType::MagicModifier);
    tuning.Load(gameSystem);
}
