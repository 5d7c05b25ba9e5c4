// StageDrawerGLTest -- batches drawn on a real context and read back: two stages blended into one colour, a blended ground whose faded-out triangles are left out drawn as its stages one by one draw it, and a user-interface quad landing on its pixels at two window sizes.
#include "render/BlendedTileRenderSurface.h"
#include "render/GLWorld.h"

#include "resources/shaders/ScreenPrimitives.h"
#include "resources/shaders/Shader.h"
#include "resources/shaders/ShaderBatch.h"
#include "resources/shaders/ShaderLookup.h"
#include "world/LevelData.h"

#include <algorithm>
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

    // The whole 640 x 480 space as two triangles with the fixture's shader, every vertex on a
    // texel's centre: the stages clamp, and a clamped edge would blend in the border.
    DeviceBatch WholeScreenBatch()
    {
        DeviceBatch batch;
        batch.shader = &shader;
        const float corners[4][2] = {{0, 0}, {640, 0}, {640, 480}, {0, 480}};
        for (const auto& corner : corners) {
            DeviceVertex vertex;
            vertex.position[0] = corner[0];
            vertex.position[1] = corner[1];
            vertex.texCoord[0] = vertex.texCoord[1] = 0.5f;
            batch.vertices.push_back(vertex);
        }
        batch.indexes = {0, 1, 2, 0, 2, 3};
        return batch;
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

    DeviceBatch batch = WholeScreenBatch();
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

// A ground of four by three tiles, each 160 units square, in three layers of plain colours: the
// first opaque, the others faded in by their corner alphas (up-left, up-right, down-right,
// down-left) as the level's blend records fade them.
class BlendedGroundGLTest : public StageDrawerGLTest {
protected:
    static constexpr int kTiles = 12;
    using Corners = std::array<uint8_t, 4>;

    BlendedGroundGLTest()
    {
        // A quad's triangles share its up-left and down-right corners: alpha at up-right or
        // down-left alone fades one triangle in, and no alpha at all fades neither.
        const Corners second[kTiles] = {{0, 128, 0, 0},  {0, 0, 0, 200},   {0, 0, 0, 0},     {64, 0, 64, 0},
                                        {0, 255, 0, 90}, {191, 64, 0, 0}, {0, 0, 128, 128}, {0, 0, 0, 0},
                                        {85, 0, 0, 0},   {0, 64, 0, 0},   {128, 128, 128, 128}, {0, 0, 0, 30}};
        const Corners third[kTiles] = {{0, 0, 0, 64},    {0, 0, 0, 0},    {0, 170, 0, 0},   {0, 0, 0, 0},
                                       {0, 0, 0, 0},     {0, 0, 0, 255},  {64, 0, 0, 0},    {0, 0, 0, 0},
                                       {0, 128, 0, 128}, {0, 0, 0, 0},    {0, 64, 0, 0},    {0, 0, 0, 0}};
        for (int tile = 0; tile < kTiles; ++tile)
            layers[tile] = {Corners{255, 255, 255, 255}, second[tile], third[tile]};
    }

    // The shader of the layers from first to last, as blended tiles build it.
    static void BuildLayers(Shader& built, int first, int last)
    {
        const Color colours[3] = {Color{0.8f, 0.3f, 0.1f}, Color{0.1f, 0.9f, 0.2f}, Color{0.2f, 0.3f, 1.0f}};
        built.cullEnabled = false;
        for (int layer = first; layer <= last; ++layer) {
            auto stage = std::make_unique<ShaderStage>();
            stage->colorGen = ColorGen::Constant;
            stage->constantColor = colours[layer];
            stage->alphaGen = layer == 0 ? AlphaGen::Identity : AlphaGen::StageGenerated;
            stage->blendEnabled = layer > 0;
            stage->srcBlend = GL_SRC_ALPHA;
            stage->dstBlend = GL_ONE_MINUS_SRC_ALPHA;
            stage->colorArrayKind = ChooseColorArrayKind(stage->colorGen, stage->alphaGen);
            built.stages.push_back(std::move(stage));
        }
    }

    // The ground drawn with the layers first to last as the stages of one shader, on a cleared
    // screen; the pixels read back and the triangle passes it took.
    std::vector<uint8_t> DrawLayers(int first, int last, int64_t& passes)
    {
        Shader drawn;
        BuildLayers(drawn, first, last);
        std::array<LevelTileCell, kTiles> cells;
        ShaderBatch batch(device.get());
        batch.BeginBatch(&drawn);
        for (int tile = 0; tile < kTiles; ++tile) {
            for (int corner = 0; corner < 4; ++corner)
                for (int layer = first; layer <= last; ++layer)
                    cells[tile].corners[corner].push_back(layers[tile][layer][corner]);
            BlendedTileRenderSurface surface;
            surface.cornerA = {static_cast<float>(tile % 4) * 160.0f, static_cast<float>(tile / 4) * 160.0f, 0.0f};
            surface.cornerB = {surface.cornerA[0] + 160.0f, surface.cornerA[1] + 160.0f, 0.0f};
            surface.blend = &cells[tile];
            surface.AddGeometry(batch, false);
        }
        int64_t before = device->GetTrianglePasses();
        batch.FlushBatch();
        passes = device->GetTrianglePasses() - before;
        std::vector<uint8_t> rgba;
        EXPECT_TRUE(device->ReadPixels({0, 0, 64, 48}, rgba));
        return rgba;
    }

    // The largest difference of one channel between two pictures.
    static int LargestDifference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b)
    {
        int largest = a.size() == b.size() ? 0 : 255;
        for (size_t i = 0; i < a.size() && i < b.size(); ++i)
            largest = std::max(largest, std::abs(static_cast<int>(a[i]) - static_cast<int>(b[i])));
        return largest;
    }

    std::array<std::array<Corners, 3>, kTiles> layers;
};

