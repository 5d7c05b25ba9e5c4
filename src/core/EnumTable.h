// EnumTable -- a named list of value names (a value is its position) and the process-wide registry of them.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// Data names enumeration values by text; a table turns the text back into the value.
// Tables live for the whole process: a pointer from Register or Find stays valid, and
// registering a name again refills that same table rather than making a new one.
class EnumTable {
public:
    // One table's value names in value order, with the table's name and default.
    struct NameList {
        const char* tableName;
        int32_t defaultValue;
        std::span<const char* const> names;
    };

    EnumTable(std::string_view tableName, int32_t count, int32_t defaultValue);
    // Sized to the list, value i named names[i].
    explicit EnumTable(const NameList& list);

    // Empties the table and gives it a new size and default, keeping its name.
    void Reset(int32_t count, int32_t defaultValue);
    // A value outside the table is ignored; an entry never set stays empty and never matches.
    void SetName(int32_t value, std::string_view name);

    // The position of the first name equal to name without regard to ASCII case; -1 when
    // none is, or when name is empty. Never logs.
    int32_t IndexOf(std::string_view name) const;
    // As IndexOf, but a miss gives the default, and a miss on a non-empty name logs
    // "Unknown %s name %s\n" at level 3 unless quiet.
    int32_t Lookup(std::string_view name, bool quiet = false) const;
    // The empty text for a value outside the table.
    const std::string& GetName(int32_t value) const;

    const std::string& GetTableName() const { return tableName; }
    int32_t GetCount() const { return static_cast<int32_t>(names.size()); }
    int32_t GetDefault() const { return defaultValue; }

    // Get-or-create by table name (ASCII case ignored); the table is emptied and resized,
    // so a caller refills it name by name. Safe to call from any thread.
    static EnumTable* Register(std::string_view tableName, int32_t count, int32_t defaultValue);
    // Register sized to the list, then value i named names[i].
    static EnumTable* RegisterNames(const NameList& list);
    // Null when no table of that name exists. The engine's own tables always exist.
    static EnumTable* Find(std::string_view tableName);
    // Lookup in the named table; an unknown table logs at level 3 and gives 0.
    static int32_t LookupIn(std::string_view tableName, std::string_view name, bool quiet = false);

private:
    void SetNames(std::span<const char* const> list);

    std::string tableName;
    std::vector<std::string> names;
    int32_t defaultValue = 0;
};
