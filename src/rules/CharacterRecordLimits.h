// CharacterRecordLimits -- the bounds a saved character keeps: the world host holds a joining character to them, and the client's loader holds the character file to the same, so that a character the host would refuse is never sent.
#pragma once

#include "core/EngineEnums.h"

#include <cstdint>
#include <vector>

namespace CharacterRecordLimits {

constexpr int32_t kFirstSkillStat = CharacterStat::Skill1;
constexpr int32_t kLastSkillStat = CharacterStat::Skill60;
// The base attributes and the skills lie in [0, this]; every other stat, the current attributes
// among them, within +-kMaxStatValue. Far beyond play, far below what overflows a formula.
constexpr int32_t kMaxTrainedValue = 1000000;
constexpr int32_t kMaxStatValue = 1000000000;
// The highest level a character reaches.
constexpr int32_t kMaxLevel = 100;

// Each answers null when the part is sound, else the reason, for the log.
// The class index names a class of the game data (none without game data).
const char* CheckClass(int32_t classIndex);
// No more stats than the stat table, each within its range, the level 1 to kMaxLevel and the
// money 0 to the tuning's "MaxMoney" (no cap when that is 0).
const char* CheckStats(const std::vector<int32_t>& stats);
// The skill gift record: an even count of words, at most two a skill, each pair a skill's level
// stat and the highest level given, 0 to kMaxTrainedValue.
const char* CheckSkillGifts(const std::vector<int32_t>& words);

} // namespace CharacterRecordLimits
