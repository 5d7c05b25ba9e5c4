// PlayerClient -- the character settings a joining client sends after the hello: a loaded character handed over whole, or a new one by its class and name.
#include "client/PlayerClient.h"

#include "client/ClassChoice.h"
#include "client/GameClient.h"
#include "client/GlobalStats.h"
#include "client/PlayerCovenantClient.h"
#include "core/Database.h"
#include "core/DatabaseEntry.h"
#include "core/DebugSystem.h"
#include "core/MessageBuffer.h"
#include "core/UserVarSystem.h"
#include "render/TextEvents.h"
#include "rules/GameData.h"
#include "rules/GameSystemTuning.h"
#include "rules/skills/SkillBase.h"

namespace {

// Names longer than this are cut: the host keeps no more.
constexpr size_t kPlayerSettingsMaxNameBytes = 63;
constexpr int32_t kPlayerSettingsLastSkillStat = CharacterStat::Skill60;

std::string PlayerSettingsVar(const char* name)
{
    return gUserVarSystem ? gUserVarSystem->GetStringByName(name) : std::string();
}

std::string PlayerSettingsCutName(std::string name)
{
    if (name.size() > kPlayerSettingsMaxNameBytes)
        name.resize(kPlayerSettingsMaxNameBytes);
    return name;
}

// The current list takes the restored list's flags: a flag list by position, a plain list by
// entry number.
void PlayerSettingsFillFromRestored(ItemPtrList& current, ItemPtrList& restored)
{
    for (int32_t i = 0; i < restored.GetCount(); ++i) {
        const ItemPtrEntry* saved = restored.Get(i);
        ItemPtrEntry* entry = nullptr;
        if (current.IsFlagList()) {
            entry = current.Get(i);
        } else {
            for (int32_t j = 0; j < current.GetCount() && !entry; ++j)
                if (current.Get(j)->number == saved->number && current.Get(j)->value == saved->value)
                    entry = current.Get(j);
        }
        if (entry)
            entry->flag = saved->flag;
    }
}

} // namespace

void PlayerClient::WriteSettings(MessageBuffer& buffer, int32_t difficulty, uint32_t worldSeed)
{
    PrepareItemLists();
    // The host reads the covenant's block first when the game uses covenants.
    PrepareCovenant();
    if (UsesCovenant())
        covenant->WriteSettings(buffer);
    if (loadedCharacter)
        WriteLoadedCharacter(buffer, difficulty, worldSeed);
    else
        WriteNewCharacter(buffer);
}

void PlayerClient::WriteNewCharacter(MessageBuffer& buffer) const
{
    std::string className = PlayerSettingsVar("PlayerClass");
    const DatabaseEntry* classEntry = gDatabase ? gDatabase->FindEntryByName(className) : nullptr;
    if (classEntry && classEntry->GetInt("RandomClass") != 0) {
        const DatabaseEntry* drawn = ClassChoice::PickRandomOfficialClass(
            *gDatabase, gGameClient ? gGameClient->profileUnlockedHook : ClassChoice::UnlockedTest());
        if (drawn)
            className = drawn->GetName();
    }
    int32_t classIndex = gGameData ? gGameData->FindCharacterClassIndex(className) : -1;
    if (classIndex < 0) {
        DebugSystem::Print(kPrintWarning, "Unknown character class %s\n", className.c_str());
        return;
    }
    std::string name = classEntry ? std::string(classEntry->GetString("PlayerName", "")) : std::string();
    if (name.empty())
        name = PlayerSettingsVar("PlayerName");
    buffer.WriteInt(0);
    buffer.WriteString(PlayerSettingsCutName(name));
    buffer.WriteInt(classIndex);
    if (gGameData && gGameData->GetTuning().useNewCharSkillBonuses) {
        const IntArray* setUp = gGameClient ? &gGameClient->characterSetUp : nullptr;
        std::vector<std::pair<int32_t, int32_t>> skills;
        for (int32_t stat = kFirstSkillStat; setUp && stat <= kPlayerSettingsLastSkillStat; ++stat)
            if (setUp->Get(stat) > 0)
                skills.emplace_back(stat, setUp->Get(stat));
        buffer.WriteInt(static_cast<int32_t>(skills.size()));
        for (const auto& [stat, level] : skills) {
            buffer.WriteInt(stat);
            buffer.WriteInt(level);
        }
    }
    // Mended: a hardcore choice left in the var by an earlier profile made a hardcore character
    // the new-character screen never offered.
    bool hardcore = gUserVarSystem && gUserVarSystem->GetBoolByName("PlayerHardcore") && gGlobalStats &&
                    gGlobalStats->AllowsChallenges();
    buffer.WriteInt(hardcore ? 1 : 0);
    buffer.WriteInt(gUserVarSystem && gUserVarSystem->GetBoolByName("PlayerLoner") ? 1 : 0);
}

void PlayerClient::WriteLoadedCharacter(MessageBuffer& buffer, int32_t difficulty, uint32_t worldSeed)
{
    buffer.WriteInt(1);
    buffer.WriteString(PlayerSettingsCutName(characterName));
    buffer.WriteInt(maxHealth);
    buffer.WriteInt(health);
    buffer.WriteInt(stats.Get(CharacterStat::Class));
    stats.Write(buffer);
    funStats.Write(buffer);
    inventory->Write(buffer, false, InventoryGroupIndex::Loot, nullptr);
    for (const auto& quest : questSlots)
        quest->Write(buffer, false);
    buffer.WriteBoolVector(characterFlags);
    bool sameWorld = difficulty == worldDifficulty && worldSeed == worldWord;
    buffer.WriteInt(sameWorld ? 1 : 0);
    if (sameWorld) {
        WriteWorldPos(buffer, returnPoint);
        WriteWorldPos(buffer, secondPoint);
        buffer.WriteBoolVector(discoveredLevels);
    }
    buffer.WriteInt(worldDifficulty);
    buffer.WriteUInt(worldWord);
    buffer.WriteInt(sameWorld ? 1 : 0);
    if (sameWorld) {
        PlayerSettingsFillFromRestored(itemLists[0], itemLists[2]);
        PlayerSettingsFillFromRestored(itemLists[1], itemLists[3]);
        itemLists[0].WriteFlags(buffer);
        itemLists[1].WriteFlags(buffer);
        buffer.WriteIntVector(partyRecruitIndices);
    } else {
        PlayerSettingsFillFromRestored(itemLists[1], itemLists[3]);
        itemLists[1].WriteFlags(buffer);
        // The gates of another world mean nothing here, nor does its message log.
        itemLists[0].DeleteAll();
        PrepareItemLists();
        messageLog.Clear();
        messageLog.WriteInt(0);
        if (gTextEvents)
            gTextEvents->RestoreLog({}, Vector2{});
    }
    // A place in another world, or none (level -1 or the origin of the town), is not sent.
    bool atOrigin = position.level == 0 && position.x == 0.0f && position.y == 0.0f;
    bool sendPosition = sameWorld && position.level != -1 && !atOrigin;
    buffer.WriteInt(sendPosition ? 1 : 0);
    if (sendPosition)
        WriteWorldPos(buffer, position);
    buffer.WriteIntVector(skillGiftLevels);
}
