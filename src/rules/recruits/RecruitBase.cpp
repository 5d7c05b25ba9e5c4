// RecruitBase -- the saved and sent part of an NPC that joined a covenant: its record, stats, inventory, enhancements and skills.
#include "rules/recruits/RecruitBase.h"

#include "core/Database.h"
#include "core/DebugSystem.h"
#include "core/MessageBuffer.h"
#include "rules/items/InventoryBase.h"

#include <string>

namespace {

std::string EntryName(int32_t id)
{
    const DatabaseEntry* entry = gDatabase ? gDatabase->GetEntryByIndex(id) : nullptr;
    return entry ? std::string(entry->GetName()) : std::string();
}

int32_t EntryId(const std::string& name)
{
    const DatabaseEntry* entry = gDatabase && !name.empty() ? gDatabase->FindEntryByName(name) : nullptr;
    return entry ? entry->GetId() : -1;
}

void WriteNames(MessageBuffer& buffer, const std::vector<int32_t>& ids)
{
    buffer.WriteUInt(static_cast<uint32_t>(ids.size()));
    for (int32_t id : ids)
        buffer.WriteString(EntryName(id));
}

// Every name takes at least its NUL byte, which bounds the count by the bytes left.
bool ReadNames(MessageBuffer& buffer, std::vector<int32_t>& ids)
{
    int32_t count = 0;
    if (!buffer.ReadCount(count, 1) || count > RecruitBase::kMaxListEntries)
        return false;
    ids.resize(static_cast<size_t>(count));
    for (int32_t& id : ids)
        id = EntryId(buffer.ReadString());
    return !buffer.Overrun();
}

} // namespace

RecruitBase::RecruitBase() : stats(kStatCount) {}

RecruitBase::~RecruitBase() = default;

void RecruitBase::Write(MessageBuffer& buffer)
{
    buffer.WriteString(EntryName(definitionEntry));
    stats.Write(buffer);
    if (inventory)
        inventory->Write(buffer, true);
    else
        InventoryBase().Write(buffer, true);
    WriteNames(buffer, entryList);
    buffer.WriteUInt(extraValue);
    WriteNames(buffer, idList);
}

bool RecruitBase::Read(int32_t version, MessageBuffer& buffer)
{
    int32_t definition = -1;
    if (version >= kVersionNamedDefinition) {
        definition = EntryId(buffer.ReadString());
    } else {
        const DatabaseEntry* entry = gDatabase ? gDatabase->GetEntryByIndex(buffer.ReadInt()) : nullptr;
        definition = entry ? entry->GetId() : -1;
    }
    // Stats past a shorter record's count keep their values.
    IntArray newStats(stats.GetCount());
    newStats.CopyFrom(stats);
    bool statsRead = version >= kVersionCountedStats ? newStats.Read(buffer)
                                                      : newStats.ReadValues(buffer, GetStoredStatCount(version));
    std::vector<int32_t> enhancements;
    std::vector<int32_t> skills;
    InventoryBase dropped;
    InventoryBase& target = inventory ? *inventory : dropped;
    bool byName = version >= kVersionNamedDefinition;
    bool read = statsRead && !buffer.Overrun() && target.Read(buffer, byName, version) &&
                ReadNames(buffer, enhancements);
    uint32_t seed = read ? buffer.ReadUInt() : 0;
    read = read && ReadNames(buffer, skills) && !buffer.Overrun();
    if (!read) {
        DebugSystem::Print(kPrintError, "Recruit record (version %d) is damaged\n", version);
        return false;
    }
    definitionEntry = definition;
    stats.CopyFrom(newStats);
    entryList = std::move(enhancements);
    extraValue = seed;
    idList = std::move(skills);
    return true;
}

int32_t RecruitBase::GetId(int32_t i) const
{
    return i >= 0 && static_cast<size_t>(i) < idList.size() ? idList[static_cast<size_t>(i)] : -1;
}

int32_t RecruitBase::GetStoredStatCount(int32_t version)
{
    if (version < 13)
        return 111;
    if (version <= 40)
        return 112;
    if (version <= 42)
        return 113;
    return kStatCount;
}
