// GameLevelRecord -- what the game keeps per level of the world: explored cells, the entity grid, the respawn queue and the last visit.
#pragma once

#include "core/TimeStamp.h"
#include "server/SpatialTree.h"
#include "world/WorldPos.h"

#include <cstdint>
#include <memory>
#include <vector>

// A monster place waiting to be filled again; the timer runs from the queueing.
struct RespawnEntry {
    WorldPos position;
    float remaining = 0.0f;
};

struct GameLevelRecord {
    // Its index in the world's level list.
    int32_t level = -1;
    bool exploredSized = false;
    std::vector<bool> explored;
    int32_t exploredCount = 0;
    // The entity grid over the level's area; made by the game with the level's size.
    std::unique_ptr<SpatialTree> grid;
    std::vector<RespawnEntry> respawns;
    TimeStamp lastVisit;
    // Filled by the spawn system's level filler, once per world.
    bool populated = false;
    // The blocks a bonus chest or a sent monster has taken, by grid index; sized on first use.
    std::vector<bool> usedBlocks;
    // The level's one bonus chest of the world has been laid.
    bool bonusChestLaid = false;
};
