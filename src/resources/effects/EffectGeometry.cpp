// EffectGeometry -- the quad of a swipe's trail: a colour and texture coordinates at each corner.
#include "resources/effects/EffectGeometry.h"

#include "resources/shaders/ScreenPrimitives.h"

QuadColor::QuadColor(const Color& color, float alpha)
{
    uint32_t packed = Color::ToRGBA32(color, alpha);
    for (int channel = 0; channel < 4; ++channel)
        bytes[channel] = static_cast<uint8_t>(packed >> (8 * channel));
}

void AddEffectQuad(ShaderBatch& batch, const Vector3 (&corners)[4], const QuadColor (&colors)[4],
                   const float (&texCoords)[4][2])
{
    // The writer splits the quad along the same diagonal, 0 to 2; effects are drawn without
    // face culling, so its winding changes nothing on the screen.
    ScreenVertex records[4];
    for (int corner = 0; corner < 4; ++corner) {
        const uint8_t* bytes = colors[corner].bytes;
        // byte / 255 rounds back to the same byte in the writer.
        records[corner] = {corners[corner].x, corners[corner].y, corners[corner].z, texCoords[corner][0],
                           texCoords[corner][1], Color{bytes[0] / 255.0f, bytes[1] / 255.0f, bytes[2] / 255.0f},
                           bytes[3] / 255.0f};
    }
    ScreenPrimitives::AppendVertexQuad(batch, records);
}
