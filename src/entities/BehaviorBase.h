// BehaviorBase -- one small state machine of a monster's mind: whether it wants, may keep and must keep control, its steps, its notices and its tuning.
#pragma once

#include "core/RandomTimer.h"

#include <cstdint>
#include <vector>

class Actor;
class DatabaseEntry;
class Entity;
class Event;

// The kind ids are positions in the "ActorBehavior" name table; the actor tests two of them
// (0 and 1 count as idle for greeting and facing home, 0 also lets the actor go inactive).
namespace BehaviorType {
constexpr int32_t kSleep = 0;
constexpr int32_t kIdle = 1;
constexpr int32_t kMelee = 2;
constexpr int32_t kReturnHome = 3;
constexpr int32_t kRanged = 4;
constexpr int32_t kApproach = 5;
constexpr int32_t kRetreat = 6;
constexpr int32_t kSuicide = 7;
constexpr int32_t kTeleport = 8;
constexpr int32_t kSpawner = 9;
constexpr int32_t kRaiseDead = 10;
constexpr int32_t kDestroyCorpse = 11;
constexpr int32_t kEatCorpse = 12;
constexpr int32_t kFollowLeader = 13;
constexpr int32_t kAvoidLeader = 14;
constexpr int32_t kTeleportToLeader = 15;
constexpr int32_t kTeleportRaid = 16;
constexpr int32_t kUseSkill = 17;
constexpr int32_t kPray = 18;
constexpr int32_t kLifestoneRegen = 19;
constexpr int32_t kAdventure = 20;
constexpr int32_t kJump = 21;
constexpr int32_t kCount = 22;
} // namespace BehaviorType

class BehaviorBase {
public:
    BehaviorBase() = default;
    virtual ~BehaviorBase() = default;
    BehaviorBase(const BehaviorBase&) = delete;
    BehaviorBase& operator=(const BehaviorBase&) = delete;

    // Copies the tuning (what LoadData and LoadFromArchetype read) from a prototype of the same
    // class; nothing from one of another class. Run-time state is never copied.
    virtual void InitFromData(const BehaviorBase& prototype) = 0;
    // The kind's shared tuning keys of a behaviour data entry.
    virtual void LoadData(const DatabaseEntry&) {}
    // The kind's per-monster keys of the archetype's own entry.
    virtual void LoadFromArchetype(const DatabaseEntry&) {}
    virtual int32_t GetType() const = 0;
    // Asked of every behaviour but the current one, in priority order.
    virtual bool WantsToRun() = 0;
    // Asked of the current one before each choice; false stops it.
    virtual bool ContinueRunning() = 0;
    // True freezes the choice: the current behaviour cannot be interrupted this step.
    virtual bool IsLocked() { return false; }
    virtual void Start() {}
    virtual void Stop() {}
    virtual void Think(float seconds) = 0;
    virtual void OnNotifyCurrent(int32_t, Entity*) {}
    virtual void OnNotifyOther(int32_t, Entity*) {}
    // The parameters' read position is at the start.
    virtual void HandleEvent(Event&) {}
    // "Current behavior: <kind>" on the debug console.
    virtual void DebugPrint() const;

    // Registered by the subclass constructor, one per timer member, in declaration order;
    // advanced by the actor before each choice. Not owned.
    std::vector<RandomTimer*> timers;
    // Null in a prototype; the actor that owns the clone.
    Actor* actor = nullptr;
    // Set by the behaviour when its run is over; cleared by the actor just before Start.
    bool done = false;

protected:
    // Enters the timer into the list the actor advances.
    void RegisterTimer(RandomTimer& timer);
};
