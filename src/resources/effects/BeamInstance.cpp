// BeamInstance -- one live beam from an attach point of a client entity, or between two entities' points.
#include "resources/effects/BeamInstance.h"

#include "core/MathUtil.h"
#include "core/RandomSystem.h"
#include "resources/ResourceManager.h"
#include "resources/effects/BeamDefinition.h"
#include "resources/effects/BeamRenderSurface.h"
#include "resources/effects/DefinitionFile.h"
#include "resources/effects/EffectContext.h"
#include "resources/effects/EffectHost.h"
#include "resources/effects/EffectSurfaces.h"
#include "resources/effects/EffectSystem.h"
#include "resources/shaders/Shader.h"

#include <algorithm>

BeamInstance::BeamInstance(EffectSystem& system) : system(system)
{
    Reset();
}

const BeamDefinition* BeamInstance::GetDefinition() const
{
    return gResourceManager ? dynamic_cast<const BeamDefinition*>(gResourceManager->Get(definition)) : nullptr;
}

EffectHost* BeamInstance::GetOwner() const
{
    return owner.GetAs<EffectHost>();
}

void BeamInstance::SetOwner(EffectHost* host)
{
    owner.Set(host ? &host->GetSafeObject() : nullptr);
}

void BeamInstance::SetDefinition(const std::string& name)
{
    definitionName = RequestDefinition(name, definition) ? name : std::string();
}

void BeamInstance::RenewSeed()
{
    seed = gRandomSystem->Next(RandomStream::GameData);
}

void BeamInstance::Reset()
{
    owner.Clear();
    life = 1.0f;
    tagIndex = -1;
    active = false;
    color = {1.0f, 1.0f, 1.0f};
    changeTimer = 0.0f;
    RenewSeed();
}

bool BeamInstance::FollowEnds(const BeamDefinition& def)
{
    EffectHost* host = GetOwner();
    EffectContext& context = system.GetContext();
    if (def.endPointsFromEntity) {
        EffectPos* ends[2] = {&start, &end};
        for (int32_t which = 0; which < 2; ++which) {
            int32_t number = -1;
            int32_t index = -1;
            host->GetBeamEndPoint(which, number, index);
            EffectHost* entity = context.GetEntity(number);
            if (!entity)
                return false;
            AttachTransform transform;
            entity->GetAttachPointTransform(index, transform);
            *ends[which] = transform.position;
        }
        return true;
    }
    AttachTransform transform;
    host->GetAttachPointTransform(tagIndex, transform);
    const float(&axis)[3] = transform.orientation.m[0];
    start = transform.position;
    end = context.Add(start, Vector3{axis[0], axis[1], axis[2]} * def.length);
    return true;
}

void BeamInstance::Update(float dt)
{
    if (!GetOwner())
        active = false;
    const BeamDefinition* def = GetDefinition();
    if (!def)
        return;
    if (GetOwner()) {
        if (!FollowEnds(*def))
            return;
        changeTimer += dt;
        if (changeTimer >= def->changeTime) {
            RenewSeed();
            changeTimer -= def->changeTime;
        }
    }
    if (!active)
        life = def->maxAge > 0.0f ? life - dt / def->maxAge : 0.0f;
    color = def->color;
    if (def->additive)
        color = {color.r * life, color.g * life, color.b * life};
}

int32_t BeamInstance::CountSegments(const BeamDefinition& def) const
{
    int32_t count = 1;
    if (def.numSegments > 0)
        count = def.numSegments;
    else if (def.segmentLength > 0.0f)
        count = RoundToInt(Vector3Length(system.GetContext().Delta(start, end)) / def.segmentLength);
    return std::clamp(count, 1, BeamRenderSurface::kMaxSegments);
}

void BeamInstance::Draw(EffectSurfaces& surfaces)
{
    EffectHost* host = GetOwner();
    if (host && !system.EntityEffectsDrawable(host))
        return;
    const BeamDefinition* def = GetDefinition();
    if (!def || (tagIndex == -1 && !def->endPointsFromEntity))
        return;
    const auto* shader = dynamic_cast<const Shader*>(gResourceManager->Get(def->texture));
    if (!shader)
        return;
    EffectContext& context = system.GetContext();
    BeamRenderSurface& surface = surfaces.AddBeamSurface(*shader);
    surface.start = context.ToRenderSpace(start);
    surface.end = context.ToRenderSpace(end);
    surface.segments = CountSegments(*def);
    surface.minOffset = def->minOffset;
    surface.maxOffset = def->maxOffset;
    surface.startSize = def->startSize;
    surface.endSize = def->endSize;
    surface.color = color;
    surface.alpha = life;
    surface.seed = seed;
}
