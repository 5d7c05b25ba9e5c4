// ConsoleView -- the drop-down console drawn over the frame: a dark band over the top half of the screen, its newest lines and the input line.
#include "render/ConsoleView.h"

#include "core/Console.h"
#include "resources/ResourceManager.h"
#include "resources/fonts/FontResource.h"
#include "resources/fonts/ScreenText.h"
#include "resources/shaders/ShaderLookup.h"

#include <algorithm>

namespace {

constexpr float kConsoleViewMargin = 4.0f;
constexpr float kConsoleViewBandAlpha = 0.8f;

} // namespace

void ConsoleView::Load(const std::string& whiteTexture)
{
    if (!whiteTexture.empty())
        LoadTextureByName(whiteTexture, bandShader, TextureUsage::Overlay);
}

void ConsoleView::Draw(const Console& console) const
{
    if (!console.IsShown() || !gScreenText)
        return;
    const float band = static_cast<float>(Console::kBandHeight);
    gScreenText->DrawShaderRect(bandShader, Color{0.08f, 0.08f, 0.16f}, 0.0f, 0.0f, 640.0f, band,
                                kConsoleViewBandAlpha, false, false, 0);
    int32_t font = gScreenText->GetLadderFont(0);
    // Under "r_higherResFonts" the glyphs come from a larger font but keep this font's size.
    auto* drawn = dynamic_cast<const FontResource*>(gResourceManager->Get(font));
    if (!drawn || drawn->GetDefaultLineHeight() <= 0)
        return;
    float lineHeight = static_cast<float>(drawn->GetDefaultLineHeight()) + gScreenText->GetLineSpacing();
    float inputY = band - kConsoleViewMargin - lineHeight;
    int rows = std::max(0, static_cast<int>((inputY - kConsoleViewMargin) / lineHeight));
    float y = kConsoleViewMargin;
    const Color white{1.0f, 1.0f, 1.0f};
    for (const std::string& line : console.VisibleLines(rows)) {
        gScreenText->DrawTextNarrow(font, line, static_cast<int32_t>(kConsoleViewMargin), static_cast<int32_t>(y),
                                    white, true, 1.0f);
        y += lineHeight;
    }
    gScreenText->DrawTextNarrow(font, "]" + console.GetInputLine(), static_cast<int32_t>(kConsoleViewMargin),
                                static_cast<int32_t>(inputY), white, true, 1.0f);
}
