// GraphicsDeviceTest -- level sizes, the texture-id pool, the upload settings from the user vars and the context depth.
#include "resources/textures/TextureWorld.h"

#include "resources/device/NullGraphicsDevice.h"

#include <array>
#include <climits>

using GraphicsDeviceWorld = TextureWorld;

TEST(TextureLevelSizes, BlockFormatsCountWholeBlocks)
{
    EXPECT_EQ(TextureLevelBytes(PixelFormat::kRgb, 3, 2), 18u);
    EXPECT_EQ(TextureLevelBytes(PixelFormat::kRgba, 3, 2), 24u);
    // Levels below 4 x 4 still take one whole block: max(w, 4) x max(h, 4) / 2 for DXT1.
    EXPECT_EQ(TextureLevelBytes(PixelFormat::kDxt1, 1, 1), 8u);
    EXPECT_EQ(TextureLevelBytes(PixelFormat::kDxt3, 8, 2), 32u);
    EXPECT_EQ(TextureLevelBytes(PixelFormat::kDxt5, 64, 64), 4096u);
    EXPECT_EQ(TextureChainBytes(PixelFormat::kDxt5, 256, 256, 9), 5463u * 16u);
    EXPECT_EQ(TextureChainBytes(PixelFormat::kRgb, 8, 4, 4), 129u);
}

TEST_F(GraphicsDeviceWorld, FreedIdsAreReusedFirstInTheOrderTheyWereFreed)
{
    std::vector<uint8_t> pixels(3, 0);
    int32_t a = device->UploadTexture(pixels.data(), 1, 1, PixelFormat::kRgb, 1);
    int32_t b = device->UploadTexture(pixels.data(), 1, 1, PixelFormat::kRgb, 1);
    int32_t c = device->UploadTexture(pixels.data(), 1, 1, PixelFormat::kRgb, 1);
    EXPECT_EQ(b, a + 1);
    EXPECT_EQ(c, a + 2);
    device->DeleteTexture(b);
    device->DeleteTexture(a);
    device->DeleteTexture(-1);
    EXPECT_EQ(device->GetDeletions(), (std::vector<int32_t>{b, a}));
    EXPECT_EQ(device->AllocTextureId(), b);
    EXPECT_EQ(device->AllocTextureId(), a);
    EXPECT_EQ(device->AllocTextureId(), c + 1);
    EXPECT_EQ(device->GetLiveTextureCount(), 4);
}

TEST_F(GraphicsDeviceWorld, FiltersFollowFilteringQualityOnlyForMipChains)
{
    std::vector<uint8_t> chain(TextureChainBytes(PixelFormat::kRgb, 4, 4, 3), 0);
    auto filterFor = [&](const char* quality, int32_t levels) {
        gUserVarSystem->SetStringByName("filteringQuality", quality);
        device->ApplyVars();
        int32_t id = device->UploadTexture(chain.data(), 4, 4, PixelFormat::kRgb, levels);
        return device->FindUpload(id)->minFilter;
    };
    EXPECT_EQ(filterFor("1", 3), TextureFilter::kLinearMipmapNearest);
    EXPECT_EQ(filterFor("2", 3), TextureFilter::kLinearMipmapLinear);
    EXPECT_EQ(filterFor("-1", 3), TextureFilter::kLinearMipmapLinear);
    EXPECT_EQ(filterFor("0", 3), TextureFilter::kLinear);
    EXPECT_EQ(filterFor("2", 1), TextureFilter::kLinear);
}

