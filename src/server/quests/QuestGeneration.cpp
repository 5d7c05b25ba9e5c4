// Quest -- generation: the level, target and goals chosen by kind, the checks every new quest passes, its start conditions and its placement on a level.
#include "server/quests/Quest.h"

#include "core/LocSystem.h"
#include "core/RandomSystem.h"
#include "core/StringUtil.h"
#include "entities/Actor.h"
#include "entities/Player.h"
#include "rules/GameData.h"
#include "rules/RulesEnums.h"
#include "rules/monsters/MonsterDefinition.h"
#include "rules/monsters/MonsterType.h"
#include "rules/quests/QuestDefinition.h"
#include "rules/quests/QuestWorld.h"
#include "server/quests/QuestHost.h"
#include "world/World.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int32_t kQuestUniqueKind = MonsterRarity::Unique;
constexpr int32_t kQuestLegendKind = MonsterRarity::Legend;
constexpr int32_t kQuestNewsKind = 3;

// A uniform entry of the list; null for an empty one.
MonsterType* QuestGenerationPick(const std::vector<MonsterType*>& candidates)
{
    if (candidates.empty() || !gRandomSystem)
        return nullptr;
    return candidates[static_cast<size_t>(
        gRandomSystem->RandomInt(RandomStream::GameData, static_cast<int32_t>(candidates.size())))];
}

} // namespace

// ---- The steps --------------------------------------------------------------------------------

void Quest::Generate(bool restore, Quest* origin)
{
    if (level == -1 || linkedCopy || !definition || !host)
        return;
    if (origin)
        derived = true;
    if (!restore) {
        if (!Choose(origin) || !PassesCommonChecks()) {
            ended = true;
            return;
        }
    }
    if (!SetUpKind(origin, restore)) {
        ended = true;
        return;
    }
    // A kind that failed at set-up skips the closing step.
    if (!failed)
        CloseSetUp();
}

bool Quest::Choose(Quest* origin)
{
    const QuestDefinition& rules = *definition;
    if (rules.defaultLevel > 0) {
        int32_t base = gGameData ? gGameData->GetDifficultyMinLevel(host->GetDifficulty()) : 1;
        level = base == 1 ? rules.defaultLevel : base + rules.defaultLevel;
    }
    if (IsDuplicateRunning() || !host->CanStartQuest(*this))
        return false;
    using namespace QuestType;
    switch (type) {
    case KillMonsters: case QuestType::Recruit:
        QuestBase::target = origin && origin->QuestBase::target ? origin->QuestBase::target : DefaultMonsterRule();
        return true;
    case MonsterQuestItem: case ArmorsmithMonsterQuestItem: case WeaponsmithMonsterQuestItem:
        QuestBase::target = DefaultMonsterRule();
        return true;
    case StoryKillBemmelScout: case StoryBemmelArmy: case StoryKillQuorrinPartner: case StoryKillVarrowGuard:
    case StoryVarrowHorde: case StoryKillOskithMage: case StoryOskithNullifier: case StoryOskithArmy:
        QuestBase::target = DefaultMonsterType();
        return true;
    case MonsterScout:
        QuestBase::target = PickEligibleType();
        return TypeHas(QuestBase::target, &MonsterDefinition::canBeSpawned);
    case UniqueMonsterSpotted: case Assassin:
        if (!rules.defaultMonster.empty()) {
            QuestBase::target = DefaultMonsterType();
            return true;
        }
        return ChooseFromKind();
    case GhostRevenge: case Revenge:
        return ChooseRevenge(origin);
    case KillMonsterGroup:
        return ChooseGroup(origin);
    case Meeting:
        return ChooseMeeting();
    case StoryQuorrinPellDallet:
        return ChooseStoryGoals();
    case DeadlyPoison:
        QuestBase::target = PickEligibleType();
        return host->GetTownNpc(npcId) != nullptr;
    case Petrify:
        QuestBase::target = PickEligibleType();
        return ChooseTownNpcTarget(false);
    case Kidnapping:
        return ChooseTownNpcTarget(true);
    case Escort:
        if (targetLevel == -1)
            AssignTargetLevels();
        return targetLevel != destLevel;
    case Renegade:
        CopyPlacement(origin);
        return true;
    case RenegadeAttack:
        if (!origin)
            return false;
        CopyPlacement(origin);
        target = origin->target;
        return true;
    case Siege: {
        if (!gGameData || !gGameData->FindMonsterType(rules.monsterType))
            return false;
        const MonsterType* chosen = origin ? origin->GetTarget(0) : PickEligibleType();
        QuestBase::target = chosen;
        return TypeHas(chosen, &MonsterDefinition::canBeSpawned);
    }
    case Thief:
        // The thief is shown at set-up; it needs a vendor with goods to stand beside.
        return !CollectThiefVendors().empty();
    case Uprising: case WarAgainstBarbarians:
        QuestBase::target = origin && origin->GetTarget(0) ? PickOriginSideType(*origin) : PickEligibleType();
        return TypeHas(QuestBase::target, &MonsterDefinition::canHaveUprising);
    case TownAttack:
        QuestBase::target = origin ? PickOriginSideType(*origin) : PickEligibleType();
        if (!TypeHas(QuestBase::target, &MonsterDefinition::canBeSpawned))
            return false;
        ChooseAttackPosition();
        return true;
    case War:
        return ChooseWar(origin);
    case MonsterQuest:
        return ChooseMonsterQuest(origin);
    case Plague:
        return ChoosePlague();
    default:
        return true;
    }
}

