// UISystem -- owns and runs every menu: loading from the layout files, the menu stack and active menus, hover, focus, drag and held-button repeat, the cursor, tooltips, bag windows and the menu commands.
#include "ui/UISystem.h"

#include "core/CommandSystem.h"
#include "core/DebugSystem.h"
#include "core/FileSystem.h"
#include "core/UserVarSystem.h"
#include "core/system/GraphicsSystem.h"
#include "core/system/InputSystem.h"
#include "core/system/TimerSystem.h"
#include "render/MiniMap.h"
#include "render/Renderer.h"
#include "render/WorldMap.h"
#include "resources/ResourceManager.h"
#include "resources/fonts/ScreenText.h"
#include "rules/GameData.h"
#include "ui/UIMenu.h"
#include "ui/UIWidget.h"
#include "ui/UiNameTables.h"
#include "ui/widgets/UISlotBase.h"
#include "ui/widgets/UIUseSlot.h"

#include <algorithm>
#include <cmath>

UISystem* gUISystem = nullptr;

namespace {

// Positions in the user var table of RegisterUserVars.
enum UISystemVar : int32_t {
    kUISystemVarHardwareCursor = 2,
    kUISystemVarDrawUI = 3,
    kUISystemVarShowDamageNumbers = 6,
    kUISystemVarShowXpNumbers = 7,
    kUISystemVarHideNumbersDuringRaids = 8,
};

int32_t UISystemCursorX()
{
    return gInputSystem ? gInputSystem->GetCursorX() : 0;
}

int32_t UISystemCursorY()
{
    return gInputSystem ? gInputSystem->GetCursorY() : 0;
}

// The slots take a carried thing by a press on them: their click places, swaps, sells or buys it.
bool UISystemTakesDrops(const UIWidget& widget)
{
    return dynamic_cast<const UISlotBase*>(&widget) || dynamic_cast<const UIUseSlot*>(&widget);
}

// Whether a visible widget of the menu or its page shows a picture or words at the point. A
// menu's own rectangle says nothing: a window of widgets shown only at times (the death screen's)
// stands over the world all the while.
bool UISystemMenuShowsAt(const UIMenu& menu, float x, float y)
{
    for (const UIWidget* widget : menu.GetWidgets()) {
        bool shows = !widget->textureName.empty() || !widget->text.empty() || !widget->displayText.empty();
        if (shows && !widget->IsHelpBox() && widget->IsVisible() && widget->HitTest(x, y))
            return true;
    }
    const UIMenu* page = menu.GetSelectedSubMenu();
    return page && UISystemMenuShowsAt(*page, x, y);
}

} // namespace

UISystem::DispatchScope::~DispatchScope()
{
    if (--owner.dispatchDepth == 0 && owner.reloadPending) {
        owner.reloadPending = false;
        owner.LoadMenus(true);
    }
}

UISystem::UISystem()
{
    doubleClickTime.seconds = 0.5f;
    doubleClickTime.Normalize();
    UiNameTables::Register();
}

UISystem::~UISystem()
{
    if (gGraphicsSystem)
        gGraphicsSystem->SetCursorMovedHook({});
    for (UIMenu* menu : menus)
        delete menu;
    menus.clear();
}

void UISystem::RegisterCommands()
{
    setUp = false;
    LoadSettings();
    LoadLookShaders();
    LoadMenus(false);
    ShowMenu("Main");
    RegisterMenuCommands();
    RegisterUserVars();
    if (gGameData && gResourceManager) {
        std::string soundName = gGameData->GetNameById("SoundNameNewHelpTopic");
        if (!soundName.empty())
            gResourceManager->Load(soundName, newHelpTopicSound);
    }
    if (gGraphicsSystem)
        gGraphicsSystem->SetCursorMovedHook([this] { UpdateCursorShape(); });
    setUp = true;
}

void UISystem::LoadLookShaders()
{
    if (!gRenderer)
        return;
    highlightShader = gRenderer->GetStandardHandle(Renderer::kHandleUiBlack);
    glowShader = gRenderer->GetStandardHandle(Renderer::kHandleCircle);
}

