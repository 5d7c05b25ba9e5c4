// UIMapPanel -- the user interface's side of the maps: the "WorldMap" menu shown and hidden, its two scroll bars, the mini-map's frame and the legend's place from the interface settings.
#include "ui/UIMapPanel.h"

#include "core/UserVarSystem.h"
#include "ui/UIMenu.h"
#include "ui/UISystem.h"
#include "ui/widgets/UIScrollBar.h"

namespace {

constexpr const char* kUIMapPanelMenu = "WorldMap";

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
