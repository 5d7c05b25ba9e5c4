// UIFilePicker -- a browser over one folder of the game folder (or over a list provider's rows) with Back, Cancel and Ok buttons and an optional file-name box, whose Ok writes the chosen path to a user var.
#include "ui/widgets/UIFilePicker.h"

#include "core/ColorSystem.h"
#include "core/CommandSystem.h"
#include "core/DebugSystem.h"
#include "core/FileSystem.h"
#include "core/NoCaseLess.h"
#include "core/StringUtil.h"
#include "core/TextParser.h"
#include "core/UserVarSystem.h"
#include "core/system/InputSystem.h"
#include "core/system/TimerSystem.h"
#include "resources/ResourceManager.h"
#include "resources/fonts/ScreenText.h"
#include "rules/GameData.h"
#include "ui/UIMenu.h"
#include "ui/UISystem.h"
#include "ui/UiGameView.h"
#include "ui/widgets/UIScrollBar.h"
#include "ui/widgets/UITextInput.h"

#include <algorithm>

namespace {

constexpr int32_t kPickerSelectedColor = 1;
constexpr int32_t kPickerHoverColor = 2;
constexpr int32_t kPickerFolderColor = 5;
constexpr int32_t kPickerPlainColor = 0;
constexpr float kPickerIndent = 10.0f;
constexpr float kPickerButtonWidth = 50.0f;
constexpr float kPickerLineHeight = 15.0f;
constexpr float kPickerInputOffset = 70.0f;
// A base names a folder of the game: loose in the game folder (a folder of "User"), in the asset
// folders and archives (the shipped areas, textures and models), or in the user folder (the
// areas the editor saved there).
constexpr FileLocation kPickerLocations[] = {kLocationWorking, kLocationAssets, kLocationUser};

// Sorted without regard to case, each name once though several places hold it.
void PickerSortNames(std::vector<std::string>& names)
{
    std::sort(names.begin(), names.end(), NoCaseLess());
    names.erase(std::unique(names.begin(), names.end(),
                            [](const std::string& a, const std::string& b) { return StringEqualsNoCase(a, b); }),
                names.end());
}

void PickerAddEntries(std::vector<std::string>& names, bool folders, std::vector<UIFilePicker::Entry>& entries)
{
    PickerSortNames(names);
    for (const std::string& name : names)
        entries.push_back(UIFilePicker::Entry{name, name, folders});
}
constexpr float kPickerInputHeight = 20.0f;

// The widgets the picker makes for itself: a copy of its menu leaves them out, as the copied
// picker makes its own.
class PickerPart : public UIWidget {
public:
    bool IsMadeByOwner() const override { return true; }
    UIWidget* NewOfSameKind() const override { return new PickerPart(); }
};

class PickerTextInput : public UITextInput {
public:
    bool IsMadeByOwner() const override { return true; }
    UIWidget* NewOfSameKind() const override { return new PickerTextInput(); }
};

Color PickerTableColor(int32_t index)
{
    Color color{1.0f, 1.0f, 1.0f};
    ColorSystem::GetColorByIndex(color.r, color.g, color.b, index);
    return color;
}

bool PickerVarReady(const UserVarRef& var)
{
    return var.IsValid() && gUserVarSystem && gUserVarSystem->IsReady();
}

TimeStamp PickerNow()
{
    return gTimerSystem ? gTimerSystem->GetClock() : TimeStamp{};
}

// The part after the first "." that follows the last "/".
std::string PickerExtensionOf(const std::string& name)
{
    size_t slash = name.rfind('/');
    size_t dot = name.find('.', slash == std::string::npos ? 0 : slash + 1);
    return dot == std::string::npos ? std::string() : name.substr(dot + 1);
}

void PickerAddTo(UIMenu& menu, UIWidget* widget)
{
    menu.AddWidget(widget);
    widget->menu = &menu;
    widget->OnAttach();
}

} // namespace

