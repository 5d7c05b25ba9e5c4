// PathFinder -- short walks for creatures: an A* search over a 51 x 51 window of movement cells around the mover, with a node pool made once.
#pragma once

#include "core/Vector.h"
#include "world/WorldPos.h"

#include <array>
#include <cstdint>
#include <memory>

class EntityBase;
struct Level;

// Steps of a path, by direction code from the start towards the goal: 0 (0, +1), 1 (+1, +1),
// 2 (+1, 0), 3 (+1, -1), 4 (0, -1), 5 (-1, -1), 6 (-1, 0), 7 (-1, +1), in cells.
struct PathRecord {
    static constexpr int32_t kMaxSteps = 250;
    int32_t count = 0;
    int32_t cursor = 0;
    std::array<int8_t, kMaxSteps> steps{};
};

// One object for the program; one search at a time, main thread only. A search allocates
// nothing: its nodes come from the pool, its tables are fixed arrays cleared per search, and at
// most 500 nodes are taken from the open list, which bounds its time.
class PathFinder {
public:
    static constexpr int32_t kWindow = 51;
    static constexpr int32_t kCentre = 25;
    static constexpr int32_t kCellCount = kWindow * kWindow;
    static constexpr int32_t kMaxTaken = 500;
    // A mover with this entity flag walks through everything.
    static constexpr uint32_t kFlagIgnoresObstacles = 0x80;
    // The box around the mover in which it is asked for the entities in its way, and their kinds.
    static constexpr float kBlockerHalfWidth = 320.0f;
    static constexpr float kBlockerHalfHeight = 240.0f;
    static constexpr int32_t kBlockerSolidMask = 5;
    // Blockers beyond this many in one search are not seen.
    static constexpr int32_t kMaxNearby = 512;

    PathFinder();
    ~PathFinder();
    PathFinder(const PathFinder&) = delete;
    PathFinder& operator=(const PathFinder&) = delete;

