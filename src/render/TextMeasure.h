// TextMeasure -- the size text takes on screen, by the rules the text drawer follows: localisation first, inline codes skipped, font changes, lines and tabs.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class FontResource;

struct TextSize {
    float width = 0.0f;
    float height = 0.0f;
};

// Width and height in user-interface pixels of the text in the font (a resource handle). Lines
// are as tall as their tallest glyph (an empty line as glyph 0) plus the screen text's line
// spacing; each glyph adds its width and one pixel. With "r_higherResFonts" the widths come
// from the next larger stock font, scaled to the base font's glyph height. (0, 0) for an empty
// text, handle -1, or a font that is not loaded.
TextSize MeasureTextW(int32_t font, std::u16string_view text);
// The text widened byte by byte, then MeasureTextW.
TextSize MeasureTextA(std::string_view text, int32_t font);

// The width in user-interface pixels of a text in a font.
using TextWidthOf = float (*)(int32_t font, std::u16string_view text);
// Breaks the text into lines no wider than maxWidth: at line feeds, and before the word that
// would overflow; blanks stay at the end of their line and carriage returns are dropped. A word
// wider than a line by itself is broken at the character that overflows.
void WrapTextLines(std::u16string_view text, float maxWidth, int32_t font, TextWidthOf widthOf,
                   std::vector<std::u16string>& out);
// The text broken by WrapTextLines as MeasureTextW measures it, each line's closing blanks
// dropped (they would widen its measured box), the lines joined by line feeds.
std::u16string WrapTextW(int32_t font, std::u16string_view text, float maxWidth);

// The stock font after this one in the ladder; the largest and any other handle are their own.
int32_t NextLargerFont(int32_t font);
// The glyph of the character's code-page byte; -1 for a character the code page or the font lacks.
int32_t GetGlyphIndex(const FontResource& font, char16_t character);
float GetGlyphHeight(const FontResource& font, int32_t glyph);
// The metrics font's glyph width scaled by base height / metrics height; 0 when the metrics
// glyph has no height.
float GetScaledGlyphWidth(const FontResource& metrics, const FontResource& base, int32_t glyph);
