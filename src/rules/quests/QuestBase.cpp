// QuestBase -- the state of one quest or world event in play: identity, what is generated from it, progress, texts and saved record.
#include "rules/quests/QuestBase.h"

#include "core/Database.h"
#include "core/DebugSystem.h"
#include "core/MessageBuffer.h"
#include "core/NameGenerator.h"
#include "core/RandomSystem.h"
#include "rules/CharacterClass.h"
#include "rules/Formulas.h"
#include "rules/GameData.h"
#include "rules/RulesEnums.h"
#include "rules/monsters/MonsterArchetype.h"
#include "rules/monsters/MonsterType.h"
#include "rules/quests/QuestDefinition.h"
#include "rules/quests/QuestWorld.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <limits>

namespace {

// Every draw of quest generation comes from random stream 3.
float Draw()
{
    return gRandomSystem->RandomFloat(RandomStream::Quest);
}

// trunc(draw x n) with the product formed in double precision, n itself taken as n - 1, so
// Index(0) is -1. An empty list still takes its draw, so the draws after it stay in step.
int64_t Index(int64_t n)
{
    double product = static_cast<double>(Draw()) * static_cast<double>(n);
    if (n <= 0)
        return -1;
    int64_t k = static_cast<int64_t>(product);
    return k >= n ? n - 1 : k;
}

int32_t QuestSaturate(int64_t value)
{
    return static_cast<int32_t>(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

// lo..hi. Mended: an empty range (hi below lo) gave lo - 1; it gives lo, still with its draw.
int32_t Int(int64_t lo, int64_t hi)
{
    if (hi < lo) {
        Draw();
        return QuestSaturate(lo);
    }
    return QuestSaturate(lo + Index(hi - lo + 1));
}

float Range(float a, float b)
{
    return gRandomSystem->RandomRange(RandomStream::Quest, a, b);
}

// The reference form of a monster type in the saved record.
void WriteMonsterRef(MessageBuffer& buffer, bool byName, const MonsterType* monsterType)
{
    if (byName)
        buffer.WriteString(monsterType && monsterType->GetEntry() ? monsterType->GetEntry()->GetName() : "");
    else
        buffer.WriteInt(monsterType ? monsterType->index : -1);
}

const MonsterType* ReadMonsterRef(MessageBuffer& buffer, bool byName)
{
    if (byName) {
        std::string name = buffer.ReadString();
        return gGameData && !name.empty() ? gGameData->FindMonsterType(name) : nullptr;
    }
    int32_t index = buffer.ReadInt();
    return gGameData ? gGameData->GetMonsterType(index) : nullptr;
}

} // namespace

QuestBase::QuestBase()
{
    Reset();
}

int32_t QuestBase::TruncToInt(double value)
{
    if (std::isnan(value))
        return 0;
    return static_cast<int32_t>(std::clamp(std::trunc(value), -2147483648.0, 2147483647.0));
}

bool QuestBase::IsType(std::initializer_list<int32_t> types) const
{
    return std::find(types.begin(), types.end(), type) != types.end();
}

void QuestBase::OnParametersRolled(bool, const QuestBase*)
{
}

bool QuestBase::IsReturnNpcType(int32_t npcType) const
{
    return npcType != NpcType::None && definition && npcType == definition->returnNpcType;
}

void QuestBase::Reset()
{
    levelRoll = 0.0f;
    level = -1;
    seed = 0;
    definition = nullptr;
    progress = 0;
    resetFlag = true;
    xpReward = 0;
    moneyReward = 0;
    target = nullptr;
    targetLevel = -1;
    destLevel = -1;
    failed = false;
    goals.clear();
    recruitLevel = 0;
    count = 0;
    npcId = 0;
    textIndex = -1;
    generationLocked = false;
    npcName.clear();
    regenerate = false;
    OnReset();
}

bool QuestBase::Setup(const DatabaseEntry* definitionEntry, int32_t questLevel, uint32_t questSeed,
                      int32_t questProgress, const TimeStamp& questStart)
{
    const DatabaseEntry* current = definition ? definition->GetEntry() : nullptr;
    if (!regenerate && level == questLevel && seed == questSeed && current == definitionEntry)
        return false;
    Reset();
    if (questLevel == -1)
        return false;
    // Mended: an entry that is no quest definition left the quest without one, to be read
    // through later; it is refused and the quest stays empty.
    const QuestDefinition* found = gGameData ? gGameData->FindQuestDefinition(definitionEntry) : nullptr;
    if (!found) {
        DebugSystem::Print(kPrintError, "Quest set up with %s, which is no quest definition\n",
                           definitionEntry ? std::string(definitionEntry->GetName()).c_str() : "no record");
        return false;
    }
    level = found->forceLevel > 0 ? found->forceLevel : questLevel;
    seed = questSeed;
    startTime = questStart;
    progress = questProgress;
    definition = found;
    type = found->questType;
    return true;
}

void QuestBase::RollParameters(bool keepCount)
{
    if (!definition)
        return;
    const QuestDefinition& rules = *definition;
    gRandomSystem->SetState(RandomStream::Quest, seed);
    levelRoll = Draw();
    if (!keepCount)
        count = 1;
    if (rules.needRandomNpcName) {
        nameSeed = gRandomSystem->Next(RandomStream::Quest);
        npcName = MakeNpcName();
    }
    if (type == QuestType::Recruit)
        recruitLevel = Int(std::clamp<int64_t>(int64_t{rules.minLevelChange} + level, 1, 100),
                           std::clamp<int64_t>(int64_t{rules.maxLevelChange} + level, 1, 100));
    if (IsType({QuestType::DeadlyPoison, QuestType::Kidnapping, QuestType::Petrify}))
        npcId = static_cast<int32_t>(Index(CountTownNpcs()));
    else if (IsType({QuestType::PoisonedSupply, QuestType::Revenge}))
        npcId = static_cast<int32_t>(Index(static_cast<int64_t>(rules.textList.size())));
    if (IsType({QuestType::TownTraps, QuestType::Siege}))
        count = Int(rules.minCount, rules.maxCount);
    using namespace QuestType;
    if (IsType({KillMonsters, UniqueMonsterSpotted, Assassin, MonsterQuestItem, LevelQuestItem,
                       KillMonsterGroup, RescueNpc, ClearLevel, ScoutLocation, Delivery, Uprising, Renegade,
                       RenegadeAttack, GhostRevenge, Escort, TreasureMap, MonsterQuest, Plague, Thief, Kidnapping,
                       Siege, MonsterScout, ArmorsmithMonsterQuestItem, WeaponsmithMonsterQuestItem,
                       ArmorsmithLevelQuestItem, WeaponsmithLevelQuestItem, WarAgainstBarbarians, Meeting, Trigger}))
        textIndex = static_cast<int32_t>(Index(static_cast<int64_t>(rules.textList.size())));
}

int32_t QuestBase::ScaledCount(const MonsterType* monsterType) const
{
    float base = monsterType && monsterType->archetype ? monsterType->archetype->spawnChance : 0.0f;
    int32_t lo = std::clamp(TruncToInt(base * definition->minCountMult), 1, 100);
    int32_t hi = TruncToInt(base * definition->maxCountMult);
    hi = hi < lo ? lo : std::min(hi, 100);
    return Int(lo, hi);
}

void QuestBase::Generate()
{
    if (level == -1 || generationLocked || !definition)
        return;
    const QuestDefinition& rules = *definition;
    gRandomSystem->SetState(RandomStream::Quest, seed);
    if (rules.boss)
        ComputeRewards(MonsterRarity::Boss);
    auto fixedOr = [&](int32_t drawn) { return rules.count >= 1 ? rules.count : drawn; };
    using namespace QuestType;
    switch (type) {
    case KillMonsters: case Recruit: case Uprising: case StoryBemmelArmy: case StoryVarrowHorde: case StoryOskithArmy:
        count = fixedOr(ScaledCount(GetTarget(0)));
        // Mended: an absent factor (0) emptied every count below ground; only a factor above 0 applies.
        if (rules.dungeonCountMult != 1.0f && rules.dungeonCountMult > 0.0f) {
            const QuestWorld* world = GetWorld();
            if (!world || !world->IsReady()) {
                regenerate = true;
            } else {
                EnsureTargetLevels();
                if (world->IsLevelFlagSet(targetLevel))
                    count = TruncToInt(std::ceil(rules.dungeonCountMult * static_cast<float>(count)));
            }
        }
        ComputeRewards(MonsterRarity::Normal);
        break;
    case WarAgainstBarbarians:
        // The rewards are those of a count of 1 on purpose; the count is drawn afterwards.
        count = 1;
        ComputeRewards(MonsterRarity::Normal);
        count = ScaledCount(GetTarget(0));
        break;
    case UniqueMonsterSpotted: case Assassin: case StoryKillBemmelScout: case StoryKillQuorrinPartner:
    case StoryKillVarrowGuard: case StoryKillOskithMage: case GhostRevenge: case Revenge:
        count = 1;
        ComputeRewards(MonsterRarity::Unique);
        break;
    case MonsterScout: case Renegade: case Thief: case RenegadeAttack: case RescueNpc: case Delivery: case Escort:
    case Kidnapping: case StoryQuorrinRescue: case Trigger: case ScoutLocation:
        count = 1;
        ComputeRewards(MonsterRarity::Normal);
        break;
    case Siege: case TutorialEquipWeapon: case TutorialUseSlot: case TutorialCovenantTrade: case TutorialGetQuest:
        ComputeRewards(MonsterRarity::Normal);
        break;
    case KillMonsterGroup: case StoryQuorrinPellDallet: case Meeting:
        for (QuestGoal& goal : goals)
            goal.required = 1;
        ComputeRewards(MonsterRarity::Normal);
        break;
    case MonsterQuestItem: case DeadlyPoison: case Plague: case Petrify: case ArmorsmithMonsterQuestItem:
    case WeaponsmithMonsterQuestItem:
        count = fixedOr(ScaledCount(GetTarget(0)));
        DirectRewards();
        break;
    case LevelQuestItem: case PoisonedSupply: case ArmorsmithLevelQuestItem: case WeaponsmithLevelQuestItem:
    case StoryBemmelGraves: case StoryVarrowFindItem:
        count = fixedOr(Int(rules.minCount, rules.maxCount));
        DirectRewards();
        break;
    case StoryOskithNullifier:
        count = 1;
        DirectRewards();
        break;
    case ClearLevel:
        count = Int(rules.minCount, rules.maxCount);
        ComputeRewards(MonsterRarity::Normal);
        break;
    case MonsterQuest:
        // The server gives a monster quest its two goals; without them there is nothing to require.
        if (!goals.empty())
            goals[0].required = ScaledCount(goals[0].target);
        if (goals.size() > 1)
            goals[1].required = 0;
        ComputeRewards(MonsterRarity::Normal);
        break;
    case TutorialInvestigateHouse: case TutorialTalkToQuestGivers: case TutorialTalkToVendors:
        goals.resize(type == TutorialInvestigateHouse ? 6 : type == TutorialTalkToQuestGivers ? 3 : 5);
        for (QuestGoal& goal : goals)
            goal.required = 1;
        ComputeRewards(MonsterRarity::Normal);
        break;
    default:
        break;
    }
    if (rules.maxTime > 0.0f) {
        float duration = Range(rules.minTime, rules.maxTime);
        if (rules.useDifficultyTimeMult)
            duration *= gGameData->GetDifficultyTimeMult(GetDifficulty());
        deadline = startTime;
        deadline.seconds += duration;
        deadline.Normalize();
    }
}

void QuestBase::ComputeRewards(int32_t rarity)
{
    xpReward = 0;
    moneyReward = 0;
    if (goals.empty()) {
        AddReward(count, rarity);
        return;
    }
    for (const QuestGoal& goal : goals)
        AddReward(goal.required, goal.rarity);
}

void QuestBase::AddReward(int32_t units, int32_t rarity)
{
    const QuestDefinition& rules = *definition;
    int32_t xp = Int(int64_t{rules.xpMinRewardPerMonster} * units, int64_t{rules.xpMaxRewardPerMonster} * units);
    xpReward = QuestSaturate(int64_t{xpReward} + TruncToInt(double{gGameData->GetXpMultMonster(rarity)} * xp));
    float money = gGameData->GetMonsterMoney(level) * static_cast<float>(units);
    float drawn = Range(money * rules.moneyRewardMinMultiplier, money * rules.moneyRewardMaxMultiplier);
    moneyReward = QuestSaturate(int64_t{moneyReward} + TruncToInt(drawn));
}

// The item quests pay per item, without a rarity factor.
void QuestBase::DirectRewards()
{
    const QuestDefinition& rules = *definition;
    xpReward = Int(int64_t{rules.xpMinRewardPerMonster} * count, int64_t{rules.xpMaxRewardPerMonster} * count);
    float money = gGameData->GetMonsterMoney(level) * static_cast<float>(count);
    moneyReward = TruncToInt(Range(money * rules.moneyRewardMinMultiplier, money * rules.moneyRewardMaxMultiplier));
}

void QuestBase::CopyFrom(const QuestBase* source)
{
    if (!source)
        return;
    Setup(source->definition ? source->definition->GetEntry() : nullptr, source->level, source->seed, 0,
          source->startTime);
    if (!definition)
        return;
    RollParameters(false);
    OnParametersRolled(false, source);
    questId = source->questId;
    target = source->GetTarget(0);
    if (!source->goals.empty())
        goals = source->goals;
    Generate();
    if (source->IsComplete())
        SetComplete();
}

void QuestBase::AssignTargetLevels()
{
    targetLevel = -1;
    destLevel = -1;
    const QuestWorld* world = GetWorld();
    if (!definition || !definition->hasWorldLevel || !world)
        return;
    const QuestDefinition& rules = *definition;
    using namespace QuestType;
    if (rules.boss) {
        targetLevel = world->GetBossLevel(IsType({BossKnight, BossLord, BossPrince}) ? type : 4);
    } else if (type == Escort) {
        targetLevel = world->PickQuestLevel(level, levelRoll, false);
        destLevel = world->PickQuestLevel(level + 1, levelRoll, false);
    } else if (IsType({TownAttack, Thief, Assassin, MonsterScout})) {
        targetLevel = 0;
        destLevel = 0;
    } else if (type == Siege) {
        targetLevel = 1;
    } else if (rules.defaultArea) {
        targetLevel = world->FindLevelOfArea(rules.defaultArea);
    } else {
        targetLevel = world->PickQuestLevel(QuestSaturate(int64_t{level} + rules.levelBonus), levelRoll,
                                            rules.aboveGroundOnly);
    }
}

void QuestBase::EnsureTargetLevels()
{
    if (targetLevel == -1)
        AssignTargetLevels();
}

bool QuestBase::IsMultiGoal() const
{
    using namespace QuestType;
    return IsType({KillMonsterGroup, War, MonsterQuest, StoryQuorrinPellDallet, Meeting});
}

bool QuestBase::IsTutorialStep() const
{
    using namespace QuestType;
    return (type >= TutorialEquipWeapon && type <= TutorialCovenantTrade) || type == TutorialGetQuest;
}

const MonsterType* QuestBase::GetTarget(int32_t i) const
{
    if (!IsMultiGoal())
        return target;
    return i >= 0 && static_cast<size_t>(i) < goals.size() ? goals[static_cast<size_t>(i)].target : nullptr;
}

bool QuestBase::IsComplete() const
{
    if (failed)
        return false;
    if (goals.empty())
        return progress >= count;
    return std::all_of(goals.begin(), goals.end(),
                       [](const QuestGoal& goal) { return goal.progress >= goal.required; });
}

void QuestBase::SetComplete()
{
    if (goals.empty())
        progress = count;
    for (QuestGoal& goal : goals)
        goal.progress = goal.required;
}

bool QuestBase::HasProgress() const
{
    if (type == QuestType::WarAgainstBarbarians)
        return false;
    return progress > 0 || failed ||
           std::any_of(goals.begin(), goals.end(), [](const QuestGoal& goal) { return goal.progress > 0; });
}

void QuestBase::CountKill()
{
    if (progress < count)
        ++progress;
}

void QuestBase::OnKill(const MonsterType* monsterType, int32_t placeLevel)
{
    if (failed || !monsterType)
        return;
    const MonsterType* wanted = GetTarget(0);
    using namespace QuestType;
    // Mended: a missing target matched every monster without a base type, so those kills were
    // lost to a quest without one (clearing a level); a missing target now matches nothing.
    if (wanted && (monsterType == wanted || monsterType->baseType == wanted)) {
        if (IsType({Uprising, StoryBemmelArmy, StoryVarrowHorde, StoryOskithArmy, WarAgainstBarbarians})) {
            EnsureTargetLevels();
            if (targetLevel != -1 && placeLevel == targetLevel)
                CountKill();
        } else if (IsType({KillMonsters, UniqueMonsterSpotted, Recruit, Assassin, StoryKillBemmelScout,
                                  StoryKillQuorrinPartner, StoryKillVarrowGuard, StoryKillOskithMage}) ||
                   (definition && definition->boss)) {
            CountKill();
        } else if (type == MonsterQuest && !goals.empty() && monsterType == goals[0].target &&
                   goals[0].progress < goals[0].required) {
            ++goals[0].progress;
        }
        return;
    }
    if (type == ClearLevel) {
        EnsureTargetLevels();
        if (targetLevel != -1 && placeLevel == targetLevel)
            CountKill();
    }
    for (QuestGoal& goal : goals) {
        if (goal.target == monsterType && goal.progress < goal.required) {
            ++goal.progress;
            CountKill();
        }
    }
}

bool QuestBase::CanTakeMoreItems() const
{
    return definition && !failed && (definition->canPickupExtra || progress < count);
}

bool QuestBase::IsQuestItem(const DatabaseEntry* itemEntry)
{
    if (!itemEntry || !CanTakeMoreItems())
        return false;
    using namespace QuestType;
    if (IsType({MonsterQuestItem, DeadlyPoison, Petrify, Plague, ArmorsmithMonsterQuestItem,
                       WeaponsmithMonsterQuestItem, StoryOskithNullifier}))
        return target && (target->GetEntry() == itemEntry ||
                          (target->archetype && target->archetype->questItem == itemEntry));
    if (IsType({StoryBemmelGraves, StoryVarrowFindItem}))
        return itemEntry == definition->defaultItem;
    if (!IsType({LevelQuestItem, PoisonedSupply, ArmorsmithLevelQuestItem, WeaponsmithLevelQuestItem}))
        return false;
    if (itemEntry == definition->defaultItem)
        return true;
    EnsureTargetLevels();
    const QuestWorld* world = GetWorld();
    return world && world->GetLevelItemEntry(targetLevel) == itemEntry;
}

bool QuestBase::IsTargetLevel(int32_t levelIndex)
{
    if (level == -1 || failed || IsComplete() || levelIndex < 0)
        return false;
    EnsureTargetLevels();
    if (targetLevel == -1)
        return false;
    if (levelIndex == targetLevel || levelIndex == destLevel)
        return true;
    const QuestWorld* world = GetWorld();
    return world && world->GetLinkedLevel(targetLevel) == levelIndex;
}

float QuestBase::GetTimeRemaining(const TimeStamp& now) const
{
    return TimeLess(now, deadline) ? TimeStamp::Difference(now, deadline).GetTotalSeconds() : 0.0f;
}

int32_t QuestBase::SeedNameStream() const
{
    if (type != QuestType::StoryQuorrinRescue)
        gRandomSystem->SetState(RandomStream::Quest, nameSeed);
    return 0;
}

bool QuestBase::IsNpcMale() const
{
    if (type == QuestType::Kidnapping)
        return npcId == 0 || npcId == 2 || npcId == 3 || npcId == 5;
    SeedNameStream();
    const CharacterClass* first = gGameData ? gGameData->GetCharacterClass(0) : nullptr;
    return first && first->male;
}

std::string QuestBase::MakeNpcName() const
{
    const char* table = IsNpcMale() ? "npcsMale" : "npcsFemale";
    return gNameGenerator ? gNameGenerator->Generate(table, nameSeed) : std::string();
}

void QuestBase::Write(MessageBuffer& buffer, bool byName) const
{
    buffer.WriteInt(level);
    buffer.WriteUInt(seed);
    buffer.WriteInt(progress);
    buffer.WriteInt(definition && definition->GetEntry() ? definition->GetEntry()->GetId() : -1);
    buffer.WriteTimeStamp(startTime);
    buffer.WriteInt(questId);
    buffer.WriteInt(failed ? 1 : 0);
    bool hasTarget = target && target->GetEntry();
    buffer.WriteInt(hasTarget ? 1 : 0);
    if (hasTarget)
        WriteMonsterRef(buffer, byName, target);
    buffer.WriteUInt(static_cast<uint32_t>(goals.size()));
    for (const QuestGoal& goal : goals) {
        WriteMonsterRef(buffer, byName, goal.target);
        buffer.WriteInt(goal.progress);
    }
}

void QuestBase::WriteEmpty(MessageBuffer& buffer)
{
    buffer.WriteInt(-1);
    buffer.WriteUInt(0u);
    buffer.WriteInt(0);
    buffer.WriteInt(-1);
    buffer.WriteTimeStamp(TimeStamp{});
    buffer.WriteInt(0);
    buffer.WriteInt(0);
    buffer.WriteInt(0);
    buffer.WriteUInt(0u);
}

bool QuestBase::Skip(MessageBuffer& buffer, bool byName, int32_t version)
{
    bool named = byName && version >= kNamedReferencesVersion;
    // Level, seed, progress, definition id, the start time's four words, quest id, failed.
    for (int32_t i = 0; i < 10; ++i)
        buffer.ReadInt();
    if (buffer.ReadInt() == 1)
        ReadMonsterRef(buffer, named);
    int32_t goalCount = 0;
    bool countFits = buffer.ReadCount(goalCount, named ? 5 : 8) && goalCount <= kMaxGoals;
    for (int32_t i = 0; countFits && i < goalCount; ++i) {
        ReadMonsterRef(buffer, named);
        buffer.ReadInt();
    }
    return countFits && !buffer.Overrun();
}

bool QuestBase::Read(MessageBuffer& buffer, bool generate, bool byName, int32_t version)
{
    bool named = byName && version >= kNamedReferencesVersion;
    int32_t savedLevel = buffer.ReadInt();
    uint32_t savedSeed = buffer.ReadUInt();
    int32_t savedProgress = buffer.ReadInt();
    int32_t entryId = buffer.ReadInt();
    TimeStamp savedStart;
    buffer.ReadTimeStamp(savedStart);
    int32_t savedQuestId = buffer.ReadInt();
    bool savedFailed = buffer.ReadInt() != 0;
    const MonsterType* savedTarget = nullptr;
    bool hasTarget = buffer.ReadInt() == 1;
    if (hasTarget)
        savedTarget = ReadMonsterRef(buffer, named);
    // Mended: the goal count was taken as it stood, so a corrupt record could ask for any
    // number of goals; it must fit the bytes left and kMaxGoals.
    int32_t goalCount = 0;
    bool countFits = buffer.ReadCount(goalCount, named ? 5 : 8) && goalCount <= kMaxGoals;
    std::vector<QuestGoal> savedGoals(countFits ? static_cast<size_t>(goalCount) : 0);
    for (QuestGoal& goal : savedGoals) {
        goal.target = ReadMonsterRef(buffer, named);
        goal.progress = buffer.ReadInt();
    }
    if (!countFits || buffer.Overrun()) {
        DebugSystem::Print(kPrintError, "Quest record is cut short or corrupt; the quest is left as it was\n");
        return false;
    }

    // A level past the game's maximum would scale every count and reward past reason.
    if (savedLevel != -1)
        savedLevel = std::max(1, ClampLevel(savedLevel));
    const DatabaseEntry* entry = gDatabase ? gDatabase->GetEntryByIndex(entryId) : nullptr;
    bool changed = Setup(entry, savedLevel, savedSeed, savedProgress, savedStart);
    if (!definition)
        return false;
    progress = savedProgress;
    questId = savedQuestId;
    failed = savedFailed;
    if (hasTarget)
        target = savedTarget;
    goals.resize(savedGoals.size());
    for (size_t i = 0; i < savedGoals.size(); ++i) {
        goals[i].target = savedGoals[i].target;
        goals[i].progress = savedGoals[i].progress;
        if (savedGoals[i].target && savedGoals[i].target->IsUniqueOrLegend())
            goals[i].rarity = savedGoals[i].target->rarity;
    }
    if (!changed || !generate) {
        HoldSavedProgress(!changed);
        return false;
    }
    RollParameters(false);
    OnParametersRolled(true, nullptr);
    Generate();
    HoldSavedProgress(true);
    return true;
}

// Mended: a saved progress was taken as it stood, and INT_MIN overflowed the count left in the
// progress text. Play never takes progress past the count.
void QuestBase::HoldSavedProgress(bool countKnown)
{
    int32_t high = countKnown ? std::max(count, 0) : std::numeric_limits<int32_t>::max();
    int32_t held = std::clamp(progress, 0, high);
    if (held == progress)
        return;
    DebugSystem::Print(kPrintWarning, "Quest record's progress %d is outside 0 to %d; taken as %d\n", progress, high,
                       held);
    progress = held;
}
