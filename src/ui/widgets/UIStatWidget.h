// UIStatWidget -- a widget moved along a line in proportion to a stat, such as the experience pointer.
#pragma once

#include "ui/widgets/UIStatValue.h"

// Main thread. Its update replaces the base's: it has no colour source and no parent link.
class UIStatWidget : public UIStatValue {
public:
    UIStatWidget() = default;
    ~UIStatWidget() override;

    void Draw() override;
    void Update(float seconds) override;
    bool ReadProperty(const std::string& key, TextParser& parser) override;
    UIWidget* NewOfSameKind() const override { return new UIStatWidget(); }
    void CopyFrom(const UIWidget& source) override;

    // How far along the line the widget sits: 0 at the start, 1 at the end.
    float GetFraction() const;

    bool statControlsPosition = false;
    float startPosition[2] = {0.0f, 0.0f};
    float endPosition[2] = {0.0f, 0.0f};
    float statMultiplier = 0.0f;
    bool statWraps = false;
    bool hasDontDrawValue = false;
    int32_t dontDrawValue = 0;
};
