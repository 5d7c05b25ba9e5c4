// PathFinder -- short walks for creatures: an A* search over a 51 x 51 window of movement cells around the mover, with a node pool made once.
#include "world/PathFinder.h"

#include "core/DebugSystem.h"
#include "rules/GameData.h"
#include "world/EntityBase.h"
#include "world/Level.h"
#include "world/LevelCells.h"
#include "world/LevelData.h"
#include "world/World.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

PathFinder* gPathFinder = nullptr;

namespace {

constexpr int32_t kPathDx[8] = {0, 1, 1, 1, 0, -1, -1, -1};
constexpr int32_t kPathDy[8] = {1, 1, 0, -1, -1, -1, 0, 1};
constexpr float kPathDiagonal = 1.4142135f;
constexpr float kPathTurnCost = 0.1f;
// Every node can be lowered from each of its eight sides before the propagation gives up.
constexpr int32_t kPathPropagateCapacity = PathFinder::kCellCount * 8;

float PathStepCost(int32_t direction)
{
    return direction % 2 == 0 ? 1.0f : kPathDiagonal;
}

} // namespace

PathFinder::PathFinder()
{
    // Made once; a failure leaves the finder unready and every search false.
    nodes.reset(new (std::nothrow) Node[kCellCount]);
    heap.reset(new (std::nothrow) Node*[kCellCount]);
    propagateStack.reset(new (std::nothrow) Node*[kPathPropagateCapacity]);
    pathScratch.reset(new (std::nothrow) int32_t[kCellCount]);
    if (!heap || !propagateStack || !pathScratch)
        nodes.reset();
}

PathFinder::~PathFinder() = default;

void PathFinder::Begin(const EntityBase* newMover, const WorldPos& moverPosition)
{
    cellStates.fill(0);
    worldStates.fill(0);
    cellNodes.fill(nullptr);
    nearbyCount = 0;
    nodesUsed = 0;
    heapSize = 0;
    openCounter = 0;
    taken = 0;
    closestPlace = WorldPos{-1, 0.0f, 0.0f, true};
    closestDistance = -1.0f;
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
    // The window's cells are the level's cells counted from the mover's: the world's cell of a
    // grid point is found once, and each window cell is an offset from it.
    LevelGeometry geometry = LevelGeometry::Current();
    cellsAcross = geometry.CellsAcross();
    cellsDown = geometry.CellsDown();
    startCellX = static_cast<int32_t>(std::clamp(std::floor((start.x - grid.origin.x) / cellSize.x + 0.5f), -1e6f, 1e6f));
    startCellY = static_cast<int32_t>(std::clamp(std::floor((start.y - grid.origin.y) / cellSize.y + 0.5f), -1e6f, 1e6f));
    if (!ignoresObstacles)
        mover->RegisterPathBlockers(*this, {kBlockerHalfWidth, kBlockerHalfHeight}, kBlockerSolidMask);
}

bool PathFinder::FindPath(const EntityBase* newMover, const WorldPos& moverPosition, const WorldPos& target,
                          const EntityBase* targetEntity, PathRecord* path, WorldPos* closest)
{
    if (!newMover || !IsReady())
        return false;
    Begin(newMover, moverPosition);
    recordClosest = closest != nullptr;
    targetOffset = start.DeltaTo(target);
    float fx = std::floor(targetOffset.x / cellSize.x + 0.5f);
    float fy = std::floor(targetOffset.y / cellSize.y + 0.5f);
    bool outside = !(std::fabs(fx) <= static_cast<float>(kCentre)) || !(std::fabs(fy) <= static_cast<float>(kCentre));
    if (outside) {
        if (closest)
            *closest = closestPlace;
        return false;
    }
    targetX = static_cast<int32_t>(fx) + kCentre;
    targetY = static_cast<int32_t>(fy) + kCentre;
    range = cellSize.x * 1.5f;
    if (targetEntity)
        range += moverRadius + targetEntity->radius;
    exactGoal = targetEntity == nullptr;
    bool found = Search(path);
    if (closest)
        *closest = closestPlace;
    return found;
}

Vector2 PathFinder::CellOffset(int32_t cx, int32_t cy) const
{
    return {static_cast<float>(cx - kCentre) * cellSize.x, static_cast<float>(cy - kCentre) * cellSize.y};
}

float PathFinder::Heuristic(int32_t cx, int32_t cy) const
{
    float dx = static_cast<float>(targetX - cx);
    float dy = static_cast<float>(targetY - cy);
    return std::sqrt(dx * dx + dy * dy);
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
        cellStates[static_cast<size_t>(CellIndex(static_cast<int32_t>(fx), static_cast<int32_t>(fy)))] = 2;
}

