// UIModelWidget -- an animated model inside a menu (a character's preview, an item on show), driven by user vars naming the model, its skin, scale, turn and attached models, drawn as a small scene of its own.
#include "ui/widgets/UIModelWidget.h"

#include "client/EntityClient.h"
#include "core/ColorSystem.h"
#include "core/DebugSystem.h"
#include "core/FileSystem.h"
#include "core/StringUtil.h"
#include "core/TextParser.h"
#include "core/UserVar.h"
#include "core/UserVarSystem.h"
#include "render/Camera.h"
#include "render/LightingSystem.h"
#include "render/Renderer.h"
#include "render/WorldView.h"
#include "resources/GraphicsDevice.h"
#include "resources/ResourceManager.h"
#include "resources/effects/EffectSystem.h"
#include "resources/models/ModelResource.h"
#include "resources/models/Skin.h"
#include "ui/UISystem.h"
#include "ui/UiGameView.h"
#include "world/EntityBase.h"

#include <cmath>

namespace {

constexpr float kModelDegreesToRadians = 3.14159265f / 180.0f;

bool ModelVarReady(const UserVarRef& var)
{
    return var.IsValid() && gUserVarSystem && gUserVarSystem->IsReady();
}

// A model or skin the var names that no file holds would stop the game as a missing critical
// file: it is refused with a line instead, and the widget shows nothing in its place.
bool ModelFileExists(std::string path, bool underModels)
{
    if (underModels)
        FileSystem::PrefixPath(path, PathBase("Models"));
    if (gFileSystem && gFileSystem->FileExists(path))
        return true;
    DebugSystem::Print(kPrintWarning, "Model widget: couldn't find %s\n", path.c_str());
    return false;
}

// The renderer lights a model through its entity's light cache, which it fills once a frame.
class ModelSceneLight : public ModelEntity {
public:
    ModelSceneLight(EntityBase& entity, ModelEntity* owner) : entity(entity), owner(owner) {}
    EntityBase& GetEntityBase() override { return entity; }
    ModelEntity* GetLightOwner() override { return owner; }
    ModelLightCache& GetLightCache() override { return cache; }

private:
    EntityBase& entity;
    ModelEntity* owner;
    ModelLightCache cache;
};

WorldPos ModelGround(const WorldPos3& at)
{
    return WorldPos{at.level, at.x, at.y, false};
}

} // namespace

UIModelWidget::UIModelWidget()
{
    Vector3 eye = WorldView::kNormalEyeOffset;
    cameraPosition = WorldPos3{lookAt.level, lookAt.x + eye.x, lookAt.y + eye.y, lookAt.z + eye.z, false};
}

UIModelWidget::~UIModelWidget() = default;

// ---- Layout keywords ----

UserVarRef UIModelWidget::ReadVarPair(TextParser& parser)
{
    std::string varName = parser.ReadString(false);
    std::string defaultText = parser.ReadString(false);
    if (varName.empty() || !gUserVarSystem)
        return {};
    bool existed = gUserVarSystem->FindVar(varName) != nullptr;
    UserVarRef var = gUserVarSystem->RegisterVar(varName, defaultText, true);
    if (!existed)
        if (UserVar* made = gUserVarSystem->GetVar(var.GetIndex()))
            made->AddFlags(kUserVarSave);
    return var;
}

int32_t UIModelWidget::ReadSlot(TextParser& parser)
{
    int32_t slot = -1;
    if (!parser.ReadInt(slot, false) || slot < 0 || slot >= kAttachmentCount)
        return -1;
    return slot;
}

