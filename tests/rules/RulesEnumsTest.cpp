// RulesEnumsTest -- the rules' name tables: sizes, defaults, fixed positions, unknown names and the NpcType name by index.
#include "core/DebugSystem.h"
#include "core/EnumTable.h"
#include "rules/GameData.h"
#include "rules/RulesEnums.h"

#include <gtest/gtest.h>

namespace {

class RulesEnumLookup : public ::testing::Test {
protected:
    RulesEnumLookup()
    {
        gDebugSystem = &debug;
        debug.SetMaxConsoleLines(1000);
    }

    size_t Logged() const { return debug.GetConsoleLines().size(); }

    DebugSystem debug;
};

TEST_F(RulesEnumLookup, TablesHaveTheirSizesDefaultsAndDistinctNames)
{
    GameData gameData;  // registers the tables
    struct Shape {
        const char* name;
        int32_t count;
        int32_t defaultValue;
    };
    const Shape shapes[] = {
        {"QuestType", 68, 0},       {"NpcType", 13, 0},        {"ChatDialogType", 28, 0},
        {"InWayAlphaType", 5, 0},   {"Direction", 8, 0},       {"SolidType", 3, 0},
        {"AttackSoundType", 8, 0},  {"DefenceResult", 6, 0},   {"CovenantTreaty", 11, 0},
        {"TradeRouteType", 6, 0},   {"RumorLevel", 3, 0},      {"CompareFunction", 5, 5},
        {"WorldDifficultyLevel", 5, 1},
    };
    for (const Shape& shape : shapes) {
        const EnumTable* table = EnumTable::Find(shape.name);
        ASSERT_NE(table, nullptr) << shape.name;
        EXPECT_EQ(table->GetCount(), shape.count) << shape.name;
        EXPECT_EQ(table->GetDefault(), shape.defaultValue) << shape.name;
        for (int32_t value = 0; value < table->GetCount(); ++value) {
            const std::string& name = table->GetName(value);
            if (!name.empty()) {
                EXPECT_EQ(table->IndexOf(name), value) << shape.name << " " << name;
            }
        }
    }
}

TEST_F(RulesEnumLookup, SavedNumbersStayWhereTheyAre)
{
    EXPECT_EQ(GetQuestTypeByName("Plague"), 33);
    EXPECT_EQ(GetQuestTypeByName("kidnapping"), 44);
    EXPECT_EQ(GetQuestTypeByName("Trigger"), 67);
    EXPECT_EQ(GetNpcTypeByName("VendorWandering"), 12);
    EXPECT_EQ(GetChatDialogTypeByName("PlayerDefendedRaid"), 27);
    EXPECT_EQ(GetInWayAlphaTypeByName("Below"), 4);
    EXPECT_EQ(GetDirectionByName("NorthWest"), 7);
    EXPECT_EQ(GetAttackSoundTypeByName("NormalMiss"), 7);
    EXPECT_EQ(GetDefenceResultByName("Dodge"), 4);
    EXPECT_EQ(GetCovenantTreatyByName("Alliance"), 6);
    EXPECT_EQ(GetCovenantTreatyByName("BreakTradeRoute"), 10);
    EXPECT_EQ(GetTradeRouteTypeByName("Huge"), 5);
    EXPECT_EQ(GetRumorLevelByName("WellCrafted"), 2);
    EXPECT_EQ(GetCompareFunctionByName(">="), 1);
    EXPECT_EQ(GetCompareFunctionByName("<="), 4);
    EXPECT_EQ(GetWorldDifficultyLevelByName("Champion"), 2);
    EXPECT_EQ(GetWorldDifficultyLevelByName("Legendary"), 4);
    EXPECT_EQ(Logged(), 0u);
}

TEST_F(RulesEnumLookup, UnknownNamesGiveTheDefaultAndAreLogged)
{
    EXPECT_EQ(GetQuestTypeByName("Picnic"), 0);
    EXPECT_EQ(GetCompareFunctionByName("=="), 5);
    EXPECT_EQ(GetDirectionByName("Up"), 0);
    EXPECT_EQ(Logged(), 3u);
    EXPECT_EQ(debug.GetConsoleLines().front(), "^c001Unknown QuestType name Picnic\n");
    // Empty names match nothing, the empty sixth defence result included, and are not logged.
    EXPECT_EQ(GetSolidTypeByName(""), 0);
    EXPECT_EQ(GetDefenceResultByName(""), 0);
    EXPECT_EQ(Logged(), 3u);
}

TEST_F(RulesEnumLookup, NpcTypeNameByIndex)
{
    EXPECT_EQ(GetNameByIndex(0), "None");
    EXPECT_EQ(GetNameByIndex(11), "Tutor");
    EXPECT_EQ(GetNameByIndex(12), "VendorWandering");
    EXPECT_EQ(GetNameByIndex(13), "");
    EXPECT_EQ(GetNameByIndex(-1), "");
}

} // namespace
