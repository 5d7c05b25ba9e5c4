// BehaviorSuicide -- dies on the spot once the enemy is within reach (the death skill does the harm).
#include "entities/ai/BehaviorSuicide.h"

#include "core/DatabaseEntry.h"
#include "entities/Actor.h"

void BehaviorSuicide::LoadFromArchetype(const DatabaseEntry& entry)
{
    tuning.maxSuicideRange = entry.GetFloat("MaxSuicideRange", 0.0f);
}

bool BehaviorSuicide::WantsToRun()
{
    Entity* enemy = actor->GetCurrentEnemy();
    return enemy && EntityDistance2D(actor, enemy, false) < tuning.maxSuicideRange;
}

void BehaviorSuicide::Start()
{
    // The actor's own update sees the health and runs its death.
    actor->health = 0;
    done = true;
}
