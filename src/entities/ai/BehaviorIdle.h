// BehaviorIdle -- what a monster does with a player near and no fight: stands, wanders between home and a patrol point, and calls to others of its sound group.
#pragma once

#include "entities/ai/BehaviorKind.h"

#include <string>

class BehaviorIdle : public BehaviorKind<BehaviorIdle, BehaviorType::kIdle> {
public:
    static constexpr float kArrivedReach = 0.5f;
    // The patrol point lies in a box around home: 400 across on y, 500 on x.
    static constexpr float kPatrolHalfHeight = 200.0f;
    static constexpr float kPatrolHalfWidth = 250.0f;
    static constexpr int32_t kCallPriority = 4;
    static constexpr int32_t kIdlePosePriority = 1;
    // The entities a call reaches: every one, not the caller, living, no projectiles.
    static constexpr uint32_t kCallFilter = 0x51;
    // The first parameter of a call's "PassToBehavior" event.
    static constexpr int32_t kCallKind = 0;

    struct Tuning {
        float minIdleThinkTime = 0.0f;      // "MinIdleThinkTime": between wander decisions
        float maxIdleThinkTime = 0.0f;      // "MaxIdleThinkTime"
        float minIdleSoundTime = 0.0f;      // "MinIdleSoundTime": between call rolls
        float maxIdleSoundTime = 0.0f;      // "MaxIdleSoundTime"
        float minStayStillTime = 0.0f;      // "MinStayStillTime": the pause after each leg
        float maxStayStillTime = 0.0f;      // "MaxStayStillTime"
        float idleSoundChance = 0.0f;       // "IdleSoundChance"
        float idleSoundAnswerChance = 0.0f; // "IdleSoundAnswerChance": after hearing a call
        std::string idleSoundAnimation;     // "IdleSoundAnimation", the archetype's
        float idleDistance = 1000.0f;       // "IdleDistance": runs while a player is this near
        std::string idleSound;              // "IdleSound", the archetype's
        bool dontRunWhenTargeted = false;   // "DontRunWhenTargeted"
        bool dontMove = false;              // "DontMove": never wanders nor turns to the enemy
        float minSoundDistance = 500.0f;    // "MinSoundDistance": carried
        float maxSoundDistance = 1000.0f;   // "MaxSoundDistance": a call needs a player this near
        bool dontInterruptPatrol = false;   // "DontInterruptPatrol"
    };

    BehaviorIdle();
    void LoadData(const DatabaseEntry& entry) override;
    void LoadFromArchetype(const DatabaseEntry& entry) override;
    bool WantsToRun() override;
    bool ContinueRunning() override;
    bool IsLocked() override { return walking && tuning.dontInterruptPatrol; }
    void Start() override;
    void Stop() override;
    void Think(float) override;
    void OnNotifyCurrent(int32_t code, Entity* other) override;
    void HandleEvent(Event& event) override;

    Tuning tuning;
    RandomTimer thinkTimer;
    RandomTimer soundTimer;
    RandomTimer stayStillTimer;
    bool walking = false;
    bool hasPatrolPoint = false;
    WorldPos patrolPoint;
    bool goingHome = false;
    bool callPlaying = false;
    bool answerPending = false;

private:
    void RestartTimers();
    void Wander();
    void StartLeg();
    void EndLeg();
    bool ChoosePatrolPoint();
    void Call();
    float CallChance();
    void BroadcastCall();
    bool MayWander() const;

    WorldPos destination;
};
