// ModelEditor -- the model viewer's registration, commands and user vars, the two client entities that show the model and its attachment, and the tags moved, turned, added, deleted and saved.
#include "tools/ModelEditor.h"

#include "client/EntityClient.h"
#include "core/CommandSystem.h"
#include "core/Quaternion.h"
#include "core/StringUtil.h"
#include "core/UserVarSystem.h"
#include "render/Renderer.h"
#include "render/WorldView.h"
#include "resources/ResourceManager.h"
#include "resources/models/ModelResource.h"
#include "resources/models/SkeletonResource.h"
#include "ui/UISystem.h"
#include "ui/UIWidget.h"
#include "ui/widgets/UIDropDownBox.h"
#include "ui/widgets/UITextureList.h"

#include <algorithm>
#include <cmath>

ModelEditor* gModelEditor = nullptr;

namespace {

// The model first faces direction 6, along -x.
constexpr int32_t kModelEditorStartFacing = 6;

void ModelEditorRegister(const char* name, CommandSystem::Handler handler, const char* help,
                         const char* argNames = "", const char* argTypes = "")
{
    gCommandSystem->RegisterCommand(name, std::move(handler), help, argNames, argTypes);
}

// The rotation of the three angles in degrees, as a quaternion for the tags file.
Quaternion ModelEditorAxisTurn(float degrees, const Vector3& axis)
{
    float half = degrees * 0.5f * 0.017453293f;
    float s = std::sin(half);
    return {axis.x * s, axis.y * s, axis.z * s, std::cos(half)};
}

} // namespace

ModelEditor::ModelEditor() : orientation(MatrixFromAxisIndex(kModelEditorStartFacing))
{
    viewPoint.Set(-1, Vector2{kViewX, kViewY});
}

ModelEditor::~ModelEditor()
{
    ShutDown();
}

// ---- Registration ------------------------------------------------------------------------------

void ModelEditor::Register()
{
    RegisterVars();
    RegisterCommands();
    RegisterTagCommands();
    gCommandSystem->RegisterInfoProc("ModelEditorGetBoneNames",
                                     [this](std::vector<ListEntry>& rows) { GetBoneNames(rows); });
    shownEntity = std::make_unique<EntityClient>();
    attachedEntity = std::make_unique<EntityClient>();
    for (EntityClient* entity : {shownEntity.get(), attachedEntity.get()}) {
        entity->position = WorldPos{viewPoint.level, viewPoint.x, viewPoint.y, false};
        entity->SetModelRotation(orientation);
        // Stopped until "ModelEditorPlay": the frame stays where the commands step it.
        entity->frozen = entity == shownEntity.get();
    }
}

void ModelEditor::RegisterVars()
{
    UserVarSystem& vars = *gUserVarSystem;
    modelVar = vars.RegisterVar("ModelEditorModel", "");
    attachmentVar = vars.RegisterVar("ModelEditorAttachmentModel", "");
    attachmentScaleVar = vars.RegisterVar("ModelEditorAttachmentScale", "1.0");
    animationVar = vars.RegisterVar("modelEditorAnim", "");
    frameVar = vars.RegisterVar("modelEditorFrame", "");
    tagNameVar = vars.RegisterVar("ModelEditorTagName", "");
    boneNameVar = vars.RegisterVar("ModelEditorBoneName", "");
    showAttachmentVar = vars.RegisterVar("ModelEditorShowAttachment", "");
    showTagsVar = vars.RegisterVar("showTags", "0");
}

