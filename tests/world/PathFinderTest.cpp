// PathFinderTest -- the creatures' path finder against brute-force searches on random grids (with and without turns), the tie of equal-cost arrivals, the 250-step cut, the 500-node limit and a search after one it stopped, cells beyond the level's edges, radius clearance, nearby blockers, range goals and no allocation per call.
#include "world/PathFinder.h"

#include "world/EntityBase.h"
#include "world/GridWorld.h"
#include "BenchAllocations.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <queue>
#include <vector>

namespace {

constexpr float kPathTestCell = 32.0f;
// The mover stands on cell (60, 60) of the middle level: window cell (cx, cy) is level cell
// (35 + cx, 35 + cy).
constexpr int32_t kPathTestOrigin = 60 - PathFinder::kCentre;

// A mover that hands the finder the blockers the test gives it, and notes how it was asked.
class PathTestMover : public EntityBase {
public:
    void RegisterPathBlockers(PathFinder& finder, const Vector2& halfSizes, int32_t solidTypeMask) const override
    {
        ++asked;
        askedHalfSizes = halfSizes;
        askedMask = solidTypeMask;
        for (const EntityBase* blocker : blockers)
            finder.AddNearbyEntity(blocker);
    }

    std::vector<const EntityBase*> blockers;
    mutable int32_t asked = 0;
    mutable Vector2 askedHalfSizes;
    mutable int32_t askedMask = 0;
};

class PathFinding : public GridWorld {
protected:
    PathFinding()
    {
        BuildGrid(3, 3);
        Carve(Middle());
        mover.position = Cell(PathFinder::kCentre, PathFinder::kCentre);
    }

    int32_t Middle() const { return At(1, 1); }

    WorldPos Cell(int32_t cx, int32_t cy) const
    {
        return WorldPos{Middle(), static_cast<float>(kPathTestOrigin + cx) * kPathTestCell,
                        static_cast<float>(kPathTestOrigin + cy) * kPathTestCell, true};
    }

    void Block(int32_t cx, int32_t cy, bool blocked = true)
    {
        SetBlocked(Middle(), kPathTestOrigin + cx, kPathTestOrigin + cy, blocked);
        walls[static_cast<size_t>(cy * PathFinder::kWindow + cx)] = blocked;
    }

    bool Find(int32_t cx, int32_t cy, const EntityBase* targetEntity = nullptr)
    {
        return finder.FindPath(&mover, mover.position, Cell(cx, cy), targetEntity, &path, &closest);
    }

    // Where the path's steps lead from the centre, each into a free cell.
    bool WalkPath(int32_t& x, int32_t& y) const
    {
        constexpr int32_t kDx[8] = {0, 1, 1, 1, 0, -1, -1, -1};
        constexpr int32_t kDy[8] = {1, 1, 0, -1, -1, -1, 0, 1};
        x = PathFinder::kCentre;
        y = PathFinder::kCentre;
        for (int32_t i = 0; i < path.count; ++i) {
            int32_t d = path.steps[static_cast<size_t>(i)];
            if (d < 0 || d > 7)
                return false;
            x += kDx[d];
            y += kDy[d];
            if (x < 0 || y < 0 || x >= PathFinder::kWindow || y >= PathFinder::kWindow ||
                walls[static_cast<size_t>(y * PathFinder::kWindow + x)])
                return false;
        }
        return true;
    }

    float GeometricCost() const
    {
        float cost = 0.0f;
        for (int32_t i = 0; i < path.count; ++i)
            cost += path.steps[static_cast<size_t>(i)] % 2 == 0 ? 1.0f : 1.4142135f;
        return cost;
    }

    // Each window cell a wall at that chance, the centre free.
    void LayRandomWalls(RandomSystem& draws, float density)
    {
        for (int32_t y = 0; y < PathFinder::kWindow; ++y)
            for (int32_t x = 0; x < PathFinder::kWindow; ++x)
                Block(x, y, draws.RandomFloat(RandomStream::GameData) < density);
        Block(PathFinder::kCentre, PathFinder::kCentre, false);
    }

