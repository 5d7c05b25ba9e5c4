// MiniMap -- the small masked map of the explored ground round the camera: a 128 x 128 ring buffer of map cells that redraws only what scrolled in or was explored, with the entities near the player and the explored openings to other levels as icons.
#include "render/MiniMap.h"

#include "core/ColorSystem.h"
#include "core/UserVarSystem.h"
#include "core/system/InputSystem.h"
#include "render/GLApi.h"
#include "render/FrameScene.h"
#include "render/GLStateCache.h"
#include "render/ImmediateDraw.h"
#include "render/MapPanel.h"
#include "render/Renderer.h"
#include "resources/shaders/ScreenPrimitives.h"
#include "resources/GraphicsDevice.h"
#include "resources/ResourceManager.h"
#include "resources/shaders/ShaderStage.h"
#include "resources/shaders/ShaderTextures.h"
#include "resources/textures/TextureResource.h"
#include "rules/GameData.h"
#include "world/World.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <limits>

MiniMap* gMiniMap = nullptr;

namespace {

constexpr const char* kMiniMapMaskName = "Textures/UI/minimapmask.tga";

// Opaque: the map's own opacity does not fade its icons.
MiniMap::Icon MiniMapIconOf(const MapPin& pin)
{
    return {pin.position, {pin.colour[0], pin.colour[1], pin.colour[2], 1.0f}, pin.size, pin.text, pin.id, pin.kind};
}

int32_t MiniMapWrap(int32_t value, int32_t period)
{
    int32_t wrapped = value % period;
    return wrapped < 0 ? wrapped + period : wrapped;
}

float MiniMapTileSize()
{
    return gGameData && gGameData->GetTuning().tileSize > 0.0f ? gGameData->GetTuning().tileSize : 64.0f;
}

int32_t MiniMapCell(float coordinate)
{
    return static_cast<int32_t>(std::floor(coordinate / MiniMapTileSize()));
}

int32_t MiniMapTextureId(int32_t handle)
{
    auto* texture = gResourceManager ? dynamic_cast<TextureResource*>(gResourceManager->Get(handle)) : nullptr;
    return texture ? texture->GetTextureId() : -1;
}

// The ground is a shader: its first stage's texture holds the small levels.
const TextureResource* MiniMapGroundImage(int32_t handle)
{
    if (ShaderTextures::GetShader(handle))
        return ShaderTextures::GetShaderTexture(handle);
    return dynamic_cast<const TextureResource*>(gResourceManager->Get(handle));
}

} // namespace

MiniMap::MiniMap(WorldMap& worldMap) : worldMap(worldMap) {}

MiniMap::~MiniMap()
{
    if (texture >= 0 && graphics.device)
        graphics.device->DeleteTexture(texture);
    worldMap.SetPixelChangedHook({});
}

void MiniMap::RegisterCommands()
{
    onVar = gUserVarSystem->RegisterVar("miniMapOn", "1");
    zoomVar = gUserVarSystem->RegisterVar("miniMapZoom", "8");
    alphaVar = gUserVarSystem->RegisterVar("miniMapAlpha", "0.5");
    sizeVar = gUserVarSystem->RegisterVar("miniMapSize", "128.0");
    locationVar = gUserVarSystem->RegisterVar("miniMapLocation", "1");
    worldMap.SetPixelChangedHook(
        [this](int32_t level, int32_t tileX, int32_t tileY) { OnExploredPixel(level, tileX, tileY); });
}

void MiniMap::Setup()
{
    if (gResourceManager)
        gResourceManager->Load(kMiniMapMaskName, mask);
    pixels.assign(static_cast<size_t>(kSide * kSide * 4), 0xFF);
    changedCells.assign(static_cast<size_t>(kSide * kSide), false);
}

bool MiniMap::IsVisible() const
{
    return gUserVarSystem && gUserVarSystem->GetIntByName("drawUI") != 0 && onVar.IsValid() && onVar.GetInt() != 0;
}

