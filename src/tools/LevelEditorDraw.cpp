// LevelEditorDraw -- the area editor's view: a blue-cleared screen, the block's (or the preview level's, or a new area's bare ground) tiles top row first, their objects, and the tile under the cursor highlighted.
#include "tools/LevelEditor.h"

#include "client/ScreenConversion.h"
#include "core/ColorSystem.h"
#include "core/Matrix.h"
#include "core/system/InputSystem.h"
#include "render/Renderer.h"
#include "render/WorldView.h"
#include "resources/GraphicsDevice.h"
#include "world/AreaResource.h"
#include "world/LevelCells.h"
#include "world/LevelData.h"
#include "world/LevelGenerator.h"

#include <algorithm>

namespace {

// The highlight lies just over the ground, so the tile beneath never hides it; the overlays'
// squares lie over both.
constexpr float kLevelEditorHighlightLift = 0.5f;
constexpr float kLevelEditorCellLift = 1.0f;

} // namespace

void LevelEditor::Draw()
{
    if (!active)
        return;
    Update();
    if (!gRenderer)
        return;
    WorldView& view = gRenderer->GetWorldView();
    view.BeginWorldView(WorldPos{viewTarget.level, viewTarget.x, viewTarget.y, viewTarget.wrap},
                        ScreenConversion::CurrentView().zoom, false);
    view.GetDevice().Clear(kClearColorBuffer | kClearDepthBuffer | kClearStencilBuffer, Color{0.0f, 0.0f, 1.0f},
                           1.0f);
    DrawTiles();
    DrawCollisionOverlays();
    view.DrawSurfaces(gRenderer->GetWorldBatch());
}

void LevelEditor::DrawTiles()
{
    AreaResource* area = GetArea();
    if (area && ShowsNewGround()) {
        DrawNewGround(*area);
        return;
    }
    if (!area || (currentBlock < 0 && !IsFullLevel()))
        return;
    int32_t width = area->GetBlockWidth();
    int32_t height = area->GetBlockHeight();
    if (IsFullLevel() && editorLevel.data) {
        width = editorLevel.data->geometry.levelTileWidth;
        height = editorLevel.data->geometry.levelTileHeight;
    }
    for (int32_t y = height - 1; y >= 0; --y) {
        for (int32_t x = 0; x < width; ++x) {
            int32_t block = -1;
            int32_t blockX = 0;
            int32_t blockY = 0;
            if (!ResolveTile(x, y, block, blockX, blockY))
                continue;
            ResourceHandle shown = area->GetTileTexture(block, blockX, blockY);
            DrawTile(x, y, shown.IsValid() ? shown.GetValue() : outlineTexture.GetValue(), 0.0f);
            DrawObject(x, y);
        }
    }
    int32_t tileX = -1;
    int32_t tileY = -1;
    int32_t block = -1;
    int32_t blockX = 0;
    int32_t blockY = 0;
    if (ResolveCursorTile(tileX, tileY, block, blockX, blockY))
        DrawTile(tileX, tileY, highlightTexture.GetValue(), kLevelEditorHighlightLift);
}

// Bare tiles over one block's extent, the tile under the cursor highlighted as on a block.
void LevelEditor::DrawNewGround(const AreaResource& area)
{
    for (int32_t y = area.GetBlockHeight() - 1; y >= 0; --y)
        for (int32_t x = 0; x < area.GetBlockWidth(); ++x)
            DrawTile(x, y, outlineTexture.GetValue(), 0.0f);
    if (!gInputSystem)
        return;
    int32_t tileX = -1;
    int32_t tileY = -1;
    ScreenToTile(gInputSystem->GetCursorX(), gInputSystem->GetCursorY(), tileX, tileY);
    if (tileX >= 0 && tileY >= 0 && tileX < area.GetBlockWidth() && tileY < area.GetBlockHeight())
        DrawTile(tileX, tileY, highlightTexture.GetValue(), kLevelEditorHighlightLift);
}

void LevelEditor::DrawTile(int32_t tileX, int32_t tileY, int32_t shader, float lift)
{
    if (shader == -1)
        return;
    float size = LevelGeometry::Current().tileSize;
    float left = static_cast<float>(tileX) * size;
    float bottom = static_cast<float>(tileY) * size;
    std::array<float, 3> a = {left, bottom, lift};
    std::array<float, 3> b = {left + size, bottom + size, lift};
    gRenderer->GetWorldView().AddTileSurface(shader, a, b, true, true, Color{1.0f, 1.0f, 1.0f}, 1.0f);
}

