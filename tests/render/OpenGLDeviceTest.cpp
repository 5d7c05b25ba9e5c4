// OpenGLDeviceTest -- the OpenGL device on a real context: read-back, uploads from another thread drawn, texture names, level sizes and offsets, filters, sub-updates and the state cache.
#include "render/GLWorld.h"

#include <GL/glext.h>

#include <algorithm>
#include <array>
#include <thread>
#include <vector>

namespace {

class OpenGLDeviceTest : public GLWorld {
protected:
    OpenGLDeviceTest() { Open(); }

    std::vector<uint8_t> LevelPixels(int32_t name, int32_t level, GLenum format, size_t bytes)
    {
        std::vector<uint8_t> pixels(bytes, 0xEE);
        device->AcquireContext();
        glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(name));
        glGetTexImage(GL_TEXTURE_2D, level, format, GL_UNSIGNED_BYTE, pixels.data());
        glBindTexture(GL_TEXTURE_2D, 0);
        device->GetStateCache().Reset();
        device->ReleaseContext();
        return pixels;
    }

    GLint TextureParameter(int32_t name, GLenum parameter)
    {
        GLint value = 0;
        device->AcquireContext();
        glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(name));
        glGetTexParameteriv(GL_TEXTURE_2D, parameter, &value);
        glBindTexture(GL_TEXTURE_2D, 0);
        device->GetStateCache().Reset();
        device->ReleaseContext();
        return value;
    }

    std::array<uint8_t, 4> PixelAt(int32_t x, int32_t y)
    {
        std::vector<uint8_t> rgba;
        EXPECT_TRUE(device->ReadPixels({x, y, 1, 1}, rgba));
        return rgba.size() == 4 ? std::array<uint8_t, 4>{rgba[0], rgba[1], rgba[2], rgba[3]}
                                : std::array<uint8_t, 4>{};
    }
};

TEST_F(OpenGLDeviceTest, AClearedColourReadsBack)
{
    device->AcquireContext();
    device->Clear(kClearColorBuffer | kClearDepthBuffer, Color{0.25f, 0.5f, 1.0f}, 1.0f);
    device->ReleaseContext();
    EXPECT_EQ(PixelAt(3, 5), (std::array<uint8_t, 4>{64, 128, 255, 255}));
    std::vector<uint8_t> rgba;
    ASSERT_TRUE(device->ReadPixels({0, 0, 64, 48}, rgba));
    EXPECT_EQ(rgba.size(), 64u * 48u * 4u);
    EXPECT_EQ(rgba[rgba.size() - 2], 255);
}

