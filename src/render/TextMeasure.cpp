// TextMeasure -- the size text takes on screen, by the rules the text drawer follows: localisation first, inline codes skipped, font changes, lines and tabs.
#include "render/TextMeasure.h"

#include "core/ColorCode.h"
#include "core/LocSystem.h"
#include "core/StringUtil.h"
#include "core/UserVarSystem.h"
#include "resources/ResourceManager.h"
#include "resources/fonts/FontResource.h"
#include "resources/fonts/ScreenText.h"

#include <algorithm>

namespace {

// Where the measure stands while it walks the text.
struct TextMeasurePen {
    const FontResource* base = nullptr;
    const FontResource* metrics = nullptr;
    // The font of the last "^f" code, held while the text is measured.
    ResourceHandle codeFont;
    bool fontChanges = true;
};

const FontResource* TextMeasureFont(int32_t handle)
{
    if (handle == -1 || !gResourceManager)
        return nullptr;
    return dynamic_cast<const FontResource*>(gResourceManager->Get(handle));
}

bool TextMeasureHigherRes()
{
    return gUserVarSystem && gUserVarSystem->GetIntByName("r_higherResFonts") != 0;
}

bool TextMeasureSetFont(TextMeasurePen& pen, int32_t handle)
{
    const FontResource* base = TextMeasureFont(handle);
    const FontResource* metrics = TextMeasureHigherRes() ? TextMeasureFont(NextLargerFont(handle)) : base;
    if (!base || !metrics)
        return false;
    pen.base = base;
    pen.metrics = metrics;
    return true;
}

void TextMeasureApplyCode(TextMeasurePen& pen, char letter, int32_t number)
{
    if (!pen.fontChanges)
        return;
    if (letter == 'l') {
        pen.fontChanges = false;
        return;
    }
    if (letter != 'f' || !gScreenText)
        return;
    std::string name = gScreenText->GetFontNameForCode(number);
    if (name.empty())
        return;
    ResourceHandle loaded;
    gResourceManager->Load(name, loaded);
    // A font that does not load leaves the one in use.
    if (TextMeasureSetFont(pen, loaded))
        pen.codeFont = loaded;
}

} // namespace

int32_t NextLargerFont(int32_t font)
{
    if (!gScreenText || font == -1)
        return font;
    for (int32_t i = 0; i + 1 < ScreenText::kLadderSize; ++i) {
        if (gScreenText->GetLadderFont(i) == font)
            return gScreenText->GetLadderFont(i + 1);
    }
    return font;
}

int32_t GetGlyphIndex(const FontResource& font, char16_t character)
{
    int32_t byte = gLocSystem ? gLocSystem->GetCodePageChar(character)
                              : (character < 256 ? static_cast<int32_t>(character) : -1);
    if (byte < 0 || byte > 255)
        return -1;
    return font.GetGlyphIndex(byte);
}

float GetGlyphHeight(const FontResource& font, int32_t glyph)
{
    const FontGlyph* record = font.GetGlyph(glyph);
    return record ? static_cast<float>(FontResource::GetGlyphHeight(*record)) : 0.0f;
}

float GetScaledGlyphWidth(const FontResource& metrics, const FontResource& base, int32_t glyph)
{
    const FontGlyph* record = metrics.GetGlyph(glyph);
    float metricsHeight = GetGlyphHeight(metrics, glyph);
    if (!record || metricsHeight == 0.0f)
        return 0.0f;
    return static_cast<float>(FontResource::GetGlyphWidth(*record)) * (GetGlyphHeight(base, glyph) / metricsHeight);
}

