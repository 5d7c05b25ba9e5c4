// ModelRenderer -- poses a model once per instance and frame and writes its sub-meshes, skinned from their bone weights, into the current batch.
#include "render/ModelRenderer.h"

#include "core/ColorSystem.h"
#include "core/DebugSystem.h"
#include "core/UserVarSystem.h"
#include "render/ImmediateDraw.h"
#include "render/ModelEntity.h"
#include "resources/ResourceManager.h"
#include "resources/models/AnimationResource.h"
#include "resources/models/MeshResource.h"
#include "resources/models/SkeletonResource.h"
#include "resources/shaders/ShaderBatch.h"
#include "world/EntityBase.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// Indexes into a batch are 16 bits.
constexpr int32_t kModelRendererMaxVertices = std::numeric_limits<uint16_t>::max();

float ModelRendererTime(float time)
{
    return std::isfinite(time) && time > 0.0f ? time : 0.0f;
}

// What the frame before the first one blends from: the entity's previous animation, when it
// poses the same bones and has frames; else frame A itself.
const BonePose* ModelRendererPreviousFrame(const ModelMeshDraw& draw, int32_t boneCount, const BonePose* frameA)
{
    if (!draw.entity)
        return frameA;
    EntityBase& entity = draw.entity->GetEntityBase();
    const AnimationResource* previous = ModelAnimationFile(*draw.model, entity.GetBlendAnimation());
    if (!previous || previous->GetBoneCount() != boneCount)
        return frameA;
    return previous->GetFramePoses(ModelAnimationFrame(entity.blendFrame, *previous));
}

} // namespace

const AnimationResource* ModelAnimationFile(const ModelResource& model, int32_t animation)
{
    const Animation* entry = model.GetAnimation(animation);
    const AnimationResource* file = entry ? entry->GetResource() : nullptr;
    return file && file->GetFrameCount() > 0 ? file : nullptr;
}

int32_t ModelAnimationFrame(float time, const AnimationResource& file)
{
    float shown = ModelRendererTime(time);
    int32_t last = file.GetFrameCount() - 1;
    return shown >= static_cast<float>(last) ? last : static_cast<int32_t>(shown);
}

void ModelRenderer::RegisterVars()
{
    drawModelVar = gUserVarSystem->RegisterVar("drawModel", "1");
    showSkelVar = gUserVarSystem->RegisterVar("showSkel", "0");
}

void ModelRenderer::BeginFrame()
{
    instances.clear();
    poses.clear();
    posesComputed = 0;
}

int32_t ModelRenderer::AddInstance()
{
    instances.push_back(-1);
    return static_cast<int32_t>(instances.size()) - 1;
}

bool ModelRenderer::CheckBones(const ModelMeshDraw& draw, const SkeletonResource& bones,
                               const AnimationResource& file, int32_t meshBoneSpan)
{
    bool animationFits = bones.GetBoneCount() == file.GetBoneCount();
    bool meshFits = meshBoneSpan <= bones.GetBoneCount();
    if (animationFits && meshFits)
        return true;
    // Logged once per model and animation: the same surface is drawn every frame.
    if (reported.emplace(draw.model, draw.animation).second) {
        if (!animationFits)
            DebugSystem::Print(kPrintError, "Number of bones mismatch: model - %s, anim - %s\n",
                               draw.model->GetName().c_str(), file.GetName().c_str());
        else
            DebugSystem::Print(kPrintError, "Mesh of model %s weights bones past its skeleton of %d\n",
                               draw.model->GetName().c_str(), bones.GetBoneCount());
    }
    return false;
}

