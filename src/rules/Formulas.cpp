// Formulas -- the game-wide rules arithmetic that needs no record class: experience, hit chance, money, prices, trade routes.
#include "rules/Formulas.h"

#include "core/ColorCode.h"
#include "core/DebugSystem.h"
#include "core/EngineEnums.h"
#include "core/MathUtil.h"
#include "core/StringUtil.h"
#include "core/TimeStamp.h"
#include "rules/GameData.h"
#include "rules/GameSystemTuning.h"
#include "rules/IntArray.h"

#include <algorithm>
#include <cmath>

namespace {

// Repeated single-precision products, as the curve is defined; the count is bounded so that a
// wild level cannot stall the caller.
float RepeatedProduct(float factor, int64_t times)
{
    float product = 1.0f;
    for (int64_t i = 0; i < std::min<int64_t>(times, kLevelLimit); ++i)
        product *= factor;
    return product;
}

const TradeRouteTuning* FindRoute(const GameSystemTuning& tuning, int32_t kind)
{
    if (kind >= 0 && kind < TradeRouteType::kCount)
        return &tuning.tradeRoutes[static_cast<size_t>(kind)];
    DebugSystem::Print(kPrintError, "Trade route kind %d outside 0..%d\n", kind, TradeRouteType::kCount - 1);
    return nullptr;
}

} // namespace

float GetDamagePerSecond(const IntArray& stats)
{
    int32_t low = stats.Get(CharacterStat::MinDamage);
    int32_t high = stats.Get(CharacterStat::MaxDamage);
    int32_t speed = stats.Get(CharacterStat::AttackSpeed);
    if (low < 1 || high < 1 || speed <= 0)
        return 0.0f;
    return (static_cast<float>(low) + static_cast<float>(high)) / (2.0f * static_cast<float>(speed) / 1000.0f);
}

int32_t ClampLevel(int32_t level)
{
    return std::clamp(level, 0, gGameData ? gGameData->GetTuning().maxLevel : kLevelLimit);
}

int32_t AddPerLevel(int32_t base, int32_t perLevel, int32_t steps)
{
    int64_t sum = int64_t{base} + int64_t{perLevel} * int64_t{steps};
    return static_cast<int32_t>(std::clamp<int64_t>(sum, INT32_MIN, INT32_MAX));
}

std::string FormatMoney(int32_t copper)
{
    int32_t gold = 0, silver = 0, rest = 0;
    if (copper > 0) {
        gold = copper / 10000;
        silver = (copper / 100) % 100;
        rest = copper % 100;
    }
    const std::string normal = MakeColorCode(kNormalTextColor);
    std::string text;
    // Room for all three parts of the largest amount, each written straight in: a worth on screen
    // is written again every frame, and a part joined apart is one allocation more.
    text.reserve(64);
    auto part = [&text, &normal](int32_t color, const std::string& amount) {
        text += MakeColorCode(color);
        text += amount;
        text += normal;
    };
    if (gold >= 1)
        part(kGoldColor, StringFormat("%d$$GP$$ ", gold));
    if (gold >= 1 || silver >= 1)
        part(kSilverColor, StringFormat("%d$$SP$$ ", silver));
    part(kCopperColor, StringFormat("%d$$CP$$", rest));
    return text;
}

int32_t XpNeededForLevel(const GameSystemTuning& tuning, int32_t level)
{
    if (tuning.xpNeeded.size() < 2)
        return 0;
    int32_t last = static_cast<int32_t>(tuning.xpNeeded.size()) - 1;
    return tuning.xpNeeded[static_cast<size_t>(std::clamp(level, 1, last))];
}

int32_t GetLevelForAmount(const GameSystemTuning& tuning, int32_t amount)
{
    int32_t level = 1;
    int64_t threshold = XpNeededForLevel(tuning, 1);
    while (level < tuning.maxLevel && amount > threshold) {
        ++level;
        threshold += XpNeededForLevel(tuning, level);
    }
    return level;
}

float LevelDifferenceXpFactor(const GameSystemTuning& tuning, int32_t a, int32_t b)
{
    if (a == b)
        return 1.0f;
    // pow, not a loop: a level difference read from a save may be in the billions.
    double base = a > b ? tuning.xpMultPerLevelAbove : tuning.xpMultPerLevelBelow;
    double factor = std::pow(base, std::abs(static_cast<double>(a) - static_cast<double>(b)));
    if (std::isnan(factor))
        return 0.0f;
    return static_cast<float>(std::clamp(factor, 0.0, static_cast<double>(kMaxLevelDifferenceXpFactor)));
}

