// StatusEffectBaseTest -- level scaling, reloads, stacking groups, strength and worth of status effects.
#include "rules/skills/SkillWorld.h"

#include <cmath>

namespace {

const char* const kStatusEffectBaseEffects = R"(
Poison { Type StatusEffect | Name "$$Poison$$" | PerLevel PoisonPerLevel | HealthChange -3 | TotalTime 8 |
    TickTime 1 | StatChangeStrength -2 | DamageOnHit 4 }
PoisonPerLevel { Type StatusEffect | BaseOnly 1 | HealthChange -1.5 | TotalTime 2 | StatChangeStrength -1 |
    DamageOnHit 1 }
Plain { Type StatusEffect | HealthChange 5 | StatChangeArmor 7 }
Percents { Type StatusEffect | StatMultArmor 0.7 | StatMultDefense -0.2 | HealthChangePercent 5 |
    DamageOnHitPercent 0.05 | LifeSteal 25 }
NoAura { Type StatusEffect | Aura 0 | AuraStatusEffect Plain | AuraDistance 99 }
States { Type StatusEffect | EntityState Block | EntityState Dodge | EntityState Sideways }
Grouped { Type StatusEffect | GroupName "Slow" }
GroupedToo { Type StatusEffect | GroupName "Slow" }
GroupedOtherCase { Type StatusEffect | GroupName "slow" }
Exact { Type StatusEffect | EffectType OnlyOneExact | GroupName "Slow" }
Worth { Type StatusEffect | TotalTime 120 | TickTime 10 | HealthChange 2 | StatChangeStrength 3 |
    StatChangeResistanceFire 4 | StatChangeMagicChance 5 }
Endless { Type StatusEffect | Forever 1 | HealthChange 2 }
SteepPerLevel { Type StatusEffect | BaseOnly 1 | DamageOnHit 30000000 | StatChangeArmor -30000000 }
Steep { Type StatusEffect | PerLevel SteepPerLevel | DamageOnHit 1 | StatChangeArmor 1 }
)";

class StatusEffectBaseTest : public SkillWorld {
protected:
    StatusEffectBaseTest()
    {
        LoadRecords(kStatusEffectBaseEffects, "ValueEachPointHealthChangeOverTime 0.5\nValueEachPointTemporaryAttribute 2\n"
                              "ValueEachPointTemporaryResistance 1\nValueEachPointTemporaryMagicChance 3");
    }
};

TEST_F(StatusEffectBaseTest, PerLevelRecordScalesAboveLevelOne)
{
    StatusEffectBase one, three, plain;
    SetEffect(one, "Poison", 1);
    SetEffect(three, "Poison", 3);
    EXPECT_FLOAT_EQ(one.healthChange, -3.0f);
    EXPECT_FLOAT_EQ(three.healthChange, -6.0f);
    EXPECT_FLOAT_EQ(three.totalTime, 12.0f);
    EXPECT_EQ(one.statChange.Get(CharacterStat::Strength), -2);
    EXPECT_EQ(three.statChange.Get(CharacterStat::Strength), -4);
    EXPECT_EQ(three.damageOnHit, 6);
    EXPECT_FLOAT_EQ(three.tickTime, 1.0f);

    SetEffect(plain, "Plain", 5);
    EXPECT_FLOAT_EQ(plain.healthChange, 5.0f);
    EXPECT_EQ(plain.statChange.Get(CharacterStat::Armor), 7);
}

// A level from a datagram is taken into 0..MaxLevel (100 here); the per-level sums saturate.
TEST_F(StatusEffectBaseTest, LevelsAreClampedAndPerLevelSumsSaturate)
{
    struct Case {
        int32_t level;
        int32_t kept;
        int32_t damageOnHit;
        int32_t armor;
    };
    const Case cases[] = {
        {INT32_MIN, 0, 1, 1},
        {72, 72, 2130000001, -2129999999},
        {73, 73, INT32_MAX, INT32_MIN},
        {INT32_MAX, 100, INT32_MAX, INT32_MIN},
    };
    for (const Case& c : cases) {
        StatusEffectBase steep;
        SetEffect(steep, "Steep", c.level);
        EXPECT_EQ(steep.level, c.kept) << c.level;
        EXPECT_EQ(steep.damageOnHit, c.damageOnHit) << c.level;
        EXPECT_EQ(steep.statChange.Get(CharacterStat::Armor), c.armor) << c.level;
    }
}

