// GlobalStats -- the all-time statistics of every character played on this machine: one record per player and covenant, kept in "chars/global.sts", and the holder of each best value.
#pragma once

#include "rules/IntArray.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class MessageBuffer;

// Main thread only. One per process, behind gGlobalStats; records are only ever added.
class GlobalStats {
public:
    static constexpr uint32_t kVersion = 50;
    static constexpr int32_t kCharacterStats = 114;
    static constexpr int32_t kFunStats = 29;
    static constexpr int32_t kOtherStats = 13;
    // The other stat that holds the body's maximum health.
    static constexpr int32_t kOtherMaxHealth = 1;
    // Groups of GetRecordHolder: the character stats, the fun stats; any other is the other stats.
    static constexpr int32_t kGroupCharacter = 5;
    static constexpr int32_t kGroupFun = 6;

    struct Record {
        std::string player;
        std::string covenant;
        IntArray stats{kCharacterStats};
        IntArray funStats{kFunStats};
        IntArray otherStats{kOtherStats};
    };

    struct Holder {
        // Empty with no records.
        std::string label;
        int32_t value = 0;
        // The holder's whole record, for a value shown with the one beside it; null with no records.
        const Record* record = nullptr;
    };

    // "chars/global.sts" from the user folder; a missing file leaves no records. A cut or
    // hostile file keeps the records read whole before the fault, with a warning naming the file
    // and the offset; that file is set aside as "chars/global.sts.bad" (".bad2" and on when
    // earlier ones hold those names), so that no later save writes over it. A file of a newer
    // version is read in the counted form and left where it is: no save writes over it.
    void Load();
    // Version 50, counted form, written whole through a temporary file; false (logged, the old
    // file kept) when it was not, or when the file loaded is not to be written over.
    bool Save() const;
    // The records of the buffer appended; false at the first record that is not whole. Every
    // version from 50 on is read in the counted form.
    bool Read(MessageBuffer& buffer, std::string_view path);
    void Write(MessageBuffer& buffer) const;

    // The record of the player and covenant label (both compared exactly); a new one takes a
    // copy of the two stat lists and other stats of 0.
    Record& FindOrAddRecord(std::string_view player, std::string_view covenant, const IntArray& stats,
                            const IntArray& funStats);
    // After each player part: the local player's record (added when missing) takes its stat
    // lists, its damage per second (x 100), its body's maximum health, its equipment's worth and
    // its carried worth; nothing without a local player and its covenant mirror.
    void TakeLocalPlayer();
    // One other stat of the local player's record (added when missing); nothing without a local
    // player and its covenant mirror, or for an index outside the list.
    void SetOtherStat(int32_t index, int32_t value);
    // The first record holds until a later one is better; the label names the holder, its class
    // and its covenant.
    Holder GetRecordHolder(int32_t group, int32_t stat) const;
    // The hardcore and loner challenges open once any character of the profile has reached
    // kChallengeLevel; LevelOpensChallenges is that gate for a best level read elsewhere (the
    // screens read it through their view).
    static constexpr int32_t kChallengeLevel = 25;
    static bool LevelOpensChallenges(int32_t bestLevel) { return bestLevel >= kChallengeLevel; }
    bool AllowsChallenges() const;

    const std::vector<std::unique_ptr<Record>>& GetRecords() const { return records; }

private:
    Record* FindLocalRecord();
    static bool ReadRecord(MessageBuffer& buffer, uint32_t version, Record& out);
    static int32_t Value(const Record& record, int32_t group, int32_t stat);
    static bool IsBetter(const Record& later, const Record& holder, int32_t group, int32_t stat);
    static std::string MakeLabel(const Record& record);

    std::vector<std::unique_ptr<Record>> records;
    // The file loaded is a newer program's, or a damaged one that could not be set aside.
    bool keepFile = false;
};

extern GlobalStats* gGlobalStats;
