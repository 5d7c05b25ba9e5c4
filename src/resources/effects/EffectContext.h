// EffectContext -- the client's services that live effects use: pause, entity look-ups, weather, camera, sound and level edges.
#pragma once

#include "core/Vector.h"
#include "resources/effects/EffectPos.h"

#include <cstdint>

class EffectHost;

// The client derives from this and hands it to the effect system. The defaults stand for a
// client without a world: never paused, no entities, no weather, one level without edges.
class EffectContext {
public:
    virtual ~EffectContext() = default;

    virtual bool IsPaused() { return false; }
    // Some menu shown over a pause still wants effects to move.
    virtual bool WantsAnimationWhilePaused() { return false; }
    // The entity the local player's record names as hidden (a first-person or camera entity).
    virtual EffectHost* GetHiddenEntity() { return nullptr; }
    // The client entity of that number; null for -1 or an empty slot.
    virtual EffectHost* GetEntity(int32_t) { return nullptr; }
    // The client entity owned by the owner with that sub-id, or null.
    virtual EffectHost* FindEntityByOwner(EffectHost*, int32_t) { return nullptr; }

    // The weather factor of the area where the local player stands, and the weather's strength and wind.
    virtual float GetAreaWeatherFactor() { return 0.0f; }
    virtual float GetWeatherStrength() { return 0.0f; }
    virtual Vector2 GetWind() { return {}; }

    // The camera projection of a position (higher points stand higher on the screen).
    virtual Vector2 WorldToScreen(const EffectPos& position) { return {position.point.x, position.point.y}; }
    // Plays a sound resource at the position when sound is on and a channel is free.
    virtual void PlaySound(int32_t, const EffectPos&) {}

    // The position moved by the vector, carried into the neighbouring level past an edge.
    virtual EffectPos Add(const EffectPos& position, const Vector3& offset)
    {
        return {position.level, position.point + offset};
    }
    // The vector from one position to the other, the other taken into the first's level frame.
    virtual Vector3 Delta(const EffectPos& from, const EffectPos& to) { return to.point - from.point; }
    // The position in the frame of the level being drawn.
    virtual Vector3 ToRenderSpace(const EffectPos& position) { return position.point; }
};
