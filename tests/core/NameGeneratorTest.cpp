// NameGeneratorTest -- names repeat for a seed, vary across seeds, stay in bounds; bad tables give the fallback.
#include "core/DebugSystem.h"
#include "core/FileSystem.h"
#include "core/NameGenerator.h"
#include "core/RandomSystem.h"
#include "support/GameFolderFiles.h"
#include "support/LogLines.h"
#include "support/ShippedGame.h"
#include "support/TempFolder.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <random>
#include <set>

namespace {

class NameWorld : public ::testing::Test {
protected:
    NameWorld()
    {
        gRandomSystem = &random;
        random.Seed(99);
    }
    ~NameWorld() override { gRandomSystem = nullptr; }

    int CountLogged(std::string_view part) const { return CountLinesHolding(debug, part); }

    TempFolder folder;
    GameFolderFiles game{folder.Path().string()};
    DebugSystem& debug = game.debug;
    RandomSystem random;
    NameGenerator names;
};

TEST_F(NameWorld, SameSeedSameNameOtherSeedsVary)
{
    folder.Write("Assets/Names/folk.txt", "Aldera\nBrannoc\r\n  Corwen  \n\n// not a name\nDelphine\nEsmer\nFaradoc\nGwendel\n"
                                          "Hollin\nIsbet\nJorran\nKelda\nLoric\nMorwen\nNessaly\nOsbert\nPerrin\nQuessa\n"
                                          "Rhodric\nSelwyn\nTamric\n");
    std::set<std::string> distinct;
    for (uint32_t seed = 0; seed < 60; ++seed) {
        std::string name = names.Generate("folk", seed * 7919u);
        random.Next(RandomStream::Names);
        random.Next(RandomStream::GameData);
        EXPECT_EQ(names.Generate("FOLK", seed * 7919u), name);
        // Bounded by the samples' lengths (5 to 8), capitalised, letters of the samples only.
        EXPECT_GE(name.size(), 5u) << name;
        EXPECT_LE(name.size(), 8u) << name;
        EXPECT_TRUE(name[0] >= 'A' && name[0] <= 'Z') << name;
        EXPECT_TRUE(std::all_of(name.begin() + 1, name.end(), [](char c) { return c >= 'a' && c <= 'z'; })) << name;
        distinct.insert(name);
    }
    EXPECT_GE(distinct.size(), 40u);
    // Only stream 4 moves.
    uint32_t gameData = random.GetState(RandomStream::GameData);
    names.Generate("folk", 1);
    EXPECT_EQ(random.GetState(RandomStream::GameData), gameData);
}

TEST_F(NameWorld, MissingEmptyOrBadTablesGiveFallbackOnce)
{
    folder.Write("Assets/Names/empty.txt", "\n  \n// nothing\n");
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(names.Generate("nope", 5), NameGenerator::kFallbackName);
        EXPECT_EQ(names.Generate("empty", 5), NameGenerator::kFallbackName);
        EXPECT_EQ(names.Generate("../Loc/English", 5), NameGenerator::kFallbackName);
    }
    EXPECT_EQ(CountLogged("Couldn't find Names/nope.txt"), 1);
    EXPECT_EQ(CountLogged("No names in Names/empty.txt"), 1);
    EXPECT_EQ(CountLogged("Invalid name table ../Loc/English"), 1);
}

TEST_F(NameWorld, OneSampleAndHostileTables)
{
    folder.Write("Assets/Names/one.txt", "Mab\n");
    EXPECT_EQ(names.Generate("one", 3), "Mab");
    std::mt19937 noise(3);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int round = 0; round < 100; ++round) {
        std::string bytes(static_cast<size_t>(byte(noise)) * 8, '\0');
        for (char& c : bytes)
            c = static_cast<char>(byte(noise));
        std::string table = "noise" + std::to_string(round);
        folder.Write("Assets/Names/" + table + ".txt", round % 2 ? "\xFF\xFE" + bytes : bytes);
        for (uint32_t seed = 0; seed < 5; ++seed)
            EXPECT_LE(names.Generate(table, seed).size(), 16u);
    }
}

TEST(ShippedNameTables, GiveNames)
{
    if (ShippedGameFolder().empty())
        GTEST_SKIP() << "EMBERLODE_GAME_DIR not set";
    GameFolderFiles game(ShippedGameFolder());
    RandomSystem random;
    gRandomSystem = &random;
    NameGenerator names;
    for (const char* table : {"npcsMale", "npcsFemale"}) {
        std::set<std::string> distinct;
        for (uint32_t seed = 1; seed <= 50; ++seed)
            distinct.insert(names.Generate(table, seed * 2654435761u));
        EXPECT_GE(distinct.size(), 40u) << table;
        EXPECT_EQ(distinct.count(NameGenerator::kFallbackName), 0u) << table;
    }
    EXPECT_TRUE(game.debug.GetConsoleLines().empty());
    gRandomSystem = nullptr;
}

} // namespace
