// StatusEffectCombatTest -- carried effects in a fight: absorption, bonus damage, the breaking events, leech, burn and life steal by hit flags, explosions and skills fired by chance.
#include "core/StringUtil.h"
#include "entities/CombatSystem.h"
#include "entities/SentientWorld.h"
#include "entities/Skill.h"
#include "rules/StatPairList.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include <string>
#include <vector>

namespace {

class TrapProbe : public Entity {
public:
    bool IsTrap() const override { return true; }
};

constexpr const char* kCombatRecords = R"(
Shield
{
    Type StatusEffect
    Forever 1
    AbsorbDamage 50
}
Aegis
{
    Type StatusEffect
    Forever 1
    AbsorbAllDamage 1
}
Ward
{
    Type StatusEffect
    Forever 1
    AbsorbDamagePercent 0.5
}
TrapWard
{
    Type StatusEffect
    Forever 1
    AbsorbAllDamage 1
    AbsorbTrapDamageOnly 1
}
Tether
{
    Type StatusEffect
    Forever 1
    AbsorbDamageAwayFromPlayer 300
}
Sharpened
{
    Type StatusEffect
    Forever 1
    StatChangeMinDamage 2
    StatChangeMaxDamage 5
}
Kindled
{
    Type StatusEffect
    Forever 1
    ExtraMinDamagePercentFire 50
    ExtraMaxDamagePercentFire 100
}
Prism
{
    Type StatusEffect
    Forever 1
    ExtraMinDamagePercentElemental 10
    ExtraMaxDamagePercentElemental 20
    EffectTime 1.5
}
Thorns
{
    Type StatusEffect
    Forever 1
    DamageOnHit 7
}
Vampire
{
    Type StatusEffect
    Forever 1
    PowerLeechPerHit 4
    PowerBurnPerHitPercent 0.5
    LifeSteal 50
    OnHitEffectModelName "Models/Effects/spark.mdl"
    EffectTime 2
}
Retort
{
    Type StatusEffect
    Forever 1
    WhenHitSkill SkillSting
    WhenHitEffectModelName "Models/Effects/spark.mdl"
    SkillChance 1
}
Reluctant
{
    Type StatusEffect
    Forever 1
    WhenHitSkill SkillSting
    SkillChance 0
}
Misnamed
{
    Type StatusEffect
    Forever 1
    WhenHitSkill SkillNobodyWrote
    SkillChance 1
}
SkillSting
{
    Type Skill
    BasicSkill 1
    NeedsEnemy 1
    MaxRange 400
    MinDamage 5
    MaxDamage 5
}
Moving
{
    Type StatusEffect
    Forever 1
    RemoveOnEvent Move
}
Focused
{
    Type StatusEffect
    Forever 1
    MustFocus 1
}
HalfFocused
{
    Type StatusEffect
    Forever 1
    MustPartiallyFocus 1
}
Casting
{
    Type StatusEffect
    Forever 1
    SkillUseBreaks 1
}
Brittle
{
    Type StatusEffect
    Forever 1
    DamageBreaks 1
}
Skittish
{
    Type StatusEffect
    Forever 1
    AttackedBreaks 1
}
)";

class StatusEffectCombat : public SentientWorld {
protected:
    void SetUp() override
    {
        Sentient::RegisterEventClass(events, types);
        // Blows land whole: every point of physical damage is dealt at once.
        std::string records = std::string(kRecords) + kCombatRecords;
        records.insert(records.find("GameSystem\n{\n") + 12, "    DirectDamagePercentPhysical 1\n");
        LoadRecords(records);
        carrier = Tough(500);
        foe = Tough(560);
    }

    Sentient* Tough(float x)
    {
        auto* sentient = Spawn<Sentient>(x, 500);
        sentient->SetClass(0, true);
        sentient->stats.Set(CharacterStat::BaseVitality, 200);
        sentient->RecalculateStats(true);
        return sentient;
    }

    StatusEffect& Add(const char* name, Sentient* source = nullptr, Sentient* onto = nullptr)
    {
        Sentient* target = onto ? onto : carrier;
        target->AddStatusEffect(Record(name), source, 1);
        return *target->GetStatusEffects().back();
    }

    int32_t Taken(int32_t damage, Entity* attacker)
    {
        // As a blow arrives: the carried effects cut it first, then it is taken.
        int32_t before = carrier->health;
        carrier->TakeDamage(carrier->ModifyIncomingDamage(attacker, damage, 0), attacker, false, true);
        return before - carrier->health;
    }

