// LevelCellsTest -- movement and sight cells: borders, wall shaders, object footprints and occupants, query-order independence, instances, ground textures, blend weights and the grounds that fade into a tile.
#include "world/LevelCells.h"

#include "core/RandomSystem.h"
#include "world/AreaResource.h"
#include "world/LevelData.h"
#include "world/LevelQueries.h"
#include "world/LevelWorld.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <numeric>
#include <random>
#include <set>
#include <string>
#include <tuple>
#include <vector>

namespace {

// One block's tiles and objects (rows top first), as a closed block for every place inside a
// level and its border and four copies with one exit edge for the openings.
std::string CellsTestArea(const std::vector<std::string>& rows, const std::string& objects)
{
    std::string tiles;
    for (int row = 0; row < 8; ++row)
        tiles += row < static_cast<int>(rows.size()) ? rows[static_cast<size_t>(row)] + "\n" : "0 0 0 0 0 0 0 0\n";
    std::string text = "4 Textures/floor.tga Textures/wall.tga Textures/moss.tga Textures/dirt.tga\n"
                       "2 closed levelBottleneck\n"
                       "4 Models/log.mdl Models/post.mdl Models/rock.mdl Models/shifted.mdl\n";
    for (const char* edges : {"0 0 0 0", "1 0 0 0", "0 1 0 0", "0 0 1 0", "0 0 0 1"})
        text += std::string("block B\n{\n") + tiles + edges + "\n" + objects + "}\n";
    return text;
}

class LevelCellBits : public LevelWorld {
protected:
    LevelCellBits()
    {
        for (const char* name : {"floor", "wall", "moss", "dirt"})
            WriteTarga(std::string("Textures/") + name + ".tga", 4, 4);
        WriteAsset("Shaders/walls.sdr", "Textures/wall\n{\n BlocksCollision\n BlocksSight\n"
                                        " { texture Textures/wall.tga }\n}\n");
        // Dirt and moss: two variants of one ground.
        WriteAsset("Shaders/ground.sdr", "Textures/dirt\n{\n blendGroup soil\n { texture Textures/dirt.tga }\n}\n"
                                         "Textures/moss\n{\n blendGroup soil\n { texture Textures/moss.tga }\n}\n");
        // A 2 x 1 log, a 2 x 2 post that blocks sight, a rock drawn at a random facing and
        // scale, and a log shifted one cell to the right.
        WriteAsset("Models/log.mdl", "collision\n{\n 1 1\n}\n");
        WriteAsset("Models/post.mdl", "BlocksSight 1\ncollision\n{\n 1 1\n 1 1\n}\n");
        WriteAsset("Models/rock.mdl", "randomRotation 1\nrandomScale 0.5 1.5\n");
        WriteAsset("Models/shifted.mdl", "collisionGridOffset 1 0\ncollision\n{\n 1 1\n}\n");
        StartShaders();
    }

    Level& CellsLevel(const std::string& text, const std::string& file = "Levels/cells.ara")
    {
        WriteAsset(file, text);
        Level& level = MakeLevel(file, 0, 77);
        Hold(level);
        return level;
    }

