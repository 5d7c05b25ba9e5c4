// Quest -- set-up by kind: what each kind puts into the world once its choices stand (the NPCs, monsters, boss, chest, traps and siege), and the recruit and boss of their kinds.
#include "server/quests/Quest.h"

#include "core/Database.h"
#include "core/DatabaseEntry.h"
#include "core/DebugSystem.h"
#include "core/LocSystem.h"
#include "core/RandomSystem.h"
#include "core/StringUtil.h"
#include "covenants/Covenant.h"
#include "entities/Actor.h"
#include "entities/Chest.h"
#include "entities/GameServices.h"
#include "entities/Player.h"
#include "entities/TrapGround.h"
#include "rules/GameData.h"
#include "rules/RulesEnums.h"
#include "rules/covenants/DiplomacyText.h"
#include "rules/monsters/MonsterArchetype.h"
#include "rules/monsters/MonsterType.h"
#include "rules/quests/QuestDefinition.h"
#include "rules/quests/QuestWorld.h"
#include "server/quests/QuestHost.h"
#include "server/spawn/SpawnSystem.h"
#include "world/AreaDefinition.h"
#include "world/World.h"

#include <algorithm>
#include <cmath>

namespace {

// The companions a group's first member leads at most.
constexpr int32_t kQuestSetUpCompanionLimit = 10;
constexpr int32_t kQuestSetUpRecruitRings = 4;

// The block of the level's block grid the position lies in; -1 without a grid.
int32_t QuestSetUpBlockAt(const WorldPos& position)
{
    if (!gGameData)
        return -1;
    const GameSystemTuning& tuning = gGameData->GetTuning();
    if (tuning.blocksPerRow <= 0 || tuning.blocksPerColumn <= 0 || tuning.levelWidth <= 0.0f ||
        tuning.levelHeight <= 0.0f)
        return -1;
    int32_t column = static_cast<int32_t>(position.x / (tuning.levelWidth / static_cast<float>(tuning.blocksPerRow)));
    int32_t row = static_cast<int32_t>(position.y / (tuning.levelHeight / static_cast<float>(tuning.blocksPerColumn)));
    column = std::clamp(column, 0, tuning.blocksPerRow - 1);
    row = std::clamp(row, 0, tuning.blocksPerColumn - 1);
    return row * tuning.blocksPerRow + column;
}

// The crystals a covenant holds, or its influence over all four counters.
int64_t QuestSetUpHoldings(const Covenant& covenant, bool influence)
{
    return influence ? covenant.GetTotalInfluence() : covenant.statistics.Get(CovenantStat::Money);
}

// The average holdings of the covenants still standing; 0 without any.
double QuestSetUpAverageHoldings(const QuestHost* host, bool influence)
{
    double total = 0.0;
    int32_t living = 0;
    for (int32_t i = 0; host && i < host->GetCovenantCount(); ++i)
        if (const Covenant* covenant = host->GetCovenant(i); covenant && !covenant->eliminated) {
            total += static_cast<double>(QuestSetUpHoldings(*covenant, influence));
            ++living;
        }
    return living > 0 ? total / living : 0.0;
}

// Influence lost comes off the world counter first, then competition, adventure and
// transferred, none below 0.
void QuestSetUpTakeInfluence(Covenant& covenant, int64_t amount)
{
    for (int32_t stat : {CovenantStat::InfluenceWorld, CovenantStat::InfluenceCompetition,
                         CovenantStat::InfluenceAdventure, CovenantStat::InfluenceTransferred}) {
        int64_t taken = std::clamp<int64_t>(amount, 0, std::max(0, covenant.statistics.Get(stat)));
        covenant.statistics.Set(stat, static_cast<int32_t>(covenant.statistics.Get(stat) - taken));
        amount -= taken;
    }
}

} // namespace

// ---- Shared pieces of the kinds ---------------------------------------------------------------------

float Quest::Roll()
{
    return DrawRandomFloat(RandomStream::GameData, 1.0f);
}

