// PlayerCovenantClient -- the covenant's block in the character file (every version since the first) and the global inventory "Chars/global.sav", each read whole and applied only when sound.
#include "client/PlayerCovenantClient.h"

#include "client/InventoryClient.h"
#include "core/DebugSystem.h"
#include "core/FileSystem.h"
#include "core/MessageBuffer.h"

namespace {

// Files before these versions gave the covenant no name of its own.
constexpr const char* kPlayerCovenantOldName = "Test";

} // namespace

// ---- The character file's block ----------------------------------------------------------------------

void PlayerCovenantClient::WriteSaved(MessageBuffer& buffer) const
{
    buffer.WriteInt(GetRecruitSlots());
    for (const auto& recruit : recruits) {
        if (recruit) {
            recruit->Write(buffer);
        } else {
            RecruitClient none;
            none.Write(buffer);
        }
    }
    buffer.WriteInt(GetHomeHealth());
    buffer.WriteInt(GetHomeMaxHealth());
    buffer.WriteInt(statistics.Get(CovenantStat::Money));
    buffer.WriteString(name);
    buffer.WriteInt(storedIndices[0]);
    buffer.WriteInt(storedIndices[1]);
    trackedTotals.Write(buffer);
    statistics.Write(buffer);
}

bool PlayerCovenantClient::ParseSavedRecruit(MessageBuffer& buffer, int32_t version, int32_t slot,
                                             SavedStaging& out) const
{
    auto recruit = std::make_unique<RecruitClient>();
    if (!recruit->Read(version, buffer))
        return false;
    // A slot past this game's slots, or one naming no creature, is read and left empty.
    if (slot < GetRecruitSlots() && recruit->definitionEntry != -1)
        out.recruits[static_cast<size_t>(slot)] = std::move(recruit);
    return true;
}

bool PlayerCovenantClient::ParseSavedRecruits(MessageBuffer& buffer, int32_t version, SavedStaging& out) const
{
    out.recruits.clear();
    out.recruits.resize(recruits.size());
    if (version < kSavedSlotsVersion || version >= kSavedSlotCountVersion) {
        // Each record takes at least its name's NUL byte.
        int32_t count = 0;
        if (!buffer.ReadCount(count, 1) || count > RecruitBase::kMaxListEntries ||
            (version >= kSavedSlotCountVersion && count > GetRecruitSlots())) {
            DebugSystem::Print(kPrintWarning, "The covenant's block holds %d recruit slots\n", count);
            return false;
        }
        for (int32_t slot = 0; slot < count; ++slot)
            if (!ParseSavedRecruit(buffer, version, slot, out))
                return false;
        return true;
    }
    for (int32_t slot = 0; slot < kOldSavedSlots; ++slot) {
        bool present = buffer.ReadBool();
        if (buffer.Overrun())
            return false;
        if (present && !ParseSavedRecruit(buffer, version, slot, out))
            return false;
    }
    return true;
}

bool PlayerCovenantClient::ParseBlock(MessageBuffer& buffer, int32_t version)
{
    SavedStaging& s = savedStaging;
    if (!ParseSavedRecruits(buffer, version, s))
        return false;
    s.health = buffer.ReadInt();
    s.maxHealth = buffer.ReadInt();
    s.money = buffer.ReadInt();
    s.name = version < kSavedNameVersion ? std::string(kPlayerCovenantOldName) : buffer.ReadString();
    s.indices = {-1, -1};
    if (version >= kSavedIndicesVersion) {
        s.indices[0] = buffer.ReadInt();
        s.indices[1] = buffer.ReadInt();
    }
    s.hasLists = version >= kSavedNameVersion;
    s.totals.Clear();
    s.statistics.Clear();
    if (s.hasLists && !buffer.Overrun()) {
        bool read = version >= kSavedCountedListsVersion
                        ? s.totals.Read(buffer) && s.statistics.Read(buffer)
                        : s.totals.ReadValues(buffer, kTrackedValues) &&
                              s.statistics.ReadValues(buffer, CovenantStat::kCount);
        if (!read)
            return false;
    }
    if (buffer.Overrun()) {
        DebugSystem::Print(kPrintWarning, "The covenant's block (version %d) is cut short\n", version);
        return false;
    }
    return true;
}

void PlayerCovenantClient::ApplyBlock()
{
    SavedStaging& s = savedStaging;
    for (size_t slot = 0; slot < recruits.size() && slot < s.recruits.size(); ++slot)
        recruits[slot] = std::move(s.recruits[slot]);
    SetHomeMaxHealth(s.maxHealth);
    SetHomeHealth(std::min(s.health, s.maxHealth));
    // A file with the statistics list holds the money there too, as it stood when saved.
    statistics.Set(CovenantStat::Money, s.money);
    if (s.hasLists) {
        trackedTotals.CopyFrom(s.totals);
        statistics.CopyFrom(s.statistics);
    }
    name = std::move(s.name);
    storedIndices = s.indices;
    loaded = true;
}

bool PlayerCovenantClient::ReadSaved(MessageBuffer& buffer, int32_t version)
{
    if (!ParseBlock(buffer, version))
        return false;
    ApplyBlock();
    return true;
}

// ---- The global inventory -----------------------------------------------------------------------------

bool PlayerCovenantClient::LoadGlobalInventory()
{
    File* file = gFileSystem ? gFileSystem->Open(kGlobalInventoryPath, kFileRead | kFileBinary) : nullptr;
    if (!file)
        return false;
    MessageBuffer buffer;
    bool read = gFileSystem->ReadIntoBuffer(file, buffer);
    gFileSystem->Close(file);
    int32_t version = read ? buffer.ReadInt() : 0;
    auto loadedInventory = std::make_unique<InventoryClient>();
    if (!read || buffer.Overrun() || !loadedInventory->Read(buffer, true, version)) {
        DebugSystem::Print(kPrintWarning, "Couldn't read %s\n", kGlobalInventoryPath);
        return false;
    }
    inventory = std::move(loadedInventory);
    hasInventory = true;
    return true;
}
