// GameSystemTuning -- the game-wide tuning values of the "GameSystem" record, with their defaults and derived level geometry.
#pragma once

#include "core/ColorSystem.h"
#include "core/EngineEnums.h"
#include "rules/RulesEnums.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

class DatabaseEntry;

// Two numbers given on one line ("GridSize 32 32"); a single number sets both.
struct FloatPair {
    float x = 0.0f;
    float y = 0.0f;
};

// Where a town NPC stands: "TownSpot<NpcType>" ("level x y") and "TownFacing<NpcType>" (0-7).
// Unset when the spot is missing or does not read whole.
struct TownSpot {
    int32_t level = -1;
    float x = 0.0f;
    float y = 0.0f;
    int32_t facing = 0;
    bool set = false;
};

// One trade-route kind's income curve.
struct TradeRouteTuning {
    float start = 0.0f;
    float maxPercent = 0.0f;
    float increasePerHour = 0.0f;
};

// Covenant power: the five weighted statistics, in order.
constexpr int32_t kPowerWeightStats[] = {CovenantStat::House, CovenantStat::AbsoluteInfluence, CovenantStat::People,
                                         CovenantStat::Items, CovenantStat::LifeStone};
constexpr int32_t kPowerWeightCount = 5;
// "Max" + BaseStrength .. BaseSpirit.
constexpr int32_t kAttributeCount = 5;
// The spawn categories a spawn gives its monsters.
constexpr int32_t kSpawnCategoryCount = 8;
// The experience table is kept for levels up to this, whatever "MaxLevel" says.
constexpr int32_t kLevelLimit = 1000;

// Every value starts at its default and keeps it when its key is missing. The defaults of the
// level geometry form a playable level, so a game without the record still has a sound grid.
struct GameSystemTuning {
    // The defaults of the per-name tables: factors 1, the first difficulty level 1.
    GameSystemTuning();

    // Reads every key; a null entry logs "GameSystem database entry not found!" and keeps the
    // defaults. The derived values are computed either way.
    void Load(const DatabaseEntry* entry);

    // Level geometry. "TileSize" is one value for both axes.
    // Bounds of the level's geometry: at most 4,096 cells across a level.
    static constexpr int32_t kMaxLevelTiles = 256;
    static constexpr float kMaxTileSize = 1024.0f;
    static constexpr int32_t kMaxCellsPerTile = 16;
    int32_t levelTileWidth = 64;
    int32_t levelTileHeight = 64;
    int32_t blockTileWidth = 8;
    int32_t blockTileHeight = 8;
    float tileSize = 64.0f;
    FloatPair gridSize{32.0f, 32.0f};
    FloatPair gridOffset;
    // Derived at load.
    int32_t blocksPerRow = 0;
    int32_t blocksPerColumn = 0;
    int32_t cellsPerTile = 0;  // floor(TileSize / GridSize + 0.5)
    int32_t cellsPerBlockX = 0;
    int32_t cellsPerBlockY = 0;
    int32_t cellsPerLevelX = 0;
    int32_t cellsPerLevelY = 0;
    float levelWidth = 0.0f;
    float levelHeight = 0.0f;
    float halfLevelWidth = 0.0f;
    float halfLevelHeight = 0.0f;
    float blockWidth = 0.0f;
    float blockHeight = 0.0f;

    // By world difficulty: key + the "WorldDifficultyLevel" name.
    std::array<float, WorldDifficultyLevel::kCount> difficultyTimeMult{};
    // Lives a new character gains or loses at each world difficulty.
    std::array<int32_t, WorldDifficultyLevel::kCount> difficultyLivesChange{};
    std::array<int32_t, WorldDifficultyLevel::kCount> difficultyMonsterLevelStart{};
    std::array<int32_t, WorldDifficultyLevel::kCount> difficultyMinLevel{};
    // A monster's stat factors: "Monster" + Defense/Attack/Health/Damage/Resistance/Speed +
    // "Mult" + the difficulty name; 1 when missing.
    std::array<float, WorldDifficultyLevel::kCount> monsterDefenseMult{};
    std::array<float, WorldDifficultyLevel::kCount> monsterAttackMult{};
    std::array<float, WorldDifficultyLevel::kCount> monsterHealthMult{};
    std::array<float, WorldDifficultyLevel::kCount> monsterDamageMult{};
    std::array<float, WorldDifficultyLevel::kCount> monsterResistanceMult{};
    std::array<float, WorldDifficultyLevel::kCount> monsterSpeedMult{};

