// UIMenu -- one named screen or panel: its widgets in draw order, its layout keys, its show and hide command lists, its pages, and the routing of drawing and input to its widgets.
#include "ui/UIMenu.h"

#include "audio/SoundSystem.h"
#include "client/ClientApp.h"
#include "core/CommandSystem.h"
#include "core/DebugSystem.h"
#include "core/StringUtil.h"
#include "core/TextParser.h"
#include "core/UserVarSystem.h"
#include "resources/ResourceManager.h"
#include "ui/UISystem.h"
#include "ui/UIWidget.h"

#include <algorithm>
#include <iterator>

namespace {

constexpr const char* kMenuKeywords[] = {
    "name", "position", "size", "alwaysOnTop", "alwaysOnBottom", "visible", "addShowCommand",
    "addShowStartCommand", "addShowEndCommand", "addHideCommand", "addPlayerChangedCommand", "addSubMenu",
    "fullScreen", "subMenu", "allowedToReload", "externalName", "inGameOnly", "parent", "alwaysHandleInput",
    "pausesGame", "hideWhenPaused", "MenuType", "Music", "loopSound",
};

enum MenuKeyword : int32_t {
    kMenuName, kMenuPosition, kMenuSize, kMenuAlwaysOnTop, kMenuAlwaysOnBottom, kMenuVisible, kMenuAddShowCommand,
    kMenuAddShowStartCommand, kMenuAddShowEndCommand, kMenuAddHideCommand, kMenuAddPlayerChangedCommand,
    kMenuAddSubMenu, kMenuFullScreen, kMenuSubMenu, kMenuAllowedToReload, kMenuExternalName, kMenuInGameOnly,
    kMenuParent, kMenuAlwaysHandleInput, kMenuPausesGame, kMenuHideWhenPaused, kMenuMenuType, kMenuMusic,
    kMenuLoopSound,
};

} // namespace

UIMenu::~UIMenu()
{
    DeleteWidgets();
}

void UIMenu::DeleteWidgets()
{
    for (UIWidget* widget : widgets)
        delete widget;
    widgets.clear();
    subMenuTabs.clear();
}

bool UIMenu::IsEligible() const
{
    const UiGameView* view = gUISystem ? &gUISystem->GetGameView() : nullptr;
    if (inGameOnly && !(view && view->IsGameRunning()))
        return false;
    return !(hideWhenPaused && view && view->IsPaused());
}

void UIMenu::GetSize(float& width, float& height) const
{
    width = size[0];
    height = size[1];
}

// ---- Drawing and update ----

void UIMenu::Draw()
{
    if (!IsActive())
        return;
    UiDrawing kept = gUISystem ? gUISystem->drawing : UiDrawing{};
    for (UIWidget* widget : widgets) {
        if (gUISystem)
            gUISystem->drawing = {this, widget};
        widget->Draw();
    }
    if (gUISystem)
        gUISystem->drawing = kept;
    if (UIMenu* page = GetSelectedSubMenu())
        page->Draw();
}

void UIMenu::Update(float seconds)
{
    if (!IsActive())
        return;
    for (UIWidget* widget : widgets)
        widget->Update(seconds);
    if (UIMenu* page = GetSelectedSubMenu())
        page->Update(seconds);
    if (pausesGame && gClientApp)
        gClientApp->SetAutoPause();
}

// ---- Input ----

bool UIMenu::HandleKey(int32_t key, bool down, bool repeat)
{
    if (!TakesInput())
        return false;
    for (UIWidget* widget : widgets)
        if (widget->HandleHotKey(key, down, repeat))
            return true;
    return false;
}

bool UIMenu::HandleMouseButton(int32_t button, bool down, int32_t x, int32_t y)
{
    if (!TakesInput())
        return false;
    for (UIWidget* widget : widgets)
        if (widget->HandleMouseButton(button, down, x, y))
            return true;
    UIMenu* page = GetSelectedSubMenu();
    return page && page->HandleMouseButton(button, down, x, y);
}

bool UIMenu::HandleMouseWheel(bool up)
{
    if (!TakesInput())
        return false;
    for (UIWidget* widget : widgets)
        if (widget->HandleMouseWheel(up))
            return true;
    return false;
}

