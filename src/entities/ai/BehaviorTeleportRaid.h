// BehaviorTeleportRaid -- puts a raider still far from the raided covenant's home at that covenant's arrival point.
#pragma once

#include "entities/ai/BehaviorKind.h"

class EntityCovenant;

class BehaviorTeleportRaid : public BehaviorKind<BehaviorTeleportRaid, BehaviorType::kTeleportRaid> {
public:
    struct Tuning {
        float maxRange = 0.0f;           // "MaxRange": at least this far from the raided home
        float maxRangeWithEnemy = 0.0f;  // "MaxRangeWithEnemy": an enemy must be at least this far
    };

    void LoadData(const DatabaseEntry& entry) override;
    bool WantsToRun() override;
    // One step per run.
    bool ContinueRunning() override { return false; }
    void Start() override;
    void Think(float) override {}

    Tuning tuning;

private:
    // The covenant the actor's own raids, when the actor is one of its raiders on a raid under way.
    const EntityCovenant* RaidedCovenant() const;
};
