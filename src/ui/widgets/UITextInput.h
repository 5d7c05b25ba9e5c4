// UITextInput -- a one-line edit field: takes the key focus when clicked, appends typed characters under its rules, mirrors them into its user var and hands Enter and Tab on.
#pragma once

#include "ui/UIWidget.h"

#include <cstdint>
#include <string>

// Main thread. Its text persists through its user var, which it reads back every frame.
class UITextInput : public UIWidget {
public:
    UITextInput();
    ~UITextInput() override;

    void Update(float seconds) override;
    bool HandleKey(int32_t key, bool down) override;
    void OnClick(int32_t button, bool down, int32_t x, int32_t y) override;
    bool ReadProperty(const std::string& key, TextParser& parser) override;
    UIWidget* NewOfSameKind() const override { return new UITextInput(); }
    void CopyFrom(const UIWidget& source) override;

    std::string inputText;
    bool onlyAllowNumbers = false;
    bool allowTabs = false;
    std::string enterRedirect;
    std::string tabRedirect;
    // 0 or less: no limit.
    int32_t maxCharacters = -1;

private:
    bool HasValue() const;
    // False when the rules refuse the character.
    bool Accepts(char c) const;
    // The field's text changed: the form's refusal ("LastError") about this field (the user var
    // "LastErrorField" names it) was about the text it had, and standing on under a name now
    // filled in it told the player something no longer true.
    void ForgetRefusal() const;
};
