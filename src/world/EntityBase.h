// EntityBase -- what host and client entities share: place, facing, model with its priority-driven animation player, light, health pair.
#pragma once

#include "core/Color.h"
#include "core/Listener.h"
#include "core/RandomTimer.h"
#include "core/SafeClass.h"
#include "resources/ResourceHandle.h"
#include "world/WorldPos.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class MonsterType;

class Animation;
class IntArray;
class ModelResource;
class PathFinder;

// What the animation player tells OnAnimationEvent.
namespace AnimationSignal {
enum Value : int32_t { FrameReached = 0, Started = 1, Ended = 2 };
}

// What happens when an animation reaches its last frame.
namespace AnimationMode {
enum Value : int32_t { ReturnToIdle = 0, Loop = 1, Hold = 2 };
}

// Animation priorities are plain integers with three fixed meanings.
namespace AnimationPriority {
constexpr int32_t kAlwaysWins = 1;  // replaces anything, never raises a running animation's priority
constexpr int32_t kIdle = 2;
constexpr int32_t kGivesWay = 14;   // a running animation of this priority yields to any request
constexpr int32_t kGuardedLow = 6;  // the band an interruptible request respects
constexpr int32_t kGuardedHigh = 8;
} // namespace AnimationPriority

// An inert object by default: each derived class overrides only what it has. Main thread only.
class EntityBase : public SafeClass, public Listener {
public:
    static constexpr float kNoEntityDistance = 1e10f;
    static constexpr int32_t kVisualFlagCount = 8;
    // The sent visual flag that carries the world host's placement flag: set on every entity as
    // it is made, cleared on a covenant's home. While it is set the client stands the entity's
    // tooltip above it; a home's tooltip takes the help box's own place.
    static constexpr int32_t kVisualFlagPlaced = 0;
    // Entity flag word bits read here; the server's entity gives the others their meaning.
    static constexpr uint32_t kFlagHideModel = 0x1;
    static constexpr uint32_t kFlagHidden = 0x400;

    EntityBase();
    ~EntityBase() override;
    EntityBase(const EntityBase&) = delete;
    EntityBase& operator=(const EntityBase&) = delete;

    virtual void SetPosition(const WorldPos& newPosition);
    // Snapped to the world grid and carried into the neighbouring level when it left its own.
    virtual void SetGridPosition(const WorldPos& newPosition);
    virtual void SetMoveTarget(const WorldPos& target) { moveTarget = target; }
    virtual float GetScale() const { return scale; }
    virtual void FreeModel() {}
    // Makes out refer to the model of the path; derived classes decide how.
    virtual void ResolveModel(const std::string& path, ResourceHandle& out);
    // Timers, then idle once the model has loaded, then the animation.
    virtual void Update(float seconds);
    virtual const IntArray* GetStats() const { return nullptr; }
    virtual int32_t GetStat(int32_t stat) const;
    // What a carried status effect gives; nothing the rules name answers more than none.
    virtual int32_t GetStatusEffectValue(int32_t /*effect*/, int32_t /*x*/) const { return 0; }
    // Whether an effect of the record id is carried; an inert object carries none.
    virtual bool HasStatusEffect(int32_t /*id*/) const { return false; }
    virtual bool CanAdvanceAnimation() const { return true; }
    virtual void OnAnimationEvent(int32_t animation, int32_t signal, int32_t frame);
    virtual float GetSizeFactor() const { return sizeFactor; }
    virtual float GetMovementSpeed() const { return 0.0f; }
    virtual void PlayIdle();
    virtual float GetAlpha() const { return alpha; }
    // Hands the path finder (through AddNearbyEntity) the entities whose solid type is in the
    // mask and that stand in the box of the half-sizes around this entity; none by default.
    virtual void RegisterPathBlockers(PathFinder& finder, const Vector2& halfSizes, int32_t solidTypeMask) const;