UIWidget* UIMenu::WidgetAt(int32_t x, int32_t y, bool skipHelpBoxes)
{
    if (!IsActive())
        return nullptr;
    for (auto it = widgets.rbegin(); it != widgets.rend(); ++it) {
        UIWidget* widget = *it;
        if (skipHelpBoxes && widget->IsHelpBox())
            continue;
        if (widget->canClick && widget->HitTest(static_cast<float>(x), static_cast<float>(y)) && widget->IsVisible())
            return widget;
    }
    UIMenu* page = GetSelectedSubMenu();
    return page ? page->WidgetAt(x, y, skipHelpBoxes) : nullptr;
}

bool UIMenu::HasFaceAt(int32_t x, int32_t y) const
{
    if (!IsActive())
        return false;
    for (const UIWidget* widget : widgets)
        if (!widget->textureName.empty() && !widget->IsHelpBox() && widget->IsVisible() &&
            widget->HitTest(static_cast<float>(x), static_cast<float>(y)))
            return true;
    const UIMenu* page = GetSelectedSubMenu();
    return page && page->HasFaceAt(x, y);
}

void UIMenu::GetFaces(std::vector<std::array<float, 4>>& out) const
{
    if (!IsActive())
        return;
    for (const UIWidget* widget : widgets)
        if (!widget->textureName.empty() && !widget->IsHelpBox() && widget->IsVisible()) {
            Vector2 corner = widget->GetScreenPosition();
            out.push_back({corner.x, corner.y, corner.x + widget->size[0], corner.y + widget->size[1]});
        }
    if (const UIMenu* page = GetSelectedSubMenu())
        page->GetFaces(out);
}

bool UIMenu::GetHighlightInfo(int32_t x, int32_t y, std::string& text, std::string& title, float position[2],
                              float extent[2], float& backgroundAlpha)
{
    if (!IsActive())
        return false;
    for (UIWidget* widget : widgets) {
        if (!widget->showHighlightInfo || !widget->HitTest(static_cast<float>(x), static_cast<float>(y)) ||
            !widget->IsVisible() || !widget->GetHelpText(x, y, text, title))
            continue;
        if (widget->hasProtectedZone) {
            widget->GetProtectedZonePosition(position[0], position[1]);
            extent[0] = widget->protectedZone[2];
            extent[1] = widget->protectedZone[3];
        } else {
            position[0] = widget->GetScreenPosition().x;
            position[1] = widget->GetScreenPosition().y;
            extent[0] = widget->size[0];
            extent[1] = widget->size[1];
        }
        backgroundAlpha = widget->highlightBackgroundAlpha;
        return true;
    }
    UIMenu* page = GetSelectedSubMenu();
    return page && page->GetHighlightInfo(x, y, text, title, position, extent, backgroundAlpha);
}

// ---- Showing and hiding ----

void UIMenu::Show()
{
    // A show list that shows this menu again would recurse forever; the inner show is dropped.
    if (inShowOrHide) {
        DebugSystem::Print(kPrintWarning, "Menu %s: its show or hide commands show or hide it again\n", name.c_str());
        return;
    }
    inShowOrHide = true;
    bool firstTime = !hasBeenShown;
    hasBeenShown = true;
    RunCommandList(showStartCommands);
    OnShow(firstTime);
    for (UIWidget* widget : widgets) {
        widget->ApplyUserVar();
        widget->OnMenuShown(firstTime);
    }
    RunCommandList(showEndCommands);
    StartLoopSound();
    inShowOrHide = false;
}

void UIMenu::Hide()
{
    if (inShowOrHide) {
        DebugSystem::Print(kPrintWarning, "Menu %s: its show or hide commands show or hide it again\n", name.c_str());
        return;
    }
    inShowOrHide = true;
    RunCommandList(hideCommands);
    OnHide();
    // A thing carried from a window that closes goes back to its place rather than stay on the cursor.
    if (gUISystem && gUISystem->dragWidget && gUISystem->dragWidget->menu == this)
        gUISystem->CancelDrag();
    for (UIWidget* widget : widgets)
        widget->OnMenuHidden();
    if (pausesGame && gClientApp && gClientApp->IsActive() && gUserVarSystem)
        gUserVarSystem->SetStringByName("pausedAuto", "0");
    StopLoopSound();
    inShowOrHide = false;
}

void UIMenu::StartLoopSound() const
{
    if (!loopSound.IsValid() || !gSoundSystem || !gSoundSystem->IsInitialised())
        return;
    int32_t owner = gUISystem ? gUISystem->GetGameView().GetPlayerEntityNumber() : -1;
    gSoundSystem->PlayOwnedSound(loopSound, SoundPos{}, owner, -1, true, 0.0f, 0.0f);
}

void UIMenu::StopLoopSound() const
{
    if (loopSound.IsValid() && gSoundSystem)
        gSoundSystem->StopResource(loopSound);
}

