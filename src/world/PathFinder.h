// PathFinder -- short walks for creatures: an A* search over a 51 x 51 window of movement cells around the mover, with a node pool made once.
#pragma once

#include "core/Vector.h"
#include "world/WorldPos.h"

#include <array>
#include <cstdint>
#include <memory>

class EntityBase;

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
    // An entity in the way of this search: its cell counts as occupied, and it blocks the cells
    // its body and the mover's would share.
    void AddNearbyEntity(const EntityBase* entity);
    // Whether the mover cannot stand in a window cell; each cell is tested once per search.
    bool IsBlocked(int32_t cx, int32_t cy, bool checkEntities);
    // Nodes the last search took from its open list.
    int32_t GetNodesTaken() const { return taken; }

private:
    enum class NodeState : uint8_t { Free, Open, Closed };
    struct Node {
        float f = 0.0f;
        float g = 0.0f;
        float h = 0.0f;
        int32_t cx = 0;
        int32_t cy = 0;
        Node* parent = nullptr;
        std::array<Node*, 8> neighbours{};
        // The direction this node was reached in from its parent.
        int32_t fromDirection = -1;
        // Later-opened nodes win ties of f, as the newest at the head of a list would.
        uint32_t openOrder = 0;
        int32_t heapIndex = -1;
        NodeState state = NodeState::Free;
    };
    struct NearbyEntity {
        Vector2 offset;
        float radius = 0.0f;
    };

    void Begin(const EntityBase* mover, const WorldPos& moverPosition);
    bool Search(PathRecord* path);
    bool IsGoal(Node& node);
    bool CornersClear(int32_t cx, int32_t cy);
    void Expand(Node& node);
    void PropagateG(Node& node);
    void WritePath(const Node& goal, PathRecord& path) const;
    Node* TakeNode(int32_t cx, int32_t cy);
    float Heuristic(int32_t cx, int32_t cy) const;
    Vector2 CellOffset(int32_t cx, int32_t cy) const;
    bool WorldBlocked(int32_t cx, int32_t cy);
    bool Inside(int32_t cx, int32_t cy) const { return cx >= 0 && cy >= 0 && cx < kWindow && cy < kWindow; }
    static int32_t CellIndex(int32_t cx, int32_t cy) { return cy * kWindow + cx; }

    // The open list as a binary heap on (f, newest first).
    bool Before(const Node* a, const Node* b) const;
    void HeapPush(Node* node);
    Node* HeapPop();
    void HeapRaise(Node* node);

    std::unique_ptr<Node[]> nodes;
    std::unique_ptr<Node*[]> heap;
    std::unique_ptr<Node*[]> propagateStack;
    std::unique_ptr<int32_t[]> pathScratch;
    std::array<Node*, kCellCount> cellNodes{};
    // 0 untested, 1 free, 2 occupied by an entity, 3 blocked.
    std::array<int32_t, kCellCount> cellStates{};
    // The world's own answer per cell (0 untested, 1 free, 3 blocked), for the clearance rings.
    std::array<uint8_t, kCellCount> worldStates{};
    std::array<NearbyEntity, kMaxNearby> nearby{};
    int32_t nearbyCount = 0;
    int32_t nodesUsed = 0;
    int32_t heapSize = 0;
    uint32_t openCounter = 0;
    int32_t taken = 0;

    const EntityBase* mover = nullptr;
    WorldPos start;
    float moverRadius = 0.0f;
    bool ignoresObstacles = false;
    Vector2 cellSize{32.0f, 32.0f};
    int32_t cellsAcross = 0;
    int32_t cellsDown = 0;
    int32_t startCellX = 0;
    int32_t startCellY = 0;
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