int32_t Quest::DrawIndex(int32_t count)
{
    if (count <= 0 || !gRandomSystem)
        return 0;
    return std::min(count - 1, static_cast<int32_t>(
                                   gRandomSystem->RandomScaled(RandomStream::GameData, static_cast<float>(count))));
}

void Quest::SendNews(const std::string& text, int32_t kind)
{
    if (gGameServices)
        gGameServices->SendMessage(text, kind);
}

std::string Quest::GoalText(int32_t goal) const
{
    return GetGoalText(goal, true, false, false, 1);
}

const MonsterType* Quest::FindClassNpcType(const char* format) const
{
    if (!gGameData || !gRandomSystem)
        return nullptr;
    std::string name = StringFormat(format, gGameData->GetCharacterClassName(SeedNameStream()).c_str());
    const MonsterType* found = gGameData->FindMonsterType(name);
    if (!found)
        DebugSystem::Print(kPrintWarning, "Quest %s: no monster type %s\n", DefinitionName().c_str(), name.c_str());
    return found;
}

std::string Quest::DefinitionName() const
{
    return definition && definition->GetEntry() ? std::string(definition->GetEntry()->GetName()) : std::string();
}

Actor* Quest::SpawnAtLevel(const MonsterType* monsterType, int32_t levelIndex, int32_t& block,
                           int32_t levelOverride) const
{
    return host && monsterType ? host->SpawnMonsterInRandomFreeBlock(levelIndex, block, monsterType, levelOverride)
                               : nullptr;
}

WorldPos Quest::PointInLevel() const
{
    WorldPos point{-1, 0.0f, 0.0f};
    if (gGameServices && gWorld && gWorld->GetLevelCount() > 0)
        gGameServices->PickPointInLevel(targetLevel >= 0 ? targetLevel : 0, point);
    return point;
}

Actor* Quest::SpawnAtPoint(const MonsterType* monsterType, const WorldPos& where, int32_t monsterLevel)
{
    return gSpawnSystem && monsterType && where.level >= 0 ? gSpawnSystem->SpawnQuestMonster(monsterType, monsterLevel, where)
                                                           : nullptr;
}

Actor* Quest::SpawnNamedAtPoint(std::string_view name, const WorldPos& where, int32_t monsterLevel)
{
    return gSpawnSystem && where.level >= 0 ? gSpawnSystem->SpawnMonsterByName(name, where, monsterLevel) : nullptr;
}

int32_t Quest::TargetMonsterLevel()
{
    if (targetLevel == -1)
        AssignTargetLevels();
    return gWorld && targetLevel >= 0 ? gWorld->GetLevelMonsterLevel(targetLevel) : -1;
}

void Quest::ApplyHealthFraction(Actor& actor) const
{
    float low = definition->minHealth;
    float high = std::max(low, definition->maxHealth);
    if (high <= 0.0f)
        return;
    float fraction = low + (high - low) * Roll();
    actor.health = std::max(1, static_cast<int32_t>(std::ceil(static_cast<float>(actor.maxHealth) * fraction)));
}

bool Quest::TakeTarget(Actor* actor)
{
    target.Set(actor);
    if (actor)
        actor->questFigure = true;
    return actor != nullptr;
}

void Quest::NameAfterQuest(Actor& actor) const
{
    actor.SetNameSeed(nameSeed);
}

// ---- The table --------------------------------------------------------------------------------------

