// Player -- the player's part of the game update, and the joining character's record applied to a new player.
#include "entities/Player.h"

#include "core/DebugSystem.h"
#include "core/MessageBuffer.h"
#include "entities/CharacterSettings.h"
#include "entities/EntityCovenant.h"
#include "entities/EntityQuest.h"
#include "entities/GameServices.h"
#include "entities/Inventory.h"
#include "entities/Item.h"
#include "entities/Skill.h"
#include "entities/SkillList.h"
#include "rules/CharacterClass.h"
#include "rules/GameData.h"
#include "rules/GameSystemTuning.h"
#include "rules/PlayerPartLayout.h"
#include "rules/items/ItemDefinition.h"
#include "rules/skills/SkillBase.h"
#include "rules/skills/SkillDefinition.h"
#include "world/World.h"

#include <algorithm>

namespace {

constexpr int32_t kPlayerRecordSkillsPerTree = 15;
constexpr const char* kPlayerRecordRegenEffect = "StatusEffectBasicRegen";

const GameSystemTuning* PlayerRecordTuning()
{
    return gGameData ? &gGameData->GetTuning() : nullptr;
}

void PlayerRecordCopyInto(IntArray& target, const std::vector<int32_t>& values)
{
    int32_t count = std::min(target.GetCount(), static_cast<int32_t>(values.size()));
    for (int32_t i = 0; i < count; ++i)
        target.Set(i, values[static_cast<size_t>(i)]);
}

void PlayerRecordSetFlags(ItemPtrList& list, ItemPtrList& flags)
{
    for (int32_t i = 0; i < flags.GetCount(); ++i)
        if (ItemPtrEntry* entry = list.Get(i))
            entry->flag = flags.Get(i)->flag;
}

bool PlayerRecordIsCurrentWorld(int32_t difficulty, uint32_t worldWord)
{
    return gWorld && gWorld->GetDifficulty() == difficulty && gWorld->GetLayoutSeed() == worldWord;
}

} // namespace

// ---- The game update --------------------------------------------------------------------------

void Player::WritePlayerPart(MessageBuffer& buffer)
{
    buffer.WriteInt(entityNumber);
    buffer.WriteInt(anim);
    buffer.WriteInt(animationRestart ? 1 : 0);
    animationRestart = false;
    buffer.WriteInt(mode);
    for (int32_t stat = 0; stat < PlayerPartLayout::kAttributes; ++stat)
        buffer.WriteInt(stats.Get(stat));
    for (int32_t stat : PlayerPartLayout::kStats)
        buffer.WriteInt(stats.Get(stat));
    WriteWorldPos(buffer, playerGatePosition);
    WriteWorldPos(buffer, raidGatePosition);
    for (int32_t stat = CharacterStat::Skill1; stat <= CharacterStat::Skill60; ++stat)
        buffer.WriteInt(stats.Get(stat));
    buffer.WriteUInt(flags);
    // The client shows the container the player looks into (a vendor's goods, a stash's bag
    // places) as its own opened-container bag.
    inventory->Write(buffer, false, InventoryGroupIndex::Loot, GetBag(InventoryGroupIndex::Loot));
    buffer.WriteString(playerName);
    std::vector<int32_t> party;
    CollectCompanionNumbers(party);
    buffer.WriteIntVector(party);
    statistics.WriteValues(buffer);
    buffer.WriteUInt(entityState);
    for (const std::unique_ptr<EntityQuest>& quest : questSlots) {
        if (quest)
            quest->Write(buffer, false);
        else
            QuestBase::WriteEmpty(buffer);
    }
    gateLists[0].WriteFlags(buffer);
    const Entity* target = autoTarget.GetAs<Entity>();
    buffer.WriteInt(target ? target->entityNumber : -1);
    buffer.WriteBoolVector(exploredLevels);
    buffer.WriteBoolVector(characterFlags);
    buffer.WriteInt(intensity.GetMusicId());
    buffer.WriteFloat(intensity.GetVolume());
    WriteSkillGiftLevels(buffer);
}

void Player::WriteSkillGiftLevels(MessageBuffer& buffer) const
{
    auto given = std::count_if(skillGiftLevels.begin(), skillGiftLevels.end(), [](int32_t level) { return level > 0; });
    buffer.WriteInt(static_cast<int32_t>(2 * given));
    for (int32_t i = 0; i < kSkillLevelStats; ++i) {
        if (skillGiftLevels[static_cast<size_t>(i)] <= 0)
            continue;
        buffer.WriteInt(CharacterStat::Skill1 + i);
        buffer.WriteInt(skillGiftLevels[static_cast<size_t>(i)]);
    }
}

