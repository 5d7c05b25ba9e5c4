// ModelResource -- a loaded ".mdl" model: its files, animations, collision footprint and placement, and the queries on them.
#pragma once

#include "core/ColorSystem.h"
#include "core/Matrix.h"
#include "core/Quaternion.h"
#include "core/Vector.h"
#include "resources/Resource.h"
#include "resources/ResourceHandle.h"
#include "resources/models/Animation.h"
#include "resources/models/TagsResource.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class AnimationResource;
class SkeletonResource;
class Skin;
struct BonePose;

// The level grid that model files are measured in: the game data's "TileSize" and its
// collision cells along a tile side. The defaults are the game data's own.
struct ModelGrid {
    float tileSize = 64.0f;
    int32_t cellsPerTile = 2;
};

// A bone's pose in model space; matrix is the rotation's, for row vectors (v x M).
struct ModelBonePose {
    Vector3 position;
    Quaternion rotation;
    Matrix3 matrix;
};

// Where an attach point stands at an animation time.
struct TagPoseQuery {
    int32_t animation = -1;
    float time = 0.0f; // in frames; the fraction blends with the frame before
    // Blended with when time is 1 or less, at its own time: the animation this one follows.
    int32_t secondAnimation = -1;
    float secondTime = 0.0f;
    int32_t attachPoint = -1;
    Matrix3 entityMatrix{{{1.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f}, {0.0f, 0.0f, 1.0f}}};
    float scale = 1.0f;
};

struct TagTransform {
    // Model space turned by the entity's matrix and scaled: the caller adds it to the entity's
    // world position with the world's own addition, which carries it across level edges.
    Vector3 offset;
    Matrix3 matrix;
};

// x minus x truncated toward zero.
float FracPart(float x);

// Attach points are numbered bones first (0 to B - 1), then the tags (B to B + T - 1). A bone as
// attach point hangs on itself with no offset and no rotation. Queries resolve the files
// through the resource manager, waiting for one still loading; main thread only.
class ModelResource : public Resource {
public:
    static constexpr int32_t kSprite = 0;
    static constexpr int32_t kSkeletal = 1;

    int32_t GetAnimationCount() const { return static_cast<int32_t>(animations.size()); }
    // Null outside the animations.
    const Animation* GetAnimation(int32_t index) const;
    Animation* GetAnimation(int32_t index);
    // One of the entries of the name (case ignored), drawn from random stream 0; -1 when none.
    int32_t PickAnimation(std::string_view name) const;
    const Skin* GetSkin() const;
    const SkeletonResource* GetSkeleton() const;

    // The first bone of the name, else the bone count plus the tag's index; -1 when neither, or
    // without skeleton.
    int32_t FindTag(std::string_view name) const;
    AttachPoint GetTag(int32_t index) const;
    void SetTag(int32_t index, const AttachPoint& point);
    // The bone count; -1 without skeleton or tags.
    int32_t GetFirstTagIndex() const;
    int32_t GetTagCount() const;
    std::string GetTagName(int32_t index) const;
    std::string GetBoneName(int32_t bone) const;
    void SetTagName(int32_t index, std::string_view name);
    void SetTagParent(int32_t index, std::string_view boneName);
    void AddTag();
    void RemoveTag(int32_t index);
    // Writes the tags to the model's tags file name; false without skeleton or tags.
    bool SaveTags() const;

    // The bone's pose in model space from one frame's records (as many as the skeleton has
    // bones); false without skeleton or for a bone outside it.
    bool ComputeBonePose(const BonePose* records, int32_t recordCount, int32_t bone, ModelBonePose& out) const;
    // False, with out untouched, without skeleton, animation file, frames, an attach point
    // on a bone, or when the animation's bones are not the skeleton's.
    bool ComputeTagTransform(const TagPoseQuery& query, TagTransform& out) const;

    // The footprint cell (x, y) of the tile the model stands on, turned by the facing (0, 2, 4, 6).
    bool IsCollisionCellBlocked(int32_t x, int32_t y, int32_t facing) const;
    // False for a cell outside the grid.
    bool GetCollisionCell(int32_t x, int32_t y) const;
    // The offset turned for the facing; (0, 0) when none was given or for an odd facing.
    Vector2 GetOffset(int32_t facing) const;

    void PrintInfo() override;

    int32_t type = kSkeletal;
    ResourceHandle skeleton;
    ResourceHandle mesh;
    ResourceHandle tags;
    ResourceHandle skin;
    ResourceHandle mapShader;
    bool useDefaultMapShader = true;
    // Directory included: the tags are written back where they were read.
    std::string tagsFileName;
    std::vector<std::unique_ptr<Animation>> animations;
    Color lightColor;
    float lightIntensity = 0.0f;
    // Row after row; bit (x, y) at width x y + x.
    std::vector<bool> collisionCells;
    int32_t collisionWidth = 0;
    int32_t collisionHeight = 0;
    int32_t collisionGridOffset[2] = {0, 0};
    Vector2 offset;
    bool offsetSet = false;
    int32_t inWayAlphaType = 1;
    float inWayMinFade = 0.5f;
    Vector2 inWayMinOffset;
    Vector2 inWayMaxOffset;
    Vector2 inWayScale{1.0f, 1.0f};
    std::string objectType;
    bool randomRotation = false;
    float randomScaleMin = 1.0f;
    float randomScaleMax = 1.0f;
    bool detailModel = false;
    bool blocksSight = false;
    bool cull = true;
    // Cells along a tile side when the model was read: the footprint of a model without one.
    int32_t cellsPerTile = ModelGrid().cellsPerTile;

private:
    TagsResource* GetTags() const;
    // The tags bound to the skeleton (bound here on first use); null without tags.
    TagsResource* GetBoundTags(const SkeletonResource& bones) const;
    const AnimationResource* GetPoseableFile(int32_t animationIndex, const SkeletonResource& bones) const;
};
