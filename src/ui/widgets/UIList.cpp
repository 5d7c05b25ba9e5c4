// UIList -- a scrolling column of text rows from a list provider or a folder's file names, with one selected row or a set of ticked rows, bound to user vars.
#include "ui/widgets/UIList.h"

#include "core/ColorCode.h"
#include "core/ColorSystem.h"
#include "core/FileSystem.h"
#include "core/LocSystem.h"
#include "core/StringUtil.h"
#include "core/TextParser.h"
#include "core/UserVarSystem.h"
#include "core/system/TimerSystem.h"
#include "render/TextMeasure.h"
#include "resources/ResourceManager.h"
#include "resources/fonts/ScreenText.h"
#include "resources/shaders/ShaderLookup.h"
#include "ui/UIMenu.h"
#include "ui/UISystem.h"
#include "ui/widgets/UIScrollBar.h"

#include <algorithm>

namespace {

// Colour-table entries of a selected or ticked row and of a disabled one.
constexpr int32_t kListSelectedColor = 1;
constexpr int32_t kListDisabledColor = 4;
// A row that can be ticked shows a box of this side (no taller than its row) at its left, its
// words this far past the box: a list of names alone gave a newcomer nothing to tick.
constexpr float kListBoxSide = 16.0f;
constexpr float kListBoxGap = 4.0f;

UserVarRef ListRegisterVar(const std::string& name)
{
    if (name.empty() || !gUserVarSystem)
        return {};
    return gUserVarSystem->RegisterVar(name, "", true);
}

void ListSetVar(const UserVarRef& var, std::string_view value)
{
    if (var.IsValid() && gUserVarSystem && gUserVarSystem->IsReady())
        var.SetString(value);
}

// Whole rows in a span; a layout's huge size stays within what a row index can hold.
int32_t ListWholeRows(float rows)
{
    constexpr float kListMaxRows = 1 << 24;
    return rows > 0.0f ? static_cast<int32_t>(std::min(rows, kListMaxRows)) : 0;
}

// A file's name without its extension: cut at the first "." after the last "/".
std::string ListRowName(const std::string& fileName)
{
    size_t slash = fileName.rfind('/');
    size_t dot = fileName.find('.', slash == std::string::npos ? 0 : slash + 1);
    return dot == std::string::npos ? fileName : fileName.substr(0, dot);
}

} // namespace

UIList::UIList()
{
    canClick = true;
}

UIList::~UIList() = default;

// ---- Rows ----

void UIList::FillFromFolder()
{
    if (directoryVar.IsValid() && gUserVarSystem && gUserVarSystem->IsReady())
        directory = directoryVar.GetString();
    if (!gFileSystem)
        return;
    std::vector<std::string> names;
    gFileSystem->ListFiles(directory, extension, names, static_cast<FileLocation>(fileLocation), false, false, true);
    for (const std::string& fileName : names) {
        auto row = std::make_unique<ListEntry>();
        row->name = ListRowName(fileName);
        row->enabled = 1;
        rows.push_back(std::move(row));
    }
}

void UIList::Fill()
{
    rows.clear();
    if (infoProc.empty()) {
        FillFromFolder();
    } else if (gCommandSystem) {
        std::vector<ListEntry> provided;
        gCommandSystem->CallInfoProc(infoProc, provided);
        for (ListEntry& entry : provided)
            rows.push_back(std::make_unique<ListEntry>(std::move(entry)));
    }
    if (canSelectMultiple)
        ticked.resize(rows.size(), false);
    if (scrollBar)
        scrollBar->SetRange(static_cast<int32_t>(rows.size()), GetVisibleRows());
}

void UIList::Refresh()
{
    // The ticks of the last show go with the selection: the rows may be other rows now.
    ticked.clear();
    Fill();
    ListSetVar(itemSelectedVar, "0");
    selectedRow = -1;
    if (selectFirstItem)
        Select(0);
}

void UIList::RefreshContents()
{
    Fill();
    // With no rows at all the index stays as it was; reads check it against the rows.
    if (selectedRow >= static_cast<int32_t>(rows.size()) && !rows.empty())
        selectedRow = 0;
    if (NamesRow(selectedRow))
        Select(selectedRow);
}

void UIList::Select(int32_t row)
{
    if (!NamesRow(row))
        return;
    selectedRow = row;
    const ListEntry& entry = *rows[static_cast<size_t>(row)];
    ListSetVar(userVar, userVarHoldsName ? entry.name : entry.value);
    ListSetVar(itemSelectedVar, "1");
}

