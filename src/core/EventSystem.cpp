// EventSystem -- event names and ids, the pool of event records, the queue and delivery to listeners.
#include "core/EventSystem.h"

#include "core/Event.h"
#include "core/Listener.h"
#include "core/ScratchList.h"
#include "core/StringUtil.h"

#include <algorithm>

EventSystem* gEventSystem = nullptr;

EventSystem::EventSystem() = default;

EventSystem::~EventSystem()
{
    if (gEventSystem == this)
        gEventSystem = nullptr;
}

int EventSystem::RegisterEvent(std::string_view name)
{
    int existing = FindEvent(name);
    if (existing >= 0)
        return existing;
    names.emplace_back(name);
    listenersById.emplace_back();
    return static_cast<int>(names.size()) - 1;
}

int EventSystem::FindEvent(std::string_view name) const
{
    for (size_t i = 0; i < names.size(); ++i) {
        if (StringEqualsNoCase(names[i], name))
            return static_cast<int>(i);
    }
    return -1;
}

const std::string& EventSystem::GetEventName(int eventId) const
{
    static const std::string kNone;
    if (eventId < 0 || eventId >= static_cast<int>(names.size()))
        return kNone;
    return names[eventId];
}

Event* EventSystem::AllocEvent()
{
    Event* event;
    if (pool.empty()) {
        records.push_back(std::make_unique<Event>());
        event = records.back().get();
    } else {
        event = pool.back();
        pool.pop_back();
    }
    event->Clear();
    event->inUse = true;
    return event;
}

void EventSystem::Reserve(size_t count)
{
    // Room enough for every event the game sends: a few entities and numbers, a short name.
    constexpr size_t kNameRoom = 32;
    constexpr size_t kParamRoom = 64;
    records.reserve(count);
    pool.reserve(count);
    queue.reserve(count);
    while (records.size() < count) {
        auto event = std::make_unique<Event>();
        event->name.reserve(kNameRoom);
        event->params.Reserve(kParamRoom);
        pool.push_back(event.get());
        records.push_back(std::move(event));
    }
}

Event* EventSystem::MakeEvent(int eventId)
{
    Event* event = AllocEvent();
    event->id = eventId;
    event->name = GetEventName(eventId);
    return event;
}

void EventSystem::FreeEvent(Event* event)
{
    // A queued record is still owed its delivery; it is freed after it.
    if (!event || event->kept || !event->inUse || event->queued)
        return;
    event->Clear();
    event->inUse = false;
    pool.push_back(event);
}

void EventSystem::QueueEvent(Event* event)
{
    if (!event || event->queued || !event->inUse)
        return;
    event->queued = true;
    queue.push_back(event);
}

void EventSystem::DispatchQueue()
{
    // The queue's storage and a kept list's trade places, so that a steady flow of events,
    // one step's after another's and those their handlers queue, allocates nothing.
    ScratchList<Event*> due;
    due->swap(queue);
    for (Event* event : *due) {
        event->queued = false;
        bool known = event->id >= 0 && event->id < static_cast<int>(listenersById.size());
        if (known)
            Deliver(*event, listenersById[event->id]);
        FreeEvent(event);
    }
}

void EventSystem::DispatchEvent(Event* event, const std::vector<Listener*>& listeners)
{
    if (!event)
        return;
    Deliver(*event, listeners);
    FreeEvent(event);
}

void EventSystem::Deliver(Event& event, const std::vector<Listener*>& given)
{
    // A copy, which a listener destroyed by a handler is blanked out of.
    ScratchList<Listener*> listeners;
    listeners->assign(given.begin(), given.end());
    deliveries.push_back(&*listeners);
    for (Listener* listener : *listeners) {
        if (!listener)
            continue;
        // Every listener reads the parameters from the start.
        event.params.SetReadPos(0);
        listener->ObserveEvent(event);
        const EventHandler* handler = listener->FindEventHandler(event);
        if (!handler)
            continue;
        event.params.SetReadPos(0);
        (*handler)(*listener, event);
        event.handled = true;
    }
    deliveries.pop_back();
}

void EventSystem::AddListenerEntry(int eventId, Listener* listener)
{
    if (!listener || eventId < 0 || eventId >= static_cast<int>(listenersById.size()))
        return;
    std::vector<Listener*>& list = listenersById[eventId];
    if (std::find(list.begin(), list.end(), listener) == list.end())
        list.push_back(listener);
}

void EventSystem::RemoveListener(Listener* listener)
{
    for (std::vector<Listener*>& list : listenersById)
        list.erase(std::remove(list.begin(), list.end(), listener), list.end());
    for (std::vector<Listener*>* delivery : deliveries)
        std::replace(delivery->begin(), delivery->end(), listener, static_cast<Listener*>(nullptr));
}
