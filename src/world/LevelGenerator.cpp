// LevelGenerator -- makes a level's block grid from its seed and area file, and keeps its generated data while references hold it.
#include "world/LevelGenerator.h"

#include "core/DebugSystem.h"
#include "core/RandomSystem.h"
#include "resources/ResourceManager.h"
#include "world/AreaDefinition.h"
#include "world/AreaResource.h"
#include "world/Level.h"
#include "world/LevelData.h"
#include "world/LevelQueries.h"
#include "world/World.h"

#include <algorithm>
#include <deque>
#include <vector>

namespace {

bool GeneratorIsActiveKind(int32_t kind)
{
    return kind == kLevelReferenceActive || kind == kLevelReferenceActiveEditor;
}

// The block grid's usable width and height: the area's limits when set, else the whole grid.
int32_t GeneratorLimit(int32_t areaLimit, int32_t gridSize)
{
    return areaLimit >= 1 ? std::min(areaLimit, gridSize) : gridSize;
}

int32_t GeneratorBorderCode(const Level& level, int32_t side, int32_t position)
{
    size_t s = static_cast<size_t>(side);
    bool opening = level.sideKinds[s] == kLevelSidePassage && position == level.sideOpenings[s];
    return opening ? EdgeRequirement::kLevelExit : EdgeRequirement::kClosedLevelBorder;
}

// The edge of the block at (x, y) on a side; -1 for an empty place or one outside the grid.
int32_t GeneratorNeighbourEdge(const LevelData& data, const AreaResource& area, int32_t x, int32_t y, int32_t side)
{
    const LevelGeometry& g = data.geometry;
    if (x < 0 || y < 0 || x >= g.blocksPerRow || y >= g.blocksPerColumn)
        return -1;
    int32_t block = data.blockGrid[static_cast<size_t>(y * g.blocksPerRow + x)];
    return block < 0 ? -1 : area.GetEdge(block, side);
}

bool GeneratorEdgeCloses(const AreaResource& area, int32_t edge)
{
    const AreaEdgeRoles& roles = area.GetEdgeRoles();
    int32_t levelClosed = roles.Get(AreaEdgeRole::LevelEdgeClosed);
    int32_t closed = roles.Get(AreaEdgeRole::Closed);
    return (levelClosed >= 0 && edge == levelClosed) || (closed >= 0 && edge == closed);
}

// The place one step from (x, y) through a side: up, left, right, down.
void GeneratorStep(int32_t side, int32_t& x, int32_t& y)
{
    constexpr int32_t kDx[4] = {0, -1, 1, 0};
    constexpr int32_t kDy[4] = {1, 0, 0, -1};
    x += kDx[side];
    y += kDy[side];
}

class GeneratorBlockPlacer {
public:
    GeneratorBlockPlacer(Level& level, LevelData& data, AreaResource& area)
        : level(level), data(data), area(area), g(data.geometry), def(*level.area),
          maxBlockFailures(std::clamp(def.maxBlockFailures, 0, LevelGenerator::kMaxBlockFailures)),
          maxLevelFailures(std::clamp(def.maxLevelFailures, 0, LevelGenerator::kMaxAttempts))
    {
    }