// The help texts as the menus' tooltips have always shown them, the slip in "Scaless" included.
void ModelEditor::RegisterCommands()
{
    ModelEditorRegister("modelEditor", [this](const auto& a) { Open(std::atoi(a[0].c_str()) != 0); },
                        "Go into editor mode", "run", "d");
    ModelEditorRegister("ModelEditorChangeDir", [](const auto&) { gUISystem->ShowMenu("ModelEditorPickDir"); },
                        "Change to a different model directory");
    ModelEditorRegister("ModelEditorChangeAttachmentDir",
                        [](const auto&) { gUISystem->ShowMenu("ModelEditorPickAttachmentDir"); },
                        "Change to a different attachment model directory");
    ModelEditorRegister("ModelEditorZoomIn", [this](const auto&) { Zoom(-kZoomStep); }, "Zooms in on the model");
    ModelEditorRegister("ModelEditorZoomOut", [this](const auto&) { Zoom(kZoomStep); }, "Zooms out away from the model");
    ModelEditorRegister("ModelEditorShiftUp", [this](const auto&) { Shift(-kShiftStep); }, "Shifts the model up");
    ModelEditorRegister("ModelEditorShiftDown", [this](const auto&) { Shift(kShiftStep); }, "Shifts the model down");
    ModelEditorRegister("ModelEditorRotateLeft", [this](const auto&) { Turn(-kTurnStep); }, "Rotates the model left");
    ModelEditorRegister("ModelEditorRotateRight", [this](const auto&) { Turn(kTurnStep); }, "Rotates the model right");
    ModelEditorRegister("ModelEditorScaleUp", [this](const auto&) { ScaleAttachment(kScaleStep); },
                        "Scales the attachment model up");
    ModelEditorRegister("ModelEditorScaleDown", [this](const auto&) { ScaleAttachment(-kScaleStep); },
                        "Scaless the attachment model down");
    ModelEditorRegister("ModelEditorPrevAnim", [this](const auto&) { StepAnimation(-1); }, "Goes to the previous anim");
    ModelEditorRegister("ModelEditorNextAnim", [this](const auto&) { StepAnimation(1); }, "Goes to the next anim");
    ModelEditorRegister("ModelEditorPlay", [this](const auto&) { Play(); }, "Starts the animation");
    ModelEditorRegister("ModelEditorPlayOnce", [this](const auto&) { PlayOnce(); },
                        "Starts the animation and plays it once");
    ModelEditorRegister("ModelEditorStop", [this](const auto&) { Stop(); }, "Stops the animation");
    ModelEditorRegister("ModelEditorPrevFrame", [this](const auto&) { StepFrame(-1); }, "Goes to the previous frame");
    ModelEditorRegister("ModelEditorNextFrame", [this](const auto&) { StepFrame(1); }, "Goes to the next frame");
    ModelEditorRegister("ModelEditorModelMode", [this](const auto& a) { SetModelMode(std::atoi(a[0].c_str())); },
                        "Goes into specified model mode", "mode", "i");
}

void ModelEditor::RegisterTagCommands()
{
    ModelEditorRegister("ModelEditorTagUp", [this](const auto&) { MoveTag({0.0f, 0.0f, kTagStep}); },
                        "Moves the current tag up");
    ModelEditorRegister("ModelEditorTagDown", [this](const auto&) { MoveTag({0.0f, 0.0f, -kTagStep}); },
                        "Moves the current tag down");
    ModelEditorRegister("ModelEditorTagLeft", [this](const auto&) { MoveTagAlongCamera(-kTagStep, 0.0f); },
                        "Moves the current tag left");
    ModelEditorRegister("ModelEditorTagRight", [this](const auto&) { MoveTagAlongCamera(kTagStep, 0.0f); },
                        "Moves the current tag right");
    ModelEditorRegister("ModelEditorTagForward", [this](const auto&) { MoveTagAlongCamera(0.0f, kTagStep); },
                        "Moves the current tag forward");
    ModelEditorRegister("ModelEditorTagBackwards", [this](const auto&) { MoveTagAlongCamera(0.0f, -kTagStep); },
                        "Moves the current tag backwards");
    ModelEditorRegister("ModelEditorPitchUp", [this](const auto&) { TurnTag(0.0f, -kTagTurnStep, 0.0f); },
                        "Rotates the current tag");
    ModelEditorRegister("ModelEditorPitchDown", [this](const auto&) { TurnTag(0.0f, kTagTurnStep, 0.0f); },
                        "Rotates the current tag");
    ModelEditorRegister("ModelEditorYawLeft", [this](const auto&) { TurnTag(kTagTurnStep, 0.0f, 0.0f); },
                        "Rotates the current tag");
    ModelEditorRegister("ModelEditorYawRight", [this](const auto&) { TurnTag(-kTagTurnStep, 0.0f, 0.0f); },
                        "Rotates the current tag");
    ModelEditorRegister("ModelEditorRollUp", [this](const auto&) { TurnTag(0.0f, 0.0f, kTagTurnStep); },
                        "Rotates the current tag");
    ModelEditorRegister("ModelEditorRollDown", [this](const auto&) { TurnTag(0.0f, 0.0f, -kTagTurnStep); },
                        "Rotates the current tag");
    ModelEditorRegister("ModelEditorSaveTags", [this](const auto&) { SaveTags(); }, "Saves out all of the tags");
    ModelEditorRegister("ModelEditorPrevTag", [this](const auto&) { StepTag(-1); }, "Go to the previous tag");
    ModelEditorRegister("ModelEditorNextTag", [this](const auto&) { StepTag(1); }, "Go to the next tag");
    ModelEditorRegister("ModelEditorAddTag", [this](const auto&) { AddTag(); }, "Adds a new tag");
    ModelEditorRegister("ModelEditorDeleteTag", [this](const auto&) { DeleteTag(); }, "Deletes the current tag");
}

