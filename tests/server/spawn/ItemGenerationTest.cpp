// ItemGenerationTest -- rarity boosts, level rolls and their clamps, base items, affixes and their names, the equipment picker.
#include "SpawnWorld.h"

#include "core/Database.h"

#include <set>

namespace {

// The test spawn record with one value replaced.
std::string ItemGenRecordWith(const std::string& from, const std::string& to)
{
    std::string record = SpawnWorld::kSpawnRecord;
    size_t at = record.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return record.replace(at, from.size(), to);
}

} // namespace

class ItemRarityRoll : public SpawnWorld {};

TEST_F(ItemRarityRoll, BonusZeroLeavesTheChancesAsTheyAre)
{
    LoadSpawn();
    auto chances = spawn.BoostedRarityChances(0);
    EXPECT_EQ(chances, (std::array<float, 8>{0, 30, 20, 10, 5, 50, 50, 50}));
    EXPECT_EQ(spawn.BoostedRarityChances(-40), chances);
}

TEST_F(ItemRarityRoll, LargeBonusFillsLowerRaritiesToTheirCapFirst)
{
    LoadSpawn();
    // m = 5: Common 150 is capped at 75 and carries 2 on; Uncommon 40 takes the rest.
    auto chances = spawn.BoostedRarityChances(400);
    EXPECT_FLOAT_EQ(chances[1], 75.0f);
    EXPECT_FLOAT_EQ(chances[2], 40.0f);
    EXPECT_FLOAT_EQ(chances[3], 10.0f);
    // m = 101: Common, Uncommon and Rare capped; VeryRare 5 x 1.436 takes the last of it.
    chances = spawn.BoostedRarityChances(10000);
    EXPECT_FLOAT_EQ(chances[1], 75.0f);
    EXPECT_FLOAT_EQ(chances[2], 75.0f);
    EXPECT_FLOAT_EQ(chances[3], 75.0f);
    EXPECT_NEAR(chances[4], 5.0f * (10.0f * (20.0f * (30.0f * 101.0f / 75.0f) / 75.0f) / 75.0f), 1e-3f);
    EXPECT_FLOAT_EQ(chances[5], 50.0f);
}

TEST_F(ItemRarityRoll, CapIsTheRarityOwnChanceWhenAboveSeventyFive)
{
    LoadSpawn("", ItemGenRecordWith("ItemCommonChance 30", "ItemCommonChance 90"));
    auto chances = spawn.BoostedRarityChances(100);
    EXPECT_FLOAT_EQ(chances[1], 90.0f);
    EXPECT_FLOAT_EQ(chances[2], 40.0f);
}

TEST_F(ItemRarityRoll, ArtifactMinimumNeedsNoRollAndMinimumsHold)
{
    LoadSpawn();
    uint32_t before = random.GetState(RandomStream::GameData);
    EXPECT_EQ(spawn.PickItemRarity(ItemRarity::Artifact, 0), ItemRarity::Artifact);
    EXPECT_EQ(random.GetState(RandomStream::GameData), before);
    for (int i = 0; i < 200; ++i)
        EXPECT_GE(spawn.PickItemRarity(ItemRarity::Rare, 0), ItemRarity::Rare);
}

class ItemLevelRoll : public SpawnWorld {};

TEST_F(ItemLevelRoll, AboveChanceZeroNeverRollsAboveAndHundredAlwaysDoes)
{
    LoadSpawn();
    for (int i = 0; i < 300; ++i) {
        int32_t below = spawn.RollItemLevel(10, 1, 5, ItemRarity::Normal, 0.0f, 3);
        // s = floor((floor(10 / 20 x 4 + 0.5) + 1) x 1) = 3.
        EXPECT_GE(below, 7);
        EXPECT_LE(below, 10);
        int32_t above = spawn.RollItemLevel(10, 1, 5, ItemRarity::Normal, 100.0f, 3);
        EXPECT_GE(above, 11);
        EXPECT_LE(above, 13);
    }
}

