// IntensityTracker -- a player's combat intensity per "Music" record: raised by the fights with enemies that name one, decaying, and choosing the music and its volume.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

class DatabaseEntry;
class Entity;

// What happened between the player and an enemy.
enum class IntensityEvent { Missed, Pain, Miss, Hit, Kill, Killed, EnemySkillUse };

// One "Music" record's tuning and its present intensity. Every key is a float, 0 when missing;
// the event amounts are already multiplied by "IntensityMult".
struct IntensityRecord {
    explicit IntensityRecord(const DatabaseEntry* entry);
    float AmountOf(IntensityEvent event) const;

    float missed = 0.0f;
    float pain = 0.0f;
    float miss = 0.0f;
    float hit = 0.0f;
    float kill = 0.0f;
    float killed = 0.0f;
    float enemySkillUse = 0.0f;
    float multiplier = 0.0f;
    float decreasePerSecond = 0.0f;
    float differenceToChange = 0.0f;
    float maximum = 0.0f;
    float minVolumeIntensity = 0.0f;
    float maxVolumeIntensity = 0.0f;
    const DatabaseEntry* record = nullptr;
    float intensity = 0.0f;
};

class IntensityTracker {
public:
    // The tracker's record of the entity's music, made on first use; null for no entity, no
    // music or a record that is not a "Music" entry.
    IntensityRecord* GetRecord(const Entity* entity);
    void Add(const Entity* entity, IntensityEvent event);
    // Decays every record and picks the current one, changing only by a clear lead.
    void Update(float seconds);
    // 0..1.
    float GetVolume() const;
    // The current record's id once its intensity reaches its lowest audible level; else -1.
    int32_t GetMusicId() const;
    const IntensityRecord* GetCurrent() const;

private:
    std::vector<std::unique_ptr<IntensityRecord>> records;
    int32_t current = -1;
};
