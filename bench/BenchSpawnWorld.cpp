// BenchSpawnWorld -- a server benchmark's ground over the shipped adventure: the world read from the database, the real game on open ground and the spawn system loaded from the shipped records, each behind its global while the benchmark runs.
#include "BenchSpawnWorld.h"

#include "entities/Actor.h"

BenchSpawnWorld::BenchSpawnWorld(const std::string& userFolderName, uint32_t seed)
    : BenchDataWorld(userFolderName, seed)
{
    Entity::RegisterEventClass(events, types);
    Sentient::RegisterEventClass(events, types);
    Actor::RegisterEventClass(events, types);
    gWorld = &world;
    world.Create();
    world.SetLevelSize(4096.0f, 4096.0f);
    world.ReadFromDatabase("World", 0);
}

BenchSpawnWorld::~BenchSpawnWorld()
{
    if (game) {
        game->Reset();
        game.reset();
    }
    gSpawnSystem = nullptr;
    gGame = nullptr;
    gGameServices = nullptr;
    world.Destroy();
    gWorld = nullptr;
}

void BenchSpawnWorld::StartGame(std::unique_ptr<BenchOpenGroundGame> made)
{
    game = std::move(made);
    game->ResetLevels();
    gGameServices = game.get();
    gGame = game.get();
    spawn.Load();
    gSpawnSystem = &spawn;
}