TEST_F(GraphicsDeviceWorld, AnisotropyIsSetOnlyWhenSupportedAndAskedFor)
{
    std::vector<uint8_t> pixels(3, 0);
    gUserVarSystem->SetStringByName("r_anisotropic", "1");
    device->ApplyVars();
    int32_t unsupported = device->UploadTexture(pixels.data(), 1, 1, PixelFormat::kRgb, 1);
    EXPECT_EQ(device->FindUpload(unsupported)->anisotropy, 0.0f);
    RecordingGraphicsDevice capable(true, true);
    capable.RegisterVars();
    int32_t id = capable.UploadTexture(pixels.data(), 1, 1, PixelFormat::kRgb, 1);
    EXPECT_EQ(capable.FindUpload(id)->anisotropy, 8.0f);
    gUserVarSystem->SetStringByName("r_anisotropic", "0");
    capable.ApplyVars();
    id = capable.UploadTexture(pixels.data(), 1, 1, PixelFormat::kRgb, 1);
    EXPECT_EQ(capable.FindUpload(id)->anisotropy, 0.0f);
}

TEST_F(GraphicsDeviceWorld, UnusableUploadsGetNoId)
{
    std::vector<uint8_t> pixels(12, 0);
    EXPECT_EQ(device->UploadTexture(nullptr, 1, 1, PixelFormat::kRgb, 1), -1);
    EXPECT_EQ(device->UploadTexture(pixels.data(), 0, 1, PixelFormat::kRgb, 1), -1);
    EXPECT_EQ(device->UploadTexture(pixels.data(), 1, -4, PixelFormat::kRgb, 1), -1);
    EXPECT_EQ(device->UploadTexture(pixels.data(), 1, 1, PixelFormat::kRgb, 0), -1);
    EXPECT_TRUE(device->GetUploads().empty());
}

TEST_F(GraphicsDeviceWorld, ContextIsMadeCurrentOnlyWhenTheDepthLeavesZero)
{
    std::vector<uint8_t> pixels(3, 0);
    device->AcquireContext();
    device->UploadTexture(pixels.data(), 1, 1, PixelFormat::kRgb, 1);
    device->DeleteTexture(device->AllocTextureId());
    EXPECT_EQ(device->GetMakeCurrentCount(), 1);
    EXPECT_EQ(device->GetReleaseCurrentCount(), 0);
    device->ReleaseContext();
    EXPECT_EQ(device->GetReleaseCurrentCount(), 1);
    device->UploadTexture(pixels.data(), 1, 1, PixelFormat::kRgb, 1);
    EXPECT_EQ(device->GetMakeCurrentCount(), 2);
    EXPECT_EQ(device->GetContextLock().GetOwner(), -1);
}

TEST_F(GraphicsDeviceWorld, SubUpdatesAreTakenOnlyInsideALiveTextureOfTheSameFormat)
{
    std::vector<uint8_t> chain(TextureChainBytes(PixelFormat::kRgba, 8, 4, 2), 0);
    int32_t id = device->UploadTexture(chain.data(), 8, 4, PixelFormat::kRgba, 2);
    std::vector<uint8_t> patch(4 * 4 * 4);
    for (size_t i = 0; i < patch.size(); ++i)
        patch[i] = static_cast<uint8_t>(i);
    // Level 1 is 4 x 2: a 2 x 2 rectangle at (2, 0) reaches its right edge exactly.
    EXPECT_TRUE(device->UpdateTexture(id, 1, {2, 0, 2, 2}, PixelFormat::kRgba, patch.data()));
    std::vector<RecordedUpdate> updates = device->GetUpdates();
    ASSERT_EQ(updates.size(), 1u);
    EXPECT_EQ(updates[0].level, 1);
    EXPECT_EQ(updates[0].pixels, std::vector<uint8_t>(patch.begin(), patch.begin() + 16));

    const PixelRect refused[] = {{3, 0, 2, 2},  {0, 1, 1, 2},  {-1, 0, 1, 1},         {0, -1, 1, 1},
                                 {0, 0, 0, 1},  {0, 0, 1, -3}, {INT32_MAX, 0, 2, 1},  {0, 0, INT32_MAX, 1}};
    for (const PixelRect& rect : refused)
        EXPECT_FALSE(device->UpdateTexture(id, 1, rect, PixelFormat::kRgba, patch.data()))
            << rect.x << "," << rect.y << " " << rect.width << "x" << rect.height;
    EXPECT_FALSE(device->UpdateTexture(id, 2, {0, 0, 1, 1}, PixelFormat::kRgba, patch.data()));
    EXPECT_FALSE(device->UpdateTexture(id, -1, {0, 0, 1, 1}, PixelFormat::kRgba, patch.data()));
    EXPECT_FALSE(device->UpdateTexture(id, 0, {0, 0, 1, 1}, PixelFormat::kRgb, patch.data()));
    EXPECT_FALSE(device->UpdateTexture(id, 0, {0, 0, 1, 1}, PixelFormat::kRgba, nullptr));
    EXPECT_FALSE(device->UpdateTexture(id + 1, 0, {0, 0, 1, 1}, PixelFormat::kRgba, patch.data()));
    device->DeleteTexture(id);
    EXPECT_FALSE(device->UpdateTexture(id, 0, {0, 0, 1, 1}, PixelFormat::kRgba, patch.data()));
    // A compressed texture is never patched.
    std::vector<uint8_t> blocks(TextureLevelBytes(PixelFormat::kDxt1, 4, 4), 0);
    int32_t dxt = device->UploadTexture(blocks.data(), 4, 4, PixelFormat::kDxt1, 1);
    EXPECT_FALSE(device->UpdateTexture(dxt, 0, {0, 0, 4, 4}, PixelFormat::kDxt1, blocks.data()));
    EXPECT_EQ(device->GetUpdates().size(), 1u);
}

