// PlayerClient -- the character file "chars/<name>.chr": written whole and atomically, read whole (every version since the first) and applied only when all of it is sound.
#include "client/PlayerClient.h"

#include "client/CharacterCovenantBlock.h"
#include "core/DebugSystem.h"
#include "core/FileSystem.h"
#include "core/MessageBuffer.h"
#include "render/TextEvents.h"
#include "rules/CharacterFlags.h"
#include "rules/CharacterRecordLimits.h"

#include <cmath>

namespace {

// A quick-use record is four words; before this version the fourth was not saved.
constexpr int32_t kPlayerFileQuickUseWords = 4;
constexpr int32_t kPlayerFileFourthQuickUseWord = 20;
// Far more quick-use records than the interface has slots; more is a corrupt file.
constexpr int32_t kPlayerFileMaxQuickUse = 1024;
// The versions where a field appears or changes its form.
constexpr int32_t kPlayerFilePartyVersion = 3;
constexpr int32_t kPlayerFileMessageLogVersion = 17;
constexpr int32_t kPlayerFileItemSetVersion = 25;
constexpr int32_t kPlayerFileFlagsVersion = 26;
constexpr int32_t kPlayerFileCountedStatsVersion = 50;
// The first version whose covenant block carries its own byte count.
constexpr int32_t kPlayerFileCountedBlockVersion = 52;
// The first version whose message log carries its own byte count: a damaged log costs only itself.
constexpr int32_t kPlayerFileCountedLogVersion = 53;
// The first version that ends with the host's record of the skill levels whose gifts were had.
constexpr int32_t kPlayerFileSkillGiftsVersion = 54;
constexpr int32_t kPlayerFileFacings = 8;

// The text events read a message log; a log they would refuse is not kept.
bool PlayerFileLogReadable(MessageBuffer& log, int32_t version)
{
    TextEvents reader;
    return reader.LoadTextEvents(log, version, Vector2{});
}

bool PlayerFileFinite(const WorldPos& where)
{
    return std::isfinite(where.x) && std::isfinite(where.y);
}

} // namespace

int32_t PlayerClient::BareStatCount(int32_t version)
{
    if (version >= 43)
        return 114;
    if (version >= 41)
        return 113;
    return version >= 13 ? 112 : 111;
}

int32_t PlayerClient::BareFunStatCount(int32_t version)
{
    if (version >= 46)
        return 28;
    if (version >= 34)
        return 25;
    if (version >= 29)
        return 24;
    return version >= 23 ? 19 : 17;
}

// The file as read, kept aside until all of it has been read.
struct PlayerClient::CharacterRecord {
    int32_t version = 0;
    std::string name;
    int32_t maxHealth = 0;
    int32_t health = 0;
    int32_t worldDifficulty = 0;
    uint32_t worldWord = 0;
    WorldPos returnPoint;
    WorldPos secondPoint;
    IntArray stats{CharacterStat::kCount};
    IntArray funStats{CharacterFunStat::kCount};
    InventoryClient inventory;
    int32_t itemSet = 0;
    std::vector<std::array<int32_t, 4>> quickUse;
    std::array<size_t, kQuestSlots> questAt{};
    std::vector<bool> hintsSeen;
    ItemPtrList gates{false};
    ItemPtrList secondList{true};
    std::vector<bool> discoveredLevels;
    std::vector<bool> characterFlags;
    std::vector<int32_t> partyRecruitIndices;
    std::vector<int32_t> skillGiftLevels;
    bool covenantBlockRead = false;
    MessageBuffer messageLog;
    WorldPos position;
    int32_t facing = 0;
};

std::string PlayerClient::CharacterFilePath(std::string_view base, std::string_view ending)
{
    return MakeFilePath(kCharacterFolder, base, ending);
}

// ---- Writing ---------------------------------------------------------------------------------------