// ---- Look-ups ----

UIMenu* UISystem::FindMenu(const std::string& menuName) const
{
    for (UIMenu* menu : menus)
        if (menu->name == menuName)
            return menu;
    return nullptr;
}

UIMenu* UISystem::FindMenuByFile(const std::string& path) const
{
    for (UIMenu* menu : menus)
        if (menu->filePath == path)
            return menu;
    return nullptr;
}

UIWidget* UISystem::FindWidget(const std::string& widgetName, const std::string& menuName) const
{
    UIMenu* menu = FindMenu(menuName);
    if (!menu) {
        DebugSystem::Print(kPrintError, "Could not find menu %s\n", menuName.c_str());
        return nullptr;
    }
    UIWidget* widget = menu->FindWidget(widgetName);
    if (!widget)
        DebugSystem::Print(kPrintError, "Could not find widget %s\n", widgetName.c_str());
    return widget;
}

UIWidget* UISystem::FindWidgetByPath(const std::string& path) const
{
    size_t split = path.find("::");
    if (split == std::string::npos)
        return FindWidget("", path);
    return FindWidget(path.substr(split + 2), path.substr(0, split));
}

// ---- Showing and hiding ----

void UISystem::ShowWithFlag(UIMenu* menu)
{
    menu->Show();
    menu->visible = true;
    RecomputeHover();
}

void UISystem::HideWithFlag(UIMenu* menu)
{
    menu->Hide();
    menu->visible = false;
    RecomputeHover();
}

void UISystem::RecomputeHover()
{
    if (setUp)
        hoverWidget = GetWidgetUnderCursor(false);
}

void UISystem::SetMenuVisible(const std::string& menuName, bool on)
{
    UIMenu* menu = FindMenu(menuName);
    if (!menu || menu->visible == on)
        return;
    if (on)
        ShowWithFlag(menu);
    else
        HideWithFlag(menu);
}

void UISystem::ShowMenu(const std::string& menuName)
{
    UIMenu* menu = FindMenu(menuName);
    if (menu && !menu->visible)
        ShowWithFlag(menu);
}

void UISystem::HideMenu(const std::string& menuName)
{
    if (UIMenu* menu = FindMenu(menuName))
        menu->Close();
}

void UISystem::ToggleMenu(const std::string& menuName)
{
    UIMenu* menu = FindMenu(menuName);
    if (!menu)
        return;
    bool shown = menu->IsShown();
    if (shown && menu->visible)
        HideWithFlag(menu);
    else if (!shown && !menu->visible)
        ShowWithFlag(menu);
}

void UISystem::PushPopMenu(const std::string& menuName)
{
    UIMenu* menu = FindMenu(menuName);
    if (!menu)
        return;
    if (menu->IsShown())
        RemoveMenu(menu);
    else
        PushMenu(menu);
}

void UISystem::ShowGameMenus()
{
    for (const std::string& menuName : settings.gameMenus)
        ShowMenu(menuName);
}

void UISystem::RunMenuLine(const std::string& line)
{
    ExecuteCommandLine(line);
}

void UISystem::RefreshMenu(const std::string& menuName)
{
    if (UIMenu* menu = FindMenu(menuName))
        menu->RefreshContents();
}

void UISystem::OnNewWorld()
{
    CloseAllMenus();
    ShowGameMenus();
}

Vector2 UISystem::GetTextPosition(TextPosition which) const
{
    switch (which) {
    case TextPosition::Refusal:
        return Vector2{settings.centerTextPosition[0], settings.centerTextPosition[1]};
    case TextPosition::Notice:
        return Vector2{settings.relationChangeTextPosition[0], settings.relationChangeTextPosition[1]};
    case TextPosition::Log:
        break;
    }
    return settings.logPosition;
}

void UISystem::CloseAllMenus()
{
    for (UIMenu* menu : menus)
        if (!menu->subMenu)
            menu->Close();
}

// ---- The frame ----