    int32_t CountModels(const std::string& fragment) const
    {
        int32_t count = 0;
        for (int32_t i = 0; i < GameServices::kMaxEntities; ++i)
            if (const Entity* entity = game.GetEntity(i))
                count += ContainsNoCase(entity->modelName, fragment) ? 1 : 0;
        return count;
    }

    Sentient* carrier = nullptr;
    Sentient* foe = nullptr;
};

// ---- Absorption ------------------------------------------------------------------------------------

TEST_F(StatusEffectCombat, APoolOfFiftyTakesThirtyThenTwentyAndEnds)
{
    StatusEffect& shield = Add("Shield");
    EXPECT_EQ(Taken(30, foe), 0);
    EXPECT_EQ(shield.absorbDamage, 20);
    EXPECT_FALSE(shield.IsExpired());
    EXPECT_EQ(Taken(30, foe), 10);
    EXPECT_EQ(shield.absorbDamage, 0);
    EXPECT_TRUE(shield.IsExpired());
    EXPECT_EQ(Taken(30, foe), 30) << "an emptied pool takes nothing more";
}

TEST_F(StatusEffectCombat, AbsorptionCutsTheIncomingBlowNotTheDamageTaken)
{
    StatusEffect& shield = Add("Shield");
    int32_t before = carrier->health;
    carrier->TakeDamage(30, foe, false, true);
    EXPECT_EQ(before - carrier->health, 30) << "damage already reckoned is taken whole";
    EXPECT_EQ(shield.absorbDamage, 50);
    EXPECT_EQ(carrier->ModifyIncomingDamage(foe, 0, 0), 0) << "nothing to cut";
    EXPECT_EQ(shield.absorbDamage, 50);
    EXPECT_EQ(carrier->ModifyIncomingDamage(foe, 70, 0), 20);
    EXPECT_TRUE(shield.IsExpired());
}

TEST_F(StatusEffectCombat, ABlowDealtThroughTheCombatRoadIsCutBeforeItIsShownAndTaken)
{
    StatusEffect& shield = Add("Shield");
    StatPairList blow;
    blow.Add(DamageType::Physical, 30.0f, 30.0f);
    int32_t before = carrier->health;
    game.lines.clear();
    EXPECT_EQ(DealDamageList(blow, foe, carrier, false, false), 0);
    EXPECT_EQ(carrier->health, before);
    EXPECT_EQ(shield.absorbDamage, 20);
    EXPECT_TRUE(game.lines.empty()) << "nothing got through: no damage shown";
    EXPECT_EQ(DealDamageList(blow, foe, carrier, false, false), 10);
    EXPECT_EQ(carrier->health, before - 10);
    EXPECT_TRUE(shield.IsExpired());
}

TEST_F(StatusEffectCombat, AllPercentAndTrapOnlyAbsorptionsEachKeepTheirRule)
{
    Add("Aegis");
    EXPECT_EQ(Taken(40, foe), 0);
    for (const auto& effect : carrier->GetStatusEffects())
        effect->Expire();
    carrier->UpdateStatusEffects(0.05f);
    Add("Ward");
    EXPECT_EQ(Taken(40, foe), 20);
    for (const auto& effect : carrier->GetStatusEffects())
        effect->Expire();
    carrier->UpdateStatusEffects(0.05f);
    Add("TrapWard");
    EXPECT_EQ(Taken(40, foe), 40) << "a creature's blow is no trap's";
    EXPECT_EQ(Taken(40, nullptr), 40);
    auto* trap = Spawn<TrapProbe>(520, 500);
    EXPECT_EQ(Taken(40, trap), 0);
}

TEST_F(StatusEffectCombat, FarFromTheFirstPlayerAHitIsCutToATenth)
{
    Add("Tether");
    EXPECT_EQ(Taken(45, foe), 45) << "no player: nothing to be far from";
    Sentient* player = Tough(700);
    game.players.push_back(player);
    EXPECT_EQ(Taken(45, foe), 45) << "200 away";
    player->SetPosition(At(900, 500));
    EXPECT_EQ(Taken(45, foe), 4) << "400 away: 45 / 10 in whole points";
    game.players.clear();
}

// ---- Bonus damage ----------------------------------------------------------------------------------

