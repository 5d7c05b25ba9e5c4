// GameWorld -- the server test world: game data, events and seeded streams, three levels in a row and the real game behind GameServices.
#pragma once

#include "entities/EntityRulesWorld.h"
#include "server/ScriptedGame.h"

#include <gtest/gtest.h>

class GameWorld : public EntityRulesWorld {
protected:
    GameWorld() : row(3)
    {
        game = std::make_unique<ScriptedGame>();
        game->ResetLevels();
        gGameServices = game.get();
        gGame = game.get();
    }

    ~GameWorld() override
    {
        game->Reset();
        gGame = nullptr;
        gGameServices = nullptr;
    }

    template <class T = Entity>
    T* Spawn(float x, float y, int32_t level = 0)
    {
        auto* entity = new T();
        entity->SetPosition(At(x, y, level));
        EXPECT_NE(game->AddEntity(entity), -1);
        return entity;
    }

    void Step(int32_t count = 1)
    {
        for (int32_t i = 0; i < count; ++i)
            game->Update(0.05f);
    }

    RowWorld row;
    std::unique_ptr<ScriptedGame> game;
};