// ---- Monster types ---------------------------------------------------------------------------------

bool Quest::TypeHas(const MonsterType* monsterType, bool MonsterDefinition::*flag)
{
    return monsterType && monsterType->definition && monsterType->definition->*flag;
}

const MonsterType* Quest::PickEligibleType() const
{
    if (!gGameData || !gRandomSystem)
        return nullptr;
    int32_t count = gGameData->CountEligibleMonsterTypes(level);
    if (count <= 0)
        return nullptr;
    return gGameData->GetEligibleMonsterType(level, gRandomSystem->RandomInt(RandomStream::GameData, count));
}

const MonsterType* Quest::DefaultMonsterType() const
{
    return gGameData && !definition->defaultMonster.empty() ? gGameData->FindMonsterType(definition->defaultMonster)
                                                            : nullptr;
}

const MonsterType* Quest::DefaultMonsterRule() const
{
    return definition->defaultMonster.empty() ? PickEligibleType() : DefaultMonsterType();
}

int32_t Quest::RollMonsterKind() const
{
    return DrawRandomFloat() < definition->legendChance ? kQuestLegendKind : kQuestUniqueKind;
}

void Quest::CollectKindCandidates(int32_t kind, std::vector<MonsterType*>& out) const
{
    host->CollectFreeMonsterTypes(kind, level + definition->minLevelChange, level + definition->maxLevelChange, out);
}

bool Quest::ChooseFromKind()
{
    std::vector<MonsterType*> candidates;
    CollectKindCandidates(RollMonsterKind(), candidates);
    QuestBase::target = QuestGenerationPick(candidates);
    return QuestBase::target != nullptr;
}

// The further test of a revenge that follows another kind of quest is left out: what it reads
// (a name table's half and a flag of the target's definition) names nothing the game keeps.
bool Quest::ChooseRevenge(Quest* origin)
{
    int32_t kind = RollMonsterKind();
    if (!origin) {
        std::vector<MonsterType*> candidates;
        CollectKindCandidates(kind, candidates);
        if (MonsterType* picked = QuestGenerationPick(candidates))
            QuestBase::target = picked;
        return QuestBase::target != nullptr;
    }
    if (origin->type == QuestType::UniqueMonsterSpotted || (origin->definition && origin->definition->boss)) {
        QuestBase::target = origin->QuestBase::target;
        CopyPlacement(origin);
        return QuestBase::target != nullptr;
    }
    // The entities keep no record of who struck last, so the killer of the origin's target is
    // its current target of hate when it has one; without either the revenge has no subject.
    auto* victim = origin->target.GetAs<Actor>();
    if (!victim)
        return false;
    auto* killer = dynamic_cast<Actor*>(victim->GetCurrentTarget());
    const MonsterType* killerType = killer ? killer->GetMonsterType() : nullptr;
    if (killerType && killerType->rarity != kQuestUniqueKind && killerType->rarity != kQuestLegendKind)
        killerType = kind == kQuestUniqueKind ? killerType->PickRandomVersion() : killerType->legendType;
    QuestBase::target = killerType;
    return QuestBase::target != nullptr;
}