bool UIModelWidget::ReadProperty(const std::string& key, TextParser& parser)
{
    const std::string& file = gUISystem ? gUISystem->loadingFile : std::string();
    if (StringEqualsNoCase(key, "zoom")) {
        zoom = ReadLayoutFloat(parser, file);
    } else if (StringEqualsNoCase(key, "modelUserVar")) {
        modelVar = ReadVarPair(parser);
    } else if (StringEqualsNoCase(key, "skinUserVar")) {
        skinVar = ReadVarPair(parser);
    } else if (StringEqualsNoCase(key, "scaleUserVar")) {
        scaleVar = ReadVarPair(parser);
    } else if (StringEqualsNoCase(key, "angleUserVar")) {
        angleVar = ReadVarPair(parser);
    } else if (StringEqualsNoCase(key, "attachmentUserVar")) {
        int32_t slot = ReadSlot(parser);
        if (slot >= 0) {
            attachments[static_cast<size_t>(slot)].var = ReadVarPair(parser);
        } else {
            parser.ReadString(false);
            parser.ReadString(false);
        }
    } else if (StringEqualsNoCase(key, "attachmentTag")) {
        int32_t slot = ReadSlot(parser);
        std::string tag = parser.ReadString(false);
        if (slot >= 0)
            attachments[static_cast<size_t>(slot)].tag = tag;
    } else if (StringEqualsNoCase(key, "attachmentScale")) {
        int32_t slot = ReadSlot(parser);
        float slotScale = ReadLayoutFloat(parser, file);
        if (slot >= 0)
            attachments[static_cast<size_t>(slot)].scale = slotScale;
    } else if (StringEqualsNoCase(key, "clearBackground")) {
        clearBackground = parser.GetBool(false);
    } else if (StringEqualsNoCase(key, "clearDepth")) {
        clearDepth = parser.GetBool(false);
    } else if (StringEqualsNoCase(key, "drawEffects")) {
        drawEffects = parser.GetBool(false);
    } else if (StringEqualsNoCase(key, "addLight")) {
        Light light;
        light.x = ReadLayoutFloat(parser, file);
        light.y = ReadLayoutFloat(parser, file);
        light.color = ParseColor(parser.ReadString(false));
        light.radius = ReadLayoutFloat(parser, file);
        lights.push_back(light);
        hasLights = true;
    } else if (StringEqualsNoCase(key, "offset")) {
        scenePosition.x += ReadLayoutFloat(parser, file);
        scenePosition.y += ReadLayoutFloat(parser, file);
    } else {
        return UIWidget::ReadProperty(key, parser);
    }
    return false;
}

// ---- Attaching, showing and hiding ----

void UIModelWidget::OnAttach()
{
    drawUnlit = !hasLights;
    modelEntity = std::make_unique<EntityClient>();
    modelEntity->isWidgetModel = true;
    modelEntity->position = ModelGround(scenePosition);
    modelLight = std::make_unique<ModelSceneLight>(*modelEntity, nullptr);
    for (Attachment& slot : attachments) {
        slot.entity = std::make_unique<EntityClient>();
        slot.entity->isWidgetModel = true;
        slot.light = std::make_unique<ModelSceneLight>(*slot.entity, modelLight.get());
        slot.entity->position = ModelGround(scenePosition);
        slot.entity->scale = slot.scale;
        slot.tagIndex = -1;
    }
    tagsResolved = false;
    ApplyAngle();
}

void UIModelWidget::SetDisplayFactor(float factor)
{
    if (modelEntity)
        modelEntity->alpha = factor;
    for (Attachment& slot : attachments)
        if (slot.entity)
            slot.entity->alpha = factor;
}

void UIModelWidget::OnMenuShown(bool /*firstTime*/)
{
    SetDisplayFactor(1.0f);
}

void UIModelWidget::OnMenuHidden()
{
    SetDisplayFactor(0.0f);
}

// ---- Update ----

void UIModelWidget::ResolveTags()
{
    ModelResource* loaded = modelEntity ? modelEntity->GetLoadedModel() : nullptr;
    for (Attachment& slot : attachments)
        slot.tagIndex = loaded && !slot.tag.empty() ? loaded->FindTag(slot.tag) : -1;
    tagsResolved = loaded != nullptr;
}

void UIModelWidget::ApplyModel()
{
    if (!ModelVarReady(modelVar) || modelVar.GetString() == modelName)
        return;
    modelName = modelVar.GetString();
    if (modelName.empty() || !ModelFileExists(modelName, true)) {
        modelEntity->FreeModel();
    } else {
        modelEntity->LoadModels(modelName);
    }
    for (Attachment& slot : attachments)
        slot.tagIndex = -1;
    tagsResolved = false;
}

void UIModelWidget::ApplySkin()
{
    if (!ModelVarReady(skinVar) || skinVar.GetString() == skinName)
        return;
    skinName = skinVar.GetString();
    skinHandle.Reset();
    if (!skinName.empty() && gResourceManager && ModelFileExists(skinName, false))
        gResourceManager->Load(skinName, skinHandle);
    modelEntity->skin = skinHandle;
}

void UIModelWidget::ApplyScale()
{
    if (!ModelVarReady(scaleVar))
        return;
    float wanted = scaleVar.GetFloat();
    // A value that is not finite keeps the last scale.
    if (wanted == scale || !std::isfinite(wanted))
        return;
    scale = wanted;
    modelEntity->scale = scale;
    for (Attachment& slot : attachments)
        slot.entity->scale = slot.scale * scale;
}

void UIModelWidget::ApplyAttachment(Attachment& slot)
{
    if (!ModelVarReady(slot.var) || slot.var.GetString() == slot.name)
        return;
    slot.name = slot.var.GetString();
    if (slot.name.empty() || !ModelFileExists(slot.name, true)) {
        slot.entity->FreeModel();
        return;
    }
    slot.entity->LoadModels(slot.name);
    slot.entity->PlayAnimation("idle", AnimationPriority::kIdle, AnimationMode::Loop, false);
}

