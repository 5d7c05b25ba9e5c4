// RenderSurfacesTest -- the world view's surfaces on a recording device: model passes and their write masks, one matrix per batch, blended tile stage alphas, particles on their own clocks, refused handles and pools that stop growing, wrapped instances kept apart, skin and sub-mesh choices.
#include "render/ModelDrawWorld.h"

#include "core/UserVarSystem.h"
#include "render/LightingSystem.h"
#include "world/EntityBase.h"
#include "world/LevelData.h"

#include <cmath>

namespace {

constexpr std::array<float, 3> kTileA = {0.0f, 0.0f, 0.0f};
constexpr std::array<float, 3> kTileB = {64.0f, 64.0f, 0.0f};

BonePose RestingPose(int32_t, int32_t)
{
    return {{0, 0, 0, 1}, {0, 0, 0}};
}

class RenderSurfaces : public ModelDrawWorld {
protected:
    RenderSurfaces()
    {
        WriteAsset("Shaders/ground.sdr", "Ground/blend { sort Opaque { texture solid.tga } { texture glass.tga } }\n");
        LoadShaders();
        LookAtOrigin();
    }

    void LoadShaders()
    {
        shaders->LoadShaderFiles();
        blend = LoadShader("Ground/blend", TextureUsage::Plain);
        timed = LoadShader("Skins/timed", TextureUsage::Plain);
    }

    int32_t Crate(const std::string& name, const std::string& skin, int32_t subMeshes, const std::string& extra = "")
    {
        std::vector<DrawSubMesh> meshes;
        for (int32_t i = 0; i < subMeshes; ++i)
            meshes.push_back(DrawTriangleOn(i + 1, 0));
        return LoadDrawModel(name, MakeDrawSkeleton({-1}), MakeDrawMesh(meshes), skin,
                             {MakeDrawAnimation(2, 1, RestingPose)}, extra);
    }

    void QueueModel(int32_t model, float alpha, const std::vector<bool>* visible = nullptr)
    {
        ModelSurfacesDesc desc;
        desc.model = model;
        desc.animation = 0;
        desc.alpha = alpha;
        desc.visibleSubMeshes = visible;
        view->AddModelSurfaces(desc);
    }

    int32_t blend = -1;
    int32_t timed = -1;
};

} // namespace

TEST_F(RenderSurfaces, ATranslucentModelDrawsDepthThenColourAndAnOpaqueOneOnce)
{
    int32_t crate = Crate("crate", "dir Skins\nsurface 1 solid\nsurface 2 solid\nsurface 3 solid\n", 3);
    view->BeginFrame();
    QueueModel(crate, 0.5f);
    EXPECT_EQ(view->GetModelPool().GetUsed(), 6u);
    std::vector<DeviceBatch> batches = DrawFrame();
    ASSERT_EQ(batches.size(), 2u);
    EXPECT_EQ(batches[0].writeMask, kWriteMaskNoColor);
    EXPECT_EQ(batches[1].writeMask, kWriteMaskNoDepth);
    for (const DeviceBatch& batch : batches) {
        EXPECT_EQ(batch.vertices.size(), 9u);
        EXPECT_FLOAT_EQ(batch.opacity, 0.5f);
    }
    // Each batch loads the model's matrix and puts the camera's back; the draw ends on the camera.
    std::vector<Matrix4> views = device.GetFrameState().modelViews;
    ASSERT_EQ(views.size(), 5u);
    EXPECT_EQ(std::memcmp(&views[1], &view->GetCamera().modelView, sizeof(Matrix4)), 0);
    EXPECT_EQ(std::memcmp(&views[4], &view->GetCamera().modelView, sizeof(Matrix4)), 0);

    view->BeginFrame();
    QueueModel(crate, 1.0f);
    batches = DrawFrame();
    ASSERT_EQ(batches.size(), 1u);
    EXPECT_EQ(batches[0].writeMask, 0);
    EXPECT_EQ(batches[0].vertices.size(), 9u);
    EXPECT_TRUE(batches[0].lighting.hasRotation);
}

