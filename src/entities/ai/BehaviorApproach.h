// BehaviorApproach -- closes in on the enemy when it is farther than the outer range, until it is nearer than the optimal one.
#pragma once

#include "entities/ai/BehaviorKind.h"

class BehaviorApproach : public BehaviorKind<BehaviorApproach, BehaviorType::kApproach> {
public:
    struct Tuning {
        float maxOptimalRange = 0.0f;  // "MaxOptimalRange": satisfied nearer than this
        float maxRange = 0.0f;         // "MaxRange": starts beyond this
    };

    void LoadData(const DatabaseEntry& entry) override;
    bool WantsToRun() override;
    bool ContinueRunning() override;
    void Start() override;
    void Stop() override;
    void Think(float seconds) override;

    Tuning tuning;
};
