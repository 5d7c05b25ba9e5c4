// BehaviorAvoidLeader -- steps out of the leader's way when it comes too near.
#pragma once

#include "entities/ai/BehaviorKind.h"

class BehaviorAvoidLeader : public BehaviorKind<BehaviorAvoidLeader, BehaviorType::kAvoidLeader> {
public:
    struct Tuning {
        float minRange = 0.0f;  // "MinRange": the leader this near or nearer
    };

    void LoadData(const DatabaseEntry& entry) override;
    bool WantsToRun() override;
    bool ContinueRunning() override { return !done && WantsToRun(); }
    void Start() override;
    void Stop() override;
    void Think(float) override {}
    void OnNotifyCurrent(int32_t code, Entity* other) override;

    Tuning tuning;
};
