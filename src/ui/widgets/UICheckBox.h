// UICheckBox -- a 16 x 16 box that shows and flips the boolean in its user var, with its text to the right.
#pragma once

#include "ui/UIWidget.h"

#include <cstdint>

// Main thread. Keeps no value of its own: it reads the user var to draw and writes "0" or "1" when clicked.
class UICheckBox : public UIWidget {
public:
    UICheckBox();
    ~UICheckBox() override;

    void Draw() override;
    void OnClick(int32_t button, bool down, int32_t x, int32_t y) override;
    UIWidget* NewOfSameKind() const override { return new UICheckBox(); }
    void CopyFrom(const UIWidget& source) override;

    // The bound var's whole number is not 0.
    bool IsTicked() const;

    ResourceHandle boxTexture;
    ResourceHandle tickTexture;
};
