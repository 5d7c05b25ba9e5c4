// ShippedItemsTest -- the shipped items and affixes: what they cover, that each survives its saved record, and the item lint.
#include "core/MessageBuffer.h"
#include "rules/PlantedGame.h"
#include "rules/ShippedRulesWorld.h"
#include "rules/items/ItemBase.h"
#include "rules/items/ItemRecords.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <set>

namespace {

class ShippedItems : public ShippedRulesWorld {
protected:
    const ItemRecords& Records() const { return gameData.GetItemRecords(); }
};

TEST_F(ShippedItems, CoverLevelsOneToTwentyAndEveryKind)
{
    std::set<int32_t> levels, types;
    for (const auto& definition : Records().GetItemDefinitions()) {
        levels.insert(definition->itemLevel);
        types.insert(definition->itemType);
    }
    EXPECT_EQ(*levels.begin(), 1);
    EXPECT_EQ(*levels.rbegin(), 20);
    for (int32_t type : {ItemType::HandPrimary, ItemType::HandBoth, ItemType::HandEither, ItemType::Ranged,
                         ItemType::HandSecondary, ItemType::Chest, ItemType::Back, ItemType::Ring, ItemType::Neck,
                         ItemType::Drink, ItemType::Food, ItemType::Bag, ItemType::Tome, ItemType::Relic,
                         ItemType::Guard})
        EXPECT_TRUE(types.count(type)) << type;
    EXPECT_GE(Records().GetMagicModifiers().GetCount(), 4);
    EXPECT_NE(database.FindEntryByName("CoinPile"), nullptr);
}

TEST_F(ShippedItems, EveryAffixFitsSomeItemAndEveryItemSurvivesItsRecord)
{
    for (const auto& affix : Records().GetMagicModifiers()) {
        bool fits = false;
        for (const auto& definition : Records().GetItemDefinitions()) {
            ItemBase item;
            item.SetEntry(definition->GetEntry());
            fits = fits || (definition->modifiersAllowed && item.MeetsMagicRequirement(affix->GetMagicRequirement()));
        }
        EXPECT_TRUE(fits) << affix->GetEntry()->GetName();
    }
    for (const auto& definition : Records().GetItemDefinitions()) {
        for (bool byName : {true, false}) {
            ItemBase item;
            item.SetEntry(definition->GetEntry());
            item.SetQuality(ItemRarity::Rare);
            item.AddAffix(Records().GetMagicModifiers().Get(0), 0.5f);
            MessageBuffer buffer;
            item.Write(buffer, byName);
            ItemBase copy;
            ASSERT_TRUE(copy.Read(buffer, byName));
            EXPECT_EQ(copy.GetDefinition(), definition.get());
            EXPECT_EQ(copy.GetValue(true), item.GetValue(true));
        }
    }
}

TEST(ItemLint, ReportsPlantedFaults)
{
    TempFolder folder;
    WritePlantedGame(folder, "GameSystem\n{\n Type Info\n GameName x\n Version 1\n}\n"
                             "Sack\n{\n Type Item\n Name x\n ItemType Bag\n}\n"
                             "Writ\n{\n Type Item\n Name x\n ItemType Guard\n Guard Sack\n}\n"
                             "Odd\n{\n Type Item\n MinLevel 5\n MaxLevel 4\n}\n"
                             "Dull\n{\n Type MagicModifier\n Name x\n}\n"
                             "Bent\n{\n Type MagicModifier\n Name x\n StatChangeStrength 5 2\n}\n"
                             "Brew\n{\n Type Item\n Name x\n StatusEffect Sack\n OnUseSkill Bent\n"
                             " FullBonusStatusEffect Gone\n PartialBonusStatusEffect Glow\n}\n"
                             "Glow\n{\n Type StatusEffect\n}\n");
    std::vector<std::string> problems = LintGameFolder(folder.Path().string());
    for (const char* expected : {"Sack: BagSize 0 is outside 1..512", "Writ: Guard names no monster type",
                                 "Odd: Name is empty", "Odd: MaxLevel is below MinLevel", "Dull: changes no stat",
                                 "Bent: StatChangeStrength runs from 5 down to 2",
                                 "Brew: StatusEffect names no status effect Sack", "Brew: OnUseSkill names no skill Bent",
                                 "Brew: FullBonusStatusEffect names no status effect Gone"})
        EXPECT_TRUE(std::find(problems.begin(), problems.end(), expected) != problems.end()) << expected;
    EXPECT_TRUE(std::find(problems.begin(), problems.end(), "Brew: PartialBonusStatusEffect names no status effect Glow") ==
                problems.end());
}

TEST(ItemLint, AWeaponWithoutAPaceIsReportedAndOneWithItOrAShieldIsNot)
{
    TempFolder folder;
    WritePlantedGame(folder, "GameSystem\n{\n Type Info\n GameName x\n Version 1\n}\n"
                             "Pike\n{\n Type Item\n Name x\n ItemType HandBoth\n}\n"
                             "Bow\n{\n Type Item\n Name x\n ItemType Ranged\n Speed -1\n}\n"
                             "Dirk\n{\n Type Item\n Name x\n ItemType HandEither\n Speed 0.8\n}\n"
                             "Buckler\n{\n Type Item\n Name x\n ItemType HandSecondary\n}\n");
    std::vector<std::string> problems = LintGameFolder(folder.Path().string());
    auto reported = [&](const std::string& name) {
        return std::find(problems.begin(), problems.end(),
                         name + ": a weapon's Speed (seconds between blows) is not above 0") != problems.end();
    };
    EXPECT_TRUE(reported("Pike"));
    EXPECT_TRUE(reported("Bow"));
    EXPECT_FALSE(reported("Dirk"));
    EXPECT_FALSE(reported("Buckler"));
}

} // namespace
