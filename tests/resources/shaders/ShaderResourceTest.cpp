// ShaderResourceTest -- shaders by name and usage: from definitions, generated around textures, blended tiles, animation and reloads.
#include "resources/shaders/ShaderWorld.h"

#include "core/UserVarSystem.h"
#include "resources/shaders/ShaderBatch.h"

namespace {

class ShaderResourceTest : public ShaderWorld {};

struct UsageCase {
    int32_t usage;
    const char* extension;
    bool cull;
    bool testDepth;
    bool writeDepth;
    int32_t sort;
    bool blend;
    int32_t src;
    int32_t dst;
    int32_t clamp;
    int32_t colorGen;
    int32_t alphaGen;
    int32_t colorArrayKind;
};

TEST_F(ShaderResourceTest, GeneratedShadersFollowTheirUsage)
{
    using namespace GlConstant;
    const UsageCase cases[] = {
        {TextureUsage::Plain, "ctx", true, true, true, 0, false, kOne, kOne, kClamp, ColorGen::Identity, AlphaGen::Identity, 2},
        {TextureUsage::TwoSidedVertexColor, "ctx", false, true, true, 0, false, kOne, kOne, kRepeat, ColorGen::Vertex, AlphaGen::Identity, 0},
        {TextureUsage::SphereLit, "ctx", true, true, true, 0, false, kOne, kOne, kRepeat, ColorGen::Sphere, AlphaGen::Identity, 2},
        {TextureUsage::Additive, "ctx", false, true, false, 4, true, kOne, kOne, kClamp, ColorGen::CodeGenerated, AlphaGen::CodeGenerated, 1},
        {TextureUsage::AlphaBlended, "ctx", false, true, false, 2, true, kSrcAlpha, kOneMinusSrcAlpha, kClamp, ColorGen::CodeGenerated, AlphaGen::CodeGenerated, 1},
        {TextureUsage::Overlay, "ctx", false, false, false, 2, true, kSrcAlpha, kOneMinusSrcAlpha, kClampToEdge, ColorGen::CodeGenerated, AlphaGen::CodeGenerated, 1},
        {TextureUsage::OverlayRepeat, "ctx", false, false, false, 2, true, kSrcAlpha, kOneMinusSrcAlpha, kRepeat, ColorGen::CodeGenerated, AlphaGen::CodeGenerated, 1},
        {TextureUsage::OverlayUncompressed, "tga", false, false, false, 2, true, kSrcAlpha, kOneMinusSrcAlpha, kClampToEdge, ColorGen::CodeGenerated, AlphaGen::CodeGenerated, 1},
    };
    WriteAsset("Shaders/one.sdr", "Defined { }");
    StartShaders();
    for (const UsageCase& c : cases) {
        std::string base = "ui/button" + std::to_string(c.usage);
        WriteTarga(base + ".tga", 4, 2);
        Shader* shader = GetShader(LoadShader(base + ".tga", c.usage));
        ASSERT_NE(shader, nullptr) << c.usage;
        EXPECT_EQ(shader->GetName(), base + ".sdr");
        EXPECT_EQ(shader->cullEnabled, c.cull) << c.usage;
        EXPECT_EQ(shader->testDepth, c.testDepth) << c.usage;
        EXPECT_EQ(shader->writeDepth, c.writeDepth) << c.usage;
        EXPECT_EQ(shader->sort, c.sort) << c.usage;
        EXPECT_EQ(shader->blendGroup, base + "." + c.extension);
        // Generated shaders are numbered after the definitions, in build order.
        EXPECT_EQ(shader->index, 1 + c.usage - (c.usage > TextureUsage::BlendedTiles ? 1 : 0));
        ASSERT_EQ(shader->stages.size(), 1u);
        const ShaderStage& stage = *shader->stages[0];
        EXPECT_EQ(TextureName(stage.texture), base + "." + c.extension);
        EXPECT_EQ(stage.blendEnabled, c.blend) << c.usage;
        EXPECT_EQ(stage.srcBlend, c.src) << c.usage;
        EXPECT_EQ(stage.dstBlend, c.dst) << c.usage;
        EXPECT_EQ(stage.clampU, c.clamp) << c.usage;
        EXPECT_EQ(stage.colorGen, c.colorGen) << c.usage;
        EXPECT_EQ(stage.alphaGen, c.alphaGen) << c.usage;
        EXPECT_EQ(stage.colorArrayKind, c.colorArrayKind) << c.usage;
        // The cache file is missing: the Targa of the same name stands in, quietly.
        auto* texture = dynamic_cast<TextureResource*>(manager->Get(stage.texture));
        ASSERT_NE(texture, nullptr);
        EXPECT_FALSE(texture->IsPlaceholder());
    }
    EXPECT_EQ(CountLogged("Couldn't find"), 0);
}

TEST_F(ShaderResourceTest, TextureKindFollowsTheVarAndTheDevice)
{
    StartShaders();
    EXPECT_EQ(ShaderTextureExtension(TextureUsage::Plain), "ctx");
    gUserVarSystem->SetStringByName("compressedTextures", "0");
    shaders->ApplyVars();
    EXPECT_EQ(ShaderTextureExtension(TextureUsage::Overlay), "rtx");
    EXPECT_EQ(ShaderTextureExtension(TextureUsage::OverlayUncompressed), "tga");
    gUserVarSystem->SetStringByName("compressedTextures", "1");
    shaders->ApplyVars();
    RecordingGraphicsDevice plain(false);
    gGraphicsDevice = &plain;
    EXPECT_EQ(ShaderTextureExtension(TextureUsage::Plain), "rtx");
    gGraphicsDevice = &device;
}

TEST_F(ShaderResourceTest, ADefinitionWinsOverTheUsage)
{
    WriteAsset("Shaders/ui.sdr", "UI/Button { sort Shadow\n { texture ui/Button.tga\n }\n {\n anim 1 a.tga b.tga }\n}");
    StartShaders();
    Shader* shader = GetShader(LoadShader("ui/button.tga", TextureUsage::Overlay));
    ASSERT_NE(shader, nullptr);
    EXPECT_EQ(shader->sort, SortType::Shadow);
    EXPECT_TRUE(shader->testDepth);
    EXPECT_EQ(shader->index, 0);
    EXPECT_EQ(shader->blendGroup, "UI/Button.sdr");
    ASSERT_EQ(shader->stages.size(), 2u);
    // Named as the Targa, loaded as its cache.
    EXPECT_EQ(TextureName(shader->stages[0]->texture), "ui/Button.ctx");
    EXPECT_EQ(TextureName(shader->stages[1]->animTextures[1]), "b.ctx");
    // An empty name loads nothing and leaves the handle as it was.
    ResourceHandle& kept = LoadShader("ui/button.tga", TextureUsage::Plain);
    int32_t before = kept;
    LoadTextureByName("", kept, TextureUsage::Plain);
    EXPECT_EQ(kept.GetValue(), before);
}

TEST_F(ShaderResourceTest, AnimationCyclesOverEveryFrame)
{
    // Three frames at one a second show a, b, c, a, b, c: each frame comes round again.
    const size_t expected[] = {0, 1, 2, 0, 1, 2, 0};
    for (int t = 0; t < 7; ++t)
        EXPECT_EQ(ShaderStage::FrameAt(1.0f, static_cast<float>(t), 3), expected[t]) << t;
    EXPECT_EQ(ShaderStage::FrameAt(1.0f, 1.0f, 2), 1u);
    EXPECT_EQ(ShaderStage::FrameAt(1.0f, 2.0f, 2), 0u);
    EXPECT_EQ(ShaderStage::FrameAt(1.0f, 3.0f, 2), 1u);
    EXPECT_EQ(ShaderStage::FrameAt(2.5f, 1.0f, 3), 2u);
    // Before time 0 the frames run backwards through the same cycle.
    EXPECT_EQ(ShaderStage::FrameAt(1.0f, -1.0f, 3), 2u);
    EXPECT_EQ(ShaderStage::FrameAt(1.0f, -0.5f, 3), 2u);
    EXPECT_EQ(ShaderStage::FrameAt(1.0f, 5.0f, 1), 0u);
    EXPECT_EQ(ShaderStage::FrameAt(1e30f, 1e30f, 3), 0u);
    EXPECT_EQ(ShaderStage::FrameAt(1.0f, std::numeric_limits<float>::quiet_NaN(), 3), 0u);

    WriteAsset("Shaders/anim.sdr", "Fire { { anim 1 f0.tga f1.tga f2.tga } }");
    StartShaders();
    Shader* shader = GetShader(LoadShader("Fire", TextureUsage::Plain));
    ASSERT_NE(shader, nullptr);
    const ShaderStage& stage = *shader->stages[0];
    EXPECT_EQ(TextureName(stage.GetCurrentTexture(true, 3.5f)), "f0.ctx");
    EXPECT_EQ(TextureName(stage.GetCurrentTexture(true, 5.0f)), "f2.ctx");
}

TEST_F(ShaderResourceTest, BlendedTilesLayerTheirTilesShaders)
{
    WriteAsset("Shaders/ground.sdr",
               "Ground/grass { { texture ground/grass.tga\n colorGen Constant \"0.5 1 0.5\" } }\n"
               "Ground/dirt { { texture ground/dirt.tga } }\n");
    StartShaders();
    ResourceHandle& grass = LoadShader("Ground/grass", TextureUsage::TwoSidedVertexColor);
    ResourceHandle& dirt = LoadShader("Ground/dirt", TextureUsage::TwoSidedVertexColor);

    ResourceHandle& plain = Hold();
    MakeBlendedTileShaderName({dirt, grass.GetValue() + 1000, -7}, plain);
    EXPECT_EQ(manager->GetName(plain), "BT " + std::to_string(dirt.GetValue()) + " " +
                                           std::to_string(grass.GetValue() + 1000) + " -7.sdr");
    Shader* single = GetShader(plain);
    ASSERT_NE(single, nullptr);
    EXPECT_TRUE(single->isBlendedTiles);
    // Handles that name nothing are passed over without a word.
    ASSERT_EQ(single->stages.size(), 1u);
    EXPECT_EQ(single->stages[0]->colorGen, ColorGen::Vertex);
    EXPECT_EQ(CountLogged("not in the table"), 0);

    ResourceHandle& mixed = Hold();
    MakeBlendedTileShaderName({grass, dirt}, mixed);
    Shader* shader = GetShader(mixed);
    ASSERT_NE(shader, nullptr);
    ASSERT_EQ(shader->stages.size(), 2u);
    const ShaderStage& first = *shader->stages[0];
    const ShaderStage& second = *shader->stages[1];
    EXPECT_EQ(TextureName(first.texture), "ground/grass.ctx");
    EXPECT_EQ(TextureName(second.texture), "ground/dirt.ctx");
    EXPECT_EQ(first.colorGen, ColorGen::VertexAndConstant);
    EXPECT_TRUE(first.savesColor);
    EXPECT_EQ(first.colorArrayKind, ColorArrayKind::PerVertex);
    EXPECT_FALSE(first.blendEnabled);
    EXPECT_EQ(second.colorGen, ColorGen::Saved);
    EXPECT_EQ(second.alphaGen, AlphaGen::StageGenerated);
    EXPECT_TRUE(second.blendEnabled);
    EXPECT_EQ(second.srcBlend, GlConstant::kSrcAlpha);
    EXPECT_EQ(second.colorArrayKind, ColorArrayKind::PerVertexWithAlpha);

    // Only a tile shader that is held and not built yet is built ahead of the blended one.
    std::string name = "BT " + std::to_string(grass.GetValue()) + ".sdr";
    EXPECT_EQ(ShaderPrerequisite(name, TextureUsage::BlendedTiles), -1);
    BlockLoader();
    ResourceHandle& fresh = Hold();
    manager->Load("Ground/later.sdr", fresh, 0);
    std::string waiting = "BT " + std::to_string(grass.GetValue()) + " " + std::to_string(fresh.GetValue()) + ".sdr";
    EXPECT_EQ(ShaderPrerequisite(waiting, TextureUsage::BlendedTiles), fresh.GetValue());
    EXPECT_EQ(ShaderPrerequisite(waiting, TextureUsage::Plain), -1);
    EXPECT_EQ(ShaderPrerequisite("BT -1 " + std::to_string(fresh.GetValue()), TextureUsage::BlendedTiles), -1);
}

// A dot in the file name once gave the shader the extension "frame.sdr", which no type
// reads, and the first draw ended the program with "Critical file ... not found!".
TEST_F(ShaderResourceTest, DotsInTextureNamesKeepTheirShaderAndTexture)
{
    WriteAsset("Shaders/ui.sdr", "Textures/ui.frame { sort Transparent { texture textures/ui.frame.border.tga } }");
    WriteTarga("textures/ui.frame.border.tga", 8, 4);
    WriteTarga("old.maps/v1.2.tga", 2, 16);
    StartShaders();
    ResourceHandle& defined = Hold();
    LoadTextureByName("Textures/ui.frame.tga", defined, TextureUsage::Overlay);
    EXPECT_EQ(manager->GetName(defined), "Textures/ui.frame.sdr");
    ResourceHandle& generated = Hold();
    LoadTextureByName("old.maps/v1.2.tga", generated, TextureUsage::Overlay);

    Shader* definedShader = GetShader(defined);
    ASSERT_NE(definedShader, nullptr);
    EXPECT_EQ(definedShader->sort, SortType::Transparent);
    const ResourceHandle& border = definedShader->stages[0]->texture;
    EXPECT_EQ(TextureName(border), "textures/ui.frame.border.ctx");
    auto* borderTexture = dynamic_cast<TextureResource*>(manager->Get(border));
    ASSERT_NE(borderTexture, nullptr);
    EXPECT_EQ(borderTexture->GetWidth(), 8);

    Shader* generatedShader = GetShader(generated);
    ASSERT_NE(generatedShader, nullptr);
    auto* mapTexture = dynamic_cast<TextureResource*>(manager->Get(generatedShader->stages[0]->texture));
    ASSERT_NE(mapTexture, nullptr);
    EXPECT_EQ(mapTexture->GetHeight(), 16);
    EXPECT_EQ(CountLogged("Couldn't find"), 0);
}

TEST_F(ShaderResourceTest, ShadersWiderThanABatchAreRefusedByName)
{
    std::string stages;
    for (int i = 0; i <= ShaderBatch::kMaxStages; ++i)
        stages += "{ texture layer" + std::to_string(i) + ".tga }\n";
    WriteAsset("Shaders/wide.sdr", "Wide/nine {\n" + stages + "}\nWide/eight {\n" + stages.substr(stages.find('\n') + 1) + "}");
    StartShaders();
    EXPECT_EQ(manager->Get(LoadShader("Wide/nine", TextureUsage::Plain)), nullptr);
    EXPECT_EQ(CountLogged("Shader Wide/nine.sdr has 9 stages, more than the 8 a draw batch holds: refused"), 1);
    Shader* eight = GetShader(LoadShader("Wide/eight", TextureUsage::Plain));
    ASSERT_NE(eight, nullptr);
    EXPECT_EQ(eight->stages.size(), 8u);
}

TEST_F(ShaderResourceTest, ReloadRebuildsLoadedShadersUnderTheirHandles)
{
    WriteAsset("Shaders/a.sdr", "Ground/grass { sort Shadow { texture ground/grass.tga colorGen Constant Red } }");
    StartShaders();
    ResourceHandle& grass = LoadShader("Ground/grass", TextureUsage::Plain);
    ResourceHandle& tiles = Hold();
    MakeBlendedTileShaderName({grass}, tiles);
    ASSERT_EQ(GetShader(tiles)->stages[0]->colorGen, ColorGen::VertexAndConstant);
    ResourceHandle& generated = LoadShader("loose.tga", TextureUsage::Plain);
    ASSERT_EQ(GetShader(tiles)->index, 1);
    ASSERT_EQ(GetShader(generated)->index, 2);

    WriteAsset("Shaders/a.sdr", "Extra { }\nGround/grass { sort Additive { texture ground/moss.tga } }");
    ASSERT_TRUE(commands.Execute("reloadShaders"));
    Shader* rebuilt = GetShader(grass);
    ASSERT_NE(rebuilt, nullptr);
    EXPECT_EQ(rebuilt->sort, SortType::Additive);
    EXPECT_EQ(rebuilt->index, 1);
    EXPECT_EQ(TextureName(rebuilt->stages[0]->texture), "ground/moss.ctx");
    // Blended tiles are rebuilt after their tile shaders, from the new textures.
    Shader* blended = GetShader(tiles);
    ASSERT_NE(blended, nullptr);
    EXPECT_EQ(TextureName(blended->stages[0]->texture), "ground/moss.ctx");
    EXPECT_EQ(blended->stages[0]->colorGen, ColorGen::Vertex);
    // Generated shaders are made again and numbered after the new definitions, the blended
    // tiles last.
    EXPECT_EQ(GetShader(generated)->index, 2);
    EXPECT_EQ(blended->index, 3);
}

TEST_F(ShaderResourceTest, ColourArraysFollowTheGenerators)
{
    StartShaders();
    EXPECT_EQ(ChooseColorArrayKind(ColorGen::Identity, AlphaGen::Identity), ColorArrayKind::None);
    EXPECT_EQ(ChooseColorArrayKind(ColorGen::Saved, AlphaGen::Identity), ColorArrayKind::PerVertex);
    EXPECT_EQ(ChooseColorArrayKind(ColorGen::Constant, AlphaGen::Wave), ColorArrayKind::AlphaOnly);
    EXPECT_EQ(ChooseColorArrayKind(ColorGen::Constant, AlphaGen::StageGenerated), ColorArrayKind::PerVertexWithAlpha);
    EXPECT_EQ(ChooseColorArrayKind(ColorGen::Sphere, AlphaGen::Identity), ColorArrayKind::None);
    gUserVarSystem->SetStringByName("r_betterLighting", "1");
    shaders->ApplyVars();
    EXPECT_EQ(ChooseColorArrayKind(ColorGen::SphereAndConstant, AlphaGen::Identity), ColorArrayKind::PerVertex);
    EXPECT_EQ(ChooseColorArrayKind(ColorGen::Sphere, AlphaGen::Constant), ColorArrayKind::PerVertexWithAlpha);
}

} // namespace