void ModelEditor::GetBoneNames(std::vector<ListEntry>& rows) const
{
    const ModelResource* shown = GetModel();
    const SkeletonResource* bones = shown ? shown->GetSkeleton() : nullptr;
    if (!bones)
        return;
    for (int32_t bone = 0; bone < bones->GetBoneCount(); ++bone)
        rows.push_back({shown->GetBoneName(bone), "", "", shown->GetBoneName(bone)});
}

// ---- Opening and the frame ---------------------------------------------------------------------

void ModelEditor::Open(bool run)
{
    if (run == active || !gUISystem)
        return;
    gUISystem->SetMenuVisible("ModelEditor", run);
    active = run;
    // A thing carried on the cursor goes back: the viewer's clicks are no drops.
    if (run)
        gUISystem->CancelDrag();
    // Opened with nothing chosen, the viewer shows the first model of its list rather than an empty stage.
    auto* list = dynamic_cast<UITextureList*>(gUISystem->FindWidgetByPath("ModelEditor::ModelList"));
    if (run && modelVar.GetString().empty() && list && !list->GetNames().empty())
        modelVar.SetString(list->GetNames().front());
}

void ModelEditor::Update(float seconds)
{
    if (!active || !shownEntity)
        return;
    TakeModelVars();
    TakeAttachmentVar();
    shownEntity->Update(seconds);
    attachedEntity->Update(seconds);
    PublishFrame();
    TakeTagVars();
}

void ModelEditor::ShowModel(EntityClient& entity, const std::string& name, ResourceHandle& handle)
{
    handle.Reset();
    // An empty name takes the model away: loading no name would leave the old one standing.
    if (name.empty() || !gResourceManager) {
        entity.FreeModel();
        return;
    }
    gResourceManager->Load(name, handle);
    // Waited for here, so that the entity finds the model loaded when its animation is chosen.
    gResourceManager->Get(handle);
    entity.LoadModels(name);
}

void ModelEditor::TakeModelVars()
{
    if (modelVar.GetString() == modelName)
        return;
    modelName = modelVar.GetString();
    ShowModel(*shownEntity, modelName, model);
    animation = 0;
    SelectAnimation();
    PublishFrame();
    RefreshBoneNames();
    ComputeTagRange();
    PublishTag();
}

// The attached model stands as it would in the game: playing its idle animation, looped.
void ModelEditor::TakeAttachmentVar()
{
    if (attachmentVar.GetString() == attachmentName)
        return;
    attachmentName = attachmentVar.GetString();
    ShowModel(*attachedEntity, attachmentName, attachment);
    attachedEntity->PlayAnimation("idle", AnimationPriority::kIdle, AnimationMode::Loop, false);
}

// Found by name each time: "reloadMenus" makes the box anew.
void ModelEditor::RefreshBoneNames() const
{
    UIWidget* widget = gUISystem ? gUISystem->FindWidgetByPath("ModelEditor::BoneNameDropDownBox") : nullptr;
    if (auto* box = dynamic_cast<UIDropDownBox*>(widget))
        box->RefreshContents();
}

void ModelEditor::PublishFrame()
{
    frameVar.SetString(StringFormat("%d", static_cast<int32_t>(GetTime())));
}

// ---- The view ----------------------------------------------------------------------------------

void ModelEditor::Zoom(float step)
{
    zoom = std::clamp(zoom + step, kMinZoom, kMaxZoom);
}

void ModelEditor::Shift(float step)
{
    viewPoint.z += step;
}