TEST_F(RenderSurfaces, ABlendedTileFadesEachStageByItsCornerAlphas)
{
    LevelTileCell cell;
    cell.corners = {std::vector<uint8_t>{255, 10}, {255, 20}, {255, 30}, {255}};
    view->BeginFrame();
    view->AddBlendedTileSurface(kTileA, kTileB, &cell, blend, false);
    std::vector<DeviceBatch> batches = DrawFrame();
    ASSERT_EQ(batches.size(), 1u);
    ASSERT_EQ(batches[0].stages.size(), 2u);
    const std::vector<uint8_t>& second = batches[0].stages[1].colors;
    ASSERT_EQ(second.size(), 16u);
    // Up-left, up-right, down-right, down-left; a corner without the stage's weight is clear.
    EXPECT_EQ(second[3], 10);
    EXPECT_EQ(second[7], 20);
    EXPECT_EQ(second[11], 30);
    EXPECT_EQ(second[15], 0);
    EXPECT_EQ(batches[0].stages[0].colors[15], 255);
    EXPECT_FLOAT_EQ(batches[0].vertices[0].position[1], 64.0f);
}

TEST_F(RenderSurfaces, ParticlesOfAShaderOnItsOwnClockEachGetABatchAtTheirOwnTime)
{
    view->BeginFrame();
    const Shader& shader = *GetShader(timed);
    view->GetEffects().AddParticleSurface(shader, {0, 0, 0}, 0.0f, 4.0f, Color{1, 1, 1}, 1.0f, 0.25f);
    view->GetEffects().AddParticleSurface(shader, {8, 0, 0}, 0.0f, 4.0f, Color{1, 1, 1}, 1.0f, 0.75f);
    std::vector<DeviceBatch> batches = DrawFrame();
    ASSERT_EQ(batches.size(), 2u);
    EXPECT_FLOAT_EQ(batches[0].shaderTime, 0.25f);
    EXPECT_FLOAT_EQ(batches[1].shaderTime, 0.75f);
}

TEST_F(RenderSurfaces, AParticleLiesFlatToTheCameraThatLooksAtIt)
{
    for (bool overhead : {false, true}) {
        gUserVarSystem->SetStringByName("r_overheadView", overhead ? "1" : "0");
        LookAtOrigin();
        view->BeginFrame();
        const Vector3 center{16.0f, -8.0f, 4.0f};
        view->GetEffects().AddParticleSurface(*GetShader(timed), center, 30.0f, 4.0f, Color{1, 1, 1}, 1.0f, 0.0f);
        std::vector<DeviceBatch> batches = DrawFrame();
        ASSERT_EQ(batches.size(), 1u);
        ASSERT_EQ(batches[0].vertices.size(), 4u);
        const WorldViewCamera& camera = view->GetCamera();
        const Vector3 forward{camera.rotation.m[0][0], camera.rotation.m[0][1], camera.rotation.m[0][2]};
        for (const auto& vertex : batches[0].vertices) {
            Vector3 corner{vertex.position[0] - center.x, vertex.position[1] - center.y,
                           vertex.position[2] - center.z};
            EXPECT_NEAR(corner.x * forward.x + corner.y * forward.y + corner.z * forward.z, 0.0f, 1e-3f) << "overhead " << overhead;
            EXPECT_NEAR(Vector3Length(corner), 4.0f * std::sqrt(2.0f), 1e-3f);
        }
    }
}

TEST_F(RenderSurfaces, RefusedHandlesTakeNoSurfaceAndASteadySceneGrowsNoPool)
{
    int32_t crate = Crate("crate", "dir Skins\nsurface 1 solid\n", 1);
    LevelTileCell cell;
    for (int frame = 0; frame < 3; ++frame) {
        view->BeginFrame();
        view->AddBlendedTileSurface(kTileA, kTileB, &cell, -1, false);
        QueueModel(-1, 1.0f);
        QueueModel(crate, 0.0f);
        EXPECT_EQ(view->GetBlendedTilePool().GetCount(), frame == 0 ? 0u : 1u);
        EXPECT_EQ(view->GetModelPool().GetCount(), frame == 0 ? 0u : 2u);
        EXPECT_TRUE(view->GetQueue().GetFrameSurfaces().empty());
        view->AddBlendedTileSurface(kTileA, kTileB, &cell, blend, false);
        QueueModel(crate, 0.5f);
        EXPECT_EQ(view->GetModelPool().GetCount(), 2u);
    }
    EXPECT_EQ(view->GetBlendedTilePool().GetCount(), 1u);
}

