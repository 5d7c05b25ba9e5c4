// BehaviorDestroyCorpse -- now and then makes the nearest corpse go away, unless its covenant still has a use for it.
#include "entities/ai/BehaviorDestroyCorpse.h"

#include "core/DatabaseEntry.h"
#include "core/RandomSystem.h"
#include "entities/Actor.h"
#include "entities/EntityCovenant.h"

BehaviorDestroyCorpse::BehaviorDestroyCorpse()
{
    RegisterTimer(searchTimer);
}

void BehaviorDestroyCorpse::LoadData(const DatabaseEntry& entry)
{
    tuning.maxRange = entry.GetFloat("MaxRange", 0.0f);
    tuning.destroyTime = entry.GetFloat("DestroyTime", 0.0f);
}

void BehaviorDestroyCorpse::RestartSearch()
{
    searchTimer.minimum = tuning.destroyTime;
    searchTimer.maximum = 1.1f * tuning.destroyTime;
    if (gRandomSystem)
        searchTimer.Restart(*gRandomSystem);
}

Actor* BehaviorDestroyCorpse::FindCorpse()
{
    if (!gGameServices)
        return nullptr;
    // Only the dead are looked at: a living actor nearer than a corpse must not hide it.
    gGameServices->FindEntitiesInRadius(actor->position, actor, tuning.maxRange,
                                        RadiusFilter::Dead | RadiusFilter::NotSource, found, false);
    Actor* nearest = nullptr;
    float best = 0.0f;
    for (Entity* entity : found) {
        auto* corpse = dynamic_cast<Actor*>(entity);
        float distance = corpse ? EntityDistance2D(actor, corpse, false) : 0.0f;
        if (corpse && (!nearest || distance < best)) {
            nearest = corpse;
            best = distance;
        }
    }
    return nearest;
}

bool BehaviorDestroyCorpse::WantsToRun()
{
    if (!searchTimer.running) {
        RestartSearch();
        return false;
    }
    if (searchTimer.remaining > 0.0f)
        return false;
    if (FindCorpse())
        return true;
    RestartSearch();
    return false;
}

void BehaviorDestroyCorpse::Start()
{
    RestartSearch();
    Actor* corpse = FindCorpse();
    if (!corpse || !corpse->IsDead())
        return;
    // A covenant that could still strike the corpse (to loot it, to raise it) keeps it.
    const EntityCovenant* covenant = actor->GetCovenant();
    if (covenant && covenant->GetHitChanceAgainst(*actor, *corpse) > 0.0f)
        return;
    corpse->RemoveCorpse();
}
