// ShaderBatchTest -- what a flushed batch hands the device: typed stages with their textures at the batch's time, per-stage colours, surface state and aligned normals.
#include "resources/shaders/ShaderWorld.h"

#include "resources/shaders/ShaderBatch.h"

namespace {

class ShaderBatchTest : public ShaderWorld {
protected:
    ShaderBatchTest()
    {
        WriteAsset("Shaders/batch.sdr", "Fire { useShaderTime 1\n { anim 1 f0.tga f1.tga f2.tga }\n"
                                        " { texture glow.tga\n blendFunc SrcAlpha } }\n");
        for (const char* name : {"f0.tga", "f1.tga", "f2.tga", "glow.tga"})
            WriteTarga(name, 4, 4);
        StartShaders();
        fire = GetShader(LoadShader("Fire", TextureUsage::Plain));
    }

    // A vertex whose colour's red byte is red.
    static DeviceVertex Vertex(uint8_t red)
    {
        DeviceVertex vertex;
        vertex.color[0] = red;
        return vertex;
    }

    void AddTriangle(ShaderBatch& batch, const float* normal)
    {
        uint16_t first = batch.AddVertex(Vertex(1), normal, true);
        batch.AddVertex(Vertex(2), normal, true);
        batch.AddVertex(Vertex(3), normal, true);
        batch.AddTriangle(first, first + 1, first + 2);
    }

    int32_t TextureIdOf(const ResourceHandle& handle)
    {
        return dynamic_cast<TextureResource*>(manager->Get(handle))->GetTextureId();
    }

