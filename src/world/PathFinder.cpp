// PathFinder -- short walks for creatures: an A* search over a 51 x 51 window of movement cells around the mover, with a node pool made once.
#include "world/PathFinder.h"

#include "core/DebugSystem.h"
#include "rules/GameData.h"
#include "world/EntityBase.h"
#include "world/Level.h"
#include "world/LevelCells.h"
#include "world/LevelData.h"
#include "world/LevelGenerator.h"
#include "world/LevelQueries.h"
#include "world/World.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <new>

PathFinder* gPathFinder = nullptr;

namespace {

constexpr int32_t kPathDx[8] = {0, 1, 1, 1, 0, -1, -1, -1};
constexpr int32_t kPathDy[8] = {1, 1, 0, -1, -1, -1, 0, 1};
constexpr float kPathDiagonal = 1.4142135f;
constexpr float kPathTurnCost = 0.1f;
// Two costs nearer than this are equal: far below the least difference of two different step
// mixes in the window, far above the rounding of a sum of 250 steps.
constexpr float kPathTieSlack = 1e-4f;
constexpr float kPathStepCosts[8] = {1.0f, kPathDiagonal, 1.0f, kPathDiagonal, 1.0f, kPathDiagonal, 1.0f, kPathDiagonal};
// Per direction of arrival (row 0 for the start, reached from nowhere), what a step in each
// direction adds for turning: nothing straight on or from the start, the turn cost otherwise.
constexpr auto kPathTurnCosts = [] {
    std::array<std::array<float, 8>, 9> turns{};
    for (int32_t from = 0; from < 8; ++from)
        for (int32_t d = 0; d < 8; ++d)
            turns[static_cast<size_t>(from + 1)][static_cast<size_t>(d)] = from == d ? 0.0f : kPathTurnCost;
    return turns;
}();
// Every node can be lowered from each of its eight sides before the propagation gives up.
constexpr int32_t kPathPropagateCapacity = PathFinder::kCellCount * 8;
// The eight directions as steps between padded cells.
constexpr int32_t kPathPadded = PathFinder::kWindow + 2;
constexpr int32_t kPathPaddedStep[8] = {kPathPadded,  kPathPadded + 1,  1, 1 - kPathPadded,
                                        -kPathPadded, -kPathPadded - 1, -1, kPathPadded - 1};
// Children per heap node: a flatter heap sifts through fewer levels; eight entries fill 64 bytes.
constexpr int32_t kHeapArity = 8;
// A cell and its eight neighbours as nine bits, bit (dy + 1) * 3 + (dx + 1): which directions
// they are, with the centre left out.
constexpr uint32_t kPathCentreBit = 1u << 4;
constexpr auto kPathSidesOf = [] {
    std::array<uint8_t, 512> sides{};
    for (uint32_t cells = 0; cells < 512; ++cells)
        for (int32_t d = 0; d < 8; ++d)
            if (cells & (1u << ((kPathDy[d] + 1) * 3 + kPathDx[d] + 1)))
                sides[cells] = static_cast<uint8_t>(sides[cells] | (1u << d));
    return sides;
}();

// The row bits of the cell and its neighbours across the three rows round it, as nine bits.
uint32_t PathAround(const std::array<uint64_t, PathFinder::kWindow + 2>& rows, size_t row, int32_t cx)
{
    return static_cast<uint32_t>(((rows[row - 1] >> cx) & 7) | (((rows[row] >> cx) & 7) << 3) |
                                 (((rows[row + 1] >> cx) & 7) << 6));
}

// The row's bits spread by the given number of columns either way; with fill, the columns
// beyond the row's ends count as set.
uint64_t PathSpread(uint64_t bits, int32_t columns, bool fill)
{
    uint64_t spread = bits;
    for (int32_t k = 1; k <= columns; ++k) {
        spread |= (bits << k) | (bits >> k);
        if (fill)
            spread |= ((uint64_t{1} << k) - 1) | ~(~uint64_t{0} >> k);
    }
    return spread;
}

// One bit per byte of eight read as one word, set where the byte is not zero: byte i gives bit i.
static_assert(std::endian::native == std::endian::little, "the first cell of eight is the word's low byte");
uint32_t PathPackBytes(uint64_t bytes)
{
    constexpr uint64_t kLow7 = 0x7F7F7F7F7F7F7F7Full;
    uint64_t high = (((bytes & kLow7) + kLow7) | bytes) & ~kLow7;
    return static_cast<uint32_t>(((high >> 7) * 0x0102040810204080ull) >> 56);
}

} // namespace

