// ScreenText -- draws text glyph by glyph with a bitmap font, with inline colour and font codes, and shaders as screen rectangles.
#include "resources/fonts/ScreenText.h"

#include "core/ColorCode.h"
#include "core/LocSystem.h"
#include "core/UserVarSystem.h"
#include "resources/ResourceManager.h"
#include "resources/fonts/FontResource.h"
#include "resources/shaders/Shader.h"

#include <algorithm>
#include <utility>

ScreenText* gScreenText = nullptr;

// Where the next glyph goes and what it looks like.
struct ScreenText::Pen {
    float startX = 0.0f;
    float x = 0.0f;
    float y = 0.0f;
    int32_t lineHeight = 0;
    Color color;
    Color callColor;
    float alpha = 1.0f;
    bool shadow = false;
    bool codes = true;
    // The font whose glyphs are drawn: a step up the ladder from the one asked for under
    // "r_higherResFonts".
    const FontResource* font = nullptr;
    // The font asked for: its glyph boxes are where the drawn glyphs go, so text covers what
    // the text measure says whatever the setting.
    const FontResource* base = nullptr;
    // The font of the last "^f" code, held while the text is drawn.
    ResourceHandle codeFont;
};

namespace {

Shader* FetchShader(int32_t handle)
{
    return dynamic_cast<Shader*>(gResourceManager->Get(handle));
}

// The character's byte in the language's code page; -1 for none.
int32_t CodePageByte(char16_t character)
{
    if (gLocSystem)
        return gLocSystem->GetCodePageChar(character);
    return character < 256 ? static_cast<int32_t>(character) : -1;
}

// The drawn font's glyph shrunk or grown to the asked font's glyph of the same byte; its own
// size when the fonts are one or the asked font has no sized glyph there.
std::pair<float, int32_t> ScreenTextGlyphBox(const FontResource* base, const FontResource& drawn,
                                              const FontGlyph& glyph, int32_t byte)
{
    float width = static_cast<float>(FontResource::GetGlyphWidth(glyph));
    int32_t height = FontResource::GetGlyphHeight(glyph);
    const FontGlyph* asked = base && base != &drawn ? base->GetGlyph(base->GetGlyphIndex(byte)) : nullptr;
    if (!asked || height <= 0 || FontResource::GetGlyphHeight(*asked) <= 0)
        return {width, height};
    int32_t askedHeight = FontResource::GetGlyphHeight(*asked);
    return {width * static_cast<float>(askedHeight) / static_cast<float>(height), askedHeight};
}

Color TableColor(int32_t index)
{
    Color color;
    ColorSystem::GetColorByIndex(color.r, color.g, color.b, index);
    return color;
}

} // namespace

void ScreenText::RegisterVars()
{
    higherResFonts = gUserVarSystem->RegisterVar("r_higherResFonts", "1");
}

void ScreenText::LoadFontLadder(const std::array<std::string, kLadderSize>& fontNames)
{
    for (size_t i = 0; i < fontNames.size(); ++i)
        gResourceManager->Load(fontNames[i], fontLadder[i]);
}

FontResource* ScreenText::FetchFont(int32_t handle) const
{
    if (handle != -1 && UsesHigherResFonts()) {
        for (int32_t i = 0; i + 1 < kLadderSize; ++i) {
            if (fontLadder[static_cast<size_t>(i)] == handle) {
                handle = fontLadder[static_cast<size_t>(i + 1)];
                break;
            }
        }
    }
    return dynamic_cast<FontResource*>(gResourceManager->Get(handle));
}

bool ScreenText::BeginFontBatch(const FontResource* font)
{
    const Shader* shader = font ? FetchShader(font->GetShader()) : nullptr;
    if (!shader)
        return false;
    batch.BeginBatch(shader);
    // Glyphs are pictures on the screen: two-sided, whichever way the writers wind them.
    batch.SetSurfaceState(1.0f, kWriteMaskTwoSided);
    return true;
}

void ScreenText::DrawTextNarrow(int32_t font, std::string_view text, int32_t x, int32_t y, const Color& color,
                                bool shadow, float alpha)
{
    // Widened into kept storage, which DrawText copies before it draws.
    NarrowToWide(text, narrowScratch);
    DrawText(font, narrowScratch, x, y, color, shadow, alpha);
}

void ScreenText::DrawText(int32_t font, std::u16string_view text, int32_t x, int32_t y, const Color& color,
                          bool shadow, float alpha)
{
    Pen pen;
    pen.font = FetchFont(font);
    pen.base = dynamic_cast<FontResource*>(gResourceManager->Get(font));
    if (!BeginFontBatch(pen.font))
        return;
    // Text without localisation keys is copied into kept storage, so a steady frame of menu
    // texts draws without allocating.
    WString& shown = drawScratch;
    if (gLocSystem && text.find(u"$$") != std::u16string_view::npos)
        shown = gLocSystem->Translate(text);
    else
        shown.assign(text);
    WStringExpandNewlines(shown);
    colorStack.clear();
    watchedLines.assign(watcher ? 1 : 0, ScreenTextWatcher::Box{});
    pen.startX = pen.x = static_cast<float>(x);
    pen.y = static_cast<float>(y);
    pen.color = pen.callColor = color;
    pen.alpha = alpha;
    pen.shadow = shadow;
    char letter = 0;
    int32_t number = 0;
    for (size_t i = 0; i < shown.size(); ++i) {
        // The code reader needs all five characters, so a code cut off by the end of the
        // text is drawn as it stands rather than read past the end.
        if (ParseColorCodeW(shown, i, letter, number)) {
            i += kColorCodeLength - 1;
            if (!ApplyCode(pen, letter, number)) {
                TellWatcher(shown);
                return;
            }
            continue;
        }
        DrawCharacter(pen, shown[i]);
    }
    batch.FlushBatch();
    TellWatcher(shown);
}

