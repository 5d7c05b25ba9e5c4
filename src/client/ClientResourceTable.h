// ClientResourceTable -- the client's copy of the world host's resource name table: each slot's name and the client's own handle of it, named by model indices and sound slots.
#pragma once

#include "resources/ResourceHandle.h"
#include "world/NetMessages.h"

#include <cstdint>
#include <string>
#include <vector>

class ClientResourceTable {
public:
    struct Slot {
        ResourceHandle handle;
        std::string name;
    };

    // Whether every entry names a slot the host can name: -1 and the host's bound are refused.
    static bool AreValid(const std::vector<NetResourceEntry>& entries);
    // Stores each name (loading it when there is a resource manager); a slot past the end
    // grows the table. Entries must have passed AreValid.
    void Apply(const std::vector<NetResourceEntry>& entries);
    void Clear() { slots.clear(); }

    // Null outside the table.
    const Slot* Find(int32_t index) const;
    // The empty name outside the table.
    const std::string& GetName(int32_t index) const;
    size_t GetSize() const { return slots.size(); }

private:
    std::vector<Slot> slots;
};
