// StatusEffectRulesTest -- a carried effect's step: what breaks it and in which order, its health, power and aura ticks, merges, fades, its source's power and the raid conditions.
#include "entities/NeutralCovenant.h"
#include "entities/SentientWorld.h"
#include "entities/Player.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A sentient that tells what a player would be told and answers the carrier questions a test scripts.
class WatchedSentient : public Sentient {
public:
    void SendMessage(std::string_view text, int32_t kind) override
    {
        told.push_back(std::to_string(kind) + " " + std::string(text));
    }
    Entity* GetCurrentEnemy() const override { return enemy; }
    bool TraitP() const override { return busy; }

    std::vector<std::string> told;
    Entity* enemy = nullptr;
    bool busy = false;
};

class RaidCovenant : public NeutralCovenant {
public:
    bool IsRaiding() const override { return raiding; }
    bool IsBeingRaided() const override { return raided; }
    bool raiding = false;
    bool raided = false;
};

constexpr const char* kRuleRecords = R"(
Stealth
{
    Type StatusEffect
    Forever 1
    TickTime 1
    MustRemainUnknown 1
    PrintFailure 1
    Alpha 0.4
}
ScoutStealth
{
    Type StatusEffect
    Forever 1
    TickTime 1
    MustRemainUnknown 1
    PrintFailure 1
    CheckSuccess 1
}
SilentStealth
{
    Type StatusEffect
    Forever 1
    MustRemainUnknown 1
}
DyingStealth
{
    Type StatusEffect
    Forever 1
    MustRemainUnknown 1
    PrintFailure 1
    RemoveOnDeath 1
}
Calm
{
    Type StatusEffect
    Forever 1
    MustHaveNoEnemy 1
}
Focus
{
    Type StatusEffect
    Forever 1
    MustPartiallyFocus 1
}
SetBonus
{
    Type StatusEffect
    Forever 1
    ItemSetEffect 1
    StatChangeStrength 3
}
Bleed
{
    Type StatusEffect
    Forever 1
    TickTime 1
    HealthChange -2.5
}
Mend
{
    Type StatusEffect
    Forever 1
    TickTime 1
    HealthChange 4
    HealthChangePercent 10
}
Surge
{
    Type StatusEffect
    Forever 1
    TickTime 1
    PowerChange 30
}
Drain
{
    Type StatusEffect
    Forever 1
    TickTime 1
    PowerChange -500
}
Meditation
{
    Type StatusEffect
    Forever 1
    TickTime 1
    PowerChange 5
    isPowerRegen 1
}
Stuck
{
    Type StatusEffect
    TotalTime 4
    TickTime 0
    HealthChange 3
    EffectType Combine
    GroupName "Stuck"
}
Opaque
{
    Type StatusEffect
    TotalTime 2
}
Invisible
{
    Type StatusEffect
    TotalTime 2
    Alpha 0
}
Empowered
{
    Type StatusEffect
    Forever 1
    DynamicStatMultGeneralPower 0.5
}
Blessing
{
    Type StatusEffect
    TotalTime 5
    TickTime 1
    HealthChange 2
    StatChangeStrength 4
    StatMultArmor 0.2
    AbsorbDamage 50
    PowerLeechPerHit 3
    GroupName "Blessed"
}
Scorched
{
    Type StatusEffect
    TotalTime 3
    EffectType OnlyOne
    GroupName "Scorched"
}
Inferno
{
    Type StatusEffect
    Forever 1
    TickTime 1
    Aura 1
    AuraOffensive 1
    AuraDistance 200
    AuraStatusEffect Scorched
}
Sanctuary
{
    Type StatusEffect
    Forever 1
    TickTime 1
    Aura 1
    AuraDistance 200
    AuraStatusEffect Scorched
}
Warcry
{
    Type StatusEffect
    Forever 1
    TickTime 1
    HealthChange 5
    StatChangeStrength 2
    OnlyWhenRaiding 1
}
Bulwark
{
    Type StatusEffect
    Forever 1
    StatChangeArmor 6
    OnlyWhenBeingRaided 1
}
)";

