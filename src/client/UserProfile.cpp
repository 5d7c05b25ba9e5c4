// UserProfile -- one player's record across characters and adventures: name, difficulty, unlocks, bought skill upgrades, the adventures won and the bestiary counts, kept in "chars/<name>.usr".
#include "client/UserProfile.h"

#include "client/PlayerClient.h"
#include "core/CommandSystem.h"
#include "core/Database.h"
#include "core/DatabaseEntry.h"
#include "core/DebugSystem.h"
#include "core/FileSystem.h"
#include "core/LocSystem.h"
#include "core/MessageBuffer.h"
#include "core/StringUtil.h"
#include "core/UserVarSystem.h"
#include "rules/GameData.h"
#include "rules/skills/SkillBase.h"
#include "rules/skills/SkillDefinition.h"

#include <algorithm>
#include <utility>

namespace {

// A skill's hot-bar slot, which is also its CharacterStat entry (Skill1..Skill60).
int32_t UserProfileSkillSlot(int32_t tree, int32_t index)
{
    return tree * kSkillsPerTree + index + CharacterStat::Skill1;
}

constexpr size_t kUserProfileMaxNameBytes = 63;

// The smallest stored record of any version: a name's NUL.
constexpr size_t kUserProfileMinRecordBytes = 1;
// A bestiary entry: a name's NUL and its count word.
constexpr size_t kUserProfileCountBytes = 5;

const DatabaseEntry* UserProfileFindEntry(std::string_view name)
{
    return gDatabase ? gDatabase->FindEntryByName(name) : nullptr;
}

bool UserProfileListHolds(const std::vector<std::string>& list, std::string_view text)
{
    return std::any_of(list.begin(), list.end(), [&](const std::string& entry) { return StringEqualsNoCase(entry, text); });
}

bool UserProfileListHoldsExactly(const std::vector<std::string>& list, std::string_view text)
{
    return std::find(list.begin(), list.end(), text) != list.end();
}

} // namespace

// ---- Names ------------------------------------------------------------------------------------------

bool UserProfile::IsValidUserName(std::string_view name)
{
    if (name.empty() || name.size() > kUserProfileMaxNameBytes || name.front() == ' ')
        return false;
    return std::none_of(name.begin(), name.end(), [](char c) {
        return c == '.' || c == '/' || c == '\\' || static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
    });
}

std::string UserProfile::MakeProfilePath(std::string_view name)
{
    return MakeFilePath("chars", CharacterFileBase(name), "usr");
}

bool UserProfile::ValidateNewUserName()
{
    if (!gUserVarSystem)
        return false;
    std::string wanted = gUserVarSystem->GetStringByName("NewUserName");
    const char* error = nullptr;
    if (wanted.empty())
        error = "$$ErrorUserNameEmpty$$";
    else if (!IsValidUserName(wanted))
        error = "$$ErrorUserNameInvalid$$";
    else if (gFileSystem && gFileSystem->FileExists(MakeProfilePath(wanted), kLocationUser)) {
        // "newUser" keeps a damaged file of the name aside; with no name left for it, the file
        // would stay in the way, and the screen that asks is the one that can say so.
        if (UserProfile().Load(wanted))
            error = "$$ErrorUserNameUsed$$";
        else if (gFileSystem->FindAsideName(MakeProfilePath(wanted)).empty())
            error = "$$ErrorUserNameDamaged$$";
    }
    // The refusal is about the name's field: typing there takes it away.
    if (error)
        gUserVarSystem->SetLastError(error, "NewUserName");
    return error == nullptr;
}

// Mended: a damaged profile kept its name from every new profile for good; a new one of that name
// now takes the name, and the damaged file is kept aside rather than written over.
bool UserProfile::KeepDamagedFileAside(std::string_view base)
{
    std::string path = MakeProfilePath(base);
    if (!gFileSystem || !gFileSystem->FileExists(path, kLocationUser) || UserProfile().Load(base))
        return true;
    std::string aside = gFileSystem->SetAsideUserFile(path);
    if (aside.empty()) {
        DebugSystem::Print(kPrintWarning, "Couldn't set %s aside; it is not written over\n", path.c_str());
        if (gUserVarSystem)
            gUserVarSystem->SetLastError("$$ErrorUserNameDamaged$$", "NewUserName");
        return false;
    }
    DebugSystem::Print(kPrintWarning, "%s kept aside as %s\n", path.c_str(), aside.c_str());
    return true;
}

std::string UserProfile::GetFileName() const
{
    // The profile's own name whenever it leads to this file, so that the screens name it as it is.
    return IsValidUserName(name) && CharacterFileBase(name) == fileBase ? name : fileBase;
}

