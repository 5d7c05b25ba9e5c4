// Door -- the level object that opens and closes, blocking while closed: one or two halves, locked by a key or worked by a named trigger, trapped, breakable, secret or an illusion.
#pragma once

#include "core/SafePointer.h"
#include "entities/Entity.h"

#include <cstdint>
#include <memory>
#include <string>

class Trap;

namespace DoorState {
enum : int32_t { Closed = 0, Open = 1, Opening = 2, Closing = 3 };
} // namespace DoorState

class Door : public Entity {
public:
    // GetStat's index that answers the monster level of the door's level.
    static constexpr int32_t kLevelStat = 10;
    static constexpr float kSoundRadius = 100.0f;
    static constexpr const char* kLockedSound = "Sounds/Objects/doorLocked.ogg";
    // The trap's delay when the opening has no length of its own.
    static constexpr float kDefaultTrapDelay = 0.5f;
    // The saved word's bit for a secret door already found; a word of a state alone (0..3)
    // reads as not found.
    static constexpr int32_t kFoundFlag = 0x10000;

    // A new door blocks.
    Door();
    ~Door() override;

    void Load(const DatabaseEntry* record) override;
    void Update(float seconds) override;
    int32_t GetStat(int32_t stat) const override;
    // Once placed: the second half of a double-wide door one tile over, the trap, the health.
    void OnPlaced() override;
    // On either half: breaking is decided by the health of both, on the first half.
    void OnAttackedBy(Entity* attacker) override;
    // On either half: the key test, then the first half toggles.
    void Use(Entity* user) override;
    // A trigger of the door's key name works it as if the user had used it.
    void OnNamedSignal(Entity* user, std::string_view name) override;
    bool IsFree() const override;
    // One word: the state, with kFoundFlag once a secret door was found.
    void WriteSaved(MessageBuffer& buffer) const override;
    // False, with nothing changed, when the word is not there; a word with any other bit, or a
    // state outside 0..3, reads as closed and not found. Solid unless open.
    bool ReadSaved(MessageBuffer& buffer, int32_t version) override;

    int32_t GetState() const { return state; }
    bool IsPrimary() const { return primary; }
    Door* GetPartner() const { return partner.GetAs<Door>(); }
    Trap* GetTrap() const { return trap.get(); }
    bool IsBroken() const { return broken; }
    bool IsFound() const { return found; }

    bool doubleWide = false;
    float trapChance = 0.0f;
    std::string requiredKey;
    bool secret = false;
    bool illusion = false;
    bool breakable = false;
    // "MinHealth" and "MaxHealth": the range a breakable door's health is drawn from.
    int32_t healthLow = 0;
    int32_t healthHigh = 0;
    float fadeTime = 0.0f;

private:
    void Toggle(Entity* user);
    void StartOpening(Entity* user);
    void StartClosing();
    void DissolveIllusion();
    bool IsDoorwayClear() const;
    void SetSolid(bool solid);
    // Plays the state's animation; true when it started, or when the model has no such
    // animation at all (a door without one completes its move at once).
    bool PlayStateAnimation(const char* name);
    void MakeSecondHalf();
    void ArmTrap();
    void RollHealth();
    Door* GetPrimary();

    const DatabaseEntry* record = nullptr;
    int32_t state = DoorState::Closed;
    bool primary = true;
    SafePointer partner;
    std::unique_ptr<Trap> trap;
    bool broken = false;
    // A secret door pays for its finding once.
    bool found = false;
};