TEST_F(ItemLevelRoll, LowEndIsClampedToOneAndHighEndToHundred)
{
    LoadSpawn("", ItemGenRecordWith("ItemNormalLevelSpreadMult 1", "ItemNormalLevelSpreadMult 40"));
    for (int i = 0; i < 200; ++i) {
        int32_t level = spawn.RollItemLevel(2, 1, 5, ItemRarity::Normal, 0.0f, 0);
        EXPECT_GE(level, 1);
        EXPECT_LE(level, 2);
        EXPECT_EQ(spawn.RollItemLevel(99, 1, 5, ItemRarity::Normal, 100.0f, 30), 100);
        EXPECT_EQ(spawn.RollItemLevel(400, 1, 5, ItemRarity::Common, 0.0f, 0), 100);
        EXPECT_EQ(spawn.RollItemLevel(-50, 1, 5, ItemRarity::Common, 0.0f, 0), 1);
    }
}

TEST_F(ItemLevelRoll, EveryLevelOfTheRangeComesUp)
{
    LoadSpawn();
    std::set<int32_t> seen;
    for (int i = 0; i < 400; ++i)
        seen.insert(spawn.RollItemLevel(10, 1, 5, ItemRarity::Normal, 0.0f, 0));
    EXPECT_EQ(seen, (std::set<int32_t>{7, 8, 9, 10}));
}

class ItemGenerate : public SpawnWorld {
protected:
    std::unique_ptr<Item> Generate(int32_t minRarity, int32_t level = 10, const char* definition = nullptr)
    {
        SpawnSystem::ItemRequest request;
        request.baseLevel = level;
        request.minRarity = minRarity;
        request.definition = definition ? database.FindEntryByName(definition) : nullptr;
        return spawn.GenerateItem(request);
    }
};

TEST_F(ItemGenerate, ThreeAffixesShowNoAffixName)
{
    LoadSpawn("", ItemGenRecordWith("ItemVeryRareChance 5", "ItemVeryRareChance 0"));
    int checked = 0;
    for (int i = 0; i < 40; ++i) {
        std::unique_ptr<Item> item = Generate(ItemRarity::Rare);
        ASSERT_NE(item, nullptr);
        ASSERT_EQ(item->GetQuality(), ItemRarity::Rare);
        if (item->GetAffixes().size() != 3)
            continue;
        ++checked;
        item->SetIdentified(true);
        EXPECT_EQ(item->GetDisplayName(), item->GetDefinition()->displayName);
    }
    EXPECT_GT(checked, 30);
}

TEST_F(ItemGenerate, AffixesRaiseTheLevelRequirement)
{
    LoadSpawn("", ItemGenRecordWith("ItemVeryRareChance 5", "ItemVeryRareChance 0"));
    for (int i = 0; i < 40; ++i) {
        std::unique_ptr<Item> item = Generate(ItemRarity::Rare);
        ASSERT_NE(item, nullptr);
        bool heavy = false;
        for (const ItemAffix& affix : item->GetAffixes())
            heavy |= affix.modifier->GetEntry()->GetName() == "AffixHeavy";
        if (heavy) {
            EXPECT_GE(item->GetRequiredLevel(), 4);
        }
    }
}

TEST_F(ItemGenerate, AlwaysMagicWithoutAnyAffixItCanTakeGivesNothing)
{
    LoadSpawn("Charm\n{\n Base ItemBaseRecord\n SpawnChance 0\n ItemType Neck\n AlwaysMagic 1\n}\n"
              "Amulet\n{\n Base ItemBaseRecord\n SpawnChance 0\n ItemType Neck\n AlwaysMagic 1\n ModifiersAllowed 1\n}\n");
    for (int i = 0; i < 20; ++i) {
        EXPECT_EQ(Generate(ItemRarity::Normal, 10, "Charm"), nullptr);
        std::unique_ptr<Item> amulet = Generate(ItemRarity::Normal, 10, "Amulet");
        ASSERT_NE(amulet, nullptr);
        EXPECT_GE(amulet->GetAffixes().size(), 1u);
        EXPECT_GE(amulet->GetQuality(), ItemRarity::Common);
    }
}

TEST_F(ItemGenerate, GivenDefinitionGoesNoHigherThanVeryRare)
{
    LoadSpawn();
    std::unique_ptr<Item> item = Generate(ItemRarity::Artifact, 10, "RustySword");
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->GetEntry()->GetName(), "RustySword");
    EXPECT_EQ(item->GetQuality(), ItemRarity::VeryRare);
    EXPECT_LE(item->GetAffixes().size(), 4u);
}

