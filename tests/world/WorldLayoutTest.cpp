// WorldLayoutTest -- the layout over many seeds of the shipped adventure at both sizes and of synthetic ones: symmetric neighbours, one passage per pair of areas, reachability, bounded link chains, placements inside the grid, level 0's opening.
#include "world/WorldLayout.h"

#include "core/Database.h"
#include "rules/ShippedRulesWorld.h"
#include "support/LogLines.h"
#include "world/AreaDefinition.h"
#include "world/LayoutInvariants.h"
#include "world/WorldDatabase.h"
#include "world/WorldSection.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

namespace {

std::string LayoutTestJoin(const std::vector<std::string>& lines)
{
    std::string out;
    for (const std::string& line : lines)
        out += line + "\n";
    return out;
}

class ShippedLayout : public ShippedRulesWorld {
protected:
    ShippedLayout()
    {
        gRandomSystem = &random;
        gWorld = &world;
        world.Create();
    }
    ~ShippedLayout() override
    {
        world.Destroy();
        gWorld = nullptr;
        gRandomSystem = nullptr;
    }

    void CheckSeeds(const char* sizeEntry, const char* sizeName)
    {
        world.SetSelectedSizeEntry(database.FindEntryByName(sizeEntry)->GetId());
        for (uint32_t seed = 1; seed <= 60; ++seed) {
            world.SetLayoutSeed(seed * 7919u);
            world.SetSecretSeed(seed);
            ASSERT_TRUE(world.ReadFromDatabase("World", 0));
            world.CreateSecretLevels();
            const WorldSize& size = *world.GetSelectedSize();
            ASSERT_EQ(size.name, sizeName);
            EXPECT_EQ(LayoutTestJoin(LayoutInvariants::CheckAll(world, size.width, size.height)), "") << seed;
            CheckContent();
        }
        EXPECT_EQ(CountLinesHolding(game.debug, "^c005"), 0);
    }

    // The start area's first level opens the world, an end area and a dungeon hang below, and
    // the secret and treasure levels come after the laid-out ones.
    void CheckContent()
    {
        ASSERT_GT(world.GetLevelCount(), 0);
        const Level& first = *world.GetLevel(0);
        EXPECT_EQ(first.area, world.GetSections()[0]->startArea.get());
        std::set<std::string> areas;
        int32_t below = 0;
        for (int32_t i = 0; i < world.GetFirstSecretLevel(); ++i) {
            const Level& level = *world.GetLevel(i);
            areas.insert(level.area->name);
            below += level.hasParent ? 1 : 0;
        }
        EXPECT_TRUE(areas.count("$$AreaSunkenHall$$"));
        EXPECT_TRUE(areas.count("$$AreaDeepVault$$"));
        EXPECT_GE(below, 1);
        EXPECT_EQ(world.GetLevel(world.GetTreasureLevel())->area->name, "$$WenmarrsTreasure$$");
        // Between its start and end areas each section has a path area.
        for (const auto& section : world.GetSections()) {
            bool path = std::any_of(section->areas.begin(), section->areas.end(),
                                    [](const auto& area) { return area->used && area->pathArea && !area->levels.empty(); });
            EXPECT_TRUE(path);
        }
    }

