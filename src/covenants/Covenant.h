// Covenant -- a covenant of the world host as the game runs it: stepped, paying its upkeep and sending its part of the game update.
#pragma once

#include "entities/EntityCovenant.h"
#include "rules/covenants/CovenantBase.h"

#include <cstdint>

class MessageBuffer;

// The game calls these in its own order: Start and RefreshMembers while a world is made, then
// SetUpFirstWorld once every covenant exists; Update every step and PayUpkeep every "TaxPeriod".
// What each covenant does in them is its kind's business (the computer-run and the player's).
class Covenant : public CovenantBase, public EntityCovenant {
public:
    virtual void Start(int32_t startingLevel, int32_t difficulty) = 0;
    virtual void RefreshMembers() = 0;
    virtual void SetUpFirstWorld() = 0;
    virtual void Update(float seconds) = 0;
    virtual void PayUpkeep() = 0;
    // Its part of the game's part of each game update.
    virtual void WriteNetPart(MessageBuffer& buffer) const = 0;
    // Beaten for good: the game is lost when the first player's covenant is.
    virtual bool IsDefeated() const { return eliminated; }
};
