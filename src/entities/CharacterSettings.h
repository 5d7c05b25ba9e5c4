// CharacterSettings -- the character record a joining client sends, read whole and checked before any of it reaches the player.
#pragma once

#include "rules/CharacterRecordLimits.h"
#include "rules/items/ItemPtrList.h"
#include "world/WorldPos.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class EntityQuest;
class Inventory;
class MessageBuffer;

// The record, in the order the client writes it:
//   int marker (0 new, else loaded); string name.
//   New: int class; with "UseNewCharSkillBonuses" an int count (0..60) of {int stat, int level};
//        int hardcore (character flag 65); int loner (flag 66).
//   Loaded: int maximum health (recomputed, so dropped); int health; int class; stats and
//        statistics each as a count and values; the inventory; six quest records; the character
//        flags (count, words); int same-world marker and, when set, the player gate and the
//        raid gate positions and the explored levels; int difficulty, uint world word; int
//        same-world marker and, when set, the flags of both saved gate lists and the party as
//        indices into the covenant's recruits, else the flags of the second list; int position
//        marker and, when set, a position; the skill gift record: an int count (even, at most
//        120) of words, {int level stat, int highest level given} each.
// Inventory and quests are the saved forms by index, read as file version 51.
struct CharacterSettings {
    static constexpr int32_t kRecordVersion = 51;
    static constexpr size_t kMaxNameBytes = 63;
    static constexpr int32_t kMaxSkillBonuses = 60;
    static constexpr int32_t kFirstSkillStat = CharacterRecordLimits::kFirstSkillStat;
    static constexpr int32_t kLastSkillStat = CharacterRecordLimits::kLastSkillStat;
    static constexpr int32_t kQuestSlots = 6;
    // Far above any covenant's recruits; a larger party list is corrupt.
    static constexpr int32_t kMaxRecruitIndex = 1024;

    CharacterSettings();
    ~CharacterSettings();
    CharacterSettings(const CharacterSettings&) = delete;
    CharacterSettings& operator=(const CharacterSettings&) = delete;

    // Reads and checks the whole record. gateRecords are the game's gates, one flag each in
    // each saved gate list; skillBonuses says whether a new character carries its skill bonus
    // pairs. False, with the reason logged, when the record is cut short or a value breaks its
    // bound.
    bool Read(MessageBuffer& buffer, bool skillBonuses, const ItemPtrList& gateRecords);

    bool loaded = false;
    std::string name;
    int32_t classIndex = -1;
    // New characters.
    std::vector<std::pair<int32_t, int32_t>> skillBonuses;  // {stat, level}
    bool hardcore = false;
    bool loner = false;
    // Loaded characters.
    int32_t health = 0;
    std::vector<int32_t> stats;
    std::vector<int32_t> statistics;
    std::unique_ptr<Inventory> inventory;
    // Null where the game makes no quest objects: that record was read past.
    std::array<std::unique_ptr<EntityQuest>, kQuestSlots> quests;
    std::vector<bool> characterFlags;
    bool gatesKept = false;
    WorldPos playerGate;
    WorldPos raidGate;
    std::vector<bool> exploredLevels;
    int32_t difficulty = 0;
    uint32_t worldWord = 0;
    bool partyKept = false;
    // The game's gates with the flags the record gives them.
    ItemPtrList firstGates;
    ItemPtrList secondGates;
    std::vector<int32_t> recruitIndices;
    bool hasPosition = false;
    WorldPos position;
    std::vector<std::pair<int32_t, int32_t>> skillGiftLevels;  // {level stat, level}

private:
    bool ReadNew(MessageBuffer& buffer, bool withSkillBonuses);
    bool ReadLoaded(MessageBuffer& buffer, const ItemPtrList& gateRecords);
    bool ReadQuests(MessageBuffer& buffer);
    bool ReadGates(MessageBuffer& buffer);
    bool ReadParty(MessageBuffer& buffer, const ItemPtrList& gateRecords);
    bool ReadSkillGiftLevels(MessageBuffer& buffer);
};