// ---- The window ------------------------------------------------------------------------------

void MiniMap::ReadZoom()
{
    int32_t wanted = zoomVar.IsValid() ? zoomVar.GetInt() : 8;
    if (wanted != 8 && wanted != 16 && wanted != 32)
        wanted = 8;
    if (wanted == zoom)
        return;
    zoom = wanted;
    cellsAcross = zoom * 4;
    cellPixels = kSide / cellsAcross;
    valid = false;
}

void MiniMap::UpdateWindow(const WorldPos& camera)
{
    if (pixels.empty())
        Setup();
    ReadZoom();
    int32_t cellX = MiniMapCell(camera.x);
    int32_t cellY = MiniMapCell(camera.y);
    int32_t dx = cellX - centreX;
    int32_t dy = cellY - centreY;
    if (camera.level != centreLevel || std::abs(dx) >= cellsAcross || std::abs(dy) >= cellsAcross)
        valid = false;
    centreLevel = camera.level;
    centreX = cellX;
    centreY = cellY;
    windowX = cellX - cellsAcross / 2 - 1;
    windowY = cellY - cellsAcross / 2 - 1;
    if (!valid) {
        scrollX = scrollY = originX = originY = 0;
        dirtyColumns = {0, cellsAcross};
        dirtyRows = {0, cellsAcross};
        std::fill(changedCells.begin(), changedCells.end(), false);
        anyChanged = false;
        valid = true;
    } else {
        Scroll(dx, dy);
    }
    RedrawDirty();
}

// The ring moves by the cells crossed; only the columns and rows that came in are dirty.
void MiniMap::Scroll(int32_t dx, int32_t dy)
{
    scrollX = MiniMapWrap(scrollX + cellPixels * dx, kSide);
    scrollY = MiniMapWrap(scrollY + cellPixels * dy, kSide);
    originX = scrollX / cellPixels;
    originY = scrollY / cellPixels;
    dirtyColumns = dx > 0 ? std::array<int32_t, 2>{cellsAcross - dx, cellsAcross}
                          : std::array<int32_t, 2>{0, dx < 0 ? -dx : 0};
    dirtyRows = dy > 0 ? std::array<int32_t, 2>{cellsAcross - dy, cellsAcross}
                       : std::array<int32_t, 2>{0, dy < 0 ? -dy : 0};
}

std::array<int32_t, 2> MiniMap::RingCellOf(int32_t cellX, int32_t cellY) const
{
    int32_t across = cellX - windowX;
    int32_t down = cellY - windowY;
    if (!valid || across < 0 || down < 0 || across >= cellsAcross || down >= cellsAcross)
        return {-1, -1};
    return {MiniMapWrap(originX + across, cellsAcross), MiniMapWrap(originY + down, cellsAcross)};
}

void MiniMap::RedrawDirty()
{
    for (int32_t down = dirtyRows[0]; down < dirtyRows[1]; ++down) {
        for (int32_t across = 0; across < cellsAcross; ++across)
            DrawCell(MiniMapWrap(originX + across, cellsAcross), MiniMapWrap(originY + down, cellsAcross));
    }
    for (int32_t down = 0; down < cellsAcross; ++down) {
        if (down >= dirtyRows[0] && down < dirtyRows[1])
            continue;
        for (int32_t across = dirtyColumns[0]; across < dirtyColumns[1]; ++across)
            DrawCell(MiniMapWrap(originX + across, cellsAcross), MiniMapWrap(originY + down, cellsAcross));
    }
    dirtyColumns = dirtyRows = {0, 0};
    if (!anyChanged)
        return;
    // Ground explored inside the window: those cells again, which scrolling alone never redraws.
    for (int32_t row = 0; row < cellsAcross; ++row) {
        for (int32_t column = 0; column < cellsAcross; ++column) {
            std::vector<bool>::reference changed = changedCells[static_cast<size_t>(row * kSide + column)];
            if (changed) {
                changed = false;
                DrawCell(column, row);
            }
        }
    }
    anyChanged = false;
}

