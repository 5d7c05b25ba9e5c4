// Player -- the six quest slots: finding, accepting, abandoning, handing in, talk-to quests, and the events and steps the quests see first.
#include "entities/Player.h"

#include "entities/Actor.h"
#include "entities/EntityCovenant.h"
#include "entities/EntityQuest.h"
#include "entities/GameServices.h"
#include "rules/quests/QuestDefinition.h"

namespace {

constexpr int32_t kPlayerQuestRefusalKind = 4;

} // namespace

EntityQuest* Player::GetQuestSlot(int32_t slot) const
{
    return slot >= 0 && slot < kQuestSlotCount ? questSlots[static_cast<size_t>(slot)].get() : nullptr;
}

int32_t Player::FindFreeQuestSlot() const
{
    for (int32_t slot = 0; slot < kQuestSlotCount; ++slot)
        if (const EntityQuest* quest = GetQuestSlot(slot); quest && quest->IsEmpty())
            return slot;
    return -1;
}

int32_t Player::CountActiveQuests() const
{
    int32_t count = 0;
    for (const auto& quest : questSlots)
        if (quest && !quest->IsEmpty())
            ++count;
    return count;
}

int32_t Player::FindQuestSlot(int32_t questNumber) const
{
    for (int32_t slot = 0; slot < kQuestSlotCount; ++slot)
        if (const EntityQuest* quest = GetQuestSlot(slot); quest && !quest->IsEmpty() && quest->questId == questNumber)
            return slot;
    return -1;
}

bool Player::HasQuest(int32_t questNumber) const
{
    return FindQuestSlot(questNumber) != -1;
}

bool Player::IsQuestComplete(int32_t questNumber) const
{
    const EntityQuest* quest = GetQuestSlot(FindQuestSlot(questNumber));
    return quest && quest->IsComplete();
}

int32_t Player::FindCompletedQuestFor(const Entity& npc) const
{
    for (int32_t slot = 0; slot < kQuestSlotCount; ++slot) {
        const EntityQuest* quest = GetQuestSlot(slot);
        if (!quest || quest->IsEmpty() || !quest->IsComplete())
            continue;
        bool aboutNpc = quest->type == EntityQuest::kEntityTargetType && quest->GetTargetEntity() == &npc;
        if (aboutNpc || quest->IsFor(npc))
            return slot;
    }
    return -1;
}

EntityQuest* Player::AcceptQuest(int32_t questNumber)
{
    const QuestBase* offered = gGameServices ? gGameServices->GetGameQuest(questNumber) : nullptr;
    if (!offered || HasQuest(questNumber))
        return nullptr;
    EntityQuest* quest = GetQuestSlot(FindFreeQuestSlot());
    if (!quest) {
        SendMessage("$$FullQuestSlots$$", kPlayerQuestRefusalKind);
        return nullptr;
    }
    quest->CopyFrom(offered);
    quest->questId = questNumber;
    quest->turnedIn = false;
    gGameServices->OnQuestAccepted(questNumber, *this);
    return quest;
}

void Player::AbandonQuest(int32_t questNumber)
{
    if (EntityQuest* quest = GetQuestSlot(FindQuestSlot(questNumber)))
        quest->Reset();
    if (gGameServices)
        gGameServices->RefreshQuestsOf(*this);
}

void Player::CompleteQuest(int32_t questNumber)
{
    auto* npc = dynamic_cast<Actor*>(GetInteractionTarget());
    int32_t slot = -1;
    if (questNumber < 0)
        slot = npc ? FindCompletedQuestFor(*npc) : -1;
    else
        slot = FindQuestSlot(questNumber);
    EntityQuest* quest = GetQuestSlot(slot);
    if (!quest || quest->turnedIn)
        return;
    if (quest->type == EntityQuest::kRecruitType && !TakeOnQuestRecruit(*quest, npc))
        return;
    int32_t number = quest->questId;
    quest->PayReward(*this);
    if (gGameServices)
        gGameServices->OnQuestTurnedIn(number, *this);
    statistics.Add(PlayerStatistic::QuestsCompleted, 1);
    quest->Reset();
}

// A recruit the player took on already ("recruit") leaves only the hand-in to do.
bool Player::TakeOnQuestRecruit(const EntityQuest& quest, Sentient* npc)
{
    EntityCovenant* covenant = GetCovenant();
    if (!covenant)
        return false;
    const Entity* recruit = quest.GetTargetEntity();
    if (recruit && recruit->covenantIndex == covenantIndex)
        return true;
    if (GetCharacterFlag(CharacterFlag::kLoner)) {
        SendMessage("$$LonerChallengeWarning$$", kPlayerQuestRefusalKind);
        return false;
    }
    if (!npc || !covenant->HasRoomForRecruit()) {
        SendMessage("$$AlreadyHaveMaxCovenantRecruits$$", kPlayerQuestRefusalKind);
        return false;
    }
    AddRecruit(npc, CountCompanions() < GetPartyLimit() - 1);
    return true;
}

void Player::TurnInQuest(int32_t questIndex, bool byPlayer)
{
    // A client's negative number would turn in whatever the NPC talked to takes back, past the
    // dialog that offers it.
    if (byPlayer && questIndex < 0)
        return;
    CompleteQuest(questIndex);
}

void Player::Escort(Entity& npc)
{
    for (const auto& quest : questSlots) {
        if (quest && !quest->IsEmpty() && quest->type == EntityQuest::kTalkType && !quest->IsComplete() &&
            !quest->turnedIn && quest->GetTargetEntity() == &npc) {
            quest->TalkStep(*this, npc);
            return;
        }
    }
    if (!HasFreeQuestSlot()) {
        SendMessage("$$NoFreeQuestSlots$$", kPlayerQuestRefusalKind);
        return;
    }
    int32_t number = gGameServices ? gGameServices->FindTalkQuestFor(npc) : -1;
    if (EntityQuest* quest = number >= 0 ? AcceptQuest(number) : nullptr)
        quest->TalkStep(*this, npc);
}

void Player::Rescue(Entity& npc)
{
    if (gGameServices)
        gGameServices->OfferRescueToQuests(npc);
}

void Player::ReceiveEvent(Event& event, bool queue)
{
    for (const auto& quest : questSlots)
        if (quest)
            quest->SeeEvent(*this, event);
    Sentient::ReceiveEvent(event, queue);
}

// A quest handed in and left empty or complete has nothing more to follow.
void Player::AdvanceQuests(float seconds)
{
    for (const auto& quest : questSlots)
        if (quest && !(quest->turnedIn && (quest->IsEmpty() || quest->IsComplete())))
            quest->Advance(*this, seconds);
}

void Player::ResetRecruitQuests()
{
    for (const auto& quest : questSlots)
        if (quest && quest->definition && quest->type == EntityQuest::kRecruitType)
            quest->Reset();
}
