// ContentLintTest -- the shipped game folder loads without a problem, and planted faults of each kind are reported.
#include "rules/PlantedGame.h"
#include "support/ShippedGame.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace {

bool Reported(const std::vector<std::string>& problems, std::string_view part)
{
    return std::any_of(problems.begin(), problems.end(),
                       [&](const std::string& problem) { return problem.find(part) != std::string::npos; });
}

TEST(ContentLint, ShippedGameHasNoProblems)
{
    ASSERT_FALSE(ShippedGameFolder().empty()) << "EMBERLODE_GAME_DIR not set";
    std::vector<std::string> problems = LintGameFolder(ShippedGameFolder());
    for (const std::string& problem : problems)
        ADD_FAILURE() << problem;
}

TEST(ContentLint, ReportsEachKindOfPlantedFault)
{
    TempFolder folder;
    WritePlantedGame(folder, "// $$InAComment$$ is no use of a text\n"
                             "GameSystem\n{\n Type Info\n Version \"$$Known$$ $$Unknown~<$$Nested$$@@>~$$\"\n"
                             " ItemTypeColorHead Mauve\n}\n"
                             "Orphan\n{\n Base Nowhere\n Type Item\n}\n");
    std::vector<std::string> problems = LintGameFolder(folder.Path().string());
    EXPECT_TRUE(Reported(problems, "Database entry Orphan: base Nowhere not found"));
    EXPECT_TRUE(Reported(problems, "Unknown ColorType name Mauve"));
    EXPECT_TRUE(Reported(problems, "game.dbr: $$Unknown$$ has no text"));
    EXPECT_TRUE(Reported(problems, "game.dbr: $$Nested$$ has no text"));
    EXPECT_TRUE(Reported(problems, "GameSystem: GameName is empty"));
    EXPECT_FALSE(Reported(problems, "Known"));
    EXPECT_FALSE(Reported(problems, "InAComment"));
    EXPECT_FALSE(Reported(problems, "Version is empty"));

    folder.Write("Assets/Database/game.dbr", "Sword { Type Item }\n");
    EXPECT_TRUE(Reported(LintGameFolder(folder.Path().string()), "The record GameSystem is missing"));
}

TEST(ContentLint, ReportsEntityLinksThatLeadNowhere)
{
    TempFolder folder;
    WritePlantedGame(folder, "GameSystem\n{\n GameName \"g\"\n Version \"v\"\n LevelUpEffect \"Effects/gone.mdl\"\n}\n"
                             "Sword\n{\n Type Item\n}\n"
                             "Boost\n{\n Type StatusEffect\n}\n"
                             "Hook\n{\n Type Attachment\n Alternative \"models/none.mdl weapon\"\n}\n"
                             "Crate\n{\n UseStatusEffect Sword\n Attachment Nothing\n Attachment Hook\n}\n"
                             "Barrel\n{\n UseStatusEffect Boost\n Attachment Hook\n}\n");
    std::vector<std::string> problems = LintGameFolder(folder.Path().string());
    EXPECT_TRUE(Reported(problems, "Crate: UseStatusEffect names no status effect Sword"));
    EXPECT_TRUE(Reported(problems, "Crate: Attachment names no attachment record Nothing"));
    EXPECT_TRUE(Reported(problems, "Hook: Alternative names the missing model models/none.mdl"));
    EXPECT_TRUE(Reported(problems, "GameSystem: LevelUpEffect names the missing model Effects/gone.mdl"));
    EXPECT_FALSE(Reported(problems, "Barrel"));
    EXPECT_FALSE(Reported(problems, "attachment record Hook"));
}

TEST(ContentLint, ReportsAurasThatPileUpAndEffectSkillsThatLeadNowhere)
{
    TempFolder folder;
    WritePlantedGame(folder, "GameSystem\n{\n GameName \"g\"\n Version \"v\"\n}\n"
                             "Blister\n{\n Type StatusEffect\n TotalTime 2\n}\n"
                             "Singe\n{\n Type StatusEffect\n EffectType OnlyOne\n GroupName \"S\"\n}\n"
                             "Pyre\n{\n Type StatusEffect\n Aura 1\n AuraStatusEffect Blister\n}\n"
                             "Hearth\n{\n Type StatusEffect\n Aura 1\n AuraStatusEffect Singe\n}\n"
                             "Sting\n{\n Type Skill\n}\n"
                             "Spite\n{\n Type StatusEffect\n WhenHitSkill Sting\n OnHitSkill Nothing\n}\n");
    std::vector<std::string> problems = LintGameFolder(folder.Path().string());
    EXPECT_TRUE(Reported(problems, "Pyre: AuraStatusEffect Blister is of the Normal type"));
    EXPECT_FALSE(Reported(problems, "Hearth"));
    EXPECT_TRUE(Reported(problems, "Spite: OnHitSkill names no skill Nothing"));
    EXPECT_FALSE(Reported(problems, "WhenHitSkill"));
}

} // namespace

TEST(ContentLint, ReportsCovenantsThatCannotWeighADeal)
{
    TempFolder folder;
    WritePlantedGame(folder, "GameSystem\n{\n GameName \"g\"\n Version \"v\"\n}\n"
                             "CovenantDefaultsPlanted\n{\n Type Covenant\n BaseOnly 1\n Name \"$$Known$$\"\n"
                             " GenericValueChunkPercent 0.05\n MinComparisionCrystals 50\n"
                             " MinComparisionInfluenceNumKills 5\n}\n"
                             "CovenantSound\n{\n Base CovenantDefaultsPlanted\n}\n"
                             "CovenantFlat\n{\n Base CovenantDefaultsPlanted\n GenericValueChunkPercent 0\n"
                             " MinComparisionCrystals 0\n}\n"
                             "CovenantBare\n{\n Type Covenant\n Name \"$$Known$$\"\n GenericValueChunkPercent -0.1\n"
                             " MinComparisionCrystals 1\n}\n");
    std::vector<std::string> problems = LintGameFolder(folder.Path().string());
    EXPECT_TRUE(Reported(problems, "CovenantFlat: GenericValueChunkPercent is not above 0"));
    EXPECT_TRUE(Reported(problems, "CovenantFlat: MinComparisionCrystals is below 1"));
    EXPECT_FALSE(Reported(problems, "CovenantFlat: MinComparisionInfluenceNumKills"));
    EXPECT_TRUE(Reported(problems, "CovenantBare: GenericValueChunkPercent is not above 0"));
    EXPECT_TRUE(Reported(problems, "CovenantBare: MinComparisionInfluenceNumKills is below 1"));
    EXPECT_FALSE(Reported(problems, "CovenantBare: MinComparisionCrystals"));
    EXPECT_TRUE(Reported(problems, "CovenantBare: SmallCrestName is empty"));
    for (const char* key : {"GenericValueChunkPercent", "MinComparision"}) {
        EXPECT_FALSE(Reported(problems, std::string("CovenantSound: ") + key));
        EXPECT_FALSE(Reported(problems, std::string("CovenantDefaultsPlanted: ") + key));
    }
}
