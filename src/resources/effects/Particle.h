// Particle -- one pooled sprite of a particle effect: where it is, how it moves and how it looks.
#pragma once

#include "core/ColorSystem.h"
#include "core/Vector.h"
#include "resources/effects/EffectPos.h"

#include <cstdint>

class SwipeInstance;

struct Particle {
    // What a particle is when it goes back to the pool; its colour and position are left.
    void Reset()
    {
        isNew = false;
        age = 0.0f;
        scale = 1.0f;
        size = 0.0f;
        alpha = 1.0f;
        rotation = 0.0f;
        velocity = {};
        angularVelocity = {};
        bounces = 0;
    }

    // Set at spawn: the particle's first update only clears it, so it does not move in its first frame.
    bool isNew = false;
    float age = 0.0f;
    float scale = 1.0f;
    // Drawn size: scale times the definition's size.
    float size = 0.0f;
    float alpha = 1.0f;
    EffectPos position;
    // Degrees in [0, 360).
    float rotation = 0.0f;
    Vector3 velocity;
    // Degrees per second.
    Vector3 angularVelocity;
    Color color;
    int32_t bounces = 0;
    // The trail following this particle; the effect system unlinks both sides whenever either
    // goes back to its pool, so a trail never samples a particle that another effect now owns.
    SwipeInstance* swipe = nullptr;
};
