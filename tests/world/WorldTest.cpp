// WorldTest -- reading an adventure: the same seeds give the same levels, sizes and fallbacks, secret and treasure levels, monster levels, par times.
#include "world/World.h"

#include "core/EnumTable.h"
#include "world/AreaDefinition.h"
#include "world/LayoutGrid.h"
#include "world/WorldDatabase.h"
#include "world/WorldSection.h"
#include "support/LogLines.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

const std::string kWorldTestAreas =
    "SizeStandard\n{\n Name Standard\n Width 9\n Height 6\n SectionLevelDepth 2\n SectionMinLevelsMult 1\n}\n"
    "SizeLarge\n{\n Name Large\n Width 13\n Height 8\n SectionLevelDepth 3\n}\n"
    "AreaMeadow\n{\n Type Area\n Name Meadow\n MinWidth 1\n MaxWidth 1\n SpawnGate 1\n UniqueMonstersAllowed 1\n}\n"
    "AreaWoods\n{\n Type Area\n Name Woods\n MinWidth 2\n MaxWidth 3\n DungeonChance 1\n}\n"
    "AreaKeep\n{\n Type Area\n Name Keep\n MinWidth 1\n MaxWidth 1\n AreaDown AreaCellar\n}\n"
    "AreaCellar\n{\n Type Area\n Name Cellar\n MinDepth 2\n MaxDepth 2\n}\n"
    "AreaCrypt\n{\n Type Area\n Name Crypt\n MinDepth 1\n MaxDepth 3\n}\n"
    "SecretGrotto\n{\n Type Area\n Name Grotto\n SpawnChance 1\n}\n"
    "SecretVault\n{\n Type Area\n Name Vault\n SpawnChance 3\n}\n"
    "SecretHoard\n{\n Type Area\n Name \"$$WenmarrsTreasure$$\"\n}\n"
    "SectionOne\n{\n StartArea AreaMeadow\n Area AreaWoods\n EndArea AreaKeep\n Dungeon AreaCrypt\n"
    " MonsterLevelsFromDepth 4\n MonsterLevelsFromWidth 0.5\n MinLevels 6\n}\n"
    "SectionTwo\n{\n Area AreaWoods\n MonsterLevelsFromDepth 6\n MonsterLevelsFromWidth 1\n}\n";

const std::string kWorldTestAdventure =
    "World\n{\n Type Adventure\n WorldSize SizeStandard\n WorldSize SizeLarge\n NumSecretLevels 3\n"
    " Secret SecretGrotto\n Secret SecretVault\n Secret Nowhere\n Secret SecretHoard\n"
    " Section SectionOne\n Section Missing\n Section SectionTwo\n"
    " GreatTimeInSeconds 600\n GreatTimeScoreMult 2\n GoodTimeInSeconds 1200\n GoodTimeScoreMult 1.5\n"
    " PlayerLives 3\n NumSecrets 4\n TextFile story.txt\n BeginningQuest QuestA\n BeginningQuest QuestB\n"
    " UnlockOnWin ClassX\n PlayerStatusEffect Blessed\n EpilogText \"$$Epilogue$$\"\n MusicName calm\n}\n";

// Every field the layout and the monster levels give a level, for comparing two reads.
struct LevelSnapshot {
    int32_t index, column, row, depth, monsterLevel;
    uint32_t seed;
    std::string area;
    std::vector<int32_t> neighbours;
    std::vector<int32_t> gateTargets;
    bool operator==(const LevelSnapshot&) const = default;
};

class WorldRead : public WorldDatabase {
protected:
    WorldRead() { LoadRecords(kWorldTestAreas + kWorldTestAdventure); }

