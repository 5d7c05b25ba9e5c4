// TypeRegistry -- the listener class tree: each class's name, base, factory and event-handler table.
#include "core/TypeRegistry.h"

#include "core/DebugSystem.h"
#include "core/StringUtil.h"

TypeRegistry* gTypeRegistry = nullptr;

TypeRegistry::TypeRegistry()
{
    RegisterType("Listener", "", nullptr, nullptr);
}

EventClass* TypeRegistry::RegisterType(std::string_view name, std::string_view baseName,
                                       EventClass::CreateFunction create, EventClass::DestroyFunction destroy)
{
    if (EventClass* existing = FindType(name))
        return existing;
    EventClass* base = nullptr;
    if (!baseName.empty()) {
        base = FindType(baseName);
        if (!base)
            DebugSystem::Print(kPrintError, "Unknown base class %.*s for class %.*s\n",
                               static_cast<int>(baseName.size()), baseName.data(),
                               static_cast<int>(name.size()), name.data());
    }
    types.push_back(std::make_unique<EventClass>(name, base, create, destroy));
    return types.back().get();
}

EventClass* TypeRegistry::FindType(std::string_view name) const
{
    for (const auto& type : types) {
        if (StringEqualsNoCase(type->GetName(), name))
            return type.get();
    }
    return nullptr;
}
