// LevelEditorDraw -- the area editor's view: a blue-cleared screen, the block's (or the preview level's) tiles top row first, their objects, and the tile under the cursor highlighted.
#include "tools/LevelEditor.h"

#include "client/ScreenConversion.h"
#include "core/Matrix.h"
#include "core/system/InputSystem.h"
#include "render/Renderer.h"
#include "render/WorldView.h"
#include "resources/GraphicsDevice.h"
#include "world/AreaResource.h"
#include "world/LevelData.h"

namespace {

// The highlight lies just over the ground, so the tile beneath never hides it.
constexpr float kLevelEditorHighlightLift = 0.5f;

} // namespace

void LevelEditor::Draw()
{
    if (!active)
        return;
    Update();
    if (!gRenderer)
        return;
    WorldView& view = gRenderer->GetWorldView();
    view.BeginWorldView(viewTarget, ScreenConversion::CurrentView().zoom, false);
    view.GetDevice().Clear(kClearColorBuffer | kClearDepthBuffer | kClearStencilBuffer, Color{0.0f, 0.0f, 1.0f},
                           1.0f);
    DrawTiles();
    view.DrawSurfaces(gRenderer->GetWorldBatch());
}

void LevelEditor::DrawTiles()
{
    AreaResource* area = GetArea();
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
    if (!gInputSystem)
        return;
    int32_t tileX = -1;
    int32_t tileY = -1;
    ScreenToTile(gInputSystem->GetCursorX(), gInputSystem->GetCursorY(), tileX, tileY);
    int32_t block = -1;
    int32_t blockX = 0;
    int32_t blockY = 0;
    if (ResolveTile(tileX, tileY, block, blockX, blockY))
        DrawTile(tileX, tileY, highlightTexture.GetValue(), kLevelEditorHighlightLift);
}

void LevelEditor::DrawTile(int32_t tileX, int32_t tileY, int32_t shader, float lift)
{
    if (shader == -1)
        return;
    float size = LevelGeometry::Current().tileSize;
    // Corners given top-left first wind the quad as the ground shaders' culling wants it.
    float left = static_cast<float>(tileX) * size;
    float bottom = static_cast<float>(tileY) * size;
    std::array<float, 3> a = {left, bottom + size, lift};
    std::array<float, 3> b = {left + size, bottom, lift};
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
    desc.position.level = viewTarget.level;
    desc.position.x = (static_cast<float>(tileX) + 0.5f) * size;
    desc.position.y = (static_cast<float>(tileY) + 0.5f) * size;
    desc.facing = facing;
    desc.rotation = MatrixFromAxisIndex(facing);
    desc.fullBright = true;
    gRenderer->GetWorldView().AddModelSurfaces(desc);
}
