// EntityWorld -- the host-entity test world with the fake game installed behind GameServices.
#pragma once

#include "entities/EntityRulesWorld.h"
#include "entities/FakeGameServices.h"

class EntityWorld : public EntityRulesWorld {
protected:
    EntityWorld() { gGameServices = &game; }

    ~EntityWorld() override
    {
        game.DestroyAll();
        gGameServices = nullptr;
    }

    // An entity the fake game owns, at x, y of level 0.
    template <class T = Entity>
    T* Spawn(float x = 0.0f, float y = 0.0f)
    {
        auto* entity = new T();
        entity->SetPosition(At(x, y));
        EXPECT_NE(game.AddEntity(entity), -1);
        return entity;
    }

    FakeGameServices game;
};
