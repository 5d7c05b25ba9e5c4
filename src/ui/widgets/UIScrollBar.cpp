// UIScrollBar -- two arrows, a track and a thumb that show and change which part of a longer list is in view.
#include "ui/widgets/UIScrollBar.h"

#include "core/ColorSystem.h"
#include "core/StringUtil.h"
#include "core/TextParser.h"
#include "core/system/InputSystem.h"
#include "resources/ResourceManager.h"
#include "resources/fonts/ScreenText.h"
#include "resources/shaders/ShaderLookup.h"
#include "ui/UIMenu.h"
#include "ui/UISystem.h"

#include <algorithm>
#include <cmath>

namespace {

// The far arrow blinks this colour-table entry while lines lie beyond the page.
constexpr int32_t kScrollBarBlinkColor = 4;
constexpr float kScrollBarThickness = 16.0f;

void ScrollBarLoad(const std::string& name, ResourceHandle& out)
{
    if (!name.empty() && gResourceManager)
        LoadTextureByName(name, out, TextureUsage::Overlay);
}

} // namespace

UIScrollBar::UIScrollBar()
{
    canClick = true;
    if (!gUISystem)
        return;
    const UiSettings& settings = gUISystem->settings;
    ScrollBarLoad(settings.scrollbarUp, upTexture);
    ScrollBarLoad(settings.scrollbarDown, downTexture);
    ScrollBarLoad(settings.scrollbarLeft, leftTexture);
    ScrollBarLoad(settings.scrollbarRight, rightTexture);
    ScrollBarLoad(settings.scrollbarBackground, backgroundTexture);
    ScrollBarLoad(settings.scrollbarBar, barTexture);
    ScrollBarLoad(settings.scrollbarBackgroundHoriz, backgroundHorizTexture);
    ScrollBarLoad(settings.scrollbarBarHoriz, barHorizTexture);
}

UIScrollBar::~UIScrollBar() = default;

// ---- Geometry ----

UIScrollBar* UIScrollBar::MakeFor(UIWidget& owner, const float* offset, const float* extent)
{
    auto* bar = new UIScrollBar();
    bool placed = offset && extent && (offset[0] != 0.0f || offset[1] != 0.0f || extent[0] != 0.0f || extent[1] != 0.0f);
    if (placed) {
        std::copy(offset, offset + 2, bar->UIWidget::position);
        std::copy(extent, extent + 2, bar->size);
    } else {
        bar->BasicSetup(owner.position, owner.size);
    }
    bar->drawOrder = owner.drawOrder + 1.0f;
    bar->hideIfNotNeeded = true;
    bar->parentWidget = &owner;
    bar->madeByOwner = true;
    bar->visible = owner.visible;
    owner.menu->AddWidget(bar);
    bar->menu = owner.menu;
    bar->OnAttach();
    return bar;
}

void UIScrollBar::BasicSetup(const float areaPosition[2], const float areaSize[2])
{
    if (vertical) {
        UIWidget::position[0] = areaPosition[0] + areaSize[0] - kScrollBarThickness;
        UIWidget::position[1] = areaPosition[1];
        size[0] = kScrollBarThickness;
        size[1] = areaSize[1];
    } else {
        UIWidget::position[0] = areaPosition[0];
        UIWidget::position[1] = areaPosition[1] + areaSize[1] - kScrollBarThickness;
        size[0] = areaSize[0];
        size[1] = kScrollBarThickness;
    }
}

void UIScrollBar::OnAttach()
{
    float start = vertical ? GetScreenPosition().y : GetScreenPosition().x;
    float length = vertical ? size[1] : size[0];
    arrowWidth = vertical ? size[0] : size[1];
    arrowHeight = arrowWidth;
    trackStart = start + arrowWidth;
    float farEnd = start + length - arrowWidth;
    // With no range yet the thumb fills the track.
    trackEnd = farEnd - thumbLength;
    thumbPos = trackStart;
    thumbLength = trackEnd - trackStart;
}

void UIScrollBar::SetRange(int32_t lineCount, int32_t linesPerPage)
{
    if (lineCount == count && linesPerPage == pageSize)
        return;
    float along = vertical ? size[1] : size[0];
    float track = along - 2.0f * ArrowSize();
    if (linesPerPage < lineCount && lineCount != 0)
        thumbLength = track * static_cast<float>(linesPerPage) / static_cast<float>(lineCount);
    else
        thumbLength = track;
    float farEdge = vertical ? GetScreenPosition().y + size[1] : GetScreenPosition().x + size[0];
    trackEnd = farEdge - ArrowSize() - thumbLength;
    count = lineCount;
    pageSize = linesPerPage;
    allVisible = lineCount <= linesPerPage;
    position = 0;
    stepLength = lineCount != 0 ? (trackEnd - trackStart) / static_cast<float>(lineCount) : 0.0f;
}

