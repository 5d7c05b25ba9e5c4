// SpawnTablesTest -- the weighted level tables: clamps, totals, picks and their spread, and how the spawn system fills them.
#include "SpawnWorld.h"

#include "core/CommandSystem.h"
#include "core/RandomSystem.h"
#include "support/LogLines.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <set>

namespace {

const DatabaseEntry* TableEntry(int n)
{
    // Distinct addresses stand for records; the table never reads them.
    static DatabaseEntry entries[8];
    return &entries[n];
}

std::vector<std::string> TableNames(const SpawnTable& table)
{
    std::vector<std::string> names;
    for (const SpawnEntry& entry : table.GetEntries())
        names.emplace_back(entry.definition->GetName());
    return names;
}

} // namespace

TEST(SpawnTableClamps, LevelsZeroToTwoHundredAreStoredAsOneTo105)
{
    SpawnTable table;
    table.Add(TableEntry(0), 2.0f, 0, 200);
    const SpawnEntry& entry = table.GetEntries().front();
    EXPECT_EQ(entry.minLevel, 1);
    EXPECT_EQ(entry.maxLevel, 105);
    EXPECT_FLOAT_EQ(table.GetTotal(1), 2.0f);
    EXPECT_FLOAT_EQ(table.GetTotal(105), 2.0f);
    // Asked levels outside 1..105 are clamped before the look-up.
    EXPECT_EQ(table.Pick(0, 0.5f), &entry);
    EXPECT_EQ(table.Pick(-7, 0.5f), &entry);
    EXPECT_EQ(table.Pick(4000, 0.99f), &entry);
}

TEST(SpawnTableClamps, MinimumAboveMaximumIsStoredAsTheMaximum)
{
    SpawnTable table;
    table.Add(TableEntry(0), 1.0f, 30, 12);
    table.Add(TableEntry(1), 1.0f, 5, -3);
    EXPECT_EQ(table.GetEntries()[0].minLevel, 12);
    EXPECT_EQ(table.GetEntries()[0].maxLevel, 12);
    EXPECT_EQ(table.GetEntries()[1].minLevel, 1);
    EXPECT_EQ(table.GetEntries()[1].maxLevel, 1);
    EXPECT_FLOAT_EQ(table.GetTotal(12), 1.0f);
    EXPECT_FLOAT_EQ(table.GetTotal(13), 0.0f);
    EXPECT_FLOAT_EQ(table.GetTotal(11), 0.0f);
}

TEST(SpawnTableClamps, BadWeightsCountAsZeroAndKeepTheTotalsSound)
{
    SpawnTable table;
    table.Add(TableEntry(0), -5.0f, 1, 10);
    table.Add(TableEntry(1), std::numeric_limits<float>::quiet_NaN(), 1, 10);
    table.Add(TableEntry(2), std::numeric_limits<float>::infinity(), 1, 10);
    table.Add(TableEntry(3), 3.0f, 1, 10);
    EXPECT_FLOAT_EQ(table.GetTotal(5), 3.0f);
    EXPECT_EQ(table.GetEntries().size(), 4u);
    EXPECT_EQ(table.Pick(5, 0.3f), &table.GetEntries()[3]);
}

TEST(SpawnTablePick, AllWeightsZeroGivesTheFirstCoveringEntry)
{
    SpawnTable table;
    table.Add(TableEntry(0), 0.0f, 20, 30);
    table.Add(TableEntry(1), 0.0f, 1, 10);
    table.Add(TableEntry(2), 0.0f, 1, 10);
    EXPECT_EQ(table.Pick(5, 0.9f), &table.GetEntries()[1]);
    EXPECT_EQ(table.Pick(25, 0.0f), &table.GetEntries()[0]);
}

TEST(SpawnTablePick, EmptyTableOrUncoveredLevelGivesNone)
{
    SpawnTable table;
    EXPECT_EQ(table.Pick(1, 0.5f), nullptr);
    table.Add(TableEntry(0), 1.0f, 10, 20);
    EXPECT_EQ(table.Pick(9, 0.5f), nullptr);
    EXPECT_EQ(table.Pick(21, 0.0f), nullptr);
    EXPECT_NE(table.Pick(20, 0.999f), nullptr);
}