bool Quest::SetUpKind(Quest* origin, bool restore)
{
    if (failed || ended)
        return false;
    using namespace QuestType;
    bool complete = IsComplete();
    switch (type) {
    case LevelQuestItem: case ArmorsmithLevelQuestItem: case WeaponsmithLevelQuestItem: case StoryBemmelGraves:
    case StoryVarrowFindItem:
        levelItemsPending = true;
        return true;
    case DeadlyPoison: case Petrify:
        return SetUpTownNpcEffect();
    case QuestType::Recruit:
        return restore || SetUpRecruit();
    case UniqueMonsterSpotted: case Assassin:
        return complete || (type == UniqueMonsterSpotted && definition->entitiesAlreadySpawned) || SetUpAtLevel();
    case StoryKillBemmelScout: case StoryKillQuorrinPartner: case StoryKillVarrowGuard: case StoryKillOskithMage:
    case StoryOskithNullifier: case MonsterScout:
        return complete || SetUpScout(type == MonsterScout);
    case Renegade: case RenegadeAttack:
        return complete || SetUpRenegade();
    case GhostRevenge: case Revenge:
        return SetUpRevenge();
    case KillMonsterGroup: case StoryQuorrinPellDallet: case Meeting:
        return SetUpGroup(origin);
    case RescueNpc:
        return complete || SetUpRescue(origin);
    case StoryQuorrinRescue:
        return complete || SetUpStoryRescue();
    case Kidnapping:
        return complete || SetUpKidnapping();
    case Escort: case Delivery:
        return complete || SetUpTravellingNpc();
    case TreasureMap:
        return SetUpTreasure();
    case MonsterQuest:
        return SetUpMonsterQuestGiver();
    case PoisonedSupply:
        levelItemsPending = true;
        SetSupplyMultiplier(1.0f, restore ? multiplier : definition->startMult);
        return true;
    case TownAttack:
        return SetUpTownAttack();
    case Thief:
        return SetUpThief();
    case TownTraps:
        return SetUpTownTraps();
    case Siege:
        return SetUpSiege();
    case WanderingVendor:
        return complete || SetUpWanderingVendor();
    // The events that happen at once happen once: a restored record changes the world no more.
    case NewNpc:
        return restore || SetUpNewNpc();
    case CrystalGain: case CrystalLoss: case InfluenceGain: case InfluenceLoss:
        return restore || SetUpCovenantShare();
    case GuardBreaksFree:
        return restore || SetUpGuardBreaksFree();
    default:
        break;
    }
    if (definition->boss && !IsOfType({KillMonsters, MonsterQuestItem, Uprising, StoryBemmelArmy, StoryVarrowHorde,
                                       StoryOskithArmy, WarAgainstBarbarians, Plague})) {
        if (!QuestBase::target && definition->defaultMonster.empty())
            PickBossMonsterType();
        else if (!QuestBase::target)
            QuestBase::target = DefaultMonsterType();
        return complete || SpawnBoss();
    }
    return true;
}

// ---- Rows ---------------------------------------------------------------------------------------------

bool Quest::SetUpTownNpcEffect()
{
    Actor* npc = host->GetTownNpc(npcId);
    if (!npc) {
        if (type == QuestType::DeadlyPoison)
            SetFailed();
        return true;
    }
    TakeTarget(npc);
    if (definition->statusEffect)
        npc->AddStatusEffect(definition->statusEffect, npc, 1);
    return true;
}

bool Quest::SetUpRecruit()
{
    CreateRecruit();
    if (!target.Get())
        return false;
    host->CreateActorCovenantQuests(*this);
    return true;
}

bool Quest::SetUpAtLevel()
{
    int32_t block = -1;
    if (targetLevel == -1)
        AssignTargetLevels();
    return TakeTarget(SpawnAtLevel(GetTarget(0), targetLevel, block, -1));
}

bool Quest::SetUpScout(bool scout)
{
    if (targetLevel == -1)
        AssignTargetLevels();
    Actor* spawned = SpawnAtPoint(GetTarget(0), PointInLevel(), -1);
    if (!TakeTarget(spawned))
        return false;
    spawned->questFlag2 = false;
    spawned->questFlag3 = true;
    spawned->questFlag4 = scout;
    spawned->flags &= ~EntityFlag::Hidden;
    return true;
}

