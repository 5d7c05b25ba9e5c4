// BehaviorSearch -- the timed look-around several behaviours share: restarting the wait, searching when it runs out, the nearest match.
#include "entities/ai/BehaviorSearch.h"

#include "core/RandomSystem.h"
#include "entities/Actor.h"

void BehaviorRestartTimer(RandomTimer& timer, float minimum, float maximum)
{
    timer.minimum = minimum;
    timer.maximum = maximum;
    if (gRandomSystem)
        timer.Restart(*gRandomSystem);
}

Entity* BehaviorFindNearest(Actor& actor, float range, uint32_t filter, bool (*accept)(const Entity&))
{
    if (!gGameServices)
        return nullptr;
    return gGameServices->FindNearestEntity(actor.position, &actor, range, filter | RadiusFilter::NotSource, false,
                                            accept);
}
