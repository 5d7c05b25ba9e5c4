// ClientResourceTable -- the client's copy of the world host's resource name table: each slot's name and the client's own handle of it, named by model indices and sound slots.
#include "client/ClientResourceTable.h"

#include "resources/ResourceManager.h"

bool ClientResourceTable::AreValid(const std::vector<NetResourceEntry>& entries)
{
    for (const NetResourceEntry& entry : entries)
        if (entry.index < 0 || entry.index >= NetMessages::kMaxResourceNames)
            return false;
    return true;
}

void ClientResourceTable::Apply(const std::vector<NetResourceEntry>& entries)
{
    for (const NetResourceEntry& entry : entries) {
        auto index = static_cast<size_t>(entry.index);
        if (index >= slots.size())
            slots.resize(index + 1);
        Slot& slot = slots[index];
        if (slot.name == entry.name && (slot.handle.IsValid() || !gResourceManager))
            continue;
        slot.name = entry.name;
        slot.handle.Reset();
        if (gResourceManager && !entry.name.empty())
            gResourceManager->Load(entry.name, slot.handle);
    }
}

const ClientResourceTable::Slot* ClientResourceTable::Find(int32_t index) const
{
    return index >= 0 && static_cast<size_t>(index) < slots.size() ? &slots[static_cast<size_t>(index)] : nullptr;
}

const std::string& ClientResourceTable::GetName(int32_t index) const
{
    static const std::string kNoName;
    const Slot* slot = Find(index);
    return slot ? slot->name : kNoName;
}