// Frames A = floor(t) and B, the one before (or the blend source); each bone lerped and
// slerped from B to A by the fraction, then composed onto its parent. Parents are composed
// first whatever order the skeleton lists them in.
bool ModelRenderer::ComputePose(const ModelMeshDraw& draw, const SkeletonResource& bones)
{
    const AnimationResource* file = ModelAnimationFile(*draw.model, draw.animation);
    int32_t count = bones.GetBoneCount();
    float time = ModelRendererTime(draw.time);
    const BonePose* frameA = file->GetFramePoses(ModelAnimationFrame(time, *file));
    const BonePose* frameB = time >= 1.0f ? file->GetFramePoses(ModelAnimationFrame(time - 1.0f, *file))
                                          : ModelRendererPreviousFrame(draw, count, frameA);
    if (!frameA || !frameB)
        return false;
    float fraction = time - std::floor(time);
    size_t first = poses.size();
    instances[draw.instance] = static_cast<int32_t>(first);
    poses.resize(first + static_cast<size_t>(count));
    ModelBonePose* pose = poses.data() + first;
    for (int32_t bone = 0; bone < count; ++bone) {
        pose[bone].position = Vector3Lerp(frameA[bone].position, frameB[bone].position, fraction);
        pose[bone].rotation = QuaternionSlerp(frameB[bone].rotation, frameA[bone].rotation, fraction);
    }
    composed.assign(static_cast<size_t>(count), 0);
    int32_t chain[SkeletonResource::kMaxBones];
    for (int32_t bone = 0; bone < count; ++bone) {
        int32_t length = 0;
        // Up to the first composed ancestor; a loop in a broken skeleton ends at its length.
        for (int32_t at = bone; at >= 0 && at < count && !composed[at] && length < count; at = bones.GetParent(at))
            chain[length++] = at;
        for (int32_t i = length - 1; i >= 0; --i) {
            int32_t at = chain[i];
            int32_t parent = bones.GetParent(at);
            if (parent >= 0 && parent < count && composed[parent]) {
                const ModelBonePose& above = pose[parent];
                pose[at].position = above.position + Vector3MultiplyMatrix3(pose[at].position, above.matrix);
                pose[at].rotation = QuaternionMultiply(above.rotation, pose[at].rotation);
            }
            pose[at].matrix = QuaternionToMatrix3(pose[at].rotation);
            composed[at] = 1;
        }
    }
    ++posesComputed;
    return true;
}

void ModelRenderer::SkinSurface(ShaderBatch& batch, const ModelMeshDraw& draw, const ModelBonePose* pose,
                                int32_t boneCount)
{
    auto* mesh = dynamic_cast<const MeshResource*>(gResourceManager->Get(draw.model->mesh));
    const MeshSurface& surface = mesh->GetSurfaces()[static_cast<size_t>(draw.subMesh)];
    if (surface.vertexCount <= 0 || surface.vertexCount > kModelRendererMaxVertices)
        return;
    bool caching = !draw.entity && draw.scale == 1.0f && mesh->GetSurfaceCount() <= 1;
    CachedMesh* cached = nullptr;
    if (caching) {
        cached = &cache[draw.model];
        cached->mesh = mesh;
        cached->animation = draw.animation;
        cached->time = draw.time;
        cached->vertices.clear();
        cached->normals.clear();
        cached->indexes.clear();
    }
    batch.Reserve(static_cast<uint32_t>(surface.vertexCount));
    const MeshWeight* weights = mesh->GetWeights();
    uint16_t base = 0;
    for (int32_t v = 0; v < surface.vertexCount; ++v) {
        const MeshVertex& source = surface.vertices[v];
        DeviceVertex vertex;
        Vector3 position;
        for (int32_t w = 0; w < source.weightCount; ++w) {
            const MeshWeight& weight = weights[source.firstWeight + w];
            const ModelBonePose& bone = pose[std::clamp(weight.bone, 0, boneCount - 1)];
            position = position + (bone.position + Vector3MultiplyMatrix3(weight.position, bone.matrix)) * weight.weight;
        }
        position = position * draw.scale;
        vertex.position[0] = position.x;
        vertex.position[1] = position.y;
        vertex.position[2] = position.z;
        vertex.texCoord[0] = source.u;
        vertex.texCoord[1] = source.v;
        Vector3 normal = source.normal;
        if (draw.withNormals && source.weightCount > 0) {
            normal = Vector3MultiplyMatrix3(normal, pose[std::clamp(weights[source.firstWeight].bone, 0, boneCount - 1)].matrix);
            Vector3Normalize(normal);
        }
        const float n[3] = {normal.x, normal.y, normal.z};
        uint16_t index = batch.AddVertex(vertex, draw.withNormals ? n : nullptr, false);
        if (v == 0)
            base = index;
        if (cached) {
            cached->vertices.push_back(vertex);
            cached->normals.insert(cached->normals.end(), n, n + 3);
        }
    }
    for (int32_t t = 0; t < surface.triangleCount; ++t) {
        const int32_t* corner = surface.triangles[t].vertex;
        batch.AddTriangle(static_cast<uint16_t>(base + corner[0]), static_cast<uint16_t>(base + corner[1]),
                          static_cast<uint16_t>(base + corner[2]));
        if (cached)
            for (int i = 0; i < 3; ++i)
                cached->indexes.push_back(static_cast<uint16_t>(corner[i]));
    }
}

