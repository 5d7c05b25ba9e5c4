// WorldMap -- the open map: the level squares of the player's depth laid flat round the player, their names, the legend of covenants, the pins in their fixed order, the hovered pin, the drag that scrolls and the click that travels.
#include "render/WorldMap.h"

#include "core/ColorSystem.h"
#include "core/LocSystem.h"
#include "core/system/InputSystem.h"
#include "render/FrameScene.h"
#include "render/GLStateCache.h"
#include "render/ImmediateDraw.h"
#include "render/MapPanel.h"
#include "render/Renderer.h"
#include "resources/shaders/ScreenPrimitives.h"
#include "render/TextMeasure.h"
#include "render/WorldView.h"
#include "resources/GraphicsDevice.h"
#include "resources/ResourceManager.h"
#include "resources/fonts/ScreenText.h"
#include "rules/GameData.h"
#include "rules/RulesEnums.h"
#include "world/Level.h"
#include "world/LevelQueries.h"
#include "world/World.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstdlib>
#include <cmath>
#include <string>
#include <limits>

namespace {

// The level grid's sides in the order of a level's side table, and the direction each faces.
constexpr int32_t kWorldMapSideDirections[4] = {1, 7, 3, 5};
// The scroll bars move a page of this many steps; each counts three times the extent.
constexpr int32_t kWorldMapScrollPage = 60;
// Gates are pinned in colour 8; a level's name is colour 2 while a quest aims there, else 0.
constexpr int32_t kWorldMapGateColour = 8;
constexpr int32_t kWorldMapQuestLevelColour = 2;
constexpr int32_t kWorldMapQuestGiverColour = 3;
// A connection's gate is pinned once the tile it stands on is explored past this.
constexpr float kWorldMapGateExplored = 0.25f;
// The interface's screen, in its own units.
constexpr float kWorldMapScreenWidth = 640.0f;
constexpr float kWorldMapScreenHeight = 480.0f;
// An entity's pin is 4 units; the player's is marked by a glow and a framed square this large, a
// half larger again while hovered.
constexpr float kWorldMapPinSize = 4.0f;
constexpr float kWorldMapPlayerHoverGrowth = 1.5f;
constexpr float kWorldMapPlayerGlow = 28.0f;
constexpr float kWorldMapPlayerFrame = 14.0f;
// Standard handles: the second font names the levels; the cross is the legend's swatch.
constexpr int32_t kWorldMapNameFont = 2;
constexpr int32_t kWorldMapSwatchTexture = 5;

// Whether the point lies inside the four corners (either winding): on the inner side of each edge.
bool WorldMapQuadHolds(const std::array<Vector2, 4>& corners, const Vector2& point)
{
    int32_t sides = 0;
    for (size_t i = 0; i < corners.size(); ++i) {
        const Vector2& a = corners[i];
        const Vector2& b = corners[(i + 1) % corners.size()];
        float cross = (b.x - a.x) * (point.y - a.y) - (b.y - a.y) * (point.x - a.x);
        sides += cross > 0.0f ? 1 : cross < 0.0f ? -1 : 0;
    }
    return std::abs(sides) == static_cast<int32_t>(corners.size());
}

// A name's box looking for a place clear of the rectangles, near where it started.
struct WorldMapPlacing {
    const std::vector<std::array<float, 4>>& rects;
    const std::array<Vector2, 4>& square;
    float width = 0.0f;
    float height = 0.0f;
    float startX = 0.0f;
    float startY = 0.0f;
    float bestCost = std::numeric_limits<float>::max();
    float bestX = 0.0f;
    float bestY = 0.0f;
};

// From (x, y), each of the four moves just clear of the first rectangle the box meets (left,
// right, up, down) that keeps it on the screen, a few moves deep: the clear place the shortest
// way from the start wins. The shortest move alone went back and forth between the heading and
// the scroll bar under it.
void WorldMapSearchClear(WorldMapPlacing& placing, float x, float y, int32_t depth)
{
    constexpr int32_t kDepth = 3;
    float cost = std::abs(x - placing.startX) + std::abs(y - placing.startY);
    if (cost >= placing.bestCost)
        return;
    float w = placing.width;
    float h = placing.height;
    auto hit = std::find_if(placing.rects.begin(), placing.rects.end(), [&](const std::array<float, 4>& r) {
        return x < r[2] && r[0] < x + w && y < r[3] && r[1] < y + h;
    });
    if (hit == placing.rects.end()) {
        // Pushed off its level's square by a large window, a name would label the neighbour.
        if (!WorldMapQuadHolds(placing.square, Vector2{x + w / 2.0f, y + h / 2.0f}))
            return;
        placing.bestCost = cost;
        placing.bestX = x;
        placing.bestY = y;
        return;
    }
    if (depth == kDepth)
        return;
    const std::array<float, 4>& r = *hit;
    const std::array<Vector2, 4> places = {Vector2{r[0] - w, y}, Vector2{r[2], y}, Vector2{x, r[1] - h},
                                           Vector2{x, r[3]}};
    for (const Vector2& place : places)
        if (place.x >= 0.0f && place.y >= 0.0f && place.x + w <= kWorldMapScreenWidth &&
            place.y + h <= kWorldMapScreenHeight)
            WorldMapSearchClear(placing, place.x, place.y, depth + 1);
}

Color WorldMapTableColour(int32_t index)
{
    Color colour;
    ColorSystem::GetColorByIndex(colour.r, colour.g, colour.b, index);
    return colour;
}

} // namespace

