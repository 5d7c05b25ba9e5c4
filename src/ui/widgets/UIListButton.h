// UIListButton -- a button that runs its command with the value selected in a list.
#pragma once

#include "ui/UIWidget.h"

#include <cstdint>
#include <string>

class UIList;

// Main thread. Keeps the list's path, not the list: it finds the list again at each click, so a
// reload that replaced the list's menu never leaves it holding a destroyed widget.
class UIListButton : public UIWidget {
public:
    UIListButton();
    ~UIListButton() override;

    void OnClick(int32_t button, bool down, int32_t x, int32_t y) override;
    bool ReadProperty(const std::string& key, TextParser& parser) override;
    UIWidget* NewOfSameKind() const override { return new UIListButton(); }
    void CopyFrom(const UIWidget& source) override;

    // The list the "list" line names ("menu::widget", or a widget of the button's own menu);
    // null when there is none or the widget is not a list.
    UIList* GetList() const;

    std::string listPath;
    std::string listCommand;
};