    // Time and world.
    float sunriseStart = 0.0f;
    float sunsetEnd = 0.0f;
    float realToWorldTimeFactor = 0.0f;
    float baseItemTimeOnGround = 0.0f;
    std::array<float, ItemRarity::kCount> timeOnGroundMult{};  // + item quality name
    bool levelUpOnDungeonDepth = false;
    bool clearKeysOnDungeonDepth = false;
    float monsterRespawnTime = 0.0f;
    // The crowded-level purge: seconds between tries, drawn between the two values, and the share
    // of the entity table that must be taken before a level is purged (0 switches it off).
    FloatPair purgeEntitiesTime;
    float purgeEntitiesThreshold = 0.0f;
    float respawnMinPlayerDistance = 0.0f;
    FloatPair startPosition;
    FloatPair drawDistance;
    bool spawnConnectingGates = false;
    int32_t rewardChestLevelBonus = 0;

    // Level objects: the rings a level's misplaced objects are searched a free spot in once it
    // loads, and the town's world gate on level 0.
    int32_t relocateRings = 0;
    FloatPair townGatePosition;
    // The town's people by NpcType: where the host sets each down and the world map pins it.
    std::array<TownSpot, NpcType::kCount> townSpots{};
    // The bonus chest each level past the town gets once a world: its record by the level's
    // depth (below the good depth the normal one, or the decent one in an area that asks for
    // it; below the great depth the good one; else the great one), and the rings searched for
    // a free spot around the point drawn in an unused block.
    int32_t bonusChestGoodDepth = 0;
    int32_t bonusChestGreatDepth = 0;
    std::string bonusChestNormalName;
    std::string bonusChestDecentName;
    std::string bonusChestGoodName;
    std::string bonusChestGreatName;
    int32_t bonusChestRings = 0;

    // Game flow.
    bool usingCovenants = false;
    int32_t minAiCovenants = 0;
    int32_t maxAiCovenants = 0;
    bool winConditionCovenantsEliminated = false;
    bool winConditionAllQuestsSolved = false;
    bool confirmWin = false;
    bool forceWin = false;
    bool usesSaveGames = false;
    bool limitedLives = false;
    std::string gameName;
    std::string version;
    // "TutorialQuest": the quest record the tutorial begins with; each step names the next.
    std::string tutorialQuest;
    // The texts of the won and the lost game's screens.
    std::string wonGameText;
    std::string lostGameText;

    // Player: score bonuses (a score of 0 or less switches a bonus off).
    int32_t bonusFirstBloodScore = 0;
    int32_t bonusNoLivesLeftScore = 0;
    int32_t bonusBigPainScore = 0;
    int32_t bonusBigPainDamage = 0;
    int32_t bonusOverkillScore = 0;
    float bonusOverkillDamageMult = 0.0f;
    int32_t bonusKillingSpreeScore = 0;
    float bonusKillingSpreeTime = 0.0f;
    int32_t bonusKillingSpreeCount = 0;
    int32_t bonusSpecificKillingSpreeScore = 0;
    float bonusSpecificKillingSpreeTime = 0.0f;
    int32_t bonusSpecificKillingSpreeCount = 0;
    int32_t bonusCourageSpreeScore = 0;
    int32_t bonusCourageSpreeHealth = 0;
    int32_t bonusObjectKillingSpreeScore = 0;
    float bonusObjectKillingSpreeTime = 0.0f;
    int32_t bonusObjectKillingSpreeCount = 0;
    int32_t bonusMassacreScore = 0;
    float bonusMassacreTime = 0.0f;
    int32_t bonusMassacreCount = 0;
    int32_t bonusCloseCallScore = 0;
    int32_t bonusCloseCallMinHealth = 0;
    int32_t bonusCloseCallMaxHealth = 0;
    int32_t bonusNearDeathScore = 0;
    int32_t bonusNearDeathMinHealth = 0;
    int32_t bonusNearDeathMaxHealth = 0;

