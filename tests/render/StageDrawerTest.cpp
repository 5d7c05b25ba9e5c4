// StageDrawerTest -- batches drawn through a recording GL: the passes and their counters, the state sent once, every colour and alpha generator, deformations, texture-coordinate modifiers, filters and the debugging views against hand-computed values.
#include "render/LightingSystem.h"
#include "render/RecordingGL.h"
#include "render/StageDrawer.h"
#include "resources/shaders/Shader.h"
#include "resources/shaders/ShaderLookup.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <memory>

namespace {

using R = RecordingGL;
using Rgba = std::array<uint8_t, 4>;

class StageDrawerTest : public ::testing::Test {
protected:
    StageDrawerTest()
    {
        // Two triangles over four vertices, each with its own colour and a normal along x.
        const float corners[4][3] = {{0, 0, -2}, {1, 0, 3}, {1, 1, -1}, {0, 1, 0}};
        for (int i = 0; i < 4; ++i) {
            DeviceVertex vertex;
            std::copy_n(corners[i], 3, vertex.position);
            vertex.texCoord[0] = 0.25f * static_cast<float>(i);
            vertex.texCoord[1] = 0.5f;
            vertex.color[0] = static_cast<uint8_t>(10 * i);
            vertex.color[1] = 20;
            vertex.color[2] = 30;
            vertex.color[3] = static_cast<uint8_t>(100 + i);
            batch.vertices.push_back(vertex);
            batch.normals.insert(batch.normals.end(), {1.0f, 0.0f, 0.0f});
        }
        batch.indexes = {0, 1, 2, 0, 2, 3};
        batch.shader = &shader;
    }

    ShaderStage& AddStage(int32_t colorGen, int32_t alphaGen = AlphaGen::Identity)
    {
        auto stage = std::make_unique<ShaderStage>();
        stage->colorGen = colorGen;
        stage->alphaGen = alphaGen;
        stage->colorArrayKind = ChooseColorArrayKind(colorGen, alphaGen);
        shader.stages.push_back(std::move(stage));
        ShaderStage& added = *shader.stages.back();
        DeviceStage device;
        device.stage = &added;
        device.textureId = 1024 + static_cast<int32_t>(batch.stages.size());
        batch.stages.push_back(device);
        return added;
    }

    void Draw()
    {
        gl.Clear();
        drawer.Draw(batch, settings);
    }

    Rgba ColorOf(size_t vertex) const
    {
        const std::vector<uint8_t>& colors = drawer.GetColors();
        return {colors[vertex * 4], colors[vertex * 4 + 1], colors[vertex * 4 + 2], colors[vertex * 4 + 3]};
    }