    // Switches the cells a tile side has by the grid size, before any level is made.
    void SetGridSize(int grid)
    {
        WriteAsset("Database/rules.dbr", "GameSystem\n{\n Type Info\n LevelTileWidth 64\n LevelTileHeight 64\n"
                                         " BlockTileWidth 8\n BlockTileHeight 8\n TileSize 64\n GridSize " +
                                             std::to_string(grid) + " " + std::to_string(grid) + "\n}\n");
        database.Load();
        gameData.Load(database);
    }
};

TEST_F(LevelCellBits, BordersAreWalledExceptOpenSidesAndOpenings)
{
    WriteAsset("Levels/cells.ara", CellsTestArea({}, ""));
    Level& level = MakeLevel("Levels/cells.ara", 0, 77);
    level.sideKinds[2] = kLevelSideOpen;
    level.sideKinds[3] = kLevelSidePassage;
    level.sideOpenings[3] = 2;
    Hold(level);
    for (int32_t cy = 0; cy < 128; cy += 5) {
        EXPECT_TRUE(LevelCells::IsCellBlocked(level, 0, cy)) << cy;
        EXPECT_FALSE(LevelCells::IsCellBlocked(level, 1, cy + 1 < 127 ? cy + 1 : 126)) << cy;
        EXPECT_FALSE(LevelCells::IsCellBlocked(level, 127, cy == 127 ? 126 : (cy == 0 ? 1 : cy))) << cy;
    }
    for (int32_t cx = 1; cx < 128; ++cx) {
        bool opening = cx >= 32 && cx < 48;
        EXPECT_EQ(LevelCells::IsCellBlocked(level, cx, 0), !opening) << cx;
        EXPECT_TRUE(LevelCells::IsCellBlocked(level, cx, 127)) << cx;
        EXPECT_TRUE(LevelCells::IsCellSightBlocked(level, cx, 127)) << cx;
    }
    // Drawn as it walks: an edge tile the wall runs along shows the area's wall, the open side
    // and the opening their own floor; the edge of an empty grid place (the left side's fifth)
    // stays void.
    level.data->blockGrid[4 * 8] = -1;
    for (int32_t t = 0; t < 64; ++t) {
        // Left, right, bottom, top: the tile, then its two cells on the level's edge.
        const int32_t edges[4][6] = {{0, t, 0, 2 * t, 0, 2 * t + 1},
                                     {63, t, 127, 2 * t, 127, 2 * t + 1},
                                     {t, 0, 2 * t, 0, 2 * t + 1, 0},
                                     {t, 63, 2 * t, 127, 2 * t + 1, 127}};
        for (const auto& e : edges) {
            if (e[0] == 0 && e[1] >= 32 && e[1] < 40) {
                EXPECT_FALSE(LevelQueries::GetTileTexture(level, e[0], e[1]).IsValid()) << e[1];
                continue;
            }
            bool walled = LevelCells::IsCellBlocked(level, e[2], e[3]) || LevelCells::IsCellBlocked(level, e[4], e[5]);
            const LevelTileCell* cell = LevelCells::GetTileCell(level, e[0], e[1]);
            ASSERT_TRUE(cell && !cell->textures.empty());
            EXPECT_EQ(manager->GetName(cell->textures[0]), walled ? "Textures/wall.sdr" : "Textures/floor.sdr")
                << e[0] << "," << e[1];
        }
    }
}

TEST_F(LevelCellBits, WallShadersAndFootprintsSetTheirCells)
{
    // A wall tile at (2, 6); a log at (3, 3) facing 0, one at (5, 3) facing 6; a post at (1, 1).
    Level& level = CellsLevel(CellsTestArea({"0 0 0 0 0 0 0 0", "0 0 1 0 0 0 0 0"},
                                        "3 4 0 0\n5 4 0 6\n1 6 1 0\n"));
    auto blocked = [&](int32_t cx, int32_t cy) { return LevelCells::IsCellBlocked(level, cx, cy); };
    auto sight = [&](int32_t cx, int32_t cy) { return LevelCells::IsCellSightBlocked(level, cx, cy); };
    for (int32_t cy = 12; cy < 14; ++cy)
        for (int32_t cx = 4; cx < 6; ++cx) {
            EXPECT_TRUE(blocked(cx, cy));
            EXPECT_TRUE(sight(cx, cy));
        }
    EXPECT_TRUE(blocked(6, 6));
    EXPECT_TRUE(blocked(7, 6));
    EXPECT_FALSE(blocked(6, 7));
    EXPECT_FALSE(sight(6, 6));
    // Facing 6 turns the 2 x 1 footprint to 1 x 2.
    EXPECT_TRUE(blocked(10, 6));
    EXPECT_TRUE(blocked(10, 7));
    EXPECT_FALSE(blocked(11, 6));
    for (int32_t cy = 2; cy < 4; ++cy)
        for (int32_t cx = 2; cx < 4; ++cx) {
            EXPECT_TRUE(blocked(cx, cy));
            EXPECT_TRUE(sight(cx, cy));
        }
    EXPECT_FALSE(blocked(8, 8));
}

TEST_F(LevelCellBits, BitsDoNotDependOnWhichBlockIsAskedFirst)
{
    // The shifted log on the last tile column of a block reaches into the next block.
    std::string text = CellsTestArea({"0 0 0 0 0 0 0 0"}, "7 0 3 0\n7 5 3 2\n0 7 0 0\n");
    Level& forward = CellsLevel(text, "Levels/a.ara");
    Level& backward = CellsLevel(text, "Levels/b.ara");
    std::vector<bool> first;
    std::vector<bool> second(128 * 128);
    for (int32_t cy = 0; cy < 128; ++cy)
        for (int32_t cx = 0; cx < 128; ++cx)
            first.push_back(LevelCells::IsCellBlocked(forward, cx, cy));
    for (int32_t cy = 127; cy >= 0; --cy)
        for (int32_t cx = 127; cx >= 0; --cx)
            second[static_cast<size_t>(cy * 128 + cx)] = LevelCells::IsCellBlocked(backward, cx, cy);
    EXPECT_EQ(first, second);
    // The shifted log's second cell lies in the next block.
    EXPECT_TRUE(first[static_cast<size_t>(14 * 128 + 16)]);
}

TEST_F(LevelCellBits, OccupantIndexFollowsCellsPerTile)
{
    struct Case {
        int grid;
        std::vector<std::pair<int32_t, int32_t>> occupied;
    };
    // A post (2 x 2 cells) on tile (5, 4): one tile with 2 or 3 cells a side, four with 1.
    for (const Case& c : {Case{64, {{5, 4}, {6, 4}, {5, 5}, {6, 5}}}, Case{32, {{5, 4}}}, Case{21, {{5, 4}}}}) {
        SetGridSize(c.grid);
        std::string file = "Levels/grid" + std::to_string(c.grid) + ".ara";
        Level& level = CellsLevel(CellsTestArea({}, "5 3 1 0\n"), file);
        for (int32_t ty = 3; ty < 7; ++ty)
            for (int32_t tx = 4; tx < 8; ++tx) {
                bool expected = std::find(c.occupied.begin(), c.occupied.end(), std::make_pair(tx, ty)) != c.occupied.end();
                EXPECT_EQ(LevelCells::GetTileOccupant(level, tx, ty), expected ? 1 : -1)
                    << "grid " << c.grid << " tile " << tx << "," << ty;
            }
        LevelGenerator::DropAllReferences(level);
    }
}

TEST_F(LevelCellBits, UnreachableBlocksAreBlockedWithoutBuilding)
{
    Level& level = CellsLevel(CellsTestArea({}, ""));
    level.data->visited[9] = false;
    EXPECT_TRUE(LevelCells::IsCellBlocked(level, 16 + 3, 16 + 3));
    EXPECT_FALSE(level.data->blockBuilt[9]);
    EXPECT_FALSE(LevelCells::IsCellBlocked(level, 3, 3 + 16));
    EXPECT_TRUE(level.data->blockBuilt[8]);
}

TEST_F(LevelCellBits, BuildingABlockSetsItsBitsOnlyForAMatchingPlace)
{
    Level& level = CellsLevel(CellsTestArea({}, ""));
    LevelData& data = *level.data;
    auto bit = [&data](int32_t cx, int32_t cy) { return static_cast<bool>(data.movementBits[static_cast<size_t>(cy * 128 + cx)]); };
    for (auto [index, bx, by] : {std::tuple{1, 0, 0}, {0, -1, 0}, {64, 8, 0}, {-8, 0, -1}, {INT_MAX, 7, 7}})
        LevelCells::BuildBlockCells(level, index, bx, by);
    EXPECT_EQ(std::count(data.blockBuilt.begin(), data.blockBuilt.end(), true), 0);
    EXPECT_FALSE(bit(0, 5));
    // The corner block: walled along the left and the bottom border, open inside.
    LevelCells::BuildBlockCells(level, 0, 0, 0);
    EXPECT_TRUE(data.blockBuilt[0]);
    EXPECT_EQ(std::count(data.blockBuilt.begin(), data.blockBuilt.end(), true), 1);
    EXPECT_TRUE(bit(0, 5));
    EXPECT_TRUE(bit(5, 0));
    EXPECT_FALSE(bit(5, 5));
    EXPECT_FALSE(bit(0, 16));  // the next block up is not built yet
}

TEST_F(LevelCellBits, QueriesOutsideTheLevelAnswerBlockedOrNothing)
{
    Level& level = CellsLevel(CellsTestArea({}, "5 3 1 0\n"));
    for (auto [x, y] : {std::pair{-1, 0}, {0, -1}, {128, 5}, {5, 128}, {INT_MAX, INT_MAX}, {INT_MIN, 3}}) {
        EXPECT_TRUE(LevelCells::IsCellBlocked(level, x, y));
        EXPECT_TRUE(LevelCells::IsCellSightBlocked(level, x, y));
        EXPECT_EQ(LevelCells::GetTileCell(level, x, y), nullptr);
        EXPECT_EQ(LevelCells::GetTileOccupant(level, x, y), -1);
        EXPECT_FALSE(LevelCells::GetGroundTexture(level, x, y).IsValid());
        EXPECT_FALSE(LevelQueries::GetTileTexture(level, x, y).IsValid());
        int32_t lx = 0;
        int32_t ly = 0;
        EXPECT_EQ(LevelQueries::TileToBlock(level, x, y, lx, ly), -1);
        EXPECT_FALSE(LevelQueries::IsBlockReachable(level, x, y));
    }
    EXPECT_EQ(LevelQueries::WorldToBlock(level, std::nanf(""), 5.0f), -1);
    EXPECT_EQ(LevelQueries::WorldToBlock(level, 1e30f, 5.0f), -1);
    EXPECT_EQ(LevelQueries::GetGridEntry(level, 64), -1);
    // Without data every cell is blocked.
    Level& bare = MakeLevel("Levels/cells.ara", 0, 1);
    EXPECT_TRUE(LevelCells::IsCellBlocked(bare, 5, 5));
}

TEST_F(LevelCellBits, ObjectInstancesAreDrawnOnce)
{
    Level& level = CellsLevel(CellsTestArea({}, "2 7 2 5\n4 7 0 3\n"));
    ResourceHandle model;
    TileObjectInstance first;
    LevelCells::GetTileObjectInstance(level, 2, 0, model, first);
    EXPECT_TRUE(first.initialised);
    EXPECT_GE(first.scale, 0.5f);
    EXPECT_LT(first.scale, 1.5f);
    uint32_t state = random.GetState(RandomStream::GameData);
    TileObjectInstance again;
    LevelCells::GetTileObjectInstance(level, 2, 0, model, again);
    EXPECT_EQ(again.facing, first.facing);
    EXPECT_FLOAT_EQ(again.scale, first.scale);
    EXPECT_EQ(random.GetState(RandomStream::GameData), state);
    // A plain model keeps the file's facing and scale 1.
    TileObjectInstance plain;
    LevelCells::GetTileObjectInstance(level, 4, 0, model, plain);
    EXPECT_EQ(plain.facing, 3);
    EXPECT_FLOAT_EQ(plain.scale, 1.0f);
    TileObjectInstance none;
    LevelCells::GetTileObjectInstance(level, 5, 5, model, none);
    EXPECT_FALSE(none.initialised);
    EXPECT_FALSE(model.IsValid());
}

// Every tile's (facing, scale), asked in the given order of tile indices with a draw of the
// shared stream before each ask; tiles without an object hold (-1, 0).
std::vector<std::pair<int32_t, float>> CellsInstancesInOrder(Level& level, const std::vector<int32_t>& order,
                                                             RandomSystem& shared)
{
    std::vector<std::pair<int32_t, float>> instances(order.size(), {-1, 0.0f});
    for (int32_t tile : order) {
        shared.Next(RandomStream::GameData);
        ResourceHandle model;
        TileObjectInstance instance;
        LevelCells::GetTileObjectInstance(level, tile % 64, tile / 64, model, instance);
        if (instance.initialised)
            instances[static_cast<size_t>(tile)] = {instance.facing, instance.scale};
    }
    return instances;
}

TEST_F(LevelCellBits, TileObjectInstancesAreAFunctionOfSeedAndTile)
{
    std::string rocks;
    for (int row = 0; row < 8; ++row)
        for (int x = 0; x < 8; ++x)
            rocks += std::to_string(x) + " " + std::to_string(row) + " 2 0\n";
    const std::string text = CellsTestArea({}, rocks);
    Level& level = CellsLevel(text);
    std::vector<int32_t> order(64 * 64);
    std::iota(order.begin(), order.end(), 0);
    const auto first = CellsInstancesInOrder(level, order, random);
    std::set<int32_t> facings;
    float lowest = 2.0f;
    float highest = 0.0f;
    for (auto [facing, scale] : first) {
        if (facing < 0)
            continue;
        facings.insert(facing);
        lowest = std::min(lowest, scale);
        highest = std::max(highest, scale);
    }
    // Every facing and the whole scale range turn up: the draws differ from tile to tile.
    EXPECT_EQ(facings, (std::set<int32_t>{0, 1, 2, 3, 4, 5, 6, 7}));
    EXPECT_GE(lowest, 0.5f);
    EXPECT_LT(lowest, 0.55f);
    EXPECT_LT(highest, 1.5f);
    EXPECT_GT(highest, 1.45f);

    // Let go and made again, with the shared stream somewhere else, asked backwards and then shuffled.
    std::vector<int32_t> backwards(order.rbegin(), order.rend());
    LevelGenerator::DropAllReferences(level);
    random.Seed(5);
    Hold(level);
    EXPECT_EQ(CellsInstancesInOrder(level, backwards, random), first);
    std::vector<int32_t> shuffled = order;
    std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(3));
    LevelGenerator::DropAllReferences(level);
    random.Seed(99);
    Hold(level);
    EXPECT_EQ(CellsInstancesInOrder(level, shuffled, random), first);

