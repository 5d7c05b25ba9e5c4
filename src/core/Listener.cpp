// Listener -- an object that receives named events through its class's handler table.
#include "core/Listener.h"

#include "core/Event.h"
#include "core/EventSystem.h"
#include "core/TypeRegistry.h"

Listener::~Listener()
{
    if (gEventSystem)
        gEventSystem->RemoveListener(this);
}

EventClass* Listener::GetEventClass() const
{
    return gTypeRegistry ? gTypeRegistry->FindType("Listener") : nullptr;
}

const EventHandler* Listener::FindEventHandler(const Event& event) const
{
    EventClass* table = GetEventClass();
    return table ? table->FindHandler(event.id) : nullptr;
}

void Listener::Subscribe(EventClass* table, int eventId, EventHandler handler)
{
    if (table)
        table->SetHandler(eventId, std::move(handler));
}
