// SentientStatsTest -- the four stat passes, the class rules, regeneration and the sentient's state for the clients.
#include "entities/SentientWorld.h"

#include "core/MessageBuffer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

class SentientStats : public SentientWorld {
protected:
    void SetUp() override { LoadTester(); }
};

} // namespace

TEST_F(SentientStats, NewSentientStartsAtLevelOneWithRisingPower)
{
    Sentient sentient;
    for (int32_t stat = 0; stat < Sentient::kStatCount; ++stat) {
        int32_t expected = stat == CharacterStat::Level || stat == CharacterStat::PowerRising ? 1
                           : stat == CharacterStat::LastSkillRaised                            ? -1
                                                                                                : 0;
        EXPECT_EQ(sentient.GetStat(stat), expected) << stat;
    }
}

TEST_F(SentientStats, ClassRulesFillTheDerivedStats)
{
    Sentient* tester = MakeTester(0, 10, 11, 12, 13, 14);
    EXPECT_EQ(tester->GetStat(CharacterStat::Strength), 10);
    EXPECT_EQ(tester->GetStat(CharacterStat::MaxHealth), 12 * 5 + 8);
    EXPECT_EQ(tester->health, 68);
    EXPECT_EQ(tester->maxHealth, 68);
    EXPECT_EQ(tester->GetStat(CharacterStat::MaxPower), 100);
    EXPECT_EQ(tester->GetStat(CharacterStat::Power), 40) << "PowerStart on a refill";
    EXPECT_EQ(tester->GetStat(CharacterStat::Defense), 16);
    EXPECT_EQ(tester->GetStat(CharacterStat::Block), 2) << "ceil(0.1 x 16)";
    EXPECT_EQ(tester->GetStat(CharacterStat::Dodge), 2);
    EXPECT_EQ(tester->GetStat(CharacterStat::Attack), 22);
    EXPECT_EQ(tester->GetStat(CharacterStat::ResistancePhysical), 0);
    EXPECT_EQ(tester->GetStat(CharacterStat::ResistanceFire), 7);
    EXPECT_EQ(tester->GetStat(CharacterStat::HealthRegen), 42);
    EXPECT_EQ(tester->GetStat(CharacterStat::Movement), 150);
    EXPECT_EQ(tester->GetStat(CharacterStat::AttackSpeed), 1500) << "no weapon";
    EXPECT_EQ(tester->GetStat(CharacterStat::XpNeeded), 1000);
    EXPECT_EQ(tester->GetStat(CharacterStat::Size), 100);
    EXPECT_FLOAT_EQ(tester->scale, 1.0f);
}

TEST_F(SentientStats, UnarmedDamageGrowsWithStrengthInThePercentPass)
{
    Sentient* tester = MakeTester(0, 10, 0, 0, 0, 0);
    // 1..4 unarmed, the table scaled by 1 + 10 x 0.05, then the stat pass adds its own share.
    EXPECT_EQ(tester->GetStat(CharacterStat::MinDamage), 1);
    EXPECT_EQ(tester->GetStat(CharacterStat::MaxDamage), 6);
    const StatPair& physical = tester->GetDamageList().GetPairs().at(0);
    EXPECT_FLOAT_EQ(physical.a, 1.5f);
    EXPECT_FLOAT_EQ(physical.b, 6.0f);
}

TEST_F(SentientStats, NeverModifiedStatsIgnoreEffects)
{
    Sentient* tester = MakeTester(0, 10, 10, 10, 10, 10);
    tester->AddStatusEffect(Record("Boost"), nullptr, 1);
    EXPECT_EQ(tester->GetStat(CharacterStat::Strength), 14);
    EXPECT_EQ(tester->GetStat(CharacterStat::BaseStrength), 10);
    EXPECT_EQ(tester->GetStat(CharacterStat::Level), 1);
    EXPECT_EQ(tester->GetStat(CharacterStat::Power), 40);
    EXPECT_EQ(tester->GetStat(CharacterStat::Skill1), 0);
    EXPECT_EQ(tester->GetStat(CharacterStat::MaxPower), 100) << "a class MaxPower above 0 is fixed";
    EXPECT_EQ(tester->GetStat(CharacterStat::Armor), 25);
}

