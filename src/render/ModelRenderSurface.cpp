// ModelRenderSurface -- one sub-mesh of one model instance in the frame's queue, in one pass: placed (or flattened onto the ground as a shadow), culled, lit by its entity and skinned when drawn.
#include "render/ModelRenderSurface.h"

#include "render/ImmediateDraw.h"
#include "render/LightingSystem.h"
#include "render/ModelEntity.h"
#include "render/Renderer.h"
#include "render/WorldView.h"
#include "resources/GraphicsDevice.h"
#include "resources/shaders/ShaderBatch.h"
#include "world/EntityBase.h"

#include <algorithm>

namespace {

// The rotation that faces the model from its place towards the target, upright.
Matrix3 ModelSurfaceAim(const Vector3& from, const Vector3& to)
{
    Vector3 forward = to - from;
    if (Vector3Normalize(forward) == 0.0f)
        forward = {1.0f, 0.0f, 0.0f};
    Vector3 left{-forward.y, forward.x, 0.0f};
    if (Vector3Normalize(left) == 0.0f)
        left = {0.0f, 1.0f, 0.0f};
    Vector3 up{forward.y * left.z - forward.z * left.y, forward.z * left.x - forward.x * left.z,
               forward.x * left.y - forward.y * left.x};
    return Matrix3{{{forward.x, forward.y, forward.z}, {left.x, left.y, left.z}, {up.x, up.y, up.z}}};
}

// The entity's (or its light owner's) six-sided light, filled once a frame.
const ModelLightCache& ModelSurfaceLight(ModelEntity& drawn, bool unlit, int64_t frame)
{
    ModelEntity* owner = drawn.GetLightOwner();
    ModelEntity& subject = owner ? *owner : drawn;
    ModelLightCache& cache = subject.GetLightCache();
    if (cache.frame != frame) {
        EntityBase& entity = subject.GetEntityBase();
        if (unlit || !gLightingSystem) {
            cache.colors.fill(1.0f);
        } else {
            Vector3 facing = AxisVector3FromIndex(entity.facing);
            cache.colors = gLightingSystem->LightSphere(entity.position.level, entity.position.x,
                                                        entity.position.y, facing.x, facing.y);
        }
        cache.frame = frame;
    }
    return cache;
}

} // namespace

void ModelRenderSurface::BeginDraw()
{
    if (!view)
        return;
    Vector3 at = Renderer::ToCameraLevel(*view, position);
    Matrix3 turn = aimed ? ModelSurfaceAim(at, Renderer::ToCameraLevel(*view, target)) : rotation;
    Matrix4 modelView = view->GetCamera().modelView;
    if (projected) {
        Renderer::SetShadowProjection(modelView, Vector3{0.0f, 0.0f, kShadowGroundZ}, Vector3{1.0f, 0.0f, kShadowGroundZ},
                                      Vector3{0.0f, 1.0f, kShadowGroundZ}, Renderer::ToCameraLevel(*view, shadowLight));
    }
    view->GetDevice().SetModelViewMatrix(Renderer::SetModelMatrix(modelView, turn, at));
}

bool ModelRenderSurface::IsHidden() const
{
    return !(opacity > 0.0f) || !view || view->IsModelCulled(model.Get(), animation, position, time, scale);
}

void ModelRenderSurface::AddGeometry(ShaderBatch& batch, bool wantNormals)
{
    if (!view)
        return;
    Vector3 at = Renderer::ToCameraLevel(*view, position);
    const float origin[3] = {at.x, at.y, at.z};
    Matrix3 turn = aimed ? ModelSurfaceAim(at, Renderer::ToCameraLevel(*view, target)) : rotation;
    batch.SetPlacement(origin, &turn.m[0][0]);
    // A model queued full bright is lit as white: without this the lighting generators light it
    // from the frame's lights, and with none (a menu's model scene) it comes out black.
    batch.SetUnlit(fullBright);
    batch.SetHovered(hovered);
    if (entity) {
        const ModelLightCache& light = ModelSurfaceLight(*entity, fullBright, view->GetFrameNumber());
        float sphere[18];
        std::copy(light.colors.begin(), light.colors.end(), sphere);
        Color centre = gLightingSystem && !fullBright ? gLightingSystem->LightAt(position.level, position.x, position.y)
                                                      : Color{1.0f, 1.0f, 1.0f};
        batch.SetLightSubject(centre, sphere);
    }
    ModelMeshDraw draw;
    draw.entity = entity;
    draw.model = model.Get();
    draw.animation = animation;
    draw.time = time;
    draw.scale = scale;
    draw.subMesh = subMesh;
    draw.instance = instance;
    draw.withNormals = wantNormals;
    view->GetModelRenderer().DrawModelMesh(batch, draw);
}

void ModelRenderSurface::EndDraw()
{
    if (view)
        view->GetDevice().SetModelViewMatrix(view->GetCamera().modelView);
}

bool ModelRenderSurface::JoinsBatchOf(const RenderSurface& previous) const
{
    const auto* other = dynamic_cast<const ModelRenderSurface*>(&previous);
    return other && other->view == view && other->instance == instance;
}
