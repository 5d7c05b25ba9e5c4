// EffectInstance -- one live particle effect on an attach point of a client entity: emission, particle motion and drawing.
#include "resources/effects/EffectInstance.h"

#include "core/MathUtil.h"
#include "core/RandomSystem.h"
#include "resources/ResourceManager.h"
#include "resources/effects/DefinitionFile.h"
#include "resources/effects/EffectContext.h"
#include "resources/effects/EffectDefinition.h"
#include "resources/effects/EffectHost.h"
#include "resources/effects/EffectSurfaces.h"
#include "resources/effects/EffectSystem.h"
#include "resources/effects/Particle.h"
#include "resources/shaders/Shader.h"

#include <algorithm>

namespace {

float RandomDraw()
{
    return gRandomSystem->RandomFloat(RandomStream::GameData);
}

bool SameMatrix(const Matrix3& a, const Matrix3& b)
{
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 3; ++column) {
            if (a.m[row][column] != b.m[row][column])
                return false;
        }
    }
    return true;
}

bool SamePlace(const EffectPos& a, const EffectPos& b)
{
    return a.level == b.level && a.point.x == b.point.x && a.point.y == b.point.y && a.point.z == b.point.z;
}

Vector3 Evaluate(const EffectValue (&values)[3])
{
    Vector3 out;
    out.x = values[0].Evaluate();
    out.y = values[1].Evaluate();
    out.z = values[2].Evaluate();
    return out;
}

Color Scaled(const Color& color, float factor)
{
    return {color.r * factor, color.g * factor, color.b * factor};
}

} // namespace

EffectInstance::EffectInstance(EffectSystem& system) : system(system)
{
    Reset();
}

const EffectDefinition* EffectInstance::GetDefinition() const
{
    return gResourceManager ? dynamic_cast<const EffectDefinition*>(gResourceManager->Get(definition)) : nullptr;
}

EffectHost* EffectInstance::GetOwner() const
{
    return owner.GetAs<EffectHost>();
}

void EffectInstance::SetOwner(EffectHost* host)
{
    owner.Set(host ? &host->GetSafeObject() : nullptr);
}

void EffectInstance::SetDefinition(const std::string& name)
{
    definitionName = RequestDefinition(name, definition) ? name : std::string();
}

void EffectInstance::Start()
{
    const EffectDefinition* def = GetDefinition();
    EffectHost* host = GetOwner();
    if (!def || !host)
        return;
    if (def->colorFromItemType)
        ColorSystem::GetColorByIndex(color.r, color.g, color.b, host->GetItemTypeColorIndex());
    else if (def->colorFromCovenant)
        ColorSystem::GetColorByIndex(color.r, color.g, color.b, host->GetCovenantColorIndex());
    if (def->line)
        lineTagIndex = host->FindAttachPoint(def->lineTagName);
}

void EffectInstance::Reset()
{
    owner.Clear();
    spawnTimer = 0.0f;
    tagIndex = -1;
    lineTagIndex = -1;
    emitting = false;
    for (Particle* particle : particles)
        system.ReleaseParticle(particle);
    particles.clear();
    tagMoved = false;
}

void EffectInstance::UpdateTagTransform()
{
    tagMoved = false;
    EffectHost* host = GetOwner();
    if (!host)
        return;
    previousTagPosition = tagPosition;
    previousTagOrientation = tagOrientation;
    AttachTransform transform;
    host->GetAttachPointTransform(tagIndex, transform);
    tagPosition = transform.position;
    tagOrientation = transform.orientation;
    tagMoved = !SamePlace(tagPosition, previousTagPosition) || !SameMatrix(tagOrientation, previousTagOrientation);
}

void EffectInstance::Update(float dt)
{
    if (!GetOwner())
        emitting = false;
    UpdateTagTransform();
    if (emitting)
        spawnTimer += dt;
    const EffectDefinition* def = GetDefinition();
    EmitContinuously(def);
    if (!def)
        return;
    EffectHost* host = GetOwner();
    EffectHost* parent = host ? host->GetEffectOwner() : nullptr;
    float parentOpacity = parent ? parent->GetOpacity() : 1.0f;
    for (Particle* particle : particles)
        UpdateParticle(*particle, *def, dt, parentOpacity);
    RemoveDeadParticles(*def);
}

