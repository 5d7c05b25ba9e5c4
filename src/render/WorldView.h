// WorldView -- the world camera's state and what it sees: view planes and culling, and the frame's queue of tiles, effects and model surfaces drawn through it.
#pragma once

#include "core/Color.h"
#include "core/Matrix.h"
#include "core/UserVarRef.h"
#include "core/Vector.h"
#include "render/BlendedTileRenderSurface.h"
#include "render/ModelRenderSurface.h"
#include "render/ModelRenderer.h"
#include "resources/effects/EffectSurfaces.h"
#include "resources/effects/RenderSurfacePool.h"
#include "resources/effects/SurfaceQueue.h"
#include "world/WorldPos.h"
#include "world/WorldPos3.h"

#include <array>
#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

class GraphicsDevice;
class ImmediateDraw;
class ModelEntity;
class ShaderBatch;
class Skin;
struct LevelTileCell;

// A plane n . p = d; a point is outside when n . p - d > 0.
struct ViewPlane {
    Vector3 normal;
    float distance = 0.0f;
};

// Where the camera stands and looks. Positions in render space are world positions taken into
// the frame of the level the camera looks at.
struct WorldViewCamera {
    WorldPos3 eye;
    WorldPos3 lookAt;
    // The eye in render space.
    Vector3 position;
    // Rows: the view direction, the screen's left, the screen's up.
    Matrix3 rotation{{{1.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f}, {0.0f, 0.0f, 1.0f}}};
    Matrix4 modelView;
    // The eye's distance along the ground over its height above the point looked at: what a
    // screen point's depth is worked back from.
    float ratio = 1.0f;
};

// What one AddModelSurfaces call queues.
// One frame of a sprite model's animation, drawn upright at the place from the facing.
struct SpriteDesc {
    WorldPos3 position;
    int32_t frame = 0;
    int32_t facing = 0;
    int32_t model = -1;
    int32_t animation = 0;
};

struct ModelSurfacesDesc {
    int32_t model = -1;
    // Null: the model's own skin.
    const Skin* skin = nullptr;
    ModelEntity* entity = nullptr;
    int32_t animation = -1;
    float time = 0.0f;
    WorldPos3 position;
    // Adds the model's own offset for the facing to the position.
    bool useOffset = false;
    int32_t facing = 0;
    Matrix3 rotation{{{1.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f}, {0.0f, 0.0f, 1.0f}}};
    float scale = 1.0f;
    float alpha = 1.0f;
    // One pass even when translucent.
    bool singlePass = false;
    bool aimed = false;
    WorldPos3 target;
    // Lit as white.
    bool fullBright = false;
    // The model of the thing under the cursor (or of a menu's model): drawn lit brighter.
    bool hovered = false;
    // Sub-mesh i is left out when i is below the size and its entry is false; empty draws all.
    const std::vector<bool>* visibleSubMeshes = nullptr;
    // A shader that draws every sub-mesh in place of the skin's (a hover outline, a glow, a
    // status effect's look); -1 for the skin's own.
    int32_t shaderOverride = -1;
    // Flattened onto the ground as cast from the light: a complex shadow.
    bool projected = false;
    WorldPos3 shadowLight;
};

// Main thread; the drawing calls with the device's context held by the caller.
class WorldView {
public:
    // The eye's place relative to the point looked at: 1000 units back along (-1, 1, -1), or
    // nearly straight down for the overhead view.
    static constexpr Vector3 kNormalEyeOffset{577.35f, -577.35f, 577.35f};
    static constexpr Vector3 kOverheadEyeOffset{9.999f, -9.999f, 999.9f};
    static constexpr float kNear = 2.0f;
    static constexpr float kFar = 2048.0f;
    // Before the display says otherwise: a tile's bounding radius in tile units.
    static constexpr float kDefaultTileRadius = 0.867f;

    explicit WorldView(GraphicsDevice& device);
    ~WorldView();
    WorldView(const WorldView&) = delete;
    WorldView& operator=(const WorldView&) = delete;

    // "r_CullTiles", "r_CullModels", "r_detailModels", "r_overheadView", "drawModel", "showSkel".
    void RegisterVars();

    // The view's size in pixels; the width's stretch past 1.4 : 1 widens the world seen.
    void SetViewSize(int32_t width, int32_t height);
    int32_t GetViewWidth() const { return viewWidth; }
    int32_t GetViewHeight() const { return viewHeight; }
    // Widening of the view's size.
    float GetWidening() const;
    // The wide-screen factor of a display mode, the one rule of the projection and the client's
    // screen conversions: a / (4 / 3) for an aspect a above 1.4, else 1 (and 1 without a height).
    static float Widening(int32_t width, int32_t height);
    void SetTileRadius(float radius) { tileRadius = radius; }
    void SetLineDrawer(ImmediateDraw* lines)
    {
        lineDrawer = lines;
        models.SetLineDrawer(lines);
    }
    void SetSpriteDrawer(std::function<void(const SpriteDesc&)> drawer) { spriteDrawer = std::move(drawer); }