TEST_F(SentientStats, MaxPowerFromAttributesTakesModifiers)
{
    Sentient* drainer = MakeTester(1, 0, 0, 0, 5, 2);
    EXPECT_EQ(drainer->GetStat(CharacterStat::MaxPower), 5 * 2 + 2 * 3);
    drainer->AddStatusEffect(Record("Boost"), nullptr, 1);
    EXPECT_EQ(drainer->GetStat(CharacterStat::MaxPower), 16 + 7);
}

TEST_F(SentientStats, PercentSumsOfPlusAndMinusOneDoubleAndHalveRoundingUp)
{
    Sentient* tester = MakeTester(0, 0, 0, 0, 0, 0);
    tester->AddStatusEffect(Record("Boost"), nullptr, 1);
    tester->AddStatusEffect(Record("Doubler"), nullptr, 1);
    EXPECT_EQ(tester->GetStat(CharacterStat::Armor), 50);
    tester->ExpireEffectsOfDefinition(Record("Doubler"));
    tester->AddStatusEffect(Record("Halver"), nullptr, 1);
    EXPECT_EQ(tester->GetStat(CharacterStat::Armor), 13) << "25 / 2 rounded up";
}

TEST_F(SentientStats, SizeSetsTheScale)
{
    Sentient* tester = MakeTester(0, 0, 0, 0, 0, 0);
    tester->AddStatusEffect(Record("Boost"), nullptr, 1);
    EXPECT_EQ(tester->GetStat(CharacterStat::Size), 150);
    EXPECT_FLOAT_EQ(tester->scale, 1.5f);
}

TEST_F(SentientStats, LightIntensityIsCappedAtOneHundred)
{
    Sentient* tester = MakeTester(0, 0, 0, 0, 0, 0);
    tester->lightIntensity = 250.0f;
    tester->sentientLightColor = {0.5f, 0.25f, 1.0f};
    tester->RecalculateStats(false);
    EXPECT_EQ(tester->GetStat(CharacterStat::LightIntensity), 250);
    EXPECT_FLOAT_EQ(tester->lightFalloff, 100.0f);
    EXPECT_FLOAT_EQ(tester->lightColor.g, 0.25f);
}

TEST_F(SentientStats, HealthAboveANewMaximumIsLowered)
{
    Sentient* tester = MakeTester(0, 0, 0, 12, 0, 0);
    tester->stats.Set(CharacterStat::BaseVitality, 2);
    tester->RecalculateStats(false);
    EXPECT_EQ(tester->health, 18);
}

TEST_F(SentientStats, UnknownClassIsLoggedAndChangesNothing)
{
    Sentient* tester = MakeTester(0, 0, 0, 0, 0, 0);
    tester->SetClass(9, false);
    EXPECT_EQ(tester->GetClass(), gameData.GetCharacterClass(0));
    EXPECT_EQ(CountLogged("^c001Unknown class index 9\n"), 1);
}

TEST_F(SentientStats, RegenerationOfPointThreeHealsOneAboutThreeTicksInTen)
{
    Sentient* tester = MakeTester(0, 0, 0, 100, 0, 0);
    tester->stats.Set(CharacterStat::HealthRegen, 30);
    int32_t healed = 0;
    const int32_t ticks = 10000;
    for (int32_t i = 0; i < ticks; ++i) {
        tester->health = 100;
        tester->RegenerateTick();
        ASSERT_LE(tester->health - 100, 1);
        healed += tester->health - 100;
    }
    EXPECT_NEAR(healed, 3000, 150);
}

TEST_F(SentientStats, TheDeadDoNotRegenerate)
{
    Sentient* tester = MakeTester(0, 0, 0, 10, 0, 50);
    tester->health = 0;
    tester->RegenerateTick();
    EXPECT_EQ(tester->health, 0);
}

TEST_F(SentientStats, PowerRegeneratesAndDecaysWhileNotRising)
{
    Sentient* drainer = MakeTester(1, 0, 0, 0, 10, 10);
    drainer->stats.Set(CharacterStat::Power, 10);
    drainer->RegenerateTick();
    EXPECT_EQ(drainer->GetStat(CharacterStat::Power), 12);
    drainer->stats.Set(CharacterStat::PowerRising, 0);
    drainer->RegenerateTick();
    EXPECT_EQ(drainer->GetStat(CharacterStat::Power), 11) << "+2 regenerated, -3 decayed";
}

