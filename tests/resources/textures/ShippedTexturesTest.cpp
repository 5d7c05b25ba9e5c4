// ShippedTexturesTest -- the generated textures in the game's archive load without a message and build their caches.
#include "resources/textures/TextureCtx.h"
#include "resources/textures/TextureResource.h"
#include "resources/textures/TextureRtx.h"
#include "resources/textures/TextureWorld.h"
#include "support/ShippedGame.h"

// The shipped game folder seen through the temporary one: its assets and archive linked in.
class ShippedTextures : public TextureWorld {
protected:
    void SetUp() override
    {
        if (!LinkShippedGame(folder.Path()))
            GTEST_SKIP() << "EMBERLODE_GAME_DIR not set";
        ASSERT_TRUE(files.MountArchive("assets001.zip")) << "the build writes game/assets001.zip";
    }

    std::vector<std::string> ListTextures()
    {
        std::vector<std::string> names;
        files.ListFiles("Textures", "tga", names, kLocationAssets, true, true, true);
        return names;
    }
};

TEST_F(ShippedTextures, EveryTextureLoadsQuietlyAndCompresses)
{
    std::vector<std::string> names = ListTextures();
    ASSERT_GE(names.size(), 30u);
    for (const std::string& name : names) {
        FileBuffer file = files.LoadWholeFile(name);
        ASSERT_TRUE(file.IsValid()) << name;
        std::vector<uint8_t> bytes(file.Data(), file.Data() + file.Size());
        std::unique_ptr<Resource> made(TextureResource::LoadTarga(name, bytes.data(), static_cast<uint32_t>(bytes.size()), 0));
        auto* texture = dynamic_cast<TextureResource*>(made.get());
        ASSERT_TRUE(texture && !texture->IsPlaceholder()) << name;
        TextureRtx chain;
        ASSERT_TRUE(chain.LoadTarga(name));
        chain.SwapRedBlue();
        chain.BuildMipChain();
        EXPECT_FALSE(TextureCtx::Encode(chain.GetChain(), chain.GetWidth(), chain.GetHeight(), chain.GetLevelCount(),
                                        chain.GetBytesPerPixel(), DxtMode::kDxt5)
                         .empty())
            << name << " is not a power of two";
    }
    EXPECT_TRUE(debug.GetConsoleLines().empty());
}

TEST_F(ShippedTextures, FontPagesHoldSixteenBySixCellsAndTheirGlyphsInAlpha)
{
    struct Page {
        const char* name;
        int width;
        int height;
        int scale;
    };
    const Page pages[] = {{"Textures/Fonts/font_small.tga", 128, 64, 1},
                          {"Textures/Fonts/font_medium.tga", 256, 128, 2},
                          {"Textures/Fonts/font_large.tga", 512, 256, 3},
                          {"Textures/Fonts/font_huge.tga", 512, 256, 4},
                          {"Textures/Fonts/font_bold.tga", 256, 128, 2}};
    for (const Page& page : pages) {
        TextureRtx image;
        ASSERT_TRUE(image.LoadTarga(page.name)) << page.name;
        EXPECT_EQ(image.GetWidth(), page.width) << page.name;
        EXPECT_EQ(image.GetHeight(), page.height) << page.name;
        ASSERT_EQ(image.GetBytesPerPixel(), 4);
        // Rows are stored bottom first; the space (first cell) is empty and the cell of "!"
        // (second) has its stem in the third column at the second glyph row from the top.
        auto alphaAt = [&](int x, int yFromTop) {
            size_t row = static_cast<size_t>(page.height - 1 - yFromTop);
            return image.GetSource()[(row * page.width + x) * 4 + 3];
        };
        int cell = 6 * page.scale;
        EXPECT_EQ(alphaAt(2 * page.scale, 1 * page.scale), 0) << page.name;
        EXPECT_EQ(alphaAt(cell + 2 * page.scale, 1 * page.scale), 255) << page.name;
        EXPECT_EQ(alphaAt(cell + 2 * page.scale, 6 * page.scale), 0) << page.name;
    }
}
