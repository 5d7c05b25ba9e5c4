// UiNameTables -- the words layout files use for conditions, entities, text sources, colour sources, UI modes, text orientation and font types.
#include "ui/UiNameTables.h"

#include "core/EnumTable.h"

#include <iterator>

namespace {

constexpr const char* kUiConditionNames[] = {
    "None", "AttributePoints", "SkillPoints", "UserPoints", "CovenantPoints", "QuestNotice",
    "ParentWidgetSelected", "ParentWidgetVisible", "AtWar", "OutstandingDiplomacyRequest", "BeingRaided",
    "BeingRaidedOrAttacked", "FriendBeingRaided", "Raiding", "TextMatchesUserVar", "StatMaxed",
    "ImportantCovenant", "ChampionMonster", "EliteMonster", "UniqueMonster", "LegendMonster", "BossMonster",
    "SubmenuSelected", "UserVarSet", "UserVarNotSet", "UserVarDeleteVerification", "NormalVendor",
    "GuardVendor", "Gambler", "LowHealth", "LowMana", "NearLevelUp", "HasQuestAvailable", "TutorialQuest",
    "EntityValid", "EntityDead", "EntityHasHealth", "EntityHasPower", "ValidSelectedQuest",
    "CanSkipSelectedPlayerQuest", "CanSkipSelectedQuest", "ValidTimedEvent", "CanResumeGame",
    "CanPlayChampion", "CanPlayElite", "CanPlayLegendary", "TownBeingAttacked", "TownBeingSieged",
    "TimedQuest", "LostGame", "WonGame", "ConfirmWin", "ShowTreaties", "ShowTradeRoutes", "MiniMapOn",
    "GateMapOn", "ExtraTextEvents", "ItemSet1", "ItemSet2", "AlwaysTrue", "NothingEquipped",
    "BelowDifficultyMinLevel", "PotentialRecruit", "PlayerWarrior", "PlayerRogue", "PlayerPriest",
    "PlayerMage", "CanReturnToGame", "Hardcore", "CanPlayHardcore", "LonerChallenge", "CanPlayLonerChallenge",
    "UserLoaded", "Unlocked", "UserVarMatchesDefault", "ValidDatabaseEntry", "BestTrophyBronze",
    "BestTrophySilver", "BestTrophyGold", "ScoreTrophyBronze", "ScoreTrophySilver", "ScoreTrophyGold",
    "LivesLeft", "ClassWonAdventure", "TutorialRecommended", "NewBeastiaryUnlocked", "NewAwardUnlocked",
    "NewSuperSecretUnlocked", "SpecificUnlockUnlocked", "ValidQuest0", "ValidQuest1", "ValidQuest2",
    "ValidQuest3", "ValidQuest4", "ValidQuest5", "IsWindows", "IsMac", "AdventureTimed",
    "MultiLanguageSupport", "HaveUserAdventureSave", "HasStoryVoice",
};
constexpr const char* kUiEntityNames[] = {
    "PlayerServer", "PlayerClient", "Selected", "SelectedRecruit", "PartyMember", "PlayerCovenant",
    "PlayerCovenantServer", "EnemyCovenant", "SortedCovenantByPower",
};
constexpr const char* kUiTextSourceNames[] = {
    "None", "PlayerName", "PlayerNameAndTitle", "PlayerTitle", "PlayerClassName", "PowerName", "PowerSources",
    "SelectedFullName", "SelectedName", "SelectedTitle", "EntityName", "EntityNameSimple", "EntityLevel",
    "UserVar", "SpecifiedUserVar", "CovenantName", "CovenantShortName", "ColoredCovenantName",
    "ColoredCovenantShortName", "AreaName", "WorldName", "SkillTreeName", "ShelfName", "QuestText",
    "QuestTitle", "PotentialQuestText", "SolvedQuestText", "SolvedQuestTitle", "DiplomacyResponse",
    "NpcChatText", "TimedEventType", "Version", "SelectedCharacterClassDescription", "CovenantInfluenceRank",
    "CovenantPowerRank", "CovenantTaxesSimple", "CovenantTaxes", "CovenantTaxesVerbose", "CovenantHas",
    "CovenantOffers", "SubmenuName", "TextFile", "TextFileDirect", "TextFileUserVar", "RecruitSkills",
    "HelpTopic", "HelpTopicTitle", "TomesOnBookshelf", "ShortestTimeQuestTitle", "ShortestTimeQuestTime",
    "GameTime", "ColoredGameTime", "Text", "RelationWithPlayerCovenant", "VirtualKeyRealKeyName",
    "BagCapacity", "IdentifyAll", "HotKey", "NamedHotKey", "MilitaryWinProgress", "MilitaryWinRemaining",
    "DiplomaticWinProgress", "DiplomaticWinRemaining", "AllianceWinProgress", "AllianceWinRemaining",
    "RaidingCovenant", "RumorText", "WonGameText", "LostGameText", "SkillName", "UserName", "UserDifficulty",
    "UserTotalScore", "UserTotalStat", "UserTotalFunStat", "UserBestStat", "UserBestFunStat", "TrophyScores",
    "UnlockText", "UnlockTextSimple", "NumTrophies", "NumAdventuresClassWon", "WorldTimes", "TimeScoreBonus",
    "DeathsScoreBonus", "KillAllMonstersScoreBonus", "FoundAllSecretsScoreBonus", "AdventureHighestStat",
    "AdventureLowestStat", "AdventureHighestFunStat", "AdventureLowestFunStat", "PlayerStat",
    "AdventureNumSecrets", "NewUnlocks", "AdventureEpilog", "UserMonsterStatKills", "UserMonsterStatDeaths",
};
constexpr const char* kUiColorSourceNames[] = {"None", "EntityClass", "Covenant"};
constexpr const char* kUiModeNames[] = {"Normal", "IncreaseSkill"};
constexpr const char* kUiTextOrientationNames[] = {"BottomLeft", "Center", "CenterLeft", "CenterRight"};
// Entries 1 to 4 are the positions of the game's "Fonts" list.
constexpr const char* kUiFontTypeNames[] = {"None", "Medium", "Large", "Huge", "Bold"};

static_assert(std::size(kUiConditionNames) == UiNameTables::kConditionCount);
static_assert(std::size(kUiEntityNames) == UiNameTables::kEntityCount);
static_assert(std::size(kUiTextSourceNames) == UiNameTables::kTextSourceCount);
static_assert(std::size(kUiColorSourceNames) == UiNameTables::kColorSourceCount);
static_assert(std::size(kUiModeNames) == UiNameTables::kModeCount);

constexpr EnumTable::NameList kUiTables[] = {
    {"UICondition", 0, kUiConditionNames},        {"UIEntity", 0, kUiEntityNames},
    {"UITextSource", 0, kUiTextSourceNames},      {"UIColorSource", 0, kUiColorSourceNames},
    {"UIMode", 0, kUiModeNames},                  {"TextOrientation", 0, kUiTextOrientationNames},
    {"FontType", 0, kUiFontTypeNames},
};

} // namespace

void UiNameTables::Register()
{
    for (const EnumTable::NameList& list : kUiTables)
        EnumTable::RegisterNames(list);
}
