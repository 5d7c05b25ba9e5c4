// EntityClient -- where an entity's model stands (on its own, or hanging on its owner's tag) and its draw: the model, its status effects' shaders, its equipment, its hover outline and its overhead icon.
#include "client/EntityClient.h"

#include "client/ClientApp.h"
#include "client/ClientSight.h"
#include "client/EntityOverlays.h"
#include "client/EntityScene.h"
#include "client/GameClient.h"
#include "client/PlayerClient.h"
#include "client/QuestClient.h"
#include "client/StatusEffectClient.h"
#include "resources/models/ModelResource.h"
#include "rules/GameData.h"
#include "rules/RulesEnums.h"
#include "rules/covenants/CovenantDefinition.h"

#include <algorithm>

namespace {

// Bits of the flags word the overhead icons read.
constexpr uint32_t kEntityDrawQuestTarget = 0x200;
constexpr uint32_t kEntityDrawEscortDone = 0x100;

} // namespace

void EntityClient::SetModelRotation(const Matrix3& rotation)
{
    modelRotation = rotation;
    hasModelRotation = true;
}

void EntityClient::GetModelPlacement(WorldPos3& where, Matrix3& matrix) const
{
    const EntityClient* owner = parentNumber != -1 && !fakeAttach ? GetOwner() : nullptr;
    if (owner && parentTag != -1) {
        owner->SetModelTransform(parentTag, where, matrix);
        return;
    }
    if (owner) {
        where = WorldPos3{owner->position.level, owner->position.x, owner->position.y, 0.0f};
        matrix = owner->GetModelRotation();
        return;
    }
    where = WorldPos3{position.level, position.x, position.y, projectileHeight};
    matrix = GetModelRotation();
}

void EntityClient::SetModelTransform(int32_t tag, WorldPos3& where, Matrix3& matrix) const
{
    GetModelPlacement(where, matrix);
    const ModelResource* shown = tag != -1 ? GetModelResource(model) : nullptr;
    if (!shown)
        return;
    TagPoseQuery query;
    query.animation = anim;
    query.time = frame;
    query.secondAnimation = blendAnim;
    query.secondTime = blendFrame;
    query.attachPoint = tag;
    query.entityMatrix = matrix;
    query.scale = GetScale();
    TagTransform placed;
    if (!shown->ComputeTagTransform(query, placed))
        return;
    where = where.Add(placed.offset);
    matrix = placed.matrix;
}

bool EntityClient::IsHoveredOrOwnerHovered(const EntityDrawFrame& drawFrame) const
{
    if (!drawFrame.hovered)
        return false;
    int32_t hovered = drawFrame.hovered->entityNumber;
    const EntityClient* owner = GetOwner();
    return hovered == entityNumber || (owner && hovered == owner->entityNumber);
}

bool EntityClient::IsDrawnAsHovered(const EntityDrawFrame& drawFrame) const
{
    return isWidgetModel || (drawFrame.hovered == this && !isSecret);
}

void EntityClient::GetReferencePoint(WorldPos3& out) const
{
    const EntityClient* owner = GetOwner();
    const WorldPos& from = owner ? owner->position : position;
    // Plain sums, not a walk across the level edge: the point stays on its level.
    out = WorldPos3{from.level, from.x - 100.0f, from.y - 100.0f, 150.0f};
}

ModelSurfacesDesc EntityClient::CreateModelInstance() const
{
    ModelSurfacesDesc instance;
    instance.model = model.GetValue();
    instance.skin = GetDrawSkin();
    instance.animation = anim;
    instance.time = frame;
    GetModelPlacement(instance.position, instance.rotation);
    instance.useOffset = true;
    instance.facing = facing;
    instance.scale = GetScale();
    instance.alpha = GetAlpha();
    instance.visibleSubMeshes = GetShownSurfaces();
    return instance;
}

bool EntityClient::DrawsAttachedModel(int32_t location, const EntityDrawFrame& drawFrame) const
{
    // The player may hide its own helmet; everyone else's stays on.
    if (location == kLocationHead && entityNumber == drawFrame.playerNumber && !drawFrame.drawPlayerHelmet)
        return false;
    return FindWearerTag(location) != -1;
}

ModelSurfacesDesc EntityClient::MakeAttachedDesc(int32_t location) const
{
    const EquipmentLocation& shown = equipment[static_cast<size_t>(location)];
    ModelSurfacesDesc desc;
    desc.model = shown.model.GetValue();
    // A hung model stands in its first pose: the skinned drawing needs one.
    desc.animation = 0;
    SetModelTransform(FindWearerTag(location), desc.position, desc.rotation);
    desc.scale = shown.scale * GetScale();
    desc.alpha = GetAlpha();
    return desc;
}

void EntityClient::Draw(EntityScene& scene, const EntityDrawFrame& drawFrame)
{
    if (!(GetAlpha() > 0.0f) || IsHidden())
        return;
    ModelSurfacesDesc body = CreateModelInstance();
    body.hovered = IsDrawnAsHovered(drawFrame);
    const ModelResource* shown = GetModelResource(body.model);
    bool sprite = shown && shown->type == ModelResource::kSprite;
    if (sprite)
        scene.AddSprite(SpriteDesc{body.position, static_cast<int32_t>(frame), facing, body.model, anim});
    else
        scene.AddModel(body);
    DrawStatusEffectShaders(scene, drawFrame, statusEffects, false);
    if (const EntityClient* owner = GetOwner())
        DrawStatusEffectShaders(scene, drawFrame, owner->statusEffects, true);
    int32_t shadows = castsShadow ? scene.GetShadowMode() : 0;
    // A sprite has no model to flatten: it keeps the stock shadow.
    if (shadows == 2 && !sprite)
        AddProjectedShadow(scene, body);
    else if (shadows > 0)
        scene.AddShadow(WorldPos3{position.level, position.x, position.y, 0.0f}, 2.0f * radius);
    DrawAttachedModels(scene, drawFrame);
    if (IsHoveredOrOwnerHovered(drawFrame) && !isSecret) {
        body.shaderOverride = scene.GetOutlineTexture(GetMapColorIndex());
        if (body.shaderOverride != -1)
            scene.AddModel(body);
    }
    DrawOverheadIcon(scene, drawFrame);
}

