// QuestDefinition -- a "Quest" record: the rules of one kind of quest or world event, read once and shared read-only.
#include "rules/quests/QuestDefinition.h"

#include "core/Database.h"
#include "core/DatabaseEntry.h"
#include "core/DebugSystem.h"
#include "rules/RulesEnums.h"

namespace {

#define EMBERLODE_CHANCE_KEY(name) #name "Chance",
constexpr const char* kEventChanceKeys[] = {EMBERLODE_QUEST_EVENT_CHANCE(EMBERLODE_CHANCE_KEY)};
#undef EMBERLODE_CHANCE_KEY

struct Reader {
    const DatabaseEntry& entry;

    int32_t Int(const char* key) const { return entry.GetInt(key); }
    float Float(const char* key) const { return entry.GetFloat(key, 0.0f); }
    bool Flag(const char* key) const { return entry.GetInt(key) != 0; }
    std::string Text(const char* key) const { return entry.GetString(key); }
    // The value of the name in the table; a missing key is an empty name, which the table's
    // lookup passes quietly, so it is logged here as an unknown one would be.
    int32_t Enum(const char* key, const char* table, int32_t (*lookup)(std::string_view)) const
    {
        std::string name = entry.GetString(key);
        if (name.empty())
            DebugSystem::Print(kPrintError, "Unknown %s name %s\n", table, "");
        return lookup(name);
    }
    // An empty or unknown name is none, without a message.
    const DatabaseEntry* Ref(const char* key) const
    {
        return gDatabase ? gDatabase->FindEntryByName(entry.GetString(key)) : nullptr;
    }
};

} // namespace

