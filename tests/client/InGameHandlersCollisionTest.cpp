// InGameHandlersCollisionTest -- "reloadCollision" typed on the console reads every loaded model's collision footprint from its file again, and the world's levels build their cells anew from them.
#include "client/ClientApp.h"
#include "resources/models/ModelWorld.h"
#include "world/LevelData.h"
#include "world/World.h"

#include <algorithm>

#include <memory>

namespace {

class InGameHandlersCollision : public ModelWorld {
protected:
    InGameHandlersCollision()
    {
        app = std::make_unique<ClientApp>();
        gClientApp = app.get();
        app->RegisterCommands();
    }

    ~InGameHandlersCollision() override
    {
        gClientApp = nullptr;
        app.reset();
    }

    std::unique_ptr<ClientApp> app;
};

TEST_F(InGameHandlersCollision, TheCommandReadsTheChangedFootprintOfEveryLoadedModel)
{
    ResourceHandle& first = Hold();
    ResourceHandle& second = Hold();
    WriteAsset("Models/wall.mdl", "collision\n{\n1 1\n}\n");
    WriteAsset("Models/gate.mdl", "collision\n{\n1\n1\n}\n");
    manager->Load("Models/wall.mdl", first);
    manager->Load("Models/gate.mdl", second);
    ASSERT_EQ(dynamic_cast<ModelResource*>(manager->Get(first))->collisionWidth, 2);
    ASSERT_EQ(dynamic_cast<ModelResource*>(manager->Get(second))->collisionHeight, 2);
    WriteAsset("Models/wall.mdl", "collision\n{\n1 0 1\n}\n");
    WriteAsset("Models/gate.mdl", "collision\n{\n0\n1\n1\n}\n");
    EXPECT_TRUE(ExecuteCommandLine("reloadCollision"));
    auto* wall = dynamic_cast<ModelResource*>(manager->Get(first));
    auto* gate = dynamic_cast<ModelResource*>(manager->Get(second));
    ASSERT_NE(wall, nullptr);
    ASSERT_NE(gate, nullptr);
    EXPECT_EQ(wall->collisionCells, (std::vector<bool>{true, false, true}));
    EXPECT_EQ(gate->collisionHeight, 3);
    EXPECT_EQ(gate->collisionCells, (std::vector<bool>{false, true, true}));
}

TEST_F(InGameHandlersCollision, TheWorldsLevelsBuildTheirCellsAgainFromTheReloadedFootprints)
{
    World world;
    gWorld = &world;
    Level* level = world.AddLevel(std::make_unique<Level>());
    level->data = std::make_unique<LevelData>(LevelGeometry::Current());
    ASSERT_FALSE(level->data->blockBuilt.empty());
    // As a level stands once its cells were asked for: built, with a wall's cells set.
    std::fill(level->data->blockBuilt.begin(), level->data->blockBuilt.end(), true);
    level->data->movementBits[0] = level->data->sightBits[0] = true;
    EXPECT_TRUE(ExecuteCommandLine("reloadCollision"));
    gWorld = nullptr;
    EXPECT_EQ(std::count(level->data->blockBuilt.begin(), level->data->blockBuilt.end(), true), 0);
    EXPECT_FALSE(level->data->movementBits[0]);
    EXPECT_FALSE(level->data->sightBits[0]);
}

} // namespace