float LevelDifferenceFactor(int32_t attack, int32_t defense)
{
    // Both levels 0 would divide 0 by 0: no defense means a sure hit.
    if (defense <= 0)
        return 1.0f;
    int64_t scaled = int64_t{attack} * 3 / 2;  // attack x 1.5 truncated toward 0
    float factor = scaled >= defense ? 1.0f - 0.5f * static_cast<float>(defense) / static_cast<float>(scaled)
                                     : 0.5f * static_cast<float>(scaled) / static_cast<float>(defense);
    return std::clamp(factor, 0.0f, 1.0f);
}

float ResistanceAbsorbFraction(const GameSystemTuning& tuning, int32_t resistance, int32_t level)
{
    float typical = tuning.typicalDamageBase + static_cast<float>(int64_t{level} - 1) * tuning.typicalDamagePerLevel;
    if (!(typical > 0.0f))
        return 1.0f;
    float absorbed = tuning.resistanceAbsorbMultiplier * static_cast<float>(resistance) *
                     (tuning.resistanceMinAbsorbPercent + 1.0f) * 0.5f;
    if (absorbed >= typical)
        return 1.0f;
    return std::max(absorbed / typical, 0.0f);
}

int32_t GetSkillPointMoney(const GameSystemTuning& tuning, int32_t points)
{
    return FloorToInt(tuning.moneyPerSkillPoint * static_cast<float>(points));
}

float GetSellPercent(const GameSystemTuning& tuning, int32_t value)
{
    if (value >= tuning.minSellPercentPrice || tuning.minSellPercentPrice <= 0)
        return tuning.minSellPercent;
    float share = static_cast<float>(value) / static_cast<float>(tuning.minSellPercentPrice);
    return tuning.maxSellPercent - (tuning.maxSellPercent - tuning.minSellPercent) * share;
}

float LerpByLevel(const GameSystemTuning& tuning, int32_t level)
{
    if (tuning.sellFractionLevels <= 0)
        return tuning.sellFractionEnd;
    float t = std::clamp(static_cast<float>(level) / static_cast<float>(tuning.sellFractionLevels), 0.0f, 1.0f);
    return tuning.sellFractionStart + (tuning.sellFractionEnd - tuning.sellFractionStart) * t;
}

int32_t GetTradeRouteIncome(const GameSystemTuning& tuning, int32_t kind, const TimeStamp& elapsed, int32_t base)
{
    const TradeRouteTuning* route = FindRoute(tuning, kind);
    if (!route)
        return 0;
    float grown = route->start + elapsed.GetTotalSeconds() * route->increasePerHour / 3600.0f;
    return FloorToInt(std::min(grown, route->maxPercent * static_cast<float>(base)) + 0.5f);
}

int32_t GetTradeRouteStartingLoss(const GameSystemTuning& tuning, int32_t kind)
{
    const TradeRouteTuning* route = FindRoute(tuning, kind);
    // Both divisors come from the data. A route that starts in profit follows the same
    // formula: its start enters squared, so the figure stays positive.
    if (!route || route->increasePerHour <= 0.0f || tuning.taxPeriod <= 0.0f)
        return 0;
    float loss = -route->start;
    return CeilToInt(0.5f * loss * (loss / route->increasePerHour) * (3600.0f / tuning.taxPeriod));
}

int32_t GetMinComparisonInfluence(const GameSystemTuning& tuning, int32_t level, int32_t numKills)
{
    float factor = 1.0f;
    if (level > 1)
        factor = RepeatedProduct(tuning.hardGoalEachLevel, int64_t{level} - 1);
    else if (level < 1)
        factor = RepeatedProduct(tuning.easyGoalEachLevel, 1 - int64_t{level});
    return FloorToInt(100.0f * factor * static_cast<float>(numKills));
}

float GetAdventureThreshold(const AdventureThresholdValues& values, int32_t otherLeaderLevel, int32_t ownLeaderLevel)
{
    float difference = static_cast<float>(int64_t{otherLeaderLevel} - ownLeaderLevel);
    float threshold = values.relation;
    if (difference > 0.0f)
        threshold += difference * values.changeHigherLevel;
    else if (difference < 0.0f)
        threshold += -difference * values.changeLowerLevel;
    return std::max(threshold, values.minimum);
}