void UserProfile::Clear()
{
    unlocks.clear();
    records.clear();
    kills.clear();
    deaths.clear();
}

void UserProfile::InitFromUserVars()
{
    if (!gUserVarSystem)
        return;
    name = gUserVarSystem->GetStringByName("NewUserName");
    fileBase = IsValidUserName(name) ? CharacterFileBase(name) : std::string();
    difficulty = GetWorldDifficultyLevelByName(gUserVarSystem->GetStringByName("UserDifficultyLevel"));
}

// ---- Writing ----------------------------------------------------------------------------------------

void UserProfile::WriteCounts(MessageBuffer& buffer, const std::vector<BestiaryCount>& list)
{
    buffer.WriteInt(static_cast<int32_t>(list.size()));
    for (const BestiaryCount& entry : list) {
        const DatabaseEntry* record = gDatabase ? gDatabase->GetEntryByIndex(entry.id) : nullptr;
        buffer.WriteString(record ? record->GetName() : std::string_view());
        buffer.WriteInt(entry.count);
    }
}

void UserProfile::Write(MessageBuffer& buffer) const
{
    buffer.WriteInt(kFileVersion);
    buffer.WriteString(name);
    buffer.WriteInt(difficulty);
    buffer.WriteStringList(unlocks);
    upgrades.Write(buffer);
    buffer.WriteInt(static_cast<int32_t>(records.size()));
    for (const AdventureRecord& record : records) {
        buffer.WriteString(record.adventure ? record.adventure->GetName() : std::string_view());
        record.statsMin.Write(buffer);
        record.statsMax.Write(buffer);
        record.funStatsMin.Write(buffer);
        record.funStatsMax.Write(buffer);
        buffer.WriteStringList(record.classes);
    }
    WriteCounts(buffer, kills);
    WriteCounts(buffer, deaths);
}

bool UserProfile::Save() const
{
    if (fileBase.empty() || !gFileSystem) {
        DebugSystem::Print(kPrintWarning, "Couldn't save the profile %s\n", name.c_str());
        return false;
    }
    MessageBuffer buffer;
    Write(buffer);
    // Mended: the profile was written to the file its stored name makes, so a copy saved over the
    // profile it was copied from.
    bool landed = WriteBufferToFile(MakeProfilePath(fileBase), buffer);
    // A save that did not land used to pass unnoticed; the old file is still whole.
    if (!landed)
        DebugSystem::Print(kPrintWarning, "Couldn't save the profile %s; the old file is kept\n", name.c_str());
    return landed;
}

// ---- Reading ----------------------------------------------------------------------------------------

bool UserProfile::Load(std::string_view wanted)
{
    std::string fileName(wanted);
    if (fileName.empty() && gUserVarSystem)
        fileName = gUserVarSystem->GetStringByName("UserName");
    if (!IsValidUserName(fileName) || !gFileSystem)
        return false;
    std::string path = MakeProfilePath(fileName);
    File* file = gFileSystem->Open(path, kFileRead | kFileBinary, kLocationUser);
    if (!file)
        return false;
    MessageBuffer buffer;
    bool read = gFileSystem->ReadIntoBuffer(file, buffer);
    gFileSystem->Close(file);
    UserProfile loaded;
    size_t faultAt = 0;
    if (!read || !Parse(buffer, loaded, faultAt)) {
        DebugSystem::Print(kPrintWarning, "Profile %s is damaged at byte %zu; it is not loaded\n", path.c_str(),
                           faultAt);
        return false;
    }
    loaded.fileBase = CharacterFileBase(fileName);
    // Such a name would save nowhere (or somewhere else): the profile keeps its own file.
    if (!IsValidUserName(loaded.name))
        DebugSystem::Print(kPrintWarning, "Profile %s is named \"%s\", which is no file name; it is saved to its own file\n",
                           path.c_str(), loaded.name.c_str());
    *this = std::move(loaded);
    GrantUnlocksForWins();
    return true;
}

