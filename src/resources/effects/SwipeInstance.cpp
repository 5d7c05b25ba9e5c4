// SwipeInstance -- one live trail: samples of two moving points (or of one particle) that fade out one by one.
#include "resources/effects/SwipeInstance.h"

#include "resources/ResourceManager.h"
#include "resources/effects/DefinitionFile.h"
#include "resources/effects/EffectContext.h"
#include "resources/effects/EffectHost.h"
#include "resources/effects/EffectSurfaces.h"
#include "resources/effects/EffectSystem.h"
#include "resources/effects/Particle.h"
#include "resources/effects/SwipeDefinition.h"
#include "resources/shaders/Shader.h"

SwipeInstance::SwipeInstance(EffectSystem& system) : system(system)
{
}

const SwipeDefinition* SwipeInstance::GetDefinition() const
{
    return gResourceManager ? dynamic_cast<const SwipeDefinition*>(gResourceManager->Get(definition)) : nullptr;
}

EffectHost* SwipeInstance::GetOwner() const
{
    return owner.GetAs<EffectHost>();
}

void SwipeInstance::SetOwner(EffectHost* host)
{
    owner.Set(host ? &host->GetSafeObject() : nullptr);
}

void SwipeInstance::SetDefinition(const std::string& name)
{
    definitionName = RequestDefinition(name, definition) ? name : std::string();
}

void SwipeInstance::Reset()
{
    for (SwipeSample* sample : samples)
        system.ReleaseSwipeSample(sample);
    samples.clear();
    if (particle)
        particle->swipe = nullptr;
    particle = nullptr;
    followsParticle = false;
    owner.Clear();
    sampleTimer = 0.0f;
    active = false;
    location = kOwnModel;
    tagIndex1 = -1;
    tagIndex2 = -1;
    modelKey = -1;
}

void SwipeInstance::LoseParticle()
{
    particle = nullptr;
    active = false;
    owner.Clear();
}

bool SwipeInstance::SamplePoints(EffectPos& point1, EffectPos& point2)
{
    if (particle) {
        point1 = point2 = particle->position;
        point1.point.x -= particle->size;
        point2.point.x += particle->size;
        return true;
    }
    EffectHost* host = GetOwner();
    AttachTransform first;
    AttachTransform second;
    if (modelKey != -1) {
        EffectHost* model = system.GetContext().FindEntityByOwner(host, modelKey);
        if (!model)
            return false;
        model->GetAttachPointTransform(tagIndex1, first);
        model->GetAttachPointTransform(tagIndex2, second);
    } else if (location != kOwnModel) {
        host->GetEquippedAttachPointTransform(location, tagIndex1, first);
        host->GetEquippedAttachPointTransform(location, tagIndex2, second);
    } else {
        host->GetAttachPointTransform(tagIndex1, first);
        host->GetAttachPointTransform(tagIndex2, second);
    }
    point1 = first.position;
    point2 = second.position;
    return true;
}

bool SwipeInstance::TakeSample(const SwipeDefinition& def)
{
    EffectPos point1;
    EffectPos point2;
    if (!SamplePoints(point1, point2))
        return false;
    sampleTimer -= def.updateTime;
    // A full sample pool leaves a gap in the trail rather than growing without end.
    SwipeSample* sample = system.TakeSwipeSample();
    if (!sample)
        return true;
    sample->point1 = point1;
    sample->point2 = point2;
    sample->alpha = def.alpha;
    samples.insert(samples.begin(), sample);
    return true;
}

void SwipeInstance::Update(float dt)
{
    if (!GetOwner())
        active = false;
    const SwipeDefinition* def = GetDefinition();
    if (!def)
        return;
    sampleTimer += dt;
    if (active && sampleTimer >= def->updateTime && !TakeSample(*def))
        return;
    float fade = dt / def->maxAge;
    auto kept = samples.begin();
    for (SwipeSample* sample : samples) {
        sample->alpha -= fade;
        // A maxAge of 0 or a NaN alpha would leave a sample that never fades: it goes at once.
        if (sample->alpha >= 0.0f && def->maxAge > 0.0f)
            *kept++ = sample;
        else
            system.ReleaseSwipeSample(sample);
    }
    samples.erase(kept, samples.end());
}

void SwipeInstance::Draw(EffectSurfaces& surfaces)
{
    const SwipeDefinition* def = GetDefinition();
    if (!def)
        return;
    EffectHost* host = GetOwner();
    if (host && !system.EntityEffectsDrawable(host))
        return;
    if (!followsParticle && (tagIndex1 == -1 || tagIndex2 == -1))
        return;
    const auto* shader = dynamic_cast<const Shader*>(gResourceManager->Get(def->texture));
    if (!shader)
        return;
    EffectContext& context = system.GetContext();
    SwipeRenderSurface& surface = surfaces.AddSwipeSurface(*shader);
    surface.color = def->color;
    for (const SwipeSample* sample : samples) {
        surface.samples.push_back(
            {context.ToRenderSpace(sample->point1), context.ToRenderSpace(sample->point2), sample->alpha});
    }
}