TEST_F(StatusEffectCombat, KindOneAddsTheFlatPhysicalRange)
{
    StatusEffect& sharpened = Add("Sharpened");
    StatPairList table;
    sharpened.AddDamage(1, table);
    ASSERT_EQ(table.GetCount(), 1);
    EXPECT_EQ(table.GetPairs()[0].key, DamageType::Physical);
    EXPECT_FLOAT_EQ(table.GetPairs()[0].a, 2.0f);
    EXPECT_FLOAT_EQ(table.GetPairs()[0].b, 5.0f);
    sharpened.AddDamage(3, table);
    EXPECT_EQ(table.GetCount(), 1) << "no percentages: kind 3 adds nothing";
}

TEST_F(StatusEffectCombat, KindThreeAddsShareOfTheCarriersDamageByType)
{
    StatusEffect& kindled = Add("Kindled");
    int32_t low = 0;
    int32_t high = 0;
    carrier->GetDamageList().SumRange(low, high);
    StatPairList table;
    kindled.AddDamage(3, table);
    const StatPair* fire = table.Find(DamageType::Fire, false);
    ASSERT_NE(fire, nullptr);
    EXPECT_FLOAT_EQ(fire->a, std::floor(low * 0.5f));
    EXPECT_FLOAT_EQ(fire->b, static_cast<float>(high));
    StatPairList own = carrier->GetDamageList();
    EXPECT_NE(own.Find(DamageType::Fire, false), nullptr) << "the carrier's own table carries the share";
}

TEST_F(StatusEffectCombat, TheElementalShareDrawsOneOfFourTypes)
{
    StatusEffect& prism = Add("Prism");
    std::vector<int32_t> seen(5, 0);
    for (int i = 0; i < 400; ++i) {
        StatPairList table;
        prism.AddDamage(3, table);
        int32_t type = prism.GetElementalType();
        ASSERT_GE(type, 1);
        ASSERT_LE(type, 4);
        ++seen[static_cast<size_t>(type)];
        const int32_t kinds[] = {0, DamageType::Fire, DamageType::Cold, DamageType::Poison, DamageType::Lightning};
        EXPECT_NE(table.Find(kinds[type], false), nullptr);
    }
    for (int32_t type = 1; type <= 4; ++type)
        EXPECT_GT(seen[static_cast<size_t>(type)], 50) << type;
}

// ---- Events ----------------------------------------------------------------------------------------

TEST_F(StatusEffectCombat, EachBreakingFlagAnswersItsEventsOnly)
{
    struct Case {
        const char* record;
        std::vector<int32_t> breaking;
    };
    const Case cases[] = {
        {"Moving", {SimpleEvent::Move}},
        {"Focused", {SimpleEvent::Move, SimpleEvent::UseSkill}},
        {"HalfFocused", {SimpleEvent::UseSkill}},
        {"Casting", {SimpleEvent::SkillFinished}},
        {"Brittle", {SimpleEvent::Hit, SimpleEvent::DamageOverTime}},
        {"Skittish", {SimpleEvent::Attacked}},
    };
    for (const Case& c : cases) {
        for (int32_t event = 0; event < SimpleEvent::kCount; ++event) {
            StatusEffect& effect = Add(c.record);
            carrier->Notify(event, foe);
            bool expected = std::find(c.breaking.begin(), c.breaking.end(), event) != c.breaking.end();
            EXPECT_EQ(effect.IsExpired(), expected) << c.record << " event " << event;
            for (const auto& each : carrier->GetStatusEffects())
                each->Expire();
            carrier->UpdateStatusEffects(0.05f);
        }
    }
}

TEST_F(StatusEffectCombat, ThornsHurtWhoeverHitsTheCarrier)
{
    Add("Thorns");
    int32_t before = foe->health;
    carrier->Notify(SimpleEvent::Hit, foe);
    EXPECT_LT(foe->health, before);
    EXPECT_GE(before - foe->health, 1);
    int32_t after = foe->health;
    carrier->Notify(SimpleEvent::Attacked, foe);
    EXPECT_EQ(foe->health, after) << "only a hit sends damage back";
}