int32_t UIList::GetVisibleRows() const
{
    return itemHeight > 0 ? ListWholeRows(size[1] / static_cast<float>(itemHeight)) : 0;
}

int32_t UIList::GetFirstVisibleRow() const
{
    return scrollBar ? scrollBar->position : 0;
}

int32_t UIList::RowAt(int32_t x, int32_t y) const
{
    if (itemHeight <= 0 || !HitTest(static_cast<float>(x), static_cast<float>(y)))
        return -1;
    int32_t row = ListWholeRows((static_cast<float>(y) - GetScreenPosition().y) / static_cast<float>(itemHeight)) +
                  GetFirstVisibleRow();
    return NamesRow(row) ? row : -1;
}

void UIList::GetSelectedValues(std::vector<std::string>& out) const
{
    if (!canSelectMultiple) {
        if (NamesRow(selectedRow))
            out.push_back(rows[static_cast<size_t>(selectedRow)]->value);
        return;
    }
    for (size_t row = 0; row < rows.size() && row < ticked.size(); ++row)
        if (ticked[row])
            out.push_back(rows[row]->value);
}

bool UIList::GetSelectedValue(std::string& out) const
{
    if (!NamesRow(selectedRow))
        return false;
    out = rows[static_cast<size_t>(selectedRow)]->value;
    return true;
}

// ---- Frames, clicks and drawing ----

void UIList::Update(float seconds)
{
    UIWidget::Update(seconds);
    if (refreshEachFrame)
        RefreshContents();
}

void UIList::SetVisible(bool on)
{
    visible = on;
    if (scrollBar)
        scrollBar->SetVisible(on);
}

void UIList::PressDoubleClickRedirect() const
{
    UIWidget* target = menu ? menu->FindWidget(doubleClickRedirect) : nullptr;
    if (!target && gUISystem)
        target = gUISystem->FindWidgetByPath(doubleClickRedirect);
    if (target)
        target->PressAtCentre(0, true);
}

void UIList::OnClick(int32_t button, bool down, int32_t x, int32_t y)
{
    if (button != 0 || !down)
        return;
    int32_t row = RowAt(x, y);
    if (row < 0 || rows[static_cast<size_t>(row)]->enabled == 0)
        return;
    if (runCommandOnSelect) {
        // Copied: the command may reload the menus and destroy this list's rows.
        std::string line = rows[static_cast<size_t>(row)]->value;
        HandleWidgetCommand(line);
        return;
    }
    if (canSelectMultiple) {
        ticked[static_cast<size_t>(row)] = !ticked[static_cast<size_t>(row)];
        return;
    }
    Select(row);
    TimeStamp now = gTimerSystem ? gTimerSystem->GetClock() : TimeStamp{};
    bool twice = !doubleClickRedirect.empty() && selectedRow == lastClickRow && gUISystem &&
                 gUISystem->IsDoubleClick(lastClickTime, now);
    lastClickTime = now;
    lastClickRow = selectedRow;
    if (twice)
        PressDoubleClickRedirect();
}

std::string UIList::RowText(int32_t row) const
{
    const ListEntry& entry = *rows[static_cast<size_t>(row)];
    bool marked = row == selectedRow || (canSelectMultiple && static_cast<size_t>(row) < ticked.size() &&
                                         ticked[static_cast<size_t>(row)]);
    if (marked)
        return MakeColorCode(kListSelectedColor) + MakeInlineCode('l', 0) + entry.name;
    if (entry.enabled == 0)
        return MakeColorCode(kListDisabledColor) + entry.name;
    return entry.name;
}