void EffectInstance::EmitContinuously(const EffectDefinition* def)
{
    if (!emitting)
        return;
    EffectHost* host = GetOwner();
    if (!host || !system.EntityEffectsDrawable(host)) {
        spawnTimer = 0.0f;
        return;
    }
    if (!def || !(def->spawnInterval > 0.0f))
        return;
    EffectHost* parent = host->GetEffectOwner();
    if (def->hideWhenParentDead && parent && parent->IsDead())
        return;
    if (def->hideWhenParentHidden && parent && parent->IsHidden()) {
        spawnTimer = 0.0f;
        return;
    }
    float interval = def->spawnInterval;
    if (def->spawnRateMultWeather) {
        EffectContext& context = system.GetContext();
        float weather = context.GetAreaWeatherFactor() * context.GetWeatherStrength();
        if (!(weather > 0.0f)) {
            spawnTimer = 0.0f;
            return;
        }
        interval /= weather;
    }
    while (spawnTimer > interval) {
        // A full pool ends the catching up: the time owed would otherwise only grow.
        if (!Spawn(*def)) {
            spawnTimer = 0.0f;
            return;
        }
        spawnTimer -= interval;
    }
}

void EffectInstance::Burst()
{
    UpdateTagTransform();
    const EffectDefinition* def = GetDefinition();
    if (!def)
        return;
    for (int32_t i = 0; i < def->spawnCount; ++i) {
        if (!Spawn(*def))
            return;
    }
}

Vector3 EffectInstance::ShapeOffset(const EffectDefinition& def)
{
    Vector3 direction;
    float radius = 0.0f;
    if (def.sphereRadius > 0.0f) {
        float a = RandomDraw();
        float b = RandomDraw();
        float c = RandomDraw();
        direction = {2.0f * c - 1.0f, 2.0f * b - 1.0f, 2.0f * a - 1.0f};
        radius = def.sphereRadius;
    } else if (def.circleRadius > 0.0f) {
        float a = RandomDraw();
        float b = RandomDraw();
        direction = {2.0f * b - 1.0f, 2.0f * a - 1.0f, 0.0f};
        radius = def.circleRadius;
    } else if (def.line) {
        EffectHost* host = GetOwner();
        if (!host)
            return {};
        AttachTransform far;
        host->GetAttachPointTransform(lineTagIndex, far);
        return system.GetContext().Delta(tagPosition, far.position) * RandomDraw();
    } else {
        return {};
    }
    Vector3Normalize(direction);
    return def.onSurface ? direction * radius : direction * (radius * RandomDraw());
}

Vector3 EffectInstance::InitialVelocity(const EffectDefinition& def)
{
    Vector3 velocity;
    if (def.hasDirection) {
        velocity = Evaluate(def.direction);
        Vector3Normalize(velocity);
        velocity = velocity * def.speed;
    } else {
        velocity = Evaluate(def.velocity);
    }
    if (def.tagOriented && !def.linked)
        velocity = Vector3MultiplyMatrix3(velocity, tagOrientation);
    if (def.velocityAddWind > 0.0f) {
        EffectContext& context = system.GetContext();
        float share = def.velocityAddWind * context.GetAreaWeatherFactor();
        Vector2 wind = context.GetWind();
        velocity.x += share * wind.x;
        velocity.y += share * wind.y;
    }
    return velocity;
}

bool EffectInstance::Spawn(const EffectDefinition& def)
{
    Particle* particle = system.TakeParticle();
    if (!particle)
        return false;
    EffectContext& context = system.GetContext();
    particle->isNew = true;
    Vector3 offset = ShapeOffset(def) + Evaluate(def.offset);
    if (def.tagOriented)
        offset = Vector3MultiplyMatrix3(offset, tagOrientation);
    particle->position = context.Add(tagPosition, offset);
    particle->velocity = InitialVelocity(def);
    particle->angularVelocity = Evaluate(def.avelocity);
    particle->scale = def.scale.Evaluate();
    particle->alpha = def.alpha;
    if (def.matchRotationToInitialVelocity) {
        Vector2 from = context.WorldToScreen(particle->position);
        Vector2 to = context.WorldToScreen(context.Add(particle->position, particle->velocity));
        particle->rotation = Vector2Angle(to - from) - 90.0f;
    }
    EffectHost* host = GetOwner();
    if (!def.swipeName.empty() && host && system.EntityEffectsVisible(host)) {
        if (SwipeInstance* trail = system.StartParticleSwipe(host, def.swipeName, particle))
            trail->active = true;
    }
    particles.push_back(particle);
    return true;
}

void EffectInstance::UpdateParticle(Particle& particle, const EffectDefinition& def, float dt, float parentOpacity)
{
    if (particle.isNew) {
        particle.isNew = false;
        return;
    }
    particle.age += dt;
    particle.velocity = particle.velocity + def.accel * dt;
    MoveParticle(particle, def, dt);
    TouchGround(particle, def);
    LookParticle(particle, def, dt, parentOpacity);
}

