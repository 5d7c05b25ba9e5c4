// Trap -- the trap logic a chest, a door or a ground plate carries: trigger chance, disarm, dud, delayed activation of its skill, alarm, sound and effect.
#pragma once

#include "core/Listener.h"
#include "core/SafeClass.h"
#include "core/SafePointer.h"
#include "rules/SkillUser.h"

#include <cstdint>
#include <memory>
#include <string>

class DatabaseEntry;
class Entity;
class Event;
class EventSystem;
class Skill;
class TypeRegistry;

// Not an entity: a listener of its own two timed events, "Trigger" and "Activate", owned by
// the trapped object. Life: armed -> triggered (not disarmed, not a dud) -> fired -> spent, or
// fired while what it fired lives. Main thread only.
class Trap : public SafeClass, public Listener, private SkillUser {
public:
    static constexpr const char* kTriggerEvent = "Trigger";
    static constexpr const char* kActivateEvent = "Activate";
    static constexpr float kSoundRadius = 200.0f;
    static constexpr float kEffectSeconds = 5.0f;
    // The radius bits of the alarm: living entities (and the owner itself, which cannot hear).
    static constexpr uint32_t kAlarmFilter = 0x41;

    // Registers the two events and the "Trap" handler table; later calls change nothing.
    static void RegisterEventClass(EventSystem& events, TypeRegistry& types);

    Trap();
    // Cancels its pending "Trigger" and "Activate" while the game exists.
    ~Trap() override;

    EventClass* GetEventClass() const override;
    // The keys of a trap record; a "Skill" naming no definition leaves the trap without one.
    void Load(const DatabaseEntry* record) override;

    // The opener of a chest or door, or the one near a plate: a uniform fraction of delay later
    // the "Trigger" event gives it its one chance to disarm. Nothing without a victim or once
    // triggered; the chance is drawn on every call.
    void TryTrigger(Entity* victim, float delay);
    bool TryDisarm(Entity* victim);

    void SetOwner(Entity* entity);
    Entity* GetOwner() const;
    Entity* GetVictim() const;
    const Skill* GetSkill() const { return skill.get(); }
    bool IsTriggered() const { return triggered; }
    bool IsSpent() const { return spent; }
    bool HasFired() const { return firedFlag; }
    // Spent, or fired and what it fired is gone: the trapped object may forget it.
    bool IsOver() const;

    // Set by the ground plate that carries it: the delays scale by "GroundTrapDelayMult".
    bool groundTrap = false;

private:
    void OnTrigger(Event& event);
    void OnActivate(Event& event);
    void UseSkill(Entity& owner, Entity* victim);
    void SoundAlarm(Entity& owner, Entity* victim);
    void PlayAtOwner(const std::string& sound) const;
    float DrawDelay() const;
    void CancelPending();

    // The skill's user as the skill rules see it: the owner's stats (stat 10 is its level, the
    // level stat of a skill in tree 0, slot 0).
    int32_t GetStat(int32_t stat) const override;
    int32_t GetItemRequirementAt(int32_t, int32_t) const override { return kNoItem; }
    bool IsEnemy(const SkillUser&) const override { return true; }
    float GetDistance2D(const SkillUser&, bool) const override { return 0.0f; }
    Vector2 GetDeltaTo(const SkillUser&) const override { return {}; }
    int32_t GetDirectionIndex() const override;

    SafePointer owner;
    SafePointer victim;
    float triggerChance = 0.0f;
    std::string triggerSound;
    std::string alarmSound;
    std::string disarmSound;
    std::string trapSound;
    std::string trapEffect;
    float shortDelayMin = 0.0f;
    float shortDelayMax = 0.0f;
    float longDelayMin = 0.0f;
    float longDelayMax = 0.0f;
    float groundTrapDelayMult = 0.0f;
    float dudChance = 0.0f;
    float longDelayChance = 0.0f;
    float alarmChance = 0.0f;
    float alarmRange = 0.0f;
    std::unique_ptr<Skill> skill;
    bool triggered = false;
    bool spent = false;
    SafePointer fired;
    bool firedFlag = false;
    bool silent = false;

    static int triggerEventId;
    static int activateEventId;
    static EventClass* eventClass;
};
