// WorldLayout -- lays an adventure's sections out on the layout grid: start, path and end areas, extra areas, holes, linked areas and dungeons.
#include "world/WorldLayout.h"

#include "core/Database.h"
#include "core/DebugSystem.h"
#include "core/RandomSystem.h"
#include "world/AreaDefinition.h"
#include "world/LayoutGrid.h"
#include "world/Level.h"
#include "world/World.h"
#include "world/WorldSection.h"
#include "world/WorldSize.h"

#include <algorithm>
#include <cmath>
#include <memory>

namespace {

std::unique_ptr<Level> LayoutNewLevel(AreaDefinition* area, WorldSection& section)
{
    auto level = std::make_unique<Level>();
    level->area = area;
    level->section = &section;
    return level;
}

// An area is at least one level each way: a record without sizes still gets its level.
void LayoutRollSize(const AreaDefinition& area, int32_t& width, int32_t& height)
{
    area.RollSize(width, height);
    width = std::max(width, 1);
    height = std::max(height, 1);
}

} // namespace

WorldLayout::WorldLayout(World& world, LayoutGrid& grid, const WorldSize& size)
    : world(world), grid(grid), size(size),
      claimed(static_cast<size_t>(grid.GetWidth()) * static_cast<size_t>(grid.GetHeight()), false)
{
}

int32_t WorldLayout::RandomBelow(int32_t n) const
{
    if (n <= 1 || !gRandomSystem)
        return 0;
    return gRandomSystem->RandomInt(RandomStream::BlockPoints, n);
}

int32_t WorldLayout::RandomIn(int32_t low, int32_t high) const
{
    return high <= low ? low : low + RandomBelow(high - low + 1);
}

float WorldLayout::Draw() const
{
    return DrawRandomFloat(RandomStream::BlockPoints);
}

void WorldLayout::LayOutSection(WorldSection& section)
{
    section.firstRow = grid.GetRowCount();
    section.lastRow = section.firstRow - 1;
    int32_t startHeight = 0;
    if (AreaDefinition* start = section.startArea.get()) {
        int32_t width = 0;
        LayoutRollSize(*start, width, startHeight);
        PlaceBelow(section, start, width, startHeight);
    }
    int32_t endWidth = 0;
    int32_t endHeight = 0;
    if (section.endArea)
        LayoutRollSize(*section.endArea, endWidth, endHeight);
    PlacePathAreas(section, startHeight, endHeight);
    if (section.endArea)
        PlaceBelow(section, section.endArea.get(), endWidth, endHeight);
    PlaceExtraAreas(section);
    FillHoles(section);
}

void WorldLayout::PlacePathAreas(WorldSection& section, int32_t startHeight, int32_t endHeight)
{
    int32_t remaining = size.sectionLevelDepth - startHeight - endHeight;
    while (remaining > 0) {
        AreaDefinition* area = section.PickFreeArea(false);
        if (!area)
            return;
        area->pathArea = true;
        int32_t width = 0;
        int32_t height = 0;
        LayoutRollSize(*area, width, height);
        height = std::min(height, remaining);
        PlaceBelow(section, area, width, height);
        remaining -= height;
    }
}

void WorldLayout::PlaceExtraAreas(WorldSection& section)
{
    int32_t wanted = static_cast<int32_t>(std::ceil(size.sectionMinLevelsMult * static_cast<float>(section.minLevels)));
    bool extraStartPlaced = false;
    while (section.levelCount < wanted) {
        AreaDefinition* area = section.PickFreeArea(false);
        if (!area)
            return;
        area->pathArea = false;
        int32_t width = 0;
        int32_t height = 0;
        LayoutRollSize(*area, width, height);
        if (section.needExtraStartArea && !extraStartPlaced) {
            extraStartPlaced = PlaceExtraStart(section, area, width, height);
            continue;
        }
        int32_t column = 0;
        int32_t row = 0;
        // No place found: the area stays used and the next one is tried.
        if (FindPlaceBeside(section, width, height, column, row))
            PlaceArea(section, area, column, row, width, height, false);
    }
}