    RandomSystem random{11};
    World world;
};

TEST_F(ShippedLayout, StandardSizeKeepsEveryRuleOverManySeeds)
{
    CheckSeeds("WorldSizeStandard", "Standard");
}

TEST_F(ShippedLayout, VastSizeKeepsEveryRuleOverManySeeds)
{
    CheckSeeds("WorldSizeVast", "Vast");
}

// Areas of every shape on a grid that leaves room to the sides.
const std::string kLayoutTestRecords =
    "SizeStandard\n{\n Name Standard\n Width 11\n Height 12\n SectionLevelDepth 4\n SectionMinLevelsMult 1.5\n}\n"
    "AreaGate\n{\n Type Area\n Name Gate\n MinWidth 1\n MaxWidth 2\n MinHeight 1\n MaxHeight 1\n SpawnGate 1\n}\n"
    "AreaWide\n{\n Type Area\n Name Wide\n MinWidth 2\n MaxWidth 3\n MinHeight 1\n MaxHeight 2\n DungeonChance 0.5\n}\n"
    "AreaTall\n{\n Type Area\n Name Tall\n MinWidth 1\n MaxWidth 1\n MinHeight 2\n MaxHeight 3\n}\n"
    "AreaSquare\n{\n Type Area\n Name Square\n MinWidth 2\n MaxWidth 2\n MinHeight 2\n MaxHeight 2\n}\n"
    "AreaSmall\n{\n Type Area\n Name Small\n MinWidth 1\n MaxWidth 1\n MinHeight 1\n MaxHeight 1\n DungeonChance 0.5\n}\n"
    "AreaEnd\n{\n Type Area\n Name End\n MinWidth 1\n MaxWidth 2\n MinHeight 1\n MaxHeight 1\n AreaDown AreaPit\n}\n"
    "AreaPit\n{\n Type Area\n Name Pit\n MinDepth 2\n MaxDepth 2\n}\n"
    "AreaCrypt\n{\n Type Area\n Name Crypt\n MinDepth 1\n MaxDepth 3\n}\n"
    "SectionA\n{\n StartArea AreaGate\n Area AreaWide\n Area AreaTall\n Area AreaSquare\n Area AreaSmall\n"
    " Area AreaSmall\n EndArea AreaEnd\n Dungeon AreaCrypt\n Dungeon AreaCrypt\n MinLevels 12\n}\n"
    "SectionB\n{\n StartArea AreaGate\n Area AreaSquare\n Area AreaWide\n Area AreaSmall\n Area AreaTall\n"
    " EndArea AreaEnd\n MinLevels 10\n NeedExtraStartArea 1\n Dungeon AreaCrypt\n}\n"
    "SectionEmpty\n{\n MinLevels 4\n}\n";

class SyntheticLayout : public WorldDatabase {
protected:
    void Read(const std::string& sections, uint32_t seed)
    {
        if (!loaded) {
            LoadRecords(kLayoutTestRecords + extraRecords + "World\n{\n Type Adventure\n WorldSize SizeStandard\n" +
                        sections + "}\n");
            loaded = true;
        }
        world.SetLayoutSeed(seed);
        ASSERT_TRUE(world.ReadFromDatabase("World", 0));
    }