bool Quest::SetUpRenegade()
{
    if (targetLevel == -1)
        AssignTargetLevels();
    int32_t renegadeLevel = level + definition->levelChange;
    auto* existing = target.GetAs<Actor>();
    if (type == QuestType::RenegadeAttack && existing) {
        WorldPos point = PointInLevel();
        if (point.level >= 0)
            existing->SetPosition(point);
    } else if (type == QuestType::RenegadeAttack) {
        TakeTarget(SpawnAtPoint(FindClassNpcType("NpcRenegade%s"), PointInLevel(), renegadeLevel));
    } else {
        int32_t block = -1;
        TakeTarget(SpawnAtLevel(FindClassNpcType("NpcRenegade%s"), targetLevel, block, renegadeLevel));
    }
    auto* renegade = target.GetAs<Actor>();
    if (!renegade)
        return false;
    NameAfterQuest(*renegade);
    renegade->questFigure = true;
    if (type == QuestType::RenegadeAttack)
        renegade->questFlag2 = false;
    return true;
}

bool Quest::SetUpRevenge()
{
    if (targetLevel == -1)
        AssignTargetLevels();
    Actor* avenger = nullptr;
    if (type == QuestType::GhostRevenge) {
        int32_t block = -1;
        avenger = SpawnAtLevel(FindClassNpcType("NpcGhost%s"), targetLevel, block, -1);
        if (avenger) {
            avenger->alpha = definition->alpha;
            avenger->translucent = true;
        }
    } else if (gGameData) {
        const GameSystemTuning& tuning = gGameData->GetTuning();
        int32_t block = (tuning.blocksPerColumn / 2) * std::max(1, tuning.blocksPerRow) + tuning.blocksPerRow / 2;
        avenger = SpawnAtLevel(FindClassNpcType("NpcRevenge%s"), 0, block, -1);
    }
    if (!TakeTarget(avenger))
        return false;
    NameAfterQuest(*avenger);
    // A derived revenge follows a quest whose tormentor stands already: no second one.
    if (!IsComplete() && !derived) {
        int32_t block = -1;
        if (Actor* tormentor = SpawnAtLevel(GetTarget(0), targetLevel, block, -1))
            tormentor->questFigure = true;
    }
    return true;
}

bool Quest::SetUpGroup(Quest* origin)
{
    if (goals.empty())
        return false;
    for (QuestGoal& goal : goals)
        goal.required = 1;
    if (targetLevel == -1)
        AssignTargetLevels();
    int32_t block = -1;
    Actor* first = nullptr;
    auto* originTarget = origin && origin->GetTarget(0) ? origin->target.GetAs<Actor>() : nullptr;
    if (originTarget) {
        first = originTarget;
        block = QuestSetUpBlockAt(first->position);
    } else if (goals[0].progress < goals[0].required) {
        first = SpawnAtLevel(goals[0].target, targetLevel, block, -1);
    }
    if (first)
        first->questFigure = true;
    Actor* last = first;
    for (size_t i = 1; i < goals.size(); ++i) {
        if (goals[i].progress >= goals[i].required)
            continue;
        Actor* member = SpawnAtLevel(goals[i].target, targetLevel, block, -1);
        if (!member)
            continue;
        member->questFigure = true;
        if (first)
            first->AddCompanion(member, kQuestSetUpCompanionLimit);
        last = member;
    }
    if (type == QuestType::Meeting) {
        target.Set(first);
        secondEntity.Set(last);
    }
    return true;
}

bool Quest::SetUpRescue(Quest* origin)
{
    if (origin && origin->type == QuestType::Escort && origin->target) {
        CopyPlacement(origin);
        return TakeTarget(origin->target.GetAs<Actor>());
    }
    if (definition->entitiesAlreadySpawned)
        return true;
    int32_t block = -1;
    int32_t monsterLevel = TargetMonsterLevel();
    Actor* npc = SpawnAtLevel(FindClassNpcType("NpcRescue%s"), targetLevel, block, monsterLevel);
    if (!TakeTarget(npc))
        return false;
    pendingBlock = block;
    SpawnPendingBlock();
    NameAfterQuest(*npc);
    ApplyHealthFraction(*npc);
    npc->questFlag4 = true;
    return true;
}

