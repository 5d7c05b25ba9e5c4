// SkeletonResource -- the ".mds" skeleton file: the bone hierarchy and bone names, used in place.
#pragma once

#include "resources/Resource.h"

#include <cstdint>
#include <string>
#include <string_view>

struct SkeletonHeader {
    int32_t unused0;
    int32_t unused1;
    int32_t boneCount;
};

struct SkeletonBone {
    int32_t parent;     // -1 for a root bone
    int32_t nameOffset; // from the start of the file, to a NUL-terminated name
};

class SkeletonResource : public Resource {
public:
    // Poses are built along the parent chain in a fixed local array; no model comes near it.
    static constexpr int32_t kMaxBones = 256;

    // The "mds" factory (loader thread). Refuses (null, logged) a file whose tables or names
    // leave the bytes, with more than kMaxBones bones, a parent outside the skeleton, or
    // parents that form a cycle.
    static Resource* Load(const std::string& name, uint8_t* bytes, uint32_t byteCount, int32_t loadArgument);

    int32_t GetBoneCount() const { return header->boneCount; }
    // -1 for a root bone and for a bone outside the skeleton.
    int32_t GetParent(int32_t bone) const;
    // Empty for a bone outside the skeleton.
    std::string_view GetBoneName(int32_t bone) const;
    // The first bone of that name without regard to case, or -1.
    int32_t FindBone(std::string_view name) const;

    void PrintInfo() override;

private:
    bool IsBone(int32_t bone) const { return bone >= 0 && bone < header->boneCount; }

    const SkeletonHeader* header = nullptr;
    const SkeletonBone* bones = nullptr;
};
