// StatusEffectClient -- the client's mirror of one status effect an entity shows: its record, the world host's instance, whether the last update still named it, and the record's client-only keys (victim shader, frozen animation, lost-effect sounds).
#include "client/StatusEffectClient.h"

#include "core/DatabaseEntry.h"
#include "resources/ResourceManager.h"

#include <string>

StatusEffectClient::StatusEffectClient(const DatabaseEntry* effectRecord, int32_t instance)
{
    Load(effectRecord, instance);
}

void StatusEffectClient::Load(const DatabaseEntry* newRecord, int32_t newInstanceId)
{
    record = newRecord;
    instanceId = newInstanceId;
    blocksTargeting = record && record->GetInt("Untargetable") != 0;
    std::string shader = record ? record->GetString("VictimShader") : std::string();
    if (shader.empty() || !gResourceManager)
        victimShader.Reset();
    else
        gResourceManager->Load(shader, victimShader, kVictimShaderKind);
    shaderOnChild = record && record->GetInt("VictimShaderOnChild") != 0;
    freezeAnimation = record && record->GetInt("FreezeAnim") != 0;
    playLostEffectSound = record && record->GetInt("PlayLostEffectSound") != 0;
    alwaysPlayLostEffectSound = record && record->GetInt("AlwaysPlayLostEffectSound") != 0;
}
