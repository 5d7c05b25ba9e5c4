// BehaviorBase -- what an actor asks of each behaviour of its stack: whether it wants, may and must keep running, its steps and its notices.
#pragma once

#include "core/RandomTimer.h"

#include <cstdint>
#include <vector>

class Event;

// Behaviour types 0 and 1 count as idle (greeting, facing home); type 0 also lets the actor
// go inactive.
namespace BehaviorType {
constexpr int32_t kIdle = 0;
constexpr int32_t kIdleBusy = 1;
} // namespace BehaviorType

class BehaviorBase {
public:
    virtual ~BehaviorBase() = default;

    virtual bool WantsToRun() = 0;
    virtual bool IsStillValid() = 0;
    virtual bool KeepRunning() = 0;
    virtual void Start() = 0;
    virtual void Stop() = 0;
    virtual void Think(float seconds) = 0;
    virtual int32_t GetType() const = 0;
    // The running behaviour hears of a notice by its code alone, the others with its argument.
    virtual void NotifyCurrent(int32_t code) = 0;
    virtual void Notify(int32_t code, void* argument) = 0;
    virtual void ReceiveEvent(Event& event) = 0;
    virtual void DebugPrint() const = 0;

    // Advanced by the actor every step it thinks.
    std::vector<RandomTimer*> timers;
    bool started = false;
};
