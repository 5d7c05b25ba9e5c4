// BehaviorSearch -- the timed look-around several behaviours share: restarting the wait, searching when it runs out, the nearest match.
#pragma once

#include "core/RandomTimer.h"

#include <cstdint>

class Actor;
class Entity;

// Draws the next wait between minimum and maximum; without a random system only the bounds change.
void BehaviorRestartTimer(RandomTimer& timer, float minimum, float maximum);

// Asked from WantsToRun: false while the wait runs; once it is over, the search's answer. A
// timer not yet started, or a search that found nothing, calls restart for the next wait.
template <class Restart, class Search>
bool BehaviorSearchWhenDue(const RandomTimer& timer, Restart restart, Search search)
{
    if (!timer.running) {
        restart();
        return false;
    }
    if (timer.remaining > 0.0f)
        return false;
    if (search())
        return true;
    restart();
    return false;
}

// Of the entities the radius search gives for the filter, the one nearest the actor on the
// ground that accept takes (the first of equals); never the actor itself. Null without game
// services.
Entity* BehaviorFindNearest(Actor& actor, float range, uint32_t filter, bool (*accept)(const Entity&));
