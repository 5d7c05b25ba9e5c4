// TextureResourceTest -- the three texture factories and the placeholder: messages, uploads, pixel copies, hostile files.
#include "core/Memory.h"
#include "resources/textures/TextureCtx.h"
#include "resources/textures/TextureResource.h"
#include "resources/textures/TextureRtx.h"
#include "resources/textures/TextureWorld.h"

#include <cstring>
#include <functional>

namespace {

using Factory = std::function<Resource*(const std::string&, uint8_t*, uint32_t, int32_t)>;

// The factory over an exact-size heap copy, so that a read past the end is caught by the
// address sanitizer.
std::unique_ptr<TextureResource> Build(const Factory& factory, const std::vector<uint8_t>& bytes, const std::string& name)
{
    std::unique_ptr<uint8_t[]> copy(new uint8_t[std::max<size_t>(bytes.size(), 1)]);
    std::copy(bytes.begin(), bytes.end(), copy.get());
    Resource* made = factory(name, bytes.empty() ? nullptr : copy.get(), static_cast<uint32_t>(bytes.size()), 0);
    return std::unique_ptr<TextureResource>(dynamic_cast<TextureResource*>(made));
}

std::vector<uint8_t> RtxFile(int width, int height, int bytesPerPixel)
{
    TextureRtx texture;
    std::vector<uint8_t> pixels = PatternPixels(width, height, bytesPerPixel);
    texture.SetSource(pixels.data(), width, height, bytesPerPixel);
    texture.BuildMipChain();
    return texture.Encode();
}

std::vector<uint8_t> CtxFile(int width, int height, int bytesPerPixel, DxtMode mode)
{
    TextureRtx texture;
    std::vector<uint8_t> pixels = PatternPixels(width, height, bytesPerPixel);
    texture.SetSource(pixels.data(), width, height, bytesPerPixel);
    texture.BuildMipChain();
    return TextureCtx::Encode(texture.GetChain(), width, height, texture.GetLevelCount(), bytesPerPixel, mode);
}

void SetWord(std::vector<uint8_t>& bytes, size_t offset, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[offset + i] = static_cast<uint8_t>(value >> (8 * i));
}

} // namespace

class TextureFactoryTest : public TextureWorld {
protected:
    RecordedUpload UploadOf(const TextureResource& texture) const
    {
        std::optional<RecordedUpload> upload = device->FindUpload(texture.GetTextureId());
        EXPECT_TRUE(upload.has_value());
        return upload.value_or(RecordedUpload());
    }
};

TEST_F(TextureFactoryTest, TargaOfExactLengthDecodesWithRedAndBlueSwapped)
{
    std::vector<uint8_t> file = MakeTarga(2, 1, 24, {1, 2, 3, 4, 5, 6});
    auto texture = Build(TextureResource::LoadTarga, file, "a.tga");
    ASSERT_TRUE(texture);
    EXPECT_FALSE(texture->IsPlaceholder());
    RecordedUpload upload = UploadOf(*texture);
    EXPECT_EQ(upload.width, 2);
    EXPECT_EQ(upload.height, 1);
    EXPECT_EQ(upload.format, PixelFormat::kRgb);
    EXPECT_EQ(upload.levelCount, 1);
    EXPECT_EQ(upload.pixels, (std::vector<uint8_t>{3, 2, 1, 6, 5, 4}));
    EXPECT_TRUE(upload.contextHeld);
    EXPECT_EQ(texture->GetSmallLevel(1), nullptr);
}

