// TextureCacheTest -- mip chains and the ".rtx" and ".ctx" files: exact layouts, the mip filter, byte-for-byte round trips.
#include "resources/textures/TextureCacheFile.h"
#include "resources/textures/TextureCtx.h"
#include "resources/textures/TextureRtx.h"
#include "resources/textures/TextureWorld.h"

#include <cstring>
#include <memory>

namespace {

std::vector<uint8_t> CacheWords(std::initializer_list<uint32_t> words)
{
    std::vector<uint8_t> bytes;
    for (uint32_t word : words) {
        for (int i = 0; i < 4; ++i)
            bytes.push_back(static_cast<uint8_t>(word >> (8 * i)));
    }
    return bytes;
}

std::unique_ptr<TextureRtx> Chain(int width, int height, int bytesPerPixel, const std::vector<uint8_t>& pixels,
                                  bool edgeMode = false)
{
    auto texture = std::make_unique<TextureRtx>();
    texture->SetSource(pixels.data(), width, height, bytesPerPixel);
    texture->SetEdgeMode(edgeMode);
    texture->BuildMipChain();
    return texture;
}

// Cells of 4 x 4 pixels, each one colour that 5:6:5 holds exactly, so block compression of
// level 0 loses nothing.
std::vector<uint8_t> ExactCells(int side, int bytesPerPixel)
{
    std::vector<uint8_t> pixels(static_cast<size_t>(side) * side * bytesPerPixel);
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) {
            int cell = (x / 4) * 7 + (y / 4) * 3;
            uint8_t* pixel = &pixels[(static_cast<size_t>(y) * side + x) * bytesPerPixel];
            pixel[0] = static_cast<uint8_t>((cell * 40) & 0xF8);
            pixel[1] = static_cast<uint8_t>((cell * 20) & 0xFC);
            pixel[2] = static_cast<uint8_t>((255 - cell * 8) & 0xF8);
            if (bytesPerPixel == 4)
                pixel[3] = 255;
        }
    }
    return pixels;
}

} // namespace

using TextureCacheWorld = TextureWorld;

TEST(MipChain, LevelsHalveDownToOneByOne)
{
    auto texture = Chain(8, 4, 3, PatternPixels(8, 4, 3));
    EXPECT_EQ(texture->GetLevelCount(), 4);
    EXPECT_EQ(texture->GetChainBytes(), (32u + 8u + 2u + 1u) * 3u);
    std::vector<uint8_t> bytes = texture->Encode();
    std::vector<uint8_t> header(bytes.begin(), bytes.begin() + 16);
    EXPECT_EQ(header, CacheWords({8, 4, 3, 4}));
    EXPECT_EQ(bytes.size(), 16u + 129u);
    EXPECT_EQ(TextureCacheFile::FullLevelCount(256, 256), 9);
    EXPECT_EQ(TextureCacheFile::FullLevelCount(6, 3), 3);
    EXPECT_EQ(TextureCacheFile::FullLevelCount(1, 1), 1);
}

TEST(MipChain, FilterWrapsOrSkipsOutsideSamplesAndTruncates)
{
    // A 4 x 4 image, black but for a right-most column of red 180 and a red 101 at (0, 0).
    std::vector<uint8_t> pixels(4 * 4 * 3, 0);
    for (int y = 0; y < 4; ++y)
        pixels[(y * 4 + 3) * 3] = 180;
    pixels[0] = 101;
    auto wrapped = Chain(4, 4, 3, pixels, false);
    const uint8_t* level1 = wrapped->GetChain() + 48;
    // The left pixel reads the right-most column through the wrap: (101 x 4 + 180 x 6) / 36.
    EXPECT_EQ(level1[0], 41);
    EXPECT_EQ(level1[3], (180 * 12 + 101 * 2) / 36);
    auto edged = Chain(4, 4, 3, pixels, true);
    level1 = edged->GetChain() + 48;
    // Outside samples left out: 25 of the 36 weights remain, and 101 x 4 / 25 truncates to 16.
    EXPECT_EQ(level1[0], 16);
    EXPECT_EQ(level1[3], 180 * 10 / 25);
}

TEST(CtxLayout, SquareRgbaChainIsDxt5AndEndsWithTheRawSmallLevels)
{
    auto texture = Chain(256, 256, 4, PatternPixels(256, 256, 4));
    ASSERT_EQ(texture->GetLevelCount(), 9);
    std::vector<uint8_t> bytes = TextureCtx::Encode(texture->GetChain(), 256, 256, 9, 4, DxtMode::kDxt5);
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 16), CacheWords({256, 256, 4, 9}));
    EXPECT_EQ(std::memcmp(bytes.data() + 16, "DXT5", 4), 0);
    // 5463 blocks of 16 bytes, then 4 x 4, 2 x 2 and 1 x 1 raw pixels.
    ASSERT_EQ(bytes.size(), 20u + 5463u * 16u + 21u * 4u);
    const uint8_t* tail = texture->GetChain() + texture->GetChainBytes() - 84;
    EXPECT_TRUE(std::equal(bytes.end() - 84, bytes.end(), tail));
}

