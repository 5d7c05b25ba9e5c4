// BehaviorUseSkill -- uses the skill the actor's skill choice picked, holding control until its action and animations are over.
#pragma once

#include "entities/ai/BehaviorKind.h"

#include <string>

class BehaviorUseSkill : public BehaviorKind<BehaviorUseSkill, BehaviorType::kUseSkill> {
public:
    // No keys: the pause between skills is the archetype's.
    struct Tuning {};

    BehaviorUseSkill();
    bool WantsToRun() override;
    bool ContinueRunning() override { return IsBusy(); }
    // A skill under way cannot be interrupted.
    bool IsLocked() override { return IsBusy(); }
    void Start() override;
    void Stop() override;
    void Think(float) override {}
    void OnNotifyCurrent(int32_t code, Entity* other) override;

    Tuning tuning;
    RandomTimer skillTimer;

private:
    bool IsBusy() const;
    bool IsPlayingRecorded() const;

    // The skill's casting and use animations while they may still be playing; names, not
    // indices, because an animation name may stand for several equal entries.
    const std::string* castAnimation = nullptr;
    const std::string* useAnimation = nullptr;
};
