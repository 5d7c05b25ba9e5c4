// Attachments -- what hangs on an entity, read from the entity table the way the client finds it: every entity whose parent number is its own.
#pragma once

#include "entities/Entity.h"
#include "entities/GameServices.h"

#include <cstdint>

inline int32_t CountAttachedTo(const GameServices& game, const Entity& parent)
{
    int32_t count = 0;
    for (int32_t number = 0; number < GameServices::kMaxEntities; ++number)
        if (const Entity* entity = game.GetEntity(number); entity && entity->parentNumber == parent.entityNumber)
            ++count;
    return count;
}
