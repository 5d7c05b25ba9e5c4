// UIMapPanel -- the user interface's side of the maps: the "WorldMap" menu shown and hidden, its two scroll bars, the mini-map's frame from the interface settings, and what the interface draws over the open map.
#pragma once

#include "render/MapPanel.h"

#include <vector>

class UIMenu;
class UIScrollBar;

// Main thread. Reads gUISystem as it is when asked; answers as a closed menu without one.
class UIMapPanel : public MapPanel {
public:
    bool IsWorldMapShown() const override;
    void ShowWorldMap(bool shown) override;
    void SetScrollRange(bool vertical, int32_t count, int32_t page) override;
    int32_t GetScrollPosition(bool vertical) const override;
    void SetScrollPosition(bool vertical, int32_t position) override;
    void ScrollByPixels(bool vertical, float pixels) override;
    bool GetMiniMapRect(std::array<float, 4>& out) const override;
    bool GetLegendLayout(MapLegendLayout& out) const override;
    void GetCoveredRects(std::vector<std::array<float, 4>>& out) const override;

private:
    static UIScrollBar* FindBar(bool vertical);
    static void AddCovered(const UIMenu& menu, std::vector<std::array<float, 4>>& out);

    // The menus drawn this frame, kept so that its room is.
    mutable std::vector<UIMenu*> drawnMenus;
};