void ScreenText::TellWatcher(std::u16string_view shown)
{
    if (watcher)
        watcher->OnText(shown, watchedLines);
}

void ScreenText::WatchGlyph(const Pen& pen, float width, float height)
{
    if (!watcher || watchedLines.empty() || width <= 0.0f || height <= 0.0f)
        return;
    ScreenTextWatcher::Box& line = watchedLines.back();
    if (line.IsEmpty()) {
        line = {pen.x, pen.y, pen.x + width, pen.y + height};
        return;
    }
    line = {std::min(line.x0, pen.x), std::min(line.y0, pen.y), std::max(line.x1, pen.x + width),
            std::max(line.y1, pen.y + height)};
}

// False when the rest of the text cannot be drawn.
bool ScreenText::ApplyCode(Pen& pen, char letter, int32_t number)
{
    if (!pen.codes)
        return true;
    switch (letter) {
    case 'f':
        return ChangeFont(pen, number);
    case 'c':
        ChangeColor(pen, number);
        break;
    case 'l':
        pen.codes = false;
        break;
    default:
        break;
    }
    return true;
}

bool ScreenText::ChangeFont(Pen& pen, int32_t number)
{
    std::string name = fontNameForCode ? fontNameForCode(number) : std::string();
    gResourceManager->Load(name, pen.codeFont);
    pen.font = FetchFont(pen.codeFont);
    pen.base = dynamic_cast<FontResource*>(gResourceManager->Get(pen.codeFont));
    batch.FlushBatch();
    return BeginFontBatch(pen.font);
}

void ScreenText::ChangeColor(Pen& pen, int32_t number)
{
    if (number != kPopColor) {
        colorStack.push_back(pen.color);
        pen.color = TableColor(number);
        return;
    }
    if (colorStack.empty()) {
        pen.color = pen.callColor;
        return;
    }
    pen.color = colorStack.back();
    colorStack.pop_back();
}

void ScreenText::DrawCharacter(Pen& pen, char16_t character)
{
    if (character == u'\n') {
        if (pen.lineHeight == 0)
            pen.lineHeight = (pen.base ? pen.base : pen.font)->GetDefaultLineHeight();
        pen.y += lineSpacing + static_cast<float>(pen.lineHeight);
        pen.x = pen.startX;
        pen.lineHeight = 0;
        if (watcher)
            watchedLines.emplace_back();
        return;
    }
    if (character == u'\t') {
        const FontGlyph* space = pen.font->GetGlyph(pen.font->GetGlyphIndex(' '));
        float spaceWidth = space ? ScreenTextGlyphBox(pen.base, *pen.font, *space, ' ').first : 0.0f;
        pen.x += kTabSpaces * spaceWidth + 1.0f;
        return;
    }
    // A character without a glyph is skipped without moving the pen.
    int32_t byte = CodePageByte(character);
    const FontGlyph* glyph = pen.font->GetGlyph(pen.font->GetGlyphIndex(byte));
    if (!glyph)
        return;
    auto [width, height] = ScreenTextGlyphBox(pen.base, *pen.font, *glyph, byte);
    DrawGlyph(pen, *glyph, width, static_cast<float>(height));
    if (character != u' ')
        WatchGlyph(pen, width, static_cast<float>(height));
    pen.x += width + 1.0f;
    pen.lineHeight = std::max(pen.lineHeight, height);
}

void ScreenText::DrawGlyph(const Pen& pen, const FontGlyph& glyph, float width, float height)
{
    // A glyph of no size covers nothing.
    if (width <= 0.0f || height <= 0.0f)
        return;
    QuadTexCoords texCoords{glyph.left, 1.0f - glyph.top, glyph.right, 1.0f - glyph.bottom};
    if (pen.shadow) {
        batch.DrawScreenQuad(pen.x + 1.0f, pen.y + 1.0f, pen.x + 1.0f + width, pen.y + 1.0f + height, texCoords,
                             TableColor(kShadowColor), pen.alpha);
    }
    batch.DrawScreenQuad(pen.x, pen.y, pen.x + width, pen.y + height, texCoords, pen.color, pen.alpha);
}

void ScreenText::DrawShaderRect(int32_t shaderHandle, const Color& color, float x0, float y0, float x1, float y1,
                                float alpha, bool tiled, bool tiledToFit, uint32_t flushWord)
{
    const Shader* shader = shaderHandle == -1 ? nullptr : FetchShader(shaderHandle);
    if (!shader)
        return;
    if (watcher)
        watcher->OnRect(shaderHandle, x0, y0, x1, y1, alpha);
    batch.BeginBatch(shader);
    // A picture on the screen, whatever shader it has: two-sided, and not lit by a level's lights.
    batch.SetSurfaceState(1.0f, kWriteMaskTwoSided);
    batch.SetUnlit(true);
    if (!tiled && !tiledToFit) {
        batch.AddQuad(x0, y0, x1, y1, color, alpha);
    } else {
        QuadTexCoords texCoords = ShaderBatch::ComputeQuadTexCoords(shaderHandle, x1 - x0, y1 - y0, tiled, tiledToFit);
        batch.DrawScreenQuad(x0, y0, x1, y1, texCoords, color, alpha);
    }
    batch.FlushBatch(flushWord, 0);
}

void ScreenText::DrawShaderWith(int32_t shaderHandle, const std::function<void(ShaderBatch&)>& fill, uint32_t flushWord)
{
    const Shader* shader = shaderHandle == -1 ? nullptr : FetchShader(shaderHandle);
    if (!shader)
        return;
    batch.BeginBatch(shader);
    fill(batch);
    batch.FlushBatch(flushWord, 0);
}
