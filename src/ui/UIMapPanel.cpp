// UIMapPanel -- the user interface's side of the maps: the "WorldMap" menu shown and hidden, its two scroll bars, the mini-map's frame and the legend's place from the interface settings, and what the interface draws over the open map.
#include "ui/UIMapPanel.h"

#include "core/UserVarSystem.h"
#include "render/TextEvents.h"
#include "ui/UIMenu.h"
#include "ui/UISystem.h"
#include "ui/UIWidget.h"
#include "ui/widgets/UIScrollBar.h"

#include <typeinfo>

namespace {

constexpr const char* kUIMapPanelMenu = "WorldMap";
// A notice's black box reaches this far round its words.
constexpr float kUIMapPanelNoticeMargin = 3.0f;

} // namespace

UIScrollBar* UIMapPanel::FindBar(bool vertical)
{
    if (!gUISystem)
        return nullptr;
    return dynamic_cast<UIScrollBar*>(
        gUISystem->FindWidget(vertical ? "VerticalScrollBar" : "HorizontalScrollBar", kUIMapPanelMenu));
}

bool UIMapPanel::IsWorldMapShown() const
{
    UIMenu* menu = gUISystem ? gUISystem->FindMenu(kUIMapPanelMenu) : nullptr;
    return menu && menu->IsShown();
}

void UIMapPanel::ShowWorldMap(bool shown)
{
    if (!gUISystem || !gUISystem->FindMenu(kUIMapPanelMenu))
        return;
    if (shown)
        gUISystem->ShowMenu(kUIMapPanelMenu);
    else
        gUISystem->HideMenu(kUIMapPanelMenu);
}

void UIMapPanel::SetScrollRange(bool vertical, int32_t count, int32_t page)
{
    if (UIScrollBar* bar = FindBar(vertical))
        bar->SetRange(count, page);
}

int32_t UIMapPanel::GetScrollPosition(bool vertical) const
{
    UIScrollBar* bar = FindBar(vertical);
    return bar ? bar->position : 0;
}

void UIMapPanel::SetScrollPosition(bool vertical, int32_t position)
{
    if (UIScrollBar* bar = FindBar(vertical)) {
        bar->position = position;
        bar->ClampPosition();
    }
}

void UIMapPanel::ScrollByPixels(bool vertical, float pixels)
{
    if (UIScrollBar* bar = FindBar(vertical))
        bar->DragBy(pixels, false);
}

bool UIMapPanel::GetMiniMapRect(std::array<float, 4>& out) const
{
    if (!gUISystem || !gUserVarSystem || gUserVarSystem->GetIntByName("drawUI") == 0)
        return false;
    const UiSettings& settings = gUISystem->GetSettings();
    out = {settings.miniMapMaskPosition[0], settings.miniMapMaskPosition[1], settings.miniMapMaskSize[0],
           settings.miniMapMaskSize[1]};
    return out[2] > 0.0f && out[3] > 0.0f;
}

void UIMapPanel::GetCoveredRects(std::vector<std::array<float, 4>>& out) const
{
    out.clear();
    if (!gUISystem || !gUserVarSystem || gUserVarSystem->GetIntByName("drawUI") == 0)
        return;
    gUISystem->BuildActiveMenuList(false, drawnMenus);
    for (const UIMenu* menu : drawnMenus)
        if (menu->IsShown())
            AddCovered(*menu, out);
    // The notices said over the menus, the travel map's own hint among them: a name under one was
    // hidden by its box. The log and the world's notices are not drawn over the map.
    if (!gTextEvents)
        return;
    for (const TextEvents::Record& record : gTextEvents->GetRecords())
        if (record.active && !record.world && record.kind != TextEvents::kLogKind && record.width > 0.0f)
            out.push_back({record.x - kUIMapPanelNoticeMargin, record.y - kUIMapPanelNoticeMargin,
                           record.x + record.width + kUIMapPanelNoticeMargin,
                           record.y + record.height + kUIMapPanelNoticeMargin});
}

// Every visible widget that draws: a picture, words, or, for every kind but the plain widget, its
// own parts (a scroll bar's arrows and thumb, a slot, a bar, effect icons).
void UIMapPanel::AddCovered(const UIMenu& menu, std::vector<std::array<float, 4>>& out)
{
    for (const UIWidget* widget : menu.GetWidgets()) {
        bool draws = !widget->textureName.empty() || !widget->text.empty() || !widget->displayText.empty() ||
                     typeid(*widget) != typeid(UIWidget);
        if (!draws || widget->IsHelpBox() || widget->size[0] <= 0.0f || widget->size[1] <= 0.0f || !widget->IsVisible())
            continue;
        Vector2 at = widget->GetScreenPosition();
        out.push_back({at.x, at.y, at.x + widget->size[0], at.y + widget->size[1]});
    }
    if (const UIMenu* page = menu.GetSelectedSubMenu())
        AddCovered(*page, out);
}

// "WorldMapKeyPosition" is the legend's left edge and its bottom.
bool UIMapPanel::GetLegendLayout(MapLegendLayout& out) const
{
    if (!gUISystem)
        return false;
    const UiSettings& settings = gUISystem->GetSettings();
    out.left = settings.worldMapKeyPosition[0];
    out.bottom = settings.worldMapKeyPosition[1];
    out.rowHeight = settings.worldMapKeyLineSpace;
    out.swatchSize = settings.worldMapKeyMarkerSize;
    out.textOffset = settings.worldMapKeyTextOffset;
    out.fontName = settings.worldMapKeyFontName;
    return true;
}
