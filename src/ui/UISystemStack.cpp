// UISystemStack -- the menu stack, the active-menu order rebuilt from the menus and the stack, the widget under the cursor and the cursor's shape.
#include "ui/UISystem.h"

#include "core/UserVarSystem.h"
#include "core/system/InputSystem.h"
#include "ui/UIMenu.h"
#include "ui/UIWidget.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <vector>

namespace {

bool StackShownFullScreen(const UIMenu* menu)
{
    return menu->IsShown() && menu->fullScreen;
}

// A menu that takes part by its own flags: eligible and visible, or offered input though it is not shown.
bool StackIsCandidate(const UIMenu* menu, bool includeInputMenus)
{
    bool eligible = menu->IsEligible();
    if (eligible && menu->visible)
        return true;
    return (!eligible || (!menu->visible && !menu->pushed)) && menu->alwaysHandleInput && includeInputMenus;
}

} // namespace

void UISystem::BuildActiveMenuList(bool includeInputMenus, std::vector<UIMenu*>& out) const
{
    out.clear();
    for (UIMenu* menu : menus)
        if (!menu->pushed && !menu->subMenu && menu->alwaysOnTop && StackIsCandidate(menu, includeInputMenus))
            out.push_back(menu);
    // Every stacked entry from the top down, with no test, as far as a shown full-screen one.
    for (auto it = menuStack.rbegin(); it != menuStack.rend(); ++it) {
        out.push_back(*it);
        if (StackShownFullScreen(*it))
            return;
    }
    for (UIMenu* menu : menus) {
        if (menu->pushed || menu->subMenu || menu->alwaysOnTop || menu->alwaysOnBottom ||
            !StackIsCandidate(menu, includeInputMenus))
            continue;
        out.push_back(menu);
        if (StackShownFullScreen(menu))
            break;
    }
    for (UIMenu* menu : menus)
        if (!menu->pushed && !menu->subMenu && menu->alwaysOnBottom && StackIsCandidate(menu, includeInputMenus))
            out.push_back(menu);
}

UIWidget* UISystem::GetWidgetUnderCursor(bool skipHelpBoxes)
{
    BuildActiveMenuList(true, activeMenus);
    int32_t x = gInputSystem ? gInputSystem->GetCursorX() : 0;
    int32_t y = gInputSystem ? gInputSystem->GetCursorY() : 0;
    for (UIMenu* menu : activeMenus)
        if (UIWidget* widget = menu->WidgetAt(x, y, skipHelpBoxes))
            return widget;
    return nullptr;
}

void UISystem::PushMenu(UIMenu* menu)
{
    if (!menu)
        return;
    menuStack.push_back(menu);
    if (menu->pushed)
        return;
    menu->Show();
    menu->pushed = true;
    RecomputeHover();
}

void UISystem::PopMenu()
{
    if (menuStack.empty())
        return;
    UIMenu* menu = menuStack.back();
    if (menu->pushed) {
        menu->Hide();
        menu->pushed = false;
        RecomputeHover();
    }
    // The hide lists may have changed the stack; the entry read above is the one taken off.
    auto found = std::find(menuStack.rbegin(), menuStack.rend(), menu);
    if (found != menuStack.rend())
        menuStack.erase(std::next(found).base());
}

void UISystem::RemoveMenu(UIMenu* menu)
{
    if (!menu)
        return;
    bool found = false;
    while (!menuStack.empty()) {
        UIMenu* entry = menuStack.back();
        menuStack.pop_back();
        if (entry == menu) {
            found = true;
            break;
        }
        stackScratch.push_back(entry);
    }
    while (!stackScratch.empty()) {
        menuStack.push_back(stackScratch.back());
        stackScratch.pop_back();
    }
    if (!found || !menu->pushed)
        return;
    menu->Hide();
    menu->pushed = false;
    RecomputeHover();
}

bool UISystem::AnyShownFullScreen(const std::vector<UIMenu*>& list)
{
    for (const UIMenu* menu : list)
        if (StackShownFullScreen(menu))
            return true;
    return false;
}

bool UISystem::IsFullScreenMenuShown() const
{
    for (const UIMenu* menu : menus)
        if (StackShownFullScreen(menu))
            return true;
    return false;
}

bool UISystem::IsFullScreenMenuActive() const
{
    BuildActiveMenuList(false, fullScreenTestMenus);
    return AnyShownFullScreen(fullScreenTestMenus);
}