bool Quest::SetUpStoryRescue()
{
    int32_t block = -1;
    int32_t monsterLevel = TargetMonsterLevel();
    Actor* npc = SpawnAtLevel(DefaultMonsterType(), targetLevel, block, monsterLevel);
    if (!TakeTarget(npc))
        return false;
    const MonsterType* guardType = gGameData ? gGameData->FindMonsterType(definition->monsterType) : nullptr;
    int32_t guards = gRandomSystem ? gRandomSystem->RandomIndex(RandomStream::GameData, definition->minCount,
                                                                definition->maxCount)
                                   : 0;
    for (int32_t i = 0; i < guards && guardType; ++i)
        SpawnAtLevel(guardType, targetLevel, block, monsterLevel);
    NameAfterQuest(*npc);
    ApplyHealthFraction(*npc);
    npc->questFlag4 = true;
    return true;
}

bool Quest::SetUpKidnapping()
{
    auto* npc = target.GetAs<Actor>();
    if (!npc || !gWorld)
        return false;
    if (targetLevel == -1)
        AssignTargetLevels();
    WorldPos where = gWorld->RandomPointInLevel(targetLevel);
    if (where.level < 0)
        return false;
    npc->SetPosition(where);
    npc->kidnapped = true;
    npc->questFigure = true;
    npc->questFlag4 = true;
    int32_t before = npc->health;
    ApplyHealthFraction(*npc);
    npc->health = std::min(before, npc->health);
    SpawnAtPoint(GetTarget(0), where, -1);
    return true;
}

bool Quest::SetUpTravellingNpc()
{
    bool escort = type == QuestType::Escort;
    int32_t block = -1;
    int32_t monsterLevel = TargetMonsterLevel();
    Actor* npc = SpawnAtLevel(FindClassNpcType(escort ? "NpcEscort%s" : "NpcDelivery%s"), targetLevel, block,
                              monsterLevel);
    if (!TakeTarget(npc))
        return false;
    NameAfterQuest(*npc);
    if (escort)
        ApplyHealthFraction(*npc);
    else
        npc->questFlag4 = true;
    return true;
}

bool Quest::SetUpTreasure()
{
    if (targetLevel == -1)
        AssignTargetLevels();
    const DatabaseEntry* entry =
        gWorld && gDatabase ? gDatabase->FindEntryByName(gWorld->GetLevelTreasureChestName(targetLevel)) : nullptr;
    if (!entry || !gGameServices || !gGameData) {
        DebugSystem::Print(kPrintWarning, "Quest %s: level %d names no treasure chest\n", DefinitionName().c_str(),
                           targetLevel);
        return false;
    }
    auto* chest = new Chest();
    // Mended: loaded without taking the record, the treasure reached the clients as nothing to open.
    chest->SetEntry(entry);
    chest->level = level;
    chest->Randomize(targetLevel);
    // Mended: without it the opened chest never told its quest, which then never ended.
    chest->questNotify = true;
    const GameSystemTuning& tuning = gGameData->GetTuning();
    WorldPos where{targetLevel, Roll() * tuning.levelWidth, Roll() * tuning.levelHeight};
    WorldPos free;
    SpawnSearch search;
    search.freeSpot = true;
    if (gGameServices->FindSpawnPosition(where, Entity::kWarpNearRings, search, false, free))
        where = free;
    chest->SetPosition(where);
    if (gGameServices->AddEntity(chest) == -1) {
        delete chest;
        return false;
    }
    treasureChest.Set(chest);
    return true;
}

bool Quest::SetUpMonsterQuestGiver()
{
    const MonsterType* giver = goals.size() >= 2 ? goals[1].target : nullptr;
    int32_t block = -1;
    if (targetLevel == -1)
        AssignTargetLevels();
    Actor* spawned = SpawnAtLevel(giver, targetLevel, block, -1);
    if (!TakeTarget(spawned))
        return false;
    spawned->questFlag5 = true;
    return true;
}

