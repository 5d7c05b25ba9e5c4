// StatusEffectTextTest -- the status effect description: its duration, detail lines and their tokens, with and without details.
#include "rules/skills/SkillWorld.h"

namespace {

const char* const kStatusEffectTextEffects = R"(
Bleed { Type StatusEffect | Desc "$$BleedDesc$$" | TotalTime 10 | TickTime 2 | HealthChange -2.5 }
Stats { Type StatusEffect | StatMultDefense -0.5 | StatMultArmor 0.25 | StatChangeHealthRegen 150 |
    StatChangeExtraMoney 10 | CantAttack 1 | CantUseSkills 1 | CantMove 1 | CantUseSpells 1 |
    EntityState MajorDistraction | EntityState Block }
Mending { Type StatusEffect | TotalTime 10 | TickTime 3 | HealthChange 2 }
Endless { Type StatusEffect | Forever 1 | TotalTime 10 | HealthChange 2 | PowerChange 1 | TickTime 4 }
Stun { Type StatusEffect | TotalTime 10 | StrengthTime 12 | StrengthEffectEasy 1.5 | StrengthEffectHard 0.5 |
    CantMove 1 }
Growing { Type StatusEffect | TotalTime 10 | StatChangeArmor 4 | DamageMultFire 0.5 | AbsorbDamage 20 }
GrowingPerLevel { Type StatusEffect | TotalTime 5 | StatChangeArmor 2 | DamageMultFire 0.25 | AbsorbDamage 10 }
)";

class StatusEffectTextTest : public SkillWorld {
protected:
    std::string Describe(std::string_view name, const StatusEffectBase* perLevel = nullptr, int32_t level = 1,
                         int32_t enemyLevel = 0)
    {
        StatusEffectBase effect;
        SetEffect(effect, name, 1);
        std::string text = "old";
        return effect.BuildDescription(text, perLevel, level, enemyLevel, nullptr);
    }
};

TEST_F(StatusEffectTextTest, WithoutDetailsOnlyDurationAndDescription)
{
    LoadRecords(kStatusEffectTextEffects, "ShowStatusEffectDetails 0");
    EXPECT_EQ(Describe("Bleed"), "$$Duration$$: 10 $$Seconds$$\n\n$$BleedDesc$$\n");
    EXPECT_EQ(Describe("Endless"), "");
}

TEST_F(StatusEffectTextTest, DetailLinesCarryTheirTokensAndFormats)
{
    LoadRecords(kStatusEffectTextEffects);
    // A freeze says only that, whatever else it blocks.
    EXPECT_EQ(Describe("Stats"), "-33% $$Defense$$\n+25% $$Armor$$\n+1.5 $$HealthRegen$$\n+10% $$ExtraMoney$$\n"
                                 "$$FreezesTarget$$\n$$Causes$$: $$Block$$ $$MajorDistraction$$\n");
    EXPECT_EQ(Describe("Mending"), "$$Duration$$: 10 $$Seconds$$\n$$XHealthOverY~<+6.0@@10 $$Seconds$$@@>~$$\n");
    EXPECT_EQ(Describe("Endless"),
              "$$XHealthEachSecond~<+2.0@@>~$$\n$$XPowerEveryY~<1.0@@$$Power$$@@4 $$Seconds$$@@>~$$\n");
}

TEST_F(StatusEffectTextTest, StrengthScalesTheDurationAgainstTheEnemyLevel)
{
    LoadRecords(kStatusEffectTextEffects);
    EXPECT_EQ(Describe("Stun", nullptr, 1, 10),
              "$$Duration$$: 20 $$Seconds$$ ($$LevelXEnemy~<10@@>~$$)\n$$PreventsMovement$$\n");
}

TEST_F(StatusEffectTextTest, PerLevelEffectAddsItsIncrementsAboveLevelOne)
{
    LoadRecords(kStatusEffectTextEffects);
    StatusEffectBase perLevel;
    SetEffect(perLevel, "GrowingPerLevel", 1);
    std::string own = "$$Duration$$: 10 $$Seconds$$\n+4 $$Armor$$\n+50% $$Fire$$ $$damage$$\n"
                      "$$AbsorbsUpToXDamage~<20@@>~$$\n";
    EXPECT_EQ(Describe("Growing", &perLevel, 1), own);
    EXPECT_EQ(Describe("Growing", &perLevel, 3), "$$Duration$$: 20 $$Seconds$$\n+8 $$Armor$$\n+100% $$Fire$$ $$damage$$\n"
                                                 "$$AbsorbsUpToXDamage~<40@@>~$$\n");
}

} // namespace
