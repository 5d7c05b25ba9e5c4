// UIWidgetConditions -- the yes/no questions layout files ask by "UICondition" name, answered for one widget from the client's view of the game.
#include "ui/UIWidget.h"

#include "client/GlobalStats.h"
#include "client/PlayerClient.h"
#include "client/UserProfile.h"
#include "core/CommandSystem.h"
#include "core/Database.h"
#include "core/DatabaseEntry.h"
#include "core/EngineEnums.h"
#include "core/EnumTable.h"
#include "core/FileSystem.h"
#include "core/StringUtil.h"
#include "core/UserVarSystem.h"
#include "core/system/PlatformSystem.h"
#include "render/MiniMap.h"
#include "render/TextEvents.h"
#include "rules/GameData.h"
#include "ui/UIMenu.h"
#include "ui/UISystem.h"

#include <cmath>

namespace {

// Stat numbers of the local player's list the conditions read.
constexpr int32_t kConditionStatWatchedPower = 80;
constexpr int32_t kConditionStatXp = 85;
constexpr int32_t kConditionStatXpNeeded = 86;
constexpr int32_t kConditionStatAttributePoints = 93;
constexpr int32_t kConditionStatSkillPoints = 94;
constexpr int32_t kConditionStatScore = 112;
constexpr int32_t kConditionStatLives = 113;
constexpr int32_t kConditionQuestSlots = 6;
constexpr int32_t kConditionEquipmentSlots = 18;

const UiGameView& ConditionView()
{
    static const UiGameView kNoGame;
    return gUISystem ? gUISystem->GetGameView() : kNoGame;
}

int32_t ConditionStat(int32_t index)
{
    int32_t value = 0;
    const UiGameView& view = ConditionView();
    return view.HasLocalPlayer() && view.GetPlayerStat(index, value) ? value : 0;
}

bool ConditionHasStat(int32_t index, int32_t& value)
{
    const UiGameView& view = ConditionView();
    return view.HasLocalPlayer() && view.GetPlayerStat(index, value);
}

std::string ConditionUserVar(std::string_view varName)
{
    return gUserVarSystem ? gUserVarSystem->GetStringByName(varName) : std::string();
}

bool ConditionPlayerClassIs(const char* className)
{
    if (!gGameData)
        return false;
    int32_t index = gGameData->FindCharacterClassIndex(className);
    return index >= 0 && ConditionView().GetClassIndex() == index;
}

bool ConditionCanPlayDifficulty(int32_t difficulty, const char* beatVar)
{
    int32_t level = ParseInt(ConditionUserVar("ParsedCharacterLevel"));
    int32_t minimum = gGameData ? gGameData->GetDifficultyMinLevel(difficulty) : 1;
    return level >= minimum || ParseInt(ConditionUserVar(beatVar)) != 0;
}

bool ConditionSelected(UiEntityFacts& out)
{
    const UiGameView& view = ConditionView();
    return view.HasLocalPlayer() && view.GetEntity(view.GetSelectedEntityNumber(), out);
}

const DatabaseEntry* ConditionAdventureEntry()
{
    std::string adventure = ConditionUserVar("WorldName");
    return gDatabase && !adventure.empty() ? gDatabase->FindEntryByName(adventure) : nullptr;
}

bool ConditionScoreTrophy(const char* minimumKey)
{
    const DatabaseEntry* entry = ConditionAdventureEntry();
    if (!entry || !ConditionView().HasLocalPlayer())
        return false;
    return ConditionStat(kConditionStatScore) >= entry->GetInt(minimumKey) && entry->GetInt("AwardTrophy") != 0;
}

bool ConditionAnyCovenantPair(bool routes)
{
    const UiGameView& view = ConditionView();
    for (int32_t a = 0; a < view.GetCovenantCount(); ++a)
        for (int32_t b = a; b < view.GetCovenantCount(); ++b)
            if (routes ? view.HasTradeRoute(a, b) : view.GetTreaty(a, b) != 1)
                return true;
    return false;
}

} // namespace

bool UIWidget::EvaluateCondition(int32_t condition) const
{
    if (condition <= 0 || condition >= UiNameTables::kConditionCount)
        return false;
    if (condition == UICondition::AlwaysTrue)
        return true;
    return EvaluateWidgetCondition(condition) || EvaluatePlayerCondition(condition) ||
           EvaluateSelectedCondition(condition) || EvaluateCovenantCondition(condition) ||
           EvaluateGameCondition(condition) || EvaluateProfileCondition(condition) ||
           EvaluateDataCondition(condition);
}

