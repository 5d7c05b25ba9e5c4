// BehaviorMelee -- chases the actor's enemy and swings at it within reach, giving up a chase that lasts too long.
#pragma once

#include "core/SafePointer.h"
#include "entities/ai/BehaviorKind.h"
#include "world/WorldPos.h"

#include <string>

class BehaviorMelee : public BehaviorKind<BehaviorMelee, BehaviorType::kMelee> {
public:
    // A swing starts only nearer than this.
    static constexpr float kSwingReach = 96.0f;
    // Seconds of game time without the enemy ahead before the chase ends.
    static constexpr double kLostSightSeconds = 2.0;

    struct Tuning {
        float chaseTime = 0.0f;         // "ChaseTime": 0 never gives up
        std::string chaseGiveUpSound;   // "ChaseGiveUpSound"
        float sprintChance = 0.0f;      // "SprintChance"
        float hamstringChance = 0.0f;   // "HamstringChance": carried for the actor's blows
    };

    BehaviorMelee();
    void LoadFromArchetype(const DatabaseEntry& entry) override;
    bool WantsToRun() override;
    bool ContinueRunning() override;
    bool IsLocked() override { return waitingOnAnimation; }
    void Start() override;
    void Stop() override;
    void Think(float seconds) override;
    void DebugPrint() const override;

    Tuning tuning;
    bool chasing = false;
    bool gaveUp = false;
    bool waitingOnAnimation = false;
    float chaseSeconds = 0.0f;

private:
    void Chase(Entity& enemy);
    void Swing(Entity& enemy);
    void SetSprint(bool value);
    // In front: at least 1.0 away and within [-90, 90) degrees of the facing.
    bool IsAhead(const Entity& enemy) const;

    SafePointer enemy;
    WorldPos enemyPosition;
    double lastSighting = 0.0;
    RandomTimer swingTimer;
    int32_t swingAnimation = 1;
};
