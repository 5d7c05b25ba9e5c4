// WorldMap -- what the player has explored of every level (raised each frame round the player), the full-screen map of the world painted from it, its pins and travel clicks, and its file per character.
#pragma once

#include "core/Matrix.h"
#include "core/UserVarRef.h"
#include "core/Vector.h"
#include "render/MapSource.h"
#include "resources/ResourceHandle.h"
#include "world/WorldPos.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class FrameScene;
class GLApi;
class GLStateCache;
class GraphicsDevice;
class ImmediateDraw;
class MapPanel;
struct MapLegendLayout;
class MessageBuffer;
class WorldView;

// What the maps draw with; every pointer set, or the maps draw nothing.
struct MapGraphics {
    GraphicsDevice* device = nullptr;
    GLApi* gl = nullptr;
    GLStateCache* cache = nullptr;
    ImmediateDraw* immediate = nullptr;
    WorldView* view = nullptr;
    // The GL texture of a standard handle (3 the pin circle, 6 the covenant plus); -1 for none.
    std::function<int32_t(int32_t index)> standardTexture;
    // The resource handle of a standard handle (2 the second font); -1 for none.
    std::function<int32_t(int32_t index)> standardHandle;
    // The window's width and height in pixels.
    std::function<std::array<int32_t, 2>()> viewSize;
};

// One level's explored state: N x N pixels of red, green, blue (the tile's map colour) and alpha
// (the explored amount, 0 .. 255), row-major; the gates found on it.
struct ExploredLevel {
    std::vector<uint8_t> image;
    int32_t texture = -1;
    // Some pixel's bytes changed since the texture last took the image.
    bool changed = true;
    WorldPos levelGate{-1, 0.0f, 0.0f, true};
    // Entry j: the gate of the level's connection record j.
    std::vector<WorldPos> connectionGates;
};

// Main thread, inside the frame. One per process, behind gWorldMap.
class WorldMap {
public:
    // The version every file is written with; gate sections from kGateSectionVersion; a first
    // word above kOldFormWord is the first identity word of a file without a version.
    static constexpr int32_t kFileVersion = 51;
    static constexpr int32_t kGateSectionVersion = 35;
    static constexpr uint32_t kOldFormWord = 100000;
    // Exploration reaches this far round the player, fully up to kFullReach.
    static constexpr float kExploreReach = 300.0f;
    static constexpr float kFullReach = 200.0f;
    // Map units a level square covers; the square is drawn one unit wider to close the seams.
    static constexpr float kLevelSquare = 256.0f;
    // A pin is hovered within this many pixels of the cursor; the drag divides by kDragDivisor.
    static constexpr float kHoverReach = 10.0f;
    static constexpr float kDragDivisor = 2.15f;
    // A left press and release no farther apart than this (pixels) is a click, not a drag.
    static constexpr int32_t kClickSlack = 3;
    // An entity's map colour is kept below full so that its tile is visited again.
    static constexpr uint8_t kEntityFullAlpha = 254;

    using PixelChangedHook = std::function<void(int32_t level, int32_t tileX, int32_t tileY)>;

    WorldMap();
    ~WorldMap();
    WorldMap(const WorldMap&) = delete;
    WorldMap& operator=(const WorldMap&) = delete;

    // "drawWorldMap", "wm_showZoneNames" and "clearMap".
    void RegisterCommands();
    void SetScene(FrameScene* newScene) { scene = newScene; }
    void SetSource(MapSource* newSource) { source = newSource; }
    void SetPanel(MapPanel* newPanel) { panel = newPanel; }
    void SetGraphics(const MapGraphics& newGraphics) { graphics = newGraphics; }
    // Heard for every pixel whose bytes exploration changed (the mini-map's redraw).
    void SetPixelChangedHook(PixelChangedHook hook) { pixelChanged = std::move(hook); }

    // Every frame before the world is drawn: the world's identity, the menu, the drag, the
    // scroll, then the ground round the camera target explored.
    void UpdateExploration();
    // In place of the world while "drawWorldMap" is set.
    void Draw();
    // What a drawn frame works out before it draws: the origin, the scroll extent, the
    // re-centring, the pins and the pin under the cursor (window pixels).
    void PrepareFrame(bool hasCursor, int32_t cursorX, int32_t cursorY);
    // False only while the map is closed.
    bool HandleMouseButton(int32_t button, bool down, int32_t x, int32_t y);
    // The hovered pin's text and box (x, y, width, height); false when none is hovered.
    bool GetHelp(std::string& text, std::array<float, 4>& box) const;
    bool IsTeleportMode() const;
    bool IsOpen() const;

