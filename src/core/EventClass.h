// EventClass -- one class's table of event handlers, falling back to its base class's table.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>

class BaseClass;
class Event;
class Listener;

using EventHandler = std::function<void(Listener& listener, Event& event)>;

class EventClass {
public:
    using CreateFunction = BaseClass* (*)();
    using DestroyFunction = void (*)(BaseClass* object);

    EventClass(std::string_view name, EventClass* base, CreateFunction create, DestroyFunction destroy);

    const std::string& GetName() const { return name; }
    EventClass* GetBase() const { return base; }

    // A later handler for the same id replaces the earlier one.
    void SetHandler(int eventId, EventHandler handler);
    // This class's own handler first, then each base class's in turn; null when none has one.
    const EventHandler* FindHandler(int eventId) const;

private:
    std::string name;
    EventClass* base;
    // Recorded with the class; nothing makes objects by class name yet.
    [[maybe_unused]] CreateFunction create;
    [[maybe_unused]] DestroyFunction destroy;
    std::unordered_map<int, EventHandler> handlers;
};