// A changed tile shows in its own cell and, through the smoothing, in the 3 x 3 round it.
void MiniMap::OnExploredPixel(int32_t level, int32_t tileX, int32_t tileY)
{
    if (!valid || changedCells.empty())
        return;
    for (int32_t y = tileY - 1; y <= tileY + 1; ++y) {
        for (int32_t x = tileX - 1; x <= tileX + 1; ++x) {
            WorldPos at{level, (static_cast<float>(x) + 0.5f) * MiniMapTileSize(),
                        (static_cast<float>(y) + 0.5f) * MiniMapTileSize(), true};
            if (gWorld && level != centreLevel)
                at.ToLevelFrame(centreLevel);
            std::array<int32_t, 2> ring = RingCellOf(MiniMapCell(at.x), MiniMapCell(at.y));
            if (ring[0] < 0)
                continue;
            changedCells[static_cast<size_t>(ring[1] * kSide + ring[0])] = true;
            anyChanged = true;
        }
    }
}

const uint8_t* MiniMap::LookUpCellImage(int32_t level, int32_t tileX, int32_t tileY)
{
    if (cellImage)
        return cellImage(level, tileX, tileY, cellPixels);
    if (!gWorld || !gResourceManager)
        return nullptr;
    int32_t reached = gWorld->WrapTileToLevel(level, tileX, tileY);
    ResourceHandle ground = gWorld->GetGroundTexture(reached, tileX, tileY);
    if (!ground.IsValid())
        return nullptr;
    if (ground.GetValue() != cachedTextureHandle || cachedSide != cellPixels) {
        cachedTextureHandle = ground.GetValue();
        cachedSide = cellPixels;
        const TextureResource* image = MiniMapGroundImage(ground.GetValue());
        cachedImage = image ? image->GetSmallLevel(cellPixels) : nullptr;
    }
    return cachedImage;
}

void MiniMap::DrawCell(int32_t column, int32_t row)
{
    ++cellsRedrawn;
    redrawnSinceUpload = true;
    int32_t tileX = windowX + MiniMapWrap(column - originX, cellsAcross);
    int32_t tileY = windowY + MiniMapWrap(row - originY, cellsAcross);
    float brightness = worldMap.GetExploredSmoothed(centreLevel, tileX, tileY);
    const uint8_t* image = LookUpCellImage(centreLevel, tileX, tileY);
    for (int32_t y = 0; y < cellPixels; ++y) {
        for (int32_t x = 0; x < cellPixels; ++x) {
            uint8_t* out = &pixels[static_cast<size_t>(((row * cellPixels + y) * kSide + column * cellPixels + x) * 4)];
            if (!image || brightness <= 0.0f) {
                out[0] = out[1] = out[2] = 0;
                out[3] = 255;
                continue;
            }
            const uint8_t* in = &image[static_cast<size_t>((y * cellPixels + x) * 4)];
            for (int32_t channel = 0; channel < 3; ++channel)
                out[channel] = brightness >= 1.0f ? in[channel]
                                                  : static_cast<uint8_t>(std::lround(in[channel] * brightness));
            out[3] = in[3];
        }
    }
}

// ---- Icons -----------------------------------------------------------------------------------

void MiniMap::BuildIcons(const WorldPos& camera, float mouseX, float mouseY)
{
    icons.clear();
    tooltip.clear();
    pins.clear();
    if (source)
        source->AddEntityPins(pins, false);
    for (const MapPin& pin : pins)
        AddEntityIcon(camera, pin);
    AddConnectionIcons(camera);
    std::array<float, 4> rect{};
    if (!PlaceOnScreen(rect))
        return;
    int32_t nearest = -1;
    float nearestDistance = std::numeric_limits<float>::max();
    for (size_t i = 0; i < icons.size(); ++i) {
        std::array<float, 2> point = IconPoint(icons[i], rect);
        float distance = std::hypot(point[0] - mouseX, point[1] - mouseY);
        if (distance < nearestDistance) {
            nearestDistance = distance;
            nearest = static_cast<int32_t>(i);
        }
    }
    if (nearest < 0 || !(nearestDistance < kHoverReach))
        return;
    Icon& hovered = icons[static_cast<size_t>(nearest)];
    hovered.size *= 4.0f;
    tooltip = hovered.text.empty() ? worldMap.GetPinText(hovered.kind, hovered.id) : hovered.text;
    std::array<float, 2> point = IconPoint(hovered, rect);
    tooltipRect = {point[0] - 4.0f, point[1] - 4.0f, 8.0f, 8.0f};
}

