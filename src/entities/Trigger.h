// Trigger -- a switch in a level that fires once, by use or by a player coming near: it broadcasts its name, may reveal a super secret, unlock something and fade away; kept in the world save.
#pragma once

#include "entities/Entity.h"

#include <cstdint>
#include <string>

class Trigger : public Entity {
public:
    static constexpr const char* kFiredAnimation = "triggered";
    static constexpr const char* kIdleOnAnimation = "idleOn";
    static constexpr const char* kIdleOffAnimation = "idleOff";

    // Not solid unless its record says so.
    Trigger();
    ~Trigger() override;

    void Load(const DatabaseEntry* record) override;
    void Update(float seconds) override;
    void Use(Entity* user) override;
    // Only the first call does anything.
    void Fire(Entity* user);
    bool IsFree() const override;
    void WriteSaved(MessageBuffer& buffer) const override;
    bool ReadSaved(MessageBuffer& buffer, int32_t version) override;
    // A fired trigger that fades is about to go: the world save leaves it out.
    bool ShouldSaveWithWorld() const;
    // One little-endian word: 1 fired, 0 not.
    void WriteSavedState(MessageBuffer& buffer) const;
    // A fired word shows it fired without firing again; false, with nothing changed, when the
    // word is not all there.
    bool ReadSavedState(MessageBuffer& buffer, int32_t version);

    bool IsTriggered() const { return triggered; }

private:
    bool triggered = false;
    std::string triggerName;
    float triggerDistance = 0.0f;
    bool superSecret = false;
    std::string unlockName;
    float fadeTime = 0.0f;
};