    RecordingGL gl;
    GLStateCache cache{gl};
    StageDrawer drawer{gl, cache};
    Shader shader;
    DeviceBatch batch;
    StageDrawSettings settings;
};

TEST_F(StageDrawerTest, TheColourArrayModeFollowsTheGenerators)
{
    EXPECT_EQ(StageDrawer::ChooseMode(ColorGen::Identity, AlphaGen::Identity, false, false), kStageColorConstant);
    EXPECT_EQ(StageDrawer::ChooseMode(ColorGen::Vertex, AlphaGen::Identity, false, false), kStageColorPerVertex);
    EXPECT_EQ(StageDrawer::ChooseMode(ColorGen::Constant, AlphaGen::Wave, false, false), kStageColorConstantAlpha);
    EXPECT_EQ(StageDrawer::ChooseMode(ColorGen::Constant, AlphaGen::StageGenerated, false, false),
              kStageColorPerVertexAlpha);
    EXPECT_EQ(StageDrawer::ChooseMode(ColorGen::Identity, AlphaGen::Identity, true, false), kStageColorConstantAlpha);
    EXPECT_EQ(StageDrawer::ChooseMode(ColorGen::Sphere, AlphaGen::Identity, false, false), kStageColorConstant);
    EXPECT_EQ(StageDrawer::ChooseMode(ColorGen::Sphere, AlphaGen::Identity, false, true), kStageColorPerVertex);
}

TEST_F(StageDrawerTest, EveryStageDrawsEveryTriangleAndTheCountersAddTrianglesTimesStages)
{
    AddStage(ColorGen::Identity);
    AddStage(ColorGen::Identity);
    AddStage(ColorGen::Identity);
    Draw();
    EXPECT_EQ(gl.Count(R::Line("DrawTriangles", 6)), 3u);
    EXPECT_EQ(drawer.GetTrianglesDrawn(), 2);
    EXPECT_EQ(drawer.GetTrianglePasses(), 6);
    Draw();
    EXPECT_EQ(drawer.GetTrianglePasses(), 12);
    drawer.ResetCounters();
    EXPECT_EQ(drawer.GetTrianglesDrawn(), 0);
}

// A stage's triangles whose three corners it draws at alpha 0: the fixture's triangles are
// (0, 1, 2) and (0, 2, 3), so vertex 1 is the first's alone and vertex 3 the second's.
struct FadedStageCase {
    const char* what;
    std::array<uint8_t, 4> alphas;
    bool blends;
    uint32_t source;
    uint32_t destination;
    float opacity;
    bool writesDepth;
    bool stencil;
    // The faded stage is the batch's only one, not the second over an opaque first.
    bool alone;
    std::vector<uint16_t> drawn;
};

TEST_F(StageDrawerTest, AStageBlendedBySourceAlphaLeavesOutTheTrianglesItDrawsAtAlphaZero)
{
    const std::vector<uint16_t> both = {0, 1, 2, 0, 2, 3};
    const FadedStageCase cases[] = {
        {"alpha at vertex 1 alone", {0, 9, 0, 0}, true, GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, 1.0f, true, false, false, {0, 1, 2}},
        {"alpha at vertex 3 alone", {0, 0, 0, 9}, true, GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, 1.0f, true, false, false, {0, 2, 3}},
        {"alpha at a shared vertex", {0, 0, 1, 0}, true, GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, 1.0f, true, false, false, both},
        {"no alpha anywhere", {0, 0, 0, 0}, true, GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, 1.0f, true, false, false, {}},
        {"added by source alpha", {0, 9, 0, 0}, true, GL_SRC_ALPHA, GL_ONE, 1.0f, true, false, false, {0, 1, 2}},
        {"added whatever its alpha", {0, 0, 0, 0}, true, GL_ONE, GL_ONE, 1.0f, true, false, false, both},
        {"not blended", {0, 0, 0, 0}, false, GL_ONE, GL_ZERO, 1.0f, true, false, false, both},
        {"not blended but on a translucent surface", {0, 0, 0, 0}, false, GL_ONE, GL_ZERO, 0.5f, true, false, false, {}},
        {"under a stencil", {0, 0, 0, 0}, true, GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, 1.0f, true, true, false, both},
        {"first, writing depth", {0, 0, 0, 0}, true, GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, 1.0f, true, false, true, both},
        {"first, writing no depth", {0, 9, 0, 0}, true, GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, 1.0f, false, false, true, {0, 1, 2}},
    };
    for (const FadedStageCase& c : cases) {
        SCOPED_TRACE(c.what);
        shader.stages.clear();
        batch.stages.clear();
        shader.writeDepth = c.writesDepth;
        shader.stencilEnabled = c.stencil;
        shader.stencilFunc = GL_ALWAYS;
        batch.opacity = c.opacity;
        if (!c.alone)
            AddStage(ColorGen::Identity);
        ShaderStage& faded = AddStage(ColorGen::Identity, AlphaGen::StageGenerated);
        faded.blendEnabled = c.blends;
        faded.srcBlend = c.source;
        faded.dstBlend = c.destination;
        for (uint8_t alpha : c.alphas)
            batch.stages.back().colors.insert(batch.stages.back().colors.end(), {255, 255, 255, alpha});
        drawer.ResetCounters();
        Draw();

        std::vector<std::vector<uint16_t>> expected(c.alone ? 0 : 1, both);
        if (!c.drawn.empty())
            expected.push_back(c.drawn);
        EXPECT_EQ(gl.drawnIndexes, expected);
        // Triangle passes count what each stage drew; triangles drawn, the batch's.
        EXPECT_EQ(drawer.GetTrianglePasses(), static_cast<int64_t>((c.alone ? 0 : 2) + c.drawn.size() / 3));
        EXPECT_EQ(drawer.GetTrianglesDrawn(), 2);
    }
}

TEST_F(StageDrawerTest, ARepeatedBatchSendsOnlyTheStageParametersPointersAndDraws)
{
    ShaderStage& stage = AddStage(ColorGen::Constant);
    stage.blendEnabled = true;
    stage.alphaTestEnabled = true;
    stage.alphaTestFunc = GL_GREATER;
    stage.alphaTestRef = 0.5f;
    Draw();
    EXPECT_EQ(gl.Count(R::Line("Enable", GL_BLEND)), 1u);
    Draw();
    for (const std::string& call : gl.calls) {
        bool perDraw = call.rfind("TexParameter", 0) == 0 || call.rfind("EnableClientState", 0) == 0 ||
                       call.rfind("DisableClientState", 0) == 0 || call.rfind("VertexPointer", 0) == 0 ||
                       call.rfind("TexCoordPointer", 0) == 0 || call.rfind("Color3f", 0) == 0 ||
                       call.rfind("DrawTriangles", 0) == 0;
        EXPECT_TRUE(perDraw) << call;
    }
    EXPECT_EQ(gl.Named("TexParameter").size(), 4u);
}

TEST_F(StageDrawerTest, ATranslucentSurfaceBlendsAStageWithoutBlendingAtItsAlpha)
{
    AddStage(ColorGen::Identity);
    batch.opacity = 0.5f;
    Draw();
    EXPECT_EQ(gl.Count(R::Line("Enable", GL_BLEND)), 1u);
    EXPECT_EQ(gl.Count(R::Line("BlendFunc", GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA)), 1u);
    EXPECT_EQ(gl.Count(R::Line("Color4f", 1.0f, 1.0f, 1.0f, 0.5f)), 1u);
    // Opaque again: the stage's own setting (off) is sent.
    batch.opacity = 1.0f;
    Draw();
    EXPECT_EQ(gl.Count(R::Line("Disable", GL_BLEND)), 1u);
    EXPECT_EQ(gl.Count(R::Line("Color3f", 1.0f, 1.0f, 1.0f)), 1u);
}

TEST_F(StageDrawerTest, FiltersFollowTheShaderAndTheFilteringQuality)
{
    AddStage(ColorGen::Identity);
    auto filters = [this] {
        Draw();
        std::vector<std::string> sent = gl.Named("TexParameter");
        return std::vector<std::string>(sent.end() - 2, sent.end());
    };
    auto expected = [](int min, int mag) {
        return std::vector<std::string>{R::Line("TexParameter", GL_TEXTURE_MIN_FILTER, min),
                                        R::Line("TexParameter", GL_TEXTURE_MAG_FILTER, mag)};
    };
    settings.filteringQuality = 0;
    EXPECT_EQ(filters(), expected(GL_LINEAR, GL_LINEAR));
    settings.filteringQuality = 1;
    EXPECT_EQ(filters(), expected(GL_LINEAR_MIPMAP_NEAREST, GL_LINEAR));
    settings.filteringQuality = 2;
    EXPECT_EQ(filters(), expected(GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR));
    shader.useMipMaps = false;
    EXPECT_EQ(filters(), expected(GL_LINEAR, GL_LINEAR));
    shader.useFiltering = false;
    EXPECT_EQ(filters(), expected(GL_NEAREST, GL_NEAREST));
}

TEST_F(StageDrawerTest, WrapModesAndTheTextureOfEachStageAreSent)
{
    ShaderStage& first = AddStage(ColorGen::Identity);
    first.clampU = GL_REPEAT;
    first.clampV = GL_CLAMP;
    AddStage(ColorGen::Identity);
    Draw();
    std::vector<std::string> parameters = gl.Named("TexParameter");
    ASSERT_EQ(parameters.size(), 8u);
    EXPECT_EQ(parameters[0], R::Line("TexParameter", GL_TEXTURE_WRAP_S, GL_REPEAT));
    EXPECT_EQ(parameters[1], R::Line("TexParameter", GL_TEXTURE_WRAP_T, GL_CLAMP));
    EXPECT_EQ(gl.Named("BindTexture"), (std::vector<std::string>{R::Line("BindTexture", 1024), R::Line("BindTexture", 1025)}));
}

TEST_F(StageDrawerTest, TheWritePassesCloseAndReopenTheMasks)
{
    AddStage(ColorGen::Identity);
    batch.writeMask = kWriteMaskNoColor;
    Draw();
    EXPECT_EQ(gl.Count(R::Line("ColorMask", false)), 1u);
    batch.writeMask = 0;
    shader.writeColor = false;
    Draw();
    EXPECT_EQ(gl.Named("ColorMask").size(), 0u);
    shader.writeColor = true;
    Draw();
    EXPECT_EQ(gl.Count(R::Line("ColorMask", true)), 1u);
    batch.writeMask = kWriteMaskNoDepth;
    Draw();
    EXPECT_EQ(gl.Count(R::Line("DepthMask", false)), 1u);
}

TEST_F(StageDrawerTest, DeformationsMoveTheVerticesInTheShadersOrder)
{
    AddStage(ColorGen::Identity);
    DeformVertsEntry minZ;
    minZ.type = DeformVertsType::MinZ;
    minZ.minZ = 0.0f;
    shader.deformVerts.push_back(minZ);
    Draw();
    const std::vector<float>& lifted = drawer.GetPositions();
    ASSERT_EQ(lifted.size(), 12u);
    EXPECT_EQ((std::array<float, 4>{lifted[2], lifted[5], lifted[8], lifted[11]}), (std::array<float, 4>{0, 3, 0, 0}));
    EXPECT_EQ(gl.Count(R::Line("VertexPointer", 3, 0)), 1u);

    // Offset along the normal (x), then the wave: s = (x + y * y + z) * spread + phase + t / 60 * frequency.
    DeformVertsEntry offset;
    offset.type = DeformVertsType::Offset;
    offset.offset = 0.5f;
    DeformVertsEntry wave;
    wave.type = DeformVertsType::Wave;
    wave.waveValue = 0.1f;
    wave.wave = {0.5f, 2.0f, 6.0f, 0.25f};
    shader.deformVerts = {offset, wave};
    batch.vertices[1].position[0] = 0.5f;
    batch.vertices[1].position[1] = 2.0f;
    batch.vertices[1].position[2] = 3.0f;
    settings.runningTime = 30.0f;
    Draw();
    // x = 1 after the offset: s = (1 + 4 + 3) * 0.1 + 0.25 + 3 = 4.05; d = sin(0.1 pi) * 2 + 0.5.
    float expected = 1.0f + (std::sin(0.1f * 3.14159265f) * 2.0f + 0.5f);
    EXPECT_NEAR(drawer.GetPositions()[3], expected, 1e-4f);
    EXPECT_FLOAT_EQ(drawer.GetPositions()[4], 2.0f);
}

TEST_F(StageDrawerTest, TextureCoordinateModifiersApplyInOrder)
{
    ShaderStage& stage = AddStage(ColorGen::Identity);
    UVModEntry scroll;
    scroll.type = UVMod::Scroll;
    scroll.scrollU = 0.5f;
    scroll.scrollV = 2.0f;
    UVModEntry scale;
    scale.type = UVMod::Scale;
    scale.scale = 2.0f;
    UVModEntry offset;
    offset.type = UVMod::Offset;
    offset.offsetU = 0.1f;
    offset.offsetV = 0.2f;
    stage.uvMods = {scroll, scale, offset};
    settings.runningTime = 30.0f;
    Draw();
    // Vertex 1 (0.25, 0.5): scrolled by the fractions of 0.25 and 1.0, doubled, offset.
    const std::vector<float>& uv = drawer.GetModifiedTexCoords();
    EXPECT_NEAR(uv[2], (0.25f + 0.25f) * 2.0f + 0.1f, 1e-6f);
    EXPECT_NEAR(uv[3], (0.5f + 0.0f) * 2.0f + 0.2f, 1e-6f);
    EXPECT_EQ(gl.Count(R::Line("TexCoordPointer", 2, 0)), 1u);
    EXPECT_EQ(gl.texCoords, uv.data());
}

TEST_F(StageDrawerTest, ConstantGeneratorsSendOneColour)
{
    ShaderStage& constant = AddStage(ColorGen::Constant);
    constant.constantColor = Color{0.25f, 0.5f, 0.75f};
    ShaderStage& wave = AddStage(ColorGen::Wave);
    wave.colorWave = {0.25f, 0.0f, 1.0f, 0.0f};
    AddStage(ColorGen::SameAsPreviousStage);
    AddStage(ColorGen::Origin);
    Draw();
    EXPECT_EQ(gl.Named("Color3f"), (std::vector<std::string>{R::Line("Color3f", 0.25f, 0.5f, 0.75f),
                                                             R::Line("Color3f", 0.25f, 0.25f, 0.25f),
                                                             R::Line("Color3f", 0.25f, 0.25f, 0.25f),
                                                             R::Line("Color3f", 1.0f, 1.0f, 1.0f)}));
}

TEST_F(StageDrawerTest, VertexColoursAreTheLightAtEachVertexUnlessUnlit)
{
    LightingSystem lights;
    lights.SetMaxLights(4);
    lights.AddLight(-1, 0.0f, 0.0f, Color{0.5f, 0.25f, 0.0f}, 0.0f, LightingSystem::kGlobalLight);
    settings.lighting = &lights;
    ShaderStage& vertex = AddStage(ColorGen::VertexAndConstant);
    vertex.constantColor = Color{0.5f, 1.0f, 1.0f};
    Draw();
    EXPECT_EQ(ColorOf(2), (Rgba{64, 64, 0, 0}));
    EXPECT_EQ(gl.Count(R::Line("ColorPointer", 3, 4)), 1u);
    batch.lighting.unlit = true;
    vertex.colorGen = ColorGen::Vertex;
    Draw();
    EXPECT_EQ(ColorOf(0), (Rgba{255, 255, 255, 0}));
}

TEST_F(StageDrawerTest, SavedColoursCarryAStagesLightToTheNextStage)
{
    LightingSystem lights;
    lights.SetMaxLights(4);
    lights.AddLight(-1, 0.0f, 0.0f, Color{0.5f, 0.25f, 0.0f}, 0.0f, LightingSystem::kGlobalLight);
    settings.lighting = &lights;
    ShaderStage& first = AddStage(ColorGen::VertexAndConstant);
    first.constantColor = Color{0.0f, 0.0f, 0.0f};
    first.savesColor = true;
    ShaderStage& second = AddStage(ColorGen::SavedAndConstant);
    second.constantColor = Color{1.0f, 0.5f, 1.0f};
    Draw();
    // The light is saved before the first stage's own colour is applied.
    EXPECT_EQ(ColorOf(3), (Rgba{128, 32, 0, 0}));
}

TEST_F(StageDrawerTest, CodeColoursAndTheirAlphaAreDrawnAsTheCallerWroteThem)
{
    AddStage(ColorGen::CodeGenerated, AlphaGen::CodeGenerated);
    Draw();
    EXPECT_EQ(ColorOf(3), (Rgba{30, 20, 30, 103}));
    EXPECT_EQ(gl.Count(R::Line("ColorPointer", 4, 0)), 1u);
}

TEST_F(StageDrawerTest, AlphaGeneratorsScaleByTheSurfacesAlpha)
{
    ShaderStage& stage = AddStage(ColorGen::Identity, AlphaGen::Constant);
    stage.constantAlpha = 0.5f;
    batch.opacity = 0.5f;
    Draw();
    EXPECT_EQ(gl.Count(R::Line("Color4f", 1.0f, 1.0f, 1.0f, 0.25f)), 1u);

    // Per-vertex colours take the alpha byte on every vertex.
    stage.colorGen = ColorGen::Vertex;
    stage.colorArrayKind = ChooseColorArrayKind(stage.colorGen, stage.alphaGen);
    batch.opacity = 1.0f;
    Draw();
    EXPECT_EQ(ColorOf(1), (Rgba{255, 255, 255, 128}));

    // Stage alpha: only the alpha byte of the stage's own colours is read.
    stage.alphaGen = AlphaGen::StageGenerated;
    stage.colorArrayKind = ChooseColorArrayKind(stage.colorGen, stage.alphaGen);
    batch.stages[0].colors = {1, 2, 3, 40, 1, 2, 3, 41, 1, 2, 3, 42, 1, 2, 3, 43};
    Draw();
    EXPECT_EQ(ColorOf(2), (Rgba{255, 255, 255, 42}));
}

TEST_F(StageDrawerTest, EntityLightAndSphereUseTheLightSubject)
{
    AddStage(ColorGen::EntityLight);
    Draw();
    EXPECT_EQ(gl.Count(R::Line("Color3f", 1.0f, 1.0f, 1.0f)), 1u);
    batch.lighting.hasLightSubject = true;
    batch.lighting.subjectLight = Color{0.25f, 0.5f, 0.75f};
    Draw();
    EXPECT_EQ(gl.Count(R::Line("Color3f", 0.25f, 0.5f, 0.75f)), 1u);

    // Sphere with better lighting: each vertex mixes the sides its normal faces.
    shader.stages[0]->colorGen = ColorGen::Sphere;
    const float sides[6][3] = {{0.1f, 0, 0}, {0.2f, 0, 0}, {0.3f, 0, 0}, {0.4f, 0, 0}, {0.5f, 0, 0}, {0.6f, 0, 0}};
    for (int i = 0; i < 6; ++i)
        std::copy_n(sides[i], 3, batch.lighting.subjectSphere + i * 3);
    batch.normals = {1, 0, 0, 0, 1, 0, 0, 0, -1, -0.6f, -0.8f, 0};
    settings.betterLighting = true;
    Draw();
    EXPECT_EQ(ColorOf(0)[0], 77);  // front: 0.3
    EXPECT_EQ(ColorOf(1)[0], 51);  // y > 0: left, 0.2
    EXPECT_EQ(ColorOf(2)[0], 153); // z < 0: bottom, 0.6
    EXPECT_EQ(ColorOf(3)[0], 82);  // 0.6 x back 0.4 + 0.8 x right 0.1 = 0.32
    // Without better lighting: the light at the origin, one colour.
    settings.betterLighting = false;
    Draw();
    EXPECT_EQ(gl.Count(R::Line("Color3f", 1.0f, 1.0f, 1.0f)), 1u);
}

TEST_F(StageDrawerTest, NothingIsDrawnWithoutIndicesOrAShader)
{
    AddStage(ColorGen::Identity);
    batch.indexes.clear();
    Draw();
    EXPECT_TRUE(gl.calls.empty());
    batch.indexes = {0, 1, 2};
    batch.shader = nullptr;
    batch.stages.clear();
    Draw();
    EXPECT_TRUE(gl.calls.empty());
}

TEST_F(StageDrawerTest, CompiledArraysWrapTheStagesAndTheWireframeDrawsLinesWithoutDepth)
{
    gl.hasCompiledArrays = true;
    AddStage(ColorGen::Identity);
    AddStage(ColorGen::Identity);
    cache.SetEnabled(GL_DEPTH_TEST, true);
    shader.testDepth = true;
    settings.showTris = 2;
    Draw();
    std::vector<std::string> calls = gl.calls;
    auto at = [&calls](const std::string& line) { return std::find(calls.begin(), calls.end(), line) - calls.begin(); };
    EXPECT_LT(at(R::Line("LockArrays", 0, 4)), at(R::Line("DrawTriangles", 6)));
    EXPECT_EQ(gl.Count(R::Line("LockArrays", 0, 4)), 2u);
    EXPECT_EQ(gl.Count("UnlockArrays"), 2u);
    EXPECT_EQ(gl.Count(R::Line("Disable", GL_DEPTH_TEST)), 1u);
    EXPECT_EQ(gl.Named("PolygonMode"), (std::vector<std::string>{R::Line("PolygonMode", GL_LINE), R::Line("PolygonMode", GL_FILL)}));
    EXPECT_EQ(gl.Count(R::Line("DrawTriangles", 6)), 3u);
}

TEST_F(StageDrawerTest, TheNormalsViewDrawsOneLinePerVertex)
{
    AddStage(ColorGen::Identity);
    settings.showNormals = 1;
    Draw();
    EXPECT_EQ(gl.Count(R::Line("DrawLines", 8)), 1u);
}

} // namespace
