// WorldRowLayout -- the stand-in world layout: each section's areas side by side in one row, with their dungeons below.
#include "world/WorldRowLayout.h"

#include "core/Database.h"
#include "core/RandomSystem.h"
#include "world/AreaDefinition.h"
#include "world/LayoutGrid.h"
#include "world/World.h"
#include "world/WorldSection.h"

#include <algorithm>
#include <memory>
#include <vector>

namespace {

// Levels hang below levels at most this deep: an "AreaDown" that names its own area would
// otherwise chain forever.
constexpr int32_t kRowLayoutMaxDepth = 16;

int32_t RowLayoutRandomIn(int32_t low, int32_t high)
{
    return gRandomSystem ? gRandomSystem->RandomIndex(RandomStream::BlockPoints, low, high) : low;
}

float RowLayoutDraw()
{
    return gRandomSystem ? gRandomSystem->RandomFloat(RandomStream::BlockPoints) : 0.0f;
}

std::unique_ptr<Level> RowLayoutNewLevel(AreaDefinition* area, WorldSection& section)
{
    auto level = std::make_unique<Level>();
    level->area = area;
    level->section = &section;
    return level;
}

AreaDefinition* RowLayoutPickFreeDungeon(WorldSection& section)
{
    if (section.freeDungeonCount <= 0)
        return nullptr;
    int32_t k = RowLayoutRandomIn(0, section.freeDungeonCount - 1);
    for (auto& dungeon : section.dungeons) {
        if (dungeon->used)
            continue;
        if (k-- == 0) {
            dungeon->used = true;
            --section.freeDungeonCount;
            return dungeon.get();
        }
    }
    return nullptr;
}

// n levels of the area, each below the one before, the first below the parent.
Level* RowLayoutHangChain(World& world, Level* parent, AreaDefinition* area, WorldSection& section, bool detached)
{
    int32_t count = RowLayoutRandomIn(area->minDepth, area->maxDepth);
    area->used = true;
    for (int32_t i = 0; i < count && parent->depth < kRowLayoutMaxDepth; ++i) {
        auto level = RowLayoutNewLevel(area, section);
        level->depth = parent->depth + 1;
        if (!detached) {
            level->column = parent->column;
            level->row = parent->row;
        }
        parent = world.AddSubLevel(parent, std::move(level));
        area->levels.push_back(parent);
        ++section.levelCount;
    }
    return parent;
}

void RowLayoutFollowLinks(World& world, Level* level, WorldSection& section)
{
    AreaDefinition* area = level->area;
    if (!area || level->depth >= kRowLayoutMaxDepth)
        return;
    if (!area->areaDown.empty() && gDatabase) {
        if (const DatabaseEntry* entry = gDatabase->FindEntryByName(area->areaDown)) {
            auto below = std::make_unique<AreaDefinition>();
            below->Load(entry);
            below->section = &section;
            Level* last = RowLayoutHangChain(world, level, below.get(), section, false);
            section.linkedAreas.push_back(std::move(below));
            if (last != level)
                RowLayoutFollowLinks(world, last, section);
        }
    }
    if (area->dungeonChance > RowLayoutDraw()) {
        if (AreaDefinition* dungeon = RowLayoutPickFreeDungeon(section)) {
            Level* last = RowLayoutHangChain(world, level, dungeon, section, true);
            if (last != level)
                RowLayoutFollowLinks(world, last, section);
        }
    }
}

void RowLayoutSection(World& world, WorldSection& section)
{
    LayoutGrid& grid = *world.GetLayoutGrid();
    section.firstRow = grid.GetRowCount();
    section.lastRow = section.firstRow - 1;
    std::vector<AreaDefinition*> placed;
    if (section.startArea)
        placed.push_back(section.startArea.get());
    for (auto& area : section.areas) {
        area->pathArea = true;
        placed.push_back(area.get());
    }
    section.freeAreaCount = 0;
    if (section.endArea)
        placed.push_back(section.endArea.get());
    std::vector<int32_t> widths;
    int32_t total = 0;
    for (AreaDefinition* area : placed) {
        int32_t width = 0;
        int32_t height = 0;
        area->RollSize(width, height);
        widths.push_back(std::max(width, 1));
        total += widths.back();
    }
    int32_t row = section.firstRow;
    if (row >= grid.GetHeight())
        return;
    int32_t column = std::max(0, (grid.GetWidth() - total) / 2);
    Level* previous = nullptr;
    for (size_t i = 0; i < placed.size(); ++i) {
        AreaDefinition* area = placed[i];
        Level* last = nullptr;
        for (int32_t n = 0; n < widths[i] && column < grid.GetWidth(); ++n, ++column) {
            last = world.AddLevelToGrid(row, column, RowLayoutNewLevel(area, section), true);
            area->levels.push_back(last);
            area->used = true;
            ++section.levelCount;
            world.ConnectLevels(previous, last, LevelJoin::Passage);
            previous = last;
            section.lastRow = row;
        }
        if (last)
            RowLayoutFollowLinks(world, last, section);
    }
}

} // namespace

namespace WorldRowLayout {

void LayOut(World& world)
{
    if (!world.GetLayoutGrid())
        return;
    for (auto& section : world.GetSections())
        RowLayoutSection(world, *section);
}

void Finish(World& world)
{
    for (auto& section : world.GetSections()) {
        for (auto& area : section->areas)
            area->PlaceGate();
        for (AreaDefinition* fixedArea : {section->startArea.get(), section->endArea.get()}) {
            if (fixedArea)
                fixedArea->PlaceGate();
        }
    }
}

} // namespace WorldRowLayout
