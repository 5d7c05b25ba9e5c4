// AnimationResource -- the ".mda" animation file: per-frame bone poses, root motion and bounds, used in place.
#include "resources/models/AnimationResource.h"

#include "core/DebugSystem.h"
#include "resources/models/BinaryModelFile.h"
#include "resources/models/SkeletonResource.h"

#include <memory>

namespace {

bool PosesFinite(const BonePose* poses, int64_t count)
{
    for (int64_t i = 0; i < count; ++i) {
        const Quaternion& q = poses[i].rotation;
        const Vector3& p = poses[i].position;
        if (!AllFinite({q.x, q.y, q.z, q.w, p.x, p.y, p.z}))
            return false;
    }
    return true;
}

bool VectorsFinite(const Vector3* vectors, int64_t count)
{
    for (int64_t i = 0; i < count; ++i) {
        if (!AllFinite({vectors[i].x, vectors[i].y, vectors[i].z}))
            return false;
    }
    return true;
}

bool BoundsFinite(const FrameBounds* bounds, int64_t count)
{
    for (int64_t i = 0; i < count; ++i) {
        if (!VectorsFinite(&bounds[i].minimum, 1) || !VectorsFinite(&bounds[i].maximum, 1) ||
            !AllFinite({bounds[i].radius}))
            return false;
    }
    return true;
}

} // namespace

Resource* AnimationResource::Load(const std::string& name, uint8_t* bytes, uint32_t byteCount, int32_t)
{
    BinaryModelFile file(name, bytes, byteCount);
    const auto* header = file.Table<AnimationHeader>(0, 1, "header");
    if (!header)
        return nullptr;
    if (header->boneCount > SkeletonResource::kMaxBones || header->boneCount < 0) {
        file.Refuse("bone count outside any skeleton");
        return nullptr;
    }
    auto animation = std::make_unique<AnimationResource>();
    animation->header = header;
    if (!animation->MapTables(file))
        return nullptr;
    int64_t frames = header->frameCount;
    if (!PosesFinite(animation->poses, frames * header->boneCount) || !VectorsFinite(animation->rootMotion, frames) ||
        (animation->bounds && !BoundsFinite(animation->bounds, frames))) {
        file.Refuse("value not finite");
        return nullptr;
    }
    animation->KeepBytes(bytes, byteCount);
    return animation.release();
}

bool AnimationResource::MapTables(const BinaryModelFile& file)
{
    int64_t frames = header->frameCount;
    poses = file.Table<BonePose>(header->poseOffset, frames * header->boneCount, "pose table");
    if (!poses)
        return false;
    rootMotion = file.Table<Vector3>(header->rootMotionOffset, frames, "root-motion table");
    if (!rootMotion)
        return false;
    if (header->version <= 1)
        return true;
    bounds = file.Table<FrameBounds>(header->boundsOffset, frames, "bounds table");
    return bounds != nullptr;
}

const BonePose* AnimationResource::GetFramePoses(int32_t frame) const
{
    if (frame < 0 || frame >= header->frameCount)
        return nullptr;
    return poses + static_cast<int64_t>(frame) * header->boneCount;
}

const FrameBounds* AnimationResource::FindBounds(int32_t frame) const
{
    return bounds && frame >= 0 && frame < header->frameCount ? &bounds[frame] : nullptr;
}

Vector3 AnimationResource::GetFrameBoundsMin(int32_t frame) const
{
    const FrameBounds* found = FindBounds(frame);
    return found ? found->minimum : kDefaultBoundsMin;
}

Vector3 AnimationResource::GetFrameBoundsMax(int32_t frame) const
{
    const FrameBounds* found = FindBounds(frame);
    return found ? found->maximum : kDefaultBoundsMax;
}

float AnimationResource::GetFrameRadius(int32_t frame) const
{
    const FrameBounds* found = FindBounds(frame);
    return found ? found->radius : kDefaultRadius;
}

void AnimationResource::PrintInfo()
{
    DebugSystem::Print(kPrintPlain, "  NumFrames - %d\n", header->frameCount);
}
