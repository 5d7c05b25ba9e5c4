// MonsterDefinition -- an "Actor" record: what a creature or town NPC is made of, as the rules and the spawn code read it.
#pragma once

#include "core/SimpleData.h"

#include <cstdint>
#include <string>
#include <vector>

class NpcChat;

// The actor reads its many behaviour and combat keys through the entry (SimpleData's getters);
// the fields here are those the game rules, quests and spawning ask of every definition.
class MonsterDefinition : public SimpleData {
public:
    void Load(const DatabaseEntry* entry) override;

    std::string name;
    std::string className;
    std::string modelName;
    std::string factionName;
    int32_t npcType = 0;  // NpcType; 0 for a creature that is no town NPC
    bool npc = false;
    bool givesQuests = false;
    bool canBeSpawned = false;
    bool canKidnap = false;
    bool canBeBoss = false;
    bool canGiveMonsterQuest = false;
    bool canHaveUprising = false;
    bool canBeRescued = false;
    bool canReceiveDelivery = false;
    bool canBeEscorted = false;
    bool canBeRaised = false;
    float xpMult = 0.0f;
    int32_t scoreForKill = 0;
    float scale = 0.0f;
    float radius = 0.0f;
    std::vector<std::string> skills;
    std::vector<std::string> startingItems;
    std::vector<std::string> enhancements;
    std::vector<int32_t> hiddenSurfaces;  // "HideSurface", one model surface index a line
    // The line said the first time a player talks to the NPC, and the chat sets it draws from
    // (GameData resolves the "NpcChat" names after loading the sets).
    std::string chatIntro;
    std::vector<std::string> chatNames;
    std::vector<const NpcChat*> chats;
};
