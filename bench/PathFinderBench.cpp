// PathFinderBench -- the path finder's latency per search (median, 99th percentile, worst) and per node taken on open ground, among walls of three densities, in a maze, towards an unreachable target and among blockers, with its allocations per search, and a seeded mix of searches whose answers it digests; beside it a general graph library's A* on the same grounds, where the library is installed.
#include "BenchAllocations.h"
#include "core/RandomSystem.h"
#include "world/AreaDefinition.h"
#include "world/EntityBase.h"
#include "world/Level.h"
#include "world/LevelData.h"
#include "world/LevelGenerator.h"
#include "world/PathFinder.h"
#include "world/World.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

// The comparison is built only where the library's headers are; the game never uses it.
#if __has_include(<boost/graph/astar_search.hpp>)
#include <boost/graph/adjacency_list.hpp>
#include <boost/graph/astar_search.hpp>
#define EMBERLODE_PATH_BENCH_LIBRARY 1
#endif

namespace {

constexpr float kPathBenchCell = 32.0f;
// The mover's cell in the middle level; window cell (cx, cy) is level cell (35 + cx, 35 + cy).
constexpr int32_t kPathBenchOrigin = 60 - PathFinder::kCentre;

class PathBenchMover : public EntityBase {
public:
    void RegisterPathBlockers(PathFinder& finder, const Vector2&, int32_t) const override
    {
        for (int32_t i = 0; i < used; ++i)
            finder.AddNearbyEntity(&blockers[static_cast<size_t>(i)]);
    }
    std::vector<EntityBase> blockers = std::vector<EntityBase>(100);
    int32_t used = 0;
};

enum class PathBenchGround { Open, Maze, Enclosed, Scattered, Walls20, Walls35 };

// Three by three levels with the middle one generated and carved by hand: no area file needed.
class PathBenchWorld {
public:
    PathBenchWorld()
    {
        gRandomSystem = &random;
        gWorld = &world;
        world.Create();
        area.name = "Bench";
        for (int32_t row = 0; row < 3; ++row) {
            for (int32_t column = 0; column < 3; ++column) {
                auto level = std::make_unique<Level>();
                level->area = &area;
                level->column = column;
                level->row = row;
                world.AddLevel(std::move(level));
            }
        }
        for (int32_t a = 0; a < 9; ++a)
            for (int32_t b = a + 1; b < 9; ++b)
                world.ConnectLevels(world.GetLevel(a), world.GetLevel(b), LevelJoin::Open);
        Level& middle = *world.GetLevel(4);
        LevelGenerator::AddReference(middle, 0);
        LevelGenerator::EnsureGenerated(middle);
        data = middle.data.get();
        std::fill(data->visited.begin(), data->visited.end(), true);
        std::fill(data->blockBuilt.begin(), data->blockBuilt.end(), true);
        mover.position = Cell(PathFinder::kCentre, PathFinder::kCentre);
    }

    ~PathBenchWorld()
    {
        world.Destroy();
        gWorld = nullptr;
        gRandomSystem = nullptr;
    }

    WorldPos Cell(int32_t cx, int32_t cy) const
    {
        return WorldPos{4, static_cast<float>(kPathBenchOrigin + cx) * kPathBenchCell,
                        static_cast<float>(kPathBenchOrigin + cy) * kPathBenchCell, true};
    }

    void Block(int32_t cx, int32_t cy, bool blocked)
    {
        size_t index = static_cast<size_t>((kPathBenchOrigin + cy) * data->geometry.CellsAcross() + kPathBenchOrigin + cx);
        data->movementBits[index] = blocked;
    }

    bool Blocked(int32_t cx, int32_t cy) const
    {
        return data->movementBits[static_cast<size_t>((kPathBenchOrigin + cy) * data->geometry.CellsAcross() +
                                                      kPathBenchOrigin + cx)];
    }