TEST_F(OpenGLDeviceTest, ATextureUploadedOnAnotherThreadIsDrawnAndReadBack)
{
    const std::vector<uint8_t> pixel = {10, 200, 30, 255};
    int32_t id = -1;
    std::thread loader([&] { id = device->UploadTexture(pixel.data(), 1, 1, PixelFormat::kRgba, 1); });
    loader.join();
    ASSERT_EQ(id, OpenGLDevice::kFirstTextureName);

    DeviceBatch batch;
    const float corners[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
    for (const auto& corner : corners) {
        DeviceVertex vertex;
        vertex.position[0] = corner[0];
        vertex.position[1] = corner[1];
        vertex.texCoord[0] = corner[0] > 0 ? 1.0f : 0.0f;
        vertex.texCoord[1] = corner[1] > 0 ? 1.0f : 0.0f;
        batch.vertices.push_back(vertex);
    }
    batch.indexes = {0, 1, 2, 0, 2, 3};
    DeviceStage stage;
    stage.textureId = id;
    batch.stages.push_back(stage);
    device->AcquireContext();
    device->SetProjectionMatrix(Matrix4{{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}});
    device->SetModelViewMatrix(Matrix4{{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}});
    device->Clear(kClearColorBuffer | kClearDepthBuffer, Color{0.0f, 0.0f, 0.0f}, 1.0f);
    device->DrawBatch(batch);
    device->ReleaseContext();
    EXPECT_EQ(PixelAt(32, 24), (std::array<uint8_t, 4>{10, 200, 30, 255}));
    EXPECT_EQ(device->GetTrianglesDrawn(), 2);

    // Half opacity with no colours blends the texture over the black clear.
    batch.opacity = 0.5f;
    device->AcquireContext();
    device->Clear(kClearColorBuffer | kClearDepthBuffer, Color{0.0f, 0.0f, 0.0f}, 1.0f);
    device->DrawBatch(batch);
    device->ReleaseContext();
    std::array<uint8_t, 4> blended = PixelAt(32, 24);
    EXPECT_NEAR(blended[1], 100, 2);
}

TEST_F(OpenGLDeviceTest, NamesStartAt1024AndAReleasedNameIsUsedFirst)
{
    const std::vector<uint8_t> pixel = {1, 2, 3};
    int32_t first = device->UploadTexture(pixel.data(), 1, 1, PixelFormat::kRgb, 1);
    int32_t second = device->UploadTexture(pixel.data(), 1, 1, PixelFormat::kRgb, 1);
    EXPECT_EQ(first, 1024);
    EXPECT_EQ(second, 1025);
    device->DeleteTexture(first);
    device->AcquireContext();
    EXPECT_EQ(glIsTexture(1024), GL_FALSE);
    EXPECT_EQ(glIsTexture(1025), GL_TRUE);
    device->ReleaseContext();
    EXPECT_EQ(device->UploadTexture(pixel.data(), 1, 1, PixelFormat::kRgb, 1), 1024);
    EXPECT_EQ(device->UploadTexture(pixel.data(), 1, 1, PixelFormat::kRgb, 1), 1026);
}

TEST_F(OpenGLDeviceTest, DxtLevelsUploadWholeBlocksAtTheirOffsets)
{
    // Whether the driver takes DXT1, asked of the driver itself: were the device to miss its
    // support, this test would otherwise skip and the uploads go untested.
    device->AcquireContext();
    GLint formatCount = 0;
    glGetIntegerv(GL_NUM_COMPRESSED_TEXTURE_FORMATS, &formatCount);
    std::vector<GLint> formats(static_cast<size_t>(std::max(formatCount, 0)));
    if (!formats.empty())
        glGetIntegerv(GL_COMPRESSED_TEXTURE_FORMATS, formats.data());
    device->ReleaseContext();
    bool listed = std::find(formats.begin(), formats.end(), GL_COMPRESSED_RGB_S3TC_DXT1_EXT) != formats.end();
    EXPECT_EQ(device->SupportsCompressedTextures(), listed);
    if (!listed)
        GTEST_SKIP() << "the driver takes no S3TC uploads";
    const size_t total = TextureChainBytes(PixelFormat::kDxt1, 256, 128, 9);
    std::vector<uint8_t> blocks(total, 0);
    int32_t id = device->UploadTexture(blocks.data(), 256, 128, PixelFormat::kDxt1, 9);
    const GLint expected[9] = {16384, 4096, 1024, 256, 64, 16, 8, 8, 8};
    device->AcquireContext();
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(id));
    for (GLint level = 0; level < 9; ++level) {
        GLint size = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_COMPRESSED_IMAGE_SIZE, &size);
        EXPECT_EQ(size, expected[level]) << level;
    }
    glBindTexture(GL_TEXTURE_2D, 0);
    device->GetStateCache().Reset();
    device->ReleaseContext();
}

