// Quest -- world events: the event timer and its gate, the events a running quest sets off in the world, the plague's victims, the gated-in group, the supply multipliers and the siege's volleys.
#include "server/quests/Quest.h"

#include "core/DatabaseEntry.h"
#include "core/LocSystem.h"
#include "core/RandomSystem.h"
#include "core/StringUtil.h"
#include "covenants/Covenant.h"
#include "covenants/FactionSystem.h"
#include "entities/Actor.h"
#include "entities/GameServices.h"
#include "entities/Player.h"
#include "entities/Projectile.h"
#include "rules/GameData.h"
#include "rules/RulesEnums.h"
#include "rules/StatPairList.h"
#include "rules/monsters/MonsterType.h"
#include "rules/quests/QuestDefinition.h"
#include "server/quests/GameQuests.h"
#include "server/quests/QuestHost.h"
#include "server/spawn/SpawnSystem.h"
#include "world/LevelQueries.h"
#include "world/World.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kQuestEventsEffectSeconds = 5.0f;
constexpr const char* kQuestEventsSiegeProjectile = "ProjSiege";

bool QuestEventsIsAlive(const Entity* entity)
{
    return entity && (entity->maxHealth < 1 || entity->health > 0);
}

} // namespace

// ---- The gate and the step ------------------------------------------------------------------------------

bool Quest::PassesEventGate()
{
    if (!definition || definition->maxEventTime <= 0.0f || !host)
        return false;
    int32_t drawn = host->PickQuestLevel(-1);
    if (drawn < level + definition->minEventLevelDiff || drawn > level + definition->maxEventLevelDiff)
        return false;
    if (IsComplete() || failed || linkedCopy)
        return false;
    return !(type == QuestType::KillMonsterGroup && !goals.empty() && goals[0].progress >= goals[0].required);
}

bool Quest::IsPlayerNearTarget() const
{
    auto* held = target.GetAs<Entity>();
    Sentient* nearest = held && gGameServices ? gGameServices->FindNearestPlayer(held->position) : nullptr;
    return nearest && EntityDistance2D(nearest, held, false) <= definition->playerNearDistance;
}

void Quest::UpdateWorldEvents(float seconds)
{
    if (!PassesEventGate() || !gRandomSystem)
        return;
    if (!eventTimer.running) {
        eventTimer.minimum = definition->minEventTime;
        eventTimer.maximum = definition->maxEventTime;
        eventTimer.Restart(*gRandomSystem);
        return;
    }
    eventTimer.Update(seconds);
    if (!eventTimer.IsExpired())
        return;
    eventTimer.Restart(*gRandomSystem);
    if (definition->noEventsNearPlayer && target && IsPlayerNearTarget())
        return;
    for (int32_t event = 0; event < kWorldEventCount; ++event)
        if (RunWorldEvent(event))
            return;
    if (definition->endOnSuccess && success >= 1)
        EndEverywhere();
}

bool Quest::Rolls(float chance)
{
    return chance > 0.0f && Roll() < chance;
}

float Quest::ChanceOf(int32_t key) const
{
    return definition->eventChances[static_cast<size_t>(key)];
}

