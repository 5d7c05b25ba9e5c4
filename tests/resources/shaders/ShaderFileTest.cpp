// ShaderFileTest -- the ".sdr" grammar: blocks, keywords and their values, defaults, messages, file order and reloads.
#include "resources/shaders/ShaderWorld.h"

#include "core/StringUtil.h"

namespace {

class ShaderFileTest : public ShaderWorld {
protected:
    // Parses one text as if it were the only shader file.
    const ShaderDefinition& ParseOne(const std::string& text)
    {
        shaders = std::make_unique<ShaderSystem>();
        gShaderSystem = shaders.get();
        shaders->ParseShaderText(text.data(), text.size());
        EXPECT_GE(shaders->GetDefinitionCount(), 1u);
        return shaders->GetDefinition(0);
    }
};

const char* const kTwoShaders =
    "Effects/glow\n"
    "{\n"
    "    sort Additive\n"
    "    cull None\n"
    "    writeDepth 0\n"
    "    {\n"
    "        texture Effects/glow.tga\n"
    "        blendFunc One One\n"
    "        colorGen Vertex\n"
    "    }\n"
    "}\n"
    "Walls/door\n"
    "{\n"
    "    BlocksSight\n"
    "    { anim 4 door1.tga door2.tga door3.tga }\n"
    "}\n";

TEST_F(ShaderFileTest, OneFileHoldsShadersInLoadOrder)
{
    ParseOne(kTwoShaders);
    ASSERT_EQ(shaders->GetDefinitionCount(), 2u);
    const ShaderDefinition& glow = shaders->GetDefinition(0);
    EXPECT_EQ(glow.name, "Effects/glow");
    EXPECT_EQ(glow.sort, SortType::Additive);
    EXPECT_FALSE(glow.cullEnabled);
    EXPECT_FALSE(glow.writeDepth);
    ASSERT_EQ(glow.stages.size(), 1u);
    const ShaderStageDefinition& stage = *glow.stages[0];
    EXPECT_EQ(stage.textureFile, "Effects/glow.tga");
    EXPECT_TRUE(stage.blendEnabled);
    EXPECT_EQ(stage.srcBlend, GlConstant::kOne);
    EXPECT_EQ(stage.dstBlend, GlConstant::kOne);
    EXPECT_EQ(stage.colorArrayKind, ColorArrayKind::PerVertex);
    EXPECT_EQ(glow.blendGroup, "Effects/glow.sdr");

    const ShaderDefinition& door = shaders->GetDefinition(1);
    EXPECT_TRUE(door.blocksSight);
    ASSERT_EQ(door.stages.size(), 1u);
    EXPECT_FLOAT_EQ(door.stages[0]->animRate, 4.0f);
    EXPECT_EQ(door.stages[0]->animFrames, (std::vector<std::string>{"door1.tga", "door2.tga", "door3.tga"}));
    EXPECT_EQ(shaders->FindDefinition("WALLS/DOOR"), &door);
    EXPECT_EQ(shaders->FindDefinition("Walls/door.sdr"), nullptr);
}

TEST_F(ShaderFileTest, RenderStateKeywords)
{
    // No stages: no group of its own.
    EXPECT_EQ(ParseOne("a { }").blendGroup, "");
    const ShaderDefinition& shader = ParseOne(
        "a {\n CULL NONE\n cull Front\n depthFunc greater\n dontBlend\n useMipMaps 0\n BlocksCollision\n"
        " blendGroup ground\n stencilFunc Equal 1\n stencilOp Replace Incr Invert\n sort AdvancedTransparent\n"
        " { texture x.tga }\n}");
    // "Front" sets the face only: culling stays off.
    EXPECT_FALSE(shader.cullEnabled);
    EXPECT_EQ(shader.cullFace, GlConstant::kFront);
    EXPECT_EQ(shader.depthFunc, GlConstant::kGreater);
    EXPECT_FALSE(shader.blend);
    EXPECT_FALSE(shader.useMipMaps);
    EXPECT_TRUE(shader.blocksCollision);
    EXPECT_EQ(shader.blendGroupHash, HashString("ground"));
    EXPECT_TRUE(shader.stencilEnabled);
    EXPECT_EQ(shader.stencilFunc, GlConstant::kEqual);
    EXPECT_EQ(shader.stencilRef, 1);
    EXPECT_EQ(shader.stencilFail, GlConstant::kReplace);
    EXPECT_EQ(shader.stencilDepthFail, GlConstant::kIncr);
    EXPECT_EQ(shader.stencilPass, GlConstant::kInvert);
    EXPECT_EQ(shader.sort, SortType::AdvancedTransparent);
}

TEST_F(ShaderFileTest, DeformationsAndStageModifiers)
{
    const ShaderDefinition& shader = ParseOne(
        "a {\n deformVerts Wave 2 0.1 0.2 0.3 0.4\n deformVerts Offset 3\n deformVerts MinZ -1\n"
        " {\n colorGen Constant \"1 0.5 0\"\n alphaGen Wave 1 2 3 4\n uvMod Scroll 0.5 -0.25\n uvMod Scale 2\n"
        " uvMod Offset 1 2\n alphaTest GEqual 0.5\n clamp Repeat\n clampV ClampToEdge\n }\n"
        " { colorGen Wave 0.5 1 2\n alphaGen Constant 0.3\n colorGen SphereAndConstant Red }\n}");
    EXPECT_TRUE(shader.hasDeforms);
    ASSERT_EQ(shader.deformVerts.size(), 3u);
    EXPECT_EQ(shader.deformVerts[0].type, DeformVertsType::Wave);
    EXPECT_FLOAT_EQ(shader.deformVerts[0].waveValue, 2.0f);
    EXPECT_EQ(shader.deformVerts[0].wave, (WaveParameters{0.1f, 0.2f, 0.3f, 0.4f}));
    EXPECT_FLOAT_EQ(shader.deformVerts[1].offset, 3.0f);

    ASSERT_EQ(shader.stages.size(), 2u);
    const ShaderStageDefinition& first = *shader.stages[0];
    EXPECT_EQ(first.colorGen, ColorGen::Constant);
    EXPECT_FLOAT_EQ(first.constantColor.g, 0.5f);
    EXPECT_EQ(first.alphaWave, (WaveParameters{1.0f, 2.0f, 3.0f, 4.0f}));
    ASSERT_EQ(first.uvMods.size(), 3u);
    EXPECT_FLOAT_EQ(first.uvMods[0].scrollV, -0.25f);
    EXPECT_FLOAT_EQ(first.uvMods[2].offsetV, 2.0f);
    EXPECT_TRUE(first.alphaTestEnabled);
    EXPECT_EQ(first.clampV, GlConstant::kClampToEdge);
    EXPECT_EQ(first.colorArrayKind, ColorArrayKind::AlphaOnly);

    const ShaderStageDefinition& second = *shader.stages[1];
    // A wave with a number missing reads it as 0.
    EXPECT_EQ(second.colorWave, (WaveParameters{0.5f, 1.0f, 2.0f, 0.0f}));
    EXPECT_EQ(second.colorGen, ColorGen::SphereAndConstant);
    EXPECT_FLOAT_EQ(second.constantColor.r, 1.0f);
    EXPECT_TRUE(shader.usesSphere);
}

TEST_F(ShaderFileTest, ValuesStayOnTheirKeywordsLine)
{
    const ShaderDefinition& shader = ParseOne(
        "a {\n { texture\n anim 2\n f1.tga f2.tga\n blendFunc SrcAlpha\n }\n { clamp\n } }");
    ASSERT_EQ(shader.stages.size(), 2u);
    const ShaderStageDefinition& stage = *shader.stages[0];
    EXPECT_EQ(stage.textureFile, "");
    // The frame names on the next line are passed over as unknown words.
    EXPECT_TRUE(stage.animFrames.empty());
    EXPECT_FLOAT_EQ(stage.animRate, 2.0f);
    EXPECT_TRUE(stage.blendEnabled);
    EXPECT_EQ(stage.srcBlend, GlConstant::kSrcAlpha);
    EXPECT_EQ(stage.dstBlend, GlConstant::kOne);
    EXPECT_EQ(CountLogged("Unknown dest blend"), 1);
    EXPECT_EQ(shader.stages[1]->clampU, GlConstant::kClamp);
    EXPECT_EQ(CountLogged("Unknown Clamp Mode"), 1);
}

TEST_F(ShaderFileTest, UnknownNamesLogAndTakeDefaults)
{
    const ShaderDefinition& shader =
        ParseOne("a {\n sort Sideways\n cull Diagonal\n frobnicate 1 2 3\n { colorGen Glow 1 1 1 }\n}\nb { }");
    EXPECT_EQ(shader.sort, SortType::Opaque);
    EXPECT_TRUE(shader.cullEnabled);
    EXPECT_EQ(shader.stages[0]->colorGen, ColorGen::Identity);
    EXPECT_EQ(CountLogged("Unknown SortType name Sideways"), 1);
    EXPECT_EQ(CountLogged("Unknown cull type Diagonal"), 1);
    EXPECT_EQ(CountLogged("Unknown ColorGen name Glow"), 1);
    // Unknown words are skipped one at a time and the next shader still starts where it should.
    ASSERT_EQ(shaders->GetDefinitionCount(), 2u);
    EXPECT_EQ(shaders->GetDefinition(1).name, "b");
}

TEST_F(ShaderFileTest, EveryCutOfAFileParsesWhatItHolds)
{
    std::string text = std::string(kTwoShaders) + "/* tail */ c { { colorGen Constant Red\n uvMod Scroll 1";
    for (size_t cut = 0; cut <= text.size(); ++cut) {
        std::string part = text.substr(0, cut);
        ShaderSystem system;
        system.ParseShaderText(part.data(), part.size());
        ASSERT_LE(system.GetDefinitionCount(), 3u) << cut;
    }
    // A block left open at the end of the file keeps what was read.
    const ShaderDefinition& open = ParseOne("c { { colorGen Constant Red\n uvMod Scroll 1");
    ASSERT_EQ(open.stages.size(), 1u);
    EXPECT_EQ(open.stages[0]->uvMods.size(), 1u);
}

TEST_F(ShaderFileTest, FilesLoadInListingOrderAndReloadRestartsIndexes)
{
    WriteAsset("Shaders/b.sdr", "Same { sort Shadow }\nOnlyB { }");
    WriteAsset("Shaders/a.sdr", "Same { sort Additive }\nUI/Frame { }\nui/knob { }\nUI/deep/x { }");
    WriteAsset("Shaders/notes.txt", "NotAShader { }");
    StartShaders();
    ASSERT_EQ(shaders->GetDefinitionCount(), 6u);
    EXPECT_EQ(shaders->FindDefinition("same")->sort, SortType::Additive);
    EXPECT_EQ(shaders->FindDefinition("OnlyB")->index, 5);
    EXPECT_EQ(shaders->FindDefinition("NotAShader"), nullptr);
    std::vector<std::string> textures;
    ListShaderTextures("ui", textures);
    EXPECT_EQ(textures, (std::vector<std::string>{"frame.tga", "knob.tga"}));

    WriteAsset("Shaders/a.sdr", "Added { }");
    ASSERT_TRUE(commands.Execute("reloadShaders"));
    ASSERT_EQ(shaders->GetDefinitionCount(), 3u);
    EXPECT_EQ(shaders->FindDefinition("Added")->index, 0);
    EXPECT_EQ(shaders->FindDefinition("same")->sort, SortType::Shadow);
}

// A factor valid only in the other blend slot, an empty name and an unknown action take the default.
TEST(ShaderNameParsers, NamesOutsideTheirTableGiveTheDefault)
{
    EXPECT_EQ(ParseSourceBlend("SrcColor"), GlConstant::kOne);
    EXPECT_EQ(ParseDestBlend("DstColor"), GlConstant::kOne);
    EXPECT_EQ(ParseCompareFunc(""), GlConstant::kLEqual);
    EXPECT_EQ(ParseStencilAction("Wrap"), GlConstant::kKeep);
}

} // namespace