// Each group answers false for conditions outside it, so EvaluateCondition asks them in turn.
bool UIWidget::EvaluateWidgetCondition(int32_t condition) const
{
    switch (condition) {
    case UICondition::ParentWidgetSelected: return parentWidget && parentWidget->selected;
    case UICondition::ParentWidgetVisible: return parentWidget && parentWidget->IsVisible();
    case 14: {
        if (!userVar.IsValid() || !gUserVarSystem || !gUserVarSystem->IsReady())
            return false;
        std::string plain = text;
        StringReplaceAll(plain, "$$", "");
        return plain == userVar.GetString();
    }
    case 15: return IsMaxed();
    case 22: return menu && subMenuIndex == menu->selectedSubMenu;
    case 23: return ParseInt(GetUserVarString()) != 0;
    case 24: return ParseInt(GetUserVarString()) == 0;
    case 25: return StringEqualsNoCase(GetUserVarString(), "delete");
    case UICondition::LowHealth: {
        UiEntityFacts entity;
        if (GetEntity(entity))
            return entity.maxHealth > 0 && static_cast<float>(entity.health) / entity.maxHealth < 0.25f;
        UiCovenantFacts covenant;
        return GetCovenant(covenant) && covenant.maxHomeHealth > 0 &&
               static_cast<float>(covenant.homeHealth) / covenant.maxHomeHealth < 0.25f;
    }
    case 34: {
        UiEntityFacts entity;
        return GetEntity(entity);
    }
    case 35: {
        UiEntityFacts entity;
        return GetEntity(entity) && entity.maxHealth > 0 && entity.health <= 0;
    }
    case 36: {
        UiEntityFacts entity;
        return GetEntity(entity) && entity.maxHealth > 0;
    }
    case 37: {
        UiEntityFacts entity;
        return GetEntity(entity) && entity.power > 0;
    }
    case 41: {
        UiEntityFacts entity;
        return GetEntity(entity) && entity.hasTimedEvent;
    }
    case 61: {
        int32_t level = std::max(1, ParseInt(text));
        int32_t difficulty = EnumTable::LookupIn("WorldDifficultyLevel", ConditionUserVar("WorldDifficultyLevel"));
        return gGameData && level < gGameData->GetDifficultyMinLevel(difficulty);
    }
    case 74:
        return userVar.IsValid() && gUserVarSystem && gUserVarSystem->IsReady() &&
               StringEqualsNoCase(userVar.GetString(), userVarValue);
    case 75: return gDatabase && !GetUserVarString().empty() && gDatabase->FindEntryByName(GetUserVarString());
    default: return false;
    }
}

bool UIWidget::EvaluatePlayerCondition(int32_t condition) const
{
    const UiGameView& view = ConditionView();
    int32_t value = 0;
    switch (condition) {
    case 1: return ConditionStat(kConditionStatAttributePoints) > 0;
    case 2: return ConditionStat(kConditionStatSkillPoints) > 0;
    case 5: {
        if (!view.HasLocalPlayer())
            return false;
        bool anyFilled = false;
        for (int32_t slot = 0; slot < kConditionQuestSlots; ++slot) {
            if (!view.IsQuestSlotFilled(slot))
                continue;
            anyFilled = true;
            if (view.IsQuestSlotComplete(slot))
                return true;
        }
        return !anyFilled;
    }
    case 30: {
        int32_t cost = 0;
        UiEntityFacts player;
        return view.HasLocalPlayer() && view.GetEntity(view.GetPlayerEntityNumber(), player) &&
               view.GetWatchedSkillCost(cost) && cost > ConditionStat(kConditionStatWatchedPower);
    }
    case 31:
        // Mended: the two stats were read the other way round (the experience needed against nine
        // tenths of the experience), which held at every level: the bar blinked from the first minute.
        return ConditionHasStat(kConditionStatXp, value) && ConditionStat(kConditionStatXpNeeded) > 0 &&
               value > static_cast<int32_t>(std::ceil(ConditionStat(kConditionStatXpNeeded) * 0.9));
    case 38:
    case 39: {
        if (!EvaluateWidgetCondition(UICondition::ParentWidgetSelected) || !view.HasLocalPlayer())
            return false;
        int32_t slot = ParseInt(GetUserVarString());
        if (slot < 0 || slot >= kConditionQuestSlots)
            return false;
        return condition == 38 ? view.IsQuestSlotFilled(slot) : view.CanSkipQuestSlot(slot);
    }
    case 40: {
        int32_t quest = ParseInt(GetUserVarString());
        return view.HasLocalPlayer() && !view.HoldsQuest(quest) && view.CanSkipQuest(quest);
    }
    case 48: return view.HasLocalPlayer() && view.HasRunningTimedQuest();
    case 55: return view.HasLocalPlayer() && view.GetInteractionMode() == 14;
    case 57: return view.HasLocalPlayer() && view.GetActiveItemSet() == 0;
    case 58: return view.HasLocalPlayer() && view.GetActiveItemSet() == 1;
    case 60: {
        if (!view.HasLocalPlayer())
            return false;
        for (int32_t location = 0; location < kConditionEquipmentSlots; ++location)
            if (view.IsEquipmentFilled(location))
                return false;
        return true;
    }
    case 63: return ConditionPlayerClassIs("Warrior");
    case 64: return ConditionPlayerClassIs("Rogue");
    case 65: return ConditionPlayerClassIs("Priest");
    case 66: return ConditionPlayerClassIs("Mage");
    case 68: return view.HasLocalPlayer() && view.GetPlayerFlagBit(65);
    case 70: return view.HasLocalPlayer() && view.GetPlayerFlagBit(66);
    case 82: return ConditionStat(kConditionStatLives) > 0;
    case 89: case 90: case 91: case 92: case 93: case 94:
        return view.HasLocalPlayer() && view.IsQuestSlotFilled(condition - 89);
    default: return false;
    }
}