bool Quest::ChooseGroup(Quest* origin)
{
    if (origin && origin->GetTarget(0))
        CopyPlacement(origin);
    if (!gRandomSystem)
        return false;
    int32_t wanted = gRandomSystem->RandomIndex(RandomStream::GameData, definition->minCount, definition->maxCount);
    if (wanted <= 0)
        return false;
    std::vector<MonsterType*> candidates;
    CollectKindCandidates(kQuestUniqueKind, candidates);
    if (static_cast<int64_t>(candidates.size()) < 2 * int64_t{wanted})
        return false;
    std::vector<int32_t> draws;
    gRandomSystem->PickDistinctIndices(static_cast<int32_t>(candidates.size()), 2 * wanted, draws);
    goals.assign(static_cast<size_t>(wanted), QuestGoal{});
    int32_t accepted = 0;
    for (int32_t drawn : draws) {
        if (accepted == wanted)
            break;
        QuestGoal& goal = goals[static_cast<size_t>(accepted)];
        goal.rarity = RollMonsterKind();
        goal.target = candidates[static_cast<size_t>(drawn)];
        if (accepted == 0 && origin && origin->GetTarget(0))
            goal.target = origin->GetTarget(0);
        goal.progress = 0;
        goal.required = 1;
        bool friendly = true;
        for (int32_t i = 0; i < accepted && friendly; ++i)
            friendly = !AreHostile(*goal.target, *goals[static_cast<size_t>(i)].target);
        if (friendly)
            ++accepted;
    }
    return accepted == wanted;
}

bool Quest::ChooseMeeting()
{
    if (!gRandomSystem)
        return false;
    int32_t wanted = gRandomSystem->RandomIndex(RandomStream::GameData, definition->minCount, definition->maxCount);
    // Mended: a meeting needs its two sides; with fewer goals it could never be told apart.
    if (wanted < 2)
        return false;
    std::vector<MonsterType*> candidates;
    CollectKindCandidates(kQuestUniqueKind, candidates);
    if (static_cast<int64_t>(candidates.size()) < wanted)
        return false;
    std::vector<int32_t> draws;
    gRandomSystem->PickDistinctIndices(static_cast<int32_t>(candidates.size()), wanted, draws);
    goals.assign(static_cast<size_t>(wanted), QuestGoal{});
    for (int32_t i = 0; i < wanted; ++i) {
        QuestGoal& goal = goals[static_cast<size_t>(i)];
        goal.rarity = RollMonsterKind();
        goal.target = candidates[static_cast<size_t>(draws[static_cast<size_t>(i)])];
        goal.required = 1;
    }
    const MonsterType& first = *goals[0].target;
    const MonsterType& second = *goals[1].target;
    return TypeHas(&first, &MonsterDefinition::canHaveUprising) &&
           TypeHas(&second, &MonsterDefinition::canHaveUprising) && first.GetFactionName() != second.GetFactionName() &&
           !host->AreFactionsAtWar(first, second) && host->CanFactionsGoToWar(first, second);
}

bool Quest::ChooseStoryGoals()
{
    const MonsterType* monster = DefaultMonsterType();
    if (!monster)
        return false;
    QuestBase::target = monster;
    goals.clear();
    for (MonsterType* linked : monster->versions) {
        QuestGoal goal;
        goal.target = linked;
        goal.required = 1;
        goals.push_back(goal);
    }
    return true;
}

