// CharacterRecordLimits -- the bounds a saved character keeps: the world host holds a joining character to them, and the client's loader holds the character file to the same, so that a character the host would refuse is never sent.
#include "rules/CharacterRecordLimits.h"

#include "rules/GameData.h"
#include "rules/GameSystemTuning.h"

namespace {

// The base attributes and the skills. The current attributes are not among them: the host
// computes those from the base ones at every join, and a weakening may have held them below 0
// when the character was saved.
bool CharacterRecordTrained(int32_t stat)
{
    return (stat >= CharacterStat::BaseStrength && stat <= CharacterStat::BaseSpirit) ||
           (stat >= CharacterRecordLimits::kFirstSkillStat && stat <= CharacterRecordLimits::kLastSkillStat);
}

} // namespace

namespace CharacterRecordLimits {

const char* CheckClass(int32_t classIndex)
{
    return gGameData && gGameData->GetCharacterClass(classIndex) ? nullptr : "unknown class";
}

const char* CheckStats(const std::vector<int32_t>& stats)
{
    if (stats.size() > static_cast<size_t>(CharacterStat::kCount))
        return "more stats than the stat table";
    for (size_t i = 0; i < stats.size(); ++i) {
        bool trained = CharacterRecordTrained(static_cast<int32_t>(i));
        int32_t low = trained ? 0 : -kMaxStatValue;
        int32_t high = trained ? kMaxTrainedValue : kMaxStatValue;
        if (stats[i] < low || stats[i] > high)
            return trained ? "attribute or skill outside its range" : "stat outside its range";
    }
    auto statAt = [&stats](int32_t stat) {
        return stat < static_cast<int32_t>(stats.size()) ? stats[static_cast<size_t>(stat)] : 0;
    };
    int32_t level = statAt(CharacterStat::Level);
    if (level < 1 || level > kMaxLevel)
        return "level";
    int32_t money = statAt(CharacterStat::Money);
    int32_t maxMoney = gGameData ? gGameData->GetTuning().maxMoney : 0;
    if (money < 0 || (maxMoney > 0 && money > maxMoney))
        return "money";
    return nullptr;
}

const char* CheckSkillGifts(const std::vector<int32_t>& words)
{
    if (words.size() % 2 != 0 || words.size() > static_cast<size_t>(2 * (kLastSkillStat - kFirstSkillStat + 1)))
        return "skill gift count";
    for (size_t i = 0; i < words.size(); i += 2) {
        int32_t stat = words[i];
        int32_t level = words[i + 1];
        if (stat < kFirstSkillStat || stat > kLastSkillStat || level < 0 || level > kMaxTrainedValue)
            return "skill gift outside the skills";
    }
    return nullptr;
}

} // namespace CharacterRecordLimits
