// ScreenPrimitivesTest -- the user-interface space's mapping and projection, the writers' corners, texture coordinates and indices after earlier vertices, and the wave.
#include "resources/shaders/ScreenPrimitives.h"

#include "platform/PosixPlatformSystem.h"
#include "support/TempFolder.h"

#include "support/RecordingGraphicsDevice.h"
#include "resources/shaders/Shader.h"
#include "resources/shaders/ShaderBatch.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

Vector3 Project(const Matrix4& m, float x, float y)
{
    return Vector3{x * m.m[0][0] + y * m.m[1][0] + m.m[3][0], x * m.m[0][1] + y * m.m[1][1] + m.m[3][1], 0.0f};
}

// The device's context lock needs a platform system.
struct ScreenPrimitivesPlatform {
    ScreenPrimitivesPlatform() { gPlatformSystem = &platform; }
    ~ScreenPrimitivesPlatform() { gPlatformSystem = nullptr; }
    TempFolder folder;
    PosixPlatformSystem platform{(folder.Path() / "User").string()};
};

class ScreenPrimitivesTest : public ::testing::Test {
protected:
    ScreenPrimitivesTest() { batch.BeginBatch(&shader); }

    DeviceBatch Flushed()
    {
        batch.FlushBatch();
        std::vector<DeviceBatch> batches = device.GetBatches();
        return batches.empty() ? DeviceBatch() : batches.back();
    }

    ScreenPrimitivesPlatform platform;
    RecordingGraphicsDevice device;
    Shader shader;
    ShaderBatch batch{&device};
};

TEST_F(ScreenPrimitivesTest, TheCornersAndCentreMapToTheDevicesSquare)
{
    const float points[3][4] = {{320, 240, 0, 0}, {0, 0, -1, 1}, {640, 480, 1, -1}};
    for (const auto& point : points) {
        Vector3 mapped = ScreenPrimitives::UiToDevice(point[0], point[1]);
        EXPECT_FLOAT_EQ(mapped.x, point[2]);
        EXPECT_FLOAT_EQ(mapped.y, point[3]);
        // The projection maps the same way.
        Vector3 projected = Project(ScreenPrimitives::UiProjection(), point[0], point[1]);
        EXPECT_FLOAT_EQ(projected.x, point[2]);
        EXPECT_FLOAT_EQ(projected.y, point[3]);
    }
}

TEST_F(ScreenPrimitivesTest, AQuadAfterFourVerticesUsesTheIndicesFromFour)
{
    ScreenPrimitives::AppendScreenRect(batch, 0, 0, 10, 10, Color{1, 1, 1}, 1.0f);
    ScreenPrimitives::AppendScreenQuad(batch, 10, 20, 30, 40, Color{1.0f, 0.5f, 0.0f}, 0.25f, 0.1f, 0.2f, 0.3f, 0.4f);
    DeviceBatch drawn = Flushed();
    ASSERT_EQ(drawn.vertices.size(), 8u);
    EXPECT_EQ(std::vector<uint16_t>(drawn.indexes.begin() + 6, drawn.indexes.end()),
              (std::vector<uint16_t>{4, 6, 5, 4, 7, 6}));
    // (A.x, A.y) takes (uA, vB), (B.x, A.y) (uB, vB), (B.x, B.y) (uB, vA), (A.x, B.y) (uA, vA).
    const float expected[4][4] = {{10, 20, 0.1f, 0.4f}, {30, 20, 0.3f, 0.4f}, {30, 40, 0.3f, 0.2f}, {10, 40, 0.1f, 0.2f}};
    for (int i = 0; i < 4; ++i) {
        const DeviceVertex& vertex = drawn.vertices[static_cast<size_t>(4 + i)];
        EXPECT_FLOAT_EQ(vertex.position[0], expected[i][0]);
        EXPECT_FLOAT_EQ(vertex.position[1], expected[i][1]);
        EXPECT_FLOAT_EQ(vertex.texCoord[0], expected[i][2]);
        EXPECT_FLOAT_EQ(vertex.texCoord[1], expected[i][3]);
        EXPECT_EQ(vertex.color[0], 255);
        EXPECT_EQ(vertex.color[1], 128);
        EXPECT_EQ(vertex.color[3], 64);
    }
}

TEST_F(ScreenPrimitivesTest, TrianglesAndSurfaceQuadsKeepTheirRecordsAndWinding)
{
    ScreenVertex corners[3];
    for (int i = 0; i < 3; ++i) {
        corners[i].x = static_cast<float>(i);
        corners[i].u = 0.5f * static_cast<float>(i);
    }
    ScreenPrimitives::AppendScreenTriangle(batch, corners);
    const Vector3 square[4] = {{0, 0, 1}, {1, 0, 1}, {1, 1, 1}, {0, 1, 1}};
    ScreenPrimitives::AppendQuad(batch, square, Color{0, 0, 1}, 1.0f);
    DeviceBatch drawn = Flushed();
    ASSERT_EQ(drawn.vertices.size(), 7u);
    EXPECT_EQ(drawn.indexes, (std::vector<uint16_t>{0, 2, 1, 3, 5, 4, 3, 6, 5}));
    EXPECT_FLOAT_EQ(drawn.vertices[2].texCoord[0], 1.0f);
    const float uv[4][2] = {{0, 1}, {1, 1}, {1, 0}, {0, 0}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_FLOAT_EQ(drawn.vertices[static_cast<size_t>(3 + i)].texCoord[0], uv[i][0]);
        EXPECT_FLOAT_EQ(drawn.vertices[static_cast<size_t>(3 + i)].texCoord[1], uv[i][1]);
        EXPECT_FLOAT_EQ(drawn.vertices[static_cast<size_t>(3 + i)].position[2], 1.0f);
    }
}

TEST_F(ScreenPrimitivesTest, NothingIsAppendedWithoutABatch)
{
    batch.BeginBatch(nullptr);
    ScreenPrimitives::AppendScreenRect(batch, 0, 0, 10, 10, Color{1, 1, 1}, 1.0f);
    batch.FlushBatch();
    EXPECT_TRUE(device.GetBatches().empty());
}

TEST(ScreenPrimitivesWave, TheWaveRunsOnTheClocksMinute)
{
    EXPECT_FLOAT_EQ(ScreenPrimitives::WaveValue({0.75f, 0.0f, 3.0f, 0.5f}, 0.3f, 17.0f), 0.75f);
    // base + amplitude x sin(2 pi (x + phase + frequency x t / 60)): 0.1 + 0.2 + 2 x 15 / 60 = 0.8.
    float expected = 0.5f + 2.0f * std::sin(6.28318530718f * 0.8f);
    EXPECT_NEAR(ScreenPrimitives::WaveValue({0.5f, 2.0f, 2.0f, 0.2f}, 0.1f, 15.0f), expected, 1e-5f);
}

} // namespace
