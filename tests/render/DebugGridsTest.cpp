// DebugGridsTest -- the collision and sight grids on a recording library: how many squares each draws round the camera, red where the world blocks or the player cannot see, and nothing while their user vars are off.
#include "render/ModelDrawWorld.h"

#include "core/ColorSystem.h"
#include "core/Database.h"
#include "core/RandomSystem.h"
#include "render/DebugGrids.h"
#include "render/FakeFrameScene.h"
#include "render/GLStateCache.h"
#include "render/ImmediateDraw.h"
#include "render/RecordingGL.h"
#include "rules/GameData.h"
#include "world/World.h"

namespace {

// The player sees the cells within 100 units of the camera target.
class GridScene : public FakeFrameScene {
public:
    float GetVisibility(const WorldPos& at) const override
    {
        float dx = at.x - target.x;
        float dy = at.y - target.y;
        return dx * dx + dy * dy <= 100.0f * 100.0f ? 1.0f : 0.0f;
    }
};

class DebugGridsDraw : public ModelDrawWorld {
protected:
    DebugGridsDraw()
    {
        gDatabase = &database;
        gGameData = &gameData;
        gColorSystem = &colors;
        gRandomSystem = &random;
        gWorld = &world;
        WriteAsset("Database/database.dbl", "rules.dbr\n");
        WriteAsset("Database/rules.dbr", "GameSystem\n{\n Type Info\n TileSize 64\n GridSize 32 32\n}\n");
        database.Load();
        gameData.Load(database);
        world.Create();
        world.SetLevelSize(4096.0f, 4096.0f);
        for (const char* name : {"showCollisionGrid", "showSightCollisionGrid", "showSightGrid"})
            vars.RegisterVar(name, "0");
        grids.FindVars();
        view->SetViewSize(800, 600);
        scene.target = WorldPos{0, 2048.0f, 2048.0f};
        grids.SetScene(&scene);
    }
    ~DebugGridsDraw() override
    {
        world.Destroy();
        gWorld = nullptr;
        gRandomSystem = nullptr;
        gColorSystem = nullptr;
        gGameData = nullptr;
        gDatabase = nullptr;
    }

    // The colour of each square drawn, in order: 'w' white, 'r' red, '?' other.
    std::string Squares() const
    {
        std::string found;
        for (const std::array<uint8_t, 4>& c : gl.drawnColors)
            found += c[0] == 255 && c[1] == 255 && c[2] == 255 ? 'w' : c[0] == 255 && c[1] == 0 && c[2] == 0 ? 'r' : '?';
        return found;
    }

    Database database;
    GameData gameData;
    ColorSystem colors;
    RandomSystem random{5};
    World world;
    RecordingGL gl;
    GLStateCache cache{gl};
    ImmediateDraw immediate{gl, cache};
    DebugGrids grids{cache, immediate, *view};
    GridScene scene;
};

TEST_F(DebugGridsDraw, NothingIsDrawnWhileTheVarsAreOff)
{
    grids.Draw(1.0f);
    EXPECT_TRUE(gl.calls.empty());
}

TEST_F(DebugGridsDraw, TheCollisionGridCoversFifteenCellsEachSideRedOffAnyLevel)
{
    vars.SetStringByName("showCollisionGrid", "1");
    grids.Draw(1.0f);
    // No level is loaded: every cell blocks.
    EXPECT_EQ(Squares(), std::string(31 * 31, 'r'));
    // Drawn over the ground, the depth test back on after.
    EXPECT_EQ(gl.Named("Enable " + std::to_string(GL_DEPTH_TEST)).size(), 1u);
}

TEST_F(DebugGridsDraw, TheSightGridIsWhiteWhereThePlayerSees)
{
    vars.SetStringByName("showSightGrid", "1");
    grids.Draw(1.0f);
    std::string squares = Squares();
    ASSERT_EQ(squares.size(), 83u * 83u);
    EXPECT_EQ(squares[41 * 83 + 41], 'w') << "the camera's own cell";
    EXPECT_EQ(squares[41 * 83 + 44], 'w') << "three cells (96 units) east";
    EXPECT_EQ(squares[41 * 83 + 45], 'r') << "four cells (128 units) east";
    EXPECT_EQ(squares[0], 'r');
    // Every cell within 100 units: the 3-cell disc of 29 cells.
    EXPECT_EQ(std::count(squares.begin(), squares.end(), 'w'), 29);
}

} // namespace