void Player::OnAnimationEvent(int32_t animation, int32_t signal, int32_t frame)
{
    Sentient::OnAnimationEvent(animation, signal, frame);
    if (signal == AnimationSignal::Started)
        animationRestart = true;
}

// ---- The character record ---------------------------------------------------------------------

bool Player::ReadCharacter(MessageBuffer& buffer, std::string_view sender)
{
    static const ItemPtrList kNoGates;
    const GameSystemTuning* tuning = PlayerRecordTuning();
    auto settings = std::make_unique<CharacterSettings>();
    const ItemPtrList& gates = gGameServices ? gGameServices->GetGateRecords() : kNoGates;
    if (!settings->Read(buffer, tuning && tuning->useNewCharSkillBonuses, gates)) {
        std::string who(sender);
        DebugSystem::Print(kPrintWarning, "Refused the character sent by %s\n", who.c_str());
        return false;
    }
    readCharacter = std::move(settings);
    return true;
}

void Player::ApplyReadCharacter()
{
    if (std::unique_ptr<CharacterSettings> settings = std::move(readCharacter))
        ApplyCharacter(*settings);
}

void Player::ApplyCharacter(CharacterSettings& settings)
{
    ResetState();
    exploredLevels.clear();
    playerName = settings.name;
    if (!settings.loaded) {
        ApplyNewCharacter(settings);
        RunFullSetUp();
        return;
    }
    ApplyLoadedCharacter(settings);
    if (PlayerRecordIsCurrentWorld(settings.difficulty, settings.worldWord))
        RunLightSetUp();
    else
        RunFullSetUp();
}

void Player::ApplyNewCharacter(const CharacterSettings& settings)
{
    SetUpNew(settings.classIndex);
    if (const CharacterClass* playerClass = GetClass())
        AddAttachmentsFromRecord(playerClass->GetEntry());
    GiveStartingEquipment();
    const GameSystemTuning* tuning = PlayerRecordTuning();
    if (tuning && tuning->useNewCharSkillBonuses) {
        skillList->Rebuild(this, GetClass());
        for (const auto& [stat, amount] : settings.skillBonuses)
            ApplySkillBonus(stat, amount);
    }
    SetCharacterFlag(CharacterFlag::kStaysDead, settings.hardcore);
    SetCharacterFlag(CharacterFlag::kLoner, settings.loner);
    if (tuning && tuning->limitedLives) {
        int32_t change = gWorld ? gGameData->GetDifficultyLivesChange(gWorld->GetDifficulty()) : 0;
        int32_t lives = gWorld ? gWorld->GetPlayerLives() : 0;
        stats.Set(CharacterStat::Lives, std::max(1, change + lives) - 1);
    }
    RecalculateStats(false);
}

// The stat rises by the amount; the skill of that stat is given each level it passes on the way.
void Player::ApplySkillBonus(int32_t stat, int32_t amount)
{
    int32_t before = stats.Get(stat);
    stats.Add(stat, amount);
    int32_t index = stat - CharacterStat::Skill1;
    auto* skill = dynamic_cast<Skill*>(
        skillList->FindSkill(index / kPlayerRecordSkillsPerTree, index % kPlayerRecordSkillsPerTree));
    if (!skill)
        return;
    for (int32_t level = before + 1; level <= stats.Get(stat); ++level)
        ReachSkillLevel(*skill, stat, level);
}

// Mended: lowering a skill and raising it again gave its level's item again, without end.
void Player::ReachSkillLevel(Skill& skill, int32_t stat, int32_t level)
{
    int32_t at = stat - CharacterStat::Skill1;
    if (at < 0 || at >= kSkillLevelStats || level <= skillGiftLevels[static_cast<size_t>(at)])
        return;
    skillGiftLevels[static_cast<size_t>(at)] = level;
    skill.ApplyLevel(level);
}

// A character saved before its file kept the record had the gifts of every level it held.
void Player::ApplySkillGiftLevels(const CharacterSettings& settings)
{
    skillGiftLevels.fill(0);
    for (const auto& [stat, level] : settings.skillGiftLevels)
        skillGiftLevels[static_cast<size_t>(stat - CharacterStat::Skill1)] = level;
    for (int32_t i = 0; i < kSkillLevelStats; ++i) {
        int32_t& given = skillGiftLevels[static_cast<size_t>(i)];
        given = std::max(given, stats.Get(CharacterStat::Skill1 + i));
    }
}

