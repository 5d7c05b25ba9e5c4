// UIScrollBar -- two arrows, a track and a thumb that show and change which part of a longer list is in view.
#pragma once

#include "core/RandomTimer.h"
#include "ui/UIWidget.h"

#include <cstdint>
#include <string>

// Main thread. Made by the factory or by the widget that scrolls with it; that owner tells it the
// line count and page size and reads `position` back as its first visible line.
class UIScrollBar : public UIWidget {
public:
    // Parts of the bar under a point.
    static constexpr int32_t kOutside = 0;
    static constexpr int32_t kFirstArrow = 1;
    static constexpr int32_t kSecondArrow = 2;
    static constexpr int32_t kPageBack = 3;
    static constexpr int32_t kPageForward = 4;
    static constexpr int32_t kThumb = 5;
    // Seconds a held arrow or page area waits before repeating, then between repeats.
    static constexpr float kFirstRepeatSeconds = 0.25f;
    static constexpr float kOtherRepeatSeconds = 0.05f;

    // The eight pictures named by the UI system's settings.
    UIScrollBar();
    ~UIScrollBar() override;

    void Draw() override;
    void Update(float seconds) override;
    void PressAtCentre(int32_t button, bool down) override;
    bool HandleMouseButton(int32_t button, bool down, int32_t x, int32_t y) override;
    void OnClick(int32_t button, bool down, int32_t x, int32_t y) override;
    bool IsVisible() const override;
    // Places the arrows and the track inside the widget's rectangle.
    void OnAttach() override;
    bool ReadProperty(const std::string& key, TextParser& parser) override;
    UIWidget* NewOfSameKind() const override { return new UIScrollBar(); }
    void CopyFrom(const UIWidget& source) override;
    bool IsMadeByOwner() const override { return madeByOwner; }

    // A bar for a widget that scrolls with it, in the owner's menu one draw order above it,
    // hidden while every line fits: at the offset and size given, or along the owner's right
    // edge when both are null or all 0.
    static UIScrollBar* MakeFor(UIWidget& owner, const float* offset, const float* extent);
    // Along the right edge (vertical) or the bottom edge of the area, 16 units thick.
    void BasicSetup(const float areaPosition[2], const float areaSize[2]);
    // Unchanged numbers change nothing; otherwise the thumb is sized again and the position is 0.
    void SetRange(int32_t lineCount, int32_t linesPerPage);
    void ClampPosition();
    void ScrollByPart(int32_t part);
    // Moves by the whole lines in delta; the anchor keeps the fraction not applied yet.
    void DragBy(float delta, bool moveAnchor);
    int32_t HitPart(float x, float y) const;
    // Hidden because every line fits.
    bool HiddenAsAllFit() const { return hideIfNotNeeded && allVisible; }

    ResourceHandle upTexture;
    ResourceHandle downTexture;
    ResourceHandle leftTexture;
    ResourceHandle rightTexture;
    ResourceHandle backgroundTexture;
    ResourceHandle barTexture;
    ResourceHandle backgroundHorizTexture;
    ResourceHandle barHorizTexture;
    float trackStart = 0.0f;
    float trackEnd = 0.0f;
    float thumbPos = 0.0f;
    // The first visible line; the widget's place is UIWidget::position.
    int32_t position = 0;
    float thumbLength = 0.0f;
    float arrowWidth = 0.0f;
    float arrowHeight = 0.0f;
    float dragAnchorX = 0.0f;
    float dragAnchorY = 0.0f;
    int32_t count = 0;
    int32_t pageSize = 0;
    float stepLength = 0.0f;
    bool hideIfNotNeeded = false;
    bool allVisible = true;
    bool vertical = true;
    int32_t pressedPart = 0;
    RandomTimer repeatTimer;
    // Made by a widget that scrolls with it: a copy of that widget makes its own again.
    bool madeByOwner = false;

private:
    float ArrowSize() const { return vertical ? arrowHeight : arrowWidth; }
    float CursorAlongAxis() const;
    bool ParentHidden() const { return parentWidget && !parentWidget->IsVisible(); }
    void DrawPart(int32_t shader, int32_t colorIndex, float x0, float y0, float x1, float y1) const;
};