// Each event in its fixed order: true when it ended the quest (the rest are not tried).
bool Quest::RunWorldEvent(int32_t event)
{
    using namespace QuestType;
    using C = QuestEventChance::Value;
    switch (event) {
    case 0: return Rolls(ChanceOf(C::Uprising)) && EventUprising();
    case 1: return Rolls(ChanceOf(C::FormGroup)) && !HasMatchingRevenge() && EventFormGroup();
    case 2: return Rolls(ChanceOf(C::Spread)) && EventSpread();
    case 3: return Rolls(ChanceOf(C::Spawn)) && EventSpawn();
    case 4: return Rolls(ChanceOf(C::GateIn)) && hidden && EventGateIn();
    case 5: return Rolls(ChanceOf(C::GateOut)) && !hidden && target && EventGateOut();
    case 6:
        if (Rolls(ChanceOf(C::StealItem)) && !hidden && target && IsThiefTarget()) {
            ThiefStealsItems();
            ThiefDisappears();
        }
        return false;
    case 7: return Rolls(ChanceOf(C::ShowThief)) && hidden && ShowThief(true);
    case 8:
        if (Rolls(ChanceOf(C::ThiefLeave)) && IsThiefTarget() && success >= definition->minSuccess) {
            ThiefWins();
            return true;
        }
        return false;
    case 9:
        if (Rolls(ChanceOf(C::PoisonedSupply)))
            StartsChild(PoisonedSupply);
        return false;
    case 10:
        if (Rolls(ChanceOf(C::DeadlyPoison)))
            StartsChild(DeadlyPoison);
        return false;
    case 11:
        if (Rolls(ChanceOf(C::Petrify)))
            StartsChild(Petrify);
        return false;
    case 12:
        if (Rolls(ChanceOf(C::Plague)))
            StartsChild(Plague);
        return false;
    case 13: return Rolls(ChanceOf(C::TownAttack)) && level > definition->townAttackMinLevel && EventTownAttack();
    case 14: return Rolls(ChanceOf(C::Assassin)) && EventScoutChild(Assassin, "QuestEventAssassinScout");
    case 15: return Rolls(ChanceOf(C::Kidnap)) && EventScoutChild(Kidnapping, "QuestEventKidnapScout");
    case 16:
        if (Rolls(ChanceOf(C::Trap)) && StartsChild(TownTraps))
            success += 1;
        return false;
    case 17: return Rolls(ChanceOf(C::SiegeAttack)) && EventSiege();
    case 18:
        return Rolls(ChanceOf(C::GroupAttack)) && type == Renegade && host->HasOpenQuestOfType(RenegadeAttack) &&
               StartsChild(RenegadeAttack) && EndedHere();
    case 19: return EventEnd();
    case 20:
        if (Rolls(ChanceOf(C::MonsterQuest)))
            StartsChild(MonsterQuest);
        return false;
    case 21:
        if (Rolls(ChanceOf(C::DragIntoWar)))
            StartsChild(War);
        return false;
    case 22:
        if (Rolls(ChanceOf(C::SupplyChange)) && multiplier < definition->maxMult) {
            SetSupplyMultiplier(multiplier, multiplier + definition->multChange);
            SendNews(MakeLocToken("QuestEventSupplyChange", "$$%s$$", TitleListEntry().c_str()), kNewsKind);
        }
        return false;
    case 23: return Rolls(ChanceOf(C::Rescue)) && EventRescue();
    case 24:
        if (Rolls(ChanceOf(C::Death)) && IsEscortAdrift())
            target.GetAs<Entity>()->health = 0;
        return false;
    case 25: return Rolls(ChanceOf(C::NpcGatherSuccess)) && IsReturnNpcAlive() && EventGatherSuccess();
    case 26:
        if (Rolls(ChanceOf(C::NpcGatherFailure)))
            AnnounceGather("QuestEventGatherFailureLevelItem", "QuestEventGatherFailureMonsterItem",
                           host->RandomNpcName());
        return false;
    case 27: return Rolls(ChanceOf(C::NpcGatherRescue)) && success == 0 && EventGatherRescue();
    case 28: case 29: case 30:
        if (Rolls(ChanceOf(event == 28 ? C::GhostRevenge : event == 29 ? C::Revenge : C::GeneralRevenge))) {
            host->StartQuestOfType(event == 28 ? GhostRevenge : event == 29 ? Revenge : KillMonsters, this);
            success += 1;
        }
        return false;
    case 31: return Rolls(ChanceOf(C::Recruit)) && EventRecruitTurns();
    case 32:
        if (Rolls(ChanceOf(C::Projectile)))
            FireSiegeProjectiles();
        return false;
    default:
        return false;
    }
}