    // Player: progress, lives and inventory.
    bool autoTarget = false;
    float resurrectHealthPercent = 0.0f;
    float resurrectPowerPercent = 0.0f;
    int32_t attributePointsPerLevel = 0;
    int32_t baseSkillPointsPerLevel = 0;
    int32_t levelsBetweenSkillPointRaises = 0;
    int32_t skillPointRaise = 0;
    bool useNewCharSkillBonuses = false;
    int32_t maxRecruits = 0;
    // A rival house takes on the wandering recruit its quest is about with this chance (a rolled
    // wanderer its party meets, too); the recruit reaches the house this many seconds of the game
    // clock after the house accepted it.
    float potentialRecruitArriveChance = 0.0f;
    float potentialRecruitArriveTime = 0.0f;
    int32_t maxMoney = 0;
    // How many rings around its target a warped entity's free-spot search tries.
    int32_t warpRings = 0;
    int32_t inventorySize = 0;
    int32_t bookshelfSize = 0;
    int32_t inventoryTempSlot = 0;
    int32_t identifyCost = 0;
    float moneyPerSkillPoint = 0.0f;
    std::array<int32_t, kAttributeCount> attributeCap{};  // a cap below 1 means none

    // Requests of the players: party size (and a raid's, the leader counted), and the seconds an
    // identification or a chest opening takes (a base at equal levels, per level of difference,
    // and a floor).
    int32_t maxAdventureGroupSize = 0;
    int32_t maxRaidGroupSize = 0;
    float minIdentifyTime = 0.0f;
    float baseIdentifyTime = 0.0f;
    float identifyTimeIncreasePerLevel = 0.0f;
    float identifyTimeDecreasePerLevel = 0.0f;
    float minChestOpenTime = 0.0f;
    float baseChestOpenTime = 0.0f;
    float chestOpenTimeIncreasePerLevel = 0.0f;
    float chestOpenTimeDecreasePerLevel = 0.0f;

    // Experience and score.
    int32_t maxLevel = 100;
    float baseXpNeededEachLevel = 0.0f;
    float xpMultPerLevelAbove = 1.0f;
    float xpMultPerLevelBelow = 1.0f;
    float secretDiscoveryXpMult = 0.0f;
    float levelDiscoveryXpMult = 0.0f;
    float guardHateMult = 0.0f;
    // By the spawn category 0..7 a spawn gives its monsters: "SpawnCategoryXpMult" and
    // "SpawnCategoryScoreMult" + the number; 1 when missing.
    std::array<float, kSpawnCategoryCount> spawnCategoryXpMult{};
    std::array<float, kSpawnCategoryCount> spawnCategoryScoreMult{};
    // "LeaderXpShare": a covenant member's experience share under a stronger leader.
    float leaderXpShare = 1.0f;
    // "MonsterSkillPointsPerLevel": a monster of level n spends floor(n x this) points.
    float monsterSkillPointsPerLevel = 0.0f;
    std::array<float, MonsterRarity::kCount> xpMultMonster{};  // "XpMultMonster" + rarity name
    int32_t scoreForSecret = 0;
    int32_t scoreForSuperSecret = 0;
    float killAllMonstersScoreMult = 0.0f;
    float foundAllSecretsScoreMult = 0.0f;
    std::vector<float> deathScoreMult;  // by the number of deaths
    int32_t bronzeTrophyPoints = 0;
    int32_t silverTrophyPoints = 0;
    int32_t goldTrophyPoints = 0;
    // Derived at load: the points each level needs, indexed by level (entry 0 unused).
    std::vector<int32_t> xpNeeded;