    Shader* fire = nullptr;
};

constexpr float kShaderBatchTestUp[3] = {0.0f, 0.0f, 1.0f};

TEST_F(ShaderBatchTest, StagesCarryTheirStateAndTheFrameOfTheBatchTime)
{
    ASSERT_NE(fire, nullptr);
    ASSERT_TRUE(fire->useShaderTime);
    ShaderBatch batch(&device);
    batch.BeginBatch(fire);
    batch.SetShaderTime(2.5f);
    AddTriangle(batch, nullptr);
    batch.FlushBatch(3, 4);

    std::vector<DeviceBatch> batches = device.GetBatches();
    ASSERT_EQ(batches.size(), 1u);
    const DeviceBatch& drawn = batches[0];
    EXPECT_EQ(drawn.shader, fire);
    EXPECT_FLOAT_EQ(drawn.shaderTime, 2.5f);
    ASSERT_EQ(drawn.stages.size(), 2u);
    EXPECT_EQ(drawn.stages[0].stage, fire->stages[0].get());
    EXPECT_EQ(drawn.stages[1].stage->srcBlend, GlConstant::kSrcAlpha);
    EXPECT_EQ(drawn.stages[0].textureId, TextureIdOf(fire->stages[0]->animTextures[2]));
    EXPECT_EQ(drawn.stages[1].textureId, TextureIdOf(fire->stages[1]->texture));
    EXPECT_EQ(drawn.flushWords[1], 4u);
    // The textures drawn with record the frame, for the texture-usage line.
    auto* glow = dynamic_cast<TextureResource*>(manager->Get(fire->stages[1]->texture));
    EXPECT_EQ(glow->GetLastUsedFrame(), 0);
    device.AdvanceFrame();
    batch.BeginBatch(fire);
    AddTriangle(batch, nullptr);
    batch.FlushBatch();
    EXPECT_EQ(glow->GetLastUsedFrame(), 1);
    auto* unused = dynamic_cast<TextureResource*>(manager->Get(fire->stages[0]->animTextures[1]));
    EXPECT_EQ(unused->GetLastUsedFrame(), -1);
    EXPECT_EQ((std::pair{drawn.opacity, drawn.writeMask}), (std::pair{1.0f, 0}));
}

TEST_F(ShaderBatchTest, AStageColourArrayStartsFromTheVertexColoursAndFollowsLaterVertices)
{
    ShaderBatch batch(&device);
    batch.BeginBatch(fire);
    AddTriangle(batch, nullptr);
    const uint8_t faded[4] = {9, 9, 9, 0};
    batch.SetStageColor(1, 1, faded);
    // Out of range: nothing.
    batch.SetStageColor(3, 1, faded);
    batch.SetStageColor(0, ShaderBatch::kMaxStages, faded);
    batch.SetStageColor(0, -1, faded);
    AddTriangle(batch, nullptr);
    batch.FlushBatch();

    const DeviceBatch drawn = device.GetBatches().at(0);
    EXPECT_TRUE(drawn.stages[0].colors.empty());
    const std::vector<uint8_t>& colors = drawn.stages[1].colors;
    ASSERT_EQ(colors.size(), 6u * 4u);
    const uint8_t reds[6] = {1, 9, 3, 1, 2, 3};
    for (size_t v = 0; v < 6; ++v)
        EXPECT_EQ(colors[v * 4], reds[v]) << v;
    EXPECT_EQ(colors[4 + 3], 0);
    EXPECT_EQ(colors[8 + 3], 255);

    // The next batch starts without stage colours.
    batch.BeginBatch(fire);
    AddTriangle(batch, nullptr);
    batch.FlushBatch();
    EXPECT_TRUE(device.GetBatches().at(1).stages[1].colors.empty());
}

TEST_F(ShaderBatchTest, NormalsStayOnePerVertexWhenLitAndUnlitVerticesMix)
{
    ShaderBatch batch(&device);
    batch.BeginBatch(fire);
    AddTriangle(batch, nullptr);
    AddTriangle(batch, kShaderBatchTestUp);
    AddTriangle(batch, nullptr);
    batch.FlushBatch();
    const DeviceBatch drawn = device.GetBatches().at(0);
    ASSERT_EQ(drawn.normals.size(), drawn.vertices.size() * 3);
    const float zs[9] = {0, 0, 0, 1, 1, 1, 0, 0, 0};
    for (size_t v = 0; v < 9; ++v)
        EXPECT_EQ(drawn.normals[v * 3 + 2], zs[v]) << v;
}

TEST_F(ShaderBatchTest, ScreenRectanglesAreFourCornersWithTheirTextureCoordinatesAndColour)
{
    struct Case {
        bool textured;
        QuadTexCoords coords;
        float u[4];
        float v[4];
    } cases[] = {
        // AddQuad lays the texture once: u 0 to 1 left to right, v 1 at the top.
        {false, {}, {0, 1, 1, 0}, {1, 1, 0, 0}},
        {true, {0.25f, 0.75f, 2.0f, -1.0f}, {0.25f, 2.0f, 2.0f, 0.25f}, {0.75f, 0.75f, -1.0f, -1.0f}},
    };
    for (const Case& c : cases) {
        ShaderBatch batch(&device);
        // A batch that was never begun takes nothing.
        batch.AddQuad(0, 0, 1, 1, Color{1, 1, 1}, 1.0f);
        batch.BeginBatch(fire);
        AddTriangle(batch, nullptr);
        if (c.textured)
            batch.DrawScreenQuad(10, 20, 110, 70, c.coords, Color{1.0f, 0.5f, -1.0f}, 0.25f);
        else
            batch.AddQuad(10, 20, 110, 70, Color{1.0f, 0.5f, -1.0f}, 0.25f);
        batch.FlushBatch();
        const DeviceBatch drawn = device.GetBatches().back();
        ASSERT_EQ(drawn.vertices.size(), 7u);
        const float xs[4] = {10, 110, 110, 10};
        const float ys[4] = {20, 20, 70, 70};
        for (int corner = 0; corner < 4; ++corner) {
            const DeviceVertex& vertex = drawn.vertices[3 + corner];
            EXPECT_EQ(vertex.position[0], xs[corner]) << corner;
            EXPECT_EQ(vertex.position[1], ys[corner]) << corner;
            EXPECT_EQ(vertex.texCoord[0], c.u[corner]) << corner;
            EXPECT_EQ(vertex.texCoord[1], c.v[corner]) << corner;
            EXPECT_EQ(std::vector<uint8_t>(vertex.color, vertex.color + 4), (std::vector<uint8_t>{255, 128, 0, 64}));
        }
        // After the vertices already there, the two triangles of the screen writers.
        EXPECT_EQ(std::vector<uint16_t>(drawn.indexes.begin() + 3, drawn.indexes.end()),
                  (std::vector<uint16_t>{3, 5, 4, 3, 6, 5}));
    }
}

TEST_F(ShaderBatchTest, AFullBatchGoesOutAndGoesOnWithTheSameSurfaceState)
{
    ShaderBatch batch(&device);
    batch.BeginBatch(fire);
    batch.SetShaderTime(1.0f);
    batch.SetSurfaceState(0.5f, kWriteMaskNoColor);
    for (int i = 0; i < 0x10000 / 4 + 1; ++i) {
        batch.Reserve(4);
        for (int v = 0; v < 4; ++v)
            batch.AddVertex(Vertex(0), nullptr, false);
        batch.AddTriangle(0, 1, 2);
    }
    batch.FlushBatch();
    std::vector<DeviceBatch> batches = device.GetBatches();
    ASSERT_EQ(batches.size(), 2u);
    EXPECT_EQ(batches[0].vertices.size(), 0x10000u);
    EXPECT_EQ(batches[1].vertices.size(), 4u);
    EXPECT_EQ((std::pair{batches[1].opacity, batches[1].writeMask}), (std::pair{0.5f, kWriteMaskNoColor}));
    EXPECT_FLOAT_EQ(batches[1].shaderTime, 1.0f);
}

} // namespace

