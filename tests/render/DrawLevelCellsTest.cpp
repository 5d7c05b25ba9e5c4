// DrawLevelCellsTest -- the level pass over a generated level: the cells visited round the camera at two screen shapes, plain and blended ground, and a placed model fading out of the player's way at its rate with its light.
#include "render/ModelDrawWorld.h"
#include "world/LevelWorld.h"

#include "core/UserVarSystem.h"
#include "render/FrameRenderer.h"
#include "render/FakeFrameScene.h"
#include "render/InTheWay.h"
#include "render/LightingSystem.h"

namespace {

BonePose CellsRestPose(int32_t, int32_t)
{
    return {{0, 0, 0, 1}, {0, 0, 0}};
}

// Blocks of floor with one stone pillar at tile (3, 3) of each 8 x 8 block.
class DrawLevelCells : public LevelWorld {
protected:
    DrawLevelCells()
    {
        WriteAsset("Database/rules.dbr", "GameSystem\n{\n Type Info\n LevelTileWidth 64\n LevelTileHeight 64\n"
                                         " BlockTileWidth 8\n BlockTileHeight 8\n TileSize 64\n GridSize 32 32\n"
                                         " DrawDistance 200 100\n}\n");
        database.Load();
        gameData.Load(database);
        for (const char* name : {"floor", "moss"})
            WriteTarga(std::string("Textures/") + name + ".tga", 4, 4);
        WriteTarga("solid.tga", 4, 4);
        WriteAsset("Shaders/models.sdr", "Skins/solid { sort Opaque { texture solid.tga } }\n");
        WriteAsset("Models/pillar.mds", MakeDrawSkeleton({-1}));
        WriteAsset("Models/pillar.mdm", MakeDrawMesh({DrawTriangleOn(1, 0)}));
        WriteAsset("Models/pillar.skn", "dir Skins\nsurface 1 solid\n");
        WriteAsset("Models/pillar_a.mda", MakeDrawAnimation(1, 1, CellsRestPose));
        WriteAsset("Models/pillar.mdl", "type 3d\ndir Models\nskeleton pillar.mds\nmesh pillar.mdm\nskin pillar.skn\n"
                                        "InWayMinFade 0.5\nlightColor 1 0.5 0\nlightIntensity 100\n"
                                        "animations\n{\n idle pillar_a\n {\n }\n}\n");
        std::string tiles;
        for (int row = 0; row < 8; ++row)
            tiles += row == 0 ? "1 1 1 1 1 1 1 1\n" : "0 0 0 0 0 0 0 0\n";
        std::string text = "2 Textures/floor.tga Textures/moss.tga\n2 closed levelBottleneck\n1 Models/pillar.mdl\n";
        for (const char* edges : {"0 0 0 0", "1 0 0 0", "0 1 0 0", "0 0 1 0", "0 0 0 1"})
            text += std::string("block B\n{\n") + tiles + edges + "\n3 4 0 0\n}\n";
        WriteAsset("Levels/cells.ara", text);
        StartShaders();
        Level& level = MakeLevel("Levels/cells.ara", 0, 77);
        Hold(level);
        levelIndex = level.index;
        scene.target = WorldPos{levelIndex, 1024.0f, 1024.0f};
        lighting.SetMaxLights(16);
        gLightingSystem = &lighting;
        view = std::make_unique<WorldView>(device);
        view->RegisterVars();
        frame = std::make_unique<FrameRenderer>(*view, batch);
        frame->RegisterVars();
        frame->SetScene(&scene);
        gUserVarSystem->SetStringByName("blendedTiles", "0");
    }
    ~DrawLevelCells() override { gLightingSystem = nullptr; }
    void TearDown() override
    {
        frame.reset();
        view.reset();
        LevelWorld::TearDown();
    }

    // The tiles queued by one pass over the cells.
    uint32_t TilesAt(int32_t width, int32_t height)
    {
        view->SetViewSize(width, height);
        view->BeginWorldView(scene.target, 1.0f, false);
        view->BeginFrame();
        frame->DrawLevelCells(0.0f);
        return view->GetQueue().GetTileSurfacePool().GetUsed() + view->GetBlendedTilePool().GetUsed();
    }

    float PillarOpacity(int32_t x, int32_t y)
    {
        ResourceHandle model;
        TileObjectInstance instance;
        world.GetTileObjectInstance(levelIndex, x, y, model, instance);
        return instance.opacity;
    }