class StatusEffectRules : public SentientWorld {
protected:
    void SetUp() override
    {
        Sentient::RegisterEventClass(events, types);
        LoadRecords(std::string(kRecords) + kRuleRecords);
        carrier = Spawn<WatchedSentient>(500, 500);
        carrier->SetClass(0, true);
        // Tough enough to take ten thousand ticks of damage.
        carrier->stats.Set(CharacterStat::BaseVitality, 20000);
        carrier->RecalculateStats(true);
    }

    StatusEffect& Add(const char* name, Entity* source = nullptr, int32_t level = 1, Sentient* onto = nullptr)
    {
        Sentient* target = onto ? onto : carrier;
        target->AddStatusEffect(Record(name), source, level);
        return *target->GetStatusEffects().back();
    }

    bool Carries(const char* name, const Sentient* who = nullptr) const
    {
        for (const auto& effect : (who ? who : carrier)->GetStatusEffects())
            if (!effect->IsExpired() && effect->GetEntry()->GetName() == name)
                return true;
        return false;
    }

    Sentient* Other(float x, float y)
    {
        auto* other = Spawn<Sentient>(x, y);
        other->maxHealth = other->health = 100;
        return other;
    }

    WatchedSentient* carrier = nullptr;
};

// ---- What breaks an effect, in order -------------------------------------------------------------

TEST_F(StatusEffectRules, AnEnemyInSightWithin300BreaksStealthWithItsLine)
{
    Add("Stealth");
    game.relationship = 0;
    Sentient* enemy = Other(500 + 310, 500);
    carrier->UpdateStatusEffects(0.05f);
    EXPECT_TRUE(Carries("Stealth")) << "310 away is out of reach";
    enemy->SetPosition(At(500 + 290, 500));
    game.lineBlocked = [](const WorldPos&, const WorldPos&) { return true; };
    carrier->UpdateStatusEffects(0.05f);
    EXPECT_TRUE(Carries("Stealth")) << "a wall hides the carrier";
    game.lineBlocked = nullptr;
    carrier->UpdateStatusEffects(0.05f);
    EXPECT_FALSE(Carries("Stealth"));
    EXPECT_EQ(carrier->told, (std::vector<std::string>{"5 $$SpottedByEnemy$$"}));
}

TEST_F(StatusEffectRules, AFriendNearbyBreaksNothingAndASilentEffectTellsNothing)
{
    Add("SilentStealth");
    Sentient* ally = Other(520, 500);
    carrier->covenantIndex = ally->covenantIndex = 4;
    carrier->UpdateStatusEffects(0.05f);
    EXPECT_TRUE(Carries("SilentStealth"));
    ally->covenantIndex = -1;
    carrier->UpdateStatusEffects(0.05f);
    EXPECT_FALSE(Carries("SilentStealth"));
    EXPECT_TRUE(carrier->told.empty());
}

TEST_F(StatusEffectRules, AnUnprovenScoutIsInViewAndAProvenOneSpotted)
{
    Add("ScoutStealth");
    game.relationship = 0;
    Sentient* enemy = Other(520, 500);
    carrier->UpdateStatusEffects(0.05f);
    EXPECT_EQ(carrier->told, (std::vector<std::string>{"5 $$InViewOfEnemies$$"}));
    enemy->SetPosition(At(2000, 500));
    carrier->told.clear();
    Add("ScoutStealth");
    carrier->UpdateStatusEffects(1.0f);  // its first tick proves it
    EXPECT_TRUE(carrier->GetStatusEffects().back()->succeeded);
    enemy->SetPosition(At(520, 500));
    carrier->UpdateStatusEffects(0.05f);
    EXPECT_EQ(carrier->told, (std::vector<std::string>{"5 $$SpottedByEnemy$$"}));
}

TEST_F(StatusEffectRules, DeathDecidesBeforeBeingSeen)
{
    Add("DyingStealth");
    game.relationship = 0;
    Other(520, 500);
    carrier->health = 0;
    carrier->UpdateStatusEffects(0.05f);
    EXPECT_FALSE(Carries("DyingStealth"));
    EXPECT_TRUE(carrier->told.empty()) << "removed on death, before the enemy test";
}