bool PathFinder::WorldBlocked(int32_t cx, int32_t cy)
{
    uint8_t& state = worldStates[static_cast<size_t>(CellIndex(cx, cy))];
    if (state == 0) {
        // What the world answers for the cell's position: a level not generated, or no level,
        // blocks.
        int32_t x = startCellX + cx - kCentre;
        int32_t y = startCellY + cy - kCentre;
        int32_t level = start.level;
        if (gWorld && (x < 0 || y < 0 || x >= cellsAcross || y >= cellsDown))
            level = gWorld->WrapCellToLevel(level, x, y);
        Level* found = gWorld ? gWorld->GetLevel(level) : nullptr;
        bool blocked = !found || !found->data || !found->data->generated || LevelCells::IsCellBlocked(*found, x, y);
        state = blocked ? 3 : 1;
    }
    return state == 3;
}

bool PathFinder::IsBlocked(int32_t cx, int32_t cy, bool checkEntities)
{
    if (ignoresObstacles)
        return false;
    if (!Inside(cx, cy))
        return true;
    int32_t& state = cellStates[static_cast<size_t>(CellIndex(cx, cy))];
    if (state != 0)
        return state != 1;
    state = 3;
    if (WorldBlocked(cx, cy))
        return true;
    if (checkEntities) {
        Vector2 here = CellOffset(cx, cy);
        for (int32_t i = 0; i < nearbyCount; ++i) {
            const NearbyEntity& other = nearby[static_cast<size_t>(i)];
            float dx = other.offset.x - here.x;
            float dy = other.offset.y - here.y;
            float reach = other.radius + moverRadius;
            if (dx * dx + dy * dy <= reach * reach)
                return true;
        }
    }
    // The mover's body must fit: every cell within its radius is free of walls and entities.
    int32_t rings = cellSize.x > 0.0f ? static_cast<int32_t>(std::floor(moverRadius / cellSize.x)) : 0;
    rings = std::clamp(rings, 0, kCentre);
    for (int32_t y = cy - rings; y <= cy + rings; ++y) {
        for (int32_t x = cx - rings; x <= cx + rings; ++x) {
            if (x == cx && y == cy)
                continue;
            if (!Inside(x, y) || cellStates[static_cast<size_t>(CellIndex(x, y))] == 2 || WorldBlocked(x, y))
                return true;
        }
    }
    state = 1;
    return false;
}

PathFinder::Node* PathFinder::TakeNode(int32_t cx, int32_t cy)
{
    if (nodesUsed >= kCellCount)
        return nullptr;
    Node* node = &nodes[static_cast<size_t>(nodesUsed++)];
    *node = Node{};
    node->cx = cx;
    node->cy = cy;
    cellNodes[static_cast<size_t>(CellIndex(cx, cy))] = node;
    return node;
}

bool PathFinder::Search(PathRecord* path)
{
    if (exactGoal && IsBlocked(targetX, targetY, true))
        exactGoal = false;
    Node* first = TakeNode(kCentre, kCentre);
    if (!first)
        return false;
    first->h = Heuristic(kCentre, kCentre);
    first->f = first->h;
    HeapPush(first);
    for (;;) {
        // The 500th take is the last: the next finds none and the search fails.
        if (taken >= kMaxTaken || heapSize == 0)
            return false;
        Node* node = HeapPop();
        ++taken;
        if (IsGoal(*node)) {
            if (path)
                WritePath(*node, *path);
            return true;
        }
        Expand(*node);
        node->state = NodeState::Closed;
    }
}

