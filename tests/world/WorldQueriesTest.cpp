// WorldQueriesTest -- cells and tiles across level edges, blocked cells near a point, the level and area queries with their defaults, and the names other parts use.
#include "world/World.h"

#include "core/Color.h"
#include "world/GridWorld.h"
#include "world/LevelData.h"
#include "world/LevelGenerator.h"
#include "world/LevelQueries.h"
#include "world/WorldSection.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <string>

namespace {

// 64 tiles of 64 units, cells of 32: 128 cells across a level.
constexpr int32_t kQueriesCells = 128;
constexpr float kQueriesCell = 32.0f;

class WorldCellsGrid : public GridWorld {
protected:
    WorldCellsGrid() { BuildGrid(3, 3); }

    WorldPos CellCentre(int32_t level, int32_t cx, int32_t cy) const
    {
        return WorldPos{level, static_cast<float>(cx) * kQueriesCell, static_cast<float>(cy) * kQueriesCell, true};
    }
};

TEST_F(WorldCellsGrid, WholeCoordinatesCarryOneStepIntoTheNeighbour)
{
    int32_t x = -1;
    int32_t y = 64;
    EXPECT_EQ(world.WrapTileToLevel(At(1, 1), x, y), At(0, 2));
    EXPECT_EQ(x, 63);
    EXPECT_EQ(y, 0);
    x = 5;
    y = 6;
    EXPECT_EQ(world.WrapTileToLevel(At(1, 1), x, y), At(1, 1));
    EXPECT_EQ(x, 5);
    x = kQueriesCells;
    y = -1;
    EXPECT_EQ(world.WrapCellToLevel(At(1, 1), x, y), At(2, 0));
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, kQueriesCells - 1);
    // Off the grid's edge there is no neighbour; outside the list no level at all.
    x = -1;
    y = 0;
    EXPECT_EQ(world.WrapCellToLevel(At(0, 0), x, y), -1);
    for (int32_t bad : {-1, world.GetLevelCount(), INT_MAX}) {
        x = 3;
        y = 3;
        EXPECT_EQ(world.WrapCellToLevel(bad, x, y), -1);
        EXPECT_EQ(world.WrapTileToLevel(bad, x, y), -1);
    }
}

TEST_F(WorldCellsGrid, CellQuestionsFollowThePositionAcrossTheEdge)
{
    Carve(At(1, 1));
    Carve(At(2, 1));
    SetBlocked(At(2, 1), 0, 10);
    // A point just past the east edge of (1, 1) asks the cell of (2, 1).
    WorldPos past{At(1, 1), 128.0f * kQueriesCell + 1.0f, 10.0f * kQueriesCell, true};
    EXPECT_TRUE(world.IsCellBlocked(past));
    EXPECT_FALSE(world.IsCellBlocked(CellCentre(At(1, 1), 127, 10)));
    // A level not generated, a level off the grid and a non-finite point are blocked.
    EXPECT_TRUE(world.IsCellBlocked(CellCentre(At(0, 0), 5, 5)));
    EXPECT_TRUE(world.IsCellBlocked(CellCentre(-1, 5, 5)));
    EXPECT_TRUE(world.IsCellBlocked(WorldPos{At(1, 1), NAN, 0.0f, true}));
    EXPECT_TRUE(world.IsCellSightBlocked(WorldPos{At(1, 1), 1e30f, 0.0f, true}));
    EXPECT_FALSE(world.IsCellSightBlocked(CellCentre(At(1, 1), 3, 3)));
}

TEST_F(WorldCellsGrid, BlockedNearProbesRingsUpToTheRadius)
{
    Carve(At(1, 1));
    WorldPos centre = CellCentre(At(1, 1), 60, 60);
    SetBlocked(At(1, 1), 61, 60);
    // Below one cell width only the own cell is asked.
    EXPECT_FALSE(world.IsBlockedNear(centre, kQueriesCell - 1.0f));
    EXPECT_TRUE(world.IsBlockedNear(centre, kQueriesCell));
    SetBlocked(At(1, 1), 61, 60, false);
    // A corner of ring 1 counts only once the radius reaches it.
    SetBlocked(At(1, 1), 61, 61);
    EXPECT_FALSE(world.IsBlockedNear(centre, kQueriesCell * 1.4f));
    EXPECT_TRUE(world.IsBlockedNear(centre, kQueriesCell * 1.415f));
    SetBlocked(At(1, 1), 61, 61, false);
    // A huge radius is capped at 8 tiles (16 cells): a wall 20 cells away is not found, one
    // 15 cells away is.
    SetBlocked(At(1, 1), 80, 60);
    EXPECT_FALSE(world.IsBlockedNear(centre, 1e30f));
    EXPECT_FALSE(world.IsBlockedNear(centre, INFINITY));
    SetBlocked(At(1, 1), 75, 60);
    EXPECT_TRUE(world.IsBlockedNear(centre, 1e30f));
    EXPECT_FALSE(world.IsBlockedNear(centre, -5.0f));
    EXPECT_FALSE(world.IsBlockedNear(centre, NAN));
}

