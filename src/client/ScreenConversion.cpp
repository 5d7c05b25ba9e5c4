// ScreenConversion -- between points of the 640 x 480 screen and world positions on the isometric view, the box an entity covers on the screen, and the entity under the cursor.
#include "client/ScreenConversion.h"

#include "client/ClientApp.h"
#include "client/EntityClient.h"
#include "client/GameClient.h"
#include "client/PlayerClient.h"
#include "core/DatabaseEntry.h"
#include "core/StringUtil.h"
#include "core/UserVarSystem.h"
#include "render/ModelRenderer.h"
#include "render/Renderer.h"
#include "resources/models/AnimationResource.h"
#include "resources/models/ModelResource.h"
#include "rules/GameData.h"
#include "rules/GameSystemTuning.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kScreenConversionDegrees = 180.0f / 3.14159265f;
// The isometric view turns the world's axes by this much against the screen's.
constexpr float kScreenConversionTurn = 45.0f;

float ScreenConversionAngle(float x, float y)
{
    if (x == 0.0f && y == 0.0f)
        return 0.0f;
    float degrees = std::atan2(y, x) * kScreenConversionDegrees;
    return degrees < 0.0f ? degrees + 360.0f : degrees;
}

} // namespace

ScreenView ScreenConversion::CurrentView()
{
    ScreenView view;
    if (gRenderer) {
        const WorldView& world = gRenderer->GetWorldView();
        // Before the first world frame the camera has no ratio of its own; looking straight
        // down its ratio is 0.
        float ratio = world.GetCamera().ratio;
        if (std::isfinite(ratio) && ratio >= 0.0f && ratio != 1.0f)
            view.ratio = ratio;
        view.widening = Widening(world.GetViewWidth(), world.GetViewHeight());
    }
    float zoom = gUserVarSystem ? ParseFloat(gUserVarSystem->GetStringByName("zoom")) : 1.0f;
    view.zoom = std::isfinite(zoom) && zoom > 0.0f ? zoom : 1.0f;
    return view;
}

float ScreenConversion::Widening(int32_t width, int32_t height)
{
    return WorldView::Widening(width, height);
}

Vector2 ScreenConversion::ScreenToWorldOffset(float px, float py, const ScreenView& view)
{
    float ground = view.GroundFactor();
    float u = (px - kCentreX) / ground * view.widening;
    float v = kCentreY - py;
    float theta = (ScreenConversionAngle(u, v) + kScreenConversionTurn) / kScreenConversionDegrees;
    float r = std::sqrt(u * u + v * v) * ground;
    return {view.zoom * r * std::cos(theta), view.zoom * r * std::sin(theta)};
}

WorldPos ScreenConversion::ScreenToWorldFrom(float px, float py, const WorldPos& base, bool keepInside,
                                             const ScreenView& view)
{
    Vector2 offset = ScreenToWorldOffset(px, py, view);
    WorldPos result = base;
    result.x += offset.x;
    result.y += offset.y;
    result.Normalize();
    if (keepInside)
        result.ClampToLevel();
    return result;
}

Vector2 ScreenConversion::WorldToScreen(const WorldPos& position, const WorldPos& viewer, bool divideByZoom,
                                        const ScreenView& view)
{
    Vector2 d = viewer.DeltaTo(position);
    float r = std::sqrt(d.x * d.x + d.y * d.y);
    float theta = (ScreenConversionAngle(d.x, d.y) - kScreenConversionTurn) / kScreenConversionDegrees;
    float a = r * std::cos(theta);
    float b = r * std::sin(theta);
    if (divideByZoom) {
        a /= view.zoom;
        b /= view.zoom;
    }
    return {a / view.widening + kCentreX, kCentreY - b / view.GroundFactor()};
}

Vector2 ScreenConversion::WorldToScreenRaised(const WorldPos& position, const WorldPos& viewer, float height,
                                              const ScreenView& view)
{
    Vector2 point = WorldToScreen(position, viewer, true, view);
    // Heights are drawn zoomed like the ground: unzoomed, a tree's fade box fell short of its top.
    point.y -= height * view.HeightFactor() / view.zoom;
    return point;
}