void UIList::Draw()
{
    if (!IsVisible() || !gScreenText || itemHeight <= 0)
        return;
    float x = GetScreenPosition().x;
    float y = GetScreenPosition().y;
    float offset = 0.0f;
    int32_t first = GetFirstVisibleRow();
    int32_t visibleRows = GetVisibleRows();
    if (rows.empty() && !emptyText.empty()) {
        WString shown = gLocSystem ? gLocSystem->TranslateToWide(emptyText) : NarrowToWide(emptyText);
        gScreenText->DrawText(font, shown, static_cast<int32_t>(x), static_cast<int32_t>(y), color, useTextBackdrop,
                              1.0f);
        return;
    }
    float indent = GetTextIndent();
    for (int32_t row = first; row < first + visibleRows && NamesRow(row); ++row) {
        if (offset + static_cast<float>(itemHeight) > size[1])
            break;
        auto place = static_cast<size_t>(row - first);
        if (fittedRows.size() <= place)
            fittedRows.resize(place + 1);
        FittedRow& fitted = fittedRows[place];
        std::string text = RowText(row);
        if (text != fitted.source || size[0] != fitted.width || fitted.drawn.empty()) {
            fitted.drawn = FitRowText(text);
            fitted.source = std::move(text);
            fitted.width = size[0];
        }
        DrawTickBox(row, x, y + offset);
        gScreenText->DrawText(font, fitted.drawn, static_cast<int32_t>(x + indent), static_cast<int32_t>(y + offset),
                              color, useTextBackdrop, 1.0f);
        offset += static_cast<float>(itemHeight);
    }
}

float UIList::GetTextIndent() const
{
    return canSelectMultiple ? std::min(kListBoxSide, static_cast<float>(itemHeight)) + kListBoxGap : 0.0f;
}

// A disabled row has no box: it cannot be ticked.
void UIList::DrawTickBox(int32_t row, float x, float y) const
{
    auto index = static_cast<size_t>(row);
    if (!canSelectMultiple || rows[index]->enabled == 0 || !boxTexture.IsValid())
        return;
    float side = std::min(kListBoxSide, static_cast<float>(itemHeight));
    float top = y + (static_cast<float>(itemHeight) - side) * 0.5f;
    // In the plain colour of the game's own check boxes.
    Color plain{1.0f, 1.0f, 1.0f};
    ColorSystem::GetColorByIndex(plain.r, plain.g, plain.b, 0);
    gScreenText->DrawShaderRect(boxTexture.GetValue(), plain, x, top, x + side, top + side, 1.0f, false, false, 0);
    if (index < ticked.size() && ticked[index])
        gScreenText->DrawShaderRect(tickTexture.GetValue(), plain, x, top, x + side, top + side, 1.0f, false, false,
                                    0);
}

WString UIList::FitRowText(const std::string& text) const
{
    WString wide = gLocSystem ? gLocSystem->TranslateToWide(text) : NarrowToWide(text);
    float room = size[0] - GetTextIndent();
    if (size[0] <= 0.0f || MeasureTextW(font, wide).width <= room)
        return wide;
    const std::u16string_view dots = u"...";
    while (!wide.empty() && MeasureTextW(font, wide + std::u16string(dots)).width > room)
        wide.pop_back();
    return wide + std::u16string(dots);
}

bool UIList::GetOtherWordsBox(std::array<float, 4>& box) const
{
    float height = 0.0f;
    if (!rows.empty()) {
        int32_t shown = std::min(static_cast<int32_t>(rows.size()) - GetFirstVisibleRow(), GetVisibleRows());
        height = static_cast<float>(std::max(shown, 0) * itemHeight);
    } else if (!emptyText.empty()) {
        height = MeasureTextW(font, gLocSystem ? gLocSystem->TranslateToWide(emptyText) : NarrowToWide(emptyText)).height;
    }
    if (height <= 0.0f)
        return false;
    Vector2 at = GetScreenPosition();
    box = {at.x, at.y, at.x + size[0], at.y + std::min(height, size[1])};
    return true;
}

bool UIList::GetHelpText(int32_t x, int32_t y, std::string& text, std::string& title)
{
    if (scrollBar && scrollBar->IsVisible() && scrollBar->HitTest(static_cast<float>(x), static_cast<float>(y)))
        return false;
    int32_t row = RowAt(x, y);
    if (row < 0)
        return false;
    text = rows[static_cast<size_t>(row)]->helpText;
    title = rows[static_cast<size_t>(row)]->extra;
    return true;
}

// ---- Attaching, layout and copies ----

void UIList::OnAttach()
{
    if (!menu)
        return;
    float place[2] = {position[0] + scrollBarOffset[0], position[1] + scrollBarOffset[1]};
    bool placed = scrollBarOffset[0] != 0.0f || scrollBarOffset[1] != 0.0f || scrollBarSize[0] != 0.0f ||
                  scrollBarSize[1] != 0.0f;
    scrollBar = UIScrollBar::MakeFor(*this, placed ? place : nullptr, placed ? scrollBarSize : nullptr);
    if (canSelectMultiple && gResourceManager && !boxTexture.IsValid()) {
        LoadTextureByName("Textures/UI/checkbox_uncheck.tga", boxTexture, TextureUsage::Overlay);
        LoadTextureByName("Textures/UI/checkbox.tga", tickTexture, TextureUsage::Overlay);
    }
    // Filled now as well: a menu read with "visible 1" was shown before its widgets existed.
    Fill();
}

