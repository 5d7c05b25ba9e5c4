// Quest -- kill handling: what a death in the world does to each kind, the kill counting of a carrier's "SuccessfulKill" and a meeting's bookkeeping.
#include "server/quests/Quest.h"

#include "core/Event.h"
#include "core/LocSystem.h"
#include "core/StringUtil.h"
#include "entities/Actor.h"
#include "entities/Player.h"
#include "rules/RulesEnums.h"
#include "rules/monsters/MonsterType.h"
#include "rules/quests/QuestDefinition.h"
#include "server/quests/QuestHost.h"

#include <string_view>

namespace {

constexpr std::string_view kQuestKillsEventName = "SuccessfulKill";

const MonsterType* QuestKillsTypeOf(const Entity& entity)
{
    const auto* actor = dynamic_cast<const Actor*>(&entity);
    return actor ? actor->GetMonsterType() : nullptr;
}

// The dialog line built from a text the town NPCs repeat as it is.
void QuestKillsChat(QuestHost* host, int32_t dialogType, const std::string& text)
{
    if (host)
        host->AddDynamicNpcChat(dialogType, text.empty() ? std::string() : "$$" + text + "$$", 0);
}

} // namespace

void Quest::OnEntityKilled(Entity& victim, Entity* killer)
{
    if (IsComplete() || failed || linkedCopy)
        return;
    using namespace QuestType;
    Entity* held = target.GetAs<Entity>();
    bool isTarget = held == &victim;
    if (definition && definition->boss) {
        if (isTarget && !OnKilledByOtherCovenant(killer)) {
            SetComplete();
            QuestKillsChat(host, ChatDialogType::BossKilled, GoalText(0));
        }
        return;
    }
    switch (type) {
    case UniqueMonsterSpotted: case Assassin: case MonsterScout: case StoryKillBemmelScout:
    case StoryKillQuorrinPartner: case StoryKillVarrowGuard: case StoryKillOskithMage:
        if (isTarget)
            KillSingleTarget(killer);
        return;
    case Renegade: case RenegadeAttack:
        if (isTarget && !OnKilledByOtherCovenant(killer)) {
            SendQuestMessage("QuestKilledRenegade", GetNpcText(), kNewsKind);
            QuestKillsChat(host, ChatDialogType::RenegadeKilled, GetNpcText());
            CompleteEverywhere();
        }
        return;
    case GhostRevenge: case Revenge:
        KillInRevenge(victim, killer, isTarget);
        return;
    case KillMonsterGroup: case StoryQuorrinPellDallet: case Meeting:
        KillGroupMember(victim);
        return;
    case TownAttack:
        KillTownAttacker(victim, isTarget);
        return;
    case Thief:
        if (isTarget && !OnKilledByOtherCovenant(killer)) {
            SendNews("$$QuestKilledThief$$", kNewsKind);
            QuestKillsChat(host, ChatDialogType::ThiefKilled, "");
            CompleteEverywhere();
        }
        return;
    case Siege:
        if (RemoveFromSpawnedList(&victim)) {
            StepProgress();
            host->RefreshPlayerQuests();
        }
        return;
    default:
        break;
    }
    bool npcDeath = IsRescueTarget(&victim) || IsDeliveryTarget(&victim) || IsEscortTarget(&victim) ||
                    (isTarget && IsOfType({MonsterQuest, DeadlyPoison, Kidnapping, QuestType::Recruit,
                                           WanderingVendor, Petrify}));
    if (npcDeath)
        KillQuestNpc(victim, killer);
}

void Quest::KillSingleTarget(Entity* killer)
{
    if (OnKilledByOtherCovenant(killer))
        return;
    if (type == QuestType::UniqueMonsterSpotted)
        QuestKillsChat(host, ChatDialogType::UniqueMonster, GoalText(0));
    else if (type == QuestType::Assassin)
        QuestKillsChat(host, ChatDialogType::AssassinKilled, GoalText(0));
    SendQuestMessage("QuestKilledMonster", GoalText(0), kNewsKind);
    target.Clear();
    CompleteEverywhere();
}

void Quest::KillInRevenge(Entity& victim, Entity* killer, bool isTarget)
{
    const MonsterType* victimType = QuestKillsTypeOf(victim);
    if (victimType && victimType == QuestBase::target) {
        if (OnKilledByOtherCovenant(killer))
            return;
        CompleteEverywhere();
        if (host && !linkedCopy)
            host->RemoveQuestIfUnheld(questId);
        return;
    }
    if (!isTarget)
        return;
    auto* avenger = dynamic_cast<Actor*>(&victim);
    SendQuestMessage("QuestKilledRevenge", avenger ? avenger->GetName() : GetNpcText(), kNewsKind);
    EndEverywhere();
}

