// ShippedRulesWorld -- the shipped game's database and the game data read from it.
#pragma once

#include "core/Database.h"
#include "rules/GameData.h"
#include "support/GameFolderFiles.h"
#include "support/ShippedGame.h"

#include <gtest/gtest.h>

class ShippedRulesWorld : public ::testing::Test {
protected:
    ShippedRulesWorld() : game(ShippedGameFolder())
    {
        gDatabase = &database;
        gGameData = &gameData;
    }

    ~ShippedRulesWorld() override
    {
        gDatabase = nullptr;
        gGameData = nullptr;
    }

    void SetUp() override
    {
        ASSERT_FALSE(ShippedGameFolder().empty()) << "EMBERLODE_GAME_DIR not set";
        database.Load();
        gameData.Load(database);
    }

    GameFolderFiles game;
    Database database;
    GameData gameData;
};
