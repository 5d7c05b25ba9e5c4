// WorldSection -- one band of rows of the world: its start, end and free areas and dungeons, and the monster levels it spans.
#include "world/WorldSection.h"

#include "core/Database.h"
#include "core/DatabaseEntry.h"
#include "core/RandomSystem.h"
#include "world/AreaDefinition.h"

#include <string>

WorldSection::WorldSection() = default;
WorldSection::~WorldSection() = default;

std::unique_ptr<AreaDefinition> WorldSection::MakeArea(const std::string& name)
{
    const DatabaseEntry* entry = gDatabase && !name.empty() ? gDatabase->FindEntryByName(name) : nullptr;
    if (!entry)
        return nullptr;
    auto area = std::make_unique<AreaDefinition>();
    area->Load(entry);
    area->section = this;
    return area;
}

void WorldSection::Load(const DatabaseEntry& entry)
{
    lockedSize = entry.GetInt("LockedSize");
    baseSize = entry.GetInt("BaseSize");
    monsterLevelsFromDepth = entry.GetInt("MonsterLevelsFromDepth");
    monsterLevelsFromWidth = entry.GetFloat("MonsterLevelsFromWidth", 0.0f);
    startArea = MakeArea(entry.GetString("StartArea"));
    endArea = MakeArea(entry.GetString("EndArea"));
    for (AreaDefinition* fixedArea : {startArea.get(), endArea.get()}) {
        if (fixedArea)
            fixedArea->fixed = true;
    }
    std::vector<std::string> names;
    entry.GetStringList("Area", names, true, false);
    for (const std::string& name : names) {
        if (auto area = MakeArea(name))
            areas.push_back(std::move(area));
    }
    entry.GetStringList("Dungeon", names, true, false);
    for (const std::string& name : names) {
        if (auto dungeon = MakeArea(name))
            dungeons.push_back(std::move(dungeon));
    }
    freeAreaCount = static_cast<int32_t>(areas.size());
    freeDungeonCount = static_cast<int32_t>(dungeons.size());
    minLevels = entry.GetInt("MinLevels");
    needExtraStartArea = entry.GetInt("NeedExtraStartArea") != 0;
}

AreaDefinition* WorldSection::PickFreeArea(bool dungeon)
{
    int32_t& freeCount = dungeon ? freeDungeonCount : freeAreaCount;
    if (freeCount <= 0)
        return nullptr;
    int32_t k = gRandomSystem ? gRandomSystem->RandomInt(RandomStream::BlockPoints, freeCount) : 0;
    for (auto& area : dungeon ? dungeons : areas) {
        if (area->used)
            continue;
        if (k-- == 0) {
            area->used = true;
            --freeCount;
            return area.get();
        }
    }
    // The count said more were free than the list holds.
    freeCount = 0;
    return nullptr;
}

void WorldSection::Finish()
{
    for (auto& area : areas)
        area->PlaceGate();
    for (AreaDefinition* fixedArea : {startArea.get(), endArea.get()}) {
        if (fixedArea)
            fixedArea->PlaceGate();
    }
}
