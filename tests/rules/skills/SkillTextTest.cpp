// SkillTextTest -- the skill tooltip's parts in their order, the state lists, the maxed and unlearned notes and the cost texts.
#include "core/LocSystem.h"
#include "rules/skills/SkillText.h"
#include "rules/skills/SkillWorld.h"

namespace {

const char* const kSkillTextSkills = R"(
Unlearned { Type Skill | BaseName "$$U$$" | Desc "$$UD$$" | NeedsEnemy 1 | MinRange 32 | MaxRange 160 | Power 4 |
    Heal 10 | BaseCost 2 | CostIncreasePerLevel 3 | MaxSkillLevel 5 }
Basic { Type Skill | BaseName "$$B$$" | BasicSkill 1 }
Distracted { Type Skill | RequiredEntityState-One EnemyMinorDistraction |
    RequiredEntityState-One EnemyDecentDistraction | RequiredEntityState-One EnemyMajorDistraction }
AnyOfThree { Type Skill | RequiredEntityState-One Hit | RequiredEntityState-One Block |
    RequiredEntityState-One Dodge }
VeteranStep { Type Skill | PointsReq 5 }
Veteran { Type Skill | PerLevel VeteranStep | StatReq Level | PointsReq 5 }
)";

class SkillTextTest : public SkillWorld {
protected:
    SkillTextTest() { gLocSystem = &loc; }
    ~SkillTextTest() override { gLocSystem = nullptr; }

    std::string Describe(std::string_view name)
    {
        std::string text;
        GetDescription(Skill(name), stats, nullptr, CharacterStat::Skill1, false, text);
        return text;
    }

    LocSystem loc;
    IntArray stats = Stats();
};

TEST_F(SkillTextTest, UnlearnedSkillShowsItsFirstLevelAndWhatThatCosts)
{
    LoadRecords(kSkillTextSkills);
    EXPECT_EQ(Describe("Unlearned"),
              "^f007$$U$$\n\n$$UD$$\n\n$$PowerNeededX~<$$Power$$@@4@@>~$$\n$$TargetCurrentEnemy$$\n"
              "$$RangeInFeet~<2@@10@@>~$$\n\n^c001$$DontHaveThisSkill$$\n^c145"
              "\n$$AtNextSkillLevel$$ (1)\n$$Healing$$: 10\n$$MaxSkillLevel$$: 5\n"
              "$$CostForNextPoint$$: ^c001\n  $$SkillPoints$$: 2^c145^c001\n  $$Money$$: ^c02620$$CP$$^c145^c145");
}

TEST_F(SkillTextTest, BasicSkillIsMaxedAtLevelOne)
{
    LoadRecords(kSkillTextSkills);
    EXPECT_EQ(Describe("Basic"), "^f007$$B$$\n\n$$PowerNeededX~<$$Power$$@@0@@>~$$\n\n"
                                 "$$AtCurrentSkillLevel$$ (1)\n^c061\n$$SkillMaxed$$^c145");
}

TEST_F(SkillTextTest, WithoutDetailsOnlyHeadingDescriptionAndCost)
{
    LoadRecords(kSkillTextSkills, "ShowSkillDetails 0");
    stats.Set(CharacterStat::SkillPointsLeft, 2);
    stats.Set(CharacterStat::Money, 20);
    EXPECT_EQ(Describe("Unlearned"), "^f007$$U$$\n\n$$UD$$\n\n$$CostForNextPoint$$: ^c002\n  $$SkillPoints$$: 2^c145"
                                     "^c002\n  $$Money$$: ^c02620$$CP$$^c145^c145");
}

TEST_F(SkillTextTest, StateListsNameTheWeakestDistractionAndBreakLongLists)
{
    LoadRecords(kSkillTextSkills);
    std::string distracted = Describe("Distracted");
    EXPECT_NE(distracted.find("\n$$Requires$$: $$AtLeast$$ $$EnemyMinorDistraction$$\n^c001"),
              std::string::npos)
        << distracted;
    std::string three = Describe("AnyOfThree");
    EXPECT_NE(three.find("\n$$RequiresOne$$: $$Block$$, $$Dodge$$,\n  $$or$$ $$Hit$$\n"), std::string::npos) << three;
}

TEST_F(SkillTextTest, MissingLevelsTakeThePluralEnding)
{
    LoadRecords(kSkillTextSkills);
    std::string text;
    stats.Set(CharacterStat::Level, 2);
    AppendCostForNextPoint(Skill("Veteran"), stats, CharacterStat::Skill1, false, text);
    EXPECT_EQ(text, "$$CostForNextPoint$$: ^c001$$XMoreStatRequired~<3@@$$Level$$@@>~$$s^c145");
    text.clear();
    stats.Set(CharacterStat::Level, 9);
    AppendCostForNextPoint(Skill("Veteran"), stats, CharacterStat::Skill1, false, text);
    EXPECT_EQ(text, "$$CostForNextPoint$$: ^c001$$XMoreStatRequired~<1@@$$Level$$@@>~$$^c145");
}

TEST_F(SkillTextTest, LoweringCostsThreeTimesTheMoneyOfThePointsRegained)
{
    LoadRecords(kSkillTextSkills);
    std::string text;
    stats.Set(CharacterStat::Skill1, 2);
    stats.Set(CharacterStat::Money, 150);
    AppendCostToDecrease(Skill("Unlearned"), stats, CharacterStat::Skill1, text);
    EXPECT_EQ(text, "$$CostToDecrease$$:^c002\n  $$Money$$: ^c1281$$SP$$ ^c145^c02650$$CP$$^c145^c145"
                    "\n  $$SkillPointsRegained$$: 5");
}

} // namespace