bool Quest::SetUpTownAttack()
{
    if (targetHealthFraction > 0.0f) {
        Actor* boss = SpawnNamedAtPoint("MonsterTownAttackGate", spawnPosition, level);
        if (!TakeTarget(boss))
            return false;
        if (targetHealthFraction < 1.0f)
            boss->health = std::max(
                1, static_cast<int32_t>(std::ceil(static_cast<float>(boss->maxHealth) * targetHealthFraction)));
    }
    int32_t attackers =
        gRandomSystem ? gRandomSystem->RandomIndex(RandomStream::GameData, definition->minCount, definition->maxCount)
                      : 0;
    for (int32_t i = 0; i < attackers; ++i) {
        Actor* attacker = SpawnAtPoint(GetTarget(0), spawnPosition, level);
        if (!attacker)
            continue;
        attacker->questFigure = true;
        attacker->questFlag2 = false;
        AddGroupMember(attacker);
    }
    return true;
}

bool Quest::SetUpThief()
{
    Actor* thief = SpawnNamedAtPoint("NpcThief", host->GetTownCenter(), level);
    if (!TakeTarget(thief))
        return false;
    NameAfterQuest(*thief);
    thief->flags |= EntityFlag::Hidden;
    statusEffect = gDatabase ? gDatabase->FindEntryByName("StatusEffectThiefStealth") : nullptr;
    if (statusEffect)
        thief->AddStatusEffect(statusEffect, thief, 1);
    ShowThief(false);
    return true;
}

bool Quest::SetUpTownTraps()
{
    if (!gWorld || !gSpawnSystem)
        return true;
    for (int32_t i = progress; i < count; ++i) {
        WorldPos where = gWorld->RandomPointInLevel(0);
        auto* trap = where.level >= 0 ? dynamic_cast<TrapGround*>(
                                            gSpawnSystem->GetLevelFiller().SpawnGroundTrapAt(where, level))
                                      : nullptr;
        if (!trap)
            continue;
        trap->SetQuestPlate(true, true);
        AddGroupMember(trap);
    }
    return true;
}

bool Quest::SetUpSiege()
{
    const MonsterType* engineType = gGameData ? gGameData->FindMonsterType(definition->monsterType) : nullptr;
    if (!gWorld || !engineType)
        return false;
    if (targetLevel == -1)
        AssignTargetLevels();
    for (int32_t i = progress; i < count; ++i) {
        WorldPos where = gWorld->RandomPointInLevel(targetLevel);
        Actor* engine = SpawnAtPoint(engineType, where, level);
        if (!engine)
            continue;
        engine->questFigure = true;
        AddGroupMember(engine);
        SpawnAtPoint(GetTarget(0), where, level);
    }
    return true;
}

bool Quest::SetUpWanderingVendor()
{
    int32_t block = -1;
    int32_t monsterLevel = TargetMonsterLevel();
    Actor* vendor = SpawnAtLevel(FindClassNpcType("NpcVendorWandering%s"), targetLevel, block, monsterLevel);
    if (!TakeTarget(vendor))
        return false;
    NameAfterQuest(*vendor);
    return true;
}

bool Quest::SetUpNewNpc()
{
    if (!host)
        return true;
    std::vector<int32_t> empty;
    for (int32_t slot = 0; slot < host->CountTownNpcs(); ++slot)
        if (!host->GetTownNpc(slot))
            empty.push_back(slot);
    if (empty.empty())
        return true;
    int32_t slot = empty[static_cast<size_t>(DrawIndex(static_cast<int32_t>(empty.size())))];
    host->CreateTownNpc(slot);
    Actor* npc = host->GetTownNpc(slot);
    if (!npc)
        return true;
    target.Set(npc);
    std::string typeName = GetNameByIndex(npc->GetNpcType());
    SendNews(MakeLocToken("QuestAnnounceNewNpc", "$$NpcType%s$$ %s", typeName.c_str(), npc->GetName().c_str()),
             kNewsKind);
    return true;
}