TEST_F(StatusEffectCombat, ALastHitLeechesBurnsAndStealsNothing)
{
    Add("Vampire");
    carrier->stats.Set(CharacterStat::Power, 0);
    foe->stats.Set(CharacterStat::Power, 40);
    carrier->health = 100;
    carrier->OnSuccessfulHit(20, foe, true, false, false, false, true);
    EXPECT_EQ(carrier->GetStat(CharacterStat::Power), 0);
    EXPECT_EQ(foe->GetStat(CharacterStat::Power), 40);
    EXPECT_EQ(carrier->health, 100);
    EXPECT_EQ(CountModels("spark"), 0);
}

TEST_F(StatusEffectCombat, AFirstHitLeechesBurnsStealsAndShowsItsModel)
{
    Add("Vampire");
    carrier->stats.Set(CharacterStat::Power, 0);
    foe->stats.Set(CharacterStat::Power, 40);
    carrier->health = 100;
    game.worldEvents.clear();
    carrier->OnSuccessfulHit(20, foe, true, false, false, false, false);
    EXPECT_EQ(carrier->GetStat(CharacterStat::Power), 4);
    EXPECT_EQ(foe->GetStat(CharacterStat::Power), 20);
    EXPECT_EQ(carrier->health, 110) << "half of 20 stolen";
    ASSERT_EQ(game.worldEvents.size(), 2u);
    EXPECT_EQ(game.worldEvents[0].name, "Sounds/Magic/powerburn.wav");
    EXPECT_EQ(game.worldEvents[0].entityNumber, foe->entityNumber);
    EXPECT_EQ(game.worldEvents[1].name, "Sounds/Magic/lifesteal.wav");
    EXPECT_EQ(game.worldEvents[1].entityNumber, carrier->entityNumber);
    EXPECT_FLOAT_EQ(game.worldEvents[1].radius, 100.0f);
    EXPECT_EQ(CountModels("spark"), 1);
    // A hit that was no first strike shows nothing.
    carrier->OnSuccessfulHit(20, foe, false, false, false, false, false);
    EXPECT_EQ(CountModels("spark"), 1);
}

TEST_F(StatusEffectCombat, AnElementalHitExplodesInTheTypeLastDrawn)
{
    StatusEffect& prism = Add("Prism");
    StatPairList table;
    prism.AddDamage(3, table);
    const char* names[] = {"", "fireExplosion", "iceExplosion", "poisonExplosion", "lightningExplosion"};
    std::string expected = names[prism.GetElementalType()];
    carrier->OnSuccessfulHit(10, foe, false, false, false, false, false);
    EXPECT_EQ(CountModels("Explosion"), 0) << "only a first strike explodes";
    carrier->OnSuccessfulHit(10, foe, true, false, false, false, true);
    EXPECT_EQ(CountModels(expected), 1) << "whatever the second flag";
    EXPECT_EQ(CountModels("Explosion"), 1);
}

TEST_F(StatusEffectCombat, AWhenHitSkillFiresByChanceAtTheAttacker)
{
    Sentient* source = Tough(540);
    StatusEffect& retort = Add("Retort", source);
    ASSERT_NE(retort.GetOwnSkill(StatusEffect::kWhenHitSkill), nullptr);
    int32_t before = foe->health;
    carrier->RaiseWhenHit(foe, false);
    EXPECT_LT(foe->health, before);
    EXPECT_EQ(CountModels("spark"), 1);
    int32_t after = foe->health;
    carrier->RaiseWhenHit(foe, true);
    EXPECT_EQ(foe->health, after) << "a flagged hit answers nothing";
    for (const auto& effect : carrier->GetStatusEffects())
        effect->Expire();
    carrier->UpdateStatusEffects(0.05f);
    Add("Reluctant", source);
    carrier->RaiseWhenHit(foe, false);
    EXPECT_EQ(foe->health, after) << "chance 0 never fires";
}

TEST_F(StatusEffectCombat, ASkillNameWithoutDefinitionMakesNoSkill)
{
    Sentient* source = Tough(540);
    StatusEffect& misnamed = Add("Misnamed", source);
    EXPECT_EQ(misnamed.GetOwnSkill(StatusEffect::kWhenHitSkill), nullptr);
    int32_t before = foe->health;
    carrier->RaiseWhenHit(foe, false);
    EXPECT_EQ(foe->health, before);
    StatusEffect& unsourced = Add("Retort");
    EXPECT_EQ(unsourced.GetOwnSkill(StatusEffect::kWhenHitSkill), nullptr) << "no source: no own skills";
}

} // namespace
