// UIVirtualKeyInput -- captures the next key or mouse button pressed while it is shown and binds it to the game action its user var names.
#pragma once

#include "core/UserVarRef.h"
#include "ui/UIWidget.h"

#include <cstdint>
#include <string>

// Main thread. While shown it takes every key (the console key aside) and every press anywhere.
class UIVirtualKeyInput : public UIWidget {
public:
    UIVirtualKeyInput();
    ~UIVirtualKeyInput() override;

    bool HandleMouseButton(int32_t button, bool down, int32_t x, int32_t y) override;
    bool HandleKey(int32_t key, bool down) override;
    bool HasKeyFocus() const override { return true; }
    bool ReadProperty(const std::string& key, TextParser& parser) override;
    UIWidget* NewOfSameKind() const override { return new UIVirtualKeyInput(); }
    void CopyFrom(const UIWidget& source) override;

    // Set to "0" after each capture, which hides the prompt.
    UserVarRef showUserVar;
    // Holds the name of the action to bind.
    UserVarRef virtualKeyUserVar;
    // Pushed when the binding fails or the key is already another action's.
    std::string duplicateMenuName;

private:
    void Capture(int32_t code, bool isMouse);
    std::string ActionLabel(const std::string& actionName) const;
    void HidePrompt() const;
};