PathFinder::PathFinder()
{
    // Made once; a failure leaves the finder unready and every search false.
    nodes.reset(new (std::nothrow) Node[kCellCount]);
    heap.reset(new (std::nothrow) HeapEntry[kCellCount]);
    propagateStack.reset(new (std::nothrow) int32_t[kPathPropagateCapacity]);
    pathScratch.reset(new (std::nothrow) int32_t[kCellCount]);
    if (!heap || !propagateStack || !pathScratch)
        nodes.reset();
    for (int32_t dy = 0; dy < kWindow; ++dy) {
        for (int32_t dx = 0; dx < kWindow; ++dx) {
            float x = static_cast<float>(dx);
            float y = static_cast<float>(dy);
            distances[static_cast<size_t>(dy * kWindow + dx)] = std::sqrt(x * x + y * y);
        }
    }
}

PathFinder::~PathFinder() = default;

void PathFinder::Place(const EntityBase* newMover, const WorldPos& moverPosition)
{
    mover = newMover;
    moverRadius = mover->radius;
    ignoresObstacles = (mover->flags & kFlagIgnoresObstacles) != 0;
    static const GameSystemTuning kDefaults;
    const GameSystemTuning& tuning = gGameData ? gGameData->GetTuning() : kDefaults;
    cellSize = {tuning.gridSize.x, tuning.gridSize.y};
    GridFrame grid{{tuning.gridOffset.x, tuning.gridOffset.y}, cellSize};
    Vector2 snapped = SnapToGrid({moverPosition.x, moverPosition.y}, grid);
    start = WorldPos{moverPosition.level, snapped.x, snapped.y, true};
    start.Normalize();
    startCellX = static_cast<int32_t>(std::clamp(std::floor((start.x - grid.origin.x) / cellSize.x + 0.5f), -1e6f, 1e6f));
    startCellY = static_cast<int32_t>(std::clamp(std::floor((start.y - grid.origin.y) / cellSize.y + 0.5f), -1e6f, 1e6f));
}

void PathFinder::Begin()
{
    ClearRows();
    cellNodes.fill(kNoNode);
    nearbyCount = 0;
    nodesUsed = 0;
    heapSize = 0;
    front = kNoEntry;
    openCounter = 0;
    taken = 0;
    closestPlace = WorldPos{-1, 0.0f, 0.0f, true};
    closestDistance = -1.0f;
    int32_t rings = cellSize.x > 0.0f ? static_cast<int32_t>(std::floor(moverRadius / cellSize.x)) : 0;
    clearanceRings = std::clamp(rings, 0, kCentre);
    // The window's cells are the level's cells counted from the mover's: the world's cell of a
    // grid point is found once, and each window cell is an offset from it.
    static const LevelGeometry kDefaultGeometry = LevelGeometry::Current();
    LevelGeometry geometry = gGameData ? LevelGeometry::Current() : kDefaultGeometry;
    cellsAcross = geometry.CellsAcross();
    cellsDown = geometry.CellsDown();
    startLevel = gWorld ? gWorld->GetLevel(start.level) : nullptr;
    if (startLevel && (!startLevel->data || !startLevel->data->generated))
        startLevel = nullptr;
    // What the first look at one of its cells would do: a level in use keeps its area.
    if (startLevel && !ignoresObstacles)
        LevelGenerator::EnsureGenerated(*startLevel);
    MapBlocks();
    sideLevelsFound.fill(0);
    if (!ignoresObstacles)
        mover->RegisterPathBlockers(*this, {kBlockerHalfWidth, kBlockerHalfHeight}, kBlockerSolidMask);
}

bool PathFinder::Aim(const WorldPos& target, const EntityBase* targetEntity)
{
    targetOffset = start.DeltaTo(target);
    float fx = std::floor(targetOffset.x / cellSize.x + 0.5f);
    float fy = std::floor(targetOffset.y / cellSize.y + 0.5f);
    if (!(std::fabs(fx) <= static_cast<float>(kCentre)) || !(std::fabs(fy) <= static_cast<float>(kCentre)))
        return false;
    targetX = static_cast<int32_t>(fx) + kCentre;
    targetY = static_cast<int32_t>(fy) + kCentre;
    range = cellSize.x * 1.5f;
    if (targetEntity)
        range += moverRadius + targetEntity->radius;
    exactGoal = targetEntity == nullptr;
    return true;
}

bool PathFinder::FindPath(const EntityBase* newMover, const WorldPos& moverPosition, const WorldPos& target,
                          const EntityBase* targetEntity, PathRecord* path, WorldPos* closest)
{
    if (!newMover || !IsReady())
        return false;
    Place(newMover, moverPosition);
    Begin();
    recordClosest = closest != nullptr;
    bool found = Aim(target, targetEntity) && Search(path);
    if (closest)
        *closest = closestPlace;
    return found;
}

