// ModelEditor -- the in-game model viewer: one model (and one attached to it) alone on screen, its animations stepped frame by frame, and its tags placed, turned and saved.
#pragma once

#include "core/Matrix.h"
#include "core/UserVarRef.h"
#include "resources/ResourceHandle.h"
#include "world/WorldPos3.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class EntityClient;
class ModelResource;
struct ListEntry;

// Main thread. One per process, behind gModelEditor; driven by its commands and user vars, its
// menu binds them to buttons and lists. The model and its attachment are two client entities
// of the editor's own, standing at level -1 outside every level: the client's entity update
// runs their animations and the client's entity drawing draws them.
class ModelEditor {
public:
    static constexpr float kZoomStep = 0.05f;
    static constexpr float kMinZoom = 0.1f;
    static constexpr float kMaxZoom = 2.0f;
    static constexpr float kShiftStep = 10.0f;
    static constexpr float kTurnStep = 10.0f;
    static constexpr float kScaleStep = 0.05f;
    static constexpr float kTagStep = 1.0f;
    static constexpr float kTagTurnStep = 5.0f;
    // The model stands alone, far from any level, with its light beside it.
    static constexpr float kViewX = 1000.0f;
    static constexpr float kViewY = 1000.0f;
    static constexpr float kLightX = 900.0f;
    static constexpr float kLightRadius = 50.0f;

    ModelEditor();
    ~ModelEditor();
    ModelEditor(const ModelEditor&) = delete;
    ModelEditor& operator=(const ModelEditor&) = delete;

    // The 8 user vars, the 36 commands and "ModelEditorGetBoneNames"; the view point placed and
    // the two entities made there.
    void Register();
    void ShutDown();

    void Open(bool run);
    bool IsActive() const { return active; }
    // The vars' model names picked up, the animation run, the frame published and the tag's
    // name and bone taken from their vars; nothing while closed.
    void Update(float seconds);
    // The camera on the view point, the model, the attachment and the tag's axes; nothing while closed.
    void Draw();

    // ---- Commands ---------------------------------------------------------------------------------
    void Zoom(float step);
    void Shift(float step);
    void Turn(float degrees);
    void ScaleAttachment(float step);
    void StepAnimation(int32_t step);
    void Play();
    void PlayOnce();
    void Stop();
    void StepFrame(int32_t step);
    // Moves the current tag by the step in the world (z up), or along the camera's axes.
    void MoveTag(const Vector3& step);
    void MoveTagAlongCamera(float side, float depth);
    void TurnTag(float heading, float pitch, float roll);
    void StepTag(int32_t step);
    void AddTag();
    void DeleteTag();
    bool SaveTags();
    void SetModelMode(int32_t mode);

    // ---- Questions --------------------------------------------------------------------------------
    // Null without a loaded model.
    ModelResource* GetModel() const;
    float GetZoom() const { return zoom; }
    float GetAttachmentScale() const { return attachmentScale; }
    int32_t GetAnimation() const { return animation; }
    int32_t GetFrameCount() const { return frameCount; }
    // The shown entity's animation time in frames.
    float GetTime() const;
    // Null before registration and after shut-down.
    EntityClient* GetShownEntity() const { return shownEntity.get(); }
    int32_t GetCurrentTag() const { return currentTag; }
    int32_t GetFirstTag() const { return firstTag; }
    int32_t GetLastTag() const { return lastTag; }
    const Matrix3& GetOrientation() const { return orientation; }

private:
    void RegisterVars();
    void RegisterCommands();
    void RegisterTagCommands();
    void GetBoneNames(std::vector<ListEntry>& rows) const;
    void TakeModelVars();
    void TakeAttachmentVar();
    // The entity shows the model of the name (none for an empty name); the handle holds it too.
    static void ShowModel(EntityClient& entity, const std::string& name, ResourceHandle& handle);
    void RefreshBoneNames() const;
    // The current animation started again from its first frame, looped or held at its end.
    void StartAnimation(bool once);
    void SelectAnimation();
    void ComputeTagRange();
    void PublishFrame();
    void PublishTag();
    void TakeTagVars();
    bool GetBonePlace(int32_t bone, Vector3& offset, Matrix3& matrix) const;
    void ShowWidget(const char* path, bool on) const;

    bool active = false;
    WorldPos3 viewPoint;
    Matrix3 orientation;
    std::string modelName;
    ResourceHandle model;
    std::string attachmentName;
    ResourceHandle attachment;
    float attachmentScale = 1.0f;
    float zoom = 1.0f;
    int32_t animation = 0;
    int32_t frameCount = 0;
    float frameRate = 0.0f;
    std::unique_ptr<EntityClient> shownEntity;
    std::unique_ptr<EntityClient> attachedEntity;
    bool playing = false;
    bool playOnce = false;
    int32_t currentTag = -1;
    int32_t firstTag = -1;
    int32_t lastTag = -1;

    UserVarRef modelVar;
    UserVarRef attachmentVar;
    UserVarRef attachmentScaleVar;
    UserVarRef animationVar;
    UserVarRef frameVar;
    UserVarRef tagNameVar;
    UserVarRef boneNameVar;
    UserVarRef showAttachmentVar;
    UserVarRef showTagsVar;
};

extern ModelEditor* gModelEditor;