void UIModelWidget::ApplyAngle()
{
    if (ModelVarReady(angleVar)) {
        float wanted = angleVar.GetFloat();
        if (std::isfinite(wanted))
            angle = wanted;
    }
    if (modelEntity)
        modelEntity->modelYaw = angle;
}

void UIModelWidget::Update(float seconds)
{
    UIWidget::Update(seconds);
    if (!modelEntity)
        return;
    ApplyModel();
    if (!tagsResolved)
        ResolveTags();
    ApplySkin();
    ApplyScale();
    for (Attachment& slot : attachments)
        ApplyAttachment(slot);
    ApplyAngle();
    modelEntity->EntityBase::Update(seconds);
    for (Attachment& slot : attachments)
        slot.entity->EntityBase::Update(seconds);
}

// ---- Drawing ----

Matrix3 UIModelWidget::GetRotation() const
{
    float yaw = angle * kModelDegreesToRadians;
    return Matrix3{{{std::cos(yaw), std::sin(yaw), 0.0f}, {-std::sin(yaw), std::cos(yaw), 0.0f}, {0.0f, 0.0f, 1.0f}}};
}

void UIModelWidget::QueueModel(WorldView& view, const EntityClient& entity, ModelEntity* light, const WorldPos3& at,
                               const Matrix3& rotation) const
{
    const Skin* skin = nullptr;
    if (&entity == modelEntity.get() && skinHandle.IsValid() && gResourceManager)
        skin = dynamic_cast<const Skin*>(gResourceManager->Get(skinHandle));
    ModelSurfacesDesc desc;
    desc.model = entity.model.GetValue();
    desc.skin = skin;
    desc.entity = light;
    desc.animation = entity.anim;
    desc.time = entity.frame;
    desc.position = at;
    desc.rotation = rotation;
    desc.scale = entity.scale;
    desc.alpha = entity.alpha;
    desc.fullBright = drawUnlit;
    view.AddModelSurfaces(desc);
}

void UIModelWidget::DrawScene(WorldView& view, ShaderBatch& batch)
{
    if (!modelEntity)
        return;
    Camera::SetProjection(cameraPosition, lookAt, view, zoom);
    if (clearBackground)
        view.GetDevice().Clear(kClearColorBuffer | kClearStencilBuffer | kClearDepthBuffer, Color{0.0f, 0.0f, 0.0f},
                               1.0f);
    else if (clearDepth)
        view.GetDevice().Clear(kClearDepthBuffer, Color{0.0f, 0.0f, 0.0f}, 1.0f);
    view.BeginFrame();
    if (hasLights && gLightingSystem) {
        bool paused = gUISystem && gUISystem->GetGameView().IsPaused();
        if (!paused)
            gLightingSystem->Reset();
        for (const Light& light : lights)
            gLightingSystem->AddLight(-1, scenePosition.x + light.x, scenePosition.y + light.y, light.color,
                                      light.radius, LightingSystem::kPointLight);
    }
    Matrix3 rotation = GetRotation();
    QueueModel(view, *modelEntity, modelLight.get(), scenePosition, rotation);
    const ModelResource* model = modelEntity->GetLoadedModel();
    for (const Attachment& slot : attachments) {
        if (slot.tagIndex == -1 || !model)
            continue;
        TagPoseQuery query;
        query.animation = modelEntity->anim;
        query.time = modelEntity->frame;
        query.attachPoint = slot.tagIndex;
        query.entityMatrix = rotation;
        query.scale = modelEntity->scale;
        TagTransform placed;
        if (model->ComputeTagTransform(query, placed))
            QueueModel(view, *slot.entity, slot.light.get(), scenePosition.Add(placed.offset), placed.matrix);
    }
    if (drawEffects && gEffectSystem)
        gEffectSystem->DrawAll(view.GetEffects());
    view.DrawSurfaces(batch);
}

void UIModelWidget::Draw()
{
    if (!IsVisible() || !gRenderer)
        return;
    // The scene's camera looks at the widget's centre: a viewport of the screen's size centred there.
    gRenderer->SetUiViewport(GetScreenPosition().x + size[0] / 2.0f, GetScreenPosition().y + size[1] / 2.0f);
    DrawScene(gRenderer->GetWorldView(), gRenderer->GetWorldBatch());
    const std::array<float, 4>& whole = gRenderer->GetView();
    gRenderer->SetViewport(whole[0], whole[1], whole[2], whole[3], false);
    gRenderer->Begin2D();
}
