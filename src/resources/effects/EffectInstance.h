// EffectInstance -- one live particle effect on an attach point of a client entity: emission, particle motion and drawing.
#pragma once

#include "core/ColorSystem.h"
#include "core/Matrix.h"
#include "core/SafeClass.h"
#include "resources/ResourceHandle.h"
#include "resources/effects/EffectPos.h"

#include <cstdint>
#include <string>
#include <vector>

class EffectDefinition;
class EffectHost;
class EffectSurfaces;
class EffectSystem;
struct Particle;

// Owned and pooled by the effect system, which takes it, starts, updates, draws and reaps it.
class EffectInstance {
public:
    // The system outlives it and resets it (handing its particles back) before destroying it.
    explicit EffectInstance(EffectSystem& system);
    EffectInstance(const EffectInstance&) = delete;
    EffectInstance& operator=(const EffectInstance&) = delete;

    // Requests the definition file under "Effects"; definitionName keeps the name only when the
    // request gave a handle, so an instance without one is never found again by name.
    void SetDefinition(const std::string& name);
    // Takes the owner's item-type or covenant colour and the line's far attach point.
    void Start();
    void Update(float dt);
    // spawnCount particles at once.
    void Burst();
    void Draw(EffectSurfaces& surfaces);
    // As when free: no owner, no particles, not emitting.
    void Reset();

    // Null also when the resource of the handle is of another kind.
    const EffectDefinition* GetDefinition() const;
    EffectHost* GetOwner() const;
    void SetOwner(EffectHost* host);

    std::vector<Particle*> particles;
    std::string tagName;
    int32_t tagIndex = -1;
    std::string definitionName;
    ResourceHandle definition;
    float spawnTimer = 0.0f;
    EffectPos previousTagPosition;
    EffectPos tagPosition;
    Matrix3 previousTagOrientation;
    Matrix3 tagOrientation;
    bool tagMoved = false;
    bool emitting = false;
    Color color;
    int32_t lineTagIndex = -1;

private:
    void UpdateTagTransform();
    void EmitContinuously(const EffectDefinition* def);
    // False when the particle pool is exhausted.
    bool Spawn(const EffectDefinition& def);
    Vector3 ShapeOffset(const EffectDefinition& def);
    Vector3 InitialVelocity(const EffectDefinition& def);
    void UpdateParticle(Particle& particle, const EffectDefinition& def, float dt, float parentOpacity);
    void MoveParticle(Particle& particle, const EffectDefinition& def, float dt);
    void TouchGround(Particle& particle, const EffectDefinition& def);
    void LookParticle(Particle& particle, const EffectDefinition& def, float dt, float parentOpacity);
    void RemoveDeadParticles(const EffectDefinition& def);

    EffectSystem& system;
    SafePointer owner;
};
