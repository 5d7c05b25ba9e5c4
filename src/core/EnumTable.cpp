// EnumTable -- a named list of value names (a value is its position) and the process-wide registry of them.
#include "core/EnumTable.h"

#include "core/DebugSystem.h"
#include "core/EngineEnums.h"
#include "core/StringUtil.h"

#include <memory>
#include <mutex>

namespace {

struct Registry {
    std::mutex lock;
    std::vector<std::unique_ptr<EnumTable>> tables;

    Registry() { AddEngineEnumTables(tables); }

    EnumTable* FindLocked(std::string_view tableName)
    {
        for (const auto& table : tables) {
            if (StringEqualsNoCase(table->GetTableName(), tableName))
                return table.get();
        }
        return nullptr;
    }
};

Registry& GetRegistry()
{
    static Registry registry;
    return registry;
}

const std::string kNoName;

} // namespace

EnumTable::EnumTable(std::string_view tableName, int32_t count, int32_t defaultValue)
    : tableName(tableName)
{
    Reset(count, defaultValue);
}

EnumTable::EnumTable(const NameList& list)
    : EnumTable(list.tableName, static_cast<int32_t>(list.names.size()), list.defaultValue)
{
    SetNames(list.names);
}

void EnumTable::Reset(int32_t count, int32_t newDefault)
{
    names.assign(count > 0 ? static_cast<size_t>(count) : 0, std::string());
    defaultValue = newDefault;
}

void EnumTable::SetName(int32_t value, std::string_view name)
{
    if (value >= 0 && value < GetCount())
        names[static_cast<size_t>(value)] = std::string(name);
}

void EnumTable::SetNames(std::span<const char* const> list)
{
    int32_t value = 0;
    for (const char* name : list)
        SetName(value++, name);
}

int32_t EnumTable::IndexOf(std::string_view name) const
{
    if (name.empty())
        return -1;
    for (size_t i = 0; i < names.size(); ++i) {
        if (names[i].size() == name.size() && StringEqualsNoCase(names[i], name))
            return static_cast<int32_t>(i);
    }
    return -1;
}

int32_t EnumTable::Lookup(std::string_view name, bool quiet) const
{
    int32_t value = IndexOf(name);
    if (value >= 0)
        return value;
    if (!quiet && !name.empty())
        DebugSystem::Print(kPrintError, "Unknown %s name %s\n", tableName.c_str(), std::string(name).c_str());
    return defaultValue;
}

const std::string& EnumTable::GetName(int32_t value) const
{
    if (value < 0 || value >= GetCount())
        return kNoName;
    return names[static_cast<size_t>(value)];
}

EnumTable* EnumTable::Register(std::string_view tableName, int32_t count, int32_t defaultValue)
{
    Registry& registry = GetRegistry();
    std::lock_guard<std::mutex> guard(registry.lock);
    if (EnumTable* table = registry.FindLocked(tableName)) {
        table->Reset(count, defaultValue);
        return table;
    }
    registry.tables.push_back(std::make_unique<EnumTable>(tableName, count, defaultValue));
    return registry.tables.back().get();
}

EnumTable* EnumTable::RegisterNames(const NameList& list)
{
    EnumTable* table = Register(list.tableName, static_cast<int32_t>(list.names.size()), list.defaultValue);
    table->SetNames(list.names);
    return table;
}

EnumTable* EnumTable::Find(std::string_view tableName)
{
    Registry& registry = GetRegistry();
    std::lock_guard<std::mutex> guard(registry.lock);
    return registry.FindLocked(tableName);
}

int32_t EnumTable::LookupIn(std::string_view tableName, std::string_view name, bool quiet)
{
    if (const EnumTable* table = Find(tableName))
        return table->Lookup(name, quiet);
    DebugSystem::Print(kPrintError, "Unknown enum table %s\n", std::string(tableName).c_str());
    return 0;
}