bool ModelRenderer::DrawFromCache(ShaderBatch& batch, const ModelMeshDraw& draw, const void* mesh)
{
    auto found = cache.find(draw.model);
    if (found == cache.end())
        return false;
    const CachedMesh& cached = found->second;
    if (cached.mesh != mesh || cached.animation != draw.animation || cached.time != draw.time ||
        cached.vertices.empty())
        return false;
    batch.Reserve(static_cast<uint32_t>(cached.vertices.size()));
    uint16_t base = 0;
    for (size_t v = 0; v < cached.vertices.size(); ++v) {
        uint16_t index = batch.AddVertex(cached.vertices[v], draw.withNormals ? &cached.normals[v * 3] : nullptr, false);
        if (v == 0)
            base = index;
    }
    for (size_t i = 0; i + 2 < cached.indexes.size(); i += 3)
        batch.AddTriangle(static_cast<uint16_t>(base + cached.indexes[i]), static_cast<uint16_t>(base + cached.indexes[i + 1]),
                          static_cast<uint16_t>(base + cached.indexes[i + 2]));
    return true;
}

void ModelRenderer::DrawSkeleton(const ModelBonePose* pose, const SkeletonResource& bones, float scale) const
{
    if (!lineDrawer)
        return;
    Color color;
    ColorSystem::GetColorByIndex(color.r, color.g, color.b, 0);
    for (int32_t bone = 0; bone < bones.GetBoneCount(); ++bone) {
        int32_t parent = bones.GetParent(bone);
        if (parent >= 0 && parent < bones.GetBoneCount())
            lineDrawer->DrawLine3D(pose[bone].position * scale, pose[parent].position * scale, color, 1.0f);
    }
}

void ModelRenderer::DrawModelMesh(ShaderBatch& batch, const ModelMeshDraw& draw)
{
    if (!draw.model || draw.instance < 0 || static_cast<size_t>(draw.instance) >= instances.size())
        return;
    bool drawModel = !drawModelVar.IsValid() || drawModelVar.GetBool();
    auto* mesh = dynamic_cast<const MeshResource*>(gResourceManager->Get(draw.model->mesh));
    const SkeletonResource* bones = draw.model->GetSkeleton();
    if (!mesh || draw.subMesh < 0 || draw.subMesh >= mesh->GetSurfaceCount())
        return;
    if (!draw.entity && draw.scale == 1.0f && drawModel && DrawFromCache(batch, draw, mesh))
        return;
    const AnimationResource* file = ModelAnimationFile(*draw.model, draw.animation);
    if (!bones || !file || bones->GetBoneCount() <= 0 || !CheckBones(draw, *bones, *file, mesh->GetBoneSpan()))
        return;
    if (instances[draw.instance] < 0 && !ComputePose(draw, *bones))
        return;
    const ModelBonePose* pose = poses.data() + instances[draw.instance];
    if (drawModel)
        SkinSurface(batch, draw, pose, bones->GetBoneCount());
    if (showSkelVar.IsValid() && showSkelVar.GetInt() != 0)
        DrawSkeleton(pose, *bones, draw.scale);
}
