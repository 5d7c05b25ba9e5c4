// LevelWorld -- a test world for level generation: the resource manager with textures, shaders, models and area files over a temporary game folder, the game data and the World.
#pragma once

#include "core/Database.h"
#include "core/RandomSystem.h"
#include "core/StringUtil.h"
#include "core/ZipArchive.h"
#include "resources/models/ModelResourceTypes.h"
#include "resources/shaders/ShaderWorld.h"
#include "rules/GameData.h"
#include "support/ShippedGame.h"
#include "world/AreaDefinition.h"
#include "world/Level.h"
#include "world/LevelData.h"
#include "world/LevelGenerator.h"
#include "world/World.h"

#include <memory>
#include <string>
#include <vector>

// 64 x 64 tiles of 64 units in 8 x 8 tile blocks, two cells a tile side: the shipped geometry.
class LevelWorld : public ShaderWorld {
protected:
    LevelWorld()
    {
        gDatabase = &database;
        gGameData = &gameData;
        gRandomSystem = &random;
        gWorld = &world;
        World::RegisterResourceTypes();
        RegisterModelResourceTypes(*manager, [] { return ModelGrid{64.0f, 2}; });
        WriteAsset("Database/database.dbl", "rules.dbr\n");
        WriteAsset("Database/rules.dbr", "GameSystem\n{\n Type Info\n LevelTileWidth 64\n LevelTileHeight 64\n"
                                         " BlockTileWidth 8\n BlockTileHeight 8\n TileSize 64\n GridSize 32 32\n}\n");
        database.Load();
        gameData.Load(database);
        world.Create();
        world.SetLevelSize(4096.0f, 4096.0f);
    }

    ~LevelWorld() override
    {
        gWorld = nullptr;
        gRandomSystem = nullptr;
        gGameData = nullptr;
        gDatabase = nullptr;
    }

    // Levels give their area files back before the loader is stopped and counted.
    void TearDown() override
    {
        world.Destroy();
        ShaderWorld::TearDown();
    }

    // A level of a new area definition, on no grid, with walls on every side.
    Level& MakeLevel(const std::string& areaFile, int32_t generator, uint32_t seed)
    {
        auto area = std::make_unique<AreaDefinition>();
        area->areaFileName = areaFile;
        area->levelGenerator = generator;
        area->maxBlockFailures = 6;
        area->maxLevelFailures = 4;
        auto level = std::make_unique<Level>();
        level->area = area.get();
        level->seed = seed;
        areas.push_back(std::move(area));
        return *world.AddLevel(std::move(level));
    }

    // Generated and active, as a player standing in it holds it.
    static void Hold(Level& level)
    {
        LevelGenerator::AddReference(level, kLevelReferenceActive);
        LevelGenerator::EnsureGenerated(level);
    }

    // A shipped area file copied into the test's folder.
    bool CopyShippedArea(const std::string& name)
    {
        std::string gameDir = ShippedGameFolder();
        if (gameDir.empty())
            return false;
        std::unique_ptr<ZipArchive> zip = ZipArchive::Open(gameDir + "/assets001.zip");
        const ZipArchive::Entry* entry = zip ? zip->Find(StringToLower(name)) : nullptr;
        if (!entry)
            return false;
        std::string bytes(entry->size, '\0');
        if (!zip->Read(*entry, reinterpret_cast<uint8_t*>(bytes.data())))
            return false;
        WriteAsset(name, bytes);
        return true;
    }

    Database database;
    GameData gameData;
    RandomSystem random{424242};
    std::vector<std::unique_ptr<AreaDefinition>> areas;
    World world;
};
