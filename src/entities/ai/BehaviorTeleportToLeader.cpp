// BehaviorTeleportToLeader -- puts an actor left far behind beside its leader, on a spot with a clear line to it.
#include "entities/ai/BehaviorTeleportToLeader.h"

#include "core/DatabaseEntry.h"
#include "core/RandomSystem.h"
#include "entities/Actor.h"
#include "entities/EntityCovenant.h"

void BehaviorTeleportToLeader::LoadData(const DatabaseEntry& entry)
{
    tuning.maxOptimalRange = entry.GetFloat("MaxOptimalRange", 0.0f);
    tuning.maxRange = entry.GetFloat("MaxRange", 0.0f);
}

bool BehaviorTeleportToLeader::IsNearPartnerHome(const Entity& entity) const
{
    const EntityCovenant* own = actor->GetCovenant();
    const EntityCovenant* partner = own && gGameServices ? gGameServices->GetCovenant(own->GetPartnerIndex()) : nullptr;
    return partner && own->IsMember(*actor) && entity.position.Distance2D(partner->GetHomePosition()) <= kHomeReach;
}

bool BehaviorTeleportToLeader::WantsToRun()
{
    Sentient* leader = actor->GetLeader();
    if (!leader || (leader->maxHealth >= 1 && leader->health <= 0))
        return false;
    const EntityCovenant* covenant = actor->GetCovenant();
    if (covenant && covenant->GetPartnerIndex() != -1 && leader->position.level != 0)
        return false;
    // At the partner's home the actor stays unless its leader is there too.
    if (IsNearPartnerHome(*actor) && !IsNearPartnerHome(*leader))
        return false;
    return EntityDistance2D(actor, leader, false) > tuning.maxRange;
}

void BehaviorTeleportToLeader::Start()
{
    Sentient* leader = actor->GetLeader();
    if (!leader || !gGameServices || !gRandomSystem)
        return;
    float box = tuning.maxOptimalRange;
    for (int32_t attempt = 0; attempt < kTries; ++attempt) {
        WorldPos spot = leader->position;
        spot.x += gRandomSystem->RandomFloat(RandomStream::GameData) * 2.0f * box - box;
        spot.y += gRandomSystem->RandomFloat(RandomStream::GameData) * 2.0f * box - box;
        spot.Normalize();
        Actor::SnapToWorldGrid(spot);
        if (!gGameServices->IsKnownLevel(spot.level) || !gGameServices->HasClearLine(spot, leader, kClearLineMask))
            continue;
        actor->Warp(spot);
        actor->ClearHateList();
        return;
    }
}
