// DebugGrids -- the debugging overlays of the world: the movement and sight collision grids round the camera and the player's sight grid, as small squares on the ground.
#pragma once

#include "core/UserVarRef.h"

#include <cstdint>

class FrameScene;
class GLStateCache;
class ImmediateDraw;
class WorldView;
struct WorldPos;

// Main thread, with the device's context held by the caller.
class DebugGrids {
public:
    // Cells each side of the camera the collision grids cover, and the sight grid.
    static constexpr int32_t kCollisionReach = 15;
    static constexpr int32_t kSightReach = 41;
    // Half the side of a cell's square, in world units.
    static constexpr float kHalfSquare = 2.0f;

    DebugGrids(GLStateCache& cache, ImmediateDraw& immediate, WorldView& view)
        : cache(cache), immediate(immediate), view(view)
    {
    }

    // "showCollisionGrid", "showSightCollisionGrid" and "showSightGrid", as the renderer
    // registered them.
    void FindVars();
    void SetScene(FrameScene* newScene) { scene = newScene; }
    // The grids their user vars ask for, over the running game's camera target.
    void Draw(float zoom);
    // Red where the cell blocks movement (or sight), white elsewhere.
    void DrawCollisionGrid(const WorldPos& camera, float zoom, bool movement);
    // Red where the player cannot see the cell, white where it can.
    void DrawSightGrid(const WorldPos& camera, float zoom);

private:
    template <typename IsRed> void DrawCells(const WorldPos& camera, float zoom, int32_t reach, IsRed isRed);

    GLStateCache& cache;
    ImmediateDraw& immediate;
    WorldView& view;
    FrameScene* scene = nullptr;
    UserVarRef collisionVar;
    UserVarRef sightCollisionVar;
    UserVarRef sightVar;
};
