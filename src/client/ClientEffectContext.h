// ClientEffectContext -- what live effects ask of the game client: its entities by number and by owner, and sounds at a place.
#pragma once

#include "resources/effects/EffectContext.h"

// The game client hands it to the effect system while it exists.
class ClientEffectContext : public EffectContext {
public:
    // The client's pause; a shown menu that wants its effects or models alive keeps them moving.
    bool IsPaused() override;
    bool WantsAnimationWhilePaused() override;
    EffectHost* GetEntity(int32_t number) override;
    // The entity hanging on the owner at the owner's attach point subId.
    EffectHost* FindEntityByOwner(EffectHost* owner, int32_t subId) override;
    void PlaySound(int32_t sound, const EffectPos& position) override;
};
