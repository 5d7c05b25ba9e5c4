// SimpleData -- base of every object described by a game-database entry.
#include "core/SimpleData.h"

#include "core/Database.h"
#include "core/DatabaseEntry.h"

int32_t SimpleData::GetInt(std::string_view key) const
{
    return entry ? entry->GetInt(key) : 0;
}

bool SimpleData::GetBool(std::string_view key) const
{
    return entry && entry->GetInt(key) != 0;
}

float SimpleData::GetFloat(std::string_view key) const
{
    return entry ? entry->GetFloat(key, 0.0f) : 0.0f;
}

void SimpleData::Load(const DatabaseEntry*) {}

void SimpleData::SetEntry(const DatabaseEntry* newEntry)
{
    if (newEntry == entry)
        return;
    entry = newEntry;
    Load(newEntry);
}

void SimpleData::SetEntryByName(std::string_view name)
{
    SetEntry(gDatabase ? gDatabase->FindEntryByName(name) : nullptr);
}

DatabaseEntryType::Value SimpleData::GetEntryType() const
{
    return entry ? entry->GetType() : DatabaseEntryType::None;
}