void ModelEditor::Turn(float degrees)
{
    HeadingPitch angles = DirectionToAngles({orientation.m[0][0], orientation.m[0][1], orientation.m[0][2]});
    orientation = MatrixFromEulerDegrees(angles.heading + degrees, angles.pitch, 0.0f);
    if (shownEntity)
        shownEntity->SetModelRotation(orientation);
}

// A negative scale is kept: it mirrors the attachment, which a modder may want to see.
void ModelEditor::ScaleAttachment(float step)
{
    attachmentScale += step;
    if (attachedEntity)
        attachedEntity->scale = attachmentScale;
    attachmentScaleVar.SetString(StringFormat("%.2f", static_cast<double>(attachmentScale)));
}

void ModelEditor::SetModelMode(int32_t mode)
{
    ShowWidget("ModelEditor::ModelList", mode != 0);
    ShowWidget("ModelEditor::AttachmentModelList", mode == 0);
}

void ModelEditor::ShowWidget(const char* path, bool on) const
{
    if (UIWidget* widget = gUISystem ? gUISystem->FindWidgetByPath(path) : nullptr)
        widget->SetVisible(on);
}

// ---- Animations --------------------------------------------------------------------------------

void ModelEditor::StepAnimation(int32_t step)
{
    const ModelResource* shown = GetModel();
    if (!shown)
        return;
    int32_t count = shown->GetAnimationCount();
    animation += step;
    if (animation < 0)
        animation = count - 1;
    else if (animation >= count)
        animation = 0;
    SelectAnimation();
}

void ModelEditor::StartAnimation(bool once)
{
    if (shownEntity)
        shownEntity->SetAnimationIndex(animation, AnimationPriority::kAlwaysWins,
                                 once ? AnimationMode::Hold : AnimationMode::Loop, true, false);
}

void ModelEditor::SelectAnimation()
{
    frameCount = 0;
    const ModelResource* loaded = GetModel();
    const Animation* entry = loaded ? loaded->GetAnimation(animation) : nullptr;
    animationVar.SetString(entry ? entry->name : "");
    if (!entry)
        return;
    frameCount = entry->GetFrameCount();
    frameRate = entry->frameRate;
    StartAnimation(false);
}

void ModelEditor::Play()
{
    playing = true;
    if (shownEntity)
        shownEntity->frozen = false;
    // A play-once animation holds its last frame: looping starts it over.
    if (playOnce) {
        playOnce = false;
        StartAnimation(false);
    }
}

void ModelEditor::PlayOnce()
{
    playing = true;
    playOnce = true;
    if (shownEntity)
        shownEntity->frozen = false;
    StartAnimation(true);
}

void ModelEditor::Stop()
{
    playing = false;
    if (shownEntity)
        shownEntity->frozen = true;
}

// An animation without frames has no frame to step to.
void ModelEditor::StepFrame(int32_t step)
{
    if (frameCount <= 0 || !shownEntity)
        return;
    int32_t frame = static_cast<int32_t>(std::floor(shownEntity->frame)) + step;
    if (frame < 0)
        frame = frameCount - 1;
    else if (frame >= frameCount)
        frame = 0;
    shownEntity->frame = static_cast<float>(frame);
    PublishFrame();
}

// ---- Tags --------------------------------------------------------------------------------------

void ModelEditor::ComputeTagRange()
{
    const ModelResource* shown = GetModel();
    firstTag = shown ? shown->GetFirstTagIndex() : -1;
    lastTag = shown ? shown->GetTagCount() - 1 : -1;
    if (lastTag < firstTag || firstTag < 0) {
        firstTag = -1;
        lastTag = -1;
    }
    currentTag = firstTag;
}

void ModelEditor::PublishTag()
{
    const ModelResource* shown = GetModel();
    if (!shown || currentTag < 0) {
        tagNameVar.SetString("");
        boneNameVar.SetString("");
        return;
    }
    tagNameVar.SetString(shown->GetTagName(currentTag));
    boneNameVar.SetString(shown->GetBoneName(shown->GetTag(currentTag).parent));
}

void ModelEditor::TakeTagVars()
{
    ModelResource* shown = GetModel();
    if (!shown || currentTag < 0)
        return;
    if (tagNameVar.GetString() != shown->GetTagName(currentTag))
        shown->SetTagName(currentTag, tagNameVar.GetString());
    if (boneNameVar.GetString() != shown->GetBoneName(shown->GetTag(currentTag).parent))
        shown->SetTagParent(currentTag, boneNameVar.GetString());
}

