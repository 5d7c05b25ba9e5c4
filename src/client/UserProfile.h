// UserProfile -- one player's record across characters and adventures: name, difficulty, unlocks, bought skill upgrades, the adventures won and the bestiary counts, kept in "chars/<name>.usr".
#pragma once

#include "core/EngineEnums.h"
#include "rules/IntArray.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class DatabaseEntry;
class MessageBuffer;
class PlayerClient;

// Main thread only. Reads the game database (gDatabase), the game data's tuning (gGameData),
// the user vars and the file system's user folder.
class UserProfile {
public:
    static constexpr int32_t kFileVersion = 51;
    static constexpr int32_t kStatCount = CharacterStat::Num;
    static constexpr int32_t kFunStatCount = CharacterFunStat::kCount;

    struct AdventureRecord {
        const DatabaseEntry* adventure = nullptr;
        IntArray statsMin{kStatCount};
        IntArray statsMax{kStatCount};
        IntArray funStatsMin{kFunStatCount};
        IntArray funStatsMax{kFunStatCount};
        std::vector<std::string> classes;
    };
    struct BestiaryCount {
        int32_t id = -1;  // the monster archetype record's id
        int32_t count = 0;
    };

    // The one rule every profile name passes, so that a name is its file's base name: not empty,
    // at most 63 bytes, no '.', '/', '\\' or control byte, no leading blank.
    static bool IsValidUserName(std::string_view name);
    // "chars/<name>.usr" in the user folder, the name lower-cased as the character files' are.
    static std::string MakeProfilePath(std::string_view name);
    // Checks the user var "NewUserName"; a refusal sets "LastError" to the reason's key and
    // "LastErrorField" to that var's name. The name of a damaged profile file is free while a
    // name beside it is free to keep the file aside (KeepDamagedFileAside, when it is made); it
    // only checks, and moves nothing.
    static bool ValidateNewUserName();
    // The profile file of the base, when it exists and does not load, renamed "<file>.bad"
    // (".bad2" and on beside earlier ones). False (logged, and "LastError" says why, about
    // "NewUserName") when a damaged file stays in place: nothing may be written over it.
    static bool KeepDamagedFileAside(std::string_view base);

    void Clear();
    // Name from "NewUserName", difficulty from "UserDifficultyLevel".
    void InitFromUserVars();
    // Written whole through a temporary file to the file it was loaded from (or made for); false
    // with a warning when it did not land (the old file is kept) or it has no file.
    bool Save() const;
    // An empty name means the user var "UserName". The file is read whole into a new profile
    // and taken only when every part of it was there; a damaged file is refused with a warning
    // naming the file and the offset, and this profile is left as it was. The profile keeps that
    // file whatever name it holds; a name that is no file name is warned of.
    bool Load(std::string_view name);
    // Parses the bytes of a profile file into out (a fresh profile); false, with the byte
    // offset of the fault, when the data ends or a count cannot fit.
    static bool Parse(MessageBuffer& buffer, UserProfile& out, size_t& faultAt);
    void Write(MessageBuffer& buffer) const;

    const std::string& GetName() const { return name; }
    // The base name of its file ("chars/<base>.usr"); empty before it has one.
    const std::string& GetFileBase() const { return fileBase; }
    // What loads this profile again: its name when that leads to its file, else the file's base.
    std::string GetFileName() const;
    int32_t GetDifficulty() const { return difficulty; }

    // ---- Unlocks ----------------------------------------------------------------------------------
    bool HasUnlock(std::string_view unlock) const;
    // Appends to the unlocks and, when it was new, to the new unlocks; whether it was new.
    bool AddUnlock(std::string_view unlock);
    std::string FindUnlockByPrefix(std::string_view prefix) const;
    void RemoveUnlock(std::string_view unlock);
    bool IsNewUnlock(std::string_view unlock) const;
    bool NewUnlockContains(std::string_view text) const;
    const std::vector<std::string>& GetUnlocks() const { return unlocks; }
    const std::vector<std::string>& GetNewUnlocks() const { return newUnlocks; }
    // The report of the profile's new unlocks (the menus show it), appended to out.
    static void BuildUnlockReport(std::string& out, const UserProfile& profile);
    // A game starts: the unlocks the last one brought are no longer new.
    void ClearNewUnlocks() { newUnlocks.clear(); }
    // Each won adventure's "UnlockOnWin" names not yet held.
    void GrantUnlocksForWins();

