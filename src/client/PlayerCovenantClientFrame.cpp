// PlayerCovenantClient -- the covenant mirror's frame: the alarms, the relations brought into line, the lifestone news, the history of every covenant's standing and the per-covenant records.
#include "client/PlayerCovenantClient.h"

#include "client/GameClient.h"
#include "client/MirrorSound.h"
#include "render/TextEvents.h"

#include <algorithm>

namespace {

// The statistics a history sample keeps of each covenant, in the sample's order.
constexpr int32_t kPlayerCovenantSampledStats[PlayerCovenantClient::kSampledStats] = {
    CovenantStat::House,
    CovenantStat::AbsoluteInfluence,
    CovenantStat::People,
    CovenantStat::Items,
    CovenantStat::LifeStone,
    CovenantStat::InfluenceAdventure,
    CovenantStat::InfluenceCompetition,
    CovenantStat::InfluenceWorld,
    CovenantStat::InfluenceTransferred};

// The lifestone's health falling below each fraction is told once, the worst news first.
struct PlayerCovenantLifestoneNews {
    float below;
    const char* text;
};
constexpr PlayerCovenantLifestoneNews kPlayerCovenantLifestoneNews[] = {
    {0.1f, "$$LifestoneAlmostDestroyed$$"},
    {0.25f, "$$LifestoneInDanger$$"},
    {0.5f, "$$LifestoneIsThreatened$$"},
    {0.75f, "$$LifestoneIsDamaged$$"}};

constexpr int32_t kPlayerCovenantNewsKind = 5;
constexpr float kPlayerCovenantNewsSeconds = 5.0f;

int64_t PlayerCovenantMinuteOf(const TimeStamp& clock)
{
    return int64_t{clock.minutes} + 60 * (int64_t{clock.hours} + 24 * int64_t{clock.days});
}

} // namespace

void PlayerCovenantClient::Update(float seconds)
{
    for (AlarmTimer& timer : alarms)
        if (timer.running)
            timer.remaining = std::max(0.0f, timer.remaining - seconds);
    AlignRelations();
    if (alertFlags[0] || alertFlags[1])
        SoundAlarm(alarms[0], alarmSound);
    if (townUnderAttack && townUnderAttack())
        SoundAlarm(alarms[1], townAttackedSound);
    AnnounceLifestone();
}

// This covenant's treaty toward each other covenant follows the treaty that covenant records
// toward this one.
void PlayerCovenantClient::AlignRelations()
{
    if (!gGameClient)
        return;
    for (int32_t other = 0; other < gGameClient->GetCovenantCount() && other < kMaxCovenants; ++other) {
        const CovenantClient* covenant = gGameClient->GetCovenant(other, false);
        if (!covenant || other == index)
            continue;
        int32_t theirs = covenant->GetTreatyState(index);
        if (theirs != GetTreatyState(other))
            SetTreatyState(other, theirs);
    }
}

void PlayerCovenantClient::SoundAlarm(AlarmTimer& timer, const ResourceHandle& sound)
{
    if (timer.running && timer.remaining > 0.0f)
        return;
    PlayMirrorSound(sound);
    timer.running = true;
    timer.remaining = kAlarmPeriod;
}

void PlayerCovenantClient::AnnounceLifestone()
{
    int32_t maxHealth = GetHomeMaxHealth();
    float fraction = maxHealth < 1 ? 1.0f : static_cast<float>(GetHomeHealth()) / static_cast<float>(maxHealth);
    for (const PlayerCovenantLifestoneNews& news : kPlayerCovenantLifestoneNews) {
        if (fraction < news.below && news.below <= lastLifestoneFraction) {
            if (gTextEvents)
                gTextEvents->AddTextEvent(news.text, 320.0f, 240.0f, kPlayerCovenantNewsSeconds,
                                          kPlayerCovenantNewsKind, true, false);
            break;
        }
    }
    lastLifestoneFraction = fraction;
}

// ---- The history -----------------------------------------------------------------------------------

void PlayerCovenantClient::SampleHistory()
{
    if (!gGameClient || !gGameClient->IsStarted())
        return;
    const TimeStamp& clock = gGameClient->clock;
    if (!TimeLess(lastSampleTime, clock) && !sampled)
        return;
    std::vector<int32_t>* sample = SampleAt(PlayerCovenantMinuteOf(clock));
    if (!sample)
        return;
    int32_t count = gGameClient->GetCovenantCount();
    sample->assign(static_cast<size_t>(count) * kSampledStats, 0);
    for (int32_t c = 0; c < count; ++c) {
        const CovenantClient* covenant = gGameClient->GetCovenant(c, false);
        for (int32_t s = 0; s < kSampledStats; ++s) {
            int32_t value = covenant ? covenant->statistics.Get(kPlayerCovenantSampledStats[s]) : 0;
            (*sample)[static_cast<size_t>(c) * kSampledStats + static_cast<size_t>(s)] = value;
            lowestSampled[static_cast<size_t>(s)] = std::min(lowestSampled[static_cast<size_t>(s)], value);
            highestSampled[static_cast<size_t>(s)] = std::max(highestSampled[static_cast<size_t>(s)], value);
        }
    }
    sampled = true;
    lastSampleTime = clock;
}

std::vector<int32_t>* PlayerCovenantClient::SampleAt(int64_t minute)
{
    if (minute < 0 || minute > INT32_MAX)
        return nullptr;
    if (history.empty())
        firstSampleMinute = static_cast<int32_t>(std::max<int64_t>(0, minute - kMaxHistorySamples + 1));
    int64_t end = int64_t{firstSampleMinute} + static_cast<int64_t>(history.size());
    if (minute < firstSampleMinute)
        return nullptr;
    if (minute >= end) {
        // Only the last kMaxHistorySamples minutes are kept: a jump past all of them starts afresh.
        int64_t newFirst = std::max<int64_t>(firstSampleMinute, minute - kMaxHistorySamples + 1);
        if (newFirst >= end) {
            history.clear();
            firstSampleMinute = static_cast<int32_t>(newFirst);
        } else {
            for (; firstSampleMinute < newFirst; ++firstSampleMinute)
                history.pop_front();
        }
        history.resize(static_cast<size_t>(minute - firstSampleMinute + 1));
    }
    return &history[static_cast<size_t>(minute - firstSampleMinute)];
}

// ---- The per-covenant records ----------------------------------------------------------------------

void PlayerCovenantClient::ResizeCovenantRecords()
{
    size_t count = gGameClient ? static_cast<size_t>(gGameClient->GetCovenantCount()) : 0;
    if (covenantRecords.size() != count)
        covenantRecords.resize(count);
}

std::vector<PlayerCovenantClient::CovenantRecordEntry>* PlayerCovenantClient::GetCovenantRecord(int32_t i)
{
    ResizeCovenantRecords();
    return i >= 0 && static_cast<size_t>(i) < covenantRecords.size() ? &covenantRecords[static_cast<size_t>(i)]
                                                                      : nullptr;
}

void PlayerCovenantClient::ClearCovenantRecord(int32_t i)
{
    if (auto* record = GetCovenantRecord(i))
        record->clear();
}

int32_t PlayerCovenantClient::FindCovenantRecord() const
{
    int32_t count = gGameClient ? gGameClient->GetCovenantCount() : 0;
    for (int32_t i = 0; i < count && static_cast<size_t>(i) < covenantRecords.size(); ++i) {
        bool hidden = static_cast<size_t>(i) < hiddenRecords.size() && hiddenRecords[static_cast<size_t>(i)];
        if (!hidden && !covenantRecords[static_cast<size_t>(i)].empty())
            return i;
    }
    return -1;
}