void UISystem::Update(float seconds)
{
    DispatchScope scope(*this);
    UIWidget* under = GetWidgetUnderCursor(false);
    if (under && under != hoverWidget)
        under->PlayHoverSound();
    hoverWidget = under;
    BuildActiveMenuList(false, frameMenus);
    for (UIMenu* menu : frameMenus)
        menu->Update(seconds);
    if (!pressedWidget)
        return;
    pressedTime += seconds;
    float threshold = pressedRepeats == 0 ? settings.firstRepeatTime : settings.otherRepeatTime;
    if (pressedTime > threshold) {
        pressedTime -= threshold;
        ++pressedRepeats;
        pressedWidget->PressAtCentre(pressedButton, true);
    }
}

void UISystem::UpdateAndDraw(float seconds)
{
    Update(seconds);
    DispatchScope scope(*this);
    BuildActiveMenuList(false, frameMenus);
    if (!IsVarOn(kUISystemVarDrawUI))
        return;
    for (auto it = frameMenus.rbegin(); it != frameMenus.rend(); ++it) {
        if (IsHelpButton(*it))
            continue;
        drawing = {*it, nullptr};
        (*it)->Draw();
    }
    drawing = {};
}

// The help topics' buttons stand over the world, under what stands over it: the world's
// tooltips and labels drawn next, and every window. Drawn with the windows, a button lay over the
// tooltip of a townsperson under it.
void UISystem::DrawHelpBottom(float seconds)
{
    if (IsVarOn(kUISystemVarDrawUI) && !helpButtonMenus.empty()) {
        DispatchScope scope(*this);
        BuildActiveMenuList(false, frameMenus);
        for (auto it = frameMenus.rbegin(); it != frameMenus.rend(); ++it) {
            if (!IsHelpButton(*it))
                continue;
            drawing = {*it, nullptr};
            (*it)->Draw();
        }
        drawing = {};
    }
    DrawHelpMenu(helpBottomMenu, seconds);
}

bool UISystem::IsHelpButton(const UIMenu* menu) const
{
    return std::find(helpButtonMenus.begin(), helpButtonMenus.end(), menu) != helpButtonMenus.end();
}

// The help box menus are shown only for their own draw, never between calls.
void UISystem::DrawHelpMenu(UIMenu* menu, float seconds)
{
    if (!menu)
        return;
    if (!menu->visible) {
        menu->Show();
        menu->visible = true;
    }
    menu->Update(seconds);
    menu->Draw();
    if (menu->visible) {
        menu->Hide();
        menu->visible = false;
    }
}

void UISystem::SetCursor(int32_t cursor)
{
    currentCursor = cursor;
    if (gGraphicsSystem)
        gGraphicsSystem->SetCursor(cursor);
}

void UISystem::DrawCursor()
{
    int32_t x = UISystemCursorX();
    int32_t y = UISystemCursorY();
    if (dragWidget) {
        float kept[2] = {dragWidget->position[0], dragWidget->position[1]};
        UIMenu* keptMenu = dragWidget->menu;
        dragWidget->position[0] = static_cast<float>(x) - dragWidget->size[0] * 0.5f;
        dragWidget->position[1] = static_cast<float>(y) - dragWidget->size[1] * 0.5f;
        dragWidget->menu = nullptr;
        dragWidget->drawnAtCursor = true;
        dragWidget->Draw();
        dragWidget->position[0] = kept[0];
        dragWidget->position[1] = kept[1];
        dragWidget->menu = keptMenu;
        dragWidget->drawnAtCursor = false;
        if (currentCursor == kCursorBusy && ++busyFrames <= settings.minBusyFrames)
            return;
        SetCursor(kCursorDragging);
        return;
    }
    int32_t shape = ChooseCursorShape();
    if (shape == kCursorBusy) {
        busyFrames = 0;
    } else if (currentCursor == kCursorBusy && ++busyFrames <= settings.minBusyFrames) {
        shape = kCursorBusy;
    } else {
        SetCursor(shape);
    }
    bool hardware = IsVarOn(kUISystemVarHardwareCursor);
    if (hardware && gGraphicsSystem && gGraphicsSystem->HasCursor(shape))
        return;
    if (!gScreenText || !gGraphicsSystem)
        return;
    int32_t picture = -1;
    gGraphicsSystem->GetCursorTexture(picture, shape);
    if (picture == -1)
        return;
    float offset = shape == 6 ? -16.0f : 0.0f;
    float left = static_cast<float>(x) + offset;
    float top = static_cast<float>(y) + offset;
    gScreenText->DrawShaderRect(picture, Color{1.0f, 1.0f, 1.0f}, left, top, left + 32.0f, top + 32.0f, 1.0f, false,
                                false, 0);
    if (gResourceManager)
        gResourceManager->Release(picture);
}

