// BehaviorTeleport -- blinks 200 units away from an enemy that comes too near, then waits out its teleport time.
#pragma once

#include "entities/ai/BehaviorKind.h"

class BehaviorTeleport : public BehaviorKind<BehaviorTeleport, BehaviorType::kTeleport> {
public:
    static constexpr float kBlinkDistance = 200.0f;

    struct Tuning {
        float minRange = 0.0f;      // "MinRange": the enemy strictly nearer
        float teleportTime = 0.0f;  // "TeleportTime": the wait, up to 1.1 times it
    };

    BehaviorTeleport();
    void LoadFromArchetype(const DatabaseEntry& entry) override;
    bool WantsToRun() override;
    bool ContinueRunning() override { return false; }
    void Start() override;
    void Stop() override;
    void Think(float) override {}

    Tuning tuning;
    RandomTimer teleportTimer;
};
