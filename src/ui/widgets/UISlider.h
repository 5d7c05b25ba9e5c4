// UISlider -- a notch dragged along a bar that edits a number between a minimum and a maximum, kept in the widget's user var.
#pragma once

#include "ui/UIWidget.h"

#include <cstdint>
#include <string>

// Main thread. Keeps no value of its own: it reads the user var to draw and writes it when moved.
class UISlider : public UIWidget {
public:
    UISlider();
    ~UISlider() override;

    void Draw() override;
    void Update(float seconds) override;
    void PressAtCentre(int32_t button, bool down) override;
    bool HandleMouseButton(int32_t button, bool down, int32_t x, int32_t y) override;
    void OnClick(int32_t button, bool down, int32_t x, int32_t y) override;
    bool ReadProperty(const std::string& key, TextParser& parser) override;
    UIWidget* NewOfSameKind() const override { return new UISlider(); }
    void CopyFrom(const UIWidget& source) override;

    // Where along the bar the value lies: 0 at the left end, 1 at the right, not clamped; 0.5
    // without a value to show.
    float GetNotchFraction() const;
    float GetNotchX() const;
    // The value at the screen x, clamped to the bar, written to the user var with "%f".
    void SetFromX(float x);

    ResourceHandle barTexture;
    ResourceHandle notchTexture;
    float minValue = 0.0f;
    float maxValue = 1.0f;
    float notchWidth = 8.0f;
    float notchHeight = 20.0f;

private:
    bool HasValue() const;
};
