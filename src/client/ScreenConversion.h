// ScreenConversion -- between points of the 640 x 480 screen and world positions on the isometric view, the box an entity covers on the screen, and the entity under the cursor.
#pragma once

#include "core/Vector.h"
#include "world/WorldPos.h"

#include <cmath>
#include <cstdint>

class EntityClient;

// What the conversions read of the world view: the camera's ratio of ground distance to height
// (S), the applied zoom (Z) and the wide-screen factor (A).
struct ScreenView {
    // The normal camera's ratio: 1000 units back along (-1, 1, -1).
    static constexpr float kDefaultRatio = 1.41421356f;
    float ratio = kDefaultRatio;
    float zoom = 1.0f;
    float widening = 1.0f;

    // The world is seen orthographically, so a step on the ground along the line of sight shows
    // shortened by the eye's distance over its height: sqrt(S * S + 1), 3 ^ 0.5 for the normal
    // camera and 1 looking straight down (where S itself is 0).
    float GroundFactor() const { return std::sqrt(ratio * ratio + 1.0f); }
    // A unit of height shows as the cosine of the view's elevation: none looking straight down.
    float HeightFactor() const { return ratio / GroundFactor(); }
};

// Screen corners: (x1, y1) the bottom left, (x2, y2) the top right.
struct ScreenBox {
    float x1 = 0.0f;
    float y1 = 0.0f;
    float x2 = 0.0f;
    float y2 = 0.0f;
};

namespace ScreenConversion {

constexpr float kCentreX = 320.0f;
constexpr float kCentreY = 240.0f;
// The least height of an entity's box above its place, in screen units at zoom 1.
constexpr float kMinBoxHeight = 72.0f;

// The renderer's camera and the user var "zoom" (a value that is not finite counts as 1.0);
// without a renderer, the normal camera on a 4:3 screen.
ScreenView CurrentView();
// The wide-screen factor of a display mode: (W / H) / (4 / 3) above 1.4 : 1, else 1; the renderer's
// rule, so that a click lands where the world was drawn.
float Widening(int32_t width, int32_t height);

Vector2 ScreenToWorldOffset(float px, float py, const ScreenView& view);
// The base plus the offset, carried across a level edge; with keepInside, held inside the level.
WorldPos ScreenToWorldFrom(float px, float py, const WorldPos& base, bool keepInside, const ScreenView& view);
// The screen point of a position seen from the viewer's position (in the viewer's level).
Vector2 WorldToScreen(const WorldPos& position, const WorldPos& viewer, bool divideByZoom, const ScreenView& view);
Vector2 WorldToScreenRaised(const WorldPos& position, const WorldPos& viewer, float height, const ScreenView& view);
ScreenBox GetEntityScreenBox(const EntityClient& entity, const WorldPos& viewer, const ScreenView& view);
// 0 for an entity at no opacity or no health; 0.75 for things lying on the ground; else 1.
float GetPickWeight(const EntityClient& entity);

} // namespace ScreenConversion

// The conversions as the client sees now: from the local player's place (the camera target)
// through the current view.
namespace Client {
Vector2 ScreenToWorldOffset(int32_t px, int32_t py);
WorldPos ScreenToWorld(int32_t px, int32_t py, bool keepInside);
WorldPos ScreenToWorldFrom(int32_t px, int32_t py, const WorldPos& base);
Vector2 WorldToScreen(const WorldPos& position, bool divideByZoom);
Vector2 WorldToScreenRaised(const WorldPos& position, float height);
// Where a world position stands on screen, zoom applied: the origin of what is drawn beside it.
Vector2 GetTargetScreenInfo(const WorldPos& position);
ScreenBox GetEntityScreenBox(const EntityClient& entity);
// The entity whose box holds the cursor, the heaviest and then the nearest to its box's centre
// (the earlier of a tie), passing over what a click could not act on (a corpse, scenery); null
// while the client is not active.
EntityClient* PickEntityAt(int32_t cursorX, int32_t cursorY, const EntityClient* ignored);
} // namespace Client
