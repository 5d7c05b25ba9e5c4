// StatusEffectStackingTest -- how a new status effect meets those a sentient already carries, and how carried effects end.
#include "entities/SentientWorld.h"

#include <gtest/gtest.h>

namespace {

class StatusEffectStacking : public SentientWorld {
protected:
    void SetUp() override
    {
        LoadTester();
        carrier = MakeTester(0, 0, 0, 10, 0, 0);
        other = Spawn<Sentient>(510, 500);
    }

    // Effects left after one update, as record names.
    std::vector<std::string> AfterUpdate()
    {
        carrier->UpdateStatusEffects(0.05f);
        std::vector<std::string> names;
        for (const auto& effect : carrier->GetStatusEffects())
            names.emplace_back(effect->GetEntry()->GetName());
        return names;
    }

    int32_t FirstInstance() const { return carrier->GetStatusEffects().front()->instanceId; }

    Sentient* carrier = nullptr;
    Sentient* other = nullptr;
};

using Names = std::vector<std::string>;

} // namespace

TEST_F(StatusEffectStacking, NormalEffectsPileUp)
{
    carrier->AddStatusEffect(Record("NormalA"), nullptr, 1);
    carrier->AddStatusEffect(Record("NormalA"), nullptr, 1);
    EXPECT_EQ(AfterUpdate(), (Names{"NormalA", "NormalA"}));
}

TEST_F(StatusEffectStacking, OnlyOneKeepsTheNewer)
{
    carrier->AddStatusEffect(Record("OnlyOneA"), nullptr, 1);
    carrier->AddStatusEffect(Record("OnlyOneA"), nullptr, 1);
    EXPECT_EQ(carrier->GetStatusEffects().size(), 2u) << "the older is only flagged until the update";
    EXPECT_EQ(AfterUpdate(), (Names{"OnlyOneA"}));
    EXPECT_EQ(FirstInstance(), 2);
}

TEST_F(StatusEffectStacking, OnePerInflicterKeepsOnePerSource)
{
    carrier->AddStatusEffect(Record("PerInflicterA"), other, 1);
    carrier->AddStatusEffect(Record("PerInflicterA"), carrier, 1);
    EXPECT_EQ(AfterUpdate().size(), 2u);
    carrier->AddStatusEffect(Record("PerInflicterA"), other, 1);
    EXPECT_EQ(AfterUpdate().size(), 2u);
    EXPECT_EQ(carrier->GetStatusEffects().back()->instanceId, 3);
    EXPECT_EQ(carrier->GetStatusEffects().front()->source.Get(), carrier);
}

TEST_F(StatusEffectStacking, OnlyOneExactReplacesOnlyTheSameRecord)
{
    carrier->AddStatusEffect(Record("ExactA"), nullptr, 1);
    carrier->AddStatusEffect(Record("ExactB"), nullptr, 1);
    carrier->AddStatusEffect(Record("OnlyOneA"), nullptr, 1);
    EXPECT_EQ(AfterUpdate(), (Names{"ExactA", "ExactB", "OnlyOneA"}))
        << "a carried OnlyOneExact effect matches only its own record, whatever the group";
}

TEST_F(StatusEffectStacking, OnlyOneExactIgnoresGroupNames)
{
    carrier->AddStatusEffect(Record("ExactB"), nullptr, 1);
    carrier->AddStatusEffect(Record("ExactA"), nullptr, 1);
    carrier->AddStatusEffect(Record("ExactB"), nullptr, 1);
    EXPECT_EQ(AfterUpdate(), (Names{"ExactA", "ExactB"}));
}

TEST_F(StatusEffectStacking, KeepOldDropsTheNewcomerAndKeepsTheOldTime)
{
    carrier->AddStatusEffect(Record("KeepOldA"), nullptr, 1);
    carrier->UpdateStatusEffects(2.0f);
    carrier->AddStatusEffect(Record("KeepOldA"), nullptr, 1);
    EXPECT_EQ(AfterUpdate(), (Names{"KeepOldA"}));
    EXPECT_EQ(FirstInstance(), 1);
    EXPECT_NEAR(carrier->GetStatusEffects().front()->durationTimer.remaining, 2.95f, 1e-4f);
}

TEST_F(StatusEffectStacking, CancelRemovesTheOldAndKeepsNeither)
{
    carrier->AddStatusEffect(Record("CancelA"), nullptr, 1);
    carrier->AddStatusEffect(Record("CancelA"), nullptr, 1);
    EXPECT_TRUE(AfterUpdate().empty());
}

TEST_F(StatusEffectStacking, CombineMergesIntoTheOldEffect)
{
    carrier->AddStatusEffect(Record("HealOverTime"), nullptr, 5);
    carrier->UpdateStatusEffects(6.0f);  // 10 ticks in full, 4 left
    carrier->AddStatusEffect(Record("HealOverTime"), nullptr, 5);
    ASSERT_EQ(AfterUpdate(), (Names{"HealOverTime"}));
    const StatusEffect& merged = *carrier->GetStatusEffects().front();
    EXPECT_FLOAT_EQ(merged.healthChange, 7.0f);
    EXPECT_EQ(merged.level, 7) << "5 x 1.4";
    EXPECT_NEAR(merged.durationTimer.remaining, 10.0f - 0.05f, 1e-4f) << "a fresh full duration";
}