TEST_F(WorldCellsGrid, GateAndBlockNamesOfTheGenerator)
{
    auto cellar = std::make_unique<Level>();
    Level* added = world.AddSubLevel(world.GetLevel(At(1, 1)), std::move(cellar));
    WorldPos gate = LevelGenerator::FindGate(At(1, 1), 0);
    EXPECT_EQ(gate.level, At(1, 1));
    EXPECT_EQ(LevelGenerator::FindGate(added->index, 0).level, added->index);
    for (int32_t bad : {-1, 1, INT_MAX}) {
        EXPECT_EQ(LevelGenerator::FindGate(At(1, 1), bad).level, -1) << bad;
        EXPECT_EQ(LevelGenerator::FindGate(bad == 1 ? -1 : bad, 0).level, -1) << bad;
    }
    EXPECT_EQ(LevelGenerator::GetAreaIndex(CellCentre(At(0, 0), 1, 1)), 0);
    LevelData& data = Carve(At(0, 0));
    data.blockGrid[9] = 4;  // block (1, 1): 512 units a side
    EXPECT_EQ(LevelGenerator::GetAreaIndex(WorldPos{At(0, 0), 600.0f, 700.0f, true}), 4);
    EXPECT_EQ(LevelGenerator::GetAreaIndex(WorldPos{At(0, 0), 100.0f, 100.0f, true}), 0);
    EXPECT_EQ(LevelGenerator::GetAreaIndex(WorldPos{At(0, 0), -5.0f, 100.0f, true}), 0);
    EXPECT_EQ(LevelGenerator::GetAreaIndex(WorldPos{INT_MAX, 5.0f, 100.0f, true}), 0);
}

TEST_F(WorldCellsGrid, EveryQueryHasItsDefaultOutsideTheList)
{
    for (int32_t bad : {-1, world.GetLevelCount(), INT_MAX, INT_MIN}) {
        int32_t monsterLevel = 0;
        EXPECT_EQ(world.PickLevelMonster(bad, monsterLevel), nullptr);
        EXPECT_EQ(monsterLevel, 1);
        EXPECT_FALSE(world.GetTile(bad, 1, 1).IsValid());
        EXPECT_FALSE(world.GetGroundTexture(bad, 1, 1).IsValid());
        EXPECT_FALSE(world.GetBlockAt(bad, 1, 1).IsValid());
        ResourceHandle model;
        TileObjectInstance instance;
        world.GetTileObjectInstance(bad, 1, 1, model, instance);
        EXPECT_FALSE(model.IsValid());
        EXPECT_EQ(world.GetTileDrawData(bad, 1, 1, model, instance), nullptr);
        EXPECT_FALSE(world.IsLevelBelowAnother(bad));
        EXPECT_EQ(world.GetTopLevel(bad), nullptr);
        EXPECT_EQ(world.GetRootLevel(bad), nullptr);
        EXPECT_EQ(world.GetLevelRandomPoint(bad).level, -1);
        EXPECT_EQ(world.GetLevelSoundFileName(bad), "");
        EXPECT_EQ(world.GetLevelTreasureChestName(bad), "");
        EXPECT_EQ(world.GetLevelTextFile(bad), "");
        EXPECT_EQ(world.GetGateObjectName(bad, 0, true), "");
        EXPECT_EQ(world.GetGateObjectName(bad, 1, true), "ObjectGate");
        EXPECT_FALSE(world.AreUniqueMonstersAllowed(bad));
        EXPECT_FALSE(world.CanLevelBePurged(bad));
        EXPECT_FALSE(world.AreTrapsAllowed(bad));
        EXPECT_FALSE(world.GetLevelMapShader(bad).IsValid());
        EXPECT_EQ(world.GetLevelMusicName(bad), world.GetMusicName());
        EXPECT_EQ(world.GetPlayerStatusEffect(bad), "");
        EXPECT_EQ(world.RollBlockMonsters(bad, 0, true), 0);
        EXPECT_EQ(world.RollBlockChests(bad, 0, true), 0);
        EXPECT_FALSE(world.IsBlockInBounds(bad, 0, 0));
        EXPECT_TRUE(world.IsBlockEmpty(bad, 0, 0));
        EXPECT_FALSE(world.IsBlockReachable(bad, 0, 0));
        world.AddLevelMonsterCandidate(bad, nullptr, 1.0f, 2);
        world.AddLevelMonsterType(bad, nullptr);
        Vector2 start{7.0f, 8.0f};
        EXPECT_FALSE(world.GetLevelStartPosition(bad, "x", start));
        EXPECT_EQ(start.x, 7.0f);
        EXPECT_EQ(world.RollLevelTrapsPerBlock(bad), 0);
        EXPECT_EQ(world.GetDownwardGateTarget(bad), -1);
        EXPECT_FALSE(world.IsMonsterTypeListed(bad, nullptr));
        Color sun{1.0f, 1.0f, 1.0f};
        world.GetSunColour(bad, sun, 0.5f);
        EXPECT_EQ(sun.r + sun.g + sun.b, 0.0f);
        EXPECT_FALSE(world.IsLevelValid(bad));
        EXPECT_FALSE(world.IsLevelGenerated(bad));
        EXPECT_EQ(world.GetLevelMonsterLevel(bad), 1);
        world.FillLevelCells(bad);
    }
    EXPECT_EQ(world.FindLevelOfArea(nullptr), nullptr);
}

