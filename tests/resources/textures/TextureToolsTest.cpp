// TextureToolsTest -- the texture console commands on asset paths: resizing, the cache builders and the zoom setter.
#include "resources/textures/TextureCtx.h"
#include "resources/textures/TextureResource.h"
#include "resources/textures/TextureRtx.h"
#include "resources/textures/TextureTools.h"
#include "resources/textures/TextureWorld.h"
#include "support/ZipWriter.h"

class TextureToolsWorld : public TextureWorld {
protected:
    TextureToolsWorld() { TextureTools::RegisterCommands(); }

    bool Execute(const std::string& line) { return gCommandSystem->Execute(line); }

    // The header of a written Targa and its pixels after the image ID.
    TargaHeader HeaderOf(const std::vector<uint8_t>& bytes) const { return TargaHeader::Read(bytes.data()); }
    std::vector<uint8_t> PixelsOf(const std::vector<uint8_t>& bytes) const
    {
        return std::vector<uint8_t>(bytes.begin() + 18 + bytes[0], bytes.end());
    }
};

TEST_F(TextureToolsWorld, ConvertAtTheSameSizeMakesThirtyTwoBitsWithTheKeyColourClear)
{
    std::vector<uint8_t> original = MakeTarga(2, 1, 24, {0xAA, 0xAA, 0xAA, 1, 2, 3});
    WriteAsset("Textures/k.tga", original);
    ASSERT_TRUE(Execute("convertTexture Textures/k.tga 2 1"));
    std::vector<uint8_t> written = ReadUser("Textures/k.tga");
    ASSERT_GE(written.size(), 18u);
    TargaHeader header = HeaderOf(written);
    EXPECT_EQ(header.width, 2);
    EXPECT_EQ(header.height, 1);
    EXPECT_EQ(header.pixelDepth, 32);
    EXPECT_EQ(PixelsOf(written), (std::vector<uint8_t>{0, 0, 0, 0, 1, 2, 3, 255}));
    // The shipped asset is left as it was; the result shadows it from the user folder.
    EXPECT_EQ(folder.Read("Assets/Textures/k.tga"), AsText(original));
}

TEST_F(TextureToolsWorld, OddDifferencesPutTheSpareColumnOnTheRightAndTheSpareRowLast)
{
    WriteAsset("Textures/o.tga", MakeTarga(2, 2, 24, std::vector<uint8_t>(12, 9), "id"));
    ASSERT_TRUE(Execute("convertTexture Textures/o.tga 5 3"));
    std::vector<uint8_t> written = ReadUser("Textures/o.tga");
    // The image ID stays between the header and the pixels.
    EXPECT_EQ(written[0], 2);
    EXPECT_EQ(std::string(written.begin() + 18, written.begin() + 20), "id");
    std::vector<uint8_t> pixels = PixelsOf(written);
    ASSERT_EQ(pixels.size(), 5u * 3u * 4u);
    std::string alpha;
    for (size_t i = 3; i < pixels.size(); i += 4)
        alpha += pixels[i] ? '#' : '.';
    EXPECT_EQ(alpha, ".##.."
                     ".##.."
                     ".....");
}

TEST_F(TextureToolsWorld, ShrinkingAndUnreadableSourcesAreRefusedWithoutWriting)
{
    WriteAsset("Textures/k.tga", MakeTarga(2, 1, 24, {1, 2, 3, 4, 5, 6}));
    ASSERT_TRUE(Execute("convertTexture Textures/k.tga 1 0"));
    EXPECT_EQ(CountLogged("New width (1) smaller than old width (2) "), 1);
    EXPECT_EQ(CountLogged("New height (0) smaller than old height (1) "), 1);
    EXPECT_FALSE(UserFileExists("Textures/k.tga"));
    // A 32-bit source and a short one were once read as 24-bit pixels past their end.
    WriteAsset("Textures/deep.tga", MakeTarga(2, 1, 32, PatternPixels(2, 1, 4)));
    WriteAsset("Textures/short.tga", MakeTarga(4, 4, 24, {1, 2, 3}));
    EXPECT_FALSE(TextureTools::ResizeTexture("Textures/deep.tga", 4, 4));
    EXPECT_FALSE(TextureTools::ResizeTexture("Textures/short.tga", 8, 8));
    EXPECT_FALSE(TextureTools::ResizeTexture("Textures/missing.tga", 8, 8));
    EXPECT_EQ(CountLogged("Can't convert Textures/deep.tga"), 1);
    EXPECT_EQ(CountLogged("Not enough pixel data in file Textures/short.tga"), 1);
    EXPECT_EQ(CountLogged("Couldn't find Textures/missing.tga"), 1);
    EXPECT_FALSE(UserFileExists("Textures/deep.tga"));
    EXPECT_FALSE(UserFileExists("Textures/short.tga"));
}