    std::vector<LevelSnapshot> Snapshot() const
    {
        std::vector<LevelSnapshot> out;
        for (int32_t i = 0; i < world.GetLevelCount(); ++i) {
            const Level& level = *world.GetLevel(i);
            LevelSnapshot shot{level.index, level.column, level.row, level.depth, level.monsterLevel, level.seed,
                               level.area ? level.area->name : "", {}, {}};
            shot.neighbours.assign(level.neighbours.begin(), level.neighbours.end());
            for (const LevelGate& gate : level.gates)
                shot.gateTargets.push_back(gate.targetLevel);
            out.push_back(shot);
        }
        return out;
    }

    std::vector<LevelSnapshot> ReadWith(uint32_t layoutSeed, uint32_t secretSeed)
    {
        world.SetLayoutSeed(layoutSeed);
        world.SetSecretSeed(secretSeed);
        EXPECT_TRUE(world.ReadFromDatabase("World", 1));
        world.CreateSecretLevels();
        return Snapshot();
    }
};

TEST_F(WorldRead, SameSeedsGiveTheSameLevels)
{
    std::vector<LevelSnapshot> first = ReadWith(777, 4242);
    // Streams 1 and 3 are left elsewhere between the reads: only the seeds may matter.
    random.Seed(99);
    std::vector<LevelSnapshot> second = ReadWith(777, 4242);
    EXPECT_EQ(first, second);
    ASSERT_GT(first.size(), 6u);
    std::vector<LevelSnapshot> other = ReadWith(778, 4242);
    EXPECT_NE(first, other);
}

TEST_F(WorldRead, LayoutSeedIsDrawnFromStreamZeroWhenUnset)
{
    RandomSystem copy;
    copy.SetState(RandomStream::GameData, random.GetState(RandomStream::GameData));
    world.SetLayoutSeed(0);
    ASSERT_TRUE(world.ReadFromDatabase("World", 1));
    EXPECT_EQ(world.GetLayoutSeed(), copy.Next(RandomStream::GameData));
    EXPECT_NE(world.GetLayoutSeed(), 0u);
}

TEST_F(WorldRead, RulesAndStandardSize)
{
    ReadWith(5, 6);
    EXPECT_TRUE(world.IsActive());
    EXPECT_EQ(world.GetAdventureName(), "World");
    ASSERT_NE(world.GetSelectedSize(), nullptr);
    EXPECT_EQ(world.GetSelectedSize()->name, "Standard");
    EXPECT_EQ(world.GetSections().size(), 2u);
    EXPECT_EQ(world.GetPlayerLives(), 3);
    EXPECT_EQ(world.GetSecretCount(), 4);
    EXPECT_EQ(world.GetBeginningQuests(), (std::vector<std::string>{"QuestA", "QuestB"}));
    EXPECT_EQ(world.GetUnlocksOnWin(), (std::vector<std::string>{"ClassX"}));
    EXPECT_EQ(world.GetPlayerStatusEffect(0), "Blessed");
    EXPECT_EQ(world.GetPlayerStatusEffect(1), "");
    EXPECT_EQ(world.GetTextFile(), "story.txt");
    EXPECT_EQ(world.GetEpilogueText(), "$$Epilogue$$");
    EXPECT_EQ(world.GetMusicName(), "calm");
    EXPECT_EQ(world.GetLayoutGrid(), nullptr);
}