void EntityClient::DrawDefault(EntityScene& scene, const EntityDrawFrame& drawFrame)
{
    if (flags & kFlagHideModel)
        return;
    Draw(scene, drawFrame);
}

void EntityClient::UpdateVisuals(const OverlayFrame& frame, OverlayCanvas& canvas) const
{
    // Bars and numbers over a thing in the dark would tell where it stands: every link of the
    // chain must be in sight.
    if (gGameClient) {
        const ClientSight& sight = gGameClient->GetSight();
        for (const EntityClient* link = this; link; link = link->GetOwner())
            if (!(sight.GetSightFade(link->position, true) > 0.0f))
                return;
    }
    EntityOverlays::Draw(*this, frame, canvas);
}

void EntityClient::AddProjectedShadow(EntityScene& scene, const ModelSurfacesDesc& model) const
{
    WorldPos3 light;
    GetReferencePoint(light);
    scene.AddProjectedShadow(model, light);
}

void EntityClient::DrawAttachedModels(EntityScene& scene, const EntityDrawFrame& drawFrame) const
{
    for (int32_t location = 0; location < kEquipmentLocations; ++location) {
        if (!DrawsAttachedModel(location, drawFrame))
            continue;
        ModelSurfacesDesc desc = MakeAttachedDesc(location);
        desc.hovered = IsDrawnAsHovered(drawFrame);
        scene.AddModel(desc);
        if (castsShadow && scene.GetShadowMode() == 2)
            AddProjectedShadow(scene, desc);
        int32_t glow = equipment[static_cast<size_t>(location)].glow;
        desc.shaderOverride = glow >= 5 && glow <= 7 ? scene.GetGlowTexture(glow) : -1;
        if (desc.shaderOverride != -1)
            scene.AddModel(desc);
    }
    const ModelResource* shown = drawFrame.showTags ? GetModelResource(model) : nullptr;
    if (!shown)
        return;
    int32_t first = std::max(shown->GetFirstTagIndex(), 0);
    for (int32_t tag = first; tag < first + shown->GetTagCount(); ++tag) {
        WorldPos3 where;
        Matrix3 matrix;
        SetModelTransform(tag, where, matrix);
        scene.AddTagAxes(where, matrix);
    }
}

void EntityClient::DrawStatusEffectShaders(EntityScene& scene, const EntityDrawFrame& drawFrame,
                                           const std::vector<std::unique_ptr<StatusEffectClient>>& effects,
                                           bool childOnly) const
{
    for (const auto& effect : effects) {
        if (!effect->GetVictimShader().IsValid() || (childOnly && !effect->shaderOnChild))
            continue;
        ModelSurfacesDesc desc = CreateModelInstance();
        desc.shaderOverride = effect->GetVictimShader().GetValue();
        desc.hovered = IsDrawnAsHovered(drawFrame);
        scene.AddModel(desc);
        for (int32_t location = 0; location < kEquipmentLocations; ++location) {
            if (!DrawsAttachedModel(location, drawFrame))
                continue;
            ModelSurfacesDesc attached = MakeAttachedDesc(location);
            attached.shaderOverride = desc.shaderOverride;
            attached.hovered = desc.hovered;
            scene.AddModel(attached);
        }
    }
}

int32_t EntityClient::ChooseOverheadIcon()
{
    CovenantClient* covenant =
        covenantIndex >= 0 && gGameClient ? gGameClient->GetCovenant(covenantIndex, false) : nullptr;
    if (covenant)
        return IsOfPlayerCovenant() ? -1 : covenant->GetSmallCrest().GetValue();
    const PlayerClient* player = gClientApp ? gClientApp->GetLocalPlayer() : nullptr;
    if (!player)
        return -1;
    bool whole = GetAlpha() >= 1.0f;
    bool target = IsQuestTarget();
    if ((!target && player->FindQuestForNpc(*this) != -1) || (target && !whole))
        return questCompletedIcon.GetValue();
    auto held = [player](int32_t quest) {
        for (int32_t slot = 0; slot < PlayerClient::kQuestSlots; ++slot)
            if (const QuestClient* mine = player->GetQuestSlot(slot); mine && mine->questId == quest)
                return true;
        return false;
    };
    // The tutor's lessons are given, never taken up: another client's click there offers nothing.
    if (covenantIndex == -1 && npcType != NpcType::Tutor && !std::all_of(questOffers.begin(), questOffers.end(), held))
        return questAvailableIcon.GetValue();
    if ((canBeRescued && whole) || (flags & kEntityDrawQuestTarget) || (canReceiveDelivery && whole))
        return questCompletedIcon.GetValue();
    if (canBeEscorted && !(flags & kEntityDrawEscortDone))
        return questCompletedIcon.GetValue();
    return -1;
}

void EntityClient::DrawOverheadIcon(EntityScene& scene, const EntityDrawFrame& drawFrame)
{
    if ((maxHealth >= 1 && health < 1) || !drawsIcons)
        return;
    int32_t icon = ChooseOverheadIcon();
    if (icon == -1)
        return;
    scene.AddIcon(WorldPos3{position.level, position.x, position.y, iconHeight}, drawFrame.iconSize,
                  drawFrame.iconAlpha, icon);
}
