// EffectSystem -- the client's registry of live particle effects, beams and trails: start, stop, update, reap and draw.
#pragma once

#include "core/BaseClass.h"
#include "resources/effects/BeamInstance.h"
#include "resources/effects/EffectContext.h"
#include "resources/effects/EffectInstance.h"
#include "resources/effects/Particle.h"
#include "resources/effects/SwipeInstance.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class EffectHost;
class EffectSurfaces;
class ResourceManager;

// How many of each object may exist at once. Beyond a limit new ones are dropped, with one
// warning per kind: a flood of events or a runaway file cannot take all memory.
struct EffectLimits {
    size_t effects = 1024;
    size_t beams = 256;
    size_t swipes = 1024;
    size_t particles = 32768;
    size_t swipeSamples = 32768;
};

// Main thread only. The system owns every object it hands out and keeps released ones for
// reuse, so steady play allocates nothing. Live objects are found again by their owner, their
// definition name as the caller gave it (case counts) and their attach points.
class EffectSystem : public BaseClass {
public:
    // The effect the client starts on the local player on every world entry.
    static constexpr const char* kWorldEffect = "rain.eff";
    // A frame longer than this advances effects by this much only.
    static constexpr float kMaxFrameTime = 0.25f;

    explicit EffectSystem(const EffectLimits& limits = {});
    ~EffectSystem() override;
    EffectSystem(const EffectSystem&) = delete;
    EffectSystem& operator=(const EffectSystem&) = delete;

    // "eff", "bem" and "swp", in that order, as the model files are registered.
    static void RegisterTypes(ResourceManager& manager);

    // The client's services; null goes back to the defaults of a client without a world.
    void SetContext(EffectContext* newContext) { context = newContext ? newContext : &defaultContext; }
    EffectContext& GetContext() { return *context; }

    // False for the hidden local entity; otherwise true without an owner, else while the owner shows.
    bool EntityEffectsVisible(EffectHost* entity);
    // The same, except that an entity without an owner must show itself.
    bool EntityEffectsDrawable(EffectHost* entity);

    // The client entity's events. Names are definition file names with extension.
    // "startEffect": when visible, the effect (found or made) emits.
    void StartEffect(EffectHost* entity, const std::string& name, const std::string& tagName);
    // "spawnEffect": when visible, one burst.
    void SpawnEffect(EffectHost* entity, const std::string& name, const std::string& tagName);
    // Entering a world: rain on the local player.
    void EnterWorld(EffectHost* localPlayer);
    // "startBeam" / "stopBeam". A stopped beam loses its owner and fades out.
    void StartBeam(EffectHost* entity, const std::string& name, const std::string& tagName);
    void StopBeam(EffectHost* entity, const std::string& name, const std::string& tagName);
    // "startSwipe" / "stopSwipe" with an empty location name, "startAttachedSwipe" /
    // "stopAttachedSwipe" with an equipment location's name.
    void StartSwipe(EffectHost* entity, const std::string& locationName, const std::string& name,
                    const std::string& tagName1, const std::string& tagName2);
    void StopSwipe(EffectHost* entity, const std::string& locationName, const std::string& name,
                   const std::string& tagName1, const std::string& tagName2);
    // "startClientModelSwipe" / "stopClientModelSwipe": the points of the entity's own model
    // entity picked by the model tag.
    void StartClientModelSwipe(EffectHost* entity, const std::string& name, const std::string& tagName1,
                               const std::string& tagName2, const std::string& modelTagName);
    void StopClientModelSwipe(EffectHost* entity, const std::string& name, const std::string& tagName1,
                              const std::string& tagName2, const std::string& modelTagName);

    // The live effect of these keys, or a new started one; null when the limit is reached.
    EffectInstance* FindOrCreateEffect(EffectHost* entity, const std::string& name, const std::string& tagName);
    EffectInstance* FindEffect(EffectHost* entity, const std::string& name, int32_t tagIndex);
    // A particle's trail, found or made; the caller makes it active. Null at the limit.
    SwipeInstance* StartParticleSwipe(EffectHost* entity, const std::string& name, Particle* particle);
    SwipeInstance* FindParticleSwipe(EffectHost* entity, const std::string& name, const Particle* particle);

    // Once a client frame: effects, then beams, then trails, then the reaping. Paused (unless a
    // menu wants animation) nothing moves; a long frame counts as kMaxFrameTime.
    void UpdateAll(float dt);
    // Inside a drawing pass: effects, then beams, then trails.
    void DrawAll(EffectSurfaces& surfaces);

    // Pools. Null when the kind's limit is reached.
    Particle* TakeParticle();
    // Unlinks any trail that follows the particle, then resets it into the free list.
    void ReleaseParticle(Particle* particle);
    SwipeSample* TakeSwipeSample();
    void ReleaseSwipeSample(SwipeSample* sample);

    const std::vector<EffectInstance*>& GetLiveEffects() const { return liveEffects; }
    const std::vector<BeamInstance*>& GetLiveBeams() const { return liveBeams; }
    const std::vector<SwipeInstance*>& GetLiveSwipes() const { return liveSwipes; }
    size_t GetFreeParticleCount() const { return particles.free.size(); }

private:
    // Objects of one kind: every one ever made (owned), and the ones free for reuse.
    template <class T>
    struct Pool {
        std::vector<std::unique_ptr<T>> made;
        std::vector<T*> free;
        size_t limit = 0;
        bool warned = false;
    };
    // The last freed object, or a new one while the pool is below its limit.
    template <class T, class... Args>
    T* Take(Pool<T>& pool, const char* kind, Args&... args);
    // Null when the kind's limit is reached; the caller sets the object up and makes it live.
    EffectInstance* TakeEffect();
    BeamInstance* TakeBeam();
    SwipeInstance* TakeSwipe();

    // The swipe of the same owner, name, points, location and model key.
    struct SwipeKey {
        int32_t location = SwipeInstance::kOwnModel;
        int32_t index1 = -1;
        int32_t index2 = -1;
        int32_t modelKey = -1;
    };
    SwipeKey AttachedSwipeKey(EffectHost* entity, const std::string& locationName, const std::string& tagName1,
                              const std::string& tagName2);
    // False when the model tag or its model entity is missing.
    bool ClientModelSwipeKey(EffectHost* entity, const std::string& tagName1, const std::string& tagName2,
                             const std::string& modelTagName, SwipeKey& out);
    SwipeInstance* FindSwipe(EffectHost* entity, const std::string& name, const SwipeKey& key);
    SwipeInstance* FindOrCreateSwipe(EffectHost* entity, const std::string& name, const SwipeKey& key,
                                     const std::string& tagName1, const std::string& tagName2);
    BeamInstance* FindBeam(EffectHost* entity, const std::string& name, int32_t tagIndex);
    void Reap();

    EffectContext defaultContext;
    EffectContext* context = &defaultContext;
    std::vector<EffectInstance*> liveEffects;
    std::vector<BeamInstance*> liveBeams;
    std::vector<SwipeInstance*> liveSwipes;
    Pool<EffectInstance> effects;
    Pool<Particle> particles;
    Pool<BeamInstance> beams;
    Pool<SwipeInstance> swipes;
    Pool<SwipeSample> swipeSamples;
};

extern EffectSystem* gEffectSystem;
