// FrameScene -- what the frame asks of the running game on the client side: whether it runs, where the camera looks, the entities to queue and their overlays, the player's sight.
#pragma once

#include "world/WorldPos.h"
#include "world/WorldPos3.h"

#include <array>

class WorldView;

// The client fills it; without one (menus only, the editors) the frame draws no world.
class FrameScene {
public:
    virtual ~FrameScene() = default;

    virtual bool IsGameRunning() const = 0;
    virtual bool IsPaused() const = 0;
    // The local player's place; false when there is none to look at.
    virtual bool GetCameraTarget(WorldPos& out) const = 0;
    // Each entity's model surfaces and light, the local player first.
    virtual void DrawEntities(WorldView& view) = 0;
    // Each entity's two-dimensional overlay, the local player first.
    virtual void DrawEntityOverlays() = 0;
    virtual bool HasLocalPlayer() const = 0;
    // The whole map shown (the client game's reveal flag): no fog over the world.
    virtual bool IsRevealed() const = 0;
    // 0 (unseen) .. 1 (in plain sight) at a ground point, by the local player's sight.
    virtual float GetVisibility(const WorldPos& position) const = 0;
    // The local player's box on the screen, in pixels: left, top, right, bottom; false without one.
    virtual bool GetLocalPlayerScreenBox(std::array<float, 4>& out) const = 0;
    // A point height units above a world point, in 640 x 480 user-interface units.
    virtual Vector2 WorldToScreenRaised(const WorldPos3& position, float height) const = 0;
};
