// WorldView -- the world camera's state and what it sees: view planes and culling, and the frame's queue of tiles, effects and model surfaces drawn through it.
#include "render/WorldView.h"

#include "core/UserVarSystem.h"
#include "render/Camera.h"
#include "render/ImmediateDraw.h"
#include "render/Renderer.h"
#include "resources/GraphicsDevice.h"
#include "resources/ResourceManager.h"
#include "resources/models/AnimationResource.h"
#include "resources/models/MeshResource.h"
#include "resources/models/Skin.h"
#include "resources/shaders/Shader.h"
#include "resources/shaders/ShaderBatch.h"


namespace {

float WorldViewDot(const Vector3& a, const Vector3& b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

Vector3 WorldViewRow(const Matrix3& m, int row)
{
    return {m.m[row][0], m.m[row][1], m.m[row][2]};
}

ViewPlane WorldViewPlane(const Vector3& point, Vector3 normal)
{
    Vector3Normalize(normal);
    return {normal, WorldViewDot(normal, point)};
}

const Shader* WorldViewShader(int32_t handle)
{
    if (handle == -1 || !gResourceManager)
        return nullptr;
    return dynamic_cast<const Shader*>(gResourceManager->Get(handle));
}

} // namespace

WorldView::WorldView(GraphicsDevice& device) : device(device)
{
    queue.AddPool(&blendedTilePool);
    queue.AddPool(&modelPool);
}

WorldView::~WorldView()
{
    queue.RemovePool(&modelPool);
    queue.RemovePool(&blendedTilePool);
}

void WorldView::RegisterVars()
{
    cullTilesVar = gUserVarSystem->RegisterVar("r_CullTiles", "1");
    cullModelsVar = gUserVarSystem->RegisterVar("r_CullModels", "1");
    detailModelsVar = gUserVarSystem->RegisterVar("r_detailModels", "1");
    overheadVar = gUserVarSystem->RegisterVar("r_overheadView", "0");
    models.RegisterVars();
}

void WorldView::SetViewSize(int32_t width, int32_t height)
{
    viewWidth = std::max(width, 1);
    viewHeight = std::max(height, 1);
}

float WorldView::GetWidening() const
{
    return Widening(viewWidth, viewHeight);
}

float WorldView::Widening(int32_t width, int32_t height)
{
    if (height <= 0)
        return 1.0f;
    float aspect = static_cast<float>(width) / static_cast<float>(height);
    return aspect > 1.4f ? aspect / (4.0f / 3.0f) : 1.0f;
}

Matrix4 WorldView::OrthoProjection(float left, float right, float bottom, float top, float nearZ, float farZ)
{
    // Row vectors: the transpose of the library's orthographic matrix.
    Matrix4 m;
    m.m[0][0] = 2.0f / (right - left);
    m.m[1][1] = 2.0f / (top - bottom);
    m.m[2][2] = -2.0f / (farZ - nearZ);
    m.m[3][0] = -(right + left) / (right - left);
    m.m[3][1] = -(top + bottom) / (top - bottom);
    m.m[3][2] = -(farZ + nearZ) / (farZ - nearZ);
    m.m[3][3] = 1.0f;
    return m;
}

void WorldView::BeginWorldView(const WorldPos& lookAt, float newZoom, bool clear)
{
    WorldPos3 target;
    target.level = lookAt.level;
    target.x = lookAt.x;
    target.y = lookAt.y;
    bool overhead = overheadVar.IsValid() && overheadVar.GetBool();
    const Vector3& offset = overhead ? kOverheadEyeOffset : kNormalEyeOffset;
    // The eye stays in the frame of the level looked at, even past its edge: carried across,
    // it would be lost where no level lies beyond, and the view would go black there.
    WorldPos3 eye = target;
    eye.x += offset.x;
    eye.y += offset.y;
    eye.z += offset.z;
    Camera::SetProjection(eye, target, *this, newZoom);
    // The stencil too: a complex shadow marks where it darkened, so that overlapping parts
    // darken the ground once.
    if (clear)
        device.Clear(kClearColorBuffer | kClearDepthBuffer | kClearStencilBuffer, Color{0.0f, 0.0f, 0.0f}, 1.0f);
}

void WorldView::BuildViewPlanes(float planeZoom)
{
    float halfWidth = 320.0f * planeZoom * GetWidening();
    float halfHeight = 240.0f * planeZoom;
    Vector3 left = WorldViewRow(camera.rotation, 1);
    Vector3 up = WorldViewRow(camera.rotation, 2);
    // Each normal points out of the box.
    planes[0] = WorldViewPlane(camera.position + left * halfWidth, left);
    planes[1] = WorldViewPlane(camera.position - left * halfWidth, left * -1.0f);
    planes[2] = WorldViewPlane(camera.position + up * halfHeight, up);
    planes[3] = WorldViewPlane(camera.position - up * halfHeight, up * -1.0f);
}

bool WorldView::IsSphereOutsideView(const Vector3& centre, float radius) const
{
    for (const ViewPlane& plane : planes)
        if (WorldViewDot(plane.normal, centre) - plane.distance - radius > 0.0f)
            return true;
    return false;
}

bool WorldView::IsTileCulled(const std::array<float, 3>& a, const std::array<float, 3>& b) const
{
    if (cullTilesVar.IsValid() && cullTilesVar.GetInt() == 0)
        return false;
    Vector3 centre{(a[0] + b[0]) * 0.5f, (a[1] + b[1]) * 0.5f, (a[2] + b[2]) * 0.5f};
    return IsSphereOutsideView(centre, tileRadius);
}

bool WorldView::IsModelCulled(const ModelResource* model, int32_t animation, const WorldPos3& position, float time,
                              float scale) const
{
    if (cullModelsVar.IsValid() && cullModelsVar.GetInt() == 0)
        return false;
    if (!model)
        return true;
    if (!model->cull)
        return false;
    const AnimationResource* file = ModelAnimationFile(*model, animation);
    if (!file)
        return true;
    int32_t frame = ModelAnimationFrame(time, *file);
    Vector3 centre = (file->GetFrameBoundsMin(frame) + file->GetFrameBoundsMax(frame)) * 0.5f;
    return IsSphereOutsideView(Renderer::ToCameraLevel(*this, position) + centre * scale,
                               file->GetFrameRadius(frame) * scale);
}

void WorldView::GetCameraRotation(float (&rotation)[9]) const
{
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 3; ++column)
            rotation[row * 3 + column] = camera.rotation.m[row][column];
    }
}

