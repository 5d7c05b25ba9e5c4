// WorldSection -- one band of rows of the world: its start, end and free areas and dungeons, and the monster levels it spans.
#pragma once

#include "core/BaseClass.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class AreaDefinition;
class DatabaseEntry;

// Read from a "Section" record; the layout fills the rows and counts and takes the areas.
class WorldSection : public BaseClass {
public:
    WorldSection();
    ~WorldSection() override;
    WorldSection(const WorldSection&) = delete;
    WorldSection& operator=(const WorldSection&) = delete;

    // Names that are empty or name no entry are skipped.
    void Load(const DatabaseEntry& entry);
    // A random area (dungeon with the flag) not used yet, now flagged used; null when none is
    // left. Stream 1.
    AreaDefinition* PickFreeArea(bool dungeon);
    // The gate of each used area, then of the start and end areas.
    void Finish();

    int32_t lockedSize = 0;
    int32_t baseSize = 0;
    int32_t levelCount = 0;
    // -1 until placed; then the first row is the grid's row count when the section starts and
    // the last row one less, until rows are added.
    int32_t firstRow = -1;
    int32_t lastRow = -1;
    std::unique_ptr<AreaDefinition> startArea;
    std::unique_ptr<AreaDefinition> endArea;
    std::vector<std::unique_ptr<AreaDefinition>> areas;
    int32_t freeAreaCount = 0;
    std::vector<std::unique_ptr<AreaDefinition>> dungeons;
    int32_t freeDungeonCount = 0;
    // Areas the layout made of "AreaDown", "AreaNorth" ... names; owned here with the rest.
    std::vector<std::unique_ptr<AreaDefinition>> linkedAreas;
    int32_t monsterLevelsFromDepth = 0;
    float monsterLevelsFromWidth = 0.0f;
    int32_t lowestMonsterLevel = 0;
    int32_t highestMonsterLevel = 0;
    int32_t minLevels = 0;
    bool needExtraStartArea = false;

private:
    std::unique_ptr<AreaDefinition> MakeArea(const std::string& name);
};