bool PathFinder::EndsAtStart(const EntityBase* newMover, const WorldPos& moverPosition, const WorldPos& target,
                             const EntityBase* targetEntity)
{
    if (!newMover || !IsReady())
        return false;
    Place(newMover, moverPosition);
    if (!Aim(target, targetEntity))
        return false;
    if (targetX == kCentre && targetY == kCentre)
        return true;
    // Two cells off along one axis and one or two along the other, the cells between are tested.
    int32_t ax = std::abs(targetX - kCentre);
    int32_t ay = std::abs(targetY - kCentre);
    bool cellsBetween = (ax == 2 && ay >= 1 && ay <= 2) || (ay == 2 && ax == 1);
    return !exactGoal && !cellsBetween && std::sqrt(targetOffset.x * targetOffset.x + targetOffset.y * targetOffset.y) < range;
}

Vector2 PathFinder::CellOffset(int32_t cx, int32_t cy) const
{
    return {static_cast<float>(cx - kCentre) * cellSize.x, static_cast<float>(cy - kCentre) * cellSize.y};
}

float PathFinder::Heuristic(int32_t cx, int32_t cy) const
{
    return distances[static_cast<size_t>(std::abs(targetY - cy) * kWindow + std::abs(targetX - cx))];
}

void PathFinder::AddNearbyEntity(const EntityBase* entity)
{
    if (!entity || nearbyCount >= kMaxNearby)
        return;
    ++nearbyCount;
    Vector2 offset = start.DeltaTo(entity->position);
    MarkReach(offset, entity->radius + moverRadius);
    float fx = std::floor(offset.x / cellSize.x + 0.5f) + static_cast<float>(kCentre);
    float fy = std::floor(offset.y / cellSize.y + 0.5f) + static_cast<float>(kCentre);
    if (fx >= 0.0f && fy >= 0.0f && fx < static_cast<float>(kWindow) && fy < static_cast<float>(kWindow)) {
        auto row = static_cast<size_t>(fy) + 1;
        uint64_t bit = uint64_t{1} << (static_cast<int32_t>(fx) + 1);
        occupiedBits[row] |= bit;
        cellKnown[row] |= bit;
    }
}

void PathFinder::MarkReach(const Vector2& offset, float reach)
{
    // The cells whose centre lies within reach of the entity, tested as one cell at a time
    // would be, over the box round it (a cell of slack either way for rounding).
    auto span = [&](float centre, float size, int32_t& low, int32_t& high) {
        float extent = std::fabs(reach) / size + 1.0f;
        float first = std::floor(centre / size - extent) + static_cast<float>(kCentre);
        float last = std::ceil(centre / size + extent) + static_cast<float>(kCentre);
        bool known = size > 0.0f && !std::isnan(first) && !std::isnan(last);
        low = known ? static_cast<int32_t>(std::clamp(first, 0.0f, static_cast<float>(kWindow - 1))) : 0;
        high = known ? static_cast<int32_t>(std::clamp(last, 0.0f, static_cast<float>(kWindow - 1))) : kWindow - 1;
    };
    int32_t x0 = 0;
    int32_t x1 = 0;
    int32_t y0 = 0;
    int32_t y1 = 0;
    span(offset.x, cellSize.x, x0, x1);
    span(offset.y, cellSize.y, y0, y1);
    for (int32_t cy = y0; cy <= y1; ++cy) {
        for (int32_t cx = x0; cx <= x1; ++cx) {
            Vector2 here = CellOffset(cx, cy);
            float dx = offset.x - here.x;
            float dy = offset.y - here.y;
            if (dx * dx + dy * dy <= reach * reach)
                reachBits[static_cast<size_t>(cy + 1)] |= uint64_t{1} << (cx + 1);
        }
    }
}

uint8_t PathFinder::AskWorld(int32_t cx, int32_t cy)
{
    // Most cells lie in a block already known to be built: their bit at once.
    int32_t slotX = columnSlots[static_cast<size_t>(cx)];
    int32_t slotY = rowSlots[static_cast<size_t>(cy)];
    if (slotX >= 0 && slotY >= 0 && blockReady[static_cast<size_t>(slotY * kBlockSpan + slotX)] == 1)
        return startLevel->data->movementBits[static_cast<size_t>(rowFirstBits[static_cast<size_t>(cy)] + cx)] ? kBlocked
                                                                                                             : kFree;
    // What the world answers for the cell's position: a level not generated, or no level,
    // blocks.
    int32_t bit = ReadyBlockCell(cx, cy);
    if (bit >= 0)
        return startLevel->data->movementBits[static_cast<size_t>(bit)] ? kBlocked : kFree;
    int32_t x = startCellX + cx - kCentre;
    int32_t y = startCellY + cy - kCentre;
    Level* found = startLevel;
    if (gWorld && (x < 0 || y < 0 || x >= cellsAcross || y >= cellsDown)) {
        int32_t dx = x < 0 ? -1 : (x >= cellsAcross ? 1 : 0);
        int32_t dy = y < 0 ? -1 : (y >= cellsDown ? 1 : 0);
        found = SideLevel(dx, dy);
        x -= dx * cellsAcross;
        y -= dy * cellsDown;
        if (found && (!found->data || !found->data->generated))
            found = nullptr;
    }
    return !found || LevelCells::IsCellBlocked(*found, x, y) ? kBlocked : kFree;
}

