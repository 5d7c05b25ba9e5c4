// FontResourceTest -- ".fnt" files read by position: glyph tables, short lines, shifted blocks and their texture page.
#include "resources/shaders/ShaderWorld.h"

#include "resources/fonts/FontResource.h"

#include <sstream>

namespace {

// A font whose byte b maps to glyph b % 7 and whose glyph g is a g-wide, 10-high cell.
std::string MakeFontResourceText(int size)
{
    std::ostringstream text;
    text << "size " << size << "\ncharIndexes\n{\n";
    for (int byte = 0; byte < 256; ++byte)
        text << byte % 7 << (byte % 16 == 15 ? "\n" : " ");
    text << "}\ncharData\n{\n";
    for (int glyph = 0; glyph < 256; ++glyph)
        text << glyph / 16.0 << " 0.25 " << (glyph + 1) / 16.0 << " 0.5 " << glyph << " 10\n";
    text << "}\n";
    return text.str();
}

class FontResourceTest : public ShaderWorld {
protected:
    FontResource* LoadFont(const std::string& name, const std::string& text)
    {
        WriteAsset(name, text);
        ResourceHandle& handle = Hold();
        manager->Load(name, handle);
        return dynamic_cast<FontResource*>(manager->Get(handle));
    }
};

TEST_F(FontResourceTest, TablesAndTexturePage)
{
    StartShaders();
    WriteTarga("Textures/Fonts/big.tga", 16, 16);
    FontResource* font = LoadFont("Fonts/Big.fnt", MakeFontResourceText(14));
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(font->GetSize(), 14);
    EXPECT_EQ(font->GetTextureBaseName(), "big");
    EXPECT_EQ(font->GetCharIndex(255), 255 % 7);
    EXPECT_EQ(font->GetGlyphIndex('A'), 'A' % 7);
    const FontGlyph* glyph = font->GetGlyph(3);
    ASSERT_NE(glyph, nullptr);
    EXPECT_FLOAT_EQ(glyph->left, 3 / 16.0f);
    EXPECT_FLOAT_EQ(glyph->top, 0.25f);
    EXPECT_FLOAT_EQ(glyph->right, 4 / 16.0f);
    EXPECT_FLOAT_EQ(glyph->bottom, 0.5f);
    EXPECT_EQ(FontResource::GetGlyphWidth(*glyph), 3);
    EXPECT_EQ(font->GetDefaultLineHeight(), 10);
    // The page is drawn through the Overlay shader of Textures/Fonts/<name>.
    EXPECT_EQ(manager->GetName(font->GetShader()), "Textures/Fonts/big.sdr");
    auto* shader = dynamic_cast<Shader*>(manager->Get(font->GetShader()));
    ASSERT_NE(shader, nullptr);
    EXPECT_FALSE(shader->testDepth);
    EXPECT_EQ(shader->stages[0]->clampU, GlConstant::kClampToEdge);
}

TEST_F(FontResourceTest, MissingNumbersReadAsZeroAndLinesKeepTheirGlyph)
{
    std::string text = MakeFontResourceText(9);
    // Glyph 1's line loses its height; glyph 2 still starts on the next line.
    size_t line = text.find("\n0.0625 0.25");
    size_t end = text.find('\n', line + 1);
    text.replace(line + 1, end - line - 1, "0.0625 0.25 0.125 0.5 1");
    FontResource* font = LoadFont("Fonts/short.fnt", text);
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(font->GetGlyph(1)->height, 0);
    EXPECT_EQ(FontResource::GetGlyphWidth(*font->GetGlyph(1)), 0);
    EXPECT_FLOAT_EQ(font->GetGlyph(2)->left, 2 / 16.0f);
    EXPECT_EQ(font->GetGlyph(2)->width, 2);

    // Without "charIndexes" every later value is read one place early.
    std::string shifted = MakeFontResourceText(9);
    shifted.erase(shifted.find("charIndexes"), std::string("charIndexes").size());
    FontResource* damaged = LoadFont("Fonts/shifted.fnt", shifted);
    ASSERT_NE(damaged, nullptr);
    EXPECT_EQ(damaged->GetCharIndex(0), 1);
    EXPECT_EQ(damaged->GetCharIndex(255), 0);
}

TEST_F(FontResourceTest, EveryCutAndWildIndexStaysInBounds)
{
    std::string text = MakeFontResourceText(9);
    text.replace(text.find("{\n0 1 2") + 2, 5, "-5 999999 2");
    for (size_t cut = 0; cut <= text.size(); cut += 7) {
        std::string part = text.substr(0, cut);
        auto* font = static_cast<FontResource*>(FontResource::Load("Fonts/cut.fnt", reinterpret_cast<uint8_t*>(part.data()),
                                                                   static_cast<uint32_t>(part.size()), 0));
        for (int byte = -1; byte <= 256; ++byte) {
            int32_t glyph = font->GetGlyphIndex(byte);
            ASSERT_TRUE(glyph == -1 || (glyph >= 0 && glyph < 256)) << cut;
        }
        delete font;
    }
    FontResource* font = LoadFont("Fonts/wild.fnt", text);
    EXPECT_EQ(font->GetGlyphIndex(0), -1);
    EXPECT_EQ(font->GetGlyphIndex(1), -1);
    EXPECT_EQ(font->GetGlyphIndex(2), 2);
    EXPECT_EQ(font->GetGlyph(-1), nullptr);
}

} // namespace
