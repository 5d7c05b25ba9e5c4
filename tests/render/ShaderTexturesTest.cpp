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

TEST_F(ShaderTexturesTest, AShadersFirstTextureIsFound)
{
    ResourceHandle& handle = LoadShader("Textures/tile.tga", TextureUsage::Plain);
    ASSERT_NE(ShaderTextures::GetShader(handle), nullptr);
    ASSERT_NE(ShaderTextures::GetShaderTexture(handle), nullptr);
}

TEST_F(ShaderTexturesTest, NoShaderHasNoTexture)
{
    EXPECT_EQ(ShaderTextures::GetShader(-1), nullptr);
    EXPECT_EQ(ShaderTextures::GetShaderTexture(-1), nullptr);
}

} // namespace
