// SkillListBaseTest -- a skill list built from a class's trees: positions, level stats, links, rebuilds, reuse timers and use checks.
#include "rules/CharacterClass.h"
#include "rules/skills/FakeSkillUser.h"
#include "rules/skills/SkillBase.h"
#include "rules/skills/SkillListBase.h"
#include "rules/skills/SkillWorld.h"

namespace {

const char* const kSkillListSkills = R"(
Basic { Type Skill | BasicSkill 1 }
Slash { Type Skill | Power 5 }
Follow { Type Skill | Linked Slash }
Twice { Type Skill }
StrongStep { Type Skill | PointsReq 5 }
Strong { Type Skill | PerLevel StrongStep | StatReq Strength | PointsReq 10 }
Blade { Type Skill | WeaponType WeaponSword | RequiresShield 1 | Power 50 }
Strike { Type Skill | NeedsEnemy 1 }
Sweep { Type Skill | NeedsEnemy 1 | AllEnemies 1 }
Sure { Type Skill | NeedsEnemy 1 | AlwaysWorks 1 }
First { Type SkillTree | Skill Basic | Skill Slash | Skill Twice }
Second { Type SkillTree | Skill Follow | Skill Nowhere | Skill Strong | Skill Twice }
Hero { Type Class | SkillTree First | SkillTree Missing | SkillTree Second }
Other { Type Class | SkillTree Second | StartStrength 12 | StartSpirit -3 | SpiritPerLevel 0.5 |
    StrengthPerLevel 30000000 | MinDamage 2 | MinDamagePerLevel 1.5 | ArmorPerLevel -0.75 |
    PrimaryColor 0.5 2 -1 | SecondaryColor 0.5 nothing }
)";

class TestSkillList : public SkillListBase {
public:
    int rebuilds = 0;

protected:
    std::unique_ptr<SkillBase> CreateSkill() override { return std::make_unique<SkillBase>(); }
    void AfterRebuild() override { ++rebuilds; }
};

class SkillListBaseTest : public SkillWorld {
protected:
    SkillListBaseTest() { LoadRecords(kSkillListSkills); }

    const CharacterClass* Class(std::string_view name) const { return gameData.FindCharacterClass(name); }

    FakeSkillUser owner;
    TestSkillList list;
};

TEST_F(SkillListBaseTest, RebuildPlacesEverySkillOfTheClassTrees)
{
    ASSERT_TRUE(list.Update(Class("Hero"), 0.0f, &owner));
    EXPECT_EQ(list.GetSkills().size(), 5u);
    EXPECT_EQ(list.FindSkill(0, 1)->definition, &Skill("Slash"));
    EXPECT_EQ(list.FindSkill(2, 2)->definition, &Skill("Strong"));
    EXPECT_EQ(list.FindSkill(1, 0), nullptr);
    EXPECT_EQ(list.FindSkill(2, 1), nullptr);
    // A skill in two places is one skill, at the last of them.
    EXPECT_EQ(list.FindSkill(0, 2), nullptr);
    EXPECT_EQ(list.FindSkillByName("Twice"), list.FindSkill(2, 3));
    EXPECT_EQ(list.FindSkillByName("twice"), nullptr);
    EXPECT_EQ(list.FindSkillByEntryIndex(Skill("Slash").GetEntry()->GetId()), list.FindSkill(0, 1));
    EXPECT_EQ(list.FindSkill(2, 0)->parent, list.FindSkill(0, 1));
    EXPECT_EQ(list.FindSkill(0, 1)->owner, &owner);
}

TEST_F(SkillListBaseTest, LevelStatsFollowTreeAndIndexAndLinks)
{
    const std::tuple<int32_t, int32_t, int32_t> slots[] = {{2, 4, 44}, {0, 0, 10}, {3, 14, 69}, {4, 0, 0}, {0, 15, 0}};
    for (auto [tree, index, slot] : slots) {
        list.Clear();
        EXPECT_EQ(list.AddSkill(&Skill("Slash"), &owner, tree, index)->GetSlotNumber(), slot);
    }
    EXPECT_EQ(list.AddSkill(&Skill("Basic"), &owner, 0, 0)->GetSlotNumber(), 0);
    EXPECT_EQ(list.AddSkill(nullptr, &owner, 0, 1), nullptr);

    list.Update(Class("Hero"), 0.0f, &owner);
    owner.stats[CharacterStat::Skill2] = 3;
    EXPECT_EQ(list.FindSkill(0, 1)->GetLevel(), 3);
    EXPECT_EQ(list.FindSkill(2, 0)->GetSlotNumber(), CharacterStat::Skill2);
    EXPECT_EQ(list.FindSkill(2, 0)->GetLevel(), 3);
    EXPECT_EQ(list.FindSkill(0, 0)->GetLevel(), 1);
    owner.stats[CharacterStat::Strength] = 20;
    EXPECT_EQ(list.FindSkill(2, 2)->GetLevel(), 3);
}

TEST_F(SkillListBaseTest, LinksThatLoopHaveNoLevelStat)
{
    list.Update(Class("Hero"), 0.0f, &owner);
    SkillBase* slash = list.FindSkill(0, 1);
    slash->parent = list.FindSkill(2, 0);
    EXPECT_EQ(slash->GetSlotNumber(), 0);
    EXPECT_EQ(slash->GetLevel(), 0);
}

