// QuestWorld -- what a quest asks of the world it runs in: level picks, level flags, level names and level records.
#pragma once

#include <cstdint>
#include <string>

class DatabaseEntry;

// The world implements this; the quest reaches it through QuestBase::GetWorld, so the rules
// never depend on the world's own classes. Levels are world level indices; every call takes
// any index and answers an index outside 0..GetLevelCount()-1 with the neutral value named.
class QuestWorld {
public:
    virtual ~QuestWorld() = default;

    // False until the world's levels have been generated.
    virtual bool IsReady() const = 0;
    virtual int32_t GetLevelCount() const = 0;
    // The level's flag: set for a level below ground. False outside the list.
    virtual bool IsLevelFlagSet(int32_t level) const = 0;
    // Empty outside the list.
    virtual std::string GetLevelName(int32_t level) const = 0;
    // The level this one lies under; -1 when it lies under none, or outside the list.
    virtual int32_t GetLinkedLevel(int32_t level) const = 0;
    // The level of boss quest slot 1 to 4; -1 for none.
    virtual int32_t GetBossLevel(int32_t slot) const = 0;
    // A level for a quest of that level, chosen with the roll in [0, 1); -1 when none fits.
    virtual int32_t PickQuestLevel(int32_t questLevel, float roll, bool aboveGroundOnly) const = 0;
    // The first level built from that area record; -1 when none is.
    virtual int32_t FindLevelOfArea(const DatabaseEntry* area) const = 0;
    // The record of the level's area definition, whose "QuestItemName" names the level's quest
    // item; null without one.
    virtual const DatabaseEntry* GetLevelAreaEntry(int32_t level) const = 0;
    // The item record that counts as the level's quest item; null without one.
    virtual const DatabaseEntry* GetLevelItemEntry(int32_t level) const = 0;
};
