// BehaviorRanged -- fires projectiles at the enemy while it stands inside a distance band.
#pragma once

#include "entities/ai/BehaviorKind.h"

#include <string>

class BehaviorRanged : public BehaviorKind<BehaviorRanged, BehaviorType::kRanged> {
public:
    // The shot's animation outranks walking and idling as a melee swing does.
    static constexpr int32_t kFirePriority = 9;

    struct Tuning {
        float minFireRange = 0.0f;     // "MinFireRange"
        float maxFireRange = 0.0f;     // "MaxFireRange"
        std::string projName;          // "ProjName": the projectile record
        std::string projAnim;          // "ProjAnim": played as the shot leaves
        int32_t projDamage = 0;        // "ProjDamage": added to both physical bounds
        float projAttackSpeed = 0.0f;  // "ProjAttackSpeed": seconds between shots, not varied
    };

    BehaviorRanged();
    void LoadFromArchetype(const DatabaseEntry& entry) override;
    bool WantsToRun() override { return InBand(); }
    bool ContinueRunning() override { return InBand(); }
    void Think(float seconds) override;

    Tuning tuning;
    RandomTimer fireTimer;

private:
    bool InBand() const;
    void Fire(Entity& target);
};
