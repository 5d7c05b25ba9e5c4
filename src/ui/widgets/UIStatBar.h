// UIStatBar -- a stat drawn as a bar filled in proportion to a second stat, across or upwards, from either edge.
#pragma once

#include "ui/widgets/UIStatValue.h"

// Main thread. Draws no text.
class UIStatBar : public UIStatValue {
public:
    UIStatBar() = default;
    ~UIStatBar() override;

    void Draw() override;
    bool GetHelpText(int32_t x, int32_t y, std::string& text, std::string& title) override;
    bool ReadProperty(const std::string& key, TextParser& parser) override;
    UIWidget* NewOfSameKind() const override { return new UIStatBar(); }
    void CopyFrom(const UIWidget& source) override;

    // The filled rectangle on the screen; false when nothing is drawn (no maximum).
    bool GetFillRect(float& x0, float& y0, float& x1, float& y1) const;

    bool vertical = false;
    // Grows from the right or bottom edge.
    bool reversed = false;
};
