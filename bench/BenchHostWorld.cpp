// BenchHostWorld -- a client's benchmark ground: three open levels in a row, the real game on them, a world host and a game client that reads the host's updates, each behind its global while the benchmark runs.
#include "BenchHostWorld.h"

#include "core/MessageBuffer.h"
#include "entities/Actor.h"
#include "entities/Player.h"
#include "world/NetMessages.h"

BenchHostWorld::BenchHostWorld(const std::string& userFolderName, uint32_t seed, float levelSize)
    : BenchDataWorld(userFolderName, seed)
{
    Entity::RegisterEventClass(events, types);
    Actor::RegisterEventClass(events, types);
    Player::RegisterEventClass(events, types);
    BenchLevelsInARow(world, levelSize, 3);
    gWorld = &world;
    game = std::make_unique<BenchOpenGroundGame>();
    game->ResetLevels();
    gGame = game.get();
    gGameServices = game.get();
    host = std::make_unique<WorldHost>();
    gameClient = std::make_unique<GameClient>();
    gGameClient = gameClient.get();
}

BenchHostWorld::~BenchHostWorld()
{
    gGameClient = nullptr;
    gameClient.reset();
    host.reset();
    game->Reset();
    game.reset();
    gGame = nullptr;
    gGameServices = nullptr;
    gWorld = nullptr;
}

size_t BenchHostWorld::WriteUpdate(MessageBuffer& buffer)
{
    buffer.Clear();
    host->WriteGameUpdate(buffer, client);
    buffer.SetReadPos(sizeof(int32_t));
    NetGameUpdateHead head;
    NetMessages::ReadGameUpdateHead(buffer, head);
    return buffer.GetReadPos();
}