Level* PathFinder::SideLevel(int32_t dx, int32_t dy)
{
    auto side = static_cast<size_t>((dy + 1) * 3 + dx + 1);
    if (!sideLevelsFound[side]) {
        sideLevelsFound[side] = 1;
        // A cell just beyond that edge stands for every cell beyond it.
        int32_t x = dx < 0 ? -1 : dx * cellsAcross;
        int32_t y = dy < 0 ? -1 : dy * cellsDown;
        sideLevels[side] = gWorld->GetLevel(gWorld->WrapCellToLevel(start.level, x, y));
    }
    return sideLevels[side];
}

void PathFinder::MapBlocks()
{
    blockReady.fill(0);
    slotColumns.fill(0);
    columnSlots.fill(-1);
    rowSlots.fill(-1);
    slotsAcross = 0;
    if (!startLevel)
        return;
    const LevelGeometry& g = startLevel->data->geometry;
    int32_t perX = g.CellsPerBlockX();
    int32_t perY = g.CellsPerBlockY();
    if (perX < 1 || perY < 1)
        return;
    int32_t firstX = std::max(0, startCellX - kCentre) / perX;
    int32_t firstY = std::max(0, startCellY - kCentre) / perY;
    int32_t slotsDown = 0;
    for (int32_t c = 0; c < kWindow; ++c) {
        int32_t x = startCellX + c - kCentre;
        int32_t y = startCellY + c - kCentre;
        if (x >= 0 && x < g.CellsAcross() && x / perX - firstX < kBlockSpan && x / perX < g.blocksPerRow) {
            columnSlots[static_cast<size_t>(c)] = static_cast<int8_t>(x / perX - firstX);
            slotColumns[static_cast<size_t>(x / perX - firstX)] |= uint64_t{1} << (c + 1);
            slotsAcross = std::max(slotsAcross, x / perX - firstX + 1);
        }
        if (y >= 0 && y < g.CellsDown() && y / perY - firstY < kBlockSpan && y / perY < g.blocksPerColumn) {
            rowSlots[static_cast<size_t>(c)] = static_cast<int8_t>(y / perY - firstY);
            slotsDown = std::max(slotsDown, y / perY - firstY + 1);
            rowFirstBits[static_cast<size_t>(c)] = y * g.CellsAcross() + startCellX - kCentre;
        }
    }
    // A block already built answers from its bits at once; the others are built, or found
    // unbuildable, when a cell of theirs is first asked. Only the slots under the window.
    const LevelData& data = *startLevel->data;
    for (int32_t slotY = 0; slotY < slotsDown; ++slotY) {
        for (int32_t slotX = 0; slotX < slotsAcross; ++slotX) {
            int32_t bx = firstX + slotX;
            int32_t by = firstY + slotY;
            if (!LevelQueries::IsBlockInBounds(*startLevel, bx, by))
                continue;
            size_t block = static_cast<size_t>(by * g.blocksPerRow + bx);
            if (data.visited[block] && data.blockBuilt[block])
                blockReady[static_cast<size_t>(slotY * kBlockSpan + slotX)] = 1;
        }
    }
}

void PathFinder::ClearRows()
{
    // The border and everything beyond it is known and blocked; a mover that walks through
    // everything finds every cell inside free.
    worldKnown.fill(~uint64_t{0});
    worldBlocked.fill(~uint64_t{0});
    cellKnown.fill(~uint64_t{0});
    cellFree.fill(0);
    occupiedBits.fill(0);
    reachBits.fill(0);
    worldRowRead.fill(1);
    rowSettled.fill(1);
    rowKnown.fill(1);
    for (size_t row = 1; row <= static_cast<size_t>(kWindow); ++row) {
        worldKnown[row] = ~kInsideBits;
        worldBlocked[row] = ~kInsideBits;
        worldRowRead[row] = 0;
        if (ignoresObstacles) {
            cellFree[row] = kInsideBits;
            continue;
        }
        cellKnown[row] = ~kInsideBits;
        rowSettled[row] = 0;
        rowKnown[row] = 0;
    }
}