ScreenBox ScreenConversion::GetEntityScreenBox(const EntityClient& entity, const WorldPos& viewer,
                                               const ScreenView& view)
{
    Vector2 p = WorldToScreen(entity.position, viewer, true, view);
    float r = std::max(entity.selectRadius, entity.radius);
    float h = 0.0f;
    if (const ModelResource* model = entity.GetLoadedModel())
        if (const AnimationResource* file = ModelAnimationFile(*model, entity.anim))
            h = file->GetFrameBoundsMax(static_cast<int32_t>(entity.frame)).z * entity.GetScale() * view.HeightFactor();
    float minimum = gGameData ? gGameData->GetTuning().minSelectionSize : 0.0f;
    float w = std::max(r, minimum);
    ScreenBox box;
    box.x1 = p.x - w;
    box.x2 = p.x + w;
    box.y1 = p.y + r / view.GroundFactor();
    box.y2 = p.y - std::max(h, kMinBoxHeight) / view.zoom;
    return box;
}

float ScreenConversion::GetPickWeight(const EntityClient& entity)
{
    return entity.GetPickPriority();
}

// ---- As the client sees now --------------------------------------------------------------------------

Vector2 Client::ScreenToWorldOffset(int32_t px, int32_t py)
{
    return ScreenConversion::ScreenToWorldOffset(static_cast<float>(px), static_cast<float>(py),
                                                 ScreenConversion::CurrentView());
}

WorldPos Client::ScreenToWorld(int32_t px, int32_t py, bool keepInside)
{
    return ScreenConversion::ScreenToWorldFrom(static_cast<float>(px), static_cast<float>(py), GetCameraTarget(),
                                               keepInside, ScreenConversion::CurrentView());
}

WorldPos Client::ScreenToWorldFrom(int32_t px, int32_t py, const WorldPos& base)
{
    return ScreenConversion::ScreenToWorldFrom(static_cast<float>(px), static_cast<float>(py), base, false,
                                               ScreenConversion::CurrentView());
}

Vector2 Client::WorldToScreen(const WorldPos& position, bool divideByZoom)
{
    return ScreenConversion::WorldToScreen(position, GetCameraTarget(), divideByZoom, ScreenConversion::CurrentView());
}

Vector2 Client::WorldToScreenRaised(const WorldPos& position, float height)
{
    return ScreenConversion::WorldToScreenRaised(position, GetCameraTarget(), height, ScreenConversion::CurrentView());
}

Vector2 Client::GetTargetScreenInfo(const WorldPos& position)
{
    return WorldToScreen(position, true);
}

ScreenBox Client::GetEntityScreenBox(const EntityClient& entity)
{
    return ScreenConversion::GetEntityScreenBox(entity, GetCameraTarget(), ScreenConversion::CurrentView());
}

EntityClient* Client::PickEntityAt(int32_t cursorX, int32_t cursorY, const EntityClient* ignored)
{
    if (!gClientApp || !gClientApp->IsActive() || !gGameClient)
        return nullptr;
    const EntityClient* ownBody = gClientApp->GetLocalPlayerEntity();
    const EntityClient* ownPlayer = gClientApp->GetLocalPlayer();
    bool ignoreOwn = ignored && (ignored == ownBody || ignored == ownPlayer);
    WorldPos viewer = GetCameraTarget();
    ScreenView view = ScreenConversion::CurrentView();
    auto cx = static_cast<float>(cursorX);
    auto cy = static_cast<float>(cursorY);
    EntityClient* best = nullptr;
    float bestWeight = 0.0f;
    float bestDistance = 0.0f;
    for (int32_t number = 0; number < GameClient::kMaxEntities; ++number) {
        EntityClient* entity = gGameClient->GetEntity(number);
        if (!entity || entity == ignored || (ignoreOwn && entity == ownBody) || entity->IsHidden())
            continue;
        ScreenBox box = ScreenConversion::GetEntityScreenBox(*entity, viewer, view);
        if (cx < box.x1 || cx > box.x2 || cy < box.y2 || cy > box.y1)
            continue;
        float weight = ScreenConversion::GetPickWeight(*entity);
        // What a click could not act on is looked through, so the click walks or reaches
        // what lies behind it.
        if (!(weight > 0.0f) || entity->GetClickAction(true, false) == 0)
            continue;
        float dx = cx - (box.x1 + box.x2) * 0.5f;
        float dy = cy - (box.y1 + box.y2) * 0.5f;
        float distance = dx * dx + dy * dy;
        if (!best || weight > bestWeight || (weight == bestWeight && distance < bestDistance)) {
            best = entity;
            bestWeight = weight;
            bestDistance = distance;
        }
    }
    return best;
}