// The origin bit was once ignored: a file written top row first loaded upside down.
TEST_F(TextureFactoryTest, ATopOriginTargaUploadsItsRowsBottomFirstLikeABottomOriginOne)
{
    // Three rows of one 24-bit pixel each, top row first in the file, with an image ID.
    std::vector<uint8_t> topFirst = MakeTarga(1, 3, 24, {10, 11, 12, 20, 21, 22, 30, 31, 32}, "id");
    topFirst[17] = 0x28; // top origin, 8 attribute bits
    auto texture = Build(TextureResource::LoadTarga, topFirst, "top.tga");
    ASSERT_TRUE(texture);
    EXPECT_EQ(UploadOf(*texture).pixels, (std::vector<uint8_t>{32, 31, 30, 22, 21, 20, 12, 11, 10}));
    EXPECT_EQ(texture->GetHeader().descriptor, 0x08);

    std::vector<uint8_t> bottomFirst = MakeTarga(1, 3, 24, {30, 31, 32, 20, 21, 22, 10, 11, 12});
    auto same = Build(TextureResource::LoadTarga, bottomFirst, "bottom.tga");
    ASSERT_TRUE(same);
    EXPECT_EQ(UploadOf(*same).pixels, UploadOf(*texture).pixels);

    // Two rows of two 32-bit pixels: whole rows move, the pixels in them stay in order.
    std::vector<uint8_t> wide = MakeTarga(2, 2, 32, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16});
    wide[17] = 0x20;
    auto turned = Build(TextureResource::LoadTarga, wide, "wide.tga");
    ASSERT_TRUE(turned);
    EXPECT_EQ(UploadOf(*turned).pixels,
              (std::vector<uint8_t>{11, 10, 9, 12, 15, 14, 13, 16, 3, 2, 1, 4, 7, 6, 5, 8}));
}

TEST_F(TextureFactoryTest, EachTargaFaultIsReportedOnce)
{
    auto rle = Build(TextureResource::LoadTarga, MakeTarga(1, 1, 24, {1, 2, 3}, "", 10), "rle.tga");
    EXPECT_TRUE(rle->IsPlaceholder());
    EXPECT_EQ(CountLogged("Incorrect image type in file rle.tga"), 1);
    // The placeholder is the 16 x 16 one.
    EXPECT_EQ(UploadOf(*rle).width, 16);
    size_t before = LogSize();
    // Colour-mapped, 16 bits, and too short: every check speaks.
    auto bad = Build(TextureResource::LoadTarga, MakeTarga(4, 4, 16, {1}, "", 1, 1), "bad.tga");
    EXPECT_TRUE(bad->IsPlaceholder());
    EXPECT_EQ(CountLogged("Incorrect image type in file bad.tga"), 1);
    EXPECT_EQ(CountLogged("Incorrect color map type in file bad.tga"), 1);
    EXPECT_EQ(CountLogged("Incorrect pixel size in file bad.tga"), 1);
    EXPECT_EQ(CountLogged("Not enough pixel data in file bad.tga"), 1);
    EXPECT_EQ(LogSize(), before + 4);
    // Sizes are signed: 0x8000 is negative, not a large image that a length check would wave through.
    std::vector<uint8_t> negative = MakeTarga(1, 1, 24, {1, 2, 3});
    negative[13] = 0x80;
    EXPECT_TRUE(Build(TextureResource::LoadTarga, negative, "negative.tga")->IsPlaceholder());
    EXPECT_EQ(CountLogged("Incorrect image size in file negative.tga"), 1);
}

TEST_F(TextureFactoryTest, ImageIdIsSkippedBeforeThePixels)
{
    auto texture = Build(TextureResource::LoadTarga, MakeTarga(1, 1, 32, {10, 20, 30, 40}, "id!"), "id.tga");
    ASSERT_FALSE(texture->IsPlaceholder());
    EXPECT_EQ(UploadOf(*texture).pixels, (std::vector<uint8_t>{30, 20, 10, 40}));
    EXPECT_EQ(texture->GetHeader().idLength, 3);
    // The ID counts against the length.
    auto cut = Build(TextureResource::LoadTarga, MakeTarga(1, 1, 32, {10, 20, 30}, "id!"), "cut.tga");
    EXPECT_TRUE(cut->IsPlaceholder());
}

TEST_F(TextureFactoryTest, PlaceholderIsARedCrossOnWhite)
{
    std::unique_ptr<Resource> made(TextureResource::CreatePlaceholder("gone.tga"));
    auto* texture = dynamic_cast<TextureResource*>(made.get());
    ASSERT_TRUE(texture);
    RecordedUpload upload = UploadOf(*texture);
    ASSERT_EQ(upload.pixels.size(), 16u * 16u * 3u);
    auto pixel = [&](int x, int y) {
        const uint8_t* at = &upload.pixels[static_cast<size_t>(y * 16 + x) * 3];
        return std::vector<uint8_t>(at, at + 3);
    };
    const std::vector<uint8_t> red = {255, 0, 0};
    const std::vector<uint8_t> white = {255, 255, 255};
    EXPECT_EQ(pixel(0, 0), red);
    EXPECT_EQ(pixel(15, 1), red);
    EXPECT_EQ(pixel(0, 15), white);
    int reds = 0;
    for (int i = 0; i < 256; ++i)
        reds += upload.pixels[static_cast<size_t>(i) * 3 + 1] == 0;
    EXPECT_EQ(reds, 30);
    EXPECT_EQ(texture->GetPixelDepth(), 24);
    EXPECT_EQ(texture->GetHeader().imageType, 2);
    EXPECT_FALSE(texture->KeepsBytes());
}

