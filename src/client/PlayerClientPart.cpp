// PlayerClient -- the player's part of every game update: read whole into staging, then taken (body, animation, stats, inventory, party, quests, flags and the music the host asks for).
#include "client/PlayerClient.h"

#include "client/ClientApp.h"
#include "client/ClientMusic.h"
#include "client/ClientUi.h"
#include "client/GameClient.h"
#include "client/GlobalStats.h"
#include "core/MessageBuffer.h"
#include "rules/CharacterClass.h"
#include "rules/CharacterFlags.h"
#include "rules/GameData.h"
#include "rules/PlayerPartLayout.h"
#include "rules/quests/QuestDefinition.h"
#include "world/EntityBase.h"

namespace {

// A party or bit list entry is one word.
constexpr size_t kPlayerPartWordBytes = 4;
// An animation the host asks for yields to the player's own idle and walk (priorities 6 to 8).
constexpr int32_t kPlayerPartAnimationPriority = AnimationPriority::kGuardedLow - 1;

bool PlayerPartReadBits(MessageBuffer& buffer, std::vector<bool>& out)
{
    return buffer.ReadBoolVector(out) && !buffer.Overrun();
}

} // namespace

bool PlayerClient::ParsePlayerPart(MessageBuffer& buffer)
{
    PartStaging& part = staging;
    part.entityNumber = buffer.ReadInt();
    part.animation = buffer.ReadInt();
    part.restart = buffer.ReadInt();
    part.animationMode = buffer.ReadInt();
    part.stats.clear();
    for (int32_t stat = 0; stat < PlayerPartLayout::kAttributes; ++stat)
        part.stats.emplace_back(stat, buffer.ReadInt());
    for (int32_t stat : PlayerPartLayout::kStats)
        part.stats.emplace_back(stat, buffer.ReadInt());
    if (buffer.Overrun() || !ReadWorldPos(buffer, part.returnPoint) || !ReadWorldPos(buffer, part.secondPoint))
        return false;
    for (int32_t stat = CharacterStat::Skill1; stat <= CharacterStat::Skill60; ++stat)
        part.stats.emplace_back(stat, buffer.ReadInt());
    part.movementFlags = buffer.ReadUInt();
    if (buffer.Overrun() || !part.inventory->Read(buffer, false, kFileVersion))
        return false;
    part.name = buffer.ReadString();
    if (buffer.Overrun() || !buffer.ReadIntVector(part.party))
        return false;
    part.funStats.resize(static_cast<size_t>(funStats.GetCount()));
    for (int32_t& value : part.funStats)
        value = buffer.ReadInt();
    part.statusFlags = buffer.ReadUInt();
    if (buffer.Overrun())
        return false;
    for (size_t& at : part.questAt) {
        at = buffer.GetReadPos();
        if (!QuestBase::Skip(buffer, false, QuestBase::kNamedReferencesVersion))
            return false;
    }
    PrepareItemLists();
    int32_t flagCount = itemLists[0].GetCount();
    if (static_cast<uint64_t>(flagCount) * kPlayerPartWordBytes > buffer.BytesLeft())
        return false;
    part.itemFlags.resize(static_cast<size_t>(flagCount));
    for (int32_t& flag : part.itemFlags)
        flag = buffer.ReadInt();
    part.opponent = buffer.ReadInt();
    if (buffer.Overrun() || !PlayerPartReadBits(buffer, part.discovered) ||
        !PlayerPartReadBits(buffer, part.characterFlags))
        return false;
    part.music = buffer.ReadInt();
    part.musicVolume = buffer.ReadFloat();
    return !buffer.Overrun() && buffer.ReadIntVector(part.skillGiftLevels);
}

