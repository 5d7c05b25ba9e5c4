// SkillLintTest -- the content lint finds skill names looked up before they load and names that lead nowhere.
#include "core/DebugSystem.h"
#include "core/FileSystem.h"
#include "platform/PosixFileSystem.h"
#include "rules/ContentLint.h"
#include "rules/skills/SkillWorld.h"
#include "support/TempFolder.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace {

const char* const kRecords = R"(
Early { Type Skill | PerLevel Late | Skill Late | Skill Nothing | StatusEffect Late | Linked Nobody }
Late { Type Skill | PerLevel Early | Skill Early | StatusEffect Effect | Linked Early }
Tree { Type SkillTree | Skill Late | Skill Ghost }
Hero { Type Class | SkillTree Tree | SkillTree NoTree }
Effect { Type StatusEffect | PerLevel Gone | Aura 1 | AuraStatusEffect Effect }
)";

TEST(SkillLint, ReportsForwardAndDanglingNames)
{
    TempFolder folder;
    folder.Write("Assets/Loc/English.loc", "");
    folder.Write("Assets/Database/database.dbl", "game.dbr\n");
    folder.Write("Assets/Database/game.dbr", ExpandRecords(kRecords));
    DebugSystem debug;
    debug.SetMaxConsoleLines(1 << 16);
    gDebugSystem = &debug;
    PosixFileSystem files(folder.Path().string());
    files.SetRootFolders("Assets");
    gFileSystem = &files;
    std::vector<std::string> problems = ContentLint::CheckGameContent(debug, "English");
    gFileSystem = nullptr;

    auto reported = [&](const std::string& problem) {
        return std::find(problems.begin(), problems.end(), problem) != problems.end();
    };
    EXPECT_TRUE(reported("Early: PerLevel names the later skill Late, which loading cannot see"));
    EXPECT_TRUE(reported("Early: Skill names the later skill Late, which loading cannot see"));
    EXPECT_TRUE(reported("Early: Skill names no skill Nothing"));
    EXPECT_TRUE(reported("Early: StatusEffect names no status effect Late"));
    EXPECT_TRUE(reported("Early: Linked names no skill Nobody"));
    EXPECT_TRUE(reported("Tree: Skill names no skill Ghost"));
    EXPECT_TRUE(reported("Hero: SkillTree names no skill tree NoTree"));
    EXPECT_TRUE(reported("Effect: PerLevel names the missing entry Gone"));
    for (const std::string& problem : problems) {
        EXPECT_FALSE(problem.starts_with("Late:")) << problem;
        EXPECT_EQ(problem.find("AuraStatusEffect"), std::string::npos) << problem;
    }
}

} // namespace