// Class values at a level truncate toward zero; levels past MaxLevel (100) count as MaxLevel and
// products past the int32 range saturate. Colours keep to 0..1; a short one is logged and black.
TEST_F(SkillListBaseTest, ClassStartAndLevelValuesTruncateClampAndSaturate)
{
    const CharacterClass& other = *Class("Other");
    struct Case {
        int32_t level;
        int32_t strength;
        int32_t spirit;
        int32_t minDamage;
        int32_t armor;
    };
    const Case cases[] = {
        {0, 12, -3, 2, 0}, {1, 30000012, -2, 3, 0}, {3, 90000012, -1, 6, -2}, {-4, 12, -3, 2, 0},
        {INT32_MAX, INT32_MAX, 47, 152, -75},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(other.GetAttributeAtLevel(0, c.level), c.strength) << c.level;
        EXPECT_EQ(other.GetAttributeAtLevel(4, c.level), c.spirit) << c.level;
        EXPECT_EQ(other.minDamage.At(c.level), c.minDamage) << c.level;
        EXPECT_EQ(other.armor.At(c.level), c.armor) << c.level;
    }
    EXPECT_EQ(other.GetAttributeAtLevel(5, 1), 0);
    EXPECT_EQ(other.startAttributes[0], 12);
    EXPECT_EQ(Class("Hero")->maxDamage.At(9), 0);
    EXPECT_EQ(other.primaryColor.r, 0.5f);
    EXPECT_EQ(other.primaryColor.g, 1.0f);
    EXPECT_EQ(other.primaryColor.b, 0.0f);
    EXPECT_EQ(other.secondaryColor.r, 0.0f);
    EXPECT_EQ(CountLogged("^c005Class Other: SecondaryColor needs three numbers\n"), 1);
}

TEST_F(SkillListBaseTest, RebuildsOnlyWhenTheClassChangesAndTheListIsNotFixed)
{
    EXPECT_FALSE(list.Update(nullptr, 0.0f, &owner));
    EXPECT_TRUE(list.Update(Class("Hero"), 0.0f, &owner));
    EXPECT_FALSE(list.Update(Class("Hero"), 0.0f, &owner));
    EXPECT_EQ(list.rebuilds, 1);
    EXPECT_TRUE(list.Update(Class("Other"), 0.0f, &owner));
    EXPECT_EQ(list.GetSkills().size(), 3u);
    EXPECT_EQ(list.FindSkill(0, 0)->definition, &Skill("Follow"));
    EXPECT_EQ(list.FindSkill(0, 0)->parent, nullptr);

    TestSkillList fixed;
    fixed.fixed = true;
    EXPECT_FALSE(fixed.Update(Class("Hero"), 0.0f, &owner));
    EXPECT_TRUE(fixed.GetSkills().empty());
}

TEST_F(SkillListBaseTest, ReuseTimerCountsDownToZeroAndKeepsRunning)
{
    list.Update(Class("Hero"), 0.0f, &owner);
    SkillBase* slash = list.FindSkill(0, 1);
    EXPECT_TRUE(slash->IsReady());
    slash->reuseTimer.running = 1;
    slash->reuseTimer.remaining = 0.3f;
    EXPECT_FALSE(slash->IsReady());
    list.Update(Class("Hero"), 0.5f, &owner);
    EXPECT_FLOAT_EQ(slash->GetRemainingReuseTime(), 0.0f);
    EXPECT_TRUE(slash->IsReady());
    EXPECT_TRUE(slash->reuseTimer.running);
    EXPECT_FLOAT_EQ(slash->GetReuseFraction(), 0.0f);
}

TEST_F(SkillListBaseTest, EquipmentIsCheckedBeforeAnythingElse)
{
    SkillBase* blade = list.AddSkill(&Skill("Blade"), &owner, 0, 0);
    IntArray stats = Stats();
    EXPECT_EQ(blade->CanUse(&owner, stats, nullptr, 0), SkillUse::MissingEquipment);
    owner.Hold(EquipedLocation::HandPrimary, ItemRequirement::WeaponSword);
    EXPECT_EQ(blade->CanUse(&owner, stats, nullptr, 0), SkillUse::MissingEquipment);
    owner.Hold(EquipedLocation::HandSecondary, ItemRequirement::Shield);
    EXPECT_EQ(blade->CanUse(&owner, stats, nullptr, 0), SkillUse::NotEnoughPower);
    owner.Hold(EquipedLocation::HandPrimary, ItemRequirement::WeaponAxe);
    EXPECT_FALSE(blade->HasRequiredEquipment(&owner));
}

TEST_F(SkillListBaseTest, OnlyAnEnemySkillThatPicksOneTargetableFoeIsASingleEnemyAttack)
{
    FakeSkillUser foe, shrouded;
    shrouded.targetable = false;
    struct Case {
        const char* skill;
        const FakeSkillUser* target;
        bool single;
    };
    const Case cases[] = {{"Strike", nullptr, true}, {"Strike", &foe, true},     {"Strike", &shrouded, false},
                          {"Sweep", &foe, false},    {"Sure", &foe, false},      {"Slash", &foe, false}};
    for (const Case& c : cases) {
        SkillBase skill;
        skill.definition = &Skill(c.skill);
        EXPECT_EQ(skill.IsSingleEnemyAttack(c.target), c.single) << c.skill << (c.target ? " at a foe" : "");
    }
    EXPECT_FALSE(SkillBase().IsSingleEnemyAttack(nullptr)) << "no definition";
}

TEST_F(SkillListBaseTest, CostsAndTheSkillWantingAStat)
{
    list.Update(Class("Hero"), 0.0f, &owner);
    IntArray stats = Stats();
    stats.Set(CharacterStat::Strength, 12);
    owner.stats[CharacterStat::Strength] = 12;
    EXPECT_EQ(list.FindSkillWantingStat(stats, CharacterStat::Strength), list.FindSkill(2, 2));
    EXPECT_EQ(list.FindSkillWantingStat(stats, CharacterStat::Dexterity), nullptr);
    EXPECT_EQ(list.FindSkill(2, 2)->GetCostForLevel(2), 0);
}

} // namespace
