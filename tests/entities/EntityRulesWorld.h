// EntityRulesWorld -- what every host-entity test needs besides a game: game data over a temporary database, events and seeded random streams.
#pragma once

#include "core/EventSystem.h"
#include "core/RandomSystem.h"
#include "core/TypeRegistry.h"
#include "entities/Entity.h"
#include "rules/RulesWorld.h"

#include <string>

class EntityRulesWorld : public RulesWorld {
protected:
    EntityRulesWorld() : random(0x5eed)
    {
        gEventSystem = &events;
        gTypeRegistry = &types;
        gRandomSystem = &random;
        Entity::RegisterEventClass(events, types);
    }

    ~EntityRulesWorld() override
    {
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
};
