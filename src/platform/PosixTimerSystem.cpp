// PosixTimerSystem -- the millisecond clock over the monotonic system clock, truncated to 32 bits.
#include "platform/PosixTimerSystem.h"

#include <ctime>
#include <utility>

PosixTimerSystem::PosixTimerSystem() : clock(MonotonicMilliseconds)
{
}

PosixTimerSystem::PosixTimerSystem(Clock clock) : clock(std::move(clock))
{
}

uint32_t PosixTimerSystem::GetTime()
{
    // Wraps every 49.7 days of uptime, as callers expect; TimerSystem::Elapsed bridges the wrap.
    return static_cast<uint32_t>(clock());
}

uint64_t PosixTimerSystem::MonotonicMilliseconds()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<uint64_t>(now.tv_sec) * 1000u + static_cast<uint64_t>(now.tv_nsec) / 1000000u;
}