TEST_F(WorldRead, MonsterLevelsFollowColumnsSectionsAndGateChains)
{
    ReadWith(31, 32);
    const int32_t halfWidth = 9 / 2;
    int32_t gridLevels = 0;
    int32_t chainLevels = 0;
    for (int32_t i = 0; i < world.GetLevelCount(); ++i) {
        const Level& level = *world.GetLevel(i);
        if (!level.section)
            continue;  // the secret levels
        if (level.hasParent) {
            ++chainLevels;
            EXPECT_EQ(level.monsterLevel, level.parent->monsterLevel + 1) << i;
            continue;
        }
        ASSERT_GE(level.row, 0) << i;
        ++gridLevels;
        // Section one starts at the difficulty's level 5 and gains 4 over its 2 rows; section
        // two starts at 5 + 4 and gains 6.
        bool first = level.section == world.GetSections()[0].get();
        float perColumn = first ? 0.5f : 1.0f;
        int32_t base = first ? 5 : 9;
        float perRow = first ? 2.0f : 3.0f;
        float rows = static_cast<float>(level.row - level.section->firstRow);
        int32_t expected = static_cast<int32_t>(static_cast<float>(std::abs(level.column - halfWidth)) * perColumn +
                                                static_cast<float>(base) + rows * perRow);
        EXPECT_EQ(level.monsterLevel, expected) << i;
    }
    EXPECT_GE(gridLevels, 6);
    // The keep's two cellar levels and at least one crypt level below the woods.
    EXPECT_GE(chainLevels, 3);
    EXPECT_EQ(world.GetLowestMonsterLevel(), 5);
    EXPECT_GE(world.GetHighestMonsterLevel(), 9);
    EXPECT_EQ(world.GetSections()[1]->lowestMonsterLevel, 9);
}

TEST_F(WorldRead, SubLevelsHangBelowThroughPairedGates)
{
    ReadWith(11, 12);
    int32_t cellars = 0;
    for (int32_t i = 0; i < world.GetLevelCount(); ++i) {
        const Level& level = *world.GetLevel(i);
        if (!level.hasParent)
            continue;
        const Level& parent = *level.parent;
        EXPECT_EQ(level.depth, parent.depth + 1);
        ASSERT_FALSE(level.gates.empty());
        const LevelGate& up = level.gates.front();
        EXPECT_EQ(up.targetLevel, parent.index);
        EXPECT_FALSE(up.leadsDown);
        const LevelGate& down = parent.gates[static_cast<size_t>(up.partnerGate)];
        EXPECT_EQ(down.targetLevel, level.index);
        EXPECT_TRUE(down.leadsDown);
        EXPECT_EQ(up.position.level, level.index);
        if (level.area->name == "Cellar") {
            ++cellars;
            EXPECT_EQ(level.column, parent.column);
        }
    }
    // "MinDepth" 2 and "MaxDepth" 2 always give two, the second two deep.
    EXPECT_EQ(cellars, 2);
}

TEST_F(WorldRead, SecretLevelsByWeightThenTheTreasure)
{
    world.SetLayoutSeed(3);
    ASSERT_TRUE(world.ReadFromDatabase("World", 1));
    int32_t before = world.GetLevelCount();
    world.SetSecretSeed(555);
    world.CreateSecretLevels();

    RandomSystem script;
    script.SetState(RandomStream::Quest, 555);
    ASSERT_EQ(world.GetLevelCount(), before + 4);
    EXPECT_EQ(world.GetFirstSecretLevel(), before);
    for (int32_t i = 0; i < 3; ++i) {
        // Grotto weighs 1 and Vault 3; the treasure weighs nothing and an unknown name is skipped.
        float draw = script.RandomFloat(RandomStream::Quest);
        const Level& level = *world.GetLevel(before + i);
        EXPECT_EQ(level.area->name, draw * 4.0f < 1.0f ? "Grotto" : "Vault") << draw;
        EXPECT_EQ(level.seed, script.Next(RandomStream::Quest));
        EXPECT_EQ(level.column, -1);
        EXPECT_EQ(level.row, -1);
        EXPECT_EQ(level.monsterLevel, 1);
        EXPECT_EQ(level.section, nullptr);
    }
    EXPECT_EQ(world.GetTreasureLevel(), before + 3);
    const Level& treasure = *world.GetLevel(before + 3);
    EXPECT_EQ(treasure.area->name, "$$WenmarrsTreasure$$");
    EXPECT_EQ(treasure.seed, script.Next(RandomStream::Quest));
}