bool UserProfile::Parse(MessageBuffer& buffer, UserProfile& out, size_t& faultAt)
{
    faultAt = buffer.GetReadPos();
    int32_t version = std::min(buffer.ReadInt(), kFileVersion);
    out.name = buffer.ReadString();
    out.difficulty = version >= 49 ? buffer.ReadInt() : 1;
    if (buffer.Overrun())
        return false;
    faultAt = buffer.GetReadPos();
    if (!buffer.ReadStringList(out.unlocks))
        return false;
    faultAt = buffer.GetReadPos();
    bool upgradesRead = version >= 50 ? out.upgrades.Read(buffer)
                        : version >= 48 ? out.upgrades.ReadValues(buffer, kStatCount)
                                        : true;
    if (!upgradesRead)
        return false;
    if (version >= 42) {
        faultAt = buffer.GetReadPos();
        int32_t count = 0;
        if (!buffer.ReadCount(count, kUserProfileMinRecordBytes))
            return false;
        for (int32_t i = 0; i < count; ++i) {
            faultAt = buffer.GetReadPos();
            if (!ReadRecord(buffer, version, out))
                return false;
        }
    }
    if (version >= 51) {
        faultAt = buffer.GetReadPos();
        if (!ReadCounts(buffer, out.kills))
            return false;
        faultAt = buffer.GetReadPos();
        if (!ReadCounts(buffer, out.deaths))
            return false;
    }
    return !buffer.Overrun();
}

bool UserProfile::ReadRecord(MessageBuffer& buffer, int32_t version, UserProfile& out)
{
    AdventureRecord record;
    std::string adventureName = buffer.ReadString();
    if (version <= 43)
        buffer.ReadInt();
    if (buffer.Overrun())
        return false;
    if (version >= 44 && !ReadStatArrays(buffer, version, record))
        return false;
    if (version >= 45 && !buffer.ReadStringList(record.classes))
        return false;
    // An adventure the database no longer holds is dropped; the rest of the file still counts.
    record.adventure = UserProfileFindEntry(adventureName);
    if (record.adventure)
        out.records.push_back(std::move(record));
    return true;
}

bool UserProfile::ReadStatArrays(MessageBuffer& buffer, int32_t version, AdventureRecord& record)
{
    if (version >= 50)
        return record.statsMin.Read(buffer) && record.statsMax.Read(buffer) && record.funStatsMin.Read(buffer) &&
               record.funStatsMax.Read(buffer);
    int32_t funCount = version <= 45 ? 25 : 28;
    return record.statsMin.ReadValues(buffer, kStatCount) && record.statsMax.ReadValues(buffer, kStatCount) &&
           record.funStatsMin.ReadValues(buffer, funCount) && record.funStatsMax.ReadValues(buffer, funCount);
}

bool UserProfile::ReadCounts(MessageBuffer& buffer, std::vector<BestiaryCount>& list)
{
    int32_t count = 0;
    if (!buffer.ReadCount(count, kUserProfileCountBytes))
        return false;
    for (int32_t i = 0; i < count; ++i) {
        std::string monster = buffer.ReadString();
        int32_t value = buffer.ReadInt();
        if (buffer.Overrun())
            return false;
        if (const DatabaseEntry* record = UserProfileFindEntry(monster))
            list.push_back({record->GetId(), value});
    }
    return true;
}

// ---- Unlocks ----------------------------------------------------------------------------------------

bool UserProfile::HasUnlock(std::string_view unlock) const
{
    return UserProfileListHolds(unlocks, unlock);
}

bool UserProfile::AddUnlock(std::string_view unlock)
{
    if (UserProfileListHoldsExactly(unlocks, unlock))
        return false;
    unlocks.emplace_back(unlock);
    newUnlocks.emplace_back(unlock);
    return true;
}

std::string UserProfile::FindUnlockByPrefix(std::string_view prefix) const
{
    for (auto it = unlocks.rbegin(); it != unlocks.rend(); ++it)
        if (StringStartsWithNoCase(*it, prefix))
            return *it;
    return {};
}

void UserProfile::RemoveUnlock(std::string_view unlock)
{
    auto it = std::find(unlocks.begin(), unlocks.end(), unlock);
    if (it != unlocks.end())
        unlocks.erase(it);
}

bool UserProfile::IsNewUnlock(std::string_view unlock) const
{
    return UserProfileListHolds(newUnlocks, unlock);
}

bool UserProfile::NewUnlockContains(std::string_view text) const
{
    return std::any_of(newUnlocks.begin(), newUnlocks.end(),
                       [&](const std::string& entry) { return entry.find(text) != std::string::npos; });
}

void UserProfile::GrantUnlocksForWins()
{
    std::vector<std::string> names;
    for (const AdventureRecord& record : records) {
        record.adventure->GetStringList("UnlockOnWin", names, true, false);
        for (const std::string& unlock : names)
            AddUnlock(unlock);
    }
}

// ---- Adventure records ------------------------------------------------------------------------------

const UserProfile::AdventureRecord* UserProfile::FindRecord(const DatabaseEntry* adventure) const
{
    int32_t index = FindRecordIndex(adventure);
    return index < 0 ? nullptr : &records[static_cast<size_t>(index)];
}