    std::string extraRecords;
    bool loaded = false;
};

TEST_F(SyntheticLayout, ManySeedsKeepEveryRule)
{
    std::set<int32_t> passages;
    for (uint32_t seed = 1; seed <= 150; ++seed) {
        Read(" Section SectionA\n Section SectionB\n", seed);
        EXPECT_EQ(LayoutTestJoin(LayoutInvariants::CheckAll(world, 11, 12)), "") << seed;
        // The second section lies below the first.
        const auto& sections = world.GetSections();
        EXPECT_EQ(sections[1]->firstRow, sections[0]->lastRow + 1) << seed;
        for (int32_t i = 0; i < world.GetLevelCount(); ++i) {
            const Level& level = *world.GetLevel(i);
            for (int32_t side = 0; side < kLevelSideCount; ++side) {
                if (level.sideKinds[static_cast<size_t>(side)] == kLevelSidePassage && i != 0)
                    passages.insert(level.sideOpenings[static_cast<size_t>(side)]);
            }
        }
    }
    // Openings of levels other than level 0 are drawn over the inner blocks 1 to 6.
    EXPECT_EQ(passages, (std::set<int32_t>{1, 2, 3, 4, 5, 6}));
}

TEST_F(SyntheticLayout, AnEmptySectionPlacesNothingAndTheNextStartsOnItsRow)
{
    Read(" Section SectionEmpty\n Section SectionA\n", 5);
    const auto& sections = world.GetSections();
    EXPECT_EQ(sections[0]->levelCount, 0);
    EXPECT_EQ(sections[0]->firstRow, 0);
    EXPECT_EQ(sections[1]->firstRow, 0);
    EXPECT_EQ(world.GetLevel(0)->area, sections[1]->startArea.get());
}

TEST_F(SyntheticLayout, LinkCyclesEndAtTheDepthCapWithAWarning)
{
    extraRecords =
        "AreaLoopDown\n{\n Type Area\n Name LoopDown\n MinDepth 2\n MaxDepth 2\n AreaDown AreaLoopDown\n}\n"
        "AreaNorthOf\n{\n Type Area\n Name NorthOf\n AreaNorth AreaSouthOf\n AreaEast AreaNorthOf\n}\n"
        "AreaSouthOf\n{\n Type Area\n Name SouthOf\n AreaSouth AreaNorthOf\n AreaWest AreaSouthOf\n}\n"
        "SectionLoops\n{\n StartArea AreaLoopDown\n EndArea AreaNorthOf\n Area AreaSouthOf\n}\n";
    Read(" Section SectionLoops\n", 9);
    EXPECT_EQ(LayoutTestJoin(LayoutInvariants::CheckAll(world, 11, 12)), "");
    int32_t deepest = 0;
    for (int32_t i = 0; i < world.GetLevelCount(); ++i)
        deepest = std::max(deepest, world.GetLevel(i)->depth);
    EXPECT_EQ(deepest, WorldLayout::kMaxSubLevelDepth);
    EXPECT_LT(world.GetLevelCount(), 11 * 12 + WorldLayout::kMaxSubLevelDepth + 2);
    EXPECT_EQ(CountLinesHolding(debug, "not followed"), 1);
}

TEST_F(SyntheticLayout, AreasWiderOrTallerThanTheGridAreRefused)
{
    extraRecords =
        "SizeTiny\n{\n Name Tiny\n Width 3\n Height 2\n SectionLevelDepth 9\n SectionMinLevelsMult 4\n}\n"
        "AreaHuge\n{\n Type Area\n Name Huge\n MinWidth 7\n MaxWidth 40\n MinHeight 1\n MaxHeight 1\n}\n"
        "AreaDeep\n{\n Type Area\n Name Deep\n MinWidth 1\n MaxWidth 1\n MinHeight 5\n MaxHeight 9\n}\n"
        "AreaNegative\n{\n Type Area\n Name Negative\n MinWidth -4\n MaxWidth -9\n MinHeight -2\n MaxHeight -1\n}\n"
        "SectionHuge\n{\n StartArea AreaNegative\n Area AreaHuge\n Area AreaDeep\n Area AreaNegative\n"
        " Area AreaSmall\n Area AreaWide\n EndArea AreaHuge\n MinLevels 9\n}\n";
    for (uint32_t seed = 1; seed <= 40; ++seed) {
        world.SetSelectedSizeEntry(-1);
        Read(" WorldSize SizeTiny\n Section SectionHuge\n Section SectionHuge\n", seed);
        world.SetSelectedSizeEntry(database.FindEntryByName("SizeTiny")->GetId());
        ASSERT_TRUE(world.ReadFromDatabase("World", 0));
        ASSERT_EQ(world.GetSelectedSize()->name, "Tiny");
        EXPECT_EQ(LayoutTestJoin(LayoutInvariants::CheckPlacements(world, 3, 2)), "") << seed;
        EXPECT_EQ(LayoutTestJoin(LayoutInvariants::CheckNeighbours(world)), "") << seed;
        EXPECT_GE(world.GetLevelCount(), 1);
    }
}

TEST_F(SyntheticLayout, SameSeedSameLayoutOtherSeedOther)
{
    auto cells = [this] {
        std::vector<int32_t> out;
        for (int32_t i = 0; i < world.GetLevelCount(); ++i) {
            const Level& level = *world.GetLevel(i);
            out.insert(out.end(), {level.column, level.row, level.depth, level.sideKinds[0], level.sideKinds[2],
                                   level.sideOpenings[0], level.sideOpenings[2], static_cast<int32_t>(level.seed)});
        }
        return out;
    };
    Read(" Section SectionA\n Section SectionB\n", 77);
    std::vector<int32_t> first = cells();
    random.Seed(5);
    Read(" Section SectionA\n Section SectionB\n", 77);
    EXPECT_EQ(cells(), first);
    Read(" Section SectionA\n Section SectionB\n", 78);
    EXPECT_NE(cells(), first);
}

// Level 0's passages open at block 3 on wide sides and on an inner block on narrow ones.
class LayoutOpening : public WorldDatabase {
protected:
    int32_t OpeningOnGridOf(int32_t blocks)
    {
        Load({{"rules.dbr", "GameSystem\n{\n Type Info\n LevelTileWidth " + std::to_string(blocks * 8) +
                                "\n LevelTileHeight " + std::to_string(blocks * 8) +
                                "\n BlockTileWidth 8\n BlockTileHeight 8\n TileSize 64\n GridSize 32 32\n}\n"}});
        gameData.Load(database);
        world.Reset();
        AreaDefinition a;
        AreaDefinition b;
        Level* zero = AddAt(&a, 0, 0);
        Level* east = AddAt(&b, 1, 0);
        world.ConnectLevels(zero, east, LevelJoin::Passage);
        EXPECT_EQ(zero->sideOpenings[2], east->sideOpenings[1]);
        return zero->sideOpenings[2];
    }

    Level* AddAt(AreaDefinition* area, int32_t column, int32_t row)
    {
        auto level = std::make_unique<Level>();
        level->area = area;
        level->column = column;
        level->row = row;
        return world.AddLevel(std::move(level));
    }
};

TEST_F(LayoutOpening, LevelZeroOpensOnAnInnerBlockOfAnyGrid)
{
    EXPECT_EQ(OpeningOnGridOf(8), 3);
    EXPECT_EQ(OpeningOnGridOf(5), 3);
    EXPECT_EQ(OpeningOnGridOf(4), 2);
    EXPECT_EQ(OpeningOnGridOf(3), 1);
    EXPECT_EQ(OpeningOnGridOf(2), 1);
    EXPECT_EQ(OpeningOnGridOf(1), 0);
}

} // namespace
