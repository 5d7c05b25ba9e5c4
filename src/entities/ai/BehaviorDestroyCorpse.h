// BehaviorDestroyCorpse -- now and then makes the nearest corpse go away, unless its covenant still has a use for it.
#pragma once

#include "entities/ai/BehaviorKind.h"

class BehaviorDestroyCorpse : public BehaviorKind<BehaviorDestroyCorpse, BehaviorType::kDestroyCorpse> {
public:
    struct Tuning {
        float maxRange = 0.0f;     // "MaxRange"
        float destroyTime = 0.0f;  // "DestroyTime": searches this often, up to 1.1 times
    };

    BehaviorDestroyCorpse();
    void LoadData(const DatabaseEntry& entry) override;
    bool WantsToRun() override;
    // One step per run.
    bool ContinueRunning() override { return false; }
    void Start() override;
    void Think(float) override {}

    Tuning tuning;
    RandomTimer searchTimer;

private:
    void RestartSearch();
    Actor* FindCorpse();
};