    int32_t levelIndex = -1;
    FakeFrameScene scene;
    LightingSystem lighting;
    ShaderBatch batch{&device};
    std::unique_ptr<WorldView> view;
    std::unique_ptr<FrameRenderer> frame;
};

} // namespace

TEST_F(DrawLevelCells, NearACornerWithNoLevelBeyondTheEyeStaysOverTheGroundItLooksAt)
{
    view->SetViewSize(800, 600);
    view->BeginWorldView(scene.target, 1.0f, false);
    Vector3 fromCentre = view->GetCamera().position - Vector3{scene.target.x, scene.target.y, 0.0f};
    // The eye stands back past the north-east corner, where this world has no level.
    scene.target = WorldPos{levelIndex, 4000.0f, 100.0f};
    EXPECT_GT(TilesAt(800, 600), 0u);
    Vector3 fromCorner = view->GetCamera().position - Vector3{4000.0f, 100.0f, 0.0f};
    EXPECT_NEAR(fromCorner.x, fromCentre.x, 0.01f);
    EXPECT_NEAR(fromCorner.y, fromCentre.y, 0.01f);
    EXPECT_NEAR(fromCorner.z, fromCentre.z, 0.01f);
}

TEST_F(DrawLevelCells, TheCellsVisitedWidenWithTheScreen)
{
    // 200 x 100 round (1024, 1024) in 64-unit tiles: columns 12 to 19, rows 14 to 17.
    EXPECT_EQ(TilesAt(800, 600), 32u);
    // Widened by 1.33 on both axes: columns 11 to 20, rows 13 to 18.
    EXPECT_EQ(TilesAt(1280, 720), 60u);
    // Twice the zoom, twice the reach.
    view->SetViewSize(800, 600);
    view->BeginWorldView(scene.target, 2.0f, false);
    view->BeginFrame();
    frame->DrawLevelCells(0.0f);
    EXPECT_EQ(view->GetQueue().GetTileSurfacePool().GetUsed(), 14u * 8u);
}

TEST_F(DrawLevelCells, BlendedGroundGoesThroughItsOwnSurfaces)
{
    bool hooked = false;
    world.SetBlendedTextureHook([&](const std::vector<int32_t>& textures, ResourceHandle& out) {
        hooked = true;
        MakeBlendedTileShaderName(textures, out);
    });
    gUserVarSystem->SetStringByName("blendedTiles", "1");
    EXPECT_EQ(TilesAt(800, 600), 32u);
    EXPECT_TRUE(hooked);
    EXPECT_EQ(view->GetBlendedTilePool().GetUsed(), 32u);
}

TEST_F(DrawLevelCells, APlacedModelInThePlayersWayFadesAtItsRateWithItsLight)
{
    // The pillar of the block round (1024, 1024) stands on tile (19, 19): a "Below" box over it.
    scene.target = WorldPos{levelIndex, 19.5f * 64.0f, 19.5f * 64.0f};
    ResourceHandle& handle = ShaderWorld::Hold();
    manager->Load("Models/pillar.mdl", handle);
    auto* pillar = dynamic_cast<ModelResource*>(manager->Get(handle));
    ASSERT_NE(pillar, nullptr);
    pillar->inWayAlphaType = InWay::kBelow;
    pillar->inWayMinOffset = {-32.0f, -32.0f};
    pillar->inWayMaxOffset = {32.0f, 32.0f};
    view->SetViewSize(800, 600);
    view->BeginWorldView(scene.target, 1.0f, false);
    const float expected[] = {0.85f, 0.7f, 0.55f, 0.5f};
    for (float opacity : expected) {
        view->BeginFrame();
        lighting.Reset();
        frame->DrawLevelCells(0.1f);
        EXPECT_NEAR(PillarOpacity(19, 19), opacity, 1e-4f);
    }
    // The other pillars in view stay opaque; each placed model lights its tile.
    EXPECT_FLOAT_EQ(PillarOpacity(11, 19), 1.0f);
    EXPECT_GT(lighting.GetLightCount(), 0);
    EXPECT_FLOAT_EQ(lighting.GetLight(0).radius, 100.0f);
    EXPECT_EQ(lighting.GetLight(0).type, LightingSystem::kPointLight);

    scene.target.x += 200.0f;
    view->BeginFrame();
    frame->DrawLevelCells(0.1f);
    EXPECT_NEAR(PillarOpacity(19, 19), 0.65f, 1e-4f);
}
