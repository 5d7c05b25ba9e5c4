// Stash -- the storage chest of a covenant house: it holds nothing itself, but opens the player's own storage bags or those of the player's covenant.
#pragma once

#include "entities/Entity.h"

#include <cstdint>

class InventoryBag;
class Sentient;

class Stash : public Entity {
public:
    // Entity's record, then "PlayerStash" (non-zero: the player's own bags, else the covenant's).
    void Load(const DatabaseEntry* record) override;
    // A stash is a piece of furniture, not a thing lying about.
    bool IsInanimate() const override { return false; }
    bool TraitL() const override { return false; }

    // The storage bag behind an opened-container bag number: Loot is Stash, LootBag1..8 are
    // StashBag1..8. Null for any other number, without a player, or for a covenant stash opened
    // by a player without a covenant.
    InventoryBag* GetStashBag(const Sentient* player, int32_t bag) const;
    bool IsPlayerStash() const { return playerStash; }

private:
    bool playerStash = false;
};
