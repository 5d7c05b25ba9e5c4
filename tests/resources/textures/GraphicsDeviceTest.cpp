// GraphicsDeviceTest -- level sizes, the texture-id pool, the upload settings from the user vars and the context depth.
#include "resources/textures/TextureWorld.h"

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