bool Quest::StartsChild(int32_t questType)
{
    return host->StartQuestOfType(questType, this) != nullptr;
}

bool Quest::EndedHere()
{
    EndEverywhere();
    return true;
}

bool Quest::IsThiefTarget() const
{
    auto* held = target.GetAs<Entity>();
    const MonsterType* heldType = held ? MonsterTypeOf(*held) : nullptr;
    return heldType && heldType->thief;
}

const MonsterType* Quest::MonsterTypeOf(const Entity& entity)
{
    const auto* actor = dynamic_cast<const Actor*>(&entity);
    return actor ? actor->GetMonsterType() : nullptr;
}

// ---- The events ---------------------------------------------------------------------------------------------

bool Quest::EventUprising()
{
    Quest* uprising = host->StartQuestOfType(QuestType::Uprising, this);
    if (!uprising || !uprising->GetTarget(0))
        return false;
    bool fromClearing = type == QuestType::ClearLevel;
    std::string first = fromClearing ? GetLocationText(false, false) : GoalText(0);
    SendNews(MakeLocToken(fromClearing ? "QuestEventUprisingClearLevel" : "QuestEventUprising", "%s %s %s",
                          first.c_str(), uprising->GoalText(0).c_str(),
                          uprising->GetLocationText(false, false).c_str()),
             kNewsKind);
    if (!fromClearing)
        success += 1;
    return false;
}

bool Quest::EventFormGroup()
{
    if (!StartsChild(QuestType::KillMonsterGroup))
        return false;
    target.Clear();
    return EndedHere();
}

bool Quest::EventSpread()
{
    QuestVictim victim = CarrierPick();
    auto* sick = victim.victim.GetAs<Entity>();
    if (!sick)
        return false;
    members.push_back(victim);
    std::string shown = host->GetEntityDisplayName(*sick);
    SendNews(MakeLocToken("QuestEventSpread", "%s", shown.c_str()), kNewsKind);
    if (definition->statusEffect)
        sick->AddStatusEffect(definition->statusEffect, sick, 1);
    return false;
}

bool Quest::EventSpawn()
{
    if (!target || spawnedCount >= definition->maxMonsters || !gSpawnSystem)
        return false;
    AddSpawnedMonster(gSpawnSystem->SpawnQuestMonster(GetTarget(0), level, spawnPosition));
    return false;
}

bool Quest::EventGateIn()
{
    ChooseGateInPosition();
    if (auto* held = target.GetAs<Entity>())
        Entity::WarpEntityNear(*held, spawnPosition);
    for (const SafePointer& member : spawned)
        if (auto* entity = member.GetAs<Entity>())
            Entity::WarpEntityNear(*entity, spawnPosition);
    hidden = false;
    return false;
}

bool Quest::EventGateOut()
{
    if (gGameServices && !definition->effectModelName.empty())
        gGameServices->SpawnModelEntity(definition->effectModelName, spawnPosition, kQuestEventsEffectSeconds);
    const WorldPos nowhere{-1, 0.0f, 0.0f};
    target.GetAs<Entity>()->SetPosition(nowhere);
    for (const SafePointer& member : spawned)
        if (auto* entity = member.GetAs<Entity>())
            entity->SetPosition(nowhere);
    SendNews("$$QuestEventGateOut$$", kNewsKind);
    hidden = true;
    return false;
}

