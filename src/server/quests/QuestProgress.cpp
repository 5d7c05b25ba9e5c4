// Quest -- progress and expiry: the per-player step of each kind, rescue, delivery, escort, and what a quest whose time ran out leaves behind.
#include "server/quests/Quest.h"

#include "core/DatabaseEntry.h"
#include "core/StringUtil.h"
#include "entities/Actor.h"
#include "entities/GameServices.h"
#include "entities/Player.h"
#include "entities/Stash.h"
#include "rules/RulesEnums.h"
#include "rules/quests/QuestDefinition.h"
#include "server/quests/QuestHost.h"

namespace {

constexpr float kQuestProgressEscortReach = 400.0f;
constexpr float kQuestProgressRescueFadeSeconds = 5.0f;
constexpr uint32_t kQuestProgressSafeFilter = 4 | 64;
// The house tour's interaction modes and its goals, in the order its text lists them: the gate
// (its world map), the lifestone (used), a pedestal, the player's stash, the bookshelf and the
// covenant's stash. Mended: five modes stood for six goals in another order, so the covenant's
// stash was never counted, the tour never ended and the tutorial with it, and the "done" marks
// fell on other lines than the ones seen.
constexpr int32_t kQuestProgressGateMode = 14;
constexpr int32_t kQuestProgressOwnObjectMode = 19;
constexpr int32_t kQuestProgressPedestalMode = 16;
constexpr int32_t kQuestProgressStashMode = 10;
constexpr int32_t kQuestProgressBookshelfMode = 11;
enum QuestProgressHouseGoal : int32_t {
    kQuestProgressHouseGate,
    kQuestProgressHouseLifestone,
    kQuestProgressHousePedestal,
    kQuestProgressHouseStash,
    kQuestProgressHouseBookshelf,
    kQuestProgressHouseCovenantStash,
};
constexpr int32_t kQuestProgressWeaponSlot = 14;

// A goal past the list is ignored.
void QuestProgressReachGoal(std::vector<QuestGoal>& goals, int32_t index)
{
    if (index >= 0 && static_cast<size_t>(index) < goals.size())
        goals[static_cast<size_t>(index)].progress = goals[static_cast<size_t>(index)].required;
}

} // namespace

void Quest::UpdateWithPlayer(Player* player, float seconds)
{
    if (level == -1 || IsComplete() || failed)
        return;
    if (eventFlag) {
        ResolveSpreadVictims();
        return;
    }
    UpdateWorldEvents(seconds);
    // The events may have ended the quest and the game may have deleted a world quest with it.
    if (ended || failed)
        return;
    if (!StepKind(player))
        return;
    if (linkedCopy || !IsLate())
        return;
    ExpireLate();
}

bool Quest::StepKind(Player* player)
{
    using namespace QuestType;
    switch (type) {
    case ScoutLocation:
        if (player) {
            if (targetLevel == -1)
                AssignTargetLevels();
            if (player->position.level == targetLevel)
                StepProgress();
        }
        return true;
    case Escort:
        StepEscort();
        return true;
    case TutorialEquipWeapon:
        if (player && player->GetItem(InventoryGroupIndex::Equipment, kQuestProgressWeaponSlot))
            StepProgress();
        return true;
    case TutorialInvestigateHouse:
        if (player)
            StepHouseTour(*player);
        return true;
    case TutorialTalkToQuestGivers: case TutorialTalkToVendors:
        if (player)
            StepTalkTour(*player);
        return true;
    case Meeting:
        if (met && !IsMeetingWatched()) {
            ResolveMeeting();
            return false;
        }
        return true;
    case TutorialGetQuest:
        if (player && player->CountActiveQuests() > 1)
            StepProgress();
        return true;
    default:
        return true;
    }
}

void Quest::StepProgress()
{
    if (progress < count)
        ++progress;
}

void Quest::StepEscort()
{
    Entity* escorted = GetWorldTarget();
    if (!escorted)
        return;
    if (targetLevel == -1)
        AssignTargetLevels();
    if (escorted->position.level != destLevel)
        return;
    CompleteEverywhere();
    RemoveTargets();
}

void Quest::StepHouseTour(const Player& player)
{
    const Entity* used = player.GetInteractionTarget();
    bool own = used && used->covenantIndex == player.covenantIndex;
    const auto* stash = dynamic_cast<const Stash*>(used);
    switch (player.interactionMode) {
    case kQuestProgressGateMode: QuestProgressReachGoal(goals, kQuestProgressHouseGate); break;
    case kQuestProgressOwnObjectMode:
        if (own)
            QuestProgressReachGoal(goals, kQuestProgressHouseLifestone);
        break;
    case kQuestProgressPedestalMode: QuestProgressReachGoal(goals, kQuestProgressHousePedestal); break;
    case kQuestProgressStashMode:
        // Either stash of the player's own house: its own bags, or its covenant's.
        if (stash && own)
            QuestProgressReachGoal(goals, stash->IsPlayerStash() ? kQuestProgressHouseStash
                                                                 : kQuestProgressHouseCovenantStash);
        break;
    case kQuestProgressBookshelfMode: QuestProgressReachGoal(goals, kQuestProgressHouseBookshelf); break;
    default: break;
    }
}