    // The camera over the point (level -1 at the origin for none) from the normal or, with
    // "r_overheadView", the overhead offset; clears colour and depth when asked.
    void BeginWorldView(const WorldPos& lookAt, float zoom, bool clear);
    static Matrix4 OrthoProjection(float left, float right, float bottom, float top, float nearZ, float farZ);
    const WorldViewCamera& GetCamera() const { return camera; }
    // The camera's 3 x 3 rotation, row by row: the view direction, the screen's left, its up.
    void GetCameraRotation(float (&rotation)[9]) const;
    float GetZoom() const { return zoom; }

    void BuildViewPlanes(float zoom);
    const std::array<ViewPlane, 4>& GetViewPlanes() const { return planes; }
    // Touching a plane from inside counts as inside.
    bool IsSphereOutsideView(const Vector3& centre, float radius) const;
    bool IsTileCulled(const std::array<float, 3>& a, const std::array<float, 3>& b) const;
    bool IsModelCulled(const ModelResource* model, int32_t animation, const WorldPos3& position, float time,
                       float scale) const;

    // The frame starts: pools handed out from their first again, lists emptied.
    void BeginFrame();
    void AddTileSurface(int32_t shader, const std::array<float, 3>& a, const std::array<float, 3>& b, bool fullBright,
                        bool useColor, const Color& color, float alpha);
    void AddBlendedTileSurface(const std::array<float, 3>& a, const std::array<float, 3>& b,
                               const LevelTileCell* blend, int32_t shader, bool fullBright);
    // A flat square just above the ground point.
    void AddGroundQuad(const WorldPos3& position, float size, const Color& color, float alpha, int32_t shader);
    // One surface per visible sub-mesh and pass; nothing at alpha 0 or below, for a detail model
    // under "r_detailModels" 0, or without skeleton and loaded mesh.
    void AddModelSurfaces(const ModelSurfacesDesc& desc);
    // One sub-mesh in one pass; nothing when the skin names no shader for it, or the shader
    // is drawn only highlighted and the skin's entry is not.
    void AddModelMeshSurface(const ModelSurfacesDesc& desc, const ModelResource& model, const Skin& skin,
                             int32_t subMesh, int32_t pass, int32_t instance);
    // A model tag's three axes ("showTags"), kept for the end of the frame's surfaces: drawn when
    // queued, the models round the tag and the ground drawn after would hide them.
    void AddTagAxes(const WorldPos3& position, const Matrix3& axes);
    // A sprite is drawn whole, depth written across its quad: kept for the end of the frame's
    // surfaces, or the ground drawn after it would be hidden behind its clear corners.
    void AddSprite(const SpriteDesc& sprite) { sprites.push_back(sprite); }
    // Sorts and draws the frame's surfaces, then the sprites and the tags' axes over them; the
    // camera's model view is current afterwards.
    void DrawSurfaces(ShaderBatch& batch);

    SurfaceQueue& GetQueue() { return queue; }
    EffectSurfaces& GetEffects() { return effects; }
    ModelRenderer& GetModelRenderer() { return models; }
    GraphicsDevice& GetDevice() { return device; }
    const RenderSurfacePool<ModelRenderSurface>& GetModelPool() const { return modelPool; }
    const RenderSurfacePool<BlendedTileRenderSurface>& GetBlendedTilePool() const { return blendedTilePool; }
    // Bumped by BeginFrame: an entity's light cache is filled once per value.
    int64_t GetFrameNumber() const { return frameNumber; }

private:
    // Points the camera: the only writer of the camera state and the zoom.
    friend class Camera;

    GraphicsDevice& device;
    WorldViewCamera camera;
    std::array<ViewPlane, 4> planes{};
    int32_t viewWidth = 800;
    int32_t viewHeight = 600;
    float zoom = 1.0f;
    float tileRadius = kDefaultTileRadius;
    int64_t frameNumber = 0;
    SurfaceQueue queue;
    EffectSurfaces effects{queue};
    RenderSurfacePool<BlendedTileRenderSurface> blendedTilePool;
    RenderSurfacePool<ModelRenderSurface> modelPool;
    ModelRenderer models;
    ImmediateDraw* lineDrawer = nullptr;
    struct TagAxes {
        Vector3 at;
        Matrix3 axes;
    };
    std::vector<TagAxes> tagAxes;
    std::function<void(const SpriteDesc&)> spriteDrawer;
    std::vector<SpriteDesc> sprites;
    UserVarRef cullTilesVar;
    UserVarRef cullModelsVar;
    UserVarRef detailModelsVar;
    UserVarRef overheadVar;
};
