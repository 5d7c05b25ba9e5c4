// SkillLintTest -- the content lint finds skill names looked up before they load and names that lead nowhere.
#include "rules/PlantedGame.h"
#include "rules/skills/SkillWorld.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace {

const char* const kSkillLintRecords = R"(
Early { Type Skill | PerLevel Late | Skill Late | Skill Nothing | StatusEffect Late | Linked Nobody }
Late { Type Skill | PerLevel Early | Skill Early | StatusEffect Effect | Linked Early }
Tree { Type SkillTree | Skill Late | Skill Ghost }
Hero { Type Class | SkillTree Tree | SkillTree NoTree }
Effect { Type StatusEffect | PerLevel Gone | Aura 1 | AuraStatusEffect Effect | EffectType OnlyOne }
Shown { Type Skill | Name "x" | TextureName "textures/icons/here.tga" }
Blank { Type Skill | Name "x" }
Lost { Type StatusEffect | Name "x" | TextureName "textures/icons/gone.tga" }
)";

TEST(SkillLint, ReportsForwardAndDanglingNames)
{
    TempFolder folder;
    WritePlantedGame(folder, ExpandRecords(kSkillLintRecords), "");
    folder.Write("Assets/textures/icons/here.tga", "icon");
    std::vector<std::string> problems = LintGameFolder(folder.Path().string());

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
    // Only what the player sees by name needs an icon, and the icon must be a file.
    EXPECT_TRUE(reported("Blank: TextureName is empty"));
    EXPECT_TRUE(reported("Lost: TextureName names the missing file textures/icons/gone.tga"));
    for (const std::string& problem : problems) {
        EXPECT_FALSE(problem.starts_with("Shown:")) << problem;
        EXPECT_FALSE(problem.starts_with("Effect: TextureName")) << problem;
    }
    for (const std::string& problem : problems) {
        EXPECT_FALSE(problem.starts_with("Late:")) << problem;
        EXPECT_EQ(problem.find("AuraStatusEffect"), std::string::npos) << problem;
    }
}

} // namespace
