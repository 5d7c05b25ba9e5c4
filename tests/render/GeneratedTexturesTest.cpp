// GeneratedTexturesTest -- "generateTextures": the ramps, the star and the noise byte for byte, the four Targa files in the user folder, and fresh noise on a second run.
#include "render/GLWorld.h"

#include "core/RandomSystem.h"
#include "render/GeneratedTextures.h"

#include <cmath>

namespace {

uint8_t GreyAt(const std::vector<uint8_t>& rgb, int side, int row, int column)
{
    size_t at = (static_cast<size_t>(row) * static_cast<size_t>(side) + static_cast<size_t>(column)) * 3;
    EXPECT_EQ(rgb[at], rgb[at + 1]);
    EXPECT_EQ(rgb[at], rgb[at + 2]);
    return rgb[at];
}

TEST(GeneratedTexturesImages, TheSwipeRampsAcrossTheDiagonalFromThirtyPercent)
{
    std::vector<uint8_t> rgb;
    GeneratedTextures::FillSwipe(rgb);
    ASSERT_EQ(rgb.size(), 64u * 64u * 3u);
    EXPECT_EQ(GreyAt(rgb, 64, 63, 63), 179);
    EXPECT_EQ(GreyAt(rgb, 64, 0, 40), 4);
    EXPECT_EQ(GreyAt(rgb, 64, 0, 0), 0);
    for (int row = 0; row < 64; ++row) {
        for (int column = 0; column + row <= 38; ++column)
            EXPECT_EQ(GreyAt(rgb, 64, row, column), 0) << row << " " << column;
    }
}

TEST(GeneratedTexturesImages, TheSquareRampsDownTheRowsAndTheStarPeaksAtItsCentre)
{
    std::vector<uint8_t> rgb;
    GeneratedTextures::FillSwipeSquare(rgb);
    for (int column = 0; column < 64; ++column) {
        EXPECT_EQ(GreyAt(rgb, 64, 0, column), 0);
        EXPECT_EQ(GreyAt(rgb, 64, 1, column), 4);
        EXPECT_EQ(GreyAt(rgb, 64, 63, column), 255);
    }
    GeneratedTextures::FillStar(rgb);
    ASSERT_EQ(rgb.size(), 16u * 16u * 3u);
    EXPECT_EQ(GreyAt(rgb, 16, 8, 8), 255);
    EXPECT_EQ(GreyAt(rgb, 16, 0, 0), 2);
    // Along row 8 the value is the column's factor: 1 - 0.1 x 3 at column 5.
    EXPECT_EQ(GreyAt(rgb, 16, 8, 5), 179);
    EXPECT_EQ(GreyAt(rgb, 16, 5, 8), 179);
}

TEST(GeneratedTexturesImages, NoiseTakesOneDrawOfStreamZeroPerPixelInTheUpperHalf)
{
    RandomSystem random(1234);
    gRandomSystem = &random;
    std::vector<uint8_t> rgb;
    GeneratedTextures::FillNoise(rgb);
    RandomSystem replay(1234);
    for (int i = 0; i < 64 * 64; ++i) {
        float value = replay.RandomFloat(RandomStream::GameData);
        uint8_t expected = static_cast<uint8_t>(std::floor((0.5f + 0.5f * value) * 255.0f + 0.5f));
        ASSERT_EQ(rgb[static_cast<size_t>(i) * 3], expected) << i;
        ASSERT_GE(rgb[static_cast<size_t>(i) * 3], 128);
    }
    // The stream moved on exactly 4096 steps.
    EXPECT_EQ(random.Next(RandomStream::GameData), replay.Next(RandomStream::GameData));
    gRandomSystem = nullptr;
}

class GeneratedTexturesCommand : public GLWorld {};

TEST_F(GeneratedTexturesCommand, WritesFourTargaFilesAndFreshNoiseEachRun)
{
    RandomSystem random(99);
    gRandomSystem = &random;
    GeneratedTextures::RegisterCommands();
    ASSERT_TRUE(commands.Execute("generateTextures"));
    const char* names[4] = {"whiteSwipe.tga", "swipeSquare.tga", "whiteStar.tga", "noise.tga"};
    std::string first[4];
    for (int i = 0; i < 4; ++i)
        first[i] = folder.Read(std::string("User/") + names[i]);
    // 18 header bytes, then three bytes a pixel.
    EXPECT_EQ(first[0].size(), 18u + 64u * 64u * 3u);
    EXPECT_EQ(first[2].size(), 18u + 16u * 16u * 3u);
    EXPECT_EQ(first[2].substr(12, 4), std::string("\x10\x00\x10\x00", 4));
    ASSERT_TRUE(commands.Execute("generateTextures"));
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(folder.Read(std::string("User/") + names[i]), first[i]) << names[i];
    EXPECT_NE(folder.Read("User/noise.tga"), first[3]);
    gRandomSystem = nullptr;
}

} // namespace
