// SkeletonResource -- the ".mds" skeleton file: the bone hierarchy and bone names, used in place.
#include "resources/models/SkeletonResource.h"

#include "core/DebugSystem.h"
#include "core/StringUtil.h"
#include "resources/models/BinaryModelFile.h"

namespace {

constexpr int64_t kBoneTableOffset = 12;

// Walking up from any bone must reach a root within boneCount steps; a longer walk is a cycle,
// which would send every pose query round it for ever.
bool ParentsEndAtRoots(const SkeletonBone* bones, int32_t boneCount)
{
    for (int32_t bone = 0; bone < boneCount; ++bone) {
        int32_t steps = 0;
        for (int32_t at = bones[bone].parent; at != -1; at = bones[at].parent) {
            if (++steps > boneCount)
                return false;
        }
    }
    return true;
}

bool CheckBones(const BinaryModelFile& file, const SkeletonBone* bones, int32_t boneCount)
{
    for (int32_t bone = 0; bone < boneCount; ++bone) {
        if (bones[bone].parent < -1 || bones[bone].parent >= boneCount)
            return file.Refuse("bone parent outside the skeleton");
        if (!file.Text(bones[bone].nameOffset, "bone name"))
            return false;
    }
    return ParentsEndAtRoots(bones, boneCount) || file.Refuse("bone parents form a cycle");
}

} // namespace

Resource* SkeletonResource::Load(const std::string& name, uint8_t* bytes, uint32_t byteCount, int32_t)
{
    BinaryModelFile file(name, bytes, byteCount);
    const auto* header = file.Table<SkeletonHeader>(0, 1, "header");
    if (!header)
        return nullptr;
    if (header->boneCount > kMaxBones) {
        file.Refuse("too many bones");
        return nullptr;
    }
    const auto* bones = file.Table<SkeletonBone>(kBoneTableOffset, header->boneCount, "bone table");
    if (!bones || !CheckBones(file, bones, header->boneCount))
        return nullptr;
    auto* skeleton = new SkeletonResource();
    skeleton->KeepBytes(bytes, byteCount);
    skeleton->header = header;
    skeleton->bones = bones;
    return skeleton;
}

int32_t SkeletonResource::GetParent(int32_t bone) const
{
    return IsBone(bone) ? bones[bone].parent : -1;
}

std::string_view SkeletonResource::GetBoneName(int32_t bone) const
{
    if (!IsBone(bone))
        return {};
    return reinterpret_cast<const char*>(GetBytes()) + bones[bone].nameOffset;
}

int32_t SkeletonResource::FindBone(std::string_view name) const
{
    for (int32_t bone = 0; bone < header->boneCount; ++bone) {
        if (StringEqualsNoCase(GetBoneName(bone), name))
            return bone;
    }
    return -1;
}

void SkeletonResource::PrintInfo()
{
    DebugSystem::Print(kPrintPlain, "NumBones - %d\n", header->boneCount);
}
