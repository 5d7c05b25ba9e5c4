// BehaviorSuicide -- dies on the spot once the enemy is within reach (the death skill does the harm).
#include "entities/ai/BehaviorSuicide.h"

#include "core/DatabaseEntry.h"
#include "entities/Actor.h"
#include "entities/CombatSystem.h"

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
    // Its own killer: the death events, the covenant's and the game's notices run now; the
    // actor's own update then sees the health and plays out its death.
    actor->health = 0;
    HandleKill(actor, actor);
    done = true;
}
