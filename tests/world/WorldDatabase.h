// WorldDatabase -- a test world for the world: a temporary game folder with its database, game data, random streams, platform and World.
#pragma once

#include "core/RandomSystem.h"
#include "rules/RulesWorld.h"
#include "support/ThrowingCriticalError.h"
#include "world/World.h"

#include <string>

// The level geometry of the shipped game: 64 x 64 tiles of 64 units, 8 x 8 tile blocks.
inline const std::string kWorldTestGameSystem = "GameSystem\n{\n Type Info\n LevelTileWidth 64\n LevelTileHeight 64\n"
                                                " BlockTileWidth 8\n BlockTileHeight 8\n TileSize 64\n GridSize 32 32\n"
                                                " DifficultyMonsterLevelStartNormal 5\n"
                                                " DifficultyMonsterLevelStartChampion 30\n}\n";

class WorldDatabase : public RulesWorld {
protected:
    WorldDatabase() : platform((folder.Path() / "User").string())
    {
        gPlatformSystem = &platform;
        gRandomSystem = &random;
        gWorld = &world;
        world.Create();
    }

    ~WorldDatabase() override
    {
        world.Destroy();
        gWorld = nullptr;
        gRandomSystem = nullptr;
        gPlatformSystem = nullptr;
    }

    // The records beside the test "GameSystem", and the game data read from them.
    void LoadRecords(const std::string& records)
    {
        Load({{"rules.dbr", kWorldTestGameSystem + records}});
        gameData.Load(database);
    }

    ThrowingCriticalError<> platform;
    RandomSystem random{20261207};
    World world;
};
