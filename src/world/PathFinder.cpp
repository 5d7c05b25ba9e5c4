// PathFinder -- short walks for creatures: an A* search over a 51 x 51 window of movement cells around the mover, with a node pool made once.
#include "world/PathFinder.h"

#include "core/DebugSystem.h"
#include "rules/GameData.h"
#include "world/EntityBase.h"
#include "world/Level.h"
#include "world/LevelCells.h"
#include "world/LevelData.h"
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
// Children per heap node: a flatter heap sifts through fewer levels, the four side by side.
constexpr int32_t kHeapArity = 4;

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
    // The border is blocked; inside, a mover that walks through everything finds every cell free.
    cellStates.fill(kBlocked);
    uint8_t inside = ignoresObstacles ? kFree : kUntested;
    for (int32_t cy = 0; cy < kWindow; ++cy)
        std::memset(&cellStates[static_cast<size_t>(PaddedIndex(0, cy))], inside, kWindow);
    worldStates.fill(kBlocked);
    for (int32_t cy = 0; cy < kWindow; ++cy)
        std::memset(&worldStates[static_cast<size_t>(PaddedIndex(0, cy))], kUntested, kWindow);
    cellNodes.fill(kNoNode);
    nearbyCount = 0;
    nodesUsed = 0;
    heapSize = 0;
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
    MapBlocks();
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
    Vector2 offset = start.DeltaTo(entity->position);
    nearby[static_cast<size_t>(nearbyCount++)] = {offset, entity->radius};
    float fx = std::floor(offset.x / cellSize.x + 0.5f) + static_cast<float>(kCentre);
    float fy = std::floor(offset.y / cellSize.y + 0.5f) + static_cast<float>(kCentre);
    if (fx >= 0.0f && fy >= 0.0f && fx < static_cast<float>(kWindow) && fy < static_cast<float>(kWindow))
        cellStates[static_cast<size_t>(PaddedIndex(static_cast<int32_t>(fx), static_cast<int32_t>(fy)))] = kOccupied;
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
        found = gWorld->GetLevel(gWorld->WrapCellToLevel(start.level, x, y));
        if (found && (!found->data || !found->data->generated))
            found = nullptr;
    }
    return !found || LevelCells::IsCellBlocked(*found, x, y) ? kBlocked : kFree;
}