// ---- Placement -------------------------------------------------------------------------------

std::array<int32_t, 2> WorldMap::GridOffset(int32_t level) const
{
    if (level < 0 || playerOffGrid || !gWorld)
        return {0, 0};
    LevelGridInfo info = gWorld->GetLevelInfo(level);
    return {info.column - origin[0], info.row - origin[1]};
}

Vector2 WorldMap::MapPosition(int32_t level, const Vector2& point, bool centred, bool toScreen) const
{
    std::array<int32_t, 2> grid = GridOffset(level);
    WorldPos player;
    bool hasPlayer = scene && scene->IsGameRunning() && source && source->GetPlayerPosition(player);
    float width = gWorld && gWorld->GetLevelWidth() > 0.0f ? gWorld->GetLevelWidth() : 1.0f;
    float height = gWorld && gWorld->GetLevelHeight() > 0.0f ? gWorld->GetLevelHeight() : 1.0f;
    float x = kLevelSquare * static_cast<float>(grid[0]) + (hasPlayer ? player.x : 0.0f);
    float y = kLevelSquare * static_cast<float>(grid[1]) + (hasPlayer ? player.y : 0.0f);
    if (!centred) {
        x -= kLevelSquare / 2.0f;
        y -= kLevelSquare / 2.0f;
    }
    x += 4.0f * static_cast<float>(scrollRow - scrollColumn) + kLevelSquare * point.x / width;
    y += -4.0f * static_cast<float>(scrollColumn + scrollRow) + kLevelSquare * point.y / height;
    if (!toScreen || !viewKept)
        return {x, y};
    // Drawn flat at height 0 in the frame of the camera target's level; row vectors, and the
    // projection orthographic, so no division by w.
    const Matrix4& m = keptClip;
    float clipX = x * m.m[0][0] + y * m.m[1][0] + m.m[3][0];
    float clipY = x * m.m[0][1] + y * m.m[1][1] + m.m[3][1];
    return {(clipX + 1.0f) * 0.5f * keptViewport[0], (1.0f - clipY) * 0.5f * keptViewport[1]};
}

void WorldMap::KeepView()
{
    const WorldView& view = *graphics.view;
    keptClip = Matrix4Multiply(view.GetCamera().modelView, Renderer::WorldProjection(view, view.GetZoom()));
    keptViewport = {static_cast<float>(view.GetViewWidth()), static_cast<float>(view.GetViewHeight())};
    viewKept = true;
}

bool WorldMap::IsLevelShown(int32_t level) const
{
    if (!gWorld || !gWorld->GetLevel(level))
        return false;
    WorldPos player;
    if (!source || !source->GetPlayerPosition(player) || !gWorld->GetLevel(player.level))
        return false;
    LevelGridInfo own = gWorld->GetLevelInfo(player.level);
    LevelGridInfo other = gWorld->GetLevelInfo(level);
    if (own.depth != other.depth)
        return false;
    if (playerOffGrid)
        return level == player.level;
    return other.column >= 0 && other.row >= 0;
}

void WorldMap::ReadOrigin()
{
    LevelGridInfo first = gWorld ? gWorld->GetLevelInfo(0) : LevelGridInfo{};
    origin = {first.column, first.row, first.depth};
    WorldPos player;
    playerOffGrid = false;
    if (gWorld && source && source->GetPlayerPosition(player) && gWorld->GetLevel(player.level)) {
        LevelGridInfo own = gWorld->GetLevelInfo(player.level);
        playerOffGrid = own.column < 0 || own.row < 0;
    }
}

