// BenchDataWorld -- the engine core a game benchmark stands on: the shipped database and game data from the staged game folder, a seeded stream, events and types, each behind its global while the benchmark runs.
#pragma once

#include "core/Database.h"
#include "core/DebugSystem.h"
#include "core/EventSystem.h"
#include "core/RandomSystem.h"
#include "core/TypeRegistry.h"
#include "platform/PosixFileSystem.h"
#include "platform/PosixPlatformSystem.h"
#include "rules/GameData.h"
#include "server/Game.h"

#include "world/World.h"

#include <cstdint>
#include <string>

// The globals are cleared in the destructor, after a derived benchmark world has taken down
// what it built on them.
class BenchDataWorld {
public:
    // The user folder is a temporary folder of that name; the stream starts at the seed.
    BenchDataWorld(const std::string& userFolderName, uint32_t seed);
    // The same over another game folder (one a benchmark wrote with records of its own).
    BenchDataWorld(const std::string& userFolderName, uint32_t seed, const std::string& gameFolder);
    ~BenchDataWorld();
    BenchDataWorld(const BenchDataWorld&) = delete;
    BenchDataWorld& operator=(const BenchDataWorld&) = delete;

    DebugSystem debug;
    PosixPlatformSystem platform;
    PosixFileSystem files;
    Database database;
    GameData gameData;
    RandomSystem random;
    EventSystem events;
    TypeRegistry types;
};

// A game on open ground: every cell of a level the world knows is free to walk and to see
// through, so a benchmark measures its subject rather than the layout.
class BenchOpenGroundGame : public Game {
public:
    bool IsCellBlocked(const WorldPos& position) const override { return !IsKnownLevel(position.level); }
    bool IsCellSightBlocked(const WorldPos& position) const override { return !IsKnownLevel(position.level); }
    bool IsBodyBlocked(const WorldPos& position, float) const override { return !IsKnownLevel(position.level); }
};

// Square levels side by side in one row, each the neighbour of the next across its right
// edge and of the one before across its left.
void BenchLevelsInARow(World& world, float levelSize, int32_t count);