TEST(SpawnTablePick, RunningSumBoundariesBelongToTheEarlierEntry)
{
    SpawnTable table;
    table.Add(TableEntry(0), 1.0f, 1, 10);
    table.Add(TableEntry(1), 3.0f, 1, 10);
    // r x 4 = 1 reaches the first entry's sum exactly.
    EXPECT_EQ(table.Pick(3, 0.25f), &table.GetEntries()[0]);
    EXPECT_EQ(table.Pick(3, 0.2501f), &table.GetEntries()[1]);
}

TEST(SpawnTablePick, PicksFollowTheWeightsChiSquare)
{
    SpawnTable table;
    table.Add(TableEntry(0), 1.0f, 1, 50);
    table.Add(TableEntry(1), 2.0f, 1, 50);
    table.Add(TableEntry(2), 5.0f, 1, 50);
    table.Add(TableEntry(3), 9.0f, 60, 70);  // never covers level 30
    RandomSystem random(17);
    constexpr int kDraws = 16000;
    int counts[3] = {};
    for (int i = 0; i < kDraws; ++i) {
        const SpawnEntry* picked = table.Pick(30, random.RandomFloat(RandomStream::GameData));
        ASSERT_NE(picked, nullptr);
        ASSERT_LT(picked - table.GetEntries().data(), 3);
        ++counts[picked - table.GetEntries().data()];
    }
    const double weights[3] = {1.0 / 8.0, 2.0 / 8.0, 5.0 / 8.0};
    double chiSquare = 0.0;
    for (int k = 0; k < 3; ++k) {
        double expected = kDraws * weights[k];
        chiSquare += (counts[k] - expected) * (counts[k] - expected) / expected;
    }
    // Two degrees of freedom: 13.8 is the 0.1 percent point.
    EXPECT_LT(chiSquare, 13.8);
}

class SpawnSystemLoad : public SpawnWorld {};

TEST_F(SpawnSystemLoad, MissingRecordLogsAndLeavesEveryTableEmpty)
{
    LoadSpawn("", "");
    EXPECT_EQ(CountLinesHolding(debug, "SpawnSystem database entry not found!"), 1);
    EXPECT_FALSE(spawn.IsLoaded());
    for (int32_t table = 0; table < SpawnSystem::kTableCount; ++table)
        EXPECT_TRUE(spawn.GetTable(table).IsEmpty()) << table;
    EXPECT_EQ(spawn.PickWeightedByLevel(SpawnSystem::NormalItems, 5), nullptr);
    EXPECT_EQ(spawn.GenerateItem({}), nullptr);
}

TEST_F(SpawnSystemLoad, ComposedKeysReachTheirRarity)
{
    LoadSpawn();
    EXPECT_TRUE(spawn.IsLoaded());
    EXPECT_FLOAT_EQ(spawn.GetMonsterLoot(MonsterRarity::Rare).itemChance, 1.0f);
    EXPECT_EQ(spawn.GetMonsterLoot(MonsterRarity::Rare).minItems, 2);
    EXPECT_EQ(spawn.GetMonsterLoot(MonsterRarity::Rare).increasedMagicChance, 20);
    EXPECT_EQ(spawn.GetLevelIncrease(MonsterRarity::Rare), 3);
    EXPECT_EQ(spawn.GetLevelIncrease(MonsterRarity::VeryRare), 0);
    EXPECT_EQ(spawn.GetEffectModel(MonsterRarity::Rare), "models/effects/glow.mdl");
    EXPECT_EQ(spawn.GetEffectModel(MonsterRarity::Boss), "");
    EXPECT_EQ(spawn.GetItemRarityChance(ItemRarity::Uncommon), 20);
    EXPECT_EQ(spawn.GetItemRarityChance(ItemRarity::Artifact), 50);
    EXPECT_EQ(spawn.GetMaxNormalItemLevel(), 20);
}

