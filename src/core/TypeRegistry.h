// TypeRegistry -- the listener class tree: each class's name, base, factory and event-handler table.
#pragma once

#include "core/BaseClass.h"
#include "core/EventClass.h"

#include <memory>
#include <string_view>
#include <vector>

class TypeRegistry : public BaseClass {
public:
    // "Listener", the root every listener class derives from, exists from the start.
    TypeRegistry();

    // Registering a name again returns its existing table unchanged. A base that is not
    // registered yet is logged and left out, so the class still gets a table of its own.
    EventClass* RegisterType(std::string_view name, std::string_view baseName,
                             EventClass::CreateFunction create, EventClass::DestroyFunction destroy);
    // Null for a name never registered; names are compared without regard to case.
    EventClass* FindType(std::string_view name) const;

private:
    std::vector<std::unique_ptr<EventClass>> types;
};

extern TypeRegistry* gTypeRegistry;
