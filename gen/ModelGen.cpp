// ModelGen -- the skeletal models' binary files (skeletons, meshes, animations), the creatures' skin textures and the effect models' sprite frames.
#include "gen/ArchiveWriter.h"
#include "gen/ContentFamilies.h"
#include "gen/Image.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

// ---- Math in the engine's conventions: quaternions x, y, z, w; row vectors times matrices.

constexpr float kPi = 3.14159265f;

struct Vec3 {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
};

Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }

Vec3 Cross(Vec3 a, Vec3 b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

Vec3 Normalized(Vec3 v)
{
    float length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    return length > 0.0f ? Vec3{v.x / length, v.y / length, v.z / length} : v;
}

struct Quat {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
    float w = 1.0f;
};

Quat Multiply(Quat a, Quat b)
{
    return {a.w * b.x + a.x * b.w + a.y * b.z - a.z * b.y, a.w * b.y - a.x * b.z + a.y * b.w + a.z * b.x,
            a.w * b.z + a.x * b.y - a.y * b.x + a.z * b.w, a.w * b.w - a.x * b.x - a.y * b.y - a.z * b.z};
}

Quat AxisAngle(Vec3 axis, float degrees)
{
    float half = degrees * kPi / 360.0f;
    float s = std::sin(half);
    return {axis.x * s, axis.y * s, axis.z * s, std::cos(half)};
}

struct Mat3 {
    float m[3][3];
};

Mat3 ToMatrix(Quat q)
{
    return {{{1 - 2 * (q.y * q.y + q.z * q.z), 2 * (q.x * q.y - q.z * q.w), 2 * (q.x * q.z + q.y * q.w)},
             {2 * (q.x * q.y + q.z * q.w), 1 - 2 * (q.x * q.x + q.z * q.z), 2 * (q.y * q.z - q.x * q.w)},
             {2 * (q.x * q.z - q.y * q.w), 2 * (q.y * q.z + q.x * q.w), 1 - 2 * (q.x * q.x + q.y * q.y)}}};
}

Vec3 Times(Vec3 v, const Mat3& m)
{
    return {v.x * m.m[0][0] + v.y * m.m[1][0] + v.z * m.m[2][0], v.x * m.m[0][1] + v.y * m.m[1][1] + v.z * m.m[2][1],
            v.x * m.m[0][2] + v.y * m.m[1][2] + v.z * m.m[2][2]};
}

const Vec3 kAxisX{1.0f, 0.0f, 0.0f};
const Vec3 kAxisY{0.0f, 1.0f, 0.0f};
const Vec3 kAxisZ{0.0f, 0.0f, 1.0f};

// ---- Little-endian 4-byte words, the only field width of the model files.

class Words {
public:
    void Int(int32_t value)
    {
        auto bits = static_cast<uint32_t>(value);
        for (int shift = 0; shift < 32; shift += 8)
            bytes.push_back(static_cast<uint8_t>(bits >> shift));
    }
    void Float(float value)
    {
        int32_t bits = 0;
        std::memcpy(&bits, &value, sizeof(bits));
        Int(bits);
    }
    void Vector(Vec3 v)
    {
        Float(v.x);
        Float(v.y);
        Float(v.z);
    }
    // NUL-terminated, padded so that the next field stays on a 4-byte boundary.
    void Text(const std::string& text)
    {
        bytes.insert(bytes.end(), text.begin(), text.end());
        do
            bytes.push_back(0);
        while (bytes.size() % 4 != 0);
    }
    int32_t Size() const { return static_cast<int32_t>(bytes.size()); }

    std::vector<uint8_t> bytes;
};

// ---- Rigs: bones carrying convex shapes, each face's corners counter-clockwise seen from outside.

using Face = std::vector<Vec3>;
using Shape = std::vector<Face>;

Shape Box(Vec3 lo, Vec3 hi)
{
    auto at = [&](int i) { return Vec3{i & 1 ? hi.x : lo.x, i & 2 ? hi.y : lo.y, i & 4 ? hi.z : lo.z}; };
    return {{at(0), at(2), at(3), at(1)}, {at(4), at(5), at(7), at(6)}, {at(0), at(1), at(5), at(4)},
            {at(2), at(6), at(7), at(3)}, {at(0), at(4), at(6), at(2)}, {at(1), at(3), at(7), at(5)}};
}

// A triangle in the x-z plane, (x0, z0) (x1, z0) (apexX, apexZ), drawn out along y.
Shape PrismY(float x0, float x1, float z0, float apexX, float apexZ, float y0, float y1)
{
    Vec3 a0{x0, y0, z0}, b0{x1, y0, z0}, c0{apexX, y0, apexZ};
    Vec3 a1{x0, y1, z0}, b1{x1, y1, z0}, c1{apexX, y1, apexZ};
    return {{a0, b0, c0}, {a1, c1, b1}, {a0, a1, b1, b0}, {b0, b1, c1, c0}, {c0, c1, a1, a0}};
}

struct Bone {
    std::string name;
    int parent;
    Vec3 rest; // from the parent, unturned
    std::vector<Shape> shapes;
    int surface;
};

struct Rig {
    std::vector<Bone> bones;

    int Find(const char* name) const
    {
        for (size_t i = 0; i < bones.size(); ++i) {
            if (bones[i].name == name)
                return static_cast<int>(i);
        }
        std::fprintf(stderr, "emberlode_contentgen: no bone %s\n", name);
        return 0;
    }
};

// One frame: each bone's rotation and position relative to its parent, and the root motion.
struct Pose {
    explicit Pose(const Rig& rig) : rig(rig), rotation(rig.bones.size()), position(rig.bones.size())
    {
        for (size_t i = 0; i < rig.bones.size(); ++i)
            position[i] = rig.bones[i].rest;
    }
    void Turn(const char* bone, Vec3 axis, float degrees)
    {
        Quat& q = rotation[static_cast<size_t>(rig.Find(bone))];
        q = Multiply(q, AxisAngle(axis, degrees));
    }
    void Move(const char* bone, Vec3 by)
    {
        Vec3& p = position[static_cast<size_t>(rig.Find(bone))];
        p = p + by;
    }

    const Rig& rig;
    std::vector<Quat> rotation;
    std::vector<Vec3> position;
    float rootMotion = 0.0f;
};

// Each bone in model space, posed from the root down as the engine poses it.
void PoseModel(const Pose& pose, std::vector<Vec3>& positions, std::vector<Quat>& rotations)
{
    size_t count = pose.rig.bones.size();
    positions.assign(count, {});
    rotations.assign(count, {});
    for (size_t i = 0; i < count; ++i) {
        int parent = pose.rig.bones[i].parent;
        if (parent < 0) {
            positions[i] = pose.position[i];
            rotations[i] = pose.rotation[i];
            continue;
        }
        auto p = static_cast<size_t>(parent);
        positions[i] = positions[p] + Times(pose.position[i], ToMatrix(rotations[p]));
        rotations[i] = Multiply(rotations[p], pose.rotation[i]);
    }
}

// Time t in [0, 1] through keys (time, value), linear between them.
float Keys(float t, std::initializer_list<std::pair<float, float>> keys)
{
    const std::pair<float, float>* before = keys.begin();
    for (const auto& key : keys) {
        if (t <= key.first) {
            float span = key.first - before->first;
            float f = span > 0.0f ? (t - before->first) / span : 1.0f;
            return before->second + (key.second - before->second) * f;
        }
        before = &key;
    }
    return before->second;
}

// A pose for frame f of n: loops take t = f / n so that the last frame leads back to the first;
// one-shot clips take t = f / (n - 1) and end on their final pose.
using ClipPose = std::function<void(Pose&, float t)>;

struct Clip {
    const char* file;
    int frames;
    bool loops;
    ClipPose pose;
};

// ---- The files.

std::vector<uint8_t> SkeletonFile(const Rig& rig)
{
    Words words;
    auto count = static_cast<int32_t>(rig.bones.size());
    words.Int(0);
    words.Int(0);
    words.Int(count);
    int32_t nameOffset = 12 + count * 8;
    for (const Bone& bone : rig.bones) {
        words.Int(bone.parent);
        words.Int(nameOffset);
        nameOffset += static_cast<int32_t>((bone.name.size() / 4 + 1) * 4);
    }
    for (const Bone& bone : rig.bones)
        words.Text(bone.name);
    return words.bytes;
}

struct MeshVertex {
    float u, v;
    Vec3 normal;
    int32_t bone;
    Vec3 position;
};

struct MeshSurface {
    int32_t id = 0;
    std::vector<MeshVertex> vertices;
    std::vector<int32_t> triangles; // three indices each, from the surface's first vertex
};

void AddShape(MeshSurface& surface, const Shape& shape, int32_t bone)
{
    static const float kU[] = {0.0f, 1.0f, 1.0f, 0.0f};
    static const float kV[] = {0.0f, 0.0f, 1.0f, 1.0f};
    for (const Face& face : shape) {
        Vec3 normal = Normalized(Cross(face[1] - face[0], face[2] - face[0]));
        auto first = static_cast<int32_t>(surface.vertices.size());
        for (size_t c = 0; c < face.size(); ++c)
            surface.vertices.push_back({face.size() == 3 && c == 2 ? 0.5f : kU[c], kV[c], normal, bone, face[c]});
        for (int32_t c = 2; c < static_cast<int32_t>(face.size()); ++c)
            surface.triangles.insert(surface.triangles.end(), {first, first + c - 1, first + c});
    }
}

std::vector<MeshSurface> BuildSurfaces(const Rig& rig)
{
    std::vector<MeshSurface> surfaces;
    for (size_t b = 0; b < rig.bones.size(); ++b) {
        const Bone& bone = rig.bones[b];
        auto found = std::find_if(surfaces.begin(), surfaces.end(), [&](const MeshSurface& s) { return s.id == bone.surface; });
        MeshSurface& surface = found != surfaces.end() ? *found : surfaces.emplace_back();
        surface.id = bone.surface;
        for (const Shape& shape : bone.shapes)
            AddShape(surface, shape, static_cast<int32_t>(b));
    }
    return surfaces;
}

// Version 1: header, surface table, every triangle, every vertex, then the weights to the end.
// Each vertex has one weight: its corner in its bone's unturned frame.
std::vector<uint8_t> MeshFile(const Rig& rig)
{
    std::vector<MeshSurface> surfaces = BuildSurfaces(rig);
    int32_t triangles = 0;
    int32_t vertices = 0;
    for (const MeshSurface& s : surfaces) {
        triangles += static_cast<int32_t>(s.triangles.size() / 3);
        vertices += static_cast<int32_t>(s.vertices.size());
    }
    auto surfaceCount = static_cast<int32_t>(surfaces.size());
    int32_t surfaceOffset = 36;
    int32_t triangleOffset = surfaceOffset + surfaceCount * 20;
    int32_t vertexOffset = triangleOffset + triangles * 12;
    int32_t weightOffset = vertexOffset + vertices * 28;
    Words words;
    for (int32_t value : {0, 1, surfaceCount, triangles, vertices, surfaceOffset, triangleOffset, vertexOffset, weightOffset})
        words.Int(value);
    int32_t triangleAt = triangleOffset;
    int32_t vertexAt = vertexOffset;
    for (const MeshSurface& s : surfaces) {
        auto surfaceTriangles = static_cast<int32_t>(s.triangles.size() / 3);
        auto surfaceVertices = static_cast<int32_t>(s.vertices.size());
        for (int32_t value : {s.id, surfaceTriangles, surfaceVertices, triangleAt, vertexAt})
            words.Int(value);
        triangleAt += surfaceTriangles * 12;
        vertexAt += surfaceVertices * 28;
    }
    for (const MeshSurface& s : surfaces) {
        for (int32_t index : s.triangles)
            words.Int(index);
    }
    int32_t weight = 0;
    for (const MeshSurface& s : surfaces) {
        for (const MeshVertex& v : s.vertices) {
            words.Float(v.u);
            words.Float(v.v);
            words.Vector(v.normal);
            words.Int(1);
            words.Int(weight++);
        }
    }
    for (const MeshSurface& s : surfaces) {
        for (const MeshVertex& v : s.vertices) {
            words.Int(v.bone);
            words.Vector(v.position);
            words.Float(1.0f);
        }
    }
    return words.bytes;
}

// The box around every corner of the posed shapes, and the radius of the sphere around it.
void WriteBounds(Words& words, const Pose& pose)
{
    std::vector<Vec3> positions;
    std::vector<Quat> rotations;
    PoseModel(pose, positions, rotations);
    Vec3 lo{1e9f, 1e9f, 1e9f};
    Vec3 hi{-1e9f, -1e9f, -1e9f};
    for (size_t b = 0; b < pose.rig.bones.size(); ++b) {
        for (const Shape& shape : pose.rig.bones[b].shapes) {
            for (const Face& face : shape) {
                for (Vec3 corner : face) {
                    Vec3 v = positions[b] + Times(corner, ToMatrix(rotations[b]));
                    lo = {std::min(lo.x, v.x), std::min(lo.y, v.y), std::min(lo.z, v.z)};
                    hi = {std::max(hi.x, v.x), std::max(hi.y, v.y), std::max(hi.z, v.z)};
                }
            }
        }
    }
    Vec3 size = hi - lo;
    words.Vector(lo);
    words.Vector(hi);
    words.Float(0.5f * std::sqrt(size.x * size.x + size.y * size.y + size.z * size.z));
}

// Version 2: header, poses frame after frame, root motion, bounds.
std::vector<uint8_t> AnimationFile(const Rig& rig, const Clip& clip)
{
    auto bones = static_cast<int32_t>(rig.bones.size());
    std::vector<Pose> frames;
    for (int f = 0; f < clip.frames; ++f) {
        float t = clip.loops ? static_cast<float>(f) / static_cast<float>(clip.frames)
                             : clip.frames > 1 ? static_cast<float>(f) / static_cast<float>(clip.frames - 1) : 1.0f;
        clip.pose(frames.emplace_back(rig), t);
    }
    int32_t poseOffset = 28;
    int32_t rootOffset = poseOffset + clip.frames * bones * 28;
    int32_t boundsOffset = rootOffset + clip.frames * 12;
    Words words;
    for (int32_t value : {0, 2, clip.frames, bones, poseOffset, rootOffset, boundsOffset})
        words.Int(value);
    for (const Pose& pose : frames) {
        for (int32_t b = 0; b < bones; ++b) {
            const Quat& q = pose.rotation[static_cast<size_t>(b)];
            for (float value : {q.x, q.y, q.z, q.w})
                words.Float(value);
            words.Vector(pose.position[static_cast<size_t>(b)]);
        }
    }
    for (const Pose& pose : frames)
        words.Vector({pose.rootMotion, 0.0f, 0.0f});
    for (const Pose& pose : frames)
        WriteBounds(words, pose);
    return words.bytes;
}

bool AddRig(ArchiveWriter& archive, const std::string& folder, const std::string& name, const Rig& rig,
            const std::vector<Clip>& clips)
{
    std::string stem = folder + name;
    bool ok = archive.Add(stem + ".mds", SkeletonFile(rig)) && archive.Add(stem + ".mdm", MeshFile(rig));
    for (const Clip& clip : clips)
        ok = ok && archive.Add(stem + "_" + clip.file + ".mda", AnimationFile(rig, clip));
    return ok;
}

float Wave(float t) { return std::sin(2.0f * kPi * t); }

// ---- The humanoid: goblins, their shamans, skeletons and townsfolk share it, each in its own skin.

// Two surfaces a model at most, so that a skin can give a head, lid, leaf or flame its own shader.
constexpr int kMainSurface = 1;
constexpr int kSecondSurface = 2;

Bone Limb(const char* name, int parent, Vec3 rest, float half, float length)
{
    return {name, parent, rest, {Box({-half, -half, -length}, {half, half, 0.0f})}, kMainSurface};
}

Rig Humanoid()
{
    Rig rig;
    rig.bones = {
        {"pelvis", -1, {0, 0, 22}, {Box({-4, -7, -3}, {4, 7, 3})}, kMainSurface},
        {"spine", 0, {0, 0, 3}, {Box({-3.5f, -6.5f, 0}, {3.5f, 6.5f, 8})}, kMainSurface},
        {"chest", 1, {0, 0, 8}, {Box({-4, -8, 0}, {4, 8, 10})}, kMainSurface},
        {"head", 2, {0, 0, 11}, {Box({-4, -4, 0}, {4, 4, 8}), PrismY(2, 6, 3, 4, 6, -1, 1)}, kSecondSurface},
        Limb("arm_l", 2, {0, 10, 9}, 2.0f, 11.0f),
        Limb("hand_l", 4, {0, 0, -11}, 1.8f, 10.0f),
        Limb("arm_r", 2, {0, -10, 9}, 2.0f, 11.0f),
        Limb("hand_r", 6, {0, 0, -11}, 1.8f, 10.0f),
        Limb("thigh_l", 0, {0, 4, -3}, 2.5f, 10.0f),
        {"shin_l", 8, {0, 0, -10}, {Box({-2.5f, -2.5f, -9}, {2.5f, 2.5f, 0}), Box({-2.5f, -2.5f, -9}, {6, 2.5f, -7})}, kMainSurface},
        Limb("thigh_r", 0, {0, -4, -3}, 2.5f, 10.0f),
        {"shin_r", 10, {0, 0, -10}, {Box({-2.5f, -2.5f, -9}, {2.5f, 2.5f, 0}), Box({-2.5f, -2.5f, -9}, {6, 2.5f, -7})}, kMainSurface},
    };
    return rig;
}

// Legs and arms swinging in step; forward is +x, so a stride turns about y.
void Stride(Pose& pose, float t, float legs, float arms)
{
    float s = Wave(t);
    pose.Turn("thigh_l", kAxisY, legs * s);
    pose.Turn("thigh_r", kAxisY, -legs * s);
    pose.Turn("shin_l", kAxisY, std::max(0.0f, legs * 1.2f * s));
    pose.Turn("shin_r", kAxisY, std::max(0.0f, -legs * 1.2f * s));
    pose.Turn("arm_l", kAxisY, -arms * s);
    pose.Turn("arm_r", kAxisY, arms * s);
    pose.Move("pelvis", {0, 0, -std::fabs(s) * legs / 25.0f});
}

void Breathe(Pose& pose, float t)
{
    pose.Turn("chest", kAxisY, 2.0f * Wave(t));
    pose.Turn("arm_l", kAxisX, -5.0f - 2.0f * Wave(t));
    pose.Turn("arm_r", kAxisX, 5.0f + 2.0f * Wave(t));
    pose.Turn("head", kAxisZ, 4.0f * Wave(t * 2.0f));
}

void Crouch(Pose& pose)
{
    pose.Move("pelvis", {0, 0, -6});
    pose.Turn("thigh_l", kAxisY, -50);
    pose.Turn("thigh_r", kAxisY, -50);
    pose.Turn("shin_l", kAxisY, 80);
    pose.Turn("shin_r", kAxisY, 80);
    pose.Turn("spine", kAxisY, 25);
}

// The arm's swing from raised back to struck through, peaking at the hit.
void Swing(Pose& pose, const char* arm, float t, float hitAt, float raise)
{
    pose.Turn(arm, kAxisY, Keys(t, {{0, 0}, {hitAt * 0.6f, raise}, {hitAt, -60}, {1, 0}}));
    pose.Turn("chest", kAxisZ, Keys(t, {{0, 0}, {hitAt * 0.6f, 15}, {hitAt, -20}, {1, 0}}));
}

void Fall(Pose& pose, float t)
{
    pose.Turn("pelvis", kAxisY, Keys(t, {{0, 0}, {0.3f, -10}, {1, -90}}));
    pose.Move("pelvis", {0, 0, Keys(t, {{0, 0}, {0.3f, -8}, {1, -17}})});
    pose.Turn("thigh_l", kAxisY, Keys(t, {{0, 0}, {0.3f, -40}, {1, 10}}));
    pose.Turn("thigh_r", kAxisY, Keys(t, {{0, 0}, {0.3f, -30}, {1, 5}}));
    pose.Turn("shin_l", kAxisY, Keys(t, {{0, 0}, {0.3f, 70}, {1, 10}}));
    pose.Turn("arm_l", kAxisX, Keys(t, {{0, 0}, {1, -70}}));
    pose.Turn("arm_r", kAxisX, Keys(t, {{0, 0}, {1, 80}}));
    pose.Turn("head", kAxisZ, Keys(t, {{0, 0}, {1, 25}}));
}

std::vector<Clip> HumanoidClips()
{
    return {
        {"idle", 20, true, [](Pose& p, float t) { Breathe(p, t); }},
        {"idle_hiding", 20, true, [](Pose& p, float t) { Crouch(p); Breathe(p, t); }},
        {"walk", 16, true, [](Pose& p, float t) { Stride(p, t, 25, 20); p.rootMotion = 2.5f; }},
        {"run", 10, true, [](Pose& p, float t) { Stride(p, t, 40, 35); p.Turn("spine", kAxisY, 12); p.rootMotion = 5.0f; }},
        {"punch_r", 16, false, [](Pose& p, float t) { Swing(p, "arm_r", t, 0.5f, 70); }},
        {"punch_l", 16, false, [](Pose& p, float t) { Swing(p, "arm_l", t, 0.5f, 70); }},
        {"swing", 16, false, [](Pose& p, float t) { Swing(p, "arm_r", t, 0.56f, 130); p.Turn("hand_r", kAxisY, Keys(t, {{0, 0}, {0.35f, 40}, {0.56f, -30}, {1, 0}})); }},
        {"overhead", 20, false,
         [](Pose& p, float t) {
             Swing(p, "arm_r", t, 0.6f, 160);
             Swing(p, "arm_l", t, 0.6f, 160);
             p.Turn("spine", kAxisY, Keys(t, {{0, 0}, {0.36f, -12}, {0.6f, 25}, {1, 0}}));
         }},
        {"cast", 20, false,
         [](Pose& p, float t) {
             float lift = Keys(t, {{0, 0}, {0.5f, 110}, {0.7f, 110}, {1, 0}});
             p.Turn("arm_l", kAxisY, lift);
             p.Turn("arm_r", kAxisY, lift);
             p.Turn("head", kAxisY, -lift / 10.0f);
         }},
        {"jump", 20, false,
         [](Pose& p, float t) {
             p.Move("pelvis", {0, 0, Keys(t, {{0, 0}, {0.2f, -4}, {0.5f, 16}, {0.8f, 0}, {1, 0}})});
             float tuck = Keys(t, {{0, 0}, {0.2f, 30}, {0.5f, 60}, {0.8f, 20}, {1, 0}});
             p.Turn("thigh_l", kAxisY, -tuck);
             p.Turn("thigh_r", kAxisY, -tuck);
             p.Turn("shin_l", kAxisY, tuck * 1.5f);
             p.Turn("shin_r", kAxisY, tuck * 1.5f);
             p.rootMotion = t > 0.2f && t < 0.8f ? 4.0f : 0.0f;
         }},
        {"dying", 20, false, [](Pose& p, float t) { Fall(p, t); }},
        {"dead", 1, false, [](Pose& p, float) { Fall(p, 1.0f); }},
    };
}

// ---- The beast: a wolf on four legs, its muzzle forward along +x.

Rig Beast()
{
    Rig rig;
    rig.bones = {
        {"body", -1, {0, 0, 16}, {Box({-9, -5, -4}, {9, 5, 4})}, kMainSurface},
        {"chest", 0, {8, 0, 0}, {Box({-2, -5.5f, -5}, {6, 5.5f, 5})}, kMainSurface},
        {"head", 1, {7, 0, 4}, {Box({0, -3.5f, -3}, {6, 3.5f, 4}), Box({6, -2, -3}, {11, 2, 0}), PrismY(0, 3, 4, 1.5f, 7, -3, -1), PrismY(0, 3, 4, 1.5f, 7, 1, 3)}, kSecondSurface},
        {"tail", 0, {-9, 0, 2}, {Box({-10, -1.5f, -1.5f}, {0, 1.5f, 1.5f})}, kMainSurface},
        Limb("leg_fl", 1, {2, 4, -5}, 1.5f, 7.0f),
        Limb("paw_fl", 4, {0, 0, -7}, 1.5f, 5.0f),
        Limb("leg_fr", 1, {2, -4, -5}, 1.5f, 7.0f),
        Limb("paw_fr", 6, {0, 0, -7}, 1.5f, 5.0f),
        Limb("leg_bl", 0, {-6, 4, -4}, 1.8f, 7.0f),
        Limb("paw_bl", 8, {0, 0, -7}, 1.5f, 5.0f),
        Limb("leg_br", 0, {-6, -4, -4}, 1.8f, 7.0f),
        Limb("paw_br", 10, {0, 0, -7}, 1.5f, 5.0f),
    };
    return rig;
}

// Diagonal pairs step together.
void Trot(Pose& pose, float t, float swing)
{
    float s = Wave(t);
    pose.Turn("leg_fl", kAxisY, swing * s);
    pose.Turn("leg_br", kAxisY, swing * s);
    pose.Turn("leg_fr", kAxisY, -swing * s);
    pose.Turn("leg_bl", kAxisY, -swing * s);
    pose.Turn("paw_fl", kAxisY, std::max(0.0f, -swing * s));
    pose.Turn("paw_fr", kAxisY, std::max(0.0f, swing * s));
    pose.Turn("tail", kAxisZ, 10.0f * Wave(t * 2.0f));
}

std::vector<Clip> BeastClips()
{
    return {
        {"idle", 20, true, [](Pose& p, float t) { p.Turn("tail", kAxisZ, 20.0f * Wave(t)); p.Turn("head", kAxisY, 4.0f * Wave(t)); }},
        {"walk", 16, true, [](Pose& p, float t) { Trot(p, t, 25); p.rootMotion = 2.0f; }},
        {"run", 12, true, [](Pose& p, float t) { Trot(p, t, 45); p.Turn("body", kAxisY, 6.0f * Wave(t)); p.rootMotion = 6.0f; }},
        {"bite", 14, false,
         [](Pose& p, float t) {
             p.Turn("chest", kAxisY, Keys(t, {{0, 0}, {0.3f, -10}, {0.5f, 15}, {1, 0}}));
             p.Turn("head", kAxisY, Keys(t, {{0, 0}, {0.3f, -20}, {0.5f, 25}, {1, 0}}));
             p.Move("body", {Keys(t, {{0, 0}, {0.3f, -3}, {0.5f, 6}, {1, 0}}), 0, 0});
         }},
        {"dying", 20, false,
         [](Pose& p, float t) {
             p.Turn("body", kAxisX, Keys(t, {{0, 0}, {1, 90}}));
             p.Move("body", {0, 0, Keys(t, {{0, 0}, {1, -11}})});
             p.Turn("head", kAxisY, Keys(t, {{0, 0}, {1, 30}}));
         }},
        {"dead", 1, false,
         [](Pose& p, float) {
             p.Turn("body", kAxisX, 90);
             p.Move("body", {0, 0, -11});
             p.Turn("head", kAxisY, 30);
         }},
    };
}

// ---- Props: a door, a chest, a torch and a gate.

Rig Door()
{
    Rig rig;
    rig.bones = {
        {"frame", -1, {0, 0, 0}, {Box({-3, -32, 0}, {3, -28, 50}), Box({-3, 28, 0}, {3, 32, 50}), Box({-3, -32, 50}, {3, 32, 54})}, kMainSurface},
        {"leaf", 0, {0, -28, 0}, {Box({-1.5f, 0, 0}, {1.5f, 56, 49})}, kSecondSurface},
    };
    return rig;
}

std::vector<Clip> DoorClips()
{
    return {
        {"closed", 1, false, [](Pose&, float) {}},
        {"opening", 12, false, [](Pose& p, float t) { p.Turn("leaf", kAxisZ, 90.0f * t); }},
        {"open", 1, false, [](Pose& p, float) { p.Turn("leaf", kAxisZ, 90.0f); }},
        {"closing", 12, false, [](Pose& p, float t) { p.Turn("leaf", kAxisZ, 90.0f * (1.0f - t)); }},
    };
}

Rig Chest()
{
    Rig rig;
    rig.bones = {
        {"base", -1, {0, 0, 0}, {Box({-8, -12, 0}, {8, 12, 10})}, kMainSurface},
        {"lid", 0, {-8, 0, 10}, {PrismY(0, 16, 0, 8, 5, -12, 12)}, kSecondSurface},
    };
    return rig;
}

void Smashed(Pose& pose, float t)
{
    pose.Move("lid", {Keys(t, {{0, 0}, {1, -14}}), 0, Keys(t, {{0, 0}, {0.4f, 14}, {1, -8}})});
    pose.Turn("lid", kAxisX, Keys(t, {{0, 0}, {1, 75}}));
    pose.Turn("base", kAxisY, Keys(t, {{0, 0}, {1, 8}}));
    pose.Move("base", {0, 0, Keys(t, {{0, 0}, {1, -5}})});
}

std::vector<Clip> ChestClips()
{
    return {
        {"closed", 1, false, [](Pose&, float) {}},
        {"opening", 10, false, [](Pose& p, float t) { p.Turn("lid", kAxisY, -100.0f * t); }},
        {"open", 1, false, [](Pose& p, float) { p.Turn("lid", kAxisY, -100.0f); }},
        {"break", 12, false, [](Pose& p, float t) { Smashed(p, t); }},
        {"broken", 1, false, [](Pose& p, float) { Smashed(p, 1.0f); }},
    };
}

Rig Torch()
{
    Rig rig;
    rig.bones = {
        {"post", -1, {0, 0, 0}, {Box({-1.5f, -1.5f, 0}, {1.5f, 1.5f, 36}), Box({-4, -4, 36}, {4, 4, 40})}, kMainSurface},
        {"flame", 0, {0, 0, 39}, {PrismY(-2.5f, 2.5f, 0, 0, 8, -1, 1), PrismY(-1, 1, 0, 0, 6, -2.5f, 2.5f)}, kSecondSurface},
    };
    return rig;
}

std::vector<Clip> TorchClips()
{
    return {
        {"lit", 16, true,
         [](Pose& p, float t) {
             p.Turn("flame", kAxisZ, 360.0f * t);
             p.Turn("flame", kAxisX, 6.0f * Wave(t * 3.0f));
         }},
        // Sunk into the bowl, out of sight.
        {"out", 1, false, [](Pose& p, float) { p.Move("flame", {0, 0, -9}); }},
    };
}

Rig Gate()
{
    Rig rig;
    rig.bones = {
        {"arch", -1, {0, 0, 0}, {Box({-4, -40, 0}, {4, -30, 56}), Box({-4, 30, 0}, {4, 40, 56}), PrismY(-42, 42, 56, 0, 70, -5, 5)}, kMainSurface},
        {"portal", 0, {0, 0, 28}, {Box({-0.5f, -28, -28}, {0.5f, 28, 28})}, kSecondSurface},
    };
    // The arch's roof runs across the gate: turn the prism's x into y.
    for (Face& face : rig.bones[0].shapes[2]) {
        for (Vec3& corner : face)
            corner = {corner.y, corner.x, corner.z};
        std::reverse(face.begin(), face.end());
    }
    return rig;
}

std::vector<Clip> GateClips()
{
    return {
        {"dormant", 20, true, [](Pose& p, float t) { p.Turn("portal", kAxisX, 3.0f * Wave(t)); }},
        {"active", 24, true, [](Pose& p, float t) { p.Turn("portal", kAxisX, 360.0f * t); }},
    };
}

// ---- Level props: still objects that stand on a tile and block its cells.

// A stone pillar filling its tile.
Rig Pillar()
{
    Rig rig;
    rig.bones = {{"base", -1, {0, 0, 0}, {Box({-26, -26, 0}, {26, 26, 90}), Box({-30, -30, 90}, {30, 30, 96})}, kMainSurface}};
    return rig;
}

// A long boulder across two cells of its tile.
// ---- Switches and trap plates: a lever on a block, and a slab flush with the floor.

Rig Lever()
{
    Rig rig;
    rig.bones = {
        {"block", -1, {0, 0, 0}, {Box({-6, -6, 0}, {6, 6, 10})}, kMainSurface},
        {"handle", 0, {0, 0, 10}, {Box({-1, -1, 0}, {1, 1, 16}), Box({-2, -2, 16}, {2, 2, 19})}, kSecondSurface},
    };
    return rig;
}

std::vector<Clip> LeverClips()
{
    return {
        {"off", 1, false, [](Pose& p, float) { p.Turn("handle", kAxisY, -40.0f); }},
        {"on", 1, false, [](Pose& p, float) { p.Turn("handle", kAxisY, 40.0f); }},
        {"pull", 10, false, [](Pose& p, float t) { p.Turn("handle", kAxisY, -40.0f + 80.0f * t); }},
    };
}

Rig Plate()
{
    Rig rig;
    rig.bones = {{"slab", -1, {0, 0, 0}, {Box({-12, -12, 0}, {12, 12, 1.5f})}, kMainSurface}};
    return rig;
}

std::vector<Clip> PlateClips()
{
    return {
        {"up", 1, false, [](Pose&, float) {}},
        {"down", 1, false, [](Pose& p, float) { p.Move("slab", {0, 0, -1.2f}); }},
        {"press", 6, false, [](Pose& p, float t) { p.Move("slab", {0, 0, -1.2f * t}); }},
    };
}

Rig Boulder()
{
    Rig rig;
    rig.bones = {{"base", -1, {0, 0, 0}, {Box({-28, -12, 0}, {28, 12, 14}), PrismY(-24, 24, 14, 0, 24, -10, 10)}, kMainSurface}};
    return rig;
}

// A tree: a trunk on one cell and a crown of crossed blades above it.
Rig Tree()
{
    Rig rig;
    rig.bones = {
        {"trunk", -1, {0, 0, 0}, {Box({-5, -5, 0}, {5, 5, 44})}, kMainSurface},
        {"crown", 0, {0, 0, 40}, {PrismY(-24, 24, 0, 0, 44, -3, 3), PrismY(-3, 3, 0, 0, 44, -24, 24)}, kSecondSurface},
    };
    return rig;
}

std::vector<Clip> StillClips()
{
    return {{"idle", 1, false, [](Pose&, float) {}}};
}

// ---- Items shown on bodies: a sword along the weapon tag's x (the blade's tip lies that way) and a
// crested helmet over the head at the helmet tag.

Rig Sword()
{
    Rig rig;
    rig.bones = {{"blade", -1, {0, 0, 0},
                  {Box({-5, -1, -1}, {0, 1, 1}), Box({0, -4.5f, -1.5f}, {1.5f, 4.5f, 1.5f}),
                   Box({1.5f, -1.4f, -0.8f}, {22, 1.4f, 0.8f}), PrismY(22, 22, -1.4f, 26, 0, -0.8f, 0.8f)},
                  kMainSurface}};
    // The tip's prism lies in x-z: turn its z into y so that it ends the flat of the blade.
    for (Face& face : rig.bones[0].shapes[3])
        for (Vec3& corner : face)
            corner = {corner.x, corner.z, corner.y};
    return rig;
}

Rig Helmet()
{
    Rig rig;
    rig.bones = {{"cap", -1, {0, 0, 0},
                  {Box({-5, -5, -1}, {5, 5, 6}), Box({-5.5f, -5.5f, -2}, {5.5f, 5.5f, -1}),
                   PrismY(-5, 5, 6, 0, 22, -1.5f, 1.5f)},
                  kMainSurface}};
    return rig;
}

// ---- Items lying on the ground, one look a kind of item: each lies on its base bone, its main
// surface the stuff it is made of and its second the trim. Sized well over an item's worn size,
// so that a dropped thing is seen from the camera's height beside the heroes.

Rig GroundItem(std::vector<Shape> main, std::vector<Shape> trim)
{
    Rig rig;
    rig.bones = {{"base", -1, {0, 0, 0}, std::move(main), kMainSurface},
                 {"trim", 0, {0, 0, 0}, std::move(trim), kSecondSurface}};
    return rig;
}

// A blade across the ground: steel, with a guard and grip.
Rig GroundBlade()
{
    return GroundItem({Box({0, -2.5f, 0}, {30, 2.5f, 2}), PrismY(30, 30, 0, 36, 1, -2.5f, 2.5f)},
                      {Box({-3, -7, 0}, {0, 7, 4}), Box({-12, -1.5f, 0}, {-3, 1.5f, 3}), Box({-15, -2.5f, 0}, {-12, 2.5f, 4})});
}

// A long wooden haft with an iron head: hammers, staves, slings.
Rig GroundHaft()
{
    return GroundItem({Box({14, -7, 0}, {24, 7, 9})}, {Box({-22, -2, 0}, {14, 2, 4})});
}

// A folded garment with a darker collar: the worn things that hang no model.
Rig GroundGarment()
{
    return GroundItem({Box({-13, -11, 0}, {13, 11, 4}), Box({-9, -15, 0}, {9, -11, 3}), Box({-9, 11, 0}, {9, 15, 3})},
                      {Box({9, -6, 0}, {14, 6, 6})});
}

// A round-cornered shield face up with its boss.
Rig GroundShield()
{
    return GroundItem({Box({-12, -9, 0}, {12, 9, 3}), Box({-9, -12, 0}, {9, 12, 3})}, {Box({-4, -4, 3}, {4, 4, 7})});
}

// A helmet set down on its rim, crest up.
Rig GroundHelm()
{
    return GroundItem({Box({-8, -8, 0}, {8, 8, 11}), Box({-9, -9, 0}, {9, 9, 2})}, {PrismY(-8, 8, 11, 0, 24, -2, 2)});
}

// A ring, amulet, charm or key: a gold band round a raised stone.
Rig GroundTrinket()
{
    return GroundItem({Box({-9, -9, 0}, {9, -5, 3}), Box({-9, 5, 0}, {9, 9, 3}), Box({-9, -5, 0}, {-5, 5, 3}),
                       Box({5, -5, 0}, {9, 5, 3})},
                      {Box({-4, -4, 0}, {4, 4, 7})});
}

// A standing flask with a cork: potions and drinks.
Rig GroundFlask()
{
    return GroundItem({Box({-6, -6, 0}, {6, 6, 14}), Box({-2.5f, -2.5f, 14}, {2.5f, 2.5f, 20})},
                      {Box({-3, -3, 20}, {3, 3, 24})});
}

// A loaf with a crust ridge: food.
Rig GroundFood()
{
    return GroundItem({Box({-12, -7, 0}, {12, 7, 6})}, {PrismY(-12, 12, 6, 0, 11, -5, 5)});
}

// A tied sack: bags, and any goods without a look of their own.
Rig GroundSack()
{
    return GroundItem({Box({-10, -10, 0}, {10, 10, 13}), PrismY(-10, 10, 13, 0, 19, -10, 10)},
                      {Box({-3, -3, 17}, {3, 3, 23})});
}

// A bound book or rolled paper: tomes, maps, writs and letters.
Rig GroundBook()
{
    return GroundItem({Box({-11, -14, 0}, {11, 14, 2}), Box({-11, -14, 5}, {11, 14, 7})},
                      {Box({-10, -13, 2}, {11, 13, 5})});
}

// A crystal on a small stand: relics and the things quests ask for.
Rig GroundRelic()
{
    return GroundItem({PrismY(-9, 9, 6, 0, 30, -3, 3), PrismY(-3, 3, 6, 0, 30, -9, 9)},
                      {Box({-8, -8, 0}, {8, 8, 6})});
}

// A heap of coins.
Rig GroundCoins()
{
    return GroundItem({Box({-9, -7, 0}, {3, 5, 3}), Box({-2, -2, 0}, {10, 10, 5})}, {Box({-6, 4, 0}, {2, 12, 7})});
}

// Lying still, and the short drop when it is let fall: from above, turning, onto the ground with
// a little bounce, in under half a second.
std::vector<Clip> GroundClips()
{
    return {
        {"idle", 1, false, [](Pose&, float) {}},
        {"fall", 8, false,
         [](Pose& p, float t) {
             p.Move("base", {0, 0, Keys(t, {{0.0f, 30.0f}, {0.6f, 0.0f}, {0.8f, 4.0f}, {1.0f, 0.0f}})});
             p.Turn("base", kAxisX, Keys(t, {{0.0f, 60.0f}, {0.6f, 0.0f}, {1.0f, 0.0f}}));
         }},
    };
}

bool AddGroundItems(ArchiveWriter& archive)
{
    const std::string folder = "Models/Items/Ground/";
    return AddRig(archive, folder, "blade", GroundBlade(), GroundClips()) &&
           AddRig(archive, folder, "haft", GroundHaft(), GroundClips()) &&
           AddRig(archive, folder, "garment", GroundGarment(), GroundClips()) &&
           AddRig(archive, folder, "shield", GroundShield(), GroundClips()) &&
           AddRig(archive, folder, "helm", GroundHelm(), GroundClips()) &&
           AddRig(archive, folder, "trinket", GroundTrinket(), GroundClips()) &&
           AddRig(archive, folder, "flask", GroundFlask(), GroundClips()) &&
           AddRig(archive, folder, "food", GroundFood(), GroundClips()) &&
           AddRig(archive, folder, "sack", GroundSack(), GroundClips()) &&
           AddRig(archive, folder, "book", GroundBook(), GroundClips()) &&
           AddRig(archive, folder, "relic", GroundRelic(), GroundClips()) &&
           AddRig(archive, folder, "coins", GroundCoins(), GroundClips());
}

// ---- Textures of the creatures' skins, 64 x 64: a cloth or hide colour with grain and bands.

uint32_t ModelNoiseHash(uint32_t x, uint32_t y, uint32_t seed)
{
    uint32_t h = x * 0x9E3779B1u ^ y * 0x85EBCA77u ^ seed * 0xC2B2AE3Du;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 12;
    return h;
}

Image SkinTexture(const Color& base, const Color& band, uint32_t seed)
{
    Image image(64, 64, false);
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) {
            float grain = static_cast<float>(ModelNoiseHash(static_cast<uint32_t>(x), static_cast<uint32_t>(y), seed) & 0xFF) / 255.0f;
            Color color = (y / 8) % 4 == 3 ? band : base;
            image.Set(x, y, Scale(color, 0.85f + 0.3f * grain));
        }
    }
    return image;
}

