// UIModelWidget -- an animated model inside a menu (a character's preview, an item on show), driven by user vars naming the model, its skin, scale, turn and attached models, drawn as a small scene of its own.
#pragma once

#include "core/Color.h"
#include "core/Matrix.h"
#include "core/UserVarRef.h"
#include "render/ModelEntity.h"
#include "resources/ResourceHandle.h"
#include "ui/UIWidget.h"
#include "world/WorldPos3.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class EntityClient;
class ShaderBatch;
class WorldView;

// Main thread. Its entities stand at level -1, outside every level, so that nothing of the world
// meets its scene; they are made when the widget joins its menu and go with the widget.
class UIModelWidget : public UIWidget {
public:
    static constexpr int32_t kAttachmentCount = 8;
    // Where the private scene stands.
    static constexpr float kSceneX = 1000.0f;
    static constexpr float kSceneY = 1000.0f;

    struct Light {
        float x = 0.0f;
        float y = 0.0f;
        Color color;
        float radius = 0.0f;
    };

    struct Attachment {
        std::unique_ptr<EntityClient> entity;
        // How the renderer lights it: by the main model's light.
        std::unique_ptr<ModelEntity> light;
        UserVarRef var;
        std::string name;
        std::string tag;
        int32_t tagIndex = -1;
        float scale = 1.0f;
    };

    UIModelWidget();
    ~UIModelWidget() override;

    void Draw() override;
    // Applies the changed user vars, then steps the entities' animations.
    void Update(float seconds) override;
    void OnMenuShown(bool firstTime) override;
    void OnMenuHidden() override;
    // Makes the model entity and the attachment entities.
    void OnAttach() override;
    bool ReadProperty(const std::string& key, TextParser& parser) override;
    bool ShowsModel() const override { return IsVisible() && drawEffects; }
    bool WantsEffects() const override { return ShowsModel(); }

    // Steps 2 to 7 of the drawing: the camera, the clear, the queue emptied, the private lights,
    // the model and its attachments at their tags, the effects; then the surfaces drawn.
    void DrawScene(WorldView& view, ShaderBatch& batch);
    EntityClient* GetModelEntity() const { return modelEntity.get(); }
    const Attachment& GetAttachment(int32_t slot) const { return attachments[static_cast<size_t>(slot)]; }
    const std::vector<Light>& GetLights() const { return lights; }
    // The model's orientation: the turning angle about the upright axis.
    float GetAngle() const { return angle; }

    std::unique_ptr<EntityClient> modelEntity;
    // How the renderer lights the model: unlit without the widget's own lights.
    std::unique_ptr<ModelEntity> modelLight;
    UserVarRef modelVar;
    std::string modelName;
    UserVarRef skinVar;
    std::string skinName;
    ResourceHandle skinHandle;
    UserVarRef scaleVar;
    float scale = 1.0f;
    UserVarRef angleVar;
    float angle = 45.0f;
    // Outside every level: never carried across a level edge.
    WorldPos3 scenePosition{-1, kSceneX, kSceneY, 0.0f, false};
    WorldPos3 lookAt{-1, kSceneX, kSceneY, 0.0f, false};
    WorldPos3 cameraPosition;
    float zoom = 1.0f;
    std::array<Attachment, kAttachmentCount> attachments;
    bool clearBackground = false;
    bool clearDepth = false;
    bool drawEffects = false;
    bool hasLights = false;
    std::vector<Light> lights;

private:
    void ApplyModel();
    void ApplySkin();
    void ApplyScale();
    void ApplyAttachment(Attachment& slot);
    void ApplyAngle();
    // Each slot's tag looked up in the loaded model; -1 while the model is loading or missing.
    void ResolveTags();
    void SetDisplayFactor(float factor);
    void QueueModel(WorldView& view, const EntityClient& entity, ModelEntity* light, const WorldPos3& at,
                    const Matrix3& rotation) const;
    Matrix3 GetRotation() const;
    // "name default": the var, made with flags 1 when it does not exist yet.
    static UserVarRef ReadVarPair(TextParser& parser);
    static int32_t ReadSlot(TextParser& parser);

    // Set while the model is loaded and its tags looked up.
    bool tagsResolved = false;
    // Fixed when the entities are made: no "addLight" before then draws them unlit.
    bool drawUnlit = true;
};
