// ImmediateDrawTest -- the cooldown sweep's area at every fraction and as the slots draw it, lines and their stipple through a recording GL, the rectangle's sides and the wire box's edges, planes, boxes, the shadow matrix and projection, and the camera's matrices.
#include "render/ImmediateDraw.h"
#include "render/RecordingGL.h"
#include "render/Renderer.h"

#include "platform/PosixPlatformSystem.h"
#include "render/GLStateCache.h"
#include "support/RecordingGraphicsDevice.h"
#include "resources/shaders/Shader.h"
#include "resources/shaders/ShaderBatch.h"
#include "resources/shaders/ShaderWorld.h"
#include "resources/fonts/ScreenText.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using R = RecordingGL;

// The device's context lock needs a platform system.
struct ImmediateDrawPlatform {
    ImmediateDrawPlatform() { gPlatformSystem = &platform; }
    ~ImmediateDrawPlatform() { gPlatformSystem = nullptr; }
    TempFolder folder;
    PosixPlatformSystem platform{(folder.Path() / "User").string()};
};

// The summed area of the batch's triangles.
float SweptArea(const DeviceBatch& batch)
{
    float area = 0.0f;
    for (size_t i = 0; i + 2 < batch.indexes.size(); i += 3) {
        const float* a = batch.vertices[batch.indexes[i]].position;
        const float* b = batch.vertices[batch.indexes[i + 1]].position;
        const float* c = batch.vertices[batch.indexes[i + 2]].position;
        area += std::fabs((b[0] - a[0]) * (c[1] - a[1]) - (c[0] - a[0]) * (b[1] - a[1])) / 2.0f;
    }
    return area;
}

class ImmediateDrawSweep : public ::testing::Test {
protected:
    DeviceBatch Sweep(float fraction)
    {
        device.Clear();
        batch.BeginBatch(&shader);
        ImmediateDraw::AppendPieQuad(batch, 100.0f, 50.0f, 40.0f, 20.0f, Color{1, 1, 1}, 0.5f, fraction);
        batch.FlushBatch();
        std::vector<DeviceBatch> batches = device.GetBatches();
        return batches.empty() ? DeviceBatch() : batches.back();
    }

    ImmediateDrawPlatform platform;
    RecordingGraphicsDevice device;
    Shader shader;
    ShaderBatch batch{&device};
};

TEST_F(ImmediateDrawSweep, TheSweptAreaIsTheFractionOfTheRectangle)
{
    EXPECT_TRUE(Sweep(0.0f).vertices.empty());
    EXPECT_TRUE(Sweep(-0.5f).vertices.empty());
    for (float fraction : {0.05f, 0.125f, 0.3f, 0.5f, 0.7f, 0.9f, 1.0f})
        EXPECT_NEAR(SweptArea(Sweep(fraction)), fraction * 800.0f, 0.01f) << fraction;
    EXPECT_NEAR(SweptArea(Sweep(3.0f)), 800.0f, 0.01f);
}

TEST_F(ImmediateDrawSweep, HalfASweepCoversTheLeftHalfWithTextureFollowingThePositions)
{
    DeviceBatch half = Sweep(0.5f);
    ASSERT_EQ(half.vertices.size(), 9u);
    for (const DeviceVertex& vertex : half.vertices) {
        EXPECT_LE(vertex.position[0], 120.0f);
        EXPECT_FLOAT_EQ(vertex.texCoord[0], (vertex.position[0] - 100.0f) / 40.0f);
        EXPECT_FLOAT_EQ(vertex.texCoord[1], 1.0f - (vertex.position[1] - 50.0f) / 20.0f);
        EXPECT_EQ(vertex.color[3], 128);
    }
    // The sweep ends at the middle of the bottom edge: the last slice's triangle runs centre,
    // start, end, so the order of its corners keeps the sweep's winding.
    ASSERT_EQ(half.indexes.size(), 9u);
    const DeviceVertex& end = half.vertices[half.indexes.back()];
    EXPECT_FLOAT_EQ(end.position[0], 120.0f);
    EXPECT_FLOAT_EQ(end.position[1], 70.0f);
    const DeviceVertex& centre = half.vertices[half.indexes[6]];
    EXPECT_FLOAT_EQ(centre.position[0], 120.0f);
    EXPECT_FLOAT_EQ(centre.position[1], 60.0f);
}

