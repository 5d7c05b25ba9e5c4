// ModelRenderSurface -- one sub-mesh of one model instance in the frame's queue, in one pass: placed (or flattened onto the ground as a shadow), culled, lit by its entity and skinned when drawn.
#pragma once

#include "core/Matrix.h"
#include "resources/effects/RenderSurface.h"
#include "resources/models/ModelResource.h"
#include "world/WorldPos3.h"

class ModelEntity;
class Skin;
class WorldView;

class ModelRenderSurface : public RenderSurface {
public:
    // Pass 0 draws with the shader's own writes; a translucent model draws pass 1 (depth only),
    // then pass 2 (colour only), so its own far side never shows through it.
    static constexpr int32_t kSinglePass = 0;
    static constexpr int32_t kDepthPass = 1;
    static constexpr int32_t kColorPass = 2;

    // Where a complex shadow lies: just above the ground, as the marks laid on it do.
    static constexpr float kShadowGroundZ = 1.0f;

    // Loads the model's matrix (from its rotation, or aimed at its target) as the model view;
    // projected, the camera's view first flattens it onto the ground from the light.
    void BeginDraw() override;
    // Transparent, or its animation's bounds outside the view.
    bool IsHidden() const override;
    // Places and lights the batch, then the sub-mesh skinned.
    void AddGeometry(ShaderBatch& batch, bool wantNormals) override;
    // The camera's model view back.
    void EndDraw() override;
    // Another instance has another matrix and pose, even when its key wrapped onto this one's.
    bool JoinsBatchOf(const RenderSurface& previous) const override;

    WorldView* view = nullptr;
    ResourceRef<const ModelResource> model;
    const Skin* skin = nullptr;
    int32_t animation = -1;
    float time = 0.0f;
    WorldPos3 position;
    Matrix3 rotation{{{1.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f}, {0.0f, 0.0f, 1.0f}}};
    float scale = 1.0f;
    int32_t subMesh = 0;
    int32_t instance = -1;
    int32_t pass = kSinglePass;
    bool aimed = false;
    WorldPos3 target;
    // Drawn flattened onto the ground as cast from the light (a complex shadow).
    bool projected = false;
    WorldPos3 shadowLight;
    ModelEntity* entity = nullptr;
    // Drawn as the thing under the cursor: its light lifted.
    bool hovered = false;
};
