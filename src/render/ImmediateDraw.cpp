// ImmediateDraw -- small drawings made at once (lines, rectangles, the wire box, the cooldown sweep) and the matrix and plane helpers behind the camera and projected shadows.
#include "render/ImmediateDraw.h"

#include "render/GLApi.h"
#include "render/GLStateCache.h"
#include "resources/shaders/ScreenPrimitives.h"
#include "resources/shaders/ShaderBatch.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

namespace {

Vector3 ImmediateDrawCross(const Vector3& a, const Vector3& b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

float ImmediateDrawDot(const Vector3& a, const Vector3& b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

} // namespace

void ImmediateDraw::Lines(const float* points, int32_t vertexCount, float width, const Color& color,
                          uint16_t pattern)
{
    cache.SetEnabled(GL_TEXTURE_2D, lineTexture >= 0);
    cache.BindTexture(lineTexture >= 0 ? static_cast<uint32_t>(lineTexture) : 0);
    cache.SetWrap(GL_REPEAT, GL_REPEAT);
    gl.PolygonMode(GL_LINE);
    bool stippled = pattern != 0xFFFF;
    if (stippled)
        gl.LineStipple(4, pattern);
    gl.LineWidth(width);
    gl.Color3f(color.r, color.g, color.b);
    gl.DisableClientState(GL_COLOR_ARRAY);
    gl.DisableClientState(GL_TEXTURE_COORD_ARRAY);
    gl.EnableClientState(GL_VERTEX_ARRAY);
    gl.VertexPointer(3, 0, points);
    gl.DrawLines(vertexCount);
    gl.DisableClientState(GL_VERTEX_ARRAY);
    if (stippled)
        gl.LineStipple(0, 0);
    gl.PolygonMode(GL_FILL);
}

void ImmediateDraw::DrawLine(float x0, float y0, float x1, float y1, float width, const Color& color,
                             uint16_t pattern)
{
    const float points[6] = {x0, y0, 0.0f, x1, y1, 0.0f};
    std::copy_n(points, 6, linePoints);
    Lines(linePoints, 2, width, color, pattern);
}

void ImmediateDraw::DrawLine3D(const Vector3& from, const Vector3& to, const Color& color, float width)
{
    const float points[6] = {from.x, from.y, from.z, to.x, to.y, to.z};
    std::copy_n(points, 6, linePoints);
    Lines(linePoints, 2, width, color, 0xFFFF);
}

void ImmediateDraw::DrawAxes(const Vector3& at, const Matrix3& axes, float length, bool onTop)
{
    bool depthTest = cache.IsEnabled(GL_DEPTH_TEST);
    if (onTop)
        cache.SetEnabled(GL_DEPTH_TEST, false);
    const Color colours[3] = {{1.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f}, {0.0f, 0.0f, 1.0f}};
    for (int32_t axis = 0; axis < 3; ++axis) {
        Vector3 along{axes.m[axis][0], axes.m[axis][1], axes.m[axis][2]};
        float size = std::sqrt(along.x * along.x + along.y * along.y + along.z * along.z);
        if (!(size > 0.0f))
            continue;
        float reach = length / size;
        DrawLine3D(at, Vector3{at.x + along.x * reach, at.y + along.y * reach, at.z + along.z * reach}, colours[axis],
                   1.0f);
    }
    if (onTop)
        cache.SetEnabled(GL_DEPTH_TEST, depthTest);
}

void ImmediateDraw::DrawRect(float left, float top, float right, float bottom, float width, const Color& color)
{
    DrawLine(left, top, right, top, width, color, 0xFFFF);
    DrawLine(right, top, right, bottom, width, color, 0xFFFF);
    DrawLine(right, bottom, left, bottom, width, color, 0xFFFF);
    DrawLine(left, bottom, left, top, width, color, 0xFFFF);
}

void ImmediateDraw::DrawWireBox(const Vector3& centre, float halfSize, const Color& color)
{
    // Corner k has x +r when bit 0 is set, y when bit 1, z when bit 2; an edge joins two
    // corners one bit apart.
    int32_t count = 0;
    for (int corner = 0; corner < 8; ++corner) {
        for (int bit = 1; bit < 8; bit <<= 1) {
            if (corner & bit)
                continue;
            for (int end : {corner, corner | bit}) {
                linePoints[count * 3] = centre.x + ((end & 1) ? halfSize : -halfSize);
                linePoints[count * 3 + 1] = centre.y + ((end & 2) ? halfSize : -halfSize);
                linePoints[count * 3 + 2] = centre.z + ((end & 4) ? halfSize : -halfSize);
                ++count;
            }
        }
    }
    Lines(linePoints, count, 1.0f, color, 0xFFFF);
}

void ImmediateDraw::EmitQuad(QuadVertices& out, const Vector3& a, const Vector3& b,
                             const std::array<Color, 4>& corners, float alpha, const QuadTexRect& texCoords)
{
    // Corner k lies on b's x side when bit "right" is set and on b's y side when "far" is.
    const bool rightSide[4] = {false, true, true, false};
    const bool farSide[4] = {false, false, true, true};
    const int order[6] = {0, 1, 2, 0, 2, 3};
    for (int vertex = 0; vertex < 6; ++vertex) {
        int corner = order[vertex];
        bool right = rightSide[corner];
        bool far = farSide[corner];
        out.positions[vertex * 3] = right ? b.x : a.x;
        out.positions[vertex * 3 + 1] = far ? b.y : a.y;
        out.positions[vertex * 3 + 2] = far ? b.z : a.z;
        out.texCoords[vertex * 2] = right ? texCoords[2] : texCoords[0];
        out.texCoords[vertex * 2 + 1] = far ? texCoords[3] : texCoords[1];
        uint32_t packed = Color::ToRGBA32(corners[static_cast<size_t>(corner)], alpha);
        for (int channel = 0; channel < 4; ++channel)
            out.colors[vertex * 4 + channel] = static_cast<uint8_t>(packed >> (8 * channel));
    }
}

void ImmediateDraw::DrawScreenQuad(int32_t texture, float x0, float y0, float x1, float y1, const Color& color,
                                   float alpha, const QuadTexRect& texCoords, uint32_t wrap, uint32_t blendSource,
                                   uint32_t blendDestination)
{
    static const uint16_t kImmediateDrawQuadIndexes[6] = {0, 1, 2, 3, 4, 5};
    cache.SetBlend(true, blendSource, blendDestination);
    cache.SetEnabled(GL_TEXTURE_2D, texture >= 0);
    cache.BindTexture(texture >= 0 ? static_cast<uint32_t>(texture) : 0);
    cache.SetWrap(wrap, wrap);
    EmitQuad(quad, Vector3{x0, y0, 0.0f}, Vector3{x1, y1, 0.0f}, {color, color, color, color}, alpha, texCoords);
    gl.EnableClientState(GL_VERTEX_ARRAY);
    gl.EnableClientState(GL_TEXTURE_COORD_ARRAY);
    gl.EnableClientState(GL_COLOR_ARRAY);
    gl.VertexPointer(3, 0, quad.positions);
    gl.TexCoordPointer(2, 0, quad.texCoords);
    gl.ColorPointer(4, 0, quad.colors);
    gl.DrawTriangles(6, kImmediateDrawQuadIndexes);
    gl.DisableClientState(GL_COLOR_ARRAY);
    gl.DisableClientState(GL_TEXTURE_COORD_ARRAY);
    gl.DisableClientState(GL_VERTEX_ARRAY);
}

void ImmediateDraw::AppendPieQuad(ShaderBatch& batch, float x, float y, float width, float height,
                                  const Color& color, float alpha, float fraction)
{
    if (!batch.IsActive() || !(fraction > 0.0f))
        return;
    const float centreX = x + width / 2.0f;
    const float centreY = y + height / 2.0f;
    // The outline in five pieces: where each starts and ends, and its share of the sweep.
    const float corners[6][2] = {{centreX, y}, {x, y}, {x, y + height}, {x + width, y + height}, {x + width, y},
                                 {centreX, y}};
    const float starts[5] = {0.0f, 0.125f, 0.375f, 0.625f, 0.875f};
    const float shares[5] = {0.125f, 0.25f, 0.25f, 0.25f, 0.125f};
    auto record = [&](float px, float py) {
        return ScreenVertex{px, py, 0.0f, width != 0.0f ? (px - x) / width : 0.0f,
                            height != 0.0f ? 1.0f - (py - y) / height : 0.0f, color, alpha};
    };
    for (int piece = 0; piece < 5; ++piece) {
        float progress = std::min((fraction - starts[piece]) / shares[piece], 1.0f);
        if (progress <= 0.0f)
            break;
        const float* from = corners[piece];
        const float* to = corners[piece + 1];
        // The writer's triangle is 0 2 1: the end goes second so that it runs centre, start, end.
        const ScreenVertex slice[3] = {
            record(centreX, centreY),
            record(from[0] + (to[0] - from[0]) * progress, from[1] + (to[1] - from[1]) * progress),
            record(from[0], from[1]),
        };
        ScreenPrimitives::AppendScreenTriangle(batch, slice);
    }
}

void ImmediateDraw::GrowBox2D(float x, float y, Box2D& box)
{
    box[0] = std::min(box[0], x);
    box[1] = std::min(box[1], y);
    box[2] = std::max(box[2], x);
    box[3] = std::max(box[3], y);
}

Plane ImmediateDraw::PlaneFromPoints(const Vector3& p0, const Vector3& p1, const Vector3& p2)
{
    return PlaneFromVectors(p1 - p0, p2 - p0, p0);
}

Plane ImmediateDraw::PlaneFromVectors(const Vector3& a, const Vector3& b, const Vector3& point)
{
    Plane plane;
    plane.normal = ImmediateDrawCross(a, b);
    Vector3Normalize(plane.normal);
    plane.distance = ImmediateDrawDot(plane.normal, point);
    return plane;
}

Matrix4 ImmediateDraw::ShadowMatrix(const Vector3& light, const PlaneEquation& plane)
{
    const float l[4] = {light.x, light.y, -light.z, 1.0f};
    const float p[4] = {plane[0], plane[1], -plane[2], plane[3]};
    float dot = p[0] * l[0] + p[1] * l[1] + p[2] * l[2] + p[3];
    Matrix4 shadow;
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j)
            shadow.m[j][i] = (i == j ? dot : 0.0f) - l[i] * p[j];
    }
    return shadow;
}

Matrix4 ImmediateDraw::AxisConversion()
{
    Matrix4 axes;
    axes.m[0][2] = -1.0f;
    axes.m[1][0] = -1.0f;
    axes.m[2][1] = 1.0f;
    axes.m[3][3] = 1.0f;
    return axes;
}
