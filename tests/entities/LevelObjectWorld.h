// LevelObjectWorld -- the test world of chests, doors, gates and secrets: the fake game, a hand-laid world of levels with areas, players and a covenant whose house gate the test places.
#pragma once

#include "core/Database.h"
#include "core/StringUtil.h"
#include "entities/EntityWorld.h"
#include "entities/NeutralCovenant.h"
#include "entities/Player.h"
#include "entities/Trap.h"
#include "world/AreaDefinition.h"
#include "world/Level.h"
#include "world/World.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

// A covenant whose house gate stands where the test says; none while houseGate is on level -1.
class GateTestCovenant : public NeutralCovenant {
public:
    bool FindSpotNearHouseGate(const Sentient&, WorldPos& out) const override
    {
        out = houseGate;
        return houseGate.level >= 0;
    }

    WorldPos houseGate;
};

class LevelObjectWorld : public EntityWorld {
protected:
    static constexpr int32_t kLevelCount = 4;

    // The records every level-object test shares: the class a player is made of, areas for the
    // levels, and the gate records.
    static constexpr const char* kSharedRecords = R"(
ClassWanderer
{
    Type Class
    MaxPower 100
    HealthPerVit 5
    StartVitality 10
}
StatusEffectBasicRegen
{
    Type StatusEffect
    Forever 1
}
AreaPlain
{
    Type Area
    Name "Meadow"
    TrapsAllowed 1
    StartPosition "100 200"
    StartPositionNorth "300 400"
}
AreaSafe
{
    Type Area
    Name "Sanctum"
}
AreaSecret
{
    Type Area
    Name "Hidden Vault"
    SecretLevel 1
    TrapsAllowed 1
}
ObjectGate
{
    Type Object
    ObjectType Gate
    SoundName "Sounds/gate.ogg"
    EffectName "Effects/warp.eff"
}
)";

    LevelObjectWorld()
    {
        Player::RegisterEventClass(events, types);
        Trap::RegisterEventClass(events, types);
        game.levelCount = kLevelCount;
        covenant.houseGate = At(0.0f, 0.0f, -1);
    }

    ~LevelObjectWorld() override
    {
        game.DestroyAll();
        gWorld = nullptr;
    }

    // The shared records and the test's own, then the world: levels 0..3 in a row, level 0 the
    // plain area, 1 the safe one, 2 a secret level, 3 plain again.
    void LoadWorld(const std::string& extra = "")
    {
        LoadRecords(std::string(kSharedRecords) + extra);
        world.SetLevelSize(4096.0f, 4096.0f);
        const char* areaNames[kLevelCount] = {"AreaPlain", "AreaSafe", "AreaSecret", "AreaPlain"};
        for (int32_t i = 0; i < kLevelCount; ++i) {
            auto area = std::make_unique<AreaDefinition>();
            area->Load(database.FindEntryByName(areaNames[i]));
            auto level = std::make_unique<Level>();
            level->column = i;
            level->row = 0;
            level->area = area.get();
            level->monsterLevel = 10 * (i + 1);
            world.AddLevel(std::move(level));
            areas.push_back(std::move(area));
        }
        // Each level the neighbour of the next, west to east.
        for (int32_t i = 0; i < kLevelCount; ++i) {
            for (int32_t direction = 0; direction < kWorldDirectionCount; ++direction) {
                LevelStep step = LevelStepOfDirection(direction);
                int32_t column = i + step.dx;
                if (step.dy == 0 && column >= 0 && column < kLevelCount)
                    world.GetLevel(i)->neighbours[static_cast<size_t>(direction)] = column;
            }
        }
        gWorld = &world;
    }

    Player* MakePlayer(float x = 500.0f, float y = 500.0f, int32_t level = 0)
    {
        auto* player = new Player();
        player->SetPosition(At(x, y, level));
        EXPECT_NE(game.AddEntity(player), -1);
        player->SetUpNew(0);
        game.players.push_back(player);
        return player;
    }

    void JoinCovenant(Player& player)
    {
        game.covenants = {&covenant};
        player.covenantIndex = 0;
    }

    // Plain entities until only the given number of slots is free; the test may take them out.
    std::vector<Entity*> FillTableLeaving(int32_t free)
    {
        std::vector<Entity*> fillers;
        int32_t taken = 0;
        for (int32_t i = 0; i < GameServices::kMaxEntities; ++i)
            taken += game.GetEntity(i) != nullptr;
        for (; taken < GameServices::kMaxEntities - free; ++taken) {
            fillers.push_back(new Entity());
            EXPECT_NE(game.AddEntity(fillers.back()), -1);
        }
        return fillers;
    }

    bool HasLine(const std::string& line) const
    {
        for (const std::string& queued : game.lines)
            if (queued == line)
                return true;
        return false;
    }

    bool HasNotice(const std::string& notice) const
    {
        for (const std::string& told : game.notices)
            if (told == notice)
                return true;
        return false;
    }

    int32_t CountNotices(const std::string& prefix) const
    {
        int32_t count = 0;
        for (const std::string& notice : game.notices)
            count += notice.rfind(prefix, 0) == 0;
        return count;
    }

    World world;
    std::vector<std::unique_ptr<AreaDefinition>> areas;
    GateTestCovenant covenant;
};