void UIScrollBar::ClampPosition()
{
    // With no lines the position stays at 0 rather than -1.
    if (position >= count)
        position = count - 1;
    if (position < 0)
        position = 0;
}

void UIScrollBar::ScrollByPart(int32_t part)
{
    switch (part) {
    case kFirstArrow: --position; break;
    case kSecondArrow: ++position; break;
    case kPageBack: position -= pageSize; break;
    case kPageForward: position += pageSize; break;
    default: return;
    }
    ClampPosition();
}

void UIScrollBar::DragBy(float delta, bool moveAnchor)
{
    float& anchor = vertical ? dragAnchorY : dragAnchorX;
    if (moveAnchor)
        anchor -= delta;
    // No lines, no step to divide by.
    if (delta == 0.0f || stepLength == 0.0f)
        return;
    auto steps = static_cast<int32_t>(std::trunc(delta / stepLength));
    if (steps == 0)
        return;
    position += steps;
    ClampPosition();
    anchor += static_cast<float>(steps) * stepLength;
}

int32_t UIScrollBar::HitPart(float x, float y) const
{
    float left = GetScreenPosition().x;
    float top = GetScreenPosition().y;
    if (x < left || x > left + size[0] || y < top || y > top + size[1])
        return kOutside;
    float along = vertical ? y : x;
    float start = vertical ? top : left;
    float end = start + (vertical ? size[1] : size[0]);
    float arrow = ArrowSize();
    if (start <= along && along < start + arrow)
        return kFirstArrow;
    if (end - arrow <= along && along < end)
        return kSecondArrow;
    if (along < thumbPos)
        return kPageBack;
    if (along <= thumbPos + thumbLength)
        return kThumb;
    return kPageForward;
}

// ---- Input ----

float UIScrollBar::CursorAlongAxis() const
{
    if (!gInputSystem)
        return 0.0f;
    return static_cast<float>(vertical ? gInputSystem->GetCursorY() : gInputSystem->GetCursorX());
}

bool UIScrollBar::IsVisible() const
{
    return UIWidget::IsVisible() && !HiddenAsAllFit();
}

void UIScrollBar::PressAtCentre(int32_t button, bool down)
{
    int32_t x = gInputSystem ? gInputSystem->GetCursorX() : 0;
    int32_t y = gInputSystem ? gInputSystem->GetCursorY() : 0;
    OnClick(button, down, x, y);
}

bool UIScrollBar::HandleMouseButton(int32_t button, bool down, int32_t x, int32_t y)
{
    // The release ends the hold wherever the cursor is now; the base lets it pass unseen.
    if (!down && repeatArmed) {
        OnClick(button, down, x, y);
        return false;
    }
    return UIWidget::HandleMouseButton(button, down, x, y);
}

void UIScrollBar::OnClick(int32_t button, bool down, int32_t x, int32_t y)
{
    if (!IsVisible() || ParentHidden() || HiddenAsAllFit() || button != 0)
        return;
    if (!down) {
        EndMouseRepeat();
        return;
    }
    if (repeatArmed)
        return;
    pressedPart = HitPart(static_cast<float>(x), static_cast<float>(y));
    ScrollByPart(pressedPart);
    BeginMouseRepeat();
    dragAnchorX = static_cast<float>(x);
    dragAnchorY = static_cast<float>(y);
    repeatTimer.running = 1;
    repeatTimer.total = kFirstRepeatSeconds;
    repeatTimer.remaining = kFirstRepeatSeconds;
}

// ---- Frame ----

void UIScrollBar::Update(float seconds)
{
    UIWidget::Update(seconds);
    if (repeatArmed) {
        if (pressedPart == kThumb) {
            DragBy(CursorAlongAxis() - (vertical ? dragAnchorY : dragAnchorX), false);
        } else if (pressedPart != kOutside) {
            repeatTimer.Update(seconds);
            if (repeatTimer.IsExpired()) {
                ScrollByPart(pressedPart);
                repeatTimer.running = 1;
                repeatTimer.total = kOtherRepeatSeconds;
                repeatTimer.remaining = kOtherRepeatSeconds;
            }
        }
    }
    thumbPos = trackStart;
    if (count > 0)
        thumbPos += (trackEnd - trackStart) * static_cast<float>(position) / static_cast<float>(count);
}

