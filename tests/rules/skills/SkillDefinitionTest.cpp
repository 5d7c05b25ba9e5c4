// SkillDefinitionTest -- skill values per level, levels from stat points, the use checks in their order, range and sight.
#include "rules/StatPairList.h"
#include "rules/skills/FakeSkillUser.h"
#include "rules/skills/SkillTree.h"
#include "rules/skills/SkillWorld.h"

namespace {

const char* const kSkillDefinitionSkills = R"(
Increments { Type Skill | Power 2 | MinDamage 1 | MaxDamage 2 | ReuseTime 0.5 | StatChangeArmor 3 |
    StatMultArmor 0.1 | DamageMultFire 0.05 | DynamicStatMultCriticalHit 0.1 | PointsReq 5 }
Bolt { Type Skill | PerLevel Increments | Power 10 | MinDamage 4 | MaxDamage 8 | DamageType Fire | ReuseTime 2 |
    StatChangeArmor 5 | StatMultArmor 0.2 | DamageMultFire 0.5 | DynamicStatMultCriticalHit 0.2 | StatReq Strength |
    PointsReq 10 | MaxSkillLevel 3 }
Forward { Type Skill | PerLevel Later | Skill Later | Skill Bolt }
Later { Type Skill | Power 100 }
AllTypes { Type Skill | DamageMultAll 2 | DamageMultFire 5 | StatMultArmor 1.5 | StatMultDefense 0.0004 |
    Explosion 0 | ExplosionDamage 50 | Heal 20 | HealPercent 0.15 }
Ranged { Type Skill | NeedsEnemy 1 | CombatOnly 1 | Power 5 | MinRange 2 | MaxRange 10 | LineOfSightDegrees 90 |
    RequiredEntityState-One Block | RequiredEntityState-One Dodge | RequiredEntityState-All HasEnemies }
Fight { Type Skill | CombatOnly 1 }
Arrow { Type Skill | DamageType Poison | ProjMinDamage 1 | ProjMaxDamage 3 | ProjDamageType Cold }
Tree { Type SkillTree | Skill Bolt | Skill Missing | Skill Later }
SteepIncrements { Type Skill | Power 30000000 | StatChangeArmor -30000000 }
Steep { Type Skill | PerLevel SteepIncrements | Power 7 | StatChangeArmor 1 | BaseCost 5 |
    CostIncreasePerLevel 2000000000 }
)";

class SkillDefinitionTest : public SkillWorld {
protected:
    SkillDefinitionTest() { LoadRecords(kSkillDefinitionSkills); }
};

TEST_F(SkillDefinitionTest, PerLevelRuleAddsIncrementsFromLevelTwo)
{
    const SkillDefinition& bolt = Skill("Bolt");
    EXPECT_EQ(bolt.GetPowerAtLevel(0), 10);
    EXPECT_EQ(bolt.GetPowerAtLevel(1), 10);
    EXPECT_EQ(bolt.GetPowerAtLevel(3), 14);
    EXPECT_FLOAT_EQ(bolt.GetReuseTimeAtLevel(3), 3.0f);
    EXPECT_EQ(bolt.GetStatChangeAtLevel(CharacterStat::Armor, 3), 11);
    EXPECT_FLOAT_EQ(bolt.GetStatMultAtLevel(CharacterStat::Armor, 0), 1.0f);
    EXPECT_FLOAT_EQ(bolt.GetStatMultAtLevel(CharacterStat::Armor, 1), 0.2f);
    EXPECT_FLOAT_EQ(bolt.GetStatMultAtLevel(CharacterStat::Armor, 3), 0.4f);
    EXPECT_FLOAT_EQ(bolt.GetStatMultAtLevel(CharacterStat::Defense, 3), 0.0f);
    EXPECT_FLOAT_EQ(bolt.GetDamageMultAtLevel(DamageType::Fire, 3), 0.6f);
    EXPECT_FLOAT_EQ(bolt.GetDynamicStatMultAtLevel(DynamicStat::CriticalHit, 3), 0.4f);
    StatPairList damage;
    bolt.AddDamageAtLevel(damage, 3);
    bolt.AddDamageAtLevel(damage, 1);
    ASSERT_EQ(damage.GetCount(), 1);
    EXPECT_EQ(damage.GetPairs()[0].key, DamageType::Fire);
    EXPECT_FLOAT_EQ(damage.GetPairs()[0].a, 10.0f);
    EXPECT_FLOAT_EQ(damage.GetPairs()[0].b, 20.0f);
    EXPECT_EQ(Skill("Later").GetPowerAtLevel(7), 100);
}

