// StatusEffectClient -- the client's mirror of one status effect an entity shows: its record, the world host's instance and whether the last update still named it.
#include "client/StatusEffectClient.h"

#include "core/DatabaseEntry.h"

StatusEffectClient::StatusEffectClient(const DatabaseEntry* effectRecord, int32_t instance)
    : record(effectRecord), instanceId(instance), blocksTargeting(effectRecord && effectRecord->GetInt("Untargetable") != 0)
{
}