void QuestDefinition::Load(const DatabaseEntry* source)
{
    if (!source)
        return;
    const Reader in{*source};
    questType = in.Enum("QuestType", "QuestType", GetQuestTypeByName);
    minCountMult = in.Float("MinCountMult");
    maxCountMult = in.Float("MaxCountMult");
    minCount = in.Int("MinCount");
    maxCount = in.Int("MaxCount");
    count = in.Int("Count");
    dungeonCountMult = in.Float("DungeonCountMult");
    xpMinRewardPerMonster = in.Int("XpMinRewardPerMonster");
    xpMaxRewardPerMonster = in.Int("XpMaxRewardPerMonster");
    moneyRewardMinMultiplier = in.Float("MoneyRewardMinMultiplier");
    moneyRewardMaxMultiplier = in.Float("MoneyRewardMaxMultiplier");
    armorReward = in.Flag("ArmorReward");
    weaponReward = in.Flag("WeaponReward");
    itemReward = in.Ref("ItemReward");
    magicChance = in.Int("MagicChance");
    minSpread = in.Int("MinSpread");
    maxSpread = in.Int("MaxSpread");
    aboveLevelChance = in.Float("AboveLevelChance");
    aboveLevelSpread = in.Int("AboveLevelSpread");
    maxItemGenerationTries = in.Int("MaxItemGenerationTries");
    classSkewChance = in.Float("ClassSkewChance");
    legendChance = in.Float("LegendChance");
    minTime = in.Float("MinTime");
    maxTime = in.Float("MaxTime");
    boss = in.Flag("Boss");
    announce = in.Flag("Announce");
    eventOnly = in.Flag("EventOnly");
    minPercentChange = in.Float("MinPercentChange");
    maxPercentChange = in.Float("MaxPercentChange");
    minEventTime = in.Float("MinEventTime");
    maxEventTime = in.Float("MaxEventTime");
    for (int32_t i = 0; i < QuestEventChance::kCount; ++i)
        eventChances[static_cast<size_t>(i)] = in.Float(kEventChanceKeys[i]);
    townAttackMinLevel = in.Int("TownAttackMinLevel");
    endChance = in.Float("EndChance");
    endOnSuccess = in.Flag("EndOnSuccess");
    minEventLevelDiff = in.Int("MinEventLevelDiff");
    maxEventLevelDiff = in.Int("MaxEventLevelDiff");
    levelChange = in.Int("LevelChange");
    // A record's own list replaces an inherited one rather than adding to it.
    source->GetStringList("TextList", textList, true, true);
    source->GetStringList("TitleList", titleList, true, true);
    startSuccess = in.Int("StartSuccess");
    successMult = in.Float("SuccessMult");
    minSuccess = in.Int("MinSuccess");
    minLevelChange = in.Int("MinLevelChange");
    maxLevelChange = in.Int("MaxLevelChange");
    minLevel = in.Int("MinLevel");
    minGameTime = in.Float("MinGameTime");
    reputationMult = in.Float("ReputationMult");
    returnForReward = in.Flag("ReturnForReward");
    returnToMonster = in.Flag("ReturnToMonster");
    returnToSpecificNpc = in.Flag("ReturnToSpecificNpc");
    returnNpcType = in.Enum("ReturnNpcType", "NpcType", GetNpcTypeByName);
    needNpcType = in.Enum("NeedNpcType", "NpcType", GetNpcTypeByName);
    reputationChange = in.Float("ReputationChange");
    startMult = in.Float("StartMult");
    multChange = in.Float("MultChange");
    maxMult = in.Float("MaxMult");
    statusEffect = in.Ref("StatusEffect");
    duplicatesAllowed = in.Flag("DuplicatesAllowed");
    attackTownCenterChance = in.Float("AttackTownCenterChance");
    maxDistance = in.Float("MaxDistance");
    maxMonsters = in.Int("MaxMonsters");
    effectModelName = in.Text("EffectModelName");
    monsterRarityMultiplier = in.Float("MonsterRarityMultiplier");
    canRemoveFromAge = in.Flag("CanRemoveFromAge");
    useDifficultyTimeMult = in.Flag("UseDifficultyTimeMult");
    hasUniqueMonster = in.Flag("HasUniqueMonster");
    important = in.Flag("Important");
    minHealth = in.Float("MinHealth");
    maxHealth = in.Float("MaxHealth");
    needsMonsterType = in.Flag("NeedsMonsterType");
    forceLevel = in.Int("ForceLevel");
    nextQuest = in.Text("NextQuest");
    canSolveFromClient = in.Flag("CanSolveFromClient");
    levelBonus = in.Int("LevelBonus");
    alwaysHigherLevel = in.Flag("AlwaysHigherLevel");
    hasWorldLevel = in.Flag("HasWorldLevel");
    hasDestWorldLevel = in.Flag("HasDestWorldLevel");
    aboveGroundOnly = in.Flag("AboveGroundOnly");
    tutorialEnd = in.Flag("TutorialEnd");
    minItemsStolen = in.Int("MinItemsStolen");
    maxItemsStolen = in.Int("MaxItemsStolen");
    monsterType = in.Text("MonsterType");
    damageMult = in.Float("DamageMult");
    safeRange = in.Float("SafeRange");
    playerNearDistance = in.Float("PlayerNearDistance");
    noEventsNearPlayer = in.Flag("NoEventsNearPlayer");
    monsterSpawnChanceMult = in.Float("MonsterSpawnChanceMult");
    defaultMonster = in.Text("DefaultMonster");
    defaultItem = in.Ref("DefaultItem");
    defaultLevel = in.Int("DefaultLevel");
    defaultArea = in.Ref("DefaultArea");
    alwaysAdd = in.Flag("AlwaysAdd");
    maxSyncTries = in.Int("MaxSyncTries");
    announceSound = in.Text("AnnounceSound");
    activeQuest = in.Flag("ActiveQuest");
    dontEndNearPlayer = in.Flag("DontEndNearPlayer");
    canPickupExtra = in.Flag("CanPickupExtra");
    questSolvedBit = source->GetInt("QuestSolvedBit", -1);
    alpha = in.Float("Alpha");
    randomQuestChance = in.Float("RandomQuestChance");
    randomEventChance = in.Float("RandomEventChance");
    autoGiveToPlayer = in.Flag("AutoGiveToPlayer");
    autoGiveToPlayerWhenCompleted = in.Flag("AutoGiveToPlayerWhenCompleted");
    autoShowQuest = in.Flag("AutoShowQuest");
    autoSolveQuest = in.Flag("AutoSolveQuest");
    unlockClass = in.Flag("UnlockClass");
    entitiesAlreadySpawned = in.Flag("EntitiesAlreadySpawned");
    triggerName = in.Text("TriggerName");
    optional = in.Flag("Optional");
    hideLevel = in.Flag("HideLevel");
    scoreBase = in.Int("ScoreBase");
    scorePerCount = in.Int("ScorePerCount");
    needRandomNpcName = in.Flag("NeedRandomNpcName");
}
