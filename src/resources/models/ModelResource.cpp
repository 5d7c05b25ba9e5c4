// ModelResource -- a loaded ".mdl" model: its files, animations, collision footprint and placement, and the queries on them.
#include "resources/models/ModelResource.h"

#include "core/DebugSystem.h"
#include "core/RandomSystem.h"
#include "core/StringUtil.h"
#include "resources/ResourceManager.h"
#include "resources/models/AnimationResource.h"
#include "resources/models/SkeletonResource.h"
#include "resources/models/Skin.h"

#include <cmath>

namespace {

template <class T>
T* Resolve(int32_t handle)
{
    return handle != -1 && gResourceManager ? dynamic_cast<T*>(gResourceManager->Get(handle)) : nullptr;
}

// Poses from the root down the bone's parent chain. The skeleton was checked to end every
// chain at a root, and the caller that the records cover its bones.
ModelBonePose PoseBone(const SkeletonResource& bones, const BonePose* records, int32_t bone)
{
    int32_t chain[SkeletonResource::kMaxBones];
    int32_t length = 0;
    for (int32_t at = bone; at != -1 && length < SkeletonResource::kMaxBones; at = bones.GetParent(at))
        chain[length++] = at;
    ModelBonePose pose;
    pose.position = records[chain[length - 1]].position;
    pose.rotation = records[chain[length - 1]].rotation;
    for (int32_t i = length - 2; i >= 0; --i) {
        const BonePose& local = records[chain[i]];
        pose.position = pose.position + Vector3MultiplyMatrix3(local.position, QuaternionToMatrix3(pose.rotation));
        pose.rotation = QuaternionMultiply(pose.rotation, local.rotation);
    }
    pose.matrix = QuaternionToMatrix3(pose.rotation);
    return pose;
}

// A time a frame can be taken from: not negative, not NaN.
float FrameTime(float time)
{
    return std::isfinite(time) && time > 0.0f ? time : 0.0f;
}

// The frame of a time, the last one for a time past the end.
int32_t FrameAt(float time, const AnimationResource& file)
{
    int32_t last = file.GetFrameCount() - 1;
    return time >= static_cast<float>(last) ? last : static_cast<int32_t>(time);
}

} // namespace

float FracPart(float x)
{
    return x - std::trunc(x);
}

const Animation* ModelResource::GetAnimation(int32_t index) const
{
    return index >= 0 && index < GetAnimationCount() ? animations[index].get() : nullptr;
}

Animation* ModelResource::GetAnimation(int32_t index)
{
    return index >= 0 && index < GetAnimationCount() ? animations[index].get() : nullptr;
}

int32_t ModelResource::PickAnimation(std::string_view name) const
{
    // Counted, then the drawn one found by a second walk: every entity asks this at every step,
    // and a list of the matches would be made and freed each time.
    auto matches = [this, name](int32_t i) { return StringEqualsNoCase(animations[i]->name, name); };
    int32_t count = 0;
    for (int32_t i = 0; i < GetAnimationCount(); ++i)
        count += matches(i) ? 1 : 0;
    if (count == 0)
        return -1;
    int32_t drawn = DrawRandomIndex(RandomStream::GameData, 0, count - 1);
    for (int32_t i = 0; i < GetAnimationCount(); ++i)
        if (matches(i) && drawn-- == 0)
            return i;
    return -1;
}

const Skin* ModelResource::GetSkin() const
{
    return Resolve<const Skin>(skin);
}

const SkeletonResource* ModelResource::GetSkeleton() const
{
    return Resolve<const SkeletonResource>(skeleton);
}

TagsResource* ModelResource::GetTags() const
{
    return Resolve<TagsResource>(tags);
}

TagsResource* ModelResource::GetBoundTags(const SkeletonResource& bones) const
{
    TagsResource* tagSet = GetTags();
    if (tagSet && !tagSet->IsBound())
        tagSet->BindToSkeleton(bones);
    return tagSet;
}