TEST_F(WorldCellsGrid, GatesAreCountedAndReadByIndex)
{
    Level& top = *world.GetLevel(At(1, 1));
    EXPECT_EQ(LevelQueries::GetGateCount(top), 0);
    Level* cellar = world.AddSubLevel(&top, std::make_unique<Level>());
    ASSERT_EQ(LevelQueries::GetGateCount(top), 1);
    ASSERT_EQ(LevelQueries::GetGateCount(*cellar), 1);
    LevelGate down = LevelQueries::GetGate(top, 0);
    LevelGate up = LevelQueries::GetGate(*cellar, 0);
    EXPECT_EQ(down.targetLevel, cellar->index);
    EXPECT_TRUE(down.leadsDown);
    EXPECT_EQ(down.partnerGate, 0);
    EXPECT_EQ(up.targetLevel, top.index);
    EXPECT_FALSE(up.leadsDown);
    auto same = [](const WorldPos& a, const WorldPos& b) { return a.level == b.level && a.x == b.x && a.y == b.y; };
    EXPECT_TRUE(same(down.position, top.gates[0].position));
    EXPECT_TRUE(same(up.position, cellar->gates[0].position));
    EXPECT_TRUE(same(LevelGenerator::FindGate(cellar->index, 0), up.position));
    for (int32_t bad : {-1, 1, INT_MAX, INT_MIN}) {
        LevelGate none = LevelQueries::GetGate(top, bad);
        EXPECT_EQ(none.position.level, -1) << bad;
        EXPECT_EQ(none.targetLevel, -1) << bad;
    }
}

TEST_F(WorldCellsGrid, AreaQueriesAnswerForTheLevelsArea)
{
    area->soundFileName = "Sounds/wind";
    area->treasureMapChestName = "MapChest";
    area->textFile = "field.txt";
    area->upGateName = "Up";
    area->downGateName = "Down";
    area->trapsAllowed = true;
    area->musicName = "Music/field";
    area->daySunColor = Color{1.0f, 0.5f, 0.0f};
    area->nightSunColor = Color{0.0f, 0.5f, 1.0f};
    EXPECT_EQ(world.GetLevelSoundFileName(2), "Sounds/wind");
    EXPECT_EQ(world.GetLevelTreasureChestName(2), "MapChest");
    EXPECT_EQ(world.GetLevelTextFile(2), "field.txt");
    EXPECT_EQ(world.GetGateObjectName(2, 0, false), "Up");
    EXPECT_EQ(world.GetGateObjectName(2, 3, true), "Down");
    EXPECT_EQ(world.GetGateObjectName(2, 1, false), "ObjectGate");
    EXPECT_TRUE(world.AreTrapsAllowed(2));
    EXPECT_EQ(world.GetLevelMusicName(2), "Music/field");
    area->musicName.clear();
    EXPECT_EQ(world.GetLevelMusicName(2), world.GetMusicName());
    Color sun;
    world.GetSunColour(2, sun, 0.25f);
    EXPECT_FLOAT_EQ(sun.r, 0.75f);
    EXPECT_FLOAT_EQ(sun.b, 0.25f);
    EXPECT_TRUE(world.IsLevelValid(2));
    area->name.clear();
    EXPECT_FALSE(world.IsLevelValid(2));
}