TEST_F(BlendedGroundGLTest, TheTrianglesALayerFadesOutAreLeftOutAndThePictureIsTheLayersDrawnOneByOne)
{
    Open(64, 48);
    Begin2D();
    int64_t passes = 0;
    std::vector<uint8_t> blended = DrawLayers(0, 2, passes);
    int64_t blendedPasses = passes;

    // Each layer as the first stage of its own shader: a first stage that writes depth draws
    // every triangle, faded out or not.
    device->Clear(kClearColorBuffer | kClearDepthBuffer, Color{0.0f, 0.0f, 0.0f}, 1.0f);
    int64_t oneByOnePasses = 0;
    std::vector<uint8_t> oneByOne;
    for (int layer = 0; layer <= 2; ++layer) {
        oneByOne = DrawLayers(layer, layer, passes);
        oneByOnePasses += passes;
    }
    device->Clear(kClearColorBuffer | kClearDepthBuffer, Color{0.0f, 0.0f, 0.0f}, 1.0f);
    std::vector<uint8_t> firstLayer = DrawLayers(0, 0, passes);
    device->ReleaseContext();

    EXPECT_LE(LargestDifference(blended, oneByOne), 1);
    // The later layers show: the comparison is not of two bare first layers.
    EXPECT_GT(LargestDifference(blended, firstLayer), 100);
    EXPECT_EQ(oneByOnePasses, kTiles * 2 * 3);
    // Four tiles fade the second layer out of one triangle and two out of both; the third
    // layer is out of both triangles of six tiles and of one triangle of four.
    EXPECT_EQ(blendedPasses, oneByOnePasses - (4 + 2 * 2) - (6 * 2 + 4));
}

// A model under the cursor is drawn with its light lifted towards white: read back, a dimly lit
// quad comes out brighter hovered than not, through each lit colour; an unlit stage is the same
// either way.
TEST_F(StageDrawerGLTest, AHoveredModelIsLitBrighterThanTheSameModelNotHovered)
{
    Open(64, 48);
    shader.cullEnabled = false;
    shader.testDepth = false;
    const std::vector<uint8_t> white = {255, 255, 255};
    int32_t texture = device->UploadTexture(white.data(), 1, 1, PixelFormat::kRgb, 1);
    struct Case {
        int32_t colorGen;
        bool betterLighting;
        int plain;
        int hovered;
    };
    // A light of 0.2 lifted by 0.35 of the way up: 0.2 + 0.8 x 0.35 = 0.48.
    const Case cases[] = {
        {ColorGen::EntityLight, false, 51, 122},
        {ColorGen::Sphere, true, 51, 122},
        {ColorGen::Identity, false, 255, 255},
    };
    for (const Case& c : cases) {
        shader.stages.clear();
        AddStage(c.colorGen, AlphaGen::Identity);
        StageDrawSettings settings;
        settings.betterLighting = c.betterLighting;
        device->SetDrawSettings(settings);
        for (bool hovered : {false, true}) {
            DeviceBatch batch = WholeScreenBatch();
            batch.stages.resize(1);
            batch.stages[0].stage = shader.stages[0].get();
            batch.stages[0].textureId = texture;
            batch.lighting.hasLightSubject = true;
            batch.lighting.subjectLight = Color{0.2f, 0.2f, 0.2f};
            std::fill(std::begin(batch.lighting.subjectSphere), std::end(batch.lighting.subjectSphere), 0.2f);
            batch.lighting.hovered = hovered;
            Begin2D();
            device->DrawBatch(batch);
            device->ReleaseContext();
            Rgba shown = PixelAt(10, 10);
            int expected = hovered ? c.hovered : c.plain;
            for (int channel = 0; channel < 3; ++channel)
                EXPECT_NEAR(shown[static_cast<size_t>(channel)], expected, 2)
                    << "colour kind " << c.colorGen << (hovered ? " hovered" : " plain") << ", channel " << channel;
        }
    }
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