TextSize MeasureTextW(int32_t font, std::u16string_view text)
{
    // Only a text with a localisation token is translated into a copy: the texts measured every
    // frame (the message log's lines) are measured where they lie.
    WString translated;
    std::u16string_view shown = text;
    if (gLocSystem && text.find(u"$$") != std::u16string_view::npos) {
        translated = gLocSystem->Translate(text);
        shown = translated;
    }
    TextMeasurePen pen;
    if (shown.empty() || font == -1 || !TextMeasureSetFont(pen, font))
        return {};
    float spacing = gScreenText ? gScreenText->GetLineSpacing() : 0.0f;
    float width = 0.0f;
    float widest = 0.0f;
    float total = 0.0f;
    float lineHeight = 0.0f;
    bool lineEmpty = true;
    char letter = 0;
    int32_t number = 0;
    for (size_t i = 0; i < shown.size(); ++i) {
        // A code needs all five characters: one cut off by the end is measured as it stands.
        if (ParseColorCodeW(shown, i, letter, number)) {
            TextMeasureApplyCode(pen, letter, number);
            i += kColorCodeLength - 1;
            continue;
        }
        char16_t character = shown[i];
        if (character == u'\n') {
            if (lineHeight == 0.0f)
                lineHeight = GetGlyphHeight(*pen.base, 0);
            total += spacing + lineHeight;
            width = 0.0f;
            lineHeight = 0.0f;
            lineEmpty = true;
        } else if (character == u'\t') {
            // Glyph record 32 itself, not the glyph of the space character.
            width += GetScaledGlyphWidth(*pen.metrics, *pen.base, 32) * static_cast<float>(ScreenText::kTabSpaces) +
                     1.0f;
            widest = std::max(widest, width);
        } else {
            int32_t glyph = GetGlyphIndex(*pen.base, character);
            if (glyph == -1)
                continue;
            width += GetScaledGlyphWidth(*pen.metrics, *pen.base, glyph) + 1.0f;
            lineEmpty = false;
            lineHeight = std::max(lineHeight, GetGlyphHeight(*pen.base, glyph));
            widest = std::max(widest, width);
        }
    }
    if (!lineEmpty)
        total += spacing + lineHeight;
    return {widest, total};
}

TextSize MeasureTextA(std::string_view text, int32_t font)
{
    return MeasureTextW(font, NarrowToWide(text));
}

namespace {

// The length of the inline code ("^" , a letter and three digits) at the text's start; 0 for none.
size_t InlineCodeLength(std::u16string_view text)
{
    constexpr size_t kCodeLength = 5;
    char16_t kind = text.size() < kCodeLength ? u'\0' : text[1];
    if (text.empty() || text[0] != u'^' || !((kind >= u'a' && kind <= u'z') || (kind >= u'A' && kind <= u'Z')))
        return 0;
    for (size_t i = 2; i < kCodeLength; ++i)
        if (text[i] < u'0' || text[i] > u'9')
            return 0;
    return kCodeLength;
}

} // namespace

void WrapTextLines(std::u16string_view text, float maxWidth, int32_t font, TextWidthOf widthOf,
                   std::vector<std::u16string>& out)
{
    out.clear();
    // The line so far with the word being read at its end, from wordStart on.
    std::u16string current;
    size_t wordStart = 0;
    for (size_t at = 0; at < text.size();) {
        char16_t c = text[at];
        if (c == u' ' || c == u'\t') {
            current += c;
            wordStart = current.size();
            ++at;
            continue;
        }
        if (c == u'\r' || c == u'\n') {
            if (c == u'\n') {
                out.push_back(current);
                current.clear();
                wordStart = 0;
            }
            ++at;
            continue;
        }
        // A colour or font code goes whole, never split between two lines.
        size_t piece = std::max<size_t>(1, InlineCodeLength(text.substr(at)));
        current.append(text.substr(at, piece));
        at += piece;
        if (widthOf(font, current) <= maxWidth)
            continue;
        if (wordStart > 0) {
            out.emplace_back(current, 0, wordStart);
            current.erase(0, wordStart);
            wordStart = 0;
        }
        // A word too wide for a line of its own breaks before the piece that overflows.
        if (current.size() > piece && widthOf(font, current) > maxWidth) {
            out.emplace_back(current, 0, current.size() - piece);
            current.erase(0, current.size() - piece);
        }
    }
    if (!current.empty())
        out.push_back(current);
}

std::u16string WrapTextW(int32_t font, std::u16string_view text, float maxWidth)
{
    std::vector<std::u16string> lines;
    WrapTextLines(text, maxWidth, font, [](int32_t inFont, std::u16string_view words) {
        return MeasureTextW(inFont, words).width;
    }, lines);
    std::u16string wrapped;
    for (std::u16string& line : lines) {
        while (!line.empty() && (line.back() == u' ' || line.back() == u'\t'))
            line.pop_back();
        if (&line != &lines.front())
            wrapped += u'\n';
        wrapped += line;
    }
    return wrapped;
}