TEST_F(StatusEffectBaseTest, SameEntryAtNewLevelKeepsLoadedValues)
{
    StatusEffectBase effect;
    SetEffect(effect, "Poison", 1);
    SetEffect(effect, "Poison", 3);
    EXPECT_EQ(effect.level, 3);
    EXPECT_FLOAT_EQ(effect.healthChange, -3.0f);
    EXPECT_EQ(effect.GetInt("DamageOnHit"), 6);
    EXPECT_FLOAT_EQ(effect.GetFloat("HealthChange"), -6.0f);
    EXPECT_TRUE(effect.GetBool("DamageOnHit"));
}

TEST_F(StatusEffectBaseTest, PercentKeysAndThousandthsRoundToNearest)
{
    StatusEffectBase effect;
    SetEffect(effect, "Percents", 1);
    // Truncation would keep 699.
    EXPECT_EQ(effect.statMult.Get(CharacterStat::Armor), 700);
    EXPECT_EQ(effect.statMult.Get(CharacterStat::Defense), -200);
    EXPECT_FLOAT_EQ(effect.healthChangePercent, 0.05f);
    EXPECT_FLOAT_EQ(effect.damageOnHitPercent, 0.05f);
    EXPECT_FLOAT_EQ(effect.lifeSteal, 0.25f);
    EXPECT_EQ(StatMultToThousandths(0.0004f), 0);
    EXPECT_EQ(StatMultToThousandths(-0.7f), -700);
}

TEST_F(StatusEffectBaseTest, AuraKeysAreReadOnlyForAnAura)
{
    StatusEffectBase effect;
    SetEffect(effect, "NoAura", 1);
    EXPECT_EQ(effect.auraStatusEffect, nullptr);
    EXPECT_FLOAT_EQ(effect.auraDistance, 0.0f);
}

TEST_F(StatusEffectBaseTest, EntityStatesSetTheirBitsAndAnUnknownNameSetsParry)
{
    StatusEffectBase effect;
    SetEffect(effect, "States", 1);
    EXPECT_EQ(effect.entityStates, (1u << EntityState::Block) | (1u << EntityState::Dodge) | (1u << EntityState::Parry));
    EXPECT_GT(CountLogged("^c001Unknown EntityState name Sideways\n"), 0);
}

TEST_F(StatusEffectBaseTest, AnotherDefinitionReplacesEveryValueInsteadOfAddingToThem)
{
    StatusEffectBase effect;
    SetEffect(effect, "Poison", 1);
    SetEffect(effect, "Plain", 1);
    EXPECT_EQ(effect.statChange.Get(CharacterStat::Strength), 0);
    EXPECT_EQ(effect.statChange.Get(CharacterStat::Armor), 7);
    SetEffect(effect, "Plain", 1);
    EXPECT_EQ(effect.statChange.Get(CharacterStat::Armor), 7);
}

TEST_F(StatusEffectBaseTest, NullDefinitionEmptiesTheEffect)
{
    StatusEffectBase effect;
    SetEffect(effect, "Poison", 2);
    effect.SetDefinition(nullptr, 2, nullptr);
    EXPECT_EQ(effect.GetEntry(), nullptr);
    EXPECT_EQ(effect.perLevel, nullptr);
    EXPECT_FLOAT_EQ(effect.healthChange, 0.0f);
    EXPECT_EQ(effect.statChange.Get(CharacterStat::Strength), 0);
    EXPECT_TRUE(effect.name.empty());
}