int32_t UserProfile::FindRecordIndex(const DatabaseEntry* adventure) const
{
    for (size_t i = 0; i < records.size(); ++i)
        if (adventure && records[i].adventure == adventure)
            return static_cast<int32_t>(i);
    return -1;
}

int32_t UserProfile::FindRecordIndexByName(std::string_view adventureName) const
{
    return FindRecordIndex(UserProfileFindEntry(adventureName));
}

bool UserProfile::RecordHasClass(int32_t index, std::string_view className) const
{
    if (index < 0 || index >= GetRecordCount())
        return false;
    return UserProfileListHolds(records[static_cast<size_t>(index)].classes, className);
}

int32_t UserProfile::GetRecordStat(int32_t index, int32_t stat, bool useMax, bool normal) const
{
    if (index < 0 || index >= GetRecordCount())
        return 0;
    const AdventureRecord& record = records[static_cast<size_t>(index)];
    if (normal)
        return (useMax ? record.statsMax : record.statsMin).Get(stat);
    return (useMax ? record.funStatsMax : record.funStatsMin).Get(stat);
}

int32_t UserProfile::SumRecordStat(int32_t stat, bool useMax, bool normal) const
{
    int64_t sum = 0;
    for (int32_t i = 0; i < GetRecordCount(); ++i)
        sum += GetRecordStat(i, stat, useMax, normal);
    return static_cast<int32_t>(std::clamp<int64_t>(sum, INT32_MIN, INT32_MAX));
}

int32_t UserProfile::BestRecordStat(int32_t stat, bool useMax, bool normal) const
{
    if (records.empty())
        return -1;
    int32_t best = GetRecordStat(0, stat, useMax, normal);
    for (int32_t i = 1; i < GetRecordCount(); ++i) {
        int32_t value = GetRecordStat(i, stat, useMax, normal);
        best = useMax ? std::max(best, value) : std::min(best, value);
    }
    return best;
}

bool UserProfile::IsInTrophyBand(int32_t index, std::string_view trophy, std::string_view nextTrophy) const
{
    if (index < 0 || index >= GetRecordCount() || !records[static_cast<size_t>(index)].adventure)
        return false;
    const AdventureRecord& record = records[static_cast<size_t>(index)];
    int32_t score = record.statsMax.Get(CharacterStat::Score);
    int32_t low = record.adventure->GetInt(std::string(trophy) + "TrophyMinScore");
    int32_t high = nextTrophy.empty() ? 0 : record.adventure->GetInt(std::string(nextTrophy) + "TrophyMinScore") - 1;
    return score >= low && (high < 1 || score <= high);
}

int32_t UserProfile::GetTrophyPoints(std::string_view adventureName) const
{
    if (!gGameData)
        return 0;
    const GameSystemTuning& tuning = gGameData->GetTuning();
    int32_t index = FindRecordIndexByName(adventureName);
    if (IsInTrophyBand(index, "Bronze", "Silver"))
        return tuning.bronzeTrophyPoints;
    if (IsInTrophyBand(index, "Silver", "Gold"))
        return tuning.silverTrophyPoints;
    if (IsInTrophyBand(index, "Gold", ""))
        return tuning.goldTrophyPoints;
    return 0;
}

void UserProfile::WidenRecord(AdventureRecord& record, const PlayerClient& player, bool fresh)
{
    auto widen = [fresh](IntArray& low, IntArray& high, const IntArray& seen, int32_t count) {
        for (int32_t i = 0; i < count; ++i) {
            int32_t value = seen.Get(i);
            if (fresh || value < low.Get(i))
                low.Set(i, value);
            if (fresh || value > high.Get(i))
                high.Set(i, value);
        }
    };
    widen(record.statsMin, record.statsMax, player.stats, kStatCount);
    widen(record.funStatsMin, record.funStatsMax, player.funStats, kFunStatCount);
}

