// BehaviorApproach -- closes in on the enemy when it is farther than the outer range, until it is nearer than the optimal one.
#include "entities/ai/BehaviorApproach.h"

#include "core/DatabaseEntry.h"
#include "entities/Actor.h"

void BehaviorApproach::LoadData(const DatabaseEntry& entry)
{
    tuning.maxOptimalRange = entry.GetFloat("MaxOptimalRange", 0.0f);
    tuning.maxRange = entry.GetFloat("MaxRange", 0.0f);
}

bool BehaviorApproach::WantsToRun()
{
    Entity* enemy = actor->GetCurrentEnemy();
    return enemy && EntityDistance2D(actor, enemy, false) > tuning.maxRange;
}

bool BehaviorApproach::ContinueRunning()
{
    Entity* enemy = actor->GetCurrentEnemy();
    return enemy && EntityDistance2D(actor, enemy, false) >= tuning.maxOptimalRange;
}

void BehaviorApproach::Start()
{
    actor->MoveToEntity(actor->GetCurrentEnemy());
}

void BehaviorApproach::Stop()
{
    actor->StopMoving();
}

void BehaviorApproach::Think(float)
{
    actor->MoveToEntity(actor->GetCurrentEnemy());
}
