// StageDrawerGLTest -- batches drawn on a real context and read back: two stages blended into one colour, and a user-interface quad landing on its pixels at two window sizes.
#include "render/GLWorld.h"

#include "resources/shaders/ScreenPrimitives.h"
#include "resources/shaders/Shader.h"
#include "resources/shaders/ShaderBatch.h"
#include "resources/shaders/ShaderLookup.h"

#include <array>
#include <memory>

namespace {

using Rgba = std::array<uint8_t, 4>;

class StageDrawerGLTest : public GLWorld {
protected:
    Rgba PixelAt(int32_t x, int32_t y)
    {
        std::vector<uint8_t> rgba;
        EXPECT_TRUE(device->ReadPixels({x, y, 1, 1}, rgba));
        return rgba.size() == 4 ? Rgba{rgba[0], rgba[1], rgba[2], rgba[3]} : Rgba{};
    }

    ShaderStage& AddStage(int32_t colorGen, int32_t alphaGen)
    {
        auto stage = std::make_unique<ShaderStage>();
        stage->colorGen = colorGen;
        stage->alphaGen = alphaGen;
        stage->colorArrayKind = ChooseColorArrayKind(colorGen, alphaGen);
        shader.stages.push_back(std::move(stage));
        return *shader.stages.back();
    }

    void Begin2D()
    {
        device->AcquireContext();
        device->SetProjectionMatrix(ScreenPrimitives::UiProjection());
        device->SetModelViewMatrix(ScreenPrimitives::Identity());
        device->Clear(kClearColorBuffer | kClearDepthBuffer, Color{0.0f, 0.0f, 0.0f}, 1.0f);
        device->GetStateCache().ResetState();
    }

    Shader shader;
};

TEST_F(StageDrawerGLTest, TwoStagesAddUpOnTheScreen)
{
    Open(64, 48);
    shader.cullEnabled = false;
    shader.testDepth = false;
    const std::vector<uint8_t> red = {255, 0, 0};
    const std::vector<uint8_t> green = {0, 128, 0};
    int32_t redTexture = device->UploadTexture(red.data(), 1, 1, PixelFormat::kRgb, 1);
    int32_t greenTexture = device->UploadTexture(green.data(), 1, 1, PixelFormat::kRgb, 1);
    AddStage(ColorGen::Identity, AlphaGen::Identity);
    ShaderStage& second = AddStage(ColorGen::Constant, AlphaGen::Identity);
    second.blendEnabled = true;
    second.srcBlend = GL_ONE;
    second.dstBlend = GL_ONE;
    second.constantColor = Color{1.0f, 1.0f, 1.0f};

    DeviceBatch batch;
    batch.shader = &shader;
    const float corners[4][2] = {{0, 0}, {640, 0}, {640, 480}, {0, 480}};
    for (const auto& corner : corners) {
        DeviceVertex vertex;
        vertex.position[0] = corner[0];
        vertex.position[1] = corner[1];
        // The texel's centre: the stages clamp, and a clamped edge would blend in the border.
        vertex.texCoord[0] = vertex.texCoord[1] = 0.5f;
        batch.vertices.push_back(vertex);
    }
    batch.indexes = {0, 1, 2, 0, 2, 3};
    batch.stages.resize(2);
    batch.stages[0].stage = shader.stages[0].get();
    batch.stages[0].textureId = redTexture;
    batch.stages[1].stage = shader.stages[1].get();
    batch.stages[1].textureId = greenTexture;
    Begin2D();
    device->DrawBatch(batch);
    device->ReleaseContext();
    EXPECT_EQ(PixelAt(10, 10), (Rgba{255, 128, 0, 255}));
    EXPECT_EQ(device->GetTrianglePasses(), 4);

    // The second stage's constant colour tints only its own pass.
    second.constantColor = Color{0.0f, 0.0f, 0.0f};
    device->AcquireContext();
    device->DrawBatch(batch);
    device->ReleaseContext();
    EXPECT_EQ(PixelAt(10, 10), (Rgba{255, 0, 0, 255}));
}

class StageDrawerGLSizes : public StageDrawerGLTest, public ::testing::WithParamInterface<std::array<int, 2>> {};

TEST_P(StageDrawerGLSizes, AUserInterfaceQuadLandsOnItsPixels)
{
    const int width = GetParam()[0];
    const int height = GetParam()[1];
    Open(width, height);
    shader.cullEnabled = false;
    shader.testDepth = false;
    AddStage(ColorGen::CodeGenerated, AlphaGen::CodeGenerated);
    ShaderBatch batch(device.get());
    batch.BeginBatch(&shader);
    // The middle quarter of the screen: x 160 .. 480, y 120 .. 360 of 640 x 480.
    ScreenPrimitives::AppendScreenRect(batch, 160.0f, 120.0f, 480.0f, 360.0f, Color{0.0f, 1.0f, 0.0f}, 1.0f);
    Begin2D();
    batch.FlushBatch();
    device->ReleaseContext();
    // Rows counted from the bottom, as the library reads them.
    const int left = width / 4;
    const int right = width * 3 / 4 - 1;
    const int top = height - 1 - height / 4;
    const int bottom = height / 4;
    const Rgba green{0, 255, 0, 255};
    const Rgba black{0, 0, 0, 255};
    EXPECT_EQ(PixelAt(left, top), green);
    EXPECT_EQ(PixelAt(right, bottom), green);
    EXPECT_EQ(PixelAt(left - 1, top), black);
    EXPECT_EQ(PixelAt(right + 1, bottom), black);
    EXPECT_EQ(PixelAt(left, top + 1), black);
    EXPECT_EQ(PixelAt(right, bottom - 1), black);
}

INSTANTIATE_TEST_SUITE_P(WindowSizes, StageDrawerGLSizes,
                         ::testing::Values(std::array<int, 2>{800, 600}, std::array<int, 2>{320, 240}));

} // namespace