bool UIList::ReadProperty(const std::string& key, TextParser& parser)
{
    const std::string& file = gUISystem ? gUISystem->loadingFile : std::string();
    if (StringEqualsNoCase(key, "itemHeight")) {
        itemHeight = parser.GetInt(false);
        if (itemHeight < 1)
            itemHeight = kDefaultItemHeight;
    } else if (StringEqualsNoCase(key, "directoryVar")) {
        directoryVar = ListRegisterVar(parser.ReadString(false));
    } else if (StringEqualsNoCase(key, "ItemSelectedUserVar")) {
        itemSelectedVar = ListRegisterVar(parser.ReadString(false));
    } else if (StringEqualsNoCase(key, "directory")) {
        directory = parser.ReadString(false);
    } else if (StringEqualsNoCase(key, "extension")) {
        extension = parser.ReadString(false);
    } else if (StringEqualsNoCase(key, "fileType")) {
        fileLocation = StringEqualsNoCase(parser.ReadString(false), "user") ? kLocationUserCopy : kLocationAssets;
    } else if (StringEqualsNoCase(key, "infoProc")) {
        infoProc = parser.ReadString(false);
    } else if (StringEqualsNoCase(key, "refreshEachFrame")) {
        refreshEachFrame = parser.GetBool(false);
    } else if (StringEqualsNoCase(key, "canSelectMultiple")) {
        canSelectMultiple = parser.GetBool(false);
    } else if (StringEqualsNoCase(key, "runCommandOnSelect")) {
        runCommandOnSelect = parser.GetBool(false);
    } else if (StringEqualsNoCase(key, "userVarHoldsName")) {
        userVarHoldsName = parser.GetBool(false);
    } else if (StringEqualsNoCase(key, "doubleClickRedirect")) {
        doubleClickRedirect = parser.ReadString(false);
    } else if (StringEqualsNoCase(key, "emptyText")) {
        emptyText = parser.ReadString(false);
    } else if (StringEqualsNoCase(key, "selectFirstItem")) {
        selectFirstItem = parser.GetBool(false);
    } else if (StringEqualsNoCase(key, "scrollBarOffset")) {
        scrollBarOffset[0] = ReadLayoutFloat(parser, file);
        scrollBarOffset[1] = ReadLayoutFloat(parser, file);
    } else if (StringEqualsNoCase(key, "scrollBarSize")) {
        scrollBarSize[0] = ReadLayoutFloat(parser, file);
        scrollBarSize[1] = ReadLayoutFloat(parser, file);
    } else {
        return UIWidget::ReadProperty(key, parser);
    }
    return false;
}

void UIList::CopyFrom(const UIWidget& source)
{
    UIWidget::CopyFrom(source);
    const auto* other = dynamic_cast<const UIList*>(&source);
    if (!other || other == this)
        return;
    rows.clear();
    for (const std::unique_ptr<ListEntry>& row : other->rows)
        rows.push_back(std::make_unique<ListEntry>(*row));
    directory = other->directory;
    extension = other->extension;
    fileLocation = other->fileLocation;
    itemHeight = other->itemHeight;
    selectedRow = other->selectedRow;
    ticked = other->ticked;
    lastClickRow = other->lastClickRow;
    lastClickTime = other->lastClickTime;
    directoryVar = other->directoryVar;
    itemSelectedVar = other->itemSelectedVar;
    infoProc = other->infoProc;
    refreshEachFrame = other->refreshEachFrame;
    canSelectMultiple = other->canSelectMultiple;
    runCommandOnSelect = other->runCommandOnSelect;
    // The copy makes its own scroll bar when it joins a menu.
    scrollBar = nullptr;
    std::copy(std::begin(other->scrollBarOffset), std::end(other->scrollBarOffset), scrollBarOffset);
    std::copy(std::begin(other->scrollBarSize), std::end(other->scrollBarSize), scrollBarSize);
    userVarHoldsName = other->userVarHoldsName;
    doubleClickRedirect = other->doubleClickRedirect;
    selectFirstItem = other->selectFirstItem;
    emptyText = other->emptyText;
    boxTexture = other->boxTexture;
    tickTexture = other->tickTexture;
}