void MiniMap::AddIcon(const WorldPos& camera, const Icon& icon)
{
    Vector2 delta = camera.DeltaTo(icon.position);
    float scale = static_cast<float>(std::max(zoom, 1));
    if (std::fabs(delta.x / scale) > kIconReach || std::fabs(delta.y / scale) > kIconReach)
        return;
    icons.push_back(icon);
}

void MiniMap::AddEntityIcon(const WorldPos& camera, const MapPin& pin)
{
    AddIcon(camera, MiniMapIconOf(pin));
}

// The world map finds the explored openings; its pins are reused here so both maps show the same ones.
void MiniMap::AddConnectionIcons(const WorldPos& camera)
{
    pins.clear();
    worldMap.AddConnectionPins(pins);
    for (const MapPin& pin : pins)
        AddIcon(camera, MiniMapIconOf(pin));
}

// Where the icon's world position falls on the drawn map: the window's cells spread over it.
std::array<float, 2> MiniMap::IconPoint(const Icon& icon, const std::array<float, 4>& rect) const
{
    WorldPos at = icon.position;
    if (gWorld && at.level != centreLevel)
        at.ToLevelFrame(centreLevel);
    float tile = MiniMapTileSize();
    float across = (at.x / tile - static_cast<float>(windowX)) / static_cast<float>(cellsAcross);
    float down = (at.y / tile - static_cast<float>(windowY)) / static_cast<float>(cellsAcross);
    return {rect[0] + across * rect[2], rect[1] + down * rect[3]};
}

// ---- Drawing ---------------------------------------------------------------------------------

// The user interface's frame, "miniMapSize" scaling it about its centre.
bool MiniMap::PlaceOnScreen(std::array<float, 4>& rect) const
{
    if (!panel || !panel->GetMiniMapRect(rect))
        return false;
    float scale = (sizeVar.IsValid() ? sizeVar.GetFloat() : 128.0f) / 128.0f;
    float width = rect[2] * scale;
    float height = rect[3] * scale;
    rect = {rect[0] + (rect[2] - width) / 2.0f, rect[1] + (rect[3] - height) / 2.0f, width, height};
    return true;
}

void MiniMap::Draw()
{
    WorldPos camera;
    std::array<float, 4> rect{};
    // A map not drawn this frame has no marker under the cursor.
    tooltip.clear();
    if (!IsVisible() || !scene || !scene->IsGameRunning() || !scene->HasLocalPlayer() ||
        !scene->GetCameraTarget(camera) || !graphics.device || !graphics.gl || !graphics.cache || !graphics.immediate ||
        !PlaceOnScreen(rect))
        return;
    UpdateWindow(camera);
    graphics.device->SetProjectionMatrix(ScreenPrimitives::UiProjection());
    graphics.device->SetModelViewMatrix(ScreenPrimitives::Identity());
    graphics.cache->ResetState();
    DrawMask(rect);
    DrawMap(rect);
    int32_t mouseX = 0;
    int32_t mouseY = 0;
    float scale =
        gRenderer ? 640.0f / static_cast<float>(std::max(1, gRenderer->GetVideoOptions().GetScreenWidth())) : 1.0f;
    bool hasMouse = gInputSystem && gInputSystem->GetCursorPos(mouseX, mouseY);
    BuildIcons(camera, hasMouse ? static_cast<float>(mouseX) * scale : -1.0e6f,
               hasMouse ? static_cast<float>(mouseY) * scale : -1.0e6f);
    DrawIcons(rect);
    graphics.cache->SetStencil(false, GL_ALWAYS, 0);
    graphics.cache->ResetState();
}

