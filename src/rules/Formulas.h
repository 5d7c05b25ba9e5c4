// Formulas -- the game-wide rules arithmetic that needs no record class: experience, hit chance, money, prices, trade routes.
#pragma once

#include <cstdint>
#include <string>

class IntArray;
struct GameSystemTuning;
struct TimeStamp;

// Colour-table entries of the money parts.
constexpr int32_t kGoldColor = 61;
constexpr int32_t kSilverColor = 128;
constexpr int32_t kCopperColor = 26;
constexpr int32_t kNormalTextColor = 145;
// The level-difference experience factor never grows past this, however far apart the levels are.
constexpr float kMaxLevelDifferenceXpFactor = 1000.0f;

// An amount in copper as "^c061<g>$$GP$$ ^c145^c128<s>$$SP$$ ^c145^c026<c>$$CP$$^c145": the
// gold part only with a gold piece, the silver part with a gold or a silver piece; an amount of
// 0 or less is "0$$CP$$" alone.
std::string FormatMoney(int32_t copper);

// Damage per second of a stat list: (MinDamage + MaxDamage) / (2 x AttackSpeed / 1000); 0 when
// either damage stat is below 1 or the attack speed (milliseconds per attack) is not above 0.
float GetDamagePerSecond(const IntArray& stats);

// A level read from a save or a datagram, taken into 0..the game's "MaxLevel" (kLevelLimit
// before the game data is loaded), so that no per-level product can run away.
int32_t ClampLevel(int32_t level);
// base + perLevel x steps, worked in 64 bits and kept within the int32 range: a record's
// per-level value times a level can exceed 32 bits.
int32_t AddPerLevel(int32_t base, int32_t perLevel, int32_t steps);

// The points a level needs, the level taken into 1..MaxLevel.
int32_t XpNeededForLevel(const GameSystemTuning& tuning, int32_t level);
// The level an amount reaches on the experience curve: 1 up to the first level's points, one
// more for each further level's points the amount exceeds, at most MaxLevel.
int32_t GetLevelForAmount(const GameSystemTuning& tuning, int32_t amount);
// Experience for a source level a given to a receiver of level b: 1 at equal levels, else the
// above (below) factor raised to the difference, kept within 0..kMaxLevelDifferenceXpFactor.
float LevelDifferenceXpFactor(const GameSystemTuning& tuning, int32_t a, int32_t b);
// Hit chance: with A = trunc(attack x 1.5), 1 - 0.5 x defense / A when A >= defense, else
// 0.5 x A / defense; 1 when the defense is 0 or less, and never outside 0..1.
float LevelDifferenceFactor(int32_t attack, int32_t defense);

// The share of a typical hit at the level that a resistance absorbs on average, 0..1; 1 when
// the typical damage is 0 or less.
float ResistanceAbsorbFraction(const GameSystemTuning& tuning, int32_t resistance, int32_t level);
// floor(money per skill point x points).
int32_t GetSkillPointMoney(const GameSystemTuning& tuning, int32_t points);

// The vendor's sell percentage for an item value: "MinSellPercent" from "MinSellPercentPrice"
// on, rising linearly to "MaxSellPercent" at value 0.
float GetSellPercent(const GameSystemTuning& tuning, int32_t value);
// The sell fraction at an item level, from its start value at level 0 to its end value at the
// level count and beyond (the end value when the count is 0 or less).
float LerpByLevel(const GameSystemTuning& tuning, int32_t level);

// A trade route's income after the elapsed time, capped at its maximum share of the base;
// 0 for a kind outside the table.
int32_t GetTradeRouteIncome(const GameSystemTuning& tuning, int32_t kind, const TimeStamp& elapsed, int32_t base);
// The crystals a route loses over the pay steps until its income reaches 0: with S = -"Start",
// ceil(0.5 x S x (S / "IncreasePerHour") x (3600 / "TaxPeriod")) for every start, a start
// of 0 or above included; 0 when "IncreasePerHour" or "TaxPeriod" is 0 or less.
int32_t GetTradeRouteStartingLoss(const GameSystemTuning& tuning, int32_t kind);

// floor(100 x f x numKills), f = "HardGoalEachLevel" multiplied level - 1 times above level 1,
// "EasyGoalEachLevel" multiplied 1 - level times below it (at most kLevelLimit times).
int32_t GetMinComparisonInfluence(const GameSystemTuning& tuning, int32_t level, int32_t numKills);

// A covenant definition's relation needed before it adventures with another covenant.
struct AdventureThresholdValues {
    float relation = 0.0f;           // "RelationForAdventure"
    float changeHigherLevel = 0.0f;  // "RelationForAdventureChangeHigherLevel"
    float changeLowerLevel = 0.0f;   // "RelationForAdventureChangeLowerLevel"
    float minimum = 0.0f;            // "RelationForAdventureMin"
};
// The relation plus the level difference times the step of its direction, at least the minimum.
float GetAdventureThreshold(const AdventureThresholdValues& values, int32_t otherLeaderLevel, int32_t ownLeaderLevel);