TEST_F(ShaderBatchTest, AShaderWithMoreStagesThanTheBatchHoldsDrawsOnlyThoseItHolds)
{
    Shader wide;
    for (int i = 0; i < ShaderBatch::kMaxStages + 4; ++i)
        wide.stages.push_back(std::make_unique<ShaderStage>());
    ShaderBatch batch(&device);
    batch.BeginBatch(&wide);
    AddTriangle(batch, nullptr);
    batch.FlushBatch();
    EXPECT_EQ(device.GetBatches().at(0).stages.size(), static_cast<size_t>(ShaderBatch::kMaxStages));
}

TEST_F(ShaderBatchTest, AFullBatchDrawnEarlyKeepsItsLightingForTheRest)
{
    ShaderBatch batch(&device);
    batch.BeginBatch(fire);
    batch.SetUnlit(true);
    const float origin[3] = {1.0f, 2.0f, 3.0f};
    batch.SetPlacement(origin, nullptr);
    float sphere[18] = {};
    sphere[17] = 0.5f;
    batch.SetLightSubject(Color{0.25f, 0.5f, 0.75f}, sphere);
    DeviceVertex vertex;
    for (uint32_t i = 0; i < 0x10000; ++i)
        batch.AddVertex(vertex, nullptr, false);
    batch.AddTriangle(0, 1, 2);
    batch.Reserve(3);
    AddTriangle(batch, nullptr);
    batch.FlushBatch();
    ASSERT_EQ(device.GetBatches().size(), 2u);
    const BatchLighting rest = device.GetBatches().at(1).lighting;
    EXPECT_TRUE(rest.unlit);
    EXPECT_EQ(rest.origin[1], 2.0f);
    EXPECT_FALSE(rest.hasRotation);
    EXPECT_TRUE(rest.hasLightSubject);
    EXPECT_EQ(rest.subjectLight.b, 0.75f);
    EXPECT_EQ(rest.subjectSphere[17], 0.5f);
    // A new batch starts lit, at the origin, with no subject.
    batch.BeginBatch(fire);
    AddTriangle(batch, nullptr);
    batch.FlushBatch();
    EXPECT_FALSE(device.GetBatches().at(2).lighting.unlit);
    EXPECT_FALSE(device.GetBatches().at(2).lighting.hasLightSubject);
}
