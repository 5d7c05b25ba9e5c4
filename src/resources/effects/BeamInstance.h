// BeamInstance -- one live beam from an attach point of a client entity, or between two entities' points.
#pragma once

#include "core/ColorSystem.h"
#include "core/SafeClass.h"
#include "resources/ResourceHandle.h"
#include "resources/effects/EffectPos.h"

#include <cstdint>
#include <string>

class BeamDefinition;
class EffectHost;
class EffectSurfaces;
class EffectSystem;

// Active from "startBeam" to "stopBeam" or its owner's death; then it fades out over its
// definition's maxAge, keeping its last ends, and is reaped when its life reaches 0.
class BeamInstance {
public:
    explicit BeamInstance(EffectSystem& system);
    BeamInstance(const BeamInstance&) = delete;
    BeamInstance& operator=(const BeamInstance&) = delete;

    void SetDefinition(const std::string& name);
    void Update(float dt);
    void Draw(EffectSurfaces& surfaces);
    // As when free, with a new jitter seed.
    void Reset();

    // Numbered as given, or else by the distance between the ends over segmentLength (halves up,
    // at least 1); never more than the surface draws.
    int32_t CountSegments(const BeamDefinition& def) const;
    const BeamDefinition* GetDefinition() const;
    EffectHost* GetOwner() const;
    void SetOwner(EffectHost* host);

    std::string tagName;
    int32_t tagIndex = -1;
    std::string definitionName;
    ResourceHandle definition;
    bool active = false;
    // 1 while active; falls to 0 while fading.
    float life = 1.0f;
    EffectPos start;
    EffectPos end;
    Color color{1.0f, 1.0f, 1.0f};
    // The raw state of random stream 0 when the jitter pattern was last renewed.
    uint32_t seed = 0;
    float changeTimer = 0.0f;

private:
    void RenewSeed();
    // False when an end point's entity is missing, which ends the update.
    bool FollowEnds(const BeamDefinition& def);

    EffectSystem& system;
    SafePointer owner;
};
