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

    const BehaviorStack* StackOf(const char* archetypeName) const
    {
        const MonsterArchetype* archetype = gameData.FindArchetype(archetypeName);
        for (const auto& stack : game.behaviorStacks)
            if (stack->owner == archetype)
                return stack.get();
        return nullptr;
    }
};
