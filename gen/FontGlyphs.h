// FontGlyphs -- the game's own pixel font: 95 glyphs of 6 x 10 pixels, one hex byte a row.
#pragma once

#include <cstdint>

constexpr int kGlyphColumns = 6;
constexpr int kGlyphRows = 10;
// Characters 32 (space) to 126 (tilde).
constexpr int kFirstGlyph = 32;
constexpr int kGlyphCount = 95;

extern const uint8_t kFontGlyphs[kGlyphCount][kGlyphRows];

// Whether the glyph of the character covers the pixel (x across, y down from the cell's top).
inline bool GlyphPixel(int character, int x, int y)
{
    if (character < kFirstGlyph || character >= kFirstGlyph + kGlyphCount || x < 0 || x >= kGlyphColumns || y < 0 ||
        y >= kGlyphRows)
        return false;
    return (kFontGlyphs[character - kFirstGlyph][y] >> (kGlyphColumns - 1 - x) & 1) != 0;
}