void PlayerClient::ApplyPlayerPart(MessageBuffer& buffer)
{
    PartStaging& part = staging;
    SetOwnNumber(part.entityNumber);
    // The host chose where the character stands when it joined: the client takes that place
    // from the body the first time it sees it, rather than sending its own stale one.
    if (!placedByHost && GetBody()) {
        Teleport(GetBody()->position);
        placedByHost = true;
    }
    ApplyPartAnimation();
    ApplyPartStats();
    returnPoint = part.returnPoint;
    secondPoint = part.secondPoint;
    movementFlags = part.movementFlags;
    // The read inventory becomes the player's; the old one takes the next part.
    std::swap(inventory, part.inventory);
    characterName = part.name;
    party = part.party;
    for (size_t i = 0; i < part.funStats.size(); ++i)
        funStats.Set(static_cast<int32_t>(i), part.funStats[i]);
    int32_t kills = funStats.Get(CharacterFunStat::Kills);
    int32_t deaths = funStats.Get(CharacterFunStat::Deaths);
    funStats.Set(CharacterFunStat::KillsPerDeath, deaths <= 0 ? kills : kills / deaths);
    statusFlags = part.statusFlags;
    ApplyPartQuests(buffer);
    for (size_t i = 0; i < part.itemFlags.size(); ++i)
        if (ItemPtrEntry* entry = itemLists[0].Get(static_cast<int32_t>(i)))
            entry->flag = part.itemFlags[i] != 0;
    // The second list follows the first's entries.
    itemLists[1].EnsureLoaded(itemLists[0]);
    opponentNumber = part.opponent;
    discoveredLevels = part.discovered;
    bool tutorialWasOver = GetCharacterFlag(CharacterFlag::kTutorialOver);
    characterFlags = part.characterFlags;
    if (characterFlags.size() < static_cast<size_t>(CharacterFlag::kCount))
        characterFlags.resize(CharacterFlag::kCount, false);
    if (!tutorialWasOver && GetCharacterFlag(CharacterFlag::kTutorialOver))
        TriggerHint("TutorialFinishedHints");
    skillGiftLevels = part.skillGiftLevels;
    if (part.music != musicRecord) {
        musicRecord = part.music;
        musicVolume = part.musicVolume;
        if (gGameClient)
            gGameClient->GetMusic().SetMusicOverride(musicRecord, musicVolume);
    }
    if (gGlobalStats)
        gGlobalStats->TakeLocalPlayer();
}

void PlayerClient::ApplyPartAnimation()
{
    const PartStaging& part = staging;
    if (part.animation < 0)
        return;
    if (part.restart == 1)
        SetAnimationIndex(part.animation, AnimationPriority::kAlwaysWins, part.animationMode, true, false);
    else if (part.animation != anim)
        SetAnimationIndex(part.animation, kPlayerPartAnimationPriority, part.animationMode, false, true);
}

void PlayerClient::ApplyPartStats()
{
    int32_t oldLevel = stats.Get(CharacterStat::Level);
    for (const auto& [stat, value] : staging.stats)
        stats.Set(stat, value);
    int32_t newLevel = stats.Get(CharacterStat::Level);
    if (newLevel != oldLevel && newLevel > 1)
        TriggerHint("LevelUp");
    int32_t playerClass = stats.Get(CharacterStat::Class);
    if (playerClass != rememberedClass) {
        rememberedClass = playerClass;
        if (ClientUi* ui = gClientApp ? gClientApp->GetUi() : nullptr) {
            ui->NotifyPlayerChanged();
            ui->NotifyAllWidgets(playerClass);
        }
        SetClassIndex(playerClass);
    }
}

void PlayerClient::SetClassIndex(int32_t index)
{
    const CharacterClass* chosen = gGameData ? gGameData->GetCharacterClass(index) : nullptr;
    if (!chosen || index == classIndex)
        return;
    // The class's own hint, named as the class: shown once per character, like every hint.
    TriggerHint(chosen->name);
    EntityClient::SetClassIndex(index);
    if (chosen->GetEntry())
        Load(chosen->GetEntry());
}

void PlayerClient::ApplyPartQuests(MessageBuffer& buffer)
{
    ClientUi* ui = gClientApp ? gClientApp->GetUi() : nullptr;
    for (int32_t slot = 0; slot < kQuestSlots; ++slot) {
        QuestClient& quest = *questSlots[static_cast<size_t>(slot)];
        buffer.SetReadPos(staging.questAt[static_cast<size_t>(slot)]);
        bool made = quest.Read(buffer, true, false, QuestBase::kNamedReferencesVersion);
        if (made && quest.definition && quest.definition->autoShowQuest && ui)
            ui->ShowQuestSlot(slot);
    }
}