// Stencil 2 where the mask is opaque; no colour written. A missing mask flags the whole frame.
void MiniMap::DrawMask(const std::array<float, 4>& rect)
{
    graphics.device->Clear(kClearStencilBuffer, Color{0.0f, 0.0f, 0.0f}, 0.0f);
    graphics.cache->SetStencil(true, GL_ALWAYS, 2);
    graphics.cache->SetStencilOp(GL_KEEP, GL_KEEP, GL_REPLACE);
    graphics.cache->ColorMask(false);
    graphics.cache->SetAlphaTest(true, GL_GREATER, 0.5f);
    Color white{1.0f, 1.0f, 1.0f};
    graphics.immediate->DrawScreenQuad(MiniMapTextureId(mask.GetValue()), rect[0], rect[1], rect[0] + rect[2],
                                       rect[1] + rect[3], white, 1.0f, {0.0f, 0.0f, 1.0f, 1.0f}, GL_CLAMP_TO_EDGE,
                                       GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    graphics.cache->SetAlphaTest(false, GL_ALWAYS, 0.0f);
    graphics.cache->ColorMask(true);
    graphics.cache->SetStencilOp(GL_KEEP, GL_KEEP, GL_KEEP);
    graphics.cache->SetStencil(true, GL_EQUAL, 2);
}

// The texture goes up only when a cell was drawn since its last upload.
void MiniMap::DrawMap(const std::array<float, 4>& rect)
{
    if (texture < 0) {
        texture = graphics.device->UploadTexture(pixels.data(), kSide, kSide, PixelFormat::kRgba, 1);
        uploadedBytes += static_cast<int64_t>(pixels.size());
        redrawnSinceUpload = false;
    } else if (redrawnSinceUpload || uploadEveryFrame) {
        graphics.device->UpdateTexture(texture, 0, PixelRect{0, 0, kSide, kSide}, PixelFormat::kRgba, pixels.data());
        uploadedBytes += static_cast<int64_t>(pixels.size());
        redrawnSinceUpload = false;
    }
    if (texture < 0)
        return;
    graphics.cache->BindTexture(static_cast<uint32_t>(texture));
    graphics.gl->SetTextureFilter(GL_LINEAR, GL_LINEAR);
    Color first;
    ColorSystem::GetColorByIndex(first.r, first.g, first.b, 0);
    // Kept from the map's first form: the scroll over 127, not 128.
    float s = static_cast<float>(scrollX) / 127.0f;
    float t = static_cast<float>(scrollY) / 127.0f;
    graphics.immediate->DrawScreenQuad(texture, rect[0], rect[1], rect[0] + rect[2], rect[1] + rect[3], first,
                                       alphaVar.IsValid() ? alphaVar.GetFloat() : 0.5f, {s, t, s + 1.0f, t + 1.0f},
                                       GL_REPEAT, GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}

void MiniMap::DrawIcons(const std::array<float, 4>& rect)
{
    int32_t iconTexture = graphics.standardTexture ? graphics.standardTexture(3) : -1;
    for (const Icon& icon : icons)
        DrawIcon(icon, rect, iconTexture);
}

void MiniMap::DrawIcon(const Icon& icon, const std::array<float, 4>& rect, int32_t iconTexture)
{
    std::array<float, 2> point = IconPoint(icon, rect);
    float half = icon.size * 0.5f;
    Color colour{icon.colour[0], icon.colour[1], icon.colour[2]};
    graphics.immediate->DrawScreenQuad(iconTexture, point[0] - half, point[1] - half, point[0] + half,
                                       point[1] + half, colour, icon.colour[3], {0.0f, 0.0f, 1.0f, 1.0f},
                                       GL_CLAMP_TO_EDGE, GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}
