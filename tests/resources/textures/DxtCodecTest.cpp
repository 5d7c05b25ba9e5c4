// DxtCodecTest -- S3TC blocks: exact bytes for known blocks, both DXT1 modes, explicit and interpolated alpha, decoding.
#include "resources/textures/DxtCodec.h"

#include <array>
#include <cstdint>
#include <gtest/gtest.h>
#include <random>
#include <vector>

namespace {

constexpr uint16_t kRed = 0xF800;
constexpr uint16_t kBlue = 0x001F;

DxtBlockPixels Block(uint16_t first8, uint16_t last8)
{
    DxtBlockPixels block;
    for (int i = 0; i < 16; ++i) {
        block.color[i] = i < 8 ? first8 : last8;
        block.alpha[i] = 255;
    }
    return block;
}

std::vector<uint8_t> Encode(DxtMode mode, const DxtBlockPixels& block)
{
    std::vector<uint8_t> out(DxtBlockBytes(mode));
    EncodeDxtBlock(mode, block, out.data());
    return out;
}

std::array<uint8_t, 64> Decode(DxtMode mode, const std::vector<uint8_t>& block)
{
    std::array<uint8_t, 64> out{};
    DecodeDxtBlock(mode, block.data(), out.data());
    return out;
}

std::array<uint8_t, 4> Pixel(const std::array<uint8_t, 64>& pixels, int index)
{
    return {pixels[4 * index], pixels[4 * index + 1], pixels[4 * index + 2], pixels[4 * index + 3]};
}

} // namespace

TEST(DxtColor, PacksAndUnpacksFiveSixFive)
{
    EXPECT_EQ(PackRgb565(0x80, 0x40, 0x20), 0x8204);
    EXPECT_EQ(PackRgb565(0xFF, 0xFF, 0xFF), 0xFFFF);
    int32_t rgb[3];
    UnpackRgb565(0xFFFF, rgb);
    EXPECT_EQ(rgb[0], 248);
    EXPECT_EQ(rgb[1], 252);
    EXPECT_EQ(rgb[2], 248);
}

TEST(DxtEncode, OneColourGivesEqualEndpointsAndIndexZero)
{
    std::vector<uint8_t> expected = {0x04, 0x82, 0x04, 0x82, 0, 0, 0, 0};
    EXPECT_EQ(Encode(DxtMode::kDxt1, Block(0x8204, 0x8204)), expected);
}

TEST(DxtEncode, TwoColoursUseFourColourModeWithTheGreaterEndpointFirst)
{
    std::vector<uint8_t> expected = {0x00, 0xF8, 0x1F, 0x00, 0x00, 0x00, 0x55, 0x55};
    EXPECT_EQ(Encode(DxtMode::kDxt1, Block(kRed, kBlue)), expected);
    // Blue first in the block: the endpoints are swapped into order, the indexes follow.
    std::vector<uint8_t> swapped = {0x00, 0xF8, 0x1F, 0x00, 0x55, 0x55, 0x00, 0x00};
    EXPECT_EQ(Encode(DxtMode::kDxt1, Block(kBlue, kRed)), swapped);
}

TEST(DxtEncode, TransparentPixelSelectsThreeColourModeAndIndexThree)
{
    DxtBlockPixels block = Block(kRed, kBlue);
    block.alpha[5] = 0;
    block.alpha[6] = 127;
    // Smaller endpoint first; red pixels take index 1, the two transparent ones index 3.
    std::vector<uint8_t> expected = {0x1F, 0x00, 0x00, 0xF8, 0x55, 0x7D, 0x00, 0x00};
    EXPECT_EQ(Encode(DxtMode::kDxt1, block), expected);
    std::array<uint8_t, 64> decoded = Decode(DxtMode::kDxt1, expected);
    EXPECT_EQ(Pixel(decoded, 5), (std::array<uint8_t, 4>{0, 0, 0, 0}));
    EXPECT_EQ(Pixel(decoded, 0), (std::array<uint8_t, 4>{248, 0, 0, 255}));
}