// The slots' sweep as they draw it: through the screen text's batch, in the texture's shader.
class PieQuadOnScreen : public ShaderWorld {
protected:
    PieQuadOnScreen()
    {
        StartShaders();
        gScreenText = &text;
        WriteTarga("Textures/white.tga", 4, 4);
    }
    ~PieQuadOnScreen() override { gScreenText = nullptr; }

    ScreenText text{&device};
};

TEST_F(PieQuadOnScreen, TheSweepIsOneFlushedBatchOfTheTexturesShaderAndNothingWithoutATexture)
{
    ResourceHandle& white = LoadShader("Textures/white.tga", TextureUsage::Overlay);
    ASSERT_NE(GetShader(white), nullptr);
    struct Case {
        int32_t texture;
        float fraction;
        // -1: no batch at all.
        float area;
    };
    const Case cases[] = {
        {-1, 0.5f, -1.0f},
        // A handle that was never loaded holds no texture.
        {white + 4096, 0.5f, -1.0f},
        {white, 0.0f, 0.0f},
        {white, 0.5f, 400.0f},
        {white, 1.0f, 800.0f},
    };
    for (const Case& c : cases) {
        device.Clear();
        Renderer::DrawPieQuad(c.texture, Color{0, 0, 0}, 100.0f, 50.0f, 40.0f, 20.0f, 0.75f, c.fraction);
        std::vector<DeviceBatch> batches = device.GetBatches();
        if (c.area < 0.0f) {
            EXPECT_TRUE(batches.empty()) << c.texture;
            continue;
        }
        float area = 0.0f;
        for (const DeviceBatch& batch : batches) {
            EXPECT_EQ(batch.shader, GetShader(white)) << c.fraction;
            area += SweptArea(batch);
            for (const DeviceVertex& vertex : batch.vertices)
                EXPECT_EQ(vertex.color[3], 191) << c.fraction;
        }
        EXPECT_NEAR(area, c.area, 0.01f) << c.fraction;
    }
    // Half a sweep is the left half of the quad.
    device.Clear();
    Renderer::DrawPieQuad(white, Color{0, 0, 0}, 100.0f, 50.0f, 40.0f, 20.0f, 0.75f, 0.5f);
    for (const DeviceBatch& batch : device.GetBatches())
        for (const DeviceVertex& vertex : batch.vertices)
            EXPECT_LE(vertex.position[0], 120.0f);
}

class ImmediateDrawLines : public ::testing::Test {
protected:
    RecordingGL gl;
    GLStateCache cache{gl};
    ImmediateDraw draw{gl, cache};
};

TEST_F(ImmediateDrawLines, ASolidLineIsNotStippledAndAPatternIsStippledByFour)
{
    draw.SetLineTexture(1030);
    draw.DrawLine(0, 0, 640, 480, 2.0f, Color{1, 0, 0}, 0xFFFF);
    EXPECT_TRUE(gl.Named("LineStipple").empty());
    EXPECT_EQ(gl.Named("PolygonMode"), (std::vector<std::string>{R::Line("PolygonMode", GL_LINE), R::Line("PolygonMode", GL_FILL)}));
    EXPECT_EQ(gl.Count(R::Line("BindTexture", 1030)), 1u);
    EXPECT_EQ(gl.Count(R::Line("TexParameter", GL_TEXTURE_WRAP_S, GL_REPEAT)), 1u);
    EXPECT_EQ(gl.Count(R::Line("LineWidth", 2.0f)), 1u);
    EXPECT_EQ(gl.Count(R::Line("DrawLines", 2)), 1u);
    gl.Clear();
    draw.DrawLine(0, 0, 10, 10, 1.0f, Color{1, 0, 0}, 0xF0F0);
    EXPECT_EQ(gl.Named("LineStipple"), (std::vector<std::string>{R::Line("LineStipple", 4, 0xF0F0u), R::Line("LineStipple", 0, 0u)}));
}

