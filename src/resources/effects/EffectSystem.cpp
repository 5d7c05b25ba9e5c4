// EffectSystem -- the client's registry of live particle effects, beams and trails: start, stop, update, reap and draw.
#include "resources/effects/EffectSystem.h"

#include "core/DebugSystem.h"
#include "core/EngineEnums.h"
#include "resources/ResourceManager.h"
#include "resources/effects/BeamDefinition.h"
#include "resources/effects/EffectDefinition.h"
#include "resources/effects/EffectHost.h"
#include "resources/effects/SwipeDefinition.h"

#include <algorithm>

EffectSystem* gEffectSystem = nullptr;

namespace {

// Moves every object the test picks from the live list to the free list, in list order, resetting it.
template <class T, class Dead>
void ReapList(std::vector<T*>& live, std::vector<T*>& free, Dead dead)
{
    auto kept = live.begin();
    for (T* object : live) {
        if (dead(*object)) {
            free.push_back(object);
            object->Reset();
        } else {
            *kept++ = object;
        }
    }
    live.erase(kept, live.end());
}

} // namespace

EffectSystem::EffectSystem(const EffectLimits& limits)
{
    effects.limit = limits.effects;
    beams.limit = limits.beams;
    swipes.limit = limits.swipes;
    particles.limit = limits.particles;
    swipeSamples.limit = limits.swipeSamples;
}

EffectSystem::~EffectSystem()
{
    // Every link between objects is undone while all of them still exist.
    for (EffectInstance* effect : liveEffects)
        effect->Reset();
    for (SwipeInstance* swipe : liveSwipes)
        swipe->Reset();
}

void EffectSystem::RegisterTypes(ResourceManager& manager)
{
    manager.RegisterType("eff", kMemGraphics, true, "", true, EffectDefinition::Create);
    manager.RegisterType("bem", kMemGraphics, true, "", true, BeamDefinition::Create);
    manager.RegisterType("swp", kMemGraphics, true, "", true, SwipeDefinition::Create);
}

template <class T, class... Args>
T* EffectSystem::Take(Pool<T>& pool, const char* kind, Args&... args)
{
    if (!pool.free.empty()) {
        T* object = pool.free.back();
        pool.free.pop_back();
        return object;
    }
    if (pool.made.size() >= pool.limit) {
        if (!pool.warned)
            DebugSystem::Print(kPrintWarning, "More than %zu live %s: new ones are dropped\n", pool.limit, kind);
        pool.warned = true;
        return nullptr;
    }
    pool.made.push_back(std::make_unique<T>(args...));
    return pool.made.back().get();
}

EffectInstance* EffectSystem::TakeEffect()
{
    return Take(effects, "effects", *this);
}

BeamInstance* EffectSystem::TakeBeam()
{
    return Take(beams, "beams", *this);
}

SwipeInstance* EffectSystem::TakeSwipe()
{
    return Take(swipes, "swipes", *this);
}

Particle* EffectSystem::TakeParticle()
{
    return Take(particles, "particles");
}

void EffectSystem::ReleaseParticle(Particle* particle)
{
    if (particle->swipe) {
        particle->swipe->LoseParticle();
        particle->swipe = nullptr;
    }
    particle->Reset();
    particles.free.push_back(particle);
}

SwipeSample* EffectSystem::TakeSwipeSample()
{
    SwipeSample* sample = Take(swipeSamples, "swipe samples");
    if (sample)
        *sample = SwipeSample();
    return sample;
}

void EffectSystem::ReleaseSwipeSample(SwipeSample* sample)
{
    swipeSamples.free.push_back(sample);
}

bool EffectSystem::EntityEffectsVisible(EffectHost* entity)
{
    if (entity == context->GetHiddenEntity())
        return false;
    EffectHost* owner = entity->GetEffectOwner();
    return !owner || owner->GetOpacity() > 0.0f;
}

bool EffectSystem::EntityEffectsDrawable(EffectHost* entity)
{
    if (entity == context->GetHiddenEntity())
        return false;
    EffectHost* owner = entity->GetEffectOwner();
    return (owner ? owner : entity)->GetOpacity() > 0.0f;
}

// ---- Particle effects -----------------------------------------------------------------------

EffectInstance* EffectSystem::FindEffect(EffectHost* entity, const std::string& name, int32_t tagIndex)
{
    for (EffectInstance* effect : liveEffects) {
        if (effect->GetOwner() == entity && effect->tagIndex == tagIndex && effect->definitionName == name)
            return effect;
    }
    return nullptr;
}