TEST_F(WorldDatabase, NoSecretCountStillLooksForTheTreasure)
{
    LoadRecords(kWorldTestAreas +
                "World\n{\n Type Adventure\n WorldSize SizeStandard\n Secret SecretHoard\n Secret SecretVault\n}\n"
                "Bare\n{\n Type Adventure\n WorldSize SizeStandard\n}\n");
    ASSERT_TRUE(world.ReadFromDatabase("World", 1));
    world.CreateSecretLevels();
    ASSERT_EQ(world.GetLevelCount(), 1);
    EXPECT_EQ(world.GetTreasureLevel(), 0);
    EXPECT_EQ(world.GetLevel(0)->area->name, "$$WenmarrsTreasure$$");
    // No level at all: the lowest monster level stays at its start.
    EXPECT_EQ(world.GetLowestMonsterLevel(), 100);

    ASSERT_TRUE(world.ReadFromDatabase("Bare", 1));
    world.CreateSecretLevels();
    EXPECT_EQ(world.GetLevelCount(), 0);
}

TEST_F(WorldDatabase, UnknownAdventureFallsBackToWorld)
{
    LoadRecords(kWorldTestAreas + kWorldTestAdventure);
    world.SetLayoutSeed(9);
    EXPECT_TRUE(world.ReadFromDatabase("NoSuchAdventure", 1));
    EXPECT_EQ(world.GetAdventureName(), "World");
}

TEST_F(WorldDatabase, MissingAdventureIsRefusedOrFatal)
{
    LoadRecords("Other\n{\n Type Adventure\n WorldSize SizeStandard\n}\n");
    EXPECT_FALSE(world.ReadFromDatabase("Elsewhere", 1));
    EXPECT_FALSE(world.IsActive());
    EXPECT_EQ(world.GetLevelCount(), 0);
    EXPECT_THROW(
        {
            try {
                world.ReadFromDatabase("Elsewhere", 1, true);
            } catch (const CriticalErrorThrown& error) {
                EXPECT_STREQ(error.what(), "Invalid Adventure!\n");
                throw;
            }
        },
        CriticalErrorThrown);
}

TEST_F(WorldDatabase, SizeSelection)
{
    LoadRecords(kWorldTestAreas +
                "World\n{\n Type Adventure\n WorldSize SizeLarge\n WorldSize SizeStandard\n Section SectionTwo\n}\n"
                "NoStandard\n{\n Type Adventure\n WorldSize SizeLarge\n}\n"
                "NoSizes\n{\n Type Adventure\n WorldSize Nowhere\n Section SectionTwo\n}\n");
    ASSERT_TRUE(world.ReadFromDatabase("World", 1));
    EXPECT_EQ(world.GetSelectedSize()->name, "Standard");

    // A size chosen before survives the reset and is selected by its record's name.
    world.SetSelectedSizeEntry(database.FindEntryByName("SizeLarge")->GetId());
    ASSERT_TRUE(world.ReadFromDatabase("World", 1));
    EXPECT_EQ(world.GetSelectedSize()->name, "Large");

    world.SetSelectedSizeEntry(-1);
    ASSERT_TRUE(world.ReadFromDatabase("NoStandard", 1));
    EXPECT_EQ(world.GetSelectedSize()->name, "Large");
    EXPECT_EQ(CountLinesHolding(debug, "Adventure NoStandard has no world size Standard; Large is used"), 1);

    EXPECT_FALSE(world.ReadFromDatabase("NoSizes", 1));
    EXPECT_EQ(world.GetLevelCount(), 0);
    EXPECT_EQ(CountLinesHolding(debug, "Adventure NoSizes has no world size: it can't be played"), 1);
}

TEST_F(WorldRead, LevelQueriesAndTheirDefaults)
{
    ReadWith(1, 2);
    const Level& first = *world.GetLevel(0);
    EXPECT_EQ(first.area->name, "Meadow");
    EXPECT_EQ(world.GetLevelName(0), "Meadow lvl " + std::to_string(first.monsterLevel));
    EXPECT_TRUE(world.AreUniqueMonstersAllowed(0));
    // The meadow spawns its gate in its one level.
    EXPECT_TRUE(first.hasGate);
    EXPECT_EQ(world.GetLevelGatePos(0).level, 0);
    for (int32_t bad : {-1, world.GetLevelCount(), 100000}) {
        EXPECT_EQ(world.GetLevelMonsterLevel(bad), 1);
        EXPECT_EQ(world.GetLevelName(bad), "");
        EXPECT_EQ(world.GetLevelGatePos(bad).level, -1);
        EXPECT_FALSE(world.IsLevelGenerated(bad));
        EXPECT_FALSE(world.AreUniqueMonstersAllowed(bad));
    }
}

