// MiniMap -- the small masked map of the explored ground round the camera: a 128 x 128 ring buffer of map cells that redraws only what scrolled in or was explored, with the entities near the player as icons.
#pragma once

#include "core/UserVarRef.h"
#include "render/WorldMap.h"
#include "resources/ResourceHandle.h"
#include "world/WorldPos.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Main thread, inside the frame. One per process, behind gMiniMap, made after the world map.
class MiniMap {
public:
    static constexpr int32_t kSide = 128;
    // An icon is kept within this many zoom units of the camera on both axes.
    static constexpr float kIconReach = 75.0f;
    static constexpr float kHoverReach = 10.0f;

    // The cellPixels x cellPixels reduction of the ground texture at a tile (RGBA); null for a
    // tile without a block or texture.
    using CellImageLookup = std::function<const uint8_t*(int32_t level, int32_t tileX, int32_t tileY, int32_t side)>;

    struct Icon {
        WorldPos position;
        std::array<float, 4> colour{};
        float size = 4.0f;
        // Empty for an entity's or a connection's icon until it is hovered: its text is asked
        // for by its kind and id then.
        std::string text;
        int32_t id = -1;
        int32_t kind = 0;
    };

    explicit MiniMap(WorldMap& worldMap);
    ~MiniMap();
    MiniMap(const MiniMap&) = delete;
    MiniMap& operator=(const MiniMap&) = delete;

    // The five user vars, and the world map's explored pixels marking their cells.
    void RegisterCommands();
    void SetScene(FrameScene* newScene) { scene = newScene; }
    void SetSource(MapSource* newSource) { source = newSource; }
    void SetPanel(MapPanel* newPanel) { panel = newPanel; }
    void SetGraphics(const MapGraphics& newGraphics) { graphics = newGraphics; }
    // Unset: the ground textures' own small levels.
    void SetCellImageLookup(CellImageLookup lookup) { cellImage = std::move(lookup); }
    // The "MiniMapMask" texture and the pixels, all 0xFF.
    void Setup();
    // The mask given back before the resources are flushed at shut-down.
    void ReleaseMask() { mask.Reset(); }

    // Last in the world pass: the mask into the stencil, the map where it lies, the icons.
    void Draw();
    // "drawUI" and "miniMapOn".
    bool IsVisible() const;
    // A new world: the next draw builds the whole window again.
    void Invalidate() { valid = false; }

    // The window follows the camera: scrolled by the cells it moved, the cells that came in
    // (and those exploration changed) redrawn.
    void UpdateWindow(const WorldPos& camera);
    // Icons of the pins near the camera; the nearest to the mouse (UI units) within reach hovered.
    void BuildIcons(const WorldPos& camera, float mouseX, float mouseY);

    const std::vector<uint8_t>& GetPixels() const { return pixels; }
    int32_t GetZoom() const { return zoom; }
    int32_t GetCellsAcross() const { return cellsAcross; }
    int32_t GetCellPixels() const { return cellPixels; }
    std::array<int32_t, 2> GetScroll() const { return {scrollX, scrollY}; }
    std::array<int32_t, 2> GetWindowCell() const { return {windowX, windowY}; }
    // Cells drawn since the start, and bytes the texture took.
    int64_t GetCellsRedrawn() const { return cellsRedrawn; }
    int64_t GetUploadedBytes() const { return uploadedBytes; }
    const std::vector<Icon>& GetIcons() const { return icons; }
    // The hovered marker's text and its box (640 x 480 units); empty when none is hovered.
    const std::string& GetTooltip() const { return tooltip; }
    const std::array<float, 4>& GetTooltipRect() const { return tooltipRect; }
    // The ring-buffer cell holding a world cell of the window; -1, -1 outside it.
    std::array<int32_t, 2> RingCellOf(int32_t cellX, int32_t cellY) const;
    // Every drawn frame uploads the whole texture (the measure the dirty uploads are held to).
    void SetUploadEveryFrame(bool every) { uploadEveryFrame = every; }

private:
    void ReadZoom();
    void Scroll(int32_t dx, int32_t dy);
    void RedrawDirty();
    void DrawCell(int32_t column, int32_t row);
    void OnExploredPixel(int32_t level, int32_t tileX, int32_t tileY);
    const uint8_t* LookUpCellImage(int32_t level, int32_t tileX, int32_t tileY);
    bool PlaceOnScreen(std::array<float, 4>& rect) const;
    void DrawMask(const std::array<float, 4>& rect);
    void DrawMap(const std::array<float, 4>& rect);
    // Kept only within kIconReach zoom units of the camera on both axes.
    void AddIcon(const WorldPos& camera, const Icon& icon);
    void AddEntityIcon(const WorldPos& camera, const MapPin& pin);
    // The openings to neighbouring levels explored more than half, after the entities.
    void AddConnectionIcons(const WorldPos& camera);
    void DrawIcons(const std::array<float, 4>& rect);
    // Centred on the icon's map point, size units across, in its colour and opacity.
    void DrawIcon(const Icon& icon, const std::array<float, 4>& rect, int32_t iconTexture);
    std::array<float, 2> IconPoint(const Icon& icon, const std::array<float, 4>& rect) const;

    WorldMap& worldMap;
    FrameScene* scene = nullptr;
    MapSource* source = nullptr;
    MapPanel* panel = nullptr;
    MapGraphics graphics;
    CellImageLookup cellImage;
    int32_t texture = -1;
    std::vector<uint8_t> pixels;
    int32_t scrollX = 0;
    int32_t scrollY = 0;
    int32_t zoom = 0;
    int32_t cellsAcross = 32;
    int32_t cellPixels = 4;
    bool valid = false;
    // The camera's cell and level the window was last built for.
    int32_t centreLevel = -1;
    int32_t centreX = 0;
    int32_t centreY = 0;
    int32_t windowX = 0;
    int32_t windowY = 0;
    int32_t originX = 0;
    int32_t originY = 0;
    // Window-relative first and end of the columns and rows to redraw.
    std::array<int32_t, 2> dirtyColumns{};
    std::array<int32_t, 2> dirtyRows{};
    // Ring cells exploration changed inside the window.
    std::vector<bool> changedCells;
    bool anyChanged = false;
    bool redrawnSinceUpload = true;
    bool uploadEveryFrame = false;
    int64_t cellsRedrawn = 0;
    int64_t uploadedBytes = 0;
    // Kept from frame to frame with their room, so that a still scene allocates nothing.
    std::vector<MapPin> pins;
    std::vector<Icon> icons;
    std::string tooltip;
    std::array<float, 4> tooltipRect{};
    UserVarRef onVar;
    UserVarRef zoomVar;
    UserVarRef alphaVar;
    UserVarRef sizeVar;
    UserVarRef locationVar;
    ResourceHandle mask;
    // The texture looked up last, reused while the next cells lie on the same ground.
    int32_t cachedTextureHandle = -1;
    const uint8_t* cachedImage = nullptr;
    int32_t cachedSide = 0;
};

extern MiniMap* gMiniMap;
