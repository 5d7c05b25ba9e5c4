// TimerSystem -- the millisecond clock (it wraps at 32 bits) and the per-frame engine time.
#pragma once

#include "core/BaseClass.h"

#include <cstdint>

class TimerSystem : public BaseClass {
public:
    virtual uint32_t GetTime() = 0;
    // Elapsed milliseconds from previous to now, allowing for one wrap of the clock.
    uint32_t Elapsed(uint32_t previous, uint32_t now) const;

protected:
    uint32_t wrapValue = 0xFFFFFFFFu;
};

extern TimerSystem* gTimerSystem;
