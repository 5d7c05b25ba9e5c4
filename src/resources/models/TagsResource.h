// TagsResource -- the ".tag" attach points: named positions fixed to skeleton bones, read, edited and written back.
#pragma once

#include "core/Quaternion.h"
#include "core/Vector.h"
#include "resources/Resource.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class SkeletonResource;

// Where an attach point hangs: its bone, and its offset and rotation relative to that bone.
struct AttachPoint {
    int32_t parent = -1;
    Vector3 offset;
    Quaternion rotation;
};

// One tag a line: name, parent bone name, offset x y z, rotation w x y z. Values with blanks
// are in double quotes.
class TagsResource : public Resource {
public:
    struct Tag {
        std::string name;
        std::string parentName;
        // The bone index; -1 until bound, and when no bone has the parent name.
        int32_t parent = -1;
        Vector3 offset;
        Quaternion rotation;
    };

    // The "tag" factory (loader thread): any text gives tags; nothing is validated.
    static Resource* Load(const std::string& name, uint8_t* bytes, uint32_t byteCount, int32_t loadArgument);
    void Parse(const uint8_t* bytes, uint32_t byteCount);

    int32_t GetCount() const { return static_cast<int32_t>(tags.size()); }
    bool IsBound() const { return bound; }
    void BindToSkeleton(const SkeletonResource& skeleton);
    // The first tag of the name without regard to case, or -1; binds first when not yet bound.
    int32_t FindTag(const SkeletonResource& skeleton, std::string_view name);
    // Outside the tags only out's parent is written (-1).
    void GetTag(int32_t index, AttachPoint& out) const;
    // Each editing operation does nothing for an index outside the tags.
    void SetTag(int32_t index, const AttachPoint& point);
    std::string GetName(int32_t index) const;
    void SetName(int32_t index, std::string_view name);
    void SetParent(int32_t index, std::string_view boneName, int32_t boneIndex);
    // "NewTag" on bone 0 with no offset and no rotation, its parent name left empty.
    void AddTag();
    void RemoveTag(int32_t index);
    // Writes every tag, its parent named by the skeleton's bone of its index or, for a tag on no
    // bone of this skeleton, by its stored parent name, so that saving never loses the parent.
    // Goes to the user folder through the file system, replacing the file whole.
    bool Save(std::string_view fileName, const SkeletonResource& skeleton) const;
    std::string ToText(const SkeletonResource& skeleton) const;

    void PrintInfo() override;

private:
    bool IsTag(int32_t index) const { return index >= 0 && index < GetCount(); }

    std::vector<Tag> tags;
    bool bound = false;
};