bool UIWidget::EvaluateSelectedCondition(int32_t condition) const
{
    UiEntityFacts selectedEntity;
    switch (condition) {
    case 17: return ConditionSelected(selectedEntity) && (selectedEntity.rank == 1 || selectedEntity.rank == 2);
    case 18: return ConditionSelected(selectedEntity) && (selectedEntity.rank == 3 || selectedEntity.rank == 4);
    case 19: return ConditionSelected(selectedEntity) && selectedEntity.rank == 5;
    case 20: return ConditionSelected(selectedEntity) && selectedEntity.rank == 6;
    case 21: return ConditionSelected(selectedEntity) && selectedEntity.rank == 7;
    case 26:
        return ConditionSelected(selectedEntity) && selectedEntity.isVendor && !selectedEntity.isGuardVendor &&
               !selectedEntity.isGambler;
    case 27: return ConditionSelected(selectedEntity) && selectedEntity.isGuardVendor;
    case 28: return ConditionSelected(selectedEntity) && selectedEntity.isGambler;
    case 32: return ConditionSelected(selectedEntity) && selectedEntity.offersQuest;
    case 33: return ConditionSelected(selectedEntity) && selectedEntity.offersQuest && selectedEntity.kind == 11;
    case 62: {
        const UiGameView& view = ConditionView();
        UiCovenantFacts own;
        int32_t selectedNumber = view.GetSelectedEntityNumber();
        return view.GetCovenantState(view.GetPlayerCovenantIndex(), own) && selectedNumber >= 0 &&
               own.potentialRecruit == selectedNumber;
    }
    default: return false;
    }
}

bool UIWidget::EvaluateCovenantCondition(int32_t condition) const
{
    const UiGameView& view = ConditionView();
    int32_t ownIndex = view.GetPlayerCovenantIndex();
    UiCovenantFacts own;
    bool hasOwn = view.GetCovenantState(ownIndex, own);
    switch (condition) {
    case 8:
        if (!view.IsGameRunning() || !hasOwn)
            return false;
        for (int32_t other = 0; other < view.GetCovenantCount(); ++other) {
            int32_t treaty = view.GetTreaty(other, ownIndex);
            if (other != ownIndex && (treaty == 2 || treaty == 3))
                return true;
        }
        return false;
    case 9: return hasOwn && own.hasPendingDiplomacy;
    case 10: return hasOwn && own.beingRaided;
    case 11: return hasOwn && (own.beingRaided || own.beingAttacked);
    case 12:
        if (!hasOwn || own.defeated)
            return false;
        for (int32_t other = 0; other < view.GetCovenantCount(); ++other) {
            UiCovenantFacts friendly;
            int32_t treaty = view.GetTreaty(ownIndex, other);
            if (other != ownIndex && (treaty == 5 || treaty == 6) && view.GetCovenantState(other, friendly) &&
                friendly.beingRaided)
                return true;
        }
        return false;
    case 13: return hasOwn && own.raiding;
    case 16: {
        int32_t index = GetCovenantIndex();
        if (index < 0 && entityType < UIEntity::PlayerCovenant) {
            UiEntityFacts entity;
            index = GetEntity(entity) ? entity.covenant : -1;
        }
        if (index < 0 || !hasOwn)
            return false;
        int32_t there = view.GetTreaty(index, ownIndex);
        int32_t back = view.GetTreaty(ownIndex, index);
        return index == ownIndex || there == 2 || there == 3 || back == 2 || back == 3;
    }
    case 49: return view.IsGameRunning() && hasOwn && own.defeated;
    case 52: return ParseInt(ConditionUserVar("rel_simplify")) == 0 || ConditionAnyCovenantPair(false);
    case 53: return ParseInt(ConditionUserVar("rel_simplify")) == 0 || ConditionAnyCovenantPair(true);
    case 67: return !view.IsGameRunning() || !(hasOwn && own.defeated);
    default: return false;
    }
}