TEST_F(SpawnSystemLoad, RecordsEnterTheirTables)
{
    LoadSpawn();
    EXPECT_EQ(TableNames(spawn.GetTable(SpawnSystem::NormalItems)),
              (std::vector<std::string>{"RustySword", "SteelSword"}));
    EXPECT_EQ(TableNames(spawn.GetTable(SpawnSystem::SetItems)), (std::vector<std::string>{"TwinBlade"}));
    EXPECT_EQ(TableNames(spawn.GetTable(SpawnSystem::UniqueItems)), (std::vector<std::string>{"CrownOfAsh"}));
    EXPECT_EQ(TableNames(spawn.GetTable(SpawnSystem::Artifacts)), (std::vector<std::string>{"EmberIdol"}));
    EXPECT_EQ(TableNames(spawn.GetTable(SpawnSystem::Prefixes)), (std::vector<std::string>{"AffixHeavy", "AffixBright"}));
    EXPECT_EQ(TableNames(spawn.GetTable(SpawnSystem::Suffixes)),
              (std::vector<std::string>{"AffixOfFoxes", "AffixOfBears"}));
    // The type is compared without regard to case; "NpcOnly" decides before it.
    EXPECT_EQ(TableNames(spawn.GetTable(SpawnSystem::MinorEnhancements)),
              (std::vector<std::string>{"EnhancementMinorA", "EnhancementMinorB"}));
    EXPECT_EQ(TableNames(spawn.GetTable(SpawnSystem::MajorEnhancements)), (std::vector<std::string>{"EnhancementMajorA"}));
    EXPECT_EQ(TableNames(spawn.GetTable(SpawnSystem::OtherEnhancements)), (std::vector<std::string>{"EnhancementOtherA"}));
    EXPECT_EQ(TableNames(spawn.GetTable(SpawnSystem::NpcEnhancements)),
              (std::vector<std::string>{"EnhancementNpcA", "EnhancementNpcB", "EnhancementNpcC", "EnhancementNpcD"}));
    EXPECT_EQ(TableNames(spawn.GetTable(SpawnSystem::Traps)), (std::vector<std::string>{"TrapPlate"}));
}

TEST_F(SpawnSystemLoad, ModifierRangesFollowTheSpreadUnlessAvailableToTheTop)
{
    LoadSpawn("AffixPlain\n{\n Type MagicModifier\n ItemLevel 10\n SpawnChance 1\n}\n");
    const SpawnEntry& plain = spawn.GetTable(SpawnSystem::Suffixes).GetEntries().back();
    // 10 + 1 + floor(10 / 20 x (5 - 1) + 0.5) = 13.
    EXPECT_EQ(plain.minLevel, 10);
    EXPECT_EQ(plain.maxLevel, 13);
    EXPECT_EQ(spawn.GetTable(SpawnSystem::Prefixes).GetEntries().front().maxLevel, 105);
}

// A record's drop range: its own bounds when it names a top, else the spread from the level it
// asks (or its item level) up. One that named only the level it asks once dropped at level 1 alone.
TEST_F(SpawnSystemLoad, ItemDropRangesSpreadFromTheLevelAskedWhenNoTopIsNamed)
{
    struct Case {
        const char* name;
        const char* keys;
        int32_t minLevel;
        int32_t maxLevel;
    };
    // The spread of level L is L + 1 + floor(L / 20 x (5 - 1) + 0.5).
    const Case cases[] = {
        {"Greaves", " ItemLevel 20\n MinLevel 18\n", 18, 23},
        {"Buckler", " ItemLevel 3\n MinLevel 2\n", 2, 3},
        {"Tunic", " ItemLevel 2\n", 2, 3},
        {"Charm", " ItemLevel 4\n MinLevel 3\n MaxLevel 6\n", 3, 6},
    };
    std::string records;
    for (const Case& each : cases)
        records += std::string(each.name) + "\n{\n Base ItemBaseRecord\n" + each.keys + "}\n";
    LoadSpawn(records);
    const std::vector<SpawnEntry>& entries = spawn.GetTable(SpawnSystem::NormalItems).GetEntries();
    for (const Case& each : cases) {
        auto found = std::find_if(entries.begin(), entries.end(),
                                  [&each](const SpawnEntry& entry) { return entry.definition->GetName() == each.name; });
        ASSERT_NE(found, entries.end()) << each.name;
        EXPECT_EQ(found->minLevel, each.minLevel) << each.name;
        EXPECT_EQ(found->maxLevel, each.maxLevel) << each.name;
    }
    // Nothing that asks level 18 is drawn for a level-1 drop.
    for (int i = 0; i < 500; ++i) {
        const SpawnEntry* entry = spawn.PickWeightedByLevel(SpawnSystem::NormalItems, 1);
        ASSERT_NE(entry, nullptr);
        EXPECT_NE(entry->definition->GetName(), "Greaves");
    }
}