void WorldView::BeginFrame()
{
    queue.BeginSurfaceFrame();
    models.BeginFrame();
    tagAxes.clear();
    sprites.clear();
    ++frameNumber;
}

void WorldView::AddTileSurface(int32_t shader, const std::array<float, 3>& a, const std::array<float, 3>& b,
                               bool fullBright, bool useColor, const Color& color, float alpha)
{
    queue.AddTileSurface(shader, a, b, fullBright, useColor, color, alpha);
}

void WorldView::AddBlendedTileSurface(const std::array<float, 3>& a, const std::array<float, 3>& b,
                                      const LevelTileCell* blend, int32_t shaderHandle, bool fullBright)
{
    if (shaderHandle == -1 || IsTileCulled(a, b))
        return;
    const Shader* shader = WorldViewShader(shaderHandle);
    if (!shader)
        return;
    BlendedTileRenderSurface& tile = *blendedTilePool.Take();
    tile.cornerA = a;
    tile.cornerB = b;
    tile.blend = blend;
    tile.fullBright = fullBright;
    tile.opacity = 1.0f;
    tile.writeMask = 0;
    tile.shader = shader;
    tile.SetSortKey(0, -1, shader->sort, shader->index, 1.0f);
    queue.AddSurface(&tile);
}

void WorldView::AddGroundQuad(const WorldPos3& position, float size, const Color& color, float alpha, int32_t shader)
{
    float half = size * 0.5f;
    Vector3 at = Renderer::ToCameraLevel(*this, position);
    AddTileSurface(shader, {at.x - half, at.y - half, at.z + 1.0f}, {at.x + half, at.y + half, at.z + 1.0f}, false,
                   true, color, alpha);
}

