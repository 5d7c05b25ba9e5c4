// EngineEnums -- the engine's enumerations: value names in order, their tables, by-name lookups and stat names.
#include "core/EngineEnums.h"

#include "core/ColorSystem.h"
#include "core/LocSystem.h"

namespace {

#define EMBERLODE_ENUM_TEXT(name) #name,
#define EMBERLODE_NAMES(Table, LIST) constexpr const char* k##Table##Names[] = {LIST(EMBERLODE_ENUM_TEXT)};

EMBERLODE_NAMES(CharacterStat, EMBERLODE_CHARACTER_STAT)
EMBERLODE_NAMES(DynamicStat, EMBERLODE_DYNAMIC_STAT)
EMBERLODE_NAMES(CharacterFunStat, EMBERLODE_CHARACTER_FUN_STAT)
EMBERLODE_NAMES(CovenantStat, EMBERLODE_COVENANT_STAT)
EMBERLODE_NAMES(CovenantFunStat, EMBERLODE_COVENANT_FUN_STAT)
EMBERLODE_NAMES(EquipedLocation, EMBERLODE_EQUIPED_LOCATION)
EMBERLODE_NAMES(ItemType, EMBERLODE_ITEM_TYPE)
EMBERLODE_NAMES(ItemSlotType, EMBERLODE_ITEM_SLOT_TYPE)
EMBERLODE_NAMES(InventoryGroupIndex, EMBERLODE_INVENTORY_GROUP_INDEX)
EMBERLODE_NAMES(StatusEffectType, EMBERLODE_STATUS_EFFECT_TYPE)
EMBERLODE_NAMES(StatusType, EMBERLODE_STATUS_TYPE)
EMBERLODE_NAMES(SimpleEvent, EMBERLODE_SIMPLE_EVENT)
EMBERLODE_NAMES(MonsterRarity, EMBERLODE_MONSTER_RARITY)
EMBERLODE_NAMES(ItemRarity, EMBERLODE_ITEM_RARITY)
EMBERLODE_NAMES(ItemRequirement, EMBERLODE_ITEM_REQUIREMENT)
EMBERLODE_NAMES(DamageType, EMBERLODE_DAMAGE_TYPE)
EMBERLODE_NAMES(SkillType, EMBERLODE_SKILL_TYPE)
EMBERLODE_NAMES(EntityState, EMBERLODE_ENTITY_STATE)
EMBERLODE_NAMES(TimedAction, EMBERLODE_TIMED_ACTION)
EMBERLODE_NAMES(DatabaseEntryType, EMBERLODE_DATABASE_ENTRY_TYPE)
EMBERLODE_NAMES(StatType, EMBERLODE_STAT_TYPE)
EMBERLODE_NAMES(StatOtherIndex, EMBERLODE_STAT_OTHER_INDEX)
EMBERLODE_NAMES(StatConversionType, EMBERLODE_STAT_CONVERSION_TYPE)
EMBERLODE_NAMES(ObjectType, EMBERLODE_OBJECT_TYPE)
EMBERLODE_NAMES(DifficultyLevel, EMBERLODE_DIFFICULTY_LEVEL)
EMBERLODE_NAMES(WorldDifficultyLevel, EMBERLODE_WORLD_DIFFICULTY_LEVEL)
constexpr const char* kModelTypeNames[] = {"2d", "3d"};

#define EMBERLODE_TABLE(Table) EnumTable::NameList{#Table, Table::kDefault, k##Table##Names}

constexpr EnumTable::NameList kTables[] = {
    EMBERLODE_TABLE(CharacterStat),
    EMBERLODE_TABLE(DynamicStat),
    EMBERLODE_TABLE(CharacterFunStat),
    EMBERLODE_TABLE(CovenantStat),
    EMBERLODE_TABLE(CovenantFunStat),
    EMBERLODE_TABLE(EquipedLocation),
    EMBERLODE_TABLE(ItemType),
    EMBERLODE_TABLE(ItemSlotType),
    EMBERLODE_TABLE(InventoryGroupIndex),
    EMBERLODE_TABLE(StatusEffectType),
    EMBERLODE_TABLE(StatusType),
    EMBERLODE_TABLE(SimpleEvent),
    EMBERLODE_TABLE(MonsterRarity),
    EMBERLODE_TABLE(ItemRarity),
    EMBERLODE_TABLE(ItemRequirement),
    EMBERLODE_TABLE(DamageType),
    EMBERLODE_TABLE(SkillType),
    EMBERLODE_TABLE(EntityState),
    EMBERLODE_TABLE(TimedAction),
    EMBERLODE_TABLE(DatabaseEntryType),
    EMBERLODE_TABLE(StatType),
    EMBERLODE_TABLE(StatOtherIndex),
    EMBERLODE_TABLE(StatConversionType),
    EMBERLODE_TABLE(ObjectType),
    EMBERLODE_TABLE(DifficultyLevel),
    EMBERLODE_TABLE(WorldDifficultyLevel),
    EMBERLODE_TABLE(ModelType),
};

#undef EMBERLODE_TABLE
#undef EMBERLODE_NAMES
#undef EMBERLODE_ENUM_TEXT

std::unique_ptr<EnumTable> MakeColorTypeTable()
{
    auto table = std::make_unique<EnumTable>("ColorType", ColorType::kCount, ColorType::kDefault);
    for (int32_t i = 0; i < ColorType::kCount; ++i)
        table->SetName(i, ColorSystem::GetColorName(i));
    return table;
}

std::string NameOrToken(const EnumTable* table, int32_t value, bool asToken)
{
    std::string name = table->GetName(value);
    if (!asToken || name.empty())
        return name;
    return MakeLocToken(name, nullptr);
}

} // namespace