TEST_F(ImmediateDrawLines, AScreenQuadIsTwoTrianglesWithItsTextureWrapAndCachedBlend)
{
    const QuadTexRect texCoords = {0.0f, 0.0f, 4.0f, 2.0f};
    draw.DrawScreenQuad(77, -10.0f, -20.0f, 30.0f, 40.0f, Color{1, 0.5f, 0}, 0.5f, texCoords, GL_REPEAT, GL_DST_COLOR,
                        GL_ZERO);
    EXPECT_EQ(gl.Count(R::Line("BlendFunc", GL_DST_COLOR, GL_ZERO)), 1u);
    EXPECT_EQ(gl.Count(R::Line("BindTexture", 77)), 1u);
    EXPECT_EQ(gl.Count(R::Line("TexParameter", GL_TEXTURE_WRAP_T, GL_REPEAT)), 1u);
    EXPECT_EQ(gl.Count(R::Line("DrawTriangles", 6)), 1u);
    ASSERT_NE(gl.texCoords, nullptr);
    EXPECT_FLOAT_EQ(gl.texCoords[2], 4.0f);
    // The same blend again is not sent again.
    gl.Clear();
    draw.DrawScreenQuad(77, 0, 0, 1, 1, Color{1, 1, 1}, 1.0f, texCoords, GL_REPEAT, GL_DST_COLOR, GL_ZERO);
    EXPECT_TRUE(gl.Named("BlendFunc").empty());
    EXPECT_EQ(gl.Count(R::Line("DrawTriangles", 6)), 1u);
}

TEST(ImmediateDrawGeometry, AnEmittedQuadTakesEachCornersPositionDepthColourAndTexture)
{
    QuadVertices quad;
    const std::array<Color, 4> corners = {Color{1, 0, 0}, Color{0, 1, 0}, Color{0, 0, 1}, Color{1, 1, 1}};
    ImmediateDraw::EmitQuad(quad, Vector3{1, 2, 3}, Vector3{5, 8, 9}, corners, 0.5f, QuadTexRect{0.1f, 0.2f, 0.7f, 0.9f});
    // Triangles (0, 1, 2) and (0, 2, 3) of the corners (a.x, a.y), (b.x, a.y), (b.x, b.y), (a.x, b.y).
    const float expected[6][5] = {{1, 2, 3, 0.1f, 0.2f}, {5, 2, 3, 0.7f, 0.2f}, {5, 8, 9, 0.7f, 0.9f},
                                  {1, 2, 3, 0.1f, 0.2f}, {5, 8, 9, 0.7f, 0.9f}, {1, 8, 9, 0.1f, 0.9f}};
    const int cornerOf[6] = {0, 1, 2, 0, 2, 3};
    for (int v = 0; v < 6; ++v) {
        for (int k = 0; k < 3; ++k)
            EXPECT_FLOAT_EQ(quad.positions[v * 3 + k], expected[v][k]) << v;
        EXPECT_FLOAT_EQ(quad.texCoords[v * 2], expected[v][3]) << v;
        EXPECT_FLOAT_EQ(quad.texCoords[v * 2 + 1], expected[v][4]) << v;
        const Color& color = corners[static_cast<size_t>(cornerOf[v])];
        EXPECT_EQ(quad.colors[v * 4], color.r > 0 ? 255 : 0) << v;
        EXPECT_EQ(quad.colors[v * 4 + 2], color.b > 0 ? 255 : 0) << v;
        EXPECT_EQ(quad.colors[v * 4 + 3], 128) << v;
    }
    // An alpha of one or more is opaque.
    ImmediateDraw::EmitQuad(quad, Vector3{}, Vector3{1, 1, 0}, corners, 3.0f, QuadTexRect{});
    EXPECT_EQ(quad.colors[3], 255);
}

