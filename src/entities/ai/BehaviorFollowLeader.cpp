// BehaviorFollowLeader -- sprints after the leader when it is farther than the outer range, until nearer than the optimal one.
#include "entities/ai/BehaviorFollowLeader.h"

#include "core/DatabaseEntry.h"
#include "entities/Actor.h"
#include "entities/EntityCovenant.h"

void BehaviorFollowLeader::LoadData(const DatabaseEntry& entry)
{
    tuning.maxOptimalRange = entry.GetFloat("MaxOptimalRange", 0.0f);
    tuning.maxRange = entry.GetFloat("MaxRange", 0.0f);
}

Entity* BehaviorFollowLeader::FollowedLeader() const
{
    Entity* leader = actor->GetLeader();
    if (!leader)
        return nullptr;
    const EntityCovenant* covenant = actor->GetCovenant();
    if (covenant && covenant->GetPartnerIndex() != -1 && leader->position.level != 0)
        return nullptr;
    return leader;
}

bool BehaviorFollowLeader::WantsToRun()
{
    Entity* leader = FollowedLeader();
    return leader && EntityDistance2D(actor, leader, false) > tuning.maxRange;
}

bool BehaviorFollowLeader::ContinueRunning()
{
    Entity* leader = FollowedLeader();
    return leader && EntityDistance2D(actor, leader, false) >= tuning.maxOptimalRange;
}

void BehaviorFollowLeader::SetSprint(bool value)
{
    if (actor->sprinting == value)
        return;
    actor->sprinting = value;
    actor->RecalculateStats(false);
}

void BehaviorFollowLeader::Start()
{
    actor->MoveToEntity(actor->GetLeader());
    SetSprint(true);
}

void BehaviorFollowLeader::Stop()
{
    actor->StopMoving();
    SetSprint(false);
}

void BehaviorFollowLeader::Think(float)
{
    actor->MoveToEntity(actor->GetLeader());
}
