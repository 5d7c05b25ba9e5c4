// SpatialTree -- the quadtree of one level's entity grid: where each entity of the level was entered, for the radius searches.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

// An entity as the grid holds it: its number and the place it was entered at.
struct SpatialEntry {
    int32_t entityNumber = -1;
    float x = 0.0f;
    float y = 0.0f;
};

// A leaf keeps up to capacity - 1 entries before it splits; a leaf at the maximum depth keeps
// any number. Nodes are never merged again. The root takes places and query points outside its
// bounds as the nearest point inside (a projection never lengthens a distance, so no search
// misses one). Places must be finite numbers.
//
// The memory is the tree's own and is never given back: every node the split rule allows comes
// at the first split, and the leaves' entries live in blocks of one shared store, which is
// always big enough for any spread of as many entries as it holds. So the tree allocates only
// when its level holds more entities than ever before, never as a crowd moves about. A leaf keeps its
// entries in the order they were entered, which is the order the searches give them in.
class SpatialTree {
public:
    static constexpr int32_t kCapacity = 10;
    static constexpr int32_t kMaxDepth = 4;
    // A leaf above the maximum depth fits one block.
    static constexpr int32_t kBlockEntries = kCapacity - 1;

    SpatialTree(float minX, float minY, float maxX, float maxY);

    void Insert(const SpatialEntry& entry);
    // Finds the entry by the place it was entered at (the entity may have moved since); false
    // when no entry of the number is in that leaf.
    bool Remove(int32_t entityNumber, float x, float y);
    // The numbers of every entry in the leaves whose bounds meet the square of the point plus
    // and minus the radius; the caller tests true distances.
    void CollectInRadius(float x, float y, float radius, std::vector<int32_t>& out) const;
    void CollectAll(std::vector<int32_t>& out) const;
    // Every entry gone and the root a leaf again; the memory stays the tree's, for the next entries.
    void Clear();
    int32_t CountEntries() const { return entryCount; }
    // The memory the tree holds for its nodes and entries, in use or not.
    size_t CountReservedBytes() const { return nodes.capacity() * sizeof(Node) + blocks.capacity() * sizeof(Block); }

private:
    struct Bounds {
        float minX, minY, maxX, maxY;
    };
    struct Node {
        int32_t count = 0;
        int32_t firstBlock = -1;
        int32_t lastBlock = -1;
        bool split = false;
    };
    struct Block {
        std::array<SpatialEntry, kBlockEntries> entries;
        int32_t next = -1;
    };

    // Children of node i are 4i + 1 to 4i + 4, in quadrant order; a full tree of the maximum
    // depth has (4^(depth + 1) - 1) / 3 nodes.
    static constexpr int32_t kNodeCount = ((1 << (2 * (kMaxDepth + 1))) - 1) / 3;
    static constexpr int32_t kMaxLeaves = 1 << (2 * kMaxDepth);

    // 0: x and y below the centre; 2: x below, y at or above; 3: x at or above, y below; 1: both.
    static int32_t QuadrantOf(const Bounds& bounds, float x, float y);
    static Bounds ChildBounds(const Bounds& bounds, int32_t quadrant);
    static bool Meets(const Bounds& bounds, float x, float y, float radius);
    void InsertAt(int32_t node, const Bounds& bounds, int32_t depth, const SpatialEntry& entry);
    void Split(int32_t node, const Bounds& bounds, int32_t depth);
    void Append(Node& node, const SpatialEntry& entry);
    bool RemoveFromLeaf(Node& node, int32_t entityNumber);
    void CollectLeaf(const Node& node, std::vector<int32_t>& out) const;
    void CollectBelow(int32_t node, const Bounds& bounds, float x, float y, float radius,
                      std::vector<int32_t>& out) const;
    void GrowStoreTo(size_t wanted);
    void GrowStoreFor(size_t entries);
    int32_t TakeBlock();
    void GiveBackBlock(int32_t block);
    // The most blocks the leaves can hold among them with this many entries: each leaf's last
    // block may be all but empty, and there are no more leaves than entries or than the depth
    // allows.
    static size_t BlocksEnoughFor(size_t entries);

    Bounds bounds;
    int32_t entryCount = 0;
    std::vector<Node> nodes;
    std::vector<Block> blocks;
    int32_t freeBlock = -1;
};
