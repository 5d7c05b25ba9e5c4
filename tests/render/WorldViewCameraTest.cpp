// WorldViewCameraTest -- the world camera's projection at each size and zoom, its eye and rotation, positions taken into its level, and what its four view planes keep: the widened width, touching spheres, the cull switches and model bounds.
#include "render/ModelDrawWorld.h"

#include "core/UserVarSystem.h"
#include "render/Camera.h"
#include "render/Renderer.h"
#include "world/World.h"

#include <cmath>

namespace {

BonePose CameraRestPose(int32_t, int32_t)
{
    return {{0, 0, 0, 1}, {0, 0, 0}};
}

Vector3 CameraRow(const Matrix3& m, int row)
{
    return {m.m[row][0], m.m[row][1], m.m[row][2]};
}

// (x, y, z, 1) x M.
std::array<float, 4> CameraTransform(const Vector3& p, const Matrix4& m)
{
    std::array<float, 4> out{};
    for (int j = 0; j < 4; ++j)
        out[j] = p.x * m.m[0][j] + p.y * m.m[1][j] + p.z * m.m[2][j] + m.m[3][j];
    return out;
}

class WorldCamera : public ModelDrawWorld {};

// Level 0 with level 1 beside it to the east, level 2 on its own.
class CameraLevels : public ModelDrawWorld {
protected:
    static constexpr float kWidth = 256.0f;
    static constexpr float kHeight = 512.0f;

    CameraLevels()
    {
        world.SetLevelSize(kWidth, kHeight);
        for (int32_t column : {0, 1, 5}) {
            auto level = std::make_unique<Level>();
            level->column = column;
            world.AddLevel(std::move(level));
        }
        world.GetLevel(0)->neighbours[static_cast<size_t>(DirectionOfLevelStep({1, 0}))] = 1;
        world.GetLevel(1)->neighbours[static_cast<size_t>(DirectionOfLevelStep({-1, 0}))] = 0;
        gWorld = &world;
    }
    ~CameraLevels() override { gWorld = nullptr; }

    World world;
};

class ViewCulling : public ModelDrawWorld {
protected:
    int32_t Stone(const std::string& extra = "")
    {
        return LoadDrawModel("stone" + std::to_string(++stones), MakeDrawSkeleton({-1}),
                             MakeDrawMesh({DrawTriangleOn(1, 0)}), "dir Skins\nsurface 1 solid\n",
                             {MakeDrawAnimation(2, 1, CameraRestPose)}, extra);
    }

    // A point on the screen's left edge line, this far past it.
    Vector3 PastLeftEdge(float halfWidth, float beyond) const
    {
        Vector3 left = CameraRow(view->GetCamera().rotation, 1);
        return left * (halfWidth + beyond);
    }

    int stones = 0;
};

} // namespace

TEST_F(WorldCamera, TheProjectionIsTheZoomedBoxWidenedOnlyPastOnePointFour)
{
    view->SetViewSize(800, 600);
    view->BeginWorldView(WorldPos{}, 1.0f, true);
    Matrix4 projection = device.GetFrameState().projections.back();
    EXPECT_NEAR(1.0f / projection.m[0][0], 320.0f, 1e-3f);
    EXPECT_NEAR(1.0f / projection.m[1][1], 240.0f, 1e-3f);
    EXPECT_EQ(device.GetFrameState().clears.size(), 1u);

    view->SetViewSize(1280, 720);
    view->BeginWorldView(WorldPos{}, 2.0f, false);
    projection = device.GetFrameState().projections.back();
    EXPECT_NEAR(1.0f / projection.m[0][0], 320.0f * 2.0f * (1280.0f / 720.0f) / (4.0f / 3.0f), 1e-2f);
    EXPECT_NEAR(1.0f / projection.m[1][1], 480.0f, 1e-3f);
    EXPECT_EQ(device.GetFrameState().clears.size(), 1u);
    EXPECT_FLOAT_EQ(view->GetZoom(), 2.0f);

    // 1.33 to 1.4 is not widened.
    view->SetViewSize(1400, 1000);
    EXPECT_FLOAT_EQ(view->GetWidening(), 1.0f);
}

