// JoiningCharacter -- a joining client's character record taken by a player the way the world host takes it: read whole and checked, then applied.
#pragma once

#include "core/MessageBuffer.h"
#include "entities/Player.h"

// False, the player untouched, when the record is refused.
inline bool ReadJoiningCharacter(Player& player, MessageBuffer& record)
{
    if (!player.ReadCharacter(record, "a test"))
        return false;
    player.ApplyReadCharacter();
    return true;
}