void PlayerClient::WriteCharacter(MessageBuffer& buffer) const
{
    const EntityClient* shown = GetBody();
    buffer.WriteInt(kFileVersion);
    buffer.WriteString(characterName);
    buffer.WriteInt(shown ? shown->maxHealth : maxHealth);
    buffer.WriteInt(shown ? shown->health : health);
    buffer.WriteInt(worldDifficulty);
    buffer.WriteUInt(worldWord);
    WriteWorldPos(buffer, returnPoint);
    WriteWorldPos(buffer, WorldPos{-1, 0.0f, 0.0f, true});
    stats.Write(buffer);
    funStats.Write(buffer);
    // The opened-container bag mirrors what the player looked into (a vendor's goods): never
    // the character's own, so never kept with it.
    inventory->Write(buffer, true, InventoryGroupIndex::Loot, nullptr);
    buffer.WriteInt(itemSet);
    buffer.WriteInt(static_cast<int32_t>(quickUse.size()));
    for (const auto& record : quickUse)
        for (int32_t word : record)
            buffer.WriteInt(word);
    for (const auto& quest : questSlots)
        quest->Write(buffer, true);
    buffer.WriteBoolVector(hintsSeen);
    // The lists as played; a character loaded and not yet played keeps the ones it was saved with.
    for (int32_t list = 0; list < 2; ++list) {
        const ItemPtrList& current = itemLists[static_cast<size_t>(list)];
        (current.IsLoaded() ? current : itemLists[static_cast<size_t>(list) + 2]).Write(buffer);
    }
    buffer.WriteBoolVector(discoveredLevels);
    buffer.WriteBoolVector(characterFlags);
    buffer.WriteIntVector(partyRecruitIndices);
    // The covenant's block in its own byte count, so that a reader of another version (or none)
    // can pass over it.
    MessageBuffer block;
    if (savedBlock)
        savedBlock->WriteBlock(block);
    buffer.WriteInt(static_cast<int32_t>(block.Size()));
    if (block.Size() > 0)
        buffer.WriteBytes(block.Data(), block.Size());
    // The log as the screen holds it now; without a screen, as the file was read with it.
    MessageBuffer onScreen;
    if (gTextEvents)
        gTextEvents->SaveTextEvents(onScreen);
    const MessageBuffer& log = gTextEvents ? onScreen : messageLog;
    buffer.WriteInt(static_cast<int32_t>(log.Size()));
    buffer.WriteBytes(log.Data(), log.Size());
    WriteWorldPos(buffer, position);
    buffer.WriteInt(facing);
    buffer.WriteIntVector(skillGiftLevels);
}

std::string PlayerClient::GetSaveName() const
{
    return fileBase.empty() ? CharacterFileBase(characterName) : fileBase;
}

bool PlayerClient::SaveCharacter()
{
    if (!GetBody() || gone)
        return false;
    // Mended: the party was saved as it was last loaded, so recruits taken in play were lost.
    StoreParty();
    // Mended: the file was named by the name inside it, so a copy saved under another name
    // overwrote the character it was copied from.
    std::string base = fileBase.empty() ? FindFreeCharacterBase(GetSaveName()) : fileBase;
    if (base.empty() || !gFileSystem) {
        DebugSystem::Print(kPrintWarning, "Couldn't save the character %s\n", characterName.c_str());
        return false;
    }
    MessageBuffer buffer;
    WriteCharacter(buffer);
    bool landed = WriteBufferToFile(CharacterFilePath(base), buffer);
    if (!landed) {
        DebugSystem::Print(kPrintWarning, "Couldn't save the character %s\n", characterName.c_str());
        return false;
    }
    // From its first save on the character's files are this one's.
    fileBase = base;
    return true;
}

// A new character whose name another character's file already has is saved beside it, never
// over it.
std::string PlayerClient::FindFreeCharacterBase(const std::string& wanted)
{
    constexpr int32_t kMaxNumber = 99;
    // The longest base CharacterFileBase makes, less room for the number.
    constexpr size_t kStemBytes = 63 - 2;
    std::string stem = wanted.substr(0, std::min(wanted.size(), kStemBytes));
    std::string base = wanted;
    for (int32_t number = 2; number <= kMaxNumber + 1; ++number) {
        if (base.empty() || !gFileSystem || !gFileSystem->FileExists(CharacterFilePath(base), kLocationUser)) {
            if (base != wanted)
                DebugSystem::Print(kPrintWarning, "A character is saved as %s already; this one is saved as %s\n",
                                   wanted.c_str(), base.c_str());
            return base;
        }
        base = stem + std::to_string(number);
    }
    DebugSystem::Print(kPrintWarning, "No free file name for the character %s\n", wanted.c_str());
    return std::string();
}

// ---- Reading ---------------------------------------------------------------------------------------

bool PlayerClient::LoadCharacter(std::string_view characterName, CharacterCovenantBlock* covenantBlock)
{
    std::string base = CharacterFileBase(characterName);
    if (base.empty() || !gFileSystem)
        return false;
    File* file = gFileSystem->Open(CharacterFilePath(base), kFileRead | kFileBinary, kLocationUser);
    if (!file)
        return false;
    MessageBuffer buffer;
    bool read = gFileSystem->ReadIntoBuffer(file, buffer);
    gFileSystem->Close(file);
    if (!read || !LoadCharacterFrom(buffer, characterName, covenantBlock))
        return false;
    fileBase = base;
    return true;
}

