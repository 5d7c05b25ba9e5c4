// BenchSpawnWorld -- a server benchmark's ground over the shipped adventure: the world read from the database, the real game on open ground and the spawn system loaded from the shipped records, each behind its global while the benchmark runs.
#pragma once

#include "BenchDataWorld.h"
#include "server/spawn/SpawnSystem.h"

#include <cstdint>
#include <memory>
#include <string>

// The globals are cleared in the destructor, after a derived benchmark world has taken down
// what it built on them.
class BenchSpawnWorld : public BenchDataWorld {
public:
    BenchSpawnWorld(const std::string& userFolderName, uint32_t seed);
    ~BenchSpawnWorld();

    World world;
    std::unique_ptr<BenchOpenGroundGame> game;
    SpawnSystem spawn;

protected:
    // The game the benchmark runs, made once the world is read; the spawn system loads after it.
    void StartGame(std::unique_ptr<BenchOpenGroundGame> made);
};
