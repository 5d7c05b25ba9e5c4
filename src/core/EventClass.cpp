// EventClass -- one class's table of event handlers, falling back to its base class's table.
#include "core/EventClass.h"

EventClass::EventClass(std::string_view name, EventClass* base, CreateFunction create, DestroyFunction destroy)
    : name(name), base(base), create(create), destroy(destroy)
{
}

void EventClass::SetHandler(int eventId, EventHandler handler)
{
    handlers[eventId] = std::move(handler);
}

const EventHandler* EventClass::FindHandler(int eventId) const
{
    for (const EventClass* table = this; table; table = table->base) {
        auto found = table->handlers.find(eventId);
        if (found != table->handlers.end())
            return &found->second;
    }
    return nullptr;
}
