// ShaderTexturesTest -- a shader's first texture and size through the resource manager, the tiling of quads with and without rounding, and handles that name nothing.
#include "resources/shaders/ShaderWorld.h"

#include "render/ShaderTextures.h"

namespace {

class ShaderTexturesTest : public ShaderWorld {
protected:
    ShaderTexturesTest()
    {
        WriteTarga("Textures/tile.tga", 32, 16);
        StartShaders();
    }
};

TEST_F(ShaderTexturesTest, AShadersFirstTextureGivesItsSizeAndTheTiling)
{
    ResourceHandle& handle = LoadShader("Textures/tile.tga", TextureUsage::Plain);
    ASSERT_NE(ShaderTextures::GetShader(handle), nullptr);
    ASSERT_NE(ShaderTextures::GetShaderTexture(handle), nullptr);
    Tiling size = ShaderTextures::GetShaderTextureSize(handle);
    EXPECT_EQ(size.u, 32.0f);
    EXPECT_EQ(size.v, 16.0f);
    Tiling tiling = ShaderTextures::GetShaderTiling(80.0f, 4.0f, handle, false);
    EXPECT_FLOAT_EQ(tiling.u, 2.5f);
    EXPECT_FLOAT_EQ(tiling.v, 0.25f);
    Tiling rounded = ShaderTextures::GetShaderTiling(80.0f, 4.0f, handle, true);
    EXPECT_FLOAT_EQ(rounded.u, 3.0f);
    EXPECT_FLOAT_EQ(rounded.v, 1.0f);
}

TEST_F(ShaderTexturesTest, NoQuadOrNoTextureTilesNothing)
{
    ResourceHandle& handle = LoadShader("Textures/tile.tga", TextureUsage::Plain);
    Tiling none = ShaderTextures::GetShaderTiling(0.0f, 10.0f, handle, true);
    EXPECT_EQ(none.u, 0.0f);
    EXPECT_EQ(none.v, 0.0f);
    EXPECT_EQ(ShaderTextures::GetShaderTiling(10.0f, -1.0f, handle, true).u, 0.0f);
    EXPECT_EQ(ShaderTextures::GetShader(-1), nullptr);
    EXPECT_EQ(ShaderTextures::GetShaderTexture(-1), nullptr);
    EXPECT_EQ(ShaderTextures::GetShaderTiling(10.0f, 10.0f, -1, true).u, 0.0f);
}

} // namespace