void UIMenu::SetVisible(bool on, bool quiet)
{
    if (on == visible)
        return;
    if (on)
        Show();
    else
        Hide();
    visible = on;
    if (!quiet && gUISystem)
        gUISystem->RecomputeHover();
}

void UIMenu::HideOrPop()
{
    if (pushed) {
        if (gUISystem)
            gUISystem->RemoveMenu(this);
        return;
    }
    SetVisible(false, false);
}

// ---- Commands ----

void UIMenu::RunCommandList(const std::vector<std::string>& lines)
{
    if (parent) {
        parent->RunCommandList(lines);
        return;
    }
    // A line may change the list it came from (a reload, a copy of widgets): run a copy.
    std::vector<std::string> copy = lines;
    for (const std::string& line : copy)
        HandleMenuCommand(line);
}

void UIMenu::HandleMenuCommand(const std::string& line)
{
    if (parent) {
        parent->HandleMenuCommand(line);
        return;
    }
    std::vector<std::string> words = CommandSystem::ParseLine(line);
    if (words.empty() || words[0] != "menuCommand") {
        ExecuteCommandLine(line);
        return;
    }
    if (words.size() < 2)
        return;
    const std::string& command = words[1];
    if (StringEqualsNoCase(command, "selectSubMenu"))
        SelectSubMenu(words.size() > 2 ? ParseInt(words[2]) : 0);
    else if (StringEqualsNoCase(command, "hide"))
        HideOrPop();
    else if (StringEqualsNoCase(command, "unselectAll"))
        for (UIWidget* widget : widgets)
            widget->SetSelected(false);
    else if (StringEqualsNoCase(command, "saveUserVars"))
        SaveUserVars();
    else if (StringEqualsNoCase(command, "applyUserVars"))
        ApplyUserVars();
    else if (StringEqualsNoCase(command, "restoreUserVars"))
        RestoreUserVars();
    else if (StringEqualsNoCase(command, "resetToDefaultUserVars"))
        ResetToDefaultUserVars();
}

// ---- User vars of option screens ----

void UIMenu::SaveUserVars()
{
    savedUserVarNames.clear();
    savedUserVarValues.clear();
    if (!gUserVarSystem)
        return;
    for (const UIWidget* widget : widgets) {
        if (!widget->userVar.IsValid())
            continue;
        savedUserVarNames.push_back(widget->userVar.GetName());
        savedUserVarValues.push_back(widget->userVar.GetString());
    }
}

void UIMenu::ApplyUserVars()
{
    if (!gUserVarSystem)
        return;
    bool restart = false;
    for (size_t i = 0; i < savedUserVarNames.size() && i < savedUserVarValues.size(); ++i) {
        const UserVar* var = gUserVarSystem->FindVar(savedUserVarNames[i]);
        if (var && var->NeedsVidRestart() && var->GetString() != savedUserVarValues[i])
            restart = true;
    }
    if (restart)
        HandleMenuCommand("vidRestart");
}

void UIMenu::RestoreUserVars()
{
    if (!gUserVarSystem)
        return;
    for (size_t i = 0; i < savedUserVarNames.size() && i < savedUserVarValues.size(); ++i) {
        UserVar* var = gUserVarSystem->GetVar(gUserVarSystem->RegisterVar(savedUserVarNames[i], "").GetIndex());
        // Set stores the readings, marks the change, records a missing default and saves a "Save" var.
        if (var)
            var->Set(savedUserVarValues[i]);
    }
}

void UIMenu::ResetToDefaultUserVars()
{
    if (!gUserVarSystem)
        return;
    for (const std::string& varName : savedUserVarNames) {
        UserVar* var = gUserVarSystem->FindVar(varName);
        if (var)
            var->Set(var->GetDefault());
    }
}

// ---- Widgets ----

void UIMenu::AddWidget(UIWidget* widget)
{
    if (!widget)
        return;
    widget->placement = ++placements;
    if (readingLayout) {
        widgets.push_back(widget);
        return;
    }
    // The list stays sorted (draw orders read from files are finite, and a changed one is sorted
    // again), so the first widget of a greater or equal order is found by halving.
    auto place = std::partition_point(widgets.begin(), widgets.end(),
                                      [widget](const UIWidget* other) { return other->drawOrder < widget->drawOrder; });
    widgets.insert(place, widget);
}

void UIMenu::SortWidgets()
{
    std::sort(widgets.begin(), widgets.end(), [](const UIWidget* a, const UIWidget* b) {
        return a->drawOrder != b->drawOrder ? a->drawOrder < b->drawOrder : a->placement > b->placement;
    });
}

