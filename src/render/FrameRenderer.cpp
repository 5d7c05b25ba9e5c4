// FrameRenderer -- the passes of one frame in their fixed order: the world (or a cleared screen behind a full-screen menu or the editor), the editors' views, then the two-dimensional layer from entity overlays to the cursor.
#include "render/FrameRenderer.h"

#include "core/UserVarSystem.h"
#include "render/FrameScene.h"
#include "render/FrameTools.h"
#include "render/FrameUi.h"
#include "render/InTheWay.h"
#include "render/LightingSystem.h"
#include "render/TextEvents.h"
#include "render/WorldView.h"
#include "resources/GraphicsDevice.h"
#include "resources/ResourceManager.h"
#include "resources/effects/EffectSystem.h"
#include "rules/GameData.h"
#include "world/LevelData.h"
#include "world/World.h"

#include <algorithm>
#include <cmath>

namespace {

// How fast a placed model fades towards its target: this many times its fade range a second.
constexpr float kFrameRendererFadeRate = 3.0f;

void FrameRendererRun(const std::function<void()>& hook)
{
    if (hook)
        hook();
}

} // namespace

void FrameRenderer::RegisterVars()
{
    zoomVar = gUserVarSystem->RegisterVar("zoom", "1.0");
    blendedTilesVar = gUserVarSystem->RegisterVar("blendedTiles", "1");
}

float FrameRenderer::GetZoom() const
{
    return zoomVar.IsValid() ? zoomVar.GetFloat() : 1.0f;
}

void FrameRenderer::DrawPasses(float seconds)
{
    view.BeginFrame();
    DrawWorld(seconds);
    if (tools)
        tools->DrawViews();
    Draw2D(seconds);
}

void FrameRenderer::DrawWorld(float seconds)
{
    worldMapDrawn = false;
    // Exploration goes on behind a full-screen menu and the area editor: the map and the
    // mini-map must not miss the ground walked while one was up.
    FrameRendererRun(exploreHook);
    // The open world map stands in the world's place whatever else is up: a full-screen menu or
    // the editor is drawn over it.
    if (worldMapHook && worldMapHook()) {
        worldMapDrawn = true;
        return;
    }
    bool editorOpen = tools && tools->IsAreaEditorOpen();
    if ((ui && ui->IsFullScreenMenuShown()) || editorOpen) {
        view.BeginWorldView(WorldPos{}, GetZoom(), true);
        view.GetDevice().Clear(kClearColorBuffer | kClearDepthBuffer | kClearStencilBuffer, Color{0.0f, 0.0f, 0.0f},
                               1.0f);
        return;
    }
    bool running = scene && scene->IsGameRunning();
    WorldPos target;
    if (!running || !scene->GetCameraTarget(target))
        target = WorldPos{};
    view.BeginWorldView(target, GetZoom(), true);
    if (!running)
        return;
    DrawLevelCells(seconds);
    scene->DrawEntities(view);
    if (gEffectSystem)
        gEffectSystem->DrawAll(view.GetEffects());
    view.DrawSurfaces(batch);
    FrameRendererRun(hooks.afterWorld);
}

void FrameRenderer::Draw2D(float seconds)
{
    FrameRendererRun(hooks.begin2D);
    bool blocking = ui && ui->IsBlockingMenuShown();
    // An overhead bar or icon over the world map would float over some other level's square.
    if (scene && !blocking && !worldMapDrawn)
        scene->DrawEntityOverlays();
    if (ui)
        ui->DrawHelpBottom(seconds);
    if (textEvents)
        textEvents->DrawTextEvents(true, seconds, ui, scene, worldMapDrawn);
    if (ui)
        ui->UpdateAndDraw(seconds);
    if (textEvents)
        textEvents->DrawTextEvents(false, seconds, ui, scene, worldMapDrawn);
    FrameRendererRun(hooks.drawConsole);
    if (ui)
        ui->DrawHelpTop(seconds);
    FrameRendererRun(hooks.drawFps);
    if (ui)
        ui->DrawCursor();
}