TEST_F(WorldCellsGrid, FillLevelCellsDropsTheDrawingRecords)
{
    LevelData& data = Carve(At(1, 1));
    data.tileCells.resize(static_cast<size_t>(data.geometry.TileCount()));
    world.FillLevelCells(At(1, 1));
    EXPECT_TRUE(data.tileCells.empty());
    // A level without data has nothing to drop.
    world.FillLevelCells(At(0, 0));
    EXPECT_EQ(world.GetLevel(At(0, 0))->data, nullptr);
}

TEST_F(WorldCellsGrid, TopLevelFollowsTheParents)
{
    Level* first = world.AddSubLevel(world.GetLevel(4), std::make_unique<Level>());
    Level* second = world.AddSubLevel(first, std::make_unique<Level>());
    EXPECT_EQ(world.GetTopLevel(second->index), world.GetLevel(4));
    EXPECT_EQ(world.GetRootLevel(first->index), world.GetLevel(4));
    EXPECT_EQ(world.GetTopLevel(4), world.GetLevel(4));
    EXPECT_TRUE(world.IsLevelBelowAnother(second->index));
    EXPECT_EQ(world.GetDownwardGateTarget(first->index), second->index);
}

TEST_F(WorldCellsGrid, TargetLevelPrefersExactMonsterLevels)
{
    area->monsterChancePerBlock = 0.5f;
    area->minMonsterLevelOffset = -1;
    area->maxMonsterLevelOffset = 2;
    for (int32_t i = 0; i < world.GetLevelCount(); ++i)
        world.GetLevel(i)->monsterLevel = i + 1;  // levels 0..8 have monster levels 1..9
    EXPECT_EQ(world.PickTargetLevel(4, 0.0f, false), world.GetLevel(3));
    EXPECT_EQ(world.PickQuestLevel(4, 0.99f, false), world.GetLevel(3));
    // No level of 20: ranges [max(1, m - 1), m + 2] of 9 reach 11 at most.
    EXPECT_EQ(world.PickTargetLevel(20, 0.5f, false), nullptr);
    // 10 is only in range: levels with monster level 8 and 9 (indices 7, 8).
    EXPECT_EQ(world.PickTargetLevel(10, 0.0f, false), world.GetLevel(7));
    EXPECT_EQ(world.PickTargetLevel(10, 0.6f, false), world.GetLevel(8));
    EXPECT_EQ(world.PickTargetLevel(10, 1.0f, false), world.GetLevel(8));
    EXPECT_EQ(world.PickTargetLevel(10, NAN, false), world.GetLevel(7));
    // Below-ground levels are skipped with the surface flag.
    Level* cellar = world.AddSubLevel(world.GetLevel(0), std::make_unique<Level>());
    cellar->area = area.get();
    cellar->monsterLevel = 30;
    EXPECT_EQ(world.PickTargetLevel(30, 0.0f, false), cellar);
    EXPECT_EQ(world.PickTargetLevel(30, 0.0f, true), nullptr);
    area->monsterChancePerBlock = 0.0f;
    EXPECT_EQ(world.PickTargetLevel(4, 0.0f, false), nullptr);
}

// A quest's pick may leave out the detached levels from a bound on (those no way leads into):
// never a level on the grid or one hanging below another, whatever its index.
TEST_F(WorldCellsGrid, TargetLevelLeavesOutOnlyDetachedLevelsPastTheBound)
{
    area->monsterChancePerBlock = 0.5f;
    for (int32_t i = 0; i < world.GetLevelCount(); ++i)
        world.GetLevel(i)->monsterLevel = 1;
    WorldSection section;
    for (int32_t i = 0; i < world.GetLevelCount(); ++i)
        world.GetLevel(i)->section = &section;
    Level* cellar = world.AddSubLevel(world.GetLevel(0), std::make_unique<Level>());
    cellar->area = area.get();
    cellar->monsterLevel = 7;
    auto detached = std::make_unique<Level>();
    detached->area = area.get();
    detached->monsterLevel = 7;
    Level* secret = world.AddLevel(std::move(detached));
    EXPECT_EQ(world.PickTargetLevel(7, 0.99f, false), secret);
    EXPECT_EQ(world.PickTargetLevel(7, 0.99f, false, secret->index), cellar) << "the shut one is left out";
    EXPECT_EQ(world.PickTargetLevel(7, 0.0f, false, 0), cellar) << "a bound below the grid shuts no grid level";
    EXPECT_EQ(world.PickTargetLevel(1, 0.0f, false, 0), world.GetLevel(0));
    EXPECT_EQ(world.PickTargetLevel(7, 0.99f, false, secret->index + 1), secret);
}

