// LayoutInvariants -- what every laid-out world must satisfy, checked level by level: symmetric neighbours, one passage per joined pair of areas, reachability from level 0.
#include "world/LayoutInvariants.h"

#include "world/AreaDefinition.h"
#include "world/LevelData.h"

#include <map>
#include <set>
#include <utility>

namespace {

std::string InvariantLine(const char* what, int32_t a, int32_t b)
{
    return std::string(what) + " " + std::to_string(a) + " " + std::to_string(b);
}

// The side of a level facing a straight direction and the side of the neighbour facing back.
bool InvariantSides(int32_t direction, size_t& own, size_t& other)
{
    int32_t side = LevelSideOfDirection(direction);
    if (side < 0)
        return false;
    own = static_cast<size_t>(side);
    other = static_cast<size_t>(kLevelSideCount - 1 - side);
    return true;
}

} // namespace

namespace LayoutInvariants {

std::vector<std::string> CheckNeighbours(const World& world)
{
    std::vector<std::string> problems;
    for (int32_t i = 0; i < world.GetLevelCount(); ++i) {
        const Level& level = *world.GetLevel(i);
        for (int32_t d = 0; d < kWorldDirectionCount; ++d) {
            const Level* next = world.GetLevel(level.neighbours[static_cast<size_t>(d)]);
            if (!next)
                continue;
            if (next->neighbours[static_cast<size_t>((d + 4) % 8)] != i)
                problems.push_back(InvariantLine("one-way neighbour", i, next->index));
            size_t own = 0;
            size_t other = 0;
            if (!InvariantSides(d, own, other))
                continue;
            if (level.sideKinds[own] != next->sideKinds[other])
                problems.push_back(InvariantLine("sides differ", i, next->index));
            if (level.sideKinds[own] == kLevelSidePassage && level.sideOpenings[own] != next->sideOpenings[other])
                problems.push_back(InvariantLine("openings differ", i, next->index));
        }
    }
    return problems;
}

std::vector<std::string> CheckPassages(const World& world)
{
    std::vector<std::string> problems;
    std::map<std::pair<const AreaDefinition*, const AreaDefinition*>, int32_t> passages;
    std::set<std::pair<const AreaDefinition*, const AreaDefinition*>> touching;
    for (int32_t i = 0; i < world.GetLevelCount(); ++i) {
        const Level& level = *world.GetLevel(i);
        for (int32_t d : {1, 3}) {  // each straight pair once: up and right
            const Level* next = world.GetLevel(level.neighbours[static_cast<size_t>(d)]);
            if (!next || next->area == level.area)
                continue;
            auto key = std::minmax(level.area, next->area);
            touching.insert(key);
            if (level.sideKinds[static_cast<size_t>(LevelSideOfDirection(d))] != kLevelSidePassage)
                continue;
            ++passages[key];
            if (level.section != next->section && !(level.area->fixed && next->area->fixed))
                problems.push_back(InvariantLine("passage between sections", i, next->index));
        }
    }
    for (const auto& key : touching) {
        int32_t count = passages.count(key) ? passages[key] : 0;
        bool joined = key.first->IsJoinedWith(key.second);
        if (count != (joined ? 1 : 0))
            problems.push_back("areas " + key.first->name + " and " + key.second->name + " have " +
                               std::to_string(count) + " passages");
    }
    return problems;
}

std::vector<std::string> CheckPlacements(const World& world, int32_t width, int32_t height)
{
    std::vector<std::string> problems;
    std::set<std::pair<int32_t, int32_t>> cells;
    for (int32_t i = 0; i < world.GetLevelCount(); ++i) {
        const Level& level = *world.GetLevel(i);
        if (level.column < 0 && level.row < 0)
            continue;
        if (level.column < 0 || level.row < 0 || level.column >= width || level.row >= height)
            problems.push_back(InvariantLine("off the grid", level.column, level.row));
        if (level.depth == 0 && !cells.insert({level.column, level.row}).second)
            problems.push_back(InvariantLine("cell taken twice", level.column, level.row));
    }
    return problems;
}

std::vector<std::string> CheckReachable(const World& world)
{
    std::vector<std::string> problems;
    if (world.GetLevelCount() == 0)
        return problems;
    std::vector<bool> seen(static_cast<size_t>(world.GetLevelCount()), false);
    std::vector<int32_t> pending{0};
    seen[0] = true;
    while (!pending.empty()) {
        const Level& level = *world.GetLevel(pending.back());
        pending.pop_back();
        std::vector<int32_t> next;
        for (int32_t d = 0; d < kWorldDirectionCount; ++d) {
            size_t own = 0;
            size_t other = 0;
            int32_t kind = InvariantSides(d, own, other) ? level.sideKinds[own] : kLevelSideWall;
            if (kind == kLevelSidePassage || kind == kLevelSideOpen)
                next.push_back(level.neighbours[static_cast<size_t>(d)]);
        }
        for (const LevelGate& gate : level.gates)
            next.push_back(gate.targetLevel);
        for (int32_t index : next) {
            if (index >= 0 && index < world.GetLevelCount() && !seen[static_cast<size_t>(index)]) {
                seen[static_cast<size_t>(index)] = true;
                pending.push_back(index);
            }
        }
    }
    for (int32_t i = 0; i < world.GetLevelCount(); ++i) {
        if (!seen[static_cast<size_t>(i)] && world.GetLevel(i)->section)
            problems.push_back(InvariantLine("unreachable", i, world.GetLevel(i)->row));
    }
    return problems;
}

std::vector<std::string> CheckAll(const World& world, int32_t width, int32_t height)
{
    std::vector<std::string> all;
    for (auto part : {CheckNeighbours(world), CheckPassages(world), CheckPlacements(world, width, height),
                      CheckReachable(world)})
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

} // namespace LayoutInvariants
