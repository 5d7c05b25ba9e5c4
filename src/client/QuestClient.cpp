// QuestClient -- the client's mirror of one world quest: the shared quest record rebuilt from each game update, its NPC answered from the update's quest-actor table.
#include "client/QuestClient.h"

#include "client/GameClient.h"
#include "world/World.h"

int32_t QuestClient::GetDifficulty() const
{
    return gWorld ? gWorld->GetDifficulty() : 0;
}

int32_t QuestClient::GetNpcCount() const
{
    return gGameClient ? static_cast<int32_t>(gGameClient->questActorValues.size()) : 0;
}

std::string QuestClient::GetNpcName(int32_t npcId) const
{
    if (!gGameClient || npcId < 0 || npcId >= GetNpcCount())
        return {};
    return gGameClient->questActorNames[static_cast<size_t>(npcId)];
}

int32_t QuestClient::GetNpcType(int32_t npcId) const
{
    if (!gGameClient || npcId < 0 || npcId >= GetNpcCount())
        return 0;
    return gGameClient->questActorValues[static_cast<size_t>(npcId)];
}
