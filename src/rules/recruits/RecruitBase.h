// RecruitBase -- the saved and sent part of an NPC that joined a covenant: its record, stats, inventory, enhancements and skills.
#pragma once

#include "core/BaseClass.h"
#include "rules/IntArray.h"

#include <cstdint>
#include <memory>
#include <vector>

class InventoryBase;
class MessageBuffer;

// Database references are kept as entry ids and stored by entry name, so a record survives a
// reordering of the database; a name the database no longer holds reads back as -1.
class RecruitBase : public BaseClass {
public:
    static constexpr int32_t kStatCount = 114;
    // Record versions at which the form changed: the definition by name instead of by id, and
    // the stats with their count word.
    static constexpr int32_t kVersionNamedDefinition = 38;
    static constexpr int32_t kVersionCountedStats = 50;
    // No recruit has more enhancements or skills than this; a longer list is a corrupt record.
    static constexpr int32_t kMaxListEntries = 1024;

    RecruitBase();
    // Frees the inventory.
    ~RecruitBase() override;
    RecruitBase(const RecruitBase&) = delete;
    RecruitBase& operator=(const RecruitBase&) = delete;

    // The definition's name, the stats with their count, the inventory by name (an empty one
    // without an inventory), the enhancement names with their count, extraValue, the skill
    // names with their count.
    virtual void Write(MessageBuffer& buffer);
    // The same fields as a record of that version wrote them (the inventory by name from
    // kVersionNamedDefinition on). A record that is cut short, holds a refused count or an
    // unreadable inventory gives false; the fields other than the inventory are then left as
    // they were. Without an inventory the saved one is read and dropped.
    virtual bool Read(int32_t version, MessageBuffer& buffer);

    int32_t GetNumIds() const { return static_cast<int32_t>(idList.size()); }
    // -1 for i outside the list.
    int32_t GetId(int32_t i) const;
    // How many stat values a record of that version holds without a count word.
    static int32_t GetStoredStatCount(int32_t version);

    IntArray stats;
    std::unique_ptr<InventoryBase> inventory;  // made by the derived class
    std::vector<int32_t> entryList;      // the creature's monster enhancements
    std::vector<int32_t> idList;         // its skills, -1 for one without a record
    int32_t definitionEntry = -1;        // its own record
    uint32_t extraValue = 0;             // its name seed
};
