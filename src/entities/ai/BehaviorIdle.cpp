// BehaviorIdle -- what a monster does with a player near and no fight: stands, wanders between home and a patrol point, and calls to others of its sound group.
#include "entities/ai/BehaviorIdle.h"

#include "core/DatabaseEntry.h"
#include "core/Event.h"
#include "core/EventSystem.h"
#include "core/RandomSystem.h"
#include "entities/Actor.h"
#include "rules/monsters/MonsterArchetype.h"
#include "rules/monsters/MonsterType.h"

namespace {

// An actor sound is heard this far.
constexpr float kIdleCallSoundRadius = 500.0f;

void IdleRestart(RandomTimer& timer, float minimum, float maximum)
{
    timer.minimum = minimum;
    timer.maximum = maximum;
    if (gRandomSystem)
        timer.Restart(*gRandomSystem);
}

const DatabaseEntry* IdleSoundGroupOf(const Actor& actor)
{
    const MonsterType* type = actor.GetMonsterType();
    return type && type->archetype ? type->archetype->soundGroup : nullptr;
}

} // namespace

BehaviorIdle::BehaviorIdle()
{
    patrolPoint.level = -1;
    destination.level = -1;
    RegisterTimer(thinkTimer);
    RegisterTimer(soundTimer);
    RegisterTimer(stayStillTimer);
}

void BehaviorIdle::LoadData(const DatabaseEntry& entry)
{
    tuning.minIdleThinkTime = entry.GetFloat("MinIdleThinkTime", 0.0f);
    tuning.maxIdleThinkTime = entry.GetFloat("MaxIdleThinkTime", 0.0f);
    tuning.minIdleSoundTime = entry.GetFloat("MinIdleSoundTime", 0.0f);
    tuning.maxIdleSoundTime = entry.GetFloat("MaxIdleSoundTime", 0.0f);
    tuning.minStayStillTime = entry.GetFloat("MinStayStillTime", 0.0f);
    tuning.maxStayStillTime = entry.GetFloat("MaxStayStillTime", 0.0f);
    tuning.idleSoundChance = entry.GetFloat("IdleSoundChance", 0.0f);
    tuning.idleSoundAnswerChance = entry.GetFloat("IdleSoundAnswerChance", 0.0f);
    tuning.idleDistance = entry.GetFloat("IdleDistance", 0.0f);
    tuning.dontRunWhenTargeted = entry.GetInt("DontRunWhenTargeted") != 0;
    tuning.dontMove = entry.GetInt("DontMove") != 0;
    tuning.minSoundDistance = entry.GetFloat("MinSoundDistance", 0.0f);
    tuning.maxSoundDistance = entry.GetFloat("MaxSoundDistance", 0.0f);
    tuning.dontInterruptPatrol = entry.GetInt("DontInterruptPatrol") != 0;
}

void BehaviorIdle::LoadFromArchetype(const DatabaseEntry& entry)
{
    tuning.idleSoundAnimation = entry.GetString("IdleSoundAnimation");
    tuning.idleSound = entry.GetString("IdleSound");
}

bool BehaviorIdle::WantsToRun()
{
    return actor->IsNearestPlayerWithin(tuning.idleDistance) && !(actor->flags & EntityFlag::Hidden);
}

bool BehaviorIdle::ContinueRunning()
{
    return walking || goingHome || actor->IsNearestPlayerWithin(tuning.idleDistance);
}

void BehaviorIdle::RestartTimers()
{
    IdleRestart(thinkTimer, tuning.minIdleThinkTime, tuning.maxIdleThinkTime);
    IdleRestart(soundTimer, tuning.minIdleSoundTime, tuning.maxIdleSoundTime);
    IdleRestart(stayStillTimer, tuning.minStayStillTime, tuning.maxStayStillTime);
}

void BehaviorIdle::Start()
{
    walking = hasPatrolPoint = goingHome = false;
    RestartTimers();
}

void BehaviorIdle::Stop()
{
    thinkTimer.running = soundTimer.running = stayStillTimer.running = 0;
    if (walking) {
        walking = false;
        actor->StopMoving();
    }
    callPlaying = false;
}

void BehaviorIdle::Think(float)
{
    if (thinkTimer.IsExpired() && !callPlaying) {
        Wander();
        IdleRestart(thinkTimer, tuning.minIdleThinkTime, tuning.maxIdleThinkTime);
    }
    if (!walking) {
        if (!callPlaying)
            Call();
        else if (!actor->IsPlayingAnimation(tuning.idleSoundAnimation))
            callPlaying = false;
    }
    Entity* enemy = actor->GetCurrentEnemy();
    if (!walking && enemy && !tuning.dontMove && !actor->onTask) {
        if (enemy != actor)
            actor->FaceEntity(enemy, false);
        return;
    }
    if (!actor->FacesPlayer() || !gGameServices || gGameServices->GetPlayers().empty())
        return;
    const Sentient* player = gGameServices->GetPlayers().front();
    if (player && player->GetUseTarget() == actor)
        actor->FaceEntity(player, false);
}