bool Quest::EventTownAttack()
{
    using namespace QuestType;
    if (type == Renegade)
        return StartsChild(RenegadeAttack) && EndedHere();
    if (!StartsChild(TownAttack))
        return false;
    std::string goal = GoalText(0);
    switch (type) {
    case Uprising:
        SendNews(MakeLocToken("QuestEventTownAttackUprising", "%s %s", goal.c_str(),
                              GetLocationText(false, false).c_str()),
                 kNewsKind);
        break;
    case WarAgainstBarbarians: case StoryBemmelArmy: case StoryVarrowHorde: case StoryOskithArmy: {
        const char* key = type == WarAgainstBarbarians ? "QuestEventTownAttackWarAgainstBarbarians"
                          : type == StoryBemmelArmy    ? "QuestEventTownAttackBemmelArmy"
                          : type == StoryVarrowHorde   ? "QuestEventTownAttackVarrowHorde"
                                                       : "QuestEventTownAttackOskithArmy";
        SendNews(MakeLocToken(key, "%s", goal.c_str()), kNewsKind);
        break;
    }
    case TownAttack:
        SendNews("$$QuestEventTownAttackTownAttack$$", kNewsKind);
        break;
    case MonsterScout:
        SendNews("$$QuestEventTownAttackScout$$", kNewsKind);
        break;
    default:
        break;
    }
    success += 5;
    return false;
}

bool Quest::EventScoutChild(int32_t questType, const char* scoutKey)
{
    if (!StartsChild(questType))
        return false;
    if (type == QuestType::MonsterScout)
        SendNews(StringFormat("$$%s$$", scoutKey), kNewsKind);
    success += 5;
    return false;
}

bool Quest::EventSiege()
{
    using namespace QuestType;
    if (!StartsChild(Siege))
        return false;
    std::string goal = GoalText(0);
    if (type == Uprising)
        SendNews(MakeLocToken("QuestEventSiegeUprising", "%s %s", goal.c_str(), GetLocationText(false, false).c_str()),
                 kNewsKind);
    else if (type == StoryBemmelArmy || type == StoryOskithArmy)
        SendNews(MakeLocToken(type == StoryBemmelArmy ? "QuestEventSiegeBemmelArmy" : "QuestEventSiegeOskithArmy",
                              "%s", goal.c_str()),
                 kNewsKind);
    return false;
}

bool Quest::EventEnd()
{
    if (!Rolls(definition->endChance))
        return false;
    if (definition->dontEndNearPlayer && target && IsPlayerNearTarget())
        return false;
    if (type == QuestType::War && goals.size() >= 2 && goals[0].target && goals[1].target) {
        if (gFactionSystem)
            gFactionSystem->MakePeace(gFactionSystem->GetFactionIndex(goals[0].target->GetFactionName()),
                                      gFactionSystem->GetFactionIndex(goals[1].target->GetFactionName()));
        SendNews(MakeLocToken("QuestEventEndWar", "$$%s$$ $$%s$$", goals[0].target->name.c_str(),
                              goals[1].target->name.c_str()),
                 kNewsKind);
    }
    return EndedHere();
}

bool Quest::IsEscortAdrift() const
{
    auto* escorted = target.GetAs<Actor>();
    if (type != QuestType::Escort || !escorted || escorted->following || !gGameServices)
        return false;
    Sentient* nearest = gGameServices->FindNearestPlayer(escorted->position);
    return nearest && EntityDistance2D(nearest, escorted, false) > definition->playerNearDistance;
}

bool Quest::EventRescue()
{
    if (type == QuestType::Escort) {
        if (!IsEscortAdrift())
            return false;
        SendQuestMessage("QuestEventRescueEscort", GetNpcText(), kNewsKind);
        if (!StartsChild(QuestType::RescueNpc))
            return false;
        target.Clear();
        return EndedHere();
    }
    if (StartsChild(QuestType::RescueNpc))
        SendQuestMessage("QuestEventRescue", GetLocationText(false, false), kNewsKind);
    return false;
}

void Quest::AnnounceGather(const char* levelKey, const char* monsterKey, const std::string& name)
{
    using namespace QuestType;
    if (IsOfType({LevelQuestItem, ArmorsmithLevelQuestItem, WeaponsmithLevelQuestItem}))
        SendNews(MakeLocToken(levelKey, "%s %s", name.c_str(), GetTargetName(2).c_str()), kNewsKind);
    else if (IsOfType({MonsterQuestItem, ArmorsmithMonsterQuestItem, WeaponsmithMonsterQuestItem}))
        SendNews(MakeLocToken(monsterKey, "%s %s %s", name.c_str(), GetTarget(0) ? GetTarget(0)->name.c_str() : "",
                              GetTargetName(1).c_str()),
                 kNewsKind);
}