TEST_F(StatusEffectRules, AnEnemyBusinessAndALostSetBreakTheirEffects)
{
    Add("Calm");
    Add("Focus");
    Add("SetBonus");
    EXPECT_EQ(carrier->GetStat(CharacterStat::Strength), 0) << "the set is not worn: no share";
    carrier->UpdateStatusEffects(0.05f);
    EXPECT_FALSE(Carries("SetBonus"));
    EXPECT_TRUE(Carries("Calm") && Carries("Focus"));
    Sentient* foe = Other(900, 500);
    carrier->enemy = foe;
    carrier->UpdateStatusEffects(0.05f);
    EXPECT_FALSE(Carries("Calm"));
    EXPECT_TRUE(Carries("Focus"));
    carrier->busy = true;
    carrier->UpdateStatusEffects(0.05f);
    EXPECT_FALSE(Carries("Focus"));
}

TEST_F(StatusEffectRules, APlayerBusyInModeTwoLosesItsFocus)
{
    Player::RegisterEventClass(events, types);
    auto* player = Spawn<Player>(520, 500);
    player->maxHealth = player->health = 100;
    Add("Focus", nullptr, 1, player);
    player->UpdateStatusEffects(0.05f);
    EXPECT_TRUE(Carries("Focus", player)) << "mode 0 is no business";
    player->interactionMode = 2;
    player->UpdateStatusEffects(0.05f);
    EXPECT_FALSE(Carries("Focus", player));
}

TEST_F(StatusEffectRules, ADeadCarrierKeepsItsEffectsButTheyDoNotTick)
{
    StatusEffect& mend = Add("Mend");
    carrier->health = 0;
    carrier->UpdateStatusEffects(1.0f);
    EXPECT_TRUE(Carries("Mend"));
    EXPECT_EQ(carrier->health, 0);
    EXPECT_FLOAT_EQ(mend.tickTimer.remaining, 0.0f) << "the tick waits for a living carrier";
}

// ---- Ticks ---------------------------------------------------------------------------------------

TEST_F(StatusEffectRules, MinusTwoAndAHalfATickDealsThreeAboutHalfTheTime)
{
    Sentient* source = Other(520, 500);
    Add("Bleed", source);
    int32_t threes = 0;
    int32_t others = 0;
    for (int i = 0; i < 10000; ++i) {
        int32_t before = carrier->health;
        carrier->UpdateStatusEffects(1.0f);
        int32_t taken = before - carrier->health;
        threes += taken == 3 ? 1 : 0;
        others += taken != 3 && taken != 2 ? 1 : 0;
    }
    EXPECT_EQ(others, 0);
    EXPECT_NEAR(threes, 5000, 250);
}

TEST_F(StatusEffectRules, AHealingTickAddsItsShareOfMaximumHealth)
{
    Add("Mend");
    carrier->health = 1000;
    int32_t tenth = carrier->GetStat(CharacterStat::MaxHealth) / 10;
    carrier->UpdateStatusEffects(1.0f);
    EXPECT_GE(carrier->health, 1000 + 4 + tenth) << "4 + 10% of the maximum";
    EXPECT_LE(carrier->health, 1000 + 4 + tenth + 1);
}

TEST_F(StatusEffectRules, PowerRisesToItsMaximumAndFallsToZero)
{
    carrier->stats.Set(CharacterStat::MaxPower, 100);
    carrier->stats.Set(CharacterStat::Power, 90);
    Add("Surge");
    carrier->UpdateStatusEffects(1.0f);
    EXPECT_EQ(carrier->GetStat(CharacterStat::Power), 100);
    Add("Drain");
    carrier->UpdateStatusEffects(1.0f);
    EXPECT_EQ(carrier->GetStat(CharacterStat::Power), 0);
}

TEST_F(StatusEffectRules, RegenerationPowerFlowsOnlyWhereTheClassLetsItRise)
{
    Add("Meditation");
    carrier->stats.Set(CharacterStat::Power, 10);
    carrier->UpdateStatusEffects(1.0f);
    EXPECT_EQ(carrier->GetStat(CharacterStat::Power), 10) << "the tester's class does not regenerate power";
    auto* drainer = Spawn<Sentient>(600, 500);
    drainer->SetClass(1, true);
    drainer->maxHealth = drainer->health = 100;
    Add("Meditation", nullptr, 1, drainer);
    drainer->stats.Set(CharacterStat::Power, 10);
    // Only the effect ticks here: the carrier's own regeneration is its basic effect's.
    drainer->UpdateStatusEffects(1.0f);
    EXPECT_EQ(drainer->GetStat(CharacterStat::Power), 15);
    auto* classless = Other(700, 500);
    Add("Meditation", nullptr, 1, classless);
    classless->stats.Set(CharacterStat::Power, 10);
    classless->UpdateStatusEffects(1.0f);
    EXPECT_EQ(classless->GetStat(CharacterStat::Power), 15) << "no settings: nothing holds it back";
}