TEST_F(StatusEffectBaseTest, GroupsCompareNamesExactlyAndExactEffectsTheirEntry)
{
    StatusEffectBase plain, poison, grouped, groupedToo, otherCase, exact, exactToo;
    SetEffect(plain, "Plain", 1);
    SetEffect(poison, "Poison", 1);
    SetEffect(grouped, "Grouped", 1);
    SetEffect(groupedToo, "GroupedToo", 1);
    SetEffect(otherCase, "GroupedOtherCase", 1);
    SetEffect(exact, "Exact", 1);
    SetEffect(exactToo, "Exact", 2);
    EXPECT_TRUE(plain.IsInSameGroup(&poison));
    EXPECT_TRUE(grouped.IsInSameGroup(&groupedToo));
    EXPECT_FALSE(grouped.IsInSameGroup(&otherCase));
    EXPECT_FALSE(plain.IsInSameGroup(nullptr));
    // The effect asked decides: an exact one wants its own entry, whatever the names.
    EXPECT_FALSE(exact.IsInSameGroup(&grouped));
    EXPECT_TRUE(grouped.IsInSameGroup(&exact));
    EXPECT_TRUE(exact.IsInSameGroup(&exactToo));
    exactToo.finished = true;
    EXPECT_FALSE(exact.IsInSameGroup(&exactToo));
    EXPECT_FALSE(exactToo.IsInSameGroup(&exact));
}

TEST_F(StatusEffectBaseTest, HealingWeakensDamageAndLowersTheLevel)
{
    StatusEffectBase effect;
    effect.healthChange = -30.0f;
    effect.level = 3;
    effect.ReduceHealthChange(15.0f);
    EXPECT_FLOAT_EQ(effect.healthChange, -15.0f);
    EXPECT_EQ(effect.level, 2);
    EXPECT_FALSE(effect.finished);
    effect.ReduceHealthChange(20.0f);
    EXPECT_TRUE(effect.finished);

    StatusEffectBase healing;
    healing.healthChange = 4.0f;
    healing.level = 2;
    healing.ReduceHealthChange(10.0f);
    EXPECT_FLOAT_EQ(healing.healthChange, 4.0f);
    EXPECT_EQ(healing.level, 2);
    EXPECT_FALSE(healing.finished);
}

TEST(StatusEffectStrength, ScaleAndDurationFactor)
{
    StatusEffectBase effect;
    effect.strength = 8;
    effect.currentStrength = 8;
    EXPECT_FLOAT_EQ(effect.ScaleByStrength(10.0f), 10.0f);
    effect.currentStrength = 2;
    EXPECT_FLOAT_EQ(effect.ScaleByStrength(10.0f), 2.5f);
    effect.strength = 0;
    EXPECT_FLOAT_EQ(effect.ScaleByStrength(10.0f), 0.0f);

    effect.strengthEffectEasy = 1.5f;
    effect.strengthEffectHard = 0.5f;
    EXPECT_FLOAT_EQ(effect.GetStrengthFactor(12.0f, 10), 2.0f);
    EXPECT_FLOAT_EQ(effect.GetStrengthFactor(8.0f, 10), 0.375f);
    EXPECT_FLOAT_EQ(effect.GetStrengthFactor(8.5f, 10), 0.625f);
    effect.strengthEffectEasy = 7.0f;
    effect.strengthEffectHard = 9.0f;
    EXPECT_FLOAT_EQ(effect.GetStrengthFactor(10.0f, 10), 1.0f);
}

TEST_F(StatusEffectBaseTest, WorthCountsTicksAndMinutes)
{
    StatusEffectBase worth, endless;
    SetEffect(worth, "Worth", 1);
    // 12 ticks x 0.5 x 2 health, then 2 minutes of 3 Strength x 2, 4 fire resistance x 1, 5 magic find x 3.
    EXPECT_FLOAT_EQ(worth.GetValue(), 12.0f + 12.0f + 8.0f + 30.0f);
    SetEffect(endless, "Endless", 1);
    EXPECT_FLOAT_EQ(endless.GetValue(), 0.0f);
}

TEST(StatusEffectMultipliers, CombatValueTestsLookAtEachValueAlone)
{
    StatusEffectBase effect;
    EXPECT_FALSE(effect.HasCriticalMult());
    effect.dynamicStatMult[DynamicStat::MagicCriticalHit] = 0.1f;
    effect.dynamicStatMult[DynamicStat::CrushingBlow] = -0.5f;
    effect.dynamicStatMult[DynamicStat::MagicCrushingBlow] = 0.4f;
    EXPECT_TRUE(effect.HasCriticalMult());
    EXPECT_TRUE(effect.HasCrushingBlowMult());
    EXPECT_FALSE(effect.HasDeepWoundsMult());
}

} // namespace