TEST_F(StatusEffectStacking, ExpiredEffectsAreNeverMatched)
{
    carrier->AddStatusEffect(Record("CancelA"), nullptr, 1);
    carrier->ExpireAllEffects();
    carrier->AddStatusEffect(Record("CancelA"), nullptr, 1);
    EXPECT_EQ(AfterUpdate(), (Names{"CancelA"}));
}

// Carried until it ends: removing the record's effects ends every one of them.
TEST_F(StatusEffectStacking, AnEffectIsCarriedByItsRecordUntilRemoved)
{
    int32_t a = Record("NormalA")->GetId();
    int32_t b = Record("OnlyOneA")->GetId();
    EXPECT_FALSE(carrier->HasStatusEffect(a));
    carrier->AddStatusEffect(Record("NormalA"), nullptr, 1);
    carrier->AddStatusEffect(Record("NormalA"), nullptr, 1);
    carrier->AddStatusEffect(Record("OnlyOneA"), nullptr, 1);
    EXPECT_TRUE(carrier->HasStatusEffect(a));
    EXPECT_TRUE(carrier->HasStatusEffect(b));
    EXPECT_FALSE(other->HasStatusEffect(a)) << "another's effect";
    EXPECT_FALSE(carrier->HasStatusEffect(-1));
    carrier->RemoveStatusEffect(Record("NormalA"));
    EXPECT_FALSE(carrier->HasStatusEffect(a)) << "both ended at once";
    EXPECT_TRUE(carrier->HasStatusEffect(b));
    EXPECT_EQ(carrier->GetStatusEffectValue(a, 3), 0);
}

TEST_F(StatusEffectStacking, TheDeadTakeNoEffect)
{
    carrier->health = 0;
    carrier->AddStatusEffect(Record("NormalA"), nullptr, 1);
    EXPECT_TRUE(carrier->GetStatusEffects().empty());
}

TEST_F(StatusEffectStacking, ByNameTakesOnlyStatusEffectRecords)
{
    carrier->AddStatusEffectByName("NotAnEffect", nullptr, 1);
    carrier->AddStatusEffectByName("Nothing", nullptr, 1);
    carrier->AddStatusEffectByName("", nullptr, 1);
    EXPECT_TRUE(carrier->GetStatusEffects().empty());
    carrier->AddStatusEffectByName("NormalA", nullptr, 1);
    EXPECT_EQ(carrier->GetStatusEffects().size(), 1u);
}

TEST_F(StatusEffectStacking, SingleTypesAskBeforeStacking)
{
    carrier->AddStatusEffect(Record("OnlyOneA"), nullptr, 1);
    EXPECT_FALSE(carrier->CanAddStatusEffect(Record("OnlyOneA"), nullptr));
    EXPECT_FALSE(carrier->CanAddStatusEffect(Record("PerInflicterA"), nullptr));
    EXPECT_TRUE(carrier->CanAddStatusEffect(Record("NormalA"), nullptr)) << "a Normal effect always stacks";
    EXPECT_TRUE(carrier->CanAddStatusEffect(Record("CancelA"), nullptr));
}

TEST_F(StatusEffectStacking, DurationEndsTheEffectAndRestoresTheStats)
{
    carrier->AddStatusEffect(Record("Boost"), nullptr, 1);
    EXPECT_EQ(carrier->GetStat(CharacterStat::Strength), 4);
    carrier->UpdateStatusEffects(2.9f);
    EXPECT_EQ(carrier->GetStat(CharacterStat::Strength), 4);
    carrier->UpdateStatusEffects(0.1f);
    EXPECT_TRUE(carrier->GetStatusEffects().empty());
    EXPECT_EQ(carrier->GetStat(CharacterStat::Strength), 0);
}

TEST_F(StatusEffectStacking, BreakingEventsEndTheirEffects)
{
    LoadRecords(std::string(kRecords) + "Fragile\n{\n Type StatusEffect\n Forever 1\n DamageBreaks 1\n}\n"
                                        "Wary\n{\n Type StatusEffect\n Forever 1\n AttackedBreaks 1\n}\n");
    carrier = MakeTester(0, 0, 0, 10, 0, 0);
    carrier->AddStatusEffect(Record("Fragile"), nullptr, 1);
    carrier->AddStatusEffect(Record("Wary"), nullptr, 1);
    carrier->TakeDamage(1, other, false, false);
    EXPECT_EQ(AfterUpdate(), (Names{"Wary"}));
    carrier->OnAttackedBy(other);
    EXPECT_TRUE(AfterUpdate().empty());
}

TEST_F(StatusEffectStacking, WeakeningByGroupExpiresWhatReachesZero)
{
    LoadRecords(std::string(kRecords) + "Shield\n{\n Type StatusEffect\n Forever 1\n Strength 10\n GroupName \"S\"\n}\n");
    carrier = MakeTester(0, 0, 0, 10, 0, 0);
    carrier->AddStatusEffect(Record("Shield"), nullptr, 1);
    carrier->WeakenEffectsByGroup("S", 4);
    EXPECT_EQ(carrier->GetStatusEffects().front()->currentStrength, 6);
    carrier->WeakenEffectsByGroup("S", 12);
    EXPECT_TRUE(AfterUpdate().empty());
}