// ---- Input ----

bool UISystem::HandleMouseButton(int32_t button, bool down, int32_t x, int32_t y)
{
    if (down) {
        tooltipHiddenAt[0] = UISystemCursorX();
        tooltipHiddenAt[1] = UISystemCursorY();
    }
    // A thing carried off by a press and let go over another widget is dropped there, as a
    // second click would drop it: dragging works beside clicking twice.
    DispatchScope scope(*this);
    UIWidget* dropOn = nullptr;
    if (button == 0 && !down) {
        UIWidget* under = dragWidget && dragWidget == pickedOnPress ? GetWidgetUnderCursor(false) : nullptr;
        dropOn = under != dragWidget ? under : nullptr;
        pickedOnPress = nullptr;
    }
    UIWidget* carried = dragWidget;
    bool handled = HandleButton(button, down, x, y);
    if (button == 0 && down)
        pickedOnPress = dragWidget && dragWidget != carried ? dragWidget : nullptr;
    // Only a widget that takes the drop gets it: a press made on any other (a scroll bar's arrow)
    // would act there as a click with no button held, and the thing would stay on the cursor.
    if (dropOn && dragWidget && GetWidgetUnderCursor(false) == dropOn) {
        if (UISystemTakesDrops(*dropOn))
            handled = HandleButton(0, true, x, y) || handled;
        else if (dragWidget->AcceptDrop(dropOn))
            handled = true;
    }
    return handled;
}

bool UISystem::HandleButton(int32_t button, bool down, int32_t x, int32_t y)
{
    DispatchScope scope(*this);
    bool endsMode = down && uiMode != UIMode::Normal;
    bool handled = false;
    bool fullScreenListed = false;
    if (dragWidget && down && dragWidget->AcceptDrop(GetWidgetUnderCursor(false))) {
        handled = true;
    } else {
        BuildActiveMenuList(true, frameMenus);
        // A press on a window's face that none of its widgets took stays with the window: it
        // reaches neither a window beneath, nor the world behind (no drop, no walk).
        for (UIMenu* menu : frameMenus) {
            fullScreenListed = fullScreenListed || (menu->IsShown() && menu->fullScreen);
            if (menu->HandleMouseButton(button, down, x, y) || (down && menu->HasFaceAt(x, y))) {
                handled = true;
                break;
            }
        }
        if (!handled && !fullScreenListed && dragWidget && down) {
            dragWidget->OnDropOutside();
            handled = true;
        }
    }
    if (endsMode)
        uiMode = UIMode::Normal;
    return handled;
}

bool UISystem::HandleKey(int32_t key, bool down, bool repeat)
{
    DispatchScope scope(*this);
    BuildActiveMenuList(true, frameMenus);
    for (UIMenu* menu : frameMenus)
        if (menu->HandleKey(key, down, repeat))
            return true;
    return false;
}

bool UISystem::AnyMenuHandlesInput(bool up)
{
    DispatchScope scope(*this);
    BuildActiveMenuList(true, frameMenus);
    for (UIMenu* menu : frameMenus)
        if (menu->HandleMouseWheel(up))
            return true;
    return false;
}

void UISystem::RecordWidgetPress(UIWidget* widget, int32_t button)
{
    if (widget == pressedWidget)
        return;
    pressedWidget = widget;
    pressedButton = button;
    pressedTime = 0.0f;
    pressedRepeats = 0;
}

