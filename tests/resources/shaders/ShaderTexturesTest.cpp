// ShaderTexturesTest -- a shader's first texture and size through the resource manager (frame 0 of an animated stage), the tiling of quads with and without rounding, and handles that name nothing.
#include "resources/shaders/ShaderWorld.h"

#include "resources/shaders/ShaderTextures.h"

namespace {

class ShaderTexturesTest : public ShaderWorld {
protected:
    ShaderTexturesTest()
    {
        WriteTarga("Textures/tile.tga", 32, 16);
        WriteTarga("Textures/f0.tga", 8, 4);
        WriteTarga("Textures/f1.tga", 64, 64);
        WriteAsset("Shaders/frames.sdr", "Flicker {\n { anim 50 Textures/f0.tga Textures/f1.tga }\n}\n"
                                         "Bare {\n { blendFunc One One }\n}\n");
        StartShaders();
    }
};

TEST_F(ShaderTexturesTest, AShadersFirstTextureGivesItsSizeAndAnAnimationItsFirstFrame)
{
    ResourceHandle& tile = LoadShader("Textures/tile.tga", TextureUsage::Plain);
    ASSERT_NE(ShaderTextures::GetShader(tile), nullptr);
    ASSERT_NE(ShaderTextures::GetShaderTexture(tile), nullptr);
    ResourceHandle& flicker = LoadShader("Flicker", TextureUsage::Plain);
    ResourceHandle& bare = LoadShader("Bare", TextureUsage::Plain);
    struct Case {
        int32_t handle;
        float width;
        float height;
    };
    // The animation's frame 0 whatever the clock says; a stage without a texture, and no
    // shader, have no size.
    const Case cases[] = {{tile, 32.0f, 16.0f}, {flicker, 8.0f, 4.0f}, {bare, 0.0f, 0.0f}, {-1, 0.0f, 0.0f}};
    for (const Case& c : cases) {
        Tiling size = ShaderTextures::GetShaderTextureSize(c.handle);
        EXPECT_EQ(size.u, c.width) << c.handle;
        EXPECT_EQ(size.v, c.height) << c.handle;
    }
    EXPECT_EQ(ShaderTextures::GetShaderTexture(bare), nullptr);
    EXPECT_EQ(ShaderTextures::GetShaderTexture(-1), nullptr);
}

TEST_F(ShaderTexturesTest, AQuadTilesByItsSizeOverTheTexturesAndRoundedToWholeRepeatsOfAtLeastOne)
{
    ResourceHandle& tile = LoadShader("Textures/tile.tga", TextureUsage::Plain);
    struct Case {
        float width;
        float height;
        int32_t handle;
        bool round;
        float u;
        float v;
    };
    const Case cases[] = {
        {80.0f, 4.0f, tile, false, 2.5f, 0.25f},
        {80.0f, 4.0f, tile, true, 3.0f, 1.0f},
        {48.0f, 40.0f, tile, true, 2.0f, 3.0f},
        // No quad, or no texture: no tiling, rounded or not.
        {0.0f, 10.0f, tile, true, 0.0f, 0.0f},
        {10.0f, -1.0f, tile, false, 0.0f, 0.0f},
        {10.0f, 10.0f, -1, true, 0.0f, 0.0f},
    };
    for (const Case& c : cases) {
        Tiling tiling = ShaderTextures::GetShaderTiling(c.width, c.height, c.handle, c.round);
        EXPECT_FLOAT_EQ(tiling.u, c.u) << c.width << "x" << c.height << " round " << c.round;
        EXPECT_FLOAT_EQ(tiling.v, c.v) << c.width << "x" << c.height << " round " << c.round;
    }
}

} // namespace