void FrameRenderer::DrawLevelCells(float seconds)
{
    WorldPos camera;
    if (!scene || !scene->IsGameRunning() || !scene->GetCameraTarget(camera) || !gWorld || !gGameData)
        return;
    const GameSystemTuning& tuning = gGameData->GetTuning();
    float size = tuning.tileSize;
    if (!(size > 0.0f))
        return;
    // Both extents widen with the screen, as the view box's width does.
    float widening = view.GetWidening() * view.GetZoom();
    float hx = tuning.drawDistance.x * widening;
    float hy = tuning.drawDistance.y * widening;
    auto x0 = static_cast<int32_t>(std::floor((camera.x - hx) / size));
    auto x1 = static_cast<int32_t>(std::ceil((camera.x + hx) / size));
    auto y0 = static_cast<int32_t>(std::floor((camera.y - hy) / size));
    auto y1 = static_cast<int32_t>(std::ceil((camera.y + hy) / size)) - 1;
    bool blended = !blendedTilesVar.IsValid() || blendedTilesVar.GetBool();
    // The camera looks at the local player: asked once a frame, not once a placed model.
    std::array<float, 4> box{};
    const WorldPos* player = scene->HasLocalPlayer() && scene->GetLocalPlayerScreenBox(box) ? &camera : nullptr;
    Rect playerBox{box[0], box[1], box[2], box[3]};
    for (int32_t y = y1; y >= y0; --y) {
        for (int32_t x = x0; x < x1; ++x) {
            ResourceHandle model;
            TileObjectInstance instance;
            const LevelTileCell* cell = gWorld->GetTileDrawData(camera.level, x, y, model, instance);
            std::array<float, 3> a = {static_cast<float>(x) * size, static_cast<float>(y) * size, 0.0f};
            std::array<float, 3> b = {a[0] + size, a[1] + size, 0.0f};
            if (blended && cell && cell->texture.IsValid()) {
                view.AddBlendedTileSurface(a, b, cell, cell->texture.GetValue(), false);
            } else {
                ResourceHandle tile = gWorld->GetTile(camera.level, x, y);
                view.AddTileSurface(tile.GetValue(), a, b, false, true, Color{1.0f, 1.0f, 1.0f}, 1.0f);
            }
            if (model.IsValid())
                DrawPlacedModel(camera.level, x, y, size, seconds, model, instance, player, playerBox);
        }
    }
}

// The model eases towards its fade while it stands in the player's way, else towards opaque.
void FrameRenderer::DrawPlacedModel(int32_t level, int32_t x, int32_t y, float tileSize, float seconds,
                                    const ResourceHandle& handle, const TileObjectInstance& instance,
                                    const WorldPos* player, const Rect& playerBox)
{
    auto* model = gResourceManager && handle.IsValid() && gResourceManager->IsLoaded(handle)
                      ? dynamic_cast<const ModelResource*>(gResourceManager->Get(handle))
                      : nullptr;
    if (!model)
        return;
    WorldPos cell{level, (static_cast<float>(x) + 0.5f) * tileSize, (static_cast<float>(y) + 0.5f) * tileSize};
    bool inWay = InWay::IsModelInTheWay(model, cell, instance.facing, 0.0f, player, playerBox, *scene);
    float target = inWay ? model->inWayMinFade : 1.0f;
    float step = (1.0f - model->inWayMinFade) * seconds * kFrameRendererFadeRate;
    float opacity = instance.opacity < target ? std::min(instance.opacity + step, target)
                                              : std::max(instance.opacity - step, target);
    if (opacity != instance.opacity)
        gWorld->SetTileObjectOpacity(level, x, y, opacity);
    ModelSurfacesDesc desc;
    desc.model = handle.GetValue();
    desc.animation = 0;
    desc.position = WorldPos3{level, cell.x, cell.y, 0.0f};
    desc.useOffset = true;
    desc.facing = instance.facing;
    desc.rotation = MatrixFromAxisIndex(instance.facing);
    desc.scale = instance.scale;
    desc.alpha = opacity;
    view.AddModelSurfaces(desc);
    if (gLightingSystem)
        gLightingSystem->AddLight(level, cell.x, cell.y, model->lightColor, model->lightIntensity,
                                  LightingSystem::kPointLight);
}