void UISystem::CancelDrag()
{
    dragWidget = nullptr;
    pickedOnPress = nullptr;
}

void UISystem::ClearWidgetPress(UIWidget* widget)
{
    if (pressedWidget == widget)
        pressedWidget = nullptr;
}

// ---- Services ----

void UISystem::GetTooltip(std::string& text, std::string& title, float position[2], float extent[2], float& flag)
{
    text.clear();
    title.clear();
    tooltipOfWorld = false;
    int32_t x = UISystemCursorX();
    int32_t y = UISystemCursorY();
    // A press puts the tooltip away until the cursor moves: what the press opened (a window, a
    // page) is read, not the tooltip of the button still under the cursor.
    if (x == tooltipHiddenAt[0] && y == tooltipHiddenAt[1])
        return;
    tooltipHiddenAt[0] = -1;
    tooltipHiddenAt[1] = -1;
    if (gUserVarSystem && gUserVarSystem->GetIntByName("drawWorldMap") != 0) {
        GetWorldMapTooltip(x, y, text, title, position, extent, flag);
        return;
    }
    BuildActiveMenuList(false, activeMenus);
    // A window's face hides the world behind it from the tooltip as from the click; the in-game
    // screen's pictures (the mini-map's ring among them) hide only the world. A window's tooltip
    // is its own: what lies beneath it (a lower window, the world) gives none there.
    bool windowFace = false;
    bool screenFace = false;
    for (UIMenu* menu : activeMenus) {
        if (menu->GetHighlightInfo(x, y, text, title, position, extent, flag))
            return;
        if (menu->alwaysOnBottom) {
            screenFace = screenFace || menu->HasFaceAt(x, y);
        } else if (WindowHides(*menu, static_cast<float>(x), static_cast<float>(y))) {
            windowFace = true;
            break;
        }
    }
    if (GetWidgetUnderCursor(true) || windowFace)
        return;
    const UiGameView& view = GetGameView();
    bool placed = false;
    float entityX = 0.0f;
    float entityY = 0.0f;
    int32_t entity = screenFace ? -1 : view.GetHoveredEntity();
    if (entity >= 0 && view.GetHoverText(entity, text, placed, entityX, entityY)) {
        // A placed tooltip is framed above a 32-pixel square 64 pixels over the entity's feet; an
        // empty square sends it to the help box's own place.
        position[0] = placed ? entityX : 0.0f;
        position[1] = placed ? entityY - 64.0f : 0.0f;
        extent[0] = placed ? 32.0f : 0.0f;
        extent[1] = placed ? 32.0f : 0.0f;
        tooltipOfWorld = true;
        return;
    }
    if (!gMiniMap || !gMiniMap->IsVisible() || gMiniMap->GetTooltip().empty())
        return;
    text = gMiniMap->GetTooltip();
    const std::array<float, 4>& box = gMiniMap->GetTooltipRect();
    position[0] = box[0];
    position[1] = box[1];
    extent[0] = box[2];
    extent[1] = box[3];
    flag = 1.0f;
}

void UISystem::GetScreenFaces(std::vector<std::array<float, 4>>& out) const
{
    out.clear();
    for (const UIMenu* menu : menus)
        if (menu->alwaysOnBottom && menu != helpBottomMenu && menu->IsShown())
            menu->GetFaces(out);
}

bool UISystem::WindowHides(const UIMenu& menu, float x, float y) const
{
    if (!menu.IsShown() || menu.alwaysOnBottom || &menu == helpTopMenu || &menu == helpBottomMenu)
        return false;
    // A screen that holds the game still, or fills the screen, hides all of the world.
    return menu.pausesGame || menu.fullScreen || UISystemMenuShowsAt(menu, x, y);
}