    // ---- Adventure records ----------------------------------------------------------------------
    int32_t GetRecordCount() const { return static_cast<int32_t>(records.size()); }
    const AdventureRecord* FindRecord(const DatabaseEntry* adventure) const;
    int32_t FindRecordIndex(const DatabaseEntry* adventure) const;
    int32_t FindRecordIndexByName(std::string_view adventureName) const;
    bool RecordHasClass(int32_t index, std::string_view className) const;
    int32_t GetRecordStat(int32_t index, int32_t stat, bool useMax, bool normal) const;
    int32_t SumRecordStat(int32_t stat, bool useMax, bool normal) const;
    // -1 with no records.
    int32_t BestRecordStat(int32_t stat, bool useMax, bool normal) const;
    // The trophy names are "Bronze", "Silver" and "Gold"; an empty next trophy has no upper limit.
    bool IsInTrophyBand(int32_t index, std::string_view trophy, std::string_view nextTrophy) const;
    int32_t GetTrophyPoints(std::string_view adventureName) const;
    // The player's win of the named adventure: its record made or widened, the class noted, the
    // trophy points gained added, then saved. Nothing for an adventure that is not official.
    void RecordAdventureWin(const PlayerClient& player, std::string_view adventureName);

    // ---- Bestiary and upgrades -------------------------------------------------------------------
    // The monster at that database id counted under its archetype; a monster that leads to no
    // archetype is not counted (one warning).
    void RecordKill(int32_t monsterId) { Count(kills, monsterId); }
    void RecordDeath(int32_t monsterId) { Count(deaths, monsterId); }
    int32_t GetKillCount(std::string_view monsterName) const { return FindCount(kills, monsterName); }
    int32_t GetDeathCount(std::string_view monsterName) const { return FindCount(deaths, monsterName); }
    int32_t GetUpgrade(int32_t index) const { return upgrades.Get(index); }
    // One upgrade of the skill (tree, index) of the menus' display-only player, paid from the
    // unspent trophy points; runs "updateFakePlayer" and saves.
    void IncreaseSkill(PlayerClient& player, int32_t tree, int32_t index);
    // The trophy points the next upgrade of the skill (tree, index) costs; -1 when the player has
    // no such skill or its level follows a stat, which no upgrade raises.
    int32_t GetUpgradeCost(const PlayerClient& player, int32_t tree, int32_t index) const;

private:
    static void Count(std::vector<BestiaryCount>& list, int32_t monsterId);
    static int32_t FindCount(const std::vector<BestiaryCount>& list, std::string_view monsterName);
    static void WriteCounts(MessageBuffer& buffer, const std::vector<BestiaryCount>& list);
    static bool ReadCounts(MessageBuffer& buffer, std::vector<BestiaryCount>& list);
    static bool ReadRecord(MessageBuffer& buffer, int32_t version, UserProfile& out);
    static bool ReadStatArrays(MessageBuffer& buffer, int32_t version, AdventureRecord& record);
    void WidenRecord(AdventureRecord& record, const PlayerClient& player, bool fresh);

    std::string name;
    std::string fileBase;
    int32_t difficulty = WorldDifficultyLevel::Normal;
    std::vector<std::string> unlocks;
    std::vector<std::string> newUnlocks;
    IntArray upgrades{kStatCount};
    std::vector<AdventureRecord> records;
    std::vector<BestiaryCount> kills;
    std::vector<BestiaryCount> deaths;
};