bool Quest::SetUpCovenantShare()
{
    using namespace QuestType;
    bool influence = IsOfType({InfluenceGain, InfluenceLoss});
    bool gain = IsOfType({CrystalGain, InfluenceGain});
    Covenant* covenant = host->PickRandomCovenant();
    if (!covenant)
        return true;
    float low = definition->minPercentChange;
    float high = std::max(low, definition->maxPercentChange);
    double share = static_cast<double>(low + (high - low) * Roll()) * QuestSetUpAverageHoldings(host, influence);
    int64_t held = QuestSetUpHoldings(*covenant, influence);
    double drawn = gain ? std::floor(0.5 + share) : std::min(std::ceil(share), static_cast<double>(held));
    if (!std::isfinite(drawn) || drawn < 1.0)
        return true;
    auto amount = static_cast<int32_t>(std::min(drawn, static_cast<double>(INT32_MAX)));
    if (!influence)
        covenant->statistics.Set(CovenantStat::Money,
                                 static_cast<int32_t>(std::clamp<int64_t>(held + (gain ? amount : -amount), 0, INT32_MAX)));
    else if (gain)
        covenant->AddInfluence(2, amount);
    else
        QuestSetUpTakeInfluence(*covenant, amount);
    // The news tells what changed: influence stops at its cap, crystals at the counter's end.
    amount = static_cast<int32_t>(std::min<int64_t>(std::llabs(QuestSetUpHoldings(*covenant, influence) - held), INT32_MAX));
    if (amount < 1)
        return true;
    std::string line = DiplomacyText::CovenantLine(*covenant);
    std::string shown = FormatThousands(amount);
    const char* key = influence ? (gain ? "QuestAnnounceInfluenceGain" : "QuestAnnounceInfluenceLoss")
                                : (gain ? "QuestAnnounceCrystalGain" : "QuestAnnounceCrystalLoss");
    if (influence)
        SendNews(MakeLocToken(key, "%s %s", line.c_str(), shown.c_str()), kNewsKind);
    else
        SendNews(MakeLocToken(key, "%s %s %s", line.c_str(), shown.c_str(),
                              gLocSystem ? gLocSystem->GetPluralEnding(amount) : ""),
                 kNewsKind);
    return true;
}

bool Quest::SetUpGuardBreaksFree()
{
    Covenant* covenant = host->PickRandomCovenant();
    std::vector<int32_t> standing;
    for (int32_t slot = 0; covenant && slot < Covenant::kGuardSlots; ++slot)
        if (covenant->GetGuard(slot))
            standing.push_back(slot);
    if (standing.empty())
        return true;
    int32_t slot = standing[static_cast<size_t>(DrawIndex(static_cast<int32_t>(standing.size())))];
    std::string name = covenant->GetName();
    SendNews(MakeLocToken("QuestAnnounceGuardBreaksFree", "%s%s", name.c_str(), GetPossessiveSuffix(name).c_str()),
             kNewsKind);
    covenant->ReleaseGuard(slot);
    return true;
}

// ---- Recruits and bosses ------------------------------------------------------------------------------

