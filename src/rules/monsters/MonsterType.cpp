// MonsterType -- one kind of monster: its archetype and actor record, names, rarity, level window and linked versions.
#include "rules/monsters/MonsterType.h"

#include "core/DatabaseEntry.h"
#include "core/RandomSystem.h"
#include "rules/GameData.h"
#include "rules/monsters/MonsterArchetype.h"
#include "rules/monsters/MonsterDefinition.h"

#include <algorithm>

namespace {

int32_t LevelShift()
{
    return gGameData ? gGameData->GetMonsterLevelShift() : 0;
}

} // namespace

void MonsterType::Load(const DatabaseEntry* newEntry)
{
    *this = MonsterType();
    entry = newEntry;
    if (!entry)
        return;
    archetypeName = entry->GetString("Archetype");
    definitionName = entry->GetString("Definition");
    baseTypeName = entry->GetString("BaseType");
    nextVariantName = entry->GetString("NextVariant");
    legendTypeName = entry->GetString("LegendType");
    entry->GetStringList("Version", versionNames, true, true);
    name = entry->GetString("Name", entry->GetName());
    pluralName = entry->GetString("PluralName");
    title = entry->GetString("Title");
    rarity = GetMonsterRarityByName(entry->GetString("Rarity"));
    baseMinLevel = entry->GetInt("MinLevel");
    baseMaxLevel = entry->GetInt("MaxLevel");
    factionName = entry->GetString("FactionName");
    excluded = entry->GetInt("Excluded") != 0;
    vendor = entry->GetInt("Vendor") != 0;
    renegade = entry->GetInt("Renegade") != 0;
    thief = entry->GetInt("Thief") != 0;
    traitS = entry->GetInt("TraitS", 1) != 0;
    size = entry->GetFloat("Size", 0.0f);
    questItemAmount = entry->GetInt("QuestItemAmount");
    entry->GetStringList("Enhancement", enhancements, true, false);
    entry->GetStringList("Skill", skills, true, false);
    entry->GetIntList("HideSurface", hiddenSurfaces, true, false);
}

std::array<std::span<const int32_t>, 2> MonsterType::GetHiddenSurfaces() const
{
    std::span<const int32_t> record;
    if (definition)
        record = definition->hiddenSurfaces;
    return {std::span<const int32_t>(hiddenSurfaces), record};
}

int32_t MonsterType::GetMinLevel() const
{
    return baseMinLevel + LevelShift();
}

int32_t MonsterType::GetMaxLevel() const
{
    return baseMaxLevel + LevelShift();
}

std::string MonsterType::GetFactionName() const
{
    if (!factionName.empty() || !archetype)
        return factionName;
    return archetype->factionName;
}

MonsterType* MonsterType::GetVersion(int32_t i) const
{
    return i >= 0 && static_cast<size_t>(i) < versions.size() ? versions[static_cast<size_t>(i)] : nullptr;
}

MonsterType* MonsterType::PickRandomVersion() const
{
    if (versions.empty())
        return nullptr;
    if (!gRandomSystem)
        return versions.front();
    return GetVersion(gRandomSystem->RandomInt(RandomStream::GameData, static_cast<int32_t>(versions.size())));
}

bool MonsterType::IsUniqueOrLegend() const
{
    return rarity == MonsterRarity::Unique || rarity == MonsterRarity::Legend;
}

int32_t PackMonsterKillInfo(int32_t level, int32_t rarity, int32_t furtherLevel)
{
    auto byte = [](int32_t value) { return static_cast<uint32_t>(std::clamp(value, 0, 255)); };
    return static_cast<int32_t>(byte(level) | byte(rarity) << 8 | byte(furtherLevel) << 16);
}
