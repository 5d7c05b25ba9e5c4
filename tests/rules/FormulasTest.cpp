// FormulasTest -- each rules formula at its edges, the money text, and the guards against data that would divide by 0.
#include "core/TimeStamp.h"
#include "rules/Formulas.h"
#include "rules/RulesWorld.h"

#include <gtest/gtest.h>

namespace {

TEST(FormatMoney, PartsColoursAndSpacing)
{
    EXPECT_EQ(FormatMoney(1234567), "^c061123$$GP$$ ^c145^c12845$$SP$$ ^c145^c02667$$CP$$^c145");
    // A gold piece shows the silver part even at 0; with neither only copper shows.
    EXPECT_EQ(FormatMoney(10005), "^c0611$$GP$$ ^c145^c1280$$SP$$ ^c145^c0265$$CP$$^c145");
    EXPECT_EQ(FormatMoney(100), "^c1281$$SP$$ ^c145^c0260$$CP$$^c145");
    EXPECT_EQ(FormatMoney(99), "^c02699$$CP$$^c145");
    EXPECT_EQ(FormatMoney(0), "^c0260$$CP$$^c145");
    EXPECT_EQ(FormatMoney(-250), "^c0260$$CP$$^c145");
    EXPECT_EQ(FormatMoney(INT32_MAX), "^c061214748$$GP$$ ^c145^c12836$$SP$$ ^c145^c02647$$CP$$^c145");
}

TEST(LevelDifferenceFactor, HitChanceEdges)
{
    // Level 0 against level 0 would be 0 / 0: no defense is a sure hit.
    EXPECT_FLOAT_EQ(LevelDifferenceFactor(0, 0), 1.0f);
    EXPECT_FLOAT_EQ(LevelDifferenceFactor(5, -3), 1.0f);
    EXPECT_FLOAT_EQ(LevelDifferenceFactor(0, 10), 0.0f);
    EXPECT_FLOAT_EQ(LevelDifferenceFactor(10, 15), 0.5f);       // A = 15: 1 - 0.5 x 15 / 15
    EXPECT_FLOAT_EQ(LevelDifferenceFactor(9, 15), 0.4333333f);  // A = 13 (13.5 truncated) < 15
    EXPECT_FLOAT_EQ(LevelDifferenceFactor(20, 10), 1.0f - 0.5f * 10.0f / 30.0f);
    EXPECT_FLOAT_EQ(LevelDifferenceFactor(-7, 10), 0.0f);
    EXPECT_NEAR(LevelDifferenceFactor(INT32_MAX, 1), 1.0f, 1e-6f);
}

class FormulaWorld : public RulesWorld {
protected:
    void SetUp() override
    {
        LoadGameSystem("XpMultPerLevelAbove 1.1\n XpMultPerLevelBelow 0.5\n MaxLevel 5\n"
                       "BaseXpNeededEachLevel 100\n XpFactorLevel2 2\n"
                       "MinMoneyPerLevel 5\n MaxMoneyPerLevel 15\n MoneyChance 40\n"
                       "ResistanceAbsorbMultiplier 0.5\n ResistanceMinAbsorbPercent 0.25\n"
                       "TypicalDamageBase 6\n TypicalDamagePerLevel 2\n MoneyPerSkillPoint 2.5\n"
                       "MinSellPercent 0.2\n MaxSellPercent 0.4\n MinSellPercentPrice 1000\n"
                       "SellFractionStart 0.3\n SellFractionEnd 0.1\n SellFractionLevels 50\n"
                       "TaxPeriod 600\n TradeRouteSmallStart -40\n TradeRouteSmallMaxPercent 0.1\n"
                       "TradeRouteSmallIncreasePerHour 20\n TradeRouteTinyStart 5\n TradeRouteTinyIncreasePerHour 10\n"
                       "TradeRouteHugeStart -300\n HardGoalEachLevel 1.5\n EasyGoalEachLevel 0.5");
    }
};

TEST_F(FormulaWorld, ExperienceFactorsAndLevels)
{
    EXPECT_FLOAT_EQ(LevelDifferenceXpFactor(Tuning(), 7, 7), 1.0f);
    EXPECT_FLOAT_EQ(LevelDifferenceXpFactor(Tuning(), 12, 10), 1.21f);
    EXPECT_FLOAT_EQ(LevelDifferenceXpFactor(Tuning(), 10, 13), 0.125f);
    // Levels billions apart neither overflow nor loop: clamped to the cap, or near 0.
    EXPECT_FLOAT_EQ(LevelDifferenceXpFactor(Tuning(), INT32_MAX, INT32_MIN), kMaxLevelDifferenceXpFactor);
    EXPECT_FLOAT_EQ(LevelDifferenceXpFactor(Tuning(), INT32_MIN, INT32_MAX), 0.0f);

    // Steps 100, 200, 400, 800, 1600: thresholds 100, 300, 700, 1500.
    EXPECT_EQ(GetLevelForAmount(Tuning(), 100), 1);
    EXPECT_EQ(GetLevelForAmount(Tuning(), 101), 2);
    EXPECT_EQ(GetLevelForAmount(Tuning(), 700), 3);
    EXPECT_EQ(GetLevelForAmount(Tuning(), 701), 4);
    EXPECT_EQ(GetLevelForAmount(Tuning(), INT32_MAX), 5);
    EXPECT_EQ(GetLevelForAmount(Tuning(), -5), 1);
}

TEST_F(FormulaWorld, MoneyTrapsResistanceAndPrices)
{
    EXPECT_FLOAT_EQ(gameData.GetMonsterMoney(10), 40.0f);
    EXPECT_FLOAT_EQ(gameData.GetMonsterMoney(0), 0.0f);
    EXPECT_FLOAT_EQ(GameData::GetDisarmTrapChance(12, 10), 0.6f);
    EXPECT_FLOAT_EQ(GameData::GetDisarmTrapChance(0, 10), 0.0f);
    EXPECT_FLOAT_EQ(GameData::GetDisarmTrapChance(INT32_MAX, INT32_MIN), 1.0f);

    // Typical damage at level 3 is 10; resistance 8 absorbs 0.5 x 8 x 1.25 x 0.5 = 2.5.
    EXPECT_FLOAT_EQ(ResistanceAbsorbFraction(Tuning(), 8, 3), 0.25f);
    EXPECT_FLOAT_EQ(ResistanceAbsorbFraction(Tuning(), 100, 3), 1.0f);
    EXPECT_FLOAT_EQ(ResistanceAbsorbFraction(Tuning(), -8, 3), 0.0f);
    EXPECT_FLOAT_EQ(ResistanceAbsorbFraction(Tuning(), 8, -2), 1.0f);  // typical damage 0

    EXPECT_EQ(GetSkillPointMoney(Tuning(), 3), 7);
    EXPECT_FLOAT_EQ(GetSellPercent(Tuning(), 1000), 0.2f);
    EXPECT_FLOAT_EQ(GetSellPercent(Tuning(), 0), 0.4f);
    EXPECT_FLOAT_EQ(GetSellPercent(Tuning(), 250), 0.35f);
    EXPECT_FLOAT_EQ(LerpByLevel(Tuning(), 0), 0.3f);
    EXPECT_FLOAT_EQ(LerpByLevel(Tuning(), 25), 0.2f);
    EXPECT_FLOAT_EQ(LerpByLevel(Tuning(), 500), 0.1f);
    EXPECT_FLOAT_EQ(LerpByLevel(Tuning(), -5), 0.3f);
}

TEST_F(FormulaWorld, TradeRoutesAndCovenantThresholds)
{
    TimeStamp twoHours{0, 2, 0, 0.0f};
    EXPECT_EQ(GetTradeRouteIncome(Tuning(), TradeRouteType::Small, TimeStamp{}, 1000), -40);
    EXPECT_EQ(GetTradeRouteIncome(Tuning(), TradeRouteType::Small, twoHours, 1000), 0);
    EXPECT_EQ(GetTradeRouteIncome(Tuning(), TradeRouteType::Small, TimeStamp{1, 0, 0, 0.0f}, 1000), 100);
    EXPECT_EQ(GetTradeRouteIncome(Tuning(), 6, twoHours, 1000), 0);
    EXPECT_EQ(CountLogged("^c001Trade route kind 6 outside 0..5\n"), 1);

    // S = 40: ceil(0.5 x 40 x 2 x 6) = 240 crystals lost before the route pays.
    EXPECT_EQ(GetTradeRouteStartingLoss(Tuning(), TradeRouteType::Small), 240);
    // Start 5 follows the same formula: ceil(0.5 x -5 x -0.5 x 6) = 8.
    EXPECT_EQ(GetTradeRouteStartingLoss(Tuning(), TradeRouteType::Tiny), 8);
    EXPECT_EQ(GetTradeRouteStartingLoss(Tuning(), TradeRouteType::Huge), 0);  // no increase per hour
    LoadGameSystem("TradeRouteSmallStart -40\n TradeRouteSmallIncreasePerHour 20\n TaxPeriod 0\n"
                   "TradeRouteTinyStart 0\n TradeRouteTinyIncreasePerHour 10");
    EXPECT_EQ(GetTradeRouteStartingLoss(Tuning(), TradeRouteType::Small), 0);
    LoadGameSystem("TradeRouteTinyStart 0\n TradeRouteTinyIncreasePerHour 10\n TaxPeriod 600");
    EXPECT_EQ(GetTradeRouteStartingLoss(Tuning(), TradeRouteType::Tiny), 0);
}

TEST_F(FormulaWorld, InfluenceComparisonAndAdventureThreshold)
{
    EXPECT_EQ(GetMinComparisonInfluence(Tuning(), 1, 3), 300);
    EXPECT_EQ(GetMinComparisonInfluence(Tuning(), 3, 3), 675);  // 1.5 x 1.5
    EXPECT_EQ(GetMinComparisonInfluence(Tuning(), -1, 4), 100);  // 0.5 x 0.5
    EXPECT_EQ(GetMinComparisonInfluence(Tuning(), INT32_MAX, 1), INT32_MAX);
    EXPECT_EQ(GetMinComparisonInfluence(Tuning(), INT32_MIN, 1), 0);

    AdventureThresholdValues values{50.0f, 2.0f, 3.0f, 40.0f};
    EXPECT_FLOAT_EQ(GetAdventureThreshold(values, 10, 10), 50.0f);
    EXPECT_FLOAT_EQ(GetAdventureThreshold(values, 14, 10), 58.0f);
    EXPECT_FLOAT_EQ(GetAdventureThreshold(values, 10, 12), 56.0f);
    values.changeLowerLevel = -6.0f;
    EXPECT_FLOAT_EQ(GetAdventureThreshold(values, 10, 12), 40.0f);
}

} // namespace
