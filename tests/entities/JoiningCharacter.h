// JoiningCharacter -- a joining client's character record taken by a player the way the world host takes it: read whole and checked, then applied.
#pragma once

#include "core/MessageBuffer.h"
#include "entities/CharacterSettings.h"
#include "entities/GameServices.h"
#include "entities/Player.h"
#include "rules/GameData.h"
#include "rules/GameSystemTuning.h"

// False, the player untouched, when the record is refused.
inline bool ReadJoiningCharacter(Player& player, MessageBuffer& record)
{
    static const ItemPtrList kNoGates;
    CharacterSettings settings;
    bool skillBonuses = gGameData && gGameData->GetTuning().useNewCharSkillBonuses;
    if (!settings.Read(record, skillBonuses, gGameServices ? gGameServices->GetGateRecords() : kNoGates))
        return false;
    player.ApplyCharacter(settings);
    return true;
}