    // The cheapest cost from the centre to every window cell over free cells, eight ways: one
    // state per cell and direction of arrival, the turn cost more for each change of direction.
    std::vector<float> BruteForceCosts(float turnCost = 0.0f) const
    {
        constexpr int32_t kDx[8] = {0, 1, 1, 1, 0, -1, -1, -1};
        constexpr int32_t kDy[8] = {1, 1, 0, -1, -1, -1, 0, 1};
        const int32_t n = PathFinder::kWindow;
        const float kNone = std::numeric_limits<float>::infinity();
        // State (cell, direction) as cell * 9 + direction, direction 8 for the start.
        std::vector<float> cost(static_cast<size_t>(n * n * 9), kNone);
        using Entry = std::pair<float, int32_t>;
        std::priority_queue<Entry, std::vector<Entry>, std::greater<>> queue;
        int32_t start = (PathFinder::kCentre * n + PathFinder::kCentre) * 9 + 8;
        cost[static_cast<size_t>(start)] = 0.0f;
        queue.push({0.0f, start});
        while (!queue.empty()) {
            auto [c, state] = queue.top();
            queue.pop();
            if (c > cost[static_cast<size_t>(state)])
                continue;
            int32_t at = state / 9;
            int32_t from = state % 9;
            for (int32_t d = 0; d < 8; ++d) {
                int32_t x = at % n + kDx[d];
                int32_t y = at / n + kDy[d];
                if (x < 0 || y < 0 || x >= n || y >= n || walls[static_cast<size_t>(y * n + x)])
                    continue;
                float next = c + (d % 2 == 0 ? 1.0f : 1.4142135f) + (from != 8 && from != d ? turnCost : 0.0f);
                int32_t to = (y * n + x) * 9 + d;
                if (next < cost[static_cast<size_t>(to)]) {
                    cost[static_cast<size_t>(to)] = next;
                    queue.push({next, to});
                }
            }
        }
        std::vector<float> best(static_cast<size_t>(n * n), kNone);
        for (size_t i = 0; i < best.size(); ++i)
            for (size_t d = 0; d < 9; ++d)
                best[i] = std::min(best[i], cost[i * 9 + d]);
        return best;
    }

    // The path's cost as the finder counts it: its steps and a tenth for each turn.
    float CostWithTurns() const
    {
        float cost = GeometricCost();
        for (int32_t i = 1; i < path.count; ++i)
            cost += path.steps[static_cast<size_t>(i)] != path.steps[static_cast<size_t>(i - 1)] ? 0.1f : 0.0f;
        return cost;
    }

    void ClearWalls()
    {
        for (int32_t y = 0; y < PathFinder::kWindow; ++y)
            for (int32_t x = 0; x < PathFinder::kWindow; ++x)
                Block(x, y, false);
    }

