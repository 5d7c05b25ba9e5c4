// ClientUiGameView -- the player's quests as the quest window and the NPC talk screen read them: slot titles and texts, the quests an NPC offers, and the last line an NPC said.
#include "ui/ClientUiGameView.h"

#include "client/ClientApp.h"
#include "client/EntityClient.h"
#include "client/GameClient.h"
#include "client/PlayerClient.h"
#include "client/QuestClient.h"
#include "core/EngineEnums.h"
#include "rules/quests/QuestDefinition.h"

#include <algorithm>

namespace {

PlayerClient* QuestViewPlayer()
{
    return gClientApp && gGameClient ? gClientApp->GetLocalPlayer() : nullptr;
}

QuestClient* QuestViewSlot(int32_t slot)
{
    PlayerClient* player = QuestViewPlayer();
    return player ? player->GetQuestSlot(slot) : nullptr;
}

QuestClient* QuestViewWorldQuest(int32_t number)
{
    if (!gGameClient || number < 0 || number >= gGameClient->GetQuestCount())
        return nullptr;
    QuestClient* quest = gGameClient->GetQuests()[static_cast<size_t>(number)].get();
    return quest && quest->level != -1 ? quest : nullptr;
}

std::string QuestViewBody(QuestClient& quest, PlayerClient& player)
{
    return quest.BuildText(player.GetStat(CharacterStat::Level), gGameClient->clock, player.GetCharacterName());
}

} // namespace

int32_t ClientUiGameView::GetSelectedEntityNumber() const
{
    PlayerClient* player = QuestViewPlayer();
    const EntityClient* target = player ? player->GetInteractionTarget() : nullptr;
    return target ? target->entityNumber : -1;
}

bool ClientUiGameView::IsQuestSlotFilled(int32_t slot) const
{
    return QuestViewSlot(slot) != nullptr;
}

bool ClientUiGameView::IsQuestSlotComplete(int32_t slot) const
{
    const QuestClient* quest = QuestViewSlot(slot);
    return quest && quest->IsComplete();
}

bool ClientUiGameView::HoldsQuest(int32_t questNumber) const
{
    for (int32_t slot = 0; slot < PlayerClient::kQuestSlots; ++slot)
        if (const QuestClient* quest = QuestViewSlot(slot); quest && quest->questId == questNumber)
            return true;
    return false;
}

std::string ClientUiGameView::GetQuestSlotTitle(int32_t slot) const
{
    PlayerClient* player = QuestViewPlayer();
    if (!player || slot < 0 || slot >= PlayerClient::kQuestSlots)
        return {};
    QuestClient* quest = player->GetQuestSlot(slot);
    return quest ? quest->BuildLogTitle(*player) : "$$QuestSlotEmpty$$";
}

std::string ClientUiGameView::GetQuestSlotText(int32_t slot) const
{
    PlayerClient* player = QuestViewPlayer();
    QuestClient* quest = player ? player->GetQuestSlot(slot) : nullptr;
    return quest ? QuestViewBody(*quest, *player) : std::string();
}

bool ClientUiGameView::KnowsWorldQuest(int32_t questNumber) const
{
    return QuestViewWorldQuest(questNumber) != nullptr;
}

bool ClientUiGameView::GetOfferedQuestText(int32_t entity, int32_t questNumber, std::string& out) const
{
    PlayerClient* player = QuestViewPlayer();
    const EntityClient* giver = gGameClient ? gGameClient->GetEntity(entity) : nullptr;
    QuestClient* quest = QuestViewWorldQuest(questNumber);
    if (!player || !giver || !quest || HoldsQuest(questNumber) ||
        std::find(giver->questOffers.begin(), giver->questOffers.end(), questNumber) == giver->questOffers.end())
        return false;
    out = QuestViewBody(*quest, *player);
    return true;
}

int32_t ClientUiGameView::FindQuestSlotSolvedBy(int32_t entity) const
{
    PlayerClient* player = QuestViewPlayer();
    const EntityClient* npc = gGameClient ? gGameClient->GetEntity(entity) : nullptr;
    return player && npc ? player->FindQuestForNpc(*npc) : -1;
}

int32_t ClientUiGameView::FindShortestTimeQuestSlot(float& secondsLeft) const
{
    int32_t shortest = -1;
    for (int32_t slot = 0; slot < PlayerClient::kQuestSlots; ++slot) {
        const QuestClient* quest = QuestViewSlot(slot);
        if (!quest || !quest->definition || quest->definition->maxTime <= 0.0f || quest->failed ||
            quest->IsComplete())
            continue;
        float left = quest->GetTimeRemaining(gGameClient->clock);
        if (shortest == -1 || left < secondsLeft) {
            shortest = slot;
            secondsLeft = left;
        }
    }
    return shortest;
}

std::string ClientUiGameView::GetNpcChatText() const
{
    return gGameClient ? gGameClient->npcChatText : std::string();
}