TEST_F(WorldCamera, TheEyeLooksDownAtThePointFromAThousandUnitsBack)
{
    view->SetViewSize(800, 600);
    WorldPos target;
    target.x = 100.0f;
    target.y = 50.0f;
    view->BeginWorldView(target, 1.0f, false);
    const auto& camera = view->GetCamera();
    std::array<float, 4> eye = CameraTransform({100.0f, 50.0f, 0.0f}, camera.modelView);
    EXPECT_NEAR(eye[0], 0.0f, 1e-2f);
    EXPECT_NEAR(eye[1], 0.0f, 1e-2f);
    EXPECT_NEAR(eye[2], -1000.0f, 0.1f);
    // A point further along +x (down and to the right on the screen) is right of the centre.
    std::array<float, 4> right = CameraTransform({110.0f, 50.0f, 0.0f}, camera.modelView);
    EXPECT_GT(right[0], 0.0f);
    EXPECT_NEAR(camera.ratio, std::sqrt(2.0f), 1e-3f);

    gUserVarSystem->SetStringByName("r_overheadView", "1");
    view->BeginWorldView(target, 1.0f, false);
    EXPECT_NEAR(view->GetCamera().position.z, 999.9f, 1e-2f);
    eye = CameraTransform({100.0f, 50.0f, 0.0f}, view->GetCamera().modelView);
    EXPECT_NEAR(eye[2], -1000.0f, 0.1f);
    EXPECT_LT(view->GetCamera().ratio, 0.02f);
}

TEST_F(ViewCulling, TheSidesFollowTheWidenedBoxAndATouchingSphereIsKept)
{
    LookAtOrigin();
    Vector3 centre = PastLeftEdge(320.0f, 5.0f);
    EXPECT_FALSE(view->IsSphereOutsideView(centre, 5.0f));
    EXPECT_TRUE(view->IsSphereOutsideView(centre, 4.9f));
    Vector3 up = CameraRow(view->GetCamera().rotation, 2);
    EXPECT_FALSE(view->IsSphereOutsideView(up * -245.0f, 5.0f));
    EXPECT_TRUE(view->IsSphereOutsideView(up * -245.0f, 4.9f));

    // At 1280 x 720 the sides move out to 426.7; the top and bottom stay.
    view->SetViewSize(1280, 720);
    view->BeginWorldView(WorldPos{}, 1.0f, false);
    EXPECT_FALSE(view->IsSphereOutsideView(PastLeftEdge(320.0f, 100.0f), 0.0f));
    EXPECT_TRUE(view->IsSphereOutsideView(PastLeftEdge(426.7f, 1.0f), 0.0f));
    EXPECT_TRUE(view->IsSphereOutsideView(up * 241.0f, 0.0f));
}

TEST_F(ViewCulling, TilesAndModelsAreCulledUnlessSwitchedOff)
{
    LookAtOrigin();
    Vector3 far = PastLeftEdge(320.0f, 100.0f);
    std::array<float, 3> a = {far.x - 1.0f, far.y - 1.0f, 0.0f};
    std::array<float, 3> b = {far.x + 1.0f, far.y + 1.0f, 0.0f};
    EXPECT_TRUE(view->IsTileCulled(a, b));
    EXPECT_FALSE(view->IsTileCulled({-1, -1, 0}, {1, 1, 0}));
    gUserVarSystem->SetStringByName("r_CullTiles", "0");
    EXPECT_FALSE(view->IsTileCulled(a, b));

    const ModelResource* stone = Model(Stone());
    WorldPos3 at;
    at.x = far.x;
    at.y = far.y;
    EXPECT_TRUE(view->IsModelCulled(stone, 0, at, 0.0f, 1.0f));
    EXPECT_FALSE(view->IsModelCulled(stone, 0, WorldPos3{}, 0.0f, 1.0f));
    // Bounds of radius 12 around (0, 0, 8): scaled up they reach back into the view.
    Vector3 near = PastLeftEdge(320.0f, 20.0f);
    at.x = near.x;
    at.y = near.y;
    EXPECT_TRUE(view->IsModelCulled(stone, 0, at, 0.0f, 1.0f));
    EXPECT_FALSE(view->IsModelCulled(stone, 0, at, 0.0f, 3.0f));
    EXPECT_TRUE(view->IsModelCulled(stone, 5, WorldPos3{}, 0.0f, 1.0f));
    EXPECT_TRUE(view->IsModelCulled(nullptr, 0, WorldPos3{}, 0.0f, 1.0f));
    EXPECT_FALSE(view->IsModelCulled(Model(Stone("Cull 0\n")), 5, at, 0.0f, 1.0f));

    gUserVarSystem->SetStringByName("r_CullModels", "0");
    EXPECT_FALSE(view->IsModelCulled(stone, 5, at, 0.0f, 1.0f));
}

TEST_F(ViewCulling, AGroundQuadLiesOneUnitAboveItsPoint)
{
    LookAtOrigin();
    view->BeginFrame();
    WorldPos3 at;
    at.x = 10.0f;
    at.y = 20.0f;
    at.z = 3.0f;
    view->AddGroundQuad(at, 8.0f, Color{1.0f, 0.0f, 0.0f}, 0.5f, LoadShader("Skins/solid", TextureUsage::Plain));
    std::vector<DeviceBatch> batches = DrawFrame();
    ASSERT_EQ(batches.size(), 1u);
    ASSERT_EQ(batches[0].vertices.size(), 4u);
    EXPECT_FLOAT_EQ(batches[0].vertices[0].position[0], 6.0f);
    EXPECT_FLOAT_EQ(batches[0].vertices[0].position[1], 24.0f);
    EXPECT_FLOAT_EQ(batches[0].vertices[0].position[2], 4.0f);
    EXPECT_EQ(batches[0].vertices[0].color[0], 255);
    EXPECT_EQ(batches[0].vertices[0].color[3], 128);
}