bool Quest::ChooseTownNpcTarget(bool kidnapping)
{
    Actor* npc = host->GetTownNpc(npcId);
    if (!npc)
        return false;
    int32_t refused = kidnapping ? NpcType::Steward : NpcType::Apothecary;
    int32_t rival = kidnapping ? QuestType::Petrify : QuestType::Kidnapping;
    if (npc->GetNpcType() == refused || host->FindQuestForTarget(rival, npc))
        return false;
    if (kidnapping) {
        Player* first = host->GetFirstPlayer();
        if ((first && first->position.level == 0) || npc->IsDead())
            return false;
    }
    target.Set(npc);
    if (!kidnapping)
        return true;
    std::vector<MonsterType*> candidates;
    CollectKindCandidates(RollMonsterKind(), candidates);
    QuestBase::target = QuestGenerationPick(candidates);
    return TypeHas(QuestBase::target, &MonsterDefinition::canKidnap);
}

bool Quest::ChoosePlague()
{
    QuestBase::target = PickEligibleType();
    if (!QuestBase::target)
        return false;
    if (targetLevel == -1)
        AssignTargetLevels();
    if (!host->CanMonsterAppear(targetLevel, *QuestBase::target))
        return false;
    QuestVictim carrier = CarrierPick();
    auto* sick = carrier.victim.GetAs<Entity>();
    if (!sick)
        return false;
    members.push_back(carrier);
    SendQuestMessage("QuestAnnouncePlague", "", kQuestNewsKind);
    std::string shown = GetNameByIndex(sick->GetNpcType());
    auto* actor = dynamic_cast<Actor*>(sick);
    std::string named = actor ? actor->GetName() : std::string();
    SendQuestMessage("QuestEventSpread", shown.empty() ? named : named + " ($$NpcType" + shown + "$$)",
                     kQuestNewsKind);
    return true;
}

void Quest::CopyPlacement(const Quest* origin)
{
    if (!origin)
        return;
    level = origin->level;
    seed = origin->seed;
    RollParameters(true);
    AssignTargetLevels();
}

// ---- Factions ------------------------------------------------------------------------------------------

bool Quest::AreHostile(const MonsterType& first, const MonsterType& second) const
{
    return host->GetFactionRelation(first, second) < host->GetWarThreshold();
}

// A type counts as the origin's side when it shares the origin type's faction or does not
// dislike it (the origin's side is those it would not fight).
const MonsterType* Quest::PickOriginSideType(const Quest& origin) const
{
    const MonsterType* originType = origin.GetTarget(0);
    std::vector<MonsterType*> side;
    int32_t count = gGameData ? gGameData->CountEligibleMonsterTypes(level) : 0;
    for (int32_t i = 0; i < count && originType; ++i) {
        MonsterType* candidate = gGameData->GetEligibleMonsterType(level, i);
        if (candidate && (candidate->GetFactionName() == originType->GetFactionName() ||
                          !AreHostile(*candidate, *originType)))
            side.push_back(candidate);
    }
    const MonsterType* picked = QuestGenerationPick(side);
    return picked ? picked : PickEligibleType();
}

// A random type of every monster type whose window meets the quest's level window; none when
// fewer than two qualify.
const MonsterType* Quest::PickWarSide() const
{
    std::vector<MonsterType*> all;
    if (gGameData)
        gGameData->CollectMonsterTypes(GameData::kMonsterFilterAll, all, level + definition->minLevelChange,
                                       level + definition->maxLevelChange);
    return all.size() >= 2 ? QuestGenerationPick(all) : nullptr;
}

