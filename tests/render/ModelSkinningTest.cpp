// ModelSkinningTest -- a three-bone model posed and skinned into batches: the blend between key frames, the shorter arc, parents listed after their children, one pose per instance, the vertex cache at another base, the blend source and bad bone counts.
#include "render/ModelDrawWorld.h"

#include "core/UserVarSystem.h"
#include "render/ModelEntity.h"
#include "resources/models/Skin.h"
#include "support/LogLines.h"
#include "world/EntityBase.h"

#include <cmath>

namespace {

constexpr float kSin45 = 0.70710678f;

// Bone 1 is the root, 10 f along x at frame f; bone 2 hangs 5 along y from it, bone 0 3 along z
// from bone 2: the skeleton lists bone 0 before its parent.
BonePose SkinningPose(int32_t frame, int32_t bone)
{
    if (bone == 1)
        return {{0, 0, 0, 1}, {10.0f * static_cast<float>(frame), 0, 0}};
    if (bone == 2)
        return {{0, 0, 0, 1}, {0, 5, 0}};
    return {{0, 0, 0, 1}, {0, 0, 3}};
}

// The root turned a quarter about z at frame 1, written as the negated quaternion: the blend
// must take the short way round.
BonePose TurningPose(int32_t frame, int32_t bone)
{
    if (bone == 1 && frame == 1)
        return {{0, 0, -kSin45, -kSin45}, {0, 0, 0}};
    return SkinningPose(0, bone);
}

class SkinningEntity : public ModelEntity {
public:
    EntityBase& GetEntityBase() override { return base; }
    ModelEntity* GetLightOwner() override { return nullptr; }
    ModelLightCache& GetLightCache() override { return light; }
    EntityBase base;
    ModelLightCache light;
};

class ModelSkinning : public ModelDrawWorld {
protected:
    ModelSkinning()
    {
        skeleton = MakeDrawSkeleton({2, -1, 1});
        mesh = MakeDrawMesh({DrawTriangleOn(1, 0), DrawTriangleOn(2, 1), DrawTriangleOn(3, 2)});
        skin = "dir Skins\nsurface 1 solid\nsurface 2 solid\nsurface 3 solid\n";
        LookAtOrigin();
    }

    int32_t ThreeBones(const std::vector<std::string>& animations)
    {
        return LoadDrawModel("three", skeleton, mesh, skin, animations);
    }

    // The vertices drawn, batch after batch.
    std::vector<DeviceVertex> Queue(int32_t model, int32_t animation, float time, ModelEntity* entity = nullptr,
                                    float alpha = 1.0f)
    {
        view->BeginFrame();
        ModelSurfacesDesc desc;
        desc.model = model;
        desc.animation = animation;
        desc.time = time;
        desc.entity = entity;
        desc.alpha = alpha;
        view->AddModelSurfaces(desc);
        std::vector<DeviceVertex> out;
        for (const DeviceBatch& batch : DrawFrame())
            out.insert(out.end(), batch.vertices.begin(), batch.vertices.end());
        return out;
    }

    std::string skeleton;
    std::string mesh;
    std::string skin;
};

void ExpectAt(const DeviceVertex& vertex, float x, float y, float z)
{
    EXPECT_NEAR(vertex.position[0], x, 1e-4f);
    EXPECT_NEAR(vertex.position[1], y, 1e-4f);
    EXPECT_NEAR(vertex.position[2], z, 1e-4f);
}

} // namespace

TEST_F(ModelSkinning, APoseBlendsAQuarterOfTheWayAtTwoAndAQuarterWithParentsComposedFirst)
{
    int32_t model = ThreeBones({MakeDrawAnimation(4, 3, SkinningPose)});
    std::vector<DeviceVertex> drawn = Queue(model, 0, 2.25f);
    ASSERT_EQ(drawn.size(), 9u);
    // Sub-mesh order: bone 0 (the grandchild), bone 1 (the root), bone 2.
    float rootX = 12.5f;
    ExpectAt(drawn[0], rootX, 5.0f, 3.0f);
    ExpectAt(drawn[3], rootX, 0.0f, 0.0f);
    ExpectAt(drawn[4], rootX + 1.0f, 0.0f, 0.0f);
    ExpectAt(drawn[6], rootX, 5.0f, 0.0f);
    // Three sub-meshes, one pose.
    EXPECT_EQ(view->GetModelRenderer().GetPosesComputed(), 1);

    // Translucent: two passes a sub-mesh, still one pose.
    drawn = Queue(model, 0, 2.25f, nullptr, 0.5f);
    EXPECT_EQ(drawn.size(), 18u);
    EXPECT_EQ(view->GetModelRenderer().GetPosesComputed(), 1);
}

TEST_F(ModelSkinning, RotationsBlendTheShorterWayRound)
{
    int32_t model = ThreeBones({MakeDrawAnimation(2, 3, TurningPose)});
    std::vector<DeviceVertex> drawn = Queue(model, 0, 1.5f);
    ASSERT_EQ(drawn.size(), 9u);
    // The root's (1, 0, 0) vertex halfway through a quarter turn: 45 degrees, not 135.
    const DeviceVertex& tip = drawn[4];
    EXPECT_NEAR(std::hypot(tip.position[0], tip.position[1]), 1.0f, 1e-4f);
    EXPECT_NEAR(std::fabs(tip.position[0]), kSin45, 1e-4f);
    EXPECT_GT(tip.position[0], 0.0f);
}

