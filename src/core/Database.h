// Database -- the game database: records read from the sub-database files that "Database/database.dbl" lists.
#pragma once

#include "core/BaseClass.h"
#include "core/DatabaseEntry.h"
#include "core/NoCaseHash.h"

#include <array>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// "Database/database.dbl" lists the sub-database files, relative to "Database/", in load
// order; a file's position in that order is the high word of its entries' ids. A
// sub-database holds records:
//
//   RecordName
//   {
//       Type Item
//       Base SwordTemplate
//       Key value
//       ListKey first
//       ListKey second
//   }
//
// A value is the rest of its line from its first word to its last, blanks between them as
// written (a quoted word exactly as quoted); a "}" word ends the record there, so a short
// record fits on one line, but a quoted "}" is a value like any other. "Type"
// names a DatabaseEntryType or, when it is no type name, an entry whose chain follows the
// "Base" chain. Inheritance is resolved once every file has loaded.
class Database : public BaseClass {
public:
    Database();
    ~Database() override;
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // Replaces the contents with the files read through the file system. A missing
    // "Database/database.dbl" is fatal; any other fault is logged and skipped.
    void Load();

    // prefix + name, compared without regard to case; null for an empty name or none.
    const DatabaseEntry* FindEntryByName(std::string_view name, std::string_view prefix = "") const;
    // Null for -1 or an id the database does not hold.
    const DatabaseEntry* GetEntryByIndex(int32_t id) const;
    // The next entry of that type after the given one in database order (the first when
    // after is null); "BaseOnly" entries are left out. Null at the end.
    const DatabaseEntry* GetNextEntryOfType(int32_t type, const DatabaseEntry* after = nullptr) const;
    // The text of a field of a named entry, following its bases; empty when either is missing.
    std::string GetEntryFieldString(std::string_view entryName, std::string_view key) const;

    int32_t GetEntryCount() const { return static_cast<int32_t>(entries.size()); }
    int32_t GetSubDatabaseCount() const { return static_cast<int32_t>(fileFirstEntry.size()); }

private:
    friend class DatabaseEntry;

    class Parser;

    void Clear();
    void LoadSubDatabase(std::string_view listedName);
    // Adds the fields from firstField on as one entry; false (fields dropped) for a duplicate name.
    bool AddEntry(std::string_view name, int32_t id, uint32_t firstField, const std::string& fileName);
    void ReadSpecialFields(DatabaseEntry& entry);
    void ResolveInheritance();
    void BuildChain(uint32_t position, const std::vector<uint8_t>& state);

    uint32_t InternKey(std::string_view key);
    // -1 when no record uses the key.
    int64_t FindKey(std::string_view key) const;
    // A copy of the text that lives as long as the database.
    std::string_view StoreText(std::string_view text);

    std::deque<DatabaseEntry> entries;
    std::vector<DatabaseField> fields;
    std::vector<const DatabaseEntry*> chains;
    // Each sub-database's first position in entries and its number of entries.
    std::vector<uint32_t> fileFirstEntry;
    std::vector<uint32_t> fileEntryCount;
    std::unordered_map<std::string_view, DatabaseEntry*, NoCaseHash, NoCaseEqual> entriesByName;
    std::unordered_map<std::string, uint32_t, NoCaseHash, NoCaseEqual> keys;
    std::array<std::vector<const DatabaseEntry*>, DatabaseEntryType::kCount> entriesByType;
    // The base and type-entry parents of each entry while chains are resolved.
    std::vector<std::array<const DatabaseEntry*, 2>> parents;
    std::vector<uint32_t> chainStamp;
    std::vector<std::unique_ptr<char[]>> textChunks;
    size_t chunkUsed = 0;
    size_t chunkSize = 0;
    uint32_t baseKey = 0;
    uint32_t typeKey = 0;
    uint32_t baseOnlyKey = 0;
};

extern Database* gDatabase;
