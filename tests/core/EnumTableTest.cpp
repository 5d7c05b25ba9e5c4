// EnumTableTest -- name lookups (case, first match, default, quiet, empty), the registry and the engine's tables.
#include "core/DebugSystem.h"
#include "core/EngineEnums.h"
#include "core/EnumTable.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace {

class EnumLookup : public ::testing::Test {
protected:
    EnumLookup()
    {
        gDebugSystem = &debug;
        debug.SetMaxConsoleLines(1000);
    }

    size_t LogCount() const { return debug.GetConsoleLines().size(); }

    DebugSystem debug;
};

TEST_F(EnumLookup, CaseBlindFirstMatchDefaultAndLog)
{
    EnumTable table("Fruit", 5, 3);
    table.SetName(0, "Apple");
    table.SetName(1, "Pear");
    table.SetName(2, "APPLE");
    table.SetName(7, "Ignored");
    EXPECT_EQ(table.GetCount(), 5);
    EXPECT_EQ(table.Lookup("aPPle"), 0);
    EXPECT_EQ(table.Lookup("PEAR"), 1);
    EXPECT_EQ(LogCount(), 0u);

    EXPECT_EQ(table.Lookup("Plum"), 3);
    EXPECT_EQ(debug.GetConsoleLines().back(), "^c001Unknown Fruit name Plum\n");
    // Unset entries stay empty and match nothing; a prefix is no match.
    EXPECT_EQ(table.Lookup("App"), 3);
    EXPECT_EQ(table.IndexOf("Ignored"), -1);
    EXPECT_EQ(LogCount(), 2u);

    EXPECT_EQ(table.Lookup("Plum", true), 3);
    EXPECT_EQ(table.Lookup(""), 3);
    EXPECT_EQ(table.IndexOf(""), -1);
    EXPECT_EQ(LogCount(), 2u);

    EXPECT_EQ(table.GetName(1), "Pear");
    EXPECT_EQ(table.GetName(4), "");
    EXPECT_EQ(table.GetName(-1), "");
    EXPECT_EQ(table.GetName(5), "");
}

TEST_F(EnumLookup, RegisterRefillsTheSameTable)
{
    EnumTable* generators = EnumTable::Register("TestGenerator", 2, 0);
    generators->SetName(0, "Normal");
    generators->SetName(1, "Cave");
    EXPECT_EQ(EnumTable::LookupIn("testgenerator", "cave"), 1);

    EnumTable* again = EnumTable::Register("TESTGENERATOR", 3, 1);
    EXPECT_EQ(again, generators);
    EXPECT_EQ(again->GetTableName(), "TestGenerator");
    EXPECT_EQ(again->GetName(0), "");
    EXPECT_EQ(again->Lookup("Cave", true), 1);
    EXPECT_EQ(again->GetCount(), 3);

    EXPECT_EQ(EnumTable::Find("NoSuchTable"), nullptr);
    EXPECT_EQ(EnumTable::LookupIn("NoSuchTable", "x"), 0);
    EXPECT_EQ(debug.GetConsoleLines().back(), "^c001Unknown enum table NoSuchTable\n");
}

struct TableShape {
    const char* name;
    int32_t count;
    int32_t defaultValue;
};

TEST_F(EnumLookup, EngineTablesHaveTheirSizesAndDefaults)
{
    const TableShape shapes[] = {
        {"CharacterStat", 116, 115}, {"EquipedLocation", 18, 17}, {"ItemType", 25, 24},
        {"StatusEffectType", 7, 0},  {"StatusType", 2, 0},        {"SimpleEvent", 10, 0},
        {"MonsterRarity", 8, 0},     {"ItemRequirement", 16, 0},  {"DamageType", 6, 0},
        {"SkillType", 9, 1},         {"ModelType", 2, 1},         {"EntityState", 23, 1},
        {"DynamicStat", 26, 0},      {"ColorType", 149, 146},     {"DatabaseEntryType", 32, 0},
        {"CharacterFunStat", 29, 0}, {"InventoryGroupIndex", 27, 0}, {"ItemSlotType", 23, 22},
        {"TimedAction", 8, 0},       {"CovenantStat", 15, 0},     {"CovenantFunStat", 4, 0},
    };
    for (const TableShape& shape : shapes) {
        const EnumTable* table = EnumTable::Find(shape.name);
        ASSERT_NE(table, nullptr) << shape.name;
        EXPECT_EQ(table->GetCount(), shape.count) << shape.name;
        EXPECT_EQ(table->GetDefault(), shape.defaultValue) << shape.name;
        // Every name is set and finds its own position: no gaps, no earlier duplicate.
        for (int32_t value = 0; value < table->GetCount(); ++value)
            EXPECT_EQ(table->IndexOf(table->GetName(value)), value) << shape.name << " " << value;
    }
}