bool WorldLayout::PlaceExtraStart(WorldSection& section, AreaDefinition* area, int32_t width, int32_t height)
{
    int32_t row = section.firstRow;
    bool left = Draw() < 0.5f;
    int32_t bound = left ? grid.GetLeftBound(row) : grid.GetRightBound(row);
    if (bound < 0)
        bound = grid.GetWidth() / 2;
    // The area lies beside the row's levels: on the left its right edge is the bound, on the
    // right its left edge, so it never covers the levels it stands beside.
    int32_t column = left ? bound - width + 1 : bound;
    // Beside a row that has no room left it is simply not placed.
    if (!RectInSection(section, row, height) || !RectFree(column, row, width, height))
        return false;
    return PlaceArea(section, area, column, row, width, height, false);
}

void WorldLayout::FillHoles(WorldSection& section)
{
    int32_t holes = CountHoles(section);
    while (holes > 0) {
        AreaDefinition* area = section.PickFreeArea(false);
        if (!area)
            return;
        area->pathArea = false;
        int32_t column = 0;
        int32_t row = 0;
        int32_t width = 0;
        int32_t height = 0;
        if (!FindHole(section, column, row, width, height))
            return;
        if (!PlaceArea(section, area, column, row, width, height, false))
            return;
        holes -= width * height;
    }
}

bool WorldLayout::IsFree(int32_t column, int32_t row) const
{
    if (column < 0 || row < 0 || column >= grid.GetWidth() || row >= grid.GetHeight())
        return false;
    return !claimed[static_cast<size_t>(row * grid.GetWidth() + column)] && !world.GetGridCell(column, row);
}

void WorldLayout::Claim(int32_t column, int32_t row)
{
    if (column >= 0 && row >= 0 && column < grid.GetWidth() && row < grid.GetHeight())
        claimed[static_cast<size_t>(row * grid.GetWidth() + column)] = true;
}

bool WorldLayout::RectFree(int32_t column, int32_t row, int32_t width, int32_t height) const
{
    if (width < 1 || height < 1)
        return false;
    for (int32_t y = row; y < row + height; ++y) {
        for (int32_t x = column; x < column + width; ++x) {
            if (!IsFree(x, y))
                return false;
        }
    }
    return true;
}

bool WorldLayout::RectInSection(const WorldSection& section, int32_t row, int32_t height) const
{
    return row >= section.firstRow && row + height - 1 <= section.lastRow;
}

bool WorldLayout::RectInSpans(int32_t column, int32_t row, int32_t width, int32_t height) const
{
    for (int32_t y = row; y < row + height; ++y) {
        int32_t first = 0;
        int32_t last = -1;
        grid.GetSpan(y, first, last);
        if (column < first || column + width - 1 > last)
            return false;
    }
    return true;
}

bool WorldLayout::PlaceArea(WorldSection& section, AreaDefinition* area, int32_t column, int32_t row, int32_t width,
                            int32_t height, bool path)
{
    // A placement that would leave the grid or cover a level is refused whole.
    if (!area || !RectFree(column, row, width, height)) {
        DebugSystem::Print(kPrintWarning, "Area %s doesn't fit at %d, %d (%d x %d)\n", area ? area->name.c_str() : "",
                           column, row, width, height);
        return false;
    }
    Level* last = nullptr;
    for (int32_t y = row; y < row + height; ++y) {
        for (int32_t x = column; x < column + width; ++x) {
            last = world.AddLevelToGrid(y, x, LayoutNewLevel(area, section), path);
            Claim(x, y);
            area->levels.push_back(last);
            ++section.levelCount;
        }
        section.lastRow = std::max(section.lastRow, y);
    }
    area->used = true;
    RunLinks(section, last, true);
    return true;
}

