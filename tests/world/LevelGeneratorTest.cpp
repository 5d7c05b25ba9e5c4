// LevelGeneratorTest -- block grids from seeds and area files: determinism, fitting every neighbour and border, bounded attempts, references and notifications.
#include "world/LevelGenerator.h"

#include "support/LogLines.h"
#include "world/AreaResource.h"
#include "world/LevelCells.h"
#include "world/LevelQueries.h"
#include "world/LevelWorld.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

namespace {

// An area file of blocks given by their four edges (indices into "closed corridor
// levelBottleneck") and edge masks, every tile floor.
std::string LevelTestSyntheticArea(const std::vector<std::array<int, 5>>& blocks)
{
    std::string text = "1 Textures/floor.tga\n3 closed corridor levelBottleneck\n0\n";
    for (size_t i = 0; i < blocks.size(); ++i) {
        const auto& b = blocks[i];
        text += "block B" + std::to_string(i) + " 1 " + std::to_string(b[4]) + "\n{\n";
        for (int row = 0; row < 8; ++row)
            text += "0 0 0 0 0 0 0 0\n";
        text += std::to_string(b[0]) + " " + std::to_string(b[1]) + " " + std::to_string(b[2]) + " " +
                std::to_string(b[3]) + "\n}\n";
    }
    return text;
}

// Every mix of closed (0) and corridor (1) sides, and the exits.
std::string LevelTestCaveArea()
{
    std::vector<std::array<int, 5>> blocks;
    for (int bits = 0; bits < 16; ++bits) {
        std::array<int, 5> b{};
        int mask = 0;
        for (int side = 0; side < 4; ++side) {
            b[static_cast<size_t>(side)] = (bits >> side) & 1;
            mask |= ((bits >> side) & 1) << side;
        }
        b[4] = mask;
        blocks.push_back(b);
        for (int exit = 0; exit < 4; ++exit) {
            std::array<int, 5> withExit = b;
            withExit[static_cast<size_t>(exit)] = 2;
            withExit[4] = mask | (1 << exit);
            blocks.push_back(withExit);
        }
    }
    return LevelTestSyntheticArea(blocks);
}

class LevelGeneration : public LevelWorld {
protected:
    LevelGeneration()
    {
        WriteTarga("Textures/floor.tga", 4, 4);
        StartShaders();
    }

    std::vector<int32_t> Grid(const Level& level) const { return level.data->blockGrid; }

    // A level of the synthetic cave file with its block goal and failure count, held.
    Level& HeldCave(uint32_t seed, int32_t minBlocks, int32_t maxLevelFailures)
    {
        WriteAsset("Levels/cave.ara", LevelTestCaveArea());
        Level& level = MakeLevel("Levels/cave.ara", 1, seed);
        level.area->minBlocks = minBlocks;
        level.area->maxLevelFailures = maxLevelFailures;
        Hold(level);
        return level;
    }

    // Each side a passage one time in oneIn, at an opening drawn from the test's own sequence.
    static void DrawPassages(Level& level, uint32_t& draw, uint32_t oneIn)
    {
        for (int32_t side = 0; side < 4; ++side) {
            draw = draw * 1103515245u + 12345u;
            bool passage = (draw >> 16) % oneIn == 0;
            level.sideKinds[static_cast<size_t>(side)] = passage ? kLevelSidePassage : kLevelSideWall;
            level.sideOpenings[static_cast<size_t>(side)] = passage ? 1 + static_cast<int32_t>((draw >> 8) % 6) : -1;
        }
    }

