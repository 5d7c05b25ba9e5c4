// RecruitClient -- the client's mirror of one recruit of the player's covenant: its record in the covenant part of each update, the block the join settings carry back, and the name the world shows for it.
#include "client/RecruitClient.h"

#include "client/EntityClient.h"
#include "client/GameClient.h"
#include "client/InventoryClient.h"
#include "core/DebugSystem.h"
#include "core/MessageBuffer.h"

#include <vector>

namespace {

void RecruitClientWriteIds(MessageBuffer& buffer, const std::vector<int32_t>& ids)
{
    buffer.WriteInt(static_cast<int32_t>(ids.size()));
    for (int32_t id : ids)
        buffer.WriteInt(id);
}

bool RecruitClientReadIds(MessageBuffer& buffer, std::vector<int32_t>& ids)
{
    int32_t count = 0;
    if (buffer.Overrun() || !buffer.ReadCount(count, sizeof(int32_t)) || count > RecruitBase::kMaxListEntries)
        return false;
    ids.resize(static_cast<size_t>(count));
    for (int32_t& id : ids)
        id = buffer.ReadInt();
    return !buffer.Overrun();
}

} // namespace

RecruitClient::RecruitClient()
{
    inventory = std::make_unique<InventoryClient>(&stats);
}

void RecruitClient::WriteSettings(MessageBuffer& buffer) const
{
    buffer.WriteInt(definitionEntry);
    stats.WriteValues(buffer);
    inventory->Write(buffer, false);
    RecruitClientWriteIds(buffer, entryList);
    buffer.WriteUInt(extraValue);
    RecruitClientWriteIds(buffer, idList);
}

bool RecruitClient::ReadUpdate(MessageBuffer& buffer)
{
    int32_t definition = buffer.ReadInt();
    if (readStats.GetCount() != stats.GetCount())
        readStats.SetCount(stats.GetCount());
    if (!readInventory)
        readInventory = std::make_unique<InventoryClient>(&stats);
    bool read = !buffer.Overrun() && readStats.ReadValues(buffer, kStatCount) &&
                readInventory->Read(buffer, false, 0);
    int32_t entity = read ? buffer.ReadInt() : -1;
    read = read && RecruitClientReadIds(buffer, readEntries);
    uint32_t seed = read ? buffer.ReadUInt() : 0;
    read = read && RecruitClientReadIds(buffer, readIds);
    if (!read) {
        DebugSystem::Print(kPrintDeveloper, "A recruit's record is cut short or holds a refused count\n");
        return false;
    }
    // Taken by exchange: what was the recruit's is read into at the next update.
    definitionEntry = definition;
    stats.CopyFrom(readStats);
    inventory.swap(readInventory);
    entityNumber = entity;
    entryList.swap(readEntries);
    extraValue = seed;
    idList.swap(readIds);
    RefreshName();
    return true;
}

void RecruitClient::TakeRecord(RecruitClient& read)
{
    definitionEntry = read.definitionEntry;
    stats.CopyFrom(read.stats);
    inventory.swap(read.inventory);
    entityNumber = read.entityNumber;
    entryList.swap(read.entryList);
    extraValue = read.extraValue;
    idList.swap(read.idList);
    RefreshName();
}

void RecruitClient::RefreshName()
{
    const EntityClient* entity = entityNumber != -1 && gGameClient ? gGameClient->GetEntity(entityNumber) : nullptr;
    if (!entity)
        return;
    int64_t stamp = entity->nameSeedKnown ? int64_t{entity->nameSeed} : -1;
    if (!displayName.empty() && stamp == nameStamp)
        return;
    displayName = entity->personalName.empty() ? entity->displayName : entity->personalName;
    nameStamp = stamp;
}