void UIMenu::ResortWidget(UIWidget* widget)
{
    auto found = std::find(widgets.begin(), widgets.end(), widget);
    if (found == widgets.end())
        return;
    widgets.erase(found);
    AddWidget(widget);
}

UIWidget* UIMenu::FindWidget(const std::string& widgetName) const
{
    for (UIWidget* widget : widgets)
        if (widget->internalName == widgetName)
            return widget;
    return nullptr;
}

void UIMenu::AddWidgetsFrom(const UIMenu* source)
{
    if (!source || source == this)
        return;
    DeleteWidgets();
    for (const UIWidget* widget : source->widgets) {
        if (widget->IsMadeByOwner())
            continue;
        UIWidget* copy = UISystem::CloneWidget(widget);
        AddWidget(copy);
        copy->menu = this;
        copy->OnAttach();
    }
}

// ---- Pages ----

bool UIMenu::HasAncestor(const UIMenu* menu) const
{
    // Links are refused before they close a ring, so the walk ends; the bound is a second guard.
    int32_t steps = 0;
    for (const UIMenu* at = this; at && steps < 1024; at = at->parent, ++steps)
        if (at == menu)
            return true;
    return false;
}

bool UIMenu::HoldsPage(const UIMenu* menu) const
{
    std::vector<const UIMenu*> pending(subMenus.begin(), subMenus.end());
    std::vector<const UIMenu*> seen;
    while (!pending.empty()) {
        const UIMenu* page = pending.back();
        pending.pop_back();
        if (page == menu)
            return true;
        if (std::find(seen.begin(), seen.end(), page) != seen.end())
            continue;
        seen.push_back(page);
        pending.insert(pending.end(), page->subMenus.begin(), page->subMenus.end());
    }
    return false;
}

bool UIMenu::SetParent(UIMenu* candidate)
{
    // A ring of parents would send every forwarded command and page walk round it without end.
    if (candidate && (candidate->HasAncestor(this) || HoldsPage(candidate))) {
        DebugSystem::Print(kPrintWarning, "Menu %s: parent %s would make a ring of menus; the line is left out\n",
                           name.c_str(), candidate->name.c_str());
        return false;
    }
    parent = candidate;
    return true;
}

void UIMenu::AddSubMenu(UIMenu* page)
{
    if (!page)
        return;
    if (page == this || HasAncestor(page) || page->HoldsPage(this)) {
        DebugSystem::Print(kPrintWarning, "Menu %s: page %s would make a ring of menus; the line is left out\n",
                           name.c_str(), page->name.c_str());
        return;
    }
    subMenus.push_back(page);
    page->parent = this;
    if (!page->visible)
        page->SetVisible(true, !(gUISystem && gUISystem->IsSetUp()));
}

void UIMenu::SelectSubMenu(int32_t index)
{
    selectedSubMenu = index;
    for (size_t i = 0; i < subMenuTabs.size(); ++i)
        subMenuTabs[i]->SetSelected(static_cast<int32_t>(i) == index);
}

UIMenu* UIMenu::GetSubMenu(int32_t index) const
{
    if (index < 0 || index >= static_cast<int32_t>(subMenus.size()))
        return nullptr;
    return subMenus[static_cast<size_t>(index)];
}

void UIMenu::ForgetMenu(const UIMenu* gone)
{
    if (parent == gone)
        parent = nullptr;
    subMenus.erase(std::remove(subMenus.begin(), subMenus.end(), gone), subMenus.end());
}

void UIMenu::OnPlayerChanged()
{
    RunCommandList(playerChangedCommands);
    for (UIWidget* widget : widgets)
        widget->OnPlayerChanged();
}

void UIMenu::RefreshContents()
{
    // A page chain that leads back to a menu stops there.
    std::vector<UIMenu*> seen;
    for (UIMenu* page = this; page && std::find(seen.begin(), seen.end(), page) == seen.end();
         page = page->GetSelectedSubMenu()) {
        seen.push_back(page);
        for (UIWidget* widget : page->widgets)
            widget->Reload();
    }
}

bool UIMenu::WantsEffects() const
{
    if (!IsActive())
        return false;
    return std::any_of(widgets.begin(), widgets.end(), [](const UIWidget* widget) { return widget->WantsEffects(); });
}

void UIMenu::NotifyWidgets(int32_t value)
{
    for (UIWidget* widget : widgets)
        widget->Notify(value);
}