TEST_F(StatusEffectRules, AnOffensiveAuraReachesTheHostileWithinItsDistance)
{
    game.relationship = 0;
    Sentient* near = Other(650, 500);
    Sentient* far = Other(750, 500);
    Add("Inferno");
    carrier->UpdateStatusEffects(1.0f);
    EXPECT_TRUE(Carries("Scorched", near));
    EXPECT_FALSE(Carries("Scorched", far));
    EXPECT_FALSE(Carries("Scorched")) << "never its own carrier";
    EXPECT_EQ(near->GetStatusEffects().back()->source.Get(), carrier);
}

TEST_F(StatusEffectRules, AFriendlyAuraNeedsACarrierThatSharesIt)
{
    game.relationship = 3;
    Sentient* friendNear = Other(650, 500);
    Add("Sanctuary");
    carrier->UpdateStatusEffects(1.0f);
    EXPECT_FALSE(Carries("Scorched", friendNear));
    carrier->sharesAuras = true;
    carrier->UpdateStatusEffects(1.0f);
    EXPECT_TRUE(Carries("Scorched", friendNear));
    EXPECT_FALSE(Carries("Scorched"));
    game.relationship = 0;
    Sentient* foe = Other(600, 500);
    carrier->UpdateStatusEffects(1.0f);
    EXPECT_FALSE(Carries("Scorched", foe));
}

// ---- Merges, fades and the source's power ----------------------------------------------------------

TEST_F(StatusEffectRules, AMergeWithTickTimeZeroOnlyRestarts)
{
    StatusEffect& stuck = Add("Stuck", nullptr, 3);
    carrier->UpdateStatusEffects(3.0f);
    Add("Stuck", nullptr, 3);
    EXPECT_EQ(carrier->GetStatusEffects().size(), 1u);
    EXPECT_FLOAT_EQ(stuck.healthChange, 3.0f);
    EXPECT_EQ(stuck.level, 3);
    EXPECT_FLOAT_EQ(stuck.durationTimer.remaining, 4.0f);
}

TEST_F(StatusEffectRules, AnEffectWithoutAlphaLeavesItsCarrierOpaque)
{
    int32_t scheduled = game.CountScheduledActions();
    Add("Opaque");
    EXPECT_EQ(game.CountScheduledActions(), scheduled);
    carrier->UpdateStatusEffects(2.0f);
    EXPECT_FLOAT_EQ(carrier->alpha, 1.0f);
}

TEST_F(StatusEffectRules, AlphaFadesTheCarrierOverTwoSecondsAndBackAtTheEnd)
{
    Add("Invisible");
    game.StepFor(1.0f);
    EXPECT_NEAR(carrier->alpha, 0.5f, 0.03f);
    game.StepFor(1.0f);
    EXPECT_FLOAT_EQ(carrier->alpha, 0.0f);
    carrier->UpdateStatusEffects(2.0f);
    EXPECT_TRUE(carrier->GetStatusEffects().empty());
    game.StepFor(2.0f);
    EXPECT_FLOAT_EQ(carrier->alpha, 1.0f);
    // Alpha 0.4 fades to 0.4.
    Add("Stealth");
    game.StepFor(2.0f);
    EXPECT_NEAR(carrier->alpha, 0.4f, 1e-5f);
}

