// BehaviorDestroyCorpse -- now and then makes the nearest corpse go away, unless its covenant still has a use for it.
#include "entities/ai/BehaviorDestroyCorpse.h"

#include "core/DatabaseEntry.h"
#include "entities/Actor.h"
#include "entities/EntityCovenant.h"
#include "entities/ai/BehaviorSearch.h"

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
    BehaviorRestartTimer(searchTimer, tuning.destroyTime, 1.1f * tuning.destroyTime);
}

Actor* BehaviorDestroyCorpse::FindCorpse()
{
    // Only the dead are looked at: a living actor nearer than a corpse must not hide it.
    Entity* nearest = BehaviorFindNearest(*actor, tuning.maxRange, RadiusFilter::Dead | RadiusFilter::NotSource,
                                          [](const Entity& entity) { return dynamic_cast<const Actor*>(&entity) != nullptr; });
    return dynamic_cast<Actor*>(nearest);
}

bool BehaviorDestroyCorpse::WantsToRun()
{
    return BehaviorSearchWhenDue(searchTimer, [this] { RestartSearch(); }, [this] { return FindCorpse() != nullptr; });
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
    corpse->ConsumeCorpse();
}
