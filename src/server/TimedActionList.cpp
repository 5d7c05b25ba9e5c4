// TimedActionList -- the game's events waiting to be delivered to a listener (an entity, a trap) after a delay, counted down by the server's steps.
#include "server/TimedActionList.h"

#include "core/Event.h"
#include "core/EventSystem.h"
#include "core/Listener.h"
#include "core/SafeClass.h"

#include <algorithm>

namespace {
// Delays are sums of float steps: one that ends within this of a step boundary is due at that
// boundary rather than a whole step late.
constexpr float kTimedActionDueTolerance = 1e-4f;
} // namespace

TimedActionList::~TimedActionList()
{
    Clear();
}

void TimedActionList::Release(Event* event)
{
    if (event && gEventSystem)
        gEventSystem->FreeEvent(event);
}

bool TimedActionList::IsFor(const Record& record, const Listener* target)
{
    return record.target.Get() && record.listener == target;
}

void TimedActionList::Schedule(Event* event, Listener* target, float delay)
{
    if (!event)
        return;
    auto* watched = dynamic_cast<SafeClass*>(target);
    if (target && !watched) {
        Release(event);
        return;
    }
    std::unique_ptr<Record> record;
    if (spares.empty()) {
        record = std::make_unique<Record>();
    } else {
        record = std::move(spares.back());
        spares.pop_back();
    }
    record->event = event;
    record->target.Set(watched);
    record->listener = target;
    record->delay = delay;
    record->done = false;
    record->justScheduled = true;
    records.push_back(std::move(record));
}

bool TimedActionList::Cancel(int eventId, const Listener* target)
{
    bool any = false;
    for (auto& record : records) {
        if (record->event && !record->done && record->event->id == eventId && IsFor(*record, target)) {
            record->done = true;
            any = true;
        }
    }
    return any;
}

Event* TimedActionList::Find(int eventId, const Listener* target) const
{
    for (const auto& record : records) {
        if (record->event && record->event->id == eventId && IsFor(*record, target)) {
            record->event->scratch = 0;
            return record->event;
        }
    }
    return nullptr;
}

void TimedActionList::CancelFor(const Listener* target)
{
    if (!target)
        return;
    for (auto& record : records)
        if (IsFor(*record, target))
            record->done = true;
}

void TimedActionList::Clear()
{
    // Taken out first: releasing a record may run code that looks at the list.
    std::vector<std::unique_ptr<Record>> old;
    old.swap(records);
    for (auto& record : old)
        Release(record->event);
}

void TimedActionList::Reserve(size_t count)
{
    records.reserve(count);
    spares.reserve(count);
    while (records.size() + spares.size() < count)
        spares.push_back(std::make_unique<Record>());
}

int32_t TimedActionList::CountPending() const
{
    return static_cast<int32_t>(
        std::count_if(records.begin(), records.end(), [](const auto& record) { return record->event && !record->done; }));
}

void TimedActionList::Deliver(Record& record)
{
    Event* event = record.event;
    record.event = nullptr;
    record.done = true;
    Listener* target = record.target.Get() ? record.listener : nullptr;
    record.target.Clear();
    record.listener = nullptr;
    if (target) {
        if (const EventHandler* handler = target->FindEventHandler(*event)) {
            event->scratch = 0;
            event->params.SetReadPos(0);
            (*handler)(*target, *event);
        }
    }
    Release(event);
}

void TimedActionList::Compact()
{
    size_t kept = 0;
    for (size_t i = 0; i < records.size(); ++i) {
        if (records[i]->event) {
            records[kept++] = std::move(records[i]);
        } else {
            records[i]->target.Clear();
            records[i]->listener = nullptr;
            spares.push_back(std::move(records[i]));
        }
    }
    records.resize(kept);
}

void TimedActionList::Update(float seconds)
{
    for (auto& record : records) {
        if (record->done && record->event) {
            Release(record->event);
            record->event = nullptr;
        }
    }
    Compact();
    for (auto& record : records)
        record->justScheduled = false;
    // By index: a handler may append records (they wait for the next step) or cancel others.
    for (size_t i = 0; i < records.size(); ++i) {
        Record& record = *records[i];
        if (record.justScheduled || !record.event)
            continue;
        record.delay -= seconds;
        if (record.delay <= kTimedActionDueTolerance && !record.done)
            Deliver(record);
    }
    Compact();
}