TEST(ImmediateDrawGeometry, AnEmittedQuadPacksEachChannelAsAByteAndANaNAsNothing)
{
    struct Case {
        float channel;
        uint8_t byte;
    };
    // Rounded to the nearest byte, held to 0 .. 255; a NaN channel (a corrupt colour) packs as 0.
    const Case cases[] = {{0.5f, 128}, {0.2f, 51}, {-0.3f, 0}, {4.0f, 255}, {NAN, 0}, {INFINITY, 255}, {-INFINITY, 0}};
    for (const Case& c : cases) {
        QuadVertices quad;
        const Color color{c.channel, c.channel, c.channel};
        ImmediateDraw::EmitQuad(quad, Vector3{}, Vector3{1, 1, 0}, {color, color, color, color}, c.channel,
                                QuadTexRect{});
        for (int k = 0; k < 4; ++k)
            EXPECT_EQ(quad.colors[k], c.byte) << c.channel << " channel " << k;
    }
}

TEST_F(ImmediateDrawLines, ARectangleIsFourSolidLinesRoundItAndAWireBoxTwelveEdges)
{
    draw.DrawRect(10, 20, 30, 60, 3.0f, Color{1, 1, 1});
    EXPECT_TRUE(gl.Named("LineStipple").empty());
    EXPECT_EQ(gl.Count(R::Line("LineWidth", 3.0f)), 4u);
    const std::vector<std::vector<float>> sides = {
        {10, 20, 0, 30, 20, 0}, {30, 20, 0, 30, 60, 0}, {30, 60, 0, 10, 60, 0}, {10, 60, 0, 10, 20, 0}};
    EXPECT_EQ(gl.drawnLines, sides);
    gl.Clear();
    draw.DrawWireBox(Vector3{1, 2, 3}, 0.5f, Color{1, 1, 1});
    EXPECT_EQ(gl.Count(R::Line("DrawLines", 24)), 1u);
}

TEST(ImmediateDrawGeometry, ABoxGrowsToHoldEachPoint)
{
    Box2D box = {5, 5, 5, 5};
    ImmediateDraw::GrowBox2D(2, 9, box);
    ImmediateDraw::GrowBox2D(7, 6, box);
    EXPECT_EQ(box, (Box2D{2, 5, 7, 9}));
}

TEST(ImmediateDrawGeometry, PlanesFromPointsAndVectors)
{
    struct Case {
        Vector3 p0, p1, p2;
        Vector3 normal;
        float distance;
    };
    const Case cases[] = {
        // Counter-clockwise from above: the normal points up.
        {{0, 0, 2}, {3, 0, 2}, {0, 5, 2}, {0, 0, 1}, 2.0f},
        // The other way round: down, and the distance turns with it.
        {{0, 0, 2}, {0, 5, 2}, {3, 0, 2}, {0, 0, -1}, -2.0f},
        // A wall through y = 4: up then along x turns the normal to +y.
        {{0, 4, 0}, {0, 4, 1}, {1, 4, 0}, {0, 1, 0}, 4.0f},
        // Three points on a line make no plane: no normal and no distance, never a NaN.
        {{1, 1, 1}, {2, 2, 2}, {3, 3, 3}, {0, 0, 0}, 0.0f},
    };
    for (const Case& c : cases) {
        Plane plane = ImmediateDraw::PlaneFromPoints(c.p0, c.p1, c.p2);
        EXPECT_NEAR(plane.normal.x, c.normal.x, 1e-6f);
        EXPECT_NEAR(plane.normal.y, c.normal.y, 1e-6f);
        EXPECT_NEAR(plane.normal.z, c.normal.z, 1e-6f);
        EXPECT_NEAR(plane.distance, c.distance, 1e-6f);
        Plane same = ImmediateDraw::PlaneFromVectors(c.p1 - c.p0, c.p2 - c.p0, c.p0);
        EXPECT_EQ(same.distance, plane.distance);
    }
    // The vectors need not be of unit length, and the point need not be a corner.
    Plane tilted = ImmediateDraw::PlaneFromVectors(Vector3{0, 7, 0}, Vector3{3, 0, 0}, Vector3{9, 9, 4});
    EXPECT_FLOAT_EQ(tilted.normal.z, -1.0f);
    EXPECT_FLOAT_EQ(tilted.distance, -4.0f);
}

// A point through a row-vector matrix, divided by its w.
Vector3 Project(const Matrix4& m, const Vector3& v)
{
    float out[4] = {};
    const float in[4] = {v.x, v.y, v.z, 1.0f};
    for (int j = 0; j < 4; ++j)
        for (int i = 0; i < 4; ++i)
            out[j] += in[i] * m.m[i][j];
    return {out[0] / out[3], out[1] / out[3], out[2] / out[3]};
}

