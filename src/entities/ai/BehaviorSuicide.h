// BehaviorSuicide -- dies on the spot once the enemy is within reach (the death skill does the harm).
#pragma once

#include "entities/ai/BehaviorKind.h"

class BehaviorSuicide : public BehaviorKind<BehaviorSuicide, BehaviorType::kSuicide> {
public:
    struct Tuning {
        float maxSuicideRange = 0.0f;  // "MaxSuicideRange": strictly nearer than this
    };

    void LoadFromArchetype(const DatabaseEntry& entry) override;
    bool WantsToRun() override;
    bool ContinueRunning() override { return !done; }
    void Start() override;
    void Think(float) override {}

    Tuning tuning;
};