void PathFinder::ReadWorldRow(int32_t row)
{
    if (worldRowRead[static_cast<size_t>(row)])
        return;
    worldRowRead[static_cast<size_t>(row)] = 1;
    int32_t slotY = rowSlots[static_cast<size_t>(row - 1)];
    if (slotY < 0)
        return;
    uint64_t columns = 0;
    uint64_t onLevel = 0;
    for (int32_t slotX = 0; slotX < slotsAcross; ++slotX) {
        onLevel |= slotColumns[static_cast<size_t>(slotX)];
        if (blockReady[static_cast<size_t>(slotY * kBlockSpan + slotX)] == 1)
            columns |= slotColumns[static_cast<size_t>(slotX)];
    }
    if (columns == 0)
        return;
    // The row's cells on the level lie side by side: read them in one sweep, keep the built.
    int32_t first = std::countr_zero(onLevel);
    int32_t last = 63 - std::countl_zero(onLevel);
    const uint8_t* cells = startLevel->data->movementBits.data() + (rowFirstBits[static_cast<size_t>(row - 1)] - 1);
    uint64_t blocked = 0;
    // Eight cells at a time; the row's last few alone, never past its end.
    int32_t column = first;
    for (; column + 7 <= last; column += 8) {
        uint64_t eight = 0;
        std::memcpy(&eight, cells + column, sizeof eight);
        blocked |= static_cast<uint64_t>(PathPackBytes(eight)) << column;
    }
    for (; column <= last; ++column)
        blocked |= static_cast<uint64_t>(cells[column] != 0) << column;
    worldKnown[static_cast<size_t>(row)] |= columns;
    worldBlocked[static_cast<size_t>(row)] |= blocked & columns;
}

void PathFinder::SettleRow(int32_t row)
{
    if (rowSettled[static_cast<size_t>(row)])
        return;
    rowSettled[static_cast<size_t>(row)] = 1;
    int32_t rings = clearanceRings;
    for (int32_t r = std::max(1, row - rings); r <= std::min(kWindow, row + rings); ++r)
        ReadWorldRow(r);
    auto at = static_cast<size_t>(row);
    uint64_t known = worldKnown[at] & kInsideBits;
    // A cell blocked by the world or within an entity's reach is known without its ring.
    uint64_t stopped = known & (worldBlocked[at] | reachBits[at]);
    uint64_t free = known & ~stopped;
    if (rings > 0) {
        // The ring is known when every cell of it is; it blocks when any is off the window, a
        // wall or stood on.
        uint64_t ringUnknown = 0;
        uint64_t ringBlocked = 0;
        for (int32_t r = row - rings; r <= row + rings; ++r) {
            if (r < 0 || r > kWindow + 1) {
                ringBlocked = ~uint64_t{0};
                continue;
            }
            auto other = static_cast<size_t>(r);
            ringUnknown |= PathSpread(~worldKnown[other] & kInsideBits, rings, false);
            ringBlocked |= PathSpread((worldKnown[other] & worldBlocked[other]) | occupiedBits[other], rings, true);
        }
        known = stopped | (known & ~ringUnknown);
        free &= ~ringUnknown & ~ringBlocked;
    }
    cellKnown[at] |= known | occupiedBits[at];
    cellFree[at] |= free & ~occupiedBits[at];
}

int32_t PathFinder::ReadyBlockCell(int32_t cx, int32_t cy)
{
    // A block of the mover's level that is built answers from its bits, as the level's cells
    // would; the first cell of each block in a search still goes through them, so the level is
    // kept generated and a block built before it is read.
    int32_t slotX = columnSlots[static_cast<size_t>(cx)];
    int32_t slotY = rowSlots[static_cast<size_t>(cy)];
    if (slotX < 0 || slotY < 0)
        return -1;
    int32_t x = startCellX + cx - kCentre;
    int32_t y = startCellY + cy - kCentre;
    const LevelData& data = *startLevel->data;
    const LevelGeometry& g = data.geometry;
    uint8_t& ready = blockReady[static_cast<size_t>(slotY * kBlockSpan + slotX)];
    if (ready == 0) {
        LevelCells::IsCellBlocked(*startLevel, x, y);
        int32_t bx = x / g.CellsPerBlockX();
        int32_t by = y / g.CellsPerBlockY();
        size_t block = static_cast<size_t>(by * g.blocksPerRow + bx);
        bool built = LevelQueries::IsBlockInBounds(*startLevel, bx, by) && data.visited[block] && data.blockBuilt[block];
        ready = built ? 1 : 2;
    }
    if (ready != 1)
        return -1;
    return y * g.CellsAcross() + x;
}

bool PathFinder::IsBlocked(int32_t cx, int32_t cy)
{
    if (ignoresObstacles)
        return false;
    if (!Inside(cx, cy))
        return true;
    SettleRow(cy + 1);
    auto row = static_cast<size_t>(cy + 1);
    uint64_t bit = uint64_t{1} << (cx + 1);
    if (!(cellKnown[row] & bit))
        TestCell(cx, cy);
    return !(cellFree[row] & bit);
}

