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

TEST_F(ShaderTexturesTest, ALoadedShaderIsFound)
{
    ResourceHandle& handle = LoadShader("Textures/tile.tga", TextureUsage::Plain);
    ASSERT_NE(ShaderTextures::GetShader(handle), nullptr);
}

TEST_F(ShaderTexturesTest, HandleMinusOneNamesNoShader)
{
    EXPECT_EQ(ShaderTextures::GetShader(-1), nullptr);
}

} // namespace