    // Attempts until enough blocks, and the block of every passage out of the level, can be
    // walked to, the level's failure count is used up or the attempt cap is reached; in the
    // last case the best grid found is kept: the one missing the fewest passages, then the one
    // with the most blocks walked to. Growth from the bottom row leaves a passage higher up in
    // rock about half the time, and a passage that leads into rock cuts off every level beyond.
    void Run(int32_t firstAttempt)
    {
        int32_t attempt = firstAttempt;
        std::vector<int32_t> bestGrid;
        int32_t bestCount = -1;
        int32_t bestMissed = 0;
        int32_t bestStartX = 0;
        for (int32_t made = 0;; ++made) {
            if (attempt > 0) {
                if (attempt > maxLevelFailures)
                    return;
                std::fill(data.blockGrid.begin(), data.blockGrid.end(), -1);
            }
            int32_t tries = PlaceOnce();
            int32_t count = CheckConnectivity();
            int32_t missed = UnreachedExits();
            if (count >= def.minBlocks && missed == 0)
                return;
            if (bestCount < 0 || missed < bestMissed || (missed == bestMissed && count > bestCount)) {
                bestCount = count;
                bestMissed = missed;
                bestGrid = data.blockGrid;
                bestStartX = startX;
            }
            if (made + 1 >= LevelGenerator::kMaxAttempts) {
                if (bestCount < def.minBlocks)
                    DebugSystem::Print(kPrintWarning, "Level %d: %d of %d blocks reachable after %d attempts; the best grid is kept\n",
                                       level.index, bestCount, def.minBlocks, made + 1);
                if (bestMissed > 0)
                    DebugSystem::Print(kPrintWarning, "Level %d: %d passages out lead into rock after %d attempts; the best grid is kept\n",
                                       level.index, bestMissed, made + 1);
                // Walked from the kept grid's own start: a later attempt's may lie in its rock.
                data.blockGrid = bestGrid;
                startX = bestStartX;
                CheckConnectivity();
                return;
            }
            attempt = tries;
        }
    }

private:
    int32_t GridIndex(int32_t x, int32_t y) const { return y * g.blocksPerRow + x; }

    // The passages out of the level whose border block the last connectivity check did not
    // reach; a passage beyond the area's block limits can hold no block and is not counted.
    int32_t UnreachedExits() const
    {
        int32_t width = GeneratorLimit(def.maxBlockWidth, g.blocksPerRow);
        int32_t height = GeneratorLimit(def.maxBlockHeight, g.blocksPerColumn);
        int32_t missed = 0;
        for (int32_t side = 0; side < kLevelSideCount; ++side) {
            auto s = static_cast<size_t>(side);
            if (level.sideKinds[s] != kLevelSidePassage)
                continue;
            int32_t along = level.sideOpenings[s];
            int32_t x = side == 1 ? 0 : side == 2 ? width - 1 : along;
            int32_t y = side == 3 ? 0 : side == 0 ? height - 1 : along;
            if (x < 0 || y < 0 || x >= width || y >= height)
                continue;
            missed += !data.visited[static_cast<size_t>(GridIndex(x, y))];
        }
        return missed;
    }
    bool InGrid(int32_t x, int32_t y) const { return x >= 0 && y >= 0 && x < g.blocksPerRow && y < g.blocksPerColumn; }
    int32_t& At(int32_t x, int32_t y) { return data.blockGrid[static_cast<size_t>(GridIndex(x, y))]; }

    void NewStart()
    {
        // The start column is drawn over the block's tile width as the generator always has,
        // then kept inside the grid, which may be narrower.
        float draw = DrawRandomFloat(RandomStream::BlockPlacement);
        int32_t x = 1 + RandomSystem::IndexFromFraction(draw, 0, std::max(g.blockTileWidth - 2, 0));
        startX = std::clamp(x, 0, GeneratorLimit(def.maxBlockWidth, g.blocksPerRow) - 1);
        startY = 0;
        started = true;
    }

    int32_t Choose(int32_t x, int32_t y)
    {
        std::array<int32_t, 4> wanted = LevelGenerator::Requirements(level, x, y);
        int32_t block = area.ChooseBlock(wanted, data.useCounts);
        if (block >= 0)
            return block;
        DebugSystem::Print(kPrintDeveloper, "Added closed block: %d %d %d %d\n", wanted[0], wanted[1], wanted[2], wanted[3]);
        int32_t closed = area.GetEdgeRoles().Get(AreaEdgeRole::Closed);
        return area.ChooseBlock({closed, closed, closed, closed}, data.useCounts);
    }