EffectInstance* EffectSystem::FindOrCreateEffect(EffectHost* entity, const std::string& name,
                                                 const std::string& tagName)
{
    int32_t tagIndex = entity ? entity->FindAttachPoint(tagName) : -1;
    if (EffectInstance* found = FindEffect(entity, name, tagIndex))
        return found;
    EffectInstance* effect = TakeEffect();
    if (!effect)
        return nullptr;
    effect->SetOwner(entity);
    effect->tagName = tagName;
    effect->tagIndex = tagIndex;
    effect->SetDefinition(name);
    effect->Start();
    liveEffects.push_back(effect);
    return effect;
}

void EffectSystem::StartEffect(EffectHost* entity, const std::string& name, const std::string& tagName)
{
    if (!entity || !EntityEffectsVisible(entity))
        return;
    if (EffectInstance* effect = FindOrCreateEffect(entity, name, tagName))
        effect->emitting = true;
}

void EffectSystem::SpawnEffect(EffectHost* entity, const std::string& name, const std::string& tagName)
{
    if (!entity || !EntityEffectsVisible(entity))
        return;
    if (EffectInstance* effect = FindOrCreateEffect(entity, name, tagName))
        effect->Burst();
}

void EffectSystem::EnterWorld(EffectHost* localPlayer)
{
    StartEffect(localPlayer, kWorldEffect, "");
}

// ---- Beams ----------------------------------------------------------------------------------

BeamInstance* EffectSystem::FindBeam(EffectHost* entity, const std::string& name, int32_t tagIndex)
{
    for (BeamInstance* beam : liveBeams) {
        if (beam->GetOwner() == entity && beam->tagIndex == tagIndex && beam->definitionName == name)
            return beam;
    }
    return nullptr;
}

void EffectSystem::StartBeam(EffectHost* entity, const std::string& name, const std::string& tagName)
{
    if (!entity)
        return;
    int32_t tagIndex = entity->FindAttachPoint(tagName);
    BeamInstance* beam = FindBeam(entity, name, tagIndex);
    if (!beam) {
        beam = TakeBeam();
        if (!beam)
            return;
        beam->SetOwner(entity);
        beam->tagName = tagName;
        beam->tagIndex = tagIndex;
        beam->SetDefinition(name);
        liveBeams.push_back(beam);
    }
    beam->active = true;
}

void EffectSystem::StopBeam(EffectHost* entity, const std::string& name, const std::string& tagName)
{
    if (!entity)
        return;
    if (BeamInstance* beam = FindBeam(entity, name, entity->FindAttachPoint(tagName))) {
        beam->active = false;
        beam->SetOwner(nullptr);
    }
}

// ---- Trails ---------------------------------------------------------------------------------

EffectSystem::SwipeKey EffectSystem::AttachedSwipeKey(EffectHost* entity, const std::string& locationName,
                                                      const std::string& tagName1, const std::string& tagName2)
{
    SwipeKey key;
    if (locationName.empty()) {
        key.index1 = entity->FindAttachPoint(tagName1);
        key.index2 = entity->FindAttachPoint(tagName2);
        return key;
    }
    key.location = GetEquipedLocationByName(locationName);
    key.index1 = entity->FindEquippedAttachPoint(key.location, tagName1);
    key.index2 = entity->FindEquippedAttachPoint(key.location, tagName2);
    return key;
}

bool EffectSystem::ClientModelSwipeKey(EffectHost* entity, const std::string& tagName1, const std::string& tagName2,
                                       const std::string& modelTagName, SwipeKey& out)
{
    out.modelKey = entity->FindAttachPoint(modelTagName);
    if (out.modelKey < 0)
        return false;
    EffectHost* model = context->FindEntityByOwner(entity, out.modelKey);
    if (!model)
        return false;
    out.index1 = model->FindAttachPoint(tagName1);
    out.index2 = model->FindAttachPoint(tagName2);
    return true;
}

SwipeInstance* EffectSystem::FindSwipe(EffectHost* entity, const std::string& name, const SwipeKey& key)
{
    for (SwipeInstance* swipe : liveSwipes) {
        if (!swipe->followsParticle && swipe->GetOwner() == entity && swipe->definitionName == name &&
            swipe->tagIndex1 == key.index1 && swipe->tagIndex2 == key.index2 && swipe->location == key.location &&
            swipe->modelKey == key.modelKey)
            return swipe;
    }
    return nullptr;
}

SwipeInstance* EffectSystem::FindOrCreateSwipe(EffectHost* entity, const std::string& name, const SwipeKey& key,
                                               const std::string& tagName1, const std::string& tagName2)
{
    if (SwipeInstance* found = FindSwipe(entity, name, key))
        return found;
    SwipeInstance* swipe = TakeSwipe();
    if (!swipe)
        return nullptr;
    swipe->SetOwner(entity);
    swipe->tagName1 = tagName1;
    swipe->tagIndex1 = key.index1;
    swipe->tagName2 = tagName2;
    swipe->tagIndex2 = key.index2;
    swipe->location = key.location;
    swipe->modelKey = key.modelKey;
    swipe->SetDefinition(name);
    liveSwipes.push_back(swipe);
    return swipe;
}

