// BehaviorTeleport -- blinks 200 units away from an enemy that comes too near, then waits out its teleport time.
#include "entities/ai/BehaviorTeleport.h"

#include "core/DatabaseEntry.h"
#include "core/Vector.h"
#include "entities/Actor.h"
#include "entities/ai/BehaviorSearch.h"

BehaviorTeleport::BehaviorTeleport()
{
    RegisterTimer(teleportTimer);
}

void BehaviorTeleport::LoadFromArchetype(const DatabaseEntry& entry)
{
    tuning.minRange = entry.GetFloat("MinRange", 0.0f);
    tuning.teleportTime = entry.GetFloat("TeleportTime", 0.0f);
}

bool BehaviorTeleport::WantsToRun()
{
    Entity* enemy = actor->GetCurrentEnemy();
    if (!enemy || (teleportTimer.running && teleportTimer.remaining > 0.0f))
        return false;
    return EntityDistance2D(actor, enemy, false) < tuning.minRange;
}

void BehaviorTeleport::Start()
{
    Entity* enemy = actor->GetCurrentEnemy();
    if (!enemy)
        return;
    Vector2 away = enemy->position.DeltaTo(actor->position);
    float length = Vector2Length(away);
    if (length <= 0.0f)
        return;
    WorldPos destination = actor->position;
    destination.x += kBlinkDistance * away.x / length;
    destination.y += kBlinkDistance * away.y / length;
    destination.Normalize();
    // A destination on no level leaves the actor where it is.
    actor->Warp(destination);
}

void BehaviorTeleport::Stop()
{
    BehaviorRestartTimer(teleportTimer, tuning.teleportTime, 1.1f * tuning.teleportTime);
}