TEST_F(StatusEffectRules, ASourceOfPowerOneAndAHalfScalesTheEffect)
{
    Sentient* source = Other(520, 500);
    Add("Empowered", nullptr, 1, source);
    StatusEffect& blessing = Add("Blessing", source);
    EXPECT_EQ(blessing.statChange.Get(CharacterStat::Strength), 6);
    EXPECT_EQ(blessing.statMult.Get(CharacterStat::Armor), 300);
    EXPECT_EQ(blessing.absorbDamage, 75);
    EXPECT_EQ(blessing.powerLeechPerHit, 4) << "4.5 truncated";
    EXPECT_FLOAT_EQ(blessing.healthChange, 3.0f);
    StatusEffect& plain = Add("Blessing");
    EXPECT_EQ(plain.statChange.Get(CharacterStat::Strength), 4) << "no source: the record's values";
    EXPECT_EQ(plain.absorbDamage, 50);
}

// ---- Raids ---------------------------------------------------------------------------------------

TEST_F(StatusEffectRules, RaidEffectsCountOnlyWhileTheirCovenantRaidsOrIsRaided)
{
    RaidCovenant covenant;
    Add("Warcry");
    Add("Bulwark");
    int32_t armor = carrier->GetStat(CharacterStat::Armor);
    EXPECT_EQ(carrier->GetStat(CharacterStat::Strength), 0) << "no covenant: never active";
    carrier->health = 1000;
    int32_t health = carrier->health;
    carrier->UpdateStatusEffects(1.0f);
    EXPECT_EQ(carrier->health, health);
    game.covenants.push_back(&covenant);
    carrier->covenantIndex = 0;
    carrier->RecalculateStats(false);
    EXPECT_EQ(carrier->GetStat(CharacterStat::Strength), 0);
    covenant.raiding = true;
    carrier->RecalculateStats(false);
    EXPECT_EQ(carrier->GetStat(CharacterStat::Strength), 2);
    EXPECT_EQ(carrier->GetStat(CharacterStat::Armor), armor);
    carrier->UpdateStatusEffects(1.0f);
    EXPECT_EQ(carrier->health, health + 5);
    covenant.raided = true;
    carrier->RecalculateStats(false);
    EXPECT_EQ(carrier->GetStat(CharacterStat::Armor), armor + 6);
    game.covenants.clear();
    carrier->covenantIndex = -1;
}

// ---- Ended effects made into new ones ------------------------------------------------------------

// The definition values a new effect of the record has, and those of the given one.
void ExpectLikeANewEffect(const StatusEffect& effect, const DatabaseEntry* record, int32_t level)
{
    StatusEffect fresh;
    fresh.SetDefinition(record, level, nullptr);
    EXPECT_EQ(effect.GetEntry(), record);
    EXPECT_EQ(effect.level, fresh.level);
    for (int32_t stat = 0; stat < kStatKeyCount; ++stat) {
        EXPECT_EQ(effect.statChange.Get(stat), fresh.statChange.Get(stat)) << stat;
        EXPECT_EQ(effect.statMult.Get(stat), fresh.statMult.Get(stat)) << stat;
    }
    EXPECT_EQ(effect.healthChange, fresh.healthChange);
    EXPECT_EQ(effect.totalTime, fresh.totalTime);
    EXPECT_EQ(effect.absorbDamage, fresh.absorbDamage);
    EXPECT_EQ(effect.powerLeechPerHit, fresh.powerLeechPerHit);
    EXPECT_EQ(effect.alpha, fresh.alpha);
    EXPECT_EQ(effect.mustRemainUnknown, fresh.mustRemainUnknown);
    EXPECT_EQ(effect.aura, fresh.aura);
    EXPECT_EQ(effect.auraStatusEffect, fresh.auraStatusEffect);
    EXPECT_EQ(effect.name, fresh.name);
    EXPECT_EQ(effect.groupName, fresh.groupName);
    EXPECT_EQ(effect.effectModelName, fresh.effectModelName);
    EXPECT_EQ(effect.entityStates, fresh.entityStates);
    for (int32_t skill = 0; skill < StatusEffect::kOwnSkillCount; ++skill)
        EXPECT_EQ(effect.GetOwnSkill(skill) != nullptr, fresh.GetOwnSkill(skill) != nullptr) << skill;
    EXPECT_FALSE(effect.IsExpired());
    EXPECT_FALSE(effect.succeeded);
    EXPECT_EQ(effect.GetElementalType(), 0);
}