// A level from a save is taken into 0..MaxLevel (100 here) and the per-level sums saturate
// instead of wrapping.
TEST_F(SkillDefinitionTest, LevelsAreClampedAndPerLevelSumsSaturate)
{
    struct Case {
        int32_t level;
        int32_t power;
        int32_t armor;
        int32_t cost;
    };
    const Case cases[] = {
        {INT32_MIN, 7, 1, 5},
        {-1, 7, 1, 5},
        {1, 7, 1, 2000000005},
        {2, 30000007, -29999999, INT32_MAX},
        {72, 2130000007, -2129999999, INT32_MAX},
        {73, INT32_MAX, INT32_MIN, INT32_MAX},
        {INT32_MAX, INT32_MAX, INT32_MIN, INT32_MAX},
    };
    const SkillDefinition& steep = Skill("Steep");
    for (const Case& c : cases) {
        EXPECT_EQ(steep.GetPowerAtLevel(c.level), c.power) << c.level;
        EXPECT_EQ(steep.GetStatChangeAtLevel(CharacterStat::Armor, c.level), c.armor) << c.level;
        EXPECT_EQ(steep.GetCostForLevel(c.level), c.cost) << c.level;
    }
    EXPECT_FLOAT_EQ(Skill("Bolt").GetReuseTimeAtLevel(INT32_MAX), 2.0f + 99 * 0.5f);
}

TEST_F(SkillDefinitionTest, LoadingSeesOnlyEarlierSkills)
{
    const SkillDefinition& forward = Skill("Forward");
    EXPECT_EQ(forward.GetPerLevel(), nullptr);
    ASSERT_EQ(forward.enhancedSkills.size(), 1u);
    EXPECT_EQ(forward.enhancedSkills[0], &Skill("Bolt"));
    EXPECT_TRUE(forward.IsEnhancedBy(&Skill("Bolt"), nullptr));
    EXPECT_FALSE(forward.IsEnhancedBy(&Skill("Later"), nullptr));
    EXPECT_TRUE(Skill("Bolt").IsEnhancedBy(nullptr, nullptr));
    // The list's positions are database order; names ignore case.
    const std::pair<const char*, int32_t> positions[] = {{"Increments", 0}, {"bolt", 1}, {"Later", 3}, {"Nowhere", -1}};
    for (auto [name, index] : positions)
        EXPECT_EQ(gameData.FindSkillDefinitionIndex(name), index) << name;
}

TEST_F(SkillDefinitionTest, StoredValuesAndTheirSpecialRules)
{
    const SkillDefinition& all = Skill("AllTypes");
    for (int32_t type = 0; type < DamageType::kCount; ++type)
        EXPECT_FLOAT_EQ(all.GetDamageMultAtLevel(type, 1), 2.0f);
    EXPECT_EQ(all.statMult.Get(CharacterStat::Armor), 1500);
    EXPECT_FLOAT_EQ(all.GetStatMultAtLevel(CharacterStat::Armor, 1), 1.5f);
    EXPECT_FLOAT_EQ(all.GetStatMultAtLevel(CharacterStat::Defense, 1), 0.0f);
    EXPECT_EQ(all.explosionDamage, 0);
    EXPECT_EQ(all.GetHealAtLevel(1, std::nullopt), 20);
    EXPECT_EQ(all.GetHealAtLevel(1, 99), 34);
    // The main damage type: the direct damage's, else the projectile's, else physical.
    const std::pair<const char*, int32_t> mainTypes[] = {
        {"Bolt", DamageType::Fire}, {"Arrow", DamageType::Cold}, {"Fight", DamageType::Physical}};
    for (auto [name, type] : mainTypes)
        EXPECT_EQ(Skill(name).GetMainDamageType(), type) << name;
}

TEST_F(SkillDefinitionTest, UnknownTreeSkillKeepsItsPosition)
{
    const SkillTree* tree = gameData.FindSkillTree("Tree");
    ASSERT_NE(tree, nullptr);
    ASSERT_EQ(tree->skills.size(), 3u);
    EXPECT_EQ(tree->GetSkill(0), &Skill("Bolt"));
    EXPECT_EQ(tree->GetSkill(1), nullptr);
    EXPECT_EQ(tree->GetSkill(2), &Skill("Later"));
    EXPECT_EQ(tree->GetSkill(3), nullptr);
}

