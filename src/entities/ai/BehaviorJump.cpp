// BehaviorJump -- now and then leaps at an enemy within its band, flying along the "jump" animation between its two markers.
#include "entities/ai/BehaviorJump.h"

#include "core/DatabaseEntry.h"
#include "core/RandomSystem.h"
#include "core/Vector.h"
#include "entities/Actor.h"
#include "resources/models/Animation.h"

BehaviorJump::BehaviorJump()
{
    landing.level = -1;
    RegisterTimer(attemptTimer);
}

void BehaviorJump::LoadData(const DatabaseEntry& entry)
{
    tuning.minRange = entry.GetFloat("MinRange", 0.0f);
    tuning.maxRange = entry.GetFloat("MaxRange", 0.0f);
    tuning.attemptTime = entry.GetFloat("AttemptTime", 0.0f);
    tuning.attemptChance = entry.GetFloat("AttemptChance", 0.0f);
}

bool BehaviorJump::WantsToRun()
{
    Entity* enemy = actor->GetCurrentEnemy();
    if (!enemy || (attemptTimer.running && attemptTimer.remaining > 0.0f))
        return false;
    float distance = EntityDistance2D(actor, enemy, false);
    if (distance < tuning.minRange || distance > tuning.maxRange)
        return false;
    attemptTimer.minimum = attemptTimer.maximum = attemptTimer.total = attemptTimer.remaining = tuning.attemptTime;
    attemptTimer.running = 1;
    float r = DrawRandomFloat(RandomStream::GameData, 1.0f);
    return r < tuning.attemptChance;
}

bool BehaviorJump::FlightVelocity(const WorldPos& from, const WorldPos& landing, int32_t startFrame, int32_t endFrame,
                                  float rate, Vector2& velocity)
{
    velocity = {};
    // A rate of 0 or less, or markers the wrong way round, would divide by nothing or fly backwards.
    if (rate <= 0.0f || endFrame <= startFrame)
        return false;
    float seconds = static_cast<float>(endFrame - startFrame) / rate;
    Vector2 delta = from.DeltaTo(landing);
    velocity = {delta.x / seconds, delta.y / seconds};
    return true;
}

bool BehaviorJump::TryLandingAt(const WorldPos& spot)
{
    if (!actor->CanWalkStraightTo(spot) || !actor->PlayAnimation("jump", kJumpPriority, AnimationMode::ReturnToIdle, true))
        return false;
    const Animation* record = actor->GetAnimationRecord(actor->anim);
    startFrame = record ? record->GetServerEventFrame("startMarker") : 0;
    endFrame = record ? record->GetServerEventFrame("endMarker") : 0;
    jumpAnimation = actor->anim;
    if (!FlightVelocity(actor->position, spot, startFrame, endFrame, actor->speed, velocity))
        return false;
    landing = spot;
    actor->SetMoveTarget(landing);
    actor->StopMoving();
    jumping = true;
    return true;
}

void BehaviorJump::Start()
{
    jumping = false;
    Entity* enemy = actor->GetCurrentEnemy();
    if (enemy && gGameServices) {
        Vector2 delta = actor->position.DeltaTo(enemy->position);
        float length = Vector2Length(delta);
        float reach = length - actor->radius - enemy->radius;
        WorldPos target = actor->position;
        if (length > 0.0f) {
            target.x += delta.x / length * reach;
            target.y += delta.y / length * reach;
        }
        actor->SnapToWorldGrid(target);
        SpawnSearch search;
        search.entity = actor;
        WorldPos spot;
        for (int32_t ring = 0; ring < kLandingRings; ++ring) {
            if (!gGameServices->FindSpawnPositionInRing(target, ring, search, spot))
                continue;
            TryLandingAt(spot);
            // The first ring with a free spot decides: a failure there ends the search.
            break;
        }
    }
    if (!jumping)
        done = true;
}

void BehaviorJump::Think(float seconds)
{
    if (!jumping)
        return;
    if (actor->anim != jumpAnimation) {
        done = true;
        return;
    }
    if (actor->frame >= static_cast<float>(endFrame)) {
        actor->SetPosition(landing);
    } else if (actor->frame >= static_cast<float>(startFrame)) {
        WorldPos where = actor->position;
        where.x += velocity.x * seconds;
        where.y += velocity.y * seconds;
        where.Normalize();
        actor->SetPosition(where);
    }
}

void BehaviorJump::Stop()
{
    if (jumping)
        actor->SetPosition(landing);
    jumping = false;
}
