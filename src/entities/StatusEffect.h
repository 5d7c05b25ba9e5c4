// StatusEffect -- a timed effect carried by a sentient on the host: its timers, its ticks, its stat shares and its breaking events.
#pragma once

#include "core/SafePointer.h"
#include "rules/statuseffects/StatusEffectBase.h"

#include <cstdint>

class Entity;
class Sentient;

// Created and owned by its carrier's effect list.
class StatusEffect : public StatusEffectBase {
public:
    // Stores the level and loads the record when it differs from the current one.
    void SetDefinition(const DatabaseEntry* record, int32_t newLevel, Sentient* sourceSentient);
    void SetOwner(Sentient* carrier) { owner = carrier; }
    Sentient* GetOwner() const { return owner; }
    // Starts the tick timer with a randomised interval and, unless forever, the duration.
    void Start();
    void End() {}
    // True when the carrier is to end and delete the effect.
    bool Update(Sentient& carrier, float seconds);
    // Merges a newer effect of the same group into this one.
    void CombineWith(const StatusEffect& newer);
    // Flagged: counts for nothing and goes at the carrier's next effect update.
    void Expire() { finished = true; }
    bool IsExpired() const { return finished; }

    // The flat share of a stat in a pass: attributes in pass 0, every stat in pass 1.
    void GetStatChange(int32_t stat, int32_t& total, int32_t pass) const;
    // The percentage share, 0 when the effect does not count now.
    float GetStatMult(int32_t stat) const;
    // A carrier event (SimpleEvent) that may end the effect.
    void OnSimpleEvent(int32_t event);
    // The raid conditions of the carrier's covenant.
    bool IsActiveNow() const;
    // Counts in the carrier's numbers: not expired and active now.
    bool Counts() const { return !finished && IsActiveNow(); }

    SafePointer source;
    // Given by the carrier when it takes the effect; the clients tell effects apart by it.
    int32_t instanceId = 0;
    bool succeeded = false;

private:
    void RestartTickTimer();

    Sentient* owner = nullptr;
};
