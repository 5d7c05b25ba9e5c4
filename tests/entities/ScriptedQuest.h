// ScriptedQuest -- a player's quest as the tests script it: no town NPCs or world, and every server operation recorded.
#pragma once

#include "entities/Entity.h"
#include "entities/EntityQuest.h"
#include "rules/RulesEnums.h"

#include <string>
#include <vector>

class ScriptedQuest : public EntityQuest {
public:
    int32_t GetDifficulty() const override { return 0; }
    int32_t CountTownNpcs() const override { return 0; }
    std::string GetTownNpcName(int32_t) const override { return {}; }
    int32_t GetTownNpcType(int32_t) const override { return NpcType::None; }
    const QuestWorld* GetWorld() const override { return nullptr; }

    void Advance(Player&, float) override { calls.emplace_back("advance"); }
    void SeeEvent(Player&, Event&) override { calls.emplace_back("event"); }
    void PayReward(Player&) override { calls.emplace_back("reward"); }
    void TalkStep(Player&, Entity& npc) override { calls.push_back("talk " + std::to_string(npc.entityNumber)); }
    bool IsFor(const Entity& npc) const override { return forNpc == npc.entityNumber; }
    Entity* GetTargetEntity() const override { return targetEntity; }
    void OnAccepted(Player&) override { calls.emplace_back("accepted"); }
    void Abandon() override { calls.emplace_back("abandon"); }
    bool CanTakeItemThroughLinks() override { return CanTakeMoreItems(); }

    std::vector<std::string> calls;
    int32_t forNpc = -1;
    Entity* targetEntity = nullptr;
};
