// TimerSystem -- the millisecond clock (it wraps at 32 bits) and the per-frame engine time.
#pragma once

#include "core/BaseClass.h"

#include <cstdint>

class TimerSystem : public BaseClass {
public:
    // Milliseconds from an arbitrary start; wraps to 0 after 0xFFFFFFFF.
    virtual uint32_t GetTime() = 0;
    // Elapsed milliseconds from previous to now, allowing for one wrap of the clock.
    uint32_t Elapsed(uint32_t previous, uint32_t now) const;
    uint32_t GetWrapValue() const { return wrapValue; }

protected:
    uint32_t wrapValue = 0xFFFFFFFFu;
};

extern TimerSystem* gTimerSystem;
