// BeamRenderSurface -- a queued beam: a strip of segments between two ends, its joints jittered from a seed.
#include "resources/effects/BeamRenderSurface.h"

#include "core/RandomSystem.h"
#include "resources/shaders/ScreenPrimitives.h"

namespace {

constexpr RandomStream kBeamJitterStream = RandomStream::GameData;

Vector3 Cross(const Vector3& a, const Vector3& b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

} // namespace

Vector3 BeamRenderSurface::SideAxis() const
{
    Vector3 side = Cross(end - start, view);
    return Vector3Normalize(side) > 1e-6f ? side : right;
}

Vector3 BeamRenderSurface::JointAt(int32_t joint, RandomSystem& jitter) const
{
    float t = static_cast<float>(joint) / static_cast<float>(segments);
    Vector3 point = start + (end - start) * t;
    if (joint <= 0 || joint >= segments)
        return point;
    Vector3 direction = jitter.RandomDirection3D(kBeamJitterStream);
    return point + direction * jitter.RandomRange(kBeamJitterStream, minOffset, maxOffset);
}

void BeamRenderSurface::AddGeometry(ShaderBatch& batch, bool)
{
    Vector3 side = SideAxis();
    Vector3 halfSide = side * 0.5f;
    // A system of its own: drawing a beam never moves the shared streams the game's picks use.
    RandomSystem jitter;
    jitter.SetState(kBeamJitterStream, seed);
    Vector3 from = start;
    float fromWidth = startSize;
    for (int32_t joint = 1; joint <= segments; ++joint) {
        Vector3 to = JointAt(joint, jitter);
        float toWidth = startSize + (endSize - startSize) * static_cast<float>(joint) / static_cast<float>(segments);
        // From the + side: the writer gives its corners v 1, 1, 0, 0, so v runs from the - edge (0) to the + (1).
        const Vector3 corners[4] = {from + halfSide * fromWidth, to + halfSide * toWidth, to - halfSide * toWidth,
                                    from - halfSide * fromWidth};
        ScreenPrimitives::AppendQuad(batch, corners, color, alpha);
        from = to;
        fromWidth = toWidth;
    }
}
