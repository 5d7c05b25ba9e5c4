// ShippedEntityWorld -- the test world over the shipped game folder: its database and game data, the event and type registries, a seeded random system and the fake game, all made the globals.
#pragma once

#include "entities/CombatWorld.h"

#include "core/Database.h"
#include "support/ShippedGame.h"

#include <gtest/gtest.h>

// The records are not loaded here: a test first asserts the shipped folder is known.
class ShippedEntityWorld : public ::testing::Test {
protected:
    ShippedEntityWorld() : shipped(ShippedGameFolder()), random(0x5eed)
    {
        gDatabase = &database;
        gGameData = &gameData;
        gEventSystem = &events;
        gTypeRegistry = &types;
        gRandomSystem = &random;
        gGameServices = &game;
        Entity::RegisterEventClass(events, types);
    }

    ~ShippedEntityWorld() override
    {
        game.DestroyAll();
        gGameServices = nullptr;
        gRandomSystem = nullptr;
        gTypeRegistry = nullptr;
        gEventSystem = nullptr;
        gGameData = nullptr;
        gDatabase = nullptr;
    }

    GameFolderFiles shipped;
    Database database;
    GameData gameData;
    EventSystem events;
    TypeRegistry types;
    RandomSystem random;
    FakeGameServices game;
};