    // False when the pool could not be made; every search then fails.
    bool IsReady() const { return nodes != nullptr; }
    // From the mover's position to the target position, or into reach of the target entity
    // when one is given. On success the path is written when asked (cut to its first 250
    // steps when longer); the closest place reached is written when asked, success or not
    // (level -1 when none was found).
    bool FindPath(const EntityBase* mover, const WorldPos& moverPosition, const WorldPos& target,
                  const EntityBase* targetEntity, PathRecord* path, WorldPos* closest);
    // Whether a search would end at once in the mover's own cell without testing a cell: the
    // target in that cell, or within reach with no cell between them to test. Nothing is
    // searched: no cell is tested and no blocker asked for.
    bool EndsAtStart(const EntityBase* mover, const WorldPos& moverPosition, const WorldPos& target,
                     const EntityBase* targetEntity);
    // An entity in the way of this search: its cell counts as occupied, and it blocks the cells
    // its body and the mover's would share.
    void AddNearbyEntity(const EntityBase* entity);
    // Whether the mover cannot stand in a window cell; each cell is tested once per search.
    bool IsBlocked(int32_t cx, int32_t cy);
    // Nodes the last search took from its open list.
    int32_t GetNodesTaken() const { return taken; }

private:
    // The window with a border of one blocked cell all round, so that a neighbour needs no
    // bounds test.
    static constexpr int32_t kPadded = kWindow + 2;
    static constexpr int32_t kPaddedCount = kPadded * kPadded;
    static constexpr uint16_t kNoNode = 0xFFFF;
    // One bit per padded column of a padded row: window cell (cx, cy) is bit cx + 1 of row cy + 1.
    using RowBits = std::array<uint64_t, kPadded>;
    static constexpr uint64_t kInsideBits = ((uint64_t{1} << kWindow) - 1) << 1;
    enum WorldAnswer : uint8_t { kFree = 1, kBlocked = 3 };
    enum class NodeState : uint8_t { Free, Open, Closed };
    // Sixteen bytes, so that the nodes a search touches stay in the nearest cache and none
    // straddles two lines of it. An expanded node's neighbours are the nodes of its eight
    // padded cells.
    struct Node {
        float f = 0.0f;
        float g = 0.0f;
        int8_t cx = 0;
        int8_t cy = 0;
        uint16_t padded = 0;
        // A node index; kNoNode for none.
        uint16_t parent = kNoNode;
        // The direction this node was reached in from its parent.
        int8_t fromDirection = -1;
        NodeState state = NodeState::Free;
    };
    static_assert(sizeof(Node) == 16 && kWindow <= 127, "a node is small and its cell fits its bytes");
    // The open list as a heap of one integer per node: f's bits above, then the opening order
    // reversed, so the most recently opened wins a tie of f, then the node (no two nodes share
    // an order, so it never decides).
    using HeapEntry = uint64_t;
    static constexpr int32_t kHeapNodeBits = 12;
    static constexpr uint64_t kHeapNodeMask = (uint64_t{1} << kHeapNodeBits) - 1;
    static_assert(kCellCount <= static_cast<int32_t>(kHeapNodeMask), "a node index fits its bits");
    void Place(const EntityBase* mover, const WorldPos& moverPosition);
    void Begin();
    bool Aim(const WorldPos& target, const EntityBase* targetEntity);
    bool Search(PathRecord* path);
    bool IsGoal(Node& node);
    bool CornersClear(int32_t cx, int32_t cy);
    uint32_t FreeSides(const Node& node);
    void Expand(int32_t index);
    // The node reached more cheaply from parent by direction; an open node moves up the list.
    // Whether it was open.
    bool LowerCost(int32_t target, float g, int32_t parent, int32_t direction);
    void PropagateG(int32_t root);
    bool TiesHeadingOn(const Node& known, float g, int32_t direction) const;
    void WritePath(const Node& goal, PathRecord& path) const;
    // A node made for a padded cell reached from parent by direction at cost g, and opened.
    void OpenNode(int32_t cx, int32_t cy, int32_t padded, int32_t parent, int32_t direction, float g);
    float Heuristic(int32_t cx, int32_t cy) const;
    Vector2 CellOffset(int32_t cx, int32_t cy) const;
    bool WorldBlocked(int32_t cx, int32_t cy)
    {
        auto row = static_cast<size_t>(cy + 1);
        uint64_t bit = uint64_t{1} << (cx + 1);
        if (!(worldKnown[row] & bit)) {
            worldKnown[row] |= bit;
            if (AskWorld(cx, cy) == kBlocked)
                worldBlocked[row] |= bit;
        }
        return (worldBlocked[row] & bit) != 0;
    }
    uint8_t AskWorld(int32_t cx, int32_t cy);
    Level* SideLevel(int32_t dx, int32_t dy);
    int32_t ReadyBlockCell(int32_t cx, int32_t cy);
    void MapBlocks();
    void ClearRows();
    void ReadWorldRow(int32_t row);
    void SettleRow(int32_t row);
    void MarkReach(const Vector2& offset, float reach);
    bool RingClear(int32_t cx, int32_t cy);
    void TestCell(int32_t cx, int32_t cy);
    bool Inside(int32_t cx, int32_t cy) const { return cx >= 0 && cy >= 0 && cx < kWindow && cy < kWindow; }
    static int32_t CellIndex(int32_t cx, int32_t cy) { return cy * kWindow + cx; }
    static int32_t PaddedIndex(int32_t cx, int32_t cy) { return (cy + 1) * kPadded + cx + 1; }

    void HeapPush(int32_t index);
    int32_t HeapPop();
    void HeapRaise(int32_t index);
    void HeapInsert(HeapEntry entry);
    void HeapSiftUp(int32_t place, HeapEntry entry);
    static uint64_t HeapKey(float f, uint32_t order, int32_t node);

