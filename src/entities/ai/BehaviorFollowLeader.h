// BehaviorFollowLeader -- sprints after the leader when it is farther than the outer range, until nearer than the optimal one.
#pragma once

#include "entities/ai/BehaviorKind.h"

class Entity;

class BehaviorFollowLeader : public BehaviorKind<BehaviorFollowLeader, BehaviorType::kFollowLeader> {
public:
    struct Tuning {
        float maxOptimalRange = 0.0f;  // "MaxOptimalRange"
        float maxRange = 0.0f;         // "MaxRange"
    };

    void LoadData(const DatabaseEntry& entry) override;
    bool WantsToRun() override;
    bool ContinueRunning() override;
    void Start() override;
    void Stop() override;
    void Think(float seconds) override;

    Tuning tuning;

private:
    // The leader when the actor may follow it now: no covenant partner holds the actor away
    // unless the leader stands in town (level 0).
    Entity* FollowedLeader() const;
    void SetSprint(bool value);
};
