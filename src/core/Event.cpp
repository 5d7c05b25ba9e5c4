// Event -- one pooled event record: its id and name, its parameters and the entities it names.
#include "core/Event.h"

void Event::Clear()
{
    id = -1;
    name.clear();
    params.Clear();
    entities.clear();
    handled = false;
    kept = false;
    scratch = 0;
}

void Event::WriteEntity(SafeClass* entity)
{
    if (!entity) {
        params.WriteInt(-1);
        return;
    }
    params.WriteInt(static_cast<int32_t>(entities.size()));
    entities.emplace_back();
    entities.back().Set(entity);
}

SafeClass* Event::ReadEntity()
{
    int32_t index = params.ReadInt();
    // A read past the end gives 0, which must not name the first entity.
    if (params.Overrun() || index < 0 || index >= static_cast<int32_t>(entities.size()))
        return nullptr;
    return entities[static_cast<size_t>(index)].Get();
}