TEST(ImmediateDrawGeometry, TheShadowMatrixPutsEveryPointOnThePlaneAsTheLightCastsIt)
{
    const Vector3 light{10, -20, 300};
    const PlaneEquation ground{0.0f, 0.6f, 0.8f, 5.0f};
    Matrix4 shadow = ImmediateDraw::ShadowMatrix(light, ground);
    // dot = 0.6 x -20 + -0.8 x -300 + 5 = 233 with both z turned over; (i, j) is at m[j][i].
    EXPECT_FLOAT_EQ(shadow.m[0][0], 233.0f - 10.0f * 0.0f);
    EXPECT_FLOAT_EQ(shadow.m[1][2], -(-300.0f) * 0.6f);
    EXPECT_FLOAT_EQ(shadow.m[3][3], 233.0f - 5.0f);
    // In the frame it projects in (z turned over), each point lands on the plane, on its line
    // from the light.
    const Vector3 turnedLight{10, -20, -300};
    for (const Vector3& point : {Vector3{1, 2, 3}, Vector3{-7, 0, 40}, Vector3{50, 60, -10}}) {
        Vector3 flat = Project(shadow, point);
        EXPECT_NEAR(0.6f * flat.y - 0.8f * flat.z + 5.0f, 0.0f, 1e-3f);
        Vector3 toPoint = point - turnedLight;
        Vector3 toFlat = flat - turnedLight;
        float t = toFlat.x != 0.0f ? toFlat.x / toPoint.x : toFlat.y / toPoint.y;
        EXPECT_NEAR(toFlat.z, toPoint.z * t, 1e-2f);
    }
}

TEST(ImmediateDrawGeometry, TheRenderersShadowMatrixIsTheImmediateOneAndFlattensOntoItsPlane)
{
    // The ground z = 2 written as (0, 0, 1, -2); the light over (30, 40).
    const Vector3 light{30, 40, 200};
    const PlaneEquation ground{0.0f, 0.0f, 1.0f, -2.0f};
    Matrix4 shadow = Renderer::ShadowMatrix(light, ground);
    Matrix4 immediate = ImmediateDraw::ShadowMatrix(light, ground);
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            EXPECT_FLOAT_EQ(shadow.m[i][j], immediate.m[i][j]) << i << "," << j;
    // dot = -1 x -200 - 2 = 198; the diagonal's z term loses light z x plane c = -200 x -1.
    EXPECT_FLOAT_EQ(shadow.m[2][2], 198.0f - 200.0f);
    // Both z turned over: the plane is z = -2 and the light at z -200 in the frame it projects in.
    for (const Vector3& point : {Vector3{0, 0, -50}, Vector3{30, 40, -100}, Vector3{-5, 7, 10}}) {
        Vector3 flat = Project(shadow, point);
        EXPECT_NEAR(flat.z, -2.0f, 1e-3f);
    }
    // Straight under the light a point falls straight down.
    Vector3 under = Project(shadow, Vector3{30, 40, -100});
    EXPECT_NEAR(under.x, 30.0f, 1e-3f);
    EXPECT_NEAR(under.y, 40.0f, 1e-3f);
}