const std::string kQueriesAdventure =
    "SizeStandard\n{\n Name Standard\n Width 5\n Height 4\n SectionLevelDepth 2\n SectionMinLevelsMult 1\n}\n"
    "AreaMeadow\n{\n Type Area\n Name Meadow\n StartPosition 120 340\n}\n"
    "SectionOne\n{\n StartArea AreaMeadow\n}\n"
    "SecretGrotto\n{\n Type Area\n Name Grotto\n SpawnChance 1\n}\n"
    "SecretHoard\n{\n Type Area\n Name \"$$WenmarrsTreasure$$\"\n}\n"
    "World\n{\n Type Adventure\n WorldSize SizeStandard\n Section SectionOne\n NumSecretLevels 2\n"
    " Secret SecretGrotto\n Secret SecretHoard\n PlayerStatusEffect Blessed\n PlayerStatusEffect Swift\n}\n";

class WorldQueriesAdventure : public WorldDatabase {
protected:
    WorldQueriesAdventure() { LoadRecords(kQueriesAdventure); }
};

TEST_F(WorldQueriesAdventure, SecretLevelsAreRebuiltNotAppended)
{
    world.SetLayoutSeed(3);
    world.SetSecretSeed(4);
    ASSERT_TRUE(world.ReadFromDatabase("World", 0));
    int32_t laidOut = world.GetLevelCount();
    world.CreateSecretLevels();
    ASSERT_EQ(world.GetLevelCount(), laidOut + 3);
    uint32_t firstSeed = world.GetLevel(laidOut)->seed;
    world.CreateAnchor(5, world.GetTreasureLevel());
    world.SetSecretSeed(99);
    world.MakeTreasureQuestText();
    EXPECT_EQ(world.GetLevelCount(), laidOut + 3);
    EXPECT_EQ(world.GetFirstSecretLevel(), laidOut);
    EXPECT_NE(world.GetLevel(laidOut)->seed, firstSeed);
    // The anchor on a dropped level let it go.
    EXPECT_EQ(world.FindAnchor(5)->anchoredLevel, -1);
    const AreaDefinition* grotto = world.GetLevel(laidOut)->area;
    EXPECT_LE(grotto->levels.size(), 2u);
    EXPECT_EQ(world.GetPlayerStatusEffect(0), "Blessed");
    EXPECT_EQ(world.GetPlayerStatusEffect(1), "Swift");
    EXPECT_EQ(world.GetPlayerStatusEffect(2), "");
    EXPECT_EQ(world.FindLevelOfArea(grotto->record), world.GetLevel(laidOut));
}

TEST_F(WorldQueriesAdventure, AddLevelLinkMakesOrMovesTheOwnersAnchor)
{
    world.SetLayoutSeed(3);
    ASSERT_TRUE(world.ReadFromDatabase("World", 0));
    world.AddLevelLink(0, -1);
    ASSERT_NE(world.FindAnchor(-1), nullptr);
    EXPECT_EQ(world.FindAnchor(-1)->anchoredLevel, 0);
    EXPECT_TRUE(world.GetLevel(0)->data != nullptr);
    world.AddLevelLink(-1, -1);
    EXPECT_EQ(world.FindAnchor(-1)->anchoredLevel, -1);
    EXPECT_EQ(world.GetLevel(0)->data, nullptr);
}

TEST_F(WorldQueriesAdventure, TheGameDataLearnsTheWorldsStartOnceTheWorldIsLaidOut)
{
    gameData.SetStartPosition({2, 1.0f, 1.0f, true});  // a former world's
    world.SetLayoutSeed(3);
    ASSERT_TRUE(world.ReadFromDatabase("World", 0));
    GameData::StartPosition start;
    gameData.GetStartPosition(start);
    EXPECT_TRUE(start.valid);
    EXPECT_EQ(start.level, 0);
    EXPECT_FLOAT_EQ(start.x, 120.0f);
    EXPECT_FLOAT_EQ(start.y, 340.0f);
    Vector2 first;
    ASSERT_TRUE(world.GetLevelStartPosition(0, "", first));
    EXPECT_FLOAT_EQ(first.x, start.x);
}

} // namespace