TEST_F(SentientStats, PowerStopsRisingWhenTheDecayTimerRunsOut)
{
    Sentient* drainer = MakeTester(1, 0, 0, 0, 10, 10);
    drainer->Update(0.05f);
    EXPECT_EQ(drainer->GetStat(CharacterStat::PowerRising), 0);
    drainer->stats.Set(CharacterStat::PowerRising, 1);
    drainer->Update(0.5f);
    EXPECT_EQ(drainer->GetStat(CharacterStat::PowerRising), 1) << "the timer still runs";
    drainer->Update(0.6f);
    EXPECT_EQ(drainer->GetStat(CharacterStat::PowerRising), 0);
}

TEST_F(SentientStats, BasicRegenTicksHealOnTheEffectsClock)
{
    Sentient* tester = MakeTester(0, 0, 0, 100, 0, 100);
    ASSERT_EQ(tester->GetStat(CharacterStat::HealthRegen), 300) << "three points a tick";
    tester->health = 10;
    tester->AddStatusEffect(Record("Regen"), tester, 1);
    tester->Update(0.5f);
    EXPECT_EQ(tester->health, 10);
    tester->Update(0.5f);
    EXPECT_EQ(tester->health, 13);
    tester->Update(1.0f);
    EXPECT_EQ(tester->health, 16);
}

TEST_F(SentientStats, DynamicStatsTakeEffectChangesThenTheirMultipliers)
{
    LoadRecords(std::string(kRecords) + "Crit\n{\n Type StatusEffect\n DynamicStatChangeCriticalHit 3\n"
                                        " DynamicStatMultCriticalHit -1\n}\n");
    Sentient* tester = MakeTester(0, 0, 0, 0, 10, 0);
    EXPECT_FLOAT_EQ(tester->GetDynamicStat(DynamicStat::CriticalHit, nullptr), 10.0f) << "10 x 0.5 + 5";
    tester->AddStatusEffect(Record("Crit"), nullptr, 1);
    EXPECT_FLOAT_EQ(tester->GetDynamicStat(DynamicStat::CriticalHit, nullptr), 6.5f) << "(10 + 3) / 2";
    float outside = 4.0f;
    tester->ApplyDynamicStat(DynamicStat::kCount, nullptr, outside);
    EXPECT_FLOAT_EQ(outside, 4.0f);
}

TEST_F(SentientStats, NetStateListsTheShownEquipmentSlots)
{
    Sentient* tester = MakeTester(0, 0, 0, 0, 0, 0);
    MessageBuffer buffer;
    tester->WriteNetState(buffer);
    ASSERT_EQ(buffer.Size(), 40u);
    std::vector<int32_t> words(10);
    std::memcpy(words.data(), buffer.Data(), 40);
    EXPECT_EQ(words, std::vector<int32_t>(10, -1));
}

TEST_F(SentientStats, HeaderListsPublicEffectsWithTheirInstanceIds)
{
    Sentient* tester = MakeTester(0, 0, 0, 0, 0, 0);
    tester->AddStatusEffect(Record("Boost"), nullptr, 1);
    tester->AddStatusEffect(Record("Doubler"), nullptr, 1);
    tester->AddStatusEffect(Record("Boost"), nullptr, 1);
    MessageBuffer buffer;
    tester->WriteNetHeader(buffer);
    std::vector<int32_t> words(buffer.Size() / 4);
    std::memcpy(words.data(), buffer.Data(), words.size() * 4);
    int32_t boost = Record("Boost")->GetId();
    std::vector<int32_t> tail(words.end() - 5, words.end());
    EXPECT_EQ(tail, (std::vector<int32_t>{2, boost, 1, boost, 3}));
    EXPECT_EQ(words.size(), 43u) << "38 words, the count and two pairs";
}

TEST_F(SentientStats, EffectBitsJoinTheEntityStateEachStep)
{
    Sentient* tester = MakeTester(0, 0, 0, 10, 0, 0);
    tester->AddStatusEffect(Record("Boost"), nullptr, 1);
    tester->Update(0.05f);
    EXPECT_EQ(tester->entityState, 1u << EntityState::Hit);
}

TEST_F(SentientStats, StatIndicesOutsideTheTableReadZeroAndAreLogged)
{
    Sentient* tester = MakeTester(0, 0, 0, 0, 0, 0);
    int32_t before = CountErrors();
    EXPECT_EQ(tester->GetStat(-1), 0);
    EXPECT_EQ(tester->GetStat(Sentient::kStatCount), 0);
    EXPECT_EQ(tester->GetStat(1 << 30), 0);
    EXPECT_EQ(CountErrors(), before + 3);
}
