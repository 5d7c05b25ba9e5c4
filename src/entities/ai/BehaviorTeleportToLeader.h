// BehaviorTeleportToLeader -- puts an actor left far behind beside its leader, on a spot with a clear line to it.
#pragma once

#include "entities/ai/BehaviorKind.h"

class BehaviorTeleportToLeader : public BehaviorKind<BehaviorTeleportToLeader, BehaviorType::kTeleportToLeader> {
public:
    static constexpr int32_t kTries = 10;
    // What counts as near a covenant's home.
    static constexpr float kHomeReach = 750.0f;
    // The blockers a clear line to the leader must pass: Normal and Transparent.
    static constexpr uint32_t kClearLineMask = 5;

    // The loader Approach has: the same two keys.
    struct Tuning {
        float maxOptimalRange = 0.0f;  // "MaxOptimalRange": the arrival box around the leader
        float maxRange = 0.0f;         // "MaxRange": farther than this it teleports
    };

    void LoadData(const DatabaseEntry& entry) override;
    bool WantsToRun() override;
    // One step per run.
    bool ContinueRunning() override { return false; }
    void Start() override;
    void Think(float) override {}

    Tuning tuning;

private:
    bool IsNearPartnerHome(const Entity& entity) const;
};
