// SpatialTreeNode -- the quadtree of one level's entity grid: where each entity of the level was entered, for the radius searches.
#include "server/SpatialTreeNode.h"

#include <algorithm>

SpatialTreeNode::SpatialTreeNode(float minX, float minY, float maxX, float maxY, int32_t depth)
    : minX(minX), minY(minY), maxX(maxX), maxY(maxY), depth(depth)
{
    // A leaf above the maximum depth never holds more; reserving it spares a later growth.
    entries.reserve(kCapacity);
}

int32_t SpatialTreeNode::QuadrantOf(float x, float y) const
{
    float centreX = (minX + maxX) * 0.5f;
    float centreY = (minY + maxY) * 0.5f;
    bool left = x < centreX;
    bool low = y < centreY;
    if (left)
        return low ? 0 : 2;
    return low ? 3 : 1;
}

void SpatialTreeNode::Split()
{
    float centreX = (minX + maxX) * 0.5f;
    float centreY = (minY + maxY) * 0.5f;
    children[0] = std::make_unique<SpatialTreeNode>(minX, minY, centreX, centreY, depth + 1);
    children[1] = std::make_unique<SpatialTreeNode>(centreX, centreY, maxX, maxY, depth + 1);
    children[2] = std::make_unique<SpatialTreeNode>(minX, centreY, centreX, maxY, depth + 1);
    children[3] = std::make_unique<SpatialTreeNode>(centreX, minY, maxX, centreY, depth + 1);
    for (const SpatialEntry& entry : entries)
        children[static_cast<size_t>(QuadrantOf(entry.x, entry.y))]->Insert(entry);
    entries.clear();
}

void SpatialTreeNode::ClampInside(float& x, float& y) const
{
    x = std::clamp(x, minX, maxX);
    y = std::clamp(y, minY, maxY);
}

void SpatialTreeNode::Insert(const SpatialEntry& given)
{
    SpatialEntry entry = given;
    if (depth == 0)
        ClampInside(entry.x, entry.y);
    if (IsLeaf()) {
        if (static_cast<int32_t>(entries.size()) + 1 < kCapacity || depth >= kMaxDepth) {
            entries.push_back(entry);
            return;
        }
        Split();
    }
    children[static_cast<size_t>(QuadrantOf(entry.x, entry.y))]->Insert(entry);
}

bool SpatialTreeNode::Remove(int32_t entityNumber, float x, float y)
{
    if (depth == 0)
        ClampInside(x, y);
    if (!IsLeaf())
        return children[static_cast<size_t>(QuadrantOf(x, y))]->Remove(entityNumber, x, y);
    auto found = std::find_if(entries.begin(), entries.end(),
                              [entityNumber](const SpatialEntry& entry) { return entry.entityNumber == entityNumber; });
    if (found == entries.end())
        return false;
    entries.erase(found);
    return true;
}

void SpatialTreeNode::CollectInRadius(float x, float y, float radius, std::vector<int32_t>& out) const
{
    if (depth == 0)
        ClampInside(x, y);
    if (x + radius < minX || x - radius > maxX || y + radius < minY || y - radius > maxY)
        return;
    if (IsLeaf()) {
        for (const SpatialEntry& entry : entries)
            out.push_back(entry.entityNumber);
        return;
    }
    for (const auto& child : children)
        child->CollectInRadius(x, y, radius, out);
}

void SpatialTreeNode::CollectAll(std::vector<int32_t>& out) const
{
    for (const SpatialEntry& entry : entries)
        out.push_back(entry.entityNumber);
    if (!IsLeaf())
        for (const auto& child : children)
            child->CollectAll(out);
}

void SpatialTreeNode::Clear()
{
    for (auto& child : children)
        child.reset();
    entries.clear();
}

int32_t SpatialTreeNode::CountEntries() const
{
    int32_t count = static_cast<int32_t>(entries.size());
    if (!IsLeaf())
        for (const auto& child : children)
            count += child->CountEntries();
    return count;
}
