// TownSpawn -- the town a new world fills: a spawn system over the loaded records makes the game's own town NPCs, the actors the game names for its quests and its talk.
#pragma once

#include "server/Game.h"
#include "server/spawn/SpawnSystem.h"

#include <string>

// The records give "GameSystem" an "NpcType" line and a "TownSpot<Type>" for each NPC, a monster
// type whose actor is of each type, and a "SpawnSystem" record (it may be empty).
// The townsfolk's archetype, which the town NPCs' monster types below are of.
inline constexpr const char* kTownArchetypeRecord = R"(
ArchetypeTown
{
    Type MonsterArchetype
    FactionName "Townsfolk"
}
)";

// A town NPC's two records: "Actor<key>" of the NPC type (its further lines, each ending in a
// newline, after the type) and "Monster<key>", a townsperson of that name from level 1 to 30.
inline std::string TownNpcRecords(const std::string& key, const std::string& npcType, const std::string& name,
                                  const std::string& actorLines = "")
{
    return "Actor" + key + "\n{\n    Type Actor\n    Npc 1\n    NpcType " + npcType + "\n" + actorLines + "}\n" +
           "Monster" + key + "\n{\n    Type MonsterType\n    Archetype ArchetypeTown\n    Definition Actor" + key +
           "\n    Name \"" + name + "\"\n    MinLevel 1\n    MaxLevel 30\n}\n";
}

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