bool WorldLayout::PlaceBelow(WorldSection& section, AreaDefinition* area, int32_t width, int32_t height)
{
    const int32_t w = grid.GetWidth();
    int32_t above = section.lastRow;
    int32_t lo = above == -1 || grid.GetPathLeft(above) == -1 ? w / 2 : grid.GetPathLeft(above);
    int32_t hi = above == -1 || grid.GetPathRight(above) == -1 ? w / 2 : grid.GetPathRight(above);
    int32_t first = std::max(lo - width + 1, 0);
    if (hi + width - 1 >= w)
        hi = w - width;
    // An area wider than the grid, or taller than the rows left, has no place.
    if (width > w || hi < first) {
        DebugSystem::Print(kPrintWarning, "Area %s (%d levels wide) doesn't fit the grid of %d\n", area->name.c_str(),
                           width, w);
        return false;
    }
    int32_t column = first + RandomBelow(hi - first + 1);
    return PlaceArea(section, area, column, above + 1, width, height, true);
}

bool WorldLayout::FindPlaceBeside(const WorldSection& section, int32_t width, int32_t height, int32_t& column,
                                  int32_t& row)
{
    const int32_t half = grid.GetWidth() / 2;
    auto orHalf = [half](int32_t value) { return value < 0 ? half : value; };
    std::vector<std::pair<int32_t, int32_t>> candidates;
    for (int32_t r = section.firstRow; r <= section.lastRow - height + 1; ++r) {
        int32_t pathLeft = orHalf(grid.GetPathLeft(r));
        int32_t pathRight = orHalf(grid.GetPathRight(r));
        int32_t leftBound = orHalf(grid.GetLeftBound(r));
        int32_t rightBound = orHalf(grid.GetRightBound(r));
        for (int32_t edge = pathLeft - 1; edge >= leftBound; --edge) {
            if (RectFree(edge - width + 1, r, width, height))
                candidates.emplace_back(edge - width + 1, r);
        }
        for (int32_t edge = pathRight + 1; edge <= rightBound; ++edge) {
            if (RectFree(edge, r, width, height))
                candidates.emplace_back(edge, r);
        }
    }
    if (candidates.empty())
        return false;
    auto [c, r] = candidates[static_cast<size_t>(RandomBelow(static_cast<int32_t>(candidates.size())))];
    column = c;
    row = r;
    return true;
}

int32_t WorldLayout::CountHoles(const WorldSection& section) const
{
    int32_t count = 0;
    for (int32_t r = section.firstRow; r <= section.lastRow; ++r) {
        int32_t first = 0;
        int32_t last = -1;
        grid.GetSpan(r, first, last);
        for (int32_t c = first; c <= last; ++c)
            count += IsFree(c, r) ? 1 : 0;
    }
    return count;
}

bool WorldLayout::FindHole(const WorldSection& section, int32_t& column, int32_t& row, int32_t& width,
                           int32_t& height) const
{
    for (int32_t r = section.firstRow; r <= section.lastRow; ++r) {
        int32_t first = 0;
        int32_t last = -1;
        grid.GetSpan(r, first, last);
        for (int32_t c = first; c <= last; ++c) {
            if (!IsFree(c, r))
                continue;
            column = c;
            row = r;
            width = 1;
            height = 1;
            auto fits = [&](int32_t w, int32_t h) {
                return RectFree(c, r, w, h) && RectInSection(section, r, h) && RectInSpans(c, r, w, h);
            };
            for (bool grew = true; grew;) {
                grew = false;
                if (fits(width, height + 1)) {
                    ++height;
                    grew = true;
                }
                if (fits(width + 1, height)) {
                    ++width;
                    grew = true;
                }
            }
            return true;
        }
    }
    return false;
}

// ---- Links and dungeons ------------------------------------------------------------------------

void WorldLayout::RunLinks(WorldSection& section, Level* level, bool dungeonChance)
{
    if (!level)
        return;
    // A stack in the order the recursion would take: a level's links, then its dungeon chance.
    std::vector<LinkWork> pending;
    if (dungeonChance)
        pending.push_back({LinkStep::DungeonChance, level, 0});
    pending.push_back({LinkStep::Follow, level, 0});
    while (!pending.empty()) {
        LinkWork work = pending.back();
        pending.pop_back();
        if (work.depth > kMaxLinkDepth) {
            WarnDepth(*work.level);
            continue;
        }
        if (work.step == LinkStep::Follow)
            FollowLinks(section, work, pending);
        else
            GiveDungeonChance(section, work, pending);
    }
}