bool AddSkinTextures(ArchiveWriter& archive)
{
    struct Skin {
        const char* name;
        Color base;
        Color band;
    };
    const Skin skins[] = {
        {"goblin", {0.35f, 0.55f, 0.22f, 1}, {0.40f, 0.28f, 0.16f, 1}},
        {"goblinshaman", {0.42f, 0.30f, 0.52f, 1}, {0.75f, 0.62f, 0.25f, 1}},
        {"skeleton", {0.86f, 0.83f, 0.72f, 1}, {0.55f, 0.52f, 0.45f, 1}},
        {"townsfolk", {0.55f, 0.38f, 0.24f, 1}, {0.25f, 0.35f, 0.60f, 1}},
        // The hero: a royal purple tabard with gold bands, and a face with dark hair above it, so
        // that the player is told at a glance from the stone and the townsfolk round it. No
        // channel of either stands alone: a pure red, green or blue is a tag axis's colour.
        {"warden", {0.52f, 0.22f, 0.70f, 1}, {0.95f, 0.74f, 0.18f, 1}},
        {"warden_head", {0.87f, 0.66f, 0.50f, 1}, {0.28f, 0.17f, 0.09f, 1}},
        {"wolf", {0.45f, 0.45f, 0.47f, 1}, {0.30f, 0.30f, 0.32f, 1}},
        // The other two heroes, each told from the warden and the townsfolk at a glance: a crimson
        // robe with ember bands, and teal leathers with tan bands (no channel alone). The
        // outrider's leathers were forest green: on the grass, and among the green goblins, the
        // player lost sight of its own hero.
        {"emberwright", {0.62f, 0.16f, 0.14f, 1}, {0.98f, 0.56f, 0.16f, 1}},
        {"outrider", {0.16f, 0.52f, 0.70f, 1}, {0.82f, 0.68f, 0.42f, 1}},
        // The shown items: bright steel and a red-crested bronze, to stand out on any body.
        {"sword", {0.85f, 0.88f, 0.92f, 1}, {0.45f, 0.30f, 0.15f, 1}},
        {"helmet", {0.80f, 0.55f, 0.20f, 1}, {0.85f, 0.10f, 0.10f, 1}},
        // The warden's tunic once a mail shirt is worn.
        {"warden_mail", {0.62f, 0.64f, 0.70f, 1}, {0.30f, 0.32f, 0.36f, 1}},
        // The stuff of the items lying on the ground, each told from the grass and the earth;
        // after the others, so that their grain stays as it was.
        {"item_steel", {0.78f, 0.80f, 0.86f, 1}, {0.62f, 0.64f, 0.70f, 1}},
        {"item_wood", {0.58f, 0.38f, 0.20f, 1}, {0.45f, 0.28f, 0.14f, 1}},
        {"item_cloth", {0.70f, 0.62f, 0.45f, 1}, {0.55f, 0.30f, 0.25f, 1}},
        {"item_gold", {0.95f, 0.78f, 0.25f, 1}, {0.80f, 0.60f, 0.15f, 1}},
        {"item_gem", {0.85f, 0.25f, 0.55f, 1}, {0.55f, 0.80f, 0.95f, 1}},
        {"item_glass", {0.35f, 0.60f, 0.95f, 1}, {0.75f, 0.30f, 0.30f, 1}},
        {"item_bread", {0.85f, 0.62f, 0.32f, 1}, {0.70f, 0.45f, 0.20f, 1}},
        {"item_paper", {0.92f, 0.88f, 0.75f, 1}, {0.60f, 0.20f, 0.18f, 1}},
        {"item_leather", {0.62f, 0.45f, 0.30f, 1}, {0.48f, 0.32f, 0.20f, 1}},
    };
    bool ok = true;
    uint32_t seed = 11;
    for (const Skin& skin : skins)
        ok = ok && archive.Add(std::string("Textures/Models/") + skin.name + ".tga", SkinTexture(skin.base, skin.band, seed++).ToTarga());
    return ok;
}

