// EntityWorld -- a test world for the host entities: game data over a temporary database, events, seeded random streams and the fake game.
#pragma once

#include "core/EventSystem.h"
#include "core/RandomSystem.h"
#include "core/TypeRegistry.h"
#include "entities/Entity.h"
#include "entities/FakeGameServices.h"
#include "rules/RulesWorld.h"

#include <string>

class EntityWorld : public RulesWorld {
protected:
    EntityWorld() : random(0x5eed)
    {
        gEventSystem = &events;
        gTypeRegistry = &types;
        gRandomSystem = &random;
        gGameServices = &game;
        Entity::RegisterEventClass(events, types);
    }

    ~EntityWorld() override
    {
        game.DestroyAll();
        gGameServices = nullptr;
        gRandomSystem = nullptr;
        gTypeRegistry = nullptr;
        gEventSystem = nullptr;
    }

    // The records as one sub-database, then the game data read from it.
    void LoadRecords(const std::string& text)
    {
        Load({{"rules.dbr", text}});
        gameData.Load(database);
    }

    // An entity the fake game owns, at x, y of level 0.
    template <class T = Entity>
    T* Spawn(float x = 0.0f, float y = 0.0f)
    {
        auto* entity = new T();
        WorldPos where;
        where.level = 0;
        where.x = x;
        where.y = y;
        entity->SetPosition(where);
        EXPECT_NE(game.AddEntity(entity), -1);
        return entity;
    }

    static WorldPos At(float x, float y, int32_t level = 0)
    {
        WorldPos where;
        where.level = level;
        where.x = x;
        where.y = y;
        return where;
    }

    EventSystem events;
    TypeRegistry types;
    RandomSystem random;
    FakeGameServices game;
};