namespace {

// A menu the size of the screen (the in-game screen, the world map's frame, the relations screen
// and its pages) is the screen a notice stands on; any smaller menu shown is a window.
bool StackIsWindow(const UIMenu& menu)
{
    return !menu.alwaysOnBottom && !menu.fullScreen && (menu.size[0] < 640.0f || menu.size[1] < 480.0f);
}

// Each visible widget that shows a picture or words: the menu's own, those it draws beside its
// list, and its page's.
template <typename Visit>
void StackForEachShown(const UIMenu& menu, const Visit& visit)
{
    std::vector<const UIWidget*> extras;
    menu.GetDrawnExtras(extras);
    auto offer = [&visit](const UIWidget& widget) {
        bool shows = !widget.text.empty() || !widget.displayText.empty() || !widget.textureName.empty();
        if (shows && !widget.IsHelpBox() && widget.IsVisible()) {
            Vector2 at = widget.GetScreenPosition();
            visit(std::array<float, 4>{at.x, at.y, at.x + widget.size[0], at.y + widget.size[1]});
        }
    };
    for (const UIWidget* widget : menu.GetWidgets())
        offer(*widget);
    for (const UIWidget* widget : extras)
        offer(*widget);
    if (const UIMenu* page = menu.GetSelectedSubMenu())
        StackForEachShown(*page, visit);
}

void StackWidgetBoxes(const UIMenu& menu, std::vector<FrameUi::WidgetBox>& out)
{
    if (StackIsWindow(menu)) {
        // A window is what it shows (the death screen's widgets come and go within its rectangle).
        std::array<float, 4> whole = {640.0f, 480.0f, 0.0f, 0.0f};
        StackForEachShown(menu, [&whole](const std::array<float, 4>& box) {
            whole = {std::min(whole[0], box[0]), std::min(whole[1], box[1]), std::max(whole[2], box[2]),
                     std::max(whole[3], box[3])};
        });
        if (whole[0] < whole[2] && whole[1] < whole[3])
            out.push_back({whole, true});
        return;
    }
    StackForEachShown(menu, [&out](const std::array<float, 4>& box) {
        // A backdrop of a quarter of the screen or more is the screen itself, room a notice may
        // stand on.
        constexpr float kFaceArea = 640.0f * 480.0f / 4.0f;
        if ((box[2] - box[0]) * (box[3] - box[1]) < kFaceArea)
            out.push_back({box, false});
    });
}

} // namespace

void UISystem::GetWindowBoxes(std::vector<WidgetBox>& out) const
{
    out.clear();
    // The menus drawn: none behind a menu that fills the screen.
    BuildActiveMenuList(false, boxMenus);
    for (const UIMenu* menu : boxMenus)
        if (menu->IsShown() && menu != helpTopMenu && menu != helpBottomMenu)
            StackWidgetBoxes(*menu, out);
}

bool UISystem::IsBlockingMenuShown() const
{
    for (const UIMenu* menu : menuStack)
        if (menu->IsEligible())
            return true;
    return IsFullScreenMenuActive();
}

bool UISystem::AnyActiveMenuShowsModel()
{
    BuildActiveMenuList(false, activeMenus);
    for (const UIMenu* menu : activeMenus) {
        if (!menu->IsShown())
            continue;
        for (const UIWidget* widget : menu->GetWidgets())
            if (widget->ShowsModel())
                return true;
    }
    return false;
}

bool UISystem::AnyWidgetWantsEffects()
{
    BuildActiveMenuList(false, activeMenus);
    return std::any_of(activeMenus.begin(), activeMenus.end(), [](const UIMenu* menu) { return menu->WantsEffects(); });
}

bool UISystem::WantsEffectsWhilePaused()
{
    return AnyWidgetWantsEffects() || AnyActiveMenuShowsModel();
}

std::string UISystem::GetActiveMenuMusic()
{
    BuildActiveMenuList(false, activeMenus);
    for (const UIMenu* menu : activeMenus)
        if (!menu->music.empty())
            return menu->music;
    return {};
}

int32_t UISystem::ChooseCursorShape()
{
    const UiGameView& view = GetGameView();
    int32_t entity = view.GetHoveredEntity();
    int32_t action = entity >= 0 ? view.GetInteractionFor(entity) : 0;
    if (dragWidget)
        return kCursorDragging;
    if (gUserVarSystem && gUserVarSystem->IsReady() && gUserVarSystem->GetIntByName("drawWorldMap") != 0)
        return 1;
    if (GetWidgetUnderCursor(false) || IsFullScreenMenuActive())
        return 1;
    switch (action) {
    case 2: return 2;
    case 10: case 11: case 23: return 3;
    case 12: case 13: case 14: case 15: case 18: case 19: case 20: case 21: return 4;
    case 5: case 6: case 7: case 8: case 9: case 22: case 24: case 25: case 26: case 27: case 28: return 6;
    default: return 1;
    }
}

void UISystem::UpdateCursorShape()
{
    if (!setUp)
        return;
    int32_t shape = ChooseCursorShape();
    if (currentCursor == kCursorBusy && busyFrames <= settings.minBusyFrames)
        return;
    SetCursor(shape);
}