// Over the levels of the player's depth the player has seen or knows of: the farthest grid
// cell, in scroll steps.
int32_t WorldMap::ComputeExtent() const
{
    WorldPos player;
    int32_t largestX = 0;
    int32_t largestY = 0;
    if (!playerOffGrid && gWorld && source && source->GetPlayerPosition(player) && gWorld->GetLevel(player.level)) {
        int32_t depth = gWorld->GetLevelInfo(player.level).depth;
        for (int32_t level = 0; level < gWorld->GetLevelCount(); ++level) {
            LevelGridInfo info = gWorld->GetLevelInfo(level);
            if (info.depth != depth || (!FindLevel(level) && !source->KnowsLevel(level)))
                continue;
            largestX = std::max(largestX, info.column - origin[0]);
            largestY = std::max(largestY, info.row - origin[1]);
        }
    }
    return (largestX + largestY + 2) * 32;
}

void WorldMap::ApplyExtent()
{
    int32_t extent = ComputeExtent();
    if (extent == scrollExtent)
        return;
    scrollExtent = extent;
    if (panel) {
        panel->SetScrollRange(true, 3 * extent, kWorldMapScrollPage);
        panel->SetScrollRange(false, 3 * extent, kWorldMapScrollPage);
    }
}

// The scroll that puts the player's pin on the player.
void WorldMap::Recentre()
{
    WorldPos player;
    if (!source || !source->GetPlayerPosition(player) || !gWorld)
        return;
    std::array<int32_t, 2> grid = GridOffset(player.level);
    float width = gWorld->GetLevelWidth() > 0.0f ? gWorld->GetLevelWidth() : 1.0f;
    float height = gWorld->GetLevelHeight() > 0.0f ? gWorld->GetLevelHeight() : 1.0f;
    float u = (kLevelSquare * static_cast<float>(grid[0]) - kLevelSquare / 2.0f + kLevelSquare * player.x / width) / 4.0f;
    float v = (kLevelSquare * static_cast<float>(grid[1]) - kLevelSquare / 2.0f + kLevelSquare * player.y / height) / 4.0f;
    int32_t column = static_cast<int32_t>(std::floor((u + v) / 2.0f));
    int32_t row = static_cast<int32_t>(std::floor(static_cast<float>(column) - u));
    int32_t last = std::max(0, 3 * scrollExtent - 1);
    int32_t vertical = std::clamp(scrollExtent - row - 1, 0, last);
    int32_t horizontal = std::clamp(column, 0, last);
    if (panel) {
        panel->SetScrollPosition(true, vertical);
        panel->SetScrollPosition(false, horizontal);
    }
    scrollRow = scrollExtent - vertical - 1;
    scrollColumn = horizontal;
}

// ---- Drawing ---------------------------------------------------------------------------------

void WorldMap::Draw()
{
    WorldPos target;
    if (!graphics.device || !graphics.cache || !graphics.immediate || !graphics.view || !scene)
        return;
    // In the world's place: cleared even with no game to map, or the last frame would show through.
    bool mapped = scene->GetCameraTarget(target);
    graphics.view->BeginWorldView(target, 1.0f, true);
    graphics.device->Clear(kClearColorBuffer | kClearDepthBuffer | kClearStencilBuffer, Color{0.0f, 0.0f, 0.0f}, 1.0f);
    if (!mapped)
        return;
    KeepView();
    graphics.cache->ResetState();
    int32_t cursorX = 0;
    int32_t cursorY = 0;
    bool hasCursor = gInputSystem && gInputSystem->GetCursorPos(cursorX, cursorY);
    PrepareFrame(hasCursor, cursorX, cursorY);
    DrawLevelSquares();
    graphics.device->SetProjectionMatrix(ScreenPrimitives::UiProjection());
    graphics.device->SetModelViewMatrix(ScreenPrimitives::Identity());
    graphics.cache->ResetState();
    MapLegendLayout legend;
    int32_t legendFontHandle = -1;
    std::array<float, 4> legendBox{};
    bool legendShown = PrepareLegend(legend, legendFontHandle, legendBox);
    DrawZoneNames(legendBox);
    if (legendShown)
        DrawLegend(legend, legendFontHandle);
    graphics.view->BeginWorldView(target, 1.0f, false);
    graphics.cache->ResetState();
    DrawPins();
}