TEST_F(StatusEffectRules, AnEffectMadeAfterOthersEndedCarriesNothingOfThem)
{
    // Scaled by a source of power 1.5 and run for a while; then ended.
    Sentient* source = Other(520, 500);
    Add("Empowered", nullptr, 1, source);
    StatusEffect& blessing = Add("Blessing", source, 3);
    carrier->UpdateStatusEffects(2.5f);
    blessing.Expire();
    carrier->UpdateStatusEffects(0.05f);
    ASSERT_TRUE(carrier->GetStatusEffects().empty());

    // The same record without a source: the record's values, a full duration, no source.
    StatusEffect& plain = Add("Blessing");
    ExpectLikeANewEffect(plain, Record("Blessing"), 1);
    EXPECT_EQ(plain.statChange.Get(CharacterStat::Strength), 4);
    EXPECT_FLOAT_EQ(plain.durationTimer.remaining, 5.0f);
    EXPECT_EQ(plain.source.Get(), nullptr);
    EXPECT_EQ(plain.GetOwner(), carrier);
    EXPECT_EQ(plain.instanceId, 2);

    // Another record after that: nothing of the blessing's stats, absorption or timers.
    plain.Expire();
    carrier->UpdateStatusEffects(0.05f);
    StatusEffect& stealth = Add("Stealth");
    ExpectLikeANewEffect(stealth, Record("Stealth"), 1);
    EXPECT_FALSE(stealth.durationTimer.running) << "a forever effect never starts its duration";
    EXPECT_EQ(carrier->GetStat(CharacterStat::Strength), 0);
    Add("Scorched", source, 2);
    ExpectLikeANewEffect(*carrier->GetStatusEffects().back(), Record("Scorched"), 2);
}

TEST_F(StatusEffectRules, CarriersOfOneRecordShareItsTextsAndKeepTheirOwnScaledValues)
{
    Sentient* source = Other(520, 500);
    Add("Empowered", nullptr, 1, source);
    Sentient* second = Other(540, 500);
    second->AddStatusEffect(Record("Blessing"), nullptr, 3);
    StatusEffect& scaled = Add("Blessing", source, 3);
    const StatusEffect& plain = *second->GetStatusEffects().front();
    EXPECT_FLOAT_EQ(scaled.healthChange, 1.5f * plain.healthChange) << "scaled by its source's power";
    EXPECT_EQ(plain.statChange.Get(CharacterStat::Strength), 4) << "the other carrier's copy is the record's";
    ExpectLikeANewEffect(plain, Record("Blessing"), 3);
    // The texts are the database's own, never copied per effect.
    EXPECT_EQ(plain.groupName, "Blessed");
    EXPECT_EQ(plain.groupName.data(), scaled.groupName.data());
    EXPECT_EQ(plain.groupName.data(), Record("Blessing")->FindField("GroupName")->value.data());

    // Asking whether an effect would stack borrows a spare and leaves the next one as new.
    EXPECT_TRUE(carrier->CanAddStatusEffect(Record("Stealth"), nullptr));
    ExpectLikeANewEffect(Add("Scorched"), Record("Scorched"), 1);
}

TEST_F(StatusEffectRules, AnAuraRenewsItsVictimsEffectAtEveryTick)
{
    game.relationship = 0;
    // Of a class, so that its health stays when its stats are worked out again.
    Sentient* victim = Other(650, 500);
    victim->SetClass(0, true);
    victim->RecalculateStats(true);
    Add("Inferno");
    std::vector<int32_t> instances;
    for (int32_t tick = 0; tick < 6; ++tick) {
        carrier->UpdateStatusEffects(1.0f);
        victim->UpdateStatusEffects(0.5f);
        ASSERT_EQ(victim->GetStatusEffects().size(), 1u) << "the renewed one ended at the victim's update";
        const StatusEffect& scorched = *victim->GetStatusEffects().front();
        EXPECT_EQ(scorched.GetEntry(), Record("Scorched"));
        EXPECT_FLOAT_EQ(scorched.durationTimer.remaining, 2.5f) << "started afresh at the tick";
        EXPECT_EQ(scorched.source.Get(), carrier);
        instances.push_back(scorched.instanceId);
    }
    EXPECT_EQ(instances, (std::vector<int32_t>{1, 2, 3, 4, 5, 6}));
}

} // namespace