void UserProfile::RecordAdventureWin(const PlayerClient& player, std::string_view adventureName)
{
    const DatabaseEntry* adventure = UserProfileFindEntry(adventureName);
    if (!adventure || adventure->GetInt("OfficialAdventure") == 0)
        return;
    int32_t before = GetTrophyPoints(adventure->GetName());
    int32_t index = FindRecordIndex(adventure);
    bool fresh = index < 0;
    if (fresh) {
        records.emplace_back().adventure = adventure;
        index = GetRecordCount() - 1;
    }
    AdventureRecord& record = records[static_cast<size_t>(index)];
    WidenRecord(record, player, fresh);
    std::string className = gGameData ? gGameData->GetCharacterClassName(player.stats.Get(CharacterStat::Class)) : "";
    const DatabaseEntry* classRecord = className.empty() ? nullptr : UserProfileFindEntry(className);
    if (classRecord && classRecord->GetInt("OfficialClass") != 0 && !UserProfileListHolds(record.classes, className))
        record.classes.emplace_back(classRecord->GetName());
    int32_t gain = GetTrophyPoints(adventure->GetName()) - before;
    if (gain > 0)
        upgrades.Add(CharacterStat::SkillPointsLeft, gain);
    Save();
}

// ---- Bestiary and upgrades --------------------------------------------------------------------------

void UserProfile::Count(std::vector<BestiaryCount>& list, int32_t monsterId)
{
    const DatabaseEntry* monster = gDatabase ? gDatabase->GetEntryByIndex(monsterId) : nullptr;
    if (monster) {
        std::string base = monster->GetString("BaseMonsterType");
        if (!base.empty())
            monster = UserProfileFindEntry(base);
    }
    const DatabaseEntry* archetype = monster ? UserProfileFindEntry(monster->GetString("Archetype")) : nullptr;
    // A monster that leads to no archetype would be counted under a key no name finds again.
    if (!archetype) {
        DebugSystem::Print(kPrintWarning, "Monster %d has no archetype; not counted in the profile\n", monsterId);
        return;
    }
    auto it = std::find_if(list.begin(), list.end(),
                           [&](const BestiaryCount& entry) { return entry.id == archetype->GetId(); });
    if (it == list.end())
        it = list.insert(list.end(), BestiaryCount{archetype->GetId(), 0});
    ++it->count;
}

int32_t UserProfile::FindCount(const std::vector<BestiaryCount>& list, std::string_view monsterName)
{
    const DatabaseEntry* record = UserProfileFindEntry(monsterName);
    if (!record)
        return 0;
    for (const BestiaryCount& entry : list)
        if (entry.id == record->GetId())
            return entry.count;
    return 0;
}

int32_t UserProfile::GetUpgradeCost(const PlayerClient& player, int32_t tree, int32_t index) const
{
    const SkillBase* skill = player.GetSkillList().FindSkill(tree, index);
    // A skill whose level follows a stat ignores its upgrade count: a free upgrade of it was
    // recorded and changed nothing.
    if (!skill || !skill->definition || skill->definition->statReq != CharacterStat::None)
        return -1;
    return skill->GetCostForLevel(upgrades.Get(UserProfileSkillSlot(tree, index)));
}

void UserProfile::IncreaseSkill(PlayerClient& player, int32_t tree, int32_t index)
{
    if (!player.displayOnly)
        return;
    int32_t cost = GetUpgradeCost(player, tree, index);
    if (cost < 0 || upgrades.Get(CharacterStat::SkillPointsLeft) < cost)
        return;
    upgrades.Add(UserProfileSkillSlot(tree, index), 1);
    upgrades.SubtractFloored(CharacterStat::SkillPointsLeft, cost);
    if (gCommandSystem)
        gCommandSystem->Execute("updateFakePlayer");
    Save();
}

void UserProfile::BuildUnlockReport(std::string& out, const UserProfile& profile)
{
    if (profile.GetNewUnlocks().empty()) {
        out += "$$NoNewUnlocks$$\n";
        return;
    }
    for (const std::string& unlock : profile.GetNewUnlocks()) {
        const DatabaseEntry* record = gDatabase ? gDatabase->FindEntryByName(unlock) : nullptr;
        if (!record && gDatabase)
            record = gDatabase->FindEntryByName(unlock, "Unlock");
        if (!record)
            continue;
        switch (record->GetType()) {
        case DatabaseEntryType::MonsterArchetype:
            out += MakeLocToken("BeastiaryEntryUnlock", "%s", record->GetString("ArchetypeName").c_str());
            break;
        case DatabaseEntryType::Adventure:
            out += MakeLocToken("NextAdventureUnlock", "%s", record->GetString("Name").c_str());
            break;
        case DatabaseEntryType::Unlock:
            if (ContainsNoCase(record->GetString("UnlockName"), "award"))
                out += MakeLocToken("AwardUnlock", "%s", record->GetString("UnlockName").c_str());
            break;
        case DatabaseEntryType::Class:
            out += MakeLocToken("ClassUnlock", "%s %s", record->GetString("PlayerName").c_str(),
                                record->GetString("Name").c_str());
            break;
        default:
            continue;
        }
        out += "\n";
    }
}
