// MapPanel -- what the world map and the mini-map ask of the user interface: the "WorldMap" menu and its two scroll bars, and the mini-map's place on the screen.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// Where the world map's legend of covenants goes, in 640 x 480 units.
struct MapLegendLayout {
    float left = 0.0f;
    // The last row's bottom; row i of c lies (c - i) rows above it.
    float bottom = 0.0f;
    float rowHeight = 0.0f;
    float swatchSize = 0.0f;
    // From the swatch's left edge to the name's.
    float textOffset = 0.0f;
    std::string fontName;
};

// The user interface fills it; without one the world map has no menu and does not scroll, and
// the mini-map is not drawn.
class MapPanel {
public:
    virtual ~MapPanel() = default;

    virtual bool IsWorldMapShown() const = 0;
    virtual void ShowWorldMap(bool shown) = 0;
    // The scroll bars of the "WorldMap" menu: their count and page, their position.
    virtual void SetScrollRange(bool vertical, int32_t count, int32_t page) = 0;
    virtual int32_t GetScrollPosition(bool vertical) const = 0;
    virtual void SetScrollPosition(bool vertical, int32_t position) = 0;
    // Scrolls by a distance in pixels, as dragging the bar's thumb that far would.
    virtual void ScrollByPixels(bool vertical, float pixels) = 0;
    // "drawUI" and the mini-map's frame shown: left, top, width, height in 640 x 480 units.
    virtual bool GetMiniMapRect(std::array<float, 4>& out) const = 0;
    // False without an interface: no legend is drawn.
    virtual bool GetLegendLayout(MapLegendLayout& out) const = 0;
    // What the interface draws over the open map (its bars and buttons, the in-game screen, any
    // window, the notices said over them): left, top, right, bottom in 640 x 480 units. Empty
    // without an interface.
    virtual void GetCoveredRects(std::vector<std::array<float, 4>>& out) const = 0;
};