UIFilePicker::UIFilePicker()
{
    canClick = true;
}

UIFilePicker::~UIFilePicker() = default;

// ---- Layout keywords and copies ----

bool UIFilePicker::ReadProperty(const std::string& key, TextParser& parser)
{
    if (StringEqualsNoCase(key, "baseDirectory")) {
        baseDirectory = parser.ReadString(false);
    } else if (StringEqualsNoCase(key, "addExtension")) {
        extensions.push_back(parser.ReadString(false));
    } else if (StringEqualsNoCase(key, "pickingFile")) {
        pickingFile = parser.GetBool(false);
    } else if (StringEqualsNoCase(key, "successCommand")) {
        successCommand = parser.ReadString(false);
    } else if (StringEqualsNoCase(key, "tempUserVar")) {
        std::string varName = parser.ReadString(false);
        if (!varName.empty() && gUserVarSystem)
            tempUserVar = gUserVarSystem->RegisterVar(varName, "", true);
    } else if (StringEqualsNoCase(key, "textBox")) {
        textBox = parser.GetBool(false);
    } else if (StringEqualsNoCase(key, "infoProc")) {
        infoProc = parser.ReadString(false);
    } else if (StringEqualsNoCase(key, "useIdentifier")) {
        useIdentifier = true;
    } else {
        return UIWidget::ReadProperty(key, parser);
    }
    return false;
}

void UIFilePicker::CopyFrom(const UIWidget& source)
{
    UIWidget::CopyFrom(source);
    const auto* other = dynamic_cast<const UIFilePicker*>(&source);
    if (!other || other == this)
        return;
    baseDirectory = other->baseDirectory;
    currentPath = other->currentPath;
    extensions = other->extensions;
    entries = other->entries;
    selected = other->selected;
    lastClickTime = other->lastClickTime;
    // The copy makes its own buttons, box and scroll bar when it joins a menu.
    cancelButton = nullptr;
    okButton = nullptr;
    backButton = nullptr;
    textInput = nullptr;
    scrollBar = nullptr;
    pickingFile = other->pickingFile;
    successCommand = other->successCommand;
    infoProc = other->infoProc;
    textBox = other->textBox;
    tempUserVar = other->tempUserVar;
    useIdentifier = other->useIdentifier;
}

// ---- Attaching ----

UIWidget* UIFilePicker::MakeButton(const char* caption, const char* action, float x, float y)
{
    auto* button = new PickerPart();
    button->position[0] = x;
    button->position[1] = y;
    button->size[0] = kPickerButtonWidth;
    button->size[1] = kPickerLineHeight;
    // In the picker's own font, as its rows are: the buttons are only a row high.
    button->font = font;
    button->text = caption;
    button->canClick = true;
    button->drawOrder = drawOrder + 1.0f;
    button->internalName = internalName + action;
    button->commands.push_back("widgetCommand " + GetMenuName() + "::" + internalName + " " + action);
    std::string soundName = gGameData ? gGameData->GetNameById("SoundNameUISelect") : std::string();
    if (!soundName.empty() && gResourceManager)
        gResourceManager->Load(soundName, button->clickSound);
    PickerAddTo(*menu, button);
    return button;
}