bool PathFinder::IsGoal(Node& node)
{
    Vector2 offset = CellOffset(node.cx, node.cy);
    auto recordIfCloser = [&](float distance) {
        if (!recordClosest || (closestDistance >= 0.0f && distance >= closestDistance))
            return;
        closestDistance = distance;
        closestPlace = WorldPos{start.level, start.x + offset.x, start.y + offset.y, true};
        closestPlace.Normalize();
    };
    float dx = targetOffset.x - offset.x;
    float dy = targetOffset.y - offset.y;
    float distance = std::sqrt(dx * dx + dy * dy);
    if (exactGoal) {
        if (node.cx == targetX && node.cy == targetY)
            return true;
        recordIfCloser(distance);
        return false;
    }
    recordIfCloser(distance);
    return distance < range && CornersClear(node.cx, node.cy);
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

void PathFinder::Expand(Node& node)
{
    for (int32_t d = 0; d < 8; ++d) {
        int32_t x = node.cx + kPathDx[d];
        int32_t y = node.cy + kPathDy[d];
        if (!Inside(x, y) || IsBlocked(x, y, true))
            continue;
        float g = node.g + PathStepCost(d);
        if (node.parent && node.fromDirection != d)
            g += kPathTurnCost;
        Node* known = cellNodes[static_cast<size_t>(CellIndex(x, y))];
        if (known) {
            node.neighbours[static_cast<size_t>(d)] = known;
            if (g < known->g) {
                known->f -= known->g - g;
                known->g = g;
                known->parent = &node;
                known->fromDirection = d;
                if (known->state == NodeState::Open)
                    HeapRaise(known);
                else
                    PropagateG(*known);
            }
            continue;
        }
        Node* made = TakeNode(x, y);
        if (!made)
            continue;
        made->parent = &node;
        made->fromDirection = d;
        made->g = g;
        made->h = Heuristic(x, y);
        made->f = g + made->h;
        node.neighbours[static_cast<size_t>(d)] = made;
        HeapPush(made);
    }
}

void PathFinder::PropagateG(Node& root)
{
    // An explicit stack: carried down a long corridor the recursion would be 2,600 calls deep.
    int32_t depth = 0;
    propagateStack[static_cast<size_t>(depth++)] = &root;
    while (depth > 0) {
        Node* node = propagateStack[static_cast<size_t>(--depth)];
        for (int32_t d = 0; d < 8; ++d) {
            Node* next = node->neighbours[static_cast<size_t>(d)];
            if (!next)
                continue;
            float g = node->g + PathStepCost(d);
            // A child of the node always gains as much as the node did; another neighbour
            // changes parent only when the node now offers it less.
            if (!(g < next->g))
                continue;
            next->f -= next->g - g;
            next->g = g;
            next->parent = node;
            next->fromDirection = d;
            if (next->state == NodeState::Open)
                HeapRaise(next);
            if (depth < kPathPropagateCapacity)
                propagateStack[static_cast<size_t>(depth++)] = next;
        }
    }
}

void PathFinder::WritePath(const Node& goal, PathRecord& path) const
{
    int32_t length = 0;
    for (const Node* node = &goal; node->parent && length < kCellCount; node = node->parent)
        pathScratch[static_cast<size_t>(length++)] = node->fromDirection;
    // A longer walk keeps its first steps; the mover asks again before it runs out.
    int32_t count = std::min(length, PathRecord::kMaxSteps);
    path.count = count;
    path.cursor = 0;
    for (int32_t i = 0; i < count; ++i)
        path.steps[static_cast<size_t>(i)] = static_cast<int8_t>(pathScratch[static_cast<size_t>(length - 1 - i)]);
}

bool PathFinder::Before(const Node* a, const Node* b) const
{
    return a->f < b->f || (a->f == b->f && a->openOrder > b->openOrder);
}

void PathFinder::HeapPush(Node* node)
{
    node->state = NodeState::Open;
    node->openOrder = ++openCounter;
    node->heapIndex = heapSize;
    heap[static_cast<size_t>(heapSize++)] = node;
    HeapRaise(node);
}

void PathFinder::HeapRaise(Node* node)
{
    int32_t i = node->heapIndex;
    while (i > 0) {
        int32_t parent = (i - 1) / 2;
        Node* above = heap[static_cast<size_t>(parent)];
        if (!Before(node, above))
            break;
        heap[static_cast<size_t>(i)] = above;
        above->heapIndex = i;
        i = parent;
    }
    heap[static_cast<size_t>(i)] = node;
    node->heapIndex = i;
}

PathFinder::Node* PathFinder::HeapPop()
{
    Node* top = heap[0];
    Node* last = heap[static_cast<size_t>(--heapSize)];
    int32_t i = 0;
    for (;;) {
        int32_t child = 2 * i + 1;
        if (child >= heapSize)
            break;
        if (child + 1 < heapSize && Before(heap[static_cast<size_t>(child + 1)], heap[static_cast<size_t>(child)]))
            ++child;
        if (!Before(heap[static_cast<size_t>(child)], last))
            break;
        heap[static_cast<size_t>(i)] = heap[static_cast<size_t>(child)];
        heap[static_cast<size_t>(i)]->heapIndex = i;
        i = child;
    }
    if (heapSize > 0) {
        heap[static_cast<size_t>(i)] = last;
        last->heapIndex = i;
    }
    top->heapIndex = -1;
    return top;
}