    // A second level of the same seed agrees; another seed gives other props.
    Level& twin = CellsLevel(text, "Levels/twin.ara");
    EXPECT_EQ(CellsInstancesInOrder(twin, shuffled, random), first);
    Level& other = MakeLevel("Levels/twin.ara", 0, 78);
    Hold(other);
    const auto different = CellsInstancesInOrder(other, order, random);
    int32_t same = 0;
    for (size_t i = 0; i < first.size(); ++i)
        same += first[i].first >= 0 && first[i] == different[i];
    EXPECT_LT(same, 64);
}

TEST_F(LevelCellBits, BlendWeightsOfTheFourCorners)
{
    // Bottom-left of the block, y upwards: moss moss floor / dirt floor floor / floor floor floor.
    std::vector<int32_t> blended;
    world.SetBlendedTextureHook([&](const std::vector<int32_t>& textures, ResourceHandle&) { blended = textures; });
    Level& level = CellsLevel(CellsTestArea({"0 0 0 0 0 0 0 0", "0 0 0 0 0 0 0 0", "0 0 0 0 0 0 0 0",
                                         "0 0 0 0 0 0 0 0", "0 0 0 0 0 0 0 0", "2 2 0 0 0 0 0 0",
                                         "3 0 0 0 0 0 0 0", "0 0 0 0 0 0 0 0"},
                                        ""));
    // Read beside the level's lower left corner: those sides open, so no border wall is drawn in.
    level.sideKinds[1] = level.sideKinds[3] = kLevelSideOpen;
    const LevelTileCell* cell = LevelCells::GetTileCell(level, 1, 1);
    ASSERT_NE(cell, nullptr);
    // The floor first, then the moss that ranks above it; the dirt ranks below and counts as floor.
    ASSERT_EQ(cell->textures.size(), 2u);
    EXPECT_EQ(manager->GetName(cell->textures[1]), "Textures/moss.sdr");
    EXPECT_EQ(blended, cell->textures);
    EXPECT_EQ(cell->corners[0], (std::vector<uint8_t>{255, 128}));  // up-left: 2 floor, 2 moss
    EXPECT_EQ(cell->corners[1], (std::vector<uint8_t>{255, 64}));   // up-right: 3 floor, 1 moss
    EXPECT_EQ(cell->corners[2], (std::vector<uint8_t>{255, 0}));
    EXPECT_EQ(cell->corners[3], (std::vector<uint8_t>{255, 0}));
    EXPECT_TRUE(cell->built);
}

