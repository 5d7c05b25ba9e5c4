// FrameRenderer -- the passes of one frame in their fixed order: the world (or a cleared screen behind a full-screen menu or the editor), the editors' views, then the two-dimensional layer from entity overlays to the cursor.
#pragma once

#include "core/UserVarRef.h"

#include <functional>

class FrameScene;
class ResourceHandle;
struct Rect;
struct TileObjectInstance;
struct WorldPos;
class FrameTools;
class FrameUi;
class ShaderBatch;
class TextEvents;
class WorldView;

// What the frame asks of the renderer around it; an empty hook is skipped.
struct FramePassHooks {
    std::function<void()> begin2D;
    std::function<void()> drawConsole;
    std::function<void()> drawFps;
    // After the world's surfaces: the bloom, the explored overlay, the debug grids, the mini-map.
    std::function<void()> afterWorld;
};

// Main thread, with the device's context held by the caller.
class FrameRenderer {
public:
    FrameRenderer(WorldView& view, ShaderBatch& batch) : view(view), batch(batch) {}

    // "zoom" and "blendedTiles".
    void RegisterVars();
    void SetHooks(FramePassHooks newHooks) { hooks = std::move(newHooks); }
    // The maps' passes: the exploration before the world, and the world map, which says whether
    // it was drawn in place of the world.
    void SetMapPasses(std::function<void()> explore, std::function<bool()> drawWorldMap)
    {
        exploreHook = std::move(explore);
        worldMapHook = std::move(drawWorldMap);
    }
    void SetScene(FrameScene* newScene) { scene = newScene; }
    void SetUi(FrameUi* newUi) { ui = newUi; }
    void SetTools(FrameTools* newTools) { tools = newTools; }
    void SetTextEvents(TextEvents* events) { textEvents = events; }

    // Everything between the frame's settings and its swap.
    void DrawPasses(float seconds);
    // The level's tiles and placed models round the camera's target, with the models' lights;
    // nothing without a running game and a target.
    void DrawLevelCells(float seconds);
    float GetZoom() const;

private:
    void DrawWorld(float seconds);
    void Draw2D(float seconds);
    // player: the local player's place, null without one; playerBox: its box on the screen.
    void DrawPlacedModel(int32_t level, int32_t x, int32_t y, float tileSize, float seconds,
                         const ResourceHandle& handle, const TileObjectInstance& instance, const WorldPos* player,
                         const Rect& playerBox);

    WorldView& view;
    ShaderBatch& batch;
    FramePassHooks hooks;
    std::function<void()> exploreHook;
    std::function<bool()> worldMapHook;
    // The world map took the world's place this frame: the world's overlays stay off it.
    bool worldMapDrawn = false;
    FrameScene* scene = nullptr;
    FrameUi* ui = nullptr;
    FrameTools* tools = nullptr;
    TextEvents* textEvents = nullptr;
    UserVarRef zoomVar;
    UserVarRef blendedTilesVar;
};
