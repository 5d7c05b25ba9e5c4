// SentientExperienceTest -- experience gains, the debt after deaths and level-ups.
#include "entities/SentientWorld.h"
#include "entities/Attachments.h"

#include "entities/EntityCovenant.h"

#include <gtest/gtest.h>

namespace {

class SentientExperience : public SentientWorld {
protected:
    void SetUp() override
    {
        // Class 2 gains fractions a level, one of them a loss.
        LoadRecords(std::string(kRecords) + "ClassWarden\n{\n Type Class\n StrengthPerLevel -0.5\n DexterityPerLevel 1\n"
                                            " IntelligencePerLevel 0.5\n SpiritPerLevel 0.7\n}\n");
        hero = MakeTester(0, 10, 10, 10, 10, 10);
    }

    // 100 points a kill of the same level, scaled by the factor.
    int32_t Gain(float factor) { return hero->GainExperience(hero->GetStat(CharacterStat::Level), 0, factor); }

    Sentient* hero = nullptr;
};

class RecordingCovenant : public EntityCovenant {
public:
    bool IsMember(const Sentient&) const override { return true; }
    WorldPos GetHomePosition() const override { return {}; }
    Entity* GetHomeEntity() const override { return nullptr; }
    int32_t GetHomeStat(int32_t) const override { return 0; }
    void RecomputeTotals() override {}
    void ModifyMemberStat(int32_t, int32_t&, int32_t) const override {}
    void OnMemberDied(Sentient&) override {}
    void RecordMemberExperience(int32_t, int32_t, float multiplier) override { multipliers.push_back(multiplier); }
    void OnMemberGainedExperience(Sentient&, int32_t amount) override { gains.push_back(amount); }
    bool IsRaiding() const override { return false; }
    bool IsBeingRaided() const override { return false; }
    std::vector<float> multipliers;
    std::vector<int32_t> gains;
};

} // namespace

TEST_F(SentientExperience, AtLevelOneHundredTheLastPointIsNeverReached)
{
    hero->stats.Set(CharacterStat::Level, 100);
    hero->stats.Set(CharacterStat::XpNeeded, 1000);
    hero->stats.Set(CharacterStat::Xp, 990);
    EXPECT_EQ(Gain(0.5f), 50);
    EXPECT_EQ(hero->GetStat(CharacterStat::Xp), 999);
    EXPECT_EQ(hero->GetStat(CharacterStat::Level), 100);
}

TEST_F(SentientExperience, ALargeGainRaisesSeveralLevels)
{
    hero->stats.Set(CharacterStat::Xp, 500);
    EXPECT_EQ(Gain(25.0f), 2500);
    EXPECT_EQ(hero->GetStat(CharacterStat::Level), 4);
    EXPECT_EQ(hero->GetStat(CharacterStat::Xp), 0);
    EXPECT_EQ(hero->GetStat(CharacterStat::BaseStrength), 12) << "capped by MaxBaseStrength 12";
    EXPECT_EQ(hero->GetStat(CharacterStat::BaseDexterity), 13) << "no cap";
    EXPECT_EQ(hero->health, hero->maxHealth);

    // Fractions add up over the levels, taken whole as they pass: from level 1 to 10, -0.5 a
    // level loses floor(-5) - floor(-0.5), 0.5 gains 5 - 0 and 0.7 gains 7 - 0.
    Sentient* warden = MakeTester(2, 10, 10, 10, 10, 10);
    warden->GainExperience(1, 0, 90.0f);
    ASSERT_EQ(warden->GetStat(CharacterStat::Level), 10);
    const int32_t attributes[] = {6, 19, 10, 15, 17};
    for (int32_t i = 0; i < 5; ++i)
        EXPECT_EQ(warden->GetStat(CharacterStat::BaseStrength + i), attributes[i]) << i;
}

TEST_F(SentientExperience, DebtHalvesThePartThatPaysIt)
{
    hero->stats.Set(CharacterStat::XpDebt, 100);
    EXPECT_EQ(hero->PayXpDebt(40), 20);
    EXPECT_EQ(hero->GetStat(CharacterStat::XpDebt), 60);
    hero->stats.Set(CharacterStat::XpDebt, 30);
    EXPECT_EQ(hero->PayXpDebt(40), 25);
    EXPECT_EQ(hero->GetStat(CharacterStat::XpDebt), 0);
}

TEST_F(SentientExperience, DeathAddsDebtCappedAtALevel)
{
    game.experienceLoss = 0.15f;
    EXPECT_EQ(hero->AddXpDebtOnDeath(), 150);
    hero->stats.Set(CharacterStat::XpDebt, 950);
    EXPECT_EQ(hero->AddXpDebtOnDeath(), 50);
    hero->ReduceXpDebt(400);
    EXPECT_EQ(hero->GetStat(CharacterStat::XpDebt), 600);
    hero->ReduceXpDebt(5000);
    EXPECT_EQ(hero->GetStat(CharacterStat::XpDebt), 0);
}

TEST_F(SentientExperience, TheDeadRiseALevelButStayDead)
{
    hero->health = 0;
    hero->LevelUp();
    EXPECT_EQ(hero->GetStat(CharacterStat::Level), 2);
    EXPECT_EQ(hero->health, 0);
}

TEST_F(SentientExperience, LevelUpRefillsPowerWhenTheClassSaysSo)
{
    Sentient* drainer = MakeTester(1, 0, 0, 0, 5, 5);
    drainer->stats.Set(CharacterStat::Power, 1);
    drainer->LevelUp();
    EXPECT_EQ(drainer->GetStat(CharacterStat::Power), drainer->GetStat(CharacterStat::MaxPower));
    hero->stats.Set(CharacterStat::Power, 1);
    hero->LevelUp();
    EXPECT_EQ(hero->GetStat(CharacterStat::Power), 1);
}

TEST_F(SentientExperience, NoPointsNeededMeansNoLevelUp)
{
    hero->stats.Set(CharacterStat::XpNeeded, 0);
    EXPECT_EQ(Gain(1.0f), 100);
    EXPECT_EQ(hero->GetStat(CharacterStat::Level), 1);
    EXPECT_EQ(hero->GetStat(CharacterStat::Xp), 100);
}

TEST_F(SentientExperience, ACreatureThatCannotLearnGainsNothing)
{
    struct Unteachable : Sentient {
        bool CanGainExperience() const override { return false; }
    };
    auto* mule = Spawn<Unteachable>();
    EXPECT_EQ(mule->GainExperience(1, 0, 1.0f), 0);
    EXPECT_EQ(mule->GetStat(CharacterStat::Xp), 0);
}

TEST_F(SentientExperience, DiscoveryKindsUseTheirOwnFactors)
{
    EXPECT_EQ(hero->GainExperience(1, ExperienceKind::kSecret, 1.0f), 300);
    EXPECT_EQ(hero->GainExperience(1, ExperienceKind::kLevel, 1.0f), 50);
}

TEST_F(SentientExperience, CovenantHearsOfTheGainAndShowsTheLevelUp)
{
    RecordingCovenant covenant;
    game.covenants.push_back(&covenant);
    hero->covenantIndex = 0;
    EXPECT_EQ(Gain(10.0f), 1000);
    EXPECT_EQ(covenant.gains, (std::vector<int32_t>{1000}));
    EXPECT_EQ(covenant.multipliers, (std::vector<float>{10.0f}));
    EXPECT_EQ(CountAttachedTo(game, *hero), 1) << "the level-up effect hangs on the hero";
    game.StepFor(2.0f);
    EXPECT_EQ(CountAttachedTo(game, *hero), 0);
}
