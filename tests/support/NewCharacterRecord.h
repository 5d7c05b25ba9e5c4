// NewCharacterRecord -- the settings a joining client sends for a new character of a class, as the tests that make one through the joining character's record write them.
#pragma once

#include "core/MessageBuffer.h"
#include "rules/GameData.h"

#include <cstdint>
#include <string>

// A new character: its name and class, no set-up skills, neither hardcore nor loner.
inline MessageBuffer NewCharacterRecord(const GameData& gameData, const std::string& name, int32_t classIndex)
{
    MessageBuffer record;
    record.WriteInt(0);
    record.WriteString(name.c_str());
    record.WriteInt(classIndex);
    if (gameData.GetTuning().useNewCharSkillBonuses)
        record.WriteInt(0);
    record.WriteInt(0);
    record.WriteInt(0);
    return record;
}
