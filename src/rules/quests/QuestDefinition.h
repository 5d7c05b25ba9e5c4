// QuestDefinition -- a "Quest" record: the rules of one kind of quest or world event, read once and shared read-only.
#pragma once

#include "core/SimpleData.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

class DatabaseEntry;

// The per-event chances the world's event system reads, in the order of their keys; the key of
// each is its name followed by "Chance" ("UprisingChance").
#define EMBERLODE_QUEST_EVENT_CHANCE(X)                                                                      \
    X(Uprising) X(FormGroup) X(OverthrowAttempt) X(OverthrowFailureWar) X(MonsterQuest) X(DragIntoWar)       \
    X(SupplyChange) X(Spread) X(Spawn) X(GateOut) X(GateIn) X(PoisonedSupply) X(DeadlyPoison) X(Petrify)    \
    X(Plague) X(SiegeAttack) X(Rescue) X(Death) X(GhostRevenge) X(Revenge) X(GeneralRevenge) X(ShowThief)    \
    X(StealItem) X(ThiefLeave) X(Recruit) X(GroupAttack) X(Projectile) X(NpcGatherSuccess)                   \
    X(NpcGatherFailure) X(NpcGatherRescue) X(Assassin) X(Kidnap) X(Trap) X(TownAttack)

namespace QuestEventChance {
enum Value : int32_t { EMBERLODE_QUEST_EVENT_CHANCE(EMBERLODE_ENUM_CONSTANT) };
constexpr int32_t kCount = 0 EMBERLODE_QUEST_EVENT_CHANCE(EMBERLODE_ENUM_ONE);
static_assert(kCount == 34, "QuestEventChance has the wrong number of keys");
} // namespace QuestEventChance

// Every key is optional and read with a fixed default (0, 0.0, false, empty, none); nothing is
// checked or clamped here (the content lint does that for shipped records). "QuestType" and
// the two NPC kinds go through their enum tables; "ItemReward", "DefaultItem", "DefaultArea"
// and "StatusEffect" name database entries.
class QuestDefinition : public SimpleData {
public:
    // With no entry nothing changes.
    void Load(const DatabaseEntry* entry) override;

    int32_t questType = 0;  // QuestType
    float minCountMult = 0.0f;
    float maxCountMult = 0.0f;
    int32_t minCount = 0;
    int32_t maxCount = 0;
    int32_t count = 0;  // a fixed goal count when 1 or more
    float dungeonCountMult = 0.0f;
    int32_t xpMinRewardPerMonster = 0;
    int32_t xpMaxRewardPerMonster = 0;
    float moneyRewardMinMultiplier = 0.0f;
    float moneyRewardMaxMultiplier = 0.0f;
    bool armorReward = false;
    bool weaponReward = false;
    int32_t scoreBase = 0;
    int32_t scorePerCount = 0;
    const DatabaseEntry* itemReward = nullptr;
    int32_t magicChance = 0;
    int32_t minSpread = 0;
    int32_t maxSpread = 0;
    float aboveLevelChance = 0.0f;
    int32_t aboveLevelSpread = 0;
    int32_t maxItemGenerationTries = 0;
    float classSkewChance = 0.0f;
    float legendChance = 0.0f;
    float minTime = 0.0f;  // game seconds; no time limit unless maxTime > 0
    float maxTime = 0.0f;
    bool boss = false;
    bool announce = false;
    bool eventOnly = false;
    float minPercentChange = 0.0f;
    float maxPercentChange = 0.0f;
    float minEventTime = 0.0f;
    float maxEventTime = 0.0f;
    std::array<float, QuestEventChance::kCount> eventChances{};
    int32_t townAttackMinLevel = 0;
    float endChance = 0.0f;
    bool endOnSuccess = false;
    int32_t minEventLevelDiff = 0;
    int32_t maxEventLevelDiff = 0;
    int32_t levelChange = 0;
    std::vector<std::string> titleList;  // localisation keys
    std::vector<std::string> textList;   // localisation keys
    int32_t startSuccess = 0;
    float successMult = 0.0f;
    int32_t minSuccess = 0;
    int32_t minLevelChange = 0;  // a recruit's level offset range
    int32_t maxLevelChange = 0;
    int32_t minLevel = 0;
    float minGameTime = 0.0f;
    float reputationMult = 0.0f;
    bool returnForReward = false;
    bool returnToMonster = false;
    bool returnToSpecificNpc = false;
    int32_t returnNpcType = 0;  // NpcType
    int32_t needNpcType = 0;    // NpcType
    float reputationChange = 0.0f;
    float startMult = 0.0f;
    float multChange = 0.0f;
    float maxMult = 0.0f;
    const DatabaseEntry* statusEffect = nullptr;
    bool duplicatesAllowed = false;
    float attackTownCenterChance = 0.0f;
    float maxDistance = 0.0f;
    int32_t maxMonsters = 0;
    std::string effectModelName;
    float monsterRarityMultiplier = 0.0f;
    bool canRemoveFromAge = false;
    bool useDifficultyTimeMult = false;
    bool hasUniqueMonster = false;
    bool important = false;
    float minHealth = 0.0f;
    float maxHealth = 0.0f;
    bool needsMonsterType = false;
    int32_t forceLevel = 0;  // replaces the quest level when above 0
    std::string nextQuest;   // the quest record started when this one ends
    bool canSolveFromClient = false;
    int32_t levelBonus = 0;
    bool alwaysHigherLevel = false;
    bool hasWorldLevel = false;
    bool hasDestWorldLevel = false;
    bool aboveGroundOnly = false;
    bool tutorialEnd = false;
    int32_t minItemsStolen = 0;
    int32_t maxItemsStolen = 0;
    std::string monsterType;  // a monster type's name
    float damageMult = 0.0f;
    float safeRange = 0.0f;
    float playerNearDistance = 0.0f;
    bool noEventsNearPlayer = false;
    float monsterSpawnChanceMult = 0.0f;
    std::string defaultMonster;  // a monster type's name
    const DatabaseEntry* defaultItem = nullptr;
    int32_t defaultLevel = 0;
    const DatabaseEntry* defaultArea = nullptr;
    bool alwaysAdd = false;
    int32_t maxSyncTries = 0;
    std::string announceSound;
    bool activeQuest = false;
    bool dontEndNearPlayer = false;
    bool canPickupExtra = false;
    // The story's bit in the player's solved-quest list; -1, not 0, when absent, since 0 is a
    // bit of its own and every quest without the key would otherwise count as a story quest.
    int32_t questSolvedBit = -1;
    float alpha = 0.0f;
    float randomQuestChance = 0.0f;  // weight in the random quest pick
    float randomEventChance = 0.0f;  // weight in the random event pick
    bool autoGiveToPlayer = false;
    bool autoGiveToPlayerWhenCompleted = false;
    bool autoShowQuest = false;
    bool autoSolveQuest = false;
    bool unlockClass = false;
    bool entitiesAlreadySpawned = false;
    std::string triggerName;
    bool optional = false;
    bool hideLevel = false;
    bool needRandomNpcName = false;
};
