// ItemClient -- the client's mirror of one item of an inventory the client holds: the shared item record as the last update or file gave it, its use and drop sounds, its skill hint, the item-timer gate and the use request.
#pragma once

#include "resources/ResourceHandle.h"
#include "rules/items/ItemBase.h"

#include <cstdint>

class GameClient;

class ItemClient : public ItemBase {
public:
    // The shared load, then "UseSoundName", "DropSoundName" and "ShowSkillHint"; an empty or
    // missing sound name holds no sound.
    void Load(const DatabaseEntry* entry) override;
    // Never without a local player, nor while the player's timer of the item's "ItemTimer" runs
    // with time left; otherwise the shared test.
    bool IsUsable() const override;
    // Food and drink by the client game's price factors; everything else 1.
    float GetValueMultiplier() const override;
    // The client game whose price factors and timers the item reads; null without one.
    GameClient* GetGame() const;

    // Asks the host to use the item in that bag and slot ("useItem group slot"), then plays the
    // use sound.
    void RequestUse(int32_t group, int32_t slot) const;
    void PlayDropSound() const;
    bool ShowsSkillHint() const { return showSkillHint; }
    const ResourceHandle& GetUseSound() const { return useSound; }

private:
    ResourceHandle useSound;
    ResourceHandle dropSound;
    bool showSkillHint = false;
};
