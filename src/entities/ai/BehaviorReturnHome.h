// BehaviorReturnHome -- walks the actor back to where it was first placed, or puts it there when the way fails unseen.
#pragma once

#include "entities/ai/BehaviorKind.h"
#include "world/WorldPos.h"

class BehaviorReturnHome : public BehaviorKind<BehaviorReturnHome, BehaviorType::kReturnHome> {
public:
    // Nearer than this to home the actor does not set out.
    static constexpr float kHomeReach = 100.0f;
    static constexpr float kArrivedReach = 0.5f;
    static constexpr int32_t kPutHomeRings = 4;

    struct Tuning {};

    BehaviorReturnHome();
    bool WantsToRun() override;
    bool ContinueRunning() override;
    void Start() override;
    void Stop() override;
    void Think(float seconds) override;
    void OnNotifyCurrent(int32_t code, Entity* other) override;

    Tuning tuning;
    WorldPos goal;
    // Where the way home last failed: no new try until the actor has left it.
    WorldPos blockedPosition;
    bool teleportWanted = false;

private:
    // Off level -1 (never set) and within the square reach.
    static bool IsNear(const WorldPos& from, const WorldPos& to, float reach);
};