void ModelEditor::StepTag(int32_t step)
{
    if (currentTag < 0)
        return;
    currentTag += step;
    if (currentTag < firstTag)
        currentTag = lastTag;
    else if (currentTag > lastTag)
        currentTag = firstTag;
    PublishTag();
}

void ModelEditor::AddTag()
{
    ModelResource* shown = GetModel();
    if (!shown)
        return;
    shown->AddTag();
    if (lastTag < 0) {
        firstTag = shown->GetFirstTagIndex();
        lastTag = firstTag;
    } else {
        ++lastTag;
    }
    currentTag = lastTag;
    PublishTag();
}

void ModelEditor::DeleteTag()
{
    ModelResource* shown = GetModel();
    if (!shown || currentTag < 0)
        return;
    shown->RemoveTag(currentTag);
    ComputeTagRange();
    PublishTag();
}

bool ModelEditor::SaveTags()
{
    const ModelResource* shown = GetModel();
    return shown && shown->SaveTags();
}

// The bone's place and turn in the shown entity's pose, relative to its feet.
bool ModelEditor::GetBonePlace(int32_t bone, Vector3& offset, Matrix3& matrix) const
{
    if (!GetModel() || !shownEntity)
        return false;
    WorldPos3 where;
    shownEntity->SetModelTransform(bone, where, matrix);
    // Level -1 lies outside every level: plain differences, nothing carried across an edge.
    offset = {where.x - shownEntity->position.x, where.y - shownEntity->position.y, where.z};
    return true;
}

// The tag's place in the world gets the step; the new offset is that place brought back into
// the bone's frame (its matrix is a rotation, so its transpose undoes it).
void ModelEditor::MoveTag(const Vector3& step)
{
    ModelResource* shown = GetModel();
    if (!shown || currentTag < 0)
        return;
    AttachPoint tag = shown->GetTag(currentTag);
    Vector3 boneOffset;
    Matrix3 boneMatrix;
    if (!GetBonePlace(tag.parent, boneOffset, boneMatrix))
        return;
    Vector3 place = boneOffset + Vector3MultiplyMatrix3(tag.offset, boneMatrix) + step;
    Matrix3 inverse = boneMatrix;
    Matrix3Transpose(inverse);
    tag.offset = Vector3MultiplyMatrix3(place - boneOffset, inverse);
    shown->SetTag(currentTag, tag);
}

// Left and right run along the camera's screen-right axis, forward and back along its view
// direction flattened onto the ground, so "left" moves the tag left on the screen.
void ModelEditor::MoveTagAlongCamera(float side, float depth)
{
    if (!gRenderer)
        return;
    float camera[9];
    gRenderer->GetWorldView().GetCameraRotation(camera);
    Vector3 forward{camera[0], camera[1], 0.0f};
    Vector3 left{camera[3], camera[4], camera[5]};
    Vector3Normalize(forward);
    MoveTag(left * -side + forward * depth);
}

void ModelEditor::TurnTag(float heading, float pitch, float roll)
{
    ModelResource* shown = GetModel();
    if (!shown || currentTag < 0)
        return;
    AttachPoint tag = shown->GetTag(currentTag);
    Quaternion turn = QuaternionMultiply(ModelEditorAxisTurn(heading, {0.0f, 0.0f, 1.0f}),
                                         QuaternionMultiply(ModelEditorAxisTurn(pitch, {0.0f, 1.0f, 0.0f}),
                                                            ModelEditorAxisTurn(roll, {1.0f, 0.0f, 0.0f})));
    tag.rotation = QuaternionMultiply(tag.rotation, turn);
    shown->SetTag(currentTag, tag);
}

// ---- Questions and shut-down -------------------------------------------------------------------

ModelResource* ModelEditor::GetModel() const
{
    if (!model.IsValid() || !gResourceManager)
        return nullptr;
    return dynamic_cast<ModelResource*>(gResourceManager->Get(model));
}

float ModelEditor::GetTime() const
{
    return shownEntity ? shownEntity->frame : 0.0f;
}

void ModelEditor::ShutDown()
{
    active = false;
    shownEntity.reset();
    attachedEntity.reset();
    model.Reset();
    attachment.Reset();
    modelName.clear();
    attachmentName.clear();
}
