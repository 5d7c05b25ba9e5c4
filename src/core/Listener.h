// Listener -- an object that receives named events through its class's handler table.
#pragma once

#include "core/EventClass.h"

// A mix-in beside the class's real base: it does not derive from BaseClass, so an entity
// that is also a SafeClass keeps a single BaseClass.
class Listener {
public:
    Listener() = default;
    // Leaves every event list it was entered in, so a queued event never reaches it.
    virtual ~Listener();
    Listener(const Listener&) = delete;
    Listener& operator=(const Listener&) = delete;

    // The table of the object's most derived listener class; the root "Listener" table here.
    virtual EventClass* GetEventClass() const;
    // Every event delivered to the object, handled by its class or not, before its handler;
    // the parameters' read position is at the start.
    virtual void ObserveEvent(Event&) {}
    // The handler of the event's id in the object's class, else in the nearest base class.
    const EventHandler* FindEventHandler(const Event& event) const;

    // Does nothing when the table does not exist (its class was never registered).
    static void Subscribe(EventClass* table, int eventId, EventHandler handler);

    // Enters a member handler of a listener class: static_cast is sound because the
    // table of a class is only ever asked for by objects of that class or below.
    template <class T>
    static void Subscribe(EventClass* table, int eventId, void (T::*member)(Event&))
    {
        Subscribe(table, eventId, [member](Listener& listener, Event& event) {
            (static_cast<T&>(listener).*member)(event);
        });
    }
};
