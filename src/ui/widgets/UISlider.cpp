// UISlider -- a notch dragged along a bar that edits a number between a minimum and a maximum, kept in the widget's user var.
#include "ui/widgets/UISlider.h"

#include "core/StringUtil.h"
#include "core/TextParser.h"
#include "core/UserVarSystem.h"
#include "core/system/InputSystem.h"
#include "resources/ResourceManager.h"
#include "resources/fonts/ScreenText.h"
#include "resources/shaders/ShaderLookup.h"
#include "ui/UISystem.h"

#include <algorithm>
#include <cstdio>

namespace {

// The bar is drawn this far above the widget's middle line.
constexpr float kSliderBarRaise = 5.0f;

} // namespace

UISlider::UISlider()
{
    canClick = true;
    if (!gResourceManager)
        return;
    LoadTextureByName("Textures/UI/slider_bar.tga", barTexture, TextureUsage::Overlay);
    LoadTextureByName("Textures/UI/slider_notch.tga", notchTexture, TextureUsage::Overlay);
}

UISlider::~UISlider() = default;

bool UISlider::HasValue() const
{
    return userVar.IsValid() && gUserVarSystem && gUserVarSystem->IsReady();
}

float UISlider::GetNotchFraction() const
{
    if (!HasValue() || minValue == maxValue)
        return 0.5f;
    return (userVar.GetFloat() - minValue) / (maxValue - minValue);
}

float UISlider::GetNotchX() const
{
    return GetScreenPosition().x + size[0] * GetNotchFraction() - notchWidth * 0.5f;
}

void UISlider::SetFromX(float x)
{
    // A bar of no width holds only its minimum.
    float t = size[0] > 0.0f ? std::clamp((x - GetScreenPosition().x) / size[0], 0.0f, 1.0f) : 0.0f;
    if (!HasValue())
        return;
    char printed[64];
    std::snprintf(printed, sizeof printed, "%f", minValue + (maxValue - minValue) * t);
    userVar.SetString(printed);
}

void UISlider::PressAtCentre(int32_t button, bool down)
{
    int32_t x = gInputSystem ? gInputSystem->GetCursorX() : 0;
    int32_t y = gInputSystem ? gInputSystem->GetCursorY() : 0;
    OnClick(button, down, x, y);
}

bool UISlider::HandleMouseButton(int32_t button, bool down, int32_t x, int32_t y)
{
    // The release ends the drag wherever the cursor is now; the base lets it pass unseen.
    if (!down && repeatArmed) {
        OnClick(button, down, x, y);
        return false;
    }
    return UIWidget::HandleMouseButton(button, down, x, y);
}

void UISlider::OnClick(int32_t button, bool down, int32_t x, int32_t /*y*/)
{
    if (!IsVisible() || button != 0)
        return;
    if (!down) {
        if (repeatArmed) {
            EndMouseRepeat();
            if (gUISystem)
                gUISystem->ClearWidgetPress(this);
        }
        return;
    }
    float notchX = GetNotchX();
    auto at = static_cast<float>(x);
    if (at >= notchX && at < notchX + notchWidth)
        BeginMouseRepeat();
    else
        SetFromX(at);
}

void UISlider::Update(float seconds)
{
    UIWidget::Update(seconds);
    if (repeatArmed && gInputSystem)
        SetFromX(static_cast<float>(gInputSystem->GetCursorX()));
}

void UISlider::Draw()
{
    if (!IsVisible() || !gScreenText)
        return;
    float x = GetScreenPosition().x;
    float y = GetScreenPosition().y;
    float middle = y + size[1] * 0.5f;
    Color white{1.0f, 1.0f, 1.0f};
    gScreenText->DrawShaderRect(barTexture, white, x, middle - kSliderBarRaise, x + size[0],
                                y + size[1] - kSliderBarRaise, 1.0f, false, false, 0);
    float notchX = GetNotchX();
    float notchY = middle - notchHeight * 0.5f;
    gScreenText->DrawShaderRect(notchTexture, white, notchX, notchY, notchX + notchWidth, notchY + notchHeight, 1.0f,
                                false, false, 0);
}

bool UISlider::ReadProperty(const std::string& key, TextParser& parser)
{
    const std::string& file = gUISystem ? gUISystem->loadingFile : std::string();
    if (StringEqualsNoCase(key, "minValue")) {
        minValue = ReadLayoutFloat(parser, file);
        return false;
    }
    if (StringEqualsNoCase(key, "maxValue")) {
        maxValue = ReadLayoutFloat(parser, file);
        return false;
    }
    return UIWidget::ReadProperty(key, parser);
}

void UISlider::CopyFrom(const UIWidget& source)
{
    UIWidget::CopyFrom(source);
    const auto* slider = dynamic_cast<const UISlider*>(&source);
    if (!slider || slider == this)
        return;
    barTexture = slider->barTexture;
    notchTexture = slider->notchTexture;
    minValue = slider->minValue;
    maxValue = slider->maxValue;
    notchWidth = slider->notchWidth;
    notchHeight = slider->notchHeight;
}
