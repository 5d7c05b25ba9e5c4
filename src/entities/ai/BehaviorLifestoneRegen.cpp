// BehaviorLifestoneRegen -- takes a hurt or drained actor to its covenant's lifestone and keeps it there until whole.
#include "entities/ai/BehaviorLifestoneRegen.h"

#include "core/DatabaseEntry.h"
#include "entities/Actor.h"
#include "entities/EntityCovenant.h"

void BehaviorLifestoneRegen::LoadData(const DatabaseEntry& entry)
{
    tuning.maxDistance = entry.GetFloat("MaxDistance", 0.0f);
}

Entity* BehaviorLifestoneRegen::Lifestone() const
{
    const EntityCovenant* covenant = actor->GetCovenant();
    return covenant ? covenant->GetHomeEntity() : nullptr;
}

bool BehaviorLifestoneRegen::WantsToRun()
{
    Entity* lifestone = Lifestone();
    return lifestone && EntityDistance2D(actor, lifestone, false) <= tuning.maxDistance && ContinueRunning();
}

bool BehaviorLifestoneRegen::ContinueRunning()
{
    if (actor->health < actor->maxHealth)
        return true;
    // A power bar is a maximum power above 0.
    int32_t maxPower = actor->GetStat(CharacterStat::MaxPower);
    return maxPower > 0 && actor->GetStat(CharacterStat::Power) < maxPower;
}

void BehaviorLifestoneRegen::Think(float)
{
    Entity* lifestone = Lifestone();
    if (!lifestone)
        return;
    actor->MoveToEntity(lifestone);
    if (!regenerating && EntityDistance2D(actor, lifestone, false) < kUseReach) {
        lifestone->OnUsedBy(actor);
        regenerating = true;
    }
}

void BehaviorLifestoneRegen::Stop()
{
    if (Entity* lifestone = Lifestone())
        lifestone->OnUseEnded(actor);
    regenerating = false;
}
