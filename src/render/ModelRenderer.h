// ModelRenderer -- poses a model once per instance and frame and writes its sub-meshes, skinned from their bone weights, into the current batch.
#pragma once

#include "core/UserVarRef.h"
#include "resources/GraphicsDevice.h"
#include "resources/models/ModelResource.h"

#include <cstdint>
#include <set>
#include <unordered_map>
#include <utility>
#include <vector>

class ImmediateDraw;
class ModelEntity;
class ShaderBatch;

// What one sub-mesh draw needs.
struct ModelMeshDraw {
    ModelEntity* entity = nullptr;
    const ModelResource* model = nullptr;
    int32_t animation = -1;
    float time = 0.0f;
    float scale = 1.0f;
    int32_t subMesh = 0;
    int32_t instance = -1;
    bool withNormals = false;
};

// The animation's file when it has frames, else null.
const AnimationResource* ModelAnimationFile(const ModelResource& model, int32_t animation);
// The frame shown at a time: the first for a negative or NaN time, the last for one past the end.
int32_t ModelAnimationFrame(float time, const AnimationResource& file);

// Main thread. The instance list and the pose buffer are emptied by BeginFrame and only grow.
class ModelRenderer {
public:
    // "drawModel" and "showSkel".
    void RegisterVars();
    void BeginFrame();
    // A new instance without a pose; its index.
    int32_t AddInstance();
    int32_t GetInstanceCount() const { return static_cast<int32_t>(instances.size()); }
    // Where the skeleton lines of "showSkel" go; null draws none.
    void SetLineDrawer(ImmediateDraw* lines) { lineDrawer = lines; }

    // Writes the sub-mesh into the batch; the instance's pose is computed on its first draw.
    void DrawModelMesh(ShaderBatch& batch, const ModelMeshDraw& draw);

    int32_t GetPosesComputed() const { return posesComputed; }

private:
    struct CachedMesh {
        const void* mesh = nullptr;
        int32_t animation = -1;
        float time = 0.0f;
        std::vector<DeviceVertex> vertices;
        std::vector<float> normals;
        // From 0: the batch's base is added when the cache is copied in.
        std::vector<uint16_t> indexes;
    };

    bool ComputePose(const ModelMeshDraw& draw, const SkeletonResource& bones);
    bool CheckBones(const ModelMeshDraw& draw, const SkeletonResource& bones, const AnimationResource& file,
                    int32_t meshBoneSpan);
    void SkinSurface(ShaderBatch& batch, const ModelMeshDraw& draw, const ModelBonePose* pose, int32_t boneCount);
    bool DrawFromCache(ShaderBatch& batch, const ModelMeshDraw& draw, const void* mesh);
    void DrawSkeleton(const ModelBonePose* pose, const SkeletonResource& bones, float scale) const;

    std::vector<int32_t> instances;
    std::vector<ModelBonePose> poses;
    // The pose's bones as composed so far: a skeleton's parents may follow their children.
    std::vector<uint8_t> composed;
    std::unordered_map<const ModelResource*, CachedMesh> cache;
    // Model and animation pairs whose mismatch was logged: once each, not every frame.
    std::set<std::pair<const ModelResource*, int32_t>> reported;
    ImmediateDraw* lineDrawer = nullptr;
    UserVarRef drawModelVar;
    UserVarRef showSkelVar;
    int32_t posesComputed = 0;
};
