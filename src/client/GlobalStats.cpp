// GlobalStats -- the all-time statistics of every character played on this machine: one record per player and covenant, kept in "chars/global.sts", and the holder of each best value.
#include "client/GlobalStats.h"

#include "client/ClientApp.h"
#include "client/EntityClient.h"
#include "client/PlayerClient.h"
#include "client/PlayerCovenantClient.h"
#include "core/DebugSystem.h"
#include "core/EngineEnums.h"
#include "core/File.h"
#include "core/FileSystem.h"
#include "core/MessageBuffer.h"
#include "rules/GameData.h"

GlobalStats* gGlobalStats = nullptr;

namespace {

constexpr const char* kGlobalStatsPath = "chars/global.sts";
// The file's count word is trusted no further than the smallest record the bytes could hold:
// two empty names and two count words.
constexpr size_t kGlobalStatsMinRecordBytes = 10;
// The fun stats 8 to 15 hold remembered monsters in pairs: a type, then its packed kill word.
constexpr int32_t kGlobalStatsFirstMonster = 8;
constexpr int32_t kGlobalStatsLastMonster = 15;
int32_t GlobalStatsKillScore(const GlobalStats::Record& record, int32_t pair)
{
    if (!gGameData)
        return 0;
    // The second pair's score counts from the level its packed word remembers; the others from 1.
    int32_t startLevel = pair == 10 ? (record.funStats.Get(pair + 1) >> 16) & 0xFF : 1;
    return gGameData->GetKillScore(record.funStats, pair, startLevel);
}

} // namespace

// ---- The file ---------------------------------------------------------------------------------------

void GlobalStats::Load()
{
    if (!gFileSystem || !gFileSystem->FileExists(kGlobalStatsPath, kLocationUser))
        return;
    File* file = gFileSystem->Open(kGlobalStatsPath, kFileRead | kFileBinary, kLocationUser);
    if (!file)
        return;
    MessageBuffer buffer;
    bool read = gFileSystem->ReadIntoBuffer(file, buffer);
    gFileSystem->Close(file);
    if (!read) {
        DebugSystem::Print(kPrintWarning, "Couldn't read %s\n", kGlobalStatsPath);
        return;
    }
    uint32_t version = buffer.ReadUInt();
    buffer.SetReadPos(0);
    bool whole = Read(buffer, kGlobalStatsPath);
    // Mended: a later program's file was set aside and a file of this program's layout began in
    // its place; it is read in the counted form and left as it is, whatever this run learns.
    if (version > kVersion) {
        keepFile = true;
        DebugSystem::Print(kPrintWarning, "%s has version %u, newer than this program's %u: it is read and never written over\n",
                           kGlobalStatsPath, version, kVersion);
        return;
    }
    if (whole)
        return;
    // Mended: the next save wrote the records read before the damage over the whole file; and a
    // second damaged file took the name of the first, which was lost.
    std::string aside = gFileSystem->SetAsideUserFile(kGlobalStatsPath);
    if (!aside.empty()) {
        DebugSystem::Print(kPrintWarning, "%s kept aside as %s; the records begin again from what was read\n",
                           kGlobalStatsPath, aside.c_str());
        return;
    }
    keepFile = true;
    DebugSystem::Print(kPrintWarning, "Couldn't set %s aside; it is not written over\n", kGlobalStatsPath);
}

bool GlobalStats::Read(MessageBuffer& buffer, std::string_view path)
{
    uint32_t version = buffer.ReadUInt();
    int32_t count = buffer.ReadInt();
    if (buffer.Overrun()) {
        DebugSystem::Print(kPrintWarning, "%.*s is cut before its record count\n", static_cast<int>(path.size()),
                           path.data());
        return false;
    }
    for (int32_t i = 0; i < count; ++i) {
        size_t offset = buffer.GetReadPos();
        auto record = std::make_unique<Record>();
        if (buffer.BytesLeft() < kGlobalStatsMinRecordBytes || !ReadRecord(buffer, version, *record)) {
            DebugSystem::Print(kPrintWarning, "%.*s: record %d at offset %zu is not whole; the records before it are kept\n",
                               static_cast<int>(path.size()), path.data(), i, offset);
            return false;
        }
        records.push_back(std::move(record));
    }
    return true;
}

bool GlobalStats::ReadRecord(MessageBuffer& buffer, uint32_t version, Record& out)
{
    out.player = buffer.ReadString();
    out.covenant = buffer.ReadString();
    if (buffer.Overrun())
        return false;
    if (version >= kVersion)
        return out.stats.Read(buffer) && out.funStats.Read(buffer);
    return out.stats.ReadValues(buffer, PlayerClient::BareStatCount(static_cast<int32_t>(version))) &&
           out.funStats.ReadValues(buffer, PlayerClient::BareFunStatCount(static_cast<int32_t>(version)));
}

void GlobalStats::Write(MessageBuffer& buffer) const
{
    buffer.WriteUInt(kVersion);
    buffer.WriteInt(static_cast<int32_t>(records.size()));
    for (const auto& record : records) {
        buffer.WriteString(record->player);
        buffer.WriteString(record->covenant);
        record->stats.Write(buffer);
        record->funStats.Write(buffer);
    }
}