TEST_F(EnumLookup, EngineNamesSitAtTheirValues)
{
    EXPECT_EQ(GetCharacterStatByName("skill1"), CharacterStat::Skill1);
    EXPECT_EQ(CharacterStat::Skill1, 10);
    EXPECT_EQ(GetCharacterStatByName("Skill60"), 69);
    EXPECT_EQ(GetCharacterStatByName("AttackSpeed"), 77);
    EXPECT_EQ(GetCharacterStatByName("Power"), 80);
    EXPECT_EQ(GetCharacterStatByName("SkillPointsLeft"), 94);
    EXPECT_EQ(GetCharacterStatByName("Money"), 96);
    EXPECT_EQ(GetCharacterStatByName("ResistanceMagic"), 102);
    EXPECT_EQ(GetCharacterStatByName("DisarmTrap"), 109);
    EXPECT_EQ(GetCharacterStatByName("Lives"), 113);
    EXPECT_EQ(GetCharacterStatByName("Health"), 115);
    EXPECT_EQ(GetEquipedLocationByName("ring2"), 11);
    EXPECT_EQ(GetItemTypeByName("Drink"), 23);
    EXPECT_EQ(GetItemSlotTypeByName("Powerup"), 21);
    EXPECT_EQ(GetInventoryGroupIndexByName("LootBag8"), 23);
    EXPECT_EQ(GetInventoryGroupIndexByName("Bookshelf"), 25);
    EXPECT_EQ(GetCharacterFunStatByName("DestroyedByMonsters"), 23);
    EXPECT_EQ(GetEntityStateByName("HasEnemies"), 22);
    EXPECT_EQ(GetEntityStateByName("Nothing"), 1);
    EXPECT_EQ(GetSkillTypeByName("Simple"), 8);
    EXPECT_EQ(GetModelTypeByName("2D"), 0);
    EXPECT_EQ(GetModelTypeByName("cube"), 1);
    EXPECT_EQ(GetTimedActionByName("Resurrecting"), 7);
    EXPECT_EQ(GetItemRequirementByName("Cape"), 15);
    EXPECT_EQ(GetStatusEffectTypeByName("Cancel"), 6);
    EXPECT_EQ(GetSimpleEventByName("Attacked"), 9);
    EXPECT_EQ(GetMonsterRarityByName("Boss"), 7);
    EXPECT_EQ(GetDamageTypeByName("Magic"), 5);
    EXPECT_EQ(EnumTable::LookupIn("DatabaseEntryType", "Music"), DatabaseEntryType::Music);
    EXPECT_EQ(DatabaseEntryType::Music, 30);
    EXPECT_EQ(EnumTable::LookupIn("DynamicStat", "ItemPowerGainMult"), 25);
}

TEST_F(EnumLookup, StatNamesAndTheirTokens)
{
    EXPECT_EQ(GetCharacterStatName(CharacterStat::XpDebt, false), "XpDebt");
    EXPECT_EQ(GetCharacterStatName(CharacterStat::Level, true), "$$Level$$");
    EXPECT_EQ(GetDynamicStatName(DynamicStat::CastTime, true), "$$CastTime$$");
    EXPECT_EQ(GetCharacterStatName(116, true), "");
    EXPECT_EQ(GetDynamicStatName(-1, false), "");
}

TEST_F(EnumLookup, DamageTypeKeysJoinTheStemToEachTypeAndNothingOutside)
{
    const DamageTypeKeys keys("DamagePercent");
    for (int32_t type = 0; type < DamageType::kCount; ++type)
        EXPECT_EQ(keys[type], "DamagePercent" + GetDamageTypeName(type));
    EXPECT_EQ(keys[DamageType::Physical], "DamagePercentPhysical");
    EXPECT_NE(keys[1], keys[2]);
    EXPECT_EQ(keys[-1], "");
    EXPECT_EQ(keys[DamageType::kCount], "");
}

} // namespace