// ---- Sprite frames of the effect models: a burst that grows and fades, 32 x 32 with alpha.

Image BurstFrame(float t, const Color& color, int spikes, float ring)
{
    Image image(32, 32, true);
    float radius = 0.25f + 0.7f * t;
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            float dx = (static_cast<float>(x) + 0.5f - 16.0f) / 16.0f;
            float dy = (static_cast<float>(y) + 0.5f - 16.0f) / 16.0f;
            float distance = std::sqrt(dx * dx + dy * dy);
            float angle = std::atan2(dy, dx);
            float edge = radius * (1.0f + (spikes > 0 ? 0.35f * std::cos(angle * static_cast<float>(spikes)) : 0.0f));
            float body = std::clamp((edge - distance) * 6.0f, 0.0f, 1.0f);
            float band = std::clamp(1.0f - std::fabs(distance - edge * 0.8f) * 8.0f, 0.0f, 1.0f);
            float alpha = std::max(body * (1.0f - ring), band * ring) * (1.0f - t * 0.8f);
            Color pixel = color;
            pixel.a = alpha;
            image.Set(x, y, pixel);
        }
    }
    return image;
}

bool AddEffectFrames(ArchiveWriter& archive)
{
    struct Effect {
        const char* stem;
        int frames;
        Color color;
        int spikes;
        float ring;
    };
    const Effect effects[] = {
        {"Effects/Teleport/teleport", 8, {0.55f, 0.75f, 1.0f, 1}, 0, 0.9f},
        {"Effects/Combat/normalhit", 6, {1.0f, 1.0f, 1.0f, 1}, 5, 0.0f},
        {"Effects/Combat/criticalhit", 6, {1.0f, 0.85f, 0.2f, 1}, 8, 0.0f},
        {"Effects/Combat/deadlyhit", 6, {0.9f, 0.1f, 0.05f, 1}, 12, 0.3f},
        {"Effects/Combat/crushingblow", 6, {1.0f, 0.55f, 0.15f, 1}, 4, 0.5f},
        {"Effects/Combat/deepwounds", 6, {0.55f, 0.02f, 0.05f, 1}, 3, 0.0f},
        {"Effects/Combat/block", 6, {0.7f, 0.7f, 0.75f, 1}, 0, 1.0f},
        {"Effects/Combat/parry", 6, {0.85f, 0.9f, 1.0f, 1}, 2, 0.2f},
        {"Effects/Combat/miss", 6, {0.6f, 0.6f, 0.6f, 1}, 0, 0.6f},
        {"Effects/LevelUp/levelup", 8, {1.0f, 0.85f, 0.3f, 1}, 6, 0.8f},
        {"Effects/Heal/heal", 6, {0.45f, 1.0f, 0.55f, 1}, 0, 0.7f},
        {"Effects/Projectiles/arrow", 4, {0.85f, 0.75f, 0.55f, 1}, 2, 0.0f},
        {"Effects/Projectiles/venomarrow", 4, {0.45f, 0.85f, 0.25f, 1}, 2, 0.0f},
        {"Effects/Projectiles/volley", 4, {0.8f, 0.8f, 0.7f, 1}, 3, 0.0f},
        {"Effects/Projectiles/emberbolt", 4, {1.0f, 0.5f, 0.15f, 1}, 7, 0.2f},
        {"Effects/Projectiles/emberburst", 6, {1.0f, 0.4f, 0.1f, 1}, 0, 0.9f},
        {"Effects/Projectiles/emberarc", 4, {1.0f, 0.7f, 0.3f, 1}, 9, 0.5f},
        {"Effects/Projectiles/emberblast", 6, {1.0f, 0.3f, 0.05f, 1}, 10, 0.4f},
        // The bursts where an elemental edge strikes, one per element.
        {"Effects/Explosions/fireexplosion", 6, {1.0f, 0.45f, 0.1f, 1}, 9, 0.6f},
        {"Effects/Explosions/iceexplosion", 6, {0.6f, 0.85f, 1.0f, 1}, 6, 0.8f},
        {"Effects/Explosions/poisonexplosion", 6, {0.45f, 0.9f, 0.2f, 1}, 0, 1.0f},
        {"Effects/Explosions/lightningexplosion", 6, {0.9f, 0.9f, 1.0f, 1}, 11, 0.3f},
    };
    bool ok = true;
    for (const Effect& effect : effects) {
        for (int f = 0; f < effect.frames; ++f) {
            char path[96];
            std::snprintf(path, sizeof(path), "Textures/%s%d.tga", effect.stem, f + 1);
            float t = static_cast<float>(f) / static_cast<float>(effect.frames - 1);
            ok = ok && archive.Add(path, BurstFrame(t, effect.color, effect.spikes, effect.ring).ToTarga());
        }
    }
    return ok;
}

} // namespace

