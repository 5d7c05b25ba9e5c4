// BehaviorSleep -- the resting state at the foot of a stack: always wants to run, never does anything.
#pragma once

#include "entities/ai/BehaviorKind.h"

class BehaviorSleep : public BehaviorKind<BehaviorSleep, BehaviorType::kSleep> {
public:
    struct Tuning {};

    bool WantsToRun() override { return true; }
    bool ContinueRunning() override { return true; }
    void Think(float) override {}

    Tuning tuning;
};