bool UIWidget::EvaluateGameCondition(int32_t condition) const
{
    const UiGameView& view = ConditionView();
    switch (condition) {
    case 42: return !ConditionUserVar("resumeGameChar").empty();
    case 43: return ConditionCanPlayDifficulty(WorldDifficultyLevel::Champion, "ParsedCharacterBeatNormal");
    case 44: return ConditionCanPlayDifficulty(WorldDifficultyLevel::Elite, "ParsedCharacterBeatChampion");
    case 45: return ConditionCanPlayDifficulty(WorldDifficultyLevel::Legendary, "ParsedCharacterBeatElite");
    case 46: return view.HasActiveWorldEvent(35);
    case 47: return view.HasActiveWorldEvent(45);
    case 50: return view.IsGameRunning() && view.IsGameWon() && !view.IsWinConfirmed();
    case 51: return view.IsConfirmWinPending();
    case 97: return view.GetAdventureRewardMultiplier() > 1.0f;
    default: return false;
    }
}

bool UIWidget::EvaluateProfileCondition(int32_t condition) const
{
    const UiGameView& view = ConditionView();
    if (!view.HasProfile())
        return false;
    const UserProfile* profile = view.GetProfile();
    switch (condition) {
    case 3: return view.GetProfileValue(94) > 0;
    case 69:
    case 71:
        return GlobalStats::LevelOpensChallenges(
            view.GetGlobalStatBest(GlobalStats::kGroupCharacter, CharacterStat::Level));
    case 72: return true;
    case 73: return profile && profile->HasUnlock(unlockName);
    case 76: return view.GetTrophyBand(GetNameValue()) == 1;
    case 77: return view.GetTrophyBand(GetNameValue()) == 2;
    case 78: return view.GetTrophyBand(GetNameValue()) >= 3;
    case 79: return ConditionScoreTrophy("BronzeTrophyMinScore");
    case 80: return ConditionScoreTrophy("SilverTrophyMinScore");
    case 81: return ConditionScoreTrophy("GoldTrophyMinScore");
    case 83: return view.ClassWonAdventure(ConditionUserVar("WorldName"), ConditionUserVar("PlayerClass"));
    case 84: return profile && !profile->HasUnlock("TutorialCompleted") && !profile->HasUnlock("Adventure2");
    case 85: return profile && profile->NewUnlockContains("BeastiaryEntryUnlock");
    case 86: return profile && (profile->NewUnlockContains("Award") || profile->NewUnlockContains("SuperSecret"));
    case 87: return profile && profile->NewUnlockContains("SuperSecret");
    case 88: return profile && profile->IsNewUnlock(unlockName);
    case 99:
        return gFileSystem &&
               gFileSystem->FileExists(PlayerClient::CharacterFilePath(CharacterFileBase(view.GetProfileName()), "wld"),
                                       kLocationUser);
    default: return false;
    }
}

bool UIWidget::EvaluateDataCondition(int32_t condition) const
{
    switch (condition) {
    case 98: {
        std::vector<ListEntry> languages;
        if (gCommandSystem)
            gCommandSystem->CallInfoProc("getSupportedLanguages", languages);
        return languages.size() >= 2;
    }
    case 100: {
        const DatabaseEntry* entry = ConditionAdventureEntry();
        return entry && !entry->GetString("VoiceFile").empty();
    }
    case 54: return gMiniMap && gMiniMap->IsVisible();
    case 56: return gTextEvents && gTextEvents->GetExtraTextEventCount() > 0;
    case 95: return gPlatformSystem && gPlatformSystem->IsWindows();
    case 96: return gPlatformSystem && gPlatformSystem->IsMac();
    default: return false;
    }
}

std::string UIWidget::GetNameValue() const
{
    return conditionText.empty() ? GetUserVarString() : conditionText;
}