void EffectSystem::StartSwipe(EffectHost* entity, const std::string& locationName, const std::string& name,
                              const std::string& tagName1, const std::string& tagName2)
{
    if (!entity || !EntityEffectsVisible(entity))
        return;
    SwipeKey key = AttachedSwipeKey(entity, locationName, tagName1, tagName2);
    if (SwipeInstance* swipe = FindOrCreateSwipe(entity, name, key, tagName1, tagName2))
        swipe->active = true;
}

void EffectSystem::StopSwipe(EffectHost* entity, const std::string& locationName, const std::string& name,
                             const std::string& tagName1, const std::string& tagName2)
{
    if (!entity)
        return;
    if (SwipeInstance* swipe = FindSwipe(entity, name, AttachedSwipeKey(entity, locationName, tagName1, tagName2))) {
        swipe->active = false;
        swipe->SetOwner(nullptr);
    }
}

void EffectSystem::StartClientModelSwipe(EffectHost* entity, const std::string& name, const std::string& tagName1,
                                         const std::string& tagName2, const std::string& modelTagName)
{
    SwipeKey key;
    if (!entity || !EntityEffectsVisible(entity) || !ClientModelSwipeKey(entity, tagName1, tagName2, modelTagName, key))
        return;
    if (SwipeInstance* swipe = FindOrCreateSwipe(entity, name, key, tagName1, tagName2)) {
        swipe->modelTagName = modelTagName;
        swipe->active = true;
    }
}

void EffectSystem::StopClientModelSwipe(EffectHost* entity, const std::string& name, const std::string& tagName1,
                                        const std::string& tagName2, const std::string& modelTagName)
{
    SwipeKey key;
    if (!entity || !ClientModelSwipeKey(entity, tagName1, tagName2, modelTagName, key))
        return;
    if (SwipeInstance* swipe = FindSwipe(entity, name, key)) {
        swipe->active = false;
        swipe->SetOwner(nullptr);
    }
}

SwipeInstance* EffectSystem::FindParticleSwipe(EffectHost* entity, const std::string& name, const Particle* particle)
{
    for (SwipeInstance* swipe : liveSwipes) {
        if (swipe->particle == particle && swipe->GetOwner() == entity && swipe->definitionName == name)
            return swipe;
    }
    return nullptr;
}

SwipeInstance* EffectSystem::StartParticleSwipe(EffectHost* entity, const std::string& name, Particle* particle)
{
    if (SwipeInstance* found = FindParticleSwipe(entity, name, particle))
        return found;
    SwipeInstance* swipe = TakeSwipe();
    if (!swipe)
        return nullptr;
    swipe->SetOwner(entity);
    swipe->particle = particle;
    swipe->followsParticle = true;
    particle->swipe = swipe;
    swipe->SetDefinition(name);
    liveSwipes.push_back(swipe);
    return swipe;
}

// ---- The frame ------------------------------------------------------------------------------

void EffectSystem::UpdateAll(float dt)
{
    bool frozen = context->IsPaused() && !context->WantsAnimationWhilePaused();
    // A negative or NaN frame time moves nothing either.
    dt = frozen || !(dt > 0.0f) ? 0.0f : std::min(dt, kMaxFrameTime);
    for (EffectInstance* effect : liveEffects)
        effect->Update(dt);
    for (BeamInstance* beam : liveBeams)
        beam->Update(dt);
    for (SwipeInstance* swipe : liveSwipes)
        swipe->Update(dt);
    Reap();
}

void EffectSystem::Reap()
{
    ReapList(liveEffects, effects.free, [](const EffectInstance& effect) {
        return !effect.emitting && !effect.GetOwner() && effect.particles.empty();
    });
    ReapList(liveBeams, beams.free, [](const BeamInstance& beam) { return !beam.active && !(beam.life > 0.0f); });
    ReapList(liveSwipes, swipes.free,
             [](const SwipeInstance& swipe) { return !swipe.active && swipe.samples.empty(); });
}

void EffectSystem::DrawAll(EffectSurfaces& surfaces)
{
    for (EffectInstance* effect : liveEffects)
        effect->Draw(surfaces);
    for (BeamInstance* beam : liveBeams)
        beam->Draw(surfaces);
    for (SwipeInstance* swipe : liveSwipes)
        swipe->Draw(surfaces);
}