class WorldMonsterChain : public WorldDatabase {
protected:
    Level* Add(int32_t monsterLevel)
    {
        auto level = std::make_unique<Level>();
        level->monsterLevel = monsterLevel;
        return world.AddLevel(std::move(level));
    }
    static void Link(Level* from, Level* to) { from->gates.push_back({WorldPos{}, to->index, 0, true}); }
};

TEST_F(WorldMonsterChain, ChainsGainOneLevelPerGateAndCyclesEnd)
{
    Level* top = Add(7);
    Level* a = Add(1);
    Level* b = Add(1);
    Level* c = Add(1);
    Link(top, a);
    Link(a, top);
    Link(a, b);
    Link(b, c);
    Link(c, a);  // back up the chain: a loop
    Link(c, b);
    world.PassMonsterLevelDownGates(0);
    EXPECT_EQ(top->monsterLevel, 7);
    EXPECT_EQ(a->monsterLevel, 8);
    EXPECT_EQ(b->monsterLevel, 9);
    EXPECT_EQ(c->monsterLevel, 10);
}

TEST_F(WorldRead, ParTimes)
{
    ReadWith(1, 1);
    EXPECT_FALSE(world.IsGreatTime({0, 0, 10, 0.0f}));  // exactly 600 s
    EXPECT_TRUE(world.IsGreatTime({0, 0, 9, 59.5f}));
    EXPECT_FLOAT_EQ(world.GetTimeScoreMult({0, 0, 9, 59.5f}), 2.0f);
    EXPECT_FLOAT_EQ(world.GetTimeScoreMult({0, 0, 10, 0.0f}), 1.5f);
    EXPECT_FLOAT_EQ(world.GetTimeScoreMult({0, 0, 20, 0.0f}), 1.0f);
    EXPECT_FLOAT_EQ(world.GetTimeScoreMult({1, 0, 0, 0.0f}), 1.0f);
}

TEST_F(WorldDatabase, ZeroParTimesAlwaysScoreOne)
{
    LoadRecords(kWorldTestAreas + "World\n{\n Type Adventure\n WorldSize SizeStandard\n GreatTimeScoreMult 3\n}\n");
    ASSERT_TRUE(world.ReadFromDatabase("World", 1));
    EXPECT_FLOAT_EQ(world.GetTimeScoreMult({0, 0, 0, 0.0f}), 1.0f);
}

TEST_F(WorldRead, TimeTextColoursEachParLine)
{
    ReadWith(1, 1);
    std::string text;
    world.BuildTimeText(text, {0, 0, 15, 0.0f});
    EXPECT_EQ(text, "$$CurrentTime~<15 $$Minutes$$@@>~$$\n\n"
                    "^c001$$GreatTime~<10 $$Minutes$$@@>~$$^c145\n"
                    "^c002$$GoodTime~<20 $$Minutes$$@@>~$$^c145");
}

TEST_F(WorldDatabase, ResetRefillsTheGeneratorNames)
{
    EnumTable::Register("RandomGenerator", 1, 0)->SetName(0, "Other");
    world.Reset();
    const EnumTable* table = EnumTable::Find("RandomGenerator");
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->GetCount(), 3);
    EXPECT_EQ(table->IndexOf("cave"), 1);
    EXPECT_EQ(table->IndexOf("Dungeon"), 2);
}

std::vector<std::string> gWorldCallbackLog;