    // Sounds and interface.
    std::string soundNameIdentifying;
    std::string soundNameDoneIdentifying;
    std::string soundNameOpeningChest;
    std::string soundNameSearchingSecretStash;
    std::string soundNameSearchingDeadBody;
    std::string soundNameCreatingGate;
    std::string soundNameTimeTick;
    std::string soundNameLowHealth;
    // The model hung on a covenant member's head for a moment when it rises a level.
    std::string levelUpEffect;
    int32_t lowHealthSoundWarningLevel = 0;
    float maxSelectedEntityDistance = 0.0f;
    bool showSelectedEntityIcon = false;
    float minSelectionSize = 0.0f;
    bool eitherButtonToUseItem = false;
    bool showLineOfSight = false;
    float damageEventMaxTime = 0.0f;
    // Screen units a damage text rises each second, and the seconds it fades at the end of its life.
    float damageEventSpeed = 0.0f;
    float damageEventFadeTime = 0.0f;
    // The hover text's description and right-click hints.
    bool showDescriptionHint = false;
    bool showRightClickHint = false;
    // The icon over a head: its size in world units and its opacity.
    float overHeadIconSize = 0.0f;
    float overHeadIconAlpha = 0.0f;
    bool showSkillDetails = false;
    bool showStatusEffectDetails = false;
    std::vector<FloatPair> useHintOffsets;
    float useHintFadeInSpeed = 0.0f;
    float useHintFadeOutSpeed = 0.0f;
    float useHintSize = 0.0f;
    std::vector<std::string> fonts;
    std::array<int32_t, ItemType::kCount> itemTypeColor{};
    std::array<int32_t, ItemRarity::kCount> itemQualityColor{};
    std::array<int32_t, MonsterRarity::kCount> monsterRarityColor{};
    std::array<int32_t, CovenantTreaty::kCount> treatyColor{};
    std::array<int32_t, TradeRouteType::kCount> tradeRouteColor{};

    // Combat.
    std::array<float, DamageType::kCount> directDamagePercent{};
    std::array<float, DamageType::kCount> damageOverTimePercent{};
    float pvpDamageMult = 0.0f;
    float armorAbsorbMultiplier = 0.0f;
    float armorMinAbsorbPercent = 0.0f;
    float resistanceAbsorbMultiplier = 0.0f;
    float resistanceMinAbsorbPercent = 0.0f;
    float resistanceDotMultiplier = 0.0f;
    std::array<std::string, AttackSoundType::kCount> combatEffect;
    // The sound of each result for an attacker whose weapon names none.
    std::array<std::string, AttackSoundType::kCount> attackSound;
    float typicalDamageBase = 0.0f;
    float typicalDamagePerLevel = 0.0f;

    // Economy and covenants.
    int32_t maxInfluence = 0;
    float influenceMultDestroyedCovenant = 0.0f;
    float influenceMultCombatXp = 0.0f;
    float influenceMultSecretXp = 0.0f;
    float influenceMultQuestXp = 0.0f;
    float influenceMultExplorationXp = 0.0f;
    float hardGoalEachLevel = 1.0f;
    float easyGoalEachLevel = 1.0f;
    float taxPeriod = 0.0f;
    float taxMult = 0.0f;
    float minSellPercent = 0.0f;
    float maxSellPercent = 0.0f;
    int32_t minSellPercentPrice = 0;
    float sellFractionStart = 0.0f;
    float sellFractionEnd = 0.0f;
    int32_t sellFractionLevels = 0;
    float tradeAdditionPercent = 0.0f;
    std::array<TradeRouteTuning, TradeRouteType::kCount> tradeRoutes{};
    std::array<float, RumorLevel::kCount> rumorCostPerLevel{};
    std::array<float, RumorLevel::kCount> rumorChance{};
    float rumorFailureChancePartial = 0.0f;
    float rumorFailureChanceComplete = 0.0f;
    float rumorFailureChanceUnknownBackfire = 0.0f;
    float rumorFailureChanceCompleteBackfire = 0.0f;
    float rumorMinPercentChange = 0.0f;
    float rumorMaxPercentChange = 0.0f;
    float moneyChance = 0.0f;
    float minMoneyPerLevel = 0.0f;
    float maxMoneyPerLevel = 0.0f;
    float startMoneyDropsBase = 0.0f;
    float startMoneyDropsPerLevel = 0.0f;
    std::array<float, kPowerWeightCount> powerWeight{};
    std::array<float, ValueEachPoint::kCount> valueEachPoint{};
};
