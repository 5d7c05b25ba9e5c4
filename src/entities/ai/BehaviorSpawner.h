// BehaviorSpawner -- brings one new creature of a named record into the world next to the actor per spawn interval while an enemy is near.
#pragma once

#include "entities/ai/BehaviorKind.h"

class BehaviorSpawner : public BehaviorKind<BehaviorSpawner, BehaviorType::kSpawner> {
public:
    struct Tuning {
        float range = 0.0f;                       // "MaxRange": the enemy strictly nearer
        float spawnTime = 0.0f;                   // "SpawnTime": the interval, up to 1.1 times it
        const DatabaseEntry* spawnEntry = nullptr;  // "SpawnEntity", a creature record only
    };

    BehaviorSpawner();
    void LoadData(const DatabaseEntry& entry) override;
    bool WantsToRun() override;
    bool ContinueRunning() override { return false; }
    void Start() override;
    void Think(float) override {}

    Tuning tuning;
    RandomTimer spawnTimer;

private:
    void Spawn();
};