TEST(DxtEncode, PixelsBetweenTheEndpointsTakeTheNearestThird)
{
    DxtBlockPixels block = Block(0x0000, 0x0000);
    block.color[0] = 0xFFFF;
    block.color[2] = PackRgb565(160, 168, 160);
    block.color[3] = PackRgb565(80, 84, 80);
    std::vector<uint8_t> expected = {0xFF, 0xFF, 0x00, 0x00, 0xE4, 0x55, 0x55, 0x55};
    EXPECT_EQ(Encode(DxtMode::kDxt1, block), expected);
}

TEST(DxtEncode, ExplicitAlphaKeepsTheHighNibbleOfEachPixel)
{
    DxtBlockPixels block = Block(kRed, kBlue);
    for (int i = 0; i < 16; ++i)
        block.alpha[i] = static_cast<uint8_t>(i << 4 | (15 - i));
    std::vector<uint8_t> bytes = Encode(DxtMode::kDxt3, block);
    std::vector<uint8_t> alpha(bytes.begin(), bytes.begin() + 8);
    EXPECT_EQ(alpha, (std::vector<uint8_t>{0x10, 0x32, 0x54, 0x76, 0x98, 0xBA, 0xDC, 0xFE}));
    // The colour block follows in four-colour mode.
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 8, bytes.end()), Encode(DxtMode::kDxt1, Block(kRed, kBlue)));
    std::array<uint8_t, 64> decoded = Decode(DxtMode::kDxt3, bytes);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(decoded[4 * i + 3], i * 17) << i;
}

TEST(DxtEncode, InterpolatedAlphaUsesTheSixValuePaletteFromSmallestToLargest)
{
    DxtBlockPixels block = Block(kRed, kBlue);
    for (int i = 0; i < 16; ++i)
        block.alpha[i] = i < 8 ? 40 : 240;
    block.alpha[3] = 120; // (3 x 40 + 2 x 240 + 2) / 5
    block.alpha[9] = 205; // nearest to (40 + 4 x 240 + 2) / 5 = 200
    std::vector<uint8_t> bytes = Encode(DxtMode::kDxt5, block);
    ASSERT_EQ(bytes.size(), 16u);
    EXPECT_EQ(bytes[0], 40);
    EXPECT_EQ(bytes[1], 240);
    uint64_t bits = 0;
    for (int i = 0; i < 6; ++i)
        bits |= static_cast<uint64_t>(bytes[2 + i]) << (8 * i);
    auto index = [&](int pixel) { return static_cast<int>(bits >> (3 * pixel) & 7); };
    EXPECT_EQ(index(0), 0);
    EXPECT_EQ(index(3), 3);
    EXPECT_EQ(index(8), 1);
    EXPECT_EQ(index(9), 5);
    std::array<uint8_t, 64> decoded = Decode(DxtMode::kDxt5, bytes);
    EXPECT_EQ(decoded[4 * 3 + 3], 120);
    EXPECT_EQ(decoded[4 * 9 + 3], 200);
    EXPECT_EQ(decoded[4 * 15 + 3], 240);
    // The eight-value palette of a block whose first alpha is the greater.
    std::vector<uint8_t> eight(16, 0);
    eight[0] = 210;
    eight[1] = 0;
    eight[2] = 2; // pixel 0: index 2 = (6 x 210 + 0) / 7
    EXPECT_EQ(Decode(DxtMode::kDxt5, eight)[3], 180);
}

TEST(DxtDecode, FourColourBlockInterpolatesInTruncatingIntegers)
{
    // Indexes 0, 1, 2, 3 for pixels 0 to 3.
    std::vector<uint8_t> block = {0x00, 0xF8, 0x1F, 0x00, 0xE4, 0x00, 0x00, 0x00};
    std::array<uint8_t, 64> pixels = Decode(DxtMode::kDxt1, block);
    EXPECT_EQ(Pixel(pixels, 0), (std::array<uint8_t, 4>{248, 0, 0, 255}));
    EXPECT_EQ(Pixel(pixels, 1), (std::array<uint8_t, 4>{0, 0, 248, 255}));
    EXPECT_EQ(Pixel(pixels, 2), (std::array<uint8_t, 4>{165, 0, 82, 255}));
    EXPECT_EQ(Pixel(pixels, 3), (std::array<uint8_t, 4>{82, 0, 165, 255}));
}

