// DatabaseEntry -- one record of the game database: its fields and the entries it inherits them from.
#pragma once

#include "core/BaseClass.h"
#include "core/EngineEnums.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class Database;

// One key and value of a record. A key given several times is several fields, in file order.
// The value's text belongs to the database and lives as long as it does.
struct DatabaseField {
    std::string_view value;
    // The database's number for the key; keys are compared without regard to case.
    uint32_t key = 0;
};

// Fields are looked up in the entry itself, then in its chain: the entry named by "Base" with
// that entry's own chain, then the entry named by "Type" (when "Type" is no type name) with its
// chain, nearest first and each entry once.
class DatabaseEntry : public BaseClass {
public:
    std::string_view GetName() const { return name; }
    // The sub-database's index in the high 16 bits, the entry's index within it in the low 16.
    int32_t GetId() const { return id; }
    // The entry's own type, else that of the first entry of its chain that has one.
    DatabaseEntryType::Value GetType() const { return type; }
    // Read from the entry's own fields only: such an entry exists to be inherited from.
    bool IsBaseOnly() const { return baseOnly; }
    // The entries it inherits from, nearest first; the entry itself is not among them.
    std::span<const DatabaseEntry* const> GetBaseChain() const;
    bool IsDerivedFrom(const DatabaseEntry* base) const;
    bool IsDerivedFrom(std::string_view baseName) const;

    // The first field of that key in the entry or, failing that, in the nearest entry of its chain.
    const DatabaseField* FindField(std::string_view key) const;
    std::string GetString(std::string_view key, std::string_view defaultValue = "") const;
    // The leading decimal number of the text (0 when there is none); the default when the
    // field is missing or its text is empty.
    int32_t GetInt(std::string_view key, int32_t defaultValue = 0) const;
    // As GetInt; a text that reads as no finite number gives 0.0.
    float GetFloat(std::string_view key, float defaultValue) const;

    // Appends every value of the key, the entry's own first, then up the chain, each entry's in
    // file order. stopAtFirst: only the first entry that has values contributes.
    void GetStringList(std::string_view key, std::vector<std::string>& out, bool clearFirst, bool stopAtFirst) const;
    // The same as views into the database's store, for a reader that copies nothing.
    void GetStringViews(std::string_view key, std::vector<std::string_view>& out, bool clearFirst,
                        bool stopAtFirst) const;
    void GetIntList(std::string_view key, std::vector<int32_t>& out, bool clearFirst, bool stopAtFirst) const;
    void GetFloatList(std::string_view key, std::vector<float>& out, bool clearFirst, bool stopAtFirst) const;

private:
    friend class Database;

    template <class Visit>
    void ForEachValue(std::string_view key, bool stopAtFirst, Visit visit) const;
    // The entry itself, then its base chain.
    std::span<const DatabaseEntry* const> GetFullChain() const;

    const Database* database = nullptr;
    std::string_view name;
    int32_t id = -1;
    // Index in the database's order of all entries.
    uint32_t position = 0;
    DatabaseEntryType::Value ownType = DatabaseEntryType::None;
    DatabaseEntryType::Value type = DatabaseEntryType::None;
    bool baseOnly = false;
    // Into the database's field store.
    uint32_t firstField = 0;
    uint32_t fieldCount = 0;
    // The "Base" and "Type" names, kept until the chains are resolved.
    std::string_view baseName;
    std::string_view typeEntryName;
    // Into the database's chain store; the first element is the entry itself.
    uint32_t firstChain = 0;
    uint32_t chainCount = 0;
};