TEST_F(RenderSurfaces, InstancesWhoseDepthWrapsNeverShareABatch)
{
    int32_t crate = Crate("crate", "dir Skins\nsurface 1 solid\n", 1);
    view->BeginFrame();
    for (int i = 0; i < 4097; ++i)
        QueueModel(crate, 1.0f);
    const std::vector<RenderSurface*>& queued = view->GetQueue().GetFrameSurfaces();
    ASSERT_EQ(queued.size(), 4097u);
    EXPECT_EQ(queued[0]->sortKey, queued[4096]->sortKey);
    EXPECT_EQ(DrawFrame().size(), 4097u);
}

TEST_F(RenderSurfaces, SkinEntriesAndVisibleBitsChooseTheSubMeshes)
{
    int32_t marked = Crate("marked", "dir Skins\nsurface 1 marked noHighlight\nsurface 2 marked\nsurface 3 solid\n", 3);
    std::vector<bool> visible = {true, true};
    view->BeginFrame();
    QueueModel(marked, 1.0f);
    EXPECT_EQ(view->GetModelPool().GetUsed(), 2u);
    visible = {true, false};
    view->BeginFrame();
    QueueModel(marked, 1.0f, &visible);
    // Sub-mesh 0 is switched off in its skin, 1 by its bit; 2 lies past the bits.
    ASSERT_EQ(view->GetModelPool().GetUsed(), 1u);
    EXPECT_EQ(view->GetModelPool().At(0)->subMesh, 2);

    int32_t detail = Crate("detail", "dir Skins\nsurface 1 solid\n", 1, "DetailModel 1\n");
    gUserVarSystem->SetStringByName("r_detailModels", "0");
    view->BeginFrame();
    QueueModel(detail, 1.0f);
    EXPECT_EQ(view->GetModelPool().GetUsed(), 0u);
}

// Only the batches of the instance queued as hovered carry the flag the stage drawer lifts the
// light by; the same model beside it stays as it is lit.
TEST_F(RenderSurfaces, TheHoverFlagReachesOnlyTheBatchesOfTheHoveredInstance)
{
    int32_t crate = Crate("crate", "dir Skins\nsurface 1 solid\n", 1);
    view->BeginFrame();
    for (bool hovered : {false, true}) {
        ModelSurfacesDesc desc;
        desc.model = crate;
        desc.animation = 0;
        desc.position.x = hovered ? 40.0f : -40.0f;
        desc.hovered = hovered;
        view->AddModelSurfaces(desc);
    }
    std::vector<DeviceBatch> batches = DrawFrame();
    ASSERT_EQ(batches.size(), 2u);
    for (const DeviceBatch& batch : batches)
        EXPECT_EQ(batch.lighting.hovered, batch.lighting.origin[0] > 0.0f) << "the crate at " << batch.lighting.origin[0];
}

TEST_F(RenderSurfaces, AnEntitysLightJoinsTheFrameAtItsOffsetPlace)
{
    LightingSystem lighting;
    lighting.SetMaxLights(4);
    gLightingSystem = &lighting;
    EntityBase entity;
    entity.position = WorldPos{2, 100.0f, 50.0f};
    entity.lightOffset[0] = 8.0f;
    entity.lightOffset[1] = -4.0f;
    entity.lightColor = Color{1.0f, 0.5f, 0.25f};
    entity.lightFalloff = 90.0f;
    lighting.AddEntityLight(entity);
    // A black light is dropped.
    entity.lightColor = Color{0.0f, 0.0f, 0.0f};
    lighting.AddEntityLight(entity);
    gLightingSystem = nullptr;
    ASSERT_EQ(lighting.GetLightCount(), 1);
    const LightingSystem::Light& light = lighting.GetLight(0);
    EXPECT_EQ(light.level, 2);
    EXPECT_FLOAT_EQ(light.x, 108.0f);
    EXPECT_FLOAT_EQ(light.y, 46.0f);
    EXPECT_FLOAT_EQ(light.radius, 90.0f);
}

TEST_F(RenderSurfaces, AModelOutsideTheViewIsSkippedWhenDrawn)
{
    int32_t crate = Crate("crate", "dir Skins\nsurface 1 solid\n", 1);
    view->BeginFrame();
    ModelSurfacesDesc desc;
    desc.model = crate;
    desc.animation = 0;
    desc.position.x = 5000.0f;
    view->AddModelSurfaces(desc);
    std::vector<DeviceBatch> batches = DrawFrame();
    EXPECT_TRUE(batches.empty());
    EXPECT_EQ(view->GetModelRenderer().GetPosesComputed(), 0);
}
