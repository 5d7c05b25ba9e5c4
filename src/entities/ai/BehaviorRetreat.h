// BehaviorRetreat -- breaks away from the enemy when it is too near, after a hit, while hidden or at low health, then rests before the next retreat.
#pragma once

#include "entities/ai/BehaviorKind.h"

class BehaviorRetreat : public BehaviorKind<BehaviorRetreat, BehaviorType::kRetreat> {
public:
    // Rings searched around the retreat point for a free place.
    static constexpr int32_t kRetreatRings = 7;

    struct Tuning {
        float minOptimalRange = 0.0f;  // "MinOptimalRange": carried, not used by the rules
        float minRange = 0.0f;         // "MinRange": retreat when strictly nearer
        float retreatTime = 0.0f;      // "RetreatTime": the rest after a retreat, up to 1.1 times it
        bool onHit = false;            // "OnHit": a successful hit on the actor starts one
        bool whenHidden = false;       // "WhenHidden"
        bool dontRunWhenTargeted = false;   // "DontRunWhenTargeted"
        bool dontRunWhenHateEnemy = false;  // "DontRunWhenHateEnemy"
        float retreatDistance = 0.0f;  // "RetreatDistance"
        float lowHealth = 0.0f;        // "LowHealth": a health fraction; 0 for never
    };

    BehaviorRetreat();
    void LoadData(const DatabaseEntry& entry) override;
    bool WantsToRun() override;
    bool ContinueRunning() override;
    void Start() override;
    void Stop() override;
    void Think(float) override {}
    void OnNotifyCurrent(int32_t code, Entity* other) override;
    void HandleEvent(Event& event) override;

    Tuning tuning;
    RandomTimer restTimer;
    bool wasHit = false;

private:
    bool IsTargetedBy(const Entity& enemy) const;
};