TEST_F(ItemGenerate, HighRaritiesDrawFromTheirOwnTables)
{
    LoadSpawn();
    for (int i = 0; i < 60; ++i) {
        std::unique_ptr<Item> item = Generate(ItemRarity::Unique);
        ASSERT_NE(item, nullptr);
        std::string name(item->GetEntry()->GetName());
        EXPECT_TRUE(name == "CrownOfAsh" || name == "EmberIdol") << name;
        EXPECT_TRUE(item->GetAffixes().empty());
    }
    std::unique_ptr<Item> set = Generate(ItemRarity::VeryRare);
    ASSERT_NE(set, nullptr);
}

TEST_F(ItemGenerate, EmptyRarityTableGivesNothing)
{
    LoadSpawn("", ItemGenRecordWith("ItemArtifactChance 50", "ItemArtifactChance 100"));
    // Every unique roll goes on to Artifact; at level 10 the artifact is there, without it nothing.
    EXPECT_NE(Generate(ItemRarity::Unique), nullptr);
    spawn.Clear();
    EXPECT_EQ(Generate(ItemRarity::Unique), nullptr);
}

TEST_F(ItemGenerate, RelicTakesTheRolledLevel)
{
    LoadSpawn("Relic\n{\n Base ItemBaseRecord\n SpawnChance 0\n ItemType Relic\n Value 10\n}\n");
    for (int i = 0; i < 20; ++i) {
        std::unique_ptr<Item> relic = Generate(ItemRarity::Normal, 10, "Relic");
        ASSERT_NE(relic, nullptr);
        EXPECT_GE(relic->GetLevel(), 7);
        EXPECT_LE(relic->GetLevel(), 10);
    }
}

class ItemModifierPick : public SpawnWorld {};

TEST_F(ItemModifierPick, WithoutAnItemPrefixesAndSuffixesSplitEvenly)
{
    LoadSpawn();
    int prefixes = 0;
    for (int i = 0; i < 2000; ++i) {
        const DatabaseEntry* modifier = spawn.PickModifier(nullptr, 5);
        ASSERT_NE(modifier, nullptr);
        prefixes += modifier->GetInt("Prefix");
    }
    EXPECT_NEAR(prefixes, 1000, 120);
}

TEST_F(ItemModifierPick, OneSidedItemsDrawTheOtherSide)
{
    LoadSpawn();
    Item item;
    item.SetEntry(database.FindEntryByName("RustySword"));
    ASSERT_TRUE(item.AddAffix(gameData.GetItemRecords().FindMagicModifier("AffixOfFoxes"), 0.5f));
    for (int i = 0; i < 50; ++i)
        EXPECT_EQ(spawn.PickModifier(&item, 5)->GetInt("Prefix"), 1);
    Item other;
    other.SetEntry(database.FindEntryByName("RustySword"));
    ASSERT_TRUE(other.AddAffix(gameData.GetItemRecords().FindMagicModifier("AffixBright"), 0.5f));
    for (int i = 0; i < 50; ++i)
        EXPECT_EQ(spawn.PickModifier(&other, 5)->GetInt("Prefix"), 0);
}

class ItemRandomPicker : public SpawnWorld {};

TEST_F(ItemRandomPicker, HighestMinimumLevelDerivedFromTheBase)
{
    LoadSpawn();
    const DatabaseEntry* base = database.FindEntryByName("BaseSword");
    auto steel = spawn.CreateRandomItem(10, base);
    ASSERT_NE(steel, nullptr);
    EXPECT_EQ(steel->GetEntry()->GetName(), "SteelSword");
    auto rusty = spawn.CreateRandomItem(7, base);
    ASSERT_NE(rusty, nullptr);
    EXPECT_EQ(rusty->GetEntry()->GetName(), "RustySword");
    EXPECT_EQ(spawn.CreateRandomItem(0, base), nullptr);
    // The record itself counts as its own base.
    auto itself = spawn.CreateRandomItem(50, database.FindEntryByName("RustySword"));
    ASSERT_NE(itself, nullptr);
    EXPECT_EQ(itself->GetEntry()->GetName(), "RustySword");
    EXPECT_EQ(spawn.CreateRandomItem(50, database.FindEntryByName("PotionBase")), nullptr);
    EXPECT_EQ(spawn.CreateRandomItem(50, nullptr), nullptr);
}

TEST_F(ItemRandomPicker, TheGameGivesStartingEquipmentThroughIt)
{
    LoadSpawn();
    auto item = game->GenerateItem(database.FindEntryByName("BaseSword"), 9);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->GetEntry()->GetName(), "SteelSword");
}