TEST_F(GraphicsDeviceWorld, ReadBackGivesTheClearedColourAndRefusesEmptyOrHugeRectangles)
{
    device->Clear(kClearColorBuffer | kClearDepthBuffer, Color{1.0f, 0.5f, 0.0f}, 0.25f);
    std::vector<uint8_t> rgba;
    ASSERT_TRUE(device->ReadPixels({0, 0, 2, 1}, rgba));
    EXPECT_EQ(rgba, (std::vector<uint8_t>{255, 128, 0, 64, 255, 128, 0, 64}));
    // A depth-only clear leaves the colour.
    device->Clear(kClearDepthBuffer, Color{}, 1.0f);
    ASSERT_TRUE(device->ReadPixels({5, 5, 1, 1}, rgba));
    EXPECT_EQ(rgba[1], 128);
    for (const PixelRect& rect : {PixelRect{0, 0, 0, 4}, PixelRect{0, 0, 4, -1}, PixelRect{0, 0, 1 << 20, 1 << 20}}) {
        EXPECT_FALSE(device->ReadPixels(rect, rgba));
        EXPECT_TRUE(rgba.empty());
    }
    NullGraphicsDevice headless;
    EXPECT_FALSE(headless.ReadPixels({0, 0, 1, 1}, rgba));
    EXPECT_TRUE(rgba.empty());
}

TEST_F(GraphicsDeviceWorld, FrameStateCallsReachTheDeviceInOrder)
{
    Matrix4 projection;
    projection.m[0][0] = 2.0f;
    projection.m[3][1] = -1.0f;
    Matrix4 modelView;
    modelView.m[2][3] = 5.0f;
    device->SetProjectionMatrix(projection);
    device->SetModelViewMatrix(modelView);
    device->SetViewport({0, 0, 640, 480});
    device->SetViewport({10, 20, 30, 40});
    device->Present();
    device->Present();
    RecordedFrameState state = device->GetFrameState();
    ASSERT_EQ(state.projections.size(), 1u);
    EXPECT_EQ(state.projections[0].m[3][1], -1.0f);
    EXPECT_EQ(state.modelViews[0].m[2][3], 5.0f);
    ASSERT_EQ(state.viewports.size(), 2u);
    EXPECT_EQ((std::array{state.viewports[1].x, state.viewports[1].y, state.viewports[1].width,
                          state.viewports[1].height}),
              (std::array{10, 20, 30, 40}));
    EXPECT_EQ(state.presentCount, 2);
}