bool Quest::ChooseWar(Quest* origin)
{
    const MonsterType* a = nullptr;
    const MonsterType* b = nullptr;
    bool fromWar = origin && origin->type == QuestType::War;
    if (fromWar) {
        (DrawRandomFloat() < 0.5f ? a : b) = origin->GetTarget(0);
    } else if (origin && origin->type == QuestType::Meeting && origin->goals.size() >= 2) {
        a = origin->goals[0].target;
        b = origin->goals[1].target;
    } else if (origin && origin->definition && origin->definition->boss) {
        a = host->GetStrongestBossType();
        b = origin->GetTarget(0);
    }
    if (!a)
        a = PickWarSide();
    if (!b)
        b = PickWarSide();
    if (!a || !b || a == b)
        return false;
    // Mended: a war drawn from another quest counts the relation as 0 for its odds, a certain
    // war; tested against the war threshold too, that 0 refused every such war. Whether the two
    // are enemies already is their real relation.
    float relation = host->GetFactionRelation(*a, *b);
    if (relation < host->GetWarThreshold())
        return false;
    if (origin)
        relation = 0.0f;
    // Mended: a missing or broken multiplier would divide by zero or poison the roll.
    float mult = definition->reputationMult > 0.0f && std::isfinite(definition->reputationMult)
                     ? definition->reputationMult
                     : 1.0f;
    if (relation < 50.0f)
        relation *= mult;
    else if (relation > 50.0f)
        relation = std::min(100.0f, relation / mult);
    float odds = (100.0f - relation) * (100.0f - relation);
    if (!(DrawRandomScaled(RandomStream::GameData, 10000.0f) < odds) || a->GetFactionName() == b->GetFactionName() ||
        host->AreFactionsAtWar(*a, *b) || !host->CanFactionsGoToWar(*a, *b))
        return false;
    goals.assign(2, QuestGoal{});
    goals[0].target = b;
    goals[1].target = a;
    goals[0].required = goals[1].required = 1;
    host->SetFactionsAtWar(*a, *b);
    if (fromWar) {
        const MonsterType* other = a == origin->GetTarget(0) ? b : a;
        SendQuestMessage("", StringFormat("$$%s$$ $$QuestEventWarWar$$ $$%s$$", origin->GetTarget(0)->name.c_str(),
                                          other->name.c_str()),
                         kQuestNewsKind);
    }
    return true;
}

bool Quest::ChooseMonsterQuest(Quest* origin)
{
    const MonsterType* first = nullptr;
    const MonsterType* second = nullptr;
    if (origin && origin->goals.size() >= 2) {
        bool swap = DrawRandomFloat() < 0.5f;
        first = origin->goals[swap ? 1 : 0].target;
        second = origin->goals[swap ? 0 : 1].target;
    } else if (!origin) {
        first = PickEligibleType();
        second = PickEligibleType();
    }
    if (!first || !second || first == second || first->definition == second->definition ||
        !TypeHas(second, &MonsterDefinition::canGiveMonsterQuest))
        return false;
    if (!origin) {
        float relation = host->GetFactionRelation(*first, *second);
        if (DrawRandomScaled(RandomStream::GameData, 10000.0f) > (100.0f - relation) * (100.0f - relation) ||
            first->GetFactionName() == second->GetFactionName() || !host->CanFactionsGoToWar(*first, *second))
            return false;
    }
    goals.assign(2, QuestGoal{});
    goals[0].target = first;
    goals[0].required = 1;
    goals[1].target = second;
    goals[1].required = 0;
    return true;
}

void Quest::ChooseAttackPosition()
{
    const std::string& typeName = QuestBase::target->name;
    std::string covenantText;
    if (DrawRandomFloat() >= definition->attackTownCenterChance &&
        host->PickCovenantHome(spawnPosition, covenantText)) {
        SendQuestMessage("", StringFormat("$$%s$$ %s", typeName.c_str(),
                                          MakeLocToken("QuestTownAttackHouse", "%s", covenantText.c_str()).c_str()),
                         kQuestNewsKind);
        return;
    }
    WorldPos centre = host->GetTownCenter();
    float reach = definition->maxDistance;
    spawnPosition.level = 0;
    spawnPosition.x = centre.x + (DrawRandomFloat() * 2.0f - 1.0f) * reach;
    spawnPosition.y = centre.y + (DrawRandomFloat() * 2.0f - 1.0f) * reach;
    SendQuestMessage("QuestTownAttackCenter", "$$" + typeName + "$$", kQuestNewsKind);
}

