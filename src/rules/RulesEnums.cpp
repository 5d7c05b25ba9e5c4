// RulesEnums -- the game rules' enumerations: value names in order, their registered tables and by-name lookups.
#include "rules/RulesEnums.h"

#include "core/EnumTableGroup.h"

namespace {

#define EMBERLODE_ENUM_TEXT(name) #name,
#define EMBERLODE_NAMES(Table, LIST) constexpr const char* k##Table##Names[] = {LIST(EMBERLODE_ENUM_TEXT)};

EMBERLODE_NAMES(QuestType, EMBERLODE_QUEST_TYPE)
EMBERLODE_NAMES(NpcType, EMBERLODE_NPC_TYPE)
EMBERLODE_NAMES(ChatDialogType, EMBERLODE_CHAT_DIALOG_TYPE)
EMBERLODE_NAMES(InWayAlphaType, EMBERLODE_IN_WAY_ALPHA_TYPE)
EMBERLODE_NAMES(Direction, EMBERLODE_DIRECTION)
EMBERLODE_NAMES(SolidType, EMBERLODE_SOLID_TYPE)
EMBERLODE_NAMES(AttackSoundType, EMBERLODE_ATTACK_SOUND_TYPE)
EMBERLODE_NAMES(CovenantTreaty, EMBERLODE_COVENANT_TREATY)
EMBERLODE_NAMES(TradeRouteType, EMBERLODE_TRADE_ROUTE_TYPE)
EMBERLODE_NAMES(RumorLevel, EMBERLODE_RUMOR_LEVEL)
EMBERLODE_NAMES(ValueEachPoint, EMBERLODE_VALUE_EACH_POINT)
constexpr const char* kDefenceResultNames[] = {"Miss", "Block", "Parry", "Deflection", "Dodge", ""};
constexpr const char* kCompareFunctionNames[] = {">", ">=", "=", "<", "<="};

#define EMBERLODE_TABLE(Table) EnumTable::NameList{#Table, Table::kDefault, k##Table##Names}

constexpr EnumTable::NameList kTables[] = {
    EMBERLODE_TABLE(QuestType),      EMBERLODE_TABLE(NpcType),         EMBERLODE_TABLE(ChatDialogType),
    EMBERLODE_TABLE(InWayAlphaType), EMBERLODE_TABLE(Direction),       EMBERLODE_TABLE(SolidType),
    EMBERLODE_TABLE(AttackSoundType), EMBERLODE_TABLE(DefenceResult),  EMBERLODE_TABLE(CovenantTreaty),
    EMBERLODE_TABLE(TradeRouteType), EMBERLODE_TABLE(RumorLevel),      EMBERLODE_TABLE(CompareFunction),
    EMBERLODE_TABLE(ValueEachPoint),
};

#undef EMBERLODE_TABLE
#undef EMBERLODE_NAMES
#undef EMBERLODE_ENUM_TEXT

const EnumTableGroup& Tables()
{
    static const EnumTableGroup group(kTables);
    return group;
}

const EnumTable* Table(const char* tableName)
{
    return Tables().Find(tableName);
}

} // namespace

#define EMBERLODE_LOOKUP(Function, tableName)                  \
    int32_t Function(std::string_view name)                    \
    {                                                          \
        static const EnumTable* table = Table(tableName);      \
        return table->Lookup(name);                            \
    }

void RegisterRulesEnumTables()
{
    Tables().Register();
}

EMBERLODE_LOOKUP(GetQuestTypeByName, "QuestType")
EMBERLODE_LOOKUP(GetNpcTypeByName, "NpcType")
EMBERLODE_LOOKUP(GetChatDialogTypeByName, "ChatDialogType")
EMBERLODE_LOOKUP(GetInWayAlphaTypeByName, "InWayAlphaType")
EMBERLODE_LOOKUP(GetDirectionByName, "Direction")
EMBERLODE_LOOKUP(GetSolidTypeByName, "SolidType")
EMBERLODE_LOOKUP(GetAttackSoundTypeByName, "AttackSoundType")
EMBERLODE_LOOKUP(GetDefenceResultByName, "DefenceResult")
EMBERLODE_LOOKUP(GetCovenantTreatyByName, "CovenantTreaty")
EMBERLODE_LOOKUP(GetTradeRouteTypeByName, "TradeRouteType")
EMBERLODE_LOOKUP(GetRumorLevelByName, "RumorLevel")
EMBERLODE_LOOKUP(GetCompareFunctionByName, "CompareFunction")

std::string GetNameByIndex(int32_t value)
{
    static const EnumTable* table = Table("NpcType");
    return table->GetName(value);
}
