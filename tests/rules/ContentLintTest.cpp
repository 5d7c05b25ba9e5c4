// ContentLintTest -- the shipped game folder loads without a problem, and planted faults of each kind are reported.
#include "core/DebugSystem.h"
#include "core/FileSystem.h"
#include "platform/PosixFileSystem.h"
#include "rules/ContentLint.h"
#include "support/TempFolder.h"

#include <algorithm>
#include <cstdlib>
#include <gtest/gtest.h>

namespace {

std::vector<std::string> CheckFolder(const std::string& gameDir)
{
    DebugSystem debug;
    debug.SetMaxConsoleLines(1 << 16);
    gDebugSystem = &debug;
    PosixFileSystem files(gameDir);
    files.SetRootFolders("Assets");
    gFileSystem = &files;
    std::vector<std::string> problems = ContentLint::CheckGameContent(debug, "English");
    gFileSystem = nullptr;
    return problems;
}

bool Reported(const std::vector<std::string>& problems, std::string_view part)
{
    return std::any_of(problems.begin(), problems.end(),
                       [&](const std::string& problem) { return problem.find(part) != std::string::npos; });
}

TEST(ContentLint, ShippedGameHasNoProblems)
{
    const char* gameDir = std::getenv("EMBERLODE_GAME_DIR");
    ASSERT_NE(gameDir, nullptr);
    std::vector<std::string> problems = CheckFolder(gameDir);
    for (const std::string& problem : problems)
        ADD_FAILURE() << problem;
}

TEST(ContentLint, ReportsEachKindOfPlantedFault)
{
    TempFolder folder;
    folder.Write("Assets/Loc/English.loc", "Known \"known\"\n");
    folder.Write("Assets/Database/database.dbl", "game.dbr\n");
    folder.Write("Assets/Database/game.dbr",
                 "// $$InAComment$$ is no use of a text\n"
                 "GameSystem\n{\n Type Info\n Version \"$$Known$$ $$Unknown~<$$Nested$$@@>~$$\"\n"
                 " ItemTypeColorHead Mauve\n}\n"
                 "Orphan\n{\n Base Nowhere\n Type Item\n}\n");
    std::vector<std::string> problems = CheckFolder(folder.Path().string());
    EXPECT_TRUE(Reported(problems, "Database entry Orphan: base Nowhere not found"));
    EXPECT_TRUE(Reported(problems, "Unknown ColorType name Mauve"));
    EXPECT_TRUE(Reported(problems, "game.dbr: $$Unknown$$ has no text"));
    EXPECT_TRUE(Reported(problems, "game.dbr: $$Nested$$ has no text"));
    EXPECT_TRUE(Reported(problems, "GameSystem: GameName is empty"));
    EXPECT_FALSE(Reported(problems, "Known"));
    EXPECT_FALSE(Reported(problems, "InAComment"));
    EXPECT_FALSE(Reported(problems, "Version is empty"));

    folder.Write("Assets/Database/game.dbr", "Sword { Type Item }\n");
    EXPECT_TRUE(Reported(CheckFolder(folder.Path().string()), "The record GameSystem is missing"));
}

} // namespace