// ---- Checks and closing ------------------------------------------------------------------------------

bool Quest::IsDuplicateRunning() const
{
    return !definition->duplicatesAllowed && host->HasDuplicateQuest(*this);
}

bool Quest::PassesCommonChecks()
{
    const QuestDefinition& rules = *definition;
    if (!rules.alwaysAdd) {
        if (IsDuplicateRunning())
            return false;
        if (rules.hasUniqueMonster) {
            if (targetLevel == -1)
                AssignTargetLevels();
            if (!host->AreUniqueMonstersAllowed(targetLevel))
                return false;
        }
    }
    if (rules.monsterSpawnChanceMult > 0.0f) {
        if (!QuestBase::target)
            return false;
        if (targetLevel == -1)
            AssignTargetLevels();
        if (!host->CanMonsterAppear(targetLevel, *QuestBase::target))
            return false;
    }
    return true;
}

void Quest::CloseSetUp()
{
    const QuestDefinition& rules = *definition;
    if (rules.monsterSpawnChanceMult > 0.0f && QuestBase::target) {
        if (targetLevel == -1)
            AssignTargetLevels();
        host->RaiseSpawnChance(targetLevel, QuestBase::target, rules.monsterSpawnChanceMult);
    }
    success += rules.startSuccess;
}

bool Quest::CanStart() const
{
    if (!definition || !host)
        return false;
    const QuestDefinition& rules = *definition;
    if (rules.minLevel > 0 && level < rules.minLevel)
        return false;
    if (rules.minGameTime > 0.0f && host->GetGameSeconds() < rules.minGameTime)
        return false;
    if ((rules.hasWorldLevel && targetLevel == -1) || (rules.hasDestWorldLevel && destLevel == -1))
        return false;
    const QuestWorld* world = GetWorld();
    if (rules.aboveGroundOnly && (targetLevel == -1 || (world && world->IsLevelFlagSet(targetLevel))))
        return false;
    if (rules.needNpcType != NpcType::None) {
        bool found = false;
        for (int32_t i = 0; i < host->CountTownNpcs() && !found; ++i) {
            const Actor* npc = host->GetTownNpc(i);
            found = npc && npc->GetNpcType() == rules.needNpcType && !(npc->maxHealth > 0 && npc->health < 1);
        }
        if (!found)
            return false;
    }
    const Player* first = host->GetFirstPlayer();
    return !(rules.alwaysHigherLevel && first && level <= first->stats.Get(CharacterStat::Level));
}

bool Quest::PlaceAtLevel(int32_t levelIndex)
{
    if (!gRandomSystem || !definition)
        return false;
    level = gWorld && levelIndex < gWorld->GetLevelCount() ? gWorld->GetLevelMonsterLevel(levelIndex) : 1;
    for (int32_t attempt = 0; attempt < definition->maxSyncTries; ++attempt) {
        seed = gRandomSystem->Next(RandomStream::GameData);
        RollParameters(true);
        AssignTargetLevels();
        if (targetLevel == levelIndex)
            return true;
    }
    return false;
}

bool Quest::IsDuplicateOf(const Quest& other) const
{
    if (&other == this || other.IsComplete() || other.failed || other.type != type ||
        other.definition != definition)
        return false;
    using namespace QuestType;
    if (IsOfType({PoisonedSupply, DeadlyPoison, Kidnapping, Petrify}))
        return other.npcId == npcId;
    if (IsOfType({MonsterQuestItem, GhostRevenge, Revenge, ArmorsmithMonsterQuestItem, WeaponsmithMonsterQuestItem}))
        return other.QuestBase::target == QuestBase::target;
    if (IsOfType({LevelQuestItem, ScoutLocation, ClearLevel, ArmorsmithLevelQuestItem, WeaponsmithLevelQuestItem}))
        return other.targetLevel == targetLevel;
    return true;
}