void LevelEditor::DrawObject(int32_t tileX, int32_t tileY)
{
    AreaResource* area = GetArea();
    int32_t block = -1;
    int32_t blockX = 0;
    int32_t blockY = 0;
    if (!area || !ResolveTile(tileX, tileY, block, blockX, blockY))
        return;
    ResourceHandle model;
    int32_t facing = 0;
    if (area->GetTileObject(block, blockX, blockY, model, facing) < 0 || !model.IsValid())
        return;
    float size = LevelGeometry::Current().tileSize;
    ModelSurfacesDesc desc;
    desc.model = model.GetValue();
    desc.animation = 0;
    desc.position.Set(viewTarget.level,
                      Vector2{(static_cast<float>(tileX) + 0.5f) * size, (static_cast<float>(tileY) + 0.5f) * size});
    desc.facing = facing;
    desc.rotation = MatrixFromAxisIndex(facing);
    desc.fullBright = true;
    gRenderer->GetWorldView().AddModelSurfaces(desc);
}

Level* LevelEditor::CellLevel()
{
    if (IsFullLevel())
        return fullLevelBuilt ? &editorLevel : nullptr;
    AreaResource* area = GetArea();
    if (!area || !area->GetBlock(currentBlock))
        return nullptr;
    if (!blockLevel.data) {
        auto data = std::make_unique<LevelData>(LevelGeometry::Current());
        data->generated = true;
        data->announced = true;
        data->active = false;
        data->boundArea = area;
        LevelGenerator::ResetGrid(*data);
        data->blockGrid[0] = currentBlock;
        data->visited[0] = true;
        blockLevel.data = std::move(data);
    }
    return &blockLevel;
}

// Block mode covers the block's cells; the preview a window of one block's extent on each side
// of the view's cell, held inside the level.
void LevelEditor::DrawCollisionOverlays()
{
    bool movement = collisionGridVar.GetInt() != 0;
    bool sight = sightGridVar.GetInt() != 0;
    Level* level = movement || sight ? CellLevel() : nullptr;
    if (!level || cellTexture.GetValue() == -1)
        return;
    const LevelGeometry& g = level->data->geometry;
    std::array<int32_t, 4> window{0, 0, g.CellsPerBlockX(), g.CellsPerBlockY()};
    if (IsFullLevel()) {
        float cellSize = g.tileSize / static_cast<float>(g.cellsPerTile);
        auto cx = static_cast<int32_t>(viewTarget.x / cellSize);
        auto cy = static_cast<int32_t>(viewTarget.y / cellSize);
        window = {std::max(cx - g.CellsPerBlockX(), 0), std::max(cy - g.CellsPerBlockY(), 0),
                  std::min(cx + g.CellsPerBlockX() + 1, g.CellsAcross()),
                  std::min(cy + g.CellsPerBlockY() + 1, g.CellsDown())};
    }
    if (movement)
        DrawCells(*level, window, false);
    if (sight)
        DrawCells(*level, window, true);
}

void LevelEditor::DrawCells(Level& level, const std::array<int32_t, 4>& window, bool sight)
{
    const LevelGeometry& g = level.data->geometry;
    float cellSize = g.tileSize / static_cast<float>(g.cellsPerTile);
    float half = kCellSquare * 0.5f;
    Color colors[2];
    for (int32_t i = 0; i < 2; ++i)
        ColorSystem::GetColorByIndex(colors[i].r, colors[i].g, colors[i].b, i);
    for (int32_t cy = window[1]; cy < window[3]; ++cy) {
        for (int32_t cx = window[0]; cx < window[2]; ++cx) {
            bool blocked = sight ? LevelCells::IsCellSightBlocked(level, cx, cy) : LevelCells::IsCellBlocked(level, cx, cy);
            float x = (static_cast<float>(cx) + 0.5f) * cellSize;
            float y = (static_cast<float>(cy) + 0.5f) * cellSize;
            gRenderer->GetWorldView().AddTileSurface(cellTexture.GetValue(), {x - half, y - half, kLevelEditorCellLift},
                                                     {x + half, y + half, kLevelEditorCellLift}, true, true,
                                                     colors[blocked ? 1 : 0], 1.0f);
        }
    }
}
