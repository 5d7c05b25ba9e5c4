// ShippedItemsTest -- the shipped items and affixes: what they cover, that each survives its saved record, and the item lint.
#include "core/Database.h"
#include "core/DebugSystem.h"
#include "core/MessageBuffer.h"
#include "platform/PosixFileSystem.h"
#include "rules/ContentLint.h"
#include "rules/GameData.h"
#include "rules/items/ItemBase.h"
#include "rules/items/ItemRecords.h"
#include "support/TempFolder.h"

#include <algorithm>
#include <cstdlib>
#include <gtest/gtest.h>
#include <set>

namespace {

class ShippedItems : public ::testing::Test {
protected:
    ShippedItems() : files(std::getenv("EMBERLODE_GAME_DIR") ? std::getenv("EMBERLODE_GAME_DIR") : ".")
    {
        debug.SetMaxConsoleLines(1 << 16);
        gDebugSystem = &debug;
        files.SetRootFolders("Assets");
        gFileSystem = &files;
        gDatabase = &database;
        gGameData = &gameData;
        database.Load();
        gameData.Load(database);
    }
    ~ShippedItems() override { gFileSystem = nullptr; }

    const ItemRecords& Records() const { return gameData.GetItemRecords(); }

    DebugSystem debug;
    PosixFileSystem files;
    Database database;
    GameData gameData;
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
    folder.Write("Assets/Loc/English.loc", "Known \"known\"\n");
    folder.Write("Assets/Database/database.dbl", "game.dbr\n");
    folder.Write("Assets/Database/game.dbr",
                 "GameSystem\n{\n Type Info\n GameName x\n Version 1\n}\n"
                 "Sack\n{\n Type Item\n Name x\n ItemType Bag\n}\n"
                 "Writ\n{\n Type Item\n Name x\n ItemType Guard\n Guard Sack\n}\n"
                 "Odd\n{\n Type Item\n MinLevel 5\n MaxLevel 4\n}\n"
                 "Dull\n{\n Type MagicModifier\n Name x\n}\n"
                 "Bent\n{\n Type MagicModifier\n Name x\n StatChangeStrength 5 2\n}\n");
    DebugSystem debug;
    gDebugSystem = &debug;
    PosixFileSystem files(folder.Path().string());
    files.SetRootFolders("Assets");
    gFileSystem = &files;
    std::vector<std::string> problems = ContentLint::CheckGameContent(debug, "English");
    gFileSystem = nullptr;
    for (const char* expected : {"Sack: BagSize 0 is outside 1..512", "Writ: Guard names no monster type",
                                 "Odd: Name is empty", "Odd: MaxLevel is below MinLevel", "Dull: changes no stat",
                                 "Bent: StatChangeStrength runs from 5 down to 2"})
        EXPECT_TRUE(std::find(problems.begin(), problems.end(), expected) != problems.end()) << expected;
}

} // namespace
