// EventSystem -- event names and ids, the pool of event records, the queue and delivery to listeners.
#pragma once

#include "core/BaseClass.h"

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class Event;
class Listener;

class EventSystem : public BaseClass {
public:
    EventSystem();
    ~EventSystem() override;

    // Ids count from 0 in registration order; a name registered again keeps its id.
    int RegisterEvent(std::string_view name);
    // -1 for a name never registered; names are compared without regard to case.
    int FindEvent(std::string_view name) const;
    // The empty text for an id that was never handed out.
    const std::string& GetEventName(int eventId) const;

    // A cleared record from the pool, or a new one when the pool is empty.
    Event* AllocEvent();
    // AllocEvent with the id and its name filled in.
    Event* MakeEvent(int eventId);
    // Back to the pool unless the record is kept or already free.
    void FreeEvent(Event* event);
    // Makes free records until there are at least count in all, each with room for an
    // ordinary event's name, parameters and entities, so that a flow of up to that many
    // events at once takes every record from the pool and allocates nothing.
    void Reserve(size_t count);

    // A record already in the queue is not queued twice.
    void QueueEvent(Event* event);
    // Delivers each event queued before the call to the listeners entered for its id, then
    // frees it unless kept. Events queued by the handlers wait for the next call.
    void DispatchQueue();
    // Offers the event to each listener of the list in order, then frees it unless kept.
    void DispatchEvent(Event* event, const std::vector<Listener*>& listeners);

    // Enters a listener for an id's queued events, once. No listener of the game subscribes:
    // entities answer their events through their class's handler table.
    void AddListenerEntry(int eventId, Listener* listener);
    // Takes the listener out of every list, including a delivery under way.
    void RemoveListener(Listener* listener);

    size_t GetPooledCount() const { return pool.size(); }
    size_t GetRecordCount() const { return records.size(); }
    size_t GetQueuedCount() const { return queue.size(); }

private:
    void Deliver(Event& event, const std::vector<Listener*>& given);

    std::vector<std::string> names;
    std::vector<std::vector<Listener*>> listenersById;
    std::vector<std::unique_ptr<Event>> records;
    std::vector<Event*> pool;
    std::vector<Event*> queue;
    // The listener lists of deliveries under way; a listener destroyed by a handler is
    // blanked out of them so that it is not called after its death.
    std::vector<std::vector<Listener*>*> deliveries;
};

extern EventSystem* gEventSystem;
