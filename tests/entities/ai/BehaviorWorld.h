// BehaviorWorld -- the behaviour test world: the actor world with behaviour stacks and data entries, the stacks built into the fake game.
#pragma once

#include "entities/ActorWorld.h"
#include "entities/ai/BehaviorStack.h"
#include "rules/monsters/MonsterArchetype.h"

#include <string>

class BehaviorWorld : public ActorWorld {
protected:
    static constexpr const char* kBehaviorRecords = R"(
StackBase
{
    Type BehaviorStack
    Behavior FollowLeader
    Behavior Sleep
}
StackFighter
{
    Type BehaviorStack
    Base StackBase
    Behavior suicide
    Behavior APPROACH
}
BehaviorDataDefaultApproach
{
    Type BehaviorData
    MaxOptimalRange 40
    MaxRange 100
}
ApproachClose
{
    Type BehaviorData
    MaxOptimalRange 10
    MaxRange 20
}
ArchetypeFighter
{
    Type MonsterArchetype
    FactionName "Testers"
    BehaviorStack StackFighter
    MaxSuicideRange 30
    AttackInterval 1
}
ArchetypeCloseFighter
{
    Type MonsterArchetype
    FactionName "Testers"
    BehaviorStack StackFighter
    ApproachData ApproachClose
}
ArchetypeLost
{
    Type MonsterArchetype
    BehaviorStack StackNowhere
}
ArchetypeRisen
{
    Type MonsterArchetype
    FactionName "Testers"
    Raisable 1
}
ActorRisen
{
    Type Actor
    Base ActorTestBase
    CanBeRaised 1
}
MonsterRisen
{
    Type MonsterType
    Archetype ArchetypeRisen
    Definition ActorRisen
    MinLevel 1
    MaxLevel 30
}
HowlerCalls
{
    Type SoundGroup
}
GruntCalls
{
    Type SoundGroup
}
ArchetypeHowler
{
    Type MonsterArchetype
    FactionName "Testers"
    SoundGroup HowlerCalls
}
ArchetypeGrunt
{
    Type MonsterArchetype
    FactionName "Testers"
    SoundGroup GruntCalls
}
MonsterHowler
{
    Type MonsterType
    Archetype ArchetypeHowler
    Definition ActorTestBase
    MinLevel 1
    MaxLevel 30
}
MonsterGrunt
{
    Type MonsterType
    Archetype ArchetypeGrunt
    Definition ActorTestBase
    MinLevel 1
    MaxLevel 30
}
ArchetypeCarrion
{
    Type MonsterArchetype
    FactionName "Testers"
    Edible 1
}
MonsterCarrion
{
    Type MonsterType
    Archetype ArchetypeCarrion
    Definition ActorTestBase
    MinLevel 1
    MaxLevel 30
}
SkillBite
{
    Type Skill
    NeedsEnemy 1
    MaxRange 300
    BasePriority 1
    MinDamage 1
    MaxDamage 2
}
SkillHex
{
    Type Skill
    NeedsEnemy 1
    MaxRange 300
    BasePriority 2
    CastTime 1
}
ArchetypeBiter
{
    Type MonsterArchetype
    FactionName "Testers"
    SkillDelay 2
}
ActorBiter
{
    Type Actor
    Base ActorTestBase
    Skill SkillBite
}
ActorHexer
{
    Type Actor
    Base ActorTestBase
    Skill SkillHex
}
MonsterBiter
{
    Type MonsterType
    Archetype ArchetypeBiter
    Definition ActorBiter
    MinLevel 1
    MaxLevel 30
}
MonsterHexer
{
    Type MonsterType
    Archetype ArchetypeBiter
    Definition ActorHexer
    MinLevel 1
    MaxLevel 30
}
RangedTestArrow
{
    Type Projectile
    Speed 1
}
MonsterFighter
{
    Type MonsterType
    Archetype ArchetypeFighter
    Definition ActorTestBase
    MinLevel 1
    MaxLevel 30
}
)";

    BehaviorWorld() { LoadBehaviorRecords(""); }

    // The actor records, the behaviour records and the extra text, then the stacks built.
    void LoadBehaviorRecords(const std::string& extra)
    {
        LoadRecords(std::string(kActorRecords) + kBehaviorRecords + extra);
        BuildBehaviorStacks(game.behaviorStacks);
    }

    // A corpse lying as the dying left it: dead, its corpse state 2.
    Actor* Corpse(const char* typeName, float x, float y = 0.0f)
    {
        Actor* corpse = SpawnActor(typeName, 5, x, y);
        corpse->health = 0;
        corpse->OnDyingDone();
        return corpse;
    }

    // The behaviour bound to the actor, not in its list.
    template <class T>
    std::unique_ptr<T> BoundTo(Actor* owner)
    {
        auto behavior = std::make_unique<T>();
        behavior->actor = owner;
        return behavior;
    }

    // The behaviour in the actor's list, so that its notices and selection reach it.
    template <class T>
    T* AddedTo(Actor* owner)
    {
        auto behavior = BoundTo<T>(owner);
        T* raw = behavior.get();
        owner->AddBehavior(std::move(behavior));
        return raw;
    }

    const BehaviorStack* StackOf(const char* archetypeName) const
    {
        const MonsterArchetype* archetype = gameData.FindArchetype(archetypeName);
        for (const auto& stack : game.behaviorStacks)
            if (stack->owner == archetype)
                return stack.get();
        return nullptr;
    }
};
