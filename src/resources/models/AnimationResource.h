// AnimationResource -- the ".mda" animation file: per-frame bone poses, root motion and bounds, used in place.
#pragma once

#include "core/Quaternion.h"
#include "core/Vector.h"
#include "resources/Resource.h"

#include <cstdint>
#include <string>

class BinaryModelFile;

struct AnimationHeader {
    int32_t unused;
    int32_t version; // above 1: the file has a bounds table
    int32_t frameCount;
    int32_t boneCount;
    int32_t poseOffset;       // frameCount x boneCount poses, frame after frame
    int32_t rootMotionOffset; // frameCount records
    int32_t boundsOffset;     // frameCount records
};

// Relative to the parent bone; a root bone's as they stand.
struct BonePose {
    Quaternion rotation;
    Vector3 position;
};

struct FrameBounds {
    Vector3 minimum;
    Vector3 maximum;
    float radius;
};

class AnimationResource : public Resource {
public:
    // The box and radius of a file without bounds: no width in x and y, as the renderer's
    // culling has always been given.
    static constexpr Vector3 kDefaultBoundsMin{-20.0f, -20.0f, 0.0f};
    static constexpr Vector3 kDefaultBoundsMax{-20.0f, -20.0f, 60.0f};
    static constexpr float kDefaultRadius = 30.0f;

    // The "mda" factory (loader thread). Refuses (null, logged) a file whose tables leave the
    // bytes, with more bones than a skeleton may have, or with a value not finite.
    static Resource* Load(const std::string& name, uint8_t* bytes, uint32_t byteCount, int32_t loadArgument);

    int32_t GetFrameCount() const { return header->frameCount; }
    int32_t GetBoneCount() const { return header->boneCount; }
    int32_t GetVersion() const { return header->version; }
    // The bone count's poses of the frame; null for a frame outside the animation.
    const BonePose* GetFramePoses(int32_t frame) const;
    // The frame count's root-motion records.
    const Vector3* GetRootMotion() const { return rootMotion; }
    // Without a bounds table, or for a frame outside the animation, the defaults above.
    Vector3 GetFrameBoundsMin(int32_t frame) const;
    Vector3 GetFrameBoundsMax(int32_t frame) const;
    float GetFrameRadius(int32_t frame) const;

    void PrintInfo() override;

private:
    // Points at the header's tables; false (logged) at the first that leaves the file.
    bool MapTables(const BinaryModelFile& file);
    const FrameBounds* FindBounds(int32_t frame) const;

    const AnimationHeader* header = nullptr;
    const BonePose* poses = nullptr;
    const Vector3* rootMotion = nullptr;
    const FrameBounds* bounds = nullptr;
};
