// ProfileFileBytes -- a user's profile file as a won game leaves it: no unlocks, and trophy points
// already won, for the tests that spend them.
#pragma once

#include "core/EngineEnums.h"
#include "core/MessageBuffer.h"
#include "rules/IntArray.h"

#include <string>

inline std::string ProfileFileBytes(const std::string& userName, int trophyPoints)
{
    MessageBuffer file;
    file.WriteInt(51);
    file.WriteString(userName.c_str());
    file.WriteInt(1);
    file.WriteInt(0);
    IntArray upgrades(CharacterStat::kCount);
    upgrades.Set(CharacterStat::SkillPointsLeft, trophyPoints);
    upgrades.Write(file);
    for (int i = 0; i < 3; ++i)
        file.WriteInt(0);
    return std::string(reinterpret_cast<const char*>(file.Data()), file.Size());
}