TEST_F(WorldDatabase, LevelNotificationsReachTheirSidesUntilDestroyed)
{
    gWorldCallbackLog.clear();
    world.AddLevelCallback(WorldSide::Client, LevelEvent::Generated,
                           [](int32_t level) { gWorldCallbackLog.push_back("client " + std::to_string(level)); });
    world.AddLevelCallback(WorldSide::Server, LevelEvent::Generated,
                           [](int32_t level) { gWorldCallbackLog.push_back("server " + std::to_string(level)); });
    world.AddLevelCallback(WorldSide::Server, LevelEvent::Released,
                           [](int32_t level) { gWorldCallbackLog.push_back("server released " + std::to_string(level)); });
    world.AddLevelCallback(WorldSide::Client, LevelEvent::Released,
                           [](int32_t level) { gWorldCallbackLog.push_back("client released " + std::to_string(level)); });
    world.NotifyLevelGenerated(4, true);
    world.NotifyLevelGenerated(5, false);
    world.NotifyLevelReleased(6, true);
    world.NotifyLevelReleased(7, false);
    world.Destroy();
    world.NotifyLevelGenerated(8, true);
    EXPECT_EQ(gWorldCallbackLog, (std::vector<std::string>{"server 4", "client 4", "server 5", "client released 6",
                                                           "server released 7"}));
}

} // namespace

TEST_F(WorldDatabase, LayoutGridHoldsPlacedLevelsAndTheRowBounds)
{
    EXPECT_EQ(world.GetGridCell(0, 0), nullptr);
    WorldSize size;
    size.width = 5;
    size.height = 3;
    world.CreateLayoutGrid(size);
    Level* path = world.AddLevelToGrid(0, 2, std::make_unique<Level>(), true);
    Level* edge = world.AddLevelToGrid(0, 0, std::make_unique<Level>(), false);
    Level* right = world.AddLevelToGrid(1, 4, std::make_unique<Level>(), false);
    Level* outside = world.AddLevelToGrid(1, 5, std::make_unique<Level>(), false);
    EXPECT_EQ(world.GetLevelCount(), 4);
    EXPECT_EQ(outside->index, 3);

    struct Cell {
        int32_t column, row;
        Level* level;
    };
    for (const Cell& cell : {Cell{2, 0, path}, Cell{0, 0, edge}, Cell{4, 1, right}, Cell{1, 0, nullptr},
                             Cell{5, 1, nullptr}, Cell{-1, 0, nullptr}, Cell{0, 3, nullptr}, Cell{0, -1, nullptr}})
        EXPECT_EQ(world.GetGridCell(cell.column, cell.row), cell.level) << cell.column << "," << cell.row;

    const LayoutGrid& grid = *world.GetLayoutGrid();
    EXPECT_EQ(grid.GetRowCount(), 2);
    // Row 0 reaches the left edge (-2) and ends before column 3; row 1 reaches the right edge.
    EXPECT_EQ(grid.GetLeftBound(0), -2);
    EXPECT_EQ(grid.GetRightBound(0), 3);
    EXPECT_EQ(grid.GetLeftBound(1), 3);
    EXPECT_EQ(grid.GetRightBound(1), -2);
    EXPECT_EQ(grid.GetPathLeft(0), 2);
    EXPECT_EQ(grid.GetPathRight(0), 2);
    EXPECT_EQ(grid.GetPathLeft(1), -1);

    world.CreateLayoutGrid(size);
    const LayoutGrid& fresh = *world.GetLayoutGrid();
    EXPECT_EQ(fresh.GetRowCount(), 0);
    EXPECT_EQ(world.GetGridCell(2, 0), nullptr);
    for (int32_t row = 0; row < 3; ++row) {
        EXPECT_EQ(fresh.GetLeftBound(row), -1);
        EXPECT_EQ(fresh.GetRightBound(row), -1);
        EXPECT_EQ(fresh.GetPathLeft(row), -1);
        EXPECT_EQ(fresh.GetPathRight(row), -1);
    }
}