TEST(ImmediateDrawGeometry, TheShadowProjectionFlattensOntoTheGroundAwayFromTheLightThenAppliesTheView)
{
    // The ground z = 1 through three points, the light 150 up and off to -x, -y.
    const Vector3 p0{0, 0, 1}, p1{64, 0, 1}, p2{0, 64, 1};
    const Vector3 light{-100, -100, 150};
    Matrix4 identity;
    for (int i = 0; i < 4; ++i)
        identity.m[i][i] = 1.0f;
    Matrix4 flat = identity;
    Renderer::SetShadowProjection(flat, p0, p1, p2, light);
    Matrix4 moved = identity;
    moved.m[3][0] = 3.0f;
    moved.m[3][1] = 4.0f;
    Renderer::SetShadowProjection(moved, p0, p1, p2, light);
    struct Case {
        Vector3 point;
        Vector3 shadow;
    };
    const Case cases[] = {
        // On the ground already: it stays.
        {{5, 6, 1}, {5, 6, 1}},
        // Half way up to the light's height: twice as far from the light's foot.
        {{0, 0, 75.5f}, {100, 100, 1}},
        // Straight under the light.
        {{-100, -100, 50}, {-100, -100, 1}},
    };
    for (const Case& c : cases) {
        Vector3 shown = Project(flat, c.point);
        EXPECT_NEAR(shown.x, c.shadow.x, 1e-2f);
        EXPECT_NEAR(shown.y, c.shadow.y, 1e-2f);
        EXPECT_NEAR(shown.z, c.shadow.z, 1e-3f);
        Vector3 viewed = Project(moved, c.point);
        EXPECT_NEAR(viewed.x, shown.x + 3.0f, 1e-2f);
        EXPECT_NEAR(viewed.y, shown.y + 4.0f, 1e-2f);
    }
}

Vector3 Transform(const Matrix4& m, const Vector3& v)
{
    return {v.x * m.m[0][0] + v.y * m.m[1][0] + v.z * m.m[2][0] + m.m[3][0],
            v.x * m.m[0][1] + v.y * m.m[1][1] + v.z * m.m[2][1] + m.m[3][1],
            v.x * m.m[0][2] + v.y * m.m[1][2] + v.z * m.m[2][2] + m.m[3][2]};
}

TEST(ImmediateDrawGeometry, TheAxisConversionHasItsSixteenFloatsInMemoryOrder)
{
    Matrix4 axes = ImmediateDraw::AxisConversion();
    const float expected[16] = {0, 0, -1, 0, -1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 1};
    EXPECT_EQ(std::vector<float>(&axes.m[0][0], &axes.m[0][0] + 16), std::vector<float>(expected, expected + 16));
}

TEST(ImmediateDrawGeometry, TheViewPutsTheCameraAtTheEyeLookingDownMinusZ)
{
    Matrix3 identity;
    identity.m[0][0] = identity.m[1][1] = identity.m[2][2] = 1.0f;
    WorldViewCamera camera;
    camera.rotation = identity;
    camera.position = Vector3{5, 6, 7};
    Renderer::SetViewMatrix(camera);
    const Matrix4& view = camera.modelView;
    Vector3 eye = Transform(view, Vector3{5, 6, 7});
    EXPECT_NEAR(eye.x, 0.0f, 1e-5f);
    EXPECT_NEAR(eye.y, 0.0f, 1e-5f);
    EXPECT_NEAR(eye.z, 0.0f, 1e-5f);
    // World +x is ahead (eye -z), world +z up (eye +y), world +y to the left (eye -x).
    Vector3 ahead = Transform(view, Vector3{6, 6, 7});
    EXPECT_NEAR(ahead.z, -1.0f, 1e-5f);
    EXPECT_NEAR(Transform(view, Vector3{5, 6, 8}).y, 1.0f, 1e-5f);
    EXPECT_NEAR(Transform(view, Vector3{5, 7, 7}).x, -1.0f, 1e-5f);
    // A model at (1, 0, 0) turned by nothing lands one unit further ahead.
    Matrix4 model = Renderer::SetModelMatrix(view, identity, Vector3{1, 0, 0});
    EXPECT_NEAR(Transform(model, Vector3{5, 6, 7}).z, -1.0f, 1e-5f);
    // Turned a quarter to the left, the model's own +x points along world +y: its point (1, 0, 0)
    // at (5, 6, 7) is one unit left of the eye (eye -x).
    Matrix3 quarter;
    quarter.m[0][1] = 1.0f;
    quarter.m[1][0] = -1.0f;
    quarter.m[2][2] = 1.0f;
    Vector3 turned = Transform(Renderer::SetModelMatrix(view, quarter, Vector3{5, 6, 7}), Vector3{1, 0, 0});
    EXPECT_NEAR(turned.x, -1.0f, 1e-5f);
    EXPECT_NEAR(turned.y, 0.0f, 1e-5f);
    EXPECT_NEAR(turned.z, 0.0f, 1e-5f);
}

} // namespace
