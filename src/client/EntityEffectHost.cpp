// EntityEffectHost -- a client entity as the effects hanging on it see it: owner, opacity, attach points on its model and on its hung equipment, beam ends and colours.
#include "client/EntityEffectHost.h"

#include "client/CovenantClient.h"
#include "client/EntityClient.h"
#include "client/GameClient.h"
#include "resources/models/ModelResource.h"
#include "rules/GameData.h"

namespace {

void EntityEffectHostPlace(const WorldPos3& where, const Matrix3& matrix, AttachTransform& out)
{
    out.position = EffectPos{where.level, Vector3{where.x, where.y, where.z}};
    out.orientation = matrix;
}

} // namespace

SafeClass& EntityEffectHost::GetSafeObject()
{
    return *this;
}

EffectHost* EntityEffectHost::GetEffectOwner()
{
    EntityClient* owner = entity.GetOwner();
    return owner ? &owner->GetEffectHost() : nullptr;
}

float EntityEffectHost::GetOpacity()
{
    return entity.GetAlpha();
}

bool EntityEffectHost::IsDead()
{
    return entity.IsDead();
}

bool EntityEffectHost::IsHidden()
{
    return entity.IsHidden();
}

int32_t EntityEffectHost::FindAttachPoint(std::string_view name)
{
    const ModelResource* shown = name.empty() ? nullptr : EntityClient::GetModelResource(entity.model);
    return shown ? shown->FindTag(name) : -1;
}

void EntityEffectHost::GetAttachPointTransform(int32_t index, AttachTransform& out)
{
    WorldPos3 where;
    Matrix3 matrix;
    entity.SetModelTransform(index, where, matrix);
    EntityEffectHostPlace(where, matrix, out);
}

int32_t EntityEffectHost::FindEquippedAttachPoint(int32_t location, std::string_view name)
{
    return entity.FindAttachedModelTag(location, name);
}

void EntityEffectHost::GetEquippedAttachPointTransform(int32_t location, int32_t index, AttachTransform& out)
{
    WorldPos3 where;
    Matrix3 matrix;
    if (!entity.GetAttachedModelTransform(location, where, matrix))
        return;
    const EntityClient::EquipmentLocation* shown = entity.GetEquipment(location);
    const ModelResource* hung = shown ? EntityClient::GetModelResource(shown->model) : nullptr;
    TagPoseQuery query;
    query.animation = 0;
    query.attachPoint = index;
    query.entityMatrix = matrix;
    query.scale = (shown ? shown->scale : 1.0f) * entity.GetScale();
    TagTransform placed;
    if (hung && index != -1 && hung->ComputeTagTransform(query, placed)) {
        where = where.Add(placed.offset);
        matrix = placed.matrix;
    }
    EntityEffectHostPlace(where, matrix, out);
}

void EntityEffectHost::GetBeamEndPoint(int32_t which, int32_t& entityNumber, int32_t& attachIndex)
{
    // The state record's four words: start entity, start tag, target entity, target tag.
    int32_t first = which == 1 ? 2 : 0;
    entityNumber = entity.projectileWords[first];
    attachIndex = entity.projectileWords[first + 1];
}

int32_t EntityEffectHost::GetItemTypeColorIndex()
{
    return entity.isItem && gGameData ? gGameData->GetItemTypeColor(entity.itemType) : -1;
}

int32_t EntityEffectHost::GetCovenantColorIndex()
{
    CovenantClient* covenant =
        gGameClient && entity.covenantIndex >= 0 ? gGameClient->GetCovenant(entity.covenantIndex, false) : nullptr;
    return covenant ? covenant->GetColor() : -1;
}
