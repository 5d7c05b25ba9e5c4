// GameSystemTuning -- the game-wide tuning values of the "GameSystem" record, with their defaults and derived level geometry.
#include "rules/GameSystemTuning.h"

#include "core/DatabaseEntry.h"
#include "core/DebugSystem.h"
#include "core/EnumTable.h"
#include "core/MathUtil.h"
#include "core/StringUtil.h"
#include "rules/RulesKeys.h"

#include <algorithm>
#include <cmath>
#include <sstream>

namespace {

using G = GameSystemTuning;

template <class T>
struct Key {
    const char* name;
    T G::*member;
};

constexpr Key<int32_t> kIntKeys[] = {
    {"MaxRaidGroupSize", &G::maxRaidGroupSize},
    {"MaxAdventureGroupSize", &G::maxAdventureGroupSize},
    {"LevelTileWidth", &G::levelTileWidth},
    {"LevelTileHeight", &G::levelTileHeight},
    {"BlockTileWidth", &G::blockTileWidth},
    {"BlockTileHeight", &G::blockTileHeight},
    {"RewardChestLevelBonus", &G::rewardChestLevelBonus},
    {"MinAiCovenants", &G::minAiCovenants},
    {"MaxAiCovenants", &G::maxAiCovenants},
    {"BonusFirstBloodScore", &G::bonusFirstBloodScore},
    {"BonusNoLivesLeftScore", &G::bonusNoLivesLeftScore},
    {"BonusBigPainScore", &G::bonusBigPainScore},
    {"BonusBigPainDamage", &G::bonusBigPainDamage},
    {"BonusOverkillScore", &G::bonusOverkillScore},
    {"BonusKillingSpreeScore", &G::bonusKillingSpreeScore},
    {"BonusKillingSpreeCount", &G::bonusKillingSpreeCount},
    {"BonusSpecificKillingSpreeScore", &G::bonusSpecificKillingSpreeScore},
    {"BonusSpecificKillingSpreeCount", &G::bonusSpecificKillingSpreeCount},
    {"BonusCourageSpreeScore", &G::bonusCourageSpreeScore},
    {"BonusCourageSpreeHealth", &G::bonusCourageSpreeHealth},
    {"BonusObjectKillingSpreeScore", &G::bonusObjectKillingSpreeScore},
    {"BonusObjectKillingSpreeCount", &G::bonusObjectKillingSpreeCount},
    {"BonusMassacreScore", &G::bonusMassacreScore},
    {"BonusMassacreCount", &G::bonusMassacreCount},
    {"BonusCloseCallScore", &G::bonusCloseCallScore},
    {"BonusCloseCallMinHealth", &G::bonusCloseCallMinHealth},
    {"BonusCloseCallMaxHealth", &G::bonusCloseCallMaxHealth},
    {"BonusNearDeathScore", &G::bonusNearDeathScore},
    {"BonusNearDeathMinHealth", &G::bonusNearDeathMinHealth},
    {"BonusNearDeathMaxHealth", &G::bonusNearDeathMaxHealth},
    {"AttributePointsPerLevel", &G::attributePointsPerLevel},
    {"BaseSkillPointsPerLevel", &G::baseSkillPointsPerLevel},
    {"LevelsBetweenSkillPointRaises", &G::levelsBetweenSkillPointRaises},
    {"SkillPointRaise", &G::skillPointRaise},
    {"MaxRecruits", &G::maxRecruits},
    {"MaxMoney", &G::maxMoney},
    {"WarpRings", &G::warpRings},
    {"RelocateRings", &G::relocateRings},
    {"BonusChestGoodDepth", &G::bonusChestGoodDepth},
    {"BonusChestGreatDepth", &G::bonusChestGreatDepth},
    {"BonusChestRings", &G::bonusChestRings},
    {"InventorySize", &G::inventorySize},
    {"BookshelfSize", &G::bookshelfSize},
    {"InventoryTempSlot", &G::inventoryTempSlot},
    {"IdentifyCost", &G::identifyCost},
    {"MaxLevel", &G::maxLevel},
    {"ScoreForSecret", &G::scoreForSecret},
    {"ScoreForSuperSecret", &G::scoreForSuperSecret},
    {"BronzeTrophyPoints", &G::bronzeTrophyPoints},
    {"SilverTrophyPoints", &G::silverTrophyPoints},
    {"GoldTrophyPoints", &G::goldTrophyPoints},
    {"LowHealthSoundWarningLevel", &G::lowHealthSoundWarningLevel},
    {"MaxInfluence", &G::maxInfluence},
    {"MinSellPercentPrice", &G::minSellPercentPrice},
    {RulesKeys::kSellFractionLevels, &G::sellFractionLevels},
};

constexpr Key<float> kFloatKeys[] = {
    {"MinIdentifyTime", &G::minIdentifyTime},
    {"BaseIdentifyTime", &G::baseIdentifyTime},
    {"IdentifyTimeIncreasePerLevel", &G::identifyTimeIncreasePerLevel},
    {"IdentifyTimeDecreasePerLevel", &G::identifyTimeDecreasePerLevel},
    {"MinChestOpenTime", &G::minChestOpenTime},
    {"BaseChestOpenTime", &G::baseChestOpenTime},
    {"ChestOpenTimeIncreasePerLevel", &G::chestOpenTimeIncreasePerLevel},
    {"ChestOpenTimeDecreasePerLevel", &G::chestOpenTimeDecreasePerLevel},
    {"TileSize", &G::tileSize},
    {"SunriseStart", &G::sunriseStart},
    {"SunsetEnd", &G::sunsetEnd},
    {"RealToWorldTimeFactor", &G::realToWorldTimeFactor},
    {"BaseItemTimeOnGround", &G::baseItemTimeOnGround},
    {"MonsterRespawnTime", &G::monsterRespawnTime},
    {"RespawnMinPlayerDistance", &G::respawnMinPlayerDistance},
    {"BonusOverkillDamageMult", &G::bonusOverkillDamageMult},
    {"BonusKillingSpreeTime", &G::bonusKillingSpreeTime},
    {"BonusSpecificKillingSpreeTime", &G::bonusSpecificKillingSpreeTime},
    {"BonusObjectKillingSpreeTime", &G::bonusObjectKillingSpreeTime},
    {"BonusMassacreTime", &G::bonusMassacreTime},
    {"ResurrectHealthPercent", &G::resurrectHealthPercent},
    {"ResurrectPowerPercent", &G::resurrectPowerPercent},
    {RulesKeys::kMoneyPerSkillPoint, &G::moneyPerSkillPoint},
    {"BaseXpNeededEachLevel", &G::baseXpNeededEachLevel},
    {RulesKeys::kXpMultPerLevelAbove, &G::xpMultPerLevelAbove},
    {RulesKeys::kXpMultPerLevelBelow, &G::xpMultPerLevelBelow},
    {"SecretDiscoveryXpMult", &G::secretDiscoveryXpMult},
    {"LevelDiscoveryXpMult", &G::levelDiscoveryXpMult},
    {"GuardHateMult", &G::guardHateMult},
    {"LeaderXpShare", &G::leaderXpShare},
    {"MonsterSkillPointsPerLevel", &G::monsterSkillPointsPerLevel},
    {"KillAllMonstersScoreMult", &G::killAllMonstersScoreMult},
    {"FoundAllSecretsScoreMult", &G::foundAllSecretsScoreMult},
    {"MaxSelectedEntityDistance", &G::maxSelectedEntityDistance},
    {"MinSelectionSize", &G::minSelectionSize},
    {"DamageEventMaxTime", &G::damageEventMaxTime},
    {"DamageEventSpeed", &G::damageEventSpeed},
    {"DamageEventFadeTime", &G::damageEventFadeTime},
    {"OverHeadIconSize", &G::overHeadIconSize},
    {"OverHeadIconAlpha", &G::overHeadIconAlpha},
    {"UseHintFadeInSpeed", &G::useHintFadeInSpeed},
    {"UseHintFadeOutSpeed", &G::useHintFadeOutSpeed},
    {"UseHintSize", &G::useHintSize},
    {"PvpDamageMult", &G::pvpDamageMult},
    {"ArmorAbsorbMultiplier", &G::armorAbsorbMultiplier},
    {"ArmorMinAbsorbPercent", &G::armorMinAbsorbPercent},
    {"ResistanceAbsorbMultiplier", &G::resistanceAbsorbMultiplier},
    {"ResistanceMinAbsorbPercent", &G::resistanceMinAbsorbPercent},
    {"ResistanceDotMultiplier", &G::resistanceDotMultiplier},
    {RulesKeys::kTypicalDamageBase, &G::typicalDamageBase},
    {RulesKeys::kTypicalDamagePerLevel, &G::typicalDamagePerLevel},
    {"InfluenceMultDestroyedCovenant", &G::influenceMultDestroyedCovenant},
    {"InfluenceMultCombatXp", &G::influenceMultCombatXp},
    {"InfluenceMultSecretXp", &G::influenceMultSecretXp},
    {"InfluenceMultQuestXp", &G::influenceMultQuestXp},
    {"InfluenceMultExplorationXp", &G::influenceMultExplorationXp},
    {"HardGoalEachLevel", &G::hardGoalEachLevel},
    {"EasyGoalEachLevel", &G::easyGoalEachLevel},
    {"TaxPeriod", &G::taxPeriod},
    {"PurgeEntitiesThreshold", &G::purgeEntitiesThreshold},
    {"TaxMult", &G::taxMult},
    {"MinSellPercent", &G::minSellPercent},
    {"MaxSellPercent", &G::maxSellPercent},
    {RulesKeys::kSellFractionStart, &G::sellFractionStart},
    {RulesKeys::kSellFractionEnd, &G::sellFractionEnd},
    {"TradeAdditionPercent", &G::tradeAdditionPercent},
    {"RumorFailureChancePartial", &G::rumorFailureChancePartial},
    {"RumorFailureChanceComplete", &G::rumorFailureChanceComplete},
    {"RumorFailureChanceUnknownBackfire", &G::rumorFailureChanceUnknownBackfire},
    {"RumorFailureChanceCompleteBackfire", &G::rumorFailureChanceCompleteBackfire},
    {"RumorMinPercentChange", &G::rumorMinPercentChange},
    {"RumorMaxPercentChange", &G::rumorMaxPercentChange},
    {"MoneyChance", &G::moneyChance},
    {"MinMoneyPerLevel", &G::minMoneyPerLevel},
    {"MaxMoneyPerLevel", &G::maxMoneyPerLevel},
    {"StartMoneyDropsBase", &G::startMoneyDropsBase},
    {"StartMoneyDropsPerLevel", &G::startMoneyDropsPerLevel},
    {"PotentialRecruitArriveChance", &G::potentialRecruitArriveChance},
    {"PotentialRecruitArriveTime", &G::potentialRecruitArriveTime},
};

constexpr Key<bool> kBoolKeys[] = {
    {"LevelUpOnDungeonDepth", &G::levelUpOnDungeonDepth},
    {"ClearKeysOnDungeonDepth", &G::clearKeysOnDungeonDepth},
    {"SpawnConnectingGates", &G::spawnConnectingGates},
    {"UsingCovenants", &G::usingCovenants},
    {"WinConditionCovenantsEliminated", &G::winConditionCovenantsEliminated},
    {"WinConditionAllQuestsSolved", &G::winConditionAllQuestsSolved},
    {"ConfirmWin", &G::confirmWin},
    {"ForceWin", &G::forceWin},
    {"UsesSaveGames", &G::usesSaveGames},
    {"LimitedLives", &G::limitedLives},
    {"AutoTarget", &G::autoTarget},
    {"UseNewCharSkillBonuses", &G::useNewCharSkillBonuses},
    {"ShowSelectedEntityIcon", &G::showSelectedEntityIcon},
    {"EitherButtonToUseItem", &G::eitherButtonToUseItem},
    {"ShowLineOfSight", &G::showLineOfSight},
    {"ShowSkillDetails", &G::showSkillDetails},
    {"ShowStatusEffectDetails", &G::showStatusEffectDetails},
    {"ShowDescriptionHint", &G::showDescriptionHint},
    {"ShowRightClickHint", &G::showRightClickHint},
};

constexpr Key<std::string> kStringKeys[] = {
    {"GameName", &G::gameName},
    {"Version", &G::version},
    {"TutorialQuest", &G::tutorialQuest},
    {"WonGameText", &G::wonGameText},
    {"LostGameText", &G::lostGameText},
    {"SoundNameIdentifying", &G::soundNameIdentifying},
    {"SoundNameDoneIdentifying", &G::soundNameDoneIdentifying},
    {"SoundNameOpeningChest", &G::soundNameOpeningChest},
    {"SoundNameSearchingSecretStash", &G::soundNameSearchingSecretStash},
    {"SoundNameSearchingDeadBody", &G::soundNameSearchingDeadBody},
    {"SoundNameCreatingGate", &G::soundNameCreatingGate},
    {"SoundNameTimeTick", &G::soundNameTimeTick},
    {"SoundNameLowHealth", &G::soundNameLowHealth},
    {"LevelUpEffect", &G::levelUpEffect},
    {"BonusChestNormalName", &G::bonusChestNormalName},
    {"BonusChestDecentName", &G::bonusChestDecentName},
    {"BonusChestGoodName", &G::bonusChestGoodName},
    {"BonusChestGreatName", &G::bonusChestGreatName},
};

constexpr Key<FloatPair> kPairKeys[] = {
    {"GridSize", &G::gridSize},
    {"GridOffset", &G::gridOffset},
    {"StartPosition", &G::startPosition},
    {"TownGatePosition", &G::townGatePosition},
    {"DrawDistance", &G::drawDistance},
    {"PurgeEntitiesTime", &G::purgeEntitiesTime},
};

// Up to two numbers separated by blanks; one number sets both, none keeps the fallback.
FloatPair ParsePair(std::string_view text, FloatPair fallback)
{
    float numbers[2] = {};
    int found = 0;
    size_t position = 0;
    while (found < 2) {
        position = text.find_first_not_of(" \t", position);
        if (position == std::string_view::npos)
            break;
        size_t end = std::min(text.find_first_of(" \t", position), text.size());
        numbers[found++] = ParseFloat(text.substr(position, end - position));
        position = end;
    }
    if (found == 0)
        return fallback;
    return FloatPair{numbers[0], found == 2 ? numbers[1] : numbers[0]};
}

// A "ColorType" name or an index; an unknown name or an index outside the table is logged and
// keeps the fallback.
int32_t ReadTuningColor(const DatabaseEntry& entry, const std::string& key, int32_t fallback)
{
    std::string text = entry.GetString(key);
    if (text.empty())
        return fallback;
    if (!IsIntegerText(text)) {
        const EnumTable* colors = EnumTable::Find("ColorType");
        int32_t index = colors->IndexOf(text);
        if (index >= 0)
            return index;
        colors->Lookup(text);  // for its "Unknown ColorType name" line
        return fallback;
    }
    int32_t index = ParseInt(text);
    if (index >= 0 && index < ColorType::kCount)
        return index;
    DebugSystem::Print(kPrintError, "GameSystem %s: colour %s is outside the colour table\n", key.c_str(),
                       text.c_str());
    return fallback;
}

// key + each name of the table, in value order; an empty name reads nothing.
template <class T, size_t N, class Read>
void ReadByName(const DatabaseEntry& entry, std::string_view prefix, const char* tableName, std::array<T, N>& out,
                Read read)
{
    const EnumTable* table = EnumTable::Find(tableName);
    for (size_t i = 0; i < N && table; ++i) {
        const std::string& name = table->GetName(static_cast<int32_t>(i));
        if (!name.empty())
            out[i] = read(entry, std::string(prefix) + name, out[i]);
    }
}

float ReadFloat(const DatabaseEntry& entry, const std::string& key, float fallback)
{
    return entry.GetFloat(key, fallback);
}

int32_t ReadInt(const DatabaseEntry& entry, const std::string& key, int32_t fallback)
{
    return entry.GetInt(key, fallback);
}

std::string ReadString(const DatabaseEntry& entry, const std::string& key, const std::string& fallback)
{
    return entry.GetString(key, fallback);
}

// key is "TownSpot" and the type's name; the facing is read beside it.
TownSpot ReadTownSpot(const DatabaseEntry& entry, const std::string& key, const TownSpot& fallback)
{
    std::istringstream text(entry.GetString(key));
    TownSpot spot;
    if (!(text >> spot.level >> spot.x >> spot.y) || spot.level < 0 || !std::isfinite(spot.x) || !std::isfinite(spot.y))
        return fallback;
    spot.facing = std::clamp(entry.GetInt("TownFacing" + key.substr(std::string_view("TownSpot").size()), 0), 0, 7);
    spot.set = true;
    return spot;
}

void ReadScalars(G& tuning, const DatabaseEntry& entry)
{
    for (const auto& key : kIntKeys)
        tuning.*key.member = entry.GetInt(key.name, tuning.*key.member);
    for (const auto& key : kFloatKeys)
        tuning.*key.member = entry.GetFloat(key.name, tuning.*key.member);
    for (const auto& key : kBoolKeys)
        tuning.*key.member = entry.GetInt(key.name, tuning.*key.member ? 1 : 0) != 0;
    for (const auto& key : kStringKeys)
        tuning.*key.member = entry.GetString(key.name, tuning.*key.member);
    for (const auto& key : kPairKeys)
        tuning.*key.member = ParsePair(entry.GetString(key.name), tuning.*key.member);
}

void ReadTables(G& tuning, const DatabaseEntry& entry)
{
    ReadByName(entry, "DifficultyTimeMult", "WorldDifficultyLevel", tuning.difficultyTimeMult, ReadFloat);
    ReadByName(entry, "DifficultyLivesChange", "WorldDifficultyLevel", tuning.difficultyLivesChange, ReadInt);
    ReadByName(entry, "DifficultyMonsterLevelStart", "WorldDifficultyLevel", tuning.difficultyMonsterLevelStart,
               ReadInt);
    ReadByName(entry, RulesKeys::kDifficultyMinLevel, "WorldDifficultyLevel", tuning.difficultyMinLevel, ReadInt);
    ReadByName(entry, "MonsterDefenseMult", "WorldDifficultyLevel", tuning.monsterDefenseMult, ReadFloat);
    ReadByName(entry, "MonsterAttackMult", "WorldDifficultyLevel", tuning.monsterAttackMult, ReadFloat);
    ReadByName(entry, "MonsterHealthMult", "WorldDifficultyLevel", tuning.monsterHealthMult, ReadFloat);
    ReadByName(entry, "MonsterDamageMult", "WorldDifficultyLevel", tuning.monsterDamageMult, ReadFloat);
    ReadByName(entry, "MonsterResistanceMult", "WorldDifficultyLevel", tuning.monsterResistanceMult, ReadFloat);
    ReadByName(entry, "MonsterSpeedMult", "WorldDifficultyLevel", tuning.monsterSpeedMult, ReadFloat);
    for (int32_t i = 0; i < kSpawnCategoryCount; ++i) {
        tuning.spawnCategoryXpMult[i] =
            entry.GetFloat("SpawnCategoryXpMult" + std::to_string(i), tuning.spawnCategoryXpMult[i]);
        tuning.spawnCategoryScoreMult[i] =
            entry.GetFloat("SpawnCategoryScoreMult" + std::to_string(i), tuning.spawnCategoryScoreMult[i]);
    }
    ReadByName(entry, "TimeOnGroundMult", "ItemRarity", tuning.timeOnGroundMult, ReadFloat);
    ReadByName(entry, "XpMultMonster", "MonsterRarity", tuning.xpMultMonster, ReadFloat);
    ReadByName(entry, RulesKeys::kItemTypeColor, "ItemType", tuning.itemTypeColor, ReadTuningColor);
    ReadByName(entry, RulesKeys::kItemQualityColor, "ItemRarity", tuning.itemQualityColor, ReadTuningColor);
    ReadByName(entry, RulesKeys::kMonsterRarityColor, "MonsterRarity", tuning.monsterRarityColor, ReadTuningColor);
    ReadByName(entry, RulesKeys::kTreatyColor, "CovenantTreaty", tuning.treatyColor, ReadTuningColor);
    ReadByName(entry, RulesKeys::kTradeRouteColor, "TradeRouteType", tuning.tradeRouteColor, ReadTuningColor);
    ReadByName(entry, "DirectDamagePercent", "DamageType", tuning.directDamagePercent, ReadFloat);
    ReadByName(entry, "DamageOverTimePercent", "DamageType", tuning.damageOverTimePercent, ReadFloat);
    ReadByName(entry, "CombatEffect", "AttackSoundType", tuning.combatEffect, ReadString);
    ReadByName(entry, "AttackSound", "AttackSoundType", tuning.attackSound, ReadString);
    ReadByName(entry, "RumorCostPerLevel", "RumorLevel", tuning.rumorCostPerLevel, ReadFloat);
    ReadByName(entry, "RumorChance", "RumorLevel", tuning.rumorChance, ReadFloat);
    ReadByName(entry, "TownSpot", "NpcType", tuning.townSpots, ReadTownSpot);
    for (int32_t i = 0; i < kAttributeCount; ++i)
        tuning.attributeCap[i] = entry.GetInt("Max" + GetCharacterStatName(CharacterStat::BaseStrength + i, false),
                                              tuning.attributeCap[i]);
    for (int32_t i = 0; i < kPowerWeightCount; ++i) {
        std::string key = RulesKeys::kPowerWeight + EnumTable::Find("CovenantStat")->GetName(kPowerWeightStats[i]);
        tuning.powerWeight[i] = entry.GetFloat(key, tuning.powerWeight[i]);
    }
    const EnumTable* worths = EnumTable::Find("ValueEachPoint");
    for (int32_t i = 0; i < ValueEachPoint::kCount; ++i)
        tuning.valueEachPoint[i] = entry.GetFloat("ValueEachPoint" + worths->GetName(i), tuning.valueEachPoint[i]);
    const EnumTable* routes = EnumTable::Find("TradeRouteType");
    for (int32_t kind = 0; kind < TradeRouteType::kCount; ++kind) {
        std::string prefix = "TradeRoute" + routes->GetName(kind);
        TradeRouteTuning& route = tuning.tradeRoutes[kind];
        route.start = entry.GetFloat(prefix + "Start", route.start);
        route.maxPercent = entry.GetFloat(prefix + "MaxPercent", route.maxPercent);
        route.increasePerHour = entry.GetFloat(prefix + "IncreasePerHour", route.increasePerHour);
    }
}

// The nearest record of the chain that gives a list gives all of it: lists replace, never add up.
void ReadLists(G& tuning, const DatabaseEntry& entry)
{
    entry.GetStringList("Fonts", tuning.fonts, true, true);
    entry.GetFloatList("DeathScoreMult", tuning.deathScoreMult, true, true);
    std::vector<std::string> offsets;
    entry.GetStringList("UseHintOffset", offsets, true, true);
    for (const std::string& offset : offsets)
        tuning.useHintOffsets.push_back(ParsePair(offset, FloatPair{}));
}

// A size of 0 or less (or not a number) would leave every cell computation dividing by
// nothing: such a value is refused for the default.
template <class T>
void RequirePositive(T& value, T fallback, const char* key)
{
    if (value > T{})
        return;
    DebugSystem::Print(kPrintError, "GameSystem %s must be above 0; the default is used\n", key);
    value = fallback;
}

// The level's cell counts are 32-bit products of these: a size past the bound would ask for
// gigabytes per level, so it is held to the bound.
template <class T>
void RequireAtMost(T& value, T bound, const char* key)
{
    if (value <= bound)
        return;
    DebugSystem::Print(kPrintWarning, "GameSystem %s %g is above %g; %g is used\n", key, static_cast<double>(value),
                       static_cast<double>(bound), static_cast<double>(bound));
    value = bound;
}

void DeriveGeometry(G& tuning)
{
    const G defaults;
    RequireAtMost(tuning.levelTileWidth, G::kMaxLevelTiles, "LevelTileWidth");
    RequireAtMost(tuning.levelTileHeight, G::kMaxLevelTiles, "LevelTileHeight");
    RequireAtMost(tuning.tileSize, G::kMaxTileSize, "TileSize");
    RequirePositive(tuning.levelTileWidth, defaults.levelTileWidth, "LevelTileWidth");
    RequirePositive(tuning.levelTileHeight, defaults.levelTileHeight, "LevelTileHeight");
    RequirePositive(tuning.blockTileWidth, defaults.blockTileWidth, "BlockTileWidth");
    RequirePositive(tuning.blockTileHeight, defaults.blockTileHeight, "BlockTileHeight");
    RequirePositive(tuning.tileSize, defaults.tileSize, "TileSize");
    RequirePositive(tuning.gridSize.x, defaults.gridSize.x, "GridSize");
    RequirePositive(tuning.gridSize.y, defaults.gridSize.y, "GridSize");

    tuning.blocksPerRow = tuning.levelTileWidth / tuning.blockTileWidth;
    tuning.blocksPerColumn = tuning.levelTileHeight / tuning.blockTileHeight;
    tuning.cellsPerTile = FloorToInt(tuning.tileSize / tuning.gridSize.x + 0.5f);
    if (tuning.cellsPerTile < 1) {
        DebugSystem::Print(kPrintError, "GameSystem GridSize %g is above twice TileSize %g; one cell per tile is used\n",
                           tuning.gridSize.x, tuning.tileSize);
        tuning.cellsPerTile = 1;
    }
    RequireAtMost(tuning.cellsPerTile, G::kMaxCellsPerTile, "cells per tile (TileSize over GridSize)");
    tuning.cellsPerBlockX = tuning.cellsPerTile * tuning.blockTileWidth;
    tuning.cellsPerBlockY = tuning.cellsPerTile * tuning.blockTileHeight;
    tuning.cellsPerLevelX = tuning.cellsPerTile * tuning.levelTileWidth;
    tuning.cellsPerLevelY = tuning.cellsPerTile * tuning.levelTileHeight;
    tuning.levelWidth = static_cast<float>(tuning.levelTileWidth) * tuning.tileSize;
    tuning.levelHeight = static_cast<float>(tuning.levelTileHeight) * tuning.tileSize;
    tuning.halfLevelWidth = tuning.levelWidth * 0.5f;
    tuning.halfLevelHeight = tuning.levelHeight * 0.5f;
    tuning.blockWidth = static_cast<float>(tuning.blockTileWidth) * tuning.tileSize;
    tuning.blockHeight = static_cast<float>(tuning.blockTileHeight) * tuning.tileSize;
}

void DeriveXpTable(G& tuning, const DatabaseEntry* entry)
{
    if (tuning.maxLevel < 1 || tuning.maxLevel > kLevelLimit) {
        DebugSystem::Print(kPrintError, "GameSystem MaxLevel %d is outside 1..%d\n", tuning.maxLevel, kLevelLimit);
        tuning.maxLevel = std::clamp(tuning.maxLevel, 1, kLevelLimit);
    }
    tuning.xpNeeded.assign(static_cast<size_t>(tuning.maxLevel) + 1, 0);
    float factor = 1.0f;
    float product = 1.0f;
    for (int32_t level = 1; level <= tuning.maxLevel; ++level) {
        if (level >= 2) {
            std::string key = RulesKeys::kXpFactorLevel + std::to_string(level);
            if (entry && entry->FindField(key))
                factor = entry->GetFloat(key, factor);
            product *= factor;
        }
        tuning.xpNeeded[static_cast<size_t>(level)] = CeilToInt(tuning.baseXpNeededEachLevel * product);
    }
}

} // namespace

GameSystemTuning::GameSystemTuning()
{
    difficultyTimeMult.fill(1.0f);
    difficultyMonsterLevelStart.fill(1);
    difficultyMinLevel.fill(1);
    timeOnGroundMult.fill(1.0f);
    xpMultMonster.fill(1.0f);
    for (auto* table : {&monsterDefenseMult, &monsterAttackMult, &monsterHealthMult, &monsterDamageMult,
                        &monsterResistanceMult, &monsterSpeedMult})
        table->fill(1.0f);
    spawnCategoryXpMult.fill(1.0f);
    spawnCategoryScoreMult.fill(1.0f);
}

void GameSystemTuning::Load(const DatabaseEntry* entry)
{
    *this = GameSystemTuning();
    RegisterRulesEnumTables();
    if (entry) {
        ReadScalars(*this, *entry);
        ReadTables(*this, *entry);
        ReadLists(*this, *entry);
    } else {
        DebugSystem::Print(kPrintError, "GameSystem database entry not found!\n");
    }
    DeriveGeometry(*this);
    DeriveXpTable(*this, entry);
}