void UIScrollBar::DrawPart(int32_t shader, int32_t colorIndex, float x0, float y0, float x1, float y1) const
{
    Color shade{1.0f, 1.0f, 1.0f};
    ColorSystem::GetColorByIndex(shade.r, shade.g, shade.b, colorIndex);
    gScreenText->DrawShaderRect(shader, shade, x0, y0, x1, y1, 1.0f, false, false, 0);
}

void UIScrollBar::Draw()
{
    if (HiddenAsAllFit() || !IsVisible() || ParentHidden() || !gScreenText)
        return;
    float x = GetScreenPosition().x;
    float y = GetScreenPosition().y;
    float w = size[0];
    float h = size[1];
    bool moreBeyond = pageSize + position <= count;
    int32_t farColor = (moreBeyond && !UISystem::IsBlinkOn(1.0f)) ? kScrollBarBlinkColor : 0;
    if (vertical) {
        DrawPart(upTexture, 0, x, y, x + arrowWidth, y + arrowHeight);
        DrawPart(backgroundTexture, 0, x, y + arrowHeight, x + w, y + h - arrowHeight);
        DrawPart(barTexture, 0, x, thumbPos, x + w, thumbPos + thumbLength);
        DrawPart(downTexture, farColor, x, y + h - arrowHeight, x + arrowWidth, y + h);
    } else {
        DrawPart(leftTexture, 0, x, y, x + arrowWidth, y + arrowHeight);
        DrawPart(backgroundHorizTexture, 0, x + arrowWidth, y, x + w - arrowWidth, y + h);
        DrawPart(barHorizTexture, 0, thumbPos, y, thumbPos + thumbLength, y + h);
        DrawPart(rightTexture, farColor, x + w - arrowWidth, y, x + w, y + arrowHeight);
    }
}

// ---- Layout and copies ----

bool UIScrollBar::ReadProperty(const std::string& key, TextParser& parser)
{
    const std::string& file = gUISystem ? gUISystem->loadingFile : std::string();
    if (StringEqualsNoCase(key, "basicSetup")) {
        float area[2];
        float extent[2];
        area[0] = ReadLayoutFloat(parser, file);
        area[1] = ReadLayoutFloat(parser, file);
        extent[0] = ReadLayoutFloat(parser, file);
        extent[1] = ReadLayoutFloat(parser, file);
        BasicSetup(area, extent);
        return false;
    }
    if (StringEqualsNoCase(key, "hideIfNotNeeded")) {
        hideIfNotNeeded = parser.GetInt(false) != 0;
        return false;
    }
    if (StringEqualsNoCase(key, "vertical")) {
        vertical = parser.GetInt(false) != 0;
        return false;
    }
    return UIWidget::ReadProperty(key, parser);
}

void UIScrollBar::CopyFrom(const UIWidget& source)
{
    UIWidget::CopyFrom(source);
    const auto* bar = dynamic_cast<const UIScrollBar*>(&source);
    if (!bar || bar == this)
        return;
    upTexture = bar->upTexture;
    downTexture = bar->downTexture;
    leftTexture = bar->leftTexture;
    rightTexture = bar->rightTexture;
    backgroundTexture = bar->backgroundTexture;
    barTexture = bar->barTexture;
    backgroundHorizTexture = bar->backgroundHorizTexture;
    barHorizTexture = bar->barHorizTexture;
    trackStart = bar->trackStart;
    trackEnd = bar->trackEnd;
    thumbPos = bar->thumbPos;
    position = bar->position;
    thumbLength = bar->thumbLength;
    arrowWidth = bar->arrowWidth;
    arrowHeight = bar->arrowHeight;
    dragAnchorX = bar->dragAnchorX;
    dragAnchorY = bar->dragAnchorY;
    count = bar->count;
    pageSize = bar->pageSize;
    stepLength = bar->stepLength;
    hideIfNotNeeded = bar->hideIfNotNeeded;
    allVisible = bar->allVisible;
    vertical = bar->vertical;
    pressedPart = bar->pressedPart;
    repeatTimer = bar->repeatTimer;
    madeByOwner = bar->madeByOwner;
}
