// SwipeRenderSurface -- a queued trail: a strip through its samples' point pairs, each pair with its own alpha.
#include "resources/effects/SwipeRenderSurface.h"

#include "resources/effects/EffectGeometry.h"

void SwipeRenderSurface::AddGeometry(ShaderBatch& batch, bool)
{
    if (samples.size() < 2)
        return;
    float last = static_cast<float>(samples.size() - 1);
    for (size_t i = 0; i + 1 < samples.size(); ++i) {
        const Sample& newer = samples[i];
        const Sample& older = samples[i + 1];
        float u0 = static_cast<float>(i) / last;
        float u1 = static_cast<float>(i + 1) / last;
        const Vector3 corners[4] = {newer.point1, older.point1, older.point2, newer.point2};
        QuadColor newerTint(color, newer.alpha);
        QuadColor olderTint(color, older.alpha);
        const float texCoords[4][2] = {{u0, 0.0f}, {u1, 0.0f}, {u1, 1.0f}, {u0, 1.0f}};
        AddEffectQuad(batch, corners, {newerTint, olderTint, olderTint, newerTint}, texCoords);
    }
}