    // The model of the name under "Models"; nothing for an empty name or the model already set.
    void LoadModels(std::string_view name);
    void SetModel(const ResourceHandle& handle);
    bool PlayAnimation(std::string_view name, int32_t newPriority, int32_t newMode, bool restart);
    bool SetAnimationIndex(int32_t index, int32_t newPriority, int32_t newMode, bool restart, bool interruptible);
    void ReturnToIdle();
    void StopAnimation(std::string_view name);
    bool IsPlayingAnimation(std::string_view name) const;
    // One of the model's animations of the name, drawn at random among equals; -1 when none.
    int32_t GetAnimationIndex(std::string_view name) const;
    const Animation* GetAnimationRecord(int32_t index) const;
    const Animation* FindAnimationRecord(std::string_view name) const;
    int32_t GetBlendAnimation() const { return frozen ? anim : blendAnim; }
    // The index of the named joint in the skeleton of the model; -1 without model, skeleton or joint.
    int32_t FindJoint(std::string_view name) const;
    // The index of the model's tag of the name; -1 without model or tag.
    int32_t GetTagIndex(std::string_view name) const;
    void GetLight(Color& color, float& falloff) const;
    bool IsDead() const { return maxHealth >= 1 && health < 1; }
    bool IsAlive() const { return maxHealth >= 1 && health >= 1; }
    void FaceTowards(const WorldPos& target, bool away);
    void FaceEntity(const EntityBase* other, bool away);
    // The model while it is loaded; null otherwise, never waiting for the loader.
    ModelResource* GetLoadedModel() const;
    // Switches one surface of the model on or off. An index outside the model's surfaces (below
    // kMaxSwitchedSurfaces while the model is still loading) switches nothing; false then.
    bool SetSurfaceShown(int32_t surface, bool shown);
    // Switches off the surfaces a creature's monster type and actor record list.
    void HideTypeSurfaces(const MonsterType& type);
    // What the drawing skips: one entry per surface up to the last one switched; null while none is.
    const std::vector<bool>* GetShownSurfaces() const { return shownSurfaces.empty() ? nullptr : &shownSurfaces; }

    std::vector<RandomTimer*> timers;
    WorldPos position;
    WorldPos gridPosition;
    WorldPos moveTarget;
    int32_t facing = 6;
    bool netFlag = true;
    int32_t solidType = 0;
    int32_t entityNumber = -1;
    int32_t maxHealth = 0;
    int32_t health = 0;
    int32_t covenantIndex = -1;
    Color lightColor;
    float lightFalloff = 0.0f;
    float lightOffset[2] = {0.0f, 0.0f};
    float scale = 1.0f;
    ResourceHandle model;
    std::string modelName;

    // The animation player. blendAnim/blendFrame: what the renderer blends from.
    int32_t blendAnim = -1;
    float blendFrame = 0.0f;
    int32_t anim = -1;
    float frame = 0.0f;
    int32_t frameCount = 0;
    int32_t priority = 0;
    float speed = 0.0f;  // frames per second
    bool scalesWithMovement = false;
    float referenceSpeed = 0.0f;
    bool justStarted = false;
    int32_t mode = AnimationMode::ReturnToIdle;
    int32_t lastAnim = -1;
    float lastFrame = -1.0f;
    bool frozen = false;
    bool finished = false;
    bool holding = false;
    int32_t playCount = 0;

    float radius = 0.0f;
    uint32_t entityState = 0;
    uint32_t flags = 0;
    float sizeFactor = 1.0f;
    float alpha = 1.0f;
    int32_t parentNumber = -1;
    int32_t parentTag = -1;
    bool alwaysBlocks = false;
    bool blocksSight = false;
    static constexpr int32_t kMaxSwitchedSurfaces = 64;

private:
    void AdvanceAnimation(float seconds);
    void StartAnimation(int32_t index, const Animation& record);
    void FireAnimationEvents();
    void RaiseFrames(int32_t animation, int32_t first, int32_t last);
    bool IsModelLoaded() const;
    int32_t GetSurfaceLimit() const;

    std::vector<bool> shownSurfaces;
};

// 1e10 when b is null; the distance across level edges, less both radii when asked (it may
// then be negative).
float EntityDistance2D(const EntityBase* a, const EntityBase* b, bool subtractRadii);
// A plain attack's reach: the gap between the two bodies below 1.9 grid cells. False without a
// target. (A skill's attack asks the skill's own reach test instead.)
bool IsWithinMeleeReach(const EntityBase* attacker, const EntityBase* target);