void PathFinder::MapBlocks()
{
    blockReady.fill(0);
    columnSlots.fill(-1);
    rowSlots.fill(-1);
    if (!startLevel)
        return;
    const LevelGeometry& g = startLevel->data->geometry;
    int32_t perX = g.CellsPerBlockX();
    int32_t perY = g.CellsPerBlockY();
    if (perX < 1 || perY < 1)
        return;
    int32_t firstX = std::max(0, startCellX - kCentre) / perX;
    int32_t firstY = std::max(0, startCellY - kCentre) / perY;
    for (int32_t c = 0; c < kWindow; ++c) {
        int32_t x = startCellX + c - kCentre;
        int32_t y = startCellY + c - kCentre;
        if (x >= 0 && x < g.CellsAcross() && x / perX - firstX < kBlockSpan && x / perX < g.blocksPerRow)
            columnSlots[static_cast<size_t>(c)] = static_cast<int8_t>(x / perX - firstX);
        if (y >= 0 && y < g.CellsDown() && y / perY - firstY < kBlockSpan && y / perY < g.blocksPerColumn) {
            rowSlots[static_cast<size_t>(c)] = static_cast<int8_t>(y / perY - firstY);
            rowFirstBits[static_cast<size_t>(c)] = y * g.CellsAcross() + startCellX - kCentre;
        }
    }
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

bool PathFinder::IsBlocked(int32_t cx, int32_t cy, bool checkEntities)
{
    if (ignoresObstacles)
        return false;
    if (!Inside(cx, cy))
        return true;
    uint8_t state = cellStates[static_cast<size_t>(PaddedIndex(cx, cy))];
    if (state == kUntested)
        state = TestCell(cx, cy, checkEntities);
    return state != kFree;
}

uint8_t PathFinder::TestCell(int32_t cx, int32_t cy, bool checkEntities)
{
    uint8_t& state = cellStates[static_cast<size_t>(PaddedIndex(cx, cy))];
    state = kBlocked;
    if (WorldBlocked(cx, cy))
        return state;
    if (checkEntities && nearbyCount > 0) {
        Vector2 here = CellOffset(cx, cy);
        for (int32_t i = 0; i < nearbyCount; ++i) {
            const NearbyEntity& other = nearby[static_cast<size_t>(i)];
            float dx = other.offset.x - here.x;
            float dy = other.offset.y - here.y;
            float reach = other.radius + moverRadius;
            if (dx * dx + dy * dy <= reach * reach)
                return state;
        }
    }
    // The mover's body must fit: every cell within its radius is free of walls and entities.
    // One ring, the most common, is the eight neighbours, the border counting as a wall.
    if (clearanceRings == 0) {
        state = kFree;
        return state;
    }
    if (clearanceRings == 1) {
        int32_t here = PaddedIndex(cx, cy);
        for (int32_t d = 0; d < 8; ++d) {
            size_t ring = static_cast<size_t>(here + kPathPaddedStep[d]);
            uint8_t world = worldStates[ring];
            if (cellStates[ring] == kOccupied || world == kBlocked ||
                (world == kUntested && WorldBlocked(cx + kPathDx[d], cy + kPathDy[d])))
                return state;
        }
        state = kFree;
        return state;
    }
    for (int32_t y = cy - clearanceRings; y <= cy + clearanceRings; ++y) {
        for (int32_t x = cx - clearanceRings; x <= cx + clearanceRings; ++x) {
            if (x == cx && y == cy)
                continue;
            if (!Inside(x, y) || cellStates[static_cast<size_t>(PaddedIndex(x, y))] == kOccupied || WorldBlocked(x, y))
                return state;
        }
    }
    state = kFree;
    return state;
}

int32_t PathFinder::TakeNode(int32_t cx, int32_t cy, int32_t padded)
{
    int32_t index = nodesUsed++;
    Node& node = nodes[static_cast<size_t>(index)];
    node.cx = static_cast<int16_t>(cx);
    node.cy = static_cast<int16_t>(cy);
    node.padded = static_cast<uint16_t>(padded);
    node.parent = kNoNode;
    node.fromDirection = -1;
    node.state = NodeState::Free;
    heapPlaces[static_cast<size_t>(index)] = -1;
    cellNodes[static_cast<size_t>(padded)] = static_cast<uint16_t>(index);
    return index;
}

bool PathFinder::Search(PathRecord* path)
{
    if (exactGoal && IsBlocked(targetX, targetY, true))
        exactGoal = false;
    int32_t first = TakeNode(kCentre, kCentre, PaddedIndex(kCentre, kCentre));
    Node& origin = nodes[static_cast<size_t>(first)];
    origin.g = 0.0f;
    origin.f = Heuristic(kCentre, kCentre);
    HeapPush(first);
    for (;;) {
        // The 500th take is the last: the next finds none and the search fails.
        if (taken >= kMaxTaken || heapSize == 0)
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

bool PathFinder::IsGoal(Node& node)
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
        return !IsBlocked(mx, my, true);
    if (ax == 2 && ay == 1)
        return !IsBlocked(mx, my, true) && !IsBlocked(mx, my + 1, true);
    if (ax == 1 && ay == 2)
        return !IsBlocked(mx, my, true) && !IsBlocked(mx + 1, my, true);
    return true;
}

void PathFinder::Expand(int32_t index)
{
    Node& node = nodes[static_cast<size_t>(index)];
    const std::array<float, 8>& turns = kPathTurnCosts[static_cast<size_t>(node.fromDirection + 1)];
    // The free sides first, then a visit of those alone: among walls most sides are not, and a
    // cell's test never depends on the nodes made.
    uint32_t sides = 0;
    for (int32_t d = 0; d < 8; ++d) {
        uint8_t state = cellStates[static_cast<size_t>(node.padded + kPathPaddedStep[d])];
        if (state == kUntested)
            state = TestCell(node.cx + kPathDx[d], node.cy + kPathDy[d], true);
        sides |= static_cast<uint32_t>(state == kFree) << d;
    }
    for (; sides != 0; sides &= sides - 1) {
        int32_t d = std::countr_zero(sides);
        int32_t padded = node.padded + kPathPaddedStep[d];
        // Added apart, as two sums: adding no turn leaves the step's sum exactly as it was.
        float g = node.g + kPathStepCosts[d];
        g += turns[static_cast<size_t>(d)];
        uint16_t knownIndex = cellNodes[static_cast<size_t>(padded)];
        if (knownIndex == kNoNode) {
            int32_t madeIndex = TakeNode(node.cx + kPathDx[d], node.cy + kPathDy[d], padded);
            Node& made = nodes[static_cast<size_t>(madeIndex)];
            made.parent = static_cast<uint16_t>(index);
            made.fromDirection = static_cast<int8_t>(d);
            made.g = g;
            made.f = g + Heuristic(made.cx, made.cy);
            HeapPush(madeIndex);
            continue;
        }
        Node& known = nodes[knownIndex];
        if (g < known.g) {
            known.f -= known.g - g;
            known.g = g;
            known.parent = static_cast<uint16_t>(index);
            known.fromDirection = static_cast<int8_t>(d);
            if (known.state == NodeState::Open)
                HeapRaise(knownIndex);
            else
                PropagateG(knownIndex);
        } else if (known.state == NodeState::Open && TiesHeadingOn(known, g, d)) {
            // Of two arrivals at the same cost, the one already heading for the target
            // pays no turn on the next step there; its cost and place in the list stay.
            known.parent = static_cast<uint16_t>(index);
            known.fromDirection = static_cast<int8_t>(d);
        }
    }
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
            next.f -= next.g - g;
            next.g = g;
            next.parent = static_cast<uint16_t>(index);
            next.fromDirection = static_cast<int8_t>(d);
            if (next.state == NodeState::Open)
                HeapRaise(nextIndex);
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

bool PathFinder::TiesHeadingOn(const Node& known, float g, int32_t direction) const
{
    // Sums of the same steps taken in another order differ by rounding only.
    if (known.fromDirection == direction || !(std::fabs(g - known.g) <= kPathTieSlack))
        return false;
    int32_t sx = (targetX > known.cx) - (targetX < known.cx);
    int32_t sy = (targetY > known.cy) - (targetY < known.cy);
    return kPathDx[direction] == sx && kPathDy[direction] == sy;
}

uint64_t PathFinder::HeapKey(float f, uint32_t order)
{
    // f's bits ordered as the floats are (negatives flipped), then later orders first.
    uint32_t bits = 0;
    std::memcpy(&bits, &f, sizeof bits);
    bits = (bits & 0x80000000u) ? ~bits : bits | 0x80000000u;
    return (static_cast<uint64_t>(bits) << 32) | (0xFFFFFFFFu - order);
}

void PathFinder::HeapPush(int32_t index)
{
    Node& node = nodes[static_cast<size_t>(index)];
    node.state = NodeState::Open;
    heapPlaces[static_cast<size_t>(index)] = static_cast<int16_t>(heapSize);
    heap[static_cast<size_t>(heapSize++)] = {HeapKey(node.f, ++openCounter), index};
    HeapRaise(index);
}

void PathFinder::HeapRaise(int32_t index)
{
    Node& node = nodes[static_cast<size_t>(index)];
    int32_t i = heapPlaces[static_cast<size_t>(index)];
    // The opening order stays what it was; only f changed.
    HeapEntry entry{(HeapKey(node.f, 0) & 0xFFFFFFFF00000000ull) | (heap[static_cast<size_t>(i)].key & 0xFFFFFFFFull), index};
    while (i > 0) {
        int32_t parent = (i - 1) / kHeapArity;
        const HeapEntry& above = heap[static_cast<size_t>(parent)];
        if (!(entry.key < above.key))
            break;
        heap[static_cast<size_t>(i)] = above;
        heapPlaces[static_cast<size_t>(above.node)] = static_cast<int16_t>(i);
        i = parent;
    }
    heap[static_cast<size_t>(i)] = entry;
    heapPlaces[static_cast<size_t>(index)] = static_cast<int16_t>(i);
}

int32_t PathFinder::HeapPop()
{
    int32_t top = heap[0].node;
    HeapEntry last = heap[static_cast<size_t>(--heapSize)];
    int32_t i = 0;
    for (;;) {
        int32_t first = kHeapArity * i + 1;
        if (first >= heapSize)
            break;
        int32_t end = std::min(first + kHeapArity, heapSize);
        int32_t child = first;
        for (int32_t c = first + 1; c < end; ++c)
            if (heap[static_cast<size_t>(c)].key < heap[static_cast<size_t>(child)].key)
                child = c;
        if (!(heap[static_cast<size_t>(child)].key < last.key))
            break;
        heap[static_cast<size_t>(i)] = heap[static_cast<size_t>(child)];
        heapPlaces[static_cast<size_t>(heap[static_cast<size_t>(i)].node)] = static_cast<int16_t>(i);
        i = child;
    }
    if (heapSize > 0) {
        heap[static_cast<size_t>(i)] = last;
        heapPlaces[static_cast<size_t>(last.node)] = static_cast<int16_t>(i);
    }
    heapPlaces[static_cast<size_t>(top)] = -1;
    return top;
}
