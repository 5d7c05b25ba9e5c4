// ModelDrawWorld -- a world view over a recording device with shaders and a synthetic three-bone model whose sub-meshes, skin and animations the tests write.
#pragma once

#include "resources/shaders/ShaderWorld.h"

#include "render/WorldView.h"
#include "resources/models/AnimationResource.h"
#include "resources/models/ModelResource.h"
#include "resources/models/ModelResourceTypes.h"
#include "resources/shaders/ShaderBatch.h"

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

struct DrawWeight {
    int32_t bone = 0;
    Vector3 position;
    float factor = 1.0f;
};

struct DrawVertex {
    float u = 0.0f;
    float v = 0.0f;
    Vector3 normal{0.0f, 0.0f, 1.0f};
    std::vector<DrawWeight> weights;
};

struct DrawSubMesh {
    int32_t id = 0;
    std::vector<DrawVertex> vertices;
    std::vector<std::array<int32_t, 3>> triangles;
};

// Little-endian words, as the binaries are.
class DrawWords {
public:
    DrawWords& Int(int32_t value)
    {
        bytes.append(reinterpret_cast<const char*>(&value), 4);
        return *this;
    }
    DrawWords& Float(float value)
    {
        bytes.append(reinterpret_cast<const char*>(&value), 4);
        return *this;
    }
    DrawWords& Text(const std::string& text)
    {
        bytes.append(text);
        bytes.push_back('\0');
        return *this;
    }
    std::string bytes;
};

// A version-1 mesh: header, surface records, triangles, vertices, then the weight table.
inline std::string MakeDrawMesh(const std::vector<DrawSubMesh>& subMeshes)
{
    int32_t triangles = 0;
    int32_t vertices = 0;
    for (const DrawSubMesh& s : subMeshes) {
        triangles += static_cast<int32_t>(s.triangles.size());
        vertices += static_cast<int32_t>(s.vertices.size());
    }
    int32_t surfaceOffset = 36;
    int32_t triangleOffset = surfaceOffset + 20 * static_cast<int32_t>(subMeshes.size());
    int32_t vertexOffset = triangleOffset + 12 * triangles;
    int32_t weightOffset = vertexOffset + 28 * vertices;
    DrawWords words;
    words.Int(0).Int(1).Int(static_cast<int32_t>(subMeshes.size())).Int(triangles).Int(vertices);
    words.Int(surfaceOffset).Int(triangleOffset).Int(vertexOffset).Int(weightOffset);
    int32_t triangleAt = triangleOffset;
    int32_t vertexAt = vertexOffset;
    for (const DrawSubMesh& s : subMeshes) {
        words.Int(s.id).Int(static_cast<int32_t>(s.triangles.size())).Int(static_cast<int32_t>(s.vertices.size()));
        words.Int(triangleAt).Int(vertexAt);
        triangleAt += 12 * static_cast<int32_t>(s.triangles.size());
        vertexAt += 28 * static_cast<int32_t>(s.vertices.size());
    }
    for (const DrawSubMesh& s : subMeshes)
        for (const auto& t : s.triangles)
            words.Int(t[0]).Int(t[1]).Int(t[2]);
    int32_t firstWeight = 0;
    for (const DrawSubMesh& s : subMeshes)
        for (const DrawVertex& v : s.vertices) {
            words.Float(v.u).Float(v.v).Float(v.normal.x).Float(v.normal.y).Float(v.normal.z);
            words.Int(static_cast<int32_t>(v.weights.size())).Int(firstWeight);
            firstWeight += static_cast<int32_t>(v.weights.size());
        }
    for (const DrawSubMesh& s : subMeshes)
        for (const DrawVertex& v : s.vertices)
            for (const DrawWeight& w : v.weights)
                words.Int(w.bone).Float(w.position.x).Float(w.position.y).Float(w.position.z).Float(w.factor);
    return words.bytes;
}

// Bones (parent) named "b0" .. in order.
inline std::string MakeDrawSkeleton(const std::vector<int32_t>& parents)
{
    DrawWords words;
    words.Int(0).Int(0).Int(static_cast<int32_t>(parents.size()));
    int32_t nameOffset = 12 + 8 * static_cast<int32_t>(parents.size());
    for (size_t i = 0; i < parents.size(); ++i) {
        words.Int(parents[i]).Int(nameOffset);
        nameOffset += static_cast<int32_t>(("b" + std::to_string(i)).size()) + 1;
    }
    for (size_t i = 0; i < parents.size(); ++i)
        words.Text("b" + std::to_string(i));
    return words.bytes;
}