void PathFinder::TestCell(int32_t cx, int32_t cy)
{
    auto row = static_cast<size_t>(cy + 1);
    uint64_t bit = uint64_t{1} << (cx + 1);
    cellKnown[row] |= bit;
    if (WorldBlocked(cx, cy) || (reachBits[row] & bit) || !RingClear(cx, cy))
        return;
    cellFree[row] |= bit;
}

bool PathFinder::RingClear(int32_t cx, int32_t cy)
{
    // The mover's body must fit: every cell within its radius is free of walls and entities.
    // One ring, the most common, is the eight neighbours in their order, the border counting
    // as a wall.
    auto stoodOn = [&](int32_t x, int32_t y) {
        return (occupiedBits[static_cast<size_t>(y + 1)] >> (x + 1)) & 1;
    };
    if (clearanceRings == 0)
        return true;
    if (clearanceRings == 1) {
        for (int32_t d = 0; d < 8; ++d) {
            int32_t x = cx + kPathDx[d];
            int32_t y = cy + kPathDy[d];
            if (!Inside(x, y) || stoodOn(x, y) || WorldBlocked(x, y))
                return false;
        }
        return true;
    }
    for (int32_t y = cy - clearanceRings; y <= cy + clearanceRings; ++y) {
        for (int32_t x = cx - clearanceRings; x <= cx + clearanceRings; ++x) {
            if (x == cx && y == cy)
                continue;
            if (!Inside(x, y) || stoodOn(x, y) || WorldBlocked(x, y))
                return false;
        }
    }
    return true;
}

inline void PathFinder::OpenNode(int32_t cx, int32_t cy, int32_t padded, int32_t parent, int32_t direction, float g)
{
    int32_t index = nodesUsed++;
    // Written whole, at once.
    nodes[static_cast<size_t>(index)] = Node{g + Heuristic(cx, cy), g, static_cast<int8_t>(cx), static_cast<int8_t>(cy),
                                             static_cast<uint16_t>(padded), static_cast<uint16_t>(parent),
                                             static_cast<int8_t>(direction), NodeState::Open};
    cellNodes[static_cast<size_t>(padded)] = static_cast<uint16_t>(index);
    HeapPush(index);
}

bool PathFinder::Search(PathRecord* path)
{
    if (exactGoal && IsBlocked(targetX, targetY))
        exactGoal = false;
    OpenNode(kCentre, kCentre, PaddedIndex(kCentre, kCentre), kNoNode, -1, 0.0f);
    for (;;) {
        // The 500th take is the last: the next finds none and the search fails.
        if (taken >= kMaxTaken || (heapSize == 0 && front == kNoEntry))
            return false;
        int32_t index = HeapPop();
        ++taken;
        Node& node = nodes[static_cast<size_t>(index)];
        if (IsGoal(node)) {
            if (path)
                WritePath(node, *path);
            return true;
        }
        Expand(index);
        node.state = NodeState::Closed;
    }
}

inline bool PathFinder::IsGoal(Node& node)
{
    bool atTarget = node.cx == targetX && node.cy == targetY;
    if (exactGoal && (atTarget || !recordClosest))
        return atTarget;
    Vector2 offset = CellOffset(node.cx, node.cy);
    float dx = targetOffset.x - offset.x;
    float dy = targetOffset.y - offset.y;
    float distance = std::sqrt(dx * dx + dy * dy);
    if (recordClosest && (closestDistance < 0.0f || distance < closestDistance)) {
        closestDistance = distance;
        closestPlace = WorldPos{start.level, start.x + offset.x, start.y + offset.y, true};
        closestPlace.Normalize();
    }
    return !exactGoal && distance < range && CornersClear(node.cx, node.cy);
}

bool PathFinder::CornersClear(int32_t cx, int32_t cy)
{
    int32_t ax = std::abs(targetX - cx);
    int32_t ay = std::abs(targetY - cy);
    int32_t mx = (cx + targetX) / 2;
    int32_t my = (cy + targetY) / 2;
    if (ax == 2 && ay == 2)
        return !IsBlocked(mx, my);
    if (ax == 2 && ay == 1)
        return !IsBlocked(mx, my) && !IsBlocked(mx, my + 1);
    if (ax == 1 && ay == 2)
        return !IsBlocked(mx, my) && !IsBlocked(mx + 1, my);
    return true;
}