TEST_F(TextureToolsWorld, DirectoryConversionTreatsTheNumberedSeries)
{
    for (int i = 0; i < 4; ++i)
        WriteAsset("anim/walk/walk00" + std::to_string(i) + ".tga", MakeTarga(1, 1, 24, {1, 2, 3}));
    ASSERT_TRUE(Execute("convertTextureDirectory anim walk 3 2 2"));
    EXPECT_TRUE(UserFileExists("anim/walk/walk000.tga"));
    EXPECT_TRUE(UserFileExists("anim/walk/walk002.tga"));
    EXPECT_FALSE(UserFileExists("anim/walk/walk003.tga"));
}

TEST_F(TextureToolsWorld, BuildRtxsWritesEachCacheOnceAndItLoads)
{
    WriteAsset("Textures/a.tga", MakeTarga(8, 8, 24, PatternPixels(8, 8, 3)));
    WriteAsset("Textures/sub/b.tga", MakeTarga(4, 2, 32, PatternPixels(4, 2, 4)));
    ASSERT_TRUE(Execute("buildRtxs"));
    EXPECT_EQ(CountLogged("Created compressed texture Textures/a.rtx"), 1);
    EXPECT_EQ(CountLogged("Created compressed texture Textures/sub/b.rtx"), 1);
    std::vector<uint8_t> rtx = ReadUser("Textures/sub/b.rtx");
    TextureRtx read;
    ASSERT_TRUE(read.Decode(rtx.data(), rtx.size(), "b.rtx"));
    EXPECT_EQ(read.GetLevelCount(), 3);
    // Level 0 is the source with red and blue swapped into RGB order.
    std::vector<uint8_t> source = PatternPixels(4, 2, 4);
    EXPECT_EQ(read.GetChain()[0], source[2]);
    EXPECT_EQ(read.GetChain()[2], source[0]);
    EXPECT_EQ(read.GetChain()[3], source[3]);
    ASSERT_TRUE(Execute("buildRtxs"));
    EXPECT_EQ(CountLogged("Created compressed texture"), 2);
}

TEST_F(TextureToolsWorld, BuildCtxsCompressesPowerOfTwoSourcesAndReportsTheRest)
{
    WriteAsset("Textures/a.tga", MakeTarga(8, 8, 24, PatternPixels(8, 8, 3)));
    WriteAsset("Textures/odd.tga", MakeTarga(6, 4, 24, PatternPixels(6, 4, 3)));
    ASSERT_TRUE(Execute("buildCtxs"));
    EXPECT_EQ(CountLogged("Created compressed texture Textures/a.ctx"), 1);
    EXPECT_EQ(CountLogged("Failed to compress/save texture Textures/odd.ctx"), 1);
    std::vector<uint8_t> ctx = ReadUser("Textures/a.ctx");
    TextureCtx read;
    ASSERT_TRUE(read.Decode(ctx.data(), ctx.size(), "a.ctx"));
    EXPECT_EQ(read.GetMode(), DxtMode::kDxt1);
    EXPECT_EQ(read.GetLevelCount(), 4);
}

TEST_F(TextureToolsWorld, BuildTgasDecodesCachesWhoseTargaIsMissing)
{
    TextureRtx texture;
    std::vector<uint8_t> pixels(4 * 4 * 4, 0);
    for (size_t i = 0; i < pixels.size(); i += 4) {
        pixels[i] = 248;
        pixels[i + 3] = 255;
    }
    texture.SetSource(pixels.data(), 4, 4, 4);
    texture.BuildMipChain();
    std::vector<uint8_t> ctx = TextureCtx::Encode(texture.GetChain(), 4, 4, 3, 4, DxtMode::kDxt5);
    WriteAsset("Textures/d.ctx", ctx);
    WriteAsset("Textures/e.ctx", ctx);
    WriteAsset("Textures/e.tga", MakeTarga(1, 1, 24, {1, 2, 3}));
    ASSERT_TRUE(Execute("buildTgas"));
    EXPECT_EQ(CountLogged("Created tga texture Textures/d.tga"), 1);
    EXPECT_EQ(CountLogged("Created tga texture"), 1);
    std::vector<uint8_t> written = ReadUser("Textures/d.tga");
    EXPECT_EQ(HeaderOf(written).pixelDepth, 32);
    // Red in the texture is the third byte of a Targa pixel.
    EXPECT_EQ(std::vector<uint8_t>(written.begin() + 18, written.begin() + 22), (std::vector<uint8_t>{0, 0, 248, 255}));
}

