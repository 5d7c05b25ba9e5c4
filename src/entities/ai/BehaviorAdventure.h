// BehaviorAdventure -- travels the world towards a far goal in steps of a set length, choosing new goals when it arrives or keeps failing.
#pragma once

#include "entities/ai/BehaviorKind.h"

class BehaviorAdventure : public BehaviorKind<BehaviorAdventure, BehaviorType::kAdventure> {
public:
    static constexpr float kStuckReach = 0.5f;
    // Steps in one spot before the goals are given up.
    static constexpr int32_t kMaxStuckSteps = 20;

    struct Tuning {
        float stepDistance = 0.0f;              // "StepDistance": the length of one leg
        float maxRandomOffset = 0.0f;           // "MaxRandomOffset": how far a leg's end may stray
        int32_t maxFailuresToChangeFinalGoal = 0;  // "MaxFailuresToChangeFinalGoal"
    };

    BehaviorAdventure();
    void LoadData(const DatabaseEntry& entry) override;
    bool WantsToRun() override;
    bool ContinueRunning() override { return WantsToRun(); }
    void Stop() override;
    void Think(float) override;
    void OnNotifyCurrent(int32_t code, Entity* other) override;

    Tuning tuning;
    bool moveWanted = false;
    int32_t failures = 0;
    bool hasFinalGoal = false;
    WorldPos finalGoal;
    bool hasStepGoal = false;
    WorldPos stepGoal;
    WorldPos lastPosition;
    int32_t stuckCount = 0;

private:
    void CheckStuck();
    void ChooseFinalGoal();
    void ChooseStepGoal();
};