    // Forgets every level and takes the world's identity.
    void ResetForWorld(int32_t difficulty, uint32_t seed);
    // 0 .. 1; unless wrapped, a tile outside the level is read from the neighbour it lies in.
    float GetExplored(int32_t level, int32_t tileX, int32_t tileY, bool wrapped) const;
    // The tile's amount blended with its three neighbours away from the tile pair's centre;
    // 0.95 and more reads as 1.
    float GetExploredSmoothed(int32_t level, int32_t tileX, int32_t tileY) const;
    // Raises nothing by itself: writes the tile's colour and the value (kEntityFullAlpha for
    // 255 from an entity's colour).
    void SetExploredPixel(int32_t level, int32_t tileX, int32_t tileY, int32_t value);
    // The tile's map colour: an entity's map shader near its centre, else its ground shader;
    // black without either.
    std::array<uint8_t, 3> TileColour(int32_t level, int32_t tileX, int32_t tileY, bool& fromEntity);
    // A point of a level in map units (or window pixels when toScreen): levels 256 units apart
    // on the grid, moved with the player and the scroll. The pixels are where the map's own view
    // drew the point in its last frame; before its first, map units stand for pixels.
    Vector2 MapPosition(int32_t level, const Vector2& point, bool centred, bool toScreen) const;
    bool IsLevelShown(int32_t level) const;
    // A name's box (left, top, right, bottom, 640 x 480 units) moved the shortest way onto the
    // screen and clear of the covered rectangles, its middle still inside its level's square (four
    // corners in the same units); false when no such place is a few moves away.
    static bool PlaceClear(const std::vector<std::array<float, 4>>& covered, const std::array<Vector2, 4>& square,
                           std::array<float, 4>& box);
    // The shown level whose square holds the window point; -1 for none.
    int32_t LevelAt(const Vector2& point) const;
    // The openings between levels whose middle tile is more than half explored, as kind 3 pins.
    void AddConnectionPins(std::vector<MapPin>& out) const;
    // The town's people where the game data sets them down: quest givers (types 1-4) in colour
    // 3, traders (types 6-9) in the gates' colour.
    static void AddTownFolkPins(std::vector<MapPin>& out);
    // A pin's hover text where the pin was made without it: an entity's from the source, a
    // connection's from its id (level and side); empty for any other.
    std::string GetPinText(int32_t kind, int32_t id) const;
    // A gate entity read by the client: the level's own gate (id -1) or its connections' gates.
    void RecordGate(const WorldPos& position, int32_t gateId);
    // Every tile of level 0 fully explored, once the map knows the world.
    void RevealFirstLevel();
    // "clearMap": the camera target's level forgotten.
    void ClearCurrentLevel();
    // A new texture for every level; after the display lost them all.
    void RecreateTextures();
    // Lets go of the legend's font before the resources close.
    void ReleaseHandles();

    // "chars/<name>.map" for the character; nothing for an empty name. A file that cannot be
    // written is reported and the old one kept.
    bool SaveExplored(std::string_view characterName) const;
    // A missing file changes nothing; a damaged one keeps its complete records.
    bool LoadExplored(std::string_view characterName);
    void WriteExplored(MessageBuffer& buffer) const;
    // What the file held, reported with its name and the offset where the rest was dropped.
    void ReadExplored(MessageBuffer& buffer, std::string_view fileName);
    static std::string ExploredFilePath(std::string_view characterName);