void UIFilePicker::OnAttach()
{
    if (!menu)
        return;
    float x0 = position[0] + kPickerIndent;
    float y0 = position[1] + size[1] - kPickerLineHeight;
    if (textBox) {
        y0 -= kPickerLineHeight;
        auto* label = new PickerPart();
        label->position[0] = x0;
        label->position[1] = y0;
        label->size[0] = kPickerButtonWidth;
        label->size[1] = kPickerLineHeight;
        label->font = font;
        label->text = "$$FileName$$:";
        label->drawOrder = drawOrder + 1.0f;
        PickerAddTo(*menu, label);
        auto* input = new PickerTextInput();
        input->position[0] = x0 + kPickerInputOffset;
        input->position[1] = y0;
        input->size[0] = kPickerButtonWidth;
        input->size[1] = kPickerInputHeight;
        input->userVar = tempUserVar;
        input->internalName = internalName + "FileName";
        input->drawOrder = drawOrder + 1.0f;
        if (PickerVarReady(tempUserVar))
            tempUserVar.SetString("");
        PickerAddTo(*menu, input);
        textInput = input;
    }
    float buttonY = y0 + kPickerLineHeight;
    backButton = MakeButton("$$Back$$", "back", x0, buttonY);
    cancelButton = MakeButton("$$Cancel$$", "cancel", x0 + kButtonStep, buttonY);
    okButton = MakeButton("$$Ok$$", "ok", x0 + 2.0f * kButtonStep, buttonY);
    scrollBar = UIScrollBar::MakeFor(*this, nullptr, nullptr);
}

// ---- Filling ----

bool UIFilePicker::IsPlainFileName(const std::string& name)
{
    if (name.empty() || name == "." || name == "..")
        return false;
    return std::none_of(name.begin(), name.end(), [](char c) {
        auto byte = static_cast<unsigned char>(c);
        return c == '/' || c == '\\' || c == ':' || byte < 0x20 || byte == 0x7F;
    });
}

bool UIFilePicker::GetBaseFolder(std::string& out) const
{
    if (NormalizeGamePath(baseDirectory, out))
        return true;
    if (!baseWarned) {
        baseWarned = true;
        DebugSystem::Print(kPrintWarning, "File picker %s::%s: base folder %s is not a folder of the game\n",
                           GetMenuName().c_str(), internalName.c_str(), baseDirectory.c_str());
    }
    return false;
}

int32_t UIFilePicker::VisibleRows() const
{
    return std::max(0, static_cast<int32_t>((size[1] - HeaderHeight() - kButtonArea) / kRowHeight));
}

void UIFilePicker::Refresh()
{
    entries.clear();
    if (!infoProc.empty()) {
        std::vector<ListEntry> rows;
        if (gCommandSystem)
            gCommandSystem->CallInfoProc(infoProc, rows);
        for (const ListEntry& row : rows)
            entries.push_back(Entry{row.name, row.value, false});
    } else {
        std::string folder;
        if (GetBaseFolder(folder) && gFileSystem) {
            folder += currentPath;
            std::vector<std::string> folders;
            std::vector<std::string> files;
            std::vector<std::string> found;
            for (FileLocation location : kPickerLocations) {
                gFileSystem->ListFolders(folder, found, location);
                folders.insert(folders.end(), found.begin(), found.end());
                for (const std::string& extension : extensions)
                    gFileSystem->ListFiles(folder, extension, files, location, false, false, true);
            }
            PickerAddEntries(folders, true, entries);
            PickerAddEntries(files, false, entries);
        }
    }
    if (selected >= static_cast<int32_t>(entries.size()))
        ClearSelection();
    if (scrollBar)
        scrollBar->SetRange(static_cast<int32_t>(entries.size()), VisibleRows());
}

int32_t UIFilePicker::RowAt(int32_t /*x*/, int32_t y) const
{
    float first = GetScreenPosition().y + HeaderHeight();
    if (static_cast<float>(y) < first)
        return -1;
    int32_t row = static_cast<int32_t>((static_cast<float>(y) - first) / kRowHeight) + (scrollBar ? scrollBar->position : 0);
    return row < static_cast<int32_t>(entries.size()) ? row : -1;
}

// ---- Choosing ----

void UIFilePicker::ClearSelection()
{
    selected = -1;
    lastClickTime = TimeStamp{};
}

void UIFilePicker::SetOkCaption(const char* caption)
{
    if (okButton)
        okButton->text = caption;
}

void UIFilePicker::ShowMessage(const char* message) const
{
    if (gUISystem)
        gUISystem->GetGameView().ShowMessage(message);
}