    PathFinder finder;
    PathTestMover mover;
    PathRecord path;
    WorldPos closest;
    std::vector<bool> walls = std::vector<bool>(PathFinder::kCellCount, false);
};

TEST_F(PathFinding, TargetInTheMoversOwnCellSucceedsAtOnce)
{
    ASSERT_TRUE(finder.IsReady());
    EXPECT_TRUE(Find(PathFinder::kCentre, PathFinder::kCentre));
    EXPECT_EQ(path.count, 0);
    EXPECT_EQ(finder.GetNodesTaken(), 1);
    EntityBase target;
    target.position = Cell(PathFinder::kCentre, PathFinder::kCentre);
    EXPECT_TRUE(Find(PathFinder::kCentre, PathFinder::kCentre, &target));
    EXPECT_EQ(path.count, 0);
}

TEST_F(PathFinding, StraightLinesBeatZigzagsOfEqualLength)
{
    ASSERT_TRUE(Find(PathFinder::kCentre + 10, PathFinder::kCentre));
    ASSERT_EQ(path.count, 10);
    for (int32_t i = 0; i < path.count; ++i)
        EXPECT_EQ(path.steps[static_cast<size_t>(i)], 2) << i;
    // A knight-like offset: one turn, the straight part kept together.
    ASSERT_TRUE(Find(PathFinder::kCentre + 8, PathFinder::kCentre + 3));
    int32_t turns = 0;
    for (int32_t i = 1; i < path.count; ++i)
        turns += path.steps[static_cast<size_t>(i)] != path.steps[static_cast<size_t>(i - 1)] ? 1 : 0;
    EXPECT_EQ(turns, 1);
    EXPECT_EQ(path.cursor, 0);
}

TEST_F(PathFinding, TargetsOutsideTheWindowFailWithoutASearch)
{
    for (auto [dx, dy] : {std::pair{26, 0}, {0, -26}, {-26, 5}, {30, 30}}) {
        EXPECT_FALSE(Find(PathFinder::kCentre + dx, PathFinder::kCentre + dy)) << dx << "," << dy;
        EXPECT_EQ(finder.GetNodesTaken(), 0);
        EXPECT_EQ(closest.level, -1);
    }
    EXPECT_TRUE(Find(PathFinder::kCentre + 25, PathFinder::kCentre - 25));
    EXPECT_FALSE(finder.FindPath(nullptr, mover.position, Cell(30, 30), nullptr, &path, &closest));
    EXPECT_FALSE(finder.FindPath(&mover, mover.position, WorldPos{Middle(), NAN, 0.0f, true}, nullptr, &path, nullptr));
}

TEST_F(PathFinding, AgreesWithBruteForceOnRandomGrids)
{
    RandomSystem draws(8086);
    int32_t reached = 0;
    int32_t limited = 0;
    for (int32_t trial = 0; trial < 120; ++trial) {
        LayRandomWalls(draws, 0.1f + 0.3f * static_cast<float>(trial % 4) / 3.0f);
        int32_t tx = draws.RandomIndex(RandomStream::GameData, 0, PathFinder::kWindow - 1);
        int32_t ty = draws.RandomIndex(RandomStream::GameData, 0, PathFinder::kWindow - 1);
        Block(tx, ty, false);
        std::vector<float> best = BruteForceCosts();
        float optimum = best[static_cast<size_t>(ty * PathFinder::kWindow + tx)];
        bool found = Find(tx, ty);
        if (!found) {
            // Only the node limit may hide a reachable target.
            if (std::isfinite(optimum)) {
                EXPECT_EQ(finder.GetNodesTaken(), PathFinder::kMaxTaken) << trial;
                ++limited;
            }
            continue;
        }
        ++reached;
        ASSERT_TRUE(std::isfinite(optimum)) << trial;
        int32_t x = 0;
        int32_t y = 0;
        ASSERT_TRUE(WalkPath(x, y)) << trial;
        EXPECT_EQ(x, tx);
        EXPECT_EQ(y, ty);
        // Turns cost a tenth: a path may be a little longer than the shortest to save some.
        EXPECT_GE(GeometricCost(), optimum - 1e-3f) << trial;
        EXPECT_LE(GeometricCost(), optimum * 1.05f + 1.0f) << trial;
    }
    EXPECT_GT(reached, 40);
    EXPECT_GT(limited + reached, 60);
}

// A corridor one cell wide that winds east and west across the window, rows 25 to 35.
void PathTestSerpentine(std::vector<std::pair<int32_t, int32_t>>& open)
{
    open.clear();
    for (int32_t x = 25; x <= 49; ++x)
        open.push_back({x, 25});
    bool east = false;
    for (int32_t y = 27; y <= 35; y += 2) {
        int32_t edge = east ? 1 : 49;
        open.push_back({edge, y - 1});
        for (int32_t x = 1; x <= 49; ++x)
            open.push_back({x, y});
        east = !east;
    }
}

TEST_F(PathFinding, LongPathsAreCutTo250StepsAndStillSucceed)
{
    for (int32_t y = 0; y < PathFinder::kWindow; ++y)
        for (int32_t x = 0; x < PathFinder::kWindow; ++x)
            Block(x, y);
    std::vector<std::pair<int32_t, int32_t>> open;
    PathTestSerpentine(open);
    for (auto [x, y] : open)
        Block(x, y, false);
    // Row 35 is entered at its east end and runs west: the corridor ends at column 1.
    ASSERT_TRUE(Find(1, 35));
    EXPECT_EQ(path.count, PathRecord::kMaxSteps);
    int32_t x = 0;
    int32_t y = 0;
    EXPECT_TRUE(WalkPath(x, y));
    EXPECT_LT(finder.GetNodesTaken(), PathFinder::kMaxTaken);
}

TEST_F(PathFinding, TheFiveHundredthNodeEndsTheSearchWithTheClosestPlaceKept)
{
    // A wall across the window with one gap far to the side: open ground on the near side
    // takes more than 500 nodes before the gap is found.
    for (int32_t x = 0; x < PathFinder::kWindow; ++x)
        Block(x, 30, x != 0);
    ASSERT_FALSE(Find(25, 40));
    EXPECT_EQ(finder.GetNodesTaken(), PathFinder::kMaxTaken);
    ASSERT_EQ(closest.level, Middle());
    // The best place found lies against the wall, below the target.
    EXPECT_NEAR(closest.y, Cell(25, 29).y, 0.5f);
    EXPECT_NEAR(closest.x, Cell(25, 29).x, 3.0f * kPathTestCell);
}

TEST_F(PathFinding, ASearchAfterOneStoppedByTheLimitTakesNothingFromIt)
{
    // One corridor winding over the whole window, cut just west of the mover: every expansion
    // opens the next cell alone, and the 500th leaves one open when the limit stops the search.
    for (int32_t y = 0; y < PathFinder::kWindow; ++y)
        for (int32_t x = 0; x < PathFinder::kWindow; ++x)
            Block(x, y, !(y % 2 == 1 && x >= 1 && x <= 49));
    for (int32_t y = 1; y + 2 < PathFinder::kWindow; y += 2)
        Block((y - 1) / 2 % 2 == 0 ? 49 : 1, y + 1, false);
    Block(24, 25);
    ASSERT_FALSE(Find(25, 0));
    ASSERT_EQ(finder.GetNodesTaken(), PathFinder::kMaxTaken);
    // The next search, in the same window, has two cells to stand on: it takes both, ends
    // with an empty list and keeps the nearer as the closest place.
    for (int32_t y = 0; y < PathFinder::kWindow; ++y)
        for (int32_t x = 0; x < PathFinder::kWindow; ++x)
            Block(x, y, !(y == 25 && (x == 25 || x == 26)));
    EXPECT_FALSE(Find(40, 40));
    EXPECT_EQ(finder.GetNodesTaken(), 2);
    EXPECT_NEAR(closest.x, Cell(26, 25).x, 0.5f);
    EXPECT_NEAR(closest.y, Cell(26, 25).y, 0.5f);
}

TEST_F(PathFinding, AnEnclosedTargetGivesTheNearestReachablePlace)
{
    for (int32_t y = 38; y <= 42; ++y)
        for (int32_t x = 23; x <= 27; ++x)
            Block(x, y, y == 38 || y == 42 || x == 23 || x == 27);
    EXPECT_FALSE(Find(25, 40));
    ASSERT_EQ(closest.level, Middle());
    EXPECT_NEAR(closest.x, Cell(25, 37).x, 0.5f);
    EXPECT_NEAR(closest.y, Cell(25, 37).y, 0.5f);
    // A blocked exact target is reached by range instead.
    Block(25, 40);
    Block(25, 39, false);
    Block(25, 38, false);
    EXPECT_TRUE(Find(25, 40));
    EXPECT_GE(path.count, 13);
}

TEST_F(PathFinding, TheMoversRadiusNeedsThatManyFreeCellsAround)
{
    // A wall across the window at row 30 with a gap of 1, 3 or 5 cells around column 25.
    for (int32_t gap : {1, 3, 5}) {
        for (int32_t x = 0; x < PathFinder::kWindow; ++x)
            Block(x, 30, std::abs(x - 25) > gap / 2);
        for (int32_t rings : {0, 1, 2}) {
            mover.radius = static_cast<float>(rings) * kPathTestCell + 1.0f;
            bool fits = gap >= 2 * rings + 1;
            EXPECT_EQ(Find(25, 34), fits) << "gap " << gap << " rings " << rings;
        }
    }
}

TEST_F(PathFinding, NearbyEntitiesOccupyTheirCellsAndBlockByReach)
{
    for (int32_t x = 0; x < PathFinder::kWindow; ++x)
        Block(x, 30, x != 25);
    EntityBase plug;
    plug.position = Cell(25, 30);
    mover.blockers = {&plug};
    EXPECT_FALSE(Find(25, 34));
    EXPECT_EQ(mover.asked, 1);
    EXPECT_FLOAT_EQ(mover.askedHalfSizes.x, 320.0f);
    EXPECT_FLOAT_EQ(mover.askedHalfSizes.y, 240.0f);
    EXPECT_EQ(mover.askedMask, 5);
    // In the wall beside the gap, it blocks only when its body and the mover's reach the gap.
    plug.position = Cell(26, 30);
    plug.radius = 10.0f;
    EXPECT_TRUE(Find(25, 34));
    plug.radius = 40.0f;
    EXPECT_FALSE(Find(25, 34));
    // A mover that ignores obstacles asks for no blockers and walks through walls.
    mover.flags |= PathFinder::kFlagIgnoresObstacles;
    ASSERT_TRUE(Find(25, 34));
    EXPECT_EQ(path.count, 9);
    EXPECT_EQ(mover.asked, 3);
}

TEST_F(PathFinding, AReachedTargetEntityBehindABlockedCornerIsApproachedFurther)
{
    EntityBase target;
    target.position = Cell(27, 27);
    target.radius = 50.0f;
    // Within reach from the start, and the cell between is free: no step needed.
    ASSERT_TRUE(Find(27, 27, &target));
    EXPECT_EQ(path.count, 0);
    // The cell between blocked: the search goes on to a cell that sees the target.
    Block(26, 26);
    ASSERT_TRUE(Find(27, 27, &target));
    EXPECT_GE(path.count, 1);
}

TEST_F(PathFinding, SearchesAllocateNothing)
{
    std::vector<EntityBase> crowd(100);
    RandomSystem draws(33);
    for (EntityBase& someone : crowd) {
        someone.position = Cell(draws.RandomIndex(RandomStream::GameData, 5, 45), draws.RandomIndex(RandomStream::GameData, 5, 45));
        someone.radius = 12.0f;
        mover.blockers.push_back(&someone);
    }
    for (int32_t x = 0; x < PathFinder::kWindow; ++x)
        Block(x, 30, x % 9 != 4);
    std::vector<std::pair<int32_t, int32_t>> targets{{25, 40}, {45, 45}, {3, 48}, {25, 25}, {49, 1}};
    for (auto [x, y] : targets)
        Find(x, y);  // the level's cells are built on first use
    BenchAllocations::Reset();
    BenchAllocations::SetCounting(true);
    for (int32_t round = 0; round < 3; ++round)
        for (auto [x, y] : targets)
            Find(x, y);
    BenchAllocations::SetCounting(false);
    EXPECT_EQ(BenchAllocations::Count(), 0);
}

TEST_F(PathFinding, EqualCostArrivalsKeepTheOneHeadingForTheTarget)
{
    // Two ways reach (22, 24) at the same cost, by 5, 6, 6 and by 6, 6, 5; only the second goes
    // on to (21, 23) without another turn.
    Block(22, 23);
    ASSERT_TRUE(Find(21, 23));
    ASSERT_EQ(path.count, 4);
    EXPECT_EQ(std::vector<int32_t>(path.steps.begin(), path.steps.begin() + 4), (std::vector<int32_t>{6, 6, 5, 5}));
    EXPECT_NEAR(CostWithTurns(), 4.9284f, 1e-3f);
    // Mirrored, the same.
    Block(22, 23, false);
    Block(28, 27);
    ASSERT_TRUE(Find(29, 27));
    ASSERT_EQ(path.count, 4);
    EXPECT_EQ(std::vector<int32_t>(path.steps.begin(), path.steps.begin() + 4), (std::vector<int32_t>{2, 2, 1, 1}));
}

TEST_F(PathFinding, AgreesWithATurnCountingSearchOnReachAndCost)
{
    RandomSystem draws(4711);
    int32_t reached = 0;
    int32_t optimal = 0;
    for (int32_t trial = 0; trial < 150; ++trial) {
        LayRandomWalls(draws, 0.05f + 0.3f * static_cast<float>(trial % 5) / 4.0f);
        int32_t tx = draws.RandomIndex(RandomStream::GameData, 10, 40);
        int32_t ty = draws.RandomIndex(RandomStream::GameData, 10, 40);
        Block(tx, ty, false);
        float optimum = BruteForceCosts(0.1f)[static_cast<size_t>(ty * PathFinder::kWindow + tx)];
        bool found = Find(tx, ty);
        if (!found) {
            // Only the node limit may hide a reachable target.
            if (std::isfinite(optimum)) {
                EXPECT_EQ(finder.GetNodesTaken(), PathFinder::kMaxTaken) << trial;
            }
            continue;
        }
        ++reached;
        ASSERT_TRUE(std::isfinite(optimum)) << trial;
        int32_t x = 0;
        int32_t y = 0;
        ASSERT_TRUE(WalkPath(x, y)) << trial;
        ASSERT_EQ(x * 100 + y, tx * 100 + ty) << trial;
        // One node per cell cannot weigh every way in: a path may pay one turn more than the
        // best, no more, and most pay none.
        float cost = CostWithTurns();
        EXPECT_GE(cost, optimum - 1e-3f) << trial;
        EXPECT_LE(cost, optimum + 0.1f + 1e-3f) << trial;
        optimal += cost <= optimum + 1e-3f ? 1 : 0;
    }
    EXPECT_GT(reached, 100);
    EXPECT_GE(optimal, reached * 4 / 5);
}

// A mover near its level's corner sees the cells of the three levels beyond its edges, each
// read from its own level at its own cell; searches from two of those levels take turns.
TEST_F(PathFinding, CellsBeyondTheLevelsEdgesComeFromTheLevelsThere)
{
    const LevelGeometry& g = world.GetLevel(Middle())->data->geometry;
    const int32_t across = g.CellsAcross();
    const int32_t down = g.CellsDown();
    for (int32_t level : {At(2, 1), At(1, 2), At(2, 2)})
        Carve(level);
    // Window cell (cx, cy) is cell (firstX + cx, firstY + cy) counted from the middle level.
    int32_t firstX = 0;
    int32_t firstY = 0;
    auto lay = [&](int32_t cx, int32_t cy, bool wall) {
        int32_t x = firstX + cx;
        int32_t y = firstY + cy;
        int32_t column = x >= across ? 2 : 1;
        int32_t row = y >= down ? 2 : 1;
        SetBlocked(At(column, row), x - (column - 1) * across, y - (row - 1) * down, wall);
        walls[static_cast<size_t>(cy * PathFinder::kWindow + cx)] = wall;
    };
    auto place = [&](int32_t cx, int32_t cy) {
        WorldPos at{Middle(), static_cast<float>(firstX + cx) * kPathTestCell, static_cast<float>(firstY + cy) * kPathTestCell,
                    true};
        at.Normalize();
        return at;
    };
    RandomSystem draws(31337);
    int32_t reached = 0;
    for (int32_t trial = 0; trial < 40; ++trial) {
        // On the middle level by its south-east corner, or on the level east of it by its
        // south-west corner: the levels south of each differ.
        bool middle = trial % 2 == 0;
        firstX = (middle ? across - 6 : across + 6) - PathFinder::kCentre;
        firstY = down - 9 - PathFinder::kCentre;
        mover.position = place(PathFinder::kCentre, PathFinder::kCentre);
        ASSERT_EQ(mover.position.level, middle ? Middle() : At(2, 1));
        for (int32_t cy = 0; cy < PathFinder::kWindow; ++cy)
            for (int32_t cx = 0; cx < PathFinder::kWindow; ++cx)
                lay(cx, cy, draws.RandomFloat(RandomStream::GameData) < 0.3f);
        lay(PathFinder::kCentre, PathFinder::kCentre, false);
        // The target beyond an edge: east, south or both.
        int32_t tx = draws.RandomIndex(RandomStream::GameData, PathFinder::kCentre + 7, PathFinder::kWindow - 1);
        int32_t ty = draws.RandomIndex(RandomStream::GameData, PathFinder::kCentre + 10, PathFinder::kWindow - 1);
        if (trial % 3 == 1)
            tx = draws.RandomIndex(RandomStream::GameData, 5, PathFinder::kCentre);
        if (trial % 3 == 2)
            ty = draws.RandomIndex(RandomStream::GameData, 5, PathFinder::kCentre);
        lay(tx, ty, false);
        float optimum = BruteForceCosts(0.1f)[static_cast<size_t>(ty * PathFinder::kWindow + tx)];
        bool found = finder.FindPath(&mover, mover.position, place(tx, ty), nullptr, &path, &closest);
        if (!found) {
            // Only the node limit may hide a reachable target.
            if (std::isfinite(optimum)) {
                EXPECT_EQ(finder.GetNodesTaken(), PathFinder::kMaxTaken) << trial;
            }
            continue;
        }
        ++reached;
        ASSERT_TRUE(std::isfinite(optimum)) << trial;
        int32_t x = 0;
        int32_t y = 0;
        ASSERT_TRUE(WalkPath(x, y)) << trial;
        ASSERT_EQ(x * 100 + y, tx * 100 + ty) << trial;
        // Among these walls one node per cell may pay a turn or two more than the best.
        EXPECT_GE(CostWithTurns(), optimum - 1e-3f) << trial;
        EXPECT_LE(CostWithTurns(), optimum * 1.05f + 1.0f) << trial;
    }
    EXPECT_GT(reached, 20);
}

// Blocks never visited are walls the finder learns one cell at a time while the rest of the
// window is read from built blocks; a body one cell wide needs its eight neighbours free too.
TEST_F(PathFinding, UnvisitedBlocksAndClearanceAgreeWithBruteForce)
{
    RandomSystem draws(2718);
    LevelData& data = *world.GetLevel(Middle())->data;
    const LevelGeometry& g = data.geometry;
    mover.radius = kPathTestCell;
    int32_t reached = 0;
    for (int32_t trial = 0; trial < 60; ++trial) {
        LayRandomWalls(draws, 0.02f + 0.04f * static_cast<float>(trial % 3));
        std::fill(data.visited.begin(), data.visited.end(), true);
        for (size_t block = 0; block < data.visited.size(); ++block)
            data.visited[block] = draws.RandomFloat(RandomStream::GameData) >= 0.2f;
        // The centre stays standable: its block visited, the ring round it open.
        for (int32_t y = PathFinder::kCentre - 1; y <= PathFinder::kCentre + 1; ++y)
            for (int32_t x = PathFinder::kCentre - 1; x <= PathFinder::kCentre + 1; ++x)
                Block(x, y, false);
        data.visited[static_cast<size_t>(((kPathTestOrigin + PathFinder::kCentre) / g.CellsPerBlockY()) * g.blocksPerRow +
                                         (kPathTestOrigin + PathFinder::kCentre) / g.CellsPerBlockX())] = true;
        std::vector<bool> hard = walls;
        for (int32_t y = 0; y < PathFinder::kWindow; ++y) {
            for (int32_t x = 0; x < PathFinder::kWindow; ++x) {
                int32_t bx = (kPathTestOrigin + x) / g.CellsPerBlockX();
                int32_t by = (kPathTestOrigin + y) / g.CellsPerBlockY();
                if (!data.visited[static_cast<size_t>(by * g.blocksPerRow + bx)])
                    hard[static_cast<size_t>(y * PathFinder::kWindow + x)] = true;
            }
        }
        for (int32_t y = 0; y < PathFinder::kWindow; ++y) {
            for (int32_t x = 0; x < PathFinder::kWindow; ++x) {
                bool closed = false;
                for (int32_t dy = -1; dy <= 1; ++dy)
                    for (int32_t dx = -1; dx <= 1; ++dx)
                        closed = closed || x + dx < 0 || y + dy < 0 || x + dx >= PathFinder::kWindow ||
                                 y + dy >= PathFinder::kWindow ||
                                 hard[static_cast<size_t>((y + dy) * PathFinder::kWindow + x + dx)];
                walls[static_cast<size_t>(y * PathFinder::kWindow + x)] = closed;
            }
        }
        int32_t tx = 0;
        int32_t ty = 0;
        do {
            tx = draws.RandomIndex(RandomStream::GameData, 5, 45);
            ty = draws.RandomIndex(RandomStream::GameData, 5, 45);
        } while (walls[static_cast<size_t>(ty * PathFinder::kWindow + tx)]);
        float optimum = BruteForceCosts(0.1f)[static_cast<size_t>(ty * PathFinder::kWindow + tx)];
        bool found = Find(tx, ty);
        if (!found) {
            // Only the node limit may hide a reachable target.
            if (std::isfinite(optimum)) {
                EXPECT_EQ(finder.GetNodesTaken(), PathFinder::kMaxTaken) << trial;
            }
            continue;
        }
        ++reached;
        ASSERT_TRUE(std::isfinite(optimum)) << trial;
        int32_t x = 0;
        int32_t y = 0;
        ASSERT_TRUE(WalkPath(x, y)) << trial;
        ASSERT_EQ(x * 100 + y, tx * 100 + ty) << trial;
        EXPECT_GE(CostWithTurns(), optimum - 1e-3f) << trial;
        EXPECT_LE(CostWithTurns(), optimum + 0.1f + 1e-3f) << trial;
    }
    EXPECT_GT(reached, 15);
}

} // namespace
