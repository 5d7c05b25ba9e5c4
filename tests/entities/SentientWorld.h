// SentientWorld -- the entity test world with a tester class, an experience curve and a set of status effects to stack.
#pragma once

#include "entities/EntityWorld.h"
#include "entities/Sentient.h"
#include "entities/StatusEffect.h"

#include <string>

class SentientWorld : public EntityWorld {
protected:
    // "ClassTester" is class 0; every level needs 1000 points.
    static constexpr const char* kRecords = R"(
GameSystem
{
    BaseXpNeededEachLevel 1000
    MaxBaseStrength 12
    SecretDiscoveryXpMult 3
    LevelDiscoveryXpMult 0.5
    LevelUpEffect "Effects/levelup.mdl"
    WarpRings 3
    AttackSoundNormalHit "Sounds/thud.wav"
    AttackSoundCriticalHit "Sounds/crack.wav"
}
ClassTester
{
    Type Class
    BaseSpeed 150
    MaxPower 100
    PowerStart 40
    HealthPerVit 5
    HealthPerLevel 8.5
    DefensePerDex 1.5
    AttackPerDex 2
    ResistancePerSpr 0.5
    HealthRegenPerSpr 3
    SpecificMissTypePercent 0.1
    DamageMultPerStr 0.05
    CriticalPerInt 0.5
    StrengthPerLevel 2
    DexterityPerLevel 1
    VitalityPerLevel 1
    CombatHealthRegenMultiplier 0.5
}
ClassDrainer
{
    Type Class
    CanRegenPower 1
    BasePowerRegen 2
    PowerDirection 1
    PowerDecay 3
    PowerTimer 1
    MaxPowerOnLevelUp 1
    PowerPerInt 2
    PowerPerSpr 3
}
Regen
{
    Type StatusEffect
    BasicRegen 1
    Forever 1
    TickTime 1
    EffectType OnlyOne
    GroupName "BasicRegen"
}
Boost
{
    Type StatusEffect
    Public 1
    TotalTime 3
    TickTime 1
    StatChangeStrength 4
    StatChangeLevel 5
    StatChangePower 10
    StatChangeSkill1 3
    StatChangeMaxPower 7
    StatChangeArmor 25
    StatChangeSize 50
    EntityState Hit
}
Doubler
{
    Type StatusEffect
    StatMultArmor 1.0
}
Halver
{
    Type StatusEffect
    StatMultArmor -1.0
}
NormalA
{
    Type StatusEffect
    TotalTime 5
    EffectType Normal
    GroupName "G"
}
OnlyOneA
{
    Type StatusEffect
    TotalTime 5
    EffectType OnlyOne
    GroupName "G"
}
PerInflicterA
{
    Type StatusEffect
    TotalTime 5
    EffectType OnePerInflicter
    GroupName "G"
}
ExactA
{
    Type StatusEffect
    TotalTime 5
    EffectType OnlyOneExact
    GroupName "G"
}
ExactB
{
    Type StatusEffect
    TotalTime 5
    EffectType OnlyOneExact
    GroupName "H"
}
KeepOldA
{
    Type StatusEffect
    TotalTime 5
    EffectType OnlyOneKeepOld
    GroupName "G"
}
CancelA
{
    Type StatusEffect
    TotalTime 5
    EffectType Cancel
    GroupName "G"
}
HealOverTime
{
    Type StatusEffect
    TotalTime 10
    TickTime 1
    HealthChange 5
    EffectType Combine
    GroupName "Heal"
}
NotAnEffect
{
    Type Item
}
)";

    void LoadTester() { LoadRecords(kRecords); }

    // A sentient of the class with the base attributes Strength .. Spirit, stats computed and refilled.
    Sentient* MakeTester(int32_t classIndex, int32_t strength, int32_t dexterity, int32_t vitality,
                         int32_t intelligence, int32_t spirit)
    {
        auto* sentient = Spawn<Sentient>(500, 500);
        sentient->SetClass(classIndex, true);
        int32_t attributes[] = {strength, dexterity, vitality, intelligence, spirit};
        for (int32_t i = 0; i < 5; ++i)
            sentient->stats.Set(CharacterStat::BaseStrength + i, attributes[i]);
        sentient->RecalculateStats(true);
        return sentient;
    }

    const DatabaseEntry* Record(const char* name) { return database.FindEntryByName(name); }

    static int32_t CountLive(const Sentient& sentient)
    {
        int32_t count = 0;
        for (const auto& effect : sentient.GetStatusEffects())
            count += effect->IsExpired() ? 0 : 1;
        return count;
    }
};