TEST_F(TextureToolsWorld, SingleTextureCommandsUseTheirFixedFiles)
{
    ASSERT_TRUE(Execute("uncompressTexture"));
    EXPECT_EQ(CountLogged("Couldn't find Textures/areas/grasslands/floor_earth_01.ctx"), 1);
    WriteAsset(TextureTools::kCompressSource, MakeTarga(16, 16, 24, PatternPixels(16, 16, 3)));
    ASSERT_TRUE(Execute("compressTexture"));
    std::vector<uint8_t> ctx = ReadUser("Textures/areas/grasslands/floor_earth_05.ctx");
    WriteAsset(TextureTools::kUncompressSource, ctx);
    ASSERT_TRUE(Execute("uncompressTexture"));
    std::vector<uint8_t> tga = ReadUser(TextureTools::kUncompressTarget);
    EXPECT_EQ(tga.size(), 18u + 16u * 16u * 3u);
}

TEST_F(TextureToolsWorld, SingleTextureCommandsTakeTheDiskCopyOverAnArchivedOne)
{
    // A packed copy of each source, 8 x 8; the copies on disk are 16 x 16, in the working
    // folder, which an ordinary read tries only after the archives.
    TextureRtx packed;
    packed.SetSource(PatternPixels(8, 8, 3).data(), 8, 8, 3);
    packed.BuildMipChain();
    std::vector<uint8_t> packedCtx = TextureCtx::Encode(packed.GetChain(), 8, 8, 4, 3, DxtMode::kDxt1);
    ASSERT_TRUE(WriteZip((folder.Path() / "assets001.zip").string(),
                         {{TextureTools::kCompressSource, AsText(MakeTarga(8, 8, 24, PatternPixels(8, 8, 3)))},
                          {TextureTools::kUncompressSource, AsText(packedCtx)}}));
    ASSERT_TRUE(files.MountArchive("assets001.zip"));
    folder.Write(TextureTools::kCompressSource, AsText(MakeTarga(16, 16, 24, PatternPixels(16, 16, 3, 1))));
    ASSERT_TRUE(Execute("compressTexture"));
    std::vector<uint8_t> ctx = ReadUser("Textures/areas/grasslands/floor_earth_05.ctx");
    TextureCtx read;
    ASSERT_TRUE(read.Decode(ctx.data(), ctx.size(), "floor_earth_05.ctx"));
    EXPECT_EQ(read.GetWidth(), 16);
    folder.Write(TextureTools::kUncompressSource, AsText(ctx));
    ASSERT_TRUE(Execute("uncompressTexture"));
    EXPECT_EQ(ReadUser(TextureTools::kUncompressTarget).size(), 18u + 16u * 16u * 3u);
}

TEST_F(TextureToolsWorld, ZoomIsClampedBetweenItsClampedLimits)
{
    TextureTools::SetZoom(5.0f);
    EXPECT_EQ(gUserVarSystem->GetStringByName("zoom"), "1.400000");
    gUserVarSystem->SetStringByName("zoomMax", "10");
    gUserVarSystem->SetStringByName("zoomMin", "0.01");
    TextureTools::SetZoom(0.0f);
    EXPECT_EQ(gUserVarSystem->GetStringByName("zoomMax"), "3.000000");
    EXPECT_EQ(gUserVarSystem->GetStringByName("zoomMin"), "0.100000");
    EXPECT_EQ(gUserVarSystem->GetStringByName("zoom"), "0.100000");
    TextureTools::SetZoom(2.5f);
    EXPECT_EQ(gUserVarSystem->GetStringByName("zoom"), "2.500000");
}
