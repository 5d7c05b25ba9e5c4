// BehaviorRetreat -- breaks away from the enemy when it is too near, after a hit, while hidden or at low health, then rests before the next retreat.
#include "entities/ai/BehaviorRetreat.h"

#include "core/DatabaseEntry.h"
#include "core/Event.h"
#include "core/RandomSystem.h"
#include "core/Vector.h"
#include "entities/Actor.h"
#include "entities/ai/BehaviorSearch.h"

#include <cmath>
#include <numbers>

BehaviorRetreat::BehaviorRetreat()
{
    RegisterTimer(restTimer);
}

void BehaviorRetreat::LoadData(const DatabaseEntry& entry)
{
    tuning.minOptimalRange = entry.GetFloat("MinOptimalRange", 0.0f);
    tuning.minRange = entry.GetFloat("MinRange", 0.0f);
    tuning.retreatTime = entry.GetFloat("RetreatTime", 0.0f);
    tuning.onHit = entry.GetInt("OnHit") != 0;
    tuning.whenHidden = entry.GetInt("WhenHidden") != 0;
    tuning.dontRunWhenTargeted = entry.GetInt("DontRunWhenTargeted") != 0;
    tuning.dontRunWhenHateEnemy = entry.GetInt("DontRunWhenHateEnemy") != 0;
    tuning.retreatDistance = entry.GetFloat("RetreatDistance", 0.0f);
    tuning.lowHealth = entry.GetFloat("LowHealth", 0.0f);
}

bool BehaviorRetreat::IsTargetedBy(const Entity& enemy) const
{
    const auto* sentient = dynamic_cast<const Sentient*>(&enemy);
    return sentient && sentient->GetCurrentEnemy() == actor;
}

bool BehaviorRetreat::WantsToRun()
{
    Entity* enemy = actor->GetCurrentEnemy();
    if (!enemy)
        return false;
    if (tuning.dontRunWhenTargeted && IsTargetedBy(*enemy))
        return false;
    if (tuning.dontRunWhenHateEnemy) {
        const HateEntry* entry = actor->FindHateEntry(enemy);
        if (entry && entry->hate > 0.0f)
            return false;
    }
    if (restTimer.running && restTimer.remaining > 0.0f)
        return false;
    if (EntityDistance2D(actor, enemy, false) < tuning.minRange || wasHit)
        return true;
    if (tuning.whenHidden && (actor->flags & EntityFlag::Hidden))
        return true;
    return tuning.lowHealth > 0.0f && actor->maxHealth > 0 &&
           static_cast<float>(actor->health) / static_cast<float>(actor->maxHealth) < tuning.lowHealth;
}

bool BehaviorRetreat::ContinueRunning()
{
    Entity* enemy = actor->GetCurrentEnemy();
    return enemy && !(tuning.dontRunWhenTargeted && IsTargetedBy(*enemy)) && !done;
}

void BehaviorRetreat::Start()
{
    Entity* enemy = actor->GetCurrentEnemy();
    if (!enemy || !gGameServices)
        return;
    Vector2 away = enemy->position.DeltaTo(actor->position);
    float r = DrawRandomFloat(RandomStream::GameData, 0.5f);
    float degrees = Vector2Angle(away) + (r * 180.0f - 90.0f);
    float radians = degrees * std::numbers::pi_v<float> / 180.0f;
    WorldPos point = actor->position;
    point.x += tuning.retreatDistance * std::cos(radians);
    point.y += tuning.retreatDistance * std::sin(radians);
    point.Normalize();
    // A point that normalises onto no level gives no move.
    if (!gGameServices->IsKnownLevel(point.level))
        return;
    SpawnSearch search;
    search.entity = actor;
    WorldPos free;
    if (gGameServices->FindSpawnPosition(point, kRetreatRings, search, false, free))
        actor->MoveTo(free);
}

void BehaviorRetreat::OnNotifyCurrent(int32_t code, Entity*)
{
    if (code == ActorNotice::kPathFailed || code == ActorNotice::kArrived)
        done = true;
}

void BehaviorRetreat::HandleEvent(Event& event)
{
    if (tuning.onHit && event.name == "SuccessfulHit")
        wasHit = true;
}

void BehaviorRetreat::Stop()
{
    actor->StopMoving();
    BehaviorRestartTimer(restTimer, tuning.retreatTime, 1.1f * tuning.retreatTime);
    wasHit = false;
}