// ---- Layout files ----

bool UIMenu::ReadProperty(const std::string& key, TextParser& parser)
{
    int32_t index = -1;
    for (int32_t i = 0; i < static_cast<int32_t>(std::size(kMenuKeywords)); ++i)
        if (StringEqualsNoCase(key, kMenuKeywords[i])) {
            index = i;
            break;
        }
    switch (index) {
    case kMenuName: name = parser.ReadString(false); break;
    case kMenuPosition:
        UIWidget::ReadLayoutVector(parser, filePath, position);
        break;
    case kMenuSize:
        UIWidget::ReadLayoutVector(parser, filePath, size);
        break;
    case kMenuAlwaysOnTop: alwaysOnTop = parser.GetBool(false); break;
    case kMenuAlwaysOnBottom: alwaysOnBottom = parser.GetBool(false); break;
    case kMenuVisible: SetVisible(parser.GetBool(false), !(gUISystem && gUISystem->IsSetUp())); break;
    case kMenuAddShowCommand:
    case kMenuAddShowStartCommand: showStartCommands.push_back(parser.ReadString(false)); break;
    case kMenuAddShowEndCommand: showEndCommands.push_back(parser.ReadString(false)); break;
    case kMenuAddHideCommand: hideCommands.push_back(parser.ReadString(false)); break;
    case kMenuAddPlayerChangedCommand: playerChangedCommands.push_back(parser.ReadString(false)); break;
    case kMenuAddSubMenu: {
        std::string pageName = parser.ReadString(false);
        subMenuNames.push_back(pageName);
        if (gUISystem)
            AddSubMenu(gUISystem->FindMenu(pageName));
        break;
    }
    case kMenuFullScreen: fullScreen = parser.GetBool(false); break;
    case kMenuSubMenu: subMenu = parser.GetBool(false); break;
    case kMenuAllowedToReload: allowedToReload = parser.GetBool(false); break;
    case kMenuExternalName: externalName = parser.ReadString(false); break;
    case kMenuInGameOnly: inGameOnly = true; break;
    case kMenuParent:
        parentName = parser.ReadString(false);
        if (!SetParent(gUISystem ? gUISystem->FindMenu(parentName) : nullptr))
            parentName.clear();
        break;
    case kMenuAlwaysHandleInput: alwaysHandleInput = parser.GetBool(false); break;
    case kMenuPausesGame: pausesGame = parser.GetBool(false); break;
    case kMenuHideWhenPaused: hideWhenPaused = parser.GetBool(false); break;
    case kMenuMenuType: parser.ReadString(false); break;
    case kMenuMusic: music = parser.ReadString(false); break;
    case kMenuLoopSound: {
        std::string soundName = parser.ReadString(false);
        loopSound = ResourceHandle();
        if (gResourceManager && !soundName.empty())
            gResourceManager->Load(soundName, loopSound);
        break;
    }
    default:
        DebugSystem::Print(kPrintDeveloper, "Unknown menu parm %s\n", key.c_str());
        return false;
    }
    return true;
}

void UIMenu::LoadBody(TextParser& parser)
{
    std::string token;
    bool pending = false;
    readingLayout = true;
    while (pending || parser.NextToken(token)) {
        pending = false;
        UIWidget* widget = gUISystem ? gUISystem->CreateWidget(token) : nullptr;
        if (!widget) {
            ReadProperty(token, parser);
            continue;
        }
        std::string typeName = token;
        int32_t line = parser.GetLineNumber();
        token.clear();
        if (!parser.NextToken(token) || token != "{") {
            // The widget is dropped; the token taken for its brace is read again as the next item.
            DebugSystem::Print(kPrintWarning, "%s line %d: %s without \"{\"; the widget is left out\n",
                               filePath.c_str(), line, typeName.c_str());
            delete widget;
            pending = !token.empty() && token != "}";
            continue;
        }
        if (!widget->ReadProperties(parser)) {
            DebugSystem::Print(kPrintWarning, "%s line %d: %s block not closed; the widget is left out\n",
                               filePath.c_str(), line, typeName.c_str());
            delete widget;
            continue;
        }
        AddWidget(widget);
        widget->menu = this;
        widget->OnAttach();
    }
    readingLayout = false;
    SortWidgets();
}

void UIMenu::CollectSubMenuTabs()
{
    subMenuTabs.clear();
    for (UIWidget* widget : widgets) {
        if (!widget->subMenuTab)
            continue;
        subMenuTabs.push_back(widget);
        SelectSubMenu(0);
    }
}