    // One pass of growth from a start; returns the try count it ended with.
    int32_t PlaceOnce()
    {
        std::deque<std::pair<int32_t, int32_t>> queue;
        started = false;
        int32_t placed = 0;
        int32_t failures = 0;
        int32_t tries = 1;
        for (;;) {
            int32_t x = 0;
            int32_t y = 0;
            if (!queue.empty()) {
                x = queue.front().first;
                y = queue.front().second;
                queue.pop_front();
            } else if (!started) {
                NewStart();
                x = startX;
                y = startY;
            } else {
                return tries;
            }
            if (At(x, y) >= 0)
                continue;
            if (!level.data->boundArea && ((def.maxBlockWidth >= 1 && x >= def.maxBlockWidth) ||
                                           (def.maxBlockHeight >= 1 && y >= def.maxBlockHeight)))
                continue;
            int32_t block = Choose(x, y);
            if (block < 0)
                continue;
            At(x, y) = block;
            bool opened = false;
            for (int32_t side = 0; side < 4; ++side) {
                if (GeneratorEdgeCloses(area, area.GetEdge(block, side)))
                    continue;
                int32_t nx = x;
                int32_t ny = y;
                GeneratorStep(side, nx, ny);
                if (InGrid(nx, ny) && At(nx, ny) < 0) {
                    queue.emplace_back(nx, ny);
                    opened = true;
                }
            }
            if (opened || placed + 1 >= def.minBlocks || !queue.empty()) {
                ++placed;
                failures = 0;
                continue;
            }
            if (failures >= maxBlockFailures) {
                if (tries < maxLevelFailures) {
                    std::fill(data.blockGrid.begin(), data.blockGrid.end(), -1);
                    ++tries;
                    started = false;
                    placed = 0;
                    failures = 0;
                    queue.clear();
                } else {
                    ++placed;
                }
                continue;
            }
            // A dead end too early: drawn again later (its use count is not given back).
            At(x, y) = -1;
            queue.emplace_back(x, y);
            ++failures;
        }
    }

    // Counts the places walked to from the start; a place queued twice before it is taken
    // counts twice, as the generator always has, so a grid stays a function of its seed.
    int32_t CheckConnectivity()
    {
        std::fill(data.visited.begin(), data.visited.end(), false);
        if (!started || At(startX, startY) < 0)
            return 0;
        std::deque<std::pair<int32_t, int32_t>> queue{{startX, startY}};
        int32_t count = 0;
        while (!queue.empty()) {
            auto [x, y] = queue.front();
            queue.pop_front();
            data.visited[static_cast<size_t>(GridIndex(x, y))] = true;
            ++count;
            int32_t block = At(x, y);
            for (int32_t side = 0; side < 4; ++side) {
                if (GeneratorEdgeCloses(area, area.GetEdge(block, side)) || !area.IsSideOpen(block, side))
                    continue;
                int32_t nx = x;
                int32_t ny = y;
                GeneratorStep(side, nx, ny);
                if (!InGrid(nx, ny) || data.visited[static_cast<size_t>(GridIndex(nx, ny))])
                    continue;
                if (area.IsSideOpen(At(nx, ny), OppositeBlockSide(side)))
                    queue.emplace_back(nx, ny);
            }
        }
        return count;
    }

    Level& level;
    LevelData& data;
    AreaResource& area;
    const LevelGeometry& g;
    const AreaDefinition& def;
    int32_t maxBlockFailures;
    int32_t maxLevelFailures;
    bool started = false;
    int32_t startX = 0;
    int32_t startY = 0;
};

} // namespace