// Quest givers are NPC types 1-3 and count as goals 0-2; vendors are types 6-10 and goals 0-4.
void Quest::StepTalkTour(const Player& player)
{
    bool givers = type == QuestType::TutorialTalkToQuestGivers;
    int32_t mode = player.interactionMode;
    if (givers ? (mode != 24 && mode != 25) : mode != 22)
        return;
    auto* npc = dynamic_cast<Actor*>(player.GetInteractionTarget());
    if (!npc)
        return;
    int32_t npcType = npc->GetNpcType();
    if (givers && npcType >= NpcType::Warmaster && npcType <= NpcType::Steward)
        QuestProgressReachGoal(goals, npcType - 1);
    else if (!givers && npcType >= NpcType::VendorBasic && npcType <= NpcType::Gambler)
        QuestProgressReachGoal(goals, npcType - NpcType::VendorBasic);
}

bool Quest::IsMeetingWatched() const
{
    float reach = definition->playerNearDistance;
    for (const SafePointer* pointer : {&target, &secondEntity}) {
        auto* figure = pointer->GetAs<Entity>();
        Sentient* nearest = figure && gGameServices ? gGameServices->FindNearestPlayer(figure->position) : nullptr;
        if (nearest && EntityDistance2D(nearest, figure, false) <= reach)
            return true;
    }
    return false;
}

void Quest::ExpireLate()
{
    SetFailed();
    if (auto* held = target.GetAs<Entity>()) {
        if (type == QuestType::Recruit) {
            auto* recruit = dynamic_cast<Actor*>(held);
            SendQuestMessage("QuestRecruitLate", recruit ? recruit->GetName() : std::string(), kNewsKind);
        } else if (type == QuestType::DeadlyPoison) {
            SendQuestMessage("QuestDeadlyPoisonLate", GetNpcText(), kNewsKind);
        }
        RemoveTargets();
    }
    EndForPlayersAndDrop();
}

// ---- Ending and completing everywhere ---------------------------------------------------------------

void Quest::EndEverywhere()
{
    SetFailed();
    EndForPlayersAndDrop();
}

void Quest::EndForPlayersAndDrop()
{
    if (linkedCopy || !host)
        return;
    ended = true;
    int32_t number = questId;
    host->EndQuestForPlayers(number);
    host->RemoveQuestIfUnheld(number);
}

void Quest::CompleteEverywhere()
{
    SetComplete();
    if (host && !linkedCopy)
        host->CompletePlayerQuests(questId);
}

// ---- Rescue, delivery, escort -------------------------------------------------------------------------

void Quest::Rescue(Entity* npc, bool unlock)
{
    if (!npc || !IsRescueTarget(npc) || !host || !gGameServices)
        return;
    std::vector<Entity*> near;
    gGameServices->FindEntitiesInRadius(npc->position, npc, definition->safeRange, kQuestProgressSafeFilter, near,
                                        false);
    if (!near.empty()) {
        SendQuestMessage("QuestResceNotSafe", "", 4);
        return;
    }
    CompleteEverywhere();
    if (definition->unlockClass && unlock && npc->GetEntry())
        gGameServices->AddUnlock(npc->GetEntry()->GetName());
    auto* actor = dynamic_cast<Actor*>(npc);
    std::string subject = "$$" + GetNpcText() + "$$";
    if (type == QuestType::Kidnapping && actor) {
        actor->SetPosition(actor->homePosition);
        actor->kidnapped = false;
        actor->questFigure = false;
        actor->questFlag4 = false;
        host->AddDynamicNpcChat(ChatDialogType::RescuedMe, subject, 0);
        return;
    }
    host->AddDynamicNpcChat(ChatDialogType::RescuedNpc, subject, 0);
    npc->FadeOutAndDelete(kQuestProgressRescueFadeSeconds);
}

bool Quest::Deliver(Player& player, Entity& npc)
{
    if (type != QuestType::Delivery || !IsOpen() || GetWorldTarget() != &npc || !player.HasQuest(questId))
        return false;
    RemoveTargets();
    CompleteEverywhere();
    return true;
}

void Quest::JoinEscort(Player* player, Entity& npc)
{
    auto* escorted = dynamic_cast<Actor*>(&npc);
    if (type != QuestType::Escort || !IsOpen() || !player || !escorted || GetWorldTarget() != &npc ||
        !player->HasQuest(questId))
        return;
    escorted->SetLeader(player);
    escorted->following = true;
}

void Quest::TalkStep(Player& carrier, Entity& npc)
{
    Quest* world = linkedCopy && host ? host->GetWorldQuest(questId) : this;
    if (world)
        world->JoinEscort(&carrier, npc);
}

void Quest::KeepEscortNear(Player& player, const WorldPos& from)
{
    auto* escorted = target.GetAs<Entity>();
    if (type != QuestType::Escort || !escorted || !player.HasQuest(questId))
        return;
    if (escorted->position.Distance2D(from) <= kQuestProgressEscortReach)
        Entity::WarpEntityNear(*escorted, player.position);
}
