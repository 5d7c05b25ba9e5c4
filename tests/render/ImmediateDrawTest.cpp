// ImmediateDrawTest -- the cooldown sweep's area at every fraction, lines and their stipple through a recording GL, the wire box's edges, planes, boxes, the shadow projection and the camera's matrices.
#include "render/ImmediateDraw.h"
#include "render/RecordingGL.h"

#include "platform/PosixPlatformSystem.h"
#include "render/GLStateCache.h"
#include "support/RecordingGraphicsDevice.h"
#include "resources/shaders/Shader.h"
#include "resources/shaders/ShaderBatch.h"
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

TEST_F(ImmediateDrawLines, AWireBoxIsTwelveEdges)
{
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
    Matrix4 view = ImmediateDraw::ViewMatrix(identity, Vector3{5, 6, 7});
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
    Matrix4 model = ImmediateDraw::ModelMatrix(view, identity, Vector3{1, 0, 0});
    EXPECT_NEAR(Transform(model, Vector3{5, 6, 7}).z, -1.0f, 1e-5f);
}

} // namespace
