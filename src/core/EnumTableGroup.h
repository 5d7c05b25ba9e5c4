// EnumTableGroup -- one module's enum tables, registered together the first time any of them is wanted.
#pragma once

#include "core/EnumTable.h"

#include <mutex>
#include <span>
#include <string_view>

class EnumTableGroup {
public:
    explicit EnumTableGroup(std::span<const EnumTable::NameList> lists) : lists(lists) {}

    // Registers every table of the group once, however many threads ask first.
    void Register() const;
    // The group's table of that name, registering the group first.
    const EnumTable* Find(std::string_view tableName) const;

private:
    std::span<const EnumTable::NameList> lists;
    mutable std::once_flag registered;
};

// Defines int32_t Function(std::string_view name): the name's value in the group's table of that
// name, the table looked up once.
#define EMBERLODE_ENUM_LOOKUP(Function, group, tableName)                  \
    int32_t Function(std::string_view name)                                \
    {                                                                      \
        static const EnumTable* table = (group).Find(tableName);           \
        return table->Lookup(name);                                        \
    }
