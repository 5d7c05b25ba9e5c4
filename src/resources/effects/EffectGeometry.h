// EffectGeometry -- the quad of a swipe's trail: a colour and texture coordinates at each corner.
#pragma once

#include "core/ColorSystem.h"
#include "core/Vector.h"

class ShaderBatch;

// One vertex colour: each channel times 255, rounded and clamped.
struct QuadColor {
    QuadColor() = default;
    QuadColor(const Color& color, float alpha);
    uint8_t bytes[4] = {255, 255, 255, 255};
};

// Corners in order around the quad, each with its colour and texture coordinates. Effects are
// drawn full-bright, so no normals are sent.
void AddEffectQuad(ShaderBatch& batch, const Vector3 (&corners)[4], const QuadColor (&colors)[4],
                   const float (&texCoords)[4][2]);
