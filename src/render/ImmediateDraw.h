// ImmediateDraw -- small drawings made at once (lines, rectangles, the wire box, the cooldown sweep) and the matrix and plane helpers behind the camera and projected shadows.
#pragma once

#include "core/Color.h"
#include "core/Matrix.h"
#include "core/Vector.h"

#include <array>
#include <cstdint>

class GLApi;
class GLStateCache;
class ShaderBatch;

// Six vertices (two triangles) of a quad, laid out for the vertex, texture and colour arrays.
struct QuadVertices {
    float positions[18] = {};
    float texCoords[12] = {};
    uint8_t colors[24] = {};
};

// Texture coordinates of a quad: s0, t0 at its first corner, s1, t1 at the opposite one.
using QuadTexRect = std::array<float, 4>;

// A 2D box: min x, min y, max x, max y.
using Box2D = std::array<float, 4>;

// A plane n . p = distance.
struct Plane {
    Vector3 normal;
    float distance = 0.0f;
};

// A plane as the four numbers a, b, c, d of a x + b y + c z + d = 0.
using PlaneEquation = std::array<float, 4>;

// Main thread with the context held for the drawing operations; the helpers are plain arithmetic.
class ImmediateDraw {
public:
    // How long a tag's axes are drawn, in world units.
    static constexpr float kTagAxisLength = 8.0f;

    ImmediateDraw(GLApi& gl, GLStateCache& cache) : gl(gl), cache(cache) {}

    // The texture lines are drawn with (the white stock texture); -1 for none.
    void SetLineTexture(int32_t textureId) { lineTexture = textureId; }
    // A segment between two user-interface points (or world points for DrawLine3D); a pattern
    // other than 0xFFFF stipples it with factor 4.
    void DrawLine(float x0, float y0, float x1, float y1, float width, const Color& color, uint16_t pattern);
    void DrawLine3D(const Vector3& from, const Vector3& to, const Color& color, float width);
    // The three axes of the rotation's rows from the point, each length long, in red, green and
    // blue: how a model's tag is shown. On top: seen through what was drawn in front of them
    // (a tag often lies inside its model); the depth test is then left as it was.
    void DrawAxes(const Vector3& at, const Matrix3& axes, float length, bool onTop);
    // Four solid lines round the rectangle (user-interface points).
    void DrawRect(float left, float top, float right, float bottom, float width, const Color& color);
    // The twelve edges of the cube centre +- halfSize, width 1.
    void DrawWireBox(const Vector3& centre, float halfSize, const Color& color);

    // The quad a.x .. b.x x a.y .. b.y as two triangles. Corner colours go (a.x, a.y), (b.x, a.y),
    // (b.x, b.y), (a.x, b.y); vertices on a's y side take a's z, those on b's side b's z. An alpha
    // of 1 or more is opaque.
    static void EmitQuad(QuadVertices& out, const Vector3& a, const Vector3& b, const std::array<Color, 4>& corners,
                         float alpha, const QuadTexRect& texCoords);
    // One quad at z 0 with the GL texture (-1 for none), its wrap on both axes and blending on
    // with the two factors: the overlays multiplied over the world go through here.
    void DrawScreenQuad(int32_t texture, float x0, float y0, float x1, float y1, const Color& color, float alpha,
                        const QuadTexRect& texCoords, uint32_t wrap, uint32_t blendSource, uint32_t blendDestination);

    // The part of the rectangle swept clockwise on the screen from the middle of its top edge
    // (through the top-left corner, down the left edge, ...), as triangles from the centre with
    // texture coordinates following the positions (v 1 at the top). Nothing for fraction <= 0;
    // the whole rectangle from 1.
    static void AppendPieQuad(ShaderBatch& batch, float x, float y, float width, float height, const Color& color,
                              float alpha, float fraction);

    static void GrowBox2D(float x, float y, Box2D& box);
    // n = normalise((p1 - p0) x (p2 - p0)), distance = n . p0.
    static Plane PlaneFromPoints(const Vector3& p0, const Vector3& p1, const Vector3& p2);
    // n = normalise(a x b), distance = n . point.
    static Plane PlaneFromVectors(const Vector3& a, const Vector3& b, const Vector3& point);
    // The planar projection from the light onto the plane: with the z of both turned over and
    // the light's w 1, dot x identity - L (x) P, element (i, j) stored column by column (at
    // m[j][i]), so a row vector goes v x M as a column vector goes M v.
    static Matrix4 ShadowMatrix(const Vector3& light, const PlaneEquation& plane);
    // The game's z-up world axes to the library's eye axes: (x, y, z) -> (-y, z, -x).
    static Matrix4 AxisConversion();

private:
    void Lines(const float* points, int32_t vertexCount, float width, const Color& color, uint16_t pattern);

    GLApi& gl;
    GLStateCache& cache;
    int32_t lineTexture = -1;
    float linePoints[72] = {};
    QuadVertices quad;
};
