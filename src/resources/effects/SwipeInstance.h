// SwipeInstance -- one live trail: samples of two moving points (or of one particle) that fade out one by one.
#pragma once

#include "core/SafeClass.h"
#include "resources/ResourceHandle.h"
#include "resources/effects/EffectPos.h"

#include <cstdint>
#include <string>
#include <vector>

class EffectHost;
class EffectSurfaces;
class EffectSystem;
class SwipeDefinition;
struct Particle;

// One recorded pair of points, pooled by the effect system.
struct SwipeSample {
    EffectPos point1;
    EffectPos point2;
    float alpha = 1.0f;
};

// Active while its points are to be sampled; once inactive its samples fade and it is reaped
// when none is left.
class SwipeInstance {
public:
    // The equipment location that stands for the owner's own model.
    static constexpr int32_t kOwnModel = 17;

    explicit SwipeInstance(EffectSystem& system);
    SwipeInstance(const SwipeInstance&) = delete;
    SwipeInstance& operator=(const SwipeInstance&) = delete;

    void SetDefinition(const std::string& name);
    void Update(float dt);
    void Draw(EffectSurfaces& surfaces);
    // As when free; its samples go back to the pool and any particle link is undone.
    void Reset();
    // The followed particle went back to its pool: stop sampling it and let the trail fade.
    void LoseParticle();

    const SwipeDefinition* GetDefinition() const;
    EffectHost* GetOwner() const;
    void SetOwner(EffectHost* host);

    ResourceHandle definition;
    Particle* particle = nullptr;
    // Set for the whole life of a particle's trail, so the trail still draws while it fades
    // after its particle has gone.
    bool followsParticle = false;
    std::string definitionName;
    std::string tagName1;
    int32_t tagIndex1 = -1;
    std::string tagName2;
    int32_t tagIndex2 = -1;
    std::string modelTagName;
    // Sub-id of the owned model entity whose points are sampled; -1 for none.
    int32_t modelKey = -1;
    bool active = false;
    float sampleTimer = 0.0f;
    // Newest first.
    std::vector<SwipeSample*> samples;
    int32_t location = kOwnModel;

private:
    // False when a client-model trail's model entity is missing, which ends the update.
    bool TakeSample(const SwipeDefinition& def);
    bool SamplePoints(EffectPos& point1, EffectPos& point2);

    EffectSystem& system;
    SafePointer owner;
};
