// UIText -- a block of text wrapped to the widget's width, shown a page at a time and scrolled by its own scroll bar, the wheel and the cursor keys.
#include "ui/widgets/UIText.h"

#include "core/LocSystem.h"
#include "core/TextParser.h"
#include "core/UserVarSystem.h"
#include "core/system/InputSystem.h"
#include "render/TextMeasure.h"
#include "resources/Resource.h"
#include "resources/ResourceManager.h"
#include "ui/UIMenu.h"
#include "ui/UISystem.h"
#include "ui/widgets/UIScrollBar.h"

#include <algorithm>

namespace {

// Key codes the text scrolls by.
constexpr int32_t kTextKeyUp = 200;
constexpr int32_t kTextKeyDown = 208;
constexpr int32_t kTextKeyHome = 199;
constexpr int32_t kTextKeyEnd = 207;
constexpr int32_t kTextKeyPageUp = 201;
constexpr int32_t kTextKeyPageDown = 209;
// The text sources this widget reads itself.
constexpr int32_t kTextSourceFile = 41;
constexpr int32_t kTextSourceFileDirect = 42;
constexpr int32_t kTextSourceFileUserVar = 43;

float TextWidthInFont(int32_t font, std::u16string_view text)
{
    return MeasureTextW(font, text).width;
}

WString TextTranslated(const std::string& narrow)
{
    WString wide = gLocSystem ? gLocSystem->TranslateToWide(narrow) : NarrowToWide(narrow);
    WStringExpandNewlines(wide);
    return wide;
}

} // namespace

UIText::UIText()
{
    // Held cursor keys keep scrolling.
    ignoreRepeatedKeys = false;
}

UIText::~UIText() = default;

// ---- Wrapping ----

int32_t UIText::CountVisibleLines(float height, float lineHeight, float spacing)
{
    if (lineHeight <= 0.0f || lineHeight + spacing <= 0.0f)
        return 0;
    return static_cast<int32_t>(height / (lineHeight + spacing));
}

void UIText::Wrap(const WString& wide)
{
    rewrapped = true;
    shownFirstLine = -1;
    wrappedSource = wide;
    wrappedWidth = size[0];
    wrappedFont = font.GetValue();
    hasWrapped = true;
    WrapTextLines(wide, size[0] - kScrollBarMargin, font, TextWidthInFont, lines);
    float spacing = gUISystem ? gUISystem->settings.spaceBetweenTextLines : 0.0f;
    visibleLines = CountVisibleLines(size[1], MeasureTextA("Test", font).height, spacing);
}

void UIText::SetWrappedText(const std::string& narrow)
{
    WString wide = TextTranslated(narrow);
    // The same text at the same width wraps the same: a steady source costs no wrapping.
    if (hasWrapped && wide == wrappedSource && wrappedWidth == size[0] && wrappedFont == font.GetValue())
        return;
    Wrap(wide);
}

void UIText::LoadTextFile(const std::string& fileName)
{
    if (fileName.empty())
        return;
    lastFileName = fileName;
    if (!gResourceManager)
        return;
    ResourceHandle handle;
    gResourceManager->Load(fileName, handle);
    const Resource* file = gResourceManager->Get(handle);
    // A missing file loads as no bytes: the lines stay as they were.
    if (file && file->GetBytes() && file->GetByteCount() > 0)
        SetWrappedText(std::string(reinterpret_cast<const char*>(file->GetBytes()), file->GetByteCount()));
    handle.Reset();
}

// ---- Frame ----

void UIText::UpdateFromSource()
{
    switch (GetTextSourceType()) {
    case 0: return;
    case kTextSourceFile:
        if (gUISystem && gUISystem->currentTextFile != lastFileName)
            LoadTextFile(gUISystem->currentTextFile);
        return;
    case kTextSourceFileDirect:
        // The file's text is fixed while the game runs: loaded again only when the name changes.
        if (GetTextSourceText() != lastFileName)
            LoadTextFile(GetTextSourceText());
        return;
    case kTextSourceFileUserVar: {
        std::string named = GetUserVarString();
        if (userVar.IsValid() && named != lastFileName)
            LoadTextFile(named);
        return;
    }
    default: SetWrappedText(BuildText(textSource)); return;
    }
}

void UIText::Update(float seconds)
{
    UIWidget::Update(seconds);
    UpdateFromSource();
}