TEST_F(TextureFactoryTest, LoadArgumentEightKeepsTheSwappedPixels)
{
    std::vector<uint8_t> file = MakeTarga(2, 1, 24, {1, 2, 3, 4, 5, 6});
    auto* bytes = static_cast<uint8_t*>(MemAllocArray(file.size(), kMemGraphics));
    std::memcpy(bytes, file.data(), file.size());
    std::unique_ptr<Resource> kept(TextureResource::LoadTarga("k.tga", bytes, static_cast<uint32_t>(file.size()), 8));
    auto* texture = dynamic_cast<TextureResource*>(kept.get());
    ASSERT_TRUE(texture && texture->KeepsBytes());
    EXPECT_EQ(texture->GetBytes(), bytes);
    EXPECT_EQ(std::vector<uint8_t>(texture->GetKeptPixels(), texture->GetKeptPixels() + 6),
              (std::vector<uint8_t>{3, 2, 1, 6, 5, 4}));
    auto plain = Build(TextureResource::LoadTarga, file, "p.tga");
    EXPECT_FALSE(plain->KeepsBytes());
    EXPECT_EQ(plain->GetKeptPixels(), nullptr);
}

TEST_F(TextureFactoryTest, SquareRtxUploadsItsChainAndCopiesTheSmallLevels)
{
    std::vector<uint8_t> file = RtxFile(8, 8, 3);
    auto texture = Build(TextureResource::LoadRtx, file, "s.rtx");
    ASSERT_FALSE(texture->IsPlaceholder());
    RecordedUpload upload = UploadOf(*texture);
    EXPECT_EQ(upload.format, PixelFormat::kRgb);
    EXPECT_EQ(upload.levelCount, 4);
    EXPECT_EQ(upload.minFilter, TextureFilter::kLinearMipmapNearest);
    EXPECT_EQ(upload.pixels, std::vector<uint8_t>(file.begin() + 16, file.end()));
    EXPECT_EQ(texture->GetPixelDepth(), 24);
    // Level 1 is the 4 x 4 copy, extended with alpha 255.
    const uint8_t* four = texture->GetSmallLevel(4);
    ASSERT_NE(four, nullptr);
    const uint8_t* level1 = file.data() + 16 + 64 * 3;
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(std::memcmp(four + 4 * i, level1 + 3 * i, 3), 0);
        EXPECT_EQ(four[4 * i + 3], 255);
    }
    ASSERT_NE(texture->GetSmallLevel(1), nullptr);
    EXPECT_EQ(std::memcmp(texture->GetSmallLevel(1), file.data() + file.size() - 3, 3), 0);
    EXPECT_EQ(texture->GetSmallLevel(8), nullptr);
}

TEST_F(TextureFactoryTest, NonSquareCachesUploadEveryLevelButCopyNone)
{
    auto rtx = Build(TextureResource::LoadRtx, RtxFile(8, 4, 4), "n.rtx");
    EXPECT_EQ(UploadOf(*rtx).levelCount, 4);
    EXPECT_EQ(UploadOf(*rtx).format, PixelFormat::kRgba);
    EXPECT_EQ(rtx->GetPixelDepth(), 32);
    EXPECT_EQ(rtx->GetSmallLevel(4), nullptr);
    EXPECT_EQ(rtx->GetSmallLevel(1), nullptr);
    auto ctx = Build(TextureResource::LoadCtx, CtxFile(16, 4, 3, DxtMode::kDxt1), "n.ctx");
    EXPECT_EQ(UploadOf(*ctx).levelCount, 5);
    EXPECT_EQ(UploadOf(*ctx).format, PixelFormat::kDxt1);
    EXPECT_EQ(ctx->GetSmallLevel(2), nullptr);
}

