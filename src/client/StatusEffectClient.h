// StatusEffectClient -- the client's mirror of one status effect an entity shows: its record, the world host's instance and whether the last update still named it.
#pragma once

#include <cstdint>

class DatabaseEntry;

// A shell the entity's state record fills; the effect's drawing and texts build on it.
class StatusEffectClient {
public:
    StatusEffectClient(const DatabaseEntry* record, int32_t instanceId);
    virtual ~StatusEffectClient() = default;
    StatusEffectClient(const StatusEffectClient&) = delete;
    StatusEffectClient& operator=(const StatusEffectClient&) = delete;

    const DatabaseEntry* GetRecord() const { return record; }
    int32_t GetInstanceId() const { return instanceId; }
    // The record's "Untargetable": an entity under it cannot be chosen as a target.
    bool BlocksTargeting() const { return blocksTargeting; }

    bool seen = true;

private:
    const DatabaseEntry* record;
    int32_t instanceId;
    bool blocksTargeting;
};
