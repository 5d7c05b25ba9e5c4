// GameSystemTuningTest -- the "GameSystem" reader: the missing record, derived geometry, refused sizes, tables, lists, the experience curve.
#include "core/EnumTable.h"
#include "rules/RulesWorld.h"

#include <gtest/gtest.h>

namespace {

using GameSystemRead = RulesWorld;

TEST_F(GameSystemRead, MissingRecordLogsOnceAndTheDefaultsStillMakeALevel)
{
    Load({{"rules.dbr", "CombatSystem { Type Info\n TileSize 10 }\n"}});
    gameData.Load(database);
    EXPECT_EQ(CountLogged("^c001GameSystem database entry not found!\n"), 1);
    EXPECT_EQ(CountErrors(), 1);
    // Another record's keys are not read.
    EXPECT_EQ(Tuning().tileSize, GameSystemTuning().tileSize);
    EXPECT_EQ(gameData.GetNameById("TileSize"), "");
    EXPECT_EQ(Tuning().cellsPerTile, 2);
    EXPECT_EQ(Tuning().cellsPerLevelX, 128);
    EXPECT_FLOAT_EQ(Tuning().levelWidth, 4096.0f);
}

TEST_F(GameSystemRead, DerivedGeometryFromSampleNumbers)
{
    LoadGameSystem("LevelTileWidth 40\n LevelTileHeight 24\n BlockTileWidth 8\n BlockTileHeight 6\n"
                   "TileSize 48\n GridSize 20 18\n GridOffset 3");
    const GameSystemTuning& t = Tuning();
    EXPECT_EQ(t.blocksPerRow, 5);
    EXPECT_EQ(t.blocksPerColumn, 4);
    EXPECT_EQ(t.cellsPerBlockX, 16);
    EXPECT_EQ(t.cellsPerLevelY, 48);
    EXPECT_FLOAT_EQ(t.levelWidth, 1920.0f);
    EXPECT_FLOAT_EQ(t.halfLevelHeight, 576.0f);
    EXPECT_FLOAT_EQ(t.blockHeight, 288.0f);
    // One number sets both halves of a pair.
    EXPECT_FLOAT_EQ(t.gridOffset.y, 3.0f);
    EXPECT_EQ(CountErrors(), 0);

    // Cells per tile is floor(TileSize / GridSize + 0.5).
    for (auto [lines, cells] : {std::pair{"TileSize 48\n GridSize 20 18", 2}, std::pair{"TileSize 64\n GridSize 43", 1},
                                std::pair{"TileSize 64\n GridSize 42.6", 2}}) {
        LoadGameSystem(lines);
        EXPECT_EQ(Tuning().cellsPerTile, cells) << lines;
    }
}

TEST_F(GameSystemRead, SizesThatWouldDivideByNothingAreRefused)
{
    LoadGameSystem("BlockTileWidth 0\n LevelTileHeight -3\n TileSize 0\n GridSize nonsense");
    const GameSystemTuning defaults;
    EXPECT_EQ(Tuning().blockTileWidth, defaults.blockTileWidth);
    EXPECT_EQ(Tuning().levelTileHeight, defaults.levelTileHeight);
    EXPECT_EQ(Tuning().tileSize, defaults.tileSize);
    EXPECT_EQ(Tuning().gridSize.x, defaults.gridSize.x);
    EXPECT_EQ(CountLogged("^c001GameSystem BlockTileWidth must be above 0; the default is used\n"), 1);
    EXPECT_EQ(CountErrors(), 5);

    LoadGameSystem("TileSize 10\n GridSize 25");
    EXPECT_EQ(Tuning().cellsPerTile, 1);
    EXPECT_EQ(CountLogged("^c001GameSystem GridSize 25 is above twice TileSize 10; one cell per tile is used\n"), 1);
}

TEST_F(GameSystemRead, SizesThatWouldAskForGigabytesPerLevelAreHeldToTheirBounds)
{
    LoadGameSystem("LevelTileWidth 2147483647\n LevelTileHeight 100000\n TileSize 1e30");
    const GameSystemTuning& t = Tuning();
    EXPECT_EQ(t.levelTileWidth, GameSystemTuning::kMaxLevelTiles);
    EXPECT_EQ(t.levelTileHeight, GameSystemTuning::kMaxLevelTiles);
    EXPECT_EQ(t.tileSize, GameSystemTuning::kMaxTileSize);
    EXPECT_EQ(CountLogged("^c005GameSystem TileSize 1e+30 is above 1024; 1024 is used\n"), 1);
    // The cells of a level, the product that sizes its tables, stays a small 32-bit number.
    EXPECT_LE(static_cast<int64_t>(t.cellsPerLevelX) * t.cellsPerLevelY, int64_t{4096} * 4096);
    EXPECT_GT(t.cellsPerLevelX, 0);

    LoadGameSystem("TileSize 1000\n GridSize 1");
    EXPECT_EQ(Tuning().cellsPerTile, GameSystemTuning::kMaxCellsPerTile);
    EXPECT_EQ(CountLogged("^c005GameSystem cells per tile (TileSize over GridSize) 1000 is above 16; 16 is used\n"), 1);
    // The bounds themselves are taken without a word.
    size_t before = Logged().size();
    LoadGameSystem("LevelTileWidth 256\n LevelTileHeight 256\n TileSize 1024\n GridSize 64");
    EXPECT_EQ(Tuning().levelTileWidth, 256);
    EXPECT_EQ(Tuning().tileSize, 1024.0f);
    EXPECT_EQ(Logged().size(), before);
}

TEST_F(GameSystemRead, TablesByNameListsAndColours)
{
    LoadGameSystem("ItemTypeColorRelic Ember\n ItemQualityColorRare 3\n MonsterRarityColorBoss Mauve\n"
                   "TreatyColorWar 149\n UseHintOffset \"1 -48\"\n UseHintOffset 7\n GameName \"Ember lode\"");
    const GameSystemTuning& t = Tuning();
    EXPECT_EQ(gameData.GetItemTypeColor(ItemType::Relic), ColorType::Ember);
    EXPECT_EQ(gameData.GetItemQualityColorCode(ItemRarity::Rare), "^c003");
    ASSERT_EQ(t.useHintOffsets.size(), 2u);
    EXPECT_FLOAT_EQ(t.useHintOffsets[1].y, 7.0f);
    EXPECT_EQ(gameData.GetNameById("gamename"), "Ember lode");

    // A colour that is no name, or an index outside the table, keeps the default and is logged.
    EXPECT_EQ(t.monsterRarityColor[MonsterRarity::Boss], 0);
    EXPECT_EQ(CountLogged("^c001Unknown ColorType name Mauve\n"), 1);
    EXPECT_EQ(t.treatyColor[CovenantTreaty::War], 0);
    EXPECT_EQ(CountLogged("^c001GameSystem TreatyColorWar: colour 149 is outside the colour table\n"), 1);
}

// Only the five status-effect worths were read once; the other names kept 0 whatever the record said.
TEST_F(GameSystemRead, EveryValueEachPointNameIsRead)
{
    const EnumTable* names = EnumTable::Find("ValueEachPoint");
    ASSERT_NE(names, nullptr);
    ASSERT_EQ(names->GetCount(), 32);
    std::string lines;
    for (int32_t i = 0; i < ValueEachPoint::kCount; ++i)
        lines += "ValueEachPoint" + names->GetName(i) + " " + std::to_string(i + 1) + ".5\n";
    LoadGameSystem(lines);
    for (int32_t i = 0; i < ValueEachPoint::kCount; ++i)
        EXPECT_FLOAT_EQ(gameData.GetValueEachPoint(i), static_cast<float>(i) + 1.5f) << names->GetName(i);
    EXPECT_FLOAT_EQ(gameData.GetValueEachPoint(ValueEachPoint::ArmorPiercing), 32.5f);
    EXPECT_EQ(CountErrors(), 0);
}

TEST_F(GameSystemRead, ExperienceCurveKeepsTheFactorOfTheLevelBelow)
{
    LoadGameSystem("MaxLevel 6\n BaseXpNeededEachLevel 100\n XpFactorLevel2 1.5\n XpFactorLevel5 2");
    // 100, 150, 225, 337.5, 675, 1350: a step is rounded up, the product is not.
    EXPECT_EQ(Tuning().xpNeeded, (std::vector<int32_t>{0, 100, 150, 225, 338, 675, 1350}));
    EXPECT_EQ(gameData.XpNeededForLevel(0), 100);
    EXPECT_EQ(gameData.XpNeededForLevel(7), 1350);

    LoadGameSystem("MaxLevel 5000\n BaseXpNeededEachLevel 1e9\n XpFactorLevel2 10");
    EXPECT_EQ(Tuning().maxLevel, kLevelLimit);
    EXPECT_EQ(gameData.XpNeededForLevel(kLevelLimit), INT32_MAX);
    EXPECT_EQ(CountLogged("^c001GameSystem MaxLevel 5000 is outside 1..1000\n"), 1);
}

TEST_F(GameSystemRead, BoundsCheckedTableReads)
{
    LoadGameSystem("Fonts small\n Fonts normal\n DeathScoreMult 0.5\n MaxBaseStrength 9");
    EXPECT_EQ(gameData.GetTextFontName(1), "normal");
    EXPECT_EQ(gameData.GetTextFontName(2), "small");
    EXPECT_EQ(gameData.GetTextFontName(-1), "small");
    EXPECT_EQ(gameData.GetDeathScoreMult(0), 0.5f);
    EXPECT_EQ(gameData.GetDeathScoreMult(1), 1.0f);
    EXPECT_EQ(gameData.GetDeathScoreMult(-1), 1.0f);
    EXPECT_EQ(CountErrors(), 0);
    EXPECT_EQ(gameData.GetAttributeCap(0), 9);
    EXPECT_EQ(gameData.GetAttributeCap(5), 0);
    EXPECT_EQ(gameData.GetItemQualityColorCode(8), "^c145");
    EXPECT_EQ(gameData.GetDifficultyTimeMult(-1), 1.0f);
    EXPECT_EQ(gameData.GetTradeRouteColor(6), 0);
    EXPECT_EQ(CountLogged("^c001GameData attribute cap index 5 outside 0..4\n"), 1);
    EXPECT_EQ(CountErrors(), 4);

    LoadGameSystem("GameName x");
    EXPECT_EQ(gameData.GetTextFontName(0), "");
}

} // namespace