void WorldMap::PrepareFrame(bool hasCursor, int32_t cursorX, int32_t cursorY)
{
    ReadOrigin();
    ApplyExtent();
    if (recentre)
        Recentre();
    recentre = false;
    BuildPins();
    FindHover(hasCursor, cursorX, cursorY);
}

// Only a level whose image changed goes up again; the picture is the same as uploading every frame.
void WorldMap::UploadLevel(ExploredLevel& record)
{
    PixelRect whole{0, 0, side, side};
    if (record.texture < 0) {
        record.texture = graphics.device->UploadTexture(record.image.data(), side, side, PixelFormat::kRgba, 1);
        record.changed = false;
        uploadedBytes += static_cast<int64_t>(record.image.size());
        return;
    }
    if (!record.changed && !uploadEveryFrame)
        return;
    graphics.device->UpdateTexture(record.texture, 0, whole, PixelFormat::kRgba, record.image.data());
    record.changed = false;
    uploadedBytes += static_cast<int64_t>(record.image.size());
}

void WorldMap::DrawLevelSquares()
{
    Color white = WorldMapTableColour(0);
    for (size_t index = 0; index < levels.size(); ++index) {
        int32_t level = static_cast<int32_t>(index);
        ExploredLevel* record = FindMutable(level);
        if (!record || !IsLevelShown(level))
            continue;
        UploadLevel(*record);
        if (record->texture < 0)
            continue;
        Vector2 corner = MapPosition(level, Vector2{0.0f, 0.0f}, false, false);
        graphics.immediate->DrawScreenQuad(record->texture, corner.x, corner.y, corner.x + kLevelSquare + 1.0f,
                                           corner.y + kLevelSquare + 1.0f, white, 1.0f, {0.0f, 0.0f, 1.0f, 1.0f},
                                           GL_CLAMP_TO_EDGE, GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    }
}

void WorldMap::BuildPins()
{
    pins.clear();
    if (!source)
        return;
    source->AddEntityPins(pins, false);
    size_t travelStart = pins.size();
    source->AddTravelPins(pins, IsTeleportMode());
    // The connections' gates follow the known gates and come before the town's.
    auto townGates = std::find_if(pins.begin() + static_cast<std::ptrdiff_t>(travelStart), pins.end(),
                                  [](const MapPin& pin) { return pin.kind == 4; });
    std::vector<MapPin> gates = ConnectionGatePins();
    pins.insert(townGates, gates.begin(), gates.end());
    AddConnectionPins(pins);
    AddTownFolkPins(pins);
}

// Only while the game data spawns gates between levels: every connection's gate whose tile is
// explored, where the client saw it, else where the world layout puts it.
std::vector<MapPin> WorldMap::ConnectionGatePins() const
{
    std::vector<MapPin> gates;
    if (!gWorld || !gGameData || !gGameData->GetTuning().spawnConnectingGates)
        return gates;
    float tileSize = gGameData->GetTuning().tileSize > 0.0f ? gGameData->GetTuning().tileSize : 1.0f;
    Color colour = WorldMapTableColour(kWorldMapGateColour);
    for (int32_t level = 0; level < gWorld->GetLevelCount(); ++level) {
        const Level* found = gWorld->GetLevel(level);
        const ExploredLevel* record = FindLevel(level);
        for (int32_t j = 0; found && record && j < LevelQueries::GetGateCount(*found); ++j) {
            LevelGate gate = LevelQueries::GetGate(*found, j);
            auto slot = static_cast<size_t>(j);
            bool seen = slot < record->connectionGates.size() && record->connectionGates[slot].level >= 0;
            WorldPos at = seen ? record->connectionGates[slot] : gate.position;
            if (at.level < 0 || GetExplored(at.level, static_cast<int32_t>(std::floor(at.x / tileSize)),
                                            static_cast<int32_t>(std::floor(at.y / tileSize)), false) <= kWorldMapGateExplored)
                continue;
            MapPin pin;
            pin.position = at;
            pin.kind = 1;
            pin.colour = {colour.r, colour.g, colour.b};
            pin.text = "$$WorldMapTo$$ " + gWorld->GetLevelName(gate.targetLevel);
            gates.push_back(std::move(pin));
        }
    }
    return gates;
}

// Openings between a level the player has a record of and its neighbours, once their middle
// tile is more than half explored.
void WorldMap::AddConnectionPins(std::vector<MapPin>& out) const
{
    if (!gWorld || !gGameData)
        return;
    const GameSystemTuning& tuning = gGameData->GetTuning();
    for (size_t index = 0; index < levels.size(); ++index) {
        int32_t level = static_cast<int32_t>(index);
        const Level* found = gWorld->GetLevel(level);
        if (!found || !FindLevel(level))
            continue;
        for (int32_t sideIndex = 0; sideIndex < kLevelSideCount; ++sideIndex) {
            int32_t direction = kWorldMapSideDirections[sideIndex];
            int32_t opening = found->sideOpenings[static_cast<size_t>(sideIndex)];
            int32_t neighbour = found->neighbours[static_cast<size_t>(direction)];
            if (opening < 0 || !gWorld->GetLevel(neighbour))
                continue;
            bool alongX = sideIndex == 0 || sideIndex == 3;
            int32_t along = opening * (alongX ? tuning.blockTileWidth : tuning.blockTileHeight) +
                            (alongX ? tuning.blockTileWidth : tuning.blockTileHeight) / 2;
            int32_t edge = (sideIndex == 0 || sideIndex == 2) ? side - 1 : 0;
            int32_t tileX = alongX ? along : edge;
            int32_t tileY = alongX ? edge : along;
            if (GetExploredSmoothed(level, tileX, tileY) <= 0.5f)
                continue;
            MapPin pin;
            pin.position = WorldPos{level, (static_cast<float>(tileX) + 0.5f) * tuning.tileSize,
                                    (static_cast<float>(tileY) + 0.5f) * tuning.tileSize, true};
            Color colour = WorldMapTableColour(7);
            pin.colour = {colour.r, colour.g, colour.b};
            pin.kind = 3;
            pin.size = 8.0f;
            // Its text is built only when hovered: the mini-map asks for these pins every frame.
            pin.id = level * kLevelSideCount + sideIndex;
            out.push_back(std::move(pin));
        }
    }
}

void WorldMap::AddTownFolkPins(std::vector<MapPin>& out)
{
    if (!gGameData)
        return;
    constexpr int32_t kTownFolkTypes[] = {1, 2, 3, 4, 6, 7, 8, 9};
    for (int32_t type : kTownFolkTypes) {
        const TownSpot& spot = gGameData->GetTuning().townSpots[static_cast<size_t>(type)];
        if (!spot.set)
            continue;
        MapPin pin;
        pin.position = WorldPos{spot.level, spot.x, spot.y, true};
        Color colour = WorldMapTableColour(type >= 6 ? kWorldMapGateColour : kWorldMapQuestGiverColour);
        pin.colour = {colour.r, colour.g, colour.b};
        pin.text = "$$NpcType" + GetNameByIndex(type) + "$$ $$WorldMapArea$$";
        out.push_back(std::move(pin));
    }
}

std::string WorldMap::GetPinText(int32_t kind, int32_t id) const
{
    if (kind == 0)
        return source ? source->GetEntityPinText(id) : std::string();
    const Level* found = kind == 3 && gWorld && id >= 0 ? gWorld->GetLevel(id / kLevelSideCount) : nullptr;
    if (!found)
        return {};
    int32_t direction = kWorldMapSideDirections[id % kLevelSideCount];
    return MakeLocToken("WorldMapConnectionFromXToY", "%s %s", gWorld->GetLevelName(id / kLevelSideCount).c_str(),
                        gWorld->GetLevelName(found->neighbours[static_cast<size_t>(direction)]).c_str());
}

void WorldMap::FindHover(bool hasCursor, int32_t cursorX, int32_t cursorY)
{
    hoverIndex = -1;
    hoverText.clear();
    cursorSeen = hasCursor;
    cursorPixels = {static_cast<float>(cursorX), static_cast<float>(cursorY)};
    if (!hasCursor)
        return;
    // The nearest pin, and the nearest a click travels to. A covenant's mark stands on its
    // lifestone, whose own pin comes first and won the tie: the mark a newcomer clicked then
    // went nowhere and said nothing. Within reach, a travel pin is the one under the cursor.
    bool teleport = IsTeleportMode();
    float nearest = std::numeric_limits<float>::max();
    float nearestTravel = std::numeric_limits<float>::max();
    int32_t travelIndex = -1;
    Vector2 nearestPoint{};
    Vector2 travelPoint{};
    for (size_t i = 0; i < pins.size(); ++i) {
        const MapPin& pin = pins[i];
        if (!IsLevelShown(pin.position.level))
            continue;
        Vector2 point = MapPosition(pin.position.level, Vector2{pin.position.x, pin.position.y}, false, true);
        float distance = std::hypot(point.x - cursorPixels.x, point.y - cursorPixels.y);
        if (distance < nearest) {
            nearest = distance;
            nearestPoint = point;
            hoverIndex = static_cast<int32_t>(i);
        }
        if (teleport && TravelCommand(pin) && distance < nearestTravel) {
            nearestTravel = distance;
            travelPoint = point;
            travelIndex = static_cast<int32_t>(i);
        }
    }
    if (travelIndex >= 0 && nearestTravel < kHoverReach) {
        hoverIndex = travelIndex;
        nearest = nearestTravel;
        nearestPoint = travelPoint;
    }
    if (hoverIndex < 0 || !(nearest < kHoverReach)) {
        hoverIndex = -1;
        return;
    }
    MapPin& hovered = pins[static_cast<size_t>(hoverIndex)];
    hovered.size *= 4.0f;
    // Entities' and connections' pins come without their texts, which are dear to build: the
    // hovered one's is asked for now.
    if (hovered.text.empty())
        hovered.text = GetPinText(hovered.kind, hovered.id);
    hoverText = hovered.text;
    hoverBox = {nearestPoint.x - 4.0f, nearestPoint.y - 4.0f, 8.0f, 8.0f};
}

// The request a click on the pin sends in teleport mode; null for a pin that leads nowhere.
const char* WorldMap::TravelCommand(const MapPin& pin)
{
    if (pin.id == -1)
        return nullptr;
    return pin.kind == 1 ? "gate " : pin.kind == 2 ? "gateToCovenant " : pin.kind == 4 ? "gateTown " : nullptr;
}

void WorldMap::DrawPins()
{
    int32_t pinTexture = graphics.standardTexture ? graphics.standardTexture(3) : -1;
    int32_t covenantTexture = graphics.standardTexture ? graphics.standardTexture(6) : -1;
    auto square = [&](const Vector2& at, float side, int32_t texture, const Color& colour, uint32_t blend) {
        float half = side / 2.0f;
        graphics.immediate->DrawScreenQuad(texture, at.x - half, at.y - half, at.x + half, at.y + half, colour, 1.0f,
                                           {0.0f, 0.0f, 1.0f, 1.0f}, GL_CLAMP_TO_EDGE, GL_SRC_ALPHA, blend);
    };
    const MapPin* own = nullptr;
    for (const MapPin& pin : pins) {
        if (!IsLevelShown(pin.position.level))
            continue;
        if (pin.player) {
            own = &pin;
            continue;
        }
        Vector2 at = MapPosition(pin.position.level, Vector2{pin.position.x, pin.position.y}, false, false);
        square(at, pin.size, pin.kind == 2 ? covenantTexture : pinTexture,
               Color{pin.colour[0], pin.colour[1], pin.colour[2]}, GL_ONE_MINUS_SRC_ALPHA);
    }
    if (!own)
        return;
    // The player's pin goes last, larger than the rest and unlike them: a square in its colour,
    // framed white and black, on a glow. A round pin of 4 units under its covenant's mark on the
    // lifestone it stood by could not be found.
    Vector2 at = MapPosition(own->position.level, Vector2{own->position.x, own->position.y}, false, false);
    float grow = own->size > kWorldMapPinSize ? kWorldMapPlayerHoverGrowth : 1.0f;
    square(at, kWorldMapPlayerGlow * grow, pinTexture, WorldMapTableColour(0), GL_ONE);
    square(at, kWorldMapPlayerFrame * grow, -1, Color{0.0f, 0.0f, 0.0f}, GL_ONE_MINUS_SRC_ALPHA);
    square(at, (kWorldMapPlayerFrame - 4.0f) * grow, -1, WorldMapTableColour(0), GL_ONE_MINUS_SRC_ALPHA);
    square(at, (kWorldMapPlayerFrame - 8.0f) * grow, -1, Color{own->colour[0], own->colour[1], own->colour[2]},
           GL_ONE_MINUS_SRC_ALPHA);
}

// ---- Names and legend ------------------------------------------------------------------------

// Levels the player has a map of, or a quest aims at, named in the middle of their squares. A name is
// kept on the screen and clear of the legend and of what the interface draws over the map (its bars
// and heading, the in-game bar, a window opened over it), which it ran under; a square whose middle
// is off the screen, or whose name finds no clear place near it within the square, goes unnamed.
void WorldMap::DrawZoneNames(const std::array<float, 4>& legend)
{
    if (!zoneNamesVar.IsValid() || zoneNamesVar.GetInt() == 0 || !gWorld || !gScreenText || !source)
        return;
    int32_t font = graphics.standardHandle ? graphics.standardHandle(kWorldMapNameFont) : -1;
    if (panel)
        panel->GetCoveredRects(coveredRects);
    else
        coveredRects.clear();
    if (legend[2] > legend[0])
        coveredRects.push_back(legend);
    for (int32_t level = 0; level < gWorld->GetLevelCount(); ++level) {
        bool quest = source->IsQuestLevel(level);
        if ((!quest && !FindLevel(level)) || !IsLevelShown(level))
            continue;
        Vector2 at = ToInterfaceUnits(MapPosition(level, Vector2{0.0f, 0.0f}, true, true));
        if (at.x < 0.0f || at.x >= kWorldMapScreenWidth || at.y < 0.0f || at.y >= kWorldMapScreenHeight)
            continue;
        std::string name = gWorld->GetLevelName(level);
        TextSize size = MeasureTextA(name, font);
        float left = at.x - size.width / 2.0f;
        float top = at.y - size.height / 2.0f;
        std::array<float, 4> box{left, top, left + size.width, top + size.height};
        std::array<Vector2, 4> square = SquareCorners(level);
        for (Vector2& corner : square)
            corner = ToInterfaceUnits(corner);
        if (!PlaceClear(coveredRects, square, box))
            continue;
        gScreenText->DrawTextNarrow(font, name, static_cast<int32_t>(std::lround(box[0])),
                                    static_cast<int32_t>(std::lround(box[1])),
                                    WorldMapTableColour(quest ? kWorldMapQuestLevelColour : 0), false, 1.0f);
    }
}

bool WorldMap::PlaceClear(const std::vector<std::array<float, 4>>& covered, const std::array<Vector2, 4>& square,
                          std::array<float, 4>& box)
{
    WorldMapPlacing placing{covered, square, box[2] - box[0], box[3] - box[1]};
    if (placing.width > kWorldMapScreenWidth || placing.height > kWorldMapScreenHeight)
        return false;
    placing.startX = std::clamp(box[0], 0.0f, kWorldMapScreenWidth - placing.width);
    placing.startY = std::clamp(box[1], 0.0f, kWorldMapScreenHeight - placing.height);
    WorldMapSearchClear(placing, placing.startX, placing.startY, 0);
    if (placing.bestCost == std::numeric_limits<float>::max())
        return false;
    box = {placing.bestX, placing.bestY, placing.bestX + placing.width, placing.bestY + placing.height};
    return true;
}

bool WorldMap::PrepareLegend(MapLegendLayout& layout, int32_t& font, std::array<float, 4>& box)
{
    box = {};
    if (!source || !panel || !panel->GetLegendLayout(layout))
        return false;
    std::vector<MapCovenant>& covenants = legendCovenants;
    source->GetCovenants(covenants);
    if (legendFontName != layout.fontName && gResourceManager) {
        legendFontName = layout.fontName;
        gResourceManager->Load(legendFontName, legendFont);
    }
    font = legendFont.IsValid() ? legendFont.GetValue()
                                : (graphics.standardHandle ? graphics.standardHandle(kWorldMapNameFont) : -1);
    float widest = layout.swatchSize;
    for (const MapCovenant& covenant : covenants)
        if (!covenant.eliminated)
            widest = std::max(widest, layout.textOffset + MeasureTextA(covenant.name, font).width);
    if (!covenants.empty())
        box = {layout.left, layout.bottom - static_cast<float>(covenants.size()) * layout.rowHeight,
               layout.left + widest, layout.bottom};
    return true;
}

// A swatch in each standing covenant's colour and its name, one row per covenant of the game.
void WorldMap::DrawLegend(const MapLegendLayout& layout, int32_t font)
{
    const std::vector<MapCovenant>& covenants = legendCovenants;
    int32_t swatch = graphics.standardTexture ? graphics.standardTexture(kWorldMapSwatchTexture) : -1;
    float count = static_cast<float>(covenants.size());
    for (size_t i = 0; i < covenants.size(); ++i) {
        const MapCovenant& covenant = covenants[i];
        if (covenant.eliminated)
            continue;
        float top = layout.bottom - (count - static_cast<float>(i)) * layout.rowHeight;
        Color colour{covenant.colour[0], covenant.colour[1], covenant.colour[2]};
        graphics.immediate->DrawScreenQuad(swatch, layout.left, top, layout.left + layout.swatchSize,
                                           top + layout.swatchSize, colour, 1.0f, {0.0f, 0.0f, 1.0f, 1.0f},
                                           GL_CLAMP_TO_EDGE, GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        if (gScreenText)
            gScreenText->DrawTextNarrow(font, covenant.name,
                                        static_cast<int32_t>(std::lround(layout.left + layout.textOffset)),
                                        static_cast<int32_t>(std::lround(top)), WorldMapTableColour(0), false, 1.0f);
    }
}

// Window pixels to the 640 x 480 units the interface draws in.
Vector2 WorldMap::ToInterfaceUnits(const Vector2& pixels) const
{
    float width = graphics.viewSize ? static_cast<float>(graphics.viewSize()[0]) : 640.0f;
    float height = graphics.viewSize ? static_cast<float>(graphics.viewSize()[1]) : 480.0f;
    return {pixels.x * 640.0f / std::max(width, 1.0f), pixels.y * 480.0f / std::max(height, 1.0f)};
}

// ---- Mouse and help --------------------------------------------------------------------------

bool WorldMap::HandleMouseButton(int32_t button, bool down, int32_t x, int32_t y)
{
    if (!IsOpen())
        return false;
    if (button != 0) {
        // The release of the same button would repeat the press's answer.
        if (down)
            SendTravel();
        return true;
    }
    if (!down) {
        // A left press and release in one place is a click, as the pins' "Click to travel" says.
        if (dragging && std::abs(x - pressX) <= kClickSlack && std::abs(y - pressY) <= kClickSlack)
            SendTravel();
        dragging = false;
        if (source)
            source->SetClickHook({});
        return true;
    }
    if (!dragging) {
        dragging = true;
        pressX = x;
        pressY = y;
        if (source)
            source->SetClickHook([this](int32_t b, bool d, int32_t px, int32_t py) {
                return HandleMouseButton(b, d, px, py);
            });
    } else if (panel) {
        panel->ScrollByPixels(true, static_cast<float>(dragY - y) / kDragDivisor);
        panel->ScrollByPixels(false, static_cast<float>(dragX - x) / kDragDivisor);
    }
    dragX = x;
    dragY = y;
    return true;
}

void WorldMap::SendTravel()
{
    if (!source)
        return;
    if (!IsTeleportMode()) {
        // Looking at the map is no way to travel; a newcomer clicking a level is told where the
        // way is, whichever button clicked.
        source->ShowRefusal("$$WorldMapTravelFromGate$$");
        return;
    }
    const MapPin* pin = hoverIndex >= 0 && static_cast<size_t>(hoverIndex) < pins.size()
                            ? &pins[static_cast<size_t>(hoverIndex)]
                            : nullptr;
    const char* command = pin ? TravelCommand(*pin) : nullptr;
    if (!command) {
        // A level's square clicked where no gate the player knows stands: its name says where.
        int32_t level = cursorSeen ? LevelAt(cursorPixels) : -1;
        source->ShowRefusal(level >= 0 && gWorld ? MakeLocToken("WorldMapNoGateOn", "%s", gWorld->GetLevelName(level).c_str())
                                                 : std::string("$$WorldMapNoGateThere$$"));
        return;
    }
    source->QueueServerCommand(command + std::to_string(pin->id));
    drawMapVar.SetString("0");
}

// The square of a shown level holding the window point: its four corners as drawn, the point on
// the inner side of each edge in turn. -1 over no square.
int32_t WorldMap::LevelAt(const Vector2& point) const
{
    if (!gWorld)
        return -1;
    for (int32_t level = 0; level < gWorld->GetLevelCount(); ++level)
        if (IsLevelShown(level) && WorldMapQuadHolds(SquareCorners(level), point))
            return level;
    return -1;
}

std::array<Vector2, 4> WorldMap::SquareCorners(int32_t level) const
{
    float width = gWorld ? gWorld->GetLevelWidth() : 0.0f;
    float height = gWorld ? gWorld->GetLevelHeight() : 0.0f;
    return {MapPosition(level, {0.0f, 0.0f}, false, true), MapPosition(level, {width, 0.0f}, false, true),
            MapPosition(level, {width, height}, false, true), MapPosition(level, {0.0f, height}, false, true)};
}

bool WorldMap::GetHelp(std::string& text, std::array<float, 4>& box) const
{
    if (hoverText.empty())
        return false;
    text = hoverText;
    box = hoverBox;
    return true;
}
