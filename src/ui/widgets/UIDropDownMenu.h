// UIDropDownMenu -- a head line that opens a list of fixed choices below it; taking a choice runs its command line.
#pragma once

#include "client/ClientApp.h"
#include "ui/UIWidget.h"

#include <cstdint>
#include <string>
#include <vector>

struct DropDownChoice {
    std::string label;
    std::string command;
};

// Main thread. Open while selected; while open it holds the client's open drop-down claim, so the
// next click comes to it first wherever it lands.
class UIDropDownMenu : public UIWidget, public ClientDropDown {
public:
    UIDropDownMenu();
    ~UIDropDownMenu() override;

    void Draw() override;
    void OnClick(int32_t button, bool down, int32_t x, int32_t y) override;
    bool ReadProperty(const std::string& key, TextParser& parser) override;
    UIWidget* NewOfSameKind() const override { return new UIDropDownMenu(); }
    void CopyFrom(const UIWidget& source) override;
    // The claimed press: the release of the opening click and other buttons are swallowed.
    bool OnDropDownPress(int32_t button, bool down) override;

    bool IsOpen() const { return selected; }
    // The choice whose row holds the screen y; row 0 lies one row below the widget's top. -1 for none.
    int32_t GetChoiceAt(float y) const;

    float baseSize[2] = {0.0f, 0.0f};
    float choiceSize[2] = {0.0f, 0.0f};
    std::vector<DropDownChoice> choices;
    ResourceHandle listTexture;
    ResourceHandle selectSound;

private:
    void Open();
    void Close();
};