TEST_F(ModelSkinning, TheFirstFrameBlendsFromThePreviousAnimationOnlyWhenItsBonesMatch)
{
    std::string other = MakeDrawAnimation(2, 3, [](int32_t, int32_t bone) {
        return bone == 1 ? BonePose{{0, 0, 0, 1}, {-40, 0, 0}} : SkinningPose(0, bone);
    });
    int32_t model = ThreeBones({MakeDrawAnimation(4, 3, SkinningPose), other, MakeDrawAnimation(2, 4, SkinningPose)});
    SkinningEntity entity;
    entity.base.blendAnim = 1;
    // Past the previous animation's last frame: its last frame stands in.
    entity.base.blendFrame = 7.0f;
    std::vector<DeviceVertex> drawn = Queue(model, 0, 0.5f, &entity);
    ASSERT_EQ(drawn.size(), 9u);
    ExpectAt(drawn[3], -20.0f, 0.0f, 0.0f);

    // Four bones against three: frame 0 is blended with itself.
    entity.base.blendAnim = 2;
    drawn = Queue(model, 0, 0.5f, &entity);
    ASSERT_EQ(drawn.size(), 9u);
    ExpectAt(drawn[3], 0.0f, 0.0f, 0.0f);
    // The entity's light cache was filled for this frame.
    EXPECT_EQ(entity.light.frame, view->GetFrameNumber());
}

TEST_F(ModelSkinning, TheCacheOfAnEntityLessModelIsCopiedAtTheBatchsOwnBase)
{
    int32_t model = LoadDrawModel("single", skeleton, MakeDrawMesh({DrawTriangleOn(2, 1)}), skin,
                                  {MakeDrawAnimation(4, 3, SkinningPose)});
    ASSERT_EQ(Queue(model, 0, 1.5f).size(), 3u);

    ModelRenderer& renderer = view->GetModelRenderer();
    renderer.BeginFrame();
    ShaderBatch batch(&device);
    batch.BeginBatch(GetShader(Model(model)->GetSkin()->GetSurfaceShader(2)));
    for (int i = 0; i < 4; ++i)
        batch.AddVertex(DeviceVertex(), nullptr, false);
    batch.AddTriangle(0, 1, 2);
    ModelMeshDraw draw;
    draw.model = Model(model);
    draw.animation = 0;
    draw.time = 1.5f;
    draw.subMesh = 0;
    draw.instance = renderer.AddInstance();
    device.Clear();
    renderer.DrawModelMesh(batch, draw);
    // Drawn from the cache: no pose was needed.
    EXPECT_EQ(renderer.GetPosesComputed(), 0);
    batch.FlushBatch();
    std::vector<DeviceBatch> batches = device.GetBatches();
    ASSERT_EQ(batches.size(), 1u);
    EXPECT_EQ(batches[0].indexes, (std::vector<uint16_t>{0, 1, 2, 4, 5, 6}));
    // Halfway from frame 0 to frame 1: the root at 5, the vertex one further.
    ExpectAt(batches[0].vertices[5], 6.0f, 0.0f, 0.0f);
}

TEST_F(ModelSkinning, BoneCountsThatDisagreeDrawNothingAndAreLoggedOnce)
{
    int32_t model = ThreeBones({MakeDrawAnimation(4, 4, SkinningPose)});
    for (int frame = 0; frame < 3; ++frame)
        EXPECT_TRUE(Queue(model, 0, 1.0f).empty());
    EXPECT_EQ(CountLinesHolding(debug, "Number of bones mismatch: model - Models/three.mdl"), 1);

    DrawSubMesh far = DrawTriangleOn(1, 0);
    far.vertices[2].weights[0].bone = 5;
    int32_t beyond = LoadDrawModel("beyond", skeleton, MakeDrawMesh({far}), skin, {MakeDrawAnimation(2, 3, SkinningPose)});
    for (int frame = 0; frame < 2; ++frame)
        EXPECT_TRUE(Queue(beyond, 0, 0.0f).empty());
    EXPECT_EQ(CountLinesHolding(debug, "weights bones past its skeleton"), 1);
}

TEST_F(ModelSkinning, DrawModelOffDrawsNoMeshAndABadAnimationNothing)
{
    int32_t model = ThreeBones({MakeDrawAnimation(4, 3, SkinningPose)});
    gUserVarSystem->SetStringByName("drawModel", "0");
    EXPECT_TRUE(Queue(model, 0, 1.0f).empty());
    EXPECT_EQ(view->GetModelRenderer().GetPosesComputed(), 1);
    gUserVarSystem->SetStringByName("drawModel", "1");
    gUserVarSystem->SetStringByName("r_CullModels", "0");
    EXPECT_TRUE(Queue(model, -1, 1.0f).empty());
    EXPECT_TRUE(Queue(model, 9, 1.0f).empty());
    EXPECT_EQ(Queue(model, 0, std::nanf("")).size(), 9u);
}