void Quest::CreateRecruit()
{
    if (!host->GetFirstPlayer() || !gGameData || !gRandomSystem || !gSpawnSystem)
        return;
    // The same seed gives the same recruit again after a load.
    if (type != QuestType::StoryQuorrinRescue)
        gRandomSystem->SetState(RandomStream::Quest, seed);
    std::string name = "ArchetypeNpcPotentialRecruit" + gGameData->GetCharacterClassName(0);
    const MonsterArchetype* archetype = gGameData->FindArchetype(name);
    // Drawn from the reseeded stream 3, so that a load makes the same recruit again.
    const MonsterType* recruitType = archetype ? archetype->PickRandomFromList(RandomStream::Quest) : nullptr;
    if (!recruitType) {
        DebugSystem::Print(kPrintWarning, "Quest %s: no recruit type in %s\n", DefinitionName().c_str(), name.c_str());
        return;
    }
    Actor* recruit = gSpawnSystem->SpawnMonster(recruitType, recruitType->rarity, std::max(1, recruitLevel), 0, false);
    if (!recruit)
        return;
    if (auto* earlier = target.GetAs<Entity>())
        earlier->ScheduleDelete(0.0f);
    target.Set(recruit);
    PlaceRecruit();
}

void Quest::PlaceRecruit()
{
    auto* recruit = target.GetAs<Actor>();
    if (!recruit || !host || !gGameServices)
        return;
    WorldPos spot;
    int32_t facing = 0;
    host->GetTownSpot(NpcType::Recruit, spot, facing);
    WorldPos place = spot;
    SpawnSearch search;
    for (int32_t ring = 0; ring <= kQuestSetUpRecruitRings; ++ring)
        if (gGameServices->FindSpawnPositionInRing(spot, ring, search, place))
            break;
    recruit->SetPosition(place);
    recruit->facing = facing;
    // A recruit the quest's words name bears that name, not a stranger's.
    if (definition && definition->needRandomNpcName)
        NameAfterQuest(*recruit);
    else
        recruit->SetNameSeed(DrawRandomStep(RandomStream::GameData));
    recruit->questFigure = true;
    recruit->AddStatusEffectByName("EnhancementRecruitBasic", recruit, 1);
    if (recruit->entityNumber < 0 && gGameServices->AddEntity(recruit) == -1) {
        target.Clear();
        delete recruit;
    }
}

int32_t Quest::BossTier() const
{
    using namespace QuestType;
    return type == BossKnight ? 1 : type == BossLord ? 2 : type == BossPrince ? 3 : 4;
}

bool Quest::FindBossTier(QuestBossTier& tier) const
{
    const DatabaseEntry* record =
        gDatabase ? gDatabase->FindEntryByName(StringFormat("BossTier%d", BossTier())) : nullptr;
    const QuestWorld* world = GetWorld();
    int32_t levelIndex = record && world ? world->GetBossLevel(BossTier()) : -1;
    Level* found = gWorld ? gWorld->GetLevel(levelIndex) : nullptr;
    if (!found || !found->area)
        return false;
    tier.minLevel = record->GetInt("MinLevel");
    tier.maxLevel = std::max(tier.minLevel, record->GetInt("MaxLevel"));
    tier.centre = found->area->GetCenterPosition();
    tier.centre.level = found->index;
    return true;
}

void Quest::PickBossMonsterType()
{
    QuestBossTier tier;
    if (QuestBase::target || !FindBossTier(tier))
        return;
    std::vector<MonsterType*> candidates;
    host->CollectFreeMonsterTypes(MonsterRarity::Boss, tier.minLevel, tier.maxLevel, candidates);
    if (!candidates.empty())
        QuestBase::target = candidates[static_cast<size_t>(DrawIndex(static_cast<int32_t>(candidates.size())))];
}

bool Quest::SpawnBoss()
{
    QuestBossTier tier;
    // Without its tier's level the boss has nowhere to stand: the quest ends.
    if (!QuestBase::target || !FindBossTier(tier) || !gSpawnSystem) {
        DebugSystem::Print(kPrintWarning, "Quest %s: no boss or no level for boss tier %d\n", DefinitionName().c_str(),
                           BossTier());
        return false;
    }
    Actor* boss = gSpawnSystem->SpawnMonster(QuestBase::target, MonsterRarity::Boss, tier.maxLevel, 0, false);
    if (!TakeTarget(gSpawnSystem->PlaceSpawnedMonster(boss, tier.centre)))
        return false;
    level = tier.maxLevel;
    return true;
}