bool Quest::EventGatherSuccess()
{
    AnnounceGather("QuestEventGatherSuccessLevelItem", "QuestEventGatherSuccessMonsterItem",
                   host->RandomNpcName());
    return EndedHere();
}

bool Quest::EventGatherRescue()
{
    Quest* rescue = host->StartQuestOfType(QuestType::RescueNpc, this);
    if (!rescue)
        return false;
    AnnounceGather("QuestEventGatherRescueLevelItem", "QuestEventGatherRescueMonsterItem", rescue->GetNpcText());
    success -= 1;
    return false;
}

bool Quest::EventRecruitTurns()
{
    Quest* recruitQuest = host->FindFirstRecruitQuest();
    auto* recruit = recruitQuest && !recruitQuest->failed ? recruitQuest->target.GetAs<Actor>() : nullptr;
    if (!recruit || !host->StartQuestOfType(QuestType::Renegade, recruitQuest))
        return false;
    SendNews(MakeLocToken("QuestEventRecruitRenegade", "%s %s", GetNpcText().c_str(), recruit->GetName().c_str()),
             kNewsKind);
    recruitQuest->RemoveTargets();
    recruitQuest->EndEverywhere();
    return false;
}

// ---- The plague -----------------------------------------------------------------------------------------------

bool Quest::IsVictim(const Entity* entity) const
{
    return std::any_of(members.begin(), members.end(),
                       [entity](const QuestVictim& victim) { return victim.victim.Get() == entity; });
}

QuestVictim Quest::CarrierPick() const
{
    std::vector<QuestVictim> candidates;
    auto offer = [this, &candidates](Entity* entity, int32_t covenant, int32_t index) {
        if (entity && QuestEventsIsAlive(entity) && !IsVictim(entity)) {
            QuestVictim victim;
            victim.victim.Set(entity);
            victim.covenantIndex = covenant;
            victim.memberIndex = index;
            candidates.push_back(victim);
        }
    };
    for (int32_t i = 0; i < host->CountTownNpcs(); ++i)
        offer(host->GetTownNpc(i), -1, i);
    for (int32_t c = 0; c < host->GetCovenantCount(); ++c)
        if (Covenant* covenant = host->GetCovenant(c))
            for (int32_t m = 0; m < covenant->GetRecruitSlots(); ++m)
                offer(covenant->GetRecruitActor(m), c, m);
    if (Player* first = host->GetFirstPlayer())
        offer(first, first->covenantIndex, -1);
    if (candidates.empty())
        return QuestVictim{};
    return candidates[static_cast<size_t>(DrawIndex(static_cast<int32_t>(candidates.size())))];
}

void Quest::ResolveSpreadVictims()
{
    Player* first = host ? host->GetFirstPlayer() : nullptr;
    if (!first)
        return;
    for (QuestVictim& victim : members) {
        Entity* found = nullptr;
        if (victim.covenantIndex == -1)
            found = host->GetTownNpc(victim.memberIndex);
        else if (victim.memberIndex == -1)
            found = first;
        else if (Covenant* covenant = host->GetCovenant(victim.covenantIndex))
            found = victim.memberIndex < covenant->GetRecruitSlots() ? covenant->GetRecruitActor(victim.memberIndex)
                                                                     : nullptr;
        victim.victim.Set(found);
        if (found && type == QuestType::Plague && definition->statusEffect)
            found->AddStatusEffect(definition->statusEffect, found, 1);
    }
    eventFlag = false;
}

// ---- Gate-in, group, revenge, return NPC ------------------------------------------------------------------------

