// SpatialTree -- the quadtree of one level's entity grid: where each entity of the level was entered, for the radius searches.
#include "server/SpatialTree.h"

#include <algorithm>
#include <limits>

SpatialTree::SpatialTree(float minX, float minY, float maxX, float maxY) : bounds{minX, minY, maxX, maxY}
{
    nodes.resize(1);
}

int32_t SpatialTree::QuadrantOf(const Bounds& bounds, float x, float y)
{
    float centreX = (bounds.minX + bounds.maxX) * 0.5f;
    float centreY = (bounds.minY + bounds.maxY) * 0.5f;
    bool left = x < centreX;
    bool low = y < centreY;
    if (left)
        return low ? 0 : 2;
    return low ? 3 : 1;
}

SpatialTree::Bounds SpatialTree::ChildBounds(const Bounds& bounds, int32_t quadrant)
{
    float centreX = (bounds.minX + bounds.maxX) * 0.5f;
    float centreY = (bounds.minY + bounds.maxY) * 0.5f;
    switch (quadrant) {
    case 0:
        return {bounds.minX, bounds.minY, centreX, centreY};
    case 1:
        return {centreX, centreY, bounds.maxX, bounds.maxY};
    case 2:
        return {bounds.minX, centreY, centreX, bounds.maxY};
    default:
        return {centreX, bounds.minY, bounds.maxX, centreY};
    }
}

bool SpatialTree::Meets(const Bounds& bounds, float x, float y, float radius)
{
    return !(x + radius < bounds.minX || x - radius > bounds.maxX || y + radius < bounds.minY ||
             y - radius > bounds.maxY);
}

size_t SpatialTree::BlocksEnoughFor(size_t count)
{
    size_t leaves = std::min(count, static_cast<size_t>(kMaxLeaves));
    return std::min(count, (count + (kBlockEntries - 1) * leaves) / kBlockEntries);
}

void SpatialTree::GrowStoreTo(size_t wanted)
{
    // Exactly that much: a doubling of the vector would hold memory no spread can use.
    size_t had = blocks.size();
    blocks.reserve(wanted);
    blocks.resize(wanted);
    for (size_t i = wanted; i-- > had;) {
        blocks[i].next = freeBlock;
        freeBlock = static_cast<int32_t>(i);
    }
}

// Room for twice the crowd, so that a level filling up grows its store a few times only.
void SpatialTree::GrowStoreFor(size_t entries)
{
    if (blocks.size() < BlocksEnoughFor(entries))
        GrowStoreTo(BlocksEnoughFor(2 * entries));
}

void SpatialTree::Clear()
{
    for (Node& node : nodes)
        node = Node{};
    freeBlock = -1;
    for (size_t i = blocks.size(); i-- > 0;) {
        blocks[i].next = freeBlock;
        freeBlock = static_cast<int32_t>(i);
    }
    entryCount = 0;
}

int32_t SpatialTree::TakeBlock()
{
    // Never so while the store holds enough for the entries counted; a store short of that
    // would still hand out sound blocks.
    if (freeBlock == -1)
        GrowStoreTo(blocks.size() + 1);
    int32_t block = freeBlock;
    freeBlock = blocks[static_cast<size_t>(block)].next;
    blocks[static_cast<size_t>(block)].next = -1;
    return block;
}

void SpatialTree::GiveBackBlock(int32_t block)
{
    blocks[static_cast<size_t>(block)].next = freeBlock;
    freeBlock = block;
}

void SpatialTree::Append(Node& node, const SpatialEntry& entry)
{
    int32_t slot = node.count % kBlockEntries;
    if (slot == 0) {
        int32_t block = TakeBlock();
        if (node.count == 0)
            node.firstBlock = block;
        else
            blocks[static_cast<size_t>(node.lastBlock)].next = block;
        node.lastBlock = block;
    }
    blocks[static_cast<size_t>(node.lastBlock)].entries[static_cast<size_t>(slot)] = entry;
    ++node.count;
}

void SpatialTree::Split(int32_t node, const Bounds& nodeBounds, int32_t depth)
{
    // The first split takes every node the depth allows at once.
    if (nodes.size() < static_cast<size_t>(kNodeCount))
        nodes.resize(static_cast<size_t>(kNodeCount));
    // Above the maximum depth a leaf holds one block at most.
    Node& parent = nodes[static_cast<size_t>(node)];
    int32_t count = parent.count;
    std::array<SpatialEntry, kBlockEntries> moved = blocks[static_cast<size_t>(parent.firstBlock)].entries;
    GiveBackBlock(parent.firstBlock);
    parent = Node{};
    parent.split = true;
    // Nodes come from the pool once each (none is merged again), but start empty all the same.
    for (int32_t quadrant = 0; quadrant < 4; ++quadrant)
        nodes[static_cast<size_t>(4 * node + 1 + quadrant)] = Node{};
    for (int32_t i = 0; i < count; ++i) {
        const SpatialEntry& entry = moved[static_cast<size_t>(i)];
        int32_t quadrant = QuadrantOf(nodeBounds, entry.x, entry.y);
        InsertAt(4 * node + 1 + quadrant, ChildBounds(nodeBounds, quadrant), depth + 1, entry);
    }
}

