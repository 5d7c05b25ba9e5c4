// ActorWorld -- the actor test world: a monster class, monster types and actor records, the actor events, a scripted path finder and a scripted behaviour.
#pragma once

#include "entities/Actor.h"
#include "entities/BehaviorBase.h"
#include "entities/CombatSystem.h"
#include "entities/EntityWorld.h"
#include "rules/monsters/MonsterType.h"

#include <string>
#include <vector>

// A behaviour whose answers the test sets and whose calls it records.
class ScriptedBehavior : public BehaviorBase {
public:
    explicit ScriptedBehavior(int32_t kind = 0) : type(kind) {}
    void InitFromData(const BehaviorBase&) override {}
    bool WantsToRun() override
    {
        calls.push_back("wants");
        return wants;
    }
    bool ContinueRunning() override
    {
        calls.push_back("continue");
        return keep;
    }
    bool IsLocked() override { return locked; }
    void Start() override { calls.push_back("start"); }
    void Stop() override { calls.push_back("stop"); }
    void Think(float) override { ++thinks; }
    int32_t GetType() const override { return type; }
    void OnNotifyCurrent(int32_t code, Entity*) override { calls.push_back("current " + std::to_string(code)); }
    void OnNotifyOther(int32_t code, Entity*) override { calls.push_back("notify " + std::to_string(code)); }
    void HandleEvent(Event&) override { calls.push_back("event"); }

    int32_t type = 0;
    bool wants = false;
    bool keep = true;
    bool locked = false;
    int32_t thinks = 0;
    std::vector<std::string> calls;
};

class ActorWorld : public EntityWorld {
protected:
    static constexpr const char* kActorRecords = R"(
GameSystem
{
    BaseXpNeededEachLevel 1000
    GridSize 32 32
    DirectDamagePercentPhysical 1
    TypicalDamageBase 6
    TypicalDamagePerLevel 2
    GuardHateMult 7
    MonsterHealthMultNovice 1.5
    MonsterDamageMultNovice 2
    MonsterSpeedMultNovice 1
    MonsterSkillPointsPerLevel 1
    SpawnCategoryXpMult3 4
    SpawnCategoryScoreMult3 2
    LeaderXpShare 0.25
}
ClassMonsterGeneric
{
    Type Class
    BaseSpeed 140
    HealthPerVit 4
    HealthPerLevel 6
    DefensePerDex 1
    AttackPerDex 1
    StartStrength 8
    StartDexterity 8
    StartVitality 10
    StartIntelligence 5
    StartSpirit 5
    VitalityPerLevel 2
    DexterityPerLevel 1
    MinDamage 2
    MinDamagePerLevel 1
    MaxDamage 4
    MaxDamagePerLevel 2
    ArmorPerLevel 1.5
    Resistance 1
    ResistancePerLevel 0.5
}
StatusEffectBasicRegen
{
    Type StatusEffect
    BasicRegen 1
    Forever 1
    TickTime 1
    EffectType OnlyOne
    GroupName "BasicRegen"
}
SkillClaw
{
    Type Skill
    BasicSkill 1
    Attack 1
    NeedsEnemy 1
    MaxRange 48
}
SkillRend
{
    Type Skill
    BaseCost 2
    CostIncreasePerLevel 1
    MaxSkillLevel 3
    ComparePointsMult 1
}
SkillFreeKnack
{
    Type Skill
    ComparePointsMult 1
}
SkillHowl
{
    Type Skill
    NeedsEnemy 1
}
ArchetypeTest
{
    Type MonsterArchetype
    FactionName "Testers"
}
ActorTestBase
{
    Type Actor
    Class ClassMonsterGeneric
    CanBeAttacked 1
    CanBeHurt 1
    CanMove 1
    CanTurn 1
    XpMult 2
    ScoreForKill 10
    Radius 10
    BaseSpeed 100
    MinSprintSpeed 3
    MaxSprintSpeed 3
    IdleDistance 500
    BaseAggressionRange 200
    BaseHidingAggressionRange 50
    EnemyStealthedAggressionMultiplier 1
    EnemyStealthedAggressionChance 0.8
    SensesTime 1
    DeathFadeTime 4
    HealthMult 1
    DefenseMult 2
    AttackMult 1
    Skill SkillClaw
    DeathSkill SkillHowl
    BaseResistanceFire 7
    OnHateSound "Sounds/growl.ogg"
    OnSightSound "Sounds/spot.ogg"
    HealingHateMult 0.5
}
ActorSpender
{
    Type Actor
    Base ActorTestBase
    UseSkillPoints 1
    StartingSkillPoints 4
    RequiredSkill SkillRend
}
ActorFreeSpender
{
    Type Actor
    Base ActorTestBase
    UseSkillPoints 1
    RequiredSkill SkillFreeKnack
}
ActorHider
{
    Type Actor
    Base ActorTestBase
    HideChance 0.2
    GroupExtraHideChance 0.3
}
ActorNamed
{
    Type Actor
    Base ActorTestBase
    Npc 1
    NpcType Warmaster
    RandomNameFile "testnames"
}
MonsterTester
{
    Type MonsterType
    Archetype ArchetypeTest
    Definition ActorTestBase
    Name "$$MonsterTester$$"
    MinLevel 1
    MaxLevel 30
    BaseResistanceFire 3
}
MonsterSpender
{
    Type MonsterType
    Archetype ArchetypeTest
    Definition ActorSpender
    Name "$$MonsterSpender$$"
}
MonsterFreeSpender
{
    Type MonsterType
    Archetype ArchetypeTest
    Definition ActorFreeSpender
}
MonsterHider
{
    Type MonsterType
    Archetype ArchetypeTest
    Definition ActorHider
    TraitS 0
}
MonsterNamed
{
    Type MonsterType
    Archetype ArchetypeTest
    Definition ActorNamed
    Name "$$MonsterNamed$$"
}
)";

    ActorWorld()
    {
        Actor::RegisterEventClass(events, types);
        LoadRecords(kActorRecords);
    }

    ~ActorWorld() override { CombatSystem::Destroy(); }

    const MonsterType* Type(const char* name) const { return gameData.FindMonsterType(name); }

    // A set-up actor in the fake game's table at x, y of level 0.
    Actor* SpawnActor(const char* typeName = "MonsterTester", int32_t level = 5, float x = 0.0f, float y = 0.0f)
    {
        auto* actor = new Actor();
        actor->SetUpFromMonsterType(Type(typeName), level, false);
        actor->SetPosition(At(x, y));
        EXPECT_NE(game.AddEntity(actor), -1);
        return actor;
    }

    // A living sentient target (a player when asked) at x, y.
    Sentient* SpawnTarget(float x, float y, bool player = false, int32_t level = 5)
    {
        auto* target = Spawn<Sentient>(x, y);
        target->maxHealth = target->health = 100;
        target->stats.Set(CharacterStat::Level, level);
        if (player)
            game.players.push_back(target);
        return target;
    }
};