std::string UIFilePicker::TypedName() const
{
    return PickerVarReady(tempUserVar) ? tempUserVar.GetString() : std::string();
}

void UIFilePicker::Update(float seconds)
{
    UIWidget::Update(seconds);
    if (!textBox || selected < 0 || selected >= static_cast<int32_t>(entries.size()))
        return;
    if (TypedName() != entries[static_cast<size_t>(selected)].name)
        ClearSelection();
}

void UIFilePicker::EnterFolder(const std::string& folderName)
{
    // A listed name is used as one path part only: the browse never climbs out of the base.
    if (!IsPlainFileName(folderName))
        return;
    if (currentPath.empty() || currentPath.back() != '/')
        currentPath += '/';
    currentPath += folderName;
    Refresh();
    ClearSelection();
    SetOkCaption("$$Ok$$");
}

bool UIFilePicker::HandleMouseButton(int32_t button, bool down, int32_t x, int32_t y)
{
    if (!IsVisible() || !HitTest(static_cast<float>(x), static_cast<float>(y)))
        return false;
    // The scroll bar along the right edge and the bottom's buttons are widgets of their own.
    if (static_cast<float>(x) >= GetScreenPosition().x + size[0] - (scrollBar ? scrollBar->size[0] : 0.0f) ||
        static_cast<float>(y) >= GetScreenPosition().y + size[1] - kButtonArea)
        return false;
    return UIWidget::HandleMouseButton(button, down, x, y);
}

void UIFilePicker::OnClick(int32_t button, bool down, int32_t x, int32_t y)
{
    if (button != 0 || !down)
        return;
    int32_t row = RowAt(x, y);
    TimeStamp now = PickerNow();
    if (row >= 0 && row == selected && gUISystem && gUISystem->IsDoubleClick(lastClickTime, now)) {
        // Copied: entering refills the entries.
        Entry entry = entries[static_cast<size_t>(row)];
        if (entry.isDirectory)
            EnterFolder(entry.name);
        else if (pickingFile)
            Accept();
        return;
    }
    selected = row;
    lastClickTime = now;
    if (row < 0)
        return;
    const Entry& entry = entries[static_cast<size_t>(row)];
    if (textBox && PickerVarReady(tempUserVar))
        tempUserVar.SetString(entry.name);
    SetOkCaption(entry.isDirectory ? "$$Open$$" : "$$Ok$$");
}

// ---- The buttons ----

void UIFilePicker::HandleWidgetCommand(const std::string& line)
{
    std::vector<std::string> words = CommandSystem::ParseLine(line);
    // "widgetCommand back" as the command hands it on, or with the picker's path still in it.
    size_t at = words.size() > 2 && words[1].find("::") != std::string::npos ? 2 : 1;
    if (words.size() <= at || words[0] != "widgetCommand") {
        UIWidget::HandleWidgetCommand(line);
        return;
    }
    const std::string& action = words[at];
    if (StringEqualsNoCase(action, "back")) {
        size_t slash = currentPath.rfind('/');
        if (slash != std::string::npos)
            currentPath.erase(slash);
        Refresh();
        ClearSelection();
    } else if (StringEqualsNoCase(action, "cancel")) {
        ClearSelection();
        UIWidget::HandleWidgetCommand("menuCommand hide");
    } else if (StringEqualsNoCase(action, "ok")) {
        // A typed name that could climb out of the folder is refused as such, listed extension or not.
        if (textBox && !TypedName().empty() && !IsPlainFileName(TypedName())) {
            ShowMessage("$$InvalidFileName$$");
        } else if (!IsValidOk()) {
            ShowMessage("$$NothingSelected$$");
        } else if (selected >= 0 && entries[static_cast<size_t>(selected)].isDirectory) {
            EnterFolder(entries[static_cast<size_t>(selected)].name);
        } else {
            Accept();
        }
    } else {
        UIWidget::HandleWidgetCommand(line);
    }
}