void SpatialTree::InsertAt(int32_t node, const Bounds& nodeBounds, int32_t depth, const SpatialEntry& entry)
{
    Bounds at = nodeBounds;
    for (;;) {
        if (!nodes[static_cast<size_t>(node)].split) {
            if (nodes[static_cast<size_t>(node)].count + 1 < kCapacity || depth >= kMaxDepth) {
                Append(nodes[static_cast<size_t>(node)], entry);
                return;
            }
            Split(node, at, depth);
        }
        int32_t quadrant = QuadrantOf(at, entry.x, entry.y);
        at = ChildBounds(at, quadrant);
        node = 4 * node + 1 + quadrant;
        ++depth;
    }
}

void SpatialTree::Insert(const SpatialEntry& given)
{
    SpatialEntry entry = given;
    entry.x = std::clamp(entry.x, bounds.minX, bounds.maxX);
    entry.y = std::clamp(entry.y, bounds.minY, bounds.maxY);
    ++entryCount;
    GrowStoreFor(static_cast<size_t>(entryCount));
    InsertAt(0, bounds, 0, entry);
}

// The rest of the leaf moves up one place, so that it keeps the order its entries came in.
bool SpatialTree::RemoveFromLeaf(Node& node, int32_t entityNumber)
{
    int32_t block = node.firstBlock;
    int32_t base = 0;
    int32_t place = -1;
    while (block != -1 && place == -1) {
        const Block& here = blocks[static_cast<size_t>(block)];
        int32_t held = std::min(kBlockEntries, node.count - base);
        for (int32_t i = 0; i < held && place == -1; ++i)
            if (here.entries[static_cast<size_t>(i)].entityNumber == entityNumber)
                place = i;
        if (place == -1) {
            block = here.next;
            base += kBlockEntries;
        }
    }
    if (place == -1)
        return false;
    for (;;) {
        Block& here = blocks[static_cast<size_t>(block)];
        int32_t held = std::min(kBlockEntries, node.count - base);
        for (; place + 1 < held; ++place)
            here.entries[static_cast<size_t>(place)] = here.entries[static_cast<size_t>(place + 1)];
        if (base + held >= node.count)
            break;
        here.entries[static_cast<size_t>(kBlockEntries - 1)] = blocks[static_cast<size_t>(here.next)].entries[0];
        block = here.next;
        base += kBlockEntries;
        place = 0;
    }
    --node.count;
    if (node.count % kBlockEntries != 0)
        return true;
    // The last block is empty now.
    if (node.count == 0) {
        GiveBackBlock(node.firstBlock);
        node.firstBlock = node.lastBlock = -1;
        return true;
    }
    int32_t before = node.firstBlock;
    while (blocks[static_cast<size_t>(before)].next != node.lastBlock)
        before = blocks[static_cast<size_t>(before)].next;
    GiveBackBlock(node.lastBlock);
    blocks[static_cast<size_t>(before)].next = -1;
    node.lastBlock = before;
    return true;
}

bool SpatialTree::Remove(int32_t entityNumber, float x, float y)
{
    x = std::clamp(x, bounds.minX, bounds.maxX);
    y = std::clamp(y, bounds.minY, bounds.maxY);
    Bounds at = bounds;
    int32_t node = 0;
    while (nodes[static_cast<size_t>(node)].split) {
        int32_t quadrant = QuadrantOf(at, x, y);
        at = ChildBounds(at, quadrant);
        node = 4 * node + 1 + quadrant;
    }
    if (!RemoveFromLeaf(nodes[static_cast<size_t>(node)], entityNumber))
        return false;
    --entryCount;
    return true;
}

void SpatialTree::CollectLeaf(const Node& node, std::vector<int32_t>& out) const
{
    int32_t left = node.count;
    for (int32_t block = node.firstBlock; block != -1 && left > 0; block = blocks[static_cast<size_t>(block)].next) {
        const Block& here = blocks[static_cast<size_t>(block)];
        int32_t held = std::min(kBlockEntries, left);
        for (int32_t i = 0; i < held; ++i)
            out.push_back(here.entries[static_cast<size_t>(i)].entityNumber);
        left -= held;
    }
}

void SpatialTree::CollectBelow(int32_t node, const Bounds& nodeBounds, float x, float y, float radius,
                               std::vector<int32_t>& out) const
{
    if (!Meets(nodeBounds, x, y, radius))
        return;
    const Node& here = nodes[static_cast<size_t>(node)];
    if (!here.split) {
        CollectLeaf(here, out);
        return;
    }
    for (int32_t quadrant = 0; quadrant < 4; ++quadrant)
        CollectBelow(4 * node + 1 + quadrant, ChildBounds(nodeBounds, quadrant), x, y, radius, out);
}

void SpatialTree::CollectInRadius(float x, float y, float radius, std::vector<int32_t>& out) const
{
    x = std::clamp(x, bounds.minX, bounds.maxX);
    y = std::clamp(y, bounds.minY, bounds.maxY);
    CollectBelow(0, bounds, x, y, radius, out);
}

void SpatialTree::CollectAll(std::vector<int32_t>& out) const
{
    // A square of unbounded reach meets every leaf.
    CollectBelow(0, bounds, bounds.minX, bounds.minY, std::numeric_limits<float>::infinity(), out);
}