void EffectInstance::MoveParticle(Particle& particle, const EffectDefinition& def, float dt)
{
    EffectContext& context = system.GetContext();
    Vector3 step = def.linked && def.tagOriented ? Vector3MultiplyMatrix3(particle.velocity, tagOrientation)
                                                 : particle.velocity;
    particle.position = context.Add(particle.position, step * dt);
    if (def.linked && tagMoved) {
        Vector3 relative = context.Delta(previousTagPosition, particle.position);
        if (def.tagOriented) {
            Matrix3 back = previousTagOrientation;
            Matrix3Transpose(back);
            relative = Vector3MultiplyMatrix3(Vector3MultiplyMatrix3(relative, back), tagOrientation);
        }
        particle.position = context.Add(tagPosition, relative);
    }
    const Vector3& turn = particle.angularVelocity;
    if (turn.x != 0.0f || turn.y != 0.0f || turn.z != 0.0f) {
        Vector3 relative = context.Delta(tagPosition, particle.position);
        float length = Vector3Length(relative);
        HeadingPitch angles = DirectionToAngles(relative);
        angles.heading += turn.z * dt;
        angles.pitch += turn.x * dt;
        particle.position = context.Add(tagPosition, AnglesToDirection(angles.heading, angles.pitch) * length);
    }
    if (def.speed != 0.0f && !def.hasDirection) {
        Vector3 relative = context.Delta(tagPosition, particle.position);
        float length = Vector3Normalize(relative);
        particle.position = context.Add(tagPosition, relative * (length + def.speed * dt));
    }
}

void EffectInstance::TouchGround(Particle& particle, const EffectDefinition& def)
{
    float& height = particle.position.point.z;
    if (def.dieTouch && height < 0.0f && particle.velocity.z < 0.0f)
        particle.age = def.maxAge;
    if (!def.bounce || !(height < 0.0f))
        return;
    height = -height * def.bounceFactor;
    particle.velocity.z = -particle.velocity.z;
    particle.velocity = particle.velocity * def.bounceFactor;
    ++particle.bounces;
    if (def.maxBounces > 0 && particle.bounces > def.maxBounces)
        particle.age = def.maxAge;
    else if (def.bounceSound.IsValid())
        system.GetContext().PlaySound(def.bounceSound, particle.position);
}

void EffectInstance::LookParticle(Particle& particle, const EffectDefinition& def, float dt, float parentOpacity)
{
    if (def.scaleRate != 0.0f)
        particle.scale *= 1.0f + def.scaleRate * dt;
    particle.size = particle.scale * def.size;
    particle.alpha = def.alpha;
    if (def.fadeIn || def.fadeOut) {
        float span = def.fadeTime > 0.0f ? def.fadeTime : def.maxAge * 0.5f;
        if (def.fadeIn && span > 0.0f && particle.age < span)
            particle.alpha = particle.age / span * def.alpha;
        else if (def.fadeOut && span > 0.0f && particle.age > def.maxAge - span)
            particle.alpha = std::max(0.0f, (1.0f - (particle.age - (def.maxAge - span)) / span) * def.alpha);
    }
    if (def.flicker)
        particle.alpha *= RandomDraw();
    particle.alpha *= parentOpacity;
    particle.color = def.colorFromItemType || def.colorFromCovenant ? color : def.color;
    if (def.additive)
        particle.color = Scaled(particle.color, particle.alpha);
    particle.rotation = WrapDegrees(particle.rotation + def.spin * dt);
}

void EffectInstance::RemoveDeadParticles(const EffectDefinition& def)
{
    auto alive = particles.begin();
    for (Particle* particle : particles) {
        // A particle whose age cannot be compared (a NaN maxAge) is dead too, not immortal.
        if (particle->age < def.maxAge)
            *alive++ = particle;
        else
            system.ReleaseParticle(particle);
    }
    particles.erase(alive, particles.end());
}

void EffectInstance::Draw(EffectSurfaces& surfaces)
{
    const EffectDefinition* def = GetDefinition();
    const auto* shader = def ? dynamic_cast<const Shader*>(gResourceManager->Get(def->texture)) : nullptr;
    if (!shader)
        return;
    EffectContext& context = system.GetContext();
    for (const Particle* particle : particles) {
        surfaces.AddParticleSurface(*shader, context.ToRenderSpace(particle->position), particle->rotation,
                                    particle->size, particle->color, particle->alpha, particle->age);
    }
}