namespace LevelGenerator {

void PlaceBlocks(Level& level, int32_t attempt)
{
    AreaResource* area = GetArea(level);
    if (level.data && level.area && area)
        GeneratorBlockPlacer(level, *level.data, *area).Run(attempt);
}

void FillGrid(Level& level)
{
    AreaResource* area = GetArea(level);
    if (!level.data || !area)
        return;
    LevelData& data = *level.data;
    const LevelGeometry& g = data.geometry;
    const AreaDefinition* def = level.area;
    bool bound = data.boundArea != nullptr;
    for (int32_t y = 0; y < g.blocksPerColumn; ++y) {
        for (int32_t x = 0; x < g.blocksPerRow; ++x) {
            bool outside = !bound && def &&
                           ((def->maxBlockWidth >= 1 && x >= def->maxBlockWidth) ||
                            (def->maxBlockHeight >= 1 && y >= def->maxBlockHeight));
            if (outside)
                continue;
            int32_t block = area->ChooseBlock(Requirements(level, x, y), data.useCounts);
            size_t index = static_cast<size_t>(y * g.blocksPerRow + x);
            data.blockGrid[index] = block;
            // A filled grid has no connectivity check: every placed block counts as reachable,
            // or no cell of the level could be walked.
            data.visited[index] = block >= 0;
        }
    }
}

void ResetGrid(LevelData& data)
{
    const LevelGeometry& g = data.geometry;
    data.blockGrid.assign(static_cast<size_t>(g.BlockCount()), -1);
    data.visited.assign(static_cast<size_t>(g.BlockCount()), false);
    data.tileOccupants.assign(static_cast<size_t>(g.TileCount()), -1);
    data.objectInstances.assign(static_cast<size_t>(g.TileCount()), {});
    data.tileCells.clear();
    data.useCounts.clear();
    std::fill(data.movementBits.begin(), data.movementBits.end(), false);
    std::fill(data.sightBits.begin(), data.sightBits.end(), false);
    std::fill(data.blockBuilt.begin(), data.blockBuilt.end(), false);
}

AreaResource* GetArea(const Level& level)
{
    if (!level.data)
        return nullptr;
    if (level.data->boundArea)
        return level.data->boundArea;
    if (!level.data->area.IsValid() || !gResourceManager)
        return nullptr;
    return dynamic_cast<AreaResource*>(gResourceManager->Get(level.data->area));
}

void AddReference(Level& level, int32_t kind)
{
    if (!level.data)
        level.data = std::make_unique<LevelData>(LevelGeometry::Current());
    LevelData& data = *level.data;
    ++data.holders;
    if (!data.area.IsValid() && !data.boundArea && !data.generated) {
        if (gResourceManager && level.area && !level.area->areaFileName.empty())
            gResourceManager->Load(level.area->areaFileName, data.area);
        level.generationWanted = true;
        data.generated = false;
    }
    if (GeneratorIsActiveKind(kind)) {
        ++data.activeHolders;
        // A level that was let go and is wanted again is announced again.
        if (!data.active)
            data.announced = false;
        data.active = true;
    }
}

void ReleaseReference(Level& level, int32_t kind)
{
    if (!level.data)
        return;
    LevelData& data = *level.data;
    --data.holders;
    if (GeneratorIsActiveKind(kind)) {
        --data.activeHolders;
        if (data.areaAcquired && data.activeHolders <= 0) {
            if (AreaResource* area = GetArea(level))
                area->Release();
            data.areaAcquired = false;
            data.active = false;
            if (gWorld)
                gWorld->NotifyLevelReleased(level.index, true);
        }
    }
    if (data.holders > 0)
        return;
    if (gWorld)
        gWorld->NotifyLevelReleased(level.index, false);
    level.generationWanted = false;
    // Whatever the counts say, the area's textures are never left acquired by freed data.
    if (data.areaAcquired) {
        if (AreaResource* area = GetArea(level))
            area->Release();
    }
    level.data.reset();
}

void DropAllReferences(Level& level)
{
    if (!level.data)
        return;
    if (level.data->activeHolders != 0) {
        level.data->activeHolders = 1;
        ReleaseReference(level, kLevelReferenceActive);
    }
    if (!level.data)
        return;
    level.data->holders = 1;
    ReleaseReference(level, 0);
}

bool IsAreaLoaded(const Level& level)
{
    if (!level.data || !level.data->area.IsValid() || !gResourceManager)
        return false;
    return gResourceManager->IsOfExtension(level.data->area, "ara");
}

void EnsureGenerated(Level& level)
{
    if (!level.data)
        return;
    LevelData& data = *level.data;
    // The resource manager's Get waits on the loader (giving the lock up meanwhile) and ends
    // the wait when the load fails too, so this never spins.
    if (level.generationWanted)
        Generate(level);
    if (data.generated && data.active && !data.areaAcquired) {
        if (AreaResource* area = GetArea(level)) {
            area->Acquire();
            data.areaAcquired = true;
        }
    }
    if (data.generated && !data.announced) {
        data.announced = true;
        if (gWorld)
            gWorld->NotifyLevelGenerated(level.index, data.active);
    }
}

void Generate(Level& level)
{
    if (!level.data)
        return;
    LevelData& data = *level.data;
    level.generationWanted = false;
    data.generated = true;
    data.announced = false;
    ResetGrid(data);
    if (gRandomSystem)
        gRandomSystem->SetState(RandomStream::BlockPlacement, level.seed);
    AreaResource* area = GetArea(level);
    if (!area || area->GetBlockCount() == 0) {
        DebugSystem::Print(kPrintWarning, "Area file %s has no blocks: level %d is left empty\n",
                           level.area ? level.area->areaFileName.c_str() : "", level.index);
        return;
    }
    int32_t kind = level.area ? level.area->levelGenerator : 0;
    if (!data.boundArea && level.area && (kind == 1 || kind == 2))
        PlaceBlocks(level, 0);
    else
        FillGrid(level);
}

std::array<int32_t, 4> Requirements(const Level& level, int32_t x, int32_t y)
{
    std::array<int32_t, 4> wanted{-1, -1, -1, -1};
    const AreaResource* area = GetArea(level);
    if (!level.data || !area)
        return wanted;
    const LevelData& data = *level.data;
    const AreaDefinition* def = level.area;
    int32_t width = GeneratorLimit(def ? def->maxBlockWidth : 0, data.geometry.blocksPerRow);
    int32_t height = GeneratorLimit(def ? def->maxBlockHeight : 0, data.geometry.blocksPerColumn);
    wanted[3] = y == 0 ? GeneratorBorderCode(level, 3, x) : GeneratorNeighbourEdge(data, *area, x, y - 1, 0);
    wanted[1] = x == 0 ? GeneratorBorderCode(level, 1, y) : GeneratorNeighbourEdge(data, *area, x - 1, y, 2);
    wanted[2] = x >= width - 1 ? GeneratorBorderCode(level, 2, y) : GeneratorNeighbourEdge(data, *area, x + 1, y, 1);
    wanted[0] = y >= height - 1 ? GeneratorBorderCode(level, 0, x) : GeneratorNeighbourEdge(data, *area, x, y + 1, 3);
    return wanted;
}

bool SettleNeighbours(World& world, Level& level)
{
    bool changed = false;
    for (int32_t a = 0; a < kWorldDirectionCount; ++a) {
        for (int32_t b = 0; b < kWorldDirectionCount; ++b) {
            int32_t c = World::CombineDirections(a, b);
            int32_t sideOfB = LevelSideOfDirection(b);
            if (c == kNoWorldDirection || sideOfB < 0 || level.neighbours[static_cast<size_t>(c)] >= 0)
                continue;
            Level* next = world.GetLevel(level.neighbours[static_cast<size_t>(a)]);
            Level* far = next ? world.GetLevel(next->neighbours[static_cast<size_t>(b)]) : nullptr;
            if (!far)
                continue;
            world.ConnectLevels(&level, far, static_cast<LevelJoin>(next->sideKinds[static_cast<size_t>(sideOfB)]));
            // Levels whose grid cells do not agree stay apart: only a join made counts, so the
            // caller's repeat-until-settled loop ends.
            changed = changed || level.neighbours[static_cast<size_t>(c)] >= 0;
        }
    }
    return changed;
}

WorldPos FindGate(int32_t level, int32_t gateId)
{
    const Level* found = gWorld ? gWorld->GetLevel(level) : nullptr;
    return found ? LevelQueries::GetGate(*found, gateId).position : WorldPos{-1, 0.0f, 0.0f, true};
}

int32_t GetAreaIndex(const WorldPos& position)
{
    Level* found = gWorld ? gWorld->GetLevel(position.level) : nullptr;
    if (!found || !found->data || !found->data->generated)
        return 0;
    int32_t block = LevelQueries::GetGridEntry(*found, LevelQueries::WorldToBlock(*found, position.x, position.y));
    return block < 0 ? 0 : block;
}

} // namespace LevelGenerator
