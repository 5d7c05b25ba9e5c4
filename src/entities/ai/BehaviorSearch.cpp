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

Entity* BehaviorFindNearest(Actor& actor, float range, uint32_t filter, std::vector<Entity*>& found,
                            bool (*accept)(const Entity&))
{
    if (!gGameServices)
        return nullptr;
    gGameServices->FindEntitiesInRadius(actor.position, &actor, range, filter, found, false);
    Entity* nearest = nullptr;
    float best = 0.0f;
    for (Entity* entity : found) {
        if (entity == &actor || !accept(*entity))
            continue;
        float distance = EntityDistance2D(&actor, entity, false);
        if (!nearest || distance < best) {
            nearest = entity;
            best = distance;
        }
    }
    return nearest;
}
