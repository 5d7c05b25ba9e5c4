// StatSystem -- the rule system that counts the players' kills and deaths in their character statistics.
#pragma once

#include "entities/GameSystem.h"

class StatSystem : public GameSystem {
public:
    // Makes the one StatSystem when none exists and puts it on the game's kill list.
    static void Create();
    // Takes it off the game's list and frees it.
    static void Destroy();

    // An ordinary kill of a sentient: one "Kills" for a killing player, one "Deaths" for a
    // killed one. Any other flag counts nothing.
    void OnKill(Entity* killer, Entity* victim, int32_t flag) override;
};

extern StatSystem* gStatSystem;