TEST_F(OpenGLDeviceTest, RgbLevelsAreReadFromTheirRunningOffsets)
{
    // Level k is filled with k + 1, so a wrong offset shows as a wrong byte.
    std::vector<uint8_t> chain;
    for (int32_t level = 0; level < 7; ++level)
        chain.insert(chain.end(), TextureLevelBytes(PixelFormat::kRgb, 64 >> level, 64 >> level),
                     static_cast<uint8_t>(level + 1));
    ASSERT_EQ(chain.size(), 12288u + 3072u + 768u + 192u + 48u + 12u + 3u);
    int32_t id = device->UploadTexture(chain.data(), 64, 64, PixelFormat::kRgb, 7);
    for (int32_t level = 0; level < 7; ++level) {
        size_t bytes = TextureLevelBytes(PixelFormat::kRgb, 64 >> level, 64 >> level);
        EXPECT_EQ(LevelPixels(id, level, GL_RGB, bytes), std::vector<uint8_t>(bytes, static_cast<uint8_t>(level + 1)))
            << level;
    }
}

TEST_F(OpenGLDeviceTest, FilteringQualityChoosesTheMinificationFilter)
{
    std::vector<uint8_t> chain(TextureChainBytes(PixelFormat::kRgba, 4, 4, 3), 0);
    auto filterFor = [&](const char* quality, int32_t levels) {
        vars.SetStringByName("filteringQuality", quality);
        device->ApplyVars();
        return TextureParameter(device->UploadTexture(chain.data(), 4, 4, PixelFormat::kRgba, levels),
                                GL_TEXTURE_MIN_FILTER);
    };
    EXPECT_EQ(filterFor("0", 3), GL_LINEAR);
    EXPECT_EQ(filterFor("1", 3), GL_LINEAR_MIPMAP_NEAREST);
    EXPECT_EQ(filterFor("2", 3), GL_LINEAR_MIPMAP_LINEAR);
    EXPECT_EQ(filterFor("2", 1), GL_LINEAR);
    int32_t id = device->UploadTexture(chain.data(), 4, 4, PixelFormat::kRgba, 1);
    EXPECT_EQ(TextureParameter(id, GL_TEXTURE_WRAP_S), GL_REPEAT);
    EXPECT_EQ(TextureParameter(id, GL_TEXTURE_MAG_FILTER), GL_LINEAR);
}

TEST_F(OpenGLDeviceTest, ASubUpdateReplacesOnlyItsRectangle)
{
    std::vector<uint8_t> zero(4 * 2 * 4, 0);
    int32_t id = device->UploadTexture(zero.data(), 4, 2, PixelFormat::kRgba, 1);
    std::vector<uint8_t> patch(2 * 1 * 4, 0x7F);
    ASSERT_TRUE(device->UpdateTexture(id, 0, {1, 1, 2, 1}, PixelFormat::kRgba, patch.data()));
    std::vector<uint8_t> pixels = LevelPixels(id, 0, GL_RGBA, zero.size());
    for (size_t i = 0; i < 8; ++i) {
        bool patched = i == 5 || i == 6;
        EXPECT_EQ(pixels[i * 4], patched ? 0x7F : 0) << i;
    }
}

TEST_F(OpenGLDeviceTest, InitialStateCullsFrontFacesOnceCullingIsOnAndTheCacheSkipsRepeats)
{
    device->AcquireContext();
    GLint face = 0;
    glGetIntegerv(GL_CULL_FACE_MODE, &face);
    EXPECT_EQ(face, GL_FRONT);
    EXPECT_EQ(glIsEnabled(GL_CULL_FACE), GL_FALSE);
    EXPECT_EQ(glIsEnabled(GL_DEPTH_TEST), GL_TRUE);
    GLint depthFunc = 0;
    glGetIntegerv(GL_DEPTH_FUNC, &depthFunc);
    EXPECT_EQ(depthFunc, GL_LEQUAL);

    // A change made behind the cache's back is not undone by a repeat until the cache is reset.
    GLStateCache& cache = device->GetStateCache();
    cache.SetEnabled(GL_BLEND, true);
    glDisable(GL_BLEND);
    cache.SetEnabled(GL_BLEND, true);
    EXPECT_EQ(glIsEnabled(GL_BLEND), GL_FALSE);
    cache.Reset();
    cache.SetEnabled(GL_BLEND, true);
    EXPECT_EQ(glIsEnabled(GL_BLEND), GL_TRUE);
    device->ReleaseContext();
}

} // namespace