void Player::ApplyLoadedCharacter(CharacterSettings& settings)
{
    SetClass(settings.classIndex, false);
    PlayerRecordCopyInto(stats, settings.stats);
    // The class word of the stats follows the class the record names.
    stats.Set(CharacterStat::Class, settings.classIndex);
    PlayerRecordCopyInto(statistics, settings.statistics);
    ApplySkillGiftLevels(settings);
    inventory->CopyFrom(*settings.inventory);
    ApplyBagSizes();
    for (size_t i = 0; i < questSlots.size(); ++i)
        if (settings.quests[i])
            questSlots[i] = std::move(settings.quests[i]);
    characterFlags = settings.characterFlags;
    if (settings.gatesKept) {
        playerGatePosition = settings.playerGate;
        raidGatePosition = settings.raidGate;
        exploredLevels = settings.exploredLevels;
        if (settings.playerGate.level != -1)
            CreateGate(settings.playerGate, false, true);
        if (settings.raidGate.level != -1)
            CreateGate(settings.raidGate, true, true);
    }
    if (settings.partyKept)
        PlayerRecordSetFlags(gateLists[0], settings.firstGates);
    PlayerRecordSetFlags(gateLists[1], settings.secondGates);
    if (EntityCovenant* covenant = settings.partyKept ? GetCovenant() : nullptr)
        for (int32_t index : settings.recruitIndices)
            if (Sentient* recruit = covenant->GetRecruit(index))
                AddToParty(recruit, GetPartyLimit());
    RecalculateStats(false);
    health = std::clamp(settings.health, 0, maxHealth);
    if (settings.hasPosition)
        Warp(settings.position);
    Update(0.0f);
    RecalculateStats(false);
}

void Player::RunLightSetUp()
{
    PlayAnimation("idle", AnimationPriority::kAlwaysWins, AnimationMode::ReturnToIdle, true);
    AddStatusEffectByName(kPlayerRecordRegenEffect, this, 1);
    if (gWorld)
        for (const std::string& effect : gWorld->GetPlayerStatusEffects())
            AddStatusEffectByName(effect, this, 1);
}

void Player::RunFullSetUp()
{
    ResetQuestSlots();
    if (!GetCharacterFlag(CharacterFlag::kStaysDead)) {
        if (IsDead())
            Resurrect(false);
        health = maxHealth;
    }
    RunLightSetUp();
    if (stats.Get(CharacterStat::MaxPower) > 0)
        stats.Set(CharacterStat::Power, stats.Get(CharacterStat::MaxPower));
    if (EntityCovenant* covenant = GetCovenant())
        covenant->RecomputeTotals();
    RemoveCovenantCurrency();
    for (const auto& skill : skillList->GetSkills()) {
        int32_t level = skill ? skill->GetLevel() : 0;
        if (level > 0 && skill->definition)
            stats.Add(CharacterStat::Lives, skill->definition->GetStatChangeAtLevel(CharacterStat::Lives, level));
    }
}

// Covenant goods belong to a world's covenants; a character never carries them into another.
void Player::RemoveCovenantCurrency()
{
    for (int32_t bag = 0; bag < InventoryBase::kBagCount; ++bag)
        for (int32_t slot = 0; slot < inventory->GetSlotCount(bag); ++slot) {
            const ItemBase* item = inventory->GetItem(bag, slot);
            if (item && item->GetDefinition() && item->GetDefinition()->covenantCurrency != 0)
                inventory->DeleteAt(bag, slot);
        }
}

// ---- Flags, slots and lists -------------------------------------------------------------------

bool Player::GetCharacterFlag(int32_t flag) const
{
    return flag >= 0 && flag < static_cast<int32_t>(characterFlags.size()) &&
           characterFlags[static_cast<size_t>(flag)];
}

void Player::SetCharacterFlag(int32_t flag, bool value)
{
    if (flag < 0 || flag >= CharacterFlag::kCount)
        return;
    if (flag >= static_cast<int32_t>(characterFlags.size()))
        characterFlags.resize(CharacterFlag::kCount, false);
    characterFlags[static_cast<size_t>(flag)] = value;
}

void Player::ResetQuestSlots()
{
    for (const std::unique_ptr<EntityQuest>& quest : questSlots)
        if (quest) {
            quest->Reset();
            quest->turnedIn = false;
        }
}

void Player::MakeSavedListsReady()
{
    gateLists[0].DeleteAll();
    gateLists[1].DeleteAll();
    if (!gGameServices)
        return;
    gateLists[0].EnsureLoaded(gGameServices->GetGateRecords());
    gateLists[1].EnsureLoaded(gGameServices->GetGateRecords());
}
