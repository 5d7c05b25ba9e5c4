// StatusEffectClient -- the client's mirror of one status effect an entity shows: its record, the world host's instance, whether the last update still named it, and the record's client-only keys (victim shader, frozen animation, lost-effect sounds).
#pragma once

#include "core/TimeStamp.h"
#include "resources/ResourceHandle.h"

#include <cstdint>

class DatabaseEntry;

// The entity's state record fills it; the effect's drawing and texts build on it.
class StatusEffectClient {
public:
    // Shaders load as resources of this kind.
    static constexpr int32_t kVictimShaderKind = 5;

    StatusEffectClient(const DatabaseEntry* record, int32_t instanceId);
    virtual ~StatusEffectClient() = default;
    StatusEffectClient(const StatusEffectClient&) = delete;
    StatusEffectClient& operator=(const StatusEffectClient&) = delete;

    // Takes the record and the instance, then "VictimShader" (a shader; none for an empty name),
    // "VictimShaderOnChild", "FreezeAnim", "PlayLostEffectSound" and "AlwaysPlayLostEffectSound".
    void Load(const DatabaseEntry* newRecord, int32_t newInstanceId);

    const DatabaseEntry* GetRecord() const { return record; }
    int32_t GetInstanceId() const { return instanceId; }
    // The record's "Untargetable": an entity under it cannot be chosen as a target.
    bool BlocksTargeting() const { return blocksTargeting; }
    const ResourceHandle& GetVictimShader() const { return victimShader; }

    // The game clock of the update that first named it: the host sends no time left, so the
    // interface counts the definition's duration down from here.
    TimeStamp arrived;
    bool seen = true;
    bool shaderOnChild = false;
    bool freezeAnimation = false;
    bool playLostEffectSound = false;
    bool alwaysPlayLostEffectSound = false;

private:
    const DatabaseEntry* record = nullptr;
    int32_t instanceId = -1;
    bool blocksTargeting = false;
    ResourceHandle victimShader;
};