TEST_F(SpawnSystemLoad, NonPositiveMaxNormalItemLevelIsLoggedAndTakenAsOne)
{
    std::string record = kSpawnRecord;
    record.replace(record.find("MaxNormalItemLevel 20"), 21, "MaxNormalItemLevel 0");
    LoadSpawn("", record);
    EXPECT_EQ(spawn.GetMaxNormalItemLevel(), 1);
    EXPECT_EQ(CountLinesHolding(debug, "MaxNormalItemLevel 0 is not above 0"), 1);
    EXPECT_GE(spawn.RollItemLevel(50, 1, 5, ItemRarity::Normal, 0.0f, 0), 1);
}

TEST_F(SpawnSystemLoad, EveryDroppableItemEntersPastTheFortyFifth)
{
    std::string extra;
    for (int i = 0; i < 50; ++i)
        extra += "Filler" + std::to_string(i) + "\n{\n Base ItemBaseRecord\n MinLevel 1\n MaxLevel 9\n}\n";
    LoadSpawn(extra);
    const SpawnTable& normal = spawn.GetTable(SpawnSystem::NormalItems);
    ASSERT_EQ(normal.GetEntries().size(), 52u);  // the two swords and fifty more
    EXPECT_EQ(normal.GetEntries().back().definition->GetName(), "Filler49");
    // The 46th and later records drop too: over enough picks at level 5 each comes up.
    std::set<std::string> seen;
    for (int i = 0; i < 4000; ++i)
        if (const SpawnEntry* entry = spawn.PickWeightedByLevel(SpawnSystem::NormalItems, 5))
            seen.insert(std::string(entry->definition->GetName()));
    EXPECT_TRUE(seen.count("Filler45") && seen.count("Filler49"));
}

TEST_F(SpawnSystemLoad, NoDropAndZeroChanceRecordsStayOut)
{
    LoadSpawn("Keepsake\n{\n Base ItemBaseRecord\n NoDrop 1\n}\nTrinket\n{\n Base ItemBaseRecord\n SpawnChance -1\n}\n");
    for (const SpawnEntry& entry : spawn.GetTable(SpawnSystem::NormalItems).GetEntries()) {
        EXPECT_NE(entry.definition->GetName(), "Keepsake");
        EXPECT_NE(entry.definition->GetName(), "Trinket");
        EXPECT_NE(entry.definition->GetName(), "SmallPotion");
    }
}

TEST_F(SpawnSystemLoad, DebugCommandsPrintAtMostAThousandLines)
{
    CommandSystem commands;
    gCommandSystem = &commands;
    debug.SetMaxConsoleLines(3000);
    LoadSpawn();
    ASSERT_TRUE(commands.Execute("randomModifier 5 5000"));
    EXPECT_EQ(CountLinesHolding(debug, "\tMagicModifier\t"), SpawnSystem::kMaxDebugCount);
    ASSERT_TRUE(commands.Execute("randomEnchantment 5"));
    EXPECT_EQ(CountLinesHolding(debug, "\tEnhancement\t"), 1);
    // No enchantment covers level 101.
    ASSERT_TRUE(commands.Execute("randomEnchantment 101 3"));
    EXPECT_EQ(CountLinesHolding(debug, "Couldn't find an enchantment!"), 3);
    gCommandSystem = nullptr;
}