TEST(CtxLayout, NonSquareRgbChainIsDxt1WithoutSmallLevels)
{
    auto texture = Chain(64, 32, 3, PatternPixels(64, 32, 3));
    std::vector<uint8_t> bytes = TextureCtx::Encode(texture->GetChain(), 64, 32, 7, 3, DxtMode::kDxt1);
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 16), CacheWords({32, 64, 3, 7}));
    EXPECT_EQ(std::memcmp(bytes.data() + 16, "DXT1", 4), 0);
    EXPECT_EQ(bytes.size(), 20u + 173u * 8u);
}

TEST(CtxLayout, EncodeRefusesWhatItCannotDescribe)
{
    std::vector<uint8_t> pixels = PatternPixels(48, 32, 3);
    auto texture = Chain(48, 32, 3, pixels);
    EXPECT_TRUE(TextureCtx::Encode(texture->GetChain(), 48, 32, texture->GetLevelCount(), 3, DxtMode::kDxt1).empty());
    auto square = Chain(16, 16, 3, PatternPixels(16, 16, 3));
    // A cut chain has no 1 x 1 level to copy after it.
    EXPECT_TRUE(TextureCtx::Encode(square->GetChain(), 16, 16, 3, 3, DxtMode::kDxt1).empty());
    EXPECT_TRUE(TextureCtx::Encode(square->GetChain(), 16, 16, 5, 2, DxtMode::kDxt1).empty());
}

TEST_F(TextureCacheWorld, RtxRoundTripsByteForByteThroughTheUserFolder)
{
    auto texture = Chain(16, 8, 4, PatternPixels(16, 8, 4));
    ASSERT_TRUE(texture->WriteRtx("Textures/a.rtx"));
    std::vector<uint8_t> written = ReadUser("Textures/a.rtx");
    EXPECT_EQ(written, texture->Encode());
    TextureRtx read;
    ASSERT_TRUE(read.Load("Textures/a.tga"));
    EXPECT_EQ(read.Encode(), written);
    EXPECT_EQ(read.GetLevelCount(), 5);
}

TEST_F(TextureCacheWorld, CtxRoundTripsThroughCompressAndLoad)
{
    std::vector<uint8_t> source = ExactCells(32, 3);
    auto texture = Chain(32, 32, 3, source);
    TextureCtx compressed;
    ASSERT_TRUE(compressed.Compress(texture->GetChain(), 32, 32, texture->GetLevelCount(), 3, "Textures/b.ctx"));
    std::vector<uint8_t> written = ReadUser("Textures/b.ctx");
    EXPECT_EQ(written, TextureCtx::Encode(texture->GetChain(), 32, 32, 6, 3, DxtMode::kDxt1));
    TextureCtx read;
    ASSERT_TRUE(read.Load("Textures/b.tga"));
    EXPECT_EQ(read.GetMode(), DxtMode::kDxt1);
    EXPECT_EQ(read.GetFirstLevelBytes(), 64u * 8u);
    ASSERT_EQ(read.GetChain().size(), texture->GetChainBytes());
    EXPECT_TRUE(std::equal(source.begin(), source.end(), read.GetChain().begin()));
    // The chain re-encoded from what was read gives the same first level and the same raw tail.
    std::vector<uint8_t> again = TextureCtx::Encode(read.GetChain().data(), 32, 32, 6, 3, DxtMode::kDxt1);
    EXPECT_TRUE(std::equal(again.begin(), again.begin() + 20 + 512, written.begin()));
}

TEST_F(TextureCacheWorld, CompressRefusesNonPowerOfTwoSizesAndWritesNothing)
{
    auto texture = Chain(12, 8, 3, PatternPixels(12, 8, 3));
    TextureCtx compressed;
    EXPECT_FALSE(compressed.Compress(texture->GetChain(), 12, 8, texture->GetLevelCount(), 3, "Textures/c.ctx"));
    EXPECT_FALSE(UserFileExists("Textures/c.ctx"));
    // The file system refuses paths that leave the user folder.
    auto good = Chain(8, 8, 3, PatternPixels(8, 8, 3));
    EXPECT_FALSE(compressed.Compress(good->GetChain(), 8, 8, 4, 3, "../escape.ctx"));
}
