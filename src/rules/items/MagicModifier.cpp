// MagicModifier -- an affix record: a prefix or suffix that adds rolled stat values to an item and renames it.
#include "rules/items/MagicModifier.h"

#include "core/DatabaseEntry.h"
#include "core/EnumTable.h"
#include "core/RandomSystem.h"
#include "core/StringUtil.h"

#include <algorithm>
#include <cmath>

namespace {

#define EMBERLODE_ENUM_TEXT(name) #name,
constexpr const char* kMagicRequirementNames[] = {EMBERLODE_MAGIC_REQUIREMENT(EMBERLODE_ENUM_TEXT)};
#undef EMBERLODE_ENUM_TEXT

const EnumTable* MagicRequirementTable()
{
    static const EnumTable* table =
        EnumTable::RegisterNames({"MagicRequirement", MagicRequirement::kDefault, kMagicRequirementNames});
    return table;
}

} // namespace

int32_t GetMagicRequirementByName(std::string_view name)
{
    return MagicRequirementTable()->Lookup(name);
}

void ReadStatRanges(const DatabaseEntry& entry, std::vector<StatRange>& out)
{
    for (int32_t stat = 0; stat < CharacterStat::Num; ++stat) {
        const DatabaseField* field = entry.FindField("StatChange" + GetCharacterStatName(stat, false));
        if (!field)
            continue;
        std::string_view text = field->value;
        size_t blank = text.find(' ');
        int32_t first = ParseInt(text);
        int32_t second = blank == std::string_view::npos ? first : ParseInt(text.substr(blank));
        out.push_back({stat, first, second});
    }
}

void MagicModifier::Load(const DatabaseEntry* newEntry)
{
    *this = MagicModifier();
    entry = newEntry;
    if (!entry)
        return;
    displayName = entry->GetString("Name");
    prefix = entry->GetInt("Prefix") != 0;
    minLevel = entry->GetInt("MinLevel");
    itemLevel = entry->GetInt("ItemLevel");
    magicRequirement = GetMagicRequirementByName(entry->GetString("MagicRequirement"));
    valueBonus = entry->GetFloat("ValueBonus", 0.0f);
    ReadStatRanges(*entry, statRanges);
}

float MagicModifier::RollStrength()
{
    return DrawRandomFloat();
}

int32_t MagicModifier::ValueAt(const StatRange& range, float strength)
{
    float s = std::isfinite(strength) ? std::clamp(strength, 0.0f, 1.0f) : 0.0f;
    double value = range.min + static_cast<double>(s) * (static_cast<double>(range.max) - range.min);
    return static_cast<int32_t>(std::lround(value));
}