    // Every cell's movement bit, asked block by block in the given order of blocks.
    std::vector<bool> CellBits(Level& level)
    {
        std::vector<bool> bits;
        for (int32_t cy = 0; cy < 128; ++cy)
            for (int32_t cx = 0; cx < 128; ++cx)
                bits.push_back(LevelCells::IsCellBlocked(level, cx, cy));
        return bits;
    }
};

TEST_F(LevelGeneration, SameSeedAndFileGiveTheSameGridAndCells)
{
    WriteAsset("Levels/cave.ara", LevelTestCaveArea());
    Level& first = MakeLevel("Levels/cave.ara", 1, 99);
    first.area->minBlocks = 10;
    Hold(first);
    std::vector<int32_t> grid = Grid(first);
    std::vector<bool> cells = CellBits(first);
    EXPECT_GT(std::count_if(grid.begin(), grid.end(), [](int32_t b) { return b >= 0; }), 9);

    // Let go and held again: generated afresh, whatever the streams did meanwhile.
    LevelGenerator::DropAllReferences(first);
    random.Seed(5);
    Hold(first);
    EXPECT_EQ(Grid(first), grid);
    EXPECT_EQ(CellBits(first), cells);

    Level& other = MakeLevel("Levels/cave.ara", 1, 100);
    other.area->minBlocks = 10;
    Hold(other);
    EXPECT_NE(Grid(other), grid);
}

// For every pair of placed neighbours, the one placed later was chosen to fit the other.
void ExpectNeighboursFit(const Level& level, const AreaResource& area)
{
    const LevelData& data = *level.data;
    for (int32_t y = 0; y < 8; ++y) {
        for (int32_t x = 0; x < 8; ++x) {
            int32_t block = data.blockGrid[static_cast<size_t>(y * 8 + x)];
            if (block < 0)
                continue;
            if (x + 1 < 8) {
                int32_t right = data.blockGrid[static_cast<size_t>(y * 8 + x + 1)];
                if (right >= 0) {
                    EXPECT_TRUE(area.EdgeFits(area.GetEdge(block, 2), area.GetEdge(right, 1)) ||
                                area.EdgeFits(area.GetEdge(right, 1), area.GetEdge(block, 2)))
                        << x << "," << y;
                }
            }
            if (y + 1 < 8) {
                int32_t up = data.blockGrid[static_cast<size_t>((y + 1) * 8 + x)];
                if (up >= 0) {
                    EXPECT_TRUE(area.EdgeFits(area.GetEdge(block, 0), area.GetEdge(up, 3)) ||
                                area.EdgeFits(area.GetEdge(up, 3), area.GetEdge(block, 0)))
                        << x << "," << y;
                }
            }
        }
    }
}

// Border blocks meet the level's border: a closed side's edge closes, its opening has the exit.
void ExpectBordersFit(const Level& level, const AreaResource& area)
{
    const LevelData& data = *level.data;
    const int32_t exitEdge = area.GetEdgeRoles().Get(AreaEdgeRole::LevelBottleneck);
    auto check = [&](int32_t x, int32_t y, int32_t side, int32_t position) {
        int32_t block = data.blockGrid[static_cast<size_t>(y * 8 + x)];
        if (block < 0)
            return;
        bool opening = level.sideKinds[static_cast<size_t>(side)] == kLevelSidePassage &&
                       level.sideOpenings[static_cast<size_t>(side)] == position;
        int32_t edge = area.GetEdge(block, side);
        if (opening)
            EXPECT_EQ(edge, exitEdge) << "side " << side << " at " << position;
        else
            EXPECT_TRUE(area.EdgeFits(edge, EdgeRequirement::kClosedLevelBorder)) << "side " << side << " at " << position;
    };
    for (int32_t p = 0; p < 8; ++p) {
        check(p, 0, 3, p);
        check(p, 7, 0, p);
        check(0, p, 1, p);
        check(7, p, 2, p);
    }
}

TEST_F(LevelGeneration, ShippedAreasFitNeighboursAndBordersOverManySeeds)
{
    struct Shipped {
        const char* file;
        int32_t generator;
    };
    for (Shipped shipped : {Shipped{"Levels/grasslands.ara", 0}, Shipped{"Levels/caves.ara", 1},
                            Shipped{"Levels/crypt.ara", 2}}) {
        ASSERT_TRUE(CopyShippedArea(shipped.file)) << "EMBERLODE_GAME_DIR not set or no " << shipped.file;
        uint32_t draw = 17;
        for (uint32_t seed = 1; seed <= 120; ++seed) {
            Level& level = MakeLevel(shipped.file, shipped.generator, seed * 7919u);
            level.area->minBlocks = 12;
            DrawPassages(level, draw, 3u);
            Hold(level);
            AreaResource* area = LevelGenerator::GetArea(level);
            ASSERT_NE(area, nullptr);
            ExpectNeighboursFit(level, *area);
            ExpectBordersFit(level, *area);
            const std::vector<int32_t>& grid = level.data->blockGrid;
            if (shipped.generator == 0) {
                EXPECT_EQ(std::count(grid.begin(), grid.end(), -1), 0) << seed;
            }
            LevelGenerator::DropAllReferences(level);
        }
    }
    EXPECT_EQ(CountLogged("Added closed block"), 0);
    EXPECT_EQ(CountLogged("^c005"), 0);
}

TEST_F(LevelGeneration, ImpossibleBlockCountEndsAtTheAttemptCap)
{
    WriteAsset("Levels/cave.ara", LevelTestCaveArea());
    Level& level = MakeLevel("Levels/cave.ara", 1, 3);
    level.area->minBlocks = 1000;
    level.area->maxLevelFailures = 1000;
    Hold(level);
    EXPECT_TRUE(level.data->generated);
    EXPECT_EQ(CountLogged("blocks reachable after 100 attempts"), 1);
    // The best grid found is kept and its reachable blocks can be walked.
    EXPECT_TRUE(std::count(level.data->visited.begin(), level.data->visited.end(), true) > 0);
}

// The shipped underground files grow from the bottom row; a level's passages may lie on any
// side, and each must open onto ground walked to from the start, or the levels beyond are cut off.
TEST_F(LevelGeneration, EveryPassageOfAShippedCaveOrCryptOpensOntoGroundWalkedToFromTheStart)
{
    for (const char* file : {"Levels/caves.ara", "Levels/crypt.ara"}) {
        ASSERT_TRUE(CopyShippedArea(file)) << "EMBERLODE_GAME_DIR not set or no " << file;
        uint32_t draw = 29;
        for (uint32_t seed = 1; seed <= 150; ++seed) {
            Level& level = MakeLevel(file, file == std::string("Levels/caves.ara") ? 1 : 2, seed * 104729u);
            level.area->minBlocks = 12;
            DrawPassages(level, draw, 2u);
            Hold(level);
            for (int32_t side = 0; side < 4; ++side) {
                if (level.sideKinds[static_cast<size_t>(side)] != kLevelSidePassage)
                    continue;
                int32_t along = level.sideOpenings[static_cast<size_t>(side)];
                int32_t bx = side == 1 ? 0 : side == 2 ? 7 : along;
                int32_t by = side == 3 ? 0 : side == 0 ? 7 : along;
                EXPECT_TRUE(LevelQueries::IsBlockReachable(level, bx, by))
                    << file << " seed " << seed << ": the passage on side " << side << " at block " << along;
            }
            EXPECT_GE(std::count(level.data->visited.begin(), level.data->visited.end(), true), 12) << file << " seed " << seed;
            LevelGenerator::DropAllReferences(level);
        }
    }
    EXPECT_EQ(CountLogged("attempts"), 0);
}

// A passage that no block of the file can open is given up at the attempt cap, which says so;
// the grid kept still has its blocks.
TEST_F(LevelGeneration, APassageNoBlockCanOpenEndsAtTheAttemptCapAndSaysSo)
{
    std::vector<std::array<int, 5>> blocks;
    for (int bits = 0; bits < 16; ++bits)
        blocks.push_back({bits & 1, (bits >> 1) & 1, (bits >> 2) & 1, (bits >> 3) & 1, bits});
    WriteAsset("Levels/noexit.ara", LevelTestSyntheticArea(blocks));
    Level& level = MakeLevel("Levels/noexit.ara", 1, 11);
    level.area->minBlocks = 8;
    level.area->maxLevelFailures = 1000;
    level.sideKinds[0] = kLevelSidePassage;
    level.sideOpenings[0] = 4;
    Hold(level);
    EXPECT_TRUE(level.data->generated);
    EXPECT_EQ(CountLogged("1 passages out lead into rock after 100 attempts"), 1);
    EXPECT_EQ(CountLogged("blocks reachable"), 0);
    EXPECT_GE(std::count(level.data->visited.begin(), level.data->visited.end(), true), 8);
}

TEST_F(LevelGeneration, MaxLevelFailuresZeroKeepsTheFirstGrid)
{
    WriteAsset("Levels/cave.ara", LevelTestCaveArea());
    Level& level = MakeLevel("Levels/cave.ara", 1, 3);
    level.area->minBlocks = 1000;
    level.area->maxLevelFailures = 0;
    Hold(level);
    EXPECT_EQ(CountLogged("attempts"), 0);
    EXPECT_GT(std::count_if(level.data->blockGrid.begin(), level.data->blockGrid.end(), [](int32_t b) { return b >= 0; }), 0);
}

// An attempt past the area's failure count ends generation with the grid as it stands; one
// within it grows the grid again from an empty one.
TEST_F(LevelGeneration, PlaceBlocksPastTheFailureCountKeepsTheGridAndWithinItGrowsAgain)
{
    Level& level = HeldCave(7, 6, 2);
    std::vector<int32_t>& grid = level.data->blockGrid;
    grid.assign(grid.size(), -1);
    grid[3] = 5;
    std::vector<int32_t> marked = grid;
    LevelGenerator::PlaceBlocks(level, 3);
    EXPECT_EQ(grid, marked);
    LevelGenerator::PlaceBlocks(level, 2);
    EXPECT_NE(grid, marked);
    EXPECT_GE(std::count(level.data->visited.begin(), level.data->visited.end(), true), 6);
    for (int32_t by = 0; by < 8; ++by) {
        for (int32_t bx = 0; bx < 8; ++bx) {
            bool walked = LevelQueries::IsBlockReachable(level, bx, by);
            EXPECT_FALSE(walked && LevelQueries::IsBlockEmpty(level, bx, by)) << bx << " " << by;
        }
    }
}

TEST_F(LevelGeneration, EmptyMissingAndUnfittingFilesStillEnd)
{
    WriteAsset("Levels/empty.ara", "");
    Level& empty = MakeLevel("Levels/empty.ara", 1, 1);
    Hold(empty);
    Level& missing = MakeLevel("Levels/missing.ara", 0, 1);
    Hold(missing);
    for (Level* level : {&empty, &missing}) {
        EXPECT_TRUE(level->data->generated);
        EXPECT_TRUE(LevelCells::IsCellBlocked(*level, 64, 64));
        EXPECT_EQ(LevelQueries::RandomPointInLevel(*level).level, -1);
    }
    EXPECT_EQ(CountLogged("Area file Levels/empty.ara has no blocks"), 1);
    EXPECT_EQ(CountLogged("Area file Levels/missing.ara has no blocks"), 1);

    // Only corridors everywhere: no block closes a border, not even the closed retry.
    WriteAsset("Levels/open.ara", LevelTestSyntheticArea({{1, 1, 1, 1, 15}}));
    for (int32_t generator : {0, 1}) {
        Level& open = MakeLevel("Levels/open.ara", generator, 9);
        Hold(open);
        EXPECT_TRUE(open.data->generated);
    }
    EXPECT_GT(CountLogged("Added closed block: -1 -1 -1 -3"), 0);
}

TEST_F(LevelGeneration, RequirementsReadBordersOpeningsAndNeighbours)
{
    WriteAsset("Levels/cave.ara", LevelTestCaveArea());
    Level& level = MakeLevel("Levels/cave.ara", 1, 11);
    level.sideKinds[3] = kLevelSidePassage;
    level.sideOpenings[3] = 2;
    level.sideKinds[2] = kLevelSideOpen;
    level.sideOpenings[2] = 5;
    Hold(level);
    std::fill(level.data->blockGrid.begin(), level.data->blockGrid.end(), -1);
    EXPECT_EQ(LevelGenerator::Requirements(level, 2, 0), (std::array<int32_t, 4>{-1, -1, -1, -4}));
    EXPECT_EQ(LevelGenerator::Requirements(level, 3, 0), (std::array<int32_t, 4>{-1, -1, -1, -3}));
    // An open side (kind 2) is a closed border to the generator, even at its opening.
    EXPECT_EQ(LevelGenerator::Requirements(level, 7, 5), (std::array<int32_t, 4>{-1, -1, -3, -1}));
    EXPECT_EQ(LevelGenerator::Requirements(level, 0, 7), (std::array<int32_t, 4>{-3, -3, -1, -1}));
    // Block 1 of the file: corridor up, closed elsewhere (bits 0001), placed below (4, 4).
    level.data->blockGrid[3 * 8 + 4] = 1 * 5 - 4;
    AreaResource* area = LevelGenerator::GetArea(level);
    EXPECT_EQ(LevelGenerator::Requirements(level, 4, 4)[3], area->GetEdge(1, 0));
}

TEST_F(LevelGeneration, DamagedAreaFilesStillGenerateAndAnswer)
{
    std::string text = LevelTestCaveArea();
    uint32_t state = 5;
    for (int round = 0; round < 40; ++round) {
        std::string damaged = text;
        for (int flip = 0; flip < 20; ++flip) {
            state = state * 1103515245u + 12345u;
            damaged[(state >> 8) % damaged.size()] ^= static_cast<char>(1 << ((state >> 4) % 8));
        }
        std::string file = "Levels/damaged" + std::to_string(round) + ".ara";
        WriteAsset(file, damaged.substr(0, (state >> 12) % damaged.size()));
        Level& level = MakeLevel(file, 1 + round % 2, state);
        level.area->minBlocks = 20;
        Hold(level);
        ASSERT_TRUE(level.data->generated);
        for (int32_t cell = -3; cell < 140; cell += 7)
            LevelCells::IsCellBlocked(level, cell, 140 - cell);
        LevelQueries::RandomPointInLevel(level);
        LevelGenerator::DropAllReferences(level);
    }
}

TEST_F(LevelGeneration, ClearingTileCellsRebuildsOnlyTheTilesAround)
{
    WriteAsset("Levels/cave.ara", LevelTestCaveArea());
    Level& level = MakeLevel("Levels/cave.ara", 0, 8);
    Hold(level);
    for (int32_t y = 0; y < 5; ++y)
        for (int32_t x = 0; x < 5; ++x)
            ASSERT_NE(LevelCells::GetTileCell(level, x, y), nullptr);
    LevelQueries::ClearTileCellsAround(level, 2, 2);
    for (int32_t y = 0; y < 5; ++y)
        for (int32_t x = 0; x < 5; ++x) {
            bool cleared = x >= 1 && x <= 3 && y >= 1 && y <= 3;
            EXPECT_EQ(level.data->tileCells[static_cast<size_t>(y * 64 + x)].built, !cleared) << x << "," << y;
        }
    LevelQueries::ClearTileCellsAround(level, -1, 70);
    EXPECT_TRUE(LevelCells::GetTileCell(level, 2, 2)->built);
}

std::vector<std::string> gLevelGeneratorLog;

TEST_F(LevelGeneration, ReferencesAcquireOnceAndAnnounceOncePerGeneration)
{
    gLevelGeneratorLog.clear();
    world.AddLevelCallback(WorldSide::Server, LevelEvent::Generated,
                           [](int32_t level) { gLevelGeneratorLog.push_back("gen " + std::to_string(level)); });
    world.AddLevelCallback(WorldSide::Client, LevelEvent::Generated,
                           [](int32_t level) { gLevelGeneratorLog.push_back("client gen " + std::to_string(level)); });
    world.AddLevelCallback(WorldSide::Server, LevelEvent::Released,
                           [](int32_t level) { gLevelGeneratorLog.push_back("free " + std::to_string(level)); });
    world.AddLevelCallback(WorldSide::Client, LevelEvent::Released,
                           [](int32_t level) { gLevelGeneratorLog.push_back("client free " + std::to_string(level)); });
    WriteAsset("Levels/cave.ara", LevelTestCaveArea());
    Level& level = MakeLevel("Levels/cave.ara", 1, 4);
    LevelGenerator::AddReference(level, 0);
    LevelGenerator::AddReference(level, kLevelReferenceActive);
    LevelGenerator::AddReference(level, kLevelReferenceActiveEditor);
    for (int i = 0; i < 5; ++i)
        LevelCells::IsCellBlocked(level, i, i);
    AreaResource* area = LevelGenerator::GetArea(level);
    ASSERT_NE(area, nullptr);
    EXPECT_EQ(area->GetAcquireCount(), 1);
    LevelGenerator::ReleaseReference(level, kLevelReferenceActive);
    EXPECT_EQ(area->GetAcquireCount(), 1);
    LevelGenerator::ReleaseReference(level, kLevelReferenceActiveEditor);
    EXPECT_EQ(area->GetAcquireCount(), 0);
    LevelCells::IsCellBlocked(level, 1, 1);
    // Active again: acquired and announced again, without a new generation.
    LevelGenerator::AddReference(level, kLevelReferenceActive);
    LevelCells::IsCellBlocked(level, 1, 1);
    EXPECT_EQ(area->GetAcquireCount(), 1);
    LevelGenerator::ReleaseReference(level, kLevelReferenceActive);
    LevelGenerator::ReleaseReference(level, 0);
    EXPECT_EQ(level.data, nullptr);
    EXPECT_EQ(area->GetAcquireCount(), 0);
    EXPECT_EQ(gLevelGeneratorLog, (std::vector<std::string>{"gen 0", "client gen 0", "client free 0", "gen 0",
                                                            "client gen 0", "client free 0", "free 0"}));
}

TEST_F(LevelGeneration, RandomPointsLandOnReachableBlocks)
{
    WriteAsset("Levels/cave.ara", LevelTestCaveArea());
    Level& level = MakeLevel("Levels/cave.ara", 1, 21);
    level.area->minBlocks = 6;
    Hold(level);
    for (int i = 0; i < 200; ++i) {
        WorldPos point = LevelQueries::RandomPointInLevel(level);
        ASSERT_EQ(point.level, level.index);
        int32_t block = LevelQueries::WorldToBlock(level, point.x, point.y);
        ASSERT_GE(block, 0);
        EXPECT_TRUE(level.data->visited[static_cast<size_t>(block)]);
    }
    WorldPos inBlock = LevelQueries::RandomPointInBlock(level, 2, 3);
    EXPECT_EQ(LevelQueries::WorldToBlock(level, inBlock.x, inBlock.y), 3 * 8 + 2);
}

TEST_F(LevelGeneration, SettlingJoinsNeighboursOfNeighbours)
{
    // A 2 x 2 grid joined along its straight sides only.
    Level* cells[2][2];
    for (int32_t row = 0; row < 2; ++row)
        for (int32_t column = 0; column < 2; ++column) {
            Level& level = MakeLevel("", 0, 1);
            level.column = column;
            level.row = row;
            cells[row][column] = &level;
        }
    world.ConnectLevels(cells[0][0], cells[0][1], LevelJoin::Open);
    world.ConnectLevels(cells[1][0], cells[1][1], LevelJoin::Open);
    world.ConnectLevels(cells[0][0], cells[1][0], LevelJoin::Open);
    world.ConnectLevels(cells[0][1], cells[1][1], LevelJoin::Open);
    int passes = 0;
    bool changed = true;
    while (changed && passes < 10) {
        changed = false;
        for (int32_t i = 0; i < world.GetLevelCount(); ++i)
            changed = LevelGenerator::SettleNeighbours(world, *world.GetLevel(i)) || changed;
        ++passes;
    }
    EXPECT_LE(passes, 3);
    EXPECT_EQ(cells[0][0]->neighbours[2], cells[1][1]->index);
    EXPECT_EQ(cells[1][1]->neighbours[6], cells[0][0]->index);
    EXPECT_EQ(cells[0][1]->neighbours[0], cells[1][0]->index);
}

} // namespace
