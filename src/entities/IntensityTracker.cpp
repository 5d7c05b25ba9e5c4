// IntensityTracker -- a player's combat intensity per "Music" record: raised by the fights with enemies that name one, decaying, and choosing the music and its volume.
#include "entities/IntensityTracker.h"

#include "core/DatabaseEntry.h"
#include "entities/Entity.h"

IntensityRecord::IntensityRecord(const DatabaseEntry* entry) : record(entry)
{
    multiplier = entry->GetFloat("IntensityMult", 0.0f);
    missed = entry->GetFloat("MissedIntensity", 0.0f) * multiplier;
    pain = entry->GetFloat("PainIntensity", 0.0f) * multiplier;
    miss = entry->GetFloat("MissIntensity", 0.0f) * multiplier;
    hit = entry->GetFloat("HitIntensity", 0.0f) * multiplier;
    kill = entry->GetFloat("KillIntensity", 0.0f) * multiplier;
    killed = entry->GetFloat("KilledIntensity", 0.0f) * multiplier;
    enemySkillUse = entry->GetFloat("EnemySkillUseIntensity", 0.0f) * multiplier;
    decreasePerSecond = entry->GetFloat("IntensityDecreasePerSecond", 0.0f);
    differenceToChange = entry->GetFloat("IntensityDiffToChange", 0.0f);
    maximum = entry->GetFloat("MaxIntensity", 0.0f);
    minVolumeIntensity = entry->GetFloat("MinVolumeIntensity", 0.0f);
    maxVolumeIntensity = entry->GetFloat("MaxVolumeIntensity", 0.0f);
}

float IntensityRecord::AmountOf(IntensityEvent event) const
{
    switch (event) {
    case IntensityEvent::Missed: return missed;
    case IntensityEvent::Pain: return pain;
    case IntensityEvent::Miss: return miss;
    case IntensityEvent::Hit: return hit;
    case IntensityEvent::Kill: return kill;
    case IntensityEvent::Killed: return killed;
    case IntensityEvent::EnemySkillUse: return enemySkillUse;
    }
    return 0.0f;
}

IntensityRecord* IntensityTracker::GetRecord(const Entity* entity)
{
    const DatabaseEntry* music = entity ? entity->GetMusic() : nullptr;
    if (!music || music->GetType() != DatabaseEntryType::Music)
        return nullptr;
    for (const auto& record : records)
        if (record->record == music)
            return record.get();
    records.push_back(std::make_unique<IntensityRecord>(music));
    return records.back().get();
}

void IntensityTracker::Add(const Entity* entity, IntensityEvent event)
{
    IntensityRecord* record = GetRecord(entity);
    if (!record)
        return;
    record->intensity += record->AmountOf(event);
    if (record->maximum < record->intensity)
        record->intensity = record->maximum;
}

void IntensityTracker::Update(float seconds)
{
    int32_t best = -1;
    for (size_t i = 0; i < records.size(); ++i) {
        IntensityRecord& record = *records[i];
        if (record.intensity > 0.0f) {
            record.intensity -= record.decreasePerSecond * seconds;
            if (record.intensity < 0.0f) {
                record.intensity = 0.0f;
                continue;
            }
        }
        if (best < 0 || record.intensity > records[static_cast<size_t>(best)]->intensity)
            best = static_cast<int32_t>(i);
    }
    if (current < 0) {
        current = best;
        return;
    }
    if (best < 0 || best == current)
        return;
    const IntensityRecord& now = *records[static_cast<size_t>(current)];
    const IntensityRecord& leader = *records[static_cast<size_t>(best)];
    if (now.intensity + now.differenceToChange < leader.intensity || now.intensity < now.minVolumeIntensity)
        current = best;
}

const IntensityRecord* IntensityTracker::GetCurrent() const
{
    return current >= 0 ? records[static_cast<size_t>(current)].get() : nullptr;
}

float IntensityTracker::GetVolume() const
{
    const IntensityRecord* record = GetCurrent();
    if (!record || record->intensity <= record->minVolumeIntensity)
        return 0.0f;
    float span = record->maxVolumeIntensity - record->minVolumeIntensity;
    if (record->intensity >= record->maxVolumeIntensity || span <= 0.0f)
        return 1.0f;
    return (record->intensity - record->minVolumeIntensity) / span;
}

int32_t IntensityTracker::GetMusicId() const
{
    const IntensityRecord* record = GetCurrent();
    if (!record || !record->record || record->intensity < record->minVolumeIntensity)
        return -1;
    return record->record->GetId();
}
