// WorldLintTest -- the shipped world records and area files pass the content lint, and planted faults of each kind are reported.
#include "world/WorldLint.h"

#include "rules/PlantedGame.h"
#include "support/ShippedGame.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace {

std::vector<std::string> LintWorldFolder(const std::string& gameDir)
{
    GameFolderFiles game(gameDir);
    // The area files are generated into the archive with the textures and models.
    game.files.MountAssetArchives();
    return ContentLint::CheckGameContent(game.debug, "English", WorldLintChecks());
}

bool WorldReported(const std::vector<std::string>& problems, std::string_view part)
{
    return std::any_of(problems.begin(), problems.end(),
                       [&](const std::string& problem) { return problem.find(part) != std::string::npos; });
}

TEST(WorldLint, ShippedWorldHasNoProblems)
{
    ASSERT_FALSE(ShippedGameFolder().empty()) << "EMBERLODE_GAME_DIR not set";
    std::vector<std::string> problems = LintWorldFolder(ShippedGameFolder());
    for (const std::string& problem : problems)
        ADD_FAILURE() << problem;
}

TEST(WorldLint, ReportsEachKindOfPlantedFault)
{
    TempFolder folder;
    WritePlantedGame(folder,
                     "GameSystem\n{\n Type Info\n GameName G\n Version V\n}\n"
                     "Tiny\n{\n Name Tiny\n Width 0\n Height 3\n SectionLevelDepth 1\n}\n"
                     "Quest1\n{\n Type Quest\n}\n"
                     "Sec\n{\n StartArea Quest1\n Dungeon Nowhere\n}\n"
                     "Adv\n{\n Type Adventure\n WorldSize Tiny\n WorldSize Gone\n Section Sec\n Section Lost\n"
                     " Secret Quest1\n BeginningQuest Quest1\n}\n"
                     "Bad\n{\n Type Area\n RandomLevelGenerator Swamp\n MonsterSpawn Quest1\n ChestSpawn Quest1\n"
                     " ChestSpawn Bare\n AreaDown Lost\n AreaFileName Levels/bad.ara\n}\n"
                     "Bare\n{\n Type Chest\n SpawnChance 1\n}\n"
                     "NoFile\n{\n Type Area\n RandomLevelGenerator Cave\n AreaFileName Levels/none.ara\n}\n");
    // One tile index past the one texture; one edge past the one edge type.
    std::string tiles = "5";
    for (int i = 1; i < 64; ++i)
        tiles += " 0";
    folder.Write("Assets/Levels/bad.ara",
                 "1 Textures/none.tga\n1 door\n1 Models/none.mdl\nblock B\n{\n" + tiles + "\n0 7 0 0\n}\n");
    std::vector<std::string> problems = LintWorldFolder(folder.Path().string());
    for (const char* expected : {
             "Tiny: Width, Height and SectionLevelDepth must be 1 or more", "Adv: WorldSize names the missing entry Gone",
             "Adv: no WorldSize is named Standard", "Adv: Section names the missing entry Lost",
             "Sec: StartArea names Quest1, which is no Area record", "Sec: Dungeon names the missing entry Nowhere",
             "Adv: Secret names Quest1, which is not of type Area",
             "Bad: RandomLevelGenerator names no level generator: Swamp",
             "Bad: MonsterSpawn names Quest1, no monster archetype that can start a pool",
             "Bad: ChestSpawn names Quest1, which is not of type Chest",
             "Bad: ChestSpawn names Bare, a chest without a model", "Bad: AreaDown names Lost, which is no Area record",
             "Levels/bad.ara: 1 values out of range or missing", "Levels/bad.ara: missing texture Textures/none.tga",
             "Levels/bad.ara: missing model Models/none.mdl", "Levels/bad.ara: block 0 has the edge 7 outside its 1 edge types",
             "NoFile: AreaFileName names the missing file Levels/none.ara"}) {
        EXPECT_TRUE(WorldReported(problems, expected)) << expected;
    }
    EXPECT_FALSE(WorldReported(problems, "BeginningQuest"));
}

} // namespace
