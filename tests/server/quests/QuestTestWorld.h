// QuestTestWorld -- the server test world with a spawn system, for the quests that put monsters, items and chests into it.
#pragma once

#include "server/GameWorld.h"
#include "server/spawn/SpawnSystem.h"
#include "world/AreaDefinition.h"

#include <memory>
#include <string>
#include <vector>

class QuestTestWorld : public GameWorld {
protected:
    QuestTestWorld() { gSpawnSystem = &spawn; }
    ~QuestTestWorld() override
    {
        game->Reset();
        gSpawnSystem = nullptr;
    }

    // Every level, named and so built, becomes a quest target for any quest level, its treasure
    // the chest record.
    void GiveQuestAreas(const std::string& treasureChest)
    {
        for (int32_t i = 0; i < row.world.GetLevelCount(); ++i) {
            areas.push_back(std::make_unique<AreaDefinition>());
            AreaDefinition& area = *areas.back();
            area.monsterChancePerBlock = 1.0f;
            area.minMonsterLevelOffset = -100;
            area.maxMonsterLevelOffset = 100;
            area.treasureMapChestName = treasureChest;
            area.name = "Glade";
            row.world.GetLevel(i)->area = &area;
            row.world.GetLevel(i)->monsterLevel = 4;
        }
    }

    SpawnSystem spawn;
    std::vector<std::unique_ptr<AreaDefinition>> areas;
};