// Tables keep their address for the whole process, so each lookup finds its table once.
#define EMBERLODE_LOOKUP(Function, tableName)                       \
    int32_t Function(std::string_view name)                         \
    {                                                               \
        static const EnumTable* table = EnumTable::Find(tableName); \
        return table->Lookup(name);                                 \
    }

void AddEngineEnumTables(std::vector<std::unique_ptr<EnumTable>>& tables)
{
    for (const EnumTable::NameList& list : kTables)
        tables.push_back(std::make_unique<EnumTable>(list));
    tables.push_back(MakeColorTypeTable());
}

EMBERLODE_LOOKUP(GetCharacterStatByName, "CharacterStat")
EMBERLODE_LOOKUP(GetCharacterFunStatByName, "CharacterFunStat")
EMBERLODE_LOOKUP(GetEquipedLocationByName, "EquipedLocation")
EMBERLODE_LOOKUP(GetItemTypeByName, "ItemType")
EMBERLODE_LOOKUP(GetItemSlotTypeByName, "ItemSlotType")
EMBERLODE_LOOKUP(GetInventoryGroupIndexByName, "InventoryGroupIndex")
EMBERLODE_LOOKUP(GetStatusEffectTypeByName, "StatusEffectType")
EMBERLODE_LOOKUP(GetStatusTypeByName, "StatusType")
EMBERLODE_LOOKUP(GetSimpleEventByName, "SimpleEvent")
EMBERLODE_LOOKUP(GetMonsterRarityByName, "MonsterRarity")
EMBERLODE_LOOKUP(GetItemRequirementByName, "ItemRequirement")
EMBERLODE_LOOKUP(GetDamageTypeByName, "DamageType")
EMBERLODE_LOOKUP(GetSkillTypeByName, "SkillType")
EMBERLODE_LOOKUP(GetModelTypeByName, "ModelType")
EMBERLODE_LOOKUP(GetEntityStateByName, "EntityState")
EMBERLODE_LOOKUP(GetTimedActionByName, "TimedAction")
EMBERLODE_LOOKUP(GetDifficultyLevelByName, "DifficultyLevel")
EMBERLODE_LOOKUP(GetWorldDifficultyLevelByName, "WorldDifficultyLevel")

std::string GetCharacterStatName(int32_t value, bool asToken)
{
    static const EnumTable* table = EnumTable::Find("CharacterStat");
    return NameOrToken(table, value, asToken);
}

std::string GetDynamicStatName(int32_t value, bool asToken)
{
    static const EnumTable* table = EnumTable::Find("DynamicStat");
    return NameOrToken(table, value, asToken);
}

std::string GetDamageTypeName(int32_t value)
{
    static const EnumTable* table = EnumTable::Find("DamageType");
    return table->GetName(value);
}

DamageTypeKeys::DamageTypeKeys(std::string_view stem)
{
    for (int32_t type = 0; type < DamageType::kCount; ++type)
        keys[static_cast<size_t>(type)] = std::string(stem) + GetDamageTypeName(type);
}

const std::string& DamageTypeKeys::operator[](int32_t type) const
{
    static const std::string kNone;
    return type < 0 || type >= DamageType::kCount ? kNone : keys[static_cast<size_t>(type)];
}

std::string GetEntityStateName(int32_t value)
{
    static const EnumTable* table = EnumTable::Find("EntityState");
    return table->GetName(value);
}
