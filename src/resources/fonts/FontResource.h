// FontResource -- a bitmap font: the ".fnt" glyph tables and the shader of its texture page under "Textures/Fonts/".
#pragma once

#include "resources/Resource.h"
#include "resources/ResourceHandle.h"

#include <array>
#include <cstdint>
#include <string>

class ResourceManager;

// A glyph's rectangle in the font texture (0 to 1, top down) and its size in screen units.
struct FontGlyph {
    float left = -1.0f;
    float top = -1.0f;
    float right = -1.0f;
    float bottom = -1.0f;
    int32_t width = -1;
    int32_t height = -1;
};

// The file is read by position: "size" and a number; "charIndexes" and a block of 256 glyph
// numbers, one per byte value; "charData" and a block of 256 lines of six numbers, one per
// glyph (left, top, right, bottom, width, height). Missing numbers read as 0.
class FontResource : public Resource {
public:
    static constexpr int32_t kTableSize = 256;
    static constexpr const char* kTextureFolder = "Textures/Fonts/";

    // Both tables start with every entry -1; the loader overwrites every one.
    FontResource() { charIndexes.fill(-1); }

    // "fnt", read from the file, reloadable, with no fallback.
    static void RegisterType(ResourceManager& manager);
    // The "fnt" factory (loader thread).
    static Resource* Load(const std::string& name, uint8_t* bytes, uint32_t byteCount, int32_t loadArgument);

    // The glyph number of a code-page byte; -1 for a byte outside 0 to 255 or a table entry
    // that names no glyph.
    int32_t GetGlyphIndex(int32_t byte) const;
    // Null for -1.
    const FontGlyph* GetGlyph(int32_t glyphIndex) const;
    // 0 for a glyph of height 0 (and for a negative size read from a damaged file).
    static int32_t GetGlyphWidth(const FontGlyph& glyph);
    static int32_t GetGlyphHeight(const FontGlyph& glyph);
    // The height of the first glyph record: a line with no glyph on it.
    int32_t GetDefaultLineHeight() const;

    const std::string& GetTextureBaseName() const { return textureBaseName; }
    int32_t GetSize() const { return size; }
    int32_t GetCharIndex(int32_t byte) const { return charIndexes[static_cast<size_t>(byte)]; }
    // The Overlay shader of the font's texture page.
    const ResourceHandle& GetShader() const { return shader; }

private:
    void Parse(const uint8_t* bytes, uint32_t byteCount);

    std::string textureBaseName;
    int32_t size = 0;
    std::array<int32_t, kTableSize> charIndexes;
    std::array<FontGlyph, kTableSize> glyphs;
    ResourceHandle shader;
};