    int32_t GetMapSide() const { return side; }
    const ExploredLevel* FindLevel(int32_t level) const;
    int32_t GetLevelRecordCount() const { return static_cast<int32_t>(levels.size()); }
    int32_t GetIdentityDifficulty() const { return identityDifficulty; }
    uint32_t GetIdentitySeed() const { return identitySeed; }
    const std::vector<MapPin>& GetPins() const { return pins; }
    int32_t GetHoverIndex() const { return hoverIndex; }
    std::array<int32_t, 2> GetScroll() const { return {scrollRow, scrollColumn}; }
    int32_t GetScrollExtent() const { return scrollExtent; }
    // Bytes the level textures took from the images, since the start.
    int64_t GetUploadedBytes() const { return uploadedBytes; }
    // Every drawn frame uploads every shown level (the measure the dirty uploads are held to).
    void SetUploadEveryFrame(bool every) { uploadEveryFrame = every; }

private:
    ExploredLevel& GetOrCreate(int32_t level);
    // Its GL texture deleted; -1 after.
    void DeleteLevelTexture(ExploredLevel& record);
    ExploredLevel* FindMutable(int32_t level);
    void SyncWorldIdentity();
    void SyncMenu();
    void ExploreAround(const WorldPos& target);
    std::array<int32_t, 2> GridOffset(int32_t level) const;
    void ReadOrigin();
    int32_t ComputeExtent() const;
    void ApplyExtent();
    void Recentre();
    void UploadLevel(ExploredLevel& record);
    void DrawLevelSquares();
    void BuildPins();
    std::vector<MapPin> ConnectionGatePins() const;
    // The names stand clear of the legend's box (left, top, right, bottom; empty without one) and
    // of what the interface draws over the map.
    void DrawZoneNames(const std::array<float, 4>& legend);
    // The legend's covenants, font and layout fetched for this frame, and the box its rows take.
    bool PrepareLegend(MapLegendLayout& layout, int32_t& font, std::array<float, 4>& box);
    void DrawLegend(const MapLegendLayout& layout, int32_t font);
    Vector2 ToInterfaceUnits(const Vector2& pixels) const;
    // The map's view as this frame draws it kept, for the hover, the clicks and the names.
    void KeepView();
    // The level square's corners in window pixels, in order round its edge.
    std::array<Vector2, 4> SquareCorners(int32_t level) const;
    void FindHover(bool hasCursor, int32_t cursorX, int32_t cursorY);
    void DrawPins();
    // The travel of the hovered pin in teleport mode; otherwise the player is told why nothing
    // happens: outside teleport mode that this map only looks, in it the level under the cursor
    // when it is one.
    void SendTravel();
    static const char* TravelCommand(const MapPin& pin);
    static std::array<uint8_t, 3> ShaderColour(int32_t shader);
    bool ReadLevelRecord(MessageBuffer& buffer, int32_t version);

    FrameScene* scene = nullptr;
    MapSource* source = nullptr;
    MapPanel* panel = nullptr;
    MapGraphics graphics;
    PixelChangedHook pixelChanged;
    int32_t identityDifficulty = -1;
    uint32_t identitySeed = 0;
    std::vector<std::unique_ptr<ExploredLevel>> levels;
    UserVarRef drawMapVar;
    UserVarRef zoneNamesVar;
    int32_t side = 64;
    bool recentre = true;
    std::array<int32_t, 3> origin{};
    int32_t scrollRow = 0;
    int32_t scrollColumn = 0;
    int32_t scrollExtent = -1;
    std::vector<MapPin> pins;
    std::string hoverText;
    std::array<float, 4> hoverBox{};
    int32_t hoverIndex = -1;
    // The cursor the last drawn frame looked for a pin under, in window pixels.
    bool cursorSeen = false;
    Vector2 cursorPixels{};
    bool dragging = false;
    int32_t dragX = 0;
    int32_t dragY = 0;
    int32_t pressX = 0;
    int32_t pressY = 0;
    bool playerOffGrid = false;
    // The map's own view (zoom 1) as its last frame drew it: map units to clip space, and the
    // viewport's size in pixels. The game's screen conversion sees the ground at another slant
    // and through the player's zoom: a mark found through it lay off the mark drawn.
    bool viewKept = false;
    Matrix4 keptClip;
    std::array<float, 2> keptViewport{};
    bool uploadEveryFrame = false;
    int64_t uploadedBytes = 0;
    std::string legendFontName;
    // Filled each frame; kept so that its room is.
    std::vector<MapCovenant> legendCovenants;
    std::vector<std::array<float, 4>> coveredRects;
    ResourceHandle legendFont;
    // A shader's average colour, by handle, while the world stays the same.
    mutable std::unordered_map<int32_t, std::array<uint8_t, 3>> shaderColours;
};

extern WorldMap* gWorldMap;