void UIText::RefreshText()
{
    if (rewrapped && scrollBar) {
        scrollBar->SetRange(static_cast<int32_t>(lines.size()), visibleLines);
        rewrapped = false;
    }
    int32_t first = scrollBar ? scrollBar->position : 0;
    if (first == shownFirstLine)
        return;
    // The lines keep their own letters: a narrow copy would turn every one past U+00FF into "?".
    displayText.clear();
    for (int32_t i = first; i < first + visibleLines && i < static_cast<int32_t>(lines.size()); ++i) {
        if (i < 0)
            continue;
        displayText += lines[static_cast<size_t>(i)];
        displayText += u'\n';
    }
    WStringExpandNewlines(displayText);
    shownFirstLine = first;
}

void UIText::SetVisible(bool on)
{
    visible = on;
    if (scrollBar)
        scrollBar->SetVisible(on);
}

// ---- Scrolling ----

void UIText::SetScrollPosition(int32_t line)
{
    int32_t last = static_cast<int32_t>(lines.size()) - 1;
    // With no lines the first shown line stays 0, never -1.
    scrollBar->position = std::max(0, std::min(line, last));
}

bool UIText::HandleMouseWheel(bool up)
{
    if (!scrollBar || !gInputSystem)
        return false;
    if (!HitTest(static_cast<float>(gInputSystem->GetCursorX()), static_cast<float>(gInputSystem->GetCursorY())))
        return false;
    SetScrollPosition(scrollBar->position + (up ? -1 : 1));
    return true;
}

bool UIText::HandleKey(int32_t key, bool down)
{
    if (!keyboardControl || !down || !scrollBar)
        return false;
    // A page moves one line less than it shows, so its last line opens the next; always at least one.
    int32_t page = std::max(visibleLines - 1, 1);
    int32_t at = scrollBar->position;
    switch (key) {
    case kTextKeyUp: SetScrollPosition(at - 1); return true;
    case kTextKeyDown: SetScrollPosition(at + 1); return true;
    case kTextKeyHome: SetScrollPosition(0); return true;
    case kTextKeyEnd: SetScrollPosition(static_cast<int32_t>(lines.size())); return true;
    case kTextKeyPageUp: SetScrollPosition(at - page); return true;
    case kTextKeyPageDown: SetScrollPosition(at + page); return true;
    default: return false;
    }
}

// ---- Attaching, layout and copies ----

void UIText::OnAttach()
{
    if (!menu)
        return;
    // Placed by the layout's size and font, which may have come after the text in the block: a
    // text wrapped in the default font kept that font's lines and page in a smaller one.
    if (hasWrapped && (wrappedWidth != size[0] || wrappedFont != font.GetValue()))
        Wrap(wrappedSource);
    UIScrollBar* bar = UIScrollBar::MakeFor(*this, scrollBarOffset, scrollBarSize);
    scrollBar = bar;
    rewrapped = true;
    shownFirstLine = -1;
}

bool UIText::ReadProperty(const std::string& key, TextParser& parser)
{
    const std::string& file = gUISystem ? gUISystem->loadingFile : std::string();
    if (StringEqualsNoCase(key, "text")) {
        SetWrappedText(parser.ReadString(false));
        return false;
    }
    if (StringEqualsNoCase(key, "scrollBarOffset")) {
        scrollBarOffset[0] = ReadLayoutFloat(parser, file);
        scrollBarOffset[1] = ReadLayoutFloat(parser, file);
        return false;
    }
    if (StringEqualsNoCase(key, "scrollBarSize")) {
        scrollBarSize[0] = ReadLayoutFloat(parser, file);
        scrollBarSize[1] = ReadLayoutFloat(parser, file);
        return false;
    }
    if (StringEqualsNoCase(key, "keyboardControl")) {
        keyboardControl = parser.GetBool(false);
        return false;
    }
    return UIWidget::ReadProperty(key, parser);
}

void UIText::CopyFrom(const UIWidget& source)
{
    UIWidget::CopyFrom(source);
    const auto* other = dynamic_cast<const UIText*>(&source);
    if (!other || other == this)
        return;
    lastFileName = other->lastFileName;
    lines = other->lines;
    visibleLines = other->visibleLines;
    shownFirstLine = -1;
    // The copy makes its own scroll bar when it joins a menu.
    scrollBar = nullptr;
    rewrapped = true;
    std::copy(std::begin(other->scrollBarOffset), std::end(other->scrollBarOffset), scrollBarOffset);
    std::copy(std::begin(other->scrollBarSize), std::end(other->scrollBarSize), scrollBarSize);
    keyboardControl = other->keyboardControl;
    wrappedSource = other->wrappedSource;
    wrappedWidth = other->wrappedWidth;
    wrappedFont = other->wrappedFont;
    hasWrapped = other->hasWrapped;
}
