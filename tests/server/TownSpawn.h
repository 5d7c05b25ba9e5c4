// TownSpawn -- the town a new world fills: a spawn system over the loaded records makes the game's own town NPCs, the actors the game names for its quests and its talk.
#pragma once

#include "server/Game.h"
#include "server/spawn/SpawnSystem.h"

// The records give "GameSystem" an "NpcType" line and a "TownSpot<Type>" for each NPC, a monster
// type whose actor is of each type, and a "SpawnSystem" record (it may be empty).
class TownSpawn {
public:
    TownSpawn() = default;
    TownSpawn(const TownSpawn&) = delete;
    TownSpawn& operator=(const TownSpawn&) = delete;
    ~TownSpawn()
    {
        if (gSpawnSystem == &spawn)
            gSpawnSystem = nullptr;
    }

    // The NPC of each slot, in the records' order, is the named actor of the same index.
    void Fill(Game& game)
    {
        spawn.Load();
        gSpawnSystem = &spawn;
        game.CreateTownNpcs();
    }

private:
    SpawnSystem spawn;
};