void Quest::ChooseGateInPosition()
{
    const MonsterType* subject = GetTarget(0);
    const char* subjectName = subject ? subject->name.c_str() : "";
    std::string covenantText;
    WorldPos home;
    // The house form needs a living covenant; without one the group comes to the town centre.
    if (Roll() >= definition->attackTownCenterChance && host->PickCovenantHome(home, covenantText)) {
        spawnPosition = home;
        SendNews(MakeLocToken("QuestTownAttackHouse", "%s %s", subjectName, covenantText.c_str()), kNewsKind);
        return;
    }
    WorldPos centre = host->GetTownCenter();
    float reach = definition->maxDistance;
    spawnPosition.level = 0;
    spawnPosition.x = centre.x + (Roll() * 2.0f - 1.0f) * reach;
    spawnPosition.y = centre.y + (Roll() * 2.0f - 1.0f) * reach;
    spawnPosition.Normalize();
    SendNews(MakeLocToken("QuestTownAttackCenter", "%s", subjectName), kNewsKind);
}

void Quest::AddSpawnedMonster(Actor* monster)
{
    if (!monster)
        return;
    monster->questFigure = true;
    monster->questFlag2 = false;
    AddGroupMember(monster);
}

void Quest::AddGroupMember(Entity* member)
{
    if (!member)
        return;
    ++spawnedCount;
    for (SafePointer& entry : spawned) {
        if (!entry) {
            entry.Set(member);
            return;
        }
    }
    spawned.emplace_back(member);
}

bool Quest::HasMatchingRevenge() const
{
    return host && host->HasMatchingRevenge(*this);
}

bool Quest::IsReturnNpcAlive() const
{
    Entity* npc = host ? host->GetTownNpcOfType(definition->returnNpcType) : nullptr;
    return npc && npc->maxHealth > 0 && npc->health > 0;
}

// ---- Supplies ----------------------------------------------------------------------------------------------------

void Quest::SetSupplyMultiplier(float oldValue, float newValue)
{
    if (!host)
        return;
    std::string supply = TitleListEntry();
    bool food = supply.find("Food") != std::string::npos || supply.find("food") != std::string::npos;
    float& value = host->SupplyTradeValue(food);
    // Mended: a broken game value or old multiplier would spread NaN or infinity to every price.
    if (!std::isfinite(value) || value <= 0.0f || !std::isfinite(oldValue) || oldValue <= 0.0f)
        value = 1.0f;
    else
        value /= oldValue;
    multiplier = definition->maxMult > 0.0f ? std::min(newValue, definition->maxMult) : newValue;
    value *= multiplier;
}

// ---- The siege ------------------------------------------------------------------------------------------------------

void Quest::FireSiegeProjectiles()
{
    for (const SafePointer& member : spawned) {
        auto* attacker = member.GetAs<Actor>();
        if (!attacker)
            continue;
        WorldPos aim{-1, 0.0f, 0.0f};
        Level* first = gWorld && gWorld->GetLevelCount() > 0 ? gWorld->GetLevel(0) : nullptr;
        if (first && gGameData) {
            const GameSystemTuning& tuning = gGameData->GetTuning();
            int32_t blocks = std::max(1, tuning.blocksPerRow * tuning.blocksPerColumn);
            int32_t block = DrawIndex(blocks);
            aim = LevelQueries::RandomPointInBlock(*first, block % std::max(1, tuning.blocksPerRow),
                                                   block / std::max(1, tuning.blocksPerRow));
        }
        // Mended: the volley multiplies a copy, so the attacker's own damage stays as it was.
        StatPairList damage = attacker->GetDamageList();
        damage.Multiply(definition->damageMult);
        ProjectileLaunch launch;
        launch.damage = &damage;
        launch.source = attacker;
        launch.startPosition = attacker->position;
        launch.targetPosition = aim;
        // The shot's speed (300) is the "ProjSiege" record's own.
        Entity::FireProjectile(kQuestEventsSiegeProjectile, launch);
    }
}