    void Lay(PathBenchGround ground)
    {
        for (int32_t y = 0; y < PathFinder::kWindow; ++y) {
            for (int32_t x = 0; x < PathFinder::kWindow; ++x) {
                bool wall = false;
                if (ground == PathBenchGround::Maze)
                    wall = x % 2 == 1 || y % 2 == 1;
                if (ground == PathBenchGround::Scattered)
                    wall = random.RandomFloat(RandomStream::GameData) < 0.1f;
                if (ground == PathBenchGround::Walls20)
                    wall = random.RandomFloat(RandomStream::GameData) < 0.2f;
                if (ground == PathBenchGround::Walls35)
                    wall = random.RandomFloat(RandomStream::GameData) < 0.35f;
                Block(x, y, wall);
            }
        }
        if (ground == PathBenchGround::Maze)
            CarveMaze();
        if (ground == PathBenchGround::Enclosed) {
            for (int32_t y = 36; y <= 44; ++y)
                for (int32_t x = 16; x <= 34; ++x)
                    Block(x, y, y == 36 || y == 44 || x == 16 || x == 34);
        }
        Block(PathFinder::kCentre, PathFinder::kCentre, false);
    }

    // A corridor maze one cell wide on the even cells, opened by a depth-first walk.
    void CarveMaze()
    {
        const int32_t rooms = PathFinder::kWindow / 2 + 1;
        std::vector<bool> seen(static_cast<size_t>(rooms * rooms), false);
        std::vector<std::pair<int32_t, int32_t>> stack{{rooms / 2, rooms / 2}};
        seen[static_cast<size_t>((rooms / 2) * rooms + rooms / 2)] = true;
        constexpr int32_t kDx[4] = {1, -1, 0, 0};
        constexpr int32_t kDy[4] = {0, 0, 1, -1};
        while (!stack.empty()) {
            auto [x, y] = stack.back();
            int32_t options[4];
            int32_t count = 0;
            for (int32_t d = 0; d < 4; ++d) {
                int32_t nx = x + kDx[d];
                int32_t ny = y + kDy[d];
                if (nx >= 0 && ny >= 0 && nx < rooms && ny < rooms && !seen[static_cast<size_t>(ny * rooms + nx)])
                    options[count++] = d;
            }
            if (count == 0) {
                stack.pop_back();
                continue;
            }
            int32_t d = options[random.RandomInt(RandomStream::GameData, count)];
            Block(2 * x + kDx[d], 2 * y + kDy[d], false);
            seen[static_cast<size_t>((y + kDy[d]) * rooms + x + kDx[d])] = true;
            stack.push_back({x + kDx[d], y + kDy[d]});
        }
    }

    // A free target cell, or inside the enclosure for that ground.
    WorldPos Target(PathBenchGround ground)
    {
        if (ground == PathBenchGround::Enclosed)
            return Cell(25, 40);
        for (;;) {
            int32_t x = random.RandomIndex(RandomStream::GameData, 0, PathFinder::kWindow - 1);
            int32_t y = random.RandomIndex(RandomStream::GameData, 0, PathFinder::kWindow - 1);
            if (!Blocked(x, y))
                return Cell(x, y);
        }
    }

    void Scatter(int32_t count)
    {
        mover.used = std::min(count, static_cast<int32_t>(mover.blockers.size()));
        for (EntityBase& blocker : mover.blockers) {
            blocker.position = Cell(random.RandomIndex(RandomStream::GameData, 0, PathFinder::kWindow - 1),
                                    random.RandomIndex(RandomStream::GameData, 0, PathFinder::kWindow - 1));
            blocker.radius = 12.0f;
        }
    }

