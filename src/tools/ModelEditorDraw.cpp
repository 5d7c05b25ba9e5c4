// ModelEditorDraw -- the model viewer's picture: a cleared screen, the model's entity lit from beside it, the attached entity hung on the current tag, the effects their animations started, and the tag's axes.
#include "tools/ModelEditor.h"

#include "client/EntityClient.h"
#include "client/EntityScene.h"
#include "core/ColorSystem.h"
#include "render/Camera.h"
#include "render/ImmediateDraw.h"
#include "render/LightingSystem.h"
#include "render/Renderer.h"
#include "render/WorldView.h"
#include "resources/GraphicsDevice.h"
#include "resources/effects/EffectSystem.h"
#include "ui/UISystem.h"
#include "ui/UiGameView.h"

namespace {

// Colour, depth and stencil, in the device's own bits: the library's (0x4500) cleared nothing, and
// in a running game the world stayed on screen with the model hidden behind its depth.
constexpr uint32_t kModelEditorClearMask = kClearColorBuffer | kClearDepthBuffer | kClearStencilBuffer;
constexpr float kTagIndicatorSize = 0.5f;

// The viewer's stage: the entities go to the world view lit as white. The one light beside the
// model lies at the edge of its reach, and a model drawn by it alone comes out black.
class ModelEditorScene : public WorldViewEntityScene {
public:
    using WorldViewEntityScene::WorldViewEntityScene;
    void AddModel(const ModelSurfacesDesc& desc) override
    {
        ModelSurfacesDesc lit = desc;
        lit.fullBright = true;
        WorldViewEntityScene::AddModel(lit);
    }
};

} // namespace

void ModelEditor::Draw()
{
    if (!active || !gRenderer || !shownEntity)
        return;
    WorldView& view = gRenderer->GetWorldView();
    WorldPos3 eye = viewPoint;
    eye.x += WorldView::kNormalEyeOffset.x;
    eye.y += WorldView::kNormalEyeOffset.y;
    eye.z += WorldView::kNormalEyeOffset.z;
    Camera::SetProjection(eye, viewPoint, view, zoom);
    view.GetDevice().Clear(kModelEditorClearMask, Color{0.0f, 0.0f, 0.0f}, 1.0f);
    view.BeginFrame();
    Color first;
    ColorSystem::GetColorByIndex(first.r, first.g, first.b, 0);
    if (gLightingSystem) {
        if (!(gUISystem && gUISystem->GetGameView().IsPaused()))
            gLightingSystem->Reset();
        gLightingSystem->AddLight(viewPoint.level, kLightX, kViewY, first, kLightRadius, LightingSystem::kPointLight);
    }
    ModelEditorScene scene(view);
    EntityDrawFrame frame;
    shownEntity->Draw(scene, frame);
    WorldPos3 at;
    Matrix3 matrix;
    bool hasTag = currentTag >= 0 && GetModel();
    if (hasTag)
        shownEntity->SetModelTransform(currentTag, at, matrix);
    if (hasTag && attachment.IsValid() && showAttachmentVar.GetInt() != 0) {
        // An entity stands on the ground; its height above it is the one its drawing reads.
        attachedEntity->position = WorldPos{at.level, at.x, at.y, false};
        attachedEntity->projectileHeight = at.z;
        attachedEntity->SetModelRotation(matrix);
        attachedEntity->Draw(scene, frame);
    }
    if (gEffectSystem)
        gEffectSystem->DrawAll(view.GetEffects());
    view.DrawSurfaces(gRenderer->GetWorldBatch());
    // The tag's indicator, a box half a unit across in the first colour, shows where it is; its
    // axes, as the game shows tags, over the model that usually holds it, show its turn.
    if (hasTag && showTagsVar.GetInt() != 0) {
        Vector3 tagAt = Renderer::ToCameraLevel(view, at);
        gRenderer->GetImmediateDraw().DrawWireBox(tagAt, kTagIndicatorSize, first);
        gRenderer->GetImmediateDraw().DrawAxes(tagAt, matrix, ImmediateDraw::kTagAxisLength, true);
    }
}
