// UIStatBar -- a stat drawn as a bar filled in proportion to a second stat, across or upwards, from either edge.
#include "ui/widgets/UIStatBar.h"

#include "core/StringUtil.h"
#include "core/TextParser.h"
#include "resources/fonts/ScreenText.h"
#include "ui/UISystem.h"

#include <cstdio>

UIStatBar::~UIStatBar() = default;

bool UIStatBar::GetFillRect(float& x0, float& y0, float& x1, float& y1) const
{
    int32_t maximum = GetSecondValue();
    if (maximum <= 0)
        return false;
    // Not clamped: a value above its maximum draws past the widget's edge.
    float share = static_cast<float>(GetValue()) / static_cast<float>(maximum);
    float width = vertical ? size[0] : size[0] * share;
    float height = vertical ? size[1] * share : size[1];
    float x = GetScreenPosition().x;
    float y = GetScreenPosition().y;
    if (reversed) {
        x0 = x + size[0] - width;
        y0 = y + size[1] - height;
        x1 = x + size[0];
        y1 = y + size[1];
    } else {
        x0 = x;
        y0 = y;
        x1 = x + width;
        y1 = y + height;
    }
    return true;
}

void UIStatBar::Draw()
{
    if (!IsVisible() || !gScreenText)
        return;
    float x0 = 0.0f;
    float y0 = 0.0f;
    float x1 = 0.0f;
    float y1 = 0.0f;
    if (!GetFillRect(x0, y0, x1, y1))
        return;
    Color shade = color;
    if (blinkCondition != 0 && EvaluateCondition(blinkCondition) && !UISystem::IsBlinkOn(0.5f)) {
        if (blinkIntensity <= 0.0f)
            return;
        shade = Color{shade.r * blinkIntensity, shade.g * blinkIntensity, shade.b * blinkIntensity};
    }
    bool glowing = glowCondition != 0 && EvaluateCondition(glowCondition);
    gScreenText->DrawShaderRect(glowing ? glowTexture : texture, shade, x0, y0, x1, y1, 1.0f, false, false, 0);
}

bool UIStatBar::GetHelpText(int32_t x, int32_t y, std::string& out, std::string& title)
{
    UIWidget::GetHelpText(x, y, out, title);
    if (conversionType != StatConversionType::None) {
        out += FormatConvertedValue();
    } else {
        char numbers[64];
        std::snprintf(numbers, sizeof numbers, "%d / %d", GetValue(), GetSecondValue());
        out += numbers;
    }
    return true;
}

bool UIStatBar::ReadProperty(const std::string& key, TextParser& parser)
{
    if (StringEqualsNoCase(key, "vertical")) {
        vertical = parser.GetInt(false) != 0;
        return false;
    }
    if (StringEqualsNoCase(key, "reversed")) {
        reversed = parser.GetInt(false) != 0;
        return false;
    }
    return UIStatValue::ReadProperty(key, parser);
}

void UIStatBar::CopyFrom(const UIWidget& source)
{
    UIStatValue::CopyFrom(source);
    const auto* other = dynamic_cast<const UIStatBar*>(&source);
    if (!other || other == this)
        return;
    vertical = other->vertical;
    reversed = other->reversed;
}
