// PosixTimerSystem -- the millisecond clock over the monotonic system clock, truncated to 32 bits.
#pragma once

#include "core/system/TimerSystem.h"

#include <cstdint>
#include <functional>

class PosixTimerSystem : public TimerSystem {
public:
    // Milliseconds from any fixed start; only its low 32 bits are reported.
    using Clock = std::function<uint64_t()>;

    PosixTimerSystem();
    explicit PosixTimerSystem(Clock clock);

    uint32_t GetTime() override;

    static uint64_t MonotonicMilliseconds();

private:
    Clock clock;
};
