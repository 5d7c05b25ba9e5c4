// CharacterSettings -- the character record a joining client sends, read whole and checked before any of it reaches the player.
#include "entities/CharacterSettings.h"

#include "core/DebugSystem.h"
#include "core/EngineEnums.h"
#include "core/MessageBuffer.h"
#include "entities/EntityQuest.h"
#include "entities/GameServices.h"
#include "entities/Inventory.h"
#include "rules/CharacterRecordLimits.h"

namespace {

bool CharacterSettingsRefuse(const char* reason)
{
    DebugSystem::Print(2, "Character record refused: %s\n", reason);
    return false;
}

// A gate that was never opened keeps level -1.
bool CharacterSettingsGateLevelKnown(const WorldPos& where)
{
    return where.level == -1 || (gGameServices && gGameServices->IsKnownLevel(where.level));
}

bool CharacterSettingsReadInts(MessageBuffer& buffer, std::vector<int32_t>& out)
{
    int32_t count = 0;
    if (!buffer.ReadCount(count, 4))
        return false;
    out.resize(static_cast<size_t>(count));
    for (int32_t& value : out)
        value = buffer.ReadInt();
    return true;
}

bool CharacterSettingsReadFlags(MessageBuffer& buffer, const ItemPtrList& gateRecords, ItemPtrList& out)
{
    out.EnsureLoaded(gateRecords);
    return out.ReadFlags(buffer);
}

} // namespace

CharacterSettings::CharacterSettings() = default;
CharacterSettings::~CharacterSettings() = default;

bool CharacterSettings::Read(MessageBuffer& buffer, bool withSkillBonuses, const ItemPtrList& gateRecords)
{
    if (buffer.BytesLeft() < 4)
        return CharacterSettingsRefuse("no marker");
    loaded = buffer.ReadInt() != 0;
    name = buffer.ReadString();
    if (name.size() > kMaxNameBytes)
        name.resize(kMaxNameBytes);
    bool read = loaded ? ReadLoaded(buffer, gateRecords) : ReadNew(buffer, withSkillBonuses);
    if (!read)
        return false;
    if (buffer.Overrun())
        return CharacterSettingsRefuse("cut short");
    return true;
}

bool CharacterSettings::ReadNew(MessageBuffer& buffer, bool withSkillBonuses)
{
    classIndex = buffer.ReadInt();
    if (const char* refused = CharacterRecordLimits::CheckClass(classIndex))
        return CharacterSettingsRefuse(refused);
    if (withSkillBonuses) {
        int32_t count = 0;
        if (!buffer.ReadCount(count, 8) || count > kMaxSkillBonuses)
            return CharacterSettingsRefuse("skill bonus count");
        for (int32_t i = 0; i < count; ++i) {
            int32_t stat = buffer.ReadInt();
            int32_t level = buffer.ReadInt();
            if (stat < kFirstSkillStat || stat > kLastSkillStat || level < 0 || level > CharacterRecordLimits::kMaxLevel)
                return CharacterSettingsRefuse("skill bonus outside the skills");
            skillBonuses.emplace_back(stat, level);
        }
    }
    hardcore = buffer.ReadInt() != 0;
    loner = buffer.ReadInt() != 0;
    return true;
}

bool CharacterSettings::ReadLoaded(MessageBuffer& buffer, const ItemPtrList& gateRecords)
{
    buffer.ReadInt();  // the maximum health: recomputed from the stats
    health = buffer.ReadInt();
    classIndex = buffer.ReadInt();
    if (const char* refused = CharacterRecordLimits::CheckClass(classIndex))
        return CharacterSettingsRefuse(refused);
    if (!CharacterSettingsReadInts(buffer, stats) || !CharacterSettingsReadInts(buffer, statistics))
        return CharacterSettingsRefuse("stat count");
    if (const char* refused = CharacterRecordLimits::CheckStats(stats))
        return CharacterSettingsRefuse(refused);
    inventory = std::make_unique<Inventory>();
    if (!inventory->Read(buffer, false, kRecordVersion))
        return CharacterSettingsRefuse("inventory");
    if (!ReadQuests(buffer))
        return CharacterSettingsRefuse("quest record");
    if (!buffer.ReadBoolVector(characterFlags))
        return CharacterSettingsRefuse("character flags");
    if (!ReadGates(buffer))
        return false;
    difficulty = buffer.ReadInt();
    worldWord = buffer.ReadUInt();
    if (!ReadParty(buffer, gateRecords))
        return false;
    hasPosition = buffer.ReadInt() != 0;
    if (hasPosition && (!ReadWorldPos(buffer, position) || !CharacterSettingsGateLevelKnown(position) ||
                        position.level == -1))
        return CharacterSettingsRefuse("position");
    return ReadSkillGiftLevels(buffer);
}

bool CharacterSettings::ReadSkillGiftLevels(MessageBuffer& buffer)
{
    std::vector<int32_t> words;
    if (!CharacterSettingsReadInts(buffer, words))
        return CharacterSettingsRefuse("skill gift count");
    if (const char* refused = CharacterRecordLimits::CheckSkillGifts(words))
        return CharacterSettingsRefuse(refused);
    for (size_t i = 0; i < words.size(); i += 2)
        skillGiftLevels.emplace_back(words[i], words[i + 1]);
    return true;
}

bool CharacterSettings::ReadQuests(MessageBuffer& buffer)
{
    for (std::unique_ptr<EntityQuest>& quest : quests) {
        quest = gGameServices ? gGameServices->CreatePlayerQuest() : nullptr;
        if (!quest) {
            if (!QuestBase::Skip(buffer, false, kRecordVersion))
                return false;
            continue;
        }
        quest->Read(buffer, true, false, kRecordVersion);
        if (buffer.Overrun())
            return false;
    }
    return true;
}

bool CharacterSettings::ReadGates(MessageBuffer& buffer)
{
    gatesKept = buffer.ReadInt() != 0;
    if (!gatesKept)
        return true;
    if (!ReadWorldPos(buffer, playerGate) || !ReadWorldPos(buffer, raidGate))
        return CharacterSettingsRefuse("gate position");
    if (!CharacterSettingsGateLevelKnown(playerGate) || !CharacterSettingsGateLevelKnown(raidGate))
        return CharacterSettingsRefuse("gate level");
    if (!buffer.ReadBoolVector(exploredLevels))
        return CharacterSettingsRefuse("explored levels");
    return true;
}

bool CharacterSettings::ReadParty(MessageBuffer& buffer, const ItemPtrList& gateRecords)
{
    partyKept = buffer.ReadInt() != 0;
    if (!partyKept)
        return CharacterSettingsReadFlags(buffer, gateRecords, secondGates) ||
               CharacterSettingsRefuse("gate flags");
    if (!CharacterSettingsReadFlags(buffer, gateRecords, firstGates) ||
        !CharacterSettingsReadFlags(buffer, gateRecords, secondGates))
        return CharacterSettingsRefuse("gate flags");
    if (!CharacterSettingsReadInts(buffer, recruitIndices))
        return CharacterSettingsRefuse("party count");
    for (int32_t index : recruitIndices)
        if (index < 0 || index >= kMaxRecruitIndex)
            return CharacterSettingsRefuse("recruit index");
    return true;
}