TEST_F(WorldCamera, TheWorldProjectionIsTheZoomedWindowWidenedPastOnePointFourOnly)
{
    struct Case {
        int32_t width;
        int32_t height;
        float zoom;
        float halfWidth;
        float halfHeight;
    };
    const Case cases[] = {
        {800, 600, 1.0f, 320.0f, 240.0f},
        {1024, 768, 2.0f, 640.0f, 480.0f},
        // 1.4 : 1 is not yet widened.
        {1400, 1000, 0.5f, 160.0f, 120.0f},
        {1280, 720, 1.0f, 320.0f * (1280.0f / 720.0f) / 1.3333334f, 240.0f},
        {1920, 1080, 2.0f, 640.0f * (1920.0f / 1080.0f) / 1.3333334f, 480.0f},
    };
    for (const Case& c : cases) {
        view->SetViewSize(c.width, c.height);
        size_t before = device.GetFrameState().projections.size();
        Renderer::SetWorldProjection(*view, c.zoom);
        ASSERT_EQ(device.GetFrameState().projections.size(), before + 1) << c.width;
        Matrix4 projection = device.GetFrameState().projections.back();
        // The window's near corner and far corner land on the clip box's opposite corners.
        std::array<float, 4> nearCorner = CameraTransform({c.halfWidth, c.halfHeight, -2.0f}, projection);
        std::array<float, 4> farCorner = CameraTransform({-c.halfWidth, -c.halfHeight, -2048.0f}, projection);
        const float expected[2][3] = {{1.0f, 1.0f, -1.0f}, {-1.0f, -1.0f, 1.0f}};
        for (int axis = 0; axis < 3; ++axis) {
            EXPECT_NEAR(nearCorner[axis], expected[0][axis], 1e-4f) << c.width << " axis " << axis;
            EXPECT_NEAR(farCorner[axis], expected[1][axis], 1e-4f) << c.width << " axis " << axis;
        }
    }
}

TEST_F(WorldCamera, TheCameraRotationIsCopiedRowByRow)
{
    LookAtOrigin();
    float rotation[9] = {};
    view->GetCameraRotation(rotation);
    // The normal eye looks down (-1, 1, -1); the screen's left has no height.
    const float third = 1.0f / std::sqrt(3.0f);
    const float half = 1.0f / std::sqrt(2.0f);
    const float expected[6] = {-third, third, -third, -half, -half, 0.0f};
    for (int i = 0; i < 6; ++i)
        EXPECT_NEAR(rotation[i], expected[i], 1e-4f) << i;
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column)
            EXPECT_FLOAT_EQ(rotation[row * 3 + column], view->GetCamera().rotation.m[row][column]);
}

TEST_F(CameraLevels, PositionsAreTakenIntoTheLevelTheCameraLooksAt)
{
    // The eye stands on level 0, 100 units west of and above a point just inside level 1.
    const WorldPos3 lookAt{1, 10.0f, 20.0f, 0.0f, false};
    const WorldPos3 eye{0, kWidth - 90.0f, 20.0f, 100.0f, false};
    Camera::SetProjection(eye, lookAt, *view, 1.0f);
    EXPECT_FLOAT_EQ(view->GetCamera().position.x, -90.0f);
    EXPECT_FLOAT_EQ(view->GetCamera().position.y, 20.0f);
    EXPECT_NEAR(view->GetCamera().ratio, 1.0f, 1e-5f);
    struct Case {
        WorldPos3 position;
        Vector3 expected;
    };
    const Case cases[] = {
        {{1, 30.0f, 40.0f, 5.0f, false}, {30.0f, 40.0f, 5.0f}},
        {{0, 200.0f, 40.0f, 5.0f, false}, {200.0f - kWidth, 40.0f, 5.0f}},
        // Levels that do not meet lie five levels off, to the east and north.
        {{2, 30.0f, 40.0f, 5.0f, false}, {30.0f + 5.0f * kWidth, 40.0f - 5.0f * kHeight, 5.0f}},
        {{-1, 30.0f, 40.0f, 5.0f, false}, {30.0f + 5.0f * kWidth, 40.0f - 5.0f * kHeight, 5.0f}},
    };
    for (const Case& c : cases) {
        Vector3 here = Renderer::ToCameraLevel(*view, c.position);
        EXPECT_FLOAT_EQ(here.x, c.expected.x) << c.position.level;
        EXPECT_FLOAT_EQ(here.y, c.expected.y) << c.position.level;
        EXPECT_FLOAT_EQ(here.z, c.expected.z) << c.position.level;
    }
}