bool BehaviorIdle::MayWander() const
{
    return !tuning.dontMove && !actor->onTask && !actor->FacesPlayer();
}

void BehaviorIdle::Wander()
{
    if (!MayWander())
        return;
    const auto* enemy = dynamic_cast<const Sentient*>(actor->GetCurrentEnemy());
    if (enemy && tuning.dontRunWhenTargeted && enemy->GetCurrentEnemy() == actor) {
        if (walking) {
            actor->MoveTo(destination);
            walking = false;
        }
        return;
    }
    if (walking) {
        if (actor->position.IsWithinRange(destination, kArrivedReach))
            EndLeg();
        actor->MoveTo(destination);
        return;
    }
    if (!stayStillTimer.IsExpired())
        return;
    if (!hasPatrolPoint)
        ChoosePatrolPoint();
    StartLeg();
}

void BehaviorIdle::StartLeg()
{
    walking = hasPatrolPoint;
    if (!walking)
        return;
    destination = goingHome ? actor->homePosition : patrolPoint;
    actor->MoveTo(destination);
}

void BehaviorIdle::EndLeg()
{
    walking = false;
    IdleRestart(stayStillTimer, tuning.minStayStillTime, tuning.maxStayStillTime);
    goingHome = !goingHome;
    actor->Idle(true);
}

bool BehaviorIdle::ChoosePatrolPoint()
{
    const WorldPos& home = actor->homePosition;
    float r1 = DrawRandomFloat(RandomStream::GameData, 1.0f);
    float r2 = DrawRandomFloat(RandomStream::GameData, 1.0f);
    WorldPos point = home;
    point.y += r1 * 2.0f * kPatrolHalfHeight - kPatrolHalfHeight;
    point.x += r2 * 2.0f * kPatrolHalfWidth - kPatrolHalfWidth;
    point.Normalize();
    Actor::SnapToWorldGrid(point);
    hasPatrolPoint = gGameServices && gGameServices->FindPath(*actor, home, point, nullptr, nullptr);
    if (hasPatrolPoint)
        patrolPoint = point;
    return hasPatrolPoint;
}

void BehaviorIdle::OnNotifyCurrent(int32_t code, Entity*)
{
    if (!walking)
        return;
    if (code == ActorNotice::kPathFailed) {
        // The old point is given up; the leg goes on towards a new one, or ends without one.
        hasPatrolPoint = false;
        ChoosePatrolPoint();
        StartLeg();
    } else if (code == ActorNotice::kArrived) {
        EndLeg();
    }
}

float BehaviorIdle::CallChance()
{
    float chance = answerPending ? tuning.idleSoundAnswerChance : tuning.idleSoundChance;
    answerPending = false;
    if (actor->onTask)
        chance *= 0.5f;
    int32_t state = actor->spawnCategory;
    if (state == 1 || state == 2)
        chance *= 1.1f;
    else if (state == 3 || state == 4)
        chance *= 1.25f;
    else if (state == 5 || state == 6)
        chance *= 1.5f;
    return chance;
}

void BehaviorIdle::Call()
{
    if (!soundTimer.IsExpired())
        return;
    IdleRestart(soundTimer, tuning.minIdleSoundTime, tuning.maxIdleSoundTime);
    float chance = CallChance();
    if (DrawRandomFloat(RandomStream::GameData, 1.0f) > chance ||
        !actor->IsNearestPlayerWithin(tuning.maxSoundDistance))
        return;
    actor->QueueWorldEvent(tuning.idleSound, kIdleCallSoundRadius, 0.0f);
    if (actor->PlayAnimation(tuning.idleSoundAnimation, kCallPriority, AnimationMode::ReturnToIdle, true))
        callPlaying = true;
    BroadcastCall();
}

void BehaviorIdle::BroadcastCall()
{
    const DatabaseEntry* group = IdleSoundGroupOf(*actor);
    if (!group || !gEventSystem || !gGameServices)
        return;
    int id = gEventSystem->FindEvent(Actor::kPassToBehaviorEvent);
    Event* event = id >= 0 ? gEventSystem->MakeEvent(id) : nullptr;
    if (!event)
        return;
    event->params.WriteInt(kCallKind);
    event->params.WriteInt(group->GetId());
    gGameServices->BroadcastEventInRadius(event, actor, tuning.idleDistance, kCallFilter);
}

void BehaviorIdle::HandleEvent(Event& event)
{
    if (event.name != Actor::kPassToBehaviorEvent || event.params.ReadInt() != kCallKind)
        return;
    int32_t groupId = event.params.ReadInt();
    const DatabaseEntry* group = IdleSoundGroupOf(*actor);
    if (!event.params.Overrun() && !actor->onTask && group && group->GetId() == groupId)
        answerPending = true;
}
