// FontResource -- a bitmap font: the ".fnt" glyph tables and the shader of its texture page under "Textures/Fonts/".
#include "resources/fonts/FontResource.h"

#include "core/StringUtil.h"
#include "core/TextParser.h"
#include "resources/ResourceManager.h"
#include "resources/shaders/ShaderLookup.h"

#include <algorithm>

void FontResource::RegisterType(ResourceManager& manager)
{
    manager.RegisterType("fnt", kMemGraphics, true, "", true, Load);
}

Resource* FontResource::Load(const std::string& name, uint8_t* bytes, uint32_t byteCount, int32_t)
{
    auto* font = new FontResource();
    font->Parse(bytes, byteCount);
    std::string baseName = WithoutLastExtension(name);
    StripDirectories(baseName);
    font->textureBaseName = baseName;
    LoadTextureByName(std::string(kTextureFolder) + baseName + ".tga", font->shader, TextureUsage::Overlay);
    return font;
}

// The words are consumed by position whatever they hold, so a file that leaves one out
// shifts what follows rather than failing.
void FontResource::Parse(const uint8_t* bytes, uint32_t byteCount)
{
    static const uint8_t kNoText[1] = {0};
    TextParser parser(bytes ? bytes : kNoText, bytes ? byteCount : 0);
    parser.ExpectToken("size");
    size = parser.GetInt(false);
    parser.ExpectToken("charIndexes");
    parser.ExpectToken("{");
    for (int32_t& glyphIndex : charIndexes)
        glyphIndex = parser.GetInt(true);
    parser.ExpectToken("}");
    parser.ExpectToken("charData");
    parser.ExpectToken("{");
    // One line per glyph: only its first number may be looked for on a later line.
    for (FontGlyph& glyph : glyphs) {
        glyph.left = parser.GetFloat(true);
        glyph.top = parser.GetFloat(false);
        glyph.right = parser.GetFloat(false);
        glyph.bottom = parser.GetFloat(false);
        glyph.width = parser.GetInt(false);
        glyph.height = parser.GetInt(false);
    }
    parser.ExpectToken("}");
}

int32_t FontResource::GetGlyphIndex(int32_t byte) const
{
    if (byte < 0 || byte >= kTableSize)
        return -1;
    int32_t glyphIndex = charIndexes[static_cast<size_t>(byte)];
    return glyphIndex >= 0 && glyphIndex < kTableSize ? glyphIndex : -1;
}

const FontGlyph* FontResource::GetGlyph(int32_t glyphIndex) const
{
    if (glyphIndex < 0 || glyphIndex >= kTableSize)
        return nullptr;
    return &glyphs[static_cast<size_t>(glyphIndex)];
}

int32_t FontResource::GetGlyphWidth(const FontGlyph& glyph)
{
    return glyph.height > 0 ? std::max(glyph.width, 0) : 0;
}

int32_t FontResource::GetGlyphHeight(const FontGlyph& glyph)
{
    return std::max(glyph.height, 0);
}

int32_t FontResource::GetDefaultLineHeight() const
{
    return GetGlyphHeight(glyphs[0]);
}