TEST_F(TextureFactoryTest, CtxFormatFollowsItsTagAndSmallLevelsFollowTheChain)
{
    std::vector<uint8_t> file = CtxFile(8, 8, 4, DxtMode::kDxt3);
    auto dxt3 = Build(TextureResource::LoadCtx, file, "t.ctx");
    RecordedUpload upload = UploadOf(*dxt3);
    EXPECT_EQ(upload.format, PixelFormat::kDxt3);
    EXPECT_EQ(upload.levelCount, 4);
    EXPECT_EQ(upload.pixels.size(), (4u + 1u + 1u + 1u) * 16u);
    EXPECT_EQ(dxt3->GetPixelDepth(), 32);
    ASSERT_NE(dxt3->GetSmallLevel(2), nullptr);
    EXPECT_EQ(std::memcmp(dxt3->GetSmallLevel(2), file.data() + file.size() - 5 * 4, 16), 0);
    EXPECT_EQ(std::memcmp(dxt3->GetSmallLevel(1), file.data() + file.size() - 4, 4), 0);
    std::memcpy(file.data() + 16, "ABCD", 4);
    EXPECT_EQ(UploadOf(*Build(TextureResource::LoadCtx, file, "u.ctx")).format, PixelFormat::kDxt5);
}

// Every cut gives the placeholder; a flipped header bit gives some texture, never a read past the file.
TEST_F(TextureFactoryTest, EveryCutAndHeaderFlipOfEveryKindIsSurvived)
{
    const std::vector<std::pair<Factory, std::vector<uint8_t>>> files = {
        {TextureResource::LoadTarga, MakeTarga(4, 2, 32, PatternPixels(4, 2, 4), "xy")},
        {TextureResource::LoadRtx, RtxFile(8, 4, 4)},
        {TextureResource::LoadCtx, CtxFile(8, 8, 4, DxtMode::kDxt5)},
        {TextureResource::LoadCtx, CtxFile(4, 4, 3, DxtMode::kDxt1)},
    };
    for (const auto& [factory, file] : files) {
        for (size_t cut = 0; cut < file.size(); ++cut) {
            std::vector<uint8_t> prefix(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(cut));
            auto texture = Build(factory, prefix, "cut");
            ASSERT_TRUE(texture && texture->IsPlaceholder()) << "cut at " << cut;
            for (int bit = 0; bit < 8 && cut < 20; ++bit) {
                std::vector<uint8_t> flipped = file;
                flipped[cut] = static_cast<uint8_t>(flipped[cut] ^ (1 << bit));
                auto read = Build(factory, flipped, "flip");
                ASSERT_TRUE(read);
                if (!read->IsPlaceholder()) {
                    EXPECT_LE(UploadOf(*read).pixels.size(), flipped.size());
                }
            }
        }
        EXPECT_FALSE(Build(factory, file, "whole")->IsPlaceholder());
    }
}

TEST_F(TextureFactoryTest, HostileCacheHeadersAreRefused)
{
    struct Case {
        size_t offset;
        uint32_t value;
        const char* message;
    };
    const Case rtxCases[] = {{0, 0, "Incorrect texture size"},          {0, 0xFFFF, "Incorrect texture size"},
                             {8, 0, "Incorrect pixel size"},            {8, 0xFFFFFFFF, "Incorrect pixel size"},
                             {12, 0, "Incorrect level count"},          {12, 5, "Incorrect level count"},
                             {12, 0x80000000, "Incorrect level count"}, {0, 0x7FFF, "is too short"}};
    for (const Case& hostile : rtxCases) {
        std::vector<uint8_t> file = RtxFile(8, 8, 3);
        SetWord(file, hostile.offset, hostile.value);
        EXPECT_TRUE(Build(TextureResource::LoadRtx, file, "h.rtx")->IsPlaceholder()) << hostile.offset;
        EXPECT_GE(CountLogged(hostile.message), 1) << hostile.message;
    }
    std::vector<uint8_t> ctx = CtxFile(8, 8, 3, DxtMode::kDxt1);
    SetWord(ctx, 12, 4000);
    EXPECT_TRUE(Build(TextureResource::LoadCtx, ctx, "h.ctx")->IsPlaceholder());
    EXPECT_EQ(CountLogged("Incorrect level count in file h.ctx"), 1);
}
