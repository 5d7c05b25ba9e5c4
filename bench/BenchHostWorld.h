// BenchHostWorld -- a client's benchmark ground: three open levels in a row, the real game on them, a world host and a game client that reads the host's updates, each behind its global while the benchmark runs.
#pragma once

#include "BenchDataWorld.h"
#include "client/GameClient.h"
#include "server/WorldHost.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

class MessageBuffer;

// The globals are cleared in the destructor, after a derived benchmark world has taken down
// what it built on them.
class BenchHostWorld : public BenchDataWorld {
public:
    BenchHostWorld(const std::string& userFolderName, uint32_t seed, float levelSize);
    ~BenchHostWorld();

    // The entity added to the game at that spot and returned; deleted and null when the game is full.
    template <class T>
    T* Place(T* entity, const WorldPos& where)
    {
        entity->SetPosition(where);
        if (game->AddEntity(entity) == -1) {
            delete entity;
            return nullptr;
        }
        return entity;
    }

    // The client's whole update written afresh; the buffer is left read past its head, whose end is returned.
    size_t WriteUpdate(MessageBuffer& buffer);

    World world;
    std::unique_ptr<Game> game;
    std::unique_ptr<WorldHost> host;
    std::unique_ptr<GameClient> gameClient;
    ClientRecord client;
};
