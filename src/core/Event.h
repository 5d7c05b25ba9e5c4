// Event -- one pooled event record: its id and name, its parameters and the entities it names.
#pragma once

#include "core/BaseClass.h"
#include "core/MessageBuffer.h"
#include "core/SafeClass.h"

#include <cstdint>
#include <deque>
#include <string>

class Event : public BaseClass {
public:
    // Empties the record for its next use; the pool calls it on every hand-out.
    void Clear();

    // Appends the entity to the record's entity list and its index (-1 for none) to the
    // parameters, so that reads and writes of entities interleave with the other values.
    void WriteEntity(SafeClass* entity);
    // The entity of the next parameter index; null for an index outside the list, for a read
    // past the end of the parameters and for an entity destroyed since it was written.
    SafeClass* ReadEntity();

    int id = -1;
    std::string name;
    MessageBuffer params;
    // Set once some listener had a handler for the event.
    bool handled = false;
    // A kept record stays with its owner after delivery instead of returning to the pool.
    bool kept = false;
    // Free for the owner's own bookkeeping.
    int32_t scratch = 0;

private:
    friend class EventSystem;

    // A deque never moves its elements, so each pointer's registration with its target stays put.
    std::deque<SafePointer> entities;
    bool inUse = false;
    bool queued = false;
};
