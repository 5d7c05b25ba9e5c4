// BehaviorTeleportRaid -- puts a raider still far from the raided covenant's home at that covenant's arrival point.
#include "entities/ai/BehaviorTeleportRaid.h"

#include "core/DatabaseEntry.h"
#include "entities/Actor.h"
#include "entities/EntityCovenant.h"

void BehaviorTeleportRaid::LoadData(const DatabaseEntry& entry)
{
    tuning.maxRange = entry.GetFloat("MaxRange", 0.0f);
    tuning.maxRangeWithEnemy = entry.GetFloat("MaxRangeWithEnemy", 0.0f);
}

const EntityCovenant* BehaviorTeleportRaid::RaidedCovenant() const
{
    const EntityCovenant* own = actor->GetCovenant();
    if (!own || own->GetPartnerTreaty() != EntityCovenant::kTreatyRaid || !own->IsInRaidingParty(*actor) ||
        !own->IsRaiding() || !gGameServices)
        return nullptr;
    return gGameServices->GetCovenant(own->GetPartnerIndex());
}

bool BehaviorTeleportRaid::WantsToRun()
{
    const EntityCovenant* raided = RaidedCovenant();
    if (!raided || actor->position.Distance2D(raided->GetHomePosition()) < tuning.maxRange)
        return false;
    const Entity* enemy = actor->GetCurrentEnemy();
    return !enemy || EntityDistance2D(actor, enemy, false) >= tuning.maxRangeWithEnemy;
}

void BehaviorTeleportRaid::Start()
{
    const EntityCovenant* raided = RaidedCovenant();
    if (!raided || !gGameServices)
        return;
    WorldPos arrival = raided->GetSpawnPointNearHome();
    // An arrival point on no level leaves the actor where it is, its hate kept.
    if (!gGameServices->IsKnownLevel(arrival.level))
        return;
    actor->Warp(arrival);
    actor->ClearHateList();
}