TEST_F(LevelCellBits, TheVariantsOfOneGroundTakeNoPartInEachOthersTiles)
{
    // Bottom-left of the block, y upwards: floor floor floor / dirt moss floor / floor floor floor.
    Level& level = CellsLevel(CellsTestArea({"0 0 0 0 0 0 0 0", "0 0 0 0 0 0 0 0", "0 0 0 0 0 0 0 0",
                                         "0 0 0 0 0 0 0 0", "0 0 0 0 0 0 0 0", "0 0 0 0 0 0 0 0",
                                         "3 2 0 0 0 0 0 0", "0 0 0 0 0 0 0 0"},
                                        ""));
    level.sideKinds[1] = level.sideKinds[3] = kLevelSideOpen;
    const struct {
        int32_t x;
        std::vector<std::string> textures;
    } cases[] = {
        // The moss beside the dirt ranks above it but is of its ground; the floor is not.
        {0, {"Textures/dirt.sdr", "Textures/floor.sdr"}},
        {1, {"Textures/moss.sdr"}},
        {2, {"Textures/floor.sdr", "Textures/moss.sdr"}},
    };
    for (const auto& c : cases) {
        const LevelTileCell* cell = LevelCells::GetTileCell(level, c.x, 1);
        ASSERT_NE(cell, nullptr);
        std::vector<std::string> names;
        for (int32_t texture : cell->textures)
            names.push_back(manager->GetName(texture));
        EXPECT_EQ(names, c.textures) << "tile " << c.x;
        for (const std::vector<uint8_t>& weights : cell->corners)
            EXPECT_EQ(weights.size(), c.textures.size()) << "tile " << c.x;
    }
}

TEST_F(LevelCellBits, GroundTextureUnderWallsAndOccupants)
{
    Level& level = CellsLevel(CellsTestArea({}, "5 3 1 0\n"));
    level.area->defaultShader = LoadShader("Textures/dirt.tga", TextureUsage::TwoSidedVertexColor);
    level.area->defaultMapShader = LoadShader("Textures/moss.tga", TextureUsage::TwoSidedVertexColor);
    // The post occupies tile (5, 4) and uses the area's map shader.
    EXPECT_EQ(LevelCells::GetGroundTexture(level, 5, 4).GetValue(), level.area->defaultMapShader.GetValue());
    EXPECT_EQ(TextureName(LevelCells::GetGroundTexture(level, 2, 2)), "Textures/floor.sdr");
    level.data->visited[0] = false;
    LevelQueries::InvalidateCachedBlocks(level);
    EXPECT_EQ(LevelCells::GetGroundTexture(level, 5, 4).GetValue(), level.area->defaultShader.GetValue());
}

} // namespace