bool GlobalStats::Save() const
{
    if (!gFileSystem)
        return false;
    if (keepFile) {
        DebugSystem::Print(kPrintDeveloper, "%s is left as it is: the records of this run are not written\n",
                           kGlobalStatsPath);
        return false;
    }
    MessageBuffer buffer;
    Write(buffer);
    File* file = gFileSystem->Open(kGlobalStatsPath, kFileWrite | kFileBinary, kLocationUser);
    if (!file) {
        DebugSystem::Print(kPrintWarning, "Couldn't open %s for writing\n", kGlobalStatsPath);
        return false;
    }
    if (!gFileSystem->WriteBuffer(file, buffer)) {
        gFileSystem->Abandon(file);
        DebugSystem::Print(kPrintWarning, "Couldn't write %s; the old one is kept\n", kGlobalStatsPath);
        return false;
    }
    if (!gFileSystem->Close(file)) {
        DebugSystem::Print(kPrintWarning, "Couldn't replace %s; the old one is kept\n", kGlobalStatsPath);
        return false;
    }
    return true;
}

// ---- Records ----------------------------------------------------------------------------------------

GlobalStats::Record& GlobalStats::FindOrAddRecord(std::string_view player, std::string_view covenant,
                                                  const IntArray& stats, const IntArray& funStats)
{
    for (const auto& record : records)
        if (record->player == player && record->covenant == covenant)
            return *record;
    auto record = std::make_unique<Record>();
    record->player = player;
    record->covenant = covenant;
    record->stats.CopyFrom(stats);
    record->funStats.CopyFrom(funStats);
    records.push_back(std::move(record));
    return *records.back();
}

GlobalStats::Record* GlobalStats::FindLocalRecord()
{
    PlayerClient* player = gClientApp ? gClientApp->GetLocalPlayer() : nullptr;
    PlayerCovenantClient* covenant = gClientApp ? gClientApp->GetPlayerCovenant() : nullptr;
    if (!player || !covenant)
        return nullptr;
    return &FindOrAddRecord(player->characterName, covenant->GetName(), player->stats, player->funStats);
}

void GlobalStats::TakeLocalPlayer()
{
    Record* record = FindLocalRecord();
    if (!record)
        return;
    const PlayerClient& player = *gClientApp->GetLocalPlayer();
    record->stats.CopyFrom(player.stats);
    record->funStats.CopyFrom(player.funStats);
    SetOtherStat(StatOtherIndex::Dps, player.GetDpsHundredths());
    if (const EntityClient* body = player.GetBody())
        SetOtherStat(kOtherMaxHealth, body->maxHealth);
    SetOtherStat(StatOtherIndex::EquipmentWorth, player.GetBagValue(InventoryGroupIndex::Equipment));
    SetOtherStat(StatOtherIndex::InventoryWorth, player.GetCarriedValue());
}

void GlobalStats::SetOtherStat(int32_t index, int32_t value)
{
    if (Record* record = FindLocalRecord())
        record->otherStats.Set(index, value);
}

// ---- Best values ------------------------------------------------------------------------------------

int32_t GlobalStats::Value(const Record& record, int32_t group, int32_t stat)
{
    const IntArray& list = group == kGroupCharacter ? record.stats : group == kGroupFun ? record.funStats : record.otherStats;
    return stat >= 0 && stat < list.GetCount() ? list.Get(stat) : 0;
}

bool GlobalStats::IsBetter(const Record& later, const Record& holder, int32_t group, int32_t stat)
{
    if (group == kGroupCharacter && stat == CharacterStat::Level) {
        int32_t a = Value(later, group, stat);
        int32_t b = Value(holder, group, stat);
        return a > b || (a == b && Value(later, group, CharacterStat::Xp) > Value(holder, group, CharacterStat::Xp));
    }
    if (group == kGroupFun && stat == 4) {
        int32_t a = Value(later, group, 5);
        int32_t b = Value(holder, group, 5);
        return a > b || (a == b && Value(later, group, 4) > Value(holder, group, 4));
    }
    if (group == kGroupFun && stat >= kGlobalStatsFirstMonster && stat <= kGlobalStatsLastMonster) {
        int32_t pair = stat & ~1;
        int32_t s = GlobalStatsKillScore(later, pair);
        int32_t h = GlobalStatsKillScore(holder, pair);
        if (pair == 8)
            return s > h;
        // The last pair remembers the weakest monster worth a score: the smallest above 0 holds.
        if (pair == 14)
            return s > 0 && (s < h || h == 0);
        return s > 0 && s > h;
    }
    return Value(later, group, stat) > Value(holder, group, stat);
}

std::string GlobalStats::MakeLabel(const Record& record)
{
    std::string label = record.player + " (";
    std::string className = gGameData ? gGameData->GetCharacterClassDisplayName(record.stats.Get(CharacterStat::Class))
                                      : std::string();
    if (!className.empty())
        label += className + " $$JournalFrom$$ ";
    return label + record.covenant + ")";
}

GlobalStats::Holder GlobalStats::GetRecordHolder(int32_t group, int32_t stat) const
{
    const Record* holder = nullptr;
    for (const auto& record : records)
        if (!holder || IsBetter(*record, *holder, group, stat))
            holder = record.get();
    if (!holder)
        return {};
    return {MakeLabel(*holder), Value(*holder, group, stat), holder};
}

bool GlobalStats::AllowsChallenges() const
{
    return LevelOpensChallenges(GetRecordHolder(kGroupCharacter, CharacterStat::Level).value);
}