void Quest::KillGroupMember(Entity& victim)
{
    const MonsterType* victimType = QuestKillsTypeOf(victim);
    if (!victimType)
        return;
    bool counted = false;
    for (size_t i = 0; i < goals.size(); ++i) {
        QuestGoal& goal = goals[i];
        if (goal.target != victimType || goal.progress != 0)
            continue;
        goal.progress = 1;
        counted = true;
        SendQuestMessage("QuestKilledMonster", GoalText(static_cast<int32_t>(i)), kNewsKind);
    }
    if (type == QuestType::Meeting)
        CheckMeetingFailed();
    if (counted && IsComplete())
        CompleteEverywhere();
}

void Quest::KillTownAttacker(Entity& victim, bool isTarget)
{
    if (isTarget)
        target.Clear();
    else
        RemoveFromSpawnedList(&victim);
    if (target || spawnedCount > 0)
        return;
    SendNews("$$QuestSuccessTownAttack$$", kNewsKind);
    QuestKillsChat(host, ChatDialogType::TownAttackRepelled, GetTarget(0) ? GetTarget(0)->name : std::string());
    ended = true;
    if (host)
        host->DeleteQuest(*this);
}

void Quest::KillQuestNpc(Entity& victim, Entity*)
{
    using namespace QuestType;
    if (definition->eventChances[QuestEventChance::GhostRevenge] > 0.0f &&
        Roll() < definition->eventChances[QuestEventChance::GhostRevenge])
        host->StartQuestOfType(GhostRevenge, this);
    if (definition->eventChances[QuestEventChance::Revenge] > 0.0f &&
        Roll() < definition->eventChances[QuestEventChance::Revenge])
        host->StartQuestOfType(Revenge, this);
    SetFailed();
    const std::string& npcText = GetNpcText();
    auto* actor = dynamic_cast<Actor*>(&victim);
    switch (type) {
    case RescueNpc:
        SendQuestMessage("QuestKilledRescueNpc", npcText, kNewsKind);
        QuestKillsChat(host, ChatDialogType::RescueNpcDied, npcText);
        break;
    case Delivery:
        SendQuestMessage("QuestKilledDelivery", npcText, kNewsKind);
        QuestKillsChat(host, ChatDialogType::DeliveryNpcDied, npcText);
        break;
    case Escort:
        SendQuestMessage("QuestKilledEscort", npcText, kNewsKind);
        QuestKillsChat(host, ChatDialogType::EscortNpcDied, npcText + " " + GetLocationText(false, false));
        break;
    case DeadlyPoison:
        SendQuestMessage("QuestKilledDeadlyPoison", npcText, kNewsKind);
        break;
    case Petrify:
        SendQuestMessage("QuestKilledPetrify", npcText, kNewsKind);
        break;
    case Kidnapping:
        SendNews(MakeLocToken("QuestKilledKidnapping", "%s $$NpcType%s$$", npcText.c_str(),
                              GetNameByIndex(victim.GetNpcType()).c_str()),
                 kNewsKind);
        host->AnnounceDeath(victim);
        break;
    case QuestType::Recruit:
        SendQuestMessage("QuestKilledRecruit", actor ? actor->GetName() : std::string(), kNewsKind);
        break;
    default:
        break;
    }
    EndForPlayersAndDrop();
}

void Quest::OnSuccessfulKill(Event* event)
{
    if (level == -1 || IsComplete() || failed || !event || event->name != kQuestKillsEventName)
        return;
    event->params.SetReadPos(0);
    auto* victim = dynamic_cast<Actor*>(static_cast<Entity*>(event->ReadEntity()));
    event->params.SetReadPos(0);
    if (victim && victim->GetMonsterType())
        QuestBase::OnKill(victim->GetMonsterType(), victim->position.level);
}

void Quest::OnMeetingKill(Entity& victim, Entity* killer)
{
    const MonsterType* victimType = QuestKillsTypeOf(victim);
    if (type != QuestType::Meeting || !IsOpen() || !victimType || !dynamic_cast<Player*>(killer))
        return;
    for (const QuestGoal& goal : goals)
        if (goal.target == victimType)
            met = true;
}