bool GenerateModels(ArchiveWriter& archive)
{
    return AddRig(archive, "Models/Humanoid/", "humanoid", Humanoid(), HumanoidClips()) &&
           AddRig(archive, "Models/Beast/", "wolf", Beast(), BeastClips()) &&
           AddRig(archive, "Models/Props/", "door", Door(), DoorClips()) &&
           AddRig(archive, "Models/Props/", "chest", Chest(), ChestClips()) &&
           AddRig(archive, "Models/Props/", "torch", Torch(), TorchClips()) &&
           AddRig(archive, "Models/Props/", "gate", Gate(), GateClips()) &&
           AddRig(archive, "Models/Props/", "pillar", Pillar(), StillClips()) &&
           AddRig(archive, "Models/Props/", "boulder", Boulder(), StillClips()) &&
           AddRig(archive, "Models/Props/", "tree", Tree(), StillClips()) &&
           AddRig(archive, "Models/Props/", "lever", Lever(), LeverClips()) &&
           AddRig(archive, "Models/Props/", "plate", Plate(), PlateClips()) &&
           AddRig(archive, "Models/Items/", "sword", Sword(), StillClips()) &&
           AddRig(archive, "Models/Items/", "helmet", Helmet(), StillClips()) && AddGroundItems(archive) &&
           AddSkinTextures(archive) &&
           AddEffectFrames(archive);
}