TEST(DxtDecode, ThreeColourBlockHalvesAndMakesIndexThreeTransparent)
{
    std::vector<uint8_t> block = {0x1F, 0x00, 0x00, 0xF8, 0xE4, 0x00, 0x00, 0x00};
    std::array<uint8_t, 64> pixels = Decode(DxtMode::kDxt1, block);
    EXPECT_EQ(Pixel(pixels, 2), (std::array<uint8_t, 4>{124, 0, 124, 255}));
    EXPECT_EQ(Pixel(pixels, 3), (std::array<uint8_t, 4>{0, 0, 0, 0}));
    // The colour block of DXT3 and DXT5 always has four colours, whatever the endpoint order.
    std::vector<uint8_t> dxt5(8, 0);
    dxt5[0] = 255;
    dxt5[1] = 255;
    dxt5.insert(dxt5.end(), block.begin(), block.end());
    std::array<uint8_t, 64> four = Decode(DxtMode::kDxt5, dxt5);
    EXPECT_EQ(Pixel(four, 3), (std::array<uint8_t, 4>{165, 0, 82, 255}));
}

TEST(DxtRoundTrip, BlocksOfTwoExactColoursComeBackUnchanged)
{
    std::mt19937 random(1234);
    for (int trial = 0; trial < 500; ++trial) {
        uint16_t colors[2] = {static_cast<uint16_t>(random()), static_cast<uint16_t>(random())};
        DxtBlockPixels block;
        for (int i = 0; i < 16; ++i) {
            block.color[i] = colors[random() % 2];
            block.alpha[i] = 255;
        }
        for (DxtMode mode : {DxtMode::kDxt1, DxtMode::kDxt3, DxtMode::kDxt5}) {
            std::array<uint8_t, 64> pixels = Decode(mode, Encode(mode, block));
            for (int i = 0; i < 16; ++i) {
                int32_t rgb[3];
                UnpackRgb565(block.color[i], rgb);
                ASSERT_EQ(Pixel(pixels, i), (std::array<uint8_t, 4>{static_cast<uint8_t>(rgb[0]), static_cast<uint8_t>(rgb[1]),
                                                                     static_cast<uint8_t>(rgb[2]), 255}))
                    << "trial " << trial << " pixel " << i;
            }
        }
    }
}

TEST(DxtLevel, EdgeBlocksOfSmallLevelsDecodeExactly)
{
    // 2 x 2 RGB: one block, four real pixels placed where they belong.
    std::vector<uint8_t> level = {248, 0, 0, 0, 0, 248, 0, 0, 248, 248, 0, 0};
    std::vector<uint8_t> blocks(8);
    CompressDxtLevel(DxtMode::kDxt1, level.data(), 2, 2, 3, blocks.data());
    std::vector<uint8_t> decoded(level.size());
    DecompressDxtLevel(DxtMode::kDxt1, blocks.data(), 2, 2, 3, decoded.data());
    EXPECT_EQ(decoded, level);
    // 8 x 4 RGBA: two blocks side by side, each one colour.
    std::vector<uint8_t> wide(8 * 4 * 4);
    for (int i = 0; i < 32; ++i) {
        bool right = i % 8 >= 4;
        uint8_t pixel[4] = {static_cast<uint8_t>(right ? 0 : 248), 0, static_cast<uint8_t>(right ? 248 : 0), 200};
        std::copy(pixel, pixel + 4, wide.begin() + 4 * i);
    }
    std::vector<uint8_t> wideBlocks(32);
    CompressDxtLevel(DxtMode::kDxt5, wide.data(), 8, 4, 4, wideBlocks.data());
    std::vector<uint8_t> wideDecoded(wide.size());
    DecompressDxtLevel(DxtMode::kDxt5, wideBlocks.data(), 8, 4, 4, wideDecoded.data());
    EXPECT_EQ(wideDecoded, wide);
}
