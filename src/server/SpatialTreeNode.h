// SpatialTreeNode -- the quadtree of one level's entity grid: where each entity of the level was entered, for the radius searches.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

// An entity as the grid holds it: its number and the place it was entered at.
struct SpatialEntry {
    int32_t entityNumber = -1;
    float x = 0.0f;
    float y = 0.0f;
};

// A leaf keeps up to capacity - 1 entries before it splits; a leaf at the maximum depth keeps
// any number. Nodes are never merged again, so a level's tree stops allocating once it has
// grown to the crowd it holds. The root takes places and query points outside its bounds as
// the nearest point inside (a projection never lengthens a distance, so no search misses one).
// Places must be finite numbers.
class SpatialTreeNode {
public:
    static constexpr int32_t kCapacity = 10;
    static constexpr int32_t kMaxDepth = 4;

    SpatialTreeNode(float minX, float minY, float maxX, float maxY, int32_t depth = 0);

    void Insert(const SpatialEntry& entry);
    // Finds the entry by the place it was entered at (the entity may have moved since); false
    // when no entry of the number is in that leaf.
    bool Remove(int32_t entityNumber, float x, float y);
    // The numbers of every entry in the leaves whose bounds meet the square of the point plus
    // and minus the radius; the caller tests true distances.
    void CollectInRadius(float x, float y, float radius, std::vector<int32_t>& out) const;
    void CollectAll(std::vector<int32_t>& out) const;
    void Clear();
    int32_t CountEntries() const;

private:
    // 0: x and y below the centre; 2: x below, y at or above; 3: x at or above, y below; 1: both.
    int32_t QuadrantOf(float x, float y) const;
    void Split();
    void ClampInside(float& x, float& y) const;
    bool IsLeaf() const { return !children[0]; }

    float minX, minY, maxX, maxY;
    int32_t depth;
    std::array<std::unique_ptr<SpatialTreeNode>, 4> children;
    std::vector<SpatialEntry> entries;
};