bool PlayerClient::LoadCharacterFrom(MessageBuffer& buffer, std::string_view characterName,
                                     CharacterCovenantBlock* covenantBlock)
{
    CharacterRecord record;
    record.messageLog.WriteInt(0);
    record.stats.CopyFrom(stats);
    record.funStats.CopyFrom(funStats);
    if (!ParseCharacter(buffer, record, covenantBlock, characterName))
        return false;
    ApplyCharacter(record, buffer, covenantBlock);
    return true;
}

bool PlayerClient::ParseCharacter(MessageBuffer& buffer, CharacterRecord& out, CharacterCovenantBlock* covenantBlock,
                                  std::string_view fileName)
{
    auto damaged = [name = std::string(fileName)](const char* reason) {
        DebugSystem::Print(kPrintWarning, "Character file %s is damaged (%s)\n", name.c_str(), reason);
        return false;
    };
    out.version = buffer.ReadInt();
    int32_t version = out.version;
    if (buffer.Overrun())
        return damaged("empty");
    if (version < 1 || version > kFileVersion)
        return damaged("unknown version");
    out.name = buffer.ReadString();
    out.maxHealth = buffer.ReadInt();
    out.health = buffer.ReadInt();
    out.worldDifficulty = buffer.ReadInt();
    out.worldWord = buffer.ReadUInt();
    if (buffer.Overrun() || !ReadWorldPos(buffer, out.returnPoint) || !ReadWorldPos(buffer, out.secondPoint) ||
        !PlayerFileFinite(out.returnPoint) || !PlayerFileFinite(out.secondPoint))
        return damaged("gate positions");
    bool counted = version >= kPlayerFileCountedStatsVersion;
    if (!(counted ? out.stats.Read(buffer) : out.stats.ReadValues(buffer, BareStatCount(version))))
        return damaged("stats");
    if (!(counted ? out.funStats.Read(buffer) : out.funStats.ReadValues(buffer, BareFunStatCount(version))))
        return damaged("fun stats");
    // Mended: the world host refuses a character whose class, stats or skill gifts break their
    // bounds, and the join waited a minute for an answer; such a file is damaged here and now.
    if (const char* refused = CharacterRecordLimits::CheckStats(out.stats.GetValues()))
        return damaged(refused);
    if (const char* refused = CharacterRecordLimits::CheckClass(out.stats.Get(CharacterStat::Class)))
        return damaged(refused);
    if (!out.inventory.Read(buffer, true, version))
        return damaged("inventory");
    out.itemSet = version >= kPlayerFileItemSetVersion ? buffer.ReadInt() : 0;
    int32_t quickUseCount = 0;
    int32_t quickUseWords = version >= kPlayerFileFourthQuickUseWord ? kPlayerFileQuickUseWords : 3;
    if (buffer.Overrun() || !buffer.ReadCount(quickUseCount, static_cast<size_t>(quickUseWords) * 4) ||
        quickUseCount > kPlayerFileMaxQuickUse)
        return damaged("quick-use records");
    out.quickUse.resize(static_cast<size_t>(quickUseCount));
    for (auto& record : out.quickUse) {
        record = {-1, -1, -1, -1};
        for (int32_t word = 0; word < quickUseWords; ++word)
            record[static_cast<size_t>(word)] = buffer.ReadInt();
    }
    for (size_t& at : out.questAt) {
        at = buffer.GetReadPos();
        if (!QuestBase::Skip(buffer, true, version))
            return damaged("quest");
    }
    if (!buffer.ReadBoolVector(out.hintsSeen))
        return damaged("hints");
    if (!out.gates.Read(buffer, version) || !out.secondList.Read(buffer, version))
        return damaged("item lists");
    if (!buffer.ReadBoolVector(out.discoveredLevels))
        return damaged("discovered levels");
    if (version >= kPlayerFileFlagsVersion && !buffer.ReadBoolVector(out.characterFlags))
        return damaged("character flags");
    if (version >= kPlayerFilePartyVersion && !buffer.ReadIntVector(out.partyRecruitIndices))
        return damaged("party");
    if (version >= kPlayerFileCountedBlockVersion) {
        int32_t blockBytes = 0;
        if (!buffer.ReadCount(blockBytes, 1))
            return damaged("covenant block");
        size_t blockEnd = buffer.GetReadPos() + static_cast<size_t>(blockBytes);
        if (covenantBlock && blockBytes > 0) {
            MessageBuffer block;
            block.WriteBytes(buffer.Data() + buffer.GetReadPos(), static_cast<size_t>(blockBytes));
            block.SetReadPos(0);
            if (!covenantBlock->ParseBlock(block, version) || block.Overrun() || block.BytesLeft() != 0)
                return damaged("covenant block");
            out.covenantBlockRead = true;
        }
        buffer.SetReadPos(blockEnd);
    } else if (covenantBlock) {
        if (!covenantBlock->ParseBlock(buffer, version))
            return damaged("covenant block");
        out.covenantBlockRead = true;
    }
    if (version >= kPlayerFileCountedLogVersion) {
        if (!ParseMessageLog(buffer, out.messageLog, fileName))
            return damaged("message log");
    } else if (version >= kPlayerFileMessageLogVersion && !ParseInlineMessageLog(buffer, version, out.messageLog)) {
        return damaged("message log");
    }
    if (!ReadWorldPos(buffer, out.position) || !PlayerFileFinite(out.position))
        return damaged("position");
    out.facing = buffer.ReadInt();
    if (buffer.Overrun())
        return damaged("cut short");
    if (version >= kPlayerFileSkillGiftsVersion && !buffer.ReadIntVector(out.skillGiftLevels))
        return damaged("skill gifts");
    if (const char* refused = CharacterRecordLimits::CheckSkillGifts(out.skillGiftLevels))
        return damaged(refused);
    if (out.facing < 0 || out.facing >= kPlayerFileFacings)
        return damaged("facing");
    return true;
}