void WorldLayout::WarnDepth(const Level& level)
{
    if (warnedDepth)
        return;
    warnedDepth = true;
    DebugSystem::Print(kPrintWarning, "Area links from %s go more than %d deep: the rest are not followed\n",
                       level.area ? level.area->name.c_str() : "", kMaxLinkDepth);
}

AreaDefinition* WorldLayout::MakeLinkedArea(WorldSection& section, const std::string& name)
{
    const DatabaseEntry* entry = gDatabase && !name.empty() ? gDatabase->FindEntryByName(name) : nullptr;
    if (!entry)
        return nullptr;
    auto area = std::make_unique<AreaDefinition>();
    area->Load(entry);
    area->section = &section;
    area->used = true;
    section.linkedAreas.push_back(std::move(area));
    return section.linkedAreas.back().get();
}

void WorldLayout::FollowLinks(WorldSection& section, const LinkWork& work, std::vector<LinkWork>& pending)
{
    const AreaDefinition* area = work.level->area;
    if (!area)
        return;
    // Pushed east to north, the side links run north, south, west, east, after the chain below.
    for (int32_t direction : {3, 7, 5, 1})
        FollowSideLink(section, work, direction, pending);
    if (AreaDefinition* below = MakeLinkedArea(section, area->areaDown)) {
        // A chain's own links are followed from its deepest level only, so a chain never branches.
        Level* last = HangChain(section, work.level, below, false);
        if (last != work.level)
            pending.push_back({LinkStep::Follow, last, work.depth + 1});
    }
}

void WorldLayout::FollowSideLink(WorldSection& section, const LinkWork& work, int32_t direction,
                                 std::vector<LinkWork>& pending)
{
    const AreaDefinition& area = *work.level->area;
    const std::string& name = direction == 1   ? area.areaNorth
                              : direction == 5 ? area.areaSouth
                              : direction == 7 ? area.areaWest
                                               : area.areaEast;
    LevelStep step = LevelStepOfDirection(direction);
    int32_t column = work.level->column + step.dx;
    int32_t row = work.level->row + step.dy;
    // Only a level on the grid has cells beside it; a cell already taken (a link back to where
    // the chain came from among them) ends the link.
    if (name.empty() || work.level->depth != 0 || work.level->column < 0 || !IsFree(column, row))
        return;
    AreaDefinition* linked = MakeLinkedArea(section, name);
    if (!linked)
        return;
    auto made = LayoutNewLevel(linked, section);
    made->column = column;
    made->row = row;
    Level* level = world.AddLevel(std::move(made));
    Claim(column, row);
    linked->levels.push_back(level);
    ++section.levelCount;
    world.ConnectLevels(work.level, level, LevelJoin::Open);
    pending.push_back({LinkStep::DungeonChance, level, work.depth + 1});
    pending.push_back({LinkStep::Follow, level, work.depth + 1});
}

void WorldLayout::GiveDungeonChance(WorldSection& section, const LinkWork& work, std::vector<LinkWork>& pending)
{
    const AreaDefinition* area = work.level->area;
    if (!area || !(area->dungeonChance > Draw()))
        return;
    AreaDefinition* dungeon = section.PickFreeArea(true);
    if (!dungeon)
        return;
    Level* last = HangChain(section, work.level, dungeon, true);
    if (last != work.level)
        pending.push_back({LinkStep::Follow, last, work.depth + 1});
}

Level* WorldLayout::HangChain(WorldSection& section, Level* parent, AreaDefinition* area, bool detached)
{
    int32_t count = RandomIn(area->minDepth, area->maxDepth);
    for (int32_t i = 0; i < count; ++i) {
        if (parent->depth >= kMaxSubLevelDepth) {
            WarnDepth(*parent);
            break;
        }
        auto level = LayoutNewLevel(area, section);
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
