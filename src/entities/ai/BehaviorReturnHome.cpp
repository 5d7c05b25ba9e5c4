// BehaviorReturnHome -- walks the actor back to where it was first placed, or puts it there when the way fails unseen.
#include "entities/ai/BehaviorReturnHome.h"

#include "entities/Actor.h"

BehaviorReturnHome::BehaviorReturnHome()
{
    goal.level = -1;
    blockedPosition.level = -1;
}

bool BehaviorReturnHome::IsNear(const WorldPos& from, const WorldPos& to, float reach)
{
    return to.level >= 0 && from.IsWithinRange(to, reach);
}

bool BehaviorReturnHome::WantsToRun()
{
    const Sentient* leader = actor->GetLeader();
    if (leader && leader->IsPlayer())
        return false;
    if (IsNear(actor->position, goal, kHomeReach))
        return false;
    return !IsNear(actor->position, blockedPosition, kArrivedReach);
}

bool BehaviorReturnHome::ContinueRunning()
{
    return !done && !IsNear(actor->position, goal, kArrivedReach);
}

void BehaviorReturnHome::Start()
{
    goal = actor->homePosition;
    blockedPosition = WorldPos();
    blockedPosition.level = -1;
    actor->MoveTo(goal);
}

void BehaviorReturnHome::Think(float)
{
    actor->MoveTo(goal);
}

void BehaviorReturnHome::OnNotifyCurrent(int32_t code, Entity*)
{
    if (code == ActorNotice::kArrived) {
        done = true;
    } else if (code == ActorNotice::kPathFailed) {
        // Unseen by any player the actor may simply be put home.
        if (!actor->IsNearestPlayerWithin(actor->idleDistance))
            teleportWanted = true;
        else
            blockedPosition = actor->position;
        done = true;
    }
}

void BehaviorReturnHome::Stop()
{
    if (teleportWanted && gGameServices) {
        teleportWanted = false;
        SpawnSearch search;
        search.entity = actor;
        WorldPos spot;
        if (gGameServices->FindSpawnPosition(goal, kPutHomeRings, search, false, spot))
            actor->Warp(spot);
    }
    actor->gaveUp = false;
}
