// TimedActionList -- the game's events waiting to be delivered to a listener (an entity, a trap) after a delay, counted down by the server's steps.
#pragma once

#include "core/SafePointer.h"

#include <cstdint>
#include <memory>
#include <vector>

class Event;
class Listener;

// Records stay in scheduling order. A record scheduled during a step is first counted down in
// the next one; cancelling only flags it done, so it is still found until the next purge and
// never delivered. Main thread only.
class TimedActionList {
public:
    TimedActionList() = default;
    ~TimedActionList();
    TimedActionList(const TimedActionList&) = delete;
    TimedActionList& operator=(const TimedActionList&) = delete;

    // The list owns the record from here on; delay in seconds. A target must also be a SafeClass
    // (every entity and trap is): one the list cannot watch for its end is refused and the
    // record goes back to the pool.
    void Schedule(Event* event, Listener* target, float delay);
    // Flags done every pending record of the event id for the target; true when any was still
    // pending (a second cancel finds nothing left to cancel).
    bool Cancel(int eventId, const Listener* target);
    // The first record of the event id for the target, cancelled or not; its scratch word is
    // cleared. Null when none.
    Event* Find(int eventId, const Listener* target) const;
    // Flags done every record for the target (it is leaving the game).
    void CancelFor(const Listener* target);
    // Every record back to the event pool (kept ones stay with their owners).
    void Clear();
    // Spare records made until there are at least count, so that as many actions waiting at
    // once make none.
    void Reserve(size_t count);
    // Purge, arm, then count down and deliver what fell due.
    void Update(float seconds);

    int32_t Count() const { return static_cast<int32_t>(records.size()); }
    int32_t CountPending() const;

private:
    struct Record {
        Event* event = nullptr;  // null once delivered
        // Set while the target lives; listener is only read then.
        SafePointer target;
        Listener* listener = nullptr;
        float delay = 0.0f;
        bool done = false;
        bool justScheduled = true;
    };

    void Deliver(Record& record);
    static bool IsFor(const Record& record, const Listener* target);
    // Records without an event go back to the spares, the rest keep their order.
    void Compact();
    static void Release(Event* event);

    // Held by pointer: a record never moves, so its safe pointer never registers again with its
    // target (which could allocate), and spent records are reused.
    std::vector<std::unique_ptr<Record>> records;
    std::vector<std::unique_ptr<Record>> spares;
};
