// ScreenText -- draws text glyph by glyph with a bitmap font, with inline colour and font codes, and shaders as screen rectangles.
#pragma once

#include "core/ColorSystem.h"
#include "core/StringUtil.h"
#include "core/UserVarRef.h"
#include "resources/ResourceHandle.h"
#include "resources/shaders/ShaderBatch.h"

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

class FontResource;
struct FontGlyph;
class GraphicsDevice;

// Told what the screen text draws, in the order it draws it: each text as shown, with the box its
// glyphs cover on each line (spaces left out; an empty box for a line of none), and each shader
// rectangle. A measure of the screens watches; nothing does as shipped.
class ScreenTextWatcher {
public:
    struct Box {
        float x0 = 0.0f;
        float y0 = 0.0f;
        float x1 = 0.0f;
        float y1 = 0.0f;
        bool IsEmpty() const { return x1 <= x0 || y1 <= y0; }
    };
    virtual ~ScreenTextWatcher() = default;
    virtual void OnText(std::u16string_view shown, const std::vector<Box>& lines) = 0;
    virtual void OnRect(int32_t shader, float x0, float y0, float x1, float y1, float alpha) = 0;
};

// Main thread. Coordinates are in the 640 x 480 user-interface space.
class ScreenText {
public:
    // The four standard fonts, from the smallest to the largest.
    static constexpr int32_t kLadderSize = 4;
    static constexpr int32_t kShadowColor = 10;
    // "^c145" returns to the colour before the last colour code.
    static constexpr int32_t kPopColor = 145;
    // A tab is this many space widths, and one unit.
    static constexpr int32_t kTabSpaces = 5;

    // The file name of font n of the text codes ("^fNNN"); empty for none.
    using FontNameForCode = std::function<std::string(int32_t n)>;

    // A null device means the graphics device singleton.
    explicit ScreenText(GraphicsDevice* device = nullptr) : batch(device) {}

    // "r_higherResFonts" (1): text takes its glyphs from one font up the ladder, each drawn in
    // the box of the asked font's glyph, so the text stays the size the text measure gives.
    void RegisterVars();
    bool UsesHigherResFonts() const { return higherResFonts.IsValid() && higherResFonts.GetBool(); }
    // Loads the four standard fonts in ladder order.
    void LoadFontLadder(const std::array<std::string, kLadderSize>& fontNames);
    const ResourceHandle& GetLadderFont(int32_t position) const { return fontLadder[static_cast<size_t>(position)]; }
    void SetFontNameForCode(FontNameForCode lookup) { fontNameForCode = std::move(lookup); }
    // The file name of font n of the text codes; empty for none.
    std::string GetFontNameForCode(int32_t n) const { return fontNameForCode ? fontNameForCode(n) : std::string(); }
    // The user interface's space between text lines.
    void SetLineSpacing(float spacing) { lineSpacing = spacing; }
    float GetLineSpacing() const { return lineSpacing; }

    // The text with its top-left corner at (x, y). Inline codes: "^cNNN" colour NNN of the
    // colour table (145 goes back to the colour before), "^fNNN" font NNN of the text codes,
    // "^lNNN" no more codes; "\n" (the two characters too) starts a line, a tab advances.
    void DrawText(int32_t font, std::u16string_view text, int32_t x, int32_t y, const Color& color, bool shadow,
                  float alpha);
    // The text widened byte by byte.
    void DrawTextNarrow(int32_t font, std::string_view text, int32_t x, int32_t y, const Color& color, bool shadow,
                        float alpha);
    // The shader as one rectangle. Tiled, its first stage's texture repeats once per texture
    // size; tiled to fit, in whole repeats; otherwise it spans the rectangle once. The flush
    // word goes to the device with the batch.
    void DrawShaderRect(int32_t shader, const Color& color, float x0, float y0, float x1, float y1, float alpha,
                        bool tiled, bool tiledToFit, uint32_t flushWord);

    // The shader with whatever the caller puts into its batch (a radial sweep), flushed with the
    // word as DrawShaderRect flushes.
    void DrawShaderWith(int32_t shader, const std::function<void(ShaderBatch&)>& fill, uint32_t flushWord);

    // What a colour code pushed and has not popped, for the current text.
    size_t GetColorStackSize() const { return colorStack.size(); }

    // Null stops the watching.
    void SetWatcher(ScreenTextWatcher* newWatcher) { watcher = newWatcher; }

private:
    struct Pen;

    FontResource* FetchFont(int32_t handle) const;
    bool BeginFontBatch(const FontResource* font);
    bool ApplyCode(Pen& pen, char letter, int32_t number);
    bool ChangeFont(Pen& pen, int32_t number);
    void ChangeColor(Pen& pen, int32_t number);
    void DrawCharacter(Pen& pen, char16_t character);
    void DrawGlyph(const Pen& pen, const FontGlyph& glyph, float width, float height);
    // The glyph's box added to the watched text's last line.
    void WatchGlyph(const Pen& pen, float width, float height);
    void TellWatcher(std::u16string_view shown);

    ShaderBatch batch;
    std::array<ResourceHandle, kLadderSize> fontLadder;
    UserVarRef higherResFonts;
    float lineSpacing = 0.0f;
    FontNameForCode fontNameForCode;
    std::deque<Color> colorStack;
    WString drawScratch;
    WString narrowScratch;
    ScreenTextWatcher* watcher = nullptr;
    std::vector<ScreenTextWatcher::Box> watchedLines;
};

extern ScreenText* gScreenText;
