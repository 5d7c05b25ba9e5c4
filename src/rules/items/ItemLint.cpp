// ItemLint -- the content checks of item and affix records: names, bag sizes, guards, relic factors and stat ranges.
#include "rules/items/ItemLint.h"

#include "core/Database.h"
#include "core/DatabaseEntry.h"
#include "core/StringUtil.h"
#include "rules/ContentLint.h"
#include "rules/items/InventoryBase.h"
#include "rules/items/ItemDefinition.h"

#include <vector>

void CheckItemRecord(ContentLint& lint, const DatabaseEntry& entry)
{
    if (entry.GetString("Name").empty())
        lint.Report(entry, "Name is empty");
    int32_t type = GetItemTypeByName(entry.GetString("ItemType"));
    int32_t bagSize = entry.GetInt("BagSize");
    if (type == ItemType::Bag && (bagSize < 1 || bagSize > InventoryBase::kMaxBagSlots))
        lint.Report(entry, StringFormat("BagSize %d is outside 1..%d", bagSize, InventoryBase::kMaxBagSlots));
    // A weapon's pace divides its damage into a rate and scales the power each hit gives: without
    // one the wielder deals no damage per second and gains no power from hits.
    bool weapon = type == ItemType::HandPrimary || type == ItemType::HandEither || type == ItemType::HandBoth ||
                  type == ItemType::Ranged;
    if (weapon && !(entry.GetFloat("Speed", 0.0f) > 0.0f))
        lint.Report(entry, "a weapon's Speed (seconds between blows) is not above 0");
    if (type == ItemType::Guard) {
        const DatabaseEntry* guard = gDatabase ? gDatabase->FindEntryByName(entry.GetString("Guard")) : nullptr;
        if (!guard || guard->GetType() != DatabaseEntryType::MonsterType)
            lint.Report(entry, "Guard names no monster type");
    }
    std::vector<float> factors;
    entry.GetFloatList("RelicBonusPerLevel", factors, true, true);
    if (factors.size() > ItemDefinition::kRelicFactorCount)
        lint.Report(entry, StringFormat("%zu RelicBonusPerLevel lines, more than %d", factors.size(),
                                        ItemDefinition::kRelicFactorCount));
    int32_t maxLevel = entry.GetInt("MaxLevel");
    if (maxLevel > 0 && maxLevel < entry.GetInt("MinLevel"))
        lint.Report(entry, "MaxLevel is below MinLevel");
    for (const char* key : {"StatusEffect", "PartialBonusStatusEffect", "FullBonusStatusEffect"})
        lint.CheckRecordOfType(entry, key, DatabaseEntryType::StatusEffect, "status effect");
    lint.CheckRecordOfType(entry, "OnUseSkill", DatabaseEntryType::Skill, "skill");
}

void CheckMagicModifierRecord(ContentLint& lint, const DatabaseEntry& entry)
{
    if (entry.GetString("Name").empty())
        lint.Report(entry, "Name is empty");
    std::vector<StatRange> ranges;
    ReadStatRanges(entry, ranges);
    if (ranges.empty())
        lint.Report(entry, "changes no stat");
    for (const StatRange& range : ranges) {
        if (range.min > range.max)
            lint.Report(entry, StringFormat("StatChange%s runs from %d down to %d",
                                            GetCharacterStatName(range.stat, false).c_str(), range.min, range.max));
    }
}
