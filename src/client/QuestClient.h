// QuestClient -- the client's mirror of one world quest: the shared quest record rebuilt from each game update, its NPC answered from the update's quest-actor table.
#pragma once

#include "rules/quests/QuestBase.h"

#include <cstdint>
#include <string>

class QuestClient : public QuestBase {
public:
    int32_t GetDifficulty() const override;
    int32_t GetNpcCount() const override;
    std::string GetNpcName(int32_t npcId) const override;
    int32_t GetNpcType(int32_t npcId) const override;
    // The client keeps no quest world of its own: what needs one is left ungenerated.
    const QuestWorld* GetWorld() const override { return nullptr; }

    // The slot of the update's quest list this quest came in.
    int32_t index = -1;
};