using DrawPose = std::function<BonePose(int32_t frame, int32_t bone)>;

// Version 2 with bounds: every frame's box (-8, -8, 0) .. (8, 8, 16), radius 12.
inline std::string MakeDrawAnimation(int32_t frames, int32_t bones, const DrawPose& pose)
{
    int32_t poseOffset = 28;
    int32_t rootOffset = poseOffset + frames * bones * 28;
    int32_t boundsOffset = rootOffset + frames * 12;
    DrawWords words;
    words.Int(0).Int(2).Int(frames).Int(bones).Int(poseOffset).Int(rootOffset).Int(boundsOffset);
    for (int32_t f = 0; f < frames; ++f)
        for (int32_t b = 0; b < bones; ++b) {
            BonePose p = pose(f, b);
            words.Float(p.rotation.x).Float(p.rotation.y).Float(p.rotation.z).Float(p.rotation.w);
            words.Float(p.position.x).Float(p.position.y).Float(p.position.z);
        }
    for (int32_t f = 0; f < frames; ++f)
        words.Float(0.0f).Float(0.0f).Float(0.0f);
    for (int32_t f = 0; f < frames; ++f)
        words.Float(-8).Float(-8).Float(0).Float(8).Float(8).Float(16).Float(12);
    return words.bytes;
}

// One triangle weighted wholly to a bone, at the bone's origin and one unit along x and y.
inline DrawSubMesh DrawTriangleOn(int32_t id, int32_t bone)
{
    DrawSubMesh s;
    s.id = id;
    for (Vector3 p : {Vector3{0, 0, 0}, Vector3{1, 0, 0}, Vector3{0, 1, 0}}) {
        DrawVertex v;
        v.weights.push_back({bone, p, 1.0f});
        s.vertices.push_back(v);
    }
    s.triangles.push_back({0, 1, 2});
    return s;
}

class ModelDrawWorld : public ShaderWorld {
protected:
    ModelDrawWorld()
    {
        RegisterModelResourceTypes(*manager);
        WriteAsset("Shaders/models.sdr", "Skins/solid { sort Opaque { texture solid.tga } }\n"
                                         "Skins/glass { sort Transparent { texture glass.tga } }\n"
                                         "Skins/timed { sort Additive useShaderTime 1 { texture glass.tga } }\n"
                                         "Skins/marked { sort Opaque highlightsSurface 1 { texture solid.tga } }\n");
        WriteTarga("solid.tga", 4, 4);
        WriteTarga("glass.tga", 4, 4);
        StartShaders();
        view = std::make_unique<WorldView>(device);
        view->RegisterVars();
    }

    void TearDown() override
    {
        view.reset();
        ShaderWorld::TearDown();
    }

    // Writes the files of a model "Models/<name>.mdl" over the skeleton, mesh, skin and
    // animations given, and loads it.
    int32_t LoadDrawModel(const std::string& name, const std::string& skeleton, const std::string& mesh,
                          const std::string& skin, const std::vector<std::string>& animations,
                          const std::string& extra = "")
    {
        WriteAsset("Models/" + name + ".mds", skeleton);
        WriteAsset("Models/" + name + ".mdm", mesh);
        WriteAsset("Models/" + name + ".skn", skin);
        std::string text = "type 3d\ndir Models\nskeleton " + name + ".mds\nmesh " + name + ".mdm\nskin " + name +
                           ".skn\n" + extra + "animations\n{\n";
        for (size_t i = 0; i < animations.size(); ++i) {
            std::string file = name + "_a" + std::to_string(i);
            WriteAsset("Models/" + file + ".mda", animations[i]);
            text += " anim" + std::to_string(i) + " " + file + "\n {\n }\n";
        }
        text += "}\n";
        WriteAsset("Models/" + name + ".mdl", text);
        ResourceHandle& handle = Hold();
        manager->Load("Models/" + name + ".mdl", handle);
        return handle;
    }

    const ModelResource* Model(int32_t handle) { return dynamic_cast<const ModelResource*>(manager->Get(handle)); }

    // A camera over the origin of level -1, as with no game.
    void LookAtOrigin(float zoom = 1.0f)
    {
        view->SetViewSize(800, 600);
        view->BeginWorldView(WorldPos{}, zoom, false);
    }

    std::vector<DeviceBatch> DrawFrame()
    {
        device.Clear();
        ShaderBatch batch(&device);
        view->DrawSurfaces(batch);
        return device.GetBatches();
    }

    std::unique_ptr<WorldView> view;
};
