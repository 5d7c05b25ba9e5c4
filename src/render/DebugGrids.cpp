// DebugGrids -- the debugging overlays of the world: the movement and sight collision grids round the camera and the player's sight grid, as small squares on the ground.
#include "render/DebugGrids.h"

#include "core/ColorSystem.h"
#include "core/UserVarSystem.h"
#include "core/Vector.h"
#include "render/FrameScene.h"
#include "render/GLStateCache.h"
#include "render/ImmediateDraw.h"
#include "render/Renderer.h"
#include "render/WorldView.h"
#include "rules/GameData.h"
#include "world/World.h"

#include <GL/gl.h>

void DebugGrids::FindVars()
{
    collisionVar = gUserVarSystem->RegisterVar("showCollisionGrid", "0");
    sightCollisionVar = gUserVarSystem->RegisterVar("showSightCollisionGrid", "0");
    sightVar = gUserVarSystem->RegisterVar("showSightGrid", "0");
}

void DebugGrids::Draw(float zoom)
{
    WorldPos camera;
    if (!scene || !scene->IsGameRunning() || !scene->GetCameraTarget(camera))
        return;
    if (collisionVar.IsValid() && collisionVar.GetInt() != 0)
        DrawCollisionGrid(camera, zoom, true);
    if (sightCollisionVar.IsValid() && sightCollisionVar.GetInt() != 0)
        DrawCollisionGrid(camera, zoom, false);
    if (sightVar.IsValid() && sightVar.GetInt() != 0)
        DrawSightGrid(camera, zoom);
}

void DebugGrids::DrawCollisionGrid(const WorldPos& camera, float zoom, bool movement)
{
    if (!gWorld)
        return;
    DrawCells(camera, zoom, kCollisionReach, [movement](const WorldPos& cell) {
        return movement ? gWorld->IsCellBlocked(cell) : gWorld->IsCellSightBlocked(cell);
    });
}

void DebugGrids::DrawSightGrid(const WorldPos& camera, float zoom)
{
    if (!scene)
        return;
    // Anything short of plain sight counts as unseen.
    DrawCells(camera, zoom, kSightReach, [this](const WorldPos& cell) { return scene->GetVisibility(cell) < 1.0f; });
}

template <typename IsRed> void DebugGrids::DrawCells(const WorldPos& camera, float zoom, int32_t reach, IsRed isRed)
{
    if (!gGameData)
        return;
    const GameSystemTuning& tuning = gGameData->GetTuning();
    GridFrame grid{{tuning.gridOffset.x, tuning.gridOffset.y}, {tuning.gridSize.x, tuning.gridSize.y}};
    view.BeginWorldView(camera, zoom, false);
    cache.ResetState();
    Color colors[2];
    for (int32_t i = 0; i < 2; ++i)
        ColorSystem::GetColorByIndex(colors[i].r, colors[i].g, colors[i].b, i);
    for (int32_t j = -reach; j <= reach; ++j) {
        for (int32_t i = -reach; i <= reach; ++i) {
            Vector2 snapped = SnapToGrid({camera.x + static_cast<float>(i) * grid.cellSize.x,
                                          camera.y + static_cast<float>(j) * grid.cellSize.y},
                                         grid);
            WorldPos cell{camera.level, snapped.x, snapped.y};
            cell.Normalize();
            // Drawn where it lies seen from the camera's level, though tested in its own.
            WorldPos3 place{cell.level, cell.x, cell.y, 0.0f};
            Vector3 at = Renderer::ToCameraLevel(view, place);
            const Color& color = colors[isRed(cell) ? 1 : 0];
            immediate.DrawScreenQuad(-1, at.x - kHalfSquare, at.y - kHalfSquare, at.x + kHalfSquare,
                                     at.y + kHalfSquare, color, 1.0f, {0.0f, 0.0f, 1.0f, 1.0f}, GL_REPEAT, GL_ONE,
                                     GL_ZERO);
        }
    }
    cache.SetEnabled(GL_DEPTH_TEST, true);
}
