// BenchDataWorld -- the engine core a game benchmark stands on: the shipped database and game data from the staged game folder, a seeded stream, events and types, each behind its global while the benchmark runs.
#include "BenchDataWorld.h"

#include "world/Level.h"

#include <cstdlib>
#include <filesystem>
#include <memory>

namespace {

// The staged game folder the build names, or the source tree's own.
std::string BenchDataWorldGameFolder()
{
    if (const char* folder = std::getenv("EMBERLODE_GAME_DIR"))
        return folder;
    return (std::filesystem::path(__FILE__).parent_path().parent_path() / "game").string();
}

} // namespace

BenchDataWorld::BenchDataWorld(const std::string& userFolderName, uint32_t seed)
    : BenchDataWorld(userFolderName, seed, BenchDataWorldGameFolder())
{
}

BenchDataWorld::BenchDataWorld(const std::string& userFolderName, uint32_t seed, const std::string& gameFolder)
    : platform((std::filesystem::temp_directory_path() / userFolderName).string()), files(gameFolder), random(seed)
{
    gDebugSystem = &debug;
    gPlatformSystem = &platform;
    files.SetRootFolders("Assets");
    gFileSystem = &files;
    gDatabase = &database;
    database.Load();
    gGameData = &gameData;
    gameData.Load(database);
    gRandomSystem = &random;
    gEventSystem = &events;
    gTypeRegistry = &types;
}

BenchDataWorld::~BenchDataWorld()
{
    gTypeRegistry = nullptr;
    gEventSystem = nullptr;
    gRandomSystem = nullptr;
    gGameData = nullptr;
    gDatabase = nullptr;
    gFileSystem = nullptr;
    gPlatformSystem = nullptr;
    gDebugSystem = nullptr;
}

void BenchLevelsInARow(World& world, float levelSize, int32_t count)
{
    world.SetLevelSize(levelSize, levelSize);
    for (int32_t i = 0; i < count; ++i) {
        auto level = std::make_unique<Level>();
        level->column = i;
        if (i > 0)
            level->neighbours[7] = i - 1;
        if (i + 1 < count)
            level->neighbours[3] = i + 1;
        world.AddLevel(std::move(level));
    }
}
