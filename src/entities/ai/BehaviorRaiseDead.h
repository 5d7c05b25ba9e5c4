// BehaviorRaiseDead -- brings a fallen ally, or a fallen creature of one record, back to life after a raising animation.
#pragma once

#include "core/SafePointer.h"
#include "entities/ai/BehaviorKind.h"

#include <string>
#include <vector>

class BehaviorRaiseDead : public BehaviorKind<BehaviorRaiseDead, BehaviorType::kRaiseDead> {
public:
    static constexpr int32_t kRaisePriority = 9;

    struct Tuning {
        float maxRange = 0.0f;                      // "MaxRange"
        bool raiseAnyFriendly = false;              // "RaiseAnyFriendly"
        const DatabaseEntry* raiseEntity = nullptr;  // "RaiseEntity": null when empty or missing
        float raiseTime = 0.0f;                     // "RaiseTime": searches this often, up to 1.1 times
        std::string animName;                       // "AnimName"
        std::string effectName;                     // "EffectName": carried
        float effectTime = 0.0f;                    // "EffectTime": carried
    };

    BehaviorRaiseDead();
    void LoadData(const DatabaseEntry& entry) override;
    bool WantsToRun() override;
    bool ContinueRunning() override;
    void Start() override;
    void Think(float seconds) override;

    Tuning tuning;
    RandomTimer searchTimer;

private:
    void RestartSearch();
    Entity* FindCorpse();
    bool CanRaise(const Entity& entity) const;

    SafePointer target;
    std::vector<int32_t> nearby;
};