    std::unique_ptr<Node[]> nodes;
    // Per node, its place in the open list (-1 when not in it): apart from the nodes, so that a
    // sift through the list writes to a few lines of cache.
    std::array<int16_t, kCellCount> heapPlaces{};
    std::unique_ptr<HeapEntry[]> heap;
    // The open list's least entry when it is kept in front of the heap (less than every entry
    // in it), else kNoEntry; its node's place is kFrontPlace.
    static constexpr HeapEntry kNoEntry = ~HeapEntry{0};
    static constexpr int16_t kFrontPlace = -2;
    HeapEntry front = kNoEntry;
    std::unique_ptr<int32_t[]> propagateStack;
    std::unique_ptr<int32_t[]> pathScratch;
    // Per padded cell: the node made for it this search.
    std::array<uint16_t, kPaddedCount> cellNodes{};
    // The world's answers known so far and which of them block (the border and beyond always
    // do); the cells entities stand on, and those within their reach of the mover.
    RowBits worldKnown{};
    RowBits worldBlocked{};
    RowBits occupiedBits{};
    RowBits reachBits{};
    // The cells whose answer for this mover is known, and which of those it may stand on. A
    // row is settled at once from the world's known answers when first needed, so that an
    // expansion reads its eight sides from three rows; a cell still unknown then (its block not
    // yet built, or off the level) is tested alone, asking the world in the same order as ever.
    RowBits cellKnown{};
    RowBits cellFree{};
    std::array<uint8_t, kPadded> worldRowRead{};
    std::array<uint8_t, kPadded> rowSettled{};
    // Rows settled with every cell known: an expansion between three of them reads its sides
    // at once.
    std::array<uint8_t, kPadded> rowKnown{};
    // The straight-line distance, in cells, of every offset in the window.
    std::array<float, kWindow * kWindow> distances{};
    int32_t nearbyCount = 0;
    int32_t nodesUsed = 0;
    int32_t heapSize = 0;
    uint32_t openCounter = 0;
    int32_t taken = 0;

    const EntityBase* mover = nullptr;
    WorldPos start;
    float moverRadius = 0.0f;
    int32_t clearanceRings = 0;
    bool ignoresObstacles = false;
    Vector2 cellSize{32.0f, 32.0f};
    int32_t cellsAcross = 0;
    int32_t cellsDown = 0;
    int32_t startCellX = 0;
    int32_t startCellY = 0;
    // The mover's level, when it is generated, found once per search.
    Level* startLevel = nullptr;
    // Per block of the mover's level under the window, counted from the first: 0 not yet
    // asked, 1 built (its cells are read from its bits), 2 asked of the level's cells each time.
    static constexpr int32_t kBlockSpan = 8;
    std::array<uint8_t, kBlockSpan * kBlockSpan> blockReady{};
    // Per side of the mover's level (three by three, its own in the middle), the level the
    // window's cells beyond that edge lie on, found when first needed in a search.
    std::array<Level*, 9> sideLevels{};
    std::array<uint8_t, 9> sideLevelsFound{};
    // Per block slot across, the window columns it holds, as row bits.
    std::array<uint64_t, kBlockSpan> slotColumns{};
    // Block slots across that hold a window column.
    int32_t slotsAcross = 0;
    // Per window column and row: its block slot in the mover's level (-1 off the level or past
    // the span), and its level cell.
    std::array<int8_t, kWindow> columnSlots{};
    std::array<int8_t, kWindow> rowSlots{};
    // Per window row with a block slot, the bit of its level cell in column 0 of the window.
    std::array<int32_t, kWindow> rowFirstBits{};
    int32_t targetX = 0;
    int32_t targetY = 0;
    Vector2 targetOffset;
    float range = 0.0f;
    bool exactGoal = false;
    bool recordClosest = false;
    WorldPos closestPlace;
    float closestDistance = -1.0f;
};

extern PathFinder* gPathFinder;