int32_t ModelResource::FindTag(std::string_view name) const
{
    const SkeletonResource* bones = GetSkeleton();
    if (!bones)
        return -1;
    int32_t bone = bones->FindBone(name);
    if (bone != -1)
        return bone;
    TagsResource* tagSet = GetTags();
    int32_t tag = tagSet ? tagSet->FindTag(*bones, name) : -1;
    return tag == -1 ? -1 : bones->GetBoneCount() + tag;
}

AttachPoint ModelResource::GetTag(int32_t index) const
{
    AttachPoint point;
    const SkeletonResource* bones = GetSkeleton();
    if (!bones || index < 0)
        return point;
    if (index < bones->GetBoneCount()) {
        point.parent = index;
        return point;
    }
    if (TagsResource* tagSet = GetBoundTags(*bones))
        tagSet->GetTag(index - bones->GetBoneCount(), point);
    return point;
}

void ModelResource::SetTag(int32_t index, const AttachPoint& point)
{
    const SkeletonResource* bones = GetSkeleton();
    TagsResource* tagSet = bones ? GetTags() : nullptr;
    if (tagSet && index >= bones->GetBoneCount())
        tagSet->SetTag(index - bones->GetBoneCount(), point);
}

int32_t ModelResource::GetFirstTagIndex() const
{
    const SkeletonResource* bones = GetSkeleton();
    return bones && GetBoundTags(*bones) ? bones->GetBoneCount() : -1;
}

int32_t ModelResource::GetTagCount() const
{
    const SkeletonResource* bones = GetSkeleton();
    if (!bones)
        return 0;
    const TagsResource* tagSet = GetTags();
    return bones->GetBoneCount() + (tagSet ? tagSet->GetCount() : 0);
}

std::string ModelResource::GetTagName(int32_t index) const
{
    const SkeletonResource* bones = GetSkeleton();
    if (!bones || index < 0)
        return {};
    if (index < bones->GetBoneCount())
        return std::string(bones->GetBoneName(index));
    const TagsResource* tagSet = GetTags();
    return tagSet ? tagSet->GetName(index - bones->GetBoneCount()) : std::string();
}

std::string ModelResource::GetBoneName(int32_t bone) const
{
    const SkeletonResource* bones = GetSkeleton();
    return bones ? std::string(bones->GetBoneName(bone)) : std::string();
}

void ModelResource::SetTagName(int32_t index, std::string_view name)
{
    const SkeletonResource* bones = GetSkeleton();
    TagsResource* tagSet = bones ? GetTags() : nullptr;
    if (tagSet && index >= bones->GetBoneCount())
        tagSet->SetName(index - bones->GetBoneCount(), name);
}

void ModelResource::SetTagParent(int32_t index, std::string_view boneName)
{
    const SkeletonResource* bones = GetSkeleton();
    TagsResource* tagSet = bones ? GetTags() : nullptr;
    if (tagSet && index >= bones->GetBoneCount())
        tagSet->SetParent(index - bones->GetBoneCount(), boneName, bones->FindBone(boneName));
}

void ModelResource::AddTag()
{
    if (TagsResource* tagSet = GetTags())
        tagSet->AddTag();
}

void ModelResource::RemoveTag(int32_t index)
{
    const SkeletonResource* bones = GetSkeleton();
    TagsResource* tagSet = bones ? GetTags() : nullptr;
    if (tagSet && index >= bones->GetBoneCount())
        tagSet->RemoveTag(index - bones->GetBoneCount());
}

bool ModelResource::SaveTags() const
{
    const SkeletonResource* bones = GetSkeleton();
    const TagsResource* tagSet = bones ? GetTags() : nullptr;
    return tagSet && tagSet->Save(tagsFileName, *bones);
}

bool ModelResource::ComputeBonePose(const BonePose* records, int32_t recordCount, int32_t bone,
                                    ModelBonePose& out) const
{
    const SkeletonResource* bones = GetSkeleton();
    if (!bones || !records || recordCount < bones->GetBoneCount() || bone < 0 || bone >= bones->GetBoneCount())
        return false;
    out = PoseBone(*bones, records, bone);
    return true;
}

