// Sentient -- experience, its debt after deaths, and levels.
#include "entities/Sentient.h"

#include "entities/EntityCovenant.h"
#include "entities/GameServices.h"
#include "rules/CharacterClass.h"
#include "rules/Formulas.h"
#include "rules/GameData.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr float kSentientLevelUpEffectSeconds = 2.0f;
constexpr const char* kSentientLevelUpTag = "tag_helmet";
constexpr double kSentientLevelGainNudge = 1e-4;

int32_t SentientClampToInt(int64_t value)
{
    return static_cast<int32_t>(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

} // namespace

int32_t Sentient::GainExperience(int32_t sourceLevel, int32_t kind, float factor)
{
    if (!CanGainExperience() || !gGameData)
        return 0;
    const GameSystemTuning& tuning = gGameData->GetTuning();
    float multiplier = factor;
    if (kind == ExperienceKind::kSecret)
        multiplier = tuning.secretDiscoveryXpMult * factor;
    else if (kind == ExperienceKind::kLevel)
        multiplier = tuning.levelDiscoveryXpMult * factor;
    float difference = LevelDifferenceXpFactor(tuning, sourceLevel, stats.Get(CharacterStat::Level));
    int32_t xp = SentientClampToInt(static_cast<int64_t>(std::floor(difference * 100.0f * multiplier)));
    int64_t total = static_cast<int64_t>(stats.Get(CharacterStat::Xp)) + PayXpDebt(xp);
    int32_t needed = stats.Get(CharacterStat::XpNeeded);
    // A level that needs no points cannot be reached by points: no level-up then.
    if (needed > 0 && total >= needed) {
        if (stats.Get(CharacterStat::Level) >= kMaxLevel) {
            total = needed - 1;
        } else {
            while (needed > 0 && total >= needed) {
                total -= needed;
                LevelUp();
                needed = stats.Get(CharacterStat::XpNeeded);
            }
        }
    }
    stats.Set(CharacterStat::Xp, SentientClampToInt(total));
    if (EntityCovenant* covenant = GetCovenant()) {
        covenant->RecordMemberExperience(sourceLevel, kind, multiplier);
        covenant->OnMemberGainedExperience(*this, xp);
    }
    return xp;
}

int32_t Sentient::PayXpDebt(int32_t xp)
{
    int32_t debt = stats.Get(CharacterStat::XpDebt);
    if (debt <= 0 || xp <= 0)
        return xp;
    // While in debt, the part of the experience that pays it counts half.
    if (debt <= xp) {
        stats.Set(CharacterStat::XpDebt, 0);
        return xp - debt + static_cast<int32_t>(std::ceil(static_cast<double>(debt) * 0.5));
    }
    stats.Set(CharacterStat::XpDebt, debt - xp);
    return static_cast<int32_t>(std::ceil(static_cast<double>(xp) * 0.5));
}

int32_t Sentient::AddXpDebtOnDeath()
{
    int32_t needed = stats.Get(CharacterStat::XpNeeded);
    float fraction = gGameServices ? gGameServices->GetExperienceLossFraction() : 0.0f;
    int64_t added = static_cast<int64_t>(std::ceil(static_cast<float>(needed) * fraction));
    int32_t before = stats.Get(CharacterStat::XpDebt);
    int64_t after = static_cast<int64_t>(before) + added;
    if (needed >= 1)
        after = std::min<int64_t>(after, needed);
    stats.Set(CharacterStat::XpDebt, SentientClampToInt(after));
    return stats.Get(CharacterStat::XpDebt) - before;
}

void Sentient::ReduceXpDebt(int32_t amount)
{
    stats.SubtractFloored(CharacterStat::XpDebt, amount);
}

void Sentient::LevelUp()
{
    int32_t level = stats.Get(CharacterStat::Level);
    if (level >= kMaxLevel)
        return;
    stats.Set(CharacterStat::Level, level + 1);
    ApplyLevelGains();
    RecalculateStats(false);
    if (maxHealth < 1 || health >= 1) {
        health = maxHealth;
        if (characterClass && characterClass->maxPowerOnLevelUp)
            stats.Set(CharacterStat::Power, stats.Get(CharacterStat::MaxPower));
    }
    if (GetCovenant() && gGameData)
        AttachTemporary(this, gGameData->GetTuning().levelUpEffect, kSentientLevelUpTag, kSentientLevelUpEffectSeconds);
}

void Sentient::ApplyLevelGains()
{
    if (!characterClass || !gGameData)
        return;
    // A fractional gain adds up over the levels (0.5 a level is 1 every second level): each level
    // adds what the gain times the level has reached beyond the last, so a whole gain is added
    // whole. The nudge keeps a gain read as 0.7 from reaching only 6.9999999 at level 10.
    double level = stats.Get(CharacterStat::Level);
    for (int32_t i = 0; i < kAttributeCount; ++i) {
        int32_t stat = CharacterStat::BaseStrength + i;
        double perLevel = characterClass->attributePerLevel[static_cast<size_t>(i)];
        double reached = std::floor(perLevel * level + kSentientLevelGainNudge);
        double before = std::floor(perLevel * (level - 1.0) + kSentientLevelGainNudge);
        auto gain = static_cast<int32_t>(std::clamp(reached - before, double{std::numeric_limits<int32_t>::min()},
                                                    double{std::numeric_limits<int32_t>::max()}));
        stats.AddCapped(stat, gain, gGameData->GetAttributeCap(stat));
    }
}