bool UIFilePicker::IsValidOk() const
{
    if (!pickingFile)
        return true;
    if (textBox) {
        std::string extension = PickerExtensionOf(TypedName());
        for (const std::string& listed : extensions)
            if (StringEqualsNoCase(listed, extension))
                return true;
    }
    return selected >= 0 && selected < static_cast<int32_t>(entries.size()) &&
           !entries[static_cast<size_t>(selected)].isDirectory;
}

std::string UIFilePicker::BuildAnswer() const
{
    if (!pickingFile)
        return currentPath;
    bool hasEntry = selected >= 0 && selected < static_cast<int32_t>(entries.size());
    if ((!textBox && !hasEntry) || (hasEntry && entries[static_cast<size_t>(selected)].isDirectory))
        return {};
    std::string answer = currentPath;
    if (!currentPath.empty() && gFileSystem)
        answer += gFileSystem->GetSeparator();
    if (textBox)
        return answer + TypedName();
    const Entry& entry = entries[static_cast<size_t>(selected)];
    return answer + (useIdentifier ? entry.identifier : entry.name);
}

void UIFilePicker::Accept()
{
    // A provider's rows are its own values, not paths; everything else names a place under the
    // base, one plain part after the folders entered.
    if (pickingFile && (infoProc.empty() || textBox)) {
        bool hasEntry = selected >= 0 && selected < static_cast<int32_t>(entries.size());
        std::string part = textBox ? TypedName()
                                   : (hasEntry ? (useIdentifier ? entries[static_cast<size_t>(selected)].identifier
                                                                : entries[static_cast<size_t>(selected)].name)
                                               : std::string());
        std::string base;
        if (!IsPlainFileName(part) || (infoProc.empty() && !GetBaseFolder(base))) {
            ShowMessage("$$InvalidFileName$$");
            return;
        }
    }
    std::string answer = BuildAnswer();
    if (PickerVarReady(userVar))
        userVar.SetString(answer);
    if (!successCommand.empty())
        UIWidget::HandleWidgetCommand(successCommand);
    ClearSelection();
    UIWidget::HandleWidgetCommand("menuCommand hide");
}

// ---- Drawing ----

void UIFilePicker::Draw()
{
    if (!IsVisible() || !gScreenText)
        return;
    float x = GetScreenPosition().x;
    float y = GetScreenPosition().y;
    int32_t background = gUISystem ? gUISystem->GetHighlightShader() : -1;
    gScreenText->DrawShaderRect(background, PickerTableColor(0), x, y, x + size[0], y + size[1], alpha, false, false, 0);
    if (infoProc.empty())
        gScreenText->DrawTextNarrow(font, baseDirectory + currentPath, static_cast<int32_t>(x), static_cast<int32_t>(y),
                                    PickerTableColor(kPickerPlainColor), false, 1.0f);
    int32_t hovered = -1;
    if (gInputSystem && HitTest(static_cast<float>(gInputSystem->GetCursorX()), static_cast<float>(gInputSystem->GetCursorY())))
        hovered = RowAt(gInputSystem->GetCursorX(), gInputSystem->GetCursorY());
    int32_t first = scrollBar ? scrollBar->position : 0;
    int32_t count = static_cast<int32_t>(entries.size());
    float rowY = y + HeaderHeight();
    for (int32_t row = std::max(first, 0); row < count && row < first + VisibleRows(); ++row, rowY += kRowHeight) {
        const Entry& entry = entries[static_cast<size_t>(row)];
        int32_t colour = row == selected  ? kPickerSelectedColor
                         : row == hovered ? kPickerHoverColor
                         : entry.isDirectory ? kPickerFolderColor
                                             : kPickerPlainColor;
        gScreenText->DrawTextNarrow(font, entry.name, static_cast<int32_t>(x), static_cast<int32_t>(rowY),
                                    PickerTableColor(colour), false, 1.0f);
    }
}
