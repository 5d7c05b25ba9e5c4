// RecordList -- the records of one database entry type: made and owned in database order, found by index, entry or name.
#pragma once

#include "core/Database.h"
#include "core/DatabaseEntry.h"
#include "core/NoCaseHash.h"
#include "core/StringUtil.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

// T is a SimpleData with a default constructor. A record kind joins the game data with a member
// and one line in GameData::Load:
//
//   RecordList<SkillDefinition> skillDefinitions;
//   skillDefinitions.Load(database, DatabaseEntryType::Skill);
//
// Names are compared without regard to ASCII case. Records may point at their entries, so a
// list must be loaded again whenever the database is.
template <class T>
class RecordList {
public:
    // Replaces the list: for each entry of the type in database order, "BaseOnly" entries left
    // out, a T is made, pointed at its entry (which runs its Load) and appended.
    void Load(const Database& database, int32_t entryType)
    {
        Clear();
        for (const DatabaseEntry* entry = database.GetNextEntryOfType(entryType); entry;
             entry = database.GetNextEntryOfType(entryType, entry)) {
            auto record = std::make_unique<T>();
            record->SetEntry(entry);
            Add(std::move(record));
        }
    }

    // Takes a record made elsewhere; found by its entry's name when it has an entry and the
    // name is not taken yet.
    void Add(std::unique_ptr<T> record)
    {
        int32_t index = GetCount();
        if (const DatabaseEntry* entry = record->GetEntry()) {
            indexByName.emplace(std::string(entry->GetName()), index);
            indexByEntry.emplace(entry, index);
        }
        records.push_back(std::move(record));
    }

    void Clear()
    {
        records.clear();
        indexByName.clear();
        indexByEntry.clear();
    }

    int32_t GetCount() const { return static_cast<int32_t>(records.size()); }
    // Null outside the list.
    T* Get(int32_t index) const
    {
        return index >= 0 && index < GetCount() ? records[static_cast<size_t>(index)].get() : nullptr;
    }
    // -1 when no record has that name.
    int32_t FindIndex(std::string_view name) const
    {
        auto found = indexByName.find(name);
        return found == indexByName.end() ? -1 : found->second;
    }
    T* FindByName(std::string_view name) const { return Get(FindIndex(name)); }
    T* FindByEntry(const DatabaseEntry* entry) const
    {
        auto found = indexByEntry.find(entry);
        return found == indexByEntry.end() ? nullptr : Get(found->second);
    }

    auto begin() const { return records.begin(); }
    auto end() const { return records.end(); }

private:
    std::vector<std::unique_ptr<T>> records;
    std::unordered_map<std::string, int32_t, NoCaseHash, NoCaseEqual> indexByName;
    std::unordered_map<const DatabaseEntry*, int32_t> indexByEntry;
};