void UISystem::GetWorldMapTooltip(int32_t x, int32_t y, std::string& text, std::string& title, float position[2],
                                  float extent[2], float& flag)
{
    std::array<float, 4> box{};
    if (gWorldMap && gWorldMap->GetHelp(text, box)) {
        // The map's pins lie in window pixels, the tooltip in the 640 x 480 space.
        int32_t width = gRenderer ? std::max(1, gRenderer->GetVideoOptions().GetScreenWidth()) : 640;
        int32_t height = gRenderer ? std::max(1, gRenderer->GetVideoOptions().GetScreenHeight()) : 480;
        float scaleX = 640.0f / static_cast<float>(width);
        float scaleY = 480.0f / static_cast<float>(height);
        position[0] = box[0] * scaleX;
        position[1] = box[1] * scaleY;
        extent[0] = box[2] * scaleX;
        extent[1] = box[3] * scaleY;
        flag = 1.0f;
        return;
    }
    // No pin under the cursor: the map's own buttons and bars answer.
    UIMenu* map = FindMenu("WorldMap");
    if (map)
        map->GetHighlightInfo(x, y, text, title, position, extent, flag);
}

bool UISystem::IsDoubleClick(const TimeStamp& first, const TimeStamp& second) const
{
    TimeStamp gap = TimeStamp::Difference(first, second);
    gap.Normalize();
    if (gap.days != doubleClickTime.days)
        return gap.days < doubleClickTime.days;
    if (gap.hours != doubleClickTime.hours)
        return gap.hours < doubleClickTime.hours;
    if (gap.minutes != doubleClickTime.minutes)
        return gap.minutes < doubleClickTime.minutes;
    return gap.seconds < doubleClickTime.seconds;
}

bool UISystem::IsBlinkOn(float period)
{
    if (period <= 0.0f)
        return false;
    float running = gTimerSystem ? gTimerSystem->GetClock().GetTotalSeconds() : 0.0f;
    return static_cast<int64_t>(std::floor(running / period)) % 2 == 0;
}

std::string UISystem::GetBlinkCursor()
{
    return IsBlinkOn(0.5f) ? "_" : "";
}

void UISystem::ArrangeOpenBagMenus()
{
    float x = settings.sideStackStart[0];
    float y = settings.sideStackStart[1];
    float column = 0.0f;
    for (UIMenu* menu : openBagMenus) {
        float width = 0.0f;
        float height = 0.0f;
        menu->GetSize(width, height);
        if (height == 0.0f)
            continue;
        if (y - height < 0.0f) {
            x -= settings.sideStackSpace[0] + column;
            y = settings.sideStackStart[1];
            column = 0.0f;
        }
        y -= height;
        menu->position[0] = x;
        menu->position[1] = y;
        y -= settings.sideStackSpace[1];
        column = std::max(column, width);
    }
}

void UISystem::NotifyAllWidgets(int32_t value)
{
    for (UIMenu* menu : menus)
        menu->NotifyWidgets(value);
}

void UISystem::OnPlayerChanged()
{
    for (UIMenu* menu : menus)
        menu->OnPlayerChanged();
}

void UISystem::RunCommandList(const std::vector<std::string>& lines)
{
    std::vector<std::string> copy = lines;
    for (const std::string& line : copy)
        ExecuteCommandLine(line);
}

bool UISystem::NumbersHiddenForRaid() const
{
    if (!IsVarOn(kUISystemVarHideNumbersDuringRaids))
        return false;
    const UiGameView& view = GetGameView();
    UiCovenantFacts own;
    return view.GetCovenant(view.GetPlayerCovenantIndex(), own) && (own.beingRaided || own.raiding);
}

bool UISystem::ShowDamageNumbers() const
{
    return !NumbersHiddenForRaid() && IsVarOn(kUISystemVarShowDamageNumbers);
}

bool UISystem::ShowXpNumbers() const
{
    return !NumbersHiddenForRaid() && IsVarOn(kUISystemVarShowXpNumbers);
}

// Before the user vars are registered every switch reads as off.
bool UISystem::IsVarOn(int32_t index) const
{
    return index < static_cast<int32_t>(userVars.size()) && userVars[static_cast<size_t>(index)].IsValid() &&
           userVars[static_cast<size_t>(index)].GetBool();
}
