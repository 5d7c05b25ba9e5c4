// TimedActionList -- the game's events waiting to be delivered to an entity after a delay, counted down by the server's steps.
#include "server/TimedActionList.h"

#include "core/Event.h"
#include "core/EventSystem.h"
#include "entities/Entity.h"

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

void TimedActionList::Schedule(Event* event, Entity* target, float delay)
{
    if (!event)
        return;
    std::unique_ptr<Record> record;
    if (spares.empty()) {
        record = std::make_unique<Record>();
    } else {
        record = std::move(spares.back());
        spares.pop_back();
    }
    record->event = event;
    record->target.Set(target);
    record->delay = delay;
    record->done = false;
    record->justScheduled = true;
    records.push_back(std::move(record));
}

bool TimedActionList::Cancel(int eventId, const Entity* target)
{
    bool any = false;
    for (auto& record : records) {
        if (record->event && !record->done && record->event->id == eventId && record->target.Get() == target) {
            record->done = true;
            any = true;
        }
    }
    return any;
}

Event* TimedActionList::Find(int eventId, const Entity* target) const
{
    for (const auto& record : records) {
        if (record->event && record->event->id == eventId && record->target.Get() == target) {
            record->event->scratch = 0;
            return record->event;
        }
    }
    return nullptr;
}

void TimedActionList::CancelFor(const Entity* target)
{
    if (!target)
        return;
    for (auto& record : records)
        if (record->target.Get() == target)
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
    auto* target = record.target.GetAs<Entity>();
    record.target.Clear();
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
