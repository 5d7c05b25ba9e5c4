// RecruitClient -- the client's mirror of one recruit of the player's covenant: its record in the covenant part of each update, the block the join settings carry back, and the name the world shows for it.
#pragma once

#include "rules/recruits/RecruitBase.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class MessageBuffer;

// The saved form is RecruitBase's Write and Read (entries by name); the two forms here carry
// entry ids and the stats without their count word, as the world host reads and writes them.
class RecruitClient : public RecruitBase {
public:
    RecruitClient();

    // The block of the join settings: record, stats, inventory, enhancements, name seed, skills.
    void WriteSettings(MessageBuffer& buffer) const;
    // The update's block, which carries the entity number besides. False, the recruit
    // unchanged, for a cut block or a refused list count; the name is refreshed after a read.
    bool ReadUpdate(MessageBuffer& buffer);
    // Takes over the record another recruit read (its name stays its own), then refreshes the name.
    void TakeRecord(RecruitClient& read);
    // Takes the display name of the recruit's entity when the client holds it and the name is
    // empty or was taken from another name seed.
    void RefreshName();

    // The recruit's entity in the world, -1 while it is not there.
    int32_t entityNumber = -1;
    // Set by the covenant before an update names its recruits; one left set was not named.
    bool stale = false;
    std::string displayName;
    // The name seed of the entity the name was taken from; -1 for none.
    int64_t nameStamp = -1;

private:
    // What ReadUpdate reads before it takes it, kept with its room (and the inventory with its
    // items) for the next update's record of the recruit.
    IntArray readStats;
    std::unique_ptr<InventoryBase> readInventory;
    std::vector<int32_t> readEntries;
    std::vector<int32_t> readIds;
};
