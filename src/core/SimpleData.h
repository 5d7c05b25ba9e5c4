// SimpleData -- base of every object described by a game-database entry.
#pragma once

#include "core/BaseClass.h"
#include "core/EngineEnums.h"

#include <cstdint>
#include <string_view>

class DatabaseEntry;

// Virtual operations in slot order: the destructor, GetInt, GetBool, GetFloat, Load. The entry
// belongs to the database; an object only points at it.
class SimpleData : public BaseClass {
public:
    // The entry's field through its chain; 0, false or 0.0 without an entry.
    virtual int32_t GetInt(std::string_view key) const;
    virtual bool GetBool(std::string_view key) const;
    virtual float GetFloat(std::string_view key) const;
    // Reads the object's fields from the entry; nothing in the base.
    virtual void Load(const DatabaseEntry* entry);

    // Stores the entry and loads it, unless it is the entry already held.
    void SetEntry(const DatabaseEntry* entry);
    // SetEntry with the game database's entry of that name, null when there is none.
    void SetEntryByName(std::string_view name);

    const DatabaseEntry* GetEntry() const { return entry; }
    // The entry's type; None without an entry.
    DatabaseEntryType::Value GetEntryType() const;

protected:
    const DatabaseEntry* entry = nullptr;
};
