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

} // namespace

void RegisterRulesEnumTables()
{
    Tables().Register();
}

EMBERLODE_ENUM_LOOKUP(GetQuestTypeByName, Tables(), "QuestType")
EMBERLODE_ENUM_LOOKUP(GetNpcTypeByName, Tables(), "NpcType")
EMBERLODE_ENUM_LOOKUP(GetChatDialogTypeByName, Tables(), "ChatDialogType")
EMBERLODE_ENUM_LOOKUP(GetInWayAlphaTypeByName, Tables(), "InWayAlphaType")
EMBERLODE_ENUM_LOOKUP(GetDirectionByName, Tables(), "Direction")
EMBERLODE_ENUM_LOOKUP(GetSolidTypeByName, Tables(), "SolidType")
EMBERLODE_ENUM_LOOKUP(GetAttackSoundTypeByName, Tables(), "AttackSoundType")
EMBERLODE_ENUM_LOOKUP(GetDefenceResultByName, Tables(), "DefenceResult")
EMBERLODE_ENUM_LOOKUP(GetCovenantTreatyByName, Tables(), "CovenantTreaty")
EMBERLODE_ENUM_LOOKUP(GetTradeRouteTypeByName, Tables(), "TradeRouteType")
EMBERLODE_ENUM_LOOKUP(GetRumorLevelByName, Tables(), "RumorLevel")
EMBERLODE_ENUM_LOOKUP(GetCompareFunctionByName, Tables(), "CompareFunction")

std::string GetNameByIndex(int32_t value)
{
    static const EnumTable* table = Tables().Find("NpcType");
    return table->GetName(value);
}