void WorldView::AddModelSurfaces(const ModelSurfacesDesc& desc)
{
    if (!(desc.alpha > 0.0f) || desc.model == -1 || !gResourceManager)
        return;
    auto* model = dynamic_cast<const ModelResource*>(gResourceManager->Get(desc.model));
    if (!model || (model->detailModel && detailModelsVar.IsValid() && !detailModelsVar.GetBool()))
        return;
    if (model->skeleton.GetValue() == -1 || model->mesh.GetValue() == -1)
        return;
    auto* mesh = dynamic_cast<const MeshResource*>(gResourceManager->Get(model->mesh));
    const Skin* skin = desc.skin ? desc.skin : model->GetSkin();
    if (!mesh || !skin)
        return;
    int32_t instance = models.AddInstance();
    bool onePass = desc.alpha == 1.0f || desc.singlePass;
    for (int32_t subMesh = 0; subMesh < mesh->GetSurfaceCount(); ++subMesh) {
        const std::vector<bool>* visible = desc.visibleSubMeshes;
        if (visible && static_cast<size_t>(subMesh) < visible->size() && !(*visible)[static_cast<size_t>(subMesh)])
            continue;
        if (onePass) {
            AddModelMeshSurface(desc, *model, *skin, subMesh, ModelRenderSurface::kSinglePass, instance);
        } else {
            AddModelMeshSurface(desc, *model, *skin, subMesh, ModelRenderSurface::kDepthPass, instance);
            AddModelMeshSurface(desc, *model, *skin, subMesh, ModelRenderSurface::kColorPass, instance);
        }
    }
}

void WorldView::AddModelMeshSurface(const ModelSurfacesDesc& desc, const ModelResource& model, const Skin& skin,
                                    int32_t subMesh, int32_t pass, int32_t instance)
{
    auto* mesh = dynamic_cast<const MeshResource*>(gResourceManager->Get(model.mesh));
    if (!mesh || subMesh < 0 || subMesh >= mesh->GetSurfaceCount())
        return;
    const Skin::Entry* entry = skin.FindSurface(mesh->GetSurfaces()[static_cast<size_t>(subMesh)].id);
    const Shader* shader = desc.shaderOverride != -1 ? WorldViewShader(desc.shaderOverride)
                           : entry                   ? WorldViewShader(entry->shader.GetValue())
                                                     : nullptr;
    if (!shader || (desc.shaderOverride == -1 && shader->highlightsSurface && !entry->highlight))
        return;
    ModelRenderSurface& surface = *modelPool.Take();
    surface.view = this;
    surface.model = &model;
    surface.skin = &skin;
    surface.animation = desc.animation;
    surface.time = desc.time;
    surface.position = desc.position;
    if (desc.useOffset) {
        Vector2 offset = model.GetOffset(desc.facing);
        surface.position = surface.position.Add({offset.x, offset.y, 0.0f});
    }
    surface.rotation = desc.rotation;
    surface.scale = desc.scale;
    surface.subMesh = subMesh;
    surface.instance = instance;
    surface.pass = pass;
    surface.aimed = desc.aimed;
    surface.target = desc.target;
    surface.entity = desc.entity;
    surface.fullBright = desc.fullBright;
    surface.hovered = desc.hovered;
    surface.projected = desc.projected;
    surface.shadowLight = desc.shadowLight;
    surface.opacity = desc.alpha;
    surface.writeMask = pass == ModelRenderSurface::kDepthPass   ? kWriteMaskNoColor
                        : pass == ModelRenderSurface::kColorPass ? kWriteMaskNoDepth
                                                                 : 0;
    surface.shader = shader;
    // The instance is the depth: passes of one instance sort together, depth pass first, and
    // translucent instances in the order they were queued.
    surface.SetSortKey(pass, instance, shader->sort, shader->index, desc.alpha);
    queue.AddSurface(&surface);
}

void WorldView::DrawSurfaces(ShaderBatch& batch)
{
    queue.DrawQueuedSurfaces(batch);
    device.SetModelViewMatrix(camera.modelView);
    if (spriteDrawer)
        for (const SpriteDesc& sprite : sprites)
            spriteDrawer(sprite);
    if (lineDrawer)
        for (const TagAxes& tag : tagAxes)
            lineDrawer->DrawAxes(tag.at, tag.axes, ImmediateDraw::kTagAxisLength, true);
}

void WorldView::AddTagAxes(const WorldPos3& position, const Matrix3& axes)
{
    tagAxes.push_back(TagAxes{Renderer::ToCameraLevel(*this, position), axes});
}
