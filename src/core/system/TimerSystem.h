// TimerSystem -- the millisecond clock (it wraps at 32 bits) and the per-frame engine time.
#pragma once

#include "core/BaseClass.h"
#include "core/TimeStamp.h"

#include <cstdint>

class TimerSystem : public BaseClass {
public:
    // Milliseconds from an arbitrary start; wraps to 0 after 0xFFFFFFFF.
    virtual uint32_t GetTime() = 0;
    // Elapsed milliseconds from previous to now, allowing for one wrap of the clock.
    uint32_t Elapsed(uint32_t previous, uint32_t now) const;
    uint32_t GetWrapValue() const { return wrapValue; }

    // Once a frame: adds the time since the last update to the engine clock. The first call
    // only takes its reading, so the clock starts at zero however long start-up took.
    void UpdateClock();
    const TimeStamp& GetClock() const { return clock; }
    // The clock's seconds field, 0 to below 60: what shader animation and waves run on.
    float GetRunningTime() const { return clock.seconds; }

protected:
    uint32_t wrapValue = 0xFFFFFFFFu;

private:
    TimeStamp clock;
    uint32_t lastUpdate = 0;
    bool clockStarted = false;
};

extern TimerSystem* gTimerSystem;