// Frames are read by the skeleton's bone numbers: an animation made for another skeleton
// would be read past its records.
const AnimationResource* ModelResource::GetPoseableFile(int32_t animationIndex, const SkeletonResource& bones) const
{
    const Animation* entry = GetAnimation(animationIndex);
    const AnimationResource* file = entry ? entry->GetResource() : nullptr;
    if (!file || file->GetFrameCount() <= 0 || file->GetBoneCount() != bones.GetBoneCount())
        return nullptr;
    return file;
}

bool ModelResource::ComputeTagTransform(const TagPoseQuery& query, TagTransform& out) const
{
    const SkeletonResource* bones = GetSkeleton();
    const AnimationResource* file = bones ? GetPoseableFile(query.animation, *bones) : nullptr;
    if (!file)
        return false;
    AttachPoint point = GetTag(query.attachPoint);
    if (point.parent < 0 || point.parent >= bones->GetBoneCount())
        return false;
    float time = FrameTime(query.time);
    const BonePose* current = file->GetFramePoses(FrameAt(time, *file));
    const BonePose* previous = current;
    if (time > 1.0f)
        previous = file->GetFramePoses(FrameAt(time - 1.0f, *file));
    else if (const AnimationResource* second = GetPoseableFile(query.secondAnimation, *bones))
        previous = second->GetFramePoses(FrameAt(FrameTime(query.secondTime), *second));
    ModelBonePose now;
    ModelBonePose before;
    if (!ComputeBonePose(current, bones->GetBoneCount(), point.parent, now) ||
        !ComputeBonePose(previous, bones->GetBoneCount(), point.parent, before))
        return false;
    float fraction = FracPart(time);
    Vector3 position = Vector3Lerp(now.position, before.position, fraction);
    Quaternion rotation = QuaternionSlerp(before.rotation, now.rotation, fraction);
    position = position + Vector3MultiplyMatrix3(point.offset, QuaternionToMatrix3(rotation));
    rotation = QuaternionMultiply(rotation, point.rotation);
    out.offset = Vector3MultiplyMatrix3(position, query.entityMatrix) * query.scale;
    out.matrix = Matrix3Multiply(query.entityMatrix, QuaternionToMatrix3(rotation));
    return true;
}

bool ModelResource::GetCollisionCell(int32_t x, int32_t y) const
{
    if (x < 0 || y < 0 || x >= collisionWidth || y >= collisionHeight)
        return false;
    return collisionCells[static_cast<size_t>(collisionWidth) * y + x];
}

bool ModelResource::IsCollisionCellBlocked(int32_t x, int32_t y, int32_t facing) const
{
    if (collisionCells.empty())
        return x == cellsPerTile - 1 && y == cellsPerTile - 1;
    int32_t w = collisionWidth;
    int32_t h = collisionHeight;
    switch (facing) {
    case 4:
        return GetCollisionCell(w - 1 - x, h - 1 - y);
    case 6:
        return GetCollisionCell(y, h - 1 - x);
    case 2:
        return GetCollisionCell(w - 1 - y, x);
    default:
        return GetCollisionCell(x, y);
    }
}

Vector2 ModelResource::GetOffset(int32_t facing) const
{
    if (!offsetSet)
        return {};
    if (facing == 0 || facing == 4)
        return offset;
    if (facing == 2 || facing == 6)
        return {offset.y, offset.x};
    return {};
}

void ModelResource::PrintInfo()
{
    for (int32_t handle : {skeleton.GetValue(), mesh.GetValue(), tags.GetValue()}) {
        if (Resource* part = Resolve<Resource>(handle))
            part->PrintInfo();
    }
    for (const auto& entry : animations) {
        DebugSystem::Print(kPrintPlain, "Anim %s\n", entry->name.c_str());
        if (Resource* file = Resolve<Resource>(entry->animation))
            file->PrintInfo();
    }
}
