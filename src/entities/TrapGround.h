// TrapGround -- a hidden plate on the floor that carries a trap: it sets it off on the nearest player (or anyone, for a quest's plate) or on a named trigger, and removes itself once the trap is over.
#pragma once

#include "core/RandomTimer.h"
#include "entities/Entity.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

class Trap;

// Placed: made, SetEntry, SetSpawnTag (its level), added, OnPlaced (arms) -> watching -> one attempt on its trap ->
// the trap runs its course -> the plate deletes itself (once).
class TrapGround : public Entity {
public:
    // A world object's level is its stat 10.
    static constexpr int32_t kLevelStat = 10;
    // The plate's think interval lies within this share either side of "ThinkTime".
    static constexpr float kThinkSpread = 0.1f;
    // Living entities other than the plate, for a quest plate that anyone sets off.
    static constexpr uint32_t kAnyoneFilter = 0x41;

    TrapGround();
    ~TrapGround() override;

    void Load(const DatabaseEntry* record) override;
    void Update(float seconds) override;
    // The plate's level for stat 10; 0 for every other stat.
    int32_t GetStat(int32_t stat) const override;
    void OnNamedSignal(Entity* activator, std::string_view name) override;
    // Sets the plate off on the activator when the name is its trigger name (case-blind).
    void OnNamedTrigger(Entity* activator, std::string_view name);
    // The spawner's placement step: the plate arms its trap where it stands, once.
    void OnPlaced() override;
    // A plate's spawn word is its level, the one its trap's disarm chance reads.
    void SetSpawnTag(int32_t tag) override;
    // A plate a sentient is engaged with never keeps that sentient in combat.
    bool IsTrap() const override { return true; }

    // Makes the plate's trap from its own record, the plate its owner.
    void ArmTrap();
    void SetLevel(int32_t newLevel) { level = newLevel; }
    // The quest generator's two marks for the plates it places.
    void SetQuestPlate(bool counts, bool anyone);

    Trap* GetTrap() const { return trap.get(); }
    bool IsTriggered() const { return triggered; }
    const RandomTimer& GetThinkTimer() const { return thinkTimer; }

private:
    void SetOff(Entity* victim);
    void Think();
    bool IsTrapOver() const;
    void Remove();

    bool triggered = false;
    int32_t level = 1;
    std::unique_ptr<Trap> trap;
    float maxTouchTime = 0.0f;
    float triggerDistance = 0.0f;
    RandomTimer thinkTimer;
    bool countsForQuest = false;
    bool triggeredByAnyone = false;
    std::string triggerName;
    // Set once the plate has asked to go: it reports to its quest and asks only once.
    bool removing = false;
};
