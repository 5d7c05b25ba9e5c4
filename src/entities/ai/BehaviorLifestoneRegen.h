// BehaviorLifestoneRegen -- takes a hurt or drained actor to its covenant's lifestone and keeps it there until whole.
#pragma once

#include "entities/ai/BehaviorKind.h"

class BehaviorLifestoneRegen : public BehaviorKind<BehaviorLifestoneRegen, BehaviorType::kLifestoneRegen> {
public:
    // The lifestone is used from nearer than this.
    static constexpr float kUseReach = 96.0f;

    struct Tuning {
        float maxDistance = 0.0f;  // "MaxDistance": a lifestone farther away is not sought
    };

    void LoadData(const DatabaseEntry& entry) override;
    bool WantsToRun() override;
    bool ContinueRunning() override;
    void Stop() override;
    void Think(float) override;

    Tuning tuning;
    bool regenerating = false;

private:
    Entity* Lifestone() const;
};
