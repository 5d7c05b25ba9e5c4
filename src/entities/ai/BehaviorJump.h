// BehaviorJump -- now and then leaps at an enemy within its band, flying along the "jump" animation between its two markers.
#pragma once

#include "entities/ai/BehaviorKind.h"

class BehaviorJump : public BehaviorKind<BehaviorJump, BehaviorType::kJump> {
public:
    static constexpr int32_t kJumpPriority = 11;
    static constexpr int32_t kLandingRings = 4;

    // The defaults stand only for a kind without any data entry; an entry's missing key is 0.
    struct Tuning {
        float minRange = 100.0f;      // "MinRange"
        float maxRange = 300.0f;      // "MaxRange"
        float attemptTime = 5.0f;     // "AttemptTime": seconds between two tries
        float attemptChance = 0.5f;   // "AttemptChance": chance that a try jumps
    };

    BehaviorJump();
    void LoadData(const DatabaseEntry& entry) override;
    bool WantsToRun() override;
    bool ContinueRunning() override { return !done; }
    // A jump cannot be interrupted.
    bool IsLocked() override { return !done; }
    void Start() override;
    void Stop() override;
    void Think(float seconds) override;

    // The flight's velocity in units per second over the frames between the markers at the
    // rate (frames per second). False, with no velocity, when the frames or the rate make no
    // flight: a rate of 0 or less, or an end marker not after the start one.
    static bool FlightVelocity(const WorldPos& from, const WorldPos& landing, int32_t startFrame, int32_t endFrame,
                               float rate, Vector2& velocity);

    Tuning tuning;
    RandomTimer attemptTimer;
    bool jumping = false;
    WorldPos landing;

private:
    bool TryLandingAt(const WorldPos& spot);

    int32_t startFrame = 0;
    int32_t endFrame = 0;
    Vector2 velocity{};
    int32_t jumpAnimation = -1;
};
