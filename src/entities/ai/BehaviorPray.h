// BehaviorPray -- uses the prayer skill to win back power once the pray timer has run out.
#pragma once

#include "entities/ai/BehaviorKind.h"

class Skill;

class BehaviorPray : public BehaviorKind<BehaviorPray, BehaviorType::kPray> {
public:
    static constexpr const char* kPrayerSkill = "SkillPrayer";

    struct Tuning {
        float minPrayTime = 0.0f;  // "MinPrayTime"
        float maxPrayTime = 0.0f;  // "MaxPrayTime"
    };

    BehaviorPray();
    // The pray timer starts afresh whenever tuning arrives, loaded or copied.
    void InitFromData(const BehaviorBase& prototype) override;
    void LoadData(const DatabaseEntry& entry) override;
    bool WantsToRun() override;
    bool ContinueRunning() override;
    void Start() override;
    void Stop() override { RestartTimer(); }
    void Think(float) override {}

    Tuning tuning;
    RandomTimer prayTimer;

private:
    void RestartTimer();
    bool IsShortOfPower() const;
    Skill* Prayer() const;
};