inline uint32_t PathFinder::FreeSides(const Node& node)
{
    int32_t row = node.cy + 1;
    auto at = static_cast<size_t>(row);
    // Most expansions find every cell of the three rows round them known.
    if (!(rowKnown[at - 1] & rowKnown[at] & rowKnown[at + 1])) {
        SettleRow(row - 1);
        SettleRow(row);
        SettleRow(row + 1);
        uint32_t known = PathAround(cellKnown, at, node.cx) | kPathCentreBit;
        for (uint32_t unknown = kPathSidesOf[~known & 511u]; unknown != 0; unknown &= unknown - 1) {
            int32_t d = std::countr_zero(unknown);
            TestCell(node.cx + kPathDx[d], node.cy + kPathDy[d]);
        }
        for (size_t r = at - 1; r <= at + 1; ++r)
            rowKnown[r] = cellKnown[r] == ~uint64_t{0} ? 1 : 0;
    }
    return kPathSidesOf[PathAround(cellFree, at, node.cx)];
}

inline void PathFinder::Expand(int32_t index)
{
    // A copy, held in registers while the nodes around are written: nothing in an expansion
    // lowers the cost of the node expanded.
    const Node node = nodes[static_cast<size_t>(index)];
    const std::array<float, 8>& turns = kPathTurnCosts[static_cast<size_t>(node.fromDirection + 1)];
    // The free sides first, then a visit of those alone: among walls most sides are not, and a
    // cell's test never depends on the nodes made. The side back to the parent is left out: the
    // parent is closed and costs less than any way back to it.
    uint32_t sides = FreeSides(node);
    if (node.fromDirection >= 0)
        sides &= ~(1u << ((node.fromDirection + 4) & 7));
    for (; sides != 0; sides &= sides - 1) {
        int32_t d = std::countr_zero(sides);
        int32_t padded = node.padded + kPathPaddedStep[d];
        // Added apart, as two sums: adding no turn leaves the step's sum exactly as it was.
        float g = node.g + kPathStepCosts[d];
        g += turns[static_cast<size_t>(d)];
        uint16_t knownIndex = cellNodes[static_cast<size_t>(padded)];
        if (knownIndex == kNoNode) {
            OpenNode(node.cx + kPathDx[d], node.cy + kPathDy[d], padded, index, d, g);
            continue;
        }
        Node& known = nodes[knownIndex];
        if (g < known.g) {
            if (!LowerCost(knownIndex, g, index, d))
                PropagateG(knownIndex);
        } else if (known.state == NodeState::Open && TiesHeadingOn(known, g, d)) {
            // Of two arrivals at the same cost, the one already heading for the target
            // pays no turn on the next step there; its cost and place in the list stay.
            known.parent = static_cast<uint16_t>(index);
            known.fromDirection = static_cast<int8_t>(d);
        }
    }
}

bool PathFinder::LowerCost(int32_t target, float g, int32_t parent, int32_t direction)
{
    Node& node = nodes[static_cast<size_t>(target)];
    node.f -= node.g - g;
    node.g = g;
    node.parent = static_cast<uint16_t>(parent);
    node.fromDirection = static_cast<int8_t>(direction);
    if (node.state != NodeState::Open)
        return false;
    HeapRaise(target);
    return true;
}

void PathFinder::PropagateG(int32_t root)
{
    // An explicit stack: carried down a long corridor the recursion would be 2,600 calls deep.
    int32_t depth = 0;
    propagateStack[static_cast<size_t>(depth++)] = root;
    while (depth > 0) {
        int32_t index = propagateStack[static_cast<size_t>(--depth)];
        const Node& node = nodes[static_cast<size_t>(index)];
        // Only an expanded node has given its neighbours a cost; an open one has none to lower.
        if (node.state != NodeState::Closed)
            continue;
        for (int32_t d = 0; d < 8; ++d) {
            uint16_t nextIndex = cellNodes[static_cast<size_t>(node.padded + kPathPaddedStep[d])];
            if (nextIndex == kNoNode)
                continue;
            Node& next = nodes[nextIndex];
            float g = node.g + kPathStepCosts[d];
            // A child of the node always gains as much as the node did; another neighbour
            // changes parent only when the node now offers it less.
            if (!(g < next.g))
                continue;
            LowerCost(nextIndex, g, index, d);
            if (depth < kPathPropagateCapacity)
                propagateStack[static_cast<size_t>(depth++)] = nextIndex;
        }
    }
}

void PathFinder::WritePath(const Node& goal, PathRecord& path) const
{
    int32_t length = 0;
    for (const Node* node = &goal; node->parent != kNoNode && length < kCellCount; node = &nodes[node->parent])
        pathScratch[static_cast<size_t>(length++)] = node->fromDirection;
    // A longer walk keeps its first steps; the mover asks again before it runs out.
    int32_t count = std::min(length, PathRecord::kMaxSteps);
    path.count = count;
    path.cursor = 0;
    for (int32_t i = 0; i < count; ++i)
        path.steps[static_cast<size_t>(i)] = static_cast<int8_t>(pathScratch[static_cast<size_t>(length - 1 - i)]);
}