TEST_F(SkillDefinitionTest, LevelFromStatPointsIsCappedAndMissingPointsCountToTheNextLevel)
{
    const SkillDefinition& bolt = Skill("Bolt");
    const std::pair<int32_t, int32_t> pointsToLevel[] = {{9, 0}, {10, 1}, {14, 1}, {15, 2}, {40, 3}};
    for (auto [points, level] : pointsToLevel)
        EXPECT_EQ(bolt.GetLevelForPoints(points), level) << points;
    IntArray stats = Stats();
    stats.Set(CharacterStat::Strength, 12);
    EXPECT_EQ(bolt.GetLevelFromStats(stats, CharacterStat::Skill1), 1);
    EXPECT_EQ(bolt.GetMissingRequirementPoints(1, stats), 3);
    EXPECT_EQ(bolt.GetMissingRequirementPoints(0, stats), 0);
    stats.Set(CharacterStat::Skill1, 4);
    EXPECT_EQ(Skill("Later").GetLevelFromStats(stats, CharacterStat::Skill1), 4);
}

TEST_F(SkillDefinitionTest, UseChecksAnswerInTheirOrder)
{
    const SkillDefinition& ranged = Skill("Ranged");
    EXPECT_EQ(ranged.requiredStatesOne, 9u);
    FakeSkillUser user, foe, friendly;
    user.enemies.insert(&foe);
    foe.position = {100.0f, 0.0f};
    IntArray stats = Stats();
    uint32_t fitting = (1u << EntityState::Dodge) | (1u << EntityState::HasEnemies);

    stats.Set(CharacterStat::Power, 4);
    EXPECT_EQ(ranged.CheckUse(stats, 1, &user, &foe, fitting), SkillUse::NotEnoughPower);
    stats.Set(CharacterStat::Power, 5);
    EXPECT_EQ(ranged.CheckUse(stats, 1, &user, nullptr, fitting), SkillUse::NoEnemyTarget);
    EXPECT_EQ(ranged.CheckUse(stats, 1, &user, &friendly, fitting), SkillUse::NoEnemyTarget);
    EXPECT_EQ(ranged.CheckUse(stats, 1, &user, &foe, 1u << EntityState::Evade), SkillUse::StatesNotMet);
    EXPECT_EQ(ranged.CheckUse(stats, 1, &user, &foe, 1u << EntityState::Dodge), SkillUse::StatesNotMet);
    EXPECT_EQ(ranged.CheckUse(stats, 1, &user, &foe, fitting), SkillUse::OutOfRangeOrSight);
    foe.position = {5.0f, 0.0f};
    EXPECT_EQ(ranged.CheckUse(stats, 1, &user, &foe, fitting), SkillUse::Usable);
    EXPECT_EQ(Skill("Fight").CheckUse(stats, 1, &user, nullptr, 0), SkillUse::NoCombatTarget);
}

TEST_F(SkillDefinitionTest, HostAcceptsTheWholeRangeAndTheClientAsksWellInsideIt)
{
    const SkillDefinition& ranged = Skill("Ranged");
    FakeSkillUser user, foe;
    user.radius = 1.0f;
    foe.radius = 1.0f;
    const std::tuple<float, bool, bool> cases[] = {{1.9f, false, false}, {2.0f, true, false}, {2.5f, true, true},
                                                   {7.5f, true, true},   {7.6f, true, false}, {10.0f, true, false},
                                                   {10.1f, false, false}};
    for (auto [gap, host, client] : cases) {
        foe.position = {gap + 2.0f, 0.0f};
        EXPECT_EQ(ranged.IsTargetInRangeAndSight(&user, &foe), host) << gap;
        EXPECT_EQ(ranged.IsTargetWellInRange(&user, &foe), client) << gap;
    }
    EXPECT_FALSE(ranged.IsTargetInRangeAndSight(&user, nullptr));
    EXPECT_FALSE(ranged.IsTargetWellInRange(nullptr, &foe));
}

TEST_F(SkillDefinitionTest, SightConeIsHalfTheAngleEitherSideOfTheFacing)
{
    const SkillDefinition& ranged = Skill("Ranged");
    FakeSkillUser user, foe;
    user.direction = 0;  // facing +y
    foe.position = {3.0f, 3.1f};
    EXPECT_TRUE(ranged.IsTargetInRangeAndSight(&user, &foe));
    foe.position = {3.1f, 3.0f};
    EXPECT_FALSE(ranged.IsTargetInRangeAndSight(&user, &foe));
    user.direction = 1;  // a diagonal counts as a unit vector
    EXPECT_TRUE(ranged.IsTargetInRangeAndSight(&user, &foe));
    foe.position = {0.0f, -5.0f};
    EXPECT_FALSE(ranged.IsTargetInRangeAndSight(&user, &foe));
}

} // namespace