    RandomSystem random{4040};
    World world;
    AreaDefinition area;
    LevelData* data = nullptr;
    PathBenchMover mover;
    PathFinder finder;
    PathRecord path;
};

// Latency (sorted here), the share found and the allocations of a run of searches.
void PathBenchReport(benchmark::State& state, std::vector<double>& micros, double totalMicros, int64_t searches,
                     int64_t found)
{
    std::sort(micros.begin(), micros.end());
    auto at = [&](double fraction) { return micros[static_cast<size_t>(fraction * static_cast<double>(micros.size() - 1))]; };
    state.counters["median_us"] = at(0.5);
    state.counters["p99_us"] = at(0.99);
    state.counters["mean_us"] = totalMicros / static_cast<double>(searches);
    state.counters["found"] = static_cast<double>(found) / static_cast<double>(searches);
    state.counters["allocs_per_search"] = static_cast<double>(BenchAllocations::Count()) / static_cast<double>(searches);
}

// Each iteration is one search towards a new target; the grounds are laid again every 64.
void PathFind(benchmark::State& state, PathBenchGround ground, int32_t radiusCells, int32_t blockers)
{
    PathBenchWorld bench;
    bench.mover.radius = static_cast<float>(radiusCells) * kPathBenchCell;
    std::vector<double> micros;
    micros.reserve(1 << 20);
    int64_t searches = 0;
    int64_t found = 0;
    int64_t nodes = 0;
    double totalMicros = 0.0;
    BenchAllocations::Reset();
    for (auto _ : state) {
        if (searches % 64 == 0) {
            state.PauseTiming();
            bench.Lay(ground);
            bench.Scatter(blockers);
            state.ResumeTiming();
        }
        WorldPos target = bench.Target(ground);
        BenchAllocations::SetCounting(true);
        auto begin = std::chrono::steady_clock::now();
        bool reached = bench.finder.FindPath(&bench.mover, bench.mover.position, target, nullptr, &bench.path, nullptr);
        auto end = std::chrono::steady_clock::now();
        BenchAllocations::SetCounting(false);
        found += reached ? 1 : 0;
        ++searches;
        nodes += bench.finder.GetNodesTaken();
        double took = std::chrono::duration<double, std::micro>(end - begin).count();
        totalMicros += took;
        if (micros.size() < micros.capacity())
            micros.push_back(took);
    }
    if (micros.empty())
        return;
    PathBenchReport(state, micros, totalMicros, searches, found);
    state.counters["max_us"] = micros.back();
    state.counters["nodes_per_search"] = static_cast<double>(nodes) / static_cast<double>(searches);
    state.counters["ns_per_node"] = nodes ? totalMicros * 1000.0 / static_cast<double>(nodes) : 0.0;
}

BENCHMARK_CAPTURE(PathFind, OpenGround, PathBenchGround::Open, 0, 0)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(PathFind, CorridorMaze, PathBenchGround::Maze, 0, 0)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(PathFind, Unreachable, PathBenchGround::Enclosed, 0, 0)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(PathFind, ScatteredWalls, PathBenchGround::Scattered, 0, 0)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(PathFind, Walls20, PathBenchGround::Walls20, 0, 0)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(PathFind, Walls35, PathBenchGround::Walls35, 0, 0)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(PathFind, Radius0Blockers0, PathBenchGround::Open, 0, 0)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(PathFind, Radius0Blockers20, PathBenchGround::Open, 0, 20)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(PathFind, Radius0Blockers100, PathBenchGround::Open, 0, 100)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(PathFind, Radius1Blockers0, PathBenchGround::Open, 1, 0)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(PathFind, Radius1Blockers20, PathBenchGround::Open, 1, 20)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(PathFind, Radius1Blockers100, PathBenchGround::Open, 1, 100)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(PathFind, Radius2Blockers0, PathBenchGround::Open, 2, 0)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(PathFind, Radius2Blockers20, PathBenchGround::Open, 2, 20)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(PathFind, Radius2Blockers100, PathBenchGround::Open, 2, 100)->Unit(benchmark::kMicrosecond);

// Grounds of the seeded mix, laid over the whole middle level.
enum class PathMixGround { Sparse, Walls10, Walls20, Walls35, Maze, Grid, Unbuilt, Count };

void PathMixLay(PathBenchWorld& bench, RandomSystem& draws, PathMixGround ground)
{
    LevelData& data = *bench.data;
    int32_t across = data.geometry.CellsAcross();
    int32_t down = data.geometry.CellsDown();
    float density = ground == PathMixGround::Walls10   ? 0.1f
                    : ground == PathMixGround::Walls20 ? 0.2f
                    : ground == PathMixGround::Walls35 ? 0.35f
                                                       : 0.03f;
    for (int32_t y = 0; y < down; ++y) {
        for (int32_t x = 0; x < across; ++x) {
            bool wall = draws.RandomFloat(RandomStream::GameData) < density;
            if (ground == PathMixGround::Maze)
                wall = (x % 2 == 1 || y % 2 == 1) && draws.RandomFloat(RandomStream::GameData) < 0.8f;
            if (ground == PathMixGround::Grid)
                wall = (x % 7 == 0 && y % 5 != 2) || (y % 9 == 0 && x % 4 != 1);
            data.movementBits[static_cast<size_t>(y * across + x)] = wall;
        }
    }
    for (size_t block = 0; block < data.visited.size(); ++block)
        data.visited[block] = ground != PathMixGround::Unbuilt || draws.RandomFloat(RandomStream::GameData) >= 0.25f;
}

// FNV-1a over the bytes of each value mixed in.
class PathMixDigest {
public:
    void Mix(uint64_t value)
    {
        for (int32_t i = 0; i < 8; ++i) {
            hash ^= (value >> (8 * i)) & 0xFF;
            hash *= 1099511628211ull;
        }
    }
    void Mix(float value)
    {
        uint32_t bits = 0;
        std::memcpy(&bits, &value, sizeof bits);
        Mix(uint64_t{bits});
    }
    uint64_t hash = 1469598103934665603ull;
};

// Each iteration replays the same seeded mix of 3,600 searches from one finder: the grounds
// above, movers anywhere on the level (a third near its middle) with every clearance up to two
// cells and some that walk through everything, 0 to 100 blockers, targets near and far, places
// and entities, with and without the path and the closest place. The label is a digest of every
// answer (found, nodes taken, steps, closest place, and whether some end at their start): a
// change for speed alone leaves it as it was.
void PathFindMix(benchmark::State& state)
{
    PathBenchWorld bench;
    EntityBase targetEntity;
    std::vector<double> micros;
    micros.reserve(1 << 20);
    int64_t searches = 0;
    int64_t found = 0;
    int64_t nodes = 0;
    double totalMicros = 0.0;
    PathMixDigest digest;
    BenchAllocations::Reset();
    for (auto _ : state) {
        RandomSystem draws(9090);
        digest = PathMixDigest();
        int32_t across = bench.data->geometry.CellsAcross();
        int32_t down = bench.data->geometry.CellsDown();
        for (int32_t trial = 0; trial < 3600; ++trial) {
            if (trial % 8 == 0) {
                state.PauseTiming();
                PathMixLay(bench, draws, static_cast<PathMixGround>(trial % static_cast<int32_t>(PathMixGround::Count)));
                state.ResumeTiming();
            }
            bool middle = trial % 3 == 0;
            int32_t mx = draws.RandomIndex(RandomStream::GameData, middle ? 30 : 0, middle ? across - 30 : across - 1);
            int32_t my = draws.RandomIndex(RandomStream::GameData, middle ? 30 : 0, middle ? down - 30 : down - 1);
            bench.data->movementBits[static_cast<size_t>(my * across + mx)] = false;
            WorldPos here{4, static_cast<float>(mx) * kPathBenchCell, static_cast<float>(my) * kPathBenchCell, true};
            int32_t body = draws.RandomIndex(RandomStream::GameData, 0, 5);
            bench.mover.radius = body <= 2 ? static_cast<float>(body) * kPathBenchCell : 5.0f * static_cast<float>(body);
            bench.mover.flags = draws.RandomIndex(RandomStream::GameData, 0, 40) == 0 ? PathFinder::kFlagIgnoresObstacles : 0;
            constexpr int32_t kBlockerCounts[4] = {0, 5, 20, 100};
            bench.mover.used = kBlockerCounts[draws.RandomIndex(RandomStream::GameData, 0, 3)];
            for (EntityBase& blocker : bench.mover.blockers) {
                blocker.position = WorldPos{4, here.x + static_cast<float>(draws.RandomIndex(RandomStream::GameData, -800, 800)),
                                            here.y + static_cast<float>(draws.RandomIndex(RandomStream::GameData, -800, 800)),
                                            true};
                blocker.position.Normalize();
                blocker.radius = static_cast<float>(draws.RandomIndex(RandomStream::GameData, 4, 40));
            }
            float span = draws.RandomIndex(RandomStream::GameData, 0, 2) == 0 ? 6.0f * kPathBenchCell : 27.0f * kPathBenchCell;
            WorldPos goal{4, here.x + draws.RandomRange(RandomStream::GameData, -span, span),
                          here.y + draws.RandomRange(RandomStream::GameData, -span, span), true};
            goal.Normalize();
            bool towardsEntity = draws.RandomIndex(RandomStream::GameData, 0, 2) == 0;
            targetEntity.position = goal;
            targetEntity.radius = static_cast<float>(draws.RandomIndex(RandomStream::GameData, 0, 30));
            const EntityBase* target = towardsEntity ? &targetEntity : nullptr;
            bool askClosest = draws.RandomIndex(RandomStream::GameData, 0, 1) == 0;
            bool askPath = draws.RandomIndex(RandomStream::GameData, 0, 9) != 0;
            WorldPos closest{-7, 1.0f, 2.0f, true};
            bench.path = PathRecord{};
            BenchAllocations::SetCounting(true);
            auto begin = std::chrono::steady_clock::now();
            bool reached = bench.finder.FindPath(&bench.mover, here, goal, target, askPath ? &bench.path : nullptr,
                                                 askClosest ? &closest : nullptr);
            auto end = std::chrono::steady_clock::now();
            BenchAllocations::SetCounting(false);
            double took = std::chrono::duration<double, std::micro>(end - begin).count();
            totalMicros += took;
            if (micros.size() < micros.capacity())
                micros.push_back(took);
            ++searches;
            found += reached ? 1 : 0;
            nodes += bench.finder.GetNodesTaken();
            digest.Mix(uint64_t{reached});
            digest.Mix(static_cast<uint64_t>(bench.finder.GetNodesTaken()));
            digest.Mix(static_cast<uint64_t>(bench.path.count));
            for (int32_t i = 0; i < bench.path.count; ++i)
                digest.Mix(static_cast<uint64_t>(bench.path.steps[static_cast<size_t>(i)]));
            digest.Mix(static_cast<uint64_t>(closest.level));
            digest.Mix(closest.x);
            digest.Mix(closest.y);
            if (trial % 5 == 0)
                digest.Mix(uint64_t{bench.finder.EndsAtStart(&bench.mover, here, goal, target)});
        }
    }
    if (micros.empty())
        return;
    PathBenchReport(state, micros, totalMicros, searches, found);
    state.counters["nodes_per_search"] = static_cast<double>(nodes) / static_cast<double>(searches);
    state.counters["ns_per_node"] = nodes ? totalMicros * 1000.0 / static_cast<double>(nodes) : 0.0;
    char label[32];
    std::snprintf(label, sizeof label, "digest %016llx", static_cast<unsigned long long>(digest.hash));
    state.SetLabel(label);
}

BENCHMARK(PathFindMix)->Unit(benchmark::kMillisecond);

#ifdef EMBERLODE_PATH_BENCH_LIBRARY

// The same window as a graph of its free cells, eight neighbours each at 1 and the diagonal's
// length, searched by the library's A* with the octile distance as its estimate. Made once per
// laying, outside the timing, as a game would keep its graph; each search stops at its goal.
using PathBenchGraph = boost::adjacency_list<boost::vecS, boost::vecS, boost::undirectedS, boost::no_property,
                                             boost::property<boost::edge_weight_t, float>>;

struct PathBenchGoalReached {};
struct PathBenchGaveUp {};

// Stops at the goal; with a cap, gives up after as many nodes as the game's search may take,
// so that both searches do the same work on grounds where the cap bites.
class PathBenchGoalVisitor : public boost::default_astar_visitor {
public:
    PathBenchGoalVisitor(size_t goal, int32_t cap, int32_t& examined) : goal(goal), cap(cap), examined(&examined) {}
    void examine_vertex(size_t vertex, const PathBenchGraph&) const
    {
        ++*examined;
        if (vertex == goal)
            throw PathBenchGoalReached();
        if (cap > 0 && *examined >= cap)
            throw PathBenchGaveUp();
    }
    size_t goal;
    int32_t cap;
    int32_t* examined;
};

class PathBenchOctile : public boost::astar_heuristic<PathBenchGraph, float> {
public:
    explicit PathBenchOctile(size_t goal) : gx(static_cast<float>(goal % PathFinder::kWindow)), gy(static_cast<float>(goal / PathFinder::kWindow)) {}
    float operator()(size_t vertex) const
    {
        float dx = std::fabs(static_cast<float>(vertex % PathFinder::kWindow) - gx);
        float dy = std::fabs(static_cast<float>(vertex / PathFinder::kWindow) - gy);
        return std::max(dx, dy) + (std::sqrt(2.0f) - 1.0f) * std::min(dx, dy);
    }
    float gx;
    float gy;
};

// With clearance 1, a cell is free only when its eight neighbours are (the window's edge
// counts as free), as the game's search treats a body one cell wide.
bool PathBenchClosed(const PathBenchWorld& bench, int32_t x, int32_t y, int32_t clearance)
{
    for (int32_t dy = -clearance; dy <= clearance; ++dy) {
        for (int32_t dx = -clearance; dx <= clearance; ++dx) {
            int32_t cx = x + dx;
            int32_t cy = y + dy;
            if (cx >= 0 && cy >= 0 && cx < PathFinder::kWindow && cy < PathFinder::kWindow && bench.Blocked(cx, cy))
                return true;
        }
    }
    return false;
}

// cutCorners: whether a diagonal step may pass a blocked corner, as in the game's search.
PathBenchGraph PathBenchMakeGraph(const PathBenchWorld& bench, int32_t clearance, bool cutCorners)
{
    PathBenchGraph graph(static_cast<size_t>(PathFinder::kCellCount));
    constexpr int32_t kDx[4] = {1, 0, 1, -1};
    constexpr int32_t kDy[4] = {0, 1, 1, 1};
    auto closed = [&](int32_t x, int32_t y) { return PathBenchClosed(bench, x, y, clearance); };
    for (int32_t y = 0; y < PathFinder::kWindow; ++y) {
        for (int32_t x = 0; x < PathFinder::kWindow; ++x) {
            if (closed(x, y))
                continue;
            for (int32_t d = 0; d < 4; ++d) {
                int32_t nx = x + kDx[d];
                int32_t ny = y + kDy[d];
                if (nx < 0 || nx >= PathFinder::kWindow || ny >= PathFinder::kWindow || closed(nx, ny))
                    continue;
                if (!cutCorners && d >= 2 && (closed(nx, y) || closed(x, ny)))
                    continue;
                boost::add_edge(static_cast<size_t>(y * PathFinder::kWindow + x),
                                static_cast<size_t>(ny * PathFinder::kWindow + nx), d >= 2 ? std::sqrt(2.0f) : 1.0f,
                                graph);
            }
        }
    }
    return graph;
}

size_t PathBenchVertexOf(const WorldPos& cell)
{
    auto x = static_cast<int32_t>(cell.x / kPathBenchCell) - kPathBenchOrigin;
    auto y = static_cast<int32_t>(cell.y / kPathBenchCell) - kPathBenchOrigin;
    return static_cast<size_t>(y * PathFinder::kWindow + x);
}

// Each iteration is one search from the window's centre towards a new target, as PathFind does.
// capped: gives up after the game's node cap; clearance: the body's half-width in cells;
// cutCorners: the game's grid, else a sparser one without the diagonals past blocked corners.
void LibraryAStar(benchmark::State& state, PathBenchGround ground, bool capped, int32_t clearance,
                  bool cutCorners = true)
{
    PathBenchWorld bench;
    PathBenchGraph graph;
    std::vector<size_t> predecessors(static_cast<size_t>(PathFinder::kCellCount));
    std::vector<float> distances(static_cast<size_t>(PathFinder::kCellCount));
    std::vector<float> costs(static_cast<size_t>(PathFinder::kCellCount));
    std::vector<boost::default_color_type> colours(static_cast<size_t>(PathFinder::kCellCount));
    const size_t start = static_cast<size_t>(PathFinder::kCentre * PathFinder::kWindow + PathFinder::kCentre);
    std::vector<double> micros;
    micros.reserve(1 << 20);
    int64_t searches = 0;
    int64_t found = 0;
    int64_t nodes = 0;
    double totalMicros = 0.0;
    BenchAllocations::Reset();
    for (auto _ : state) {
        if (searches % 64 == 0) {
            state.PauseTiming();
            bench.Lay(ground);
            graph = PathBenchMakeGraph(bench, clearance, cutCorners);
            state.ResumeTiming();
        }
        size_t goal = PathBenchVertexOf(bench.Target(ground));
        bool reached = false;
        int32_t examined = 0;
        BenchAllocations::SetCounting(true);
        auto begin = std::chrono::steady_clock::now();
        try {
            boost::astar_search(graph, start, PathBenchOctile(goal),
                                boost::visitor(PathBenchGoalVisitor(goal, capped ? PathFinder::kMaxTaken : 0, examined))
                                    .predecessor_map(predecessors.data())
                                    .distance_map(distances.data())
                                    .rank_map(costs.data())
                                    .color_map(colours.data()));
        } catch (const PathBenchGoalReached&) {
            reached = true;
        } catch (const PathBenchGaveUp&) {
        }
        auto end = std::chrono::steady_clock::now();
        BenchAllocations::SetCounting(false);
        found += reached ? 1 : 0;
        ++searches;
        nodes += examined;
        double took = std::chrono::duration<double, std::micro>(end - begin).count();
        totalMicros += took;
        if (micros.size() < micros.capacity())
            micros.push_back(took);
    }
    if (micros.empty())
        return;
    PathBenchReport(state, micros, totalMicros, searches, found);
    state.counters["nodes_per_search"] = static_cast<double>(nodes) / static_cast<double>(searches);
    state.counters["ns_per_node"] = nodes ? totalMicros * 1000.0 / static_cast<double>(nodes) : 0.0;
}

BENCHMARK_CAPTURE(LibraryAStar, OpenGround, PathBenchGround::Open, false, 0)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(LibraryAStar, CorridorMaze, PathBenchGround::Maze, false, 0)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(LibraryAStar, Unreachable, PathBenchGround::Enclosed, false, 0)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(LibraryAStar, Walls20, PathBenchGround::Walls20, false, 0)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(LibraryAStar, Walls35, PathBenchGround::Walls35, false, 0)->Unit(benchmark::kMicrosecond);
// Like for like with the game's search: the same node cap, and a body one cell wide.
BENCHMARK_CAPTURE(LibraryAStar, OpenGroundCapped, PathBenchGround::Open, true, 0)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(LibraryAStar, CorridorMazeCapped, PathBenchGround::Maze, true, 0)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(LibraryAStar, UnreachableCapped, PathBenchGround::Enclosed, true, 0)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(LibraryAStar, Walls20Capped, PathBenchGround::Walls20, true, 0)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(LibraryAStar, Walls35Capped, PathBenchGround::Walls35, true, 0)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(LibraryAStar, Radius1Capped, PathBenchGround::Open, true, 1)->Unit(benchmark::kMicrosecond);
// Fewer edges than the game's grid: the library's easier task, kept as a harder yardstick.
BENCHMARK_CAPTURE(LibraryAStar, CorridorMazeCappedNoCornerCuts, PathBenchGround::Maze, true, 0, false)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(LibraryAStar, Walls35CappedNoCornerCuts, PathBenchGround::Walls35, true, 0, false)
    ->Unit(benchmark::kMicrosecond);

#endif

} // namespace