// False only when the block's byte count does not fit the file; lines that do not fill the block
// exactly are a damaged log, dropped with a warning while the rest of the character loads.
bool PlayerClient::ParseMessageLog(MessageBuffer& buffer, MessageBuffer& log, std::string_view fileName)
{
    int32_t logBytes = 0;
    if (!buffer.ReadCount(logBytes, 1))
        return false;
    MessageBuffer block;
    block.WriteBytes(buffer.Data() + buffer.GetReadPos(), static_cast<size_t>(logBytes));
    block.SetReadPos(0);
    buffer.SetReadPos(buffer.GetReadPos() + static_cast<size_t>(logBytes));
    if (PlayerFileLogReadable(block, kFileVersion) && block.BytesLeft() == 0) {
        log = block;
        return true;
    }
    DebugSystem::Print(kPrintWarning, "Character file %s: its message log is damaged; the log starts empty\n",
                       std::string(fileName).c_str());
    log.Clear();
    log.WriteInt(0);
    return true;
}

// An older file's log has no byte count: its end is where the reading of it ends.
bool PlayerClient::ParseInlineMessageLog(MessageBuffer& buffer, int32_t version, MessageBuffer& log)
{
    size_t start = buffer.GetReadPos();
    if (!PlayerFileLogReadable(buffer, version))
        return false;
    log.Clear();
    log.WriteBytes(buffer.Data() + start, buffer.GetReadPos() - start);
    return true;
}

void PlayerClient::ApplyCharacter(CharacterRecord& record, MessageBuffer& buffer, CharacterCovenantBlock* covenantBlock)
{
    characterName = record.name;
    maxHealth = record.maxHealth;
    health = std::min(record.health, record.maxHealth);
    worldDifficulty = record.worldDifficulty;
    worldWord = record.worldWord;
    returnPoint = record.returnPoint;
    secondPoint = record.secondPoint;
    stats.CopyFrom(record.stats);
    funStats.CopyFrom(record.funStats);
    inventory->CopyFrom(record.inventory);
    itemSet = record.itemSet;
    for (size_t slot = 0; slot < questSlots.size(); ++slot) {
        buffer.SetReadPos(record.questAt[slot]);
        questSlots[slot]->Reset();
        questSlots[slot]->Read(buffer, true, true, record.version);
        // What the character had done when it was saved is no news when it comes back.
        questSlots[slot]->Acknowledge();
    }
    quickUse = record.quickUse;
    if (quickUse.empty())
        quickUse.push_back({1, 0, 0, -1});
    hintsSeen = record.hintsSeen;
    itemLists[2] = std::move(record.gates);
    itemLists[3] = std::move(record.secondList);
    discoveredLevels = record.discoveredLevels;
    characterFlags = record.characterFlags;
    if (characterFlags.size() < static_cast<size_t>(CharacterFlag::kCount))
        characterFlags.resize(CharacterFlag::kCount, false);
    partyRecruitIndices = record.partyRecruitIndices;
    skillGiftLevels = record.skillGiftLevels;
    if (covenantBlock && record.covenantBlockRead)
        covenantBlock->ApplyBlock();
    messageLog = record.messageLog;
    SetPosition(record.position);
    moveTarget = position;
    facing = record.facing;
    loadedCharacter = true;
}
