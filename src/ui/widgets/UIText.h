// UIText -- a block of text wrapped to the widget's width, shown a page at a time and scrolled by its own scroll bar, the wheel and the cursor keys.
#pragma once

#include "core/StringUtil.h"
#include "ui/UIWidget.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class UIScrollBar;

// Main thread. Its text comes from the layout, a text source, a text file or a user var naming
// one; the base draws `displayText`, which holds the lines in view.
class UIText : public UIWidget {
public:
    // Units of the width kept free of text for the scroll bar.
    static constexpr float kScrollBarMargin = 24.0f;

    UIText();
    ~UIText() override;

    void Update(float seconds) override;
    void SetVisible(bool on) override;
    bool HandleMouseWheel(bool up) override;
    bool HandleKey(int32_t key, bool down) override;
    void RefreshText() override;
    // Makes the scroll bar, in the same menu, one draw order above.
    void OnAttach() override;
    bool ReadProperty(const std::string& key, TextParser& parser) override;
    UIWidget* NewOfSameKind() const override { return new UIText(); }
    void CopyFrom(const UIWidget& source) override;

    // Translated, with "\n" sequences expanded, then wrapped into `lines`.
    void SetWrappedText(const std::string& narrow);
    // Keeps the lines when the name gives no text file.
    void LoadTextFile(const std::string& fileName);
    UIScrollBar* GetScrollBar() const { return scrollBar; }

    // How many lines of the line height and spacing fit the height; 0 without a line height.
    static int32_t CountVisibleLines(float height, float lineHeight, float spacing);

    std::string lastFileName;
    std::vector<WString> lines;
    int32_t visibleLines = 0;
    int32_t shownFirstLine = -1;
    UIScrollBar* scrollBar = nullptr;
    bool rewrapped = false;
    float scrollBarOffset[2] = {0.0f, 0.0f};
    float scrollBarSize[2] = {0.0f, 0.0f};
    bool keyboardControl = false;

private:
    void Wrap(const WString& wide);
    void SetScrollPosition(int32_t line);
    void UpdateFromSource();

    // The text last wrapped, so that a text built again unchanged is not wrapped again.
    WString wrappedSource;
    float wrappedWidth = -1.0f;
    int32_t wrappedFont = -1;
    bool hasWrapped = false;
};