inline bool PathFinder::TiesHeadingOn(const Node& known, float g, int32_t direction) const
{
    // Sums of the same steps taken in another order differ by rounding only.
    if (known.fromDirection == direction || !(std::fabs(g - known.g) <= kPathTieSlack))
        return false;
    int32_t sx = (targetX > known.cx) - (targetX < known.cx);
    int32_t sy = (targetY > known.cy) - (targetY < known.cy);
    return kPathDx[direction] == sx && kPathDy[direction] == sy;
}

uint64_t PathFinder::HeapKey(float f, uint32_t order, int32_t node)
{
    // f's bits ordered as the floats are (negatives flipped), then later orders first. A node
    // is opened once per search, so the order stays below the node count.
    uint32_t bits = 0;
    std::memcpy(&bits, &f, sizeof bits);
    bits = (bits & 0x80000000u) ? ~bits : bits | 0x80000000u;
    constexpr uint32_t kOrderMask = (1u << (32 - kHeapNodeBits)) - 1;
    return (static_cast<uint64_t>(bits) << 32) | (static_cast<uint64_t>(kOrderMask - order) << kHeapNodeBits) |
           static_cast<uint64_t>(node);
}

inline void PathFinder::HeapPush(int32_t index)
{
    HeapEntry entry = HeapKey(nodes[static_cast<size_t>(index)].f, ++openCounter, index);
    // The least entry waits in front of the heap: along a corridor each node opens the next one
    // taken, which then never goes through the heap.
    if (front != kNoEntry ? entry < front : heapSize == 0 || entry < heap[0]) {
        if (front != kNoEntry)
            HeapInsert(front);
        front = entry;
        heapPlaces[static_cast<size_t>(index)] = kFrontPlace;
        return;
    }
    HeapInsert(entry);
}

inline void PathFinder::HeapInsert(HeapEntry entry)
{
    int32_t i = heapSize++;
    HeapSiftUp(i, entry);
}

inline void PathFinder::HeapSiftUp(int32_t i, HeapEntry entry)
{
    while (i > 0) {
        int32_t parent = (i - 1) / kHeapArity;
        HeapEntry above = heap[static_cast<size_t>(parent)];
        if (!(entry < above))
            break;
        heap[static_cast<size_t>(i)] = above;
        heapPlaces[static_cast<size_t>(above & kHeapNodeMask)] = static_cast<int16_t>(i);
        i = parent;
    }
    heap[static_cast<size_t>(i)] = entry;
    heapPlaces[static_cast<size_t>(entry & kHeapNodeMask)] = static_cast<int16_t>(i);
}

void PathFinder::HeapRaise(int32_t index)
{
    // The opening order and the node stay; only f changed.
    HeapEntry high = HeapKey(nodes[static_cast<size_t>(index)].f, 0, 0) & ~0xFFFFFFFFull;
    int32_t i = heapPlaces[static_cast<size_t>(index)];
    if (i == kFrontPlace) {
        front = high | (front & 0xFFFFFFFFull);
        return;
    }
    HeapSiftUp(i, high | (heap[static_cast<size_t>(i)] & 0xFFFFFFFFull));
    // Now below the entry in front, that one joins the heap.
    if (front != kNoEntry && heap[0] < front) {
        HeapInsert(front);
        front = kNoEntry;
    }
}

inline int32_t PathFinder::HeapPop()
{
    if (front != kNoEntry) {
        auto first = static_cast<int32_t>(front & kHeapNodeMask);
        front = kNoEntry;
        heapPlaces[static_cast<size_t>(first)] = -1;
        return first;
    }
    auto top = static_cast<int32_t>(heap[0] & kHeapNodeMask);
    HeapEntry last = heap[static_cast<size_t>(--heapSize)];
    int32_t i = 0;
    for (;;) {
        int32_t first = kHeapArity * i + 1;
        if (first >= heapSize)
            break;
        int32_t end = std::min(first + kHeapArity, heapSize);
        int32_t child = first;
        for (int32_t c = first + 1; c < end; ++c)
            if (heap[static_cast<size_t>(c)] < heap[static_cast<size_t>(child)])
                child = c;
        if (!(heap[static_cast<size_t>(child)] < last))
            break;
        heap[static_cast<size_t>(i)] = heap[static_cast<size_t>(child)];
        heapPlaces[static_cast<size_t>(heap[static_cast<size_t>(i)] & kHeapNodeMask)] = static_cast<int16_t>(i);
        i = child;
    }
    if (heapSize > 0) {
        heap[static_cast<size_t>(i)] = last;
        heapPlaces[static_cast<size_t>(last & kHeapNodeMask)] = static_cast<int16_t>(i);
    }
    heapPlaces[static_cast<size_t>(top)] = -1;
    return top;
}
